// The drawing of the facet model, its facelets, nets and glue tabs in the OpenGL panes
// and on printed pages. Until the net panes land, each drawing call reports that it
// is missing.

#include "core/Messages.h"
#include "nets/Face3D.h"
#include "nets/Model3D.h"
#include "nets/Net.h"
#include "nets/NetTab.h"

namespace corvia {

namespace detail_NetsDrawPending {
void Missing(const char* name) {
  ShowInternalError("%s: Not available in this build", name);
}
}  // namespace detail_NetsDrawPending

using detail_NetsDrawPending::Missing;

void Model3D::ExtendViewBounds(OpenGLView*, ViewExtents*) {
  Missing("Model3D::ExtendViewBounds");
}
void Model3D::DrawVertices(double) {
  Missing("Model3D::DrawVertices");
}
void Model3D::DrawEdges(double) {
  Missing("Model3D::DrawEdges");
}
void Model3D::DrawMarkedEdges(double) {
  Missing("Model3D::DrawMarkedEdges");
}
void Model3D::DrawFacelets(double) {
  Missing("Model3D::DrawFacelets");
}
void Model3D::DrawFaceletNumbers(const Transform3D&, bool) {
  Missing("Model3D::DrawFaceletNumbers");
}
void Model3D::PrintFaceletNumbers(const PolyElement*, const double*, const Transform3D&) {
  Missing("Model3D::PrintFaceletNumbers");
}
void Model3D::DrawRingVertices(const Face3D*, const double*) {
  Missing("Model3D::DrawRingVertices");
}
void Model3D::DrawRingEdges(const Face3D*, const double*, bool, bool) {
  Missing("Model3D::DrawRingEdges");
}
void Model3D::DrawNets() {
  Missing("Model3D::DrawNets");
}
void Model3D::DrawSelectedFacelets() {
  Missing("Model3D::DrawSelectedFacelets");
}
void Model3D::DrawSelectedEdge(int) {
  Missing("Model3D::DrawSelectedEdge");
}

void Face3D::Draw(int, const double*, double, const Face3D*) {
  Missing("Face3D::Draw");
}
void Face3D::DrawEdgesAndVertices(Model3D*, int, double) {
  Missing("Face3D::DrawEdgesAndVertices");
}
void Face3D::DrawTabs(int, OpenGLView*, double) {
  Missing("Face3D::DrawTabs");
}
void Face3D::DrawNetExtras(Model3D*) {
  Missing("Face3D::DrawNetExtras");
}
void Face3D::DrawSphereSections(bool, void*, bool) {
  Missing("Face3D::DrawSphereSections");
}
void Face3D::DrawStellationLines(bool, bool) {
  Missing("Face3D::DrawStellationLines");
}

void Net::DrawUnfolded() {
  Missing("Net::DrawUnfolded");
}
void Net::DrawFolded(Model3D*) {
  Missing("Net::DrawFolded");
}
void Net::ExtendViewBounds(OpenGLView*, ViewExtents*, Model3D*, bool) {
  Missing("Net::ExtendViewBounds");
}
void Net::DrawSphereSections(bool, void*, bool) {
  Missing("Net::DrawSphereSections");
}
void Net::DrawFaceletLines(bool, bool) {
  Missing("Net::DrawFaceletLines");
}
void NetType::DrawFolded(Model3D*) {
  Missing("NetType::DrawFolded");
}

void NetTab::DrawFilled(int, double, bool) const {
  Missing("NetTab::DrawFilled");
}
void NetTab::DrawOutline(int, double) const {
  Missing("NetTab::DrawOutline");
}

}  // namespace corvia
