#pragma once
// Progress of long operations, process-wide and on the user-interface thread.
//
// BeginProgress opens a nesting level, UpdateProgress reports a fraction and a
// caption and says whether to go on, EndProgress closes the level. Nested
// operations share one "Processing..." window; an outer operation maps an inner
// one onto a part of the bar with PushProgressRange. The window appears only
// once the outermost level has run for a second, and never while an OpenGL view
// holds the drawing context. While it is up, UpdateProgress handles its buttons
// (Pause/Resume, Cancel) itself; time spent paused is taken out of the elapsed
// time. Before it appears, work that has run a quarter second pumps the program's
// events at its reports all the same (at most once a tick), so that the windows
// answer; a stop the program asks for (RequestProgressCancel: the main window closed)
// is then heard at the next report. After Cancel, UpdateProgress closes one level and returns false: the
// caller stops, discards its partial result and does not call EndProgress for
// that level again (ProgressScope respects this).

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <type_traits>
#include <vector>

#include "core/TimeSpan.h"

namespace corvia {

// A sub-range of the bar, [0, 1] at the outermost level.
struct ProgressRange {
  double low = 0.0;
  double high = 1.0;
};

// The fraction that keeps the window responsive without reporting anything.
constexpr double kProgressNoReport = -99.9;

// Opens a level. At the outermost level the clock starts at `alreadyElapsed`
// (work resumed from a saved state passes the time it had already taken).
void BeginProgress(const TimeSpan& alreadyElapsed = TimeSpan());

// Reports `fraction` (0..1 of the current range) and, when `caption` is not null,
// the printf-formatted caption. Returns true to go on; false when the user
// cancelled (one level is then closed) or no level is open. A fraction of
// kProgressNoReport, or not a number, only handles the window's buttons. The last
// caption reported before the window appears is shown when it appears.
bool UpdateProgress(double fraction, const char* caption = nullptr, ...) __attribute__((format(printf, 2, 3)));

// For work deep inside a long operation, where no answer can be carried back up at
// once: handles the window's buttons and reports the fraction (of the current range)
// and caption, as UpdateProgress does, but at most once every kProgressTickSeconds of
// the clock (the first call of a level always does; the calls between only ask for
// the answer). Returns false once the work was cancelled (by the user or by
// RequestProgressCancel), and from then on until the scope of the cancelled level
// ends, so that every loop of the work can stop at its next tick. A cancel of a level
// that no ProgressScope encloses is not kept.
constexpr double kProgressTickSeconds = 0.05;
bool ProgressTick(double fraction = kProgressNoReport, const char* caption = nullptr);
// Whether ProgressTick would handle the window now: work whose fraction takes some
// counting counts only then.
bool IsProgressTickDue();

// For loops over many small items, where a clock reading at every pass would cost
// more than the work: ticks at every `every`-th pass (the first included) and answers
// as the last tick did in between, so that the loop stops within that many passes of
// a cancel.
class ProgressTicker {
public:
  static constexpr unsigned kPasses = 256;
  explicit ProgressTicker(unsigned every = kPasses) : mEvery(every > 0 ? every : 1) {}
  bool operator()() { return (*this)(kProgressNoReport); }
  // The same, reporting the share of the work done (of the current range) at the ticks.
  bool operator()(double fraction) {
    if (--mLeft == 0) {
      mLeft = mEvery;
      mGoOn = ProgressTick(fraction);
    }
    return mGoOn;
  }

private:
  unsigned mEvery;
  unsigned mLeft = 1;  // passes until the next tick
  bool mGoOn = true;
};

// Work that must run to its end once begun, such as putting back the model that a
// cancelled change had already taken away: while one lives, reports take no cancel
// and do not answer stop for one taken before. The cancel taken before holds again
// once it ends.
class ProgressShield {
public:
  ProgressShield();
  ~ProgressShield();
  ProgressShield(const ProgressShield&) = delete;
  ProgressShield& operator=(const ProgressShield&) = delete;
private:
  int mCancelledLevel;
};

// The tables below are filled or moved in runs of this many bytes, a report before each:
// a run's fresh pages are met one by one, some 5 ms a megabyte, more under load (runs of
// a fixed count of items held the window 0.1 to 0.3 s with records of 72 bytes).
constexpr std::size_t kAnsweringRunBytes = std::size_t{1} << 20;

// Makes `table` `count` copies of `value`, as assign does, answering the window along
// the way: a fresh table of hundreds of megabytes (the open table of a million-facelet
// net grown at once) takes a good part of a second to fill, its pages met one by one.
// The table is filled to its end; a cancel taken here is kept for the caller's next
// report (ProgressTick).
template <typename T>
void AssignAnsweringTheWindow(std::vector<T>& table, std::size_t count, const T& value) {
  constexpr std::size_t kStep = kAnsweringRunBytes / sizeof(T) > 0 ? kAnsweringRunBytes / sizeof(T) : 1;
  if (count <= kStep) {
    table.assign(count, value);
    return;
  }
  std::vector<T> fresh;
  fresh.reserve(count);
  while (fresh.size() < count) {
    (void)ProgressTick();
    fresh.resize(std::min(count, fresh.size() + kStep), value);
  }
  table.swap(fresh);
}

// Makes room in `table` for `count` items, answering the window along the way: a
// table that must grow takes twice the room (as push_back does), and a large one moves
// its items into the new block in runs with a report before each (a table of a few
// million records takes a good part of a second to move, its new pages met one by
// one). A cancel taken here is kept for the caller's next report (ProgressTick).
template <typename T>
void ReserveAnsweringTheWindow(std::vector<T>& table, std::size_t count) {
  static_assert(std::is_nothrow_move_constructible_v<T>, "a failed move would lose the table's items");
  constexpr std::size_t kStep = kAnsweringRunBytes / sizeof(T) > 0 ? kAnsweringRunBytes / sizeof(T) : 1;
  if (count <= table.capacity()) return;
  const std::size_t room = std::max(count, 2 * table.capacity());
  if (table.size() <= kStep) {
    table.reserve(room);
    return;
  }
  std::vector<T> fresh;
  fresh.reserve(room);
  while (fresh.size() < table.size()) {
    (void)ProgressTick();
    const auto from = table.begin() + static_cast<std::ptrdiff_t>(fresh.size());
    const auto to = table.begin() + static_cast<std::ptrdiff_t>(std::min(table.size(), fresh.size() + kStep));
    fresh.insert(fresh.end(), std::make_move_iterator(from), std::make_move_iterator(to));
  }
  table.swap(fresh);
}

// Closes a level; the outermost one closes the window and switches the
// remaining-time line back on.
void EndProgress();

bool IsProgressActive();

// How many levels are open. Work that an allocation failure unwound (core/OperationGuard.h)
// may have left levels open by hand: EndProgressLevelsAbove closes them down to the count
// noted before it began.
int GetProgressLevel();
void EndProgressLevelsAbove(int level);

// Whether the "Time Remaining" line is filled (off for work whose fraction is no
// measure of time).
void SetShowTimeRemaining(bool show);

// Narrows the current range to its part [a, b]; returns the range before, for
// PopProgressRange.
ProgressRange PushProgressRange(double a, double b);
void PopProgressRange(const ProgressRange& saved);

// Time since the outermost level started, without the time spent paused.
TimeSpan ProgressElapsedTime();
// That span as text, in a static buffer that the next call overwrites.
const char* ElapsedTimeText();

// Opens a level for its lifetime. It closes the level only if nothing else did
// (an explicit EndProgress, or a cancel inside UpdateProgress). Left by a failure in
// flight it closes the level, but the window that goes with the outermost one closes
// later (destroying it is work a failure must not meet): at the next level, the next
// EndProgress, or the edge of the operation (EndProgressLevelsAbove).
class ProgressScope {
public:
  explicit ProgressScope(const TimeSpan& alreadyElapsed = TimeSpan());
  ~ProgressScope();
  ProgressScope(const ProgressScope&) = delete;
  ProgressScope& operator=(const ProgressScope&) = delete;

private:
  int mLevel;
  int mFailures;
};

// The renderer installs a query that says whether an OpenGL view holds the
// drawing context at the moment; no progress window is created while it does.
// Without one, nothing is drawing. Returns the query installed before.
using DrawingContextQuery = bool (*)();
DrawingContextQuery SetDrawingContextQuery(DrawingContextQuery query);
// Whether a view is drawing now (by the installed query).
bool IsDrawingContextHeld();

// Stops the running work as the Cancel button does, at its next report: the program
// asks for it when the user turns to something else.
void RequestProgressCancel();
// Whether the work cancelled last was stopped that way rather than by the user
// (kept until new work begins).
bool WasProgressCancelRequested();
// How many times work has been stopped, by the user's Cancel, by the program or by an
// internal error: work that reads the count before and after a step knows whether the
// step was stopped.
int GetProgressCancelCount();
// How many times work under a progress level has ended (its outermost level closed),
// however it ended: what comes next knows whether work ran since it last looked.
int GetEndedWorkCount();

// An internal error met by the running work ends that work, as the user's Cancel does:
// it counts as a stop at once, and from then on every report answers stop, closing its
// level, until the outermost level has closed and its scopes ended, so that no loop of
// the work goes on to meet it again and the caller of each level leaves things as they
// were. The answer says how the error is told: the first of the work once the work is
// over (a box shown in the middle of it would let the panes draw what is half made),
// a later one not again; with no work running, at once. Work inside a ProgressShield is
// not stopped, and tells each error after it.
enum class InternalErrorTelling { kNow, kAfterWork, kNotAgain };
InternalErrorTelling EndWorkForInternalError();
// Whether the work was ended that way (kept until new work begins): its caller knows
// that the stop was no choice of the user's.
bool WasProgressEndedByInternalError();

}  // namespace corvia
