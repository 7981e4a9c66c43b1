#pragma once
// The program-wide options that the menu commands switch, put back as they were when
// the scope ends, so that the tests after a command test draw as before.

#include "app/PolyView.h"
#include "app/Settings.h"
#include "core/Units.h"
#include "model/ColorSchemes.h"
#include "model/CrossSection.h"
#include "model/ElementLabels.h"
#include "render/DisplaySettings.h"
#include "render/ModelDrawSettings.h"
#include "render/NetDrawSettings.h"
#include "render/OpenGLView.h"
#include "stellation/Faceting.h"
#include "stellation/StellationCell.h"

namespace corvia::testing {

struct MenuOptionsScope {
  ModelDrawSettings draw = GetModelDrawSettings();
  DisplaySettings display = GetDisplaySettings();
  FacetingSettings faceting = GetFacetingSettings();
  CrossSectionSettings section = GetCrossSectionSettings();
  uint32_t numbers = DiagnosticNumbers;
  int highlight = SelectionHighlightMode;
  int edgeScheme = EdgeColorScheme;
  bool vertsAsDualFaces = ColorVertsSameAsDualFace;
  int sectionInModel = GetSectionInModelChoice();
  bool autoFrame = GetAppSettings().autoFrameStellation;
  bool geomag = GetAppSettings().geomag;
  bool twistWithSpace = GetTwistWithSpace();
  bool linked = GetLinkedViews();
  bool sphereSections = GetNetDrawSettings().showSphereSections;
  // A derived model brings its own length scale.
  double lengthScale = GetUnitSettings().mLengthScale;
  double userLengthScale = GetUnitSettings().mUserLengthScale;
  double frame[16];
  MenuOptionsScope() {
    for (int i = 0; i < 16; ++i) frame[i] = SlicingFrame()[i];
  }
  ~MenuOptionsScope() {
    GetModelDrawSettings() = draw;
    GetDisplaySettings() = display;
    GetFacetingSettings() = faceting;
    GetCrossSectionSettings() = section;
    DiagnosticNumbers = numbers;
    SetSelectionHighlight(highlight);
    EdgeColorScheme = edgeScheme;
    ColorVertsSameAsDualFace = vertsAsDualFaces;
    SetSectionInModelChoice(sectionInModel);
    GetAppSettings().autoFrameStellation = autoFrame;
    AutoFrameStellation = autoFrame;
    GetAppSettings().geomag = geomag;
    SetTwistWithSpace(twistWithSpace);
    SetLinkedViews(linked);
    GetNetDrawSettings().showSphereSections = sphereSections;
    GetLengthScaleRedrawOptions().sphereIntersections = sphereSections;
    for (int i = 0; i < 16; ++i) SlicingFrame()[i] = frame[i];
    GetUnitSettings().mLengthScale = lengthScale;
    GetUnitSettings().mUserLengthScale = userLengthScale;
  }
};

}  // namespace corvia::testing
