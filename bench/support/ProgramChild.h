#pragma once
// The program in a benchmark's child process: corvia's own start-up, then the
// benchmark's work, run from the main loop once it turns; then the main window closes
// and the program shuts down. The work's answer is the process's exit status.

#include <wx/app.h>
#include <wx/frame.h>

#include <functional>
#include <utility>

#include "app/StartUp.h"

namespace corvia::bench {

class ProgramChild final : public wxApp {
 public:
  // The work is given the main window (null when the start-up made none).
  explicit ProgramChild(std::function<int(wxFrame*)> work) : mWork(std::move(work)) {}
  bool OnInit() override {
    wxFrame* main = app::StartUp();
    SetTopWindow(main);
    CallAfter([this, main] {
      mStatus = mWork(main);
      if (wxWindow* top = GetTopWindow()) top->Close(true);
      ExitMainLoop();
    });
    return true;
  }
  int OnExit() override {
    app::ShutDown();
    return wxApp::OnExit();
  }
  int OnRun() override {
    wxApp::OnRun();
    return mStatus;
  }

 private:
  std::function<int(wxFrame*)> mWork;
  int mStatus = 0;
};

// Runs the program with the work in this process, as the program named argv0.
inline int RunProgramChild(char* argv0, std::function<int(wxFrame*)> work) {
  wxApp::SetInstance(new ProgramChild(std::move(work)));
  int argc = 1;
  char* argv[] = {argv0, nullptr};
  return wxEntry(argc, argv);
}

}  // namespace corvia::bench
