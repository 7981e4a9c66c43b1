#include "dialogs/SphereCylinderDialog.h"

#include "platform/Services.h"

namespace corvia {

void ShowSphereCylinderOptions() {
  SphereCylinderDlg dialog;
  platform::Services().dialogs->ShowModeless(dialog);
}

void ApplySphereCylinderOptions() {
  platform::Services().dialogs->Apply(SphereCylinderDlg::kName);
}

}  // namespace corvia
