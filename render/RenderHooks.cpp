#include "render/RenderHooks.h"

#include "core/Progress.h"
#include "render/FaceImage.h"
#include "render/GLSection.h"
#include "render/OpenGLView.h"

namespace corvia {

void InstallRenderHooks() {
  InstallOpenGLMessageHook();
  InstallFaceImageRenderer();
  // Installed once: a test may put its own query in place for a while after the first
  // pane.
  static const bool queryInstalled = [] {
    SetDrawingContextQuery([] { return OpenGLView::IsDrawing() || GetOpenGLNesting() > 0; });
    return true;
  }();
  (void)queryInstalled;
}

}  // namespace corvia
