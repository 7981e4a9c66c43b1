// The Poly menu's derived models (subdivided faces, geodesic spheres), the Stellation
// menu's steps through the stellations of the shown side and its display options, and
// the Faceting menu's criteria, limits and browse modes.

#include <array>
#include <cstdio>
#include <memory>

#include "app/ModelChange.h"
#include "app/DocCommands.h"
#include "app/Settings.h"
#include "construction/StellationNames.h"
#include "core/Messages.h"
#include "core/Progress.h"
#include "core/Units.h"
#include "render/OutcomeBoxes.h"
#include "ui/Prompts.h"
#include "dialogs/TorusDialog.h"
#include "model/ColorSchemes.h"
#include "model/CreatePoly.h"
#include "model/FaceTypeBlock.h"
#include "model/Globals.h"
#include "model/Poly.h"
#include "model/Subdivision.h"
#include "platform/Services.h"
#include "platform/UndoHooks.h"
#include "render/DisplaySettings.h"
#include "stellation/Faceting.h"
#include "stellation/Stellate.h"
#include "stellation/StellationCell.h"
#include "stellation/StellationCriteria.h"
#include "symmetry/SimplePoly.h"
#include "ui/CommandIds.h"

namespace corvia {

namespace detail_MenuCommandsModel {

using doc_commands::Mark;

// Undo steps of the derived models: a torus is a new model, a subdivision a plain
// model change.
constexpr int kUndoNewModel = 0;
constexpr int kUndoGeodesicSphere = 16;

constexpr int kCmdStellationPrevious = 32816;
constexpr int kCmdStellationNext = 32815;
constexpr int kCmdFillInaccessibleCells = 32868;
constexpr int kCmdHighlight = 32795;
constexpr int kCmdShowStellationDiagram = 32796;

// Said in the pane when the user declines (or cancels) the stellation a step needs.
constexpr const char* kStellationDeclined =
    "Stellation cancelled: the model is not stellated.\nStep again (Up, or Stellation > Next) to be asked again.";

// The numbers the prompts start from: the last ones asked for.
int gSubdivisions = 2;
int gGeodesicFrequency = 2;

void EnableWithModel(CommandUi& ui) {
  ui.enabled = doc_commands::CurrentPoly() != nullptr;
}

// ---- Poly -------------------------------------------------------------------------

// The model of the shown side cut into smaller triangles, made the current model.
void MakeSubdivided(uint32_t flags, const char* prompt, int& number, int undoType) {
  Poly* poly = doc_commands::CurrentPoly();
  if (!poly || !AskNumber(prompt, number)) return;
  // The lattice and the model built from it are one piece of work with one window: a
  // Cancel clicked as the lattice ends is read by the build, not lost with a window
  // that closes between them.
  ProgressScope progress;
  Outcome outcome;
  std::unique_ptr<SimplePoly> made = poly->Subdivide(flags, number, &outcome);
  TellOutcome(outcome);
  if (made) CreatePolyWithUndo(*made, undoType, true, false);
}

void SubdivideFaces() {
  MakeSubdivided(0, "Enter number of edge subdivisions", gSubdivisions, kUndoModelChange);
}

void CreateGeodesicSphere() {
  MakeSubdivided(kSubdivideGeodesic,
                 "The geodesic sphere subdivides the faces of the current model:\n"
                 "each edge is cut into as many parts as the frequency, and the new\n"
                 "vertices are pushed out onto the model's sphere.\n\n"
                 "Enter frequency of geodesic sphere",
                 gGeodesicFrequency, kUndoGeodesicSphere);
}

// The torus of the "Create a torus" dialog, in colours of its own.
void CreateTorusModel() {
  Outcome outcome;
  std::unique_ptr<SimplePoly> torus = RunTorusDialog(outcome);
  if (!torus) {
    TellOutcome(outcome);
    return;
  }
  // A new model: the user's size on paper, not the scale of the model shown.
  torus->scale = GetUnitSettings().mUserLengthScale;
  CreatePolyWithUndo(*torus, kUndoNewModel, false, true);
}

// ---- Stellation -------------------------------------------------------------------

// The shown side's block with its cells, stellated first when it is not yet; null
// (the set-up having said why) when it cannot be stellated. A stellation the user
// declined or cancelled before is asked about again: the step is never silent.
FaceTypeBlock* StellatedShownBlock() {
  Poly* poly = doc_commands::CurrentPoly();
  if (!poly) return nullptr;
  FaceTypeBlock* block = poly->GetShownBlock();
  if (!block) return nullptr;
  if (!block->IsStellated() || !block->mFirstCell) TellOutcome(StellateForStep(poly, block));
  if (block->IsStellated() && block->mFirstCell) return block;
  if (block->mStellationDeclined) platform::Services().views->SetPaneMessage(kStellationDeclined);
  return nullptr;
}

using doc_commands::ChangeStellationCells;

// Says in the pane which stellation a step came to, and when it went round the end.
void TellStellationShown(const StellationStepResult& result, StellationStep step) {
  Poly* poly = doc_commands::CurrentPoly();
  FaceTypeBlock* block = poly ? poly->GetShownBlock() : nullptr;
  if (!block || !block->IsStellated() || result.cancelled) return;
  platform::ViewNotifier* views = platform::Services().views;
  if (!result.refusal.empty()) {
    views->SetPaneMessage(result.refusal);
    return;
  }
  const std::string shown = DescribeShownStellation(poly, block, false);
  std::string text = shown.empty() ? std::string() : "Stellation " + shown;
  if (result.wrapped && shown == "1 of 1") {
    text = "There is only one stellation.";
  } else if (result.wrapped) {
    text = std::string(step == StellationStep::kNext ? "That was the last stellation: back to the first"
                                                     : "That was the first stellation: on to the last") +
           (shown.empty() ? "." : " (" + shown + ").");
  }
  if (!text.empty() && step != StellationStep::kPlace) views->SetPaneMessage(text);
  views->RedrawAllViews(true);
  views->InvalidateInfo(kInfoReasonStellation);
}

void NextStellation() {
  doc_commands::StepShownStellation(StellationStep::kNext);
}
void PreviousStellation() {
  doc_commands::StepShownStellation(StellationStep::kPrevious);
}
void OriginalStellation() {
  ChangeStellationCells([](FaceTypeBlock* block) { block->ApplyCellFlags(); });
}
void FillInaccessibleCells() {
  ChangeStellationCells([](FaceTypeBlock* block) { block->FillInaccessibleCells(); });
}

// Original Polyhedron is there to go back to once the cells differ from the model's.
void UpdateOriginalStellation(CommandUi& ui) {
  Poly* poly = doc_commands::CurrentPoly();
  FaceTypeBlock* block = poly ? poly->GetShownBlock() : nullptr;
  ui.enabled = block && !FaceTypeBlock::IsOriginalStellation(block);
}

void SetHighlightMode(int mode) {
  SetSelectionHighlight(mode);
  doc_commands::Redraw();
}
void Highlight() {
  SetHighlightMode(kSelectionHighlight);
}
void ShowStellationDiagram() {
  SetHighlightMode(kSelectionShowDiagram);
}
void UpdateHighlight(CommandUi& ui) {
  Mark(ui, SelectionHighlightMode == kSelectionHighlight);
}
void UpdateShowStellationDiagram(CommandUi& ui) {
  Mark(ui, SelectionHighlightMode == kSelectionShowDiagram);
}

// The stored setting and the stellation's own switch stay one.
void ToggleAutoFrame() {
  AppSettings& settings = GetAppSettings();
  settings.autoFrameStellation = !settings.autoFrameStellation;
  AutoFrameStellation = settings.autoFrameStellation;
}
void UpdateAutoFrame(CommandUi& ui) {
  Mark(ui, GetAppSettings().autoFrameStellation);
}

// ---- Faceting ---------------------------------------------------------------------

constexpr std::array<int, kNumFacetingCriteria> kCriteriaCommands = {kCmdFacetingIsohedral, kCmdFacetingTidyAndDuals,
                                                                     kCmdFacetingTidy, kCmdFacetingCoplanarVerts};
constexpr std::array<int, 4> kBrowseCommands = {kCmdFacetingStepFacetings, kCmdFacetingStepEdges,
                                                kCmdFacetingStepPlanes, kCmdFacetingStepFacets};

template <int kCriteria>
void SetCriteria() {
  SetFacetingCriteria(kCriteria);
  doc_commands::Redraw();
}
template <int kCriteria>
void UpdateCriteria(CommandUi& ui) {
  Mark(ui, GetFacetingSettings().criteria == kCriteria);
}

template <int kMode>
void SetBrowseMode() {
  SetFacetingBrowseMode(kMode);
}
template <int kMode>
void UpdateBrowseMode(CommandUi& ui) {
  Mark(ui, GetFacetingSettings().browseMode == kMode);
}

// Counts the facetings of the shown side under the criteria and reports them; the
// search leaves the last faceting it found drawn, which undo takes back.
void EnumerateFacetings() {
  Faceting* faceting = GetCurrentFaceting();
  if (!faceting) return;
  platform::Services().undo->AddUndo(kUndoDrawnPolygons, 0);
  faceting->EnumerateAndReport();
  if (const Outcome prepared = faceting->TakePreparationOutcome(); !prepared.done()) {
    platform::Services().undo->DiscardLastUndo();
    TellOutcome(prepared);
  }
  doc_commands::Redraw();
}

void AskMinFacetTypes() {
  if (PromptMinFacetTypes()) doc_commands::Redraw();
}
void AskMaxFacetTypes() {
  if (PromptMaxFacetTypes()) doc_commands::Redraw();
}
void UpdateMinFacetTypes(CommandUi& ui) {
  char text[64];
  std::snprintf(text, sizeof text, "Minimum Facet Types (%d)...", GetFacetingSettings().minFacetTypes);
  ui.text = text;
}
void UpdateMaxFacetTypes(CommandUi& ui) {
  const int most = GetFacetingSettings().maxFacetTypes;
  char text[64];
  if (most == kFacetingNoLimit) {
    std::snprintf(text, sizeof text, "Maximum Facet Types (no limit)...");
  } else {
    std::snprintf(text, sizeof text, "Maximum Facet Types (%d)...", most);
  }
  ui.text = text;
}

template <uint32_t kBit>
void ToggleOption() {
  ToggleFacetingOptions(kBit);
  doc_commands::Redraw();
}
template <uint32_t kBit>
void UpdateOption(CommandUi& ui) {
  Mark(ui, (GetFacetingSettings().options & kBit) != 0);
}

void ToggleHideDiagram() {
  GetDisplaySettings().hideFacetingDiagram = !GetDisplaySettings().hideFacetingDiagram;
  doc_commands::Redraw();
}
void UpdateHideDiagram(CommandUi& ui) {
  Mark(ui, GetDisplaySettings().hideFacetingDiagram);
}
void ToggleHideVertices() {
  GetDisplaySettings().hideFacetingVertices = !GetDisplaySettings().hideFacetingVertices;
  doc_commands::Redraw();
}
void UpdateHideVertices(CommandUi& ui) {
  Mark(ui, GetDisplaySettings().hideFacetingVertices);
}

std::vector<DocCommand> MakeCommands() {
  std::vector<DocCommand> commands = {
      {kCmdSubdivideFaces, SubdivideFaces, EnableWithModel},
      {kCmdGeodesicSphere, CreateGeodesicSphere, EnableWithModel},
      {kCmdCreateTorus, CreateTorusModel, nullptr},
      {kCmdStellationNext, NextStellation, EnableWithModel},
      {kCmdStellationPrevious, PreviousStellation, EnableWithModel},
      {kCmdOriginalStellation, OriginalStellation, UpdateOriginalStellation},
      {kCmdFillInaccessibleCells, FillInaccessibleCells, EnableWithModel},
      {kCmdHighlight, Highlight, UpdateHighlight},
      {kCmdShowStellationDiagram, ShowStellationDiagram, UpdateShowStellationDiagram},
      {kCmdAutoFrameStellation, ToggleAutoFrame, UpdateAutoFrame},
      {kCriteriaCommands[0], SetCriteria<0>, UpdateCriteria<0>},
      {kCriteriaCommands[1], SetCriteria<1>, UpdateCriteria<1>},
      {kCriteriaCommands[2], SetCriteria<2>, UpdateCriteria<2>},
      {kCriteriaCommands[3], SetCriteria<3>, UpdateCriteria<3>},
      {kCmdFacetingEnumerate, EnumerateFacetings, EnableWithModel},
      {kCmdFacetingMinTypes, AskMinFacetTypes, UpdateMinFacetTypes},
      {kCmdFacetingMaxTypes, AskMaxFacetTypes, UpdateMaxFacetTypes},
      {kCmdFacetingPartial, ToggleOption<kFacetingAcceptPartial>, UpdateOption<kFacetingAcceptPartial>},
      {kCmdFacetingSpiky, ToggleOption<kFacetingOnlySpiky>, UpdateOption<kFacetingOnlySpiky>},
      {kBrowseCommands[0], SetBrowseMode<kBrowseFacetings>, UpdateBrowseMode<kBrowseFacetings>},
      {kBrowseCommands[1], SetBrowseMode<kBrowseEdges>, UpdateBrowseMode<kBrowseEdges>},
      {kBrowseCommands[2], SetBrowseMode<kBrowsePlanes>, UpdateBrowseMode<kBrowsePlanes>},
      {kBrowseCommands[3], SetBrowseMode<kBrowseFacets>, UpdateBrowseMode<kBrowseFacets>},
      {kCmdFacetingHideDiagram, ToggleHideDiagram, UpdateHideDiagram},
      {kCmdFacetingHideVertices, ToggleHideVertices, UpdateHideVertices},
  };
  return commands;
}

}  // namespace detail_MenuCommandsModel

const std::vector<DocCommand>& GetModelMenuCommands() {
  static const std::vector<DocCommand> commands = detail_MenuCommandsModel::MakeCommands();
  return commands;
}

namespace doc_commands {

bool StepShownStellation(StellationStep step) {
  FaceTypeBlock* block = nullptr;
  if (step == StellationStep::kPlace) {
    // Only a side already stellated is placed: a change of criteria sets up nothing.
    Poly* poly = CurrentPoly();
    block = poly ? poly->GetShownBlock() : nullptr;
    if (!block || !block->IsStellated() || !block->mFirstCell) return true;
  } else {
    block = detail_MenuCommandsModel::StellatedShownBlock();
    if (!block) return true;
  }
  AddStellationUndo(block);
  const StellationStepResult result = StepStellations(block, step);
  CloseStellationUndo();
  Redraw();
  detail_MenuCommandsModel::TellStellationShown(result, step);
  return !result.cancelled;
}

bool ChangeStellationCells(void (*change)(FaceTypeBlock* block)) {
  FaceTypeBlock* block = detail_MenuCommandsModel::StellatedShownBlock();
  if (!block) return false;
  AddStellationUndo(block);
  change(block);
  CloseStellationUndo();
  // The titles name the stellation now shown; the words of an earlier step go.
  platform::ViewNotifier* views = platform::Services().views;
  views->SetPaneMessage({});
  views->RedrawAllViews(true);
  return true;
}

}  // namespace doc_commands

}  // namespace corvia
