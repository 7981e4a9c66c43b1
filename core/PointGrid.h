#pragma once
// Points found by position. Every point is filed under the grid cell it falls in, so
// the points within a tolerance of a position are read from the few cells its
// tolerance box touches: a search never depends on the order the points came in
// (as a search in a tolerantly sorted array does), and costs the same for any
// number of points.
//
// The grid is filled first and then searched: Add the points, Finish, search.

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
    int64_t cell[3];
    double pos[3];
    int32_t id;
  };

  int64_t CellOf(double x) const;
  size_t BucketOf(const int64_t* cell) const;

  double mCellSize;
  std::vector<Entry> mEntries;
  // Entries of bucket b are mEntries[mBucketStart[b] .. mBucketStart[b + 1]).
  std::vector<uint32_t> mBucketStart;
  size_t mBucketMask = 0;
};

template <typename Visit>
void PointGrid::ForEachWithin(const double* p, double tol, Visit&& visit) const {
  if (mBucketStart.empty()) return;
  if (!std::isfinite(p[0]) || !std::isfinite(p[1]) || !std::isfinite(p[2])) return;
  int64_t lo[3], hi[3];
  for (int j = 0; j < 3; ++j) {
    lo[j] = CellOf(p[j] - tol);
    hi[j] = CellOf(p[j] + tol);
  }
  int64_t cell[3];
  for (cell[0] = lo[0]; cell[0] <= hi[0]; ++cell[0]) {
    for (cell[1] = lo[1]; cell[1] <= hi[1]; ++cell[1]) {
      for (cell[2] = lo[2]; cell[2] <= hi[2]; ++cell[2]) {
        const size_t b = BucketOf(cell);
        for (uint32_t e = mBucketStart[b]; e < mBucketStart[b + 1]; ++e) {
          const Entry& entry = mEntries[e];
          // A bucket holds other cells too: each point is visited from its own cell only.
          if (entry.cell[0] != cell[0] || entry.cell[1] != cell[1] || entry.cell[2] != cell[2]) continue;
          if (std::fabs(entry.pos[0] - p[0]) <= tol && std::fabs(entry.pos[1] - p[1]) <= tol &&
              std::fabs(entry.pos[2] - p[2]) <= tol) {
            visit(entry.id);
          }
        }
      }
    }
  }
}

}  // namespace corvia
