// Time from starting the program to its first painted frame, on a virtual display
// (an Xvfb of its own when none is given). Each run starts this program afresh as a
// child that goes through corvia's own start-up steps; the child reports when the
// first paint of a pane is done (after its buffers were swapped) and ends. The time
// counts from just before the child is started: loading, GTK, the settings, the
// document, the panes and the first model.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <wx/app.h>
#include <wx/eventfilter.h>
#include <wx/frame.h>
#include <wx/glcanvas.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "app/StartUp.h"
#include "bench/support/VirtualDisplay.h"

namespace {

constexpr const char* kChildFlag = "--first-paint-child";
// The child gives up when no paint comes within this time.
constexpr int kChildTimeoutSeconds = 60;

double MonotonicSeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// ---- The child: corvia's start-up, then one line with the time of the first paint ----------

double gStartTime = 0.0;
int gReportFd = -1;

// Sees every event first: the first paint of a pane's canvas is reported once it has
// been handled.
class FirstPaint final : public wxEventFilter {
 public:
  int FilterEvent(wxEvent& event) override {
    if (!mSeen && event.GetEventType() == wxEVT_PAINT && wxDynamicCast(event.GetEventObject(), wxGLCanvas)) {
      mSeen = true;
      wxTheApp->CallAfter([] {
        const double elapsed = MonotonicSeconds() - gStartTime;
        dprintf(gReportFd, "%.6f\n", elapsed);
        if (wxWindow* top = wxTheApp->GetTopWindow()) top->Close(true);
      });
    }
    return Event_Skip;
  }

 private:
  bool mSeen = false;
};

class ChildApp : public wxApp {
 public:
  bool OnInit() override {
    wxEvtHandler::AddFilter(&mFilter);
    SetTopWindow(corvia::app::StartUp());
    return true;
  }
  int OnExit() override {
    corvia::app::ShutDown();
    wxEvtHandler::RemoveFilter(&mFilter);
    return wxApp::OnExit();
  }

 private:
  FirstPaint mFilter;
};

int RunChild(char** argv) {
  gStartTime = std::strtod(argv[2], nullptr);
  gReportFd = std::atoi(argv[3]);
  alarm(kChildTimeoutSeconds);
  wxApp::SetInstance(new ChildApp);
  int childArgc = 1;
  char* childArgv[] = {argv[0], nullptr};
  return wxEntry(childArgc, childArgv);
}

// ---- The benchmark --------------------------------------------------------------------------

// Starts a child and returns the seconds to its first paint; below 0 when it failed.
double TimeOneStart(const std::string& self) {
  int fds[2];
  if (pipe(fds) != 0) return -1.0;
  const double start = MonotonicSeconds();
  const pid_t child = fork();
  if (child == 0) {
    close(fds[0]);
    const std::string startText = std::to_string(start);
    const std::string fd = std::to_string(fds[1]);
    execl(self.c_str(), self.c_str(), kChildFlag, startText.c_str(), fd.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  char line[64] = {};
  const ssize_t got = read(fds[0], line, sizeof line - 1);
  close(fds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  if (got <= 0) return -1.0;
  return std::strtod(line, nullptr);
}

void BM_StartToFirstPaint(benchmark::State& state) {
  if (!corvia::bench::EnsureDisplay()) {
    state.SkipWithError("no display and no Xvfb");
    return;
  }
  const std::filesystem::path home = corvia::bench::UseScratchHome("corvia-start");
  const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  for (auto _ : state) {
    const double seconds = TimeOneStart(self);
    if (seconds < 0.0) {
      state.SkipWithError("the program did not paint");
      break;
    }
    state.SetIterationTime(seconds);
  }
  std::filesystem::remove_all(home);
}
BENCHMARK(BM_StartToFirstPaint)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 4 && std::strcmp(argv[1], kChildFlag) == 0) return RunChild(argv);
  return corvia::bench::RunBenchmarksOnDisplay(argc, argv);
}
