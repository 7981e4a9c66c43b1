#pragma once
// The per-side classification of a model's planes. Every Poly holds two blocks: the
// base block, whose planes are the model's faces, and the dual block, whose planes are
// the model's vertices taken as faces of the dual. A block owns everything computed
// from its planes: the face types, their diagrams, the cells of the stellation, the
// state of the stellation criteria, the faceting engine and the facelet model of the
// current stellation, together with cached measures and construction-kit counts.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/TimeSpan.h"
#include "model/FaceType.h"
#include "model/ModelPart.h"
#include "model/ModelRecord.h"

namespace corvia {

class Outcome;
class Poly;
class PolyElement;
class ElementList;
class Model3D;
class Faceting;
struct StellationCell;
struct StellationCellType;
struct MillerState;
struct MillerEntry;
struct BlockStellation;

// FaceTypeBlock::mState.
constexpr int32_t kBlockNotStellated = 0;
constexpr int32_t kBlockStellated = 2;

// Construction-kit panel table: kinds (triangle, square, second square kind,
// pentagon) by the five kit colours.
constexpr int kKitPanelKinds = 4;
constexpr int kKitColours = 5;
constexpr int32_t kKitNotCounted = -1;  // all bits set

// One record the face-type set-up keeps for a coplanar plane.
struct CoplanarRecord {
  double mWords[8] = {0, 0, 0, 0, 0, 0, 0, 0};
};

// Complexity estimates above this are reported as one more.
constexpr int64_t kComplexityCap = 2500000;

// The elements and face types walked so far by the questions about a whole side of a
// model (FaceTypeBlock::HasCornersAtInfinity, CountPlanes, CountDistinctFaceTypes): a
// paint or a pick asks each such question once, never once per element it draws.
uint64_t CountWholeWalkSteps();
void AddWholeWalkSteps(uint64_t steps);

class FaceTypeBlock {
 public:
  explicit FaceTypeBlock(Poly* owner);
  ~FaceTypeBlock();
  FaceTypeBlock(const FaceTypeBlock&) = delete;
  FaceTypeBlock& operator=(const FaceTypeBlock&) = delete;

  // ---- Life cycle and lists ------------------------------------------------------
  // Forgets the stellation and the cached values. Full: also the refused flag, the
  // current face and the face-type list; partial: the block refuses to stellate and
  // every type forgets its stellation diagram. Returns -1.
  int Reset(bool full);
  // Frees the facelet model, criteria state and cell types; full: destroys every face
  // type; partial: clears every type's stellation diagram; then frees the cells and
  // resets the block the same way.
  void Clear(bool full);
  void FreeCellArrays();

  void AppendFaceType(FaceType* type);
  int CountFaceTypes() const;
  // Types that are not coplanar copies of another.
  int CountDistinctFaceTypes() const;
  // The i-th type; null for a negative i or past the end.
  FaceType* GetFaceType(int i) const;
  // Sorts the list with a three-way comparator (ties keep the list order), relinks it
  // and renumbers the types 0, 1, ...
  void SortFaceTypes(int (*compare)(const FaceType*, const FaceType*));
  // Makes the element the block's current element.
  void SetCurrentFace(PolyElement* element);
  // The i-th diagram point of the current face's type, outer points first.
  StellationPoint* GetCurrentPointByIndex(int i) const;

  // ---- Per-type set-up -------------------------------------------------------------
  // Draws each type's representative face into its face diagram.
  void CreateFaceDiagrams();
  // Stores the absolute area, respectively the solid angle, of each type's
  // representative face in the type.
  void UpdateFaceAreas();
  void UpdateFaceMeasure();
  // Finds every type's mirror partner or in-plane mirror line and aligns the partner
  // frames (the set-up step "CheckReflectivity").
  void AlignFaceFrames();

  // ---- Questions ---------------------------------------------------------------------
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
  // Whether the owner's symmetry has reflections.
  bool IsReflexible() const;
  // A rough count of the work a stellation of the block takes.
  int64_t EstimateComplexity() const;
  // The planes of the faces, each once: the sizes of the distinct types' orbits.
  int64_t CountPlanes() const;

  // ---- Cells -------------------------------------------------------------------------
  int GetNumCells() const;
  int CountCellsNoMirror() const;
  int CountCellsNoMirrorIfReflexible() const;
  int CountAllCells() const;
  int CountAllCellsNoMirror() const;
  int GetNumIncludedCells() const { return mIncludedCells; }
  int CountExcludedCells() const;
  int CountIncludedCellCopies() const;
  int GetMaxCellsPerType() const;
  int GetLastCellTypeIndex() const;
  StellationCell* FindCellByIndex(int i) const;
  void SaveInclusionToFlag(uint32_t bits);
  bool InclusionMatchesFlag(uint32_t bits) const;
  void ClearCellFlag(uint32_t bits);

  // ---- Measures ----------------------------------------------------------------------
  void CalcEdgeLengthRange();
  double GetMeanEdgeLength();
  int GetNumPanels();
  void CountPanels();

  // The facelet model of the current stellation, built on demand; with nets, the nets
  // are made once. A build this call ran that was refused (a side with corners at
  // infinity, a stellation set-up that failed) puts its refusal in *why when given; the
  // block remembers it and does not build again, so the caller, which tells it at once,
  // is the only one to get it. Null asks quietly.
  Model3D* GetModel3D(bool withNets, Outcome* why);
  // Whether the facet model is the plain polyhedron's (else it is built from the
  // stellation).
  bool HasPlainFacetModel() const;
  // Whether the side's faces or corners lie at infinity (a face plane through the
  // centre on the other side). Asked of every drawn face's block: the walk over the
  // side is taken once and kept until the block is reset.
  bool HasCornersAtInfinity() const;
  // The facelet model as it stands (null until one is built).
  Model3D* GetExistingModel3D() const { return mModel3D.get(); }
  // The model exists and its nets have been made.
  bool HasNets() const;
  // Whether the block holds a finished stellation.
  bool IsStellated() const { return mState == kBlockStellated && !mStellationRefused; }

  // ---- Cells (StellationCells.cpp) ---------------------------------------------------
  // Builds every cell of a stellated block; false on cancel or when the cells cannot be
  // made (refused in *why when given).
  bool CreateCells(Outcome* why = nullptr);
  // Frees the cells and the cell types, and the cell pointers of every facet.
  void FreeCells();
  // The cells shown changed: the facet model, its refusal, its measures and the marks of
  // the edges it uses go.
  void ForgetFacetModel();
  // Each cell takes the inclusion of its original flag (Stellation > Original Polyhedron).
  void ApplyCellFlags();
  // Includes every finite cell; with reapply, then applies the criteria.
  void IncludeAllCells(bool reapply);
  // Includes exactly the cells above axes of the kind (0, 1, other), in one undo step.
  void SelectCellsOfKind(int kind);
  void SelectUnsupportableCells();
  // Includes every excluded cell that the outside cannot reach; true when one was.
  bool FillInaccessibleCells();
  // The included cells are connected.
  bool FillFromOriginal();
  // No excluded cell is enclosed.
  bool FillFromOutside();
  // Excludes the included cells not connected to start (unless the selection is a part
  // and its mirror image side by side).
  void KeepConnectedPart(StellationCell* start);
  StellationCell* GetOuterCell() const { return mOuterCell; }

  // ---- Criteria (StellationCriteria.cpp) ----------------------------------------------
  // Resets and selects the core of the current criterion.
  void GoToCore();
  // Turns the current cell set into the nearest valid stellation of the criterion; true
  // when that changed a cell.
  bool ApplyCriteria();
  // One step; false when the walk wrapped round (to the core, or to the final
  // stellation). The block is stellated first when it is not yet, a refusal of that
  // set-up in *why when given (null asks quietly).
  bool NextStellation(Outcome* why = nullptr);
  bool PreviousStellation(Outcome* why = nullptr);
  // The cell is included and supported, and every other included cell is supported and
  // has an included cell above it.
  bool IsSinglePeak(const StellationCell* cell) const;
  void ClearMillerState();

  Poly* mOwner;
  int32_t mState = kBlockNotStellated;
  uint8_t mStellationRefused = 0;
  // The refusal is the user's own: the complexity warning was declined or the set-up
  // cancelled. A step the user takes asks again (StellateForStep).
  uint8_t mStellationDeclined = 0;
  // The set-up ran out of memory: no verdict on the model, and a step the user takes asks
  // again (StellateForStep) as after a decline.
  uint8_t mStellationOutOfMemory = 0;
  PolyElement* mCurrentFace = nullptr;
  FaceType* mFirstFaceType = nullptr;
  FaceType* mLastFaceType = nullptr;
  // Elements in the order the face-type set-up works on them.
  std::vector<PolyElement*> mFaceTypeWork;
  // Records kept by the face-type set-up.
  RecordArray<CoplanarRecord> mCoplanarRecords;
  // The stellation's record of the block (stellation/StellationState.h), made the first
  // time the stellation works on it; without it the block has no cells, no stellation
  // diagram and no deferred work.
  Part<BlockStellation> mStellation;
  StellationCell* mFirstCell = nullptr;
  StellationCell* mOuterCell = nullptr;
  StellationCellType* mFirstCellType = nullptr;
  StellationCellType* mLastCellType = nullptr;
  int32_t mIncludedCells = 0;
  // Included cells whose mirror image is excluded (0: the selection is reflexible).
  int32_t mSecondCellCount = 0;
  // Cells whose inclusion differs from the original model (0: the original is shown).
  int32_t mChangedCells = 0;
  // Set while the current cell set was produced by the criteria.
  uint8_t mCriteriaFlag = 0;
  // The apex or last cell of the current stellation (per criterion) and the highest
  // included cell.
  StellationCell* mCurrentCell = nullptr;
  StellationCell* mHighestIncluded = nullptr;
  // The cell the user picked (in a stellation pane or the cell diagram), highlighted in
  // the stellation panes; null when none is picked.
  StellationCell* mSelectedCell = nullptr;
  // Set while the set-up shows the original model: inclusion changes record no undo
  // step and ask the panes for nothing.
  bool mQuietCellChanges = false;
  // Set while the stellation criteria search for a stellation: the cells change to and
  // fro, and the facet model of the stellation shown before stays for the panes to draw
  // meanwhile (none is built); the search drops it when it ends on other cells.
  bool mCellSearch = false;
  int32_t mUsedSegVerts = -1;
  Part<MillerState> mMillerState;
  double mShortestEdge = -1.0;
  double mLongestEdge = -1.0;
  double mModelRadius = -1.0;
  int32_t mPanels[kKitPanelKinds][kKitColours];
  int32_t mRods = kKitNotCounted;
  int32_t mBalls = kKitNotCounted;
  // Why the facet model cannot be built with the construction toy, or what of it
  // cannot be a panel; null when there is nothing to say. Not owned.
  const char* mToyNote = nullptr;
  Part<Model3D> mModel3D;
  // The plain facet model was refused because the side has corners at infinity (the
  // refusal said so); it is not built, nor refused aloud, again until the block's
  // cells or face types change.
  uint8_t mModel3DRefused = 0;
  // The user cancelled the making of the facet model: a drawing does not ask for it
  // again until the block changes or a net pane is chosen again; a command that needs
  // it makes it at once.
  uint8_t mModel3DCancelled = 0;
  // Why, in the words told when it was refused (empty when nothing was said).
  std::string mModel3DRefusal;
  // HasCornersAtInfinity's answer: -1 until asked.
  mutable int8_t mCornersAtInfinity = -1;
  // The faceting engine, made on first use (GetFaceting, stellation/Faceting.h).
  Part<Faceting> mFaceting;
  // Stellation-sequence state.
  uint8_t mSequenceFlags = 0;
  MillerEntry* mCurrentMiller = nullptr;
  StellationCell* mCoreCells = nullptr;
  // Cell arrays of the cell search.
  std::vector<StellationCell*> mCellArrays[3];
  int32_t mCellArrayExtraCount = 0;
  int32_t mCellArrayIndex = -1;
  TimeSpan mDurations[4];
};

}  // namespace corvia
