#pragma once
// Process-wide helpers that every subsystem reaches: the undefined-point marker, the
// remembered paths, two small containers, colour text and the colour chooser, and the
// keyed text encoding of web form data.

#include <cfloat>
#include <cstdint>
#include <string>

namespace corvia {

// A measurement point whose x holds this value is unset.
constexpr double kUndefinedPoint = DBL_MAX;

// Texts that document commands keep between uses (the last text list loaded onto
// faces among them); empty at start.
constexpr int kNumRememberedPaths = 4;
std::string& GetRememberedPath(int i);
void ClearRememberedPaths();

// Distinct 32-bit values in order of first appearance.
class ValueIndexList {
 public:
  ValueIndexList() = default;
  ~ValueIndexList();
  ValueIndexList(const ValueIndexList&) = delete;
  ValueIndexList& operator=(const ValueIndexList&) = delete;

  // The index of the value, appending it when absent.
  int FindOrAdd(int32_t value);

  int32_t* mValues = nullptr;
  int32_t mCapacity = 0;
  int32_t mCount = 0;
};

// A block of 3D points in a chain of blocks (cross-section polylines).
struct PointBlock {
  PointBlock(int count, PointBlock* next);
  ~PointBlock();
  PointBlock(const PointBlock&) = delete;
  PointBlock& operator=(const PointBlock&) = delete;

  // Frees the block and every block after it.
  static void FreeChain(PointBlock* first);

  int32_t mCount;
  double (*mPoints)[3];
  int32_t mWord1 = 0;
  int32_t mWord2 = 0;
  int32_t mWord3 = 0;
  PointBlock* mNext;
};

// The colour a new edge takes and that a null item stands for; (1.0, 1.0, 0.8) at start.
// Setting it changes no existing edge (SetDefaultEdgeColor in model/ColorSchemes.h
// recolours the model's edges as well).
const float* GetNewEdgeColor();
void SetNewEdgeColor(const float* rgb);

// "#rrggbb" of a float colour; components outside 0..1 are clamped. The text lives in
// a static buffer that the next call overwrites.
const char* GetHtmlColorText(const float* rgb);

// The platform's colour chooser: given the colour as three bytes, returns true on OK
// with the chosen bytes written back. The program installs one; returns the previous.
using ColorChooserFunction = bool (*)(int* rgbBytes);
ColorChooserFunction SetColorChooser(ColorChooserFunction chooser);
// Opens the chooser preset to the colour; on OK stores the chosen colour and returns
// true, on Cancel leaves it.
bool ChooseColorDialog(float* rgb);

// Scrambles data (in place) with the key for the given number of rounds and returns
// a new string (DeleteString) holding the prefix and the data as 6-bit characters.
// Null when a key is given with fewer than two data bytes, which cannot be scrambled.
char* EncodeForPHP(uint8_t* data, int length, int rounds, const uint8_t* key, int keyLength, const char* prefix);

}  // namespace corvia
