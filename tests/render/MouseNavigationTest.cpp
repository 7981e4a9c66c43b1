// Mouse navigation of a pane, driven by hand with the test program's clock: modes by
// buttons and keys, what a drag does to the camera, the throw after a fast release,
// zooming by drag and wheel, and the field-of-view limits.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

#include "core/VectorMath.h"
#include "render/MouseThrow.h"
#include "render/PaneFrame.h"
#include "render/ViewGroup.h"
#include "render/ViewThrows.h"
#include "tests/render/RenderTestSupport.h"
#include "tests/support/TestSupport.h"

namespace test_MouseNavigation {

using namespace corvia;
using corvia::testing::TestView;

constexpr double kRad = std::numbers::pi / 180.0;

class MouseNavigationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetMouseInterfaceType(0);
    SetMouseInertiaAllowed(true);
    SetTwistWithSpace(false);
    view.SetSizeForTest(400, 300);
  }
  void TearDown() override {
    StopAllMouseThrows();
    for (int b : {kMouseButtonLeft, kMouseButtonMiddle, kMouseButtonRight}) {
      if (NewView::GetMouseButtonsHeld() & b) view.OnButtonUp(b, 0, 0, 0);
    }
    view.OnKillFocus();
  }
  static void Advance(double seconds) { corvia::testing::Platform().clock.Advance(seconds); }

  // Presses, moves by (dx, dy) per step for the steps (10 ms apart) and releases after
  // the pause.
  void Drag(int button, int dx, int dy, int steps, double pause, unsigned keys = 0) {
    int x = 200, y = 150;
    view.OnMouseMove(x, y, keys);
    view.OnButtonDown(button, x, y, keys);
    for (int i = 0; i < steps; ++i) {
      Advance(0.01);
      x += dx;
      y += dy;
      view.OnMouseMove(x, y, keys);
    }
    Advance(pause);
    view.OnButtonUp(button, x, y, keys);
  }

  double EyeDistance() const { return Dot(view.Camera().GetEye(), view.Camera().GetViewAxis()); }

  TestView view;
};

TEST_F(MouseNavigationTest, ModesFollowButtonsAndKeys) {
  EXPECT_EQ(view.Navigation().GetMouseMode(), kMouseModeNone);
  view.OnButtonDown(kMouseButtonLeft, 10, 10, 0);
  EXPECT_EQ(view.Navigation().GetMouseMode(), kMouseModeTumble);
  EXPECT_EQ(view.GetCursor(), kCursorTumble);
  view.OnButtonDown(kMouseButtonRight, 10, 10, 0);
  EXPECT_EQ(view.Navigation().GetMouseMode(), kMouseModeTwist);
  SetTwistWithSpace(true);
  EXPECT_EQ(view.Navigation().GetMouseMode(), kMouseModePivot);
  SetTwistWithSpace(false);
  view.Navigation().SetTwistAllowed(false, false);
  EXPECT_EQ(view.Navigation().GetMouseMode(), kMouseModeNoTwist);
  view.Navigation().SetTwistAllowed(true, false);
  view.OnButtonUp(kMouseButtonLeft, 10, 10, 0);
  EXPECT_EQ(view.Navigation().GetMouseMode(), kMouseModeZoom);
  // Shift or Ctrl switches the modes off.
  view.UpdateMouseMode(kMouseKeyShift, false);
  EXPECT_EQ(view.Navigation().GetMouseMode(), kMouseModeNone);
  std::string left, right, both;
  view.GetMouseButtonHelp(left, right, both);
  EXPECT_EQ(left + right + both, "---");
  view.UpdateMouseMode(0, false);
  view.OnButtonUp(kMouseButtonRight, 10, 10, 0);
  view.OnButtonDown(kMouseButtonMiddle, 10, 10, 0);
  EXPECT_EQ(view.Navigation().GetMouseMode(), kMouseModeTwist);
  view.OnButtonUp(kMouseButtonMiddle, 10, 10, 0);
  view.GetMouseButtonHelp(left, right, both);
  EXPECT_EQ(left, "Tumble");
  EXPECT_EQ(right, "Zoom");
  EXPECT_EQ(both, "Twist");

  view.SetIs3D(false);
  view.OnButtonDown(kMouseButtonLeft, 10, 10, 0);
  EXPECT_EQ(view.Navigation().GetMouseMode(), kMouseModePan2D);
  view.OnButtonUp(kMouseButtonLeft, 10, 10, 0);
  view.OnButtonDown(kMouseButtonRight, 10, 10, 0);
  EXPECT_EQ(view.Navigation().GetMouseMode(), kMouseModeZoom2D);
  view.OnButtonUp(kMouseButtonRight, 10, 10, 0);
  view.SetIs3D(true);
}

TEST_F(MouseNavigationTest, DragRightTurnsTheModelRight) {
  const double distance = EyeDistance();
  // 20 steps of 5 pixels: 100 pixels at 0.3 degrees each, then a slow release.
  Drag(kMouseButtonLeft, 5, 0, 20, 0.5);
  EXPECT_EQ(GetActiveMouseThrows(), nullptr);
  const double angle = 30.0 * kRad;
  // The camera went round the centre to the left, so the model's front turned right.
  EXPECT_NEAR(view.Camera().GetEye()[0], -distance * std::sin(angle), 1e-9);
  EXPECT_NEAR(view.Camera().GetEye()[2], distance * std::cos(angle), 1e-9);
  EXPECT_NEAR(view.Camera().GetEye()[1], 0.0, 1e-12);
  double front[3] = {0, 0, 1}, window[3];
  view.ApplyViewTransform(window, front);
  EXPECT_GT(window[0], 200.0);
}

TEST_F(MouseNavigationTest, FastReleaseKeepsTurningUntilStopped) {
  Drag(kMouseButtonLeft, 5, 0, 10, 0.0);
  MouseThrow* spin = GetActiveMouseThrows();
  ASSERT_EQ(spin, view.Navigation().GetTumbleThrow());
  // 20 pixels over the last five samples, 40 ms: 500 pixels a second.
  EXPECT_NEAR(spin->mSpeedX, 500.0f, 1e-2);
  const double before = std::atan2(-view.Camera().GetEye()[0], view.Camera().GetEye()[2]);
  SetThrowStepPending(true);
  Advance(0.1);
  StepMouseThrows(nullptr);
  const double after = std::atan2(-view.Camera().GetEye()[0], view.Camera().GetEye()[2]);
  // 0.1 s at 500 pixels a second, 0.3 degrees a pixel.
  EXPECT_NEAR((after - before) / kRad, 15.0, 1e-5);
  // A press on the pane stops it.
  view.OnButtonDown(kMouseButtonLeft, 0, 0, 0);
  EXPECT_FALSE(spin->IsActive());
  view.OnButtonUp(kMouseButtonLeft, 0, 0, 0);
}

TEST_F(MouseNavigationTest, RightDragAndWheelZoom) {
  const double distance = EyeDistance();
  // Down by 50 pixels: 1.006^50 further away.
  Drag(kMouseButtonRight, 0, 5, 10, 0.0);
  EXPECT_NEAR(EyeDistance(), distance * std::pow(1.006, 50), 1e-9);
  EXPECT_EQ(GetActiveMouseThrows(), nullptr);  // zooming never throws
  const double zoomed = EyeDistance();
  view.DoMouseWheel(120);
  EXPECT_NEAR(EyeDistance(), zoomed / 1.06, 1e-9);
  view.Camera().SetEyeDistanceLimits(-1.0, zoomed);
  view.DoMouseWheel(-360);
  EXPECT_NEAR(EyeDistance(), zoomed, 1e-9);
}

TEST_F(MouseNavigationTest, TwistAndPivot) {
  // Left and right together, to the right by 40 pixels: the camera turns 12 degrees
  // about the view axis, so the model turns clockwise.
  view.OnButtonDown(kMouseButtonLeft, 0, 0, 0);
  view.OnButtonDown(kMouseButtonRight, 0, 0, 0);
  for (int i = 1; i <= 8; ++i) view.OnMouseMove(5 * i, 0, 0);
  view.OnButtonUp(kMouseButtonRight, 40, 0, 0);
  view.OnButtonUp(kMouseButtonLeft, 40, 0, 0);
  EXPECT_NEAR(std::atan2(view.Camera().GetRightAxis()[1], view.Camera().GetRightAxis()[0]) / kRad, 12.0, 1e-9);

  // The pivot turns about the world's vertical axis whatever the view's twist.
  const double height = view.Camera().GetEye()[1];
  SetTwistWithSpace(true);
  view.OnButtonDown(kMouseButtonMiddle, 0, 0, 0);
  for (int i = 1; i <= 10; ++i) view.OnMouseMove(5 * i, 0, 0);
  view.OnButtonUp(kMouseButtonMiddle, 50, 0, 0);
  EXPECT_NEAR(view.Camera().GetEye()[1], height, 1e-12);
  EXPECT_GT(std::fabs(view.Camera().GetEye()[0]), 0.1);
}

TEST_F(MouseNavigationTest, SpaceTurnsTheButtonsIntoPanAndFieldOfView) {
  // The space bar is read from the window.
  std::string error;
  auto window = OffscreenViewWindow::Create(400, 300, &error);
  ASSERT_NE(window, nullptr) << error;
  ASSERT_TRUE(window->Show(&view));
  window->SetSpaceDown(true);
  view.OnButtonDown(kMouseButtonRight, 0, 0, 0);
  ASSERT_EQ(view.Navigation().GetMouseMode(), kMouseModeFieldOfView);
  for (int i = 1; i <= 400; ++i) view.OnMouseMove(10 * i, 0, 0);
  EXPECT_NEAR(view.Camera().GetFieldOfView(), 160.0, 1e-4);
  for (int i = 399; i >= -400; --i) view.OnMouseMove(10 * i, 0, 0);
  EXPECT_NEAR(view.Camera().GetFieldOfView(), 5.0, 1e-4);
  view.OnButtonUp(kMouseButtonRight, -4000, 0, 0);

  // Pan: the model point under the mouse moves with it.
  view.OnMouseMove(200, 150, 0);
  view.OnButtonDown(kMouseButtonLeft, 200, 150, 0);
  EXPECT_EQ(view.Navigation().GetMouseMode(), kMouseModePan);
  const double eyeX = view.Camera().GetEye()[0];
  view.OnMouseMove(220, 150, 0);
  EXPECT_LT(view.Camera().GetEye()[0], eyeX);
  view.OnButtonUp(kMouseButtonLeft, 220, 150, 0);
  window->SetSpaceDown(false);
  window->Close();
}

// A frame of the test's own, whose panes share nothing with the installed one's.
struct OwnFrame : public PaneFrame {
  void SetMouseButtonHints(const std::string&, const std::string&, const std::string&) override {}
  void SetActiveView(NewView*) override {}
};

// A pane drags, throws and steps with its own frame's mouse and throws, whichever frame
// is installed when the events come.
TEST(MouseNavigationFrames, APaneMovesByItsOwnFramesMouseAndThrows) {
  OwnFrame own, other;
  PaneFrame* before = InstallPaneFrame(&own);
  {
    TestView view;
    view.SetSizeForTest(400, 300);
    SetMouseInterfaceType(0);
    InstallPaneFrame(&other);
    const ViewGroup& group = view.GetViewGroup();

    view.OnMouseMove(200, 150, 0);
    view.OnButtonDown(kMouseButtonLeft, 200, 150, 0);
    EXPECT_EQ(view.Navigation().GetMouseMode(), kMouseModeTumble);
    for (int i = 1; i <= 10; ++i) {
      corvia::testing::Platform().clock.Advance(0.01);
      view.OnMouseMove(200 + 5 * i, 150, 0);
    }
    view.OnButtonUp(kMouseButtonLeft, 250, 150, 0);
    // 50 pixels at 0.3 degrees each, and a throw that goes on in the pane's frame.
    const double turned = std::atan2(-view.Camera().GetEye()[0], view.Camera().GetEye()[2]) / kRad;
    EXPECT_NEAR(turned, 15.0, 1e-6);
    ASSERT_EQ(GetActiveMouseThrows(group), view.Navigation().GetTumbleThrow());
    EXPECT_EQ(GetActiveMouseThrows(), nullptr);
    corvia::testing::Platform().clock.Advance(0.1);
    EXPECT_TRUE(StepMouseThrows(&view));
    EXPECT_NEAR(std::atan2(-view.Camera().GetEye()[0], view.Camera().GetEye()[2]) / kRad, turned + 15.0, 1e-5);

    InstallPaneFrame(&own);
    StopAllMouseThrows();
  }
  InstallPaneFrame(before);
}

}  // namespace test_MouseNavigation
