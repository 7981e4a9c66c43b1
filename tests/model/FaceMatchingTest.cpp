#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <memory>
#include <vector>

#include "core/VectorMath.h"
#include "model/ElementFlags.h"
#include "model/Face.h"
#include "model/FaceMatching.h"
#include "model/Poly.h"
#include "symmetry/SymGroup.h"
#include "symmetry/SymOperations.h"
#include "tests/model/HandBuiltModels.h"
#include "tests/model/PolyModels.h"
#include "tests/support/TestSupport.h"

namespace test_FaceMatching {

using corvia::PolyElement;
using corvia::testing::HandBuiltPolygon;

// The images of an element's frame origin, normal and corner 0 under a matrix.
struct Carried {
  double origin[3];
  double normal[3];
  double corner0[3];
  Carried(const PolyElement* e, const double* m) {
    corvia::MatrixTimesVector(m, origin, e->mCentre);
    corvia::MatrixTimesVector(m, normal, e->mZAxis);
    corvia::MatrixTimesVector(m, corner0, e->mNeighbours[0]->mDualVert);
  }
};

TEST(FaceMatchingTest, EveryCubeFaceMapsOntoEveryOtherWithTheRightOffset) {
  corvia::Poly poly;
  corvia::testing::BuildCube(poly);
  std::unique_ptr<corvia::SymGroup> group = corvia::CreateSymGroup(corvia::kSymGroupOctahedral, 0);
  group->SetReflectionType(corvia::kReflectionHorizontal);
  int counts[6][6] = {};
  corvia::SymOperationIterator it;
  double m[9];
  int operations = 0;
  while (corvia::GetNextSymmetryOperation(group.get(), it, true, m, true)) {
    ++operations;
    const bool improper = it.improperPhase != 0;
    for (int i = 0; i < 6; ++i) {
      const PolyElement* f = poly.GetFace(i);
      const Carried c(f, m);
      int matches = 0;
      for (int j = 0; j < 6; ++j) {
        const PolyElement* g = poly.GetFace(j);
        int offset = -1;
        bool reflected = false;
        if (!f->MatchTransformedAxes(g, c.origin, c.normal, c.corner0, m, true, &offset, &reflected)) continue;
        ++matches;
        ++counts[i][j];
        // Corner 0 lands on the other's corner at the offset; a reflection reverses
        // the order of the corners.
        EXPECT_TRUE(corvia::NearlyEqual(g->mNeighbours[offset]->mDualVert, c.corner0, 1e-9));
        EXPECT_EQ(reflected, improper);
        // The test on dual points and corner frame origins agrees.
        double dual[3];
        double corner0Origin[3];
        corvia::MatrixTimesVector(m, dual, f->mDualVert);
        corvia::MatrixTimesVector(m, corner0Origin, f->mNeighbours[0]->mCentre);
        int offset2 = -1;
        bool reflected2 = false;
        EXPECT_TRUE(f->MatchTransformed(g, dual, corner0Origin, m, true, &offset2, &reflected2));
        EXPECT_EQ(offset2, offset);
        EXPECT_EQ(reflected2, reflected);
      }
      EXPECT_EQ(matches, 1);
    }
  }
  EXPECT_EQ(operations, 48);
  // Each face reaches each face under 8 of the 48 operations.
  for (auto& row : counts) {
    for (int count : row) EXPECT_EQ(count, 8);
  }
}

TEST(FaceMatchingTest, MapsOntoUnderAcceptsOnlyOperationsOfTheFace) {
  corvia::Poly poly;
  corvia::testing::BuildCube(poly);
  const PolyElement* top = poly.GetFace(0);  // the square at x = +1
  double quarter[9];
  corvia::AxisRotationMatrixExact(quarter, 0, 1, 4);
  EXPECT_TRUE(top->MapsOntoUnder(top, quarter));
  corvia::AxisRotationMatrixExact(quarter, 2, 1, 4);
  EXPECT_FALSE(top->MapsOntoUnder(top, quarter));
}

// A scalene triangle in the plane z = 1 and its mirror image in the plane x = 0,
// both wound counter-clockwise about +z.
struct MirrorPair {
  HandBuiltPolygon left{{{0.2, 0.1, 1.0}, {0.9, 0.3, 1.0}, {0.4, 0.8, 1.0}}, kUp};
  HandBuiltPolygon right{{{-0.2, 0.1, 1.0}, {-0.4, 0.8, 1.0}, {-0.9, 0.3, 1.0}}, kUp};
  static constexpr double kUp[3] = {0.0, 0.0, 1.0};
  MirrorPair() {
    for (PolyElement* f : {static_cast<PolyElement*>(left.face), static_cast<PolyElement*>(right.face)}) {
      f->mCentre[2] = 1.0;
    }
  }
};

TEST(FaceMatchingTest, MirrorImagesAreToldApart) {
  MirrorPair pair;
  const double mirror[9] = {-1, 0, 0, 0, 1, 0, 0, 0, 1};
  const Carried c(pair.left.face, mirror);
  int offset = -1;
  bool reflected = false;
  ASSERT_TRUE(pair.left.face->MatchTransformedAxes(pair.right.face, c.origin, c.normal, c.corner0, mirror, true,
                                                    &offset, &reflected));
  EXPECT_EQ(offset, 0);
  EXPECT_TRUE(reflected);
  // No rotation of a chiral octahedral group carries one onto the other.
  std::unique_ptr<corvia::SymGroup> chiral = corvia::CreateSymGroup(corvia::kSymGroupOctahedral, 0);
  corvia::SymOperationIterator it;
  double m[9];
  int found = 0;
  while (corvia::GetNextSymmetryOperation(chiral.get(), it, true, m, false)) {
    if (pair.left.face->MapsOntoUnder(pair.right.face, m)) ++found;
  }
  EXPECT_EQ(found, 0);
  EXPECT_TRUE(pair.left.face->IsCongruentTo(pair.right.face, false));
}

TEST(FaceMatchingTest, FindSymmetryOperationReportsTheReversedStep) {
  MirrorPair pair;
  std::unique_ptr<corvia::SymGroup> group = corvia::CreateSymGroup(corvia::kSymGroupOctahedral, 0);
  group->SetReflectionType(corvia::kReflectionHorizontal);
  int plane = -1;
  for (int k = 0; k < group->mirrorPlanes.count; ++k) {
    const double* n = group->mirrorPlanes[k].direction;
    if (std::fabs(std::fabs(n[0]) - 1.0) < 1e-12) plane = k;
  }
  ASSERT_GE(plane, 0);
  int step = 0;
  EXPECT_EQ(pair.left.face->FindSymmetryOperation(pair.right.face, nullptr, nullptr, nullptr, group.get(), plane,
                                                   &step),
            0);
  EXPECT_EQ(step, -1);
  // A chiral group has no improper operation: nothing matches, not even itself.
  std::unique_ptr<corvia::SymGroup> chiral = corvia::CreateSymGroup(corvia::kSymGroupOctahedral, 0);
  EXPECT_EQ(pair.left.face->FindSymmetryOperation(pair.left.face, nullptr, nullptr, nullptr, chiral.get(), 0, &step),
            -1);
}

TEST(FaceMatchingTest, HemiCornerMatchesItsOppositeOnlyWhereHemiAware) {
  HandBuiltPolygon a{{{1, 0, 0}, {0, 1, 0}, {-1, -1, 0}}};
  HandBuiltPolygon b{{{1, 0, 0}, {0, 1, 0}, {-1, -1, 0}}};
  // b's third corner is a direction at infinity stored the other way round.
  PolyElement* far = b.face->mNeighbours[2];
  far->mFlags |= corvia::kElementHemi;
  far->mDualVert[0] = 1.0;
  far->mDualVert[1] = 1.0;
  const double identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  const Carried c(a.face, identity);
  EXPECT_TRUE(a.face->MatchTransformedAxes(b.face, c.origin, c.normal, c.corner0, identity, true, nullptr, nullptr));
  // MatchTransformed compares the corners' frame origins and is not Hemi-aware: with
  // the Hemi corner's origin opposite the carried one it fails.
  corvia::NegateInto(far->mCentre, a.face->mNeighbours[2]->mCentre);
  EXPECT_FALSE(a.face->MatchTransformed(b.face, a.face->mDualVert, a.face->mNeighbours[0]->mCentre, identity, true,
                                        nullptr, nullptr));
}

TEST(FaceMatchingTest, ElementWithoutCornersMatchesAndWritesItsOutputs) {
  corvia::FaceList list;
  auto* a = new corvia::Face(nullptr, nullptr, 0);
  auto* b = new corvia::Face(nullptr, nullptr, 0);
  list.Append(a);
  list.Append(b);
  const double identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  int offset = 7;
  bool reflected = true;
  EXPECT_TRUE(a->MatchTransformedAxes(b, a->mCentre, a->mZAxis, a->mCentre, identity, true, &offset, &reflected));
  EXPECT_EQ(offset, 0);
  EXPECT_FALSE(reflected);
}

TEST(FaceMatchingTest, CongruenceOfSizesDegenerateFacesAndUntypedFaces) {
  HandBuiltPolygon small{{{0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}}};
  HandBuiltPolygon big{{{0, 0, 1}, {2, 0, 1}, {2, 2, 1}, {0, 2, 1}}};
  HandBuiltPolygon other{{{5, 5, 1}, {6, 5, 1}, {6, 6, 1}, {5, 6, 1}}};
  HandBuiltPolygon rhombus{{{0, 0, 1}, {1, 0, 1}, {1.5, 0.8, 1}, {0.5, 0.8, 1}}};
  HandBuiltPolygon point1{{{0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}}};
  HandBuiltPolygon point2{{{0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}}};
  for (auto* p : {&small, &big, &other, &rhombus, &point1, &point2}) p->face->mZAxis[2] = 1.0;
  EXPECT_TRUE(small.face->IsCongruentTo(other.face, false));
  EXPECT_FALSE(small.face->IsCongruentTo(big.face, false));
  EXPECT_TRUE(small.face->IsCongruentTo(big.face, true));
  EXPECT_FALSE(small.face->IsCongruentTo(rhombus.face, true));
  EXPECT_FALSE(point1.face->IsCongruentTo(small.face, true));
  EXPECT_FALSE(small.face->IsCongruentTo(point1.face, true));
  EXPECT_TRUE(point1.face->IsCongruentTo(point2.face, false));
  // Neither face has a type yet: that is no reason to call them congruent.
  EXPECT_EQ(small.face->mType, nullptr);
  EXPECT_FALSE(small.face->IsCongruentTo(big.face, false));
}

TEST(FaceMatchingTest, HalfTurnAxisOfACentralSquare) {
  corvia::Poly poly;
  poly.mSymGroup = corvia::CreateSymGroup(corvia::kSymGroupOctahedral, 0).release();
  HandBuiltPolygon square{{{1, 1, 0}, {-1, 1, 0}, {-1, -1, 0}, {1, -1, 0}}};
  PolyElement* face = square.face;
  face->mPoly = &poly;
  face->mZAxis[2] = 1.0;
  // Not a face through the centre: no axis, whatever the group holds.
  EXPECT_EQ(face->FindHalfTurnAxis(), nullptr);
  face->mFlags |= corvia::kElementHemi;
  const corvia::SymAxis* axis = face->FindHalfTurnAxis();
  ASSERT_NE(axis, nullptr);
  EXPECT_NEAR(axis->direction[2], 0.0, 1e-12);
  EXPECT_TRUE(face->MapsOntoUnder(face, std::array<double, 9>{1, 0, 0, 0, -1, 0, 0, 0, -1}.data()) ||
              face->MapsOntoUnder(face, std::array<double, 9>{-1, 0, 0, 0, 1, 0, 0, 0, -1}.data()));
}

}  // namespace test_FaceMatching
