#include "ui/controls/HtmlRichEditCtrl.h"

#include <wx/settings.h>

#include <algorithm>
#include <cmath>

#include "core/Paths.h"
#include "platform/Services.h"

namespace corvia {

namespace detail_HtmlRichEditCtrl {

constexpr long kStyle = wxTE_MULTILINE | wxTE_READONLY | wxTE_RICH2 | wxTE_NOHIDESEL;
// Fonts smaller than this many twips are not made.
constexpr int kMinHeight = kTwipsPerPoint;

wxColour ToColour(uint32_t packed) {
  return wxColour(static_cast<unsigned char>(packed & 0xff), static_cast<unsigned char>((packed >> 8) & 0xff),
                  static_cast<unsigned char>((packed >> 16) & 0xff));
}

uint32_t FromColour(const wxColour& colour) {
  return static_cast<uint32_t>(colour.Red()) | (static_cast<uint32_t>(colour.Green()) << 8) |
         (static_cast<uint32_t>(colour.Blue()) << 16);
}

}  // namespace detail_HtmlRichEditCtrl

HtmlRichEditCtrl::HtmlRichEditCtrl(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size,
                                   long style) {
  Create(parent, id, pos, size, style);
}

bool HtmlRichEditCtrl::Create(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style) {
  if (!wxTextCtrl::Create(parent, id, wxEmptyString, pos, size, style | detail_HtmlRichEditCtrl::kStyle)) return false;
  mHandCursor = wxCursor(wxCURSOR_HAND);
  Bind(wxEVT_MOTION, &HtmlRichEditCtrl::OnMotion, this);
  Bind(wxEVT_LEFT_DOWN, &HtmlRichEditCtrl::OnLeftDown, this);
  return true;
}

void HtmlRichEditCtrl::SetHtml(const char* markup) {
  Clear();
  // Links of the old content would otherwise match characters of the new.
  mLinks.clear();
  AppendHtml(markup);
}

void HtmlRichEditCtrl::AppendHtml(const char* markup) {
  const uint32_t colour = detail_HtmlRichEditCtrl::FromColour(wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOWTEXT));
  RichTextMarkup parsed = ParseRichTextMarkup(markup, colour, GetDefaultHeight(), GetLastPosition());
  if (parsed.runs.empty()) return;
  Freeze();
  for (const RichTextRun& run : parsed.runs) AppendRun(run.text, run.effects, run.colour, run.height);
  Thaw();
  for (RichTextLink& link : parsed.links) mLinks.push_back(std::move(link));
}

void HtmlRichEditCtrl::AppendRun(const std::string& text, unsigned effects, uint32_t colour, int height) {
  SetInsertionPointEnd();
  const long start = GetLastPosition();
  WriteText(wxString::FromUTF8(text.c_str()));
  const long end = GetLastPosition();
  wxFont font = GetFont();
  font.SetWeight(effects & kRichTextBold ? wxFONTWEIGHT_BOLD : wxFONTWEIGHT_NORMAL);
  font.SetStyle(effects & kRichTextItalic ? wxFONTSTYLE_ITALIC : wxFONTSTYLE_NORMAL);
  font.SetUnderlined((effects & kRichTextUnderline) != 0);
  if (height >= 0) {
    font.SetFractionalPointSize(static_cast<double>(std::max(height, detail_HtmlRichEditCtrl::kMinHeight)) /
                                kTwipsPerPoint);
  }
  wxTextAttr attr(detail_HtmlRichEditCtrl::ToColour(colour));
  attr.SetFont(font);
  SetStyle(start, end, attr);
  SetInsertionPointEnd();
}

int HtmlRichEditCtrl::GetDefaultHeight() const {
  return static_cast<int>(std::lround(GetFont().GetFractionalPointSize() * kTwipsPerPoint));
}

const std::string* HtmlRichEditCtrl::GetLinkAt(long position) const {
  for (auto link = mLinks.rbegin(); link != mLinks.rend(); ++link) {
    if (link->end >= 0 && link->start <= position && position < link->end) return &link->target;
  }
  return nullptr;
}

const std::string* HtmlRichEditCtrl::GetLinkAtPoint(const wxPoint& point) const {
  long position = -1;
  const wxTextCtrlHitTestResult hit = HitTest(point, &position);
  if (hit == wxTE_HT_UNKNOWN || hit == wxTE_HT_BEYOND || position < 0) return nullptr;
  return GetLinkAt(position);
}

wxPoint HtmlRichEditCtrl::GetCharacterPoint(long position) const { return PositionToCoords(position); }

void HtmlRichEditCtrl::OnMotion(wxMouseEvent& event) {
  const bool over = GetLinkAtPoint(event.GetPosition()) != nullptr;
  if (over != mOverLink) {
    mOverLink = over;
    SetCursor(over ? mHandCursor : wxNullCursor);
  }
  event.Skip();
}

void HtmlRichEditCtrl::OnLeftDown(wxMouseEvent& event) {
  const std::string* target = GetLinkAtPoint(event.GetPosition());
  if (!target) {
    event.Skip();
    return;
  }
  // The text may have come from the network: only web and mail addresses open.
  if (IsWebAddress(target->c_str())) platform::Services().shell->OpenUrl(*target);
}

}  // namespace corvia
