#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "symmetry/SimplePoly.h"
#include "symmetry/SymGroup.h"
#include "tests/support/TestSupport.h"
#include "tests/symmetry/SimplePolyTestModels.h"

namespace corvia {
namespace {

using testmodels::MakeCubes;
using testmodels::SignedVolume;

TEST(SimplePolyOps, FaceNormalsPointAwayFromOrigin) {
  auto cube = MakeCubes({{-1, -1, -1}}, 2);
  // Reverse one cycle: the normal still points outwards.
  std::reverse(cube->FaceAt(0).items.begin(), cube->FaceAt(0).items.end());
  cube->CalcFaceNormals(false);
  const double minusX[3] = {-1, 0, 0};
  EXPECT_TRUE(NearlyEqual(cube->FaceAt(0).normal, minusX, 1e-12));
  for (int f = 0; f < 6; ++f) EXPECT_FALSE(cube->FaceAt(f).flags & kSimpleCentralPlane);
}

TEST(SimplePolyOps, CollinearAndCentralFaces) {
  SimplePoly poly(5, 3);
  const double p[5][3] = {{1, 1, 0}, {2, 2, 0}, {3, 3, 0}, {-1, 0, 0}, {0, 0, 1}};
  for (int i = 0; i < 5; ++i) poly.VertAt(i).SetPos(p[i]);
  const int c[2][3] = {{0, 1, 2}, {3, 4, 5}};
  for (int f = 0; f < 2; ++f) {
    poly.FaceAt(f).SetNumVerts(3);
    for (int k = 0; k < 3; ++k) poly.FaceAt(f).SetVertIndex(k, c[f][k]);
  }
  // Two corners opposite through the centre: no plane at all.
  poly.FaceAt(2).SetNumVerts(2);
  const double q[3] = {1, 0, 0};
  poly.AddVert().SetPos(q);
  poly.FaceAt(2).SetVertIndex(0, 3);
  poly.FaceAt(2).SetVertIndex(1, 5);
  poly.CalcFaceNormals(true);
  const double diag[3] = {std::sqrt(0.5), std::sqrt(0.5), 0};
  EXPECT_TRUE(NearlyEqual(poly.FaceAt(0).normal, diag, 1e-7));
  EXPECT_TRUE(poly.FaceAt(1).flags & kSimpleCentralPlane);
  EXPECT_FALSE(poly.FaceAt(2).HasNormal());
}

TEST(SimplePolyOps, ScaleAndTranslate) {
  auto cube = MakeCubes({{0, 0, 0}}, 1);
  cube->Scale(1.00000005);
  EXPECT_EQ(cube->VertAt(7).pos[0], 1.0);
  SimpleFace& plane = cube->AddFace();
  plane.SetNumVerts(0);
  plane.normal[0] = 0;
  plane.normal[1] = 0;
  plane.normal[2] = 3;
  cube->Scale(2);
  EXPECT_EQ(cube->VertAt(7).pos[2], 2.0);
  EXPECT_EQ(plane.normal[2], 6.0);
  double c[3];
  cube->GetCentre(c);
  EXPECT_TRUE(NearlyEqual(c, std::array<double, 3>{1, 1, 1}.data(), 1e-12));
  cube->Centre();
  EXPECT_EQ(cube->VertAt(0).pos[0], -1.0);
  // The plane z = 6 moved with the model: now z = 5.
  EXPECT_DOUBLE_EQ(cube->FaceAt(6).normal[2], 5.0);
  EXPECT_DOUBLE_EQ(cube->GetMaxVertexRadius(), std::sqrt(3.0));
  // The search follows the moved positions.
  int used = cube->NumVerts();
  const double corner[3] = {1, 1, 1};
  EXPECT_EQ(cube->FindOrCreateVert(corner, used)->GetIndex(), 7);
  const double axis[3] = {0, 0, 1};
  cube->ScaleAlongAxis(3, axis);
  EXPECT_EQ(cube->VertAt(7).pos[2], 3.0);
  EXPECT_EQ(cube->VertAt(7).pos[0], 1.0);
}

TEST(SimplePolyOps, CopyIsExact) {
  auto cube = MakeCubes({{0.1, 0.2, 0.3}}, 0.7);
  cube->CalcFaceNormals(true);
  cube->VertAt(2).SetLabel("v2");
  cube->FaceAt(4).color = 0x123456;
  cube->FaceAt(4).winding = 2;
  cube->SetName("Cube");
  cube->description = "six squares";
  cube->currentFace = 3;
  cube->CreateVertexFaceLists(false);
  ASSERT_TRUE(cube->SimpleSortVertFaces());
  auto copy = cube->CopyWithNames();
  ASSERT_EQ(copy->NumVerts(), 8);
  ASSERT_EQ(copy->NumFaces(), 6);
  for (int i = 0; i < 8; ++i) {
    EXPECT_TRUE(PointsEqual(copy->VertAt(i).pos, cube->VertAt(i).pos));
    EXPECT_EQ(copy->VertAt(i).items, cube->VertAt(i).items);
  }
  for (int f = 0; f < 6; ++f) {
    EXPECT_EQ(copy->FaceAt(f).items, cube->FaceAt(f).items);
    EXPECT_TRUE(PointsEqual(copy->FaceAt(f).normal, cube->FaceAt(f).normal));
  }
  EXPECT_EQ(copy->VertAt(2).Label(), "v2");
  EXPECT_EQ(copy->FaceAt(4).color, 0x123456u);
  EXPECT_EQ(copy->FaceAt(4).winding, 2);
  EXPECT_EQ(copy->name, "Cube");
  EXPECT_EQ(copy->description, "six squares");
  EXPECT_EQ(copy->currentFace, 3);
  EXPECT_EQ(copy->flags, cube->flags);
}

TEST(SimplePolyOps, CopyOfUnsortedListsKeepsThem) {
  auto cube = MakeCubes({{0, 0, 0}}, 1);
  cube->CreateVertexFaceLists(false);
  auto copy = cube->CopyWithNames();
  EXPECT_EQ(copy->VertAt(0).Count(), 3);
}

TEST(SimplePolyOps, CombineShiftsTheSecondModel) {
  auto cube = MakeCubes({{0, 0, 0}}, 1);
  auto other = MakeCubes({{5, 0, 0}}, 1);
  other->Truncate(6, 0);  // six vertices, no faces
  auto cube2 = MakeCubes({{5, 0, 0}}, 1);
  cube->scale = 2;
  cube2->scale = 1;
  auto both = cube->Combine(*cube2);
  EXPECT_EQ(both->NumVerts(), 16);
  EXPECT_EQ(both->NumFaces(), 12);
  EXPECT_EQ(both->FaceAt(6).items[0], cube2->FaceAt(0).items[0] + 8);
  EXPECT_EQ(both->scale, 2.0);
  EXPECT_TRUE(both->flags & kSimpleKeepOrientation);
  EXPECT_TRUE(both->flags & kSimpleKeepLengthUnits);
  auto mixed = cube->Combine(*other);
  EXPECT_EQ(mixed->NumVerts(), 14);
  EXPECT_TRUE(PointsEqual(mixed->VertAt(8).pos, other->VertAt(0).pos));
}

TEST(SimplePolyOps, ReflectReversesOrientation) {
  auto cube = MakeCubes({{0.1, 0.2, 0.3}}, 1);
  cube->CalcFaceNormals(true);
  const double before = SignedVolume(*cube);
  EXPECT_GT(before, 0);
  cube->Reflect(nullptr);
  EXPECT_DOUBLE_EQ(SignedVolume(*cube), -before);
  EXPECT_DOUBLE_EQ(cube->VertAt(7).pos[0], -1.1);
  EXPECT_EQ(cube->symmetry, nullptr);
  // With a turned group the mirror is the plane of the orientation's first column.
  auto group = CreateSymGroup(kSymGroupDihedral, 2);
  const double swapXY[9] = {0, 1, 0, 1, 0, 0, 0, 0, -1};
  for (int i = 0; i < 9; ++i) group->orientation[i] = swapXY[i];
  auto other = MakeCubes({{0.1, 0.2, 0.3}}, 1);
  other->Reflect(group.get());
  EXPECT_DOUBLE_EQ(other->VertAt(0).pos[0], 0.1);
  EXPECT_DOUBLE_EQ(other->VertAt(0).pos[1], -0.2);
}

TEST(SimplePolyOps, DualOfCubeIsOctahedron) {
  auto cube = MakeCubes({{-1, -1, -1}}, 2);
  auto dual = cube->CreateDual(1.0);
  ASSERT_NE(dual, nullptr);
  ASSERT_EQ(dual->NumVerts(), 6);
  ASSERT_EQ(dual->NumFaces(), 8);
  for (int i = 0; i < 6; ++i) {
    const double* p = dual->VertAt(i).pos;
    EXPECT_NEAR(std::sqrt(Dot(p, p)), 1.0, 1e-12);
    EXPECT_EQ(std::fabs(p[0]) + std::fabs(p[1]) + std::fabs(p[2]), 1.0);
  }
  for (int f = 0; f < 8; ++f) {
    const SimpleFace& face = dual->FaceAt(f);
    ASSERT_EQ(face.Count(), 3);
    // Each triangle has one vertex on each axis.
    int axes = 0;
    for (int k = 0; k < 3; ++k) {
      for (int c = 0; c < 3; ++c) {
        if (face.VertAt(k).pos[c] != 0) axes |= 1 << c;
      }
    }
    EXPECT_EQ(axes, 7);
  }
  // The dual is a closed surface with consistent cycles.
  EXPECT_NEAR(std::fabs(SignedVolume(*dual)), 4.0 / 3.0, 1e-12);
  dual->CreateVertexFaceLists(false);
  EXPECT_TRUE(dual->SimpleSortVertFaces());
  for (int i = 0; i < 6; ++i) EXPECT_EQ(dual->VertAt(i).Count(), 4);
}

TEST(SimplePolyOps, DualOfCentralFaceIsInfiniteVertex) {
  SimplePoly poly(4, 1);
  const double p[4][3] = {{1, 0, 0}, {0, 1, 0}, {-1, 0, 0}, {0, -1, 0}};
  for (int i = 0; i < 4; ++i) poly.VertAt(i).SetPos(p[i]);
  poly.FaceAt(0).SetNumVerts(4);
  for (int k = 0; k < 4; ++k) poly.FaceAt(0).SetVertIndex(k, k);
  auto dual = poly.CreateDual(1.0);
  ASSERT_NE(dual, nullptr);
  ASSERT_EQ(dual->NumVerts(), 1);
  EXPECT_TRUE(dual->VertAt(0).IsInfinite());
  EXPECT_DOUBLE_EQ(std::fabs(dual->VertAt(0).pos[2]), 1.0);
}

// Types joined with their rings deferred come out as when every join writes its
// type at once: the same type on every element, the same rings in the same order.
TEST(SimplePolyOps, DeferredTypeJoinsSettleAsImmediateOnes) {
  constexpr int kCount = 200;
  SimplePoly immediate(kCount, kCount), deferred(kCount, kCount);
  immediate.ResetIndices();
  deferred.ResetIndices();
  deferred.DeferTypeJoins();
  std::mt19937 random(11);
  std::uniform_int_distribution<int> pick(0, kCount - 1);
  for (int join = 0; join < 300; ++join) {
    // Joins within one type, of an element with itself, and of large types.
    const int a = pick(random), b = join % 7 == 0 ? a : pick(random);
    if (join % 2 == 0) {
      immediate.VertAt(a).JoinTypeRing(immediate.VertAt(b));
      deferred.VertAt(a).JoinTypeRing(deferred.VertAt(b));
    } else {
      immediate.FaceAt(a).JoinTypeRing(immediate.FaceAt(b));
      deferred.FaceAt(a).JoinTypeRing(deferred.FaceAt(b));
    }
  }
  deferred.SettleTypeJoins();
  for (int i = 0; i < kCount; ++i) {
    EXPECT_EQ(deferred.VertAt(i).typeId, immediate.VertAt(i).typeId) << "vertex " << i;
    EXPECT_EQ(deferred.VertAt(i).nextOfType, immediate.VertAt(i).nextOfType) << "vertex " << i;
    EXPECT_EQ(deferred.FaceAt(i).typeId, immediate.FaceAt(i).typeId) << "face " << i;
    EXPECT_EQ(deferred.FaceAt(i).nextOfType, immediate.FaceAt(i).nextOfType) << "face " << i;
  }
  // Once settled, joins write their types at once again.
  deferred.VertAt(0).JoinTypeRing(deferred.VertAt(1));
  immediate.VertAt(0).JoinTypeRing(immediate.VertAt(1));
  EXPECT_EQ(deferred.VertAt(1).typeId, immediate.VertAt(1).typeId);
}

}  // namespace
}  // namespace corvia
