#include "core/BoxGrid.h"

#include <algorithm>
#include <cmath>

namespace corvia {

namespace detail_BoxGrid {

// A box over more cells than this on a side is kept apart.
constexpr double kMaxCellsPerSide = 16.0;
// Cell numbers stay well inside 32 bits of the key.
constexpr double kMaxCell = 1.0e9;

void Drop(std::vector<uint32_t>& list, uint32_t id) {
  const auto at = std::find(list.begin(), list.end(), id);
  if (at == list.end()) return;
  *at = list.back();
  list.pop_back();
}

}  // namespace detail_BoxGrid

BoxGrid::BoxGrid(double cellSize) : mCell(cellSize > 0.0 && std::isfinite(cellSize) ? cellSize : 1.0) {}

uint64_t BoxGrid::Key(int64_t x, int64_t y) {
  return (static_cast<uint64_t>(static_cast<uint32_t>(x)) << 32) | static_cast<uint32_t>(y);
}

bool BoxGrid::CellRange(const double* least, const double* largest, int64_t* range) const {
  const double lx = least[0] / mCell, hx = largest[0] / mCell;
  const double ly = least[1] / mCell, hy = largest[1] / mCell;
  // Not a number compares false, and so lands among the wide boxes.
  if (!(lx >= -detail_BoxGrid::kMaxCell && hx <= detail_BoxGrid::kMaxCell && ly >= -detail_BoxGrid::kMaxCell &&
        hy <= detail_BoxGrid::kMaxCell && lx <= hx && ly <= hy)) {
    return false;
  }
  range[0] = static_cast<int64_t>(std::floor(lx));
  range[1] = static_cast<int64_t>(std::floor(ly));
  range[2] = static_cast<int64_t>(std::floor(hx));
  range[3] = static_cast<int64_t>(std::floor(hy));
  return true;
}

void BoxGrid::Insert(uint32_t id, const double* least, const double* largest) {
  if (Contains(id)) Remove(id);
  if (id >= mRecords.size()) mRecords.resize(static_cast<size_t>(id) + 1);
  Record& record = mRecords[id];
  for (int k = 0; k < 2; ++k) {
    record.least[k] = least[k];
    record.largest[k] = largest[k];
  }
  record.filed = true;
  int64_t range[4];
  record.wide = !CellRange(least, largest, range) || range[2] - range[0] > detail_BoxGrid::kMaxCellsPerSide ||
                range[3] - range[1] > detail_BoxGrid::kMaxCellsPerSide;
  if (record.wide) {
    mWide.push_back(id);
    return;
  }
  record.x0 = range[0];
  record.y0 = range[1];
  record.x1 = range[2];
  record.y1 = range[3];
  for (int64_t x = record.x0; x <= record.x1; ++x) {
    for (int64_t y = record.y0; y <= record.y1; ++y) mCells[Key(x, y)].push_back(id);
  }
}

void BoxGrid::Remove(uint32_t id) {
  if (!Contains(id)) return;
  Record& record = mRecords[id];
  record.filed = false;
  if (record.wide) {
    detail_BoxGrid::Drop(mWide, id);
    return;
  }
  for (int64_t x = record.x0; x <= record.x1; ++x) {
    for (int64_t y = record.y0; y <= record.y1; ++y) {
      const auto cell = mCells.find(Key(x, y));
      if (cell == mCells.end()) continue;
      detail_BoxGrid::Drop(cell->second, id);
      if (cell->second.empty()) mCells.erase(cell);
    }
  }
}

void BoxGrid::Query(const double* least, const double* largest, double tolerance, std::vector<uint32_t>& out) {
  out.clear();
  if (++mStamp == 0) {
    for (Record& record : mRecords) record.stamp = 0;
    mStamp = 1;
  }
  const double lo[2] = {least[0] - tolerance, least[1] - tolerance};
  const double hi[2] = {largest[0] + tolerance, largest[1] + tolerance};
  auto take = [&](uint32_t id) {
    Record& record = mRecords[id];
    if (record.stamp == mStamp) return;
    record.stamp = mStamp;
    ++mRead;
    // A box not beyond the searched one on any side (not a number never is).
    if (record.largest[0] < lo[0] || record.least[0] > hi[0] || record.largest[1] < lo[1] || record.least[1] > hi[1]) {
      return;
    }
    out.push_back(id);
  };
  for (uint32_t id : mWide) take(id);
  int64_t range[4];
  const bool bounded = CellRange(lo, hi, range);
  if (!bounded || static_cast<double>(range[2] - range[0] + 1) * static_cast<double>(range[3] - range[1] + 1) >
                      static_cast<double>(mCells.size())) {
    // A box over more cells than are filled: the filled ones.
    for (const auto& [key, ids] : mCells) {
      for (uint32_t id : ids) take(id);
    }
  } else {
    for (int64_t x = range[0]; x <= range[2]; ++x) {
      for (int64_t y = range[1]; y <= range[3]; ++y) {
        const auto cell = mCells.find(Key(x, y));
        if (cell == mCells.end()) continue;
        for (uint32_t id : cell->second) take(id);
      }
    }
  }
  std::sort(out.begin(), out.end());
}

}  // namespace corvia
