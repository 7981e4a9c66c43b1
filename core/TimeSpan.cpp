// Signed durations in days and milliseconds.

#include "core/TimeSpan.h"

#include <cmath>

namespace corvia {

namespace detail_TimeSpan {

// Half away from zero, as a double holding a whole number.
inline double RoundHalfAway(double x) {
  return x < 0.0 ? -std::floor(-x + 0.5) : std::floor(x + 0.5);
}

}  // namespace detail_TimeSpan

void TimeSpan::Set(int64_t days, int64_t milliseconds) {
  mDays = days;
  mMilliseconds = milliseconds;
  Normalize();
}

void TimeSpan::Normalize() {
  if (mMilliseconds >= kMillisecondsPerDay || mMilliseconds <= -kMillisecondsPerDay) {
    // C++ division truncates, so quotient and remainder both carry the sign of the
    // milliseconds, which is what moving whole days across wants.
    mDays += mMilliseconds / kMillisecondsPerDay;
    mMilliseconds %= kMillisecondsPerDay;
  }
  if (mDays < 0 && mMilliseconds > 0) {
    mDays += 1;
    mMilliseconds -= kMillisecondsPerDay;
  } else if (mDays > 0 && mMilliseconds < 0) {
    mDays -= 1;
    mMilliseconds += kMillisecondsPerDay;
  }
}

TimeSpan TimeSpan::operator-(const TimeSpan& other) const {
  return TimeSpan(mDays - other.mDays, mMilliseconds - other.mMilliseconds);
}

TimeSpan& TimeSpan::operator+=(const TimeSpan& other) {
  mDays += other.mDays;
  mMilliseconds += other.mMilliseconds;
  Normalize();
  return *this;
}

TimeSpan TimeSpan::operator/(double x) const {
  if (std::isnan(x) || (mDays == 0 && mMilliseconds == 0)) return TimeSpan();
  if (x == 0.0) {
    // An endless span, as long as a span can be, with the sign of the quotient.
    const bool negative = (mDays < 0 || mMilliseconds < 0) != std::signbit(x);
    return TimeSpan(negative ? -kMaxDays : kMaxDays, int64_t{0});
  }
  const double perDay = static_cast<double>(kMillisecondsPerDay);
  const double dd = static_cast<double>(mDays) / x;
  const double dm = static_cast<double>(mMilliseconds) / x;

  // The whole days of each part, and the fraction of a day left over in
  // milliseconds. The parts are kept in 64 bits: an estimate such as the remaining
  // time of an operation that has barely started divides by almost nothing.
  const double maxDays = static_cast<double>(kMaxDays);
  const double d1 = std::floor(dd);
  const double d2 = std::floor(dm / perDay);
  const double days = d1 + d2;
  if (!(days < maxDays)) return TimeSpan(kMaxDays, int64_t{0});
  if (!(days > -maxDays)) return TimeSpan(-kMaxDays, int64_t{0});

  const double m1 = detail_TimeSpan::RoundHalfAway((dd - d1) * perDay);
  const double m2 = detail_TimeSpan::RoundHalfAway(dm - d2 * perDay);
  return TimeSpan(static_cast<int64_t>(days), static_cast<int64_t>(m1) + static_cast<int64_t>(m2));
}

}  // namespace corvia
