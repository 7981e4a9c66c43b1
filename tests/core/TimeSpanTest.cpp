#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "core/TimeSpan.h"

namespace {

constexpr int64_t kDay = corvia::TimeSpan::kMillisecondsPerDay;

void ExpectSpan(const corvia::TimeSpan& t, int64_t days, int64_t ms) {
  EXPECT_EQ(t.GetDays(), days);
  EXPECT_EQ(t.GetMilliseconds(), ms);
}

bool Normalised(const corvia::TimeSpan& t) {
  const int64_t d = t.GetDays();
  const int64_t m = t.GetMilliseconds();
  return m < kDay && m > -kDay && !(d < 0 && m > 0) && !(d > 0 && m < 0);
}

}  // namespace

TEST(TimeSpanNormalize, WholeDaysMoveOutOfTheMilliseconds) {
  ExpectSpan(corvia::TimeSpan(), 0, 0);
  ExpectSpan(corvia::TimeSpan(90000000), 1, 3600000);
  ExpectSpan(corvia::TimeSpan(-90000000), -1, -3600000);
  ExpectSpan(corvia::TimeSpan(0, 86400000), 1, 0);
  ExpectSpan(corvia::TimeSpan(int64_t{3}, int64_t{10} * kDay + 5), 13, 5);
}

TEST(TimeSpanNormalize, MixedSignsMeet) {
  ExpectSpan(corvia::TimeSpan(1, -1), 0, 86399999);
  ExpectSpan(corvia::TimeSpan(-1, 1), 0, -86399999);
  ExpectSpan(corvia::TimeSpan(2, -90000000), 0, 82800000);
  ExpectSpan(corvia::TimeSpan(-3, 200000000), 0, -59200000);
  ExpectSpan(corvia::TimeSpan(-1, -90000000), -2, -3600000);

  // Whatever the parts, the total is kept and the invariant holds.
  const int64_t days[] = {-5, -1, 0, 1, 7};
  const int64_t milliseconds[] = {-3 * kDay - 7, -kDay, -kDay + 1, -1, 0, 1, kDay - 1, kDay, 2 * kDay + 3};
  for (int64_t d : days) {
    for (int64_t m : milliseconds) {
      corvia::TimeSpan t(d, m);
      EXPECT_TRUE(Normalised(t)) << d << " " << m;
      EXPECT_EQ(t.GetDays() * kDay + t.GetMilliseconds(), d * kDay + m) << d << " " << m;
    }
  }
}

TEST(TimeSpanArithmetic, DifferenceAndSum) {
  ExpectSpan(corvia::TimeSpan(1, 0) - corvia::TimeSpan(0, 1), 0, 86399999);
  ExpectSpan(corvia::TimeSpan(0, 1000) - corvia::TimeSpan(1, 0), 0, -86399000);
  ExpectSpan(corvia::TimeSpan(0, 1000) - corvia::TimeSpan(3, 500), -2, -86399500);

  corvia::TimeSpan t(0, 80000000);
  t += corvia::TimeSpan(0, 10000000);
  ExpectSpan(t, 1, 3600000);
  t += corvia::TimeSpan(-2, 0);
  ExpectSpan(t, 0, -82800000);
  t.Set(5, -1);
  ExpectSpan(t, 4, 86399999);
}

TEST(TimeSpanDivide, SplitsDaysIntoMilliseconds) {
  ExpectSpan(corvia::TimeSpan(3, 0) / 2.0, 1, 43200000);
  ExpectSpan(corvia::TimeSpan(-3, 0) / 2.0, -1, -43200000);
  ExpectSpan(corvia::TimeSpan(0, 1000) / 4.0, 0, 250);
  ExpectSpan(corvia::TimeSpan(1, 1) / 3.0, 0, 28800000);
  ExpectSpan(corvia::TimeSpan(0, 86399999) / 0.5, 1, 86399998);
  ExpectSpan(corvia::TimeSpan(2, 0) / -2.0, -1, 0);
}

TEST(TimeSpanDivide, HugeQuotientsAreClampedNotWrapped) {
  // A remaining-time estimate with almost no progress divides by nearly nothing.
  const corvia::TimeSpan elapsed(0, 5000);
  ExpectSpan(elapsed / 1e-30, corvia::TimeSpan::kMaxDays, 0);
  ExpectSpan(elapsed / 0.0, corvia::TimeSpan::kMaxDays, 0);
  ExpectSpan(corvia::TimeSpan(-1, 0) / 1e-30, -corvia::TimeSpan::kMaxDays, 0);
  ExpectSpan(corvia::TimeSpan() / 0.0, 0, 0);
  ExpectSpan(elapsed / std::numeric_limits<double>::quiet_NaN(), 0, 0);
  // Larger than 32-bit days but within the clamp: kept exactly.
  ExpectSpan(corvia::TimeSpan(int64_t{4000000000}, int64_t{0}) / 0.5, 8000000000, 0);
}
