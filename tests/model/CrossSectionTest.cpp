// Cross-sections of plain meshes: loops, filled regions and growing work arrays.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "model/CrossSection.h"

namespace {

using corvia::CrossSection;
using corvia::SliceMesh;
using corvia::SlicePlane;

constexpr double kPi = 3.14159265358979323846;

// Cube of circumradius 1, faces counter-clockwise seen from outside.
SliceMesh Cube() {
  SliceMesh mesh;
  const double a = 1.0 / std::sqrt(3.0);
  for (int i = 0; i < 8; ++i) {
    const double p[3] = {(i & 1) ? a : -a, (i & 2) ? a : -a, (i & 4) ? a : -a};
    mesh.AddPoint(p);
  }
  const int faces[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
  for (const auto& f : faces) mesh.AddFace(f, 4, nullptr, false);
  mesh.FindAdjacency();
  return mesh;
}

// A prism over the pentagram {5/2}: two star faces and five rectangles that pass
// through each other.
SliceMesh PentagramPrism() {
  SliceMesh mesh;
  for (int level = 0; level < 2; ++level)
    for (int i = 0; i < 5; ++i) {
      const double angle = 2.0 * kPi * i / 5.0 + kPi / 2.0;
      const double p[3] = {std::cos(angle), std::sin(angle), level ? 0.5 : -0.5};
      mesh.AddPoint(p);
    }
  const int bottom[5] = {0, 3, 1, 4, 2};
  const int top[5] = {5, 7, 9, 6, 8};
  mesh.AddFace(bottom, 5, nullptr, false);
  mesh.AddFace(top, 5, nullptr, false);
  for (int k = 0; k < 5; ++k) {
    const int a = (2 * k) % 5, b = (2 * k + 2) % 5;
    const int side[4] = {a, b, b + 5, a + 5};
    mesh.AddFace(side, 4, nullptr, false);
  }
  mesh.FindAdjacency();
  return mesh;
}

SlicePlane Plane(double nx, double ny, double nz, double offset) {
  SlicePlane plane;
  const double len = std::sqrt(nx * nx + ny * ny + nz * nz);
  const double n[3] = {nx / len, ny / len, nz / len};
  // u: any unit vector perpendicular to n; v = n x u so that u x v = n.
  double u[3] = {-n[1], n[0], 0.0};
  if (std::fabs(n[2]) > 0.9) {
    u[0] = 0.0;
    u[1] = -n[2];
    u[2] = n[1];
  }
  const double lu = std::sqrt(u[0] * u[0] + u[1] * u[1] + u[2] * u[2]);
  for (double& c : u) c /= lu;
  const double v[3] = {n[1] * u[2] - n[2] * u[1], n[2] * u[0] - n[0] * u[2], n[0] * u[1] - n[1] * u[0]};
  for (int k = 0; k < 3; ++k) {
    plane.mNormal[k] = n[k];
    plane.mU[k] = u[k];
    plane.mV[k] = v[k];
  }
  plane.mOffset = offset;
  return plane;
}

double LoopArea(const corvia::CrossSectionLoop& loop) {
  double a = 0.0;
  const int n = loop.NumPoints();
  for (int i = 0; i < n; ++i) {
    const int j = (i + 1) % n;
    a += loop.mPoints[2 * i] * loop.mPoints[2 * j + 1] - loop.mPoints[2 * i + 1] * loop.mPoints[2 * j];
  }
  return 0.5 * a;
}

double SideLength(const corvia::CrossSectionLoop& loop, int i) {
  const int j = (i + 1) % loop.NumPoints();
  return std::hypot(loop.mPoints[2 * j] - loop.mPoints[2 * i], loop.mPoints[2 * j + 1] - loop.mPoints[2 * i + 1]);
}

// Sum over the filled cells of winding times area.
double WeightedFill(const CrossSection& section, int* maxWinding = nullptr) {
  double total = 0.0;
  for (int c = 0; c < section.mResult.mNumCells; ++c) {
    int w = 0;
    for (int k = 0; k < section.mCells[c].numPairs; ++k) w += section.mCells[c].pairs[k].winding;
    if (maxWinding && std::abs(w) > *maxWinding) *maxWinding = std::abs(w);
    total += w * corvia::GetCellArea(&section.mResult, c);
  }
  return total;
}

TEST(CrossSection, CubeCutAcrossAnAxisIsASquare) {
  const SliceMesh cube = Cube();
  CrossSection section;
  ASSERT_TRUE(section.Build(cube, Plane(0, 0, 1, 0.0), true));
  ASSERT_EQ(section.mLoops.size(), 1u);
  const auto& loop = *section.mLoops[0];
  ASSERT_EQ(loop.NumPoints(), 4);
  for (int i = 0; i < 4; ++i) EXPECT_NEAR(SideLength(loop, i), 2.0 / std::sqrt(3.0), 1e-6);
  // The loop runs round the solid counter-clockwise: material on its left.
  EXPECT_NEAR(LoopArea(loop), 4.0 / 3.0, 1e-6);
  ASSERT_EQ(section.mResult.mNumCells, 1);
  EXPECT_NEAR(WeightedFill(section), 4.0 / 3.0, 1e-6);
  EXPECT_FLOAT_EQ(section.mCells[0].opacity, 1.0f);
}

TEST(CrossSection, CubeCutAcrossABodyDiagonalIsARegularHexagon) {
  const SliceMesh cube = Cube();
  CrossSection section;
  // Six points from four-sided faces: the loop outgrows any per-face array.
  ASSERT_TRUE(section.Build(cube, Plane(1, 1, 1, 0.0), true));
  ASSERT_EQ(section.mLoops.size(), 1u);
  const auto& loop = *section.mLoops[0];
  ASSERT_EQ(loop.NumPoints(), 6);
  for (int i = 0; i < 6; ++i) EXPECT_NEAR(SideLength(loop, i), std::sqrt(2.0 / 3.0), 1e-6);
  EXPECT_NEAR(LoopArea(loop), std::sqrt(3.0), 1e-6);
  EXPECT_NEAR(WeightedFill(section), std::sqrt(3.0), 1e-6);
}

TEST(CrossSection, PlanesThatMissOrLieInAFaceGiveNoOrOneLoop) {
  const SliceMesh cube = Cube();
  CrossSection section;
  EXPECT_TRUE(section.Build(cube, Plane(0, 0, 1, -2.0), true));
  EXPECT_TRUE(section.mLoops.empty());
  EXPECT_LE(section.mResult.mNumCells, 0);
  // The plane of the top face: that face is passed over, its neighbours give a loop
  // (or nothing) but never a broken one.
  const double a = 1.0 / std::sqrt(3.0);
  EXPECT_TRUE(section.Build(cube, Plane(0, 0, 1, -a), true));
  EXPECT_LE(section.mLoops.size(), 1u);
}

TEST(CrossSection, PentagramPrismAcrossItsAxisIsAStarWithADoubleCentre) {
  const SliceMesh prism = PentagramPrism();
  CrossSection section;
  ASSERT_TRUE(section.Build(prism, Plane(0, 0, 1, 0.0), true));
  ASSERT_EQ(section.mLoops.size(), 1u);
  EXPECT_EQ(section.mLoops[0]->NumPoints(), 5);
  ASSERT_EQ(section.mResult.mNumCells, 2);
  int maxWinding = 0;
  const double weighted = WeightedFill(section, &maxWinding);
  EXPECT_EQ(maxWinding, 2);
  EXPECT_NEAR(std::fabs(weighted), std::fabs(LoopArea(*section.mLoops[0])), 1e-9);
}

TEST(CrossSection, PentagramPrismAlongItsAxisPairsTheStarFaceCrossings) {
  // A vertical plane through the star faces: each crosses it four times, and the loops
  // are paired by their running depth, giving nested rectangles.
  const SliceMesh prism = PentagramPrism();
  const double x = 0.05;
  CrossSection section;
  ASSERT_TRUE(section.Build(prism, Plane(1, 0, 0, -x), true));
  EXPECT_EQ(section.mLoops.size(), 2u);
  // Expected: height times the integral of the star's winding along the line x = 0.05.
  std::vector<std::pair<double, int>> events;
  for (int k = 0; k < 5; ++k) {
    const double a0 = 2.0 * kPi * (2 * k % 5) / 5.0 + kPi / 2.0, a1 = 2.0 * kPi * ((2 * k + 2) % 5) / 5.0 + kPi / 2.0;
    const double x0 = std::cos(a0), y0 = std::sin(a0), x1 = std::cos(a1), y1 = std::sin(a1);
    if ((x0 < x) == (x1 < x)) continue;
    const double y = y0 + (x - x0) * (y1 - y0) / (x1 - x0);
    events.push_back({y, x1 > x0 ? 1 : -1});
  }
  ASSERT_EQ(events.size(), 4u);
  double integral = 0.0;
  for (const auto& e : events) integral += e.first * e.second;
  EXPECT_NEAR(std::fabs(WeightedFill(section)), std::fabs(integral), 1e-6);  // the plane is nudged by 1e-7
}

TEST(CrossSection, ReentryAndOpenMeshesEndCleanly) {
  // An open box (no top): the walk meets an open side and gives up on that loop
  // without looping.
  SliceMesh open;
  const double a = 1.0 / std::sqrt(3.0);
  for (int i = 0; i < 8; ++i) {
    const double p[3] = {(i & 1) ? a : -a, (i & 2) ? a : -a, (i & 4) ? a : -a};
    open.AddPoint(p);
  }
  const int faces[5][4] = {{0, 2, 3, 1}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
  for (const auto& f : faces) open.AddFace(f, 4, nullptr, false);
  open.FindAdjacency();
  CrossSection section;
  EXPECT_TRUE(section.Build(open, Plane(1, 0, 0, 0.0), true));
  EXPECT_TRUE(section.mLoops.empty());
  // A second build works: the build-running flag was released.
  EXPECT_TRUE(section.Build(Cube(), Plane(0, 0, 1, 0.0), true));
  EXPECT_EQ(section.mLoops.size(), 1u);
}

TEST(CrossSection, SliceRangeFollowsTheFrameAndDepth) {
  const SliceMesh cube = Cube();
  double lo, hi;
  corvia::SliceDepth() = 0.25;
  const double t = corvia::GetSliceRange(cube.mPoints, &lo, &hi);
  EXPECT_NEAR(hi, 1.0 / std::sqrt(3.0), 1e-12);
  EXPECT_NEAR(lo, -1.0 / std::sqrt(3.0), 1e-12);
  EXPECT_NEAR(t, hi + (lo - hi) * 0.25, 1e-12);
  // A damaged frame is reset to the identity.
  corvia::SlicingFrame()[15] = 0.5;
  corvia::SlicingFrame()[10] = -1.0;
  corvia::GetSliceRange(cube.mPoints, &lo, &hi);
  EXPECT_DOUBLE_EQ(corvia::SlicingFrame()[10], 1.0);
  corvia::SliceDepth() = 0.5;
}

}  // namespace
