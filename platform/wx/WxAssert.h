#pragma once
// The window toolkit's own failed checks (wx assertions). Left to the toolkit, each
// would put up a box of its own whose Stop ends the program. The program's teller
// tells one instead as an internal error: once for each place in the toolkit, after
// the paint or the work it came in (a box never opens inside a paint), ending long
// work as any internal error does; the toolkit's call that failed its check has
// returned, and the program goes on. A check that fails on another thread is told on
// the main one. Every failed check is also written to the standard error.

#include <wx/debug.h>
#include <wx/event.h>
#include <wx/string.h>

#include <atomic>
#include <set>
#include <string>

namespace corvia::platform {

// The program's start-up owns one and routes the toolkit's handler to it. It is made
// and destroyed on the main thread.
class ToolkitCheckTeller final : public wxEvtHandler {
 public:
  // A failed check, from any thread.
  void Tell(const wxString& file, int line, const wxString& func, const wxString& cond, const wxString& msg);
  // The failed checks met so far, told or not.
  int Count() const { return mCount.load(); }

  // Writes a failed check to the standard error (all that is done with one met where
  // no teller is).
  static void Write(const wxString& file, int line, const wxString& func, const wxString& cond, const wxString& msg);

 private:
  void TellOnMainThread(const std::string& place, const std::string& text);

  std::atomic<int> mCount{0};
  // Set while a check is told: one failed meanwhile is only written out.
  bool mTelling = false;
  // The places whose failed check has been told.
  std::set<std::string> mTold;
};

// Puts the handler in place of the toolkit's default one. A handler installed before
// (the window tests' own, which fails the test) stays. True when the given handler is
// the one in place afterwards.
bool InstallInPlaceOfToolkitHandler(wxAssertHandler_t handler);

}  // namespace corvia::platform
