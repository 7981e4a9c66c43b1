// Face outlines: the edge-line walk ends on a closed ring of faces.

#include <gtest/gtest.h>

#include "model/FaceOutline.h"

namespace {

TEST(FaceOutline, MissingInputsDrawAndFollowNothing) {
  double out[3] = {1.0, 2.0, 3.0};
  EXPECT_FALSE(corvia::FollowEdgeLine(out, nullptr, nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ(corvia::CreateMorphPolygon(nullptr, 1.0, 1.0), nullptr);
  corvia::FaceDiagram diagram;
  corvia::FaceDiagramResult result;
  EXPECT_FALSE(corvia::BuildFaceOutlineDiagram(nullptr, &diagram, &result, nullptr, nullptr, nullptr, false));
}

}  // namespace

// ---- The face's own outline members ----

#include <cmath>

#include "core/PolygonRing.h"
#include "model/ColorSchemes.h"
#include "stellation/FaceType.h"
#include "stellation/FaceTypeBlock.h"
#include "tests/model/PolyModels.h"

namespace {

TEST(FaceOutlineMembers, FaceDiagramOfTheFacesType) {
  corvia::Poly poly;
  corvia::testing::BuildCube(poly);
  corvia::testing::OneTypePerSide(poly);
  auto* face = static_cast<corvia::Face*>(poly.mFaces.mHead);
  corvia::FaceType* type = face->mType;
  ASSERT_NE(type, nullptr);
  poly.mPolyFlags &= ~corvia::kPolyFlagCellColoursFront;
  face->BuildFaceDiagram();
  EXPECT_TRUE(poly.mPolyFlags & corvia::kPolyFlagCellColoursFront);
  EXPECT_EQ(type->mResults[0].mNumCells, 1);  // one square, one cell
  EXPECT_NE(type->mDiagramCells, nullptr);

  // A type with a mirror partner gets none of its own.
  corvia::FaceType partner(&poly, poly.mBaseBlock.get(), 0, 1);
  type->mResults[0].Reset();
  type->mDiagramCells = nullptr;
  type->mMirrorPartner = &partner;
  poly.mPolyFlags &= ~corvia::kPolyFlagCellColoursFront;
  face->BuildFaceDiagram();
  EXPECT_FALSE(poly.mPolyFlags & corvia::kPolyFlagCellColoursFront);
  EXPECT_EQ(type->mDiagramCells, nullptr);
  type->mMirrorPartner = nullptr;
}

TEST(FaceOutlineMembers, MorphPolygonTruncatesTheFace) {
  corvia::Poly poly;
  corvia::testing::BuildCube(poly);
  auto* face = static_cast<corvia::Face*>(poly.mFaces.mHead);
  // The dual's vertex at scale 1 lies in the face's plane: nothing is cut off.
  EXPECT_EQ(face->CreateMorphPolygon(1.0, 1.0), nullptr);
  // The face's part inside the dual at scale t is |y| + |z| <= t - 1 on the square:
  // a diamond for t = 1.5, the square through the edge midpoints for t = 2, and the
  // square with its corners cut off (an octagon) for t = 2.5.
  const struct {
    double t;
    int corners;
    double firstDistance;
  } cases[] = {{1.5, 4, 0.5}, {2.0, 4, 1.0}, {2.5, 8, -1.0}};
  for (const auto& c : cases) {
    corvia::PolygonVertex* ring = face->CreateMorphPolygon(1.0, c.t);
    ASSERT_NE(ring, nullptr) << c.t;
    EXPECT_EQ(corvia::CountPolygonRing(ring), c.corners) << c.t;
    if (c.firstDistance > 0.0) {
      // The first face lies in the plane x = 1.
      EXPECT_NEAR(ring->point[0], 1.0, 1e-9) << c.t;
      EXPECT_NEAR(std::fabs(ring->point[1]) + std::fabs(ring->point[2]), c.firstDistance, 1e-9) << c.t;
    }
    corvia::FreePolygonRing(ring);
  }
}

TEST(FaceOutlineMembers, EdgeLineWithoutANextFaceStaysAtTheVertex) {
  corvia::Poly poly;
  corvia::testing::BuildCube(poly);
  auto* face = static_cast<corvia::Face*>(poly.mFaces.mHead);
  corvia::PolyElement* vertex = face->mNeighbours[0];
  corvia::PolyElement* previous = face->mNeighbours[3];
  double out[3] = {9.0, 9.0, 9.0};
  EXPECT_FALSE(face->FollowEdgeLine(out, previous, poly.mFaces.mHead->mNext, vertex, nullptr));
  for (int k = 0; k < 3; ++k) EXPECT_EQ(out[k], vertex->mDualVert[k]);
}

}  // namespace

// ---- Outline loops of one face into a triangle mesh ----

#include "core/PolygonRing.h"
#include "core/VectorMath.h"
#include "stellation/FaceDiagram.h"

namespace corvia {
namespace {

TEST(FaceOutline, BeginPicksTheDominantAxis) {
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

TEST(FaceOutline, FillsTheLoopsThroughADiagram) {
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

TEST(FaceOutline, WithNegativeDominantNormalSwapsTriangles) {
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

TEST(FaceOutline, WithoutADiagramStaysEmpty) {
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

}  // namespace
}  // namespace corvia
