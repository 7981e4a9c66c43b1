#include "core/RainbowColor.h"

#include "core/ColorList.h"
#include "core/VectorMath.h"

namespace corvia {

namespace detail_RainbowColor {

constexpr uint32_t kWheel[kRainbowSize] = {
    0x0000FF, 0x00FFFF, 0xFF0000, 0x00FF00, 0xFF80FF, 0xFFFF80, 0x8000FF, 0x80FFFF, 0x004080, 0x80FF00,
    0xFF8000, 0x35D0FD, 0x8C8C00, 0x4763FF, 0x5C5CCC, 0x61A3F5, 0x998778, 0x70B33D, 0x33CC33, 0xABCC66,
    0x7380FA, 0x218C21, 0x33CCFF, 0x8514C7, 0x8F8070, 0xD40094, 0x4085CC, 0xD1CF00, 0xE32B8A, 0x99FA00,
    0xE0E3FF, 0xBAD9FF, 0x1F69D1, 0xDEA1DE, 0x8F21D1, 0x99FA99, 0xB569FF, 0xFFFF33, 0x00D6FF, 0xFACF87,
    0x99CCFF, 0xD1E040, 0x2EFFAD, 0x0045FF, 0x006300, 0xADDEFF, 0x008CFF, 0x82004A, 0xED697A, 0x8C0000,
    0x7AA1FF, 0xCCD147, 0xABE8ED, 0x3366CC, 0xFF7085, 0xED82ED, 0xFF8F1F, 0x008000, 0x2929A6, 0xE06940,
    0x8CE6F0, 0xB58245, 0x8080F0, 0xFFBF00, 0xCCBFFF, 0xD670D9, 0x2E52A1, 0x8C008C, 0xB5E3FF, 0xA19E5E,
    0xED9463, 0x4F4F2E, 0x9470DB, 0xCC0000, 0xD6EBFA, 0xD454BA, 0xE6E0B0, 0x7A96E8, 0xCC596B, 0xD9BFD9,
    0x00A6FF, 0x8FBD8F, 0x8F8FBD, 0xDB7094, 0x248F6B, 0x9414FF, 0xCC3399, 0xE6D9AD, 0xCCFFFF, 0x8FED8F,
    0x82DEED, 0xFF33FF, 0xEDEDB0, 0xDEC4B0, 0xC2B5FF, 0x21A6D9, 0x12458C, 0x2121B3, 0x4F80FF, 0x87B8DE,
    0x2E6B54, 0xABB321, 0xC4E3FF, 0x0A87B8, 0x8C3D47, 0xB3DEF5, 0x00FC7D, 0x33CC99, 0x6BB8BD, 0x80FF80,
    0x8080FF, 0xFF8080, 0x800080, 0x008080, 0x808000, 0x00FF80, 0xFF00FF, 0xFFFF00, 0xFF0080, 0x0080FF,
};

// One byte of a packed colour to 0..1.
constexpr float kByteToUnit = 0.003921569f;
constexpr float kUnitToByte = 255.0f;

// Cursors: 0 forwards and 1 backwards of the first pair, 2 and 3 of the second.
int gCursors[4] = {0, kRainbowSize - 1, kRainbowOpposite, kRainbowSize - 1 - kRainbowOpposite};

int WrapWheel(long long index) {
  long long r = index % kRainbowSize;
  if (r < 0) r += kRainbowSize;
  return static_cast<int>(r);
}

int CursorOf(uint32_t flags) {
  return static_cast<int>(flags & (kRainbowBackwards | kRainbowSecondPair));
}

}  // namespace detail_RainbowColor

uint32_t RainbowColorRef(int index) {
  return detail_RainbowColor::kWheel[detail_RainbowColor::WrapWheel(index)];
}

void UnpackRainbowColor(uint32_t ref, float* rgb) {
  for (int c = 0; c < 3; ++c) {
    rgb[c] = static_cast<float>((ref >> (8 * c)) & 0xFFu) * detail_RainbowColor::kByteToUnit;
  }
}

uint32_t PackRainbowColor(const float* rgb) {
  uint32_t ref = 0;
  for (int c = 0; c < 3; ++c) {
    int byte = RoundToInt(rgb[c] * detail_RainbowColor::kUnitToByte);
    if (byte < 0) byte = 0;
    if (byte > 255) byte = 255;
    ref |= static_cast<uint32_t>(byte) << (8 * c);
  }
  return ref;
}

void RainbowColor(int index, float* rgb, uint32_t flags) {
  // Wide arithmetic: the complement and the opposite shift must not overflow.
  long long i = index;
  if (flags & kRainbowComplement) i = -i - 1;
  if (flags & kRainbowOppositeColor) i += kRainbowOpposite;
  UnpackRainbowColor(detail_RainbowColor::kWheel[detail_RainbowColor::WrapWheel(i)], rgb);
}

void NextRainbowColor(float* rgb, uint32_t flags) {
  int& cursor = detail_RainbowColor::gCursors[detail_RainbowColor::CursorOf(flags)];
  const bool backwards = (flags & kRainbowBackwards) != 0;
  if (!rgb) {
    int start = backwards ? kRainbowSize - 1 : 0;
    if (flags & kRainbowSecondPair) start += kRainbowOpposite;
    cursor = detail_RainbowColor::WrapWheel(start);
    return;
  }
  UnpackRainbowColor(detail_RainbowColor::kWheel[cursor], rgb);
  if (backwards) {
    cursor = cursor == 0 ? kRainbowSize - 1 : cursor - 1;
  } else {
    cursor = cursor == kRainbowSize - 1 ? 0 : cursor + 1;
  }
}

uint32_t NextUnusedRainbowColorRef(const ColorList* used, bool reset) {
  if (reset) NextRainbowColor(nullptr, 0);
  const int count = used ? used->Count() : 0;
  float rgb[3];
  for (int attempt = 0; attempt <= count; ++attempt) {
    NextRainbowColor(rgb, 0);
    if (!used || used->Find(rgb) < 0) return PackRainbowColor(rgb);
  }
  // Every wheel colour tried is taken: walk packed candidates spread over the
  // whole colour cube until one is free.
  constexpr uint32_t kLow24 = 0xFFFFFF;
  uint32_t candidate = kRainbowFallbackStep;
  for (uint32_t tries = 0; tries < kLow24; ++tries) {
    UnpackRainbowColor(candidate, rgb);
    if (used->Find(rgb) < 0) return candidate;
    candidate = (candidate + kRainbowFallbackStep) & kLow24;
  }
  return candidate;
}

}  // namespace corvia
