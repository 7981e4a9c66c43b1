#pragma once
// Images placed on faces, as the renderer and the Image menu see them: the options,
// the renderer's side of FaceImage (its pictures are TextureImages), a new image with
// its picture, placing an image on faces, and the fit commands. FaceImage itself is
// declared in core/FaceImageRef.h; its placement arithmetic is
// render/FaceImageMapping.h, its textures and drawing render/FaceImageTexturing.h.

#include <cstdint>
#include <vector>

namespace corvia {

class FaceImage;
class Poly;
class PolyElement;

// The options of images on faces.
struct FaceImageSettings {
  // "When Rotating, Snap Image to Edges".
  bool snapToEdges = true;
  // "Show Whole Image in Image Mode".
  bool showWholeImage = true;
  // The wrap of texture directions that do not repeat; 0 for the implementation's
  // clamp to the edge.
  unsigned clampMode = 0;
};
FaceImageSettings& GetFaceImageSettings();

// Gives FaceImage its pictures and the model file its image maker (NewFaceImage). The
// first OpenGLView does it; doing it again changes nothing.
void InstallFaceImageRenderer();

// A new image of the file (projection, boundary mode, owner face or facelet, border
// colour: RGB or null) with its picture loaded; null without an owner, for an owner
// face in no list, or when the picture cannot be had.
FaceImage* NewFaceImage(const char* file, int projection, uint32_t boundaryMode, PolyElement* ownerFace,
                        void* ownerFacelet, const float* borderColor);

// Places the image file on the face and, by scope (0 the face, 1 its type, 2 its
// colour, 3 the faces with its image, 4 the faces without one, others all faces), on
// other faces of its list. Reports "Couldn't load image '%s'" when the file cannot be
// read; null then, or when no face took the image.
FaceImage* PlaceImageOnFaces(Poly* poly, PolyElement* face, const char* file, int projection, uint32_t boundaryMode,
                             int scope, const float* borderColour);

// The fit commands ("Fit Image Around..."), on the image of the model's selected (or
// current) face: each sets the image's size and offset round what it measures (the
// base scale back to 1.0) and redraws every view. False when there is no such image or
// nothing to measure.
// The corners of the face (of the facelets made from it, when the model shows a
// stellation).
bool FitImageAroundSelectedFace(Poly* poly);
// The face's bounding circle about its centre.
bool FitImageAroundFaceCircle(Poly* poly);
// The corners of every face that shows the image, each in its own frame for the
// projection onto each face.
bool FitImageAroundFacesWithSameImage(Poly* poly);
// Every vertex of the model (of the stellation it shows).
bool FitImageAroundModel(Poly* poly);
// The model's bounding sphere about its centre.
bool FitImageAroundModelSphere(Poly* poly);
// The largest image of its shape inside the face.
bool FitImageWithinFace(Poly* poly);

// The largest rectangle of the given width over height (aspect) inside the convex
// region left of every edge of the polygon (x, y pairs; either winding): centre x,
// centre y and height. False when the region is empty.
bool LargestRectangleInPolygon(const std::vector<double>& polygon, double aspect, double* result);

}  // namespace corvia
