#include "model/Vertex.h"

#include <cmath>

#include "core/RainbowColor.h"
#include "core/Tolerances.h"
#include "model/ElementFlags.h"
#include "model/ElementList.h"
#include "model/PolyFwd.h"

namespace corvia {

Vertex::Vertex(Poly* poly, double* position, int numFaces)
    : PolyElement(poly, numFaces), mFaceSense(new uint8_t[numFaces > 0 ? numFaces : 1]()) {
  SnapNearZero(position, kPointTolerance);
  CopyVector(mDualVert, position);
  const double length = std::sqrt(Dot(position, position));
  const bool atOrigin = std::fabs(position[0]) <= kPointTolerance && std::fabs(position[1]) <= kPointTolerance &&
                        std::fabs(position[2]) <= kPointTolerance;
  if (atOrigin) {
    CopyVector(mZAxis, position);
  } else {
    Divide(mZAxis, position, length);
  }
  SnapNearZero(mZAxis, kPointTolerance);
  // The dual face lies in the polar plane of the vertex: at the template's dual-face
  // distance, or at 1 / |position| for reciprocation in the unit sphere. A vertex at
  // the centre has its dual face at infinity.
  PolyTemplate* polyTemplate = poly ? PolyTemplateOf(poly) : nullptr;
  if (polyTemplate) {
    Scale(mCentre, mZAxis, TemplateDualFaceDistance(polyTemplate));
  } else if (length > kPointTolerance) {
    Divide(mCentre, mZAxis, length);
  } else {
    CopyVector(mCentre, mZAxis);
    mFlags |= kElementInf;
  }
  SnapNearZero(mCentre, kPointTolerance);
  // The last colour of the wheel (index -1 wraps to its end).
  RainbowColor(-1, mColor);
  if (poly) {
    ElementList* vertices = PolyVertexList(poly);
    if (vertices) {
      const bool first = vertices->mCount == 0;
      vertices->Append(this);
      if (first) PolySetBlockCurrent(poly, true, this);
    }
  }
}

Vertex::~Vertex() = default;

double Vertex::GetRadius() const {
  Transform3D worldToFace;
  GetWorldToFace(worldToFace, false);
  double largest = 0.0;
  for (int i = 0; i < mNumSides; ++i) {
    double points[10];
    const int count = GetPolygon2D(i, worldToFace, points);
    for (int k = 0; k < count; ++k) {
      const double distance = std::hypot(points[2 * k], points[2 * k + 1]);
      if (distance > largest) largest = distance;
    }
  }
  return largest;
}

bool Vertex::IsDensityOne() const {
  PolyTemplate* polyTemplate = mPoly ? PolyTemplateOf(mPoly) : nullptr;
  return polyTemplate && TemplateIsDensityOne(polyTemplate);
}

void Vertex::SetFace(int i, PolyElement* face) {
  if (!mNeighbours[i] && face) ++mNumLinked;
  if (mNeighbours[i] && !face) --mNumLinked;
  mNeighbours[i] = face;
  mChanged = 1;
}

}  // namespace corvia
