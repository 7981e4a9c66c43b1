#pragma once
// NewView: the base of every pane. What every pane needs whatever it draws: a
// caption strip with caption buttons, a place in the one ordered list of views,
// deferred redraw flags, a one-line message, a background colour, full-screen
// display, printing flags, and the mouse buttons and modifier keys that the mouse
// modes of the derived views read.
//
// A NewView is logic without a window: the window that shows it (ViewWindow)
// forwards its size, paint, mouse and key events to the On... handlers below, and
// the view asks the window for repaints, capture, cursors and scroll bars.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "render/ViewArea.h"

namespace corvia {

class CaptionWnd;
class ViewWindow;
struct ViewGroup;

// Redraw flags.
constexpr uint32_t kRedrawClient = 0x1;       // the drawing area needs painting
constexpr uint32_t kRedrawCaption = 0x2;      // the caption strip needs painting
constexpr uint32_t kRedrawKeepMessage = 0x4;  // the message survives the next paint

// The held-buttons word.
constexpr int kMouseButtonLeft = 0x1;
constexpr int kMouseButtonMiddle = 0x2;
constexpr int kMouseButtonRight = 0x4;

// The modifier-keys word.
constexpr int kModifierShift = 0x1;
constexpr int kModifierCtrl = 0x2;
constexpr int kModifierSpace = 0x4;

// Key state that mouse events carry.
constexpr unsigned kMouseKeyShift = 0x4;
constexpr unsigned kMouseKeyControl = 0x8;

// Keys the views track.
enum class ViewKey { Other, Shift, Control, Space };

// Keys a pane acts on by itself (NewView::OnPaneKey): these named keys, or the
// character of any other key (upper case for a letter).
constexpr int kPaneKeyLeft = 0x10000;
constexpr int kPaneKeyRight = 0x10001;
constexpr int kPaneKeyUp = 0x10002;
constexpr int kPaneKeyDown = 0x10003;
constexpr int kPaneKeyHome = 0x10004;
constexpr int kPaneKeyEnd = 0x10005;
constexpr int kPaneKeyReturn = 0x10006;
constexpr int kPaneKeyEscape = 0x10007;

// Caption strip and its buttons, in pixels.
constexpr int kCaptionHeight = 20;
constexpr int kCaptionButtonWidth = 16;
constexpr int kCaptionButtonHeight = 15;
constexpr int kCaptionButtonGap = 2;
// Caption button flag: leave 2 extra pixels before the next button to the left.
constexpr unsigned kCaptionButtonSpaced = 0x1;

// Size of the message buffer, terminator included.
constexpr size_t kViewMessageSize = 1024;

struct PixelRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
  bool operator==(const PixelRect&) const = default;
};

struct CaptionButton {
  int command = -1;
  int icon = 0;  // 0: none
  unsigned flags = 0;
};

class NewView;

// The buttons of a view's caption strip (right to left from the strip's right end),
// the one held pressed and whether it looks pressed (the mouse over it), and the width
// of the strip's left part that the pane draws itself.
class CaptionButtons {
 public:
  explicit CaptionButtons(const NewView& view) : mView(view) {}
  CaptionButtons(const CaptionButtons&) = delete;
  CaptionButtons& operator=(const CaptionButtons&) = delete;

  // Replaces the buttons by n empty records.
  void SetNumButtons(int n);
  int GetNumButtons() const { return static_cast<int>(mButtons.size()); }
  const CaptionButton& GetButton(int i) const { return mButtons[i]; }
  // Fills record i; an index outside the buttons is an internal error.
  void DefineButton(int i, int command, int icon, unsigned flags);
  void SetCaptionLeftStrip(int pixels) { mCaptionLeftStrip = pixels; }
  int GetCaptionLeftStrip() const { return mCaptionLeftStrip; }
  // The title bar in caption coordinates; its buttons, right to left.
  PixelRect GetCaptionRect() const;
  bool GetButtonRect(int i, PixelRect& rect) const;
  // The button at a caption point, or -1.
  int HitCaptionButton(int x, int y) const;
  int GetPressedButton() const { return mPressedButton; }
  bool IsPressedLook() const { return mPressedLook; }

 private:
  // The view's caption events press and release the buttons.
  friend class NewView;

  const NewView& mView;
  int mCaptionLeftStrip = 0;
  std::vector<CaptionButton> mButtons;
  int mPressedButton = -1;
  bool mPressedLook = false;
};

class NewView {
public:
  NewView();
  virtual ~NewView();
  NewView(const NewView&) = delete;
  NewView& operator=(const NewView&) = delete;

  // ---- Virtual operations of every pane ----------------------------------------

  // The caption window of the pane (the document's pane class makes its own kind).
  virtual CaptionWnd* CreateCaptionWnd();
  virtual void SetFullScreen(bool on);
  // A caption button was clicked; true when handled. A plain pane handles none.
  virtual bool OnCaptionButton(int index, int command, int argument);
  virtual void SetViewIndex(int index);
  virtual void Activate(bool alsoFrame);
  // Cursor of the current mouse mode (kArrowCursor here).
  virtual int GetCursor();
  // Help texts of the left, the right and both buttons ("-" here).
  virtual void GetMouseButtonHelp(std::string& left, std::string& right, std::string& both);
  virtual void DoMouseWheel(int delta);
  // Paints the pane. A plain pane draws nothing; it only steps the running throws.
  virtual void OnDraw();
  // Printing brackets: the flag is set from preparation to the end.
  virtual bool OnPreparePrinting();
  virtual void OnEndPrinting();

  // ---- Events from the window ----------------------------------------------------

  // The window now shows the view; false fails the window's creation.
  virtual bool OnCreate(ViewWindow* window);
  // The window is going; the view forgets it.
  virtual void OnDestroy();
  // Size of the drawing area.
  virtual void OnSize(int width, int height);
  // button: kMouseButtonLeft, kMouseButtonMiddle or kMouseButtonRight.
  virtual void OnButtonDown(int button, int x, int y, unsigned keyFlags);
  virtual void OnButtonUp(int button, int x, int y, unsigned keyFlags);
  virtual void OnButtonDoubleClick(int button, int x, int y, unsigned keyFlags);
  virtual void OnMouseMove(int x, int y, unsigned keyFlags);
  virtual void OnKeyDown(ViewKey key, bool repeat);
  // A key pressed while the pane has the focus, with the modifier bits (kModifierShift,
  // kModifierCtrl) held; true when the pane acted on it, false to let the key reach
  // the program's commands. A plain pane acts on none.
  virtual bool OnPaneKey(int key, int modifiers);
  virtual void OnKeyUp(ViewKey key);
  virtual void OnKillFocus();
  // A scroll bar was moved to the position (in the units of SetScrollSizes).
  virtual void OnScrollBar(bool vertical, int position);
  // The tooltip of the caption at a point of the strip: what the button or the
  // control there does; empty where there is none (a plain pane names none).
  virtual std::string GetCaptionTip(int x, int y) const;

  // Caption strip events, in caption coordinates. A left press returns whether the
  // strip should capture the mouse (a button was hit).
  bool OnCaptionButtonDown(int button, int x, int y);
  void OnCaptionButtonUp(int button, int x, int y);
  void OnCaptionMouseMove(int x, int y);

  // ---- Redraws --------------------------------------------------------------------

  // Marks the drawing area for painting and asks the window for a paint. With
  // keepMessage the message survives it; without, the message is cleared unless a
  // kept one is still waiting to be shown.
  void Invalidate(bool keepMessage);
  void InvalidateCaption();
  // Paints at once what is marked.
  void UpdateNow();
  uint32_t GetRedrawFlags() const { return mRedrawFlags; }
  // The derived view's drawing clears kRedrawClient and kRedrawKeepMessage.
  void ClearRedrawFlags(uint32_t bits) { mRedrawFlags &= ~bits; }
  void SetRedrawFlags(uint32_t flags) { mRedrawFlags = flags; }

  // ---- Message, title, background --------------------------------------------------

  // Formats the message of a view (nothing for a null view; a null format or a blank
  // text clears it).
  static void SetMessage(NewView* view, const char* format, ...) __attribute__((format(printf, 2, 3)));
  void ClearMessage();
  // The message, or null when none.
  const char* GetMessage() const { return mMessage ? mMessage->c_str() : nullptr; }
  void SetTitle(const std::string& text);
  const std::string& GetTitle() const { return mTitle; }
  void SetBackgroundColor(float r, float g, float b);
  void SetBackgroundColor(const float* rgb) { SetBackgroundColor(rgb[0], rgb[1], rgb[2]); }
  const float* GetBackgroundColor() const { return mBackgroundColor; }

  // ---- The list of views -------------------------------------------------------------

  int GetIndex() const { return mIndex; }
  NewView* GetNext() const { return mNext; }
  NewView* GetPrevious() const { return mPrevious; }
  // Moves the view to position i: in front of the view that holds i now, or to the
  // end when none does; the others are renumbered.
  void SetIndex(int i);
  // Unlinks the view and renumbers the views behind it.
  void RemoveFromViewList();
  // The views of the installed frame (GetPaneFrame), and the ones it singles out.
  static NewView* GetFirstView();
  static NewView* GetLastView();
  static NewView* GetActiveView();
  static NewView* GetViewUnderMouse();

  // ---- Caption strip and buttons -------------------------------------------------

  CaptionWnd* GetCaptionWnd() const { return mCaptionWnd.get(); }
  // The buttons of the caption strip, the one pressed, and the strip's left part.
  CaptionButtons& Buttons() { return mCaptionButtons; }
  const CaptionButtons& Buttons() const { return mCaptionButtons; }

  // ---- Sizes and scrolling -----------------------------------------------------------

  int GetClientWidth() const { return mArea.width; }
  int GetClientHeight() const { return mArea.height; }
  // The drawing area's size and kind, which the parts of a view hold.
  const ViewArea& Area() const { return mArea; }
  // The height for drawing: the client height, at least 1.
  int GetViewHeight() const;
  // The scroll totals; the scroll bars show them when the scroll-bar flag is set.
  void SetScrollSizes(int width, int height);
  int GetScrollWidth() const { return mScrollWidth; }
  int GetScrollHeight() const { return mScrollHeight; }
  // Positions of the scroll bars, clamped to the totals less the client size.
  void SetScrollPos(int x, int y);
  // While held, the totals and positions change but the window's bars stay as they
  // are; returns whether they were held before.
  bool HoldScrollBars(bool hold) {
    const bool was = mScrollBarsHeld;
    mScrollBarsHeld = hold;
    return was;
  }

  // ---- Cursor and mouse help -------------------------------------------------------

  void SetViewCursor(int cursor);
  // Applies the cursor of the view under the mouse to this view.
  void UpdateCursor();
  // Reads Shift and Ctrl from the event's key flags and Space from the keyboard;
  // on a change (or when forced) updates the mouse help and the cursor.
  void UpdateMouseMode(unsigned keyFlags, bool force);

  // ---- State ---------------------------------------------------------------------------

  ViewWindow* GetWindow() const { return mWindow; }
  // What the view shares with the other panes of its frame; it joined the group of
  // the frame installed when it was made.
  ViewGroup& GetViewGroup() const { return *mGroup; }
  // The same, held: for what belongs to the view and may outlive it (its throws).
  const std::shared_ptr<ViewGroup>& ShareViewGroup() const { return mGroup; }
  bool IsPrinting() const { return mPrinting; }
  bool IsFullScreen() const { return mFullScreen; }

  // The buttons held over the installed frame's panes (idle time asks).
  static int GetMouseButtonsHeld();

protected:
  // Sets the drawing size without the side effects of OnSize (off-screen rendering
  // gives the view the bitmap's size for the duration).
  void SetClientSizeOnly(int width, int height) {
    mArea.width = width;
    mArea.height = height;
  }
  void MakeViewUnderMouse();

  ViewWindow* mWindow = nullptr;
  std::unique_ptr<CaptionWnd> mCaptionWnd;
  ViewArea mArea;
  int mScrollWidth = 0;
  int mScrollHeight = 0;
  int mScrollBarX = 0;
  int mScrollBarY = 0;
  bool mScrollBarsHeld = false;
  bool mPrinting = false;
  bool mSavedCaptionState = true;
  uint32_t mRedrawFlags = 0;
  bool mFullScreen = false;
  float mBackgroundColor[3] = {0.5f, 0.5f, 0.5f};

private:
  void LinkAtEnd();

  std::shared_ptr<ViewGroup> mGroup;
  void RedrawPressedButton();

  NewView* mNext = nullptr;
  NewView* mPrevious = nullptr;
  int mIndex = -1;
  std::unique_ptr<std::string> mMessage;
  std::string mTitle = "View";
  CaptionButtons mCaptionButtons{*this};
  std::string mCaptionTip;
};

// Marks every view of a frame for redraw (and its caption); nothing is painted until
// UpdateAllViewsNow or the window system paints. Without a group: the installed
// frame's, as are the calls below that take none.
void RedrawAllViews(ViewGroup& group, bool captionsToo, bool keepMessage);
void RedrawAllViews(bool captionsToo, bool keepMessage);
// Paints every marked view at once (idle time).
void UpdateAllViewsNow();
void ClearAllViewMessages();
NewView* FindViewByIndex(const ViewGroup& group, int i);
NewView* FindViewByIndex(int i);
void SetDefaultBackgroundColor(float r, float g, float b);
const float* GetDefaultBackgroundColor();
void SetAllViewsBackgroundColor(const float* rgb);
// Leaves full screen, if a view is shown so.
void ExitFullScreen(ViewGroup& group);
void ExitFullScreen();
// Passes the help texts of the frame's view under the mouse to that frame's status bar.
void UpdateMouseHelp(ViewGroup& group);
void UpdateMouseHelp();

// The mouse selection mode of a frame's panes (0: selecting faces and vertices), as
// the program's change of mode stores it; the drawing follows its view's group's.
int GetMouseSelectionMode(const ViewGroup& group);
int GetMouseSelectionMode();
void StoreMouseSelectionMode(ViewGroup& group, int mode);
void StoreMouseSelectionMode(int mode);
// Whether captions are shown (all views); a change repaints nothing by itself.
bool GetCaptionsShown();
void SetCaptionsShown(bool shown);

}  // namespace corvia
