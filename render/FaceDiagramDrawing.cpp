// Drawing of face-diagram cells, and the colour a cell is drawn in.

#include "render/FaceDiagramDrawing.h"

#include <vector>

#include "core/FaceImageRef.h"
#include "core/Units.h"
#include "model/PolyElement.h"
#include "render/DepthSortedTriangles.h"
#include "render/FaceImageMapping.h"
#include "render/GL.h"
#include "render/GLErrors.h"
#include "render/GLSelection.h"
#include "render/ModelDrawPane.h"
#include "render/OpenGLView.h"
#include "render/SelectionItems.h"

namespace corvia {

namespace detail_FaceDiagramDrawing {

// origin + x axis1 + y axis2 (+ offset).
void MapPoint(const Transform3D& frame, const DiagramPoint& p, const double* offset, double* out) {
  const double* m = frame.m;
  for (int k = 0; k < 3; ++k) out[k] = m[9 + k] + p.x * m[k] + p.y * m[3 + k] + (offset ? offset[k] : 0.0);
}

bool AllSourcesHidden(const DiagramCell& cell, int32_t kind, const DiagramSourceCallbacks* callbacks) {
  for (int32_t k = 0; k < cell.numPairs; ++k) {
    float colour[3], second[3], alpha;
    bool textured;
    if (GetColorOfSource(cell.pairs[k].source, kind, callbacks, colour, second, &alpha, &textured)) return false;
  }
  return true;
}

void SelectFaceSource(DiagramSource source) {
  const auto* element = reinterpret_cast<const PolyElement*>(source);
  if (!element || element->GetIndex() < 0) return;
  SetGLSelectionItem(element->IsVertex() ? kSelectVertexAsFace : kSelectFace, element->GetIndex());
}

bool IndexInRange(const FaceDiagramResult* result, int32_t index) {
  return index >= 0 && index < result->mNumPoints;
}

}  // namespace detail_FaceDiagramDrawing

bool GetCellColor(const DiagramCell* cell, float* rgb, bool flat, bool front, int32_t kind,
                  const DiagramSourceCallbacks* callbacks, bool mayBeSelected) {
  static const float kWhite[3] = {1.0f, 1.0f, 1.0f};
  OpenGLView* view = OpenGLView::GetCurrent();
  const float* own = front ? cell->colour : cell->secondColour;
  if (mayBeSelected && IsCellSelected(cell, kind, callbacks)) {
    const bool suspended = view && view->Materials().SuspendRainbowLights(true);
    if (flat) {
      CopyFloat3(rgb, kWhite);
    } else {
      LerpFloat3(rgb, own, kWhite, GetSelectedFraction(cell, kind, callbacks));
    }
    return suspended;
  }
  if (flat || (CellHighlightOption() && view && GetModelDrawPane(view).HighlightsCells())) {
    CopyFloat3(rgb, kWhite);
  } else {
    CopyFloat3(rgb, own);
  }
  return false;
}

void DrawFaceDiagramCells(const FaceDiagramResult* result, const DiagramCell* cells, const Transform3D& frame,
                          int32_t kind, const DiagramSourceCallbacks* callbacks) {
  using namespace detail_FaceDiagramDrawing;
  OpenGLView* view = OpenGLView::GetCurrent();
  if (!view || !result || !cells || !result->mTriangles || result->mNumCells <= 0) return;
  for (int32_t c = 0; c < result->mNumCells; ++c) {
    const DiagramCell& cell = cells[c];
    if (cell.opacity == 0.0f) continue;
    float rgb[3];
    const bool suspended = GetCellColor(&cell, rgb, false, true, kind, callbacks);
    view->Materials().SetMaterialColorAlphav(rgb, cell.opacity);
    const CellTriangles& range = result->mTriangles[c];
    glBegin(GL_TRIANGLES);
    for (int32_t k = 0; k + 2 < range.numIndices; k += 3) {
      if (!IndexInRange(result, range.indices[k]) || !IndexInRange(result, range.indices[k + 1]) ||
          !IndexInRange(result, range.indices[k + 2]))
        continue;
      for (int i = 0; i < 3; ++i) {
        double p[3];
        MapPoint(frame, result->mPoints[range.indices[k + i]], nullptr, p);
        glVertex3dv(p);
      }
    }
    glEnd();
    if (suspended) view->Materials().ResumeRainbowLights(true);
  }
  CheckGLError("DrawFaceDiagramCells");
}

void DrawFaceDiagramCellsSorted(const DiagramCell* cells, const FaceDiagramResult* result,
                                const CellDrawOptions& options) {
  using namespace detail_FaceDiagramDrawing;
  OpenGLView* view = OpenGLView::GetCurrent();
  if (!view || !result || !cells || !result->mTriangles || result->mNumCells <= 0 || !options.frame) return;
  static const double kNoNormal[3] = {0.0, 0.0, 1.0};
  const double* normal = options.normal ? options.normal : kNoNormal;
  for (int32_t c = 0; c < result->mNumCells; ++c) {
    const DiagramCell& cell = cells[c];
    if (cell.opacity == 0.0f) continue;
    if (options.selectedOnly && !IsCellSelected(&cell, options.kind, options.callbacks)) continue;
    if (options.picking) {
      if (AllSourcesHidden(cell, options.kind, options.callbacks)) continue;
      const DiagramSource source = GetCellSource(&cell, options.kind, options.callbacks);
      if (options.selectSource) {
        options.selectSource(source);
      } else if (options.kind == kDiagramSourceFaces) {
        SelectFaceSource(source);
      }
    }
    // Texture coordinates from the image of the first source drawn with one.
    const FaceImage* image = nullptr;
    Transform3D texture;
    if (cell.textureSource && options.kind == kDiagramSourceFaces && !options.picking && options.fixedAlpha < 0.0f) {
      const auto* owner = reinterpret_cast<const PolyElement*>(cell.textureSource);
      if (owner->GetImage()) {
        image = owner->GetImage();
        GetTexCoordTransform(image, texture, owner);
      }
    }
    float rgba[4];
    bool suspended = false;
    if (options.fixedColour) {
      CopyFloat3(rgba, options.fixedColour);
    } else {
      suspended =
          GetCellColor(&cell, rgba, false, options.front, options.kind, options.callbacks, !options.noneSelected);
    }
    rgba[3] = options.fixedAlpha >= 0.0f ? options.fixedAlpha : cell.opacity;
    const CellTriangles& range = result->mTriangles[c];
    for (int32_t k = 0; k + 2 < range.numIndices; k += 3) {
      double p[3][3];
      bool valid = true;
      for (int i = 0; i < 3 && valid; ++i) {
        const int32_t index = range.indices[k + i];
        valid = IndexInRange(result, index);
        if (valid) MapPoint(*options.frame, result->mPoints[index], options.offset, p[i]);
      }
      if (!valid) continue;
      AddDepthSortedTriangle(p[0], p[1], p[2], normal, rgba, options.triangleFlags, options.scale, image,
                             image ? &texture : nullptr, nullptr);
    }
    if (suspended) view->Materials().ResumeRainbowLights(true);
    if (options.picking) view->ClearGLSelectionItem();
  }
}

void DrawFaceDiagramCellsGdi(const FaceDiagramResult* result, const DiagramCell* cells, const double* transform,
                             int32_t kind, const DiagramSourceCallbacks* callbacks, CellPrintTarget& target) {
  using namespace detail_FaceDiagramDrawing;
  if (!result || !cells || !result->mTriangles || result->mNumCells <= 0) return;
  const UnitSettings& units = GetUnitSettings();
  const bool grey = units.GetPrintShading(false) == kPrintShadingGreyscale;
  const int greyLevel = RoundToInt(units.mPrintShadeMax * 255.0f);
  for (int32_t c = 0; c < result->mNumCells; ++c) {
    const DiagramCell& cell = cells[c];
    if (cell.opacity == 0.0f) continue;
    int rgb[3] = {greyLevel, greyLevel, greyLevel};
    if (!grey) {
      float colour[3];
      const bool suspended = GetCellColor(&cell, colour, false, true, kind, callbacks);
      if (suspended) {
        if (OpenGLView* view = OpenGLView::GetCurrent()) view->Materials().ResumeRainbowLights(true);
      }
      for (int k = 0; k < 3; ++k) rgb[k] = RoundToInt(colour[k] * 255.0f);
    }
    target.SelectSolidBrush(rgb[0], rgb[1], rgb[2]);
    const CellTriangles& range = result->mTriangles[c];
    for (int32_t k = 0; k + 2 < range.numIndices; k += 3) {
      double xy[6];
      bool valid = true;
      for (int i = 0; i < 3 && valid; ++i) {
        const int32_t index = range.indices[k + i];
        valid = IndexInRange(result, index);
        if (!valid) break;
        const DiagramPoint& p = result->mPoints[index];
        xy[2 * i] = transform[0] * p.x + transform[2] * p.y + transform[4];
        xy[2 * i + 1] = transform[1] * p.x + transform[3] * p.y + transform[5];
      }
      if (valid) target.PrintClippedPolygon(xy, 3);
    }
    target.RestoreBrush();
  }
}

}  // namespace corvia
