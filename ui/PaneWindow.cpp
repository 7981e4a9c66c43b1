#include "ui/PaneWindow.h"

#include <wx/dcbuffer.h>
#include <wx/evtloop.h>
#include <wx/frame.h>
#include <wx/glcanvas.h>
#include <wx/scrolbar.h>
#include <wx/settings.h>
#include <wx/timer.h>
#include <wx/utils.h>

#include <cctype>
#include <chrono>
#include <map>

#include "core/Messages.h"
#include "core/Strings.h"
#include "render/CaptionWnd.h"
#include "render/GL.h"
#include "render/GLSection.h"
#include "render/NewView.h"
#include "render/ViewGroup.h"
#include "ui/CommandTable.h"
#include "ui/NewFrame.h"
#include "ui/SharedGLContext.h"

namespace corvia {

namespace detail_PaneWindow {

std::map<int, wxBitmapBundle>& Icons() {
  static std::map<int, wxBitmapBundle> icons;
  return icons;
}

std::map<int, wxCursor>& Cursors() {
  static std::map<int, wxCursor> cursors;
  return cursors;
}

unsigned KeyFlags(const wxMouseState& state) {
  unsigned flags = 0;
  if (state.ShiftDown()) flags |= kMouseKeyShift;
  if (state.ControlDown()) flags |= kMouseKeyControl;
  return flags;
}

ViewKey KeyOf(const wxKeyEvent& event) {
  switch (event.GetKeyCode()) {
    case WXK_SHIFT:
      return ViewKey::Shift;
    case WXK_CONTROL:
      return ViewKey::Control;
    case WXK_SPACE:
      return ViewKey::Space;
    default:
      return ViewKey::Other;
  }
}

// The key as a pane acts on it (NewView::OnPaneKey); 0 for a modifier key alone.
int PaneKeyOf(int code) {
  switch (code) {
    case WXK_LEFT:
    case WXK_NUMPAD_LEFT:
      return kPaneKeyLeft;
    case WXK_RIGHT:
    case WXK_NUMPAD_RIGHT:
      return kPaneKeyRight;
    case WXK_UP:
    case WXK_NUMPAD_UP:
      return kPaneKeyUp;
    case WXK_DOWN:
    case WXK_NUMPAD_DOWN:
      return kPaneKeyDown;
    case WXK_HOME:
    case WXK_NUMPAD_HOME:
      return kPaneKeyHome;
    case WXK_END:
    case WXK_NUMPAD_END:
      return kPaneKeyEnd;
    case WXK_RETURN:
    case WXK_NUMPAD_ENTER:
      return kPaneKeyReturn;
    case WXK_ESCAPE:
      return kPaneKeyEscape;
    case WXK_SHIFT:
    case WXK_CONTROL:
    case WXK_ALT:
      return 0;
    default:
      return code > 0 && code < 0x10000 ? code : 0;
  }
}

// The key as the command table names accelerators (AccelKey or an upper-case
// character); 0 for a key no accelerator can name.
int AccelKeyOf(int code) {
  switch (code) {
    case WXK_LEFT:
    case WXK_NUMPAD_LEFT:
      return kKeyLeft;
    case WXK_RIGHT:
    case WXK_NUMPAD_RIGHT:
      return kKeyRight;
    case WXK_UP:
    case WXK_NUMPAD_UP:
      return kKeyUp;
    case WXK_DOWN:
    case WXK_NUMPAD_DOWN:
      return kKeyDown;
    case WXK_ESCAPE:
      return kKeyEscape;
    case WXK_TAB:
      return kKeyTab;
    default:
      break;
  }
  if (code >= WXK_F1 && code <= WXK_F12) return kKeyF1 + (code - WXK_F1);
  if (code > ' ' && code < 0x7F && std::isalnum(code)) return std::toupper(code);
  return 0;
}

// Runs the command of the key's accelerator through the main window, as the menu item
// would, when its item is enabled. True when the key names a command (run or not), so
// that the window system does not run it a second time.
bool RunAcceleratorOf(const wxKeyEvent& event) {
  int flags = 0;
  if (event.ShiftDown()) flags |= kAccelShift;
  if (event.ControlDown()) flags |= kAccelCtrl;
  if (event.AltDown()) flags |= kAccelAlt;
  const int key = AccelKeyOf(event.GetKeyCode());
  const int command = key ? FindCommandOfKey(flags, key) : 0;
  wxFrame* frame = GetMainFrame();
  if (!command || !frame) return false;
  wxUpdateUIEvent update(ToWxId(command));
  update.SetEventObject(frame);
  frame->ProcessWindowEvent(update);
  if (update.GetSetEnabled() && !update.GetEnabled()) return true;
  wxCommandEvent run(wxEVT_MENU, ToWxId(command));
  run.SetEventObject(frame);
  if (update.GetSetChecked()) run.SetInt(update.GetChecked() ? 0 : 1);
  frame->ProcessWindowEvent(run);
  return true;
}

// A key the pane acts on, else the accelerator of a command.
bool HandleKey(NewView* view, const wxKeyEvent& event) {
  const int key = PaneKeyOf(event.GetKeyCode());
  if (!key) return false;
  int modifiers = 0;
  if (event.ShiftDown()) modifiers |= kModifierShift;
  if (event.ControlDown()) modifiers |= kModifierCtrl;
  if (!event.AltDown() && view->OnPaneKey(key, modifiers)) return true;
  return RunAcceleratorOf(event);
}

wxRect ToWx(const PixelRect& r) { return wxRect(r.left, r.top, r.Width(), r.Height()); }

// The caption strip's painting on a wx device context.
class WxCaptionPainter final : public CaptionPainter {
public:
  explicit WxCaptionPainter(wxDC& dc) : mDC(dc) {}

  static wxColour CaptionColour(bool active) {
    return wxSystemSettings::GetColour(active ? wxSYS_COLOUR_HIGHLIGHT : wxSystemColour(wxSYS_COLOUR_BTNSHADOW));
  }

  void FillCaptionColor(const PixelRect& rect, bool active) override {
    mDC.SetPen(*wxTRANSPARENT_PEN);
    mDC.SetBrush(wxBrush(CaptionColour(active)));
    mDC.DrawRectangle(ToWx(rect));
  }

  void DrawCaption(const PixelRect& rect, const std::string& text, bool active, bool gradient) override {
    const wxColour colour = CaptionColour(active);
    if (gradient) {
      mDC.GradientFillLinear(ToWx(rect), colour, colour.ChangeLightness(active ? 150 : 130), wxEAST);
    } else {
      FillCaptionColor(rect, active);
    }
    mDC.SetFont(wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT).Bold());
    const wxSystemColour ink = active ? wxSYS_COLOUR_HIGHLIGHTTEXT : wxSystemColour(wxSYS_COLOUR_BTNTEXT);
    mDC.SetTextForeground(wxSystemSettings::GetColour(ink));
    const wxString label = wxString::FromUTF8(text);
    const wxSize extent = mDC.GetTextExtent(label);
    mDC.SetClippingRegion(ToWx(rect));
    mDC.DrawText(label, rect.left + 4, rect.top + (rect.Height() - extent.y) / 2);
    mDC.DestroyClippingRegion();
  }

  void DrawButton(const PixelRect& rect, bool pushed, int icon) override {
    // A raised face with a light upper-left and a dark lower-right edge, sunken
    // (the edges swapped) while pushed.
    const wxColour face = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE);
    const wxColour light = face.ChangeLightness(170);
    const wxColour dark = face.ChangeLightness(55);
    mDC.SetPen(*wxTRANSPARENT_PEN);
    mDC.SetBrush(wxBrush(face));
    mDC.DrawRectangle(ToWx(rect));
    const int l = rect.left, t = rect.top, r = rect.right - 1, b = rect.bottom - 1;
    mDC.SetPen(wxPen(pushed ? dark : light));
    mDC.DrawLine(l, b, l, t);
    mDC.DrawLine(l, t, r, t);
    mDC.SetPen(wxPen(pushed ? light : dark));
    mDC.DrawLine(r, t, r, b);
    mDC.DrawLine(r, b, l - 1, b);
    auto found = Icons().find(icon);
    if (icon == 0 || found == Icons().end()) return;
    const wxBitmap bitmap = found->second.GetBitmap(wxSize(12, 11));
    const int inset = pushed ? 3 : 2;
    mDC.DrawBitmap(bitmap, rect.left + inset, rect.top + inset, true);
  }

  void DrawIcon(const PixelRect& rect, int icon) override {
    auto found = Icons().find(icon);
    if (found != Icons().end()) {
      const wxBitmap bitmap = found->second.GetBitmap(wxSize(rect.Width(), rect.Height()));
      mDC.DrawBitmap(bitmap, rect.left, rect.top, true);
      return;
    }
    // No image: a small triangle pointing down, the mark of a menu.
    const int cx = rect.left + rect.Width() / 2;
    const int cy = rect.top + rect.Height() / 2;
    const wxPoint marker[3] = {wxPoint(cx - 4, cy - 2), wxPoint(cx + 4, cy - 2), wxPoint(cx, cy + 3)};
    mDC.SetPen(*wxTRANSPARENT_PEN);
    mDC.SetBrush(wxBrush(wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHTTEXT)));
    mDC.DrawPolygon(3, marker);
  }

private:
  wxDC& mDC;
};

// The title bar above the canvas; its mouse events go to the view.
class CaptionStrip final : public wxWindow {
public:
  explicit CaptionStrip(wxWindow* parent)
      : wxWindow(parent, wxID_ANY, wxDefaultPosition, wxSize(100, kCaptionHeight), wxFULL_REPAINT_ON_RESIZE) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    Bind(wxEVT_PAINT, &CaptionStrip::OnPaint, this);
    Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
      if (mCaption) mCaption->SetSize(event.GetSize().x, event.GetSize().y);
      event.Skip();
    });
    for (auto type : {wxEVT_LEFT_DOWN, wxEVT_LEFT_DCLICK}) Bind(type, [this](wxMouseEvent& e) { Press(e, kMouseButtonLeft); });
    for (auto type : {wxEVT_RIGHT_DOWN, wxEVT_RIGHT_DCLICK}) Bind(type, [this](wxMouseEvent& e) { Press(e, kMouseButtonRight); });
    for (auto type : {wxEVT_MIDDLE_DOWN, wxEVT_MIDDLE_DCLICK}) Bind(type, [this](wxMouseEvent& e) { Press(e, kMouseButtonMiddle); });
    Bind(wxEVT_LEFT_UP, &CaptionStrip::OnLeftUp, this);
    Bind(wxEVT_MOTION, [this](wxMouseEvent& e) {
      if (NewView* view = Owner()) view->OnCaptionMouseMove(e.GetX(), e.GetY());
    });
    Bind(wxEVT_MOUSE_CAPTURE_LOST, [this](wxMouseCaptureLostEvent&) {
      if (NewView* view = Owner()) view->OnCaptionButtonUp(kMouseButtonLeft, -1, -1);
    });
  }

  void SetCaption(CaptionWnd* caption) {
    mCaption = caption;
    if (mCaption) mCaption->SetSize(GetClientSize().x, GetClientSize().y);
    Refresh();
  }

private:
  NewView* Owner() const { return mCaption ? mCaption->GetOwner() : nullptr; }

  void OnPaint(wxPaintEvent&) {
    wxAutoBufferedPaintDC dc(this);
    dc.SetBackground(wxBrush(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE)));
    dc.Clear();
    if (!mCaption) return;
    WxCaptionPainter painter(dc);
    mCaption->DrawCaptionBar(painter);
  }

  void Press(wxMouseEvent& event, int button) {
    NewView* view = Owner();
    if (!view) return;
    if (view->OnCaptionButtonDown(button, event.GetX(), event.GetY()) && !HasCapture()) wxWindow::CaptureMouse();
  }

  void OnLeftUp(wxMouseEvent& event) {
    if (HasCapture()) wxWindow::ReleaseMouse();
    if (NewView* view = Owner()) view->OnCaptionButtonUp(kMouseButtonLeft, event.GetX(), event.GetY());
  }

  CaptionWnd* mCaption = nullptr;
};

double Now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// The GL canvas: paints the view and passes the mouse and keys on.
class PaneCanvas final : public wxGLCanvas {
public:
  PaneCanvas(wxWindow* parent, PaneWindow* pane)
      : wxGLCanvas(parent, PaneCanvasAttributes(), wxID_ANY, wxDefaultPosition, wxDefaultSize,
                   wxWANTS_CHARS | wxFULL_REPAINT_ON_RESIZE),
        mPane(pane) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    Bind(wxEVT_PAINT, &PaneCanvas::OnPaint, this);
    // The loop has turned since the long paint, or since the paint put off.
    mTurn.Bind(wxEVT_TIMER, [this](wxTimerEvent&) {
      if (PanePaintTurns* turns = Turns(); turns && turns->longPaint == this) turns->longPaint = nullptr;
      if (mPutOff) Refresh(false);
      mPutOff = false;
    });
    Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
      if (NewView* view = mPane->GetView()) view->OnSize(GetClientSize().x, GetClientSize().y);
      event.Skip();
    });
    const std::pair<wxEventTypeTag<wxMouseEvent>, int> downs[] = {{wxEVT_LEFT_DOWN, kMouseButtonLeft},
                                                 {wxEVT_MIDDLE_DOWN, kMouseButtonMiddle},
                                                 {wxEVT_RIGHT_DOWN, kMouseButtonRight}};
    for (auto [type, button] : downs) {
      Bind(type, [this, button = button](wxMouseEvent& e) {
        SetFocus();
        if (NewView* view = mPane->GetView()) view->OnButtonDown(button, e.GetX(), e.GetY(), KeyFlags(e));
      });
    }
    const std::pair<wxEventTypeTag<wxMouseEvent>, int> ups[] = {
        {wxEVT_LEFT_UP, kMouseButtonLeft}, {wxEVT_MIDDLE_UP, kMouseButtonMiddle}, {wxEVT_RIGHT_UP, kMouseButtonRight}};
    for (auto [type, button] : ups) {
      Bind(type, [this, button = button](wxMouseEvent& e) {
        if (NewView* view = mPane->GetView()) view->OnButtonUp(button, e.GetX(), e.GetY(), KeyFlags(e));
      });
    }
    const std::pair<wxEventTypeTag<wxMouseEvent>, int> doubles[] = {{wxEVT_LEFT_DCLICK, kMouseButtonLeft},
                                                   {wxEVT_MIDDLE_DCLICK, kMouseButtonMiddle},
                                                   {wxEVT_RIGHT_DCLICK, kMouseButtonRight}};
    for (auto [type, button] : doubles) {
      Bind(type, [this, button = button](wxMouseEvent& e) {
        if (NewView* view = mPane->GetView()) view->OnButtonDoubleClick(button, e.GetX(), e.GetY(), KeyFlags(e));
      });
    }
    Bind(wxEVT_MOTION, [this](wxMouseEvent& e) {
      if (NewView* view = mPane->GetView()) view->OnMouseMove(e.GetX(), e.GetY(), KeyFlags(e));
    });
    Bind(wxEVT_MOUSEWHEEL, [this](wxMouseEvent& e) {
      NewView* view = mPane->GetView();
      NewView* target = view ? view->GetViewGroup().views.underMouse : nullptr;
      if (!target) target = view;
      if (target) target->DoMouseWheel(e.GetWheelRotation());
    });
    Bind(wxEVT_KEY_DOWN, [this](wxKeyEvent& e) {
      NewView* view = mPane->GetView();
      // A key pressed again before it was released repeats (wxGTK leaves the event's
      // own repeat flag unset).
      const bool repeat = e.GetKeyCode() == mKeyHeld;
      mKeyHeld = e.GetKeyCode();
      if (view) view->OnKeyDown(KeyOf(e), repeat);
      // The pane's own keys and the accelerators of the commands are taken here, so
      // that a command's single-key accelerator works while a pane has the focus.
      if (view && detail_PaneWindow::HandleKey(view, e)) return;
      e.Skip();
    });
    Bind(wxEVT_KEY_UP, [this](wxKeyEvent& e) {
      if (e.GetKeyCode() == mKeyHeld) mKeyHeld = 0;
      if (NewView* view = mPane->GetView()) view->OnKeyUp(KeyOf(e));
      e.Skip();
    });
    Bind(wxEVT_KILL_FOCUS, [this](wxFocusEvent& e) {
      mKeyHeld = 0;
      if (NewView* view = mPane->GetView()) view->OnKillFocus();
      e.Skip();
    });
    // Another window took the mouse: the buttons count as released.
    Bind(wxEVT_MOUSE_CAPTURE_LOST, [this](wxMouseCaptureLostEvent&) {
      NewView* view = mPane->GetView();
      if (!view) return;
      for (int button : {kMouseButtonLeft, kMouseButtonMiddle, kMouseButtonRight}) {
        if (view->GetViewGroup().mouse.buttons & button) view->OnButtonUp(button, -1, -1, 0);
      }
    });
  }

  ~PaneCanvas() override {
    if (PanePaintTurns* turns = Turns()) {
      if (turns->longPaint == this) turns->longPaint = nullptr;
      if (turns->putOff == this) turns->putOff = nullptr;
    }
  }

private:
  // The paints of the frame the canvas is in (none in a full-screen pane's own frame).
  PanePaintTurns* Turns() {
    auto* frame = dynamic_cast<NewFrame*>(wxGetTopLevelParent(this));
    return frame ? &frame->GetPanePaintTurns() : nullptr;
  }

  // A paint that follows a long one in its turn, or while another pane put off waits for
  // its paint, is put off to the next turn; the first put off paints first. The same
  // holds inside the progress window's pump, whose yield serves the timers too.
  bool PutOff(PanePaintTurns& turns) {
    const double now = Now();
    // One put off that is not painted (hidden meanwhile) holds no other for long.
    if (turns.putOff && now - turns.putOffAt > kPutOffSeconds) turns.putOff = nullptr;
    if (turns.putOff == this) {
      // Not before the loop has turned: the paint may be asked for again in this turn.
      if (mPutOff) return true;
      turns.putOff = nullptr;
      return false;
    }
    const bool followsLongPaint = turns.longPaint && now - turns.longPaintEnd < kTurnSeconds;
    if (!followsLongPaint && !turns.putOff) return false;
    if (!turns.putOff) {
      turns.putOff = this;
      turns.putOffAt = now;
    }
    return true;
  }

  void OnPaint(wxPaintEvent&) {
    wxPaintDC dc(this);
    NewView* view = mPane->GetView();
    if (!view) return;
    PanePaintTurns* turns = Turns();
    if (turns && PutOff(*turns)) {
      // Painted again at the next turn, by the timer. It starts anew at each put-off of
      // the turn: one started before another pane's long paint of the turn would be due
      // as that paint ends, and this one painted right after it.
      mTurn.StartOnce(1);
      mPutOff = true;
      return;
    }
    mPutOff = false;
    const double start = Now();
    view->OnDraw();
    const double end = Now();
    turns = Turns();
    if (!turns || end - start < turns->longPaintSeconds) return;
    // The timer fires at the next turn of the loop, not within this one.
    turns->longPaint = this;
    turns->longPaintEnd = end;
    mTurn.StartOnce(1);
  }

  // A paint begun this long after a long one ended is taken to be of another turn
  // (should the timer not be served).
  static constexpr double kTurnSeconds = 0.1;
  static constexpr double kPutOffSeconds = 1.0;
  wxTimer mTurn;
  bool mPutOff = false;

  PaneWindow* mPane;
  int mKeyHeld = 0;  // the key last pressed, until it is released
};

}  // namespace detail_PaneWindow

void SetCaptionIcon(int icon, const wxBitmapBundle& image) { detail_PaneWindow::Icons()[icon] = image; }

void SetPaneCursor(int cursor, const wxCursor& image) { detail_PaneWindow::Cursors()[cursor] = image; }

PaneWindow::PaneWindow(wxWindow* parent, std::unique_ptr<NewView> view, wxWindowID id, const wxPoint& position,
                       const wxSize& size)
    : wxWindow(parent, id, position, size, wxCLIP_CHILDREN | wxFULL_REPAINT_ON_RESIZE) {
  mCaption = new detail_PaneWindow::CaptionStrip(this);
  mCaption->Hide();
  mCanvas = new detail_PaneWindow::PaneCanvas(this, this);
  mScrollBars[0] = new wxScrollBar(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxSB_HORIZONTAL);
  mScrollBars[1] = new wxScrollBar(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxSB_VERTICAL);
  for (wxScrollBar* bar : mScrollBars) bar->Hide();
  Bind(wxEVT_SIZE, &PaneWindow::OnContainerSize, this);
  Bind(wxEVT_SCROLL_THUMBTRACK, &PaneWindow::OnScroll, this);
  Bind(wxEVT_SCROLL_CHANGED, &PaneWindow::OnScroll, this);
  Bind(wxEVT_SCROLL_LINEUP, &PaneWindow::OnScroll, this);
  Bind(wxEVT_SCROLL_LINEDOWN, &PaneWindow::OnScroll, this);
  Bind(wxEVT_SCROLL_PAGEUP, &PaneWindow::OnScroll, this);
  Bind(wxEVT_SCROLL_PAGEDOWN, &PaneWindow::OnScroll, this);
  LayoutChildren();
  mView = std::move(view);
  if (mView && !mView->OnCreate(this)) mView.reset();
  LayoutChildren();
}

PaneWindow::~PaneWindow() {
  if (mFullScreenFrame) SetFullScreen(false);
  // A pane that goes while a button is held on it (a layout changed during a drag)
  // lets the mouse go first: its view hears the buttons released, and no window of it
  // keeps the capture.
  if (mCaption->HasCapture()) {
    mCaption->ReleaseMouse();
    if (mView) mView->OnCaptionButtonUp(kMouseButtonLeft, -1, -1);
  }
  if (mCanvas->HasCapture()) {
    for (int button : {kMouseButtonLeft, kMouseButtonMiddle, kMouseButtonRight}) {
      if (mView && (mView->GetViewGroup().mouse.buttons & button)) mView->OnButtonUp(button, -1, -1, 0);
    }
    if (mCanvas->HasCapture()) mCanvas->ReleaseMouse();
  }
  if (mView) {
    mView->OnDestroy();
    mView.reset();
  }
  LeaveSharedGLContext(mCanvas);
}

wxGLCanvas* PaneWindow::GetCanvas() const { return mCanvas; }
wxWindow* PaneWindow::GetCaptionStrip() const { return mCaption; }

void PaneWindow::LayoutChildren() {
  const wxSize size = wxWindow::GetClientSize();
  const int top = mCaption->IsShown() ? kCaptionHeight : 0;
  // A scroll bar shorter than the toolkit's smallest one (its arrows and slider)
  // cannot be laid out: a pane too small for it goes without.
  for (int vertical = 0; vertical < 2; ++vertical) {
    wxScrollBar* bar = mScrollBars[vertical];
    if (!bar->IsShown()) continue;
    const wxSize least = bar->GetBestSize();
    const int length = vertical ? size.y - top : size.x;
    const int across = vertical ? size.x : size.y - top;
    if (length < (vertical ? least.y : least.x) + ScrollBarSize(!vertical) || across < 2 * ScrollBarSize(vertical))
      bar->Hide();
  }
  const int barW = mScrollBars[1]->IsShown() ? ScrollBarSize(true) : 0;
  const int barH = mScrollBars[0]->IsShown() ? ScrollBarSize(false) : 0;
  mCaption->SetSize(0, 0, std::max(size.x, 1), kCaptionHeight);
  const int width = std::max(size.x - barW, 1);
  const int height = std::max(size.y - top - barH, 1);
  mCanvas->SetSize(0, top, width, height);
  // Hidden bars keep their size: the toolkit lays out only what is shown.
  if (barW > 0) mScrollBars[1]->SetSize(width, top, barW, height);
  if (barH > 0) mScrollBars[0]->SetSize(0, top + height, width, barH);
}

void PaneWindow::OnContainerSize(wxSizeEvent& event) {
  LayoutChildren();
  event.Skip();
}

void PaneWindow::OnScroll(wxScrollEvent& event) {
  const bool vertical = event.GetOrientation() == wxVERTICAL;
  if (mView) mView->OnScrollBar(vertical, mScrollBars[vertical]->GetThumbPosition());
}

// ---- ViewWindow ----------------------------------------------------------------------------

bool PaneWindow::MakeCurrent() {
  wxGLContext* context = GetSharedGLContext();
  if (!mHasContext || !context || !mCanvas->IsShownOnScreen()) return false;
  if (!mCanvas->SetCurrent(*context)) return false;
  // Drawing goes to the window, not to an off-screen image left bound.
  if (GetGLAbilities().framebufferObjects) glBindFramebuffer(GL_FRAMEBUFFER, 0);
  return true;
}

// The context stays current on the canvas until another takes it: GLX through wx
// has no call to let it go, and nothing needs it let go.
void PaneWindow::ReleaseCurrent() {}

void PaneWindow::SwapBuffers() { mCanvas->SwapBuffers(); }

const void* PaneWindow::ContextKey() const { return GetSharedGLContext(); }

void PaneWindow::GetClientSize(int& width, int& height) const {
  const wxSize size = mCanvas->GetClientSize();
  width = size.x;
  height = size.y;
}

bool PaneWindow::CreateContext() {
  if (!IsPaneDisplaySupported()) {
    ShowError("ChoosePixelFormat failed");
    return false;
  }
  mHasContext = AcquireSharedGLContext(mCanvas) != nullptr;
  return mHasContext;
}

void PaneWindow::Refresh() { mCanvas->Refresh(false); }

void PaneWindow::Update() { mCanvas->Update(); }

void PaneWindow::ShowCaption(CaptionWnd* caption) {
  mCaption->SetCaption(caption);
  const bool show = caption != nullptr;
  if (show != mCaption->IsShown()) {
    mCaption->Show(show);
    LayoutChildren();
  }
}

void PaneWindow::RefreshCaption(bool now) {
  mCaption->Refresh(false);
  if (now) mCaption->Update();
}

void PaneWindow::SetTitle(const std::string& title) { SetLabel(wxString::FromUTF8(EscapeNonUtf8(title))); }

void PaneWindow::CaptureMouse() {
  if (!mCanvas->HasCapture()) mCanvas->CaptureMouse();
}

void PaneWindow::ReleaseMouse() {
  if (mCanvas->HasCapture()) mCanvas->ReleaseMouse();
}

void PaneWindow::SetCursor(int cursor) {
  auto found = detail_PaneWindow::Cursors().find(cursor);
  mCanvas->SetCursor(cursor == kArrowCursor || found == detail_PaneWindow::Cursors().end() ? wxCursor(wxCURSOR_ARROW)
                                                                                            : found->second);
}

bool PaneWindow::IsSpaceDown() const { return wxGetKeyState(WXK_SPACE); }

void PaneWindow::TakeKeyboardFocus() {
  if (mCanvas) mCanvas->SetFocus();
}

void PaneWindow::RaiseMainWindow() {
  if (wxWindow* top = wxGetTopLevelParent(this)) top->Raise();
}

void PaneWindow::SetCaptionTip(const std::string& tip) {
  if (tip.empty()) {
    mCaption->UnsetToolTip();
  } else {
    mCaption->SetToolTip(wxString::FromUTF8(tip));
  }
}

void PaneWindow::SetScrollBar(bool vertical, int position, int range, int page) {
  wxScrollBar* bar = mScrollBars[vertical];
  const bool show = range > page && page > 0;
  if (show) bar->SetScrollbar(position, page, range, page);
  // A bar shown or hidden resizes the canvas, and a flat view's content grows and
  // shrinks with its height: asked again while the canvas takes its new size, the bars
  // would chase each other without end. They stay as they are until the next resize.
  if (show == bar->IsShown() || mTogglingBar) return;
  mTogglingBar = true;
  bar->Show(show);
  LayoutChildren();
  mTogglingBar = false;
}

bool PaneWindow::HasScrollBar(bool vertical) const { return mScrollBars[vertical]->IsShown(); }

int PaneWindow::ScrollBarSize(bool vertical) const {
  const int size = wxSystemSettings::GetMetric(vertical ? wxSYS_VSCROLL_X : wxSYS_HSCROLL_Y, this);
  return size > 0 ? size : 16;
}

bool PaneWindow::SetFullScreen(bool on) {
  if (on == (mFullScreenFrame != nullptr)) return true;
  if (on) {
    mSavedParent = GetParent();
    mSavedRect = GetRect();
    mFullScreenFrame = new wxFrame(wxGetTopLevelParent(this), wxID_ANY, GetLabel());
    mFullScreenFrame->Bind(wxEVT_CLOSE_WINDOW, &PaneWindow::OnFullScreenClose, this);
    Reparent(mFullScreenFrame);
    mFullScreenFrame->ShowFullScreen(true);
    mFullScreenFrame->Show();
    SetSize(mFullScreenFrame->GetClientSize());
    return true;
  }
  wxFrame* frame = mFullScreenFrame;
  mFullScreenFrame = nullptr;
  Reparent(mSavedParent);
  SetSize(mSavedRect);
  if (mSavedParent) mSavedParent->Layout();
  frame->Unbind(wxEVT_CLOSE_WINDOW, &PaneWindow::OnFullScreenClose, this);
  frame->Destroy();
  return true;
}

void PaneWindow::OnFullScreenClose(wxCloseEvent& event) {
  // Closing the full-screen window brings the pane back, never destroys it.
  event.Veto();
  if (mView) mView->SetFullScreen(false);
}

}  // namespace corvia
