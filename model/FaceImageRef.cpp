#include "model/FaceImageRef.h"

#include <cstring>

#include "core/Messages.h"
#include "model/ElementList.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "nets/Face3D.h"

namespace corvia {

namespace detail_FaceImageRef {
ListNode* gHead = nullptr;
ListNode* gTail = nullptr;
FaceImageTextures* gTextures = nullptr;

// A picture exists only when a renderer made it, so a missing renderer here is a fault.
FaceImageTextures* Textures(const char* what) {
  if (!gTextures) ShowInternalError("%s: no texture service installed", what);
  return gTextures;
}
}  // namespace detail_FaceImageRef

FaceImageTextures::~FaceImageTextures() = default;

FaceImageTextures* InstallFaceImageTextures(FaceImageTextures* textures) {
  FaceImageTextures* previous = detail_FaceImageRef::gTextures;
  detail_FaceImageRef::gTextures = textures;
  return previous;
}

FaceImage::FaceImage(TextureImage* texture, int projection, uint32_t boundaryMode)
    : mTextureImage(texture), mProjection(projection), mBoundaryMode(boundaryMode) {
  ListNode::Append(this, detail_FaceImageRef::gHead, detail_FaceImageRef::gTail);
}

FaceImage::~FaceImage() {
  ListNode::Unlink(this, detail_FaceImageRef::gHead, detail_FaceImageRef::gTail);
  // Another image's copy link must not point at a deleted image.
  for (ListNode* node = detail_FaceImageRef::gHead; node; node = node->mNext) {
    FaceImage* other = static_cast<FaceImage*>(node);
    if (other->mCopy == this) other->mCopy = nullptr;
  }
  if (mTextureImage) {
    if (FaceImageTextures* textures = detail_FaceImageRef::Textures("FaceImage::~FaceImage")) {
      if (mTextureCount > 0) textures->DeleteTexture(mTextureImage);
      textures->ReleaseTextureImage(mTextureImage);
    }
  }
  mTextureCount = 0;
  mTextureImage = nullptr;
}

void FaceImage::Release(FaceImage* image) {
  if (image && image->RemoveUse()) delete image;
}

bool FaceImage::RemoveUse() {
  if (mUseCount > 0) --mUseCount;
  return mUseCount == 0;
}

void FaceImage::AddTextureRef() {
  if (mTextureCount++ == 0 && mTextureImage) {
    if (FaceImageTextures* textures = detail_FaceImageRef::Textures("FaceImage::AddTextureRef")) {
      textures->CreateTexture(mTextureImage);
    }
  }
}

void FaceImage::ReleaseTexture() {
  if (mTextureCount <= 0) return;
  if (--mTextureCount == 0 && mTextureImage) {
    if (FaceImageTextures* textures = detail_FaceImageRef::Textures("FaceImage::ReleaseTexture")) {
      textures->DeleteTexture(mTextureImage);
    }
  }
}

bool FaceImage::HasAlpha() const {
  if (!mTextureImage) return false;
  FaceImageTextures* textures = detail_FaceImageRef::Textures("FaceImage::HasAlpha");
  return textures && textures->HasAlphaChannel(mTextureImage);
}

void FaceImage::AttachToFace(PolyElement* face, bool recordOwner) {
  if (!face) return;
  // Gain first: when the face already carries this image, its last use must not go.
  AddUse();
  AddTextureRef();
  DetachFromFace(face);
  face->mImage = this;
  if (recordOwner) {
    mOwner = face;
    mFlags &= ~kFaceImageOwnerFacelet;
  }
}

void FaceImage::DetachFromFace(PolyElement* face) {
  if (!face || !face->mImage) return;
  FaceImage* previous = face->mImage;
  face->mImage = nullptr;
  if (previous->mOwner == face && !(previous->mFlags & kFaceImageOwnerFacelet)) previous->mOwner = nullptr;
  previous->ReleaseTexture();
  Release(previous);
}

PolyElement* FaceImage::GetOwnerFace() const {
  if (mFlags & kFaceImageOwnerFacelet) return nullptr;
  return static_cast<PolyElement*>(mOwner);
}

Face3D* FaceImage::GetOwnerFacelet() const {
  if (!(mFlags & kFaceImageOwnerFacelet)) return nullptr;
  return static_cast<Face3D*>(mOwner);
}

void FaceImage::AttachToFacelet(Face3D* facelet, bool recordOwner) {
  if (!facelet) return;
  AddUse();
  DetachFromFacelet(facelet);
  facelet->mImage = this;
  if (recordOwner) {
    mOwner = facelet;
    mFlags |= kFaceImageOwnerFacelet;
  }
}

void FaceImage::DetachFromFacelet(Face3D* facelet) {
  if (!facelet || !facelet->mImage) return;
  FaceImage* previous = facelet->mImage;
  facelet->mImage = nullptr;
  // The facelet may go before the image: the image must not keep pointing at it.
  if (previous->mOwner == facelet && (previous->mFlags & kFaceImageOwnerFacelet)) {
    previous->mOwner = nullptr;
    previous->mFlags &= ~kFaceImageOwnerFacelet;
  }
  Release(previous);
}

FaceImage* GetFaceImageList() { return static_cast<FaceImage*>(detail_FaceImageRef::gHead); }

bool HasFaceImages() { return detail_FaceImageRef::gHead != nullptr; }

void ClearFaceImageMarks() {
  for (ListNode* node = detail_FaceImageRef::gHead; node; node = node->mNext) {
    static_cast<FaceImage*>(node)->mFlags &= ~kFaceImageCounted;
  }
}

int CountFaceImagesOfFaces(const ElementList* faces) {
  int count = 0;
  if (!faces) return 0;
  for (const PolyElement* e = faces->mHead; e; e = e->mNext) {
    if (e->mImage && !(e->mImage->mFlags & kFaceImageCounted)) {
      e->mImage->mFlags |= kFaceImageCounted;
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

void ClearFaceImageCopies() {
  for (ListNode* node = detail_FaceImageRef::gHead; node; node = node->mNext) {
    static_cast<FaceImage*>(node)->mCopy = nullptr;
  }
}

void CopyFaceImagePlacement(FaceImage* to, const FaceImage* from) {
  to->mFlags = (to->mFlags & kFaceImageOwnerFacelet) | (from->mFlags & ~kFaceImageOwnerFacelet);
  std::memcpy(to->mOffset, from->mOffset, sizeof to->mOffset);
  to->mRotation = from->mRotation;
  to->mRotationInUse = from->mRotationInUse;
  std::memcpy(to->mFrame, from->mFrame, sizeof to->mFrame);
  std::memcpy(to->mRotationFrame, from->mRotationFrame, sizeof to->mRotationFrame);
  to->mSize = from->mSize;
  to->mBaseScale = from->mBaseScale;
  to->mFileName = from->mFileName;
}

FaceImage* CopyFaceImage(FaceImage* source) {
  if (!source) return nullptr;
  if (!source->mCopy) {
    TextureImage* texture = nullptr;
    if (source->mTextureImage) {
      if (FaceImageTextures* textures = detail_FaceImageRef::Textures("CopyFaceImage")) {
        texture = textures->CopyTextureImage(source->mTextureImage);
      }
      if (!texture) return nullptr;
    }
    FaceImage* copy = new FaceImage(texture, source->mProjection, source->mBoundaryMode);
    CopyFaceImagePlacement(copy, source);
    copy->mOwner = source->mFlags & kFaceImageOwnerFacelet ? nullptr : source->mOwner;
    source->mCopy = copy;
  }
  source->mCopy->AddUse();
  return source->mCopy;
}

void CopyFaceImage(PolyElement* target, FaceImage* source) {
  if (!target) return;
  if (!source) {
    FaceImage::DetachFromFace(target);
    return;
  }
  FaceImage* copy = CopyFaceImage(source);
  if (!copy) return;
  copy->AttachToFace(target, false);
  // AttachToFace counted its own use; the one CopyFaceImage handed out is not needed.
  copy->RemoveUse();
}

void CopyFaceImage(Face3D* target, FaceImage* source) {
  if (!target) return;
  if (!source) {
    FaceImage::DetachFromFacelet(target);
    return;
  }
  FaceImage* copy = CopyFaceImage(source);
  if (!copy) return;
  copy->AttachToFacelet(target, false);
  copy->RemoveUse();
}

}  // namespace corvia
