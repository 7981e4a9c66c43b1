#include "ui/controls/OwnerDrawCombo.h"

#include <fontconfig/fontconfig.h>
#include <wx/dcclient.h>
#include <wx/display.h>
#include <wx/fontenum.h>
#include <wx/settings.h>
#include <wx/sizer.h>

#include <algorithm>
#include <set>

#include "core/Strings.h"

namespace corvia {

const uint32_t OwnerDrawCombo::kFirstTextColour = 0xff0000;  // blue
const uint32_t OwnerDrawCombo::kSecondTextColour = 0xc48000;
const uint32_t OwnerDrawCombo::kThirdTextColour = 0x008000;  // green

namespace detail_OwnerDrawCombo {

// The items' font: "Arial", 15 pixels high, semi-bold.
constexpr int kFontPixels = 15;
// Texts stand this far below the item's top, the first this far from its left.
constexpr int kTextTop = 1;
constexpr int kFirstTextLeft = 2;
// The frame of a highlighted coloured item.
constexpr int kFrameWidth = 2;
// The size of the font each face is shown in.
constexpr int kFacePoints = 11;

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
  return prefix.empty() || corvia::StartsWithNoCase(text.c_str(), prefix.c_str()) == 0;
}

}  // namespace detail_OwnerDrawCombo

// ---- OwnerDrawCombo -------------------------------------------------------------------------

OwnerDrawCombo::OwnerDrawCombo(wxWindow* parent, wxWindowID id, bool filter, const wxPoint& pos, const wxSize& size) {
  Create(parent, id, filter, pos, size);
}

bool OwnerDrawCombo::Create(wxWindow* parent, wxWindowID id, bool filter, const wxPoint& pos, const wxSize& size) {
  if (!wxOwnerDrawnComboBox::Create(parent, id, wxEmptyString, pos, size, 0, nullptr, filter ? 0 : wxCB_READONLY))
    return false;
  Configure(filter, kComboAutoSize, kComboAutoSize, kComboAutoSize);
  Bindings();
  return true;
}

bool OwnerDrawCombo::Attach(int itemId, wxWindow* parent, bool filter, int secondOffset, int thirdWidth,
                            int droppedWidth) {
  wxWindow* item = parent ? parent->FindWindow(itemId) : nullptr;
  if (!item || item == this) return false;
  wxWindow* itemParent = item->GetParent();
  wxSizer* sizer = item->GetContainingSizer();
  if (!Create(itemParent, itemId, filter, item->GetPosition(), item->GetSize())) return false;
  if (sizer) sizer->Replace(item, this, true);
  item->Destroy();
  Configure(filter, secondOffset, thirdWidth, droppedWidth);
  if (sizer) itemParent->Layout();
  return true;
}

void OwnerDrawCombo::Configure(bool filter, int secondOffset, int thirdWidth, int droppedWidth) {
  mFilter = filter;
  mAutoSecond = secondOffset < 0;
  mAutoThird = thirdWidth < 0;
  mAutoDropped = droppedWidth < 0;
  mSecondOffset = std::max(0, secondOffset);
  mThirdOffset = mSecondOffset + std::max(0, thirdWidth);
  if (droppedWidth >= 0) SetPopupMinWidth(droppedWidth);
  mFont =
      wxFont(wxFontInfo(wxSize(0, detail_OwnerDrawCombo::kFontPixels)).FaceName("Arial").Weight(wxFONTWEIGHT_SEMIBOLD));
}

void OwnerDrawCombo::Bindings() {
  Bind(wxEVT_COMBOBOX_DROPDOWN, &OwnerDrawCombo::OnDropDown, this);
  Bind(wxEVT_COMBOBOX, &OwnerDrawCombo::OnSelected, this);
  Bind(wxEVT_TEXT, &OwnerDrawCombo::OnText, this);
  Bind(wxEVT_SET_FOCUS, &OwnerDrawCombo::OnSetFocus, this);
  Bind(wxEVT_KILL_FOCUS, &OwnerDrawCombo::OnKillFocus, this);
}

int OwnerDrawCombo::AddItem(const char* text, uint32_t data) {
  ComboItem item;
  const std::string whole = text ? text : "";
  const size_t tab = whole.find('\t');
  item.mText1 = whole.substr(0, tab);
  if (tab != std::string::npos) {
    const std::string rest = whole.substr(tab + 1);
    const size_t second = rest.find('\t');
    item.mText2 = rest.substr(0, second);
    if (second != std::string::npos) item.mText3 = rest.substr(second + 1);
  }
  item.mData = data;
  const int index = GetItemCount();
  mItems.push_back(item);
  mIndexMap.push_back(index);
  mChanging = true;
  const int row = Append(wxString::FromUTF8(item.mText1));
  mChanging = false;
  return row;
}

void OwnerDrawCombo::ResetContent() {
  mItems.clear();
  mIndexMap.clear();
  mSelectedItem = 0;
  mChanging = true;
  Clear();
  mChanging = false;
}

const ComboItem* OwnerDrawCombo::GetComboItem(int index) const {
  return index >= 0 && index < GetItemCount() ? &mItems[static_cast<size_t>(index)] : nullptr;
}

int OwnerDrawCombo::GetSelectedItem() const {
  if (mIndexMap.empty()) return -1;
  const int row = GetSelection();
  return mIndexMap[static_cast<size_t>(row >= 0 && row < static_cast<int>(mIndexMap.size()) ? row : 0)];
}

uint32_t OwnerDrawCombo::GetItem(int index) const {
  if (index < 0) index = GetSelectedItem();
  const ComboItem* item = GetComboItem(index);
  return item ? item->mData : kNoItemColour;
}

void OwnerDrawCombo::SetCurSel(int index) {
  mSelectedItem = index;
  mChanging = true;
  const auto row = std::find(mIndexMap.begin(), mIndexMap.end(), index);
  SetSelection(row == mIndexMap.end() ? wxNOT_FOUND : static_cast<int>(row - mIndexMap.begin()));
  mChanging = false;
}

void OwnerDrawCombo::ShowAll() {
  mChanging = true;
  const wxString typed = mFilter ? GetValue() : wxString();
  Clear();
  mIndexMap.clear();
  for (int i = 0; i < GetItemCount(); ++i) {
    mIndexMap.push_back(i);
    Append(wxString::FromUTF8(mItems[static_cast<size_t>(i)].mText1));
  }
  if (mFilter) ChangeValue(typed);
  mChanging = false;
}

void OwnerDrawCombo::SizeColumns() {
  wxClientDC dc(this);
  dc.SetFont(mFont);
  int m1 = GetItemCount() == 0 ? 1 : 0, m2 = 0, m3 = 0;
  bool moreTexts = false;
  for (const ComboItem& item : mItems) {
    m1 = std::max(m1, dc.GetTextExtent(wxString::FromUTF8(item.mText1)).x);
    m2 = std::max(m2, dc.GetTextExtent(wxString::FromUTF8(item.mText2)).x);
    m3 = std::max(m3, dc.GetTextExtent(wxString::FromUTF8(item.mText3)).x);
    moreTexts = moreTexts || !item.mText2.empty() || !item.mText3.empty();
  }
  const int v = std::max(0, wxSystemSettings::GetMetric(wxSYS_VSCROLL_X, this));
  const int edge = std::max(0, wxSystemSettings::GetMetric(wxSYS_EDGE_X, this));
  if (mAutoSecond)
    mSecondOffset = v + m1;
  else
    m1 = mSecondOffset - v;
  if (mAutoThird)
    mThirdOffset = m2 + 2 * v + m1;
  else
    m2 = mThirdOffset - 2 * v - m1;
  if (mAutoDropped) {
    int width = m1 + m2 + m3 + 5 + v + 2 * edge + (moreTexts ? v : 0);
    // No further than the screen's right edge from the combo's left.
    const int display = wxDisplay::GetFromWindow(this);
    const wxRect screen = wxDisplay(display == wxNOT_FOUND ? 0u : static_cast<unsigned>(display)).GetGeometry();
    width = std::min(width, screen.GetRight() + 1 - GetScreenPosition().x);
    SetPopupMinWidth(std::max(width, 1));
  }
}

void OwnerDrawCombo::FilterTyped() {
  using detail_OwnerDrawCombo::StartsWithNoCase;
  if (!mFilter || mChanging) return;
  const wxString typedWide = GetValue();
  const std::string typed = typedWide.utf8_string();
  const size_t length = typedWide.length();
  mChanging = true;
  // A shorter text (a character deleted) starts again from every item.
  const bool refilled = length <= mFilteredLength || length == 0;
  if (refilled) {
    Clear();
    mIndexMap.clear();
    for (int i = 0; i < GetItemCount(); ++i) {
      if (!StartsWithNoCase(mItems[static_cast<size_t>(i)].mText1, typed)) continue;
      mIndexMap.push_back(i);
      Append(wxString::FromUTF8(mItems[static_cast<size_t>(i)].mText1));
    }
  }
  mFilteredLength = length;
  // Keep only the rows that begin with the text.
  for (int row = static_cast<int>(mIndexMap.size()) - 1; row >= 0; --row) {
    if (StartsWithNoCase(mItems[static_cast<size_t>(mIndexMap[static_cast<size_t>(row)])].mText1, typed)) continue;
    Delete(static_cast<unsigned>(row));
    mIndexMap.erase(mIndexMap.begin() + row);
  }
  if (!mIndexMap.empty() && !refilled) {
    // The first match completes the text; what it adds stays selected.
    SetSelection(0);
    ChangeValue(wxString::FromUTF8(mItems[static_cast<size_t>(mIndexMap[0])].mText1));
    SetSelection(static_cast<long>(length), -1);
  } else {
    ChangeValue(typedWide);
    SetInsertionPointEnd();
  }
  mChanging = false;
}

void OwnerDrawCombo::OnDropDown(wxCommandEvent& event) {
  SizeColumns();
  event.Skip();
}

void OwnerDrawCombo::OnSelected(wxCommandEvent& event) {
  if (!mChanging) {
    mSelectedItem = GetSelectedItem();
    if (mFilter && static_cast<int>(mIndexMap.size()) != GetItemCount()) {
      ShowAll();
      SetCurSel(mSelectedItem);
    }
    mFilteredLength = 0;
  }
  event.Skip();
}

void OwnerDrawCombo::OnText(wxCommandEvent& event) {
  const bool typed = mFilter && !mChanging;
  FilterTyped();
  // The list shows what is left.
  if (typed && IsShownOnScreen() && !IsPopupShown()) Popup();
  event.Skip();
}

void OwnerDrawCombo::OnSetFocus(wxFocusEvent& event) {
  if (mFilter) {
    ShowAll();
    if (GetItemCount() > 0) {
      SetCurSel(mSelectedItem);
      SelectAll();
    }
  }
  mFilteredLength = 0;
  event.Skip();
}

void OwnerDrawCombo::OnKillFocus(wxFocusEvent& event) {
  event.Skip();
  if (!mIndexMap.empty() && GetSelection() >= 0) mSelectedItem = GetSelectedItem();
}

wxCoord OwnerDrawCombo::OnMeasureItem(size_t /*item*/) const {
  wxClientDC dc(const_cast<OwnerDrawCombo*>(this));
  dc.SetFont(mFont);
  return dc.GetCharHeight() + 2;
}

void OwnerDrawCombo::OnDrawBackground(wxDC& /*dc*/, const wxRect& /*rect*/, int /*item*/, int /*flags*/) const {
  // The item's drawing fills its own background.
}

void OwnerDrawCombo::OnDrawItem(wxDC& dc, const wxRect& rect, int row, int flags) const {
  using namespace detail_OwnerDrawCombo;
  if (row < 0 || row >= static_cast<int>(mIndexMap.size())) return;
  const ComboItem* item = GetComboItem(mIndexMap[static_cast<size_t>(row)]);
  if (!item) return;
  dc.SetFont(mFont);
  const bool highlighted = (flags & wxODCB_PAINTING_SELECTED) != 0;
  wxColour first;
  dc.SetPen(*wxTRANSPARENT_PEN);
  if (item->mData == kNoItemColour) {
    dc.SetBrush(wxBrush(wxSystemSettings::GetColour(highlighted ? wxSYS_COLOUR_HIGHLIGHT : wxSYS_COLOUR_WINDOW)));
    dc.DrawRectangle(rect);
    first = highlighted ? wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHTTEXT) : ToWxColour(kFirstTextColour);
  } else {
    dc.SetBrush(wxBrush(ToWxColour(item->mData)));
    dc.DrawRectangle(rect);
    // White on dark colours, black on light ones; highlighted, a frame of yellow on
    // dark colours or of blue on light ones, with the text in it.
    const int g = ItemColourSum(item->mData) <= 382 ? 255 : 0;
    if (!highlighted) {
      first = wxColour(g, g, g);
    } else {
      first = wxColour(g, g, 255 - g);
      dc.SetPen(wxPen(first, kFrameWidth));
      dc.SetBrush(*wxTRANSPARENT_BRUSH);
      dc.DrawRectangle(wxRect(rect).Deflate(kFrameWidth / 2));
    }
  }
  // In the list the texts stand at the item's top; in the closed combo, which is taller
  // than an item, in its middle.
  const int top =
      (flags & wxODCB_PAINTING_CONTROL) ? rect.y + (rect.height - dc.GetCharHeight()) / 2 : rect.y + kTextTop;
  dc.SetTextForeground(first);
  dc.DrawText(wxString::FromUTF8(item->mText1), rect.x + kFirstTextLeft, top);
  if (!item->mText2.empty()) {
    dc.SetTextForeground(ToWxColour(kSecondTextColour));
    dc.DrawText(wxString::FromUTF8(item->mText2), rect.x + mSecondOffset, top);
  }
  if (!item->mText3.empty()) {
    dc.SetTextForeground(ToWxColour(kThirdTextColour));
    dc.DrawText(wxString::FromUTF8(item->mText3), rect.x + mThirdOffset, top);
  }
}

// ---- FontCombo ------------------------------------------------------------------------------

std::vector<std::string> GetInstalledFontFaces(bool trueTypeOnly) {
  std::set<std::string> faces;
  if (!trueTypeOnly) {
    for (const wxString& face : wxFontEnumerator::GetFacenames()) faces.insert(face.utf8_string());
  } else if (FcInit()) {
    FcPattern* pattern = FcPatternCreate();
    FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, FC_FONTFORMAT, nullptr);
    if (FcFontSet* set = FcFontList(nullptr, pattern, objects)) {
      for (int i = 0; i < set->nfont; ++i) {
        FcChar8* format = nullptr;
        FcChar8* family = nullptr;
        if (FcPatternGetString(set->fonts[i], FC_FONTFORMAT, 0, &format) != FcResultMatch ||
            FcPatternGetString(set->fonts[i], FC_FAMILY, 0, &family) != FcResultMatch)
          continue;
        if (std::string(reinterpret_cast<const char*>(format)) == "TrueType")
          faces.insert(reinterpret_cast<const char*>(family));
      }
      FcFontSetDestroy(set);
    }
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
  }
  return std::vector<std::string>(faces.begin(), faces.end());
}

FontCombo::FontCombo(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size) {
  Create(parent, id, pos, size);
}

bool FontCombo::Create(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size) {
  if (!wxOwnerDrawnComboBox::Create(parent, id, wxEmptyString, pos, size, 0, nullptr, wxCB_READONLY | wxCB_SORT))
    return false;
  Bind(wxEVT_COMBOBOX, [this](wxCommandEvent& event) {
    if (GetSelection() >= 0) mFace = GetString(static_cast<unsigned>(GetSelection())).utf8_string();
    event.Skip();
  });
  return true;
}

void FontCombo::Fill() {
  Clear();
  for (const std::string& face : GetInstalledFontFaces(mTrueTypeOnly)) Append(wxString::FromUTF8(face));
  SelectFont(mFace);
}

void FontCombo::SelectFont(const std::string& face) {
  mFace = face;
  SetSelection(FindString(wxString::FromUTF8(face), true));
}

const wxFont& FontCombo::FaceFont(const wxString& face) const {
  auto found = mFonts.find(face);
  if (found == mFonts.end())
    found = mFonts.emplace(face, wxFont(wxFontInfo(detail_OwnerDrawCombo::kFacePoints).FaceName(face))).first;
  return found->second;
}

wxCoord FontCombo::OnMeasureItem(size_t item) const {
  wxClientDC dc(const_cast<FontCombo*>(this));
  dc.SetFont(FaceFont(GetString(static_cast<unsigned>(item))));
  return dc.GetCharHeight() + 2;
}

void FontCombo::OnDrawBackground(wxDC& /*dc*/, const wxRect& /*rect*/, int /*item*/, int /*flags*/) const {}

void FontCombo::OnDrawItem(wxDC& dc, const wxRect& rect, int item, int flags) const {
  if (item < 0 || item >= static_cast<int>(GetCount())) return;
  const bool selected = (flags & wxODCB_PAINTING_SELECTED) != 0;
  const wxColour back = wxSystemSettings::GetColour(selected ? wxSYS_COLOUR_HIGHLIGHT : wxSYS_COLOUR_WINDOW);
  dc.SetPen(wxPen(back));
  dc.SetBrush(wxBrush(back));
  dc.DrawRectangle(rect);
  const wxString face = GetString(static_cast<unsigned>(item));
  dc.SetFont(FaceFont(face));
  dc.SetTextForeground(wxSystemSettings::GetColour(selected ? wxSYS_COLOUR_HIGHLIGHTTEXT : wxSYS_COLOUR_WINDOWTEXT));
  dc.DrawText(face, rect.x, rect.y);
}

}  // namespace corvia
