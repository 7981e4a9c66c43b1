#include "model/TransitionSettings.h"

#include "core/Messages.h"

namespace corvia {

double TransitionSettings::GetDuration() const {
  if (mDuration != DBL_MAX) return mDuration;
  ShowInternalError("TransitionSettings::GetDuration: The default transition settings are not available in this build");
  return 0.0;
}

}  // namespace corvia
