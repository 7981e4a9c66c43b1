// Models that are symmetric only to within a tolerance (coordinates rounded by the
// program that wrote them): the group is found with a wide tolerance, checked against
// the narrow one, and the model is moved onto the exact places the group gives its
// points; exact models are left to the bit. The tolerances are parameters, so that
// both sides of each threshold are tried.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "construction/Prisms.h"
#include "core/VectorMath.h"
#include "symmetry/ConvexHull.h"
#include "symmetry/FindSymmetries.h"
#include "symmetry/SimplePoly.h"
#include "symmetry/SymGroup.h"
#include "symmetry/SymOperations.h"
#include "symmetry/Symmetrise.h"
#include "tests/support/TestSupport.h"
#include "tests/symmetry/FindSymmetriesModels.h"

namespace corvia::symtest {
namespace {

// Every coordinate moved by up to `amount`, the same on every machine.
std::vector<Point> Jittered(std::vector<Point> points, double amount, unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> move(-amount, amount);
  for (Point& p : points) {
    for (double& c : p) c += move(random);
  }
  return points;
}

struct Outcome {
  std::unique_ptr<SimplePoly> model;
  std::unique_ptr<SymGroup> group;
  bool reflection = false;
  std::string refusal;
  std::string Name() const { return group ? SymGroup::GetSchoenflies(group.get()) : "-"; }
};

Outcome Analyse(std::unique_ptr<SimplePoly> model, const SymmetryTolerances& tolerances = {}) {
  Outcome out;
  out.model = std::move(model);
  out.group = FindSymmetries(*out.model, out.reflection, &out.refusal, tolerances);
  return out;
}

std::vector<Point> Positions(const SimplePoly& poly) {
  std::vector<Point> points;
  for (int i = 0; i < poly.NumVerts(); ++i) {
    if (!poly.VertAt(i).IsTemp())
      points.push_back({poly.VertAt(i).pos[0], poly.VertAt(i).pos[1], poly.VertAt(i).pos[2]});
  }
  return points;
}

// How far the group's operations (improper ones too) carry the model's vertices from
// the nearest vertex: 0 up to rounding for a model lying exactly on its group.
double LargestMiss(const SimplePoly& poly, const SymGroup& group) {
  const std::vector<Point> points = Positions(poly);
  SymOperationIterator it;
  double m[9], worst = 0;
  while (GetNextSymmetryOperation(&group, it, true, m, true)) {
    for (const Point& p : points) {
      double q[3], best = 1e300;
      MatrixTimesVector(m, q, p.data());
      for (const Point& r : points) {
        double d = 0;
        for (int k = 0; k < 3; ++k) d = std::max(d, std::fabs(q[k] - r[k]));
        best = std::min(best, d);
      }
      worst = std::max(worst, best);
    }
  }
  return worst;
}

constexpr double kRounding = 1e-14;

// The turn by the angle about the unit axis u (column order).
void TurnAbout(double* m, const double* u, double angle) {
  const double c = std::cos(angle), s = std::sin(angle), t = 1 - c;
  for (int col = 0; col < 3; ++col) {
    for (int row = 0; row < 3; ++row) {
      double v = t * u[row] * u[col] + (row == col ? c : 0.0);
      if (row != col) v += (((col - row + 3) % 3 == 1) ? -1 : 1) * s * u[3 - row - col];
      m[3 * col + row] = v;
    }
  }
}

TEST(InexactSymmetryTest, NoiseBelowTheToleranceKeepsTheGroupAndNoiseAboveItLowersIt) {
  const struct {
    const char* name;
    std::vector<Point> points;
    const char* group;
  } shapes[] = {{"icosahedron", Icosahedron(), "Ih"},
                {"snub cube", SnubCube(), "O"},
                {"square antiprism", SquareAntiprism(), "D4d"}};
  auto& messages = testing::Platform().messages;
  for (const auto& shape : shapes) {
    const FaceList faces = BruteHullFaces(shape.points);
    for (unsigned seed = 1; seed <= 10; ++seed) {
      SCOPED_TRACE(std::string(shape.name) + ", seed " + std::to_string(seed));
      messages.Clear();
      // 0.3 of the symmetry tolerance (at radius 1) in every coordinate: the group.
      const double radius = std::sqrt(Dot(shape.points[0].data(), shape.points[0].data()));
      Outcome near = Analyse(MakeModel(Jittered(shape.points, 0.3 * kSymmetryTolerance * radius, seed), faces));
      EXPECT_EQ(near.Name(), shape.group);
      EXPECT_LE(LargestMiss(*near.model, *near.group), kRounding);
      // The same noise with a tolerance a tenth as wide: a lower group.
      SymmetryTolerances narrow;
      narrow.symmetry = kSymmetryTolerance / 10;
      Outcome far = Analyse(MakeModel(Jittered(shape.points, 0.3 * kSymmetryTolerance * radius, seed), faces), narrow);
      ASSERT_NE(far.group, nullptr);
      EXPECT_NE(far.Name(), shape.group);
      EXPECT_LE(LargestMiss(*far.model, *far.group), kRounding);
      EXPECT_TRUE(messages.Boxes().empty());
    }
  }
  messages.Clear();
}

TEST(InexactSymmetryTest, CoincidentVerticesJoinWithinTheMergeTolerance) {
  // The cube, its face 0 reaching a second copy of corner 0 moved by 5e-7.
  std::vector<Point> points = Cube();
  FaceList faces = BruteHullFaces(points);
  Point copy = points[static_cast<size_t>(faces[0][0])];
  copy[1] += 5e-7;
  points.push_back(copy);
  faces[0][0] = static_cast<int>(points.size()) - 1;
  Outcome joined = Analyse(MakeModel(points, faces));
  EXPECT_EQ(joined.Name(), "Oh");
  SymmetryTolerances strict;
  strict.merge = 1e-7;
  Outcome apart = Analyse(MakeModel(points, faces), strict);
  EXPECT_EQ(apart.group, nullptr);
  EXPECT_NE(apart.refusal.find("Only one face meets at the edge"), std::string::npos) << apart.refusal;
}

// A torus with its convex hull, as Add from Memory makes the compound of them: the
// hull's outer faces lie on the torus's. The hull's corners off by rounding, the analysis
// moves the compound onto its group and looks at it again; that second look stacks
// the faces in one place by itself, as the first did, with no internal error.
TEST(InexactSymmetryTest, ACompoundMovedOntoItsGroupStacksItsFacesAgain) {
  corvia::Outcome built;
  std::unique_ptr<SimplePoly> torus = CreateTorus(0.4, 3, 8, built);
  ASSERT_TRUE(torus);
  std::unique_ptr<SimplePoly> hull = CreateConvexHull(*torus, kHullKeepColors);
  ASSERT_TRUE(hull);
  auto stackedFaces = [](const SimplePoly& poly) {
    int n = 0;
    for (int i = 0; i < poly.NumFaces(); ++i) n += poly.FaceAt(i).CoincCount() > 1;
    return n;
  };
  Outcome exact = Analyse(torus->Combine(*hull));
  ASSERT_EQ(exact.Name(), "D3h");
  std::mt19937 random(5);
  std::uniform_real_distribution<double> move(-1e-12, 1e-12);
  for (int i = 0; i < hull->NumVerts(); ++i) {
    for (double& c : hull->VertAt(i).pos) c += move(random);
  }
  hull->RebuildVertexSearch();
  Outcome moved = Analyse(torus->Combine(*hull));
  EXPECT_EQ(moved.Name(), "D3h");
  EXPECT_EQ(stackedFaces(*moved.model), stackedFaces(*exact.model));
  EXPECT_GT(stackedFaces(*moved.model), 0);
}

TEST(InexactSymmetryTest, ExactAndSymmetrisedModelsAreLeftToTheBit) {
  // An exact cube keeps its coordinates.
  Outcome cube = Analyse(MakeHullModel(Cube()));
  ASSERT_NE(cube.group, nullptr);
  std::vector<Point> before = Positions(*cube.model);
  EXPECT_EQ(SymmetriseVertices(*cube.model, *cube.group, true, 1e-5, 1e-6), SymmetriseOutcome::kExact);
  EXPECT_EQ(Positions(*cube.model), before);
  // A model moved onto its group once is not moved again: its next analysis (as when
  // it is saved and read back) gives the same coordinates to the bit.
  const std::vector<Point> noisy = Jittered(Icosahedron(), 2e-7, 7);
  Outcome first = Analyse(MakeModel(noisy, BruteHullFaces(noisy)));
  ASSERT_EQ(first.Name(), "Ih");
  before = Positions(*first.model);
  Outcome second = Analyse(MakeModel(before, BruteHullFaces(noisy)));
  ASSERT_EQ(second.Name(), "Ih");
  EXPECT_EQ(Positions(*second.model), before);
}

TEST(InexactSymmetryTest, AGroupThatDoesNotFitIsRefusedAndChangesNothing) {
  const std::vector<Point> noisy = Jittered(Icosahedron(), 2e-6, 3);
  auto model = MakeModel(noisy, BruteHullFaces(noisy));
  auto group = CreateSymGroup(kSymGroupIcosahedral, 1);
  const std::vector<Point> before = Positions(*model);
  // Within the search's reach, but further from the group than the tolerance.
  EXPECT_EQ(SymmetriseVertices(*model, *group, false, 1e-4, 1e-6), SymmetriseOutcome::kRefused);
  // Out of the search's reach: no image at all.
  EXPECT_EQ(SymmetriseVertices(*model, *group, false, 1e-7, 1e-6), SymmetriseOutcome::kRefused);
  EXPECT_EQ(Positions(*model), before);
  EXPECT_EQ(SymmetriseVertices(*model, *group, false, 1e-4, 1e-5), SymmetriseOutcome::kMoved);
  EXPECT_LE(LargestMiss(*model, *group), kRounding);
}

TEST(InexactSymmetryTest, AModelThatKeepsItsPlaceIsMovedOnlyWithinTheTolerance) {
  // As a model file gives it: turned, off unit size, kept where it is.
  const double turn[9] = {0.36, 0.48, -0.8, -0.8, 0.6, 0, 0.48, 0.64, 0.6};
  std::vector<Point> points;
  for (const Point& p : Jittered(Icosahedron(), 2e-7, 11)) {
    Point q;
    MatrixTimesVector(turn, q.data(), p.data());
    for (double& c : q) c *= 3;
    points.push_back(q);
  }
  auto model = MakeModel(points, BruteHullFaces(points));
  model->flags |= kSimpleKeepOrientation | kSimpleKeepCentre | kSimpleKeepSize;
  Outcome kept = Analyse(std::move(model));
  ASSERT_EQ(kept.Name(), "Ih");
  const std::vector<Point> after = Positions(*kept.model);
  ASSERT_EQ(after.size(), points.size());
  double moved = 0;
  for (size_t i = 0; i < after.size(); ++i) {
    for (int k = 0; k < 3; ++k) moved = std::max(moved, std::fabs(after[i][k] - points[i][k]));
  }
  EXPECT_GT(moved, 0.0);
  EXPECT_LE(moved, kSymmetryTolerance * std::sqrt(Dot(points[0].data(), points[0].data())));
  EXPECT_LE(LargestMiss(*kept.model, *kept.group), 10 * kRounding);
}

// A model that keeps its orientation and lies on its group's axes but for a small turn
// (a file written with few decimals) is turned onto them, not the group onto it: the
// group's axes stay on the axes of coordinates, so the symmetric points keep their
// equal coordinates and their zeros. Among them turns about y that carry a dihedral
// group or a mirror onto itself without being the group's, and a single axis.
TEST(InexactSymmetryTest, AModelThatKeepsItsOrientationIsTurnedOntoItsGroupsAxes) {
  std::vector<Point> antiprism;
  // Its 2-fold axes where the group's stand: one along x.
  AddRing(antiprism, 7, 0.5, 1, -M_PI / 14);
  AddRing(antiprism, 7, -0.5, 1, M_PI / 14);
  std::vector<Point> pyramid;
  AddRing(pyramid, 5, -0.5, 1, 0.3);
  pyramid.push_back({0, 0.8, 0});
  std::vector<Point> twisted = pyramid;
  AddRing(twisted, 5, 0.2, 0.7, 0.7);
  const struct {
    const char* name;
    std::vector<Point> points;
    const char* group;
    std::vector<double> turns;  // about y
  } shapes[] = {{"icosahedron", Icosahedron(), "Ih", {0}},
                {"antiprism", antiprism, "D7d", {0, M_PI / 7}},
                {"pyramid", pyramid, "C5v", {0, M_PI / 5}},
                {"twisted pyramid", twisted, "C5", {0, 0.4}}};
  for (const auto& shape : shapes) {
    for (double about : shape.turns) {
      SCOPED_TRACE(std::string(shape.name) + ", turned about y by " + std::to_string(about));
      // Turned about y, then tipped by 3e-7 about a slanting axis.
      double turnAbout[9], tip[9], turn[9];
      const double y[3] = {0, 1, 0}, slant[3] = {1 / std::sqrt(14.0), 2 / std::sqrt(14.0), 3 / std::sqrt(14.0)};
      TurnAbout(turnAbout, y, about);
      TurnAbout(tip, slant, 3e-7);
      MatrixTimesMatrix(turn, tip, turnAbout);
      std::vector<Point> points;
      for (const Point& p : shape.points) {
        Point q;
        MatrixTimesVector(turn, q.data(), p.data());
        points.push_back(q);
      }
      auto model = MakeModel(points, BruteHullFaces(points));
      model->flags |= kSimpleKeepOrientation | kSimpleKeepCentre | kSimpleKeepSize;
      Outcome kept = Analyse(std::move(model));
      ASSERT_EQ(kept.Name(), shape.group);
      EXPECT_LE(LargestMiss(*kept.model, *kept.group), 10 * kRounding);
      const std::vector<Point> after = Positions(*kept.model);
      if (shape.group[0] == 'I') {
        // Every corner has a coordinate 0.
        for (const Point& p : after) {
          EXPECT_LE(std::min({std::fabs(p[0]), std::fabs(p[1]), std::fabs(p[2])}), kRounding);
        }
      } else {
        // The first ring's corners have one height.
        for (size_t i = 1; i < 5; ++i) EXPECT_NEAR(after[i][1], after[0][1], kRounding);
      }
    }
  }
}

}  // namespace
}  // namespace corvia::symtest
