#include "core/FaceImageRef.h"

#include <cstring>

#include "core/Messages.h"

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

PolyElement* FaceImage::GetOwnerFace() const {
  if (mFlags & kFaceImageOwnerFacelet) return nullptr;
  return static_cast<PolyElement*>(mOwner);
}

Face3D* FaceImage::GetOwnerFacelet() const {
  if (!(mFlags & kFaceImageOwnerFacelet)) return nullptr;
  return static_cast<Face3D*>(mOwner);
}

FaceImage* GetFaceImageList() { return static_cast<FaceImage*>(detail_FaceImageRef::gHead); }

bool HasFaceImages() { return detail_FaceImageRef::gHead != nullptr; }

void ClearFaceImageMarks() {
  for (ListNode* node = detail_FaceImageRef::gHead; node; node = node->mNext) {
    static_cast<FaceImage*>(node)->mFlags &= ~kFaceImageCounted;
  }
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

}  // namespace corvia
