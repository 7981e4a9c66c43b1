#include "app/UndoList.h"

#include <algorithm>
#include <utility>

#include "core/Messages.h"
#include "core/OperationGuard.h"
#include "core/Progress.h"

namespace corvia {

namespace detail_UndoList {

// Marks the list as putting a step back for its lifetime, also when memory runs out.
class RestoringScope {
 public:
  explicit RestoringScope(bool& restoring) : mRestoring(restoring) { mRestoring = true; }
  ~RestoringScope() { mRestoring = false; }
  RestoringScope(const RestoringScope&) = delete;
  RestoringScope& operator=(const RestoringScope&) = delete;

 private:
  bool& mRestoring;
};

// The room made at the end of a list for a step that moves there; it goes again unless
// the step came.
template <class Steps>
class EmptySlot {
 public:
  explicit EmptySlot(Steps& steps) : mSteps(steps) {}
  ~EmptySlot() {
    if (!mSteps.empty() && !mSteps.back()) mSteps.pop_back();
  }
  EmptySlot(const EmptySlot&) = delete;
  EmptySlot& operator=(const EmptySlot&) = delete;

 private:
  Steps& mSteps;
};

}  // namespace detail_UndoList

struct UndoList::Step {
  int type = 0;
  // Its number, and the changes no step could be kept for before it.
  long long serial = 0;
  long long unrecordedBefore = 0;
  // A model step: the state before the change, and once undone the state it replaced.
  std::unique_ptr<UndoState> before;
  std::unique_ptr<UndoState> after;
  // A stellation step: the cells it changed, in order.
  bool cells = false;
  bool dual = false;
  std::vector<UndoCellChange> changes;

  size_t GetMemorySize(bool kept = false) const {
    size_t size = sizeof(Step) + changes.capacity() * sizeof(UndoCellChange);
    for (const UndoState* state : {before.get(), after.get()}) {
      if (state) size += state->GetMemorySize() - (kept ? state->GetWayBackOnlySize() : 0);
    }
    return size;
  }
  void DropWayBackOnly() noexcept {
    if (before) before->DropWayBackOnly();
    if (after) after->DropWayBackOnly();
  }
};

std::string GetUndoTypeName(int type) {
  switch (type) {
    case 0: return "New Model";
    case 1: return "Load Model";
    case 2: return "Model Change";
    case 4: return "Faceted Model";
    case 5: return "Retrieve Memory";
    case 6: return "Add from Memory";
    case 7: return "Add Base and Dual";
    case 8: return "Add Mirror Image";
    case 11: return "Convex Hull";
    case 12: return "Convex Core";
    case 16: return "Geodesic Sphere";
    case 17: return "Zonohedrify";
    case 19: return "Waterman Polyhedron";
    case 20: return "Create Block";
    case 23: return "Make Faces Regular";
    case 24: return "Translate";
    case 25: return "Variation";
    case 26: return "Length Scale";
    case 27: return "Color Change";
    case 28: return "Faceting Change";
    case 29: return "Stellation Change";
    case 30: return "Dual Stellation Change";
    case 31: return "Sub-Symmetry Change";
    case 32: return "Stellation Option";
    case 44: return "Face Image";
    case 45: return "Text Change";
    default: return "Change";
  }
}

UndoList::UndoList(UndoModel& model) : mModel(model) {}

UndoList::~UndoList() = default;

void UndoList::SetLimits(const UndoLimits& limits) {
  mLimits = limits;
  if (!mLimits.enabled) {
    ClearUndoList();
    return;
  }
  Trim();
}

// ---- Recording ---------------------------------------------------------------------------------

void UndoList::AddUndo(int type, long /*argument*/) {
  if (mRestoring) return;
  mCellsOpen = false;
  // With the user's undo off, only an operation keeps its way back.
  if (!mLimits.enabled && mOperationDepth == 0) {
    mFresh = false;
    return;
  }
  // Inside a group the first step stands for the whole group.
  if (mGroupDepth > 0 && mGroupStep) {
    ++mGroupAdds;
    return;
  }
  auto step = std::make_unique<Step>();
  step->type = type;
  // A stellation step outside a group keeps only its cells; in a group the model is
  // kept whole, since the group's other changes are part of the step.
  if ((type == kUndoStellationCells || type == kUndoDualStellationCells) && mGroupDepth == 0) {
    step->cells = true;
    step->dual = type == kUndoDualStellationCells;
  } else {
    step->before = mModel.Capture(mLimits.enabled);
    if (!step->before) {
      // Nothing to put back: the change cannot be undone, and a later discard must
      // not take an older step with it.
      mFresh = false;
      ++mUnrecorded;
      return;
    }
  }
  Step* added = step.get();
  Push(std::move(step));
  mCellsOpen = added->cells;
  if (mGroupDepth > 0) {
    mGroupStep = added;
    mGroupAdds = 1;
  }
}

void UndoList::Push(std::unique_ptr<Step> step) {
  Step* added = step.get();
  // Nothing changes when there is no room for it.
  mUndo.push_back(std::move(step));
  added->serial = ++mStepsPushed;
  added->unrecordedBefore = mUnrecorded;
  // The steps that could be redone go, but stay at hand until this step is kept: an
  // operation keeps them to its end, whatever else it records.
  if (!mRedo.empty()) {
    mDroppedRedo = std::move(mRedo);
    mRedo.clear();
    mDroppedRedoBy = added->serial;
  } else if (mOperationDepth == 0) {
    mDroppedRedo.clear();
  }
  mFresh = true;
  // A step taken outside every operation has no way back to keep anything for.
  if (mOperationDepth == 0) added->DropWayBackOnly();
  Trim();
}

void UndoList::AddStellationCellUndo(int cellIndex, bool included) {
  if (mRestoring || !mCellsOpen || mUndo.empty()) return;
  mUndo.back()->changes.push_back({cellIndex, included});
}

void UndoList::CloseUndo() {
  if (!mCellsOpen) return;
  mCellsOpen = false;
  // A stellation step that changed no cell would undo nothing.
  if (!mUndo.empty() && mUndo.back()->changes.empty() && mFresh) {
    RemoveNewest();
    return;
  }
  Trim();
}

void UndoList::BeginUndoGroup() {
  if (mRestoring) return;
  if (mGroupDepth++ == 0) {
    mCellsOpen = false;
    mGroupStep = nullptr;
    mGroupAdds = 0;
  }
}

void UndoList::EndUndoGroup() {
  if (mRestoring || mGroupDepth == 0) return;
  if (--mGroupDepth == 0) {
    mGroupStep = nullptr;
    mGroupAdds = 0;
  }
}

void UndoList::DiscardLastUndo() {
  if (mRestoring) return;
  mCellsOpen = false;
  if (mGroupDepth > 0) {
    // Only the group's own step, once none of its changes is left.
    if (!mGroupStep || mGroupAdds == 0) return;
    if (--mGroupAdds > 0) return;
    if (mFresh && !mUndo.empty() && mUndo.back().get() == mGroupStep) RemoveNewest();
    mGroupStep = nullptr;
    return;
  }
  if (mFresh) RemoveNewest();
}

bool UndoList::CanRestoreSteps() const {
  // With undo switched off, or a state that could not be taken, the newest step is an
  // older change's: putting it back would bring back the wrong model.
  return !mRestoring && mGroupDepth == 0 && mFresh && !mUndo.empty() && !mUndo.back()->cells &&
         mUndo.back()->before;
}

bool UndoList::RestoreLastUndo() {
  if (!CanRestoreSteps()) return false;
  Step& step = *mUndo.back();
  mCellsOpen = false;
  // The model the change left half-made cannot be kept for a redo: the recorded
  // state is all there is to go back to.
  bool done = false;
  {
    const detail_UndoList::RestoringScope restoring(mRestoring);
    done = mModel.Restore(*step.before, *step.before);
  }
  if (done) RemoveNewest();
  return done;
}

platform::UndoHooks::OperationMark UndoList::BeginOperation() {
  if (mOperationDepth++ == 0) mModel.KeepReplacedModels(true);
  return {mStepsPushed, mGroupDepth, mUnrecorded};
}

bool UndoList::PutBackSince(const OperationMark& mark) {
  // The groups the operation opened end with it.
  if (mGroupDepth > mark.groupDepth) {
    mGroupDepth = std::max(mark.groupDepth, 0);
    if (mGroupDepth == 0) {
      mGroupStep = nullptr;
      mGroupAdds = 0;
    }
  }
  // The operation's own steps are the newest ones: each puts back the state before it,
  // the newest first, as Undo would. A step that cannot be put back stays. An operation
  // that recorded none leaves the list as it is (a paint that failed inside a command).
  long long unrecorded = mUnrecorded;
  if (!mUndo.empty() && mUndo.back()->serial > mark.steps) {
    mCellsOpen = false;
    mFresh = false;
    const detail_UndoList::RestoringScope restoring(mRestoring);
    while (!mUndo.empty() && mUndo.back()->serial > mark.steps) {
      Step& step = *mUndo.back();
      const bool done = step.cells ? mModel.SetCells(step.dual, step.changes, true)
                                   : step.before && mModel.PutBack(*step.before);
      if (!done) return false;
      unrecorded = step.unrecordedBefore;
      PopNewest();
    }
  }
  // The model is as it was unless a step of the operation went for the limits, or a
  // change no step was kept for came before every step put back.
  return mNewestDropped <= mark.steps && unrecorded == mark.unrecorded;
}

void UndoList::EndOperation(const OperationMark& /*mark*/) noexcept {
  if (mOperationDepth > 0) --mOperationDepth;
  if (mOperationDepth > 0) return;
  // Its steps are kept for good, without what only its way back needed, or are only the
  // operation's own; the models it replaced go.
  mModel.KeepReplacedModels(false);
  mDroppedRedo.clear();
  if (!mLimits.enabled) {
    ClearUndoList();
    return;
  }
  for (const Steps* steps : {&mUndo, &mRedo}) {
    for (const auto& step : *steps) {
      if (step) step->DropWayBackOnly();
    }
  }
}

void UndoList::RemoveNewest() {
  if (mUndo.empty()) return;
  PopNewest();
  mFresh = false;
  mCellsOpen = false;
}

void UndoList::PopNewest() noexcept {
  const long long serial = mUndo.back()->serial;
  if (mUndo.back().get() == mGroupStep) mGroupStep = nullptr;
  mUndo.pop_back();
  if (serial == mDroppedRedoBy) {
    mRedo = std::move(mDroppedRedo);
    mDroppedRedo.clear();
    mDroppedRedoBy = 0;
  }
}

void UndoList::Trim() {
  // The newest step stays whatever the limits: it was just recorded.
  const size_t keep = size_t(std::max(mLimits.minCount, 1));
  const size_t most = std::max(size_t(std::max(mLimits.maxCount, 0)), keep);
  while (mUndo.size() > most || (mUndo.size() > keep && SumSizes(true) > mLimits.maxBytes)) {
    mNewestDropped = std::max(mNewestDropped, mUndo.front()->serial);
    mUndo.pop_front();
  }
}

size_t UndoList::SumSizes(bool kept) const {
  size_t size = 0;
  for (const Steps* steps : {&mUndo, &mRedo, &mDroppedRedo}) {
    for (const auto& step : *steps) size += step ? step->GetMemorySize(kept) : 0;
  }
  return size;
}

void UndoList::ClearUndoList() noexcept {
  mNewestDropped = mStepsPushed;
  mUndo.clear();
  mRedo.clear();
  mDroppedRedo.clear();
  mFresh = false;
  mCellsOpen = false;
  mGroupStep = nullptr;
  mGroupAdds = 0;
}

std::vector<std::string> UndoList::GetNames(bool redo) const {
  std::vector<std::string> names;
  if (!mLimits.enabled) return names;
  const Steps& steps = redo ? mRedo : mUndo;
  for (auto it = steps.rbegin(); it != steps.rend(); ++it) {
    if (*it) names.push_back(GetUndoTypeName((*it)->type));
  }
  return names;
}

// ---- Undo and redo -----------------------------------------------------------------------------

UndoList::Applied UndoList::Apply(Step& step, bool undo) {
  if (step.cells) return mModel.SetCells(step.dual, step.changes, undo) ? Applied::kDone : Applied::kFailed;
  std::unique_ptr<UndoState>& target = undo ? step.before : step.after;
  std::unique_ptr<UndoState>& replaced = undo ? step.after : step.before;
  if (!target) return Applied::kFailed;
  // The model shown is kept for the way back before anything changes; a step that
  // cannot keep it is not taken: the list would lose the model for good.
  std::unique_ptr<UndoState> current = mModel.Capture(false);
  if (!current) return Applied::kNotKept;
  try {
    if (!mModel.Restore(*target, *current)) return Applied::kFailed;
  } catch (...) {
    // Memory ran out half-way: the model taken just before comes back, to the end.
    const ProgressShield shield;
    mModel.Restore(*current, *current);
    throw;
  }
  replaced = std::move(current);
  return Applied::kDone;
}

bool UndoList::Undo() { return Move(true); }

bool UndoList::Redo() { return Move(false); }

bool UndoList::Move(bool undo) {
  Steps& from = undo ? mUndo : mRedo;
  Steps& to = undo ? mRedo : mUndo;
  if (mRestoring || from.empty() || !mLimits.enabled) return false;
  mCellsOpen = false;
  mFresh = false;
  mDroppedRedo.clear();
  const int type = from.back()->type;
  bool moved = false;
  // A step that memory did not allow stays where it was, and is told as such.
  RunOperation([undo, type] { return std::string(undo ? "undo the " : "redo the ") + GetUndoTypeName(type); },
               [&] {
                 // Room on the other list first: once the model has changed, nothing is
                 // left that could fail.
                 to.emplace_back();
                 const detail_UndoList::EmptySlot slot(to);
                 Applied applied = Applied::kFailed;
                 {
                   const detail_UndoList::RestoringScope restoring(mRestoring);
                   // A step is put back whole: a Cancel pressed meanwhile stops the steps
                   // after it, as the model's set-up now hears a Cancel in each of its stages.
                   const ProgressShield shield;
                   applied = Apply(*from.back(), undo);
                 }
                 if (applied == Applied::kDone) {
                   to.back() = std::move(from.back());
                   from.pop_back();
                   Trim();
                   moved = true;
                 } else if (applied == Applied::kNotKept) {
                   ShowError(
                       "Couldn't %s the %s: there was not enough memory to keep the model shown for %s.\n"
                       "The model and the undo list are as they were. Closing other programs may make room.",
                       undo ? "undo" : "redo", GetUndoTypeName(type).c_str(), undo ? "Redo" : "Undo");
                 } else {
                   ShowError("Couldn't %s the %s.\nThe model stays as it is.", undo ? "undo" : "redo",
                             GetUndoTypeName(type).c_str());
                 }
               });
  return moved;
}

}  // namespace corvia
