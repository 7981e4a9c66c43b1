#include "platform/wx/WxColourChooser.h"

#include <wx/cmndata.h>
#include <wx/colordlg.h>
#include <wx/colour.h>

#include <algorithm>

#include "platform/wx/WxOwner.h"

namespace corvia::platform {

namespace detail_WxColourChooser {

wxColourDialog* gOpen = nullptr;

unsigned char Byte(int value) {
  return static_cast<unsigned char>(std::clamp(value, 0, 255));
}

}  // namespace detail_WxColourChooser

wxColourDialog* OpenColourDialog() {
  return detail_WxColourChooser::gOpen;
}

bool WxChooseColour(int* rgbBytes) {
  namespace d = detail_WxColourChooser;
  wxColourData data;
  data.SetChooseFull(true);
  data.SetColour(wxColour(d::Byte(rgbBytes[0]), d::Byte(rgbBytes[1]), d::Byte(rgbBytes[2])));
  wxColourDialog dialog(DialogOwner(), &data);
  d::gOpen = &dialog;
  const int answer = dialog.ShowModal();
  d::gOpen = nullptr;
  if (answer != wxID_OK) return false;
  const wxColour chosen = dialog.GetColourData().GetColour();
  if (!chosen.IsOk()) return false;
  rgbBytes[0] = chosen.Red();
  rgbBytes[1] = chosen.Green();
  rgbBytes[2] = chosen.Blue();
  return true;
}

}  // namespace corvia::platform
