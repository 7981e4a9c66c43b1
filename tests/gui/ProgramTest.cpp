// The real program under a (virtual) display, through the start-up and shut-down
// steps that corvia runs: its window shows the icosahedron in its panes, the mouse
// turns and zooms it, a fast release keeps it turning until a click stops it, an idle
// program paints nothing, and closing writes the settings.

#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/glcanvas.h>
#include <wx/uiaction.h>

#include <cmath>
#include <filesystem>
#include <numbers>
#include <string>

#include "app/PolyApp.h"
#include "app/PolyDoc.h"
#include "app/PolyView.h"
#include "app/StartUp.h"
#include "app/WindowServices.h"
#include "core/VectorMath.h"
#include "model/Poly.h"
#include "platform/Services.h"
#include "platform/SettingsStore.h"
#include "render/MouseThrow.h"
#include "tests/gui/GuiTestSupport.h"
#include "tests/support/TestSupport.h"
#include "ui/PaneWindow.h"

namespace test_Program {

using namespace corvia;
using corvia::testing::ScopedEnv;
using corvia::testing::YieldFor;
using corvia::testing::YieldUntil;

constexpr double kRadians = std::numbers::pi / 180.0;

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    mHome = corvia::testing::ScratchDir("program-home");
    mHomeEnv = std::make_unique<ScopedEnv>("HOME", mHome.string());
    mConfigEnv = std::make_unique<ScopedEnv>("XDG_CONFIG_HOME", (mHome / "config").string());
    mDocumentsEnv = std::make_unique<ScopedEnv>("XDG_DOCUMENTS_DIR", (mHome / "Documents").string());
    mStore = std::make_unique<platform::SettingsStore>(mHome / "config" / "Corvia" / "settings.conf");
    mPreviousStore = platform::SettingsStore::InstallInstance(mStore.get());
    mBefore = platform::Services();

    mFrame = app::StartUp();
    ASSERT_NE(mFrame, nullptr);
    // The boxes are recorded, so that a test fails on an internal error instead of
    // waiting for a person.
    platform::ServiceSet services = platform::Services();
    services.messages = &corvia::testing::Platform().messages;
    platform::InstallServices(services);
    YieldUntil([this] { return mFrame->IsShownOnScreen() && Pane(0) && Pane(0)->GetWindow(); });
    ASSERT_TRUE(mFrame->IsShownOnScreen());
    // The start-up transition runs to its end.
    YieldUntil([] { return Doc() && Doc()->CountRecords() == 1 && !GetCurrentPoly()->IsTransitionRunning(); });
    YieldFor(100);
  }

  void TearDown() override {
    StopAllMouseThrows();
    if (!wxTopLevelWindows.empty()) {
      mFrame->Close(true);
      YieldUntil([] { return wxTopLevelWindows.empty(); });
    }
    app::ShutDown();
    platform::InstallServices(mBefore);
    platform::SettingsStore::InstallInstance(mPreviousStore);
  }

  static CPolyDoc* Doc() { return CPolyApp::Get().GetDoc(); }
  static CPolyView* Pane(int i) { return GetPane(i); }
  static wxGLCanvas* Canvas(int i) { return static_cast<PaneWindow*>(Pane(i)->GetWindow())->GetCanvas(); }
  static wxPoint CentreOf(wxWindow* window) {
    return window->ClientToScreen(wxPoint(window->GetClientSize().x / 2, window->GetClientSize().y / 2));
  }
  // The angle by which the camera has gone round the vertical axis.
  static double TurnAngle(const CPolyView* view) { return std::atan2(-view->GetEye()[0], view->GetEye()[2]); }

  std::filesystem::path mHome;
  std::unique_ptr<ScopedEnv> mHomeEnv, mConfigEnv, mDocumentsEnv;
  std::unique_ptr<platform::SettingsStore> mStore;
  platform::SettingsStore* mPreviousStore = nullptr;
  platform::ServiceSet mBefore;
  wxFrame* mFrame = nullptr;
};

TEST_F(ProgramTest, StartsWithTheIcosahedronInItsPanes) {
  ASSERT_NE(Doc(), nullptr);
  EXPECT_EQ(mFrame->GetTitle(), "3.3.3.3.3 - Icosahedron");
  Poly* poly = GetCurrentPoly();
  ASSERT_NE(poly, nullptr);
  EXPECT_EQ(poly->mFaces.mCount, 20);
  EXPECT_EQ(poly->mVertices.mCount, 12);
  ASSERT_NE(Pane(0), nullptr);
  ASSERT_NE(Pane(1), nullptr);
  EXPECT_EQ(Pane(0)->GetViewType(), kViewBasePolyhedron);
  EXPECT_EQ(Pane(1)->GetViewType(), kViewUnfoldedNet);
  EXPECT_EQ(Pane(0)->GetTitle(), "Icosahedron (3.3.3.3.3), W4, p17");
  EXPECT_EQ(Pane(1)->GetTitle(), "Unfolded Net for Icosahedron (3.3.3.3.3), W4, p17");
  EXPECT_TRUE(Pane(0)->Is3D());
  // The model fills the pane: the camera sees the unit sphere.
  EXPECT_NEAR(Pane(0)->GetViewAxis()[2], 1.0, 1e-12);
  EXPECT_GT(Dot(Pane(0)->GetEye(), Pane(0)->GetViewAxis()), 1.0);
  EXPECT_TRUE(corvia::testing::Platform().messages.Boxes().empty());
}

TEST_F(ProgramTest, DragTurnsTheModelAndAFastReleaseKeepsItTurning) {
  CPolyView* pane = Pane(0);
  wxUIActionSimulator mouse;
  const wxPoint centre = CentreOf(Canvas(0));
  const double before = TurnAngle(pane);

  // A slow drag of 100 pixels to the right: 30 degrees, and no throw.
  mouse.MouseMove(centre);
  YieldFor(50);
  mouse.MouseDown();
  YieldFor(50);
  for (int i = 1; i <= 10; ++i) {
    mouse.MouseMove(centre + wxPoint(10 * i, 0));
    YieldFor(20);
  }
  YieldFor(300);
  mouse.MouseUp();
  YieldUntil([] { return NewView::GetMouseButtonsHeld() == 0; });
  EXPECT_NEAR((TurnAngle(pane) - before) / kRadians, 30.0, 1e-6);
  EXPECT_EQ(GetActiveMouseThrows(), nullptr);

  // A fast drag released at once keeps turning.
  mouse.MouseMove(centre);
  YieldFor(50);
  mouse.MouseDown();
  YieldFor(20);
  for (int i = 1; i <= 8; ++i) {
    mouse.MouseMove(centre + wxPoint(12 * i, 0));
    wxTheApp->Yield(true);
    wxMilliSleep(5);
  }
  mouse.MouseUp();
  YieldUntil([] { return NewView::GetMouseButtonsHeld() == 0; });
  ASSERT_EQ(GetActiveMouseThrows(), pane->GetTumbleThrow());
  const double released = TurnAngle(pane);
  YieldFor(300);
  const double spun = TurnAngle(pane);
  EXPECT_GT(std::fabs(spun - released), 5.0 * kRadians);
  EXPECT_TRUE(CPolyApp::Get().DoIdleWork(-1.0));

  // A click on the pane stops it.
  mouse.MouseClick();
  YieldUntil([] { return GetActiveMouseThrows() == nullptr; });
  EXPECT_EQ(GetActiveMouseThrows(), nullptr);
  const double stopped = TurnAngle(pane);
  YieldFor(200);
  EXPECT_EQ(TurnAngle(pane), stopped);
}

TEST_F(ProgramTest, WheelZooms) {
  CPolyView* pane = Pane(0);
  const double distance = Dot(pane->GetEye(), pane->GetViewAxis());
  wxMouseEvent wheel(wxEVT_MOUSEWHEEL);
  wheel.m_wheelRotation = 120;
  wheel.m_wheelDelta = 120;
  wheel.m_linesPerAction = 3;
  Canvas(0)->GetEventHandler()->ProcessEvent(wheel);
  EXPECT_NEAR(Dot(pane->GetEye(), pane->GetViewAxis()), distance / 1.06, 1e-9);
  wheel.m_wheelRotation = -240;
  Canvas(0)->GetEventHandler()->ProcessEvent(wheel);
  EXPECT_NEAR(Dot(pane->GetEye(), pane->GetViewAxis()), distance * 1.06, 1e-9);
}

TEST_F(ProgramTest, AnIdleProgramPaintsNothing) {
  int paints = 0;
  auto count = [&paints](wxPaintEvent& event) {
    ++paints;
    event.Skip();
  };
  for (int i = 0; i < CountPanes(); ++i) Canvas(i)->Bind(wxEVT_PAINT, count);
  YieldFor(1000);
  EXPECT_EQ(paints, 0);
  EXPECT_FALSE(CPolyApp::Get().DoIdleWork(-1.0));
  for (int i = 0; i < CountPanes(); ++i) Canvas(i)->Unbind(wxEVT_PAINT, count);
}

TEST_F(ProgramTest, ClosingWritesTheSettings) {
  mFrame->Close(true);
  YieldUntil([] { return wxTopLevelWindows.empty(); });
  app::ShutDown();
  platform::SettingsStore written(mHome / "config" / "Corvia" / "settings.conf");
  ASSERT_FALSE(written.Load().damaged);
  const char* key = "Software\\CorviaSoft\\Corvia\\Settings";
  uint32_t number = 0;
  EXPECT_TRUE(written.GetNumber(key, "Version", number));
  EXPECT_EQ(number, 5004u);
  EXPECT_TRUE(written.GetNumber(key, "MaxUndoSize", number));
  EXPECT_EQ(number, 33554432u);
  EXPECT_TRUE(written.GetNumber(key, "EnableTransitions", number));
  EXPECT_EQ(number, 1u);
  std::string text;
  EXPECT_TRUE(written.GetString(key, "ExportNumRotations", text));
  EXPECT_EQ(text, "1/5");
  EXPECT_TRUE(written.GetString(key, "BrowseTour", text));
  EXPECT_EQ(std::filesystem::path(text), mHome / "Documents" / "Corvia" / "Tour");
  // Started again, the program reads what it wrote.
  mFrame = app::StartUp();
  platform::ServiceSet services = platform::Services();
  services.messages = &corvia::testing::Platform().messages;
  platform::InstallServices(services);
  YieldUntil([this] { return mFrame->IsShownOnScreen(); });
  EXPECT_TRUE(corvia::testing::Platform().messages.Boxes().empty());
}

}  // namespace test_Program
