// Placeholder while the morph scales are not in this build.
#include "render/MorphDrawing.h"

#include "core/Messages.h"
#include "render/FaceDiagramDrawing.h"

namespace corvia {

void DrawMorphElement(PolyElement*, int, double, double, const double*, CellDrawOptions&, const float*, float, bool) {
  ShowInternalError("DrawMorphElement: Not available in this build");
}

}  // namespace corvia
