// Drawing of 2D cross-sections: the fill and the loops in the model views, and the
// cross-section pane with the vertices near the slice plane.

#include <cmath>
#include <vector>

#include "core/Tolerances.h"
#include "model/CrossSection.h"
#include "model/ElementFlags.h"
#include "model/ElementList.h"
#include "model/Globals.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "render/CrossSectionDrawing.h"
#include "render/FaceDiagramDrawing.h"
#include "render/GL.h"
#include "render/GLErrors.h"
#include "render/GLSelection.h"
#include "render/OpenGLView.h"
#include "render/Primitives.h"
#include "render/SelectionItems.h"

namespace corvia {

namespace detail_CrossSectionDrawing {

void MapPoint(const double* a, const double* b, const double* c, double x, double y, double* out) {
  for (int k = 0; k < 3; ++k) out[k] = x * a[k] + y * b[k] + c[k];
}

}  // namespace detail_CrossSectionDrawing

void DrawCrossSection(CrossSection* section, const double* a, const double* b, const double* c) {
  using namespace detail_CrossSectionDrawing;
  OpenGLView* view = OpenGLView::GetCurrent();
  if (!view || !section) return;
  const CrossSectionSettings& settings = GetCrossSectionSettings();
  const bool picking = view->IsPicking();
  const bool filled = section->mFilled && section->mCells && section->mResult.mNumCells > 0;
  if (settings.fill && !picking && filled) {
    double n[3];
    Cross(n, a, b);
    NormaliseVector(n, n);
    glNormal3dv(n);
    Transform3D frame;
    SetTransformFromColumns(frame, c, a, b, n);
    DrawFaceDiagramCells(&section->mResult, section->mCells, frame, kDiagramSourceLoops, nullptr);
  }
  if (!settings.showEdges && filled) return;
  const Poly* poly = GetCurrentPoly();
  const PolyElement* selected = poly ? poly->mSelectedElement : nullptr;
  const bool lighting = SetLighting(view, false);
  for (const auto& loop : section->mLoops) {
    const int n = loop->NumPoints();
    for (int i = 0; i < n; ++i) {
      const int j = (i + 1) % n;
      // The segment ending at point j lies in the face recorded with j.
      const PolyElement* face = loop->mFaces[static_cast<size_t>(j)];
      if (face == selected && face) {
        view->Materials().SetColor(1.0f, 1.0f, 1.0f);
      } else {
        view->Materials().SetColorv(face ? face->GetColour() : loop->mColour.colour);
      }
      if (picking && face) SetGLSelectionItem(face->IsVertex() ? kSelectVertexAsFace : kSelectFace, face->GetIndex());
      double p[3], q[3];
      MapPoint(a, b, c, loop->mPoints[2 * i], loop->mPoints[2 * i + 1], p);
      MapPoint(a, b, c, loop->mPoints[2 * j], loop->mPoints[2 * j + 1], q);
      glBegin(GL_LINES);
      glVertex3dv(p);
      glVertex3dv(q);
      glEnd();
    }
  }
  if (picking) view->ClearGLSelectionItem();
  SetLighting(view, lighting);
  CheckGLError("DrawCrossSection");
}

void DrawCrossSectionView(CrossSection* section) {
  OpenGLView* view = OpenGLView::GetCurrent();
  if (!view) return;
  static const double kA[3] = {1.0, 0.0, 0.0}, kB[3] = {0.0, 1.0, 0.0}, kC[3] = {0.0, 0.0, 0.0};
  DrawCrossSection(section, kA, kB, kC);
  Poly* poly = GetCurrentPoly();
  if (!GetCrossSectionSettings().showVerticesNearPlane || !poly) return;
  SlicePlane plane;
  poly->GetSlicePlane(plane);
  const double r = 0.04 * poly->GetRadius();
  ElementList* vertices = nullptr;
  poly->GetParts(poly->mShowDual != 0, nullptr, &vertices, nullptr, nullptr);
  const bool lighting = SetLighting(view, false);
  for (PolyElement* v = vertices ? vertices->mHead : nullptr; v; v = v->mNext) {
    if (v->HasFlag(kElementHemi) || v->IsHidden(poly->mShowDual != 0)) continue;
    const double e = std::fabs(Dot(plane.mNormal, v->mDualVert) + plane.mOffset);
    if (e >= r) continue;
    if (e <= kPointTolerance) {
      view->Materials().SetColor(0.4f, 1.0f, 0.4f);
    } else {
      view->Materials().SetColor(0.9f, 0.9f, 0.9f);
    }
    const double centre[2] = {Dot(v->mDualVert, plane.mU), Dot(v->mDualVert, plane.mV)};
    DrawCircle2D(centre, std::sqrt(r * r - e * e), 60, true);
  }
  SetLighting(view, lighting);
  CheckGLError("DrawCrossSectionView");
}

void AddCrossSectionToBounds(Poly* poly, OpenGLView* view, ViewExtents* extents) {
  if (!view || !extents || !poly->BuildCrossSection() || !poly->mCrossSection) return;
  for (const auto& loop : poly->mCrossSection->mLoops) {
    for (int i = 0; i < loop->NumPoints(); ++i) {
      const double p[3] = {loop->mPoints[2 * i], loop->mPoints[2 * i + 1], 0.0};
      view->Camera().AddPointToExtents(*extents, p);
    }
  }
}

}  // namespace corvia
