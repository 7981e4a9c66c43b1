#include "ui/controls/HyperLink.h"

#include <wx/dcclient.h>
#include <wx/settings.h>
#include <wx/stattext.h>
#include <wx/timer.h>

#include <algorithm>
#include <cmath>

#include "core/Paths.h"
#include "platform/Services.h"
#include "ui/controls/DialogItemPlace.h"

namespace corvia {

namespace detail_HyperLink {

// Points per inch, to turn the GUI font's size into pixels.
constexpr double kPointsPerInch = 72.0;
// Room around the text in the label's best size.
constexpr int kMargin = 2;
// The label styles kept from the item it replaces.
constexpr long kAlignmentStyles = wxALIGN_CENTRE_HORIZONTAL | wxALIGN_RIGHT | wxST_NO_AUTORESIZE;

}  // namespace detail_HyperLink

HyperLink::HyperLink(wxWindow* parent, wxWindowID id, const std::string& text, const wxPoint& pos, const wxSize& size,
                     long style) {
  Create(parent, id, text, pos, size, style);
}

bool HyperLink::Create(wxWindow* parent, wxWindowID id, const std::string& text, const wxPoint& pos,
                       const wxSize& size, long style) {
  if (!wxControl::Create(parent, id, pos, size, style | wxBORDER_NONE, wxDefaultValidator, "HyperLink")) return false;
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  mTextColour = wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOWTEXT);
  // The face of the dialog it stands on.
  mBackground = wxBrush(parent ? parent->GetBackgroundColour() : wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE));
  mBlinkBackground = mBackground;
  mBaseFont = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
  mFontHeight = mBaseFont.GetPixelSize().y;
  if (mFontHeight <= 0) {
    mFontHeight = static_cast<int>(
        std::lround(mBaseFont.GetFractionalPointSize() * GetDPI().y / detail_HyperLink::kPointsPerInch));
  }
  RemakeFont();
  SetLabel(wxString::FromUTF8(text.c_str()));
  Bind(wxEVT_PAINT, &HyperLink::OnPaint, this);
  Bind(wxEVT_LEFT_DOWN, &HyperLink::OnLeftDown, this);
  Bind(wxEVT_TIMER, &HyperLink::OnTimer, this);
  if (size == wxDefaultSize) SetInitialSize(DoGetBestSize());
  return true;
}

bool HyperLink::Attach(int itemId, wxWindow* parent, const char* text, const char* link, ClickCallback callback) {
  if (itemId != wxID_ANY && parent) {
    const DialogItemPlace place = FindDialogItemPlace(parent, itemId);
    if (!place.item) return false;
    const long style = place.item->GetWindowStyleFlag() & detail_HyperLink::kAlignmentStyles;
    const std::string label = place.item->GetLabel().utf8_string();
    if (!Create(place.parent, place.id, label, place.rect.GetPosition(), place.rect.GetSize(), style)) return false;
    ReplaceDialogItem(place, this);
  }
  MakeLink(text, link, callback);
  return true;
}

void HyperLink::MakeLink(const char* text, const char* link, ClickCallback callback) {
  mNotify = true;
  if (text) SetLabel(wxString::FromUTF8(text));
  mLink = link && *link ? link : GetLabel().utf8_string();
  mCallback = callback;
  mTextColour = wxColour(kHyperLinkBlue[0], kHyperLinkBlue[1], kHyperLinkBlue[2]);
  mUnderline = true;
  RemakeFont();
  SetCursor(wxCursor(wxCURSOR_HAND));
  Redraw();
}

void HyperLink::SetTextColor(const wxColour& colour) {
  mTextColour = colour;
  Redraw();
}

void HyperLink::SetBold(bool on) {
  mBold = on;
  RemakeFont();
  Redraw();
}

void HyperLink::SetUnderline(bool on) {
  mUnderline = on;
  RemakeFont();
  Redraw();
}

void HyperLink::SetFontHeight(int pixels) {
  mFontHeight = std::max(pixels, 1);
  RemakeFont();
  Redraw();
}

std::string HyperLink::GetAddress() const { return mLink.empty() ? GetLabel().utf8_string() : mLink; }

void HyperLink::SetBlinkMode(int mode) {
  mBlinkMode = mode;
  mBlinkPhase = 0;
  mSavedText = GetLabel().utf8_string();
}

const wxBrush& HyperLink::GetBackgroundBrush() const {
  return mBlinkMode == kHyperLinkBlinkBackground && mBlinkPhase == 0 ? mBlinkBackground : mBackground;
}

wxSize HyperLink::DoGetBestSize() const {
  wxClientDC dc(const_cast<HyperLink*>(this));
  dc.SetFont(mFont.IsOk() ? mFont : GetFont());
  wxCoord width = 0, height = 0;
  dc.GetMultiLineTextExtent(GetLabel(), &width, &height);
  return wxSize(width + 2 * detail_HyperLink::kMargin, height + 2 * detail_HyperLink::kMargin);
}

void HyperLink::RemakeFont() {
  mFont = mBaseFont;
  mFont.SetWeight(mBold ? wxFONTWEIGHT_BOLD : wxFONTWEIGHT_NORMAL);
  mFont.SetUnderlined(mUnderline);
  mFont.SetPixelSize(wxSize(0, mFontHeight));
  SetFont(mFont);
  if (!HasFlag(wxST_NO_AUTORESIZE)) SetInitialSize(DoGetBestSize());
}

void HyperLink::Redraw() {
  Refresh(true);
  Update();
}

void HyperLink::OnPaint(wxPaintEvent&) {
  wxPaintDC dc(this);
  const wxSize size = GetClientSize();
  dc.SetBrush(GetBackgroundBrush());
  dc.SetPen(*wxTRANSPARENT_PEN);
  dc.DrawRectangle(0, 0, size.x, size.y);
  dc.SetFont(mFont);
  dc.SetTextForeground(mTextColour);
  dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
  int alignment = wxALIGN_TOP;
  if (HasFlag(wxALIGN_CENTRE_HORIZONTAL)) {
    alignment |= wxALIGN_CENTRE_HORIZONTAL;
  } else if (HasFlag(wxALIGN_RIGHT)) {
    alignment |= wxALIGN_RIGHT;
  }
  dc.DrawLabel(GetLabel(), wxRect(size).Deflate(detail_HyperLink::kMargin), alignment);
}

void HyperLink::OnLeftDown(wxMouseEvent& event) {
  event.Skip();
  if (!mNotify) return;
  const std::string address = GetAddress();
  if (mCallback) {
    mCallback(address.c_str());
  } else if (IsWebAddress(address.c_str())) {
    // A failure is not reported: the desktop shows its own.
    platform::Services().shell->OpenUrl(address);
  } else {
    platform::Services().shell->OpenFile(address);
  }
}

void HyperLink::OnTimer(wxTimerEvent& event) {
  mBlinkPhase = 1 - mBlinkPhase;
  if (mBlinkMode == kHyperLinkBlinkText) {
    SetLabel(mBlinkPhase == 1 ? wxString() : wxString::FromUTF8(mSavedText.c_str()));
    Refresh();
  } else if (mBlinkMode == kHyperLinkBlinkBackground) {
    Redraw();
  }
  event.Skip();
}

}  // namespace corvia
