#pragma once
// What the benchmarks that run the program share: a virtual display (an Xvfb of their
// own when no display is given), a home of their own, and their main.

#include <benchmark/benchmark.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace corvia::bench {

inline pid_t& VirtualDisplayProcess() {
  static pid_t pid = 0;
  return pid;
}

// True when DISPLAY names one, or an Xvfb was started (it tells the number it took).
inline bool EnsureDisplay() {
  if (std::getenv("DISPLAY")) return true;
  int fds[2];
  if (pipe(fds) != 0) return false;
  pid_t& xvfb = VirtualDisplayProcess();
  xvfb = fork();
  if (xvfb == 0) {
    close(fds[0]);
    const std::string fd = std::to_string(fds[1]);
    execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp", "-noreset",
           static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  char number[32] = {};
  const ssize_t got = read(fds[0], number, sizeof number - 1);
  close(fds[0]);
  if (got <= 0) return false;
  std::string display = ":" + std::string(number, static_cast<size_t>(got));
  while (!display.empty() && (display.back() == '\n' || display.back() == ' ')) display.pop_back();
  setenv("DISPLAY", display.c_str(), 1);
  return true;
}

inline void StopDisplay() {
  pid_t& xvfb = VirtualDisplayProcess();
  if (xvfb > 0) {
    kill(xvfb, SIGTERM);
    waitpid(xvfb, nullptr, 0);
    xvfb = 0;
  }
}

// A home of its own for the program, so that the user's settings are neither read nor
// written, with the software renderer; the folder is returned for removal afterwards.
inline std::filesystem::path UseScratchHome(const std::string& name) {
  const std::filesystem::path home = std::filesystem::temp_directory_path() / (name + "-" + std::to_string(getpid()));
  std::filesystem::create_directories(home);
  setenv("HOME", home.c_str(), 1);
  setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
  setenv("XDG_DOCUMENTS_DIR", (home / "Documents").c_str(), 1);
  setenv("LIBGL_ALWAYS_SOFTWARE", "1", 0);
  return home;
}

// The benchmarks' main after the child's: runs them and stops the display.
inline int RunBenchmarksOnDisplay(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  StopDisplay();
  return 0;
}

}  // namespace corvia::bench
