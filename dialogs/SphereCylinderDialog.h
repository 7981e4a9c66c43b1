#pragma once
// The "Sphere and Cylinder Options" dialog: vertices drawn as spheres and edges as
// cylinders, their sizes, materials and colours (the display settings). It stays open
// beside the main window.

#include "platform/DialogFrontEnd.h"

namespace corvia {

class SphereCylinderDlg : public platform::DialogValues {
 public:
  static constexpr const char* kName = "SphereCylinderDialog";
  const char* DialogName() const override { return kName; }
};

// Opens the dialog, or brings it forward when it is open.
void ShowSphereCylinderOptions();
// Applies the fields of the open dialog to the display settings and redraws the
// panes; nothing when the dialog is not open.
void ApplySphereCylinderOptions();

}  // namespace corvia
