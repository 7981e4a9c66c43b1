#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <numbers>
#include <string>

#include "core/Units.h"
#include "tests/support/TestSupport.h"

namespace {

using corvia::UnitSettings;

class UnitsTest : public ::testing::Test {
 protected:
  void SetUp() override { saved = corvia::GetUnitSettings(); }
  void TearDown() override { corvia::GetUnitSettings() = saved; }
  std::string Format(int angleUnit, double radians, const char* unitText) {
    UnitSettings settings;
    settings.mAngleUnit = angleUnit;
    char buffer[corvia::kAngleTextSize];
    return settings.FormatAngle(buffer, radians, unitText);
  }
  UnitSettings saved;
};

TEST_F(UnitsTest, DistancesRoundTripInEveryUnit) {
  for (int unit = 0; unit < corvia::kNumDistanceUnits; ++unit) {
    UnitSettings settings;
    const double twipsPerUnit = UnitSettings::GetTwipsPerUnit(unit);
    settings.mTwipsPerUnit = twipsPerUnit;
    for (double x : {0.0, 0.25, 1.0, 3.7, -12.5, 1000.0}) {
      EXPECT_NEAR(settings.TwipsToUnits(settings.UnitsToTwips(x)), x, 1e-12 * (1 + std::fabs(x)));
      EXPECT_EQ(settings.UnitsToTwipsRounded(x), std::lround(x * twipsPerUnit));
    }
    EXPECT_DOUBLE_EQ(settings.IntTwipsToUnits(1440), 1440 / twipsPerUnit);
  }
  EXPECT_DOUBLE_EQ(UnitSettings::GetTwipsPerUnit(corvia::kUnitInch), 1440.0);
  EXPECT_NEAR(UnitSettings::GetTwipsPerUnit(corvia::kUnitMillimetre) * 10,
              UnitSettings::GetTwipsPerUnit(corvia::kUnitCentimetre), 1e-9);
  EXPECT_STREQ(UnitSettings::GetDistanceUnitName(2), "metres");
  EXPECT_STREQ(UnitSettings::GetDistanceUnitName(4), "feet");
  EXPECT_STREQ(UnitSettings::GetDistanceUnitName(5), "??");
  UnitSettings settings;
  EXPECT_DOUBLE_EQ(settings.ModelToTwips(1.0), 8.0 * corvia::kTwipsPerCentimetre);
  EXPECT_EQ(settings.ModelToTwipsRounded(-1.0), -4535);  // -4535.43 half away from zero
}

TEST_F(UnitsTest, ChangingTheUnitKeepsThePrintedSize) {
  UnitSettings& settings = corvia::GetUnitSettings();
  settings = UnitSettings();
  const double printed = settings.ModelToTwips(1.0);
  EXPECT_EQ(settings.SetDistanceUnits(corvia::kUnitInch), corvia::kUnitCentimetre);
  EXPECT_NEAR(settings.mLengthScale, 8 * 566.9291338582677 / 1440, 1e-12);
  EXPECT_EQ(settings.mTwipsPerUnit, 1440.0);
  for (int unit : {0, 2, 4, 1, 3}) {
    settings.SetDistanceUnits(unit);
    EXPECT_NEAR(settings.ModelToTwips(1.0), printed, 1e-9);
  }
  EXPECT_EQ(settings.SetDistanceUnits(7), corvia::kUnitInch);  // refused
  EXPECT_EQ(settings.mDistanceUnit, corvia::kUnitInch);
  EXPECT_NE(corvia::testing::Platform().views.mInfoBits & corvia::kInfoReasonUnits, 0u);
}

TEST_F(UnitsTest, AnInvalidScaleRecordsNoUndoButStillRefreshes) {
  UnitSettings& settings = corvia::GetUnitSettings();
  settings = UnitSettings();
  auto& platform = corvia::testing::Platform();
  const size_t undoSteps = platform.undo.mCalls.size();
  settings.mFlags = corvia::kUnitFlagRedrawScaledViewsOnly;
  platform.views.mInvalidatedKinds = 0;
  settings.SetLengthScale(-1.0, true);
  EXPECT_EQ(settings.mLengthScale, 8.0);
  EXPECT_EQ(platform.undo.mCalls.size(), undoSteps);
  EXPECT_NE(platform.views.mInvalidatedKinds & corvia::kViewKindScaled, 0u);
  settings.SetLengthScale(2.0, true);
  EXPECT_EQ(settings.mLengthScale, 2.0);
  ASSERT_EQ(platform.undo.mCalls.size(), undoSteps + 1);
  EXPECT_EQ(platform.undo.mCalls.back().type, corvia::kUndoLengthScale);
}

TEST_F(UnitsTest, AnglesInDegrees) {
  EXPECT_EQ(Format(corvia::kAngleDegrees, std::numbers::pi / 5, "deg"), "36 deg");
  EXPECT_EQ(Format(corvia::kAngleDegrees, std::numbers::pi / 2, "\xC2\xB0"), "90\xC2\xB0");
  EXPECT_EQ(Format(corvia::kAngleRadians, 1.0, "deg"), "1 rad");
}

TEST_F(UnitsTest, DegreesMinutesSecondsCarryRoundedSeconds) {
  EXPECT_EQ(Format(corvia::kAngleDegreesMinutesSeconds, std::numbers::pi / 5, "d"), "36d0'0\"");
  // pi/3 is 59.99999999999999 degrees: never 59d59'60".
  EXPECT_EQ(Format(corvia::kAngleDegreesMinutesSeconds, std::numbers::pi / 3, "d"), "60d0'0\"");
  EXPECT_EQ(Format(corvia::kAngleDegreesMinutesSeconds, std::numbers::pi / 6, "d"), "30d0'0\"");
  const double radiansPerDegree = std::numbers::pi / 180;
  EXPECT_EQ(Format(corvia::kAngleDegreesMinutesSeconds, 10.5 * radiansPerDegree, "d"), "10d30'0\"");
  EXPECT_EQ(Format(corvia::kAngleDegreesMinutesSeconds, -10.5 * radiansPerDegree, "d"), "-10d30'0\"");
  EXPECT_EQ(Format(corvia::kAngleDegreesMinutesSeconds, (1.0 - 0.2 / 3600) * radiansPerDegree, "d"), "1d0'0\"");
}

TEST_F(UnitsTest, AnglesRoundTripInEveryUnit) {
  const double radiansPerDegree = std::numbers::pi / 180;
  for (double degrees : {0.0, 12.345, 36.0, 59.999, 109.4712206, 179.5, -45.25}) {
    const double radians = degrees * radiansPerDegree;
    double back = 0.0;
    ASSERT_EQ(std::sscanf(Format(corvia::kAngleDegrees, radians, "").c_str(), "%lf", &back), 1);
    EXPECT_NEAR(back, degrees, 5e-6 * std::fabs(degrees));  // six significant digits
    ASSERT_EQ(std::sscanf(Format(corvia::kAngleRadians, radians, "").c_str(), "%lf", &back), 1);
    EXPECT_NEAR(back, radians, 5e-6 * std::fabs(radians));
    int d = 0;
    int m = 0;
    int s = 0;
    const std::string dms = Format(corvia::kAngleDegreesMinutesSeconds, radians, "d");
    ASSERT_EQ(std::sscanf(dms.c_str() + (degrees < 0 ? 1 : 0), "%dd%d'%d", &d, &m, &s), 3) << dms;
    EXPECT_LT(m, 60);
    EXPECT_LT(s, 60);
    const double magnitude = d + m / 60.0 + s / 3600.0;
    EXPECT_NEAR(degrees < 0 ? -magnitude : magnitude, degrees, 0.5 / 3600 + 1e-12) << dms;
  }
}

TEST_F(UnitsTest, MarginsNetSpacingAndPrintShading) {
  UnitSettings settings;
  settings.SetMargins(2.5, 0.0, 1.0, -1.0);
  EXPECT_EQ(settings.mMarginLeft, 1417);
  EXPECT_EQ(settings.mMarginTop, 567);
  EXPECT_EQ(settings.mMarginBottom, -567);
  double left = 0.0;
  settings.GetMargins(&left, nullptr, nullptr, nullptr);
  EXPECT_NEAR(left, 2.5, 1e-3);
  EXPECT_NEAR(settings.GetNetSpacing(), 1.0, 1e-3);
  settings.SetNetSpacing(2.0);
  EXPECT_EQ(settings.mNetSpacing, 1134);

  settings.mSingleColorPages = corvia::kSingleColorPagesYes;
  EXPECT_EQ(settings.GetPrintShading(true), corvia::kPrintShadingNone);
  EXPECT_EQ(settings.GetPrintShading(false), corvia::kPrintShadingColor);
  settings.mSingleColorPages = 0;
  EXPECT_FALSE(settings.UseSingleColorPages());
  EXPECT_EQ(settings.GetPrintShading(true), corvia::kPrintShadingColor);
  settings.mPrintShading = corvia::kPrintShadingGreyscale;
  EXPECT_EQ(settings.GetPrintShading(true), corvia::kPrintShadingGreyscale);
  // Auto without a document: nothing can mix colours.
  settings.mSingleColorPages = corvia::kSingleColorPagesAuto;
  EXPECT_TRUE(settings.UseSingleColorPages());
}

int gScaleChanges = 0;
bool gAllowsSingleColour = true;
void CountScaleChange() { ++gScaleChanges; }
bool AllowsSingleColour() { return gAllowsSingleColour; }

TEST_F(UnitsTest, TheCurrentModelIsAskedOnlyThroughInstalledHooks) {
  const corvia::UnitsModelHooks installed = corvia::SetUnitsModelHooks({});
  UnitSettings& settings = corvia::GetUnitSettings();
  settings = UnitSettings();
  settings.mSingleColorPages = corvia::kSingleColorPagesAuto;
  // None installed: nothing to refresh, and Auto prints one colour per page.
  settings.SetLengthScale(2.0, false);
  EXPECT_TRUE(settings.UseSingleColorPages());
  corvia::SetUnitsModelHooks({&CountScaleChange, &AllowsSingleColour});
  gScaleChanges = 0;
  gAllowsSingleColour = false;
  settings.SetLengthScale(3.0, false);
  settings.SetLengthScale(-1.0, false);  // refused, but the nets follow all the same
  EXPECT_EQ(gScaleChanges, 2);
  EXPECT_FALSE(settings.UseSingleColorPages());
  // Yes and No ask nothing.
  settings.mSingleColorPages = corvia::kSingleColorPagesYes;
  EXPECT_TRUE(settings.UseSingleColorPages());
  settings.mSingleColorPages = 0;
  gAllowsSingleColour = true;
  EXPECT_FALSE(settings.UseSingleColorPages());
  corvia::SetUnitsModelHooks(installed);
}

}  // namespace
