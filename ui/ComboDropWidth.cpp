#include "ui/ComboDropWidth.h"

#include <dlfcn.h>
#include <wx/combobox.h>
#include <wx/display.h>
#include <wx/settings.h>

#include <algorithm>

namespace corvia {

int SetComboDropWidth(wxComboBox* combo) {
  if (!combo) return 0;
  int widest = 1;
  for (unsigned i = 0; i < combo->GetCount(); ++i) {
    widest = std::max(widest, combo->GetTextExtent(combo->GetString(i)).GetWidth());
  }
  int width = widest + 5 + wxSystemSettings::GetMetric(wxSYS_VSCROLL_X, combo) +
              2 * std::max(0, wxSystemSettings::GetMetric(wxSYS_EDGE_X, combo));
  // A combo not yet on the screen has no place there: the screen's width bounds it.
  const wxPoint left = combo->IsShownOnScreen() ? combo->GetScreenPosition() : wxPoint(0, 0);
  int display = wxDisplay::GetFromWindow(combo);
  if (display == wxNOT_FOUND) display = 0;
  if (display < static_cast<int>(wxDisplay::GetCount())) {
    const wxRect screen = wxDisplay(static_cast<unsigned>(display)).GetGeometry();
    width = std::max(1, std::min(width, screen.GetRight() + 1 - left.x));
  }
  // GTK sizes the drop list itself; by default no wider than the combo. Let it
  // grow to its rows when they need more room. GTK is in the process already (wx
  // runs on it), so its function is looked up rather than linked.
  if (width > combo->GetSize().GetWidth()) {
    using SetFixedWidth = void (*)(void*, int);
    static auto setFixed = reinterpret_cast<SetFixedWidth>(dlsym(RTLD_DEFAULT, "gtk_combo_box_set_popup_fixed_width"));
    if (setFixed && combo->GetHandle()) setFixed(combo->GetHandle(), 0);
  }
  return width;
}

}  // namespace corvia
