// The operation iterators: exact matrices, the right sense of turn, the improper
// phase, and the colours the special arrangements give to axis ends.

#include <gtest/gtest.h>

#include <map>

#include "core/IntMath.h"
#include "model/ColorSchemes.h"
#include "model/Face.h"
#include "symmetry/SymGroup.h"
#include "symmetry/SymOperations.h"
#include "tests/support/TestSupport.h"
#include "tests/symmetry/SymTestHelpers.h"

namespace corvia {
namespace {

using symtest::Matrix;

bool EntriesIn(const Matrix& m, std::initializer_list<double> values) {
  for (double entry : m) {
    bool found = false;
    for (double v : values) found |= entry == v;
    if (!found) return false;
  }
  return true;
}

// The cube's rotations are signed permutation matrices, exactly.
TEST(SymOperationsTest, CubicGroupsHaveExactMatrices) {
  for (int type : {kSymGroupOctahedral, kSymGroupTetrahedral}) {
    auto group = CreateSymGroup(type, 0);
    group->SetReflectionType(kReflectionHorizontal);
    for (const Matrix& m : symtest::Operations(group.get(), true)) {
      EXPECT_TRUE(EntriesIn(m, {0.0, 1.0, -1.0}));
      int nonZero = 0;
      for (double e : m) nonZero += e != 0.0;
      EXPECT_EQ(nonZero, 3);
    }
  }
  // Td's reflections in the diagonal planes too.
  auto td = CreateSymGroup(kSymGroupTetrahedral, 0);
  td->SetReflectionType(kReflectionDiagonal);
  for (const Matrix& m : symtest::Operations(td.get(), true)) EXPECT_TRUE(EntriesIn(m, {0.0, 1.0, -1.0}));
}

// Turns about the main axis are the exact axis rotations about y; the 2-fold
// turns of D6 have halves and the table's sine of 60 degrees, nothing else.
TEST(SymOperationsTest, DihedralMatricesComeFromTheExactTable) {
  for (int n : {2, 3, 4, 5, 6, 8, 12}) {
    auto group = CreateSymGroup(kSymGroupDihedral, n);
    SymRotationIterator it;
    Matrix m;
    for (int step = 1; step < n; ++step) {
      ASSERT_TRUE(GetNextSymmetryRotation(group.get(), it, false, m.data()));
      Matrix expected;
      AxisRotationMatrixExact(expected.data(), 1, step, n);
      for (int j = 0; j < 9; ++j) EXPECT_EQ(m[j], expected[j]) << "n " << n << " step " << step;
    }
  }
  double s60, c60;
  GetSinCos(1, 6, s60, c60);
  EXPECT_EQ(c60, 0.5);
  // D6h: halves and whole numbers exactly; only the sine of 60 degrees is left to
  // rounding.
  auto d6 = CreateSymGroup(kSymGroupDihedral, 6);
  d6->SetReflectionType(kReflectionHorizontal);
  for (const Matrix& m : symtest::Operations(d6.get(), true)) {
    for (double e : m) {
      bool exact = e == 0.0 || e == 0.5 || e == -0.5 || e == 1.0 || e == -1.0;
      EXPECT_TRUE(exact || std::fabs(std::fabs(e) - s60) <= 4e-16) << e;
    }
  }
  // The rotations of the tetrahedral group inside the icosahedral one are signed
  // permutations, exactly.
  auto ih = CreateSymGroup(kSymGroupIcosahedral, 0);
  int exact = 0;
  for (const Matrix& m : symtest::Rotations(ih.get())) exact += EntriesIn(m, {0.0, 1.0, -1.0});
  EXPECT_EQ(exact, 12);
}

TEST(SymOperationsTest, RotationsTurnCounterClockwiseSeenFromTheAxisTip) {
  const double z[3] = {0, 0, 1};
  Matrix quarter;
  SymmetryRotationMatrix(quarter.data(), z, 1, 4);
  const double x[3] = {1, 0, 0};
  double image[3];
  MatrixTimesVector(quarter.data(), image, x);
  const double y[3] = {0, 1, 0};
  EXPECT_TRUE(PointsEqual(image, y));

  // About (1,1,1) a third of a turn takes x to y, y to z, z to x.
  const double diagonal[3] = {1, 1, 1};
  Matrix third;
  SymmetryRotationMatrix(third.data(), diagonal, 1, 3);
  EXPECT_TRUE(symtest::SameMatrix(third, Matrix{0, 1, 0, 0, 0, 1, 1, 0, 0}));
  EXPECT_TRUE(EntriesIn(third, {0.0, 1.0}));

  // Every rotation the iterator reports fixes its own axis.
  auto group = CreateSymGroup(kSymGroupIcosahedral, 0);
  SymRotationIterator it;
  Matrix m;
  while (GetNextSymmetryRotation(group.get(), it, false, m.data())) {
    const double* axis = group->axisTypes[it.axisType].axes[it.axis].direction;
    MatrixTimesVector(m.data(), image, axis);
    EXPECT_TRUE(NearlyEqual(image, axis, 1e-12));
    EXPECT_GE(it.step, 1);
    EXPECT_LT(it.step, group->axisTypes[it.axisType].fold);
  }
  EXPECT_EQ(it.axisType, -1);
  EXPECT_EQ(it.axis, -1);
  EXPECT_EQ(it.step, -1);
}

TEST(SymOperationsTest, IdentityOnlyWhenAsked) {
  auto tetrahedral = CreateSymGroup(kSymGroupTetrahedral, 0);
  SymRotationIterator it;
  int count = 0;
  std::map<int, int> perType;
  while (GetNextSymmetryRotation(tetrahedral.get(), it, false, nullptr)) {
    ++count;
    ++perType[it.axisType];
  }
  EXPECT_EQ(count, 11);
  EXPECT_EQ(perType[0], 8);
  EXPECT_EQ(perType.count(1), 0u);  // the opposite ends add nothing
  EXPECT_EQ(perType[2], 3);

  // A group without axes gives the identity once, and only when asked.
  auto none = CreateSymGroup(kSymGroupNone, 0);
  Matrix m;
  EXPECT_FALSE(GetNextSymmetryRotation(none.get(), it, false, m.data()));
  ASSERT_TRUE(GetNextSymmetryRotation(none.get(), it, true, m.data()));
  EXPECT_TRUE(symtest::SameMatrix(m, symtest::Identity()));
  EXPECT_FALSE(GetNextSymmetryRotation(none.get(), it, true, m.data()));
  EXPECT_TRUE(it.AtStart());
  EXPECT_EQ(symtest::Rotations(nullptr).size(), 1u);
}

TEST(SymOperationsTest, OctahedralOperationsAreRotationsThenImproper) {
  auto oh = CreateSymGroup(kSymGroupOctahedral, 0);
  oh->SetReflectionType(kReflectionHorizontal);
  auto ops = symtest::Operations(oh.get(), true);
  ASSERT_EQ(ops.size(), 48u);
  Matrix minusI = {-1, 0, 0, 0, -1, 0, 0, 0, -1};
  std::vector<Matrix> rotations(ops.begin(), ops.begin() + 24);
  for (size_t i = 0; i < 24; ++i) {
    EXPECT_GT(symtest::Determinant(ops[i]), 0);
    // The improper half is the rotations times -I, in some order.
    EXPECT_TRUE(
        symtest::Contains(std::vector<Matrix>(ops.begin() + 24, ops.end()), symtest::Multiply(rotations[i], minusI)));
  }
  // The iterator is back at its start and can run again.
  EXPECT_EQ(symtest::Operations(oh.get(), true).size(), 48u);

  // Rotations only, unless Maintain Reflexibility asks for all.
  EXPECT_EQ(symtest::Operations(oh.get(), false).size(), 24u);
  StellationOptions |= kStellationMaintainReflexibility;
  EXPECT_EQ(symtest::Operations(oh.get(), false).size(), 48u);
  StellationOptions &= ~kStellationMaintainReflexibility;

  // A chiral group never has an improper phase.
  auto o = CreateSymGroup(kSymGroupOctahedral, 0);
  EXPECT_EQ(symtest::Operations(o.get(), true).size(), 24u);
}

TEST(SymOperationsTest, ImproperOperations) {
  auto chiral = CreateSymGroup(kSymGroupIcosahedral, 0);
  SymRotationIterator it;
  Matrix improper, m;
  EXPECT_FALSE(GetNextImproperOperation(chiral.get(), it, improper.data(), m.data()));
  EXPECT_FALSE(GetNextImproperOperation(nullptr, it, improper.data(), m.data()));

  auto s8 = CreateSymGroup(kSymGroupPyramidal, 4);
  s8->SetReflectionType(kReflectionRotation);
  std::vector<Matrix> found;
  while (GetNextImproperOperation(s8.get(), it, improper.data(), m.data())) {
    found.push_back(m);
    ASSERT_LT(found.size(), 10u);
  }
  ASSERT_EQ(found.size(), 4u);
  // The first is the generator itself: an eighth turn about y with y reversed.
  EXPECT_TRUE(symtest::SameMatrix(found[0], improper));
  const double r = SqrtHalf;
  EXPECT_TRUE(symtest::SameMatrix(improper, Matrix{r, 0, -r, 0, -1, 0, r, 0, r}));
  for (const Matrix& op : found) EXPECT_NEAR(symtest::Determinant(op), -1.0, 1e-12);
}

TEST(SymOperationsTest, ReflectPoint) {
  const double p[3] = {0.3, -0.7, 1.1};
  double out[3];

  auto ci = CreateSymGroup(kSymGroupNone, 0);
  ci->SetReflectionType(kReflectionCentral);
  EXPECT_TRUE(ci->ReflectPoint(out, p, -1));
  const double minusP[3] = {-0.3, 0.7, -1.1};
  EXPECT_TRUE(PointsEqual(out, minusP));

  // S6: a sixth of a turn about y, then y reversed; six times brings p back.
  auto s6 = CreateSymGroup(kSymGroupPyramidal, 3);
  s6->SetReflectionType(kReflectionRotation);
  double q[3] = {p[0], p[1], p[2]};
  for (int i = 0; i < 6; ++i) {
    ASSERT_TRUE(s6->ReflectPoint(q, q, 0));
    if (i == 2) {
      EXPECT_NEAR(q[1], -p[1], 1e-12);
    }
  }
  EXPECT_TRUE(NearlyEqual(q, p, 1e-12));

  auto cs = CreateSymGroup(kSymGroupNone, 0);
  cs->SetReflectionType(kReflectionHorizontal);
  EXPECT_TRUE(cs->ReflectPoint(out, p, 0));
  const double mirrored[3] = {0.3, 0.7, 1.1};
  EXPECT_TRUE(NearlyEqual(out, mirrored, 1e-15));
  // No such plane (or none at all): the point stays where it is.
  EXPECT_FALSE(cs->ReflectPoint(out, p, 1));
  EXPECT_TRUE(PointsEqual(out, p));
  EXPECT_FALSE(cs->ReflectPoint(out, p, -1));
  auto chiral = CreateSymGroup(kSymGroupDihedral, 3);
  EXPECT_FALSE(chiral->ReflectPoint(out, p, 0));
  EXPECT_TRUE(PointsEqual(out, p));
}

TEST(SymOperationsTest, MirrorPlaneContaining) {
  auto d4h = CreateSymGroup(kSymGroupDihedral, 4);
  d4h->SetReflectionType(kReflectionHorizontal);
  const double x[3] = {1, 0, 0};
  double normal[3];
  ASSERT_TRUE(d4h->FindMirrorPlaneContaining(normal, x));
  EXPECT_NEAR(Dot(normal, x), 0.0, 1e-12);
  auto c4 = CreateSymGroup(kSymGroupPyramidal, 4);
  EXPECT_FALSE(c4->FindMirrorPlaneContaining(normal, x));
}

// ---- Colour arrangements ----------------------------------------------------------

// Colours of all axis ends of a type: each axis once at its own end, once at the
// far one.
std::vector<std::pair<int, int>> EndColours(const SymGroup& group, int t, uint32_t bits) {
  std::vector<std::pair<int, int>> colours;
  const SymAxisType& axisType = group.axisTypes[t];
  for (int i = 0; i < axisType.numAxes; ++i) {
    const SymAxis& axis = axisType.axes[i];
    double far[3];
    NegateInto(far, axis.direction);
    int second = -2, farSecond = -2;
    int own = GetPredefinedColorIndexOfAxis(&group, bits, &axisType, &axis, axis.direction, &second);
    int other = GetPredefinedColorIndexOfAxis(&group, bits, &axisType, &axis, far, &farSecond);
    EXPECT_EQ(own, farSecond);
    EXPECT_EQ(other, second);
    colours.push_back({own, other});
  }
  return colours;
}

// A colouring of the ends by k colours that uses every colour equally often and
// never gives both ends of an axis the same colour.
void ExpectBalancedPairs(const std::vector<std::pair<int, int>>& ends, int colours) {
  std::map<int, int> uses;
  for (auto [a, b] : ends) {
    EXPECT_NE(a, b);
    ++uses[a];
    ++uses[b];
  }
  ASSERT_EQ(static_cast<int>(uses.size()), colours);
  for (auto [colour, count] : uses) {
    EXPECT_GE(colour, 0);
    EXPECT_LT(colour, colours);
    EXPECT_EQ(count, 2 * static_cast<int>(ends.size()) / colours);
  }
}

TEST(SymOperationsTest, PairArrangementsColourTheEndsEvenly) {
  auto ih = CreateSymGroup(kSymGroupIcosahedral, 0);
  ExpectBalancedPairs(EndColours(*ih, 0, kColorArrangementDodecahedral1), 4);
  ExpectBalancedPairs(EndColours(*ih, 1, kColorArrangementIcosahedral1), 5);
  auto oh = CreateSymGroup(kSymGroupOctahedral, 0);
  ExpectBalancedPairs(EndColours(*oh, 2, kColorArrangementRhombicDodecahedral2), 4);
}

TEST(SymOperationsTest, SingleColourArrangements) {
  auto ih = CreateSymGroup(kSymGroupIcosahedral, 0);
  std::map<int, int> uses;
  for (auto [a, b] : EndColours(*ih, 2, kColorArrangementTriacontahedral1)) {
    EXPECT_EQ(a, b);
    ++uses[a];
  }
  // Five colours, three mutually perpendicular 2-fold axes each.
  ASSERT_EQ(uses.size(), 5u);
  for (auto [colour, count] : uses) EXPECT_EQ(count, 3);
  const SymAxisType& two = ih->axisTypes[2];
  for (int i = 0; i < 15; ++i) {
    for (int j = i + 1; j < 15; ++j) {
      int ci = GetPredefinedColorIndexOfAxis(ih.get(), kColorArrangementTriacontahedral1, &two, &two.axes[i], nullptr,
                                             nullptr);
      int cj = GetPredefinedColorIndexOfAxis(ih.get(), kColorArrangementTriacontahedral1, &two, &two.axes[j], nullptr,
                                             nullptr);
      if (ci == cj) {
        EXPECT_NEAR(Dot(two.axes[i].direction, two.axes[j].direction), 0.0, 1e-12);
      }
    }
  }
  // Arrangements by axis number, and those that do not apply.
  auto oh = CreateSymGroup(kSymGroupOctahedral, 0);
  const SymAxisType& four = oh->axisTypes[0];
  int second = -2;
  EXPECT_EQ(GetPredefinedColorIndexOfAxis(oh.get(), kColorArrangementCubic, &four, &four.axes[2], nullptr, &second), 2);
  EXPECT_EQ(second, 2);
  EXPECT_EQ(
      GetPredefinedColorIndexOfAxis(oh.get(), kColorArrangementOctahedral, &four, &four.axes[2], nullptr, &second), -1);
  EXPECT_EQ(GetPredefinedColorIndexOfAxis(oh.get(), 0x800, &four, &four.axes[2], nullptr, &second), -1);
  EXPECT_EQ(GetPredefinedColorIndexOfAxis(oh.get(), kColorArrangementCubic, nullptr, &four.axes[2], nullptr, &second),
            -1);
  const SymAxisType& ohTwo = oh->axisTypes[2];
  EXPECT_EQ(GetPredefinedColorIndexOfAxis(oh.get(), kColorArrangementRhombicDodecahedral1, &ohTwo, &ohTwo.axes[3],
                                          nullptr, &second),
            1);
  auto td = CreateSymGroup(kSymGroupTetrahedral, 0);
  EXPECT_EQ(GetPredefinedColorIndexOfAxis(td.get(), kColorArrangementCubic, &td->axisTypes[2],
                                          &td->axisTypes[2].axes[0], nullptr, &second),
            -1);
}

TEST(SymOperationsTest, AxisOutsideItsTypeIsAnInternalError) {
  testing::ExpectInternalErrors(1);
  auto oh = CreateSymGroup(kSymGroupOctahedral, 0);
  int second = 0;
  EXPECT_EQ(GetPredefinedColorIndexOfAxis(oh.get(), kColorArrangementCubic, &oh->axisTypes[0],
                                          &oh->axisTypes[1].axes[0], nullptr, &second),
            -1);
  ASSERT_EQ(testing::Platform().messages.CountTitled("Internal Error"), 1);
  EXPECT_EQ(testing::Platform().messages.Boxes()[0].text, "GetPredefinedColorIndex: Illegal axis");
}

TEST(SymOperationsTest, ElementTakesTheAxisOfItsPlane) {
  auto oh = CreateSymGroup(kSymGroupOctahedral, 0);
  const SymAxisType& two = oh->axisTypes[2];
  Face own(nullptr, nullptr, 4);
  Face partner(nullptr, nullptr, 4);
  // Two faces in one plane; only the partner knows the axis. The first face sits
  // at the far end of axis 0, whose pair of colours is (0, 1).
  partner.SetSymAxis(&two.axes[0]);
  NegateInto(own.mZAxis, two.axes[0].direction);
  own.mCoplanarNext = &partner;
  partner.mCoplanarNext = &own;
  int second = -1;
  EXPECT_EQ(GetPredefinedColorIndex(oh.get(), kColorArrangementRhombicDodecahedral2, &two, &own, &second), 1);
  EXPECT_EQ(second, 0);
  CopyVector(partner.mZAxis, two.axes[0].direction);
  EXPECT_EQ(GetPredefinedColorIndex(oh.get(), kColorArrangementRhombicDodecahedral2, &two, &partner, &second), 0);
  EXPECT_EQ(second, 1);
  Face alone(nullptr, nullptr, 3);
  EXPECT_EQ(GetPredefinedColorIndex(oh.get(), kColorArrangementRhombicDodecahedral2, &two, &alone, &second), -1);
}

// The matrices are kept with the group between iterations: a group whose axes are
// turned, or whose improper operation changes, gives the same operations as a fresh
// group built that way, also when an iteration is left before its end.
TEST(SymOperationsTest, KeptMatricesFollowTheGroup) {
  auto group = CreateSymGroup(kSymGroupDihedral, 4);
  group->SetReflectionType(kReflectionHorizontal);
  const std::vector<Matrix> before = symtest::Operations(group.get(), true);
  SymOperationIterator partial;
  Matrix m;
  ASSERT_TRUE(GetNextSymmetryOperation(group.get(), partial, false, m.data(), true));

  const Matrix turn = symtest::GenericRotation();
  group->Rotate(turn.data());
  group->SetReflectionType(kReflectionVertical);
  auto fresh = CreateSymGroup(kSymGroupDihedral, 4);
  fresh->Rotate(turn.data());
  fresh->SetReflectionType(kReflectionVertical);
  const std::vector<Matrix> kept = symtest::Operations(group.get(), true);
  const std::vector<Matrix> expected = symtest::Operations(fresh.get(), true);
  ASSERT_EQ(kept.size(), expected.size());
  for (size_t i = 0; i < kept.size(); ++i) EXPECT_EQ(kept[i], expected[i]) << "operation " << i;
  EXPECT_FALSE(symtest::SameMatrix(kept[3], before[3]));

  // The improper operations alone, after only the improper matrix has changed (D3's
  // axes stay as they are between D3h and D3d).
  auto d3 = CreateSymGroup(kSymGroupDihedral, 3);
  d3->SetReflectionType(kReflectionHorizontal);
  const std::vector<Matrix> horizontal = symtest::Operations(d3.get(), true);
  d3->SetReflectionType(kReflectionVertical);
  auto d3d = CreateSymGroup(kSymGroupDihedral, 3);
  d3d->SetReflectionType(kReflectionVertical);
  SymRotationIterator a, b;
  Matrix fa, fb, ma, mb;
  int count = 0;
  while (GetNextImproperOperation(d3.get(), a, fa.data(), ma.data())) {
    ASSERT_TRUE(GetNextImproperOperation(d3d.get(), b, fb.data(), mb.data()));
    EXPECT_EQ(fa, fb);
    EXPECT_EQ(ma, mb);
    EXPECT_FALSE(symtest::Contains(horizontal, ma));
    ++count;
  }
  EXPECT_EQ(count, 6);
}

}  // namespace
}  // namespace corvia
