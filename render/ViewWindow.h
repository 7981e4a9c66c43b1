#pragma once
// The windows the panes draw in, seen from the render layer. A pane (NewView) is
// logic; the window that shows it implements ViewWindow: on screen a wx container
// of a caption strip above a GL canvas (ui/PaneWindow.h), off screen a
// framebuffer in the EGL context (render/OffscreenViewWindow.h).
//
// Coordinates are pixels of the drawing area (the caption strip excluded), x to the
// right and y down from its top left corner, as mouse events report them.

#include <string>

namespace corvia {

class CaptionWnd;

// Where a GL section draws: a window's back buffer or an off-screen framebuffer.
class GLTarget {
public:
  virtual ~GLTarget() = default;
  // Makes the GL context current on this target; false when it cannot be.
  virtual bool MakeCurrent() = 0;
  virtual void ReleaseCurrent() = 0;
  // Shows what was drawn (windows swap their buffers; bitmaps do nothing).
  virtual void SwapBuffers() = 0;
  // The GL context this target draws with; GL state belongs to it.
  virtual const void* ContextKey() const = 0;
};

// Cursors a pane can show: 0 is the standard arrow; other numbers are the pane
// class's own, which the window maps to images.
constexpr int kArrowCursor = 0;

class ViewWindow : public GLTarget {
public:
  // Size of the drawing area.
  virtual void GetClientSize(int& width, int& height) const = 0;

  // Joins the GL context that every pane shares (made with the first window);
  // false when there is none to be had. DeleteContext leaves it.
  virtual bool CreateContext() = 0;
  virtual void DeleteContext() = 0;
  virtual bool HasContext() const = 0;

  // Asks for a paint of the drawing area; Update paints a pending one at once.
  virtual void Refresh() = 0;
  virtual void Update() = 0;

  // The caption strip above the drawing area shows the given caption window (null
  // removes it). RefreshCaption repaints it, at once when asked.
  virtual void ShowCaption(CaptionWnd* caption) = 0;
  virtual void RefreshCaption(bool now) = 0;
  virtual void SetTitle(const std::string& title) = 0;

  virtual void CaptureMouse() = 0;
  virtual void ReleaseMouse() = 0;
  virtual void SetCursor(int cursor) = 0;
  // Whether the space bar is held now.
  virtual bool IsSpaceDown() const = 0;
  // Brings the program's main window to the front.
  virtual void RaiseMainWindow() = 0;
  // The keys go to the pane from now on (a window off screen has no keyboard).
  virtual void TakeKeyboardFocus() {}
  // The tooltip of the caption strip (empty: none).
  virtual void SetCaptionTip(const std::string& /*tip*/) {}

  // Scroll bars beside the drawing area: shown while the range exceeds the page.
  virtual void SetScrollBar(bool vertical, int position, int range, int page) = 0;
  virtual bool HasScrollBar(bool vertical) const = 0;
  // Width of a vertical bar or height of a horizontal one.
  virtual int ScrollBarSize(bool vertical) const = 0;

  // Moves the pane into a window of its own covering the screen, and back.
  virtual bool SetFullScreen(bool on) = 0;
};

}  // namespace corvia
