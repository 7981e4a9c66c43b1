#pragma once
// What the window tests share.

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/toplevel.h>
#include <wx/uiaction.h>
#include <wx/image.h>
#include <wx/utils.h>

#include <cstdlib>
#include <functional>
#include <string>

namespace corvia::testing {

// Lets wx handle its events until the condition holds (at most about two seconds).
inline void YieldUntil(const std::function<bool()>& done) {
  for (int i = 0; i < 200 && !done(); ++i) {
    wxTheApp->Yield(true);
    wxMilliSleep(10);
  }
}

// Lets wx handle what is pending for a while.
inline void YieldFor(int milliseconds) {
  for (int waited = 0; waited < milliseconds; waited += 10) {
    wxTheApp->Yield(true);
    wxMilliSleep(10);
  }
}

// The pixels of a window as the screen shows them, read from the display's root window
// the way a screenshot is taken (GuiScreen.cpp). A screen context of the toolkit may
// hand back what a GL canvas showed some time before.
wxImage ScreenPixels(wxWindow* window);

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
    frame->Show();
    frame->Raise();
    YieldUntil([&] { return frame->IsShownOnScreen(); });
    YieldFor(150);
    return frame;
  }
  static void ClickAt(wxWindow* window, const wxPoint& point) {
    wxUIActionSimulator mouse;
    mouse.MouseMove(window->ClientToScreen(point));
    YieldFor(60);
    mouse.MouseClick();
    YieldFor(120);
  }
  static wxPoint Centre(const wxRect& r) { return wxPoint(r.x + r.width / 2, r.y + r.height / 2); }
};

}  // namespace corvia::testing
