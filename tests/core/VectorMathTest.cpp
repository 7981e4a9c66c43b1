#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <numbers>

#include "core/IntMath.h"
#include "core/VectorMath.h"

namespace {

using corvia::Transform3D;

constexpr double kPi = std::numbers::pi;

void ExpectVector(const double* v, double x, double y, double z, double tol = 0.0) {
  EXPECT_NEAR(v[0], x, tol);
  EXPECT_NEAR(v[1], y, tol);
  EXPECT_NEAR(v[2], z, tol);
}

double Determinant(const double* m) {
  double c[3];
  corvia::Cross(c, m + 3, m + 6);
  return corvia::Dot(m, c);
}

// Largest deviation of M^T M from the identity.
double OrthonormalError(const double* m) {
  double worst = 0.0;
  for (int a = 0; a < 3; ++a)
    for (int b = 0; b < 3; ++b)
      worst = std::fmax(worst, std::fabs(corvia::Dot(m + 3 * a, m + 3 * b) - (a == b ? 1.0 : 0.0)));
  return worst;
}

// An orthonormal right-handed frame, turned away from the world axes.
void MakeFrame(double* r0, double* r1, double* r2) {
  double m[9];
  double ry[9];
  corvia::AxisRotationMatrix(m, 0, 0.3);
  corvia::AxisRotationMatrix(ry, 1, -1.1);
  corvia::MatrixTimesMatrix(m, ry, m);
  corvia::AxisRotationMatrix(ry, 2, 2.4);
  corvia::MatrixTimesMatrix(m, ry, m);
  corvia::CopyVector(r0, m);
  corvia::CopyVector(r1, m + 3);
  corvia::CopyVector(r2, m + 6);
}

}  // namespace

TEST(VectorMathArithmetic, ResultsMayOverwriteInputs) {
  double a[3] = {1, 2, 3};
  const double b[3] = {4, 5, 6};
  corvia::Cross(a, a, b);
  ExpectVector(a, -3, 6, -3);
  double n[3];
  const double p[3] = {0, 0, 0}, q[3] = {1, 0, 0}, r[3] = {1, 1, 0};
  corvia::TriangleNormal(n, p, q, r);
  ExpectVector(n, 0, 0, 1);
  double v[3] = {1, -2, 4};
  corvia::Divide(v, v, 2.0);
  corvia::AddTo(v, b);
  corvia::NegateInto(v, v);
  ExpectVector(v, -4.5, -4, -8);
}

TEST(VectorMathArithmetic, RoundToIntHalvesAwayFromZero) {
  EXPECT_EQ(corvia::RoundToInt(0.5f), 1);
  EXPECT_EQ(corvia::RoundToInt(-0.5f), -1);
  EXPECT_EQ(corvia::RoundToInt(2.5f), 3);
  EXPECT_EQ(corvia::RoundToInt(-2.5f), -3);
  EXPECT_EQ(corvia::RoundToInt(1.4999f), 1);
  // In float arithmetic 0.49999997f + 0.5f rounds to 1.
  EXPECT_EQ(corvia::RoundToInt(0.49999997f), 0);
  EXPECT_EQ(corvia::RoundToInt(-0.49999997f), 0);
  EXPECT_EQ(corvia::RoundToInt(1e10f), INT_MAX);
  EXPECT_EQ(corvia::RoundToInt(-1e10f), INT_MIN);
  EXPECT_EQ(corvia::RoundToInt(std::numeric_limits<float>::quiet_NaN()), 0);
}

TEST(VectorMathArithmetic, FloatTriples) {
  const float a[3] = {0.0f, 1.0f, -2.0f};
  const float b[3] = {1.0f, 3.0f, 2.0f};
  float out[3];
  corvia::LerpFloat3(out, a, b, 0.25);
  EXPECT_EQ(out[0], 0.25f);
  EXPECT_EQ(out[1], 1.5f);
  EXPECT_EQ(out[2], -1.0f);
  corvia::CopyFloat3(out, b);
  EXPECT_EQ(out[2], 2.0f);
}

TEST(VectorMathTolerance, CompareWithinIsLexicographicWithClosedTies) {
  const double a[3] = {0, 1, 5}, b[3] = {1e-8, 2, 0};
  EXPECT_EQ(corvia::CompareWithin(a, b, 1e-7), -1);  // x ties, y decides
  EXPECT_EQ(corvia::CompareWithin(b, a, 1e-7), 1);
  const double c[3] = {0, 1, 5.25}, d[3] = {0.25, 1, 5};
  EXPECT_EQ(corvia::CompareWithin(c, d, 0.25), 0);  // exactly tol apart still ties
  EXPECT_EQ(corvia::CompareWithin(c, d, 0.125), -1);
  const double e[3] = {0, 1, 5.5};
  EXPECT_EQ(corvia::CompareWithin(e, d, 0.25), 1);  // z decides after two ties
  EXPECT_EQ(corvia::CompareWithin(a, a, 0.0), 0);
}

TEST(VectorMathTolerance, EqualOppositeAndSnap) {
  const double a[3] = {1, -2, 3}, b[3] = {1 + 1e-8, -2, 3 - 1e-8}, c[3] = {-1, 2, -3 + 1e-8};
  EXPECT_TRUE(corvia::NearlyEqual(a, b, 1e-7));
  EXPECT_FALSE(corvia::NearlyEqual(a, c, 1e-7));
  EXPECT_TRUE(corvia::NearlyOpposite(a, c, 1e-7));
  EXPECT_FALSE(corvia::NearlyOpposite(a, b, 1e-7));
  double v[3] = {1e-7, -5e-8, 2e-7};
  corvia::SnapNearZero(v, 1e-7);
  EXPECT_EQ(v[0], 0.0);
  EXPECT_EQ(v[1], 0.0);
  EXPECT_EQ(v[2], 2e-7);
}

TEST(VectorMathTolerance, AreParallel) {
  const double zero[3] = {0, 0, 0}, a[3] = {1, 2, 3}, b[3] = {-2, -4, -6}, c[3] = {1, 2, 3.01};
  EXPECT_TRUE(corvia::AreParallel(a, zero, 1e-7));
  EXPECT_TRUE(corvia::AreParallel(zero, a, 1e-7));
  EXPECT_TRUE(corvia::AreParallel(a, b, 1e-7));
  EXPECT_TRUE(corvia::AreParallel(b, a, 1e-7));
  EXPECT_FALSE(corvia::AreParallel(a, c, 1e-7));
  EXPECT_TRUE(corvia::AreParallel(a, c, 0.01));
  const double p[4] = {1, 0, -1, 2}, q[4] = {3, 0, -3, 6}, r[4] = {3, 0, -3, 6.001};
  EXPECT_TRUE(corvia::AreParallel4(p, q, 1e-7));
  EXPECT_FALSE(corvia::AreParallel4(p, r, 1e-7));
}

TEST(VectorMathTolerance, AreDependent4) {
  const double a[4] = {1, 0, 0, 1}, b[4] = {0, 1, 0, 1}, c[4] = {2, -3, 0, -1}, d[4] = {0, 0, 1, 0};
  EXPECT_TRUE(corvia::AreDependent4(a, b, c, 1e-7));  // c = 2a - 3b
  EXPECT_FALSE(corvia::AreDependent4(a, b, d, 1e-7));
}

TEST(VectorMathAxes, LargestAndSmallestTieRules) {
  const double v110[3] = {1, 1, 0}, v101[3] = {1, 0, 1}, v000[3] = {0, 0, 0}, v011[3] = {0, -1, 1};
  const double vx[3] = {-3, 1, 2}, vy[3] = {1, -4, 2};
  EXPECT_EQ(corvia::LargestAxis(v110), 1);
  EXPECT_EQ(corvia::LargestAxis(v101), 2);
  EXPECT_EQ(corvia::LargestAxis(v000), 2);
  EXPECT_EQ(corvia::LargestAxis(v011), 2);
  EXPECT_EQ(corvia::LargestAxis(vx), 0);
  EXPECT_EQ(corvia::LargestAxis(vy), 1);

  const double s112[3] = {1, 1, 2}, s121[3] = {1, 2, 1}, s211[3] = {2, -1, 1};
  EXPECT_EQ(corvia::SmallestAxis(s112), 1);
  EXPECT_EQ(corvia::SmallestAxis(s121), 2);
  EXPECT_EQ(corvia::SmallestAxis(s211), 2);
  EXPECT_EQ(corvia::SmallestAxis(v000), 2);
  EXPECT_EQ(corvia::SmallestAxis(vx), 1);
  EXPECT_EQ(corvia::SmallestAxis(vy), 0);

  const double from[3] = {1, 1, 1}, to[3] = {1, -4, 2};
  EXPECT_EQ(corvia::DominantAxisOfDifference(from, to), 1);
  const double w[4] = {1, -3, 3, 2};
  EXPECT_EQ(corvia::DominantAxis4D(w), 1);
}

TEST(VectorMathAxes, AxisWithinFavoursEarlierAxes) {
  auto axis = [](double x, double y, double z) {
    const double v[3] = {x, y, z};
    return corvia::AxisWithin(v, 0.125);
  };
  EXPECT_EQ(axis(1, 1, 1), 0);
  EXPECT_EQ(axis(1, 0.9375, -0.9375), 0);  // neither is clearly smaller than x
  EXPECT_EQ(axis(1, 0.875, 1), 1);         // exactly tol below x counts
  EXPECT_EQ(axis(1, 0.5, 0.4375), 1);      // z not clearly below y
  EXPECT_EQ(axis(1, 0.5, 0.375), 2);
  EXPECT_EQ(axis(-1, 1, 0.5), 2);  // only z is clearly below x
}

TEST(VectorMathAxes, PerpendicularByAxis) {
  const double vs[3][3] = {{1, 2, 3}, {0, 0, 1}, {5, -0.1, 2}};
  for (const auto& v : vs) {
    double p[3];
    corvia::PerpendicularByAxis(p, v);
    EXPECT_EQ(corvia::Dot(p, v), 0.0);
    EXPECT_GT(corvia::Dot(p, p), 0.0);
  }
}

TEST(VectorMathAngles, AngleBetweenNearZeroAndPi) {
  const double a[3] = {1, 0, 0}, minusA[3] = {-1, 0, 0};
  EXPECT_EQ(corvia::AngleBetween(a, a), 0.0);
  EXPECT_DOUBLE_EQ(corvia::AngleBetween(a, minusA), kPi);
  // acos of the dot product would give 0 for both small angles.
  for (double t : {1e-9, 1e-6, 0.5, 2.0, kPi - 1e-6, kPi - 1e-9}) {
    const double b[3] = {std::cos(t), std::sin(t), 0};
    EXPECT_NEAR(corvia::AngleBetween(a, b), t, std::fmax(1e-6 * std::fmin(t, kPi - t), 1e-15)) << t;
  }
  const double c[3] = {0, 0, 1};
  EXPECT_DOUBLE_EQ(corvia::AngleBetween(a, c), kPi / 2);
}

TEST(VectorMathAngles, PseudoAngleIsMonotonic) {
  auto pa = [](double x, double y) {
    const double v[2] = {x, y};
    return corvia::PseudoAngle(v);
  };
  EXPECT_EQ(pa(1, 0), 0.0);
  EXPECT_EQ(pa(1, 1), 1.0);
  EXPECT_EQ(pa(0, 1), 2.0);
  EXPECT_EQ(pa(-1, 0), 4.0);
  EXPECT_EQ(pa(0, -1), -2.0);
  EXPECT_EQ(pa(0, 0), 0.0);
  double previous = -5.0;
  for (int k = -1799; k <= 1800; ++k) {
    const double t = k * kPi / 1800.0;
    const double p = pa(3.0 * std::cos(t), 3.0 * std::sin(t));
    EXPECT_GT(p, previous) << k;
    EXPECT_GT(p, -4.0);
    EXPECT_LE(p, 4.0);
    previous = p;
  }
}

TEST(VectorMathMatrices, RowsColumnsAndProducts) {
  const double r0[3] = {1, 2, 3}, r1[3] = {4, 5, 6}, r2[3] = {7, 8, 10};
  double rows[9], cols[9];
  corvia::MatrixFromRows(rows, r0, r1, r2);
  corvia::MatrixFromColumns(cols, r0, r1, r2);
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) EXPECT_EQ(rows[3 * c + r], cols[3 * r + c]);
  const double v[3] = {1, -1, 2};
  double out[3];
  corvia::MatrixTimesVector(rows, out, v);
  ExpectVector(out, corvia::Dot(r0, v), corvia::Dot(r1, v), corvia::Dot(r2, v));
  // (a b) v = a (b v), with the product written over a.
  double ab[9], bv[3], abv[3];
  corvia::MatrixTimesVector(cols, bv, v);
  corvia::MatrixTimesVector(rows, abv, bv);
  for (int k = 0; k < 9; ++k) ab[k] = rows[k];
  corvia::MatrixTimesMatrix(ab, ab, cols);
  corvia::MatrixTimesVector(ab, out, v);
  ExpectVector(out, abv[0], abv[1], abv[2]);
  corvia::ScaleMatrix(ab, 2.0);
  corvia::MatrixTimesVector(ab, out, v);
  ExpectVector(out, 2 * abv[0], 2 * abv[1], 2 * abv[2]);
}

TEST(VectorMathMatrices, RotationsAreOrthonormalAndRightHanded) {
  for (int axis = 0; axis < 3; ++axis) {
    for (double angle : {0.1, 1.0, -2.5, 3.0}) {
      double m[9];
      corvia::AxisRotationMatrix(m, axis, angle);
      EXPECT_LT(OrthonormalError(m), 1e-15);
      EXPECT_NEAR(Determinant(m), 1.0, 1e-15);
    }
    // A quarter turn about axis k takes axis k+1 to axis k+2.
    double m[9], e[3] = {0, 0, 0}, out[3];
    corvia::AxisRotationMatrixExact(m, axis, 1, 4);
    e[(axis + 1) % 3] = 1.0;
    corvia::MatrixTimesVector(m, out, e);
    for (int k = 0; k < 3; ++k) EXPECT_EQ(out[k], k == (axis + 2) % 3 ? 1.0 : 0.0);
  }
  // Any other axis value is z.
  double z[9], other[9];
  corvia::AxisRotationMatrix(z, 2, 0.7);
  corvia::AxisRotationMatrix(other, 5, 0.7);
  for (int k = 0; k < 9; ++k) EXPECT_EQ(z[k], other[k]);
}

TEST(VectorMathMatrices, RotationsAboutAnyAxis) {
  // About a coordinate axis they agree with the axis rotations, whatever the
  // axis's length.
  for (int axis = 0; axis < 3; ++axis) {
    double a[3] = {0, 0, 0}, m[9], expected[9];
    a[axis] = 2.5;
    corvia::AxisAngleRotationMatrix(m, a, 0.9);
    corvia::AxisRotationMatrix(expected, axis, 0.9);
    for (int k = 0; k < 9; ++k) EXPECT_NEAR(m[k], expected[k], 1e-15);
  }
  // The axis stays, the matrix is a rotation, and a third of a turn about (1, 1, 1)
  // cycles the coordinate axes.
  const double diagonal[3] = {1, 1, 1};
  double m[9], out[3];
  corvia::AxisAngleRotationMatrix(m, diagonal, 2 * kPi / 3);
  EXPECT_LT(OrthonormalError(m), 1e-15);
  EXPECT_NEAR(Determinant(m), 1.0, 1e-15);
  corvia::MatrixTimesVector(m, out, diagonal);
  ExpectVector(out, 1, 1, 1, 1e-15);
  const double x[3] = {1, 0, 0};
  corvia::MatrixTimesVector(m, out, x);
  ExpectVector(out, 0, 1, 0, 1e-15);
  // No axis: the identity.
  const double none[3] = {0, 0, 0};
  corvia::AxisAngleRotationMatrix(m, none, 1.0);
  for (int k = 0; k < 9; ++k) EXPECT_EQ(m[k], k % 4 == 0 ? 1.0 : 0.0);
  double unit[3];
  EXPECT_FALSE(corvia::NormaliseVector(unit, none));
  EXPECT_TRUE(corvia::NormaliseVector(unit, diagonal));
  EXPECT_NEAR(corvia::VectorLength(unit), 1.0, 1e-15);
}

TEST(VectorMathMatrices, ExactRotationsUseTheTable) {
  for (int axis = 0; axis < 3; ++axis) {
    for (int k = -240; k <= 480; k += 7) {
      double m[9], same[9], sine = 0.0, cosine = 0.0;
      corvia::AxisRotationMatrixExact(m, axis, k, 240);
      corvia::AxisRotationMatrixExact(same, axis, k + 240, 240);
      corvia::SinCosTable::Lookup(k, sine, cosine);
      const int a = (axis + 1) % 3, b = (axis + 2) % 3;  // the turned plane
      EXPECT_EQ(m[3 * a + a], cosine);
      EXPECT_EQ(m[3 * b + b], cosine);
      EXPECT_EQ(m[3 * a + b], sine);   // column a, row b
      EXPECT_EQ(m[3 * b + a], -sine);  // column b, row a
      EXPECT_EQ(m[3 * axis + axis], 1.0);
      for (int j = 0; j < 9; ++j) EXPECT_EQ(m[j], same[j]);
      EXPECT_LT(OrthonormalError(m), 1e-15);
    }
  }
  // One eighth of a turn is 30 steps; four quarter turns come back exactly.
  double eighth[9], steps[9];
  corvia::AxisRotationMatrixExact(eighth, 1, 1, 8);
  corvia::AxisRotationMatrixExact(steps, 1, 30, 240);
  for (int j = 0; j < 9; ++j) EXPECT_EQ(eighth[j], steps[j]);
  double quarter[9], full[9];
  corvia::AxisRotationMatrixExact(quarter, 2, 1, 4);
  corvia::AxisRotationMatrixExact(full, 2, 0, 1);
  for (int turn = 0; turn < 4; ++turn) corvia::MatrixTimesMatrix(full, quarter, full);
  for (int j = 0; j < 9; ++j) EXPECT_EQ(full[j], j % 4 == 0 ? 1.0 : 0.0);
}

TEST(VectorMathTransforms, RowsAndColumnsOfOneFrameAreInverse) {
  double r0[3], r1[3], r2[3];
  MakeFrame(r0, r1, r2);
  const double origin[3] = {0.5, -2.0, 3.25};
  Transform3D toFrame, toWorld, there, back;
  corvia::SetTransformFromRows(toFrame, origin, r0, r1, r2);
  corvia::SetTransformFromColumns(toWorld, origin, r0, r1, r2);
  corvia::ComposeTransforms(there, toFrame, toWorld);
  corvia::ComposeTransforms(back, toWorld, toFrame);
  for (const Transform3D* t : {&there, &back}) {
    for (int j = 0; j < 9; ++j) EXPECT_NEAR(t->m[j], j % 4 == 0 ? 1.0 : 0.0, 1e-15);
    ExpectVector(t->Translation(), 0, 0, 0, 1e-14);
  }
  double p[3];
  corvia::TransformPoint(toFrame, p, origin);
  ExpectVector(p, 0, 0, 0, 1e-15);
  const double unitX[3] = {1, 0, 0};
  corvia::TransformPoint(toWorld, p, unitX);
  ExpectVector(p, origin[0] + r0[0], origin[1] + r0[1], origin[2] + r0[2], 1e-15);
}

TEST(VectorMathTransforms, ComposeAppliesTheSecondFirst) {
  Transform3D a, b, ab;
  corvia::SetAxisRotation(a, 2, 0.5);
  a.m[9] = 1.0;
  a.m[10] = -2.0;
  double r0[3], r1[3], r2[3];
  MakeFrame(r0, r1, r2);
  const double origin[3] = {3, 1, -1};
  corvia::SetTransformFromColumns(b, origin, r0, r1, r2);
  corvia::ComposeTransforms(ab, a, b);
  const double p[3] = {0.25, -0.5, 2};
  double viaB[3], expected[3], got[3];
  corvia::TransformPoint(b, viaB, p);
  corvia::TransformPoint(a, expected, viaB);
  corvia::TransformPoint(ab, got, p);
  ExpectVector(got, expected[0], expected[1], expected[2], 1e-14);
  corvia::ComposeTransforms(a, a, b);  // written over an input
  for (int j = 0; j < 12; ++j) EXPECT_EQ(a.m[j], ab.m[j]);

  Transform3D z;
  corvia::SetAxisRotation(z, 9, 0.5);  // any other axis is z
  double m[9];
  corvia::AxisRotationMatrix(m, 2, 0.5);
  for (int j = 0; j < 9; ++j) EXPECT_EQ(z.m[j], m[j]);
  ExpectVector(z.Translation(), 0, 0, 0);
}

TEST(VectorMathPoints, ExactEqualityAndSegmentKeys) {
  const double p[3] = {1, 2, 3}, pSame[3] = {1, 2, 3}, pNear[3] = {1, 2, 3 + 1e-12}, q[3] = {1, 2, 4}, r[3] = {0, 5, 0};
  EXPECT_TRUE(corvia::PointsEqual(p, pSame));
  EXPECT_FALSE(corvia::PointsEqual(p, pNear));

  int payload = 0;
  const corvia::SegmentKey pq(p, q, &payload), qp(q, p);
  EXPECT_EQ(pq.mFirst, p);  // p ranks first (z decides)
  EXPECT_EQ(qp.mFirst, p);
  EXPECT_EQ(pq.mPayload, &payload);
  EXPECT_TRUE(pq == qp);
  EXPECT_TRUE(pq == corvia::SegmentKey(q, pNear));
  EXPECT_FALSE(pq == corvia::SegmentKey(p, r));
  EXPECT_FALSE(pq == corvia::SegmentKey(p, p));
}
