#include "render/DisplaySettings.h"

namespace corvia {

DisplaySettings& GetDisplaySettings() {
  static DisplaySettings settings;
  return settings;
}

}  // namespace corvia
