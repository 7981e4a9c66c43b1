#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

#include "construction/Random15.h"
#include "core/ColorList.h"
#include "core/RainbowColor.h"

namespace test_RainbowColor {

// Expected floats of a packed 0x00BBGGRR entry.
void ExpectEntry(const float* rgb, uint32_t ref) {
  EXPECT_NEAR(rgb[0], (ref & 0xFF) / 255.0, 1e-6);
  EXPECT_NEAR(rgb[1], ((ref >> 8) & 0xFF) / 255.0, 1e-6);
  EXPECT_NEAR(rgb[2], ((ref >> 16) & 0xFF) / 255.0, 1e-6);
}

void ExpectColor(int index, uint32_t flags, uint32_t ref) {
  float rgb[3];
  corvia::RainbowColor(index, rgb, flags);
  ExpectEntry(rgb, ref);
}

}  // namespace test_RainbowColor

TEST(RainbowColorTest, WheelStartsWithRedYellowBlueGreenAndWraps) {
  using test_RainbowColor::ExpectColor;
  ExpectColor(0, 0, 0x0000FF);
  ExpectColor(1, 0, 0x00FFFF);
  ExpectColor(2, 0, 0xFF0000);
  ExpectColor(3, 0, 0x00FF00);
  ExpectColor(60, 0, 0x8CE6F0);
  ExpectColor(119, 0, 0x0080FF);
  // Negative indices wrap to the end; large ones wrap round.
  ExpectColor(-1, 0, 0x0080FF);
  ExpectColor(-120, 0, 0x0000FF);
  ExpectColor(-121, 0, 0x0080FF);
  ExpectColor(120, 0, 0x0000FF);
  ExpectColor(245, 0, 0xFFFF80);  // entry 5
}

TEST(RainbowColorTest, ComplementAndOppositeFlags) {
  using test_RainbowColor::ExpectColor;
  // The complement of 0 is -1, the last entry; that of -1 is 0.
  ExpectColor(0, corvia::kRainbowComplement, 0x0080FF);
  ExpectColor(-1, corvia::kRainbowComplement, 0x0000FF);
  ExpectColor(5, corvia::kRainbowComplement, 0x808000);  // entry 114
  ExpectColor(0, corvia::kRainbowOppositeColor, 0x8CE6F0);
  ExpectColor(70, corvia::kRainbowOppositeColor, 0xFF8000);  // entry 10
  // Both: complement of 0 (entry 119) moved by 60 is entry 59.
  ExpectColor(0, corvia::kRainbowComplement | corvia::kRainbowOppositeColor, 0xE06940);
  // The extreme indices neither overflow nor leave the table.
  float rgb[3];
  corvia::RainbowColor(INT_MIN, rgb, corvia::kRainbowComplement | corvia::kRainbowOppositeColor);
  corvia::RainbowColor(INT_MAX, rgb, corvia::kRainbowOppositeColor);
  SUCCEED();
}

TEST(RainbowColorTest, CursorsStepAndWrap) {
  float rgb[3];
  corvia::NextRainbowColor(nullptr, 0);
  corvia::NextRainbowColor(rgb, 0);
  test_RainbowColor::ExpectEntry(rgb, 0x0000FF);
  corvia::NextRainbowColor(rgb, 0);
  test_RainbowColor::ExpectEntry(rgb, 0x00FFFF);

  corvia::NextRainbowColor(nullptr, corvia::kRainbowBackwards);
  corvia::NextRainbowColor(rgb, corvia::kRainbowBackwards);
  test_RainbowColor::ExpectEntry(rgb, 0x0080FF);
  corvia::NextRainbowColor(rgb, corvia::kRainbowBackwards);
  test_RainbowColor::ExpectEntry(rgb, 0xFF0080);

  // Forward after 119 comes 0; the second pair starts opposite.
  corvia::NextRainbowColor(nullptr, corvia::kRainbowSecondPair);
  corvia::NextRainbowColor(rgb, corvia::kRainbowSecondPair);
  test_RainbowColor::ExpectEntry(rgb, 0x8CE6F0);
  for (int i = 61; i < 120; ++i) corvia::NextRainbowColor(rgb, corvia::kRainbowSecondPair);
  corvia::NextRainbowColor(rgb, corvia::kRainbowSecondPair);
  test_RainbowColor::ExpectEntry(rgb, 0x0000FF);
  corvia::NextRainbowColor(nullptr, corvia::kRainbowSecondPair | corvia::kRainbowBackwards);
  corvia::NextRainbowColor(rgb, corvia::kRainbowSecondPair | corvia::kRainbowBackwards);
  test_RainbowColor::ExpectEntry(rgb, 0xE06940);  // entry 59

  // The first pair's forward cursor was not disturbed by the others.
  corvia::NextRainbowColor(rgb, 0);
  test_RainbowColor::ExpectEntry(rgb, 0xFF0000);
}

TEST(RainbowColorTest, NextUnusedSkipsUsedColoursAndFallsBack) {
  corvia::ColorList used(200);
  float rgb[3];
  corvia::RainbowColor(0, rgb);
  used.FindOrAdd(rgb);
  corvia::RainbowColor(1, rgb);
  used.FindOrAdd(rgb);
  EXPECT_EQ(corvia::NextUnusedRainbowColorRef(&used, true), 0xFF0000u);
  EXPECT_EQ(corvia::NextUnusedRainbowColorRef(nullptr, true), 0x0000FFu);

  corvia::ColorList all(200);
  for (int i = 0; i < corvia::kRainbowSize; ++i) {
    corvia::RainbowColor(i, rgb);
    all.FindOrAdd(rgb);
  }
  EXPECT_EQ(corvia::NextUnusedRainbowColorRef(&all, true), corvia::kRainbowFallbackStep);
}

TEST(RainbowColorTest, PackingRoundsToNearestByte) {
  const float rgb[3] = {1.0f, 0.5f, 0.0f};
  EXPECT_EQ(corvia::PackRainbowColor(rgb), 0x0080FFu);
  float back[3];
  corvia::UnpackRainbowColor(0x123456, back);
  EXPECT_EQ(corvia::PackRainbowColor(back), 0x123456u);
}

TEST(Random15Test, KnownSequenceAndRange) {
  corvia::Random15 random;
  // The classic linear congruential sequence from seed 1.
  EXPECT_EQ(random.Next(), 16838);
  EXPECT_EQ(random.Next(), 5758);
  EXPECT_EQ(random.Next(), 10113);
  EXPECT_EQ(random.Next(), 17515);
  int lo = corvia::kRandom15Max;
  int hi = 0;
  for (int i = 0; i < 200000; ++i) {
    const int v = random.Next();
    ASSERT_GE(v, 0);
    ASSERT_LE(v, corvia::kRandom15Max);
    lo = std::min(lo, v);
    hi = std::max(hi, v);
  }
  EXPECT_LT(lo, 10);
  EXPECT_GT(hi, corvia::kRandom15Max - 10);
  random.Seed(1);
  EXPECT_EQ(random.Next(), 16838);
}
