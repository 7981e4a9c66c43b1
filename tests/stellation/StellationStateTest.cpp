// The stellation's busy flag and the construction-kit check behind the panel counts.

#include <gtest/gtest.h>

#include <string>

#include "model/FaceTypeBlock.h"
#include "model/Poly.h"
#include "model/PolyTemplate.h"
#include "model/Transitions.h"
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
  bool built = polyTemplate.Parse("4.4.4", false) && poly.Build(&polyTemplate, 0);
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
  EXPECT_TRUE(corvia::CanBuildStellationWithKit(&cube.poly, false));
}

TEST_F(StellationStateTest, PanelsAreCountedOnlyForASideTheKitCanBuild) {
  corvia::testing::ExpectInternalErrors();
  corvia::testing::Platform().messages.Clear();
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

}  // namespace test_StellationState
