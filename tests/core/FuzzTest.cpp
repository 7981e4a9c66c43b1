// Bounded random-input tests of the readers that take outside data: the token
// stream, LZRW3-A decompression and the equation evaluator. Each runs for a fixed
// time budget and a fixed seed, so a failure can be replayed; any input that breaks
// a reader is printed.

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "core/Equation.h"
#include "core/Lzrw3a.h"
#include "core/ioStream.h"
#include "tests/support/TestSupport.h"

namespace test_Fuzz {

// Seconds each fuzz loop may run; well under a minute for the three together.
constexpr double kBudgetSeconds = 8.0;
constexpr int kMaxRounds = 200000;

class Budget {
public:
  bool More(int round) const {
    if (round >= kMaxRounds) return false;
    std::chrono::duration<double> spent = std::chrono::steady_clock::now() - mStart;
    return spent.count() < kBudgetSeconds;
  }

private:
  std::chrono::steady_clock::time_point mStart = std::chrono::steady_clock::now();
};

const char* TokenName(int index) {
  static const char* const kNames[] = {"Model", "Vertex", "Face", "Color", "Name", "End"};
  return index >= 0 && index < 6 ? kNames[index] : nullptr;
}

const corvia::ioEnumPair kShapes[] = {{0, "Plain"}, {3, "Star"}, {7, "Hemi"}, {0, nullptr}};

// A valid stream of every item kind, to mutate.
std::vector<uint8_t> SampleStream(const std::filesystem::path& dir, int mode) {
  std::string path = (dir / (mode == corvia::kIoModeAscii ? "sample.txt" : "sample.bin")).string();
  corvia::ioStream* out = corvia::ioOpenWrite(path.c_str(), "Corvia", 8, 10, mode, TokenName, nullptr, nullptr);
  EXPECT_NE(out, nullptr);
  if (!out) return {};
  for (int i = 0; i < 12; ++i) {
    corvia::ioWriteToken(out, i % 6, 2);
    corvia::ioPrintf(out, " %d %g %hg\n", i * 37, i * 0.25, float(i) / 3.0f);
    corvia::ioWriteEnum(out, i % 2 ? 3 : 7, kShapes, " ", "");
    corvia::ioWriteBool(out, i % 3 == 0, " ", "");
    corvia::ioWriteString(out, " ", "a \"quoted\"\nstring that runs on well past one piece of a line", "\n", 4);
  }
  corvia::ioClose(out);
  std::vector<uint8_t> bytes;
  if (FILE* file = std::fopen(path.c_str(), "rb")) {
    int c;
    while ((c = std::fgetc(file)) != EOF) bytes.push_back(static_cast<uint8_t>(c));
    std::fclose(file);
  }
  return bytes;
}

// Reads whatever is there with a random sequence of reads, as a careless reader would.
void ReadAtRandom(corvia::ioStream* in, std::mt19937& random) {
  for (int step = 0; step < 200; ++step) {
    switch (random() % 9) {
      case 0: corvia::ioReadToken(in); break;
      case 1: corvia::ioReadInt(in); break;
      case 2: corvia::ioReadDouble(in); break;
      case 3: corvia::ioReadFloat(in); break;
      case 4: corvia::ioReadEnum(in, kShapes); break;
      case 5: corvia::ioReadBool(in); break;
      case 6: corvia::ioReadString(in, true); break;
      case 7: {
        double point[3];
        corvia::ioReadPoint(in, point);
        break;
      }
      default: {
        uint8_t bytes[16];
        corvia::ioReadBytes(in, bytes, static_cast<int>(random() % 17), random() % 2 == 0);
        break;
      }
    }
  }
}

TEST(Fuzz, TokenStreamReaderSurvivesDamagedInput) {
  std::filesystem::path dir = corvia::testing::ScratchDir("fuzz-io");
  auto quiet = [](int, const char*, const char*) { return 0; };
  std::mt19937 random(20261207);
  std::vector<std::vector<uint8_t>> samples = {SampleStream(dir, corvia::kIoModeAscii),
                                               SampleStream(dir, corvia::kIoModeBinary)};
  std::string path = (dir / "damaged").string();
  Budget budget;
  int round = 0;
  for (; budget.More(round); ++round) {
    std::vector<uint8_t> data = samples[round % 2];
    // Flip, cut, insert or replace bytes.
    int changes = 1 + static_cast<int>(random() % 8);
    for (int c = 0; c < changes && !data.empty(); ++c) {
      size_t at = random() % data.size();
      switch (random() % 4) {
        case 0: data[at] ^= static_cast<uint8_t>(1u << (random() % 8)); break;
        case 1: data.resize(at); break;
        case 2: data.insert(data.begin() + static_cast<long>(at), static_cast<uint8_t>(random())); break;
        default: data[at] = static_cast<uint8_t>(random()); break;
      }
    }
    if (round % 3 == 0) {
      // Memory streams read the same fields without a header word.
      corvia::ioStream* in = corvia::ioOpenRead(nullptr, "Corvia", 8, 10, TokenName, quiet, data.data(),
                                                static_cast<int32_t>(data.size()));
      if (in) ReadAtRandom(in, random);
      corvia::ioClose(in);
      continue;
    }
    FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    if (!data.empty()) std::fwrite(data.data(), 1, data.size(), file);
    std::fclose(file);
    corvia::ioStream* in = corvia::ioOpenRead(path.c_str(), "Corvia", 8, 10, TokenName, quiet, nullptr, 0);
    if (in) ReadAtRandom(in, random);
    corvia::ioClose(in);
  }
  EXPECT_GT(round, 100);
}

TEST(Fuzz, DecompressionOfRandomBlocksStaysInBounds) {
  std::mt19937 random(7);
  std::vector<uint8_t> work(corvia::kLzrw3aWorkMemorySize);
  Budget budget;
  int round = 0;
  for (; budget.More(round); ++round) {
    std::vector<uint8_t> block(random() % 300);
    for (auto& b : block) b = static_cast<uint8_t>(random());
    if (!block.empty() && random() % 2) block[0] = corvia::kLzrw3aFlagCompressed;
    // The output has exactly the room the caller claims: any overrun is caught by the
    // sanitizer build.
    std::vector<uint8_t> out(random() % 600);
    uint32_t length = static_cast<uint32_t>(out.size());
    bool ok = corvia::Lzrw3aCompress(corvia::kLzrw3aActionDecompress, work.data(), block.data(),
                                     static_cast<uint32_t>(block.size()), out.data(), &length);
    if (ok) {
      ASSERT_LE(length, out.size());
    }
  }
  EXPECT_GT(round, 100);
}

TEST(Fuzz, EquationEvaluatorAcceptsAnyText) {
  const char kAlphabet[] = "0123456789.+-*/^()e pisqrtcoanlgdx,E";
  std::mt19937 random(11);
  Budget budget;
  int round = 0;
  for (; budget.More(round); ++round) {
    std::string text;
    size_t length = random() % 40;
    for (size_t i = 0; i < length; ++i) {
      text += random() % 10 ? kAlphabet[random() % (sizeof(kAlphabet) - 1)] : static_cast<char>(random() % 256);
    }
    if (round % 50 == 0) text = std::string(random() % 400, '(') + "1";
    const char* error = nullptr;
    double value = corvia::ParseEquation(text.c_str(), &error);
    if (!error) {
      ASSERT_TRUE(std::isfinite(value)) << "accepted \"" << text << "\" as " << value;
    }
  }
  EXPECT_GT(round, 100);
}

}  // namespace test_Fuzz
