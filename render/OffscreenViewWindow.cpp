#include "render/OffscreenViewWindow.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "platform/gl/OffscreenGL.h"
#include "render/GL.h"
#include "render/GLContextState.h"
#include "render/NewView.h"

namespace corvia {

namespace detail_OffscreenViewWindow {

struct Shared {
  std::unique_ptr<platform::OffscreenContext> context;
  std::unique_ptr<GLContextState> state;
};

// The one EGL context of the process and the drawing's state in it, made for the first
// window. Windows and views may outlive any owner that could close them in order, so
// the context lasts until the process ends: an exit handler releases the state while
// the context is current, then the context. Plain pointers, so that nothing of them is
// destroyed at the end of the process in an unknown order.
struct SharedContextRecord {
  Shared* shared = nullptr;
  // The exit handler has run: no context is made again.
  bool ended = false;
  // Why the context could not be made; tried once.
  const char* failure = nullptr;
};
SharedContextRecord gRecord;

void EndSharedContext() {
  gRecord.ended = true;
  Shared* shared = std::exchange(gRecord.shared, nullptr);
  if (!shared) return;
  const bool current = shared->context->MakeCurrent();
  shared->state->Release(current);
  shared->state.reset();
  shared->context->ReleaseCurrent();
  delete shared;
}

platform::OffscreenContext* SharedContext(std::string* error) {
  SharedContextRecord& r = gRecord;
  if (!r.shared && !r.ended && !r.failure) {
    std::string failure;
    std::unique_ptr<platform::OffscreenContext> made = platform::OffscreenContext::Create(16, 16, &failure);
    if (made) {
      r.shared = new Shared;
      r.shared->state = std::make_unique<GLContextState>(made.get());
      r.shared->context = std::move(made);
      std::atexit(EndSharedContext);
    } else {
      r.failure = strdup(failure.c_str());
    }
  }
  if (!r.shared && error) *error = r.ended ? "The process is ending" : (r.failure ? r.failure : "");
  return r.shared ? r.shared->context.get() : nullptr;
}

}  // namespace detail_OffscreenViewWindow

std::unique_ptr<OffscreenViewWindow> OffscreenViewWindow::Create(int width, int height, std::string* error) {
  if (!detail_OffscreenViewWindow::SharedContext(error)) return nullptr;
  std::unique_ptr<OffscreenViewWindow> window(new OffscreenViewWindow);
  window->mWidth = std::max(width, 1);
  window->mHeight = std::max(height, 1);
  if (!window->MakeFramebuffer()) {
    if (error) *error = "The GL context has no framebuffer objects";
    return nullptr;
  }
  return window;
}

OffscreenViewWindow::~OffscreenViewWindow() {
  Close();
  FreeFramebuffer();
}

bool OffscreenViewWindow::MakeFramebuffer() {
  platform::OffscreenContext* context = detail_OffscreenViewWindow::SharedContext(nullptr);
  if (!context || !context->MakeCurrent()) return false;
  const bool complete = mFramebuffer.Make(mWidth, mHeight);
  // Errors of these calls are this window's, not the next drawing's.
  while (glGetError() != GL_NO_ERROR) {
  }
  return complete;
}

void OffscreenViewWindow::FreeFramebuffer() {
  platform::OffscreenContext* context = detail_OffscreenViewWindow::SharedContext(nullptr);
  if (mFramebuffer.IsMade() && context && context->MakeCurrent()) mFramebuffer.Free();
}

bool OffscreenViewWindow::Show(NewView* view) {
  if (mView) Close();
  mView = view;
  if (!view->OnCreate(this)) {
    mView = nullptr;
    return false;
  }
  view->OnSize(mWidth, mHeight);
  return true;
}

void OffscreenViewWindow::Close() {
  if (!mView) return;
  NewView* view = mView;
  view->OnDestroy();
  mView = nullptr;
}

void OffscreenViewWindow::Resize(int width, int height) {
  FreeFramebuffer();
  mWidth = std::max(width, 1);
  mHeight = std::max(height, 1);
  MakeFramebuffer();
  if (mView) mView->OnSize(mWidth, mHeight);
}

void OffscreenViewWindow::Paint() {
  mPaintPending = false;
  if (mView) mView->OnDraw();
}

void OffscreenViewWindow::Update() {
  if (mPaintPending) Paint();
}

GLBitmap OffscreenViewWindow::ReadPixels() {
  GLBitmap bitmap;
  if (!MakeCurrent()) return bitmap;
  bitmap.width = mWidth;
  bitmap.height = mHeight;
  bitmap.pixels.resize(static_cast<size_t>(mWidth) * mHeight * 4);
  std::vector<uint8_t> rows(bitmap.pixels.size());
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, mWidth, mHeight, GL_RGBA, GL_UNSIGNED_BYTE, rows.data());
  for (int y = 0; y < mHeight; ++y) {
    std::memcpy(bitmap.Pixel(0, mHeight - 1 - y), &rows[static_cast<size_t>(y) * mWidth * 4],
                static_cast<size_t>(mWidth) * 4);
  }
  ReleaseCurrent();
  return bitmap;
}

bool OffscreenViewWindow::MakeCurrent() {
  platform::OffscreenContext* context = detail_OffscreenViewWindow::SharedContext(nullptr);
  if (!context || !mFramebuffer.IsMade() || !context->MakeCurrent()) return false;
  mFramebuffer.Bind();
  return true;
}

void OffscreenViewWindow::ReleaseCurrent() { Framebuffer::BindWindow(); }

const void* OffscreenViewWindow::ContextKey() const { return detail_OffscreenViewWindow::SharedContext(nullptr); }

void OffscreenViewWindow::GetClientSize(int& width, int& height) const {
  width = mWidth;
  height = mHeight;
}

bool OffscreenViewWindow::CreateContext() {
  mHasContext = detail_OffscreenViewWindow::SharedContext(nullptr) != nullptr;
  return mHasContext;
}

void OffscreenViewWindow::SetScrollBar(bool vertical, int position, int range, int page) {
  ++mScrollBarSets;
  mScroll[vertical][0] = position;
  mScroll[vertical][1] = range;
  mScroll[vertical][2] = page;
}

bool OffscreenViewWindow::HasScrollBar(bool vertical) const { return mScroll[vertical][1] > mScroll[vertical][2]; }

}  // namespace corvia
