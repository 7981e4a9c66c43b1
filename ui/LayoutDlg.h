#pragma once
// The "Choose Layout" dialog: one of the main window's eleven pane layouts. Its
// window belongs to the dialogs.

#include "platform/DialogFrontEnd.h"
#include "ui/Layouts.h"

namespace corvia {

class LayoutDlg : public platform::DialogValues {
 public:
  static constexpr const char* kName = "LayoutDialog";
  static constexpr int kNumChoices = kNumLayouts;
  const char* DialogName() const override { return kName; }

  explicit LayoutDlg(int layout = 0) : mLayout(layout) {}
  // Runs the dialog; true when the user chose (mLayout then holds the choice, 0 to
  // 10).
  bool DoModal();

  int mLayout;
};

}  // namespace corvia
