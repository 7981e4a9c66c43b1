#pragma once
// The per-side classification of a model's planes. Every Poly holds two blocks: the
// base block, whose planes are the model's faces, and the dual block, whose planes are
// the model's vertices taken as faces of the dual. A block keeps its face types (sets
// of symmetry-equivalent planes) in a list, its current element, its cached edge
// length range and the facelet model of its current stellation.
//
// Only the part of the block that the model itself relies on lives here so far; the
// stellation diagrams, cells, criteria and faceting join it with the stellation code.

#include <cstdint>
#include <memory>

namespace corvia {

class Poly;
class PolyElement;
class ElementList;
class FaceTypeBlock;
class Model3D;
struct SymAxisType;

// One set of symmetry-equivalent planes of a block.
class FaceType {
 public:
  // An empty type numbered index (0-based) in its block.
  FaceType(Poly* poly, FaceTypeBlock* block, uint32_t idFlags, int32_t index);
  ~FaceType();
  FaceType(const FaceType&) = delete;
  FaceType& operator=(const FaceType&) = delete;

  // Appends the element to the type's list (through mNextOfType), sets its type and
  // counts it.
  void AddFace(PolyElement* element);

  // 0-based index within the block; -1 for none.
  static int32_t GetIndex(const FaceType* type) { return type ? type->mIndex : -1; }
  // The number shown to users: index + 1; 0 for none.
  static int32_t GetNumber(const FaceType* type) { return type ? type->mIndex + 1 : 0; }

  Poly* mOwner;
  uint32_t mFlags = 0;
  uint32_t mIdFlags;
  int32_t mIndex;
  int32_t mSpare = -1;
  SymAxisType* mSymAxisType = nullptr;
  int32_t mCount = 0;
  int32_t mNumRotations = 0;
  double mMirrorLine[4] = {0.0, 0.0, 0.0, 0.0};
  FaceType* mMirrorPartner = nullptr;
  PolyElement* mMirrorFace = nullptr;
  FaceTypeBlock* mBlock;
  PolyElement* mFirstFace = nullptr;
  PolyElement* mLastFace = nullptr;
  FaceType* mCoplanarMaster = nullptr;
  double mScale = -1.0;
  double mArea = 0.0;
  double mCornerMeasure = 0.0;
  FaceType* mNext = nullptr;
};

class FaceTypeBlock {
 public:
  explicit FaceTypeBlock(Poly* owner);
  ~FaceTypeBlock();
  FaceTypeBlock(const FaceTypeBlock&) = delete;
  FaceTypeBlock& operator=(const FaceTypeBlock&) = delete;

  // Back to the state of a new block (the owner stays); returns -1.
  int Reset(bool full);
  // Frees the facelet model; full: destroys every face type; then Reset(full).
  void Clear(bool full);

  void AppendFaceType(FaceType* type);
  int CountFaceTypes() const;
  // Types that are not coplanar copies of another.
  int CountDistinctFaceTypes() const;
  // The i-th type; null for a negative i or past the end.
  FaceType* GetFaceType(int i) const;
  // Makes the element the block's current element.
  void SetCurrentFace(PolyElement* element);

  // The dual block of its owner.
  bool IsDual() const;
  // The element list that plays the face role: the faces for the base block, the
  // vertices for the dual block.
  ElementList* GetPlaneModel() const;
  // The dual block when called on the base block, else null.
  FaceTypeBlock* GetDualStellation() const;
  // True when the current stellation is the block's own model: not stellated, or no
  // cell's inclusion differs from the original.
  static bool IsOriginalStellation(const FaceTypeBlock* block);
  // Whether an element of the plane model carries a placed image.
  bool HasFaceImages() const;

  // The facelet model as it stands (null until the stellation code builds one).
  Model3D* GetExistingModel3D() const { return mModel3D.get(); }

  Poly* mOwner;
  int32_t mState = 0;
  uint8_t mStellationRefused = 0;
  PolyElement* mCurrentFace = nullptr;
  FaceType* mFirstFaceType = nullptr;
  FaceType* mLastFaceType = nullptr;
  int32_t mChangedCells = 0;
  double mShortestEdge = -1.0;
  double mLongestEdge = -1.0;
  double mModelRadius = -1.0;
  std::unique_ptr<Model3D> mModel3D;
};

}  // namespace corvia
