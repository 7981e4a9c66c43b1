// The edges of a model and their types. Edges are found face type by face type:
// within one rotational unit of the first face of a type, each corner position gives
// one edge type (the side from that corner to the next, on every face of the type),
// and the mirror-image position on the faces of the mirror type gives its partner.
//
// "The same position on every face" means the image of the side under the operation
// that carries the first face onto the other one. A face reached only by an improper
// operation (a type under Ci, Cs, S4, ...) has the mirror image of the first face's
// corner sense: its corner j is the image of corner -j, so the image of side u is its
// side -u-1, not side u.

#include <algorithm>
#include <cstdint>
#include <vector>

#include "core/Messages.h"
#include "core/PointGrid.h"
#include "core/Progress.h"
#include "core/Tolerances.h"
#include "model/Edge.h"
#include "model/ElementFlags.h"
#include "model/Face.h"
#include "model/FaceMatching.h"
#include "model/FaceTypeBlock.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "model/Vertex.h"
#include "symmetry/SymGroup.h"
#include "symmetry/SymOperations.h"

namespace corvia {

namespace detail_Edges {

int Wrap(int i, int n) { return ((i % n) + n) % n; }

// How an operation of the group carries the corners of one face onto another: corner
// j goes to corner offset + step j.
struct CornerMap {
  int offset = 0;
  int step = 1;
};

// An operation of a group, as the corner maps try them.
struct Operation {
  double matrix[9];
  bool improper = false;
};

// The operations of the group in its order; none without a group.
std::vector<Operation> OperationsOf(const SymGroup* group) {
  std::vector<Operation> operations;
  if (!group) return operations;
  SymOperationIterator it;
  it.Reset();
  Operation op;
  while (GetNextSymmetryOperation(group, it, true, op.matrix, true)) {
    op.improper = it.improperPhase != 0;
    operations.push_back(op);
  }
  return operations;
}

// The corner maps from one face to the faces of its type. The images of the face's
// centre under the operations of the group (worked out once for all faces) are
// filed by position; a face then tries only the operations that carry the centre
// onto its own (the first thing a match checks), in the order of the group.
class CornerMapFinder {
 public:
  CornerMapFinder(const PolyElement* from, const std::vector<Operation>& operations)
      : mFrom(from), mCentres(kCentreCellSize, PackedPositions{nullptr}) {
    if (!from || from->mNumSides <= 0 || !from->mNeighbours[0] || operations.empty()) return;
    mOperations = &operations;
    mCentreImages.resize(3 * operations.size());
    for (size_t k = 0; k < operations.size(); ++k) {
      MatrixTimesVector(operations[k].matrix, &mCentreImages[3 * k], from->mCentre);
    }
    mCentres = PointGrid(kCentreCellSize, PackedPositions{mCentreImages.data()});
    for (size_t k = 0; k < operations.size(); ++k) mCentres.Add(static_cast<int32_t>(k));
    mCentres.Finish();
  }

  // The corner map of the first operation that carries `from` onto `to`; false when
  // there is none. Rotations are preferred, so that faces reached by rotations keep
  // the edge classes of the rotation group; improper operations serve the faces that
  // no rotation reaches, or all of them when `improperOnly`.
  bool Find(const PolyElement* to, bool improperOnly, CornerMap& out) {
    if (!mOperations || !to) return false;
    mCandidates.clear();
    mCentres.ForEachWithin(to->mCentre, kFaceMatchTolerance, [this](int32_t k) { mCandidates.push_back(k); });
    std::sort(mCandidates.begin(), mCandidates.end());
    bool haveImproper = false;
    CornerMap improper;
    for (int32_t k : mCandidates) {
      const Operation& op = (*mOperations)[static_cast<size_t>(k)];
      if (improperOnly && !op.improper) continue;
      if (op.improper && haveImproper) continue;
      double origin[3];
      double normal[3];
      double corner0[3];
      MatrixTimesVector(op.matrix, origin, mFrom->mCentre);
      MatrixTimesVector(op.matrix, normal, mFrom->mZAxis);
      MatrixTimesVector(op.matrix, corner0, mFrom->mNeighbours[0]->mDualVert);
      int offset = 0;
      bool reflected = false;
      if (!mFrom->MatchTransformedAxes(to, origin, normal, corner0, op.matrix, true, &offset, &reflected)) continue;
      const CornerMap found{offset, reflected ? -1 : 1};
      if (!op.improper || improperOnly) {
        out = found;
        return true;
      }
      improper = found;
      haveImproper = true;
    }
    if (haveImproper) out = improper;
    return haveImproper;
  }

  // The corner map for the edge passes: the identity when no operation is found (a
  // face without a group, or frames the group does not relate).
  CornerMap For(const PolyElement* to) {
    CornerMap map;
    if (mFrom != to) Find(to, false, map);
    return map;
  }

 private:
  // Cells far wider than the matching tolerance of the centres.
  static constexpr double kCentreCellSize = 20 * kFaceMatchTolerance;

  const PolyElement* mFrom;
  // The group's operations; null when the face has none to try.
  const std::vector<Operation>* mOperations = nullptr;
  // The images of the face's centre under the operations, filed by position.
  std::vector<double> mCentreImages;
  PointGrid<PackedPositions> mCentres;
  std::vector<int32_t> mCandidates;
};

// In a vertex's ring of faces, the slot (k: between faces k and k + 1) that lies
// between faces a and b; -1 when they are not neighbours there. Slots already
// holding an edge are passed over.
int FindRingSlot(const PolyElement* vertex, const PolyElement* a, const PolyElement* b) {
  const int n = vertex->mNumSides;
  for (int k = 0; k < n; ++k) {
    const PolyElement* f = vertex->mNeighbours[k];
    const PolyElement* g = vertex->mNeighbours[(k + 1) % n];
    if (((f == a && g == b) || (f == b && g == a)) && !vertex->mEdges[k]) return k;
  }
  return -1;
}

// The slot of face h that runs between corners v1 and v2 and is still empty; -1 when
// none.
int FindFaceSlot(const PolyElement* h, const PolyElement* v1, const PolyElement* v2) {
  const int n = h->mNumSides;
  for (int j = 0; j < n; ++j) {
    if (h->mNeighbours[j] != v1) continue;
    if (h->mNeighbours[(j + 1) % n] == v2 && !h->mEdges[j]) return j;
    const int previous = (j + n - 1) % n;
    if (h->mNeighbours[previous] == v2 && !h->mEdges[previous]) return previous;
  }
  return -1;
}

struct EdgeBuilder {
  Edge* edges = nullptr;
  int expected = 0;
  int counter = 0;
  int typeCount = 0;
  bool stop = false;

  // The face across side i of g: among the faces next to g round the side's first
  // vertex, the first with the side still open.
  void LinkSecondFace(Edge& e, PolyElement* g, int i) {
    PolyElement* v1 = e.mVert1;
    PolyElement* v2 = e.mVert2;
    const int m = v1->mNumSides;
    for (int p = 0; p < m; ++p) {
      if (v1->mNeighbours[p] != g) continue;
      for (int side : {-1, 1}) {
        PolyElement* h = v1->mNeighbours[Wrap(p + side, m)];
        if (!h || h == g) continue;
        const int slot = FindFaceSlot(h, v1, v2);
        if (slot < 0) continue;
        h->mEdges[slot] = &e;
        e.mFace2 = static_cast<Face*>(h);
        const int k1 = side > 0 ? p : Wrap(p - 1, m);
        if (!v1->mEdges[k1]) v1->mEdges[k1] = &e;
        const int k2 = FindRingSlot(v2, g, h);
        if (k2 >= 0) v2->mEdges[k2] = &e;
        return;
      }
    }
    // A trace: the side stays an edge of one face (an open or irregular surface).
    DoNothing("Couldn't find edge: f %d, type %d, %d sides, i %d", g->GetIndex(), FaceType::GetIndex(g->mType),
              g->mNumSides, i);
  }

  // One pass: the sides at corners s, s + unit, ... of the reference face, and their
  // images on every face of the type (maps: the corner map from the reference face
  // to each face, in type order).
  bool MakePass(FaceType* type, int s, int unit, const std::vector<CornerMap>& maps) {
    bool made = false;
    size_t position = 0;
    for (PolyElement* g = type->mFirstFace; g && !stop; g = g->mNextOfType, ++position) {
      const int n = g->mNumSides;
      if (n <= 0) continue;
      const CornerMap map = position < maps.size() ? maps[position] : CornerMap{};
      // Offsets that are whole rotational units only renumber the sides of one class.
      const int shift = map.offset % unit;
      for (int c = s; c < n + s && !stop; c += unit) {
        const int side = c % n;
        if (c >= n && side == s % n) break;
        // Side j runs from corner j to j + 1; reversed, their images are corners
        // -j and -j-1, the side at -j-1.
        const int i = map.step > 0 ? Wrap(side + shift, n) : Wrap(shift - side - 1, n);
        if (g->mEdges[i]) continue;
        if (counter >= expected) {
          // A trace: the edges found are kept and counted below.
          DoNothing("CreateEdges: found too many edges (> %d)", expected);
          stop = true;
          break;
        }
        Edge& e = edges[counter++];
        e.mEdgeType = typeCount;
        e.mVert1 = static_cast<Vertex*>(g->mNeighbours[i]);
        e.mVert2 = static_cast<Vertex*>(g->mNeighbours[(i + 1) % n]);
        e.mFace1 = static_cast<Face*>(g);
        g->mEdges[i] = &e;
        made = true;
        if (e.mVert1 && e.mVert2) {
          LinkSecondFace(e, g, i);
        } else {
          // A trace: the side stays an edge of one face (an open or irregular surface).
          DoNothing("Couldn't find edge: f %d, type %d, %d sides, i %d", g->GetIndex(), type->mIndex, n, i);
        }
      }
    }
    return made;
  }

  void FlagNewestTypes(bool bothPasses) {
    const int newest = typeCount - 1;
    for (int j = counter - 1; j >= 0; --j) {
      Edge& e = edges[j];
      if (e.mEdgeType == newest) {
        e.mEdgeFlags |= bothPasses ? kEdgeMirrorSecond : kEdgeSelfMirror;
      } else if (bothPasses && e.mEdgeType == newest - 1) {
        e.mEdgeFlags |= kEdgeMirrorFirst;
      } else {
        break;
      }
    }
  }
};

}  // namespace detail_Edges

void Poly::ClearEdges() {
  for (ElementList* list : {static_cast<ElementList*>(&mFaces), static_cast<ElementList*>(&mVertices)}) {
    for (PolyElement* e = list->mHead; e; e = e->mNext) {
      for (int i = 0; i < e->mNumSides; ++i) e->mEdges[i] = nullptr;
    }
  }
  const int32_t count = mNumEdges;
  SetEdges(nullptr, 0);
  mNumEdges = count;
  delete[] mEdgeTypes;
  mEdgeTypes = nullptr;
  mNumEdgeTypes = 0;
}

void Poly::CreateEdges() {
  if (mEdgeArray) {
    // Edges are only ever made together with their types.
    if (!mEdgeTypes) ShowInternalError("Poly::CreateEdges: edges without types");
    ClearEdges();
  }
  CountEdges();
  detail_Edges::EdgeBuilder builder;
  builder.expected = mNumEdges;
  builder.edges = mNumEdges > 0 ? NewEdgeArray(static_cast<size_t>(mNumEdges)) : nullptr;
  SetEdges(builder.edges, mNumEdges);
  mCurrentEdge = builder.edges;

  const std::vector<detail_Edges::Operation> operations = detail_Edges::OperationsOf(mSymGroup);
  for (FaceType* type = mBaseBlock->mFirstFaceType; type && !builder.stop; type = type->mNext) {
    (void)ProgressTick();
    PolyElement* f = type->mFirstFace;
    if (!f || f->mNumSides <= 0) continue;
    const int n = f->mNumSides;
    PolyElement* mirror = type->mMirrorFace;
    int mirrorOffset = -1;
    int sense = 1;
    if (mirror) {
      // The mirror face is the image of F under an improper operation: side u of F
      // goes to side u sense + mirrorOffset of M.
      detail_Edges::CornerMap toMirror;
      if (detail_Edges::CornerMapFinder(f, operations).Find(mirror, true, toMirror)) {
        sense = toMirror.step;
        mirrorOffset = detail_Edges::Wrap(sense < 0 ? toMirror.offset - 1 : toMirror.offset, n);
      } else {
        int step = 1;
        const int k = FindSymmetryOperation(mirror, f, nullptr, nullptr, nullptr, mSymGroup, -1, &step);
        mirrorOffset = (k < 1 ? n : k) - 1;
        sense = step < 0 ? -1 : 1;
      }
    }
    int rotations = f->GetRotationOrder();
    if (rotations < 1) rotations = 1;
    int unit = n / rotations;
    if (unit < 1) unit = 1;
    // Corner maps from each pass's reference face (F, then M) to the faces of its type.
    std::vector<detail_Edges::CornerMap> maps[2];
    for (int pass = 0; pass < (mirror && mirror->mType ? 2 : 1); ++pass) {
      detail_Edges::CornerMapFinder finder(pass == 0 ? f : mirror, operations);
      FaceType* passType = pass == 0 ? type : mirror->mType;
      for (PolyElement* g = passType->mFirstFace; g; g = g->mNextOfType) maps[pass].push_back(finder.For(g));
    }
    for (int u = 0; u < unit && !builder.stop; ++u) {
      int s = u;
      bool madeFirst = false;
      bool madeSecond = false;
      for (int pass = 0; pass < 2 && !builder.stop; ++pass) {
        FaceType* passType = pass == 0 ? type : mirror->mType;
        if (!passType) {
          // A trace: the type's own pass stands without its mirror image.
          DoNothing("Poly::CreateEdges(): ft->mMirrorFace == NULL\n  FaceType %d (face %d)\n", type->mIndex,
                    f->GetIndex());
          break;
        }
        const bool made = builder.MakePass(passType, s, unit, maps[pass]);
        (pass == 0 ? madeFirst : madeSecond) = made;
        if (!made) break;
        ++builder.typeCount;
        if (mirrorOffset < 0) break;
        // A negative step may take the start below zero: wrap into 0 .. n-1.
        s = detail_Edges::Wrap(u * sense + mirrorOffset, n);
      }
      if (madeFirst && mirrorOffset >= 0) builder.FlagNewestTypes(madeSecond);
    }
  }

  if (builder.counter != builder.expected) {
    // A trace: the edges found are the model's edges.
    DoNothing("CreateEdges: num edges found %d != expected %d", builder.counter, builder.expected);
    // Records never reached have no ends; they must not be counted as edges.
    mNumEdges = builder.counter;
  }
  mNumEdgeTypes = builder.typeCount;
  mEdgeTypes = mNumEdgeTypes > 0 ? new EdgeType[static_cast<size_t>(mNumEdgeTypes)] : nullptr;
  for (int j = 0; j < mNumEdges; ++j) {
    Edge& e = builder.edges[j];
    if (e.mEdgeType < 0 || e.mEdgeType >= mNumEdgeTypes) continue;
    EdgeType& t = mEdgeTypes[e.mEdgeType];
    if (!t.mFirstEdge) t.mFirstEdge = &e;
    ++t.mNumEdges;
  }
  if (mNumEdges == 0) mCurrentEdge = nullptr;
}

bool Poly::TakeEdgeOrder(const std::vector<Edge*>& order, const std::vector<uint8_t>& swaps) {
  const int count = mNumEdges;
  if (!mEdgeArray || static_cast<int>(order.size()) != count || swaps.size() != order.size()) return false;
  std::vector<int> place(static_cast<size_t>(count), -1);
  std::vector<int> typeNumber(static_cast<size_t>(mNumEdgeTypes), -1);
  int types = 0;
  int32_t last = -1;
  for (int i = 0; i < count; ++i) {
    const int old = Edge::GetIndex(order[static_cast<size_t>(i)], this);
    if (old < 0 || place[static_cast<size_t>(old)] >= 0) return false;
    place[static_cast<size_t>(old)] = i;
    const int32_t type = mEdgeArray[old].mEdgeType;
    if (type == last) continue;
    if (type < 0 || type >= mNumEdgeTypes || typeNumber[static_cast<size_t>(type)] >= 0) return false;
    typeNumber[static_cast<size_t>(type)] = types++;
    last = type;
  }
  if (types != mNumEdgeTypes) return false;
  // A pair of mirror-image types stays numbered one after the other, the one listed
  // first being the first of the pair.
  std::vector<bool> turnPair(static_cast<size_t>(mNumEdgeTypes), false);
  for (int i = 0; i < count; ++i) {
    const Edge& e = mEdgeArray[i];
    if (!(e.mEdgeFlags & kEdgeMirrorSecond)) continue;
    if (e.mEdgeType < 1) return false;
    const int second = typeNumber[static_cast<size_t>(e.mEdgeType)];
    const int first = typeNumber[static_cast<size_t>(e.mEdgeType - 1)];
    if (second == first - 1) {
      turnPair[static_cast<size_t>(e.mEdgeType)] = turnPair[static_cast<size_t>(e.mEdgeType - 1)] = true;
    } else if (second != first + 1) {
      return false;
    }
  }
  Edge* edges = NewEdgeArray(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    const Edge& from = *order[static_cast<size_t>(i)];
    Edge& to = edges[i];
    std::copy(std::begin(from.mColor), std::end(from.mColor), to.mColor);
    to.mLabel = from.mLabel;
    const bool ends = swaps[static_cast<size_t>(i)] & kSwapEnds, sides = swaps[static_cast<size_t>(i)] & kSwapSides;
    to.mVert1 = ends ? from.mVert2 : from.mVert1;
    to.mVert2 = ends ? from.mVert1 : from.mVert2;
    to.mFace1 = sides ? from.mFace2 : from.mFace1;
    to.mFace2 = sides ? from.mFace1 : from.mFace2;
    to.mEdgeFlags = from.mEdgeFlags;
    if (turnPair[static_cast<size_t>(from.mEdgeType)]) to.mEdgeFlags ^= kEdgeMirrorFirst | kEdgeMirrorSecond;
    to.mEdgeType = typeNumber[static_cast<size_t>(from.mEdgeType)];
  }
  for (ElementList* list : {static_cast<ElementList*>(&mFaces), static_cast<ElementList*>(&mVertices)}) {
    for (PolyElement* e = list->mHead; e; e = e->mNext) {
      for (int k = 0; k < e->mNumSides; ++k) {
        const int old = Edge::GetIndex(e->mEdges[k], this);
        if (old >= 0) e->mEdges[k] = &edges[place[static_cast<size_t>(old)]];
      }
    }
  }
  const int current = Edge::GetIndex(mCurrentEdge, this);
  SetEdges(edges, count);
  if (current >= 0) mCurrentEdge = &edges[place[static_cast<size_t>(current)]];
  for (int t = 0; t < mNumEdgeTypes; ++t) mEdgeTypes[t] = EdgeType{};
  for (int i = 0; i < count; ++i) {
    EdgeType& type = mEdgeTypes[edges[i].mEdgeType];
    if (!type.mFirstEdge) type.mFirstEdge = &edges[i];
    ++type.mNumEdges;
  }
  return true;
}

}  // namespace corvia
