#pragma once
// Texturing of triangles with the images placed on faces, as the triangle drawers
// need it: binding an image's texture and repairing the coordinates of the
// cylindrical and spherical projections where a triangle touches their axis; the
// image commands that ask for the picture again, and the image-mode overlay. The
// coordinates themselves come from render/FaceImageMapping.h (GetTexCoordTransform,
// GetTriangleTexCoords).

#include <cstdint>

#include "core/VectorMath.h"

namespace corvia {

class FaceImage;
class OpenGLView;
class PolyElement;

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

// ---- Image commands --------------------------------------------------------------------
// Takes the boundary mode (and the border colour, RGB, when given): the picture is
// asked for again when its wraps change. False, after "Couldn't reload image '%s'",
// when it cannot be had; the image keeps its picture then.
bool Reload(FaceImage* image, uint32_t boundaryMode, const float* borderColour);
// A new projection (base scale back to 1.0, picture asked for again for its wraps).
void SetProjection(FaceImage* image, int projection);

// ---- Drawing ---------------------------------------------------------------------------
// The image-mode overlay: the whole image as a faint quad in its frame, the axis of
// the cylindrical and spherical projections, and, when the selected face uses the
// image, the outlines of its faces on the image.
void DrawWholeImage(const FaceImage* image, OpenGLView* view, const PolyElement* selectedFace);

}  // namespace corvia
