// The model's own cross-section: when it is built, kept and rebuilt, and the slice
// range it takes from the model.

#include <gtest/gtest.h>

#include <cmath>

#include "model/ColorSchemes.h"
#include "model/CrossSection.h"
#include "model/Globals.h"
#include "model/ModelBusy.h"
#include "model/PolyBuild.h"
#include "stellation/StellationState.h"
#include "symmetry/SymGroup.h"
#include "tests/model/PolyModels.h"
#include "tests/support/TestSupport.h"

namespace test_PolyCrossSection {

// The slicing frame and depth as the program starts, restored after each test.
class PolyCrossSectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    double* frame = corvia::SlicingFrame();
    for (int i = 0; i < 16; ++i) mFrame[i] = frame[i];
    for (int i = 0; i < 16; ++i) frame[i] = (i % 5 == 0) ? 1.0 : 0.0;
    mDepth = corvia::SliceDepth();
    corvia::SliceDepth() = 0.5;
  }
  void TearDown() override {
    double* frame = corvia::SlicingFrame();
    for (int i = 0; i < 16; ++i) frame[i] = mFrame[i];
    corvia::SliceDepth() = mDepth;
    corvia::StellationBusy = false;
  }
  double mFrame[16] = {};
  double mDepth = 0.5;
};

}  // namespace test_PolyCrossSection

namespace corvia {
namespace {

using PolyCrossSection = test_PolyCrossSection::PolyCrossSectionTest;

TEST_F(PolyCrossSection, SliceRangeOfTheShownVertices) {
  Poly poly;
  testing::BuildCube(poly);
  SliceDepth() = 0.25;
  double lo = 0.0, hi = 0.0;
  // A quarter of the way down from the top (z = 1) to the bottom (z = -1).
  EXPECT_NEAR(poly.GetSliceRange(&lo, &hi), 0.5, 1e-12);
  EXPECT_EQ(lo, -1.0);
  EXPECT_EQ(hi, 1.0);
}

TEST_F(PolyCrossSection, BuiltOnceThenKeptUntilInvalidated) {
  Poly poly;
  testing::BuildCube(poly);
  platform::HeadlessViews& views = testing::Platform().views;
  // Nothing built yet: no section.
  poly.mBuildState = kBuildRunning;
  EXPECT_FALSE(poly.BuildCrossSection());
  EXPECT_EQ(poly.mCrossSection, nullptr);

  poly.mBuildState = kBuildFinished;
  const int cursors = views.mWaitCursorCount;
  ASSERT_TRUE(poly.BuildCrossSection());
  EXPECT_FALSE(views.mWaitCursor);
  EXPECT_EQ(views.mWaitCursorCount, cursors + 1);
  EXPECT_TRUE(poly.mPolyFlags & kPolyFlagCrossSectionValid);
  EXPECT_TRUE(poly.mPolyFlags & kPolyFlagCellColoursBack);
  ASSERT_NE(poly.mCrossSection, nullptr);
  ASSERT_EQ(poly.mCrossSection->mLoops.size(), 1u);
  EXPECT_EQ(poly.mCrossSection->mLoops[0]->NumPoints(), 4);

  // Up to date: no second build.
  EXPECT_TRUE(poly.BuildCrossSection());
  EXPECT_EQ(views.mWaitCursorCount, cursors + 1);

  // A plane along the body diagonal cuts a hexagon once the old section is dropped.
  double* frame = SlicingFrame();
  const double s = 1.0 / std::sqrt(3.0);
  frame[2] = frame[6] = frame[10] = s;
  EXPECT_TRUE(poly.BuildCrossSection());
  EXPECT_EQ(poly.mCrossSection->mLoops[0]->NumPoints(), 4);
  poly.InvalidateCrossSection();
  EXPECT_FALSE(poly.mPolyFlags & kPolyFlagCrossSectionValid);
  ASSERT_TRUE(poly.BuildCrossSection());
  ASSERT_EQ(poly.mCrossSection->mLoops.size(), 1u);
  EXPECT_EQ(poly.mCrossSection->mLoops[0]->NumPoints(), 6);
}

TEST_F(PolyCrossSection, NoSectionWhileBusyOrFailed) {
  Poly poly;
  testing::BuildCube(poly);
  poly.mBuildState = kBuildFailed;
  EXPECT_FALSE(poly.BuildCrossSection());
  poly.mBuildState = kBuildFinished;
  StellationBusy = true;
  EXPECT_FALSE(poly.BuildCrossSection());
  EXPECT_FALSE(poly.mPolyFlags & kPolyFlagCrossSectionValid);
  StellationBusy = false;
  {
    ModelBusyScope busy;
    busy.Set();
    EXPECT_FALSE(poly.BuildCrossSection());
    EXPECT_FALSE(poly.mPolyFlags & kPolyFlagCrossSectionValid);
  }
  EXPECT_TRUE(poly.BuildCrossSection());
}

TEST_F(PolyCrossSection, AddedLoopIsStored) {
  Poly poly;
  std::vector<double> points = {0, 0, 1, 0, 1, 1};
  std::vector<const PolyElement*> faces(3, nullptr);
  poly.AddCrossSectionLoop(points, faces);
  ASSERT_NE(poly.mCrossSection, nullptr);
  ASSERT_EQ(poly.mCrossSection->mLoops.size(), 1u);
  EXPECT_EQ(poly.mCrossSection->mLoops[0]->NumPoints(), 3);
  // A single point is no loop.
  std::vector<double> one = {0, 0};
  std::vector<const PolyElement*> oneFace(1, nullptr);
  poly.AddCrossSectionLoop(one, oneFace);
  EXPECT_EQ(poly.mCrossSection->mLoops.size(), 1u);
}

}  // namespace
}  // namespace corvia
