#include "ui/TransitionsDlg.h"

#include "model/TransitionSettings.h"
#include "platform/Services.h"

namespace corvia {

namespace detail_TransitionsDialog {

// The occasions by their records. Only some undo kinds have a name of their own; the
// others are numbered.
const char* const kOccasionNames[kNumTransitionOccasions] = {
    "Default",         "Tour",           "Start-up",       "Load model",     "Model change 4",
    "Model change 5",  "Derived model",  "Model change 7", "Model change 8", "Model change 9",
    "Model change 10", "Waterman model", "Faceted model",
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
