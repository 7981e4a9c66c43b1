// The window of "Font Options": the installed font families to choose from, or a
// family typed by name.

#include <wx/combobox.h>
#include <wx/fontenum.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include "dialogs/DialogBase.h"
#include "dialogs/DialogWindows.h"
#include "dialogs/FontOptionsDlg.h"
#include "render/FontFiles.h"

namespace corvia {

namespace detail_FontOptionsWindow {

class FontOptionsWindow : public CorviaDialog {
 public:
  explicit FontOptionsWindow(FontOptionsDlg& values)
      : CorviaDialog(nullptr, "Font Options", FontOptionsDlg::kName), mValues(values) {
    wxArrayString families = wxFontEnumerator::GetFacenames();
    families.Sort();
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(new wxStaticText(this, wxID_ANY, "Default font:"), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, FromDIP(8));
    mFont = new wxComboBox(this, wxID_ANY, "", wxDefaultPosition, FromDIP(wxSize(240, -1)), families, 0,
                           wxDefaultValidator, "defaultFont");
    row->Add(mFont, 1);
    FinishLayout(row);
  }

  bool TransferDataToWindow() override {
    mFont->SetValue(wxString::FromUTF8(mValues.mDefaultFont));
    return true;
  }

  bool TransferDataFromWindow() override {
    const std::string name = mFont->GetValue().Trim().Trim(false).utf8_string();
    std::string path;
    // Only a font that opens can be the default: the panes would show no text.
    if (name.empty() || !ResolveFontPath(path, name.c_str(), nullptr)) {
      mFont->SetFocus();
      return RefuseField("The font \"%s\" is not installed.", name.c_str());
    }
    mValues.mDefaultFont = name;
    return true;
  }

 private:
  FontOptionsDlg& mValues;
  wxComboBox* mFont;
};

}  // namespace detail_FontOptionsWindow

bool RunFontOptionsWindow(FontOptionsDlg& values) {
  return RunWindowOnCopy<detail_FontOptionsWindow::FontOptionsWindow>(values);
}

}  // namespace corvia
