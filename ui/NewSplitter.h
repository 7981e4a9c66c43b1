#pragma once
// The grid splitter of the pane layouts: rows x columns of panes with bars between
// them that the user drags. Each column's width and each row's height is kept as a
// ratio of the whole, so the panes keep their proportions when the window changes
// size, and the ratios go into the layout records and scene files (ui/Layouts.h).
// A drag moves the panes live; the ratios are taken from the new sizes.

#include <wx/window.h>

#include <vector>

namespace corvia {

class PaneWindow;

class NewSplitter final : public wxWindow {
 public:
  // Width of the bar between two cells, in pixels.
  static constexpr int kBarSize = 5;

  // A static splitter of the grid; its ratios come from the current layout record
  // (the stored ones, else the defaults of the layout).
  NewSplitter(wxWindow* parent, int rows, int columns, bool nested, wxWindowID id = wxID_ANY);
  ~NewSplitter() override;

  int GetRows() const { return mRows; }
  int GetColumns() const { return mColumns; }
  bool IsNested() const { return mNested; }

  // Makes a pane of the installed view maker in a cell and gives it its pane index;
  // false when the view could not be shown.
  bool CreatePaneView(int row, int column, int paneIndex);
  // Puts a window of the caller's (the nested splitter) into a cell.
  void SetCellWindow(int row, int column, wxWindow* window);
  wxWindow* GetCellWindow(int row, int column) const;
  PaneWindow* GetPane(int row, int column) const;

  // The ratios: one per column but the last, then one per row but the last.
  const std::vector<float>& GetRatios() const { return mRatios; }
  void SetRatios(const std::vector<float>& ratios);
  // Lays the cells out from the ratios.
  void ApplyRatios();
  // Takes the current record's stored ratios, when it has usable ones.
  void LoadRatios();
  // Sizes of the columns and the rows as laid out.
  std::vector<int> GetColumnWidths() const;
  std::vector<int> GetRowHeights() const;

  // A drag of the bar after column (or row) `index`: `position` is the mouse
  // coordinate along the splitter, in client pixels. Used by the mouse handling and
  // by tests.
  void DragBar(bool vertical, int index, int position);

 private:
  // The cells along one direction as laid out: their sizes from the ratios.
  std::vector<int> CellSizes(bool columns) const;
  // The bar under a point: column bars are vertical. False when none.
  bool HitBar(const wxPoint& point, bool& vertical, int& index) const;
  void OnSize(wxSizeEvent& event);
  void OnPaint(wxPaintEvent& event);
  void OnMouse(wxMouseEvent& event);
  void OnCaptureLost(wxMouseCaptureLostEvent& event);

  int mRows = 1;
  int mColumns = 1;
  bool mNested = false;
  std::vector<float> mRatios;
  std::vector<wxWindow*> mCells;  // row-major; owned by wx as children
  // The bar being dragged.
  bool mTracking = false;
  bool mTrackVertical = false;
  int mTrackIndex = -1;
  wxPoint mLastPoint{-1, -1};
};

}  // namespace corvia
