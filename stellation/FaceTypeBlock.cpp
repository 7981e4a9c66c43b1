// The list upkeep of face-type blocks and face types that the model relies on.

#include "stellation/FaceTypeBlock.h"

#include "model/ElementList.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "nets/Model3D.h"

namespace corvia {

FaceType::FaceType(Poly* poly, FaceTypeBlock* block, uint32_t idFlags, int32_t index)
    : mOwner(poly), mIdFlags(idFlags), mIndex(index), mBlock(block) {}

FaceType::~FaceType() = default;

void FaceType::AddFace(PolyElement* element) {
  element->mType = this;
  element->mNextOfType = nullptr;
  if (mLastFace) {
    mLastFace->mNextOfType = element;
  } else {
    mFirstFace = element;
  }
  mLastFace = element;
  ++mCount;
}

FaceTypeBlock::FaceTypeBlock(Poly* owner) : mOwner(owner) { Reset(true); }

FaceTypeBlock::~FaceTypeBlock() { Clear(true); }

int FaceTypeBlock::Reset(bool full) {
  mState = 0;
  mChangedCells = 0;
  mShortestEdge = -1.0;
  mLongestEdge = -1.0;
  mModelRadius = -1.0;
  if (full) {
    mStellationRefused = 0;
    mCurrentFace = nullptr;
  }
  return -1;
}

void FaceTypeBlock::Clear(bool full) {
  mModel3D.reset();
  if (full) {
    FaceType* type = mFirstFaceType;
    while (type) {
      FaceType* next = type->mNext;
      delete type;
      type = next;
    }
    mFirstFaceType = nullptr;
    mLastFaceType = nullptr;
  }
  Reset(full);
}

void FaceTypeBlock::AppendFaceType(FaceType* type) {
  type->mNext = nullptr;
  if (mLastFaceType) {
    mLastFaceType->mNext = type;
  } else {
    mFirstFaceType = type;
  }
  mLastFaceType = type;
}

int FaceTypeBlock::CountFaceTypes() const {
  int count = 0;
  for (const FaceType* type = mFirstFaceType; type; type = type->mNext) ++count;
  return count;
}

int FaceTypeBlock::CountDistinctFaceTypes() const {
  int count = 0;
  for (const FaceType* type = mFirstFaceType; type; type = type->mNext) {
    if (!type->mCoplanarMaster) ++count;
  }
  return count;
}

FaceType* FaceTypeBlock::GetFaceType(int i) const {
  if (i < 0) return nullptr;
  FaceType* type = mFirstFaceType;
  while (type && i > 0) {
    type = type->mNext;
    --i;
  }
  return type;
}

void FaceTypeBlock::SetCurrentFace(PolyElement* element) { mCurrentFace = element; }

bool FaceTypeBlock::IsDual() const { return mOwner && mOwner->mDualBlock.get() == this; }

ElementList* FaceTypeBlock::GetPlaneModel() const {
  if (!mOwner) return nullptr;
  return IsDual() ? static_cast<ElementList*>(&mOwner->mVertices) : static_cast<ElementList*>(&mOwner->mFaces);
}

FaceTypeBlock* FaceTypeBlock::GetDualStellation() const {
  if (!mOwner || IsDual()) return nullptr;
  return mOwner->mDualBlock.get();
}

bool FaceTypeBlock::IsOriginalStellation(const FaceTypeBlock* block) {
  return !block || block->mState == 0 || block->mChangedCells == 0;
}

bool FaceTypeBlock::HasFaceImages() const {
  const ElementList* planes = GetPlaneModel();
  return planes && planes->HasOtherImageEntry(nullptr);
}

}  // namespace corvia
