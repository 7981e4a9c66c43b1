#pragma once
// A small palette of colours (three floats r, g, b in 0..1 each) with a fixed
// capacity. Two colours count as the same when every component differs by at most
// one step of a 9-bit channel, so colours that went through a packed byte form and
// back still find their entry.

#include <cstddef>
#include <vector>

namespace corvia {

// Largest difference per component at which two colours are the same.
constexpr float kColorListTolerance = 1.0f / 512.0f;

class ColorList {
 public:
  explicit ColorList(int capacity);

  // Index of the first entry within kColorListTolerance of rgb in every component;
  // otherwise rgb is appended and its index returned. A full list shows the
  // internal error "Too many colors!" and gives -1.
  int FindOrAdd(const float* rgb);
  // Index of the matching entry, -1 when none (the list is not changed).
  int Find(const float* rgb) const;

  int Capacity() const { return mCapacity; }
  int Count() const { return mCount; }
  // Entry i as three floats (0 <= i < Count()).
  const float* ColorAt(int i) const { return &mColors[static_cast<size_t>(i) * 3]; }

 private:
  int mCapacity = 0;
  int mCount = 0;
  std::vector<float> mColors;
};

}  // namespace corvia
