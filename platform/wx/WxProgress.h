#pragma once
// The "Processing..." window of long operations, shown with wx: a modeless dialog
// with the caption, a bar, the taken and remaining times, Pause/Resume and Cancel.
// While it is up every other top-level window is disabled (unless the program holds
// their input back itself), and pumping handles only user-interface and input events,
// so the computation that pumps is not re-entered by timers, idle work or posted
// commands (those wait in the queue).

#include <memory>

#include "platform/ProgressFrontEnd.h"

class wxWindow;

namespace corvia::platform {

class WxProgress final : public ProgressFrontEnd {
public:
  std::unique_ptr<ProgressWindow> CreateWindow() override;

  // The window of the running work, or null.
  static wxWindow* GetOpenWindow();
  // Whether the windows made from now on leave the other windows enabled, for work the
  // program does on its own while it is idle: it keeps the input to other windows
  // from reaching them itself, and lets the menus answer.
  static void SetOtherWindowsEnabled(bool enabled);
};

}  // namespace corvia::platform
