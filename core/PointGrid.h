#pragma once
// Points found by position. Every point is filed under the grid cell it falls in, so
// the points within a tolerance of a position are read from the few cells its
// tolerance box touches: a search never depends on the order the points came in
// (as a search in a tolerantly sorted array does), and costs the same for any
// number of points.
//
// positionOf(id) gives the position of a point (three doubles), read when it is
// added and when the grid is finished; Finish keeps a copy of each position next to
// its id in bucket order, so a search reads one run of memory per bucket instead of
// following each id to its position. The grid is filled first and then searched:
// Add the points, Finish, search.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <type_traits>
#include <vector>

#include "core/RadixSorter.h"

namespace corvia {

// The cell of coordinate x in a grid of cells cellSize wide; cells far out share
// the outermost one, so that no cell number overflows.
int64_t GridCellOf(double x, double cellSize);
// The same from x already divided by the cell width (a whole number below it).
inline int64_t GridCellOfScaled(double scaled) {
  // Cells beyond this many cell widths from the origin share the outermost cell.
  constexpr double kCellLimit = 4.0e18;
  if (scaled > kCellLimit) return static_cast<int64_t>(kCellLimit);
  if (scaled < -kCellLimit) return -static_cast<int64_t>(kCellLimit);
  return static_cast<int64_t>(scaled);
}
// A well-mixed hash of a cell's three numbers.
uint64_t HashOfCell(const int64_t* cell);

// The cells and buckets of a point grid, apart from where the positions come from.
class PointGridCells {
 protected:
  explicit PointGridCells(double cellSize) : mCellSize(cellSize > 0 ? cellSize : 1.0) {}

  int64_t CellOf(double x) const;
  size_t BucketOf(const double* p) const;
  size_t BucketOfCell(const int64_t* cell) const;
  // Sets up the buckets for a given number of points (mBucketStart all zero).
  void SizeBuckets(size_t count);
  static bool IsFinite(const double* p) { return std::isfinite(p[0]) && std::isfinite(p[1]) && std::isfinite(p[2]); }

  double mCellSize;
  // Ids of bucket b are mIds[mBucketStart[b] .. mBucketStart[b + 1]).
  std::vector<uint32_t> mBucketStart;
  size_t mBucketMask = 0;
};

template <typename PositionOf>
class PointGrid : PointGridCells {
 public:
  // Cells are cellSize wide in each coordinate; searches are cheapest with tolerances
  // of at most half a cell.
  PointGrid(double cellSize, PositionOf positionOf) : PointGridCells(cellSize), mPositionOf(positionOf) {}

  void Reserve(size_t count) { mIds.reserve(count); }
  // Files point id; a point with a coordinate that is not finite is left out.
  void Add(int32_t id) {
    if (IsFinite(mPositionOf(id))) mIds.push_back(id);
  }
  // Builds the table that searches read; after the last Add, before the first search.
  void Finish();
  size_t Count() const { return mIds.empty() ? mEntries.size() : mIds.size(); }

  // Calls visit(id) for every filed point within tol of p in every coordinate
  // (|a - b| <= tol), each once, in no particular order; a visit that takes a
  // second argument is given the point's filed position as well.
  template <typename Visit>
  void ForEachWithin(const double* p, double tol, Visit&& visit) const;

 private:
  template <typename Visit>
  void ScanBucket(size_t b, const double* p, double tol, Visit& visit) const;

  // A filed point as searches read it: its position and its id in one cache line.
  struct alignas(32) Entry {
    double pos[3];
    int32_t id;
  };

  PositionOf mPositionOf;
  // The ids as added; emptied by Finish.
  std::vector<int32_t> mIds;
  // The points in bucket order, made by Finish.
  std::vector<Entry> mEntries;
};

template <typename PositionOf>
void PointGrid<PositionOf>::Finish() {
  SizeBuckets(mIds.size());
  std::vector<uint32_t> bucketOf(mIds.size());
  for (size_t i = 0; i < mIds.size(); ++i) {
    bucketOf[i] = static_cast<uint32_t>(BucketOf(mPositionOf(mIds[i])));
    ++mBucketStart[bucketOf[i] + 1];
  }
  for (size_t b = 0; b + 1 < mBucketStart.size(); ++b) mBucketStart[b + 1] += mBucketStart[b];
  // Points in bucket order; within a bucket in the order they were added.
  mEntries.resize(mIds.size());
  std::vector<uint32_t> next(mBucketStart.begin(), mBucketStart.end() - 1);
  for (size_t i = 0; i < mIds.size(); ++i) {
    Entry& entry = mEntries[next[bucketOf[i]]++];
    const double* p = mPositionOf(mIds[i]);
    entry.pos[0] = p[0];
    entry.pos[1] = p[1];
    entry.pos[2] = p[2];
    entry.id = mIds[i];
  }
  std::vector<int32_t>().swap(mIds);
}

template <typename PositionOf>
template <typename Visit>
void PointGrid<PositionOf>::ScanBucket(size_t b, const double* p, double tol, Visit& visit) const {
  for (uint32_t e = mBucketStart[b]; e < mBucketStart[b + 1]; ++e) {
    const Entry& entry = mEntries[e];
    const double* q = entry.pos;
    if (std::fabs(q[0] - p[0]) <= tol && std::fabs(q[1] - p[1]) <= tol && std::fabs(q[2] - p[2]) <= tol) {
      if constexpr (std::is_invocable_v<Visit&, int32_t, const double*>) {
        visit(entry.id, q);
      } else {
        visit(entry.id);
      }
    }
  }
}

template <typename PositionOf>
template <typename Visit>
void PointGrid<PositionOf>::ForEachWithin(const double* p, double tol, Visit&& visit) const {
  if (mBucketStart.empty() || !IsFinite(p)) return;
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
          const size_t b = BucketOfCell(cell);
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
  if (cells > static_cast<double>(mBucketMask)) {
    for (size_t b = 0; b <= mBucketMask; ++b) ScanBucket(b, p, tol, visit);
    return;
  }
  std::vector<size_t> buckets;
  int64_t cell[3];
  for (cell[0] = lo[0]; cell[0] <= hi[0]; ++cell[0]) {
    for (cell[1] = lo[1]; cell[1] <= hi[1]; ++cell[1]) {
      for (cell[2] = lo[2]; cell[2] <= hi[2]; ++cell[2]) buckets.push_back(BucketOfCell(cell));
    }
  }
  std::sort(buckets.begin(), buckets.end());
  buckets.erase(std::unique(buckets.begin(), buckets.end()), buckets.end());
  for (size_t b : buckets) ScanBucket(b, p, tol, visit);
}

// Which of the points ids[0..n) certainly have no other of them within tol in every
// coordinate (1), by one sort of the cells they fall in instead of a search per
// point: a point whose tolerance box lies inside its own cell, and alone in that
// cell, is alone. Points sharing a cell, or near a cell's side, come out 0 (and only
// those); they are left to a search. positionOf as for PointGrid; every position finite.
template <typename PositionOf>
std::vector<uint8_t> FindLonePoints(const std::vector<int32_t>& ids, double cellSize, double tol,
                                    PositionOf positionOf) {
  std::vector<uint8_t> lone(ids.size(), 1);
  // Cells of its own, by multiplying: any grid serves, the test only needs cell
  // numbers that never decrease as the coordinate grows. Half the hash of the cell
  // stands for it.
  const double scale = 1.0 / cellSize;
  const auto cellOf = [&](size_t k, int64_t* cell) {
    const double* p = positionOf(ids[k]);
    for (int j = 0; j < 3; ++j) cell[j] = GridCellOfScaled(std::floor(p[j] * scale));
  };
  auto cellKey = [&](size_t k) {
    const double* p = positionOf(ids[k]);
    int64_t cell[3];
    cellOf(k, cell);
    for (int j = 0; j < 3; ++j) {
      if (GridCellOfScaled(std::floor((p[j] - tol) * scale)) != cell[j] ||
          GridCellOfScaled(std::floor((p[j] + tol) * scale)) != cell[j]) {
        lone[k] = 0;
      }
    }
    return static_cast<uint32_t>(HashOfCell(cell) >> 32);
  };
  // Each point's key beside its place, sorted by both in place. Points whose keys
  // agree are compared by their cells: a large model has a few such pairs in
  // different cells, which are no reason to search at all.
  std::vector<uint64_t> keyed(ids.size());
  for (size_t k = 0; k < ids.size(); ++k) keyed[k] = uint64_t{cellKey(k)} << 32 | k;
  SortInPlaceByTopBits(keyed, [](uint64_t key) { return key; }, std::less<uint64_t>());
  struct Member {
    int64_t cell[3];
    size_t k;
  };
  std::vector<Member> run;
  for (size_t first = 0; first < keyed.size();) {
    size_t end = first + 1;
    while (end < keyed.size() && keyed[end] >> 32 == keyed[first] >> 32) ++end;
    if (end - first > 1) {
      run.resize(end - first);
      for (size_t r = 0; r < run.size(); ++r) {
        run[r].k = static_cast<size_t>(keyed[first + r] & 0xffffffffu);
        cellOf(run[r].k, run[r].cell);
      }
      std::sort(run.begin(), run.end(), [](const Member& a, const Member& b) {
        return std::lexicographical_compare(a.cell, a.cell + 3, b.cell, b.cell + 3);
      });
      for (size_t r = 1; r < run.size(); ++r) {
        if (std::equal(run[r].cell, run[r].cell + 3, run[r - 1].cell)) lone[run[r].k] = lone[run[r - 1].k] = 0;
      }
    }
    first = end;
  }
  return lone;
}

// Which of the points ids[0..n) lie at exactly the place of a point before them in
// the list (1), by one sort of the positions: n log n however many share a place,
// where a search per point would meet every copy of its own place again. Exact
// positions are ordered exactly, so the sort may be the standard one; ties fall back
// to the place in the list, which makes the first of each place the one kept.
// positionOf as for PointGrid; every position finite.
template <typename PositionOf>
std::vector<uint8_t> FindRepeatedPoints(const std::vector<int32_t>& ids, PositionOf positionOf) {
  std::vector<uint8_t> repeated(ids.size(), 0);
  std::vector<size_t> order(ids.size());
  for (size_t k = 0; k < order.size(); ++k) order[k] = k;
  const auto same = [&](size_t a, size_t b) {
    const double* p = positionOf(ids[a]);
    const double* q = positionOf(ids[b]);
    return p[0] == q[0] && p[1] == q[1] && p[2] == q[2];
  };
  std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    const double* p = positionOf(ids[a]);
    const double* q = positionOf(ids[b]);
    for (int j = 0; j < 3; ++j) {
      if (p[j] != q[j]) return p[j] < q[j];
    }
    return a < b;
  });
  for (size_t r = 1; r < order.size(); ++r) {
    if (same(order[r - 1], order[r])) repeated[order[r]] = 1;
  }
  return repeated;
}

// The positions of a flat array of points, three doubles each.
struct PackedPositions {
  const double* first;
  const double* operator()(int32_t id) const { return first + 3 * static_cast<size_t>(id); }
};

}  // namespace corvia
