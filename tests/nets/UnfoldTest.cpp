// Laying facelets flat against each other, the contact test of a new facelet against
// the net's outline, and folding the nets by a fraction.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "nets/Unfold.h"
#include "tests/nets/NetChecks.h"

namespace test_Unfold {

namespace n = corvia::testing::nets;
using corvia::Edge3D;
using corvia::Face3D;
using corvia::Face3DType;

class UnfoldTest : public n::NetsTest {};

using Corners = std::array<std::array<double, 2>, 3>;

// Two triangles of one type laid out by hand, counter-clockwise.
struct Triangles {
  Face3DType type{2, 1, nullptr, nullptr};

  Triangles(const Corners& first, const Corners& second) {
    type.mNumEdges = 3;
    type.mNumLoops = 1;
    type.mLoopLengths = std::make_unique<int32_t[]>(1);
    type.mLoopLengths[0] = 3;
    for (int f = 0; f < 2; ++f) {
      Face3D& facelet = type.mFacelets[f];
      facelet.mEdges = std::make_unique<corvia::Edge3D[]>(3);
      int i = 0;
      for (const auto& p : f == 0 ? first : second) {
        facelet.mEdges[i].face = &facelet;
        facelet.mEdges[i].unfolded[0] = facelet.mEdges[i].local[0] = p[0];
        facelet.mEdges[i].unfolded[1] = facelet.mEdges[i].local[1] = p[1];
        ++i;
      }
    }
  }
  Edge3D* Edge(int f, int i) { return &type.mFacelets[f].mEdges[i]; }
};

}  // namespace test_Unfold

namespace corvia {

using test_Unfold::Triangles;
using test_Unfold::UnfoldTest;
namespace n = testing::nets;

TEST_F(UnfoldTest, ASquarePlacedAcrossAnEdgeIsItsMirrorImage) {
  std::unique_ptr<Poly> cube = n::BuildLibraryPoly(n::kCube);
  Model3D model(cube.get(), false);
  Edge3D* placed = model.GetEdge(0);
  Edge3D* neighbour = placed->mNeigh;
  ASSERT_TRUE(CalcUnfoldedFacePos2D(placed, neighbour, false, nullptr));
  // The shared edge runs the other way in the new facelet.
  const Edge3D* next = placed->GetNextInLoop();
  const Edge3D* after = neighbour->GetNextInLoop();
  EXPECT_NEAR(neighbour->unfolded[0], next->unfolded[0], 1e-12);
  EXPECT_NEAR(neighbour->unfolded[1], next->unfolded[1], 1e-12);
  EXPECT_NEAR(after->unfolded[0], placed->unfolded[0], 1e-12);
  EXPECT_NEAR(after->unfolded[1], placed->unfolded[1], 1e-12);
  // Every corner of the new square is a corner of the first reflected across the edge.
  const double* a = placed->unfolded;
  double d[2] = {next->unfolded[0] - a[0], next->unfolded[1] - a[1]};
  const double length = std::hypot(d[0], d[1]);
  d[0] /= length;
  d[1] /= length;
  auto reflect = [&](const double* p, double* out) {
    const double along = (p[0] - a[0]) * d[0] + (p[1] - a[1]) * d[1];
    const double foot[2] = {a[0] + along * d[0], a[1] + along * d[1]};
    out[0] = 2.0 * foot[0] - p[0];
    out[1] = 2.0 * foot[1] - p[1];
  };
  for (int i = 0; i < 4; ++i) {
    double mirrored[2];
    reflect(placed->face->mEdges[i].unfolded, mirrored);
    bool found = false;
    for (int j = 0; j < 4; ++j) {
      found = found || (std::fabs(neighbour->face->mEdges[j].unfolded[0] - mirrored[0]) < 1e-12 &&
                        std::fabs(neighbour->face->mEdges[j].unfolded[1] - mirrored[1]) < 1e-12);
    }
    EXPECT_TRUE(found) << i;
  }
  // Turned about the edge by a right angle it is back on the cube.
  EXPECT_NEAR(std::fabs(GetHingeAngle(placed, neighbour)), n::kPi / 2.0, 1e-12);
}

TEST_F(UnfoldTest, ACornerTouchingTheOutlineIsAcceptedOutsideAndRefusedInside) {
  // The net: the triangle (0,0) (2,0) (0,2), whose last edge ends at the origin.
  Triangles outside(test_Unfold::Corners{{{0, 0}, {2, 0}, {0, 2}}}, test_Unfold::Corners{{{0, 0}, {-2, 0}, {0, -2}}});
  EXPECT_EQ(EdgeContactTest(outside.Edge(1, 0), outside.Edge(0, 2), nullptr), 0);
  // A corner at the origin that holds the net's edge coming down the y axis.
  Triangles inside(test_Unfold::Corners{{{0, 0}, {2, 0}, {0, 2}}}, test_Unfold::Corners{{{0, 0}, {1, 1}, {-1, 1}}});
  EXPECT_EQ(EdgeContactTest(inside.Edge(1, 0), inside.Edge(0, 2), nullptr), 12);
  // Edges that cross.
  Triangles crossing(test_Unfold::Corners{{{0, 0}, {2, 0}, {0, 2}}}, test_Unfold::Corners{{{1, -1}, {1, 1}, {-1, -1}}});
  EXPECT_EQ(EdgeContactTest(crossing.Edge(1, 0), crossing.Edge(0, 0), nullptr), 12);
  // Far apart.
  Triangles apart(test_Unfold::Corners{{{0, 0}, {2, 0}, {0, 2}}}, test_Unfold::Corners{{{5, 5}, {6, 5}, {5, 6}}});
  EXPECT_EQ(EdgeContactTest(apart.Edge(1, 0), apart.Edge(0, 0), nullptr), 0);
}

TEST_F(UnfoldTest, AFaceletClosingAgainstItsNeighbourJoinsIt) {
  std::unique_ptr<Poly> cube = n::BuildLibraryPoly(n::kCube);
  Model3D model(cube.get(), false);
  Edge3D* a = model.GetEdge(0);
  Edge3D* b = a->mNeigh;
  // Laid exactly against each other, the two are one edge of the net.
  CalcUnfoldedFacePos2D(a, b, false, nullptr);
  PlacementJoins joins;
  EXPECT_EQ(EdgeContactTest(b, a, &joins), 0);
  ASSERT_EQ(joins.size(), 1u);
  EXPECT_EQ(joins.front(), b);
  // Cut by the user, the same contact is an overlap of two cut sides.
  b->flags |= kEdgeUserCut;
  joins.clear();
  EXPECT_EQ(EdgeContactTest(b, a, &joins), 12);
  EXPECT_TRUE(joins.empty());
}

TEST_F(UnfoldTest, TheFoldFractionClosesTheHingesThenMovesTheNetsIn) {
  std::unique_ptr<Poly> cube = n::BuildLibraryPoly(n::kCube);
  std::unique_ptr<Model3D> model = n::MakeNets(cube.get(), 2);
  ASSERT_GT(model->GetNumNets(), 1);
  NetSettings& settings = GetNetSettings();
  // At one half every net is closed and still stands off by its centre.
  settings.foldFraction = 0.5;
  model->UpdateFolding();
  for (NetType* type = model->mNetTypes; type; type = type->next) {
    for (int k = 0; k < type->numNets; ++k) {
      const Net& net = type->nets[k];
      for (Face3D* f = net.first; f; f = f->mNextInNet) {
        for (int i = 0; i < f->GetNumEdges(); ++i) {
          double expected[3];
          Add(expected, f->mEdges[i].vert->mPos, net.centre);
          for (int c = 0; c < 3; ++c) EXPECT_NEAR(f->mEdges[i].pos3D[c], expected[c], 1e-9);
        }
      }
    }
  }
  // The same fraction again folds nothing.
  Edge3D* e = model->GetEdge(0);
  e->pos3D[0] += 10.0;
  model->UpdateFolding();
  EXPECT_GT(e->pos3D[0], 5.0);
  // At a quarter the hinges are half closed: each joined pair meets at
  // pi - (pi - dihedral) / 2.
  settings.foldFraction = 0.25;
  model->UpdateFolding();
  for (Face3D* f : n::AllFacelets(*model)) {
    for (int i = 0; i < f->GetNumEdges(); ++i) {
      const Edge3D& edge = f->mEdges[i];
      if (!(edge.flags & kEdgeJoinedFirst)) continue;
      const Face3D* other = Edge3D::GetNeighInNet(&edge, false)->face;
      const double angle = std::acos(std::min(1.0, Dot(f->mNormal, other->mNormal)));
      EXPECT_NEAR(angle, n::kPi / 4.0, 1e-9);
    }
  }
  n::ExpectFoldsBack(*model, "cube");
}

}  // namespace corvia
