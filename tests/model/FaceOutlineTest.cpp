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
