#include "model/Globals.h"

#include <cstdio>

#include "core/PolygonSplit.h"
#include "model/ElementList.h"
#include "model/ElementServices.h"
#include "model/FaceTypeBlock.h"
#include "model/Poly.h"

namespace corvia {

int PolygonFillingMethod = kFillingAuto;

int GetCurrentPolyColorMode() {
  if (PolygonFillingMethod == kFillingModulo2) return 1;
  if (PolygonFillingMethod != kFillingAuto) return 0;
  const Poly* poly = GetCurrentPoly();
  return poly && (poly->mPolyFlags & kPolyFlagOneSidedFace) ? 1 : 0;
}

namespace detail_ModelGlobals {
DocumentAccess gDefaultAccess;
DocumentAccess* gAccess = &gDefaultAccess;
}  // namespace detail_ModelGlobals

DocumentAccess::~DocumentAccess() = default;

DocumentAccess* InstallDocumentAccess(DocumentAccess* access) {
  DocumentAccess* previous = detail_ModelGlobals::gAccess;
  detail_ModelGlobals::gAccess = access ? access : &detail_ModelGlobals::gDefaultAccess;
  return previous == &detail_ModelGlobals::gDefaultAccess ? nullptr : previous;
}

DocumentAccess& GetDocumentAccess() { return *detail_ModelGlobals::gAccess; }

Poly* GetCurrentPoly() { return GetDocumentAccess().GetCurrentPoly(); }

namespace {
MenuPathProvider gMenuPathProvider = nullptr;
}

MenuPathProvider InstallMenuPathProvider(MenuPathProvider provider) {
  MenuPathProvider before = gMenuPathProvider;
  gMenuPathProvider = provider;
  return before;
}

char* GetMenuPathOfCommand(int commandId, char* buffer, size_t size) {
  if (!buffer || size == 0) return buffer;
  const std::string path = gMenuPathProvider ? gMenuPathProvider(commandId) : std::string();
  std::snprintf(buffer, size, "%s", path.c_str());
  return buffer;
}

Model3D* GetCurrentModel3D() {
  Poly* poly = GetCurrentPoly();
  if (!poly) return nullptr;
  const FaceTypeBlock* block = poly->GetShownBlock();
  return block ? block->GetExistingModel3D() : nullptr;
}

}  // namespace corvia
