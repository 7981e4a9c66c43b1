#pragma once
// What a report list of our own knows without its window: columns with their kind
// bytes, rows with their cell texts and records, selection, typed sorting, what a
// click on a cell does, the begin/end protocol of cell editing and the decision of a
// drop. NewListCtrl (ui/controls/NewListCtrl.h) puts it on screen; the window side
// comes in through a few virtual operations, so that the protocol runs (and is
// tested) without a window.
//
// Editing protocol: before an editor opens on a cell the owner is asked
// (ListEditOwner::OnBeginLabelEdit) and may refuse; every edit it allows ends with
// exactly one OnEndLabelEdit, carrying the new text or none when the edit was
// cancelled or could not start. The list never stores text typed into an editor:
// the owner does so when it handles the end. The Yes/No toggle and the file choosers
// store the new text themselves and then report it.

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace corvia {

class EditableList;

// Column kind byte: the high four bits say how the column's cells are edited.
constexpr uint8_t kListEditByRow = 0x00;     // the row record's edit kind
constexpr uint8_t kListEditReadOnly = 0x10;  // never
constexpr uint8_t kListEditYesNo = 0x20;     // a click toggles "Yes" and "No"
constexpr uint8_t kListEditText = 0x40;      // the in-place edit box (0x50 too)
constexpr uint8_t kListEditTextAlso = 0x50;
constexpr uint8_t kListEditSaveFile = 0x60;  // a file chooser for saving
constexpr uint8_t kListEditOpenFile = 0x70;  // a file chooser for opening
constexpr uint8_t kListEditCustom = 0x80;    // EditableList::EditCellCustom
constexpr uint8_t kListEditMask = 0xf0;
// The low four bits are the column's sort type.
constexpr uint8_t kListSortMask = 0x0f;
constexpr int kListSortNatural = 1;  // CompareNatural, blanks last in both directions
constexpr int kListSortCase = 2;     // byte-wise
constexpr int kListSortNoCase = 3;
constexpr int kListSortInteger = 4;  // the decimal prefix
constexpr int kListSortReal = 5;
constexpr int kListSortDate = 6;  // dates and times; texts that are neither sort last
constexpr int kListSortTime = 7;

// The edit kind of a row record as made, and of a read-only row.
constexpr int32_t kListRowEditDefault = 0x50;
constexpr int32_t kListRowReadOnly = 16;
// Row record flag: the row is marked.
constexpr uint32_t kListRowMarked = 0x1;

// Column alignment.
constexpr int kListAlignLeft = 0;
constexpr int kListAlignRight = 1;
constexpr int kListAlignCentre = 2;

// Highlight modes: how far a selected row is painted.
constexpr int kListHighlightLabel = 0;   // the label text
constexpr int kListHighlightRow = 1;     // to the row's right edge
constexpr int kListHighlightClient = 2;  // to the client area's right edge

// Sort directions.
constexpr int kListDescending = 0;
constexpr int kListAscending = 1;

// State images of rows that carry one: a check box, unchecked and checked.
constexpr int kListStateNone = 0;
constexpr int kListStateUnchecked = 1;
constexpr int kListStateChecked = 2;

// Sizes that decide whether an editor can open over a cell.
constexpr int kListMinEditWidth = 5;
constexpr int kListMinComboWidth = 10;
constexpr int kListMinColumnWidth = 12;

// The record a list keeps for each row it was asked about; it follows its row when
// the rows are sorted and lives as long as the list.
struct ListRowRecord {
  int32_t mEditKind = kListRowEditDefault;
  uint32_t mTextColour;           // text when not highlighted
  uint32_t mHighlightTextColour;  // text when highlighted
  uint32_t mBackColour;           // background when not highlighted
  uint32_t mHighlightBackColour;  // highlight instead of the system's
  int32_t mId = 0;                // stable identifier: the row index at creation
  uint32_t mFlags = 0;            // kListRowMarked
  ListRowRecord();
};

// The owner of a list: usually the dialog or bar that holds it.
class ListEditOwner {
 public:
  virtual ~ListEditOwner() = default;
  // Before an editor opens on the cell; true refuses the edit.
  virtual bool OnBeginLabelEdit(EditableList& /*list*/, int /*row*/, int /*column*/) { return false; }
  // The end of an edit that began: the text typed or chosen, null when the edit was
  // cancelled.
  virtual void OnEndLabelEdit(EditableList& list, int row, int column, const char* text) = 0;
};

class EditableList {
 public:
  EditableList();
  virtual ~EditableList();
  EditableList(const EditableList&) = delete;
  EditableList& operator=(const EditableList&) = delete;

  // ---- Columns ----
  // Inserts a column (at the end when beyond it); returns its index.
  int InsertColumn(int column, const char* header, int align, int width);
  int GetColumnCount() const { return static_cast<int>(mColumns.size()); }
  int GetColumnWidth(int column) const;
  void SetColumnWidth(int column, int width);
  int GetColumnAlign(int column) const;
  std::string GetColumnHeader(int column) const;
  // Replaces the kind bytes (one per column; columns beyond them sort naturally and
  // take the row's edit kind).
  bool SetColumnKinds(const uint8_t* kinds, int count);
  uint8_t GetColumnKind(int column) const;
  // The x of the column's left edge from the row's left edge, and the row's width.
  int GetColumnLeft(int column) const;
  int GetTotalWidth() const;
  // The column at an x from the row's left edge; -1 left of it or beyond the last.
  int ColumnAt(int x) const;

  // ---- Rows ----
  int GetItemCount() const { return static_cast<int>(mRows.size()); }
  // Inserts a row (appends when beyond the end) with its first cell; returns its
  // index, -1 for a negative row.
  int InsertItem(int row, const char* text);
  bool DeleteItem(int row);
  void DeleteAllItems();
  bool SetItemText(int row, int column, const char* text);
  std::string GetItemText(int row, int column) const;
  // A word of the owner's with each row.
  void SetItemData(int row, intptr_t data);
  intptr_t GetItemData(int row) const;
  int GetStateImage(int row) const;
  void SetStateImage(int row, int state);

  // ---- Selection and focus ----
  bool IsSelected(int row) const;
  void SetSelected(int row, bool on);
  int GetFocusedItem() const { return mFocusedRow; }
  void SetFocusedItem(int row);
  // The next selected row after `after` (-1: the first); -1 when none.
  int GetNextSelectedItem(int after) const;
  int GetSelectedCount() const;
  void DeselectAll();
  // Only one row can be selected at a time.
  void SetSingleSelection(bool on) { mSingleSelection = on; }
  bool IsSingleSelection() const { return mSingleSelection; }
  // The row drawn as a drop target (-1: none).
  void SetDropHighlight(int row);
  int GetDropHighlight() const { return mDropHighlightRow; }

  // ---- Records, colours and marks ----
  ListRowRecord* GetItemInfo(int row);
  // The row's record when it has one (drawing asks without making one).
  const ListRowRecord* FindItemInfo(int row) const;
  int GetItemId(int row);
  void SetItemColors(int row, uint32_t background, uint32_t highlightBackground);
  void MarkItem(int row, bool on);
  void SetItemReadOnly(int row, bool on);
  // The highlight mode (modes above 2 are ignored); returns the previous one.
  int SetHighlightMode(int mode);
  int GetHighlightMode() const { return mHighlightMode; }

  // ---- Sorting ----
  // Returns the previous flag; switching it on sorts by the current column again.
  bool EnableSorting(bool on);
  bool IsSortingEnabled() const { return mSortEnabled; }
  void SetSecondarySort(int column, int direction);
  // Sorts by the column (a negative column sorts again by the current one).
  void SortByColumn(int column, bool ascending);
  int GetSortColumn() const { return mSortColumn; }
  bool IsSortAscending() const { return mSortDirection == kListAscending; }
  // A click on a header item: descending when it is the ascending sort column already,
  // else ascending; nothing while sorting is off.
  void ClickHeader(int column);
  // Compares two cell texts the way a column of the sort type does (direction
  // kListAscending or kListDescending): negative, zero or positive.
  static int CompareCells(int sortType, const std::string& a, const std::string& b, int direction);

  // ---- Clicks and editing ----
  // Called with (row, 1) when a click or a key selects a row, (row, 0) when it is
  // deselected.
  void SetSelChangeCallback(std::function<void(int row, int selected)> callback);
  void SetEditOnClick(bool on) { mEditOnClick = on; }
  // The labels (first column) are edited too: a click on the label of a selected row
  // opens the edit box, as F2 does.
  void SetEditLabels(bool on) { mEditLabels = on; }
  // Opens the edit box on a cell after asking the owner (F2 on a label); true when it
  // opened.
  bool EditLabel(int row, int column);
  void SetCtrlClickDeselects(bool on) { mCtrlClickDeselects = on; }
  int GetLastClickedColumn() const { return mLastClickedColumn; }
  // Who is told of edits; none: the window side finds the owner.
  void SetEditOwner(ListEditOwner* owner) { mEditOwner = owner; }
  // The edit kind that decides how a cell is edited: the column's when it has one,
  // else the row record's.
  int GetEffectiveEditKind(int row, int column);
  // A left click at a cell (column -1 when beyond the last), with the keys held;
  // onStateIcon when the click hit the row's check box. Runs the whole rule: select,
  // toggle, or begin an edit.
  void ClickCell(int row, int column, bool shift, bool ctrl, bool onStateIcon);
  // Opens the in-place combo box over a cell with the entries, one of them chosen.
  bool ShowInPlaceCombo(int row, int column, int count, const char* const* strings, int selected);
  // The end of an edit: the editors call it with the text, or null when cancelled.
  // fromEditBox lowers the count of open edit boxes.
  void EndCellEdit(int row, int column, const char* text, bool fromEditBox);
  // While an edit box is open no row is drawn highlighted.
  int GetEditsInProgress() const { return mEditsInProgress; }

  // ---- Dragging ----
  // The drop row a point gives over a list: the row under it, 0 above the rows, the
  // row count below them.
  static int DropRowFor(int hitRow, bool aboveRows, int rowCount);
  // A drag that ended over `target` at the drop row: drops unless the row would land
  // on itself. True when OnDropItem was called.
  bool FinishDrag(EditableList* target, int sourceRow, int dropRow);

  // ---- What derived lists change ----
  // The text an edit box opens with; the cell's by default.
  virtual std::string GetCellText(int row, int column);
  // Whether a row may be dragged; no by default.
  virtual bool CanDragItem(int row);
  // Moves a dragged row; nothing by default.
  virtual void OnDropItem(EditableList* target, int sourceRow, int dropRow);
  // Edits a cell of kind 0x80: by default the in-place combo box with "Choice 1" and
  // "Choice 2". True when an editor opened.
  virtual bool EditCellCustom(int row, int column);

 protected:
  // ---- The window side (nothing without a window) ----
  virtual void RefreshRows() {}
  virtual void ColumnsChanged() {}
  virtual void MakeRowVisible(int /*row*/) {}
  // Opens the edit box over the cell; false when the column is too narrow.
  virtual bool OpenEditBox(int /*row*/, int /*column*/, const std::string& /*text*/) { return false; }
  virtual bool OpenComboBox(int /*row*/, int /*column*/, const std::vector<std::string>& /*entries*/,
                            int /*selected*/) {
    return false;
  }
  // Asks for a file (for opening or for saving) through the platform's file dialogs;
  // its name without folder, or false when cancelled.
  virtual bool BrowseForFile(bool forOpening, std::string& name);
  virtual void SortChanged() {}
  virtual ListEditOwner* FindEditOwner() { return mEditOwner; }

  // Tells the owner an edit begins; true when it refuses.
  bool SendBeginEdit(int row, int column);
  void SendEndEdit(int row, int column, const char* text);
  void NotifySelection(int row, bool selected);
  // Raised when an edit box opens.
  void BeginEditBox() { ++mEditsInProgress; }

 private:
  struct Column {
    std::string header;
    int align = kListAlignLeft;
    int width = 0;
  };
  struct Row {
    std::vector<std::string> cells;
    ListRowRecord* record = nullptr;
    intptr_t data = 0;
    int state = kListStateNone;
    bool selected = false;
  };
  bool ValidRow(int row) const { return row >= 0 && row < GetItemCount(); }
  void SelectOnly(int row);

  std::vector<Column> mColumns;
  std::vector<uint8_t> mColumnKinds;
  std::vector<Row> mRows;
  std::deque<ListRowRecord> mRecords;
  int mFocusedRow = -1;
  int mDropHighlightRow = -1;
  int mSelectionAnchor = -1;
  int mHighlightMode = kListHighlightLabel;
  bool mSortEnabled = false;
  int mSortColumn = -1;
  int mSortDirection = kListAscending;
  int mFixedSecondColumn = -1;
  int mFixedSecondDirection = kListAscending;
  int mPreviousColumn = -1;
  int mPreviousDirection = kListAscending;
  int mLastClickedColumn = -1;
  int mEditsInProgress = 0;
  bool mEditOnClick = true;
  bool mCtrlClickDeselects = false;
  bool mSingleSelection = false;
  bool mEditLabels = false;
  std::function<void(int, int)> mSelChange;
  ListEditOwner* mEditOwner = nullptr;
};

}  // namespace corvia
