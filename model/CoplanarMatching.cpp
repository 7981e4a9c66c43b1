// Frames of the faces of a face type. A stellation diagram is drawn once, in the frame
// of the type's representative face, and stands for every face of the type, of the
// faces sharing its plane and of its mirror partner. That only works when all those
// frames are images of one another under the model's symmetry operations; the steps
// here give the faces such frames, find the rotational order, symmetry axes and mirror
// relations of each type, and order the rings of coplanar faces alike.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/MergeSort.h"
#include "core/Messages.h"
#include "core/PointGrid.h"
#include "core/Progress.h"
#include "core/TimeFormat.h"
#include "core/Tolerances.h"
#include "core/VectorMath.h"
#include "model/CoplanarFaces.h"
#include "model/Edge.h"
#include "model/ElementFlags.h"
#include "model/ElementList.h"
#include "model/FaceMatching.h"
#include "model/FaceType.h"
#include "model/FaceTypeBlock.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "symmetry/SymGroup.h"
#include "symmetry/SymOperations.h"

namespace corvia {

namespace detail_CoplanarMatching {

// The skip rule of the frame search: a square type of an octahedral model reached by
// quarter turns about its 4-fold axes would get frames a quarter turn apart.
constexpr int kSquareRotations = 4;

bool WithinPerComponent(const double* a, const double* b, double tol) {
  for (int k = 0; k < 3; ++k) {
    if (std::fabs(a[k] - b[k]) > tol) return false;
  }
  return true;
}

// The axis direction equals d or -d.
bool AlongEitherSense(const double* axis, const double* d) {
  double negated[3];
  NegateInto(negated, d);
  return WithinPerComponent(axis, d, kAxisTolerance) || WithinPerComponent(axis, negated, kAxisTolerance);
}

SymAxis* FindAxisAlong(const SymAxisType& axisType, const double* d) {
  for (int i = 0; i < axisType.numAxes; ++i) {
    if (AlongEitherSense(axisType.axes[i].direction, d)) return &axisType.axes[i];
  }
  return nullptr;
}

void Normalise(double* v) {
  const double length = std::sqrt(Dot(v, v));
  if (length > 0.0) Divide(v, v, length);
}

// y = normal x x, and near-zero components cleared in both axes.
void FinishFrame(PolyElement* element) {
  Cross(element->mYAxis, element->mZAxis, element->mXAxis);
  SnapNearZero(element->mXAxis, kRoundingTolerance);
  SnapNearZero(element->mYAxis, kRoundingTolerance);
}

std::vector<PolyElement*> FacesOf(const FaceType* type) {
  std::vector<PolyElement*> faces;
  const int limit = type->mCount;
  for (PolyElement* face = type->mFirstFace; face && static_cast<int>(faces.size()) < limit;
       face = face->mNextOfType) {
    faces.push_back(face);
  }
  return faces;
}

// The point that pins the corner order: a face's corner 0 dual point, or for a vertex
// the frame origin of its first face.
const double* FirstCornerPoint(const PolyElement* element) {
  const PolyElement* corner = element->mNumSides > 0 ? element->mNeighbours[0] : nullptr;
  if (!corner) return element->mCentre;
  return element->IsVertex() ? corner->mCentre : corner->mDualVert;
}

// Images of an element's frame origin, normal, dual point and first corner point.
struct MappedFrame {
  double centre[3];
  double normal[3];
  double dualPoint[3];
  double corner[3];
};

void MapFrame(const double* matrix, const PolyElement* element, MappedFrame& out) {
  MatrixTimesVector(matrix, out.centre, element->mCentre);
  MatrixTimesVector(matrix, out.normal, element->mZAxis);
  MatrixTimesVector(matrix, out.dualPoint, element->mDualVert);
  MatrixTimesVector(matrix, out.corner, FirstCornerPoint(element));
}

// Whether the image of `from` lies on `to`; faces by frame, vertices by their points.
bool MatchesImage(const PolyElement* from, const PolyElement* to, const MappedFrame& image, const double* matrix,
                  int* offset) {
  bool reflected = false;
  if (from->IsVertex()) {
    return from->MatchTransformed(to, image.dualPoint, image.corner, matrix, true, offset, &reflected);
  }
  return from->MatchTransformedAxes(to, image.centre, image.normal, image.corner, matrix, true, offset, &reflected);
}

void ReflectionInPlane(double* m, const double* n) {
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) m[3 * r + c] = (r == c ? 1.0 : 0.0) - 2.0 * n[r] * n[c];
  }
}

void Identity(double* m) {
  for (int k = 0; k < 9; ++k) m[k] = (k % 4 == 0) ? 1.0 : 0.0;
}

// The elements of a type (but the first) by the first coordinate of the point an
// image must reach to match them (a face's centre, a vertex's point), for finding
// which of them an operation's image can match without trying them all.
class ImageTargets {
 public:
  ImageTargets(const std::vector<PolyElement*>& elements, bool vertices) {
    for (size_t i = 1; i < elements.size(); ++i) {
      const double x = (vertices ? elements[i]->mDualVert : elements[i]->mCentre)[0];
      // An element off every point is matched by no image.
      if (std::isfinite(x)) mKeys.push_back({x, i});
    }
    std::sort(mKeys.begin(), mKeys.end());
  }

  // In increasing order, the elements whose point may lie within the matching
  // tolerance of the image point p: every one that does, and a few more.
  void Near(const double* p, std::vector<size_t>& out) const {
    out.clear();
    // Twice the tolerance, so that no rounding at the ends leaves one out.
    constexpr double kReach = 2 * kFaceMatchTolerance;
    if (!std::isfinite(p[0])) return;
    auto it = std::lower_bound(mKeys.begin(), mKeys.end(), std::pair<double, size_t>{p[0] - kReach, 0});
    for (; it != mKeys.end() && it->first <= p[0] + kReach; ++it) out.push_back(it->second);
    std::sort(out.begin(), out.end());
  }

 private:
  std::vector<std::pair<double, size_t>> mKeys;
};

// The first face of the type that the image matches; null when none.
PolyElement* FindImageInType(const FaceType* type, const PolyElement* from, const MappedFrame& image,
                             const double* matrix) {
  for (PolyElement* face : FacesOf(type)) {
    int offset = 0;
    if (MatchesImage(from, face, image, matrix, &offset)) return face;
  }
  return nullptr;
}

// Whether the frame search passes the operation over (kSquareRotations).
bool SkipsOperation(const FaceType* type, const SymOperationIterator& it, const SymGroup* group) {
  return type->mNumRotations == kSquareRotations && (type->mCount == 6 || type->mCount == 3) && it.axisType == 0 &&
         it.step != 2 && group->type == kSymGroupOctahedral;
}

// For each element of a type (as ImageTargets files them, faces[0] the
// representative): whether a rotation the frame search takes carries the
// representative onto it, on whatever corner it lands.
std::vector<int8_t> RotationReaches(const FaceType* type, const SymGroup* group, const std::vector<PolyElement*>& faces,
                                    const ImageTargets& targets) {
  std::vector<int8_t> reaches(faces.size(), 0);
  const PolyElement* from = faces.front();
  std::vector<size_t> near;
  SymOperationIterator it;
  it.Reset();
  double matrix[9];
  while (GetNextSymmetryOperation(group, it, true, matrix, false)) {
    if (it.improperPhase != 0) break;
    if (SkipsOperation(type, it, group)) continue;
    MappedFrame image;
    MapFrame(matrix, from, image);
    targets.Near(from->IsVertex() ? image.dualPoint : image.centre, near);
    for (const size_t i : near) {
      int offset = 0;
      if (!reaches[i] && MatchesImage(from, faces[i], image, matrix, &offset)) reaches[i] = 1;
    }
  }
  return reaches;
}

}  // namespace detail_CoplanarMatching

// The elements of a block filed by the points where an image must meet them (a face's
// corners, one of which the image of its first corner meets; a vertex's dual point), so
// that the image of an element is looked for among the few elements at its point
// instead of among every face of every type. Not by a face's frame origin: every face
// of a plane has the same one.
class FaceImageIndex {
 public:
  explicit FaceImageIndex(const FaceTypeBlock* block) : mGrid(kCellSize, PackedPositions{nullptr}) {
    if (!block) return;
    // A corner is shared by the faces round it: its point is filed once, with the
    // entries of all of them (a large model has six times as many face corners as
    // points).
    std::unordered_map<uintptr_t, int32_t> pointOfCorner;
    std::vector<std::pair<int32_t, int32_t>> filed;  // point, entry
    size_t numFaces = 0;
    for (const FaceType* type = block->mFirstFaceType; type; type = type->mNext) numFaces += type->mCount;
    pointOfCorner.reserve(numFaces);
    // A large model's faces take a good part of a second to file: the window answers
    // along them, and a cancel is left for the caller's next report.
    ProgressTicker tick;
    int32_t typeOrder = 0;
    for (FaceType* type = block->mFirstFaceType; type; type = type->mNext, ++typeOrder) {
      int32_t order = 0;
      for (PolyElement* face = type->mFirstFace; face && order < type->mCount; face = face->mNextOfType, ++order) {
        (void)tick();
        const int32_t entry = static_cast<int32_t>(mEntries.size());
        mEntries.push_back(Entry{face, type, typeOrder, order});
        if (!ByCorners(face)) {
          filed.emplace_back(AddPoint(MatchPoint(face)), entry);
          continue;
        }
        for (int k = 0; k < face->mNumSides; ++k) {
          const PolyElement* corner = face->mNeighbours[k];
          if (!corner) continue;
          const uintptr_t key = reinterpret_cast<uintptr_t>(corner);
          auto [at, added] = pointOfCorner.try_emplace(key, 0);
          if (added) at->second = AddPoint(corner->mDualVert);
          filed.emplace_back(at->second, entry);
          // A corner at infinity also meets the opposite point (filed under the
          // corner's address and one: elements lie at even addresses).
          if (corner->HasFlag(kElementHemi)) {
            auto [opposite, addedOpposite] = pointOfCorner.try_emplace(key | 1u, 0);
            if (addedOpposite) {
              double point[3];
              NegateInto(point, corner->mDualVert);
              opposite->second = AddPoint(point);
            }
            filed.emplace_back(opposite->second, entry);
          }
        }
      }
      mTypeOrder.emplace_back(type, typeOrder);
    }
    std::sort(mTypeOrder.begin(), mTypeOrder.end());
    // The entries of each point together, in the order they were filed.
    const size_t numPoints = mPoints.size() / 3;
    mPointStart.assign(numPoints + 1, 0);
    (void)ProgressTick();
    for (const auto& [point, entry] : filed) ++mPointStart[static_cast<size_t>(point) + 1];
    for (size_t i = 0; i < numPoints; ++i) mPointStart[i + 1] += mPointStart[i];
    mPointEntries.resize(filed.size());
    {
      std::vector<int32_t> next(mPointStart.begin(), mPointStart.end() - 1);
      for (const auto& [point, entry] : filed)
        mPointEntries[static_cast<size_t>(next[static_cast<size_t>(point)]++)] = entry;
    }
    std::vector<std::pair<int32_t, int32_t>>().swap(filed);
    std::unordered_map<uintptr_t, int32_t>().swap(pointOfCorner);
    (void)ProgressTick();
    mGrid = PointGrid(kCellSize, PackedPositions{mPoints.data()});
    mGrid.Reserve(numPoints);
    for (size_t i = 0; i < numPoints; ++i) {
      (void)tick();
      mGrid.Add(static_cast<int32_t>(i));
    }
    (void)ProgressTick();
    mGrid.Finish();
  }

  // The place of a type in the block's list; -1 when it is not in the block.
  int32_t OrderOf(const FaceType* type) const {
    auto it = std::lower_bound(mTypeOrder.begin(), mTypeOrder.end(), std::make_pair(type, int32_t{0}),
                               [](const auto& a, const auto& b) { return std::less<>()(a.first, b.first); });
    return it != mTypeOrder.end() && it->first == type ? it->second : -1;
  }

  // The faces of a type of the block in the order of its chain, from the list the
  // index keeps instead of along the chain.
  std::vector<PolyElement*> FacesOf(const FaceType* type) const {
    const int32_t typeOrder = OrderOf(type);
    if (typeOrder < 0) return detail_CoplanarMatching::FacesOf(type);
    auto first = std::partition_point(mEntries.begin(), mEntries.end(),
                                      [typeOrder](const Entry& e) { return e.typeOrder < typeOrder; });
    std::vector<PolyElement*> faces;
    for (auto e = first; e != mEntries.end() && e->typeOrder == typeOrder; ++e) faces.push_back(e->element);
    return faces;
  }

  // The element that the image of `from` matches, of a type that `accept` takes: the
  // first in the order of the block's types, and within its type in the order of the
  // type's faces, as a walk through them would find it. Null when none matches.
  template <typename Accept>
  PolyElement* Find(const PolyElement* from, const detail_CoplanarMatching::MappedFrame& image, const double* matrix,
                    Accept accept, FaceType** outType = nullptr) const {
    const Entry* best = nullptr;
    const double* at = from->IsVertex() ? image.dualPoint : ByCorners(from) ? image.corner : image.centre;
    mGrid.ForEachWithin(at, kFaceMatchTolerance, [&](int32_t point) {
      const auto first = static_cast<size_t>(mPointStart[static_cast<size_t>(point)]);
      const auto end = static_cast<size_t>(mPointStart[static_cast<size_t>(point) + 1]);
      for (size_t i = first; i < end; ++i) {
        const Entry& entry = mEntries[static_cast<size_t>(mPointEntries[i])];
        if (best &&
            (entry.typeOrder > best->typeOrder || (entry.typeOrder == best->typeOrder && entry.order > best->order))) {
          continue;
        }
        if (!accept(entry.type, entry.typeOrder)) continue;
        int offset = 0;
        if (detail_CoplanarMatching::MatchesImage(from, entry.element, image, matrix, &offset)) best = &entry;
      }
    });
    if (outType) *outType = best ? best->type : nullptr;
    return best ? best->element : nullptr;
  }

 private:
  // Cells far wider than the matching tolerance.
  static constexpr double kCellSize = 20 * kFaceMatchTolerance;

  static const double* MatchPoint(const PolyElement* element) {
    return element->IsVertex() ? element->mDualVert : element->mCentre;
  }

  // A face with corners matches only a face with as many, one of whose corners meets
  // the image of its first corner (MatchCorners); a face without corners matches by
  // its frame origin.
  static bool ByCorners(const PolyElement* element) { return !element->IsVertex() && element->mNumSides > 0; }

  // Files a point; its number.
  int32_t AddPoint(const double* at) {
    mPoints.insert(mPoints.end(), at, at + 3);
    return static_cast<int32_t>(mPoints.size() / 3 - 1);
  }

  struct Entry {
    PolyElement* element;
    FaceType* type;
    int32_t typeOrder;
    int32_t order;  // within its type
  };
  std::vector<Entry> mEntries;
  std::vector<double> mPoints;         // three per point filed
  std::vector<int32_t> mPointStart;    // per point, into mPointEntries; one more
  std::vector<int32_t> mPointEntries;  // the entries at each point, point by point
  std::vector<std::pair<const FaceType*, int32_t>> mTypeOrder;
  PointGrid<PackedPositions> mGrid;
};

namespace detail_CoplanarMatching {

// Direction in the element's 2D frame.
void To2D(const PolyElement* element, const double* v, double* out) {
  out[0] = Dot(v, element->mXAxis);
  out[1] = Dot(v, element->mYAxis);
}

// Angle between unit vectors a and b, from the chord, so that it stays exact near 0
// and pi; the arcsine arguments are kept within [-1, 1] against rounding.
double ChordAngle(const double* a, const double* b) {
  double d[3];
  if (Dot(a, b) >= 0.0) {
    Subtract(d, a, b);
    return 2.0 * std::asin(std::fmin(1.0, std::sqrt(Dot(d, d)) / 2.0));
  }
  Add(d, a, b);
  return M_PI - 2.0 * std::asin(std::fmin(1.0, std::sqrt(Dot(d, d)) / 2.0));
}

// Turns the element's in-plane axes about its normal by angle (counter-clockwise
// seen from the side the normal points to).
void TurnFrame(PolyElement* element, double angle) {
  const double c = std::cos(angle);
  const double s = std::sin(angle);
  double x[3], y[3];
  for (int k = 0; k < 3; ++k) {
    x[k] = c * element->mXAxis[k] + s * element->mYAxis[k];
    y[k] = c * element->mYAxis[k] - s * element->mXAxis[k];
  }
  CopyVector(element->mXAxis, x);
  CopyVector(element->mYAxis, y);
  SnapNearZero(element->mXAxis, kRoundingTolerance);
  SnapNearZero(element->mYAxis, kRoundingTolerance);
}

// Signed angle from a to b about the normal.
double SignedAngle(const double* a, const double* b, const double* normal) {
  double c[3];
  Cross(c, a, b);
  return std::atan2(Dot(c, normal), Dot(a, b));
}

// The value brought into [0, step), with values within the tolerance below step
// taken as 0.
double IntoStep(double angle, double step) {
  double r = std::fmod(angle, step);
  if (r < 0.0) r += step;
  if (r > step - kFrameAngleTolerance) r = 0.0;
  return r;
}

bool SameAngle(double a, double b, double step) {
  const double d = std::fabs(a - b);
  return d <= kFrameAngleTolerance || std::fabs(d - step) <= kFrameAngleTolerance;
}

// The ring of coplanar elements starting at the element, bounded by the list size.
std::vector<PolyElement*> RingOf(PolyElement* element, int limit) {
  std::vector<PolyElement*> ring;
  PolyElement* member = element;
  do {
    ring.push_back(member);
    member = member->mCoplanarNext;
  } while (member && member != element && static_cast<int>(ring.size()) < limit);
  return ring;
}

// The axis whose half turn carries a member of a ring through the centre onto its
// partners facing the other way: an even-fold axis of the group in its plane.
const SymAxis* CoplanarTurningAxis(const PolyElement* member) {
  if (!member->HasFlag(kElementHemi) || !member->mPoly || !member->mPoly->mSymGroup) return nullptr;
  return member->mPoly->mSymGroup->FindEvenAxisInPlane(member->mZAxis, nullptr);
}

// The x axis of a member as seen from a face whose normal it may oppose: across
// opposite normals, after the half turn about the turning axis when there is one.
void MemberXAxis(const PolyElement* member, const double* faceNormal, const SymAxis* turn, double* out) {
  CopyVector(out, member->mXAxis);
  if (turn && Dot(member->mZAxis, faceNormal) < 0.0) {
    const double* a = turn->direction;
    const double along = 2.0 * Dot(a, out);
    for (int k = 0; k < 3; ++k) out[k] = along * a[k] - out[k];
  }
}

double MemberAngle(const PolyElement* face, const PolyElement* member, const SymAxis* turn) {
  double x[3];
  MemberXAxis(member, face->mZAxis, turn, x);
  double angle = SignedAngle(face->mXAxis, x, face->mZAxis);
  if (!turn && Dot(member->mZAxis, face->mZAxis) < 0.0) angle = -angle;
  return angle;
}

// Reorders the runs of one face type in `ring` (sorted by type and index) so that
// each member stands where the corresponding member of the reference ring stands.
void MatchRingOrder(const PolyElement* reference, const std::vector<PolyElement*>& referenceRing,
                    const PolyElement* face, std::vector<PolyElement*>& ring, int rotations) {
  const size_t count = ring.size() < referenceRing.size() ? ring.size() : referenceRing.size();
  size_t start = 0;
  while (start < count) {
    size_t end = start + 1;
    while (end < count && ring[end]->mType == ring[start]->mType) ++end;
    const PolyElement* first = ring[start];
    const SymAxis* turn = CoplanarTurningAxis(first);
    // Each ring is measured with the turning axis of its own plane: the axis of one
    // plane through the centre says nothing about the members of another.
    const SymAxis* referenceTurn = CoplanarTurningAxis(referenceRing[start]);
    // The members facing the same way as the first are turned onto one another about
    // the normal: the angles repeat with the step that their number leaves of the
    // rotations. A member facing the other way, brought back by the half turn, lies at
    // one of those angles too and does not divide the step further; it is told apart
    // by the way it faces.
    int k = 1;
    for (size_t i = start + 1; i < end; ++i) {
      if (Dot(ring[i]->mZAxis, first->mZAxis) > 0.0) ++k;
    }
    // Computed in floating point: k may exceed the rotational order.
    const double step = 2.0 * M_PI * k / (rotations > 0 ? rotations : 1);
    for (size_t p = start; p < end; ++p) {
      const double wanted = IntoStep(MemberAngle(reference, referenceRing[p], referenceTurn), step);
      const bool wantedFacing = Dot(referenceRing[p]->mZAxis, reference->mZAxis) > 0.0;
      auto find = [&](bool byFacing) {
        for (size_t q = p; q < end; ++q) {
          if (byFacing && (Dot(ring[q]->mZAxis, face->mZAxis) > 0.0) != wantedFacing) continue;
          if (SameAngle(IntoStep(MemberAngle(face, ring[q], turn), step), wanted, step)) return q;
        }
        return end;
      };
      size_t found = find(true);
      // A face through the centre has no outside: its frame faces the way its corners
      // wind, which the symmetry carries from ring to ring in some models and not in
      // others. Where no member faces the way wanted, the angle alone matches it.
      if (found == end && referenceRing[p]->HasFlag(kElementHemi)) found = find(false);
      if (found == end) {
        ShowInternalError("Can't match coplanar face order");
        continue;
      }
      std::swap(ring[p], ring[found]);
    }
    start = end;
  }
}

}  // namespace detail_CoplanarMatching

// ---- Rotational order ------------------------------------------------------------------

void FaceType::CalcRotSymFromShape() {
  if (mCoplanarMaster) return;
  const PolyElement* face = mFirstFace;
  const int n = face ? face->mNumSides : 0;
  auto cornerType = [face](int j) -> const FaceType* {
    const PolyElement* corner = face->mNeighbours[j];
    return corner ? corner->mType : nullptr;
  };
  auto edgeType = [face](int j) -> int {
    const Edge* edge = face->mEdges ? face->mEdges[j] : nullptr;
    return edge ? edge->mEdgeType : -1;
  };
  int order = 1;
  for (int k = n; k >= 2; --k) {
    if (n % k != 0) continue;
    const int s = n / k;
    bool fits = true;
    for (int j = 0; j < n && fits; ++j) {
      fits = cornerType(j) == cornerType((j + s) % n) && edgeType(j) == edgeType((j + s) % n);
    }
    if (fits) {
      order = k;
      break;
    }
  }
  // The shape may be more symmetric than the model round it: a face type whose number
  // of faces cannot carry the full order of its polygon gets half of it.
  const int f = mCount;
  const bool halve = (f >= 3 && order >= 6) || (f == 3 && order == 4) || (f == 4 && order == 4) ||
                     (f > 6 && order == 4) || (f == 24 && order == 2) || (f == 60 && order == 2);
  mNumRotations = halve ? order / 2 : order;
}

// ---- Axes from the group ---------------------------------------------------------------

void SetRotSym(FaceType* type, const SymGroup* group) {
  using namespace detail_CoplanarMatching;
  if (!group) {
    ShowInternalError("SetRotSym: symGroup == NULL");
    return;
  }
  if (!type || !type->mFirstFace || type->mSymAxisType || type->mNumRotations == 1) return;
  TraceScope scope("SetRotSym");
  PolyElement* face = type->mFirstFace;
  type->mSymAxisType = nullptr;
  face->SetSymAxis(nullptr);
  for (int t = 0; t < group->numAxisTypes; ++t) {
    SymAxisType& axisType = group->axisTypes[t];
    const int fold = std::abs(axisType.fold);
    if ((type->mNumRotations != 0 && type->mNumRotations != fold) || axisType.numAxes < 1) continue;
    if (SymAxis* axis = FindAxisAlong(axisType, face->mZAxis)) {
      type->mSymAxisType = &axisType;
      face->SetSymAxis(axis);
      break;
    }
  }
  if (!type->mSymAxisType) {
    type->mNumRotations = 1;
    return;
  }
  type->mNumRotations = std::abs(type->mSymAxisType->fold);
  for (PolyElement* other : FacesOf(type)) {
    other->SetSymAxis(FindAxisAlong(*type->mSymAxisType, other->mZAxis));
    if (!other->GetSymAxis()) ShowInternalError("SetRotSym: Found face without symmetry axis");
  }
}

// ---- Frames ------------------------------------------------------------------------------

namespace detail_CoplanarMatching {

// The candidate takes the frame the operation (improper or not) carries the
// representative's onto, its corners turned by offset to start where the image starts.
void TakeImageFrame(PolyElement* candidate, const PolyElement* face, const MappedFrame& image, const double* matrix,
                    bool improper, int offset) {
  if (offset != 0) candidate->RotateCorners(offset, false);
  if (!WithinPerComponent(candidate->mZAxis, image.normal, kAxisTolerance)) Negate(candidate->mZAxis);
  MatrixTimesVector(matrix, candidate->mXAxis, face->mXAxis);
  if (improper) {
    // The image of a right-handed frame under an improper operation is
    // left-handed: normal cross x would mirror the representative's diagram on
    // this face, and everything drawn through the frame would leave the face's
    // outline.
    MatrixTimesVector(matrix, candidate->mYAxis, face->mYAxis);
    SnapNearZero(candidate->mXAxis, kRoundingTolerance);
    SnapNearZero(candidate->mYAxis, kRoundingTolerance);
  } else {
    FinishFrame(candidate);
  }
}

}  // namespace detail_CoplanarMatching

void ReorientAxes(FaceType* type, const SymGroup* group) {
  using namespace detail_CoplanarMatching;
  if (!group) {
    ShowInternalError("ReorientAxes: symGroup == NULL");
    return;
  }
  if (!type || !type->mFirstFace) return;
  PolyElement* face = type->mFirstFace;
  const bool isVertex = face->IsVertex();

  double coordinate[3] = {0.0, 0.0, 0.0};
  coordinate[AxisWithin(face->mZAxis, kPointTolerance)] = 1.0;
  Cross(face->mXAxis, face->mZAxis, coordinate);
  Normalise(face->mXAxis);
  FinishFrame(face);

  std::vector<PolyElement*> faces = FacesOf(type);
  // Index of the operation that carried the representative onto each face; -1 while
  // the face is unmatched (the representative is matched by the identity).
  std::vector<int> matchedOp(faces.size(), -1);
  matchedOp[0] = 0;
  if (type->mCount <= 1) return;

  int numDone = 1;
  // The corners of a model read from a file start where the file starts them, wherever
  // an operation carries the representative's start there: the faces a saved model
  // had set up open set up alike. Only the faces no such operation reaches are turned.
  const bool fromFile = type->mOwner && (type->mOwner->mPolyFlags & kPolyFlagFileCorners);
  const ImageTargets targets(faces, isVertex);
  // Per element: whether a rotation reaches it (empty until asked; elements are
  // asked about while they are unmatched, as they were set up).
  std::vector<int8_t> rotationReaches;
  std::vector<size_t> near;
  for (const bool keepStarts : {true, false}) {
    if (keepStarts && !fromFile) continue;
    int pass = 0;
    bool allowImproper = true;
    while (numDone < type->mCount) {
      bool progress = false;
      SymOperationIterator it;
      it.Reset();
      double matrix[9];
      int opIndex = -1;
      const bool improper = pass >= 1 && allowImproper;
      while (numDone < type->mCount && GetNextSymmetryOperation(group, it, true, matrix, improper)) {
        ++opIndex;
        if (SkipsOperation(type, it, group)) continue;
        MappedFrame image;
        MapFrame(matrix, face, image);
        // Only an element at the image's point can match it (MatchesImage).
        targets.Near(isVertex ? image.dualPoint : image.centre, near);
        for (const size_t i : near) {
          if (matchedOp[i] >= 0) continue;
          PolyElement* candidate = faces[i];
          if (!isVertex) {
            const bool sameNormal = WithinPerComponent(candidate->mZAxis, image.normal, kAxisTolerance);
            // An improper operation carries an outward normal onto the outward normal of
            // the mirror-image face, so its image keeps the normal: faces related only by
            // reflections (a type under Ci, Cs or Th) must still be matched.
            const bool improperImage = pass >= 1 && it.improperPhase != 0 && sameNormal;
            if (sameNormal != (pass == 0) && !improperImage) continue;
          }
          // A mirrored frame is for an element that only a reflection reaches: one that a
          // rotation reaches gets the rotated frame, and its corners turn to it. Else the
          // frames of two faces swapped by a mirror plane through the line where they
          // meet would be mirror images, and each face's diagram would take that line
          // for its own, running the same way.
          if (keepStarts && it.improperPhase != 0) {
            if (rotationReaches.empty()) rotationReaches = RotationReaches(type, group, faces, targets);
            if (rotationReaches[i] != 0) continue;
          }
          int offset = 0;
          if (!MatchesImage(face, candidate, image, matrix, &offset) || (keepStarts && offset != 0)) continue;
          TakeImageFrame(candidate, face, image, matrix, it.improperPhase != 0, offset);
          matchedOp[i] = opIndex;
          ++numDone;
          progress = true;
          break;
        }
      }
      if (numDone >= type->mCount) break;
      // A fruitless first pass has tried neither the improper operations nor the faces
      // turned over: the passes that include them must still run. Only a fruitless pass
      // with improper operations switches them off for the next one.
      if (!progress && pass >= 1) {
        if (!improper) break;
        allowImproper = false;
      }
      ++pass;
    }
  }
  if (numDone < type->mCount) ShowInternalError("ReorientAxes: Couldn't match all faces");
}

void SetRotSymAndReorientAxes(FaceType* type, const SymGroup* group) {
  if (!group) {
    ShowInternalError("SetRotSymAndReorientAxes: symGroup == NULL");
    return;
  }
  SetRotSym(type, group);
  ReorientAxes(type, group);
}

// ---- Axes through faces in the centre -------------------------------------------------

SymAxis* FaceType::FindEvenFoldAxisOnNormal() const {
  const SymGroup* group = mOwner ? mOwner->mSymGroup : nullptr;
  if (!group || !mFirstFace || !mFirstFace->HasFlag(kElementHemi)) return nullptr;
  for (int t = 0; t < group->numAxisTypes; ++t) {
    const SymAxisType& axisType = group->axisTypes[t];
    if (axisType.fold % 2 != 0) continue;
    for (int i = 0; i < axisType.numAxes; ++i) {
      const double d = Dot(axisType.axes[i].direction, mFirstFace->mZAxis);
      if (d >= kAxisUnitLow && d <= kAxisUnitHigh) return &axisType.axes[i];
    }
  }
  return nullptr;
}

SymAxis* FaceType::FindEvenAxisInPlane() const {
  const SymGroup* group = mOwner ? mOwner->mSymGroup : nullptr;
  if (!group || !mFirstFace || !mFirstFace->HasFlag(kElementHemi)) return nullptr;
  return group->FindEvenAxisInPlane(mFirstFace->mZAxis, nullptr);
}

// ---- Mirror partner ----------------------------------------------------------------------

namespace detail_CoplanarMatching {

// The frames of the partner type's faces are turned (and first turned over where the
// mirror face faces against the image) so that the mirror face's y axis becomes the
// image of the representative's: the frames of the pair are then mirror images.
void TurnPartnerFrames(const std::vector<PolyElement*>& partnerFaces, const PolyElement* face,
                       const PolyElement* mirrorFace, const MappedFrame& image, const double* improper) {
  if (Dot(image.normal, mirrorFace->mZAxis) < 0.0) {
    for (PolyElement* other : partnerFaces) {
      Negate(other->mZAxis);
      Negate(other->mXAxis);
    }
  }
  // Turn the partner frames so that the mirror face's y axis becomes the image of the
  // representative's y axis; the frames of the pair are then mirror images.
  double imageY[3];
  MatrixTimesVector(improper, imageY, face->mYAxis);
  double angle = ChordAngle(imageY, mirrorFace->mYAxis);
  double c[3];
  Cross(c, mirrorFace->mYAxis, imageY);
  if (Dot(c, mirrorFace->mZAxis) < 0.0) angle = -angle;
  for (PolyElement* other : partnerFaces) TurnFrame(other, angle);
}

}  // namespace detail_CoplanarMatching

void FaceType::FindMirrorPartner() {
  const FaceImageIndex index(mBlock);
  FindMirrorPartner(index);
}

void FaceType::FindMirrorPartner(const FaceImageIndex& index) {
  using namespace detail_CoplanarMatching;
  if (mMirrorPartner) return;
  mFlags &= ~(kFaceTypeSelfMirror | kFaceTypeHemiMirror);
  if (!mBlock || !mBlock->IsReflexible()) return;
  const SymGroup* group = mOwner ? mOwner->mSymGroup : nullptr;
  PolyElement* face = mFirstFace;
  if (!group || !face) return;

  double improper[9];
  Identity(improper);
  group->GetReflectionMatrix(improper);
  MappedFrame image;
  MapFrame(improper, face, image);

  // A mirror plane of the group that contains the face normal cuts the face along a
  // mirror line, provided the face is its own image in that plane: a face turned
  // against the plane (as in a snub model) has no mirror line there, and its mirror
  // image is another face.
  // The line of the last mirror plane through the normal, whether or not the face is
  // its own image there: the diagram of the plane is symmetric in it all the same.
  double planeLine[2] = {0.0, 0.0};
  for (int k = 0; k < group->mirrorPlanes.count; ++k) {
    const double* n = group->mirrorPlanes[k].direction;
    if (std::fabs(Dot(n, face->mZAxis)) > kAxisTolerance) continue;
    {
      double inPlane[3];
      Cross(inPlane, n, face->mZAxis);
      To2D(face, inPlane, planeLine);
    }
    double reflection[9];
    ReflectionInPlane(reflection, n);
    MappedFrame own;
    MapFrame(reflection, face, own);
    int offset = 0;
    if (!MatchesImage(face, face, own, reflection, &offset)) continue;
    mFlags |= kFaceTypeSelfMirror;
    double line[3];
    Cross(line, n, face->mZAxis);
    To2D(face, line, mMirrorLine);
    mMirrorFace = index.Find(face, image, improper, [this](const FaceType* type, int32_t) { return type == this; });
    return;
  }

  // Otherwise the image lies in a type of the same plane distance further down the list.
  const double distance = Dot(face->mCentre, face->mZAxis);
  const int32_t ownOrder = index.OrderOf(this);
  FaceType* partner = nullptr;
  PolyElement* mirrorFace = index.Find(face, image, improper, [&](const FaceType* type, int32_t typeOrder) {
    const PolyElement* first = type->mFirstFace;
    if (typeOrder < ownOrder || !first || first->mNumSides != face->mNumSides || type->mMirrorPartner) return false;
    return std::fabs(Dot(first->mCentre, first->mZAxis) - distance) <= kAxisTolerance;
  }, &partner);
  if (!mirrorFace) {
    // No face is the mirror image: leave the type without a partner rather than
    // turning frames towards nothing.
    ShowInternalError("FindMirrorPartner: Couldn't find mirror face of type %d", GetNumber(this));
    return;
  }

  if (partner == this || partner == mCoplanarMaster) {
    mFlags |= kFaceTypeSelfMirror;
    if (face->HasFlag(kElementHemi) && FindEvenAxisInPlane()) {
      mFlags |= kFaceTypeHemiMirror;
      // The facets are paired across the mirror line (a reflection that keeps their
      // sides); without one every facet would be its own mirror image.
      mMirrorLine[0] = planeLine[0];
      mMirrorLine[1] = planeLine[1];
      return;
    }
    if (group->type == kSymGroupDihedral && group->numAxisTypes > 0 && group->axisTypes[0].numAxes > 0) {
      const double* axis = group->axisTypes[0].axes[0].direction;
      To2D(face, axis, mMirrorLine);
      if (std::fabs(mMirrorLine[0]) <= kPointTolerance && std::fabs(mMirrorLine[1]) <= kPointTolerance) {
        double quarter[3];
        Cross(quarter, face->mZAxis, axis);
        To2D(face, quarter, mMirrorLine);
      }
    }
  }

  mMirrorFace = mirrorFace;
  if (partner == this || partner == mCoplanarMaster) return;
  mMirrorPartner = partner;
  partner->mMirrorPartner = this;

  TurnPartnerFrames(index.FacesOf(partner), face, mirrorFace, image, improper);
}

void FindMirrorPartners(FaceTypeBlock* block) {
  if (!block) return;
  const FaceImageIndex index(block);
  for (FaceType* type = block->mFirstFaceType; type; type = type->mNext) {
    if (!ProgressTick()) return;
    type->FindMirrorPartner(index);
  }
}

// ---- Coplanar rings ----------------------------------------------------------------------

int CompareCoplanarByTypeAndIndex(const PolyElement* a, const PolyElement* b) {
  const int ta = FaceType::GetIndex(a->mType);
  const int tb = FaceType::GetIndex(b->mType);
  if (ta != tb) return ta < tb ? -1 : 1;
  const int ia = PolyElement::GetIndex(a);
  const int ib = PolyElement::GetIndex(b);
  return ia < ib ? -1 : (ia > ib ? 1 : 0);
}

int CompareFacesByCentre(const PolyElement* a, const PolyElement* b) {
  for (int k = 0; k < 3; ++k) {
    if (a->mCentre[k] < b->mCentre[k] - kAxisTolerance) return -1;
    if (a->mCentre[k] > b->mCentre[k] + kAxisTolerance) return 1;
  }
  const int ia = PolyElement::GetIndex(a);
  const int ib = PolyElement::GetIndex(b);
  return ia < ib ? -1 : (ia > ib ? 1 : 0);
}

void SortCoplanarFaces(FaceTypeBlock* block) {
  using namespace detail_CoplanarMatching;
  ElementList* planes = block ? block->GetPlaneModel() : nullptr;
  if (!planes) return;
  for (PolyElement* element = planes->mHead; element; element = element->mNext) element->mFlags &= ~kElementSkip;
  const int limit = planes->mCount > 0 ? planes->mCount : 1;
  // The first member of each ring: the one that stands for the ring where the others
  // are passed over (its diagram covers the whole plane), so it keeps no Skip mark.
  std::vector<PolyElement*> heads;

  for (FaceType* type = block->mFirstFaceType; type; type = type->mNext) {
    if (!ProgressTick()) break;
    if (type->mCoplanarMaster || !type->mFirstFace || type->mFirstFace->CountCoplanar() <= 1) continue;
    const PolyElement* reference = nullptr;
    std::vector<PolyElement*> referenceRing;
    for (PolyElement* face : FacesOf(type)) {
      if (face->HasFlag(kElementSkip) || !face->mCoplanarNext) continue;
      // A plane of a finely cut model holds a large share of its faces: the window
      // answers between the rings (a Cancel is taken at the next type).
      (void)ProgressTick();
      std::vector<PolyElement*> ring = RingOf(face, limit);
      MergeSort(ring, CompareCoplanarByTypeAndIndex);
      if (!reference) {
        reference = face;
        referenceRing = ring;
      } else {
        MatchRingOrder(reference, referenceRing, face, ring, type->mNumRotations);
      }
      for (size_t i = 0; i < ring.size(); ++i) {
        ring[i]->mCoplanarNext = ring[(i + 1) % ring.size()];
        ring[i]->mFlags |= kElementSkip;
      }
      heads.push_back(ring.front());
      MergeSort(ring, CompareFacesByCentre);
      for (size_t i = 1; i < ring.size(); ++i) {
        if (WithinPerComponent(ring[i - 1]->mCentre, ring[i]->mCentre, kAxisTolerance)) {
          ring[i - 1]->mFlags |= kElementIsCopConcentric;
          ring[i]->mFlags |= kElementIsCopConcentric | kElementSkipCopConcentric;
        }
      }
    }
  }
  // The marks kept every ring from being taken twice above; the heads are cleared only
  // now, or a ring would be ordered again from its head.
  for (PolyElement* head : heads) head->mFlags &= ~kElementSkip;
}

// ---- Coplanar copies ---------------------------------------------------------------------

void CopyCoplanarInfo(FaceType* type, const CoplanarRingIndex* rings) {
  if (!type || !type->mCoplanarMaster) return;
  FaceType* master = type->mCoplanarMaster;
  const PolyElement* masterFace = master->mFirstFace;
  auto coplanar = [rings, masterFace](const PolyElement* face) {
    return rings ? rings->Together(face, masterFace) : face->IsCoplanarWith(masterFace);
  };
  if (masterFace && type->mFirstFace && !coplanar(type->mFirstFace)) {
    PolyElement* previous = nullptr;
    PolyElement* found = nullptr;
    for (PolyElement* face = type->mFirstFace; face; previous = face, face = face->mNextOfType) {
      if (coplanar(face)) {
        found = face;
        break;
      }
    }
    if (!found) {
      ShowInternalError("CopyCoplanarInfo: Couldn't find coplanar face");
    } else if (!previous) {
      ShowInternalError("CopyCoplanarInfo: Can't find face in list");
    } else {
      previous->mNextOfType = found->mNextOfType;
      if (type->mLastFace == found) type->mLastFace = previous;
      found->mNextOfType = type->mFirstFace;
      type->mFirstFace = found;
    }
  }
  type->mAllFacets = master->mAllFacets;
  type->mCentralSegment = master->mCentralSegment;
  type->mFirstSegment = master->mFirstSegment;
  type->mLastSegment = master->mLastSegment;
  type->mNumSegments = master->mNumSegments;
  type->mLineEqns = master->mLineEqns;
  type->mOuterPoints = master->mOuterPoints;
  type->mInnerPoints = master->mInnerPoints;
  type->mDiagramRadius = master->mDiagramRadius;
  type->mVisibleFacets = nullptr;
}

}  // namespace corvia
