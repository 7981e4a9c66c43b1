// Services of the facet model that read records of other subsystems not linked in
// yet: the build from the stellation cells (segment vertices, facets and their loops),
// the facelet line data of a stellation, and the construction-toy test. Until they
// land, each reports that it is missing instead of answering with a plausible value.

#include "core/Messages.h"
#include "nets/Model3D.h"
#include "nets/NetFlags.h"
#include "stellation/FaceTypeBlock.h"

namespace corvia {

Model3D::Model3D(FaceTypeBlock* block, int /*vertexCount*/) {
  Init(block ? block->mOwner : nullptr, block);
  ShowInternalError("Model3D::Model3D(FaceTypeBlock): Not available in this build");
}

Vert3D* Model3D::FindVert(SegVert* segVert, const double* position) {
  if (!segVert) return FindVertExact(position);
  ShowInternalError("Model3D::FindVert: Not available in this build");
  return nullptr;
}

void Model3D::ComputeFaceletLineData() {
  if (!mFaceTypes || (mFlags & kModelLineData)) return;
  ShowInternalError("Model3D::ComputeFaceletLineData: Not available in this build");
}

bool Model3D::CanBuildWithGeomag() {
  ShowInternalError("Model3D::CanBuildWithGeomag: Not available in this build");
  return false;
}

}  // namespace corvia
