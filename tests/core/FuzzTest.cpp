// Random-input tests of the readers that take outside data: the token stream, LZRW3-A
// decompression and the equation evaluator. Each runs a fixed number of rounds, and
// every round draws its input from its own generator seeded with (seed, round), so
// the inputs are the same on every machine and a failure names the round that
// replays it. The checks are properties of the results, not only survival:
//   - a token stream reader either reports an error or returns values that write
//     back to the bytes it read (binary and memory streams exactly, but for bool
//     bytes, where any non-zero byte reads as true; ASCII text, which may be spaced
//     differently, to a form that reads back to the same values and writes again to
//     the same text);
//   - a compressed block decompresses to its source; a damaged one fails or stays
//     within the room it was given;
//   - the evaluator's result is finite or an error;
//   - marked-up text, cut anywhere and mixed with stray bytes, ends; every piece it
//     draws is whole UTF-8 on one line, at a finite place and size, and links end
//     no more often than they start.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "core/Equation.h"
#include "core/HtmlText.h"
#include "core/Lzrw3a.h"
#include "core/ioStream.h"
#include "tests/core/FakeTextBackend.h"
#include "tests/support/FuzzInput.h"
#include "tests/support/TestSupport.h"

namespace test_Fuzz {

using Bytes = std::vector<uint8_t>;

using corvia::testing::RoundRandom;

std::string Where(uint32_t seed, int round) {
  return "seed " + std::to_string(seed) + " round " + std::to_string(round);
}

// ---- Token streams ----------------------------------------------------------------

const char* TokenName(int index) {
  static const char* const kNames[] = {"Model", "Vertex", "Face", "Color", "Name", "End"};
  return index >= 0 && index < 6 ? kNames[index] : nullptr;
}

const corvia::ioEnumPair kShapes[] = {{0, "Plain"}, {3, "Star"}, {7, "Hemi"}, {0, nullptr}};

// One record of the sample format: a token and one field of every kind.
struct Record {
  int token = 0;
  int32_t number = 0;
  double real = 0.0;
  float single = 0.0f;
  int shape = 0;
  bool flag = false;
  std::string text;
};

bool SameBits(double a, double b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}
bool SameBits(float a, float b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

bool SameRecords(const std::vector<Record>& a, const std::vector<Record>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const Record& x = a[i];
    const Record& y = b[i];
    if (x.token != y.token || x.number != y.number || !SameBits(x.real, y.real) || !SameBits(x.single, y.single) ||
        x.shape != y.shape || x.flag != y.flag || x.text != y.text)
      return false;
  }
  return true;
}

// Finite doubles and floats of every size, and strings of any bytes but zero (long
// ones are split into continuation lines in ASCII).
Record RandomRecord(std::mt19937& random) {
  Record r;
  r.token = static_cast<int>(random() % 5);
  r.number = static_cast<int32_t>(random());
  do {
    uint64_t bits = (uint64_t(random()) << 32) | random();
    std::memcpy(&r.real, &bits, sizeof bits);
  } while (!std::isfinite(r.real));
  do {
    uint32_t bits = random();
    std::memcpy(&r.single, &bits, sizeof bits);
  } while (!std::isfinite(r.single));
  if (random() % 4 == 0) r.real = static_cast<double>(static_cast<int>(random() % 2001) - 1000) / 8.0;
  r.shape = kShapes[random() % 3].value;
  r.flag = random() % 2 == 0;
  const size_t length = random() % 4 == 0 ? random() % 200 : random() % 12;
  for (size_t i = 0; i < length; ++i) r.text.push_back(static_cast<char>(1 + random() % 255));
  return r;
}

Bytes ReadFile(const std::string& path) {
  Bytes bytes;
  if (FILE* file = std::fopen(path.c_str(), "rb")) {
    int c;
    while ((c = std::fgetc(file)) != EOF) bytes.push_back(static_cast<uint8_t>(c));
    std::fclose(file);
  }
  return bytes;
}

void WriteFile(const std::string& path, const Bytes& bytes) {
  FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr) << path;
  if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
}

// The records written in the mode (ASCII, BINARY or memory) with the version, as bytes.
Bytes WriteRecords(const std::vector<Record>& records, int mode, const std::string& path, int major = 8,
                   int minor = 10) {
  corvia::ioBuffer buffer;
  corvia::ioStream* out = corvia::ioOpenWrite(path.c_str(), "Corvia", major, minor, mode, TokenName, nullptr, &buffer).release();
  EXPECT_NE(out, nullptr);
  if (!out) return {};
  for (const Record& r : records) {
    corvia::ioWriteToken(out, r.token, 2);
    corvia::ioPrintf(out, " %d %.17g %.9hg", r.number, r.real, static_cast<double>(r.single));
    corvia::ioWriteEnum(out, r.shape, kShapes, " ", "");
    corvia::ioWriteBool(out, r.flag, " ", "");
    corvia::ioWriteString(out, " ", r.text.c_str(), "\n", 4);
  }
  EXPECT_TRUE(corvia::ioClose(out));
  if (mode == corvia::kIoModeMemory) return Bytes(buffer.data, buffer.data + buffer.length);
  return ReadFile(path);
}

struct ReadResult {
  bool opened = false;
  int major = 0, minor = 0;  // the version the stream carried
  std::vector<std::string> errors;  // every error and warning reported
  std::vector<Record> records;
};

// Reads records until the end of the data (at most kMaxRecords).
ReadResult ReadRecords(const Bytes& bytes, int mode, const std::string& path) {
  constexpr size_t kMaxRecords = 64;
  ReadResult result;
  auto handler = [&result](int, const char*, const char* message) {
    result.errors.push_back(message ? message : "");
    return 0;
  };
  corvia::ioStream* in = nullptr;
  if (mode == corvia::kIoModeMemory) {
    in = corvia::ioOpenRead(nullptr, "Corvia", 8, 10, TokenName, handler, bytes.data(),
                            static_cast<int32_t>(bytes.size())).release();
  } else {
    WriteFile(path, bytes);
    in = corvia::ioOpenRead(path.c_str(), "Corvia", 8, 10, TokenName, handler, nullptr, 0).release();
  }
  if (!in) return result;
  result.opened = true;
  result.major = in->mVersionMajor;
  result.minor = in->mVersionMinor;
  while (result.records.size() < kMaxRecords) {
    const int token = corvia::ioReadToken(in);
    if (token == corvia::kIoTokenEnd) break;
    Record r;
    r.token = token;
    r.number = corvia::ioReadInt(in);
    r.real = corvia::ioReadDouble(in);
    r.single = corvia::ioReadFloat(in);
    r.shape = corvia::ioReadEnum(in, kShapes);
    r.flag = corvia::ioReadBool(in);
    r.text = corvia::ioReadString(in, true);
    result.records.push_back(r);
    if (!result.errors.empty()) break;
  }
  corvia::ioClose(in);
  return result;
}

// Where two byte strings first differ, for failure messages.
std::string Difference(const Bytes& a, const Bytes& b) {
  size_t i = 0;
  while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
  auto at = [i](const Bytes& x) { return i < x.size() ? std::to_string(x[i]) : std::string("end"); };
  return "first difference at byte " + std::to_string(i) + " (" + at(a) + " against " + at(b) + "), lengths " +
         std::to_string(a.size()) + " and " + std::to_string(b.size());
}

// Binary bytes written back equal the bytes read, but for bools: a bool byte reads
// as true whenever it is not zero and is written back as 1.
bool SameUpToBools(const Bytes& written, const Bytes& read) {
  if (written.size() != read.size()) return false;
  for (size_t i = 0; i < written.size(); ++i) {
    if (written[i] != read[i] && !(written[i] == 1 && read[i] > 1)) return false;
  }
  return true;
}

const int kModes[] = {corvia::kIoModeAscii, corvia::kIoModeBinary, corvia::kIoModeMemory};

// Written records read back to themselves, and the bytes they write are a fixed point.
TEST(Fuzz, TokenStreamRoundTripsRandomRecords) {
  constexpr uint32_t kSeed = 20261207;
  constexpr int kRounds = 600;
  const std::string path = (corvia::testing::ScratchDir("fuzz-io") / "records").string();
  for (int round = 0; round < kRounds; ++round) {
    std::mt19937 random = RoundRandom(kSeed, round);
    const int mode = kModes[round % 3];
    std::vector<Record> records(1 + random() % 6);
    for (Record& r : records) r = RandomRecord(random);
    const Bytes written = WriteRecords(records, mode, path);
    const ReadResult back = ReadRecords(written, mode, path);
    ASSERT_TRUE(back.opened) << Where(kSeed, round);
    ASSERT_TRUE(back.errors.empty()) << Where(kSeed, round) << ": " << back.errors[0];
    ASSERT_TRUE(SameRecords(back.records, records)) << Where(kSeed, round) << " mode " << mode;
    const Bytes again = WriteRecords(back.records, mode, path);
    ASSERT_TRUE(again == written) << Where(kSeed, round) << " mode " << mode << ": " << Difference(again, written);
  }
}

// Damaged streams: an error with a message, or values that write back to the input.
TEST(Fuzz, TokenStreamReaderFailsOrReadsWhatWritesBack) {
  constexpr uint32_t kSeed = 7;
  constexpr int kRounds = 3000;
  const std::string path = (corvia::testing::ScratchDir("fuzz-io") / "damaged").string();
  int refused = 0, accepted = 0;
  for (int round = 0; round < kRounds; ++round) {
    std::mt19937 random = RoundRandom(kSeed, round);
    const int mode = kModes[round % 3];
    std::vector<Record> records(1 + random() % 4);
    for (Record& r : records) r = RandomRecord(random);
    Bytes data = WriteRecords(records, mode, path);
    // Flip, cut, insert or replace bytes.
    const int changes = 1 + static_cast<int>(random() % 4);
    for (int c = 0; c < changes && !data.empty(); ++c) {
      const size_t at = random() % data.size();
      switch (random() % 4) {
        case 0:
          data[at] ^= static_cast<uint8_t>(1u << (random() % 8));
          break;
        case 1:
          data.resize(at);
          break;
        case 2:
          data.insert(data.begin() + static_cast<long>(at), static_cast<uint8_t>(random()));
          break;
        default:
          data[at] = static_cast<uint8_t>(random());
          break;
      }
    }
    const ReadResult first = ReadRecords(data, mode, path);
    if (!first.opened || !first.errors.empty()) {
      for (const std::string& e : first.errors) ASSERT_FALSE(e.empty()) << Where(kSeed, round);
      ++refused;
      continue;
    }
    ++accepted;
    // Written back with the (older) version the stream carried.
    const Bytes rewritten = WriteRecords(first.records, mode, path, first.major, first.minor);
    if (mode != corvia::kIoModeAscii) {
      ASSERT_TRUE(SameUpToBools(rewritten, data)) << Where(kSeed, round) << " mode " << mode << ": "
                                                   << Difference(rewritten, data);
      continue;
    }
    // Text may be spaced or spelt otherwise: its values must survive a second pass.
    const ReadResult second = ReadRecords(rewritten, mode, path);
    ASSERT_TRUE(second.errors.empty()) << Where(kSeed, round) << ": " << second.errors[0];
    ASSERT_TRUE(SameRecords(second.records, first.records)) << Where(kSeed, round);
    const Bytes again = WriteRecords(second.records, mode, path, second.major, second.minor);
    ASSERT_TRUE(again == rewritten) << Where(kSeed, round) << ": " << Difference(again, rewritten);
  }
  // Both outcomes occur, so neither branch is dead.
  EXPECT_GT(refused, kRounds / 10);
  EXPECT_GT(accepted, kRounds / 10);
}

// ---- Compressed blocks ------------------------------------------------------------

// Sources with repeats of every length, so that copies of all sizes occur.
Bytes RandomSource(std::mt19937& random) {
  Bytes source(random() % 3000);
  const uint32_t alphabet = 2 + random() % 255;
  for (size_t i = 0; i < source.size(); ++i) {
    if (i > 20 && random() % 3 == 0) {
      const size_t from = i - 1 - random() % (i < 4000 ? i : 4000);
      source[i] = source[from];
    } else {
      source[i] = static_cast<uint8_t>(random() % alphabet);
    }
  }
  return source;
}

// Decompresses into a heap block of exactly `capacity` bytes (the sanitizer build
// sees any write past it); false when the block is refused.
bool Decompress(const Bytes& block, uint32_t capacity, Bytes* out) {
  std::vector<uint8_t> in(block);
  std::unique_ptr<uint8_t[]> room(new uint8_t[capacity > 0 ? capacity : 1]);
  uint32_t length = capacity;
  if (!corvia::Lzrw3aCompress(corvia::kLzrw3aActionDecompress, nullptr, in.data(), static_cast<uint32_t>(in.size()),
                              room.get(), &length)) {
    EXPECT_EQ(length, 0u);
    return false;
  }
  EXPECT_LE(length, capacity);
  out->assign(room.get(), room.get() + length);
  return true;
}

TEST(Fuzz, CompressedBlocksDecompressToTheirSource) {
  constexpr uint32_t kSeed = 3;
  constexpr int kRounds = 400;
  std::vector<uint8_t> work(corvia::kLzrw3aWorkMemorySize);
  for (int round = 0; round < kRounds; ++round) {
    std::mt19937 random = RoundRandom(kSeed, round);
    const Bytes source = RandomSource(random);
    Bytes block(source.size() + corvia::kLzrw3aCompressOverrun);
    uint32_t length = static_cast<uint32_t>(block.size());
    ASSERT_TRUE(corvia::Lzrw3aCompress(corvia::kLzrw3aActionCompress, work.data(), source.data(),
                                       static_cast<uint32_t>(source.size()), block.data(), &length))
        << Where(kSeed, round);
    block.resize(length);
    Bytes back;
    ASSERT_TRUE(Decompress(block, static_cast<uint32_t>(source.size()), &back)) << Where(kSeed, round);
    ASSERT_EQ(back, source) << Where(kSeed, round);
    // One byte less room than the source needs is refused, never overrun.
    if (!source.empty()) {
      ASSERT_FALSE(Decompress(block, static_cast<uint32_t>(source.size() - 1), &back)) << Where(kSeed, round);
    }
  }
}

TEST(Fuzz, DamagedBlocksFailOrStayInBounds) {
  constexpr uint32_t kSeed = 5;
  constexpr int kRounds = 4000;
  std::vector<uint8_t> work(corvia::kLzrw3aWorkMemorySize);
  for (int round = 0; round < kRounds; ++round) {
    std::mt19937 random = RoundRandom(kSeed, round);
    Bytes block;
    if (round % 2 == 0) {
      // Random bytes, flagged compressed half of the time.
      block.resize(random() % 300);
      for (auto& b : block) b = static_cast<uint8_t>(random());
      if (!block.empty() && random() % 2) block[0] = corvia::kLzrw3aFlagCompressed;
    } else {
      // A real block with a few bytes changed or cut off.
      const Bytes source = RandomSource(random);
      block.resize(source.size() + corvia::kLzrw3aCompressOverrun);
      uint32_t length = static_cast<uint32_t>(block.size());
      ASSERT_TRUE(corvia::Lzrw3aCompress(corvia::kLzrw3aActionCompress, work.data(), source.data(),
                                         static_cast<uint32_t>(source.size()), block.data(), &length));
      block.resize(length);
      const int changes = 1 + static_cast<int>(random() % 3);
      for (int c = 0; c < changes && !block.empty(); ++c) {
        const size_t at = random() % block.size();
        if (random() % 4 == 0) {
          block.resize(at);
        } else {
          block[at] = static_cast<uint8_t>(random());
        }
      }
    }
    Bytes out;
    Decompress(block, static_cast<uint32_t>(random() % 4000), &out);
    if (::testing::Test::HasFailure()) FAIL() << Where(kSeed, round);
  }
}

// ---- Equations ----------------------------------------------------------------------

TEST(Fuzz, EquationResultIsFiniteOrAnError) {
  constexpr uint32_t kSeed = 11;
  constexpr int kRounds = 20000;
  const char kAlphabet[] = "0123456789.+-*/^()e pisqrtcoanlgdx,E";
  for (int round = 0; round < kRounds; ++round) {
    std::mt19937 random = RoundRandom(kSeed, round);
    std::string text;
    const size_t length = random() % 40;
    for (size_t i = 0; i < length; ++i) {
      text += random() % 10 ? kAlphabet[random() % (sizeof(kAlphabet) - 1)] : static_cast<char>(random() % 256);
    }
    if (round % 50 == 0) text = std::string(random() % 400, '(') + "1";
    const char* error = nullptr;
    const double value = corvia::ParseEquation(text.c_str(), &error);
    if (error) {
      ASSERT_NE(error[0], '\0') << Where(kSeed, round) << ": \"" << text << "\"";
    } else {
      ASSERT_TRUE(std::isfinite(value)) << Where(kSeed, round) << ": accepted \"" << text << "\" as " << value;
    }
  }
}

// ---- Marked-up text ----------------------------------------------------------------

// A marked-up text of fragments of the language, each perhaps cut short, with stray
// bytes, pieces of UTF-8 and numbers between them.
std::string RandomMarkUp(std::mt19937& random) {
  static const char* const kFragments[] = {
      "<ul>", "<ol>", "</ul>", "</ol>", "<li>", "<center>", "</center>", "<right>", "</right>", "<in>", "</in>",
      "<b>", "</b>", "<i>", "</i>", "<shadow>", "</shadow>", "<glow>", "<glow 0.7>", "<glow -3>", "<glow 1e400>",
      "</glow>", "<sub>", "</sub>", "<sup>", "</sup>", "<font color=#12ab9z size=+2>", "<face=\"Times\">",
      "<face=\"Nope\">", "<res=100000 face=\"Times\">", "<size=\"-3\">", "<size=1e9>", "<color=orange>",
      "<color=#>", "</font>", "<a>", "<a id=\"7\" noColor href=\"x>y\">", "<a href=\"", "</a>", "<sel>", "<else>",
      "</sel>", "<br>", "<p>", "<pre>", "<<", "<", ">", "&", ";", "&lt;", "&gt;", "&amp;", "&copy;", "&deg;",
      "&ccedil;", "&unknown;", "\n", "\r\n", "\t", " ", "  word ", "text", "\xC3\xA9", "\xE2\x82\xAC",
      "\xF0\x9F\x98\x80", "\xE2\x82", "\xFF", "\x80", "\xC0\xAF", "\xED\xA0\x80", "123", "-4.5e3"};
  constexpr size_t kCount = sizeof kFragments / sizeof kFragments[0];
  std::string text;
  const size_t parts = random() % 60;
  for (size_t i = 0; i < parts; ++i) {
    switch (random() % 8) {
      case 0:
        text += static_cast<char>(random() % 256);
        break;
      case 1: {
        // Deep nesting of one tag.
        const std::string tag = kFragments[random() % kCount];
        for (size_t k = random() % 40; k > 0; --k) text += tag;
        break;
      }
      default: {
        std::string fragment = kFragments[random() % kCount];
        if (random() % 6 == 0 && !fragment.empty()) fragment.resize(random() % fragment.size());
        text += fragment;
        break;
      }
    }
  }
  // Cut anywhere, as a label cut at its length limit is.
  if (random() % 4 == 0 && !text.empty()) text.resize(random() % text.size());
  return text;
}

TEST(Fuzz, MarkedUpTextEndsAndDrawsWholeCharacters) {
  constexpr uint32_t kSeed = 26;
  constexpr int kRounds = 4000;
  const uint32_t kFlags[] = {0, corvia::kTextCentre, corvia::kTextRight, corvia::kTextMeasureOnly,
                             corvia::kTextSelected | corvia::kTextShadow, corvia::kTextNoWidthLimit};
  for (int round = 0; round < kRounds; ++round) {
    std::mt19937 random = RoundRandom(kSeed, round);
    const std::string text = RandomMarkUp(random);
    const double width = random() % 3 == 0 ? -1.0 : static_cast<double>(random() % 40) / 4.0;
    const uint32_t flags = kFlags[random() % (sizeof kFlags / sizeof kFlags[0])];
    const int limit = random() % 5 == 0 ? static_cast<int>(random() % 100) : -1;
    corvia::testing::FakeTextBackend backend;
    corvia::TextLayout layout(backend);
    double pen[3] = {0.0, 0.0, 0.0};
    float boxMin[2] = {1e30f, 1e30f};
    float boxMax[2] = {-1e30f, -1e30f};
    const double height = layout.DrawHtml(pen, 1.0, width, text.c_str(), flags, boxMin, boxMax, limit, 0);
    ASSERT_TRUE(std::isfinite(height)) << Where(kSeed, round);
    ASSERT_TRUE(std::isfinite(pen[0]) && std::isfinite(pen[1]) && std::isfinite(pen[2])) << Where(kSeed, round);
    for (const auto& piece : backend.pieces) {
      ASSERT_EQ(corvia::CleanUtf8(piece.text.data(), piece.text.size()), piece.text) << Where(kSeed, round);
      ASSERT_EQ(piece.text.find_first_of("\r\n"), std::string::npos) << Where(kSeed, round);
      ASSERT_TRUE(std::isfinite(piece.pen[0]) && std::isfinite(piece.pen[1]) && std::isfinite(piece.scale))
          << Where(kSeed, round);
      ASSERT_GE(piece.scale, 0.0) << Where(kSeed, round);
      for (float c : piece.top) {
        ASSERT_TRUE(c >= 0.0f && c <= 1.0f) << Where(kSeed, round);
      }
    }
    if (flags & corvia::kTextMeasureOnly) {
      ASSERT_TRUE(backend.pieces.empty()) << Where(kSeed, round);
    }
    ASSERT_LE(backend.linksEnded, static_cast<int>(backend.links.size())) << Where(kSeed, round);
  }
}

}  // namespace test_Fuzz
