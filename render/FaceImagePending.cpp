// The images placed on faces: their texture coordinates, textures and loading. Until
// images on faces land, each of these reports that it is missing.

#include "core/Messages.h"
#include "model/FaceImageRef.h"
#include "render/FaceImageTexturing.h"

namespace corvia {

void FaceImage::GetTexCoordTransform(Transform3D&, const PolyElement*) const {
  ShowInternalError("FaceImage::GetTexCoordTransform: Not available in this build");
}

void FaceImage::GetTriangleTexCoords(const Transform3D&, const double*, float*, const float*) const {
  ShowInternalError("FaceImage::GetTriangleTexCoords: Not available in this build");
}

FaceImage* NewFaceImage(const char*, int, uint32_t, PolyElement*, void*, const float*) {
  ShowInternalError("NewFaceImage: Not available in this build");
  return nullptr;
}

void BindImageTexture(const FaceImage*) {
  ShowInternalError("BindImageTexture: Not available in this build");
}
void UnbindImageTexture(const FaceImage*) {
  ShowInternalError("UnbindImageTexture: Not available in this build");
}
void FixTexCoordSeam(const Transform3D&, const double* const*, float*, int) {
  ShowInternalError("FixTexCoordSeam: Not available in this build");
}

}  // namespace corvia
