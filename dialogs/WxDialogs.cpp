#include "dialogs/WxDialogs.h"

#include "construction/PolyhedraDialog.h"
#include "core/Messages.h"
#include "core/TableDialog.h"
#include "dialogs/AugmentDlg.h"
#include "dialogs/DialogBase.h"
#include "dialogs/DialogWindows.h"
#include "dialogs/FontOptionsDlg.h"
#include "dialogs/ModelDialogs.h"
#include "dialogs/SphereCylinderDialog.h"
#include "dialogs/SpheresDialog.h"
#include "dialogs/TorusDialog.h"
#include "ui/LayoutDlg.h"
#include "ui/TransitionsDlg.h"

namespace corvia {

namespace detail_WxDialogs {

template <class T>
bool Try(platform::DialogValues& values, bool (*run)(T&), bool& result) {
  T* typed = dynamic_cast<T*>(&values);
  if (!typed) return false;
  result = run(*typed);
  return true;
}

}  // namespace detail_WxDialogs

bool WxDialogs::RunDialog(platform::DialogValues& values) {
  using detail_WxDialogs::Try;
  bool result = false;
  if (Try<CPolyhedraDialog>(values, RunPolyhedraWindow, result) || Try<AugmentDlg>(values, RunAugmentWindow, result) ||
      Try<CTorusDialog>(values, RunTorusWindow, result) || Try<CTableDialog>(values, RunTableWindow, result) ||
      Try<LayoutDlg>(values, RunLayoutWindow, result) || Try<SpheresDlg>(values, RunSpheresWindow, result) ||
      Try<FontOptionsDlg>(values, RunFontOptionsWindow, result) ||
      Try<CWatermanDialog>(values, RunWatermanWindow, result) ||
      Try<CZonohedrifyDialog>(values, RunZonohedrifyWindow, result)) {
    return result;
  }
  ShowInternalError("RunDialog: No window for the dialog %s", values.DialogName());
  return false;
}

void WxDialogs::ShowModeless(platform::DialogValues& values) {
  if (auto* transitions = dynamic_cast<TransitionsDlg*>(&values)) {
    ShowTransitionsWindow(*transitions);
    return;
  }
  if (auto* spheres = dynamic_cast<SphereCylinderDlg*>(&values)) {
    ShowSphereCylinderWindow(*spheres);
    return;
  }
  ShowInternalError("ShowModeless: No window for the dialog %s", values.DialogName());
}

bool WxDialogs::IsOpen(const std::string& name) const {
  return FindOpenDialog(name.c_str()) != nullptr;
}

void WxDialogs::Refresh(const std::string& name) {
  if (CorviaDialog* dialog = FindOpenDialog(name.c_str())) dialog->TransferDataToWindow();
}

void WxDialogs::Apply(const std::string& name) {
  if (CorviaDialog* dialog = FindOpenDialog(name.c_str())) dialog->TransferDataFromWindow();
}

}  // namespace corvia
