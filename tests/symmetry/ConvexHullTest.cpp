#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "core/Progress.h"
#include "core/RainbowColor.h"
#include "core/VectorMath.h"
#include "symmetry/ConvexHull.h"
#include "symmetry/SimplePoly.h"
#include "tests/support/TestSupport.h"
#include "tests/symmetry/FindSymmetriesModels.h"

namespace {

using Point = std::array<double, 3>;

std::unique_ptr<corvia::SimplePoly> ModelOf(const std::vector<Point>& points) {
  auto poly = std::make_unique<corvia::SimplePoly>(static_cast<int>(points.size()), 0);
  for (size_t i = 0; i < points.size(); ++i) poly->VertAt(static_cast<int>(i)).SetPos(points[i].data());
  return poly;
}

std::vector<Point> CubeCorners(double lo, double hi) {
  std::vector<Point> pts;
  for (int i = 0; i < 8; ++i) pts.push_back({(i & 1) ? hi : lo, (i & 2) ? hi : lo, (i & 4) ? hi : lo});
  return pts;
}

int LiveVerts(const corvia::SimplePoly& poly) {
  int n = 0;
  for (int i = 0; i < poly.NumVerts(); ++i) n += poly.VertAt(i).IsTemp() ? 0 : 1;
  return n;
}

// Checks that the faces form a closed convex surface round every input point:
// each directed edge met once and its reverse once, V - E + F = 2, every face
// planar, convex with no straight corner, counter-clockwise round its outward
// normal, and no input point outside it.
void ExpectSoundHull(const corvia::SimplePoly& poly, const std::vector<Point>& input, double tol = 1e-6) {
  std::map<std::pair<int, int>, int> edges;
  int numEdgeEnds = 0;
  for (int fi = 0; fi < poly.NumFaces(); ++fi) {
    const corvia::SimpleFace& f = poly.FaceAt(fi);
    ASSERT_FALSE(f.IsTemp()) << "face " << fi;
    const int n = f.Count();
    ASSERT_GE(n, 3);
    const double* n0 = f.normal;
    EXPECT_NEAR(corvia::Dot(n0, n0), 1.0, 1e-9);
    const double* origin = poly.VertAt(f.items[0]).pos;
    for (int i = 0; i < n; ++i) {
      const int a = f.items[static_cast<size_t>(i)];
      const int b = f.items[static_cast<size_t>((i + 1) % n)];
      const int c = f.items[static_cast<size_t>((i + 2) % n)];
      ASSERT_FALSE(poly.VertAt(a).IsTemp());
      ++edges[{a, b}];
      ++numEdgeEnds;
      double ab[3], bc[3], cross[3], off[3];
      corvia::Subtract(ab, poly.VertAt(b).pos, poly.VertAt(a).pos);
      corvia::Subtract(bc, poly.VertAt(c).pos, poly.VertAt(b).pos);
      corvia::Cross(cross, ab, bc);
      EXPECT_GT(corvia::Dot(cross, n0), 0.0) << "face " << fi << " not convex or not outward at corner " << b;
      corvia::Subtract(off, poly.VertAt(a).pos, origin);
      EXPECT_NEAR(corvia::Dot(off, n0), 0.0, tol) << "face " << fi << " not planar";
    }
    for (const Point& p : input) {
      double off[3];
      corvia::Subtract(off, p.data(), origin);
      EXPECT_LE(corvia::Dot(off, n0), tol) << "point outside face " << fi;
    }
  }
  for (const auto& [edge, count] : edges) {
    EXPECT_EQ(count, 1);
    EXPECT_EQ(edges.count({edge.second, edge.first}), 1u) << "open edge " << edge.first << "-" << edge.second;
  }
  EXPECT_EQ(LiveVerts(poly) - numEdgeEnds / 2 + poly.NumFaces(), 2);
}

TEST(ConvexHull, CubeCornersAndInteriorPointsGiveSixSquares) {
  std::vector<Point> pts = CubeCorners(-1, 1);
  pts.push_back({0, 0, 0});
  pts.push_back({0.5, -0.25, 0.1});
  pts.push_back({0, 0, 1});  // centre of a face
  pts.push_back({1, 1, 0});  // middle of an edge
  auto poly = ModelOf(pts);
  ASSERT_TRUE(corvia::ComputeConvexHull(*poly, 0));
  ASSERT_EQ(poly->NumFaces(), 6);
  for (int fi = 0; fi < 6; ++fi) {
    EXPECT_EQ(poly->FaceAt(fi).Count(), 4);
    const double* n = poly->FaceAt(fi).normal;
    EXPECT_NEAR(std::fabs(n[0]) + std::fabs(n[1]) + std::fabs(n[2]), 1.0, 1e-9);  // along an axis
  }
  for (int i = 0; i < 8; ++i) EXPECT_FALSE(poly->VertAt(i).IsTemp());
  for (int i = 8; i < 12; ++i) EXPECT_TRUE(poly->VertAt(i).IsTemp()) << i;
  for (int i = 0; i < poly->NumVerts(); ++i) EXPECT_FALSE(poly->VertAt(i).flags & corvia::kSimpleDone);
  ExpectSoundHull(*poly, pts);
}

// The hull of many points keeps the progress window answering; a cancel at any of its
// reports stops it with no face written and no reason given (the user knows why).
TEST(ConvexHull, ACancelAtAnyReportStopsTheHullWithoutAReason) {
  std::mt19937 random(42u);
  std::normal_distribution<double> normal;
  std::vector<Point> pts;
  while (pts.size() < 3000) {
    Point p{normal(random), normal(random), normal(random)};
    const double length = std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
    if (length > 1e-3) pts.push_back({p[0] / length, p[1] / length, p[2] / length});
  }
  corvia::testing::ReportCounter reports;
  auto run = [&](std::string& refusal) {
    auto poly = ModelOf(pts);
    corvia::ProgressScope scope;
    corvia::testing::Platform().clock.Advance(2.0);
    const bool built = corvia::ComputeConvexHull(*poly, 0, &refusal);
    EXPECT_EQ(built, poly->NumFaces() > 0);
    return built;
  };
  std::string refusal;
  ASSERT_TRUE(run(refusal));
  const int count = reports.pumps;
  EXPECT_GT(count, 8);
  for (reports.cancelAt = 1; reports.cancelAt <= count; ++reports.cancelAt) {
    reports.pumps = 0;
    refusal = "not cleared";
    EXPECT_FALSE(run(refusal)) << "cancelled at report " << reports.cancelAt;
    EXPECT_TRUE(refusal.empty()) << refusal;
    EXPECT_FALSE(corvia::IsProgressActive());
  }
}

TEST(ConvexHull, GridOfTwentySevenPointsGivesTheCube) {
  std::vector<Point> pts;
  for (int z = 0; z < 3; ++z)
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 3; ++x) pts.push_back({double(x), double(y), double(z)});
  auto poly = ModelOf(pts);
  ASSERT_TRUE(corvia::ComputeConvexHull(*poly, 0));
  EXPECT_EQ(poly->NumFaces(), 6);
  EXPECT_EQ(LiveVerts(*poly), 8);
  ExpectSoundHull(*poly, pts);
}

TEST(ConvexHull, PointBeyondACornerExtendsTwoFacesAndDropsTheCorner) {
  std::vector<Point> pts = CubeCorners(0, 1);
  pts.push_back({2, 0, 0});
  auto poly = ModelOf(pts);
  ASSERT_TRUE(corvia::ComputeConvexHull(*poly, 0));
  ASSERT_EQ(poly->NumFaces(), 7);
  int quads = 0, triangles = 0;
  for (int fi = 0; fi < 7; ++fi) (poly->FaceAt(fi).Count() == 4 ? quads : triangles)++;
  EXPECT_EQ(quads, 5);
  EXPECT_EQ(triangles, 2);
  EXPECT_TRUE(poly->VertAt(1).IsTemp());  // (1, 0, 0) lies on the edge to (2, 0, 0)
  EXPECT_EQ(LiveVerts(*poly), 8);
  ExpectSoundHull(*poly, pts);
}

TEST(ConvexHull, PointsPassedOverForTheFirstTetrahedronStillCount) {
  // (3, 0, 0) is on the line through the first two points and (0, 0, 0.5) on the
  // plane of the first three, so both are skipped while the first tetrahedron is
  // chosen; both must still be taken in.
  std::vector<Point> pts = {{0, 0, 0}, {1, 0, 0}, {3, 0, 0}, {0, 1, 0}, {-1, -1, 0}, {0, 0, 1}};
  auto poly = ModelOf(pts);
  ASSERT_TRUE(corvia::ComputeConvexHull(*poly, 0));
  EXPECT_FALSE(poly->VertAt(2).IsTemp());
  EXPECT_FALSE(poly->VertAt(4).IsTemp());
  EXPECT_TRUE(poly->VertAt(0).IsTemp());
  EXPECT_TRUE(poly->VertAt(1).IsTemp());
  ExpectSoundHull(*poly, pts);
}

TEST(ConvexHull, CoincidentAndOnFacePointsAreNotCorners) {
  std::vector<Point> pts = CubeCorners(0, 1);
  pts.push_back({1, 1, 1 + 5e-8});  // coincident with corner 7
  pts.push_back({0.5, 0.5, 1 + 5e-8});  // on the top face within the tolerance
  auto poly = ModelOf(pts);
  ASSERT_TRUE(corvia::ComputeConvexHull(*poly, 0));
  EXPECT_FALSE(poly->VertAt(7).IsTemp());
  EXPECT_TRUE(poly->VertAt(8).IsTemp());
  EXPECT_TRUE(poly->VertAt(9).IsTemp());
  EXPECT_EQ(poly->NumFaces(), 6);
}

// Points of a dense sphere are all corners, however nearly the points round one lie
// in a plane with it or on a line: the faces there bend at each point a thousand
// times more sharply than a face that a point lies a tolerance's worth off, which
// still takes it in (above).
TEST(ConvexHull, EveryPointOfADenseSphereIsACorner) {
  // The first sphere holds points that nearly coplanar triangles round them would
  // join into one face, the second a point nearly on the line between two neighbours.
  for (const auto& [n, seed] : {std::pair{200000, 10u}, std::pair{300000, 22u}}) {
    std::mt19937 random(seed);
    std::normal_distribution<double> normal;
    std::vector<double> xyz;
    while (xyz.size() < size_t(n) * 3) {
      double p[3] = {normal(random), normal(random), normal(random)};
      const double length = std::sqrt(corvia::Dot(p, p));
      if (length == 0) continue;
      for (double& c : p) xyz.push_back(c / length);
    }
    corvia::PointHull hull;
    ASSERT_TRUE(corvia::ComputeConvexHull(xyz.data(), size_t(n), hull));
    EXPECT_EQ(hull.corners.size(), size_t(n)) << n << " points";
  }
}

TEST(ConvexHull, PointsGivenManyTimesOverGiveTheHullOfTheirFirstCopies) {
  // A random cloud with some of its points repeated after it, corners among them: the
  // same faces as the cloud alone, the corners the first copies of their places,
  // every later copy no corner.
  std::mt19937 random(20260901);
  std::uniform_real_distribution<double> coordinate(-1.0, 1.0);
  std::vector<Point> cloud(200);
  for (Point& p : cloud) p = {coordinate(random), coordinate(random), coordinate(random)};
  auto alone = ModelOf(cloud);
  ASSERT_TRUE(corvia::ComputeConvexHull(*alone, 0));
  std::vector<Point> repeated = cloud;
  for (int copy = 0; copy < 3000; ++copy) repeated.push_back(cloud[size_t(copy) % 7 * 29 % cloud.size()]);
  auto many = ModelOf(repeated);
  ASSERT_TRUE(corvia::ComputeConvexHull(*many, 0));
  ASSERT_EQ(many->NumFaces(), alone->NumFaces());
  for (int f = 0; f < alone->NumFaces(); ++f) EXPECT_EQ(many->FaceAt(f).items, alone->FaceAt(f).items) << f;
  for (size_t i = cloud.size(); i < repeated.size(); ++i) EXPECT_TRUE(many->VertAt(int(i)).IsTemp()) << i;
  ExpectSoundHull(*many, repeated);

  // A tetrahedron's corners a hundred thousand times over, and one point as often.
  std::vector<Point> corners = {{1, 1, 1}, {1, -1, -1}, {-1, 1, -1}, {-1, -1, 1}};
  std::vector<Point> tetra;
  for (int i = 0; i < 100000; ++i) tetra.push_back(corners[size_t(i) % 4]);
  auto four = ModelOf(tetra);
  ASSERT_TRUE(corvia::ComputeConvexHull(*four, 0));
  EXPECT_EQ(four->NumFaces(), 4);
  EXPECT_EQ(LiveVerts(*four), 4);
  auto one = ModelOf(std::vector<Point>(100000, Point{0.5, 0.25, 0.125}));
  std::string refusal;
  EXPECT_FALSE(corvia::ComputeConvexHull(*one, 0, &refusal));
  EXPECT_FALSE(refusal.empty());
}

TEST(ConvexHull, DegeneratePointSetsAreRefused) {
  const std::vector<std::vector<Point>> cases = {
      {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}},                                  // fewer than four
      {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}, {0.3, 0.7, 0}},        // coplanar
      {{0, 0, 0}, {1, 1, 1}, {2, 2, 2}, {-3, -3, -3}, {0.5, 0.5, 0.5}},   // collinear
      {{1, 2, 3}, {1, 2, 3}, {1, 2, 3 + 1e-8}, {1, 2, 3}, {1, 2, 3}},     // one point
      {{0, 0, 0}, {0, 0, 0}, {1, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 1, 0}}, // duplicates of a triangle
  };
  for (const std::vector<Point>& pts : cases) {
    auto poly = ModelOf(pts);
    EXPECT_FALSE(corvia::ComputeConvexHull(*poly, 0));
    EXPECT_EQ(poly->NumFaces(), 0);
    auto source = ModelOf(pts);
    EXPECT_EQ(corvia::CreateConvexHull(*source, 0), nullptr);
  }
  // Infinite and already marked vertices take no part.
  auto poly = ModelOf({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}});
  poly->VertAt(3).flags |= corvia::kSimpleInfinite;
  EXPECT_FALSE(corvia::ComputeConvexHull(*poly, 0));
}

std::vector<Point> RandomPoints(int kind, int n, unsigned seed) {
  std::mt19937 rng(seed);
  std::normal_distribution<double> normal;
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  std::uniform_int_distribution<int> grid(-4, 4), face(0, 5);
  std::vector<Point> pts;
  while (static_cast<int>(pts.size()) < n) {
    Point p{};
    if (kind == 0) {  // in a ball
      p = {unit(rng), unit(rng), unit(rng)};
      if (p[0] * p[0] + p[1] * p[1] + p[2] * p[2] > 1) continue;
    } else if (kind == 1) {  // on a sphere
      p = {normal(rng), normal(rng), normal(rng)};
      const double len = std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
      for (double& c : p) c /= len;
    } else {  // on a cube's surface, on a grid: many coplanar and collinear points
      const int f = face(rng);
      p = {grid(rng) / 4.0, grid(rng) / 4.0, grid(rng) / 4.0};
      p[static_cast<size_t>(f % 3)] = f < 3 ? -1.0 : 1.0;
    }
    pts.push_back(p);
  }
  return pts;
}

TEST(ConvexHull, RandomPointSetsGiveSoundHulls) {
  for (int kind = 0; kind < 3; ++kind) {
    for (unsigned seed = 1; seed <= 6; ++seed) {
      SCOPED_TRACE(testing::Message() << "kind " << kind << " seed " << seed);
      const std::vector<Point> pts = RandomPoints(kind, 60 + 120 * static_cast<int>(seed), seed);
      auto poly = ModelOf(pts);
      ASSERT_TRUE(corvia::ComputeConvexHull(*poly, 0));
      ExpectSoundHull(*poly, pts);
      if (kind == 1) {
        EXPECT_EQ(LiveVerts(*poly), static_cast<int>(pts.size()));
      }
    }
  }
}

// A geodesic sphere's vertices come face by face, each next to the last: every
// vertex is a corner of a sound hull.
TEST(ConvexHull, GeodesicSphereVerticesListedFaceByFaceAreAllCorners) {
  const std::unique_ptr<corvia::SimplePoly> sphere = corvia::symtest::MakeGeodesicModel(12);
  std::vector<Point> pts;
  for (int i = 0; i < sphere->NumVerts(); ++i) {
    const double* p = sphere->VertAt(i).pos;
    pts.push_back({p[0], p[1], p[2]});
  }
  auto poly = ModelOf(pts);
  ASSERT_TRUE(corvia::ComputeConvexHull(*poly, 0));
  EXPECT_EQ(LiveVerts(*poly), static_cast<int>(pts.size()));
  EXPECT_EQ(poly->NumFaces(), 2 * static_cast<int>(pts.size()) - 4);
  ExpectSoundHull(*poly, pts);
}

// What every hull must give, however nearly flat its points: faces that close
// into a sphere, each flat within the tolerance, and no input point further than
// the tolerance outside the plane of any face (the plane through the face's
// highest corner: a straight corner that was dropped may have held it up to the
// tolerance higher).
void ExpectHullHoldsEveryPoint(const corvia::SimplePoly& poly, const std::vector<Point>& input) {
  constexpr double kTol = corvia::kPointTolerance;
  std::map<std::pair<int, int>, int> edges;
  int sides = 0;
  for (int fi = 0; fi < poly.NumFaces(); ++fi) {
    const corvia::SimpleFace& f = poly.FaceAt(fi);
    ASSERT_FALSE(f.IsTemp());
    ASSERT_GE(f.Count(), 3);
    double low = 1e300, high = -1e300;
    for (int k = 0; k < f.Count(); ++k) {
      const int v = f.items[static_cast<size_t>(k)];
      ASSERT_FALSE(poly.VertAt(v).IsTemp());
      const double h = corvia::Dot(poly.VertAt(v).pos, f.normal);
      low = std::min(low, h);
      high = std::max(high, h);
      ++edges[{v, f.items[static_cast<size_t>((k + 1) % f.Count())]}];
      ++sides;
    }
    EXPECT_LE(high - low, kTol * 1.01) << "face " << fi << " not flat";
    for (size_t i = 0; i < input.size(); ++i) {
      EXPECT_LE(corvia::Dot(input[i].data(), f.normal) - high, 2 * kTol) << "point " << i << " outside face " << fi;
    }
  }
  for (const auto& [edge, count] : edges) {
    EXPECT_EQ(count, 1);
    EXPECT_EQ(edges.count({edge.second, edge.first}), 1u) << "open edge " << edge.first << "-" << edge.second;
  }
  EXPECT_EQ(LiveVerts(poly) - sides / 2 + poly.NumFaces(), 2);
}

// Point sets that lie within a few tolerances of a plane or a line, alone or with a
// point well away, the same on every machine: each gives a hull that holds every
// point, or is refused (never an internal error, never a point left outside).
TEST(ConvexHull, NearlyFlatAndNearlyStraightPointSetsAreHeldOrRefused) {
  constexpr unsigned kSeed = 8191;
  constexpr int kRounds = 480;
  std::mt19937 random(kSeed);
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  int built = 0, refused = 0;
  for (int round = 0; round < kRounds; ++round) {
    // Thickness from 1e-10 to 1e-3: below, at and above the tolerance.
    const double thickness = std::pow(10.0, -3.0 - static_cast<double>(round % 8));
    const int kind = (round / 8) % 4;
    const int n = 6 + static_cast<int>(random() % 50);
    SCOPED_TRACE(testing::Message() << "seed " << kSeed << ", round " << round << ", kind " << kind << ", thickness "
                                    << thickness);
    std::vector<Point> pts;
    for (int i = 0; i < n; ++i) {
      Point p{unit(random), unit(random), unit(random)};
      switch (kind) {
        case 0:  // a slab
        case 1:  // a slab and a point above it
          p[2] *= thickness;
          break;
        case 2:  // a needle
          p[1] *= thickness;
          p[2] *= thickness;
          break;
        case 3:  // the skin of a cube
          p[random() % 3] = (random() % 2 ? 1.0 : -1.0) * (1.0 + thickness * unit(random));
          break;
      }
      pts.push_back(p);
    }
    if (kind == 1) pts.push_back({0.1, -0.2, 1.0});
    auto poly = ModelOf(pts);
    if (corvia::ComputeConvexHull(*poly, 0)) {
      ++built;
      ExpectHullHoldsEveryPoint(*poly, pts);
    } else {
      ++refused;
      EXPECT_EQ(poly->NumFaces(), 0);
    }
  }
  EXPECT_GT(built, kRounds / 3);
  EXPECT_GT(refused, kRounds / 8);
}

TEST(ConvexHull, PointsThatAreNotFiniteAreRefusedWithTheirVertex) {
  const double values[] = {std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                           std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::max() * 2};
  for (double bad : values) {
    std::vector<Point> pts = CubeCorners(-1, 1);
    pts[5][1] = bad;
    auto poly = ModelOf(pts);
    std::string refusal;
    EXPECT_FALSE(corvia::ComputeConvexHull(*poly, 0, &refusal));
    EXPECT_EQ(refusal, "vertex 5 has no finite position");
    EXPECT_EQ(poly->NumFaces(), 0);
    auto source = ModelOf(pts);
    refusal.clear();
    EXPECT_EQ(corvia::CreateConvexHull(*source, 0, &refusal), nullptr);
    EXPECT_EQ(refusal, "vertex 5 has no finite position");
  }
  // A flat set says so.
  auto flat = ModelOf({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 5e-8}});
  std::string refusal;
  EXPECT_FALSE(corvia::ComputeConvexHull(*flat, 0, &refusal));
  EXPECT_EQ(refusal, "the vertices do not enclose a solid");
}

// The hull of a model is found from the positions of the vertices that take part
// only: the faces and refusals must still name the model's own vertices, as the hull
// built on the model itself does, whatever vertices before them are left out.
TEST(ConvexHull, CreateConvexHullNamesTheSourceVerticesPastThoseLeftOut) {
  std::vector<Point> pts = {{9, 9, 9}, {0.1, 0.2, 0.3}, {-9, 0, 0}};
  for (const Point& p : CubeCorners(-1, 1)) pts.push_back(p);
  pts.push_back({0, 0, 8});
  pts.push_back({1, 1, 1});  // the same corner again
  pts.push_back({1, 0, 0});  // on a face
  const uint32_t leftOut[] = {corvia::kSimpleDone, 0, corvia::kSimpleTemp, 0, 0, 0, 0, 0, 0, 0, 0,
                              corvia::kSimpleInfinite, 0, 0};
  auto source = ModelOf(pts);
  auto built = ModelOf(pts);
  for (size_t i = 0; i < pts.size(); ++i) {
    source->VertAt(static_cast<int>(i)).flags |= leftOut[i];
    if (leftOut[i]) built->VertAt(static_cast<int>(i)).flags |= corvia::kSimpleTemp;
  }
  std::vector<uint32_t> sourceFlags;
  for (int i = 0; i < source->NumVerts(); ++i) sourceFlags.push_back(source->VertAt(i).flags);
  auto hull = corvia::CreateConvexHull(*source, 0);
  ASSERT_NE(hull, nullptr);
  // The source's positions are read where they lie, and the source is not written
  // to: the repeated corner, which the hull leaves out, stays as it was.
  for (int i = 0; i < source->NumVerts(); ++i) EXPECT_EQ(source->VertAt(i).flags, sourceFlags[i]) << "vertex " << i;
  ASSERT_TRUE(corvia::ComputeConvexHull(*built, 0));
  ASSERT_EQ(hull->NumFaces(), 6);
  ASSERT_EQ(hull->NumFaces(), built->NumFaces());
  for (int fi = 0; fi < hull->NumFaces(); ++fi) {
    EXPECT_EQ(hull->FaceAt(fi).items, built->FaceAt(fi).items) << "face " << fi;
    EXPECT_TRUE(corvia::NearlyEqual(hull->FaceAt(fi).normal, built->FaceAt(fi).normal, 0.0));
  }
  for (int i = 0; i < hull->NumVerts(); ++i) {
    EXPECT_EQ(hull->VertAt(i).IsTemp(), i < 3 || i >= 11) << "vertex " << i;
    EXPECT_FALSE(hull->VertAt(i).flags & corvia::kSimpleDone);
  }

  // A vertex with no finite position is named by its number in the model, also
  // where too few others take part to enclose a solid.
  for (size_t usable : {size_t{8}, size_t{2}}) {
    std::vector<Point> bad(pts.begin(), pts.begin() + 3 + static_cast<std::ptrdiff_t>(usable));
    bad.back()[2] = std::numeric_limits<double>::quiet_NaN();
    auto model = ModelOf(bad);
    for (size_t i = 0; i < 3; ++i) model->VertAt(static_cast<int>(i)).flags |= corvia::kSimpleTemp;
    std::string refusal;
    EXPECT_EQ(corvia::CreateConvexHull(*model, 0, &refusal), nullptr);
    EXPECT_EQ(refusal, "vertex " + std::to_string(bad.size() - 1) + " has no finite position");
  }
}

TEST(ConvexHull, CubeSurfaceWithItsCornersMergesIntoSixFaces) {
  for (unsigned seed = 1; seed <= 5; ++seed) {
    std::vector<Point> pts = RandomPoints(2, 300, seed);
    const std::vector<Point> corners = CubeCorners(-1, 1);
    // The corners arrive late and in the middle, after many faces were made.
    for (size_t i = 0; i < corners.size(); ++i) pts.insert(pts.begin() + 100 + 20 * i, corners[i]);
    auto poly = ModelOf(pts);
    ASSERT_TRUE(corvia::ComputeConvexHull(*poly, 0));
    EXPECT_EQ(poly->NumFaces(), 6) << "seed " << seed;
    EXPECT_EQ(LiveVerts(*poly), 8) << "seed " << seed;
    ExpectSoundHull(*poly, pts);
  }
}

TEST(ConvexHull, CreateConvexHullKeepsColoursOfSurvivingFaces) {
  // A cube with a pyramid dent: the hull is the cube; five cube faces survive.
  std::vector<Point> pts = CubeCorners(0, 1);
  pts.push_back({0.5, 0.5, 0.5});
  auto source = ModelOf(pts);
  const int quads[5][4] = {{0, 2, 3, 1}, {0, 1, 5, 4}, {1, 3, 7, 5}, {3, 2, 6, 7}, {2, 0, 4, 6}};
  for (int f = 0; f < 5; ++f) {
    corvia::SimpleFace& face = source->AddFace();
    face.SetNumVerts(4);
    for (int k = 0; k < 4; ++k) face.SetVertIndex(k, quads[f][k]);
    face.color = 0x000010u * static_cast<uint32_t>(f + 1);
    face.color2 = face.color;
  }
  const int dent[4][3] = {{4, 5, 8}, {5, 7, 8}, {7, 6, 8}, {6, 4, 8}};
  for (const auto& tri : dent) {
    corvia::SimpleFace& face = source->AddFace();
    face.SetNumVerts(3);
    for (int k = 0; k < 3; ++k) face.SetVertIndex(k, tri[k]);
  }
  auto hull = corvia::CreateConvexHull(*source, corvia::kHullKeepColors | corvia::kHullMarkSourceFaces);
  ASSERT_NE(hull, nullptr);
  EXPECT_EQ(hull->name, "Convex hull");
  EXPECT_EQ(hull->CountFacesWithoutFlags(corvia::kSimpleTemp), 6);
  EXPECT_TRUE(hull->flags & corvia::kSimpleKeepColors);
  EXPECT_TRUE(hull->flags & corvia::kSimpleKeepLengthUnits);
  int kept = 0;
  uint32_t newColor = 0;
  for (int fi = 0; fi < hull->NumFaces(); ++fi) {
    const uint32_t color = hull->FaceAt(fi).color;
    if (color >= 0x10 && color <= 0x50 && color % 0x10 == 0) {
      ++kept;
    } else {
      newColor = color;
    }
  }
  EXPECT_EQ(kept, 5);
  EXPECT_NE(newColor, 0u);
  for (int f = 0; f < 5; ++f) EXPECT_TRUE(source->FaceAt(f).flags & corvia::kSimpleMarked);
  for (int f = 5; f < 9; ++f) EXPECT_FALSE(source->FaceAt(f).flags & corvia::kSimpleMarked);
  EXPECT_FALSE(source->flags & corvia::kSimpleConvex);  // the dent is not on the hull
}

TEST(ConvexHull, RemoveDegenerateFaceVertsCleansSpikesAndRepeats) {
  auto poly = ModelOf({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {1, 0, 0}, {0.5, 2, 0}});
  const std::vector<std::vector<int>> faces = {{0, 1, 4, 2, 3}, {0, 1, 2, 1, 3}, {0, 1, 0, 2}};
  for (const auto& corners : faces) {
    corvia::SimpleFace& f = poly->AddFace();
    f.SetNumVerts(static_cast<int>(corners.size()));
    for (size_t k = 0; k < corners.size(); ++k) f.SetVertIndex(static_cast<int>(k), corners[k]);
  }
  EXPECT_TRUE(corvia::RemoveDegenerateFaceVerts(*poly));
  EXPECT_EQ(poly->FaceAt(0).items, (std::vector<int32_t>{0, 4, 2, 3}));  // A, B, B, C, D -> A, B, C, D
  EXPECT_EQ(poly->FaceAt(1).items, (std::vector<int32_t>{0, 1, 3}));     // out to C and back
  EXPECT_TRUE(poly->FaceAt(2).IsTemp());                                 // A, B, A, C: nothing left
  EXPECT_EQ(poly->FaceAt(2).Count(), 0);
  EXPECT_TRUE(poly->VertAt(5).IsTemp());  // in no face
  EXPECT_FALSE(corvia::RemoveDegenerateFaceVerts(*poly));
}

TEST(ConvexHull, LinkCoincidentVertsRingsSharedPositions) {
  auto poly = ModelOf({{0, 0, 0}, {1, 0, 0}, {0, 0, 5e-8}, {1, 0, 0}, {2, 0, 0}, {0, 0, 0}});
  corvia::LinkCoincidentVerts(*poly);
  EXPECT_EQ(poly->VertAt(0).coinc, 2);
  EXPECT_EQ(poly->VertAt(2).coinc, 5);
  EXPECT_EQ(poly->VertAt(5).coinc, 0);
  EXPECT_EQ(poly->VertAt(1).coinc, 3);
  EXPECT_EQ(poly->VertAt(3).coinc, 1);
  EXPECT_NE(poly->VertAt(4).coinc, 0);  // alone: untouched
  EXPECT_NE(poly->VertAt(4).coinc, 1);
}

TEST(ConvexHull, ColourHelpers) {
  const float c[3] = {1.0f, 0.5f, 0.0f};
  EXPECT_EQ(corvia::PackRainbowColor(c), 0x0080FFu);  // 127.5 rounds up
  // Out of range components clamp to a byte instead of wrapping into the next one.
  const float wild[3] = {-1.0f, 2.0f, -0.001f};
  EXPECT_EQ(corvia::PackRainbowColor(wild), 0x00FF00u);
  float back[3];
  corvia::UnpackRainbowColor(0x0080FFu, back);
  EXPECT_EQ(back[0], 1.0f);
  EXPECT_NEAR(back[1], 128.0f / 255.0f, 1e-7f);
  EXPECT_EQ(back[2], 0.0f);
  corvia::ColorList list(2);
  EXPECT_EQ(list.FindOrAdd(c), 0);
  const float near[3] = {1.0f, 0.5f + 1.0f / 600, 0.0f};
  EXPECT_EQ(list.FindOrAdd(near), 0);
  const float other[3] = {0.0f, 0.0f, 1.0f};
  EXPECT_EQ(list.FindOrAdd(other), 1);
  corvia::testing::ExpectInternalErrors(1);
  const float third[3] = {0.2f, 0.2f, 0.2f};
  EXPECT_EQ(list.FindOrAdd(third), -1);
  EXPECT_EQ(corvia::testing::Platform().messages.CountTitled("Internal Error"), 1);
  float out[3];
  corvia::BlendColor(out, c, other, 0.25f);
  EXPECT_FLOAT_EQ(out[0], 0.75f);
  corvia::BlendColor(out, c, other, 2.0f);
  EXPECT_FLOAT_EQ(out[2], 1.0f);
}

}  // namespace
