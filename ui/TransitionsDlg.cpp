#include "ui/TransitionsDlg.h"

#include "model/TransitionSettings.h"
#include "platform/Services.h"

namespace corvia {

namespace detail_TransitionsDialog {

// The occasions by their records, named by the changes that show them.
const char* const kOccasionNames[kNumTransitionOccasions] = {
    "Default",           "Tour",           "Start-up",
    "Load model",        "Other model change", "Model from memory",
    "Derived model",     "Model added to the model", "Convex hull or core",
    "Zonohedron",        "Geodesic sphere", "Waterman model",
    "Faceted model",
};

std::vector<int> gSelected;

}  // namespace detail_TransitionsDialog

const char* GetTransitionOccasionName(int occasion) {
  if (occasion < 0 || occasion >= kNumTransitionOccasions) return nullptr;
  return detail_TransitionsDialog::kOccasionNames[occasion];
}

void ShowTransitionsDialog(int occasion) {
  TransitionsDlg dialog(occasion);
  platform::Services().dialogs->ShowModeless(dialog);
}

void RefreshTransitionsDlg() {
  platform::Services().dialogs->Refresh(TransitionsDlg::kName);
}

std::vector<int>& GetSelectedOccasions() {
  return detail_TransitionsDialog::gSelected;
}

void FreeSelectedOccasions() {
  std::vector<int>().swap(detail_TransitionsDialog::gSelected);
}

}  // namespace corvia
