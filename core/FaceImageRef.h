#pragma once
// A picture placed on faces of a model, as data: its projection, boundary mode,
// placement and the counts of the faces and textures that use it. Elements share an
// image by reference; the last use deletes it. Every image is in one global list.
// The texture picture behind an image (a TextureImage) belongs to the renderer, which
// reaches it through FaceImageTextures; without a renderer images carry none.

#include <cstdint>
#include <string>

#include "core/ListNode.h"

namespace corvia {

class Face3D;
class Poly;
class PolyElement;
class TextureImage;

// FaceImage::mFlags.
constexpr uint32_t kFaceImageTint = 0x1;           // the face's colour tints the image (else drawn white)
constexpr uint32_t kFaceImageFlip = 0x2;           // flip horizontally
constexpr uint32_t kFaceImageOwnerFacelet = 0x4;   // the owner is a facelet, not a face
constexpr uint32_t kFaceImageCounted = 0x8;        // scratch mark of the counting operations
constexpr uint32_t kFaceImageKeepUpright = 0x10;

// Projections.
constexpr int kImageProjectPerFace = 0;
constexpr int kImageProjectPlanar = 1;
constexpr int kImageProjectCylindrical = 2;
constexpr int kImageProjectSpherical = 3;
constexpr int kImageProjectCubic = 4;

// Boundary modes (the GL wrap values).
constexpr uint32_t kImageBoundaryBorder = 0x812D;  // clamp to border, the default
constexpr uint32_t kImageBoundaryClamp = 0x2900;
constexpr uint32_t kImageBoundaryRepeat = 0x2901;

// What the renderer does for the texture picture of an image.
class FaceImageTextures {
 public:
  virtual ~FaceImageTextures();
  // A new texture picture for the same file, wraps and border colour; null on failure.
  virtual TextureImage* CopyTextureImage(const TextureImage* source) = 0;
  virtual void ReleaseTextureImage(TextureImage* image) = 0;
  virtual void CreateTexture(TextureImage* image) = 0;
  virtual void DeleteTexture(TextureImage* image) = 0;
  virtual bool HasAlphaChannel(const TextureImage* image) const = 0;
};
// Installs the renderer's side (null: none); returns the previous one.
FaceImageTextures* InstallFaceImageTextures(FaceImageTextures* textures);

class FaceImage : public ListNode {
 public:
  // Appended to the global image list, with no use yet. The image takes over the
  // texture picture's reference (null: none).
  FaceImage(TextureImage* texture, int projection, uint32_t boundaryMode);
  // Unlinks the image, drops its texture references and releases the picture.
  ~FaceImage() override;

  // Drops one use; at the last use the image is deleted. Null is ignored.
  static void Release(FaceImage* image);
  void AddUse() { ++mUseCount; }
  // True when that was the last use.
  bool RemoveUse();
  int GetUseCount() const { return mUseCount; }

  // Texture references: the first creates the texture, the last deletes it.
  void AddTextureRef();
  void ReleaseTexture();
  bool HasTexture() const { return mTextureCount > 0; }
  // Whether the picture has an alpha channel; an image without a picture has none.
  bool HasAlpha() const;

  // The faces and facelets that carry the image hold it through AttachToFace
  // (model/FaceImageAttach.h) and AttachToFacelet (nets/Face3D.h).

  // The owner face (null when the owner is a facelet or unset), and the owner facelet.
  PolyElement* GetOwnerFace() const;
  Face3D* GetOwnerFacelet() const;

  TextureImage* mTextureImage = nullptr;
  void* mOwner = nullptr;  // a PolyElement, or a facelet with kFaceImageOwnerFacelet
  uint32_t mFlags = 0;
  int32_t mProjection = kImageProjectPerFace;
  uint32_t mBoundaryMode = kImageBoundaryBorder;
  double mOffset[2] = {0.0, 0.0};
  double mRotation = 0.0;
  double mRotationInUse = 0.0;
  double mFrame[12] = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};          // X, Y, Z, origin
  double mRotationFrame[12] = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};  // X, Y, Z, origin
  double mSize = 2.0;
  double mBaseScale = 1.0;
  // The picture's file. Model files name images by it, so it is kept also for an
  // image whose picture could not be made (no renderer, or a file gone missing).
  std::string mFileName;
  FaceImage* mCopy = nullptr;  // the copy made for the model being copied
  int32_t mUseCount = 0;
  int32_t mTextureCount = 0;
};

// The head of the global image list, and whether it holds any image.
FaceImage* GetFaceImageList();
bool HasFaceImages();

// Clears the counted mark of every image (CountFaceImagesOfFaces counts the images
// without it, model/FaceImageAttach.h).
void ClearFaceImageMarks();

// Model copies: before a copy every copy link is cleared; then each source image gets
// one copy, made on first need (same texture file and settings, flags other than the
// facelet-owner bit, placement, frames and scale). This form hands out the copy with
// one use added for the caller, null for a null source; the forms that attach it to a
// face or a facelet are with AttachToFace and AttachToFacelet.
void ClearFaceImageCopies();
FaceImage* CopyFaceImage(FaceImage* source);

// Gives an image another's placement: its flags but the facelet-owner bit, offset,
// rotations, both frames, size, base scale and file name.
void CopyFaceImagePlacement(FaceImage* to, const FaceImage* from);

}  // namespace corvia
