#include "ui/controls/NewListCtrl.h"

#include <wx/dcbuffer.h>
#include <wx/headercol.h>
#include <wx/headerctrl.h>
#include <wx/listctrl.h>
#include <wx/renderer.h>
#include <wx/scrolwin.h>
#include <wx/settings.h>
#include <wx/sizer.h>

#include <algorithm>

#include "core/Strings.h"
#include "ui/controls/ControlColours.h"
#include "ui/controls/DragImage.h"
#include "ui/controls/InPlaceEditors.h"

namespace corvia {

namespace detail_NewListCtrl {

// Horizontal scroll step, pixels.
constexpr int kScrollStepX = 8;
// A cell's text shows in a tip when it is wider than the column less this (less one
// for the first column).
constexpr int kTipMargin = 12;
constexpr int kTipMarginFirst = 11;
// Tip texts are cut to this many characters.
constexpr size_t kTipLength = 80;
// Tip ids: row x this + column + 1.
constexpr int kTipRowFactor = 1024;
// A divider double-click on the first column gives the next width change this much more.
constexpr int kFirstColumnWiden = 3;
// Edge of the client area within which a drag scrolls, and the drop marker's inset.
constexpr int kDragScrollEdge = 5;
constexpr int kDropMarkerInset = 2;
const wxColour kDropMarkerColour(0x80, 0x80, 0x80);
// The check box of a row's state image.
constexpr int kStateIconSize = 16;
// The edit box's place in its cell.
constexpr int kEditInsetLeft = 4;
constexpr int kEditWidthLess = 3;

// The one drag of the program.
struct DragState {
  NewListCtrl* source = nullptr;
  int sourceRow = -1;
  NewListCtrl* target = nullptr;
  int dropRow = -1;
  wxPoint screen;
};
DragState gDrag;

// The list a window belongs to (the list itself, its body or its header).
NewListCtrl* ListOf(wxWindow* window) {
  for (wxWindow* w = window; w; w = w->GetParent()) {
    if (auto* list = dynamic_cast<NewListCtrl*>(w)) return list;
    if (w->IsTopLevel()) break;
  }
  return nullptr;
}

wxColour Sys(wxSystemColour which) {
  return wxSystemSettings::GetColour(which);
}

}  // namespace detail_NewListCtrl

// ---- The header -----------------------------------------------------------------------------

class NewListCtrl::Header : public wxHeaderCtrl {
 public:
  Header(NewListCtrl* list)
      : wxHeaderCtrl(list, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxHD_DEFAULT_STYLE & ~wxHD_ALLOW_REORDER),
        mList(list) {}

  // The columns as the list has them, the sort column with its arrow.
  void Rebuild() {
    mColumns.clear();
    for (int c = 0; c < mList->GetColumnCount(); ++c) {
      const int align = mList->GetColumnAlign(c);
      wxHeaderColumnSimple column(wxString::FromUTF8(mList->GetColumnHeader(c)), mList->GetColumnWidth(c),
                                  align == kListAlignRight    ? wxALIGN_RIGHT
                                  : align == kListAlignCentre ? wxALIGN_CENTRE
                                                              : wxALIGN_LEFT,
                                  wxCOL_RESIZABLE);
      column.SetMinWidth(kListMinColumnWidth);
      if (c == mList->GetSortColumn()) column.SetSortOrder(mList->IsSortAscending());
      mColumns.push_back(column);
    }
    SetColumnCount(static_cast<unsigned>(mColumns.size()));
    for (unsigned i = 0; i < mColumns.size(); ++i) UpdateColumn(i);
    Refresh();
  }

 protected:
  const wxHeaderColumn& GetColumn(unsigned int idx) const override { return mColumns.at(idx); }

 private:
  NewListCtrl* mList;
  std::vector<wxHeaderColumnSimple> mColumns;
};

wxHeaderCtrl* NewListCtrl::GetHeader() const {
  return mHeader;
}

// ---- The body -------------------------------------------------------------------------------

class NewListCtrl::Body : public wxScrolledCanvas {
 public:
  explicit Body(NewListCtrl* list)
      : wxScrolledCanvas(list, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                         wxHSCROLL | wxVSCROLL | wxWANTS_CHARS | wxFULL_REPAINT_ON_RESIZE | wxBORDER_NONE),
        mList(list) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    Bind(wxEVT_PAINT, [this](wxPaintEvent&) {
      wxAutoBufferedPaintDC dc(this);
      mList->PaintBody(dc, GetUpdateRegion().GetBox());
    });
    Bind(wxEVT_LEFT_DOWN, [this](wxMouseEvent& e) { mList->OnBodyLeftDown(e); });
    Bind(wxEVT_LEFT_DCLICK, [this](wxMouseEvent& e) { mList->OnBodyLeftDown(e); });
    Bind(wxEVT_MOTION, [this](wxMouseEvent& e) { mList->OnBodyMotion(e); });
    Bind(wxEVT_LEFT_UP, [this](wxMouseEvent& e) { mList->OnBodyLeftUp(e); });
    Bind(wxEVT_MOUSE_CAPTURE_LOST, [this](wxMouseCaptureLostEvent&) { mList->OnBodyCaptureLost(); });
    Bind(wxEVT_KEY_DOWN, [this](wxKeyEvent& e) { mList->OnBodyKey(e); });
    // Gaining or losing the focus changes how the selection and the focus row look,
    // except when the focus moves to or from an editor of the list.
    auto focusChange = [this](wxFocusEvent& e) {
      wxWindow* other = e.GetWindow();
      if (!other || other->GetParent() != this) Refresh();
      e.Skip();
    };
    Bind(wxEVT_SET_FOCUS, focusChange);
    Bind(wxEVT_KILL_FOCUS, focusChange);
  }

  // The header scrolls with the rows.
  void ScrollWindow(int dx, int dy, const wxRect* rect) override {
    wxScrolledCanvas::ScrollWindow(dx, dy, rect);
    if (dx && mList->mHeader) mList->mHeader->ScrollWindow(dx, 0);
  }

 private:
  NewListCtrl* mList;
};

wxWindow* NewListCtrl::GetBody() const {
  return mBody;
}

// ---- Creation -------------------------------------------------------------------------------

NewListCtrl::NewListCtrl() : mDragTimer(this, kListDragTimerId) {}

NewListCtrl::NewListCtrl(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style)
    : mDragTimer(this, kListDragTimerId) {
  Create(parent, id, pos, size, style);
}

NewListCtrl::~NewListCtrl() {
  using detail_NewListCtrl::gDrag;
  if (gDrag.source == this || gDrag.target == this) {
    DragImageEnd();
    gDrag = detail_NewListCtrl::DragState();
  }
  mDragTimer.Stop();
}

bool NewListCtrl::Create(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style) {
  if (!wxControl::Create(parent, id, pos, size,
                         (style & ~(kListSingleSelection | kListNoHeader | kListShowSelectionAlways)) | wxBORDER_THEME |
                             wxTAB_TRAVERSAL,
                         wxDefaultValidator, "NewListCtrl"))
    return false;
  SetSingleSelection((style & kListSingleSelection) != 0);
  mShowSelectionAlways = (style & kListShowSelectionAlways) != 0;
  mBody = new Body(this);
  if (!(style & kListNoHeader)) {
    mHeader = new Header(this);
    mHeader->Bind(wxEVT_HEADER_CLICK, &NewListCtrl::OnHeaderClick, this);
    mHeader->Bind(wxEVT_HEADER_RESIZING, &NewListCtrl::OnHeaderResizing, this);
    mHeader->Bind(wxEVT_HEADER_END_RESIZE, &NewListCtrl::OnHeaderEndResize, this);
    mHeader->Bind(wxEVT_HEADER_SEPARATOR_DCLICK, &NewListCtrl::OnHeaderDClick, this);
  }
  Init();
  Bind(wxEVT_SIZE, &NewListCtrl::OnSize, this);
  Bind(wxEVT_TIMER, &NewListCtrl::OnTimer, this, kListDragTimerId);
  Bind(wxEVT_SET_FOCUS, [this](wxFocusEvent&) { FocusBody(); });
  return true;
}

bool NewListCtrl::Create(wxWindow* dialog, int itemId) {
  wxWindow* item = dialog ? dialog->FindWindow(itemId) : nullptr;
  if (!item || item == this) return false;
  wxWindow* parent = item->GetParent();
  long style = 0;
  if (auto* old = dynamic_cast<wxListCtrl*>(item)) {
    if (old->HasFlag(wxLC_SINGLE_SEL)) style |= kListSingleSelection;
    if (old->HasFlag(wxLC_NO_HEADER)) style |= kListNoHeader;
  }
  const wxRect rect = item->GetRect();
  wxSizer* sizer = item->GetContainingSizer();
  if (!Create(parent, itemId, rect.GetPosition(), rect.GetSize(), style)) return false;
  if (sizer) sizer->Replace(item, this, true);
  item->Destroy();
  SetHighlightMode(kListHighlightClient);
  if (sizer) parent->Layout();
  return true;
}

void NewListCtrl::Init() {
  SetBackgroundColour(detail_NewListCtrl::Sys(wxSYS_COLOUR_WINDOW));
  mRowHeight = std::max(GetCharHeight() + 6, detail_NewListCtrl::kStateIconSize + 2);
  mBody->SetScrollRate(detail_NewListCtrl::kScrollStepX, mRowHeight);
  LayoutChildren();
}

wxSize NewListCtrl::DoGetBestSize() const {
  const int header = mHeader ? mHeader->GetBestSize().y : 0;
  return wxSize(std::max(100, GetTotalWidth() + 4), header + mRowHeight * 8);
}

void NewListCtrl::LayoutChildren() {
  if (!mBody) return;
  const wxSize client = GetClientSize();
  int top = 0;
  if (mHeader) {
    top = mHeader->GetBestSize().y;
    mHeader->SetSize(0, 0, client.x, top);
  }
  mBody->SetSize(0, top, client.x, std::max(0, client.y - top));
  RefreshRows();
}

void NewListCtrl::OnSize(wxSizeEvent& event) {
  LayoutChildren();
  event.Skip();
}

void NewListCtrl::SetShowSelectionAlways(bool on) {
  mShowSelectionAlways = on;
  RefreshRows();
}

void NewListCtrl::FocusBody() {
  if (mBody) mBody->SetFocus();
}

ListEditOwner* NewListCtrl::FindEditOwner() {
  if (ListEditOwner* owner = EditableList::FindEditOwner()) return owner;
  for (wxWindow* w = GetParent(); w; w = w->GetParent()) {
    if (auto* owner = dynamic_cast<ListEditOwner*>(w)) return owner;
    if (w->IsTopLevel()) break;
  }
  return nullptr;
}

// ---- Window side of the list ------------------------------------------------------------------

void NewListCtrl::RefreshRows() {
  if (!mBody) return;
  mBody->SetVirtualSize(GetTotalWidth(), GetItemCount() * mRowHeight);
  mBody->Refresh();
}

void NewListCtrl::ColumnsChanged() {
  if (mHeader) mHeader->Rebuild();
  RefreshRows();
}

void NewListCtrl::SortChanged() {
  if (mHeader) mHeader->Rebuild();
}

int NewListCtrl::GetScrollX() const {
  int x = 0, y = 0;
  mBody->GetViewStart(&x, &y);
  return x * detail_NewListCtrl::kScrollStepX;
}

void NewListCtrl::ScrollToX(int x) {
  int vx = 0, vy = 0;
  mBody->GetViewStart(&vx, &vy);
  mBody->Scroll(std::max(0, x) / detail_NewListCtrl::kScrollStepX, vy);
}

int NewListCtrl::GetTopItem() const {
  int x = 0, y = 0;
  mBody->GetViewStart(&x, &y);
  return y;
}

int NewListCtrl::GetCountPerPage() const {
  return std::max(1, mBody->GetClientSize().y / mRowHeight);
}

void NewListCtrl::EnsureVisible(int row) {
  if (row < 0 || row >= GetItemCount()) return;
  const int top = GetTopItem(), page = GetCountPerPage();
  int vx = 0, vy = 0;
  mBody->GetViewStart(&vx, &vy);
  if (row < top)
    mBody->Scroll(vx, row);
  else if (row >= top + page)
    mBody->Scroll(vx, row - page + 1);
}

void NewListCtrl::MakeRowVisible(int row) {
  EnsureVisible(row);
  mBody->Update();
}

int NewListCtrl::HitTest(const wxPoint& bodyPoint, int* column, bool* onStateIcon) const {
  const wxPoint logical = mBody->CalcUnscrolledPosition(bodyPoint);
  if (column) *column = ColumnAt(logical.x);
  if (onStateIcon) *onStateIcon = false;
  if (logical.y < 0) return -1;
  const int row = logical.y / mRowHeight;
  if (row >= GetItemCount()) return -1;
  if (onStateIcon && GetStateImage(row) != kListStateNone && logical.x >= 0 && logical.x < mStateIconWidth)
    *onStateIcon = true;
  return row;
}

wxRect NewListCtrl::GetCellRect(int row, int column) const {
  const wxPoint origin = mBody->CalcScrolledPosition(wxPoint(GetColumnLeft(column), row * mRowHeight));
  return wxRect(origin.x, origin.y, GetColumnWidth(column), mRowHeight);
}

wxRect NewListCtrl::EditorRect(int row, int column) {
  // A cell whose left edge is out of sight comes to the left of the view.
  wxRect cell = GetCellRect(row, column);
  const int clientWidth = mBody->GetClientSize().x;
  if (cell.x < 0 || cell.x > clientWidth) {
    ScrollToX(GetScrollX() + cell.x);
    cell = GetCellRect(row, column);
  }
  const int left = cell.x + detail_NewListCtrl::kEditInsetLeft;
  const int right = std::min(left + cell.width - detail_NewListCtrl::kEditWidthLess, clientWidth);
  return wxRect(left, cell.y, std::max(1, right - left), cell.height);
}

bool NewListCtrl::OpenEditBox(int row, int column, const std::string& text) {
  if (mEdit || mCombo) return false;
  BeginEditBox();
  EnsureVisible(row);
  mBody->Update();
  mEdit = new InPlaceEdit(this, mBody, row, column, text, EditorRect(row, column), GetColumnAlign(column));
  return true;
}

bool NewListCtrl::OpenComboBox(int row, int column, const std::vector<std::string>& entries, int selected) {
  if (mEdit || mCombo) return false;
  mCombo = new InPlaceCombo(this, mBody, row, column, entries, selected, EditorRect(row, column));
  return true;
}

void NewListCtrl::EditorGone(wxWindow* editor) {
  if (editor == mEdit) mEdit = nullptr;
  if (editor == mCombo) mCombo = nullptr;
}

// ---- Header ---------------------------------------------------------------------------------

void NewListCtrl::OnHeaderClick(wxHeaderCtrlEvent& event) {
  ClickHeader(event.GetColumn());
}

void NewListCtrl::OnHeaderResizing(wxHeaderCtrlEvent& event) {
  const int column = event.GetColumn();
  int width = std::max(event.GetWidth(), kListMinColumnWidth);
  if (mWidenNextWidth && column == 0) width += detail_NewListCtrl::kFirstColumnWiden;
  SetColumnWidth(column, width);
}

void NewListCtrl::OnHeaderEndResize(wxHeaderCtrlEvent& event) {
  OnHeaderResizing(event);
  mWidenNextWidth = false;
  FocusBody();
}

int NewListCtrl::FitColumnWidth(int column) const {
  wxClientDC dc(mBody);
  dc.SetFont(GetFont());
  const int space = dc.GetTextExtent(" ").x;
  int widest = dc.GetTextExtent(wxString::FromUTF8(GetColumnHeader(column))).x;
  for (int row = 0; row < GetItemCount(); ++row)
    widest = std::max(widest, dc.GetTextExtent(wxString::FromUTF8(GetItemText(row, column))).x);
  return widest + 4 * space + (column == 0 ? mStateIconWidth : 0);
}

void NewListCtrl::OnHeaderDClick(wxHeaderCtrlEvent& event) {
  const int column = event.GetColumn();
  if (column < 0 || column >= GetColumnCount()) return;
  if (column == 0) mWidenNextWidth = true;
  int width = std::max(FitColumnWidth(column), kListMinColumnWidth);
  if (mWidenNextWidth && column == 0) width += detail_NewListCtrl::kFirstColumnWiden;
  mWidenNextWidth = false;
  SetColumnWidth(column, width);
  FocusBody();
}

// ---- Drawing --------------------------------------------------------------------------------

void NewListCtrl::PaintBody(wxDC& dc, const wxRect& update) {
  using detail_NewListCtrl::Sys;
  dc.SetFont(GetFont());
  const wxColour window = Sys(wxSYS_COLOUR_WINDOW);
  dc.SetBackground(wxBrush(window));
  dc.Clear();
  mStateIconWidth = 0;
  for (int row = 0; row < GetItemCount(); ++row) {
    if (GetStateImage(row) != kListStateNone) {
      mStateIconWidth = detail_NewListCtrl::kStateIconSize;
      break;
    }
  }
  const int top = std::max(0, mBody->CalcUnscrolledPosition(update.GetTopLeft()).y / mRowHeight);
  const int bottom = mBody->CalcUnscrolledPosition(update.GetBottomLeft()).y / mRowHeight;
  for (int row = top; row <= bottom && row < GetItemCount(); ++row)
    PaintRow(dc, row, mBody->CalcScrolledPosition(wxPoint(0, row * mRowHeight)).y);
  PaintDropMarker(dc);
}

void NewListCtrl::PaintRow(wxDC& dc, int row, int y) {
  using detail_NewListCtrl::Sys;
  const wxColour window = Sys(wxSYS_COLOUR_WINDOW);
  const ListRowRecord defaults;
  const ListRowRecord* found = FindItemInfo(row);
  const ListRowRecord& record = found ? *found : defaults;
  const bool marked = (record.mFlags & kListRowMarked) != 0;
  const bool readOnly = record.mEditKind == kListRowReadOnly;
  const bool focus = wxWindow::FindFocus() == mBody;
  const bool selectedShown = IsSelected(row) && (focus || mShowSelectionAlways);
  const bool highlighted = (GetDropHighlight() == row || selectedShown) && GetEditsInProgress() == 0 && !readOnly;
  const int ox = mBody->CalcScrolledPosition(wxPoint(0, 0)).x;
  const int clientWidth = mBody->GetClientSize().x;
  const int space = dc.GetTextExtent(" ").x;

  // The first column: the check box, then the label.
  const int col0Width = GetColumnWidth(0);
  const wxRect label(ox + mStateIconWidth, y, std::max(0, col0Width - mStateIconWidth), mRowHeight);
  const wxString labelText = wxString::FromUTF8(GetItemText(row, 0));
  int highlightRight = label.GetRight() + 1;
  switch (GetHighlightMode()) {
    case kListHighlightLabel:
      highlightRight = std::min(label.x + dc.GetTextExtent(labelText).x + 2 * space, label.GetRight() + 1);
      break;
    case kListHighlightRow:
      highlightRight = ox + GetTotalWidth();
      break;
    default:
      highlightRight = clientWidth;
      break;
  }
  const wxRect highlight(label.x, y, std::max(0, highlightRight - label.x), mRowHeight);

  auto fill = [&](const wxRect& r, const wxColour& c) {
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(wxBrush(c));
    dc.DrawRectangle(r);
  };
  uint32_t lastBackground = FromWxColour(window);
  fill(wxRect(highlight.GetRight() + 1, y, std::max(0, clientWidth - highlight.GetRight() - 1), mRowHeight), window);
  if (!highlighted) {
    fill(highlight, window);
    if (record.mBackColour != kNoItemColour) {
      fill(marked ? label : highlight, ToWxColour(record.mBackColour));
      lastBackground = record.mBackColour;
    }
  } else {
    const uint32_t back = record.mHighlightBackColour != kNoItemColour ? record.mHighlightBackColour
                                                                       : FromWxColour(Sys(wxSYS_COLOUR_HIGHLIGHT));
    fill(highlight, ToWxColour(back));
    lastBackground = back;
    if (marked && record.mBackColour != kNoItemColour) {
      fill(label, ToWxColour(record.mBackColour));
      lastBackground = record.mBackColour;
    }
  }
  const uint32_t ownText = highlighted ? record.mHighlightTextColour : record.mTextColour;
  const wxColour firstText = ToWxColour(ownText != kNoItemColour ? ownText : ContrastTextColour(lastBackground));

  auto drawText = [&](const wxString& text, const wxRect& cell, int inset, int align, const wxColour& colour) {
    const wxRect area(cell.x + inset, cell.y, cell.width - 2 * inset, cell.height);
    if (area.width <= 0 || text.empty()) return;
    const wxString shown = wxControl::Ellipsize(text, dc, wxELLIPSIZE_END, area.width);
    dc.SetTextForeground(colour);
    dc.DrawLabel(shown, area,
                 wxALIGN_CENTER_VERTICAL | (align == kListAlignRight    ? wxALIGN_RIGHT
                                            : align == kListAlignCentre ? wxALIGN_CENTER_HORIZONTAL
                                                                        : wxALIGN_LEFT));
  };
  {
    wxDCClipper clip(dc, wxRect(ox, y, col0Width, mRowHeight));
    if (mStateIconWidth > 0 && GetStateImage(row) != kListStateNone) {
      const int size = detail_NewListCtrl::kStateIconSize;
      wxRendererNative::Get().DrawCheckBox(mBody, dc, wxRect(ox + 1, y + (mRowHeight - size) / 2, size - 2, size - 2),
                                           GetStateImage(row) == kListStateChecked ? int(wxCONTROL_CHECKED) : 0);
    }
    // The label from one space inside its left edge to two before its right edge.
    const wxRect labelArea(label.x + space, y, label.width - 3 * space, mRowHeight);
    if (labelArea.width > 0 && !labelText.empty()) {
      dc.SetTextForeground(firstText);
      dc.DrawLabel(wxControl::Ellipsize(labelText, dc, wxELLIPSIZE_END, labelArea.width), labelArea,
                   wxALIGN_CENTER_VERTICAL | wxALIGN_LEFT);
    }
  }

  // The other columns.
  wxColour otherText = Sys(wxSYS_COLOUR_WINDOWTEXT);
  if (marked && record.mBackColour != kNoItemColour) {
    if (highlighted && record.mHighlightBackColour != kNoItemColour)
      otherText = ToWxColour(ContrastTextColour(record.mHighlightBackColour));
    else if (readOnly)
      otherText = Sys(wxSYS_COLOUR_GRAYTEXT);
    else if (selectedShown && GetEditsInProgress() == 0)
      otherText = Sys(wxSYS_COLOUR_HIGHLIGHTTEXT);
  } else if (GetHighlightMode() != kListHighlightLabel) {
    otherText = firstText;
  }
  for (int column = 1; column < GetColumnCount(); ++column) {
    const wxRect cell(ox + GetColumnLeft(column), y, GetColumnWidth(column), mRowHeight);
    if (cell.x > clientWidth || cell.GetRight() < 0) continue;
    wxDCClipper clip(dc, cell);
    if (GetHighlightMode() == kListHighlightLabel) fill(cell, window);
    drawText(wxString::FromUTF8(GetItemText(row, column)), cell, 2 * space, GetColumnAlign(column), otherText);
  }

  if (GetEditsInProgress() == 0 && GetFocusedItem() == row && focus)
    wxRendererNative::Get().DrawFocusRect(mBody, dc, highlight);
}

void NewListCtrl::PaintDropMarker(wxDC& dc) {
  using detail_NewListCtrl::gDrag;
  if (gDrag.target != this || gDrag.dropRow < 0) return;
  const int row = std::min(gDrag.dropRow, GetItemCount());
  const int y = mBody->CalcScrolledPosition(wxPoint(0, row * mRowHeight)).y - (row >= GetItemCount() ? 1 : 0);
  const int width = mBody->GetClientSize().x;
  const int left = std::min(detail_NewListCtrl::kDropMarkerInset, width - 1);
  const int right = std::max(left, width - 1 - detail_NewListCtrl::kDropMarkerInset);
  dc.SetPen(wxPen(detail_NewListCtrl::kDropMarkerColour));
  dc.DrawLine(left, y, right + 1, y);
  // Ticks at both ends: 5 and 3 pixels tall.
  dc.DrawLine(left, y - 2, left, y + 3);
  dc.DrawLine(left + 1, y - 1, left + 1, y + 2);
  dc.DrawLine(right, y - 2, right, y + 3);
  dc.DrawLine(right - 1, y - 1, right - 1, y + 2);
}

std::string NewListCtrl::GetToolTipTextAt(const wxPoint& bodyPoint) const {
  using namespace detail_NewListCtrl;
  int column = -1;
  const int row = HitTest(bodyPoint, &column);
  if (row < 0 || column < 0) return std::string();
  const std::string text = GetItemText(row, column);
  wxClientDC dc(mBody);
  dc.SetFont(GetFont());
  const int room = GetColumnWidth(column) - (column == 0 ? kTipMarginFirst + mStateIconWidth : kTipMargin);
  if (dc.GetTextExtent(wxString::FromUTF8(text)).x <= room) return std::string();
  return text.substr(0, Utf8CutLength(text.c_str(), text.size(), kTipLength));
}

// ---- Mouse and keys -------------------------------------------------------------------------

void NewListCtrl::OnBodyLeftDown(wxMouseEvent& event) {
  FocusBody();
  int column = -1;
  bool onStateIcon = false;
  const int row = HitTest(event.GetPosition(), &column, &onStateIcon);
  mPressRow = row;
  mPressPoint = event.GetPosition();
  if (row < 0) {
    DeselectAll();
    return;
  }
  ClickCell(row, column, event.ShiftDown(), event.ControlDown(), onStateIcon);
}

void NewListCtrl::OnBodyMotion(wxMouseEvent& event) {
  using detail_NewListCtrl::gDrag;
  if (gDrag.source == this) {
    UpdateDrag(mBody->ClientToScreen(event.GetPosition()));
    return;
  }
  if (event.LeftIsDown() && mPressRow >= 0 && !mEdit && !mCombo) {
    const wxPoint moved = event.GetPosition() - mPressPoint;
    const int threshold = std::max(3, wxSystemSettings::GetMetric(wxSYS_DRAG_X));
    if (std::abs(moved.x) > threshold || std::abs(moved.y) > threshold) {
      const int row = mPressRow;
      mPressRow = -1;
      if (CanDragItem(row)) BeginDrag(row);
    }
    return;
  }
  // A cell too narrow for its text shows it in a tip.
  using namespace detail_NewListCtrl;
  int column = -1;
  const int row = HitTest(event.GetPosition(), &column);
  const std::string tip = GetToolTipTextAt(event.GetPosition());
  const int id = tip.empty() ? 0 : row * kTipRowFactor + column + 1;
  if (id == mToolTipId) return;
  mToolTipId = id;
  if (tip.empty())
    mBody->UnsetToolTip();
  else
    mBody->SetToolTip(wxString::FromUTF8(tip));
}

void NewListCtrl::OnBodyLeftUp(wxMouseEvent& /*event*/) {
  mPressRow = -1;
  if (detail_NewListCtrl::gDrag.source == this) EndDrag(true);
}

void NewListCtrl::OnBodyCaptureLost() {
  if (detail_NewListCtrl::gDrag.source == this) EndDrag(false);
}

void NewListCtrl::OnBodyKey(wxKeyEvent& event) {
  const int count = GetItemCount();
  if (count == 0) {
    event.Skip();
    return;
  }
  const int focused = GetFocusedItem() >= 0 ? GetFocusedItem() : 0;
  int next = focused;
  switch (event.GetKeyCode()) {
    case WXK_UP:
      next = focused - 1;
      break;
    case WXK_DOWN:
      next = focused + 1;
      break;
    case WXK_HOME:
      next = 0;
      break;
    case WXK_END:
      next = count - 1;
      break;
    case WXK_PAGEUP:
      next = focused - GetCountPerPage();
      break;
    case WXK_PAGEDOWN:
      next = focused + GetCountPerPage();
      break;
    case WXK_F2:
      if (GetFocusedItem() >= 0) EditLabel(GetFocusedItem(), 0);
      return;
    case WXK_SPACE:
      if (GetStateImage(focused) != kListStateNone)
        SetStateImage(focused, GetStateImage(focused) == kListStateChecked ? kListStateUnchecked : kListStateChecked);
      return;
    default:
      event.Skip();
      return;
  }
  next = std::clamp(next, 0, count - 1);
  const int firstBefore = GetNextSelectedItem(-1);
  if (event.ShiftDown() && !IsSingleSelection()) {
    SetSelected(next, true);
  } else if (!event.ControlDown()) {
    DeselectAll();
    SetSelected(next, true);
  }
  SetFocusedItem(next);
  EnsureVisible(next);
  const int firstAfter = GetNextSelectedItem(-1);
  if (firstAfter != firstBefore) {
    if (firstAfter >= 0)
      NotifySelection(firstAfter, true);
    else if (firstBefore >= 0)
      NotifySelection(firstBefore, false);
  }
}

// ---- Dragging -------------------------------------------------------------------------------

NewListCtrl* NewListCtrl::GetDragTarget() {
  return detail_NewListCtrl::gDrag.target;
}

int NewListCtrl::GetDragDropRow() {
  return detail_NewListCtrl::gDrag.source ? detail_NewListCtrl::gDrag.dropRow : -1;
}

void NewListCtrl::BeginDrag(int row) {
  using detail_NewListCtrl::gDrag;
  if (gDrag.source) gDrag.source->EndDrag(false);
  gDrag = detail_NewListCtrl::DragState();
  gDrag.source = this;
  gDrag.sourceRow = row;
  mBody->CaptureMouse();
  const wxPoint screen = wxGetMousePosition();
  gDrag.screen = screen;
  DragImageBegin(GetItemText(row, 0), screen.x, screen.y);
  mTimerTicks = 0;
  mDragTimer.Start(kListDragTimerMs);
}

void NewListCtrl::SetDragDropTarget(NewListCtrl* target, int dropRow) {
  using detail_NewListCtrl::gDrag;
  NewListCtrl* old = gDrag.target;
  gDrag.target = target;
  gDrag.dropRow = dropRow;
  if (old && old != target) old->mBody->Refresh();
  if (target) target->mBody->Refresh();
}

void NewListCtrl::UpdateDrag(const wxPoint& screen) {
  using detail_NewListCtrl::gDrag;
  gDrag.screen = screen;
  DragImageMove(screen.x, screen.y);
  NewListCtrl* target = detail_NewListCtrl::ListOf(wxFindWindowAtPoint(screen));
  if (!target) return;  // elsewhere the drop row stays as it was
  const wxPoint point = target->mBody->ScreenToClient(screen);
  const int hit = target->HitTest(point);
  const int dropRow = DropRowFor(hit, point.y < 0, target->GetItemCount());
  if (target != gDrag.target || dropRow != gDrag.dropRow) SetDragDropTarget(target, dropRow);
}

void NewListCtrl::EndDrag(bool drop) {
  using detail_NewListCtrl::gDrag;
  if (gDrag.source != this) return;
  if (mBody->HasCapture()) mBody->ReleaseMouse();
  mDragTimer.Stop();
  DragImageEnd();
  const detail_NewListCtrl::DragState ended = gDrag;
  gDrag = detail_NewListCtrl::DragState();
  if (ended.target) ended.target->mBody->Refresh();
  if (drop) FinishDrag(ended.target, ended.sourceRow, ended.dropRow);
}

void NewListCtrl::OnTimer(wxTimerEvent& event) {
  using detail_NewListCtrl::gDrag;
  using detail_NewListCtrl::kDragScrollEdge;
  if (event.GetId() != kListDragTimerId || gDrag.source != this) {
    event.Skip();
    return;
  }
  ++mTimerTicks;
  const wxPoint screen = wxGetMousePosition();
  DragImageMove(screen.x, screen.y);
  const wxPoint point = mBody->ScreenToClient(screen);
  const wxSize client = mBody->GetClientSize();
  int vx = 0, vy = 0, rangeX = 0, rangeY = 0;
  mBody->GetViewStart(&vx, &vy);
  mBody->GetVirtualSize(&rangeX, &rangeY);
  const int maxY = std::max(0, GetItemCount() - GetCountPerPage());
  const int firstVisible = GetTopItem();
  auto onTick = [&](int d) { return mTimerTicks % std::max(1, 6 - d / 20) == 0; };
  const int dTop = kDragScrollEdge - point.y;
  const int dBottom = point.y - (client.y - kDragScrollEdge);
  if (dTop > 0 && vy > 0) {
    if (onTick(dTop)) {
      DragImageLeave();
      mBody->Scroll(vx, vy - 1);
      SetDragDropTarget(this, firstVisible);
      DragImageEnter(nullptr, screen.x, screen.y);
    }
  } else if (dBottom > 0 && vy < maxY) {
    if (onTick(dBottom)) {
      DragImageLeave();
      mBody->Scroll(vx, vy + 1);
      SetDragDropTarget(this, std::min(firstVisible + GetCountPerPage(), GetItemCount()));
      DragImageEnter(nullptr, screen.x, screen.y);
    }
  }
  const int maxX =
      std::max(0, (rangeX - client.x + detail_NewListCtrl::kScrollStepX - 1) / detail_NewListCtrl::kScrollStepX);
  if (point.x < kDragScrollEdge && vx > 0)
    mBody->Scroll(vx - 1, -1);
  else if (point.x > client.x - kDragScrollEdge && vx < maxX)
    mBody->Scroll(vx + 1, -1);
}

}  // namespace corvia
