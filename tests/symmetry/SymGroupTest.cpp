// The symmetry groups as group theory sees them: orders, closure, inverses, the
// axes permuted among themselves, mirror planes that are reflections of the group,
// and the standard orientation.

#include <gtest/gtest.h>

#include <cmath>

#include "model/Face.h"
#include "model/ModelSymmetry.h"
#include "symmetry/SymGroup.h"
#include "symmetry/SymOperations.h"
#include "tests/support/TestSupport.h"
#include "tests/symmetry/SymTestHelpers.h"

namespace corvia {
namespace {

using symtest::Matrix;

int ExpectedRotations(int type, int fold) {
  switch (type) {
    case kSymGroupIcosahedral:
      return 60;
    case kSymGroupOctahedral:
      return 24;
    case kSymGroupTetrahedral:
      return 12;
    case kSymGroupDihedral:
      return 2 * fold;
    case kSymGroupPyramidal:
      return fold;
    default:
      return 1;
  }
}

// The number of plane reflections in a group, from its standard name: Ih 15,
// Oh 9, Td 6, Th 3, Dnh n + 1, Dnd n, Cnv n, Cnh 1, Cs 1, otherwise none.
int ExpectedReflections(const symtest::GroupKind& k) {
  if (k.refl == kReflectionChiral || k.refl == kReflectionRotation || k.refl == kReflectionCentral) return 0;
  switch (k.type) {
    case kSymGroupIcosahedral:
      return 15;
    case kSymGroupOctahedral:
      return 9;
    case kSymGroupTetrahedral:
      return k.refl == kReflectionDiagonal ? 6 : 3;
    case kSymGroupDihedral:
      return k.refl == kReflectionHorizontal ? k.fold + 1 : k.fold;
    case kSymGroupPyramidal:
      return k.refl == kReflectionHorizontal ? 1 : k.fold;
    default:
      return 1;
  }
}

bool IsPlaneReflection(const Matrix& m) {
  // Improper with trace 1: a reflection in a plane through the origin.
  return symtest::Determinant(m) < 0 && std::fabs(m[0] + m[4] + m[8] - 1.0) <= 1e-9;
}

TEST(SymGroupTest, EveryGroupHasTheOrderOfItsType) {
  for (const auto& kind : symtest::AllGroups(12)) {
    SCOPED_TRACE(kind.Label());
    auto group = symtest::MakeGroup(kind);
    int rotations = ExpectedRotations(kind.type, kind.fold);
    EXPECT_EQ(group->numRotations, rotations);
    EXPECT_EQ(static_cast<int>(symtest::Rotations(group.get()).size()), rotations);
    int order = kind.refl == kReflectionChiral ? rotations : 2 * rotations;
    EXPECT_EQ(static_cast<int>(symtest::Operations(group.get(), true).size()), order);
  }
}

TEST(SymGroupTest, OperationsFormAGroup) {
  for (const auto& kind : symtest::AllGroups(7)) {
    SCOPED_TRACE(kind.Label());
    auto group = symtest::MakeGroup(kind);
    auto ops = symtest::Operations(group.get(), true);
    ASSERT_FALSE(ops.empty());
    EXPECT_TRUE(symtest::SameMatrix(ops[0], symtest::Identity()));
    for (size_t i = 0; i < ops.size(); ++i) {
      // Distinct, so that the count above is the order.
      for (size_t j = i + 1; j < ops.size(); ++j) ASSERT_FALSE(symtest::SameMatrix(ops[i], ops[j])) << i << " " << j;
      // Orthogonal: the inverse is the transpose, and it is in the group.
      Matrix inverse = symtest::Transposed(ops[i]);
      EXPECT_TRUE(symtest::SameMatrix(symtest::Multiply(ops[i], inverse), symtest::Identity()));
      EXPECT_TRUE(symtest::Contains(ops, inverse)) << "inverse of " << i;
      for (size_t j = 0; j < ops.size(); ++j) {
        ASSERT_TRUE(symtest::Contains(ops, symtest::Multiply(ops[i], ops[j]))) << i << " x " << j;
      }
    }
  }
}

TEST(SymGroupTest, RotationsHaveDeterminantPlusOneAndImproperOnesMinusOne) {
  for (const auto& kind : symtest::AllGroups(6)) {
    SCOPED_TRACE(kind.Label());
    auto group = symtest::MakeGroup(kind);
    auto ops = symtest::Operations(group.get(), true);
    size_t rotations = static_cast<size_t>(group->numRotations);
    for (size_t i = 0; i < ops.size(); ++i) {
      EXPECT_NEAR(symtest::Determinant(ops[i]), i < rotations ? 1.0 : -1.0, 1e-12) << i;
    }
  }
}

TEST(SymGroupTest, MirrorPlanesAreTheReflectionsOfTheGroup) {
  for (const auto& kind : symtest::AllGroups(8)) {
    SCOPED_TRACE(kind.Label());
    auto group = symtest::MakeGroup(kind);
    auto ops = symtest::Operations(group.get(), true);
    int reflections = 0;
    for (const Matrix& m : ops) reflections += IsPlaneReflection(m) ? 1 : 0;
    EXPECT_EQ(reflections, ExpectedReflections(kind));
    EXPECT_EQ(group->mirrorPlanes.count, reflections);
    for (int k = 0; k < group->mirrorPlanes.count; ++k) {
      Matrix m = symtest::Identity();
      group->GetReflectionMatrix(m.data(), kReflectionHorizontal, group->mirrorPlanes[k].direction);
      EXPECT_TRUE(symtest::Contains(ops, m)) << "plane " << k;
      EXPECT_NEAR(Dot(group->mirrorPlanes[k].direction, group->mirrorPlanes[k].direction), 1.0, 1e-12);
    }
    // Central inversion is -I in the group.
    Matrix minusI = {-1, 0, 0, 0, -1, 0, 0, 0, -1};
    EXPECT_EQ(group->HasCentralInversion(), symtest::Contains(ops, minusI));
  }
}

// Every rotation of the group maps each axis of a type onto an axis of the same
// type (or, for a type that stands for both ends, onto one up to sense).
TEST(SymGroupTest, RotationsPermuteTheAxesOfEachType) {
  for (int type = kSymGroupIcosahedral; type <= kSymGroupPyramidal; ++type) {
    for (int fold : {1, 2, 3, 4, 5, 6}) {
      if (fold > 1 && type < kSymGroupDihedral) continue;
      SCOPED_TRACE("type " + std::to_string(type) + " fold " + std::to_string(fold));
      auto group = CreateSymGroup(type, fold);
      for (const Matrix& m : symtest::Rotations(group.get())) {
        for (int t = 0; t < group->numAxisTypes; ++t) {
          const SymAxisType& axisType = group->axisTypes[t];
          for (int i = 0; i < axisType.numAxes; ++i) {
            double image[3];
            MatrixTimesVector(m.data(), image, axisType.axes[i].direction);
            SymAxisType* found = group->FindAxisTypeAlong(image);
            ASSERT_NE(found, nullptr);
            EXPECT_EQ(found->fold, axisType.fold);
          }
        }
      }
      // Unit axes with a unit reference across them.
      for (int t = 0; t < group->numAxisTypes; ++t) {
        for (int i = 0; i < group->axisTypes[t].numAxes; ++i) {
          const SymAxis& axis = group->axisTypes[t].axes[i];
          EXPECT_NEAR(Dot(axis.direction, axis.direction), 1.0, 1e-12);
          EXPECT_NEAR(Dot(axis.reference, axis.reference), 1.0, 1e-12);
          EXPECT_NEAR(Dot(axis.direction, axis.reference), 0.0, 1e-12);
        }
      }
    }
  }
}

TEST(SymGroupTest, StandardOrientation) {
  const double y[3] = {0, 1, 0};
  for (int fold = 1; fold <= 8; ++fold) {
    for (int type : {kSymGroupDihedral, kSymGroupPyramidal}) {
      auto group = CreateSymGroup(type, fold);
      ASSERT_GE(group->numAxisTypes, 1);
      EXPECT_EQ(group->axisTypes[0].fold, fold);
      EXPECT_TRUE(PointsEqual(group->axisTypes[0].axes[0].direction, y));
    }
  }
  auto octahedral = CreateSymGroup(kSymGroupOctahedral, 0);
  const SymAxisType& four = octahedral->axisTypes[0];
  ASSERT_EQ(four.fold, 4);
  ASSERT_EQ(four.numAxes, 3);
  for (int i = 0; i < 3; ++i) {
    double e[3] = {0, 0, 0};
    e[i] = 1;
    EXPECT_TRUE(PointsEqual(four.axes[i].direction, e));
  }
  // The 2-fold axes of a dihedral group lie across the main axis.
  auto dihedral = CreateSymGroup(kSymGroupDihedral, 7);
  for (int t = 1; t < 3; ++t) {
    for (int i = 0; i < dihedral->axisTypes[t].numAxes; ++i) {
      EXPECT_EQ(dihedral->axisTypes[t].axes[i].direction[1], 0.0);
    }
  }
}

TEST(SymGroupTest, NewGroupAndGroupsWithoutAxes) {
  SymGroup fresh;
  EXPECT_EQ(fresh.type, -1);
  EXPECT_EQ(fresh.reflectionType, kReflectionChiral);
  EXPECT_EQ(fresh.mirrorPlanes.count, 0);
  EXPECT_TRUE(symtest::SameMatrix(symtest::Matrix{fresh.orientation[0], fresh.orientation[1], fresh.orientation[2],
                                                  fresh.orientation[3], fresh.orientation[4], fresh.orientation[5],
                                                  fresh.orientation[6], fresh.orientation[7], fresh.orientation[8]},
                                  symtest::Identity()));
  // The constructor's type is outside the codes: a reflection type changes nothing.
  fresh.SetReflectionType(kReflectionHorizontal);
  EXPECT_EQ(fresh.reflectionType, kReflectionChiral);

  auto none = CreateSymGroup(kSymGroupNone, 0);
  EXPECT_EQ(none->numRotations, 1);
  EXPECT_EQ(none->numAxisTypes, 0);
  auto odd = CreateSymGroup(9, 0);
  EXPECT_EQ(odd->type, 9);
  EXPECT_EQ(odd->numRotations, 1);

  // A fold below 1 is taken as 1, never a division by zero.
  auto flat = CreateSymGroup(kSymGroupDihedral, 0);
  EXPECT_EQ(flat->axisTypes[0].fold, 1);
  EXPECT_EQ(flat->numRotations, 2);
}

TEST(SymGroupTest, DihedralTwoFoldTypesByParity) {
  auto five = CreateSymGroup(kSymGroupDihedral, 5);
  ASSERT_EQ(five->numAxisTypes, 3);
  for (int t = 1; t < 3; ++t) {
    EXPECT_EQ(five->axisTypes[t].numAxes, 5);
    EXPECT_TRUE(five->axisTypes[t].singleEnded);
  }
  EXPECT_TRUE(five->axisTypes[2].oppositeEnds);
  for (int i = 0; i < 5; ++i) {
    // Each axis of type 2 is the far end of some axis of type 1.
    double opposite[3];
    NegateInto(opposite, five->axisTypes[2].axes[i].direction);
    bool found = false;
    for (int j = 0; j < 5; ++j) found |= NearlyEqual(opposite, five->axisTypes[1].axes[j].direction, 1e-12);
    EXPECT_TRUE(found) << i;
  }
  auto six = CreateSymGroup(kSymGroupDihedral, 6);
  for (int t = 1; t < 3; ++t) {
    EXPECT_EQ(six->axisTypes[t].numAxes, 3);
    EXPECT_FALSE(six->axisTypes[t].singleEnded);
  }
  EXPECT_FALSE(six->axisTypes[2].oppositeEnds);
}

TEST(SymGroupTest, DihedralMirrorPlanes) {
  auto group = CreateSymGroup(kSymGroupDihedral, 6);
  group->SetReflectionType(kReflectionHorizontal);
  ASSERT_EQ(group->mirrorPlanes.count, 7);
  const double x[3] = {1, 0, 0};
  const double y[3] = {0, 1, 0};
  EXPECT_TRUE(PointsEqual(group->mirrorPlanes[0].direction, x));
  EXPECT_TRUE(PointsEqual(group->mirrorPlanes[6].direction, y));
  group->SetReflectionType(kReflectionVertical);
  ASSERT_EQ(group->mirrorPlanes.count, 6);
  EXPECT_NEAR(group->mirrorPlanes[0].direction[0], std::cos(M_PI / 12), 1e-15);
  EXPECT_NEAR(group->mirrorPlanes[0].direction[2], -std::sin(M_PI / 12), 1e-15);
  group->SetReflectionType(kReflectionChiral);
  EXPECT_EQ(group->mirrorPlanes.count, 0);
}

TEST(SymGroupTest, AxisLookups) {
  const double down[3] = {0, -1, 0};
  auto pyramidal = CreateSymGroup(kSymGroupPyramidal, 4);
  auto dihedral = CreateSymGroup(kSymGroupDihedral, 4);
  EXPECT_EQ(pyramidal->IndexOfAxisType(pyramidal->FindAxisTypeAlong(down)), 1);
  EXPECT_EQ(dihedral->IndexOfAxisType(dihedral->FindAxisTypeAlong(down)), 0);

  auto octahedral = CreateSymGroup(kSymGroupOctahedral, 0);
  EXPECT_EQ(octahedral->TotalAxes(), 13);
  EXPECT_EQ(octahedral->GetAxis(0), &octahedral->axisTypes[0].axes[0]);
  EXPECT_EQ(octahedral->GetAxis(3), &octahedral->axisTypes[1].axes[0]);
  EXPECT_EQ(octahedral->GetAxis(12), &octahedral->axisTypes[2].axes[5]);
  EXPECT_EQ(octahedral->GetAxis(13), nullptr);
  EXPECT_EQ(octahedral->GetAxis(-1), nullptr);
  EXPECT_EQ(octahedral->GetAxisTypeIndex(3), 1);
  EXPECT_EQ(octahedral->FindAxisType(5), nullptr);
  EXPECT_EQ(octahedral->FindAxisTypeOfAxis(octahedral->GetAxis(7)), &octahedral->axisTypes[2]);
  EXPECT_EQ(octahedral->IndexOfAxisType(nullptr), -1);

  // Any length and either sense find the type of a direction.
  const double diagonal[3] = {-2, -2, 2};
  EXPECT_EQ(octahedral->FindAxisTypeOfDirection(diagonal), &octahedral->axisTypes[1]);
  const double skew[3] = {1, 2, 3};
  EXPECT_EQ(octahedral->FindAxisTypeOfDirection(skew), nullptr);

  // Even axes in the plane z = 0: the 4-fold x and y axes, then the 2-fold
  // diagonals (1,1,0) and (1,-1,0); no wrapping after the last.
  const double z[3] = {0, 0, 1};
  std::vector<SymAxis*> inPlane;
  for (SymAxis* a = octahedral->FindEvenAxisInPlane(z, nullptr); a; a = octahedral->FindNextEvenAxisInPlane(z, a)) {
    inPlane.push_back(a);
    ASSERT_LT(inPlane.size(), 10u);
  }
  ASSERT_EQ(inPlane.size(), 4u);
  EXPECT_EQ(inPlane[0], &octahedral->axisTypes[0].axes[0]);
  EXPECT_EQ(inPlane[1], &octahedral->axisTypes[0].axes[1]);
  EXPECT_EQ(inPlane[2], &octahedral->axisTypes[2].axes[0]);
  EXPECT_EQ(inPlane[3], &octahedral->axisTypes[2].axes[1]);
  const double along[3] = {-3, 3, 0};
  EXPECT_EQ(octahedral->FindEvenAxisInPlane(z, along), &octahedral->axisTypes[2].axes[1]);

  octahedral->axisTypes[1].axes[2].flags = 0x3F;
  octahedral->ClearAxisFlags();
  EXPECT_EQ(octahedral->axisTypes[1].axes[2].flags, 0x30);
}

TEST(SymGroupTest, GuessFromFaces) {
  EXPECT_EQ(GuessSymGroupFromFaces(3, 20)->type, kSymGroupIcosahedral);
  EXPECT_EQ(GuessSymGroupFromFaces(5, 12)->type, kSymGroupIcosahedral);
  EXPECT_EQ(GuessSymGroupFromFaces(3, 8)->type, kSymGroupOctahedral);
  EXPECT_EQ(GuessSymGroupFromFaces(4, 6)->type, kSymGroupOctahedral);
  EXPECT_EQ(GuessSymGroupFromFaces(3, 12)->type, kSymGroupTetrahedral);
  auto square = GuessSymGroupFromFaces(4, 8);
  EXPECT_EQ(square->type, kSymGroupDihedral);
  EXPECT_EQ(square->axisTypes[0].fold, 4);
}

TEST(SymGroupTest, RotatedGroupIsConjugated) {
  Matrix m = symtest::GenericRotation();
  for (const auto& kind : symtest::AllGroups(5)) {
    SCOPED_TRACE(kind.Label());
    auto group = symtest::MakeGroup(kind);
    auto standard = symtest::Operations(group.get(), true);
    group->Rotate(m.data());
    Matrix orientation;
    for (int j = 0; j < 9; ++j) orientation[j] = group->orientation[j];
    EXPECT_TRUE(symtest::SameMatrix(orientation, m));
    auto turned = symtest::Operations(group.get(), true);
    ASSERT_EQ(turned.size(), standard.size());
    for (const Matrix& op : standard) {
      EXPECT_TRUE(symtest::Contains(turned, symtest::Multiply(m, symtest::Multiply(op, symtest::Transposed(m)))));
    }
    // A reflection type set after the turn lands on the turned planes.
    auto planes = CopySymGroup(group.get());
    planes->SetReflectionType(kind.refl);
    ASSERT_EQ(planes->mirrorPlanes.count, group->mirrorPlanes.count);
    for (int k = 0; k < planes->mirrorPlanes.count; ++k) {
      EXPECT_TRUE(NearlyEqual(planes->mirrorPlanes[k].direction, group->mirrorPlanes[k].direction, 1e-6));
    }
  }
  // The identity leaves the group exactly as it was.
  auto group = CreateSymGroup(kSymGroupOctahedral, 0);
  Matrix identity = symtest::Identity();
  identity[1] = 1e-7;
  group->Rotate(identity.data());
  EXPECT_EQ(group->axisTypes[1].axes[0].direction[0], SqrtThird);
}

TEST(SymGroupTest, CopyIsDeepAndComplete) {
  auto group = CreateSymGroup(kSymGroupDihedral, 5);
  group->SetReflectionType(kReflectionVertical);
  Matrix m = symtest::GenericRotation();
  group->Rotate(m.data());
  group->axisTypes[1].axes[3].flags = 5;
  auto copy = CopySymGroup(group.get());
  EXPECT_EQ(CopySymGroup(nullptr), nullptr);
  ASSERT_EQ(copy->numAxisTypes, group->numAxisTypes);
  EXPECT_EQ(copy->type, group->type);
  EXPECT_EQ(copy->reflectionType, group->reflectionType);
  EXPECT_EQ(copy->numRotations, group->numRotations);
  for (int t = 0; t < copy->numAxisTypes; ++t) {
    EXPECT_NE(copy->axisTypes[t].axes.get(), group->axisTypes[t].axes.get());
    EXPECT_EQ(copy->axisTypes[t].singleEnded, group->axisTypes[t].singleEnded);
    EXPECT_EQ(copy->axisTypes[t].oppositeEnds, group->axisTypes[t].oppositeEnds);
    for (int i = 0; i < copy->axisTypes[t].numAxes; ++i) {
      EXPECT_TRUE(PointsEqual(copy->axisTypes[t].axes[i].direction, group->axisTypes[t].axes[i].direction));
      EXPECT_TRUE(PointsEqual(copy->axisTypes[t].axes[i].reference, group->axisTypes[t].axes[i].reference));
    }
  }
  EXPECT_EQ(copy->axisTypes[1].axes[3].flags, 5);
  ASSERT_EQ(copy->mirrorPlanes.count, 5);
  for (int k = 0; k < 5; ++k) {
    EXPECT_TRUE(PointsEqual(copy->mirrorPlanes[k].direction, group->mirrorPlanes[k].direction));
  }
  for (int j = 0; j < 9; ++j) EXPECT_EQ(copy->orientation[j], group->orientation[j]);
  EXPECT_EQ(SymGroup::GetMemorySize(copy.get()), SymGroup::GetMemorySize(group.get()));
}

TEST(SymGroupTest, MemorySize) {
  EXPECT_EQ(SymGroup::GetMemorySize(nullptr), 0u);
  auto group = CreateSymGroup(kSymGroupOctahedral, 0);
  group->SetReflectionType(kReflectionHorizontal);
  EXPECT_EQ(SymGroup::GetMemorySize(group.get()),
            sizeof(SymGroup) + 3 * sizeof(SymAxisType) + (9 + 13) * sizeof(SymAxis));
}

// Destroying a group that does not hold the selected axis (a copy, a temporary)
// keeps the user's selection; destroying the one that holds it clears it.
TEST(SymGroupTest, DestructorClearsOnlyItsOwnSelectedAxis) {
  auto shown = CreateSymGroup(kSymGroupOctahedral, 0);
  SelectedSymAxis = shown->GetAxis(4);
  CopySymGroup(shown.get()).reset();
  CreateSymGroup(kSymGroupIcosahedral, 0).reset();
  EXPECT_EQ(SelectedSymAxis, shown->GetAxis(4));
  shown.reset();
  EXPECT_EQ(SelectedSymAxis, nullptr);
}

TEST(SymGroupTest, DeselectingRedraws) {
  auto group = CreateSymGroup(kSymGroupOctahedral, 0);
  SelectedSymAxis = group->GetAxis(0);
  int before = testing::Platform().views.mRedraws;
  SelectAxis(group.get(), -1);
  EXPECT_EQ(SelectedSymAxis, nullptr);
  EXPECT_EQ(testing::Platform().views.mRedraws, before + 1);
  SelectAxis(group.get(), -1);
  EXPECT_EQ(testing::Platform().views.mRedraws, before + 1);
  // A number past the last axis deselects too, instead of reading a missing axis.
  SelectedSymAxis = group->GetAxis(12);
  SelectAxis(group.get(), 13);
  EXPECT_EQ(SelectedSymAxis, nullptr);
  EXPECT_EQ(testing::Platform().views.mRedraws, before + 2);
}

TEST(SymGroupTest, AllowedReflectionTypes) {
  EXPECT_TRUE(IsReflectionTypeAllowed(kSymGroupTetrahedral, kReflectionDiagonal));
  EXPECT_FALSE(IsReflectionTypeAllowed(kSymGroupOctahedral, kReflectionDiagonal));
  EXPECT_TRUE(IsReflectionTypeAllowed(kSymGroupPyramidal, kReflectionRotation));
  EXPECT_FALSE(IsReflectionTypeAllowed(kSymGroupDihedral, kReflectionRotation));
  EXPECT_TRUE(IsReflectionTypeAllowed(kSymGroupNone, kReflectionCentral));
  EXPECT_FALSE(IsReflectionTypeAllowed(kSymGroupPyramidal, kReflectionCentral));
  EXPECT_FALSE(IsReflectionTypeAllowed(-1, kReflectionChiral));
  EXPECT_EQ(symtest::AllGroups(1).size(), 2u + 2u + 3u + 3u + 4u + 3u);
}

// The constants are fixed at compile time and equal what the library computes at
// run time, so that axes built from them match axes computed from a model.
TEST(SymGroupTest, ConstantsMatchTheirDefinition) {
  static_assert(SqrtThird > 0.577 && GoldenRatio > 1.618);
  volatile double three = 3.0, two = 2.0, five = 5.0;
  EXPECT_EQ(SqrtThird, std::sqrt(1.0 / three));
  EXPECT_EQ(SqrtHalf, std::sqrt(1.0 / two));
  EXPECT_EQ(Sqrt5, std::sqrt(five));
  EXPECT_EQ(GoldenRatio, (1.0 + std::sqrt(five)) * 0.5);
  EXPECT_NEAR(GoldenRatio * GoldenRatio, GoldenRatio + 1.0, 1e-15);
}

// Without a model behind the face no mirror image is found: vertical reflection.
TEST(SymGroupTest, DetectReflectionTypeWithoutModel) {
  auto group = CreateSymGroup(kSymGroupDihedral, 4);
  Face face(nullptr, nullptr, 4);
  DetectReflectionType(*group, &face);
  EXPECT_EQ(group->reflectionType, kReflectionVertical);
  EXPECT_EQ(group->mirrorPlanes.count, 4);
  DetectReflectionType(*group, nullptr);
  EXPECT_EQ(group->reflectionType, kReflectionVertical);
}

}  // namespace
}  // namespace corvia
