// Face-type blocks: the list of face types of one side of a model, its life cycle,
// cached measures, the complexity estimate and the construction-kit counts.

#include "model/FaceTypeBlock.h"

#include <atomic>
#include <cmath>
#include <cstring>

#include "core/DrawnPolygon.h"
#include "core/MergeSort.h"
#include "core/Progress.h"
#include "core/TimeFormat.h"
#include "core/VectorMath.h"
#include "model/ColorSchemes.h"
#include "model/ElementFlags.h"
#include "model/ElementList.h"
#include "model/FaceOutline.h"
#include "model/GeomagPanels.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "model/Transitions.h"
#include "platform/Services.h"
#include "symmetry/SymGroup.h"

namespace corvia {

namespace detail_FaceTypeBlock {

// Squared length start of the edge-length search.
constexpr double kNoShortestEdge = 9.99999e99;

// Whether the construction kit can build the block's side of its model.
bool KitAcceptsModel(const FaceTypeBlock* block) {
  Poly* poly = block->mOwner;
  return poly && CanBuildWithKit(poly, block == poly->mDualBlock.get());
}

// The steps of the questions about a whole side or ring (CountWholeWalkSteps).
std::atomic<uint64_t> gWholeWalkSteps{0};

}  // namespace detail_FaceTypeBlock

uint64_t CountWholeWalkSteps() {
  return detail_FaceTypeBlock::gWholeWalkSteps.load(std::memory_order_relaxed);
}

void AddWholeWalkSteps(uint64_t steps) {
  detail_FaceTypeBlock::gWholeWalkSteps.fetch_add(steps, std::memory_order_relaxed);
}

FaceTypeBlock::FaceTypeBlock(Poly* owner) : mOwner(owner) {
  mCoplanarRecords.Init();
  FreeCellArrays();
  Reset(true);
}

FaceTypeBlock::~FaceTypeBlock() {
  if (ModelPart* stellation = AsPart(mStellation)) stellation->BlockGoing(*this);
  Clear(true);
  FreeCellArrays();
}

int FaceTypeBlock::Reset(bool full) {
  if (ModelPart* stellation = AsPart(mStellation)) stellation->StellationReset(*this);
  mState = kBlockNotStellated;
  mFirstCell = mOuterCell = nullptr;
  mFirstCellType = mLastCellType = nullptr;
  mIncludedCells = 0;
  mSecondCellCount = 0;
  mChangedCells = 0;
  mCriteriaFlag = 0;
  mSequenceFlags = 0;
  mCurrentMiller = nullptr;
  mCoreCells = nullptr;
  mCurrentCell = mHighestIncluded = mSelectedCell = nullptr;
  mUsedSegVerts = -1;
  mMillerState.reset();
  FreeCellArrays();

  mShortestEdge = -1.0;
  mLongestEdge = -1.0;
  mModelRadius = -1.0;
  for (auto& row : mPanels) {
    for (int32_t& count : row) count = kKitNotCounted;
  }
  mRods = kKitNotCounted;
  mBalls = kKitNotCounted;
  mToyNote = nullptr;
  mModel3D.reset();
  mModel3DRefused = 0;
  mModel3DCancelled = 0;
  mModel3DRefusal.clear();
  mCornersAtInfinity = -1;
  mStellationDeclined = 0;
  mStellationOutOfMemory = 0;

  if (full) {
    mStellationRefused = 0;
    mCurrentFace = nullptr;
    mFirstFaceType = mLastFaceType = nullptr;
    mFaceTypeWork.clear();
  } else {
    mStellationRefused = 1;
    for (FaceType* type = mFirstFaceType; type; type = type->mNext) {
      type->mFlags &= ~kFaceTypeSharedLine;
      type->mDiagramRadius = 1.0;
      type->mScale = -1.0;
      type->mLayerLimit = -1;
      type->mAllFacets = type->mVisibleFacets = nullptr;
      type->mCentralSegment = type->mFirstSegment = type->mLastSegment = nullptr;
      type->mNumSegments = 0;
      type->mLineEqns = nullptr;
      type->mOuterPoints = type->mInnerPoints = nullptr;
      type->mOuterRing = nullptr;
    }
  }
  return -1;
}

void FaceTypeBlock::Clear(bool full) {
  platform::ViewNotifier* views = platform::Services().views;
  if (views) views->SetWaitCursor(true);
  mModel3D.reset();
  mModel3DRefused = 0;
  mModel3DCancelled = 0;
  mModel3DRefusal.clear();
  mMillerState.reset();
  if (ModelPart* stellation = AsPart(mStellation)) stellation->StellationReset(*this);
  if (full) {
    mCoplanarRecords.Clear();
    FaceType* type = mFirstFaceType;
    while (type) {
      FaceType* next = type->mNext;
      delete type;
      type = next;
    }
    mFirstFaceType = mLastFaceType = nullptr;
    mFaceTypeWork.clear();
  } else {
    for (FaceType* type = mFirstFaceType; type; type = type->mNext) type->ClearStellationDiagram();
  }
  // A partial clear keeps the types it has just cleared: the reset must be partial
  // too, or the list would be dropped and the refused flag lost.
  Reset(full);
  if (views) views->SetWaitCursor(false);
}

void FaceTypeBlock::FreeCellArrays() {
  for (auto& array : mCellArrays) {
    array.clear();
    array.shrink_to_fit();
  }
  mCellArrayExtraCount = 0;
  mCellArrayIndex = -1;
  for (TimeSpan& span : mDurations) span = TimeSpan();
  if (ModelPart* stellation = AsPart(mStellation)) stellation->CellArraysCleared(*this);
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
  int count = 0, walked = 0;
  for (const FaceType* type = mFirstFaceType; type; type = type->mNext, ++walked) {
    if (!type->mCoplanarMaster) ++count;
  }
  AddWholeWalkSteps(static_cast<uint64_t>(walked));
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

void FaceTypeBlock::SortFaceTypes(int (*compare)(const FaceType*, const FaceType*)) {
  if (!mFirstFaceType) return;
  std::vector<FaceType*> types;
  for (FaceType* type = mFirstFaceType; type; type = type->mNext) types.push_back(type);
  // The comparators compare within tolerances; the merge sort stays sound on them and
  // keeps ties in list order.
  // A large model's types take a while to sort: the window answers every so many
  // comparisons, and a cancel is left for the caller's next report.
  ProgressTicker tick(ProgressTicker::kPasses * 16);
  MergeSort(types, [compare, &tick](FaceType* a, FaceType* b) {
    (void)tick();
    return compare(a, b);
  });
  mFirstFaceType = types.front();
  for (size_t i = 0; i < types.size(); ++i) {
    types[i]->mIndex = static_cast<int32_t>(i);
    types[i]->mNext = i + 1 < types.size() ? types[i + 1] : nullptr;
  }
  mLastFaceType = types.back();
}

void FaceTypeBlock::SetCurrentFace(PolyElement* element) {
  if (element != mCurrentFace) mCurrentFace = element;
}

void FaceTypeBlock::CreateFaceDiagrams() {
  for (FaceType* type = mFirstFaceType; type; type = type->mNext) {
    if (!ProgressTick()) return;
    PolyElement* face = type->mFirstFace;
    if (!face || type->mCoplanarMaster || face->HasFlag(kElementInf)) continue;
    type->mResults[0].Reset();
    type->mDiagramCells = nullptr;
    // The results live in the model's own pools, as long as its face types; the
    // faces' copies of the cells get their colours on the next update.
    BuildFaceOutlineDiagram(face, &type->mFaceDiagram, &type->mResults[0], &type->mDiagramCells,
                            mOwner->mDiagramWorkPools.get(), mOwner->mDiagramResultPools.get(),
                            (mOwner->mPolyFlags & kPolyFlagOneSidedFace) != 0);
    mOwner->mPolyFlags |= kPolyFlagCellColoursFront;
  }
}

void FaceTypeBlock::UpdateFaceAreas() {
  for (FaceType* type = mFirstFaceType; type; type = type->mNext) {
    const PolyElement* first = type->mFirstFace;
    if (first) type->mArea = first->HasCornerAtInfinity() ? 0.0 : std::fabs(first->GetArea());
  }
}

void FaceTypeBlock::UpdateFaceMeasure() {
  for (FaceType* type = mFirstFaceType; type; type = type->mNext) {
    if (type->mFirstFace) type->mCornerMeasure = type->mFirstFace->GetSolidAngle();
  }
}

void FaceTypeBlock::AlignFaceFrames() {
  TraceScope scope("CheckReflectivity");
  FindMirrorPartners(this);
}

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
  return !block || block->mState == kBlockNotStellated || block->mChangedCells == 0;
}

bool FaceTypeBlock::HasFaceImages() const {
  const ElementList* planes = GetPlaneModel();
  return planes && planes->HasOtherImageEntry(nullptr);
}

bool FaceTypeBlock::IsReflexible() const { return mOwner && mOwner->mReflexible != 0; }

int64_t FaceTypeBlock::CountPlanes() const {
  const SymGroup* group = mOwner ? mOwner->mSymGroup : nullptr;
  const int64_t order = group && group->numRotations > 0 ? group->numRotations : 1;
  int64_t planes = 0;
  uint64_t walked = 0;
  for (const FaceType* type = mFirstFaceType; type; type = type->mNext) {
    ++walked;
    if (type->mCoplanarMaster) continue;
    // A type whose order is not yet known counts as having no rotations.
    const int64_t rotations = type->mNumRotations > 0 ? type->mNumRotations : 1;
    planes += order / rotations;
  }
  AddWholeWalkSteps(walked);
  return planes;
}

bool FaceTypeBlock::HasCornersAtInfinity() const {
  if (mCornersAtInfinity >= 0) return mCornersAtInfinity != 0;
  if (!mOwner) return false;
  ElementList* faces = nullptr;
  ElementList* vertices = nullptr;
  mOwner->GetParts(IsDual(), &faces, &vertices, nullptr, nullptr);
  bool infinite = false;
  uint64_t walked = 0;
  // A corner at infinity is a face of the other side through the centre; a face at
  // infinity is the pole of a vertex at the centre.
  for (const PolyElement* e = vertices ? vertices->mHead : nullptr; e && !infinite; e = e->mNext, ++walked) {
    infinite = e->HasFlag(kElementHemi);
  }
  for (const PolyElement* e = faces ? faces->mHead : nullptr; e && !infinite; e = e->mNext, ++walked) {
    infinite = e->HasFlag(kElementInf);
  }
  AddWholeWalkSteps(walked);
  mCornersAtInfinity = infinite ? 1 : 0;
  return infinite;
}

int64_t FaceTypeBlock::EstimateComplexity() const {
  const int64_t planes = CountPlanes();
  const int64_t types = CountDistinctFaceTypes();
  const double spread = static_cast<double>(planes - 2);
  const double estimate = (spread * spread * 0.5 + 1.0) * static_cast<double>(types);
  if (estimate > static_cast<double>(kComplexityCap)) return kComplexityCap + 1;
  return ((planes - 2) * (planes - 2) / 2 + 1) * types;
}

// ---- Measures ------------------------------------------------------------------------

void FaceTypeBlock::CalcEdgeLengthRange() {
  if (mLongestEdge >= 0.0) return;
  double shortest = detail_FaceTypeBlock::kNoShortestEdge;
  double longest = -1.0;
  for (const FaceType* type = mFirstFaceType; type; type = type->mNext) {
    const PolyElement* face = type->mFirstFace;
    // A face without two corners has no edge to measure.
    if (!face || face->mNumSides < 2) continue;
    const int n = face->mNumSides;
    for (int i = 0; i < n; ++i) {
      const PolyElement* a = face->mNeighbours[(i + n - 1) % n];
      const PolyElement* b = face->mNeighbours[i];
      if (!a || !b) continue;
      double d[3];
      Subtract(d, b->mDualVert, a->mDualVert);
      const double squared = Dot(d, d);
      if (squared < shortest) shortest = squared;
      if (squared > longest) longest = squared;
    }
  }
  if (longest < 0.0) {
    // No edge at all: zero lengths, so that the range is not asked for again and no
    // square root of the start values is taken.
    mShortestEdge = mLongestEdge = 0.0;
    return;
  }
  mShortestEdge = std::sqrt(shortest);
  mLongestEdge = std::sqrt(longest);
}

double FaceTypeBlock::GetMeanEdgeLength() {
  CalcEdgeLengthRange();
  return 0.5 * (mShortestEdge + mLongestEdge);
}

int FaceTypeBlock::GetNumPanels() {
  CountPanels();
  int total = 0;
  for (const auto& row : mPanels) {
    for (int32_t count : row) total += count;
  }
  return total;
}

void FaceTypeBlock::CountPanels() {
  if (mRods >= 0) return;
  for (auto& row : mPanels) {
    for (int32_t& count : row) count = 0;
  }
  mRods = 0;
  mBalls = 0;
  if (!mOwner || !detail_FaceTypeBlock::KitAcceptsModel(this)) return;
  mRods = mOwner->mNumEdges;
  // The balls are the elements of the other role: the vertices for the base block.
  mBalls = IsDual() ? mOwner->mFaces.mCount : mOwner->mVertices.mCount;
  for (FaceType* type = mFirstFaceType; type; type = type->mNext) {
    if (!type->CanBuildPanel() || !type->mFirstFace) continue;
    GeomagFaceParts parts;
    const bool rhombus = (type->mFlags & kFaceTypePanelSquare2) != 0;
    if (!GetGeomagFaceParts(type->mFirstFace->mNumSides, rhombus, parts)) continue;
    for (PolyElement* face = type->mFirstFace; face; face = face->mNextOfType) {
      int colour = FindGeomagPanelColor(face->mColor);
      if (colour < 0) colour = 0;
      for (int shape = 0; shape < kGeomagPanelShapes; ++shape) mPanels[shape][colour] += parts.panels[shape];
    }
    mRods += type->mCount * parts.extraRods;
    mBalls += type->mCount * parts.extraBalls;
  }
}

}  // namespace corvia
