// Services that other parts of the system provide to the elements. Until the owning
// subsystem is linked in, each one shows an internal error that names it and answers
// with an empty value, so that a missing service is never mistaken for a result.

#include "model/ElementServices.h"

#include "core/Messages.h"
#include "model/PolyElement.h"
#include "stellation/FaceDiagramCells.h"
#include "stellation/FaceType.h"

namespace corvia {

namespace detail_ElementServices {
void Missing(const char* name) {
  ShowInternalError("%s: Not available in this build", name);
}
}  // namespace detail_ElementServices

int FaceTypeNumFaces(const FaceType* type) { return type ? type->mCount : 0; }

int FaceTypeRotationCount(const FaceType* type) { return type ? type->mNumRotations : 1; }

// The partner of a mirror pair, or the type itself when its improper image lies in it
// (only the first type of a pair keeps the mirror face, so the partner decides first).
const FaceType* FaceTypeMirrorType(const FaceType* type) {
  if (!type) return nullptr;
  if (type->mMirrorPartner) return type->mMirrorPartner;
  return type->mMirrorFace ? type->mMirrorFace->mType : nullptr;
}

void ReleaseFaceImage(FaceImage*) {
  detail_ElementServices::Missing("FaceImage::Release");
}

bool FaceImageHasAlpha(const FaceImage*) {
  detail_ElementServices::Missing("FaceImage alpha channel");
  return false;
}

uint32_t TemplatePolygonIdFlags(const TemplatePolygon*) {
  detail_ElementServices::Missing("TemplatePolygon::mId");
  return 0;
}

int TemplatePolygonDensity(const TemplatePolygon*) {
  detail_ElementServices::Missing("TemplatePolygon::mWraps");
  return 1;
}

void TemplatePolygonColour(const TemplatePolygon*, float* rgb) {
  detail_ElementServices::Missing("TemplatePolygon::mColor");
  rgb[0] = rgb[1] = rgb[2] = 0.0f;
}

double TemplatePolygonRadius(const TemplatePolygon*) {
  detail_ElementServices::Missing("TemplatePolygon::mFaceRadius");
  return 0.0;
}

double TemplateDualFaceDistance(const PolyTemplate*) {
  detail_ElementServices::Missing("PolyTemplate dual-face distance");
  return 0.0;
}

bool TemplateIsDensityOne(const PolyTemplate*) {
  detail_ElementServices::Missing("PolyTemplate wrap count");
  return false;
}

void CellColorArrayDeleter::operator()(CellColorArray* colours) const { delete colours; }

ElementDisplayOptions& GetElementDisplayOptions() {
  static ElementDisplayOptions options;
  return options;
}

}  // namespace corvia
