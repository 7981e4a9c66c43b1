#include "model/FaceMatching.h"

#include <cmath>
#include <cstdlib>

#include "core/Tolerances.h"
#include "model/ElementFlags.h"
#include "model/Poly.h"
#include "symmetry/SymGroup.h"

namespace corvia {

namespace detail_FaceMatching {

int Wrap(int i, int n) {
  const int r = i % n;
  return r < 0 ? r + n : r;
}

// A corner at infinity (Hemi) stands for a direction: it also matches the opposite
// point when the test is Hemi-aware.
bool CornerMatches(const PolyElement* corner, const double* coordinate, const double* p, bool hemiAware) {
  if (NearlyEqual(coordinate, p, kFaceMatchTolerance)) return true;
  if (!hemiAware || !corner->HasFlag(kElementHemi)) return false;
  double opposite[3];
  NegateInto(opposite, p);
  return NearlyEqual(corner->mDualVert, opposite, kFaceMatchTolerance);
}

// The corner correspondence shared by the matching functions. carried(j, out) gives
// corner j of the element carried by the transformation; coordinate(corner) the
// coordinate of the other's corner that is compared; sideTest whether the side
// counts of the paired corners must agree; agree(j, corner) any further test that
// corner j of the element and the other's corner must pass.
template <typename Carry, typename Coordinate, typename Agree>
bool MatchCorners(const PolyElement* self, const PolyElement* other, const double* corner0, bool ordered,
                  bool hemiAware, bool sideTest, Carry carried, Coordinate coordinate, Agree agree, int* outOffset,
                  bool* outReflected) {
  const int n = self->mNumSides;
  const PolyElement* first = self->mNeighbours[0];
  auto sameSides = [&](const PolyElement* a, const PolyElement* b) {
    return !sideTest || (a && b && a->mNumSides == b->mNumSides);
  };
  for (int k = 0; k < n; ++k) {
    const PolyElement* start = other->mNeighbours[k];
    if (!start || !sameSides(first, start)) continue;
    if (!CornerMatches(start, coordinate(start), corner0, hemiAware) || !agree(0, start)) continue;
    if (ordered) {
      for (int step = 1; step >= -1; step -= 2) {
        bool all = true;
        for (int j = 1; j < n && all; ++j) {
          const PolyElement* mine = self->mNeighbours[j];
          const PolyElement* theirs = other->mNeighbours[Wrap(k + j * step, n)];
          double p[3];
          carried(j, p);
          all = mine && theirs && sameSides(mine, theirs) && CornerMatches(theirs, coordinate(theirs), p, hemiAware) &&
                agree(j, theirs);
        }
        if (all) {
          if (outOffset) *outOffset = k;
          if (outReflected) *outReflected = step == -1;
          return true;
        }
      }
    } else {
      bool all = true;
      for (int j = 1; j < n && all; ++j) {
        const PolyElement* mine = self->mNeighbours[j];
        double p[3];
        carried(j, p);
        bool found = false;
        for (int m = 0; m < n && !found; ++m) {
          const PolyElement* theirs = other->mNeighbours[m];
          found = mine && theirs && sameSides(mine, theirs) &&
                  CornerMatches(theirs, coordinate(theirs), p, hemiAware) && agree(j, theirs);
        }
        all = found;
      }
      if (all) {
        if (outOffset) *outOffset = k;
        if (outReflected) *outReflected = false;
        return true;
      }
    }
  }
  return false;
}

// An element without corners matches at once: the outputs are still written, so
// that a caller never reads an unset offset after a success.
bool MatchWithoutCorners(int* outOffset, bool* outReflected) {
  if (outOffset) *outOffset = 0;
  if (outReflected) *outReflected = false;
  return true;
}

bool NormalMatches(const double* normal, const double* carried) {
  return NearlyEqual(normal, carried, kFaceMatchTolerance) || NearlyOpposite(normal, carried, kFaceMatchTolerance);
}

double DistanceSquared(const double* a, const double* b) {
  double d[3];
  Subtract(d, a, b);
  return Dot(d, d);
}

// The 2D image of a point in the frame (origin, u, w), scaled.
void Image2D(double* out, const double* point, const double* origin, const double* u, const double* w, double scale) {
  double d[3];
  Subtract(d, point, origin);
  out[0] = scale * Dot(d, u);
  out[1] = scale * Dot(d, w);
}

// u = unit(corner - centroid), w = normal x u; false when the corner lies at the
// centroid and gives no direction.
bool InPlaneFrame(const PolyElement* element, const PolyElement* corner, double* u, double* w) {
  Subtract(u, corner->mDualVert, element->mCentroid);
  const double length = std::sqrt(Dot(u, u));
  if (length <= kPointTolerance) return false;
  Divide(u, u, length);
  Cross(w, element->mZAxis, u);
  return true;
}

}  // namespace detail_FaceMatching

bool PolyElement::MatchTransformed(const PolyElement* other, const double* dualPoint, const double* corner0,
                                   const double* matrix, bool ordered, int* outOffset, bool* outReflected) const {
  if (!other || other->mNumSides != mNumSides) return false;
  if (!NearlyEqual(other->mDualVert, dualPoint, kFaceMatchTolerance)) return false;
  if (mNumSides <= 0) return detail_FaceMatching::MatchWithoutCorners(outOffset, outReflected);
  auto carried = [&](int j, double* out) { MatrixTimesVector(matrix, out, mNeighbours[j]->mCentre); };
  auto coordinate = [](const PolyElement* corner) { return corner->mCentre; };
  // Frame origins alone do not tell coplanar corners apart: the corners of two
  // vertices that coincide (a compound whose parts share an edge) may lie in the same
  // planes. The corners' own centroids, carried along, must agree as well.
  auto agree = [&](int j, const PolyElement* theirs) {
    double mine[3], carriedCentroid[3], other[3];
    mNeighbours[j]->GetCornerCentroid(mine);
    MatrixTimesVector(matrix, carriedCentroid, mine);
    theirs->GetCornerCentroid(other);
    return NearlyEqual(carriedCentroid, other, kFaceMatchTolerance);
  };
  return detail_FaceMatching::MatchCorners(this, other, corner0, ordered, false, true, carried, coordinate, agree,
                                           outOffset, outReflected);
}

bool PolyElement::MatchTransformedAxes(const PolyElement* other, const double* origin, const double* normal,
                                       const double* corner0, const double* matrix, bool ordered, int* outOffset,
                                       bool* outReflected) const {
  if (!other || other->mNumSides != mNumSides) return false;
  if (!NearlyEqual(other->mCentre, origin, kFaceMatchTolerance)) return false;
  if (!detail_FaceMatching::NormalMatches(other->mZAxis, normal)) return false;
  if (mNumSides <= 0) return detail_FaceMatching::MatchWithoutCorners(outOffset, outReflected);
  auto carried = [&](int j, double* out) { MatrixTimesVector(matrix, out, mNeighbours[j]->mDualVert); };
  auto coordinate = [](const PolyElement* corner) { return corner->mDualVert; };
  auto agree = [](int, const PolyElement*) { return true; };
  return detail_FaceMatching::MatchCorners(this, other, corner0, ordered, true, true, carried, coordinate, agree,
                                           outOffset, outReflected);
}

bool PolyElement::MapsOntoUnder(const PolyElement* other, const double* matrix) const {
  double origin[3];
  double normal[3];
  double corner0[3] = {0.0, 0.0, 0.0};
  MatrixTimesVector(matrix, origin, mCentre);
  MatrixTimesVector(matrix, normal, mZAxis);
  if (mNumSides > 0 && mNeighbours[0]) MatrixTimesVector(matrix, corner0, mNeighbours[0]->mDualVert);
  return MatchTransformedAxes(other, origin, normal, corner0, matrix, true, nullptr, nullptr);
}

int PolyElement::FindSymmetryOperation(const PolyElement* other, const double* origin, const double* normal,
                                       const double* corner0, const SymGroup* group, int operation,
                                       int* outStep) const {
  if (!other || !group || other->mNumSides != mNumSides) return -1;
  if (operation < 0) operation = 0;
  double carriedOrigin[3];
  double carriedNormal[3];
  double carriedCorner0[3] = {0.0, 0.0, 0.0};
  if (!origin) {
    // A group without the operation would carry everything by the identity and
    // "find" the element itself: that is no match.
    if (!group->ReflectPoint(carriedOrigin, mCentre, operation)) return -1;
    group->ReflectPoint(carriedNormal, mZAxis, operation);
    if (mNumSides > 0 && mNeighbours[0]) group->ReflectPoint(carriedCorner0, mNeighbours[0]->mDualVert, operation);
    origin = carriedOrigin;
    normal = carriedNormal;
    corner0 = carriedCorner0;
  }
  if (!NearlyEqual(other->mCentre, origin, kFaceMatchTolerance)) return -1;
  if (!normal || !detail_FaceMatching::NormalMatches(other->mZAxis, normal)) return -1;
  if (mNumSides <= 0) {
    if (outStep) *outStep = 1;
    return 0;
  }
  if (!corner0) return -1;
  bool operationExists = true;
  auto carried = [&](int j, double* out) {
    if (!group->ReflectPoint(out, mNeighbours[j]->mDualVert, operation)) operationExists = false;
  };
  auto coordinate = [](const PolyElement* corner) { return corner->mDualVert; };
  int offset = -1;
  bool reflected = false;
  auto agree = [](int, const PolyElement*) { return true; };
  if (!detail_FaceMatching::MatchCorners(this, other, corner0, true, true, false, carried, coordinate, agree, &offset,
                                         &reflected) ||
      !operationExists) {
    return -1;
  }
  if (outStep) *outStep = reflected ? -1 : 1;
  return offset;
}

bool PolyElement::IsCongruentTo(const PolyElement* other, bool allowScale) const {
  using detail_FaceMatching::DistanceSquared;
  using detail_FaceMatching::Image2D;
  if (!other) return false;
  // Elements not yet typed do not share a type.
  if (mType && other->mType == mType) return true;
  const int n = mNumSides;
  if (other->mNumSides != n) return false;
  if (n <= 0) return true;
  const double r1 = GetCircumradius();
  const double r2 = other->GetCircumradius();
  const bool zero1 = std::fabs(r1) <= kPointTolerance;
  const bool zero2 = std::fabs(r2) <= kPointTolerance;
  if (zero1 || zero2) return zero1 && zero2;
  double scale = 1.0;
  if (allowScale) {
    scale = r2 / r1;
  } else if (std::fabs(r1 - r2) > kPointTolerance) {
    return false;
  }
  // The reference corner is corner 0, or the first corner off the centroid when
  // corner 0 lies on it and gives no direction.
  int reference = 0;
  double u[3];
  double w[3];
  while (reference < n && !detail_FaceMatching::InPlaneFrame(this, mNeighbours[reference], u, w)) ++reference;
  if (reference == n) return false;
  const double target = scale * scale * DistanceSquared(mNeighbours[reference]->mDualVert, mCentroid);
  for (int k = 0; k < n; ++k) {
    const PolyElement* start = other->mNeighbours[k];
    if (std::fabs(DistanceSquared(start->mDualVert, other->mCentroid) - target) > kPointTolerance) continue;
    double u2[3];
    double w2[3];
    if (!detail_FaceMatching::InPlaneFrame(other, start, u2, w2)) continue;
    for (int step = 1; step >= -1; step -= 2) {
      bool all = true;
      for (int j = 1; j < n && all; ++j) {
        double mine[2];
        double theirs[2];
        Image2D(mine, mNeighbours[detail_FaceMatching::Wrap(reference + j, n)]->mDualVert, mCentroid, u, w, scale);
        Image2D(theirs, other->mNeighbours[detail_FaceMatching::Wrap(k + j * step, n)]->mDualVert, other->mCentroid,
                u2, w2, 1.0);
        all = std::fabs(mine[0] - theirs[0]) <= kPointTolerance &&
              std::fabs(mine[1] - theirs[1]) <= kPointTolerance;
      }
      if (all) return true;
    }
  }
  return false;
}

SymAxis* PolyElement::FindHalfTurnAxis() const {
  if (!HasFlag(kElementHemi) || !mPoly) return nullptr;
  const SymGroup* group = mPoly->mSymGroup;
  if (!group || !group->axisTypes) return nullptr;
  for (int t = 0; t < group->numAxisTypes; ++t) {
    const SymAxisType& axisType = group->axisTypes[t];
    if (std::abs(axisType.fold) % 2 != 0 || !axisType.axes) continue;
    for (int i = 0; i < axisType.numAxes; ++i) {
      SymAxis& axis = axisType.axes[i];
      const double* a = axis.direction;
      if (std::fabs(Dot(a, mZAxis)) > kPointTolerance) continue;
      // The half turn about the unit axis a: 2 a a^T - I (column order).
      double halfTurn[9];
      for (int c = 0; c < 3; ++c) {
        for (int r = 0; r < 3; ++r) halfTurn[3 * c + r] = 2.0 * a[r] * a[c] - (r == c ? 1.0 : 0.0);
      }
      if (MapsOntoUnder(this, halfTurn)) return &axis;
    }
  }
  return nullptr;
}

}  // namespace corvia
