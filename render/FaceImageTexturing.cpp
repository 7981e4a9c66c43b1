// The pictures of images on faces: making an image from a file, asking again for its
// picture when its wraps change, binding its texture for the triangle drawers, and the
// image-mode overlay.

#include "render/FaceImageTexturing.h"

#include <cstring>
#include <vector>

#include "core/FaceImageRef.h"
#include "core/Messages.h"
#include "files/ModelFile.h"
#include "model/ElementFlags.h"
#include "model/ElementList.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "nets/Face3D.h"
#include "platform/Services.h"
#include "render/FaceImage.h"
#include "render/FaceImageMapping.h"
#include "render/GL.h"
#include "render/GLErrors.h"
#include "render/GLSection.h"
#include "render/OpenGLView.h"
#include "render/TextureImage.h"
#include "render/Textures.h"

namespace corvia {

namespace detail_FaceImageTexturing {

bool WrapsRound(int projection) {
  return projection == kImageProjectCylindrical || projection == kImageProjectSpherical ||
         projection == kImageProjectCubic;
}

// The wraps an image asks its picture for: across the image (S) the projections that
// go round an axis always repeat.
unsigned WrapS(int projection, uint32_t boundaryMode) {
  return WrapsRound(projection) ? kWrapRepeat : boundaryMode;
}

}  // namespace detail_FaceImageTexturing

void InstallFaceImageRenderer() {
  InstallFaceImageTextures(TextureImage::GetFaceImageTextures());
  SetModelFileImageMaker(&NewFaceImage);
}

FaceImage* NewFaceImage(const char* file, int projection, uint32_t boundaryMode, PolyElement* ownerFace,
                        void* ownerFacelet, const float* borderColor) {
  using namespace detail_FaceImageTexturing;
  // The owner is checked before the picture is asked for, so a refusal costs nothing.
  if (!file || (!ownerFace && !ownerFacelet)) return nullptr;
  if (!ownerFacelet && !ownerFace->mList) return nullptr;
  TextureImage* texture = TextureImage::New(file, WrapS(projection, boundaryMode), boundaryMode, borderColor, false);
  if (!texture) return nullptr;
  auto* image = new FaceImage(texture, projection, boundaryMode);
  image->mFileName = file;
  if (ownerFacelet) {
    image->mOwner = ownerFacelet;
    image->mFlags |= kFaceImageOwnerFacelet;
  } else {
    image->mOwner = ownerFace;
  }
  return image;
}

bool Reload(FaceImage* image, uint32_t boundaryMode, const float* borderColour) {
  using namespace detail_FaceImageTexturing;
  const uint32_t previousMode = image->mBoundaryMode;
  image->mBoundaryMode = boundaryMode;
  const unsigned wrapS = WrapS(image->mProjection, boundaryMode);
  const unsigned wrapT = boundaryMode;
  if (image->mTextureImage && image->mTextureImage->mWrapS == wrapS && image->mTextureImage->mWrapT == wrapT) {
    if (borderColour && std::memcmp(borderColour, image->mTextureImage->mRequestedBorder, 3 * sizeof(float)) != 0) {
      image->mTextureImage->SetRequestedBorder(borderColour);
    }
    platform::Services().views->RedrawAllViews(false);
    return true;
  }
  TextureImage* texture = TextureImage::New(image->mFileName.c_str(), wrapS, wrapT, borderColour, false);
  if (!texture) {
    // The image keeps its picture, and the mode that goes with it.
    image->mBoundaryMode = previousMode;
    ShowError("Couldn't reload image '%s'", image->mFileName.c_str());
    return false;
  }
  if (image->mTextureCount > 0) texture->CreateTexture();
  if (TextureImage* old = image->mTextureImage) {
    if (image->mTextureCount > 0) old->DeleteTexture();
    old->Release();
  }
  image->mTextureImage = texture;
  platform::Services().views->RedrawAllViews(false);
  return true;
}

void SetProjection(FaceImage* image, int projection) {
  if (projection == image->mProjection) return;
  image->mProjection = projection;
  image->mBaseScale = 1.0;
  // The border colour asked for goes with the image.
  const float* border = image->mTextureImage && image->mTextureImage->mRequestedBorder[0] >= 0.0f
                            ? image->mTextureImage->mRequestedBorder
                            : nullptr;
  Reload(image, image->mBoundaryMode, border);
}

FaceImage* PlaceImageOnFaces(Poly* poly, PolyElement* face, const char* file, int projection, uint32_t boundaryMode,
                             int scope, const float* borderColour) {
  if (!poly || !face || !file || !*file) return nullptr;
  FaceImage* image = NewFaceImage(file, projection, boundaryMode, face, nullptr, borderColour);
  if (!image) {
    ShowError("Couldn't load image '%s'", file);
    return nullptr;
  }
  poly->SetFaceImage(image, face, scope);
  if (image->GetUseCount() == 0) {
    // No face took it.
    delete image;
    return nullptr;
  }
  return image;
}

// ---- Drawing ---------------------------------------------------------------------------------

void BindImageTexture(const FaceImage* image, bool second) {
  if (!image || !image->mTextureImage) return;
  TextureImage* texture = image->mTextureImage;
  const unsigned name = texture->GetContextTexture(second);
  if (!name || !EnableTexture(name, true)) return;
  GLint clamp = static_cast<GLint>(GetFaceImageSettings().clampMode);
  if (!clamp) clamp = static_cast<GLint>(GetGLAbilities().textureWrapMode ? GetGLAbilities().textureWrapMode
                                                                          : GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, texture->mWrapS == kWrapRepeat ? GL_REPEAT : clamp);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, texture->mWrapT == kWrapRepeat ? GL_REPEAT : clamp);
  const bool requested = image->mBoundaryMode == kImageBoundaryBorder && texture->mRequestedBorder[0] >= 0.0f;
  const float* border = requested ? texture->mRequestedBorder : texture->mBorderInUse;
  if (border[0] >= 0.0f) glTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_BORDER_COLOR, border);
}

void UnbindImageTexture(const FaceImage*) {
  DisableTexture();
}

void DrawWholeImage(const FaceImage* image, OpenGLView* view, const PolyElement* selectedFace) {
  if (!view || !GetFaceImageSettings().showWholeImage) return;
  static const float kWhite[3] = {1.0f, 1.0f, 1.0f};
  const bool selectedUses = selectedFace && selectedFace->GetImage() == image;
  const PolyElement* frameFace = selectedUses ? selectedFace : image->GetOwnerFace();
  double frame[12];
  UpdateFrame(image, frame, frameFace);
  const double* x = frame;
  const double* y = frame + 3;
  const double* origin = frame + 9;
  const double scale = GetScale(image);
  // The corners of the image rectangle: lower left, lower right, upper right, upper left.
  double corners[4][3];
  const double sx[4] = {-0.5, 0.5, 0.5, -0.5};
  const double sy[4] = {-0.5, -0.5, 0.5, 0.5};
  for (int i = 0; i < 4; ++i) {
    for (int k = 0; k < 3; ++k) {
      corners[i][k] =
          origin[k] + x[k] * (image->mOffset[0] + sx[i]) * scale + y[k] * (image->mOffset[1] + sy[i]) * image->mSize;
    }
  }
  double area[4];
  GetImageArea(image, area);
  // With the image flipped its left edge shows u1: the area's u values come swapped.
  const double u[4] = {area[0], area[2], area[2], area[0]};
  const double v[4] = {area[1], area[1], area[3], area[3]};

  // 1, 2. The whole image, faint.
  const bool depthWrites = view->Materials().SetDepthWrites(false);
  const int transparency = view->Materials().SetTransparencyMode(kTransparencyBlended);
  view->Materials().SetMaterialColorAlphav(kWhite, 0.3f);
  BindImageTexture(image);
  glBegin(GL_QUADS);
  // Lit as the plane of the image, not by whatever normal was drawn last.
  glNormal3dv(frame + 6);
  for (int i = 0; i < 4; ++i) {
    glTexCoord2d(u[i], v[i]);
    glVertex3dv(corners[i]);
  }
  glEnd();
  UnbindImageTexture(image);

  const bool lighting = SetLighting(view, false);
  // 3. The axis of the projections that go round one.
  if (image->mProjection == kImageProjectCylindrical || image->mProjection == kImageProjectSpherical) {
    view->Materials().SetColor4(1.0f, 1.0f, 1.0f, 0.5f);
    glBegin(GL_LINES);
    glVertex3d(origin[0] - y[0] * image->mSize, origin[1] - y[1] * image->mSize, origin[2] - y[2] * image->mSize);
    glVertex3d(origin[0] + y[0] * image->mSize, origin[1] + y[1] * image->mSize, origin[2] + y[2] * image->mSize);
    glEnd();
  }
  // 4. Where the faces that use the image take it from: each corner's texture point,
  // placed on the rectangle.
  if (selectedUses && selectedFace->mList) {
    view->Materials().SetColor4(1.0f, 1.0f, 1.0f, 0.1f);
    const double du = area[2] - area[0];
    const double dv = area[3] - area[1];
    for (const PolyElement* e = selectedFace->mList->mHead; e; e = e->mNext) {
      if (e->GetImage() != image) continue;
      Transform3D transform;
      GetTexCoordTransform(image, transform, e);
      glBegin(GL_LINE_LOOP);
      float previous[2] = {0.0f, 0.0f};
      bool first = true;
      for (int i = 0; i < e->mNumSides; ++i) {
        const PolyElement* c = e->mNeighbours ? e->mNeighbours[i] : nullptr;
        if (!c || c->HasFlag(kElementInf)) continue;
        float uv[2];
        GetPointTexCoords(image, transform, c->mDualVert, uv, first ? nullptr : previous);
        first = false;
        previous[0] = uv[0];
        previous[1] = uv[1];
        const double fu = du != 0.0 ? (uv[0] - area[0]) / du : 0.5;
        const double fv = dv != 0.0 ? (uv[1] - area[1]) / dv : 0.5;
        double p[3];
        for (int k = 0; k < 3; ++k) {
          p[k] = corners[0][k] + fu * (corners[1][k] - corners[0][k]) + fv * (corners[3][k] - corners[0][k]);
        }
        glVertex3dv(p);
      }
      glEnd();
    }
  }
  // 5.
  SetLighting(view, lighting);
  view->Materials().SetTransparencyMode(transparency);
  view->Materials().SetDepthWrites(depthWrites);
  DisableTexture();
  CheckGLError("DrawWholeImage");
}

}  // namespace corvia
