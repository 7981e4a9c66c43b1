// The real program under a virtual display: every pane shows what it draws whole and
// large, judged from the screen's pixels alone (never from the camera), in the start
// layout, in each of the 25 view types, for stellations, for the dual, after a layout
// change and after a resize; and a saved scene with four panes, turned cameras and a
// running throw opens as it was left.

#include <gtest/gtest.h>
#include <wx/glcanvas.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "app/PolyApp.h"
#include "app/PolyDoc.h"
#include "app/PolyView.h"
#include "app/ViewType.h"
#include "app/WindowServices.h"
#include "core/VectorMath.h"
#include "files/ModelFile.h"
#include "model/Poly.h"
#include "nets/Model3D.h"
#include "render/GLBitmapRender.h"
#include "render/MouseThrow.h"
#include "render/NewView.h"
#include "render/Primitives.h"
#include "render/ViewThrows.h"
#include "stellation/FaceTypeBlock.h"
#include "stellation/StellationCell.h"
#include "tests/app/AppTestSupport.h"
#include "tests/app/PaneFraming.h"
#include "tests/gui/GuiTestSupport.h"
#include "tests/gui/ProgramTestSupport.h"
#include "tests/support/TestSupport.h"
#include "ui/Layouts.h"
#include "ui/PaneWindow.h"

namespace test_PaneFramingWindow {

using namespace corvia;
using corvia::testing::YieldFor;
using corvia::testing::YieldUntil;

constexpr int kCmdLayout2 = 32827;
constexpr int kCmdLayout3 = 32828;
constexpr int kCmdLayout4 = 32829;
constexpr int kCmdStellationNext = 32815;
constexpr int kCmdMillersRules = 32819;

class PaneFramingWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    mProgram = std::make_unique<corvia::testing::RunningProgram>("framing-home");
    mFrame = mProgram->Frame();
    ASSERT_NE(mFrame, nullptr);
    platform::ServiceSet services = platform::Services();
    services.messages = &corvia::testing::Platform().messages;
    platform::InstallServices(services);
    YieldUntil([this] { return mFrame->IsShownOnScreen() && GetPane(0) && GetPane(0)->GetWindow(); });
    ASSERT_TRUE(mFrame->IsShownOnScreen());
    WaitForTransitions();
    // The panes' corner texts are no part of what they frame.
    SetTextEnabled(false);
    const float* grey = GetDefaultBackgroundColor();
    for (int c = 0; c < 3; ++c) mBackground[c] = static_cast<uint8_t>(std::lround(grey[c] * 255.0f));
  }
  void TearDown() override {
    SetTextEnabled(true);
    mProgram.reset();
  }

  static CPolyDoc* Doc() { return CPolyApp::Get().GetDoc(); }
  static void WaitForTransitions() {
    YieldUntil([] { return Doc() && Doc()->CountRecords() == 1 && !GetCurrentPoly()->IsTransitionRunning(); });
    YieldFor(50);
  }
  static wxGLCanvas* Canvas(CPolyView* pane) { return static_cast<PaneWindow*>(pane->GetWindow())->GetCanvas(); }

  // The pane as the screen shows it after a paint.
  static GLBitmap Shot(CPolyView* pane) {
    pane->Invalidate(true);
    pane->UpdateNow();
    YieldFor(40);
    const wxImage image = corvia::testing::ScreenPixels(Canvas(pane));
    GLBitmap bitmap;
    bitmap.width = image.GetWidth();
    bitmap.height = image.GetHeight();
    bitmap.pixels.resize(static_cast<size_t>(bitmap.width) * bitmap.height * 4);
    for (int y = 0; y < bitmap.height; ++y) {
      for (int x = 0; x < bitmap.width; ++x) {
        uint8_t* p = bitmap.Pixel(x, y);
        p[0] = image.GetRed(x, y);
        p[1] = image.GetGreen(x, y);
        p[2] = image.GetBlue(x, y);
        p[3] = 255;
      }
    }
    return bitmap;
  }

  // Notes what is wrong with the pane's picture under the name given.
  void Check(CPolyView* pane, const std::string& what) {
    const ViewType type = pane->GetViewType();
    const GLBitmap image = Shot(pane);
    std::string problem;
    if (type == kViewMorphViaSnub) {
      // This morph has no drawing of its own: its pane stays empty.
      if (!corvia::testing::FindDrawnBox(image, mBackground).Empty()) problem = "drawn";
    } else {
      problem = corvia::testing::CheckWholeAndLarge(image, mBackground);
    }
    if (!problem.empty()) {
      mProblems.push_back(what + ", " + GetViewTypeName(type) + ": " + problem);
      corvia::testing::KeepScreenshot(Canvas(pane), ("framing-" + std::to_string(mProblems.size())).c_str());
    }
  }

  // Switches the active pane to the type as its View menu item does (by a call for the
  // types that no menu item offers), and checks it.
  void ShowAndCheck(ViewType type, const std::string& what) {
    CPolyView* pane = CPolyView::GetActive();
    ASSERT_NE(pane, nullptr);
    mFrame->GetMenuBar()->UpdateMenus();
    wxMenuItem* item = mFrame->GetMenuBar()->FindItem(ToWxId(GetViewTypeCommand(type)));
    if (item && item->IsEnabled()) {
      corvia::testing::PostMenuCommand(mFrame, GetViewTypeCommand(type));
    } else {
      pane->SetViewType(type, false);
    }
    ASSERT_EQ(pane->GetViewType(), type);
    Check(pane, what);
  }

  // The layout keys have no menu item of their own: their command goes to the window
  // as the key table sends it.
  void PressLayoutKey(int command) {
    wxCommandEvent event(wxEVT_MENU, ToWxId(command));
    event.SetEventObject(mFrame);
    mFrame->ProcessWindowEvent(event);
    YieldFor(50);
  }

  void Activate(CPolyView* pane) {
    pane->Activate(true);
    YieldFor(20);
  }

  void ExpectNoProblems() {
    EXPECT_TRUE(mProblems.empty()) << ::testing::PrintToString(mProblems);
    mProblems.clear();
    EXPECT_TRUE(corvia::testing::Platform().messages.Boxes().empty());
  }

  std::unique_ptr<corvia::testing::RunningProgram> mProgram;
  wxFrame* mFrame = nullptr;
  uint8_t mBackground[3] = {128, 128, 128};
  std::vector<std::string> mProblems;
};

// The start layout, every view type of the icosahedron, the dual side's panes of one
// element, a layout change and a resize.
TEST_F(PaneFramingWindowTest, EveryPaneOfTheIcosahedronAndItsDual) {
  Check(GetPane(0), "start");
  Check(GetPane(1), "start");
  ASSERT_NE(corvia::testing::ShowIsohedralFaceting(2), nullptr);
  Activate(GetPane(0));
  // The Compound pane is checked off screen (tests/app/PaneFramingTest.cpp); reached
  // by a call after the Faceting Preview in this window it keeps the camera it had.
  for (ViewType type : kViewTypes) {
    if (type != kViewCompound) ShowAndCheck(type, "icosahedron");
  }
  ExpectNoProblems();

  // The dual: a pane of the dual made active shows the dual's side in the others.
  ShowAndCheck(kViewDualPolyhedron, "dual");
  ASSERT_TRUE(GetCurrentPoly()->mShowDual);
  ASSERT_NE(corvia::testing::ShowIsohedralFaceting(2), nullptr);
  for (ViewType type : {kViewFace, kViewFaceOfStellation, kViewFacetingPreview, kViewStellationDiagram,
                        kViewVertexFigure, kViewFacetingDiagram, kViewUnfoldedNet, kViewFoldingNet}) {
    ShowAndCheck(type, "dual");
  }
  ExpectNoProblems();

  // Three panes, then the window narrower and lower: every pane fits again.
  ShowAndCheck(kViewBasePolyhedron, "base");
  PressLayoutKey(kCmdLayout3);
  YieldUntil([] { return CountPanes() == 3; });
  ASSERT_EQ(CountPanes(), 3);
  for (int i = 0; i < 3; ++i) Check(GetPane(i), "three panes");
  const wxSize size = mFrame->GetSize();
  mFrame->SetSize(size.x * 3 / 4, size.y * 4 / 5);
  YieldUntil([&] { return mFrame->GetSize().x < size.x; });
  YieldFor(200);
  for (int i = 0; i < 3; ++i) Check(GetPane(i), "resized");
  ExpectNoProblems();
}

// The stellations of the icosahedron after 1, 7 and 58 steps by Miller's rules, each
// framed as it is made in the stellation panes (their nets of several types too).
TEST_F(PaneFramingWindowTest, StellationsAfterMillerSteps) {
  // The criteria are the user's setting: the tests after this one find them as it did.
  struct KeepCriteria {
    const int32_t criteria = StellationCriteria;
    ~KeepCriteria() { corvia::SetStellationCriteria(criteria); }
  } keep;
  corvia::testing::PostMenuCommand(mFrame, kCmdMillersRules);
  ASSERT_EQ(StellationCriteria, kCriteriaMiller);
  CPolyView* pane = GetPane(0);
  Activate(pane);
  ShowAndCheck(kViewStellationOfBase, "unstellated");
  int steps = 0;
  bool severalNetTypes = false;
  for (int target : {1, 7, 58}) {
    for (; steps < target; ++steps) corvia::testing::PostMenuCommand(mFrame, kCmdStellationNext);
    WaitForTransitions();
    const std::string what = "after " + std::to_string(steps) + " steps";
    // The pane shows the new stellation as the change framed it.
    Check(pane, what + " as framed");
    for (ViewType type : {kViewStellationOfBase, kViewCompound, kViewFaceOfStellation, kViewStellationDiagram,
                          kViewCellDiagram, kViewUnfoldedNet, kViewFoldingNet}) {
      ShowAndCheck(type, what);
    }
    if (Model3D* model = GetCurrentPoly()->mBaseBlock->GetExistingModel3D()) {
      severalNetTypes = severalNetTypes || model->GetNumNetTypes() > 1;
    }
    ShowAndCheck(kViewStellationOfBase, what);
  }
  EXPECT_TRUE(severalNetTypes);
  ExpectNoProblems();
}

// A scene saved with four panes, two cameras turned and a throw running opens again
// with the same layout, view types, cameras and throw.
TEST_F(PaneFramingWindowTest, ASavedSceneReopensAsItWasLeft) {
  PressLayoutKey(kCmdLayout4);
  YieldUntil([] { return CountPanes() == 4; });
  ASSERT_EQ(GetCurrentLayoutIndex(), kLayout4Grid);
  GetPane(2)->SetViewType(kViewStellationOfBase, false);
  const double axis[3] = {0.3, 1.0, 0.2};
  GetPane(0)->RotateCamera(axis, 35.0);
  GetPane(3)->RotateCamera(axis, -50.0);
  for (int i = 0; i < 4; ++i) Shot(GetPane(i));
  MouseThrow* tumble = FindMouseThrow(kThrowKindTumble * kThrowIdPerKind + 0);
  ASSERT_NE(tumble, nullptr);
  std::vector<ViewType> types;
  std::vector<CameraRecord> cameras(4);
  for (int i = 0; i < 4; ++i) {
    types.push_back(GetPane(i)->GetViewType());
    GetPane(i)->GetCamera(cameras[i]);
  }
  tumble->StartThrow(40.0f, 0.0f);
  tumble->mAxis[0] = 0.0;
  tumble->mAxis[1] = 1.0;
  const std::string path = (mProgram->Home() / "scene.corv").string();
  for (int form : {kModelFileAscii, kModelFileBinary}) {
    SCOPED_TRACE(form);
    ASSERT_TRUE(WriteModelFile(path.c_str(), form, *GetCurrentPoly()));
    // Another layout, the throw stopped and the cameras back at their start.
    StopAllMouseThrows();
    PressLayoutKey(kCmdLayout2);
    YieldUntil([] { return CountPanes() == 2; });
    ASSERT_TRUE(Doc()->OnOpenDocument(path.c_str()));
    WaitForTransitions();
    ASSERT_EQ(GetCurrentLayoutIndex(), kLayout4Grid);
    ASSERT_EQ(CountPanes(), 4);
    for (int i = 1; i < 4; ++i) {
      EXPECT_EQ(GetPane(i)->GetViewType(), types[i]) << i;
      CameraRecord camera;
      GetPane(i)->GetCamera(camera);
      for (int k = 0; k < 3; ++k) {
        EXPECT_DOUBLE_EQ(camera.eye[k], cameras[i].eye[k]) << i;
        EXPECT_DOUBLE_EQ(camera.viewAxis[k], cameras[i].viewAxis[k]) << i;
        EXPECT_DOUBLE_EQ(camera.up[k], cameras[i].up[k]) << i;
      }
    }
    // The first pane turns on with its throw, about the axis it had, from the distance
    // it was left at.
    EXPECT_EQ(GetPane(0)->GetViewType(), types[0]);
    MouseThrow* restored = FindMouseThrow(kThrowKindTumble * kThrowIdPerKind + 0);
    ASSERT_NE(restored, nullptr);
    EXPECT_TRUE(restored->IsActive());
    EXPECT_FLOAT_EQ(restored->mSpeedX, 40.0f);
    EXPECT_DOUBLE_EQ(restored->mAxis[1], 1.0);
    EXPECT_NEAR(Dot(GetPane(0)->GetEye(), GetPane(0)->GetEye()), Dot(cameras[0].eye, cameras[0].eye), 1e-9);
  }
  StopAllMouseThrows();
  EXPECT_TRUE(corvia::testing::Platform().messages.Boxes().empty());
}

}  // namespace test_PaneFramingWindow
