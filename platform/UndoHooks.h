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
  // What an operation notes as it begins, so that an allocation failure that ends it
  // half-way (core/OperationGuard.h) can put the model back: PutBackSince closes the
  // undo groups it opened and puts back the state before the steps it recorded, which
  // go. False when a step could not be put back; true when it was, or there was none.
  struct OperationMark {
    long long steps = 0;
    int groupDepth = 0;
  };
  virtual OperationMark MarkOperation() const { return {}; }
  virtual bool PutBackSince(const OperationMark& /*mark*/) { return true; }
  // Records one cell's change of inclusion in the open stellation step.
  virtual void AddStellationCellUndo(int cellIndex, bool included) = 0;
};

}  // namespace corvia::platform
