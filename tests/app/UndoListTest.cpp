// The undo list on a model that is a number and a set of cells.

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/UndoList.h"
#include "core/Messages.h"
#include "tests/support/TestSupport.h"

namespace corvia {
namespace {

struct ValueState final : UndoState {
  explicit ValueState(int v, size_t bytes) : value(v), size(bytes) {}
  size_t GetMemorySize() const override { return size; }
  int value;
  size_t size;
};

class FakeModel final : public UndoModel {
 public:
  // As the document's model does, a state that cannot be kept is told when asked to.
  std::unique_ptr<UndoState> Capture(bool tell) override {
    if (failCapture && tell) ShowError("The model could not be kept in memory, so this change cannot be undone.");
    if (failCapture) return nullptr;
    return std::make_unique<ValueState>(value, stateBytes);
  }
  bool Restore(const UndoState& state, const UndoState& current) override {
    value = -1;  // a restore that fails half way
    if (failRestore) {
      value = static_cast<const ValueState&>(current).value;
      return false;
    }
    value = static_cast<const ValueState&>(state).value;
    return true;
  }
  bool SetCells(bool dual, const std::vector<UndoCellChange>& changes, bool undo) override {
    std::map<int, bool>& set = dual ? dualCells : cells;
    if (undo) {
      for (auto it = changes.rbegin(); it != changes.rend(); ++it) set[it->cell] = !it->included;
    } else {
      for (const UndoCellChange& c : changes) set[c.cell] = c.included;
    }
    return true;
  }

  int value = 0;
  size_t stateBytes = 100;
  bool failCapture = false;
  bool failRestore = false;
  std::map<int, bool> cells, dualCells;
};

class UndoListTest : public ::testing::Test {
 protected:
  // Records a step of the type and makes the change.
  void Change(int to, int type = 27) {
    list.AddUndo(type, 0);
    model.value = to;
  }
  std::vector<std::string> Names(bool redo) const { return list.GetNames(redo); }

  void SetUp() override { testing::Platform().messages.Clear(); }

  FakeModel model;
  UndoList list{model};
};

TEST_F(UndoListTest, UndoAndRedoWalkTheStepsAndANewStepDropsTheRedoSteps) {
  EXPECT_FALSE(list.Undo());
  Change(1, 0);
  Change(2, 27);
  Change(3, 31);
  EXPECT_EQ(Names(false), (std::vector<std::string>{"Sub-Symmetry Change", "Color Change", "New Model"}));
  ASSERT_TRUE(list.Undo());
  EXPECT_EQ(model.value, 2);
  ASSERT_TRUE(list.Undo());
  EXPECT_EQ(model.value, 1);
  EXPECT_EQ(Names(true), (std::vector<std::string>{"Color Change", "Sub-Symmetry Change"}));
  ASSERT_TRUE(list.Redo());
  EXPECT_EQ(model.value, 2);
  ASSERT_TRUE(list.Redo());
  EXPECT_EQ(model.value, 3);
  EXPECT_FALSE(list.Redo());
  EXPECT_EQ(model.value, 3);

  ASSERT_TRUE(list.Undo());
  Change(7, 24);
  EXPECT_FALSE(list.CanRedo());
  EXPECT_EQ(Names(false), (std::vector<std::string>{"Translate", "Color Change", "New Model"}));
  ASSERT_TRUE(list.Undo());
  EXPECT_EQ(model.value, 2);
  ASSERT_TRUE(list.Undo());
  ASSERT_TRUE(list.Undo());
  EXPECT_EQ(model.value, 0);
  EXPECT_FALSE(list.Undo());
  EXPECT_EQ(GetUndoTypeName(12345), "Change");
}

TEST_F(UndoListTest, LimitsDropTheOldestStepsButKeepTheFewest) {
  UndoLimits limits;
  limits.maxCount = 3;
  list.SetLimits(limits);
  for (int i = 1; i <= 5; ++i) Change(i);
  EXPECT_EQ(list.GetNumUndos(), 3);
  while (list.Undo()) {
  }
  EXPECT_EQ(model.value, 2);  // the steps to 1 and 2 went first

  // Memory: each step holds 100 bytes of state; 250 bytes allow two, and never fewer
  // than MinNumUndos stay.
  list.ClearUndoList();
  limits.maxCount = 1000;
  limits.maxBytes = 250 + 2 * 200;
  limits.minCount = 2;
  list.SetLimits(limits);
  for (int i = 1; i <= 6; ++i) Change(i);
  EXPECT_LE(list.GetMemorySize(), limits.maxBytes);
  EXPECT_GE(list.GetNumUndos(), 2);
  EXPECT_LT(list.GetNumUndos(), 6);
  model.stateBytes = 100000;
  Change(9);
  EXPECT_EQ(list.GetNumUndos(), 2);
  ASSERT_TRUE(list.Undo());
  EXPECT_EQ(model.value, 6);

  // Off: nothing is recorded and the list is emptied.
  limits.enabled = false;
  list.SetLimits(limits);
  EXPECT_EQ(list.GetNumUndos() + list.GetNumRedos(), 0);
  Change(10);
  EXPECT_FALSE(list.CanUndo());
}

TEST_F(UndoListTest, AGroupIsOneStep) {
  Change(1);
  list.BeginUndoGroup();
  Change(2, 0);
  list.BeginUndoGroup();
  Change(3, 1);
  list.EndUndoGroup();
  Change(4, 29);  // a stellation step inside the group: the model is kept whole
  list.AddStellationCellUndo(5, true);
  list.CloseUndo();
  list.EndUndoGroup();
  EXPECT_EQ(Names(false), (std::vector<std::string>{"New Model", "Color Change"}));
  ASSERT_TRUE(list.Undo());
  EXPECT_EQ(model.value, 1);
  ASSERT_TRUE(list.Redo());
  EXPECT_EQ(model.value, 4);
}

TEST_F(UndoListTest, AFailedBuildLeavesTheListAsItWas) {
  Change(1, 0);
  Change(2, 27);
  Change(3, 24);
  ASSERT_TRUE(list.Undo());
  const auto undos = Names(false);
  const auto redos = Names(true);

  // The build records its step and discards it.
  list.BeginUndoGroup();
  list.AddUndo(0, 0);
  list.AddUndo(1, 0);
  list.DiscardLastUndo();
  list.DiscardLastUndo();
  list.EndUndoGroup();
  EXPECT_EQ(Names(false), undos);
  EXPECT_EQ(Names(true), redos);

  // A build that failed before recording anything discards nothing older.
  list.BeginUndoGroup();
  list.DiscardLastUndo();
  list.EndUndoGroup();
  EXPECT_EQ(Names(false), undos);

  // Nor does a step whose model could not be kept.
  model.failCapture = true;
  list.AddUndo(27, 0);
  list.DiscardLastUndo();
  model.failCapture = false;
  EXPECT_EQ(Names(false), undos);
  EXPECT_EQ(Names(true), redos);

  // One of two changes in a group failing keeps the group's step.
  list.BeginUndoGroup();
  Change(8, 0);
  list.AddUndo(1, 0);
  list.DiscardLastUndo();
  list.EndUndoGroup();
  EXPECT_EQ(list.GetNumUndos(), 3);
  EXPECT_FALSE(list.CanRedo());
}

TEST_F(UndoListTest, StellationStepsKeepTheirCells) {
  list.AddUndo(kUndoStellationCells, 0);
  list.AddStellationCellUndo(4, true);
  list.AddStellationCellUndo(5, true);
  list.AddStellationCellUndo(4, false);
  list.CloseUndo();
  list.AddUndo(kUndoDualStellationCells, 0);
  list.CloseUndo();  // changed nothing: no step
  EXPECT_EQ(Names(false), (std::vector<std::string>{"Stellation Change"}));
  ASSERT_TRUE(list.Undo());
  EXPECT_EQ(model.cells, (std::map<int, bool>{{4, false}, {5, false}}));
  ASSERT_TRUE(list.Redo());
  EXPECT_EQ(model.cells, (std::map<int, bool>{{4, false}, {5, true}}));
  EXPECT_TRUE(model.dualCells.empty());
  // Cells changed outside an open step are not recorded.
  list.AddStellationCellUndo(6, true);
  EXPECT_EQ(list.GetNumUndos(), 1);
}

TEST_F(UndoListTest, AStepThatCannotBePutBackSaysSoAndStays) {
  Change(1);
  Change(2);
  model.failRestore = true;
  EXPECT_FALSE(list.Undo());
  EXPECT_EQ(model.value, 2);
  EXPECT_EQ(list.GetNumUndos(), 2);
  EXPECT_EQ(testing::Platform().messages.CountTitled("Error"), 1);
  testing::Platform().messages.Clear();
  model.failRestore = false;
  ASSERT_TRUE(list.Undo());
  EXPECT_EQ(model.value, 1);
}

// An undo or redo that cannot keep the model shown for the way back is not taken: one
// box says what happened, and the model and both lists are as they were.
TEST_F(UndoListTest, AStepThatCannotKeepTheModelShownSaysSoOnceAndStays) {
  Change(1);
  Change(2, 24);
  Change(3);
  ASSERT_TRUE(list.Undo());
  const auto undos = Names(false);
  const auto redos = Names(true);
  model.failCapture = true;
  for (const bool undo : {true, false}) {
    SCOPED_TRACE(undo ? "undo" : "redo");
    testing::Platform().messages.Clear();
    EXPECT_FALSE(undo ? list.Undo() : list.Redo());
    EXPECT_EQ(model.value, 2);
    EXPECT_EQ(Names(false), undos);
    EXPECT_EQ(Names(true), redos);
    const auto& boxes = testing::Platform().messages.Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, "Error");
    EXPECT_EQ(boxes[0].text.rfind(undo ? "Couldn't undo the Translate: " : "Couldn't redo the Color Change: ", 0), 0u)
        << boxes[0].text;
    EXPECT_NE(boxes[0].text.find("not enough memory"), std::string::npos) << boxes[0].text;
    EXPECT_NE(boxes[0].text.find("undo list are as they were"), std::string::npos) << boxes[0].text;
  }
  model.failCapture = false;
  ASSERT_TRUE(list.Undo());
  EXPECT_EQ(model.value, 1);
  ASSERT_TRUE(list.Redo());
  ASSERT_TRUE(list.Redo());
  EXPECT_EQ(model.value, 3);
}

// A change stopped half-way is put back from the step it just recorded, and only from
// it: with undo off or a state that could not be taken, an older step is left alone.
TEST_F(UndoListTest, AStoppedChangeIsPutBackOnlyFromItsOwnStep) {
  Change(1);
  Change(2);
  EXPECT_TRUE(list.CanRestoreSteps());
  EXPECT_TRUE(list.RestoreLastUndo());
  EXPECT_EQ(model.value, 1);
  EXPECT_FALSE(list.CanRestoreSteps()) << "the step that is left is an older change's";
  model.failCapture = true;
  Change(3);
  EXPECT_FALSE(list.CanRestoreSteps());
  EXPECT_FALSE(list.RestoreLastUndo());
  EXPECT_EQ(model.value, 3);
  model.failCapture = false;
  UndoLimits off;
  off.enabled = false;
  list.SetLimits(off);
  Change(4);
  EXPECT_FALSE(list.RestoreLastUndo());
  EXPECT_EQ(model.value, 4);
}

// An operation that fails half-way puts back the steps it recorded, newest first, with
// the redo steps they dropped; with the user's undo off it keeps such steps all the same,
// and they go as it ends. Where the model changed with no step to go back to (a state that
// could not be kept, a step the limits dropped), it does not claim the model is as it was.
TEST_F(UndoListTest, AFailedOperationPutsBackItsOwnStepsOrSaysItCannot) {
  Change(1);
  Change(2);
  ASSERT_TRUE(list.Undo());
  const auto undos = Names(false);
  const auto redos = Names(true);
  auto mark = list.BeginOperation();
  Change(5);
  Change(6, 24);
  EXPECT_TRUE(list.PutBackSince(mark));
  list.EndOperation(mark);
  EXPECT_EQ(model.value, 1);
  EXPECT_EQ(Names(false), undos);
  EXPECT_EQ(Names(true), redos);

  // A step kept before a state that could not be kept covers both changes.
  mark = list.BeginOperation();
  Change(7);
  model.failCapture = true;
  Change(8);
  EXPECT_TRUE(list.PutBackSince(mark));
  list.EndOperation(mark);
  EXPECT_EQ(model.value, 1);
  EXPECT_EQ(Names(false), undos);
  mark = list.BeginOperation();
  Change(9);
  model.failCapture = false;
  EXPECT_FALSE(list.PutBackSince(mark));
  list.EndOperation(mark);

  UndoLimits limits;
  limits.enabled = false;
  list.SetLimits(limits);
  model.value = 10;
  mark = list.BeginOperation();
  Change(11);
  Change(12);
  EXPECT_FALSE(list.CanUndo());
  EXPECT_TRUE(list.PutBackSince(mark));
  list.EndOperation(mark);
  EXPECT_EQ(model.value, 10);
  mark = list.BeginOperation();
  Change(13);
  list.EndOperation(mark);
  EXPECT_EQ(model.value, 13);
  EXPECT_EQ(list.GetMemorySize(), 0u);
  Change(14);
  EXPECT_EQ(list.GetMemorySize(), 0u) << "outside an operation nothing is kept";

  limits.enabled = true;
  limits.minCount = 1;
  limits.maxCount = 1;
  list.SetLimits(limits);
  mark = list.BeginOperation();
  Change(15);
  Change(16);
  EXPECT_FALSE(list.PutBackSince(mark));
  list.EndOperation(mark);
  EXPECT_EQ(model.value, 15);
}

}  // namespace
}  // namespace corvia
