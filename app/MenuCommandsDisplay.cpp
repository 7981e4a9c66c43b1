// The switches of the Display menu (vertices and edges, axes and planes, the midsphere,
// cell lines, the coplanar method, the construction-toy style and its rods), the
// background image's fit, the cross-section's fill and where it shows, the active
// pane's camera, and the Options menu's pivoting, locked views and diagnostic numbers.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/DocCommands.h"
#include "app/PaneModeCommands.h"
#include "app/PolyView.h"
#include "app/Settings.h"
#include "core/Globals.h"
#include "core/Messages.h"
#include "core/Strings.h"
#include "core/Units.h"
#include "core/VectorMath.h"
#include "model/ColorSchemes.h"
#include "model/CrossSection.h"
#include "model/Edge.h"
#include "model/ElementLabels.h"
#include "model/Globals.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "platform/Services.h"
#include "render/DisplaySettings.h"
#include "render/GeomagStyle.h"
#include "render/ModelDrawSettings.h"
#include "render/MouseThrow.h"
#include "render/NetDrawSettings.h"
#include "render/OpenGLView.h"
#include "symmetry/SymGroup.h"
#include "symmetry/SymGroupNames.h"
#include "ui/CommandIds.h"
#include "ui/MainFrame.h"

namespace corvia {

namespace detail_MenuCommandsDisplay {

using doc_commands::Mark;
using doc_commands::Redraw;

constexpr int kCmdShowVertices = 32935;
constexpr int kCmdShowEdges = 32936;
constexpr int kCmdShowSymmetryAxes = 32850;
constexpr int kCmdShowReflectionPlanes = 33074;
constexpr int kCmdShowCellLines = 33122;
constexpr int kCmdGeomagStyle = 33159;
constexpr int kCmdPivotAroundSelected = 33524;
constexpr int kCmdLockViews = 33127;
constexpr int kCmdVertexSize = 33080;
constexpr int kCmdDefaultVertexColor = 33079;
constexpr int kCmdVertsAsDualFaces = 33444;
constexpr int kCmdEdgeWidth = 33060;
constexpr int kCmdDefaultEdgeColor = 33061;
// Section > Cross-Section Direction > Along Axis 1, 2 and 3.
constexpr std::array<int, 3> kCmdSliceAlongAxis = {33378, 33379, 33380};
// The edge colour schemes' items, in the order of their values 1, 2, 4, ... 64.
constexpr std::array<int, 7> kCmdEdgeColorCommands = {33445, 33446, 33447, 33448, 33449, 33495, 33496};

// How near the section's normal must lie to an axis for the axis to be the direction shown.
constexpr double kSectionAxisTolerance = 1e-9;

// Each of View > Orientation's items turns the camera a quarter turn.
constexpr double kQuarterTurn = 90.0;

// ---- Model drawing switches ----------------------------------------------------------

template <bool ModelDrawSettings::*kSwitch>
void ToggleDrawSwitch() {
  ModelDrawSettings& settings = GetModelDrawSettings();
  settings.*kSwitch = !(settings.*kSwitch);
  Redraw();
}
template <bool ModelDrawSettings::*kSwitch>
void UpdateDrawSwitch(CommandUi& ui) {
  Mark(ui, GetModelDrawSettings().*kSwitch);
}

void ToggleMidsphere() {
  GetDisplaySettings().showMidsphere = !GetDisplaySettings().showMidsphere;
  Redraw();
}
void UpdateMidsphere(CommandUi& ui) {
  Mark(ui, GetDisplaySettings().showMidsphere);
}

// The reference spheres' radii from a text: numbers above zero, separated by blanks or
// commas; false when anything else stands in it.
bool ParseSphereRadii(const std::string& text, std::vector<double>& radii) {
  radii.clear();
  std::string word;
  for (size_t i = 0; i <= text.size(); ++i) {
    const char c = i < text.size() ? text[i] : ' ';
    if (c != ' ' && c != ',' && c != '\t') {
      word += c;
      continue;
    }
    if (word.empty()) continue;
    char* end = nullptr;
    const double value = std::strtod(word.c_str(), &end);
    if (!end || *end != 0 || !std::isfinite(value) || value <= 0.0) return false;
    radii.push_back(value);
    word.clear();
  }
  return true;
}

// A sphere that leaves a circle on every face: the midsphere, whose circles touch the
// faces' sides, or one between the farthest face plane and the farthest vertex. (The
// sphere through the vertices touches the faces at their corners only.)
double OfferedSphereRadius(Poly* poly) {
  if (!poly) return 1.0;
  if (const double mid = GetMidradius(poly); mid > 0.0) return mid;
  double farthest = 0.0;
  for (PolyElement* face = poly->mFaces.mHead; face; face = face->mNext) {
    farthest = std::max(farthest, VectorLength(face->mCentre));
  }
  return 0.5 * (farthest + poly->GetRadius());
}

// The circles where spheres about the centre cut the faces: the user gives the spheres'
// radii (in the length unit of the model's radius); none shows no circles. A change of
// length scale redraws them.
void AskSphereIntersections() {
  NetDrawSettings& settings = GetNetDrawSettings();
  std::string shown;
  for (double r : settings.referenceSpheres) {
    char number[32];
    std::snprintf(number, sizeof number, "%s%g", shown.empty() ? "" : " ", r);
    shown += number;
  }
  if (shown.empty()) {
    char number[32];
    std::snprintf(number, sizeof number, "%g", OfferedSphereRadius(doc_commands::CurrentPoly()) * GetUnitSettings().mLengthScale);
    shown = number;
  }
  char text[256];
  StrCopyN(text, shown.c_str(), sizeof text);
  std::vector<double> radii;
  for (;;) {
    if (!AskText("Radii of the spheres about the centre whose circles on the faces are shown,\n"
                 "in the unit of the model's radius, separated by spaces (none to show no circles):",
                 text, sizeof text, 0)) {
      return;
    }
    if (ParseSphereRadii(text, radii)) break;
    ShowError("\"%s\" is not a list of radii above zero.", text);
  }
  settings.referenceSpheres = radii;
  settings.showSphereSections = !radii.empty();
  GetLengthScaleRedrawOptions().sphereIntersections = settings.showSphereSections;
  Redraw();
}
void UpdateSphereIntersections(CommandUi& ui) {
  Mark(ui, GetNetDrawSettings().showSphereSections && !GetNetDrawSettings().referenceSpheres.empty());
}

// Choosing the polygon offset also ends the automatic return to the stencil, as a
// stored "UseStencil" of off does when the settings are read.
template <bool kStencil>
void SetCoplanarMethod() {
  GetModelDrawSettings().useStencil = kStencil;
  if (!kStencil) GetDisplaySettings().autoStencil = false;
  Redraw();
}
template <bool kStencil>
void UpdateCoplanarMethod(CommandUi& ui) {
  Mark(ui, GetModelDrawSettings().useStencil == kStencil);
}

// ---- Vertex and edge options ----------------------------------------------------------

void AskVertexSize() {
  double size = GetModelDrawSettings().vertSize;
  if (!doc_commands::AskPositiveNumber("Enter size for drawing vertices (in pixels)", size)) return;
  GetModelDrawSettings().vertSize = static_cast<float>(size);
  Redraw();
}

void AskEdgeWidth() {
  double width = GetModelDrawSettings().edgeWidth;
  if (!doc_commands::AskPositiveNumber("Enter line width for edges (in pixels)", width)) return;
  GetModelDrawSettings().edgeWidth = static_cast<float>(width);
  Redraw();
}

// The new default colour goes to the elements that had the old one.
void ChooseDefaultColor(const float* current, void (*apply)(Poly*, const float*, const float*)) {
  const float old[3] = {current[0], current[1], current[2]};
  float rgb[3] = {old[0], old[1], old[2]};
  if (!PickColor(rgb, false)) return;
  apply(doc_commands::CurrentPoly(), rgb, old);
  Redraw();
}
void ChooseDefaultVertexColor() {
  ChooseDefaultColor(DefaultVertexColor, SetDefaultVertexColor);
}
void ChooseDefaultEdgeColor() {
  ChooseDefaultColor(GetNewEdgeColor(), SetDefaultEdgeColor);
}

void ToggleVertsAsDualFaces() {
  ColorVertsSameAsDualFace = !ColorVertsSameAsDualFace;
  Redraw();
}
void UpdateVertsAsDualFaces(CommandUi& ui) {
  Mark(ui, ColorVertsSameAsDualFace);
}

template <int kScheme>
void SetEdgeColorScheme() {
  EdgeColorScheme = kScheme;
  if (Poly* poly = doc_commands::CurrentPoly()) ApplyColorScheme(poly, true);
  Redraw();
}
// One mark: a scheme value of none of the items marks "Color All Edges the Same".
template <int kScheme>
void UpdateEdgeColorScheme(CommandUi& ui) {
  const int scheme = EdgeColorScheme;
  const bool known = scheme == kEdgeColorByTypeWithReflections || scheme == kEdgeColorByType ||
                     scheme == kEdgeColorSameIfParallel || scheme == kEdgeColorByGreatCircles ||
                     scheme == kEdgeColorFromFaces || scheme == kEdgeColorFromFacesComplement;
  Mark(ui, known ? scheme == kScheme : kScheme == kEdgeColorAllSame);
}

// ---- The active pane's switches and camera -------------------------------------------

template <bool CPolyView::*kSwitch>
void TogglePaneSwitch() {
  CPolyView* pane = CPolyView::GetActive();
  if (!pane) return;
  pane->*kSwitch = !(pane->*kSwitch);
  pane->Invalidate(true);
}
template <bool CPolyView::*kSwitch>
void UpdatePaneSwitch(CommandUi& ui) {
  CPolyView* pane = CPolyView::GetActive();
  ui.enabled = pane != nullptr;
  Mark(ui, pane && pane->*kSwitch);
}

CPolyView* Active3DPane() {
  CPolyView* pane = CPolyView::GetActive();
  return pane && pane->Is3D() ? pane : nullptr;
}
void EnableIn3D(CommandUi& ui) {
  ui.enabled = Active3DPane() != nullptr;
}

void UseDefaultCamera() {
  if (CPolyView* pane = Active3DPane()) {
    StopAllMouseThrows(pane->GetViewGroup());
    pane->Camera().SetDefaultCamera(true);
    pane->SetFitMode(kFitNormal);
    pane->Invalidate(true);
  }
}

void ToggleOrthogonal() {
  if (CPolyView* pane = Active3DPane()) {
    pane->Camera().SetOrthogonal(!pane->Camera().IsOrthogonal());
    pane->Invalidate(true);
  }
}
void UpdateOrthogonal(CommandUi& ui) {
  CPolyView* pane = Active3DPane();
  ui.enabled = pane != nullptr;
  Mark(ui, pane && pane->Camera().IsOrthogonal());
}

template <int kAxis>
void RotateAroundAxis() {
  if (CPolyView* pane = Active3DPane()) {
    pane->Camera().RotateAboutViewAxis(kAxis, kQuarterTurn);
    pane->Camera().OrthonormalizeCamera();
    pane->Invalidate(true);
  }
}

// ---- Construction toy ----------------------------------------------------------------

// The stored setting follows the style, so the next start-up shows it as it is left.
void ToggleGeomagStyle() {
  const bool on = !GeomagStyle;
  GetAppSettings().geomag = on;
  SwitchGeomagStyle(on);
}
void UpdateGeomagStyle(CommandUi& ui) {
  Mark(ui, GeomagStyle);
}

CMainFrame* MainFrame() {
  return dynamic_cast<CMainFrame*>(GetMainFrame());
}

template <int kStyle>
void SetRodStyle() {
  if (CMainFrame* frame = MainFrame()) frame->SetGeomagStyleButton(kStyle);
}
template <int kStyle>
void UpdateRodStyle(CommandUi& ui) {
  CMainFrame* frame = MainFrame();
  ui.enabled = frame != nullptr;
  Mark(ui, frame && frame->GetGeomagStyle() == kStyle);
}

// ---- Background image, cross-section ---------------------------------------------------

template <int kFit>
void SetBackgroundFit() {
  GetDisplaySettings().bgImageFit = kFit;
  Redraw();
}
template <int kFit>
void UpdateBackgroundFit(CommandUi& ui) {
  Mark(ui, GetDisplaySettings().bgImageFit == kFit);
}

void ToggleSectionFill() {
  CrossSectionSettings& settings = GetCrossSectionSettings();
  settings.fill = !settings.fill;
  InvalidateCrossSectionViews(false);
  Redraw();
}
void UpdateSectionFill(CommandUi& ui) {
  Mark(ui, GetCrossSectionSettings().fill);
}

template <int kChoice>
void SetSectionInModel() {
  SetSectionInModelChoice(kChoice);
  Redraw();
}
template <int kChoice>
void UpdateSectionInModel(CommandUi& ui) {
  Mark(ui, GetSectionInModelChoice() == kChoice);
}

// The first axis of the type i of the model's full symmetry group; null when the group
// has no such axis.
const SymAxis* SymmetryAxis(int i) {
  Poly* poly = doc_commands::CurrentPoly();
  const SymGroup* group = poly ? poly->GetFullSymGroup() : nullptr;
  if (!group || i >= group->numAxisTypes || !group->axisTypes) return nullptr;
  const SymAxisType& type = group->axisTypes[i];
  return type.numAxes > 0 && type.axes ? &type.axes[0] : nullptr;
}

// Whether the section plane is perpendicular to an axis of the type i of the model's
// full symmetry group: the item of that type shows as the chosen direction.
bool SectionRunsAlongAxisType(int i) {
  Poly* poly = doc_commands::CurrentPoly();
  const SymGroup* group = poly ? poly->GetFullSymGroup() : nullptr;
  if (!group || i >= group->numAxisTypes || !group->axisTypes) return false;
  const SymAxisType& type = group->axisTypes[i];
  const double* frame = SlicingFrame();
  const double normal[3] = {frame[2], frame[6], frame[10]};
  for (int a = 0; type.axes && a < type.numAxes; ++a) {
    if (std::fabs(std::fabs(Dot(normal, type.axes[a].direction)) - 1.0) <= kSectionAxisTolerance) return true;
  }
  return false;
}

// The section plane becomes perpendicular to the axis, its first in-plane axis the
// axis's reference direction.
template <int kAxisType>
void SliceAlongAxis() {
  const SymAxis* axis = SymmetryAxis(kAxisType);
  if (!axis) return;
  double v[3];
  Cross(v, axis->direction, axis->reference);
  double* frame = SlicingFrame();
  for (int k = 0; k < 3; ++k) {
    frame[4 * k] = axis->reference[k];
    frame[4 * k + 1] = v[k];
    frame[4 * k + 2] = axis->direction[k];
    frame[4 * k + 3] = 0.0;
  }
  frame[12] = frame[13] = frame[14] = 0.0;
  frame[15] = 1.0;
  if (Poly* poly = doc_commands::CurrentPoly()) poly->InvalidateCrossSection();
  // The section along another axis has another outline: its panes frame it afresh.
  platform::Services().views->SetFitModeOfType(kViewCrossSection, kFitNormal);
  InvalidateCrossSectionViews(false);
  Redraw();
}
// Named by the axis, as "Along 5-fold Axis"; disabled when the group has no such axis.
template <int kAxisType>
void UpdateSliceAlongAxis(CommandUi& ui) {
  ui.enabled = SymmetryAxis(kAxisType) != nullptr;
  Poly* poly = doc_commands::CurrentPoly();
  char name[64];
  if (GetAxisName(poly ? poly->GetFullSymGroup() : nullptr, name, sizeof name, "Along", kAxisType)) {
    ui.text = name;
  }
  ui.check = SectionRunsAlongAxisType(kAxisType) ? 1 : 0;
}

// ---- Options ---------------------------------------------------------------------------

void TogglePivot() {
  SetTwistWithSpace(!GetTwistWithSpace());
}
void UpdatePivot(CommandUi& ui) {
  Mark(ui, GetTwistWithSpace());
}
void ToggleLockViews() {
  SetLinkedViews(!GetLinkedViews());
}
void UpdateLockViews(CommandUi& ui) {
  Mark(ui, GetLinkedViews());
}

template <uint32_t kBit>
void ToggleNumbers() {
  DiagnosticNumbers ^= kBit;
  Redraw();
}
template <uint32_t kBit>
void UpdateNumbers(CommandUi& ui) {
  Mark(ui, (DiagnosticNumbers & kBit) != 0);
}

void ToggleFrameTime() {
  GetDisplaySettings().showFrameTime = !GetDisplaySettings().showFrameTime;
  Redraw();
}
void UpdateFrameTime(CommandUi& ui) {
  Mark(ui, GetDisplaySettings().showFrameTime);
}

std::vector<DocCommand> MakeCommands() {
  using S = ModelDrawSettings;
  using V = CPolyView;
  std::vector<DocCommand> commands = {
      {kCmdShowVertices, ToggleDrawSwitch<&S::showVerts>, UpdateDrawSwitch<&S::showVerts>},
      {kCmdShowEdges, ToggleDrawSwitch<&S::showEdges>, UpdateDrawSwitch<&S::showEdges>},
      {kCmdShowStellationVertices, ToggleDrawSwitch<&S::showStelVerts>, UpdateDrawSwitch<&S::showStelVerts>},
      {kCmdShowStellationEdges, ToggleDrawSwitch<&S::showStelEdges>, UpdateDrawSwitch<&S::showStelEdges>},
      {kCmdShowCellLines, ToggleDrawSwitch<&S::showCellLines>, UpdateDrawSwitch<&S::showCellLines>},
      {kCmdVertexSize, AskVertexSize, nullptr},
      {kCmdDefaultVertexColor, ChooseDefaultVertexColor, nullptr},
      {kCmdVertsAsDualFaces, ToggleVertsAsDualFaces, UpdateVertsAsDualFaces},
      {kCmdEdgeWidth, AskEdgeWidth, nullptr},
      {kCmdDefaultEdgeColor, ChooseDefaultEdgeColor, nullptr},
      {kCmdEdgeColorCommands[0], SetEdgeColorScheme<kEdgeColorAllSame>, UpdateEdgeColorScheme<kEdgeColorAllSame>},
      {kCmdEdgeColorCommands[1], SetEdgeColorScheme<kEdgeColorByTypeWithReflections>,
       UpdateEdgeColorScheme<kEdgeColorByTypeWithReflections>},
      {kCmdEdgeColorCommands[2], SetEdgeColorScheme<kEdgeColorByType>, UpdateEdgeColorScheme<kEdgeColorByType>},
      {kCmdEdgeColorCommands[3], SetEdgeColorScheme<kEdgeColorSameIfParallel>,
       UpdateEdgeColorScheme<kEdgeColorSameIfParallel>},
      {kCmdEdgeColorCommands[4], SetEdgeColorScheme<kEdgeColorByGreatCircles>,
       UpdateEdgeColorScheme<kEdgeColorByGreatCircles>},
      {kCmdEdgeColorCommands[5], SetEdgeColorScheme<kEdgeColorFromFaces>, UpdateEdgeColorScheme<kEdgeColorFromFaces>},
      {kCmdEdgeColorCommands[6], SetEdgeColorScheme<kEdgeColorFromFacesComplement>,
       UpdateEdgeColorScheme<kEdgeColorFromFacesComplement>},
      {kCmdShowSymmetryAxes, TogglePaneSwitch<&V::mShowSymmetryAxes>, UpdatePaneSwitch<&V::mShowSymmetryAxes>},
      {kCmdShowReflectionPlanes, TogglePaneSwitch<&V::mShowReflectionPlanes>,
       UpdatePaneSwitch<&V::mShowReflectionPlanes>},
      {kCmdShowReflectionNormals, TogglePaneSwitch<&V::mShowReflectionNormals>,
       UpdatePaneSwitch<&V::mShowReflectionNormals>},
      {kCmdShowMidsphere, ToggleMidsphere, UpdateMidsphere},
      {kCmdShowSphereIntersections, AskSphereIntersections, UpdateSphereIntersections},
      {kCmdCoplanarStencil, SetCoplanarMethod<true>, UpdateCoplanarMethod<true>},
      {kCmdCoplanarOffset, SetCoplanarMethod<false>, UpdateCoplanarMethod<false>},
      {kCmdGeomagStyle, ToggleGeomagStyle, UpdateGeomagStyle},
      {kCmdGeomagStyles[0], SetRodStyle<0>, UpdateRodStyle<0>},
      {kCmdGeomagStyles[1], SetRodStyle<1>, UpdateRodStyle<1>},
      {kCmdGeomagStyles[2], SetRodStyle<2>, UpdateRodStyle<2>},
      {kCmdGeomagStyles[3], SetRodStyle<3>, UpdateRodStyle<3>},
      {kCmdGeomagStyles[4], SetRodStyle<4>, UpdateRodStyle<4>},
      {kCmdGeomagStyles[5], SetRodStyle<5>, UpdateRodStyle<5>},
      {kCmdGeomagStyles[6], SetRodStyle<6>, UpdateRodStyle<6>},
      {kCmdGeomagStyles[7], SetRodStyle<7>, UpdateRodStyle<7>},
      {kCmdGeomagStyles[8], SetRodStyle<8>, UpdateRodStyle<8>},
      {kCmdGeomagStyles[9], SetRodStyle<9>, UpdateRodStyle<9>},
      {kCmdGeomagStyles[10], SetRodStyle<10>, UpdateRodStyle<10>},
      {kCmdBackgroundFitWithin, SetBackgroundFit<kImageFitWithin>, UpdateBackgroundFit<kImageFitWithin>},
      {kCmdBackgroundFitAround, SetBackgroundFit<kImageFitAround>, UpdateBackgroundFit<kImageFitAround>},
      {kCmdBackgroundFitWidth, SetBackgroundFit<kImageFitWidth>, UpdateBackgroundFit<kImageFitWidth>},
      {kCmdBackgroundFitHeight, SetBackgroundFit<kImageFitHeight>, UpdateBackgroundFit<kImageFitHeight>},
      {kCmdBackgroundStretch, SetBackgroundFit<kImageFitStretch>, UpdateBackgroundFit<kImageFitStretch>},
      {kCmdBackgroundActualSize, SetBackgroundFit<kImageFitActualSize>, UpdateBackgroundFit<kImageFitActualSize>},
      {kCmdFillCrossSection, ToggleSectionFill, UpdateSectionFill},
      {kCmdSectionInModelNever, SetSectionInModel<kSectionInModelNever>, UpdateSectionInModel<kSectionInModelNever>},
      {kCmdSectionInModelWhenOpen, SetSectionInModel<kSectionInModelWhenOpen>,
       UpdateSectionInModel<kSectionInModelWhenOpen>},
      {kCmdSectionInModelAlways, SetSectionInModel<kSectionInModelAlways>, UpdateSectionInModel<kSectionInModelAlways>},
      {kCmdSliceAlongAxis[0], SliceAlongAxis<0>, UpdateSliceAlongAxis<0>},
      {kCmdSliceAlongAxis[1], SliceAlongAxis<1>, UpdateSliceAlongAxis<1>},
      {kCmdSliceAlongAxis[2], SliceAlongAxis<2>, UpdateSliceAlongAxis<2>},
      {kCmdUseDefaultCamera, UseDefaultCamera, EnableIn3D},
      {kCmdOrthogonalView, ToggleOrthogonal, UpdateOrthogonal},
      {kCmdRotateAroundX, RotateAroundAxis<0>, EnableIn3D},
      {kCmdRotateAroundY, RotateAroundAxis<1>, EnableIn3D},
      {kCmdRotateAroundZ, RotateAroundAxis<2>, EnableIn3D},
      {kCmdPivotAroundSelected, TogglePivot, UpdatePivot},
      {kCmdLockViews, ToggleLockViews, UpdateLockViews},
      {kCmdShowFaceNumbers, ToggleNumbers<kShowFaceNumbers>, UpdateNumbers<kShowFaceNumbers>},
      {kCmdShowFaceTypeNumbers, ToggleNumbers<kShowFaceTypeNumbers>, UpdateNumbers<kShowFaceTypeNumbers>},
      {kCmdShowVertexNumbers, ToggleNumbers<kShowVertexNumbers>, UpdateNumbers<kShowVertexNumbers>},
      {kCmdShowVertexTypeNumbers, ToggleNumbers<kShowVertexTypeNumbers>, UpdateNumbers<kShowVertexTypeNumbers>},
      {kCmdShowEdgeNumbers, ToggleNumbers<kShowEdgeNumbers>, UpdateNumbers<kShowEdgeNumbers>},
      {kCmdShowEdgeTypeNumbers, ToggleNumbers<kShowEdgeTypeNumbers>, UpdateNumbers<kShowEdgeTypeNumbers>},
      {kCmdShowFaceletNumbers, ToggleNumbers<kNumberEachFacelet>, UpdateNumbers<kNumberEachFacelet>},
      {kCmdShowDiagramCoords, ToggleNumbers<kShowDiagramCoords>, UpdateNumbers<kShowDiagramCoords>},
      {kCmdShowFaceletTypeNumbers, ToggleNumbers<kNumberEachFaceletType>, UpdateNumbers<kNumberEachFaceletType>},
      {kCmdShowFrameTime, ToggleFrameTime, UpdateFrameTime},
  };
  return commands;
}

}  // namespace detail_MenuCommandsDisplay

const std::vector<DocCommand>& GetDisplayMenuCommands() {
  static const std::vector<DocCommand> commands = detail_MenuCommandsDisplay::MakeCommands();
  return commands;
}

}  // namespace corvia
