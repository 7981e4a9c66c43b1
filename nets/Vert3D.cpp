#include "nets/Vert3D.h"

#include "core/Messages.h"
#include "core/Tolerances.h"
#include "model/Poly.h"
#include "nets/Edge3D.h"
#include "nets/Face3D.h"
#include "nets/Model3D.h"
#include "nets/NetFlags.h"
#include "symmetry/SymGroup.h"

namespace corvia {

namespace detail_Vert3D {
const SymGroup* GroupOf(const Model3D* model) {
  return model && model->mPoly ? model->mPoly->mSymGroup : nullptr;
}
}  // namespace detail_Vert3D

int Vert3D::GetIndex(const Vert3D* vertex) {
  if (!vertex || !vertex->mFirstEdge) return -1;
  return GetIndexIn(vertex, Edge3D::GetModel(vertex->mFirstEdge));
}

int Vert3D::GetIndexIn(const Vert3D* vertex, const Model3D* model) {
  if (!vertex || !model || !model->mVerts) return -1;
  const Vert3D* base = model->mVerts.get();
  if (vertex < base || vertex >= base + model->mNumVerts) return -1;
  return static_cast<int>(vertex - base);
}

int Vert3D::Compare(const Vert3D* a, const Vert3D* b) {
  if (a == b) return 0;
  for (int k = 0; k < 3; ++k) {
    if (a->mPos[k] < b->mPos[k] - kPointTolerance) return -1;
    if (a->mPos[k] > b->mPos[k] + kPointTolerance) return 1;
  }
  ShowInternalError("Vert3D::Compare() - Vertices equal");
  return 0;
}

void Vert3D::AddEdge(Edge3D* edge) {
  edge->nextAtVert = mFirstEdge;
  mFirstEdge = edge;
}

int Vert3D::GetAxisKind() const {
  if (!(mFlags & kVertOnAxis)) return -1;
  if (mFlags & kVertAxisKind0) return 0;
  if (mFlags & kVertAxisKind1) return 1;
  return 2;
}

int Vert3D::GetNumRots(const Model3D* model) const {
  const int kind = GetAxisKind();
  const SymGroup* group = detail_Vert3D::GroupOf(model);
  if (kind < 0 || !group || kind >= group->numAxisTypes) return 1;
  const int fold = group->axisTypes[kind].fold;
  return fold < 0 ? -fold : fold;
}

int Vert3D::GetNumCopies(const Model3D* model) const {
  if (mFlags & kVertAlone) return 1;
  const SymGroup* group = detail_Vert3D::GroupOf(model);
  if (!group) return 1;
  const int kind = GetAxisKind();
  if (kind < 0) return group->numRotations > 0 ? group->numRotations : 1;
  if (kind >= group->numAxisTypes) return 1;
  return group->axisTypes[kind].numEnds > 0 ? group->axisTypes[kind].numEnds : 1;
}

const Vert3D* Vert3D::GetGroupHead() const {
  const Vert3D* vertex = this;
  while (uint32_t distance = vertex->mFlags & kVertGroupDistance) vertex -= distance;
  return vertex;
}

bool Vert3D::IsSameGroup(const Vert3D* a, const Vert3D* b) {
  if (!a || !b) return false;
  return a->GetGroupHead() == b->GetGroupHead();
}

Vert3D* Vert3D::GetNextGroupVertex(Model3D* model) {
  const int index = GetIndexIn(this, model);
  if (index < 0) return nullptr;
  const int next = index + GetNumCopies(model);
  return next < model->mNumVerts ? &model->mVerts[static_cast<size_t>(next)] : nullptr;
}

// ---- Edge types ----------------------------------------------------------------------

void Edge3DType::SetBlock() {
  const Face3D* first = mFaceType->mNumFacelets > 0 ? &mFaceType->mFacelets[0] : nullptr;
  const int length = mFaceType->mLoopLengths ? mFaceType->mLoopLengths[mLoop] : 0;
  const bool rotated =
      first && first->mEdges && mLoopStart < mFaceType->mNumEdges && first->mEdges[mLoopStart].Has(kEdgeRotatedLoop);
  if (rotated) {
    mLoopEnd = mLoopStart + length * mNumRots;
    mNextLoop = mLoop + mNumRots;
  } else {
    mLoopEnd = mLoopStart + length;
    mNextLoop = mLoop + 1;
  }
  if (mLoopEnd > mFaceType->mNumEdges) mLoopEnd = mFaceType->mNumEdges;
}

void Edge3DType::Init(Face3DType* type) {
  mFaceType = type;
  mNumRots = type->GetNumRots();
  mLoop = 0;
  mNextLoop = 1;
  mLoopStart = 0;
  mLoopEnd = type->mNumLoops > 0 ? type->mLoopLengths[0] : 0;
  mCurrentEdge = 0;
  if (mNumRots > 0 && mLoopEnd % mNumRots == 0) {
    mPerRotation = mLoopEnd / mNumRots;
  } else {
    ShowInternalError("Edge3DType::Init: mLoopEnd %d, mNumRots %d, faceType %d", mLoopEnd, mNumRots,
                      Face3DType::GetIndex(type));
    mPerRotation = mLoopEnd;
  }
}

int Edge3DType::Init(const Edge3D* edge) {
  const Face3D* facelet = edge->face;
  const int i = Edge3D::GetIndex(edge);
  mFaceType = facelet->mType;
  mNumRots = mFaceType->GetNumRots();
  mLoop = -1;
  mNextLoop = 0;
  mLoopStart = 0;
  mLoopEnd = 0;
  while (mLoopEnd <= i && mNextLoop < mFaceType->mNumLoops) {
    mLoop = mNextLoop;
    mLoopStart = mLoopEnd;
    const int length = mFaceType->mLoopLengths[mLoop];
    if (facelet->mEdges[mLoopStart].Has(kEdgeRotatedLoop)) {
      mLoopEnd = mLoopStart + length * mNumRots;
      mNextLoop += mNumRots;
    } else {
      mLoopEnd = mLoopStart + length;
      mNextLoop += 1;
    }
  }
  const int block = mLoopEnd - mLoopStart;
  if (mNumRots > 0 && block > 0 && block % mNumRots == 0) {
    mPerRotation = block / mNumRots;
  } else {
    ShowInternalError("Edge3DType::Init: end %d, start %d, numRots %d, edge %s, flags 0x%x", mLoopEnd, mLoopStart,
                      mNumRots, GetEdgeName(edge).c_str(), edge->flags);
    mPerRotation = block > 0 ? block : 1;
  }
  mCurrentEdge = mLoopStart + (i - mLoopStart) % mPerRotation;
  return (i - mLoopStart) / mPerRotation;
}

Edge3D* Edge3DType::GetEdge(const Edge3D* previous) const {
  if (!mFaceType || mFaceType->mNumFacelets < 1 || mCurrentEdge >= mFaceType->mNumEdges) return nullptr;
  if (!previous) return &mFaceType->mFacelets[0].mEdges[mCurrentEdge];
  const int k = Edge3D::GetIndex(previous) + mPerRotation;
  if (k < mLoopEnd) return &previous->face->mEdges[k];
  const Face3D* facelet = previous->face;
  const int position = static_cast<int>(facelet - mFaceType->mFacelets.get());
  if (position + 1 >= mFaceType->mNumFacelets) return nullptr;
  return &mFaceType->mFacelets[position + 1].mEdges[mCurrentEdge];
}

bool Edge3DType::Next() {
  ++mCurrentEdge;
  if (mCurrentEdge < mLoopStart + mPerRotation) return true;
  mLoop = mNextLoop;
  if (mLoop >= mFaceType->mNumLoops) return false;
  mLoopStart = mLoopEnd;
  SetBlock();
  mCurrentEdge = mLoopStart;
  const int block = mLoopEnd - mLoopStart;
  if (mNumRots > 0 && block > 0 && block % mNumRots == 0) {
    mPerRotation = block / mNumRots;
  } else {
    ShowInternalError("Edge3DType::Init: mLoopEnd %d, mNumRots %d, faceType %d", mLoopEnd, mNumRots,
                      Face3DType::GetIndex(mFaceType));
    mPerRotation = block > 0 ? block : 1;
  }
  return true;
}

}  // namespace corvia
