#include "render/DrawingPreferences.h"

namespace corvia {

DrawingPreferences& GetDrawingPreferences() {
  static DrawingPreferences preferences;
  return preferences;
}

}  // namespace corvia
