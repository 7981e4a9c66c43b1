#include "model/FaceImageAttach.h"

#include "model/ElementList.h"
#include "model/Poly.h"
#include "model/PolyElement.h"

namespace corvia {

void AttachToFace(FaceImage* image, PolyElement* face, bool recordOwner) {
  if (!image || !face) return;
  // Gain first: when the face already carries this image, its last use must not go.
  image->AddUse();
  image->AddTextureRef();
  DetachFromFace(face);
  face->SetImage(image);
  if (recordOwner) {
    image->mOwner = face;
    image->mFlags &= ~kFaceImageOwnerFacelet;
  }
}

void DetachFromFace(PolyElement* face) {
  if (!face || !face->GetImage()) return;
  FaceImage* previous = face->GetImage();
  face->SetImage(nullptr);
  if (previous->mOwner == face && !(previous->mFlags & kFaceImageOwnerFacelet)) previous->mOwner = nullptr;
  previous->ReleaseTexture();
  FaceImage::Release(previous);
}

int CountFaceImagesOfFaces(const ElementList* faces) {
  int count = 0;
  if (!faces) return 0;
  for (const PolyElement* e = faces->mHead; e; e = e->mNext) {
    if (e->GetImage() && !(e->GetImage()->mFlags & kFaceImageCounted)) {
      e->GetImage()->mFlags |= kFaceImageCounted;
      ++count;
    }
  }
  return count;
}

int CountFaceImagesOfPoly(const Poly* poly) {
  ClearFaceImageMarks();
  if (!poly) return 0;
  return CountFaceImagesOfFaces(&poly->mFaces) + CountFaceImagesOfFaces(&poly->mVertices);
}

void CopyFaceImage(PolyElement* target, FaceImage* source) {
  if (!target) return;
  if (!source) {
    DetachFromFace(target);
    return;
  }
  FaceImage* copy = CopyFaceImage(source);
  if (!copy) return;
  AttachToFace(copy, target, false);
  // AttachToFace counted its own use; the one CopyFaceImage handed out is not needed.
  copy->RemoveUse();
}

}  // namespace corvia
