#pragma once
// The settings record of a transition between two models: its type and duration. The
// model keeps two; the document fills and reads them.

#include <cfloat>
#include <cstdint>

namespace corvia {

class TransitionSettings {
 public:
  // The duration, or the default settings' when this one is unset.
  double GetDuration() const;

  int32_t mType = 0;
  double mDuration = DBL_MAX;  // DBL_MAX: unset
};

}  // namespace corvia
