// The real program through what a person may do at an awkward moment: a tour that
// plays on while a colour dialog is open, a layout changed while a button is held in a
// pane, a stellation that fails while a pane paints, a layout or the close of the main
// window while a pane's popup menu is open, any key in the information tree with or
// without an item chosen. The program keeps its model under the dialog, lets the mouse
// go with the pane, tells the failure after the paint, closes the menu before its pane
// goes, and opens and closes the tree's items without a box.

#include <gtest/gtest.h>
#include <wx/colordlg.h>
#include <wx/glcanvas.h>
#include <wx/timer.h>
#include <wx/treectrl.h>
#include <wx/uiaction.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/PolyApp.h"
#include "app/PolyDoc.h"
#include "app/PolyView.h"
#include "app/WindowServices.h"
#include "construction/Library.h"
#include "construction/ModelLookup.h"
#include "construction/ModelFactory.h"
#include "files/ModelFile.h"
#include "model/CreatePoly.h"
#include "model/LibraryEntry.h"
#include "model/PolyTemplate.h"
#include "core/Progress.h"
#include "model/FaceTypeBlock.h"
#include "model/Globals.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "platform/Services.h"
#include "platform/wx/WxColourChooser.h"
#include "render/ModelDrawSettings.h"
#include "render/NewView.h"
#include "symmetry/SimplePoly.h"
#include "tests/gui/GuiTestSupport.h"
#include "tests/gui/ProgramTestSupport.h"
#include "tests/support/TestSupport.h"
#include "ui/CommandIds.h"
#include "ui/InfoBar.h"
#include "ui/Layouts.h"
#include "ui/MainFrame.h"
#include "ui/PaneWindow.h"
#include "ui/PopupMenus.h"
#include "ui/Tour.h"

namespace test_WindowSurvives {

using namespace corvia;
using corvia::testing::YieldFor;
using corvia::testing::YieldUntil;
using corvia::testing::YieldUntilHandled;

class WindowSurvives : public ::testing::Test {
 protected:
  static constexpr int kTickMs = 50;
  void SetUp() override {
    mProgram = std::make_unique<corvia::testing::RunningProgram>("window-survives");
    mFrame = mProgram->Frame();
    ASSERT_NE(mFrame, nullptr);
    // Boxes are recorded; an internal error fails the test.
    platform::ServiceSet services = platform::Services();
    services.messages = &corvia::testing::Platform().messages;
    platform::InstallServices(services);
    corvia::testing::Platform().messages.Clear();
    YieldUntil([this] { return mFrame->IsShownOnScreen() && GetPane(0) && GetPane(0)->GetWindow(); });
    YieldUntil([] { return Doc() && !GetCurrentPoly()->IsTransitionRunning(); });
    YieldUntilHandled();
  }
  void TearDown() override {
    GetTour().Clear();
    EXPECT_EQ(corvia::testing::Platform().messages.CountTitled("Internal Error"), 0);
    corvia::testing::Platform().messages.onBox = nullptr;
    mProgram.reset();
  }
  static CPolyDoc* Doc() { return CPolyApp::Get().GetDoc(); }
  static wxGLCanvas* Canvas(int i) { return static_cast<PaneWindow*>(GetPane(i)->GetWindow())->GetCanvas(); }
  void Command(int id) { corvia::testing::PostMenuCommand(mFrame, id); }
  // A command that only a key sends (the layouts).
  void KeyCommand(int id) {
    wxCommandEvent event(wxEVT_MENU, ToWxId(id));
    event.SetEventObject(mFrame);
    mFrame->ProcessWindowEvent(event);
  }

  std::unique_ptr<corvia::testing::RunningProgram> mProgram;
  wxFrame* mFrame = nullptr;
};

// Answers the toolkit's colour dialog once it has been open for the given time,
// noting the model current when it opened and when it is answered.
class LateAnswer : public wxTimer {
 public:
  explicit LateAnswer(int openMs) : mOpenMs(openMs) { Start(kPeriodMs); }
  void Notify() override {
    wxColourDialog* dialog = platform::OpenColourDialog();
    if (!dialog) return;
    if (!opened) opened = GetCurrentPoly();
    mWaited += kPeriodMs;
    if (mWaited < mOpenMs) return;
    Stop();
    answered = GetCurrentPoly();
    dialog->EndModal(wxID_OK);
  }
  Poly* opened = nullptr;
  Poly* answered = nullptr;

 private:
  static constexpr int kPeriodMs = 20;
  int mOpenMs;
  int mWaited = 0;
};

// A tour of two events plays on a short timer; a face is selected and its colour
// asked for. While the colour dialog is open (longer than several of the tour's steps)
// the tour waits: the command finds the model it opened the dialog on, and the tour
// goes on once the dialog is closed.
TEST_F(WindowSurvives, ATourWaitsWhileTheColourDialogIsOpen) {
  Tour& tour = GetTour();
  tour.Clear();
  for (const char* name : {"4.4.4", "3.4.3.4"}) {
    ASSERT_TRUE(Doc()->OpenModelByNameOrSymbol(name));
    YieldUntil([] { return !GetCurrentPoly()->IsTransitionRunning(); });
    tour.AddToTour();
    tour.GetEvent(tour.GetNumEvents() - 1)->mDuration = 0.2f;
    tour.GetEvent(tour.GetNumEvents() - 1)->mTransition.mType = kTransitionNone;
  }
  tour.SetCurrentEvent(tour.GetEvent(0));
  tour.PlayTour();
  ASSERT_TRUE(tour.IsTourPlaying());
  Poly* poly = GetCurrentPoly();
  PolyElement* face = poly->GetFace(1);
  poly->SelectFace(face, false);
  const TourEvent* event = tour.GetCurrentEvent();
  LateAnswer answer(1000);
  Command(32984);  // Set Single Face Color...
  EXPECT_NE(answer.opened, nullptr);
  EXPECT_EQ(answer.opened, poly);
  EXPECT_EQ(answer.answered, poly) << "the tour replaced the model under the dialog";
  EXPECT_EQ(tour.GetCurrentEvent(), event);
  EXPECT_EQ(GetCurrentPoly(), poly);
  EXPECT_TRUE(tour.IsTourPlaying());
  // Once the dialog is closed the tour goes on.
  EXPECT_TRUE(YieldUntil([&] { return tour.GetCurrentEvent() != event; }));
  tour.StopTour();
}

// A button pressed in a pane, the layout changed (its panes made anew), the button
// released: no window keeps the mouse, the program counts no button held, and a drag
// in a new pane turns its model.
TEST_F(WindowSurvives, ALayoutChangedDuringADragLetsTheMouseGo) {
  wxUIActionSimulator mouse;
  wxGLCanvas* canvas = Canvas(0);
  corvia::testing::MovePointerTo(mouse, canvas->ClientToScreen(wxPoint(canvas->GetClientSize().x / 2, 40)));
  corvia::testing::PressButton(mouse);
  EXPECT_NE(NewView::GetMouseButtonsHeld(), 0);
  EXPECT_TRUE(canvas->HasCapture());
  KeyCommand(kCmdLayout3);
  YieldUntilHandled();
  EXPECT_EQ(wxWindow::GetCapture(), nullptr);
  EXPECT_EQ(NewView::GetMouseButtonsHeld(), 0);
  corvia::testing::ReleaseButton(mouse);
  // A drag in the new first pane turns the model.
  CPolyView* pane = GetPane(0);
  ASSERT_NE(pane, nullptr);
  wxGLCanvas* now = Canvas(0);
  const double eye = pane->Camera().GetEye()[0];
  const wxPoint from = now->ClientToScreen(wxPoint(now->GetClientSize().x / 2, now->GetClientSize().y / 2));
  corvia::testing::MovePointerTo(mouse, from);
  corvia::testing::PressButton(mouse);
  for (int step = 1; step <= 4; ++step) corvia::testing::MovePointerTo(mouse, from + wxPoint(15 * step, 0));
  corvia::testing::ReleaseButton(mouse);
  EXPECT_NE(pane->Camera().GetEye()[0], eye);
  EXPECT_EQ(wxWindow::GetCapture(), nullptr);
  EXPECT_EQ(NewView::GetMouseButtonsHeld(), 0);
}

// A click whose press began long work, let go while the work runs (its reports pump
// the events): the release is heard once the work is over, and the click selects the
// face under it, as with no pump between. A click made wholly during the work is
// dropped, its release with it: no button counts as held and nothing is selected.
TEST_F(WindowSurvives, AButtonLetGoDuringLongWorkIsHeardOnceItIsOver) {
  wxUIActionSimulator mouse;
  wxGLCanvas* canvas = Canvas(0);
  Poly* poly = GetCurrentPoly();
  ASSERT_NE(poly, nullptr);
  poly->mSelectedItem = nullptr;
  corvia::testing::MovePointerTo(mouse, canvas->ClientToScreen(wxPoint(canvas->GetClientSize().x / 2,
                                                                       canvas->GetClientSize().y / 2)));
  corvia::testing::PressButton(mouse);
  ASSERT_NE(NewView::GetMouseButtonsHeld(), 0);
  {
    ProgressScope work;
    corvia::testing::ReleaseButton(mouse);
    EXPECT_NE(NewView::GetMouseButtonsHeld(), 0) << "the work runs on undisturbed";
  }
  EXPECT_TRUE(YieldUntil([] { return NewView::GetMouseButtonsHeld() == 0; }));
  EXPECT_NE(poly->mSelectedItem, nullptr) << "the click was not carried out";
  EXPECT_EQ(wxWindow::GetCapture(), nullptr);

  poly->mSelectedItem = nullptr;
  {
    ProgressScope work;
    corvia::testing::PressButton(mouse);
    corvia::testing::ReleaseButton(mouse);
  }
  YieldUntilHandled();
  EXPECT_EQ(NewView::GetMouseButtonsHeld(), 0);
  EXPECT_EQ(poly->mSelectedItem, nullptr);
}

// A model whose stellation fails, shown in the layout of the stellation's panes: its
// panes find out while they paint. The box comes after the paint, never from inside
// it, and the program keeps answering. The model is a file of the great truncated
// dodecahedron with a corner moved, so that two of its planes meet nearly parallel.
TEST_F(WindowSurvives, AStellationThatFailsInAPaintIsToldAfterThePaint) {
  const std::string file = (corvia::testing::ScratchDir("stellation-fails") / "moved.corv").string();
  {
    PolyTemplate polyTemplate;
    Poly record;
    ASSERT_TRUE(CreateFromLibraryEntry(&record, &polyTemplate, GetLibraryEntry(45), false));
    std::unique_ptr<SimplePoly> moved(CreateSimplePoly(&record, kDeriveBase, nullptr, nullptr));
    ASSERT_NE(moved, nullptr);
    moved->VertAt(0).pos[2] += 1e-5 * moved->GetMaxVertexRadius();
    Poly poly;
    ASSERT_TRUE(CreatePoly(*moved, &poly, false, false).done());
    ASSERT_TRUE(WriteModelFile(file.c_str(), kModelFileAscii, poly).done());
  }
  auto& messages = corvia::testing::Platform().messages;
  int insidePaint = 0;
  messages.onBox = [&](const platform::MessageBoxRequest&) {
    if (IsDrawingContextHeld()) ++insidePaint;
  };
  KeyCommand(kCmdLayout6);
  YieldUntilHandled();
  ASSERT_TRUE(Doc()->OnOpenDocument(file.c_str()));
  EXPECT_TRUE(YieldUntil([&] { return !messages.Boxes().empty(); }));
  YieldUntilHandled();
  ASSERT_FALSE(messages.Boxes().empty());
  EXPECT_NE(messages.Boxes()[0].text.find("could not be stellated"), std::string::npos) << messages.Boxes()[0].text;
  EXPECT_EQ(insidePaint, 0);
  // Told once, and the panes paint on.
  const size_t told = messages.Boxes().size();
  const int painted = corvia::testing::PaintCount(mFrame);
  mFrame->Refresh();
  EXPECT_TRUE(corvia::testing::YieldUntilPainted(mFrame, painted));
  YieldUntilHandled();
  EXPECT_EQ(messages.Boxes().size(), told);
}

// With the cell lines and the stellation's edges shown, a pane showing the stellation
// of a new model stellates it as it paints. The set-up replaces the facet model the
// pane draws the stellation's edges from, so it comes before the pane takes that model
// (the sanitizers caught the faces drawn from the model the set-up had freed).
TEST_F(WindowSurvives, APaintThatStellatesDrawsTheFacetModelOfTheStellation) {
  ModelDrawSettings& settings = GetModelDrawSettings();
  const ModelDrawSettings before = settings;
  settings.showCellLines = settings.showStelEdges = true;
  ASSERT_TRUE(GetPane(0)->SetViewType(kViewStellationOfBase, false));
  ASSERT_TRUE(Doc()->SetModel(LookUpModel("3.3.3.3.3", nullptr, nullptr, nullptr, false), false, false));
  YieldUntil([] { return !GetCurrentPoly()->IsTransitionRunning(); });
  const int painted = corvia::testing::PaintCount(mFrame);
  mFrame->Refresh();
  EXPECT_TRUE(corvia::testing::YieldUntilPainted(mFrame, painted));
  YieldUntilHandled();
  FaceTypeBlock* block = GetCurrentPoly()->mBaseBlock.get();
  EXPECT_TRUE(block->IsStellated());
  EXPECT_NE(block->GetExistingModel3D(), nullptr);
  settings = before;
}

// The information tree takes every key on every kind of item and on the empty space
// below its items, where a click leaves nothing chosen (the tree's hidden root holds
// the selection). '-', '+' and '*', typed or on the keypad, close the chosen item, open
// it, and open it with every branch below it (or close it when it is open); with
// nothing chosen or on a line with nothing below they change nothing. No key puts up
// a box or a failed check of the toolkit.
TEST_F(WindowSurvives, TheInfoTreeTakesEveryKeyOnEveryItemAndOnEmptySpace) {
  auto* frame = static_cast<CMainFrame*>(mFrame);
  InfoBar* bar = frame->GetInfoBar();
  InfoTree* tree = bar->GetTree();
  // Room below the items, as a person makes it: the tour bar closed with its x.
  frame->ToggleBar(frame->GetTourBar());
  ASSERT_TRUE(YieldUntil([frame] { return !frame->GetTourBar()->IsShownOnScreen(); }));
  auto rebuilt = [] {
    YieldUntil([] { return GetInfoUpdateFlags() == 0; });
    YieldUntilHandled();
  };
  rebuilt();
  ASSERT_TRUE(IsInfoBarVisible());
  auto flags = [] {
    std::vector<bool> on;
    for (int key = 0; key < kNumInfoKeys; ++key) on.push_back(IsInfoExpanded(key));
    return on;
  };
  wxUIActionSimulator keys;
  auto press = [&](int key) {
    // The simulator types the shifted characters as a person does, with Shift.
    if (key == '*' || key == '+') {
      keys.Text(key == '*' ? "*" : "+");
    } else {
      keys.Char(key);
    }
    YieldUntilHandled();
    rebuilt();
  };
  // Each both ways, '*' first on the branches not yet filled.
  const std::vector<int> openClose = {'-', '*', '+', WXK_NUMPAD_SUBTRACT, WXK_NUMPAD_ADD, WXK_NUMPAD_MULTIPLY,
                                      WXK_NUMPAD_MULTIPLY, '-', '+', '*'};
  const std::vector<int> others = {WXK_LEFT, WXK_RIGHT, WXK_UP, WXK_DOWN, WXK_HOME, WXK_END,
                                   WXK_PAGEUP, WXK_PAGEDOWN, WXK_RETURN, WXK_SPACE, WXK_MENU, 'i'};
  std::vector<int> every = openClose;
  every.insert(every.end(), others.begin(), others.end());

  // Empty space: a click below the last line, nothing chosen.
  wxTreeItemId last = tree->GetLastChild(tree->GetRootItem());
  while (tree->IsExpanded(last) && tree->GetLastChild(last).IsOk()) last = tree->GetLastChild(last);
  wxRect lastRect;
  ASSERT_TRUE(tree->GetBoundingRect(last, lastRect));
  const int height = tree->GetClientSize().y;
  ASSERT_LT(lastRect.GetBottom() + 20, height) << "no empty space below the items";
  const wxPoint empty(lastRect.x, (lastRect.GetBottom() + height) / 2);
  for (int key : every) {
    SCOPED_TRACE("empty space, key " + std::to_string(key));
    bar->MarkSelectedType(1, -1, false);
    corvia::testing::ClickAt(tree, empty);
    ASSERT_EQ(tree->GetFocusedItem(), tree->GetRootItem());
    const std::vector<bool> before = flags();
    press(key);
    if (std::find(openClose.begin(), openClose.end(), key) != openClose.end()) {
      EXPECT_EQ(flags(), before);
    }
  }

  // Every kind of item, chosen: a branch at the top, one inside it, a line with nothing
  // below, a list filled when it opens and one of its lines, the stellation and the nets
  // (work that runs when they open).
  const int kinds[] = {kInfoBase, kInfoType, kInfoLink, kInfoNumBaseFaces, kInfoBaseFaces, kInfoStellation, kInfoNets};
  auto choose = [&](int kind) {
    rebuilt();
    const wxTreeItemId item = FindItemInTree(tree, kind, true);
    if (!item.IsOk()) return item;
    tree->SelectItem(item);
    tree->SetFocus();
    YieldUntil([tree] { return wxWindow::FindFocus() == tree; });
    YieldUntilHandled();
    return item;
  };
  // Every branch below the item is open.
  std::function<bool(const wxTreeItemId&)> allOpen = [&](const wxTreeItemId& item) {
    if (tree->ItemHasChildren(item) && !tree->IsExpanded(item)) return false;
    wxTreeItemIdValue cookie;
    for (wxTreeItemId child = tree->GetFirstChild(item, cookie); child.IsOk(); child = tree->GetNextChild(item, cookie))
      if (!allOpen(child)) return false;
    return true;
  };
  for (int kind : kinds) {
    for (int key : every) {
      SCOPED_TRACE("item key " + std::to_string(kind) + ", key " + std::to_string(key));
      wxTreeItemId item = choose(kind);
      ASSERT_TRUE(item.IsOk());
      ASSERT_EQ(tree->GetFocusedItem(), item);
      const bool branch = tree->ItemHasChildren(item);
      const bool open = tree->IsExpanded(item);
      const std::vector<bool> before = flags();
      press(key);
      item = FindItemInTree(tree, kind, true);
      ASSERT_TRUE(item.IsOk());
      if (key == '-' || key == WXK_NUMPAD_SUBTRACT) {
        EXPECT_FALSE(tree->IsExpanded(item));
      } else if (key == '+' || key == WXK_NUMPAD_ADD) {
        EXPECT_EQ(tree->IsExpanded(item), branch);
      } else if (key == '*' || key == WXK_NUMPAD_MULTIPLY) {
        EXPECT_EQ(tree->IsExpanded(item), branch && !open);
        if (branch && !open) {
          EXPECT_TRUE(allOpen(item));
        }
      }
      if (!branch && std::find(openClose.begin(), openClose.end(), key) != openClose.end()) {
        EXPECT_EQ(flags(), before);
      }
    }
  }

  // The program answers: nothing was told, and the window paints again.
  EXPECT_TRUE(corvia::testing::Platform().messages.Boxes().empty())
      << corvia::testing::Platform().messages.Boxes().front().text;
  ASSERT_TRUE(mFrame->IsShownOnScreen());
  const int painted = corvia::testing::PaintCount(mFrame);
  mFrame->Refresh();
  EXPECT_TRUE(corvia::testing::YieldUntilPainted(mFrame, painted));
}

// A pane's view-type menu is open, and with it a loop that runs every event of the
// program. A layout command (as a key sends it) closes the menu first and then lays
// the panes out anew; closing the main window (File > Exit) closes the menu and every
// window goes. A menu left open is closed by Escape after a while, so that the fault
// shows as a failure rather than a hang.
TEST_F(WindowSurvives, APanePopupMenuClosesBeforeThePanesChangeOrTheWindowCloses) {
  for (const bool closeWindow : {false, true}) {
    SCOPED_TRACE(closeWindow ? "close" : "layout");
    const int layout = GetCurrentLayoutIndex();
    bool sent = false;
    int openMs = 0;
    bool escaped = false;
    wxTimer acting;
    acting.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
      if (!IsPopupMenuOpen()) return;
      if (!sent) {
        sent = true;
        if (closeWindow) {
          mFrame->Close();
        } else {
          KeyCommand(kCmdLayout3);
        }
      } else if ((openMs += kTickMs) >= 3000 && !escaped) {
        escaped = true;
        wxUIActionSimulator().Char(WXK_ESCAPE);
      }
    });
    acting.Start(kTickMs);
    wxWindow* strip = static_cast<PaneWindow*>(GetPane(0)->GetWindow())->GetCaptionStrip();
    corvia::testing::ClickAt(strip, wxPoint(kCaptionHeight / 2, strip->GetClientSize().y / 2));
    EXPECT_TRUE(YieldUntil([&] { return sent && !IsPopupMenuOpen(); }));
    acting.Stop();
    EXPECT_FALSE(escaped) << "the menu stayed open";
    if (closeWindow) {
      EXPECT_TRUE(YieldUntil([] { return wxTopLevelWindows.empty(); }));
    } else {
      EXPECT_TRUE(YieldUntil([layout] { return GetCurrentLayoutIndex() != layout; }));
      YieldUntilHandled();
      ASSERT_NE(GetPane(0), nullptr);
      EXPECT_NE(GetPane(0)->GetWindow(), nullptr);
    }
  }
}

}  // namespace test_WindowSurvives
