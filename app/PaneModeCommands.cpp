// The pane commands of the mouse selection modes, the scale commands of the active
// pane (reached from the information tree) and "File > Export Image...".

#include "app/PaneModeCommands.h"

#include <wx/event.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

#include "app/FileCommands.h"
#include "app/PolyView.h"
#include "app/Settings.h"
#include "core/Equation.h"
#include "core/FaceImageRef.h"
#include "core/Folders.h"
#include "core/Messages.h"
#include "core/Units.h"
#include "model/Edge.h"
#include "model/Globals.h"
#include "model/Measurement.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "render/FaceImage.h"
#include "render/OutcomeBoxes.h"
#include "ui/CommandIds.h"
#include "ui/CommandTable.h"
#include "ui/InfoBar.h"
#include "ui/NewFrame.h"
#include "ui/TourBar.h"

namespace corvia {

namespace detail_PaneModeCommands {

constexpr int kCmdAugmentPolyhedron = 33008;

// The mode commands, in the order of the modes (4D Tumble Mode is not in the menu).
struct ModeCommand {
  int id;
  int mode;
};
constexpr ModeCommand kModeCommands[] = {
    {32937, kSelectFacesVertices}, {32945, kSelectIdentification}, {32938, kSelectCutEdges},
    {32939, kSelectMeasurement},   {32940, kSelectFaceting},       {33175, kSelectColorHide},
    {33186, kSelectImage},         {33384, kSelectSectionTumble},
};

// The scale commands, each with the measurement it asks for.
struct ScaleCommand {
  int id;
  ScaleMeasure measure;
};
constexpr ScaleCommand kScaleCommands[] = {
    {kCmdScaleMidradius, ScaleMeasure::Midradius},
    {kCmdScaleBaseRadius, ScaleMeasure::BaseRadius},
    {kCmdScaleBaseSurfaceArea, ScaleMeasure::BaseSurfaceArea},
    {kCmdScaleBaseVolume, ScaleMeasure::BaseVolume},
    {kCmdScaleDualInradius, ScaleMeasure::DualInradius},
    {kCmdScaleDualRadius, ScaleMeasure::DualRadius},
    {kCmdScaleDualSurfaceArea, ScaleMeasure::DualSurfaceArea},
    {kCmdScaleDualVolume, ScaleMeasure::DualVolume},
};

constexpr int kAnswerSize = 64;

// The measurement at a length scale of 1 and its dimension (1 length, 2 area, 3
// volume); false, with the reason, when the model has no such measurement.
struct Measure {
  double value = 0.0;
  int dimension = 1;
};

bool MeasureOf(ScaleMeasure which, Poly* poly, Measure& out, const char*& reason) {
  reason = nullptr;
  switch (which) {
    case ScaleMeasure::Midradius:
    case ScaleMeasure::DualInradius: {
      const double mid = GetMidradius(poly);
      if (mid <= 0.0) {
        reason = "This polyhedron has no midsphere.";
        return false;
      }
      // The dual is the reciprocal about the midsphere of a model of radius 1.
      out = {which == ScaleMeasure::Midradius ? mid : mid * mid, 1};
      return true;
    }
    case ScaleMeasure::BaseRadius:
      out = {1.0, 1};
      return true;
    case ScaleMeasure::DualRadius:
      if (poly->mHasCentralFace) {
        reason = "The dual's radius is infinite.";
        return false;
      }
      out = {poly->GetRadius(), 1};
      return true;
    case ScaleMeasure::BaseSurfaceArea:
      out = {poly->mSurfaceArea, 2};
      return true;
    case ScaleMeasure::DualSurfaceArea:
      out = {poly->mDualSurfaceArea, 2};
      return true;
    case ScaleMeasure::BaseVolume:
      out = {poly->mVolume, 3};
      return true;
    case ScaleMeasure::DualVolume:
      out = {poly->mDualVolume, 3};
      return true;
  }
  return false;
}

const char* PromptOf(ScaleMeasure which) {
  switch (which) {
    case ScaleMeasure::Midradius:
      return "Enter new midradius";
    case ScaleMeasure::BaseRadius:
      return "Enter new base radius";
    case ScaleMeasure::BaseSurfaceArea:
      return "Enter new base surface area";
    case ScaleMeasure::BaseVolume:
      return "Enter new base volume";
    case ScaleMeasure::DualInradius:
      return "Enter new dual inradius";
    case ScaleMeasure::DualRadius:
      return "Enter new dual radius";
    case ScaleMeasure::DualSurfaceArea:
      return "Enter new dual surface area";
    case ScaleMeasure::DualVolume:
      return "Enter new dual volume";
  }
  return "";
}

// Asks for the new value, starting from the present one, and rescales the model.
void AskAndScale(ScaleMeasure which) {
  Poly* poly = GetCurrentPoly();
  if (!poly) return;
  Measure measure;
  const char* reason = nullptr;
  if (!MeasureOf(which, poly, measure, reason)) {
    ShowError("%s", reason);
    return;
  }
  char answer[kAnswerSize];
  std::snprintf(answer, sizeof answer, "%.15g",
                measure.value * std::pow(GetUnitSettings().mLengthScale, measure.dimension));
  // The value is in the distance unit that the information bar shows lengths in.
  const char* unit = UnitSettings::GetDistanceUnitName(GetUnitSettings().mDistanceUnit);
  const char* power = measure.dimension == 2 ? "square " : measure.dimension == 3 ? "cubic " : "";
  char prompt[kAnswerSize * 2];
  std::snprintf(prompt, sizeof prompt, "%s (%s%s)", PromptOf(which), power, unit);
  double value = 0.0;
  if (!AskText(prompt, answer, kAnswerSize, 0) || !TellOutcome(CheckEquation(answer, &value))) return;
  ScaleModelTo(which, value);
}

// The commands of the panes' modes and of the active pane.
class PaneModeCommands final : public wxEvtHandler {
 public:
  PaneModeCommands() {
    for (const ModeCommand& command : kModeCommands) {
      const int mode = command.mode;
      Bind(
          wxEVT_MENU,
          [mode](wxCommandEvent&) { SetMouseSelectionMode(mode); },
          ToWxId(command.id));
      Bind(
          wxEVT_UPDATE_UI, [mode](wxUpdateUIEvent& event) { event.Check(GetPaneSelectionMode() == mode); },
          ToWxId(command.id));
    }
    for (const ScaleCommand& command : kScaleCommands) {
      const ScaleMeasure measure = command.measure;
      Bind(
          wxEVT_MENU,
          [measure](wxCommandEvent&) {
            if (CPolyView::GetActive()) AskAndScale(measure);
          },
          ToWxId(command.id));
      Bind(wxEVT_UPDATE_UI, &PaneModeCommands::EnableWithPane, this, ToWxId(command.id));
    }
    Bind(
        wxEVT_MENU,
        [](wxCommandEvent& event) {
          // The tour bar's Export Video asks for an animation of the tour.
          if (event.GetInt() == kExportTourVideo) {
            GetAppSettings().exports.isAnimation = 1;
            GetAppSettings().exports.tour = 1;
          }
          if (CPolyView* pane = CPolyView::GetActive()) pane->OnFileExportImage();
        },
        ToWxId(kCmdExportImage));
    Bind(wxEVT_UPDATE_UI, &PaneModeCommands::EnableWithPane, this, ToWxId(kCmdExportImage));
    Bind(
        wxEVT_MENU,
        [](wxCommandEvent&) {
          if (CPolyView* pane = CPolyView::GetActive()) pane->OnAugmentPolyhedron();
        },
        ToWxId(kCmdAugmentPolyhedron));
    Bind(wxEVT_UPDATE_UI, &PaneModeCommands::EnableWithModel, this, ToWxId(kCmdAugmentPolyhedron));
  }

  static void MarkAvailable(bool available) {
    for (const ModeCommand& command : kModeCommands) SetCommandAvailable(command.id, available);
    for (const ScaleCommand& command : kScaleCommands) SetCommandAvailable(command.id, available);
    SetCommandAvailable(kCmdExportImage, available);
    SetCommandAvailable(kCmdAugmentPolyhedron, available);
  }

 private:
  void EnableWithPane(wxUpdateUIEvent& event) { event.Enable(CPolyView::GetActive() != nullptr); }
  void EnableWithModel(wxUpdateUIEvent& event) { event.Enable(CPolyView::GetActive() && GetCurrentPoly()); }
};

std::unique_ptr<PaneModeCommands> gCommands;
NewFrame* gFrame = nullptr;
ModeHelpRefresher gPreviousRefresher = nullptr;

}  // namespace detail_PaneModeCommands

double ScaleForMeasure(double unitValue, double wanted, int dimension) {
  if (!(unitValue > 0.0) || !(wanted > 0.0) || !std::isfinite(wanted) || dimension < 1) return 0.0;
  return std::pow(wanted / unitValue, 1.0 / dimension);
}

bool ScaleModelTo(ScaleMeasure which, double wanted) {
  using namespace detail_PaneModeCommands;
  Poly* poly = GetCurrentPoly();
  if (!poly) return false;
  Measure measure;
  const char* reason = nullptr;
  if (!MeasureOf(which, poly, measure, reason)) {
    ShowError("%s", reason);
    return false;
  }
  UnitSettings& units = GetUnitSettings();
  const double scale = ScaleForMeasure(measure.value, wanted, measure.dimension);
  if (scale <= 0.0 || !std::isfinite(scale)) {
    ShowError("The new value must be a number greater than 0.");
    return false;
  }
  units.SetUserLengthScale(scale);
  InvalidateInfo(1);
  return true;
}

void CPolyView::OnFileExportImage() {
  static const char kFilter[] = "PNG Files (*.png)|*.png|JPEG Files (*.jpg)|*.jpg;*.jpeg||";
  ExportSettings& exports = GetAppSettings().exports;
  if (exports.isAnimation) {
    // The export writes still images only: a video is refused before a file is asked
    // for, and the next export is a still image again.
    exports.isAnimation = 0;
    exports.tour = 0;
    ShowError("Corvia cannot export videos: it exports still images (PNG, JPEG) only.\n"
              "No file was written.");
    return;
  }
  // The model's name may hold dots (its vertex configuration): the default name ends
  // in the extension of the first kind of file offered.
  FolderPath& folder = DefaultFolder(DefaultFolderKind::Image);
  std::string path = std::string(folder.GetPath()) + "/" + FileNameForModel(mCaption.GetExportModelName(), ".png");
  int filterIndex = 1;
  if (!AskFileToSave("Export Image", path, "png", kFilter, &folder, &filterIndex)) return;
  // The export tells its own failure.
  ExportImage(path.c_str(), GetClientWidth(), GetClientHeight());
}

bool PlaceImageOnCurrentFace() {
  static const char kFilter[] =
      "Image Files (*.png;*.jpg;*.gif;*.bmp;*.tif)|*.png;*.jpg;*.jpeg;*.gif;*.bmp;*.tif;*.tiff|All Files (*.*)|*.*||";
  Poly* poly = GetCurrentPoly();
  PolyElement* face = poly ? poly->GetCurrentFace() : nullptr;
  if (!face || face->GetImage()) return false;
  std::string path;
  if (!AskFileToOpen("Choose Image for Face", path, "png", kFilter, &DefaultFolder(DefaultFolderKind::Image),
                     nullptr)) {
    return false;
  }
  // The face is looked up again: the model may have changed while the dialog was open.
  if (poly != GetCurrentPoly() || face != poly->GetCurrentFace() || face->GetImage()) return false;
  if (!PlaceImageOnFaces(poly, face, path.c_str(), kImageProjectPerFace, kImageBoundaryBorder, 0, nullptr)) {
    return false;
  }
  RedrawAllViews(false, false);
  return true;
}

void InstallPaneModeCommands(wxFrame* frame) {
  using namespace detail_PaneModeCommands;
  RemovePaneModeCommands();
  gFrame = dynamic_cast<NewFrame*>(frame);
  if (!gFrame) return;
  gCommands = std::make_unique<PaneModeCommands>();
  gFrame->AddCommandTarget(gCommands.get());
  PaneModeCommands::MarkAvailable(true);
  gPreviousRefresher = SetModeHelpRefresher(ShowModeHelp);
}

void RemovePaneModeCommands() {
  using namespace detail_PaneModeCommands;
  if (!gCommands) return;
  if (gFrame && GetMainFrame() == gFrame) gFrame->RemoveCommandTarget(gCommands.get());
  PaneModeCommands::MarkAvailable(false);
  SetModeHelpRefresher(gPreviousRefresher);
  gPreviousRefresher = nullptr;
  gCommands.reset();
  gFrame = nullptr;
}

}  // namespace corvia
