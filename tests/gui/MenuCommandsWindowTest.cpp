// The started program's command table against its command targets: every command a
// menu or a toolbar shows has a target that handles it, unless it is one of the
// commands left disabled (docs/commands-left-disabled.txt, with their reasons); and
// every command of the model, display, image, section, view and option menus runs
// from the main window on the icosahedron and on its stellation without an internal
// error or a GL error.

#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/glcanvas.h>
#include <wx/menu.h>

#include <cmath>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/DocCommands.h"
#include "app/PolyApp.h"
#include "app/PolyDoc.h"
#include "app/PolyView.h"
#include "app/WindowServices.h"
#include "construction/ModelLookup.h"
#include "core/Globals.h"
#include "model/CrossSection.h"
#include "model/ElementList.h"
#include "model/FaceTypeBlock.h"
#include "model/Poly.h"
#include "platform/Services.h"
#include "render/GLErrors.h"
#include "render/MouseThrow.h"
#include "render/NetDrawSettings.h"
#include "tests/app/MenuOptionsScope.h"
#include "tests/gui/GuiTestSupport.h"
#include "tests/gui/ProgramTestSupport.h"
#include "tests/support/TestSupport.h"
#include "ui/CommandIds.h"
#include "ui/CommandTable.h"
#include "ui/MainFrame.h"
#include "ui/PaneWindow.h"
#include "ui/ToolBarEx.h"

namespace test_MenuCommandsWindow {

using namespace corvia;
using corvia::testing::Platform;
using corvia::testing::YieldUntil;
using corvia::testing::YieldUntilHandled;

constexpr int kCmdGeomagStyle = 33159;

// The commands left disabled, by number, with their lines.
std::map<int, std::string> ReadCommandsLeftDisabled() {
  std::map<int, std::string> listed;
  std::ifstream file(corvia::testing::FixturesDir().parent_path().parent_path() / "docs" /
                     "commands-left-disabled.txt");
  std::string line;
  while (std::getline(file, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream words(line);
    int id = 0;
    if (words >> id) listed[id] = line;
  }
  return listed;
}

// Every command of the menu bar's items, below the popup.
void CollectMenuCommands(wxMenu* menu, std::set<int>& commands) {
  for (wxMenuItem* item : menu->GetMenuItems()) {
    if (item->IsSubMenu()) {
      CollectMenuCommands(item->GetSubMenu(), commands);
    } else if (!item->IsSeparator()) {
      commands.insert(FromWxId(item->GetId()));
    }
  }
}

class MenuCommandsWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    mProgram = std::make_unique<corvia::testing::ScriptedProgram>("menu-commands-home");
    mFrame = mProgram->Frame();
    ASSERT_NE(mFrame, nullptr);
    mPreviousListener = SetGLErrorListener(
        [this](const std::string& where, const std::string& error) { mGLErrors.push_back(where + ": " + error); });
    YieldUntil([this] { return mFrame->IsShownOnScreen() && GetPane(0); });
    CPolyDoc* document = CPolyApp::Get().GetDoc();
    ASSERT_NE(document, nullptr);
    YieldUntil([document] { return document->CountRecords() == 1 && !GetCurrentPoly()->IsTransitionRunning(); });
    SetTransitionsEnabled(false);
  }

  void TearDown() override {
    SetGLErrorListener(mPreviousListener);
    SetTransitionsEnabled(true);
    mProgram.reset();
    Platform().messages.Clear();
  }

  wxMenuBar* bar() { return mFrame->GetMenuBar(); }

  bool Enabled(int id) {
    wxUpdateUIEvent update(ToWxId(id));
    mFrame->GetEventHandler()->ProcessEvent(update);
    return update.GetEnabled();
  }

  void Post(int id) {
    wxCommandEvent event(wxEVT_MENU, ToWxId(id));
    event.SetEventObject(mFrame);
    mFrame->GetEventHandler()->ProcessEvent(event);
    for (int i = 0; i < CountPanes(); ++i) GetPane(i)->UpdateNow();
  }

  // Every command once; the switches twice, so that they end as they began. Prompts
  // are answered with 2. The derived models come last, so that the stellation steps
  // work on the model itself.
  int PostEveryCommand() {
    int ran = 0;
    for (const auto* list : {&GetModelMenuCommands(), &GetDisplayMenuCommands()}) {
      for (const DocCommand& command : *list) {
        EXPECT_TRUE(IsCommandAvailable(command.id)) << command.id;
        if (command.id == kCmdSubdivideFaces || command.id == kCmdGeodesicSphere) continue;
        if (!Enabled(command.id)) continue;
        Platform().messages.QueueText("2");
        Post(command.id);
        const CommandUi state = UpdateDocCommand(command.id);
        if (command.id == kCmdGeomagStyle ||
            (state.check >= 0 && FindCommand(command.id) && (FindCommand(command.id)->flags & kCommandCheck))) {
          Post(command.id);
        }
        ++ran;
      }
    }
    for (int id : {kCmdSubdivideFaces, kCmdGeodesicSphere}) {
      EXPECT_TRUE(Enabled(id)) << id;
      Platform().messages.QueueText("2");
      Post(id);
      ++ran;
    }
    // What the commands left queued has run.
    YieldUntilHandled();
    mInternalErrors += Platform().messages.CountTitled("Internal Error");
    Platform().messages.Clear();
    return ran;
  }

  wxFrame* mFrame = nullptr;
  std::vector<std::string> mGLErrors;
  int mInternalErrors = 0;

 private:
  std::unique_ptr<corvia::testing::ScriptedProgram> mProgram;
  GLErrorListener mPreviousListener;
};

TEST_F(MenuCommandsWindowTest, EveryCommandShownHasATargetUnlessItIsLeftDisabled) {
  std::set<int> shown;
  wxMenuBar* bar = mFrame->GetMenuBar();
  ASSERT_NE(bar, nullptr);
  for (size_t i = 0; i < bar->GetMenuCount(); ++i) CollectMenuCommands(bar->GetMenu(i), shown);
  auto* frame = dynamic_cast<CMainFrame*>(mFrame);
  ASSERT_NE(frame, nullptr);
  for (CToolBarEx* toolbar :
       std::initializer_list<CToolBarEx*>{frame->GetMainToolBar(), frame->GetTourToolBar(), frame->GetOptionToolBar(),
                                          frame->GetModeToolBar(), frame->GetViewToolBar()}) {
    ASSERT_NE(toolbar, nullptr);
    for (int command : toolbar->GetButtonCommands()) shown.insert(command);
  }
  const std::map<int, std::string> leftDisabled = ReadCommandsLeftDisabled();
  ASSERT_FALSE(leftDisabled.empty());
  std::vector<std::string> problems;
  for (int command : shown) {
    if (command <= kCommandSeparator || IsCommandAvailable(command) || leftDisabled.count(command)) continue;
    problems.push_back(std::to_string(command) + " " + GetCommandMenuPath(command) + ": no target handles it");
  }
  for (const auto& [command, line] : leftDisabled) {
    if (IsCommandAvailable(command)) problems.push_back(line + ": handled now, no longer left disabled");
    if (!shown.count(command)) problems.push_back(line + ": shown in no menu and no toolbar");
  }
  for (const std::string& problem : problems) ADD_FAILURE() << problem;
  // None of the document's command groups is among them.
  for (const auto* group : GetDocCommandGroups()) {
    for (const DocCommand& command : *group) EXPECT_TRUE(IsCommandAvailable(command.id)) << command.id;
  }
}

TEST_F(MenuCommandsWindowTest, EveryCommandRunsOnTheIcosahedronAndOnItsStellation) {
  corvia::testing::MenuOptionsScope options;
  const int total = int(GetModelMenuCommands().size() + GetDisplayMenuCommands().size());
  // The icosahedron: Original Polyhedron may wait for a changed stellation.
  EXPECT_GE(PostEveryCommand(), total - 1);
  EXPECT_EQ(GetCurrentPoly()->mFaces.mCount, 320);

  // Its stellation, shown in the first pane.
  ASSERT_TRUE(
      CPolyApp::Get().GetDoc()->SetModel(LookUpModel("3.3.3.3.3", nullptr, nullptr, nullptr, false), false, false));
  GetPane(0)->SetViewType(kViewStellationOfBase, false);
  GetPane(0)->Activate(false);
  Post(32815);
  Post(32815);
  EXPECT_FALSE(FaceTypeBlock::IsOriginalStellation(GetCurrentPoly()->mBaseBlock.get()));
  EXPECT_EQ(PostEveryCommand(), total);

  EXPECT_TRUE(mGLErrors.empty()) << mGLErrors.front();
  EXPECT_EQ(mInternalErrors, 0);
}

// The Cross-Section Direction items show the direction the section is taken along:
// one of them from the start, and the one chosen after each choice.
TEST_F(MenuCommandsWindowTest, TheCrossSectionDirectionShowsTheAxisChosen) {
  const int axes[3] = {33378, 33379, 33380};
  wxMenuBar* bar = mFrame->GetMenuBar();
  auto checked = [&] {
    bar->UpdateMenus();
    int found = -1, count = 0;
    for (int i = 0; i < 3; ++i) {
      if (bar->FindItem(ToWxId(axes[i]))->IsChecked()) found = i, ++count;
    }
    return count == 1 ? found : -count - 1;
  };
  EXPECT_GE(checked(), 0) << "the starting direction is one of the axes";
  for (int i : {0, 1, 2, 0}) {
    ASSERT_TRUE(Enabled(axes[i])) << i;
    const double before[3] = {SlicingFrame()[2], SlicingFrame()[6], SlicingFrame()[10]};
    Post(axes[i]);
    EXPECT_EQ(checked(), i);
    if (i == 1) {
      const double* frame = SlicingFrame();
      EXPECT_GT(std::fabs(frame[2] - before[0]) + std::fabs(frame[6] - before[1]) + std::fabs(frame[10] - before[2]), 1e-3)
          << "the section turns to the other axis";
    }
  }
}

// Show Intersections with Spheres asks for the spheres' radii (a text that is no list of
// radii is refused and asked again) and draws their circles on the net; none clears them.
TEST_F(MenuCommandsWindowTest, TheSpheresAskedForCutCirclesOnTheNet) {
  corvia::testing::MenuOptionsScope options;
  CPolyView* pane = GetPane(0);
  pane->SetViewType(kViewUnfoldedNet, false);
  pane->Activate(false);
  auto picture = [pane] {
    pane->Invalidate(true);
    pane->UpdateNow();
    return corvia::testing::ScreenPixels(static_cast<PaneWindow*>(pane->GetWindow())->GetCanvas());
  };
  const wxImage plain = picture();
  Platform().messages.QueueText("2 x");
  Platform().messages.QueueText("7.5 8.5");
  Post(kCmdShowSphereIntersections);
  EXPECT_EQ(Platform().messages.CountTitled("Error"), 1);
  EXPECT_EQ(GetNetDrawSettings().referenceSpheres, (std::vector<double>{7.5, 8.5}));
  bar()->UpdateMenus();
  EXPECT_TRUE(bar()->FindItem(ToWxId(kCmdShowSphereIntersections))->IsChecked());
  const wxImage circles = picture();
  int changed = 0;
  for (int y = 0; y < plain.GetHeight(); ++y) {
    for (int x = 0; x < plain.GetWidth(); ++x) {
      changed += plain.GetRed(x, y) != circles.GetRed(x, y) || plain.GetGreen(x, y) != circles.GetGreen(x, y) ||
                 plain.GetBlue(x, y) != circles.GetBlue(x, y);
    }
  }
  EXPECT_GT(changed, 100) << "the circles are drawn on the net's faces";
  Platform().messages.QueueText("");
  Post(kCmdShowSphereIntersections);
  EXPECT_TRUE(GetNetDrawSettings().referenceSpheres.empty());
  bar()->UpdateMenus();
  EXPECT_FALSE(bar()->FindItem(ToWxId(kCmdShowSphereIntersections))->IsChecked());
  Platform().messages.Clear();
}

}  // namespace test_MenuCommandsWindow
