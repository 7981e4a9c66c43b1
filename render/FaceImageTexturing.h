#pragma once
// Texturing of triangles with the images placed on faces, as the triangle drawers
// need it: binding an image's texture and repairing the wrap seam of cylindrical
// and spherical projections. The coordinates themselves come from the image
// (FaceImage::GetTexCoordTransform, FaceImage::GetTriangleTexCoords).

#include "core/VectorMath.h"

namespace corvia {

class FaceImage;

// Binds the image's texture for the triangles that follow and switches texturing on.
void BindImageTexture(const FaceImage* image);
// Switches texturing off again.
void UnbindImageTexture(const FaceImage* image);
// For the cylindrical and spherical projections, shifts the coordinates of the three
// corners (texture points) by whole units so that no edge of the triangle crosses the
// seam; other projections leave them as they are. coords: three pairs.
void FixTexCoordSeam(const Transform3D& transform, const double* const* points, float* coords, int projection);

}  // namespace corvia
