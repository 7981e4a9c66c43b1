#pragma once
// The "Processing..." window of long operations, shown with wx: a modeless dialog
// with the caption, a bar, the taken and remaining times, Pause/Resume and Cancel.
// While it is up every other top-level window is disabled (but those whose input the
// program holds back itself), and pumping handles only user-interface and input events,
// so the computation that pumps is not re-entered by timers, idle work or posted
// commands (those wait in the queue).

#include <memory>

#include <wx/weakref.h>
#include <wx/window.h>

#include "platform/ProgressFrontEnd.h"

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
  // The program's main window, which the windows made from now on leave enabled (null:
  // none): the program keeps its input from reaching it itself, all but a close, which
  // stops the work; the window manager's close button and Alt+F4 reach only an enabled
  // window.
  void SetMainWindow(wxWindow* window);

private:
  wxWeakRef<wxWindow> mMainWindow;
};

}  // namespace corvia::platform
