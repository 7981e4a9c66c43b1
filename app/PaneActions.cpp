// The pane's own controls: what its caption buttons do, the keys it acts on while it
// has the focus (the arrows step stellations, facetings, or the augmentation preview's
// matching faces and orientations), and the augmentation command, which shows its
// preview in a pane of the side it augments.

#include <array>
#include <memory>

#include "app/DocCommands.h"
#include "app/ModelChange.h"
#include "app/DocCommandsBrowseText.h"
#include "app/PolyDoc.h"
#include "app/PolyView.h"
#include "construction/Augmentation.h"
#include "construction/ModelFactory.h"
#include "core/BigUInt.h"
#include "core/DrawnPolygon.h"
#include "core/PolygonRing.h"
#include "core/Progress.h"
#include "dialogs/AugmentDlg.h"
#include "model/CreatePoly.h"
#include "model/FaceTypeBlock.h"
#include "model/Globals.h"
#include "model/Poly.h"
#include "nets/Model3D.h"
#include "nets/Net.h"
#include "nets/NetSettings.h"
#include "platform/Services.h"
#include "platform/UndoHooks.h"
#include "render/OutcomeBoxes.h"
#include "render/ViewWindow.h"
#include "stellation/Faceting.h"
#include "stellation/StellationCriteria.h"
#include "symmetry/SimplePoly.h"
#include "ui/ElementWords.h"

namespace corvia {

namespace detail_PaneActions {

constexpr int kCmdNextStellation = 32815;
constexpr int kCmdPreviousStellation = 32816;
constexpr int kCmdNextFaceType = 32931;
constexpr int kCmdPreviousFaceType = 32932;
// The tooltip buffer the element words are rewritten in.
constexpr size_t kTooltipCapacity = 80;
// "Section > Cross-Section Direction > Along Axis 1" to 3.
constexpr std::array<int, 3> kCmdSliceAlongAxis = {33378, 33379, 33380};

// The help of the augmentation preview, shown in its pane until the first step.
constexpr const char* kPreviewHelp =
    "AUGMENTATION PREVIEW\n\nLeft/Right arrows --- Change orientation of added model\n"
    "Up/Down arrows --- Change matching face of added model\nLeft-drag --- Change height of added model\n"
    "Right-drag --- Explode or unexplode added model\nEnter --- Accept\nEsc --- Cancel";

// The augmentation whose preview the pane shows; null when it shows none.
Augmentation* PreviewOf(const CPolyView* pane) {
  Poly* poly = GetCurrentPoly();
  Augmentation* augmentation = poly ? poly->mAugmentation.get() : nullptr;
  return augmentation && augmentation->mView == pane ? augmentation : nullptr;
}

bool IsFacetingType(ViewType code) {
  return code == kViewFacetingPreview || code == kViewFacetingDiagram;
}

// A pane of one side makes that side the one the document's commands work on.
void ShowPaneSide(const CPolyView* pane) {
  Poly* poly = GetCurrentPoly();
  const ViewType code = pane->GetViewType();
  if (!poly || code == kNoViewType || !(code & (kViewFlagBase | kViewFlagDual))) return;
  poly->SetShowDual((code & kViewFlagDual) != 0);
  ShowSelectionChangeOf(poly);
}

// ---- Facetings ----------------------------------------------------------------------------

// A key of the faceting views: Up and Down step through what the browse mode names,
// Home shows the model's own faces as the facets, Ctrl+Home goes to the first faceting
// and End to the last. Each step is one undo step of the drawn facets.
void StepFaceting(int key, bool ctrl) {
  Faceting* faceting = GetCurrentFaceting();
  if (!faceting) return;
  platform::Services().undo->AddUndo(kUndoDrawnPolygons, 0);
  switch (key) {
    case kPaneKeyUp:
      faceting->StepForward();
      break;
    case kPaneKeyDown:
      faceting->StepBack();
      break;
    case kPaneKeyHome:
      if (!ctrl) {
        // The model's faces are the facets now; showing the faceting, which this
        // reset, would take them away again.
        ShowOriginalAsFaceting(GetCurrentPoly());
        return;
      }
      faceting->GoToFirst();
      break;
    default:
      faceting->GoToLast();
      break;
  }
  // A preparation cancelled or refused changed nothing: no step to undo, and a refusal
  // in words.
  if (const Outcome prepared = faceting->TakePreparationOutcome(); !prepared.done()) {
    platform::Services().undo->DiscardLastUndo();
    TellOutcome(prepared);
    return;
  }
  // A search cancelled ends the whole step: the facets drawn are as they were.
  if (faceting->WasCancelled()) {
    platform::Services().undo->DiscardLastUndo();
    return;
  }
  ShowCurrentFaceting(faceting);
}

// Whether the model has facets drawn (finished or being drawn).
bool HasDrawnFacets(const Poly* poly) {
  for (const DrawnPolygon* polygon = poly->mDrawnPolygons; polygon; polygon = polygon->next) {
    if (polygon->ring) return true;
  }
  return false;
}

// The facet being drawn joins the finished ones, once it has the three corners of a
// polygon.
void FinishDrawnFacet(CPolyView* pane, Poly* poly) {
  const DrawnPolygon* open = poly->mCurrentDrawnPolygon;
  if (!open || !open->ring) return;
  if (open->ring->next == open->ring || open->ring->next->next == open->ring) {
    NewView::SetMessage(pane, "%s", "A facet needs at least three vertices");
    return;
  }
  poly->FinishDrawnPolygon(true, true);
}

// Every facet drawn so far goes, as one undo step.
void ClearDrawnFacets(CPolyView* pane, Poly* poly) {
  if (!HasDrawnFacets(poly)) return;
  platform::Services().undo->AddUndo(kUndoDrawnPolygons, 0);
  poly->ClearDrawnPolygons(true);
  RedrawAllViews(pane->GetViewGroup(), false, false);
}

// The last corner of the facet being drawn goes, as clicking it again does.
void TakeBackFacetCorner(Poly* poly) {
  const DrawnPolygon* open = poly->mCurrentDrawnPolygon;
  if (!open || !open->ring) return;
  poly->AddFacetVertex(open->ring->prev->point);
}

// ---- Elements -------------------------------------------------------------------------------

// The nets of the pane's facet model in order: every net of every type, or the first
// net of each type.
std::vector<Net*> NetsInOrder(Model3D* model, bool everyNet) {
  std::vector<Net*> nets;
  for (NetType* type = model->mNetTypes; type; type = type->next) {
    const int count = everyNet ? type->numNets : std::min(type->numNets, 1);
    for (int i = 0; i < count; ++i) nets.push_back(&type->nets[i]);
  }
  return nets;
}

// The next or previous net type (or net, when the folding pane shows one net) becomes
// the current one, and the net panes are fitted to it.
void StepNet(CPolyView* pane, int step) {
  Model3D* model = pane->GetModel3D();
  if (!model || !model->HasNets()) return;
  const bool everyNet = pane->GetViewType() == kViewFoldingNet && GetNetSettings().displayMode == kShowCurrentNet;
  const std::vector<Net*> nets = NetsInOrder(model, everyNet);
  if (nets.size() <= 1) {
    NewView::SetMessage(pane, "%s", everyNet ? "There is only one net" : "There is only one type of net");
    return;
  }
  const int count = static_cast<int>(nets.size());
  int index = -1;
  for (int i = 0; i < count; ++i) {
    if (nets[size_t(i)] == model->mCurrentNet ||
        (!everyNet && model->mCurrentNet && nets[size_t(i)]->type == model->mCurrentNet->type)) {
      index = i;
      break;
    }
  }
  index = index < 0 ? (step > 0 ? 0 : count - 1) : ((index + step) % count + count) % count;
  model->mCurrentNet = nets[size_t(index)];
  FitViewsOfKind(kViewFlagNet);
  InvalidateViewsOfKind(kViewFlagNet, false);
}

// The section plane turns to the next or previous symmetry axis type of the model.
void StepSectionAxis(int step) {
  static int current = -1;
  const int count = static_cast<int>(kCmdSliceAlongAxis.size());
  int index = current;
  for (int tries = 0; tries < count; ++tries) {
    index = index < 0 ? (step > 0 ? 0 : count - 1) : ((index + step) % count + count) % count;
    if (RunDocCommand(kCmdSliceAlongAxis[size_t(index)])) {
      current = index;
      return;
    }
  }
}

// The element steps of a pane: face types in the face panes, vertex types in the vertex
// figure and the faceting diagram, nets in the net panes, the section's axis in the
// Cross-Section pane.
void StepElement(CPolyView* pane, int step) {
  const ViewType code = pane->GetViewType();
  if (code == kViewVertexFigure || code == kViewFacetingDiagram) {
    doc_commands::StepElementType(step, true);
  } else if (code != kNoViewType && HasViewFlags(code, kViewFlagNet)) {
    StepNet(pane, step);
  } else if (code == kViewCrossSection) {
    StepSectionAxis(step);
  } else {
    RunDocCommand(step > 0 ? kCmdNextFaceType : kCmdPreviousFaceType);
  }
}

// The edges cut by hand in the nets are joined again; a pane without such cuts says so.
void JoinCutEdges(CPolyView* pane) {
  Model3D* model = pane->GetModel3D();
  if (!model || !model->HasNets()) return;
  if (model->JoinUserCuts() == 0) {
    NewView::SetMessage(pane, "%s", "No edge of the nets has been cut by hand (Cut/Uncut Edges mode):\nthere is nothing to join.");
    return;
  }
  FitViewsOfKind(kViewFlagNet);
  InvalidateViewsOfKind(kViewFlagNet, false);
}

// What the element buttons of a pane step through, in the words of the view type.
std::string ElementTip(const CPolyView* pane, bool forward) {
  const ViewType code = pane->GetViewType();
  const char* way = forward ? "Next" : "Previous";
  if (code == kViewVertexFigure || code == kViewFacetingDiagram) return std::string(way) + " vertex type";
  if (code != kNoViewType && HasViewFlags(code, kViewFlagNet)) {
    const bool everyNet = code == kViewFoldingNet && GetNetSettings().displayMode == kShowCurrentNet;
    return std::string(way) + (everyNet ? " net" : " type of net");
  }
  if (code == kViewCrossSection) return std::string("Turn the section to the ") + (forward ? "next" : "previous") + " symmetry axis";
  // Worded as the menu item of the command the button runs.
  std::string tip = std::string(way) + " face type (Shift+" + (forward ? "Right" : "Left") + " Arrow)";
  SwapFaceCellWords(tip, CurrentElementWordState(), kTooltipCapacity);
  return tip;
}

std::string FacetingTip(bool forward) {
  static constexpr const char* kWhat[] = {"faceting", "edge", "plane", "facet"};
  const int mode = GetFacetingSettings().browseMode;
  const char* what = mode >= 0 && mode < 4 ? kWhat[mode] : kWhat[0];
  return std::string(forward ? "Next " : "Previous ") + what + (forward ? " (Up Arrow)" : " (Down Arrow)");
}

// ---- The model a pane shows ----------------------------------------------------------------

// The model the pane shows (its stellation, faceting, morph, compound or dual) becomes
// the base model.
void MakeBaseModel(CPolyView* pane) {
  Poly* poly = GetCurrentPoly();
  if (!poly) return;
  ShowPaneSide(pane);
  Outcome why;
  if (!EnterModelOfPane(poly, CPolyDoc::GetPaneViewType(pane), &why)) TellOutcome(why);
}

// ---- Augmentation ---------------------------------------------------------------------------


// The augmented model becomes the current one and the preview ends.
// The augmentation's preview ends, and its pane gets its own buttons back.
void EndAugmentation(Augmentation* augmentation) {
  augmentation->Reset();
  EndAugmentationButtonsAllViews();
}

void ApplyAugmentation(Augmentation* augmentation) {
  const uint32_t options = augmentation->mOptions;
  // The augmented faces and the model built from it are one piece of work with one
  // window, which a Cancel anywhere stops.
  ProgressScope progress;
  Outcome outcome;
  std::unique_ptr<SimplePoly> made = CreateAugmentedPoly(options, *augmentation, outcome);
  TellOutcome(outcome);
  // Without a colour option the colour scheme colours the new faces.
  if (made) CreateDerivedPolyWithUndo(*made, kUndoModelChange, AugmentationKeepsColours(options), false);
  EndAugmentation(augmentation);
}

// The pane that shows the preview: this one when it shows the side that is augmented
// as a model, else another pane that does, else this one switched to it.
CPolyView* PreviewPaneFor(CPolyView* pane, const Poly* poly) {
  const ViewType side = poly->mShowDual ? kViewDualPolyhedron : kViewBasePolyhedron;
  if (pane->GetViewType() == side) return pane;
  if (CPolyView* other = FindViewOfType(side, side)) return other;
  pane->SetViewType(side, false);
  return pane;
}

}  // namespace detail_PaneActions

std::string CPolyView::GetCaptionTip(int x, int y) const {
  using namespace detail_PaneActions;
  const auto* caption = dynamic_cast<const PolyCaptionWnd*>(GetCaptionWnd());
  if (caption && caption->GetIconRect().Contains(x, y)) return "Choose what this pane shows (view type)";
  const int hit = Buttons().HitCaptionButton(x, y);
  if (hit < 0) return std::string();
  const bool preview = GetCurrentPoly() && PreviewOf(this);
  switch (Buttons().GetButton(hit).command) {
    case kCaptionNextModel:
      return "Next polyhedron (Ctrl+Right Arrow)";
    case kCaptionPreviousModel:
      return "Previous polyhedron (Ctrl+Left Arrow)";
    case kCaptionNextStellation:
      return "Next stellation (Up Arrow)";
    case kCaptionPreviousStellation:
      return "Previous stellation (Down Arrow)";
    case kCaptionFacetingOn:
    case kCaptionFacetingBack:
      return FacetingTip(Buttons().GetButton(hit).command == kCaptionFacetingOn);
    case kCaptionElementOn:
      return preview ? "Next orientation of the augmentation (Right Arrow)" : ElementTip(this, true);
    case kCaptionElementBack:
      return preview ? "Previous orientation of the augmentation (Left Arrow)" : ElementTip(this, false);
    case kCaptionMatchOn:
      return "Next matching face for the augmentation (Up Arrow)";
    case kCaptionMatchBack:
      return "Previous matching face for the augmentation (Down Arrow)";
    case kCaptionAccept:
      return preview ? "Apply the augmentation (Enter)" : "Finish the facet being drawn";
    case kCaptionCancel:
      if (preview) return "Cancel the augmentation (Esc)";
      return mViewType.Is(kViewUnfoldedNet) ? "Join the edges cut by hand in the nets"
                                           : "Clear the facets drawn by hand";
    case kCaptionTakeBack:
      return "Take back the last corner of the facet being drawn";
    case kCaptionMakeBase:
      return "Make the model shown here the base model";
    case kCaptionLeaveMode:
      return GetMouseSelectionMode(GetViewGroup()) == kSelectMeasurement ? "Leave Measurement Mode"
                                                                          : "Leave Faceting Mode";
    default:
      return std::string();
  }
}

bool CPolyView::OnCaptionButton(int, int command, int) {
  using namespace detail_PaneActions;
  Poly* poly = GetCurrentPoly();
  if (!poly || !mViewType.IsSet()) return false;
  // A message in the pane answered the last action; this action starts afresh.
  ClearMessage();
  Augmentation* preview = PreviewOf(this);
  switch (command) {
    case kCaptionPreviousModel:
    case kCaptionNextModel:
      RunDocCommand(command == kCaptionNextModel ? kCmdNextPolyhedron : kCmdPreviousPolyhedron);
      return true;
    case kCaptionPreviousStellation:
    case kCaptionNextStellation:
      ShowPaneSide(this);
      RunDocCommand(command == kCaptionNextStellation ? kCmdNextStellation : kCmdPreviousStellation);
      return true;
    case kCaptionFacetingBack:
    case kCaptionFacetingOn:
      StepFaceting(command == kCaptionFacetingOn ? kPaneKeyUp : kPaneKeyDown, false);
      return true;
    case kCaptionElementBack:
    case kCaptionElementOn:
      if (preview) {
        command == kCaptionElementOn ? preview->NextOrientation() : preview->PreviousOrientation();
      } else {
        StepElement(this, command == kCaptionElementOn ? 1 : -1);
      }
      return true;
    case kCaptionMatchBack:
    case kCaptionMatchOn:
      if (preview) preview->StepMatchingFace(command == kCaptionMatchOn ? 1 : -1);
      return true;
    case kCaptionAccept:
      preview ? ApplyAugmentation(preview) : FinishDrawnFacet(this, poly);
      return true;
    case kCaptionCancel:
      if (preview) {
        EndAugmentation(preview);
      } else if (mViewType.Is(kViewUnfoldedNet)) {
        JoinCutEdges(this);
      } else {
        ClearDrawnFacets(this, poly);
      }
      return true;
    case kCaptionTakeBack:
      TakeBackFacetCorner(poly);
      return true;
    case kCaptionMakeBase:
      MakeBaseModel(this);
      return true;
    case kCaptionLeaveMode:
      SetMouseSelectionMode(GetViewGroup(), kSelectFacesVertices);
      return true;
    default:
      return false;
  }
}

bool CPolyView::OnPaneKey(int key, int modifiers) {
  using namespace detail_PaneActions;
  Poly* poly = GetCurrentPoly();
  if (!poly || !mViewType.IsSet() || (modifiers & kModifierShift)) return false;
  const bool ctrl = (modifiers & kModifierCtrl) != 0;
  if (Augmentation* preview = PreviewOf(this); preview && !ctrl) {
    if (key == kPaneKeyLeft || key == kPaneKeyRight || key == kPaneKeyUp || key == kPaneKeyDown ||
        key == kPaneKeyReturn || key == kPaneKeyEscape) {
      ClearMessage();
    }
    switch (key) {
      case kPaneKeyLeft:
        preview->PreviousOrientation();
        return true;
      case kPaneKeyRight:
        preview->NextOrientation();
        return true;
      case kPaneKeyUp:
      case kPaneKeyDown:
        preview->StepMatchingFace(key == kPaneKeyUp ? 1 : -1);
        return true;
      case kPaneKeyReturn:
        ApplyAugmentation(preview);
        return true;
      case kPaneKeyEscape:
        EndAugmentation(preview);
        return true;
      default:
        return false;
    }
  }
  const bool stepKey = key == kPaneKeyUp || key == kPaneKeyDown;
  if (IsFacetingType(mViewType.Code())) {
    if ((stepKey && !ctrl) || key == kPaneKeyHome || key == kPaneKeyEnd) {
      ClearMessage();
      StepFaceting(key, ctrl);
      return true;
    }
    return false;
  }
  // Every other pane steps the stellation of its side: Up and Down one stellation,
  // Ctrl+Home to the core and Ctrl+End to the final valid stellation.
  if (stepKey && !ctrl) {
    ClearMessage();
    ShowPaneSide(this);
    RunDocCommand(key == kPaneKeyUp ? kCmdNextStellation : kCmdPreviousStellation);
    return true;
  }
  if (ctrl && (key == kPaneKeyHome || key == kPaneKeyEnd)) {
    ClearMessage();
    ShowPaneSide(this);
    doc_commands::StepShownStellation(key == kPaneKeyHome ? StellationStep::kCore : StellationStep::kFinal);
    return true;
  }
  return false;
}

void CPolyView::OnAugmentPolyhedron() {
  using namespace detail_PaneActions;
  Poly* poly = GetCurrentPoly();
  if (!poly) return;
  Augmentation* augmentation = GetAugmentation(poly);
  // A preview still running ends: the dialog starts a new augmentation.
  EndAugmentation(augmentation);
  AugmentDlg dialog;
  if (CPolyDoc* document = GetDocument()) dialog.mMemoryModels = document->GetMemoryModels();
  if (!dialog.DoModal()) return;
  dialog.GetParameters(*augmentation);
  if (!TellOutcome(PrepareAugmentation(poly, augmentation->mOptions, augmentation))) {
    EndAugmentation(augmentation);
    return;
  }
  BigUInt combinations;
  augmentation->GetOrientationCounts(combinations);
  const bool several = combinations.Count() > 1 || combinations.Word(0) >= 2;
  if (!several && !(augmentation->mOptions & kAugmentAlwaysPreview)) {
    ApplyAugmentation(augmentation);
    return;
  }
  CPolyView* pane = PreviewPaneFor(this, poly);
  augmentation->mView = pane;
  pane->Activate(true);
  pane->Caption().SetCaptionButtons();
  if (ViewWindow* window = pane->GetWindow()) window->TakeKeyboardFocus();
  SetMessage(pane, "%s", kPreviewHelp);
}

}  // namespace corvia
