#include "dialogs/ModelDialogs.h"

#include "construction/DerivedModels.h"
#include "platform/Services.h"

namespace corvia {

const char* const CWatermanDialog::kLatticeNames[kNumLattices] = {
    "Face-centred cubic, centred on a lattice point", "Face-centred cubic, centred between lattice points",
    "Simple cubic, centred on a lattice point"};

CWatermanDialog::CWatermanDialog() {
  const WatermanSettings& last = GetWatermanSettings();
  mRoot = last.root;
  mLatticeType = last.latticeType;
}

bool CWatermanDialog::DoModal() {
  CWatermanDialog answer = *this;
  if (!platform::Services().dialogs->RunDialog(answer)) return false;
  *this = answer;
  return true;
}

namespace detail_ModelDialogs {

struct ZoneValues {
  int maxZones = 0;
  std::string edgeScale = "1";
};

ZoneValues& RememberedZones() {
  static ZoneValues values;
  return values;
}

}  // namespace detail_ModelDialogs

CZonohedrifyDialog::CZonohedrifyDialog() {
  const detail_ModelDialogs::ZoneValues& last = detail_ModelDialogs::RememberedZones();
  mMaxZones = last.maxZones;
  mEdgeScale = last.edgeScale;
}

bool CZonohedrifyDialog::DoModal() {
  CZonohedrifyDialog answer = *this;
  if (!platform::Services().dialogs->RunDialog(answer)) return false;
  *this = answer;
  detail_ModelDialogs::RememberedZones() = {mMaxZones, mEdgeScale};
  return true;
}

}  // namespace corvia
