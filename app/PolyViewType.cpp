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
    if (!pane || pane == self) continue;
    if (exact ? pane->Type().Is(code) : pane->Type().Has(code)) return true;
  }
  return false;
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

bool IsDocumentShowingDual() {
  const Poly* poly = GetCurrentPoly();
  return poly && poly->mShowDual;
}

// ---- Names -------------------------------------------------------------------------------------------

std::string PaneCaption::GetShownModelName(bool withSymbol, bool withNumbers) const {
  switch (mViewType.GetShownSide(IsDocumentShowingDual())) {
    case ShownSide::Base:
      return GetPolyName(withSymbol, withNumbers);
    case ShownSide::Dual:
      return GetDualPolyName(withSymbol, withNumbers);
    default:
      return "<Unknown>";
  }
}

std::string PaneCaption::GetStellationName() const {
  if (mViewType.GetShownSide(IsDocumentShowingDual()) == ShownSide::None) return "<Unknown>";
  if (FaceTypeBlock::IsOriginalStellation(GetPaneShownBlock(mViewType, GetCurrentPoly(), false))) {
    return GetShownModelName(true, true);
  }
  return "Stellation of " + GetShownModelName(true, false);
}

std::string PaneCaption::GetViewName() const {
  const PaneViewType& type = mViewType;
  if (type.IsStellationPane()) {
    // Which one it is, once a step has placed it among the stellations of the
    // criteria or the catalogue names it, as the pane's words after the step say; the
    // model itself (the first of the criteria, say) keeps its catalogue numbers.
    FaceTypeBlock* block = GetPaneShownBlock(mViewType, GetCurrentPoly(), false);
    const std::string shown = DescribeShownStellation(GetCurrentPoly(), block, false);
    if (!shown.empty()) {
      return "Stellation " + shown + " of " + GetShownModelName(true, FaceTypeBlock::IsOriginalStellation(block));
    }
  }
  if (const char* prefix = type.GetTitlePrefix(Is4DModel())) return prefix + GetShownModelName(true, true);
  if (type.Is(kViewCompoundOfDuals) || type.IsMorph()) return GetViewTypeName(type.Code());
  ShowInternalError("Illegal view type in GetViewName (0x%x).", type.Code());
  return GetShownModelName(true, true);
}

std::string PaneCaption::GetExportModelName() const {
  switch (mViewType.Code()) {
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
      if (mViewType.IsMorph()) {
        return "Dual-morph of " + GetPolyName(true, true);
      }
      return "<Unknown>";
  }
}

void PaneCaption::UpdateCaption() {
  if (!mViewType.IsSet()) return;
  mView.SetTitle(GetViewName());
}

// ---- Switching ------------------------------------------------------------------------------------------

bool CPolyView::SetViewType(ViewType code, bool quiet, bool redraw) {
  using detail_PolyViewType::OtherPaneShows;
  const PaneViewType before = mViewType;
  const bool had = before.IsSet();
  if (before.Is(code) && ((code & kViewFlag3D) || Is3D() == Is4DModel())) return true;
  const bool old3D = before.Has(kViewFlag3D);
  const bool new3D = (code & kViewFlag3D) != 0;

  if (!quiet) {
    ClearMessage();
    if (before.Is(kViewFoldingNet) && GetSharedThrow(kThrowKindFoldingNet)->IsActive() &&
        !OtherPaneShows(this, kViewFoldingNet, true)) {
      GetSharedThrow(kThrowKindFoldingNet)->Deactivate();
    }
    if (before.Is(kViewUnfoldedNet) && GetSharedThrow(kThrowKindNetPanes)->IsActive() &&
        !OtherPaneShows(this, kViewUnfoldedNet, true)) {
      GetSharedThrow(kThrowKindNetPanes)->Deactivate();
    }
    if (had && TakesSectionDrag(before.Code()) && !TakesSectionDrag(code)) {
      bool other = false;
      for (NewView* v = GetViewGroup().views.first; v && !other; v = v->GetNext()) {
        CPolyView* pane = AsPolyView(v);
        other = pane && pane != this && pane->Type().IsSet() && pane->TakesSectionDrag(pane->GetViewType());
      }
      if (!other) {
        GetSharedThrow(kThrowKindSection)->Deactivate();
        for (NewView* v = GetViewGroup().views.first; v; v = v->GetNext()) {
          if (CPolyView* pane = AsPolyView(v)) pane->Navigation().StopViewThrows();
        }
      }
    }
    if ((before.Is(kViewCrossSection) || code == kViewCrossSection) &&
        GetSectionInModelChoice() == kSectionInModelWhenOpen) {
      for (NewView* v = GetViewGroup().views.first; v; v = v->GetNext()) {
        CPolyView* pane = AsPolyView(v);
        if (!pane || pane == this) continue;
        if (pane->Type().IsModelPane()) pane->Invalidate(true);
      }
    }
    const bool oldMorph = before.IsMorph();
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
  PaneViewType after;
  after.Switch(code);
  EnableOpenGL(true, after.PrintsThroughOpenGL(Is4DModel()));
  SetIs3D(after.IsThreeD(Is4DModel()));
  if (!quiet) {
    if (Is4DModel() && old3D != new3D && !OtherPaneShows(this, kViewFlag3D, false)) {
      GetSharedThrow(kThrowKind3DPanes)->Deactivate();
    }
    if (old3D != new3D || (code & kViewFlagNet)) Navigation().GetTumbleThrow()->Deactivate();
  }
  mViewType.Switch(code);
  if (!quiet) mCaption.SetCaptionButtons();
  // A paint that switches records (a fade) shows each model with its own panes for a
  // moment: what the other panes are told, and the model's shown side, stay as they are.
  if (GetViewGroup().views.active == this && redraw) {
    RefreshNetsMessage();
    if (!(code & (kViewFlagBase | kViewFlagDual))) {
      bool base = false, dual = false;
      for (NewView* v = GetViewGroup().views.first; v; v = v->GetNext()) {
        CPolyView* pane = AsPolyView(v);
        if (!pane) continue;
        base = base || pane->Type().HasAny(kViewFlagBase);
        dual = dual || pane->Type().HasAny(kViewFlagDual);
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
  if (before.IsMorph() && mViewType.IsMorph()) {
    Invalidate(true);
    return true;
  }
  if (!quiet) SetFitMode(kFitNormal);
  Invalidate(true);
  return true;
}

void CPolyView::ChooseViewType(ViewType code) {
  // The view shown already: only what was cancelled in it is asked for again.
  if (mViewType.Is(code) && AskAgainForCancelledWork()) {
    ClearMessage();
    Invalidate(false);
    return;
  }
  SetViewType(code, false);
}

// ---- Work cancelled -----------------------------------------------------------------------------------

bool CPolyView::AskAgainForCancelledWork() {
  const bool nets = mViewType.DrawsNets();
  FaceTypeBlock* block = nets || mViewType.DrawsFacets() ? GetShownBlock(false) : nullptr;
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
  const bool nets = mViewType.DrawsNets();
  const FaceTypeBlock* block = nets || mViewType.DrawsFacets() ? GetShownBlock(false) : nullptr;
  if (!block) return {};
  const Model3D* model = block->GetExistingModel3D();
  const bool cancelled = model ? nets && !model->HasNets() && model->mNetsCancelled : block->mModel3DCancelled != 0;
  if (!cancelled) return {};
  std::string text = nets ? "Nets cancelled: this model's nets were not made."
                          : "Facets cancelled: this model's facets were not made.";
  char path[256];
  GetMenuPathOfCommand(GetViewTypeCommand(mViewType.Code()), path, sizeof path);
  // The View menu switches the active pane.
  if (*path) text += std::string("\nClick this pane and choose \"") + path + "\"\nto make them.";
  return text;
}

}  // namespace corvia
