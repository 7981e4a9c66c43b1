#pragma once
// Colours of the controls' item records: packed 0x00BBGGRR words (red in the lowest
// byte), with one value that means "no colour set"; and the rule that picks black or
// white text for a coloured background.

#include <wx/colour.h>

#include <cstdint>

namespace corvia {

// No colour is set in this field of an item record.
constexpr uint32_t kNoItemColour = 0xff000000u;

constexpr uint32_t PackItemColour(int red, int green, int blue) {
  return static_cast<uint32_t>(red & 0xff) | (static_cast<uint32_t>(green & 0xff) << 8) |
         (static_cast<uint32_t>(blue & 0xff) << 16);
}
constexpr int ItemColourSum(uint32_t packed) {
  return static_cast<int>((packed & 0xff) + ((packed >> 8) & 0xff) + ((packed >> 16) & 0xff));
}
// Text on a background whose red, green and blue add up to less than 383 is white,
// else black.
constexpr bool IsDarkItemColour(uint32_t packed) {
  return ItemColourSum(packed) < 383;
}
constexpr uint32_t ContrastTextColour(uint32_t background) {
  return IsDarkItemColour(background) ? PackItemColour(255, 255, 255) : PackItemColour(0, 0, 0);
}

inline wxColour ToWxColour(uint32_t packed) {
  return wxColour(static_cast<unsigned char>(packed & 0xff), static_cast<unsigned char>((packed >> 8) & 0xff),
                  static_cast<unsigned char>((packed >> 16) & 0xff));
}
inline uint32_t FromWxColour(const wxColour& colour) {
  return PackItemColour(colour.Red(), colour.Green(), colour.Blue());
}

}  // namespace corvia
