// Auto-completion of a drawn polygon on a model: the added corners take the exact
// positions of the model's elements.

#include <gtest/gtest.h>

#include "core/DrawnPolygon.h"
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

}  // namespace
}  // namespace corvia::testing
