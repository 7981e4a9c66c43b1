// A pane's view type: switching it, the side it shows, and the names in its title.

#include <cstdio>

#include "app/PolyDoc.h"
#include "app/PolyView.h"
#include "construction/StellationNames.h"
#include "core/Messages.h"
#include "core/Paths.h"
#include "core/Strings.h"
#include "model/ColorSchemes.h"
#include "model/FaceTypeBlock.h"
#include "model/Globals.h"
#include "model/LibraryEntry.h"
#include "model/Poly.h"
#include "model/PolyTemplate.h"
#include "nets/Model3D.h"
#include "render/ViewGroup.h"

namespace corvia {

namespace detail_PolyViewType {

std::string Blank(const char* text) { return IsBlank(text) ? std::string() : std::string(text); }

// The model's symbol (its vertex configuration), or empty.
std::string Symbol(const Poly* poly) {
  char symbol[256] = "";
  poly->GetName(symbol, sizeof symbol);
  return symbol;
}

// A model is uniform when every vertex is like every other.
bool IsUniform(const Poly* poly) { return poly->IsUniform(); }

// The document's file, as a model name: ';' read as '/', no extension.
std::string FileModelName() {
  CPolyDoc* doc = GetDocument();
  if (!doc) return {};
  const std::string display = doc->GetDisplayName();
  std::string name = GetFileNamePart(display.c_str());
  for (char& c : name) {
    if (c == ';') c = '/';
  }
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.resize(dot);
  return name;
}

// Whether some pane other than the one given shows a code with the flags (or exactly
// the code when exact).
bool OtherPaneShows(const CPolyView* self, ViewType code, bool exact) {
  for (NewView* v = self->GetViewGroup().views.first; v; v = v->GetNext()) {
    CPolyView* pane = CPolyView::AsPolyView(v);
    if (!pane || pane == self || pane->GetViewType() == kNoViewType) continue;
    if (exact ? pane->GetViewType() == code : HasViewFlags(pane->GetViewType(), code)) return true;
  }
  return false;
}

// The view types that draw the shown side's nets, and those that draw its facets.
bool DrawsNets(ViewType code) {
  return code != kNoViewType && (code & kViewFlagNet);
}
bool DrawsFacets(ViewType code) {
  return code == kViewStellationOfBase || code == kViewStellationOfDual;
}

}  // namespace detail_PolyViewType

// The model holds polyhedra: four-dimensional polytopes have no place in Poly, so no
// model shown is one.
bool Is4DModel() { return false; }

std::string GetPolyName(bool withSymbol, bool withNumbers) {
  using namespace detail_PolyViewType;
  const Poly* poly = GetCurrentPoly();
  if (!poly) return "Unnamed";
  const PolyTemplate* polyTemplate = poly->mTemplate;
  if (polyTemplate && !polyTemplate->mEntry) {
    const std::string name = Blank(poly->mName);
    return name.empty() ? PolyTemplate::FormatVertexConfiguration(polyTemplate) : name;
  }
  if (polyTemplate) {
    const LibraryEntry* entry = polyTemplate->mEntry;
    const bool uniform = IsUniform(poly);
    std::string text = uniform ? "" : "Pseudo ";
    std::string name = Blank(poly->mName);
    text += name.empty() ? Blank(entry->mName) : name;
    if (withSymbol) text += " (" + entry->GetVertexConfiguration() + ")";
    if (withNumbers && uniform && entry->GetModelsPage() >= 0) {
      char numbers[64];
      std::snprintf(numbers, sizeof numbers, ", W%d, p%d", entry->GetWenningerNumber(), entry->GetModelsPage());
      text += numbers;
    }
    return text;
  }
  std::string text = Blank(poly->mName);
  if (text.empty() && poly->mLibraryEntry) text = Blank(poly->mLibraryEntry->mName);
  if (text.empty() && !poly->mLibraryEntry) text = FileModelName();
  if (text.empty()) text = "Unnamed";
  const std::string symbol = Symbol(poly);
  if (withSymbol && !symbol.empty()) text += " (" + symbol + ")";
  return text;
}

std::string GetDualPolyName(bool withSymbol, bool withNumbers) {
  using namespace detail_PolyViewType;
  const Poly* poly = GetCurrentPoly();
  if (!poly) return "Unnamed Dual";
  const PolyTemplate* polyTemplate = poly->mTemplate;
  if (polyTemplate && !polyTemplate->mEntry) {
    const std::string name = Blank(poly->mDualName);
    return name.empty() ? "D-" + GetPolyName(withSymbol, withNumbers) : name;
  }
  if (polyTemplate) {
    const LibraryEntry* entry = polyTemplate->mEntry;
    const bool uniform = IsUniform(poly);
    std::string text = uniform ? "" : "Pseudo ";
    std::string name = Blank(poly->mDualName);
    text += name.empty() ? entry->GetDualName() : name;
    if (withSymbol) text += " (Dual of " + entry->GetVertexConfiguration() + ")";
    if (withNumbers && uniform && entry->GetDualModelsPage() >= 0) {
      char numbers[64];
      std::snprintf(numbers, sizeof numbers, ", WD%d, p%d", entry->GetWenningerNumber(), entry->GetDualModelsPage());
      text += numbers;
    }
    return text;
  }
  std::string text = Blank(poly->mDualName);
  if (text.empty()) {
    const std::string name = Blank(poly->mName);
    if (!name.empty()) {
      text = "Dual of " + name;
    } else if (const LibraryEntry* entry = poly->mLibraryEntry) {
      text = entry->GetDualName();
      if (IsBlank(text.c_str())) text = "Dual of " + Blank(entry->mName);
    } else {
      const std::string file = FileModelName();
      text = file.empty() ? "Unnamed Dual" : "Dual of " + file;
    }
  }
  const std::string symbol = Symbol(poly);
  if (withSymbol && !symbol.empty()) text += " (Dual of " + symbol + ")";
  return text;
}

// ---- Side and dimension ------------------------------------------------------------------------

ShownSide CPolyView::GetShownSide() const {
  if (mViewType == kNoViewType) return ShownSide::None;
  if (mViewType & kViewFlagBase) return ShownSide::Base;
  if (mViewType & kViewFlagDual) return ShownSide::Dual;
  if (mViewType & kViewFlagPart) {
    const Poly* poly = GetCurrentPoly();
    return poly && poly->mShowDual ? ShownSide::Dual : ShownSide::Base;
  }
  return ShownSide::None;
}

bool CPolyView::IsShowingDual() const {
  if (mViewType != kNoViewType && (mViewType & kViewFlagBase)) return false;
  if (mViewType != kNoViewType && (mViewType & kViewFlagDual)) return true;
  const Poly* poly = GetCurrentPoly();
  return poly && poly->mShowDual;
}

bool CPolyView::IsThreeDViewType(ViewType code) const {
  if (code == kNoViewType) return false;
  return (code & kViewFlag3D) || (Is4DModel() && (code & kViewFlagElements));
}

// ---- Names -------------------------------------------------------------------------------------------

std::string PaneCaption::GetShownModelName(bool withSymbol, bool withNumbers) const {
  switch (mView.GetShownSide()) {
    case ShownSide::Base:
      return GetPolyName(withSymbol, withNumbers);
    case ShownSide::Dual:
      return GetDualPolyName(withSymbol, withNumbers);
    default:
      return "<Unknown>";
  }
}

std::string PaneCaption::GetStellationName() const {
  if (mView.GetShownSide() == ShownSide::None) return "<Unknown>";
  if (FaceTypeBlock::IsOriginalStellation(mView.GetShownBlock(false))) return GetShownModelName(true, true);
  return "Stellation of " + GetShownModelName(true, false);
}

std::string PaneCaption::GetViewName() const {
  const char* prefix = nullptr;
  switch (mView.GetViewType()) {
    case kViewBasePolyhedron:
    case kViewDualPolyhedron:
      prefix = "";
      break;
    case kViewStellationOfBase:
    case kViewStellationOfDual: {
      // Which one it is, once a step has placed it among the stellations of the
      // criteria or the catalogue names it, as the pane's words after the step say; the
      // model itself (the first of the criteria, say) keeps its catalogue numbers.
      FaceTypeBlock* block = mView.GetShownBlock(false);
      const std::string shown = DescribeShownStellation(GetCurrentPoly(), block, false);
      if (!shown.empty()) {
        return "Stellation " + shown + " of " + GetShownModelName(true, FaceTypeBlock::IsOriginalStellation(block));
      }
      prefix = "Stellation of ";
      break;
    }
    case kViewFacetingPreview:
      prefix = "Faceting Preview for ";
      break;
    case kViewCompound:
      prefix = "Compound of ";
      break;
    case kViewFace:
      prefix = Is4DModel() ? "Cell of " : "Face of ";
      break;
    case kViewFaceOfStellation:
      prefix = "Face of Stellation of ";
      break;
    case kViewStellationDiagram:
      prefix = "Stellation Diagram for ";
      break;
    case kViewCellDiagram:
      prefix = "Cell Diagram for ";
      break;
    case kViewVertexFigure:
      prefix = "Vertex Figure for ";
      break;
    case kViewFacetingDiagram:
      prefix = "Faceting Diagram for ";
      break;
    case kViewCrossSection:
      prefix = "Cross-Section of ";
      break;
    case kViewUnfoldedNet:
      prefix = "Unfolded Net for ";
      break;
    case kViewFoldingNet:
      prefix = "Folding Net for ";
      break;
    case kViewCompoundOfDuals:
    case kViewMorphBySizing:
    case kViewMorphByTruncation:
    case kViewMorphByAugmentation:
    case kViewMorphByExpansion:
    case kViewMorphByTiltingQuads:
    case kViewMorphByTiltingTriangles:
    case kViewMorphByTiltingToCompound:
    case kViewMorphByTiltingToRectification:
    case kViewMorphViaSnub:
      return GetViewTypeName(mView.GetViewType());
    default:
      ShowInternalError("Illegal view type in GetViewName (0x%x).", mView.GetViewType());
      return GetShownModelName(true, true);
  }
  return prefix + GetShownModelName(true, true);
}

std::string PaneCaption::GetExportModelName() const {
  switch (mView.GetViewType()) {
    case kViewBasePolyhedron:
    case kViewDualPolyhedron:
    case kViewFace:
    case kViewFacetingDiagram:
      return GetShownModelName(true, true);
    case kViewStellationOfBase:
    case kViewStellationOfDual:
    case kViewFaceOfStellation:
    case kViewStellationDiagram:
    case kViewCellDiagram:
    case kViewUnfoldedNet:
    case kViewFoldingNet:
      return GetStellationName();
    case kViewCompoundOfDuals:
      return "Dual compound of " + GetPolyName(true, true);
    case kViewFacetingPreview:
      return "A faceted polyhedron";
    case kViewCompound:
      return "Compound of " + GetShownModelName(true, true);
    case kViewCrossSection:
      return "Cross-Section of " + GetShownModelName(true, true);
    default:
      if (mView.GetViewType() != kNoViewType && (mView.GetViewType() & kViewFlagMorph)) {
        return "Dual-morph of " + GetPolyName(true, true);
      }
      return "<Unknown>";
  }
}

void PaneCaption::UpdateCaption() {
  if (mView.GetViewType() == kNoViewType) return;
  mView.SetTitle(GetViewName());
}

// ---- Switching ------------------------------------------------------------------------------------------

bool CPolyView::SetViewType(ViewType code, bool quiet, bool redraw) {
  using detail_PolyViewType::OtherPaneShows;
  const ViewType old = mViewType;
  const bool had = old != kNoViewType;
  if (code == old && ((code & kViewFlag3D) || Is3D() == Is4DModel())) return true;
  const bool old3D = had && (old & kViewFlag3D);
  const bool new3D = (code & kViewFlag3D) != 0;

  if (!quiet) {
    ClearMessage();
    if (old == kViewFoldingNet && GetSharedThrow(kThrowKindFoldingNet)->IsActive() &&
        !OtherPaneShows(this, kViewFoldingNet, true)) {
      GetSharedThrow(kThrowKindFoldingNet)->Deactivate();
    }
    if (old == kViewUnfoldedNet && GetSharedThrow(kThrowKindNetPanes)->IsActive() &&
        !OtherPaneShows(this, kViewUnfoldedNet, true)) {
      GetSharedThrow(kThrowKindNetPanes)->Deactivate();
    }
    if (had && TakesSectionDrag(old) && !TakesSectionDrag(code)) {
      bool other = false;
      for (NewView* v = GetViewGroup().views.first; v && !other; v = v->GetNext()) {
        CPolyView* pane = AsPolyView(v);
        other = pane && pane != this && pane->GetViewType() != kNoViewType && pane->TakesSectionDrag(pane->GetViewType());
      }
      if (!other) {
        GetSharedThrow(kThrowKindSection)->Deactivate();
        for (NewView* v = GetViewGroup().views.first; v; v = v->GetNext()) {
          if (CPolyView* pane = AsPolyView(v)) pane->Navigation().StopViewThrows();
        }
      }
    }
    if ((old == kViewCrossSection || code == kViewCrossSection) &&
        GetSectionInModelChoice() == kSectionInModelWhenOpen) {
      for (NewView* v = GetViewGroup().views.first; v; v = v->GetNext()) {
        CPolyView* pane = AsPolyView(v);
        if (!pane || pane == this) continue;
        const ViewType t = pane->GetViewType();
        if (t == kViewBasePolyhedron || t == kViewDualPolyhedron || t == kViewCompoundOfDuals) pane->Invalidate(true);
      }
    }
    const bool oldMorph = had && (old & kViewFlagMorph);
    const bool newMorph = (code & kViewFlagMorph) != 0;
    if (oldMorph && !newMorph && !OtherPaneShows(this, kViewFlagMorph, false)) {
      GetSharedThrow(kThrowKindDualMorph)->Deactivate();
    }
    if (newMorph && !oldMorph) {
      SetMessage(this, "%s", "Ctrl+Left-drag --- Morph between model and dual\nCtrl+Right-click --- Morph to half-way point");
    }
    if (code == kViewFoldingNet) {
      SetMessage(this, "%s", "Ctrl+Left-drag --- Fold/unfold model\nCtrl+Right-click --- Unfold half-way");
    }
  }

  // Diagrams that are flat print with their own drawing; every other pane prints
  // through OpenGL.
  const bool flatDiagram = (code & kViewFlagDiagram) && !IsThreeDViewType(code);
  EnableOpenGL(true, !flatDiagram);
  SetIs3D(IsThreeDViewType(code));
  if (!quiet) {
    if (Is4DModel() && old3D != new3D && !OtherPaneShows(this, kViewFlag3D, false)) {
      GetSharedThrow(kThrowKind3DPanes)->Deactivate();
    }
    if (old3D != new3D || (code & kViewFlagNet)) Navigation().GetTumbleThrow()->Deactivate();
  }
  mViewType = code;
  if (!quiet) mCaption.SetCaptionButtons();
  // A paint that switches records (a fade) shows each model with its own panes for a
  // moment: what the other panes are told, and the model's shown side, stay as they are.
  if (GetViewGroup().views.active == this && redraw) {
    RefreshNetsMessage();
    if (!(code & (kViewFlagBase | kViewFlagDual))) {
      bool base = false, dual = false;
      for (NewView* v = GetViewGroup().views.first; v; v = v->GetNext()) {
        CPolyView* pane = AsPolyView(v);
        if (!pane || pane->GetViewType() == kNoViewType) continue;
        base = base || (pane->GetViewType() & kViewFlagBase);
        dual = dual || (pane->GetViewType() & kViewFlagDual);
      }
      if (Poly* poly = GetCurrentPoly(); poly && base != dual) {
        poly->SetShowDual(dual);
        ShowSelectionChangeOf(poly);
      }
    }
  }
  // Chosen, the pane asks again for what it draws whose making the user cancelled.
  if (!quiet) AskAgainForCancelledWork();
  if (!GetMessage()) CheckConstructionToy();
  Mapping2D().SetExtents2D(0, 0, 0, 0);
  Navigation().SetTwistAllowed(code != kViewCellDiagram, quiet);
  if (!quiet) mCaption.UpdateCaption();
  if (!redraw) return true;
  if (GetLinkedViews(GetViewGroup()) && Is3D() != old3D) {
    for (NewView* v = GetViewGroup().views.first; v; v = v->GetNext()) {
      CPolyView* pane = AsPolyView(v);
      if (pane && pane != this && pane->Is3D()) {
        pane->SyncLinkedViews();
        break;
      }
    }
    Invalidate(true);
    return true;
  }
  if (had && (old & kViewFlagMorph) && (code & kViewFlagMorph)) {
    Invalidate(true);
    return true;
  }
  if (!quiet) SetFitMode(kFitNormal);
  Invalidate(true);
  return true;
}

void CPolyView::ChooseViewType(ViewType code) {
  // The view shown already: only what was cancelled in it is asked for again.
  if (code == mViewType && AskAgainForCancelledWork()) {
    ClearMessage();
    Invalidate(false);
    return;
  }
  SetViewType(code, false);
}

// ---- Work cancelled -----------------------------------------------------------------------------------

bool CPolyView::AskAgainForCancelledWork() {
  const bool nets = detail_PolyViewType::DrawsNets(mViewType);
  FaceTypeBlock* block = nets || detail_PolyViewType::DrawsFacets(mViewType) ? GetShownBlock(false) : nullptr;
  if (!block) return false;
  Model3D* model = block->GetExistingModel3D();
  bool again = !model && block->mModel3DCancelled;
  block->mModel3DCancelled = 0;
  // The nets only for a pane that draws them: another pane's choice leaves them be.
  if (model && nets) {
    again = again || model->mNetsCancelled || model->WasFoldCancelled();
    model->mNetsCancelled = false;
    model->AskAgainForCancelledFold();
  }
  return again;
}

std::string CPolyView::DescribeCancelledWork() const {
  const bool nets = detail_PolyViewType::DrawsNets(mViewType);
  const FaceTypeBlock* block = nets || detail_PolyViewType::DrawsFacets(mViewType) ? GetShownBlock(false) : nullptr;
  if (!block) return {};
  const Model3D* model = block->GetExistingModel3D();
  const bool cancelled = model ? nets && !model->HasNets() && model->mNetsCancelled : block->mModel3DCancelled != 0;
  if (!cancelled) return {};
  std::string text = nets ? "Nets cancelled: this model's nets were not made."
                          : "Facets cancelled: this model's facets were not made.";
  char path[256];
  GetMenuPathOfCommand(GetViewTypeCommand(mViewType), path, sizeof path);
  // The View menu switches the active pane.
  if (*path) text += std::string("\nClick this pane and choose \"") + path + "\"\nto make them.";
  return text;
}

}  // namespace corvia
