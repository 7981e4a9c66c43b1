// The short operations of the stellation-diagram records: construction, lookups by
// position, line arithmetic, walks round a point and along a line, names for
// diagnostics and the frames of net drawing.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "core/MergeSort.h"
#include "core/Messages.h"
#include "core/VectorMath.h"
#include "model/ElementFlags.h"
#include "model/FaceType.h"
#include "model/FaceTypeBlock.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "stellation/StellationDiagram.h"
#include "symmetry/SymGroup.h"

namespace corvia {

namespace detail_StellationRecords {

// A walk round one point never meets more corners than this.
constexpr int kMaxWalkSteps = 2000;
constexpr int kNumNameBuffers = 4;

int SideOf(const StellationLine* line, const StellationPoint* point) {
  const double value = line->Evaluate(point->mX, point->mY);
  if (value > kPointTolerance) return 1;
  if (value < -kPointTolerance) return -1;
  return 0;
}

// The determinant of the equations of three lines, their constant terms taken as shares
// of the scale, over the size of those equations: 0 where they meet in one point; for
// lines that cross at a point, the line's value there times the sine of their angle.
double MeetDeterminant(const StellationLine* line, const StellationLine* first, const StellationLine* second,
                       double scale) {
  const double c0 = line->mC / scale;
  const double c1 = first->mC / scale;
  const double c2 = second->mC / scale;
  const double crossing = first->mA * second->mB - second->mA * first->mB;
  const double together = line->mA * (first->mB * c2 - second->mB * c1) - line->mB * (first->mA * c2 - second->mA * c1) +
                          c0 * crossing;
  return together / (1.0 + std::fabs(c0) + std::fabs(c1) + std::fabs(c2));
}

// The side from the equations of the two lines through the corner's point that cross
// at the widest angle (MeetDeterminant).
int SideFromEquations(const StellationLine* line, const SegVert* corner, double tolerance, double scale) {
  const StellationLine* first = corner->mLine;
  const StellationLine* second = nullptr;
  double widest = 0.0;
  const SegVert* walk = corner;
  for (int steps = 0; walk && steps < kMaxWalkSteps; ++steps) {
    const double d = std::fabs(first->mA * walk->mLine->mB - walk->mLine->mA * first->mB);
    if (d > widest) {
      widest = d;
      second = walk->mLine;
    }
    walk = walk->mTwin ? walk->mTwin->mNext : nullptr;
    if (walk == corner) break;
  }
  if (!second || widest <= kPointTolerance) return SideOf(line, corner->mPoint);
  const double together = MeetDeterminant(line, first, second, scale);
  if (std::fabs(together) <= tolerance) return 0;
  const double crossing = first->mA * second->mB - second->mA * first->mB;
  return (together > 0.0) == (crossing > 0.0) ? 1 : -1;
}

const SymGroup* GroupOf(const FaceType* type) {
  return type && type->mOwner ? type->mOwner->mSymGroup : nullptr;
}

}  // namespace detail_StellationRecords

char* NextStellationNameBuffer() {
  static char buffers[detail_StellationRecords::kNumNameBuffers][kStellationNameSize];
  static int next = 0;
  char* buffer = buffers[next];
  next = (next + 1) % detail_StellationRecords::kNumNameBuffers;
  return buffer;
}

void MapFramePoint(const PolyElement* from, const double* matrix, const PolyElement* to, double x, double y,
                   double* out) {
  Transform3D toWorld;
  from->GetFaceToWorld(toWorld, false);
  const double local[3] = {x, y, 0.0};
  double world[3];
  TransformPoint(toWorld, world, local);
  if (matrix) {
    double image[3];
    MatrixTimesVector(matrix, image, world);
    CopyVector(world, image);
  }
  Transform3D toFace;
  to->GetWorldToFace(toFace, false);
  TransformPoint(toFace, out, world);
}

// ---- Lines ---------------------------------------------------------------------------

void StellationLine::Init(FaceType* owner, const double* equation, PolyElement* cuttingFace, StellationLine* next) {
  mOwner = owner;
  mA = equation[0];
  mB = equation[1];
  mC = equation[2];
  mFlags = 0;
  if (std::fabs(mC) <= kPointTolerance) mFlags |= kLineThroughCentre;
  if (std::fabs(mA) < std::fabs(mB)) mFlags |= kLineMostlyHorizontal;
  const PolyElement* rep = owner ? owner->mFirstFace : nullptr;
  if (cuttingFace && rep) {
    Cross(mDirection, cuttingFace->mZAxis, rep->mZAxis);
  } else {
    mDirection[0] = mDirection[1] = mDirection[2] = 0.0;
  }
  mPlaneFaces[0] = mPlaneFaces[1] = cuttingFace;
  mPlaneFaces[2] = nullptr;
  mMeasures[0] = mMeasures[1] = 0.0;
  mLinked[0] = mLinked[1] = nullptr;
  mFirst = mLast = nullptr;
  mNext = next;
}

int StellationLine::GetIndex(const StellationLine* line) {
  if (!line) return -1;
  int i = 0;
  for (const StellationLine* l = line->mOwner ? line->mOwner->mLineEqns : nullptr; l; l = l->mNext, ++i) {
    if (l == line) return i;
  }
  return -2;
}

bool StellationLine::HasPlaneFace(const PolyElement* element) const {
  if (!element) return false;
  for (const PolyElement* face : mPlaneFaces) {
    if (face && (face == element || face->IsCoplanarWith(element))) return true;
  }
  return false;
}

double StellationLine::PlaneMeasure(const PolyElement* face) const {
  const PolyElement* rep = mOwner ? mOwner->mFirstFace : nullptr;
  if (!rep || !face) return 0.0;
  double normal[3];
  CopyVector(normal, face->mZAxis);
  if (Dot(normal, rep->mZAxis) < 0.0) Negate(normal);
  double w[3];
  Cross(w, rep->mZAxis, normal);
  const double measure = Dot(w, w);
  return Dot(w, mDirection) < 0.0 ? -measure : measure;
}

bool StellationLine::YAtX(double x, double* y) const {
  if (std::fabs(mB) <= kPointTolerance) return false;
  *y = -(mA * x + mC) / mB;
  return true;
}

bool StellationLine::XAtY(double y, double* x) const {
  if (std::fabs(mA) <= kPointTolerance) return false;
  *x = -(mB * y + mC) / mA;
  return true;
}

bool StellationLine::LiesInMirrorPlane(const FaceType* type) const {
  for (const StellationLine* linked : mLinked) {
    if (linked && (linked->mFlags & kLineInMirrorPlane)) return true;
  }
  const SymGroup* group = detail_StellationRecords::GroupOf(type);
  const PolyElement* rep = type ? type->mFirstFace : nullptr;
  if (!group || !rep || !mFirst || !mLast || !mFirst->mPoint || !mLast->mPoint) return false;
  Transform3D toWorld;
  rep->GetFaceToWorld(toWorld, false);
  double ends[2][3];
  for (int e = 0; e < 2; ++e) {
    const StellationPoint* p = e == 0 ? mFirst->mPoint : mLast->mPoint;
    const double local[3] = {p->mX, p->mY, 0.0};
    TransformPoint(toWorld, ends[e], local);
  }
  for (int k = 0; k < group->mirrorPlanes.count; ++k) {
    const double* n = group->mirrorPlanes[k].direction;
    if (std::fabs(Dot(n, ends[0])) <= kAxisTolerance && std::fabs(Dot(n, ends[1])) <= kAxisTolerance) {
      return true;
    }
  }
  return false;
}

bool IntersectLines(const StellationLine* a, const StellationLine* b, double* x, double* y) {
  const double det = a->mA * b->mB - b->mA * a->mB;
  if (std::fabs(det) <= kPointTolerance) return false;
  double px = (a->mB * b->mC - b->mB * a->mC) / det;
  double py = (b->mA * a->mC - a->mA * b->mC) / det;
  if (std::fabs(px) <= kPointTolerance) px = 0.0;
  if (std::fabs(py) <= kPointTolerance) py = 0.0;
  *x = px;
  *y = py;
  return true;
}

// ---- Points ----------------------------------------------------------------------------

void StellationPoint::Init(FaceType* owner, double x, double y, StellationPoint* next) {
  mOwner = owner;
  mX = x;
  mY = y;
  mFlags = 0;
  mSpare = 0;
  mCoincident = nullptr;
  mNext = next;
}

int StellationPoint::GetIndex(const StellationPoint* point) {
  if (!point) return -1;
  const FaceType* type = point->mOwner;
  if (!type) return -2;
  int i = 0;
  for (const StellationPoint* list : {type->mOuterPoints, type->mInnerPoints}) {
    for (const StellationPoint* p = list; p; p = p->mNext, ++i) {
      if (p == point) return i;
    }
  }
  return -2;
}

int StellationPoint::GetSymmetryKind() const {
  if (mFlags & kPointSingle) return 0;
  if (!(mFlags & kPointOnAxis)) return -1;
  if (mFlags & kPointAxisKind0) return 0;
  if (mFlags & kPointAxisKind1) return 1;
  return 2;
}

int StellationPoint::GetNumCopies() const {
  if (mFlags & kPointSingle) return 1;
  const SymGroup* group = detail_StellationRecords::GroupOf(mOwner);
  const int order = group && group->numRotations > 0 ? group->numRotations : 1;
  const int kind = GetSymmetryKind();
  if (kind < 0 || !group || kind >= group->numAxisTypes) return order;
  const int fold = std::abs(group->axisTypes[kind].fold);
  return fold > 0 ? order / fold : order;
}

void JoinCoincidentLists(StellationPoint* a, StellationPoint* b) {
  if (!a || !b || !a->mCoincident || !b->mCoincident) {
    ShowInternalError("JoinCoincidentLists: Empty lists");
    return;
  }
  if (a == b) return;
  // Already one ring?
  for (StellationPoint* p = a->mCoincident; p != a; p = p->mCoincident) {
    if (p == b || !p) return;
  }
  // Splicing two rings by exchanging one successor each joins them.
  StellationPoint* next = a->mCoincident;
  a->mCoincident = b->mCoincident;
  b->mCoincident = next;
}

// ---- Corners ---------------------------------------------------------------------------

void SegVert::Init(StellationSegment* segment, StellationLine* line, StellationPoint* point) {
  mFlags = 0;
  mSegment = segment;
  mLine = line;
  mTwin = mNeighbour = nullptr;
  mPoint = point;
  mNext = mPrev = nullptr;
  mNeighbourPlane = 0;
}

StellationFacet* SegVert::GetFacet() const {
  return mSegment ? mSegment->mFacet : nullptr;
}

int SegVert::GetLayer() const {
  const StellationFacet* own = GetFacet();
  const StellationFacet* other = mTwin ? mTwin->GetFacet() : nullptr;
  if (own && other) return own->mLayer > other->mLayer ? own->mLayer : other->mLayer;
  if (own) return own->mLayer + 1;
  if (other) return other->mLayer + 1;
  return 0;
}

SegVert* SegVert::GetAdjacent(bool down) const {
  if (down) return mNeighbour;
  return mTwin && mTwin->mNeighbour ? mTwin->mNeighbour->mTwin : nullptr;
}

PolyElement* SegVert::GetAdjacentPlane(bool down) const {
  const SegVert* from = down ? this : mTwin;
  if (!from || !mLine) return nullptr;
  return mLine->mPlaneFaces[from->mNeighbourPlane ? 1 : 0];
}

SegVert* SegVert::GetNextAlongLine(const StellationLine* line) const {
  using detail_StellationRecords::kMaxWalkSteps;
  const SegVert* from = this;
  if (mLine != line) {
    // The corner on the line among those at this point.
    const SegVert* found = nullptr;
    const SegVert* corner = this;
    for (int steps = 0; steps < kMaxWalkSteps && corner; ++steps) {
      if (corner->mLine == line) {
        found = corner;
        break;
      }
      corner = corner->mTwin ? corner->mTwin->mNext : nullptr;
      if (corner == this) break;
    }
    if (!found) return nullptr;
    from = found;
  }
  // Round the end point of the edge: the other corner on the line goes on.
  SegVert* start = from->mNext;
  SegVert* corner = start;
  for (int steps = 0; steps < kMaxWalkSteps && corner; ++steps) {
    if (corner->mLine == line && corner != from->mTwin) return corner;
    corner = corner->mTwin ? corner->mTwin->mNext : nullptr;
    if (corner == start) break;
  }
  return nullptr;
}

bool SegVert::CrossesLine(const StellationLine* line, double* x, double* y) const {
  if (!mLine || !mNext || !mPoint || !mNext->mPoint) return false;
  double px = 0.0;
  double py = 0.0;
  if (!IntersectLines(mLine, line, &px, &py)) return false;
  const bool useX = (mLine->mFlags & kLineMostlyHorizontal) != 0;
  const double start = useX ? mPoint->mX : mPoint->mY;
  const double end = useX ? mNext->mPoint->mX : mNext->mPoint->mY;
  const double c = useX ? px : py;
  const double low = start < end ? start : end;
  const double high = start < end ? end : start;
  if (c < low - kAlongLineTolerance || c > high + kAlongLineTolerance) return false;
  *x = px;
  *y = py;
  return true;
}

bool SegVert::IsAtPoint(double x, double y) const {
  return mPoint && std::fabs(mPoint->mX - x) <= kAlongLineTolerance && std::fabs(mPoint->mY - y) <= kAlongLineTolerance;
}

int SegVert::CountEdgesAtPoint() const {
  int count = 0;
  const SegVert* corner = this;
  do {
    ++count;
    corner = corner->mTwin ? corner->mTwin->mNext : nullptr;
  } while (corner && corner != this && count < detail_StellationRecords::kMaxWalkSteps);
  return count;
}

int SegVert::GetIndexInSegment() const {
  if (!mSegment || !mSegment->mFirst) return -1;
  int i = 0;
  const SegVert* corner = mSegment->mFirst;
  do {
    if (corner == this) return i;
    ++i;
    corner = corner->mNext;
  } while (corner && corner != mSegment->mFirst && i < detail_StellationRecords::kMaxWalkSteps);
  return -1;
}

const char* SegVert::GetName() const {
  char* buffer = NextStellationNameBuffer();
  if (!mSegment) {
    std::snprintf(buffer, kStellationNameSize, "Empty");
  } else if (!mSegment->mFacet) {
    std::snprintf(buffer, kStellationNameSize, "0x%x-%d",
                  static_cast<unsigned>(reinterpret_cast<uintptr_t>(mSegment) & 0xffffu), GetIndexInSegment());
  } else {
    std::snprintf(buffer, kStellationNameSize, "%d-%d", mSegment->mFacet->mNumber, GetIndexInSegment());
  }
  return buffer;
}

const char* SegVert::GetLongName() const {
  // The label goes into a buffer of its own first: formatting a buffer into itself
  // would overlap source and destination.
  const char* label = GetName();
  char* buffer = NextStellationNameBuffer();
  const FaceType* type = mLine ? mLine->mOwner : nullptr;
  std::snprintf(buffer, kStellationNameSize, "%d-%s", FaceType::GetNumber(type), label);
  return buffer;
}

int SideOfLine(const StellationLine* line, const SegVert* corner) {
  using namespace detail_StellationRecords;
  const StellationDiagramPools* pools = line->mOwner ? line->mOwner->mStellationPools.get() : nullptr;
  if (!pools || pools->mMeetTolerance <= 0.0) return SideOf(line, corner->mPoint);
  return SideFromEquations(line, corner, pools->mMeetTolerance, pools->mMeetScale);
}

SegVert* FindEdgeAroundVertex(SegVert* corner, const StellationLine* line) {
  using namespace detail_StellationRecords;
  if (!corner || !corner->mNext) return nullptr;
  int startSide = SideOfLine(line, corner->mNext);
  SegVert* walk = corner;
  for (int steps = 0; steps < kMaxWalkSteps; ++steps) {
    walk = walk->mTwin ? walk->mTwin->mNext : nullptr;
    if (!walk || walk == corner || !walk->mNext) return nullptr;
    const int side = SideOfLine(line, walk->mNext);
    if (side == 0) {
      // An edge along the line itself: the line would run on an existing edge.
      return nullptr;
    }
    if (startSide == 0) {
      startSide = side;
      continue;
    }
    if (side != startSide) return walk;
  }
  return nullptr;
}

// ---- Segments --------------------------------------------------------------------------

int StellationSegment::CountCorners() const {
  int count = 0;
  const SegVert* corner = mFirst;
  if (!corner) return 0;
  do {
    ++count;
    corner = corner->mNext;
  } while (corner && corner != mFirst && count < detail_StellationRecords::kMaxWalkSteps);
  return count;
}

void StellationSegment::GetCentroid(double* out) const {
  out[0] = out[1] = 0.0;
  int count = 0;
  const SegVert* corner = mFirst;
  if (!corner) return;
  do {
    out[0] += corner->mPoint->mX;
    out[1] += corner->mPoint->mY;
    ++count;
    corner = corner->mNext;
  } while (corner && corner != mFirst && count < detail_StellationRecords::kMaxWalkSteps);
  out[0] /= count;
  out[1] /= count;
}

bool StellationSegment::TouchesOutside() const {
  const SegVert* corner = mFirst;
  if (!corner) return false;
  int count = 0;
  do {
    if (!corner->mTwin || !corner->mTwin->mSegment) return true;
    corner = corner->mNext;
  } while (corner && corner != mFirst && ++count < detail_StellationRecords::kMaxWalkSteps);
  return false;
}

int StellationSegment::CountInnerCorners() const {
  int inner = 0;
  const SegVert* corner = mFirst;
  if (!corner) return 0;
  int count = 0;
  do {
    const StellationSegment* across = corner->mTwin ? corner->mTwin->mSegment : nullptr;
    if (across && !across->TouchesOutside()) ++inner;
    corner = corner->mNext;
  } while (corner && corner != mFirst && ++count < detail_StellationRecords::kMaxWalkSteps);
  return inner;
}

void StellationSegment::ClearMarks() {
  // An explicit stack: the joined segments of a large diagram would nest deeply.
  std::vector<StellationSegment*> stack = {this};
  while (!stack.empty()) {
    StellationSegment* segment = stack.back();
    stack.pop_back();
    if (!(segment->mMarks & kSegmentMarked) && segment != this) continue;
    segment->mMarks &= ~kSegmentMarked;
    const SegVert* corner = segment->mFirst;
    if (!corner) continue;
    int count = 0;
    do {
      StellationSegment* across = corner->mTwin ? corner->mTwin->mSegment : nullptr;
      if (across && (across->mMarks & kSegmentMarked)) stack.push_back(across);
      corner = corner->mNext;
    } while (corner && corner != segment->mFirst && ++count < detail_StellationRecords::kMaxWalkSteps);
  }
}

// ---- Facets ----------------------------------------------------------------------------

void StellationFacet::Init(FaceType* owner, int32_t number, int32_t layer, StellationSegment** segments) {
  mOwner = owner;
  mNumber = number;
  mCellBelow = mCellAbove = nullptr;
  mLayer = layer;
  mFlags = 0;
  if (owner && owner->mFirstFace && owner->mFirstFace->HasFlag(kElementHemi)) mFlags |= kFacetHemi;
  mSpare = 0;
  mMirror = this;
  mHemiPartner = nullptr;
  mSegments = segments;
  mNext = nullptr;
  mNextVisible = nullptr;
  mPrev = nullptr;
  if (!owner) return;
  StellationDiagramPools* pools = owner->mStellationPools.get();
  StellationFacet* last = pools ? pools->mLastFacet : nullptr;
  if (!last) {
    for (last = owner->mAllFacets; last && last->mNext; last = last->mNext) {
    }
  }
  if (last) {
    last->mNext = this;
    mPrev = last;
  } else {
    owner->mAllFacets = this;
  }
  if (pools) pools->mLastFacet = this;
}

void StellationFacet::SetMirrorPartner(StellationFacet* other) {
  if (!other) return;
  mMirror = other;
  other->mMirror = this;
  if (other == this) return;
  mFlags = (mFlags & ~kFacetMirrorSecond) | kFacetMirrorFirst;
  other->mFlags = (other->mFlags & ~kFacetMirrorFirst) | kFacetMirrorSecond;
}

void StellationFacet::SetSegment(int rotation, StellationSegment* segment) {
  if (!mSegments) return;
  mSegments[rotation] = segment;
  if (segment) segment->mFacet = this;
}

void StellationFacet::SetVisible(bool on) {
  if (on == IsVisible()) {
    if (on) mFlags &= ~kFacetHidden;
    return;
  }
  if (!mOwner) return;
  if (on) {
    mFlags = (mFlags | kFacetVisible) & ~kFacetHidden;
    mNextVisible = mOwner->mVisibleFacets;
    mOwner->mVisibleFacets = this;
    return;
  }
  mFlags &= ~(kFacetVisible | kFacetFacesDown | kFacetBothSides);
  StellationFacet** link = &mOwner->mVisibleFacets;
  while (*link && *link != this) link = &(*link)->mNextVisible;
  if (*link) *link = mNextVisible;
  mNextVisible = nullptr;
}

int StellationFacet::GetDrawState() const {
  if (mFlags & kFacetVisible) return (mFlags & kFacetFacesDown) ? kFacetStateInside : kFacetStateOutside;
  return (mFlags & kFacetHidden) ? kFacetStateHidden : kFacetStateExcluded;
}

const char* StellationFacet::GetName() const {
  char* buffer = NextStellationNameBuffer();
  std::snprintf(buffer, kStellationNameSize, "%d-%d", FaceType::GetNumber(mOwner), mNumber);
  return buffer;
}

StellationSegment* StellationFacet::GetSegment(int k) const {
  if (!mSegments || !mOwner || k < 0) return nullptr;
  const int rotations = mOwner->mNumRotations > 0 ? mOwner->mNumRotations : 1;
  return k < rotations ? mSegments[k] : nullptr;
}

SegVert* StellationFacet::GetCorner(int k, int j) const {
  if (!mSegments || !mSegments[0] || !mSegments[0]->mFirst) return nullptr;
  const int rotations = mOwner && mOwner->mNumRotations > 0 ? mOwner->mNumRotations : 1;
  const StellationSegment* segment = GetSegment(k);
  SegVert* corner = nullptr;
  int offset = j;
  if (segment) {
    corner = segment->mFirst;
  } else {
    // A facet round the centre holds one segment whose corners repeat in runs.
    corner = mSegments[0]->mFirst;
    offset = j + k * (mSegments[0]->CountCorners() / rotations);
  }
  for (int i = 0; i < offset && corner; ++i) corner = corner->mNext;
  return corner;
}

int CompareFacetsByLayer(const StellationFacet* a, const StellationFacet* b) {
  if (a->mLayer != b->mLayer) return a->mLayer < b->mLayer ? -1 : 1;
  if (a->mNumber != b->mNumber) return a->mNumber < b->mNumber ? -1 : 1;
  return 0;
}

// ---- Segment lookup ----------------------------------------------------------------------

SegmentLocator::SegmentLocator(FaceType* type) {
  for (StellationSegment* s = type ? type->mFirstSegment : nullptr; s; s = s->mNext) {
    Entry entry;
    s->GetCentroid(entry.centroid);
    entry.segment = s;
    mEntries.push_back(entry);
  }
  MergeSort(mEntries, [](const Entry& a, const Entry& b) {
    return a.centroid[0] < b.centroid[0] ? -1 : (a.centroid[0] > b.centroid[0] ? 1 : 0);
  });
}

StellationSegment* SegmentLocator::Find(double x, double y) const {
  // A centroid far out is known only to a share of its distance from the centre: the
  // tolerance grows with it, and the nearest centroid within it is the one.
  const double reach = kAxisTolerance * std::max({1.0, std::fabs(x), std::fabs(y)});
  size_t low = 0;
  size_t high = mEntries.size();
  const double from = x - reach;
  while (low < high) {
    const size_t mid = (low + high) / 2;
    if (mEntries[mid].centroid[0] < from) {
      low = mid + 1;
    } else {
      high = mid;
    }
  }
  StellationSegment* nearest = nullptr;
  double best = reach;
  for (size_t i = low; i < mEntries.size() && mEntries[i].centroid[0] <= x + reach; ++i) {
    const double off = std::max(std::fabs(mEntries[i].centroid[0] - x), std::fabs(mEntries[i].centroid[1] - y));
    if (off <= best) {
      best = off;
      nearest = mEntries[i].segment;
    }
  }
  return nearest;
}

// ---- Frames ------------------------------------------------------------------------------

void FrameFromFace(double* frame, const PolyElement* face) {
  for (int k = 0; k < 16; ++k) frame[k] = 0.0;
  for (int k = 0; k < 3; ++k) {
    frame[k] = face->mXAxis[k];
    frame[4 + k] = face->mYAxis[k];
    frame[12 + k] = face->mCentre[k];
  }
  frame[15] = 1.0;
}

void ComposeFrame(double* out, const double* frame, const double* m) {
  double result[16];
  for (int k = 0; k < 16; ++k) result[k] = 0.0;
  for (int k = 0; k < 3; ++k) {
    result[k] = m[0] * frame[k] + m[1] * frame[4 + k];
    result[4 + k] = m[2] * frame[k] + m[3] * frame[4 + k];
    result[12 + k] = frame[12 + k] + m[4] * frame[k] + m[5] * frame[4 + k];
  }
  result[15] = 1.0;
  for (int k = 0; k < 16; ++k) out[k] = result[k];
}

void MapPointThroughFrame(double* out, const double* frame, double x, double y) {
  for (int k = 0; k < 3; ++k) out[k] = frame[12 + k] + x * frame[k] + y * frame[4 + k];
}

}  // namespace corvia
