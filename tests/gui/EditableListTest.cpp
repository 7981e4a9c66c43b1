// The report list's logic without its window: what a click on a cell does, the
// begin/end protocol of editing with its owner, typed sorting with a secondary
// column, records that follow their rows, and what a drop does.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/TestSupport.h"
#include "ui/controls/EditableList.h"

namespace {

using namespace corvia;

// A list whose window side records what it was asked to do.
class RecordingList : public EditableList {
 public:
  bool OpenEditBox(int row, int column, const std::string& text) override {
    BeginEditBox();
    editBoxes.push_back({row, column, text});
    return true;
  }
  bool OpenComboBox(int row, int column, const std::vector<std::string>& entries, int selected) override {
    combos.push_back({row, column, entries.size() == 2 ? entries[0] + "|" + entries[1] : "", selected});
    return true;
  }
  void OnDropItem(EditableList* target, int sourceRow, int dropRow) override {
    drops.push_back({target == this ? 0 : 1, sourceRow, dropRow});
  }
  struct Box {
    int row, column;
    std::string text;
  };
  struct Combo {
    int row, column;
    std::string entries;
    int selected;
  };
  struct Drop {
    int otherList, source, drop;
  };
  std::vector<Box> editBoxes;
  std::vector<Combo> combos;
  std::vector<Drop> drops;
};

// An owner that records the notifications and refuses what it is told to.
class RecordingOwner : public ListEditOwner {
 public:
  bool OnBeginLabelEdit(EditableList&, int row, int column) override {
    begins.push_back({row, column, ""});
    return refuse;
  }
  void OnEndLabelEdit(EditableList&, int row, int column, const char* text) override {
    ends.push_back({row, column, text ? text : "<none>"});
  }
  struct Note {
    int row, column;
    std::string text;
  };
  bool refuse = false;
  std::vector<Note> begins, ends;
};

class EditableListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    list.SetEditOwner(&owner);
    list.InsertColumn(0, "Name", kListAlignLeft, 100);
    list.InsertColumn(1, "Size", kListAlignRight, 60);
    list.InsertColumn(2, "Shown", kListAlignLeft, 40);
    const uint8_t kinds[] = {kListEditText | kListSortNatural, kListEditText | kListSortReal, kListEditYesNo};
    list.SetColumnKinds(kinds, 3);
    AddRow("cube", "6", "Yes");
    AddRow("tetrahedron", "4", "No");
    AddRow("dodecahedron", "12", "maybe");
  }
  void AddRow(const char* name, const char* size, const char* shown) {
    const int row = list.InsertItem(list.GetItemCount(), name);
    list.SetItemText(row, 1, size);
    list.SetItemText(row, 2, shown);
  }
  std::vector<std::string> Column(int column) const {
    std::vector<std::string> texts;
    for (int row = 0; row < list.GetItemCount(); ++row) texts.push_back(list.GetItemText(row, column));
    return texts;
  }

  RecordingList list;
  RecordingOwner owner;
};

TEST_F(EditableListTest, AClickOnAnUnselectedRowOnlySelectsItAndASecondClickOpensTheEditBox) {
  std::vector<std::pair<int, int>> calls;
  list.SetSelChangeCallback([&](int row, int selected) { calls.push_back({row, selected}); });
  list.ClickCell(1, 1, false, false, false);
  EXPECT_TRUE(list.IsSelected(1));
  EXPECT_EQ(list.GetFocusedItem(), 1);
  EXPECT_EQ(list.GetLastClickedColumn(), 1);
  EXPECT_TRUE(list.editBoxes.empty());
  EXPECT_TRUE(owner.begins.empty());
  EXPECT_EQ(calls, (std::vector<std::pair<int, int>>{{1, 1}}));

  list.ClickCell(1, 1, false, false, false);
  ASSERT_EQ(owner.begins.size(), 1u);
  ASSERT_EQ(list.editBoxes.size(), 1u);
  EXPECT_EQ(list.editBoxes[0].text, "4");
  EXPECT_EQ(list.GetEditsInProgress(), 1);
  // The list never stores the text: the owner does, when it is told.
  list.EndCellEdit(1, 1, "8", true);
  EXPECT_EQ(list.GetEditsInProgress(), 0);
  ASSERT_EQ(owner.ends.size(), 1u);
  EXPECT_EQ(owner.ends[0].text, "8");
  EXPECT_EQ(list.GetItemText(1, 1), "4");
  // Escape: the end carries no text.
  list.ClickCell(1, 1, false, false, false);
  list.EndCellEdit(1, 1, nullptr, true);
  EXPECT_EQ(owner.ends.back().text, "<none>");
  EXPECT_EQ(list.GetEditsInProgress(), 0);
}

TEST_F(EditableListTest, AnOwnerThatRefusesKeepsEveryEditorShut) {
  owner.refuse = true;
  list.ClickCell(0, 1, false, false, false);
  list.ClickCell(0, 1, false, false, false);
  list.ClickCell(0, 2, false, false, false);
  EXPECT_EQ(owner.begins.size(), 2u);
  EXPECT_TRUE(list.editBoxes.empty());
  EXPECT_TRUE(owner.ends.empty());
  EXPECT_EQ(list.GetItemText(0, 2), "Yes");
}

TEST_F(EditableListTest, YesNoCellsToggleAtOnceAndOthersAreLeftAlone) {
  list.ClickCell(0, 2, false, false, false);
  EXPECT_EQ(list.GetItemText(0, 2), "No");
  ASSERT_EQ(owner.ends.size(), 1u);
  EXPECT_EQ(owner.ends[0].text, "No");
  list.ClickCell(1, 2, false, false, false);
  EXPECT_EQ(list.GetItemText(1, 2), "Yes");
  // A text that starts with neither letter stays; the edit still ends, without text.
  list.ClickCell(2, 2, false, false, false);
  EXPECT_EQ(list.GetItemText(2, 2), "maybe");
  EXPECT_EQ(owner.begins.size(), 3u);
  EXPECT_EQ(owner.ends.size(), 3u);
  EXPECT_EQ(owner.ends[2].text, "<none>");
}

TEST_F(EditableListTest, NoEditsForTheFirstColumnReadOnlyRowsModifiersOrWithEditOnClickOff) {
  list.ClickCell(0, 0, false, false, false);
  list.ClickCell(0, 0, false, false, false);
  list.ClickCell(0, 1, false, true, false);
  list.ClickCell(0, 1, true, false, false);
  // A read-only row is edited only where its column has no edit kind of its own.
  const uint8_t byRow[] = {0, kListEditByRow};
  list.SetColumnKinds(byRow, 2);
  list.SetItemReadOnly(1, true);
  list.ClickCell(1, 1, false, false, false);
  list.ClickCell(1, 1, false, false, false);
  list.SetEditOnClick(false);
  list.ClickCell(2, 1, false, false, false);
  list.ClickCell(2, 1, false, false, false);
  EXPECT_TRUE(owner.begins.empty());
  EXPECT_TRUE(list.editBoxes.empty());
}

TEST_F(EditableListTest, LabelsAreEditedOnlyWithTheStyle) {
  list.ClickCell(0, 0, false, false, false);
  list.ClickCell(0, 0, false, false, false);
  EXPECT_TRUE(list.editBoxes.empty());
  list.SetEditLabels(true);
  list.ClickCell(0, 0, false, false, false);
  ASSERT_EQ(list.editBoxes.size(), 1u);
  EXPECT_EQ(list.editBoxes[0].text, "cube");
  EXPECT_EQ(owner.begins.size(), 1u);
}

TEST_F(EditableListTest, AnAllowedEditThatCannotOpenStillEnds) {
  list.SetColumnWidth(1, 4);
  list.ClickCell(0, 1, false, false, false);
  list.ClickCell(0, 1, false, false, false);
  EXPECT_TRUE(list.editBoxes.empty());
  ASSERT_EQ(owner.begins.size(), 1u);
  ASSERT_EQ(owner.ends.size(), 1u);
  EXPECT_EQ(owner.ends[0].text, "<none>");
}

TEST_F(EditableListTest, CustomCellsOpenTheComboAndFileCellsTakeTheChosenName) {
  const uint8_t kinds[] = {0, kListEditCustom, kListEditSaveFile};
  list.SetColumnKinds(kinds, 3);
  list.ClickCell(0, 1, false, false, false);
  list.ClickCell(0, 1, false, false, false);
  ASSERT_EQ(list.combos.size(), 1u);
  EXPECT_EQ(list.combos[0].entries, "Choice 1|Choice 2");
  EXPECT_EQ(list.combos[0].selected, 0);

  corvia::testing::Platform().fileDialogs.QueueChoice("/tmp/some/where/notes");
  list.ClickCell(0, 2, false, false, false);
  EXPECT_EQ(list.GetItemText(0, 2), "notes.txt");
  EXPECT_EQ(owner.ends.back().text, "notes.txt");
  const auto& request = corvia::testing::Platform().fileDialogs.mRequests.back();
  EXPECT_TRUE(request.saving);
  EXPECT_EQ(request.title, "Browse for file");
  EXPECT_EQ(request.fileName, "file.txt");
  EXPECT_EQ(request.filter, "File for Tracker (*.txt)|*.txt|All Files (*.*)|*.*||");
  // A cancelled chooser leaves the cell and ends without text.
  corvia::testing::Platform().fileDialogs.QueueCancel();
  list.ClickCell(0, 2, false, false, false);
  EXPECT_EQ(list.GetItemText(0, 2), "notes.txt");
  EXPECT_EQ(owner.ends.back().text, "<none>");
}

TEST_F(EditableListTest, CtrlClickAddsAndWithTheFlagDeselects) {
  std::vector<std::pair<int, int>> calls;
  list.SetSelChangeCallback([&](int row, int selected) { calls.push_back({row, selected}); });
  list.ClickCell(0, 0, false, false, false);
  list.ClickCell(2, 0, false, true, false);
  EXPECT_EQ(list.GetSelectedCount(), 2);
  list.ClickCell(2, 0, false, true, false);
  EXPECT_EQ(list.GetSelectedCount(), 2);
  list.SetCtrlClickDeselects(true);
  list.ClickCell(2, 0, false, true, false);
  EXPECT_FALSE(list.IsSelected(2));
  EXPECT_EQ(calls, (std::vector<std::pair<int, int>>{{0, 1}, {2, 1}, {2, 0}}));
  list.ClickCell(0, 0, false, false, false);
  list.ClickCell(2, 0, true, false, false);
  EXPECT_EQ(list.GetSelectedCount(), 3);
}

TEST(EditableListSort, ComparisonsByType) {
  auto cmp = [](int type, const char* a, const char* b, int direction = kListAscending) {
    return EditableList::CompareCells(type, a, b, direction);
  };
  EXPECT_LT(cmp(kListSortNatural, "U9", "U10"), 0);
  EXPECT_GT(cmp(kListSortNatural, "U9", "U10", kListDescending), 0);
  // Blanks last whichever way.
  EXPECT_GT(cmp(kListSortNatural, " ", "x"), 0);
  EXPECT_GT(cmp(kListSortNatural, "", "x", kListDescending), 0);
  EXPECT_EQ(cmp(kListSortNatural, "", "  "), 0);
  EXPECT_LT(cmp(kListSortCase, "B", "a"), 0);
  EXPECT_GT(cmp(kListSortNoCase, "B", "a"), 0);
  EXPECT_LT(cmp(kListSortInteger, "9", "10"), 0);
  EXPECT_LT(cmp(kListSortInteger, "-3000000000", "3000000000"), 0);
  EXPECT_GT(cmp(kListSortInteger, "99999999999999999999", "1"), 0);
  EXPECT_LT(cmp(kListSortReal, "2.5", "10"), 0);
  EXPECT_EQ(cmp(kListSortReal, "1.50", "1.5"), 0);
  EXPECT_LT(cmp(kListSortDate, "2020-01-02", "2021-01-01"), 0);
  // Texts that are no date stay after the dates.
  EXPECT_GT(cmp(kListSortDate, "never", "2021-01-01", kListDescending), 0);
  EXPECT_LT(cmp(kListSortDate, "2021-01-01", "never"), 0);
  EXPECT_EQ(cmp(kListSortDate, "never", "soon"), 0);
  EXPECT_EQ(cmp(0x0f, "a", "b"), 0);
}

TEST_F(EditableListTest, SortingByNumbersAsNumbersKeepsRecordsWithTheirRowsAndReverses) {
  list.GetItemInfo(0)->mBackColour = 0x0000ff;  // cube, red
  const int cubeId = list.GetItemId(0);
  list.SetSelected(2, true);
  list.SortByColumn(1, true);
  EXPECT_EQ(Column(1), (std::vector<std::string>{"4", "6", "12"}));
  EXPECT_EQ(list.GetItemInfo(1)->mBackColour, 0x0000ffu);
  EXPECT_EQ(list.GetItemId(1), cubeId);
  EXPECT_TRUE(list.IsSelected(2));
  EXPECT_EQ(list.GetItemText(2, 0), "dodecahedron");
  list.EnableSorting(true);
  list.ClickHeader(1);
  EXPECT_EQ(Column(1), (std::vector<std::string>{"12", "6", "4"}));
  list.ClickHeader(1);
  EXPECT_EQ(Column(1), (std::vector<std::string>{"4", "6", "12"}));
  // By text, in natural order.
  list.ClickHeader(0);
  EXPECT_EQ(Column(0), (std::vector<std::string>{"cube", "dodecahedron", "tetrahedron"}));
  // Off: header clicks do nothing.
  list.EnableSorting(false);
  list.ClickHeader(1);
  EXPECT_EQ(Column(0), (std::vector<std::string>{"cube", "dodecahedron", "tetrahedron"}));
}

TEST_F(EditableListTest, EqualValuesFallBackToTheSecondaryColumn) {
  list.SetItemText(0, 1, "4");  // cube and tetrahedron both 4
  list.SortByColumn(0, false);  // the previous column becomes the secondary key
  list.SortByColumn(1, true);
  EXPECT_EQ(Column(0), (std::vector<std::string>{"tetrahedron", "cube", "dodecahedron"}));
  list.SetSecondarySort(0, kListAscending);
  list.SortByColumn(1, true);
  EXPECT_EQ(Column(0), (std::vector<std::string>{"cube", "tetrahedron", "dodecahedron"}));
}

TEST_F(EditableListTest, DropsMoveNothingOntoTheirOwnPlaceAndPastTheEndGiveTheRowCount) {
  EXPECT_EQ(EditableList::DropRowFor(1, false, 3), 1);
  EXPECT_EQ(EditableList::DropRowFor(-1, true, 3), 0);
  EXPECT_EQ(EditableList::DropRowFor(-1, false, 3), 3);
  EXPECT_FALSE(list.FinishDrag(&list, 1, 1));
  EXPECT_FALSE(list.FinishDrag(nullptr, 1, 2));
  EXPECT_FALSE(list.FinishDrag(&list, 1, -1));
  EXPECT_TRUE(list.FinishDrag(&list, 0, 3));
  RecordingList other;
  EXPECT_TRUE(list.FinishDrag(&other, 1, 1));
  ASSERT_EQ(list.drops.size(), 2u);
  EXPECT_EQ(list.drops[0].drop, 3);
  EXPECT_EQ(list.drops[1].otherList, 1);
  // The base list drags nothing.
  EditableList plain;
  EXPECT_FALSE(plain.CanDragItem(0));
}

TEST_F(EditableListTest, RecordsStartWithNoColoursAndAStableId) {
  ListRowRecord* record = list.GetItemInfo(2);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->mEditKind, 0x50);
  EXPECT_EQ(record->mBackColour, 0xff000000u);
  EXPECT_EQ(record->mId, 2);
  list.MarkItem(2, true);
  EXPECT_EQ(record->mFlags & kListRowMarked, kListRowMarked);
  list.DeleteItem(0);
  EXPECT_EQ(list.GetItemId(1), 2);
  EXPECT_EQ(list.SetHighlightMode(7), kListHighlightLabel);
  EXPECT_EQ(list.SetHighlightMode(kListHighlightClient), kListHighlightLabel);
  EXPECT_EQ(list.GetHighlightMode(), kListHighlightClient);
}

}  // namespace
