// The main window on a real (virtual) display: the eleven layouts with their panes
// and view types, ratios that survive a scene, the window placement, the menu bar
// against the command table, commands reaching their handlers from a toolbar
// button and a menu item, update-UI marks, and docking bars that keep their
// arrangement across a restart.

#include <gtest/gtest.h>
#include <wx/aui/framemanager.h>
#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/display.h>
#include <wx/glcanvas.h>
#include <wx/timer.h>
#include <wx/uiaction.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/Registry.h"
#include "core/ioStream.h"
#include "dialogs/DialogBase.h"
#include "dialogs/WxDialogs.h"
#include "model/Globals.h"
#include "platform/SettingsStore.h"
#include "render/NewView.h"
#include "render/PaneFrame.h"
#include "render/ViewGroup.h"
#include "tests/gui/GuiTestSupport.h"
#include "tests/support/TestSupport.h"
#include "ui/CommandIds.h"
#include "ui/CommandTable.h"
#include "ui/LayoutDlg.h"
#include "ui/Layouts.h"
#include "ui/MainFrame.h"
#include "ui/NewSplitter.h"
#include "ui/PaneViews.h"
#include "ui/PaneWindow.h"
#include "ui/SizingControlBar.h"
#include "ui/ToolBarEx.h"

namespace {

using namespace corvia;
using corvia::testing::ClickAt;
using corvia::testing::MovePointerTo;
using corvia::testing::YieldUntil;
using corvia::testing::YieldUntilHandled;

// A settings store of the test's own, and a main window made as start-up makes it.
class MainWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    mStore = std::make_unique<platform::SettingsStore>(corvia::testing::ScratchDir("main-window") / "settings.conf");
    mPreviousStore = platform::SettingsStore::InstallInstance(mStore.get());
    SetStartMaximised(false);
  }
  void TearDown() override {
    CloseFrame();
    platform::SettingsStore::InstallInstance(mPreviousStore);
  }

  CMainFrame* OpenFrame() {
    LoadWindowPlacement(1000, 800);
    mFrame = corvia::testing::ShowPainted(new CMainFrame);
    return mFrame;
  }
  void CloseFrame() {
    if (!mFrame) return;
    mFrame->Close(true);
    mFrame = nullptr;
    YieldUntil([] { return wxTopLevelWindows.empty(); });
  }

  std::vector<int> PaneViewTypes() const {
    std::vector<int> types;
    for (NewView* v = NewView::GetFirstView(); v; v = v->GetNext()) types.push_back(GetPaneViewMaker().GetViewType(v));
    return types;
  }

  void Command(int id) {
    wxCommandEvent event(wxEVT_MENU, ToWxId(id));
    event.SetEventObject(mFrame);
    mFrame->GetEventHandler()->ProcessEvent(event);
    YieldUntilHandled();
  }

  CMainFrame* mFrame = nullptr;
  std::unique_ptr<platform::SettingsStore> mStore;
  platform::SettingsStore* mPreviousStore = nullptr;
};

// The screen rectangle of a pane.
wxRect ScreenRect(wxWindow* w) {
  return wxRect(w->GetScreenPosition(), w->GetSize());
}

TEST_F(MainWindow, ElevenLayoutsFromTheKeysShowTheirPanesAndViewTypes) {
  OpenFrame();
  EXPECT_EQ(GetCurrentLayoutIndex(), kLayout2);
  EXPECT_EQ(PaneViewTypes(), (std::vector<int>{0x1900, 0x1340E}));

  struct Step {
    int command, layout;
    std::vector<int> types;
  };
  const int B = 0x1900, U = 0x1340E, F = 0x12C0F, D = 0x1A01, C = 0x1802;
  const Step steps[] = {
      {kCmdLayout1, 0, {B}},
      {kCmdLayout2, 1, {B, U}},
      {kCmdLayout3, 2, {B, U, F}},
      {kCmdLayout3, 4, {B, U, F}},
      {kCmdLayout3, 3, {B, U, F}},
      {kCmdLayout4, 5, {B, U, F, D}},
      {kCmdLayout4, 7, {B, U, F, D}},
      {kCmdLayout4, 6, {B, U, F, D}},
      {kCmdLayout5, 9, {B, U, F, D, C}},
      {kCmdLayout5, 8, {B, U, F, D, C}},
      {kCmdLayout6, 10, {B, U, F, 0x2903, 0xA409, 0xA40A}},
  };
  std::set<int> seen;
  for (const Step& step : steps) {
    Command(step.command);
    ASSERT_EQ(GetCurrentLayoutIndex(), step.layout);
    seen.insert(step.layout);
    EXPECT_EQ(PaneViewTypes(), step.types) << "layout " << step.layout;
    const std::vector<PaneWindow*> panes = mFrame->GetPaneWindows();
    ASSERT_EQ(panes.size(), step.types.size());
    for (PaneWindow* pane : panes) {
      EXPECT_TRUE(pane->IsShownOnScreen());
      EXPECT_GT(pane->GetSize().x, 50);
      EXPECT_GT(pane->GetSize().y, 50);
    }
    // No two panes overlap.
    for (size_t i = 0; i < panes.size(); ++i)
      for (size_t j = i + 1; j < panes.size(); ++j) EXPECT_FALSE(ScreenRect(panes[i]).Intersects(ScreenRect(panes[j])));
    if (step.layout == kLayout3SplitLeft) {
      // Pane 0 is the right-hand column; panes 1 and 2 stand on the left, one above the other.
      EXPECT_GT(ScreenRect(panes[0]).x, ScreenRect(panes[1]).GetRight());
      EXPECT_EQ(ScreenRect(panes[1]).x, ScreenRect(panes[2]).x);
      EXPECT_LT(ScreenRect(panes[1]).y, ScreenRect(panes[2]).y);
      EXPECT_NEAR(ScreenRect(panes[1]).width * 2.0, ScreenRect(panes[0]).width, 8.0);
    }
  }
  EXPECT_EQ(seen.size(), 11u);
}

TEST_F(MainWindow, ChooseLayoutRunsTheLayoutDialog) {
  OpenFrame();
  ASSERT_EQ(GetCurrentLayoutIndex(), kLayout2);
  auto& dialogs = corvia::testing::Platform().dialogs;
  dialogs.Queue<LayoutDlg>([](LayoutDlg& d) {
    EXPECT_EQ(d.mLayout, kLayout2);
    d.mLayout = kLayout4Grid;
    return true;
  });
  Command(kCmdChooseLayout);
  EXPECT_EQ(GetCurrentLayoutIndex(), kLayout4Grid);
  EXPECT_EQ(mFrame->GetPaneWindows().size(), 4u);
  dialogs.Queue<LayoutDlg>([](LayoutDlg& d) {
    d.mLayout = kLayout1;
    return false;
  });
  Command(kCmdChooseLayout);
  EXPECT_EQ(GetCurrentLayoutIndex(), kLayout4Grid);

  // The real dialog is one of the running dialogs, which the close-down cancels.
  WxDialogs wx;
  platform::ServiceSet set = platform::Services();
  set.dialogs = &wx;
  const platform::ServiceSet before = platform::InstallServices(set);
  struct EndRunning : wxTimer {
    void Notify() override {
      if (!GetTopDialog()) return;
      Stop();
      ended = true;
      EndRunningDialogs();
    }
    bool ended = false;
  } end;
  end.Start(20);
  Command(kCmdChooseLayout);
  platform::InstallServices(before);
  EXPECT_TRUE(end.ended);
  EXPECT_EQ(GetCurrentLayoutIndex(), kLayout4Grid);
}

TEST_F(MainWindow, LayoutsRememberTheirViewTypesAndRatios) {
  OpenFrame();
  Command(kCmdLayout1);
  GetPaneViewMaker().SetViewType(NewView::GetFirstView(), 0x2A04);
  Command(kCmdLayout3);
  Command(kCmdLayout3);
  Command(kCmdLayout3);  // Layout3SplitLeft
  ASSERT_EQ(GetCurrentLayoutIndex(), kLayout3SplitLeft);
  NewSplitter* main = mFrame->GetMainSplitter();
  ASSERT_NE(main, nullptr);
  const int width = main->GetClientSize().x;
  main->DragBar(true, 0, width * 2 / 3);
  const std::vector<int> dragged = main->GetColumnWidths();
  Command(kCmdLayout1);
  EXPECT_EQ(PaneViewTypes(), (std::vector<int>{0x2A04}));  // layout 0 shows what it showed last
  Command(kCmdLayout3);
  Command(kCmdLayout3);
  Command(kCmdLayout3);
  ASSERT_EQ(GetCurrentLayoutIndex(), kLayout3SplitLeft);
  EXPECT_EQ(mFrame->GetMainSplitter()->GetColumnWidths(), dragged);
}

// A frame installed over the main window, as a second window would be: it records
// what it is told.
struct FrameOverTheWindow : public PaneFrame {
  void SetMouseButtonHints(const std::string&, const std::string&, const std::string&) override { ++hints; }
  void SetActiveView(NewView* view) override { active = view; }
  int hints = 0;
  NewView* active = nullptr;
};

TEST_F(MainWindow, ItsCommandsAndPanesActOnItsOwnPanesWhileAnotherFrameIsInstalled) {
  OpenFrame();
  FrameOverTheWindow other;
  struct Installed {
    PaneFrame* before;
    ~Installed() { InstallPaneFrame(before); }
  } installed{InstallPaneFrame(&other)};
  ViewGroup& own = *mFrame->GetViewGroup();

  // A layout command lays out the window's own panes: in its list, in its pane windows,
  // with the layout's view types; the installed frame gets none of them.
  Command(kCmdLayout3);
  ASSERT_EQ(GetCurrentLayoutIndex(), kLayout3Equal);
  std::vector<NewView*> listed;
  for (NewView* v = own.views.first; v; v = v->GetNext()) listed.push_back(v);
  const std::vector<PaneWindow*> panes = mFrame->GetPaneWindows();
  ASSERT_EQ(listed.size(), 3u);
  ASSERT_EQ(panes.size(), 3u);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(panes[i]->GetView(), listed[i]) << "pane " << i;
    EXPECT_EQ(listed[i]->GetIndex(), i);
    EXPECT_EQ(GetPaneViewMaker().GetViewType(listed[i]), GetLayoutViewType(kLayout3Equal, i)) << "pane " << i;
  }
  EXPECT_EQ(other.GetViewGroup()->views.first, nullptr);

  // A press on a pane's caption makes it the window's active pane, and the pointer over
  // another pane shows that pane's help in the window's status bar.
  ASSERT_NE(own.views.active, listed[2]);
  wxWindow* strip = panes[2]->GetCaptionStrip();
  ClickAt(strip, wxPoint(strip->GetClientSize().x / 2, strip->GetClientSize().y / 2));
  YieldUntil([&] { return mFrame->GetActiveView() == listed[2]; });
  EXPECT_EQ(mFrame->GetActiveView(), listed[2]);
  EXPECT_EQ(own.views.active, listed[2]);
  for (int pane = 1; pane <= 3; ++pane) mFrame->SetStatusPaneText(pane, "");
  wxUIActionSimulator mouse;
  wxWindow* canvas = panes[1]->GetCanvas();
  MovePointerTo(mouse, canvas->ClientToScreen(wxPoint(canvas->GetClientSize().x / 2, canvas->GetClientSize().y / 2)));
  YieldUntil([&] { return own.views.underMouse == listed[1] && !mFrame->GetStatusPaneText(1).empty(); });
  std::string left, right, both;
  listed[1]->GetMouseButtonHelp(left, right, both);
  EXPECT_EQ(mFrame->GetStatusPaneText(1), "L: " + left);
  EXPECT_EQ(mFrame->GetStatusPaneText(3), "L+R: " + both);
  EXPECT_EQ(other.active, nullptr);
  EXPECT_EQ(other.hints, 0);
}

TEST_F(MainWindow, RatiosWrittenAndReadBackGiveTheSamePaneSizes) {
  OpenFrame();
  Command(kCmdLayout6);
  NewSplitter* main = mFrame->GetMainSplitter();
  main->DragBar(true, 0, 123);
  main->DragBar(false, 0, main->GetClientSize().y / 3);
  std::vector<wxSize> before;
  for (PaneWindow* pane : mFrame->GetPaneWindows()) before.push_back(pane->GetSize());

  mFrame->StoreLayoutRatios();
  ioBuffer buffer;
  ioStream* w = ioOpenWrite(nullptr, nullptr, 1, 0, kIoModeMemory, nullptr, nullptr, &buffer).release();
  ASSERT_TRUE(WriteLayouts(w, 0));
  ioClose(w);

  Command(kCmdLayout2);  // the frame moves on; the scene brings layout and ratios back
  ioStream* r = ioOpenRead(nullptr, nullptr, 1, 0, nullptr, nullptr, buffer.data, buffer.length).release();
  ASSERT_TRUE(ReadLayouts(r, kLayout2, true));
  ioClose(r);
  std::vector<wxSize> after;
  auto sizesBack = [&] {
    after.clear();
    for (PaneWindow* pane : mFrame->GetPaneWindows()) after.push_back(pane->GetSize());
    if (after.size() != before.size()) return false;
    for (size_t i = 0; i < before.size(); ++i) {
      if (std::abs(after[i].x - before[i].x) > 1 || std::abs(after[i].y - before[i].y) > 1) return false;
    }
    return true;
  };
  YieldUntilHandled();
  YieldUntil(sizesBack);
  ASSERT_EQ(GetCurrentLayoutIndex(), kLayout6);
  ASSERT_EQ(after.size(), before.size());
  for (size_t i = 0; i < before.size(); ++i) {
    EXPECT_NEAR(after[i].x, before[i].x, 1) << "pane " << i;
    EXPECT_NEAR(after[i].y, before[i].y, 1) << "pane " << i;
  }
}

TEST_F(MainWindow, PlacementIsSavedAndRestored) {
  OpenFrame();
  mFrame->SetSize(wxRect(100, 80, 900, 700));
  YieldUntil([&] { return mFrame->GetRect() == wxRect(100, 80, 900, 700); });
  const wxRect placed = mFrame->GetRect();
  CloseFrame();
  int right = 0;
  {
    RegistryKeyPtr key = OpenRegistryKeyForRead(TheRegistryApp(), "Settings", nullptr);
    ASSERT_TRUE(key);
    ASSERT_TRUE(GetRegistryInt(key.get(), "WindowPosRight", right));
  }
  EXPECT_EQ(right, placed.GetLeft() + placed.GetWidth());
  OpenFrame();
  EXPECT_EQ(mFrame->GetRect(), placed);
  CloseFrame();

  // A rectangle left from a larger screen comes back inside this one.
  {
    RegistryKeyPtr key = OpenRegistryKeyForWrite(TheRegistryApp(), "Settings", nullptr);
    SetRegistryInt(key.get(), "WindowPosLeft", 5000);
    SetRegistryInt(key.get(), "WindowPosRight", 5900);
    SetRegistryInt(key.get(), "WindowPosTop", -3000);
    SetRegistryInt(key.get(), "WindowPosBottom", -2300);
  }
  LoadWindowPlacement(1000, 800);
  const wxRect desktop = wxDisplay(0u).GetGeometry();
  EXPECT_TRUE(desktop.Contains(GetSavedWindowRect())) << GetSavedWindowRect().x << "," << GetSavedWindowRect().y;
  EXPECT_EQ(GetSavedWindowRect().GetSize(), wxSize(900, 700));
}

// Every item of the menu bar, with its path.
void WalkMenu(wxMenu* menu, const std::string& path, std::map<int, std::string>& items) {
  for (wxMenuItem* item : menu->GetMenuItems()) {
    const std::string text = StripMenuText(item->GetItemLabel().utf8_string());
    if (item->IsSubMenu()) {
      WalkMenu(item->GetSubMenu(), path + "->" + text, items);
    } else if (!item->IsSeparator()) {
      const int command = FromWxId(item->GetId());
      EXPECT_EQ(items.count(command), 0u) << "command " << command << " stands twice";
      items[command] = path + "->" + text;
    }
  }
}

TEST_F(MainWindow, MenuBarHoldsEveryCommandOfTheTable) {
  OpenFrame();
  wxMenuBar* bar = mFrame->GetMenuBar();
  ASSERT_NE(bar, nullptr);
  std::map<int, std::string> items;
  for (size_t i = 0; i < bar->GetMenuCount(); ++i) {
    const std::string title = StripMenuText(bar->GetMenuLabel(i).utf8_string());
    EXPECT_NE(title, "4D");
    EXPECT_NE(title, "Debug");
    WalkMenu(bar->GetMenu(i), title, items);
  }
  for (const CommandInfo& info : GetCommandTable()) {
    if (info.id == kCommandSeparator || (info.flags & (kCommandKeyOnly | kCommandNoItem))) continue;
    const std::string top = SplitMenuPath(info.path)[0];
    const bool hidden = (info.flags & kCommandTakenOut) || top == "4D" || top == "Debug";
    if (hidden) {
      EXPECT_EQ(items.count(info.id), 0u) << info.path << " should be taken out";
      continue;
    }
    ASSERT_EQ(items.count(info.id), 1u) << info.path;
    EXPECT_EQ(items[info.id], GetCommandMenuPath(info.id) == "" ? "" : items[info.id]);
    char buffer[256];
    EXPECT_STREQ(GetMenuPathOfCommand(info.id, buffer, sizeof buffer), items[info.id].c_str());
  }
  // Menu paths as the program's texts name them lead to their commands.
  const std::pair<const char*, int> named[] = {
      {"View->View Nets->Unfolded Net", 32840},
      {"Poly->Next Polyhedron", 32792},
      {"View->Toolbars->Show View-Type Toolbar", 32955},
      {"View->Model Info", 32963},
      {"View->Choose Layout...", 32832},
      {"Selection->Mouse Selection Mode->Faceting Mode", 32940},
      {"Stellation->Next", 32815},
      {"Section->Fill 2D Cross-Section", kCmdFillCrossSection},
      {"Faceting->Faceting Criteria->Isohedral", kCmdFacetingIsohedral},
      {"Display->3D Stereo Display->Don't Display in Stereo", 32804},
      {"Nets->Tabs->Double Tabs (Glue Tab to Tab)", 33509},
      {"File->Export Image...", 33059},
      {"Help->Corvia Manual...", 32980},
      {"Help->About Corvia...", 57664},
  };
  for (const auto& [path, id] : named) EXPECT_EQ(items[id], path) << id;
  // A command in a toolbar shows the button's image in its normal menu item.
  wxMenuItem* next = bar->FindItem(ToWxId(32792));
  ASSERT_NE(next, nullptr);
  EXPECT_TRUE(next->GetBitmapBundle().IsOk());
  EXPECT_EQ(next->GetItemLabel(), "Next Polyhedron\tCtrl+Right");
  // Tab, which GTK menus refuse, is a key of the frame; the item keeps its text.
  EXPECT_EQ(bar->FindItem(ToWxId(33131))->GetItemLabel(), "Toggle Single/Auto Color Modes");
}

// The menu paths of the manual's pages ("Poly &gt; Next Polyhedron" in a span of class
// "menu"), as the menus show them: entities decoded, blanks joined, no trailing "...".
std::string ManualMenuPath(std::string text) {
  for (const auto& [entity, character] : {std::pair<std::string, std::string>{"&gt;", ">"}, {"&amp;", "&"}}) {
    for (size_t at = text.find(entity); at != std::string::npos; at = text.find(entity, at + 1))
      text.replace(at, entity.size(), character);
  }
  std::string out;
  for (char c : text) {
    const bool blank = std::isspace(static_cast<unsigned char>(c)) != 0;
    if (blank && (out.empty() || out.back() == ' ')) continue;
    out += blank ? ' ' : c;
  }
  while (!out.empty() && (out.back() == ' ' || out.back() == '.')) out.pop_back();
  return out;
}

// Every menu, submenu and item of the menu bar by its path in the manual's form.
void CollectMenuPaths(wxMenu* menu, const std::string& path, std::set<std::string>& paths) {
  for (wxMenuItem* item : menu->GetMenuItems()) {
    if (item->IsSeparator()) continue;
    const std::string itemPath = ManualMenuPath(path + " > " + StripMenuText(item->GetItemLabel().utf8_string()));
    paths.insert(itemPath);
    if (item->IsSubMenu()) CollectMenuPaths(item->GetSubMenu(), itemPath, paths);
  }
}

TEST_F(MainWindow, TheManualNamesOnlyMenuCommandsThatExistAndEveryKey) {
  OpenFrame();
  wxMenuBar* bar = mFrame->GetMenuBar();
  ASSERT_NE(bar, nullptr);
  std::set<std::string> paths;
  for (size_t i = 0; i < bar->GetMenuCount(); ++i) {
    const std::string title = ManualMenuPath(StripMenuText(bar->GetMenuLabel(i).utf8_string()));
    paths.insert(title);
    CollectMenuPaths(bar->GetMenu(i), title, paths);
  }
  const std::filesystem::path manual = corvia::testing::FixturesDir().parent_path().parent_path() / "docs" / "manual";
  ASSERT_TRUE(std::filesystem::is_directory(manual)) << manual;
  // Poly commands whose items come with their own change: a path may be missing only while no
  // item of its kind is in the menus; once one is, the manual must name it as the menu does.
  const std::pair<const char*, const char*> coming[] = {
      {"Poly > Create Convex Hull", "Convex Hull"}, {"Poly > Create Convex Core", "Convex Core"},
      {"Poly > Zonohedrify", "Zonohedrify"},       {"Poly > Create Waterman Polyhedron", "Waterman"},
      {"Poly > Add Mirror Image", "Mirror Image"}, {"Poly > Add Base Model and Dual", "Base Model and Dual"},
      {"Poly > Memory", "Memory"}};
  const auto anyItemWith = [&paths](const char* word) {
    return std::any_of(paths.begin(), paths.end(), [word](const std::string& p) { return p.find(word) != std::string::npos; });
  };
  // The texts of the page's <span class="menu">...</span> marks, in order.
  const auto menuSpans = [](const std::string& page) {
    static const std::string open = "<span class=\"menu\">";
    std::vector<std::string> texts;
    for (size_t at = page.find(open); at != std::string::npos; at = page.find(open, at)) {
      at += open.size();
      const size_t end = page.find('<', at);
      if (end == std::string::npos) break;
      if (page.compare(end, 7, "</span>") == 0) texts.push_back(page.substr(at, end - at));
      at = end;
    }
    return texts;
  };
  std::string keysPage;
  int named = 0;
  for (const auto& entry : std::filesystem::directory_iterator(manual)) {
    if (entry.path().extension() != ".html") continue;
    std::ifstream file(entry.path());
    const std::string page((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (entry.path().filename() == "keys.html") keysPage = page;
    for (const std::string& text : menuSpans(page)) {
      const std::string path = ManualMenuPath(text);
      ++named;
      if (paths.count(path)) continue;
      const auto* pending = std::find_if(std::begin(coming), std::end(coming),
                                         [&path](const auto& c) { return path == c.first; });
      if (pending != std::end(coming) && !anyItemWith(pending->second)) continue;
      ADD_FAILURE() << entry.path().filename() << " names \"" << path << "\", which no menu holds";
    }
  }
  EXPECT_GT(named, 100);
  // The keys page names the command of every key, as its menu item is called.
  ASSERT_FALSE(keysPage.empty());
  std::set<std::string> keyed;
  for (const std::string& text : menuSpans(keysPage)) keyed.insert(ManualMenuPath(text));
  for (const CommandInfo& info : GetCommandTable()) {
    if (info.id == kCommandSeparator || !*info.accel || (info.flags & (kCommandKeyOnly | kCommandTakenOut))) continue;
    char buffer[256];
    std::string path = GetMenuPathOfCommand(info.id, buffer, sizeof buffer);
    for (size_t at = path.find("->"); at != std::string::npos; at = path.find("->", at)) path.replace(at, 2, " > ");
    EXPECT_EQ(keyed.count(ManualMenuPath(path)), 1u) << "keys.html does not name " << path << " (" << info.accel << ")";
  }
}

// A handler of commands that the window does not handle itself, as the document's is.
class DocumentCommands : public wxEvtHandler {
 public:
  DocumentCommands() {
    Bind(
        wxEVT_MENU, [this](wxCommandEvent& e) { handled.push_back(FromWxId(e.GetId())); }, ToWxId(32792));
    Bind(
        wxEVT_MENU, [this](wxCommandEvent& e) { handled.push_back(FromWxId(e.GetId())); }, ToWxId(32937));
    Bind(
        wxEVT_UPDATE_UI, [this](wxUpdateUIEvent& e) { e.Check(mode); }, ToWxId(32937));
  }
  std::vector<int> handled;
  bool mode = true;
};

TEST_F(MainWindow, ToolbarButtonsAndMenuItemsReachTheirHandlers) {
  OpenFrame();
  DocumentCommands document;
  mFrame->AddCommandTarget(&document);
  SetCommandAvailable(32792, true);
  SetCommandAvailable(32937, true);

  // A menu item chosen (what GTK's activation of the item sends).
  wxMenu* menu = nullptr;
  ASSERT_NE(mFrame->GetMenuBar()->FindItem(ToWxId(32792), &menu), nullptr);
  menu->SendEvent(ToWxId(32792));
  EXPECT_EQ(document.handled, (std::vector<int>{32792}));

  // A click on the mode toolbar's first button.
  CToolBarEx* modes = mFrame->GetToolBar(kModeToolBarId);
  ASSERT_NE(modes, nullptr);
  // The toolbar takes its buttons' states from the update handlers in the idle time.
  YieldUntil([&] {
    wxTheApp->ProcessIdle();
    return modes->GetToolEnabled(ToWxId(32937)) && modes->GetToolToggled(ToWxId(32937));
  });
  EXPECT_TRUE(modes->GetToolEnabled(ToWxId(32937)));
  EXPECT_TRUE(modes->GetToolToggled(ToWxId(32937)));  // the handler's mark
  const wxRect button = modes->GetToolRect(ToWxId(32937));
  corvia::testing::ClickAt(modes, button.GetPosition() + wxPoint(button.width / 2, button.height / 2));
  YieldUntil([&] { return document.handled.size() == 2; });
  EXPECT_EQ(document.handled, (std::vector<int>{32792, 32937}));
  mFrame->RemoveCommandTarget(&document);
  SetCommandAvailable(32792, false);
  SetCommandAvailable(32937, false);

  // Commands nobody handles yet are there, disabled.
  mFrame->GetMenuBar()->UpdateMenus();
  wxMenuItem* next = mFrame->GetMenuBar()->FindItem(ToWxId(32792));
  ASSERT_NE(next, nullptr);
  EXPECT_FALSE(next->IsEnabled());
}

TEST_F(MainWindow, ToolbarTogglesAreCheckedWhileTheirBarIsShown) {
  OpenFrame();
  wxMenuBar* bar = mFrame->GetMenuBar();
  bar->UpdateMenus();
  for (int id : {kCmdShowMainToolbar, kCmdShowTourToolbar, kCmdShowOptionToolbar, kCmdShowModeToolbar,
                 kCmdShowViewToolbar, kCmdShowModelInfo}) {
    EXPECT_TRUE(bar->FindItem(ToWxId(id))->IsEnabled()) << id;
    EXPECT_TRUE(bar->FindItem(ToWxId(id))->IsChecked()) << id;
  }
  Command(kCmdShowModeToolbar);
  Command(kCmdShowModelInfo);
  bar->UpdateMenus();
  EXPECT_FALSE(bar->FindItem(ToWxId(kCmdShowModeToolbar))->IsChecked());
  EXPECT_FALSE(bar->FindItem(ToWxId(kCmdShowModelInfo))->IsChecked());
  EXPECT_FALSE(mFrame->GetModeToolBar()->IsShownOnScreen());
  Command(kCmdShowModeToolbar);
  bar->UpdateMenus();
  EXPECT_TRUE(bar->FindItem(ToWxId(kCmdShowModeToolbar))->IsChecked());
}

TEST_F(MainWindow, DockingBarsKeepTheirArrangementAcrossARestart) {
  OpenFrame();
  wxAuiManager& aui = mFrame->GetAuiManager();
  EXPECT_TRUE(mFrame->GetInfoBar()->IsVertDocked());
  EXPECT_TRUE(aui.GetPane(mFrame->GetTourBar()).IsShown());

  // Float the information bar, close the tour bar with its caption's button, dock
  // the view toolbar on the left.
  aui.GetPane(mFrame->GetInfoBar()).Float().FloatingPosition(300, 300).FloatingSize(260, 410);
  aui.GetPane(mFrame->GetTourBar()).Hide();
  aui.GetPane(mFrame->GetViewToolBar()).Left();
  aui.Update();
  YieldUntil([&] { return mFrame->GetInfoBar()->IsFloating(); });
  YieldUntilHandled();
  EXPECT_TRUE(mFrame->GetInfoBar()->IsFloating());
  CloseFrame();

  OpenFrame();
  wxAuiManager& again = mFrame->GetAuiManager();
  EXPECT_TRUE(mFrame->GetInfoBar()->IsFloating());
  EXPECT_FALSE(again.GetPane(mFrame->GetTourBar()).IsShown());
  EXPECT_EQ(again.GetPane(mFrame->GetViewToolBar()).dock_direction, wxAUI_DOCK_LEFT);
  EXPECT_EQ(mFrame->GetInfoBar()->GetFloatSize().x, 260);

  // Re-shown and docked again.
  Command(kCmdShowModelInfo);  // hides it
  Command(kCmdShowModelInfo);  // shows it
  again.GetPane(mFrame->GetInfoBar()).Dock().Right();
  again.GetPane(mFrame->GetTourBar()).Show();
  again.Update();
  YieldUntil([&] { return mFrame->GetInfoBar()->IsVertDocked(); });
  YieldUntilHandled();
  EXPECT_TRUE(mFrame->GetInfoBar()->IsVertDocked());
  CloseFrame();
  OpenFrame();
  EXPECT_TRUE(mFrame->GetInfoBar()->IsVertDocked());
  EXPECT_TRUE(mFrame->GetAuiManager().GetPane(mFrame->GetTourBar()).IsShown());
}

TEST_F(MainWindow, AStateWithoutTheTourBarLeavesItBesideTheInformationBar) {
  OpenFrame();
  wxAuiManager& aui = mFrame->GetAuiManager();
  aui.DetachPane(mFrame->GetTourBar());
  const wxString withoutTour = aui.SavePerspective();
  CloseFrame();
  {
    RegistryKeyPtr key = OpenRegistryKeyForWrite(TheRegistryApp(), kBarStateSection, nullptr);
    SetRegistryString(key.get(), kBarStateValue, withoutTour.utf8_string().c_str());
  }
  OpenFrame();
  const wxAuiPaneInfo& tour = mFrame->GetAuiManager().GetPane(mFrame->GetTourBar());
  EXPECT_TRUE(tour.IsShown());
  EXPECT_EQ(tour.dock_direction, wxAUI_DOCK_RIGHT);
  CloseFrame();

  // A state naming a bar the frame lacks is ignored whole.
  {
    RegistryKeyPtr key = OpenRegistryKeyForWrite(TheRegistryApp(), kBarStateSection, nullptr);
    SetRegistryString(key.get(), kBarStateValue, "layout2|name=4711;caption=;state=0;dir=4;layer=0;row=0;pos=0|");
  }
  OpenFrame();
  EXPECT_TRUE(mFrame->GetAuiManager().GetPane(mFrame->GetInfoBar()).IsShown());
}

TEST_F(MainWindow, BarSizesAreRaisedToTheirMinimum) {
  {
    RegistryKeyPtr key = OpenRegistryKeyForWrite(TheRegistryApp(), "BarState-SCBar-61451", nullptr);
    SetRegistryInt(key.get(), "sizeHorzCY", 10);
  }
  OpenFrame();
  mFrame->GetInfoBar()->LoadState(kBarStateProfile);
  EXPECT_EQ(mFrame->GetInfoBar()->GetHorzSize().y, 32);
  // A bar never shown still writes its six values.
  mFrame->GetAuiManager().GetPane(mFrame->GetTourBar()).Hide();
  CloseFrame();
  RegistryKeyPtr key = OpenRegistryKeyForRead(TheRegistryApp(), "BarState-SCBar-298", nullptr);
  ASSERT_TRUE(key);
  int width = 0;
  EXPECT_TRUE(GetRegistryInt(key.get(), "sizeFloatCX", width));
  EXPECT_EQ(width, 200);
}

TEST_F(MainWindow, StatusTextsAndCloseDown) {
  OpenFrame();
  SetMouseButtonHints("Rotate", "Zoom", "Pivot");
  EXPECT_EQ(mFrame->GetStatusPaneText(1), "L: Rotate");
  EXPECT_EQ(mFrame->GetStatusPaneText(3), "L+R: Pivot");
  StatusPrintf("%s", std::string(700, 'x').c_str());
  const std::string text = mFrame->GetStatusPaneText(0);
  EXPECT_LE(text.size(), 511u);
  EXPECT_EQ(text.substr(text.size() - 3), "...");
  char path[128];
  EXPECT_STREQ(GetMenuPathOfCommand(32955, path, sizeof path), "View->Toolbars->Show View-Type Toolbar");
  CloseFrame();
  EXPECT_EQ(GetMainFrame(), nullptr);
  EXPECT_EQ(NewView::GetFirstView(), nullptr);
  // Without a window the table still answers.
  EXPECT_STREQ(GetMenuPathOfCommand(32955, path, sizeof path), "View->Toolbars->Show View-Type Toolbar");
}

}  // namespace
