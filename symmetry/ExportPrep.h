#pragma once
// What the exporters and the geodesic vertex balls need of a plain model: the palette
// of distinct face colours, the list of edges to write, a copy whose faces are all
// triangles, the subdivision of every face into smaller triangles (flat or pushed
// out to the unit sphere) and geodesic spheres.

#include <cstdint>
#include <memory>

namespace corvia {

class SimplePoly;
class ColorList;
class Outcome;

// One edge to export: its two vertex indices (the lower first) and its colour
// (0x00BBGGRR). The list is singly linked and owned by whoever holds its head.
struct EdgeListNode {
  int32_t low = 0;
  int32_t high = 0;
  uint32_t color = 0;
  EdgeListNode* next = nullptr;
};

// Puts the pair (a, b) with its colour at the head of the list unless the unordered
// pair is already in it.
void AddEdgeToList(int32_t a, int32_t b, uint32_t color, EdgeListNode*& head);
void FreeEdgeList(EdgeListNode* head);
int CountEdgeList(const EdgeListNode* head);

// Options of CreateTriangulatedCopy: either bit asks for faces cut into triangles.
constexpr uint32_t kExportTriangles = 0x20;
constexpr uint32_t kExportTrianglesToo = 0x40;

// Options of Subdivide.
constexpr uint32_t kSubdivideGeodesic = 0x1;

// The most faces Subdivide makes; more would not fit in memory.
constexpr long long kMaxSubdividedFaces = 1000000;

// The distinct first colours of the faces that are neither removed nor hidden. The
// list is replaced by one with room for one colour per face.
void AssignColorIndices(const SimplePoly& poly, ColorList& colors);

// The edges to export, each once: the model's own edges (not hidden, with a face that
// is neither removed nor hidden) in their colours, or, for a model without edges,
// the sides of its live faces in the default edge colour. The caller frees the list
// with FreeEdgeList; null when there is none.
EdgeListNode* CollectExportEdges(const SimplePoly& poly);

// A copy of the model for export. When edges is given and its list is empty, it is
// filled with CollectExportEdges first. Without kExportTriangles or
// kExportTrianglesToo a plain copy; with either, every live face is replaced by the
// triangles that cover it (vertex i of the copy is vertex i of the model; points
// where the edges of a star face cross are added after them).
std::unique_ptr<SimplePoly> CreateTriangulatedCopy(SimplePoly& poly, uint32_t options,
                                                   EdgeListNode** edges = nullptr);

// Every live face cut into n^2 triangles per triangle of it (a face of more than
// three corners is first fanned round its centroid into one triangle per side), all
// turning like the face; with kSubdivideGeodesic the new points are pushed out to
// the unit sphere. Null when n < 1 or the result would be too large (refused, in
// *outcome when given), when memory runs out (failed) and when the user cancels. The
// caller owns the result.
std::unique_ptr<SimplePoly> Subdivide(const SimplePoly& poly, uint32_t options, int n, Outcome* outcome = nullptr);

}  // namespace corvia
