#include "core/PointGrid.h"

namespace corvia {

namespace detail_PointGrid {

uint64_t Mix(uint64_t h) {
  h ^= h >> 33;
  h *= 0xff51afd7ed558ccdull;
  h ^= h >> 33;
  h *= 0xc4ceb9fe1a85ec53ull;
  h ^= h >> 33;
  return h;
}

}  // namespace detail_PointGrid

int64_t GridCellOf(double x, double cellSize) { return GridCellOfScaled(std::floor(x / cellSize)); }

uint64_t HashOfCell(const int64_t* cell) {
  uint64_t h = 0x9E3779B97F4A7C15ull;
  for (int j = 0; j < 3; ++j) h = detail_PointGrid::Mix(h ^ static_cast<uint64_t>(cell[j]));
  return h;
}

int64_t PointGridCells::CellOf(double x) const { return GridCellOf(x, mCellSize); }

size_t PointGridCells::BucketOfCell(const int64_t* cell) const {
  return static_cast<size_t>(HashOfCell(cell)) & mBucketMask;
}

size_t PointGridCells::BucketOf(const double* p) const {
  const int64_t cell[3] = {CellOf(p[0]), CellOf(p[1]), CellOf(p[2])};
  return BucketOfCell(cell);
}

void PointGridCells::SizeBuckets(size_t count) {
  // At least two buckets per point, a power of two.
  size_t buckets = 2;
  while (buckets < 2 * count) buckets *= 2;
  mBucketMask = buckets - 1;
  mBucketStart.assign(buckets + 1, 0);
}

}  // namespace corvia
