// The program's entry point: the wx application object.

#include <wx/wx.h>

#include <cstdlib>

#include "app/StartUp.h"

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
};

wxIMPLEMENT_APP_NO_MAIN(CorviaApp);

int main(int argc, char** argv) {
  // Window placement and floating bars need X11, also on a Wayland desktop.
  setenv("GDK_BACKEND", "x11", 1);
  return wxEntry(argc, argv);
}
