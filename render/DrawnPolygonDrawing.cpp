// Drawing of drawn polygons (the facets the user draws, the polygons of a faceting)
// and of the plane of picked measurement points.

#include <algorithm>
#include <cmath>

#include "core/DrawnPolygon.h"
#include "core/FaceImageRef.h"
#include "core/Globals.h"
#include "model/PointPicker.h"
#include "model/PolyElement.h"
#include "render/DrawnPolygonDrawing.h"
#include "render/FaceImageMapping.h"
#include "render/FaceImageTexturing.h"
#include "render/GL.h"
#include "render/GLErrors.h"
#include "render/ModelDrawSettings.h"
#include "render/OpenGLView.h"

namespace corvia {

namespace detail_DrawnPolygonDrawing {

// origin + x axis1 + y axis2 of a 3 x 4 frame (columns axisU, axisV, a third axis, origin).
void FramePoint(const Transform3D& frame, double x, double y, double* out) {
  const double* m = frame.m;
  for (int k = 0; k < 3; ++k) out[k] = m[9 + k] + x * m[k] + y * m[3 + k];
}

bool ValidIndex(int index, int points) {
  return index >= 0 && index < points;
}

// The number of 2D points the triangle indices may refer to: one past the largest index.
int PointCount(const DrawnPolygon* polygon) {
  int largest = -1;
  for (int k = 0; k < polygon->indexCount; ++k) largest = std::max(largest, polygon->indices[k]);
  return largest + 1;
}

}  // namespace detail_DrawnPolygonDrawing

void DrawTriangles(const DrawnPolygon* polygon, const Transform3D& frame, const PolyElement* owner,
                   const Transform3D* textureFrame) {
  using namespace detail_DrawnPolygonDrawing;
  if (polygon->indexCount < 3 || !polygon->indices || !polygon->vertices) return;
  const int points = PointCount(polygon);
  const FaceImage* image = owner ? owner->GetImage() : nullptr;
  if (!image) {
    glBegin(GL_TRIANGLES);
    for (int k = 0; k + 2 < polygon->indexCount; k += 3) {
      if (!ValidIndex(polygon->indices[k], points) || !ValidIndex(polygon->indices[k + 1], points) ||
          !ValidIndex(polygon->indices[k + 2], points))
        continue;
      for (int i = 0; i < 3; ++i) {
        const int index = polygon->indices[k + i];
        double p[3];
        FramePoint(frame, polygon->vertices[2 * index], polygon->vertices[2 * index + 1], p);
        glVertex3dv(p);
      }
    }
    glEnd();
    return;
  }
  Transform3D transform;
  GetTexCoordTransform(image, transform, owner);
  BindImageTexture(image);
  glBegin(GL_TRIANGLES);
  for (int k = 0; k + 2 < polygon->indexCount; k += 3) {
    double corners[3][3], textured[3][3];
    bool valid = true;
    for (int i = 0; i < 3 && valid; ++i) {
      const int index = polygon->indices[k + i];
      valid = ValidIndex(index, points);
      if (!valid) break;
      FramePoint(frame, polygon->vertices[2 * index], polygon->vertices[2 * index + 1], corners[i]);
      if (textureFrame) {
        TransformPoint(*textureFrame, textured[i], corners[i]);
      } else {
        CopyVector(textured[i], corners[i]);
      }
    }
    if (!valid) continue;
    float coords[6] = {0, 0, 0, 0, 0, 0};
    const double* texturedPoints[3] = {textured[0], textured[1], textured[2]};
    GetTriangleTexCoords(image, transform, texturedPoints, coords, nullptr);
    for (int i = 0; i < 3; ++i) {
      glTexCoord2fv(coords + 2 * i);
      glVertex3dv(corners[i]);
    }
  }
  glEnd();
  UnbindImageTexture(image);
}

void DrawFilled(const DrawnPolygon* polygon) {
  Transform3D frame;
  SetTransformFromColumns(frame, polygon->centroid, polygon->axisU, polygon->axisV, polygon->normal);
  glNormal3dv(polygon->normal);
  DrawTriangles(polygon, frame, nullptr, nullptr);
}

void DrawDrawnPolygons(const DrawnPolygon* chain, OpenGLView* view) {
  if (!view) view = OpenGLView::GetCurrent();
  if (!view) return;
  glLineWidth(GetEdgeLineWidth());
  glPointSize(GetVertexPointSize());
  for (const DrawnPolygon* polygon = chain; polygon; polygon = polygon->next) {
    const PolygonVertex* ring = polygon->ring;
    if (!ring) continue;
    const bool lighting = SetLighting(view, false);
    glBegin(GL_LINE_STRIP);
    const PolygonVertex* v = ring;
    do {
      glVertex3dv(v->point);
      v = v->next;
    } while (v && v != ring);
    glEnd();
    glBegin(GL_POINTS);
    v = ring;
    do {
      glVertex3dv(v->point);
      v = v->next;
    } while (v && v != ring);
    glEnd();
    SetLighting(view, lighting);
    DrawFilled(polygon);
  }
  glLineWidth(GetModelDrawSettings().edgeWidth);
  glPointSize(GetModelDrawSettings().vertSize);
  CheckGLError("DrawDrawnPolygons");
}

void DrawPlane(const PointPicker* picker) {
  glBegin(GL_TRIANGLES);
  for (int i = 0; i < picker->mCount; ++i) {
    for (int j = i + 1; j < picker->mCount; ++j) {
      for (int k = j + 1; k < picker->mCount; ++k) {
        const double* p[3] = {picker->GetPoint(i), picker->GetPoint(j), picker->GetPoint(k)};
        if (p[0][0] == kUndefinedPoint || p[1][0] == kUndefinedPoint || p[2][0] == kUndefinedPoint) continue;
        double n[3];
        TriangleNormal(n, p[0], p[1], p[2]);
        NormaliseVector(n, n);
        glNormal3dv(n);
        for (const double* q : p) glVertex3dv(q);
      }
    }
  }
  glEnd();
}

}  // namespace corvia
