#include "ui/LayoutDlg.h"

#include "platform/Services.h"

namespace corvia {

bool LayoutDlg::DoModal() {
  LayoutDlg answer = *this;
  if (!platform::Services().dialogs->RunDialog(answer)) return false;
  if (answer.mLayout < 0 || answer.mLayout >= kNumChoices) return false;
  mLayout = answer.mLayout;
  return true;
}

}  // namespace corvia
