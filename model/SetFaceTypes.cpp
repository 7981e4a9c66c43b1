// The set-up pipeline that turns linked vertices and faces into a full model: face
// types of both blocks, the symmetry group and the in-plane frames, retrograde faces,
// centroids, compound parts, density, drawing polygons, colours and the face order.
// The edges follow in Edges.cpp.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "core/Messages.h"
#include "core/MergeSort.h"
#include "core/Progress.h"
#include "core/RadixSorter.h"
#include "core/TimeFormat.h"
#include "core/Tolerances.h"
#include "core/VectorMath.h"
#include "model/ColorSchemes.h"
#include "model/CompoundParts.h"
#include "model/CoplanarFaces.h"
#include "model/Edge.h"
#include "model/ElementFlags.h"
#include "model/ElementServices.h"
#include "model/Face.h"
#include "model/FaceTypeBlock.h"
#include "model/Globals.h"
#include "model/ModelSymmetry.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "model/PolyTemplate.h"
#include "model/Vertex.h"
#include "symmetry/SymGroup.h"

namespace corvia {

namespace detail_SetFaceTypes {

// A stage of the set-up: named for the trace, and the progress window kept answering
// through the long ones. False once the user cancelled: the set-up stops there.
[[nodiscard]] bool Stage(const char* name) {
  DoNothing("%s", name);  // a trace of the stage, on the way to success
  return ProgressTick();
}

// Bit of mIdFlags that splits a class of faces into its two hands.
constexpr uint32_t kHandednessBit = 0x10000;
// 1 / (4 pi): a full solid angle counts as density 1.
constexpr double kInverseFullSolidAngle = 0.07957747154594767;
constexpr double kUnitDensityLow = 0.999;
constexpr double kUnitDensityHigh = 1.001;
constexpr double kSqrtHalf = 0.7071067811865475;
// Face classes of chiral templates that are split by hand.
constexpr int kChiralClassSizes[3] = {120, 40, 24};
constexpr int kChiralMinValence = 5;

int32_t TypeIndex(const PolyElement* element) { return element ? FaceType::GetIndex(element->mType) : -1; }

uint32_t TypeIdFlags(const PolyElement* element) {
  return element && element->mType ? element->mType->mIdFlags : 0;
}

// Groups the elements of a list into face types of a block: by mIdFlags taken as
// signed numbers, ties by element index (or by the rank given for it, the order of a
// saved model's set-up); each run of equal flags is one type, and its position word
// keeps its first element's rank for the sort by first element. Both
// numbers make one key, sorted by radix with the element's place in the list beside
// it: a comparison sort would reach into two elements scattered in memory at every
// step. The types and their chains are worked out in sorted order from the keys
// alone; the elements are told their type and their successor in list order, the
// order of their records in memory.
void CreateTypesById(Poly* poly, ElementList& list, FaceTypeBlock* block, const std::vector<int32_t>* ranks) {
  // Signed numbers in the order of their unsigned words with the sign bit flipped.
  constexpr uint32_t kSignBit = 0x80000000u;
  std::vector<PolyElement*> elements;
  std::vector<KeyedEntry> order;
  elements.reserve(static_cast<size_t>(list.mCount));
  order.reserve(static_cast<size_t>(list.mCount));
  // Each pass over a large model's elements answers the window along it; a cancel is
  // heard at the set-up's next stage.
  ProgressTicker tick;
  for (PolyElement* e = list.mHead; e; e = e->mNext) {
    (void)tick();
    const uint64_t id = static_cast<uint32_t>(e->mIdFlags) ^ kSignBit;
    const int32_t rank = ranks ? (*ranks)[static_cast<size_t>(e->mIndex)] : e->mIndex;
    const uint64_t index = static_cast<uint32_t>(rank) ^ kSignBit;
    order.push_back(KeyedEntry{id << 32 | index, static_cast<int32_t>(elements.size())});
    elements.push_back(e);
  }
  SortByKey(order);
  std::vector<FaceType*> typeOf(elements.size(), nullptr);
  std::vector<PolyElement*> nextOf(elements.size(), nullptr);
  FaceType* type = nullptr;
  int32_t count = 0;
  size_t previous = 0;
  for (const KeyedEntry& entry : order) {
    (void)tick();
    const uint32_t idFlags = static_cast<uint32_t>(entry.key >> 32) ^ kSignBit;
    const size_t at = static_cast<size_t>(entry.value);
    if (!type || type->mIdFlags != idFlags) {
      type = new FaceType(poly, block, idFlags, count++);
      block->AppendFaceType(type);
      type->mFirstFace = elements[at];
      type->mSpare = static_cast<int32_t>(static_cast<uint32_t>(entry.key) ^ kSignBit);
    } else {
      nextOf[previous] = elements[at];
    }
    type->mLastFace = elements[at];
    ++type->mCount;
    typeOf[at] = type;
    previous = at;
  }
  for (size_t at = 0; at < elements.size(); ++at) {
    (void)tick();
    elements[at]->mType = typeOf[at];
    elements[at]->mNextOfType = nextOf[at];
  }
}

// By the rank of the first element that CreateTypesById left in the position word.
int CompareByFirstFaceRank(const FaceType* a, const FaceType* b) {
  return a->mSpare < b->mSpare ? -1 : (a->mSpare > b->mSpare ? 1 : 0);
}

// For each type of the block: the first type of lower number met on the coplanar ring
// of its first element becomes its master (followed to the end of the chain). Each
// ring is read once, the first lower type after every member found from its end
// backwards, twice round: a walk from every type's first element would read a plane of
// many types once per type.
void FindCoplanarMasters(FaceTypeBlock* block, const ElementList& list, bool clearHandedness) {
  // A plane of many faces takes a while to read: the window answers along the rings
  // and the types, and a cancel is left for the caller's next report.
  ProgressTicker tick;
  std::unordered_map<const PolyElement*, FaceType*> lowerAfter;
  for (FaceType* type = block->mFirstFaceType; type; type = type->mNext) {
    (void)tick();
    if (type->mFirstFace && type->mFirstFace->mCoplanarNext) lowerAfter.emplace(type->mFirstFace, nullptr);
  }
  std::unordered_set<const PolyElement*> read;
  std::vector<PolyElement*> ring;
  std::vector<size_t> lower;
  for (const auto& [first, found] : lowerAfter) {
    (void)tick();
    if (read.count(first)) continue;
    ring.clear();
    PolyElement* e = const_cast<PolyElement*>(first);
    for (int steps = 0; e && steps <= list.mCount && read.insert(e).second; ++steps, e = e->mCoplanarNext) {
      (void)tick();
      ring.push_back(e);
    }
    // A type of lower number: none for a member without a type.
    auto number = [](const PolyElement* m) { return m->mType ? m->mType->mIndex : INT32_MAX; };
    const size_t k = ring.size();
    lower.clear();
    for (size_t i = 2 * k; i-- > 0;) {
      (void)tick();
      const int32_t own = number(ring[i % k]);
      while (!lower.empty() && number(ring[lower.back()]) >= own) lower.pop_back();
      if (i < k && !lower.empty()) {
        if (auto at = lowerAfter.find(ring[i]); at != lowerAfter.end()) at->second = ring[lower.back()]->mType;
      }
      lower.push_back(i % k);
    }
  }
  int32_t position = 0;
  for (FaceType* type = block->mFirstFaceType; type; type = type->mNext) {
    (void)tick();
    if (clearHandedness) type->mIdFlags &= ~kHandednessBit;
    const auto at = type->mFirstFace ? lowerAfter.find(type->mFirstFace) : lowerAfter.end();
    if (at != lowerAfter.end() && at->second) {
      FaceType* master = at->second;
      for (int depth = 0; master->mCoplanarMaster && depth <= list.mCount; ++depth) {
        master = master->mCoplanarMaster;
      }
      type->mCoplanarMaster = master;
    }
    type->mSpare = position++;
  }
  const CoplanarRingIndex rings(&list);
  for (FaceType* type = block->mFirstFaceType; type; type = type->mNext) {
    (void)tick();
    CopyCoplanarInfo(type, &rings);
  }
}

// Reference face of a vertex's frame: face k of its ring, or the one after it when
// face k is a face through the centre. When the template's ring reads the same from
// the polygon half-way round (backwards), both starts are equally good; the one that
// turns positively about the vertex's normal towards the other is taken, so that all
// vertices of a type agree.
PolyElement* FrameReference(const Poly* poly, const PolyElement* vertex, int k) {
  const int n = vertex->mNumSides;
  if (n <= 0) return nullptr;
  PolyElement* ref = vertex->mNeighbours[k % n];
  if (ref && ref->HasFlag(kElementHemi)) ref = vertex->mNeighbours[(k + 1) % n];
  const PolyTemplate* polyTemplate = poly->mTemplate;
  if (!ref || !polyTemplate || !polyTemplate->mHalfTurnMatch || polyTemplate->mValence <= 0) return ref;
  const int q = polyTemplate->mValence;
  const int half = (k + q / 2) % q;
  PolyElement* opposite = half < n ? vertex->mNeighbours[half] : nullptr;
  if (!opposite) return ref;
  double a[3], b[3], turn[3];
  Subtract(a, ref->mDualVert, vertex->mCentre);
  Subtract(b, opposite->mDualVert, vertex->mCentre);
  Cross(turn, a, b);
  return Dot(turn, vertex->mZAxis) < 0.0 ? opposite : ref;
}

void SetVertexFrame(const Poly* poly, PolyElement* vertex, int k) {
  const PolyElement* ref = FrameReference(poly, vertex, k);
  if (!ref) return;
  double x[3];
  Subtract(x, ref->mDualVert, vertex->mCentre);
  SnapNearZero(x, kRoundingTolerance);
  const double length = std::sqrt(Dot(x, x));
  if (length > 0.0) Divide(x, x, length);
  CopyVector(vertex->mXAxis, x);
  Cross(vertex->mYAxis, vertex->mZAxis, vertex->mXAxis);
  SnapNearZero(vertex->mXAxis, kRoundingTolerance);
  SnapNearZero(vertex->mYAxis, kRoundingTolerance);
}

// Whether the faces round vertex v, read from offset k (backwards when its turn
// sense is set), carry the face types of the faces round r.
bool RingMatches(const PolyElement* r, const Vertex* v, int k) {
  const int n = v->mNumSides;
  for (int i = 0; i < n; ++i) {
    const int j = v->mTurnSense != 0 ? ((k - i) % n + n) % n : (k + i) % n;
    if (TypeIdFlags(r->mNeighbours[i]) != TypeIdFlags(v->mNeighbours[j])) return false;
  }
  return true;
}

// Dual types without a group: a vertex joins the first type whose first vertex has
// the same ring of face types, and its frame starts at the matching face.
void CreateDualTypesFromRings(Poly* poly) {
  FaceTypeBlock* block = poly->mDualBlock.get();
  int32_t count = 0;
  for (PolyElement* e = poly->mVertices.mHead; e; e = e->mNext) {
    Vertex* v = static_cast<Vertex*>(e);
    FaceType* found = nullptr;
    int offset = 0;
    for (FaceType* type = block->mFirstFaceType; type && !found; type = type->mNext) {
      const PolyElement* r = type->mFirstFace;
      if (!r || r->mNumSides != v->mNumSides) continue;
      for (int k = 0; k < v->mNumSides; ++k) {
        if (RingMatches(r, v, k)) {
          found = type;
          offset = k;
          break;
        }
      }
    }
    if (!found) {
      found = new FaceType(poly, block, v->mIdFlags, count++);
      found->mSpare = v->mIndex;
      block->AppendFaceType(found);
      offset = 0;
    }
    found->AddFace(v);
    SetVertexFrame(poly, v, offset);
  }
}

// A class of 120 faces in a group of 120 operations: each face is carried onto every
// other by exactly one operation, and the class is two orbits of the rotations, the
// mirror images of each other. (No sum of powers of the coordinates can tell them apart
// below the fifteenth: the icosahedral group's rotations and reflections agree on every
// such sum.) A face is of the first face's hand when the rotation that carries the
// first face's frame onto its own, for one of its corners, carries every vertex of the
// model onto a vertex. A class that does not fall into two equal halves is left whole.
bool FaceFrame(const PolyElement* face, int corner, double* frame) {
  const double radius = std::sqrt(Dot(face->mCentre, face->mCentre));
  if (radius <= kPointTolerance) return false;
  Divide(frame, face->mCentre, radius);
  return FrameTowards(face, corner, frame, frame + 3, frame + 6);
}

bool CarriesVerticesOntoVertices(const double* rotation, const std::vector<const double*>& points, double tolerance) {
  for (const double* p : points) {
    double image[3];
    MatrixTimesVector(rotation, image, p);
    bool found = false;
    for (const double* q : points) {
      if (NearlyEqual(image, q, tolerance)) {
        found = true;
        break;
      }
    }
    if (!found) return false;
  }
  return true;
}

// Whether a rotation that keeps the model's vertices carries face a onto face b.
bool IsRotatedImage(const PolyElement* a, const PolyElement* b, const std::vector<const double*>& points,
                    double tolerance) {
  double from[9];
  if (b->mNumSides != a->mNumSides || !FaceFrame(a, 0, from)) return false;
  for (int k = 0; k < b->mNumSides; ++k) {
    double to[9];
    if (!FaceFrame(b, k, to)) return false;
    // The rotation takes the rows of `from` (an orthonormal frame) onto those of `to`.
    double rotation[9] = {};
    for (int r = 0; r < 3; ++r) {
      for (int c = 0; c < 3; ++c) {
        for (int i = 0; i < 3; ++i) rotation[3 * r + c] += to[3 * i + r] * from[3 * i + c];
      }
    }
    if (CarriesVerticesOntoVertices(rotation, points, tolerance)) return true;
  }
  return false;
}

void SplitClassByRotations(const std::vector<PolyElement*>& members, const ElementList& vertices) {
  std::vector<const double*> points;
  double radius = 0.0;
  for (const PolyElement* v = vertices.mHead; v; v = v->mNext) {
    points.push_back(v->mDualVert);
    radius = std::max(radius, std::sqrt(Dot(v->mDualVert, v->mDualVert)));
  }
  const double tolerance = kAxisTolerance * std::max(radius, 1.0);
  std::vector<PolyElement*> otherHand;
  for (size_t k = 1; k < members.size(); ++k) {
    if (!IsRotatedImage(members.front(), members[k], points, tolerance)) otherHand.push_back(members[k]);
  }
  if (2 * otherHand.size() != members.size()) return;
  for (PolyElement* f : otherHand) f->mIdFlags |= kHandednessBit;
}

// Only template builds of more than five faces round a vertex have handed classes.
bool SplitChiralClasses(const Poly* poly) { return poly->mTemplate && poly->mTemplate->mValence > kChiralMinValence; }

// Around vertex v, the first face other than f with the same identity (hand bit
// ignored).
const PolyElement* SameClassNeighbour(const PolyElement* v, const PolyElement* f) {
  const uint32_t id = f->mIdFlags & ~kHandednessBit;
  for (int i = 0; i < v->mNumSides; ++i) {
    const PolyElement* g = v->mNeighbours[i];
    if (g && g != f && (g->mIdFlags & ~kHandednessBit) == id) return g;
  }
  return nullptr;
}

// The geometric hand test of classes of 40 or 24 faces.
void SplitClassByHand(const std::vector<PolyElement*>& members) {
  for (PolyElement* f : members) {
    const PolyElement* v = f->mNumSides > 0 ? f->mNeighbours[0] : nullptr;
    if (!v) continue;
    const PolyElement* g = SameClassNeighbour(v, f);
    if (!g) continue;
    double c[3];
    Cross(c, f->mCentre, g->mCentre);
    if (Dot(c, v->mDualVert) < 0.0) f->mIdFlags |= kHandednessBit;
  }
}

// The classes of triangles and pentagons of a template build that the hand tests
// split: 40 and 24 by the turn to a neighbour of the class, 120 by the rotations that
// keep the model's vertices.
void SplitHandedClasses(Poly* poly) {
  if (!SplitChiralClasses(poly)) return;
  for (PolyElement* f = poly->mFaces.mHead; f; f = f->mNext) {
    if (f->HasFlag(kElementVisitMark) || (f->mNumSides != 3 && f->mNumSides != 5)) continue;
    std::vector<PolyElement*> members;
    for (PolyElement* g = f; g; g = g->mNext) {
      if (!g->HasFlag(kElementVisitMark) && g->mIdFlags == f->mIdFlags) {
        g->mFlags |= kElementVisitMark;
        members.push_back(g);
      }
    }
    const int size = static_cast<int>(members.size());
    if (size == kChiralClassSizes[0]) SplitClassByRotations(members, poly->mVertices);
    if (size == kChiralClassSizes[1] || size == kChiralClassSizes[2]) SplitClassByHand(members);
  }
  for (PolyElement* f = poly->mFaces.mHead; f; f = f->mNext) f->mFlags &= ~kElementVisitMark;
}

// The mirror-partner search of every type of the block.
void CheckReflectivity(FaceTypeBlock* block) { block->AlignFaceFrames(); }

void RelinkList(ElementList& list, const std::vector<PolyElement*>& order) {
  PolyElement* previous = nullptr;
  for (PolyElement* e : order) {
    e->mPrev = previous;
    e->mNext = nullptr;
    if (previous) previous->mNext = e;
    previous = e;
  }
  list.mHead = order.empty() ? nullptr : order.front();
  list.mTail = previous;
  list.Renumber();
}

// Whether face g around vertex u carries the mirror image of c among its faces.
bool HasFaceCentreAt(const PolyElement* u, const double* c) {
  for (int i = 0; i < u->mNumSides; ++i) {
    const PolyElement* g = u->mNeighbours[i];
    if (g && NearlyEqual(g->mCentre, c, kAxisTolerance)) return true;
  }
  return false;
}

void MirrorInPlane(double* out, const double* p, const double* n) {
  double scaled[3];
  Scale(scaled, n, 2.0 * Dot(n, p));
  Subtract(out, p, scaled);
}

}  // namespace detail_SetFaceTypes

int CompareFaces(const PolyElement* a, const PolyElement* b) {
  const int64_t na = a->mNumSides, da = a->mDensity, nb = b->mNumSides, db = b->mDensity;
  // Equal polygons, or polygons of equal ratio n/d ({6/2} and {3}), tie on the shape.
  if ((na == nb && da == db) || na * db == nb * da) {
    if (a->mType == b->mType) return a->mIndex - b->mIndex;
    const int countA = a->mType ? a->mType->mCount : 0;
    const int countB = b->mType ? b->mType->mCount : 0;
    if (countA != countB) return countA - countB;
    const int typeA = detail_SetFaceTypes::TypeIndex(a), typeB = detail_SetFaceTypes::TypeIndex(b);
    if (typeA != typeB) return typeA - typeB;
    return a->mIndex - b->mIndex;
  }
  // n/d ascending; the densities of faces are positive, but compare signs with care.
  const double ra = da != 0 ? static_cast<double>(na) / static_cast<double>(da) : 0.0;
  const double rb = db != 0 ? static_cast<double>(nb) / static_cast<double>(db) : 0.0;
  return ra - rb >= 0.0 ? 1 : -1;
}

void Poly::SortFaces() {
  std::vector<PolyElement*> order;
  order.reserve(static_cast<size_t>(mFaces.mCount));
  for (PolyElement* f = mFaces.mHead; f; f = f->mNext) order.push_back(f);
  MergeSort(order, [](const PolyElement* a, const PolyElement* b) { return CompareFaces(a, b); });
  detail_SetFaceTypes::RelinkList(mFaces, order);
}

void Poly::CountEdges() {
  int64_t sum = 0;
  for (const FaceType* type = mBaseBlock->mFirstFaceType; type; type = type->mNext) {
    if (type->mFirstFace) sum += static_cast<int64_t>(type->mFirstFace->mNumSides) * type->mCount;
  }
  mNumEdges = static_cast<int32_t>(sum / 2);
}

void Poly::SetRetroFaces() {
  CountEdges();
  for (PolyElement* e = mVertices.mHead; e; e = e->mNext) {
    Vertex* v = static_cast<Vertex*>(e);
    const int k = v->mNumSides;
    if (k <= 0) continue;
    // The corner of face i on either side of the vertex.
    auto around = [v](int i, PolyElement** before, PolyElement** after) {
      const PolyElement* f = v->mNeighbours[i];
      const int c = f ? f->FindVertexIndex(v, -1) : -1;
      if (c < 0) return false;
      const int n = f->mNumSides;
      *before = f->mNeighbours[(c + n - 1) % n];
      *after = f->mNeighbours[(c + 1) % n];
      return true;
    };
    PolyElement* before = nullptr;
    PolyElement* after = nullptr;
    if (!around(k - 1, &before, &after)) {
      // The model says so (kPolyFlagRetroFailed); the trace adds nothing to it.
      mPolyFlags |= kPolyFlagRetroFailed;
      DoNothing("SetRetroFaces: failed");
      continue;
    }
    // The way out of the last face is the side it shares with the first face.
    PolyElement* b0 = nullptr;
    PolyElement* a0 = nullptr;
    if (!around(0, &b0, &a0)) {
      // The model says so (kPolyFlagRetroFailed); the trace adds nothing to it.
      mPolyFlags |= kPolyFlagRetroFailed;
      DoNothing("SetRetroFaces: failed");
      continue;
    }
    PolyElement* shared = (after == b0 || after == a0) ? after : before;
    for (int i = 0; i < k; ++i) {
      if (!around(i, &before, &after) || (shared != before && shared != after)) {
        mPolyFlags |= kPolyFlagRetroFailed;  // the model says so; the trace adds nothing
        DoNothing("SetRetroFaces: Couldn't find neighbour");
        break;
      }
      const bool reverse = shared == before;
      v->mFaceSense[i] = reverse ? 1 : 0;
      shared = reverse ? after : before;
    }
  }
}

uint8_t Poly::SetSymGroup() {
  // The principal type: the first of the largest rotation count among those whose
  // first face is not a face through the centre.
  FaceType* principal = nullptr;
  int numTypes = 0;
  for (FaceType* type = mBaseBlock->mFirstFaceType; type; type = type->mNext) {
    ++numTypes;
    if (!type->mFirstFace || type->mFirstFace->HasFlag(kElementHemi)) continue;
    if (!principal || type->mNumRotations > principal->mNumRotations) principal = type;
  }
  delete mSymGroup;
  mSymGroup = nullptr;
  if (!principal) {
    // Nothing to orient by: the model stays as it is, without symmetry.
    mSymGroup = CreateSymGroup(kSymGroupNone, 1).release();
    mReflexible = 0;
    return 0;
  }
  PolyElement* f = principal->mFirstFace;
  const double* p = f->mZAxis;
  mSymGroup = GuessSymGroupFromFaces(principal->mNumRotations, principal->mCount).release();
  if (!mSymGroup) {
    mSymGroup = CreateSymGroup(kSymGroupNone, 1).release();
    mReflexible = 0;
    return 0;
  }
  uint8_t flag = 0;
  SymAxisType* axisType = mSymGroup->FindAxisType(principal->mNumRotations);
  bool haveFrame = axisType && axisType->numAxes > 0;
  double a[3] = {0, 0, 0}, b[3] = {0, 0, 0}, q[3] = {0, 0, 0};
  if (haveFrame) CopyVector(a, axisType->axes[0].direction);
  if (haveFrame && mSymGroup->type == kSymGroupDihedral) {
    haveFrame = mSymGroup->numAxisTypes > 1 && mSymGroup->axisTypes[1].numAxes > 0 && f->mNumSides > 0;
    if (haveFrame) {
      CopyVector(b, mSymGroup->axisTypes[1].axes[0].direction);
      Vertex* v0 = static_cast<Vertex*>(f->mNeighbours[0]);
      PolyElement* f2 = GetNextFace(v0, f, 1, 0);
      PolyElement* v1 = f2 ? GetNextVertex(f2, v0, -1) : nullptr;
      if (v1 && v1->HasCorner(f)) v1 = GetNextVertex(f2, v0, 1);
      if (v1 && numTypes > 2) {
        v0 = static_cast<Vertex*>(v1);
        PolyElement* f3 = GetNextFace(v0, f2, 1, 0);
        v1 = f3 ? GetNextVertex(f3, v0, -1) : nullptr;
        flag = 1;
      }
      haveFrame = v0 && v1;
      if (haveFrame) {
        Add(q, v0->mDualVert, v1->mDualVert);
        Scale(q, q, 0.5);
      }
    }
  } else if (haveFrame) {
    haveFrame = axisType->numAxes > 1;
    if (haveFrame) {
      CopyVector(b, axisType->axes[1].direction);
      const double c = Dot(a, b);
      // A face made from a retrograde polygon may have its normal inwards until the
      // face frames are aligned below: the normals are compared as f's is, inwards or
      // outwards, so that the angle between them is the angle between their axes.
      const bool fOutwards = Dot(p, f->mCentre) >= 0.0;
      PolyElement* g = mFaces.mHead;
      double facing = 1.0;
      for (; g; g = g->mNext) {
        if (g->mType != principal) continue;
        facing = (Dot(g->mZAxis, g->mCentre) >= 0.0) == fOutwards ? 1.0 : -1.0;
        if (std::fabs(facing * Dot(g->mZAxis, p) - c) <= kFaceMatchTolerance) break;
      }
      if (g) {
        Scale(q, g->mZAxis, facing);
      } else {
        ShowInternalError("SetSymGroup: face == NULL");
        haveFrame = false;
      }
    }
  }
  if (haveFrame) {
    // M takes P to A, and the half-plane of Q about P to that of B about A.
    double c[3], d[3], r[3], s[3];
    Cross(c, a, b);
    Divide(c, c, std::sqrt(Dot(c, c)));
    Cross(d, a, c);
    Cross(r, p, q);
    Divide(r, r, std::sqrt(Dot(r, r)));
    Cross(s, p, r);
    double columns[9], rows[9], m[9];
    MatrixFromColumns(columns, a, c, d);
    MatrixFromRows(rows, p, r, s);
    MatrixTimesMatrix(m, columns, rows);
    bool finite = true;
    for (double x : m) finite = finite && std::isfinite(x);
    if (finite) {
      for (PolyElement* e = mFaces.mHead; e; e = e->mNext) e->Rotate(m);
      for (PolyElement* e = mVertices.mHead; e; e = e->mNext) e->Rotate(m);
    }
  }
  if (mSymGroup->type == kSymGroupDihedral) {
    mReflexible = 1;
    DetectReflectionType(*mSymGroup, static_cast<const Face*>(f));
    return flag;
  }
  mReflexible = 0;
  const bool tetrahedral = mSymGroup->type == kSymGroupTetrahedral;
  const double n[3] = {tetrahedral ? detail_SetFaceTypes::kSqrtHalf : 1.0,
                       tetrahedral ? detail_SetFaceTypes::kSqrtHalf : 0.0, 0.0};
  PolyElement* v = mVertices.mHead;
  if (!v) return flag;
  double w[3];
  detail_SetFaceTypes::MirrorInPlane(w, v->mDualVert, n);
  for (PolyElement* u = v; u; u = u->mNext) {
    if (!NearlyEqual(u->mDualVert, w, kAxisTolerance)) continue;
    bool all = true;
    for (int i = 0; i < v->mNumSides && all; ++i) {
      const PolyElement* g = v->mNeighbours[i];
      if (!g) continue;
      double image[3];
      detail_SetFaceTypes::MirrorInPlane(image, g->mCentre, n);
      all = detail_SetFaceTypes::HasFaceCentreAt(u, image);
    }
    if (all) {
      mReflexible = 1;
      mSymGroup->SetReflectionType(tetrahedral ? kReflectionDiagonal : kReflectionHorizontal);
      break;
    }
  }
  return flag;
}

void Poly::SetFaceTypes(std::unique_ptr<SymGroup> group, bool recolour, bool recolourDual,
                        const std::vector<int32_t>* faceRanks, bool stopOnCancel) {
  namespace d = detail_SetFaceTypes;
  std::optional<ProgressShield> toTheEnd;
  if (!stopOnCancel) toTheEnd.emplace();
  const bool withGroup = group != nullptr;
  FaceTypeBlock* base = mBaseBlock.get();
  FaceTypeBlock* dual = mDualBlock.get();

  ClearFaceTypes();
  if (!withGroup) d::SplitHandedClasses(this);

  if (!d::Stage("Create base faces")) return;
  d::CreateTypesById(this, mFaces, base, faceRanks);
  if (!d::Stage("SortFaceTypes by face")) return;
  base->SortFaceTypes(d::CompareByFirstFaceRank);
  if (!FindCoplanarFaces(&mFaces)) return;

  if (!d::Stage("Check for coplanar face types")) return;
  d::FindCoplanarMasters(base, mFaces, !withGroup);
  if (!d::Stage("SortFaceTypes")) return;
  base->SortFaceTypes(CompareFaceTypesForSort);
  if (base->mFirstFaceType && base->mFirstFaceType->mFirstFace) {
    PolyElement* first = base->mFirstFaceType->mFirstFace;
    if (!mShowDual && mSelectedItem) {
      SelectEdge(first, false);
    } else {
      base->SetCurrentFace(first);
    }
  }

  if (!d::Stage("Create dual faces")) return;
  if (withGroup) {
    d::CreateTypesById(this, mVertices, dual, nullptr);
  } else {
    d::CreateDualTypesFromRings(this);
  }
  if (!d::Stage("Dual SortFaceTypes by face")) return;
  dual->SortFaceTypes(d::CompareByFirstFaceRank);
  if (!FindCoplanarFaces(&mVertices)) return;
  if (!d::Stage("Check for coplanar dual face types")) return;
  d::FindCoplanarMasters(dual, mVertices, false);
  // The vertex figure and the faceting diagram show the current vertex: until one is
  // chosen it is the first vertex of the first type, as the first face is on the base
  // side.
  if (!dual->mCurrentFace && dual->mFirstFaceType && dual->mFirstFaceType->mFirstFace) {
    dual->SetCurrentFace(dual->mFirstFaceType->mFirstFace);
  }

  if (!withGroup) {
    for (FaceType* type = base->mFirstFaceType; type; type = type->mNext) {
      if (type->mCoplanarMaster) {
        type->mNumRotations = type->mCoplanarMaster->mNumRotations;
      } else {
        type->CalcRotSymFromShape();
      }
    }
    for (FaceType* type = dual->mFirstFaceType; type; type = type->mNext) type->CalcRotSymFromShape();
    const bool axisTreatment = (mPolyFlags & kPolyFlagAxisTreatment) != 0;
    if (axisTreatment) ReorientFaceAxes(&mFaces, base->mFirstFaceType);
    const CoplanarRingIndex rings(&mVertices);
    for (FaceType* type = dual->mFirstFaceType; type; type = type->mNext) CopyCoplanarInfo(type, &rings);
    const uint8_t flag = SetSymGroup();
    for (FaceTypeBlock* block : {base, dual}) {
      for (FaceType* type = block->mFirstFaceType; type; type = type->mNext) {
        if (!axisTreatment) {
          ReorientAxes(type, mSymGroup);
        } else {
          if (type->mNumRotations == 4 && type->mCount == 6 && mSymGroup->type == kSymGroupOctahedral) {
            SetRotSymAndReorientAxes(type, mSymGroup);
          }
          if (flag && type->mNumRotations == 4) SetRotSymAndReorientAxes(type, mSymGroup);
        }
        type->RaiseRotSymFromAxes();
      }
      if (!d::Stage("CheckReflectivity")) return;
      d::CheckReflectivity(block);
    }
  } else {
    delete mSymGroup;
    mSymGroup = group.release();
    if (!d::Stage("SetRotSymAndReorientAxes")) return;
    for (FaceType* type = base->mFirstFaceType; type; type = type->mNext) {
      (void)ProgressTick();
      SetRotSymAndReorientAxes(type, mSymGroup);
    }
    if (!d::Stage("Dual SetRotSymAndReorientAxes")) return;
    for (FaceType* type = dual->mFirstFaceType; type; type = type->mNext) {
      (void)ProgressTick();
      SetRotSymAndReorientAxes(type, mSymGroup);
    }
    const CoplanarRingIndex rings(&mVertices);
    for (FaceType* type = dual->mFirstFaceType; type; type = type->mNext) CopyCoplanarInfo(type, &rings);
    if (!d::Stage("Dual SortFaceTypes")) return;
    dual->SortFaceTypes(CompareFaceTypesForSort);
    if (!d::Stage("CheckReflectivity")) return;
    d::CheckReflectivity(base);
    if (!d::Stage("Dual CheckReflectivity")) return;
    d::CheckReflectivity(dual);
    if (!d::Stage("SetRetroFaces")) return;
    SetRetroFaces();
  }

  if (!d::Stage("CalcCentroid")) return;
  ProgressTicker tick;
  for (PolyElement* e = mFaces.mHead; e; e = e->mNext) {
    (void)tick();
    e->ComputeCentre();
  }
  for (PolyElement* e = mVertices.mHead; e; e = e->mNext) {
    (void)tick();
    e->ComputeCentre();
  }
  if (!d::Stage("SortCoplanarFaces")) return;
  SortCoplanarFaces(base);
  SortCoplanarFaces(dual);

  if (!mCompoundParts) {
    if (!d::Stage("FindCompoundParts")) return;
    bool mixedWinding = false;
    FindCompoundParts(this, &mixedWinding);
    if (!d::Stage("Calculate Density")) return;
    base->UpdateFaceMeasure();
    dual->UpdateFaceMeasure();
    double density = 0.0;
    for (PolyElement* f = mFaces.mHead; f; f = f->mNext) {
      (void)tick();
      if (f->HasFlag(kElementOneSided)) {
        mPolyFlags |= kPolyFlagOneSidedFace;
        continue;
      }
      if (!f->mType) continue;
      const PolyElement* first = f->mType->mFirstFace;
      const bool reversed = first && f->HasFlag(kElementReversed) != first->HasFlag(kElementReversed);
      if (reversed) mPolyFlags |= kPolyFlagReversedFace;
      // Each face by its own solid angle as it is wound: faces of one type may stand
      // wound either way (a triangle of the octahemioctahedron faces in or out), so
      // the first face's angle does not stand for the others.
      density += f->GetSolidAngle();
    }
    density *= d::kInverseFullSolidAngle;
    if (std::fabs(density) <= kPointTolerance) density = 0.0;
    mModelDensity = density;
    const CompoundPart* part = mCompoundParts;
    const bool simpleSolid = part && !IsCompound() && !(part->mFlags & kCompoundPartOneSided) && Genus(part) == 0;
    if (!mExtraRecord && simpleSolid && !mixedWinding && density >= d::kUnitDensityLow &&
        density <= d::kUnitDensityHigh && !(mPolyFlags & kPolyFlagConvex)) {
      mPolyFlags |= kPolyFlagDensityOne;
    }
  }

  if (!d::Stage("CreateAllPolygonsForDrawing")) return;
  CreateAllPolygonsForDrawing();

  if (!d::Stage("SetFaceColors")) return;
  if (recolour) {
    ReapplyColorScheme(this, &mFaces);
    ReapplyColorScheme(this, &mVertices);
  } else if (recolourDual) {
    ReapplyColorScheme(this, &mVertices);
  }
  if (GeomagStyle) {
    // Every face type in its construction-toy panel colour.
    if (AssignGeomagPanelColors(mBaseBlock.get())) ResetColorCaches(this, 0, false);
    if (AssignGeomagPanelColors(mDualBlock.get())) ResetColorCaches(this, 1, false);
  }

  if (!withGroup && !(mPolyFlags & kPolyFlagKeepFaceOrder)) SortFaces();
  CreateEdges();
  // Each of these goes over the whole of a large model: the window answers between them.
  (void)ProgressTick();
  if (recolour) ApplyColorScheme(this, false);
  (void)ProgressTick();
  mFaces.CalcDensities();
  (void)ProgressTick();
  mVertices.CalcDensities();
}

}  // namespace corvia
