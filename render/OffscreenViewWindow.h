#pragma once
// A window for a view that lives off screen: a framebuffer object in the one EGL
// context of the process (Mesa's surfaceless platform; no display needed). Every
// off-screen window shares that context, as on-screen panes share theirs, so
// display lists and textures are shared too. Tests and tools show views in these;
// a paint happens when Update (or Paint) is called, as a window system would.

#include <cstdint>
#include <memory>
#include <string>

#include "render/Framebuffer.h"
#include "render/GLBitmapRender.h"
#include "render/ViewWindow.h"

namespace corvia {

class NewView;

class OffscreenViewWindow final : public ViewWindow {
public:
  // Null, with the reason in *error, when off-screen GL is not to be had.
  static std::unique_ptr<OffscreenViewWindow> Create(int width, int height, std::string* error = nullptr);
  ~OffscreenViewWindow() override;

  // Shows the view: its creation and first size, as a window system does.
  bool Show(NewView* view);
  // The view leaves the window (its destruction handling runs).
  void Close();
  NewView* GetView() const { return mView; }
  // New size of the drawing area; the view hears of it.
  void Resize(int width, int height);
  // Paints the view now.
  void Paint();
  bool IsPaintPending() const { return mPaintPending; }
  // The pixels drawn last.
  GLBitmap ReadPixels();
  // The state of the space bar that views read.
  void SetSpaceDown(bool down) { mSpaceDown = down; }

  // What the view asked of the window, for tests.
  CaptionWnd* GetCaption() const { return mCaption; }
  const std::string& GetTitle() const { return mTitle; }
  int GetCursor() const { return mCursor; }
  bool IsMouseCaptured() const { return mCaptured; }
  int GetCaptionRepaints() const { return mCaptionRepaints; }
  int GetScrollPosition(bool vertical) const { return mScroll[vertical][0]; }
  int GetScrollRange(bool vertical) const { return mScroll[vertical][1]; }
  bool IsFullScreen() const { return mFullScreen; }

  // ViewWindow.
  bool MakeCurrent() override;
  void ReleaseCurrent() override;
  void SwapBuffers() override {}
  const void* ContextKey() const override;
  void GetClientSize(int& width, int& height) const override;
  bool CreateContext() override;
  void DeleteContext() override { mHasContext = false; }
  bool HasContext() const override { return mHasContext; }
  void Refresh() override { mPaintPending = true; }
  void Update() override;
  void ShowCaption(CaptionWnd* caption) override { mCaption = caption; }
  void RefreshCaption(bool now) override {
    if (now) ++mCaptionRepaints;
  }
  void SetTitle(const std::string& title) override { mTitle = title; }
  void CaptureMouse() override { mCaptured = true; }
  void ReleaseMouse() override { mCaptured = false; }
  void SetCursor(int cursor) override { mCursor = cursor; }
  bool IsSpaceDown() const override { return mSpaceDown; }
  void RaiseMainWindow() override {}
  void SetScrollBar(bool vertical, int position, int range, int page) override;
  bool HasScrollBar(bool vertical) const override;
  int ScrollBarSets() const { return mScrollBarSets; }
  int ScrollBarSize(bool) const override { return 0; }
  bool SetFullScreen(bool on) override {
    mFullScreen = on;
    return true;
  }

private:
  OffscreenViewWindow() = default;
  bool MakeFramebuffer();
  void FreeFramebuffer();

  NewView* mView = nullptr;
  int mWidth = 0;
  int mHeight = 0;
  Framebuffer mFramebuffer;
  bool mHasContext = false;
  bool mPaintPending = false;
  bool mSpaceDown = false;
  bool mCaptured = false;
  bool mFullScreen = false;
  CaptionWnd* mCaption = nullptr;
  std::string mTitle;
  int mCursor = kArrowCursor;
  int mCaptionRepaints = 0;
  int mScroll[2][3] = {{0, 0, 0}, {0, 0, 0}};  // position, range, page
  int mScrollBarSets = 0;
};

}  // namespace corvia
