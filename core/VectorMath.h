#pragma once
// The arithmetic every geometric part is written in.
//
// A vector is a plain double[3] (x, y, z) owned by the caller; a 4D vector a
// double[4]; colour-like triples float[3]. A matrix is a double[9] in column order:
// element (row r, column c) is entry 3c + r, and a matrix times a vector gives
// row r = sum over c of m[3c + r] * v[c]. Unless a function says otherwise, its
// result may be written over one of its inputs.
//
// Tolerances are the caller's; every comparison within a tolerance is a closed
// interval, |a - b| <= tol.

#include <cmath>

#include "core/Tolerances.h"

namespace corvia {

// An affine map: a 3x3 matrix (column order) followed by a translation. It maps a
// point p to M p + t. Plain data, so that it can be handed on as a double[12].
struct Transform3D {
  double m[12];

  double* Matrix() { return m; }
  const double* Matrix() const { return m; }
  double* Translation() { return m + 9; }
  const double* Translation() const { return m + 9; }
};

// ---- Vector arithmetic -----------------------------------------------------------

// The small operations are defined here, inline: they sit in the innermost loops of
// the symmetry search, the set-up and the hull.

inline double Dot(const double* a, const double* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

inline void Cross(double* out, const double* a, const double* b) {
  const double x = a[1] * b[2] - a[2] * b[1];
  const double y = a[2] * b[0] - a[0] * b[2];
  const double z = a[0] * b[1] - a[1] * b[0];
  out[0] = x;
  out[1] = y;
  out[2] = z;
}

inline void Add(double* out, const double* a, const double* b) {
  for (int k = 0; k < 3; ++k) out[k] = a[k] + b[k];
}

inline void Subtract(double* out, const double* a, const double* b) {
  for (int k = 0; k < 3; ++k) out[k] = a[k] - b[k];
}

inline void AddTo(double* a, const double* b) {
  for (int k = 0; k < 3; ++k) a[k] += b[k];
}

inline void Scale(double* out, const double* v, double s) {
  for (int k = 0; k < 3; ++k) out[k] = v[k] * s;
}

// origin + t direction.
void PointAlongRay(const double* origin, const double* direction, double t, double* out);

inline void Divide(double* out, const double* v, double s) {
  for (int k = 0; k < 3; ++k) out[k] = v[k] / s;
}

void Negate(double* v);
void NegateInto(double* out, const double* v);

inline void CopyVector(double* out, const double* v) {
  for (int k = 0; k < 3; ++k) out[k] = v[k];
}
void CopyFloat3(float* out, const float* v);
// a + (b - a) * t, worked in double.
void LerpFloat3(float* out, const float* a, const float* b, double t);
// (b - a) x (c - b), not normalised.
void TriangleNormal(double* out, const double* a, const double* b, const double* c);
// Rounds halves away from zero; values beyond the int range saturate, NaN gives 0.
int RoundToInt(float x);
// Euclidean length.
double VectorLength(const double* v);
// v scaled to unit length; false (out untouched) when v is shorter than 1e-300.
bool NormaliseVector(double* out, const double* v);

// ---- Tolerant tests ----------------------------------------------------------------

inline bool NearlyEqual(const double* a, const double* b, double tol) {
  for (int k = 0; k < 3; ++k)
    if (!(std::fabs(a[k] - b[k]) <= tol)) return false;
  return true;
}

inline bool NearlyOpposite(const double* a, const double* b, double tol) {
  for (int k = 0; k < 3; ++k)
    if (!(std::fabs(a[k] + b[k]) <= tol)) return false;
  return true;
}

// Lexicographic three-way compare on x, then y, then z: a component that lies
// within tol of the other's ties and passes to the next. -1, 0 or 1.
int CompareWithin(const double* a, const double* b, double tol);
// Sets every component within tol of 0 to exactly 0.
void SnapNearZero(double* v, double tol);
// The direction of n (or of -n) whose first component outside tol of 0 is positive, so
// that the normals of one plane, whichever way they face, compare equal; a (near)
// zero n is copied unchanged.
void CanonicalDirection(double* out, const double* n, double tol);
// Same or opposite direction, any length; a (near) zero b is parallel to all.
bool AreParallel(const double* a, const double* b, double tol);
bool AreParallel4(const double* a, const double* b, double tol);
// The 4D vectors a, b, c are linearly dependent: all four 3x3 minors of the matrix
// with rows a, b, c lie within 100 tol^2 of 0.
bool AreDependent4(const double* a, const double* b, const double* c, double tol);

// ---- Axis choice (0 x, 1 y, 2 z; on absolute values) -----------------------------

// Largest component: an x-y tie goes to y, any tie with z goes to z.
int LargestAxis(const double* v);
int DominantAxisOfDifference(const double* a, const double* b);
// Smallest component: an x-y tie goes to y, any tie with z goes to z.
int SmallestAxis(const double* v);
// Smallest component, with a margin tol that favours the earlier axis.
int AxisWithin(const double* v, double tol);
// Index 0-3 of the largest absolute component of a double[4]; ties go to the first.
int DominantAxis4D(const double* v);
// v x e, e the unit vector along v's SmallestAxis: a vector perpendicular to v.
void PerpendicularByAxis(double* out, const double* v);

// ---- Angles --------------------------------------------------------------------

// Angle between two unit vectors, accurate near 0 and pi.
double AngleBetween(const double* a, const double* b);
// A monotonic stand-in for the angle of the 2D vector (v[0], v[1]) over (-4, 4]:
// 0 along +x, 1 at 45 degrees, 2 at 90, 4 at 180, negative below the x axis.
// The zero vector gives 0.
double PseudoAngle(const double* v);

// ---- Matrices --------------------------------------------------------------------

inline void MatrixTimesVector(const double* m, double* out, const double* v) {
  double r[3];
  for (int row = 0; row < 3; ++row) r[row] = m[row] * v[0] + m[3 + row] * v[1] + m[6 + row] * v[2];
  CopyVector(out, r);
}
// a b: apply b, then a.
void MatrixTimesMatrix(double* out, const double* a, const double* b);
void ScaleMatrix(double* m, double s);
void MatrixFromRows(double* out, const double* r0, const double* r1, const double* r2);
void MatrixFromColumns(double* out, const double* c0, const double* c1, const double* c2);
// Right-handed rotation by angle (radians) about axis 0 (x), 1 (y) or 2 (z). Any
// other axis value means z, here and in every axis rotation below.
void AxisRotationMatrix(double* out, int axis, double angle);
// The same for the angle 2 pi i / n, exact for multiples of 1/240 turn.
void AxisRotationMatrixExact(double* out, int axis, int i, int n);
// Right-handed rotation by angle (radians) about any axis through the origin (its
// length does not matter); the identity for a zero axis.
void AxisAngleRotationMatrix(double* out, const double* axis, double angle);

// ---- Transforms ------------------------------------------------------------------

// World to frame: the matrix rows are the frame axes, the translation -(M origin).
void SetTransformFromRows(Transform3D& t, const double* origin, const double* r0, const double* r1, const double* r2);
// Frame to world: the matrix columns are the frame axes, the translation origin.
void SetTransformFromColumns(Transform3D& t, const double* origin, const double* c0, const double* c1,
                             const double* c2);
// Apply b, then a. out may be a or b.
void ComposeTransforms(Transform3D& out, const Transform3D& a, const Transform3D& b);
// An axis rotation with zero translation.
void SetAxisRotation(Transform3D& t, int axis, double angle);
// M p + t.
void TransformPoint(const Transform3D& t, double* out, const double* p);

// ---- Point identity ------------------------------------------------------------

// Exact equality of the three components.
bool PointsEqual(const double* a, const double* b);

// An undirected segment: the end that CompareWithin (tolerance kPointTolerance)
// ranks first is stored first, so one segment given either way round has one key.
// The key refers to the caller's points; it does not copy them.
struct SegmentKey {
  const double* mFirst = nullptr;
  const double* mSecond = nullptr;
  void* mPayload = nullptr;

  SegmentKey() = default;
  SegmentKey(const double* a, const double* b, void* payload = nullptr);

  // Same ends (within kPointTolerance) in the same or the swapped order.
  bool operator==(const SegmentKey& other) const;
};

}  // namespace corvia
