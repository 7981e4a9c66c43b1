// Glue tabs: their untrimmed shapes, trimming to the face they are glued under,
// the 60-degree ends, and their place once folded.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "core/Units.h"
#include "tests/nets/NetChecks.h"

namespace test_NetTab {

namespace n = corvia::testing::nets;

class NetTabTest : public n::NetsTest {
 protected:
  // Tabs one model unit deep.
  void SetUp() override {
    n::NetsTest::SetUp();
    corvia::UnitSettings& units = corvia::GetUnitSettings();
    corvia::GetNetSettings().tabSizeTwips = units.mTwipsPerUnit * units.mLengthScale;
  }
};

// One facelet with one edge from (0, 0) to (length, 0), its outer side below.
struct OneEdge {
  corvia::Face3DType type{1, 1, nullptr, nullptr};

  explicit OneEdge(double length) {
    type.mNumEdges = 3;
    type.mNumLoops = 1;
    type.mLoopLengths = std::make_unique<int32_t[]>(1);
    type.mLoopLengths[0] = 3;
    corvia::Face3D& f = type.mFacelets[0];
    f.mEdges = std::make_unique<corvia::Edge3D[]>(3);
    const double corners[3][2] = {{0.0, 0.0}, {length, 0.0}, {length / 2.0, length}};
    for (int i = 0; i < 3; ++i) {
      f.mEdges[i].face = &f;
      f.mEdges[i].unfolded[0] = corners[i][0];
      f.mEdges[i].unfolded[1] = corners[i][1];
    }
  }
  corvia::Edge3D* Edge() { return &type.mFacelets[0].mEdges[0]; }
};

std::vector<std::array<double, 2>> Outline(const corvia::NetTab& tab) {
  std::vector<std::array<double, 2>> points;
  for (const corvia::TabPoint& p : tab.outline) points.push_back({p.pos2D[0], p.pos2D[1]});
  return points;
}

}  // namespace test_NetTab

namespace corvia {

using test_NetTab::NetTabTest;
using test_NetTab::OneEdge;
using test_NetTab::Outline;
namespace n = testing::nets;

TEST_F(NetTabTest, ALongEdgeGetsATrapezoidAndAShortOneATriangle) {
  ASSERT_NEAR(GetNetTabSizeInModelUnits(), 1.0, 1e-12);
  OneEdge four(4.0);
  NetTab trapezoid(four.Edge());
  const auto points = Outline(trapezoid);
  ASSERT_EQ(points.size(), 4u);
  const std::array<double, 2> expected[4] = {{0, 0}, {1, -1}, {3, -1}, {4, 0}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_NEAR(points[static_cast<size_t>(i)][0], expected[i][0], 1e-12) << i;
    EXPECT_NEAR(points[static_cast<size_t>(i)][1], expected[i][1], 1e-12) << i;
  }
  // Filled by two triangles over the edge and one under the short side.
  EXPECT_EQ(trapezoid.numIndices % 3, 0);
  double area = 0.0;
  for (int i = 0; i < trapezoid.numIndices; i += 3) {
    const double* a = trapezoid.points[static_cast<size_t>(trapezoid.indices[i])].pos2D;
    const double* b = trapezoid.points[static_cast<size_t>(trapezoid.indices[i + 1])].pos2D;
    const double* c = trapezoid.points[static_cast<size_t>(trapezoid.indices[i + 2])].pos2D;
    area += std::fabs((b[0] - a[0]) * (c[1] - a[1]) - (b[1] - a[1]) * (c[0] - a[0])) / 2.0;
  }
  EXPECT_NEAR(area, 3.0, 1e-12);

  OneEdge shortEdge(1.5);
  NetTab triangle(shortEdge.Edge());
  const auto apex = Outline(triangle);
  ASSERT_EQ(apex.size(), 3u);
  EXPECT_NEAR(apex[1][0], 0.75, 1e-12);
  EXPECT_NEAR(apex[1][1], -1.0, 1e-12);

  OneEdge none(0.0);
  EXPECT_TRUE(NetTab(none.Edge()).IsEmpty());
}

TEST_F(NetTabTest, TheEndsAreNoSteeperThanSixtyDegrees) {
  OneEdge edge(0.5);
  NetTab tab(edge.Edge());
  tab.LimitEnds(TabSlope60());
  const auto points = Outline(tab);
  double height = 0.0;
  for (const auto& p : points) height = std::max(height, -p[1]);
  EXPECT_NEAR(height, 0.25 * std::tan(n::kPi / 3.0), 1e-9);
  // A flatter tab keeps its shape.
  OneEdge longer(4.0);
  NetTab flat(longer.Edge());
  flat.LimitEnds(TabSlope60());
  EXPECT_EQ(Outline(flat).size(), 4u);
}

TEST_F(NetTabTest, ATabIsCutToANarrowerFaceItIsGluedUnder) {
  OneEdge edge(4.0);
  NetTab tab(edge.Edge());
  // The face across the edge reaches only half a unit out, at the middle.
  tab.Trim({{{4.0, 0.0}, {2.0, -0.5}}, {{2.0, -0.5}, {0.0, 0.0}}});
  const auto points = Outline(tab);
  double deepest = 0.0;
  for (const auto& p : points) {
    deepest = std::max(deepest, -p[1]);
    // On or inside the triangle (0,0) (4,0) (2,-0.5).
    EXPECT_LE(-p[1], 0.25 * std::min(p[0], 4.0 - p[0]) + 1e-9);
  }
  EXPECT_NEAR(deepest, 0.5, 1e-9);
  // Whatever lies behind the edge or beyond its ends does not touch it.
  NetTab untouched(edge.Edge());
  untouched.Trim({{{-3.0, 1.0}, {7.0, 1.0}}, {{5.0, -2.0}, {9.0, -2.0}}});
  EXPECT_EQ(Outline(untouched).size(), 4u);
}

// A facelet whose corner comes close to the edge holds the tab down right there,
// though its sides leave the edge on one side of the corner only: the tab's outline
// never runs on over the facelet.
TEST_F(NetTabTest, AFaceletCornerNearTheEdgeHoldsTheTabDownAtIt) {
  OneEdge edge(4.0);
  NetTab tab(edge.Edge());
  const n::Ring facelet = {{2.0, -0.01}, {2.5, -3.0}, {4.5, -0.6}};
  std::vector<TabObstacle> sides;
  for (size_t i = 0; i < facelet.size(); ++i) {
    const auto& a = facelet[i];
    const auto& b = facelet[(i + 1) % facelet.size()];
    sides.push_back({{a[0], a[1]}, {b[0], b[1]}});
  }
  tab.Trim(sides);
  n::Ring ring;
  for (const auto& p : Outline(tab)) ring.push_back(p);
  EXPECT_LT(n::OverlapArea(ring, facelet), 1e-12);
  EXPECT_GT(-Outline(tab)[1][1], 0.5) << "the tab keeps its depth left of the corner";
}

// Two tabs parted by a line that runs through one of their edges: each keeps only its
// side, the part of its edge beyond the line included, whichever way the line leans.
TEST_F(NetTabTest, ALineThroughTheEdgeLeavesNothingBeyondIt) {
  OneEdge edge(4.0);
  for (const double lean : {-0.6, 0.6}) {
    const double point[2] = {1.5, 0.0};
    const double direction[2] = {lean, -0.8};
    for (const double x : {0.5, 3.0}) {
      SCOPED_TRACE(std::to_string(lean) + " keeping " + std::to_string(x));
      NetTab tab(edge.Edge());
      const double inside[2] = {x, 0.0};
      tab.KeepSide(point, direction, inside);
      auto side = [&](const double* p) { return (p[0] - point[0]) * direction[1] - (p[1] - point[1]) * direction[0]; };
      const double kept = side(inside);
      double deepest = 0.0;
      // Every point out from the edge lies on the kept side (those on the edge close
      // the outline and enclose nothing).
      for (const auto& p : Outline(tab)) {
        if (-p[1] > 1e-9) {
          EXPECT_GE(side(p.data()) * kept, -1e-9) << p[0] << " " << p[1];
        }
        deepest = std::max(deepest, -p[1]);
      }
      EXPECT_GT(deepest, 0.3);
    }
  }
}

TEST_F(NetTabTest, FoldedTabsLieInsideTheModel) {
  std::unique_ptr<Poly> poly = n::BuildLibraryPoly(n::kIcosahedron);
  std::unique_ptr<Model3D> model = n::MakeNets(poly.get(), 5);
  for (int32_t kind : {kTabKindDouble, kTabKindSingle}) {
    GetNetSettings().tabType = kind;
    model->RebuildTabs();
    GetNetSettings().foldFraction = 1.0;
    model->UpdateFolding();
    const double radius = Model3D::CalcMaxRadius(model.get());
    int tabs = 0;
    for (Face3D* f : n::AllFacelets(*model)) {
      for (int i = 0; i < f->GetNumEdges(); ++i) {
        const Edge3D& e = f->mEdges[i];
        if (!e.tab) continue;
        ++tabs;
        // A single tab shows where it is glued under its neighbour; of two tabs glued
        // to each other neither shows over a face.
        EXPECT_EQ(IsTabShownFolded(&e), kind == kTabKindSingle);
        for (const TabPoint& p : e.tab->outline) EXPECT_LT(std::sqrt(Dot(p.pos3D, p.pos3D)), radius + 1e-9);
      }
    }
    EXPECT_GT(tabs, 0);
    GetNetSettings().foldFraction = 0.25;
    for (Face3D* f : n::AllFacelets(*model)) EXPECT_FALSE(IsTabShownFolded(&f->mEdges[0]));
  }
}

}  // namespace corvia
