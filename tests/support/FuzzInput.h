#pragma once
// What the random-input tests share: a generator per round, seeded with (seed,
// round), so that the inputs are the same on every machine and a failure names the
// round that replays it; and the changes they make to good inputs.

#include <cctype>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace corvia::testing {

// std::seed_seq and std::mt19937 are specified to the bit.
inline std::mt19937 RoundRandom(uint32_t seed, int round) {
  std::seed_seq sequence{seed, static_cast<uint32_t>(round)};
  return std::mt19937(sequence);
}

inline std::string RoundName(const char* kind, uint32_t seed, int round) {
  return std::string(kind) + ": seed " + std::to_string(seed) + " round " + std::to_string(round);
}

// 0 to n - 1 (0 for n not above 0).
inline int Below(std::mt19937& random, int n) {
  return n <= 0 ? 0 : static_cast<int>(random() % static_cast<uint32_t>(n));
}

// A text changed in one to three places, each one of: a word (a run of non-blanks)
// replaced by one of `words`; the bytes of a quoted text replaced by any bytes but a
// quote or a line end; one byte set to any value, a zero byte included.
inline std::string ChangeText(std::string text, std::mt19937& random, const std::vector<std::string>& words) {
  const int changes = 1 + Below(random, 3);
  for (int c = 0; c < changes && !text.empty(); ++c) {
    const size_t at = static_cast<size_t>(Below(random, static_cast<int>(text.size())));
    const int kind = Below(random, 8);
    if (kind == 0) {
      text[at] = Below(random, 3) == 0 ? '\0' : static_cast<char>(random());
      continue;
    }
    const size_t quote = text.find('"', at);
    if (kind <= 2 && quote != std::string::npos) {
      const size_t close = text.find('"', quote + 1);
      if (close == std::string::npos) continue;
      std::string bytes(static_cast<size_t>(Below(random, 40)), ' ');
      for (char& b : bytes) {
        do b = static_cast<char>(1 + Below(random, 255));
        while (b == '"' || b == '\n');
      }
      text.replace(quote + 1, close - quote - 1, bytes);
      continue;
    }
    size_t start = at;
    while (start > 0 && !std::isspace(static_cast<unsigned char>(text[start - 1]))) --start;
    size_t end = at;
    while (end < text.size() && !std::isspace(static_cast<unsigned char>(text[end]))) ++end;
    if (!words.empty()) text.replace(start, end - start, words[static_cast<size_t>(Below(random, int(words.size())))]);
  }
  return text;
}

// Bytes changed in one to eight places: a byte set, a bit flipped, or four bytes of
// 0xFF (a number made large).
inline std::string ChangeBytes(std::string bytes, std::mt19937& random) {
  const int changes = 1 + Below(random, 8);
  for (int c = 0; c < changes && !bytes.empty(); ++c) {
    const size_t at = static_cast<size_t>(Below(random, static_cast<int>(bytes.size())));
    switch (Below(random, 3)) {
      case 0:
        bytes[at] = static_cast<char>(random());
        break;
      case 1:
        bytes[at] ^= static_cast<char>(1 << Below(random, 8));
        break;
      default:
        for (size_t k = at; k < bytes.size() && k < at + 4; ++k) bytes[k] = static_cast<char>(0xFF);
        break;
    }
  }
  return bytes;
}

}  // namespace corvia::testing
