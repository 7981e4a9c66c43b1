// The program's entry point: the wx application object.

#include <wx/wx.h>

#include <cstdlib>
#include <new>
#include <stdexcept>

#include "app/StartUp.h"
#include "core/Messages.h"
#include "ui/CommandTable.h"

namespace {

// Window placement and floating bars need X11: GTK must not choose Wayland. Set
// before wx starts GTK.
[[maybe_unused]] const bool gX11Backend = setenv("GDK_BACKEND", "x11", 1) == 0;

}  // namespace

// Not in an unnamed namespace: the wxGetApp that wxIMPLEMENT_APP defines for it would
// be an unused function of this file.
class CorviaApp : public wxApp {
public:
  bool OnInit() override {
    SetTopWindow(corvia::app::StartUp());
    return true;
  }

  int OnExit() override {
    corvia::app::ShutDown();
    return wxApp::OnExit();
  }

  // Every event handler is an operation's edge: memory that runs out in one that has no
  // edge of its own nearer the work (a dialog's button, a bar's drop-down) ends what it
  // was doing, never the program.
  void CallEventHandler(wxEvtHandler* handler, wxEventFunctor& functor, wxEvent& event) const override {
    const int command = event.GetEventType() == wxEVT_MENU ? corvia::FromWxId(event.GetId()) : 0;
    corvia::RunCommandOperation(command, [&] { wxApp::CallEventHandler(handler, functor, event); });
  }

  // The last stop for what escaped every edge (start-up, a handler of the toolkit's own):
  // a lack of memory is told and the program goes on.
  bool OnExceptionInMainLoop() override {
    try {
      throw;
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
    corvia::ShowError("There was not enough memory to finish what was asked.\nIt has been stopped.");
    return true;
  }
};

wxIMPLEMENT_APP_NO_MAIN(CorviaApp);

int main(int argc, char** argv) {
  // Window placement and floating bars need X11, also on a Wayland desktop.
  setenv("GDK_BACKEND", "x11", 1);
  return wxEntry(argc, argv);
}
