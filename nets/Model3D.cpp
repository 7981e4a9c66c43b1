// Until the nets code is linked in, every service of the facelet model reports that it
// is missing instead of answering with a plausible value.

#include "nets/Model3D.h"

#include "core/Messages.h"

namespace corvia {

namespace detail_Model3D {
void Missing(const char* name) {
  ShowInternalError("%s: The nets are not available in this build", name);
}
}  // namespace detail_Model3D

Model3D::Model3D() = default;
Model3D::~Model3D() = default;

bool Model3D::CanBuildWithGeomag() {
  detail_Model3D::Missing("Model3D::CanBuildWithGeomag");
  return false;
}

int Model3D::ColorFaceletsByPart() {
  detail_Model3D::Missing("Model3D::ColorFaceletsByPart");
  return 0;
}

bool Model3D::HasNets() const {
  detail_Model3D::Missing("Model3D::HasNets");
  return false;
}

void Model3D::AddDrawnPolygon(DrawnPolygon*) { detail_Model3D::Missing("Model3D::AddDrawnPolygon"); }
void Model3D::RemoveDrawnPolygon(DrawnPolygon*) { detail_Model3D::Missing("Model3D::RemoveDrawnPolygon"); }
void Model3D::MakeNets() { detail_Model3D::Missing("Model3D::MakeNets"); }
void Model3D::ClearDrawnPolygons() { detail_Model3D::Missing("Model3D::ClearDrawnPolygons"); }
void Model3D::SetNetBBoxRadii() { detail_Model3D::Missing("Model3D::SetNetBBoxRadii"); }
void Model3D::CopyFirstNetLayout() { detail_Model3D::Missing("Model3D::CopyFirstNetLayout"); }
void Model3D::RebuildTabs() { detail_Model3D::Missing("Model3D::RebuildTabs"); }
void Model3D::UpdateFolding() { detail_Model3D::Missing("Model3D::UpdateFolding"); }

void DescribeSelectedEdge(Model3D* model, bool) {
  if (model) detail_Model3D::Missing("DescribeSelectedEdge");
}

}  // namespace corvia
