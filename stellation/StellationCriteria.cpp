// The stellation criteria: which cell sets count as stellations and in which order the
// user walks through them. Mainline takes whole layers; Primary grows a region of one
// facet; Monoacral takes one peak with its support; Fully Supported counts through the
// support layers like binary numbers; Miller's Rules searches depth first for connected
// sets that enclose nothing; the exhaustive search tries every subset.

#include "stellation/StellationCriteria.h"

#include <algorithm>
#include <optional>
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

// One unit of the search's work: false once it is to stop (the progress window's Cancel,
// or past the budget of a walk), and from then on until the step that began it ends.
bool SearchGoesOn(MillerState& state) {
  if (state.stopped) return false;
  if (state.budget > 0 && ++state.spent > state.budget) {
    state.overBudget = true;
    state.stopped = true;
  } else if (!ProgressTick()) {
    state.stopped = true;
  }
  return !state.stopped;
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
  for (; f && SearchGoesOn(State(block)); f = forwards ? f->mNext : f->mPrev) {
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
  while (SearchGoesOn(State(block))) {
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
  return true;
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
  while (stepped && !ShownHand(block) && SearchGoesOn(State(block))) stepped = FullySupportedNextRaw(block);
  return stepped;
}

bool FullySupportedPrevious(FaceTypeBlock* block) {
  bool stepped = FullySupportedPreviousRaw(block);
  while (stepped && !ShownHand(block) && SearchGoesOn(State(block))) stepped = FullySupportedPreviousRaw(block);
  return stepped;
}

// ---- Miller's Rules ---------------------------------------------------------------------------

// The excluded finite cells that the outer cell cannot reach through excluded cells.
std::vector<StellationCell*> EnclosedCells(FaceTypeBlock* block, MillerState& state) {
  state.looked += block->GetNumCells();
  block->ClearCellFlag(kCellVisited);
  FloodFill(block, block->mOuterCell, false);
  std::vector<StellationCell*> enclosed;
  for (StellationCell* c = block->mFirstCell; IsFinite(block, c); c = c->mNext) {
    if (!c->IsIncluded() && !(c->mFlags & kCellVisited)) enclosed.push_back(c);
  }
  block->ClearCellFlag(kCellVisited);
  return enclosed;
}

// Whether the outer cell reaches every cell when none is included.
bool OpenFromOutside(FaceTypeBlock* block, MillerState& state) {
  if (state.openFromOutside < 0) {
    std::vector<char> reached(static_cast<size_t>(block->GetNumCells()) + 1, 0);
    std::vector<StellationCell*> queue = {block->mOuterCell};
    reached[static_cast<size_t>(block->mOuterCell->mIndex)] = 1;
    for (size_t q = 0; q < queue.size(); ++q) {
      for (StellationCell* n : queue[q]->mNeighbours) {
        if (!n || n->mIndex < 0 || n->mIndex > block->GetNumCells()) continue;
        if (reached[static_cast<size_t>(n->mIndex)]) continue;
        reached[static_cast<size_t>(n->mIndex)] = 1;
        queue.push_back(n);
      }
    }
    state.openFromOutside = queue.size() == reached.size() ? 1 : 0;
  }
  return state.openFromOutside == 1;
}

// The stamps of the cells, ready for as many new stamps as there are cells.
std::vector<uint32_t>& Seen(FaceTypeBlock* block, MillerState& state) {
  std::vector<uint32_t>& seen = state.seen;
  seen.resize(static_cast<size_t>(block->GetNumCells()) + 1, 0);
  if (state.seenStamp > UINT32_MAX - static_cast<uint32_t>(seen.size()) - 1) {
    std::fill(seen.begin(), seen.end(), 0);
    state.seenStamp = 0;
  }
  return seen;
}

// The pockets that the cells just included close, where the set had none before: the
// excluded cells beside them from which the outer cell cannot be reached through
// excluded cells, in the order of the cell list. Each excluded region beside them is
// searched upwards first, and stops where it meets the outer cell or a region of this
// push found open; only a pocket is searched whole.
std::vector<StellationCell*> NewPockets(FaceTypeBlock* block, MillerState& state,
                                        const std::vector<StellationCell*>& included) {
  std::vector<uint32_t>& seen = Seen(block, state);
  // Regions of this push have stamps above `first`.
  const uint32_t first = state.seenStamp;
  std::vector<StellationCell*> enclosed;
  std::vector<StellationCell*> region;
  std::vector<StellationCell*> pending;
  for (StellationCell* cell : included) {
    for (StellationCell* start : cell->mNeighbours) {
      if (!IsFinite(block, start) || start->IsIncluded() || seen[static_cast<size_t>(start->mIndex)] > first) continue;
      const uint32_t stamp = ++state.seenStamp;
      region.assign(1, start);
      pending.assign(1, start);
      seen[static_cast<size_t>(start->mIndex)] = stamp;
      bool open = false;
      while (!pending.empty() && !open) {
        StellationCell* c = pending.back();
        pending.pop_back();
        ++state.looked;
        // Lower facets come first, so the cells above are taken first.
        for (StellationCell* n : c->mNeighbours) {
          if (!n || n->IsIncluded()) continue;
          const uint32_t mark = seen[static_cast<size_t>(n->mIndex)];
          if (n == block->mOuterCell || (mark > first && mark != stamp)) {
            open = true;
            break;
          }
          if (mark == stamp) continue;
          seen[static_cast<size_t>(n->mIndex)] = stamp;
          region.push_back(n);
          pending.push_back(n);
        }
      }
      if (!open) enclosed.insert(enclosed.end(), region.begin(), region.end());
    }
  }
  std::sort(enclosed.begin(), enclosed.end(),
            [](const StellationCell* a, const StellationCell* b) { return a->mIndex < b->mIndex; });
  return enclosed;
}

// The candidates of the level just pushed: the frontier with the neighbours of its cells
// that the search may grow by (finite, above the root, originals alone under Maintain
// Reflexibility), each cell once. A cell included or decided when met stays so while the
// level stands, and is left out.
void ExtendFrontier(FaceTypeBlock* block, MillerState& state) {
  state.inFrontier.resize(static_cast<size_t>(block->GetNumCells()) + 1, 0);
  MillerEntry& top = state.stack.back();
  for (StellationCell* cell : top.cells) {
    for (StellationCell* n : cell->mNeighbours) {
      ++state.looked;
      if (!IsFinite(block, n) || n->IsIncluded() || (n->mFlags & kCellInList)) continue;
      if (n->mIndex <= state.root->mIndex || n->mMillerLevel != -1) continue;
      if (MaintainReflexibility() && (n->mFlags & kCellIsMirror)) continue;
      char& in = state.inFrontier[static_cast<size_t>(n->mIndex)];
      if (in) continue;
      in = 1;
      state.frontier.push_back(n);
    }
  }
  top.candidates = state.frontier.size();
}

void TruncateFrontier(MillerState& state, size_t size) {
  while (state.frontier.size() > size) {
    state.inFrontier[static_cast<size_t>(state.frontier.back()->mIndex)] = 0;
    state.frontier.pop_back();
  }
}

void ClearStack(MillerState& state) {
  TruncateFrontier(state, 0);
  state.stack.clear();
}

// Takes the scan of the top level past the cells of the frontier that were no candidates
// of it: included, or decided by a level below, when it was pushed (and so while it
// stands).
void SkipPassed(MillerState& state, MillerEntry& top) {
  const int depth = static_cast<int>(state.stack.size()) - 1;
  while (top.scan < top.candidates) {
    const StellationCell* c = state.frontier[top.scan];
    if (!c->IsIncluded() && (c->mMillerLevel == -1 || c->mMillerLevel >= depth)) return;
    ++top.scan;
  }
}

// The search decides a cell at a level (passed over by the level's later candidates).
void Decide(MillerState& state, StellationCell* cell, int level) {
  cell->mMillerLevel = level;
  state.decided.push_back(cell);
}

// Forgets every decision.
void ForgetDecisions(MillerState& state) {
  for (StellationCell* c : state.decided) c->mMillerLevel = -1;
  state.decided.clear();
}

// Whether a cell of the set lies below the root, once the cells of an entry are in.
bool BelowRoot(const MillerState& state, const std::vector<StellationCell*>& cells) {
  for (const StellationCell* c : cells) {
    const StellationCell* partner = c->GetMirrorPartner();
    if (c->IsIncluded() && c->mIndex < state.root->mIndex) return true;
    if (partner->IsIncluded() && partner->mIndex < state.root->mIndex) return true;
  }
  return false;
}

// Includes the cell and closes every pocket it leaves; false (nothing changed) when a
// pocket holds a cell that this search may not include, or a cell below the root came
// in. Every push leaves no pocket, so a push onto pushes, or onto no cell of a cell
// structure open from outside, looks only beside the cells it includes; a root pushed
// onto cells already included looks at the whole set.
bool PushMillerStack(FaceTypeBlock* block, MillerState& state, StellationCell* cell) {
  const bool whole = state.stack.empty() && (block->mIncludedCells != 0 || !OpenFromOutside(block, state));
  StellationCell::SetIncluded(cell, true);
  std::vector<StellationCell*> added = {cell};
  if (cell->GetMirrorPartner() != cell && cell->GetMirrorPartner()->IsIncluded()) {
    added.push_back(cell->GetMirrorPartner());
  }
  const bool belowBefore = !state.stack.empty() && state.stack.back().belowRoot;
  std::vector<StellationCell*> enclosed;
  bool ok = true;
  if (whole) {
    enclosed = EnclosedCells(block, state);
    for (StellationCell* c = block->mFirstCell; IsFinite(block, c) && ok; c = c->mNext) {
      // The partner included with the cell under Maintain Reflexibility must belong here.
      if (c->IsIncluded() && c->mIndex < state.root->mIndex) ok = false;
    }
  } else {
    enclosed = NewPockets(block, state, added);
    ok = !belowBefore && !BelowRoot(state, added);
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
  entry.decided = state.decided.size();
  if (whole) {
    for (StellationCell* c = block->mFirstCell; IsFinite(block, c) && !entry.belowRoot; c = c->mNext) {
      entry.belowRoot = c->IsIncluded() && c->mIndex < state.root->mIndex;
    }
  } else {
    entry.belowRoot = belowBefore || BelowRoot(state, entry.cells);
  }
  state.stack.push_back(std::move(entry));
  ExtendFrontier(block, state);
  return true;
}

// Takes the top entry's cells out; decisions made below it are forgotten.
void DropTopEntry(MillerState& state) {
  const int depth = static_cast<int>(state.stack.size()) - 1;
  MillerEntry& top = state.stack.back();
  for (auto it = top.cells.rbegin(); it != top.cells.rend(); ++it) StellationCell::SetIncluded(*it, false);
  const size_t decided = top.decided;
  state.stack.pop_back();
  TruncateFrontier(state, state.stack.empty() ? 0 : state.stack.back().candidates);
  for (size_t i = decided; i < state.decided.size(); ++i) {
    StellationCell* c = state.decided[i];
    if (c->mMillerLevel >= depth) c->mMillerLevel = -1;
  }
  state.decided.resize(decided);
}

void PopMillerStack(MillerState& state) {
  const int depth = static_cast<int>(state.stack.size()) - 1;
  StellationCell* pushed = state.stack.back().cells.front();
  DropTopEntry(state);
  // The parent has passed this candidate: decided for its later candidates.
  if (!state.stack.empty()) Decide(state, pushed, depth - 1);
}

bool StartRoot(FaceTypeBlock* block, MillerState& state, StellationCell* root) {
  ForgetDecisions(state);
  state.root = root;
  ClearStack(state);
  return PushMillerStack(block, state, root);
}

// From no cell included: starts the search at the first cell that can be a root, whose
// set is the core; null when none can.
StellationCell* FindCoreRoot(FaceTypeBlock* block, MillerState& state) {
  state.coreRoot = nullptr;
  for (StellationCell* root = block->mFirstCell; IsFinite(block, root); root = root->mNext) {
    if (StartRoot(block, state, root)) return state.coreRoot = root;
  }
  ClearStack(state);
  return nullptr;
}

void MillerCore(FaceTypeBlock* block) {
  MillerState& state = State(block);
  ClearStack(state);
  state.mirrorHalf = false;
  state.images.clear();
  ExcludeAll(block);
  FindCoreRoot(block, state);
  block->mCurrentCell = block->mFirstCell;
}

bool AtCore(const MillerState& state) {
  return state.stack.size() == 1 && state.root == state.coreRoot;
}

// The root after (or before) a root in the order of the search; under Maintain
// Reflexibility a mirror copy is no root of its own. Null past either end: the core's
// root comes first.
StellationCell* NextRoot(FaceTypeBlock* block, const MillerState& state, StellationCell* root, bool forwards) {
  if (!root || (!forwards && root == state.coreRoot)) return nullptr;
  StellationCell* next = forwards ? root->mNext : root->mPrev;
  while (IsFinite(block, next) && next != state.coreRoot && (next->mFlags & kCellIsMirror) && MaintainReflexibility()) {
    next = forwards ? next->mNext : next->mPrev;
  }
  return IsFinite(block, next) ? next : nullptr;
}

// Whether the included cells are joined through their facets into one: the cells one of
// them reaches through included cells are all of them.
bool IsConnected(FaceTypeBlock* block, MillerState& state, StellationCell* start) {
  if (!start || !start->IsIncluded()) return false;
  std::vector<uint32_t>& seen = Seen(block, state);
  const uint32_t stamp = ++state.seenStamp;
  std::vector<StellationCell*> queue = {start};
  seen[static_cast<size_t>(start->mIndex)] = stamp;
  for (size_t q = 0; q < queue.size(); ++q) {
    ++state.looked;
    for (StellationCell* n : queue[q]->mNeighbours) {
      if (!n || !n->IsIncluded() || seen[static_cast<size_t>(n->mIndex)] == stamp) continue;
      seen[static_cast<size_t>(n->mIndex)] = stamp;
      queue.push_back(n);
    }
  }
  return static_cast<int>(queue.size()) == block->mIncludedCells;
}

// A chiral stellation is followed by its compound with its mirror image, when that
// encloses nothing and the search would not find it as a set of its own: true when the
// compound is shown now. The stellation shown encloses nothing, so only the images'
// sides can close a pocket.
bool ShowCompound(FaceTypeBlock* block, MillerState& state) {
  if (block->mSecondCellCount == 0 || MaintainReflexibility()) return false;
  std::vector<StellationCell*>& images = state.images;
  images.clear();
  for (StellationCell* c = block->mFirstCell; IsFinite(block, c); c = c->mNext) {
    if (c->IsIncluded() && c->GetMirrorPartner() != c && !c->GetMirrorPartner()->IsIncluded()) {
      images.push_back(c->GetMirrorPartner());
    }
  }
  for (StellationCell* c : images) StellationCell::SetIncluded(c, true);
  if (!images.empty() && NewPockets(block, state, images).empty() && !IsConnected(block, state, images.front())) {
    state.mirrorHalf = true;
    return true;
  }
  for (StellationCell* c : images) StellationCell::SetIncluded(c, false);
  images.clear();
  return false;
}

void HideCompound(MillerState& state) {
  state.mirrorHalf = false;
  for (StellationCell* c : state.images) StellationCell::SetIncluded(c, false);
  state.images.clear();
}

// The search is depth first: each set is followed by the sets grown from it (its
// candidates in order, each excluding the ones before it), then by the next sets of its
// parent, and the last set of one root by the next root alone.
bool MillerNext(FaceTypeBlock* block) {
  MillerState& state = State(block);
  if (state.stack.empty()) {
    MillerCore(block);
    return true;
  }
  if (state.mirrorHalf) {
    HideCompound(state);
  } else if (ShowCompound(block, state)) {
    return true;
  }
  while (SearchGoesOn(state)) {
    if (state.stack.empty()) {
      // The root is done; the next one starts a new search.
      StellationCell* root = NextRoot(block, state, state.root, true);
      if (!root) {
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
    SkipPassed(state, top);
    if (top.scan < top.candidates) {
      StellationCell* cell = state.frontier[top.scan++];
      if (cell->IsIncluded() || cell->mMillerLevel != -1) continue;
      const int depth = static_cast<int>(state.stack.size()) - 1;
      if (!PushMillerStack(block, state, cell)) {
        Decide(state, cell, depth);
        continue;
      }
      if (ShownHand(block)) return true;
      continue;
    }
    PopMillerStack(state);
  }
  return true;
}

// Back along the search: the last set of the branch the top entry heads, the candidates
// passed over on the way decided as the forward search leaves them (the last candidate
// that can be pushed was tried after all the others).
void DescendToLast(FaceTypeBlock* block, MillerState& state) {
  for (;;) {
    const size_t t = state.stack.size() - 1;
    const int depth = static_cast<int>(t);
    const size_t candidates = state.stack[t].candidates;
    for (size_t j = 0; j < candidates; ++j) {
      StellationCell* c = state.frontier[j];
      if (!c->IsIncluded() && c->mMillerLevel == -1) Decide(state, c, depth);
    }
    bool pushed = false;
    for (size_t j = candidates; j-- > 0 && !pushed;) {
      StellationCell* c = state.frontier[j];
      if (c->mMillerLevel != depth) continue;
      c->mMillerLevel = -1;
      if (!SearchGoesOn(state)) return;
      if (PushMillerStack(block, state, c)) {
        state.stack[t].scan = j + 1;
        pushed = true;
      }
    }
    if (!pushed) {
      state.stack[t].scan = 0;
      return;
    }
  }
}

// One set back in the order of the search, whatever its hand; false at the core.
bool RawPrevious(FaceTypeBlock* block, MillerState& state) {
  if (state.stack.empty() || AtCore(state)) return false;
  const size_t t = state.stack.size() - 1;
  DropTopEntry(state);
  if (t == 0) {
    // A root alone comes after the last set of the roots before it.
    for (StellationCell* root = NextRoot(block, state, state.root, false); root;
         root = NextRoot(block, state, root, false)) {
      if (!SearchGoesOn(state)) return true;
      if (StartRoot(block, state, root)) {
        DescendToLast(block, state);
        return true;
      }
    }
    MillerCore(block);
    return false;
  }
  // The earlier candidates of the parent, back from the one that made the entry: the
  // last set of the latest that can be pushed, else the parent itself.
  const int depth = static_cast<int>(t) - 1;
  const size_t made = state.stack[t - 1].scan > 0 ? state.stack[t - 1].scan - 1 : 0;
  for (size_t j = made; j-- > 0;) {
    StellationCell* c = state.frontier[j];
    if (c->mMillerLevel != depth) continue;
    c->mMillerLevel = -1;
    if (!SearchGoesOn(state)) return true;
    if (PushMillerStack(block, state, c)) {
      state.stack[t - 1].scan = j + 1;
      DescendToLast(block, state);
      return true;
    }
  }
  state.stack[t - 1].scan = 0;
  return true;
}

// The last stellation of the walk: the last set of the last root that can start a
// search, else the latest set before it in the hand that is shown, and its compound
// with its mirror image when one follows it.
void MillerLast(FaceTypeBlock* block) {
  MillerState& state = State(block);
  ClearStack(state);
  state.mirrorHalf = false;
  state.images.clear();
  ExcludeAll(block);
  if (!FindCoreRoot(block, state)) return;
  StellationCell* root = block->mOuterCell->mPrev;
  while (root != state.coreRoot && (root->mFlags & kCellIsMirror) && MaintainReflexibility()) root = root->mPrev;
  DropTopEntry(state);
  for (; root; root = NextRoot(block, state, root, false)) {
    if (!SearchGoesOn(state)) return;
    if (StartRoot(block, state, root)) break;
  }
  DescendToLast(block, state);
  while (!state.stopped && !ShownHand(block) && !AtCore(state)) RawPrevious(block, state);
  if (!state.stopped) ShowCompound(block, state);
}

bool MillerPrevious(FaceTypeBlock* block) {
  MillerState& state = State(block);
  if (state.stack.empty()) MillerCore(block);
  if (state.stack.empty()) return false;
  if (state.mirrorHalf) {
    HideCompound(state);
    return true;
  }
  for (;;) {
    if (!RawPrevious(block, state)) {
      MillerLast(block);
      return false;
    }
    if (state.stopped || ShownHand(block) || AtCore(state)) break;
  }
  if (!state.stopped) ShowCompound(block, state);
  return true;
}

// The nearest stellation: the set with its enclosed cells filled, cut to the part of
// the current cell, in the hand the walk shows; the search is then taken straight to it,
// one candidate of the set at each level (those before it passed over, as a walk to it
// leaves them), with no walk through the sets before it.
void MillerApply(FaceTypeBlock* block) {
  MillerState& state = State(block);
  ClearStack(state);
  state.images.clear();
  state.mirrorHalf = false;
  block->FillInaccessibleCells();
  StellationCell* start = block->mCurrentCell && block->mCurrentCell->IsIncluded() ? block->mCurrentCell : nullptr;
  for (StellationCell* c = block->mFirstCell; IsFinite(block, c) && !start; c = c->mNext) {
    if (c->IsIncluded()) start = c;
  }
  if (!start) {
    MillerCore(block);
    return;
  }
  block->KeepConnectedPart(start);
  // A part beside its mirror image (which KeepConnectedPart keeps, marking the state):
  // the search reaches one half, and the compound follows it.
  const bool halves = state.mirrorHalf;
  state.mirrorHalf = false;
  if (halves) {
    block->ClearCellFlag(kCellVisited);
    FloodFill(block, start, true);
    std::vector<StellationCell*> other;
    for (StellationCell* c = block->mFirstCell; IsFinite(block, c); c = c->mNext) {
      if (c->IsIncluded() && !(c->mFlags & kCellVisited)) other.push_back(c);
    }
    block->ClearCellFlag(kCellVisited);
    for (StellationCell* c : other) StellationCell::SetIncluded(c, false);
  }
  if (!ShownHand(block)) {
    std::vector<StellationCell*> images;
    for (StellationCell* c = block->mFirstCell; IsFinite(block, c); c = c->mNext) {
      if (c->IsIncluded()) images.push_back(c->GetMirrorPartner());
    }
    ExcludeAll(block);
    for (StellationCell* c : images) StellationCell::SetIncluded(c, true);
  }
  const int wanted = block->mIncludedCells;
  StellationCell* root = nullptr;
  for (StellationCell* c = block->mFirstCell; IsFinite(block, c); c = c->mNext) {
    c->mFlags = c->IsIncluded() ? (c->mFlags | kCellPending) : (c->mFlags & ~kCellPending);
    if (c->IsIncluded() && !root) root = c;
  }
  ExcludeAll(block);
  if (!state.coreRoot) {
    FindCoreRoot(block, state);
    ExcludeAll(block);
  }
  bool reached = root && StartRoot(block, state, root);
  while (reached && !state.stopped && block->mIncludedCells < wanted) {
    const size_t t = state.stack.size() - 1;
    bool pushed = false;
    while (!pushed && state.stack[t].scan < state.stack[t].candidates) {
      StellationCell* c = state.frontier[state.stack[t].scan++];
      if (c->IsIncluded() || c->mMillerLevel != -1) continue;
      pushed = (c->mFlags & kCellPending) && SearchGoesOn(state) && PushMillerStack(block, state, c);
      if (!pushed) Decide(state, c, static_cast<int>(t));
    }
    reached = pushed;
  }
  block->ClearCellFlag(kCellPending);
  if (state.stopped) return;
  // Only a set with cells the search may not grow by (none that encloses nothing) is
  // out of its reach: its nearest stellation is then the core.
  if (!reached || block->mIncludedCells != wanted) {
    MillerCore(block);
    return;
  }
  if (halves) ShowCompound(block, state);
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
  detail_StellationCriteria::ClearStack(*mMillerState);
  mMillerState->decided.clear();
  mMillerState->root = nullptr;
  mMillerState->coreRoot = nullptr;
  mMillerState->mirrorHalf = false;
  mMillerState->images.clear();
  for (StellationCell* c = mFirstCell; c; c = c->mNext) c->mMillerLevel = -1;
}

namespace detail_StellationCriteria {

// Walks longer than this are not taken to name a stellation, nor walks whose search
// takes more units of work (cells pushed or tried) than the budget: about 3 s of a
// compound of some thousand cells here, where the 59 icosahedra take some 700 units.
constexpr size_t kLongestNamedWalk = 2000;
constexpr long long kWalkSearchBudget = 20000;
// Nor walks that would keep more cell marks than this in all: each step is kept whole,
// so a model of a million cells (a sphere of 720 faces) would keep 359 MB over its 359
// mainline stellations, and took over a minute to walk them.
size_t gLongestNamedWalkCells = size_t(32) << 20;

std::vector<char> IncludedCells(const FaceTypeBlock* block) {
  std::vector<char> set;
  for (StellationCell* c = block->mFirstCell; IsFinite(block, c); c = c->mNext) set.push_back(c->IsIncluded() ? 1 : 0);
  return set;
}

// Everything a step of the criteria changes: the cells, their marks of the search, and
// the search's own state.
class CriteriaSnapshot {
 public:
  explicit CriteriaSnapshot(FaceTypeBlock* block) : mBlock(block), mCurrent(block->mCurrentCell) {
    mCriteriaFlag = block->mCriteriaFlag;
    for (StellationCell* c = block->mFirstCell; IsFinite(block, c); c = c->mNext) {
      mCells.push_back({c->mFlags & (kCellIncluded | kCellInList), c->mMillerLevel});
    }
    const MillerState& state = State(block);
    mLists = state.lists;
    mRoot = state.root;
    mStack = state.stack;
    mFrontier = state.frontier;
    mDecided = state.decided;
    mCoreRoot = state.coreRoot;
    mMirrorHalf = state.mirrorHalf;
    mImages = state.images;
    mFound = state.found;
    mCountDown = state.countDown;
  }

  std::vector<char> Included() const {
    std::vector<char> set;
    for (const Cell& cell : mCells) set.push_back((cell.flags & kCellIncluded) ? 1 : 0);
    return set;
  }

  // Puts everything back; the snapshot stays, to be put back again.
  void PutBack() const { CriteriaSnapshot(*this).PutBackOnce(); }

  // Puts everything back, moving the snapshot's own lists into place: nothing is
  // allocated, so that it can run while a failure is in flight.
  void PutBackOnce() noexcept {
    size_t i = 0;
    for (StellationCell* c = mBlock->mFirstCell; IsFinite(mBlock, c) && i < mCells.size(); c = c->mNext, ++i) {
      StellationCell::SetIncluded(c, (mCells[i].flags & kCellIncluded) != 0);
    }
    i = 0;
    for (StellationCell* c = mBlock->mFirstCell; IsFinite(mBlock, c) && i < mCells.size(); c = c->mNext, ++i) {
      c->mFlags = (c->mFlags & ~kCellInList) | (mCells[i].flags & kCellInList);
      c->mMillerLevel = mCells[i].level;
    }
    mBlock->mCurrentCell = mCurrent;
    mBlock->mCriteriaFlag = mCriteriaFlag;
    if (!mBlock->mMillerState) return;
    MillerState& state = *mBlock->mMillerState;
    state.lists = std::move(mLists);
    state.root = mRoot;
    state.stack = std::move(mStack);
    TruncateFrontier(state, 0);
    for (StellationCell* c : mFrontier) {
      const auto index = static_cast<size_t>(c->mIndex);
      if (index < state.inFrontier.size()) state.inFrontier[index] = 1;
    }
    state.frontier = std::move(mFrontier);
    state.decided = std::move(mDecided);
    state.coreRoot = mCoreRoot;
    state.mirrorHalf = mMirrorHalf;
    state.images = std::move(mImages);
    state.found = std::move(mFound);
    state.countDown = std::move(mCountDown);
  }

 private:
  struct Cell {
    uint32_t flags;
    int32_t level;
  };
  FaceTypeBlock* mBlock;
  StellationCell* mCurrent;
  uint8_t mCriteriaFlag = 0;
  std::vector<Cell> mCells;
  std::vector<std::vector<StellationCell*>> mLists;
  StellationCell* mRoot = nullptr;
  std::vector<MillerEntry> mStack;
  std::vector<StellationCell*> mFrontier;
  std::vector<StellationCell*> mDecided;
  StellationCell* mCoreRoot = nullptr;
  bool mMirrorHalf = false;
  std::vector<StellationCell*> mImages;
  BigUInt mFound;
  BigUInt mCountDown;
};

// A search of the criteria: under a progress level, the cells changing quietly (no undo
// record, no pane told of each change); when the outermost search ends, the undo step
// open gets each cell that changed, once, and the panes hear of it once. Stopped (by a
// cancel, or past a walk's budget), everything goes back as it was: a search inside
// another leaves that to the outer one (a stop stops both), unless it keeps a snapshot
// of its own to put back while the outer search goes on. A search ends with End, on every
// road but a failure: then, as it is left with the failure in flight, everything goes
// back as it was, and nothing is allocated.
class CriteriaSearch {
 public:
  CriteriaSearch(FaceTypeBlock* block, const char* caption, bool ownSnapshot = false)
      : mBlock(block), mCancels(GetProgressCancelCount()), mOutermost(!block->mQuietCellChanges) {
    // What may fail comes before anything changes.
    if (mOutermost || ownSnapshot) mBefore.emplace(block);
    MillerState& state = State(block);
    if (mOutermost) {
      SetShowTimeRemaining(false);
      (void)UpdateProgress(0.0, "%s", caption);
    }
    mWasStopped = state.stopped;
    state.stopped = false;
    mBlock->mQuietCellChanges = true;
    if (mOutermost) mBlock->mCellSearch = true;
  }
  ~CriteriaSearch() {
    if (mEnded) return;
    // Quietly: the cells that go back record nothing and tell no pane.
    mBlock->mQuietCellChanges = true;
    if (mBefore) mBefore->PutBackOnce();
    if (mBlock->mMillerState) mBlock->mMillerState->stopped = mWasStopped;
    if (!mOutermost) return;
    mBlock->mQuietCellChanges = false;
    mBlock->mCellSearch = false;
  }
  CriteriaSearch(const CriteriaSearch&) = delete;
  CriteriaSearch& operator=(const CriteriaSearch&) = delete;

  // The search is over: a stopped one puts everything back, and the outermost records
  // the cells that changed in the open undo step and tells the panes.
  void End() {
    mStoppedAtEnd = Stopped();
    MillerState& state = State(mBlock);
    if (mStoppedAtEnd && mBefore) mBefore->PutBack();
    state.stopped = mWasStopped || state.overBudget;
    if (!mOutermost) {
      mEnded = true;
      return;
    }
    mBlock->mQuietCellChanges = false;
    mBlock->mCellSearch = false;
    const std::vector<char> before = mBefore->Included();
    bool changed = false;
    size_t i = 0;
    for (StellationCell* c = mBlock->mFirstCell; IsFinite(mBlock, c); c = c->mNext, ++i) {
      if (c->IsIncluded() == (before[i] != 0)) continue;
      AddStellationCellUndo(c, c->IsIncluded());
      changed = true;
    }
    if (changed) {
      mBlock->ForgetFacetModel();
      TellCellsChanged(mBlock);
    }
    // Till here a failure puts the cells back (the undo step's cells name them as they
    // were too).
    mEnded = true;
  }

  bool Cancelled() const { return GetProgressCancelCount() != mCancels; }
  bool Stopped() const { return mEnded ? mStoppedAtEnd : Cancelled() || State(mBlock).stopped; }
  // Puts everything back now (the search goes on from there), with a snapshot of its own.
  void PutBack() const { mBefore->PutBack(); }

 private:
  FaceTypeBlock* mBlock;
  ProgressScope mProgress;
  int mCancels;
  bool mOutermost;
  bool mWasStopped = false;
  bool mEnded = false;
  bool mStoppedAtEnd = false;
  std::optional<CriteriaSnapshot> mBefore;
};

bool IsWalkCurrent(const MillerState& state, const FaceTypeBlock* block) {
  return state.walkTaken && state.walkCriteria == StellationCriteria && state.walkOptions == StellationOptions &&
         state.walkFirstCell == block->mFirstCell;
}

// Steps once round from the core, noting each stellation, then puts the cells and the
// criteria's state back. False when the user stopped it (nothing is kept then).
bool TakeWalk(FaceTypeBlock* block) {
  MillerState& state = State(block);
  std::vector<std::vector<char>> walk;
  bool complete = false;
  {
    CriteriaSearch search(block, "Counting the stellations of the criteria.", true);
    state.budget = kWalkSearchBudget;
    state.spent = 0;
    state.overBudget = false;
    block->GoToCore();
    walk.push_back(IncludedCells(block));
    const size_t cells = walk.back().size();
    while (walk.size() <= kLongestNamedWalk && (walk.size() + 1) * cells <= gLongestNamedWalkCells) {
      if (IsProgressTickDue() &&
          !UpdateProgress(kProgressNoReport, "Counting the stellations of the criteria: %zu so far.", walk.size())) {
        break;
      }
      const bool stepped = block->NextStellation();
      if (search.Cancelled() || state.overBudget) break;
      if (!stepped) {
        complete = true;
        break;
      }
      walk.push_back(IncludedCells(block));
    }
    state.budget = 0;
    state.overBudget = false;
    search.PutBack();
    search.End();
    if (search.Cancelled()) return false;
  }
  if (!complete) walk.clear();
  state.walk = std::move(walk);
  state.walkCriteria = StellationCriteria;
  state.walkOptions = StellationOptions;
  state.walkFirstCell = block->mFirstCell;
  state.walkTaken = true;
  return true;
}

StellationPlace PlaceInWalk(FaceTypeBlock* block) {
  StellationPlace place;
  const MillerState& state = State(block);
  place.total = static_cast<int>(state.walk.size());
  const auto at = std::find(state.walk.begin(), state.walk.end(), IncludedCells(block));
  if (at != state.walk.end()) place.index = static_cast<int>(at - state.walk.begin()) + 1;
  return place;
}

}  // namespace detail_StellationCriteria

void SetLongestNamedWalkCells(size_t marks) {
  detail_StellationCriteria::gLongestNamedWalkCells = marks;
}

StellationPlace FindStellationPlace(FaceTypeBlock* block, bool takeWalk) {
  using namespace detail_StellationCriteria;
  // The exhaustive search has no end to walk to.
  if (!block || !block->mFirstCell || StellationCriteria == kCriteriaExhaustive) return {};
  if (!IsWalkCurrent(State(block), block) && (!takeWalk || !TakeWalk(block))) return {};
  return PlaceInWalk(block);
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
  const std::vector<char> before = IncludedCells(this);
  CriteriaSearch search(this, "Finding the nearest stellation of the criteria.");
  mCriteriaFlag = 1;
  bool applied = true;
  switch (StellationCriteria) {
    case kCriteriaPrimary:
      applied = PrimaryApply(this);
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
  if (!applied) mCriteriaFlag = 0;
  search.End();
  if (!applied) return false;
  // Stopped: the set goes back as it was, the criteria not applied.
  if (search.Stopped()) return false;
  mCriteriaFlag = 1;
  return IncludedCells(this) != before;
}

namespace detail_StellationCriteria {

// Stellates the block when it is not yet; a refusal of the set-up in *why when given.
void StellateFirst(FaceTypeBlock* block, Outcome* why) {
  if (!block->mOwner) return;
  Outcome outcome = Stellate(block->mOwner, block, false);
  if (why && outcome.told()) *why = std::move(outcome);
}

// A set changed by hand first becomes the nearest valid one: true when that was the
// step (it changed the set, or could not be done).
bool AppliedAsStep(FaceTypeBlock* block, bool* result) {
  *result = false;
  if (block->mCriteriaFlag) return false;
  *result = block->ApplyCriteria();
  return *result || !block->mCriteriaFlag;
}

// A step stopped by the user says so to a caller that asks.
bool Stopped(const CriteriaSearch& search, Outcome* why) {
  if (!search.Stopped()) return false;
  if (why && search.Cancelled()) *why = Outcome::Cancelled();
  return true;
}

}  // namespace detail_StellationCriteria

bool FaceTypeBlock::NextStellation(Outcome* why) {
  using namespace detail_StellationCriteria;
  StellateFirst(this, why);
  if (!mFirstCell) return false;
  CriteriaSearch search(this, "Searching for the next stellation.");
  const bool result = [&] {
    bool stepped = false;
    if (AppliedAsStep(this, &stepped)) return !Stopped(search, why) && stepped;
    switch (StellationCriteria) {
      case kCriteriaPrimary:
        stepped = PrimaryStep(this, true);
        break;
      case kCriteriaMonoacral:
        stepped = MonoacralStep(this, true);
        break;
      case kCriteriaFullySupported:
        stepped = FullySupportedNext(this);
        break;
      case kCriteriaMiller:
        stepped = MillerNext(this);
        break;
      case kCriteriaExhaustive:
        stepped = ExhaustiveNext(this);
        break;
      default:
        stepped = MainlineNext(this);
        break;
    }
    if (Stopped(search, why)) return false;
    mCriteriaFlag = 1;
    return stepped;
  }();
  search.End();
  return result;
}

bool FaceTypeBlock::PreviousStellation(Outcome* why) {
  using namespace detail_StellationCriteria;
  StellateFirst(this, why);
  if (!mFirstCell) return false;
  if (StellationCriteria == kCriteriaExhaustive) {
    // Refused: nothing changes, and no step is reported as taken.
    platform::Services().views->SetPaneMessage(kNoPrevious);
    return false;
  }
  CriteriaSearch search(this, "Searching for the previous stellation.");
  const bool result = [&] {
    bool stepped = false;
    if (AppliedAsStep(this, &stepped)) return !Stopped(search, why) && stepped;
    switch (StellationCriteria) {
      case kCriteriaPrimary:
        stepped = PrimaryStep(this, false);
        break;
      case kCriteriaMonoacral:
        stepped = MonoacralStep(this, false);
        break;
      case kCriteriaFullySupported:
        stepped = FullySupportedPrevious(this);
        break;
      case kCriteriaMiller:
        stepped = MillerPrevious(this);
        break;
      default:
        stepped = MainlinePrevious(this);
        break;
    }
    if (Stopped(search, why)) return false;
    mCriteriaFlag = 1;
    return stepped;
  }();
  search.End();
  return result;
}

StellationStepResult StepStellations(FaceTypeBlock* block, StellationStep step) {
  using namespace detail_StellationCriteria;
  StellationStepResult result;
  if (!block || !block->mFirstCell) return result;
  if (StellationCriteria == kCriteriaPrimary && !PrimaryAllowed(block)) {
    result.refusal = kPrimaryRefused;
    return result;
  }
  if (step == StellationStep::kPrevious && StellationCriteria == kCriteriaExhaustive) {
    result.refusal = kNoPrevious;
    return result;
  }
  CriteriaSearch search(block, step == StellationStep::kPrevious ? "Searching for the previous stellation."
                               : step == StellationStep::kNext   ? "Searching for the next stellation."
                                                                 : "Finding the stellation of the criteria.");
  switch (step) {
    case StellationStep::kNext:
      result.wrapped = !block->NextStellation();
      break;
    case StellationStep::kPrevious:
      result.wrapped = !block->PreviousStellation();
      break;
    case StellationStep::kCore:
      block->GoToCore();
      break;
    case StellationStep::kFinal:
      block->IncludeAllCells(true);
      break;
    case StellationStep::kPlace:
      break;
  }
  if (!search.Stopped()) result.place = FindStellationPlace(block, true);
  search.End();
  if (search.Cancelled()) {
    result = StellationStepResult();
    result.cancelled = true;
  }
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
