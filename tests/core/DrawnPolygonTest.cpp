#include "core/DrawnPolygon.h"

#include <cmath>

#include <gtest/gtest.h>

#include "stellation/BlockPool.h"
#include "stellation/FaceDiagram.h"
#include "symmetry/SymGroup.h"
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

TEST(DrawnPolygonTest, AutoCompleteRepeatsThePattern) {
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

TEST(DrawnPolygonTest, SymmetryQueriesWithoutAGroup) {
  DrawnPolygon *head = nullptr, *tail = nullptr;
  auto* p = new DrawnPolygon(head, tail);
  EXPECT_EQ(p->GetAxisOrder(nullptr), 1);
  EXPECT_EQ(p->GetRotationCount(nullptr), 1);
  EXPECT_FALSE(p->MatchSymmetry(nullptr));
  DeleteDrawnPolygonChain(head);
}

TEST(DrawnPolygonTest, RotationCountAboutTheModelsAxis) {
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

TEST(DrawnPolygonTest, MatchSymmetryNeedsAnImproperOperation) {
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

TEST(DrawnPolygonTest, FaceOutlineBeginPicksTheDominantAxis) {
  FaceOutline outline;
  FaceOutlineBuilder builder;
  const double plane[4] = {0.2, -0.9, 0.9, 1.0};
  FaceOutline::Begin(&outline, plane, nullptr, &builder);
  EXPECT_EQ(builder.axes[0], 2);  // ties go to the later axis
  EXPECT_EQ(builder.axes[1], 0);
  EXPECT_EQ(builder.axes[2], 1);
  EXPECT_EQ(builder.first[0], 9.99999e99);
}

// Area of the outline's triangles seen along the normal; every point checked to lie in
// the plane normal . p = d.
double OutlineArea(const FaceOutline& outline, const double* normal, double d) {
  double area = 0.0;
  for (int t = 0; t + 2 < outline.indexCount; t += 3) {
    const double* a = outline.points + 3 * outline.indices[t];
    const double* b = outline.points + 3 * outline.indices[t + 1];
    const double* c = outline.points + 3 * outline.indices[t + 2];
    EXPECT_NEAR(Dot(normal, a), d, 1e-9);
    double ab[3], ac[3], n[3];
    Subtract(ab, b, a);
    Subtract(ac, c, a);
    Cross(n, ab, ac);
    area += Dot(n, normal) / 2.0;
  }
  return area;
}

// A 4 x 4 square with a 2 x 2 hole, in the plane normal . p = d.
void BuildSquareWithHole(FaceOutline* outline, const double* plane, double z, FaceDiagram* diagram) {
  FaceOutlineBuilder builder;
  FaceOutline::Begin(outline, plane, diagram, &builder);
  const double outer[4][2] = {{0, 0}, {4, 0}, {4, 4}, {0, 4}};
  const double hole[4][2] = {{1, 1}, {1, 3}, {3, 3}, {3, 1}};
  for (const auto& q : outer) {
    const double p[3] = {q[0], q[1], z};
    FaceOutline::AddPoint(p, &builder);
  }
  FaceOutline::CloseLoop(1, &builder);
  for (const auto& q : hole) {
    const double p[3] = {q[0], q[1], z};
    FaceOutline::AddPoint(p, &builder);
  }
  FaceOutline::Finish(outline, &builder);
  EXPECT_EQ(builder.diagram, nullptr);
}

TEST(DrawnPolygonTest, FaceOutlineFillsTheLoopsThroughADiagram) {
  FaceDiagramWorkPools workPools;
  FaceDiagramResultPools resultPools;
  FaceDiagram diagram(&workPools, &resultPools);
  diagram.Init(kDiagramSourceCallbacks, nullptr);
  FaceOutline outline;
  const double up[3] = {0.0, 0.0, 1.0};
  BuildSquareWithHole(&outline, up, 2.0, &diagram);
  ASSERT_GT(outline.indexCount, 0);
  EXPECT_EQ(outline.indexCount % 3, 0);
  EXPECT_NEAR(OutlineArea(outline, up, 2.0), 12.0, 1e-9);

  // From a triangulation pool the arrays are the pool's.
  TriangulationContext context;
  FaceOutline pooled;
  pooled.pool = &context;
  diagram.Init(kDiagramSourceCallbacks, nullptr);
  BuildSquareWithHole(&pooled, up, 2.0, &diagram);
  EXPECT_NEAR(OutlineArea(pooled, up, 2.0), 12.0, 1e-9);
  pooled.Clear();
}

TEST(DrawnPolygonTest, FaceOutlineWithNegativeDominantNormalSwapsTriangles) {
  FaceDiagramWorkPools workPools;
  FaceDiagramResultPools resultPools;
  FaceDiagram diagram(&workPools, &resultPools);
  diagram.Init(kDiagramSourceCallbacks, nullptr);
  FaceOutline outline;
  const double down[3] = {0.0, 0.0, -1.0};
  BuildSquareWithHole(&outline, down, -2.0, &diagram);
  ASSERT_GT(outline.indexCount, 0);
  // The triangles face along the normal: positive area seen along -z.
  EXPECT_NEAR(OutlineArea(outline, down, 2.0), 12.0, 1e-9);
}

TEST(DrawnPolygonTest, FaceOutlineWithoutADiagramStaysEmpty) {
  FaceOutline outline;
  FaceOutlineBuilder builder;
  const double up[3] = {0.0, 0.0, 1.0};
  FaceOutline::Begin(&outline, up, nullptr, &builder);
  const double p[3] = {1, 2, 3};
  FaceOutline::AddPoint(p, &builder);
  EXPECT_EQ(builder.d, 3.0);
  FaceOutline::Finish(&outline, &builder);
  EXPECT_EQ(outline.indexCount, 0);
}

}  // namespace test_DrawnPolygon
}  // namespace corvia
