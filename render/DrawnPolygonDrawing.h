#pragma once
// Drawing of drawn polygons (the facets the user draws, the polygons of a faceting)
// and of the plane of picked measurement points.

#include "core/VectorMath.h"

namespace corvia {

class DrawnPolygon;
class OpenGLView;
class PointPicker;
class PolyElement;

// The polygon's triangles through the frame (its 2D points into 3D), textured with
// the owner face's image when it has one.
void DrawTriangles(const DrawnPolygon* polygon, const Transform3D& frame, const PolyElement* owner,
                   const Transform3D* textureFrame);
// The triangles in the polygon's own plane.
void DrawFilled(const DrawnPolygon* polygon);
// Outline, corner points and filled triangles of every polygon of the chain (null
// view: the current one).
void DrawDrawnPolygons(const DrawnPolygon* chain, OpenGLView* view);
// The plane triangle of three points, or the faces of the tetrahedron of four, as
// one GL triangle list.
void DrawPlane(const PointPicker* picker);

}  // namespace corvia
