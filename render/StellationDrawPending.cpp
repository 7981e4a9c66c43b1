// The drawing of stellation diagrams on faces and in their panes. Until it lands, each
// call reports that it is missing.

#include "core/Messages.h"
#include "stellation/FaceType.h"

namespace corvia {

void FaceType::DrawFacetEdgesOnFace(PolyElement*, const double*, double) {
  ShowInternalError("FaceType::DrawFacetEdgesOnFace: Not available in this build");
}
void FaceType::DrawDiagramOnFace(PolyElement*, const double*) {
  ShowInternalError("FaceType::DrawDiagramOnFace: Not available in this build");
}
void FaceType::DrawFacetsForSelection(PolyElement*, const double*) {
  ShowInternalError("FaceType::DrawFacetsForSelection: Not available in this build");
}
void FaceType::DrawSymmetryAxes2D(OpenGLView*) {
  ShowInternalError("FaceType::DrawSymmetryAxes2D: Not available in this build");
}
void FaceType::DrawMirrorLines2D(OpenGLView*) {
  ShowInternalError("FaceType::DrawMirrorLines2D: Not available in this build");
}
void FaceType::DrawLineLabels(const FaceType*, const double*) {
  ShowInternalError("FaceType::DrawLineLabels: Not available in this build");
}
void FaceType::DrawDiagramLabels(const FaceType*, const double*, int) {
  ShowInternalError("FaceType::DrawDiagramLabels: Not available in this build");
}
void FaceType::DrawLabelsOnFace(PolyElement*) {
  ShowInternalError("FaceType::DrawLabelsOnFace: Not available in this build");
}
void FaceType::PrintDiagramLabels(void*) {
  ShowInternalError("FaceType::PrintDiagramLabels: Not available in this build");
}

}  // namespace corvia
