// Services that other parts of the system provide to the elements: face types, placed
// images and the template a uniform model was built from.

#include "model/ElementServices.h"

#include "core/FaceImageRef.h"
#include "model/FaceDiagramCells.h"
#include "model/FaceType.h"
#include "model/PolyElement.h"
#include "model/PolyTemplate.h"

namespace corvia {

int FaceTypeNumFaces(const FaceType* type) { return type ? type->mCount : 0; }

int FaceTypeRotationCount(const FaceType* type) { return type ? type->mNumRotations : 1; }

// The partner of a mirror pair, or the type itself when its improper image lies in it
// (only the first type of a pair keeps the mirror face, so the partner decides first).
const FaceType* FaceTypeMirrorType(const FaceType* type) {
  if (!type) return nullptr;
  if (type->mMirrorPartner) return type->mMirrorPartner;
  return type->mMirrorFace ? type->mMirrorFace->mType : nullptr;
}

bool FaceImageHasAlpha(const FaceImage* image) { return image && image->HasAlpha(); }

uint32_t TemplatePolygonIdFlags(const TemplatePolygon* record) { return record ? record->mId : 0; }

int TemplatePolygonDensity(const TemplatePolygon* record) { return record ? record->mWraps : 1; }

void TemplatePolygonColour(const TemplatePolygon* record, float* rgb) {
  for (int c = 0; c < 3; ++c) rgb[c] = record ? record->mColor[c] : 0.0f;
}

double TemplatePolygonRadius(const TemplatePolygon* record) { return record ? record->mFaceRadius : 0.0; }

// Reciprocation in the mid-sphere: the polar plane of a vertex at distance R lies at
// m^2 / R, which the template keeps for its circumradius.
double TemplateDualFaceDistance(const PolyTemplate* poly) { return poly ? poly->mMidRadiusSqOverRadius : 0.0; }

// The template's flag byte after its central-face byte (mHasHemi) must be clear too.
bool TemplateIsDensityOne(const PolyTemplate* poly) { return poly && poly->mWraps == 1 && !poly->mSpare; }

void CellColorArrayDeleter::operator()(CellColorArray* colours) const { delete colours; }

ElementDisplayOptions& GetElementDisplayOptions() {
  static ElementDisplayOptions options;
  return options;
}

namespace detail_ElementServices {
FacetPreviewQuery gFacetPreviewQuery = nullptr;
}  // namespace detail_ElementServices

FacetPreviewQuery SetFacetPreviewQuery(FacetPreviewQuery query) {
  FacetPreviewQuery previous = detail_ElementServices::gFacetPreviewQuery;
  detail_ElementServices::gFacetPreviewQuery = query;
  return previous;
}

FacetPreviewPoint GetFacetPreviewPoint(const PolyElement* element) {
  if (!element || !detail_ElementServices::gFacetPreviewQuery) return FacetPreviewPoint::kNoPreview;
  return detail_ElementServices::gFacetPreviewQuery(element);
}

}  // namespace corvia
