#pragma once
// Work a pane asked for that the program's idle time does a turn at a time under the
// progress window, so that no paint waits for it: a large net gathered and its facelets
// filed, folded nets placed anew, a large model's faces recorded.

#include <cstddef>
#include <functional>
#include <string>

namespace corvia {

// What the report before a turn shows: the share done (done of done + left; all of it
// when both are nought) and its caption.
struct IdleTurnReport {
  size_t done = 0;
  size_t left = 0;
  std::string caption;
};

struct IdleTurns {
  // Whether anything waits, and if so the report before the next turn. Asked before
  // every turn: the panes painted meanwhile may have asked for more, or for nothing.
  std::function<bool(IdleTurnReport&)> waits;
  // One turn. The report's events may have painted the panes: a turn finds what waits
  // again, and does nothing when nothing does.
  std::function<void()> turn;
  // What waits after a Cancel: the user's (true), or a stop the program asked for (false).
  std::function<void(bool byUser)> cancelled;
};

// Runs turns until nothing waits (true; with nothing waiting at first, under no progress
// level). A Cancel, one at the window's first report included (then before any turn),
// ends the work (false) after `cancelled`.
bool RunIdleTurns(const IdleTurns& work);

}  // namespace corvia
