// The real program under a virtual display: every pane shows what it draws whole and
// large, judged from the screen's pixels alone (never from the camera), in the start
// layout, in each of the 25 view types, for stellations, for the dual, after a layout
// change, after a resize and after a start on the settings the last run wrote; panes
// and bars squeezed to slivers and widened again keep their scroll bars laid out; a
// saved scene with four panes, turned cameras and a running throw opens as it was
// left, and one whose Cell Diagram pane framed nothing opens with the diagram whole.

#include <gtest/gtest.h>
#include <wx/aui/aui.h>
#include <wx/glcanvas.h>
#include <wx/uiaction.h>
#include <wx/utils.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/PolyApp.h"
#include "app/PolyDoc.h"
#include "app/PolyView.h"
#include "app/StartUp.h"
#include "app/ViewType.h"
#include "app/WindowServices.h"
#include "core/VectorMath.h"
#include "files/ModelFile.h"
#include "model/FaceTypeBlock.h"
#include "model/Poly.h"
#include "nets/Model3D.h"
#include "render/GLBitmapRender.h"
#include "render/MouseThrow.h"
#include "render/NewView.h"
#include "render/Primitives.h"
#include "render/ViewGroup.h"
#include "render/ViewThrows.h"
#include "stellation/StellationCell.h"
#include "tests/app/AppTestSupport.h"
#include "tests/app/PaneFraming.h"
#include "tests/gui/GuiTestSupport.h"
#include "tests/gui/ProgramTestSupport.h"
#include "tests/support/TestSupport.h"
#include "ui/InfoBar.h"
#include "ui/Layouts.h"
#include "ui/MainFrame.h"
#include "ui/NewFrame.h"
#include "ui/NewSplitter.h"
#include "ui/PaneWindow.h"
#include "ui/TourBar.h"

namespace test_PaneFramingWindow {

using namespace corvia;
using corvia::testing::MovePointerTo;
using corvia::testing::PressButton;
using corvia::testing::ReleaseButton;
using corvia::testing::YieldUntil;
using corvia::testing::YieldUntilHandled;

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
    Started();
    const float* grey = GetDefaultBackgroundColor();
    for (int c = 0; c < 3; ++c) mBackground[c] = static_cast<uint8_t>(std::lround(grey[c] * 255.0f));
  }
  // Waits for the program's window and model, as a person waits for the start.
  void Started() {
    platform::ServiceSet services = platform::Services();
    services.messages = &corvia::testing::Platform().messages;
    platform::InstallServices(services);
    YieldUntil([this] { return mFrame->IsShownOnScreen() && GetPane(0) && GetPane(0)->GetWindow(); });
    ASSERT_TRUE(mFrame->IsShownOnScreen());
    WaitForTransitions();
    // The panes' corner texts are no part of what they frame.
    SetTextEnabled(*GetMainFrame()->GetViewGroup(), false);
  }
  // Closes the program, which writes its settings, and starts it again on them.
  void StartAgain() {
    mFrame->Close(true);
    YieldUntil([] { return wxTopLevelWindows.empty(); });
    app::ShutDown();
    mFrame = app::StartUp();
    ASSERT_NE(mFrame, nullptr);
    Started();
  }
  void TearDown() override {
    SetTextEnabled(*GetPaneFrame().GetViewGroup(), true);
    mProgram.reset();
  }

  static CPolyDoc* Doc() { return CPolyApp::Get().GetDoc(); }
  static void WaitForTransitions() {
    YieldUntil([] { return Doc() && Doc()->CountRecords() == 1 && !GetCurrentPoly()->IsTransitionRunning(); });
    YieldUntilHandled();
  }
  static wxGLCanvas* Canvas(CPolyView* pane) { return static_cast<PaneWindow*>(pane->GetWindow())->GetCanvas(); }

  // The pane as the screen shows it after a paint (on the screen once the display has
  // handled what the paint sent it).
  static GLBitmap Shot(CPolyView* pane) {
    pane->Invalidate(true);
    pane->UpdateNow();
    YieldUntilHandled();
    return corvia::testing::ScreenBitmap(Canvas(pane));
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
    YieldUntilHandled();
  }

  // A drag with the button from one point of the window to another in small steps,
  // each waited for until the window has taken it: a pane's canvas until its view has,
  // anything else until the pointer is there.
  static void Drag(wxWindow* window, wxPoint from, wxPoint to, int button, int steps) {
    const bool pane = dynamic_cast<wxGLCanvas*>(window) != nullptr;
    wxUIActionSimulator mouse;
    MovePointerTo(mouse, window->ClientToScreen(from));
    PressButton(mouse, button);
    if (pane) YieldUntil([] { return NewView::GetMouseButtonsHeld() != 0; });
    for (int i = 1; i <= steps; ++i) {
      const wxPoint at = from + wxPoint((to.x - from.x) * i / steps, (to.y - from.y) * i / steps);
      mouse.MouseMove(window->ClientToScreen(at));
      YieldUntil([&] {
        int x = 0, y = 0;
        GetMainFrame()->GetViewGroup()->mouse.GetCurrentPoint(x, y);
        return pane ? wxPoint(x, y) == at : wxGetMouseState().GetPosition() == window->ClientToScreen(at);
      });
    }
    ReleaseButton(mouse, button);
    if (pane) YieldUntil([] { return NewView::GetMouseButtonsHeld() == 0; });
  }

  void Activate(CPolyView* pane) {
    pane->Activate(true);
    YieldUntil([pane] { return CPolyView::GetActive() == pane; });
    YieldUntilHandled();
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
  for (ViewType type : kViewTypes) ShowAndCheck(type, "icosahedron");
  ExpectNoProblems();

  // The dual: a pane of the dual made active shows the dual's side in the others.
  ShowAndCheck(kViewDualPolyhedron, "dual");
  ASSERT_TRUE(GetCurrentPoly()->mShowDual);
  ASSERT_NE(corvia::testing::ShowIsohedralFaceting(2), nullptr);
  for (ViewType type : {kViewFace, kViewFaceOfStellation, kViewFacetingPreview, kViewCompound, kViewStellationDiagram,
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
  YieldUntilHandled();
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

// The net pane zoomed in far enough for its scroll bars, then squeezed by its splitter
// bar to a sliver and widened again: the bars, which the canvas's height and the
// content's size decide between them, settle at every step; a sliver too narrow for a
// bar goes without one (the toolkit cannot lay it out); the bars come back with the
// room.
TEST_F(PaneFramingWindowTest, AZoomedNetPaneSqueezedToASliverAndBack) {
  CPolyView* net = GetPane(1);
  ASSERT_EQ(net->GetViewType(), kViewUnfoldedNet);
  auto* window = static_cast<PaneWindow*>(net->GetWindow());
  wxGLCanvas* canvas = Canvas(net);
  const wxSize size = canvas->GetClientSize();
  const float zoom = net->Mapping2D().GetZoom();
  // A right-drag upwards zooms in, a few pixels at a time: the content grows through
  // every size about the pane's.
  Drag(canvas, wxPoint(size.x / 2, size.y * 3 / 4), wxPoint(size.x / 2, size.y / 4), wxMOUSE_BTN_RIGHT, 80);
  ASSERT_GT(net->Mapping2D().GetZoom(), 1.5f * zoom);
  EXPECT_TRUE(window->HasScrollBar(false) || window->HasScrollBar(true));

  auto* frame = dynamic_cast<NewFrame*>(mFrame);
  ASSERT_NE(frame, nullptr);
  NewSplitter* splitter = frame->GetMainSplitter();
  ASSERT_NE(splitter, nullptr);
  // The splitter's bar between the two panes.
  auto barX = [&] { return splitter->GetColumnWidths()[0] + 1; };
  const int middle = barX();
  const int y = window->GetRect().GetTop() + window->GetRect().GetHeight() / 2;
  const int end = splitter->GetClientSize().x - 1;
  Drag(splitter, wxPoint(middle, y), wxPoint(end, y), wxMOUSE_BTN_LEFT, 16);
  EXPECT_LT(window->GetSize().x, 2 * window->ScrollBarSize(true));
  EXPECT_FALSE(window->HasScrollBar(false));
  EXPECT_FALSE(window->HasScrollBar(true));
  Drag(splitter, wxPoint(barX(), y), wxPoint(middle, y), wxMOUSE_BTN_LEFT, 16);
  YieldUntil([&] { return window->HasScrollBar(false) || window->HasScrollBar(true); });
  EXPECT_TRUE(window->HasScrollBar(false) || window->HasScrollBar(true));
  EXPECT_GT(net->Mapping2D().GetZoom(), 1.5f * zoom);
  EXPECT_TRUE(corvia::testing::Platform().messages.Boxes().empty());
}

// The docked information and tour bars squeezed by the manager's sashes to slivers,
// one against the other and both against the window's edge: their lists go without
// scroll bars while there is no room to lay them out, and have them again with the
// room.
TEST_F(PaneFramingWindowTest, TheDockedBarsSqueezedToSliversAndBack) {
  auto* frame = dynamic_cast<CMainFrame*>(mFrame);
  ASSERT_NE(frame, nullptr);
  InfoBar* info = frame->GetInfoBar();
  CTourBar* tour = frame->GetTourBar();
  ASSERT_TRUE(info && tour && info->IsShownOnScreen() && tour->IsShownOnScreen());
  YieldUntil([] { return GetInfoUpdateFlags() == 0; });
  InfoTree* tree = info->GetTree();
  ASSERT_TRUE(tree->IsScrollbarShown(wxVERTICAL));
  auto rect = [&](wxWindow* w) { return wxRect(mFrame->ScreenToClient(w->GetScreenPosition()), w->GetSize()); };
  // A sash lies outside the border of the bar before it.
  wxAuiDockArt* art = frame->GetAuiManager().GetArtProvider();
  const int off = art->GetMetric(wxAUI_DOCKART_PANE_BORDER_SIZE) + art->GetMetric(wxAUI_DOCKART_SASH_SIZE) / 2 + 1;

  // The sash between the bars, up to the top of the information bar and back.
  const int x = rect(info).x + rect(info).width / 2;
  auto between = [&] { return rect(info).GetBottom() + off; };
  const int middle = between();
  Drag(mFrame, wxPoint(x, middle), wxPoint(x, rect(info).GetTop()), wxMOUSE_BTN_LEFT, 12);
  EXPECT_LT(info->GetClientSize().y, 60);
  EXPECT_FALSE(tree->IsScrollbarShown(wxVERTICAL));
  Drag(mFrame, wxPoint(x, between()), wxPoint(x, middle), wxMOUSE_BTN_LEFT, 10);
  EXPECT_TRUE(tree->IsScrollbarShown(wxVERTICAL));

  // The sash between the panes and the bars, to the window's right edge and back.
  const int y = rect(info).y + rect(info).height / 2;
  const int left = rect(info).GetLeft() - off;
  Drag(mFrame, wxPoint(left, y), wxPoint(mFrame->GetClientSize().x - 1, y), wxMOUSE_BTN_LEFT, 12);
  EXPECT_LT(info->GetClientSize().x, 60);
  EXPECT_FALSE(tree->IsScrollbarShown(wxVERTICAL));
  Drag(mFrame, wxPoint(rect(info).GetLeft() - off, y), wxPoint(left, y), wxMOUSE_BTN_LEFT, 12);
  EXPECT_TRUE(tree->IsScrollbarShown(wxVERTICAL));
  EXPECT_TRUE(corvia::testing::Platform().messages.Boxes().empty());
}

// The program closed in three panes with a smaller window and started again on the
// settings it wrote: every pane frames its model at the start, the folding net whole
// also once it is turned.
TEST_F(PaneFramingWindowTest, StartedAgainAsTheLastRunLeftIt) {
  PressLayoutKey(kCmdLayout3);
  YieldUntil([] { return CountPanes() == 3; });
  ASSERT_EQ(CountPanes(), 3);
  const wxSize size = mFrame->GetSize();
  mFrame->SetSize(size.x * 4 / 5, size.y * 5 / 6);
  YieldUntil([&] { return mFrame->GetSize().x < size.x; });
  StartAgain();
  ASSERT_EQ(CountPanes(), 3);
  EXPECT_LT(mFrame->GetSize().x, size.x);
  for (int i = 0; i < 3; ++i) Check(GetPane(i), "started again");
  CPolyView* folding = GetPane(2);
  ASSERT_EQ(folding->GetViewType(), kViewFoldingNet);
  const wxSize pane = Canvas(folding)->GetClientSize();
  Drag(Canvas(folding), wxPoint(pane.x * 3 / 4, pane.y / 2), wxPoint(pane.x / 4, pane.y / 2 + 20), wxMOUSE_BTN_LEFT,
       25);
  StopAllMouseThrows();
  Check(folding, "turned");
  ExpectNoProblems();
}

// The information tree with its stellation and nets branches open while the
// stellation panes are shown: both follow each step, and describe the dual's
// stellation once its pane is the active one, as the net pane beside it, which takes
// the dual's name and is framed again.
TEST_F(PaneFramingWindowTest, TheInfoTreeAndTheNetPaneFollowTheStellationShown) {
  auto* frame = dynamic_cast<CMainFrame*>(mFrame);
  ASSERT_NE(frame, nullptr);
  InfoTree* tree = frame->GetInfoBar()->GetTree();
  auto rebuilt = [] { YieldUntil([] { return GetInfoUpdateFlags() == 0; }); };
  auto text = [&](int key) {
    const wxTreeItemId item = FindItemInTree(tree, key, true);
    return item.IsOk() ? tree->GetItemText(item).utf8_string() : std::string("<none>");
  };
  rebuilt();
  for (int key : {kInfoStellation, kInfoNets}) {
    tree->Expand(FindItemInTree(tree, key, true));
    rebuilt();
  }
  CPolyView* model = GetPane(0);
  CPolyView* net = GetPane(1);
  Activate(model);
  ShowAndCheck(kViewStellationOfBase, "stellation");
  // The nets line counts what the net pane shows: "Net type 1 of N.".
  auto netTypesShown = [&] {
    const std::string status = net->Drawing().GetPaneStatusText();
    const size_t of = status.find(" of ");
    return of == std::string::npos ? std::string("?") : status.substr(of + 4, status.find('.', of) - of - 4);
  };
  std::vector<std::string> used;
  for (int step = 0; step < 3; ++step) {
    corvia::testing::PostMenuCommand(mFrame, kCmdStellationNext);
    WaitForTransitions();
    rebuilt();
    used.push_back(text(kInfoNumSelCells));
    EXPECT_NE(used.back().find(" used in current stellation"), std::string::npos) << used.back();
    Check(net, "stellation step");
    const std::string nets = text(kInfoNumNets);
    EXPECT_NE(nets.find(" of " + netTypesShown() + " type"), std::string::npos)
        << nets << " / " << net->Drawing().GetPaneStatusText();
  }
  EXPECT_NE(used[0], used[1]);
  EXPECT_NE(used[1], used[2]);

  // The dual's stellation, unstellated: the dodecahedron's single cell and its twelve
  // pentagons.
  ShowAndCheck(kViewStellationOfDual, "dual stellation");
  rebuilt();
  EXPECT_EQ(text(kInfoNumSelCells), "1 cell of 1 type used in current stellation");
  EXPECT_EQ(text(kInfoNumFacelets), "12 facelets of 1 type");
  EXPECT_EQ(net->GetTitle().rfind("Unfolded Net for Dodecahedron", 0), 0u) << net->GetTitle();
  Check(net, "dual's net");
  // Back on the base side, the base stellation's lines and net again.
  ShowAndCheck(kViewStellationOfBase, "stellation again");
  rebuilt();
  EXPECT_EQ(text(kInfoNumSelCells), used.back());
  EXPECT_EQ(net->GetTitle().rfind("Unfolded Net for Icosahedron", 0), 0u) << net->GetTitle();
  Check(net, "base net again");
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
  GetPane(0)->Camera().RotateCamera(axis, 35.0);
  GetPane(3)->Camera().RotateCamera(axis, -50.0);
  for (int i = 0; i < 4; ++i) Shot(GetPane(i));
  MouseThrow* tumble = FindMouseThrow(kThrowKindTumble * kThrowIdPerKind + 0);
  ASSERT_NE(tumble, nullptr);
  std::vector<ViewType> types;
  std::vector<CameraRecord> cameras(4);
  for (int i = 0; i < 4; ++i) {
    types.push_back(GetPane(i)->GetViewType());
    GetPane(i)->Camera().GetCamera(cameras[i]);
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
      GetPane(i)->Camera().GetCamera(camera);
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
    EXPECT_NEAR(Dot(GetPane(0)->Camera().GetEye(), GetPane(0)->Camera().GetEye()), Dot(cameras[0].eye, cameras[0].eye),
                1e-9);
  }
  StopAllMouseThrows();
  EXPECT_TRUE(corvia::testing::Platform().messages.Boxes().empty());
}

// A scene whose Cell Diagram pane was saved before its diagram was there (a camera
// that frames nothing) opens with the whole diagram in that pane, as a fresh fit
// frames it; a zoom made on it afterwards is kept by the paints that follow.
TEST_F(PaneFramingWindowTest, AnUnframedCellDiagramInASceneIsFittedAndAZoomIsKept) {
  PressLayoutKey(kCmdLayout2);
  YieldUntil([] { return CountPanes() == 2; });
  GetPane(1)->SetViewType(kViewCellDiagram, false);
  Check(GetPane(1), "cell diagram chosen");
  CameraRecord fitted;
  GetPane(1)->Camera().GetCamera(fitted);
  CameraRecord unframed;
  unframed.valid = 1;
  GetPane(1)->Camera().SetCamera(unframed);
  const std::string path = (mProgram->Home() / "unframed-cells.corv").string();
  ASSERT_TRUE(WriteModelFile(path.c_str(), kModelFileAscii, *GetCurrentPoly()));
  ASSERT_TRUE(Doc()->OnOpenDocument(path.c_str()));
  WaitForTransitions();
  ASSERT_EQ(CountPanes(), 2);
  CPolyView* cells = GetPane(1);
  ASSERT_EQ(cells->GetViewType(), kViewCellDiagram);
  Check(cells, "cell diagram of the scene");
  EXPECT_FLOAT_EQ(cells->Mapping2D().GetZoom(), fitted.zoom);
  for (int k = 0; k < 4; ++k) EXPECT_FLOAT_EQ(cells->Mapping2D().GetExtents2D()[k], fitted.extents2D[k]) << k;
  const wxSize size = Canvas(cells)->GetClientSize();
  cells->Mapping2D().Zoom2DAt(4.0, size.x / 2, size.y / 2);
  Shot(cells);
  EXPECT_FLOAT_EQ(cells->Mapping2D().GetZoom(), 4.0f * fitted.zoom);
  ExpectNoProblems();
}

// Four panes, the last made a Cross-Section from the View menu, in which Up steps the
// stellation that the nets show; File > Save As and File > Open give back every pane
// as it was, pixel for pixel, and the pane that was active. The nets once came back
// as the model's own.
TEST_F(PaneFramingWindowTest, AStellationSteppedInTheCrossSectionPaneReopensAsSaved) {
  platform::ServiceSet services = platform::Services();
  services.fileDialogs = &corvia::testing::Platform().fileDialogs;
  platform::InstallServices(services);
  PressLayoutKey(kCmdLayout4);
  YieldUntil([] { return CountPanes() == 4; });
  ASSERT_EQ(CountPanes(), 4);
  CPolyView* section = GetPane(3);
  wxGLCanvas* canvas = Canvas(section);
  corvia::testing::ClickAt(canvas, wxPoint(8, canvas->GetClientSize().y - 8));
  YieldUntil([section] { return CPolyView::GetActive() == section; });
  ShowAndCheck(kViewCrossSection, "cross-section");
  FaceTypeBlock* block = GetCurrentPoly()->mBaseBlock.get();
  canvas->SetFocus();
  YieldUntil([canvas] { return wxWindow::FindFocus() == canvas; });
  wxUIActionSimulator keys;
  keys.Char(WXK_UP);
  YieldUntil([&] { return block->IsStellated() && !FaceTypeBlock::IsOriginalStellation(block); });
  ASSERT_FALSE(FaceTypeBlock::IsOriginalStellation(block));
  WaitForTransitions();
  std::vector<GLBitmap> saved;
  std::vector<std::string> said;
  for (int i = 0; i < 4; ++i) {
    saved.push_back(Shot(GetPane(i)));
    said.push_back(GetPane(i)->Drawing().GetPaneStatusText() + " | " + GetPane(i)->GetTitle());
  }

  const std::string path = (mProgram->Home() / "stepped.corv").string();
  corvia::testing::Platform().fileDialogs.QueueChoice(path);
  corvia::testing::PostMenuCommand(mFrame, 57604);  // File > Save As...
  ASSERT_TRUE(std::filesystem::exists(path));
  // Another pane clicked, which takes the keys; the file gives them back to the one
  // that had them.
  wxGLCanvas* first = Canvas(GetPane(0));
  corvia::testing::ClickAt(first, wxPoint(8, first->GetClientSize().y - 8));
  YieldUntil([&] { return CPolyView::GetActive() == GetPane(0) && wxWindow::FindFocus() == first; });
  corvia::testing::Platform().fileDialogs.QueueChoice(path);
  corvia::testing::PostMenuCommand(mFrame, 57601);  // File > Open...
  WaitForTransitions();
  ASSERT_EQ(CountPanes(), 4);
  EXPECT_EQ(CPolyView::GetActive(), GetPane(3));
  EXPECT_EQ(wxWindow::FindFocus(), Canvas(GetPane(3)));
  for (int i = 0; i < 4; ++i) {
    const GLBitmap shot = Shot(GetPane(i));
    ASSERT_EQ(shot.width, saved[i].width) << i;
    ASSERT_EQ(shot.height, saved[i].height) << i;
    size_t differ = 0;
    for (size_t p = 0; p < shot.pixels.size(); p += 4) {
      differ += !std::equal(&shot.pixels[p], &shot.pixels[p] + 3, &saved[i].pixels[p]);
    }
    EXPECT_EQ(differ, 0u) << GetViewTypeName(GetPane(i)->GetViewType());
    if (differ) corvia::testing::KeepScreenshot(Canvas(GetPane(i)), ("reopened-" + std::to_string(i)).c_str());
    EXPECT_EQ(GetPane(i)->Drawing().GetPaneStatusText() + " | " + GetPane(i)->GetTitle(), said[i]);
  }
  EXPECT_TRUE(corvia::testing::Platform().messages.Boxes().empty());
}

}  // namespace test_PaneFramingWindow
