#pragma once
// The 3D cells of a stellation. The planes of a face-type block cut space into closed
// cells and one unbounded region (the outer cell); each cell record stands for one class
// of cells under the model's rotations. A cell is bounded by facet sides: a lower facet
// has the cell above it (the cell on its other side lies nearer the centre and supports
// this one), an upper facet has it below. A stellation is a choice of included cells; its
// surface is made of the facets between an included and an excluded cell.
//
// Cells are sorted into layers (cell types) breadth first from the core; the last layer
// holds only the outer cell. A cell whose mirror image is a different class is followed
// in the list by that mirror cell.

#include <cstdint>
#include <vector>

namespace corvia {

class FaceTypeBlock;
class Outcome;
struct StellationFacet;
struct StellationCellType;

// ---- StellationCell::mFlags --------------------------------------------------------------
constexpr uint32_t kCellIncluded = 0x1;
constexpr uint32_t kCellHasMirror = 0x2;        // the next cell is its distinct mirror image
constexpr uint32_t kCellIsMirror = 0x4;         // the mirror image of the previous cell
constexpr uint32_t kCellVisited = 0x8;          // visit mark of flood fills and criteria
constexpr uint32_t kCellInList = 0x10;          // member of a candidate list
// Left out of the drawing by the Show/Hide commands; the stellation keeps the cell
// (included or not) and nothing that works on the cells reads the mark.
constexpr uint32_t kCellHidden = 0x20;
constexpr uint32_t kCellSingleCopy = 0x40;      // the core, alone in its layer
constexpr uint32_t kCellOnAxis = 0x80;          // a symmetry axis runs through it
constexpr uint32_t kCellAxisKind0 = 0x100;      // ... of the group's first axis type
constexpr uint32_t kCellAxisKind1 = 0x200;      // ... of the second; neither: the third
constexpr uint32_t kCellUnsupportable = 0x400;  // sits on a facet that faces the unbounded region
constexpr uint32_t kCellOriginal = 0x800;       // inside the original model
constexpr uint32_t kCellArrayMark = 0x1000;
constexpr uint32_t kCellBlocked = 0x2000;  // Miller pockets; the saved selection of Primary
constexpr uint32_t kCellPending = 0x4000;  // Miller's Rules

// ---- Program-wide settings ------------------------------------------------------------
// The stellation criteria.
constexpr int32_t kCriteriaMainline = 0;
constexpr int32_t kCriteriaPrimary = 1;
constexpr int32_t kCriteriaMonoacral = 2;
constexpr int32_t kCriteriaFullySupported = 3;
constexpr int32_t kCriteriaMiller = 4;
constexpr int32_t kCriteriaExhaustive = 5;
extern int32_t StellationCriteria;
// The option bits live with the symmetry operations (StellationOptions, bit 1 Maintain
// Reflexibility); this is bit 4.
constexpr uint32_t kStellationFullSupportAroundCore = 0x4;
// "Stellation > Auto-frame Changed Stellation".
extern bool AutoFrameStellation;

// Undo steps of the stellation.
constexpr int kUndoStellationChange = 29;
constexpr int kUndoDualStellationChange = 30;

// Panes that are fitted or re-framed when the stellation changes.
constexpr unsigned kViewKindFitOnStellation = 0x10000;
constexpr unsigned kPaneStellationOfBase = 0x2903;
constexpr unsigned kPaneStellationOfDual = 0x2A04;
constexpr unsigned kPaneFaceOfStellation = 0xA408;
// The information tree's reason for a stellation change.
constexpr unsigned kInfoReasonStellation = 2;
constexpr unsigned kInfoReasonStellationSetup = 7;

struct StellationCell {
  FaceTypeBlock* mOwner = nullptr;
  int32_t mIndex = -1;
  int32_t mNumFacets = 0;
  int32_t mNumLowerFacets = 0;
  // Lower facets first.
  std::vector<StellationFacet*> mFacets;
  // Per facet, the cell on its other side (the cell itself across a facet whose two
  // sides both belong to it).
  std::vector<StellationCell*> mNeighbours;
  StellationCellType* mType = nullptr;
  uint32_t mFlags = 0;
  int32_t mMillerLevel = -1;
  StellationCell* mNext = nullptr;
  StellationCell* mPrev = nullptr;
  StellationCell* mNextInList = nullptr;
  StellationCell* mPrevInList = nullptr;

  bool IsIncluded() const { return (mFlags & kCellIncluded) != 0; }
  bool IsHidden() const { return (mFlags & kCellHidden) != 0; }
  void SetHidden(bool hidden) { mFlags = hidden ? (mFlags | kCellHidden) : (mFlags & ~kCellHidden); }
  bool IsOuter() const;
  // The one way to change inclusion: nothing for the outer cell or the current state;
  // clears the block's criteria-applied flag.
  static void SetIncluded(StellationCell* cell, bool on);
  // The change itself, with the surface, the counts, the mirror partner under Maintain
  // Reflexibility, the undo record and the redraws.
  void SetIncludedInner(bool on);
  static int GetIndex(const StellationCell* cell) { return cell ? cell->mIndex : -1; }
  static int GetIndexInType(const StellationCell* cell);
  int GetNumCopies() const;
  // The next cell with kCellHasMirror, the previous with kCellIsMirror, else itself.
  StellationCell* GetMirrorPartner() const;
  // "%d-%d": layer number and index, in rotating buffers.
  static const char* GetName(const StellationCell* cell);

  // Every lower facet not on a face through the centre has an included cell below it.
  bool IsSupported() const;
  // Some upper facet not on a face through the centre has an included cell above it.
  bool HasIncludedAbove() const;
  // Includes the cell and, recursively, what it needs for support; on failure the cell
  // is excluded and false returned.
  bool IncludeWithSupport();
  // The same, refusing chains deeper than depth.
  bool IncludeWithSupportWithin(int depth);
};

// One layer of cells.
struct StellationCellType {
  int32_t mIndex = 0;
  int32_t mNumCells = 0;
  StellationCell* mFirstCell = nullptr;
  // The candidate list of Fully Supported.
  StellationCell* mFirstInList = nullptr;
  StellationCell* mLastInList = nullptr;
  StellationCellType* mNext = nullptr;
  StellationCellType* mPrev = nullptr;
};

// Sets every facet's hemi partner (its image in a plane through the centre turned over
// onto itself) and pairs the facets of mirror-image planes.
void SetHemiSelfPointers(FaceTypeBlock* block);
// Whether the diagrams hold the images of their segments that SetHemiSelfPointers pairs
// facets by; false, refused in *why when given, where the diagrams of a plane and its
// image part crossings too near together differently.
bool MirrorDiagramsAgree(FaceTypeBlock* block, Outcome* why);
// Breadth first over the cells whose inclusion equals `included`, marking kCellVisited.
void FloodFill(FaceTypeBlock* block, StellationCell* start, bool included);
// The panes and the information tree hear that the block's cells changed (framing the
// stellation panes again under Auto-frame).
void TellCellsChanged(FaceTypeBlock* block);
// Includes the mirror image of every included cell.
void IncludeMirrorPartners(FaceTypeBlock* block);
// The included cell that a facet of the surface bounds: the one of its two cells that
// is included while the other is not; null for a facet off the surface.
StellationCell* GetSurfaceCell(const StellationFacet* facet);

// The program-wide criteria and options; both clear the criteria state of the current
// model's blocks when they change.
void SetStellationCriteria(int32_t value);
void SetStellationOptions(uint32_t bits, bool fromFile);
void ToggleStellationOptions(uint32_t bits);

// The stellation's undo steps (recorded through the document's undo list).
void AddStellationUndo(FaceTypeBlock* block);
void AddStellationCellUndo(StellationCell* cell, bool included);
void CloseStellationUndo();

}  // namespace corvia
