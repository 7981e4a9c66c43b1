#pragma once
// The "Font Options" dialog (Edit > Text Options...): the default font of the texts
// in the panes.

#include <string>

#include "platform/DialogFrontEnd.h"

namespace corvia {

class FontOptionsDlg : public platform::DialogValues {
 public:
  static constexpr const char* kName = "FontOptionsDialog";
  const char* DialogName() const override { return kName; }

  // Starts from the default font in use.
  FontOptionsDlg();
  // Runs the dialog; on OK the chosen font becomes the default font and the panes
  // are redrawn. True on OK.
  bool DoModal();

  std::string mDefaultFont;
};

}  // namespace corvia
