#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "symmetry/SimplePoly.h"
#include "tests/support/TestSupport.h"
#include "tests/symmetry/SimplePolyTestModels.h"

namespace corvia {
namespace {

// A regular polygon {n/q} of circumradius r in the plane z = h, built in a fresh
// model; returns the face.
SimpleFace& MakePolygon(SimplePoly& poly, int n, int q, double r, double h) {
  const int first = poly.NumVerts();
  for (int i = 0; i < n; ++i) {
    const double a = 2 * std::numbers::pi * i / n;
    const double p[3] = {r * std::cos(a), r * std::sin(a), h};
    poly.AddVert().SetPos(p);
  }
  SimpleFace& f = poly.AddFace();
  f.SetNumVerts(n, q);
  for (int i = 0; i < n; ++i) f.SetVertIndex(i, first + (i * q) % n);
  return f;
}

double TriangleArea(const std::vector<int32_t>& idx, const std::vector<double>& pts, double* areaVector) {
  double total = 0;
  areaVector[0] = areaVector[1] = areaVector[2] = 0;
  for (size_t t = 0; t + 2 < idx.size(); t += 3) {
    const double* a = &pts[3 * static_cast<size_t>(idx[t])];
    const double* b = &pts[3 * static_cast<size_t>(idx[t + 1])];
    const double* c = &pts[3 * static_cast<size_t>(idx[t + 2])];
    double u[3], v[3], x[3];
    Subtract(u, b, a);
    Subtract(v, c, a);
    Cross(x, u, v);
    total += std::sqrt(Dot(x, x)) / 2;
    AddTo(areaVector, x);
  }
  return total;
}

TEST(SimplePolyFaces, CentroidRadiusArea) {
  SimplePoly poly;
  SimpleFace& hex = MakePolygon(poly, 6, 1, 2.0, 0.5);
  double c[3];
  hex.GetCentroid(c);
  EXPECT_NEAR(c[0], 0, 1e-12);
  EXPECT_NEAR(c[2], 0.5, 1e-12);
  EXPECT_NEAR(hex.GetCircumradius(), 2.0, 1e-12);
  double a[3];
  hex.AreaVector(a);
  // Twice the area of a regular hexagon of side 2: 2 * (3 sqrt 3 / 2) * 4.
  EXPECT_NEAR(a[2], 12 * std::sqrt(3.0), 1e-12);
  SimpleFace& empty = poly.AddFace();
  empty.SetNumVerts(0);
  empty.GetCentroid(c);
  EXPECT_EQ(c[0] + c[1] + c[2], 0.0);
  SimpleFace& two = poly.AddFace();
  two.SetNumVerts(2);
  two.SetVertIndex(0, 0);
  two.SetVertIndex(1, 1);
  two.AreaVector(a);
  EXPECT_EQ(a[0] + a[1] + a[2], 0.0);
  std::vector<int32_t> idx;
  std::vector<double> pts;
  EXPECT_EQ(two.Triangulate(idx, pts), 0);
  EXPECT_TRUE(idx.empty());
}

TEST(SimplePolyFaces, TriangulateConvexAndConcave) {
  SimplePoly poly;
  SimpleFace& hex = MakePolygon(poly, 6, 1, 2.0, 0.5);
  std::vector<int32_t> idx;
  std::vector<double> pts;
  ASSERT_EQ(hex.Triangulate(idx, pts), 4);
  double av[3];
  EXPECT_NEAR(TriangleArea(idx, pts, av), 6 * std::sqrt(3.0), 1e-9);
  EXPECT_GT(av[2], 0);  // wound like the face
  for (size_t i = 0; i < pts.size(); i += 3) EXPECT_NEAR(pts[i + 2], 0.5, 1e-12);
  // An L-shaped hexagon in the x-z plane: area 3.
  SimplePoly ell(6, 1);
  const double p[6][3] = {{0, 1, 0}, {2, 1, 0}, {2, 1, 1}, {1, 1, 1}, {1, 1, 2}, {0, 1, 2}};
  for (int i = 0; i < 6; ++i) ell.VertAt(i).SetPos(p[i]);
  ell.FaceAt(0).SetNumVerts(6);
  for (int i = 0; i < 6; ++i) ell.FaceAt(0).SetVertIndex(i, i);
  ASSERT_EQ(ell.FaceAt(0).Triangulate(idx, pts), 4);
  EXPECT_NEAR(TriangleArea(idx, pts, av), 3.0, 1e-9);
}

TEST(SimplePolyFaces, TriangulateStarFace) {
  SimplePoly poly;
  SimpleFace& star = MakePolygon(poly, 5, 2, 1.0, 0.0);
  std::vector<int32_t> idx;
  std::vector<double> pts;
  const int count = star.Triangulate(idx, pts);
  ASSERT_GT(count, 0);
  double av[3];
  const double area = TriangleArea(idx, pts, av);
  // The pentagram covers the inner pentagon and five tips. With R the
  // circumradius, the inner pentagon's circumradius is R (cos 72 / cos 36), and the
  // region is a decagon alternating between R and that radius.
  const double R = 1.0;
  const double r = R * std::cos(2 * std::numbers::pi / 5) / std::cos(std::numbers::pi / 5);
  const double expected = 10 * 0.5 * R * r * std::sin(std::numbers::pi / 5);
  EXPECT_NEAR(area, expected, 1e-9);
  // Every triangle lies in the plane and none overlaps another: the absolute and
  // signed areas agree.
  EXPECT_NEAR(std::fabs(av[2]) / 2, expected, 1e-9);
}

TEST(SimplePolyFaces, SolidAngleOfCentralFaceIsZero) {
  SimplePoly poly;
  SimpleFace& sq = MakePolygon(poly, 4, 1, 1.0, 0.0);
  sq.normal[0] = 0;
  sq.normal[1] = 0;
  sq.normal[2] = 1;
  EXPECT_EQ(sq.CalcSolidAngle(), 0.0);
}

TEST(SimplePolyFaces, SolidAngleOfCubeFace) {
  auto cube = testmodels::MakeCubes({{-1, -1, -1}}, 2);
  cube->CalcFaceNormals(true);
  // Seen from the centre, one face of a cube covers 4 pi / 6.
  EXPECT_NEAR(std::fabs(cube->FaceAt(0).CalcSolidAngle()), 4 * std::numbers::pi / 6, 1e-9);
}

TEST(SimplePolyFaces, MatchFaceUnderRotation) {
  auto cube = testmodels::MakeCubes({{-1, -1, -1}}, 2);
  cube->CalcFaceNormals(true);
  cube->CreateVertexFaceLists(false);
  const double identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  const SimpleFace& f = cube->FaceAt(1);
  bool backward = true;
  EXPECT_TRUE(f.MatchFace(f, f.normal, f.VertAt(0).pos, identity, &backward));
  EXPECT_FALSE(backward);
  // A quarter turn about z maps the +x face (1) onto the +y face (3).
  const double quarter[9] = {0, 1, 0, -1, 0, 0, 0, 0, 1};
  double n[3], first[3];
  MatrixTimesVector(quarter, n, f.normal);
  MatrixTimesVector(quarter, first, f.VertAt(0).pos);
  EXPECT_TRUE(f.MatchFace(cube->FaceAt(3), n, first, quarter, nullptr));
  EXPECT_FALSE(f.MatchFace(cube->FaceAt(0), n, first, quarter, nullptr));
  // The faces round a corner match those round its image.
  double image[3];
  MatrixTimesVector(quarter, image, cube->VertAt(7).pos);
  int used = 8;
  const SimpleVert& b = *cube->FindOrCreateVert(image, used);
  EXPECT_TRUE(cube->FaceSetMatches(cube->VertAt(7), b, image, quarter));
}

}  // namespace
}  // namespace corvia
