// Extents of the vertex-figure pane: how far its points reach from the element.

#include "model/VertexFigure.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/Geometry.h"
#include "model/ElementFlags.h"
#include "model/ElementList.h"
#include "model/PolyElement.h"

namespace corvia {

bool ShowCoplanarVertexFigures = true;
bool ShowDualFaceOnVertexFigure = true;

namespace detail_VertexFigure {

double Length2D(const double* p) {
  return std::sqrt(p[0] * p[0] + p[1] * p[1]);
}

// The element and, with the option, the rest of its coplanar ring.
template <typename Visit>
void ForEachFigureMember(const PolyElement* element, Visit visit) {
  visit(element);
  if (!ShowCoplanarVertexFigures) return;
  int steps = element->mList ? element->mList->mCount : 0;
  for (const PolyElement* m = element->mCoplanarNext; m && m != element && steps-- > 0; m = m->mCoplanarNext) visit(m);
}

// The finite projections of the other elements of the list.
std::vector<double> OtherProjections(const PolyElement* element, const Transform3D& worldToFace) {
  std::vector<double> points;
  if (!element->mList) return points;
  for (const PolyElement* e = element->mList->mHead; e; e = e->mNext) {
    if (e == element) continue;
    double p[2];
    if (element->ProjectElementTo2D(e, worldToFace, p)) {
      points.push_back(p[0]);
      points.push_back(p[1]);
    }
  }
  return points;
}

}  // namespace detail_VertexFigure

double PolyElement::GetCoplanarRadius() const {
  double radius = 0.0;
  int steps = mList ? mList->mCount : 1;
  const PolyElement* m = this;
  do {
    radius = std::max(radius, m->GetRadius());
    m = m->mCoplanarNext;
  } while (m && m != this && steps-- > 0);
  return radius;
}

double PolyElement::GetVertexFigureExtent2D() const {
  using namespace detail_VertexFigure;
  Transform3D worldToFace;
  GetWorldToFace(worldToFace, false);
  double extent = 0.0;
  ForEachFigureMember(this, [&](const PolyElement* member) {
    if (ShowDualFaceOnVertexFigure) extent = std::max(extent, member->GetRadius());
    for (int i = 0; i < member->mNumSides; ++i) {
      double p[2];
      if (member->GetAdjacent2D(i, worldToFace, p)) extent = std::max(extent, Length2D(p));
    }
  });
  return extent;
}

double PolyElement::GetOthersExtent2D() const {
  using namespace detail_VertexFigure;
  Transform3D worldToFace;
  GetWorldToFace(worldToFace, false);
  const std::vector<double> points = OtherProjections(this, worldToFace);
  double extent = 0.0;
  for (size_t k = 0; k + 1 < points.size(); k += 2) extent = std::max(extent, Length2D(&points[k]));
  return extent;
}

double PolyElement::GetListSpread2D() const {
  using namespace detail_VertexFigure;
  if (!mList) return 0.0;
  // The spread depends on the element the others are seen from: it is kept for one
  // element at a time.
  if (mList->mCachedSpread >= 0.0 && mList->mCachedSpreadOf == this) return mList->mCachedSpread;
  Transform3D worldToFace;
  GetWorldToFace(worldToFace, false);
  const std::vector<double> points = OtherProjections(this, worldToFace);
  double spread = 0.0;
  for (size_t a = 0; a + 1 < points.size(); a += 2) {
    for (size_t b = a + 2; b + 1 < points.size(); b += 2) {
      spread = std::max(spread, DistanceOfLineFromOrigin2D(&points[a], &points[b]));
    }
  }
  mList->mCachedSpread = spread;
  mList->mCachedSpreadOf = this;
  return spread;
}

}  // namespace corvia
