#include "ui/Layouts.h"

#include <cmath>
#include <cstdio>
#include <iterator>
#include <string>

#include "core/Messages.h"
#include "core/ioStream.h"

namespace corvia {

namespace detail_Layouts {

// View type codes of the default panes (the pane class's table of view types).
constexpr int kBasePolyhedron = 0x1900;
constexpr int kDualPolyhedron = 0x1A01;
constexpr int kBaseDualCompound = 0x1802;
constexpr int kBaseStellation = 0x2903;
constexpr int kStellationDiagram = 0xA409;
constexpr int kCellDiagram = 0xA40A;
constexpr int kUnfoldedNet = 0x1340E;
constexpr int kFoldingNet = 0x12C0F;

LayoutRecord gRecords[kNumLayouts];
int gCurrent = -1;
int gViewTypes[kNumLayouts][kMaxPanes];
LayoutHost* gHost = nullptr;

// Tokens of the section.
enum { kTokenEndSection, kTokenCurrentLayout, kTokenLayout, kTokenRatios, kNumTokens };
const char* const kTokenNames[kNumTokens] = {"EndSection", "CurrentLayout", "Layout", "Ratios"};

const ioEnumPair kLayoutNames[] = {
    {kLayout1, "Layout1"},
    {kLayout2, "Layout2"},
    {kLayout3Equal, "Layout3Equal"},
    {kLayout3SplitLeft, "Layout3SplitLeft"},
    {kLayout3SplitRight, "Layout3SplitRight"},
    {kLayout4Grid, "Layout4Grid"},
    {kLayout4SplitLeft, "Layout4SplitLeft"},
    {kLayout4SplitRight, "Layout4SplitRight"},
    {kLayout5SplitLeft, "Layout5SplitLeft"},
    {kLayout5SplitRight, "Layout5SplitRight"},
    {kLayout6, "Layout6"},
    {0, nullptr},
};

struct LayoutShape {
  int panes, rows, columns, nestedRows, nestedColumns, nestedColumn;
};
const LayoutShape kShapes[kNumLayouts] = {
    {1, 1, 1, 0, 0, -1}, {2, 1, 2, 0, 0, -1}, {3, 1, 3, 0, 0, -1}, {3, 1, 2, 2, 1, 0},
    {3, 1, 2, 2, 1, 1},  {4, 2, 2, 0, 0, -1}, {4, 1, 2, 3, 1, 0},  {4, 1, 2, 3, 1, 1},
    {5, 1, 2, 2, 2, 0},  {5, 1, 2, 2, 2, 1},  {6, 2, 3, 0, 0, -1},
};

int NumRatiosNeeded(const LayoutRecord& record) {
  int n = record.mainRows + record.mainColumns - 2;
  if (record.nestedColumn >= 0) n += record.nestedRows + record.nestedColumns - 2;
  return n;
}

// Whether stored ratios can stand for the splitters: the right number, each a
// fraction, the columns (rows) of one splitter not more than the whole.
bool StoredRatiosUsable(const LayoutRecord& record) {
  if (record.numRatios != NumRatiosNeeded(record) || record.numRatios > kMaxLayoutRatios) return false;
  for (int i = 0; i < record.numRatios; ++i) {
    const float r = record.ratios[i];
    if (!std::isfinite(r) || r < 0 || r > 1) return false;
  }
  auto groupSum = [&](int first, int count) {
    double sum = 0;
    for (int i = 0; i < count; ++i) sum += record.ratios[first + i];
    return sum <= 1.0 + 1e-6;
  };
  const int mainColumns = record.mainColumns - 1;
  const int mainRows = record.mainRows - 1;
  if (!groupSum(0, mainColumns) || !groupSum(mainColumns, mainRows)) return false;
  if (record.nestedColumn >= 0) {
    const int first = mainColumns + mainRows;
    if (!groupSum(first, record.nestedColumns - 1) ||
        !groupSum(first + record.nestedColumns - 1, record.nestedRows - 1))
      return false;
  }
  return true;
}

// The section's token table.
const char* TokenName(int i) {
  return i >= 0 && i < kNumTokens ? kTokenNames[i] : nullptr;
}

// A layout named in a section; -1, quietly, for a name or number this version does not
// know (a layout of another version names no record here). End of data and words
// that are no names still fail through the stream.
int ReadLayoutName(ioStream* stream) {
  const int count = static_cast<int>(std::size(kLayoutNames)) - 1;
  if (stream->mMode != kIoModeAscii) {
    const int32_t index = ioReadInt(stream);
    return index >= 0 && index < count ? kLayoutNames[index].value : -1;
  }
  const std::string word = ioReadString(stream, false, kIoMaxWordLength);
  for (int i = 0; i < count; ++i) {
    if (word == kLayoutNames[i].name) return kLayoutNames[i].value;
  }
  // Old data: the value itself, in decimal digits.
  if (word.empty() || word.size() > 9 || word.find_first_not_of("0123456789") != std::string::npos) return -1;
  const int value = std::stoi(word);
  for (int i = 0; i < count; ++i) {
    if (kLayoutNames[i].value == value) return value;
  }
  return -1;
}

}  // namespace detail_Layouts

void DefineLayout(LayoutRecord& record, int index) {
  record = LayoutRecord{};
  record.nestedRows = 0;
  record.nestedColumns = 0;
  record.nestedColumn = -1;
  record.numRatios = -1;
  if (index < 0 || index >= kNumLayouts) return;
  const detail_Layouts::LayoutShape& s = detail_Layouts::kShapes[index];
  record.numPanes = s.panes;
  record.mainRows = s.rows;
  record.mainColumns = s.columns;
  record.nestedRows = s.nestedRows;
  record.nestedColumns = s.nestedColumns;
  record.nestedColumn = s.nestedColumn;
}

void ResetLayouts() {
  for (int i = 0; i < kNumLayouts; ++i) DefineLayout(detail_Layouts::gRecords[i], i);
}

LayoutRecord* GetLayoutRecord(int index) {
  return index >= 0 && index < kNumLayouts ? &detail_Layouts::gRecords[index] : nullptr;
}

int GetCurrentLayoutIndex() {
  return detail_Layouts::gCurrent;
}
void SetCurrentLayoutIndex(int index) {
  detail_Layouts::gCurrent = index;
}
LayoutRecord* GetCurrentLayout() {
  return GetLayoutRecord(detail_Layouts::gCurrent);
}

const char* GetLayoutName(int index) {
  return index >= 0 && index < kNumLayouts ? detail_Layouts::kLayoutNames[index].name : nullptr;
}

int GetLayoutViewType(int layout, int pane) {
  if (layout < 0 || layout >= kNumLayouts || pane < 0 || pane >= kMaxPanes) return -1;
  return detail_Layouts::gViewTypes[layout][pane];
}

void SetLayoutViewType(int layout, int pane, int viewType) {
  if (layout < 0 || layout >= kNumLayouts || pane < 0 || pane >= kMaxPanes || viewType < 0) return;
  detail_Layouts::gViewTypes[layout][pane] = viewType;
}

void ResetLayoutViewTypes() {
  using namespace detail_Layouts;
  for (auto& row : gViewTypes) {
    for (int& type : row) type = kBasePolyhedron;
  }
  for (int layout = 1; layout < kNumLayouts; ++layout) gViewTypes[layout][1] = kUnfoldedNet;
  for (int layout = 2; layout < kNumLayouts; ++layout) gViewTypes[layout][2] = kFoldingNet;
  for (int layout = 5; layout <= 9; ++layout) gViewTypes[layout][3] = kDualPolyhedron;
  for (int layout = 8; layout <= 9; ++layout) gViewTypes[layout][4] = kBaseDualCompound;
  gViewTypes[kLayout6][3] = kBaseStellation;
  gViewTypes[kLayout6][4] = kStellationDiagram;
  gViewTypes[kLayout6][5] = kCellDiagram;
}

StartLayout& GetStartLayout() {
  static StartLayout start;
  return start;
}

void ApplyStartLayoutViewTypes() {
  ResetLayoutViewTypes();
  const std::vector<int>& types = GetStartLayout().viewTypes;
  if (types.size() != static_cast<size_t>(kNumLayouts * kMaxPanes)) return;
  for (int layout = 0; layout < kNumLayouts; ++layout) {
    for (int pane = 0; pane < kMaxPanes; ++pane) SetLayoutViewType(layout, pane, types[layout * kMaxPanes + pane]);
  }
}

std::vector<float> InitialSplitterRatios(const LayoutRecord* record, int layoutIndex, int rows, int columns,
                                         bool nested) {
  const int count = rows + columns - 2;
  std::vector<float> ratios(count > 0 ? count : 0);
  if (record && detail_Layouts::StoredRatiosUsable(*record)) {
    const int first = nested ? record->mainRows + record->mainColumns - 2 : 0;
    for (int i = 0; i < count && first + i < kMaxLayoutRatios; ++i) ratios[i] = record->ratios[first + i];
    return ratios;
  }
  for (int c = 0; c < columns - 1; ++c) ratios[c] = 1.0f / columns;
  for (int r = 0; r < rows - 1; ++r) ratios[columns - 1 + r] = 1.0f / rows;
  if (!nested && !ratios.empty()) {
    switch (layoutIndex) {
      case kLayout3SplitLeft:
        ratios[0] = 1.0f / 3;
        break;
      case kLayout3SplitRight:
        ratios[0] = 2.0f / 3;
        break;
      case kLayout4SplitLeft:
        ratios[0] = 0.25f;
        break;
      case kLayout4SplitRight:
        ratios[0] = 0.75f;
        break;
      default:
        break;
    }
  }
  return ratios;
}

std::vector<int> SizesFromRatios(int total, const float* ratios, int count) {
  std::vector<int> sizes;
  if (total < 0) total = 0;
  int used = 0;
  for (int i = 0; i < count; ++i) {
    long size = std::lround(static_cast<double>(total) * ratios[i]);
    if (size < 0) size = 0;
    if (used + size > total) size = total - used;
    sizes.push_back(static_cast<int>(size));
    used += static_cast<int>(size);
  }
  sizes.push_back(total - used);
  return sizes;
}

std::vector<float> RatiosFromSizes(const std::vector<int>& sizes) {
  std::vector<float> ratios;
  long sum = 0;
  for (int s : sizes) sum += s;
  if (sum <= 0 || sizes.empty()) return ratios;
  for (size_t i = 0; i + 1 < sizes.size(); ++i) ratios.push_back(static_cast<float>(sizes[i]) / sum);
  return ratios;
}

LayoutHost* InstallLayoutHost(LayoutHost* host) {
  LayoutHost* before = detail_Layouts::gHost;
  detail_Layouts::gHost = host;
  return before;
}

bool WriteLayouts(ioStream* stream, int indent) {
  using namespace detail_Layouts;
  if (!stream) return false;
  ioSectionScope scope(stream, TokenName);
  bool ok = ioWriteToken(stream, kTokenCurrentLayout, indent);
  ok = ok && ioWriteEnum(stream, gCurrent < 0 ? kLayout2 : gCurrent, kLayoutNames, "\t", "\n");
  for (int i = 0; ok && i < kNumLayouts; ++i) {
    const LayoutRecord& record = gRecords[i];
    if (record.numRatios < 0) continue;
    ok = ioWriteToken(stream, kTokenLayout, indent) && ioWriteEnum(stream, i, kLayoutNames, "\t", "\n");
    if (ok && record.numRatios > 0) {
      const int n = record.numRatios < kMaxLayoutRatios ? record.numRatios : kMaxLayoutRatios;
      ok = ioWriteToken(stream, kTokenRatios, indent + 2) && ioPrintf(stream, "\t%d", n);
      for (int r = 0; ok && r < n; ++r) ok = ioPrintf(stream, "\t%.9hg", static_cast<double>(record.ratios[r]));
      ok = ok && ioPrintf(stream, "\n");
    }
  }
  return ok && ioWriteToken(stream, kTokenEndSection, indent) && ioPrintf(stream, "\n");
}

bool ReadLayouts(ioStream* stream, int defaultCurrent, bool apply) {
  using namespace detail_Layouts;
  if (!stream) return false;
  bool result = true;
  {
    // Errors go to the stream's own handler: in a model file, the one message that
    // names the file.
    ioSectionScope scope(stream, TokenName);
    int current = defaultCurrent;
    // The record the next Ratios line fills; null after a Layout line naming no layout,
    // so that its ratios are not put into another layout's record.
    LayoutRecord* target = GetLayoutRecord(defaultCurrent);
    if (apply) ResetLayouts();
    for (int token = ioReadToken(stream); token >= 1; token = ioReadToken(stream)) {
      if (token == kTokenCurrentLayout) {
        const int value = ReadLayoutName(stream);
        if (value >= 0 && value < kNumLayouts) current = value;
      } else if (token == kTokenLayout) {
        const int value = ReadLayoutName(stream);
        if (apply) target = GetLayoutRecord(value);
        // A layout is written when it has kept its ratios, with none for a layout of
        // one pane: the line alone keeps it, so the next save writes it again.
        if (apply && target && target->numRatios < 0) target->numRatios = 0;
      } else if (token == kTokenRatios) {
        const int n = ioReadInt(stream);
        float values[kMaxLayoutRatios] = {0, 0, 0};
        for (int i = 0; i < n && i < 64; ++i) {
          const float v = ioReadFloat(stream);
          if (i < kMaxLayoutRatios) values[i] = v;
        }
        if (apply && target && n >= 0) {
          for (int i = 0; i < kMaxLayoutRatios; ++i) target->ratios[i] = values[i];
          target->numRatios = n < kMaxLayoutRatios ? n : kMaxLayoutRatios;
        }
      } else {
        const char* name = ioTokenName(stream, token);
        ioError(stream, kIoLevelError, "Didn't expect layout token '%s'", name ? name : "?");
        result = false;
        break;
      }
      if (scope.Failed()) break;
    }
    result = result && !scope.Failed();
    if (apply && result && gHost && current >= 0 && current < kNumLayouts) {
      if (current != gCurrent) {
        gHost->SetLayout(current, true);
      } else {
        gHost->ReapplyLayout();
      }
    }
  }
  return result;
}

}  // namespace corvia
