// The pane class: its own and the shared drag objects, creation, the caption with
// its view-type icon and its buttons, and the operations that reach panes by kind.

#include "app/PolyView.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "app/PolyDoc.h"
#include "construction/DualMorph.h"
#include "core/DrawnPolygon.h"
#include "core/Messages.h"
#include "core/PolygonRing.h"
#include "core/Tolerances.h"
#include "core/ioStream.h"
#include "model/ColorSchemes.h"
#include "model/CrossSection.h"
#include "construction/Augmentation.h"
#include "model/FaceType.h"
#include "model/FaceTypeBlock.h"
#include "model/Poly.h"
#include "nets/NetSettings.h"
#include "render/GLSelection.h"
#include "render/GeomagStyle.h"
#include "render/NewView.h"
#include "render/OutcomeBoxes.h"
#include "render/SelectionItems.h"
#include "render/ViewGroup.h"
#include "stellation/Faceting.h"

namespace corvia {

namespace detail_PolyView {

int gSectionInModel = kSectionInModelNever;
int gFitSuspension = 0;
bool gSectionDrag = false;
ViewTypeMenuFunction gViewTypeMenu = nullptr;

// Amounts per unit of drag of the drag objects.
constexpr double kExplodeRate = 0.03;
constexpr double kMorphRate = 0.002;
constexpr double kFoldRate = 0.002;
constexpr double kDepthRate = 0.001;
constexpr double kDegrees = 3.14159265358979323846 / 180.0;

// A drag object shared by all panes: what its motion changes and which panes it redraws.
class SharedThrow final : public MouseThrow {
 public:
  SharedThrow(int kind, uint32_t flags) : MouseThrow(kind) { Setup(kind, nullptr, flags); }

  void Redraw() override {
    switch (mKind) {
      case kThrowKindDualMorph:
        InvalidateViewsOfKind(kViewFlagMorph, false);
        break;
      case kThrowKindFoldingNet:
        InvalidateViewsOfKind(kViewFoldingNet, false);
        break;
      case kThrowKind3DPanes:
        InvalidateViewsOfKind(kViewFlag3D, false);
        break;
      case kThrowKindNetPanes:
        InvalidateViewsOfKind(kViewFlagNet, false);
        break;
      default:
        InvalidateCrossSectionViews(false);
        break;
    }
  }

  int Apply(float amountX, float) override {
    switch (mKind) {
      case kThrowKindDualMorph: {
        double ratio = GetDualMorphRatio() + kMorphRate * amountX;
        KeepInRange(ratio, 0.0, 1.0);
        SetDualMorphRatio(ratio, true);
        return 1;
      }
      case kThrowKindFoldingNet: {
        double fold = GetNetSettings().foldFraction + kFoldRate * amountX;
        KeepInRange(fold, 0.0, 1.0);
        GetNetSettings().foldFraction = fold;
        Redraw();
        return 1;
      }
      case kThrowKindSection: {
        double depth = SliceDepth() + kDepthRate * amountX;
        KeepInRange(depth, 0.0, 1.0);
        SliceDepth() = depth;
        if (Poly* poly = GetCurrentPoly()) poly->InvalidateCrossSection();
        Redraw();
        return 1;
      }
      default:
        return 0;
    }
  }
};

struct SharedThrows {
  SharedThrow morph{kThrowKindDualMorph, 0};
  SharedThrow folding{kThrowKindFoldingNet, 0};
  SharedThrow threeD{kThrowKind3DPanes, 0};
  SharedThrow nets{kThrowKindNetPanes, 0};
  SharedThrow section{kThrowKindSection, 0};
};

SharedThrows& Shared() {
  static SharedThrows throws;
  return throws;
}

// Reads past the explosion factor of a pane's drag that is not there to take it.
void SkipExplodeData(ioStream* stream) { ioReadDouble(stream); }

bool IsFacetingType(ViewType code) { return code == kViewFacetingPreview || code == kViewFacetingDiagram; }

}  // namespace detail_PolyView

// ---- The pane's own drag objects --------------------------------------------------------------

// Pulls the pane's faces apart: each unit of drag adds to the explosion factor.
class CPolyView::ExplodeThrow final : public MouseThrow {
 public:
  explicit ExplodeThrow(CPolyView* pane) : MouseThrow(kThrowKindPaneExplode), mPane(pane) {
    Setup(kThrowKindPaneExplode, pane, 0);
  }
  void Redraw() override { mPane->Invalidate(true); }
  int Apply(float amountX, float) override {
    mPane->SetExplosion(std::max(0.0, mPane->GetExplosion() + detail_PolyView::kExplodeRate * amountX));
    return 1;
  }
  void WriteData(ioStream* stream) override { ioPrintf(stream, "%.17g\n", mPane->GetExplosion()); }
  void ReadData(ioStream* stream, bool apply) override {
    const double factor = ioReadDouble(stream);
    if (apply && std::isfinite(factor)) mPane->SetExplosion(factor);
  }
  struct Data final : MouseThrowData {
    double explosion = 1.0;
  };
  void SaveData(SavedMouseThrow& saved) override {
    auto data = std::make_unique<Data>();
    data->explosion = mPane->GetExplosion();
    saved.mData = std::move(data);
  }
  void RestoreData(const SavedMouseThrow& saved) override {
    if (auto* data = dynamic_cast<const Data*>(saved.mData.get())) mPane->SetExplosion(data->explosion);
  }

 private:
  CPolyView* mPane;
};

// The cross-section turned by dragging in a pane; the turning itself belongs to the
// section tumble mode of the mouse commands.
class CPolyView::SectionThrow final : public MouseThrow {
 public:
  explicit SectionThrow(CPolyView* pane) : MouseThrow(kThrowKindPaneSection) {
    Setup(kThrowKindPaneSection, pane, kThrowConvertsDrag);
  }
  void Redraw() override { InvalidateCrossSectionViews(false); }
  // The model turns under the slicing plane about the drag's axis as the pane shows
  // it: the plane's frame turns the other way.
  int Apply(float amountX, float) override {
    OpenGLView* view = GetView();
    if (!view) return 0;
    double axis[3] = {0.0, 0.0, 0.0};
    for (int k = 0; k < 3; ++k) {
      axis[k] = mAxis[0] * view->Camera().GetRightAxis()[k] + mAxis[1] * view->Camera().GetUpAxis()[k] +
                mAxis[2] * view->Camera().GetViewAxis()[k];
    }
    if (!NormaliseVector(axis, axis)) return 0;
    double m[9];
    AxisAngleRotationMatrix(m, axis, -amountX * view->Navigation().GetDragRate() * detail_PolyView::kDegrees);
    double* frame = SlicingFrame();
    for (int row = 0; row < 3; ++row) {
      const double v[3] = {frame[row], frame[row + 4], frame[row + 8]};
      for (int i = 0; i < 3; ++i) frame[row + 4 * i] = m[i] * v[0] + m[3 + i] * v[1] + m[6 + i] * v[2];
    }
    if (Poly* poly = GetCurrentPoly()) poly->InvalidateCrossSection();
    return 1;
  }
};

MouseThrow* GetSharedThrow(int kind) {
  detail_PolyView::SharedThrows& shared = detail_PolyView::Shared();
  switch (kind) {
    case kThrowKindDualMorph:
      return &shared.morph;
    case kThrowKindFoldingNet:
      return &shared.folding;
    case kThrowKind3DPanes:
      return &shared.threeD;
    case kThrowKindNetPanes:
      return &shared.nets;
    case kThrowKindSection:
      return &shared.section;
    default:
      return nullptr;
  }
}

// ---- Construction ---------------------------------------------------------------------------------

CPolyView::CPolyView()
    : mExplodeThrow(std::make_unique<ExplodeThrow>(this)), mSectionThrow(std::make_unique<SectionThrow>(this)) {
  detail_PolyView::Shared();
  SetMouseThrowDataSkipper(kThrowKindPaneExplode, detail_PolyView::SkipExplodeData);
  Buttons().SetCaptionLeftStrip(kViewIconStrip);
  InitGLSelection(kNumSelectionItemKinds);
  Camera().InitFieldOfView(Camera().GetFieldOfView(), 1.0);
}

CPolyView::~CPolyView() {
  // A preview shown in this pane ends with it.
  if (Poly* poly = GetCurrentPoly(); poly && poly->mAugmentation && poly->mAugmentation->mView == this) {
    poly->mAugmentation->mView = nullptr;
    poly->mAugmentation->Reset();
  }
  mSectionThrow.reset();
  mExplodeThrow.reset();
}

CPolyView* CPolyView::AsPolyView(NewView* view) { return dynamic_cast<CPolyView*>(view); }

CPolyView* CPolyView::GetActive() { return AsPolyView(NewView::GetActiveView()); }

bool CPolyView::OnCreate(ViewWindow* window) {
  if (!OpenGLView::OnCreate(window)) return false;
  SetViewType(kViewBasePolyhedron, false);
  return true;
}

void CPolyView::Activate(bool alsoFrame) {
  if (GetViewGroup().views.active == this) return;
  NewView::Activate(alsoFrame);
  RefreshNetsMessage();
}

// ---- Caption ---------------------------------------------------------------------------------------

CaptionWnd* CPolyView::CreateCaptionWnd() { return new PolyCaptionWnd(this); }

PixelRect PolyCaptionWnd::GetIconRect() const {
  const int left = (kCaptionHeight - kViewIconSize) / 2;
  const int top = (GetHeight() - kViewIconSize) / 2;
  return PixelRect{left, top, left + kViewIconSize, top + kViewIconSize};
}

void PolyCaptionWnd::DrawCaptionBar(CaptionPainter& painter) {
  CaptionWnd::DrawCaptionBar(painter);
  auto* pane = CPolyView::AsPolyView(GetOwner());
  if (!pane || pane->GetViewType() == kNoViewType) return;
  painter.DrawIcon(GetIconRect(), kViewTypeIconBase + ViewIndexOf(pane->GetViewType()));
}

void PolyCaptionWnd::OnCaptionPress(int button, int x, int y) {
  if (button != kMouseButtonLeft && button != kMouseButtonRight) return;
  if (!GetIconRect().Contains(x, y)) return;
  // The window side's view-type menu (none installed: no menu).
  auto* pane = CPolyView::AsPolyView(GetOwner());
  if (pane && detail_PolyView::gViewTypeMenu) detail_PolyView::gViewTypeMenu(pane);
}

void SetViewTypeMenuFunction(ViewTypeMenuFunction function) { detail_PolyView::gViewTypeMenu = function; }

void PaneCaption::EndAugmentationButtons() {
  if (!mAugmentationButtons) return;
  const Poly* poly = GetCurrentPoly();
  if (!poly || !poly->mAugmentation || poly->mAugmentation->mView != &mView) SetCaptionButtons();
}

void PaneCaption::SetCaptionButtons() {
  using detail_PolyView::IsFacetingType;
  struct Button {
    int action;
    int icon;
    bool last;
  };
  std::vector<Button> buttons;
  auto group = [&buttons](std::initializer_list<std::pair<int, int>> list) {
    for (auto [action, icon] : list) buttons.push_back(Button{action, icon, false});
    if (!buttons.empty()) buttons.back().last = true;
  };
  const ViewType code = mViewType.Code();
  const int mode = GetMouseSelectionMode(mView.GetViewGroup());
  const bool foldingAllNets = code == kViewFoldingNet && GetNetSettings().displayMode == kShowAllNets;
  const bool modelStepping = !(code & kViewFlagPart) || code == kViewFacetingPreview || code == kViewCompound ||
                             code == kViewCrossSection || code == kViewCellDiagram || foldingAllNets;
  if (modelStepping) {
    group({{kCaptionNextModel, kIconNextModel}, {kCaptionPreviousModel, kIconPreviousModel}});
  } else {
    group({{kCaptionElementOn, kIconElementOn}, {kCaptionElementBack, kIconElementBack}});
  }
  if (code == kViewCrossSection) group({{kCaptionElementOn, kIconElementOn}, {kCaptionElementBack, kIconElementBack}});
  if (code == kViewStellationOfBase || code == kViewStellationOfDual || code == kViewFaceOfStellation ||
      code == kViewStellationDiagram || code == kViewCellDiagram) {
    group({{kCaptionNextStellation, kIconNextStellation}, {kCaptionPreviousStellation, kIconPreviousStellation}});
  }
  const Poly* poly = GetCurrentPoly();
  const bool augmenting = poly && poly->mAugmentation && poly->mAugmentation->mView == &mView;
  mAugmentationButtons = augmenting;
  if (augmenting) {
    group({{kCaptionCancel, kIconCancel},
           {kCaptionAccept, kIconAccept},
           {kCaptionElementOn, kIconElementOn},
           {kCaptionElementBack, kIconElementBack},
           {kCaptionMatchOn, kIconMatchOn},
           {kCaptionMatchBack, kIconMatchBack}});
  }
  if (IsFacetingType(code)) group({{kCaptionFacetingOn, kIconFacetingOn}, {kCaptionFacetingBack, kIconFacetingBack}});
  const bool facetingEdit = mode == kSelectFaceting && !augmenting &&
                            (mViewType.IsThreeD(Is4DModel()) || code == kViewFace || code == kViewFaceOfStellation ||
                             code == kViewStellationDiagram);
  if (facetingEdit) {
    group({{kCaptionCancel, kIconCancel}, {kCaptionAccept, kIconAccept}, {kCaptionTakeBack, kIconTakeBack}});
  } else if (IsFacetingType(code) || code == kViewUnfoldedNet) {
    group({{kCaptionCancel, kIconCancel}});
  }
  if (code == kViewDualPolyhedron || code == kViewCompoundOfDuals || code == kViewStellationOfBase ||
      code == kViewStellationOfDual || (code & kViewFlagMorph) || code == kViewFacetingPreview ||
      code == kViewCompound) {
    group({{kCaptionMakeBase, kIconMakeBase}});
  }
  if (mode == kSelectMeasurement || facetingEdit) group({{kCaptionLeaveMode, kIconLeaveMode}});

  mView.Buttons().SetNumButtons(static_cast<int>(buttons.size()));
  for (size_t i = 0; i < buttons.size(); ++i) {
    mView.Buttons().DefineButton(static_cast<int>(i), buttons[i].action, buttons[i].icon,
                                 buttons[i].last ? kCaptionButtonSpaced : 0);
  }
  mView.InvalidateCaption();
}

void CPolyView::RefreshNetsMessage() {
  if (mViewType.IsOfFixedSide()) {
    if (Poly* poly = GetCurrentPoly()) {
      poly->SetShowDual(mViewType.HasAny(kViewFlagDual));
      ShowSelectionChangeOf(poly);
    }
  }
  const bool otherModel = Is3D() && mViewType.ShowsOtherModel();
  static const char* const kNetsMessage =
      "To see nets for the model in the selected view\nfirst make it the new base model by clicking on\n"
      "the left-and-down arrow button on that view's\ntitle bar.  Then select a base model view.";
  for (NewView* v = GetViewGroup().views.first; v; v = v->GetNext()) {
    CPolyView* pane = AsPolyView(v);
    if (!pane || !pane->mViewType.IsNet()) continue;
    if (otherModel) {
      SetMessage(pane, "%s", kNetsMessage);
    } else if (pane->GetMessage() && std::strcmp(pane->GetMessage(), kNetsMessage) == 0) {
      // Only this message goes: a net pane's own hint (folding) stays.
      pane->ClearMessage();
    }
  }
}

// ---- Fits, transparency, blocks ------------------------------------------------------------------------

FitSuspension::FitSuspension() { ++detail_PolyView::gFitSuspension; }
FitSuspension::~FitSuspension() { --detail_PolyView::gFitSuspension; }
bool IsFitSuspended() { return detail_PolyView::gFitSuspension >= 1; }

FaceTypeBlock* CPolyView::GetShownBlock(bool other) const {
  return GetPaneShownBlock(mViewType, GetCurrentPoly(), other);
}

Model3D* CPolyView::GetModel3D() const {
  return GetModel3DOrTell(GetShownBlock(false), false);
}

Model3D* CPolyView::GetModel3D(Poly* poly) { return GetPaneModel3D(mViewType, poly); }

void CPolyView::OnSize(int width, int height) {
  // Whether the camera is still the one the last fit made, measured before the new
  // size moves the 2D scroll position.
  const bool asFitted = mDrawing.ShowsLastFit();
  OpenGLView::OnSize(width, height);
  // A pane shown as its fit left it (the user has not zoomed, panned or scrolled it
  // since) is fitted to the size it has now: what it shows stays whole.
  if (asFitted && width > 0 && height > 0 && mViewType.IsSet() && mDrawing.GetFitMode() == kFitNone) {
    SetFitMode(kFitNormal);
  }
}

void CPolyView::ScenePass() {
  mDrawing.ScenePass(PaneGuides{mShowSymmetryAxes, mShowReflectionPlanes, mShowReflectionNormals});
}

// ---- Over all panes ----------------------------------------------------------------------------------

CPolyView* FindViewOfType(ViewType a, ViewType b) {
  for (NewView* v = NewView::GetFirstView(); v; v = v->GetNext()) {
    CPolyView* pane = CPolyView::AsPolyView(v);
    if (pane && (pane->GetViewType() == a || pane->GetViewType() == b)) return pane;
  }
  return nullptr;
}

void InvalidateViewsOfKind(ViewType mask, bool now) {
  for (NewView* v = NewView::GetFirstView(); v; v = v->GetNext()) {
    CPolyView* pane = CPolyView::AsPolyView(v);
    if (!pane || pane->GetViewType() == kNoViewType || !HasViewFlags(pane->GetViewType(), mask)) continue;
    pane->Invalidate(true);
    if (now) pane->UpdateNow();
  }
}

void InvalidateCrossSectionViews(bool now) {
  const Poly* poly = GetCurrentPoly();
  InvalidateCrossSectionViews(now, poly && poly->mShowDual);
}

void InvalidateCrossSectionViews(bool now, bool dualSide) {
  InvalidateViewsOfKind(kViewCrossSection, now);
  const int choice = detail_PolyView::gSectionInModel;
  const bool inModels = choice == kSectionInModelAlways ||
                        (choice == kSectionInModelWhenOpen && FindViewOfType(kViewCrossSection, kViewCrossSection));
  if (!inModels) return;
  InvalidateViewsOfKind(dualSide ? kViewDualPolyhedron : kViewBasePolyhedron, now);
  InvalidateViewsOfKind(kViewCompoundOfDuals, now);
}

void SetFitModeAllViews(int mode) {
  for (NewView* v = NewView::GetFirstView(); v; v = v->GetNext()) {
    if (CPolyView* pane = CPolyView::AsPolyView(v)) pane->SetFitMode(mode);
  }
}

void FitViewsOfKind(ViewType mask) {
  for (NewView* v = NewView::GetFirstView(); v; v = v->GetNext()) {
    CPolyView* pane = CPolyView::AsPolyView(v);
    if (pane && pane->GetViewType() != kNoViewType && HasViewFlags(pane->GetViewType(), mask)) {
      pane->SetFitMode(kFitNormal);
    }
  }
}

void RefreshViewsOfKind(ViewType mask) {
  for (NewView* v = NewView::GetFirstView(); v; v = v->GetNext()) {
    CPolyView* pane = CPolyView::AsPolyView(v);
    if (!pane || pane->GetViewType() == kNoViewType || !HasViewFlags(pane->GetViewType(), mask)) continue;
    pane->Caption().UpdateCaption();
    pane->SetFitMode(kFitNormal);
    pane->Invalidate(true);
  }
}

void UpdateAllCaptions() {
  for (NewView* v = NewView::GetFirstView(); v; v = v->GetNext()) {
    if (CPolyView* pane = CPolyView::AsPolyView(v)) pane->Caption().UpdateCaption();
  }
}

void SetCaptionButtonsAllViews() {
  for (NewView* v = NewView::GetFirstView(); v; v = v->GetNext()) {
    if (CPolyView* pane = CPolyView::AsPolyView(v)) pane->Caption().SetCaptionButtons();
  }
}

void EndAugmentationButtonsAllViews() {
  for (NewView* v = NewView::GetFirstView(); v; v = v->GetNext()) {
    if (CPolyView* pane = CPolyView::AsPolyView(v)) pane->Caption().EndAugmentationButtons();
  }
}

void CheckConstructionToyAllViews() {
  if (!GeomagStyle) return;
  for (NewView* v = NewView::GetFirstView(); v; v = v->GetNext()) {
    if (CPolyView* pane = CPolyView::AsPolyView(v)) pane->CheckConstructionToy();
  }
}

void SwitchGeomagStyle(bool on) {
  SetGeomagStyle(on);
  CheckConstructionToyAllViews();
}

int GetPaneSelectionMode() { return GetMouseSelectionMode(); }

void SetMouseSelectionMode(ViewGroup& group, int mode) {
  using namespace detail_PolyView;
  const int old = GetMouseSelectionMode(group);
  if (mode != old) {
    if (HasCurrentFaceting()) {
      if (Poly* poly = GetCurrentPoly(); poly && poly->mCurrentDrawnPolygon) poly->mCurrentDrawnPolygon->Clear();
      ReleasePolygonVertexPool();
      ClearFacetingSelection();
      RedrawAllViews(group, false, false);
    }
    gSectionDrag = mode == kSelectMeasurement || (mode == kSelect4DTumble && old == kSelectMeasurement);
    if (old == kSelectSectionTumble) {
      for (NewView* v = group.views.first; v; v = v->GetNext()) {
        if (CPolyView* pane = CPolyView::AsPolyView(v)) pane->Navigation().StopViewThrows();
      }
      // The slicing plane's own throw too.
      StopAllMouseThrows(group);
    }
    // The drawing and the facetings follow the mode from here on.
    StoreMouseSelectionMode(group, mode);
    SetFacetingModeOn(mode == kSelectFaceting);
    if (old > kSelectIdentification || mode > kSelectIdentification) RedrawAllViews(group, false, false);
    if (old == kSelectMeasurement || old == kSelectFaceting || mode == kSelectMeasurement || mode == kSelectFaceting) {
      for (NewView* v = group.views.first; v; v = v->GetNext()) {
        if (CPolyView* pane = CPolyView::AsPolyView(v)) pane->Caption().SetCaptionButtons();
      }
    }
  }
  ShowModeHelp(group);
  UpdateMouseHelp(group);
  if (NewView* under = group.views.underMouse) under->UpdateCursor();
}

void SetMouseSelectionMode(int mode) { SetMouseSelectionMode(CurrentViewGroup(), mode); }

int GetSectionInModelChoice() { return detail_PolyView::gSectionInModel; }
void SetSectionInModelChoice(int choice) { detail_PolyView::gSectionInModel = choice; }

double GetDualMorphRatio() { return DualMorphRatio(); }

void SetDualMorphRatio(double ratio, bool redraw) {
  if (std::fabs(ratio) <= kPointTolerance) ratio = 0.0;
  if (ratio == DualMorphRatio()) return;
  DualMorphRatio() = ratio;
  if (Poly* poly = GetCurrentPoly()) {
    for (FaceTypeBlock* block : {poly->mBaseBlock.get(), poly->mDualBlock.get()}) {
      if (!block) continue;
      for (FaceType* type = block->mFirstFaceType; type; type = type->mNext) {
        for (FaceDiagramResult& result : type->mResults) result.Reset();
      }
    }
  }
  if (redraw) InvalidateViewsOfKind(kViewFlagMorph, false);
}

void ShutdownPaneGlobals() {
  SetMouseSelectionMode(kSelectFacesVertices);
  StopAllMouseThrows();
}

}  // namespace corvia
