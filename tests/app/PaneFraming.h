#pragma once
// Whether a pane shows what it draws whole and large enough, judged from its pixels
// alone (never from its camera): the pixels that differ from the background, the box
// round them, and whether that box keeps clear of the pane's edges.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "render/GLBitmapRender.h"

namespace corvia::testing {

struct DrawnBox {
  int left = 0, top = 0, right = -1, bottom = -1;  // inclusive; empty while right < left
  int count = 0;
  bool Empty() const { return count == 0; }
  int Width() const { return Empty() ? 0 : right - left + 1; }
  int Height() const { return Empty() ? 0 : bottom - top + 1; }
};

// The box round the pixels that differ from the background by more than the
// tolerance in any channel.
inline DrawnBox FindDrawnBox(const GLBitmap& image, const uint8_t* background, int tolerance = 6) {
  DrawnBox box;
  box.left = image.width;
  box.top = image.height;
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const uint8_t* p = image.Pixel(x, y);
      bool differs = false;
      for (int c = 0; c < 3; ++c) differs = differs || std::abs(p[c] - background[c]) > tolerance;
      if (!differs) continue;
      ++box.count;
      box.left = std::min(box.left, x);
      box.right = std::max(box.right, x);
      box.top = std::min(box.top, y);
      box.bottom = std::max(box.bottom, y);
    }
  }
  if (box.count == 0) box = DrawnBox{};
  return box;
}

// Empty when the drawing is whole inside the image (no drawn pixel on its outermost
// rows and columns) and its box spans at least `share` of the image's smaller side;
// else what is wrong, for the test's message.
inline std::string CheckWholeAndLarge(const GLBitmap& image, const uint8_t* background, double share = 0.4) {
  const DrawnBox box = FindDrawnBox(image, background);
  std::ostringstream problem;
  if (box.count < 20) {
    problem << "nothing drawn (" << box.count << " pixels)";
    return problem.str();
  }
  if (box.left == 0 || box.top == 0 || box.right == image.width - 1 || box.bottom == image.height - 1) {
    problem << "runs off the pane: box " << box.left << "," << box.top << " - " << box.right << "," << box.bottom
            << " in " << image.width << " x " << image.height;
    return problem.str();
  }
  const int smaller = std::min(image.width, image.height);
  if (std::max(box.Width(), box.Height()) < share * smaller) {
    problem << "too small: box " << box.Width() << " x " << box.Height() << " in " << image.width << " x "
            << image.height;
  }
  return problem.str();
}

}  // namespace corvia::testing
