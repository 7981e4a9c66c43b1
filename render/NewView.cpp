#include "render/NewView.h"

#include <algorithm>
#include <cstdarg>
#include <string>

#include "core/Messages.h"
#include "render/CaptionWnd.h"
#include "render/PaneFrame.h"
#include "render/ViewMotions.h"
#include "render/ViewWindow.h"

namespace corvia {

namespace detail_NewView {

NewView* gFirstView = nullptr;
NewView* gLastView = nullptr;
NewView* gActiveView = nullptr;
NewView* gViewUnderMouse = nullptr;
NewView* gFullScreenView = nullptr;
int gMouseButtons = 0;
int gModifierKeys = 0;
int gPressPoint[2] = {0, 0};
int gCurrentPoint[2] = {0, 0};
float gDefaultBackground[3] = {0.5f, 0.5f, 0.5f};
bool gCaptionsShown = true;
int gMouseSelectionMode = 0;
bool gImmediateCursor = true;
bool gScrollBarsUsed = true;

int ModifierOfKey(ViewKey key) {
  switch (key) {
    case ViewKey::Shift:
      return kModifierShift;
    case ViewKey::Control:
      return kModifierCtrl;
    case ViewKey::Space:
      return kModifierSpace;
    default:
      return 0;
  }
}

bool IsBlankText(const std::string& text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; });
}

}  // namespace detail_NewView

// ---- Construction and the list of views ------------------------------------------

NewView::NewView() {
  const float* background = detail_NewView::gDefaultBackground;
  std::copy(background, background + 3, mBackgroundColor);
  LinkAtEnd();
}

NewView::~NewView() {
  using namespace detail_NewView;
  RemoveFromViewList();
  // Nothing may call into a view that is gone: every global that names it is cleared.
  if (gActiveView == this) gActiveView = nullptr;
  if (gViewUnderMouse == this) gViewUnderMouse = nullptr;
  if (gFullScreenView == this) gFullScreenView = nullptr;
  mMessage.reset();
}

void NewView::LinkAtEnd() {
  using namespace detail_NewView;
  mPrevious = gLastView;
  mNext = nullptr;
  mIndex = gLastView ? gLastView->mIndex + 1 : 0;
  if (gLastView) {
    gLastView->mNext = this;
  } else {
    gFirstView = this;
  }
  gLastView = this;
}

void NewView::RemoveFromViewList() {
  using namespace detail_NewView;
  if (mIndex < 0) return;
  for (NewView* v = mNext; v; v = v->mNext) --v->mIndex;
  if (mPrevious) {
    mPrevious->mNext = mNext;
  } else {
    gFirstView = mNext;
  }
  if (mNext) {
    mNext->mPrevious = mPrevious;
  } else {
    gLastView = mPrevious;
  }
  mNext = mPrevious = nullptr;
  mIndex = -1;
}

void NewView::SetIndex(int i) {
  using namespace detail_NewView;
  if (mIndex == i) return;
  RemoveFromViewList();
  NewView* holder = FindViewByIndex(i);
  if (!holder) {
    LinkAtEnd();
    return;
  }
  mNext = holder;
  mPrevious = holder->mPrevious;
  if (mPrevious) {
    mPrevious->mNext = this;
  } else {
    gFirstView = this;
  }
  holder->mPrevious = this;
  mIndex = i;
  for (NewView* v = mNext; v; v = v->mNext) ++v->mIndex;
}

void NewView::SetViewIndex(int index) { SetIndex(index); }

NewView* NewView::GetFirstView() { return detail_NewView::gFirstView; }
NewView* NewView::GetLastView() { return detail_NewView::gLastView; }
NewView* NewView::GetActiveView() { return detail_NewView::gActiveView; }
NewView* NewView::GetViewUnderMouse() { return detail_NewView::gViewUnderMouse; }
NewView* NewView::GetFullScreenView() { return detail_NewView::gFullScreenView; }

NewView* FindViewByIndex(int i) {
  for (NewView* v = NewView::GetFirstView(); v; v = v->GetNext()) {
    if (v->GetIndex() == i) return v;
  }
  return nullptr;
}

// ---- Virtual operations -------------------------------------------------------------

CaptionWnd* NewView::CreateCaptionWnd() { return new CaptionWnd(this); }

bool NewView::OnCaptionButton(int, int, int) { return false; }

int NewView::GetCursor() { return kArrowCursor; }

void NewView::GetMouseButtonHelp(std::string& left, std::string& right, std::string& both) {
  left = right = both = "-";
}

void NewView::DoMouseWheel(int) {}

void NewView::OnDraw() { GetViewMotions().StepMouseThrowsIfDue(nullptr); }

bool NewView::OnPreparePrinting() {
  mPrinting = true;
  return true;
}

void NewView::OnEndPrinting() { mPrinting = false; }

void NewView::Activate(bool alsoFrame) {
  using namespace detail_NewView;
  if (gActiveView == this) return;
  ClearMessage();
  if (alsoFrame) GetPaneFrame().SetActiveView(this);
  if (gActiveView) gActiveView->InvalidateCaption();
  gActiveView = this;
  gViewUnderMouse = this;
  InvalidateCaption();
}

void NewView::SetFullScreen(bool on) {
  using namespace detail_NewView;
  if (on == mFullScreen) return;
  if (on) {
    gFullScreenView = this;
    mSavedCaptionState = gCaptionsShown;
    gCaptionsShown = false;
    if (mWindow) mWindow->ShowCaption(nullptr);
    mFullScreen = true;
    if (mWindow && !mWindow->SetFullScreen(true)) {
      // The window system would not do it: nothing changed.
      mFullScreen = false;
      gFullScreenView = nullptr;
      gCaptionsShown = mSavedCaptionState;
      if (mWindow && gCaptionsShown) mWindow->ShowCaption(mCaptionWnd.get());
      return;
    }
  } else {
    gFullScreenView = nullptr;
    gCaptionsShown = mSavedCaptionState;
    if (mWindow) mWindow->SetFullScreen(false);
    if (mWindow && gCaptionsShown) mWindow->ShowCaption(mCaptionWnd.get());
    mFullScreen = false;
  }
  Invalidate(true);
}

void ExitFullScreen() {
  if (NewView* view = NewView::GetFullScreenView()) view->SetFullScreen(false);
}

// ---- Window events ----------------------------------------------------------------

bool NewView::OnCreate(ViewWindow* window) {
  using namespace detail_NewView;
  mWindow = window;
  if (!gActiveView) {
    gActiveView = this;
    gViewUnderMouse = this;
  }
  if (gCaptionsShown && mWindow) {
    mCaptionWnd.reset(CreateCaptionWnd());
    if (!mCaptionWnd) return false;
    mCaptionWnd->SetText(mTitle);
    mWindow->ShowCaption(mCaptionWnd.get());
  }
  return true;
}

void NewView::OnDestroy() {
  if (mFullScreen) SetFullScreen(false);
  if (mWindow) mWindow->ShowCaption(nullptr);
  mCaptionWnd.reset();
  mWindow = nullptr;
}

void NewView::OnSize(int width, int height) {
  if (height > 0 && !mPrinting) {
    mClientWidth = width;
    mClientHeight = height;
  }
  // The caption spans the scroll bar beside the drawing area too: its buttons stay
  // where they are while a zoomed view shows or hides the bar.
  const int bar = mWindow && mWindow->HasScrollBar(true) ? mWindow->ScrollBarSize(true) : 0;
  if (mCaptionWnd) mCaptionWnd->SetSize(std::max(width + bar, 0), kCaptionHeight);
  Invalidate(true);
}

void NewView::MakeViewUnderMouse() {
  if (detail_NewView::gViewUnderMouse == this) return;
  detail_NewView::gViewUnderMouse = this;
  UpdateMouseHelp();
  UpdateCursor();
}

void NewView::OnButtonDown(int button, int x, int y, unsigned keyFlags) {
  using namespace detail_NewView;
  gMouseButtons |= button;
  UpdateMouseMode(keyFlags, true);
  Activate(false);
  if (mWindow) mWindow->CaptureMouse();
  gPressPoint[0] = gCurrentPoint[0] = x;
  gPressPoint[1] = gCurrentPoint[1] = y;
}

void NewView::OnButtonUp(int button, int, int, unsigned keyFlags) {
  using namespace detail_NewView;
  gMouseButtons &= ~button;
  UpdateMouseMode(keyFlags, false);
  if (gMouseButtons == 0 && mPressedButton < 0 && mWindow) mWindow->ReleaseMouse();
}

void NewView::OnButtonDoubleClick(int, int, int, unsigned keyFlags) { UpdateMouseMode(keyFlags, false); }

void NewView::OnMouseMove(int x, int y, unsigned keyFlags) {
  using namespace detail_NewView;
  UpdateMouseMode(keyFlags, false);
  MakeViewUnderMouse();
  gCurrentPoint[0] = x;
  gCurrentPoint[1] = y;
}

void NewView::OnKeyDown(ViewKey key, bool repeat) {
  int bit = detail_NewView::ModifierOfKey(key);
  if (!bit || repeat) return;
  detail_NewView::gModifierKeys |= bit;
  UpdateCursor();
  UpdateMouseHelp();
}

bool NewView::OnPaneKey(int, int) {
  return false;
}

void NewView::OnKeyUp(ViewKey key) {
  int bit = detail_NewView::ModifierOfKey(key);
  if (!bit) return;
  detail_NewView::gModifierKeys &= ~bit;
  UpdateCursor();
  UpdateMouseHelp();
}

void NewView::OnKillFocus() {
  if (detail_NewView::gModifierKeys == 0) return;
  detail_NewView::gModifierKeys = 0;
  UpdateCursor();
  UpdateMouseHelp();
}

void NewView::OnScrollBar(bool vertical, int position) {
  if (vertical) {
    SetScrollPos(mScrollBarX, position);
  } else {
    SetScrollPos(position, mScrollBarY);
  }
}

// ---- Caption strip events -------------------------------------------------------------

bool NewView::OnCaptionButtonDown(int button, int x, int y) {
  Activate(true);
  // As a click in the pane would, so that the pane's keys follow a caption button.
  if (mWindow) mWindow->TakeKeyboardFocus();
  // Right and middle presses only activate the view, and the caption window sees them.
  int hit = -1;
  if (button == kMouseButtonLeft) {
    if (mWindow) mWindow->RaiseMainWindow();
    hit = HitCaptionButton(x, y);
  }
  if (hit < 0) {
    if (mCaptionWnd) mCaptionWnd->OnCaptionPress(button, x, y);
    return false;
  }
  mPressedButton = hit;
  mPressedLook = true;
  RedrawPressedButton();
  return true;
}

void NewView::OnCaptionButtonUp(int button, int x, int y) {
  if (button != kMouseButtonLeft || mPressedButton < 0) return;
  int pressed = mPressedButton;
  PixelRect rect;
  bool inside = GetButtonRect(pressed, rect) && rect.Contains(x, y);
  mPressedButton = -1;
  mPressedLook = false;
  RedrawPressedButton();
  if (inside) OnCaptionButton(pressed, mButtons[pressed].command, 0);
}

std::string NewView::GetCaptionTip(int, int) const { return std::string(); }

void NewView::OnCaptionMouseMove(int x, int y) {
  // The tooltip follows the control under the mouse; the window is told only of a change.
  if (std::string tip = GetCaptionTip(x, y); tip != mCaptionTip) {
    mCaptionTip = tip;
    if (mWindow) mWindow->SetCaptionTip(mCaptionTip);
  }
  if (mPressedButton >= 0) {
    PixelRect rect;
    bool inside = GetButtonRect(mPressedButton, rect) && rect.Contains(x, y);
    if (inside != mPressedLook) {
      mPressedLook = inside;
      RedrawPressedButton();
    }
  }
  MakeViewUnderMouse();
}

void NewView::RedrawPressedButton() {
  mRedrawFlags |= kRedrawCaption;
  if (mWindow) mWindow->RefreshCaption(true);
  mRedrawFlags &= ~kRedrawCaption;
}

// ---- Redraws --------------------------------------------------------------------------

void NewView::Invalidate(bool keepMessage) {
  if (keepMessage) {
    mRedrawFlags |= kRedrawKeepMessage | kRedrawClient;
  } else {
    if (!(mRedrawFlags & kRedrawKeepMessage)) mMessage.reset();
    mRedrawFlags |= kRedrawClient;
  }
  if (mWindow) mWindow->Refresh();
}

void NewView::InvalidateCaption() {
  mRedrawFlags |= kRedrawCaption;
  if (mWindow) mWindow->RefreshCaption(false);
}

void NewView::UpdateNow() {
  if (mRedrawFlags == 0) return;
  if (mRedrawFlags & kRedrawCaption) {
    // While captions are hidden nothing will paint the strip: the flag goes too.
    if (detail_NewView::gCaptionsShown && mCaptionWnd && mWindow) mWindow->RefreshCaption(true);
    mRedrawFlags &= ~kRedrawCaption;
    if (mRedrawFlags == 0) return;
  }
  if (mWindow) {
    mWindow->Refresh();
    mWindow->Update();
  }
}

void RedrawAllViews(bool captionsToo, bool keepMessage) {
  for (NewView* v = NewView::GetFirstView(); v; v = v->GetNext()) {
    v->Invalidate(keepMessage);
    if (captionsToo) v->InvalidateCaption();
  }
}

void UpdateAllViewsNow() {
  for (NewView* v = NewView::GetFirstView(); v; v = v->GetNext()) v->UpdateNow();
}

// ---- Message, title, background -------------------------------------------------------

void NewView::SetMessage(NewView* view, const char* format, ...) {
  if (!view) return;
  if (!format) {
    view->ClearMessage();
    return;
  }
  va_list args;
  va_start(args, format);
  std::string text = FormatLimitedV(kViewMessageSize, format, args);
  va_end(args);
  if (detail_NewView::IsBlankText(text)) {
    view->ClearMessage();
    return;
  }
  if (!view->mMessage || *view->mMessage != text) view->mMessage = std::make_unique<std::string>(std::move(text));
  view->Invalidate(true);
}

void NewView::ClearMessage() {
  if (!mMessage) return;
  mRedrawFlags &= ~kRedrawKeepMessage;
  mMessage.reset();
  Invalidate(false);
}

void ClearAllViewMessages() {
  for (NewView* v = NewView::GetFirstView(); v; v = v->GetNext()) v->ClearMessage();
}

void NewView::SetTitle(const std::string& text) {
  mTitle = text;
  if (mCaptionWnd) mCaptionWnd->SetText(text);
  if (mWindow) mWindow->SetTitle(text);
  InvalidateCaption();
}

void NewView::SetBackgroundColor(float r, float g, float b) {
  mBackgroundColor[0] = r;
  mBackgroundColor[1] = g;
  mBackgroundColor[2] = b;
  Invalidate(true);
}

void SetDefaultBackgroundColor(float r, float g, float b) {
  detail_NewView::gDefaultBackground[0] = r;
  detail_NewView::gDefaultBackground[1] = g;
  detail_NewView::gDefaultBackground[2] = b;
}

const float* GetDefaultBackgroundColor() { return detail_NewView::gDefaultBackground; }

void SetAllViewsBackgroundColor(const float* rgb) {
  SetDefaultBackgroundColor(rgb[0], rgb[1], rgb[2]);
  for (NewView* v = NewView::GetFirstView(); v; v = v->GetNext()) v->SetBackgroundColor(rgb);
}

// ---- Caption buttons ------------------------------------------------------------------

void NewView::SetNumButtons(int n) {
  mButtons.assign(static_cast<size_t>(std::max(n, 0)), CaptionButton{});
  mPressedButton = -1;
  mPressedLook = false;
}

void NewView::DefineButton(int i, int command, int icon, unsigned flags) {
  if (i < 0 || i >= GetNumButtons()) {
    ShowInternalError("DefineButton: index %d invalid", i);
    return;
  }
  mButtons[i] = CaptionButton{command, icon, flags};
}

PixelRect NewView::GetCaptionRect() const {
  if (mCaptionWnd) return PixelRect{0, 0, mCaptionWnd->GetWidth(), mCaptionWnd->GetHeight()};
  return PixelRect{0, 0, mClientWidth, kCaptionHeight};
}

bool NewView::GetButtonRect(int i, PixelRect& rect) const {
  if (i < 0 || i >= GetNumButtons()) return false;
  PixelRect caption = GetCaptionRect();
  int top = caption.top + (caption.Height() - kCaptionButtonHeight) / 2;
  int right = caption.right - kCaptionButtonGap;
  for (int k = 0; k < i; ++k) {
    right -= kCaptionButtonWidth;
    if (mButtons[k].flags & kCaptionButtonSpaced) right -= kCaptionButtonGap;
  }
  rect = PixelRect{right - kCaptionButtonWidth, top, right, top + kCaptionButtonHeight};
  return true;
}

int NewView::HitCaptionButton(int x, int y) const {
  PixelRect rect;
  for (int i = 0; i < GetNumButtons(); ++i) {
    if (GetButtonRect(i, rect) && rect.Contains(x, y)) return i;
  }
  return -1;
}

// ---- Sizes and scrolling ------------------------------------------------------------------

int NewView::GetViewHeight() const { return std::max(mClientHeight, 1); }

void NewView::SetScrollSizes(int width, int height) {
  mScrollWidth = width;
  mScrollHeight = height;
  if (!detail_NewView::gScrollBarsUsed || !mWindow || mScrollBarsHeld) return;
  mWindow->SetScrollBar(false, mScrollBarX, width, mClientWidth);
  mWindow->SetScrollBar(true, mScrollBarY, height, mClientHeight);
}

void NewView::SetScrollPos(int x, int y) {
  if (detail_NewView::gFullScreenView) return;
  // When the content is smaller than the window the only position is 0.
  mScrollBarX = std::max(0, std::min(x, mScrollWidth - mClientWidth));
  mScrollBarY = std::max(0, std::min(y, mScrollHeight - mClientHeight));
  if (!mWindow || mScrollBarsHeld) return;
  mWindow->SetScrollBar(false, mScrollBarX, mScrollWidth, mClientWidth);
  mWindow->SetScrollBar(true, mScrollBarY, mScrollHeight, mClientHeight);
}

// ---- Cursor and mouse help ---------------------------------------------------------------

void NewView::SetViewCursor(int cursor) {
  if (mWindow && detail_NewView::gImmediateCursor) mWindow->SetCursor(cursor);
}

void NewView::UpdateCursor() {
  NewView* under = detail_NewView::gViewUnderMouse;
  SetViewCursor(under ? under->GetCursor() : kArrowCursor);
}

void UpdateMouseHelp() {
  std::string left = "-", right = "-", both = "-";
  if (NewView* under = NewView::GetViewUnderMouse()) under->GetMouseButtonHelp(left, right, both);
  GetPaneFrame().SetMouseButtonHints(left, right, both);
}

void NewView::UpdateMouseMode(unsigned keyFlags, bool force) {
  using namespace detail_NewView;
  int bits = 0;
  if (keyFlags & kMouseKeyShift) bits |= kModifierShift;
  if (keyFlags & kMouseKeyControl) bits |= kModifierCtrl;
  if (mWindow && mWindow->IsSpaceDown()) bits |= kModifierSpace;
  if (bits == gModifierKeys && !force) return;
  gModifierKeys = bits;
  UpdateMouseHelp();
  UpdateCursor();
}

int NewView::GetMouseButtonsHeld() { return detail_NewView::gMouseButtons; }
int NewView::GetModifierKeys() { return detail_NewView::gModifierKeys; }

void NewView::GetPressPoint(int& x, int& y) {
  x = detail_NewView::gPressPoint[0];
  y = detail_NewView::gPressPoint[1];
}

void NewView::GetCurrentPoint(int& x, int& y) {
  x = detail_NewView::gCurrentPoint[0];
  y = detail_NewView::gCurrentPoint[1];
}

int GetMouseSelectionMode() { return detail_NewView::gMouseSelectionMode; }
void StoreMouseSelectionMode(int mode) { detail_NewView::gMouseSelectionMode = mode; }
bool GetCaptionsShown() { return detail_NewView::gCaptionsShown; }
void SetCaptionsShown(bool shown) { detail_NewView::gCaptionsShown = shown; }
bool GetImmediateCursor() { return detail_NewView::gImmediateCursor; }
void SetImmediateCursor(bool on) { detail_NewView::gImmediateCursor = on; }
bool GetScrollBarsUsed() { return detail_NewView::gScrollBarsUsed; }
void SetScrollBarsUsed(bool on) { detail_NewView::gScrollBarsUsed = on; }

// ---- Caption window ------------------------------------------------------------------------

void CaptionWnd::DrawCaptionBar(CaptionPainter& painter) {
  NewView* view = mOwner;
  PixelRect rect = view->GetCaptionRect();
  bool active = NewView::GetActiveView() == view;
  int strip = view->GetCaptionLeftStrip();
  if (strip > 0) painter.FillCaptionColor(PixelRect{rect.left, rect.top, rect.left + strip, rect.bottom}, active);
  PixelRect text{rect.left + strip, rect.top, rect.right, rect.bottom};
  if (text.Width() > 0) painter.DrawCaption(text, mText, active, true);
  PixelRect button;
  for (int i = 0; i < view->GetNumButtons(); ++i) {
    if (!view->GetButtonRect(i, button)) continue;
    bool pushed = view->GetPressedButton() == i && view->IsPressedLook();
    painter.DrawButton(button, pushed, view->GetButton(i).icon);
  }
}

}  // namespace corvia
