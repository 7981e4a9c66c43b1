#include "stellation/StellationCellSet.h"

#include <algorithm>

#include "model/FaceTypeBlock.h"
#include "stellation/Stellate.h"
#include "stellation/StellationCell.h"
#include "stellation/StellationCriteria.h"
#include "symmetry/SymOperations.h"

namespace corvia {

namespace detail_StellationCellSet {

// The cells the numbers name, as flags by cell number; false when a number names none.
bool Flags(const std::vector<int>& numbers, size_t count, std::vector<bool>& flags) {
  flags.assign(count, false);
  for (int index : numbers) {
    if (index < 0 || size_t(index) >= count) return false;
    flags[size_t(index)] = true;
  }
  return true;
}

}  // namespace detail_StellationCellSet

ExactStellationCells::ExactStellationCells() : mSaved(StellationOptions) {
  StellationOptions &= ~kStellationMaintainReflexibility;
}
ExactStellationCells::~ExactStellationCells() { StellationOptions = mSaved; }

StellationCellSet CaptureStellationCells(FaceTypeBlock* block) {
  StellationCellSet set;
  if (!block || !block->IsStellated()) return set;
  set.stellated = true;
  set.placed = FindStellationPlace(block, false).total > 0;
  for (StellationCell* c = block->mFirstCell; c; c = c->mNext) {
    if (c->IsIncluded()) set.included.push_back(c->mIndex);
    if (c->IsHidden()) set.hidden.push_back(c->mIndex);
  }
  return set;
}

bool IsSteppedStellation(FaceTypeBlock* block) {
  if (!block || !block->IsStellated()) return false;
  if (!FaceTypeBlock::IsOriginalStellation(block) || FindStellationPlace(block, false).total > 0) return true;
  for (const StellationCell* c = block->mFirstCell; c; c = c->mNext) {
    if (c->IsHidden()) return true;
  }
  return false;
}

Outcome RestoreStellationCells(Poly& poly, FaceTypeBlock* block, const StellationCellSet& set) {
  namespace d = detail_StellationCellSet;
  if (!set.stellated || !block) return Outcome::Done();
  const Outcome setUp = Stellate(&poly, block, false);
  if (!block->IsStellated()) return setUp.done() ? Outcome::Cancelled() : setUp;
  int last = -1;
  for (StellationCell* c = block->mFirstCell; c; c = c->mNext) last = std::max(last, c->mIndex);
  std::vector<bool> on;
  std::vector<bool> hidden;
  if (!d::Flags(set.included, size_t(last + 1), on) || !d::Flags(set.hidden, size_t(last + 1), hidden)) {
    Outcome failed =
        Outcome::FailedF("The stellation names a cell that the model's stellation (of %d cells) does not have.", last + 1);
    failed.TakeWarnings(setUp);
    return failed;
  }
  ExactStellationCells exact;
  for (StellationCell* c = block->mFirstCell; c; c = c->mNext) {
    if (c->mIndex < 0 || size_t(c->mIndex) >= on.size()) continue;
    if (c->IsIncluded() != on[size_t(c->mIndex)]) StellationCell::SetIncluded(c, on[size_t(c->mIndex)]);
    c->SetHidden(hidden[size_t(c->mIndex)]);
  }
  // The walk of the criteria went with the block the set was taken from; a cancel of it
  // leaves the stellation unnamed, as it is.
  if (set.placed) (void)FindStellationPlace(block, true);
  return setUp;
}

}  // namespace corvia
