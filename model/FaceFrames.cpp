// Geometry of an element in its own frame: frame upkeep, projection into its plane
// and 2D frame, its polygon in 2D (corners at infinity cut at the model's radius),
// and measures. Every method serves both roles: for a face the corners are its
// vertices, for a vertex (a face of the dual) its surrounding faces, whose dual
// points are the dual's vertices.

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/Geometry.h"
#include "core/Tolerances.h"
#include "model/ElementFlags.h"
#include "model/PolyElement.h"
#include "model/PolyFwd.h"

namespace corvia {

namespace detail_FaceFrames {
int Wrap(int i, int n) {
  const int r = i % n;
  return r < 0 ? r + n : r;
}

bool IsZero(const double* v) {
  return std::fabs(v[0]) <= kPointTolerance && std::fabs(v[1]) <= kPointTolerance &&
         std::fabs(v[2]) <= kPointTolerance;
}

double Length(const double* v) {
  return std::sqrt(Dot(v, v));
}

void Normalise(double* v) {
  const double length = Length(v);
  if (length > 0.0) Divide(v, v, length);
}

double DistanceSquared(const double* a, const double* b) {
  double d[3];
  Subtract(d, a, b);
  return Dot(d, d);
}

// The rotation part of a transform applied to a direction.
void RotateOnly(const Transform3D& t, double* out, const double* v) {
  MatrixTimesVector(t.Matrix(), out, v);
}

// The connected part of an element, in the caller's buffer or in own storage; the
// visit marks are cleared again before the part is handed back.
struct Part {
  std::vector<PolyElement*> own;
  PolyElement** elements = nullptr;
  int count = 0;

  Part(PolyElement* element, PolyElement** buffer) {
    if (buffer) {
      count = element->CollectConnectedPart(buffer);
      elements = buffer;
    } else {
      count = element->CollectConnectedPart(own);
      elements = own.data();
    }
    for (int k = 0; k < count; ++k) elements[k]->mFlags &= ~kElementVisitMark;
  }
};

// Point where the line p + t d meets the sphere of radius r about the centre, on the
// side given by sign; d is a unit direction.
void SphereCut(double* out, const double* p, const double* d, double radius, double sign) {
  const double s = Dot(p, d);
  double foot[3];
  double along[3];
  Scale(along, d, s);
  Subtract(foot, p, along);
  // Rounding can push the foot a hair outside the sphere: the line then touches it.
  const double rest = radius * radius - Dot(foot, foot);
  const double r = rest > 0.0 ? std::sqrt(rest) : 0.0;
  double step[3];
  Scale(step, d, sign * r - s);
  Add(out, p, step);
}
}  // namespace detail_FaceFrames

// ---- Frame upkeep ---------------------------------------------------------------------

void PolyElement::Rotate(const double* matrix) {
  double* vectors[5] = {mDualVert, mCentre, mXAxis, mYAxis, mZAxis};
  for (double* v : vectors) {
    MatrixTimesVector(matrix, v, v);
    SnapNearZero(v, kRoundingTolerance);
  }
}

void PolyElement::GetCornerCentroid(double* out) const {
  double sum[3] = {0.0, 0.0, 0.0};
  int count = 0;
  for (int i = 0; i < mNumSides; ++i) {
    const PolyElement* corner = mNeighbours[i];
    if (!corner || corner->HasFlag(kElementHemi)) continue;
    AddTo(sum, corner->mDualVert);
    ++count;
  }
  if (count == 0) {
    CopyVector(out, mCentre);
  } else {
    Divide(out, sum, count);
  }
  SnapNearZero(out, kRoundingTolerance);
}

void PolyElement::ComputeCentre() { GetCornerCentroid(mCentroid); }

void PolyElement::GetNormal(double* out) const {
  CopyVector(out, mZAxis);
  if (HasFlag(kElementReverseNorm)) Negate(out);
}

double PolyElement::DistanceAlongNormal(const double* a, const double* b) const {
  double d[3];
  Subtract(d, a, b);
  return Dot(d, mZAxis);
}

void PolyElement::GetAdjacentNormal(double* out) const {
  const int n = mNumSides;
  std::vector<const double*> around;
  for (int i = 0; i < n; ++i) {
    const PolyElement* neighbour = GetAdjacent(i);
    if (!neighbour) break;
    around.push_back(neighbour->mDualVert);
  }
  if (n == 0 || static_cast<int>(around.size()) != n) {
    // No polygon of neighbours to take a normal from: the direction of the element.
    CopyVector(out, mDualVert);
    detail_FaceFrames::Normalise(out);
    return;
  }
  double c[3] = {0.0, 0.0, 0.0};
  for (const double* a : around) AddTo(c, a);
  Divide(c, c, n);
  double normal[3] = {0.0, 0.0, 0.0};
  for (int i = 0; i < n; ++i) {
    const double* a = around[i];
    const double* previous = around[detail_FaceFrames::Wrap(i - 1, n)];
    double side[3];
    double toCentre[3];
    double term[3];
    Subtract(side, a, previous);
    Subtract(toCentre, c, a);
    Cross(term, side, toCentre);
    AddTo(normal, term);
  }
  if (detail_FaceFrames::IsZero(normal)) {
    CopyVector(out, mDualVert);
    detail_FaceFrames::Normalise(out);
    return;
  }
  detail_FaceFrames::Normalise(normal);
  double outward[3];
  Subtract(outward, mDualVert, c);
  if (Dot(normal, outward) < 0.0) Negate(normal);
  CopyVector(out, normal);
}

// ---- Projection -------------------------------------------------------------------------

bool PolyElement::ProjectToPlane(const double* point, bool isDirection, double* out) const {
  const bool infinite = HasFlag(kElementHemi);
  double origin[3];
  double direction[3];
  if (infinite) {
    if (isDirection) {
      out[0] = out[1] = out[2] = 0.0;
      return false;
    }
    // The element's point lies at infinity along its dual point: project in parallel.
    CopyVector(origin, point);
    CopyVector(direction, mDualVert);
  } else if (isDirection) {
    CopyVector(origin, mDualVert);
    CopyVector(direction, point);
  } else {
    // Central projection from the element's dual point.
    CopyVector(origin, mDualVert);
    Subtract(direction, point, mDualVert);
  }
  const double d = -Dot(mZAxis, mCentre);
  if (IntersectLinePlane(out, mZAxis, d, origin, direction, kPointTolerance)) return true;
  // Parallel to the plane: the image lies at infinity in the line's direction.
  CopyVector(out, direction);
  detail_FaceFrames::Normalise(out);
  return false;
}

bool PolyElement::ProjectTo2D(const double* point, bool isDirection, const Transform3D& worldToFace,
                              double* out2D) const {
  double onPlane[3];
  double local[3];
  if (ProjectToPlane(point, isDirection, onPlane)) {
    TransformPoint(worldToFace, local, onPlane);
    out2D[0] = local[0];
    out2D[1] = local[1];
    return true;
  }
  detail_FaceFrames::RotateOnly(worldToFace, local, onPlane);
  out2D[0] = local[0];
  out2D[1] = local[1];
  return false;
}

bool PolyElement::ProjectElementTo2D(const PolyElement* other, const Transform3D& worldToFace, double* out2D) const {
  return ProjectTo2D(other->mDualVert, other->HasFlag(kElementHemi), worldToFace, out2D);
}

bool PolyElement::GetAdjacent2D(int i, const Transform3D& worldToFace, double* out2D) const {
  const PolyElement* neighbour = GetAdjacent(i);
  if (!neighbour) {
    out2D[0] = out2D[1] = 0.0;
    return false;
  }
  return ProjectElementTo2D(neighbour, worldToFace, out2D);
}

int PolyElement::GetPolygon2D(int i, const Transform3D& worldToFace, double* out) const {
  const int n = mNumSides;
  if (n <= 0) return 0;
  i = detail_FaceFrames::Wrap(i, n);
  const PolyElement* corner = mNeighbours[i];
  if (!corner) return 0;
  if (!corner->HasFlag(kElementHemi)) {
    double local[3];
    TransformPoint(worldToFace, local, corner->mDualVert);
    out[0] = local[0];
    out[1] = local[1];
    return 1;
  }
  // A corner at infinity in direction d: the polygon runs out along d from the finite
  // corners on either side, and is cut off where those lines leave the model's sphere.
  const PolyElement* before = nullptr;
  for (int k = detail_FaceFrames::Wrap(i - 1, n); k != i; k = detail_FaceFrames::Wrap(k - 1, n)) {
    const PolyElement* c = mNeighbours[k];
    if (c && !c->HasFlag(kElementHemi)) {
      before = c;
      break;
    }
  }
  const PolyElement* after = nullptr;
  for (int k = detail_FaceFrames::Wrap(i + 1, n); k != i; k = detail_FaceFrames::Wrap(k + 1, n)) {
    const PolyElement* c = mNeighbours[k];
    if (c && !c->HasFlag(kElementHemi)) {
      after = c;
      break;
    }
  }
  if (!before || !after) return 0;
  double d[3];
  CopyVector(d, corner->mDualVert);
  detail_FaceFrames::Normalise(d);
  const double radius = mPoly ? PolyGetRadius(mPoly) : 1.0;
  double points[5][3];
  detail_FaceFrames::SphereCut(points[0], before->mDualVert, d, radius, 1.0);
  detail_FaceFrames::SphereCut(points[1], after->mDualVert, d, radius, 1.0);
  detail_FaceFrames::SphereCut(points[2], after->mDualVert, d, radius, -1.0);
  detail_FaceFrames::SphereCut(points[3], before->mDualVert, d, radius, -1.0);
  CopyVector(points[4], before->mDualVert);
  // The element's own frame has its origin on the normal through the centre, so the
  // rotation alone places these points consistently with the finite corners.
  double flat[5][2];
  for (int k = 0; k < 5; ++k) {
    double local[3];
    detail_FaceFrames::RotateOnly(worldToFace, local, points[k]);
    flat[k][0] = local[0];
    flat[k][1] = local[1];
  }
  const double turn =
      (flat[1][0] - flat[0][0]) * (flat[2][1] - flat[1][1]) - (flat[1][1] - flat[0][1]) * (flat[2][0] - flat[1][0]);
  const int order[4] = {0, 1, 2, 3};
  const int reversed[4] = {3, 2, 1, 0};
  const int* use = turn < 0.0 ? reversed : order;
  for (int k = 0; k < 4; ++k) {
    out[2 * k] = flat[use[k]][0];
    out[2 * k + 1] = flat[use[k]][1];
  }
  out[8] = flat[4][0];
  out[9] = flat[4][1];
  return 5;
}

// ---- Measures -------------------------------------------------------------------------

double PolyElement::GetMaxCornerDistanceXY(const double* p) const {
  double largest = 0.0;
  for (int i = 0; i < mNumSides; ++i) {
    const double* c = mNeighbours[i]->mDualVert;
    const double distance = std::hypot(c[0] - p[0], c[1] - p[1]);
    if (distance > largest) largest = distance;
  }
  return largest;
}

double PolyElement::GetDistanceToEdges(const double* p, bool ignoreZero) const {
  const int n = mNumSides;
  double smallest = kMinimumStart;
  for (int i = 0; i < n; ++i) {
    const double* a = mNeighbours[i]->mDualVert;
    const double* b = mNeighbours[detail_FaceFrames::Wrap(i + 1, n)]->mDualVert;
    const double distance = DistancePointToLine3D(a, b, p, kPointTolerance);
    if (ignoreZero && std::fabs(distance) <= kPointTolerance) continue;
    if (distance < smallest) smallest = distance;
  }
  return smallest >= kNoMinimum ? 0.0 : smallest;
}

double PolyElement::GetPartInradius(bool ignoreZero) {
  detail_FaceFrames::Part part(this, nullptr);
  double smallest = kMinimumStart;
  for (int k = 0; k < part.count; ++k) {
    const PolyElement* element = part.elements[k];
    if (element->IsVertex() != IsVertex()) continue;
    const double distance = element->GetDistanceToEdges(element->mCentroid, ignoreZero);
    if (distance < smallest) smallest = distance;
  }
  return smallest >= kNoMinimum ? 0.0 : smallest;
}

int PolyElement::GetPartCentroid(bool otherKind, double* out, PolyElement** buffer) {
  detail_FaceFrames::Part part(this, buffer);
  out[0] = out[1] = out[2] = 0.0;
  int used = 0;
  for (int k = 0; k < part.count; ++k) {
    const PolyElement* element = part.elements[k];
    if ((element->IsVertex() != IsVertex()) != otherKind) continue;
    AddTo(out, element->mDualVert);
    ++used;
  }
  if (used > 0) Divide(out, out, used);
  return part.count;
}

double PolyElement::GetPartRadius(bool otherKind) {
  detail_FaceFrames::Part part(this, nullptr);
  double centre[3] = {0.0, 0.0, 0.0};
  int used = 0;
  for (int k = 0; k < part.count; ++k) {
    const PolyElement* element = part.elements[k];
    if ((element->IsVertex() != IsVertex()) != otherKind) continue;
    AddTo(centre, element->mDualVert);
    ++used;
  }
  if (used == 0) return 0.0;
  Divide(centre, centre, used);
  double largestSquared = 0.0;
  for (int k = 0; k < part.count; ++k) {
    const PolyElement* element = part.elements[k];
    if ((element->IsVertex() != IsVertex()) != otherKind) continue;
    largestSquared = std::max(largestSquared, detail_FaceFrames::DistanceSquared(element->mDualVert, centre));
  }
  return std::sqrt(largestSquared);
}

double PolyElement::GetHalfNearestDistance(bool ignoreZero) const {
  if (mNumSides <= 0) return 0.0;
  double smallestSquared = kMinimumStart;
  for (int i = 0; i < mNumSides; ++i) {
    const PolyElement* neighbour = GetAdjacent(i);
    if (!neighbour) continue;
    const double squared = detail_FaceFrames::DistanceSquared(mDualVert, neighbour->mDualVert);
    if (ignoreZero && std::fabs(squared) <= kPointTolerance) continue;
    if (squared < smallestSquared) smallestSquared = squared;
  }
  return smallestSquared >= kNoMinimum ? 0.0 : 0.5 * std::sqrt(smallestSquared);
}

double PolyElement::GetPartHalfNearestDistance(bool ignoreZero) {
  detail_FaceFrames::Part part(this, nullptr);
  double smallest = kMinimumStart;
  for (int k = 0; k < part.count; ++k) {
    const PolyElement* element = part.elements[k];
    if (element->IsFace() != IsFace()) continue;
    smallest = std::min(smallest, element->GetHalfNearestDistance(ignoreZero));
  }
  return smallest;
}

double PolyElement::GetMeanEdgeLength() const {
  const int n = mNumSides;
  double sum = 0.0;
  for (int i = 0; i < n; ++i) {
    sum += std::sqrt(detail_FaceFrames::DistanceSquared(mNeighbours[i]->mDualVert,
                                                        mNeighbours[detail_FaceFrames::Wrap(i + 1, n)]->mDualVert));
  }
  return sum / n;
}

double PolyElement::GetMinEdgeLength() const {
  const int n = mNumSides;
  double smallest = kNoMinimum;
  for (int i = 0; i < n; ++i) {
    smallest =
        std::min(smallest, detail_FaceFrames::DistanceSquared(
                               mNeighbours[i]->mDualVert, mNeighbours[detail_FaceFrames::Wrap(i + 1, n)]->mDualVert));
  }
  return std::sqrt(smallest);
}

double PolyElement::GetMaxEdgeLength() const {
  const int n = mNumSides;
  double largest = -kNoMinimum;
  for (int i = 0; i < n; ++i) {
    largest =
        std::max(largest, detail_FaceFrames::DistanceSquared(
                              mNeighbours[i]->mDualVert, mNeighbours[detail_FaceFrames::Wrap(i + 1, n)]->mDualVert));
  }
  return std::sqrt(largest);
}

double PolyElement::GetCircumradius() const {
  double largest = -1.0;
  for (int i = 0; i < mNumSides; ++i) {
    largest = std::max(largest, detail_FaceFrames::DistanceSquared(mNeighbours[i]->mDualVert, mCentroid));
  }
  return std::sqrt(largest);
}

double PolyElement::GetArea() const {
  const int n = mNumSides;
  if (n < 3) return 0.0;
  const double* c0 = mNeighbours[0]->mDualVert;
  double sum[3] = {0.0, 0.0, 0.0};
  for (int i = 1; i + 1 < n; ++i) {
    const double* ci = mNeighbours[i]->mDualVert;
    const double* cj = mNeighbours[i + 1]->mDualVert;
    double a[3];
    double b[3];
    double cross[3];
    Subtract(a, ci, c0);
    Subtract(b, cj, ci);
    Cross(cross, a, b);
    AddTo(sum, cross);
  }
  const double area = 0.5 * Dot(sum, mZAxis);
  return std::fabs(area) <= kPointTolerance ? 0.0 : area;
}

bool PolyElement::HasCornerAtInfinity() const {
  for (int i = 0; i < mNumSides; ++i) {
    if (mNeighbours[i] && mNeighbours[i]->HasFlag(kElementHemi)) return true;
  }
  return false;
}

double PolyElement::GetSolidAngle() const {
  // The planar turning of the corners minus the turning of the spherical polygon
  // seen from the centre is the solid angle the element subtends.
  const int n = mNumSides;
  const double origin[3] = {0.0, 0.0, 0.0};
  double sum = 0.0;
  for (int i = 0; i < n; ++i) {
    const double* p = mNeighbours[detail_FaceFrames::Wrap(i - 1, n)]->mDualVert;
    const double* c = mNeighbours[i]->mDualVert;
    const double* q = mNeighbours[detail_FaceFrames::Wrap(i + 1, n)]->mDualVert;
    double cp[3];
    double qc[3];
    double toOrigin[3];
    double n1[3];
    double n2[3];
    Subtract(cp, c, p);
    Subtract(qc, q, c);
    Subtract(toOrigin, origin, c);
    Cross(n1, cp, toOrigin);
    Subtract(toOrigin, origin, q);
    Cross(n2, qc, toOrigin);
    if (detail_FaceFrames::IsZero(n1) || detail_FaceFrames::IsZero(n2)) return 0.0;
    const int j = LargestAxis(n2);
    if (std::fabs(n2[j]) <= kPointTolerance) return 0.0;
    double scaled[3];
    Scale(scaled, n2, n1[j] / n2[j]);
    if (NearlyEqual(n1, scaled, kPointTolerance)) return 0.0;
    double u1[3];
    double u2[3];
    double cross[3];
    CopyVector(u1, n1);
    CopyVector(u2, n2);
    detail_FaceFrames::Normalise(u1);
    detail_FaceFrames::Normalise(u2);
    double alpha = AngleBetween(u1, u2);
    Cross(cross, n1, n2);
    if (Dot(cross, c) < 0.0) alpha = -alpha;
    CopyVector(u1, cp);
    CopyVector(u2, qc);
    detail_FaceFrames::Normalise(u1);
    detail_FaceFrames::Normalise(u2);
    double beta = AngleBetween(u1, u2);
    Cross(cross, cp, qc);
    if (Dot(cross, mZAxis) < 0.0) beta = -beta;
    sum += beta - alpha;
  }
  return HasFlag(kElementReversed) ? -sum : sum;
}

bool PolyElement::IsRegular() const {
  const int n = mNumSides;
  double firstLength = 0.0;
  double firstDot = 0.0;
  double firstCross[3] = {0.0, 0.0, 0.0};
  for (int i = 0; i < n; ++i) {
    const PolyElement* previous = mNeighbours[detail_FaceFrames::Wrap(i - 1, n)];
    const PolyElement* corner = mNeighbours[i];
    const PolyElement* next = mNeighbours[detail_FaceFrames::Wrap(i + 1, n)];
    if (corner->HasFlag(kElementHemi)) return false;
    double before[3];
    double edge[3];
    double cross[3];
    Subtract(before, corner->mDualVert, previous->mDualVert);
    Subtract(edge, next->mDualVert, corner->mDualVert);
    Cross(cross, before, edge);
    const double length = Dot(edge, edge);
    const double dot = Dot(before, edge);
    if (i == 0) {
      firstLength = length;
      firstDot = dot;
      CopyVector(firstCross, cross);
    } else if (std::fabs(length - firstLength) > kPointTolerance || std::fabs(dot - firstDot) > kPointTolerance ||
               !NearlyEqual(cross, firstCross, kPointTolerance)) {
      return false;
    }
  }
  return true;
}

int PolyElement::GetSpanningCorners(double* out) const {
  const int n = mNumSides;
  const double* a = nullptr;
  double best = 0.0;
  for (int i = 0; i < n; ++i) {
    const double squared = detail_FaceFrames::DistanceSquared(mNeighbours[i]->mDualVert, mCentroid);
    if (squared > best) {
      best = squared;
      a = mNeighbours[i]->mDualVert;
    }
  }
  if (!a) return 0;
  CopyVector(out, a);
  const double* b = nullptr;
  best = kSquaredPointTolerance;
  for (int i = 0; i < n; ++i) {
    const double squared = detail_FaceFrames::DistanceSquared(mNeighbours[i]->mDualVert, a);
    if (squared > best) {
      best = squared;
      b = mNeighbours[i]->mDualVert;
    }
  }
  if (!b) return 1;
  CopyVector(out + 3, b);
  const double* c = nullptr;
  best = kPointTolerance;
  for (int i = 0; i < n; ++i) {
    const double distance = DistancePointToLine3D(a, b, mNeighbours[i]->mDualVert, kPointTolerance);
    if (distance > best) {
      best = distance;
      c = mNeighbours[i]->mDualVert;
    }
  }
  if (!c) return 2;
  CopyVector(out + 6, c);
  return 3;
}

bool PolyElement::IsMirrorPlane(double* direction) const {
  if (detail_FaceFrames::IsZero(direction)) return false;
  detail_FaceFrames::Normalise(direction);
  const int n = mNumSides;
  if (n <= 0) return false;
  auto reflect = [&](double* out, const double* x) {
    double d[3];
    Subtract(d, x, mCentroid);
    double step[3];
    Scale(step, direction, 2.0 * Dot(d, direction));
    Subtract(out, x, step);
  };
  double r0[3];
  reflect(r0, mNeighbours[0]->mDualVert);
  for (int k = 0; k < n; ++k) {
    if (!NearlyEqual(mNeighbours[k]->mDualVert, r0, kPointTolerance)) continue;
    for (int step : {-1, 1}) {
      bool all = true;
      for (int j = 1; j < n && all; ++j) {
        double r[3];
        reflect(r, mNeighbours[j]->mDualVert);
        all = NearlyEqual(r, mNeighbours[detail_FaceFrames::Wrap(k + j * step, n)]->mDualVert, kPointTolerance);
      }
      if (all) return true;
    }
  }
  return false;
}

bool PolyElement::FindOrientationDirection(double* out) const {
  const int n = mNumSides;
  for (int i = 0; i < n; ++i) {
    const double* c = mNeighbours[i]->mDualVert;
    const double* next = mNeighbours[detail_FaceFrames::Wrap(i + 1, n)]->mDualVert;
    double middle[3];
    double offset[3];
    double candidate[3];
    // Through the middle of side i.
    Add(middle, c, next);
    Scale(middle, middle, 0.5);
    Subtract(offset, middle, mCentroid);
    Cross(candidate, offset, mZAxis);
    if (IsMirrorPlane(candidate)) {
      CopyVector(out, candidate);
      return true;
    }
    // Through corner i.
    Subtract(offset, c, mCentroid);
    Cross(candidate, offset, mZAxis);
    if (IsMirrorPlane(candidate)) {
      CopyVector(out, candidate);
      return true;
    }
  }
  return false;
}

bool PolyElement::IntersectPlaneLine(const PolyElement* other, double* out) const {
  if (NearlyEqual(mZAxis, other->mZAxis, kPointTolerance) ||
      NearlyOpposite(mZAxis, other->mZAxis, kPointTolerance)) {
    return false;
  }
  Transform3D worldToFace;
  GetWorldToFace(worldToFace, false);
  double normal[3];
  double origin[3];
  detail_FaceFrames::RotateOnly(worldToFace, normal, other->mZAxis);
  TransformPoint(worldToFace, origin, other->mCentre);
  const double length = std::hypot(normal[0], normal[1]);
  out[0] = normal[0] / length;
  out[1] = normal[1] / length;
  out[2] = -(normal[0] * origin[0] + normal[1] * origin[1] + normal[2] * origin[2]) / length;
  SnapNearZero(out, kRoundingTolerance);
  return true;
}

// ---- Ends of a side as drawn -----------------------------------------------------------

bool PolyElement::GetSideEnds(int i, double* a, double* b) const {
  const int n = mNumSides;
  if (n <= 0 || !mNeighbours) return false;
  const PolyElement* c0 = mNeighbours[detail_FaceFrames::Wrap(i, n)];
  const PolyElement* c1 = mNeighbours[detail_FaceFrames::Wrap(i + 1, n)];
  if (!c0 || !c1) return false;
  const bool hemi0 = c0->HasFlag(kElementHemi), hemi1 = c1->HasFlag(kElementHemi);
  if (hemi0 && hemi1) return false;
  if (hemi0 || hemi1) {
    // The line through the finite corner along the direction of the other one, cut off
    // where it leaves the model's sphere.
    const double* p = (hemi0 ? c1 : c0)->mDualVert;
    double d[3];
    CopyVector(d, (hemi0 ? c0 : c1)->mDualVert);
    detail_FaceFrames::Normalise(d);
    const double radius = mPoly ? PolyGetRadius(mPoly) : 1.0;
    const double s = Dot(p, d);
    double foot[3];
    for (int k = 0; k < 3; ++k) foot[k] = p[k] - s * d[k];
    const double rest = radius * radius - Dot(foot, foot);
    if (rest < 0.0) return false;
    const double r = std::sqrt(rest);
    for (int k = 0; k < 3; ++k) {
      a[k] = p[k] + (r - s) * d[k];
      b[k] = p[k] + (-r - s) * d[k];
    }
    return true;
  }
  if (c1->mIndex < c0->mIndex) std::swap(c0, c1);
  CopyVector(a, c0->mDualVert);
  CopyVector(b, c1->mDualVert);
  return true;
}

}  // namespace corvia
