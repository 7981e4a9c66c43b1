#include "core/TimeFormat.h"

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>

#include "platform/Services.h"

namespace corvia {

namespace detail_TimeFormat {

constexpr int64_t kMsPerSecond = 1000;
constexpr int64_t kMsPerMinute = 60 * kMsPerSecond;
constexpr int64_t kMsPerHour = 60 * kMsPerMinute;
// The duration text shows seconds to the hundredth; the span is rounded to that
// before it is split, so 59.999 s reads "1 minute, 0.00 seconds", not "60.00 seconds".
constexpr int64_t kMsShown = 10;
// Years from days: the single-precision value nearest 1 / 365.25.
constexpr double kYearsPerDay = static_cast<double>(0.0027378509f);
constexpr double kDaysPerYear = 365.25;
constexpr int64_t kDaysPerCalendarYear = 365;
constexpr int64_t kMonthsPerYear = 12;
constexpr int64_t kYearsPerMillennium = 1000;
constexpr size_t kDurationBufferSize = 128;

// Appends one unit of the ladder, with ", " before it unless it is the first.
void AppendUnit(std::string& text, bool& first, int64_t count, const char* unit) {
  char part[64];
  std::snprintf(part, sizeof part, "%s%" PRId64 " %s%s", first ? "" : ", ", count, unit, count == 1 ? "" : "s");
  text += part;
  first = false;
}

struct ClockState {
  double reference = 0.0;
  bool started = false;
  double timeOverride = -1.0;
};

ClockState& Clock() {
  static ClockState state;
  return state;
}

bool LocalTime(std::time_t when, std::tm& out) { return localtime_r(&when, &out) != nullptr; }

}  // namespace detail_TimeFormat

const char* FormatDuration(const TimeSpan& span) {
  namespace d = detail_TimeFormat;
  static char buffer[d::kDurationBufferSize];

  int64_t days = span.GetDays();
  int64_t ms = span.GetMilliseconds();
  const bool negative = days < 0 || (days == 0 && ms < 0);
  if (negative) {
    // The most negative day count has no positive twin; one day less is no loss.
    days = days == std::numeric_limits<int64_t>::min() ? std::numeric_limits<int64_t>::max() : -days;
    ms = -ms;
  }
  ms = (ms + d::kMsShown / 2) / d::kMsShown * d::kMsShown;
  if (ms >= TimeSpan::kMillisecondsPerDay) {
    ms -= TimeSpan::kMillisecondsPerDay;
    if (days < std::numeric_limits<int64_t>::max()) ++days;
  }

  const int64_t hundredths = (ms % d::kMsPerMinute) / d::kMsShown;  // seconds with fraction, in 1/100 s
  const int64_t minutes = (ms / d::kMsPerMinute) % 60;
  const int64_t hours = (ms / d::kMsPerHour) % 24;

  const int64_t years = static_cast<int64_t>(static_cast<double>(days) * d::kYearsPerDay);
  const int64_t millennia = years / d::kYearsPerMillennium;
  // Below two millennia the days fit easily in the arithmetic that follows.
  const int64_t yearDays = millennia > 1 ? 0 : static_cast<int64_t>(static_cast<double>(years) * d::kDaysPerYear);
  const int64_t rest = millennia > 1 ? 0 : days - yearDays;
  const int64_t months = rest * d::kMonthsPerYear / d::kDaysPerCalendarYear;
  const int64_t daysLeft = rest - months * d::kDaysPerCalendarYear / d::kMonthsPerYear;

  std::string text = negative ? "-" : "";
  bool first = true;
  if (millennia > 1) {
    char part[64];
    std::snprintf(part, sizeof part, "%" PRId64 " millennia", millennia);
    text += part;
  } else if (years > 0) {
    // A year is followed by its months, or by the days when there are no months
    // (so one year and twenty days does not read as one year).
    d::AppendUnit(text, first, years, "year");
    if (months > 0) {
      d::AppendUnit(text, first, months, "month");
    } else if (daysLeft > 0) {
      d::AppendUnit(text, first, daysLeft, "day");
    }
  } else if (months > 0) {
    d::AppendUnit(text, first, months, "month");
    if (daysLeft > 0) d::AppendUnit(text, first, daysLeft, "day");
  } else if (daysLeft > 0) {
    d::AppendUnit(text, first, daysLeft, "day");
    if (hours > 0) d::AppendUnit(text, first, hours, "hour");
  } else if (hours > 0) {
    d::AppendUnit(text, first, hours, "hour");
    if (minutes > 0) d::AppendUnit(text, first, minutes, "minute");
  } else {
    if (minutes > 0) d::AppendUnit(text, first, minutes, "minute");
    char part[64];
    std::snprintf(part, sizeof part, "%s%" PRId64 ".%02" PRId64 " seconds", first ? "" : ", ", hundredths / 100,
                  hundredths % 100);
    text += part;
  }
  std::snprintf(buffer, sizeof buffer, "%s", text.c_str());
  return buffer;
}

const char* GetOrdinalSuffix(int n) {
  const int64_t magnitude = n < 0 ? -static_cast<int64_t>(n) : n;
  if ((magnitude % 100) / 10 == 1) return "th";
  switch (magnitude % 10) {
    case 1: return "st";
    case 2: return "nd";
    case 3: return "rd";
    default: return "th";
  }
}

void FormatDateAt(char* buffer, bool longForm, std::time_t when) {
  buffer[0] = '\0';
  std::tm local{};
  if (!detail_TimeFormat::LocalTime(when, local)) return;
  if (longForm) {
    // The day without a leading zero, the full month name, the four-digit year.
    char month[64];
    if (std::strftime(month, sizeof month, "%B", &local) == 0) month[0] = '\0';
    std::snprintf(buffer, kDateBufferSize, "%d %s %d", local.tm_mday, month, local.tm_year + 1900);
  } else if (std::strftime(buffer, kDateBufferSize, "%d/%m/%y", &local) == 0) {
    buffer[0] = '\0';
  }
}

void FormatDate(char* buffer, bool longForm) { FormatDateAt(buffer, longForm, std::time(nullptr)); }

void FormatTimeAndDateAt(char* buffer, std::time_t when) {
  buffer[0] = '\0';
  std::tm local{};
  if (!detail_TimeFormat::LocalTime(when, local)) return;
  // A time of day is short in every locale; the two parts then fit the buffer.
  char timeText[kTimeAndDateBufferSize - kDateBufferSize - 2];
  if (std::strftime(timeText, sizeof timeText, "%X", &local) == 0) timeText[0] = '\0';
  char dateText[kDateBufferSize];
  FormatDateAt(dateText, true, when);
  std::snprintf(buffer, kTimeAndDateBufferSize, "%s, %s", timeText, dateText);
}

void FormatTimeAndDate(char* buffer) { FormatTimeAndDateAt(buffer, std::time(nullptr)); }

double SetTimeOverride(double seconds) {
  auto& clock = detail_TimeFormat::Clock();
  const double previous = clock.timeOverride;
  clock.timeOverride = seconds >= 0.0 ? seconds : -1.0;
  return previous;
}

void ResetTimer() {
  auto& clock = detail_TimeFormat::Clock();
  clock.reference = platform::NowSeconds();
  clock.started = true;
}

double GetTimeSeconds(bool useOverride) {
  auto& clock = detail_TimeFormat::Clock();
  if (useOverride && clock.timeOverride >= 0.0) return clock.timeOverride;
  if (!clock.started) ResetTimer();
  return platform::NowSeconds() - clock.reference;
}

}  // namespace corvia
