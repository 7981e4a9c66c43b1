// The construction-toy panels and rods. Until the construction-toy style lands, each
// reports that it is missing.

#include "core/Messages.h"
#include "render/GeomagDrawing.h"

namespace corvia {

void DrawGeomagModel(int, const double*, const double*, const float*) {
  ShowInternalError("DrawGeomagModel: Not available in this build");
}

void DrawGeomagRod(const double*, const double*, const float*, double, double) {
  ShowInternalError("DrawGeomagRod: Not available in this build");
}

}  // namespace corvia
