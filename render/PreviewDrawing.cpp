// The preview of a plain model: its faces pickable, its problem edges colour-coded.

#include "render/DrawnPolygonDrawing.h"
#include "render/PreviewDrawing.h"

#include "core/DrawnPolygon.h"
#include "render/GL.h"
#include "render/GLErrors.h"
#include "render/GLSelection.h"
#include "render/ModelDrawPane.h"
#include "render/ModelDrawSettings.h"
#include "render/OpenGLView.h"
#include "render/SelectionItems.h"
#include "symmetry/SimplePoly.h"
#include "symmetry/ValidityCheck.h"

namespace corvia {

namespace detail_PreviewDrawing {

void Unpack(uint32_t colorref, float* rgb) {
  rgb[0] = static_cast<float>(colorref & 0xFF) / 255.0f;
  rgb[1] = static_cast<float>((colorref >> 8) & 0xFF) / 255.0f;
  rgb[2] = static_cast<float>((colorref >> 16) & 0xFF) / 255.0f;
}

// The explode offset of a face: (explode - 1) d n, n its normal and d = n . its first
// vertex; zero for no explosion or a face without vertices.
void ExplodeOffset(const SimplePoly& model, const SimpleFace& face, double explode, double* out) {
  out[0] = out[1] = out[2] = 0.0;
  if (explode == 1.0 || face.items.empty() || !face.HasNormal()) return;
  const double d = Dot(face.normal, model.VertAt(face.items[0]).pos);
  for (int k = 0; k < 3; ++k) out[k] = (explode - 1.0) * d * face.normal[k];
}

// The face's drawn polygon, moved by the offset and scaled.
void DrawPolygonAt(const DrawnPolygon* polygon, const double* offset, double scale) {
  if (!polygon) return;
  glPushMatrix();
  glScaled(scale, scale, scale);
  glTranslated(offset[0], offset[1], offset[2]);
  DrawFilled(polygon);
  glPopMatrix();
}

}  // namespace detail_PreviewDrawing

void Draw(SimplePoly* poly, const DrawnPolygon* polygons, const void* viewArgument, double explode, double scale) {
  using namespace detail_PreviewDrawing;
  auto* view = static_cast<OpenGLView*>(const_cast<void*>(viewArgument));
  if (!view) view = OpenGLView::GetCurrent();
  if (!view) return;
  // Normals that were never worked out would place exploded faces wrongly and make
  // every pair of faces look coplanar.
  poly->CalcFaceNormals(false);
  ModelDrawPane& pane = GetModelDrawPane(view);
  const unsigned pickFlags = view->IsPicking() ? pane.GetPreviewPickFlags() : 0;
  const int selected = pane.GetPreviewSelectedFace();
  const PreviewDrawOptions& options = GetPreviewDrawOptions();
  glPushAttrib(GL_ENABLE_BIT);
  glEnable(GL_NORMALIZE);
  const DrawnPolygon* polygon = polygons;
  const DrawnPolygon* selectedPolygon = nullptr;
  double selectedOffset[3] = {0.0, 0.0, 0.0};
  for (int i = 0; i < poly->NumFaces(); ++i, polygon = polygon ? polygon->next : nullptr) {
    const SimpleFace& face = poly->FaceAt(i);
    if (face.IsTemp()) continue;
    bool suspended = false;
    if (i == selected) {
      suspended = view->Materials().SuspendRainbowLights(true);
      view->Materials().SetMaterialColorRGB(1.0f, 1.0f, 1.0f);
    } else if (!options.plainColours) {
      float rgb[3];
      Unpack(face.color, rgb);
      view->Materials().SetMaterialColor(rgb);
    }
    double offset[3];
    ExplodeOffset(*poly, face, explode, offset);
    if (pickFlags & kPreviewPickVertices) {
      for (int32_t v : face.items) {
        SetGLSelectionItem(kSelectSimplePolyVertex, v);
        const double* p = poly->VertAt(v).pos;
        glBegin(GL_POINTS);
        glVertex3d((p[0] + offset[0]) * scale, (p[1] + offset[1]) * scale, (p[2] + offset[2]) * scale);
        glEnd();
      }
    } else {
      if (pickFlags & kPreviewPickFaces) SetGLSelectionItem(kSelectSimplePolyFace, i);
      DrawPolygonAt(polygon, offset, scale);
    }
    if (i == selected) {
      selectedPolygon = polygon;
      CopyVector(selectedOffset, offset);
    }
    if (suspended) view->Materials().ResumeRainbowLights(true);
  }
  if (pickFlags & (kPreviewPickVertices | kPreviewPickFaces)) view->ClearGLSelectionItem();
  if (selectedPolygon) {
    const bool suspended = view->Materials().SuspendRainbowLights(true);
    view->Materials().SetMaterialColorRGBA(1.0f, 1.0f, 1.0f, options.highlightOpacity);
    view->Materials().SetTransparencyMode(kTransparencyScreenDoor);
    glDisable(GL_DEPTH_TEST);
    DrawPolygonAt(selectedPolygon, selectedOffset, scale);
    glEnable(GL_DEPTH_TEST);
    view->Materials().SetTransparencyMode(kTransparencyOpaque);
    if (suspended) view->Materials().ResumeRainbowLights(true);
  }
  glPopAttrib();
  DrawProblemEdges(poly, explode, scale);
  // Again through the faces, faintly.
  view->Materials().SetTransparencyMode(kTransparencyBlended);
  glDisable(GL_DEPTH_TEST);
  DrawProblemEdges(poly, explode, scale);
  if (view->Is3D()) glEnable(GL_DEPTH_TEST);
  view->Materials().SetTransparencyMode(kTransparencyOpaque);
  CheckGLError("SimplePoly::Draw");
}

void DrawProblemEdges(SimplePoly* poly, double explode, double scale) {
  using namespace detail_PreviewDrawing;
  OpenGLView* view = OpenGLView::GetCurrent();
  if (!view) return;
  poly->CalcFaceNormals(false);
  poly->CreateVertexFaceLists(false);
  poly->flags |= kSimpleIsOk;
  const bool lighting = SetLighting(view, false);
  glLineWidth((GetModelDrawSettings().edgeWidth + 2.0f) * GetModelDrawSettings().lineWidthFactor);
  const PreviewDrawOptions& options = GetPreviewDrawOptions();
  glBegin(GL_LINES);
  for (int i = 0; i < poly->NumFaces(); ++i) {
    const SimpleFace& face = poly->FaceAt(i);
    if (face.IsTemp()) continue;
    double offset[3];
    ExplodeOffset(*poly, face, explode, offset);
    const int n = face.Count();
    for (int corner = 0; corner < n; ++corner) {
      const EdgeFaceCount count = CountFacesAtEdge(*poly, i, corner, true);
      const bool problem = count.faces != 2 || count.coplanar == 2;
      if (!problem) continue;
      const float* colour = nullptr;
      uint32_t bit = 0;
      if (count.faces == 1) {
        colour = kOpenEdgeColour;
        bit = kSimpleHasOpenEdges;
      } else if (count.faces % 2 == 1) {
        colour = kOddEdgeColour;
        bit = kSimpleHasOddEdges;
      } else if (count.faces == 2) {
        colour = kCoplanarEdgeColour;
        bit = kSimpleHasCoplanarEdges;
      } else {
        colour = kManyFaceEdgeColour;
        bit = kSimpleHasManyFaceEdges;
      }
      static const float kWhite[3] = {1.0f, 1.0f, 1.0f};
      if (options.allEdgesWhite) {
        colour = kWhite;
      } else {
        poly->flags |= bit;
      }
      poly->flags &= ~kSimpleIsOk;
      // Each face at the edge draws it again: without explosion the alphas add up.
      const float alpha = explode == 1.0 && count.faces > 0 ? 0.2f / static_cast<float>(count.faces) : 0.2f;
      view->Materials().SetColor4(colour[0], colour[1], colour[2], alpha);
      for (const int k : {corner, (corner + 1) % n}) {
        const double* p = poly->VertAt(face.items[static_cast<size_t>(k)]).pos;
        glVertex3d((p[0] + offset[0]) * scale, (p[1] + offset[1]) * scale, (p[2] + offset[2]) * scale);
      }
    }
  }
  glEnd();
  glLineWidth(GetModelDrawSettings().lineWidthFactor);
  SetLighting(view, lighting);
  CheckGLError("SimplePoly::DrawProblemEdges");
}

}  // namespace corvia
