#include "app/DeferredPaneWork.h"

#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/eventfilter.h>
#include <wx/menu.h>
#include <wx/toplevel.h>
#include <wx/weakref.h>
#include <wx/window.h>

#include <memory>
#include <string>
#include <vector>

#include "app/PolyView.h"
#include "core/OperationGuard.h"
#include "core/Progress.h"
#include "platform/wx/WxProgress.h"
#include "render/NewView.h"
#include "render/FlatNetMesh.h"
#include "render/OutcomeBoxes.h"
#include "render/PairLineLayer.h"
#include "stellation/DeferredModelWork.h"
#include "ui/CommandIds.h"
#include "ui/CommandTable.h"

namespace corvia {

namespace detail_DeferredPaneWork {

// While the work runs: the progress window's own events pass, and those of a box the
// work asks in, as do paints and the other events that only show things, and the menu
// bar's input. A menu command (also from a key) is held back and sent once the work is
// done: the work goes on, rather than stopping and starting again from the beginning
// after a command that leaves the model as it is. Closing a window, or File > Exit,
// stops the work and is sent once it has stopped. Any other input is dropped.
class CommandsStopWork final : public wxEventFilter {
 public:
  int FilterEvent(wxEvent& event) override {
    if (!IsProgressActive()) return Event_Skip;
    wxObject* object = event.GetEventObject();
    wxWindow* window = dynamic_cast<wxWindow*>(object);
    wxWindow* progress = platform::WxProgress::GetOpenWindow();
    wxWindow* topLevel = window ? wxGetTopLevelParent(window) : nullptr;
    if (progress && window && (window == progress || topLevel == progress)) return Event_Skip;
    // A box the work asks (whether to go on with a long stellation) takes its answer.
    if (auto* dialog = dynamic_cast<wxDialog*>(topLevel); dialog && dialog->IsModal()) return Event_Skip;
    const wxEventType type = event.GetEventType();
    if (type == wxEVT_MENU || type == wxEVT_CLOSE_WINDOW) {
      // Menu items send their command from the menu: the main window carries it out.
      wxEvtHandler* target = nullptr;
      if (type == wxEVT_MENU && !window) {
        target = wxTheApp ? wxTheApp->GetTopWindow() : nullptr;
      } else if (window) {
        target = window->GetEventHandler();
      } else {
        target = dynamic_cast<wxEvtHandler*>(object);
      }
      if (target) mHeld.push_back({target, std::unique_ptr<wxEvent>(event.Clone())});
      // Closing a window, and File > Exit, end what the work is for: it stops, and is
      // not waited for.
      if (type == wxEVT_CLOSE_WINDOW || (type == wxEVT_MENU && FromWxId(event.GetId()) == kCmdAppExit)) {
        RequestProgressCancel();
      }
      return Event_Processed;
    }
    // The menu bar opens its menus; every other window's input is dropped, and with
    // it what the input would have done (a click on a control, a key in a pane).
    if (event.GetEventCategory() == wxEVT_CATEGORY_USER_INPUT && !dynamic_cast<wxMenuBar*>(window)) {
      return Event_Processed;
    }
    return Event_Skip;
  }

  // Sends the commands held back, in the order they came, to be carried out next.
  void SendHeldCommands() {
    for (Held& held : mHeld) {
      if (held.target) wxQueueEvent(held.target.get(), held.event.release());
    }
    mHeld.clear();
  }

 private:
  struct Held {
    wxWeakRef<wxEvtHandler> target;
    std::unique_ptr<wxEvent> event;
  };
  std::vector<Held> mHeld;
};

// The work's progress window leaves the menus answering while the filter is in place.
class WorkScope {
 public:
  WorkScope() {
    wxEvtHandler::AddFilter(&mFilter);
    platform::WxProgress::SetOtherWindowsEnabled(true);
  }
  ~WorkScope() {
    platform::WxProgress::SetOtherWindowsEnabled(false);
    wxEvtHandler::RemoveFilter(&mFilter);
    mFilter.SendHeldCommands();
  }
  WorkScope(const WorkScope&) = delete;
  WorkScope& operator=(const WorkScope&) = delete;

 private:
  CommandsStopWork mFilter;
};

// Each pane that the user's Cancel left without its facets or nets says so.
void TellWhatWasCancelled() {
  for (NewView* view = NewView::GetFirstView(); view; view = view->GetNext()) {
    const CPolyView* pane = CPolyView::AsPolyView(view);
    const std::string text = pane ? pane->DescribeCancelledWork() : std::string();
    if (!text.empty()) NewView::SetMessage(view, "%s", text.c_str());
  }
}

}  // namespace detail_DeferredPaneWork

bool RunDeferredPaneWork() {
  if (IsProgressActive()) return false;
  if (!HasDeferredModelWork() && !HasDeferredPairLinePictures() && !HasDeferredFlatNets()) return false;
  bool finished = true;
  const bool enough = RunOperation("finish the stellation, facets and nets the panes asked for", [&] {
    detail_DeferredPaneWork::WorkScope scope;
    finished = RunDeferredModelWork(TellOutcome);
    // The faceting diagram's pictures and the nets' buffers come after the model's
    // work; a Cancel of them only leaves their panes without the pair lines, or with
    // the part of the net gathered.
    if (finished) {
      MakeDeferredPairLinePictures();
      MakeDeferredFlatNets();
    } else {
      DropDeferredPairLinePictures();
      DropDeferredFlatNets();
    }
  });
  // Memory that ran out ends the work as the user's Cancel does.
  if (!enough) {
    DropDeferredPairLinePictures();
    DropDeferredFlatNets();
    finished = false;
  }
  // The work only draws the panes: a Cancel of it leaves the model, and the undo step
  // that made it, as they are. The panes draw what was made, or ask again for what they
  // still lack; those the user's Cancel left without it say what and how to have it.
  RedrawAllViews(false, false);
  if (!finished) detail_DeferredPaneWork::TellWhatWasCancelled();
  return true;
}

}  // namespace corvia
