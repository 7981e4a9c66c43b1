// A model of 72,000 faces in the running program: opening its file paints the panes
// at once and makes the nets afterwards, when the program is idle, under the progress
// window; meanwhile the panes repaint and the menus answer (a command chosen waits for
// the nets, which go on to their end), and Cancel leaves the program
// as it was, usable; a long stellation made the same way asks first and can be
// cancelled in any phase. A clock that moves whenever it is read lets the test act
// while the work is being done (it reads the clock as it reports).

#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/evtloop.h>
#include <wx/frame.h>
#include <wx/glcanvas.h>
#include <wx/menu.h>
#include <wx/modalhook.h>
#include <wx/stattext.h>
#include <wx/timer.h>
#include <wx/uiaction.h>

#include <array>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/PolyApp.h"
#include "app/PolyDoc.h"
#include "app/PolyView.h"
#include "app/ModelUndo.h"
#include "app/UndoList.h"
#include "app/ViewType.h"
#include "app/WindowServices.h"
#include "core/Progress.h"
#include "dialogs/ModelDialogs.h"
#include "files/ModelFile.h"
#include "model/FaceTypeBlock.h"
#include "model/Poly.h"
#include "nets/Model3D.h"
#include "platform/Clock.h"
#include "platform/wx/WxProgress.h"
#include "render/FaceMeshCache.h"
#include "render/FlatNetMesh.h"
#include "render/PairLineLayer.h"
#include "stellation/DeferredModelWork.h"
#include "stellation/Faceting.h"
#include "stellation/StellationCell.h"
#include "tests/app/AppTestSupport.h"
#include "tests/gui/ProgramTestSupport.h"
#include "tests/nets/NetChecks.h"
#include "ui/CommandIds.h"
#include "ui/InfoBar.h"
#include "ui/InfoContents.h"
#include "ui/MainFrame.h"
#include "ui/PaneWindow.h"
#include "ui/Toolbars.h"

namespace test_LargeModel {

using namespace corvia;
using corvia::testing::Platform;

// File > Open..., Edit > Undo
constexpr int kCmdOpen = 57601;
constexpr int kCmdUndo = 57643;
constexpr int kFrequency = 60;  // 72,000 faces
constexpr int kFaces = 20 * kFrequency * kFrequency;

// Moves on a twentieth of a second (or the step given) whenever it is read, and calls
// the test's hook first (not from inside the hook itself).
class SteppingClock final : public platform::Clock {
 public:
  double NowSeconds() const override {
    mNow += step;
    if (onRead && !mInHook) {
      mInHook = true;
      onRead();
      mInHook = false;
    }
    return mNow;
  }
  std::function<void()> onRead;
  double step = 0.05;

 private:
  mutable double mNow = 1000.0;
  mutable bool mInHook = false;
};

// The file dialogs: the next one chooses the file given, the others are cancelled;
// each notes what the nets were doing when it was asked.
class NotingFileDialogs final : public platform::FileDialogFrontEnd {
 public:
  platform::FileDialogReply RunFileDialog(const platform::FileDialogRequest& request) override {
    FaceTypeBlock* block = GetCurrentPoly() ? GetCurrentPoly()->GetShownBlock() : nullptr;
    asked.push_back({block && block->HasNets(), IsProgressActive()});
    platform::FileDialogReply reply{!next.empty(), next, request.filterIndex};
    next.clear();
    return reply;
  }
  struct Asked {
    bool hadNets;
    bool progressActive;
  };
  std::vector<Asked> asked;
  std::string next;
};

// Answers the complexity warnings as the user does, in turn: a click on Proceed anyway
// where the script says so (and past its end), else Escape. A box that takes no answer
// is closed and counted.
struct WarningAnswers final : wxModalDialogHook, wxTimer {
  explicit WarningAnswers(std::vector<bool> script = {}) : proceed(std::move(script)) { Register(); }
  ~WarningAnswers() override { Unregister(); }
  int Enter(wxDialog* dialog) override {
    mDialog = dialog;
    ++shown;
    mTries = 0;
    Start(100);
    return wxID_NONE;
  }
  void Exit(wxDialog*) override {
    mDialog = nullptr;
    Stop();
  }
  void Notify() override {
    if (!mDialog) return;
    if (++mTries > 30) {
      ++stuck;
      mDialog->EndModal(wxID_CANCEL);
      return;
    }
    auto* button = dynamic_cast<wxButton*>(mDialog->FindWindowByLabel("Proceed anyway"));
    if (!button || !button->IsShownOnScreen()) return;
    wxUIActionSimulator user;
    if (shown > proceed.size() || proceed[shown - 1]) {
      user.MouseMove(button->ClientToScreen(wxPoint(button->GetClientSize().x / 2, button->GetClientSize().y / 2)));
      user.MouseClick();
    } else {
      user.Char(WXK_ESCAPE);
    }
  }
  std::vector<bool> proceed;
  size_t shown = 0;
  wxDialog* mDialog = nullptr;
  int mTries = 0;
  int stuck = 0;
};

class LargeModelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    StartProgram();
    ASSERT_NE(mFrame, nullptr);
    SetTransitionsEnabled(false);
    Platform().messages.Clear();
    ASSERT_EQ(GetPane(1)->GetViewType(), kViewUnfoldedNet);
  }

  // The program started (again), its boxes, file dialogs, dialogs and clock the test's.
  void StartProgram() {
    mProgram.reset();
    mProgram = std::make_unique<corvia::testing::RunningProgram>("large-model-home");
    mFrame = mProgram->Frame();
    if (!mFrame) return;
    platform::ServiceSet services = platform::Services();
    services.messages = &Platform().messages;
    services.fileDialogs = &mFileDialogs;
    services.dialogs = &Platform().dialogs;
    services.clock = &mClock;
    platform::InstallServices(services);
    corvia::testing::YieldUntil([this] { return mFrame->IsShownOnScreen() && CountPanes() >= 2 && Doc(); });
    Doc()->EndAllTransitions();
  }

  void TearDown() override {
    mClock.onRead = nullptr;
    SetTransitionsEnabled(true);
    mProgram.reset();
  }

  // The model file brings its own length scale: the settings are put back after.
  corvia::testing::nets::SettingsGuard mSettings;

  static CPolyDoc* Doc() { return CPolyApp::Get().GetDoc(); }
  static FaceTypeBlock* Block() { return GetCurrentPoly() ? GetCurrentPoly()->GetShownBlock() : nullptr; }
  static Model3D* Facets() { return Block() ? Block()->GetExistingModel3D() : nullptr; }
  static bool MakingNets() { return Facets() && Facets()->IsMakingNets(); }
  static wxGLCanvas* Canvas(int i) { return static_cast<PaneWindow*>(GetPane(i)->GetWindow())->GetCanvas(); }

  // The geodesic sphere written once for every test.
  static const std::string& LargeModelFile() {
    static const std::string path = [] {
      const std::filesystem::path file = corvia::testing::ScratchDir("large-model-file") / "sphere.corv";
      std::unique_ptr<Poly> poly = corvia::testing::nets::BuildGeodesicPoly(kFrequency);
      if (!poly || !WriteModelFile(file.string().c_str(), kModelFileBinary, *poly)) return std::string();
      return file.string();
    }();
    return path;
  }

  void OpenLargeModel() {
    mFileDialogs.next = LargeModelFile();
    corvia::testing::PostMenuCommand(mFrame, kCmdOpen);
  }

  // The geodesic sphere of frequency 5 on the octahedron (200 faces), whose stellation
  // asks first: the warning is shown on screen from now on.
  Poly* MakeSphereThatWarns() {
    platform::ServiceSet services = platform::Services();
    services.messages = &mWarning;
    platform::InstallServices(services);
    dynamic_cast<CMainFrame*>(mFrame)->GetMainToolBar()->OpenTypedModel("Octahedron");
    Platform().messages.QueueText("5");
    corvia::testing::PostMenuCommand(mFrame, kCmdGeodesicSphere);
    corvia::testing::YieldUntil([] { return GetCurrentPoly()->mFaces.mCount == 200 && !IsProgressActive(); });
    return GetCurrentPoly();
  }

  // The progress window's Cancel while the nets are made under it, else null.
  static wxButton* CancelOfTheNets() {
    wxWindow* progress = platform::WxProgress::GetOpenWindow();
    if (!MakingNets() || !progress || !progress->IsShownOnScreen()) return nullptr;
    return dynamic_cast<wxButton*>(progress->FindWindow(wxID_CANCEL));
  }
  // The user's click in the middle of a button.
  static void ClickMiddleOf(wxUIActionSimulator& user, const wxWindow* button) {
    user.MouseMove(button->ClientToScreen(wxPoint(button->GetClientSize().x / 2, button->GetClientSize().y / 2)));
    user.MouseClick();
  }

  // Lets wx work until the condition holds, at most the given seconds.
  static bool YieldUntilFor(int seconds, const std::function<bool()>& done) {
    return corvia::testing::YieldUntil(done, std::chrono::seconds(seconds));
  }

  // Counts the paints of a pane's canvas.
  struct PaintCounter {
    PaintCounter(wxWindow* window) : mWindow(window) { mWindow->Bind(wxEVT_PAINT, &PaintCounter::OnPaint, this); }
    ~PaintCounter() { mWindow->Unbind(wxEVT_PAINT, &PaintCounter::OnPaint, this); }
    void OnPaint(wxPaintEvent& event) {
      ++count;
      event.Skip();
    }
    wxWindow* mWindow;
    int count = 0;
  };

  std::unique_ptr<corvia::testing::RunningProgram> mProgram;
  wxFrame* mFrame = nullptr;
  SteppingClock mClock;
  NotingFileDialogs mFileDialogs;
  // The stellation's complexity warning on screen.
  corvia::testing::BoxesOnScreen mWarning{"WARNING"};
};

TEST_F(LargeModelTest, NetsAreMadeWhenIdleWhileThePanesRepaintAndTheMenusAnswer) {
  ASSERT_FALSE(LargeModelFile().empty());
  PaintCounter modelPaints(Canvas(0)), netPaints(Canvas(1));
  // What the test sees while the nets are made, read by the clock's hook.
  bool started = false, startedWhileDrawing = false, facesWaitedForNets = false, windowSeen = false, repainted = false;
  int paintsBeforeNets = -1, paintsWhenAsked = -1, step = 0, readsAtStep = 0, reads = 0, windows = 0;
  unsigned recordedBefore = 0;
  const wxWindow* lastWindow = nullptr;
  wxUIActionSimulator user;
  mClock.onRead = [&] {
    if (!MakingNets()) return;
    ++reads;
    if (!started) {
      started = true;
      // The first report of the nets: the panes have painted the model, and no pane
      // is drawing now (a drawing that waited on the nets would be).
      startedWhileDrawing = IsDrawingContextHeld();
      paintsBeforeNets = modelPaints.count;
      // The model pane shows the model while its nets are made: its faces, recorded
      // when idle for a model this large, do not wait for them.
      facesWaitedForNets = HasDeferredFaceMeshes() || GetFaceMeshStatistics().recorded == recordedBefore;
    }
    if (!platform::WxProgress::GetOpenWindow()) return;
    windowSeen = true;
    if (platform::WxProgress::GetOpenWindow() != lastWindow) ++windows;
    lastWindow = platform::WxProgress::GetOpenWindow();
    if (step == 0) {
      paintsWhenAsked = modelPaints.count;
      Canvas(0)->Refresh();
      step = 1;
    } else if (step == 1 && modelPaints.count > paintsWhenAsked) {
      // The model pane painted again while the nets are being made. The user opens
      // the File menu and chooses Open... (the dialog's script cancels it).
      repainted = true;
      wxMenuBar* bar = mFrame->GetMenuBar();
      user.MouseMove(bar->ClientToScreen(wxPoint(18, bar->GetClientSize().y / 2)));
      user.MouseClick();
      step = 2;
      readsAtStep = reads;
    } else if (step >= 2 && step <= 4 && reads - readsAtStep > 20) {
      // Down to the second item, Open..., and Enter.
      user.Char(step == 4 ? WXK_RETURN : WXK_DOWN);
      ++step;
      readsAtStep = reads;
    }
  };

  const int pathAsked = static_cast<int>(mFileDialogs.asked.size());
  recordedBefore = GetFaceMeshStatistics().recorded;
  OpenLargeModel();
  ASSERT_EQ(GetCurrentPoly()->mFaces.mCount, kFaces);
  // Opening the file made no nets: the panes ask for them as they paint, and the
  // program makes them when it is next idle.
  EXPECT_FALSE(Block()->HasNets());
  EXPECT_TRUE(YieldUntilFor(240, [] { return Block()->HasNets() && !HasDeferredModelWork(); }));
  mClock.onRead = nullptr;

  EXPECT_TRUE(started);
  EXPECT_FALSE(startedWhileDrawing);
  EXPECT_FALSE(facesWaitedForNets);
  EXPECT_GT(paintsBeforeNets, 0);
  EXPECT_GT(netPaints.count, 0);
  EXPECT_TRUE(windowSeen);
  EXPECT_TRUE(repainted);
  EXPECT_EQ(step, 5);
  // The command chosen from the menu waited for the nets, which went on to their end
  // rather than stopping and starting again: one progress window, and the command ran
  // once the nets were made.
  EXPECT_EQ(windows, 1);
  corvia::testing::YieldUntil([&] { return static_cast<int>(mFileDialogs.asked.size()) == pathAsked + 2; });
  ASSERT_EQ(static_cast<int>(mFileDialogs.asked.size()), pathAsked + 2);
  const NotingFileDialogs::Asked chosen = mFileDialogs.asked.back();
  EXPECT_TRUE(chosen.hadNets);
  EXPECT_FALSE(chosen.progressActive);
  EXPECT_EQ(GetCurrentPoly()->mFaces.mCount, kFaces);
  corvia::testing::YieldUntil([] { return GetPane(1)->Drawing().GetPaneStatusText().rfind("Net type 1 of ", 0) == 0; });
  EXPECT_EQ(GetPane(1)->Drawing().GetPaneStatusText().rfind("Net type 1 of ", 0), 0u) << GetPane(1)->Drawing().GetPaneStatusText();
  EXPECT_EQ(Platform().messages.Boxes().size(), 0u);
}

// The frames each pane swaps as it paints, and those swapped in the turn of the frame
// before: a timer started at a frame's end fires only at a later turn of the loop, or
// of the progress window's pump, whose turns also end at Turned().
struct SwappedFrames final : wxEventFilter {
  SwappedFrames() { wxEvtHandler::AddFilter(this); }
  ~SwappedFrames() override { wxEvtHandler::RemoveFilter(this); }
  int FilterEvent(wxEvent& event) override {
    const int pane = event.GetEventObject() == Canvas(0) ? 0 : event.GetEventObject() == Canvas(1) ? 1 : -1;
    if (event.GetEventType() != wxEVT_PAINT || pane < 0 || painting) return Event_Skip;
    const unsigned before = GetPane(pane)->Frames().GetFrameCounts().swapped;
    painting = true;
    Canvas(pane)->GetEventHandler()->ProcessEvent(event);
    painting = false;
    if (GetPane(pane)->Frames().GetFrameCounts().swapped == before) return Event_Processed;
    ++frames[pane];
    if (turn.IsRunning()) ++inOneTurn;
    turn.StartOnce(1);
    return Event_Processed;
  }
  void Turned() { turn.Stop(); }
  void Clear() { frames[0] = frames[1] = inOneTurn = 0; }
  static wxGLCanvas* Canvas(int i) { return static_cast<PaneWindow*>(GetPane(i)->GetWindow())->GetCanvas(); }

  int frames[2] = {0, 0};
  int inOneTurn = 0;
  bool painting = false;
  wxTimer turn;
};

// The panes' paints that a click asks for, each a long one here: the window answers
// between them (GTK would paint both in one turn), and both panes show the new frame.
// A pane put off is painted at a turn after the long paint, also when it was put off
// before that paint began (while another pane put off waited) and again after it.
TEST_F(LargeModelTest, TwoLongPaintsAskedForInOneTurnArePaintedInTurnsOfTheirOwn) {
  PanePaintTurns& turns = static_cast<NewFrame*>(mFrame)->GetPanePaintTurns();
  turns.longPaintSeconds = 0.0;
  SwappedFrames draws;
  // Every paint done, put off or asked for.
  const auto settled = [&] {
    return !IsProgressActive() && !HasDeferredModelWork() && !turns.putOff && !turns.longPaint &&
           !corvia::testing::HasQueuedEvents();
  };
  ASSERT_TRUE(YieldUntilFor(30, settled));
  draws.Clear();
  // The click selects the face in the middle of the model pane: both panes draw it.
  wxUIActionSimulator user;
  ClickMiddleOf(user, Canvas(0));
  EXPECT_TRUE(YieldUntilFor(10, [&] { return draws.frames[0] && draws.frames[1] && GetCurrentPoly()->mSelectedItem; }));
  EXPECT_TRUE(YieldUntilFor(10, settled));
  EXPECT_EQ(draws.inOneTurn, 0);
}

// The same while work runs under the progress window: its pump paints one long paint a
// turn too, and the pane put off paints while the work still runs.
TEST_F(LargeModelTest, TwoLongPaintsAskedForInOneTurnOfTheProgressPumpArePaintedInTurnsOfTheirOwn) {
  PanePaintTurns& turns = static_cast<NewFrame*>(mFrame)->GetPanePaintTurns();
  turns.longPaintSeconds = 0.0;
  SwappedFrames draws;
  ASSERT_TRUE(YieldUntilFor(30, [&] {
    return !IsProgressActive() && !HasDeferredModelWork() && !turns.putOff && !turns.longPaint &&
           !corvia::testing::HasQueuedEvents();
  }));
  bool windowShown = false, activeToTheEnd = false;
  // The work runs from the program's running loop, as a command's does.
  wxGUIEventLoop loop;
  wxTheApp->CallAfter([&] {
    {
      ProgressScope progress;
      // Each tick pumps at most once: a turn. The window opens after a second of the clock.
      const auto tick = [&] {
        ProgressTick(0.5, "Working");
        draws.Turned();
      };
      const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
      while (!windowShown && std::chrono::steady_clock::now() < until) {
        tick();
        wxWindow* window = platform::WxProgress::GetOpenWindow();
        windowShown = window && window->IsShownOnScreen();
      }
      draws.Clear();
      Canvas(0)->Refresh();
      Canvas(1)->Refresh();
      while (windowShown && !(draws.frames[0] && draws.frames[1]) && std::chrono::steady_clock::now() < until) tick();
      activeToTheEnd = IsProgressActive();
    }
    loop.ScheduleExit();
  });
  loop.Run();
  EXPECT_TRUE(windowShown);
  EXPECT_TRUE(activeToTheEnd);
  EXPECT_GT(draws.frames[0], 0);
  EXPECT_GT(draws.frames[1], 0);
  EXPECT_EQ(draws.inOneTurn, 0);
}

TEST_F(LargeModelTest, CancelLeavesTheModelAndThePanesAsTheyWereAndTheProgramUsable) {
  ASSERT_FALSE(LargeModelFile().empty());
  bool cancelled = false;
  wxUIActionSimulator user;
  mClock.onRead = [&] {
    wxButton* cancel = cancelled ? nullptr : CancelOfTheNets();
    if (!cancel) return;
    ClickMiddleOf(user, cancel);
    cancelled = true;
  };
  OpenLargeModel();
  Poly* poly = GetCurrentPoly();
  ASSERT_EQ(poly->mFaces.mCount, kFaces);
  EXPECT_TRUE(YieldUntilFor(240, [&] { return cancelled && !MakingNets() && !IsProgressActive(); }));
  mClock.onRead = nullptr;
  ASSERT_TRUE(cancelled);
  // No nets, and they are not asked for again by the panes as they repaint.
  PaintCounter modelPaints(Canvas(0)), netPaints(Canvas(1));
  GetPane(0)->Invalidate(true);
  GetPane(1)->Invalidate(true);
  EXPECT_TRUE(YieldUntilFor(30, [&] { return modelPaints.count > 0; }));
  // Both panes painted, and the idle time after, when work they asked for would start.
  YieldUntilFor(30, [&] { return netPaints.count > 0; });
  corvia::testing::YieldUntilHandled();
  EXPECT_EQ(GetCurrentPoly(), poly);
  EXPECT_EQ(poly->mFaces.mCount, kFaces);
  EXPECT_FALSE(Block()->HasNets());
  EXPECT_FALSE(HasDeferredModelWork());
  EXPECT_EQ(GetPane(1)->Drawing().GetPaneStatusText(), "No nets.");
  EXPECT_EQ(GetPane(0)->GetViewType(), kViewBasePolyhedron);

  // Usable: the net pane, made a model pane and a net pane again, asks for the nets,
  // and they are made.
  corvia::testing::ClickAt(Canvas(1), wxPoint(8, Canvas(1)->GetClientSize().y - 8));
  corvia::testing::YieldUntil([] { return CPolyView::AsPolyView(NewView::GetActiveView()) == GetPane(1); });
  ASSERT_EQ(CPolyView::AsPolyView(NewView::GetActiveView()), GetPane(1));
  corvia::testing::PostMenuCommand(mFrame, GetViewTypeCommand(kViewBasePolyhedron));
  corvia::testing::PostMenuCommand(mFrame, GetViewTypeCommand(kViewUnfoldedNet));
  EXPECT_TRUE(YieldUntilFor(240, [] { return Block()->HasNets() && !HasDeferredModelWork(); }));
  EXPECT_EQ(Platform().messages.Boxes().size(), 0u);
}

// Poly > Subdivide Faces... of the cube into 30 parts: one net of 21,600 facelets. The
// paint of the Unfolded Net pane once the nets are made gathers none of them: the idle
// work does, under a progress window of its own, and its Cancel keeps the model made
// (and its undo step), the part of the net gathered shown and not asked for again.
TEST_F(LargeModelTest, TheNetOfManyFaceletsIsGatheredWhenIdleAndItsCancelKeepsTheModel) {
  constexpr int kParts = 30, kSubdividedFaces = 6 * 4 * kParts * kParts;
  dynamic_cast<CMainFrame*>(mFrame)->GetMainToolBar()->OpenTypedModel("Cube");
  corvia::testing::YieldUntil([] { return GetCurrentPoly()->mFaces.mCount == 6 && !IsProgressActive(); });
  const unsigned long start = CountFlatNetFaceletsGathered();
  bool cancelled = false;
  std::string seen;
  wxUIActionSimulator user;
  // Time enough between the turns for the window to appear; the Cancel once a turn is
  // gathered.
  mClock.step = 0.5;
  mClock.onRead = [&] {
    wxWindow* progress = platform::WxProgress::GetOpenWindow();
    if (cancelled || !progress || !progress->IsShownOnScreen()) return;
    for (wxWindow* child : progress->GetChildren()) {
      if (auto* text = dynamic_cast<wxStaticText*>(child)) {
        seen = text->GetLabel().utf8_string();
        break;
      }
    }
    auto* cancel = dynamic_cast<wxButton*>(progress->FindWindow(wxID_CANCEL));
    if (!cancel || seen.rfind("Drawing the net: ", 0) != 0 || seen.rfind("Drawing the net: 0 ", 0) == 0) return;
    user.MouseMove(cancel->ClientToScreen(wxPoint(cancel->GetClientSize().x / 2, cancel->GetClientSize().y / 2)));
    user.MouseClick();
    cancelled = true;
  };
  Platform().messages.QueueText(std::to_string(kParts));
  corvia::testing::PostMenuCommand(mFrame, kCmdSubdivideFaces);
  EXPECT_TRUE(YieldUntilFor(240, [&] { return cancelled && !IsProgressActive(); })) << seen;
  mClock.onRead = nullptr;
  mClock.step = 0.05;
  corvia::testing::YieldUntilHandled();
  EXPECT_TRUE(YieldUntilFor(60, [] { return !IsProgressActive() && !HasDeferredModelWork(); }));
  ASSERT_EQ(GetCurrentPoly()->mFaces.mCount, kSubdividedFaces);
  EXPECT_TRUE(Block()->HasNets());
  EXPECT_TRUE(GetUndoList().CanUndo());
  const unsigned long part = CountFlatNetFaceletsGathered() - start;
  EXPECT_GT(part, 0u);
  EXPECT_LT(part, static_cast<unsigned long>(kSubdividedFaces));
  PaintCounter netPaints(Canvas(1));
  Canvas(1)->Refresh();
  EXPECT_TRUE(YieldUntilFor(10, [&] { return netPaints.count > 0; }));
  corvia::testing::YieldUntilHandled();
  EXPECT_FALSE(HasDeferredFlatNets());
  EXPECT_EQ(CountFlatNetFaceletsGathered() - start, part);
  EXPECT_EQ(Platform().messages.Boxes().size(), 0u);
}

// Poly > Create Geodesic Sphere... at a large frequency, cancelled at each stage of the
// work as the window names it, the last once more with the transitions on: the
// icosahedron stays as it was, with its title, its Info and its panes, and no other
// window or model follows. Meanwhile the net pane never says that there are no nets.
TEST_F(LargeModelTest, CancellingALargeGeodesicSphereAtAnyStageKeepsTheModelAsItWas) {
  const std::vector<std::string> stages = {"Created ",
                                           "Finding the symmetries of the new model",
                                           "Making the vertices of the new model",
                                           "Making the faces of the new model",
                                           "Sorting the faces of the new model",
                                           "Sorting the faces of the new model with the transitions on"};
  auto infoName = [] {
    InfoBar* bar = GetInfoBar();
    const wxTreeItemId item = bar && bar->GetTree() ? FindItemInTree(bar->GetTree(), kInfoBase, true) : wxTreeItemId();
    return item.IsOk() ? bar->GetTree()->GetItemText(item).utf8_string() : std::string();
  };
  corvia::testing::YieldUntil([&] { return !infoName().empty() && !HasDeferredModelWork(); });
  ASSERT_EQ(GetCurrentPoly()->mFaces.mCount, 20);
  const std::string title = mFrame->GetTitle().utf8_string();
  const std::string info = infoName();
  const std::string netStatus = GetPane(1)->Drawing().GetPaneStatusText();
  const int viewType = GetPane(0)->GetViewType();
  EXPECT_NE(title.find("Icosahedron"), std::string::npos) << title;
  for (std::string stage : stages) {
    SCOPED_TRACE(stage);
    const size_t transitions = stage.find(" with the transitions on");
    SetTransitionsEnabled(transitions != std::string::npos);
    stage = stage.substr(0, transitions);
    bool cancelled = false;
    std::string seen;
    int noNets = 0;
    wxUIActionSimulator user;
    mClock.onRead = [&] {
      wxWindow* progress = platform::WxProgress::GetOpenWindow();
      if (cancelled || !progress || !progress->IsShownOnScreen()) return;
      noNets += GetPane(1)->Drawing().GetPaneStatusText() == "No nets." ? 1 : 0;
      for (wxWindow* child : progress->GetChildren()) {
        if (auto* text = dynamic_cast<wxStaticText*>(child)) {
          seen = text->GetLabel().utf8_string();
          break;
        }
      }
      auto* cancel = dynamic_cast<wxButton*>(progress->FindWindow(wxID_CANCEL));
      if (!cancel || seen.rfind(stage, 0) != 0) return;
      ClickMiddleOf(user, cancel);
      cancelled = true;
    };
    Platform().messages.QueueText("60");
    corvia::testing::PostMenuCommand(mFrame, kCmdGeodesicSphere);
    EXPECT_TRUE(YieldUntilFor(240, [&] { return cancelled && !IsProgressActive(); })) << seen;
    mClock.onRead = nullptr;
    corvia::testing::YieldUntilHandled();
    EXPECT_TRUE(YieldUntilFor(60, [] { return !IsProgressActive() && !HasDeferredModelWork(); }));
    EXPECT_TRUE(cancelled) << seen;
    EXPECT_EQ(noNets, 0);
    EXPECT_EQ(GetCurrentPoly()->mFaces.mCount, 20);
    EXPECT_EQ(Doc()->CountRecords(), 1);
    EXPECT_EQ(mFrame->GetTitle().utf8_string(), title);
    EXPECT_EQ(infoName(), info);
    EXPECT_EQ(GetPane(1)->Drawing().GetPaneStatusText(), netStatus);
    EXPECT_EQ(GetPane(0)->GetViewType(), viewType);
    EXPECT_TRUE(Block()->HasNets());
  }
  EXPECT_EQ(Platform().messages.Boxes().size(), 0u);
}

// The nets that the net pane of a new geodesic sphere asks for after the command are
// made under their own window, and its Cancel stops them and nothing else: clicked, or
// Escape after an Enter and a Space that reach the window's Cancel and press nothing
// (with the transitions on). The sphere stays with its undo step, the net pane says
// what was not made and how to have it, and repaints do not make the nets again; the
// pane's view chosen again makes them, and Undo gives the icosahedron back.
TEST_F(LargeModelTest, CancellingTheNetsOfANewModelKeepsTheModel) {
  constexpr int kSmallFrequency = 20;  // 8,000 faces: nets made when idle
  constexpr int kSmallFaces = 20 * kSmallFrequency * kSmallFrequency;
  corvia::testing::YieldUntil([] { return !IsProgressActive() && !HasDeferredModelWork(); });
  ASSERT_EQ(GetCurrentPoly()->mFaces.mCount, 20);
  for (const bool byKeys : {false, true}) {
    SCOPED_TRACE(byKeys ? "Enter, Space, then Escape" : "a click on Cancel");
    SetTransitionsEnabled(byKeys);
    const int undos = GetUndoList().GetNumUndos();
    // The keys pressed, and the reports of the nets after each.
    int pressed = 0, reads = 0;
    bool cancelled = false;
    wxUIActionSimulator user;
    mClock.onRead = [&] {
      wxButton* cancel = cancelled ? nullptr : CancelOfTheNets();
      if (!cancel) return;
      if (!byKeys) {
        ClickMiddleOf(user, cancel);
        cancelled = true;
      } else if (pressed == 0) {
        cancel->SetFocus();
        user.Char(WXK_RETURN);
        pressed = 1;
      } else if (++reads > 10 && pressed == 1) {
        user.Char(WXK_SPACE);
        pressed = 2;
      } else if (reads > 20) {
        user.Char(WXK_ESCAPE);
        cancelled = true;
      }
    };
    Platform().messages.QueueText(std::to_string(kSmallFrequency));
    corvia::testing::PostMenuCommand(mFrame, kCmdGeodesicSphere);
    // The nets asked for, and cancelled or ended.
    EXPECT_TRUE(YieldUntilFor(120, [&] {
      const bool ended =
          GetCurrentPoly()->mFaces.mCount == kSmallFaces && GetPane(1)->Drawing().GetPaneStatusText() != "Making nets...";
      return (cancelled || ended) && !IsProgressActive() && !HasDeferredModelWork() &&
             !GetCurrentPoly()->IsTransitionRunning();
    }));
    mClock.onRead = nullptr;
    EXPECT_TRUE(cancelled) << "the nets ended before the Escape, after key " << pressed;
    ASSERT_EQ(GetCurrentPoly()->mFaces.mCount, kSmallFaces);
    EXPECT_FALSE(Block()->HasNets());
    EXPECT_EQ(GetUndoList().GetNumUndos(), undos + 1);
    EXPECT_EQ(GetPane(1)->Drawing().GetPaneStatusText(), "No nets.");
    const char* told = GetPane(1)->GetMessage();
    EXPECT_EQ(std::string(told ? told : "").rfind("Nets cancelled: ", 0), 0u) << (told ? told : "no message");

    // Both panes painted again, and the idle time after: no nets are made.
    PaintCounter modelPaints(Canvas(0)), netPaints(Canvas(1));
    GetPane(0)->Invalidate(true);
    GetPane(1)->Invalidate(true);
    EXPECT_TRUE(YieldUntilFor(30, [&] { return modelPaints.count > 0 && netPaints.count > 0; }));
    corvia::testing::YieldUntilHandled();
    EXPECT_FALSE(HasDeferredModelWork());
    EXPECT_FALSE(Block()->HasNets());

    // The net pane clicked, and its view chosen again: the nets are made.
    corvia::testing::ClickAt(Canvas(1), wxPoint(8, Canvas(1)->GetClientSize().y - 8));
    corvia::testing::YieldUntil([] { return CPolyView::AsPolyView(NewView::GetActiveView()) == GetPane(1); });
    corvia::testing::PostMenuCommand(mFrame, GetViewTypeCommand(kViewUnfoldedNet));
    EXPECT_TRUE(YieldUntilFor(120, [] { return Block()->HasNets() && !HasDeferredModelWork(); }));
    EXPECT_EQ(GetPane(1)->GetViewType(), kViewUnfoldedNet);
    EXPECT_EQ(GetPane(0)->GetViewType(), kViewBasePolyhedron);

    // Undo: the icosahedron.
    corvia::testing::PostMenuCommand(mFrame, kCmdUndo);
    EXPECT_TRUE(YieldUntilFor(60, [] {
      return GetCurrentPoly()->mFaces.mCount == 20 && !GetCurrentPoly()->IsTransitionRunning() && !IsProgressActive();
    }));
    ASSERT_EQ(GetCurrentPoly()->mFaces.mCount, 20);
    EXPECT_EQ(GetUndoList().GetNumUndos(), undos);
  }
  EXPECT_EQ(Platform().messages.Boxes().size(), 0u);
}

// A Cancel while the progress window draws a new model's faces (the idle work's first
// phase, for 50,000 faces or more) ends the nets asked for after them too: the net pane
// says so and how to have them, its repaints do not make them, and the model pane shows
// the new model.
TEST_F(LargeModelTest, CancellingTheDrawingOfANewModelLeavesItsNetsCancelledAndTheModelShown) {
  constexpr int kDrawnFrequency = 60;  // 72,000 faces: recorded for drawing when idle, in two turns
  constexpr int kDrawnFaces = 20 * kDrawnFrequency * kDrawnFrequency;
  corvia::testing::YieldUntil([] { return !IsProgressActive() && !HasDeferredModelWork(); });
  // The window appears within the few reports of the drawing.
  mClock.step = 0.5;
  bool cancelled = false;
  std::string seen, afterCancel;
  wxUIActionSimulator user;
  mClock.onRead = [&] {
    wxWindow* progress = platform::WxProgress::GetOpenWindow();
    if (!progress || !progress->IsShownOnScreen()) return;
    for (wxWindow* child : progress->GetChildren()) {
      if (auto* text = dynamic_cast<wxStaticText*>(child)) {
        seen = text->GetLabel().utf8_string();
        break;
      }
    }
    // The work goes no further than the drawing once the Cancel is clicked.
    if (cancelled && seen.rfind("Drawing the model", 0) != 0) afterCancel = seen;
    auto* cancel = dynamic_cast<wxButton*>(progress->FindWindow(wxID_CANCEL));
    if (cancelled || !cancel || seen.rfind("Drawing the model", 0) != 0) return;
    ClickMiddleOf(user, cancel);
    cancelled = true;
  };
  Platform().messages.QueueText(std::to_string(kDrawnFrequency));
  corvia::testing::PostMenuCommand(mFrame, kCmdGeodesicSphere);
  EXPECT_TRUE(YieldUntilFor(120, [&] { return cancelled && !IsProgressActive(); })) << seen;
  mClock.onRead = nullptr;
  EXPECT_TRUE(YieldUntilFor(60, [] { return !IsProgressActive() && !HasDeferredModelWork(); }));
  ASSERT_TRUE(cancelled) << seen;
  EXPECT_EQ(afterCancel, "");
  ASSERT_EQ(GetCurrentPoly()->mFaces.mCount, kDrawnFaces);

  // Both panes painted again, and the idle time after.
  PaintCounter modelPaints(Canvas(0)), netPaints(Canvas(1));
  GetPane(0)->Invalidate(true);
  GetPane(1)->Invalidate(true);
  EXPECT_TRUE(YieldUntilFor(30, [&] { return modelPaints.count > 0 && netPaints.count > 0; }));
  corvia::testing::YieldUntilHandled();
  EXPECT_TRUE(YieldUntilFor(60, [] { return !IsProgressActive() && !HasDeferredModelWork(); }));
  EXPECT_FALSE(Block()->HasNets());
  EXPECT_EQ(GetPane(1)->Drawing().GetPaneStatusText(), "No nets.");
  const char* told = GetPane(1)->GetMessage();
  EXPECT_EQ(std::string(told ? told : "").rfind("Nets cancelled: ", 0), 0u) << (told ? told : "no message");
  // The sphere fills the middle of the model pane, not its background.
  const wxImage pixels = corvia::testing::ScreenPixels(Canvas(0));
  const wxPoint middle(pixels.GetWidth() / 2, pixels.GetHeight() / 2);
  const auto colour = [&pixels](int x, int y) {
    return std::array<unsigned char, 3>{pixels.GetRed(x, y), pixels.GetGreen(x, y), pixels.GetBlue(x, y)};
  };
  EXPECT_NE(colour(middle.x, middle.y), colour(2, 2));
  EXPECT_EQ(Platform().messages.Boxes().size(), 0u);
}

// The warning before a long stellation, asked when the program is idle, is a real box
// that takes the user's click; Escape and then Enter in the progress window, or in the
// pane, at any phase of the stellation end it as a cancel: no other box, the model as
// it was, the block not stellated and not asked for again by the panes.
TEST_F(LargeModelTest, TheWarnedStellationTakesItsAnswerAndEndsAsACancelAtAnyPhase) {
  // Clicks "Proceed anyway" once the box shows; a box that takes no click is closed.
  WarningAnswers answer;
  Poly* poly = MakeSphereThatWarns();
  ASSERT_EQ(poly->mFaces.mCount, 200);
  FaceTypeBlock* block = poly->mBaseBlock.get();
  ASSERT_GT(block->EstimateComplexity(), kDeferredStellationComplexity);
  const std::vector<std::string> stages = {"Creating stellation diagram", "Linking lines between face types",
                                           "Creating symmetric facets",   "Joining coincident vertices",
                                           "Creating 3D cells",           "Identify cells"};
  for (size_t i = 0; i < stages.size() * 2; ++i) {
    const std::string& stage = stages[i / 2];
    const bool inPane = i % 2 == 1;
    SCOPED_TRACE(stage + (inPane ? ", keys in the pane" : ", keys in the progress window"));
    Platform().messages.Clear();
    block->Clear(false);
    block->mStellationRefused = 0;
    bool escaped = false, entered = false;
    int reads = 0;
    std::string seen;
    wxUIActionSimulator user;
    mClock.onRead = [&] {
      wxWindow* progress = platform::WxProgress::GetOpenWindow();
      if (escaped && !entered && ++reads > 10) {
        entered = true;
        user.Char(WXK_RETURN);
      }
      if (escaped || !progress || !progress->IsShownOnScreen()) return;
      for (wxWindow* child : progress->GetChildren()) {
        if (auto* text = dynamic_cast<wxStaticText*>(child)) {
          seen = text->GetLabel().utf8_string();
          break;
        }
      }
      if (seen.rfind(stage, 0) != 0) return;
      if (inPane) {
        Canvas(0)->SetFocus();
      } else {
        progress->SetFocus();
      }
      escaped = true;
      user.Char(WXK_ESCAPE);
    };
    // The active pane shows the model and then the stellation diagram, which asks for
    // the stellation.
    corvia::testing::PostMenuCommand(mFrame, GetViewTypeCommand(kViewBasePolyhedron));
    corvia::testing::PostMenuCommand(mFrame, GetViewTypeCommand(kViewStellationDiagram));
    EXPECT_TRUE(YieldUntilFor(
        120, [&] { return (entered || answer.stuck) && !IsProgressActive() && !HasDeferredModelWork(); }))
        << seen;
    mClock.onRead = nullptr;
    ASSERT_EQ(answer.stuck, 0) << "the warning took no click";
    GetPane(0)->Invalidate(true);
    corvia::testing::YieldUntilHandled();
    EXPECT_FALSE(HasDeferredModelWork());
    EXPECT_EQ(GetCurrentPoly(), poly);
    EXPECT_EQ(poly->mFaces.mCount, 200);
    EXPECT_FALSE(block->IsStellated());
    EXPECT_EQ(block->mStellationRefused, 1);
    for (const auto& box : Platform().messages.Boxes()) ADD_FAILURE() << box.title << ": " << box.text;
  }
  mClock.onRead = nullptr;
}

// Up in the stellation pane of a complex model asks first. Escape at the warning, or
// Proceed anyway and then Escape in the progress window, leaves the model as it was,
// not stellated, and the pane says how to be asked again; the next Up does ask again
// (it once did nothing, without a word, until the model was made again).
TEST_F(LargeModelTest, UpAfterTheStellationWasDeclinedOrCancelledAsksAgain) {
  // The user's answers to the warnings in turn: Escape, or a click on Proceed anyway.
  WarningAnswers answers({false, true, false});
  Poly* poly = MakeSphereThatWarns();
  ASSERT_EQ(poly->mFaces.mCount, 200);
  FaceTypeBlock* block = poly->mBaseBlock.get();
  corvia::testing::PostMenuCommand(mFrame, GetViewTypeCommand(kViewStellationOfBase));
  EXPECT_TRUE(YieldUntilFor(60, [] {
    return GetPane(0)->GetViewType() == kViewStellationOfBase && !IsProgressActive() && !HasDeferredModelWork();
  }));
  Platform().messages.Clear();
  wxUIActionSimulator user;
  // A click in the pane's corner, away from the model, then Up.
  auto clickAndUp = [&] {
    GetPane(0)->ClearMessage();
    const wxSize size = Canvas(0)->GetClientSize();
    user.MouseMove(Canvas(0)->ClientToScreen(wxPoint(8, size.y - 8)));
    user.MouseClick();
    corvia::testing::YieldUntil(
        [] { return CPolyView::AsPolyView(NewView::GetActiveView()) == GetPane(0) && Canvas(0)->HasFocus(); });
    user.Char(WXK_UP);
  };
  auto declined = [&](size_t asked) {
    return answers.shown == asked && !answers.mDialog && !IsProgressActive() && GetPane(0)->GetMessage();
  };
  auto toldHow = [] {
    const char* said = GetPane(0)->GetMessage();
    return said && std::string(said).rfind("Stellation cancelled", 0) == 0;
  };

  // Escape at the warning.
  clickAndUp();
  EXPECT_TRUE(YieldUntilFor(60, [&] { return declined(1); }));
  EXPECT_FALSE(block->IsStellated());
  EXPECT_TRUE(toldHow());

  // Up asks again; Proceed anyway, then Escape and Enter in the progress window.
  bool escaped = false, entered = false;
  int reads = 0;
  mClock.onRead = [&] {
    wxWindow* progress = platform::WxProgress::GetOpenWindow();
    if (escaped && !entered && ++reads > 10) {
      entered = true;
      user.Char(WXK_RETURN);
    }
    if (escaped || answers.shown != 2 || !progress || !progress->IsShownOnScreen()) return;
    progress->SetFocus();
    escaped = true;
    user.Char(WXK_ESCAPE);
  };
  clickAndUp();
  EXPECT_TRUE(YieldUntilFor(120, [&] { return entered && declined(2); }));
  mClock.onRead = nullptr;
  EXPECT_TRUE(escaped);
  EXPECT_FALSE(block->IsStellated());
  EXPECT_TRUE(toldHow());

  // And again after the cancel.
  clickAndUp();
  EXPECT_TRUE(YieldUntilFor(60, [&] { return declined(3); }));
  EXPECT_EQ(answers.stuck, 0) << "a warning took no answer";
  EXPECT_FALSE(block->IsStellated());
  EXPECT_TRUE(toldHow());
  EXPECT_EQ(GetCurrentPoly(), poly);
  EXPECT_EQ(poly->mFaces.mCount, 200);
  for (const auto& box : Platform().messages.Boxes()) ADD_FAILURE() << box.title << ": " << box.text;
}

// Up under Miller's rules on the compound of Waterman R8 with its dual searches under
// the progress window (the search once ran inside the key handler for minutes): the
// window answers Escape, and the cells, the pane's title and the undo list are as they
// were.
TEST_F(LargeModelTest, AStellationSearchAnswersTheProgressWindow) {
  struct KeptCriteria {
    int32_t criteria = StellationCriteria;
    ~KeptCriteria() { SetStellationCriteria(criteria); }
  } kept;
  Platform().dialogs.Queue<CWatermanDialog>([](CWatermanDialog& d) {
    d.mRoot = 8;
    d.mLatticeType = 0;
    return true;
  });
  corvia::testing::PostMenuCommand(mFrame, kCmdCreateWaterman);
  corvia::testing::YieldUntil([] { return std::string(GetCurrentPoly()->mName) == "Waterman R8"; });
  corvia::testing::PostMenuCommand(mFrame, kCmdAddBaseAndDual);
  corvia::testing::YieldUntil([] { return GetCurrentPoly()->mFaces.mCount == 122; });
  ASSERT_EQ(GetCurrentPoly()->mFaces.mCount, 122);
  SetStellationCriteria(kCriteriaMiller);
  CPolyView* pane = GetPane(0);
  ASSERT_TRUE(pane->SetViewType(kViewStellationOfBase, false));
  pane->Invalidate(true);
  FaceTypeBlock* block = GetCurrentPoly()->mBaseBlock.get();
  EXPECT_TRUE(YieldUntilFor(120, [&] { return block->IsStellated() && !HasDeferredModelWork(); }));
  ASSERT_TRUE(block->IsStellated());
  const std::vector<bool> cells = corvia::testing::IncludedCells(block);
  const int undos = GetUndoList().GetNumUndos();
  const std::string title = pane->GetTitle();

  bool escaped = false;
  std::string caption;
  wxUIActionSimulator user;
  mClock.onRead = [&] {
    wxWindow* progress = platform::WxProgress::GetOpenWindow();
    if (escaped || !progress || !progress->IsShownOnScreen()) return;
    for (wxWindow* child : progress->GetChildren()) {
      if (auto* text = dynamic_cast<wxStaticText*>(child)) {
        caption = text->GetLabel().utf8_string();
        break;
      }
    }
    progress->SetFocus();
    escaped = true;
    user.Char(WXK_ESCAPE);
  };
  Canvas(0)->SetFocus();
  corvia::testing::YieldUntil([] { return wxWindow::FindFocus() == Canvas(0); });
  user.Char(WXK_UP);
  EXPECT_TRUE(YieldUntilFor(120, [&] { return escaped && !IsProgressActive(); }));
  mClock.onRead = nullptr;
  corvia::testing::YieldUntilHandled();
  EXPECT_TRUE(escaped);
  EXPECT_EQ(caption, "Searching for the next stellation.");
  EXPECT_EQ(corvia::testing::IncludedCells(block), cells);
  EXPECT_EQ(GetUndoList().GetNumUndos(), undos);
  EXPECT_EQ(pane->GetTitle(), title);
  EXPECT_EQ(Platform().messages.CountTitled("Internal Error"), 0);
}

// File > Exit chosen (the File menu opened, Up, Enter) while the panes' work runs
// under its window ends the program at once: the nets of the net pane or the pictures
// of a faceting diagram filling the layout, stopped by the Exit, or cancelled by the
// user's click on Cancel taken with it.
TEST_F(LargeModelTest, ExitChosenWhileThePanesWorkRunsEndsTheProgram) {
  ASSERT_FALSE(LargeModelFile().empty());
  enum class Road { kNets, kNetsCancelled, kFacetingDiagram };
  for (const Road road : {Road::kNets, Road::kNetsCancelled, Road::kFacetingDiagram}) {
    SCOPED_TRACE(road == Road::kNets            ? "the nets"
                 : road == Road::kNetsCancelled ? "the nets, Cancel clicked with the Exit"
                                                : "a faceting diagram filling the layout");
    if (!GetMainFrame()) StartProgram();
    if (road == Road::kFacetingDiagram) {
      // The one-pane layout's key sends its command to the window.
      wxCommandEvent onePane(wxEVT_MENU, ToWxId(kCmdLayout1));
      onePane.SetEventObject(mFrame);
      mFrame->ProcessWindowEvent(onePane);
      corvia::testing::PostMenuCommand(mFrame, GetViewTypeCommand(kViewFacetingDiagram));
      corvia::testing::YieldUntil(
          [] { return CountPanes() == 1 && GetPane(0)->GetViewType() == kViewFacetingDiagram; });
      ASSERT_EQ(GetPane(0)->GetViewType(), kViewFacetingDiagram);
    }
    int step = 0, reads = 0, readsAtStep = 0;
    int readsToClose = -1;
    wxUIActionSimulator user;
    mClock.onRead = [&] {
      ++reads;
      wxWindow* progress = platform::WxProgress::GetOpenWindow();
      if (step == 0) {
        // The panes' work, which leaves the menus answering (a command's work, the
        // model's open, leaves the main window enabled too, for its close).
        const bool panesWork = MakingNets() || HasDeferredPairLinePictures() || HasDeferredFlatNets();
        if (!progress || !progress->IsShownOnScreen() || !panesWork) return;
        wxMenuBar* bar = mFrame->GetMenuBar();
        user.MouseMove(bar->ClientToScreen(wxPoint(18, bar->GetClientSize().y / 2)));
        user.MouseClick();
        step = 1;
        readsAtStep = reads;
      } else if (step <= 2 && reads - readsAtStep > 20) {
        user.Char(step == 1 ? WXK_UP : WXK_RETURN);
        ++step;
        readsAtStep = reads;
        auto* cancel = progress ? dynamic_cast<wxButton*>(progress->FindWindow(wxID_CANCEL)) : nullptr;
        if (step == 3 && road == Road::kNetsCancelled && cancel) ClickMiddleOf(user, cancel);
      }
    };
    OpenLargeModel();
    ASSERT_EQ(GetCurrentPoly()->mFaces.mCount, kFaces);
    mFrame->Bind(wxEVT_CLOSE_WINDOW, [&](wxCloseEvent& event) {
      readsToClose = reads - readsAtStep;
      event.Skip();
    });
    EXPECT_TRUE(YieldUntilFor(120, [] { return wxTopLevelWindows.empty(); })) << "step " << step;
    mClock.onRead = nullptr;
    EXPECT_EQ(step, 3);
    // The work stops at its next report rather than running on to its end.
    EXPECT_GE(readsToClose, 0);
    EXPECT_LT(readsToClose, 100) << "the Exit waited for the work";
    EXPECT_EQ(GetMainFrame(), nullptr);
    if (GetMainFrame()) return;
  }
}
}  // namespace test_LargeModel

namespace test_LargeModel {

// Up in the Faceting Diagram of the 720-face geodesic sphere (Poly > Create Geodesic
// Sphere... 6), one of whose planes has 24 vertices nearly all joined, with more closed
// paths than a walk goes through in days: the step is refused in words once the
// planes are made, with no walk begun; one Cancel ends the step with the model, the
// drawn facets and the undo list as they were, and no other work begins; and the main
// window's close button (as the window manager sends it, also for Alt+F4), or File >
// Exit chosen from the menu (which the work leaves open), while the step works, stops it
// and ends the program.
TEST_F(LargeModelTest, AFacetingStepPastMinutesIsRefusedInWordsCancelledOnceOrEndedByTheClose) {
  struct KeptCriteria {
    ~KeptCriteria() { GetFacetingSettings() = FacetingSettings(); }
  } kept;
  enum class Road { kRefused, kCancelled, kClosed, kExit };
  wxUIActionSimulator user;
  // The sphere made and shown in the first pane as a Faceting Diagram, with what the
  // pane asked for done.
  auto makeSphere = [&] {
    dynamic_cast<CMainFrame*>(mFrame)->GetMainToolBar()->OpenTypedModel("Icosahedron");
    Platform().messages.QueueText("6");
    corvia::testing::PostMenuCommand(mFrame, kCmdGeodesicSphere);
    corvia::testing::YieldUntil([] { return GetCurrentPoly()->mFaces.mCount == 720 && !IsProgressActive(); });
    corvia::testing::PostMenuCommand(mFrame, GetViewTypeCommand(kViewFacetingDiagram));
    YieldUntilFor(120, [] {
      return GetPane(0)->GetViewType() == kViewFacetingDiagram && !IsProgressActive() && !HasDeferredModelWork() &&
             !HasDeferredPairLinePictures();
    });
    corvia::testing::YieldUntilHandled();
  };
  for (const Road road : {Road::kRefused, Road::kCancelled, Road::kClosed, Road::kExit}) {
    SCOPED_TRACE(road == Road::kRefused     ? "refused"
                 : road == Road::kCancelled ? "cancelled"
                 : road == Road::kClosed    ? "the close button"
                                            : "File > Exit");
    if (!GetMainFrame()) StartProgram();
    if (GetCurrentPoly()->mFaces.mCount != 720) makeSphere();
    ASSERT_EQ(GetCurrentPoly()->mFaces.mCount, 720);
    ASSERT_EQ(GetPane(0)->GetViewType(), kViewFacetingDiagram);
    // A refusal is kept for the criteria: other criteria and back make the step work again.
    SetFacetingCriteria(kFacetingTidyAndDuals);
    SetFacetingCriteria(kFacetingTidy);
    Platform().messages.Clear();
    Poly* poly = GetCurrentPoly();
    const int undos = GetUndoList().GetNumUndos();
    const std::string title = mFrame->GetTitle().utf8_string();
    bool walked = false, acted = false, closed = false;
    int windows = 0, step = 0, reads = 0, readsAtStep = 0, readsToClose = -1;
    wxWindow* lastWindow = nullptr;
    mClock.onRead = [&] {
      ++reads;
      wxWindow* progress = platform::WxProgress::GetOpenWindow();
      if (!progress || !progress->IsShownOnScreen()) return;
      if (progress != lastWindow) ++windows;
      lastWindow = progress;
      std::string caption;
      for (wxWindow* child : progress->GetChildren()) {
        if (auto* text = dynamic_cast<wxStaticText*>(child)) {
          caption = text->GetLabel().utf8_string();
          break;
        }
      }
      auto* cancel = dynamic_cast<wxButton*>(progress->FindWindow(wxID_CANCEL));
      // A walk begun would go on for days: it is cancelled.
      const bool walking = caption.find("processing plane") != std::string::npos;
      walked = walked || walking;
      if (road == Road::kRefused && !walking) return;
      if (road == Road::kExit && acted) {
        if (step <= 2 && reads - readsAtStep > 20) {
          user.Char(step == 1 ? WXK_UP : WXK_RETURN);
          ++step;
          readsAtStep = reads;
        }
        return;
      }
      if (acted) return;
      acted = true;
      readsAtStep = reads;
      if (road == Road::kClosed) {
        closed = corvia::testing::CloseWindowTitled(title);
      } else if (road == Road::kExit) {
        wxMenuBar* bar = mFrame->GetMenuBar();
        user.MouseMove(bar->ClientToScreen(wxPoint(18, bar->GetClientSize().y / 2)));
        user.MouseClick();
        step = 1;
      } else if (cancel) {
        ClickMiddleOf(user, cancel);
      }
    };
    const bool ends = road == Road::kClosed || road == Road::kExit;
    if (ends) {
      mFrame->Bind(wxEVT_CLOSE_WINDOW, [&](wxCloseEvent& event) {
        readsToClose = reads - readsAtStep;
        event.Skip();
      });
    }
    Canvas(0)->SetFocus();
    corvia::testing::YieldUntil([] { return wxWindow::FindFocus() == Canvas(0); });
    user.Char(WXK_UP);
    if (ends) {
      EXPECT_TRUE(YieldUntilFor(120, [] { return wxTopLevelWindows.empty(); }));
      mClock.onRead = nullptr;
      EXPECT_TRUE(road == Road::kExit || closed) << "the main window was not on the screen";
      EXPECT_EQ(GetMainFrame(), nullptr);
      // The work stops at its next report rather than running on to the refusal.
      EXPECT_GE(readsToClose, 0);
      EXPECT_LT(readsToClose, 200) << "the close waited for the work";
      EXPECT_TRUE(Platform().messages.Boxes().empty());
      continue;
    }
    EXPECT_TRUE(YieldUntilFor(120, [&] {
      return !IsProgressActive() && (road == Road::kCancelled ? acted : !Platform().messages.Boxes().empty());
    }));
    corvia::testing::YieldUntilHandled();
    mClock.onRead = nullptr;
    EXPECT_FALSE(walked) << "a plane's walk began";
    EXPECT_EQ(GetCurrentPoly(), poly);
    EXPECT_EQ(poly->mFaces.mCount, 720);
    EXPECT_EQ(GetUndoList().GetNumUndos(), undos);
    EXPECT_EQ(corvia::testing::CountFinishedPolygons(poly), 0);
    EXPECT_FALSE(GetCurrentFaceting()->IsPrepared());
    EXPECT_EQ(windows, 1);
    if (road == Road::kCancelled) {
      EXPECT_TRUE(acted);
      EXPECT_TRUE(Platform().messages.Boxes().empty());
    } else {
      ASSERT_EQ(Platform().messages.Boxes().size(), 1u);
      EXPECT_EQ(Platform().messages.Boxes()[0].text.rfind(
                    "This model is too large to facet on this computer: finding the possible\n"
                    "facets of its planes would take about ",
                    0),
                0u)
          << Platform().messages.Boxes()[0].text;
    }
  }
}

}  // namespace test_LargeModel
