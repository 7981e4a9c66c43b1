#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "core/RainbowColor.h"
#include "model/CompoundParts.h"
#include "model/ElementFlags.h"
#include "model/Poly.h"
#include "tests/model/CompoundModels.h"
#include "tests/support/TestSupport.h"

namespace test_CompoundParts {

using corvia::CompoundPart;
using corvia::Poly;
using corvia::PolyElement;

constexpr uint32_t kMarks = corvia::kElementVisitMark | corvia::kElementInversionMark;

bool AnyElementHas(const Poly& poly, uint32_t bits) {
  for (const PolyElement* e = poly.mFaces.mHead; e; e = e->mNext) {
    if (e->mFlags & bits) return true;
  }
  for (const PolyElement* e = poly.mVertices.mHead; e; e = e->mNext) {
    if (e->mFlags & bits) return true;
  }
  return false;
}

void ExpectPartCounts(const CompoundPart* part, int faces, int vertices, int edges) {
  ASSERT_NE(part, nullptr);
  EXPECT_EQ(part->mNumFaces, faces);
  EXPECT_EQ(part->mNumVertices, vertices);
  EXPECT_EQ(part->mNumEdges, edges);
}

TEST(CompoundPartsTest, SingleCubeIsOnePartWithItsVolumesAndAreas) {
  Poly poly;
  corvia::testing::BuildCube(poly);
  corvia::testing::OneTypePerSide(poly);
  bool mixed = true;
  corvia::FindCompoundParts(&poly, &mixed);
  EXPECT_FALSE(mixed);
  ASSERT_EQ(poly.CountCompoundParts(), 1);
  ExpectPartCounts(poly.mCompoundParts, 6, 8, 12);
  EXPECT_EQ(poly.mCompoundParts->mFirstElement, poly.mFaces.mHead);
  EXPECT_NEAR(poly.mVolume, 8.0, 1e-9);
  EXPECT_NEAR(poly.mCompoundParts->mVolume, 8.0, 1e-9);
  // The dual, reciprocated in the unit sphere, is the octahedron of radius 1.
  EXPECT_NEAR(poly.mDualVolume, 4.0 / 3.0, 1e-9);
  EXPECT_NEAR(poly.mSurfaceArea, 24.0, 1e-9);
  EXPECT_NEAR(poly.mDualSurfaceArea, 4.0 * std::sqrt(3.0), 1e-9);
  EXPECT_FALSE(AnyElementHas(poly, kMarks | corvia::kElementReversed | corvia::kElementOneSided));
}

TEST(CompoundPartsTest, TwoCubesAwayFromTheCentreGiveTwoPartsAndTheTrueVolume) {
  Poly poly;
  corvia::testing::BuildTwoCubes(poly);
  corvia::FindCompoundParts(&poly, nullptr);
  ASSERT_EQ(poly.CountCompoundParts(), 2);
  ExpectPartCounts(poly.GetCompoundPart(0), 6, 8, 12);
  ExpectPartCounts(poly.GetCompoundPart(1), 6, 8, 12);
  // Faces that look towards the centre count negative: 8 each, not more.
  EXPECT_NEAR(poly.GetCompoundPart(0)->mVolume, 8.0, 1e-9);
  EXPECT_NEAR(poly.GetCompoundPart(1)->mVolume, 8.0, 1e-9);
  EXPECT_NEAR(poly.mVolume, 16.0, 1e-9);
  EXPECT_EQ(poly.GetCompoundPart(1)->mFirstElement, poly.GetFace(6));
  EXPECT_EQ(poly.GetGenus(), -1);
  EXPECT_FALSE(AnyElementHas(poly, kMarks));
}

TEST(CompoundPartsTest, StellaOctangulaGivesTwoTetrahedra) {
  Poly poly;
  corvia::testing::BuildStellaOctangula(poly);
  corvia::FindCompoundParts(&poly, nullptr);
  ASSERT_EQ(poly.CountCompoundParts(), 2);
  ExpectPartCounts(poly.GetCompoundPart(0), 4, 4, 6);
  ExpectPartCounts(poly.GetCompoundPart(1), 4, 4, 6);
  EXPECT_NEAR(poly.mVolume, 16.0 / 3.0, 1e-9);
}

TEST(CompoundPartsTest, FindingAgainReplacesTheParts) {
  Poly poly;
  corvia::testing::BuildTwoCubes(poly);
  corvia::FindCompoundParts(&poly, nullptr);
  corvia::FindCompoundParts(&poly, nullptr);
  EXPECT_EQ(poly.CountCompoundParts(), 2);
  EXPECT_NEAR(poly.mVolume, 16.0, 1e-9);
}

TEST(CompoundPartsTest, InwardWoundCubeIsTurnedInsideOut) {
  Poly poly;
  corvia::testing::BuildInwardCube(poly);
  corvia::FindCompoundParts(&poly, nullptr);
  EXPECT_NEAR(poly.mVolume, 8.0, 1e-9);
  for (const PolyElement* f = poly.mFaces.mHead; f; f = f->mNext) {
    EXPECT_TRUE(f->HasFlag(corvia::kElementReversed));
    EXPECT_TRUE(f->HasFlag(corvia::kElementReverseNorm));
  }
  EXPECT_FALSE(AnyElementHas(poly, kMarks));
}

TEST(CompoundPartsTest, InconsistentWindingMakesThePartOneSided) {
  Poly poly;
  corvia::testing::BuildCube(poly);
  // One face passes one of its vertices the other way round: no orientation fits.
  static_cast<corvia::Vertex*>(poly.GetVertex(0))->mFaceSense[0] = 1;
  poly.GetFace(2)->mFlags |= corvia::kElementReversed | corvia::kElementReverseNorm;
  corvia::FindCompoundParts(&poly, nullptr);
  ASSERT_EQ(poly.CountCompoundParts(), 1);
  EXPECT_TRUE(poly.mCompoundParts->mFlags & corvia::kCompoundPartOneSided);
  EXPECT_EQ(poly.mVolume, 0.0);
  for (const PolyElement* e = poly.mFaces.mHead; e; e = e->mNext) EXPECT_TRUE(e->HasFlag(corvia::kElementOneSided));
  for (const PolyElement* e = poly.mVertices.mHead; e; e = e->mNext) EXPECT_TRUE(e->HasFlag(corvia::kElementOneSided));
  EXPECT_FALSE(AnyElementHas(poly, kMarks | corvia::kElementReversed | corvia::kElementReverseNorm));
}

TEST(CompoundPartsTest, FlatModelHasVolumeZero) {
  Poly poly;
  corvia::testing::BuildFlatDihedron(poly);
  corvia::FindCompoundParts(&poly, nullptr);
  EXPECT_EQ(poly.CountCompoundParts(), 1);
  EXPECT_EQ(poly.mVolume, 0.0);
}

TEST(CompoundPartsTest, QueueOverflowIsReportedAndEndsTheFill) {
  corvia::testing::ExpectInternalErrors(1);
  Poly poly;
  corvia::testing::BuildCube(poly);
  CompoundPart part;
  std::vector<PolyElement*> queue(3, nullptr);
  poly.mFaces.mHead->mFlags |= corvia::kElementVisitMark;
  corvia::FindCompoundPart(&part, poly.mFaces.mHead, queue.data(), 3, nullptr, nullptr);
  const auto boxes = corvia::testing::Platform().messages.TakeBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "FindCompoundPart() failed, 3 >= 3");
  corvia::ClearElementFlags(&poly, kMarks);
}

TEST(CompoundPartsTest, FindPartOfFindsThePartAndLeavesNoMarks) {
  Poly poly;
  corvia::testing::BuildTwoCubes(poly);
  corvia::FindCompoundParts(&poly, nullptr);
  EXPECT_EQ(poly.FindPartOf(poly.GetVertex(12)), poly.GetCompoundPart(1));
  EXPECT_EQ(poly.FindPartOf(poly.GetFace(0)), poly.GetCompoundPart(0));
  // Drop the second part from the list: its elements belong to no listed part.
  CompoundPart* second = poly.GetCompoundPart(1);
  poly.mCompoundParts->mNext = nullptr;
  poly.mLastCompoundPart = poly.mCompoundParts;
  EXPECT_EQ(poly.FindPartOf(poly.GetFace(7)), nullptr);
  EXPECT_EQ(poly.FindPartOf(nullptr), nullptr);
  EXPECT_FALSE(AnyElementHas(poly, kMarks));
  delete second;
}

TEST(CompoundPartsTest, EachPartTakesTheNextWheelColour) {
  Poly poly;
  corvia::testing::BuildTwoCubes(poly);
  corvia::FindCompoundParts(&poly, nullptr);
  EXPECT_EQ(poly.ColorCompoundParts(), 2);
  float first[3];
  float second[3];
  corvia::RainbowColor(0, first);
  corvia::RainbowColor(1, second);
  for (int i = 0; i < 12; ++i) {
    const PolyElement* face = poly.GetFace(i);
    const float* expected = i < 6 ? first : second;
    for (int c = 0; c < 3; ++c) {
      EXPECT_EQ(face->mColor[c], expected[c]);
      EXPECT_EQ(face->mBackColor[c], expected[c]);
    }
  }
  EXPECT_EQ(poly.GetVertex(15)->mColor[0], second[0]);
  EXPECT_FALSE(AnyElementHas(poly, kMarks));
}

TEST(CompoundPartsTest, MarkPartWithSameColourOnlyRecoloursWhatMatchedTheStart) {
  Poly poly;
  corvia::testing::BuildTwoCubes(poly);
  const float red[3] = {1.0f, 0.0f, 0.0f};
  const float blue[3] = {0.0f, 0.0f, 1.0f};
  const float green[3] = {0.0f, 1.0f, 0.0f};
  for (int i = 0; i < 12; ++i) poly.GetFace(i)->SetColour(i % 2 ? blue : red);
  poly.MarkPart(poly.GetFace(0), green, true);
  for (int i = 0; i < 12; ++i) {
    const float* expected = i >= 6 ? (i % 2 ? blue : red) : (i % 2 ? blue : green);
    EXPECT_EQ(poly.GetFace(i)->mColor[1], expected[1]) << "face " << i;
  }
  // Vertices have their own colour and keep it.
  EXPECT_NE(poly.GetVertex(0)->mColor[1], green[1]);
  EXPECT_FALSE(AnyElementHas(poly, kMarks));
}

}  // namespace test_CompoundParts
