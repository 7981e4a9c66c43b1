// The pane's drawing by view type, around it the draws of a fading transition and the
// corner texts, the cross-section in model panes; its pending fit and the radius its
// fits use.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <numbers>

#include "app/PaneDrawing.h"

#include "app/CellDiagramMesh.h"
#include "app/PanePrinting.h"
#include "app/PaneViewType.h"
#include "app/PolyDoc.h"
#include "app/PolyView.h"
#include "construction/ModelFactory.h"
#include "core/FaceImageRef.h"
#include "core/Messages.h"
#include "core/Strings.h"
#include "core/VectorMath.h"
#include "model/CrossSection.h"
#include "model/FaceTypeBlock.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "model/Transitions.h"
#include "construction/Augmentation.h"
#include "core/DrawnPolygon.h"
#include "nets/Model3D.h"
#include "render/AugmentationDraw.h"
#include "render/CrossSectionDrawing.h"
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

namespace detail_PaneDrawing {

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

}  // namespace detail_PaneDrawing

double PolygonOffsetUnits(double distance, bool orthogonal) {
  using namespace detail_PaneDrawing;
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

// ---- The pane's side ------------------------------------------------------------------------

FaceTypeBlock* GetPaneShownBlock(const PaneViewType& type, Poly* poly, bool other) {
  const ShownSide side = type.GetShownSide(poly && poly->mShowDual);
  if (!poly || side == ShownSide::None) return nullptr;
  const bool dual = (side == ShownSide::Dual) != other;
  return dual ? poly->mDualBlock.get() : poly->mBaseBlock.get();
}

Model3D* GetPaneModel3D(const PaneViewType& type, Poly* poly) {
  if (!poly) return nullptr;
  // The pane's side when it shows one, else the side the document shows.
  const ShownSide side = type.GetShownSide(IsDocumentShowingDual());
  FaceTypeBlock* block = side == ShownSide::Dual   ? poly->mDualBlock.get()
                         : side == ShownSide::Base ? poly->mBaseBlock.get()
                                                   : poly->GetShownBlock();
  return GetModel3DOrTell(block, false);
}

PaneDrawing::PaneDrawing(OpenGLView& view, const PaneViewType& type, const PanePage& page)
    : mView(view), mViewType(type), mPage(page) {}

PaneDrawing::~PaneDrawing() = default;

FaceTypeBlock* PaneDrawing::GetShownBlock(bool other) const {
  return GetPaneShownBlock(mViewType, GetCurrentPoly(), other);
}

Model3D* PaneDrawing::GetModel3D(Poly* poly) { return GetPaneModel3D(mViewType, poly); }

// ---- OnGLDraw --------------------------------------------------------------------------------

bool PaneDrawing::HasContent() const { return GetMissingContentText(mViewType.Code()) == nullptr; }

// Vertices and edges beside the faces, unless the faces draw them through the stencil;
// a pick draws them here all the same, each under its own name.
void PaneDrawing::DrawVerticesAndEdges(Poly* poly) {
  const ModelDrawSettings& settings = GetModelDrawSettings();
  if (settings.useStencil && !settings.spheresAndCylinders && !mViewType.Is(kViewFacetingPreview) &&
      !mView.IsPicking()) {
    return;
  }
  ViewType code = mViewType.Code();
  if (code == kViewFacetingPreview) code = poly->mShowDual ? kViewDualPolyhedron : kViewBasePolyhedron;
  const double m = mDrawExplosion;
  const int selection = GetMouseSelectionMode(mView.GetViewGroup());
  const bool cutting = selection == kSelectCutEdges && !mView.IsBitmapTarget();
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
bool PaneDrawing::DrawViewType(Poly* poly, int& drawMode, double& sizingScale) {
  const double m = mDrawExplosion;
  const double t = GetDualMorphRatio();
  const bool augmenting = poly->mAugmentation && poly->mAugmentation->mView == &mView;
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

void PaneDrawing::OnGLDraw(const PaneGuides& guides) {
  Poly* poly = GetCurrentPoly();
  ModelDrawSettings& settings = GetModelDrawSettings();
  const DisplaySettings& display = GetDisplaySettings();
  const bool savedStencil = settings.useStencil;
  const bool pane3D = mView.Is3D();
  int drawMode = kDrawModePlain;
  double sizingScale = 1.0;
  if (pane3D) {
    mView.Materials().SetSpecular(0.5f);
    if (mView.IsBitmapTarget()) settings.useStencil = false;
    if (settings.useStencil) {
      glDisable(GL_POLYGON_OFFSET_FILL);
    } else {
      const double distance = Dot(mView.Camera().GetEye(), mView.Camera().GetViewAxis());
      glPolygonOffset(0.0f, static_cast<GLfloat>(PolygonOffsetUnits(distance, mView.Camera().IsOrthogonal())));
      glEnable(GL_POLYGON_OFFSET_FILL);
    }
  }
  const bool modelPane = poly && mViewType.Has(kViewFlag3D) && !Is4DModel();
  const double scale = poly ? poly->mDisplayScale : 1.0;
  if (modelPane) {
    if (display.showMidsphere) DrawReferenceSphere(poly->mDualScale * scale, display.midsphereColor);
    if (guides.symmetryAxes) DrawModelSymmetryAxes(poly, scale);
    if (guides.reflectionPlanes && poly->mSymGroup) DrawReflections(poly->mSymGroup, scale);
    if (guides.reflectionNormals && poly->mSymGroup) DrawMirrorPlaneNormals(poly->mSymGroup, scale);
    if (!mViewType.Is(kViewFoldingNet) && !mViewType.IsMorph()) DrawVerticesAndEdges(poly);
  }
  // In image mode the current face's image shows where it lies, before the model and
  // once more after it.
  PolyElement* imageFace = nullptr;
  if (modelPane && GetMouseSelectionMode(mView.GetViewGroup()) == kSelectImage) {
    PolyElement* face = poly->GetCurrentFace();
    if (face && face->GetImage()) {
      imageFace = face;
      DrawWholeImage(face->GetImage(), &mView, face);
    }
  }
  // A type whose drawing is not in this version shows an empty pane (and says so).
  if (!IsKnownViewType(mViewType.Code())) {
    ShowInternalError("Illegal view type in OnGLDraw (0x%x).", mViewType.Code());
  } else if (poly && HasContent()) {
    DrawViewType(poly, drawMode, sizingScale);
  }
  DrawDepthSortedTriangles();
  if (modelPane && guides.reflectionPlanes && poly->mSymGroup && poly->mSymGroup->type == kSymGroupPyramidal) {
    // The planes show through the model.
    glDisable(GL_DEPTH_TEST);
    mView.Materials().SetLineStipple(0x5555);
    DrawReflections(poly->mSymGroup, scale);
    glEnable(GL_DEPTH_TEST);
    mView.Materials().SetLineStipple(0);
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
    if (GetMouseSelectionMode(mView.GetViewGroup()) == kSelectMeasurement) {
      glDisable(GL_POLYGON_OFFSET_FILL);
      DrawMeasurements(nullptr);
    } else if (HasCurrentFaceting()) {
      // The facets being drawn show through the model.
      glDisable(GL_POLYGON_OFFSET_FILL);
      DrawDrawnPolygons(poly->mDrawnPolygons, &mView);
      mView.Materials().SetLineStipple(0x5555);
      glDisable(GL_DEPTH_TEST);
      DrawDrawnPolygons(poly->mDrawnPolygons, &mView);
      glEnable(GL_DEPTH_TEST);
      mView.Materials().SetLineStipple(0);
      DrawFacetingVertices(poly, poly->mShowDual ? kDualBlock : kBaseBlock, mDrawExplosion);
    }
    glDisable(GL_POLYGON_OFFSET_FILL);
    if (poly->mAugmentation && poly->mAugmentation->mView == &mView) {
      mView.Materials().SetLineStipple(0x1111);
      glDisable(GL_DEPTH_TEST);
      Draw(poly->mAugmentation.get(), true);
      glEnable(GL_DEPTH_TEST);
      mView.Materials().SetLineStipple(0);
    }
  }
  if (pane3D) {
    if (imageFace) DrawWholeImage(imageFace->GetImage(), &mView, imageFace);
    if (poly && HasContent()) DrawSelection(poly, drawMode, sizingScale);
    if (poly && HasContent() && mViewType.IsStellationPane()) {
      ElementList* faces = mViewType.Is(kViewStellationOfDual) ? static_cast<ElementList*>(&poly->mVertices)
                                                                : static_cast<ElementList*>(&poly->mFaces);
      DrawSelectedCell(poly, faces, GetShownBlock(false), mDrawExplosion);
    }
    glEnable(GL_DEPTH_TEST);
    mView.Materials().SetLineStipple(0);
  }
  settings.useStencil = savedStencil;
}

void PaneDrawing::DrawSelection(Poly* poly, int drawMode, double sizingScale) {
  if (!poly->mSelectedItem || mView.IsPicking()) return;
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
void PaneDrawing::DrawContentMissing() {
  if (mView.GetMessage() || !mViewType.IsSet()) return;
  if (const char* missing = GetMissingContentText(mViewType.Code())) {
    mView.Text().DrawCornerText(3, missing, GetDisplaySettings().titleColor, 0, 0, 1.0f);
  }
}

// ---- Fits -------------------------------------------------------------------------------------

double PaneDrawing::GetShownSphereRadius() const {
  const ModelDrawSettings& settings = GetModelDrawSettings();
  Poly* poly = GetCurrentPoly();
  if (!poly || !mView.Is3D() || !settings.spheresAndCylinders) return 0.0;
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

double PaneDrawing::GetGeometryRadius(bool withSpheres) const {
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
        const float* e = mView.Mapping2D().GetExtents2D();
        radius = std::max(std::fabs(e[2] - e[0]), std::fabs(e[3] - e[1])) / 2.0;
      }
      break;
  }
  if (withSpheres) radius += GetShownSphereRadius();
  return radius;
}

void PaneDrawing::FitGeometryToView(int mode) {
  if (mode == kFitTight && mView.Is3D()) {
    Poly* poly = GetCurrentPoly();
    if (!poly) return;
    ViewExtents extents;
    mView.Camera().InitExtents(extents, GetShownSphereRadius(), 0, 0);
    const uint32_t flags = mExplosion == 1.0 ? 0x207 : 0x7;
    // Derived quietly; the facet model a stellation pane's model is made from is made
    // first, so that a refusal of its build is told.
    GetModel3DOrTell(FacetModelBlockForViewType(*poly, static_cast<uint32_t>(mViewType.Code()), flags), false);
    std::unique_ptr<SimplePoly> model(CreateModel(poly, flags, nullptr, nullptr, CPolyDoc::GetPaneViewType(&mView)));
    if (!model) return;
    for (int i = 0; i < model->NumVerts(); ++i) {
      const SimpleVert& v = model->VertAt(i);
      if (!v.IsInfinite()) mView.Camera().AddPointToExtents(extents, v.pos);
    }
    mView.Camera().ZoomToExtents(extents);
    mView.Invalidate(true);
    return;
  }
  // A model's farthest corners lie on the sphere fitted: a few pixels are kept free
  // round it. The flat panes leave room in their extents instead.
  const int margin = mView.Is3D() ? detail_PaneDrawing::kModelFitMargin : 0;
  mView.Camera().SetPixelMargins(margin, margin);
  if (mView.Is3D()) {
    mView.Camera().ViewSphere(nullptr, GetGeometryRadius(true));
    return;
  }
  // Flat panes show their element in its own frame, upright.
  if (mode == kFitNormal) mView.Mapping2D().SetRotation2D(0.0f);
  mView.Mapping2D().FitExtents2D();
}

void PaneDrawing::ExtentsPass() {
  if (!mViewType.IsSet()) return;
  // A flat pane whose mapping frames nothing has never been fitted: a camera was put
  // on it (from a scene or a record) before its diagram was there. No zoom of the
  // user's leaves it so: it is fitted like a pane just chosen.
  const float* e = mView.Mapping2D().GetExtents2D();
  const bool unframed =
      !mView.Is3D() && (std::fabs(e[2] - e[0]) <= kTinyExtent || std::fabs(e[1] - e[3]) <= kTinyExtent);
  if ((mFitMode == kFitNone && !unframed) || !HasContent()) return;
  if (mFitMode == kFitNone) mFitMode = kFitNormal;
  if (!mView.Is3D()) {
    // The flat panes fit their diagram once it is there; until then the fit waits.
    if (!PrepareDiagramPane()) return;
  }
  const int mode = mFitMode;
  mFitMode = kFitNone;
  FitGeometryToView(mode);
  mFitted = TakeFittedCamera();
}

PaneDrawing::FittedCamera PaneDrawing::TakeFittedCamera() const {
  FittedCamera camera;
  camera.valid = true;
  camera.is3D = mView.Is3D();
  camera.distance = Dot(mView.Camera().GetEye(), mView.Camera().GetViewAxis());
  camera.orthoHalfHeight = mView.Camera().GetOrthoHalfHeight();
  camera.zoom = mView.Mapping2D().GetZoom();
  camera.scroll[0] = mView.Mapping2D().GetScrollPosition2D()[0];
  camera.scroll[1] = mView.Mapping2D().GetScrollPosition2D()[1];
  camera.rotation = mView.Mapping2D().GetRotation2D();
  return camera;
}

bool PaneDrawing::ShowsLastFit() const {
  const FittedCamera now = TakeFittedCamera();
  return mFitted.valid && now.is3D == mFitted.is3D && now.distance == mFitted.distance &&
         now.orthoHalfHeight == mFitted.orthoHalfHeight && now.zoom == mFitted.zoom &&
         now.scroll[0] == mFitted.scroll[0] && now.scroll[1] == mFitted.scroll[1] && now.rotation == mFitted.rotation;
}

void PaneDrawing::SetFitMode(int mode) {
  if (IsFitSuspended()) return;
  mFitMode = mode;
  mView.Invalidate(true);
}

// ---- The motion of a fading transition ---------------------------------------------------

bool PaneDrawing::GetTransitionMotion(Matrix4& transform) {
  using namespace detail_PaneDrawing;
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
  if (!mView.Is3D()) motion = motion * ScalingMatrix4(scale, scale, scale);
  transform = motion;
  return true;
}

// ---- One draw per model --------------------------------------------------------------------------

void PaneDrawing::ScenePass(const PaneGuides& guides) {
  CPolyDoc* doc = GetDocument();
  if (!doc || !mViewType.IsSet()) return;
  DocRecord* current = doc->GetCurrentRecord();
  if (doc->CountRecords() <= 1) {
    mDrawExplosion = mExplosion;
    OnGLDraw(guides);
  } else {
    // A fading transition: the models going and coming are drawn, each with its own
    // camera and motion.
    for (DocRecord* record = doc->GetFirstRecord(); record; record = record->Next()) {
      doc->MakeCurrentRecord(record, kRecordDraw);
      mDrawExplosion = mExplosion;
      mView.SetViewingMatrix(kMatrixProjection, true);
      OnGLDraw(guides);
    }
    if (doc->GetCurrentRecord() != current) doc->MakeCurrentRecord(current, kRecordDraw);
    mView.SetViewingMatrix(kMatrixProjection, true);
  }
  DrawCornerTexts();
}

void PaneDrawing::DrawCornerTexts() {
  const float* colour = GetDisplaySettings().titleColor;
  // The corner texts (the message, the pane's state, the faceting and augmentation
  // previews' words) speak to the user at the screen: a printed page shows the model
  // alone.
  if (mHideTexts || mView.IsPrinting()) return;
  const char* message = mView.GetMessage();
  const bool told = message && !IsBlank(message);
  if (told) {
    mView.Text().DrawCornerText(3, message, colour, 0, 0, 1.0f);
  } else {
    DrawContentMissing();
  }
  char text[96];
  if (const std::string status = GetPaneStatusText(); !status.empty()) {
    mView.Text().DrawCornerText(0, status.c_str(), colour, 0, 0, 1.0f);
  } else if (mViewType.IsMorph()) {
    std::snprintf(text, sizeof text, "Morphing: %.1f%%", 100.0 * GetDualMorphRatio());
    mView.Text().DrawCornerText(0, text, colour, 0, 0, 1.0f);
  } else if (mViewType.Is(kViewCrossSection)) {
    char depth[48];
    std::snprintf(depth, sizeof depth, "%.6f", SliceDepth());
    StripTrailingZeros(depth, 3);
    std::snprintf(text, sizeof text, "Cross-Section depth: %s", depth);
    mView.Text().DrawCornerText(0, text, colour, 0, 0, 1.0f);
  } else if (mViewType.Is(kViewFacetingPreview) && !(told && IsFacetingPreviewEmpty(GetCurrentPoly()))) {
    // An empty preview's words on how to begin give way to the pane's message, as the
    // words for missing content do: a step past the last faceting says so alone.
    mView.Text().DrawCornerText(0, GetFacetingPreviewText(GetCurrentPoly()).c_str(), colour, 0, 0, 1.0f);
  }
  if (GetDisplaySettings().showFrameTime && mView.Frames().GetLastFrameSeconds() > 0.0) {
    std::snprintf(text, sizeof text,
                  mView.Frames().WasLastFrameDrawnAfresh() ? "Frame: %.1f ms (drawn afresh)" : "Frame: %.1f ms",
                  1000.0 * mView.Frames().GetLastFrameSeconds());
    mView.Text().DrawCornerText(2, text, colour, 0, 0, 1.0f);
  }
  Poly* poly = GetCurrentPoly();
  const Augmentation* augmentation = poly ? poly->mAugmentation.get() : nullptr;
  if (augmentation && augmentation->mView == &mView) {
    static const float kPreviewColour[3] = {1.0f, 1.0f, 0.7f};
    mView.Text().DrawCornerText(0, GetAugmentationPreviewText(*augmentation).c_str(), kPreviewColour, 0, 0, 1.0f);
  }
}

// ---- The cross-section in model panes ----------------------------------------------------------------

bool PaneDrawing::ShowsSectionInModel() const {
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

void PaneDrawing::DrawSectionInModel() {
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
  mView.Materials().SetLineStipple(0x5555);
  const int mode = mView.Materials().SetTransparencyMode(kTransparencyBlended);
  glDisable(GL_DEPTH_TEST);
  DrawCrossSection(section, a, b, c);
  glEnable(GL_DEPTH_TEST);
  mView.Materials().SetTransparencyMode(mode);
  mView.Materials().SetLineStipple(0);
}

}  // namespace corvia
