#pragma once
// Points found by position. Every point is filed under the grid cell it falls in, so
// the points within a tolerance of a position are read from the few cells its
// tolerance box touches: a search never depends on the order the points came in
// (as a search in a tolerantly sorted array does), and costs the same for any
// number of points.
//
// The grid is filled first and then searched: Add the points, Finish, search.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace corvia {

class PointGrid {
 public:
  // Cells are cellSize wide in each coordinate; searches are cheapest with tolerances
  // of at most half a cell.
  explicit PointGrid(double cellSize);

  void Reserve(size_t count) { mEntries.reserve(count); }
  // Files a copy of p under id; a point with a coordinate that is not finite is left out.
  void Add(const double* p, int32_t id);
  // Builds the table that searches read; after the last Add, before the first search.
  void Finish();
  size_t Count() const { return mEntries.size(); }

  // Calls visit(id) for every filed point within tol of p in every coordinate
  // (|a - b| <= tol), each once, in no particular order.
  template <typename Visit>
  void ForEachWithin(const double* p, double tol, Visit&& visit) const;

 private:
  struct Entry {
    double pos[3];
    int32_t id;
  };

  int64_t CellOf(double x) const;
  size_t BucketOf(const int64_t* cell) const;
  template <typename Visit>
  void ScanBucket(size_t b, const double* p, double tol, Visit& visit) const;

  double mCellSize;
  std::vector<Entry> mEntries;
  // Entries of bucket b are mEntries[mBucketStart[b] .. mBucketStart[b + 1]).
  std::vector<uint32_t> mBucketStart;
  size_t mBucketMask = 0;
};

template <typename Visit>
void PointGrid::ScanBucket(size_t b, const double* p, double tol, Visit& visit) const {
  for (uint32_t e = mBucketStart[b]; e < mBucketStart[b + 1]; ++e) {
    const Entry& entry = mEntries[e];
    if (std::fabs(entry.pos[0] - p[0]) <= tol && std::fabs(entry.pos[1] - p[1]) <= tol &&
        std::fabs(entry.pos[2] - p[2]) <= tol) {
      visit(entry.id);
    }
  }
}

template <typename Visit>
void PointGrid::ForEachWithin(const double* p, double tol, Visit&& visit) const {
  if (mBucketStart.empty()) return;
  if (!std::isfinite(p[0]) || !std::isfinite(p[1]) || !std::isfinite(p[2])) return;
  int64_t lo[3], hi[3];
  double cells = 1;
  for (int j = 0; j < 3; ++j) {
    lo[j] = CellOf(p[j] - tol);
    hi[j] = CellOf(p[j] + tol);
    cells *= static_cast<double>(hi[j] - lo[j]) + 1;
  }
  // Each bucket is read once, whichever of the box's cells lead to it: the tolerance
  // test alone decides, so a bucket's points from other cells do no harm.
  constexpr int kSmallBox = 8;
  if (cells <= kSmallBox) {
    size_t read[kSmallBox];
    int numRead = 0;
    int64_t cell[3];
    for (cell[0] = lo[0]; cell[0] <= hi[0]; ++cell[0]) {
      for (cell[1] = lo[1]; cell[1] <= hi[1]; ++cell[1]) {
        for (cell[2] = lo[2]; cell[2] <= hi[2]; ++cell[2]) {
          const size_t b = BucketOf(cell);
          bool again = false;
          for (int r = 0; r < numRead && !again; ++r) again = read[r] == b;
          if (again) continue;
          read[numRead++] = b;
          ScanBucket(b, p, tol, visit);
        }
      }
    }
    return;
  }
  // A box of more cells than there are buckets reads every bucket.
  std::vector<size_t> buckets;
  if (cells > static_cast<double>(mBucketMask)) {
    for (size_t b = 0; b <= mBucketMask; ++b) ScanBucket(b, p, tol, visit);
    return;
  }
  int64_t cell[3];
  for (cell[0] = lo[0]; cell[0] <= hi[0]; ++cell[0]) {
    for (cell[1] = lo[1]; cell[1] <= hi[1]; ++cell[1]) {
      for (cell[2] = lo[2]; cell[2] <= hi[2]; ++cell[2]) buckets.push_back(BucketOf(cell));
    }
  }
  std::sort(buckets.begin(), buckets.end());
  buckets.erase(std::unique(buckets.begin(), buckets.end()), buckets.end());
  for (size_t b : buckets) ScanBucket(b, p, tol, visit);
}

}  // namespace corvia
