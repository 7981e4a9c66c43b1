#pragma once
// NewListCtrl: the report list of the tour bar and the dialogs. Over what a plain
// list shows it adds per-row records (colours, a mark, a stable id), per-column kind
// bytes that say how a cell is edited and how the column sorts, rows drawn by the
// list itself (the selection across the row, row colours, black or white text by the
// background), editing of cells in place (edit box, Yes/No toggle, file chooser,
// custom editor), sorting by a clicked header with a secondary column, tool tips
// with a cell's full text, and dragging rows within a list or onto another one.
//
// The logic is EditableList's (ui/controls/EditableList.h); this class is its window:
// a header above a scrolled body of fixed-height rows. Lists made in place of a
// dialog item take its place, size, id and sizer slot.

#include <wx/control.h>
#include <wx/timer.h>

#include <string>
#include <vector>

#include "ui/controls/EditableList.h"

class wxHeaderCtrl;
class wxHeaderCtrlEvent;
class wxDC;

namespace corvia {

class InPlaceEdit;
class InPlaceCombo;

// Styles of a NewListCtrl (beside the window styles).
constexpr long kListSingleSelection = 0x0004;      // as wxLC_SINGLE_SEL
constexpr long kListNoHeader = 0x0800;             // as wxLC_NO_HEADER
constexpr long kListShowSelectionAlways = 0x0008;  // the selection shows without the focus

// The auto-scroll timer of a drag.
constexpr int kListDragTimerId = 1;
constexpr int kListDragTimerMs = 75;

class NewListCtrl : public wxControl, public EditableList {
 public:
  // Two-step creation: Create(dialog, item) replaces a dialog item.
  NewListCtrl();
  NewListCtrl(wxWindow* parent, wxWindowID id, const wxPoint& pos = wxDefaultPosition,
              const wxSize& size = wxDefaultSize, long style = 0);
  ~NewListCtrl() override;

  bool Create(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size = wxDefaultSize, long style = 0);
  // Takes the place of the dialog's item with that id (its parent, rectangle, id,
  // sizer slot, and the selection and header styles of a list it replaces) and
  // destroys it; sets highlight mode 2. False when there is no such item.
  bool Create(wxWindow* dialog, int itemId);

  // The window that draws the rows and takes the keys and clicks.
  wxWindow* GetBody() const;
  wxHeaderCtrl* GetHeader() const;
  int GetRowHeight() const { return mRowHeight; }
  // Rows from the first visible one, and how many fit.
  int GetTopItem() const;
  int GetCountPerPage() const;
  void EnsureVisible(int row);
  // The row and the column at a point of the body (-1: none); whether it is above
  // the rows (over the header) or on a row's check box.
  int HitTest(const wxPoint& bodyPoint, int* column = nullptr, bool* onStateIcon = nullptr) const;
  // A cell's rectangle in the body's coordinates.
  wxRect GetCellRect(int row, int column) const;
  void SetShowSelectionAlways(bool on);
  // Horizontal scroll position, pixels.
  int GetScrollX() const;
  void ScrollToX(int x);

  // The editor open now, if any.
  InPlaceEdit* GetInPlaceEdit() const { return mEdit; }
  InPlaceCombo* GetInPlaceCombo() const { return mCombo; }
  // The editors tell the list they go.
  void EditorGone(wxWindow* editor);
  void FocusBody();

  // The drag in progress, for tests and tools (-1 when none).
  static NewListCtrl* GetDragTarget();
  static int GetDragDropRow();

  // The tool tip a point of the body gives: the cell's text when the column is too
  // narrow for it, else empty.
  std::string GetToolTipTextAt(const wxPoint& bodyPoint) const;

 protected:
  // EditableList's window side.
  void RefreshRows() override;
  void ColumnsChanged() override;
  void MakeRowVisible(int row) override;
  bool OpenEditBox(int row, int column, const std::string& text) override;
  bool OpenComboBox(int row, int column, const std::vector<std::string>& entries, int selected) override;
  void SortChanged() override;
  ListEditOwner* FindEditOwner() override;

  wxSize DoGetBestSize() const override;

 private:
  class Body;
  friend class Body;

  void Init();
  void LayoutChildren();
  void OnSize(wxSizeEvent& event);
  void OnHeaderClick(wxHeaderCtrlEvent& event);
  void OnHeaderResizing(wxHeaderCtrlEvent& event);
  void OnHeaderEndResize(wxHeaderCtrlEvent& event);
  void OnHeaderDClick(wxHeaderCtrlEvent& event);
  void OnTimer(wxTimerEvent& event);
  void SyncHeaderScroll();
  int FitColumnWidth(int column) const;
  // An editor's place over a cell, scrolling the cell into sight first.
  wxRect EditorRect(int row, int column);

  // Mouse and keys of the body.
  void OnBodyLeftDown(wxMouseEvent& event);
  void OnBodyMotion(wxMouseEvent& event);
  void OnBodyLeftUp(wxMouseEvent& event);
  void OnBodyCaptureLost();
  void OnBodyKey(wxKeyEvent& event);
  void PaintBody(wxDC& dc, const wxRect& update);
  void PaintRow(wxDC& dc, int row, int y);
  void PaintDropMarker(wxDC& dc);

  // Dragging.
  void BeginDrag(int row);
  void UpdateDrag(const wxPoint& screen);
  void EndDrag(bool drop);
  void SetDragDropTarget(NewListCtrl* target, int dropRow);

  class Header;
  Header* mHeader = nullptr;
  Body* mBody = nullptr;
  InPlaceEdit* mEdit = nullptr;
  InPlaceCombo* mCombo = nullptr;
  wxTimer mDragTimer;
  int mRowHeight = 20;
  int mStateIconWidth = 0;
  bool mShowSelectionAlways = false;
  bool mWidenNextWidth = false;
  // The press that may start a drag.
  int mPressRow = -1;
  wxPoint mPressPoint;
  int mTimerTicks = 0;
  // Tool tip shown: its id (row x 1024 + column + 1), 0 for none.
  int mToolTipId = 0;
};

}  // namespace corvia
