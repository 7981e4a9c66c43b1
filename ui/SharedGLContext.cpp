#include "ui/SharedGLContext.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "render/GLContextState.h"

namespace corvia {

namespace detail_SharedGLContext {

std::unique_ptr<wxGLContext> gContext;
// What the drawing keeps in it, made and released with it.
std::unique_ptr<GLContextState> gState;
// The canvases that draw with it.
std::vector<wxGLCanvas*> gCanvases;

wxGLAttributes MakeAttributes(bool stereo) {
  wxGLAttributes attributes;
  attributes.PlatformDefaults().RGBA().MinRGBA(8, 8, 8, 0).DoubleBuffer().Depth(24).Stencil(8);
  if (stereo) attributes.Stereo();
  attributes.EndList();
  return attributes;
}

// The drawing's state goes first, released while the context is current on the canvas
// given (null, or a canvas with no window any more: nothing can make it current, and
// its objects go with it).
void FreeContext(wxGLCanvas* canvas) {
  if (gState) gState->Release(canvas && gContext && canvas->GetXWindow() && canvas->SetCurrent(*gContext));
  gState.reset();
  gContext.reset();
}

}  // namespace detail_SharedGLContext

const wxGLAttributes& PaneCanvasAttributes() {
  static const wxGLAttributes attributes = detail_SharedGLContext::MakeAttributes(false);
  return attributes;
}

wxGLContext* AcquireSharedGLContext(wxGLCanvas* canvas) {
  using namespace detail_SharedGLContext;
  if (!gContext) {
    auto context = std::make_unique<wxGLContext>(canvas);
    if (!context->IsOK()) return nullptr;
    gContext = std::move(context);
    gState = std::make_unique<GLContextState>(gContext.get());
  }
  if (std::find(gCanvases.begin(), gCanvases.end(), canvas) == gCanvases.end()) gCanvases.push_back(canvas);
  return gContext.get();
}

void LeaveSharedGLContext(wxGLCanvas* canvas) {
  using namespace detail_SharedGLContext;
  auto it = std::find(gCanvases.begin(), gCanvases.end(), canvas);
  if (it == gCanvases.end()) return;
  gCanvases.erase(it);
  if (gCanvases.empty()) FreeContext(canvas);
}

wxGLContext* GetSharedGLContext() { return detail_SharedGLContext::gContext.get(); }

void FreeSharedGLContext() {
  detail_SharedGLContext::gCanvases.clear();
  detail_SharedGLContext::FreeContext(nullptr);
}

bool IsPaneDisplaySupported() { return wxGLCanvas::IsDisplaySupported(PaneCanvasAttributes()); }

bool IsQuadBufferStereoSupported() {
  return wxGLCanvas::IsDisplaySupported(detail_SharedGLContext::MakeAttributes(true));
}

}  // namespace corvia
