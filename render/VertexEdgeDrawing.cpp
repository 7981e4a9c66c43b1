// Vertices as points and spheres, edges as lines and cylinders, edge labels.

#include "render/ElementDrawing.h"
#include "render/VertexEdgeDrawing.h"

#include <cmath>
#include <optional>

#include "core/DrawnPolygon.h"
#include "core/Globals.h"
#include "core/HtmlText.h"
#include "model/Edge.h"
#include "model/ElementFlags.h"
#include "model/ElementLabels.h"
#include "model/ElementList.h"
#include "model/FaceTypeBlock.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "render/GL.h"
#include "render/GLErrors.h"
#include "render/GLSelection.h"
#include "render/GLText.h"
#include "render/GeomagDrawing.h"
#include "render/ModelDrawPane.h"
#include "render/ModelDrawSettings.h"
#include "render/ModelDrawing.h"
#include "render/OpenGLView.h"
#include "render/Primitives.h"
#include "render/SelectionItems.h"
#include "stellation/Faceting.h"

namespace corvia {

namespace detail_VertexEdgeDrawing {

// The vertices and faces of a block: the dual's vertices are the model's faces.
struct BlockLists {
  ElementList* vertices;
  ElementList* faces;
  FaceTypeBlock* typeBlock;
  bool dual;
};

BlockLists ListsOf(Poly* poly, int block) {
  const bool dual = block == kDualBlock;
  BlockLists lists{};
  lists.dual = dual;
  lists.vertices = dual ? static_cast<ElementList*>(&poly->mFaces) : static_cast<ElementList*>(&poly->mVertices);
  lists.faces = dual ? static_cast<ElementList*>(&poly->mVertices) : static_cast<ElementList*>(&poly->mFaces);
  lists.typeBlock = dual ? poly->mDualBlock.get() : poly->mBaseBlock.get();
  return lists;
}

double MeanEdgeLength(const BlockLists& lists) {
  return lists.typeBlock ? lists.typeBlock->GetMeanEdgeLength() : 0.0;
}

bool VertexShown(const PolyElement* vertex, bool dual) {
  return !vertex->HasFlag(kElementHemi) && !vertex->IsHidden(dual);
}

// (p + (m - 1) c) x scale.
void MovedPoint(double* out, const double* p, const double* centre, double morph, double scale) {
  for (int k = 0; k < 3; ++k) out[k] = (p[k] + (morph - 1.0) * (centre ? centre[k] : 0.0)) * scale;
}

// The vertex as one point, or under a morph once for each face it belongs to.
template <typename Emit>
void ForEachVertexPlace(const PolyElement* vertex, double morph, double scale, Emit emit) {
  double p[3];
  if (morph == 1.0) {
    MovedPoint(p, vertex->mDualVert, nullptr, 1.0, scale);
    emit(p);
    return;
  }
  for (int i = 0; i < vertex->mNumSides; ++i) {
    const PolyElement* face = vertex->mNeighbours[i];
    if (!face) continue;
    MovedPoint(p, vertex->mDualVert, face->mCentre, morph, scale);
    emit(p);
  }
}

// Whether any place of the vertex, as a ball of the radius, may meet the pick region.
bool VertexMayMeet(const PickRegion& region, const PolyElement* vertex, double morph, double scale, double radius) {
  if (!region.Active()) return true;
  bool meets = false;
  ForEachVertexPlace(vertex, morph, scale, [&](const double* p) { meets = meets || region.MayMeet(p, 1, radius); });
  return meets;
}

// Whether the face's side i, moved and scaled as it is drawn and widened to the radius,
// may meet the pick region.
bool SideMayMeet(const PickRegion& region, const PolyElement* face, int i, const double* offset, double scale,
                 double radius) {
  if (!region.Active()) return true;
  double ends[6];
  if (!face->GetSideEnds(i, ends, ends + 3)) return true;
  for (int k = 0; k < 6; ++k) ends[k] = (ends[k] + offset[k % 3]) * scale;
  return region.MayMeet(ends, 2, radius);
}

// Whether the face draws side i: without a morph a side shared by two faces is drawn
// by the one earlier in the list.
bool DrawsSide(const PolyElement* face, int i, bool shareOnce) {
  if (!shareOnce) return true;
  const PolyElement* other = face->GetAdjacent(i);
  return !other || other == face || face->GetIndex() < other->GetIndex();
}

}  // namespace detail_VertexEdgeDrawing

void DrawPolyVertices(Poly* poly, int block, double morph) {
  using namespace detail_VertexEdgeDrawing;
  OpenGLView* view = OpenGLView::GetCurrent();
  if (!view || !poly) return;
  if (UsingVertexSpheres()) {
    DrawVertexSpheres(poly, block, morph);
    return;
  }
  const BlockLists lists = ListsOf(poly, block);
  if (GetModelDrawPane(view).IsFacetingPreviewPane()) {
    DrawAllLabels(lists.vertices, poly, 1.0, 1.0);
    DrawLabels(poly, block, 1.0, morph);
  }
  const int kind = lists.dual ? kSelectDualVertex : kSelectBaseVertex;
  const bool picking = view->IsPicking();
  const bool lighting = SetLighting(view, false);
  glPointSize(GetVertexPointSize());
  const double scale = poly->mDisplayScale;
  const PickRegion region(view);
  for (PolyElement* v = lists.vertices->mHead; v; v = v->mNext) {
    if (!VertexShown(v, lists.dual) || !VertexMayMeet(region, v, morph, scale, 0.0)) continue;
    if (picking) SetGLSelectionItem(kind, v->GetIndex());
    view->Materials().SetMaterialColor(v->GetDrawColour());
    glBegin(GL_POINTS);
    ForEachVertexPlace(v, morph, scale, [](const double* p) { glVertex3dv(p); });
    glEnd();
  }
  glPointSize(GetModelDrawSettings().vertSize);
  SetLighting(view, lighting);
  if (picking) view->ClearGLSelectionItem();
  CheckGLError("DrawPolyVertices");
}

void DrawFacetingVertices(Poly* poly, int block, double morph) {
  using namespace detail_VertexEdgeDrawing;
  OpenGLView* view = OpenGLView::GetCurrent();
  if (!view || !poly || !HasCurrentFaceting()) return;
  const DrawnPolygon* polygon = poly->mCurrentDrawnPolygon;
  if (!polygon || !polygon->ring) return;
  const BlockLists lists = ListsOf(poly, block);
  const bool lighting = SetLighting(view, false);
  glPointSize((GetModelDrawSettings().vertSize + 2.0f) * GetModelDrawSettings().pointSizeFactor);
  const double scale = poly->mDisplayScale;
  for (PolyElement* v = lists.vertices->mHead; v; v = v->mNext) {
    if (!VertexShown(v, lists.dual) || !polygon->IsCoplanar(v->mDualVert)) continue;
    view->Materials().SetMaterialColor(v->GetDrawColour());
    glBegin(GL_POINTS);
    ForEachVertexPlace(v, morph, scale, [](const double* p) { glVertex3dv(p); });
    glEnd();
  }
  glPointSize(GetModelDrawSettings().vertSize);
  SetLighting(view, lighting);
  CheckGLError("DrawFacetingVertices");
}

void DrawVertexSpheres(Poly* poly, int block, double morph) {
  using namespace detail_VertexEdgeDrawing;
  OpenGLView* view = OpenGLView::GetCurrent();
  if (!view || !poly) return;
  const BlockLists lists = ListsOf(poly, block);
  const double radius = GetSphereRadius(poly, lists.dual, MeanEdgeLength(lists), -1, -1.0, -1.0);
  const int kind = lists.dual ? kSelectDualVertex : kSelectBaseVertex;
  const bool picking = view->IsPicking();
  const bool toy = GetElementDisplayOptions().constructionToyStyle;
  const double scale = poly->mDisplayScale;
  ModelDrawPane& pane = GetModelDrawPane(view);
  const PickRegion region(view);
  MaterialPasses passes;
  const int material = pane.SetVertexMaterial(passes);
  while (pane.ApplyFaceAppearance(true, passes)) {
    // One material for every sphere, unless each takes its vertex's colour.
    std::optional<SphereBatch> spheres;
    if (material != 1) spheres.emplace();
    for (PolyElement* v = lists.vertices->mHead; v; v = v->mNext) {
      if (!VertexShown(v, lists.dual)) continue;
      // One sphere at the vertex, or under a morph one at each of its places.
      const bool one = morph == 1.0 || toy;
      double p[3];
      for (int k = 0; k < 3; ++k) p[k] = (morph == 1.0 ? 1.0 : morph) * v->mDualVert[k] * scale;
      if (one ? !region.MayMeet(p, 1, radius) : !VertexMayMeet(region, v, morph, scale, radius)) continue;
      if (picking) SetGLSelectionItem(kind, v->GetIndex());
      if (material == 1) view->Materials().SetMaterialColor(v->GetDrawColour());
      if (one) {
        DrawSphere(p, radius);
      } else {
        ForEachVertexPlace(v, morph, scale, [radius](const double* q) { DrawSphere(q, radius); });
      }
    }
  }
  pane.EndVertexMaterial(passes);
  if (picking) view->ClearGLSelectionItem();
  CheckGLError("DrawVertexSpheres");
}

void DrawPolyEdges(Poly* poly, int block, double morph) {
  using namespace detail_VertexEdgeDrawing;
  OpenGLView* view = OpenGLView::GetCurrent();
  if (!view || !poly) return;
  if (UsingEdgeCylinders()) {
    DrawEdgeCylinders(poly, block, morph);
    return;
  }
  const BlockLists lists = ListsOf(poly, block);
  const int kind = lists.dual ? kSelectDualEdge : kSelectBaseEdge;
  const bool picking = view->IsPicking();
  const bool lighting = SetLighting(view, false);
  view->Materials().SetMaterialColor(GetNewEdgeColor());
  glLineWidth(GetEdgeLineWidth());
  const double scale = poly->mDisplayScale;
  const PickRegion region(view);
  for (PolyElement* face = lists.faces->mHead; face; face = face->mNext) {
    double offset[3];
    GetMorphOffset(face, morph, offset);
    for (int i = 0; i < face->mNumSides; ++i) {
      if (!DrawsSide(face, i, morph == 1.0) || !SideMayMeet(region, face, i, offset, scale, 0.0)) continue;
      const Edge* edge = face->mEdges ? face->mEdges[i] : nullptr;
      if (picking && edge) SetGLSelectionItem(kind, Edge::GetIndex(edge, poly));
      view->Materials().SetMaterialColor(PolyItem::GetColour(edge));
      glBegin(GL_LINES);
      DrawEdgeLine(face, i, offset, scale, false);
      glEnd();
    }
  }
  glLineWidth(GetModelDrawSettings().edgeWidth);
  SetLighting(view, lighting);
  if (picking) view->ClearGLSelectionItem();
  CheckGLError("DrawPolyEdges");
}

void DrawEdgeCylinders(Poly* poly, int block, double morph) {
  using namespace detail_VertexEdgeDrawing;
  OpenGLView* view = OpenGLView::GetCurrent();
  if (!view || !poly) return;
  const BlockLists lists = ListsOf(poly, block);
  double joint = 0.0;
  const double radius = GetSphereJointRadius(poly, lists.dual, MeanEdgeLength(lists), -1, -1.0, -1.0, &joint);
  const int kind = lists.dual ? kSelectDualEdge : kSelectBaseEdge;
  const bool picking = view->IsPicking();
  const bool toy = GetElementDisplayOptions().constructionToyStyle;
  const bool ownColours = GetModelDrawSettings().cylinderMaterial == 1 && !toy;
  const double scale = poly->mDisplayScale;
  ModelDrawPane& pane = GetModelDrawPane(view);
  const PickRegion region(view);
  MaterialPasses passes;
  pane.SetEdgeMaterial(passes);
  while (pane.ApplyFaceAppearance(false, passes)) {
    GeomagRodBatch rods;
    for (PolyElement* face = lists.faces->mHead; face; face = face->mNext) {
      for (int i = 0; i < face->mNumSides; ++i) {
        if (!DrawsSide(face, i, toy || morph == 1.0)) continue;
        const Edge* edge = face->mEdges ? face->mEdges[i] : nullptr;
        if (edge && edge->IsHidden(lists.dual)) continue;
        double a[3], b[3];
        if (!face->GetSideEnds(i, a, b)) continue;
        double offset[3];
        if (toy) {
          for (int k = 0; k < 3; ++k) offset[k] = morph == 1.0 ? 0.0 : (morph - 1.0) * 0.5 * (a[k] + b[k]);
        } else {
          GetMorphOffset(face, morph, offset);
        }
        for (int k = 0; k < 3; ++k) {
          a[k] = (a[k] + offset[k]) * scale;
          b[k] = (b[k] + offset[k]) * scale;
        }
        const double ends[6] = {a[0], a[1], a[2], b[0], b[1], b[2]};
        if (!region.MayMeet(ends, 2, radius)) continue;
        if (picking && edge) SetGLSelectionItem(kind, Edge::GetIndex(edge, poly));
        if (ownColours) view->Materials().SetMaterialColor(PolyItem::GetColour(edge));
        if (toy) {
          DrawGeomagRod(a, b, PolyItem::GetColour(edge), radius, joint);
        } else {
          DrawCylinder(view, a, b, radius, joint, nullptr, 0);
        }
      }
    }
  }
  pane.EndEdgeMaterial(passes);
  if (picking) view->ClearGLSelectionItem();
  CheckGLError("DrawEdgeCylinders");
}

void DrawLabels(Poly* poly, int block, double scale, double morph) {
  using namespace detail_VertexEdgeDrawing;
  OpenGLView* view = OpenGLView::GetCurrent();
  if (!view || !poly || !poly->mEdgeArray) return;
  if (!(DiagnosticNumbers & (kShowEdgeNumbers | kShowEdgeTypeNumbers)) && !(poly->HasEdgeLabels() && ShowLabels))
    return;
  const BlockLists lists = ListsOf(poly, block);
  const ModelDrawSettings& s = GetModelDrawSettings();
  const bool lighting = SetLighting(view, false);
  double lift = 0.0;
  if (UsingEdgeCylinders() && (s.showEdges || s.showStelEdges)) {
    lift = GetSphereJointRadius(poly, lists.dual, MeanEdgeLength(lists), -1, -1.0, -1.0, nullptr);
  }
  const double size = GetLabelSize(poly, lists.dual, MeanEdgeLength(lists), -1, -1.0, -1.0);
  const bool dim = poly->mSelectedItem && (DiagnosticNumbers & kShowAnyNumbers);
  SetGLTextColor(dim ? kLabelDimmedColour : kLabelTextColour);
  glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_CURRENT_BIT);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  const int mode = static_cast<int>(s.labelTextMode);
  const double textSize = size * s.labelFontSize;
  for (int e = 0; e < poly->mNumEdges; ++e) {
    const Edge* edge = &poly->mEdgeArray[e];
    if (edge->IsHidden(lists.dual)) continue;
    const PolyElement* side0 = edge->GetFace(lists.dual, 0);
    const PolyElement* side1 = edge->GetFace(lists.dual, 1);
    if (!s.showEdges && side0 && side1 && side0->HasFlag(kElementHidden) && side1->HasFlag(kElementHidden)) continue;
    LabelText text;
    BuildEdgeLabel(edge, poly, text);
    if (text.Empty()) continue;
    const PolyElement* end0 = edge->GetVert(lists.dual, 0);
    const PolyElement* end1 = edge->GetVert(lists.dual, 1);
    if (!end0 || !end1 || end0->HasFlag(kElementHemi) || end1->HasFlag(kElementHemi)) continue;
    double position[3], right[3], up[3];
    for (int k = 0; k < 3; ++k) position[k] = end0->mDualVert[k] + 0.4 * (end1->mDualVert[k] - end0->mDualVert[k]);
    edge->GetLabelFrame(right, lists.dual);
    edge->GetVector(up, lists.dual);
    NormaliseVector(up, up);
    if (lift > 0.0)
      for (int k = 0; k < 3; ++k) position[k] += lift * right[k];
    if ((mode & kTextAnchorMask) == kTextAnchorCentreFacing) SetGLTextOffset(0.5 * edge->GetLength(lists.dual), 1);
    const uint32_t flags = poly->mSelectedItem == edge ? kTextSelected : 0;
    if (morph == 1.0) {
      double at[3];
      MovedPoint(at, position, nullptr, 1.0, scale);
      DrawGLText(mode, at, textSize, -1.0, text.Get(), flags, right, up, nullptr, nullptr, nullptr);
    } else {
      for (const PolyElement* side : {side0, side1}) {
        if (!side) continue;
        double at[3];
        MovedPoint(at, position, side->mCentre, morph, scale);
        DrawGLText(mode, at, textSize, -1.0, text.Get(), flags, right, up, nullptr, nullptr, nullptr);
      }
    }
  }
  glPopAttrib();
  SetGLTextColor(kLabelTextColour);
  SetGLTextOffset(kDefaultTextOffset, 0);
  SetLighting(view, lighting);
  CheckGLError("DrawLabels");
}

}  // namespace corvia
