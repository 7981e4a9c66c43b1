// The drawers of the panes' view types.

#include "render/ElementDrawing.h"
#include "render/PreviewDrawing.h"
#include "render/SymmetryDrawing.h"
#include "render/ViewTypeDrawing.h"

#include <cmath>

#include "construction/DualMorph.h"
#include "core/Tolerances.h"
#include "core/VectorMath.h"
#include "model/ColorSchemes.h"
#include "model/ElementFlags.h"
#include "model/ElementLabels.h"
#include "model/ElementList.h"
#include "model/FaceTypeBlock.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "render/DepthSortedTriangles.h"
#include "render/DisplaySettings.h"
#include "render/GL.h"
#include "render/GLErrors.h"
#include "render/ModelDrawSettings.h"
#include "render/ModelDrawing.h"
#include "render/OpenGLView.h"
#include "render/Primitives.h"
#include "render/VertexEdgeDrawing.h"
#include "stellation/FacetPreview.h"
#include "symmetry/SimplePoly.h"
#include "symmetry/SymGroup.h"
#include "symmetry/SymOperations.h"

namespace corvia {

namespace detail_ViewTypeDrawing {

// The element numbers and frames in the face planes, with the coordinate axes.
void DrawElementNumbers(ElementList* faces, double scale, double morph) {
  OpenGLView* view = OpenGLView::GetCurrent();
  if (!view) return;
  const bool lighting = SetLighting(view, false);
  static const double kOrigin[3] = {0.0, 0.0, 0.0};
  static const double kX[3] = {1.0, 0.0, 0.0};
  static const double kY[3] = {0.0, 1.0, 0.0};
  static const double kZ[3] = {0.0, 0.0, 1.0};
  view->Text().DrawAxes(nullptr, kOrigin, kX, kY, kZ, 2.0, GetDisplaySettings().titleColor);
  DrawNumbers(faces, scale, morph);
  SetLighting(view, lighting);
}

// Draws a block: its face list in mode 0 and the labels of both lists, at the scale
// times the display scale.
void DrawBlock(Poly* poly, ElementList* faces, ElementList* vertices, bool dual, double scale, double morph) {
  const double s = scale * poly->mDisplayScale;
  if (!GetModelDrawSettings().useStencil && (DiagnosticNumbers & kShowNumbersInFacePlanes)) {
    DrawElementNumbers(faces, s, morph);
  }
  DrawFaces(poly, faces, kDrawModePlain, s, morph, nullptr);
  DrawLabels(faces, poly, s, morph);
  DrawAllLabels(vertices, poly, s, morph);
  DrawLabels(poly, dual ? kDualBlock : kBaseBlock, s, morph);
}

// The faces of both lists in the mode, for the morphs whose pieces the faces and the
// vertices (the dual's faces) each make.
int DrawBothLists(Poly* poly, int mode, double morph) {
  const double s = poly->mDisplayScale;
  DrawFaces(poly, &poly->mFaces, mode, s, morph, nullptr);
  DrawFaces(poly, &poly->mVertices, mode, s, morph, nullptr);
  return mode;
}

// The quadrilaterals that join the faces and the dual's faces of the expansion morph
// across each edge (given once, by the face of lower index).
void DrawExpansionJoins(Poly* poly, double t, double morph) {
  const double s = poly->mDisplayScale;
  for (PolyElement* f = poly->mFaces.mHead; f; f = f->mNext) {
    for (int i = 0; i < f->mNumSides; ++i) {
      PolyElement* g = GetAdjacentFaceVert(f, i);
      PolyElement* c0 = f->GetCorner(i);
      PolyElement* c1 = f->GetCorner((i + 1) % f->mNumSides);
      if (!g || !c0 || !c1 || f->mIndex >= g->mIndex) continue;
      if ((f->mFlags | g->mFlags | c0->mFlags | c1->mFlags) & kElementHemi) continue;
      double corners[4][3];
      for (int k = 0; k < 3; ++k) {
        corners[0][k] = c0->mDualVert[k] + t * (f->mDualVert[k] - c0->mDualVert[k]);
        corners[1][k] = c0->mDualVert[k] + t * (g->mDualVert[k] - c0->mDualVert[k]);
        corners[2][k] = c1->mDualVert[k] + t * (g->mDualVert[k] - c1->mDualVert[k]);
        corners[3][k] = c1->mDualVert[k] + t * (f->mDualVert[k] - c1->mDualVert[k]);
      }
      double ab[3], bc[3], normal[3];
      Subtract(ab, corners[1], corners[0]);
      Subtract(bc, corners[2], corners[1]);
      Cross(normal, ab, bc);
      if (!NormaliseVector(normal, normal)) continue;
      if (morph != 1.0) {
        // The quadrilateral's plane moves out along its normal as the faces do.
        const double push = (morph - 1.0) * Dot(normal, corners[0]);
        for (auto& corner : corners) {
          for (int k = 0; k < 3; ++k) corner[k] += push * normal[k];
        }
      }
      float rgba[4] = {0.0f, 0.0f, 0.0f, 0.0f};
      for (const PolyElement* e : {f, g, c0, c1}) {
        for (int k = 0; k < 3; ++k) rgba[k] += 0.25f * e->mColor[k];
        rgba[3] += 0.25f * e->mOpacity;
      }
      for (auto& corner : corners) {
        for (double& x : corner) x *= s;
      }
      AddDepthSortedTriangle(corners[0], corners[1], corners[2], normal, rgba, 0, 1.0, nullptr, nullptr, nullptr);
      AddDepthSortedTriangle(corners[0], corners[2], corners[3], normal, rgba, 0, 1.0, nullptr, nullptr, nullptr);
    }
  }
}

}  // namespace detail_ViewTypeDrawing

void DrawBaseBlock(Poly* poly, double scale, double morph) {
  if (!poly) return;
  detail_ViewTypeDrawing::DrawBlock(poly, &poly->mFaces, &poly->mVertices, false, scale, morph);
}

void DrawDualBlock(Poly* poly, double scale, double morph) {
  if (!poly) return;
  detail_ViewTypeDrawing::DrawBlock(poly, &poly->mVertices, &poly->mFaces, true, scale, morph);
}

double DrawMorphBySizing(Poly* poly, double t, double morph) {
  if (!poly) return 1.0;
  double base = 1.0, dual = 1.0;
  GetSizingMorphScales(poly, t, &base, &dual);
  DrawDualBlock(poly, dual, morph);
  DrawBaseBlock(poly, base, morph);
  return poly->mShowDual ? dual : base;
}

int DrawMorphByTruncation(Poly* poly, double t, double morph) {
  if (!poly) return kDrawModeTruncation;
  SetTruncationMorphScale(poly, t);
  const double s = poly->mDisplayScale;
  DrawFaces(poly, &poly->mFaces, kDrawModeTruncation, s, morph, nullptr);
  DrawFaces(poly, &poly->mVertices, kDrawModeTruncation, s, morph, nullptr);
  const MorphScales& scales = TruncationMorphScales();
  DrawLabels(&poly->mFaces, poly, scales.base * s, morph);
  DrawAllLabels(&poly->mVertices, poly, scales.dual * s, morph);
  return kDrawModeTruncation;
}

int DrawMorphByAugmentation(Poly* poly, double t, double morph) {
  if (!poly) return kDrawModeAugmentation;
  SetAugmentationMorphScale(poly, t);
  return detail_ViewTypeDrawing::DrawBothLists(poly, kDrawModeAugmentation, morph);
}

int DrawMorphByExpansion(Poly* poly, double t, double morph) {
  if (!poly) return kDrawModeExpansion;
  detail_ViewTypeDrawing::DrawBothLists(poly, kDrawModeExpansion, morph);
  detail_ViewTypeDrawing::DrawExpansionJoins(poly, t, morph);
  return kDrawModeExpansion;
}

int DrawMorphByTiltingQuads(Poly* poly, double, double morph) {
  return poly ? detail_ViewTypeDrawing::DrawBothLists(poly, kDrawModeTiltingQuads, morph) : kDrawModeTiltingQuads;
}

int DrawMorphByTiltingTriangles(Poly* poly, double, double morph) {
  return poly ? detail_ViewTypeDrawing::DrawBothLists(poly, kDrawModeTiltingTriangles, morph)
              : kDrawModeTiltingTriangles;
}

int DrawMorphByTiltingToCompound(Poly* poly, double, double morph) {
  return poly ? detail_ViewTypeDrawing::DrawBothLists(poly, kDrawModeTiltingToCompound, morph)
              : kDrawModeTiltingToCompound;
}

int DrawMorphByTiltingToRectification(Poly* poly, double, double morph) {
  return poly ? detail_ViewTypeDrawing::DrawBothLists(poly, kDrawModeTiltingToRectification, morph)
              : kDrawModeTiltingToRectification;
}

// The snub morph has no drawing of its own.
int DrawMorphViaSnub(Poly*, double, double) { return kDrawModeExpansion; }

void DrawStellationOfBase(Poly* poly, double morph) {
  if (!poly) return;
  DrawFaces(poly, &poly->mFaces, kDrawModeStellation, poly->mDisplayScale, morph, nullptr);
  DrawLabels(&poly->mFaces, poly, 1.0, morph);
}

void DrawStellationOfDual(Poly* poly, double morph) {
  if (!poly) return;
  DrawFaces(poly, &poly->mVertices, kDrawModeStellation, poly->mDisplayScale, morph, nullptr);
  DrawLabels(&poly->mVertices, poly, 1.0, morph);
}

void DrawFacetingPreview(Poly* poly, double morph) {
  if (!poly) return;
  UpdateFacetPreview(poly);
  FacetPreview* preview = poly->mFacetPreview.get();
  if (!preview || !preview->model) return;
  Draw(preview->model.get(), preview->polygons, OpenGLView::GetCurrent(), morph, poly->mDisplayScale);
}

int DrawCompoundView(Poly* poly, double morph) {
  if (!poly) return kDrawModePlain;
  const int mode = FaceTypeBlock::IsOriginalStellation(poly->GetShownBlock()) ? kDrawModePlain : kDrawModeStellation;
  DrawFaces(poly, &poly->mFaces, mode, poly->mDisplayScale, morph, nullptr);
  return mode;
}

void DrawModelSymmetryAxes(Poly* poly, double scale) {
  if (!poly) return;
  // With the stellation diagram shown on the selected face, the axes end in its plane.
  const PolyElement* selected = poly->mSelectedElement;
  double clip[3];
  const double* clipNormal = nullptr;
  if (SelectionHighlightMode == kSelectionShowDiagram && selected && !(selected->mFlags & kElementHemi)) {
    const double distance = Dot(selected->mZAxis, selected->mCentre);
    if (std::fabs(distance) > kPointTolerance) {
      for (int k = 0; k < 3; ++k) clip[k] = selected->mZAxis[k] / (distance * scale);
      clipNormal = clip;
    }
  }
  DrawSymmetryAxes(poly->mSymGroup, clipNormal, scale);
}

void DrawReferenceSphere(double radius, const float* colour) {
  OpenGLView* view = OpenGLView::GetCurrent();
  if (!view) return;
  const bool lighting = SetLighting(view, false);
  view->Materials().SetMaterialColor(colour);
  const double centre[3] = {0.0, 0.0, 0.0};
  DrawWireSphere(centre, radius);
  SetLighting(view, lighting);
  CheckGLError("DrawReferenceSphere");
}

}  // namespace corvia
