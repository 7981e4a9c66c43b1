#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <numbers>

#include "core/IntMath.h"

namespace {

bool SameBits(double a, double b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

struct SinCos {
  double s;
  double c;
};

SinCos Steps(int k) {
  SinCos r{};
  corvia::SinCosTable::Lookup(k, r.s, r.c);
  return r;
}

SinCos Frac(int i, int n) {
  SinCos r{};
  corvia::GetSinCos(i, n, r.s, r.c);
  return r;
}

}  // namespace

TEST(IntMathGcd, SignsFollowEuclidWithTruncatingRemainder) {
  EXPECT_EQ(corvia::Gcd(12, 18), 6);
  EXPECT_EQ(corvia::Gcd(4, -6), -2);
  EXPECT_EQ(corvia::Gcd(-4, 6), 2);
  EXPECT_EQ(corvia::Gcd(-4, -6), -2);
  EXPECT_EQ(corvia::Gcd(0, 0), 0);
  EXPECT_EQ(corvia::Gcd(0, -5), -5);
  EXPECT_EQ(corvia::Gcd(-5, 0), -5);
  EXPECT_EQ(corvia::Gcd(7, 13), 1);
}

TEST(IntMathGcd, ExtremesDoNotOverflow) {
  // INT_MIN % -1 overflows in int arithmetic (a hardware trap on x86).
  EXPECT_EQ(corvia::Gcd(INT_MIN, -1), -1);
  EXPECT_EQ(corvia::Gcd(INT_MIN, INT_MIN), INT_MIN);
  EXPECT_EQ(corvia::Gcd(INT_MIN, 6), -2);  // INT_MIN % 6 is -2
}

TEST(IntMathLcm, ValuesAndSigns) {
  EXPECT_EQ(corvia::Lcm(4, 6), 12);
  EXPECT_EQ(corvia::Lcm(0, 5), 0);
  EXPECT_EQ(corvia::Lcm(5, 0), 0);
  EXPECT_EQ(corvia::Lcm(4, -6), 12);  // (4 * -6) / -2
  EXPECT_EQ(corvia::Lcm(-4, 6), -12);
  EXPECT_EQ(corvia::Lcm(7, 7), 7);
}

TEST(IntMathLcm, ProductBeyondIntIsNotNeededWhenTheMultipleFits) {
  // a * b = 2^31 overflows an int, the multiple itself does not.
  EXPECT_EQ(corvia::Lcm(65536, 32768), 65536);
  EXPECT_EQ(corvia::Lcm(46340, 46341), 2147441940);
  EXPECT_EQ(corvia::Lcm(INT_MAX, INT_MAX), INT_MAX);
  EXPECT_EQ(corvia::Lcm(INT_MIN, -1), INT_MIN);
}

TEST(IntMathLcm, MultipleBeyondIntSaturates) {
  EXPECT_EQ(corvia::Lcm(50000, 50001), INT_MAX);
  EXPECT_EQ(corvia::Lcm(-50000, 50001), INT_MIN);
  EXPECT_EQ(corvia::Lcm(INT_MAX, INT_MAX - 1), INT_MAX);
}

TEST(IntMathSinCos, TableHoldsNearestDoubles) {
  using corvia::SinCosTable;
  EXPECT_EQ(SinCosTable::Entry(0), 0.0);
  EXPECT_EQ(SinCosTable::Entry(20), 0.5);             // 30 degrees
  EXPECT_EQ(SinCosTable::Entry(30), std::sqrt(0.5));  // sqrt is correctly rounded
  EXPECT_EQ(SinCosTable::Entry(40), std::sqrt(3.0) / 2.0);
  EXPECT_EQ(SinCosTable::Entry(60), 1.0);
  for (int k = 0; k <= 60; ++k) {
    const double exact = std::sin(k * 2.0 * std::numbers::pi / 240.0);
    EXPECT_NEAR(SinCosTable::Entry(k), exact, 2.3e-16) << k;
    if (k > 0) {
      EXPECT_LT(SinCosTable::Entry(k - 1), SinCosTable::Entry(k)) << k;
    }
  }
}

TEST(IntMathSinCos, QuarterTurnsAreExact) {
  const SinCos expected[4] = {{0, 1}, {1, 0}, {0, -1}, {-1, 0}};
  for (int q = 0; q < 4; ++q) {
    const SinCos r = Frac(q, 4);
    EXPECT_EQ(r.s, expected[q].s) << q;
    EXPECT_EQ(r.c, expected[q].c) << q;
  }
  const SinCos minus = Frac(-1, 4);
  EXPECT_EQ(minus.s, -1.0);
  EXPECT_EQ(minus.c, 0.0);
  const SinCos five = Frac(5, 4);
  EXPECT_EQ(five.s, 1.0);
  EXPECT_EQ(five.c, 0.0);
}

TEST(IntMathSinCos, SymmetricAnglesAreBitIdentical) {
  const SinCos eighth = Frac(1, 8);
  EXPECT_TRUE(SameBits(eighth.s, eighth.c));
  for (int k = 0; k < 240; ++k) {
    const SinCos a = Steps(k);
    const SinCos mirrored = Steps(60 - k);  // sin k = cos(quarter - k)
    const SinCos negative = Steps(-k);
    const SinCos half = Steps(k + 120);
    EXPECT_EQ(a.s, mirrored.c) << k;
    EXPECT_EQ(a.c, mirrored.s) << k;
    EXPECT_EQ(a.s, -negative.s) << k;
    EXPECT_EQ(a.c, negative.c) << k;
    EXPECT_EQ(a.s, -half.s) << k;
    EXPECT_EQ(a.c, -half.c) << k;
    EXPECT_NEAR(a.s, std::sin(k * 2.0 * std::numbers::pi / 240.0), 2e-15) << k;
    EXPECT_NEAR(a.c, std::cos(k * 2.0 * std::numbers::pi / 240.0), 2e-15) << k;
  }
}

TEST(IntMathSinCos, NegativeAndLargeStepsReduceToOneTurn) {
  for (int k : {-1, -59, -60, -61, -239, -240, -241, -100000, INT_MIN, INT_MAX, 241, 480, 100001}) {
    int64_t r = static_cast<int64_t>(k) % 240;
    if (r < 0) r += 240;
    const SinCos a = Steps(k);
    const SinCos b = Steps(static_cast<int>(r));
    EXPECT_TRUE(SameBits(a.s, b.s)) << k;
    EXPECT_TRUE(SameBits(a.c, b.c)) << k;
  }
  // i * 240 overflows an int here; the fraction is 33333333 1/3 turns.
  const SinCos big = Frac(100000000, 3);
  const SinCos third = Frac(1, 3);
  EXPECT_EQ(big.s, third.s);
  EXPECT_EQ(big.c, third.c);
  const SinCos bigNeg = Frac(-100000000, 3);
  EXPECT_EQ(bigNeg.s, -third.s);
  EXPECT_EQ(bigNeg.c, third.c);
}

TEST(IntMathSinCos, OffTableFractionsAreComputed) {
  const SinCos seventh = Frac(1, 7);
  EXPECT_DOUBLE_EQ(seventh.s, std::sin(2.0 * std::numbers::pi / 7.0));
  EXPECT_DOUBLE_EQ(seventh.c, std::cos(2.0 * std::numbers::pi / 7.0));
  // 240 / 160 is not whole; 480 / 160 is: table step 3.
  const SinCos off = Frac(1, 160);
  EXPECT_DOUBLE_EQ(off.s, std::sin(2.0 * std::numbers::pi / 160.0));
  const SinCos on = Frac(2, 160);
  EXPECT_EQ(on.s, corvia::SinCosTable::Entry(3));
  EXPECT_EQ(on.c, corvia::SinCosTable::Entry(57));
  // Whole turns are dropped before the direct computation.
  const SinCos far = Frac(7 * 1000000 + 1, 7);
  EXPECT_NEAR(far.s, seventh.s, 1e-15);
  EXPECT_NEAR(far.c, seventh.c, 1e-15);
}

TEST(IntMathSinCos, FloatAndSineOnlyForms) {
  float s = 0.0f;
  float c = 0.0f;
  corvia::GetSinCosF(1, 12, s, c);
  EXPECT_EQ(s, 0.5f);
  EXPECT_EQ(c, static_cast<float>(std::sqrt(3.0) / 2.0));
  EXPECT_EQ(corvia::GetSin(3, 4), -1.0);
  EXPECT_EQ(corvia::GetSin(1, 12), 0.5);
}
