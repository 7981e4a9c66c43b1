// Services of the facet model that read records of other subsystems not linked in
// yet: the facelet line data of a stellation and the construction-toy test. Until
// they land, each reports that it is missing instead of answering with a plausible
// value.

#include "core/Messages.h"
#include "nets/Model3D.h"
#include "nets/NetFlags.h"

namespace corvia {

void Model3D::ComputeFaceletLineData() {
  if (!mFaceTypes || (mFlags & kModelLineData)) return;
  ShowInternalError("Model3D::ComputeFaceletLineData: Not available in this build");
}

bool Model3D::CanBuildWithGeomag() {
  ShowInternalError("Model3D::CanBuildWithGeomag: Not available in this build");
  return false;
}

}  // namespace corvia
