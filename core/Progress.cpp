#include "core/Progress.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <exception>
#include <memory>
#include <string>

#include "core/Messages.h"
#include "core/TimeFormat.h"
#include "platform/Services.h"

namespace corvia {

namespace detail_Progress {

// The window appears only for work that has run this long.
constexpr int64_t kWindowDelayMs = 1000;
// Work that has run this long answers the window's events before its window appears
// (the windows repaint and answer the window manager, a close is heard), at most once a
// tick; shorter work never pumps.
constexpr int64_t kAnswerDelayMs = 250;
constexpr int64_t kAnswerIntervalMs = static_cast<int64_t>(kProgressTickSeconds * 1000.0);
// Below this share of the work done, no remaining time is estimated.
constexpr double kSmallestEstimatedFraction = 1e-30;
constexpr size_t kElapsedTextSize = 80;

struct ProgressState {
  int level = 0;
  // Clock reading at which the outermost level started, less the time already
  // spent before it and the time spent paused since.
  TimeSpan startTime;
  TimeSpan pauseSpan;  // length of the last pause
  ProgressRange range;
  std::unique_ptr<platform::ProgressWindow> window;
  // The window of work that a failure ended: closing it is work that a failure in
  // flight must not meet, so it closes at the next report, level or operation's edge.
  std::unique_ptr<platform::ProgressWindow> closing;
  bool showTimeRemaining = true;
  char elapsedText[kElapsedTextSize] = {};
  DrawingContextQuery drawingQuery = nullptr;
  // A cancel asked for by the program, waiting for the next report.
  bool cancelRequested = false;
  // The last cancel was that one.
  bool lastCancelRequested = false;
  // Every cancel since the start, by the user or by the program.
  int cancelCount = 0;
  // The level that was cancelled (0: none), kept for ProgressTick until that level's
  // scope ends or a new outermost level begins.
  int cancelledLevel = 0;
  // ProgressScopes alive: a cancel is kept only for work that one of them encloses
  // (a level opened by hand is closed by the cancel and ends with its caller).
  int liveScopes = 0;
  // ProgressShields alive: no cancel is taken.
  int shields = 0;
  // The running work met an internal error: it ends, level by level, at its reports,
  // and is over once its levels have closed and its scopes ended.
  bool endedByInternalError = false;
  // The last work that ended was ended so.
  bool lastEndedByInternalError = false;
  double lastTick = 0.0;
  bool ticked = false;
  // The last fraction of the whole work reported, and the time taken when it was: the
  // time remaining is estimated from them at every update, not only at a report.
  double lastFraction = 0.0;
  TimeSpan lastFractionTime;
  // The last caption reported before the window appeared, shown when it appears (the
  // first report after the delay may come from deep in the work, with no caption).
  std::string earlyCaption;
  // When the events were last pumped before the window appeared (milliseconds of the
  // work; none yet: below zero).
  int64_t answeredAtMs = -1;
  // How many times the outermost level has closed.
  int endedWorkCount = 0;
};

ProgressState& State() {
  static ProgressState state;
  return state;
}

// The one clock, in whole milliseconds.
TimeSpan Now() {
  const double ms = std::floor(platform::NowSeconds() * 1000.0);
  return TimeSpan(static_cast<int64_t>(0), static_cast<int64_t>(ms));
}

bool IsUnderWindowDelay(const TimeSpan& elapsed) {
  // The whole span counts: a day and a half second is not under a second.
  return elapsed.GetDays() <= 0 && elapsed.GetMilliseconds() < kWindowDelayMs;
}

// Pumps the events of work that has no window yet, when it is due: from the first
// quarter second of the work on, once a tick.
void AnswerBeforeWindow(ProgressState& state, const TimeSpan& elapsed) {
  const int64_t ms = elapsed.GetDays() * TimeSpan::kMillisecondsPerDay + elapsed.GetMilliseconds();
  if (ms < kAnswerDelayMs) return;
  // A clock set back counts as time gone by.
  if (state.answeredAtMs >= 0 && ms >= state.answeredAtMs && ms - state.answeredAtMs < kAnswerIntervalMs) return;
  state.answeredAtMs = ms;
  platform::Services().progress->PumpBeforeWindow();
}

// Ends the level the work reports in, for the user's Cancel or the program's: the work
// stops, and its ticks say so until its scope ends.
bool StopForCancel(ProgressState& state, bool byProgram) {
  state.lastCancelRequested = byProgram;
  ++state.cancelCount;
  const int level = state.level;
  EndProgress();
  state.cancelledLevel = level;
  return false;
}

// Handles the window's buttons; while paused, waits and takes the pause out of
// the elapsed time.
void PumpWindow(ProgressState& state) {
  state.window->Pump();
  // The events just handled may have closed the outermost level, and the window with
  // it.
  if (!state.window) return;
  platform::ProgressWindow& window = *state.window;
  if (!window.PauseRequested() || window.CancelRequested()) return;
  window.SetPauseCaption("Resume");
  const TimeSpan pauseStart = Now();
  window.WaitWhilePaused();
  state.pauseSpan = Now() - pauseStart;
  state.startTime += state.pauseSpan;
  // The window may have gone during the wait only if something closed the
  // outermost level from inside it.
  if (state.window) state.window->SetPauseCaption("Pause");
}

// Whether the ticks still answer stop for a cancelled level; a cancel that no live
// scope encloses is forgotten.
bool IsCancelKept(ProgressState& state) {
  if (state.cancelledLevel > 0 && state.liveScopes <= 0) state.cancelledLevel = 0;
  return state.cancelledLevel > 0;
}

// The time remaining, `elapsed` into the work, of which the share `fraction` was done
// when `fractionTime` had been taken: the end that share foretold, counted down; once
// the work runs past it, the time the rest takes at the pace of the whole so far.
TimeSpan EstimateRemaining(const TimeSpan& elapsed, double fraction, const TimeSpan& fractionTime) {
  // TimeSpan division clamps the estimate of a tiny fraction.
  const TimeSpan toEnd = fractionTime / fraction - elapsed;
  if (toEnd.GetDays() > 0 || (toEnd.GetDays() == 0 && toEnd.GetMilliseconds() > 0)) return toEnd;
  return elapsed / fraction - elapsed;
}

bool IsEndedByInternalError(const ProgressState& state) {
  return state.endedByInternalError && state.shields == 0 && state.level > 0;
}

// Closes the innermost level; `failing` while a failure is in flight, when nothing is
// shown, destroyed or allocated.
void EndLevel(ProgressState& state, bool failing) {
  --state.level;
  if (state.level > 0) return;
  if (state.level < 0) {
    if (!failing) ShowInternalError("Too many calls to EndProgress()");
    state.level = 0;
  }
  ++state.endedWorkCount;
  if (!failing) {
    state.window.reset();
  } else if (!state.closing) {
    state.closing = std::move(state.window);
  }
  state.showTimeRemaining = true;
  state.cancelRequested = false;
  if (state.liveScopes <= 0) state.endedByInternalError = false;
}

}  // namespace detail_Progress

void BeginProgress(const TimeSpan& alreadyElapsed) {
  auto& state = detail_Progress::State();
  state.closing.reset();
  if (state.level++ > 0) return;
  state.lastCancelRequested = false;
  // A scope opened inside work whose levels a stop has closed belongs to that work.
  if (state.liveScopes <= 1) {
    state.endedByInternalError = false;
    state.lastEndedByInternalError = false;
  }
  state.cancelledLevel = 0;
  state.ticked = false;
  state.earlyCaption.clear();
  state.startTime = detail_Progress::Now() - alreadyElapsed;
  state.range = ProgressRange{};
  state.pauseSpan = TimeSpan();
  state.lastFraction = 0.0;
  state.lastFractionTime = TimeSpan();
  state.answeredAtMs = -1;
  UpdateProgress(0.0);
}

bool UpdateProgress(double fraction, const char* caption, ...) {
  namespace d = detail_Progress;
  auto& state = d::State();
  state.pauseSpan = TimeSpan();
  if (state.level <= 0) return false;
  if (d::IsEndedByInternalError(state)) {
    // Counted as a stop when the error was met; told by its box, not as the user's.
    state.lastCancelRequested = false;
    const int level = state.level;
    EndProgress();
    state.cancelledLevel = level;
    return false;
  }

  const bool reports = fraction != kProgressNoReport && !std::isnan(fraction);
  TimeSpan elapsed = d::Now() - state.startTime;
  if (reports) {
    fraction = std::clamp(fraction, 0.0, 1.0);
    state.lastFraction = state.range.low + (state.range.high - state.range.low) * fraction;
    state.lastFractionTime = elapsed;
  }
  if (!state.window) {
    const bool drawing = state.drawingQuery && state.drawingQuery();
    if (d::IsUnderWindowDelay(elapsed) || drawing) {
      if (caption && reports) {
        va_list args;
        va_start(args, caption);
        state.earlyCaption = FormatLimitedV(kMessageBufferSize, caption, args);
        va_end(args);
      }
      // A paint is never re-entered from the work it does.
      if (!drawing) {
        d::AnswerBeforeWindow(state, elapsed);
        // The events handled may have closed the outermost level.
        if (state.level <= 0) return false;
      }
      // The program's stop (the main window closed meanwhile) holds before the window.
      if (state.cancelRequested && state.shields == 0) return d::StopForCancel(state, true);
      return true;
    }
    state.window = platform::Services().progress->CreateWindow();
    if (!state.window) return true;
    if (!(caption && reports) && !state.earlyCaption.empty()) state.window->SetCaption(state.earlyCaption);
    state.earlyCaption.clear();
  }

  // The caption, given with a fraction, is shown before the window is pumped: a window
  // just opened never shows without it.
  if (reports && caption) {
    va_list args;
    va_start(args, caption);
    std::string text = FormatLimitedV(kMessageBufferSize, caption, args);
    va_end(args);
    state.window->SetCaption(text);
  }
  d::PumpWindow(state);
  if (!state.window) return state.level > 0;
  if (state.shields == 0 && (state.window->CancelRequested() || state.cancelRequested)) {
    return d::StopForCancel(state, !state.window->CancelRequested());
  }

  // The time taken and the time remaining move on at every call, also through long
  // work that reports no fraction; the bar only with a fraction. The pump may have
  // waited through a pause.
  elapsed = d::Now() - state.startTime;
  if (reports) state.lastFractionTime = elapsed;
  state.window->SetTimeTaken(std::string("Time Taken: ") + FormatDuration(elapsed));
  const double f = state.lastFraction;
  if (!state.showTimeRemaining) {
    state.window->SetTimeRemaining("");
  } else if (f > d::kSmallestEstimatedFraction) {
    state.window->SetTimeRemaining(std::string("Time Remaining: ") +
                                   FormatDuration(d::EstimateRemaining(elapsed, f, state.lastFractionTime)));
  }
  if (!reports) return true;

  // Truncated to a whole step, but never an empty bar once work has begun.
  double scaled = f * platform::kProgressBarMax;
  int position = 1;
  if (scaled >= platform::kProgressBarMax) {
    position = platform::kProgressBarMax;
  } else if (scaled >= 1.0) {
    position = static_cast<int>(scaled);
  }
  state.window->SetBar(position);
  return true;
}

void EndProgress() {
  auto& state = detail_Progress::State();
  state.closing.reset();
  detail_Progress::EndLevel(state, false);
}

bool IsProgressTickDue() {
  namespace d = detail_Progress;
  auto& state = d::State();
  if (d::IsCancelKept(state) || state.level <= 0) return false;
  if (d::IsEndedByInternalError(state)) return true;
  const double now = platform::NowSeconds();
  // A clock set back counts as time gone by.
  return !state.ticked || now < state.lastTick || now - state.lastTick >= kProgressTickSeconds;
}

bool ProgressTick(double fraction, const char* caption) {
  namespace d = detail_Progress;
  auto& state = d::State();
  if (d::IsCancelKept(state)) return false;
  if (!IsProgressTickDue()) return true;
  state.ticked = true;
  state.lastTick = platform::NowSeconds();
  const bool goOn = caption ? UpdateProgress(fraction, "%s", caption) : UpdateProgress(fraction);
  return goOn || state.cancelledLevel == 0;
}

bool IsProgressActive() { return detail_Progress::State().level > 0; }

void SetShowTimeRemaining(bool show) { detail_Progress::State().showTimeRemaining = show; }

int GetProgressLevel() {
  return detail_Progress::State().level;
}

void EndProgressLevelsAbove(int level) {
  detail_Progress::State().closing.reset();
  while (detail_Progress::State().level > std::max(level, 0)) EndProgress();
}

ProgressRange PushProgressRange(double a, double b) {
  auto& range = detail_Progress::State().range;
  const ProgressRange previous = range;
  const double width = previous.high - previous.low;
  range.low = previous.low + width * a;
  range.high = previous.low + width * b;
  return previous;
}

void PopProgressRange(const ProgressRange& saved) { detail_Progress::State().range = saved; }

TimeSpan ProgressElapsedTime() { return detail_Progress::Now() - detail_Progress::State().startTime; }

const char* ElapsedTimeText() {
  auto& state = detail_Progress::State();
  std::snprintf(state.elapsedText, sizeof state.elapsedText, "%s", FormatDuration(ProgressElapsedTime()));
  return state.elapsedText;
}

ProgressScope::ProgressScope(const TimeSpan& alreadyElapsed)
    : mLevel(detail_Progress::State().level + 1), mFailures(std::uncaught_exceptions()) {
  // The level is noted before opening: a cancel during the opening report has
  // closed it already.
  ++detail_Progress::State().liveScopes;
  BeginProgress(alreadyElapsed);
}

ProgressScope::~ProgressScope() {
  auto& state = detail_Progress::State();
  --state.liveScopes;
  if (state.liveScopes <= 0 && state.level <= 0) state.endedByInternalError = false;
  if (state.level >= mLevel) {
    detail_Progress::EndLevel(state, std::uncaught_exceptions() > mFailures);
  } else if (state.cancelledLevel >= mLevel) {
    // The cancelled work has come back out of its scope.
    state.cancelledLevel = 0;
  }
}

ProgressShield::ProgressShield() : mCancelledLevel(detail_Progress::State().cancelledLevel) {
  auto& state = detail_Progress::State();
  ++state.shields;
  state.cancelledLevel = 0;
}

ProgressShield::~ProgressShield() {
  auto& state = detail_Progress::State();
  --state.shields;
  // The work cancelled before the shield is still inside its scope, which encloses the
  // shield: its ticks say stop again. Its level is closed by then (the cancel closed it),
  // and the shielded work may have begun and ended work of its own, which forgets a
  // cancel as it begins.
  state.cancelledLevel = mCancelledLevel;
}

bool IsDrawingContextHeld() {
  const DrawingContextQuery query = detail_Progress::State().drawingQuery;
  return query && query();
}

void RequestProgressCancel() {
  auto& state = detail_Progress::State();
  if (state.level > 0) state.cancelRequested = true;
}

InternalErrorTelling EndWorkForInternalError() {
  auto& state = detail_Progress::State();
  if (state.level <= 0 && state.liveScopes <= 0) return InternalErrorTelling::kNow;
  // Work that must run to its end is not stopped, and tells each error it meets.
  if (state.shields > 0) return InternalErrorTelling::kAfterWork;
  if (state.endedByInternalError) return InternalErrorTelling::kNotAgain;
  state.endedByInternalError = true;
  state.lastEndedByInternalError = true;
  ++state.cancelCount;
  return InternalErrorTelling::kAfterWork;
}

bool WasProgressCancelRequested() { return detail_Progress::State().lastCancelRequested; }

bool WasProgressEndedByInternalError() { return detail_Progress::State().lastEndedByInternalError; }

int GetProgressCancelCount() {
  return detail_Progress::State().cancelCount;
}

int GetEndedWorkCount() {
  return detail_Progress::State().endedWorkCount;
}

DrawingContextQuery SetDrawingContextQuery(DrawingContextQuery query) {
  auto& state = detail_Progress::State();
  const DrawingContextQuery previous = state.drawingQuery;
  state.drawingQuery = query;
  return previous;
}

}  // namespace corvia
