#include "core/ColorList.h"

#include <cmath>

#include "core/Messages.h"

namespace corvia {

ColorList::ColorList(int capacity) : mCapacity(capacity > 0 ? capacity : 0) {
  mColors.reserve(static_cast<size_t>(mCapacity) * 3);
}

int ColorList::Find(const float* rgb) const {
  for (int i = 0; i < mCount; ++i) {
    const float* c = ColorAt(i);
    if (std::fabs(c[0] - rgb[0]) <= kColorListTolerance && std::fabs(c[1] - rgb[1]) <= kColorListTolerance &&
        std::fabs(c[2] - rgb[2]) <= kColorListTolerance) {
      return i;
    }
  }
  return -1;
}

int ColorList::FindOrAdd(const float* rgb) {
  const int found = Find(rgb);
  if (found >= 0) return found;
  if (mCount >= mCapacity) {
    ShowInternalError("Too many colors!");
    return -1;
  }
  mColors.insert(mColors.end(), rgb, rgb + 3);
  return mCount++;
}

}  // namespace corvia
