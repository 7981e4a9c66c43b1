#pragma once
// Combo boxes that draw their own items. OwnerDrawCombo: items of up to three texts
// drawn in three columns in fixed colours, an optional background colour per item,
// and (with the filter) a list that narrows to the items beginning with what is
// typed, completing the first of them. FontCombo: the installed font faces, each
// drawn in its own face.

#include <wx/odcombo.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "ui/controls/ControlColours.h"

namespace corvia {

// One item of an OwnerDrawCombo.
struct ComboItem {
  std::string mText1, mText2, mText3;
  uint32_t mData = kNoItemColour;  // the background colour, or none
};

// Automatic sizes: set at each drop-down from the items.
constexpr int kComboAutoSize = -1;

class OwnerDrawCombo : public wxOwnerDrawnComboBox {
 public:
  OwnerDrawCombo() = default;
  // A read-only combo, or an editable one with the filter.
  OwnerDrawCombo(wxWindow* parent, wxWindowID id, bool filter, const wxPoint& pos = wxDefaultPosition,
                 const wxSize& size = wxDefaultSize);
  bool Create(wxWindow* parent, wxWindowID id, bool filter, const wxPoint& pos = wxDefaultPosition,
              const wxSize& size = wxDefaultSize);
  // Takes the place of the dialog item with that id (its rectangle, id and sizer
  // slot) and configures itself; false when there is no such item.
  bool Attach(int itemId, wxWindow* parent, bool filter, int secondOffset, int thirdWidth, int droppedWidth);
  // The second column starts at secondOffset, the third at secondOffset +
  // thirdWidth; a negative size is set at each drop-down; a dropped width of 0 or
  // more is set at once.
  void Configure(bool filter, int secondOffset, int thirdWidth, int droppedWidth);

  // Adds an item: the text is split at its first tab into the first text and the
  // rest, the rest at its first tab into the second and third. Returns its row.
  int AddItem(const char* text, uint32_t data = kNoItemColour);
  void ResetContent();
  int GetItemCount() const { return static_cast<int>(mItems.size()); }
  const ComboItem* GetComboItem(int index) const;
  // The item of the shown list's selection (of row 0 when none is selected); -1
  // when the list is empty.
  int GetSelectedItem() const;
  // The data word of an item, of the selected one for a negative index; none for an
  // index that names no item.
  uint32_t GetItem(int index) const;
  // Remembers the item as the selected one and selects its row.
  void SetCurSel(int index);
  // The items shown now, by item index (the filter narrows them).
  const std::vector<int>& GetShownItems() const { return mIndexMap; }
  int GetSecondOffset() const { return mSecondOffset; }
  int GetThirdOffset() const { return mThirdOffset; }

  // What a drop-down and typed text do to the list (public so that the toolbars
  // and tests can run them).
  void SizeColumns();
  void FilterTyped();

  // Colours of the three texts and of highlighted text.
  static const uint32_t kFirstTextColour;
  static const uint32_t kSecondTextColour;
  static const uint32_t kThirdTextColour;

 protected:
  void OnDrawItem(wxDC& dc, const wxRect& rect, int item, int flags) const override;
  void OnDrawBackground(wxDC& dc, const wxRect& rect, int item, int flags) const override;
  wxCoord OnMeasureItem(size_t item) const override;

 private:
  void Bindings();
  void ShowAll();
  void OnDropDown(wxCommandEvent& event);
  void OnSelected(wxCommandEvent& event);
  void OnText(wxCommandEvent& event);
  void OnSetFocus(wxFocusEvent& event);
  void OnKillFocus(wxFocusEvent& event);

  std::vector<ComboItem> mItems;
  std::vector<int> mIndexMap;
  size_t mFilteredLength = 0;
  int mSecondOffset = 0;
  int mThirdOffset = 0;
  int mSelectedItem = 0;
  bool mFilter = false;
  bool mAutoSecond = true;
  bool mAutoThird = true;
  bool mAutoDropped = true;
  bool mChanging = false;
  wxFont mFont;
};

class FontCombo : public wxOwnerDrawnComboBox {
 public:
  FontCombo() = default;
  FontCombo(wxWindow* parent, wxWindowID id, const wxPoint& pos = wxDefaultPosition,
            const wxSize& size = wxDefaultSize);
  bool Create(wxWindow* parent, wxWindowID id, const wxPoint& pos = wxDefaultPosition,
              const wxSize& size = wxDefaultSize);
  // Lists the installed faces (only TrueType ones with the flag), then selects the
  // remembered one.
  void Fill();
  // Remembers the face and selects its row; nothing is selected when there is none.
  void SelectFont(const std::string& face);
  const std::string& GetFontName() const { return mFace; }
  void SetTrueTypeOnly(bool on) { mTrueTypeOnly = on; }

 protected:
  void OnDrawItem(wxDC& dc, const wxRect& rect, int item, int flags) const override;
  void OnDrawBackground(wxDC& dc, const wxRect& rect, int item, int flags) const override;
  wxCoord OnMeasureItem(size_t item) const override;

 private:
  const wxFont& FaceFont(const wxString& face) const;

  std::string mFace;
  bool mTrueTypeOnly = false;
  mutable std::map<wxString, wxFont> mFonts;
};

// The font faces installed: all, or only the TrueType ones; sorted, each once.
std::vector<std::string> GetInstalledFontFaces(bool trueTypeOnly);

}  // namespace corvia
