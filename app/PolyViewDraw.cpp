// The pane's drawing by view type, its pending fit, and the radius its fits use.

#include <algorithm>
#include <cmath>
#include <memory>

#include "app/PolyDoc.h"
#include "app/PolyView.h"
#include "construction/ModelFactory.h"
#include "core/FaceImageRef.h"
#include "core/Messages.h"
#include "core/VectorMath.h"
#include "model/FaceTypeBlock.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "construction/Augmentation.h"
#include "core/DrawnPolygon.h"
#include "nets/Model3D.h"
#include "render/AugmentationDraw.h"
#include "render/DepthSortedTriangles.h"
#include "render/DisplaySettings.h"
#include "render/DrawnPolygonDrawing.h"
#include "render/FaceImageTexturing.h"
#include "render/FacetModelDrawing.h"
#include "render/GeomagStyle.h"
#include "render/ModelDrawSettings.h"
#include "render/ModelDrawing.h"
#include "render/NetDrawSettings.h"
#include "render/OutcomeBoxes.h"
#include "render/StellationDrawing.h"
#include "render/SymmetryDrawing.h"
#include "render/VertexEdgeDrawing.h"
#include "render/ViewTypeDrawing.h"
#include "stellation/FacetPreview.h"
#include "stellation/Faceting.h"
#include "stellation/StellationState.h"
#include "symmetry/SymGroup.h"
#include "render/GL.h"
#include "symmetry/SimplePoly.h"

namespace corvia {

namespace detail_PolyViewDraw {

// The pixels a fit keeps free round a model in a three-dimensional pane.
constexpr int kModelFitMargin = 4;

// The power law of the polygon offset: units through (1.2, 8000), (4.5, 200) and
// (75, 6), linear in log-log scale on each segment.
constexpr double kOffsetNearDistance = 1.2;
constexpr double kOffsetNearUnits = 8000.0;
constexpr double kOffsetMidDistance = 4.5;
constexpr double kOffsetMidUnits = 200.0;
constexpr double kOffsetFarDistance = 75.0;
constexpr double kOffsetFarUnits = 6.0;
constexpr double kOffsetOrthogonalUnits = 10.0;
// The eye is never nearer the centre than this for the offset, so that the power law
// stays finite (an eye at or behind the centre has no logarithm).
constexpr double kOffsetClosestDistance = 0.01;

double PowerLaw(double d, double x0, double y0, double x1, double y1) {
  return std::exp(std::log(y0) + (std::log(d) - std::log(x0)) * (std::log(y1) - std::log(y0)) /
                                     (std::log(x1) - std::log(x0)));
}

}  // namespace detail_PolyViewDraw

double PolygonOffsetUnits(double distance, bool orthogonal) {
  using namespace detail_PolyViewDraw;
  if (orthogonal) return kOffsetOrthogonalUnits;
  const double d = std::isfinite(distance) ? std::max(distance, kOffsetClosestDistance) : kOffsetFarDistance;
  double units = 0.0;
  if (d < kOffsetMidDistance) {
    units = PowerLaw(d, kOffsetNearDistance, kOffsetNearUnits, kOffsetMidDistance, kOffsetMidUnits);
  } else {
    units = PowerLaw(d, kOffsetMidDistance, kOffsetMidUnits, kOffsetFarDistance, kOffsetFarUnits);
  }
  return std::max(units, 1.0);
}

// Every view type has its drawing now; a type that lacks one again says so here.
const char* GetMissingContentText(ViewType) {
  return nullptr;
}

// ---- OnGLDraw --------------------------------------------------------------------------------

bool CPolyView::HasContent() const { return GetMissingContentText(mViewType.Code()) == nullptr; }

// Vertices and edges beside the faces, unless the faces draw them through the stencil;
// a pick draws them here all the same, each under its own name.
void CPolyView::DrawVerticesAndEdges(Poly* poly) {
  const ModelDrawSettings& settings = GetModelDrawSettings();
  if (settings.useStencil && !settings.spheresAndCylinders && !mViewType.Is(kViewFacetingPreview) && !IsPicking()) {
    return;
  }
  ViewType code = mViewType.Code();
  if (code == kViewFacetingPreview) code = poly->mShowDual ? kViewDualPolyhedron : kViewBasePolyhedron;
  const double m = mDrawExplosion;
  const int selection = GetMouseSelectionMode(GetViewGroup());
  const bool cutting = selection == kSelectCutEdges && !IsBitmapTarget();
  if (code == kViewBasePolyhedron || code == kViewDualPolyhedron || code == kViewCompoundOfDuals) {
    if (settings.showStelVerts) {
      if (Model3D* model = GetModel3D(poly)) DrawVertices(model, m);
    }
    // In Faceting Mode the preview shows the vertices that a click adds to the facet.
    if (settings.showVerts || (mViewType.Is(kViewFacetingPreview) && selection == kSelectFaceting)) {
      if (code != kViewDualPolyhedron) DrawPolyVertices(poly, kBaseBlock, m);
      if (code != kViewBasePolyhedron) DrawPolyVertices(poly, kDualBlock, m);
    }
    if (cutting) {
      if (Model3D* model = GetModel3D(poly)) DrawMarkedEdges(model, m);
    } else {
      if (settings.showStelEdges) {
        // The facet model's edges are lines, never the toy's rods.
        const bool suspended = SuspendGeomagStyle();
        if (code != kViewDualPolyhedron) {
          if (Model3D* model = poly->mBaseBlock ? poly->mBaseBlock->GetExistingModel3D() : nullptr) DrawEdges(model, m);
        }
        if (code != kViewBasePolyhedron) {
          if (Model3D* model = poly->mDualBlock ? poly->mDualBlock->GetExistingModel3D() : nullptr) DrawEdges(model, m);
        }
        ResumeGeomagStyle(suspended);
      }
      if (settings.showEdges) {
        if (code != kViewDualPolyhedron) DrawPolyEdges(poly, kBaseBlock, m);
        if (code != kViewBasePolyhedron) DrawPolyEdges(poly, kDualBlock, m);
      }
    }
    return;
  }
  Model3D* model = GetModel3D(poly);
  if (!model) return;
  if (settings.showStelVerts || settings.showVerts) DrawVertices(model, m);
  if (cutting) {
    DrawMarkedEdges(model, m);
  } else if (settings.showStelEdges || settings.showEdges) {
    DrawEdges(model, m);
  }
}

// The view type's own drawing; false for a type that has none.
bool CPolyView::DrawViewType(Poly* poly, int& drawMode, double& sizingScale) {
  const double m = mDrawExplosion;
  const double t = GetDualMorphRatio();
  const bool augmenting = poly->mAugmentation && poly->mAugmentation->mView == this;
  switch (mViewType.Code()) {
    case kViewBasePolyhedron:
    case kViewDualPolyhedron:
      if (mViewType.Is(kViewBasePolyhedron)) {
        DrawBaseBlock(poly, 1.0, m);
      } else {
        DrawDualBlock(poly, 1.0, m);
      }
      if (augmenting) Draw(poly->mAugmentation.get(), false);
      return true;
    case kViewCompoundOfDuals:
      DrawBaseBlock(poly, 1.0, m);
      DrawDualBlock(poly, 1.0, m);
      return true;
    case kViewStellationOfBase:
      DrawStellationOfBase(poly, m);
      drawMode = kDrawModeStellation;
      return true;
    case kViewStellationOfDual:
      DrawStellationOfDual(poly, m);
      drawMode = kDrawModeStellation;
      return true;
    case kViewCompound:
      drawMode = DrawCompoundView(poly, m);
      return true;
    case kViewFacetingPreview:
      DrawFacetingPreview(poly, m);
      return true;
    case kViewMorphBySizing:
      sizingScale = DrawMorphBySizing(poly, t, m);
      return true;
    case kViewMorphByTruncation:
      drawMode = DrawMorphByTruncation(poly, t, m);
      return true;
    case kViewMorphByAugmentation:
      drawMode = DrawMorphByAugmentation(poly, t, m);
      return true;
    case kViewMorphByExpansion:
      drawMode = DrawMorphByExpansion(poly, t, m);
      return true;
    case kViewMorphByTiltingQuads:
      drawMode = DrawMorphByTiltingQuads(poly, t, m);
      return true;
    case kViewMorphByTiltingTriangles:
      drawMode = DrawMorphByTiltingTriangles(poly, t, m);
      return true;
    case kViewMorphByTiltingToCompound:
      drawMode = DrawMorphByTiltingToCompound(poly, t, m);
      return true;
    case kViewMorphByTiltingToRectification:
      drawMode = DrawMorphByTiltingToRectification(poly, t, m);
      return true;
    case kViewMorphViaSnub:
      drawMode = DrawMorphViaSnub(poly, t, m);
      return true;
    default:
      return DrawDiagramPane(poly);
  }
}

void CPolyView::OnGLDraw() {
  Poly* poly = GetCurrentPoly();
  ModelDrawSettings& settings = GetModelDrawSettings();
  const DisplaySettings& display = GetDisplaySettings();
  const bool savedStencil = settings.useStencil;
  const bool pane3D = Is3D();
  int drawMode = kDrawModePlain;
  double sizingScale = 1.0;
  if (pane3D) {
    Materials().SetSpecular(0.5f);
    if (IsBitmapTarget()) settings.useStencil = false;
    if (settings.useStencil) {
      glDisable(GL_POLYGON_OFFSET_FILL);
    } else {
      const double distance = Dot(Camera().GetEye(), Camera().GetViewAxis());
      glPolygonOffset(0.0f, static_cast<GLfloat>(PolygonOffsetUnits(distance, Camera().IsOrthogonal())));
      glEnable(GL_POLYGON_OFFSET_FILL);
    }
  }
  const bool modelPane = poly && mViewType.Has(kViewFlag3D) && !Is4DModel();
  const double scale = poly ? poly->mDisplayScale : 1.0;
  if (modelPane) {
    if (display.showMidsphere) DrawReferenceSphere(poly->mDualScale * scale, display.midsphereColor);
    if (mShowSymmetryAxes) DrawModelSymmetryAxes(poly, scale);
    if (mShowReflectionPlanes && poly->mSymGroup) DrawReflections(poly->mSymGroup, scale);
    if (mShowReflectionNormals && poly->mSymGroup) DrawMirrorPlaneNormals(poly->mSymGroup, scale);
    if (!mViewType.Is(kViewFoldingNet) && !mViewType.IsMorph()) DrawVerticesAndEdges(poly);
  }
  // In image mode the current face's image shows where it lies, before the model and
  // once more after it.
  PolyElement* imageFace = nullptr;
  if (modelPane && GetMouseSelectionMode(GetViewGroup()) == kSelectImage) {
    PolyElement* face = poly->GetCurrentFace();
    if (face && face->mImage) {
      imageFace = face;
      DrawWholeImage(face->mImage, this, face);
    }
  }
  // A type whose drawing is not in this version shows an empty pane (and says so).
  if (!IsKnownViewType(mViewType.Code())) {
    ShowInternalError("Illegal view type in OnGLDraw (0x%x).", mViewType.Code());
  } else if (poly && HasContent()) {
    DrawViewType(poly, drawMode, sizingScale);
  }
  DrawDepthSortedTriangles();
  if (modelPane && mShowReflectionPlanes && poly->mSymGroup && poly->mSymGroup->type == kSymGroupPyramidal) {
    // The planes show through the model.
    glDisable(GL_DEPTH_TEST);
    Materials().SetLineStipple(0x5555);
    DrawReflections(poly->mSymGroup, scale);
    glEnable(GL_DEPTH_TEST);
    Materials().SetLineStipple(0);
  }
  if (poly && pane3D && !mViewType.Is(kViewFoldingNet) && !mViewType.IsMorph()) {
    if (mViewType.HasAny(kViewFlagBase | kViewFlagDual | kViewFlagPart) && AreFaceletNumbersShown()) {
      if (Model3D* model = GetModel3D(poly)) {
        Transform3D transform{};
        for (int k = 0; k < 3; ++k) transform.m[4 * k] = scale;
        DrawFaceletNumbers(model, transform, false);
      }
    }
    DrawSectionInModel();
    if (GetMouseSelectionMode(GetViewGroup()) == kSelectMeasurement) {
      glDisable(GL_POLYGON_OFFSET_FILL);
      DrawMeasurements(nullptr);
    } else if (HasCurrentFaceting()) {
      // The facets being drawn show through the model.
      glDisable(GL_POLYGON_OFFSET_FILL);
      DrawDrawnPolygons(poly->mDrawnPolygons, this);
      Materials().SetLineStipple(0x5555);
      glDisable(GL_DEPTH_TEST);
      DrawDrawnPolygons(poly->mDrawnPolygons, this);
      glEnable(GL_DEPTH_TEST);
      Materials().SetLineStipple(0);
      DrawFacetingVertices(poly, poly->mShowDual ? kDualBlock : kBaseBlock, mDrawExplosion);
    }
    glDisable(GL_POLYGON_OFFSET_FILL);
    if (poly->mAugmentation && poly->mAugmentation->mView == this) {
      Materials().SetLineStipple(0x1111);
      glDisable(GL_DEPTH_TEST);
      Draw(poly->mAugmentation.get(), true);
      glEnable(GL_DEPTH_TEST);
      Materials().SetLineStipple(0);
    }
  }
  if (pane3D) {
    if (imageFace) DrawWholeImage(imageFace->mImage, this, imageFace);
    if (poly && HasContent()) DrawSelection(poly, drawMode, sizingScale);
    if (poly && HasContent() && mViewType.IsStellationPane()) {
      ElementList* faces = mViewType.Is(kViewStellationOfDual) ? static_cast<ElementList*>(&poly->mVertices)
                                                                : static_cast<ElementList*>(&poly->mFaces);
      DrawSelectedCell(poly, faces, GetShownBlock(false), mDrawExplosion);
    }
    glEnable(GL_DEPTH_TEST);
    Materials().SetLineStipple(0);
  }
  settings.useStencil = savedStencil;
}

void CPolyView::DrawSelection(Poly* poly, int drawMode, double sizingScale) {
  if (!poly->mSelectedItem || IsPicking()) return;
  if (mViewType.Is(kViewFoldingNet)) {
    if (Model3D* model = GetModel3D(poly)) DrawSelectedFacelets(model);
    return;
  }
  // Items belong to the side the document shows.
  if (!(mViewType.GetDrawnSides(poly->mShowDual, GetDualMorphRatio()) & (poly->mShowDual ? 2 : 1))) return;
  const double m = mDrawExplosion;
  if (poly->IsEdgeSelected()) {
    DrawSelectedEdge(poly, m);
    return;
  }
  const bool asVertex = poly->IsSelectionVertex();
  if (!asVertex) DrawSelectedFace(poly, drawMode, sizingScale, m);
  if (asVertex && mViewType.IsModelPane()) {
    // Shown through the model.
    glDisable(GL_DEPTH_TEST);
    DrawSelectionMeasurements(poly, m);
    glEnable(GL_DEPTH_TEST);
  }
}

// The content of a pane whose drawing is not in this version: an empty pane with a
// line that says so where messages stand.
void CPolyView::DrawContentMissing() {
  if (GetMessage() || !mViewType.IsSet()) return;
  if (const char* missing = GetMissingContentText(mViewType.Code())) {
    Text().DrawCornerText(3, missing, GetDisplaySettings().titleColor, 0, 0, 1.0f);
  }
}

// ---- Fits -------------------------------------------------------------------------------------

double CPolyView::GetShownSphereRadius() const {
  const ModelDrawSettings& settings = GetModelDrawSettings();
  Poly* poly = GetCurrentPoly();
  if (!poly || !Is3D() || !settings.spheresAndCylinders) return 0.0;
  if (!(settings.showVerts || settings.showEdges || settings.showStelVerts || settings.showStelEdges)) return 0.0;
  // The mean edge length of what the pane shows: the larger side's for the compound.
  double edge = 0.0;
  if (mViewType.IsStellation()) {
    FaceTypeBlock* block = GetShownBlock(false);
    edge = block ? block->GetMeanEdgeLength() : 0.0;
  } else if (mViewType.Is(kViewCompoundOfDuals) || mViewType.Is(kViewFacetingPreview)) {
    for (FaceTypeBlock* block : {poly->mBaseBlock.get(), poly->mDualBlock.get()}) {
      if (block) edge = std::max(edge, block->GetMeanEdgeLength());
    }
  } else if (FaceTypeBlock* block = GetShownBlock(false)) {
    edge = block->GetMeanEdgeLength();
  }
  return GetSphereRadius(poly, mViewType.IsShowingDual(poly->mShowDual), edge, -1, -1.0, -1.0);
}

double CPolyView::GetGeometryRadius(bool withSpheres) const {
  Poly* poly = GetCurrentPoly();
  double radius = 1.0;
  switch (mViewType.Code()) {
    case kViewBasePolyhedron:
      radius = 1.0;
      break;
    case kViewDualPolyhedron:
      radius = poly ? poly->GetRadius() : 1.0;
      break;
    case kViewFacetingPreview: {
      // The faceted model's farthest vertex; without one, the side the document shows.
      double farthest = 0.0;
      if (poly) UpdateFacetPreview(poly);
      if (poly && poly->mFacetPreview && poly->mFacetPreview->model) {
        const SimplePoly& model = *poly->mFacetPreview->model;
        for (int i = 0; i < model.NumVerts(); ++i) {
          const SimpleVert& v = model.VertAt(i);
          if (!v.IsInfinite()) farthest = std::max(farthest, std::sqrt(Dot(v.pos, v.pos)));
        }
      }
      radius = farthest > 0.0 ? farthest : poly && poly->mShowDual ? poly->GetRadius() : 1.0;
      break;
    }
    case kViewCompound: {
      // The compound draws the base model's faces whichever side is shown: whole, out
      // to its corners, while the shown side is unstellated, else the base stellation's
      // facelets in their planes.
      FaceTypeBlock* shown = GetShownBlock(false);
      FaceTypeBlock* base = poly ? poly->mBaseBlock.get() : nullptr;
      const double made = base && shown && !FaceTypeBlock::IsOriginalStellation(shown) ? UpdateScaleOrTell(base) : -1.0;
      radius = made > 0.0 && std::isfinite(made) ? made : 1.0;
      break;
    }
    case kViewStellationOfBase:
    case kViewStellationOfDual:
    case kViewFoldingNet: {
      FaceTypeBlock* block = GetShownBlock(false);
      // The stellation is framed as it is: its facet model is made first (the drawing
      // needs it next anyway). Only when it cannot be made does the shown side's own
      // radius stand for it: the dual's reaches past 1.
      const double side = block && block->IsDual() && poly ? poly->GetRadius() : 1.0;
      const double made = UpdateScaleOrTell(block);
      double scale = made > 0.0 && std::isfinite(made) ? made : side;
      // Unstellated, the pane draws the model's own faces, reaching to its corners.
      if (block && FaceTypeBlock::IsOriginalStellation(block)) scale = std::max(scale, side);
      radius = scale;
      if (mViewType.Is(kViewFoldingNet)) {
        // Twice the model's reach, and as far as the nets reach, folded as they are:
        // long arms unfolded reach beyond it. The drawing makes the nets next anyway.
        Model3D* model = GetModel3DOrTell(block, true);
        const double reach = model && model->HasNets() ? model->GetShownNetsReach() : 0.0;
        radius = std::max(2.0 * scale, std::isfinite(reach) ? reach : 0.0);
      }
      break;
    }
    default:
      if (mViewType.Is(kViewCompoundOfDuals) || mViewType.IsMorph()) {
        radius = std::max(poly ? poly->GetRadius() : 1.0, 1.0);
      } else {
        const float* e = Mapping2D().GetExtents2D();
        radius = std::max(std::fabs(e[2] - e[0]), std::fabs(e[3] - e[1])) / 2.0;
      }
      break;
  }
  if (withSpheres) radius += GetShownSphereRadius();
  return radius;
}

void CPolyView::FitGeometryToView(int mode) {
  if (mode == kFitTight && Is3D()) {
    Poly* poly = GetCurrentPoly();
    if (!poly) return;
    ViewExtents extents;
    Camera().InitExtents(extents, GetShownSphereRadius(), 0, 0);
    const uint32_t flags = mExplosion == 1.0 ? 0x207 : 0x7;
    // Derived quietly; the facet model a stellation pane's model is made from is made
    // first, so that a refusal of its build is told.
    GetModel3DOrTell(FacetModelBlockForViewType(*poly, static_cast<uint32_t>(GetViewType()), flags), false);
    std::unique_ptr<SimplePoly> model(CreateModel(poly, flags, nullptr, nullptr, CPolyDoc::GetPaneViewType(this)));
    if (!model) return;
    for (int i = 0; i < model->NumVerts(); ++i) {
      const SimpleVert& v = model->VertAt(i);
      if (!v.IsInfinite()) Camera().AddPointToExtents(extents, v.pos);
    }
    Camera().ZoomToExtents(extents);
    Invalidate(true);
    return;
  }
  // A model's farthest corners lie on the sphere fitted: a few pixels are kept free
  // round it. The flat panes leave room in their extents instead.
  const int margin = Is3D() ? detail_PolyViewDraw::kModelFitMargin : 0;
  Camera().SetPixelMargins(margin, margin);
  if (Is3D()) {
    Camera().ViewSphere(nullptr, GetGeometryRadius(true));
    return;
  }
  // Flat panes show their element in its own frame, upright.
  if (mode == kFitNormal) Mapping2D().SetRotation2D(0.0f);
  Mapping2D().FitExtents2D();
}

void CPolyView::ExtentsPass() {
  if (!mViewType.IsSet()) return;
  // A flat pane whose mapping frames nothing has never been fitted: a camera was put
  // on it (from a scene or a record) before its diagram was there. No zoom of the
  // user's leaves it so: it is fitted like a pane just chosen.
  const float* e = Mapping2D().GetExtents2D();
  const bool unframed = !Is3D() && (std::fabs(e[2] - e[0]) <= kTinyExtent || std::fabs(e[1] - e[3]) <= kTinyExtent);
  if ((mFitMode == kFitNone && !unframed) || !HasContent()) return;
  if (mFitMode == kFitNone) mFitMode = kFitNormal;
  if (!Is3D()) {
    // The flat panes fit their diagram once it is there; until then the fit waits.
    if (!PrepareDiagramPane()) return;
  }
  const int mode = mFitMode;
  mFitMode = kFitNone;
  FitGeometryToView(mode);
  mFitted = TakeFittedCamera();
}

CPolyView::FittedCamera CPolyView::TakeFittedCamera() const {
  FittedCamera camera;
  camera.valid = true;
  camera.is3D = Is3D();
  camera.distance = Dot(Camera().GetEye(), Camera().GetViewAxis());
  camera.orthoHalfHeight = Camera().GetOrthoHalfHeight();
  camera.zoom = Mapping2D().GetZoom();
  camera.scroll[0] = Mapping2D().GetScrollPosition2D()[0];
  camera.scroll[1] = Mapping2D().GetScrollPosition2D()[1];
  camera.rotation = Mapping2D().GetRotation2D();
  return camera;
}

void CPolyView::OnSize(int width, int height) {
  // Whether the camera is still the one the last fit made, measured before the new
  // size moves the 2D scroll position.
  const FittedCamera now = TakeFittedCamera();
  const bool asFitted = mFitted.valid && now.is3D == mFitted.is3D && now.distance == mFitted.distance &&
                        now.orthoHalfHeight == mFitted.orthoHalfHeight && now.zoom == mFitted.zoom &&
                        now.scroll[0] == mFitted.scroll[0] && now.scroll[1] == mFitted.scroll[1] &&
                        now.rotation == mFitted.rotation;
  OpenGLView::OnSize(width, height);
  // A pane shown as its fit left it (the user has not zoomed, panned or scrolled it
  // since) is fitted to the size it has now: what it shows stays whole.
  if (asFitted && width > 0 && height > 0 && mViewType.IsSet() && mFitMode == kFitNone) {
    SetFitMode(kFitNormal);
  }
}

}  // namespace corvia
