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
#include "model/FaceType.h"
#include "model/FaceTypeBlock.h"
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
#include "model/FaceDiagram.h"

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

// ---- Morph diagrams of the face types at the truncation scales ----

#include "construction/DualMorph.h"
#include "model/FaceDiagramCells.h"
#include "model/Poly.h"
#include "model/PolyTemplate.h"
#include "tests/support/TestSupport.h"

namespace {

// Area of a diagram result's filled triangles, and how many corners the diagram has.
double ResultArea(const corvia::FaceDiagramResult& result) {
  double area = 0.0;
  for (int c = 0; c < result.mNumCells; ++c) {
    const corvia::CellTriangles& t = result.mTriangles[c];
    for (int i = 0; i + 2 < t.numIndices; i += 3) {
      const corvia::DiagramPoint& a = result.mPoints[t.indices[i]];
      const corvia::DiagramPoint& b = result.mPoints[t.indices[i + 1]];
      const corvia::DiagramPoint& p = result.mPoints[t.indices[i + 2]];
      area += std::fabs((b.x - a.x) * (p.y - a.y) - (p.x - a.x) * (b.y - a.y)) / 2.0;
    }
  }
  return area;
}

struct BuiltCube {
  corvia::PolyTemplate polyTemplate;
  corvia::Poly poly;
  bool built = false;
  BuiltCube() { built = polyTemplate.Parse("4.4.4", nullptr) && poly.Build(&polyTemplate, 0); }
};

// With corners at distance 1 the cube's faces lie at a = 1/sqrt 3 from the centre and
// the dual octahedron (reciprocated in the sphere through the edge midpoints) has its
// corners at 2a, its faces x + y + z = 2a. A face x = s a cut by the octahedron's
// planes at scale t keeps |y| + |z| <= (2t - s) a: the whole square at ratio 0 (the
// planes through the cube's corners), an octagon at 0.25, the diamond through the edge
// midpoints at 0.5 (the cuboctahedron), and a smaller diamond at 0.75. The
// octahedron's face at 0.5 is the triangle of the three edge midpoints.
TEST(MorphDiagram, CubeAndOctahedronAtTheTruncationScales) {
  BuiltCube cube;
  ASSERT_TRUE(cube.built);
  corvia::Poly& poly = cube.poly;
  corvia::FaceType* square = poly.mBaseBlock->mFirstFaceType;
  corvia::FaceType* triangle = poly.mDualBlock->mFirstFaceType;
  ASSERT_NE(square, nullptr);
  ASSERT_NE(triangle, nullptr);
  const double a = std::fabs(corvia::Dot(square->mFirstFace->mCentre, square->mFirstFace->mZAxis));
  EXPECT_NEAR(a, 1.0 / std::sqrt(3.0), 1e-12);
  const struct {
    double t;
    int corners;
    double squareArea;  // in units of a^2
  } cases[] = {{0.0, 4, 4.0}, {0.25, 8, 3.5}, {0.5, 4, 2.0}, {0.75, 4, 0.5}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.t);
    SetTruncationMorphScale(&poly, c.t);
    poly.UpdateDiagramLineRanges();
    const corvia::MorphScales scales = corvia::TruncationMorphScales();
    const corvia::FaceDiagramResult& result = square->mResults[1];
    ASSERT_EQ(result.mNumCells, 1);
    EXPECT_EQ(result.mNumPoints, c.corners);
    // The outline lies in the face's plane moved out to the base scale.
    EXPECT_GE(scales.base, 1.0);
    EXPECT_NEAR(ResultArea(result), c.squareArea * a * a, 1e-9);
    // Every face has its copy of the cell, coloured like the face; the colours are
    // up to date.
    for (const corvia::PolyElement* f = poly.mFaces.mHead; f; f = f->mNext) {
      const corvia::CellColorArray* cells = f->GetCellColours(1);
      ASSERT_NE(cells, nullptr);
      EXPECT_EQ(cells->mNumCells, 1);
      for (int k = 0; k < 3; ++k) EXPECT_FLOAT_EQ(cells->mCells[0].colour[k], f->GetColour()[k]);
    }
    EXPECT_EQ(poly.mPolyFlags & corvia::kPolyFlagCellColoursStale, 0u);
    // The face diagram is left as it was.
    EXPECT_EQ(square->mResults[0].mNumCells, 1);
  }
  // At 0.5 the dual's triangle is cut to the triangle of the edge midpoints.
  SetTruncationMorphScale(&poly, 0.5);
  poly.UpdateDiagramLineRanges();
  EXPECT_EQ(triangle->mResults[1].mNumCells, 1);
  EXPECT_EQ(triangle->mResults[1].mNumPoints, 3);
  EXPECT_NEAR(ResultArea(triangle->mResults[1]), std::sqrt(3.0) / 2.0 * a * a, 1e-9);
  // Nearer than its plane, the dual's corner cuts nothing away: the diagram is
  // cleared, and no face keeps cells of the old one.
  auto* face = static_cast<corvia::Face*>(poly.mFaces.mHead);
  face->BuildMorphDiagram(1.0, 0.4);
  EXPECT_EQ(square->mResults[1].mNumCells, -1);
  EXPECT_EQ(square->mMorphCells, nullptr);
  for (const corvia::PolyElement* f = poly.mFaces.mHead; f; f = f->mNext) EXPECT_EQ(f->GetCellColours(1), nullptr);
  // Drawn again at scales where it is cut.
  face->BuildMorphDiagram(1.0, 1.0);
  EXPECT_EQ(square->mResults[1].mNumCells, 1);
  EXPECT_NEAR(ResultArea(square->mResults[1]), 2.0 * a * a, 1e-9);
  EXPECT_TRUE(poly.mPolyFlags & corvia::kPolyFlagCellColoursBack);
}

// The face diagrams of both blocks are made again from the faces.
TEST(MorphDiagram, AllPolygonsForDrawingRebuildsTheFaceDiagrams) {
  BuiltCube cube;
  ASSERT_TRUE(cube.built);
  for (corvia::FaceTypeBlock* block : {cube.poly.mBaseBlock.get(), cube.poly.mDualBlock.get()}) {
    block->mFirstFaceType->mResults[0].Reset();
    block->mFirstFaceType->mDiagramCells = nullptr;
  }
  cube.poly.mPolyFlags &= ~corvia::kPolyFlagCellColoursFront;
  cube.poly.CreateAllPolygonsForDrawing();
  EXPECT_TRUE(cube.poly.mPolyFlags & corvia::kPolyFlagCellColoursFront);
  for (corvia::FaceTypeBlock* block : {cube.poly.mBaseBlock.get(), cube.poly.mDualBlock.get()}) {
    EXPECT_EQ(block->mFirstFaceType->mResults[0].mNumCells, 1);
    EXPECT_NE(block->mFirstFaceType->mDiagramCells, nullptr);
  }
}

}  // namespace
