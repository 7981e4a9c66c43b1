#pragma once
// A signed duration held as whole days and milliseconds.

#include <cstdint>

namespace corvia {

class TimeSpan {
 public:
  static constexpr int64_t kMillisecondsPerDay = 86400000;
  // Largest magnitude of days a division may produce (about 2.7 billion years);
  // estimates beyond it are clamped.
  static constexpr int64_t kMaxDays = 1000000000000LL;

  TimeSpan() = default;
  explicit TimeSpan(int milliseconds) { Set(0, milliseconds); }
  TimeSpan(int days, int milliseconds) { Set(days, milliseconds); }
  TimeSpan(int64_t days, int64_t milliseconds) { Set(days, milliseconds); }

  // Store and normalise.
  void Set(int days, int milliseconds) { Set(static_cast<int64_t>(days), static_cast<int64_t>(milliseconds)); }
  void Set(int64_t days, int64_t milliseconds);

  int64_t GetDays() const { return mDays; }
  int64_t GetMilliseconds() const { return mMilliseconds; }

  // Restores the invariant: |milliseconds| < one day and the two parts never have
  // opposite signs.
  void Normalize();

  TimeSpan operator-(const TimeSpan& other) const;
  TimeSpan& operator+=(const TimeSpan& other);
  // The span divided by x. A quotient beyond kMaxDays days (a tiny or zero x) is
  // clamped to kMaxDays with its sign; a zero span, or x not a number, gives zero.
  TimeSpan operator/(double x) const;

  bool operator==(const TimeSpan& other) const = default;

 private:
  int64_t mDays = 0;
  int64_t mMilliseconds = 0;
};

}  // namespace corvia
