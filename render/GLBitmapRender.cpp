#include "render/GLBitmapRender.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "core/Messages.h"
#include "render/Framebuffer.h"
#include "render/GL.h"
#include "render/GLErrors.h"
#include "render/GLSection.h"
#include "render/OpenGLView.h"
#include "render/ViewWindow.h"

namespace corvia {

namespace detail_GLBitmapRender {

// The window's context drawing into a framebuffer object of its own.
class FramebufferTarget final : public GLTarget {
public:
  explicit FramebufferTarget(ViewWindow* window) : mWindow(window) {}
  ~FramebufferTarget() override { Free(); }

  bool Make(int width, int height) {
    const bool complete = mFramebuffer.Make(width, height);
    CheckGLError("GLBitmapRender::CreateFramebuffer");
    return complete;
  }

  void Free() {
    if (mFramebuffer.IsMade() && mWindow->MakeCurrent()) mFramebuffer.Free();
  }

  bool MakeCurrent() override {
    if (!mWindow->MakeCurrent()) return false;
    mFramebuffer.Bind();
    return true;
  }
  void ReleaseCurrent() override {
    Framebuffer::BindWindow();
    mWindow->ReleaseCurrent();
  }
  void SwapBuffers() override {}
  const void* ContextKey() const override { return mWindow->ContextKey(); }

private:
  ViewWindow* mWindow;
  Framebuffer mFramebuffer;
};

}  // namespace detail_GLBitmapRender

void GLBitmapRender::SetMaxTileSize(int pixels) {
  SetOffscreenTileCap(pixels);
}

bool GLBitmapRender::CreateBitmap(GLBitmap& bitmap, int width, int height, int overSampling) {
  const int64_t w = int64_t{width} * std::max(overSampling, 1);
  const int64_t h = int64_t{height} * std::max(overSampling, 1);
  bool ok = width > 0 && height > 0 && w <= kMaxBitmapSide && h <= kMaxBitmapSide && w * h <= kMaxBitmapPixels;
  if (ok) {
    try {
      bitmap.pixels.assign(static_cast<size_t>(w * h * 4), 0);
      bitmap.width = static_cast<int>(w);
      bitmap.height = static_cast<int>(h);
    } catch (const std::bad_alloc&) {
      ok = false;
    }
  }
  if (!ok) {
    bitmap = GLBitmap{};
    ShowError("Failed to create bitmap.\nTry a smaller size or less over-sampling");
  }
  return ok;
}

bool GLBitmapRender::Render(OpenGLView* view, GLBitmap& bitmap, int width, int height, int overSampling) {
  using detail_GLBitmapRender::FramebufferTarget;
  if (!view) return false;
  overSampling = std::max(overSampling, 1);
  ViewWindow* window = view->GetWindow();
  if (!window || !view->HasGLContext() || !window->MakeCurrent()) {
    DoNothing("GLBitmapRender: the view has no GL context\n");
    return false;
  }
  DetectGLAbilities();
  if (!GetGLAbilities().framebufferObjects) {
    DoNothing("GLBitmapRender: no framebuffer objects\n");
    return false;
  }
  if (!CreateBitmap(bitmap, width, height, overSampling)) return false;
  const int fullW = bitmap.width;
  const int fullH = bitmap.height;

  GLint largest = 0;
  GLint viewport[2] = {0, 0};
  glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &largest);
  glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
  int tile = std::min({largest, viewport[0], viewport[1]});
  if (GetOffscreenTileCap() > 0) tile = std::min(tile, GetOffscreenTileCap());
  if (tile <= 0) return false;
  const int tileW = std::min(fullW, tile);
  const int tileH = std::min(fullH, tile);
  FramebufferTarget target(window);
  if (!target.Make(tileW, tileH)) {
    DoNothing("GLBitmapRender: framebuffer incomplete\n");
    return false;
  }

  // The view takes the bitmap's size for the duration; a 2D pane keeps the same
  // model point at its centre.
  const int oldW = view->GetClientWidth(), oldH = view->GetClientHeight();
  ViewMapping2D& mapping = view->Mapping2D();
  const ViewMapping2D::Placement oldPlacement = mapping.GetPlacement();
  const int oldFontScale = view->Text().GetFontScale();
  const uint32_t flags = view->GetRedrawFlags();
  if (!view->Is3D() && oldH > 0) {
    const float ratio = static_cast<float>(fullH) / static_cast<float>(oldH);
    ViewMapping2D::Placement scaled = oldPlacement;
    for (int i = 0; i < 2; ++i) {
      scaled.scroll[i] *= ratio;
      scaled.contentSize[i] *= ratio;
    }
    mapping.SetPlacement(scaled);
  }
  view->SetBitmapTarget(&target, fullW, fullH);
  view->Text().SetFontScale(oldFontScale * overSampling);

  const bool tiled = tileW < fullW || tileH < fullH;
  std::vector<uint8_t> rows(static_cast<size_t>(tileW) * tileH * 4);
  for (int y = 0; y < fullH; y += tileH) {
    for (int x = 0; x < fullW; x += tileW) {
      const int w = std::min(tileW, fullW - x);
      const int h = std::min(tileH, fullH - y);
      if (tiled) view->SetTile(x, y, tileW, tileH);
      view->OnDraw();
      view->SetRedrawFlags(flags);
      if (!PreOpenGL(view, &target)) continue;
      glPixelStorei(GL_PACK_ALIGNMENT, 1);
      glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, rows.data());
      CheckGLError("GLBitmapRender::Render");
      PostOpenGL(view);
      // GL rows run bottom up; the bitmap's top down.
      for (int row = 0; row < h; ++row) {
        std::memcpy(bitmap.Pixel(x, fullH - 1 - (y + row)), &rows[static_cast<size_t>(row) * w * 4],
                    static_cast<size_t>(w) * 4);
      }
    }
  }

  view->SetTile(0, 0, 0, 0);
  view->Text().SetFontScale(oldFontScale);
  // The scroll position and content size come back; what the drawing itself set of
  // the mapping (a fit of its extents) stays.
  ViewMapping2D::Placement restored = mapping.GetPlacement();
  for (int i = 0; i < 2; ++i) {
    restored.scroll[i] = oldPlacement.scroll[i];
    restored.contentSize[i] = oldPlacement.contentSize[i];
  }
  mapping.SetPlacement(restored);
  view->SetBitmapTarget(nullptr, oldW, oldH);
  view->SetRedrawFlags(flags);
  target.Free();
  return true;
}

void GetPrintBitmapSize(bool preview, int pageWidth, int pageHeight, int clientWidth, int clientHeight, int& width,
                        int& height) {
  if (!preview) {
    int64_t w = std::max(pageWidth, 1), h = std::max(pageHeight, 1);
    while (w * h > kMaxPrintPixels && w > 1 && h > 1) {
      w /= 2;
      h /= 2;
    }
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return;
  }
  const double aspect = static_cast<double>(std::max(pageHeight, 1)) / std::max(pageWidth, 1);
  if (clientWidth * aspect <= clientHeight) {
    width = std::max(clientWidth, 1);
    height = std::max(static_cast<int>(std::lround(clientWidth * aspect)), 1);
  } else {
    height = std::max(clientHeight, 1);
    width = std::max(static_cast<int>(std::lround(clientHeight / aspect)), 1);
  }
}

}  // namespace corvia
