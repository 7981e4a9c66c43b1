#include "core/BoxGrid.h"

#include "core/Progress.h"

#include <algorithm>
#include <cmath>

namespace corvia {

namespace detail_BoxGrid {

// A box over more cells than this on a side is kept apart.
constexpr double kMaxCellsPerSide = 16.0;
// Cell numbers stay well inside 32 bits of the key.
constexpr double kMaxCell = 1.0e9;

size_t Slot(uint64_t key, size_t mask) {
  key ^= key >> 33;
  key *= 0xff51afd7ed558ccdULL;
  key ^= key >> 33;
  return static_cast<size_t>(key) & mask;
}

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

uint32_t BoxGrid::FindCell(uint64_t key) const {
  if (mCells.empty()) return kNone;
  const size_t mask = mCells.size() - 1;
  for (size_t slot = detail_BoxGrid::Slot(key, mask);; slot = (slot + 1) & mask) {
    if (mCells[slot].head == kNone) return kNone;
    if (mCells[slot].key == key) return static_cast<uint32_t>(slot);
  }
}

void BoxGrid::FileInCell(uint64_t key, uint32_t id) {
  if (2 * (mFilledCells + 1) > mCells.size()) {
    // Grown fourfold, every cell placed again (its list goes with it). The grid of a
    // million-facelet net places millions: the window answers along them, and a cancel
    // taken here is kept for the caller's next report.
    std::vector<Cell> old;
    AssignAnsweringTheWindow(old, std::max<size_t>(64, 4 * mCells.size()), Cell());
    old.swap(mCells);
    const size_t mask = mCells.size() - 1;
    ProgressTicker tick(ProgressTicker::kPasses * 16);
    for (const Cell& cell : old) {
      (void)tick();
      if (cell.head == kNone) continue;
      size_t slot = detail_BoxGrid::Slot(cell.key, mask);
      while (mCells[slot].head != kNone) slot = (slot + 1) & mask;
      mCells[slot] = cell;
    }
  }
  const size_t mask = mCells.size() - 1;
  size_t slot = detail_BoxGrid::Slot(key, mask);
  while (mCells[slot].head != kNone && mCells[slot].key != key) slot = (slot + 1) & mask;
  Cell& cell = mCells[slot];
  if (cell.head == kNone) {
    cell.key = key;
    ++mFilledCells;
  }
  uint32_t link = mFreeLink;
  if (link != kNone) {
    mFreeLink = mLinks[link].next;
    mLinks[link] = {id, cell.head};
  } else {
    link = static_cast<uint32_t>(mLinks.size());
    ReserveAnsweringTheWindow(mLinks, mLinks.size() + 1);
    mLinks.push_back({id, cell.head});
  }
  cell.head = link;
}

void BoxGrid::DropFromCell(uint64_t key, uint32_t id) {
  const uint32_t slot = FindCell(key);
  if (slot == kNone) return;
  for (uint32_t* at = &mCells[slot].head; *at != kNone; at = &mLinks[*at].next) {
    if (mLinks[*at].id != id) continue;
    const uint32_t link = *at;
    *at = mLinks[link].next;
    mLinks[link].next = mFreeLink;
    mFreeLink = link;
    break;
  }
  if (mCells[slot].head == kNone) EmptySlot(slot);
}

void BoxGrid::EmptySlot(uint32_t slot) {
  // The cells after it in the probe run move back, so that every search still
  // reaches its cell before an empty slot.
  const size_t mask = mCells.size() - 1;
  size_t hole = slot;
  mCells[hole].head = kNone;
  --mFilledCells;
  for (size_t next = (hole + 1) & mask; mCells[next].head != kNone; next = (next + 1) & mask) {
    const size_t home = detail_BoxGrid::Slot(mCells[next].key, mask);
    // Whether home lies cyclically in (hole, next]: then the cell stays.
    const bool stays = hole <= next ? (hole < home && home <= next) : (hole < home || home <= next);
    if (stays) continue;
    mCells[hole] = mCells[next];
    mCells[next].head = kNone;
    hole = next;
  }
}

void BoxGrid::Insert(uint32_t id, const double* least, const double* largest) {
  if (Contains(id)) Remove(id);
  if (id >= mRecords.size()) {
    // The records of a net of a million facelets are hundreds of megabytes: they move
    // to a larger block in runs, the window answering between.
    ReserveAnsweringTheWindow(mRecords, static_cast<size_t>(id) + 1);
    mRecords.resize(static_cast<size_t>(id) + 1);
  }
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
    for (int64_t y = record.y0; y <= record.y1; ++y) FileInCell(Key(x, y), id);
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
    for (int64_t y = record.y0; y <= record.y1; ++y) DropFromCell(Key(x, y), id);
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
                      static_cast<double>(mFilledCells)) {
    // A box over more cells than are filled: the filled ones.
    for (size_t slot = 0; slot < mCells.size(); ++slot) ForEachInCell(static_cast<uint32_t>(slot), take);
  } else {
    for (int64_t x = range[0]; x <= range[2]; ++x) {
      for (int64_t y = range[1]; y <= range[3]; ++y) {
        const uint32_t slot = FindCell(Key(x, y));
        if (slot != kNone) ForEachInCell(slot, take);
      }
    }
  }
  std::sort(out.begin(), out.end());
}

}  // namespace corvia
