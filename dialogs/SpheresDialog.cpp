#include "dialogs/SpheresDialog.h"

#include <cmath>

#include "nets/ReferenceSpheres.h"
#include "platform/Services.h"

namespace corvia {

SpheresDlg::SpheresDlg() : mRadii(g_ReferenceSpheres) {}

bool SpheresDlg::DoModal() {
  SpheresDlg answer = *this;
  if (!platform::Services().dialogs->RunDialog(answer)) return false;
  // Only spheres that can be drawn: a radius above 0.
  mRadii.clear();
  for (double radius : answer.mRadii) {
    if (std::isfinite(radius) && radius > 0.0) mRadii.push_back(radius);
  }
  g_ReferenceSpheres = mRadii;
  platform::Services().views->RedrawAllViews(false);
  return true;
}

}  // namespace corvia
