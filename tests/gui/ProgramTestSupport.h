#pragma once
// The real program as corvia runs it, started in a home folder of its own (its
// settings and documents there) and shut down again, for the window tests of the
// whole program.

#include <wx/frame.h>
#include <wx/menu.h>

#include <filesystem>
#include <memory>
#include <string>
#include <utility>

#include "app/StartUp.h"
#include "core/Globals.h"
#include "platform/Services.h"
#include "platform/SettingsStore.h"
#include "platform/wx/WxMessages.h"
#include "render/MouseThrow.h"
#include "tests/gui/GuiTestSupport.h"
#include "tests/support/TestSupport.h"
#include "ui/CommandTable.h"
#include "ui/NewFrame.h"

namespace corvia::testing {

class RunningProgram {
 public:
  // Starts the program with its home in a new scratch folder of the name.
  explicit RunningProgram(const std::string& name)
      : mHome(ScratchDir(name)),
        mHomeEnv("HOME", mHome.string()),
        mConfigEnv("XDG_CONFIG_HOME", (mHome / "config").string()),
        mDocumentsEnv("XDG_DOCUMENTS_DIR", (mHome / "Documents").string()),
        mStore(mHome / "config" / "Corvia" / "settings.conf"),
        mPreviousStore(platform::SettingsStore::InstallInstance(&mStore)),
        mBefore(platform::Services()),
        mFrame(app::StartUp()) {}

  // Closes the main window when it is still open (a test may have started the
  // program again), shuts the program down and puts the services and the settings
  // store back.
  ~RunningProgram() {
    StopAllMouseThrows();
    if (NewFrame* frame = GetMainFrame()) {
      frame->Close(true);
      YieldUntil([] { return wxTopLevelWindows.empty(); });
    }
    app::ShutDown();
    platform::InstallServices(mBefore);
    platform::SettingsStore::InstallInstance(mPreviousStore);
  }
  RunningProgram(const RunningProgram&) = delete;
  RunningProgram& operator=(const RunningProgram&) = delete;

  // The main window the program opened first.
  wxFrame* Frame() const { return mFrame; }
  const std::filesystem::path& Home() const { return mHome; }

 private:
  std::filesystem::path mHome;
  ScopedEnv mHomeEnv, mConfigEnv, mDocumentsEnv;
  platform::SettingsStore mStore;
  platform::SettingsStore* mPreviousStore;
  platform::ServiceSet mBefore;
  wxFrame* mFrame;
};

// The program started as RunningProgram starts it, with the tests' scripted colour
// chooser answering in place of the program's and the program's boxes and dialogs
// answered by the test's headless front ends.
class ScriptedProgram {
 public:
  explicit ScriptedProgram(const std::string& name) : mScripted(SetColorChooser(nullptr)) {
    SetColorChooser(mScripted);
    mProgram = std::make_unique<RunningProgram>(name);
    mProgramChooser = SetColorChooser(mScripted);
    platform::ServiceSet services = platform::Services();
    services.messages = &Platform().messages;
    services.dialogs = &Platform().dialogs;
    platform::InstallServices(services);
  }
  ~ScriptedProgram() {
    SetColorChooser(mProgramChooser);
    mProgram.reset();
    SetColorChooser(mScripted);
  }
  ScriptedProgram(const ScriptedProgram&) = delete;
  ScriptedProgram& operator=(const ScriptedProgram&) = delete;

  wxFrame* Frame() const { return mProgram->Frame(); }

 private:
  ColorChooserFunction mScripted;
  ColorChooserFunction mProgramChooser = nullptr;
  std::unique_ptr<RunningProgram> mProgram;
};

// The boxes of one title shown on screen as the program shows them, every other box
// to the test's record (so that an internal error fails the test instead of waiting).
class BoxesOnScreen final : public platform::MessageFrontEnd {
 public:
  explicit BoxesOnScreen(std::string title) : mTitle(std::move(title)) {}
  platform::MessageBoxReply ShowBox(const platform::MessageBoxRequest& request) override {
    return request.title == mTitle ? mWx.ShowBox(request) : Platform().messages.ShowBox(request);
  }
  bool AskText(const std::string& title, const std::string& prompt, std::string& text) override {
    return Platform().messages.AskText(title, prompt, text);
  }

 private:
  std::string mTitle;
  platform::WxMessages mWx;
};

// Sends the command as its menu item does, after checking that the item is there and
// that its update handler enables it.
inline void PostMenuCommand(wxFrame* frame, int command) {
  frame->GetMenuBar()->UpdateMenus();
  wxMenuItem* item = frame->GetMenuBar()->FindItem(ToWxId(command));
  ASSERT_NE(item, nullptr) << command;
  ASSERT_TRUE(item->IsEnabled()) << command;
  wxCommandEvent event(wxEVT_MENU, ToWxId(command));
  event.SetEventObject(frame);
  frame->ProcessWindowEvent(event);
}

}  // namespace corvia::testing
