#pragma once
// Undo recording as the geometry sees it. The document's undo list answers; with
// no document (tests, tools) the headless side records the calls.

namespace corvia::platform {

class UndoHooks {
public:
  virtual ~UndoHooks() = default;
  virtual void AddUndo(int type, long argument) = 0;
  virtual void CloseUndo() = 0;
  virtual void BeginUndoGroup() = 0;
  virtual void EndUndoGroup() = 0;
  virtual void DiscardLastUndo() = 0;
  // Puts back the state the newest step recorded and forgets the step (a change that
  // was stopped half-way); false when there is no such step or it cannot be applied.
  virtual bool RestoreLastUndo() { return false; }
  // Whether RestoreLastUndo can put a recorded state back at all.
  virtual bool CanRestoreSteps() const { return false; }
  // An operation's beginning and end (core/OperationGuard.h), so that an allocation
  // failure that ends it half-way can put the model back: PutBackSince closes the undo
  // groups it opened and puts back the state before the steps it recorded, which go.
  // True when the model is as it was at the beginning; false when a step could not be
  // put back, or the model changed where no step could be recorded. While an operation
  // runs, its changes are recorded for this also when the user's undo list is off; what
  // only the operation kept goes at the end of the outermost one (EndOperation, which
  // frees and allocates nothing).
  struct OperationMark {
    long long steps = 0;
    int groupDepth = 0;
    long long unrecorded = 0;
  };
  virtual OperationMark BeginOperation() { return {}; }
  virtual bool PutBackSince(const OperationMark& /*mark*/) { return true; }
  virtual void EndOperation(const OperationMark& /*mark*/) noexcept {}
  // Records one cell's change of inclusion in the open stellation step.
  virtual void AddStellationCellUndo(int cellIndex, bool included) = 0;
};

}  // namespace corvia::platform
