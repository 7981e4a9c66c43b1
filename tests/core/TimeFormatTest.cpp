#include "core/TimeFormat.h"

#include <cstdint>
#include <regex>
#include <string>

#include <gtest/gtest.h>

#include "tests/support/TestSupport.h"

namespace corvia {
namespace {

constexpr int64_t kSecond = 1000;
constexpr int64_t kDay = 86400000;

std::string Duration(int64_t days, int64_t ms) { return FormatDuration(TimeSpan(days, ms)); }

TEST(TimeFormatTest, DurationSecondsMinutesHours) {
  EXPECT_EQ(Duration(0, 0), "0.00 seconds");
  EXPECT_EQ(Duration(0, 1500), "1.50 seconds");
  EXPECT_EQ(Duration(0, 61 * kSecond), "1 minute, 1.00 seconds");
  EXPECT_EQ(Duration(0, 3600 * kSecond), "1 hour");
  EXPECT_EQ(Duration(0, 90000 * kSecond), "1 day, 1 hour");
  EXPECT_EQ(Duration(0, -61 * kSecond), "-1 minute, 1.00 seconds");
  EXPECT_EQ(Duration(0, 2 * 3600 * kSecond + 5 * 60 * kSecond + 7 * kSecond), "2 hours, 5 minutes");
  EXPECT_EQ(Duration(-1, -3600 * kSecond), "-1 day, 1 hour");
}

TEST(TimeFormatTest, DurationRoundsBeforeSplittingUnits) {
  // Hundredths are rounded first, so a unit never shows 60 seconds.
  EXPECT_EQ(Duration(0, 59999), "1 minute, 0.00 seconds");
  EXPECT_EQ(Duration(0, 119999), "2 minutes, 0.00 seconds");
  EXPECT_EQ(Duration(0, 3600 * kSecond - 1), "1 hour");
  EXPECT_EQ(Duration(0, kDay - 1), "1 day");
  EXPECT_EQ(Duration(0, 1234), "1.23 seconds");
  EXPECT_EQ(Duration(0, 1235), "1.24 seconds");
}

TEST(TimeFormatTest, DurationDaysMonthsYears) {
  EXPECT_EQ(Duration(30, 0), "30 days");
  EXPECT_EQ(Duration(365, 0), "12 months");  // 365 x 0.0027378509 is below 1
  EXPECT_EQ(Duration(400, 0), "1 year, 1 month");
  // A year with no months falls back to the days instead of losing them.
  EXPECT_EQ(Duration(366, 0), "1 year, 1 day");
  EXPECT_EQ(Duration(365 + 20, 0), "1 year, 20 days");
  EXPECT_EQ(Duration(1461, 5 * 3600 * kSecond), "4 years");
  EXPECT_EQ(Duration(45, 3 * 3600 * kSecond), "1 month, 15 days");
}

TEST(TimeFormatTest, DurationMillennia) {
  EXPECT_EQ(Duration(730500, 0), "2 millennia");  // 2000 years
  EXPECT_EQ(Duration(730135, 0), "1999 years, 1 day");
  EXPECT_EQ(Duration(730499, 0), "1999 years, 12 months");  // the last day below two millennia
  EXPECT_EQ(Duration(-730500 * 5, 0), "-10 millennia");
  // The largest spans print without overflow.
  EXPECT_EQ(Duration(TimeSpan::kMaxDays, 0).find("millennia") != std::string::npos, true);
  EXPECT_EQ(Duration(INT64_MIN, -1)[0], '-');
}

TEST(TimeFormatTest, DurationBufferIsReused) {
  const char* first = FormatDuration(TimeSpan(0, 1000));
  const char* second = FormatDuration(TimeSpan(0, 2000));
  EXPECT_EQ(first, second);
  EXPECT_STREQ(second, "2.00 seconds");
}

TEST(TimeFormatTest, OrdinalSuffix) {
  const struct {
    int n;
    const char* suffix;
  } cases[] = {{1, "st"},   {2, "nd"},   {3, "rd"},   {4, "th"},   {11, "th"}, {12, "th"}, {13, "th"},
               {21, "st"},  {111, "th"}, {112, "th"}, {0, "th"},   {22, "nd"}, {103, "rd"}};
  for (const auto& c : cases) EXPECT_STREQ(GetOrdinalSuffix(c.n), c.suffix) << c.n;
}

TEST(TimeFormatTest, DatesAreFormattedWithoutLeadingZeroInLongForm) {
  std::tm local{};
  local.tm_year = 2025 - 1900;
  local.tm_mon = 11;
  local.tm_mday = 7;
  local.tm_hour = 9;
  local.tm_min = 5;
  local.tm_sec = 3;
  local.tm_isdst = -1;
  const std::time_t when = std::mktime(&local);
  char buffer[kTimeAndDateBufferSize];
  FormatDateAt(buffer, true, when);
  EXPECT_STREQ(buffer, "7 December 2025");
  FormatDateAt(buffer, false, when);
  EXPECT_STREQ(buffer, "07/12/25");
  FormatTimeAndDateAt(buffer, when);
  EXPECT_STREQ(buffer, "09:05:03, 7 December 2025");  // the C locale's time format

  FormatTimeAndDate(buffer);
  EXPECT_TRUE(std::regex_match(std::string(buffer), std::regex("..:..:.., [0-9]{1,2} [A-Za-z]+ [0-9]{4}")))
      << buffer;
}

TEST(TimeFormatTest, ClockFollowsThePlatformClockAndOverride) {
  auto& clock = testing::Platform().clock;
  clock.Set(100.0);
  ResetTimer();
  clock.Advance(2.5);
  EXPECT_DOUBLE_EQ(GetTimeSeconds(), 2.5);

  EXPECT_DOUBLE_EQ(SetTimeOverride(7.0), -1.0);
  EXPECT_DOUBLE_EQ(GetTimeSeconds(), 7.0);
  EXPECT_DOUBLE_EQ(GetTimeSeconds(false), 2.5);
  EXPECT_DOUBLE_EQ(SetTimeOverride(0.0), 7.0);  // 0 is a valid frame time
  EXPECT_DOUBLE_EQ(GetTimeSeconds(), 0.0);
  EXPECT_DOUBLE_EQ(SetTimeOverride(-1.0), 0.0);
  EXPECT_DOUBLE_EQ(GetTimeSeconds(), 2.5);
}

}  // namespace
}  // namespace corvia
