// Auto-completion of a drawn polygon, alone and on a model (the added corners take the
// exact positions of the model's elements), and the polygon's symmetry under the
// model's group.

#include <gtest/gtest.h>

#include <cmath>

#include "model/DrawnPolygonModel.h"
#include "symmetry/SymGroup.h"
#include "tests/model/PolyModels.h"

namespace corvia::testing {
namespace {

void AddCorner(DrawnPolygon* p, double x, double y, double z) {
  const double point[3] = {x, y, z};
  NewPolygonVertex(0.0, 0.0, nullptr, point, p->ring);
}

TEST(DrawnPolygonModel, AutoCompletionSnapsToTheModelsVertices) {
  Poly cube;
  BuildCube(cube);
  DrawnPolygon *head = nullptr, *tail = nullptr;
  auto* p = new DrawnPolygon(head, tail);
  // Three corners of the top face; the fourth comes from the pattern.
  AddCorner(p, 1, 1, 1);
  AddCorner(p, -1, 1, 1);
  AddCorner(p, -1, 1, -1);
  EXPECT_EQ(AutoCompletePolygon(p, &cube), nullptr);
  ASSERT_EQ(CountPolygonRing(p->ring), 4);
  const double* added = p->ring->prev->point;
  const double expected[3] = {1, 1, -1};
  PolyElement* vertex = cube.mVertices.FindAt(expected);
  ASSERT_NE(vertex, nullptr);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(added[i], vertex->mDualVert[i]);
  EXPECT_EQ(p->indexCount, 6);
  DeleteDrawnPolygonChain(head);
}

TEST(DrawnPolygonModel, AutoCompleteRepeatsThePattern) {
  DrawnPolygon *head = nullptr, *tail = nullptr;
  auto* hexagon = new DrawnPolygon(head, tail);
  for (int i = 0; i < 3; ++i) AddCorner(hexagon, std::cos(M_PI * i / 3), std::sin(M_PI * i / 3), 1);
  EXPECT_EQ(AutoCompletePolygon(hexagon, nullptr), nullptr);
  EXPECT_EQ(CountPolygonRing(hexagon->ring), 6);
  EXPECT_EQ(hexagon->indexCount, 12);
  EXPECT_NEAR(hexagon->ring->prev->point[0], std::cos(M_PI * 5 / 3), 1e-9);
  EXPECT_STREQ(AutoCompletePolygon(hexagon, nullptr), "Polygon appears to be complete already.");
  EXPECT_EQ(CountPolygonRing(hexagon->ring), 6);

  auto* line = new DrawnPolygon(head, tail);
  AddCorner(line, 0, 0, 1);
  AddCorner(line, 1, 0, 1);
  AddCorner(line, 2, 0, 1);
  EXPECT_STREQ(AutoCompletePolygon(line, nullptr), "Can't auto-complete polygon until\nyou have defined more points");

  // Turns of an irrational part of a circle never close: the added points go again.
  auto* open = new DrawnPolygon(head, tail);
  const double turn = 1.0;  // radians
  AddCorner(open, 0, 0, 1);
  AddCorner(open, 1, 0, 1);
  AddCorner(open, 1 + std::cos(turn), std::sin(turn), 1);
  EXPECT_STREQ(AutoCompletePolygon(open, nullptr), "Polygon won't close.");
  EXPECT_EQ(CountPolygonRing(open->ring), 3);
  DeleteDrawnPolygonChain(head);
}

TEST(DrawnPolygonModel, SymmetryQueriesWithoutAGroup) {
  DrawnPolygon *head = nullptr, *tail = nullptr;
  auto* p = new DrawnPolygon(head, tail);
  EXPECT_EQ(p->GetAxisOrder(nullptr), 1);
  EXPECT_EQ(p->GetRotationCount(nullptr), 1);
  EXPECT_FALSE(p->MatchSymmetry(nullptr));
  DeleteDrawnPolygonChain(head);
}

TEST(DrawnPolygonModel, RotationCountAboutTheModelsAxis) {
  auto group = CreateSymGroup(kSymGroupOctahedral, 0);
  DrawnPolygon *head = nullptr, *tail = nullptr;
  // A square round the 4-fold z axis, clicked clockwise.
  auto* square = new DrawnPolygon(head, tail);
  AddCorner(square, 0.5, 0.5, 1);
  AddCorner(square, 0.5, -0.5, 1);
  AddCorner(square, -0.5, -0.5, 1);
  AddCorner(square, -0.5, 0.5, 1);
  square->Triangulate();
  EXPECT_EQ(square->GetAxisOrder(group.get()), 4);
  EXPECT_EQ(square->GetRotationCount(group.get()), 4);

  auto* rectangle = new DrawnPolygon(head, tail);
  AddCorner(rectangle, 0.5, 0.3, 1);
  AddCorner(rectangle, -0.5, 0.3, 1);
  AddCorner(rectangle, -0.5, -0.3, 1);
  AddCorner(rectangle, 0.5, -0.3, 1);
  rectangle->Triangulate();
  EXPECT_EQ(rectangle->GetAxisOrder(group.get()), 4);
  EXPECT_EQ(rectangle->GetRotationCount(group.get()), 2);

  // A triangle round the oblique 3-fold axis along (1, 1, 1).
  auto* triangle = new DrawnPolygon(head, tail);
  AddCorner(triangle, 1, 0, 0);
  AddCorner(triangle, 0, 1, 0);
  AddCorner(triangle, 0, 0, 1);
  triangle->Triangulate();
  EXPECT_EQ(triangle->GetAxisOrder(group.get()), 3);
  EXPECT_EQ(triangle->GetRotationCount(group.get()), 3);

  // Off every axis.
  auto* skew = new DrawnPolygon(head, tail);
  AddCorner(skew, 1, 0.1, 0.2);
  AddCorner(skew, 0, 1, 0.3);
  AddCorner(skew, 0.2, 0, 1);
  skew->Triangulate();
  EXPECT_EQ(skew->GetAxisOrder(group.get()), 1);
  EXPECT_EQ(skew->GetRotationCount(group.get()), 1);
  DeleteDrawnPolygonChain(head);
}

TEST(DrawnPolygonModel, MatchSymmetryNeedsAnImproperOperation) {
  auto mirrored = CreateSymGroup(kSymGroupPyramidal, 4);
  mirrored->SetReflectionType(kReflectionVertical);
  auto chiral = CreateSymGroup(kSymGroupPyramidal, 4);
  DrawnPolygon *head = nullptr, *tail = nullptr;
  auto* square = new DrawnPolygon(head, tail);
  AddCorner(square, 0.5, 1, 0.5);
  AddCorner(square, 0.5, 1, -0.5);
  AddCorner(square, -0.5, 1, -0.5);
  AddCorner(square, -0.5, 1, 0.5);
  square->Triangulate();
  EXPECT_TRUE(square->MatchSymmetry(mirrored.get()));
  EXPECT_FALSE(square->MatchSymmetry(chiral.get()));

  // A pinwheel quadrilateral round the axis: turned onto itself, never mirrored.
  auto* pinwheel = new DrawnPolygon(head, tail);
  AddCorner(pinwheel, 0.5, 1, 0.2);
  AddCorner(pinwheel, -0.2, 1, 0.5);
  AddCorner(pinwheel, -0.5, 1, -0.2);
  AddCorner(pinwheel, 0.2, 1, -0.5);
  pinwheel->Triangulate();
  EXPECT_EQ(pinwheel->GetRotationCount(mirrored.get()), 4);
  EXPECT_FALSE(pinwheel->MatchSymmetry(mirrored.get()));
  DeleteDrawnPolygonChain(head);
}

}  // namespace
}  // namespace corvia::testing
