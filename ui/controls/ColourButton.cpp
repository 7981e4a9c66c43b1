#include "ui/controls/ColourButton.h"

#include <wx/dcbuffer.h>
#include <wx/renderer.h>
#include <wx/settings.h>

#include "ui/controls/ControlColours.h"

namespace corvia {

namespace detail_ColourButton {

// The text drawn is at most this long.
constexpr size_t kMaxText = 512;
// The focus rectangle stands this far inside the button.
constexpr int kFocusInset = 4;
const wxColour kEmbossGrey(0x80, 0x80, 0x80);

uint32_t Sys(wxSystemColour which) {
  return FromWxColour(wxSystemSettings::GetColour(which));
}

// Two one-pixel rings: the outer in (topLeft, bottomRight), the inner likewise.
void DrawEdge(wxDC& dc, wxRect r, uint32_t outerTopLeft, uint32_t outerBottomRight, uint32_t innerTopLeft,
              uint32_t innerBottomRight) {
  auto ring = [&](const wxRect& q, uint32_t topLeft, uint32_t bottomRight) {
    dc.SetPen(wxPen(ToWxColour(topLeft)));
    dc.DrawLine(q.GetLeft(), q.GetBottom(), q.GetLeft(), q.GetTop());
    dc.DrawLine(q.GetLeft(), q.GetTop(), q.GetRight(), q.GetTop());
    dc.SetPen(wxPen(ToWxColour(bottomRight)));
    dc.DrawLine(q.GetRight(), q.GetTop(), q.GetRight(), q.GetBottom());
    dc.DrawLine(q.GetRight(), q.GetBottom(), q.GetLeft() - 1, q.GetBottom());
  };
  ring(r, outerTopLeft, outerBottomRight);
  r.Deflate(1);
  ring(r, innerTopLeft, innerBottomRight);
}

}  // namespace detail_ColourButton

ColourButton::ColourButton(wxWindow* parent, wxWindowID id, const wxString& label, const wxPoint& pos,
                           const wxSize& size, long style) {
  Create(parent, id, label, pos, size, style);
}

bool ColourButton::Create(wxWindow* parent, wxWindowID id, const wxString& label, const wxPoint& pos,
                          const wxSize& size, long style) {
  using detail_ColourButton::Sys;
  if (!wxControl::Create(parent, id, pos, size, wxBORDER_NONE | wxWANTS_CHARS)) return false;
  mButtonStyle = style;
  SetLabel(label);
  mTextColour = Sys(wxSYS_COLOUR_BTNTEXT);
  mFaceColour = mDisabledFaceColour = Sys(wxSYS_COLOUR_BTNFACE);
  mLight = Sys(wxSYS_COLOUR_3DLIGHT);
  mHighlight = Sys(wxSYS_COLOUR_BTNHIGHLIGHT);
  mShadow = Sys(wxSYS_COLOUR_BTNSHADOW);
  mDarkShadow = Sys(wxSYS_COLOUR_3DDKSHADOW);
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  Bind(wxEVT_PAINT, &ColourButton::OnPaint, this);
  Bind(wxEVT_LEFT_DOWN, &ColourButton::OnLeftDown, this);
  Bind(wxEVT_LEFT_DCLICK, &ColourButton::OnLeftDown, this);
  Bind(wxEVT_LEFT_UP, &ColourButton::OnLeftUp, this);
  Bind(wxEVT_MOTION, &ColourButton::OnMotion, this);
  Bind(wxEVT_KEY_DOWN, &ColourButton::OnKey, this);
  Bind(wxEVT_MOUSE_CAPTURE_LOST, [this](wxMouseCaptureLostEvent&) {
    mTracking = mPressed = false;
    Refresh();
  });
  auto refresh = [this](wxFocusEvent& e) {
    Refresh();
    e.Skip();
  };
  Bind(wxEVT_SET_FOCUS, refresh);
  Bind(wxEVT_KILL_FOCUS, refresh);
  return true;
}

void ColourButton::SetColour(uint32_t colour) {
  mFaceColour = colour & 0xffffff;
  mDisabledFaceColour = detail_ColourButton::Sys(wxSYS_COLOUR_BTNFACE);
  mTextColour = ContrastTextColour(mFaceColour);
  Refresh();
}

void ColourButton::SetColours(uint32_t text, uint32_t face, uint32_t disabledFace) {
  mTextColour = text;
  mFaceColour = face;
  mDisabledFaceColour = disabledFace;
  Refresh();
}

void ColourButton::SetDefaultButton(bool on) {
  mDefault = on;
  Refresh();
}

wxSize ColourButton::DoGetBestSize() const {
  wxClientDC dc(const_cast<ColourButton*>(this));
  dc.SetFont(GetFont());
  const wxSize text = dc.GetMultiLineTextExtent(GetLabel());
  return wxSize(std::max(75, text.x + 16), std::max(25, text.y + 10));
}

void ColourButton::OnPaint(wxPaintEvent&) {
  using namespace detail_ColourButton;
  wxAutoBufferedPaintDC dc(this);
  const wxRect item = GetClientRect();
  const bool enabled = IsEnabled();
  const bool focused = HasFocus();
  dc.SetPen(*wxTRANSPARENT_PEN);
  dc.SetBrush(wxBrush(ToWxColour(enabled ? mFaceColour : mDisabledFaceColour)));
  dc.DrawRectangle(item);

  wxRect edge = item;
  if (mPressed) {
    DrawEdge(dc, edge, mDarkShadow, mDarkShadow, mShadow, mShadow);
  } else {
    if (focused || mDefault) {
      dc.SetPen(*wxBLACK_PEN);
      dc.SetBrush(*wxTRANSPARENT_BRUSH);
      dc.DrawRectangle(edge);
      edge.Deflate(1);
    }
    DrawEdge(dc, edge, mHighlight, mDarkShadow, mLight, mShadow);
  }

  wxString text = GetLabel();
  if (text.length() > kMaxText) text.Truncate(kMaxText);
  wxRect area = item;
  area.Offset(-1, 1);
  if (mPressed) area.Offset(1, 1);
  dc.SetFont(GetFont());
  const bool multiLine = (mButtonStyle & kColourButtonMultiLine) != 0;
  auto draw = [&](const wxRect& r, const wxColour& colour) {
    dc.SetTextForeground(colour);
    if (multiLine) {
      wxString wrapped;
      wxString line;
      for (const wxString& word : wxSplit(text, ' ')) {
        const wxString candidate = line.empty() ? word : line + " " + word;
        if (!line.empty() && dc.GetTextExtent(candidate).x > r.width - 8) {
          wrapped += line + "\n";
          line = word;
        } else {
          line = candidate;
        }
      }
      wrapped += line;
      dc.DrawLabel(wrapped, r, wxALIGN_CENTER);
    } else {
      dc.DrawLabel(text, r, wxALIGN_CENTER);
    }
  };
  if (!enabled) {
    wxRect shifted = area;
    shifted.Offset(1, 1);
    draw(shifted, *wxWHITE);
    draw(area, kEmbossGrey);
  } else {
    draw(area, ToWxColour(mTextColour));
  }
  if (focused) wxRendererNative::Get().DrawFocusRect(this, dc, wxRect(item).Deflate(kFocusInset));
}

void ColourButton::OnLeftDown(wxMouseEvent&) {
  if (!IsEnabled()) return;
  SetFocus();
  mTracking = mPressed = true;
  if (!HasCapture()) CaptureMouse();
  Refresh();
}

void ColourButton::OnMotion(wxMouseEvent& event) {
  if (!mTracking) return;
  const bool inside = GetClientRect().Contains(event.GetPosition());
  if (inside != mPressed) {
    mPressed = inside;
    Refresh();
  }
}

void ColourButton::OnLeftUp(wxMouseEvent& event) {
  if (!mTracking) return;
  mTracking = false;
  if (HasCapture()) ReleaseMouse();
  const bool inside = GetClientRect().Contains(event.GetPosition());
  mPressed = false;
  Refresh();
  if (inside) Click();
}

void ColourButton::OnKey(wxKeyEvent& event) {
  const int key = event.GetKeyCode();
  if (key == WXK_SPACE || key == WXK_RETURN || key == WXK_NUMPAD_ENTER) {
    Click();
    return;
  }
  if (key == WXK_TAB) {
    Navigate(event.ShiftDown() ? wxNavigationKeyEvent::IsBackward : wxNavigationKeyEvent::IsForward);
    return;
  }
  event.Skip();
}

void ColourButton::Click() {
  if (!IsEnabled()) return;
  wxCommandEvent event(wxEVT_BUTTON, GetId());
  event.SetEventObject(this);
  ProcessWindowEvent(event);
}

}  // namespace corvia
