#pragma once
// Text for durations and dates, and the clock that animation, tours, transitions
// and timed undo read. The clock counts seconds since it was last reset, on the
// platform's one monotonic clock; frame-by-frame export may override it with the
// frame's own time.

#include <cstddef>
#include <ctime>

#include "core/TimeSpan.h"

namespace corvia {

// Sizes of the caller's buffers, terminating zero included.
constexpr size_t kDateBufferSize = 80;
constexpr size_t kTimeAndDateBufferSize = 160;

// The short text of a duration: at most two adjacent units, the larger first
// ("1 day, 1 hour", "1 minute, 1.00 seconds", "12 months", "2 millennia"),
// with "-" in front of a negative span. The text lives in a static buffer that the
// next call overwrites.
const char* FormatDuration(const TimeSpan& span);

// "st", "nd", "rd" or "th" for the ordinal of n (11th to 19th take "th").
const char* GetOrdinalSuffix(int n);

// Today's local date into a buffer of at least kDateBufferSize bytes: long form
// "7 December 2025" (no leading zero on the day), short form "07/12/25".
void FormatDate(char* buffer, bool longForm);
// The same for a given moment.
void FormatDateAt(char* buffer, bool longForm, std::time_t when);

// The local time in the locale's time format, ", ", then the long date, into a
// buffer of at least kTimeAndDateBufferSize bytes.
void FormatTimeAndDate(char* buffer);
void FormatTimeAndDateAt(char* buffer, std::time_t when);

// A value of 0 or more makes GetTimeSeconds return it (while frames of an
// animation are exported); a negative value switches the override off. Returns
// the override that was set before.
double SetTimeOverride(double seconds);

// Starts counting GetTimeSeconds from now. The clock also starts by itself on its
// first reading.
void ResetTimer();

// Seconds since the last reset, or the override when one is set and useOverride.
double GetTimeSeconds(bool useOverride = true);

// Marks entry and exit of a named operation for debug tracing; produces nothing.
class TraceScope {
public:
  explicit TraceScope(const char* name) : mName(name) {}
  ~TraceScope() = default;
  TraceScope(const TraceScope&) = delete;
  TraceScope& operator=(const TraceScope&) = delete;

  const char* Name() const { return mName; }

private:
  const char* mName;
};

// The same, with a flag that is set while the scope is open.
class TraceFlagScope {
public:
  TraceFlagScope() : mActive(true) {}
  ~TraceFlagScope() { mActive = false; }
  TraceFlagScope(const TraceFlagScope&) = delete;
  TraceFlagScope& operator=(const TraceFlagScope&) = delete;

  bool IsActive() const { return mActive; }

private:
  bool mActive;
};

}  // namespace corvia
