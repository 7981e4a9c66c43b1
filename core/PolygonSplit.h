#pragma once
// Bringing a polygon to one simple ring before triangulation: a ring that crosses
// itself is cut at its crossings into simple rings, and a list of an outer ring with
// holes is joined into its first ring by bridges from each hole to the outer ring.

#include <cstdint>

#include "core/PolygonRing.h"

namespace corvia {

// A point where ring vertices or edges meet, with the ring vertices standing there
// (linked through PolygonVertex::nextAtCrossing).
struct PolygonCrossing {
  double x = 0.0;
  double y = 0.0;
  int32_t number = -1;  // index into the split's point array, -1 until numbered
  PolygonVertex* vertices = nullptr;
  PolygonCrossing* next = nullptr;
};

// Cuts a ring at its crossings into a list of simple rings (null for a null ring, one
// of fewer than three vertices, or one that cannot be traced). *points (freed with
// delete[] first when not null) receives the 2D points of the numbered crossings, and
// every vertex of the traced rings carries its crossing's number as its index. The
// input ring is left as it was.
PolygonList* SplitPolygonRing(PolygonVertex* ring, double** points, int* pointCount);

// The first record within 1e-7 of the point in x and in y, whose coordinates then
// replace the point's; else a new record appended at the tail.
PolygonCrossing* FindOrAddPolygonCrossing(double* point, PolygonCrossing*& head, PolygonCrossing*& tail);
// Inserts a vertex at the record's point on the edge from start to its saved next vertex.
void InsertCrossingVertex(PolygonVertex* start, PolygonCrossing* record);
// Follows the edges from the crossing record through start, always taking the sharpest
// turn at each crossing, until the walk closes; returns the traced ring or null. At a
// vertex the split inserted, the squared distance from the origin of the point the walk
// goes on to, less the offset, lowers the area bound.
PolygonVertex* TracePolygonCrossingRing(PolygonVertex* start, PolygonCrossing* record, int& counter,
                                        double& areaBound, double offset);
// The edge leaving the crossing at the smallest counter-clockwise angle from the way
// back to the previous point; marks it taken and returns the vertex at its far end
// (its point in chosen, two doubles).
PolygonVertex* NextEdgeAtCrossing(PolygonCrossing* crossing, const double* previous, double* chosen);
void FreePolygonCrossings(PolygonCrossing* list);

// Merges every hole (each ring after the first) into the first ring; the merged hole
// nodes are freed. Holes with no outer edge above them are dropped.
PolygonList* MergePolygonListRings(PolygonList* list);

// Where the split reads the current model's colour mode (mode 1 fills the regions of
// every even winding). The program installs the query; without one the mode is 0.
using PolygonColorModeQuery = int (*)();
void SetPolygonColorModeQuery(PolygonColorModeQuery query);

}  // namespace corvia
