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

std::vector<int32_t> Within(const PointGrid& grid, const double* p, double tol) {
  std::vector<int32_t> ids;
  grid.ForEachWithin(p, tol, [&](int32_t id) { ids.push_back(id); });
  std::sort(ids.begin(), ids.end());
  return ids;
}

TEST(PointGridTest, FindsThePointsWithinTheToleranceAcrossCellBoundaries) {
  PointGrid grid(1e-5);
  const double boundary = 7e-5;
  const double a[3] = {boundary - 4e-8, 0.5, 0.5};
  const double b[3] = {boundary + 4e-8, 0.5, 0.5};
  const double c[3] = {boundary + 3e-7, 0.5, 0.5};
  grid.Add(a, 0);
  grid.Add(b, 1);
  grid.Add(c, 2);
  grid.Finish();
  const double below[3] = {boundary - 5e-8, 0.5, 0.5};
  const double above[3] = {boundary + 5e-8, 0.5, 0.5};
  EXPECT_EQ(Within(grid, below, 1e-7), (std::vector<int32_t>{0, 1}));
  EXPECT_EQ(Within(grid, above, 1e-7), (std::vector<int32_t>{0, 1}));
  // The tolerance is a closed interval in every coordinate.
  const double exact[3] = {0.25, -0.5, 1.0};
  const double edge[3] = {0.25 + 0.125, -0.5, 1.0 - 0.125};
  PointGrid binary(1.0);
  binary.Add(exact, 7);
  binary.Finish();
  EXPECT_EQ(Within(binary, edge, 0.125), (std::vector<int32_t>{7}));
  EXPECT_TRUE(Within(binary, edge, 0.124).empty());
}

// With one point the table has two buckets, so the eight cells a search reads fall
// into the same buckets again and again: the point is still reported once.
TEST(PointGridTest, EachPointIsReportedOnceWhateverTheBucketsShare) {
  PointGrid grid(1.0);
  const double p[3] = {1.0, 1.0, 1.0};
  grid.Add(p, 3);
  grid.Add(p, 4);
  grid.Finish();
  EXPECT_EQ(Within(grid, p, 0.5), (std::vector<int32_t>{3, 4}));
  const double corner[3] = {1.0 - 1e-9, 1.0 - 1e-9, 1.0 - 1e-9};
  EXPECT_EQ(Within(grid, corner, 1e-8), (std::vector<int32_t>{3, 4}));
}

TEST(PointGridTest, HugeAndNonFiniteCoordinates) {
  PointGrid grid(1e-5);
  const double huge[3] = {1e300, -1e300, 0};
  const double nan[3] = {std::numeric_limits<double>::quiet_NaN(), 0, 0};
  const double inf[3] = {0, std::numeric_limits<double>::infinity(), 0};
  grid.Add(huge, 0);
  grid.Add(nan, 1);
  grid.Add(inf, 2);
  grid.Finish();
  EXPECT_EQ(grid.Count(), 1u);
  EXPECT_EQ(Within(grid, huge, 1e-7), (std::vector<int32_t>{0}));
  const double nearHuge[3] = {1e300 * (1 + 1e-15), -1e300, 0};
  EXPECT_TRUE(Within(grid, nearHuge, 1e-7).empty());
  EXPECT_TRUE(Within(grid, nan, 1e-7).empty());
  EXPECT_TRUE(Within(grid, inf, 1e-7).empty());
  PointGrid empty(1e-5);
  empty.Finish();
  EXPECT_TRUE(Within(empty, huge, 1.0).empty());
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
  PointGrid grid(1e-6);
  for (size_t i = 0; i < points.size(); ++i) grid.Add(points[i].data(), static_cast<int32_t>(i));
  grid.Finish();
  for (double tol : {1e-7, 3e-6, 0.05}) {
    for (size_t q = 0; q < points.size(); q += tol > 1e-6 ? 7 : 1) {
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

}  // namespace
}  // namespace corvia
