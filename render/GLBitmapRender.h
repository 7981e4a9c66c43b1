#pragma once
// Off-screen rendering of a view, for printing and image export: the view draws
// into a framebuffer object of the GL context it shares with every pane, in tiles
// when the image is larger than the largest renderbuffer, and the pixels are read
// back into a GLBitmap.
//
// While it renders, the view has the bitmap's size and a font scaled by the
// over-sampling; everything is put back afterwards. Bitmap text that starts in one
// tile and runs into the next is cut at the tile edge.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace corvia {

class OpenGLView;

// RGBA pixels, the top row first.
struct GLBitmap {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> pixels;

  const uint8_t* Pixel(int x, int y) const { return &pixels[(static_cast<size_t>(y) * width + x) * 4]; }
  uint8_t* Pixel(int x, int y) { return &pixels[(static_cast<size_t>(y) * width + x) * 4]; }
};

// The largest bitmap made: each side and the pixel count.
constexpr int64_t kMaxBitmapSide = 65536;
constexpr int64_t kMaxBitmapPixels = int64_t{1} << 28;
// Printing halves both sides while the page would need more pixels than this.
constexpr int64_t kMaxPrintPixels = 20000000;

class GLBitmapRender {
public:
  // Allocates a bitmap of width x overSampling by height x overSampling; when it
  // cannot, shows "Failed to create bitmap.\nTry a smaller size or less over-sampling".
  bool CreateBitmap(GLBitmap& bitmap, int width, int height, int overSampling);
  // Renders the view into the bitmap; false (logged) when it cannot.
  bool Render(OpenGLView* view, GLBitmap& bitmap, int width, int height, int overSampling);

  // The largest tile drawn at once; 0 for what GL allows (tests force tiling).
  static void SetMaxTileSize(int pixels);
};

// The size of the image that prints a view onto a page: the page's pixels, halved
// while too many; in print preview the main window's client size cut to the page's
// proportions.
void GetPrintBitmapSize(bool preview, int pageWidth, int pageHeight, int clientWidth, int clientHeight, int& width,
                        int& height);

}  // namespace corvia
