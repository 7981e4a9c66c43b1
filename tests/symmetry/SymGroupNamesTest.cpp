// Names and notations of the groups, and the subgroup lists: every subgroup built
// from the lists must be a subgroup of its parent, operation by operation.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "symmetry/SymGroup.h"
#include "symmetry/SymGroupNames.h"
#include "symmetry/SymSubgroups.h"
#include "tests/support/TestSupport.h"
#include "tests/symmetry/SymTestHelpers.h"

namespace corvia {
namespace {

struct NamedGroup {
  int type;
  int fold;
  int refl;
  const char* name;
  const char* schoenflies;
  const char* orbifold;
  const char* coxeter;
};

const NamedGroup kNamedGroups[] = {
    {kSymGroupIcosahedral, 0, kReflectionHorizontal, "Icosahedral", "Ih", "*532", "[5,3]"},
    {kSymGroupIcosahedral, 0, kReflectionChiral, "Icosahedral", "I", "532", "[5,3]+"},
    {kSymGroupOctahedral, 0, kReflectionHorizontal, "Octahedral", "Oh", "*432", "[4,3]"},
    {kSymGroupOctahedral, 0, kReflectionChiral, "Octahedral", "O", "432", "[4,3]+"},
    {kSymGroupTetrahedral, 0, kReflectionHorizontal, "Tetrahedral", "Th", "3*2", "[4,3+]"},
    {kSymGroupTetrahedral, 0, kReflectionDiagonal, "Tetrahedral", "Td", "*332", "[3,3]"},
    {kSymGroupTetrahedral, 0, kReflectionChiral, "Tetrahedral", "T", "332", "[3,3]+"},
    {kSymGroupDihedral, 5, kReflectionHorizontal, "5-fold Dihedral", "D5h", "*225", "[2,5]"},
    {kSymGroupDihedral, 4, kReflectionVertical, "4-fold Dihedral", "D4d", "2*4", "[2+,8]"},
    {kSymGroupDihedral, 3, kReflectionChiral, "3-fold Dihedral", "D3", "223", "[2,3]+"},
    {kSymGroupDihedral, 12, kReflectionHorizontal, "12-fold Dihedral", "D12h", "*2.2.12", "[2,12]"},
    {kSymGroupDihedral, 10, kReflectionChiral, "10-fold Dihedral", "D10", "2.2.10", "[2,10]+"},
    {kSymGroupPyramidal, 6, kReflectionHorizontal, "6-fold Pyramidal", "C6h", "6*", "[2,6+]"},
    {kSymGroupPyramidal, 4, kReflectionVertical, "4-fold Pyramidal", "C4v", "*44", "[1,4]"},
    {kSymGroupPyramidal, 11, kReflectionVertical, "11-fold Pyramidal", "C11v", "*11.11", "[1,11]"},
    {kSymGroupPyramidal, 3, kReflectionRotation, "3-fold Pyramidal", "S6", "3x", "[2+,6+]"},
    {kSymGroupPyramidal, 7, kReflectionChiral, "7-fold Pyramidal", "C7", "77", "[1,7]+"},
    {kSymGroupNone, 0, kReflectionHorizontal, "No Symmetry", "Cs", "1*", "[ ]"},
    {kSymGroupNone, 0, kReflectionCentral, "No Symmetry", "Ci", "1x", "[2+,2+]"},
    {kSymGroupNone, 0, kReflectionChiral, "No Symmetry", "C1", "11", "[ ]+"},
};

TEST(SymGroupNamesTest, NamesInEveryNotation) {
  for (const NamedGroup& g : kNamedGroups) {
    SCOPED_TRACE(g.schoenflies);
    auto group = CreateSymGroup(g.type, g.fold);
    group->SetReflectionType(g.refl);
    EXPECT_EQ(SymGroup::GetName(group.get()), g.name);
    EXPECT_STREQ(SymGroup::GetReflectionName(group.get()), GetReflectionName(g.refl));
    EXPECT_EQ(SymGroup::GetSchoenflies(group.get()), g.schoenflies);
    EXPECT_EQ(SymGroup::GetOrbifold(group.get()), g.orbifold);
    EXPECT_EQ(SymGroup::GetCoxeter(group.get()), g.coxeter);
    std::string joined = std::string(g.schoenflies) + " | " + g.orbifold + " | " + g.coxeter;
    EXPECT_EQ(SymGroup::GetNotations(group.get(), " | "), joined);
    SymSubgroupSpec spec;
    spec.type = g.type;
    spec.fold = group->numAxisTypes > 0 ? group->axisTypes[0].fold : -1;
    spec.reflectionType = g.refl;
    EXPECT_EQ(GetSubgroupNotations(&spec, " | "), joined);
  }
}

TEST(SymGroupNamesTest, EdgeCases) {
  auto d12h = CreateSymGroup(kSymGroupDihedral, 12);
  d12h->SetReflectionType(kReflectionHorizontal);
  EXPECT_EQ(SymGroup::GetName(d12h.get()), "12-fold Dihedral");
  EXPECT_EQ(SymGroup::GetNotations(d12h.get(), " "), "D12h *2.2.12 [2,12]");

  EXPECT_EQ(GetSchoenfliesNotation(kSymGroupPyramidal, kReflectionRotation, 3), "S6");
  EXPECT_EQ(GetOrbifoldNotation(kSymGroupPyramidal, kReflectionRotation, 3), "3x");
  EXPECT_EQ(GetCoxeterNotation(kSymGroupPyramidal, kReflectionRotation, 3), "[2+,6+]");

  // Pairs that name no group still read sensibly.
  EXPECT_EQ(GetSchoenfliesNotation(kSymGroupOctahedral, kReflectionVertical, 4), "Ov");
  EXPECT_EQ(GetSchoenfliesNotation(kSymGroupPyramidal, kReflectionDiagonal, 5), "C5d");
  EXPECT_EQ(GetOrbifoldNotation(kSymGroupIcosahedral, kReflectionCentral, 5), "532");
  EXPECT_EQ(GetOrbifoldNotation(7, 0, 1), "???");
  EXPECT_EQ(GetCoxeterNotation(-1, 0, 1), "???");

  auto none = CreateSymGroup(kSymGroupNone, 0);
  EXPECT_EQ(SymGroup::GetName(none.get()), "No Symmetry");
  EXPECT_EQ(SymGroup::GetName(nullptr), "Unknown");
  EXPECT_STREQ(SymGroup::GetReflectionName(nullptr), "Unknown");
  EXPECT_STREQ(GetSymmetryTypeName(kSymGroupDihedral), "N-fold Dihedral");
  EXPECT_STREQ(GetSymmetryTypeName(6), "???");
  EXPECT_STREQ(GetReflectionName(-1), "???");
  EXPECT_STREQ(GetReflectionName(kReflectionRotation), "Rotation-Reflection");
  EXPECT_EQ(GetSubgroupNotations(nullptr, "/"), "C1/11/[ ]+");
}

// Folds of any size print in full; no buffer is overrun.
// Every name is a value of its own: names of two groups held at once stay apart,
// so that a test comparing two names compares the groups.
TEST(SymGroupNamesTest, NamesHeldAtOnceStayApart) {
  auto d5h = CreateSymGroup(kSymGroupDihedral, 5);
  d5h->SetReflectionType(kReflectionHorizontal);
  auto c4v = CreateSymGroup(kSymGroupPyramidal, 4);
  c4v->SetReflectionType(kReflectionVertical);
  const auto first = SymGroup::GetSchoenflies(d5h.get());
  const auto second = SymGroup::GetSchoenflies(c4v.get());
  EXPECT_EQ(std::string(first), "D5h");
  EXPECT_EQ(std::string(second), "C4v");
  SymSubgroupSpec spec;
  spec.type = kSymGroupDihedral;
  spec.fold = 3;
  spec.reflectionType = kReflectionChiral;
  EXPECT_NE(std::string(SymGroup::GetSchoenflies(d5h.get())), std::string(GetSubgroupSchoenflies(&spec)));
  EXPECT_NE(std::string(SymGroup::GetName(d5h.get())), std::string(SymGroup::GetName(c4v.get())));
  EXPECT_NE(std::string(SymGroup::GetRotationalSubgroupName(d5h.get(), spec)),
            std::string(SymGroup::GetName(c4v.get())));
}

TEST(SymGroupNamesTest, HugeFoldsAreNotCut) {
  EXPECT_EQ(GetOrbifoldNotation(kSymGroupPyramidal, kReflectionVertical, 10000), "*10000.10000");
  EXPECT_EQ(GetCoxeterNotation(kSymGroupDihedral, kReflectionVertical, 2000000000), "[2+,4000000000]");
  EXPECT_EQ(GetSchoenfliesNotation(kSymGroupPyramidal, kReflectionRotation, 2000000000), "S4000000000");
  EXPECT_EQ(GetSymmetryName(kSymGroupPyramidal, 2147483647), "2147483647-fold Pyramidal");
  std::string separator(300, '-');
  // Nothing is cut, whatever the separator.
  EXPECT_EQ(GetSubgroupNotations(nullptr, separator.c_str()), "C1" + separator + "11" + separator + "[ ]+");
}

TEST(SymGroupNamesTest, AxisNames) {
  char buffer[64];
  auto pyramidal = CreateSymGroup(kSymGroupPyramidal, 5);  // two axis types
  EXPECT_TRUE(GetAxisName(pyramidal.get(), buffer, sizeof buffer, "Colour by", 1));
  EXPECT_STREQ(buffer, "Colour by 5-fold axis");
  EXPECT_FALSE(GetAxisName(pyramidal.get(), buffer, sizeof buffer, "Colour by", 2));
  EXPECT_STREQ(buffer, "Colour by 3rd axis");
  EXPECT_TRUE(GetAxisName(pyramidal.get(), buffer, sizeof buffer, "Rotation", 0));
  EXPECT_STREQ(buffer, "Rotation 5-fold Axis");
  EXPECT_TRUE(GetAxisName(pyramidal.get(), buffer, sizeof buffer, "  ", 0));
  EXPECT_STREQ(buffer, "5-fold Axis");
  EXPECT_FALSE(GetAxisName(nullptr, buffer, sizeof buffer, "Show the", 1));
  EXPECT_STREQ(buffer, "Show the 2nd axis");
  EXPECT_FALSE(GetAxisName(nullptr, buffer, sizeof buffer, "Axis No.", 10));
  EXPECT_STREQ(buffer, "Axis No. 11th Axis");
  // A small buffer is filled, never overrun.
  char small[8];
  GetAxisName(pyramidal.get(), small, sizeof small, "Colour by", 0);
  EXPECT_EQ(std::strlen(small), 7u);
}

// ---- Subgroups ------------------------------------------------------------------

std::vector<SymSubgroupSpec> AllSubgroups(const SymGroup* parent) {
  std::vector<SymSubgroupSpec> list;
  SymSubgroupSpec spec;
  int rot = 0, refl = 0;
  while (SymGroup::GetNextSubgroup(parent, spec, rot, refl)) {
    list.push_back(spec);
    if (list.size() > 500) break;
  }
  return list;
}

std::vector<std::string> ReflectiveNames(const SymGroup* parent, int rotational) {
  std::vector<std::string> names;
  SymSubgroupSpec spec;
  EXPECT_TRUE(SymGroup::GetRotationalSubgroup(parent, rotational, spec));
  while (SymGroup::GetNextReflectiveSubgroup(parent, spec)) {
    names.push_back(GetSubgroupSchoenflies(&spec));
    if (names.size() > 20) break;
  }
  return names;
}

std::vector<std::string> RotationalNames(const SymGroup* parent) {
  std::vector<std::string> names;
  SymSubgroupSpec spec;
  while (SymGroup::GetNextRotationalSubgroup(parent, spec)) {
    names.push_back(SymGroup::GetRotationalSubgroupName(parent, spec));
    if (names.size() > 50) break;
  }
  return names;
}

TEST(SymSubgroupsTest, RotationalLists) {
  auto oh = CreateSymGroup(kSymGroupOctahedral, 0);
  oh->SetReflectionType(kReflectionHorizontal);
  std::vector<std::string> expected = {"Octahedral",
                                       "Tetrahedral",
                                       "4-fold Dihedral",
                                       "2-fold Dihedral (A)",
                                       "2-fold Dihedral (B)",
                                       "4-fold Pyramidal",
                                       "2-fold Pyramidal (From 4-Axis)",
                                       "3-fold Dihedral",
                                       "3-fold Pyramidal",
                                       "2-fold Pyramidal (From 2-Axis)",
                                       "No Symmetry"};
  EXPECT_EQ(RotationalNames(oh.get()), expected);

  // Each divisor once: D6 itself is not repeated.
  auto d6 = CreateSymGroup(kSymGroupDihedral, 6);
  // D3 twice (N/d = 2): on the one or the other kind of 2-fold axis.
  expected = {"6-fold Dihedral",      "3-fold Dihedral (A)", "3-fold Dihedral (B)",        "2-fold Dihedral",
              "6-fold Pyramidal",     "3-fold Pyramidal",    "2-fold Pyramidal (Primary)", "2-fold Pyramidal (A)",
              "2-fold Pyramidal (B)", "No Symmetry"};
  EXPECT_EQ(RotationalNames(d6.get()), expected);
  auto d4 = CreateSymGroup(kSymGroupDihedral, 4);
  expected = {"4-fold Dihedral",
              "2-fold Dihedral (A)",
              "2-fold Dihedral (B)",
              "4-fold Pyramidal",
              "2-fold Pyramidal (Primary)",
              "2-fold Pyramidal (A)",
              "2-fold Pyramidal (B)",
              "No Symmetry"};
  EXPECT_EQ(RotationalNames(d4.get()), expected);
  auto c12 = CreateSymGroup(kSymGroupPyramidal, 12);
  expected = {"12-fold Pyramidal", "6-fold Pyramidal", "4-fold Pyramidal",
              "3-fold Pyramidal",  "2-fold Pyramidal", "No Symmetry"};
  EXPECT_EQ(RotationalNames(c12.get()), expected);

  auto none = CreateSymGroup(kSymGroupNone, 0);
  SymSubgroupSpec spec;
  ASSERT_TRUE(SymGroup::GetNextRotationalSubgroup(none.get(), spec));
  EXPECT_EQ(spec.type, kSymGroupNone);
  EXPECT_FALSE(SymGroup::GetNextRotationalSubgroup(none.get(), spec));
  EXPECT_EQ(spec.type, -1);

  ASSERT_TRUE(SymGroup::GetRotationalSubgroup(d6.get(), 0, spec));
  EXPECT_EQ(spec.type, kSymGroupDihedral);
  EXPECT_EQ(spec.fold, 6);
  EXPECT_TRUE(SymGroup::GetRotationalSubgroup(d6.get(), -1, spec));
  EXPECT_EQ(spec.type, -1);
  EXPECT_TRUE(SymGroup::GetRotationalSubgroup(d6.get(), 9, spec));
  EXPECT_FALSE(SymGroup::GetRotationalSubgroup(d6.get(), 10, spec));
  EXPECT_FALSE(SymGroup::GetNextRotationalSubgroup(nullptr, spec));
  EXPECT_EQ(SymGroup::GetRotationalSubgroupName(nullptr, spec), "NULL");
  EXPECT_EQ(SymGroup::GetReflectiveSubgroupName(nullptr, spec), "NULL");
}

TEST(SymSubgroupsTest, ReflectiveVariantsUnderOh) {
  auto oh = CreateSymGroup(kSymGroupOctahedral, 0);
  oh->SetReflectionType(kReflectionHorizontal);
  EXPECT_EQ(ReflectiveNames(oh.get(), 0), (std::vector<std::string>{"Oh", "O"}));
  EXPECT_EQ(ReflectiveNames(oh.get(), 1), (std::vector<std::string>{"Td", "Th", "T"}));
  EXPECT_EQ(ReflectiveNames(oh.get(), 3), (std::vector<std::string>{"D2h", "D2d", "D2"}));
  EXPECT_EQ(ReflectiveNames(oh.get(), 8), (std::vector<std::string>{"C3v", "S6", "C3"}));
  EXPECT_EQ(ReflectiveNames(oh.get(), 10), (std::vector<std::string>{"Cs", "Cs", "Ci", "C1"}));

  // The two C2v about a 4-fold axis are told apart.
  SymSubgroupSpec spec;
  ASSERT_TRUE(SymGroup::GetRotationalSubgroup(oh.get(), 6, spec));
  std::vector<std::string> names;
  while (SymGroup::GetNextReflectiveSubgroup(oh.get(), spec)) {
    names.push_back(SymGroup::GetReflectiveSubgroupName(oh.get(), spec));
  }
  EXPECT_EQ(names,
            (std::vector<std::string>{"Horizontal Reflection", "Vertical Reflection (A)", "Vertical Reflection (B)",
                                      "Rotation-Reflection", "Chiral (No Reflection)"}));
}

TEST(SymSubgroupsTest, ChiralParentHasOnlyChiralSubgroups) {
  auto o = CreateSymGroup(kSymGroupOctahedral, 0);
  for (const SymSubgroupSpec& spec : AllSubgroups(o.get())) EXPECT_EQ(spec.reflectionType, kReflectionChiral);
  EXPECT_EQ(AllSubgroups(o.get()).size(), 11u);
}

TEST(SymSubgroupsTest, FlatListPositions) {
  auto d6h = CreateSymGroup(kSymGroupDihedral, 6);
  d6h->SetReflectionType(kReflectionHorizontal);
  EXPECT_EQ(SymGroup::FindSubgroupIndex(d6h.get(), 0, 0), 0);
  EXPECT_EQ(SymGroup::FindSubgroupIndex(d6h.get(), -3, 0), 0);
  int count = static_cast<int>(AllSubgroups(d6h.get()).size());
  for (int n = 0; n < count; ++n) {
    SymSubgroupSpec spec;
    int rot = -1, refl = -1;
    ASSERT_TRUE(SymGroup::GetSubgroup(d6h.get(), n, spec, rot, refl));
    EXPECT_EQ(SymGroup::FindSubgroupIndex(d6h.get(), rot, refl), n);
    SymSubgroupSpec again;
    ASSERT_TRUE(SymGroup::GetRotationalSubgroup(d6h.get(), rot, again));
    ASSERT_TRUE(SymGroup::GetReflectiveSubgroup(d6h.get(), refl, again));
    EXPECT_EQ(again.type, spec.type);
    EXPECT_EQ(again.reflectionType, spec.reflectionType);
    EXPECT_EQ(again.alternate, spec.alternate);
  }
  SymSubgroupSpec spec;
  int rot, refl;
  EXPECT_FALSE(SymGroup::GetSubgroup(d6h.get(), count, spec, rot, refl));
  EXPECT_EQ(SymGroup::FindSubgroupIndex(d6h.get(), 99, 0), -1);
}

// Every group, its subgroups from the lists: each subgroup's operations lie in the
// parent's, its order is right, and its own planes are reflections it contains.
// Tried in the standard orientation and turned.
TEST(SymSubgroupsTest, EverySubgroupLiesInsideItsParent) {
  symtest::Matrix turn = symtest::GenericRotation();
  for (const auto& kind : symtest::AllGroups(24)) {
    for (bool turned : {false, true}) {
      SCOPED_TRACE(kind.Label() + (turned ? " turned" : ""));
      auto parent = symtest::MakeGroup(kind);
      if (turned) parent->Rotate(turn.data());
      auto parentOps = symtest::Operations(parent.get(), true);
      auto subgroups = AllSubgroups(parent.get());
      ASSERT_LT(subgroups.size(), 500u);
      ASSERT_FALSE(subgroups.empty());
      EXPECT_EQ(subgroups[0].type, kind.type);
      EXPECT_EQ(subgroups[0].reflectionType, kind.refl);
      for (const SymSubgroupSpec& spec : subgroups) {
        SCOPED_TRACE(std::string(GetSubgroupSchoenflies(&spec)) + (spec.alternate ? " (B)" : "") + " variant " +
                     std::to_string(spec.variant) + " primary " + std::to_string(spec.primary));
        // Without rotations the reflection type only tells which plane is kept.
        EXPECT_TRUE(spec.type == kSymGroupNone || spec.reflectionType == kReflectionChiral ||
                    IsReflectionTypeAllowed(spec.type, spec.reflectionType));
        auto sub = parent->CreateSubgroup(spec);
        auto subOps = symtest::Operations(sub.get(), true);
        int order = sub->numRotations * (spec.reflectionType == kReflectionChiral ? 1 : 2);
        EXPECT_EQ(static_cast<int>(subOps.size()), order);
        EXPECT_EQ(parentOps.size() % subOps.size(), 0u);
        for (size_t i = 0; i < subOps.size(); ++i) {
          ASSERT_TRUE(symtest::Contains(parentOps, subOps[i])) << "operation " << i;
        }
        // Its axes and planes lie on the parent's.
        for (int t = 0; t < sub->numAxisTypes; ++t) {
          for (int i = 0; i < sub->axisTypes[t].numAxes; ++i) {
            const SymAxis& axis = sub->axisTypes[t].axes[i];
            SymAxis* on = parent->FindAxisAlong(axis.direction);
            EXPECT_TRUE(on != nullptr || sub->axisTypes[t].fold == 1) << "axis " << t << "/" << i;
            EXPECT_NEAR(Dot(axis.direction, axis.reference), 0.0, 1e-9);
          }
        }
        for (int k = 0; k < sub->mirrorPlanes.count; ++k) {
          double normal[3];
          bool onParentPlane = false;
          for (int m = 0; m < parent->mirrorPlanes.count; ++m) {
            CopyVector(normal, parent->mirrorPlanes[m].direction);
            onParentPlane |= NearlyEqual(normal, sub->mirrorPlanes[k].direction, 1e-6) ||
                             NearlyOpposite(normal, sub->mirrorPlanes[k].direction, 1e-6);
          }
          EXPECT_TRUE(onParentPlane) << "plane " << k;
          symtest::Matrix m = symtest::Identity();
          sub->GetReflectionMatrix(m.data(), kReflectionHorizontal, sub->mirrorPlanes[k].direction);
          EXPECT_TRUE(symtest::Contains(subOps, m)) << "plane " << k;
        }
      }
    }
  }
}

// Two subgroups listed separately are different subgroups of the parent (except
// under the degenerate groups of fold 1, whose lists repeat themselves).
TEST(SymSubgroupsTest, ListedSubgroupsAreDistinct) {
  for (const auto& kind : symtest::AllGroups(24)) {
    if (kind.fold == 1) continue;
    SCOPED_TRACE(kind.Label());
    auto parent = symtest::MakeGroup(kind);
    std::vector<std::vector<symtest::Matrix>> seen;
    for (const SymSubgroupSpec& spec : AllSubgroups(parent.get())) {
      auto ops = symtest::Operations(parent->CreateSubgroup(spec).get(), true);
      for (const auto& other : seen) {
        bool same = other.size() == ops.size();
        for (size_t i = 0; same && i < ops.size(); ++i) same = symtest::Contains(other, ops[i]);
        EXPECT_FALSE(same) << GetSubgroupSchoenflies(&spec);
      }
      seen.push_back(ops);
    }
  }
}

}  // namespace
}  // namespace corvia
