#pragma once
// The eleven pane layouts of the main window: their records (grid of the main
// splitter, the nested splitter and the ratios kept for them), the view types each
// layout's panes show, the ratio arithmetic of the grid splitters, and the layout
// section of scene files. Nothing here needs a window: the frame that shows the
// layouts is reached through LayoutHost.

#include <vector>

namespace corvia {

struct ioStream;

constexpr int kNumLayouts = 11;
constexpr int kMaxPanes = 6;
constexpr int kMaxLayoutRatios = 3;

// Layout indices by their names in the layout section.
enum LayoutIndex : int {
  kLayout1 = 0,
  kLayout2,
  kLayout3Equal,
  kLayout3SplitLeft,
  kLayout3SplitRight,
  kLayout4Grid,
  kLayout4SplitLeft,
  kLayout4SplitRight,
  kLayout5SplitLeft,
  kLayout5SplitRight,
  kLayout6,
};

struct LayoutRecord {
  int numPanes = 0;
  int mainRows = 1;
  int mainColumns = 1;
  int nestedRows = 0;  // 0 x 0: no nested splitter
  int nestedColumns = 0;
  int nestedColumn = -1;  // the main splitter's column (in row 0) that holds the nested one
  int numRatios = -1;     // -1: none stored, the splitters take their defaults
  float ratios[kMaxLayoutRatios] = {0, 0, 0};
};

// Resets the record and fills it for index 0 to 10.
void DefineLayout(LayoutRecord& record, int index);
// DefineLayout for all eleven records.
void ResetLayouts();
// The record of a layout, null outside 0 to 10.
LayoutRecord* GetLayoutRecord(int index);
// The current layout, -1 before the first is built.
int GetCurrentLayoutIndex();
void SetCurrentLayoutIndex(int index);
// The current record, null while the index is negative.
LayoutRecord* GetCurrentLayout();
// "Layout1" ... "Layout6"; null outside 0 to 10.
const char* GetLayoutName(int index);

// The view types of each layout's panes, in pane order.
int GetLayoutViewType(int layout, int pane);
void SetLayoutViewType(int layout, int pane, int viewType);
// Puts the defaults back: every layout's row as the frame's constructor fills it.
void ResetLayoutViewTypes();

// The layout and the panes' view types the main window starts with, kept in the
// settings from one run to the next (Layout2 and the default view types until the
// settings say otherwise).
struct StartLayout {
  int layout = kLayout2;
  // The view type of each pane of every layout (kNumLayouts x kMaxPanes, layout by
  // layout), or empty for the defaults.
  std::vector<int> viewTypes;
};
StartLayout& GetStartLayout();
// The table of the layouts' view types from the start layout (the defaults where it
// has none).
void ApplyStartLayoutViewTypes();

// ---- Ratios of a grid splitter ----------------------------------------------------
// A splitter of r rows and c columns keeps r + c - 2 ratios: first one per column
// but the last, then one per row but the last, each that column's width (row's
// height) as a fraction of the sum of all pane widths (heights).

// The ratios a splitter of the current record starts with: the stored ones when
// there are usable ones (as many as the layout's splitters need, each in [0, 1], and
// together not more than the whole), else the defaults (equal parts; for the main
// splitter of layouts 3, 4, 6 and 7 a first column of 1/3, 2/3, 1/4 and 3/4).
std::vector<float> InitialSplitterRatios(const LayoutRecord* record, int layoutIndex, int rows, int columns,
                                         bool nested);
// The sizes of the cells along one direction from the total and the ratios of all
// but the last (each rounded half away from zero, at least 0; the last takes what
// is left, at least 0).
std::vector<int> SizesFromRatios(int total, const float* ratios, int count);
// The ratios of all cells but the last from their sizes (none when the sum is 0).
std::vector<float> RatiosFromSizes(const std::vector<int>& sizes);

// ---- The layout section of scene files ----------------------------------------------

// What the layout section needs of the frame.
class LayoutHost {
 public:
  virtual ~LayoutHost() = default;
  // Shows another layout (keepRecords: the records were just read from a scene, so
  // the ratios of the layout being left are not stored over them).
  virtual void SetLayout(int index, bool keepRecords) = 0;
  // Numbers the panes and applies the stored ratios of the current layout.
  virtual void ReapplyLayout() = 0;
};

// The installed host (the main frame), or null; returns the one before.
LayoutHost* InstallLayoutHost(LayoutHost* host);

// Writes the section: the current layout, then each record with stored ratios.
bool WriteLayouts(ioStream* stream, int indent);
// Reads the section; with apply the records are reset first, then filled from the
// stream, and the frame shows the layout read. False on a token that does not
// belong to the section.
bool ReadLayouts(ioStream* stream, int defaultCurrent, bool apply);

}  // namespace corvia
