#pragma once
// HyperLink: a label of dialogs used two ways. As a link it is blue and underlined
// with a hand pointer, and a click opens its address in the browser (or hands it to
// the owner's function). As a plain label it is drawn in a chosen colour, weight
// and size (headings and warnings, the About box). An owner that sets a blink mode
// and runs a timer of the label makes its text or its background blink.

#include <wx/brush.h>
#include <wx/control.h>
#include <wx/font.h>
#include <wx/timer.h>

#include <string>

namespace corvia {

// Blink modes.
constexpr int kHyperLinkNoBlink = 0;
constexpr int kHyperLinkBlinkText = 1;
constexpr int kHyperLinkBlinkBackground = 2;

// The colour of links.
constexpr unsigned char kHyperLinkBlue[3] = {0, 0, 255};

class HyperLink : public wxControl {
 public:
  // Called with the address instead of opening it.
  using ClickCallback = void (*)(const char* address);

  HyperLink() = default;
  HyperLink(wxWindow* parent, wxWindowID id, const std::string& text, const wxPoint& pos = wxDefaultPosition,
            const wxSize& size = wxDefaultSize, long style = 0);
  bool Create(wxWindow* parent, wxWindowID id, const std::string& text, const wxPoint& pos = wxDefaultPosition,
              const wxSize& size = wxDefaultSize, long style = 0);

  // Takes the place of the parent's item of that id (a label: its rectangle, id,
  // alignment and sizer slot), then makes the link. With no id or parent, makes the
  // link of this label. False when there is no such item.
  bool Attach(int itemId, wxWindow* parent, const char* text, const char* link, ClickCallback callback);
  // Blue, underlined, the hand pointer and clicks on; the link is the text itself
  // when none is given.
  void MakeLink(const char* text, const char* link, ClickCallback callback);

  void SetTextColor(const wxColour& colour);
  const wxColour& GetTextColor() const { return mTextColour; }
  void SetBold(bool on);
  bool IsBold() const { return mBold; }
  void SetUnderline(bool on);
  bool IsUnderlined() const { return mUnderline; }
  // The font's height in pixels.
  int GetFontHeight() const { return mFontHeight; }
  void SetFontHeight(int pixels);
  // Whether the label takes clicks and shows its pointer (a plain label does not).
  void SetNotify(bool on) { mNotify = on; }
  bool IsNotify() const { return mNotify; }
  void SetLink(const char* link) { mLink = link ? link : ""; }
  const std::string& GetLink() const { return mLink; }
  // The address a click opens: the link, or the text when there is none.
  std::string GetAddress() const;

  // Blinking: the mode, with the text shown in the visible phase taken from the
  // label now. Each event of a timer owned by the label steps the phase.
  void SetBlinkMode(int mode);
  int GetBlinkMode() const { return mBlinkMode; }
  int GetBlinkPhase() const { return mBlinkPhase; }
  // The brush the background is painted with now.
  const wxBrush& GetBackgroundBrush() const;

 protected:
  wxSize DoGetBestSize() const override;

 private:
  void RemakeFont();
  void Redraw();
  void OnPaint(wxPaintEvent& event);
  void OnLeftDown(wxMouseEvent& event);
  void OnTimer(wxTimerEvent& event);

  wxColour mTextColour;
  wxBrush mBackground;
  wxBrush mBlinkBackground;
  wxFont mBaseFont;
  wxFont mFont;
  int mFontHeight = 0;
  bool mBold = false;
  bool mUnderline = false;
  std::string mSavedText;
  int mBlinkPhase = 0;
  bool mNotify = false;
  int mBlinkMode = kHyperLinkNoBlink;
  std::string mLink;
  ClickCallback mCallback = nullptr;
};

}  // namespace corvia
