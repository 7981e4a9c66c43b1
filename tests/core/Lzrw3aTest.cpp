#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "core/Lzrw3a.h"

namespace corvia::test_Lzrw3a {

using Bytes = std::vector<uint8_t>;

Bytes FromText(const std::string& text) {
  return Bytes(text.begin(), text.end());
}

Bytes Compress(const Bytes& source) {
  std::vector<uint8_t> work(kLzrw3aWorkMemorySize);
  Bytes block(source.size() + kLzrw3aCompressOverrun);
  uint32_t length = uint32_t(block.size());
  EXPECT_TRUE(Lzrw3aCompress(kLzrw3aActionCompress, work.data(), source.data(), uint32_t(source.size()), block.data(),
                             &length));
  block.resize(length);
  return block;
}

// Decompresses into a heap block of exactly `capacity` bytes, so that the sanitizer
// sees any write past it.
std::optional<Bytes> Decompress(const Bytes& block, uint32_t capacity) {
  std::unique_ptr<uint8_t[]> out(new uint8_t[capacity]);
  // The block too sits in a buffer of its own size.
  std::unique_ptr<uint8_t[]> in(new uint8_t[block.size()]);
  std::copy(block.begin(), block.end(), in.get());
  uint32_t length = capacity;
  if (!Lzrw3aCompress(kLzrw3aActionDecompress, nullptr, in.get(), uint32_t(block.size()), out.get(), &length)) {
    EXPECT_EQ(length, 0u);
    return std::nullopt;
  }
  EXPECT_LE(length, capacity);
  return Bytes(out.get(), out.get() + length);
}

void ExpectRoundTrip(const Bytes& source) {
  Bytes block = Compress(source);
  auto back = Decompress(block, uint32_t(source.size()));
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(*back, source);
}

// Text that looks like an ASCII model file: tokens, numbers, repeated structure.
Bytes ModelLikeText(size_t size, uint32_t seed) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> coordinate(-1.0, 1.0);
  std::string text = "Corvia ASCII 8.10\n";
  char line[160];
  for (int i = 0; text.size() < size; ++i) {
    std::snprintf(line, sizeof(line), "  Vertex %d %.15g %.15g %.15g\n", i, coordinate(random), coordinate(random),
                  coordinate(random));
    text += line;
    if (i % 5 == 0) {
      std::snprintf(line, sizeof(line), "  Face %d %d %d %d Color 0x%06x\n", i, i + 1, i + 2, i + 3,
                    i * 977 % 0xFFFFFF);
      text += line;
    }
  }
  text.resize(size);
  return FromText(text);
}

uint16_t ControlWord(const Bytes& block, size_t at) {
  return uint16_t(block[at] | (block[at + 1] << 8));
}

// The bucket of three bytes, worked out from the format's definition.
uint32_t Bucket(uint8_t b0, uint8_t b1, uint8_t b2) {
  uint32_t key = (uint32_t(b0) << 8) ^ (uint32_t(b1) << 4) ^ b2;
  return ((key * 40543u) >> 4) & 0x1FF;
}

TEST(Lzrw3aTest, ShortSourcesAreStored) {
  EXPECT_EQ(Compress({}), (Bytes{1, 0, 0, 0}));
  EXPECT_EQ(Compress({0x41}), (Bytes{1, 0, 0, 0, 0x41}));
  // Nothing shorter than 6 bytes can pay for its first control word.
  EXPECT_EQ(Compress(FromText("aaaaa")), (Bytes{1, 0, 0, 0, 'a', 'a', 'a', 'a', 'a'}));
  for (const Bytes& source : {Bytes{}, Bytes{7}, FromText("aaaaaa"), FromText("abcdefgh")}) ExpectRoundTrip(source);
  auto empty = Decompress(Bytes{1, 0, 0, 0}, 0);
  ASSERT_TRUE(empty.has_value());
  EXPECT_TRUE(empty->empty());
  // A compressed block of the flag bytes alone is empty too.
  auto emptyCompressed = Decompress(Bytes{0, 0, 0, 0}, 0);
  ASSERT_TRUE(emptyCompressed.has_value());
  EXPECT_TRUE(emptyCompressed->empty());
}

TEST(Lzrw3aTest, RunOfEqualBytesHasTheDocumentedLayout) {
  // Positions enter the table two items late, so the first three items are
  // literals; then copies of 18 bytes; the last 7 bytes (fewer than 18 left) are
  // literals: 4 flag bytes, 5 control words, 3 + 55 * 2 + 7 item bytes.
  Bytes source(1000, 'a');
  Bytes block = Compress(source);
  ASSERT_EQ(block.size(), 134u);
  EXPECT_EQ(block[0], 0);
  EXPECT_EQ(ControlWord(block, 4), 0xFFF8);  // 3 literals, 13 copies
  EXPECT_EQ(block[6], 'a');
  EXPECT_EQ(block[7], 'a');
  EXPECT_EQ(block[8], 'a');
  // Every copy names slot 0 of the bucket of "aaa", where position 0 went first.
  uint32_t index = Bucket('a', 'a', 'a') * 8;
  EXPECT_EQ(block[9], ((index >> 4) & 0xF0) | 15);
  EXPECT_EQ(block[10], index & 0xFF);
  size_t at = 9 + 13 * 2;
  EXPECT_EQ(ControlWord(block, at), 0xFFFF);
  at += 2 + 16 * 2;
  EXPECT_EQ(ControlWord(block, at), 0xFFFF);
  at += 2 + 16 * 2;
  EXPECT_EQ(ControlWord(block, at), 0x03FF);  // 10 copies, 6 literals
  at += 2 + 10 * 2 + 6;
  EXPECT_EQ(ControlWord(block, at), 0xFFFE);  // 1 literal; absent items' bits are 1
  EXPECT_EQ(at + 3, block.size());
  ExpectRoundTrip(source);
}

TEST(Lzrw3aTest, CopiesMayComeFromTheSeed) {
  Bytes source = FromText("123456789012345678");
  source.insert(source.end(), 400, 'z');
  Bytes block = Compress(source);
  ASSERT_EQ(block[0], 0);
  EXPECT_EQ(ControlWord(block, 4) & 1, 1);  // item 0 is a copy
  uint32_t index = Bucket('1', '2', '3') * 8;
  EXPECT_EQ(block[6], ((index >> 4) & 0xF0) | 15);
  EXPECT_EQ(block[7], index & 0xFF);
  ExpectRoundTrip(source);

  Bytes partial = FromText("1234");
  partial.insert(partial.end(), 400, 'y');
  Bytes partialBlock = Compress(partial);
  EXPECT_EQ(ControlWord(partialBlock, 4) & 1, 1);
  EXPECT_EQ(partialBlock[6] & 0x0F, 4 - 3);  // a copy of 4 bytes
  ExpectRoundTrip(partial);
}

TEST(Lzrw3aTest, DataThatDoesNotShrinkIsStored) {
  std::mt19937 random(7);
  Bytes source(5000);
  for (auto& b : source) b = uint8_t(random());
  Bytes block = Compress(source);
  ASSERT_EQ(block.size(), source.size() + 4);
  EXPECT_EQ(block[0], 1);
  EXPECT_TRUE(std::equal(source.begin(), source.end(), block.begin() + 4));
  ExpectRoundTrip(source);
}

TEST(Lzrw3aTest, RoundTripsOfManyShapes) {
  ExpectRoundTrip(Bytes(1, 0));
  ExpectRoundTrip(Bytes(17, 'q'));
  ExpectRoundTrip(Bytes(18, 'q'));
  ExpectRoundTrip(Bytes(287, 'q'));
  ExpectRoundTrip(Bytes(288, 'q'));
  ExpectRoundTrip(Bytes(100000, 0));
  ExpectRoundTrip(FromText("abcabcabcabcabcabcabcabcabcabc1234567890123456789012345678"));
  // Model-like text of many groups, in one block and in 64 KiB blocks as the model
  // file stores it.
  Bytes text = ModelLikeText(1 << 20, 3);
  Bytes block = Compress(text);
  EXPECT_EQ(block[0], 0);
  EXPECT_LT(block.size(), text.size() * 3 / 4);
  ExpectRoundTrip(text);
  for (size_t start = 0; start < text.size(); start += 65536)
    ExpectRoundTrip(Bytes(text.begin() + start, text.begin() + std::min(text.size(), start + 65536)));
  // Lengths around every group boundary.
  for (size_t n = 0; n < 700; n += 7) ExpectRoundTrip(ModelLikeText(n, uint32_t(n)));
}

TEST(Lzrw3aTest, WorkMemoryNeedNotBeAligned) {
  Bytes source = ModelLikeText(3000, 9);
  std::vector<uint8_t> work(kLzrw3aWorkMemorySize + 1);
  Bytes block(source.size() + kLzrw3aCompressOverrun);
  uint32_t length = uint32_t(block.size());
  ASSERT_TRUE(Lzrw3aCompress(kLzrw3aActionCompress, work.data() + 1, source.data(), uint32_t(source.size()),
                             block.data(), &length));
  block.resize(length);
  EXPECT_EQ(block, Compress(source));
}

TEST(Lzrw3aTest, ArgumentsOutsideTheContractFail) {
  Bytes source(100, 'x');
  Bytes out(200);
  uint32_t length = uint32_t(out.size());
  EXPECT_FALSE(Lzrw3aCompress(3, nullptr, source.data(), 100, out.data(), &length));
  EXPECT_FALSE(Lzrw3aCompress(0, nullptr, source.data(), 100, out.data(), &length));
  // The compressor needs room for one group past the source.
  length = 100 + kLzrw3aCompressOverrun - 1;
  EXPECT_FALSE(Lzrw3aCompress(kLzrw3aActionCompress, nullptr, source.data(), 100, out.data(), &length));
  EXPECT_FALSE(Lzrw3aCompress(kLzrw3aActionCompress, nullptr, source.data(), 100, nullptr, &length));
}

TEST(Lzrw3aTest, DamagedBlocksFail) {
  Bytes source = ModelLikeText(2000, 5);
  Bytes block = Compress(source);
  ASSERT_EQ(block[0], 0);
  // Output that would not fit.
  EXPECT_FALSE(Decompress(block, uint32_t(source.size() - 1)).has_value());
  EXPECT_TRUE(Decompress(block, uint32_t(source.size() + 100)).has_value());
  // Blocks shorter than the flag bytes, unknown flags, stored data too long.
  EXPECT_FALSE(Decompress(Bytes{0, 0, 0}, 10).has_value());
  EXPECT_FALSE(Decompress(Bytes{}, 10).has_value());
  EXPECT_FALSE(Decompress(Bytes{2, 0, 0, 0, 1, 2}, 10).has_value());
  EXPECT_FALSE(Decompress(Bytes{1, 0, 0, 0, 1, 2, 3}, 2).has_value());
  // Half a control word; a copy item cut after its first byte.
  EXPECT_FALSE(Decompress(Bytes{0, 0, 0, 0, 0xFF}, 100).has_value());
  EXPECT_FALSE(Decompress(Bytes{0, 0, 0, 0, 0x01, 0x00, 0x0F}, 100).has_value());
  // Every truncation either fails or gives a shorter output, which the caller's
  // length check refuses.
  for (size_t n = 0; n < block.size(); ++n) {
    auto out = Decompress(Bytes(block.begin(), block.begin() + n), uint32_t(source.size()));
    if (out.has_value()) {
      EXPECT_LT(out->size(), source.size());
    }
  }
}

TEST(Lzrw3aTest, RandomAndCorruptedBlocksNeverOverrun) {
  std::mt19937 random(12345);
  int failures = 0;
  for (int trial = 0; trial < 4000; ++trial) {
    SCOPED_TRACE("seed 12345 trial " + std::to_string(trial));
    Bytes block(4 + random() % 300);
    for (auto& b : block) b = uint8_t(random());
    block[0] = uint8_t(random() % 3 == 0 ? random() : 0);
    block[1] = block[2] = block[3] = 0;
    uint32_t capacity = random() % 2000;
    if (!Decompress(block, capacity).has_value()) ++failures;
  }
  EXPECT_GT(failures, 0);

  Bytes text = ModelLikeText(4000, 11);
  Bytes good = Compress(text);
  ASSERT_EQ(good[0], 0);
  for (int trial = 0; trial < 4000; ++trial) {
    Bytes block = good;
    int flips = 1 + int(random() % 8);
    for (int i = 0; i < flips; ++i) block[4 + random() % (block.size() - 4)] = uint8_t(random());
    if (random() % 4 == 0) block.resize(4 + random() % (block.size() - 4));
    auto out = Decompress(block, uint32_t(text.size()));
    if (out.has_value()) {
      EXPECT_LE(out->size(), text.size());
    }
  }
}

}  // namespace corvia::test_Lzrw3a
