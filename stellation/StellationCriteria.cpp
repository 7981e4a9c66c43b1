// The stellation criteria: which cell sets count as stellations and in which order the
// user walks through them. Mainline takes whole layers; Primary grows a region of one
// facet; Monoacral takes one peak with its support; Fully Supported counts through the
// support layers like binary numbers; Miller's Rules searches depth first for connected
// sets that enclose nothing; the exhaustive search tries every subset.

#include "stellation/StellationCriteria.h"

#include <algorithm>
#include <utility>

#include <vector>

#include "core/Messages.h"
#include "core/Progress.h"
#include "model/FaceType.h"
#include "model/FaceTypeBlock.h"
#include "model/Poly.h"
#include "platform/Services.h"
#include "stellation/Stellate.h"
#include "stellation/StellationCell.h"
#include "stellation/StellationDiagram.h"
#include "symmetry/SymOperations.h"

namespace corvia {

namespace detail_StellationCriteria {

constexpr const char* kPrimaryRefused =
    "Error: Only reflexible isohedral models have \"primary\" stellations.\nYou can change your stellation criteria by "
    "choosing from the\n\"Stellation->Stellation Criteria\" sub-menu.";
constexpr const char* kNoPrevious =
    "Sorry, going to the previous stellation when\nusing Miller's rules has not been implemented.\n\nIf you want to go "
    "back to a stellation you just\npassed, try using Ctrl+Z to undo instead.";
// Candidates of the exhaustive search between progress reports.
constexpr int kCandidatesPerReport = 1024;

bool MaintainReflexibility() {
  return (StellationOptions & kStellationMaintainReflexibility) != 0;
}

MillerState& State(FaceTypeBlock* block) {
  if (!block->mMillerState) block->mMillerState = MakePart<MillerState>();
  return *block->mMillerState;
}

bool IsFinite(const FaceTypeBlock* block, const StellationCell* cell) {
  return cell && cell != block->mOuterCell;
}

void ExcludeAll(FaceTypeBlock* block) {
  for (StellationCell* c = block->mFirstCell; IsFinite(block, c); c = c->mNext) StellationCell::SetIncluded(c, false);
}

// The cells of a layer.
StellationCell* LastOfType(const StellationCellType* type) {
  if (!type || !type->mFirstCell || type->mNumCells <= 0) return nullptr;
  StellationCell* cell = type->mFirstCell;
  for (int i = 1; i < type->mNumCells && cell->mNext; ++i) cell = cell->mNext;
  return cell;
}

void IncludeType(const StellationCellType* type, bool on) {
  StellationCell* cell = type->mFirstCell;
  for (int i = 0; i < type->mNumCells && cell; ++i, cell = cell->mNext) StellationCell::SetIncluded(cell, on);
}

// ---- Mainline ------------------------------------------------------------------------------

void MainlineCore(FaceTypeBlock* block) {
  ExcludeAll(block);
  IncludeType(block->mFirstCellType, true);
  block->mCurrentCell = LastOfType(block->mFirstCellType);
}

void MainlineApply(FaceTypeBlock* block) {
  StellationCell* highest = block->mHighestIncluded;
  if (!highest || !highest->mType) {
    MainlineCore(block);
    return;
  }
  for (StellationCellType* type = block->mFirstCellType; type && type != block->mLastCellType; type = type->mNext) {
    IncludeType(type, type->mIndex <= highest->mType->mIndex);
  }
  block->mCurrentCell = LastOfType(highest->mType);
}

bool MainlineNext(FaceTypeBlock* block) {
  StellationCellType* layer = block->mCurrentCell ? block->mCurrentCell->mType : nullptr;
  StellationCellType* next = layer ? layer->mNext : block->mFirstCellType;
  if (!next || next == block->mLastCellType) {
    block->GoToCore();
    return false;
  }
  IncludeType(next, true);
  block->mCurrentCell = LastOfType(next);
  return true;
}

bool MainlinePrevious(FaceTypeBlock* block) {
  StellationCellType* layer = block->mCurrentCell ? block->mCurrentCell->mType : nullptr;
  if (!layer || layer == block->mFirstCellType) {
    block->IncludeAllCells(true);
    return false;
  }
  for (StellationCell* c = block->mCurrentCell; c && c->mType == layer; c = c->mPrev)
    StellationCell::SetIncluded(c, false);
  block->mCurrentCell = LastOfType(layer->mPrev);
  return true;
}

// ---- Primary ---------------------------------------------------------------------------------

FaceType* FirstDistinctType(const FaceTypeBlock* block) {
  for (FaceType* t = block->mFirstFaceType; t; t = t->mNext) {
    if (!t->mCoplanarMaster) return t;
  }
  return nullptr;
}

bool PrimaryAllowed(const FaceTypeBlock* block) {
  if (!block->IsReflexible()) return false;
  std::vector<const FaceType*> types;
  for (const FaceType* t = block->mFirstFaceType; t; t = t->mNext) {
    if (!t->mCoplanarMaster) types.push_back(t);
  }
  if (types.size() == 1) return true;
  return types.size() == 2 && types[0]->mMirrorPartner == types[1] && types[1]->mMirrorPartner == types[0];
}

StellationFacet* LowestVisibleFacet(const FaceType* type) {
  StellationFacet* lowest = nullptr;
  for (StellationFacet* f = type->mVisibleFacets; f; f = f->mNextVisible) {
    if (!lowest || f->mNumber < lowest->mNumber) lowest = f;
  }
  return lowest;
}

// Builds the stellation that facet f stands for; false when it does not qualify.
bool TryPrimary(FaceTypeBlock* block, FaceType* type, StellationFacet* f) {
  if (f->mMirror && f->mMirror->mNumber < f->mNumber && f->mMirror->mOwner == type) return false;
  const SegVert* corner = f->mSegments[0]->mFirst;
  int steps = 0;
  do {
    if (!corner->mLine->LiesInMirrorPlane(type)) {
      const StellationFacet* across = corner->mTwin ? corner->mTwin->GetFacet() : nullptr;
      if (across && across->mNumber < f->mNumber) return false;
    }
    corner = corner->mNext;
  } while (corner != f->mSegments[0]->mFirst && ++steps < 100000);

  ExcludeAll(block);
  std::vector<StellationFacet*> region = {f};
  f->mFlags |= kFacetCollected;
  bool ok = true;
  for (size_t i = 0; i < region.size() && ok; ++i) {
    const SegVert* c = region[i]->mSegments[0]->mFirst;
    int count = 0;
    do {
      if (!c->mLine->LiesInMirrorPlane(type)) {
        StellationFacet* across = c->mTwin ? c->mTwin->GetFacet() : nullptr;
        if (!across) {
          ok = false;
          break;
        }
        if (!(across->mFlags & kFacetCollected)) {
          across->mFlags |= kFacetCollected;
          region.push_back(across);
        }
      }
      c = c->mNext;
    } while (c != region[i]->mSegments[0]->mFirst && ++count < 100000);
  }
  for (StellationFacet* g : region) g->mFlags &= ~kFacetCollected;
  if (!ok) return false;
  for (StellationFacet* g : region) {
    if (!IsFinite(block, g->mCellBelow)) return false;
    StellationCell::SetIncluded(g->mCellBelow, true);
    if (g->mMirror && IsFinite(block, g->mMirror->mCellBelow))
      StellationCell::SetIncluded(g->mMirror->mCellBelow, true);
  }
  block->FillInaccessibleCells();
  if (LowestVisibleFacet(type) != f) return false;
  block->mCurrentCell = f->mCellBelow;
  return true;
}

bool PrimaryRefused(FaceTypeBlock* block) {
  if (PrimaryAllowed(block)) return false;
  platform::Services().views->SetPaneMessage(kPrimaryRefused);
  return true;
}

bool PrimaryApply(FaceTypeBlock* block) {
  if (PrimaryRefused(block)) return false;
  FaceType* type = FirstDistinctType(block);
  if (!type || !type->mAllFacets) return false;
  block->SaveInclusionToFlag(kCellBlocked);
  StellationFacet* start = nullptr;
  StellationCell* current = block->mCurrentCell;
  if (current && current->mNumFacets > current->mNumLowerFacets) {
    start = current->mFacets[static_cast<size_t>(current->mNumLowerFacets)];
    if (start->mOwner != type) start = start->mMirror && start->mMirror->mOwner == type ? start->mMirror : nullptr;
  }
  if (!start) {
    for (start = type->mAllFacets; start->mNext; start = start->mNext) {
    }
  }
  bool accepted = false;
  for (StellationFacet* f = start; f && !accepted; f = f->mPrev) accepted = TryPrimary(block, type, f);
  const bool same = block->InclusionMatchesFlag(kCellBlocked);
  block->ClearCellFlag(kCellBlocked);
  if (accepted && same) block->mCriteriaFlag = 1;
  return true;
}

bool PrimaryStep(FaceTypeBlock* block, bool forwards) {
  if (PrimaryRefused(block)) return false;
  FaceType* type = FirstDistinctType(block);
  if (!type || !type->mAllFacets) return false;
  StellationFacet* lowest = LowestVisibleFacet(type);
  StellationFacet* f = lowest ? (forwards ? lowest->mNext : lowest->mPrev) : (forwards ? type->mAllFacets : nullptr);
  for (; f; f = forwards ? f->mNext : f->mPrev) {
    if (TryPrimary(block, type, f)) return true;
  }
  if (forwards) {
    block->GoToCore();
  } else {
    block->IncludeAllCells(true);
  }
  return false;
}

// ---- Monoacral --------------------------------------------------------------------------------

void MonoacralCore(FaceTypeBlock* block) {
  ExcludeAll(block);
  block->mCurrentCell = block->mFirstCell;
  StellationCell::SetIncluded(block->mFirstCell, true);
}

void MonoacralApply(FaceTypeBlock* block) {
  StellationCell* current = block->mCurrentCell ? block->mCurrentCell : block->mHighestIncluded;
  if (current && block->IsSinglePeak(current)) return;
  while (current) {
    if ((current->mFlags & kCellIsMirror) && current->mPrev) current = current->mPrev;
    ExcludeAll(block);
    if (current->IncludeWithSupport()) {
      block->mCurrentCell = current;
      return;
    }
    current = current->mPrev;
  }
  MonoacralCore(block);
}

bool MonoacralStep(FaceTypeBlock* block, bool forwards) {
  StellationCell* cell = block->mCurrentCell;
  for (;;) {
    ExcludeAll(block);
    cell = cell ? (forwards ? cell->mNext : cell->mPrev) : nullptr;
    while (cell && (cell->mFlags & kCellIsMirror)) cell = forwards ? cell->mNext : cell->mPrev;
    if (!IsFinite(block, cell)) {
      if (forwards) {
        block->GoToCore();
      } else {
        block->IncludeAllCells(true);
      }
      return false;
    }
    if (cell->IncludeWithSupport()) {
      block->mCurrentCell = cell;
      return true;
    }
  }
}

// A chiral set is shown in one hand only: the one whose highest unpaired cell is an
// original.
bool ShownHand(const FaceTypeBlock* block) {
  if (block->mSecondCellCount == 0) return true;
  for (const StellationCell* c = block->mOuterCell ? block->mOuterCell->mPrev : nullptr; c; c = c->mPrev) {
    if (!c->IsIncluded()) continue;
    const StellationCell* partner = c->GetMirrorPartner();
    if (partner != c && !partner->IsIncluded()) return !(c->mFlags & kCellIsMirror);
  }
  return true;
}

// ---- Fully Supported ------------------------------------------------------------------------

// Under Maintain Reflexibility a mirror copy follows its original and is no digit of
// the count.
bool SkipInCount(const StellationCell* cell) {
  return (cell->mFlags & kCellIsMirror) && MaintainReflexibility();
}

void ClearList(std::vector<StellationCell*>& list) {
  for (StellationCell* c : list) c->mFlags &= ~kCellInList;
  list.clear();
}

void Enlist(std::vector<StellationCell*>& list, StellationCell* cell) {
  cell->mFlags |= kCellInList;
  list.push_back(cell);
}

// The cells directly above the list's cells (across facets not on a face through the
// centre) that are supported and in no list yet; mirror pairs side by side, the
// original first.
std::vector<StellationCell*> BuildList(FaceTypeBlock* block, const std::vector<StellationCell*>& below) {
  std::vector<StellationCell*> list;
  auto qualifies = [block](const StellationCell* c) {
    return IsFinite(block, c) && !(c->mFlags & kCellInList) && c->IsSupported();
  };
  for (StellationCell* cell : below) {
    for (int i = cell->mNumLowerFacets; i < cell->mNumFacets; ++i) {
      if (cell->mFacets[static_cast<size_t>(i)]->mFlags & kFacetHemi) continue;
      StellationCell* above = cell->mNeighbours[static_cast<size_t>(i)];
      if (!qualifies(above)) continue;
      StellationCell* partner = above->GetMirrorPartner();
      const bool pair = partner != above && qualifies(partner);
      if (pair && (above->mFlags & kCellIsMirror)) Enlist(list, partner);
      Enlist(list, above);
      if (pair && !(above->mFlags & kCellIsMirror)) Enlist(list, partner);
    }
  }
  return list;
}

std::vector<StellationCell*> FirstList(FaceTypeBlock* block) {
  std::vector<StellationCell*> list;
  const StellationCellType* first = block->mFirstCellType;
  StellationCell* cell = first ? first->mFirstCell : nullptr;
  for (int i = 0; first && i < first->mNumCells && cell; ++i, cell = cell->mNext) Enlist(list, cell);
  return list;
}

bool AnyIncluded(const std::vector<StellationCell*>& list) {
  for (const StellationCell* c : list) {
    if (c->IsIncluded()) return true;
  }
  return false;
}

void ClearLists(MillerState& state) {
  for (auto& list : state.lists) ClearList(list);
  state.lists.clear();
}

void FullySupportedCore(FaceTypeBlock* block) {
  MillerState& state = State(block);
  ClearLists(state);
  ExcludeAll(block);
  state.lists.push_back(FirstList(block));
  std::vector<StellationCell*>& first = state.lists.front();
  if (StellationOptions & kStellationFullSupportAroundCore) {
    for (StellationCell* c : first) StellationCell::SetIncluded(c, true);
  } else if (!first.empty()) {
    StellationCell::SetIncluded(first.front(), true);
  }
  state.lists.push_back(BuildList(block, state.lists.back()));
}

void FullySupportedApply(FaceTypeBlock* block) {
  std::vector<StellationCell*> included;
  for (StellationCell* c = block->mFirstCell; IsFinite(block, c); c = c->mNext) {
    if (c->IsIncluded()) included.push_back(c);
  }
  for (auto it = included.rbegin(); it != included.rend(); ++it) {
    if ((*it)->IsIncluded()) (*it)->IncludeWithSupport();
  }
  if (StellationOptions & kStellationFullSupportAroundCore) IncludeType(block->mFirstCellType, true);
  MillerState& state = State(block);
  ClearLists(state);
  state.lists.push_back(FirstList(block));
  while (AnyIncluded(state.lists.back())) state.lists.push_back(BuildList(block, state.lists.back()));
  // Cells that no support layer reaches cannot stay.
  bool any = false;
  for (StellationCell* c = block->mFirstCell; IsFinite(block, c); c = c->mNext) {
    if (c->IsIncluded() && !(c->mFlags & kCellInList)) StellationCell::SetIncluded(c, false);
    any = any || c->IsIncluded();
  }
  // None of them (the cells of a model with faces through the centre can all stand on
  // those faces, which support nothing): the nearest fully supported set is the core.
  if (!any) FullySupportedCore(block);
}

// One step of the binary counter of a list; false when it carried over.
bool CountUp(std::vector<StellationCell*>& list) {
  for (StellationCell* c : list) {
    if (SkipInCount(c)) continue;
    if (c->IsIncluded()) {
      StellationCell::SetIncluded(c, false);
    } else {
      StellationCell::SetIncluded(c, true);
      return true;
    }
  }
  return false;
}

// One step down; true when a cell of the list stays included.
bool CountDown(std::vector<StellationCell*>& list) {
  std::vector<StellationCell*> before;
  for (StellationCell* c : list) {
    if (SkipInCount(c)) continue;
    if (c->IsIncluded()) {
      StellationCell::SetIncluded(c, false);
      for (StellationCell* b : before) StellationCell::SetIncluded(b, true);
      return AnyIncluded(list);
    }
    before.push_back(c);
  }
  // Nothing was included: the count wraps round to every cell.
  for (StellationCell* b : before) StellationCell::SetIncluded(b, true);
  return AnyIncluded(list);
}

bool FullySupportedNextRaw(FaceTypeBlock* block) {
  MillerState& state = State(block);
  if (state.lists.empty()) FullySupportedApply(block);
  const bool aroundCore = (StellationOptions & kStellationFullSupportAroundCore) != 0;
  while (!state.lists.empty()) {
    const size_t k = state.lists.size() - 1;
    const bool fixed = k == 0 && aroundCore;
    if (!fixed && CountUp(state.lists[k])) {
      state.lists.push_back(BuildList(block, state.lists[k]));
      return true;
    }
    ClearList(state.lists[k]);
    state.lists.pop_back();
  }
  block->GoToCore();
  return false;
}

bool FullySupportedPreviousRaw(FaceTypeBlock* block) {
  MillerState& state = State(block);
  if (state.lists.empty()) FullySupportedApply(block);
  const bool aroundCore = (StellationOptions & kStellationFullSupportAroundCore) != 0;
  // The current (top) list holds no included cell: the step is in the list below.
  if (!state.lists.empty()) {
    ClearList(state.lists.back());
    state.lists.pop_back();
  }
  if (state.lists.empty() || (state.lists.size() == 1 && aroundCore)) {
    block->IncludeAllCells(true);
    return false;
  }
  const bool remains = CountDown(state.lists.back());
  if (state.lists.size() == 1 && !remains) {
    // Below the core: round to the final stellation.
    block->IncludeAllCells(true);
    return false;
  }
  if (remains) {
    // The largest set below the previous one: every higher layer in full.
    for (;;) {
      std::vector<StellationCell*> list = BuildList(block, state.lists.back());
      for (StellationCell* c : list) {
        if (!SkipInCount(c)) StellationCell::SetIncluded(c, true);
      }
      const bool any = AnyIncluded(list);
      state.lists.push_back(std::move(list));
      if (!any) break;
    }
  }
  return true;
}

// The count runs through every supported set; of two mirror-image sets only the one
// whose highest unpaired cell is an original is shown.
bool FullySupportedNext(FaceTypeBlock* block) {
  bool stepped = FullySupportedNextRaw(block);
  while (stepped && !ShownHand(block)) stepped = FullySupportedNextRaw(block);
  return stepped;
}

bool FullySupportedPrevious(FaceTypeBlock* block) {
  bool stepped = FullySupportedPreviousRaw(block);
  while (stepped && !ShownHand(block)) stepped = FullySupportedPreviousRaw(block);
  return stepped;
}

// ---- Miller's Rules ---------------------------------------------------------------------------

// The excluded finite cells that the outer cell cannot reach through excluded cells.
std::vector<StellationCell*> EnclosedCells(FaceTypeBlock* block) {
  block->ClearCellFlag(kCellVisited);
  FloodFill(block, block->mOuterCell, false);
  std::vector<StellationCell*> enclosed;
  for (StellationCell* c = block->mFirstCell; IsFinite(block, c); c = c->mNext) {
    if (!c->IsIncluded() && !(c->mFlags & kCellVisited)) enclosed.push_back(c);
  }
  block->ClearCellFlag(kCellVisited);
  return enclosed;
}

// The cells the set may grow by: excluded neighbours of its cells, of higher index than
// the root, not yet decided; with Maintain Reflexibility, only originals.
std::vector<StellationCell*> Candidates(FaceTypeBlock* block, const MillerState& state) {
  std::vector<StellationCell*> candidates;
  for (const MillerEntry& entry : state.stack) {
    for (StellationCell* cell : entry.cells) {
      for (StellationCell* n : cell->mNeighbours) {
        if (!IsFinite(block, n) || n->IsIncluded() || (n->mFlags & kCellInList)) continue;
        if (n->mIndex <= state.root->mIndex || n->mMillerLevel != -1) continue;
        if (MaintainReflexibility() && (n->mFlags & kCellIsMirror)) continue;
        n->mFlags |= kCellInList;
        candidates.push_back(n);
      }
    }
  }
  for (StellationCell* c : candidates) c->mFlags &= ~kCellInList;
  return candidates;
}

// Includes the cell and closes every pocket it leaves; false (nothing changed) when a
// pocket holds a cell that this search may not include.
bool PushMillerStack(FaceTypeBlock* block, MillerState& state, StellationCell* cell) {
  StellationCell::SetIncluded(cell, true);
  std::vector<StellationCell*> enclosed = EnclosedCells(block);
  bool ok = true;
  for (StellationCell* c = block->mFirstCell; IsFinite(block, c) && ok; c = c->mNext) {
    // The partner included with the cell under Maintain Reflexibility must belong here.
    if (c->IsIncluded() && c->mIndex < state.root->mIndex) ok = false;
  }
  for (StellationCell* c : enclosed) {
    if (c->mIndex <= state.root->mIndex || c->mMillerLevel != -1) ok = false;
  }
  if (!ok) {
    StellationCell::SetIncluded(cell, false);
    return false;
  }
  MillerEntry entry;
  entry.cells.push_back(cell);
  for (StellationCell* c : enclosed) {
    if (c->IsIncluded()) continue;
    StellationCell::SetIncluded(c, true);
    entry.cells.push_back(c);
  }
  state.stack.push_back(std::move(entry));
  state.stack.back().candidates = Candidates(block, state);
  return true;
}

void PopMillerStack(FaceTypeBlock* block, MillerState& state) {
  const int depth = static_cast<int>(state.stack.size()) - 1;
  MillerEntry& top = state.stack.back();
  for (auto it = top.cells.rbegin(); it != top.cells.rend(); ++it) StellationCell::SetIncluded(*it, false);
  StellationCell* pushed = top.cells.front();
  state.stack.pop_back();
  for (StellationCell* c = block->mFirstCell; IsFinite(block, c); c = c->mNext) {
    if (c->mMillerLevel == depth) c->mMillerLevel = -1;
  }
  // The parent has passed this candidate: decided for its later candidates.
  if (!state.stack.empty()) pushed->mMillerLevel = depth - 1;
}

bool StartRoot(FaceTypeBlock* block, MillerState& state, StellationCell* root) {
  for (StellationCell* c = block->mFirstCell; IsFinite(block, c); c = c->mNext) c->mMillerLevel = -1;
  state.root = root;
  state.stack.clear();
  return PushMillerStack(block, state, root);
}

void MillerCore(FaceTypeBlock* block) {
  MillerState& state = State(block);
  state.stack.clear();
  state.mirrorHalf = false;
  ExcludeAll(block);
  StellationCell* root = block->mFirstCell;
  while (IsFinite(block, root) && !StartRoot(block, state, root)) root = root->mNext;
  block->mCurrentCell = block->mFirstCell;
}

bool IsConnected(FaceTypeBlock* block) {
  return block->FillFromOriginal();
}

bool MillerNext(FaceTypeBlock* block) {
  MillerState& state = State(block);
  if (state.stack.empty()) {
    MillerCore(block);
    return true;
  }
  // The compound of the last chiral stellation with its mirror image goes again.
  if (state.mirrorHalf) {
    state.mirrorHalf = false;
    for (StellationCell* c : state.images) StellationCell::SetIncluded(c, false);
    state.images.clear();
  } else if (block->mSecondCellCount > 0 && !MaintainReflexibility()) {
    // A chiral stellation is followed by its compound with its mirror image, when that
    // encloses nothing and the search would not find it as a set of its own.
    std::vector<StellationCell*>& images = state.images;
    images.clear();
    for (StellationCell* c = block->mFirstCell; IsFinite(block, c); c = c->mNext) {
      if (c->IsIncluded() && c->GetMirrorPartner() != c && !c->GetMirrorPartner()->IsIncluded()) {
        images.push_back(c->GetMirrorPartner());
      }
    }
    for (StellationCell* c : images) StellationCell::SetIncluded(c, true);
    if (block->FillFromOutside() && !IsConnected(block)) {
      state.mirrorHalf = true;
      return true;
    }
    for (StellationCell* c : images) StellationCell::SetIncluded(c, false);
    images.clear();
  }
  for (;;) {
    if (state.stack.empty()) {
      // The root is done; the next one (an original) starts a new search.
      StellationCell* root = state.root ? state.root->mNext : nullptr;
      while (IsFinite(block, root) && (root->mFlags & kCellIsMirror) && MaintainReflexibility()) root = root->mNext;
      if (!IsFinite(block, root)) {
        block->GoToCore();
        return false;
      }
      if (!StartRoot(block, state, root)) {
        state.root = root;
        continue;
      }
      if (ShownHand(block)) return true;
      continue;
    }
    MillerEntry& top = state.stack.back();
    if (top.scan < top.candidates.size()) {
      StellationCell* cell = top.candidates[top.scan++];
      if (cell->IsIncluded() || cell->mMillerLevel != -1) continue;
      const int depth = static_cast<int>(state.stack.size()) - 1;
      if (!PushMillerStack(block, state, cell)) {
        cell->mMillerLevel = depth;
        continue;
      }
      if (ShownHand(block)) return true;
      continue;
    }
    PopMillerStack(block, state);
  }
}

void MillerApply(FaceTypeBlock* block) {
  // The search restarts from the root of the current set and walks to it.
  std::vector<char> wanted;
  StellationCell* root = nullptr;
  block->FillInaccessibleCells();
  for (StellationCell* c = block->mFirstCell; IsFinite(block, c); c = c->mNext) {
    wanted.push_back(c->IsIncluded() ? 1 : 0);
    if (c->IsIncluded() && !root) root = c;
  }
  if (!root) {
    MillerCore(block);
    return;
  }
  if (block->mCurrentCell && block->mCurrentCell->IsIncluded()) block->KeepConnectedPart(block->mCurrentCell);
  MillerState& state = State(block);
  ExcludeAll(block);
  if (!StartRoot(block, state, root)) {
    MillerCore(block);
    return;
  }
  // Walk the search until it shows the wanted set or leaves this root.
  auto matches = [&]() {
    size_t i = 0;
    for (StellationCell* c = block->mFirstCell; IsFinite(block, c); c = c->mNext, ++i) {
      if (c->IsIncluded() != (wanted[i] != 0)) return false;
    }
    return true;
  };
  while (!matches()) {
    if (!MillerNext(block) || state.root != root) break;
  }
}

// ---- The exhaustive search ---------------------------------------------------------------------

bool ExhaustiveNext(FaceTypeBlock* block) {
  MillerState& state = State(block);
  if (block->mSecondCellCount > 0 && block->mSecondCellCount == block->mIncludedCells && !state.mirrorHalf) {
    state.mirrorHalf = true;
    state.found += 1u;
    return true;
  }
  state.mirrorHalf = false;
  std::vector<char> before;
  for (StellationCell* c = block->mFirstCell; IsFinite(block, c); c = c->mNext)
    before.push_back(c->IsIncluded() ? 1 : 0);
  ProgressScope progress;
  for (int tried = 1;; ++tried) {
    StellationCell* c = block->mFirstCell;
    while (IsFinite(block, c) && c->IsIncluded()) {
      StellationCell::SetIncluded(c, false);
      c = c->mNext;
    }
    if (!IsFinite(block, c)) {
      block->GoToCore();
      return false;
    }
    StellationCell::SetIncluded(c, true);
    if (block->FillFromOriginal() && block->FillFromOutside()) {
      state.found += 1u;
      return true;
    }
    if (tried % kCandidatesPerReport == 0 && !UpdateProgress(kProgressNoReport, "Searching stellations...")) {
      // Cancelled: the set shown before the step comes back.
      size_t i = 0;
      for (StellationCell* d = block->mFirstCell; IsFinite(block, d); d = d->mNext, ++i) {
        StellationCell::SetIncluded(d, before[i] != 0);
      }
      return false;
    }
  }
}

}  // namespace detail_StellationCriteria

// ---- The block's entries ---------------------------------------------------------------------------

void FaceTypeBlock::ClearMillerState() {
  if (!mMillerState) return;
  for (auto& list : mMillerState->lists) detail_StellationCriteria::ClearList(list);
  mMillerState->lists.clear();
  mMillerState->stack.clear();
  mMillerState->root = nullptr;
  mMillerState->mirrorHalf = false;
  for (StellationCell* c = mFirstCell; c; c = c->mNext) c->mMillerLevel = -1;
}

namespace detail_StellationCriteria {

// Walks longer than this are not taken to name a stellation.
constexpr size_t kLongestNamedWalk = 2000;

std::vector<char> IncludedCells(const FaceTypeBlock* block) {
  std::vector<char> set;
  for (StellationCell* c = block->mFirstCell; IsFinite(block, c); c = c->mNext) set.push_back(c->IsIncluded() ? 1 : 0);
  return set;
}

bool IsWalkCurrent(const MillerState& state, const FaceTypeBlock* block) {
  return state.walkTaken && state.walkCriteria == StellationCriteria && state.walkOptions == StellationOptions &&
         state.walkFirstCell == block->mFirstCell;
}

// Steps once round from the core, noting each stellation, then steps again to the
// one shown (or puts its cells back when it is none of them).
void TakeWalk(FaceTypeBlock* block) {
  const std::vector<char> shown = IncludedCells(block);
  StellationCell* current = block->mCurrentCell;
  const uint8_t applied = block->mCriteriaFlag;
  std::vector<std::vector<char>> walk;
  bool complete = false;
  {
    // The walk is no work of the user's: no progress window, no cancel.
    block->GoToCore();
    walk.push_back(IncludedCells(block));
    while (walk.size() <= kLongestNamedWalk) {
      if (!block->NextStellation()) {
        complete = true;
        break;
      }
      walk.push_back(IncludedCells(block));
    }
  }
  MillerState& state = State(block);
  const auto at = std::find(walk.begin(), walk.end(), shown);
  block->GoToCore();
  // Cells set by hand that are one of the walk's stellations are stepped to as well, so
  // that the next step goes on from them.
  if (at != walk.end()) {
    for (auto step = walk.begin(); step != at; ++step) block->NextStellation();
  } else {
    size_t i = 0;
    for (StellationCell* c = block->mFirstCell; IsFinite(block, c); c = c->mNext, ++i) {
      StellationCell::SetIncluded(c, shown[i] != 0);
    }
    block->mCriteriaFlag = applied;
  }
  block->mCurrentCell = current;
  if (!complete) walk.clear();
  state.walk = std::move(walk);
  state.walkCriteria = StellationCriteria;
  state.walkOptions = StellationOptions;
  state.walkFirstCell = block->mFirstCell;
  state.walkTaken = true;
}

}  // namespace detail_StellationCriteria

StellationPlace FindStellationPlace(FaceTypeBlock* block, bool takeWalk) {
  using namespace detail_StellationCriteria;
  StellationPlace place;
  // The exhaustive search has no end to walk to.
  if (!block || !block->mFirstCell || StellationCriteria == kCriteriaExhaustive) return place;
  if (!IsWalkCurrent(State(block), block)) {
    if (!takeWalk) return place;
    TakeWalk(block);
  }
  const MillerState& state = State(block);
  place.total = static_cast<int>(state.walk.size());
  const auto at = std::find(state.walk.begin(), state.walk.end(), IncludedCells(block));
  if (at != state.walk.end()) place.index = static_cast<int>(at - state.walk.begin()) + 1;
  return place;
}

void FaceTypeBlock::GoToCore() {
  using namespace detail_StellationCriteria;
  if (!mFirstCell) return;
  ClearMillerState();
  switch (StellationCriteria) {
    case kCriteriaPrimary:
      // The core is the stellation of the central facet.
      mCurrentCell = mFirstCell;
      mCriteriaFlag = 0;
      ApplyCriteria();
      return;
    case kCriteriaMonoacral:
      MonoacralCore(this);
      break;
    case kCriteriaFullySupported:
      FullySupportedCore(this);
      break;
    case kCriteriaMiller:
    case kCriteriaExhaustive:
      MillerCore(this);
      break;
    default:
      MainlineCore(this);
      break;
  }
  mCriteriaFlag = 1;
}

bool FaceTypeBlock::ApplyCriteria() {
  using namespace detail_StellationCriteria;
  if (!mFirstCell || mCriteriaFlag) return false;
  mCriteriaFlag = 1;
  switch (StellationCriteria) {
    case kCriteriaPrimary:
      if (!PrimaryApply(this)) {
        mCriteriaFlag = 0;
        return false;
      }
      break;
    case kCriteriaMonoacral:
      MonoacralApply(this);
      break;
    case kCriteriaFullySupported:
      FullySupportedApply(this);
      break;
    case kCriteriaMiller:
    case kCriteriaExhaustive:
      MillerApply(this);
      break;
    default:
      MainlineApply(this);
      break;
  }
  const bool changed = mCriteriaFlag == 0;
  mCriteriaFlag = 1;
  return changed;
}

namespace detail_StellationCriteria {

// What a step does before it steps: stellate, and apply the criteria to a set changed by
// hand. kStepDone: applying was the step (true) or failed (false), in *result.
constexpr int kStepGoOn = 0;
constexpr int kStepDone = 1;

// Stellates the block when it is not yet; a refusal of the set-up in *why when given.
void StellateFirst(FaceTypeBlock* block, Outcome* why) {
  if (!block->mOwner) return;
  Outcome outcome = Stellate(block->mOwner, block, false);
  if (why && outcome.told()) *why = std::move(outcome);
}

int BeforeStep(FaceTypeBlock* block, bool* result, Outcome* why) {
  *result = false;
  StellateFirst(block, why);
  if (!block->mFirstCell) return kStepDone;
  if (block->mCriteriaFlag) return kStepGoOn;
  *result = block->ApplyCriteria();
  return *result || !block->mCriteriaFlag ? kStepDone : kStepGoOn;
}

}  // namespace detail_StellationCriteria

bool FaceTypeBlock::NextStellation(Outcome* why) {
  using namespace detail_StellationCriteria;
  bool result = false;
  if (BeforeStep(this, &result, why) == kStepDone) return result;
  switch (StellationCriteria) {
    case kCriteriaPrimary:
      result = PrimaryStep(this, true);
      break;
    case kCriteriaMonoacral:
      result = MonoacralStep(this, true);
      break;
    case kCriteriaFullySupported:
      result = FullySupportedNext(this);
      break;
    case kCriteriaMiller:
      result = MillerNext(this);
      break;
    case kCriteriaExhaustive:
      result = ExhaustiveNext(this);
      break;
    default:
      result = MainlineNext(this);
      break;
  }
  mCriteriaFlag = 1;
  return result;
}

bool FaceTypeBlock::PreviousStellation(Outcome* why) {
  using namespace detail_StellationCriteria;
  StellateFirst(this, why);
  if (!mFirstCell) return false;
  if (StellationCriteria == kCriteriaMiller || StellationCriteria == kCriteriaExhaustive) {
    // Refused: nothing changes, and no step is reported as taken.
    platform::Services().views->SetPaneMessage(kNoPrevious);
    return false;
  }
  bool result = false;
  if (BeforeStep(this, &result, why) == kStepDone) return result;
  switch (StellationCriteria) {
    case kCriteriaPrimary:
      result = PrimaryStep(this, false);
      break;
    case kCriteriaMonoacral:
      result = MonoacralStep(this, false);
      break;
    case kCriteriaFullySupported:
      result = FullySupportedPrevious(this);
      break;
    default:
      result = MainlinePrevious(this);
      break;
  }
  mCriteriaFlag = 1;
  return result;
}

bool FaceTypeBlock::IsSinglePeak(const StellationCell* cell) const {
  if (!cell || !cell->IsIncluded() || !cell->IsSupported()) return false;
  for (const StellationCell* c = mFirstCell; c && c != mOuterCell; c = c->mNext) {
    if (c == cell || !c->IsIncluded()) continue;
    if (!c->IsSupported() || !c->HasIncludedAbove()) return false;
  }
  return true;
}

}  // namespace corvia
