#pragma once
// The colour wheel: 120 fixed colours from which templates, vertices, edges and
// colour schemes take their default colours. Red, yellow, blue and green come first,
// so that the few colours of a simple model are the most distinct ones; entry i + 60
// lies opposite entry i.
//
// Four cursors step through the wheel: cursors 0 and 1 walk the first pair forwards
// and backwards, cursors 2 and 3 the second pair.

#include <cstdint>

namespace corvia {

class ColorList;

constexpr int kRainbowSize = 120;
// Half way round the wheel: the colour opposite.
constexpr int kRainbowOpposite = 60;

// Flags of RainbowColor: use the entry of the bitwise complement of the index (so
// -1 names entry 0, 0 names entry 119); take the colour opposite on the wheel.
constexpr uint32_t kRainbowComplement = 0x1;
constexpr uint32_t kRainbowOppositeColor = 0x2;

// Flags of NextRainbowColor: step backwards; use the second pair of cursors.
constexpr uint32_t kRainbowBackwards = 0x1;
constexpr uint32_t kRainbowSecondPair = 0x2;

// Two colours closer than this in every component count as the same colour.
constexpr float kRainbowSameColorTolerance = 1.0f / 512.0f;
// Step between the packed candidates tried once every wheel colour is in use.
constexpr uint32_t kRainbowFallbackStep = 0x614873;

// Entry (index modulo 120; negative indices wrap to the end) as packed 0x00BBGGRR.
uint32_t RainbowColorRef(int index);
// The entry as three floats in 0..1.
void RainbowColor(int index, float* rgb, uint32_t flags = 0);
// With a null colour: resets the cursor the flags choose (to 0, to 119 backwards,
// plus 60 for the second pair). Otherwise writes the cursor's colour and steps it.
void NextRainbowColor(float* rgb, uint32_t flags = 0);
// The next wheel colour not yet in the list (the reset flag restarts cursor 0
// first), packed as 0x00BBGGRR. A null list counts as empty.
uint32_t NextUnusedRainbowColorRef(const ColorList* used, bool reset);

// Packing of float colours: each component times 255, rounded half away from zero.
uint32_t PackRainbowColor(const float* rgb);
void UnpackRainbowColor(uint32_t ref, float* rgb);

}  // namespace corvia
