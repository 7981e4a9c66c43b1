// The document's transparency, stereo, vertex-stepping, variation, stellation, option
// and Nets commands. Most set one program-wide option, redraw and mark their item.

#include <cstdint>
#include <memory>
#include <vector>

#include "app/DocCommands.h"
#include "app/ModelChange.h"
#include "app/ModelUndo.h"
#include "app/PolyDoc.h"
#include "app/PolyView.h"
#include "app/ViewType.h"
#include "construction/DerivedNames.h"
#include "construction/ModelFactory.h"
#include "construction/Variations.h"
#include "core/Messages.h"
#include "core/Progress.h"
#include "ui/Prompts.h"
#include "core/Units.h"
#include "model/CreatePoly.h"
#include "model/FaceTypeBlock.h"
#include "model/Globals.h"
#include "model/Poly.h"
#include "model/PolyBuild.h"
#include "nets/Edge3D.h"
#include "nets/Model3D.h"
#include "nets/NetFlags.h"
#include "nets/NetSettings.h"
#include "platform/Services.h"
#include "render/DisplaySettings.h"
#include "render/LightSets.h"
#include "render/NewView.h"
#include "render/OpenGLView.h"
#include "symmetry/SimplePoly.h"

namespace corvia {

namespace detail_DocCommandsOptions {

using doc_commands::CurrentPoly;
using doc_commands::Mark;
using doc_commands::Redraw;

// Undo steps of these commands.
constexpr int kUndoVariation = 25;

// ---- Transparency and stereo -------------------------------------------------------------

void SetTransparencyType(int type) {
  GetDisplaySettings().transparencyType = type;
  Redraw();
}

// The mode the stereo items are marked by: that of the first 3D pane (the modes are
// set on the 3D panes only).
int ShownStereoMode() {
  for (NewView* v = NewView::GetFirstView(); v; v = v->GetNext()) {
    auto* view = dynamic_cast<OpenGLView*>(v);
    if (view && view->Is3D()) return view->GetStereoMode();
  }
  return kStereoNone;
}

// The glasses modes keep the normal lights with rainbow colours (the colours come from
// the glasses); the others use the rainbow lights again.
void SetStereo(int mode) {
  SetRainbowFlags(kRainbowKeepLights, mode >= kStereoRedCyan);
  SetRainbowColors((GetRainbowFlags() & kRainbowColors) != 0);
  SetStereoModeAllViews(mode);
  // Side by side each eye has half the pane: the model is framed for the view it gets.
  FitViewsOfKind(kViewFlag3D);
  Redraw();
}

// ---- The Poly menu ---------------------------------------------------------------------------

bool CanAddVertex() {
  Poly* poly = CurrentPoly();
  return poly && poly->mTemplate && poly->mBuildState == kBuildRunning;
}

void AddVertex() {
  Poly* poly = CurrentPoly();
  if (!poly) return;
  poly->BuildStep();
  // A step that types the faces again moves a selection to the first face.
  ShowSelectionChangeOf(poly);
  if (poly->mBuildState != kBuildRunning) {
    if (CPolyDoc* document = GetDocument()) document->UpdateAfterChange(0);
  }
  Redraw();
}

bool CanRemoveVertex() {
  Poly* poly = CurrentPoly();
  return poly && poly->mTemplate && poly->mMatchCounter >= 2;
}

void RemoveVertex() {
  Poly* poly = CurrentPoly();
  if (!poly) return;
  const bool wasFinished = poly->mBuildState != kBuildRunning;
  poly->RemoveVertex(true);
  if (wasFinished) {
    if (CPolyDoc* document = GetDocument()) document->UpdateAfterChange(0);
  }
  Redraw();
}

// What Go to Variation makes of the current model. A model that the builder grew from
// its vertex configuration and that left choices open on the way takes the next
// branch of its build: another solution of the same configuration, the pseudo
// version. Any other model was made from a plain description (its vertices and
// faces), whose mirror image it becomes. A chiral model always becomes its mirror
// image: the builder keeps one hand of each solution, so its other branches never
// lead to the other hand.
enum class Variation { kNone, kMirrorImage, kPseudoVersion };

Variation VariationOf(const Poly* poly) {
  if (!poly || poly->mFaces.mCount == 0) return Variation::kNone;
  if (poly->mTemplate && poly->mBuildRecord && poly->mReflexible) {
    return poly->mBuildState == kBuildFinishedWithChoices ? Variation::kPseudoVersion : Variation::kNone;
  }
  return Variation::kMirrorImage;
}

// The plain description of the base side, reflected in the plane the symmetry
// group's orientation gives (x = 0 for the standard orientation), and built again.
// The undo step and the transition come with the new model; a failed build leaves
// the model shown as it was and records nothing. A model that is its own mirror image
// is told so and stays as it is, with its file.
void CreateMirrorImage(Poly* poly) {
  std::unique_ptr<SimplePoly> mirror = MakeMirrorImage(*poly);
  if (!mirror) return;
  const std::unique_ptr<SimplePoly> model(CreateSimplePoly(poly, kDeriveBase, nullptr, nullptr));
  if (model && IsOwnMirrorImage(*model, *mirror)) {
    ShowInformation("%s, so there is no other model to make.", kOwnMirrorImageText);
    return;
  }
  // The mirror image of a catalogued model is that model still, of the same vertex
  // configuration (and so with its catalogue numbers).
  mirror->polyTemplate = poly->mTemplate;
  LibraryEntry* entry = poly->mLibraryEntry;
  LibraryEntry* entryOfDual = poly->mLibraryEntryOfDual;
  if (!CreatePolyWithUndo(*mirror, kUndoVariation, true, true)) return;
  Poly* made = CurrentPoly();
  CPolyDoc* document = GetDocument();
  if (!made || (!entry && !entryOfDual) || !document) return;
  if (entry) {
    made->mLibraryEntry = entry;
  } else {
    made->SetLibraryEntryOfDual(entryOfDual);
  }
  document->UpdateAfterChange(kChangeTitleOnly);
}

// The pseudo version becomes the current model, set up from its own symmetry. A model
// of the library (the pseudo-rhombicuboctahedron is the Johnson solid J37) is named
// and catalogued as that record; any other keeps the configuration and the catalogue
// entry it is a version of, and its name says it is the pseudo version.
void CreatePseudoVersion(Poly* poly) {
  platform::WaitCursorScope busy;
  // What it is made from and the model built from it are one piece of work with one
  // window, which a Cancel anywhere stops.
  ProgressScope progress;
  std::unique_ptr<SimplePoly> version = FindPseudoVersion(*poly);
  if (!version) {
    ShowInformation("There is no other version of this polyhedron.");
    return;
  }
  const int cancels = GetProgressCancelCount();
  if (NameAsLibraryModel(*version)) {
    if (!CreateDerivedPolyWithUndo(*version, kUndoVariation, false, true)) return;
    if (Poly* made = CurrentPoly()) made->mTookBranch = 1;
    return;
  }
  if (GetProgressCancelCount() != cancels) return;
  version->polyTemplate = poly->mTemplate;
  LibraryEntry* entry = poly->mLibraryEntry;
  if (!CreatePolyWithUndo(*version, kUndoVariation, false, true)) return;
  Poly* made = CurrentPoly();
  if (!made) return;
  made->mTookBranch = 1;
  made->mLibraryEntry = entry;
  if (CPolyDoc* document = GetDocument()) document->UpdateAfterChange(kChangeTitleOnly);
  platform::Services().views->InvalidateInfo(kInfoReasonNames);
}

void GoToVariation() {
  Poly* poly = CurrentPoly();
  switch (VariationOf(poly)) {
    case Variation::kMirrorImage:
      CreateMirrorImage(poly);
      break;
    case Variation::kPseudoVersion:
      CreatePseudoVersion(poly);
      break;
    case Variation::kNone:
      break;
  }
}

void UpdateVariation(CommandUi& ui) {
  const Variation variation = VariationOf(CurrentPoly());
  ui.enabled = variation != Variation::kNone;
  ui.text = variation == Variation::kMirrorImage     ? "Create Mirror Image"
            : variation == Variation::kPseudoVersion ? "Create Pseudo Version"
                                                     : "Mirror Image/Pseudo Version";
}

// ---- Nets -------------------------------------------------------------------------------------

void RefreshNetPanes() {
  Redraw();
  InvalidateViewsOfKind(kViewFlagNet, false);
}

// Makes the nets of both sides again where the blocks hold nets.
void RemakeNets() {
  if (Poly* poly = CurrentPoly()) {
    for (FaceTypeBlock* block : {poly->mBaseBlock.get(), poly->mDualBlock.get()}) {
      Model3D* model = block ? block->GetExistingModel3D() : nullptr;
      if (model && model->HasNets()) model->MakeNets();
    }
  }
  // Nets made again are laid out afresh: their panes frame them again.
  FitViewsOfKind(kViewFlagNet);
  RefreshNetPanes();
}

void AskMaxFacesPerNet() {
  int value = GetUnitSettings().mMaxFacesPerNet;
  if (!AskNumber("Maximum number of faces allowed per net:", value)) return;
  GetUnitSettings().mMaxFacesPerNet = value < 1 ? 1 : value;
  RemakeNets();
}

void SetCoincEdgeMethod(int32_t method) {
  GetUnitSettings().mCoincEdgeMethod = method;
  RemakeNets();
}

void SetColourMixing(int32_t mixing) {
  GetUnitSettings().mSingleColorPages = mixing;
  RefreshNetPanes();
}

void RebuildCurrentTabs() {
  if (Model3D* model = GetCurrentModel3D()) model->RebuildTabs();
  RefreshNetPanes();
}

Edge3D* SelectedNetEdge() {
  Model3D* model = GetCurrentModel3D();
  return model ? model->mSelectedEdge : nullptr;
}

constexpr uint32_t kTabBits = kEdgeTabNone | kEdgeTabSingle | kEdgeTabDouble;

// The tab kind of the selected net edge and its partner, or of every edge without one.
void SetTabKind(int32_t kind) {
  Edge3D* edge = SelectedNetEdge();
  if (!edge) {
    GetNetSettings().tabType = kind;
    RebuildCurrentTabs();
    return;
  }
  // Without a partner in the net only the selected edge changes.
  Edge3D* partner = Edge3D::GetNeighInNet(edge, false);
  const uint32_t bit = GetTabKindFlag(kind);
  if (kind == kTabKindSingle) {
    // A single tab sits on one edge of the pair: choosing it again moves it across.
    const bool moveAcross = edge->Has(kEdgeTabSingle) || GetNetSettings().tabType == kTabKindSingle;
    Edge3D* carrier = edge;
    Edge3D* other = partner;
    if (moveAcross && partner) {
      carrier = edge->Has(kEdgeHasTab) ? partner : edge;
      other = carrier == edge ? partner : edge;
    }
    carrier->flags |= kEdgeHasTab;
    if (other) other->flags &= ~kEdgeHasTab;
  }
  for (Edge3D* e : {edge, partner}) {
    if (e) e->flags = (e->flags & ~kTabBits) | bit;
  }
  RebuildCurrentTabs();
}

void UpdateTabKind(CommandUi& ui, int32_t kind) {
  if (const Edge3D* edge = SelectedNetEdge()) {
    const uint32_t bit = GetTabKindFlag(kind);
    Mark(ui, bit ? edge->Has(bit) : !edge->Has(kTabBits));
  } else {
    Mark(ui, GetNetSettings().tabType == kind);
  }
}

void AskTabSize() {
  UnitSettings& units = GetUnitSettings();
  double size = units.TwipsToUnits(GetNetSettings().tabSizeTwips);
  if (!AskReal("Enter tab size", size, 0)) return;
  if (!(size > 0.0)) {
    ShowError("The tab size must be greater than zero.");
    return;
  }
  GetNetSettings().tabSizeTwips = units.UnitsToTwips(size);
  RebuildCurrentTabs();
}

void SelectNeighbouringEdge() {
  Model3D* model = GetCurrentModel3D();
  Edge3D* edge = model ? model->mSelectedEdge : nullptr;
  Edge3D* neighbour = edge ? Edge3D::GetNeighInNet(edge, false) : nullptr;
  if (neighbour) {
    DescribeSelectedEdge(model, neighbour);
    ShowSelectionChangeOf(model->mPoly);
  }
  RefreshNetPanes();
}

void SetFoldingNetsShown(int32_t mode) {
  GetNetSettings().displayMode = mode;
  InvalidateViewsOfKind(kViewFoldingNet, false);
}

void ToggleFoldingTabs() {
  GetNetSettings().show3DTabs = !GetNetSettings().show3DTabs;
  InvalidateViewsOfKind(kViewFoldingNet, false);
}

constexpr uint32_t kEdgeDataKinds = 0x7F;

// An edge data item chosen again shows none; another becomes the only one. The face
// angles bit stays either way.
void ChooseEdgeData(uint32_t kind) {
  uint32_t& data = GetNetSettings().edgeData;
  data = (data & ~kEdgeDataKinds) | ((data & kEdgeDataKinds) == kind ? 0 : kind);
  RefreshNetPanes();
}

void ToggleFaceAngles() {
  GetNetSettings().edgeData ^= kEdgeDataFaceAngles;
  RefreshNetPanes();
}

// ---- The table ---------------------------------------------------------------------------------

#define STEREO(id, mode) {id, [] { SetStereo(mode); }, [](CommandUi& ui) { Mark(ui, ShownStereoMode() == (mode)); }}
#define COINC(id, method)                                      \
  {id, [] { SetCoincEdgeMethod(method); },                     \
   [](CommandUi& ui) { Mark(ui, GetUnitSettings().mCoincEdgeMethod == (method)); }}
#define MIXING(id, value)                                      \
  {id, [] { SetColourMixing(value); },                         \
   [](CommandUi& ui) { Mark(ui, GetUnitSettings().mSingleColorPages == (value)); }}
#define TABS(id, kind) {id, [] { SetTabKind(kind); }, [](CommandUi& ui) { UpdateTabKind(ui, kind); }}
#define FOLDING(id, mode) \
  {id, [] { SetFoldingNetsShown(mode); }, [](CommandUi& ui) { Mark(ui, GetNetSettings().displayMode == (mode)); }}
#define EDGE_DATA(id, kind)                                    \
  {id, [] { ChooseEdgeData(kind); },                           \
   [](CommandUi& ui) { Mark(ui, (GetNetSettings().edgeData & kEdgeDataKinds) == (kind)); }}

constexpr int32_t kMixingAllowed = 0;

std::vector<DocCommand> MakeTable() {
  return {
      {32802, [] { SetTransparencyType(kTransparencyScreenDoor); },
       [](CommandUi& ui) { Mark(ui, GetDisplaySettings().transparencyType == kTransparencyScreenDoor); }},
      {32803, [] { SetTransparencyType(kTransparencyBlended); },
       [](CommandUi& ui) { Mark(ui, GetDisplaySettings().transparencyType == kTransparencyBlended); }},
      STEREO(32804, kStereoNone),
      STEREO(32805, kStereoParallel),
      STEREO(32806, kStereoCrossEyed),
      STEREO(33475, kStereoRedCyan),
      STEREO(32807, kStereoRedBlue),
      STEREO(32809, kStereoRedGreen),
      STEREO(33476, kStereoCyanRed),
      STEREO(32808, kStereoBlueRed),
      STEREO(32810, kStereoGreenRed),
      {32776,
       [] {
         if (CPolyDoc* document = GetDocument()) document->SetOneVertexAtATime(!document->IsOneVertexAtATime());
       },
       [](CommandUi& ui) {
         const CPolyDoc* document = GetDocument();
         ui.enabled = document != nullptr;
         Mark(ui, document && document->IsOneVertexAtATime());
       }},
      {32777, AddVertex, [](CommandUi& ui) { ui.enabled = CanAddVertex(); }},
      {32779, RemoveVertex, [](CommandUi& ui) { ui.enabled = CanRemoveVertex(); }},
      {32780, GoToVariation, UpdateVariation},
      {33503, [] { SetTransitionsEnabled(!AreTransitionsEnabled()); },
       [](CommandUi& ui) { Mark(ui, AreTransitionsEnabled()); }},
      {32903, AskMaxFacesPerNet, nullptr},
      COINC(32899, kCoincEdgeTongueInGroove),
      COINC(32900, kCoincEdgeInternalSupport),
      COINC(32901, kCoincEdgeNoInternalSupport),
      COINC(32902, kCoincEdgeUnconnected),
      MIXING(33280, kSingleColorPagesAuto),
      MIXING(32874, kSingleColorPagesYes),
      MIXING(33282, kMixingAllowed),
      TABS(33512, kTabKindDefault),
      TABS(33507, kTabKindNone),
      TABS(33508, kTabKindSingle),
      TABS(33509, kTabKindDouble),
      {33510, AskTabSize, nullptr},
      {33513, SelectNeighbouringEdge,
       [](CommandUi& ui) {
         const Edge3D* edge = SelectedNetEdge();
         ui.enabled = edge && Edge3D::GetNeighInNet(edge, false);
       }},
      FOLDING(33160, kShowAllNets),
      FOLDING(33205, kShowCurrentNetType),
      FOLDING(33206, kShowCurrentNet),
      {33515, ToggleFoldingTabs, [](CommandUi& ui) { Mark(ui, GetNetSettings().show3DTabs); }},
      EDGE_DATA(33505, 0),
      EDGE_DATA(33504, kEdgeDataConnectionIds),
      EDGE_DATA(32876, kEdgeDataNames),
      EDGE_DATA(33511, kEdgeDataTypeNames),
      EDGE_DATA(33000, kEdgeDataLengths),
      EDGE_DATA(33001, kEdgeDataDihedrals),
      EDGE_DATA(33128, kEdgeDataMitres),
      {33135, ToggleFaceAngles, [](CommandUi& ui) { Mark(ui, (GetNetSettings().edgeData & kEdgeDataFaceAngles) != 0); }},
  };
}

#undef STEREO
#undef COINC
#undef MIXING
#undef TABS
#undef FOLDING
#undef EDGE_DATA

}  // namespace detail_DocCommandsOptions

const std::vector<DocCommand>& GetOptionCommands() {
  static const std::vector<DocCommand> table = detail_DocCommandsOptions::MakeTable();
  return table;
}

}  // namespace corvia
