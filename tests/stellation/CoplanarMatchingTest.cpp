// Rings of coplanar faces: their order and the concentric marks; coplanar copies that
// share their master's diagram.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "construction/Augmentation.h"
#include "construction/DerivedModels.h"
#include "construction/Library.h"
#include "model/CreatePoly.h"
#include "model/LibraryEntry.h"
#include "model/PolyTemplate.h"
#include "symmetry/SimplePoly.h"
#include "tests/model/PolyModels.h"
#include "tests/support/TestSupport.h"

namespace test_CoplanarMatching {

using corvia::FaceType;
using corvia::PolyElement;

// A triangle in the plane z = 1 seen from both sides: two faces with one centre.
struct TwoSidedTriangle {
  corvia::Poly poly;
  PolyElement* front = nullptr;
  PolyElement* back = nullptr;
  FaceType* frontType = nullptr;
  FaceType* backType = nullptr;

  TwoSidedTriangle() {
    const double h = std::sqrt(3.0) / 2.0;
    corvia::testing::BuildPoly(poly, {{1, 0, 1}, {-0.5, h, 1}, {-0.5, -h, 1}}, {{0, 1, 2}, {0, 2, 1}}, false);
    front = poly.mFaces.mHead;
    back = front->mNext;
    front->mCoplanarNext = back;
    back->mCoplanarNext = front;
    frontType = new FaceType(&poly, poly.mBaseBlock.get(), 0, 0);
    poly.mBaseBlock->AppendFaceType(frontType);
    frontType->AddFace(front);
    backType = new FaceType(&poly, poly.mBaseBlock.get(), 0, 1);
    poly.mBaseBlock->AppendFaceType(backType);
    backType->AddFace(back);
    frontType->mNumRotations = backType->mNumRotations = 3;
  }
};

TEST(CoplanarMatching, ConcentricFacesAreMarkedOnceEach) {
  TwoSidedTriangle model;
  model.front->mFlags |= corvia::kElementSkip;  // stale marks are cleared first
  ASSERT_NEAR(model.front->mCentre[2], 1.0, 1e-12);
  ASSERT_NEAR(model.back->mCentre[2], 1.0, 1e-12);
  corvia::SortCoplanarFaces(model.poly.mBaseBlock.get());
  EXPECT_TRUE(model.front->HasFlag(corvia::kElementIsCopConcentric));
  EXPECT_TRUE(model.back->HasFlag(corvia::kElementIsCopConcentric));
  EXPECT_FALSE(model.front->HasFlag(corvia::kElementSkipCopConcentric));
  EXPECT_TRUE(model.back->HasFlag(corvia::kElementSkipCopConcentric));
  EXPECT_EQ(model.front->mCoplanarNext, model.back);
  EXPECT_EQ(model.back->mCoplanarNext, model.front);
  // The ring's first member stands for it; the other is passed over.
  EXPECT_FALSE(model.front->HasFlag(corvia::kElementSkip));
  EXPECT_TRUE(model.back->HasFlag(corvia::kElementSkip));
  EXPECT_EQ(corvia::PolyElement::GetFirstUnskipped(model.back), model.front);
}

TEST(CoplanarMatching, RingOrderFollowsTypeThenIndex) {
  TwoSidedTriangle model;
  // The type index decides before the element index.
  model.frontType->mIndex = 1;
  model.backType->mIndex = 0;
  EXPECT_GT(corvia::CompareCoplanarByTypeAndIndex(model.front, model.back), 0);
  EXPECT_LT(corvia::CompareCoplanarByTypeAndIndex(model.back, model.front), 0);
  EXPECT_EQ(corvia::CompareFacesByCentre(model.front, model.back), -1);  // same centre: index decides
  EXPECT_EQ(corvia::CompareFacesByCentre(model.front, model.front), 0);
}

TEST(CoplanarMatching, CopyTakesTheMastersDiagram) {
  TwoSidedTriangle model;
  model.backType->mCoplanarMaster = model.frontType;
  model.frontType->mDiagramRadius = 2.5;
  model.frontType->mNumSegments = 7;
  corvia::CopyCoplanarInfo(model.backType);
  EXPECT_EQ(model.backType->mDiagramRadius, 2.5);
  EXPECT_EQ(model.backType->mNumSegments, 7);
  EXPECT_EQ(model.backType->mVisibleFacets, nullptr);
  EXPECT_EQ(model.backType->mFirstFace, model.back);
  EXPECT_EQ(model.poly.mBaseBlock->CountDistinctFaceTypes(), 1);
  // A copy frees nothing of its master's; a type without a master copies nothing.
  model.frontType->mNumSegments = 0;
  corvia::CopyCoplanarInfo(model.frontType);
  EXPECT_EQ(model.frontType->mDiagramRadius, 2.5);
}

TEST(CoplanarMatching, CopyMovesACoplanarFaceToTheFront) {
  TwoSidedTriangle model;
  // The master's type holds a second face out of the plane; the copy's list starts
  // with it, so the face in the master's plane must come first.
  corvia::testing::BuildPoly(model.poly, {{0, 0, 3}, {1, 0, 3}, {0, 1, 3}}, {{0, 1, 2}}, false);
  PolyElement* away = model.back->mNext;
  ASSERT_NE(away, nullptr);
  FaceType* copy = new FaceType(&model.poly, model.poly.mBaseBlock.get(), 0, 2);
  model.poly.mBaseBlock->AppendFaceType(copy);
  model.backType->mFirstFace = model.backType->mLastFace = nullptr;
  model.backType->mCount = 0;
  copy->AddFace(away);
  copy->AddFace(model.back);
  copy->mCoplanarMaster = model.frontType;
  corvia::CopyCoplanarInfo(copy);
  EXPECT_EQ(copy->mFirstFace, model.back);
  EXPECT_EQ(copy->mFirstFace->mNextOfType, away);
  EXPECT_EQ(copy->mLastFace, away);
  EXPECT_EQ(away->mNextOfType, nullptr);
}

}  // namespace test_CoplanarMatching

// The octahemioctahedron with antiprisms on its triangles: each antiprism's far
// triangle lies in a hexagon's plane through the centre, two to a plane, facing
// opposite ways and each turned onto itself by the plane's threefold rotation. Every
// ring of hexagon and triangles is ordered like the first, member by member facing
// the same way, with no report.
TEST(CoplanarMatching, RingsThroughTheCentreFacingBothWaysMatchTheirOrder) {
  using namespace test_CoplanarMatching;
  corvia::PolyTemplate polyTemplate;
  corvia::Poly poly;
  ASSERT_TRUE(CreateFromLibraryEntry(&poly, &polyTemplate, corvia::GetLibraryEntry(23), false));
  PolyElement* triangle = poly.mFaces.mHead;
  while (triangle && triangle->mNumSides != 3) triangle = triangle->mNext;
  ASSERT_NE(triangle, nullptr);
  poly.GetShownBlock()->SetCurrentFace(triangle);
  const uint32_t options = corvia::kAugmentAntiprism | corvia::kAugmentSameType;
  corvia::Augmentation* augmentation = GetAugmentation(&poly);
  augmentation->mScale = 1.0;
  ASSERT_TRUE(PrepareAugmentation(&poly, options, augmentation));
  corvia::Outcome outcome;
  std::unique_ptr<corvia::SimplePoly> made = corvia::CreateAugmentedPoly(options, *augmentation, outcome);
  augmentation->Reset();
  ASSERT_TRUE(made);
  corvia::testing::Platform().messages.Clear();
  corvia::Poly augmented;
  ASSERT_TRUE(CreatePoly(*made, &augmented, false, false));
  EXPECT_EQ(corvia::testing::Platform().messages.Boxes().size(), 0u);
  std::vector<std::string> orders;
  for (FaceType* type = augmented.mBaseBlock->mFirstFaceType; type; type = type->mNext) {
    if (type->mCoplanarMaster || type->mFirstFace->CountCoplanar() < 3) continue;
    for (PolyElement* face = type->mFirstFace; face; face = face->mNextOfType) {
      std::string order;
      PolyElement* member = face;
      do {
        order += std::to_string(FaceType::GetNumber(member->mType));
        order += corvia::Dot(member->mZAxis, face->mZAxis) > 0.0 ? '+' : '-';
        member = member->mCoplanarNext;
      } while (member && member != face && order.size() < 64);
      orders.push_back(order);
    }
  }
  ASSERT_EQ(orders.size(), 4u);
  for (const std::string& order : orders) EXPECT_EQ(order, orders.front());
}
