// The facet model of the plain polyhedron: its vertices in symmetry groups, its
// facelet types and facelets, the links between edgelets, the counts and lookups and
// the facelets of the user's drawn polygons.

#include "nets/Model3D.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <set>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/DrawnPolygon.h"
#include "core/MergeSort.h"
#include "core/Outcome.h"
#include "core/Messages.h"
#include "core/PointGrid.h"
#include "core/PolygonRing.h"
#include "core/Progress.h"
#include "core/Tolerances.h"
#include "model/ElementFlags.h"
#include "model/ElementList.h"
#include "model/FaceType.h"
#include "model/FaceTypeBlock.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "nets/Net.h"
#include "nets/NetFlags.h"
#include "platform/Services.h"
#include "symmetry/SymGroup.h"
#include "symmetry/SymOperations.h"

namespace corvia {

namespace detail_Model3D {

constexpr const char* kInfiniteElements = "This operation may not be performed on a model with infinite vertices";

// The bar while the facelets are made from the model's elements: the corners take its
// first third, the faces the second, each in equal steps of the block's face types, and
// the links between the facelets the last (LinkEdges).
class FaceletShare {
 public:
  FaceletShare(int pass, const FaceTypeBlock* block) : mPass(pass) {
    for (const FaceType* type = block ? block->mFirstFaceType : nullptr; type; type = type->mNext) ++mTypes;
  }
  double Next() { return (mPass + static_cast<double>(std::min(mDone++, mTypes)) / std::max(mTypes, 1)) / 3.0; }

 private:
  int mPass;
  int mTypes = 0;
  int mDone = 0;
};

// The 2D ring of one face in its own frame, corner by corner in the order that runs
// the same way round as the other faces of its part (reversed for a Reversed face),
// with the flag of each corner whose following edge has its midpoint on an axis.
struct FaceRing {
  PolyElement* face = nullptr;
  std::vector<double> points;  // x, y pairs
  std::vector<uint32_t> flags;
  std::vector<PolyElement*> corners;
};

FaceRing MakeFaceRing(PolyElement* face, const SymGroup* group) {
  FaceRing ring;
  ring.face = face;
  Transform3D worldToFace;
  face->GetWorldToFace(worldToFace, false);
  const int n = face->mNumSides;
  const bool reversed = face->HasFlag(kElementReversed);
  for (int j = 0; j < n; ++j) {
    PolyElement* corner = face->mNeighbours[reversed ? n - 1 - j : j];
    if (!corner) continue;
    ring.corners.push_back(corner);
  }
  const size_t count = ring.corners.size();
  for (size_t j = 0; j < count; ++j) {
    const PolyElement* corner = ring.corners[j];
    const PolyElement* following = ring.corners[(j + 1) % count];
    double local[3];
    TransformPoint(worldToFace, local, corner->mDualVert);
    ring.points.push_back(local[0]);
    ring.points.push_back(local[1]);
    uint32_t flag = 0;
    if (group) {
      double middle[3];
      Add(middle, corner->mDualVert, following->mDualVert);
      if (Dot(middle, middle) > kPointTolerance * kPointTolerance && group->FindAxisTypeOfDirection(middle)) {
        flag = kPolygonVertexMarked;
      }
    }
    ring.flags.push_back(flag);
  }
  // Consecutive corners at one point count once.
  for (size_t j = 0; j < ring.corners.size() && ring.corners.size() > 1;) {
    const size_t k = (j + 1) % ring.corners.size();
    if (std::fabs(ring.points[2 * j] - ring.points[2 * k]) <= kPointTolerance &&
        std::fabs(ring.points[2 * j + 1] - ring.points[2 * k + 1]) <= kPointTolerance) {
      ring.corners.erase(ring.corners.begin() + static_cast<long>(k));
      ring.points.erase(ring.points.begin() + static_cast<long>(2 * k),
                        ring.points.begin() + static_cast<long>(2 * k + 2));
      ring.flags.erase(ring.flags.begin() + static_cast<long>(k));
      if (k == 0) break;
    } else {
      ++j;
    }
  }
  return ring;
}

// The corner of the other face that the rotation turns the first face's first corner
// onto, when it turns all of them, in order, onto the other face's corners in that
// face's own order; -1 when it does not.
int MapsOnto(const FaceRing& a, const FaceRing& b, const double* rotation) {
  const size_t n = a.corners.size();
  if (n != b.corners.size() || n == 0) return -1;
  double first[3];
  MatrixTimesVector(rotation, first, a.corners[0]->mDualVert);
  for (size_t offset = 0; offset < n; ++offset) {
    if (!NearlyEqual(first, b.corners[offset]->mDualVert, kFaceMatchTolerance)) continue;
    bool all = true;
    for (size_t k = 1; k < n && all; ++k) {
      double image[3];
      MatrixTimesVector(rotation, image, a.corners[k]->mDualVert);
      all = NearlyEqual(image, b.corners[(k + offset) % n]->mDualVert, kFaceMatchTolerance);
    }
    if (all) return static_cast<int>(offset);
  }
  return -1;
}

double SignedArea(const FaceRing& ring) {
  const size_t n = ring.points.size() / 2;
  double area = 0.0;
  for (size_t i = 0; i < n; ++i) {
    const size_t j = (i + 1) % n;
    area += ring.points[2 * i] * ring.points[2 * j + 1] - ring.points[2 * j] * ring.points[2 * i + 1];
  }
  return area / 2.0;
}

PolygonList* MakePolygonList(const FaceRing& ring) {
  PolygonVertex* head = nullptr;
  const size_t n = ring.points.size() / 2;
  for (size_t i = 0; i < n; ++i) {
    PolygonVertex* v = NewPolygonVertex(ring.points[2 * i], ring.points[2 * i + 1], nullptr, nullptr, head);
    v->flags |= ring.flags[i];
  }
  PolygonList* list = nullptr;
  PolygonList* tail = nullptr;
  AppendToPolygonList(head, list, tail);
  return list;
}

// The place of record j of a group in its low bits: 0 to 62, then 1 to 62 again.
uint32_t GroupPlace(int j) {
  if (j <= kVertMaxGroupDistance) return static_cast<uint32_t>(j);
  return static_cast<uint32_t>((j - kVertMaxGroupDistance - 1) % kVertMaxGroupDistance + 1);
}

constexpr double kPi = 3.141592653589793;

// The turn from the plane of facelet a to that of facelet b about their common edge,
// as ConnectEdges measures it: against the neighbour's normal for edgelets that run
// opposite ways, with it for edgelets that run the same way.
double AngleAcross(const Edge3D* a, const Edge3D* b) {
  double n[3], m[3], d[3], cross[3];
  a->face->GetNormal(n);
  b->face->GetNormal(m);
  const bool sameWay = a->vert == b->vert;
  if (!sameWay) Negate(m);
  const double c = Dot(n, m);
  double angle = c <= -1.0 ? kPi : (c >= 1.0 ? 0.0 : std::acos(c));
  if (sameWay) return kPi - angle;
  Subtract(d, a->GetNextInLoop()->vert->mPos, a->vert->mPos);
  Cross(cross, n, m);
  if (Dot(cross, d) > 0.0) angle = 2.0 * kPi - angle;
  return angle;
}

// Pairs off the edgelets on e's edge by their order round the edge: neighbours
// across each gap, chosen so that as many pairs as can run opposite ways; each
// member's next in the ring is its other side's member.
void PairRoundEdge(Edge3D* e) {
  const Vert3D* a = e->vert;
  const Vert3D* b = e->GetNextInLoop()->vert;
  if (!a || !b) return;
  std::vector<Edge3D*> ring;
  for (const Vert3D* v : {a, b}) {
    const Vert3D* other = v == a ? b : a;
    for (Edge3D* x = v->mFirstEdge; x; x = x->nextAtVert) {
      if (x->GetNextInLoop()->vert == other) ring.push_back(x);
    }
  }
  const size_t n = ring.size();
  if (n < 2) return;
  double axis[3], reference[3], side[3];
  Subtract(axis, b->mPos, a->mPos);
  const double length = std::sqrt(Dot(axis, axis));
  if (length <= 0.0) return;
  Divide(axis, axis, length);
  PerpendicularByAxis(reference, axis);
  Divide(reference, reference, std::sqrt(Dot(reference, reference)));
  Cross(side, axis, reference);
  std::vector<std::pair<double, Edge3D*>> around;
  for (Edge3D* x : ring) {
    // Into the facelet from its edge: left of the edge seen from the normal.
    double normal[3], direction[3], into[3];
    x->face->GetNormal(normal);
    Subtract(direction, x->GetNextInLoop()->vert->mPos, x->vert->mPos);
    Cross(into, normal, direction);
    around.push_back({std::atan2(Dot(into, side), Dot(into, reference)), x});
  }
  std::sort(around.begin(), around.end(), [](const auto& p, const auto& q) {
    return p.first < q.first || (p.first == q.first && p.second < q.second);
  });
  int opposite[2] = {0, 0};
  for (int offset = 0; offset < 2; ++offset) {
    for (size_t j = 0; j < n / 2; ++j) {
      const Edge3D* p = around[(2 * j + offset) % n].second;
      const Edge3D* q = around[(2 * j + offset + 1) % n].second;
      if (p->vert != q->vert) ++opposite[offset];
    }
  }
  const int offset = opposite[1] > opposite[0] ? 1 : 0;
  for (Edge3D* x : ring) {
    x->mNeigh = nullptr;
    x->nextCoinc = nullptr;
    x->flags &= ~kEdgeSameWayNeighbour;
  }
  for (size_t j = 0; j < n / 2; ++j) {
    Edge3D* p = around[(2 * j + offset) % n].second;
    Edge3D* q = around[(2 * j + offset + 1) % n].second;
    p->mNeigh = q;
    q->mNeigh = p;
    p->dihedral = AngleAcross(p, q);
    q->dihedral = AngleAcross(q, p);
    if (p->vert == q->vert) {
      p->flags |= kEdgeSameWayNeighbour;
      q->flags |= kEdgeSameWayNeighbour;
    }
  }
  if (n < 3) return;
  for (size_t k = 0; k < n; ++k) {
    Edge3D* x = around[k].second;
    if (!x->mNeigh) continue;
    Edge3D* before = around[(k + n - 1) % n].second;
    Edge3D* after = around[(k + 1) % n].second;
    x->nextCoinc = before == x->mNeigh ? after : before;
    x->coincAngle = AngleAcross(x, x->nextCoinc);
  }
}

// The answer of a report while the facelets are made: they stop for a Cancel only. An
// internal error met on the way (a facelet type without its rotation) is told once, and
// the facelets go on to be made as they always were.
bool GoOn(bool answer) {
  return answer || WasProgressEndedByInternalError();
}

}  // namespace detail_Model3D

// ---- Life cycle ------------------------------------------------------------------------

Model3D::Model3D(Poly* poly, bool dual, Outcome* why) {
  using namespace detail_Model3D;
  Init(poly, nullptr);
  if (!poly) return;
  ElementList* faces = nullptr;
  ElementList* vertices = nullptr;
  FaceTypeBlock* ownBlock = nullptr;
  FaceTypeBlock* otherBlock = nullptr;
  poly->GetParts(dual, &faces, &vertices, &ownBlock, &otherBlock);
  mBlock = ownBlock;
  // Corners at infinity have no place in a flat net.
  for (const PolyElement* e = vertices->mHead; e; e = e->mNext) {
    if (e->HasFlag(kElementHemi)) {
      if (why) *why = Outcome::Refused(kInfiniteElements);
      return;
    }
  }
  for (const PolyElement* e = faces->mHead; e; e = e->mNext) {
    if (e->HasFlag(kElementInf)) {
      if (why) *why = Outcome::Refused(kInfiniteElements);
      return;
    }
  }
  // A large model takes long enough for the progress window to open: it says from the
  // start what is made. A cancel leaves no facelets: the model is no model.
  ProgressScope progress;
  try {
    if (!GoOn(ProgressTick(0.0, kMakingFaceletsCaption)) || !CreateVerticesFromElements(vertices, otherBlock) ||
        !CreateFacesFromElements(ownBlock) || !LinkEdges(true)) {
      Free();
    }
  } catch (...) {
    // Memory ran out part way: the facelets made go, and no face keeps one of them (the
    // destructor does not run for a model never made).
    Free();
    throw;
  }
}

Model3D::~Model3D() {
  Free();
}

void Model3D::Init(Poly* poly, FaceTypeBlock* block) {
  mPoly = poly;
  mBlock = block;
  mFaceTypes = nullptr;
  mDrawnTypes = mDrawnTypesTail = nullptr;
  mNumberedTypes = mNumberedDrawn = mNumberedDrawnTail = nullptr;
  mSelectedFacelet = nullptr;
  mSelectedEdge = nullptr;
  mNumVerts = 0;
  mVerts.reset();
  mNumVertTypes = 0;
  mFlags = 0;
  mMinEdgeLength = -1.0;
  mMaxEdgeLength = -1.0;
  for (auto& row : mToyParts) {
    for (int32_t& count : row) count = -1;
  }
  mToyRods = -1;
  mToyBalls = -1;
  mNetTypes = mNetTypesTail = nullptr;
  mCurrentNet = nullptr;
  mFoldFraction = -1.0;
  mFolded = false;
  mFoldCancelled = -1.0;
  mVertexSearch.reset();
}

void Model3D::Free() {
  platform::WaitCursorScope wait;
  ClearNets(false);
  // The elements of the face role forget their facelets.
  for (Face3DType* type = mFaceTypes; type; type = type->mNext) {
    for (int f = 0; f < type->mNumFacelets; ++f) {
      PolyElement* source = type->mFacelets[f].mSourceFace;
      if (source) source->SetOwnFace3D(nullptr);
    }
  }
  for (Face3DType** list : {&mFaceTypes, &mDrawnTypes}) {
    Face3DType* type = *list;
    while (type) {
      Face3DType* next = type->mNext;
      delete type;
      type = next;
    }
    *list = nullptr;
  }
  mDrawnTypesTail = nullptr;
  mNumberedTypes = mNumberedDrawn = mNumberedDrawnTail = nullptr;
  mSelectedFacelet = nullptr;
  mSelectedEdge = nullptr;
  mVerts.reset();
  mNumVerts = 0;
  mVertexSearch.reset();
}

bool Model3D::IsDual() const {
  return mPoly && mBlock && mBlock == mPoly->mDualBlock.get();
}

// ---- The plain polyhedron ----------------------------------------------------------------

bool Model3D::CreateVerticesFromElements(ElementList* vertices, FaceTypeBlock* otherBlock) {
  const SymGroup* group = mPoly->mSymGroup;
  mNumVerts = vertices->mCount;
  mVerts = std::make_unique<Vert3D[]>(static_cast<size_t>(mNumVerts > 0 ? mNumVerts : 1));
  int made = 0;
  auto take = [&](PolyElement* element) {
    if (element->HasFlag(kElementVisitMark) || made >= mNumVerts) return;
    element->mFlags |= kElementVisitMark;
    PolyElement* member = element->mCoplanarNext;
    for (int steps = 0; member && member != element && steps < vertices->mCount; ++steps) {
      member->mFlags |= kElementVisitMark;
      member = member->mCoplanarNext;
    }
    Vert3D& vertex = mVerts[static_cast<size_t>(made++)];
    CopyVector(vertex.mPos, element->mDualVert);
    SnapNearZero(vertex.mPos, kPointTolerance);
    if (vertex.mPos[0] == 0.0 && vertex.mPos[1] == 0.0 && vertex.mPos[2] == 0.0) {
      vertex.mFlags = kVertAlone;
    } else if (const SymAxisType* axisType = group ? group->FindAxisTypeOfDirection(vertex.mPos) : nullptr) {
      vertex.mFlags = kVertOnAxis;
      const int index = group->IndexOfAxisType(axisType);
      if (index == 0) vertex.mFlags |= kVertAxisKind0;
      if (index == 1) vertex.mFlags |= kVertAxisKind1;
    }
  };
  auto clearMarks = [vertices] {
    for (PolyElement* element = vertices->mHead; element; element = element->mNext) {
      element->mFlags &= ~kElementVisitMark;
    }
  };
  detail_Model3D::FaceletShare share(0, otherBlock);
  for (FaceType* type = otherBlock ? otherBlock->mFirstFaceType : nullptr; type; type = type->mNext) {
    if (!detail_Model3D::GoOn(ProgressTick(share.Next()))) {
      clearMarks();
      mNumVerts = made;
      return false;
    }
    if (!type->mFirstFace || type->mFirstFace->HasFlag(kElementVisitMark)) continue;
    const int start = made;
    for (PolyElement* element = type->mFirstFace; element; element = element->mNextOfType) take(element);
    if (made > start) {
      FinishVertexGroup(start, made - start);
      ++mNumVertTypes;
    }
  }
  // Elements of no type each stand alone.
  for (PolyElement* element = vertices->mHead; element; element = element->mNext) {
    const int start = made;
    take(element);
    if (made > start) {
      FinishVertexGroup(start, made - start);
      ++mNumVertTypes;
    }
  }
  clearMarks();
  mNumVerts = made;
  BuildVertexSearch();
  return true;
}

void Model3D::FinishVertexGroup(int start, int count) {
  std::vector<Vert3D> group(mVerts.get() + start, mVerts.get() + start + count);
  MergeSort(group, [](const Vert3D& a, const Vert3D& b) { return Vert3D::Compare(&a, &b); });
  for (int j = 0; j < count; ++j) {
    Vert3D& vertex = mVerts[static_cast<size_t>(start + j)];
    vertex = group[static_cast<size_t>(j)];
    SnapNearZero(vertex.mPos, kPointTolerance);
    vertex.mFlags &= ~(kVertGroupDistance | kVertGroupFirst);
    if (j == 0) vertex.mFlags |= kVertGroupFirst;
    vertex.mFlags |= detail_Model3D::GroupPlace(j);
  }
}

namespace detail_Model3D {

// The facelets made so far in each coplanar ring of a face list, by place round the
// ring: the facelet a new one joins is the first met round the ring from its face, as
// a walk round the ring would find it, found without the walk.
class RingFacelets {
 public:
  // A finely cut model has rings of hundreds of thousands of faces: they are filed
  // answering the window, and a cancel stops the filing (false).
  bool Fill(const ElementList* faces) {
    const int limit = faces ? faces->mCount : 0;
    ProgressTicker tick;
    for (PolyElement* e = faces ? faces->mHead : nullptr; e; e = e->mNext) {
      if (!tick()) return false;
      if (!e->mCoplanarNext || mPlace.count(e)) continue;
      const int32_t ring = static_cast<int32_t>(mRings.size());
      mRings.emplace_back();
      mMade.emplace_back();
      PolyElement* m = e;
      int steps = 0;
      do {
        const int32_t place = static_cast<int32_t>(mRings.back().size());
        mPlace.emplace(m, std::make_pair(ring, place));
        if (m->GetOwnFace3D()) mMade.back().insert(place);
        mRings.back().push_back(m);
        m = m->mCoplanarNext;
      } while (m && m != e && steps++ < limit);
    }
    return true;
  }
  // Frees the filed places in turns between reports, before the destructor (which
  // must not report) would free them all at once. No cancel is taken here: the
  // caller's next report hears it.
  void Release() {
    const ProgressShield noCancelHere;
    constexpr size_t kPerTurn = 4096;
    while (!mPlace.empty()) {
      auto end = mPlace.begin();
      for (size_t k = 0; k < kPerTurn && end != mPlace.end(); ++k) ++end;
      mPlace.erase(mPlace.begin(), end);
      (void)ProgressTick();
    }
    while (!mMade.empty()) {
      std::set<int32_t>& made = mMade.back();
      auto end = made.begin();
      for (size_t k = 0; k < kPerTurn && end != made.end(); ++k) ++end;
      made.erase(made.begin(), end);
      if (made.empty()) mMade.pop_back();
      (void)ProgressTick();
    }
  }
  // Whether the face is in a ring; for a face alone Face3D::Create looks itself.
  bool Knows(const PolyElement* face) const { return mPlace.count(face) > 0; }
  Face3D* Joins(const PolyElement* face) const {
    if (Face3D* own = face->GetOwnFace3D()) return own;
    const auto [ring, place] = mPlace.at(face);
    const std::set<int32_t>& made = mMade[static_cast<size_t>(ring)];
    if (made.empty()) return nullptr;
    auto next = made.upper_bound(place);
    if (next == made.end()) next = made.begin();
    return mRings[static_cast<size_t>(ring)][static_cast<size_t>(*next)]->GetOwnFace3D();
  }
  void Made(const PolyElement* face) {
    const auto [ring, place] = mPlace.at(face);
    mMade[static_cast<size_t>(ring)].insert(place);
  }

 private:
  std::unordered_map<const PolyElement*, std::pair<int32_t, int32_t>> mPlace;
  std::vector<std::vector<PolyElement*>> mRings;
  std::vector<std::set<int32_t>> mMade;
};

}  // namespace detail_Model3D

bool Model3D::CreateFacesFromElements(FaceTypeBlock* ownBlock) {
  using namespace detail_Model3D;
  RingFacelets ringFacelets;
  if (!ringFacelets.Fill(ownBlock ? ownBlock->GetPlaneModel() : nullptr)) return false;
  const SymGroup* group = mPoly->mSymGroup;
  std::vector<std::array<double, 9>> rotations;
  SymRotationIterator it;
  it.Reset();
  std::array<double, 9> matrix;
  while (GetNextSymmetryRotation(group, it, true, matrix.data())) rotations.push_back(matrix);
  if (rotations.empty()) rotations.push_back({1, 0, 0, 0, 1, 0, 0, 0, 1});
  FaceletShare share(1, ownBlock);
  // A type of many faces answers the window along them too.
  ProgressTicker tick;
  for (FaceType* faceType = ownBlock ? ownBlock->mFirstFaceType : nullptr; faceType; faceType = faceType->mNext) {
    if (!GoOn(ProgressTick(share.Next()))) return false;
    std::vector<FaceRing> rings;
    for (PolyElement* face = faceType->mFirstFace; face; face = face->mNextOfType) {
      if (!tick()) return false;
      FaceRing ring = MakeFaceRing(face, group);
      if (ring.points.size() >= 6) rings.push_back(std::move(ring));
    }
    // The faces of the type fall into classes of faces that a rotation of the model
    // turns onto each other, corner onto corner; a mirror image starts a class of
    // its own. Each facelet is its class's outline placed by that rotation.
    std::vector<char> assigned(rings.size(), 0);
    for (size_t r = 0; r < rings.size(); ++r) {
      // A type is made whole or not at all.
      if (!tick()) return false;
      if (assigned[r]) continue;
      assigned[r] = 1;
      const FaceRing& shape = rings[r];
      struct Member {
        const FaceRing* ring;
        const double* rotation;
        int offset;
      };
      std::vector<Member> members{{&shape, rotations.front().data(), 0}};
      for (size_t q = 1; q < rotations.size(); ++q) {
        for (size_t f = r + 1; f < rings.size(); ++f) {
          if (assigned[f]) continue;
          const int offset = MapsOnto(shape, rings[f], rotations[q].data());
          if (offset >= 0) {
            assigned[f] = 1;
            members.push_back({&rings[f], rotations[q].data(), offset});
            break;
          }
        }
      }
      const int fold = shape.face->GetRotationOrder();
      Face3DType* type = new Face3DType(static_cast<int>(members.size()), fold, this, mFaceTypes);
      mFaceTypes = type;
      PolygonList* list = MakePolygonList(shape);
      type->SetLoops(list);
      // An outline that runs clockwise in its face's frame shows the back of the face:
      // the facelet is reversed and keeps its outline mirrored. Every facelet of the
      // class keeps that outline; its normal is the turned normal of the first.
      const bool mirrored = SignedArea(shape) < 0.0;
      double normal[3];
      CopyVector(normal, shape.face->mZAxis);
      if (mirrored) Negate(normal);
      Transform3D shapeToWorld;
      shape.face->GetFaceToWorld(shapeToWorld, false);
      for (size_t f = 0; f < members.size(); ++f) {
        Face3D& facelet = type->mFacelets[f];
        PolyElement* face = members[f].ring->face;
        Transform3D turn;
        for (int k = 0; k < 9; ++k) turn.m[k] = members[f].rotation[k];
        turn.m[9] = turn.m[10] = turn.m[11] = 0.0;
        Transform3D faceTransform;
        ComposeTransforms(faceTransform, turn, shapeToWorld);
        double turned[3];
        MatrixTimesVector(members[f].rotation, turned, normal);
        const bool reversed = Dot(turned, face->mZAxis) < 0.0;
        if (reversed) facelet.mFlags |= kFaceletReversed;
        if (reversed != mirrored) facelet.mFlags |= kFaceletFlipped;
        const size_t n = members[f].ring->corners.size();
        std::vector<Vert3D*> corners(n, nullptr);
        for (size_t k = 0; k < n; ++k) {
          corners[k] = FindVertExact(members[f].ring->corners[(k + members[f].offset) % n]->mDualVert);
        }
        if (ringFacelets.Knows(face)) {
          Face3D* const joins = ringFacelets.Joins(face);
          facelet.Create(face, type, list, faceTransform, this, corners.data(), nullptr, &joins);
          ringFacelets.Made(face);
        } else {
          facelet.Create(face, type, list, faceTransform, this, corners.data());
        }
        facelet.mFlags |= kFaceletSelectAlone;
      }
      type->Triangulate(list);
    }
  }
  ringFacelets.Release();
  return true;
}

bool Model3D::LinkEdges(bool lastThird) {
  // Every type is made and has its edgelets.
  NumberFaceTypes();
  int types = 0;
  for (const Face3DType* type = mFaceTypes; type; type = type->mNext) ++types;
  // The linking and the pairing take a sixth of the bar each, by the facelet types.
  int passed = 0;
  auto share = [&](int pass) {
    return lastThird ? (4.0 + pass + static_cast<double>(passed++) / std::max(types, 1)) / 6.0 : kProgressNoReport;
  };
  bool reported = false;
  for (Face3DType* type = mFaceTypes; type; type = type->mNext) {
    if (!detail_Model3D::GoOn(ProgressTick(share(0)))) return false;
    for (int f = 0; f < type->mNumFacelets; ++f) type->mFacelets[f].ConnectEdges(reported);
  }
  // Where more than two facelets meet at an edge, the neighbours must pair them off:
  // a ring whose links do not answer each other is paired again round the edge.
  passed = 0;
  for (Face3DType* type = mFaceTypes; type; type = type->mNext) {
    if (!detail_Model3D::GoOn(ProgressTick(share(1)))) return false;
    for (int f = 0; f < type->mNumFacelets; ++f) {
      Face3D& facelet = type->mFacelets[f];
      for (int i = 0; i < facelet.GetNumEdges(); ++i) {
        Edge3D* e = &facelet.mEdges[i];
        if (!e->mNeigh || e->mNeigh->mNeigh != e) detail_Model3D::PairRoundEdge(e);
      }
    }
  }
  for (Face3DType* type = mFaceTypes; type; type = type->mNext) {
    for (int f = 0; f < type->mNumFacelets; ++f) type->mFacelets[f].MarkDrawnEdges();
  }
  return true;
}

// ---- Counts and lookups ------------------------------------------------------------------

void Model3D::NumberFaceTypes() const {
  int index = 0, facelets = 0, edgelets = 0;
  for (Face3DType* type = mFaceTypes; type; type = type->mNext, ++index) {
    type->mIndex = index;
    type->mFirstFacelet = facelets;
    type->mFirstEdgelet = edgelets;
    facelets += type->mNumFacelets;
    edgelets += type->mNumFacelets * type->mNumEdges;
  }
  index = 0;
  for (Face3DType* type = mDrawnTypes; type; type = type->mNext, ++index) {
    type->mIndex = index;
    type->mFirstFacelet = type->mFirstEdgelet = -1;
  }
  mNumberedTypes = mFaceTypes;
  mNumberedDrawn = mDrawnTypes;
  mNumberedDrawnTail = mDrawnTypesTail;
}

void Model3D::KeepFaceTypesNumbered() const {
  if (mNumberedTypes != mFaceTypes || mNumberedDrawn != mDrawnTypes || mNumberedDrawnTail != mDrawnTypesTail) {
    NumberFaceTypes();
  }
}

int Model3D::GetNumFaceTypes() const {
  int count = 0;
  for (const Face3DType* type = mFaceTypes; type; type = type->mNext) ++count;
  return count;
}

int Model3D::GetNumFacelets() const {
  int count = 0;
  for (const Face3DType* type = mFaceTypes; type; type = type->mNext) count += type->mNumFacelets;
  return count;
}

int Model3D::GetNumLoops() const {
  int count = 0;
  for (const Face3DType* type = mFaceTypes; type; type = type->mNext) count += type->mNumLoops * type->mNumFacelets;
  return count;
}

bool Model3D::HasHoles() const {
  for (const Face3DType* type = mFaceTypes; type; type = type->mNext) {
    if (type->mNumLoops > 1) return true;
  }
  return false;
}

int Model3D::GetNumEdges() const {
  int count = 0;
  for (const Face3DType* type = mFaceTypes; type; type = type->mNext) count += type->mNumEdges * type->mNumFacelets;
  return count / 2;
}

int Model3D::CountEdges(int* count) const {
  int marked = 0;
  for (const Face3DType* type = mFaceTypes; type; type = type->mNext) {
    for (int f = 0; f < type->mNumFacelets; ++f) {
      for (int e = 0; e < type->mNumEdges; ++e) {
        if (type->mFacelets[f].mEdges[e].flags & kEdgeJoinedAdded) ++marked;
      }
    }
  }
  if (count) *count = marked;
  return GetNumEdges();
}

Face3D* Model3D::GetFacelet(int i) const {
  if (i < 0) return nullptr;
  for (Face3DType* type = mFaceTypes; type; type = type->mNext) {
    if (i < type->mNumFacelets) return &type->mFacelets[i];
    i -= type->mNumFacelets;
  }
  return nullptr;
}

Edge3D* Model3D::GetEdge(int i) const {
  if (i < 0) return nullptr;
  for (Face3DType* type = mFaceTypes; type; type = type->mNext) {
    const int count = type->mNumFacelets * type->mNumEdges;
    if (i < count) return &type->mFacelets[i / type->mNumEdges].mEdges[i % type->mNumEdges];
    i -= count;
  }
  return nullptr;
}

void Model3D::CalcEdgeLengths() {
  if (mMaxEdgeLength >= 0.0) return;
  double shortest = 1e100;
  double longest = -1.0;
  for (const Face3DType* type = mFaceTypes; type; type = type->mNext) {
    if (type->mNumFacelets < 1) continue;
    const Face3D& facelet = type->mFacelets[0];
    for (int e = 0; e < type->mNumEdges; ++e) {
      const double squared = facelet.mEdges[e].GetLengthSquared();
      shortest = std::min(shortest, squared);
      longest = std::max(longest, squared);
    }
  }
  if (longest < 0.0) {
    // A model without edges: no lengths, and not asked again.
    mMinEdgeLength = mMaxEdgeLength = 0.0;
    return;
  }
  mMinEdgeLength = std::sqrt(shortest);
  mMaxEdgeLength = std::sqrt(longest);
}

double Model3D::GetMinEdgeLength() {
  CalcEdgeLengths();
  return mMinEdgeLength;
}

double Model3D::GetMeanEdgeLength() {
  CalcEdgeLengths();
  return 0.5 * (mMinEdgeLength + mMaxEdgeLength);
}

double Model3D::CalcMaxRadius(const Model3D* model) {
  if (!model) return 0.0;
  double largest = 0.0;
  for (int i = 0; i < model->mNumVerts; ++i)
    largest = std::max(largest, Dot(model->mVerts[i].mPos, model->mVerts[i].mPos));
  return std::sqrt(largest);
}

// The vertices in a grid of cells a few tolerances wide: a corner's vertex is read
// from the cells round it, however many vertices share an x or a y (a cube's face cut
// into many has tens of thousands of one x).
struct Model3D::VertexSearch {
  struct Position {
    const Vert3D* verts;
    const double* operator()(int32_t i) const { return verts[static_cast<size_t>(i)].mPos; }
  };
  VertexSearch(const Vert3D* verts, int filed) : grid(4.0 * kPointTolerance, Position{verts}), count(filed) {
    grid.Reserve(static_cast<size_t>(filed));
    for (int i = 0; i < filed; ++i) grid.Add(i);
    grid.Finish();
  }
  PointGrid<Position> grid;
  // The vertices filed: a search of a model whose vertices changed since walks them.
  int count;
};

void Model3D::VertexSearchDeleter::operator()(VertexSearch* search) const {
  delete search;
}

void Model3D::BuildVertexSearch() {
  mVertexSearch.reset(new VertexSearch(mVerts.get(), mNumVerts));
}

Vert3D* Model3D::FindVertExact(const double* position) const {
  if (!mVerts || !mVertexSearch || mVertexSearch->count != mNumVerts) {
    for (int i = 0; i < mNumVerts; ++i) {
      const double* p = mVerts[static_cast<size_t>(i)].mPos;
      if (std::fabs(p[0] - position[0]) <= kPointTolerance && std::fabs(p[1] - position[1]) <= kPointTolerance &&
          std::fabs(p[2] - position[2]) <= kPointTolerance) {
        return &mVerts[static_cast<size_t>(i)];
      }
    }
    return nullptr;
  }
  // The first in index order of those within the tolerance, as a walk would find.
  int32_t best = -1;
  mVertexSearch->grid.ForEachWithin(position, kPointTolerance, [&best](int32_t i) {
    if (best < 0 || i < best) best = i;
  });
  return best >= 0 ? &mVerts[static_cast<size_t>(best)] : nullptr;
}

// ---- Drawn polygons ---------------------------------------------------------------------------

void Model3D::AddDrawnPolygon(DrawnPolygon* polygon) {
  if (!polygon) return;
  if (!polygon->ring || !polygon->pieces) {
    polygon->Clear();
    return;
  }
  const int fold = polygon->GetAxisOrder(mPoly ? mPoly->mSymGroup : nullptr);
  Face3DType* type = new Face3DType(1, fold, this, nullptr);
  type->mFlags |= kTypeDrawn;
  if (mDrawnTypesTail) {
    mDrawnTypesTail->mNext = type;
  } else {
    mDrawnTypes = type;
  }
  mDrawnTypesTail = type;
  type->SetLoops(polygon->pieces);
  Face3D& facelet = type->mFacelets[0];
  facelet.mType = type;
  facelet.mEdges = std::make_unique<Edge3D[]>(static_cast<size_t>(type->mNumEdges > 0 ? type->mNumEdges : 0));
  int k = 0;
  for (PolygonList* node = polygon->pieces; node; node = node->next) {
    PolygonVertex* v = node->ring;
    if (!v) continue;
    do {
      if (k < type->mNumEdges) {
        v->index = k;
        Edge3D& edge = facelet.mEdges[k];
        edge.face = &facelet;
        CopyVector(edge.pos3D, v->point);
        edge.vert = FindVertExact(v->point);
        edge.unfolded[0] = edge.local[0] = v->x;
        edge.unfolded[1] = edge.local[1] = v->y;
      }
      ++k;
      v = v->next;
    } while (v != node->ring);
  }
  double normal[3];
  facelet.GetNormal(normal);
  CopyVector(facelet.mNormal, normal);
  type->Triangulate(CopyPolygonList(polygon->pieces));
  NumberFaceTypes();
}

void Model3D::ClearDrawnPolygons() {
  if (mSelectedFacelet && mSelectedFacelet->mType && mSelectedFacelet->mType->HasFlag(kTypeDrawn)) {
    mSelectedFacelet = nullptr;
  }
  if (mSelectedEdge && mSelectedEdge->face && mSelectedEdge->face->mType->HasFlag(kTypeDrawn)) mSelectedEdge = nullptr;
  const bool hadNets = HasNets();
  if (hadNets) ClearNets(true);
  Face3DType* type = mDrawnTypes;
  while (type) {
    Face3DType* next = type->mNext;
    delete type;
    type = next;
  }
  mDrawnTypes = mDrawnTypesTail = nullptr;
  NumberFaceTypes();
  if (hadNets) MakeNets();
}

void Model3D::RemoveDrawnPolygon(int i) {
  Face3DType* previous = nullptr;
  Face3DType* type = mDrawnTypes;
  for (int k = 0; type && k < i; ++k) {
    previous = type;
    type = type->mNext;
  }
  if (i < 0 || !type) return;
  if (previous) {
    previous->mNext = type->mNext;
  } else {
    mDrawnTypes = type->mNext;
  }
  if (mDrawnTypesTail == type) mDrawnTypesTail = previous;
  if (mSelectedFacelet && mSelectedFacelet->mType == type) mSelectedFacelet = nullptr;
  if (mSelectedEdge && mSelectedEdge->face && mSelectedEdge->face->mType == type) mSelectedEdge = nullptr;
  // The nets must not keep the facelet: they are remade, or dropped first.
  const bool hadNets = HasNets();
  if (hadNets) ClearNets(true);
  delete type;
  NumberFaceTypes();
  if (hadNets) MakeNets();
}

int Model3D::CountDrawnTypes() const {
  int count = 0;
  for (const Face3DType* type = mDrawnTypes; type; type = type->mNext) ++count;
  return count;
}

void Model3D::DrawnPolygonFinished(DrawnPolygon* polygon) {
  if (!HasNets()) return;
  AddDrawnPolygon(polygon);
  MakeNets();
}

void Model3D::DrawnPolygonRemoved(Poly& /*poly*/, DrawnPolygon* /*polygon*/, int typeIndex) {
  RemoveDrawnPolygon(typeIndex);
}

void Model3D::SelectionCleared() { DescribeSelectedEdge(this, nullptr); }

}  // namespace corvia
