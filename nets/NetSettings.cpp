#include "nets/NetSettings.h"

#include <cmath>

#include "core/Units.h"
#include "model/ElementList.h"
#include "model/ElementServices.h"
#include "model/FaceTypeBlock.h"
#include "model/Globals.h"
#include "model/Poly.h"
#include "nets/Model3D.h"
#include "nets/NetFlags.h"

namespace corvia {

namespace detail_NetSettings {
constexpr double kDegrees = 3.141592653589793 / 180.0;
// The print option's values.
constexpr int32_t kPrintCellLinesYes = 1;
constexpr int32_t kPrintCellLinesAsOnScreen = 2;
}  // namespace detail_NetSettings

NetSettings& GetNetSettings() {
  static NetSettings settings;
  return settings;
}

int32_t GetGlobalTabKind() {
  const int32_t kind = GetNetSettings().tabType;
  return kind == kTabKindDefault ? kTabKindDouble : kind;
}

uint32_t GetTabKindFlag(int32_t kind) {
  switch (kind) {
    case kTabKindNone:
      return kEdgeTabNone;
    case kTabKindSingle:
      return kEdgeTabSingle;
    case kTabKindDouble:
      return kEdgeTabDouble;
    default:
      return 0;
  }
}

double GetNetTabSize() {
  return GetUnitSettings().TwipsToUnits(GetNetSettings().tabSizeTwips);
}

double GetNetTabSizeInModelUnits() {
  const double scale = GetUnitSettings().mLengthScale;
  return scale > 0.0 ? GetNetTabSize() / scale : 0.0;
}

bool PrintCellLines() {
  const int32_t option = GetUnitSettings().mPrintCellLines;
  if (option == detail_NetSettings::kPrintCellLinesAsOnScreen) return GetNetSettings().cellLinesOnScreen;
  return option == detail_NetSettings::kPrintCellLinesYes;
}

double TabSlope45() {
  static const double slope = std::tan(45.0 * detail_NetSettings::kDegrees);
  return slope;
}

double TabSlope60() {
  static const double slope = std::tan(60.0 * detail_NetSettings::kDegrees);
  return slope;
}

// ---- What a change of units asks of the current model ------------------------------------

void RefreshCurrentNetsAfterScaleChange() {
  Model3D* model = GetCurrentModel3D();
  if (!model) return;
  model->SetNetBBoxRadii();
  model->CopyFirstNetLayout();
  model->RebuildTabs();
}

bool CurrentModelAllowsSingleColorPages() {
  Poly* poly = GetCurrentPoly();
  if (!poly) return true;
  const FaceTypeBlock* block = poly->GetShownBlock();
  Model3D* model = block ? block->GetExistingModel3D() : nullptr;
  if (GetElementDisplayOptions().constructionToyStyle && model && model->CanBuildWithGeomag()) return false;
  const ElementList* planes = block ? block->GetPlaneModel() : nullptr;
  if ((poly->mPolyFlags & kPolyFlagOneSidedFace) && FaceTypeBlock::IsOriginalStellation(block) &&
      !ElementList::AllSameColour(planes)) {
    return false;
  }
  return !(block && block->HasFaceImages());
}

}  // namespace corvia
