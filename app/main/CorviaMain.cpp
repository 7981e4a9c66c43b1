// The program's entry point: a wx application with its main window.

#include <clocale>

#include <wx/wx.h>

namespace {

class CorviaApp : public wxApp {
public:
  bool OnInit() override {
    // Files, typed numbers and messages use '.' whatever the desktop's locale.
    std::setlocale(LC_NUMERIC, "C");
    auto* frame = new wxFrame(nullptr, wxID_ANY, "Corvia", wxDefaultPosition, wxSize(1024, 768));
    frame->Show();
    SetTopWindow(frame);
    std::setlocale(LC_NUMERIC, "C");
    return true;
  }
};

}  // namespace

wxIMPLEMENT_APP(CorviaApp);
