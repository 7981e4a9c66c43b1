// The program's entry point: the wx application object.

#include <wx/wx.h>

#include "app/StartUp.h"

namespace {

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

}  // namespace

wxIMPLEMENT_APP(CorviaApp);
