#include "model/TransitionSettings.h"

namespace corvia {

namespace detail_TransitionSettings {

TransitionSettings gRecords[kNumTransitionOccasions];
int gForcedOccasion = -1;
int gForcedNesting = 0;

// The default transition: the old model shrinks away turning while the new one
// grows in turning the same way.
constexpr double kDefaultDuration = 1.0;
constexpr double kDefaultSlideSpin = 0.5;
constexpr double kDefaultOrbitSpeed = 0.5;
constexpr double kDefaultSpin = 1.0;

TransitionSettings MakeDefault() {
  TransitionSettings s;
  s.mType = kTransitionShrinkAndGrow;
  s.mDuration = kDefaultDuration;
  s.mParams[kParamIncomingScale] = 0.0;
  s.mParams[kParamSlideAngle] = 0.0;
  s.mParams[kParamSlideSpin] = kDefaultSlideSpin;
  s.mParams[kParamOutgoingScale] = 0.0;
  s.mParams[kParamOrbitAngle] = 0.0;
  s.mParams[kParamOrbitSpeed] = kDefaultOrbitSpeed;
  s.mParams[kParamShrinkSpin] = kDefaultSpin;
  s.mParams[kParamExplodeSpin] = kDefaultSpin;
  return s;
}

bool gDefaultsSet = false;

void EnsureDefaults() {
  if (!gDefaultsSet) SetTransitionDefaults();
}

}  // namespace detail_TransitionSettings

double TransitionSettings::GetDuration() const {
  if (mDuration != kTransitionUnset) return mDuration;
  detail_TransitionSettings::EnsureDefaults();
  return detail_TransitionSettings::gRecords[kOccasionDefault].mDuration;
}

void SetTransitionDefaults() {
  using namespace detail_TransitionSettings;
  gDefaultsSet = true;
  gRecords[kOccasionDefault] = MakeDefault();
  // Every other occasion plays the default until the user sets it otherwise.
  for (int i = 1; i < kNumTransitionOccasions; ++i) {
    gRecords[i] = TransitionSettings();
    gRecords[i].mType = kTransitionDefault;
  }
}

void CopyTransitionSettings(TransitionSettings& out, const TransitionSettings& in) {
  using namespace detail_TransitionSettings;
  EnsureDefaults();
  const TransitionSettings& fallback = gRecords[kOccasionDefault];
  out = in;
  if (out.mType == kTransitionDefault || out.mType < 0) out.mType = fallback.mType;
  for (int i = 0; i < kTransitionNumParams; ++i) {
    if (out.Param(i) == kTransitionUnset) out.Param(i) = fallback.Param(i);
  }
}

void GetTransitionSettings(TransitionSettings& out, int occasion) {
  using namespace detail_TransitionSettings;
  EnsureDefaults();
  if (gForcedOccasion >= 0) occasion = gForcedOccasion;
  if (occasion < 0 || occasion >= kNumTransitionOccasions) occasion = kOccasionDefault;
  CopyTransitionSettings(out, gRecords[occasion]);
}

TransitionSettings* GetTransitionRecord(int occasion) {
  detail_TransitionSettings::EnsureDefaults();
  if (occasion < 0 || occasion >= kNumTransitionOccasions) return nullptr;
  return &detail_TransitionSettings::gRecords[occasion];
}

ForcedTransitionOccasion::ForcedTransitionOccasion(int occasion) {
  using namespace detail_TransitionSettings;
  if (gForcedNesting++ == 0) gForcedOccasion = occasion;
}

ForcedTransitionOccasion::~ForcedTransitionOccasion() {
  using namespace detail_TransitionSettings;
  if (--gForcedNesting == 0) gForcedOccasion = -1;
}

int GetForcedTransitionOccasion() { return detail_TransitionSettings::gForcedOccasion; }

}  // namespace corvia
