#pragma once
// The Transitions dialog (Options > Transition Options...): the transition of each
// occasion of a model change, its type, duration and motion. It stays open beside the
// main window; several occasions can be selected and set at once, and the selection
// is kept between openings until the program closes. Its window belongs to the
// dialogs.

#include <vector>

#include "platform/DialogFrontEnd.h"

namespace corvia {

class TransitionsDlg : public platform::DialogValues {
 public:
  static constexpr const char* kName = "TransitionsDialog";
  const char* DialogName() const override { return kName; }

  explicit TransitionsDlg(int occasion = -1) : mOccasion(occasion) {}
  // The occasion to select as the dialog opens; -1 keeps the selection.
  int mOccasion;
};

// The name of an occasion as the dialog lists it; null outside the records.
const char* GetTransitionOccasionName(int occasion);

// Opens the dialog with the occasion selected (the tour bar passes the tour's), or
// brings it forward when it is open.
void ShowTransitionsDialog(int occasion);
// Reads the records into the open dialog again; nothing when it is not open.
void RefreshTransitionsDlg();

// The occasions selected in the dialog, kept between openings.
std::vector<int>& GetSelectedOccasions();
// Forgets the selection (the close-down).
void FreeSelectedOccasions();

}  // namespace corvia
