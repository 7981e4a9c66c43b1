// The stellation's busy flag, the construction-kit check behind the panel counts, and
// the records the stellation keeps on a face-type block.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/FaceType.h"
#include "model/FaceTypeBlock.h"
#include "model/Poly.h"
#include "model/PolyTemplate.h"
#include "model/Transitions.h"
#include "stellation/Faceting.h"
#include "stellation/Stellate.h"
#include "stellation/StellationCell.h"
#include "stellation/StellationDiagram.h"
#include "stellation/StellationState.h"
#include "tests/support/TestSupport.h"

namespace test_StellationState {

int CountBoxes(const std::string& title, const std::string& text) {
  int count = 0;
  for (const auto& box : corvia::testing::Platform().messages.Boxes()) {
    if (box.title == title && box.text.find(text) != std::string::npos) ++count;
  }
  return count;
}

struct Cube {
  corvia::PolyTemplate polyTemplate;
  corvia::Poly poly;
  bool built = polyTemplate.Parse("4.4.4", nullptr) && poly.Build(&polyTemplate, 0);
};

class StellationStateTest : public ::testing::Test {
 protected:
  void SetUp() override { corvia::StellationBusy = false; }
  void TearDown() override { corvia::StellationBusy = false; }
};

TEST_F(StellationStateTest, BusyFlagStopsTheKitChecks) {
  Cube cube;
  ASSERT_TRUE(cube.built);
  corvia::StellationBusy = true;
  // Buildable, and nothing computed or cached.
  EXPECT_TRUE(corvia::CanBuildWithKit(&cube.poly, false));
  EXPECT_EQ(cube.poly.mPolyFlags & (corvia::kKitBaseBuildable | corvia::kKitBaseNotBuildable), 0u);
  EXPECT_TRUE(corvia::CanBuildStellationWithKit(&cube.poly, false, nullptr));
}

TEST_F(StellationStateTest, PanelsAreCountedOnlyForASideTheKitCanBuild) {
  Cube cube;
  ASSERT_TRUE(cube.built);
  // The base side refused by the kit: no counts, and no question of panel colours.
  EXPECT_FALSE(corvia::CanBuildWithKit(&cube.poly, false, corvia::kKitPanelShape));
  cube.poly.mBaseBlock->CountPanels();
  EXPECT_EQ(cube.poly.mBaseBlock->mRods, 0);
  EXPECT_EQ(cube.poly.mBaseBlock->mBalls, 0);
  EXPECT_EQ(test_StellationState::CountBoxes("Internal Error", "FindGeomagPanelColor"), 0);
  EXPECT_EQ(test_StellationState::CountBoxes("Internal Error", "CanBuildWithKit"), 0);
  // The dual side (the octahedron) is checked on its own and accepted: 12 rods, a
  // ball at each of its 6 corners and a triangle panel in each of its 8 faces.
  cube.poly.mDualBlock->CountPanels();
  EXPECT_TRUE(cube.poly.mPolyFlags & corvia::kKitDualBuildable);
  EXPECT_EQ(test_StellationState::CountBoxes("Internal Error", "FindGeomagPanelColor"), 0);
  EXPECT_EQ(cube.poly.mDualBlock->mRods, 12);
  EXPECT_EQ(cube.poly.mDualBlock->mBalls, 6);
  int triangles = 0;
  for (int colour = 0; colour < corvia::kKitColours; ++colour) triangles += cube.poly.mDualBlock->mPanels[0][colour];
  EXPECT_EQ(triangles, 8);
  EXPECT_EQ(cube.poly.mDualBlock->GetNumPanels(), 8);
  corvia::testing::Platform().messages.Clear();
}

TEST_F(StellationStateTest, ABlockGetsItsStellationRecordAndFacetingWhenTheyAreFirstUsed) {
  corvia::PolyTemplate polyTemplate;
  corvia::Poly octahedron;
  ASSERT_TRUE(polyTemplate.Parse("3.3.3.3", nullptr) && octahedron.Build(&polyTemplate, 0));
  corvia::FaceTypeBlock* block = octahedron.mBaseBlock.get();
  EXPECT_EQ(block->mStellation, nullptr);
  EXPECT_EQ(block->mFaceting, nullptr);
  EXPECT_EQ(corvia::StellationOf(nullptr), nullptr);
  EXPECT_EQ(corvia::GetFaceting(nullptr), nullptr);
  // The faceting engine, once made, is the block's one engine.
  corvia::Faceting* faceting = corvia::GetFaceting(block);
  ASSERT_NE(faceting, nullptr);
  EXPECT_EQ(corvia::GetFaceting(block), faceting);
  EXPECT_EQ(block->mFaceting.get(), faceting);
  // The plain facet model of a convex model stellates nothing.
  ASSERT_NE(block->GetModel3D(false, nullptr), nullptr);
  EXPECT_EQ(block->mStellation, nullptr);

  ASSERT_TRUE(Stellate(&octahedron, block, false).done());
  ASSERT_TRUE(block->IsStellated());
  corvia::BlockStellation* record = block->mStellation.get();
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(corvia::StellationOf(block), record);
  ASSERT_NE(block->mFirstCell, nullptr);
  // Freeing the cell search arrays takes the cells' search marks away.
  block->mFirstCell->mFlags |= corvia::kCellArrayMark;
  block->FreeCellArrays();
  EXPECT_EQ(block->mFirstCell->mFlags & corvia::kCellArrayMark, 0u);
  // A partial reset keeps the face types and their diagrams, and frees the cells: no
  // facet is left bounding one.
  corvia::FaceType* type = block->mFirstFaceType;
  ASSERT_NE(type, nullptr);
  std::vector<corvia::StellationFacet*> facets;
  bool bounding = false;
  for (corvia::StellationFacet* f = type->mAllFacets; f; f = f->mNext) {
    facets.push_back(f);
    bounding = bounding || f->mCellBelow || f->mCellAbove;
  }
  ASSERT_TRUE(bounding);
  block->Reset(false);
  EXPECT_EQ(block->mFirstCell, nullptr);
  for (const corvia::StellationFacet* f : facets) {
    EXPECT_EQ(f->mCellBelow, nullptr);
    EXPECT_EQ(f->mCellAbove, nullptr);
  }
  EXPECT_EQ(block->mStellation.get(), record);
}

}  // namespace test_StellationState
