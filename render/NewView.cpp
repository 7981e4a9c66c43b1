#include "render/NewView.h"

#include <algorithm>
#include <cstdarg>
#include <string>

#include "core/Messages.h"
#include "render/CaptionWnd.h"
#include "render/PaneFrame.h"
#include "render/ViewGroup.h"
#include "render/ViewMotions.h"
#include "render/ViewWindow.h"

namespace corvia {

namespace detail_NewView {

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

NewView::NewView() : mGroup(ShareCurrentViewGroup()) {
  const float* background = mGroup->options.defaultBackground;
  std::copy(background, background + 3, mBackgroundColor);
  LinkAtEnd();
}

NewView::~NewView() {
  RemoveFromViewList();
  // Nothing may call into a view that is gone: whatever of its group names it is cleared.
  if (mGroup->views.active == this) mGroup->views.active = nullptr;
  if (mGroup->views.underMouse == this) mGroup->views.underMouse = nullptr;
  if (mGroup->views.fullScreen == this) mGroup->views.fullScreen = nullptr;
  mMessage.reset();
}

void NewView::LinkAtEnd() {
  mPrevious = mGroup->views.last;
  mNext = nullptr;
  mIndex = mGroup->views.last ? mGroup->views.last->mIndex + 1 : 0;
  if (mGroup->views.last) {
    mGroup->views.last->mNext = this;
  } else {
    mGroup->views.first = this;
  }
  mGroup->views.last = this;
}

void NewView::RemoveFromViewList() {
  if (mIndex < 0) return;
  for (NewView* v = mNext; v; v = v->mNext) --v->mIndex;
  if (mPrevious) {
    mPrevious->mNext = mNext;
  } else {
    mGroup->views.first = mNext;
  }
  if (mNext) {
    mNext->mPrevious = mPrevious;
  } else {
    mGroup->views.last = mPrevious;
  }
  mNext = mPrevious = nullptr;
  mIndex = -1;
}

void NewView::SetIndex(int i) {
  if (mIndex == i) return;
  RemoveFromViewList();
  NewView* holder = FindViewByIndex(*mGroup, i);
  if (!holder) {
    LinkAtEnd();
    return;
  }
  mNext = holder;
  mPrevious = holder->mPrevious;
  if (mPrevious) {
    mPrevious->mNext = this;
  } else {
    mGroup->views.first = this;
  }
  holder->mPrevious = this;
  mIndex = i;
  for (NewView* v = mNext; v; v = v->mNext) ++v->mIndex;
}

void NewView::SetViewIndex(int index) { SetIndex(index); }

NewView* NewView::GetFirstView() { return CurrentViewGroup().views.first; }
NewView* NewView::GetLastView() { return CurrentViewGroup().views.last; }
NewView* NewView::GetActiveView() { return CurrentViewGroup().views.active; }
NewView* NewView::GetViewUnderMouse() { return CurrentViewGroup().views.underMouse; }

NewView* FindViewByIndex(const ViewGroup& group, int i) {
  for (NewView* v = group.views.first; v; v = v->GetNext()) {
    if (v->GetIndex() == i) return v;
  }
  return nullptr;
}

NewView* FindViewByIndex(int i) { return FindViewByIndex(CurrentViewGroup(), i); }

// ---- Virtual operations -------------------------------------------------------------

CaptionWnd* NewView::CreateCaptionWnd() { return new CaptionWnd(this); }

bool NewView::OnCaptionButton(int, int, int) { return false; }

int NewView::GetCursor() { return kArrowCursor; }

void NewView::GetMouseButtonHelp(std::string& left, std::string& right, std::string& both) {
  left = right = both = "-";
}

void NewView::DoMouseWheel(int) {}

void NewView::OnDraw() { GetViewMotions().StepMouseThrowsIfDue(this); }

bool NewView::OnPreparePrinting() {
  mPrinting = true;
  return true;
}

void NewView::OnEndPrinting() { mPrinting = false; }

void NewView::Activate(bool alsoFrame) {
  if (mGroup->views.active == this) return;
  ClearMessage();
  if (alsoFrame && mGroup->frame) mGroup->frame->SetActiveView(this);
  if (mGroup->views.active) mGroup->views.active->InvalidateCaption();
  mGroup->views.active = this;
  mGroup->views.underMouse = this;
  InvalidateCaption();
}

void NewView::SetFullScreen(bool on) {
  if (on == mFullScreen) return;
  if (on) {
    mGroup->views.fullScreen = this;
    mSavedCaptionState = mGroup->options.captionsShown;
    mGroup->options.captionsShown = false;
    if (mWindow) mWindow->ShowCaption(nullptr);
    mFullScreen = true;
    if (mWindow && !mWindow->SetFullScreen(true)) {
      // The window system would not do it: nothing changed.
      mFullScreen = false;
      mGroup->views.fullScreen = nullptr;
      mGroup->options.captionsShown = mSavedCaptionState;
      if (mWindow && mGroup->options.captionsShown) mWindow->ShowCaption(mCaptionWnd.get());
      return;
    }
  } else {
    mGroup->views.fullScreen = nullptr;
    mGroup->options.captionsShown = mSavedCaptionState;
    if (mWindow) mWindow->SetFullScreen(false);
    if (mWindow && mGroup->options.captionsShown) mWindow->ShowCaption(mCaptionWnd.get());
    mFullScreen = false;
  }
  Invalidate(true);
}

void ExitFullScreen(ViewGroup& group) {
  if (NewView* view = group.views.fullScreen) view->SetFullScreen(false);
}

void ExitFullScreen() { ExitFullScreen(CurrentViewGroup()); }

// ---- Window events ----------------------------------------------------------------

bool NewView::OnCreate(ViewWindow* window) {
  mWindow = window;
  if (!mGroup->views.active) {
    mGroup->views.active = this;
    mGroup->views.underMouse = this;
  }
  if (mGroup->options.captionsShown && mWindow) {
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
    mArea.width = width;
    mArea.height = height;
  }
  // The caption spans the scroll bar beside the drawing area too: its buttons stay
  // where they are while a zoomed view shows or hides the bar.
  const int bar = mWindow && mWindow->HasScrollBar(true) ? mWindow->ScrollBarSize(true) : 0;
  if (mCaptionWnd) mCaptionWnd->SetSize(std::max(width + bar, 0), kCaptionHeight);
  Invalidate(true);
}

void NewView::MakeViewUnderMouse() {
  if (mGroup->views.underMouse == this) return;
  mGroup->views.underMouse = this;
  UpdateMouseHelp(*mGroup);
  UpdateCursor();
}

void NewView::OnButtonDown(int button, int x, int y, unsigned keyFlags) {
  mGroup->mouse.buttons |= button;
  UpdateMouseMode(keyFlags, true);
  Activate(false);
  if (mWindow) mWindow->CaptureMouse();
  mGroup->mouse.pressPoint[0] = mGroup->mouse.currentPoint[0] = x;
  mGroup->mouse.pressPoint[1] = mGroup->mouse.currentPoint[1] = y;
}

void NewView::OnButtonUp(int button, int, int, unsigned keyFlags) {
  mGroup->mouse.buttons &= ~button;
  UpdateMouseMode(keyFlags, false);
  if (mGroup->mouse.buttons == 0 && mCaptionButtons.mPressedButton < 0 && mWindow) mWindow->ReleaseMouse();
}

void NewView::OnButtonDoubleClick(int, int, int, unsigned keyFlags) { UpdateMouseMode(keyFlags, false); }

void NewView::OnMouseMove(int x, int y, unsigned keyFlags) {
  UpdateMouseMode(keyFlags, false);
  MakeViewUnderMouse();
  mGroup->mouse.currentPoint[0] = x;
  mGroup->mouse.currentPoint[1] = y;
}

void NewView::OnKeyDown(ViewKey key, bool repeat) {
  int bit = detail_NewView::ModifierOfKey(key);
  if (!bit || repeat) return;
  mGroup->mouse.modifiers |= bit;
  UpdateCursor();
  UpdateMouseHelp(*mGroup);
}

bool NewView::OnPaneKey(int, int) {
  return false;
}

void NewView::OnKeyUp(ViewKey key) {
  int bit = detail_NewView::ModifierOfKey(key);
  if (!bit) return;
  mGroup->mouse.modifiers &= ~bit;
  UpdateCursor();
  UpdateMouseHelp(*mGroup);
}

void NewView::OnKillFocus() {
  if (mGroup->mouse.modifiers == 0) return;
  mGroup->mouse.modifiers = 0;
  UpdateCursor();
  UpdateMouseHelp(*mGroup);
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
    hit = mCaptionButtons.HitCaptionButton(x, y);
  }
  if (hit < 0) {
    if (mCaptionWnd) mCaptionWnd->OnCaptionPress(button, x, y);
    return false;
  }
  mCaptionButtons.mPressedButton = hit;
  mCaptionButtons.mPressedLook = true;
  RedrawPressedButton();
  return true;
}

void NewView::OnCaptionButtonUp(int button, int x, int y) {
  if (button != kMouseButtonLeft || mCaptionButtons.mPressedButton < 0) return;
  int pressed = mCaptionButtons.mPressedButton;
  PixelRect rect;
  bool inside = mCaptionButtons.GetButtonRect(pressed, rect) && rect.Contains(x, y);
  mCaptionButtons.mPressedButton = -1;
  mCaptionButtons.mPressedLook = false;
  RedrawPressedButton();
  if (inside) OnCaptionButton(pressed, mCaptionButtons.mButtons[pressed].command, 0);
}

std::string NewView::GetCaptionTip(int, int) const { return std::string(); }

void NewView::OnCaptionMouseMove(int x, int y) {
  // The tooltip follows the control under the mouse; the window is told only of a change.
  if (std::string tip = GetCaptionTip(x, y); tip != mCaptionTip) {
    mCaptionTip = tip;
    if (mWindow) mWindow->SetCaptionTip(mCaptionTip);
  }
  if (mCaptionButtons.mPressedButton >= 0) {
    PixelRect rect;
    bool inside = mCaptionButtons.GetButtonRect(mCaptionButtons.mPressedButton, rect) && rect.Contains(x, y);
    if (inside != mCaptionButtons.mPressedLook) {
      mCaptionButtons.mPressedLook = inside;
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
    if (mGroup->options.captionsShown && mCaptionWnd && mWindow) mWindow->RefreshCaption(true);
    mRedrawFlags &= ~kRedrawCaption;
    if (mRedrawFlags == 0) return;
  }
  if (mWindow) {
    mWindow->Refresh();
    mWindow->Update();
  }
}

void RedrawAllViews(ViewGroup& group, bool captionsToo, bool keepMessage) {
  for (NewView* v = group.views.first; v; v = v->GetNext()) {
    v->Invalidate(keepMessage);
    if (captionsToo) v->InvalidateCaption();
  }
}

void RedrawAllViews(bool captionsToo, bool keepMessage) {
  RedrawAllViews(CurrentViewGroup(), captionsToo, keepMessage);
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
  float* background = CurrentViewGroup().options.defaultBackground;
  background[0] = r;
  background[1] = g;
  background[2] = b;
}

const float* GetDefaultBackgroundColor() { return CurrentViewGroup().options.defaultBackground; }

void SetAllViewsBackgroundColor(const float* rgb) {
  SetDefaultBackgroundColor(rgb[0], rgb[1], rgb[2]);
  for (NewView* v = NewView::GetFirstView(); v; v = v->GetNext()) v->SetBackgroundColor(rgb);
}

// ---- Caption buttons ------------------------------------------------------------------

void CaptionButtons::SetNumButtons(int n) {
  mButtons.assign(static_cast<size_t>(std::max(n, 0)), CaptionButton{});
  mPressedButton = -1;
  mPressedLook = false;
}

void CaptionButtons::DefineButton(int i, int command, int icon, unsigned flags) {
  if (i < 0 || i >= GetNumButtons()) {
    ShowInternalError("DefineButton: index %d invalid", i);
    return;
  }
  mButtons[i] = CaptionButton{command, icon, flags};
}

PixelRect CaptionButtons::GetCaptionRect() const {
  if (const CaptionWnd* caption = mView.GetCaptionWnd())
    return PixelRect{0, 0, caption->GetWidth(), caption->GetHeight()};
  return PixelRect{0, 0, mView.GetClientWidth(), kCaptionHeight};
}

bool CaptionButtons::GetButtonRect(int i, PixelRect& rect) const {
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

int CaptionButtons::HitCaptionButton(int x, int y) const {
  PixelRect rect;
  for (int i = 0; i < GetNumButtons(); ++i) {
    if (GetButtonRect(i, rect) && rect.Contains(x, y)) return i;
  }
  return -1;
}

// ---- Sizes and scrolling ------------------------------------------------------------------

int NewView::GetViewHeight() const { return mArea.DrawingHeight(); }

void NewView::SetScrollSizes(int width, int height) {
  mScrollWidth = width;
  mScrollHeight = height;
  if (!mGroup->options.scrollBarsUsed || !mWindow || mScrollBarsHeld) return;
  mWindow->SetScrollBar(false, mScrollBarX, width, mArea.width);
  mWindow->SetScrollBar(true, mScrollBarY, height, mArea.height);
}

void NewView::SetScrollPos(int x, int y) {
  if (mGroup->views.fullScreen) return;
  // When the content is smaller than the window the only position is 0.
  mScrollBarX = std::max(0, std::min(x, mScrollWidth - mArea.width));
  mScrollBarY = std::max(0, std::min(y, mScrollHeight - mArea.height));
  if (!mWindow || mScrollBarsHeld) return;
  mWindow->SetScrollBar(false, mScrollBarX, mScrollWidth, mArea.width);
  mWindow->SetScrollBar(true, mScrollBarY, mScrollHeight, mArea.height);
}

// ---- Cursor and mouse help ---------------------------------------------------------------

void NewView::SetViewCursor(int cursor) {
  if (mWindow && mGroup->options.immediateCursor) mWindow->SetCursor(cursor);
}

void NewView::UpdateCursor() {
  NewView* under = mGroup->views.underMouse;
  SetViewCursor(under ? under->GetCursor() : kArrowCursor);
}

void UpdateMouseHelp(ViewGroup& group) {
  if (!group.frame) return;
  std::string left = "-", right = "-", both = "-";
  if (NewView* under = group.views.underMouse) under->GetMouseButtonHelp(left, right, both);
  group.frame->SetMouseButtonHints(left, right, both);
}

void UpdateMouseHelp() { UpdateMouseHelp(CurrentViewGroup()); }

void NewView::UpdateMouseMode(unsigned keyFlags, bool force) {
  int bits = 0;
  if (keyFlags & kMouseKeyShift) bits |= kModifierShift;
  if (keyFlags & kMouseKeyControl) bits |= kModifierCtrl;
  if (mWindow && mWindow->IsSpaceDown()) bits |= kModifierSpace;
  if (bits == mGroup->mouse.modifiers && !force) return;
  mGroup->mouse.modifiers = bits;
  UpdateMouseHelp(*mGroup);
  UpdateCursor();
}

int NewView::GetMouseButtonsHeld() { return CurrentViewGroup().mouse.buttons; }

int GetMouseSelectionMode(const ViewGroup& group) { return group.options.mouseSelectionMode; }
int GetMouseSelectionMode() { return GetMouseSelectionMode(CurrentViewGroup()); }
void StoreMouseSelectionMode(ViewGroup& group, int mode) { group.options.mouseSelectionMode = mode; }
void StoreMouseSelectionMode(int mode) { StoreMouseSelectionMode(CurrentViewGroup(), mode); }
bool GetCaptionsShown() { return CurrentViewGroup().options.captionsShown; }
void SetCaptionsShown(bool shown) { CurrentViewGroup().options.captionsShown = shown; }

// ---- Caption window ------------------------------------------------------------------------

void CaptionWnd::DrawCaptionBar(CaptionPainter& painter) {
  NewView* view = mOwner;
  PixelRect rect = view->Buttons().GetCaptionRect();
  bool active = view->GetViewGroup().views.active == view;
  int strip = view->Buttons().GetCaptionLeftStrip();
  if (strip > 0) painter.FillCaptionColor(PixelRect{rect.left, rect.top, rect.left + strip, rect.bottom}, active);
  PixelRect text{rect.left + strip, rect.top, rect.right, rect.bottom};
  if (text.Width() > 0) painter.DrawCaption(text, mText, active, true);
  PixelRect button;
  for (int i = 0; i < view->Buttons().GetNumButtons(); ++i) {
    if (!view->Buttons().GetButtonRect(i, button)) continue;
    bool pushed = view->Buttons().GetPressedButton() == i && view->Buttons().IsPressedLook();
    painter.DrawButton(button, pushed, view->Buttons().GetButton(i).icon);
  }
}

}  // namespace corvia
