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
  // Records one cell's change of inclusion in the open stellation step.
  virtual void AddStellationCellUndo(int cellIndex, bool included) = 0;
};

}  // namespace corvia::platform
