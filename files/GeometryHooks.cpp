#include "files/GeometryHooks.h"

#include "construction/DerivedNames.h"
#include "construction/LibraryHooks.h"
#include "core/PolygonSplit.h"
#include "core/Units.h"
#include "files/ModelFile.h"
#include "model/ElementServices.h"
#include "model/Globals.h"
#include "nets/NetSettings.h"
#include "stellation/Faceting.h"

namespace corvia {

void InstallGeometryHooks() {
  SetModelFileReader(&ReadModelFileAsSimplePoly);
  UnitsModelHooks units;
  units.scaleChanged = &RefreshCurrentNetsAfterScaleChange;
  units.allowsSingleColorPages = &CurrentModelAllowsSingleColorPages;
  SetUnitsModelHooks(units);
  SetPolygonColorModeQuery(&GetCurrentPolyColorMode);
  SetFacetPreviewQuery(&PreviewPointOf);
  SetFacetingNameFinder(&NameOfDrawnFaceting);
}

}  // namespace corvia
