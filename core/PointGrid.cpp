#include "core/PointGrid.h"

#include <algorithm>
#include <utility>

namespace corvia {

namespace detail_PointGrid {

// Cells beyond this many cell widths from the origin share the outermost cell, so
// that a huge coordinate cannot overflow the cell number.
constexpr double kCellLimit = 4.0e18;

uint64_t Mix(uint64_t h) {
  h ^= h >> 33;
  h *= 0xff51afd7ed558ccdull;
  h ^= h >> 33;
  h *= 0xc4ceb9fe1a85ec53ull;
  h ^= h >> 33;
  return h;
}

}  // namespace detail_PointGrid

PointGrid::PointGrid(double cellSize) : mCellSize(cellSize > 0 ? cellSize : 1.0) {}

int64_t PointGrid::CellOf(double x) const {
  const double c = std::floor(x / mCellSize);
  if (c > detail_PointGrid::kCellLimit) return static_cast<int64_t>(detail_PointGrid::kCellLimit);
  if (c < -detail_PointGrid::kCellLimit) return -static_cast<int64_t>(detail_PointGrid::kCellLimit);
  return static_cast<int64_t>(c);
}

size_t PointGrid::BucketOf(const int64_t* cell) const {
  uint64_t h = 0x9E3779B97F4A7C15ull;
  for (int j = 0; j < 3; ++j) h = detail_PointGrid::Mix(h ^ static_cast<uint64_t>(cell[j]));
  return static_cast<size_t>(h) & mBucketMask;
}

void PointGrid::Add(const double* p, int32_t id) {
  if (!std::isfinite(p[0]) || !std::isfinite(p[1]) || !std::isfinite(p[2])) return;
  mEntries.push_back(Entry{{p[0], p[1], p[2]}, id});
}

void PointGrid::Finish() {
  // At least two buckets per point, a power of two.
  size_t buckets = 2;
  while (buckets < 2 * mEntries.size()) buckets *= 2;
  mBucketMask = buckets - 1;
  mBucketStart.assign(buckets + 1, 0);
  std::vector<size_t> bucketOf(mEntries.size());
  for (size_t i = 0; i < mEntries.size(); ++i) {
    const int64_t cell[3] = {CellOf(mEntries[i].pos[0]), CellOf(mEntries[i].pos[1]), CellOf(mEntries[i].pos[2])};
    bucketOf[i] = BucketOf(cell);
    ++mBucketStart[bucketOf[i] + 1];
  }
  for (size_t b = 0; b < buckets; ++b) mBucketStart[b + 1] += mBucketStart[b];
  // Entries in bucket order; within a bucket in the order they were added.
  std::vector<Entry> sorted(mEntries.size());
  std::vector<uint32_t> next(mBucketStart.begin(), mBucketStart.end() - 1);
  for (size_t i = 0; i < mEntries.size(); ++i) sorted[next[bucketOf[i]]++] = mEntries[i];
  mEntries = std::move(sorted);
}

}  // namespace corvia
