// Face frames, projections and measures, checked against values worked out by hand
// on a cube (faces at distance 1 from the centre, corners at (+-1, +-1, +-1)), its
// dual octahedron seen through the cube's vertices, and single polygons.

#include <gtest/gtest.h>

#include <cmath>

#include "model/ElementFlags.h"
#include "tests/model/HandBuiltModels.h"
#include "tests/support/TestSupport.h"

namespace corvia {
namespace {

constexpr double kPi = 3.14159265358979323846;

void Expect3(const double* v, double x, double y, double z, double tol = 1e-12) {
  EXPECT_NEAR(v[0], x, tol);
  EXPECT_NEAR(v[1], y, tol);
  EXPECT_NEAR(v[2], z, tol);
}

TEST(FaceFramesBasics, CentroidRotationAndNormals) {
  testing::HandBuiltCube cube;
  Face* face = cube.F(0);  // the +x face
  Expect3(face->mCentroid, 1, 0, 0);
  // A vertex's centroid is the centre of its dual triangle of face poles.
  Expect3(cube.V(7)->mCentroid, 1.0 / 3, 1.0 / 3, 1.0 / 3);
  double n[3];
  face->GetNormal(n);
  Expect3(n, 1, 0, 0);
  face->mFlags |= kElementReverseNorm;
  face->GetNormal(n);
  Expect3(n, -1, 0, 0);
  const double a[3] = {3, 7, 7}, b[3] = {1, 0, 0};
  EXPECT_EQ(face->DistanceAlongNormal(a, b), 2.0);  // the stored normal, not reversed
  face->mFlags &= ~kElementReverseNorm;
  face->GetAdjacentNormal(n);
  Expect3(n, 1, 0, 0);
  // A quarter turn about z: x goes to y, with the centroid left as it was.
  double turn[9];
  AxisRotationMatrix(turn, 2, kPi / 2);
  face->Rotate(turn);
  Expect3(face->mZAxis, 0, 1, 0, 0.0);
  Expect3(face->mDualVert, 0, 1, 0, 0.0);
  Expect3(face->mCentroid, 1, 0, 0, 0.0);
  // A corner at infinity is left out of the centroid; with all of them out, the
  // frame origin stands in.
  testing::HandBuiltPolygon tri({{0, 0, 1}, {2, 0, 1}, {0, 2, 1}});
  static_cast<PolyElement*>(tri.face->mNeighbours[2])->mFlags |= kElementHemi;
  tri.face->ComputeCentre();
  Expect3(tri.face->mCentroid, 1, 0, 1);
  for (int k = 0; k < 3; ++k) tri.face->mNeighbours[k]->mFlags |= kElementHemi;
  tri.face->mCentre[2] = 1.0;
  tri.face->ComputeCentre();
  Expect3(tri.face->mCentroid, 0, 0, 1);
}

TEST(FaceFramesProjection, CentralProjectionFromTheDualPoint) {
  testing::HandBuiltCube cube;
  // The vertex (1, 1, 1) seen as a face: its plane x + y + z = 1.
  Vertex* vertex = cube.V(7);
  double out[3];
  const double origin[3] = {0, 0, 0};
  EXPECT_TRUE(vertex->ProjectToPlane(origin, false, out));
  Expect3(out, 1.0 / 3, 1.0 / 3, 1.0 / 3);
  const double down[3] = {0, 0, -1};
  EXPECT_TRUE(vertex->ProjectToPlane(down, true, out));
  Expect3(out, 1, 1, -1);
  const double along[3] = {1, -1, 0};
  EXPECT_FALSE(vertex->ProjectToPlane(along, true, out));
  Expect3(out, std::sqrt(0.5), -std::sqrt(0.5), 0);
  // In the 2D frame the image of the centre is the frame origin.
  Transform3D toFace;
  vertex->GetWorldToFace(toFace, false);
  double flat[2];
  EXPECT_TRUE(vertex->ProjectTo2D(origin, false, toFace, flat));
  EXPECT_NEAR(flat[0], 0.0, 1e-12);
  EXPECT_NEAR(flat[1], 0.0, 1e-12);
  // The vertex figure: a neighbouring vertex projects to where it already lies.
  for (int i = 0; i < 3; ++i) {
    double expected[3], local[3];
    EXPECT_TRUE(vertex->GetAdjacent2D(i, toFace, flat));
    CopyVector(expected, vertex->GetAdjacent(i)->mDualVert);
    TransformPoint(toFace, local, expected);
    EXPECT_NEAR(flat[0], local[0], 1e-12);
    EXPECT_NEAR(flat[1], local[1], 1e-12);
  }
}

TEST(FaceFramesProjection, ElementAtInfinityProjectsInParallel) {
  Face face(nullptr, nullptr, 3);
  face.mFlags |= kElementHemi;
  const double normal[3] = {0, 0, 1};
  CopyVector(face.mZAxis, normal);
  const double direction[3] = {1, 0, 0};
  CopyVector(face.mDualVert, direction);  // a face through the centre keeps a direction
  const double point[3] = {3, 4, 5};
  double out[3] = {9, 9, 9};
  EXPECT_FALSE(face.ProjectToPlane(point, true, out));
  Expect3(out, 0, 0, 0, 0.0);
  // Parallel to the plane: no cut, the image lies at infinity.
  EXPECT_FALSE(face.ProjectToPlane(point, false, out));
  Expect3(out, 1, 0, 0);
  const double slanted[3] = {0, 3, 4};
  CopyVector(face.mDualVert, slanted);
  EXPECT_TRUE(face.ProjectToPlane(point, false, out));
  Expect3(out, 3, 4 - 3.75, 0);
}

TEST(FaceFramesPolygon, CornerAtInfinityIsCutAtTheModelsSphere) {
  const double up[3] = {0, 0, 1};
  // Corners P, H (at infinity along +x), Q in the plane z = 0.5.
  testing::HandBuiltPolygon poly({{0, -0.5, 0.5}, {1, 0, 0}, {0, 0.5, 0.5}}, up);
  Face* face = poly.face;
  face->mNeighbours[1]->mFlags |= kElementHemi;
  face->mCentre[2] = 0.5;
  Transform3D toFace;
  face->GetWorldToFace(toFace, false);
  double out[10];
  EXPECT_EQ(face->GetPolygon2D(0, toFace, out), 1);
  EXPECT_NEAR(out[0], 0.0, 1e-12);
  EXPECT_NEAR(out[1], -0.5, 1e-12);
  // Without a model the radius is 1: the lines y = -0.5 and y = 0.5 at height 0.5
  // leave the unit sphere at x = +-sqrt(0.5).
  const double r = std::sqrt(0.5);
  ASSERT_EQ(face->GetPolygon2D(1, toFace, out), 5);
  const double expected[10] = {r, -0.5, r, 0.5, -r, 0.5, -r, -0.5, 0, -0.5};
  for (int k = 0; k < 10; ++k) EXPECT_NEAR(out[k], expected[k], 1e-12) << k;
  // The same corners the other way round come out reversed, P kept last.
  testing::HandBuiltPolygon back({{0, 0.5, 0.5}, {1, 0, 0}, {0, -0.5, 0.5}}, up);
  back.face->mNeighbours[1]->mFlags |= kElementHemi;
  back.face->mCentre[2] = 0.5;
  ASSERT_EQ(back.face->GetPolygon2D(1, toFace, out), 5);
  const double reversed[10] = {-r, 0.5, -r, -0.5, r, -0.5, r, 0.5, 0, 0.5};
  for (int k = 0; k < 10; ++k) EXPECT_NEAR(out[k], reversed[k], 1e-12) << k;
  // With every other corner at infinity there is nothing to cut from.
  face->mNeighbours[0]->mFlags |= kElementHemi;
  face->mNeighbours[2]->mFlags |= kElementHemi;
  EXPECT_EQ(face->GetPolygon2D(1, toFace, out), 0);
  // A missing corner gives nothing.
  face->mNeighbours[0] = nullptr;
  EXPECT_EQ(face->GetPolygon2D(0, toFace, out), 0);
}

TEST(FaceFramesMeasures, AreasLengthsAndRadii) {
  testing::HandBuiltCube cube;
  Face* face = cube.F(0);
  EXPECT_DOUBLE_EQ(face->GetArea(), 4.0);
  EXPECT_DOUBLE_EQ(face->GetMeanEdgeLength(), 2.0);
  EXPECT_DOUBLE_EQ(face->GetMinEdgeLength(), 2.0);
  EXPECT_DOUBLE_EQ(face->GetMaxEdgeLength(), 2.0);
  EXPECT_DOUBLE_EQ(face->GetCircumradius(), std::sqrt(2.0));
  EXPECT_DOUBLE_EQ(face->GetRadius(), std::sqrt(2.0));
  // The dual face of a cube vertex: the octahedron's triangle, side sqrt 2.
  Vertex* vertex = cube.V(7);
  EXPECT_NEAR(vertex->GetArea(), std::sqrt(3.0) / 2, 1e-12);  // (sqrt 3 / 4) (sqrt 2)^2
  EXPECT_NEAR(vertex->GetRadius(), std::sqrt(6.0) / 3, 1e-12);
  EXPECT_NEAR(vertex->GetCircumradius(), std::sqrt(6.0) / 3, 1e-12);
  // Clockwise seen along the normal: negative; degenerate: exactly 0.
  const double up[3] = {0, 0, 1};
  testing::HandBuiltPolygon clockwise({{0, 0, 0}, {0, 1, 0}, {1, 0, 0}}, up);
  EXPECT_DOUBLE_EQ(clockwise.face->GetArea(), -0.5);
  testing::HandBuiltPolygon flat({{0, 0, 0}, {1, 0, 0}, {2, 0, 0}}, up);
  EXPECT_EQ(flat.face->GetArea(), 0.0);
  const double p[3] = {-1, 0.5, 7};  // z is not measured
  EXPECT_DOUBLE_EQ(face->GetMaxCornerDistanceXY(p), std::hypot(2.0, 1.5));
}

TEST(FaceFramesMeasures, DistancesToEdgesAndInradius) {
  testing::HandBuiltCube cube;
  Face* face = cube.F(0);
  EXPECT_DOUBLE_EQ(face->GetDistanceToEdges(face->mCentroid, false), 1.0);
  // From a corner two edges pass through the point; skipping them leaves 2.
  const double* corner = face->mNeighbours[0]->mDualVert;
  EXPECT_EQ(face->GetDistanceToEdges(corner, false), 0.0);
  EXPECT_DOUBLE_EQ(face->GetDistanceToEdges(corner, true), 2.0);
  testing::HandBuiltPolygon digon({{0, 0, 0}, {2, 0, 0}});
  const double onLine[3] = {1, 0, 0};
  EXPECT_EQ(digon.face->GetDistanceToEdges(onLine, true), 0.0);
  EXPECT_DOUBLE_EQ(face->GetPartInradius(false), 1.0);
  EXPECT_NEAR(cube.V(0)->GetPartInradius(false), std::sqrt(6.0) / 6, 1e-12);
  for (int v = 0; v < 8; ++v) EXPECT_FALSE(cube.V(v)->HasFlag(kElementVisitMark));
}

TEST(FaceFramesMeasures, PartCentroidRadiusAndNearestDistances) {
  testing::HandBuiltCube cube;
  Face* face = cube.F(3);
  double centre[3] = {9, 9, 9};
  EXPECT_EQ(face->GetPartCentroid(false, centre, nullptr), 14);
  Expect3(centre, 0, 0, 0);
  PolyElement* buffer[14];
  EXPECT_EQ(face->GetPartCentroid(true, centre, buffer), 14);
  Expect3(centre, 0, 0, 0);
  EXPECT_DOUBLE_EQ(face->GetPartRadius(false), 1.0);
  EXPECT_DOUBLE_EQ(face->GetPartRadius(true), std::sqrt(3.0));
  // Half the edge length of the cube, and of the octahedron for the faces.
  EXPECT_DOUBLE_EQ(cube.V(5)->GetHalfNearestDistance(false), 1.0);
  EXPECT_DOUBLE_EQ(face->GetHalfNearestDistance(false), std::sqrt(2.0) / 2);
  EXPECT_DOUBLE_EQ(cube.V(5)->GetPartHalfNearestDistance(false), 1.0);
  EXPECT_DOUBLE_EQ(face->GetPartHalfNearestDistance(false), std::sqrt(2.0) / 2);
  for (int f = 0; f < 6; ++f) EXPECT_FALSE(cube.F(f)->HasFlag(kElementVisitMark));
  Face lone(nullptr, nullptr, 0);
  EXPECT_EQ(lone.GetHalfNearestDistance(false), 0.0);
}

TEST(FaceFramesMeasures, SolidAnglesOfCubeAndOctahedronFaces) {
  testing::HandBuiltCube cube;
  double total = 0.0;
  for (int f = 0; f < 6; ++f) {
    EXPECT_NEAR(cube.F(f)->GetSolidAngle(), 4 * kPi / 6, 1e-12);
    total += cube.F(f)->GetSolidAngle();
  }
  EXPECT_NEAR(total, 4 * kPi, 1e-12);
  for (int v = 0; v < 8; ++v) EXPECT_NEAR(cube.V(v)->GetSolidAngle(), kPi / 2, 1e-12);
  cube.F(0)->mFlags |= kElementReversed;
  EXPECT_NEAR(cube.F(0)->GetSolidAngle(), -4 * kPi / 6, 1e-12);
  // Three corners on one line: the two edge planes coincide.
  const double out[3] = {1, 0, 0};
  testing::HandBuiltPolygon straight({{1, -1, -1}, {1, 0, -1}, {1, 1, -1}, {1, 0, 1}}, out);
  EXPECT_EQ(straight.face->GetSolidAngle(), 0.0);
}

TEST(FaceFramesShape, RegularityAndSpanningCorners) {
  testing::HandBuiltCube cube;
  EXPECT_TRUE(cube.F(0)->IsRegular());
  EXPECT_TRUE(cube.V(0)->IsRegular());
  testing::HandBuiltPolygon rhombus({{0, 0, 0}, {2, 1, 0}, {4, 0, 0}, {2, -1, 0}});
  EXPECT_FALSE(rhombus.face->IsRegular());
  Face empty(nullptr, nullptr, 0);
  EXPECT_TRUE(empty.IsRegular());
  cube.F(1)->mNeighbours[2]->mFlags |= kElementHemi;
  EXPECT_FALSE(cube.F(1)->IsRegular());
  double span[9];
  EXPECT_EQ(cube.F(4)->GetSpanningCorners(span), 3);
  testing::HandBuiltPolygon line({{0, 0, 0}, {1, 0, 0}, {2, 0, 0}});
  EXPECT_EQ(line.face->GetSpanningCorners(span), 2);
  Expect3(span, 0, 0, 0);
  Expect3(span + 3, 2, 0, 0);
  testing::HandBuiltPolygon point({{1, 1, 1}, {1, 1, 1}});
  EXPECT_EQ(point.face->GetSpanningCorners(span), 0);
}

TEST(FaceFramesShape, MirrorPlanesAndOrientation) {
  testing::HandBuiltCube cube;
  Face* face = cube.F(0);
  double d[3] = {0, 2, 0};
  EXPECT_TRUE(face->IsMirrorPlane(d));
  Expect3(d, 0, 1, 0);  // normalised in place
  double diagonal[3] = {0, 1, 1};
  EXPECT_TRUE(face->IsMirrorPlane(diagonal));
  double skew[3] = {0, 1, 0.3};
  EXPECT_FALSE(face->IsMirrorPlane(skew));
  double zero[3] = {0, 0, 0};
  EXPECT_FALSE(face->IsMirrorPlane(zero));
  double found[3];
  ASSERT_TRUE(face->FindOrientationDirection(found));
  // The first candidate: the mirror through the middle of side 0.
  double middle[3], offset[3], expected[3];
  Add(middle, face->mNeighbours[0]->mDualVert, face->mNeighbours[1]->mDualVert);
  Scale(middle, middle, 0.5);
  Subtract(offset, middle, face->mCentroid);
  Cross(expected, offset, face->mZAxis);
  Divide(expected, expected, std::sqrt(Dot(expected, expected)));
  Expect3(found, expected[0], expected[1], expected[2]);
  const double up[3] = {0, 0, 1};
  testing::HandBuiltPolygon scalene({{0, 0, 0}, {4, 0, 0}, {1, 2, 0}}, up);
  EXPECT_FALSE(scalene.face->FindOrientationDirection(found));
}

TEST(FaceFramesStellationLines, PlaneLinesInTheFaceFrame) {
  testing::HandBuiltCube cube;
  Face* px = cube.F(0);  // frame: x = world y, y = world z
  double line[3];
  ASSERT_TRUE(px->IntersectPlaneLine(cube.F(2), line));  // the plane y = 1
  Expect3(line, 1, 0, -1);
  ASSERT_TRUE(px->IntersectPlaneLine(cube.F(5), line));  // the plane z = -1
  Expect3(line, 0, -1, -1);
  double untouched[3] = {7, 7, 7};
  EXPECT_FALSE(px->IntersectPlaneLine(cube.F(1), untouched));  // opposite normal
  EXPECT_FALSE(px->IntersectPlaneLine(px, untouched));         // same normal
  Expect3(untouched, 7, 7, 7, 0.0);
}

}  // namespace
}  // namespace corvia
