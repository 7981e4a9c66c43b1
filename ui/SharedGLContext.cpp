#include "ui/SharedGLContext.h"

#include <memory>

#include "render/GLBuffer.h"

namespace corvia {

namespace detail_SharedGLContext {

std::unique_ptr<wxGLContext> gContext;

wxGLAttributes MakeAttributes(bool stereo) {
  wxGLAttributes attributes;
  attributes.PlatformDefaults().RGBA().MinRGBA(8, 8, 8, 0).DoubleBuffer().Depth(24).Stencil(8);
  if (stereo) attributes.Stereo();
  attributes.EndList();
  return attributes;
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
  }
  return gContext.get();
}

wxGLContext* GetSharedGLContext() { return detail_SharedGLContext::gContext.get(); }

void FreeSharedGLContext() {
  ForgetReleasedGLBuffers(detail_SharedGLContext::gContext.get());
  detail_SharedGLContext::gContext.reset();
}

bool IsPaneDisplaySupported() { return wxGLCanvas::IsDisplaySupported(PaneCanvasAttributes()); }

bool IsQuadBufferStereoSupported() {
  return wxGLCanvas::IsDisplaySupported(detail_SharedGLContext::MakeAttributes(true));
}

}  // namespace corvia
