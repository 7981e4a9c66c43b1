#include "ui/controls/EditableList.h"

#include <wx/datetime.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/MergeSort.h"
#include "core/Strings.h"
#include "platform/Services.h"
#include "ui/controls/ControlColours.h"

namespace corvia {

namespace detail_EditableList {

int Sign(long long value) {
  return value < 0 ? -1 : value > 0 ? 1 : 0;
}

// The decimal prefix of a text, as atol reads it, saturating instead of wrapping.
long long IntegerPrefix(const std::string& text) {
  return std::strtoll(text.c_str(), nullptr, 10);
}

// The real number at the start of a text, as atof reads it; 0 for none.
double RealPrefix(const std::string& text) {
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  return value == value ? value : 0.0;  // a typed "nan" counts as nothing
}

// A date, a date with a time, or a time alone, taking the whole text.
bool ParseDate(const std::string& text, wxDateTime& when) {
  if (IsBlank(text.c_str())) return false;
  const wxString wide = wxString::FromUTF8(text).Strip(wxString::both);
  wxString::const_iterator end;
  auto whole = [&](bool parsed) { return parsed && end == wide.end() && when.IsValid(); };
  return whole(when.ParseDateTime(wide, &end)) || whole(when.ParseDate(wide, &end)) ||
         whole(when.ParseTime(wide, &end));
}

// The entries of the default custom editor.
const char* const kDefaultChoices[] = {"Choice 1", "Choice 2"};

// The file choosers of the 0x60 and 0x70 columns.
constexpr const char* kBrowseExtension = "txt";
constexpr const char* kBrowseFilterFormat = "File for Tracker (*.%s)|*.%s|All Files (*.*)|*.*||";
constexpr const char* kBrowseDefaultName = "file.txt";
constexpr const char* kBrowseTitle = "Browse for file";

}  // namespace detail_EditableList

ListRowRecord::ListRowRecord()
    : mTextColour(kNoItemColour),
      mHighlightTextColour(kNoItemColour),
      mBackColour(kNoItemColour),
      mHighlightBackColour(kNoItemColour) {}

EditableList::EditableList() = default;
EditableList::~EditableList() = default;

// ---- Columns --------------------------------------------------------------------------------

int EditableList::InsertColumn(int column, const char* header, int align, int width) {
  if (column < 0 || column > GetColumnCount()) column = GetColumnCount();
  Column c;
  c.header = header ? header : "";
  c.align = align;
  c.width = width < 0 ? 0 : width;
  mColumns.insert(mColumns.begin() + column, c);
  for (Row& row : mRows) {
    if (static_cast<int>(row.cells.size()) > column) row.cells.insert(row.cells.begin() + column, std::string());
  }
  ColumnsChanged();
  RefreshRows();
  return column;
}

int EditableList::GetColumnWidth(int column) const {
  return column >= 0 && column < GetColumnCount() ? mColumns[static_cast<size_t>(column)].width : 0;
}

void EditableList::SetColumnWidth(int column, int width) {
  if (column < 0 || column >= GetColumnCount()) return;
  mColumns[static_cast<size_t>(column)].width = width < 0 ? 0 : width;
  ColumnsChanged();
  RefreshRows();
}

int EditableList::GetColumnAlign(int column) const {
  return column >= 0 && column < GetColumnCount() ? mColumns[static_cast<size_t>(column)].align : kListAlignLeft;
}

std::string EditableList::GetColumnHeader(int column) const {
  return column >= 0 && column < GetColumnCount() ? mColumns[static_cast<size_t>(column)].header : std::string();
}

bool EditableList::SetColumnKinds(const uint8_t* kinds, int count) {
  mColumnKinds.clear();
  if (kinds && count > 0) mColumnKinds.assign(kinds, kinds + count);
  return true;
}

uint8_t EditableList::GetColumnKind(int column) const {
  return column >= 0 && column < static_cast<int>(mColumnKinds.size()) ? mColumnKinds[static_cast<size_t>(column)] : 0;
}

int EditableList::GetColumnLeft(int column) const {
  int x = 0;
  for (int c = 0; c < column && c < GetColumnCount(); ++c) x += mColumns[static_cast<size_t>(c)].width;
  return x;
}

int EditableList::GetTotalWidth() const {
  return GetColumnLeft(GetColumnCount());
}

int EditableList::ColumnAt(int x) const {
  if (x < 0) return -1;
  int left = 0;
  for (int c = 0; c < GetColumnCount(); ++c) {
    left += mColumns[static_cast<size_t>(c)].width;
    if (x < left) return c;
  }
  return -1;
}

// ---- Rows -----------------------------------------------------------------------------------

int EditableList::InsertItem(int row, const char* text) {
  if (row < 0) return -1;
  if (row > GetItemCount()) row = GetItemCount();
  Row r;
  r.cells.push_back(text ? text : "");
  mRows.insert(mRows.begin() + row, std::move(r));
  if (mFocusedRow >= row) ++mFocusedRow;
  if (mSelectionAnchor >= row) ++mSelectionAnchor;
  RefreshRows();
  return row;
}

bool EditableList::DeleteItem(int row) {
  if (!ValidRow(row)) return false;
  mRows.erase(mRows.begin() + row);
  if (mFocusedRow == row) mFocusedRow = -1;
  if (mFocusedRow > row) --mFocusedRow;
  if (mSelectionAnchor >= row) mSelectionAnchor = mSelectionAnchor == row ? -1 : mSelectionAnchor - 1;
  if (mDropHighlightRow >= GetItemCount()) mDropHighlightRow = -1;
  RefreshRows();
  return true;
}

void EditableList::DeleteAllItems() {
  mRows.clear();
  mFocusedRow = mSelectionAnchor = mDropHighlightRow = -1;
  RefreshRows();
}

bool EditableList::SetItemText(int row, int column, const char* text) {
  if (!ValidRow(row) || column < 0 || column >= std::max(1, GetColumnCount())) return false;
  std::vector<std::string>& cells = mRows[static_cast<size_t>(row)].cells;
  if (static_cast<int>(cells.size()) <= column) cells.resize(static_cast<size_t>(column) + 1);
  cells[static_cast<size_t>(column)] = text ? text : "";
  RefreshRows();
  return true;
}

std::string EditableList::GetItemText(int row, int column) const {
  if (!ValidRow(row) || column < 0) return std::string();
  const std::vector<std::string>& cells = mRows[static_cast<size_t>(row)].cells;
  return column < static_cast<int>(cells.size()) ? cells[static_cast<size_t>(column)] : std::string();
}

void EditableList::SetItemData(int row, intptr_t data) {
  if (ValidRow(row)) mRows[static_cast<size_t>(row)].data = data;
}

intptr_t EditableList::GetItemData(int row) const {
  return ValidRow(row) ? mRows[static_cast<size_t>(row)].data : 0;
}

int EditableList::GetStateImage(int row) const {
  return ValidRow(row) ? mRows[static_cast<size_t>(row)].state : kListStateNone;
}

void EditableList::SetStateImage(int row, int state) {
  if (!ValidRow(row)) return;
  mRows[static_cast<size_t>(row)].state = state;
  RefreshRows();
}

// ---- Selection ------------------------------------------------------------------------------

bool EditableList::IsSelected(int row) const {
  return ValidRow(row) && mRows[static_cast<size_t>(row)].selected;
}

void EditableList::SetSelected(int row, bool on) {
  if (!ValidRow(row)) return;
  if (on && mSingleSelection) {
    for (Row& r : mRows) r.selected = false;
  }
  mRows[static_cast<size_t>(row)].selected = on;
  if (on) mSelectionAnchor = row;
  RefreshRows();
}

void EditableList::SetFocusedItem(int row) {
  mFocusedRow = ValidRow(row) ? row : -1;
  RefreshRows();
}

int EditableList::GetNextSelectedItem(int after) const {
  for (int row = after < 0 ? 0 : after + 1; row < GetItemCount(); ++row) {
    if (mRows[static_cast<size_t>(row)].selected) return row;
  }
  return -1;
}

int EditableList::GetSelectedCount() const {
  int count = 0;
  for (const Row& row : mRows) count += row.selected ? 1 : 0;
  return count;
}

void EditableList::DeselectAll() {
  for (Row& row : mRows) row.selected = false;
  RefreshRows();
}

void EditableList::SetDropHighlight(int row) {
  mDropHighlightRow = ValidRow(row) ? row : -1;
  RefreshRows();
}

void EditableList::SelectOnly(int row) {
  for (Row& r : mRows) r.selected = false;
  SetSelected(row, true);
  SetFocusedItem(row);
}

// ---- Records --------------------------------------------------------------------------------

ListRowRecord* EditableList::GetItemInfo(int row) {
  if (!ValidRow(row)) return nullptr;
  Row& r = mRows[static_cast<size_t>(row)];
  if (!r.record) {
    mRecords.emplace_back();
    r.record = &mRecords.back();
    r.record->mId = row;
  }
  return r.record;
}

const ListRowRecord* EditableList::FindItemInfo(int row) const {
  return ValidRow(row) ? mRows[static_cast<size_t>(row)].record : nullptr;
}

int EditableList::GetItemId(int row) {
  ListRowRecord* record = GetItemInfo(row);
  return record ? record->mId : -1;
}

void EditableList::SetItemColors(int row, uint32_t background, uint32_t highlightBackground) {
  if (ListRowRecord* record = GetItemInfo(row)) {
    record->mBackColour = background;
    record->mHighlightBackColour = highlightBackground;
    RefreshRows();
  }
}

void EditableList::MarkItem(int row, bool on) {
  if (ListRowRecord* record = GetItemInfo(row)) {
    record->mFlags = on ? record->mFlags | kListRowMarked : record->mFlags & ~kListRowMarked;
    RefreshRows();
  }
}

void EditableList::SetItemReadOnly(int row, bool on) {
  if (ListRowRecord* record = GetItemInfo(row)) {
    record->mEditKind = on ? kListRowReadOnly : kListEditByRow;
    RefreshRows();
  }
}

int EditableList::SetHighlightMode(int mode) {
  const int previous = mHighlightMode;
  if (mode < 0 || mode > kListHighlightClient) return previous;
  mHighlightMode = mode;
  RefreshRows();
  return previous;
}

// ---- Sorting --------------------------------------------------------------------------------

int EditableList::CompareCells(int sortType, const std::string& a, const std::string& b, int direction) {
  using namespace detail_EditableList;
  const int sign = direction == kListAscending ? 1 : -1;
  switch (sortType) {
    case kListSortNatural: {
      // Blank cells stay at the bottom whichever way the column sorts.
      const bool blankA = IsBlank(a.c_str()), blankB = IsBlank(b.c_str());
      if (blankA || blankB) return blankA == blankB ? 0 : blankA ? 1 : -1;
      return sign * Sign(CompareNatural(a.c_str(), b.c_str()));
    }
    case kListSortCase:
      return sign * Sign(std::strcmp(a.c_str(), b.c_str()));
    case kListSortNoCase:
      return sign * Sign(StrCompareNoCase(a.c_str(), b.c_str()));
    case kListSortInteger: {
      const long long x = IntegerPrefix(a), y = IntegerPrefix(b);
      return sign * (x < y ? -1 : x > y ? 1 : 0);
    }
    case kListSortReal: {
      const double x = RealPrefix(a), y = RealPrefix(b);
      return sign * (x < y ? -1 : x > y ? 1 : 0);
    }
    case kListSortDate:
    case kListSortTime: {
      // Texts that are no date stay after the dates, in both directions.
      wxDateTime x, y;
      const bool okA = ParseDate(a, x), okB = ParseDate(b, y);
      if (!okA || !okB) return okA == okB ? 0 : okA ? -1 : 1;
      return sign * (x < y ? -1 : x > y ? 1 : 0);
    }
    default:
      return 0;
  }
}

bool EditableList::EnableSorting(bool on) {
  const bool previous = mSortEnabled;
  mSortEnabled = on;
  if (on && mSortColumn >= 0) SortByColumn(-1, mSortDirection == kListAscending);
  return previous;
}

void EditableList::SetSecondarySort(int column, int direction) {
  mFixedSecondColumn = column;
  mFixedSecondDirection = direction;
}

void EditableList::SortByColumn(int column, bool ascending) {
  if (column >= 0) {
    if (column != mSortColumn) {
      mPreviousColumn = mSortColumn;
      mPreviousDirection = mSortDirection;
    }
    mSortColumn = column;
    mSortDirection = ascending ? kListAscending : kListDescending;
  }
  if (mSortColumn < 0) return;
  int second = mFixedSecondColumn >= 0 ? mFixedSecondColumn : mPreviousColumn >= 0 ? mPreviousColumn : mSortColumn;
  const int secondDirection = mFixedSecondColumn >= 0 ? mFixedSecondDirection : mPreviousDirection;
  // A column beyond the kind bytes sorts naturally.
  auto typeOf = [&](int c) {
    return c < static_cast<int>(mColumnKinds.size()) ? mColumnKinds[static_cast<size_t>(c)] & kListSortMask
                                                     : kListSortNatural;
  };
  const int firstType = typeOf(mSortColumn), secondType = typeOf(second);
  const int first = mSortColumn;
  // The focused row and the anchor follow their rows.
  const ListRowRecord* focused = ValidRow(mFocusedRow) ? GetItemInfo(mFocusedRow) : nullptr;
  const ListRowRecord* anchor = ValidRow(mSelectionAnchor) ? GetItemInfo(mSelectionAnchor) : nullptr;
  for (int row = 0; row < GetItemCount(); ++row) GetItemInfo(row);
  MergeSort(mRows, [&](const Row& a, const Row& b) {
    auto cell = [](const Row& r, int c) {
      return c < static_cast<int>(r.cells.size()) ? r.cells[static_cast<size_t>(c)] : std::string();
    };
    int result = CompareCells(firstType, cell(a, first), cell(b, first), mSortDirection);
    if (result == 0) result = CompareCells(secondType, cell(a, second), cell(b, second), secondDirection);
    return result;
  });
  mFocusedRow = mSelectionAnchor = -1;
  for (int row = 0; row < GetItemCount(); ++row) {
    if (mRows[static_cast<size_t>(row)].record == focused) mFocusedRow = row;
    if (mRows[static_cast<size_t>(row)].record == anchor) mSelectionAnchor = row;
  }
  RefreshRows();
  const int firstSelected = GetNextSelectedItem(-1);
  if (firstSelected >= 0) MakeRowVisible(firstSelected);
  SortChanged();
}

void EditableList::ClickHeader(int column) {
  if (!mSortEnabled || column < 0 || column >= GetColumnCount()) return;
  SortByColumn(column, !(column == mSortColumn && mSortDirection == kListAscending));
}

// ---- Clicks and editing ------------------------------------------------------------------------

void EditableList::SetSelChangeCallback(std::function<void(int, int)> callback) {
  mSelChange = std::move(callback);
}

void EditableList::NotifySelection(int row, bool selected) {
  if (mSelChange) mSelChange(row, selected ? 1 : 0);
}

int EditableList::GetEffectiveEditKind(int row, int column) {
  const int columnKind = GetColumnKind(column) & kListEditMask;
  if (columnKind != 0) return columnKind;
  ListRowRecord* record = GetItemInfo(row);
  return record ? record->mEditKind : kListRowEditDefault;
}

bool EditableList::SendBeginEdit(int row, int column) {
  ListEditOwner* owner = FindEditOwner();
  return owner && owner->OnBeginLabelEdit(*this, row, column);
}

void EditableList::SendEndEdit(int row, int column, const char* text) {
  if (ListEditOwner* owner = FindEditOwner()) owner->OnEndLabelEdit(*this, row, column, text);
}

void EditableList::ClickCell(int row, int column, bool shift, bool ctrl, bool onStateIcon) {
  if (!ValidRow(row)) return;
  const bool wasSelected = IsSelected(row);
  if (onStateIcon) {
    Row& r = mRows[static_cast<size_t>(row)];
    r.state = r.state == kListStateChecked ? kListStateUnchecked : kListStateChecked;
  }
  // What the list itself does with the click: a plain click selects the row alone, a
  // control-click adds it, a shift-click selects the range from the anchor.
  if (shift && !mSingleSelection && ValidRow(mSelectionAnchor)) {
    const int anchor = mSelectionAnchor;
    for (int r = 0; r < GetItemCount(); ++r) {
      mRows[static_cast<size_t>(r)].selected = (r >= std::min(anchor, row) && r <= std::max(anchor, row));
    }
    SetFocusedItem(row);
  } else if (ctrl && !mSingleSelection) {
    if (!wasSelected) SetSelected(row, true);
    SetFocusedItem(row);
  } else if (!(wasSelected && GetSelectedCount() == 1)) {
    SelectOnly(row);
  } else {
    SetFocusedItem(row);
  }
  if (!shift) mSelectionAnchor = row;
  mLastClickedColumn = column;
  if (column < 0) return;

  if (column == 0 && mEditLabels && mEditOnClick && wasSelected && !shift && !ctrl) {
    EditLabel(row, column);
    return;
  }
  const int kind = column > 0 ? GetEffectiveEditKind(row, column) : 0;
  if (mEditOnClick && column > 0 && kind != kListRowReadOnly && !shift && !ctrl) {
    if (!wasSelected && kind != kListEditYesNo) {
      SetSelected(row, true);
      SetFocusedItem(row);
      NotifySelection(row, true);
      return;
    }
    if (SendBeginEdit(row, column)) return;
    // From here every edit the owner allowed ends with one end notification, also
    // when no editor could open.
    switch (kind) {
      case kListEditYesNo: {
        const std::string text = GetItemText(row, column);
        const char* toggled = text.starts_with('Y') ? "No" : text.starts_with('N') ? "Yes" : nullptr;
        if (toggled) SetItemText(row, column, toggled);
        SendEndEdit(row, column, toggled);
        return;
      }
      case kListEditSaveFile:
      case kListEditOpenFile: {
        std::string name;
        if (BrowseForFile(kind == kListEditOpenFile, name)) {
          SetItemText(row, column, name.c_str());
          SendEndEdit(row, column, name.c_str());
        } else {
          SendEndEdit(row, column, nullptr);
        }
        return;
      }
      case kListEditCustom:
        if (!EditCellCustom(row, column)) SendEndEdit(row, column, nullptr);
        return;
      default:
        MakeRowVisible(row);
        if (column >= GetColumnCount() || GetColumnWidth(column) < kListMinEditWidth ||
            !OpenEditBox(row, column, GetCellText(row, column))) {
          SendEndEdit(row, column, nullptr);
        }
        return;
    }
  }
  if (!wasSelected) {
    SetSelected(row, true);
    SetFocusedItem(row);
    NotifySelection(row, true);
  } else if (mCtrlClickDeselects && ctrl) {
    SetSelected(row, false);
    if (mFocusedRow == row) SetFocusedItem(-1);
    NotifySelection(row, false);
  }
}

bool EditableList::EditLabel(int row, int column) {
  if (!ValidRow(row) || SendBeginEdit(row, column)) return false;
  MakeRowVisible(row);
  if (column >= GetColumnCount() || GetColumnWidth(column) < kListMinEditWidth ||
      !OpenEditBox(row, column, GetCellText(row, column))) {
    SendEndEdit(row, column, nullptr);
    return false;
  }
  return true;
}

bool EditableList::ShowInPlaceCombo(int row, int column, int count, const char* const* strings, int selected) {
  if (!ValidRow(row) || column < 0 || column >= GetColumnCount() || GetColumnWidth(column) < kListMinComboWidth)
    return false;
  std::vector<std::string> entries;
  for (int i = 0; i < count && strings; ++i) entries.emplace_back(strings[i] ? strings[i] : "");
  MakeRowVisible(row);
  return OpenComboBox(row, column, entries, selected);
}

void EditableList::EndCellEdit(int row, int column, const char* text, bool fromEditBox) {
  if (fromEditBox && mEditsInProgress > 0) --mEditsInProgress;
  SendEndEdit(row, column, text);
  RefreshRows();
}

std::string EditableList::GetCellText(int row, int column) {
  return GetItemText(row, column);
}

bool EditableList::BrowseForFile(bool forOpening, std::string& name) {
  using namespace detail_EditableList;
  platform::FileDialogFrontEnd* dialogs = platform::Services().fileDialogs;
  if (!dialogs) return false;
  platform::FileDialogRequest request;
  char filter[128];
  std::snprintf(filter, sizeof filter, kBrowseFilterFormat, kBrowseExtension, kBrowseExtension);
  request.title = kBrowseTitle;
  request.fileName = kBrowseDefaultName;
  request.filter = filter;
  request.saving = !forOpening;
  request.overwritePrompt = !forOpening;
  request.mustExist = forOpening;
  platform::FileDialogReply reply = dialogs->RunFileDialog(request);
  if (!reply.ok || reply.path.empty()) return false;
  // A name typed without extension gets the default one.
  std::string file = reply.path.substr(reply.path.find_last_of("/\\") + 1);
  if (file.find('.') == std::string::npos) file += std::string(".") + kBrowseExtension;
  name = file;
  return !name.empty();
}

bool EditableList::CanDragItem(int /*row*/) {
  return false;
}

void EditableList::OnDropItem(EditableList* /*target*/, int /*sourceRow*/, int /*dropRow*/) {}

bool EditableList::EditCellCustom(int row, int column) {
  return ShowInPlaceCombo(row, column, 2, detail_EditableList::kDefaultChoices, 0);
}

// ---- Dragging -------------------------------------------------------------------------------

int EditableList::DropRowFor(int hitRow, bool aboveRows, int rowCount) {
  if (hitRow >= 0 && hitRow < rowCount) return hitRow;
  return aboveRows ? 0 : rowCount;
}

bool EditableList::FinishDrag(EditableList* target, int sourceRow, int dropRow) {
  if (!target || dropRow < 0 || (target == this && dropRow == sourceRow)) return false;
  OnDropItem(target, sourceRow, dropRow);
  return true;
}

}  // namespace corvia
