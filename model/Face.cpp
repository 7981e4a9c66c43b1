#include "model/Face.h"

#include <cmath>

#include "core/RainbowColor.h"
#include "model/ElementFlags.h"
#include "model/ElementList.h"
#include "model/PolyFwd.h"

namespace corvia {

Face::Face(Poly* poly, const TemplatePolygon* record, int numSides) : PolyElement(poly, numSides), mRecord(record) {
  if (record) {
    mDensity = TemplatePolygonDensity(record);
    mIdFlags = TemplatePolygonIdFlags(record);
    TemplatePolygonColour(record, mColor);
  } else {
    RainbowColor(0, mColor);
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
