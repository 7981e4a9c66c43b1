// Services of the facet model that read records of other subsystems not linked in
// yet: the facelet line data of a stellation. Until it lands, it reports that it is
// missing instead of answering with a plausible value.

#include "core/Messages.h"
#include "nets/Model3D.h"
#include "nets/NetFlags.h"

namespace corvia {

void Model3D::ComputeFaceletLineData() {
  if (!mFaceTypes || (mFlags & kModelLineData)) return;
  ShowInternalError("Model3D::ComputeFaceletLineData: Not available in this build");
}

}  // namespace corvia
