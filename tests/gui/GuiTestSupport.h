#pragma once
// What the window tests share.

#include <wx/app.h>
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

}  // namespace corvia::testing
