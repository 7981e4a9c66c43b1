#include "ui/NewSplitter.h"

#include <wx/dcclient.h>
#include <wx/settings.h>

#include <algorithm>

#include "render/NewView.h"
#include "ui/Layouts.h"
#include "ui/PaneViews.h"
#include "ui/PaneWindow.h"

namespace corvia {

NewSplitter::NewSplitter(wxWindow* parent, int rows, int columns, bool nested, wxWindowID id)
    : wxWindow(parent, id, wxDefaultPosition, parent->GetClientSize(), wxCLIP_CHILDREN | wxFULL_REPAINT_ON_RESIZE),
      mRows(std::max(rows, 1)),
      mColumns(std::max(columns, 1)),
      mNested(nested),
      mCells(static_cast<size_t>(mRows * mColumns), nullptr) {
  SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE));
  mRatios = InitialSplitterRatios(GetCurrentLayout(), GetCurrentLayoutIndex(), mRows, mColumns, mNested);
  Bind(wxEVT_SIZE, &NewSplitter::OnSize, this);
  Bind(wxEVT_PAINT, &NewSplitter::OnPaint, this);
  Bind(wxEVT_LEFT_DOWN, &NewSplitter::OnMouse, this);
  Bind(wxEVT_LEFT_UP, &NewSplitter::OnMouse, this);
  Bind(wxEVT_MOTION, &NewSplitter::OnMouse, this);
  Bind(wxEVT_LEAVE_WINDOW, &NewSplitter::OnMouse, this);
  Bind(wxEVT_MOUSE_CAPTURE_LOST, &NewSplitter::OnCaptureLost, this);
}

NewSplitter::~NewSplitter() {
  if (HasCapture()) ReleaseMouse();
}

bool NewSplitter::CreatePaneView(int row, int column, int paneIndex) {
  if (row < 0 || row >= mRows || column < 0 || column >= mColumns) return false;
  auto* pane = new PaneWindow(this, GetPaneViewMaker().CreateView());
  mCells[row * mColumns + column] = pane;
  if (!pane->IsShowingView()) return false;
  pane->GetView()->SetViewIndex(paneIndex);
  return true;
}

void NewSplitter::SetCellWindow(int row, int column, wxWindow* window) {
  if (row < 0 || row >= mRows || column < 0 || column >= mColumns) return;
  mCells[row * mColumns + column] = window;
}

wxWindow* NewSplitter::GetCellWindow(int row, int column) const {
  if (row < 0 || row >= mRows || column < 0 || column >= mColumns) return nullptr;
  return mCells[row * mColumns + column];
}

PaneWindow* NewSplitter::GetPane(int row, int column) const {
  return dynamic_cast<PaneWindow*>(GetCellWindow(row, column));
}

void NewSplitter::SetRatios(const std::vector<float>& ratios) {
  if (ratios.size() == mRatios.size()) mRatios = ratios;
}

void NewSplitter::LoadRatios() {
  const LayoutRecord* record = GetCurrentLayout();
  if (!record || record->numRatios < 0) return;
  mRatios = InitialSplitterRatios(record, GetCurrentLayoutIndex(), mRows, mColumns, mNested);
}

std::vector<int> NewSplitter::CellSizes(bool columns) const {
  const wxSize client = GetClientSize();
  const int cells = columns ? mColumns : mRows;
  const int total = (columns ? client.x : client.y) - (cells - 1) * kBarSize;
  const float* ratios = mRatios.data() + (columns ? 0 : mColumns - 1);
  return SizesFromRatios(total, ratios, cells - 1);
}

std::vector<int> NewSplitter::GetColumnWidths() const {
  return CellSizes(true);
}
std::vector<int> NewSplitter::GetRowHeights() const {
  return CellSizes(false);
}

void NewSplitter::ApplyRatios() {
  const std::vector<int> widths = CellSizes(true);
  const std::vector<int> heights = CellSizes(false);
  int y = 0;
  for (int r = 0; r < mRows; ++r) {
    int x = 0;
    for (int c = 0; c < mColumns; ++c) {
      if (wxWindow* cell = mCells[r * mColumns + c]) {
        // A cell dragged down to nothing is hidden: the toolkit keeps the last size
        // of a window sized to nothing, which would lie over the bar beside it.
        const bool room = widths[c] > 0 && heights[r] > 0;
        if (room) cell->SetSize(x, y, widths[c], heights[r]);
        if (room != cell->IsShown()) cell->Show(room);
      }
      x += widths[c] + kBarSize;
    }
    y += heights[r] + kBarSize;
  }
  Refresh();
}

void NewSplitter::DragBar(bool vertical, int index, int position) {
  const int cells = vertical ? mColumns : mRows;
  if (index < 0 || index >= cells - 1) return;
  std::vector<int> sizes = CellSizes(vertical);
  // The bar follows the mouse: the cell before it ends where the mouse is, the cell
  // after it gives or takes the difference.
  int start = 0;
  for (int i = 0; i < index; ++i) start += sizes[i] + kBarSize;
  const int pair = sizes[index] + sizes[index + 1];
  const int wanted = std::clamp(position - start - kBarSize / 2, 0, pair);
  sizes[index] = wanted;
  sizes[index + 1] = pair - wanted;
  const std::vector<float> ratios = RatiosFromSizes(sizes);
  const int first = vertical ? 0 : mColumns - 1;
  for (size_t i = 0; i < ratios.size(); ++i) mRatios[first + i] = ratios[i];
  ApplyRatios();
}

bool NewSplitter::HitBar(const wxPoint& point, bool& vertical, int& index) const {
  const std::vector<int> widths = CellSizes(true);
  int x = 0;
  for (int c = 0; c + 1 < mColumns; ++c) {
    x += widths[c];
    if (point.x >= x && point.x < x + kBarSize) {
      vertical = true;
      index = c;
      return true;
    }
    x += kBarSize;
  }
  const std::vector<int> heights = CellSizes(false);
  int y = 0;
  for (int r = 0; r + 1 < mRows; ++r) {
    y += heights[r];
    if (point.y >= y && point.y < y + kBarSize) {
      vertical = false;
      index = r;
      return true;
    }
    y += kBarSize;
  }
  return false;
}

void NewSplitter::OnSize(wxSizeEvent& event) {
  ApplyRatios();
  event.Skip();
}

void NewSplitter::OnPaint(wxPaintEvent&) {
  wxPaintDC dc(this);
  dc.SetBackground(wxBrush(GetBackgroundColour()));
  dc.Clear();
}

void NewSplitter::OnMouse(wxMouseEvent& event) {
  const wxPoint point = event.GetPosition();
  bool vertical = false;
  int index = -1;
  if (event.LeftDown() && HitBar(point, vertical, index)) {
    mTracking = true;
    mTrackVertical = vertical;
    mTrackIndex = index;
    mLastPoint = wxPoint(-1, -1);
    CaptureMouse();
    return;
  }
  if (mTracking && event.Dragging()) {
    if (point != mLastPoint) {
      mLastPoint = point;
      DragBar(mTrackVertical, mTrackIndex, mTrackVertical ? point.x : point.y);
    }
    return;
  }
  if (mTracking && event.LeftUp()) {
    mTracking = false;
    if (HasCapture()) ReleaseMouse();
    return;
  }
  if (event.Moving()) {
    const bool onBar = HitBar(point, vertical, index);
    SetCursor(onBar ? wxCursor(vertical ? wxCURSOR_SIZEWE : wxCURSOR_SIZENS) : wxNullCursor);
  }
  event.Skip();
}

void NewSplitter::OnCaptureLost(wxMouseCaptureLostEvent&) {
  mTracking = false;
}

}  // namespace corvia
