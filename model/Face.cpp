#include "model/Face.h"

#include <cmath>

#include "model/ElementFlags.h"
#include "model/ElementList.h"
#include "model/PolyFwd.h"

namespace corvia {

namespace detail_Face {
// A face without a description record takes the first colour of the colour wheel
// (index 0): 0x0000FF packed as 0x00BBGGRR, pure red.
constexpr float kNewFaceColour[3] = {1.0f, 0.0f, 0.0f};
}  // namespace detail_Face

Face::Face(Poly* poly, const TemplatePolygon* record, int numSides) : PolyElement(poly, numSides), mRecord(record) {
  if (record) {
    mDensity = TemplatePolygonDensity(record);
    mIdFlags = TemplatePolygonIdFlags(record);
    TemplatePolygonColour(record, mColor);
  } else {
    CopyFloat3(mColor, detail_Face::kNewFaceColour);
  }
  if (poly) {
    ElementList* faces = PolyFaceList(poly);
    if (faces) {
      const bool first = faces->mCount == 0;
      faces->Append(this);
      if (first) PolySetBlockCurrent(poly, false, this);
    }
  }
}

Face::~Face() = default;

double Face::GetRadius() const {
  if (mRecord) return TemplatePolygonRadius(mRecord);
  double largestSquared = 0.0;
  for (int i = 0; i < mNumSides; ++i) {
    if (!mNeighbours[i]) continue;
    double d[3];
    Subtract(d, mNeighbours[i]->mDualVert, mCentre);
    const double squared = Dot(d, d);
    if (squared > largestSquared) largestSquared = squared;
  }
  return std::sqrt(largestSquared);
}

bool Face::IsDensityOne() const {
  return mRecord && TemplatePolygonDensity(mRecord) == 1;
}

}  // namespace corvia
