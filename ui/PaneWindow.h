#pragma once
// A pane on screen: a container holding the caption strip (a plain window painted
// here, kCaptionHeight pixels high) above a GL canvas, with scroll bars beside it
// when a flat pane's content is larger than the window. The container shows one
// NewView, which it owns: it passes the canvas's size, paint, mouse and key events
// to the view and does what the view asks of its window (ViewWindow).
//
// Every canvas shares the one context of ui/SharedGLContext.h.

#include <wx/bmpbndl.h>
#include <wx/cursor.h>
#include <wx/window.h>

#include <memory>
#include <string>

#include "render/ViewWindow.h"

class wxFrame;
class wxGLCanvas;
class wxScrollBar;

namespace corvia {

class NewView;

namespace detail_PaneWindow {
class CaptionStrip;
class PaneCanvas;
}  // namespace detail_PaneWindow

class PaneWindow final : public wxWindow, public ViewWindow {
public:
  // Shows the view, which the pane then owns. Check IsShowingView: a view whose
  // creation fails is destroyed and the pane stays empty.
  PaneWindow(wxWindow* parent, std::unique_ptr<NewView> view, wxWindowID id = wxID_ANY,
             const wxPoint& position = wxDefaultPosition, const wxSize& size = wxDefaultSize);
  ~PaneWindow() override;

  NewView* GetView() const { return mView.get(); }
  bool IsShowingView() const { return mView != nullptr; }
  wxGLCanvas* GetCanvas() const;
  wxWindow* GetCaptionStrip() const;

  // ViewWindow.
  bool MakeCurrent() override;
  void ReleaseCurrent() override;
  void SwapBuffers() override;
  const void* ContextKey() const override;
  void GetClientSize(int& width, int& height) const override;
  bool CreateContext() override;
  void DeleteContext() override { mHasContext = false; }
  bool HasContext() const override { return mHasContext; }
  void Refresh() override;
  void Update() override;
  void ShowCaption(CaptionWnd* caption) override;
  void RefreshCaption(bool now) override;
  void SetTitle(const std::string& title) override;
  void CaptureMouse() override;
  void ReleaseMouse() override;
  using wxWindow::SetCursor;
  void SetCursor(int cursor) override;
  bool IsSpaceDown() const override;
  void RaiseMainWindow() override;
  void TakeKeyboardFocus() override;
  void SetCaptionTip(const std::string& tip) override;
  void SetScrollBar(bool vertical, int position, int range, int page) override;
  bool HasScrollBar(bool vertical) const override;
  int ScrollBarSize(bool vertical) const override;
  bool SetFullScreen(bool on) override;

  // wxWindow: the container's own paint and refresh reach the children.
  using wxWindow::Refresh;
  using wxWindow::Update;

private:
  void LayoutChildren();
  void OnContainerSize(wxSizeEvent& event);
  void OnScroll(wxScrollEvent& event);
  void OnFullScreenClose(wxCloseEvent& event);

  std::unique_ptr<NewView> mView;
  detail_PaneWindow::CaptionStrip* mCaption = nullptr;
  detail_PaneWindow::PaneCanvas* mCanvas = nullptr;
  wxScrollBar* mScrollBars[2] = {nullptr, nullptr};
  bool mHasContext = false;
  // True while the canvas takes the size a bar shown or hidden leaves it.
  bool mTogglingBar = false;
  // Where the pane sat before it went full screen.
  wxFrame* mFullScreenFrame = nullptr;
  wxWindow* mSavedParent = nullptr;
  wxRect mSavedRect;
};

// Images of caption-button icons and pane cursors by the numbers the pane class
// gives them (icon 0 is none, cursor 0 the arrow).
void SetCaptionIcon(int icon, const wxBitmapBundle& image);
void SetPaneCursor(int cursor, const wxCursor& image);

// The panes paint one long paint a turn of the event loop. GTK paints every pane it was
// asked to in one turn, and the window answers nothing until they are all done: the
// panes of a model of a million faces take half a second each. A pane whose paint would
// follow, in the same turn, another's of at least this many seconds is painted at the
// next turn instead, before any other, and the window answers in between.
constexpr double kLongPanePaintSeconds = 0.2;

// What the panes of a frame know of each other's paints (NewFrame holds it).
struct PanePaintTurns {
  double longPaintSeconds = kLongPanePaintSeconds;
  // The canvas of the last long paint, until the loop turns after it, and when it ended.
  const wxWindow* longPaint = nullptr;
  double longPaintEnd = 0.0;
  // The canvas put off first, painted first, and when.
  const wxWindow* putOff = nullptr;
  double putOffAt = 0.0;
};

}  // namespace corvia
