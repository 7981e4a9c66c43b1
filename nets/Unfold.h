#pragma once
// Laying one facelet flat in the plane of a net next to an edgelet already placed,
// testing the placement against the net's outline, and folding placed nets back
// into space.

#include "nets/Net.h"

namespace corvia {

class NetOutline;
struct Edge3D;

// The rotation and translation (m0, m1, m2, m3, tx, ty) that lay neighbour's facelet,
// from its own 2D frame, against placed in the plane of placed's net.
void GetPlacement2D(const Edge3D* placed, const Edge3D* neighbour, double* m);

// Places neighbour's facelet against placed (an edgelet of a facelet already in the
// net): a rotation and a translation of its own outline, never a reflection. With
// check, false when the facelet would overlap the net; edges that close against
// their neighbour go to joins, or without a list are joined at once in every net.
// The net's outline is walked from placed, unless an exact filed outline of the net
// is given: then only the outline edgelets near the new facelet are tested.
bool CalcUnfoldedFacePos2D(Edge3D* placed, Edge3D* neighbour, bool check, PlacementJoins* joins,
                           NetOutline* outline = nullptr);

// The contact test of a new facelet's edgelet against an outline edgelet of the net:
// 0 when they may touch, 12 when they overlap.
int EdgeContactTest(Edge3D* a, Edge3D* b, PlacementJoins* joins);

// The turn of the plane of the facelet across a joined edgelet against the plane of
// the edgelet's facelet, in radians, about the edge as laid out in the net.
double GetHingeAngle(const Edge3D* edge, const Edge3D* across);

}  // namespace corvia
