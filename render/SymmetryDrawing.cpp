// Drawing of a symmetry group in the model view: its rotation axes with their fold
// symbols, its mirror planes and their normals, and the marks of rotation-reflection
// and central inversion.

#include <cmath>

#include "core/IntMath.h"
#include "core/VectorMath.h"
#include "model/Globals.h"
#include "model/Poly.h"
#include "render/GL.h"
#include "render/GLErrors.h"
#include "render/GLSelection.h"
#include "render/ModelDrawSettings.h"
#include "render/OpenGLView.h"
#include "render/Primitives.h"
#include "render/SelectionItems.h"
#include "render/SymmetryDrawing.h"
#include "symmetry/SymGroup.h"
#include "symmetry/SymOperations.h"

namespace corvia {

namespace detail_SymmetryDrawing {

// The size the drawing is measured against: the current model's radius.
double ModelRadius() {
  Poly* poly = GetCurrentPoly();
  const double radius = poly ? poly->GetRadius() : 1.0;
  return radius > 0.0 ? radius : 1.0;
}

// A star of `fold` spokes round the point in the plane of u and v = d x u.
void DrawAxisStar(const double* centre, const double* d, const double* reference, int fold, int steps, double radius) {
  double u[3], v[3];
  if (!NormaliseVector(u, reference)) return;
  Cross(v, d, u);
  if (!NormaliseVector(v, v)) return;
  const int total = fold * steps;
  glBegin(GL_LINES);
  for (int k = 0; k < fold; ++k) {
    double s = 0.0, c = 0.0;
    GetSinCos(k * steps, total, s, c);
    glVertex3dv(centre);
    glVertex3d(centre[0] + radius * (c * u[0] + s * v[0]), centre[1] + radius * (c * u[1] + s * v[1]),
               centre[2] + radius * (c * u[2] + s * v[2]));
  }
  glEnd();
  // The ring through the spoke tips, in fold x steps segments.
  DrawCircle3D(centre, d, radius, total, false, u);
}

}  // namespace detail_SymmetryDrawing

void SetSymmetryAxisColor(int kind) {
  OpenGLView* view = OpenGLView::GetCurrent();
  if (!view) return;
  if (kind == 0) {
    view->Materials().SetColor(1.0f, 1.0f, 0.0f);
  } else if (kind == 1) {
    view->Materials().SetColor(0.0f, 1.0f, 1.0f);
  } else {
    view->Materials().SetColor(1.0f, 0.0f, 1.0f);
  }
}

void DrawSymmetryAxes(const SymGroup* group, const double* clipNormal, double scale) {
  using namespace detail_SymmetryDrawing;
  OpenGLView* view = OpenGLView::GetCurrent();
  if (!view || !group || !group->axisTypes) return;
  const bool lighting = SetLighting(view, false);
  const bool picking = view->IsPicking();
  const float lineWidth = GetEdgeLineWidth();
  const double radius = ModelRadius();
  const double length = 1.2 * radius * scale;
  int running = 0;
  for (int t = 0; t < group->numAxisTypes; ++t) {
    const SymAxisType& type = group->axisTypes[t];
    const int fold = std::abs(type.fold);
    if (fold < 1 || !type.axes) continue;
    const int steps = 14 / fold + 1;
    for (int i = 0; i < type.numAxes; ++i, ++running) {
      const SymAxis& axis = type.axes[i];
      SetSymmetryAxisColor(t);
      if (picking) SetGLSelectionItem(kSelectSymmetryAxis, running);
      const bool selected = &axis == SelectedSymAxis;
      if (selected) {
        glLineWidth(lineWidth + 2.0f);
        view->Materials().SetColor(1.0f, 1.0f, 1.0f);
      }
      double outer[3], inner[3];
      for (int k = 0; k < 3; ++k) {
        outer[k] = axis.direction[k] * length;
        inner[k] = type.singleEnded ? 0.0 : -axis.direction[k] * length;
      }
      if (clipNormal) {
        const double oc = Dot(outer, clipNormal);
        if (oc > 1e-6 && oc < 1.0) {
          for (double& x : outer) x /= oc;
        } else if (oc > -1.0 && oc < -1e-6) {
          for (double& x : inner) x /= -oc;
        }
      }
      glBegin(GL_LINES);
      glVertex3dv(outer);
      glVertex3dv(inner);
      glEnd();
      const double starRadius = 0.05 * radius * scale;
      DrawAxisStar(outer, axis.direction, axis.reference, fold, steps, starRadius);
      if (!type.singleEnded) DrawAxisStar(inner, axis.direction, axis.reference, fold, steps, starRadius);
      if (selected) glLineWidth(lineWidth);
    }
  }
  if (picking) view->ClearGLSelectionItem();
  SetLighting(view, lighting);
  CheckGLError("DrawSymmetryAxes");
}

void DrawMirrorPlaneNormals(const SymGroup* group, double scale) {
  OpenGLView* view = OpenGLView::GetCurrent();
  if (!view) return;
  const bool lighting = SetLighting(view, false);
  const double length = 1.3 * detail_SymmetryDrawing::ModelRadius() * scale;
  view->Materials().SetColor(1.0f, 1.0f, 0.0f);
  glBegin(GL_LINES);
  for (int i = 0; i < group->mirrorPlanes.count; ++i) {
    const double* n = group->mirrorPlanes[i].direction;
    glVertex3d(n[0] * length, n[1] * length, n[2] * length);
    glVertex3d(-n[0] * length, -n[1] * length, -n[2] * length);
  }
  glEnd();
  SetLighting(view, lighting);
  CheckGLError("SymGroup::DrawMirrorPlaneNormals");
}

void DrawReflections(const SymGroup* group, double scale) {
  OpenGLView* view = OpenGLView::GetCurrent();
  if (!view) return;
  const bool lighting = SetLighting(view, false);
  view->Materials().SetColor(0.7f, 1.0f, 0.7f);
  const double R = 1.005 * detail_SymmetryDrawing::ModelRadius() * scale;
  static const double kCentre[3] = {0.0, 0.0, 0.0};
  for (int i = 0; i < group->mirrorPlanes.count; ++i)
    DrawCircle3D(kCentre, group->mirrorPlanes[i].direction, R, 120, false);
  if (group->reflectionType == kReflectionRotation && group->numAxisTypes > 0 && group->axisTypes[0].numAxes > 0) {
    // A zig-zag ring of 2 fold points about the main axis.
    const SymAxis& axis = group->axisTypes[0].axes[0];
    const int fold = std::abs(group->axisTypes[0].fold);
    double u[3], v[3];
    if (fold > 0 && NormaliseVector(u, axis.reference)) {
      Cross(v, axis.direction, u);
      glBegin(GL_LINE_LOOP);
      for (int k = 0; k < 2 * fold; ++k) {
        double s = 0.0, c = 0.0;
        GetSinCos(k, 2 * fold, s, c);
        const double lift = (k % 2 == 0 ? 0.2 : -0.2) * R;
        glVertex3d(R * (c * u[0] + s * v[0]) + lift * axis.direction[0],
                   R * (c * u[1] + s * v[1]) + lift * axis.direction[1],
                   R * (c * u[2] + s * v[2]) + lift * axis.direction[2]);
      }
      glEnd();
    }
  } else if (group->reflectionType == kReflectionCentral) {
    // Four double arrows joining opposite corners of a small cube.
    const double e = 0.15 * R;
    const double corners[4][3] = {{e, e, e}, {e, e, -e}, {e, -e, e}, {-e, e, e}};
    for (const auto& corner : corners) {
      const double opposite[3] = {-corner[0], -corner[1], -corner[2]};
      DrawDoubleArrow3D(view, corner, opposite, 0.2 * e);
    }
  }
  SetLighting(view, lighting);
  CheckGLError("SymGroup::DrawReflections");
}

}  // namespace corvia
