// The placements of an added model's face on a face of the shown model: scaled to the
// target face, trimmed by the symmetry both faces share, none for faces that cannot fit.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <memory>
#include <vector>

#include "construction/FaceOrientation.h"
#include "core/ListNode.h"
#include "core/VectorMath.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "symmetry/SimplePoly.h"
#include "tests/construction/DerivedModelChecks.h"
#include "tests/symmetry/SimplePolyTestModels.h"

namespace test_FaceOrientation {

using corvia::FaceOrientation;
using corvia::FindOrientations;
using corvia::PolyElement;
using corvia::SimplePoly;

// A plain model of one regular polygon of the given circumradius in the plane z = 0,
// counter-clockwise seen from +z.
std::unique_ptr<SimplePoly> RegularPolygon(int sides, double radius) {
  std::vector<std::array<double, 3>> verts;
  std::vector<int> face;
  for (int i = 0; i < sides; ++i) {
    const double a = 2.0 * std::acos(-1.0) * i / sides;
    verts.push_back({radius * std::cos(a), radius * std::sin(a), 0.0});
    face.push_back(i);
  }
  return corvia::testmodels::ModelOf(verts, {face});
}

// Frees a list made by FindOrientations and says how long it was.
int CountAndFree(FaceOrientation* list) {
  int count = 0;
  for (corvia::ListNode* node = list; node;) {
    corvia::ListNode* next = node->mNext;
    delete static_cast<FaceOrientation*>(node);
    node = next;
    ++count;
  }
  return count;
}

double CornerRadius(const PolyElement* face) {
  double d[3];
  corvia::Subtract(d, face->GetCorner(0)->mDualVert, face->mCentroid);
  return std::sqrt(corvia::Dot(d, d));
}

TEST(FaceOrientation, ATriangleFitsATetrahedronFaceScaledToIt) {
  corvia::testing::TemplateModel tetrahedron("3.3.3");
  ASSERT_TRUE(tetrahedron.built);
  const PolyElement* target = tetrahedron.poly.mFaces.mHead;
  ASSERT_EQ(target->mNumSides, 3);
  const double targetRadius = CornerRadius(target);
  ASSERT_GT(targetRadius, 0.1);
  // Larger and smaller than the target: the placement scales it onto the target.
  for (double radius : {3.0, 0.25}) {
    SCOPED_TRACE(radius);
    std::unique_ptr<SimplePoly> added = RegularPolygon(3, radius);
    FaceOrientation* list = FindOrientations(added->FaceAt(0), target, 0);
    ASSERT_NE(list, nullptr);
    // Three turns fit, all walking one way (the placement is a rotation, never a
    // mirror image); the face type's three-fold symmetry makes them one.
    EXPECT_EQ(list->mNext, nullptr);
    for (int i = 0; i < 3; ++i) {
      double placed[3];
      corvia::TransformPoint(list->toTargetFrame, placed, added->VertAt(i).pos);
      // In the target's frame (origin its centre, z across it) the corners lie on its
      // circumcircle.
      EXPECT_NEAR(std::hypot(placed[0], placed[1]), targetRadius, 1e-9);
      EXPECT_NEAR(placed[2], 0.0, 1e-9);
    }
    CountAndFree(list);
  }
}

TEST(FaceOrientation, FacesThatCannotFitGiveNoList) {
  corvia::testing::TemplateModel cube("4.4.4");
  ASSERT_TRUE(cube.built);
  const PolyElement* square = cube.poly.mFaces.mHead;
  ASSERT_EQ(square->mNumSides, 4);
  // Another number of corners.
  EXPECT_EQ(CountAndFree(FindOrientations(RegularPolygon(3, 1.0)->FaceAt(0), square, 0)), 0);
  EXPECT_EQ(CountAndFree(FindOrientations(RegularPolygon(5, 1.0)->FaceAt(0), square, 0)), 0);
  // A face of two corners, and no target.
  std::unique_ptr<SimplePoly> segment = corvia::testmodels::ModelOf({{0, 0, 0}, {1, 0, 0}}, {{0, 1}});
  EXPECT_EQ(CountAndFree(FindOrientations(segment->FaceAt(0), square, 0)), 0);
  EXPECT_EQ(CountAndFree(FindOrientations(RegularPolygon(4, 1.0)->FaceAt(0), nullptr, 0)), 0);
  // A square of no size.
  std::unique_ptr<SimplePoly> point =
      corvia::testmodels::ModelOf({{0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}}, {{0, 1, 2, 3}});
  EXPECT_EQ(CountAndFree(FindOrientations(point->FaceAt(0), square, 0)), 0);
  // A square fits.
  EXPECT_GT(CountAndFree(FindOrientations(RegularPolygon(4, 1.0)->FaceAt(0), square, 0)), 0);
}

}  // namespace test_FaceOrientation
