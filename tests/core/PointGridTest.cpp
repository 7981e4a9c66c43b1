// The point grid: searches see exactly the points within the tolerance, from either
// side of a cell boundary, each once, whatever the cell size and the coordinates.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "core/PointGrid.h"

namespace corvia {
namespace {

using Grid = PointGrid<PackedPositions>;

// A grid over the points of a flat array, three doubles each.
Grid GridOf(const std::vector<double>& points, double cellSize) {
  Grid grid(cellSize, PackedPositions{points.data()});
  for (size_t i = 0; i < points.size() / 3; ++i) grid.Add(static_cast<int32_t>(i));
  grid.Finish();
  return grid;
}

template <typename G>
std::vector<int32_t> Within(const G& grid, const double* p, double tol) {
  std::vector<int32_t> ids;
  grid.ForEachWithin(p, tol, [&](int32_t id) { ids.push_back(id); });
  std::sort(ids.begin(), ids.end());
  return ids;
}

TEST(PointGridTest, FindsThePointsWithinTheToleranceAcrossCellBoundaries) {
  const double boundary = 7e-5;
  const std::vector<double> points = {boundary - 4e-8, 0.5, 0.5, boundary + 4e-8, 0.5, 0.5, boundary + 3e-7, 0.5, 0.5};
  const Grid grid = GridOf(points, 1e-5);
  const double below[3] = {boundary - 5e-8, 0.5, 0.5};
  const double above[3] = {boundary + 5e-8, 0.5, 0.5};
  EXPECT_EQ(Within(grid, below, 1e-7), (std::vector<int32_t>{0, 1}));
  EXPECT_EQ(Within(grid, above, 1e-7), (std::vector<int32_t>{0, 1}));
  // The tolerance is a closed interval in every coordinate.
  const std::vector<double> exact = {0.25, -0.5, 1.0};
  const double edge[3] = {0.25 + 0.125, -0.5, 1.0 - 0.125};
  const Grid binary = GridOf(exact, 1.0);
  EXPECT_EQ(Within(binary, edge, 0.125), (std::vector<int32_t>{0}));
  EXPECT_TRUE(Within(binary, edge, 0.124).empty());
}

// With two points the table has four buckets, so the eight cells a search reads fall
// into the same buckets again and again: each point is still reported once.
TEST(PointGridTest, EachPointIsReportedOnceWhateverTheBucketsShare) {
  const std::vector<double> points = {1.0, 1.0, 1.0, 1.0, 1.0, 1.0};
  const Grid grid = GridOf(points, 1.0);
  EXPECT_EQ(Within(grid, points.data(), 0.5), (std::vector<int32_t>{0, 1}));
  const double corner[3] = {1.0 - 1e-9, 1.0 - 1e-9, 1.0 - 1e-9};
  EXPECT_EQ(Within(grid, corner, 1e-8), (std::vector<int32_t>{0, 1}));
}

TEST(PointGridTest, HugeAndNonFiniteCoordinates) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const std::vector<double> points = {1e300, -1e300, 0, nan, 0, 0, 0, inf, 0};
  const Grid grid = GridOf(points, 1e-5);
  EXPECT_EQ(grid.Count(), 1u);
  EXPECT_EQ(Within(grid, points.data(), 1e-7), (std::vector<int32_t>{0}));
  const double nearHuge[3] = {1e300 * (1 + 1e-15), -1e300, 0};
  EXPECT_TRUE(Within(grid, nearHuge, 1e-7).empty());
  EXPECT_TRUE(Within(grid, &points[3], 1e-7).empty());
  EXPECT_TRUE(Within(grid, &points[6], 1e-7).empty());
  const std::vector<double> none;
  const Grid empty = GridOf(none, 1e-5);
  EXPECT_TRUE(Within(empty, points.data(), 1.0).empty());
}

// Against a plain scan: random clusters of near points, searched at random places,
// with tolerances below a cell, across a few cells and across more cells than the
// table has buckets.
TEST(PointGridTest, AgreesWithAScanOfEveryPoint) {
  std::mt19937 random(17);
  std::uniform_real_distribution<double> coord(-1.0, 1.0);
  std::uniform_real_distribution<double> jitter(-2e-7, 2e-7);
  std::vector<std::array<double, 3>> points;
  for (int c = 0; c < 300; ++c) {
    const std::array<double, 3> centre = {coord(random), coord(random), coord(random)};
    for (int k = 0; k < 4; ++k) points.push_back({centre[0] + jitter(random), centre[1] + jitter(random), centre[2]});
  }
  // Positions read in place, through an accessor of the caller's.
  PointGrid grid(1e-6,
                 [&points](int32_t i) { return static_cast<const double*>(points[static_cast<size_t>(i)].data()); });
  for (size_t i = 0; i < points.size(); ++i) grid.Add(static_cast<int32_t>(i));
  grid.Finish();
  for (double tol : {1e-7, 3e-6, 0.05}) {
    for (size_t q = 0; q<points.size(); q += tol> 1e-6 ? 7 : 1) {
      double p[3] = {points[q][0] + jitter(random), points[q][1], points[q][2] + jitter(random)};
      std::vector<int32_t> expected;
      for (size_t i = 0; i < points.size(); ++i) {
        if (std::fabs(points[i][0] - p[0]) <= tol && std::fabs(points[i][1] - p[1]) <= tol &&
            std::fabs(points[i][2] - p[2]) <= tol) {
          expected.push_back(static_cast<int32_t>(i));
        }
      }
      EXPECT_EQ(Within(grid, p, tol), expected) << "search " << q << " within " << tol;
    }
  }
}

TEST(PointGridTest, LonePointsAreThoseAloneInTheirCellsAndHaveNoNeighbour) {
  // Random points, with near neighbours planted: pairs within the tolerance, pairs
  // just beyond it, and points straddling cell sides.
  const double cell = 1e-5, tol = 1e-7;
  std::mt19937 random(7);
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  std::vector<double> points;
  auto add = [&](double x, double y, double z) { points.insert(points.end(), {x, y, z}); };
  for (int i = 0; i < 3000; ++i) {
    const double x = unit(random), y = unit(random), z = unit(random);
    add(x, y, z);
    if (i % 10 == 0) add(x + 0.5 * tol, y, z - 0.9 * tol);
    if (i % 10 == 1) add(x, y + 1.5 * tol, z);
    if (i % 10 == 2) add(std::floor(x / cell) * cell + 0.3 * tol, y, z);
  }
  // Every point but the last hundred takes part.
  const size_t count = points.size() / 3;
  std::vector<int32_t> ids;
  for (size_t i = 0; i + 100 < count; ++i) ids.push_back(static_cast<int32_t>(i));
  const std::vector<uint8_t> lone = FindLonePoints(ids, cell, tol, PackedPositions{points.data()});
  ASSERT_EQ(lone.size(), ids.size());
  size_t numLone = 0;
  const double scale = 1.0 / cell;
  auto cellOf = [&](const double* p, int j) { return std::floor(p[j] * scale); };
  for (size_t k = 0; k < ids.size(); ++k) {
    const double* p = &points[static_cast<size_t>(ids[k]) * 3];
    bool alone = true;
    // Alone in its cell with its tolerance box inside it: such a point must be found.
    bool aloneInCell = true;
    for (int j = 0; j < 3; ++j) {
      aloneInCell = aloneInCell && cellOf(p, j) == std::floor((p[j] - tol) * scale) &&
                    cellOf(p, j) == std::floor((p[j] + tol) * scale);
    }
    for (size_t other = 0; other < ids.size(); ++other) {
      if (other == k) continue;
      const double* q = &points[static_cast<size_t>(ids[other]) * 3];
      if (std::fabs(p[0] - q[0]) <= tol && std::fabs(p[1] - q[1]) <= tol && std::fabs(p[2] - q[2]) <= tol) alone = false;
      if (cellOf(p, 0) == cellOf(q, 0) && cellOf(p, 1) == cellOf(q, 1) && cellOf(p, 2) == cellOf(q, 2)) aloneInCell = false;
    }
    EXPECT_EQ(lone[k] != 0, aloneInCell) << "point " << ids[k];
    if (lone[k]) {
      ++numLone;
      EXPECT_TRUE(alone) << "point " << ids[k] << " has a neighbour within the tolerance";
    }
  }
  // The planted points and their partners share cells or lie by a cell side, and so
  // go to a search; the other 70 per cent are found lone.
  EXPECT_GT(numLone, ids.size() / 2);
  EXPECT_LT(numLone, ids.size() * 7 / 10);
}

TEST(PointGridTest, CoincidentPointsAreNeverLone) {
  // The third point lies well inside its cell, the first two at the same place.
  const std::vector<double> points = {0.25, 0.25, 0.25, 0.25, 0.25, 0.25, 0.7500042, 0.7500042, 0.7500042};
  const std::vector<uint8_t> lone = FindLonePoints({0, 1, 2}, 1e-5, 1e-7, PackedPositions{points.data()});
  EXPECT_EQ(lone, (std::vector<uint8_t>{0, 0, 1}));
}

}  // namespace
}  // namespace corvia
