// The diagrams of a block tied together: every line linked to the lines its plane makes
// in the diagrams of the planes that cut along it, every corner to the corner that
// stands for the same 3D edge in the neighbouring plane; the segments of each diagram
// grouped into facets layer by layer from the centre; the points that stand for one
// vertex of the stellation joined into rings; the corners on the original model's edges
// marked.

#include <cmath>
#include <unordered_map>
#include <vector>

#include "core/MergeSort.h"
#include "core/Messages.h"
#include "core/Outcome.h"
#include "core/Progress.h"
#include "core/VectorMath.h"
#include "model/ElementFlags.h"
#include "model/ElementList.h"
#include "model/FaceType.h"
#include "model/FaceTypeBlock.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "stellation/StellationDiagram.h"
#include "symmetry/SymGroup.h"

namespace corvia {

namespace detail_StellationLinking {

constexpr int kMaxWalkSteps = 100000;
constexpr const char* kCrossingsDisagree =
    "This model could not be stellated: the planes of its faces cross one\n"
    "another in points so near together that the diagrams of two faces do\n"
    "not agree on them. Its corners probably lie a little off the places a\n"
    "symmetry would give them, as in a file written with few decimals.";
// The same of a model whose corners the program worked out itself.
constexpr const char* kCrossingsDisagreeMade =
    "This model could not be stellated: the planes of its faces cross one\n"
    "another in points so near together that the diagrams of two faces do\n"
    "not agree on them.";

// The face type whose diagram a face's frame reads: a coplanar copy reads its master's.
FaceType* DiagramTypeOf(const PolyElement* face) {
  FaceType* type = face ? face->mType : nullptr;
  if (type && type->mCoplanarMaster) type = type->mCoplanarMaster;
  return type;
}

StellationFacet* NewFacet(FaceType* type, int* number, int layer) {
  StellationDiagramPools& pools = StellationPoolsOf(type);
  const int rotations = type->mNumRotations > 0 ? type->mNumRotations : 1;
  StellationSegment** segments = pools.mFacetSegments.Alloc(rotations);
  StellationFacet* facet = pools.mFacets.Alloc(1);
  facet->Init(type, (*number)++, layer, segments);
  return facet;
}

// The corner of the segment whose point is (x, y) within the mirror tolerance.
SegVert* CornerOfSegmentAt(StellationSegment* segment, double x, double y) {
  SegVert* corner = segment->mFirst;
  int steps = 0;
  do {
    if (std::fabs(corner->mPoint->mX - x) <= kAxisTolerance && std::fabs(corner->mPoint->mY - y) <= kAxisTolerance) {
      return corner;
    }
    corner = corner->mNext;
  } while (corner && corner != segment->mFirst && ++steps < kMaxWalkSteps);
  return nullptr;
}

// The lowest layer of the facets across the segment's edges, one more; -1 with none.
int LayerAcrossEdges(const StellationSegment* s) {
  int layer = -1;
  const SegVert* corner = s->mFirst;
  int steps = 0;
  do {
    const StellationFacet* across = corner->mTwin ? corner->mTwin->GetFacet() : nullptr;
    if (across && (layer < 0 || across->mLayer + 1 < layer)) layer = across->mLayer + 1;
    corner = corner->mNext;
  } while (corner != s->mFirst && ++steps < kMaxWalkSteps);
  return layer;
}

// The first segment without a facet that shares a corner point with a facet, and the
// layer one more than the lowest such facet's. Two lines crossing with lines parallel
// to one another on either side of the crossing bound regions on both sides that meet
// there at that one point, with no edge between them.
StellationSegment* SegmentMeetingAFacetAtAPoint(FaceType* type, int* layer) {
  std::unordered_map<const StellationPoint*, int> lowest;
  for (StellationSegment* s = type->mFirstSegment; s; s = s->mNext) {
    if (!s->mFacet) continue;
    const SegVert* corner = s->mFirst;
    int steps = 0;
    do {
      auto [at, added] = lowest.emplace(corner->mPoint, s->mFacet->mLayer);
      if (!added && s->mFacet->mLayer < at->second) at->second = s->mFacet->mLayer;
      corner = corner->mNext;
    } while (corner != s->mFirst && ++steps < kMaxWalkSteps);
  }
  for (StellationSegment* s = type->mFirstSegment; s; s = s->mNext) {
    if (s->mFacet) continue;
    *layer = -1;
    const SegVert* corner = s->mFirst;
    int steps = 0;
    do {
      auto at = lowest.find(corner->mPoint);
      if (at != lowest.end() && (*layer < 0 || at->second + 1 < *layer)) *layer = at->second + 1;
      corner = corner->mNext;
    } while (corner != s->mFirst && ++steps < kMaxWalkSteps);
    if (*layer >= 0) return s;
  }
  return nullptr;
}

// Makes the facet whose first segment is s; its rotated segments are found by turning
// the centroid about the centre.
bool CreateFacetFrom(FaceType* type, StellationSegment* s, int* number, int layer, const SegmentLocator& locator) {
  const int rotations = type->mNumRotations > 0 ? type->mNumRotations : 1;
  // A trace, not a failure: the facet is made all the same.
  if (rotations != 1) DoNothing("CreateFacets: mNumRotations != 1 unexpected\n");
  StellationFacet* facet = NewFacet(type, number, layer);
  facet->SetSegment(0, s);
  double c[2];
  s->GetCentroid(c);
  const double firstX = s->mFirst->mPoint->mX;
  const double firstY = s->mFirst->mPoint->mY;
  for (int k = 1; k < rotations; ++k) {
    const double angle = 2.0 * M_PI * k / rotations;
    const double cs = std::cos(angle);
    const double sn = std::sin(angle);
    StellationSegment* image = locator.Find(cs * c[0] - sn * c[1], sn * c[0] + cs * c[1]);
    SegVert* first = image ? CornerOfSegmentAt(image, cs * firstX - sn * firstY, sn * firstX + cs * firstY) : nullptr;
    if (!image || image->mFacet || !first) {
      ShowInternalError("CreateFacets: seg == NULL! (B)");
      return false;
    }
    facet->SetSegment(k, image);
    image->mFirst = first;
  }
  type->mFlags |= kFaceTypeSecondPassFacets;
  return true;
}

// Facets for segments the outward pass did not reach: next to existing facets across an
// edge, or where none is, at a corner point only.
bool CreateRemainingFacets(FaceType* type, int* number, const SegmentLocator& locator) {
  for (;;) {
    bool progress = false;
    for (StellationSegment* s = type->mFirstSegment; s; s = s->mNext) {
      if (s->mFacet) continue;
      const int layer = LayerAcrossEdges(s);
      if (layer < 0) continue;
      if (!CreateFacetFrom(type, s, number, layer, locator)) return false;
      progress = true;
    }
    if (progress) continue;
    int layer = -1;
    StellationSegment* s = SegmentMeetingAFacetAtAPoint(type, &layer);
    if (!s) break;
    if (!CreateFacetFrom(type, s, number, layer, locator)) return false;
  }
  for (StellationSegment* s = type->mFirstSegment; s; s = s->mNext) {
    if (!s->mFacet) {
      ShowInternalError("CreateFacets: seg == NULL! (B)");
      return false;
    }
  }
  return true;
}

// Pairs each facet with the facet that holds its mirror image across the in-plane mirror
// line.
bool PairMirrorFacets(FaceType* type, const SegmentLocator& locator) {
  for (StellationFacet* facet = type->mAllFacets; facet; facet = facet->mNext) {
    if (facet->mMirror != facet) continue;
    StellationSegment* segment = facet->mSegments[0];
    double c[2];
    segment->GetCentroid(c);
    double image[2];
    type->ReflectPoint(c, image);
    StellationSegment* mirror = locator.Find(image[0], image[1]);
    if (!mirror || !mirror->mFacet) {
      ShowInternalError("Couldn't find mirror edge\nFaceType %d, edge %s", FaceType::GetNumber(type),
                        segment->mFirst->GetName());
      return false;
    }
    StellationFacet* other = mirror->mFacet;
    if (other != facet && other->mMirror == other) facet->SetMirrorPartner(other);
  }
  return true;
}

}  // namespace detail_StellationLinking

const char* CrossingsDisagree(const FaceType* type) {
  using namespace detail_StellationLinking;
  const Poly* poly = type->mBlock ? type->mBlock->mOwner : nullptr;
  return poly && (poly->mPolyFlags & kPolyFlagDecimalCorners) ? kCrossingsDisagree : kCrossingsDisagreeMade;
}

// ---- Linking lines ---------------------------------------------------------------------------

bool LinkLines(FaceType* type, int* lineCounter, int numLines) {
  using namespace detail_StellationLinking;
  const PolyElement* rep = type->mFirstFace;
  if (!rep || type->mCoplanarMaster) return true;
  for (StellationLine* line = type->mLineEqns; line; line = line->mNext) {
    ++*lineCounter;
    if (!UpdateProgress(numLines > 0 ? static_cast<double>(*lineCounter) / numLines : 1.0,
                        "Linking lines between face types, %d of %d.", *lineCounter, numLines)) {
      return false;
    }
    for (int j = 0; j < 2; ++j) {
      PolyElement* plane = line->mPlaneFaces[j];
      if (!plane || (j == 1 && plane == line->mPlaneFaces[0])) continue;
      double equation[3];
      if (!plane->IntersectPlaneLine(rep, equation)) {
        ShowInternalError("Other plane says faces don't intersect!");
        continue;
      }
      FaceType* other = DiagramTypeOf(plane);
      StellationLine* linked = other ? other->FindLine(equation[0], equation[1], equation[2]) : nullptr;
      if (!linked) {
        ShowInternalError("Couldn't find line in other plane");
        return false;
      }
      line->mLinked[j] = linked;
      const uint32_t bit = j == 0 ? kLineSameDirection1 : kLineSameDirection2;
      line->mFlags &= ~bit;
      if (linked->mFirst && line->mFirst && line->mLast) {
        double mapped[3];
        MapFramePoint(plane, nullptr, rep, linked->mFirst->mPoint->mX, linked->mFirst->mPoint->mY, mapped);
        const double dFirst = std::hypot(mapped[0] - line->mFirst->mPoint->mX, mapped[1] - line->mFirst->mPoint->mY);
        const double dLast = std::hypot(mapped[0] - line->mLast->mPoint->mX, mapped[1] - line->mLast->mPoint->mY);
        if (dFirst < dLast) line->mFlags |= bit;
      }
    }
    const bool onePlane = !line->mPlaneFaces[1] || line->mPlaneFaces[1] == line->mPlaneFaces[0];
    if (onePlane) {
      line->mLinked[1] = line->mLinked[0];
      line->mFlags =
          (line->mFlags & ~kLineSameDirection2) | ((line->mFlags & kLineSameDirection1) ? kLineSameDirection2 : 0);
    }
  }
  return true;
}

bool FaceType::MirrorEdgeMeasure(const SegVert* c, const SegVert* k, const PolyElement* planeFace, double* out) const {
  out[0] = out[1] = 0.0;
  bool flipped = false;
  const SegVert* side = k;
  if (!side->mSegment) {
    side = k->mTwin;
    flipped = true;
  }
  if (!side || !side->mSegment || !side->mPrev || !mFirstFace || !c->mNext) return false;
  const StellationPoint* p = side->mPrev->mPoint;
  double mapped[3];
  MapFramePoint(planeFace, nullptr, mFirstFace, p->mX, p->mY, mapped);
  const StellationLine* line = c->mLine;
  const double dx = c->mNext->mPoint->mX - c->mPoint->mX;
  const double dy = c->mNext->mPoint->mY - c->mPoint->mY;
  // The line's value grows towards the right of the edge when (a, b) points there.
  const double rightSign = (line->mA * dy - line->mB * dx) >= 0.0 ? 1.0 : -1.0;
  double x = rightSign * line->Evaluate(mapped[0], mapped[1]);
  double y = mapped[2];
  if (flipped) {
    x = -x;
    y = -y;
  }
  out[0] = x;
  out[1] = y;
  return y < 0.0;
}

bool SetNeighPointers(FaceType* type, Outcome* why) {
  using namespace detail_StellationLinking;
  const PolyElement* rep = type->mFirstFace;
  if (!rep || type->mCoplanarMaster) return true;
  for (StellationLine* line = type->mLineEqns; line; line = line->mNext) {
    StellationLine* first = line->mLinked[0];
    const bool twoPlanes = line->mPlaneFaces[1] && line->mPlaneFaces[1] != line->mPlaneFaces[0];
    StellationLine* second = twoPlanes ? line->mLinked[1] : nullptr;
    // A line that meets itself: only a face through the centre turned onto itself.
    for (int j = 0; j < 2; ++j) {
      const StellationLine* linked = j == 0 ? first : second;
      const uint32_t bit = j == 0 ? kLineSameDirection1 : kLineSameDirection2;
      if (linked != line || !(line->mFlags & bit)) continue;
      if (!rep->HasFlag(kElementHemi)) {
        ShowInternalError("SetNeighPointers: Line matches itself from the start (%d)", j + 1);
        return false;
      }
      if (type->mFlags & kFaceTypeHemiMirror) line->mFlags &= ~bit;
    }
    if (!first) {
      ShowInternalError("SetNeighPointers: No matching outer line");
      continue;
    }
    if (twoPlanes && !second) {
      ShowInternalError("SetNeighPointers: No matching inner line");
      continue;
    }
    SegVert* c = line->mFirst;
    SegVert* k = (line->mFlags & kLineSameDirection1) ? first->mFirst : first->mLast;
    SegVert* j = nullptr;
    if (twoPlanes) {
      j = (line->mFlags & kLineSameDirection2) ? second->mFirst : second->mLast;
    } else if (k) {
      j = k->mTwin;
    }
    if (!c || !k || !j) {
      if (why) *why = Outcome::Refused(CrossingsDisagree(type));
      return false;
    }
    double m1[2];
    const bool s = type->MirrorEdgeMeasure(c, k, line->mPlaneFaces[0], m1);
    bool t = s;
    bool kFirst = true;
    if (twoPlanes) {
      double m2[2];
      t = !type->MirrorEdgeMeasure(c, j, line->mPlaneFaces[1], m2);
      // The plane nearer this one's own side of the edge below it is the one whose
      // cotangent seen from the edge is larger.
      const double cot1 = m1[1] != 0.0 ? m1[0] / m1[1] : 0.0;
      const double cot2 = m2[1] != 0.0 ? m2[0] / m2[1] : 0.0;
      kFirst = !(cot2 >= cot1);
    } else {
      kFirst = false;
    }
    int steps = 0;
    while (c && k && j) {
      // Each corner's neighbour is the corner below this face's plane, of the plane met
      // first when turning downwards from the corner's own side of the edge.
      SegVert* belowK = s ? k : k->mTwin;
      SegVert* belowJ = t ? j->mTwin : j;
      const uint8_t planeJ = twoPlanes ? 1 : 0;
      if (kFirst) {
        c->mNeighbour = belowK;
        c->mNeighbourPlane = 0;
        c->mTwin->mNeighbour = belowJ;
        c->mTwin->mNeighbourPlane = planeJ;
      } else {
        c->mNeighbour = belowJ;
        c->mNeighbourPlane = planeJ;
        c->mTwin->mNeighbour = belowK;
        c->mTwin->mNeighbourPlane = 0;
      }
      c = c->GetNextAlongLine(line);
      k = k->GetNextAlongLine(first);
      j = twoPlanes ? j->GetNextAlongLine(second) : (k ? k->mTwin : nullptr);
      if (++steps > kMaxWalkSteps) break;
    }
    if (c || k) {
      // One line of space, cut into different pieces in the two diagrams it lies in:
      // points of one diagram that the other holds for one point, or for two.
      if (why) *why = Outcome::Refused(CrossingsDisagree(type));
      return false;
    }
  }
  return true;
}

// ---- Facets --------------------------------------------------------------------------------------

SegVert* FaceType::FindCornerAtCentre() const {
  const StellationSegment* s = mCentralSegment;
  if (!s || !s->mFirst) return nullptr;
  SegVert* corner = s->mFirst;
  int steps = 0;
  do {
    if (std::fabs(corner->mPoint->mX) <= kAlongLineTolerance && std::fabs(corner->mPoint->mY) <= kAlongLineTolerance) {
      return corner;
    }
    corner = corner->mNext;
  } while (corner && corner != s->mFirst && ++steps < detail_StellationLinking::kMaxWalkSteps);
  return nullptr;
}

SegVert* FaceType::FindEdgeThroughCentre() const {
  const StellationSegment* s = mCentralSegment;
  if (!s || !s->mFirst || mNumRotations > 2) return nullptr;
  SegVert* corner = s->mFirst;
  int steps = 0;
  do {
    if (std::fabs(corner->mLine->mC) <= kPointTolerance) return corner;
    corner = corner->mNext;
  } while (corner && corner != s->mFirst && ++steps < detail_StellationLinking::kMaxWalkSteps);
  return nullptr;
}

namespace detail_StellationLinking {

// The centre is a corner of the diagram: the regions round it form the first facets,
// each with its rotated copies. False after an internal error.
bool CreateFacetsRoundCentre(FaceType* type, SegVert* centre, int rotations, int& number) {
  // The centre is a point of the diagram: the regions round it form the first facets.
  centre->mPoint->mCoincident = centre->mPoint;
  std::vector<SegVert*> around;
  SegVert* corner = centre;
  do {
    around.push_back(corner);
    corner = corner->mTwin ? corner->mTwin->mNext : nullptr;
  } while (corner && corner != centre && static_cast<int>(around.size()) < kMaxWalkSteps);
  const int edges = static_cast<int>(around.size());
  if (edges % rotations != 0) {
    ShowInternalError("CreateFacets: Number of symmetries doesn't\nadd up: %d facets * %d symmetries != %d edges",
                      edges / rotations, rotations, edges);
    return false;
  }
  const int step = edges / rotations;
  if (centre->mSegment) type->mCentralSegment = centre->mSegment;
  for (int i = 0; i < edges; ++i) {
    if (!around[i]->mSegment) {
      type->mFlags |= kFaceTypeSecondPassFacets;
      continue;
    }
    if (around[i]->mSegment->mFacet) continue;
    StellationFacet* facet = NewFacet(type, &number, 0);
    for (int k = 0; k < rotations; ++k) {
      SegVert* start = around[(i + k * step) % edges];
      if (!start->mSegment || start->mSegment->mFacet) {
        ShowInternalError("CreateFacets: Number of symmetries doesn't\nadd up: %d facets * %d symmetries != %d edges",
                          step, rotations, edges);
        return false;
      }
      facet->SetSegment(k, start->mSegment);
      start->mSegment->mFirst = start;
    }
  }
  return true;
}

}  // namespace detail_StellationLinking

bool CreateFacets(FaceType* type) {
  using namespace detail_StellationLinking;
  const PolyElement* rep = type->mFirstFace;
  if (type->mCoplanarMaster || !rep || rep->HasFlag(kElementInf)) return true;
  if (!type->mCentralSegment) {
    ShowInternalError("CreateFacets: No innermost segment");
    return false;
  }
  type->mFlags &= ~kFaceTypeFacetWork;
  const int rotations = type->mNumRotations > 0 ? type->mNumRotations : 1;
  int number = 0;

  if (SegVert* centre = type->FindCornerAtCentre()) {
    if (!CreateFacetsRoundCentre(type, centre, rotations, number)) return false;
  } else if (SegVert* through = type->FindEdgeThroughCentre();
             through && rotations == 2 && through->mTwin && through->mTwin->mSegment) {
    // The centre lies inside an edge: the half turn about it carries the region on one
    // side onto the region on the other, edge onto edge reversed, and the two are the
    // central facet's two rotated segments.
    StellationSegment* central = through->mSegment;
    StellationSegment* across = through->mTwin->mSegment;
    StellationFacet* facet = NewFacet(type, &number, 0);
    facet->SetSegment(0, central);
    central->mFirst = through;
    facet->SetSegment(1, across);
    across->mFirst = through->mTwin;
  } else {
    StellationSegment* central = type->mCentralSegment;
    const int corners = central->CountCorners();
    if (corners % rotations != 0) {
      ShowInternalError("CreateFacets: Number of symmetries don't\nadd up: %d facets * %d symmetries != %d edges",
                        corners / rotations, rotations, corners);
      return false;
    }
    // One facet whose single segment holds all the rotated copies of its corners.
    StellationFacet* facet = NewFacet(type, &number, 0);
    facet->SetSegment(0, central);
  }

  // Outwards, in order of creation: the regions across each edge of a facet's first
  // segment, with their rotated copies across the corresponding edges.
  for (StellationFacet* facet = type->mAllFacets; facet; facet = facet->mNext) {
    const int count = facet->mSegments[0]->CountCorners();
    for (int j = 0; j < count; ++j) {
      SegVert* c0 = facet->GetCorner(0, j);
      StellationSegment* across = c0 && c0->mTwin ? c0->mTwin->mSegment : nullptr;
      if (!across || across->mFacet) continue;
      StellationFacet* next = NewFacet(type, &number, facet->mLayer + 1);
      for (int k = 0; k < rotations; ++k) {
        SegVert* ck = facet->GetCorner(k, j);
        StellationSegment* image = ck && ck->mTwin ? ck->mTwin->mSegment : nullptr;
        if (!image || image->mFacet) {
          ShowInternalError("CreateFacets: seg == NULL!");
          return false;
        }
        next->SetSegment(k, image);
        image->mFirst = ck->mTwin;
      }
    }
  }

  SegmentLocator locator(type);
  if (!CreateRemainingFacets(type, &number, locator)) return false;
  if (type->mFlags & kFaceTypeSelfMirror) {
    if (!PairMirrorFacets(type, locator)) return false;
  }
  return true;
}

void FaceType::LinkRotatedCorners() {
  if (mCoplanarMaster) return;
  for (StellationPoint* p = mInnerPoints; p; p = p->mNext) {
    if (!p->mCoincident) p->mCoincident = p;
  }
  const int rotations = mNumRotations > 0 ? mNumRotations : 1;
  if (rotations == 1) return;
  for (StellationFacet* facet = mAllFacets; facet; facet = facet->mNext) {
    StellationSegment* first = facet->mSegments[0];
    if (!first) continue;
    const int count = first->CountCorners();
    // A facet round the centre repeats its corners in runs within its one segment.
    const int run = facet->GetSegment(1) ? count : count / rotations;
    for (int j = 0; j < run; ++j) {
      StellationPoint* p0 = facet->GetCorner(0, j)->mPoint;
      for (int k = 1; k < rotations; ++k) {
        SegVert* corner = facet->GetCorner(k, j);
        if (corner) JoinCoincidentLists(p0, corner->mPoint);
      }
    }
  }
}

void MarkPointsOnAxes(FaceType* type) {
  const PolyElement* rep = type ? type->mFirstFace : nullptr;
  const SymGroup* group = type && type->mOwner ? type->mOwner->mSymGroup : nullptr;
  if (!rep || type->mCoplanarMaster) return;
  Transform3D toWorld;
  rep->GetFaceToWorld(toWorld, false);
  for (StellationPoint* p = type->mInnerPoints; p; p = p->mNext) {
    p->mFlags &= ~kPointAxisBits;
    const double local[3] = {p->mX, p->mY, 0.0};
    double world[3];
    TransformPoint(toWorld, world, local);
    const double length = std::sqrt(Dot(world, world));
    if (length <= kPointTolerance) {
      p->mFlags |= kPointSingle;
      continue;
    }
    if (!group) continue;
    double direction[3];
    Divide(direction, world, length);
    const SymAxisType* axisType = group->FindAxisTypeAlong(direction);
    if (!axisType) continue;
    const int kind = group->IndexOfAxisType(axisType);
    p->mFlags |= kPointOnAxis;
    if (kind == 0) p->mFlags |= kPointAxisKind0;
    if (kind == 1) p->mFlags |= kPointAxisKind1;
  }
}

void FaceType::CopyHemiPointFlags() {
  if (!mFirstFace || !mFirstFace->HasFlag(kElementHemi)) return;
  constexpr uint32_t kLowBits = 0xF;
  for (StellationPoint* p = mInnerPoints; p; p = p->mNext) {
    int steps = 0;
    for (StellationPoint* q = p->mCoincident; q && q != p && steps < detail_StellationLinking::kMaxWalkSteps;
         q = q->mCoincident, ++steps) {
      const PolyElement* face = q->mOwner ? q->mOwner->mFirstFace : nullptr;
      if (face && !face->HasFlag(kElementHemi)) {
        p->mFlags = (p->mFlags & ~kLowBits) | (q->mFlags & kLowBits);
        break;
      }
    }
  }
}

bool JoinCoincidentVertices(FaceType* type, int i, int n) {
  if (!type->mFirstFace || type->mCoplanarMaster) return true;
  const int total = CountLines(type);
  int k = 0;
  for (StellationLine* line = type->mLineEqns; line; line = line->mNext) {
    ++k;
    StellationLine* linked = line->mLinked[0];
    if (!linked || (linked == line && (line->mFlags & kLineSameDirection1))) continue;
    if (!UpdateProgress(total > 0 ? static_cast<double>(k) / total : 1.0,
                        "Joining coincident vertices for face type %d of %d,\nLine %d of %d.", i + 1, n, k, total)) {
      return false;
    }
    SegVert* c = line->mFirst;
    SegVert* other = (line->mFlags & kLineSameDirection1) ? linked->mFirst : linked->mLast;
    SegVert* lastC = nullptr;
    SegVert* lastOther = nullptr;
    int steps = 0;
    while (c && other && ++steps < detail_StellationLinking::kMaxWalkSteps) {
      JoinCoincidentLists(c->mPoint, other->mPoint);
      lastC = c;
      lastOther = other;
      c = c->GetNextAlongLine(line);
      other = other->GetNextAlongLine(linked);
    }
    if (lastC && lastOther && lastC->mNext && lastOther->mNext) {
      JoinCoincidentLists(lastC->mNext->mPoint, lastOther->mNext->mPoint);
    }
  }
  type->CopyHemiPointFlags();
  return true;
}

// ---- Original edges --------------------------------------------------------------------------------

DiagramFrameFaces::DiagramFrameFaces(size_t faces) : mOwners(faces, nullptr), mFrames(faces, nullptr) {}

PolyElement* DiagramFrameFaces::Known(const PolyElement* face) const {
  const auto at = static_cast<size_t>(face->mIndex);
  if (face->mIndex >= 0 && at < mOwners.size() && mOwners[at] == face) return mFrames[at];
  const auto other = mOthers.find(face);
  return other != mOthers.end() ? other->second : nullptr;
}

void DiagramFrameFaces::Keep(const PolyElement* face, PolyElement* frame) {
  const auto at = static_cast<size_t>(face->mIndex);
  if (face->mIndex >= 0 && at < mOwners.size() && (!mOwners[at] || mOwners[at] == face)) {
    mOwners[at] = face;
    mFrames[at] = frame;
  } else {
    mOthers[face] = frame;
  }
}

PolyElement* DiagramFrameFaces::Of(PolyElement* face, const FaceType* type) {
  using namespace detail_StellationLinking;
  if (face->mType == type || !face->mCoplanarNext) return face;
  if (PolyElement* known = Known(face)) return known;
  // The ring read once from the face on: round to the face, or to the end of an open
  // chain. A chain that runs into a loop without the face (longer than the list could
  // hold) is walked for the face alone.
  std::vector<PolyElement*> ring{face};
  const size_t limit = mOwners.size() + 1;
  PolyElement* member = face->mCoplanarNext;
  for (; member && member != face && ring.size() <= limit; member = member->mCoplanarNext) ring.push_back(member);
  AddWholeWalkSteps(ring.size() - 1);
  const bool closed = member == face;
  if (member && !closed) {
    member = face->mCoplanarNext;
    int steps = 0;
    for (; member && member != face && steps < kMaxWalkSteps; ++steps, member = member->mCoplanarNext) {
      if (member->mType == type) break;
    }
    AddWholeWalkSteps(static_cast<uint64_t>(steps) + (member && member != face && steps < kMaxWalkSteps ? 1 : 0));
    return member && member != face && steps < kMaxWalkSteps ? member : face;
  }
  // From the last place back, the nearest face of the type ahead of each: past the end
  // of a closed ring the places count on round it, and a face finds none further than
  // the walk went or round to itself.
  const size_t n = ring.size();
  constexpr size_t kNone = SIZE_MAX;
  size_t ahead = kNone;
  PolyElement* frame = face;
  for (size_t p = closed ? 2 * n : n; p-- > 0;) {
    PolyElement* at = ring[p % n];
    if (p < n && at->mType != type && DiagramTypeOf(at) == type) {
      const size_t distance = ahead == kNone ? kNone : ahead - p;
      const bool found = distance < n && distance <= static_cast<size_t>(kMaxWalkSteps);
      Keep(at, found ? ring[ahead % n] : at);
      if (p == 0 && found) frame = ring[ahead % n];
    }
    if (at->mType == type) ahead = p;
  }
  return frame;
}

SegVert* MarkOriginalEdges(PolyElement* face, uint32_t flag, DiagramFrameFaces& frames) {
  using namespace detail_StellationLinking;
  if (!face) return nullptr;
  SegVert* highest = nullptr;
  std::vector<PolyElement*> stack = {face};
  face->mFlags |= kElementVisitMark;
  while (!stack.empty()) {
    PolyElement* current = stack.back();
    stack.pop_back();
    if (current->HasFlag(kElementInf)) continue;
    FaceType* type = DiagramTypeOf(current);
    if (!type || !type->mLineEqns) continue;
    // A face of a coplanar copy reads the diagram in the frame of the master's face in
    // its plane.
    PolyElement* frameFace = frames.Of(current, type);
    Transform3D toFace;
    frameFace->GetWorldToFace(toFace, false);
    const int n = current->mNumSides;
    for (int i = 0; i < n; ++i) {
      PolyElement* neighbour = GetAdjacentFaceVert(current, i);
      const PolyElement* a = current->mNeighbours[i];
      const PolyElement* b = current->mNeighbours[(i + 1) % n];
      if (!neighbour || !a || !b) continue;
      double equation[3];
      // Faces that share an edge and a plane (a face split into pieces) meet in no
      // line of the diagram: the edge between them is none of the solid's edges.
      if (!frameFace->IntersectPlaneLine(neighbour, equation)) continue;
      StellationLine* line = type->FindLine(equation[0], equation[1], equation[2]);
      if (!line) {
        ShowInternalError("MarkOriginalEdges: Couldn't find line");
      } else {
        double pa[3];
        double pb[3];
        TransformPoint(toFace, pa, a->mDualVert);
        TransformPoint(toFace, pb, b->mDualVert);
        // The corners from one end of the edge to the other, in the line's order.
        bool inside = false;
        int steps = 0;
        for (SegVert* corner = line->mFirst; corner && steps < kMaxWalkSteps;
             corner = corner->GetNextAlongLine(line), ++steps) {
          const StellationPoint* p = corner->mPoint;
          const bool atEnd =
              (std::fabs(p->mX - pa[0]) <= kPointTolerance && std::fabs(p->mY - pa[1]) <= kPointTolerance) ||
              (std::fabs(p->mX - pb[0]) <= kPointTolerance && std::fabs(p->mY - pb[1]) <= kPointTolerance);
          if (!inside) {
            if (!atEnd) continue;
            inside = true;
          } else if (atEnd) {
            break;
          }
          corner->mFlags |= flag;
          if (corner->mTwin) corner->mTwin->mFlags |= flag;
          if (!highest || corner->GetLayer() > highest->GetLayer()) highest = corner;
        }
      }
      if (!neighbour->HasFlag(kElementVisitMark)) {
        neighbour->mFlags |= kElementVisitMark;
        stack.push_back(neighbour);
      }
    }
  }
  return highest;
}

// ---- Lists ------------------------------------------------------------------------------------------

int FaceType::CountFacets() const {
  int count = 0;
  for (const StellationFacet* f = mVisibleFacets; f; f = f->mNextVisible) ++count;
  return count;
}

void FaceType::SortFacets() {
  std::vector<StellationFacet*> facets;
  for (StellationFacet* f = mVisibleFacets; f; f = f->mNextVisible) facets.push_back(f);
  MergeSort(facets, [](const StellationFacet* a, const StellationFacet* b) {
    if (a->mLayer != b->mLayer) return a->mLayer > b->mLayer ? -1 : 1;
    if (a->mNumber != b->mNumber) return a->mNumber < b->mNumber ? -1 : 1;
    return 0;
  });
  mVisibleFacets = facets.empty() ? nullptr : facets.front();
  for (size_t i = 0; i < facets.size(); ++i) facets[i]->mNextVisible = i + 1 < facets.size() ? facets[i + 1] : nullptr;
}

StellationFacet* FaceType::GetFacetByLayerIndex(int n) const {
  if (n < 0) return nullptr;
  StellationFacet* f = mAllFacets;
  while (f && n-- > 0) f = f->mNext;
  return f;
}

StellationFacet* FaceType::GetFacetByIndex(int n) const {
  if (n < 0) return nullptr;
  StellationFacet* f = mVisibleFacets;
  while (f && n-- > 0) f = f->mNextVisible;
  return f;
}

int FaceType::GetFacetIndex(const StellationFacet* facet) const {
  if (!facet) return -1;
  int i = 0;
  for (const StellationFacet* f = mAllFacets; f; f = f->mNext, ++i) {
    if (f == facet) return i;
  }
  return -2;
}

void FaceType::AddFacetsToBounds(double* bounds) const {
  const FaceType* source = mCoplanarMaster ? mCoplanarMaster : this;
  const int rotations = source->mNumRotations > 0 ? source->mNumRotations : 1;
  for (const StellationFacet* f = source->mVisibleFacets; f; f = f->mNextVisible) {
    for (int k = 0; k < rotations; ++k) {
      const StellationSegment* s = f->GetSegment(k);
      if (!s || !s->mFirst) continue;
      const SegVert* corner = s->mFirst;
      int steps = 0;
      do {
        const StellationPoint* p = corner->mPoint;
        if (p->mX < bounds[0]) bounds[0] = p->mX;
        if (p->mY < bounds[1]) bounds[1] = p->mY;
        if (p->mX > bounds[2]) bounds[2] = p->mX;
        if (p->mY > bounds[3]) bounds[3] = p->mY;
        corner = corner->mNext;
      } while (corner && corner != s->mFirst && ++steps < detail_StellationLinking::kMaxWalkSteps);
    }
  }
}

}  // namespace corvia
