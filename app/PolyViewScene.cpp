// The pane's drawing hooks around the dispatch: the motion of a fading transition,
// one draw per model on screen, the corner texts; the materials of vertex spheres
// and edge cylinders; the construction-toy check; the cross-section in model panes.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

#include "app/PolyDoc.h"
#include "app/PolyView.h"
#include "construction/Augmentation.h"
#include "core/BigUInt.h"
#include "core/DrawnPolygon.h"
#include "core/Globals.h"
#include "core/Messages.h"
#include "core/RainbowColor.h"
#include "core/Strings.h"
#include "core/VectorMath.h"
#include "model/ColorSchemes.h"
#include "model/CrossSection.h"
#include "model/Edge.h"
#include "model/Globals.h"
#include "model/Poly.h"
#include "model/Transitions.h"
#include "render/CrossSectionDrawing.h"
#include "render/DisplaySettings.h"
#include "render/GL.h"
#include "render/GLSection.h"
#include "render/GeomagStyle.h"
#include "render/LightSets.h"
#include "render/ModelDrawSettings.h"
#include "render/OutcomeBoxes.h"
#include "stellation/FacetPreview.h"
#include "stellation/Faceting.h"
#include "stellation/StellationState.h"
#include "symmetry/SimplePoly.h"

namespace corvia {

namespace detail_PolyViewScene {

constexpr double kRadians = std::numbers::pi / 180.0;
// The smallest visible fraction an exploding model is divided by.
constexpr double kSmallestFraction = 1e-7;
// Spins are given in half turns.
constexpr double kHalfTurn = 180.0;
constexpr double kFullTurn = 360.0;

Matrix4 AxisRotation4(const double* axis, double degrees) {
  double m[9];
  AxisAngleRotationMatrix(m, axis, degrees * kRadians);
  return RotationMatrix4(m);
}

Matrix4 SpinAboutY(double degrees) {
  const double axis[3] = {0.0, 1.0, 0.0};
  return AxisRotation4(axis, degrees);
}

// Material kinds: specular colour and material colour (the given colour when the
// kind takes it).
struct MaterialKind {
  float specular[3];
  float colour[3];
};

// The rods of the construction toy: the metallic and glowing ones (Metallic Blue,
// Metallic Silver, Glow in the Dark) reflect; the others have a faint highlight.
constexpr int kFirstReflectiveRod = 4;
constexpr int kLastReflectiveRod = 6;
constexpr float kPlainRodSpecular = 0.2f;
constexpr float kPlainRodShininess = 20.0f;

bool IsReflective(int kind) { return kind != kMaterialPlain && kind != kMaterialEdgeColor && kind != kMaterialTextured; }

// The state of a material kind applied to the pass record and to GL.
void ApplyMaterialKind(OpenGLView* view, MaterialPasses& state, int kind, const float* given, float alpha) {
  static constexpr float kGrey[3] = {0.5f, 0.5f, 0.5f};
  const float* specular = kGrey;
  float colour[4] = {0.8f, 0.8f, 0.8f, alpha};
  static constexpr float kGold[3] = {1.0f, 0.8f, 0.1f};
  static constexpr float kSilver[3] = {0.9f, 0.9f, 1.0f};
  static constexpr float kCopper[3] = {1.0f, 0.4f, 0.1f};
  switch (kind) {
    case kMaterialPlain:
      std::copy(given, given + 3, colour);
      break;
    case kMaterialEdgeColor:
      std::copy(GetNewEdgeColor(), GetNewEdgeColor() + 3, colour);
      break;
    case kMaterialGold:
      specular = kGold;
      for (int i = 0; i < 3; ++i) colour[i] = 0.9f * kGold[i];
      break;
    case kMaterialSilver:
      specular = kSilver;
      std::copy(kSilver, kSilver + 3, colour);
      break;
    case kMaterialCopper:
      specular = kCopper;
      for (int i = 0; i < 3; ++i) colour[i] = 0.7f * kCopper[i];
      break;
    case kMaterialGlass:
      colour[3] = 0.85f;
      break;
    default:
      break;
  }
  std::copy(specular, specular + 3, state.specular);
  state.shininess = 20.0f;
  state.kind = kind;
  std::copy(colour, colour + 3, state.colour);
  view->Materials().SetMaterialColorAlpha(colour);
}

}  // namespace detail_PolyViewScene

// ---- The motion of a fading transition ---------------------------------------------------

bool CPolyView::PreViewingMatrixHook(Matrix4& transform) {
  using namespace detail_PolyViewScene;
  Poly* poly = GetCurrentPoly();
  if (!poly || !(poly->mTransitionProgress < 1.0) || !poly->IsTransitionRunning()) return false;
  const double t = std::max(poly->mTransitionProgress, 0.0);
  const TransitionSettings& s = poly->mTransition;
  const bool incoming = poly->mTransitionDirection != 0;
  // The outgoing model moves and turns the other way.
  const double sign = incoming ? 1.0 : -1.0;
  const double from = incoming ? s.Param(kParamIncomingScale) : s.Param(kParamOutgoingScale);
  const double scale = std::isfinite(from) ? from + (1.0 - from) * t : 1.0;
  poly->mDisplayScale = scale;
  const double r = 1.0 - t;
  const double duration = s.GetDuration();
  Matrix4 motion;
  switch (s.mType) {
    case kTransitionSideways: {
      const double a = s.Param(kParamSlideAngle) * kRadians;
      const double radius = GetGeometryRadius(true);
      motion = TranslationMatrix4(sign * std::cos(a) * r * radius, sign * std::sin(a) * r * radius, 0.0) *
               SpinAboutY(sign * duration * s.Param(kParamSlideSpin) * kHalfTurn * r * r);
      break;
    }
    case kTransitionOrbit: {
      const double a = s.Param(kParamOrbitAngle) * kRadians;
      const double axis[3] = {std::cos(a), std::sin(a), 0.0};
      motion = AxisRotation4(axis, sign * r * s.Param(kParamOrbitSpeed) * kFullTurn);
      break;
    }
    case kTransitionShrinkAndGrow:
      motion = SpinAboutY(sign * duration * s.Param(kParamShrinkSpin) * kHalfTurn * r * r);
      break;
    case kTransitionExplodeAndGrow:
    case kTransitionShrinkAndImplode:
    case kTransitionExplodeAndImplode:
      mDrawExplosion = poly->IsTransitionFading()
                           ? (1.0 / std::max(t, kSmallestFraction)) * ((mExplosion - 1.0) * r + 1.0)
                           : 1.0;
      motion = SpinAboutY(sign * duration * s.Param(kParamExplodeSpin) * kHalfTurn * r * r);
      break;
    default:
      break;
  }
  if (!Is3D()) motion = motion * ScalingMatrix4(scale, scale, scale);
  transform = motion;
  return true;
}

// ---- One draw per model --------------------------------------------------------------------------

void CPolyView::ScenePass() {
  CPolyDoc* doc = GetDocument();
  if (!doc || !mViewType.IsSet()) return;
  DocRecord* current = doc->GetCurrentRecord();
  if (doc->CountRecords() <= 1) {
    mDrawExplosion = mExplosion;
    OnGLDraw();
  } else {
    // A fading transition: the models going and coming are drawn, each with its own
    // camera and motion.
    for (DocRecord* record = doc->GetFirstRecord(); record; record = record->Next()) {
      doc->MakeCurrentRecord(record, kRecordDraw);
      mDrawExplosion = mExplosion;
      SetViewingMatrix(kMatrixProjection, true);
      OnGLDraw();
    }
    if (doc->GetCurrentRecord() != current) doc->MakeCurrentRecord(current, kRecordDraw);
    SetViewingMatrix(kMatrixProjection, true);
  }
  DrawCornerTexts();
}

void CPolyView::DrawCornerTexts() {
  const float* colour = GetDisplaySettings().titleColor;
  // The corner texts (the message, the pane's state, the faceting and augmentation
  // previews' words) speak to the user at the screen: a printed page shows the model
  // alone.
  if (mHideTexts || IsPrinting()) return;
  const char* message = GetMessage();
  const bool told = message && !IsBlank(message);
  if (told) {
    Text().DrawCornerText(3, message, colour, 0, 0, 1.0f);
  } else {
    DrawContentMissing();
  }
  char text[96];
  if (const std::string status = GetPaneStatusText(); !status.empty()) {
    Text().DrawCornerText(0, status.c_str(), colour, 0, 0, 1.0f);
  } else if (mViewType.IsMorph()) {
    std::snprintf(text, sizeof text, "Morphing: %.1f%%", 100.0 * GetDualMorphRatio());
    Text().DrawCornerText(0, text, colour, 0, 0, 1.0f);
  } else if (mViewType.Is(kViewCrossSection)) {
    char depth[48];
    std::snprintf(depth, sizeof depth, "%.6f", SliceDepth());
    StripTrailingZeros(depth, 3);
    std::snprintf(text, sizeof text, "Cross-Section depth: %s", depth);
    Text().DrawCornerText(0, text, colour, 0, 0, 1.0f);
  } else if (mViewType.Is(kViewFacetingPreview) && !(told && IsFacetingPreviewEmpty(GetCurrentPoly()))) {
    // An empty preview's words on how to begin give way to the pane's message, as the
    // words for missing content do: a step past the last faceting says so alone.
    Text().DrawCornerText(0, GetFacetingPreviewText(GetCurrentPoly()).c_str(), colour, 0, 0, 1.0f);
  }
  if (GetDisplaySettings().showFrameTime && Frames().GetLastFrameSeconds() > 0.0) {
    std::snprintf(text, sizeof text,
                  Frames().WasLastFrameDrawnAfresh() ? "Frame: %.1f ms (drawn afresh)" : "Frame: %.1f ms",
                  1000.0 * Frames().GetLastFrameSeconds());
    Text().DrawCornerText(2, text, colour, 0, 0, 1.0f);
  }
  Poly* poly = GetCurrentPoly();
  const Augmentation* augmentation = poly ? poly->mAugmentation.get() : nullptr;
  if (augmentation && augmentation->mView == this) {
    static const float kPreviewColour[3] = {1.0f, 1.0f, 0.7f};
    Text().DrawCornerText(0, GetAugmentationPreviewText(*augmentation).c_str(), kPreviewColour, 0, 0, 1.0f);
  }
}

namespace detail_PolyViewScene {

// The faceting the preview shows, when it has faces.
const SimplePoly* FacetingPreviewModel(Poly* poly) {
  const FacetPreview* preview = poly ? poly->mFacetPreview.get() : nullptr;
  const SimplePoly* model = preview ? preview->model.get() : nullptr;
  return model && model->NumFaces() > 0 ? model : nullptr;
}

bool IsFacetBeingDrawn(Poly* poly) {
  const DrawnPolygon* drawing = poly ? poly->mCurrentDrawnPolygon : nullptr;
  return drawing && drawing->ring;
}

}  // namespace detail_PolyViewScene

bool IsFacetingPreviewEmpty(Poly* poly) {
  return !detail_PolyViewScene::FacetingPreviewModel(poly) && !detail_PolyViewScene::IsFacetBeingDrawn(poly);
}

std::string GetFacetingPreviewText(Poly* poly) {
  const SimplePoly* model = detail_PolyViewScene::FacetingPreviewModel(poly);
  if (!model) {
    if (detail_PolyViewScene::IsFacetBeingDrawn(poly)) {
      return "A facet is being drawn.\nClick its first corner again, or the tick button\non the caption, to finish it.";
    }
    char path[256];
    GetMenuPathOfCommand(kCommandFacetingMode, path, sizeof path);
    return std::string("No facets have been defined yet.\nClick this pane and press the Up arrow key\n(or its caption's "
                       "up arrow button) to find facetings,\nor use \"") +
           path + "\"\nor the matching toolbar button to create your own.";
  }
  // The preview's drawing marks the kinds of problem edges it met.
  const uint32_t flags = model->flags;
  std::string text;
  if (!(flags & (kSimpleHasOpenEdges | kSimpleHasOddEdges))) text += "Faceting is complete!\n";
  if (flags & kSimpleHasOpenEdges) text += "Green edges: Only one face, needs another.\n";
  if (flags & kSimpleHasOddEdges) text += "Orange edges: Odd number of faces > 2\n";
  if (flags & kSimpleHasManyFaceEdges) text += "Red edges: Even number of faces > 2\n";
  if (flags & kSimpleHasCoplanarEdges) text += "Purple edges: Two coplanar faces meet";
  return text;
}

std::string GetAugmentationPreviewText(const Augmentation& augmentation) {
  BigUInt count, index;
  augmentation.GetOrientationCounts(count);
  augmentation.GetOrientationIndices(index);
  ++index;
  char number[64], of[64];
  index.ToString(number, sizeof number);
  count.ToString(of, sizeof of);
  return std::string("Augmentation Preview\nOrientation ") + number + " of " + of;
}

// ---- Materials of spheres and cylinders ------------------------------------------------------------

int CPolyView::SetVertexMaterial(MaterialPasses& passes) {
  passes = MaterialPasses{};
  int kind = GetModelDrawSettings().sphereMaterial;
  if (HasCurrentFaceting()) {
    kind = kMaterialEdgeColor;
  } else if (GeomagStyle) {
    kind = kMaterialSilver;
  }
  detail_PolyViewScene::ApplyMaterialKind(this, passes, kind, GetDisplaySettings().sphereColor, 1.0f);
  return kind;
}

void CPolyView::EndVertexMaterial(MaterialPasses& passes) {
  passes.pass = 0;
  if (GeomagStyle) return;
  Materials().SetSpecular(0.5f);
  SetShininess(90.0f);
}

int CPolyView::SetEdgeMaterial(MaterialPasses& passes) {
  passes = MaterialPasses{};
  if (GeomagStyle) {
    using namespace detail_PolyViewScene;
    // The chosen rod colour: plain, with a faint highlight; the metallic rods and the
    // glowing ones reflect, with a highlight of half their colour.
    const int rod = GetGeomagRodStyle();
    float colour[3];
    UnpackRainbowColor(GetGeomagRodColor(rod), colour);
    ApplyMaterialKind(this, passes, kMaterialPlain, colour, 1.0f);
    const bool reflective = rod >= kFirstReflectiveRod && rod <= kLastReflectiveRod;
    for (int i = 0; i < 3; ++i) passes.specular[i] = reflective ? 0.5f * colour[i] : kPlainRodSpecular;
    if (!reflective) passes.shininess = kPlainRodShininess;
    passes.kind = reflective ? kMaterialSilver : kMaterialPlain;
    return passes.kind;
  }
  const int kind = GetModelDrawSettings().cylinderMaterial;
  detail_PolyViewScene::ApplyMaterialKind(this, passes, kind, GetDisplaySettings().cylinderColor, 1.0f);
  return kind;
}

void CPolyView::EndEdgeMaterial(MaterialPasses& passes) {
  passes.pass = 0;
  Materials().SetSpecular(0.5f);
  SetShininess(90.0f);
}

bool CPolyView::ApplyFaceAppearance(bool forSpheres, MaterialPasses& passes) {
  const ModelDrawSettings& settings = GetModelDrawSettings();
  if (passes.pass++ == 0) {
    const int kind = forSpheres ? settings.sphereMaterial : GeomagStyle ? passes.kind : settings.cylinderMaterial;
    passes.passFlags = 0;
    passes.passBit = 1;
    // Reflections and textures need the renderer's texture images: a pass whose
    // texture is not there is left out.
    if (detail_PolyViewScene::IsReflective(kind) && glIsTexture(2)) passes.passFlags |= kPassSphereMap;
    if (kind == kMaterialGlass && glIsTexture(5)) {
      passes.texture = 5;
      passes.passFlags |= kPassTexture | kPassSpecular;
    } else if (kind == kMaterialTextured && glIsTexture(3)) {
      passes.texture = 3;
      passes.passFlags |= kPassTexture | kPassSpecular;
    } else if (!(passes.passFlags & kPassSphereMap)) {
      passes.passFlags |= kPassSecondPlain;
    }
    if (GetGLAbilities().separateSpecular || passes.passFlags == kPassSecondPlain) {
      passes.passFlags &= ~kPassSpecular;
      for (float& c : passes.specular) c *= 0.5f;
    }
    if (passes.passFlags & kPassSpecular) {
      Materials().SetSpecular(0.0f);
    } else {
      SetSpecularColor(passes.specular);
      SetShininess(passes.shininess);
    }
    Materials().SetCullMode(kCullBack);
    return true;
  }
  // Undo the pass just drawn.
  if (passes.passBit == kPassSpecular && passes.passFlags != kPassSpecular)
    Materials().SetTransparencyMode(kTransparencyOpaque);
  // On to the next pass that is set.
  for (passes.passBit = static_cast<uint8_t>(passes.passBit << 1); passes.passBit && passes.passBit <= kPassSpecular;
       passes.passBit = static_cast<uint8_t>(passes.passBit << 1)) {
    if (!(passes.passFlags & passes.passBit)) continue;
    if (passes.passBit == kPassSpecular) {
      static constexpr float kBlack[3] = {0.0f, 0.0f, 0.0f};
      Materials().SetMaterialColor(kBlack);
      SetSpecularColor(passes.specular);
      SetShininess(passes.shininess);
      if (passes.passFlags != kPassSpecular) Materials().SetTransparencyMode(kTransparencyAdditive);
    }
    return true;
  }
  Materials().SetCullMode(kCullNone);
  passes.passFlags = 0;
  passes.passBit = 1;
  passes.texture = -1;
  return false;
}

// ---- The construction toy ---------------------------------------------------------------------------

void CPolyView::CheckConstructionToy() {
  if (!GeomagStyle || !mViewType.IsSet()) return;
  Poly* poly = GetCurrentPoly();
  if (!poly) return;
  auto report = [this, poly](bool buildable, bool dual, bool needsReason) {
    const char* reason = poly->mKitReason[dual ? 1 : 0];
    if (!buildable) {
      if (reason || !needsReason) SetMessage(this, "Model can't be made with Geomag.\n%s", reason ? reason : "");
    } else if (reason) {
      SetMessage(this, "Some Geomag panels have been left out.\n%s", reason);
    }
  };
  if (mViewType.Is(kViewBasePolyhedron) || mViewType.Is(kViewDualPolyhedron)) {
    const bool dual = mViewType.Is(kViewDualPolyhedron);
    report(CanBuildWithKit(poly, dual), dual, false);
  } else if (mViewType.IsStellationPane() || mViewType.IsNet()) {
    const bool dual = mViewType.Is(kViewStellationOfDual) || (mViewType.IsNet() && poly->mShowDual);
    Outcome why;
    const bool can = CanBuildStellationWithKit(poly, dual, &why);
    TellOutcome(why);
    report(can, dual, true);
  } else {
    SetMessage(this, "%s", "Geomag-style not available in this view.");
  }
}

// ---- The cross-section in model panes ----------------------------------------------------------------

bool CPolyView::ShowsSectionInModel() const {
  const int choice = GetSectionInModelChoice();
  const bool shown = choice == kSectionInModelAlways ||
                     (choice == kSectionInModelWhenOpen && FindViewOfType(kViewCrossSection, kViewCrossSection));
  if (!shown) return false;
  const Poly* poly = GetCurrentPoly();
  const bool documentDual = poly && poly->mShowDual;
  switch (mViewType.GetShownSide(documentDual)) {
    case ShownSide::Base:
      return !documentDual;
    case ShownSide::Dual:
      return documentDual;
    default:
      return mViewType.Is(kViewCompoundOfDuals);
  }
}

bool CPolyView::TakesSectionDrag(ViewType code) const {
  if (code == kViewCrossSection) return true;
  if (code == kViewBasePolyhedron || code == kViewDualPolyhedron || code == kViewCompoundOfDuals) {
    return ShowsSectionInModel();
  }
  return false;
}

bool CPolyView::SelectionModeApplies(bool ignoreMode) const {
  const int mode = ignoreMode ? kSelectFacesVertices : GetClickMode(GetViewGroup(), mViewType.Code());
  if (mode == kSelectColorHide) return false;
  if (mViewType.Is(kViewCrossSection)) return true;
  if (mode != kSelectSectionTumble && !ShowsSectionInModel()) return false;
  return mViewType.IsModelPane();
}

void CPolyView::DrawSectionInModel() {
  if (!ShowsSectionInModel()) return;
  Poly* poly = GetCurrentPoly();
  if (!poly || !poly->BuildCrossSection() || !poly->mCrossSection) return;
  // The section's plane coordinates carried into the model: x u + y v + the plane's
  // point nearest the centre, at the model's scale.
  SlicePlane plane;
  poly->GetSlicePlane(plane);
  const double s = poly->mDisplayScale;
  double a[3], b[3], c[3];
  for (int k = 0; k < 3; ++k) {
    a[k] = plane.mU[k] * s;
    b[k] = plane.mV[k] * s;
    c[k] = -plane.mOffset * plane.mNormal[k] * s;
  }
  CrossSection* section = poly->mCrossSection.get();
  DrawCrossSection(section, a, b, c);
  // Shown through the model.
  glDisable(GL_POLYGON_OFFSET_FILL);
  Materials().SetLineStipple(0x5555);
  const int mode = Materials().SetTransparencyMode(kTransparencyBlended);
  glDisable(GL_DEPTH_TEST);
  DrawCrossSection(section, a, b, c);
  glEnable(GL_DEPTH_TEST);
  Materials().SetTransparencyMode(mode);
  Materials().SetLineStipple(0);
}

}  // namespace corvia
