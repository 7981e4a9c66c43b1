// Display values of the net and diagram drawing, facelet numbers, and the plain
// answers of a pane.

#include "render/NetDrawSettings.h"

#include "model/ElementLabels.h"
#include "nets/Face3D.h"
#include "nets/Model3D.h"
#include "render/OpenGLView.h"

namespace corvia {

bool AreFaceletNumbersShown() {
  return (DiagnosticNumbers & (kNumberEachFacelet | kNumberEachFaceletType)) != 0;
}

int GetFaceletDisplayNumber(const Face3D* facelet) {
  const int index = Face3D::GetIndex(facelet);
  if (index < 0) return -1;
  int n = 0;
  if (DiagnosticNumbers & kNumberEachFacelet) n += index;
  if (DiagnosticNumbers & kNumberEachFaceletType) n += Face3DType::GetIndex(facelet->mType);
  return n;
}

NetDrawPane::~NetDrawPane() = default;

const NetDrawPane& GetNetDrawPane(const OpenGLView* view) {
  if (auto* pane = dynamic_cast<const NetDrawPane*>(view)) return *pane;
  // The plain answers hold nothing: one constant stand-in serves every other view.
  static const NetDrawPane plain;
  return plain;
}

uint32_t GetDiagramFlags(OpenGLView* view) {
  if (!view) return 0;
  return GetNetDrawPane(view).GetDiagramFlags() | (view->IsPicking() ? kDiagramPicking : 0u);
}

}  // namespace corvia
