#pragma once
// The document's undo list. Before each recorded change the list keeps what the change
// will replace: the whole model (UndoModel::Capture) or, for a stellation step, the
// cells whose inclusion changes. Undo puts the newest step back and keeps the state it
// replaced for Redo; a new step drops the steps that could be redone. Steps recorded
// inside an undo group are one step. The oldest steps are dropped first when the list
// holds more than its limits allow, never the last MinNumUndos. With the user's undo off
// the list shows no step, but an operation that runs (core/OperationGuard.h) still keeps
// its own steps, within the same limits, to put the model back should it fail; they go
// when the outermost operation ends. Meanwhile the models its steps were taken from are
// kept when they are replaced (UndoModel::KeepReplacedModels), so that the way back gives
// the very model where it can, not one made again from the step, and the steps keep what
// only the way back needs (UndoState::DropWayBackOnly), which goes when it ends.

#include <cstddef>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/UndoHooks.h"

namespace corvia {

// A state of the model that a step can put back.
class UndoState {
 public:
  virtual ~UndoState() = default;
  virtual size_t GetMemorySize() const = 0;
  // Frees what only the way back of the operation that took the state needs (the end of
  // the outermost operation); the state still puts its model back, if less exactly.
  virtual void DropWayBackOnly() noexcept {}
  // The part of the memory size that DropWayBackOnly frees: the list's limits count
  // what stays.
  virtual size_t GetWayBackOnlySize() const { return 0; }
};

// One cell's change of inclusion in a stellation step.
struct UndoCellChange {
  int cell;
  bool included;
};

// What the list saves and puts back: the document's current model (app/ModelUndo.h).
class UndoModel {
 public:
  virtual ~UndoModel() = default;
  // The whole state of the current model; null when it cannot be taken. With tell, a
  // model that could not be kept says so in a box (the change it was taken for cannot
  // be undone); without, the caller says what the failure means.
  virtual std::unique_ptr<UndoState> Capture(bool tell) = 0;
  // Makes the state current. When that fails, the current state comes back from
  // `current` (taken just before) and the result is false.
  virtual bool Restore(const UndoState& state, const UndoState& current) = 0;
  // The way back of an operation that failed: makes the state current again, as the very
  // model it was taken from when that model is still at hand and untouched, else as
  // Restore does.
  virtual bool PutBack(const UndoState& state) { return Restore(state, state); }
  // On while operations run: a model a step was taken from is kept when it is replaced,
  // for PutBack; off (the end of the outermost operation) releases what was kept, freeing
  // only.
  virtual void KeepReplacedModels(bool keep) noexcept { (void)keep; }
  // Gives the cells of the base (dual) stellation the inclusion before the changes
  // (undo) or after them; false, nothing changed, when the stellation lacks a cell.
  virtual bool SetCells(bool dual, const std::vector<UndoCellChange>& changes, bool undo) = 0;
};

// The settings "UndoEnabled", "MaxUndoSize", "MinNumUndos" and "MaxNumUndos".
struct UndoLimits {
  bool enabled = true;
  size_t maxBytes = 33554432;
  int minCount = 2;
  int maxCount = 1000;
};

// Step types the list knows by kind: the stellation steps keep their cells only.
constexpr int kUndoNewModel = 0;
constexpr int kUndoStellationCells = 29;
constexpr int kUndoDualStellationCells = 30;

// The name of a step of the type, as the Undo and Redo drop-downs list it.
std::string GetUndoTypeName(int type);

class UndoList final : public platform::UndoHooks {
 public:
  explicit UndoList(UndoModel& model);
  ~UndoList() override;
  UndoList(const UndoList&) = delete;
  UndoList& operator=(const UndoList&) = delete;

  // Takes new limits and drops what they no longer allow; with undo off the list is
  // emptied.
  void SetLimits(const UndoLimits& limits);
  const UndoLimits& GetLimits() const { return mLimits; }

  // ---- Recording (platform::UndoHooks) -----------------------------------------------------
  void AddUndo(int type, long argument) override;
  void CloseUndo() override;
  void BeginUndoGroup() override;
  void EndUndoGroup() override;
  // Removes the step that the last AddUndo recorded (inside a group: once every
  // AddUndo of the group has been discarded), and brings back the steps that it
  // dropped from the redo list. Nothing when that AddUndo recorded nothing.
  void DiscardLastUndo() override;
  bool RestoreLastUndo() override;
  // Only the step just recorded, with the state before the change, outside a group.
  bool CanRestoreSteps() const override;
  void AddStellationCellUndo(int cellIndex, bool included) override;
  OperationMark BeginOperation() override;
  bool PutBackSince(const OperationMark& mark) override;
  void EndOperation(const OperationMark& mark) noexcept override;

  // ---- Undo and redo -------------------------------------------------------------------------
  // One step; false (after saying why, for a step that could not be put back) when
  // there is none or it failed. A failed step stays where it was, and so does the
  // model: also when memory runs out half-way (which is told as such).
  bool Undo();
  bool Redo();
  bool CanUndo() const { return mLimits.enabled && !mUndo.empty(); }
  bool CanRedo() const { return mLimits.enabled && !mRedo.empty(); }
  // The names of the steps, the next one first: choosing item n undoes (redoes) n.
  std::vector<std::string> GetNames(bool redo) const;
  // Deletes every step.
  void ClearUndoList() noexcept;

  int GetNumUndos() const { return mLimits.enabled ? int(mUndo.size()) : 0; }
  int GetNumRedos() const { return mLimits.enabled ? int(mRedo.size()) : 0; }
  size_t GetMemorySize() const { return SumSizes(false); }
  // Whether a step is being put back (the changes it makes are not recorded).
  bool IsRestoring() const { return mRestoring; }

 private:
  struct Step;
  using Steps = std::deque<std::unique_ptr<Step>>;
  void Push(std::unique_ptr<Step> step);
  void RemoveNewest();
  // Takes the newest step off; the redo steps it dropped come back.
  void PopNewest() noexcept;
  void Trim();
  // The memory the steps take; kept: what they keep once the operations running end.
  size_t SumSizes(bool kept) const;
  // What putting a step back came to: done, failed (the model as it was), or not
  // tried because the current model could not be kept for the way back.
  enum class Applied { kDone, kFailed, kNotKept };
  Applied Apply(Step& step, bool undo);
  // Undoes or redoes the next step: it moves to the other list.
  bool Move(bool undo);

  UndoModel& mModel;
  UndoLimits mLimits;
  Steps mUndo;  // oldest first
  Steps mRedo;  // the next to redo last
  // The redo steps that a step dropped (the one numbered mDroppedRedoBy), until it is
  // kept for good: the next step, or the end of the operation that recorded it.
  Steps mDroppedRedo;
  long long mDroppedRedoBy = 0;
  // The newest step was recorded by the last AddUndo and may still be discarded.
  bool mFresh = false;
  // The newest step is a stellation step still taking cells.
  bool mCellsOpen = false;
  int mGroupDepth = 0;
  // The group's step, and how many AddUndo of the group it stands for.
  Step* mGroupStep = nullptr;
  int mGroupAdds = 0;
  bool mRestoring = false;
  // Steps recorded since the list was made (each step's number), the newest the limits
  // dropped, and the changes no step could be kept for: an operation's mark.
  long long mStepsPushed = 0;
  long long mNewestDropped = 0;
  long long mUnrecorded = 0;
  // Operations running, one inside another.
  int mOperationDepth = 0;
};

}  // namespace corvia
