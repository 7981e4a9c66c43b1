#pragma once
// The "Processing..." window of long operations, shown with wx: a modeless dialog
// with the caption, a bar, the taken and remaining times, Pause/Resume and Cancel.
// While it is up every other top-level window is disabled (but those whose input the
// program holds back itself), and pumping handles only user-interface and input events,
// so the computation that pumps is not re-entered by idle work or posted commands
// (those wait in the queue); timers fire, as the toolkit's yield serves them. Work whose
// window has not appeared yet is pumped by the same rule, with no window disabled.

#include <memory>

#include <wx/weakref.h>
#include <wx/window.h>

#include "platform/ProgressFrontEnd.h"

namespace corvia::platform {

class WxProgress final : public ProgressFrontEnd {
public:
  std::unique_ptr<ProgressWindow> CreateWindow() override;
  // Disables no window: the program's event filter holds their input back.
  void PumpBeforeWindow() override;

  // The window of the running work, or null.
  static wxWindow* GetOpenWindow();
  // Whether the work's pump (its window's, or the one before the window shows) is
  // handling events now: a dialog that was open before the work takes no input from
  // it, as the window, once up, disables that dialog.
  static bool IsPumping();
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
