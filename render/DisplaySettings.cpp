#include "render/DisplaySettings.h"

#include "render/DrawingPreferences.h"

namespace corvia {

DisplaySettings& GetDisplaySettings() {
  return GetDrawingPreferences().display;
}

}  // namespace corvia
