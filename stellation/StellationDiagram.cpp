// One face type's stellation diagram: the lines that the other planes cut into the
// plane of its representative face, threaded one by one through a subdivision that
// starts as a large square, then trimmed to the bounded regions.

#include "stellation/StellationDiagram.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <unordered_set>
#include <vector>

#include "core/Messages.h"
#include "core/Outcome.h"
#include "core/Progress.h"
#include "core/VectorMath.h"
#include "model/ElementFlags.h"
#include "model/FaceType.h"
#include "model/FaceTypeBlock.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "stellation/StellationState.h"
#include "symmetry/SymGroup.h"

namespace corvia {

namespace detail_StellationDiagram {

constexpr const char* kPlanesEncloseNothing =
    "This model cannot be stellated: the planes of its faces do not enclose any space.";
// A ring or a walk never has more members than this.
constexpr int kMaxRingSteps = 100000;

// Lines of a diagram closer than this in every coefficient, yet not one line, or a line
// this far out: the planes of a model whose corners lie a little off the places its
// symmetry gives them, which meet where those of the symmetric model would meet in one
// line (or not at all). No diagram can tell such lines apart from one line.
constexpr double kNearLine = 1e-4;
constexpr double kFarLine = 1e5;
constexpr const char* kNearlyOneLine =
    "This model could not be stellated: in the plane of face %d, the planes\n"
    "of faces %d and %d cross in lines that nearly, but not quite, coincide,\n"
    "too near to be told apart. Its corners probably lie a little off the\n"
    "places a symmetry would give them, as in a file written with few decimals.";
constexpr const char* kNearlyParallel =
    "This model could not be stellated: the planes of faces %d and %d are\n"
    "nearly, but not quite, parallel, and cross far outside the model. Its\n"
    "corners probably lie a little off the places a symmetry would give them,\n"
    "as in a file written with few decimals.";
// The same of a model whose corners the program worked out itself.
constexpr const char* kNearlyOneLineMade =
    "This model could not be stellated: in the plane of face %d, the planes\n"
    "of faces %d and %d cross in lines that nearly, but not quite, coincide,\n"
    "too near to be told apart.";
constexpr const char* kNearlyParallelMade =
    "This model could not be stellated: the planes of faces %d and %d are\n"
    "nearly, but not quite, parallel, and cross too far outside the model\n"
    "for its stellation diagrams.";

// Whether the model's corners came from a model file to the decimals it was written
// with: planes that nearly meet in one line or point may be meant to. Corners the
// program wrote whole (a file it saved, an undo step's copy) are those it had.
bool CornersFromFile(const FaceType* type) {
  const FaceTypeBlock* block = type->mBlock;
  return block && block->mOwner && (block->mOwner->mPolyFlags & kPolyFlagDecimalCorners);
}

// How far the corners of the model lie off the planes of their faces at most, as a
// share of the model's size (its largest corner distance from the centre, in *size).
// A model the program worked out from exact rules places them to the arithmetic's
// rounding; one derived by less exact steps (a hull, a dual of many-sided faces) or
// moved by hand, much further.
double CornersOffPlanes(const Poly* poly, double* size) {
  double off = 0.0;
  double reach = 0.0;
  // Along the list: a face by its place would walk it from the head each time.
  int i = 0;
  ProgressTicker tick;
  for (const PolyElement* face = poly->mFaces.mHead; face && i < poly->mFaces.mCount; face = face->mNext, ++i) {
    (void)tick();
    if (face->HasFlag(kElementInf)) continue;
    for (int k = 0; k < face->mNumSides; ++k) {
      const PolyElement* corner = face->GetCorner(k);
      if (!corner || corner->HasFlag(kElementHemi) || corner->HasFlag(kElementInf)) continue;
      double offset[3];
      Subtract(offset, corner->mDualVert, face->mCentre);
      off = std::max(off, std::fabs(Dot(offset, face->mZAxis)));
      reach = std::max(reach, VectorLength(corner->mDualVert));
    }
  }
  *size = reach;
  return reach > 0.0 ? off / reach : 1.0;
}

// Three lines of a diagram of a model whose corners lie off their planes by a share e
// of its size meet in one point, by the determinant of their equations, within
// kMeetRoundings * max(e, rounding); where that exceeds kMostMeetTolerance, the corners
// are too far off for the equations to part crossings better than their coordinates.
constexpr double kMeetRoundings = 1000.0;
constexpr double kMostMeetTolerance = 1e-11;

// Whether the points of a diagram threaded by equations stand further apart than its
// meet tolerance reaches: two points nearer are crossings of lines meant to meet that
// the equations did not join (a model whose crossings coincide by more than its
// symmetry), and the diagram cannot be trusted.
bool PointsStandApart(FaceType* type) {
  const StellationDiagramPools& pools = StellationPoolsOf(type);
  std::vector<std::array<double, 2>> points;
  for (const StellationPoint* p = type->mInnerPoints; p; p = p->mNext) points.push_back({p->mX, p->mY});
  std::sort(points.begin(), points.end());
  ProgressTicker tick;
  for (size_t i = 0; i < points.size(); ++i) {
    (void)tick();
    const double reach = pools.mMeetTolerance * pools.mMeetScale *
                         std::max({1.0, std::fabs(points[i][0]), std::fabs(points[i][1])});
    for (size_t j = i + 1; j < points.size() && points[j][0] - points[i][0] <= reach; ++j) {
      if (std::fabs(points[j][1] - points[i][1]) <= reach) return false;
    }
  }
  return true;
}

// The meet tolerance a diagram of the type's model may take (StellationDiagramPools), the
// model's size in *scale; 0 where it has none: a model read from a file, whose corners
// are known only to the decimals written, or one whose corners lie too far off the
// planes of their faces.
double MeetTolerance(const FaceType* type, double* scale) {
  const Poly* poly = type->mBlock ? type->mBlock->mOwner : nullptr;
  if (!poly || CornersFromFile(type)) return 0.0;
  const double off = CornersOffPlanes(poly, scale);
  const double tolerance = kMeetRoundings * std::max(off, std::numeric_limits<double>::epsilon());
  return *scale <= 0.0 || tolerance > kMostMeetTolerance ? 0.0 : tolerance;
}

bool NearlyOneLine(const StellationLine* line, const double* equation) {
  for (double sign : {1.0, -1.0}) {
    if (std::fabs(line->mA - sign * equation[0]) <= kNearLine && std::fabs(line->mB - sign * equation[1]) <= kNearLine &&
        std::fabs(line->mC - sign * equation[2]) <= kNearLine) {
      return true;
    }
  }
  return false;
}

// Crossings of a diagram's lines nearer than this to one another (as a share of their
// distance from the centre, at least 1), yet not one point: three planes of a model a
// little off its symmetry that would meet in one point. The check is left out for
// diagrams of more lines than the limit, whose crossings are too many to compare.
constexpr double kNearCrossing = 1e-6;
constexpr size_t kMostLinesCompared = 1500;
constexpr const char* kNearlyOnePoint =
    "This model could not be stellated: in the plane of face %d, the planes\n"
    "of other faces cross in points that nearly, but not quite, coincide, too\n"
    "near to be told apart. Its corners probably lie a little off the places\n"
    "a symmetry would give them, as in a file written with few decimals.";
// A line that cannot be threaded through the diagram met such points, of a model
// whose corners the program worked out itself.
constexpr const char* kTooNearMade =
    "This model could not be stellated: in the plane of face %d, the planes\n"
    "of other faces cross in points too near together to be told apart.";

// Whether two crossings of the type's lines lie nearer than kNearCrossing yet apart.
bool CrossingsNearlyMeet(const FaceType* type) {
  std::vector<const StellationLine*> lines;
  for (const StellationLine* line = type->mLineEqns; line; line = line->mNext) lines.push_back(line);
  if (lines.size() > kMostLinesCompared) return false;
  std::vector<std::array<double, 2>> points;
  points.reserve(lines.size() * lines.size() / 2);
  ProgressTicker tick;
  for (size_t i = 0; i < lines.size(); ++i) {
    (void)tick();
    for (size_t j = i + 1; j < lines.size(); ++j) {
      double x = 0.0, y = 0.0;
      if (IntersectLines(lines[i], lines[j], &x, &y)) points.push_back({x, y});
    }
  }
  std::sort(points.begin(), points.end());
  const double near = kNearCrossing;
  for (size_t i = 0; i < points.size(); ++i) {
    (void)tick();
    const double reach = near * std::max(1.0, std::max(std::fabs(points[i][0]), std::fabs(points[i][1])));
    for (size_t j = i + 1; j < points.size() && points[j][0] - points[i][0] <= reach; ++j) {
      const double dx = std::fabs(points[j][0] - points[i][0]);
      const double dy = std::fabs(points[j][1] - points[i][1]);
      if (dy <= reach && (dx > kAlongLineTolerance || dy > kAlongLineTolerance)) return true;
    }
  }
  return false;
}

// The face's number as the user sees it.
int FaceNumber(const PolyElement* face) {
  return PolyElement::GetIndex(face) + 1;
}

StellationPoint* NewPoint(FaceType* type, double x, double y, bool outer) {
  StellationPoint* point = StellationPoolsOf(type).mPoints.Alloc(1);
  StellationPoint*& list = outer ? type->mOuterPoints : type->mInnerPoints;
  point->Init(type, x, y, list);
  if (outer) point->mFlags |= kPointOuter;
  list = point;
  return point;
}

SegVert* NewCorner(FaceType* type, StellationSegment* segment, StellationLine* line, StellationPoint* point) {
  SegVert* corner = StellationPoolsOf(type).mSegVerts.Alloc(1);
  corner->Init(segment, line, point);
  return corner;
}

StellationSegment* NewSegment(FaceType* type) {
  return StellationPoolsOf(type).mSegments.Alloc(1);
}

bool IsBoundingLine(FaceType* type, const StellationLine* line) {
  if (!type->mStellationPools) return false;
  for (const StellationLine* bounding : type->mStellationPools->mBoundingLines) {
    if (bounding == line) return true;
  }
  return false;
}

void LinkSegmentFront(FaceType* type, StellationSegment* segment) {
  segment->mPrev = nullptr;
  segment->mNext = type->mFirstSegment;
  if (type->mFirstSegment) type->mFirstSegment->mPrev = segment;
  type->mFirstSegment = segment;
  if (!type->mLastSegment) type->mLastSegment = segment;
}

void LinkSegmentBack(FaceType* type, StellationSegment* segment) {
  segment->mNext = nullptr;
  segment->mPrev = type->mLastSegment;
  if (type->mLastSegment) type->mLastSegment->mNext = segment;
  type->mLastSegment = segment;
  if (!type->mFirstSegment) type->mFirstSegment = segment;
}

void UnlinkSegment(FaceType* type, StellationSegment* segment) {
  if (segment->mPrev) {
    segment->mPrev->mNext = segment->mNext;
  } else {
    type->mFirstSegment = segment->mNext;
  }
  if (segment->mNext) {
    segment->mNext->mPrev = segment->mPrev;
  } else {
    type->mLastSegment = segment->mPrev;
  }
  segment->mNext = segment->mPrev = nullptr;
}

// Sets the segment of every corner of the ring starting at first.
void SetRingSegment(SegVert* first, StellationSegment* segment) {
  SegVert* corner = first;
  int steps = 0;
  do {
    corner->mSegment = segment;
    corner = corner->mNext;
  } while (corner && corner != first && ++steps < kMaxRingSteps);
}

// Splits corner X's edge (and its twin) at a new point; returns the new corner of X's
// segment, which starts at the point.
SegVert* SplitEdge(FaceType* type, SegVert* x, double px, double py) {
  SegVert* twin = x->mTwin;
  const bool outer = IsBoundingLine(type, x->mLine);
  StellationPoint* point = NewPoint(type, px, py, outer);
  SegVert* x2 = NewCorner(type, x->mSegment, x->mLine, point);
  x2->mNext = x->mNext;
  x2->mPrev = x;
  x->mNext->mPrev = x2;
  x->mNext = x2;
  SegVert* t2 = NewCorner(type, twin->mSegment, twin->mLine, point);
  t2->mNext = twin->mNext;
  t2->mPrev = twin;
  twin->mNext->mPrev = t2;
  twin->mNext = t2;
  // x now runs from its start to the point and t2 back from the point to there; the far
  // parts are x2 and the old twin.
  x->mTwin = t2;
  t2->mTwin = x;
  x2->mTwin = twin;
  twin->mTwin = x2;
  return x2;
}

// Cuts segment s along the chord from v's point to w's point (both corners of s).
// Returns the corner that runs from v's point to w's point; its segment is the new one,
// on the left of the chord.
SegVert* SplitSegment(FaceType* type, StellationSegment* s, SegVert* v, SegVert* w, StellationLine* line) {
  SegVert* back = NewCorner(type, s, line, w->mPoint);
  StellationSegment* s2 = NewSegment(type);
  SegVert* forward = NewCorner(type, s2, line, v->mPoint);
  SegVert* wPrev = w->mPrev;
  SegVert* vPrev = v->mPrev;
  wPrev->mNext = back;
  back->mPrev = wPrev;
  back->mNext = v;
  v->mPrev = back;
  vPrev->mNext = forward;
  forward->mPrev = vPrev;
  forward->mNext = w;
  w->mPrev = forward;
  back->mTwin = forward;
  forward->mTwin = back;
  s->mFirst = v;
  s2->mFirst = w;
  SetRingSegment(w, s2);
  if (s2->TouchesOutside()) {
    LinkSegmentFront(type, s2);
  } else {
    LinkSegmentBack(type, s2);
  }
  if (!s->TouchesOutside()) {
    UnlinkSegment(type, s);
    LinkSegmentBack(type, s);
  }
  ++type->mNumSegments;
  return forward;
}

// The corner of the outside at the point where the corner starts, found round it.
SegVert* OutsideCornerAt(SegVert* corner) {
  SegVert* walk = corner;
  int steps = 0;
  do {
    if (!walk->mSegment) return walk;
    walk = walk->mTwin ? walk->mTwin->mNext : nullptr;
  } while (walk && walk != corner && ++steps < kMaxRingSteps);
  return nullptr;
}

bool CornerHasKeptSide(const SegVert* corner, const std::unordered_set<const StellationSegment*>& removed) {
  const StellationSegment* own = corner->mSegment;
  const StellationSegment* other = corner->mTwin ? corner->mTwin->mSegment : nullptr;
  return (own && !removed.count(own)) || (other && !removed.count(other));
}

// The mirror partner's choice of central segment, mapped into this type's frame.
StellationSegment* CentralFromPartner(FaceType* type) {
  FaceType* partner = type->mMirrorPartner;
  if (partner && partner->mCoplanarMaster) partner = partner->mCoplanarMaster;
  if (!partner || !partner->mCentralSegment || !partner->mFirstFace || !partner->mMirrorFace) return nullptr;
  const SymGroup* group = type->mOwner ? type->mOwner->mSymGroup : nullptr;
  if (!group) return nullptr;
  // The face of this type in the plane ring of the partner's mirror face.
  PolyElement* target = nullptr;
  PolyElement* member = partner->mMirrorFace;
  int steps = 0;
  do {
    if (member->mType == type || (member->mType && member->mType->mCoplanarMaster == type)) {
      target = member;
      break;
    }
    member = member->mCoplanarNext;
  } while (member && member != partner->mMirrorFace && ++steps < kMaxRingSteps);
  if (!target) return nullptr;
  double centroid[2];
  partner->mCentralSegment->GetCentroid(centroid);
  double improper[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  group->GetReflectionMatrix(improper);
  double mapped[3];
  MapFramePoint(partner->mFirstFace, improper, target, centroid[0], centroid[1], mapped);
  for (StellationSegment* s = type->mFirstSegment; s; s = s->mNext) {
    double c[2];
    s->GetCentroid(c);
    if (std::fabs(c[0] - mapped[0]) <= kAxisTolerance && std::fabs(c[1] - mapped[1]) <= kAxisTolerance) {
      return s;
    }
  }
  return nullptr;
}

// A new central segment among the neighbours of the removed one.
StellationSegment* ChooseCentralSegment(FaceType* type, const std::vector<StellationSegment*>& neighbours) {
  std::vector<StellationSegment*> candidates = neighbours;
  if (type->mFlags & kFaceTypeSelfMirror) {
    for (bool touching : {false, true}) {
      std::vector<StellationSegment*> straddling;
      for (StellationSegment* s : neighbours) {
        if (type->SegmentStraddlesMirror(s, touching)) straddling.push_back(s);
      }
      candidates = straddling;
      if (!candidates.empty()) break;
    }
  }
  StellationSegment* best = nullptr;
  int bestScore = 0;
  double bestDistance = 0.0;
  for (StellationSegment* s : candidates) {
    int score = 0;
    const SegVert* corner = s->mFirst;
    int steps = 0;
    do {
      const StellationSegment* across = corner->mTwin ? corner->mTwin->mSegment : nullptr;
      if (!across || across->TouchesOutside()) ++score;
      corner = corner->mNext;
    } while (corner && corner != s->mFirst && ++steps < kMaxRingSteps);
    double c[2];
    s->GetCentroid(c);
    const double distance = c[0] * c[0] + c[1] * c[1];
    if (!best || score < bestScore || (score == bestScore && distance < bestDistance)) {
      best = s;
      bestScore = score;
      bestDistance = distance;
    }
  }
  return best;
}

}  // namespace detail_StellationDiagram

StellationDiagramPools& StellationPoolsOf(FaceType* type) {
  if (!type->mStellationPools) {
    StellationOf(type->mBlock);
    type->mStellationPools = MakePart<StellationDiagramPools>();
  }
  return *type->mStellationPools;
}

// ---- Lines ---------------------------------------------------------------------------------

StellationLine* FaceType::FindLine(double a, double b, double c) const {
  // A line far out, cut by a plane nearly parallel to this one, is known only to a
  // share of its distance.
  const double reach = kPointTolerance * std::max(1.0, std::fabs(c));
  for (StellationLine* line = mLineEqns; line; line = line->mNext) {
    if (std::fabs(line->mA - a) <= kPointTolerance && std::fabs(line->mB - b) <= kPointTolerance &&
        std::fabs(line->mC - c) <= reach) {
      return line;
    }
    if (std::fabs(line->mA + a) <= kPointTolerance && std::fabs(line->mB + b) <= kPointTolerance &&
        std::fabs(line->mC + c) <= reach) {
      return line;
    }
  }
  return nullptr;
}

StellationLine* FaceType::FindLineExact(double a, double b, double c) const {
  for (StellationLine* line = mLineEqns; line; line = line->mNext) {
    if (line->mA == a && line->mB == b && line->mC == c) return line;
  }
  return nullptr;
}

int CountLines(const FaceType* type) {
  int count = 0;
  for (const StellationLine* line = type ? type->mLineEqns : nullptr; line; line = line->mNext) ++count;
  return count;
}

bool CreateLines(FaceType* type, Outcome* why) {
  using namespace detail_StellationDiagram;
  if (type->mLineEqns) {
    ShowInternalError("CreateLines: mLineEqns != NULL");
    return false;
  }
  PolyElement* rep = type->mFirstFace;
  if (!rep) return true;
  auto skipped = [](const PolyElement* face) {
    return face->HasFlag(kElementInf) || face->HasFlag(kElementCoplanar) || !face->mType ||
           face->mType->mCoplanarMaster;
  };
  ProgressTicker tick;
  for (PolyElement* face = type->GetFirstPlaneFace(); face; face = face->mNext) {
    if (!tick()) return false;
    if (skipped(face)) continue;
    // One face per plane cuts: the one of lowest index among the ring's cutting faces.
    bool lower = false;
    int steps = 0;
    for (PolyElement* member = face->mCoplanarNext; member && member != face && steps < kMaxRingSteps;
         member = member->mCoplanarNext, ++steps) {
      if (!skipped(member) && member->mIndex < face->mIndex) {
        lower = true;
        break;
      }
    }
    if (lower) continue;
    double equation[3];
    if (!rep->IntersectPlaneLine(face, equation)) continue;
    StellationLine* line = type->FindLine(equation[0], equation[1], equation[2]);
    if (!line && std::fabs(equation[2]) > kFarLine) {
      if (why) {
        *why = Outcome::RefusedF(CornersFromFile(type) ? kNearlyParallel : kNearlyParallelMade, FaceNumber(rep),
                                 FaceNumber(face));
      }
      return false;
    }
    if (!line) {
      for (const StellationLine* other = type->mLineEqns; other; other = other->mNext) {
        if (NearlyOneLine(other, equation)) {
          if (why) {
            *why = Outcome::RefusedF(CornersFromFile(type) ? kNearlyOneLine : kNearlyOneLineMade, FaceNumber(rep),
                                     FaceNumber(other->mPlaneFaces[0]), FaceNumber(face));
          }
          return false;
        }
      }
      line = StellationPoolsOf(type).mLines.Alloc(1);
      line->Init(type, equation, face, type->mLineEqns);
      if (rep->HasFlag(kElementHemi) && face->HasFlag(kElementHemi)) line->mFlags |= kLineHemiJoin;
      type->mLineEqns = line;
      continue;
    }
    type->mFlags |= kFaceTypeSharedLine;
    // Keep the extreme planes through the line by their measure.
    if (line->mPlaneFaces[0] == line->mPlaneFaces[1]) {
      line->mMeasures[0] = line->mMeasures[1] = line->PlaneMeasure(line->mPlaneFaces[0]);
    }
    const double m = line->PlaneMeasure(face);
    const double m1 = line->mMeasures[0];
    const double m2 = line->mMeasures[1];
    auto displace = [&](PolyElement* old, PolyElement* staying) {
      if (old && old != staying && old != face) line->mPlaneFaces[2] = old;
    };
    if ((m <= 0.0 && (m > m1 || m1 > 0.0)) || (m > 0.0 && m >= m2 && m2 >= 0.0 && m1 > 0.0 && m > m1)) {
      PolyElement* old = line->mPlaneFaces[0];
      line->mPlaneFaces[0] = face;
      line->mMeasures[0] = m;
      displace(old, line->mPlaneFaces[1]);
    } else if ((m > 0.0 && (m < m2 || m2 < 0.0)) || (m <= 0.0 && m2 < 0.0 && m < m2)) {
      PolyElement* old = line->mPlaneFaces[1];
      line->mPlaneFaces[1] = face;
      line->mMeasures[1] = m;
      displace(old, line->mPlaneFaces[0]);
    } else if (face != line->mPlaneFaces[0] && face != line->mPlaneFaces[1]) {
      line->mPlaneFaces[2] = face;
    }
  }
  return true;
}

// ---- The square and the lines threaded through it --------------------------------------------

SegVert* FaceType::FindOuterEntry(const StellationLine* line, double* coordinate) const {
  const StellationDiagramPools* pools = mStellationPools.get();
  if (!pools || !pools->mBoundingLines[0]) return nullptr;
  const double bound = mBound;
  int side = -1;
  double x = 0.0;
  double y = 0.0;
  for (int i = 0; i < 3 && side < 0; ++i) {
    if (!IntersectLines(pools->mBoundingLines[i], line, &x, &y)) continue;
    const double free = i == 1 ? y : x;
    if (free >= -bound && free <= bound) side = i;
  }
  if (side < 0) {
    ShowInternalError("Couldn't find intersection with line [%g, %g, %g].", line->mA, line->mB, line->mC);
    return nullptr;
  }
  const double c = side == 1 ? y : x;
  *coordinate = c;
  const StellationLine* bounding = pools->mBoundingLines[side];
  for (SegVert* corner = bounding->mFirst; corner; corner = corner->GetNextAlongLine(bounding)) {
    const double a = side == 1 ? corner->mPoint->mY : corner->mPoint->mX;
    const double b = side == 1 ? corner->mNext->mPoint->mY : corner->mNext->mPoint->mX;
    const double low = a < b ? a : b;
    const double high = a < b ? b : a;
    if (c >= low - kAlongLineTolerance && c <= high + kAlongLineTolerance) return corner;
  }
  ShowInternalError("Couldn't find intersecting outer edge");
  return nullptr;
}

bool InsertLine(FaceType* type, StellationLine* line) {
  using namespace detail_StellationDiagram;
  double coordinate = 0.0;
  SegVert* entry = type->FindOuterEntry(line, &coordinate);
  if (!entry) return false;
  double px = 0.0;
  double py = 0.0;
  if (!IntersectLines(entry->mLine, line, &px, &py)) return false;
  // Where the diagram has a meet tolerance, its points are placed against the line by
  // the equations of the lines through them: crossings far nearer together than any
  // distance in coordinates tells apart stay apart.
  const bool byEquations = StellationPoolsOf(type).mMeetTolerance > 0.0;
  // The first corner of the line inside the square, and the segment it enters.
  SegVert* v = nullptr;
  SegVert* atPoint = nullptr;
  for (SegVert* end : {entry, entry->mNext}) {
    if (!atPoint && (byEquations ? SideOfLine(line, end) == 0 : end->IsAtPoint(px, py))) atPoint = end;
  }
  if (atPoint) {
    SegVert* outside = OutsideCornerAt(atPoint);
    v = outside ? FindEdgeAroundVertex(outside, line) : nullptr;
  } else {
    v = SplitEdge(type, entry, px, py);
  }
  if (!v || !v->mSegment) return false;
  SegVert* firstForward = nullptr;
  SegVert* lastBackward = nullptr;
  // Each step cuts one segment; the line crosses each segment of the square at most once.
  const int maxSteps = type->mNumSegments + 8;
  for (int step = 0;; ++step) {
    if (step > maxSteps) {
      return false;
    }
    StellationSegment* s = v->mSegment;
    SegVert* exit = nullptr;
    // The existing point the line passes through, if any.
    SegVert* w = nullptr;
    double qx = 0.0;
    double qy = 0.0;
    for (SegVert* x = v->mNext; x && x != v->mPrev && !exit; x = x->mNext) {
      if (byEquations) {
        const int start = SideOfLine(line, x);
        const int end = SideOfLine(line, x->mNext);
        if (start == 0 || end == 0) {
          w = start == 0 ? x : x->mNext;
        } else if (start == end || !IntersectLines(x->mLine, line, &qx, &qy)) {
          continue;
        }
        exit = x;
      } else if (x->CrossesLine(line, &qx, &qy)) {
        exit = x;
        if (exit->IsAtPoint(qx, qy) || exit->mNext->IsAtPoint(qx, qy)) w = exit->IsAtPoint(qx, qy) ? exit : exit->mNext;
      }
    }
    if (!exit) return false;
    SegVert* next = nullptr;
    if (w) {
      // Through an existing point: the wedge round it that the line enters next.
      if (w == v) {
        return false;
      }
      next = FindEdgeAroundVertex(w, line);
      if (!next) {
        return false;
      }
    } else {
      w = SplitEdge(type, exit, qx, qy);
      next = exit->mTwin;
    }
    const bool wasCentral = type->mCentralSegment == s;
    SegVert* forward = SplitSegment(type, s, v, w, line);
    if (wasCentral) {
      // The part on the same side of the line as the face centre stays central; the new
      // part lies on the left of the chord.
      const double atCentre = line->Evaluate(0.0, 0.0);
      if (std::fabs(atCentre) > kAlongLineTolerance) {
        const double dx = w->mPoint->mX - v->mPoint->mX;
        const double dy = w->mPoint->mY - v->mPoint->mY;
        const double left = line->mA * -dy + line->mB * dx;
        if ((left > 0.0) == (atCentre > 0.0)) type->mCentralSegment = forward->mSegment;
      }
    }
    if (!firstForward) firstForward = forward;
    lastBackward = forward->mTwin;
    if (!next->mSegment) break;
    v = next;
  }
  line->mFirst = firstForward;
  line->mLast = lastBackward;
  return true;
}

namespace detail_StellationDiagram {

// The type's lines (CreateLines) threaded one by one through a large square. After a
// failed insertion the subdivision may be inconsistent: its records go with the face
// type's pools.
enum Threading { kThreaded, kThreadingStopped, kThreadingFailed };
Threading ThreadLines(FaceType* type, int i, int n) {
  StellationDiagramPools& pools = StellationPoolsOf(type);
  StellationSegment* square = NewSegment(type);
  type->mFirstSegment = type->mLastSegment = type->mCentralSegment = square;
  type->mNumSegments = 1;
  const double r = kFaceTypeDiagramBound;
  type->mBound = r;

  const double equations[4][3] = {{0.0, -1.0, -r}, {1.0, 0.0, -r}, {0.0, 1.0, -r}, {-1.0, 0.0, -r}};
  const double corners[4][2] = {{-r, -r}, {r, -r}, {r, r}, {-r, r}};
  StellationLine* realLines = type->mLineEqns;
  StellationLine* bounding[4];
  for (int k = 3; k >= 0; --k) {
    bounding[k] = pools.mLines.Alloc(1);
    bounding[k]->Init(type, equations[k], nullptr, k == 3 ? realLines : bounding[k + 1]);
    pools.mBoundingLines[k] = bounding[k];
  }
  type->mLineEqns = bounding[0];
  StellationPoint* points[4];
  for (int k = 3; k >= 0; --k) points[k] = NewPoint(type, corners[k][0], corners[k][1], true);
  SegVert* inside[4];
  SegVert* outside[4];
  for (int k = 0; k < 4; ++k) {
    inside[k] = NewCorner(type, square, bounding[k], points[k]);
    outside[k] = NewCorner(type, nullptr, bounding[k], points[(k + 1) % 4]);
  }
  for (int k = 0; k < 4; ++k) {
    inside[k]->mNext = inside[(k + 1) % 4];
    inside[k]->mPrev = inside[(k + 3) % 4];
    // The outside runs the other way round.
    outside[k]->mNext = outside[(k + 3) % 4];
    outside[k]->mPrev = outside[(k + 1) % 4];
    inside[k]->mTwin = outside[k];
    outside[k]->mTwin = inside[k];
    bounding[k]->mFirst = inside[k];
    bounding[k]->mLast = outside[k];
  }
  square->mFirst = inside[0];
  type->mOuterRing = outside[0];

  const int total = CountLines(type);
  int k = 4;
  for (StellationLine* line = realLines; line; line = line->mNext, ++k) {
    if (!UpdateProgress(static_cast<double>(k) / total,
                        "Creating stellation diagram for face type %d of %d,\nLine %d of %d.", i + 1, n, k + 1,
                        total)) {
      return kThreadingStopped;
    }
    if (!InsertLine(type, line)) return kThreadingFailed;
  }
  return kThreaded;
}

}  // namespace detail_StellationDiagram

bool DiagramsMayUseEquations(const FaceType* type) {
  double scale = 1.0;
  return detail_StellationDiagram::MeetTolerance(type, &scale) > 0.0;
}

bool CreateStellationDiagram(FaceType* type, int i, int n, Outcome* why, bool byEquations, bool* equationsMayPart) {
  using namespace detail_StellationDiagram;
  if (!type || type->mFirstSegment || type->mCoplanarMaster) return true;
  const PolyElement* rep = type->mFirstFace;
  if (!rep || rep->HasFlag(kElementInf)) return true;
  if (!CreateLines(type, why)) return false;
  // Crossings of a model the program worked out itself lie where its planes put them,
  // however near one another: the diagram tells them apart as far as it can, and the
  // linking says so where it cannot.
  if (CornersFromFile(type) && CrossingsNearlyMeet(type)) {
    if (why) *why = Outcome::RefusedF(kNearlyOnePoint, FaceNumber(rep));
    return false;
  }
  // By equations, the diagram is kept only where the model has a meet tolerance and its
  // points stand apart by more than it.
  double scale = 1.0;
  const double tolerance = MeetTolerance(type, &scale);
  Threading threading = kThreadingFailed;
  if (byEquations && tolerance > 0.0) {
    StellationDiagramPools& pools = StellationPoolsOf(type);
    pools.mMeetTolerance = tolerance;
    pools.mMeetScale = scale;
  }
  if (!byEquations || tolerance > 0.0) threading = ThreadLines(type, i, n);
  if (byEquations && threading == kThreaded && !PointsStandApart(type)) threading = kThreadingFailed;
  if (equationsMayPart) *equationsMayPart = !byEquations && threading == kThreadingFailed && tolerance > 0.0;
  if (threading == kThreadingStopped) return false;
  if (threading == kThreadingFailed) {
    if (why) *why = Outcome::RefusedF(CornersFromFile(type) ? kNearlyOnePoint : kTooNearMade, FaceNumber(rep));
    return false;
  }
  if (!DeleteOuterSegments(type, why)) return false;
  type->CalcDiagramRadius();
  return true;
}

// ---- Trimming ---------------------------------------------------------------------------------

namespace detail_StellationDiagram {

// Calls visit with each corner of the segment's ring in ring order.
template <typename Visit>
void ForEachCornerOf(StellationSegment* s, Visit visit) {
  SegVert* corner = s->mFirst;
  int steps = 0;
  do {
    visit(corner);
    corner = corner->mNext;
  } while (corner != s->mFirst && ++steps < kMaxRingSteps);
}

// The segments with a corner on the bounding square: they reach beyond it, unbounded.
std::vector<StellationSegment*> UnboundedSegments(const FaceType* type) {
  std::vector<StellationSegment*> unbounded;
  for (StellationSegment* s = type->mFirstSegment; s; s = s->mNext) {
    const SegVert* corner = s->mFirst;
    int steps = 0;
    do {
      if (corner->mPoint->mFlags & kPointOuter) {
        unbounded.push_back(s);
        break;
      }
      corner = corner->mNext;
    } while (corner != s->mFirst && ++steps < kMaxRingSteps);
  }
  return unbounded;
}

// The kept segments across the edges of a segment, each once, while the rings are whole.
std::vector<StellationSegment*> KeptNeighbours(StellationSegment* segment,
                                               const std::unordered_set<const StellationSegment*>& removed) {
  std::vector<StellationSegment*> neighbours;
  ForEachCornerOf(segment, [&](const SegVert* corner) {
    StellationSegment* across = corner->mTwin ? corner->mTwin->mSegment : nullptr;
    if (across && !removed.count(across)) {
      bool known = false;
      for (StellationSegment* s : neighbours) known = known || s == across;
      if (!known) neighbours.push_back(across);
    }
  });
  return neighbours;
}

// The ends of each line move inwards to its first and last kept edge; the lines left
// without one.
std::vector<StellationLine*> TrimLinesToKeptEdges(FaceType* type,
                                                  const std::unordered_set<const StellationSegment*>& removed) {
  std::vector<StellationLine*> lost;
  for (StellationLine* line = type->mLineEqns; line; line = line->mNext) {
    if (IsBoundingLine(type, line)) continue;
    SegVert* first = line->mFirst;
    while (first && !CornerHasKeptSide(first, removed)) first = first->GetNextAlongLine(line);
    SegVert* last = line->mLast;
    while (last && !CornerHasKeptSide(last, removed)) last = last->GetNextAlongLine(line);
    line->mFirst = first;
    line->mLast = last;
    if (!first || !last) lost.push_back(line);
  }
  return lost;
}

// Corners of removed regions join the outside; edges with the outside on both sides go,
// and the outline of the kept regions is linked into the new outer ring. The old outside
// ring has no kept side at all: it goes with the removed regions. False when the ring
// does not close.
bool RelinkOuterRing(FaceType* type, const std::vector<StellationSegment*>& removedList) {
  std::vector<SegVert*> boundary;
  for (StellationSegment* s : removedList) ForEachCornerOf(s, [](SegVert* corner) { corner->mSegment = nullptr; });
  for (StellationSegment* s : removedList) {
    ForEachCornerOf(s, [&](SegVert* corner) {
      if (corner->mTwin && corner->mTwin->mSegment) boundary.push_back(corner);
    });
  }
  std::vector<std::pair<SegVert*, SegVert*>> links;
  for (SegVert* corner : boundary) {
    SegVert* next = corner->mNext;
    int steps = 0;
    // Round the end point, over the edges that went, to the next edge of the outline:
    // the first edge met still has a kept region on its far side.
    while (next) {
      if (next->mSegment) {
        next = nullptr;
      } else if (next->mTwin && next->mTwin->mSegment) {
        break;
      } else if (++steps >= kMaxRingSteps) {
        next = nullptr;
      } else {
        next = next->mTwin ? next->mTwin->mNext : nullptr;
      }
    }
    if (!next) {
      ShowInternalError("DeleteOuterSegments: the outer ring of face type %d does not close", FaceType::GetNumber(type));
      return false;
    }
    links.push_back({corner, next});
  }
  for (const auto& link : links) {
    link.first->mNext = link.second;
    link.second->mPrev = link.first;
  }
  type->mOuterRing = boundary.empty() ? nullptr : boundary.front();
  return true;
}

// The square, its points and the lines without a kept edge go; so do the points left
// without an edge, which are no points of the diagram.
void DropLinesAndPointsOutside(FaceType* type, const std::vector<StellationLine*>& lost) {
  StellationLine** link = &type->mLineEqns;
  while (*link) {
    StellationLine* line = *link;
    bool drop = IsBoundingLine(type, line);
    for (StellationLine* l : lost) drop = drop || l == line;
    if (drop) {
      *link = line->mNext;
    } else {
      link = &line->mNext;
    }
  }
  for (StellationLine*& bounding : type->mStellationPools->mBoundingLines) bounding = nullptr;
  type->mOuterPoints = nullptr;
  std::unordered_set<const StellationPoint*> used;
  for (StellationSegment* s = type->mFirstSegment; s; s = s->mNext) {
    ForEachCornerOf(s, [&](const SegVert* corner) { used.insert(corner->mPoint); });
  }
  StellationPoint** pointLink = &type->mInnerPoints;
  while (*pointLink) {
    if (used.count(*pointLink)) {
      pointLink = &(*pointLink)->mNext;
    } else {
      *pointLink = (*pointLink)->mNext;
    }
  }
}

}  // namespace detail_StellationDiagram

bool DeleteOuterSegments(FaceType* type, Outcome* why) {
  using namespace detail_StellationDiagram;
  if (!type->mStellationPools || !type->mStellationPools->mBoundingLines[0]) return false;
  if (type->mNumSegments <= 1) {
    // No other plane cuts this one: there is nothing to stellate.
    if (why) *why = Outcome::Refused(kPlanesEncloseNothing);
    return false;
  }
  const std::vector<StellationSegment*> removedList = UnboundedSegments(type);
  const std::unordered_set<const StellationSegment*> removed(removedList.begin(), removedList.end());
  if (static_cast<int>(removed.size()) >= type->mNumSegments) {
    if (why) *why = Outcome::Refused(kPlanesEncloseNothing);
    return false;
  }
  const bool centralRemoved = removed.count(type->mCentralSegment) != 0;
  const std::vector<StellationSegment*> centralNeighbours =
      centralRemoved ? KeptNeighbours(type->mCentralSegment, removed) : std::vector<StellationSegment*>();
  const std::vector<StellationLine*> lost = TrimLinesToKeptEdges(type, removed);
  if (!RelinkOuterRing(type, removedList)) return false;
  for (StellationSegment* s : removedList) {
    UnlinkSegment(type, s);
    --type->mNumSegments;
  }
  DropLinesAndPointsOutside(type, lost);
  if (centralRemoved) {
    StellationSegment* central = ChooseCentralSegment(type, centralNeighbours);
    if (!central) central = type->mFirstSegment;
    type->mCentralSegment = central;
    if (type->HasLowerIdPartner()) {
      if (StellationSegment* mapped = CentralFromPartner(type)) type->mCentralSegment = mapped;
    }
  }
  return true;
}

// ---- Lookups -----------------------------------------------------------------------------------

// The i-th diagram point of the block's current face type, outer points first.
StellationPoint* FaceTypeBlock::GetCurrentPointByIndex(int i) const {
  if (!mCurrentFace || !mCurrentFace->mType || i < 0) return nullptr;
  const FaceType* type = mCurrentFace->mType;
  for (StellationPoint* list : {type->mOuterPoints, type->mInnerPoints}) {
    for (StellationPoint* p = list; p; p = p->mNext) {
      if (i-- == 0) return p;
    }
  }
  return nullptr;
}

void FaceType::CalcDiagramRadius() {
  double largest = -1.0;
  for (const StellationLine* line = mLineEqns; line; line = line->mNext) {
    for (const SegVert* end : {line->mFirst, line->mLast}) {
      if (!end || !end->mPoint) continue;
      const double d = end->mPoint->mX * end->mPoint->mX + end->mPoint->mY * end->mPoint->mY;
      if (d > largest) largest = d;
    }
  }
  mDiagramRadius = largest < 0.0 ? 1.0 : std::sqrt(largest);
}

SegVert* FaceType::FindSegVertAt(double x, double y) const {
  for (const StellationLine* line = mLineEqns; line; line = line->mNext) {
    if (std::fabs(line->Evaluate(x, y)) > kPointTolerance) continue;
    auto matches = [x, y](const SegVert* corner) {
      return corner && corner->mPoint && std::fabs(corner->mPoint->mX - x) <= kPointTolerance &&
             std::fabs(corner->mPoint->mY - y) <= kPointTolerance;
    };
    int steps = 0;
    for (SegVert* corner = line->mFirst; corner && steps < detail_StellationDiagram::kMaxRingSteps;
         corner = corner->GetNextAlongLine(line), ++steps) {
      if (matches(corner)) return corner;
    }
    if (matches(line->mLast)) return line->mLast;
  }
  return nullptr;
}

void FaceType::AddPointsToBounds(double* bounds) const {
  for (const StellationPoint* p = mInnerPoints; p; p = p->mNext) {
    if (p->mX < bounds[0]) bounds[0] = p->mX;
    if (p->mY < bounds[1]) bounds[1] = p->mY;
    if (p->mX > bounds[2]) bounds[2] = p->mX;
    if (p->mY > bounds[3]) bounds[3] = p->mY;
  }
}

// ---- The in-plane mirror line ------------------------------------------------------------------

void FaceType::ReflectPoint(const double* in, double* out) const {
  const double dx = mMirrorLine[0];
  const double dy = mMirrorLine[1];
  const double length = std::hypot(dx, dy);
  if (length <= 0.0) {
    out[0] = in[0];
    out[1] = in[1];
    return;
  }
  const double nx = -dy / length;
  const double ny = dx / length;
  const double along = 2.0 * (nx * in[0] + ny * in[1]);
  const double x = in[0] - along * nx;
  const double y = in[1] - along * ny;
  out[0] = x;
  out[1] = y;
}

bool FaceType::IsRightOfMirror(double x, double y) const {
  return mMirrorLine[1] * x - mMirrorLine[0] * y < kAxisTolerance;
}

bool FaceType::IsOnMirror(double x, double y) const {
  return std::fabs(mMirrorLine[1] * x - mMirrorLine[0] * y) <= kAxisTolerance;
}

bool FaceType::SegmentStraddlesMirror(const StellationSegment* segment, bool acceptTouching) const {
  if (!segment || !segment->mFirst) return false;
  bool allOn = true;
  bool left = false;
  bool right = false;
  bool previousOn = false;
  bool consecutive = false;
  bool anyOn = false;
  const SegVert* corner = segment->mFirst;
  // The last corner precedes the first.
  const StellationPoint* last = segment->mFirst->mPrev->mPoint;
  previousOn = IsOnMirror(last->mX, last->mY);
  int steps = 0;
  do {
    const double x = corner->mPoint->mX;
    const double y = corner->mPoint->mY;
    const bool on = IsOnMirror(x, y);
    if (on) {
      anyOn = true;
      if (previousOn) consecutive = true;
    } else {
      allOn = false;
      if (IsRightOfMirror(x, y)) {
        right = true;
      } else {
        left = true;
      }
    }
    previousOn = on;
    corner = corner->mNext;
  } while (corner && corner != segment->mFirst && ++steps < detail_StellationDiagram::kMaxRingSteps);
  return allOn || (left && right) || consecutive || (acceptTouching && anyOn);
}

}  // namespace corvia
