#pragma once
// What the window tests share.

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/image.h>
#include <wx/toplevel.h>
#include <wx/uiaction.h>
#include <wx/utils.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>

#include "render/GLBitmapRender.h"

namespace corvia::testing {

// ---- Waits ------------------------------------------------------------------------------
// A window test waits for what it needs (a window shown, a pane painted, a model
// changed, a timer fired), never for a time: a loaded machine makes every step slower,
// and a wait for a condition ends as soon as the condition holds.

// How long a wait may last before the test goes on and its checks fail: long, because
// only a test that fails waits it out.
inline constexpr std::chrono::milliseconds kWaitLimit{30000};

// Lets wx handle its events until the condition holds; false when it still does not
// after the limit.
inline bool YieldUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = kWaitLimit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    wxTheApp->Yield(true);
    wxMilliSleep(5);
  }
  return true;
}

// Lets wx handle its events while the time passes: only for a test that checks what
// happens (or does not) while time passes, never to wait for something.
inline void YieldFor(int milliseconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (std::chrono::steady_clock::now() < end) {
    wxTheApp->Yield(true);
    wxMilliSleep(5);
  }
}

// Whether anything is queued for the program: events the display has sent (its answer
// to a question comes after every event it sent before, so a question is asked first),
// timers that are due, and events wx has queued itself (GuiScreen.cpp).
bool HasQueuedEvents();

// Lets wx handle everything the display has sent and wx has queued, until nothing is
// left, and then the idle time that follows (where windows lay out what changed): what
// a click, a key, a shown window or a change to a control brought about.
inline bool YieldUntilHandled() {
  wxTheApp->Yield(true);
  return YieldUntil([] { return !HasQueuedEvents(); });
}

// How often the window, or a window inside it, has been painted (GuiScreen.cpp).
int PaintCount(const wxWindow* window);

// Lets wx handle its events until the window, or a window inside it, has been painted
// more than `before` times.
inline bool YieldUntilPainted(const wxWindow* window, int before) {
  return YieldUntil([window, before] { return PaintCount(window) > before; });
}

// Lets wx handle its events until the top-level window is gone: closed and deleted.
inline bool YieldUntilGone(const wxWindow* window) {
  return YieldUntil([window] {
    return std::find(wxTopLevelWindows.begin(), wxTopLevelWindows.end(), window) == wxTopLevelWindows.end() &&
           !wxPendingDelete.Member(window);
  });
}

// Moves the pointer to the point of the screen and waits until it is there and the
// windows it passed have heard of it.
inline void MovePointerTo(wxUIActionSimulator& mouse, const wxPoint& target) {
  mouse.MouseMove(target);
  YieldUntil([&] { return wxGetMousePosition() == target; });
  YieldUntilHandled();
}

// Presses or releases the mouse button and waits until the display holds it so and the
// window under the pointer has handled it.
inline void PressButton(wxUIActionSimulator& mouse, int button = wxMOUSE_BTN_LEFT) {
  mouse.MouseDown(button);
  YieldUntil([button] { return wxGetMouseState().ButtonIsDown(static_cast<wxMouseButton>(button)); });
  YieldUntilHandled();
}
inline void ReleaseButton(wxUIActionSimulator& mouse, int button = wxMOUSE_BTN_LEFT) {
  mouse.MouseUp(button);
  YieldUntil([button] { return !wxGetMouseState().ButtonIsDown(static_cast<wxMouseButton>(button)); });
  YieldUntilHandled();
}

// Shows the top-level window and waits until it has been painted on the screen and
// what showing it brought about has been handled.
template <typename Frame>
Frame* ShowPainted(Frame* frame) {
  const int painted = PaintCount(frame);
  frame->Show();
  frame->Raise();
  YieldUntil([&] { return frame->IsShownOnScreen() && PaintCount(frame) > painted; });
  YieldUntilHandled();
  return frame;
}

// A click with the button at the point of the window, handled when it returns.
inline void ClickAt(wxWindow* window, const wxPoint& point, int button = wxMOUSE_BTN_LEFT) {
  wxUIActionSimulator mouse;
  MovePointerTo(mouse, window->ClientToScreen(point));
  PressButton(mouse, button);
  ReleaseButton(mouse, button);
}

// The pixels of a window as the screen shows them, read from the display's root window
// the way a screenshot is taken (GuiScreen.cpp). A screen context of the toolkit may
// hand back what a GL canvas showed some time before.
wxImage ScreenPixels(wxWindow* window);
// The same pixels as an opaque GL-style bitmap, for the picture checks of the renderer.
GLBitmap ScreenBitmap(wxWindow* window);
// The title of the top-level window that the display sends the keys to, as the display
// knows it (also for the toolkit's own dialogs, which wx does not list); empty when the
// keys go to no titled window.
std::string KeyWindowTitle();
// Hands the keys to the shown top-level window of that title, as a window manager
// does; false when there is none.
bool GiveKeysToWindowTitled(const std::string& title);
// Asks the shown top-level window of that title to close, as a window manager does
// when its close button is clicked; false when there is none.
bool CloseWindowTitled(const std::string& title);

// Sets an environment variable for the scope and puts the old value back.
class ScopedEnv {
public:
  ScopedEnv(const char* name, const std::string& value) : mName(name) {
    if (const char* old = std::getenv(name)) mOld = old, mHad = true;
    setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (mHad) {
      setenv(mName, mOld.c_str(), 1);
    } else {
      unsetenv(mName);
    }
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
  const char* mName;
  std::string mOld;
  bool mHad = false;
};

// Keeps a picture of the window as <name>.png in the folder CORVIA_WRITE_SCREENSHOTS
// names, when it is set (for a person to look at).
inline void KeepScreenshot(wxWindow* window, const char* name) {
  const char* folder = std::getenv("CORVIA_WRITE_SCREENSHOTS");
  if (!folder) return;
  if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG)) wxImage::AddHandler(new wxPNGHandler);
  ScreenPixels(window).SaveFile(std::string(folder) + "/" + name + ".png", wxBITMAP_TYPE_PNG);
}

// Window tests: frames shown and raised, clicks where a person would click, and
// every top-level window gone afterwards.
class WindowTest : public ::testing::Test {
 protected:
  void TearDown() override {
    for (wxWindow* w : wxTopLevelWindows) w->Destroy();
    YieldUntil([] { return wxTopLevelWindows.empty(); });
  }
  template <typename Frame>
  static Frame* Show(Frame* frame) {
    return ShowPainted(frame);
  }
  static void ClickAt(wxWindow* window, const wxPoint& point) { testing::ClickAt(window, point); }
  static wxPoint Centre(const wxRect& r) { return wxPoint(r.x + r.width / 2, r.y + r.height / 2); }
};

}  // namespace corvia::testing
