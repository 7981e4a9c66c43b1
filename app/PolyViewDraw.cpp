// The pane's drawing by view type, its pending fit, and the radius its fits use.

#include <algorithm>
#include <cmath>
#include <memory>

#include "app/PolyDoc.h"
#include "app/PolyView.h"
#include "core/Messages.h"
#include "core/VectorMath.h"
#include "model/Poly.h"
#include "render/DisplaySettings.h"
#include "render/GL.h"
#include "stellation/FaceTypeBlock.h"
#include "symmetry/SimplePoly.h"

namespace corvia {

namespace detail_PolyViewDraw {

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

// What a pane of the type shows until its drawing is there.
const char* MissingContent(ViewType code) {
  switch (code) {
    case kViewUnfoldedNet:
    case kViewFoldingNet:
      return "Nets are not drawn in this version.";
    case kViewFace:
    case kViewFaceOfStellation:
    case kViewStellationDiagram:
    case kViewCellDiagram:
    case kViewVertexFigure:
    case kViewFacetingDiagram:
      return "This diagram is not drawn in this version.";
    case kViewCrossSection:
      return "Cross-sections are not drawn in this version.";
    case kViewStellationOfBase:
    case kViewStellationOfDual:
    case kViewCompound:
      return "Stellations are not drawn in this version.";
    case kViewFacetingPreview:
      return "Facetings are not drawn in this version.";
    default:
      if (code & kViewFlagMorph) return "Dual morphs are not drawn in this version.";
      return "Models are not drawn in this version.";
  }
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

const char* GetMissingContentText(ViewType code) { return detail_PolyViewDraw::MissingContent(code); }

// ---- OnGLDraw --------------------------------------------------------------------------------

void CPolyView::OnGLDraw() {
  DisplaySettings& display = GetDisplaySettings();
  const bool savedStencil = display.useStencil;
  if (Is3D()) {
    SetSpecular(0.5f);
    if (IsBitmapTarget()) display.useStencil = false;
    if (display.useStencil) {
      glDisable(GL_POLYGON_OFFSET_FILL);
    } else {
      const double distance = Dot(GetEye(), GetViewAxis());
      glPolygonOffset(0.0f, static_cast<GLfloat>(PolygonOffsetUnits(distance, IsOrthogonal())));
      glEnable(GL_POLYGON_OFFSET_FILL);
    }
  }
  // The view type's own drawing.
  if (!IsKnownViewType(mViewType)) {
    ShowInternalError("Illegal view type in OnGLDraw (0x%x).", mViewType);
  }
  if (Is3D()) {
    glDisable(GL_POLYGON_OFFSET_FILL);
    glEnable(GL_DEPTH_TEST);
    SetLineStipple(0);
  }
  display.useStencil = savedStencil;
}

// The content of a pane whose drawing is not in this version: an empty pane with a
// line that says so where messages stand.
void CPolyView::DrawContentMissing() {
  if (GetMessage() || mViewType == kNoViewType) return;
  DrawCornerText(3, GetMissingContentText(mViewType), GetDisplaySettings().titleColor, 0, 0, 1.0f);
}

// ---- Fits -------------------------------------------------------------------------------------

double CPolyView::GetShownSphereRadius() const {
  const DisplaySettings& display = GetDisplaySettings();
  if (!Is3D() || !display.spheresAndCylinders) return 0.0;
  if (!(display.showVerts || display.showEdges || display.showStelVerts || display.showStelEdges)) return 0.0;
  // The spheres are drawn with the models; until then none stands out of a model.
  return 0.0;
}

double CPolyView::GetGeometryRadius(bool withSpheres) const {
  Poly* poly = GetCurrentPoly();
  double radius = 1.0;
  switch (mViewType) {
    case kViewBasePolyhedron:
      radius = 1.0;
      break;
    case kViewDualPolyhedron:
      radius = poly ? poly->GetRadius() : 1.0;
      break;
    case kViewFacetingPreview:
      radius = poly && poly->mShowDual ? poly->GetRadius() : 1.0;
      break;
    case kViewStellationOfBase:
    case kViewStellationOfDual:
    case kViewCompound:
    case kViewFoldingNet: {
      FaceTypeBlock* block = GetShownBlock(false);
      const double scale = block && block->GetExistingModel3D() ? block->UpdateScale() : 1.0;
      radius = mViewType == kViewFoldingNet ? 2.0 * scale : scale;
      break;
    }
    default:
      if (mViewType == kViewCompoundOfDuals || (mViewType != kNoViewType && (mViewType & kViewFlagMorph))) {
        radius = std::max(poly ? poly->GetRadius() : 1.0, 1.0);
      } else {
        const float* e = GetExtents2D();
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
    InitExtents(extents, GetShownSphereRadius(), 0, 0);
    const uint32_t flags = mExplosion == 1.0 ? 0x207 : 0x7;
    std::unique_ptr<SimplePoly> model(poly->CreateModel(flags, nullptr, nullptr, this));
    if (!model) return;
    for (int i = 0; i < model->NumVerts(); ++i) {
      const SimpleVert& v = model->VertAt(i);
      if (!v.IsInfinite()) AddPointToExtents(extents, v.pos);
    }
    ZoomToExtents(extents);
    Invalidate(true);
    return;
  }
  if (Is3D()) {
    ViewSphere(nullptr, GetGeometryRadius(true));
    return;
  }
  // Flat panes fit their diagram; the diagrams come with their panes.
  FitExtents2D();
}

void CPolyView::ExtentsPass() {
  if (mViewType == kNoViewType || mFitMode == kFitNone) return;
  // Only the model panes have something to fit in this version: the diagrams, nets
  // and sections wait until there is one.
  if (!Is3D() || (mViewType & kViewFlagNet)) return;
  const int mode = mFitMode;
  mFitMode = kFitNone;
  FitGeometryToView(mode);
}

}  // namespace corvia
