// The values that panes drive with Ctrl and the left button, dragged in the running
// program as a person drags them: the dual-morph ratio of the morph panes, the folding
// amount of the Folding Net, the depth of the Cross-Section. Each drag changes the value
// both ways and the picture with it; Ctrl with a right click sets it half-way.

#include <gtest/gtest.h>
#include <wx/glcanvas.h>
#include <wx/uiaction.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <memory>

#include "app/PolyApp.h"
#include "app/PolyDoc.h"
#include "app/PolyView.h"
#include "app/WindowServices.h"
#include "model/CrossSection.h"
#include "model/Poly.h"
#include "model/TransitionSettings.h"
#include "nets/NetSettings.h"
#include "platform/Services.h"
#include "render/MouseThrow.h"
#include "render/NewView.h"
#include "tests/gui/GuiTestSupport.h"
#include "tests/gui/ProgramTestSupport.h"
#include "tests/support/TestSupport.h"
#include "ui/PaneWindow.h"

namespace test_ValueDrag {

using namespace corvia;
using corvia::testing::Platform;
using corvia::testing::YieldUntil;

class ValueDragTest : public ::testing::Test {
 protected:
  void SetUp() override {
    mProgram = std::make_unique<corvia::testing::RunningProgram>("value-drag-home");
    ASSERT_NE(mProgram->Frame(), nullptr);
    YieldUntil([] { return GetPane(1) && GetPane(1)->GetWindow(); });
    YieldUntil([] { return CPolyApp::Get().GetDoc()->CountRecords() == 1 && !GetCurrentPoly()->IsTransitionRunning(); });
    SetTransitionsEnabled(false);
    SetMouseInertiaAllowed(false);
    ASSERT_TRUE(CPolyApp::Get().GetDoc()->OpenModelByNameOrSymbol("Octahedron"));
    YieldUntil([] { return CPolyApp::Get().GetDoc()->CountRecords() == 1; });
  }
  void TearDown() override {
    SetMouseInertiaAllowed(true);
    SetTransitionsEnabled(true);
    mProgram.reset();
    EXPECT_EQ(Platform().messages.CountTitled("Internal Error"), 0);
    Platform().messages.Clear();
  }

  static CPolyView* Show(ViewType type) {
    CPolyView* pane = GetPane(1);
    EXPECT_TRUE(pane->SetViewType(type, false));
    pane->Invalidate(true);
    pane->UpdateNow();
    return pane;
  }

  static wxImage Picture(CPolyView* pane) {
    pane->Invalidate(true);
    pane->UpdateNow();
    return corvia::testing::ScreenPixels(static_cast<PaneWindow*>(pane->GetWindow())->GetCanvas());
  }

  static int CountChanged(const wxImage& a, const wxImage& b) {
    int changed = 0;
    for (int y = 0; y < std::min(a.GetHeight(), b.GetHeight()); ++y) {
      for (int x = 0; x < std::min(a.GetWidth(), b.GetWidth()); ++x) {
        changed += std::abs(a.GetRed(x, y) - b.GetRed(x, y)) + std::abs(a.GetGreen(x, y) - b.GetGreen(x, y)) > 24;
      }
    }
    return changed;
  }

  // Holds Ctrl, drags the left button across the middle of the pane by dx pixels in
  // small steps, and lets go.
  static void CtrlDrag(CPolyView* pane, int dx) {
    wxWindow* canvas = static_cast<PaneWindow*>(pane->GetWindow())->GetCanvas();
    const wxSize size = canvas->GetClientSize();
    wxPoint at = canvas->ClientToScreen(wxPoint(size.x / 2 - dx / 2, size.y / 2));
    wxUIActionSimulator input;
    input.MouseMove(at);
    YieldUntil([&] { return wxGetMousePosition() == at; });
    input.KeyDown(WXK_CONTROL);
    input.MouseDown();
    YieldUntil([] { return NewView::GetMouseButtonsHeld() != 0; });
    const int steps = 10;
    for (int i = 1; i <= steps; ++i) {
      const wxPoint next(at.x + dx * i / steps, at.y);
      input.MouseMove(next);
      YieldUntil([&] { return wxGetMousePosition() == next; });
    }
    input.MouseUp();
    input.KeyUp(WXK_CONTROL);
    YieldUntil([] { return NewView::GetMouseButtonsHeld() == 0; });
  }

  // Ctrl with a right click in the middle of the pane; true once the value is half-way.
  static bool CtrlRightClick(CPolyView* pane, const std::function<double()>& value) {
    wxWindow* canvas = static_cast<PaneWindow*>(pane->GetWindow())->GetCanvas();
    const wxSize size = canvas->GetClientSize();
    const wxPoint at = canvas->ClientToScreen(wxPoint(size.x / 2, size.y / 2));
    wxUIActionSimulator input;
    input.MouseMove(at);
    YieldUntil([&] { return wxGetMousePosition() == at; });
    input.KeyDown(WXK_CONTROL);
    input.MouseClick(wxMOUSE_BTN_RIGHT);
    input.KeyUp(WXK_CONTROL);
    return YieldUntil([&] { return NewView::GetMouseButtonsHeld() == 0 && std::fabs(value() - 0.5) < 1e-12; });
  }

  // Drags right then left in the pane of the type and checks that the value follows
  // (up, then down) and the picture with it, then that Ctrl+right-click gives 0.5.
  void CheckDrag(ViewType type, const std::function<double()>& value) {
    CPolyView* pane = Show(type);
    CtrlDrag(pane, -60);
    ASSERT_LT(value(), 0.5);
    EXPECT_TRUE(CtrlRightClick(pane, value));
    const wxImage half = Picture(pane);
    CtrlDrag(pane, 120);
    const double up = value();
    EXPECT_GT(up, 0.55) << "a drag to the right raises the value";
    EXPECT_GT(CountChanged(half, Picture(pane)), 50) << "the picture follows the value";
    CtrlDrag(pane, -240);
    EXPECT_LT(value(), up - 0.1) << "a drag to the left lowers it";
    EXPECT_GE(value(), 0.0);
    EXPECT_TRUE(CtrlRightClick(pane, value));
  }

  std::unique_ptr<corvia::testing::RunningProgram> mProgram;
};

TEST_F(ValueDragTest, CtrlDragsMoveTheMorphTheFoldingAndTheSection) {
  CheckDrag(kViewMorphBySizing, [] { return GetDualMorphRatio(); });
  CheckDrag(kViewFoldingNet, [] { return GetNetSettings().foldFraction; });
  CheckDrag(kViewCrossSection, [] { return SliceDepth(); });
}

// Side-by-side stereo gives each eye half the pane: the model is framed for the half, so
// neither copy runs into the middle or off the pane's edges.
TEST_F(ValueDragTest, SideBySideStereoFramesEachHalf) {
  CPolyView* pane = Show(kViewBasePolyhedron);
  corvia::testing::PostMenuCommand(mProgram->Frame(), 32805);  // Parallel-Eyed Stereo
  YieldUntil([pane] { return pane->Stereo().GetStereoMode() == kStereoParallel; });
  const wxImage image = Picture(pane);
  const float* bg = pane->GetBackgroundColor();
  auto drawnInColumn = [&](int x) {
    int drawn = 0;
    for (int y = 0; y < image.GetHeight(); ++y) {
      drawn += std::abs(image.GetRed(x, y) - int(bg[0] * 255)) + std::abs(image.GetGreen(x, y) - int(bg[1] * 255)) +
                   std::abs(image.GetBlue(x, y) - int(bg[2] * 255)) >
               24;
    }
    return drawn;
  };
  const int w = image.GetWidth();
  for (int x : {0, w / 2 - 1, w / 2, w - 1}) EXPECT_EQ(drawnInColumn(x), 0) << "column " << x;
  EXPECT_GT(drawnInColumn(w / 4), 10);
  EXPECT_GT(drawnInColumn(3 * w / 4), 10);
  corvia::testing::PostMenuCommand(mProgram->Frame(), 32804);
  YieldUntil([pane] { return pane->Stereo().GetStereoMode() == kStereoNone; });
}

}  // namespace test_ValueDrag
