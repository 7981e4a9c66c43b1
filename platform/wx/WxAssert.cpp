#include "platform/wx/WxAssert.h"

#include <wx/filename.h>
#include <wx/thread.h>

#include <cstdio>

#include "core/Messages.h"

namespace corvia::platform {

void ToolkitCheckTeller::Write(const wxString& file, int line, const wxString& func, const wxString& cond,
                               const wxString& msg) {
  std::fprintf(stderr, "corvia: toolkit check failed at %s:%d in %s: %s: %s\n",
               wxFileName(file).GetFullName().utf8_str().data(), line, func.utf8_str().data(), cond.utf8_str().data(),
               msg.utf8_str().data());
}

void ToolkitCheckTeller::Tell(const wxString& file, int line, const wxString& func, const wxString& cond,
                              const wxString& msg) {
  ++mCount;
  Write(file, line, func, cond, msg);
  const std::string name = wxFileName(file).GetFullName().utf8_string();
  const std::string place = name + ":" + std::to_string(line);
  const std::string text = (func.empty() ? std::string("wx") : func.utf8_string()) + ": " +
                           (msg.empty() ? std::string("check failed") : msg.utf8_string()) +
                           "\nA check of the window toolkit failed (" + name + ", line " + std::to_string(line) +
                           ": " + cond.utf8_string() + ").\nWhat was being done has been stopped; the program goes on.";
  if (wxIsMainThread()) {
    TellOnMainThread(place, text);
  } else {
    // Boxes, the progress of work and the counts of internal errors are the main
    // thread's. The call waits in this handler's queue, which goes with it.
    CallAfter(&ToolkitCheckTeller::TellOnMainThread, place, text);
  }
}

void ToolkitCheckTeller::TellOnMainThread(const std::string& place, const std::string& text) {
  if (mTelling || !mTold.insert(place).second) return;
  mTelling = true;
  {
    // Whatever the toolkit was doing (a paint, a callback of its own), the box waits
    // until the program is idle again.
    NoticesAfterDrawing afterDrawing;
    ShowInternalError("%s", text.c_str());
  }
  mTelling = false;
}

bool InstallInPlaceOfToolkitHandler(wxAssertHandler_t handler) {
  // The toolkit's default handler is found by putting it back for a moment.
  const wxAssertHandler_t current = wxSetAssertHandler(nullptr);
  wxSetDefaultAssertHandler();
  const wxAssertHandler_t toolkits = wxSetAssertHandler(current);
  if (current == toolkits) wxSetAssertHandler(handler);
  return current == toolkits || current == handler;
}

}  // namespace corvia::platform
