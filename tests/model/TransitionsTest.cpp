// Transition retiming and retargeting, and the construction-kit check on hand-built
// models.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "model/FaceType.h"
#include "model/FaceTypeBlock.h"
#include "model/ModelBusy.h"
#include "model/Poly.h"
#include "model/Transitions.h"
#include "stellation/StellationState.h"
#include "tests/model/PolyModels.h"
#include "tests/support/TestSupport.h"

namespace test_Transitions {

using corvia::testing::FaceRing;
using corvia::testing::Point;

// A transition from 0 to 10 seconds.
void StartTransition(corvia::Poly& poly) {
  poly.mTransition.mDuration = 10.0;
  poly.mTransitionEnd = 10.0;
  poly.mTransitionBase = 1.0;
  poly.mTransitionCurrent = 1.0;
  poly.mTransitionTarget = 2.0;
}

TEST(TransitionsTest, RunningStartAndDuration) {
  corvia::Poly poly;
  EXPECT_FALSE(poly.IsTransitionRunning());
  StartTransition(poly);
  EXPECT_TRUE(poly.IsTransitionRunning());
  EXPECT_DOUBLE_EQ(poly.GetTransitionStart(), 0.0);
  EXPECT_DOUBLE_EQ(poly.GetTransitionDuration(), 10.0);
  EXPECT_FALSE(corvia::IsCurrentPoly(&poly));
  EXPECT_FALSE(corvia::IsCurrentPoly(nullptr));
}

TEST(TransitionsTest, RetimeBeforeDuringAndAfter) {
  corvia::Poly poly;
  StartTransition(poly);
  // Not started: the start stays and the end follows the new duration.
  poly.RetimeTransition(-1.0, 4.0);
  EXPECT_DOUBLE_EQ(poly.mTransitionEnd, 4.0);
  EXPECT_DOUBLE_EQ(poly.GetTransitionStart(), 0.0);

  StartTransition(poly);
  // Running at 4 s with 6 s to go; doubled, 12 s are left and 8 s count as run.
  poly.RetimeTransition(4.0, 20.0);
  EXPECT_DOUBLE_EQ(poly.mTransitionEnd, 16.0);
  EXPECT_DOUBLE_EQ(poly.GetTransitionDuration(), 20.0);
  EXPECT_DOUBLE_EQ(poly.GetTransitionStart(), -4.0);

  StartTransition(poly);
  poly.RetimeTransition(11.0, 20.0);
  EXPECT_DOUBLE_EQ(poly.mTransitionEnd, 10.0);
  EXPECT_DOUBLE_EQ(poly.GetTransitionDuration(), 10.0);

  // A negative duration is no duration.
  poly.RetimeTransition(4.0, -1.0);
  EXPECT_DOUBLE_EQ(poly.mTransitionEnd, 10.0);
}

TEST(TransitionsTest, NewTargetKeepsThePartAlreadyRun) {
  corvia::Poly poly;
  StartTransition(poly);
  poly.SetTransitionTarget(-1.0, 3.0);
  EXPECT_DOUBLE_EQ(poly.mTransitionTarget, 3.0);
  EXPECT_DOUBLE_EQ(poly.mTransitionCurrent, 1.0);
  // 40 % run: the current value is 40 % of the way from the base to the new target.
  poly.SetTransitionTarget(4.0, 3.0);
  EXPECT_DOUBLE_EQ(poly.mTransitionTarget, 3.0);
  EXPECT_DOUBLE_EQ(poly.mTransitionCurrent, 1.8);
  poly.SetTransitionTarget(12.0, 5.0);
  EXPECT_DOUBLE_EQ(poly.mTransitionTarget, 3.0);
}

TEST(TransitionsTest, FadingByTypeAndDirection) {
  corvia::Poly poly;
  for (int type = 0; type <= 7; ++type) {
    for (int direction = 0; direction <= 1; ++direction) {
      poly.mTransition.mType = type;
      poly.mTransitionDirection = static_cast<uint8_t>(direction);
      const bool expected = type == 7 || (type == 5 && direction == 0) || (type == 6 && direction == 1);
      EXPECT_EQ(poly.IsTransitionFading(), expected) << type << " " << direction;
    }
  }
}

// ---- Construction kit ------------------------------------------------------------------

// Marks every face type of both blocks as a kit panel, so no polygon test is needed.
void AllPanels(corvia::Poly& poly) {
  for (corvia::FaceTypeBlock* block : {poly.mBaseBlock.get(), poly.mDualBlock.get()}) {
    for (corvia::FaceType* type = block->mFirstFaceType; type; type = type->mNext) {
      type->mFlags |= corvia::kFaceTypePanelYes;
    }
  }
}

void BuildBox(corvia::Poly& poly, double sx, double sy, double sz) {
  std::vector<Point> p;
  for (int i = 0; i < 8; ++i) p.push_back({(i & 1) ? sx : -sx, (i & 2) ? sy : -sy, (i & 4) ? sz : -sz});
  corvia::testing::BuildPoly(poly, p, corvia::testing::CubeSquares());
  corvia::testing::OneTypePerSide(poly);
  AllPanels(poly);
}

// The rhombohedron of three unit vectors at mutual angle theta; vertex 0 at the origin.
void BuildRhombohedron(corvia::Poly& poly, double theta) {
  const double c = std::cos(theta);
  const double a[3] = {1.0, 0.0, 0.0};
  const double b[3] = {c, std::sin(theta), 0.0};
  const double cy = (c - c * c) / std::sin(theta);
  const double cc[3] = {c, cy, std::sqrt(1.0 - c * c - cy * cy)};
  std::vector<Point> p;
  for (int i = 0; i < 8; ++i) {
    Point q = {0, 0, 0};
    for (int k = 0; k < 3; ++k) q[k] = ((i & 1) ? a[k] : 0) + ((i & 2) ? b[k] : 0) + ((i & 4) ? cc[k] : 0);
    p.push_back(q);
  }
  // Centre it, so that the faces wind the same way as the cube's.
  for (Point& q : p) {
    for (int k = 0; k < 3; ++k) q[k] -= 0.5 * (a[k] + b[k] + cc[k]);
  }
  corvia::testing::BuildPoly(poly, p, corvia::testing::CubeSquares());
  corvia::testing::OneTypePerSide(poly);
  AllPanels(poly);
}

class KitTest : public ::testing::Test {
 protected:
  void SetUp() override { corvia::StellationBusy = false; }
  void TearDown() override { corvia::StellationBusy = false; }
};

TEST_F(KitTest, CubeIsBuildableAndTheVerdictIsCached) {
  corvia::Poly cube;
  BuildBox(cube, 1, 1, 1);
  EXPECT_TRUE(corvia::CanBuildWithKit(&cube, false));
  EXPECT_TRUE(cube.mPolyFlags & corvia::kKitBaseBuildable);
  EXPECT_EQ(cube.mKitReason[0], nullptr);
  // A later change is not looked at: the cached verdict answers.
  cube.mPolyFlags |= corvia::kPolyFlagOneSidedFace;
  EXPECT_TRUE(corvia::CanBuildWithKit(&cube, false));
  // The dual side (the octahedron of the vertices) has its own verdict.
  EXPECT_FALSE(corvia::CanBuildWithKit(&cube, true));
  EXPECT_STREQ(cube.mKitReason[1], corvia::kKitFacesIntersect);
}

TEST_F(KitTest, UnequalEdgesFailFirst) {
  corvia::Poly box;
  BuildBox(box, 1, 1, 2);
  box.mPolyFlags |= corvia::kPolyFlagOneSidedFace;
  EXPECT_FALSE(corvia::CanBuildWithKit(&box, false));
  EXPECT_STREQ(box.mKitReason[0], "Edges have different lengths.");
  EXPECT_TRUE(box.mPolyFlags & corvia::kKitBaseNotBuildable);
}

TEST_F(KitTest, RodAnglesAtTheLimit) {
  corvia::Poly sharp;
  BuildRhombohedron(sharp, 52.9 * M_PI / 180.0);
  EXPECT_FALSE(corvia::CanBuildWithKit(&sharp, false));
  EXPECT_STREQ(sharp.mKitReason[0], "Angle between edges is too small.");
  corvia::Poly wide;
  BuildRhombohedron(wide, 53.1 * M_PI / 180.0);
  EXPECT_TRUE(corvia::CanBuildWithKit(&wide, false));
}

TEST_F(KitTest, PanelShapeAndSharpFoldsDoNotFail) {
  // A 13-gonal prism with square sides: the 13-gon is never a panel.
  corvia::Poly prism;
  const int n = 13;
  const double r = 0.5 / std::sin(M_PI / n);
  std::vector<Point> p;
  for (int level = 0; level < 2; ++level) {
    for (int i = 0; i < n; ++i) {
      p.push_back({r * std::cos(2 * M_PI * i / n), r * std::sin(2 * M_PI * i / n), level ? 0.5 : -0.5});
    }
  }
  std::vector<FaceRing> faces;
  FaceRing top, bottom;
  for (int i = 0; i < n; ++i) {
    top.push_back(n + i);
    bottom.push_back(n - 1 - i);
    faces.push_back({i, (i + 1) % n, n + (i + 1) % n, n + i});
  }
  faces.insert(faces.begin(), {top, bottom});
  corvia::testing::BuildPoly(prism, p, faces);
  corvia::testing::OneTypePerSide(prism);
  EXPECT_TRUE(corvia::CanBuildWithKit(&prism, false));
  EXPECT_STREQ(prism.mKitReason[0], "Geomag don't make panels that shape.");
}

TEST_F(KitTest, GivenReasonIsKeptAndForcesTheVerdict) {
  corvia::Poly cube;
  BuildBox(cube, 1, 1, 1);
  ASSERT_TRUE(corvia::CanBuildWithKit(&cube, false));
  char buffer[64];
  std::strcpy(buffer, "Too many balls.");
  EXPECT_FALSE(corvia::CanBuildWithKit(&cube, false, buffer));
  std::strcpy(buffer, "overwritten");
  // The side's reason does not point into the caller's buffer.
  EXPECT_STREQ(cube.mKitReason[0], "Too many balls.");
  EXPECT_FALSE(cube.mPolyFlags & corvia::kKitBaseBuildable);
}

TEST_F(KitTest, BusyStellationAnswersBuildable) {
  corvia::Poly box;
  BuildBox(box, 1, 1, 2);
  corvia::StellationBusy = true;
  EXPECT_TRUE(corvia::CanBuildWithKit(&box, false));
  EXPECT_TRUE(corvia::CanBuildStellationWithKit(&box, false, nullptr));
  EXPECT_EQ(box.mPolyFlags & (corvia::kKitBaseBuildable | corvia::kKitBaseNotBuildable), 0u);
}

TEST_F(KitTest, ModelBeingMadeAnswersBuildableAndCachesNothing) {
  corvia::Poly box;
  BuildBox(box, 1, 1, 2);
  {
    corvia::ModelBusyScope busy;
    busy.Set();
    EXPECT_TRUE(corvia::CanBuildWithKit(&box, false));
    EXPECT_TRUE(corvia::CanBuildStellationWithKit(&box, false, nullptr));
    EXPECT_EQ(box.mPolyFlags & (corvia::kKitBaseBuildable | corvia::kKitBaseNotBuildable), 0u);
  }
  // Once the model is made the box is judged: its edges differ.
  EXPECT_FALSE(corvia::g_ModelBusy);
  EXPECT_FALSE(corvia::CanBuildWithKit(&box, false));
  EXPECT_TRUE(box.mPolyFlags & corvia::kKitBaseNotBuildable);
}

}  // namespace test_Transitions
