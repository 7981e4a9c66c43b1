#pragma once
// An OpenGL context with no window: EGL on Mesa's surfaceless platform with a
// pbuffer of RGBA 8 bits, depth 24 and stencil 8. Used by tests, image export and
// printing; it needs no display.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace corvia::platform {

class OffscreenContext {
public:
  // Null, with the reason in *error, when no context can be had.
  static std::unique_ptr<OffscreenContext> Create(int width, int height, std::string* error = nullptr);
  ~OffscreenContext();
  OffscreenContext(const OffscreenContext&) = delete;
  OffscreenContext& operator=(const OffscreenContext&) = delete;

  bool MakeCurrent();
  void ReleaseCurrent();
  int Width() const { return mWidth; }
  int Height() const { return mHeight; }
  int StencilBits() const { return mStencilBits; }
  int DepthBits() const { return mDepthBits; }

  // The colour buffer as RGBA rows, bottom row first (OpenGL's order).
  std::vector<std::uint8_t> ReadPixels() const;

private:
  OffscreenContext() = default;
  struct Egl;
  std::unique_ptr<Egl> mEgl;
  int mWidth = 0;
  int mHeight = 0;
  int mStencilBits = 0;
  int mDepthBits = 0;
};

}  // namespace corvia::platform
