#pragma once
// The faces of a model that carry a face image: attaching and detaching (which keep
// the image's use and texture counts), counting the distinct images of a model, and
// copying an image onto a face of a model copy.

#include "core/FaceImageRef.h"

namespace corvia {

class ElementList;
class Poly;
class PolyElement;

// The face switches to the image: the image it had drops a texture reference and a
// use; this one gains both. With recordOwner the face becomes the owner. A null image
// or face does nothing.
void AttachToFace(FaceImage* image, PolyElement* face, bool recordOwner);
// The face gives up its image (if any), as AttachToFace does for the old one.
void DetachFromFace(PolyElement* face);

// The number of distinct images that the faces of the list, or of every face list of
// the model, carry (the counted mark, cleared first for the model, is left on those
// counted).
int CountFaceImagesOfFaces(const ElementList* faces);
int CountFaceImagesOfPoly(const Poly* poly);

// The source's copy for the model being copied (CopyFaceImage of core/FaceImageRef.h)
// attached to the target face; a null source leaves the target without an image.
void CopyFaceImage(PolyElement* target, FaceImage* source);

}  // namespace corvia
