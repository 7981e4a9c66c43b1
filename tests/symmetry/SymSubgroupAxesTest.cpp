// The axis types of a group are the classes of axes that the group's operations
// (rotations and improper operations alike) carry onto one another: no operation
// may relate two types. Face types rely on it: all faces of one type must find
// their axes in one axis type. Checked for every kind of group, for every subgroup
// of a few parents, and on models under the Dnd subgroups.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "core/IntMath.h"
#include "core/VectorMath.h"
#include "model/FaceTypeBlock.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "symmetry/SimplePoly.h"
#include "symmetry/SymGroup.h"
#include "symmetry/SymGroupNames.h"
#include "symmetry/SymSubgroups.h"
#include "tests/support/TestSupport.h"
#include "tests/symmetry/FindSymmetriesModels.h"
#include "tests/symmetry/SymTestHelpers.h"

namespace test_SymSubgroupAxes {

using corvia::Poly;
using corvia::PolyElement;
using corvia::SymAxisType;
using corvia::SymGroup;
using corvia::SymSubgroupSpec;
using corvia::symtest::BuildHullPoly;
using corvia::symtest::Cube;
using corvia::symtest::Icosahedron;
using corvia::symtest::Matrix;
using corvia::symtest::Point;
using corvia::symtest::TypeSizes;
using Sizes = std::vector<int>;

constexpr double kSame = 1e-6;

bool SameLine(const double* a, const double* b) {
  return corvia::NearlyEqual(a, b, kSame) || corvia::NearlyOpposite(a, b, kSame);
}

// Index of the axis of the type that lies on the line of d; -1 when none.
int AxisOnLine(const SymAxisType& type, const double* d) {
  for (int i = 0; i < type.numAxes; ++i) {
    if (SameLine(type.axes[i].direction, d)) return i;
  }
  return -1;
}

// Every non-opposite axis type is one orbit of axis lines under all operations, and
// a type of opposite ends lies on the lines of the type before it.
void ExpectAxisTypesAreOrbits(const SymGroup& group) {
  const std::vector<Matrix> ops = corvia::symtest::Operations(&group, true);
  ASSERT_EQ(static_cast<int>(corvia::symtest::Rotations(&group).size()), group.numRotations);
  for (int t = 0; t < group.numAxisTypes; ++t) {
    SCOPED_TRACE("axis type " + std::to_string(t));
    const SymAxisType& type = group.axisTypes[t];
    ASSERT_GE(type.numAxes, 1);
    EXPECT_EQ(type.singleEnded != 0, type.numAxes == type.numEnds);
    if (type.oppositeEnds) {
      ASSERT_GT(t, 0);
      const SymAxisType& before = group.axisTypes[t - 1];
      EXPECT_EQ(type.numAxes, before.numAxes);
      EXPECT_EQ(type.fold, before.fold);
      for (int i = 0; i < type.numAxes; ++i) EXPECT_GE(AxisOnLine(before, type.axes[i].direction), 0);
      continue;
    }
    std::vector<bool> reached(static_cast<size_t>(type.numAxes), false);
    for (const Matrix& m : ops) {
      double image[3];
      corvia::MatrixTimesVector(m.data(), image, type.axes[0].direction);
      const int i = AxisOnLine(type, image);
      for (int u = 0; u < group.numAxisTypes; ++u) {
        if (u == t || group.axisTypes[u].oppositeEnds) continue;
        EXPECT_LT(AxisOnLine(group.axisTypes[u], image), 0) << "an operation carries type " << t << " onto " << u;
      }
      ASSERT_GE(i, 0) << "an operation carries an axis off its type";
      reached[static_cast<size_t>(i)] = true;
    }
    for (int i = 0; i < type.numAxes; ++i) EXPECT_TRUE(reached[static_cast<size_t>(i)]) << "axis " << i;
  }
}

std::unique_ptr<SymGroup> Parent(int type, int fold, int refl) {
  auto group = corvia::CreateSymGroup(type, fold);
  group->SetReflectionType(refl);
  return group;
}

TEST(SymSubgroupAxesTest, EveryGroupHasOneOrbitPerAxisType) {
  for (const corvia::symtest::GroupKind& kind : corvia::symtest::AllGroups(12)) {
    SCOPED_TRACE(kind.Label());
    auto group = corvia::symtest::MakeGroup(kind);
    ExpectAxisTypesAreOrbits(*group);
    // Turned away from the standard orientation as well.
    const Matrix turn = corvia::symtest::GenericRotation();
    group->Rotate(turn.data());
    ExpectAxisTypesAreOrbits(*group);
  }
}

// Dnd of even n: the S2n operation carries each 2-fold axis onto the one half a
// step round, so all n of them are one type, both ends of each alike.
TEST(SymSubgroupAxesTest, DihedralRotationReflectionGroupsJoinTheirTwoFoldAxes) {
  for (int n : {2, 4, 6}) {
    SCOPED_TRACE("fold " + std::to_string(n));
    auto group = Parent(corvia::kSymGroupDihedral, n, corvia::kReflectionVertical);
    ASSERT_EQ(group->numAxisTypes, 2);
    const SymAxisType& two = group->axisTypes[1];
    EXPECT_EQ(two.fold, 2);
    EXPECT_EQ(two.numAxes, n);
    EXPECT_EQ(two.numEnds, 2 * n);
    EXPECT_FALSE(two.singleEnded);
    // In steps of half the angle between the 2-fold axes of Dn.
    for (int k = 0; k < n; ++k) {
      double sine = 0, cosine = 0;
      corvia::GetSinCos(k, 2 * n, sine, cosine);
      const double expected[3] = {cosine, 0, -sine};
      EXPECT_TRUE(corvia::NearlyEqual(two.axes[k].direction, expected, 1e-12)) << "axis " << k;
    }
    // Another reflection type puts them back into the two types of Dn.
    group->SetReflectionType(corvia::kReflectionHorizontal);
    ASSERT_EQ(group->numAxisTypes, 3);
    EXPECT_EQ(group->axisTypes[1].numAxes, n / 2);
    EXPECT_EQ(group->axisTypes[2].numAxes, n / 2);
    ExpectAxisTypesAreOrbits(*group);
    auto copy = corvia::CopySymGroup(group.get());
    copy->SetReflectionType(corvia::kReflectionVertical);
    EXPECT_EQ(copy->numAxisTypes, 2);
    ExpectAxisTypesAreOrbits(*copy);
  }
  // Odd n keeps one type for the 2-fold axes and one for their opposite ends.
  auto d3d = Parent(corvia::kSymGroupDihedral, 3, corvia::kReflectionVertical);
  EXPECT_EQ(d3d->numAxisTypes, 3);
}

TEST(SymSubgroupAxesTest, EverySubgroupHasOneOrbitPerAxisType) {
  struct Kind {
    int type, fold, refl;
  };
  const Kind parents[] = {{corvia::kSymGroupIcosahedral, 0, corvia::kReflectionHorizontal},
                          {corvia::kSymGroupOctahedral, 0, corvia::kReflectionHorizontal},
                          {corvia::kSymGroupTetrahedral, 0, corvia::kReflectionDiagonal},
                          {corvia::kSymGroupTetrahedral, 0, corvia::kReflectionHorizontal},
                          {corvia::kSymGroupDihedral, 8, corvia::kReflectionHorizontal},
                          {corvia::kSymGroupDihedral, 8, corvia::kReflectionVertical},
                          {corvia::kSymGroupDihedral, 12, corvia::kReflectionHorizontal},
                          {corvia::kSymGroupDihedral, 12, corvia::kReflectionVertical},
                          {corvia::kSymGroupDihedral, 6, corvia::kReflectionVertical},
                          {corvia::kSymGroupDihedral, 9, corvia::kReflectionVertical},
                          {corvia::kSymGroupPyramidal, 8, corvia::kReflectionRotation}};
  const Matrix turn = corvia::symtest::GenericRotation();
  for (const Kind& kind : parents) {
    auto parent = Parent(kind.type, kind.fold, kind.refl);
    parent->Rotate(turn.data());
    SCOPED_TRACE(SymGroup::GetSchoenflies(parent.get()));
    const std::vector<Matrix> parentOps = corvia::symtest::Operations(parent.get(), true);
    SymSubgroupSpec spec;
    int rotational = 0, reflective = 0;
    for (int n = 0; n < 500 && SymGroup::GetSubgroup(parent.get(), n, spec, rotational, reflective); ++n) {
      SCOPED_TRACE(std::string(corvia::GetSubgroupSchoenflies(&spec)) + " at " + std::to_string(n));
      auto sub = parent->CreateSubgroup(spec);
      ASSERT_NE(sub, nullptr);
      ExpectAxisTypesAreOrbits(*sub);
      for (const Matrix& m : corvia::symtest::Operations(sub.get(), true)) {
        EXPECT_TRUE(corvia::symtest::Contains(parentOps, m));
      }
    }
  }
}

// ---- Models under Dnd subgroups -----------------------------------------------------------

// Sizes of the orbits of the points under the operations.
Sizes OrbitSizes(const std::vector<const double*>& points, const std::vector<Matrix>& ops) {
  std::vector<bool> done(points.size(), false);
  Sizes sizes;
  for (size_t i = 0; i < points.size(); ++i) {
    if (done[i]) continue;
    int size = 0;
    for (size_t j = i; j < points.size(); ++j) {
      if (done[j]) continue;
      for (const Matrix& m : ops) {
        double image[3];
        corvia::MatrixTimesVector(m.data(), image, points[i]);
        if (corvia::NearlyEqual(image, points[j], kSame)) {
          done[j] = true;
          ++size;
          break;
        }
      }
    }
    sizes.push_back(size);
  }
  std::sort(sizes.begin(), sizes.end());
  return sizes;
}

// Face and vertex types are the orbits of the face centres and of the vertices under
// the group in use, and every face of a type found its axis in the type's axis type.
void ExpectOrbits(const Poly& poly) {
  const std::vector<Matrix> ops = corvia::symtest::Operations(poly.mSymGroup, true);
  std::vector<const double*> centres, vertices;
  for (const PolyElement* f = poly.mFaces.mHead; f; f = f->mNext) centres.push_back(f->mCentre);
  for (const PolyElement* v = poly.mVertices.mHead; v; v = v->mNext) vertices.push_back(v->mDualVert);
  EXPECT_EQ(TypeSizes(*poly.mBaseBlock), OrbitSizes(centres, ops));
  EXPECT_EQ(TypeSizes(*poly.mDualBlock), OrbitSizes(vertices, ops));
  for (const corvia::FaceTypeBlock* block : {poly.mBaseBlock.get(), poly.mDualBlock.get()}) {
    for (const corvia::FaceType* t = block->mFirstFaceType; t; t = t->mNext) {
      if (!t->mSymAxisType) continue;
      int n = 0;
      for (const PolyElement* f = t->mFirstFace; f && n < t->mCount; f = f->mNextOfType, ++n) {
        EXPECT_NE(poly.mSymGroup->FindAxisTypeOfAxis(f->GetSymAxis()), nullptr);
        EXPECT_EQ(poly.mSymGroup->FindAxisTypeOfAxis(f->GetSymAxis()), t->mSymAxisType);
      }
    }
  }
}

// Applies every subgroup whose name is a Dnd (n of two or more); returns how many.
int ApplyEveryDnd(Poly& poly) {
  const SymGroup* full = poly.GetFullSymGroup();
  SymSubgroupSpec spec;
  int rotational = 0, reflective = 0;
  int applied = 0;
  for (int n = 0; n < 500 && SymGroup::GetSubgroup(full, n, spec, rotational, reflective); ++n) {
    if (spec.type != corvia::kSymGroupDihedral || spec.reflectionType != corvia::kReflectionVertical) continue;
    SCOPED_TRACE(std::string(corvia::GetSubgroupSchoenflies(&spec)) + " at " + std::to_string(n));
    EXPECT_TRUE(poly.ApplySubSymmetry(n, -1));
    EXPECT_EQ(SymGroup::GetSchoenflies(poly.mSymGroup), corvia::GetSubgroupSchoenflies(&spec));
    ExpectOrbits(poly);
    ++applied;
  }
  return applied;
}

TEST(SymSubgroupAxesTest, CubeUnderD2d) {
  Poly cube;
  BuildHullPoly(cube, Cube());
  ASSERT_EQ(SymGroup::GetSchoenflies(cube.mSymGroup), "Oh");
  const SymGroup* full = cube.mSymGroup;
  // D2d about a 4-fold axis: the two faces on it, the four round it; the corners lie
  // on the mirrors, two sets of four.
  SymSubgroupSpec spec;
  int rotational = 0, reflective = 0;
  int found = -1;
  for (int n = 0; n < 500 && SymGroup::GetSubgroup(full, n, spec, rotational, reflective); ++n) {
    if (std::string(corvia::GetSubgroupSchoenflies(&spec)) == "D2d" && spec.primary) {
      found = n;
      break;
    }
  }
  ASSERT_GT(found, 0);
  ASSERT_TRUE(cube.ApplySubSymmetry(found, -1));
  EXPECT_EQ(TypeSizes(*cube.mBaseBlock), (Sizes{2, 4}));
  EXPECT_EQ(TypeSizes(*cube.mDualBlock), (Sizes{4, 4}));
  ExpectOrbits(cube);
}

TEST(SymSubgroupAxesTest, ModelsUnderEveryDndSubgroup) {
  {
    SCOPED_TRACE("cube");
    Poly cube;
    BuildHullPoly(cube, Cube());
    // D2d twice (about a 4-fold axis, with 2-fold axes through faces or edges), D3d.
    EXPECT_EQ(ApplyEveryDnd(cube), 3);
  }
  {
    SCOPED_TRACE("icosahedron");
    Poly icosahedron;
    BuildHullPoly(icosahedron, Icosahedron());
    ASSERT_EQ(SymGroup::GetSchoenflies(icosahedron.mSymGroup), "Ih");
    // D5d and D3d.
    EXPECT_EQ(ApplyEveryDnd(icosahedron), 2);
  }
  {
    SCOPED_TRACE("square antiprism");
    Poly antiprism;
    BuildHullPoly(antiprism, corvia::symtest::SquareAntiprism());
    ASSERT_EQ(SymGroup::GetSchoenflies(antiprism.mSymGroup), "D4d");
    ExpectOrbits(antiprism);
    EXPECT_GE(ApplyEveryDnd(antiprism), 1);
  }
}

}  // namespace test_SymSubgroupAxes
