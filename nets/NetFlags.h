#pragma once
// Flag bits of the facet model and its nets: facelet types, facelets, edgelets,
// vertices, the model itself, net types and nets.

#include <cstdint>

namespace corvia {

// ---- Face3DType flags -----------------------------------------------------------------
constexpr uint32_t kTypeOnAxis = 0x1;     // the type lies on a rotation axis
constexpr uint32_t kTypeAxisKind0 = 0x2;  // ... of axis type 0 of the group
constexpr uint32_t kTypeAxisKind1 = 0x4;  // ... of axis type 1 (neither: axis type 2)
constexpr uint32_t kTypeConvex = 0x8;     // the outline is one convex ring
constexpr uint32_t kTypeDrawn = 0x10;     // made from a user's drawn polygon
constexpr uint32_t kTypePanelYes = 0x20;  // the construction-toy panel test passed
constexpr uint32_t kTypePanelNo = 0x40;   // ... and failed
constexpr uint32_t kTypePanelRhombus = 0x80;

// ---- Face3D flags ------------------------------------------------------------------------
constexpr uint32_t kFaceletReversed = 0x1;  // shows the back of its source face
constexpr uint32_t kFaceletFlipped = 0x2;   // set with kFaceletReversed for one kind of facelet
constexpr uint32_t kFaceletVisited = 0x4;   // walks over nets; cleared by each walk
constexpr uint32_t kFaceletMirrored = 0x8;  // exactly one of the two bits above
constexpr uint32_t kFaceletSelectAlone = 0x40;

// ---- Edge3D flags --------------------------------------------------------------------------
constexpr uint32_t kEdgePrefer1 = 0x1;  // preferred when nets are combined
constexpr uint32_t kEdgePrefer2 = 0x2;
constexpr uint32_t kEdgeGeneratorCut = 0x4;  // no neighbour in the net, or colours differ
constexpr uint32_t kEdgeUserCut = 0x8;
constexpr uint32_t kEdgeNeverJoin = 0x10;
constexpr uint32_t kEdgeSeenAtVertex = 0x20;  // seen by the current vertex search
constexpr uint32_t kEdgeRejectedStart = 0x40;
constexpr uint32_t kEdgeNotSymmetricStart = 0x80;
constexpr uint32_t kEdgeJoinedFirst = 0x100;  // joined inside its net, side in the net first
constexpr uint32_t kEdgeJoinedAdded = 0x200;  // joined inside its net, side added across it
constexpr uint32_t kEdgeTrialMark = 0x400;
constexpr uint32_t kEdgeJoinedSomewhere = 0x800;  // on first-net copies: joined in some net
constexpr uint32_t kEdgePlacementJoin = 0x1000;   // closed by a placement landing on its neighbour
constexpr uint32_t kEdgeHasTab = 0x2000;
constexpr uint32_t kEdgeTabNone = 0x4000;  // the user's tab kind for this edge
constexpr uint32_t kEdgeTabSingle = 0x8000;
constexpr uint32_t kEdgeTabDouble = 0x10000;
constexpr uint32_t kEdgeHullPoint = 0x20000;           // outline point on the first net's convex hull
constexpr uint32_t kEdgeDrawnMark = 0x40000;           // the one edgelet of a physical edge that is drawn
constexpr uint32_t kEdgeRotatedLoop = 0x80000;         // its loop is one of a set of rotated copies
constexpr uint32_t kEdgeVisited = 0x100000;            // scratch mark of net walks; cleared after each
constexpr uint32_t kEdgeTabGap = 0x200000;             // the ring member in whose gap a tab lies
constexpr uint32_t kEdgeSameWayNeighbour = 0x4000000;  // the neighbour runs the same way (seam of a one-sided surface)

constexpr uint32_t kEdgeJoined = kEdgeJoinedFirst | kEdgeJoinedAdded;
constexpr uint32_t kEdgeCut = kEdgeGeneratorCut | kEdgeUserCut;
constexpr uint32_t kEdgeTabKinds = kEdgeTabNone | kEdgeTabSingle | kEdgeTabDouble;
// Bits 8 to 11: any join of a ring member.
constexpr uint32_t kEdgeAnyJoin = 0xF00;
// The edgelet's own coincident-edge method (at most one; none: the global default).
constexpr uint32_t kEdgeCoincMethods = 0x400000 | 0x800000 | 0x1000000 | 0x2000000;
// What a new generation of nets clears: 0x4 and 0x10 to 0x1000, and the hull points.
constexpr uint32_t kEdgeGenerationFlags =
    0x4 | 0x10 | 0x20 | 0x40 | 0x80 | 0x100 | 0x200 | 0x400 | 0x800 | 0x1000 | kEdgeHullPoint;

// ---- Vert3D flags ----------------------------------------------------------------------------
constexpr uint32_t kVertGroupDistance = 0x3F;  // distance back to the previous record of the group
constexpr uint32_t kVertAlone = 0x40;          // at the origin: one copy
constexpr uint32_t kVertOnAxis = 0x80;
constexpr uint32_t kVertAxisKind0 = 0x100;
constexpr uint32_t kVertAxisKind1 = 0x200;
constexpr uint32_t kVertGroupFirst = 0x400;
constexpr int kVertMaxGroupDistance = 62;

// ---- Model3D::mFlags -----------------------------------------------------------------------------
constexpr uint32_t kModelToyYes = 0x1;
constexpr uint32_t kModelToyNo = 0x2;
constexpr uint32_t kModelLineData = 0x4;
constexpr uint32_t kModelHasNets = 0x8;

// ---- NetType and Net flags --------------------------------------------------------------------------
constexpr uint32_t kNetTypeCandidate = 0x1;  // candidate for merging across convex edges
constexpr uint32_t kNetTypeVisited = 0x2;
constexpr uint32_t kNetTypeRejected = 0x4;
constexpr uint32_t kNetMerged = 0x1;
constexpr uint32_t kNetVisited = 0x2;
constexpr uint32_t kNetRemoved = 0x4;

// ---- Angles of edges ------------------------------------------------------------------------------------
// pi + 1e-7: dihedral angles up to this are convex.
constexpr double kConvexLimit = 3.141592753589793;
// A flat join: within 1e-7 of pi.
constexpr double kFlatLow = 3.1415925535897933;
constexpr double kFlatHigh = 3.141592753589793;

}  // namespace corvia
