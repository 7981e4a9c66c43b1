// Vector, matrix and transform arithmetic on plain arrays.

#include "core/VectorMath.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <numbers>

#include "core/IntMath.h"
#include "core/Tolerances.h"

namespace corvia {

namespace detail_VectorMath {

// Fills a rotation about axis 0, 1 or 2 (anything else: 2) from its cosine and sine.
void FillAxisRotation(double* out, int axis, double c, double s) {
  // Rows as the rotation reads; stored column-major, entry (r, col) at 3 col + r.
  double rows[3][3];
  if (axis == 0) {
    const double r[3][3] = {{1, 0, 0}, {0, c, -s}, {0, s, c}};
    std::copy(&r[0][0], &r[0][0] + 9, &rows[0][0]);
  } else if (axis == 1) {
    const double r[3][3] = {{c, 0, s}, {0, 1, 0}, {-s, 0, c}};
    std::copy(&r[0][0], &r[0][0] + 9, &rows[0][0]);
  } else {
    const double r[3][3] = {{c, -s, 0}, {s, c, 0}, {0, 0, 1}};
    std::copy(&r[0][0], &r[0][0] + 9, &rows[0][0]);
  }
  for (int r = 0; r < 3; ++r)
    for (int col = 0; col < 3; ++col) out[3 * col + r] = rows[r][col];
}

}  // namespace detail_VectorMath

// ---- Vector arithmetic -----------------------------------------------------------

void PointAlongRay(const double* origin, const double* direction, double t, double* out) {
  for (int k = 0; k < 3; ++k) out[k] = origin[k] + t * direction[k];
}

void Negate(double* v) {
  for (int k = 0; k < 3; ++k) v[k] = -v[k];
}

void NegateInto(double* out, const double* v) {
  for (int k = 0; k < 3; ++k) out[k] = -v[k];
}

void CopyFloat3(float* out, const float* v) {
  for (int k = 0; k < 3; ++k) out[k] = v[k];
}

void LerpFloat3(float* out, const float* a, const float* b, double t) {
  for (int k = 0; k < 3; ++k) {
    const double from = a[k];
    out[k] = static_cast<float>(from + (static_cast<double>(b[k]) - from) * t);
  }
}

void TriangleNormal(double* out, const double* a, const double* b, const double* c) {
  double ab[3];
  double bc[3];
  Subtract(ab, b, a);
  Subtract(bc, c, b);
  Cross(out, ab, bc);
}

int RoundToInt(float x) {
  // In double, where adding one half to a float is exact: in float, 0.49999997 + 0.5
  // rounds up to 1.
  const double v = x;
  if (std::isnan(v)) return 0;
  const double r = v >= 0.0 ? std::trunc(v + 0.5) : std::trunc(v - 0.5);
  if (r >= static_cast<double>(INT_MAX)) return INT_MAX;
  if (r <= static_cast<double>(INT_MIN)) return INT_MIN;
  return static_cast<int>(r);
}

double VectorLength(const double* v) { return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]); }

bool NormaliseVector(double* out, const double* v) {
  const double length = VectorLength(v);
  if (!(length >= 1e-300)) return false;
  Divide(out, v, length);
  return true;
}

// ---- Tolerant tests ----------------------------------------------------------------

int CompareWithin(const double* a, const double* b, double tol) {
  for (int k = 0; k < 3; ++k) {
    if (a[k] < b[k] - tol) return -1;
    if (a[k] > b[k] + tol) return 1;
  }
  return 0;
}

void SnapNearZero(double* v, double tol) {
  for (int k = 0; k < 3; ++k)
    if (std::fabs(v[k]) <= tol) v[k] = 0.0;
}

void CanonicalDirection(double* out, const double* n, double tol) {
  CopyVector(out, n);
  for (int k = 0; k < 3; ++k) {
    if (n[k] > tol) return;
    if (n[k] < -tol) {
      Negate(out);
      return;
    }
  }
}

namespace detail_VectorMath {

// a is a multiple of b (either sign, any length); a b of (near) zero length is
// parallel to everything.
bool ParallelN(const double* a, const double* b, int n, double tol) {
  int k = 0;
  for (int j = 1; j < n; ++j)
    if (std::fabs(b[j]) > std::fabs(b[k])) k = j;
  if (std::fabs(b[k]) <= tol) return true;
  const double s = a[k] / b[k];
  for (int j = 0; j < n; ++j)
    if (!(std::fabs(a[j] - s * b[j]) <= tol)) return false;
  return true;
}

double Det3(double a00, double a01, double a02, double a10, double a11, double a12, double a20, double a21,
            double a22) {
  return a00 * (a11 * a22 - a12 * a21) - a01 * (a10 * a22 - a12 * a20) + a02 * (a10 * a21 - a11 * a20);
}

}  // namespace detail_VectorMath

bool AreParallel(const double* a, const double* b, double tol) {
  return detail_VectorMath::ParallelN(a, b, 3, tol);
}

bool AreParallel4(const double* a, const double* b, double tol) {
  return detail_VectorMath::ParallelN(a, b, 4, tol);
}

bool AreDependent4(const double* a, const double* b, const double* c, double tol) {
  const double limit = 100.0 * tol * tol;
  // Each minor leaves out one of the four columns.
  for (int skip = 0; skip < 4; ++skip) {
    int col[3];
    for (int j = 0, n = 0; j < 4; ++j)
      if (j != skip) col[n++] = j;
    const double det = detail_VectorMath::Det3(a[col[0]], a[col[1]], a[col[2]], b[col[0]], b[col[1]], b[col[2]],
                                               c[col[0]], c[col[1]], c[col[2]]);
    if (!(std::fabs(det) <= limit)) return false;
  }
  return true;
}

// ---- Axis choice -----------------------------------------------------------------

int LargestAxis(const double* v) {
  const double x = std::fabs(v[0]);
  const double y = std::fabs(v[1]);
  const double z = std::fabs(v[2]);
  if (x > y && x > z) return 0;
  if (y >= x && y > z) return 1;
  return 2;
}

int DominantAxisOfDifference(const double* a, const double* b) {
  double d[3];
  Subtract(d, b, a);
  return LargestAxis(d);
}

int SmallestAxis(const double* v) {
  const double x = std::fabs(v[0]);
  const double y = std::fabs(v[1]);
  const double z = std::fabs(v[2]);
  if (x < y && x < z) return 0;
  if (y <= x && y < z) return 1;
  return 2;
}

int AxisWithin(const double* v, double tol) {
  const double x = std::fabs(v[0]);
  const double y = std::fabs(v[1]);
  const double z = std::fabs(v[2]);
  const bool yClearlyBelowX = y + tol <= x;
  const bool zClearlyBelowX = z + tol <= x;
  if (!yClearlyBelowX && !zClearlyBelowX) return 0;
  if (yClearlyBelowX) return z + tol <= y ? 2 : 1;
  return 2;
}

int DominantAxis4D(const double* v) {
  int best = 0;
  for (int k = 1; k < 4; ++k)
    if (std::fabs(v[k]) > std::fabs(v[best])) best = k;
  return best;
}

void PerpendicularByAxis(double* out, const double* v) {
  double e[3] = {0.0, 0.0, 0.0};
  e[SmallestAxis(v)] = 1.0;
  Cross(out, v, e);
}

// ---- Angles --------------------------------------------------------------------

double AngleBetween(const double* a, const double* b) {
  // Half the chord between the unit vectors is the sine of half the angle; unlike
  // acos of the dot product it keeps its accuracy where the angle is near 0 or pi.
  double d[3];
  if (Dot(a, b) >= 0.0) {
    Subtract(d, a, b);
    return 2.0 * std::asin(std::fmin(1.0, std::sqrt(Dot(d, d)) / 2.0));
  }
  Add(d, a, b);
  return std::numbers::pi - 2.0 * std::asin(std::fmin(1.0, std::sqrt(Dot(d, d)) / 2.0));
}

double PseudoAngle(const double* v) {
  const double ax = std::fabs(v[0]);
  const double ay = std::fabs(v[1]);
  // The zero vector has no direction; 0 keeps sorts on the result well defined.
  if (ax == 0.0 && ay == 0.0) return 0.0;
  double d = ax >= ay ? ay / ax : 2.0 - ax / ay;
  if (v[0] < 0.0) d = 4.0 - d;
  if (v[1] < 0.0) d = -d;
  return d;
}

// ---- Matrices --------------------------------------------------------------------

void MatrixTimesMatrix(double* out, const double* a, const double* b) {
  double r[9];
  for (int col = 0; col < 3; ++col)
    for (int row = 0; row < 3; ++row)
      r[3 * col + row] = a[row] * b[3 * col] + a[3 + row] * b[3 * col + 1] + a[6 + row] * b[3 * col + 2];
  for (int k = 0; k < 9; ++k) out[k] = r[k];
}

void ScaleMatrix(double* m, double s) {
  for (int k = 0; k < 9; ++k) m[k] *= s;
}

void MatrixFromRows(double* out, const double* r0, const double* r1, const double* r2) {
  const double r[9] = {r0[0], r1[0], r2[0], r0[1], r1[1], r2[1], r0[2], r1[2], r2[2]};
  for (int k = 0; k < 9; ++k) out[k] = r[k];
}

void MatrixFromColumns(double* out, const double* c0, const double* c1, const double* c2) {
  const double r[9] = {c0[0], c0[1], c0[2], c1[0], c1[1], c1[2], c2[0], c2[1], c2[2]};
  for (int k = 0; k < 9; ++k) out[k] = r[k];
}

void AxisRotationMatrix(double* out, int axis, double angle) {
  detail_VectorMath::FillAxisRotation(out, axis, std::cos(angle), std::sin(angle));
}

void AxisRotationMatrixExact(double* out, int axis, int i, int n) {
  double s = 0.0;
  double c = 0.0;
  GetSinCos(i, n, s, c);
  detail_VectorMath::FillAxisRotation(out, axis, c, s);
}

void AxisAngleRotationMatrix(double* out, const double* axis, double angle) {
  double k[3];
  if (!NormaliseVector(k, axis)) {
    for (int i = 0; i < 9; ++i) out[i] = (i % 4 == 0) ? 1.0 : 0.0;
    return;
  }
  // Rodrigues: R = c I + s [k]x + (1 - c) k k^T, written in column order.
  double c = std::cos(angle);
  double s = std::sin(angle);
  double t = 1.0 - c;
  out[0] = c + t * k[0] * k[0];
  out[1] = t * k[0] * k[1] + s * k[2];
  out[2] = t * k[0] * k[2] - s * k[1];
  out[3] = t * k[0] * k[1] - s * k[2];
  out[4] = c + t * k[1] * k[1];
  out[5] = t * k[1] * k[2] + s * k[0];
  out[6] = t * k[0] * k[2] + s * k[1];
  out[7] = t * k[1] * k[2] - s * k[0];
  out[8] = c + t * k[2] * k[2];
}

// ---- Transforms ------------------------------------------------------------------

void SetTransformFromRows(Transform3D& t, const double* origin, const double* r0, const double* r1, const double* r2) {
  double o[3];
  CopyVector(o, origin);  // origin may lie inside t
  MatrixFromRows(t.m, r0, r1, r2);
  MatrixTimesVector(t.m, t.m + 9, o);
  Negate(t.m + 9);
}

void SetTransformFromColumns(Transform3D& t, const double* origin, const double* c0, const double* c1,
                             const double* c2) {
  double o[3];
  CopyVector(o, origin);
  MatrixFromColumns(t.m, c0, c1, c2);
  CopyVector(t.m + 9, o);
}

void ComposeTransforms(Transform3D& out, const Transform3D& a, const Transform3D& b) {
  Transform3D r;
  MatrixTimesMatrix(r.m, a.m, b.m);
  MatrixTimesVector(a.m, r.m + 9, b.m + 9);
  AddTo(r.m + 9, a.m + 9);
  out = r;
}

void SetAxisRotation(Transform3D& t, int axis, double angle) {
  AxisRotationMatrix(t.m, axis, angle);
  t.m[9] = t.m[10] = t.m[11] = 0.0;
}

void TransformPoint(const Transform3D& t, double* out, const double* p) {
  double r[3];
  MatrixTimesVector(t.m, r, p);
  Add(out, r, t.m + 9);
}

// ---- Point identity ------------------------------------------------------------

bool PointsEqual(const double* a, const double* b) {
  return a[0] == b[0] && a[1] == b[1] && a[2] == b[2];
}

SegmentKey::SegmentKey(const double* a, const double* b, void* payload) : mPayload(payload) {
  if (CompareWithin(b, a, kPointTolerance) < 0) {
    mFirst = b;
    mSecond = a;
  } else {
    mFirst = a;
    mSecond = b;
  }
}

bool SegmentKey::operator==(const SegmentKey& other) const {
  // Two ends within the tolerance of each other may have been stored either way
  // round, so the swapped pairing is checked too.
  if (NearlyEqual(mFirst, other.mFirst, kPointTolerance) && NearlyEqual(mSecond, other.mSecond, kPointTolerance))
    return true;
  return NearlyEqual(mFirst, other.mSecond, kPointTolerance) && NearlyEqual(mSecond, other.mFirst, kPointTolerance);
}

}  // namespace corvia
