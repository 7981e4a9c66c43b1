#include "core/Units.h"

#include <climits>
#include <cmath>
#include <cstdio>

#include "platform/Services.h"

namespace corvia {

namespace detail_Units {

constexpr double kTwipsPerUnit[kNumDistanceUnits] = {56.69291338582678, 566.9291338582677, 56692.913385826774,
                                                    1440.0, 17280.0};
constexpr const char* kUnitNames[kNumDistanceUnits] = {"mm", "cm", "metres", "inches", "feet"};
constexpr double kDegreesPerRadian = 57.29577951308232;
constexpr double kCentimetresPerTwip = 0.0017638889;
constexpr long long kSecondsPerDegree = 3600;
constexpr long long kSecondsPerMinute = 60;

// Half away from zero, saturated to the int range (NaN gives 0).
int RoundToTwips(double x) {
  if (std::isnan(x)) return 0;
  if (x >= static_cast<double>(INT_MAX)) return INT_MAX;
  if (x <= static_cast<double>(INT_MIN)) return INT_MIN;
  return static_cast<int>(std::lround(x));
}

UnitsModelHooks gModelHooks;

}  // namespace detail_Units

UnitsModelHooks SetUnitsModelHooks(const UnitsModelHooks& hooks) {
  const UnitsModelHooks previous = detail_Units::gModelHooks;
  detail_Units::gModelHooks = hooks;
  return previous;
}

UnitSettings& GetUnitSettings() {
  static UnitSettings settings;
  return settings;
}

LengthScaleRedrawOptions& GetLengthScaleRedrawOptions() {
  static LengthScaleRedrawOptions options;
  return options;
}

int UnitSettings::UnitsToTwipsRounded(double x) const { return detail_Units::RoundToTwips(UnitsToTwips(x)); }

int UnitSettings::ModelToTwipsRounded(double m) const { return detail_Units::RoundToTwips(ModelToTwips(m)); }

const char* UnitSettings::GetDistanceUnitName(int unit) {
  if (unit < 0 || unit >= kNumDistanceUnits) return "??";
  return detail_Units::kUnitNames[unit];
}

double UnitSettings::GetTwipsPerUnit(int unit) {
  if (unit < 0 || unit >= kNumDistanceUnits) return 0.0;
  return detail_Units::kTwipsPerUnit[unit];
}

int UnitSettings::SetDistanceUnits(int unit) {
  const int previous = mDistanceUnit;
  if (unit < 0 || unit >= kNumDistanceUnits) return previous;
  const double newTwips = detail_Units::kTwipsPerUnit[unit];
  // The model keeps its size on paper, and so do the new models that follow.
  mUserLengthScale *= mTwipsPerUnit / newTwips;
  SetLengthScale(mLengthScale * mTwipsPerUnit / newTwips, false);
  mDistanceUnit = unit;
  mTwipsPerUnit = newTwips;
  platform::Services().views->InvalidateInfo(kInfoReasonUnits);
  return previous;
}

void UnitSettings::SetLengthScale(double scale, bool recordUndo) {
  // A scale of 0 or less is refused before anything is recorded, so that no undo
  // step that changes nothing is left behind.
  if (scale > 0.0) {
    if (recordUndo) platform::Services().undo->AddUndo(kUndoLengthScale, 0);
    mLengthScale = scale;
  }
  // What a pane writes of a length (a net's edge lengths and its tabs' size, a measured
  // distance) is stale now, whichever pane is active: every pane is drawn again, or
  // with the flag only the nets' panes (unless spheres or cylinders are sized by it).
  const LengthScaleRedrawOptions& options = GetLengthScaleRedrawOptions();
  if (options.sphereIntersections || options.scaledCylinders || !(mFlags & kUnitFlagRedrawScaledViewsOnly)) {
    platform::Services().views->RedrawAllViews(false);
  } else {
    platform::Services().views->InvalidateViewsOfKind(kViewKindScaled, 0);
  }
  if (detail_Units::gModelHooks.scaleChanged) detail_Units::gModelHooks.scaleChanged();
}

void UnitSettings::SetUserLengthScale(double scale) {
  if (!(scale > 0.0)) return;
  SetLengthScale(scale, true);
  mUserLengthScale = scale;
}

void UnitSettings::SetAngleUnits(int unit) {
  mAngleUnit = unit;
  platform::Services().views->RedrawAllViews(false);
}

char* UnitSettings::FormatAngle(char* buffer, double radians, const char* unitText) const {
  if (!unitText) unitText = "";
  const double degrees = radians * detail_Units::kDegreesPerRadian;
  if (mAngleUnit == kAngleDegreesMinutesSeconds) {
    // Round the magnitude to whole seconds first and split afterwards, so that 60
    // seconds carry into the minutes (and 60 minutes into the degrees), and put the
    // sign in front once.
    const double magnitude = std::fabs(degrees);
    const long long total = std::llround(magnitude * detail_Units::kSecondsPerDegree);
    const long long whole = total / detail_Units::kSecondsPerDegree;
    const long long minutes = (total / detail_Units::kSecondsPerMinute) % detail_Units::kSecondsPerMinute;
    const long long seconds = total % detail_Units::kSecondsPerMinute;
    const char* sign = (degrees < 0.0 && total != 0) ? "-" : "";
    std::snprintf(buffer, kAngleTextSize, "%s%lld%s%lld'%lld\"", sign, whole, unitText, minutes, seconds);
  } else if (mAngleUnit == kAngleRadians) {
    std::snprintf(buffer, kAngleTextSize, "%g rad", radians);
  } else {
    std::snprintf(buffer, kAngleTextSize, "%g%s%s", degrees, unitText[0] == 'd' ? " " : "", unitText);
  }
  return buffer;
}

void UnitSettings::SetMargins(double left, double right, double top, double bottom) {
  mMarginLeft = detail_Units::RoundToTwips(left * kTwipsPerCentimetre);
  mMarginRight = detail_Units::RoundToTwips(right * kTwipsPerCentimetre);
  mMarginTop = detail_Units::RoundToTwips(top * kTwipsPerCentimetre);
  mMarginBottom = detail_Units::RoundToTwips(bottom * kTwipsPerCentimetre);
}

void UnitSettings::GetMargins(double* left, double* right, double* top, double* bottom) const {
  if (left) *left = mMarginLeft * detail_Units::kCentimetresPerTwip;
  if (right) *right = mMarginRight * detail_Units::kCentimetresPerTwip;
  if (top) *top = mMarginTop * detail_Units::kCentimetresPerTwip;
  if (bottom) *bottom = mMarginBottom * detail_Units::kCentimetresPerTwip;
}

bool UnitSettings::UseSingleColorPages() const {
  if (mSingleColorPages == kSingleColorPagesYes) return true;
  if (mSingleColorPages == kSingleColorPagesAuto) {
    return !detail_Units::gModelHooks.allowsSingleColorPages || detail_Units::gModelHooks.allowsSingleColorPages();
  }
  return false;
}

int UnitSettings::GetPrintShading(bool considerColourMixing) const {
  if (mPrintShading != kPrintShadingAuto) return mPrintShading;
  if (considerColourMixing && UseSingleColorPages()) return kPrintShadingNone;
  return kPrintShadingColor;
}

}  // namespace corvia
