// What the vertex-figure pane draws: the figure's sides standing for the faces round
// the vertex, arrows where the figure stops, the corners' numbers and names, and the
// sides and corners that reciprocate into each other.

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "app/VertexFigurePane.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "model/PolyTemplate.h"
#include "tests/support/TestSupport.h"

namespace test_VertexFigurePane {

using namespace corvia;

double Cross2D(const double* a, const double* b) { return a[0] * b[1] - a[1] * b[0]; }

// The icosahedron's vertex figure is a regular pentagon whose sides stand for the five
// faces round the vertex; each side reciprocates into the dual face's corner for the
// same face, which lies out from the centre through the side's middle.
TEST(VertexFigurePane, AClosedFigureHasASideForEveryFaceAndNoArrow) {
  PolyTemplate polyTemplate;
  Poly poly;
  ASSERT_TRUE(polyTemplate.Parse("3.3.3.3.3", nullptr) && poly.Build(&polyTemplate, 0));
  PolyElement* vertex = poly.mVertices.mHead;
  PolyElement* named = vertex->GetAdjacent(2);
  named->SetLabel("apex");
  const VertexFigure2D figure = BuildVertexFigure2D(vertex, 1.0);
  ASSERT_EQ(figure.sides.size(), 5u);
  for (int k = 0; k < 5; ++k) {
    const VertexFigureSide& side = figure.sides[static_cast<size_t>(k)];
    EXPECT_EQ(side.face, vertex->GetCorner(k));
    EXPECT_FALSE(side.arrowAtA || side.arrowAtB);
    EXPECT_NEAR(std::hypot(side.a[0], side.a[1]), std::hypot(side.b[0], side.b[1]), 1e-12);
  }
  ASSERT_EQ(figure.corners.size(), 5u);
  EXPECT_EQ(figure.corners[0].text, "1");
  EXPECT_EQ(figure.corners[2].text, "3 V(apex)");
  // Each text stands towards the middle of the corner's neighbours, inside the figure.
  for (const VertexFigureCorner& corner : figure.corners) {
    EXPECT_LT(std::hypot(corner.at[0], corner.at[1]), std::hypot(corner.xy[0], corner.xy[1]));
  }
  ASSERT_EQ(figure.reciprocal.size(), 5u);
  for (const auto& pair : figure.reciprocal) {
    EXPECT_NEAR(Cross2D(&pair[0], &pair[2]), 0.0, 1e-12);
    EXPECT_GT(pair[0] * pair[2] + pair[1] * pair[3], 0.0);
  }
  EXPECT_EQ(figure.dualFace.size(), 5u);
  EXPECT_TRUE(BuildVertexFigure2D(nullptr, 1.0).sides.empty());
}

// A vertex without one of its faces has an open figure: the sides either side of the
// gap are left out, and the figure ends in an arrow at each end of what remains.
TEST(VertexFigurePane, AnOpenFigureEndsInArrows) {
  PolyTemplate polyTemplate;
  Poly poly;
  ASSERT_TRUE(polyTemplate.Parse("3.3.3.3.3", nullptr) && poly.Build(&polyTemplate, 0));
  PolyElement* vertex = poly.mVertices.mHead;
  // As while the model is being built: the face not there, nor the edges beside it.
  PolyElement* missing = vertex->mNeighbours[1];
  Edge* before = vertex->mEdges[0];
  Edge* after = vertex->mEdges[1];
  vertex->mNeighbours[1] = nullptr;
  vertex->mEdges[0] = vertex->mEdges[1] = nullptr;
  const VertexFigure2D figure = BuildVertexFigure2D(vertex, 1.0);
  vertex->mNeighbours[1] = missing;
  vertex->mEdges[0] = before;
  vertex->mEdges[1] = after;
  // The neighbours across the edges on either side of the missing face are unknown:
  // three of the five sides go, and the two left run from one gap to the other.
  ASSERT_EQ(figure.sides.size(), 2u);
  EXPECT_TRUE(figure.sides[0].arrowAtA);
  EXPECT_FALSE(figure.sides[0].arrowAtB);
  EXPECT_FALSE(figure.sides[1].arrowAtA);
  EXPECT_TRUE(figure.sides[1].arrowAtB);
  EXPECT_EQ(figure.sides[0].b[0], figure.sides[1].a[0]);
  EXPECT_EQ(figure.corners.size(), 3u);
}

}  // namespace test_VertexFigurePane
