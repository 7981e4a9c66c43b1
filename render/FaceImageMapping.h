#pragma once
// Where an image placed on faces lies, as the renderer works it out: its size from the
// picture's aspect ratio, its frame and rotation (which may follow the pane's up
// direction), and the texture coordinates of its projections.

#include "core/VectorMath.h"

namespace corvia {

class FaceImage;
class Poly;
class PolyElement;

// ---- Size ------------------------------------------------------------------------------
// The texture picture's width over its height (1.0 without a picture).
double GetAspectRatio(const FaceImage* image);
// Base scale times the aspect ratio: the image width for a height of 1.
double GetBaseScale(const FaceImage* image);
// The image width in model units (GetBaseScale times the size), and the size that
// makes it the given width.
double GetScale(const FaceImage* image);
void SetScale(FaceImage* image, double width);

// ---- Frame and rotation ----------------------------------------------------------------
// Stores the angle (radians) as the rotation and, snapped to the owner's edges or to
// quarter turns when the snap option is on, as the rotation in use.
void SetRotation(FaceImage* image, double angle);
// SetRotation of the rotation plus delta; turned the other way on a face whose type
// is the mirror image of an earlier type.
void Rotate(FaceImage* image, double delta);
// The frame the image is placed in (X, Y, Z, origin; twelve doubles), turned by the
// rotation in use: the stored mapping frame, or for projection 0 the face's own.
void UpdateFrame(const FaceImage* image, double* frame, const PolyElement* face);
// The extents (min x, min y, max x, max y) of points in the image frame of the face.
void GetExtentsInFrame(const FaceImage* image, const double* points, int count, const PolyElement* face,
                       double* extents);
// Size and offset that place the image round the extents (base scale back to 1.0);
// extents of no size leave them as they are. False then.
bool FitToExtents(FaceImage* image, const double* extents);
// The part of texture space that holds the image (u0, v0, u1, v1); u0 and u1 swapped
// when the image is flipped.
void GetImageArea(const FaceImage* image, double* area);
// "Project Towards Selected Item" (alignHeight false) and "Align Height of Image to
// Selected Item" (true): the mapping frame turned towards the model's selected vertex,
// edge or face. False when nothing is selected or it lies at the centre.
bool OrientTowardsSelection(FaceImage* image, Poly* poly, bool alignHeight);

// ---- Texture coordinates ---------------------------------------------------------------
// The map from model points to texture coordinates on the face (the face's own frame
// for projection 0). For the cylindrical, spherical and cubic projections it is the
// map into the image frame, from which GetPointTexCoords works out the angles.
void GetTexCoordTransform(const FaceImage* image, Transform3D& out, const PolyElement* face);
// The coordinates (two floats) of one point; for the projections that wrap round,
// u is moved by whole units to within 0.5 of the reference's u (a pair, may be null).
void GetPointTexCoords(const FaceImage* image, const Transform3D& transform, const double* point, float* out,
                       const float* reference);
// The coordinates of a triangle's three corners (six floats): the first corner's u
// near previousU (may be null), the others near the first's; then FixTexCoordSeam.
void GetTriangleTexCoords(const FaceImage* image, const Transform3D& transform, const double* const* points, float* out,
                          const float* previousU);

}  // namespace corvia
