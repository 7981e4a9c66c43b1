#pragma once
// Texturing of triangles with the images placed on faces, as the triangle drawers
// need it: binding an image's texture and repairing the coordinates of the
// cylindrical and spherical projections where a triangle touches their axis. The
// coordinates themselves come from the image (FaceImage::GetTexCoordTransform,
// FaceImage::GetTriangleTexCoords).

#include "core/VectorMath.h"

namespace corvia {

class FaceImage;

// Binds the image's texture (or, with second, its alpha texture) for the triangles
// that follow and switches texturing on; nothing when the image has no picture or it
// cannot be read.
void BindImageTexture(const FaceImage* image, bool second = false);
// Switches texturing off again.
void UnbindImageTexture(const FaceImage* image);
// For the projections that wrap round an axis (cylindrical, spherical, cubic), the
// corners of a triangle that lie on the axis, where the turn round it has no value:
// one such corner takes the mean u of the other two (brought within half a turn of
// each other); two take the third's. The map is the image's GetTexCoordTransform;
// coords: three pairs. Other projections are left as they are.
void FixTexCoordSeam(const Transform3D& transform, const double* const* points, float* coords, int projection);

}  // namespace corvia
