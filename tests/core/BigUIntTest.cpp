#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

#include "core/BigUInt.h"
#include "tests/support/TestSupport.h"

namespace corvia::test_BigUInt {

std::string Text(const BigUInt& n) {
  char buffer[512];
  n.ToString(buffer, sizeof(buffer));
  return buffer;
}

BigUInt FromUInt64(uint64_t v) {
  BigUInt n(uint32_t(v >> 32));
  n.ShiftLeft(16);
  n.ShiftLeft(16);
  n += uint32_t(v);
  return n;
}

TEST(BigUIntTest, CarryAppendsAWord) {
  BigUInt n(0xFFFFFFFFu);
  n += 1u;
  ASSERT_EQ(n.Count(), 2);
  EXPECT_EQ(n.Word(0), 0u);
  EXPECT_EQ(n.Word(1), 1u);
  EXPECT_EQ(Text(n), "4294967296");
  EXPECT_EQ(n.CountDigits(), 10);

  BigUInt empty;
  EXPECT_TRUE(empty.IsZero());
  empty += 5u;
  EXPECT_EQ(empty.Count(), 1);
  EXPECT_EQ(Text(empty), "5");
  EXPECT_EQ(Text(BigUInt()), "0");
  EXPECT_EQ(BigUInt().CountDigits(), 1);
}

TEST(BigUIntTest, MultiplyGivesTheFullProduct) {
  BigUInt n(0xFFFFFFFFu);
  n *= 0xFFFFFFFFu;
  ASSERT_EQ(n.Count(), 2);
  EXPECT_EQ(n.Word(0), 1u);
  EXPECT_EQ(n.Word(1), 0xFFFFFFFEu);
  n *= 0;
  EXPECT_TRUE(n.IsZero());
}

TEST(BigUIntTest, AgreesWithUInt64WhereItFits) {
  std::mt19937_64 random(42);
  for (int trial = 0; trial < 2000; ++trial) {
    uint64_t a = random() >> (random() % 64);
    uint32_t m = uint32_t(random() >> (32 + random() % 32));
    uint32_t d = uint32_t(random() >> (32 + random() % 32)) | 1u;
    uint64_t b = random() >> (random() % 64);
    BigUInt n = FromUInt64(a);
    EXPECT_EQ(Text(n), std::to_string(a));
    EXPECT_EQ(n.CountDigits(), int(std::to_string(a).size()));
    if (a < UINT64_MAX / (uint64_t(m) + 1)) {
      BigUInt p = n;
      p *= m;
      EXPECT_EQ(Text(p), std::to_string(a * m));
    }
    // Divisors above 65536 need 64-bit intermediates.
    BigUInt q = n;
    uint32_t r = q.DivideBy(d);
    EXPECT_EQ(Text(q), std::to_string(a / d));
    EXPECT_EQ(r, a % d);
    if (a <= UINT64_MAX - b) {
      BigUInt s = n;
      s += FromUInt64(b);
      EXPECT_EQ(Text(s), std::to_string(a + b));
    }
    uint64_t big = std::max(a, b), small = std::min(a, b);
    BigUInt diff = FromUInt64(big);
    diff -= FromUInt64(small);
    EXPECT_EQ(Text(diff), std::to_string(big - small));
    int shift = int(random() % 32);
    if (shift == 0 || (a >> (64 - shift)) == 0) {
      BigUInt shifted = n;
      shifted.ShiftLeft(shift);
      EXPECT_EQ(Text(shifted), std::to_string(a << shift));
    }
  }
}

TEST(BigUIntTest, KnownBigValues) {
  BigUInt two(1u);
  for (int i = 0; i < 200; ++i) two.ShiftLeft(1);
  EXPECT_EQ(Text(two), "1606938044258990275541962092341162602522202993782792835301376");
  BigUInt shifted(1u);
  shifted.ShiftLeft(200);  // whole words and the rest in one call
  EXPECT_EQ(Text(shifted), Text(two));
  EXPECT_EQ(two.CountDigits(), 61);

  BigUInt factorial(1u);
  for (uint32_t i = 2; i <= 30; ++i) factorial *= i;
  EXPECT_EQ(Text(factorial), "265252859812191058636308480000000");
  for (uint32_t i = 31; i <= 50; ++i) factorial *= i;
  EXPECT_EQ(Text(factorial), "30414093201713378043612608166064768844377641568960512000000000000");
  // Dividing back down gives 1 with no remainders.
  for (uint32_t i = 50; i >= 2; --i) EXPECT_EQ(factorial.DivideBy(i), 0u);
  EXPECT_EQ(Text(factorial), "1");

  BigUInt sum;
  sum.Parse("99999999999999999999999999999999");
  sum += 1u;
  EXPECT_EQ(Text(sum), "100000000000000000000000000000000");
  BigUInt other;
  other.Parse("123456789012345678901234567890");
  sum += other;
  EXPECT_EQ(Text(sum), "100123456789012345678901234567890");
  sum -= other;
  EXPECT_EQ(Text(sum), "100000000000000000000000000000000");
}

TEST(BigUIntTest, NarrowFieldShowsOverflowMark) {
  BigUInt n(123456u);
  char buffer[8] = "xxxxxxx";
  n.ToString(buffer, 5);
  EXPECT_STREQ(buffer, ">999");
  n.ToString(buffer, 7);
  EXPECT_STREQ(buffer, "123456");
  n.ToString(buffer, 2);
  EXPECT_STREQ(buffer, ">");
  // Too small to hold the mark: nothing is written past the buffer.
  buffer[1] = 'y';
  n.ToString(buffer, 1);
  EXPECT_EQ(buffer[0], '\0');
  EXPECT_EQ(buffer[1], 'y');
  n.ToString(buffer, 0);
  EXPECT_EQ(buffer[1], 'y');
}

TEST(BigUIntTest, ParseReadsEveryBase) {
  BigUInt n;
  n.Parse("0x1F");
  EXPECT_EQ(Text(n), "31");
  n.Parse("0XfF");
  EXPECT_EQ(Text(n), "255");
  n.Parse("017");
  EXPECT_EQ(Text(n), "15");
  n.Parse("018");
  EXPECT_EQ(Text(n), "1");
  n.Parse("12ab");
  EXPECT_EQ(Text(n), "12");
  n.Parse("x12");
  EXPECT_EQ(Text(n), "0");
  n.Parse("  \t42");
  EXPECT_EQ(Text(n), "42");
  n.Parse(nullptr);
  EXPECT_EQ(Text(n), "0");
  n.Parse("0x100000000000000000000");
  EXPECT_EQ(Text(n), "1208925819614629174706176");
}

TEST(BigUIntTest, NegativeResultShowsInternalErrorAndLeavesZero) {
  testing::ExpectInternalErrors(2);
  BigUInt small(5u);
  small -= BigUInt(6u);
  EXPECT_TRUE(small.IsZero());
  BigUInt one(1u);
  one -= FromUInt64(uint64_t(1) << 40);  // the other has a word above this number's top
  EXPECT_TRUE(one.IsZero());
  EXPECT_EQ(testing::Platform().messages.CountTitled("Internal Error"), 2);
  EXPECT_NE(testing::Platform().messages.Boxes().back().text.find("BigUInt::operator-=: must not become negative"),
            std::string::npos);
}

TEST(BigUIntTest, IncrementsAndEdgeOperations) {
  BigUInt n(0xFFFFFFFFu);
  BigUInt old = n.PostIncrement();
  EXPECT_EQ(Text(old), "4294967295");
  EXPECT_EQ(Text(n), "4294967296");
  EXPECT_EQ(Text(++n), "4294967297");
  EXPECT_EQ(n.DivideBy(0), 0u);
  EXPECT_EQ(Text(n), "4294967297");
  BigUInt empty;
  EXPECT_EQ(empty.DivideBy(7), 0u);
  EXPECT_EQ(empty.Count(), 1);
  n.ShiftLeft(0);
  EXPECT_EQ(Text(n), "4294967297");
  n.Grow(3);
  EXPECT_EQ(n.Count(), 5);
  EXPECT_EQ(Text(n), "4294967297");
  n.Trim();
  EXPECT_EQ(n.Count(), 2);
  n = 7u;
  EXPECT_EQ(n.Count(), 1);
  EXPECT_EQ(Text(n), "7");
}

}  // namespace corvia::test_BigUInt
