#include "dialogs/TorusDialog.h"

#include "construction/Prisms.h"
#include "platform/Services.h"
#include "symmetry/SimplePoly.h"

namespace corvia {

namespace detail_TorusDialog {

struct Values {
  double tubeRadius = 0.4;
  int rings = 24;
  int segments = 12;
};

Values& Remembered() {
  static Values values;
  return values;
}

}  // namespace detail_TorusDialog

CTorusDialog::CTorusDialog() {
  const detail_TorusDialog::Values& last = detail_TorusDialog::Remembered();
  mTubeRadius = last.tubeRadius;
  mRings = last.rings;
  mSegments = last.segments;
}

bool CTorusDialog::DoModal() {
  CTorusDialog answer = *this;
  if (!platform::Services().dialogs->RunDialog(answer)) return false;
  *this = answer;
  detail_TorusDialog::Remembered() = {mTubeRadius, mRings, mSegments};
  return true;
}

std::unique_ptr<SimplePoly> CTorusDialog::CreateModel(Outcome& outcome) const {
  return CreateTorus(mTubeRadius, mRings, mSegments, outcome);
}

std::unique_ptr<SimplePoly> RunTorusDialog(Outcome& outcome) {
  CTorusDialog dialog;
  if (!dialog.DoModal()) {
    outcome = Outcome::Cancelled();
    return nullptr;
  }
  return dialog.CreateModel(outcome);
}

}  // namespace corvia
