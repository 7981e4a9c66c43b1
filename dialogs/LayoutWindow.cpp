// The window of "Choose Layout": a picture of each layout's panes to click on.

#include <wx/dcmemory.h>
#include <wx/sizer.h>
#include <wx/tglbtn.h>

#include <algorithm>
#include <array>
#include <vector>

#include "dialogs/DialogBase.h"
#include "dialogs/DialogWindows.h"
#include "ui/LayoutDlg.h"
#include "ui/Layouts.h"

namespace corvia {

namespace detail_LayoutWindow {

// The cells of a grid splitter of the given size, row by row, as the layout's
// splitters start out.
std::vector<wxRect> GridCells(const wxRect& area, const LayoutRecord& record, int layout, int rows, int columns,
                              bool nested) {
  const std::vector<float> ratios = InitialSplitterRatios(&record, layout, rows, columns, nested);
  const size_t columnRatios = static_cast<size_t>(columns - 1);
  std::vector<float> across(ratios.begin(), ratios.begin() + std::min(columnRatios, ratios.size()));
  std::vector<float> down(ratios.begin() + std::min(columnRatios, ratios.size()), ratios.end());
  across.resize(columnRatios, 0.0f);
  down.resize(static_cast<size_t>(rows - 1), 0.0f);
  const std::vector<int> widths = SizesFromRatios(area.width, across.data(), columns - 1);
  const std::vector<int> heights = SizesFromRatios(area.height, down.data(), rows - 1);
  std::vector<wxRect> cells;
  int y = area.y;
  for (int row = 0; row < rows; ++row) {
    int x = area.x;
    for (int column = 0; column < columns; ++column) {
      cells.emplace_back(x, y, widths[static_cast<size_t>(column)], heights[static_cast<size_t>(row)]);
      x += widths[static_cast<size_t>(column)];
    }
    y += heights[static_cast<size_t>(row)];
  }
  return cells;
}

// A small picture of the layout's panes as a fresh layout shows them.
wxBitmap DrawPicture(int layout, const wxSize& size) {
  LayoutRecord record;
  DefineLayout(record, layout);
  const wxRect area(0, 0, size.x - 1, size.y - 1);
  std::vector<wxRect> panes;
  const std::vector<wxRect> main = GridCells(area, record, layout, record.mainRows, record.mainColumns, false);
  for (size_t i = 0; i < main.size(); ++i) {
    if (record.nestedRows > 0 && static_cast<int>(i) == record.nestedColumn) {
      for (const wxRect& cell : GridCells(main[i], record, layout, record.nestedRows, record.nestedColumns, true)) {
        panes.push_back(cell);
      }
    } else {
      panes.push_back(main[i]);
    }
  }
  wxBitmap bitmap(size);
  wxMemoryDC dc(bitmap);
  dc.SetBackground(*wxWHITE_BRUSH);
  dc.Clear();
  dc.SetPen(*wxBLACK_PEN);
  dc.SetBrush(wxBrush(wxColour(200, 215, 235)));
  for (const wxRect& pane : panes) dc.DrawRectangle(pane.x, pane.y, pane.width + 1, pane.height + 1);
  dc.SelectObject(wxNullBitmap);
  return bitmap;
}

class LayoutWindow : public CorviaDialog {
 public:
  explicit LayoutWindow(LayoutDlg& values) : CorviaDialog(nullptr, "Choose Layout", LayoutDlg::kName), mValues(values) {
    auto* grid = new wxGridSizer(4, FromDIP(6), FromDIP(6));
    const wxSize size = FromDIP(wxSize(63, 47));
    for (int i = 0; i < LayoutDlg::kNumChoices; ++i) {
      auto* button = new wxBitmapToggleButton(this, wxID_ANY, DrawPicture(i, size), wxDefaultPosition, wxDefaultSize, 0,
                                              wxDefaultValidator, "layout" + std::to_string(i));
      LayoutRecord record;
      DefineLayout(record, i);
      button->SetToolTip(wxString::Format("%d pane%s", record.numPanes, record.numPanes > 1 ? "s" : ""));
      button->Bind(wxEVT_TOGGLEBUTTON, [this, i](wxCommandEvent&) { Choose(i); });
      // A double click chooses and closes.
      button->Bind(wxEVT_LEFT_DCLICK, [this, i](wxMouseEvent&) {
        Choose(i);
        PressOk();
      });
      mButtons[static_cast<size_t>(i)] = button;
      grid->Add(button);
    }
    FinishLayout(grid);
  }

  bool TransferDataToWindow() override {
    Choose(mValues.mLayout);
    return true;
  }
  bool TransferDataFromWindow() override {
    if (mChosen < 0) return RefuseField("Please choose a layout.");
    mValues.mLayout = mChosen;
    return true;
  }

  void Choose(int layout) {
    mChosen = layout >= 0 && layout < LayoutDlg::kNumChoices ? layout : -1;
    for (int i = 0; i < LayoutDlg::kNumChoices; ++i) mButtons[static_cast<size_t>(i)]->SetValue(i == mChosen);
  }

 private:
  LayoutDlg& mValues;
  std::array<wxBitmapToggleButton*, LayoutDlg::kNumChoices> mButtons{};
  int mChosen = -1;
};

}  // namespace detail_LayoutWindow

bool RunLayoutWindow(LayoutDlg& values) {
  return RunWindowOnCopy<detail_LayoutWindow::LayoutWindow>(values);
}

}  // namespace corvia
