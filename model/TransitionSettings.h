#pragma once
// The settings of a transition between two models (its type, duration and motion),
// and the program's thirteen records of them, one per occasion of a model change
// (start-up, loading a built-in model, a derived model, ...). Record 0 holds the
// defaults that fill what the others leave unset.

#include <cfloat>
#include <cstdint>

namespace corvia {

// Transition types.
constexpr int32_t kTransitionNone = 0;
constexpr int32_t kTransitionRandom = 1;
constexpr int32_t kTransitionSideways = 2;
constexpr int32_t kTransitionOrbit = 3;
constexpr int32_t kTransitionShrinkAndGrow = 4;
// The types whose half of the transition explodes or implodes.
constexpr int32_t kTransitionExplodeAndGrow = 5;
constexpr int32_t kTransitionShrinkAndImplode = 6;
constexpr int32_t kTransitionExplodeAndImplode = 7;
constexpr int32_t kTransitionDefault = 8;  // the default occasion's type

// Occasions, the index of their records.
constexpr int kOccasionDefault = 0;
constexpr int kOccasionTour = 1;
constexpr int kOccasionStartUp = 2;
constexpr int kOccasionBuiltInModel = 3;
constexpr int kNumTransitionOccasions = 13;

// A value of a settings record that the default record fills.
constexpr double kTransitionUnset = DBL_MAX;

// The parameters after the duration. Angles in degrees, speeds in turns (half turns
// for the spins) per second of the transition.
constexpr int kTransitionNumParams = 9;
constexpr int kParamDuration = 0;
constexpr int kParamIncomingScale = 1;  // the size the incoming model grows from
constexpr int kParamSlideAngle = 2;     // direction of Sideways in the screen plane
constexpr int kParamSlideSpin = 3;
constexpr int kParamOutgoingScale = 4;  // the size the outgoing model shrinks to
constexpr int kParamOrbitAngle = 5;     // the tumble axis of Orbit in the screen plane
constexpr int kParamOrbitSpeed = 6;
constexpr int kParamShrinkSpin = 7;     // Shrink & Grow
constexpr int kParamExplodeSpin = 8;    // the three explode and implode types

class TransitionSettings {
 public:
  // The duration, or the default settings' when this one is unset.
  double GetDuration() const;
  double& Param(int i) { return i == kParamDuration ? mDuration : mParams[i]; }
  double Param(int i) const { return i == kParamDuration ? mDuration : mParams[i]; }

  int32_t mType = 0;
  double mDuration = kTransitionUnset;
  // Index 0 is unused: the duration stands in mDuration.
  double mParams[kTransitionNumParams] = {kTransitionUnset, kTransitionUnset, kTransitionUnset,
                                          kTransitionUnset, kTransitionUnset, kTransitionUnset,
                                          kTransitionUnset, kTransitionUnset, kTransitionUnset};
};

// Fills the thirteen records with their defaults.
void SetTransitionDefaults();
// The record of an occasion with its unset values taken from the default record, or
// the forced occasion's while one is forced. An occasion outside the records gives
// the default record.
void GetTransitionSettings(TransitionSettings& out, int occasion);
// The record as stored, for the options that edit it; null outside the records.
TransitionSettings* GetTransitionRecord(int occasion);
// A copy of `in` with its unset values filled from the default record.
void CopyTransitionSettings(TransitionSettings& out, const TransitionSettings& in);

// While one lives, every lookup takes the occasion given to the outermost one.
class ForcedTransitionOccasion {
 public:
  explicit ForcedTransitionOccasion(int occasion);
  ~ForcedTransitionOccasion();
  ForcedTransitionOccasion(const ForcedTransitionOccasion&) = delete;
  ForcedTransitionOccasion& operator=(const ForcedTransitionOccasion&) = delete;
};
// The forced occasion, or -1.
int GetForcedTransitionOccasion();

}  // namespace corvia
