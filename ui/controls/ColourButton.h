#pragma once
// A push button drawn as a colour swatch: its face shows the colour and its text is
// black or white, whichever stands out on it. It sends wxEVT_BUTTON like any button.

#include <wx/control.h>

#include <cstdint>

namespace corvia {

// The text wraps over several lines.
constexpr long kColourButtonMultiLine = 0x0001;

class ColourButton : public wxControl {
 public:
  ColourButton() = default;
  ColourButton(wxWindow* parent, wxWindowID id, const wxString& label, const wxPoint& pos = wxDefaultPosition,
               const wxSize& size = wxDefaultSize, long style = 0);
  bool Create(wxWindow* parent, wxWindowID id, const wxString& label, const wxPoint& pos = wxDefaultPosition,
              const wxSize& size = wxDefaultSize, long style = 0);

  // The face takes the colour (0x00BBGGRR), the disabled face the system's button
  // face, and the text white or black by the colour.
  void SetColour(uint32_t colour);
  void SetColours(uint32_t text, uint32_t face, uint32_t disabledFace);
  uint32_t GetTextColour() const { return mTextColour; }
  uint32_t GetFaceColour() const { return mFaceColour; }
  uint32_t GetDisabledFaceColour() const { return mDisabledFaceColour; }
  bool IsPressed() const { return mPressed; }
  // The button as a default button of its dialog (drawn with a black ring).
  void SetDefaultButton(bool on);

 protected:
  wxSize DoGetBestSize() const override;
  bool AcceptsFocus() const override { return true; }

 private:
  void OnPaint(wxPaintEvent& event);
  void OnLeftDown(wxMouseEvent& event);
  void OnLeftUp(wxMouseEvent& event);
  void OnMotion(wxMouseEvent& event);
  void OnKey(wxKeyEvent& event);
  void Click();

  uint32_t mTextColour = 0;
  uint32_t mFaceColour = 0;
  uint32_t mDisabledFaceColour = 0;
  uint32_t mLight = 0, mHighlight = 0, mShadow = 0, mDarkShadow = 0;
  long mButtonStyle = 0;
  bool mPressed = false;
  bool mTracking = false;
  bool mDefault = false;
};

}  // namespace corvia
