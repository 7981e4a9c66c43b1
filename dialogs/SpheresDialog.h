#pragma once
// The Spheres dialog: the list of reference spheres (g_ReferenceSpheres), one radius
// in the current distance unit per sphere, added, changed and removed by the user.

#include <vector>

#include "platform/DialogFrontEnd.h"

namespace corvia {

class SpheresDlg : public platform::DialogValues {
 public:
  static constexpr const char* kName = "SpheresDialog";
  const char* DialogName() const override { return kName; }

  // Starts from the reference spheres.
  SpheresDlg();
  // Runs the dialog; on OK the list becomes the reference spheres and the panes are
  // redrawn. True on OK.
  bool DoModal();

  std::vector<double> mRadii;
};

}  // namespace corvia
