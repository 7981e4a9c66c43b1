#pragma once
// What the window tests share.

#include <wx/app.h>
#include <wx/utils.h>

#include <functional>

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

}  // namespace corvia::testing
