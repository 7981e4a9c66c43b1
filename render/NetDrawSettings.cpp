// Display values of the net and diagram drawing, facelet numbers, and the plain
// answers of a pane.

#include "render/NetDrawSettings.h"

#include "model/ElementLabels.h"
#include "nets/Face3D.h"
#include "nets/Model3D.h"
#include "render/OpenGLView.h"

namespace corvia {

NetDrawSettings& GetNetDrawSettings() {
  static NetDrawSettings settings;
  return settings;
}

bool AreFaceletNumbersShown() {
  return (DiagnosticNumbers & (kNumberEachFacelet | kNumberEachFaceletType)) != 0;
}

int GetFaceletDisplayNumber(const Face3D* facelet) {
  const Model3D* model = facelet ? facelet->GetModel() : nullptr;
  if (!model) return -1;
  int faceletsBefore = 0;
  int typesBefore = 0;
  for (const Face3DType* type = model->mFaceTypes; type; type = type->mNext, ++typesBefore) {
    if (type != facelet->mType) {
      faceletsBefore += type->mNumFacelets;
      continue;
    }
    const int i = static_cast<int>(facelet - type->mFacelets.get());
    if (i < 0 || i >= type->mNumFacelets) return -1;
    int n = 0;
    if (DiagnosticNumbers & kNumberEachFacelet) n += faceletsBefore + i;
    if (DiagnosticNumbers & kNumberEachFaceletType) n += typesBefore;
    return n;
  }
  return -1;
}

NetDrawPane::~NetDrawPane() = default;

NetDrawPane& GetNetDrawPane(OpenGLView* view) {
  if (auto* pane = dynamic_cast<NetDrawPane*>(view)) return *pane;
  static NetDrawPane plain;
  return plain;
}

uint32_t GetDiagramFlags(OpenGLView* view) {
  if (!view) return 0;
  return GetNetDrawPane(view).GetDiagramFlags() | (view->IsPicking() ? kDiagramPicking : 0u);
}

}  // namespace corvia
