#include "model/CoplanarFaces.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>
#include <vector>

#include "core/IntMath.h"
#include "core/MergeSort.h"
#include "core/Messages.h"
#include "core/PointGrid.h"
#include "core/Progress.h"
#include "core/TimeFormat.h"
#include "core/Tolerances.h"
#include "core/VectorMath.h"
#include "model/ElementFlags.h"
#include "model/ElementList.h"
#include "model/FaceMatching.h"
#include "model/FaceTypeBlock.h"
#include "model/PolyElement.h"

namespace corvia {

namespace detail_CoplanarFaces {

// The cells of the grid of frame origins are this many times as wide as the search
// box around one of them.
constexpr double kCellOfBox = 8.0;

// The direction search of the same-type pairs starts below every dot product.
constexpr double kNoDirection = -999999.9;

// The normal of one sense per plane: negated unless its first component outside the
// tolerance is positive; a (near) zero normal is kept.
void CanonicalNormal(const double* normal, double* out) {
  CopyVector(out, normal);
  for (int c = 0; c < 3; ++c) {
    if (normal[c] > kPointTolerance) return;
    if (normal[c] < -kPointTolerance) {
      Negate(out);
      return;
    }
  }
}

// Every corner of a face lies within the tolerance of the plane of another.
bool CornersInPlane(const PolyElement* face, const PolyElement* plane, double tolerance) {
  for (int i = 0; i < face->mNumSides; ++i) {
    const PolyElement* corner = face->mNeighbours[i];
    if (!corner) return false;
    double d[3];
    Subtract(d, corner->mDualVert, plane->mCentre);
    if (!(std::fabs(Dot(d, plane->mZAxis)) <= tolerance)) return false;
  }
  return true;
}

// e lies in the plane of s: the same frame origin, and a normal equal or opposite.
// Faces also when their normals are near and each one's corners lie within
// `tolerance` of the other's plane: the faces of a model whose coordinates were
// rounded by the program that wrote it, which lie in one plane only to that accuracy.
bool SharesPlane(const PolyElement* s, const PolyElement* e, double tolerance) {
  if (NearlyEqual(e->mCentre, s->mCentre, kPointTolerance) &&
      (NearlyEqual(e->mZAxis, s->mZAxis, kPointTolerance) || NearlyOpposite(e->mZAxis, s->mZAxis, kPointTolerance))) {
    return true;
  }
  if (s->IsVertex() || e->IsVertex() || s->mNumSides < 1 || e->mNumSides < 1) return false;
  if (!NearlyEqual(e->mZAxis, s->mZAxis, kSymmetryNormalTolerance) &&
      !NearlyOpposite(e->mZAxis, s->mZAxis, kSymmetryNormalTolerance)) {
    return false;
  }
  return CornersInPlane(e, s, tolerance) && CornersInPlane(s, e, tolerance);
}

// The tolerance of SharesPlane for the faces of a list: the symmetry search's (the
// corners of a face of an inexact model lie off its plane by up to twice the model's
// error, and off the plane of another face by that much more) times the size of the
// model (its largest corner distance from the centre).
double CoplanarTolerance(const std::vector<PolyElement*>& elements) {
  double size = 0;
  for (const PolyElement* e : elements) {
    if (e->IsVertex()) return 0;
    for (int i = 0; i < e->mNumSides; ++i) {
      if (e->mNeighbours[i]) size = std::max(size, Dot(e->mNeighbours[i]->mDualVert, e->mNeighbours[i]->mDualVert));
    }
  }
  return kSymmetrySearchFactor * kSymmetryTolerance * std::sqrt(size);
}

// How far apart, in any coordinate, the frame origins of two elements that
// SharesPlane takes for one plane can lie (elements within `reach` of the centre):
// their normals differ by at most the normal tolerance in each coordinate, and the
// distances of their planes from the centre by the tolerance, by how far each one's
// corners lie off its own plane and by how far the turn between the normals moves a
// corner. Twice that, so that rounding never matters. Vertices share a plane only
// by the same frame origin.
double SharedPlaneReach(const std::vector<PolyElement*>& elements, double tolerance, double reach) {
  double flat = 0;
  double corners = 0;
  bool faces = false;
  for (const PolyElement* e : elements) {
    if (e->IsVertex()) continue;
    faces = true;
    for (int i = 0; i < e->mNumSides; ++i) {
      const PolyElement* corner = e->mNeighbours[i];
      if (!corner) continue;
      double d[3];
      Subtract(d, corner->mDualVert, e->mCentre);
      flat = std::max(flat, std::fabs(Dot(d, e->mZAxis)));
      corners = std::max(corners, Dot(corner->mDualVert, corner->mDualVert));
    }
  }
  if (!faces) return 0;
  const double turn = kSymmetryNormalTolerance * (reach + 2.0 * std::sqrt(corners));
  return 2.0 * (kPointTolerance + tolerance + flat + turn);
}

// Whether a face shares its plane with a face of another type is a matter of its type,
// not of the face: the symmetry carries each face of a type, with its plane, onto every
// other. Planes that lie as far apart as the tolerance (a model of tens of thousands of
// faces has pairs of planes that near) may be taken for one at some faces of the types
// and not at others. Such faces leave their rings until every face of a type shares
// its plane with faces of the same types as its fellows do.
void KeepRingsAlikeAcrossTypes(ElementList* list) {
  using TypePair = std::pair<const FaceType*, const FaceType*>;
  std::map<TypePair, int> withType;
  std::vector<const FaceType*> others;
  std::vector<PolyElement*> leaving;
  const int limit = list->mCount;
  auto ringTypes = [&others, limit](const PolyElement* e) {
    others.clear();
    int steps = 0;
    for (const PolyElement* m = e->mCoplanarNext; m && m != e && steps < limit; m = m->mCoplanarNext, ++steps) {
      if (std::find(others.begin(), others.end(), m->mType) == others.end()) others.push_back(m->mType);
    }
  };
  ProgressTicker tick;
  for (bool changed = true; changed;) {
    changed = false;
    withType.clear();
    for (PolyElement* e = list->mHead; e; e = e->mNext) {
      (void)tick();
      if (!e->mCoplanarNext || !e->mType) continue;
      ringTypes(e);
      for (const FaceType* other : others) ++withType[{e->mType, other}];
    }
    auto alike = [&withType](const FaceType* a, const FaceType* b) {
      const auto found = withType.find({a, b});
      return found != withType.end() && found->second == a->mCount;
    };
    leaving.clear();
    for (PolyElement* e = list->mHead; e; e = e->mNext) {
      (void)tick();
      if (!e->mCoplanarNext || !e->mType) continue;
      ringTypes(e);
      for (const FaceType* other : others) {
        if (!other || !alike(e->mType, other) || !alike(other, e->mType)) {
          leaving.push_back(e);
          break;
        }
      }
    }
    for (PolyElement* e : leaving) e->UnlinkCoplanar();
    changed = !leaving.empty();
  }
}

int RotationCount(const FaceType* type) {
  // A type whose rotations are not yet known counts as having the identity only.
  return type && type->mNumRotations > 0 ? type->mNumRotations : 1;
}

const FaceTypeBlock* BlockOf(const PolyElement* element) {
  return element && element->mType ? element->mType->mBlock : nullptr;
}

// Height of the neighbour across side i above the element's plane; false when there
// is no neighbour.
bool NeighbourHeight(const PolyElement* element, int i, double& height) {
  const PolyElement* neighbour = PolyElement::GetAdjacent(element, i);
  if (!neighbour) return false;
  double d[3];
  Subtract(d, neighbour->mCentre, element->mCentre);
  height = Dot(d, element->mZAxis);
  return true;
}

// The heights of two neighbours agree (or neither exists).
bool HeightsAgree(const PolyElement* f, int i, const PolyElement* r, int j) {
  double h1 = 0.0;
  double h2 = 0.0;
  const bool has1 = NeighbourHeight(f, i, h1);
  const bool has2 = NeighbourHeight(r, j, h2);
  if (has1 != has2) return false;
  return !has1 || std::fabs(h1 - h2) <= kPointTolerance;
}

// Whether corner order starting at r makes f's corners correspond to those of the
// representative: same corner types, and neighbours of the same block.
bool CornersFit(const PolyElement* f, const PolyElement* rep, int r) {
  const int n = f->mNumSides;
  for (int j = 0; j < n; ++j) {
    const int i = (r + j) % n;
    const PolyElement* mine = f->mNeighbours[i];
    const PolyElement* theirs = rep->mNeighbours[j];
    if (!mine || !theirs || mine->mType != theirs->mType) return false;
    if (BlockOf(PolyElement::GetAdjacent(f, i)) != BlockOf(PolyElement::GetAdjacent(rep, j))) return false;
  }
  return true;
}

// Coordinates of p relative to the frame (origin, x, y, z).
void InFrame(const double* p, const double* origin, const double* x, const double* y, const double* z,
             double* out) {
  double d[3];
  Subtract(d, p, origin);
  out[0] = Dot(d, x);
  out[1] = Dot(d, y);
  out[2] = Dot(d, z);
}

// Whether the rotation that carries the representative's frame (corner 0, its normal)
// onto f's frame (corner r, normal times `sense`) carries the representative onto f:
// corner j onto corner r + sense j, and the neighbour across side j onto the one
// across the matching side of f, with the same types. With sense -1 f's corners run
// the other way round its stored normal, so they run the representative's way round
// the negated one.
bool RotationCarries(const PolyElement* f, const PolyElement* rep, int r, int sense) {
  const int n = f->mNumSides;
  if (rep->mNumSides != n || n <= 0) return false;
  double fz[3];
  CopyVector(fz, f->mZAxis);
  if (sense < 0) Negate(fz);
  double fx[3], fy[3], rx[3], ry[3];
  if (!FrameTowards(f, r, fz, fx, fy) || !FrameTowards(rep, 0, rep->mZAxis, rx, ry)) return false;
  for (int j = 0; j < n; ++j) {
    const int i = ((r + sense * j) % n + n) % n;
    const PolyElement* mine = f->mNeighbours[i];
    const PolyElement* theirs = rep->mNeighbours[j];
    if (!mine || !theirs || mine->mType != theirs->mType) return false;
    double a[3], b[3];
    InFrame(mine->mDualVert, f->mCentre, fx, fy, fz, a);
    InFrame(theirs->mDualVert, rep->mCentre, rx, ry, rep->mZAxis, b);
    if (!NearlyEqual(a, b, kFaceMatchTolerance)) return false;
    // Side j runs from corner j to corner j + 1; on f that is the side from corner i
    // to corner i + sense.
    const int side = sense > 0 ? i : (i + n - 1) % n;
    const PolyElement* across = PolyElement::GetAdjacent(f, side);
    const PolyElement* other = PolyElement::GetAdjacent(rep, j);
    if (!across != !other) return false;
    if (!across) continue;
    if (BlockOf(across) != BlockOf(other)) return false;
    InFrame(across->mCentre, f->mCentre, fx, fy, fz, a);
    InFrame(other->mCentre, rep->mCentre, rx, ry, rep->mZAxis, b);
    if (!NearlyEqual(a, b, kFaceMatchTolerance)) return false;
  }
  return true;
}

// The start corner of f that corresponds to corner 0 of its representative; may
// negate the normal of a Hemi element. -1 when none fits.
int FindStart(PolyElement* f, const PolyElement* rep, int n, int k) {
  if (rep->mNumSides != n) return -1;
  if (f->HasFlag(kElementHemi)) {
    // An element through the centre takes the frame that a rotation carrying its
    // representative onto it gives; when its corners run the other way round that
    // rotation's image of the normal, its normal is negated. The order of its shape
    // may come from the inversion through the centre, which turns it half round in
    // its plane but is no rotation, so every start is tried, not only those below k.
    for (int sense : {1, -1}) {
      for (int r = 0; r < n; ++r) {
        if (!RotationCarries(f, rep, r, sense)) continue;
        if (sense < 0) Negate(f->mZAxis);
        return r;
      }
    }
  }
  for (int r = 0; r < k; ++r) {
    if (!CornersFit(f, rep, r)) continue;
    if (!HeightsAgree(f, (r + n - 1) % n, rep, n - 1)) continue;
    if (f->HasFlag(kElementHemi) && !HeightsAgree(f, r, rep, 0)) {
      // Half turned through the centre: the element's other side corresponds.
      Negate(f->mZAxis);
      return r + 1 < k ? r + 1 : 0;
    }
    return r;
  }
  return -1;
}

// First axis towards corner 0, second axis normal x first.
void SetAxesFromCorner0(PolyElement* f) {
  if (f->mNumSides <= 0 || !f->mNeighbours[0]) return;
  double x[3];
  Subtract(x, f->mNeighbours[0]->mDualVert, f->mCentre);
  const double length = std::sqrt(Dot(x, x));
  // A corner on the frame origin gives no direction: the old axes stay.
  if (length <= kPointTolerance) return;
  Divide(f->mXAxis, x, length);
  Cross(f->mYAxis, f->mZAxis, f->mXAxis);
  SnapNearZero(f->mXAxis, kRoundingTolerance);
  SnapNearZero(f->mYAxis, kRoundingTolerance);
}

void ReorientElement(PolyElement* f) {
  f->mFlags &= ~kElementCoplanar;
  FaceType* type = f->mType;
  if (!type) return;
  if (type->mCoplanarMaster) {
    f->CopyAxesFromPartner();
    return;
  }
  const int n = f->mNumSides;
  const int p = RotationCount(type);
  if (p == n || n <= 0) return;
  const PolyElement* rep = type->mFirstFace ? type->mFirstFace : f;
  const int k = std::max(1, n / p);
  int r = FindStart(f, rep, n, k);
  if (r < 0) {
    ShowInternalError("ReorientFaceAxes: Couldn't find match for face");
    r = 0;
  }
  f->RotateCorners(r, false);
  SetAxesFromCorner0(f);
}

}  // namespace detail_CoplanarFaces

bool FrameTowards(const PolyElement* e, int start, const double* normal, double* x, double* y) {
  const PolyElement* corner = e->mNeighbours[start];
  if (!corner) return false;
  Subtract(x, corner->mDualVert, e->mCentre);
  const double length = std::sqrt(Dot(x, x));
  if (length <= kPointTolerance) return false;
  Divide(x, x, length);
  Cross(y, normal, x);
  return true;
}

namespace detail_CoplanarFaces {

// What CompareCoplanar reads of an element, in one record: the sort of a large list
// moves these records instead of reaching into every element at every comparison.
struct CoplanarKey {
  PolyElement* element;  // set by the sort that moves the records
  double centre[3];
  double normal[3];  // canonical
  int type;
  int index;
};

CoplanarKey KeyOf(const PolyElement* e) {
  CoplanarKey key{nullptr, {e->mCentre[0], e->mCentre[1], e->mCentre[2]}, {}, FaceType::GetIndex(e->mType),
                  PolyElement::GetIndex(e)};
  CanonicalNormal(e->mZAxis, key.normal);
  return key;
}

int CompareKeys(const CoplanarKey& a, const CoplanarKey& b) {
  for (int c = 0; c < 3; ++c) {
    const double d = a.centre[c] - b.centre[c];
    if (d < -kPointTolerance) return -1;
    if (d > kPointTolerance) return 1;
  }
  const int normals = CompareWithin(a.normal, b.normal, kPointTolerance);
  if (normals != 0) return normals;
  if (a.type != b.type) return a.type - b.type;
  return a.index - b.index;
}

}  // namespace detail_CoplanarFaces

int CompareCoplanar(const PolyElement* a, const PolyElement* b) {
  using detail_CoplanarFaces::KeyOf;
  return detail_CoplanarFaces::CompareKeys(KeyOf(a), KeyOf(b));
}

void FindCoplanarFaces(ElementList* list) {
  TraceScope scope("FindCoplanarFaces");
  if (!list) return;
  // Every link is rebuilt: a link left from an earlier set-up may name an element
  // that no longer exists.
  std::vector<detail_CoplanarFaces::CoplanarKey> keys;
  keys.reserve(static_cast<size_t>(list->mCount > 0 ? list->mCount : 0));
  for (PolyElement* e = list->mHead; e; e = e->mNext) {
    e->mCoplanarNext = nullptr;
    e->mFlags &= ~kElementCoplanar;
    keys.push_back(detail_CoplanarFaces::KeyOf(e));
    keys.back().element = e;
  }
  // The sort of a large model's faces takes a while: the progress window answers every
  // so many comparisons.
  ProgressTicker sortTick(ProgressTicker::kPasses * 16);
  MergeSort(keys, [&sortTick](const detail_CoplanarFaces::CoplanarKey& a, const detail_CoplanarFaces::CoplanarKey& b) {
    (void)sortTick();
    return detail_CoplanarFaces::CompareKeys(a, b);
  });
  std::vector<PolyElement*> sorted;
  sorted.reserve(keys.size());
  for (const detail_CoplanarFaces::CoplanarKey& key : keys) sorted.push_back(key.element);
  std::vector<detail_CoplanarFaces::CoplanarKey>().swap(keys);
  (void)ProgressTick();

  // The comparator is tolerant, so the members of one plane need not be neighbours
  // in the sorted order. Each ring is therefore gathered from all elements whose
  // frame origin lies near the first member's, found in a grid of the frame origins.
  const int n = static_cast<int>(sorted.size());
  std::vector<double> centres(3 * sorted.size());
  for (size_t i = 0; i < sorted.size(); ++i) CopyVector(&centres[3 * i], sorted[i]->mCentre);

  // The window is wider than the tolerance (frame origins of faces in one plane known
  // only to the tolerance differ by as much as their normals turn them); the plane
  // test decides membership.
  const double tolerance = detail_CoplanarFaces::CoplanarTolerance(sorted);
  double reach = 0;
  for (const PolyElement* e : sorted) reach = std::max(reach, std::sqrt(Dot(e->mCentre, e->mCentre)));
  const double window =
      2.0 * std::max(kPointTolerance, tolerance + (tolerance > 0 ? reach * kSymmetryNormalTolerance : 0));
  const double box = std::max(window, detail_CoplanarFaces::SharedPlaneReach(sorted, tolerance, reach));
  // Cells far wider than the box: a search mostly reads one or two of them.
  PointGrid<PackedPositions> grid(detail_CoplanarFaces::kCellOfBox * box, PackedPositions{centres.data()});
  grid.Reserve(sorted.size());
  for (int i = 0; i < n; ++i) grid.Add(i);
  grid.Finish();
  std::vector<char> assigned(sorted.size(), 0);
  std::vector<int> members;
  ProgressTicker tick;
  for (int i = 0; i < n; ++i) {
    (void)tick();
    if (assigned[static_cast<size_t>(i)]) continue;
    assigned[static_cast<size_t>(i)] = 1;
    PolyElement* s = sorted[static_cast<size_t>(i)];
    members.clear();
    const double* c = &centres[3 * static_cast<size_t>(i)];
    const double low = c[0] - window;
    const double high = c[0] + window;
    grid.ForEachWithin(c, box, [&](int32_t j) {
      if (assigned[static_cast<size_t>(j)]) return;
      const double x = centres[3 * static_cast<size_t>(j)];
      if (!(x >= low && x <= high)) return;
      if (detail_CoplanarFaces::SharesPlane(s, sorted[static_cast<size_t>(j)], tolerance)) members.push_back(j);
    });
    // The ring follows the sorted order.
    std::sort(members.begin(), members.end());
    PolyElement* previous = s;
    for (int j : members) {
      assigned[static_cast<size_t>(j)] = 1;
      PolyElement* e = sorted[static_cast<size_t>(j)];
      previous->mCoplanarNext = e;
      e->mCoplanarNext = s;
      if (e->mType == previous->mType) e->mFlags |= kElementCoplanar;
      previous = e;
    }
  }
  detail_CoplanarFaces::KeepRingsAlikeAcrossTypes(list);
}

void PolyElement::CopyAxesFromPartner() {
  if (!mType || !mType->mCoplanarMaster || !mCoplanarNext) return;
  const FaceType* partner = mType->mCoplanarMaster;
  const int limit = RingWalkLimit();
  int steps = 0;
  for (const PolyElement* member = mCoplanarNext; member && member != this && steps < limit;
       member = member->mCoplanarNext, ++steps) {
    if (member->mType == partner) {
      CopyVector(mXAxis, member->mXAxis);
      CopyVector(mYAxis, member->mYAxis);
      CopyVector(mZAxis, member->mZAxis);
      return;
    }
  }
}

void ReorientFaceAxes(ElementList* list, FaceType* firstType) {
  if (!list) return;
  for (PolyElement* f = list->mHead; f; f = f->mNext) detail_CoplanarFaces::ReorientElement(f);

  // Of two coplanar elements of one type, the one whose axes turn the chosen way
  // against its partner's carries the Coplanar flag; the representative of each type
  // fixes that sense, which then holds until another representative sets it.
  bool sense = true;
  for (FaceType* t = firstType; t; t = t->mNext) {
    const int p = detail_CoplanarFaces::RotationCount(t);
    int guard = 0;
    for (PolyElement* f = t->mFirstFace; f && guard <= list->mCount; f = f->mNextOfType, ++guard) {
      PolyElement* g = f->mCoplanarNext;
      if (!g || g->mType != t || f->HasFlag(kElementCoplanar) || g->HasFlag(kElementCoplanar)) continue;
      double best = detail_CoplanarFaces::kNoDirection;
      double u[3] = {0.0, 0.0, 0.0};
      for (int m = 0; m < p; ++m) {
        double sine = 0.0;
        double cosine = 1.0;
        GetSinCos(m, p, sine, cosine);
        double candidate[3];
        for (int c = 0; c < 3; ++c) candidate[c] = cosine * g->mXAxis[c] + sine * g->mYAxis[c];
        const double dot = Dot(candidate, f->mXAxis);
        if (dot > best) {
          best = dot;
          CopyVector(u, candidate);
        }
      }
      double cross[3];
      Cross(cross, f->mXAxis, u);
      const double s = Dot(cross, f->mZAxis);
      if (f == t->mFirstFace) sense = s > 0.0;
      if ((s < 0.0) == sense) {
        f->mFlags |= kElementCoplanar;
      } else {
        g->mFlags |= kElementCoplanar;
      }
    }
  }
}

}  // namespace corvia
