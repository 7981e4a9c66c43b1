// The Poly menu's derived models (subdivided faces, geodesic spheres), the Stellation
// menu's steps through the stellations of the shown side and its display options, and
// the Faceting menu's criteria, limits and browse modes.

#include <array>
#include <cstdio>
#include <memory>

#include "app/MenuCommands.h"
#include "app/Settings.h"
#include "core/Messages.h"
#include "model/ColorSchemes.h"
#include "model/Globals.h"
#include "model/Poly.h"
#include "model/Subdivision.h"
#include "render/DisplaySettings.h"
#include "stellation/FaceTypeBlock.h"
#include "stellation/Faceting.h"
#include "stellation/StellationCell.h"
#include "symmetry/SimplePoly.h"
#include "ui/CommandIds.h"

namespace corvia {

namespace detail_MenuCommandsModel {

using menu_commands::Mark;

// Undo steps of the derived models: a subdivision is a plain model change.
constexpr int kUndoModelChange = 2;
constexpr int kUndoGeodesicSphere = 16;

constexpr int kCmdStellationPrevious = 32816;
constexpr int kCmdStellationNext = 32815;
constexpr int kCmdFillInaccessibleCells = 32868;
constexpr int kCmdHighlight = 32795;
constexpr int kCmdShowStellationDiagram = 32796;

// The numbers the prompts start from: the last ones asked for.
int gSubdivisions = 2;
int gGeodesicFrequency = 2;

Poly* Current() { return GetCurrentPoly(); }

void EnableWithModel(MenuItemState& state) { state.enabled = Current() != nullptr; }

// ---- Poly -------------------------------------------------------------------------

// The model of the shown side cut into smaller triangles, made the current model.
void MakeSubdivided(uint32_t flags, const char* prompt, int& number, int undoType) {
  Poly* poly = Current();
  if (!poly || !menu_commands::AskWholeNumber(prompt, number)) return;
  std::unique_ptr<SimplePoly> made = poly->Subdivide(flags, number);
  if (made) made->CreatePolyWithUndo(undoType, true, false);
}

void SubdivideFaces() { MakeSubdivided(0, "Enter number of edge subdivisions", gSubdivisions, kUndoModelChange); }

void CreateGeodesicSphere() {
  MakeSubdivided(kSubdivideGeodesic, "Enter frequency of geodesic sphere", gGeodesicFrequency, kUndoGeodesicSphere);
}

// ---- Stellation -------------------------------------------------------------------

// The shown side's block with its cells, stellated first when it is not yet; null
// (the set-up having said why) when it cannot be stellated.
FaceTypeBlock* StellatedShownBlock() {
  Poly* poly = Current();
  if (!poly) return nullptr;
  FaceTypeBlock* block = poly->GetShownBlock();
  if (!block) return nullptr;
  if (!block->IsStellated() || !block->mFirstCell) poly->Stellate(block, false);
  return block->IsStellated() && block->mFirstCell ? block : nullptr;
}

// Runs a change of the cells as one undo step.
template <typename Change>
void ChangeCells(Change change) {
  FaceTypeBlock* block = StellatedShownBlock();
  if (!block) return;
  AddStellationUndo(block);
  change(block);
  CloseStellationUndo();
  menu_commands::RedrawPanes();
}

void NextStellation() {
  ChangeCells([](FaceTypeBlock* block) { block->NextStellation(); });
}
void PreviousStellation() {
  ChangeCells([](FaceTypeBlock* block) { block->PreviousStellation(); });
}
void OriginalStellation() {
  ChangeCells([](FaceTypeBlock* block) { block->ApplyCellFlags(); });
}
void FillInaccessibleCells() {
  ChangeCells([](FaceTypeBlock* block) { block->FillInaccessibleCells(); });
}

// Original Polyhedron is there to go back to once the cells differ from the model's.
void UpdateOriginalStellation(MenuItemState& state) {
  Poly* poly = Current();
  FaceTypeBlock* block = poly ? poly->GetShownBlock() : nullptr;
  state.enabled = block && !FaceTypeBlock::IsOriginalStellation(block);
}

void SetHighlightMode(int mode) {
  SetSelectionHighlight(mode);
  menu_commands::RedrawPanes();
}
void Highlight() { SetHighlightMode(kSelectionHighlight); }
void ShowStellationDiagram() { SetHighlightMode(kSelectionShowDiagram); }
void UpdateHighlight(MenuItemState& state) { Mark(state, SelectionHighlightMode == kSelectionHighlight); }
void UpdateShowStellationDiagram(MenuItemState& state) {
  Mark(state, SelectionHighlightMode == kSelectionShowDiagram);
}

// The stored setting and the stellation's own switch stay one.
void ToggleAutoFrame() {
  AppSettings& settings = GetAppSettings();
  settings.autoFrameStellation = !settings.autoFrameStellation;
  AutoFrameStellation = settings.autoFrameStellation;
}
void UpdateAutoFrame(MenuItemState& state) { Mark(state, GetAppSettings().autoFrameStellation); }

// ---- Faceting ---------------------------------------------------------------------

constexpr std::array<int, kNumFacetingCriteria> kCriteriaCommands = {
    kCmdFacetingIsohedral, kCmdFacetingTidyAndDuals, kCmdFacetingTidy, kCmdFacetingCoplanarVerts};
constexpr std::array<int, 4> kBrowseCommands = {kCmdFacetingStepFacetings, kCmdFacetingStepEdges,
                                                kCmdFacetingStepPlanes, kCmdFacetingStepFacets};

template <int kCriteria>
void SetCriteria() {
  SetFacetingCriteria(kCriteria);
  menu_commands::RedrawPanes();
}
template <int kCriteria>
void UpdateCriteria(MenuItemState& state) {
  Mark(state, GetFacetingSettings().criteria == kCriteria);
}

template <int kMode>
void SetBrowseMode() {
  SetFacetingBrowseMode(kMode);
}
template <int kMode>
void UpdateBrowseMode(MenuItemState& state) {
  Mark(state, GetFacetingSettings().browseMode == kMode);
}

void AskMinFacetTypes() {
  if (PromptMinFacetTypes()) menu_commands::RedrawPanes();
}
void AskMaxFacetTypes() {
  if (PromptMaxFacetTypes()) menu_commands::RedrawPanes();
}
void UpdateMinFacetTypes(MenuItemState& state) {
  char text[64];
  std::snprintf(text, sizeof text, "Minimum Facet Types (%d)...", GetFacetingSettings().minFacetTypes);
  state.text = text;
}
void UpdateMaxFacetTypes(MenuItemState& state) {
  const int most = GetFacetingSettings().maxFacetTypes;
  char text[64];
  if (most == kFacetingNoLimit) {
    std::snprintf(text, sizeof text, "Maximum Facet Types (no limit)...");
  } else {
    std::snprintf(text, sizeof text, "Maximum Facet Types (%d)...", most);
  }
  state.text = text;
}

template <uint32_t kBit>
void ToggleOption() {
  ToggleFacetingOptions(kBit);
  menu_commands::RedrawPanes();
}
template <uint32_t kBit>
void UpdateOption(MenuItemState& state) {
  Mark(state, (GetFacetingSettings().options & kBit) != 0);
}

void ToggleHideDiagram() {
  GetDisplaySettings().hideFacetingDiagram = !GetDisplaySettings().hideFacetingDiagram;
  menu_commands::RedrawPanes();
}
void UpdateHideDiagram(MenuItemState& state) { Mark(state, GetDisplaySettings().hideFacetingDiagram); }
void ToggleHideVertices() {
  GetDisplaySettings().hideFacetingVertices = !GetDisplaySettings().hideFacetingVertices;
  menu_commands::RedrawPanes();
}
void UpdateHideVertices(MenuItemState& state) { Mark(state, GetDisplaySettings().hideFacetingVertices); }

std::vector<MenuCommand> MakeCommands() {
  std::vector<MenuCommand> commands = {
      {kCmdSubdivideFaces, SubdivideFaces, EnableWithModel},
      {kCmdGeodesicSphere, CreateGeodesicSphere, EnableWithModel},
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

const std::vector<MenuCommand>& GetModelMenuCommands() {
  static const std::vector<MenuCommand> commands = detail_MenuCommandsModel::MakeCommands();
  return commands;
}

}  // namespace corvia
