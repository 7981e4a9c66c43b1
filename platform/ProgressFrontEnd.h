#pragma once
// The window of long operations. The state machine (levels, ranges, pause
// accounting, cancel) lives in the core; this is only what it shows and pumps.

#include <memory>
#include <string>

namespace corvia::platform {

class ProgressWindow {
public:
  virtual ~ProgressWindow() = default;
  virtual void SetCaption(const std::string& text) = 0;
  virtual void SetTimeTaken(const std::string& line) = 0;      // whole line, "Time Taken: ..."
  virtual void SetTimeRemaining(const std::string& line) = 0;  // whole line, or empty
  virtual void SetBar(int position) = 0;                       // 0 .. kProgressBarMax
  virtual void SetPauseCaption(const std::string& caption) = 0;
  // Handles waiting user-interface events without blocking: the Cancel and
  // Pause buttons, the window itself and repaints; other input is dropped.
  virtual void Pump() = 0;
  // Blocks, handling events by the same rule, until Pause is released or Cancel pressed.
  virtual void WaitWhilePaused() = 0;
  virtual bool CancelRequested() const = 0;
  virtual bool PauseRequested() const = 0;
};

inline constexpr int kProgressBarMax = 32767;

class ProgressFrontEnd {
public:
  virtual ~ProgressFrontEnd() = default;
  // Creates and shows the modeless "Processing..." window.
  virtual std::unique_ptr<ProgressWindow> CreateWindow() = 0;
  // For work whose window has not appeared yet: handles waiting user-interface and
  // input events without blocking, as the window's pump does (the windows repaint and
  // answer the window manager); what input to the program's windows does meanwhile is
  // the program's to decide, as while the window is up.
  virtual void PumpBeforeWindow() = 0;
};

}  // namespace corvia::platform
