#pragma once
// The calls inside the geometry that go up the layers, where no object is at hand to
// carry them: each lower folder declares a hook and the folder above that answers it
// is installed here, on top of the geometry.
//
//   hook (declared in)                             installed answer (defined in)
//   SetModelFileReader (construction/LibraryHooks) ReadModelFileAsSimplePoly (files/ModelFile)
//   SetUnitsModelHooks (core/Units)                RefreshCurrentNetsAfterScaleChange,
//                                                  CurrentModelAllowsSingleColorPages (nets/NetSettings)
//   SetPolygonColorModeQuery (core/PolygonSplit)   GetCurrentPolyColorMode (model/Globals)
//   SetFacetPreviewQuery (model/ElementServices)   PreviewPointOf (stellation/Faceting)
//   SetFacetingNameFinder (stellation/Faceting)    NameOfDrawnFaceting (construction/DerivedNames)
//
// Whatever runs the geometry installs them once before it starts: the program
// (app/StartUp), the test programs' main and the benchmarks' main.

namespace corvia {

// Installs the five hooks; calling it again installs the same ones.
void InstallGeometryHooks();

}  // namespace corvia
