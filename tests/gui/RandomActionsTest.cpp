// The real program driven by a seeded stream of random user actions: menu commands
// (the Poly and Stellation menus' builders, torus, regularising and criteria more
// often than the rest), keys and accelerators in the panes, clicks and drags, caption
// buttons, layouts, steps through the library, and answers to its boxes and dialogs
// (Escape among them); while work runs under the progress window, more input keeps
// coming. After every action the program must paint again within a bound, no pane may
// take longer than 2 s to paint (five times that under the sanitizers), no box may be
// an internal error, no check of the window toolkit may fail, and at the end the main
// window must close and go. Every action is printed as it starts, with the seed and the
// seconds since the run began, and an action still running is named again every 20 s:
// a run that its time limit ends shows where it was. A failure ends the run; its last
// lines name the seed, the action and what the test saw, and the command that replays
// the seed.
//
// Under an address-space limit (RandomActionsUnderAddressLimit, a few hundred megabytes
// above what the program holds when it starts, as prlimit --as or a login's limits give),
// the builders' prompts are answered with sizes up to far past what fits: every builder
// must end in its model or in words, never in the end of the process. The estimates
// count on three times the room, as where memory that the estimate saw free is taken
// meanwhile: every second builder is asked for a model of twice the room, which the
// estimate lets in and the limit itself ends, and most of them must end so.
//
// CI runs a few short seeds. Longer runs: CORVIA_RANDOM_SEEDS="1,2,3" (the seeds) and
// CORVIA_RANDOM_ACTIONS=2000 (actions per seed); CORVIA_RANDOM_KEEP=dir keeps the model
// met at an internal error.

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>
#include <wx/dialog.h>
#include <wx/button.h>
#include <wx/dirdlg.h>
#include <wx/eventfilter.h>
#include <wx/apptrait.h>
#include <wx/evtloop.h>
#include <wx/filedlg.h>
#include <wx/frame.h>
#include <wx/glcanvas.h>
#include <wx/menu.h>
#include <wx/modalhook.h>
#include <wx/timer.h>
#include <wx/treectrl.h>
#include <wx/uiaction.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/PolyApp.h"
#include "app/PolyDoc.h"
#include "app/PolyView.h"
#include "app/WindowServices.h"
#include "core/DrawnPolygon.h"
#include "core/OperationGuard.h"
#include "core/Progress.h"
#include "files/ModelFile.h"
#include "model/Globals.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "model/Subdivision.h"
#include "platform/Clock.h"
#include "platform/Memory.h"
#include "platform/MessageFrontEnd.h"
#include "platform/Services.h"
#include "platform/wx/WxProgress.h"
#include "render/MouseThrow.h"
#include "render/NewView.h"
#include "tests/gui/GuiTestSupport.h"
#include "tests/gui/ProgramTestSupport.h"
#include "tests/support/TestSupport.h"
#include "ui/CommandIds.h"
#include "ui/InfoBar.h"
#include "ui/PaneWindow.h"
#include "ui/PopupMenus.h"
#include "ui/Tour.h"

namespace test_RandomActions {

using namespace corvia;
using corvia::testing::YieldUntil;

// How long the program may take to paint again after an action.
constexpr std::chrono::milliseconds kAnswerLimit{60000};
// How long the events an action brought about may take to be handled before the
// check that the window paints.
constexpr std::chrono::milliseconds kSettleLimit{3000};
// The longest pass of wx's loop while the test waits, in milliseconds.
constexpr int kPassMs = 5;
// How long a dialog, a menu or a progress window may stay before the test answers it.
constexpr int kAnswerAfterMs = 400;
// The longest a pane may take to paint; the program built with the sanitizers runs
// several times slower.
#if defined(__SANITIZE_ADDRESS__)
constexpr double kPaintLimitSeconds = 2.0 * 5;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr double kPaintLimitSeconds = 2.0 * 5;
#else
constexpr double kPaintLimitSeconds = 2.0;
#endif
#else
constexpr double kPaintLimitSeconds = 2.0;
#endif
// While work runs under the progress window: the time between two inputs, and how
// long the work may run before the test presses its Cancel.
constexpr double kInputDuringWorkSeconds = 0.2;
constexpr double kWorkCancelSeconds = 30.0;
// An action still running is named again after this many seconds, and as many more.
constexpr double kStillRunningSeconds = 20.0;
constexpr int kCiSeeds[] = {11, 23, 37};
constexpr int kCiActions = 40;
// File > Open.
constexpr int kCmdOpen = 57601;
// Each seed begins by opening one of these (tests/fixtures/model-files): nearly
// symmetric models with a facet drawn and faceting settings, and their vertex counts.
constexpr struct {
  const char* name;
  int vertices;
} kStartFiles[] = {{"near-cube-mirror-drawn-facet.corv", 8},
                   {"truncated-icosahedron-corner-moved-1e-6.corv", 60},
                   {"icosahedron-stellation-drawn-facet.corv", 62}};

// Menu commands left out: they end the run, reach the world outside (a browser, a
// printer, the network), or run searches with no bound. The dual morphs animate for as
// long as they are shown, and wx's input simulator then waits without end for the
// display to fall quiet (a limit of the tool, not of the program).
bool LeftOut(const wxString& label) {
  static const char* const kWords[] = {"Exit", "Print", "Online", "Forums", "Facebook", "Download", "Updates",
                                       "Manual", "Kestrune", "Recent", "Enumerate", "Search", "Morphing"};
  for (const char* word : kWords) {
    if (label.Contains(word)) return true;
  }
  return false;
}

// The modal dialogs open now, the last opened last; the watch answers them.
class DialogWatch final : public wxModalDialogHook {
 public:
  DialogWatch() { Register(); }
  ~DialogWatch() override { Unregister(); }
  std::vector<wxDialog*> open;

 protected:
  int Enter(wxDialog* dialog) override {
    open.push_back(dialog);
    return wxID_NONE;
  }
  void Exit(wxDialog* dialog) override {
    if (!open.empty() && open.back() == dialog) open.pop_back();
  }
};

// Times the paints of the panes' canvases: a paint ends when the next event begins, or
// when the test's loop has control again (nothing modal runs inside a paint).
class PaintTimer final : public wxEventFilter {
 public:
  PaintTimer() { wxEvtHandler::AddFilter(this); }
  ~PaintTimer() override { wxEvtHandler::RemoveFilter(this); }
  int FilterEvent(wxEvent& event) override {
    End();
    auto* canvas = dynamic_cast<wxGLCanvas*>(event.GetEventObject());
    if (event.GetEventType() == wxEVT_PAINT && canvas) {
      mStart = platform::SteadyClock().NowSeconds();
      auto* window = dynamic_cast<PaneWindow*>(canvas->GetParent());
      CPolyView* pane = window ? CPolyView::AsPolyView(window->GetView()) : nullptr;
      mViewType = pane ? static_cast<int>(pane->GetViewType()) : -1;
    }
    return Event_Skip;
  }
  void End() {
    if (mStart < 0.0) return;
    const double took = platform::SteadyClock().NowSeconds() - mStart;
    mStart = -1.0;
    if (took > longest) {
      longest = took;
      longestViewType = mViewType;
    }
  }
  double longest = 0.0;
  int longestViewType = -1;

 private:
  double mStart = -1.0;
  int mViewType = -1;
};

// The steady clock, calling the test's hook first (not from inside the hook): work
// under the progress window reads it as it reports.
class HookedClock final : public platform::Clock {
 public:
  double NowSeconds() const override {
    if (onRead && !mInHook) {
      mInHook = true;
      onRead();
      mInHook = false;
    }
    return mSteady.NowSeconds();
  }
  std::function<void()> onRead;

 private:
  platform::SteadyClock mSteady;
  mutable bool mInHook = false;
};

class RandomActions : public ::testing::Test {
 protected:
  void SetUp() override {
    mProgram = std::make_unique<corvia::testing::RunningProgram>("random-actions");
    mFrame = mProgram->Frame();
    ASSERT_NE(mFrame, nullptr);
    platform::ServiceSet services = platform::Services();
    services.messages = &Messages();
    services.clock = &mClock;
    platform::InstallServices(services);
    mClock.onRead = [this] { InputDuringWork(); };
    Messages().Clear();
    Messages().onBox = [this](const platform::MessageBoxRequest& box) {
      if (box.title != "Internal Error") return;
      ADD_FAILURE() << Report("internal error \"" + box.text + "\"");
      KeepModel();
    };
    YieldUntil([this] { return mFrame->IsShownOnScreen() && GetPane(0) && GetPane(0)->GetWindow(); });
    mFrame->Bind(wxEVT_MENU_OPEN, [this](wxMenuEvent& event) {
      ++mMenusOpen;
      event.Skip();
    });
    mFrame->Bind(wxEVT_MENU_CLOSE, [this](wxMenuEvent& event) {
      if (mMenusOpen > 0) --mMenusOpen;
      event.Skip();
    });
    mLoop.reset(wxTheApp->GetTraits()->CreateEventLoop());
    // Made once: making one lets wx handle its events with no bound.
    mSim = std::make_unique<wxUIActionSimulator>();
    Settle();
  }
  void TearDown() override {
    mClock.onRead = nullptr;
    Messages().onBox = nullptr;
    GetTour().Clear();
    mProgram.reset();
  }

  static platform::HeadlessMessages& Messages() { return corvia::testing::Platform().messages; }

  // What a failure says: what the test saw, the actions that led to it, and last the
  // seed, the action and the command that replays the seed. The first failure ends the
  // run.
  std::string Report(const std::string& saw) {
    if (!mFailed) {
      mFailed = true;
      mFailure = Where() + "\nsaw: " + saw + "\nreplay: " + Replay();
    }
    std::ostringstream out;
    out << saw << "\nactions of seed " << mSeed << ":\n";
    const size_t first = mLog.size() > 30 ? mLog.size() - 30 : 0;
    for (size_t i = first; i < mLog.size(); ++i) out << "  " << i + 1 << ": " << mLog[i] << "\n";
    out << Where() << "\nsaw: " << saw << "\nreplay: " << Replay();
    return out.str();
  }
  std::string Where() const {
    return "seed " + std::to_string(mSeed) + ", action " + std::to_string(mAction) + " of " +
           std::to_string(mActions) + ": " + (mActionLabel.empty() ? "before it began" : mActionLabel);
  }
  // The seed alone, as many actions, in the test program under a display of its own.
  std::string Replay() const {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::error_code error;
    const std::filesystem::path fixtures = corvia::testing::FixturesDir();
    return "CORVIA_RANDOM_SEEDS=" + std::to_string(mSeed) + " CORVIA_RANDOM_ACTIONS=" + std::to_string(mActions) +
           " CORVIA_TEST_FIXTURES=" + fixtures.string() + " LIBGL_ALWAYS_SOFTWARE=1 " +
           (fixtures.parent_path() / "support" / "under-xvfb.sh").string() + " " +
           std::filesystem::read_symlink("/proc/self/exe", error).string() + " '--gtest_filter=" +
           (test ? std::string(test->test_suite_name()) + ".*" : std::string("*")) + "'";
  }
  double Elapsed() const { return platform::SteadyClock().NowSeconds() - mRunStart; }
  // The action under way, named again while it runs long: with the progress window open,
  // or a dialog.
  void NoteIfStillRunning(bool dialogOpen) {
    if (mAction == 0 || mFailed || Elapsed() - mActionStart < mStillRunningAfter) return;
    std::printf("[seed %d #%d %.1f s] still at \"%s\" after %.0f s%s\n", mSeed, mAction, Elapsed(),
                mActionLabel.c_str(), Elapsed() - mActionStart,
                platform::WxProgress::GetOpenWindow() ? ", the progress window open"
                : dialogOpen                          ? ", a dialog open"
                                                      : "");
    std::fflush(stdout);
    mStillRunningAfter += kStillRunningSeconds;
  }

  // CORVIA_RANDOM_KEEP=dir keeps the model met at a failure there, to open again.
  void KeepModel() {
    const char* dir = std::getenv("CORVIA_RANDOM_KEEP");
    corvia::Poly* poly = corvia::GetCurrentPoly();
    if (!dir || !poly) return;
    const std::string path = std::string(dir) + "/seed-" + std::to_string(mSeed) + "-action-" +
                             std::to_string(mAction) + ".bin";
    const bool kept = corvia::WriteModelFile(path.c_str(), corvia::kModelFileBinary, *poly).done();
    std::printf("%s %s\n", kept ? "kept the model in" : "could not keep the model in", path.c_str());
  }

  // Notes and prints what is done: an action, or (indented) what comes with it.
  void Note(const std::string& action) {
    mLog.push_back(action);
    if (action.rfind(' ', 0) != 0) mActionLabel = action;
    std::printf("[seed %d #%d %.1f s] %s\n", mSeed, mAction, Elapsed(), action.c_str());
    std::fflush(stdout);
  }

  int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(mRandom); }

  // The enabled menu commands of the menu bar, as its menus would show them now.
  std::vector<std::pair<int, wxString>> MenuCommands() {
    std::vector<std::pair<int, wxString>> commands;
    wxMenuBar* bar = mFrame->GetMenuBar();
    if (!bar) return commands;
    bar->UpdateMenus();
    std::vector<std::pair<wxMenu*, wxString>> menus;
    for (size_t i = 0; i < bar->GetMenuCount(); ++i) menus.push_back({bar->GetMenu(i), bar->GetMenuLabelText(i)});
    while (!menus.empty()) {
      auto [menu, path] = menus.back();
      menus.pop_back();
      for (wxMenuItem* item : menu->GetMenuItems()) {
        const wxString label = path + " > " + item->GetItemLabelText();
        if (item->IsSubMenu()) {
          menus.push_back({item->GetSubMenu(), label});
        } else if (!item->IsSeparator() && item->IsEnabled() && !LeftOut(label)) {
          commands.push_back({item->GetId(), label});
        }
      }
    }
    return commands;
  }

  wxWindow* PaneCanvas(int i) {
    CPolyView* pane = GetPane(i);
    auto* window = pane ? dynamic_cast<PaneWindow*>(pane->GetWindow()) : nullptr;
    return window && window->GetCanvas()->IsShownOnScreen() ? window->GetCanvas() : nullptr;
  }
  wxWindow* RandomCanvas() {
    int count = 0;
    while (count < 16 && GetPane(count)) ++count;
    for (int tries = 0; tries < 4 && count > 0; ++tries) {
      if (wxWindow* canvas = PaneCanvas(Pick(count))) return canvas;
    }
    return PaneCanvas(0);
  }
  wxPoint RandomPointIn(wxWindow* window) {
    const wxSize size = window->GetClientSize();
    return window->ClientToScreen(wxPoint(Pick(std::max(size.x, 1)), Pick(std::max(size.y, 1))));
  }

  // One random action; what it was is logged before it runs.
  void Act() {
    wxUIActionSimulator& sim = *mSim;
    const int kind = Pick(100);
    if (kind < 30) {
      auto commands = MenuCommands();
      // A third of the commands come from the menus that build and stellate.
      if (Pick(3) == 0) {
        std::vector<std::pair<int, wxString>> focused;
        for (const auto& command : commands) {
          if (command.second.StartsWith("Poly >") || command.second.StartsWith("Stellation >")) {
            focused.push_back(command);
          }
        }
        if (!focused.empty()) commands.swap(focused);
      }
      // Under an address-space limit, a third of the commands are the builders that take
      // a size.
      if (mAddressRoom > 0 && Pick(3) == 0) {
        std::vector<std::pair<int, wxString>> sized;
        for (const auto& command : commands) {
          if (TakesSize(command.second)) sized.push_back(command);
        }
        if (!sized.empty()) commands.swap(sized);
      }
      if (commands.empty()) return;
      const auto& [id, label] = commands[Pick(static_cast<int>(commands.size()))];
      Note("menu " + label.utf8_string());
      QueueBoxAnswer();
      QueueBuilderSize(label);
      wxCommandEvent event(wxEVT_MENU, id);
      event.SetEventObject(mFrame);
      mFrame->ProcessWindowEvent(event);
    } else if (kind < 55) {
      static const int kKeys[] = {WXK_LEFT, WXK_RIGHT, WXK_UP,     WXK_DOWN,     WXK_PAGEUP, WXK_PAGEDOWN, WXK_HOME,
                                  WXK_END,  WXK_SPACE, WXK_ESCAPE, WXK_RETURN,   WXK_TAB,    WXK_DELETE,   '+',
                                  '-',      'A',       'S',        'Z',          'X',        'F',          '1',
                                  '2',      '3',       '4',        '5',          '6',        'C',          'N'};
      static const int kModifiers[] = {wxMOD_NONE, wxMOD_NONE, wxMOD_CONTROL, wxMOD_SHIFT, wxMOD_CONTROL | wxMOD_SHIFT};
      const int key = kKeys[Pick(std::size(kKeys))];
      const int modifiers = kModifiers[Pick(std::size(kModifiers))];
      wxWindow* canvas = RandomCanvas();
      if (!canvas) return;
      Note("key " + std::to_string(key) + " modifiers " + std::to_string(modifiers));
      QueueBoxAnswer();
      canvas->SetFocus();
      Settle();
      sim.Char(key, modifiers);
    } else if (kind < 75) {
      wxWindow* canvas = RandomCanvas();
      if (!canvas) return;
      const wxPoint at = RandomPointIn(canvas);
      const bool drag = Pick(2) == 0;
      Note(std::string(drag ? "drag" : "click") + " at " + std::to_string(at.x) + "," + std::to_string(at.y));
      QueueBoxAnswer();
      Move(sim, at);
      Button(sim, true);
      if (drag) {
        const wxPoint step(Pick(41) - 20, Pick(41) - 20);
        for (int i = 1; i <= 4; ++i) Move(sim, at + wxPoint(step.x * i, step.y * i));
        // A layout change now and then while the button is held.
        if (Pick(4) == 0) {
          Note("layout during the drag");
          SendCommand(kCmdLayout1 + Pick(6));
        }
      }
      Button(sim, false);
    } else if (kind < 85) {
      CPolyView* pane = GetPane(0);
      auto* window = pane ? dynamic_cast<PaneWindow*>(pane->GetWindow()) : nullptr;
      wxWindow* strip = window ? window->GetCaptionStrip() : nullptr;
      if (!strip || !strip->IsShownOnScreen()) return;
      const wxSize size = strip->GetClientSize();
      const wxPoint at = strip->ClientToScreen(wxPoint(Pick(std::max(size.x, 1)), size.y / 2));
      Note("caption click at " + std::to_string(at.x));
      QueueBoxAnswer();
      Move(sim, at);
      Button(sim, true);
      Button(sim, false);
    } else if (kind < 93) {
      const int layout = kCmdLayout1 + Pick(6);
      Note("layout command " + std::to_string(layout));
      SendCommand(layout);
    } else {
      // A step through the library, as Ctrl+Left and Ctrl+Right take it.
      wxWindow* canvas = RandomCanvas();
      if (!canvas) return;
      const bool forward = Pick(2) == 0;
      Note(std::string("library step ") + (forward ? "forward" : "back"));
      QueueBoxAnswer();
      canvas->SetFocus();
      Settle();
      sim.Char(forward ? WXK_RIGHT : WXK_LEFT, wxMOD_CONTROL);
    }
  }

  // Lets wx handle its events, one pass of its loop at a time, until the condition
  // holds; false when it still does not after the limit. A pane that animates without
  // end (a dual morph) keeps new paints coming, so that a yield would never run dry.
  bool Pump(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
      if (std::chrono::steady_clock::now() > end) return false;
      mLoop->DispatchTimeout(kPassMs);
      mPaints.End();
      CheckPaintTime();
    }
    return true;
  }
  // The limit on a machine running more than it has cores: a paint's time on the clock
  // grows with the load (seed 37's cell diagram: 0.68 s at load 3, 2.3 s at load 20 on
  // eight cores), while what the check looks for, long work in a paint, does not.
  static double PaintLimitSeconds() {
    double load = 0.0;
    const double cores = std::max(1u, std::thread::hardware_concurrency());
    if (getloadavg(&load, 1) != 1) return kPaintLimitSeconds;
    return kPaintLimitSeconds * std::max(1.0, load / cores);
  }
  void CheckPaintTime() {
    if (mPaints.longest <= kPaintLimitSeconds) return;
    const double limit = PaintLimitSeconds();
    if (mPaints.longest <= limit) return;
    std::ostringstream saw;
    saw << "a pane of view type 0x" << std::hex << mPaints.longestViewType << std::dec << " took " << mPaints.longest
        << " s to paint (limit " << limit << " s at this load)";
    ADD_FAILURE() << Report(saw.str());
    mPaints.longest = 0.0;
  }

  // While work runs under the progress window, the user goes on: keys and clicks in
  // the panes, and, where the work leaves the main window enabled (the panes' work
  // done when idle), menu commands. All of it comes as queued input, handled where the
  // work lets input in. Work that runs long is cancelled by the window's button.
  void InputDuringWork() {
    wxWindow* progress = platform::WxProgress::GetOpenWindow();
    const double now = platform::SteadyClock().NowSeconds();
    if (!progress || !IsProgressActive()) {
      mWorkSince = -1.0;
      return;
    }
    if (mWorkSince < 0.0) mWorkSince = now;
    if (now - mLastInput < kInputDuringWorkSeconds) return;
    mLastInput = now;
    // The making of a model of twice the room is left longer to meet the limit, on a
    // busy machine too.
    if (now - mWorkSince > (mLetWorkRun ? 4 : 1) * kWorkCancelSeconds) {
      if (auto* cancel = dynamic_cast<wxButton*>(progress->FindWindow(wxID_CANCEL))) {
        Note("  cancel the work after " + std::to_string(static_cast<int>(now - mWorkSince)) + " s");
        wxCommandEvent press(wxEVT_BUTTON, wxID_CANCEL);
        press.SetEventObject(cancel);
        wxQueueEvent(cancel->GetEventHandler(), press.Clone());
        mWorkSince = now;
      }
      return;
    }
    if (!mFrame->IsEnabled()) return;
    // Its own choices: how often the work reads the clock depends on the machine, and
    // the seed's actions stay the same.
    struct Swap {
      Swap(std::mt19937& a, std::mt19937& b) : mA(a), mB(b) { std::swap(mA, mB); }
      ~Swap() { std::swap(mA, mB); }
      std::mt19937& mA;
      std::mt19937& mB;
    } own(mRandom, mDuringWork);
    const int kind = Pick(10);
    if (kind < 5) {
      if (wxWindow* canvas = RandomCanvas()) {
        static const int kKeys[] = {WXK_LEFT, WXK_RIGHT, WXK_SPACE, 'A', 'Z', '1', WXK_PAGEDOWN};
        const int key = kKeys[Pick(std::size(kKeys))];
        Note("  key " + std::to_string(key) + " during the work");
        auto* down = new wxKeyEvent(wxEVT_KEY_DOWN);
        down->m_keyCode = key;
        down->SetEventObject(canvas);
        wxQueueEvent(canvas->GetEventHandler(), down);
      }
    } else if (kind < 8) {
      if (wxWindow* canvas = RandomCanvas()) {
        const wxPoint at = canvas->ScreenToClient(RandomPointIn(canvas));
        Note("  click during the work");
        for (wxEventType type : {wxEVT_LEFT_DOWN, wxEVT_LEFT_UP}) {
          auto* click = new wxMouseEvent(type);
          click->SetPosition(at);
          click->SetEventObject(canvas);
          wxQueueEvent(canvas->GetEventHandler(), click);
        }
      }
    } else {
      const auto commands = MenuCommands();
      if (commands.empty()) return;
      const auto& [id, label] = commands[Pick(static_cast<int>(commands.size()))];
      Note("  menu " + label.utf8_string() + " during the work");
      auto* command = new wxCommandEvent(wxEVT_MENU, id);
      command->SetEventObject(mFrame);
      wxQueueEvent(mFrame->GetEventHandler(), command);
    }
  }
  // Lets wx handle what was done, for a short while at most.
  void Settle() {
    // A throw left spinning would repaint its pane without end.
    StopAllMouseThrows();
    Pump([] { return !corvia::testing::HasQueuedEvents(); }, kSettleLimit);
  }
  void Move(wxUIActionSimulator& sim, const wxPoint& to) {
    sim.MouseMove(to);
    Pump([&] { return wxGetMousePosition() == to; }, kSettleLimit);
    Settle();
  }
  void Button(wxUIActionSimulator& sim, bool down) {
    if (down) {
      sim.MouseDown();
    } else {
      sim.MouseUp();
    }
    Pump([down] { return wxGetMouseState().LeftIsDown() == down; }, kSettleLimit);
    Settle();
  }

  // File > Open, its dialog answered with the file: the model is the file's, its drawn
  // facet with it.
  template <class File>
  void OpenStartFile(const File& file) {
    const std::string path = (corvia::testing::FixturesDir() / "model-files" / file.name).string();
    Note(std::string("open ") + file.name);
    platform::ServiceSet services = platform::Services();
    platform::FileDialogFrontEnd* dialogs = services.fileDialogs;
    services.fileDialogs = &corvia::testing::Platform().fileDialogs;
    platform::InstallServices(services);
    corvia::testing::Platform().fileDialogs.QueueChoice(path);
    SendCommand(kCmdOpen);
    services.fileDialogs = dialogs;
    platform::InstallServices(services);
    Settle();
    const corvia::Poly* poly = corvia::GetCurrentPoly();
    ASSERT_NE(poly, nullptr);
    EXPECT_EQ(poly->mVertices.mCount, file.vertices) << Report("another model than the file's");
    EXPECT_NE(poly->mDrawnPolygons->ring, nullptr) << Report("the file's drawn facet missing");
  }

  void SendCommand(int id) {
    wxCommandEvent event(wxEVT_MENU, ToWxId(id));
    event.SetEventObject(mFrame);
    mFrame->ProcessWindowEvent(event);
  }

  // Boxes are answered by their default button unless an answer is queued: now and
  // then the other one.
  // Under an address-space limit, a builder's prompt (frequency, subdivisions) takes a
  // size from small to far past what the memory holds, every second one the size of a
  // model of twice the room.
  static bool TakesSize(const wxString& label) {
    return label.StartsWith("Poly >") && (label.Contains("Subdivide") || label.Contains("Geodesic"));
  }
  void QueueBuilderSize(const wxString& label) {
    if (mAddressRoom == 0 || !TakesSize(label)) return;
    static const char* const kSizes[] = {"3", "12", "40", "90", "160", "300"};
    std::string size = kSizes[Pick(std::size(kSizes))];
    if (++mSizedBuilders % 2 == 1) {
      size = std::to_string(RoomSize(2.0));
      ++mOverTheRoom;
      mLetWorkRun = true;
      Note("  size " + size + ", a model of twice the room");
    } else {
      Note("  size " + size);
    }
    Messages().QueueText(size);
  }
  // The size of the current model's subdivision that takes `rooms` times the room the
  // limit leaves, at the memory the builders' estimate counts for a face.
  int RoomSize(double rooms) const {
    Poly* poly = GetCurrentPoly();
    if (!poly) return 1;
    ElementList* faces = nullptr;
    ElementList* vertices = nullptr;
    poly->GetParts(poly->mShowDual != 0, &faces, &vertices, nullptr, nullptr);
    double regions = 0;
    for (const PolyElement* face = faces->mHead; face; face = face->mNext) {
      if (face->mNumSides >= 3) regions += face->mNumSides == 3 ? 1 : face->mNumSides;
    }
    const double wanted = rooms * static_cast<double>(mAddressRoom) / kBytesPerMadeFace;
    return std::max(1, static_cast<int>(std::sqrt(wanted / std::max(regions, 1.0))));
  }

  void QueueBoxAnswer() {
    if (Pick(3) != 0) return;
    static const int kAnswers[] = {platform::kBoxOk, platform::kBoxCancel, platform::kBoxYes, platform::kBoxNo, 0, 1};
    const int answer = Pick(std::size(kAnswers) + 1);
    if (answer == static_cast<int>(std::size(kAnswers))) {
      Messages().QueueEscape();
    } else {
      Messages().QueueAnswer(kAnswers[answer]);
    }
  }

  // Answers what stays open longer than a person would take to read it: a dialog by
  // one of its buttons (OK, Cancel, Yes, No) or Escape, else Escape (a menu, a progress
  // window).
  class Answerer final : public wxTimer {
   public:
    Answerer(RandomActions& test, DialogWatch& dialogs) : mTest(test), mDialogs(dialogs) { Start(100); }
    void Begin() { mStarted = std::chrono::steady_clock::now(); }
    void Notify() override {
      // A throw (a model spinning on, a folding net folding on) repaints its pane
      // without end, and wx's input simulator waits inside until the display is quiet.
      StopAllMouseThrows();
      mTest.NoteIfStillRunning(!mDialogs.open.empty());
      const auto since = std::chrono::steady_clock::now() - mStarted;
      if (since < std::chrono::milliseconds(kAnswerAfterMs)) return;
      mStarted = std::chrono::steady_clock::now();
      if (!mDialogs.open.empty()) {
        wxDialog* dialog = mDialogs.open.back();
        // File and folder dialogs are cancelled: they would reach the disk.
        if (dynamic_cast<wxFileDialog*>(dialog) || dynamic_cast<wxDirDialog*>(dialog)) {
          mTest.Note("  cancel the file dialog");
          dialog->EndModal(wxID_CANCEL);
          return;
        }
        static const int kButtons[] = {wxID_OK, wxID_CANCEL, wxID_YES, wxID_NO, wxID_CLOSE, kEscape};
        const int id = kButtons[std::uniform_int_distribution<int>(0, std::size(kButtons) - 1)(mTest.mAnswers)];
        mTest.Note("  answer dialog \"" + dialog->GetTitle().utf8_string() + "\" with " +
                   (id == kEscape ? std::string("Escape") : std::to_string(id)));
        if (++mTries > 3) {
          dialog->EndModal(wxID_CANCEL);
          mTries = 0;
          return;
        }
        if (id == kEscape) {
          PressEscapeIn(dialog);
        } else if (wxWindow* button = dialog->FindWindow(id); button && button->IsEnabled()) {
          wxCommandEvent press(wxEVT_BUTTON, id);
          press.SetEventObject(button);
          button->GetEventHandler()->ProcessEvent(press);
        }
        return;
      }
      mTries = 0;
      // Only what stays open takes the key: an Escape in a pane is an action of its own,
      // and a slow pane it makes paint keeps the display from falling quiet. The making of
      // a model of twice the room is left to meet the limit.
      const bool work = platform::WxProgress::GetOpenWindow() && !mTest.mLetWorkRun;
      if (!IsPopupMenuOpen() && mTest.mMenusOpen == 0 && !work) return;
      mTest.Note("  escape");
      mKeys.Char(WXK_ESCAPE);
    }

   private:
    static constexpr int kEscape = -1;
    // The key goes where the toolkit sends it: to the dialog's control that has the
    // keys, else (no window manager gave the dialog the keys) to the dialog itself.
    void PressEscapeIn(wxDialog* dialog) {
      wxWindow* focus = wxWindow::FindFocus();
      if (focus && wxGetTopLevelParent(focus) == dialog) {
        mKeys.Char(WXK_ESCAPE);
        return;
      }
      wxKeyEvent escape(wxEVT_CHAR_HOOK);
      escape.m_keyCode = WXK_ESCAPE;
      escape.SetEventObject(dialog);
      dialog->GetEventHandler()->ProcessEvent(escape);
    }

    RandomActions& mTest;
    DialogWatch& mDialogs;
    std::chrono::steady_clock::time_point mStarted = std::chrono::steady_clock::now();
    int mTries = 0;
    wxUIActionSimulator mKeys;  // made once: making one lets wx handle its events
  };

  // Runs the actions of the seed; false when the program stopped answering.
  void Run(int seed, int actions) {
    mSeed = seed;
    mRandom.seed(static_cast<unsigned>(seed));
    mAnswers.seed(static_cast<unsigned>(seed) + 1);
    mDuringWork.seed(static_cast<unsigned>(seed) + 2);
    mLog.clear();
    mRunStart = platform::SteadyClock().NowSeconds();
    mActions = actions;
    mAction = 0;
    mActionLabel.clear();
    mFailed = false;
    DialogWatch dialogs;
    Answerer answerer(*this, dialogs);
    AddressLimit limit(mAddressRoom);
    ToolkitChecks checks(*this);
    OpenStartFile(kStartFiles[static_cast<size_t>(seed) % std::size(kStartFiles)]);
    for (int i = 0; i < actions && !mFailed && !HasFatalFailure(); ++i) {
      mAction = i + 1;
      mActionLabel.clear();
      mLetWorkRun = false;
      mActionStart = Elapsed();
      mStillRunningAfter = kStillRunningSeconds;
      answerer.Begin();
      if (mBeforeAction) mBeforeAction(i);
      Act();
      Settle();
      answerer.Begin();
      // The program answers: the main window paints again.
      const int painted = corvia::testing::PaintCount(mFrame);
      mFrame->Refresh();
      ASSERT_TRUE(Pump([&] { return corvia::testing::PaintCount(mFrame) > painted; }, kAnswerLimit))
          << Report("no paint within " + std::to_string(kAnswerLimit.count()) + " ms");
      ++mDone;
    }
    // Whatever stays open is closed, and the window closes and goes. The answerer
    // answers until the window is closing: a command queued by the last action may
    // still open a dialog while the others close.
    for (wxWindow* window : wxTopLevelWindows) {
      if (window != mFrame) window->Close(true);
    }
    Settle();
    GetTour().StopTour();
    mFrame->Close(true);
    answerer.Stop();
    EXPECT_TRUE(YieldUntil([] { return wxTopLevelWindows.empty(); })) << Report("the windows stayed");
    // The last lines of a failed run, whatever was printed after its failure.
    if (mFailed) std::printf("%s\n", mFailure.c_str());
  }

  // While the run lasts, a failed check of the window toolkit fails it, naming the seed
  // and the actions.
  class ToolkitChecks {
   public:
    explicit ToolkitChecks(RandomActions& test) : mBefore(wxSetAssertHandler(Fail)) { sRunning = &test; }
    ~ToolkitChecks() {
      wxSetAssertHandler(mBefore);
      sRunning = nullptr;
    }
    ToolkitChecks(const ToolkitChecks&) = delete;
    ToolkitChecks& operator=(const ToolkitChecks&) = delete;

   private:
    static void Fail(const wxString& file, int line, const wxString& func, const wxString& cond, const wxString& msg) {
      const std::string saw = "toolkit check \"" + cond.utf8_string() + "\" failed in " + func.utf8_string() + " (" +
                              file.utf8_string() + ":" + std::to_string(line) + "): " + msg.utf8_string();
      ADD_FAILURE() << (sRunning ? sRunning->Report(saw) : saw);
      if (sRunning) sRunning->KeepModel();
    }
    static inline RandomActions* sRunning = nullptr;
    wxAssertHandler_t mBefore;
  };

  // The address space the run may take beyond what the program holds as it begins (0:
  // no limit). The limit is the process's own soft one, put back when the run ends.
  class AddressLimit {
   public:
    explicit AddressLimit(size_t room) {
      if (room == 0 || getrlimit(RLIMIT_AS, &mBefore) != 0) return;
      rlimit limit = mBefore;
      limit.rlim_cur = platform::ReadMemorySources().addressUsed + room;
      if (mBefore.rlim_cur != RLIM_INFINITY && mBefore.rlim_cur < limit.rlim_cur) return;
      mSet = setrlimit(RLIMIT_AS, &limit) == 0;
      // The program's estimates count on three times the room: models up to that pass
      // them, and past the room they meet the limit itself.
      if (mSet) mWorkBefore = platform::SetWorkMemoryLimit(3 * room);
    }
    ~AddressLimit() {
      if (!mSet) return;
      setrlimit(RLIMIT_AS, &mBefore);
      platform::SetWorkMemoryLimit(mWorkBefore);
    }
    AddressLimit(const AddressLimit&) = delete;
    AddressLimit& operator=(const AddressLimit&) = delete;

   private:
    rlimit mBefore{};
    bool mSet = false;
    uint64_t mWorkBefore = 0;
  };

  size_t mAddressRoom = 0;
  // Called before each action with its number.
  std::function<void(int)> mBeforeAction;
  std::unique_ptr<corvia::testing::RunningProgram> mProgram;
  wxFrame* mFrame = nullptr;
  PaintTimer mPaints;
  HookedClock mClock;
  double mWorkSince = -1.0;
  // The menus of the menu bar open now.
  int mMenusOpen = 0;
  double mLastInput = 0.0;
  std::unique_ptr<wxEventLoopBase> mLoop;
  std::unique_ptr<wxUIActionSimulator> mSim;
  std::mt19937 mRandom;
  std::mt19937 mAnswers;  // the watch's own: it runs at times of its own
  std::mt19937 mDuringWork;  // the input during work's own, for the same reason
  int mSeed = 0;
  int mDone = 0;
  std::vector<std::string> mLog;
  // The run: when it began, its number of actions, the action under way (0 before the
  // first), when it began and when it is next named as still running.
  double mRunStart = 0.0;
  int mActions = 0;
  int mAction = 0;
  std::string mActionLabel;
  double mActionStart = 0.0;
  double mStillRunningAfter = kStillRunningSeconds;
  // Whether the run failed, and its last lines.
  bool mFailed = false;
  std::string mFailure;
  // Under an address-space limit: the builders asked for a size, and those asked for a
  // model of twice the room.
  int mSizedBuilders = 0;
  int mOverTheRoom = 0;
  // The action makes a model of twice the room: its progress window is not escaped, and
  // its work is cancelled later.
  bool mLetWorkRun = false;

 public:
  int Done() const { return mDone; }
};

std::vector<int> Seeds() {
  std::vector<int> seeds;
  if (const char* text = std::getenv("CORVIA_RANDOM_SEEDS")) {
    std::istringstream in(text);
    std::string item;
    while (std::getline(in, item, ',')) {
      if (!item.empty()) seeds.push_back(std::atoi(item.c_str()));
    }
  }
  if (seeds.empty()) seeds.assign(std::begin(kCiSeeds), std::end(kCiSeeds));
  return seeds;
}

int ActionsPerSeed() {
  const char* text = std::getenv("CORVIA_RANDOM_ACTIONS");
  const int n = text ? std::atoi(text) : 0;
  return n > 0 ? n : kCiActions;
}

class RandomActionsSeed : public RandomActions, public ::testing::WithParamInterface<int> {};

TEST_P(RandomActionsSeed, TheProgramAnswersEveryActionAndExitsCleanly) {
  Run(GetParam(), ActionsPerSeed());
  std::printf("seed %d: %d actions\n", GetParam(), Done());
}

INSTANTIATE_TEST_SUITE_P(Seeds, RandomActionsSeed, ::testing::ValuesIn(Seeds()));

// A check of the toolkit that fails during a run (here the hidden root of the
// information tree asked to close, before the second action) fails the run, once, and
// ends it: the failure's last lines name the seed, the action and what was seen, and
// replay the seed; so do the last lines the run prints.
TEST_F(RandomActions, AFailedToolkitCheckFailsTheRun) {
  mBeforeAction = [](int action) {
    if (action != 1 || !GetInfoBar()) return;
    wxTreeCtrl* tree = GetInfoBar()->GetTree();
    tree->Collapse(tree->GetRootItem());
  };
  ::testing::TestPartResultArray failures;
  {
    const ::testing::ScopedFakeTestPartResultReporter reporter(
        ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &failures);
    Run(kCiSeeds[0], 3);
  }
  ASSERT_EQ(failures.size(), 1);
  EXPECT_EQ(Done(), 2);
  const std::string seed = std::to_string(kCiSeeds[0]);
  const std::string message = failures.GetTestPartResult(0).message();
  const std::string last = "\nseed " + seed + ", action 2 of 3: before it began\nsaw: toolkit check ";
  ASSERT_NE(message.rfind(last), std::string::npos) << message;
  const std::string lastLines = message.substr(message.rfind(last) + 1);
  EXPECT_NE(lastLines.find("can't collapse hidden root\nreplay: CORVIA_RANDOM_SEEDS=" + seed +
                           " CORVIA_RANDOM_ACTIONS=3 "),
            std::string::npos)
      << lastLines;
  EXPECT_NE(lastLines.find("--gtest_filter=RandomActions.*'"), std::string::npos) << lastLines;
  EXPECT_EQ(std::count(lastLines.begin(), lastLines.end(), '\n'), 2) << lastLines;
}

// The room above what the program holds: enough for the models a person works with, far
// too little for the largest sizes the builders' prompts take.
constexpr size_t kAddressRoom = size_t{768} << 20;

class RandomActionsUnderAddressLimit : public RandomActions, public ::testing::WithParamInterface<int> {};

TEST_P(RandomActionsUnderAddressLimit, EveryBuilderEndsInItsModelOrInWords) {
#if defined(__SANITIZE_ADDRESS__)
  // The sanitizer's shadow memory takes terabytes of address space, and its allocator
  // ends the process where the C++ library would throw.
  GTEST_SKIP() << "not under the address sanitizer";
#endif
  mAddressRoom = kAddressRoom;
  const int failedBefore = GetMemoryFailureCount();
  Run(GetParam(), ActionsPerSeed());
  const int failed = GetMemoryFailureCount() - failedBefore;
  const auto& boxes = Messages().Boxes();
  const auto told = std::count_if(boxes.begin(), boxes.end(), [](const platform::MessageBoxRequest& box) {
    return box.text.rfind("There was not enough memory to ", 0) == 0;
  });
  std::printf("seed %d under an address-space limit: %d actions, %d builders asked for a model of twice the room, "
              "%d operations ended for lack of memory, %d told so\n",
              GetParam(), Done(), mOverTheRoom, failed, static_cast<int>(told));
  // The limit bites: most of the models of twice the room end for lack of memory, in
  // words, and the program answers on (as after every action).
  EXPECT_GE(mOverTheRoom, 2);
  EXPECT_GE(failed, (mOverTheRoom + 1) / 2);
  EXPECT_GE(told, (mOverTheRoom + 1) / 2);
}

INSTANTIATE_TEST_SUITE_P(AddressLimitSeeds, RandomActionsUnderAddressLimit,
                         ::testing::Values(Seeds().front()));

}  // namespace test_RandomActions
