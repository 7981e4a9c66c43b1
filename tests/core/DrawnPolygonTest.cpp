#include <gtest/gtest.h>

#include <cmath>

#include "core/DrawnPolygon.h"
#include "tests/support/TestSupport.h"

namespace corvia {
namespace test_DrawnPolygon {

void AddCorner(DrawnPolygon* p, double x, double y, double z) {
  const double point[3] = {x, y, z};
  NewPolygonVertex(0.0, 0.0, nullptr, point, p->ring);
}

double MeshArea(const DrawnPolygon& p) {
  double area = 0.0;
  for (int t = 0; t + 2 < p.indexCount; t += 3) {
    const double* a = p.vertices + 2 * p.indices[t];
    const double* b = p.vertices + 2 * p.indices[t + 1];
    const double* c = p.vertices + 2 * p.indices[t + 2];
    area += ((b[0] - a[0]) * (c[1] - a[1]) - (b[1] - a[1]) * (c[0] - a[0])) / 2.0;
  }
  return area;
}

TEST(DrawnPolygonTest, ChainAndDegenerateRings) {
  DrawnPolygon *head = nullptr, *tail = nullptr;
  auto* a = new DrawnPolygon(head, tail);
  auto* b = new DrawnPolygon(head, tail);
  EXPECT_EQ(DrawnPolygon::CountChain(head), 2);
  EXPECT_EQ(DrawnPolygon::GetIndexInChain(head, b), 1);
  EXPECT_EQ(DrawnPolygon::GetIndexInChain(head, nullptr), -1);
  EXPECT_EQ(a->indexCount, -1);
  AddCorner(a, 0, 0, 1);
  AddCorner(a, 1, 0, 1);
  EXPECT_EQ(a->Triangulate(), 0);  // two points
  const double far[3] = {5, 5, 5};
  EXPECT_TRUE(a->IsCoplanar(far));  // anything goes before the first triangulation
  a->RemoveLastVertex();
  EXPECT_EQ(a->ring, nullptr);  // one vertex left: cleared
  DeleteDrawnPolygonChain(head);
  EXPECT_EQ(head, nullptr);
}

TEST(DrawnPolygonTest, SquareAndPentagramInSpace) {
  DrawnPolygon *head = nullptr, *tail = nullptr;
  auto* square = new DrawnPolygon(head, tail);
  // Clicked clockwise as seen from outside, on the plane z = 2.
  AddCorner(square, 0, 0, 2);
  AddCorner(square, 0, 1, 2);
  AddCorner(square, 1, 1, 2);
  AddCorner(square, 1, 0, 2);
  EXPECT_EQ(square->Triangulate(), 6);
  EXPECT_NEAR(square->normal[2], 1.0, 1e-12);  // away from the origin
  EXPECT_NEAR(MeshArea(*square), 1.0, 1e-12);
  const double on[3] = {7, -3, 2}, off[3] = {0, 0, 2.001};
  EXPECT_TRUE(square->IsCoplanar(on));
  EXPECT_FALSE(square->IsCoplanar(off));
  double c[3];
  GetPolygonCentroid(c, square);
  EXPECT_NEAR(c[0], 0.5, 1e-12);

  auto* star = new DrawnPolygon(head, tail);
  for (int i = 0; i < 5; ++i) {
    const double a = 2 * M_PI * 2 * i / 5;
    AddCorner(star, 1, std::cos(a), std::sin(a));
  }
  EXPECT_EQ(star->Triangulate(), 24);
  EXPECT_NEAR(star->normal[0], 1.0, 1e-12);
  const double outline = 5 * std::cos(2 * M_PI / 5) / std::cos(M_PI / 5) * std::sin(M_PI / 5);
  EXPECT_NEAR(MeshArea(*star), outline, 1e-9);
  DeleteDrawnPolygonChain(head);
}

TEST(DrawnPolygonTest, JoinMeshesOffsetsIndices) {
  DrawnPolygon *head = nullptr, *tail = nullptr;
  auto* p = new DrawnPolygon(head, tail);
  const double pts1[6] = {0, 0, 1, 0, 0, 1};
  const int idx1[3] = {0, 1, 2};
  const double pts2[8] = {5, 5, 6, 5, 6, 6, 5, 6};
  const int idx2[6] = {0, 1, 2, 0, 2, 3};
  const DrawnPolygonMesh meshes[2] = {{pts1, 3, idx1}, {pts2, 6, idx2}};
  p->JoinMeshes(2, meshes);
  ASSERT_EQ(p->indexCount, 9);
  EXPECT_EQ(p->indices[3], 3);
  EXPECT_EQ(p->indices[8], 6);
  EXPECT_EQ(p->vertices[2 * 6], 5.0);
  EXPECT_NEAR(MeshArea(*p), 1.5, 1e-12);
  DeleteDrawnPolygonChain(head);
}

}  // namespace test_DrawnPolygon
}  // namespace corvia
