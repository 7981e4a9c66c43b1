#include "core/Geometry.h"

#include <cmath>

#include <gtest/gtest.h>

#include "tests/support/TestSupport.h"

namespace corvia {
namespace test_Geometry {

struct SegmentCase {
  double a[2], b[2], c[2], d[2];
  int code;
};

TEST(GeometryTest, IntersectSegments2DCodes) {
  const SegmentCase cases[] = {
      {{0, 0}, {2, 2}, {0, 2}, {2, 0}, kSegmentsCross},
      {{0, 0}, {2, 0}, {1, 0}, {1, 1}, kSegmentsCInsideAB},
      {{0, 0}, {2, 0}, {1, 1}, {1, 0}, kSegmentsDInsideAB},
      {{1, 0}, {1, 1}, {0, 0}, {2, 0}, kSegmentsAInsideCD},
      {{1, 1}, {1, 0}, {0, 0}, {2, 0}, kSegmentsBInsideCD},
      {{0, 0}, {2, 0}, {2, 0}, {3, 1}, kSegmentsBMeetsC},
      {{0, 0}, {2, 0}, {0, 0}, {-1, 1}, kSegmentsAMeetsC},
      {{0, 0}, {2, 0}, {-1, 1}, {0, 0}, kSegmentsAMeetsD},
      {{0, 0}, {2, 0}, {3, 1}, {2, 0}, kSegmentsBMeetsD},
      {{0, 0}, {2, 0}, {0, 0}, {2, 0}, kSegmentsSameExtentSameWay},
      {{0, 0}, {2, 0}, {2, 0}, {0, 0}, kSegmentsSameExtentOpposite},
      {{0, 0}, {1, 0}, {0, 1}, {1, 1}, kSegmentsApart},
      {{0, 0}, {1, 0}, {2, 0}, {3, 0}, kSegmentsApart},
      {{0, 0}, {1, 1}, {3, 0}, {2, 1}, kSegmentsApart},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IntersectSegments2D(c.a, c.b, c.c, c.d, 1e-7, nullptr, nullptr), c.code)
        << c.a[0] << "," << c.a[1] << " " << c.b[0] << "," << c.b[1] << " / " << c.c[0] << "," << c.c[1] << " "
        << c.d[0] << "," << c.d[1];
  }
}

TEST(GeometryTest, IntersectSegments2DPoints) {
  const double a[2] = {0, 0}, b[2] = {2, 2}, c[2] = {0, 2}, d[2] = {2, 0};
  double p[2], q[2];
  EXPECT_EQ(IntersectSegments2D(a, b, c, d, 1e-7, p, nullptr), kSegmentsCross);
  EXPECT_NEAR(p[0], 1.0, 1e-12);
  EXPECT_NEAR(p[1], 1.0, 1e-12);

  const double h0[2] = {0, 0}, h2[2] = {2, 0}, h1[2] = {1, 0}, h3[2] = {3, 0}, v1[2] = {1, 1};
  EXPECT_EQ(IntersectSegments2D(h0, h2, h1, v1, 1e-7, p, nullptr), kSegmentsCInsideAB);
  EXPECT_NEAR(p[0], 1.0, 1e-12);
  EXPECT_NEAR(p[1], 0.0, 1e-12);

  EXPECT_EQ(IntersectSegments2D(h0, h2, h1, h3, 1e-7, p, q), kSegmentsPartialOverlap);
  EXPECT_EQ(p[0], 1.0);
  EXPECT_EQ(q[0], 2.0);
  EXPECT_EQ(IntersectSegments2D(h3, h1, h0, h2, 1e-7, p, q), kSegmentsPartialOverlap);
  EXPECT_EQ(p[0], 2.0);
  EXPECT_EQ(q[0], 1.0);
}

TEST(GeometryTest, ZeroLengthSegmentIsAPoint) {
  // A segment of no length has no line; it meets the other segment only where it lies on it.
  const double a[2] = {1, 0}, c[2] = {0, 0}, d[2] = {2, 0}, off[2] = {1, 1};
  double p[2] = {-5, -5};
  EXPECT_EQ(IntersectSegments2D(a, a, c, d, 1e-7, p, nullptr), kSegmentsAInsideCD);
  EXPECT_EQ(p[0], 1.0);
  EXPECT_EQ(IntersectSegments2D(c, d, a, a, 1e-7, p, nullptr), kSegmentsCInsideAB);
  EXPECT_EQ(IntersectSegments2D(off, off, c, d, 1e-7, p, nullptr), kSegmentsApart);
  EXPECT_EQ(IntersectSegments2D(c, c, c, c, 1e-7, p, nullptr), kSegmentsAMeetsC);
  EXPECT_EQ(IntersectSegments2D(c, c, d, d, 1e-7, p, nullptr), kSegmentsApart);
}

TEST(GeometryTest, IntersectSegments3D) {
  const double a[3] = {0, 0, 0}, b[3] = {2, 2, 0}, c[3] = {0, 2, 0}, d[3] = {2, 0, 0};
  const double c1[3] = {0, 2, 1}, d1[3] = {2, 0, 1};
  double p[3];
  EXPECT_EQ(IntersectSegments3D(a, b, c, d, 1e-7, p, nullptr), kSegmentsCross);
  EXPECT_NEAR(p[0], 1.0, 1e-12);
  EXPECT_NEAR(p[1], 1.0, 1e-12);
  EXPECT_NEAR(p[2], 0.0, 1e-12);
  EXPECT_EQ(IntersectSegments3D(a, b, c1, d1, 1e-7, p, nullptr), kSegmentsNotCoplanar);

  // Parallel segments five units apart do not touch, though their projections coincide.
  const double e0[3] = {0, 0, 0}, e1[3] = {1, 0, 0}, f0[3] = {0, 5, 0}, f1[3] = {1, 5, 0};
  EXPECT_EQ(IntersectSegments3D(e0, e1, f0, f1, 1e-7, nullptr, nullptr), kSegmentsApart);
  const double g0[3] = {0.5, 0, 0}, g1[3] = {3, 0, 0};
  double q[3];
  EXPECT_EQ(IntersectSegments3D(e0, e1, g0, g1, 1e-7, p, q), kSegmentsPartialOverlap);
  EXPECT_NEAR(p[0], 0.5, 1e-12);
  EXPECT_NEAR(q[0], 1.0, 1e-12);
}

TEST(GeometryTest, CircleTriangleArcs) {
  const double tri[6] = {0, 0, 10, 0, 0, 10};
  double s[6], e[6];
  auto arcs = [&](double cx, double cy, double r) {
    const double c[2] = {cx, cy};
    return IntersectCircleTriangle2D(c, r, tri, s, e);
  };
  ASSERT_EQ(arcs(2, 2, 1), 1);
  EXPECT_DOUBLE_EQ(s[0], 3.0);
  EXPECT_DOUBLE_EQ(e[1], 2.0);
  ASSERT_EQ(arcs(2, 2, 2), 1);
  EXPECT_DOUBLE_EQ(s[0], 4.0);
  ASSERT_EQ(arcs(0, 0, 1), 1);
  EXPECT_NEAR(s[0], 1.0, 1e-9);
  EXPECT_NEAR(s[1], 0.0, 1e-9);
  EXPECT_NEAR(e[0], 0.0, 1e-9);
  EXPECT_NEAR(e[1], 1.0, 1e-9);
  ASSERT_EQ(arcs(3, 3, 4), 3);
  const double r7 = std::sqrt(7.0);
  const double want[12] = {3 + r7, 0, 7, 3, 3, 7, 0, 3 + r7, 0, 3 - r7, 3 - r7, 0};
  for (int j = 0; j < 3; ++j) {
    EXPECT_NEAR(s[2 * j], want[4 * j], 1e-9);
    EXPECT_NEAR(s[2 * j + 1], want[4 * j + 1], 1e-9);
    EXPECT_NEAR(e[2 * j], want[4 * j + 2], 1e-9);
    EXPECT_NEAR(e[2 * j + 1], want[4 * j + 3], 1e-9);
  }
  EXPECT_EQ(arcs(0, 0, 10), 0);
  EXPECT_EQ(arcs(20, 20, 1), 0);
  // Crossings at a corner are counted once.
  ASSERT_EQ(arcs(-3, 4, 5), 1);
  EXPECT_NEAR(s[0], 0.0, 1e-9);
  EXPECT_NEAR(s[1], 0.0, 1e-9);
  EXPECT_NEAR(e[0], 0.0, 1e-9);
  EXPECT_NEAR(e[1], 8.0, 1e-9);
  ASSERT_EQ(arcs(13, 4, 5), 1);
  EXPECT_NEAR(s[0], 9.0, 1e-9);
  EXPECT_NEAR(s[1], 1.0, 1e-9);
  EXPECT_NEAR(e[0], 10.0, 1e-9);
  EXPECT_NEAR(e[1], 0.0, 1e-9);
}

TEST(GeometryTest, Projections4D) {
  const double p[4] = {1, 2, 3, 4}, n[4] = {0, 0, 0, 1};
  double out[4];
  ProjectPointOntoHyperplane4D(out, p, n);
  EXPECT_EQ(out[3], 0.0);
  EXPECT_EQ(out[2], 3.0);
  const double n2[4] = {2, 0, 0, 0}, q[4] = {0, 5, 0, 0}, qp[4] = {3, 0, 0, 0};
  ProjectOntoHyperplane4D(out, p, n2, q, 1e-7);
  EXPECT_NEAR(out[0], 0, 1e-12);
  EXPECT_NEAR(out[1], 0, 1e-12);
  EXPECT_NEAR(out[2], 3, 1e-12);
  EXPECT_NEAR(out[3], 4, 1e-12);
  ProjectOntoHyperplane4D(out, p, n2, qp, 1e-7);
  EXPECT_NEAR(out[1], 2, 1e-12);
  EXPECT_NEAR(out[0], 0, 1e-12);
}

TEST(GeometryTest, QuadrantsAndWinding) {
  const double o[2] = {0, 0}, x[2] = {1, 0};
  EXPECT_EQ(GetQuadrant2D(o), 2);
  EXPECT_EQ(GetQuadrant2D(x), 3);
  // A square round the origin winds four quarter turns anticlockwise.
  const double pts[5][2] = {{1, 1}, {-1, 1}, {-1, -1}, {1, -1}, {1, 1}};
  double prev[2] = {1, 1};
  int quadrant = GetQuadrant2D(prev);
  int total = 0;
  for (int i = 1; i < 5; ++i) total += GetQuadrantWinding2D(pts[i], prev, quadrant, 1e-7);
  EXPECT_EQ(total, 4);
}

TEST(GeometryTest, PlanesLinesAndSpheres) {
  const double n1[3] = {1, 0, 0}, n2[3] = {0, 1, 0};
  double p[3], dir[3];
  ASSERT_TRUE(IntersectPlanes(p, dir, n1, -1.0, n2, -2.0, 1e-7));
  EXPECT_NEAR(p[0], 1.0, 1e-12);
  EXPECT_NEAR(p[1], 2.0, 1e-12);
  EXPECT_FALSE(IntersectPlanes(p, dir, n1, -1.0, n1, -2.0, 1e-7));

  const double a[3] = {0, 0, -1}, b[3] = {0, 0, 1}, c[3] = {1, 0, 1}, up[3] = {0, 0, 1};
  EXPECT_TRUE(SegmentCrossesPlane(p, up, 0.0, a, b, 1e-7));
  EXPECT_NEAR(p[2], 0.0, 1e-12);
  // Lying in a parallel plane: no crossing point, and no claim of one.
  EXPECT_FALSE(SegmentCrossesPlane(p, up, -1.0, b, c, 1e-7));

  const double s1[3] = {1, 0, 0}, s2[3] = {-1, 0, 0}, s3[3] = {0, 1, 0}, s4[3] = {0, 0, 1};
  double centre[3];
  ASSERT_TRUE(SphereThroughFourPoints(centre, s1, s2, s3, s4, 1e-7));
  EXPECT_NEAR(centre[0], -1.0, 1e-12);  // measured from the first point
  EXPECT_NEAR(centre[1], 0.0, 1e-12);
  const double flat4[3] = {0, -1, 0};
  EXPECT_FALSE(SphereThroughFourPoints(centre, s1, s2, s3, flat4, 1e-7));

  double u[4], w[4];
  const double q0[4] = {0, 0, 0, 0}, q1[4] = {2, 0, 0, 0}, q2[4] = {1, 3, 0, 0}, q3[4] = {4, 0, 0, 0};
  ASSERT_TRUE(MakePlaneBasis4D(u, w, q0, q1, q2, 1e-7));
  EXPECT_NEAR(u[0], 1.0, 1e-12);
  EXPECT_NEAR(w[1], 1.0, 1e-12);
  EXPECT_FALSE(MakePlaneBasis4D(u, w, q0, q1, q3, 1e-7));
}

TEST(GeometryTest, DistancesAndClosestPoints) {
  const double a[3] = {0, 0, 0}, b[3] = {2, 0, 0}, p[3] = {1, 3, 0};
  EXPECT_NEAR(DistancePointToLine3D(a, b, p, 1e-7), 3.0, 1e-12);
  double foot[3];
  EXPECT_NEAR(ClosestPointOnLine(foot, p, a, b, 1e-7), 0.5, 1e-12);
  EXPECT_EQ(ClosestPointOnLine(foot, p, a, a, 1e-7), 0.0);
  const double l0[3] = {0, 0, 0}, l1[3] = {1, 0, 0}, m0[3] = {0, -1, 2}, m1[3] = {0, 1, 2};
  double pa[3], pb[3], t[2];
  EXPECT_NEAR(std::fabs(ClosestPointsOfLines3D(pa, pb, t, l0, l1, m0, m1, 1e-7)), 2.0, 1e-12);
  EXPECT_NEAR(t[0], 0.0, 1e-12);
  EXPECT_NEAR(t[1], 0.5, 1e-12);
  const double q2[2] = {1, -1}, q3[2] = {1, 1};
  EXPECT_NEAR(DistanceOfLineFromOrigin2D(q2, q3), 1.0, 1e-12);
  const double tri[6] = {0, 0, 2, 0, 0, 2}, in[2] = {0.5, 0.5}, out[2] = {2, 2}, level[2] = {1, 0};
  EXPECT_TRUE(IsPointInTriangle2D(in, tri));
  EXPECT_FALSE(IsPointInTriangle2D(out, tri));
  const double flat[6] = {0, 0, 1, 0, 2, 0};
  EXPECT_FALSE(IsPointInTriangle2D(level, flat));
}

TEST(GeometryTest, TolerantPointListSnapsNewPoints) {
  TolerantPointList list(1e-7);
  bool added = false;
  const double p[3] = {1e-9, 5, 0};
  EXPECT_EQ(list.FindOrAdd(p, &added), 0);
  EXPECT_TRUE(added);
  EXPECT_EQ(list.Head()->x, 0.0);
  const double near[3] = {5e-8, 5 + 5e-8, 0}, other[3] = {1, 1, 1};
  EXPECT_EQ(list.FindOrAdd(near, &added), 0);
  EXPECT_FALSE(added);
  EXPECT_EQ(list.FindOrAdd(other, &added), 1);
  EXPECT_EQ(list.Find(other), 1);
  const double missing[3] = {9, 9, 9};
  EXPECT_EQ(list.Find(missing), -1);
  EXPECT_EQ(list.Count(), 2);
}

}  // namespace test_Geometry
}  // namespace corvia
