// The selection drawn over the model panes: the selected edge, the selected vertex with
// its measurements, and the selected face (or the stellation diagram in its plane).

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/Units.h"
#include "core/VectorMath.h"
#include "model/ColorSchemes.h"
#include "model/Edge.h"
#include "model/ElementFlags.h"
#include "model/ElementList.h"
#include "model/FaceType.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "render/DisplaySettings.h"
#include "render/ElementDrawing.h"
#include "render/GL.h"
#include "render/GLErrors.h"
#include "render/ModelDrawSettings.h"
#include "render/ModelDrawing.h"
#include "render/OpenGLView.h"
#include "render/OutcomeBoxes.h"
#include "render/Primitives.h"
#include "render/StellationDrawing.h"
#include "render/ViewTypeDrawing.h"
#include "stellation/Stellate.h"

namespace corvia {

namespace detail_SelectionDrawing {

constexpr uint32_t kTypeNoDiagram = 0x8;  // face type flag: no stellation diagram

// The element's point (p + (m - 1) c) x scale, once, or under a morph once for each of
// the faces given.
template <typename Emit>
void ForEachPlace(const PolyElement* element, PolyElement* const* faces, int count, double morph, double scale,
                  Emit emit) {
  double p[3];
  if (morph == 1.0) {
    for (int k = 0; k < 3; ++k) p[k] = element->mDualVert[k] * scale;
    emit(p);
    return;
  }
  for (int i = 0; i < count; ++i) {
    if (!faces[i]) continue;
    for (int k = 0; k < 3; ++k) p[k] = (element->mDualVert[k] + (morph - 1.0) * faces[i]->mCentre[k]) * scale;
    emit(p);
  }
}

// Lighting off and white; sizes and lighting restored on the way out.
class OverlayState {
 public:
  explicit OverlayState(OpenGLView* view) : mView(view), mLighting(SetLighting(view, false)) {
    view->Materials().SetMaterialColorRGB(1.0f, 1.0f, 1.0f);
  }
  ~OverlayState() {
    const ModelDrawSettings& s = GetModelDrawSettings();
    glPointSize(s.vertSize);
    glLineWidth(s.edgeWidth);
    SetLighting(mView, mLighting);
  }
  OverlayState(const OverlayState&) = delete;
  OverlayState& operator=(const OverlayState&) = delete;

 private:
  OpenGLView* mView;
  bool mLighting;
};

float SelectedPointSize() {
  const ModelDrawSettings& s = GetModelDrawSettings();
  return (s.vertSize + 4.0f) * s.pointSizeFactor;
}

// Unit direction from p to q and the distance; false when they coincide.
bool UnitFrom(const double* p, const double* q, double* out, double* distance) {
  for (int k = 0; k < 3; ++k) out[k] = q[k] - p[k];
  *distance = VectorLength(out);
  if (*distance <= 1e-12) return false;
  for (int k = 0; k < 3; ++k) out[k] /= *distance;
  return true;
}

void DrawAngleText(OpenGLView* view, double angle, const double* at, const float* colour) {
  char text[kAngleTextSize];
  GetUnitSettings().FormatAngle(text, angle, "\xC2\xB0");
  view->Materials().SetMaterialColor(colour);
  view->Text().DrawText3D(text, at);
}

// The lines and angles round a selected vertex P with axis a: for each neighbour Q
// across a side, its foot F in the plane through P perpendicular to a.
void DrawVertexAngles(OpenGLView* view, const PolyElement* element, double scale) {
  const int n = element->mNumSides;
  if (n <= 0) return;
  double axis[3];
  element->GetNormal(axis);
  if (!NormaliseVector(axis, axis)) return;
  double p[3];
  for (int k = 0; k < 3; ++k) p[k] = element->mDualVert[k] * scale;
  std::vector<double> feet(3 * n, 0.0);
  std::vector<double> neighbours(3 * n, 0.0);
  std::vector<char> present(n, 0);
  for (int i = 0; i < n; ++i) {
    const PolyElement* q = element->GetAdjacent(i);
    if (!q || q->HasFlag(kElementHemi)) continue;
    double* qi = &neighbours[3 * i];
    for (int k = 0; k < 3; ++k) qi[k] = q->mDualVert[k] * scale;
    double pq[3];
    for (int k = 0; k < 3; ++k) pq[k] = p[k] - qi[k];
    const double along = Dot(pq, axis);
    for (int k = 0; k < 3; ++k) feet[3 * i + k] = qi[k] + along * axis[k];
    present[i] = 1;
  }
  const float white[3] = {1.0f, 1.0f, 1.0f};
  const float* textColour = GetDisplaySettings().titleColor;
  const float second[3] = {textColour[0], textColour[1], 1.0f - textColour[2]};
  for (int i = 0; i < n; ++i) {
    if (!present[i]) continue;
    const double* f = &feet[3 * i];
    const double* q = &neighbours[3 * i];
    view->Materials().SetMaterialColor(white);
    glBegin(GL_LINE_STRIP);
    glVertex3dv(f);
    glVertex3dv(q);
    glVertex3dv(p);
    glEnd();
    const int j = (i + 1) % n;
    if (present[j]) {
      view->Materials().SetMaterialColorRGB(1.0f, 1.0f, 0.5f);
      glBegin(GL_LINE_STRIP);
      glVertex3dv(p);
      glVertex3dv(f);
      glVertex3dv(&feet[3 * j]);
      glEnd();
    }
    // The tilt of the edge P Q out of the plane.
    double u[3], w[3], du = 0.0, dw = 0.0;
    if (UnitFrom(p, q, u, &du) && UnitFrom(p, f, w, &dw)) {
      double at[3];
      for (int k = 0; k < 3; ++k) at[k] = p[k] + 0.2 * dw * (u[k] + w[k]);
      DrawAngleText(view, AngleBetween(u, w), at, white);
    }
    // The angle in the plane between the feet of this side and the next.
    double v[3], dv = 0.0;
    if (present[j] && UnitFrom(p, f, w, &dw) && UnitFrom(p, &feet[3 * j], v, &dv)) {
      double at[3];
      const double reach = 0.2 * std::min(dw, dv);
      for (int k = 0; k < 3; ++k) at[k] = p[k] + reach * (w[k] + v[k]);
      DrawAngleText(view, AngleBetween(w, v), at, second);
    }
  }
}

// The first member of the face's coplanar ring whose type has a stellation diagram.
PolyElement* FirstWithDiagram(PolyElement* face) {
  PolyElement* member = face;
  do {
    if (member->mType && !(member->mType->mFlags & kTypeNoDiagram)) return member;
    member = member->mCoplanarNext;
  } while (member && member != face);
  return nullptr;
}

}  // namespace detail_SelectionDrawing

void DrawSelectedEdge(Poly* poly, double morph) {
  using namespace detail_SelectionDrawing;
  OpenGLView* view = OpenGLView::GetCurrent();
  if (!view || !poly || !poly->IsEdgeSelected()) return;
  Edge* edge = poly->mSelectedItem->AsEdge();
  const bool dual = poly->mShowDual != 0;
  PolyElement* ends[2] = {nullptr, nullptr};
  PolyElement* sides[2] = {nullptr, nullptr};
  edge->GetVerts(dual, ends);
  edge->GetFaces(dual, sides);
  const double scale = poly->mDisplayScale;
  OverlayState state(view);
  glPointSize(SelectedPointSize());
  glBegin(GL_POINTS);
  for (const PolyElement* end : ends) {
    if (!end || end->HasFlag(kElementHemi)) continue;
    ForEachPlace(end, sides, 2, morph, scale, [](const double* p) { glVertex3dv(p); });
  }
  glEnd();
  glLineWidth(GetEdgeLineWidth());
  glBegin(GL_LINES);
  for (const PolyElement* side : sides) {
    if (!side) continue;
    const int i = side->FindEdgeIndexAfter(edge, -1);
    if (i < 0) continue;
    double offset[3];
    GetMorphOffset(side, morph, offset);
    DrawEdgeLine(side, i, offset, scale, true);
  }
  glEnd();
  CheckGLError("DrawSelectedEdge");
}

void DrawSelectionMeasurements(Poly* poly, double morph) {
  using namespace detail_SelectionDrawing;
  OpenGLView* view = OpenGLView::GetCurrent();
  if (!view || !poly || !poly->mSelectedElement) return;
  const PolyElement* element = poly->mSelectedElement;
  const bool infinite = element->HasFlag(kElementHemi);
  const double scale = poly->mDisplayScale;
  OverlayState state(view);
  if (!infinite) {
    glPointSize(SelectedPointSize());
    glBegin(GL_POINTS);
    ForEachPlace(element, element->mNeighbours.get(), element->mNumSides, morph, scale,
                 [](const double* p) { glVertex3dv(p); });
    glEnd();
  }
  const ModelDrawSettings& settings = GetModelDrawSettings();
  if (settings.showVertexAngles) {
    if (!infinite) DrawVertexAngles(view, element, scale);
  } else {
    glLineWidth((settings.edgeWidth + 2.0f) * settings.lineWidthFactor);
    glBegin(GL_LINES);
    for (int i = 0; i < element->mNumSides; ++i) {
      const PolyElement* face = element->mNeighbours[i];
      if (!face) continue;
      const int j = face->FindVertexIndex(element, -1);
      if (j < 0) continue;
      double offset[3];
      GetMorphOffset(face, morph, offset);
      // The halves of the face's two sides that meet at the element.
      EmitHalfEdge(face, j, offset, scale, false);
      EmitHalfEdge(face, j + 1, offset, scale, true);
    }
    glEnd();
  }
  CheckGLError("DrawSelectionMeasurements");
}

void DrawSelectedFace(Poly* poly, int drawMode, double scale, double morph) {
  using namespace detail_SelectionDrawing;
  OpenGLView* view = OpenGLView::GetCurrent();
  if (!view || !poly || !poly->mSelectedElement) return;
  PolyElement* element = poly->mSelectedElement;
  if (poly->GetSelectionHighlight(drawMode) == kSelectionShowDiagram && element->mType) {
    PolyElement* face = FirstWithDiagram(element);
    if (face) {
      TellAfterDrawing(StellateBlock(poly, face->IsVertex(), 0));
      FaceType* type = face->mType;
      double offset[3];
      GetMorphOffset(face, morph, offset);
      glDepthMask(GL_FALSE);
      const bool lighting = SetLighting(view, false);
      const double display = poly->mDisplayScale;
      const bool scaled = display != 1.0;
      if (scaled) {
        glPushMatrix();
        glScaled(display, display, display);
      }
      DrawDiagramOnFace(type, face, offset);
      if (scaled) glPopMatrix();
      SetLighting(view, lighting);
      glDepthMask(GL_TRUE);
    }
  } else if (!element->HasFlag(kElementHidden)) {
    ElementList* owner = element->IsVertex() ? static_cast<ElementList*>(&poly->mVertices)
                                             : static_cast<ElementList*>(&poly->mFaces);
    DrawFaces(poly, owner, drawMode, scale * poly->mDisplayScale, morph, element);
  }
  DrawTextIfShown(element, scale * poly->mDisplayScale, morph);
  CheckGLError("DrawSelectedFace");
}

}  // namespace corvia
