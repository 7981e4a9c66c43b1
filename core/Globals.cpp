#include "core/Globals.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "core/Messages.h"
#include "core/Strings.h"
#include "core/VectorMath.h"

namespace corvia {

namespace detail_Globals {

constexpr int32_t kFirstCapacity = 10;
constexpr float kByteToUnit = 0.003921569f;
constexpr int kBitsPerChar = 6;
constexpr int kNumDigits = 10;
constexpr int kNumLetters = 26;

std::string gRememberedPaths[kNumRememberedPaths];
ColorChooserFunction gColorChooser = nullptr;
float gNewEdgeColor[3] = {1.0f, 1.0f, 0.8f};

int ColourByte(float c) {
  const float scaled = std::clamp(c, 0.0f, 1.0f) * 255.0f;
  return static_cast<int>(std::lround(scaled));
}

// Rotates the bytes, read as one little-endian number, by bits toward higher
// significance (wrapping round).
void RotateLeftBits(uint8_t* bytes, int count, long long bits) {
  if (count <= 0) return;
  const long long totalBits = 8LL * count;
  bits %= totalBits;
  if (bits < 0) bits += totalBits;
  if (bits == 0) return;
  const int byteShift = static_cast<int>(bits / 8);
  const int bitShift = static_cast<int>(bits % 8);
  std::vector<uint8_t> old(bytes, bytes + count);
  for (int j = 0; j < count; ++j) {
    const int from = ((j - byteShift) % count + count) % count;
    const int below = ((from - 1) % count + count) % count;
    int value = old[from] << bitShift;
    if (bitShift) value |= old[below] >> (8 - bitShift);
    bytes[j] = static_cast<uint8_t>(value & 0xFF);
  }
}

void RotateRightBits(uint8_t* bytes, int count, long long bits) {
  if (count <= 0) return;
  const long long totalBits = 8LL * count;
  RotateLeftBits(bytes, count, totalBits - bits % totalBits);
}

void ScrambleRound(uint8_t* data, int n, const uint8_t* key, int keyLength) {
  const int k0 = key[0];
  if (n >= 6) {
    for (int i = 0; i < n - 3; i += 5) {
      int a = ((data[i] + 256 * data[i + 1]) ^ k0) % (n - 4);
      int b = ((data[i + 2] + 256 * data[i + 3]) ^ k0) % (n - 4);
      if (a >= i) a += 4;
      if (b >= i) b += 4;
      std::swap(data[a], data[b]);
    }
  }
  RotateLeftBits(data + 1, n - 1, data[0] | 1);
  for (int start = 0; start < n; start += keyLength) {
    int carry = 0;
    for (int j = 0; j < keyLength && start + j < n; ++j) {
      const int sum = data[start + j] + key[j] + carry;
      data[start + j] = static_cast<uint8_t>(sum & 0xFF);
      carry = sum >> 8;
    }
  }
  RotateRightBits(data, n, data[n - 1] | 4);
  for (int start = 0; start < n; start += keyLength) {
    for (int j = 0; j < keyLength && start + j < n; ++j) data[start + j] ^= key[j];
  }
}

char EncodeChar(int value) {
  if (value < kNumDigits) return static_cast<char>('0' + value);
  value -= kNumDigits;
  if (value < kNumLetters) return static_cast<char>('a' + value);
  value -= kNumLetters;
  if (value < kNumLetters) return static_cast<char>('A' + value);
  value -= kNumLetters;
  if (value == 0) return '-';
  if (value == 1) return '_';
  ShowInternalError("EncodeCharForPHP error: val = %d", value + kNumDigits + 2 * kNumLetters);
  return '?';
}

}  // namespace detail_Globals

std::string& GetRememberedPath(int i) {
  static std::string none;
  if (i < 0 || i >= kNumRememberedPaths) {
    none.clear();
    return none;
  }
  return detail_Globals::gRememberedPaths[i];
}

void ClearRememberedPaths() {
  for (std::string& path : detail_Globals::gRememberedPaths) path.clear();
}

const float* GetNewEdgeColor() {
  return detail_Globals::gNewEdgeColor;
}

void SetNewEdgeColor(const float* rgb) {
  CopyFloat3(detail_Globals::gNewEdgeColor, rgb);
}

ValueIndexList::~ValueIndexList() { delete[] mValues; }

int ValueIndexList::FindOrAdd(int32_t value) {
  for (int i = 0; i < mCount; ++i) {
    if (mValues[i] == value) return i;
  }
  if (mCount == mCapacity) {
    const int32_t capacity = mCapacity ? mCapacity * 2 : detail_Globals::kFirstCapacity;
    int32_t* values = new int32_t[capacity];
    if (mCount) std::memcpy(values, mValues, sizeof(int32_t) * mCount);
    delete[] mValues;
    mValues = values;
    mCapacity = capacity;
  }
  mValues[mCount] = value;
  return mCount++;
}

PointBlock::PointBlock(int count, PointBlock* next)
    : mCount(count), mPoints(new double[count > 0 ? count : 1][3]()), mNext(next) {}

PointBlock::~PointBlock() { delete[] mPoints; }

void PointBlock::FreeChain(PointBlock* first) {
  // A loop rather than recursion: a long chain must not exhaust the stack.
  while (first) {
    PointBlock* next = first->mNext;
    delete first;
    first = next;
  }
}

const char* GetHtmlColorText(const float* rgb) {
  static char text[8];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", detail_Globals::ColourByte(rgb[0]),
                detail_Globals::ColourByte(rgb[1]), detail_Globals::ColourByte(rgb[2]));
  return text;
}

ColorChooserFunction SetColorChooser(ColorChooserFunction chooser) {
  const ColorChooserFunction previous = detail_Globals::gColorChooser;
  detail_Globals::gColorChooser = chooser;
  return previous;
}

bool ChooseColorDialog(float* rgb) {
  if (!detail_Globals::gColorChooser) {
    ShowInternalError("ChooseColorDialog: No colour chooser in this build");
    return false;
  }
  int bytes[3];
  for (int c = 0; c < 3; ++c) bytes[c] = detail_Globals::ColourByte(rgb[c]);
  if (!detail_Globals::gColorChooser(bytes)) return false;
  for (int c = 0; c < 3; ++c) rgb[c] = std::clamp(bytes[c], 0, 255) * detail_Globals::kByteToUnit;
  return true;
}

char* EncodeForPHP(uint8_t* data, int length, int rounds, const uint8_t* key, int keyLength, const char* prefix) {
  if (length < 0) length = 0;
  const bool scramble = key && keyLength > 0 && rounds >= 1;
  if (scramble && length < 2) {
    ShowInternalError("EncodeForPHP: Cannot scramble %d bytes", length);
    return nullptr;
  }
  if (scramble) {
    for (int round = 0; round < rounds; ++round) detail_Globals::ScrambleRound(data, length, key, keyLength);
  }
  const size_t prefixLength = prefix ? std::strlen(prefix) : 0;
  const int numChars = (8 * length + 5) / detail_Globals::kBitsPerChar;
  char* text = NewString(prefixLength + numChars + 1);
  if (prefixLength) std::memcpy(text, prefix, prefixLength);
  int used = 0;
  int accumulator = 0;
  int bits = 0;
  for (int i = 0; i < length; ++i) {
    accumulator = (accumulator << 8) | data[i];
    bits += 8;
    while (bits >= detail_Globals::kBitsPerChar) {
      bits -= detail_Globals::kBitsPerChar;
      text[prefixLength + used++] = detail_Globals::EncodeChar((accumulator >> bits) & 0x3F);
    }
    accumulator &= (1 << bits) - 1;
  }
  if (bits > 0) {
    text[prefixLength + used++] =
        detail_Globals::EncodeChar((accumulator << (detail_Globals::kBitsPerChar - bits)) & 0x3F);
  }
  // The length was worked out before: writing more would already have overrun.
  if (used != numChars) ShowInternalError("EncodeForPHP: alloc %d, used %d", numChars, used);
  text[prefixLength + used] = '\0';
  return text;
}

}  // namespace corvia
