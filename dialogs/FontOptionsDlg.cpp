#include "dialogs/FontOptionsDlg.h"

#include "platform/Services.h"
#include "render/GLFont.h"

namespace corvia {

FontOptionsDlg::FontOptionsDlg() {
  const char* name = GetDefaultFontName();
  mDefaultFont = name ? name : "";
}

bool FontOptionsDlg::DoModal() {
  FontOptionsDlg answer = *this;
  if (!platform::Services().dialogs->RunDialog(answer) || answer.mDefaultFont.empty()) return false;
  mDefaultFont = answer.mDefaultFont;
  SetDefaultFontName(mDefaultFont.c_str());
  platform::Services().views->RedrawAllViews(false);
  return true;
}

}  // namespace corvia
