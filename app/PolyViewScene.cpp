// What the pane answers the model drawing beside its drawing part: the materials of
// vertex spheres and edge cylinders; the texts of the faceting and augmentation
// previews; the construction-toy check; which panes take the cross-section's drag.

#include <algorithm>
#include <cmath>

#include "app/PolyDoc.h"
#include "app/PolyView.h"
#include "construction/Augmentation.h"
#include "core/BigUInt.h"
#include "core/DrawnPolygon.h"
#include "core/Globals.h"
#include "core/Messages.h"
#include "core/RainbowColor.h"
#include "core/VectorMath.h"
#include "model/ColorSchemes.h"
#include "model/Edge.h"
#include "model/Globals.h"
#include "model/Poly.h"
#include "model/Transitions.h"
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

bool CPolyView::TakesSectionDrag(ViewType code) const {
  if (code == kViewCrossSection) return true;
  if (code == kViewBasePolyhedron || code == kViewDualPolyhedron || code == kViewCompoundOfDuals) {
    return mDrawing.ShowsSectionInModel();
  }
  return false;
}

}  // namespace corvia
