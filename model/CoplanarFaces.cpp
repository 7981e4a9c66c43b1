#include "model/CoplanarFaces.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <map>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "core/IntMath.h"
#include "core/MergeSort.h"
#include "core/Messages.h"
#include "core/PointGrid.h"
#include "core/Progress.h"
#include "core/RadixSorter.h"
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

// What the tolerances of the plane test depend on, gathered in one pass over the
// elements of a list.
struct PlaneExtent {
  bool vertices = false;
  bool faces = false;
  double corners = 0;  // the largest squared distance of a face's corner from the centre
  double flat = 0;     // the furthest a face's corner lies off the face's plane
  double reach = 0;    // the furthest frame origin from the centre

  void Add(const PolyElement* e) {
    reach = std::max(reach, std::sqrt(Dot(e->mCentre, e->mCentre)));
    if (e->IsVertex()) {
      vertices = true;
      return;
    }
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
};

// The tolerance of SharesPlane for the faces of a list: the symmetry search's (the
// corners of a face of an inexact model lie off its plane by up to twice the model's
// error, and off the plane of another face by that much more) times the size of the
// model (its largest corner distance from the centre).
double CoplanarTolerance(const PlaneExtent& extent) {
  return extent.vertices ? 0 : kSymmetrySearchFactor * kSymmetryTolerance * std::sqrt(extent.corners);
}

double CoplanarTolerance(const std::vector<PolyElement*>& elements) {
  PlaneExtent extent;
  for (const PolyElement* e : elements) extent.Add(e);
  return CoplanarTolerance(extent);
}

// How far apart, in any coordinate, the frame origins of two elements that
// SharesPlane takes for one plane can lie: their normals differ by at most the normal
// tolerance in each coordinate, and the distances of their planes from the centre by
// the tolerance, by how far each one's corners lie off its own plane and by how far
// the turn between the normals moves a corner. Twice that, so that rounding never
// matters. Vertices share a plane only by the same frame origin.
double SharedPlaneReach(const PlaneExtent& extent, double tolerance) {
  if (!extent.faces) return 0;
  const double turn = kSymmetryNormalTolerance * (extent.reach + 2.0 * std::sqrt(extent.corners));
  return 2.0 * (kPointTolerance + tolerance + extent.flat + turn);
}

constexpr int kNullType = -1;

// Numbers the face types in the order they are met; a null type is kNullType.
struct TypeNumbers {
  std::unordered_map<const FaceType*, int> ids;
  std::vector<const FaceType*> types;

  int Id(const FaceType* type) {
    if (!type) return kNullType;
    const auto [at, added] = ids.emplace(type, static_cast<int>(types.size()));
    if (added) types.push_back(type);
    return at->second;
  }
};

// The rings of a list, each as its members in ring order, and each ring's set of types.
struct RingTable {
  std::vector<PolyElement*> members;
  std::vector<int> memberTypes;
  std::vector<size_t> ringStart;
  std::vector<int> ringSet;  // per ring: its set of types among the distinct ones
  std::vector<const std::vector<int>*> sets;
  std::map<std::vector<int>, int> setIds;
  // Per ring the members' types with their counts, sorted: (type, count).
  std::vector<std::pair<int, int>> ringTypeCounts;
  std::vector<size_t> ringTypeStart;
  size_t numRings = 0;

  // Calls visit(ring, type, count) for each type of each ring but the null one.
  template <typename Visit>
  void ForEachRingType(Visit visit) const {
    for (size_t r = 0; r < numRings; ++r) {
      for (size_t k = ringTypeStart[r]; k < ringTypeStart[r + 1]; ++k) {
        if (ringTypeCounts[k].first != kNullType) visit(r, ringTypeCounts[k].first, ringTypeCounts[k].second);
      }
    }
  }

  // The fellows of a type's faces in ring r, each once.
  template <typename Visit>
  void ForEachFellow(size_t r, int t, int count, Visit visit) const {
    for (size_t k = ringTypeStart[r]; k < ringTypeStart[r + 1]; ++k) {
      const int other = ringTypeCounts[k].first;
      if (other != t || count > 1) visit(other);
    }
  }
};

// Appends the ring that starts at e to the table, its members marked as seen.
void AddRing(PolyElement* e, int limit, TypeNumbers& numbers, std::unordered_set<const PolyElement*>& seen,
             RingTable& table) {
  table.ringStart.push_back(table.members.size());
  std::vector<int> ids;
  int steps = 0;
  PolyElement* m = e;
  do {
    if (!seen.insert(m).second) break;
    table.members.push_back(m);
    table.memberTypes.push_back(numbers.Id(m->mType));
    ids.push_back(table.memberTypes.back());
    m = m->mCoplanarNext;
  } while (m && m != e && steps++ < limit);
  std::sort(ids.begin(), ids.end());
  table.ringTypeStart.push_back(table.ringTypeCounts.size());
  std::vector<int> set;
  for (size_t i = 0; i < ids.size(); ++i) {
    if (i > 0 && ids[i] == ids[i - 1]) {
      ++table.ringTypeCounts.back().second;
      continue;
    }
    table.ringTypeCounts.emplace_back(ids[i], 1);
    set.push_back(ids[i]);
  }
  const auto [at, added] = table.setIds.emplace(std::move(set), static_cast<int>(table.sets.size()));
  if (added) table.sets.push_back(&at->first);
  table.ringSet.push_back(at->second);
}

// Fills the table with the rings of the list. False when the user cancelled.
bool GatherRings(ElementList* list, TypeNumbers& numbers, ProgressTicker& tick, RingTable& table) {
  std::unordered_set<const PolyElement*> seen;
  for (PolyElement* e = list->mHead; e; e = e->mNext) {
    if (!tick()) return false;
    if (!e->mCoplanarNext || seen.count(e)) continue;
    AddRing(e, list->mCount, numbers, seen, table);
  }
  table.numRings = table.ringStart.size();
  table.ringStart.push_back(table.members.size());
  table.ringTypeStart.push_back(table.ringTypeCounts.size());
  return true;
}

// Which types are alike with which, read from the rings of a table.
class TypeKinship {
 public:
  TypeKinship(const RingTable& table, const std::vector<const FaceType*>& types)
      : mTable(table), mTypes(types), mRings(types.size()) {
    table.ForEachRingType([&](size_t r, int t, int count) {
      TypeRings& of = mRings[static_cast<size_t>(t)];
      if (of.set < 0) {
        of.set = table.ringSet[r];
        of.several = count > 1;
      } else if (of.set != table.ringSet[r] || of.several != (count > 1)) {
        of.uniform = false;
      }
      of.faces += count;
    });
    CountFellowsOfUncleanTypes();
  }

  // Whether every face of type t lies in a ring, all its rings of one set of types with
  // the same count of t.
  bool Clean(int t) const {
    const TypeRings& of = mRings[static_cast<size_t>(t)];
    return of.uniform && of.faces == mTypes[static_cast<size_t>(t)]->mCount;
  }

  bool Alike(int a, int b) const {
    if (a == kNullType || b == kNullType) return false;
    const TypeRings& of = mRings[static_cast<size_t>(a)];
    if (!Clean(a)) return of.alike.count(b) > 0;
    // A clean type is alike with the fellows of its faces, the types of its set.
    const std::vector<int>& set = *mTable.sets[static_cast<size_t>(of.set)];
    return std::binary_search(set.begin(), set.end(), b) && (b != a || of.several);
  }

 private:
  // Per type: the set and own count of its rings while they are one, and how many of
  // its faces lie in rings.
  struct TypeRings {
    int set = -1;
    bool several = false;
    bool uniform = true;
    int64_t faces = 0;
    std::unordered_set<int> alike;  // the types it is alike with, unless clean
  };

  // The types that are not clean count how many of their faces have each fellow.
  void CountFellowsOfUncleanTypes() {
    std::vector<std::unordered_map<int, int64_t>> fellowCounts(mTypes.size());
    mTable.ForEachRingType([&](size_t r, int t, int count) {
      if (Clean(t)) return;
      std::unordered_map<int, int64_t>& counts = fellowCounts[static_cast<size_t>(t)];
      mTable.ForEachFellow(r, t, count, [&](int other) { counts[other] += count; });
    });
    for (size_t t = 0; t < mTypes.size(); ++t) {
      for (const auto& [other, count] : fellowCounts[t]) {
        if (count == mTypes[t]->mCount) mRings[t].alike.insert(other);
      }
    }
  }

  const RingTable& mTable;
  const std::vector<const FaceType*>& mTypes;
  std::vector<TypeRings> mRings;
};

// The types of ring r whose fellows are not all alike with them both ways, sorted.
// Where both are clean they are.
std::vector<int> LeavingTypes(const RingTable& table, const TypeKinship& kin, size_t r) {
  std::vector<int> unclean;
  for (size_t k = table.ringTypeStart[r]; k < table.ringTypeStart[r + 1]; ++k) {
    const int t = table.ringTypeCounts[k].first;
    if (t == kNullType || !kin.Clean(t)) unclean.push_back(t);
  }
  std::vector<int> leaving;
  if (unclean.empty()) return leaving;
  for (size_t k = table.ringTypeStart[r]; k < table.ringTypeStart[r + 1]; ++k) {
    const int t = table.ringTypeCounts[k].first;
    const int count = table.ringTypeCounts[k].second;
    if (t == kNullType) continue;
    bool leave = false;
    const auto notAlike = [&](int other) { leave = leave || !kin.Alike(t, other) || !kin.Alike(other, t); };
    if (!kin.Clean(t)) {
      table.ForEachFellow(r, t, count, notAlike);
    } else {
      for (int other : unclean) {
        if (other != t || count > 1) notAlike(other);
      }
    }
    if (leave) leaving.push_back(t);
  }
  std::sort(leaving.begin(), leaving.end());
  return leaving;
}

// Marks the members that leave their rings. False when the user cancelled.
bool MarkLeavingFaces(const RingTable& table, const TypeKinship& kin, ProgressTicker& tick,
                      std::vector<uint8_t>& leaves, bool& anyLeaves) {
  leaves.assign(table.members.size(), 0);
  anyLeaves = false;
  for (size_t r = 0; r < table.numRings; ++r) {
    if (!tick()) return false;
    const std::vector<int> leaving = LeavingTypes(table, kin, r);
    for (size_t i = table.ringStart[r]; i < table.ringStart[r + 1] && !leaving.empty(); ++i) {
      const int t = table.memberTypes[i];
      if (t != kNullType && std::binary_search(leaving.begin(), leaving.end(), t)) {
        leaves[i] = 1;
        anyLeaves = true;
      }
    }
  }
  return true;
}

// The faces that stay close their rings again in the same order; one left alone has
// no ring.
void CloseRingsWithoutLeavers(const RingTable& table, const std::vector<uint8_t>& leaves) {
  for (size_t r = 0; r < table.numRings; ++r) {
    PolyElement* first = nullptr;
    PolyElement* previous = nullptr;
    for (size_t i = table.ringStart[r]; i < table.ringStart[r + 1]; ++i) {
      PolyElement* m = table.members[i];
      if (leaves[i]) {
        m->mCoplanarNext = nullptr;
        m->mFlags &= ~kElementCoplanar;
        continue;
      }
      if (previous) previous->mCoplanarNext = m;
      if (!first) first = m;
      previous = m;
    }
    if (!first) continue;
    previous->mCoplanarNext = first;
    if (first == previous) {
      first->mCoplanarNext = nullptr;
      first->mFlags &= ~kElementCoplanar;
    }
  }
}

// Whether a face shares its plane with a face of another type is a matter of its type,
// not of the face: the symmetry carries each face of a type, with its plane, onto every
// other. Planes that lie as far apart as the tolerance (a model of tens of thousands of
// faces has pairs of planes that near) may be taken for one at some faces of the types
// and not at others. Such faces leave their rings until every face of a type shares
// its plane with faces of the same types as its fellows do.
//
// A face's fellows are the types of the other members of its ring: the ring's set of
// types, less its own type where it is the only member of that type. Type A is alike
// with type B when every face of A has B among its fellows; a face leaves when one of
// its fellows B is missing, null, not alike with its type or its type not alike with B.
// The test is made per ring and type, never per pair of members: a plane of a finely
// cut face holds hundreds of thousands of faces of tens of thousands of types. A type
// whose faces all lie in rings of one set of types (with the same count of their own
// type) and all lie in rings is alike with exactly its fellows there, and every type
// of such a ring that is clean in that way is alike with the others; the fellows of
// the other types are counted out. False when the user cancelled.
bool KeepRingsAlikeAcrossTypes(ElementList* list) {
  ProgressTicker tick;
  TypeNumbers numbers;
  for (;;) {
    RingTable table;
    if (!GatherRings(list, numbers, tick, table)) return false;
    const TypeKinship kin(table, numbers.types);
    std::vector<uint8_t> leaves;
    bool anyLeaves = false;
    if (!MarkLeavingFaces(table, kin, tick, leaves, anyLeaves)) return false;
    if (!anyLeaves) return true;
    CloseRingsWithoutLeavers(table, leaves);
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

namespace detail_CoplanarFaces {

// Which of the points (three doubles each, in `positions`) have another within `box`
// of them in every coordinate (|a - b| <= box), as the grid's search tests it: 1 for
// those, 0 for the others and for points that are not finite. The points are sorted
// by the cells they fall in, cells many boxes wide, and each is compared with the
// points of the cells its box reaches. Those lie in runs of the sorted points that
// move forwards with it, one run for each column of cells beside its own: the whole
// test reads memory in order, where a search of a grid reads two scattered places for
// every point.
std::vector<uint8_t> FindCrowdedPoints(const std::vector<double>& positions, double box) {
  const size_t n = positions.size() / 3;
  std::vector<uint8_t> crowded(n, 0);
  auto finite = [&](size_t i) {
    return std::isfinite(positions[3 * i]) && std::isfinite(positions[3 * i + 1]) &&
           std::isfinite(positions[3 * i + 2]);
  };
  double low[3] = {HUGE_VAL, HUGE_VAL, HUGE_VAL};
  double high[3] = {-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
  for (size_t i = 0; i < n; ++i) {
    if (!finite(i)) continue;
    for (int c = 0; c < 3; ++c) {
      low[c] = std::min(low[c], positions[3 * i + c]);
      high[c] = std::max(high[c], positions[3 * i + c]);
    }
  }
  if (!(low[0] <= high[0])) return crowded;
  // Cells of sixteen boxes, or wider so that no coordinate has more than 2^20 of them.
  constexpr double kMaxCells = 1048576.0;
  double width = 16.0 * box;
  for (int c = 0; c < 3; ++c) width = std::max(width, (high[c] - low[c]) / kMaxCells);
  const double scale = 1.0 / width;
  if (!(width > 0 && std::isfinite(width) && scale > 0 && std::isfinite(scale))) {
    for (size_t i = 0; i < n; ++i) crowded[i] = finite(i) ? 1 : 0;
    return crowded;
  }
  // The cell number only grows with x (every step rounds monotonically), so a point q
  // with |q - p| <= box, which lies between p - 2 box and p + 2 box as rounded, falls in
  // a cell between theirs.
  double top[3];
  for (int c = 0; c < 3; ++c) top[c] = std::floor((high[c] - low[c]) * scale);
  auto cellOf = [&](double x, int c) {
    return static_cast<uint64_t>(std::clamp(std::floor((x - low[c]) * scale), 0.0, top[c]));
  };
  const int shiftY = std::bit_width(static_cast<uint64_t>(top[2]));
  const int shiftX = shiftY + std::bit_width(static_cast<uint64_t>(top[1]));
  auto keyOf = [&](uint64_t x, uint64_t y, uint64_t z) { return x << shiftX | y << shiftY | z; };
  // Each pass over the points of a large model takes a good part of a second: the
  // window answers along them (a cancel is heard by the caller's next report).
  ProgressTicker tick;
  std::vector<KeyedEntry> cells;
  cells.reserve(n);
  for (size_t i = 0; i < n; ++i) {
    (void)tick();
    if (!finite(i)) continue;
    const double* p = &positions[3 * i];
    cells.push_back({keyOf(cellOf(p[0], 0), cellOf(p[1], 1), cellOf(p[2], 2)), static_cast<int32_t>(i)});
  }
  SortByKey(cells);
  struct Point {
    double p[3];
    int32_t index;
  };
  std::vector<Point> points(cells.size());
  for (size_t k = 0; k < cells.size(); ++k) {
    (void)tick();
    const double* p = &positions[3 * static_cast<size_t>(cells[k].value)];
    points[k] = {{p[0], p[1], p[2]}, cells[k].value};
  }
  // The start of the run of each column beside a point's own (x and y one cell less,
  // the same or one more), from the cell below its own.
  size_t runStart[9] = {};
  for (size_t k = 0; k < points.size(); ++k) {
    (void)tick();
    const double* p = points[k].p;
    const uint64_t own[3] = {cells[k].key >> shiftX, (cells[k].key >> shiftY) & ((uint64_t{1} << (shiftX - shiftY)) - 1),
                             cells[k].key & ((uint64_t{1} << shiftY) - 1)};
    uint64_t from[3], to[3];
    bool beside = true;
    for (int c = 0; c < 3; ++c) {
      from[c] = cellOf(p[c] - 2.0 * box, c);
      to[c] = cellOf(p[c] + 2.0 * box, c);
      beside = beside && from[c] + 1 >= own[c] && to[c] <= own[c] + 1;
    }
    // Never with cells this wide; a point whose box reached further would be searched.
    bool found = !beside;
    const uint64_t below = own[2] > 0 ? own[2] - 1 : 0;
    for (uint64_t x = from[0]; x <= to[0] && !found; ++x) {
      for (uint64_t y = from[1]; y <= to[1] && !found; ++y) {
        size_t& e = runStart[3 * (x + 1 - own[0]) + (y + 1 - own[1])];
        const uint64_t first = keyOf(x, y, below);
        const uint64_t last = keyOf(x, y, to[2]);
        while (e < cells.size() && cells[e].key < first) ++e;
        size_t f = e;
        for (const uint64_t start = keyOf(x, y, from[2]); f < cells.size() && cells[f].key < start;) ++f;
        for (; f < cells.size() && cells[f].key <= last && !found; ++f) {
          const double* q = points[f].p;
          found = f != k && std::fabs(q[0] - p[0]) <= box && std::fabs(q[1] - p[1]) <= box &&
                  std::fabs(q[2] - p[2]) <= box;
        }
      }
    }
    crowded[static_cast<size_t>(points[k].index)] = found ? 1 : 0;
  }
  return crowded;
}

}  // namespace detail_CoplanarFaces

bool FindCoplanarFaces(ElementList* list) {
  TraceScope scope("FindCoplanarFaces");
  if (!list) return true;
  // Every link is rebuilt: a link left from an earlier set-up may name an element
  // that no longer exists. The passes over the elements follow the list, their order
  // in memory; the sorted order is read from the keys.
  std::vector<detail_CoplanarFaces::CoplanarKey> keys;
  keys.reserve(static_cast<size_t>(list->mCount > 0 ? list->mCount : 0));
  detail_CoplanarFaces::PlaneExtent extent;
  // The passes over a large model's elements answer the window along them; a cancel
  // is heard at the sort's next report.
  ProgressTicker passTick;
  for (PolyElement* e = list->mHead; e; e = e->mNext) {
    (void)passTick();
    e->mCoplanarNext = nullptr;
    e->mFlags &= ~kElementCoplanar;
    keys.push_back(detail_CoplanarFaces::KeyOf(e));
    keys.back().element = e;
    extent.Add(e);
  }
  // The window is wider than the tolerance (frame origins of faces in one plane known
  // only to the tolerance differ by as much as their normals turn them); the plane
  // test decides membership.
  const double tolerance = detail_CoplanarFaces::CoplanarTolerance(extent);
  const double window =
      2.0 * std::max(kPointTolerance, tolerance + (tolerance > 0 ? extent.reach * kSymmetryNormalTolerance : 0));
  const double box = std::max(window, detail_CoplanarFaces::SharedPlaneReach(extent, tolerance));

  // The sort of a large model's faces takes a while: the progress window answers every
  // so many comparisons.
  // A cancel there leaves the order as it is, and the rings are not made.
  ProgressTicker sortTick(ProgressTicker::kPasses * 16);
  bool goOn = true;
  MergeSort(keys,
            [&sortTick, &goOn](const detail_CoplanarFaces::CoplanarKey& a, const detail_CoplanarFaces::CoplanarKey& b) {
              goOn = sortTick() && goOn;
              return goOn ? detail_CoplanarFaces::CompareKeys(a, b) : 0;
            });
  if (!goOn) return false;
  std::vector<PolyElement*> sorted;
  sorted.reserve(keys.size());
  std::vector<double> centres(3 * keys.size());
  for (size_t i = 0; i < keys.size(); ++i) {
    (void)passTick();
    sorted.push_back(keys[i].element);
    CopyVector(&centres[3 * i], keys[i].centre);
  }
  std::vector<detail_CoplanarFaces::CoplanarKey>().swap(keys);
  if (!ProgressTick()) return false;

  // The comparator is tolerant, so the members of one plane need not be neighbours
  // in the sorted order. Each ring is therefore gathered from all elements whose
  // frame origin lies near the first member's, found in a grid of the frame origins.
  // An element with no other frame origin that near is alone in its plane: only the
  // others go into the grid and are searched.
  const int n = static_cast<int>(sorted.size());
  const std::vector<uint8_t> crowded = detail_CoplanarFaces::FindCrowdedPoints(centres, box);
  // Cells far wider than the box: a search mostly reads one or two of them.
  PointGrid<PackedPositions> grid(detail_CoplanarFaces::kCellOfBox * box, PackedPositions{centres.data()});
  for (int i = 0; i < n; ++i) {
    (void)passTick();
    if (crowded[static_cast<size_t>(i)]) grid.Add(i);
  }
  grid.Finish();
  std::vector<char> assigned(sorted.size(), 0);
  std::vector<int> members;
  bool linked = false;
  ProgressTicker tick;
  for (int i = 0; i < n; ++i) {
    if (!tick()) return false;
    if (assigned[static_cast<size_t>(i)] || !crowded[static_cast<size_t>(i)]) continue;
    assigned[static_cast<size_t>(i)] = 1;
    PolyElement* s = sorted[static_cast<size_t>(i)];
    members.clear();
    const double* c = &centres[3 * static_cast<size_t>(i)];
    const double low = c[0] - window;
    const double high = c[0] + window;
    grid.ForEachWithin(c, box, [&](int32_t j) {
      (void)tick();  // a plane of many faces is gathered in one search
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
      linked = true;
    }
  }
  // Without a ring there is nothing to keep alike.
  return !linked || detail_CoplanarFaces::KeepRingsAlikeAcrossTypes(list);
}

void CoplanarRingIndex::File(const PolyElement* e, int limit) {
  if (!e || !e->mCoplanarNext || mRing.count(e)) return;
  int steps = 0;
  const PolyElement* m = e;
  do {
    // A plane of many faces takes a while to file: the window answers along it.
    if ((steps + 1) % static_cast<int>(ProgressTicker::kPasses) == 0) (void)ProgressTick();
    mRing.emplace(m, mRings);
    m = m->mCoplanarNext;
  } while (m && m != e && steps++ < limit);
  ++mRings;
}

CoplanarRingIndex::CoplanarRingIndex(const ElementList* list) {
  const int limit = list ? list->mCount : 0;
  // A large model's elements take a good part of a second to file: the window answers
  // along them, and a cancel is left for the caller's next report.
  ProgressTicker tick;
  for (const PolyElement* e = list ? list->mHead : nullptr; e; e = e->mNext) {
    (void)tick();
    File(e, limit);
  }
}

CoplanarRingIndex::CoplanarRingIndex(const std::vector<const PolyElement*>& members) {
  // Room for the first ring at once: a plane may hold hundreds of thousands of faces.
  if (const PolyElement* first = members.empty() ? nullptr : members.front(); first && first->mCoplanarNext) {
    size_t size = 1;
    const size_t limit = first->mList ? static_cast<size_t>(first->mList->mCount) : 0;
    for (const PolyElement* m = first->mCoplanarNext; m && m != first && size <= limit; m = m->mCoplanarNext) ++size;
    mRing.reserve(size);
  }
  for (const PolyElement* e : members) File(e, e && e->mList ? e->mList->mCount : 0);
}

bool CoplanarRingIndex::Together(const PolyElement* a, const PolyElement* b) const {
  if (a == b) return true;
  if (!a || !b) return false;
  const auto ringA = mRing.find(a);
  const auto ringB = mRing.find(b);
  return ringA != mRing.end() && ringB != mRing.end() && ringA->second == ringB->second;
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
