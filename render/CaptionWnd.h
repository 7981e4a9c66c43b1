#pragma once
// The caption strip of a pane: the title bar with the pane's title and its caption
// buttons. The window system's strip (ui/) paints it through a CaptionPainter and
// passes its mouse events on; the pane class derives its own kind to add the
// view-type icon.

#include <string>

#include "render/NewView.h"

namespace corvia {

class CaptionPainter {
public:
  virtual ~CaptionPainter() = default;
  // Fills with the active or inactive caption colour.
  virtual void FillCaptionColor(const PixelRect& rect, bool active) = 0;
  // The caption background and text, active or not, with a gradient or plain.
  virtual void DrawCaption(const PixelRect& rect, const std::string& text, bool active, bool gradient) = 0;
  // A push button with its icon (12 x 11 at 2 pixels from the top left, 3 when pushed).
  virtual void DrawButton(const PixelRect& rect, bool pushed, int icon) = 0;
  // An icon filling the rectangle (a marker for a menu when the icon has no image).
  virtual void DrawIcon(const PixelRect& rect, int icon) = 0;
};

class CaptionWnd {
public:
  explicit CaptionWnd(NewView* owner) : mOwner(owner) {}
  virtual ~CaptionWnd() = default;
  CaptionWnd(const CaptionWnd&) = delete;
  CaptionWnd& operator=(const CaptionWnd&) = delete;

  NewView* GetOwner() const { return mOwner; }
  // Size of the strip, set by the window that shows it.
  void SetSize(int width, int height) {
    mWidth = width;
    mHeight = height;
  }
  int GetWidth() const { return mWidth; }
  int GetHeight() const { return mHeight; }
  const std::string& GetText() const { return mText; }
  void SetText(const std::string& text) { mText = text; }

  // The left strip, the caption text (when it has room) and the buttons.
  virtual void DrawCaptionBar(CaptionPainter& painter);
  // A press on the strip that hit no caption button (any mouse button).
  virtual void OnCaptionPress(int /*button*/, int /*x*/, int /*y*/) {}

private:
  NewView* mOwner;
  std::string mText = "View";
  int mWidth = 100;
  int mHeight = kCaptionHeight;
};

}  // namespace corvia
