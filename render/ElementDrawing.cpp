// Drawing of a model's elements: corner points, edge lines, numbers and frames, the
// user's labels, and the vertex-figure pane.

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <vector>

#include "core/DrawnPolygon.h"
#include "core/Geometry.h"
#include "core/Globals.h"
#include "core/HtmlText.h"
#include "core/Tolerances.h"
#include "model/ColorSchemes.h"
#include "model/Edge.h"
#include "model/ElementFlags.h"
#include "model/ElementLabels.h"
#include "model/ElementList.h"
#include "model/FaceType.h"
#include "model/FaceTypeBlock.h"
#include "model/Globals.h"
#include "model/PointPicker.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "model/VertexFigure.h"
#include "render/ElementDrawing.h"
#include "render/GL.h"
#include "render/GLErrors.h"
#include "render/GLFont.h"
#include "render/GLSelection.h"
#include "render/GLText.h"
#include "render/ModelDrawSettings.h"
#include "render/NewView.h"
#include "render/OpenGLView.h"
#include "render/PairLineLayer.h"
#include "render/Primitives.h"
#include "render/SelectionItems.h"

namespace corvia {

namespace detail_ElementDrawing {

// (p + offset) x scale.
void Place(double* out, const double* p, const double* offset, double scale) {
  for (int k = 0; k < 3; ++k) out[k] = (p[k] + (offset ? offset[k] : 0.0)) * scale;
}

void EmitPoint(const double* p, const double* offset, double scale) {
  double q[3];
  Place(q, p, offset, scale);
  glVertex3dv(q);
}

bool SideHidden(const PolyElement* element, int i) {
  if (!element->mEdges || i < 0 || i >= element->mNumSides) return false;
  const Edge* edge = element->mEdges[i];
  const Poly* poly = element->mPoly;
  return edge && edge->IsHidden(poly ? poly->mShowDual != 0 : false);
}

// The mean edge length of the element's face-type block (0 without one).
double BlockEdgeLength(const PolyElement* element) {
  FaceTypeBlock* block = element->GetTypeBlock();
  return block ? block->GetMeanEdgeLength() : 0.0;
}

double VertexSphereRadius(const PolyElement* element) {
  return GetSphereRadius(element->mPoly, element->IsVertex(), BlockEdgeLength(element), -1, -1.0, -1.0);
}

// The text colour of labels: grey for all while something is selected and numbers
// are shown.
void SetLabelColourForSelection(const Poly* poly) {
  const bool dim = poly && poly->mSelectedItem && (DiagnosticNumbers & kShowAnyNumbers);
  SetGLTextColor(dim ? kLabelDimmedColour : kLabelTextColour);
}

// The axes of an element's label by the placement in the low bits of the text mode:
// reading out of the surface along the normal (extend), lying in the face's plane
// (flat), or standing on it (sit on). A label facing the viewer takes none.
void GetLabelAxes(uint32_t mode, const double* normal, const double* firstAxis, double* right, double* up) {
  switch (mode & kTextAnchorMask) {
    case kTextAnchorCentre:
      CopyVector(right, firstAxis);
      Cross(up, normal, firstAxis);
      NormaliseVector(up, up);
      break;
    case kTextAnchorBottomCentre:
      CopyVector(right, firstAxis);
      CopyVector(up, normal);
      break;
    default:
      CopyVector(right, normal);
      CopyVector(up, firstAxis);
      break;
  }
}

// Draws a label's mark-up at the position in the element's frame, at the size the
// label settings give.
void DrawElementText(const char* text, const double* at, double size, const double* normal, const double* firstAxis,
                     uint32_t mode, double fitRadius, double leastHeight) {
  const ModelDrawSettings& settings = GetModelDrawSettings();
  double right[3], up[3];
  GetLabelAxes(mode, normal, firstAxis, right, up);
  double height = std::max(size * settings.labelFontSize, leastHeight);
  const uint32_t anchor = mode & kTextAnchorMask;
  if (fitRadius > 0.0 && (anchor == kTextAnchorCentre || anchor == kTextAnchorCentreFacing)) {
    // A centred box lies within the radius when its half diagonal does.
    float boxMin[2] = {FLT_MAX, FLT_MAX};
    float boxMax[2] = {-FLT_MAX, -FLT_MAX};
    double origin[3] = {0.0, 0.0, 0.0};
    DrawHtmlAt(origin, static_cast<float>(height), -1.0f, text, kTextMeasureOnly, boxMin, boxMax, -1, 0);
    const double halfDiagonal = 0.5 * std::hypot(double(boxMax[0]) - boxMin[0], double(boxMax[1]) - boxMin[1]);
    if (boxMin[0] <= boxMax[0] && halfDiagonal > fitRadius) height *= fitRadius / halfDiagonal;
  }
  DrawGLText(static_cast<int>(mode), at, height, -1.0, text, 0, right, up, nullptr, nullptr, nullptr);
}

// The distance from the face's centroid to the nearest line of its sides: the room its
// text has.
double InnerRadius(const PolyElement* face) {
  double nearest = 0.0;
  bool found = false;
  for (int i = 0; face->mNeighbours && i < face->mNumSides; ++i) {
    const PolyElement* a = face->mNeighbours[i];
    const PolyElement* b = face->mNeighbours[(i + 1) % face->mNumSides];
    if (!a || !b || a->HasFlag(kElementInf) || b->HasFlag(kElementInf)) return 0.0;
    double side[3], toCentre[3], cross[3];
    Subtract(side, b->mDualVert, a->mDualVert);
    Subtract(toCentre, face->mCentroid, a->mDualVert);
    Cross(cross, side, toCentre);
    const double length = VectorLength(side);
    if (length <= 0.0) continue;
    const double distance = VectorLength(cross) / length;
    if (!found || distance < nearest) nearest = distance;
    found = true;
  }
  return found ? nearest : 0.0;
}

// Around a run of labels: lighting off and blending on; everything restored after.
class LabelState {
 public:
  explicit LabelState(OpenGLView* view) : mView(view) {
    mLighting = SetLighting(view, false);
    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_CURRENT_BIT);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  }
  ~LabelState() {
    glPopAttrib();
    SetGLTextColor(kLabelTextColour);
    SetGLTextOffset(kDefaultTextOffset, 0);
    SetLighting(mView, mLighting);
  }
  LabelState(const LabelState&) = delete;
  LabelState& operator=(const LabelState&) = delete;

 private:
  OpenGLView* mView;
  bool mLighting;
};

}  // namespace detail_ElementDrawing

// ---- Points and lines -------------------------------------------------------------------

void DrawCornerPoints(const PolyElement* element, const double* offset, double scale) {
  OpenGLView* view = OpenGLView::GetCurrent();
  if (!view || !element->mNeighbours) return;
  const bool dual = element->mPoly && element->mPoly->mShowDual;
  glBegin(GL_POINTS);
  for (int i = 0; i < element->mNumSides; ++i) {
    const PolyElement* corner = element->mNeighbours[i];
    if (!corner || corner->HasFlag(kElementHemi) || corner->IsHidden(dual)) continue;
    view->Materials().SetMaterialColor(corner->GetDrawColour());
    detail_ElementDrawing::EmitPoint(corner->mDualVert, offset, scale);
  }
  glEnd();
}

void DrawEdgeLine(const PolyElement* element, int i, const double* offset, double scale, bool noHighlight) {
  using namespace detail_ElementDrawing;
  if (SideHidden(element, i)) return;
  double a[3], b[3];
  if (!element->GetSideEnds(i, a, b)) return;
  const bool selected = !noHighlight && element->mEdges && element->mPoly && i >= 0 && i < element->mNumSides &&
                        element->mEdges[i] && element->mEdges[i] == element->mPoly->mCurrentEdge;
  if (selected) {
    glEnd();
    glLineWidth(GetEdgeLineWidth() * 3.0f);
    glBegin(GL_LINES);
  }
  EmitPoint(a, offset, scale);
  EmitPoint(b, offset, scale);
  if (selected) {
    glEnd();
    glLineWidth(GetEdgeLineWidth());
    glBegin(GL_LINES);
  }
}

void EmitHalfEdge(const PolyElement* element, int i, const double* offset, double scale, bool firstHalf) {
  using namespace detail_ElementDrawing;
  // The edge ending at corner i is side i - 1.
  const int side = element->mNumSides > 0 ? (i - 1 + element->mNumSides) % element->mNumSides : 0;
  if (SideHidden(element, side)) return;
  double a[3], b[3];
  if (!element->GetSideEnds(side, a, b)) return;
  // a and b come in the canonical order; the half next to corner i is wanted second.
  const PolyElement* corner =
      element->mNeighbours[((i % element->mNumSides) + element->mNumSides) % element->mNumSides];
  if (corner && !corner->HasFlag(kElementHemi) && PointsEqual(a, corner->mDualVert)) std::swap(a, b);
  double mid[3];
  for (int k = 0; k < 3; ++k) mid[k] = 0.5 * (a[k] + b[k]);
  if (firstHalf) {
    EmitPoint(a, offset, scale);
    EmitPoint(mid, offset, scale);
  } else {
    EmitPoint(mid, offset, scale);
    EmitPoint(b, offset, scale);
  }
}

void DrawEdges(const PolyElement* element, const double* offset, double scale) {
  OpenGLView* view = OpenGLView::GetCurrent();
  if (!view) return;
  glBegin(GL_LINES);
  for (int i = 0; i < element->mNumSides; ++i) {
    view->Materials().SetMaterialColor(PolyItem::GetColour(element->mEdges ? element->mEdges[i] : nullptr));
    DrawEdgeLine(element, i, offset, scale, false);
  }
  glEnd();
}

// ---- Numbers and labels ------------------------------------------------------------------

void DrawNumber(const PolyElement* element, double scale, double push) {
  OpenGLView* view = OpenGLView::GetCurrent();
  if (!view || (element->mFlags & kElementHidden)) return;
  double at[3];
  for (int k = 0; k < 3; ++k)
    at[k] = (element->mCentroid[k] + (push == 1.0 ? 0.0 : (push - 1.0) * element->mCentre[k])) * scale;
  char number[16];
  std::snprintf(number, sizeof number, "%d", element->GetNumber());
  view->Text().DrawAxes(number, at, element->mXAxis, element->mYAxis, element->mZAxis, 0.3, nullptr);
}

void DrawTextIfShown(const PolyElement* element, double scale, double push) {
  if (!element->IsTextShown()) return;
  double at[3];
  for (int k = 0; k < 3; ++k)
    at[k] = (element->mCentroid[k] + (push == 1.0 ? 0.0 : (push - 1.0) * element->mCentre[k])) * scale;
  double normal[3];
  element->GetNormal(normal);
  // A face's text stays on the face.
  const double fit = element->IsVertex() ? 0.0 : detail_ElementDrawing::InnerRadius(element) * std::fabs(scale);
  DrawLabel(element, at, element->mXAxis, normal, fit);
}

uint32_t& LabelTextModeOf(const PolyElement* element) {
  ModelDrawSettings& settings = GetModelDrawSettings();
  return element && !element->IsVertex() ? settings.faceLabelTextMode : settings.labelTextMode;
}

void DrawLabel(const PolyElement* element, const double* position, const double* firstAxis, const double* normal,
               double fitRadius, double leastHeight) {
  using namespace detail_ElementDrawing;
  OpenGLView* view = OpenGLView::GetCurrent();
  if (!view) return;
  LabelText text;
  BuildElementLabel(element, false, text);
  if (text.Empty()) return;
  LabelState state(view);
  SetLabelColourForSelection(element->mPoly);
  const double size = GetLabelSize(element->mPoly, element->IsVertex(), BlockEdgeLength(element), -1, -1.0, -1.0);
  const uint32_t mode = LabelTextModeOf(element);
  if ((mode & kTextAnchorMask) == kTextAnchorCentreFacing) SetGLTextOffset(element->GetRadius(), 1);
  double at[3];
  CopyVector(at, position);
  if (GetElementDisplayOptions().constructionToyStyle) {
    const double lift = VertexSphereRadius(element);
    for (int k = 0; k < 3; ++k) at[k] += lift * normal[k];
  }
  DrawElementText(text.Get(), at, size, normal, firstAxis, mode, fitRadius, leastHeight);
}

void DrawNumbers(ElementList* list, double scale, double push) {
  OpenGLView* view = OpenGLView::GetCurrent();
  if (!view) return;
  const bool lighting = SetLighting(view, false);
  for (PolyElement* e = list->mHead; e; e = e->mNext) DrawNumber(e, scale, push);
  SetLighting(view, lighting);
  CheckGLError("ElementList::DrawNumbers");
}

void DrawLabels(ElementList* list, Poly*, double scale, double push) {
  OpenGLView* view = OpenGLView::GetCurrent();
  if (!view) return;
  if (!(DiagnosticNumbers & (kShowFaceNumbers | kShowFaceTypeNumbers)) && !(list->HasLabels() && ShowLabels)) return;
  const bool lighting = SetLighting(view, false);
  for (PolyElement* e = list->mHead; e; e = e->mNext) DrawTextIfShown(e, scale, push);
  SetLighting(view, lighting);
  CheckGLError("ElementList::DrawLabels");
}

void DrawAllLabels(ElementList* list, Poly* poly, double scale, double push) {
  using namespace detail_ElementDrawing;
  OpenGLView* view = OpenGLView::GetCurrent();
  if (!view || !list->mHead) return;
  if (!(DiagnosticNumbers & (kShowVertexNumbers | kShowVertexTypeNumbers)) && !(list->HasLabels() && ShowLabels))
    return;
  LabelState state(view);
  SetLabelColourForSelection(poly);
  const ModelDrawSettings& settings = GetModelDrawSettings();
  const bool spheres = UsingVertexSpheres() && settings.showVerts;
  const double size = GetLabelSize(poly, list->mHead->IsFace(), BlockEdgeLength(list->mHead), -1, -1.0, -1.0);
  const double lift = spheres ? VertexSphereRadius(list->mHead) : 0.0;
  const bool dual = poly && poly->mShowDual;
  for (PolyElement* e = list->mHead; e; e = e->mNext) {
    if ((e->mFlags & kElementCoplanar) || !e->mType || e->mType->mMirrorPartner) continue;
    bool anyShown = settings.showVerts;
    for (int i = 0; i < e->mNumSides && !anyShown; ++i)
      anyShown = e->mNeighbours[i] && !e->mNeighbours[i]->IsHidden(dual);
    if (!anyShown) continue;
    LabelText text;
    BuildElementLabel(e, true, text);
    if (text.Empty()) continue;
    double normal[3];
    e->GetNormal(normal);
    double at[3];
    for (int k = 0; k < 3; ++k) {
      const double push3 = push == 1.0 || e->HasFlag(kElementHemi) ? 0.0 : (push - 1.0) * e->mCentre[k];
      at[k] = (e->mDualVert[k] + push3) * scale + lift * normal[k];
    }
    DrawElementText(text.Get(), at, size, normal, e->mXAxis, settings.labelTextMode, 0.0, 0.0);
  }
  CheckGLError("ElementList::DrawAllLabels");
}

// ---- Extents ----------------------------------------------------------------------------

void AddToExtents(const PolyElement* element, OpenGLView* view, ViewExtents* extents, const double* matrix) {
  if (!view || !extents || !element->mNeighbours) return;
  Transform3D worldToFace;
  if (matrix) {
    for (int k = 0; k < 12; ++k) worldToFace.m[k] = matrix[k];
  } else {
    element->GetWorldToFace(worldToFace, false);
  }
  for (int i = 0; i < element->mNumSides; ++i) {
    double points[10];
    const int n = element->GetPolygon2D(i, worldToFace, points);
    for (int k = 0; k < n; ++k) {
      const double p[3] = {points[2 * k], points[2 * k + 1], 0.0};
      view->Camera().AddPointToExtents(*extents, p);
    }
  }
}

void AddVertexFigureToBounds2D(const PolyElement* element, OpenGLView* view, ViewExtents* extents) {
  if (!view || !extents) return;
  Transform3D worldToFace;
  element->GetWorldToFace(worldToFace, false);
  int steps = element->mList ? element->mList->mCount : 1;
  const PolyElement* member = element;
  do {
    if (ShowDualFaceOnVertexFigure) AddToExtents(member, view, extents, worldToFace.m);
    for (int i = 0; i < member->mNumSides; ++i) {
      double p[3] = {0.0, 0.0, 0.0};
      if (member->GetAdjacent2D(i, worldToFace, p)) view->Camera().AddPointToExtents(*extents, p);
    }
    member = ShowCoplanarVertexFigures ? member->mCoplanarNext : nullptr;
  } while (member && member != element && steps-- > 0);
}

void AddOthersToBounds2D(const PolyElement* element, OpenGLView* view, ViewExtents* extents) {
  if (!view || !extents || !element->mList) return;
  Transform3D worldToFace;
  element->GetWorldToFace(worldToFace, false);
  for (const PolyElement* e = element->mList->mHead; e; e = e->mNext) {
    if (e == element) continue;
    double p[3] = {0.0, 0.0, 0.0};
    if (element->ProjectElementTo2D(e, worldToFace, p)) view->Camera().AddPointToExtents(*extents, p);
  }
}

// ---- The vertex-figure pane --------------------------------------------------------------

void DrawVertexFigure2D(const PolyElement* element, OpenGLView* view, bool showLines, bool picking) {
  using namespace detail_ElementDrawing;
  if (!view || !element->mList) return;
  Transform3D worldToFace;
  element->GetWorldToFace(worldToFace, false);
  const float lineWidth = GetEdgeLineWidth();
  const float pixel = GetModelDrawSettings().lineWidthFactor;
  struct Projected {
    const PolyElement* element;
    double p[2];
  };
  std::vector<Projected> others;
  for (const PolyElement* e = element->mList->mHead; e; e = e->mNext) {
    Projected q{e, {0.0, 0.0}};
    if (e != element && !(e->mFlags & kElementSkip) && element->ProjectElementTo2D(e, worldToFace, q.p))
      others.push_back(q);
  }

  // 1. The lines through the projections of every pair, clipped to the list's spread.
  // They carry no selection names, so a pick leaves them out.
  if (showLines && !picking) {
    PairLineSource source{element, {}, element->GetListSpread2D()};
    source.points.reserve(2 * others.size());
    for (const Projected& q : others) source.points.insert(source.points.end(), {q.p[0], q.p[1]});
    view->Materials().SetColor(0.6f, 0.6f, 0.6f);
    DrawPairLineLayer(view, source);
  }

  // 2. The vertex figures of the drawn polygons through this element's point.
  if (element->mPoly && element->mPoly->mDrawnPolygons) {
    glLineWidth(lineWidth + 2.0f);
    for (const DrawnPolygon* polygon = element->mPoly->mDrawnPolygons; polygon; polygon = polygon->next) {
      const PolygonVertex* ring = polygon->ring;
      if (!ring) continue;
      const PolygonVertex* v = ring;
      do {
        bool here = true;
        for (int k = 0; k < 3; ++k) here = here && std::fabs(v->point[k] - element->mDualVert[k]) <= kPointTolerance;
        if (here && v->prev && v->next && v->prev != v) {
          double a[2], b[2];
          element->ProjectTo2D(v->prev->point, false, worldToFace, a);
          element->ProjectTo2D(v->next->point, false, worldToFace, b);
          if (polygon == element->mPoly->mCurrentDrawnPolygon) {
            view->Materials().SetColorv(kLabelHighlightColour);
          } else {
            view->Materials().SetColor(0.0f, 1.0f, 0.0f);
          }
          glBegin(GL_LINES);
          glVertex2dv(a);
          glVertex2dv(b);
          glEnd();
        }
        v = v->next;
      } while (v && v != ring);
    }
    glLineWidth(pixel);
  }

  // 3. The element's own point, then the others: a ring in the default vertex colour
  // round each point in its own colour.
  glPointSize(11.0f * pixel);
  view->Materials().SetColorv(element->GetDrawColour());
  glBegin(GL_POINTS);
  glVertex2d(0.0, 0.0);
  glEnd();
  glPointSize(7.0f * pixel);
  view->Materials().SetColorv(DefaultVertexColor);
  for (const Projected& q : others) {
    if (picking)
      SetGLSelectionItem(q.element->IsVertex() ? kSelectBaseVertex : kSelectDualVertex, q.element->GetIndex());
    glBegin(GL_POINTS);
    glVertex2dv(q.p);
    glEnd();
  }
  if (picking) view->ClearGLSelectionItem();
  glPointSize(5.0f * pixel);
  glBegin(GL_POINTS);
  for (const Projected& q : others) {
    view->Materials().SetColorv(q.element->GetDrawColour());
    glVertex2dv(q.p);
  }
  glEnd();
  glPointSize(pixel);

  // 4. In Measurement Mode the measurement points that are defined.
  constexpr int kMeasurementMode = 3;
  if (GetMouseSelectionMode(view->GetViewGroup()) == kMeasurementMode) {
    glPointSize(7.0f * pixel);
    view->Materials().SetColor(1.0f, 0.5f, 0.5f);
    glBegin(GL_POINTS);
    for (int i = 0; i < kNumMeasurementPoints; ++i) {
      const double* m = GetMeasurementPoint(i);
      if (m[0] == kUndefinedPoint) continue;
      double p[2];
      element->ProjectTo2D(m, false, worldToFace, p);
      glVertex2dv(p);
    }
    glEnd();
    glPointSize(pixel);
  }

  // 5. The numbers of the projected elements.
  if (DiagnosticNumbers & (kShowVertexNumbers | kShowVertexTypeNumbers)) {
    for (const Projected& q : others) {
      LabelText text;
      if (DiagnosticNumbers & kShowVertexTypeNumbers) text.AppendNumber(FaceType::GetNumber(q.element->mType));
      if (DiagnosticNumbers & kShowVertexNumbers) {
        if (!text.Empty()) text.Append("-");
        text.AppendNumber(q.element->GetNumber());
      }
      const bool selected = element->mPoly && q.element == element->mPoly->mSelectedElement;
      view->Materials().SetColorv(selected ? kLabelHighlightColour : kLabelTextColour);
      view->Text().DrawText2Dv(text.Get(), q.p, false);
    }
  }
  CheckGLError("PolyElement::DrawVertexFigure2D");
}

}  // namespace corvia
