#include "app/WorkInput.h"

#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/eventfilter.h>
#include <wx/frame.h>
#include <wx/menu.h>
#include <wx/toplevel.h>
#include <wx/weakref.h>
#include <wx/window.h>

#include <memory>
#include <vector>

#include "app/PolyApp.h"
#include "core/Progress.h"
#include "platform/Services.h"
#include "platform/wx/WxProgress.h"
#include "ui/CommandIds.h"
#include "ui/CommandTable.h"

namespace corvia {

namespace detail_WorkInput {

class WorkInputFilter final : public wxEventFilter {
 public:
  int FilterEvent(wxEvent& event) override {
    const wxEventType type = event.GetEventType();
    // Once the work is over, what closes the program is carried out.
    if (type == wxEVT_IDLE && !IsProgressActive() && mIdleWork == 0) SendHeld();
    if (!IsProgressActive()) return Event_Skip;
    // Work that follows the work stopped stops too, at the first look at its window.
    if (mEnding) RequestProgressCancel();
    wxObject* object = event.GetEventObject();
    wxWindow* window = dynamic_cast<wxWindow*>(object);
    wxWindow* progress = platform::WxProgress::GetOpenWindow();
    wxWindow* topLevel = window ? wxGetTopLevelParent(window) : nullptr;
    if (progress && window && (window == progress || topLevel == progress)) return Event_Skip;
    // A box the work asks (whether to go on with a long stellation) takes its answer.
    if (auto* dialog = dynamic_cast<wxDialog*>(topLevel); dialog && dialog->IsModal()) return Event_Skip;
    if (type == wxEVT_MENU || type == wxEVT_CLOSE_WINDOW) {
      // Closing a window, and File > Exit, end what the work is for: it stops, and is
      // not waited for.
      const bool ends = type == wxEVT_CLOSE_WINDOW || FromWxId(event.GetId()) == kCmdAppExit;
      if (ends) {
        mEnding = true;
        RequestProgressCancel();
      }
      if (ends || mIdleWork > 0) Hold(event, window, object);
      return Event_Processed;
    }
    // The menus of a command's work show what they showed before it: their update
    // handlers would read the model the command is making.
    if (type == wxEVT_UPDATE_UI && mIdleWork == 0) return Event_Processed;
    // The menu bar opens its menus; every other window's input is dropped, and with
    // it what the input would have done (a click on a control, a key in a pane).
    if (event.GetEventCategory() == wxEVT_CATEGORY_USER_INPUT && !dynamic_cast<wxMenuBar*>(window)) {
      return Event_Processed;
    }
    return Event_Skip;
  }

  // Sends the events held back, in the order they came, to be carried out next.
  void SendHeld() {
    mEnding = false;
    std::vector<Held> held;
    held.swap(mHeld);
    for (Held& one : held) {
      if (one.target) wxQueueEvent(one.target.get(), one.event.release());
    }
  }

  // The idle work's scopes alive.
  int mIdleWork = 0;
  // A close is held: the program ends once the work has stopped.
  bool mEnding = false;

 private:
  void Hold(const wxEvent& event, wxWindow* window, wxObject* object) {
    // Menu items send their command from the menu: the main window carries it out.
    wxEvtHandler* target = nullptr;
    if (event.GetEventType() == wxEVT_MENU && !window) {
      target = wxTheApp ? wxTheApp->GetTopWindow() : nullptr;
    } else if (window) {
      target = window->GetEventHandler();
    } else {
      target = dynamic_cast<wxEvtHandler*>(object);
    }
    if (target) mHeld.push_back({target, std::unique_ptr<wxEvent>(event.Clone())});
  }

  struct Held {
    wxWeakRef<wxEvtHandler> target;
    std::unique_ptr<wxEvent> event;
  };
  std::vector<Held> mHeld;
};

}  // namespace detail_WorkInput

WorkInput::WorkInput(wxFrame* mainWindow)
    : mFilter(std::make_unique<detail_WorkInput::WorkInputFilter>()), mMainWindowLeftEnabled(mainWindow != nullptr) {
  wxEvtHandler::AddFilter(mFilter.get());
  if (!mMainWindowLeftEnabled) return;
  if (auto* progress = dynamic_cast<platform::WxProgress*>(platform::Services().progress)) {
    progress->SetMainWindow(mainWindow);
  }
}

WorkInput::~WorkInput() {
  if (mMainWindowLeftEnabled) {
    if (auto* progress = dynamic_cast<platform::WxProgress*>(platform::Services().progress)) {
      progress->SetMainWindow(nullptr);
    }
  }
  wxEvtHandler::RemoveFilter(mFilter.get());
}

void WorkInput::BeginIdleWork() {
  ++mFilter->mIdleWork;
  platform::WxProgress::SetOtherWindowsEnabled(true);
}

void WorkInput::EndIdleWork() {
  platform::WxProgress::SetOtherWindowsEnabled(false);
  --mFilter->mIdleWork;
  mFilter->SendHeld();
}

IdleWorkInput::IdleWorkInput() : mInput(CPolyApp::Get().GetWorkInput()) {
  if (!mInput) {
    mOwn = std::make_unique<WorkInput>(nullptr);
    mInput = mOwn.get();
  }
  mInput->BeginIdleWork();
}

IdleWorkInput::~IdleWorkInput() { mInput->EndIdleWork(); }

}  // namespace corvia
