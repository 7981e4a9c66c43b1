// The states of the GL contexts and their release.

#include "render/GLContextState.h"

#include "render/GL.h"
#include "render/GLSection.h"
#include "render/TextureImage.h"

namespace corvia {

namespace detail_GLContextState {

// The states of every context of the process, whoever owns it: the sections find the
// current one here by its key. A plain list, so that nothing of it is destroyed at the
// end of the process: a GL object outside any state that goes then still finds its
// context gone.
GLContextState* gFirst = nullptr;

}  // namespace detail_GLContextState

GLContextState::GLContextState(const void* key) : mKey(key) {
  mNext = detail_GLContextState::gFirst;
  detail_GLContextState::gFirst = this;
}

GLContextState::~GLContextState() {
  Release(false);
  for (GLContextState** link = &detail_GLContextState::gFirst; *link; link = &(*link)->mNext) {
    if (*link == this) {
      *link = mNext;
      break;
    }
  }
}

void GLContextState::Release(bool contextCurrent) {
  // The drawing code deletes what belongs to the current context and keeps the names of
  // others for later: made current by its owner, this context is the current one.
  const void* before = contextCurrent ? SetReleasingGLContextKey(mKey) : nullptr;
  // The queue first: it holds translucent sets that the kept faces hold too.
  depthSort.reset();
  faceMeshes.reset();
  fonts.reset();
  pairLines.reset();
  flatNets.reset();
  geomag.reset();
  spheres.reset();
  morphOutlines.reset();
  faceOrder.reset();
  glyphs.reset();
  coplanarStencil.reset();
  netTexts.reset();
  TextureImage::ForgetContext(mKey);
  if (contextCurrent) DeleteReleased();
  releasedBuffers.clear();
  releasedTextures.clear();
  stateOwner = nullptr;
  if (contextCurrent) SetReleasingGLContextKey(before);
}

void GLContextState::DeleteReleased() {
  if (!releasedBuffers.empty()) glDeleteBuffers(static_cast<GLsizei>(releasedBuffers.size()), releasedBuffers.data());
  if (!releasedTextures.empty()) {
    glDeleteTextures(static_cast<GLsizei>(releasedTextures.size()), releasedTextures.data());
  }
  releasedBuffers.clear();
  releasedTextures.clear();
}

GLContextState* GetCurrentGLContextState() {
  const void* key = GetCurrentGLContextKey();
  return key ? FindGLContextState(key) : nullptr;
}

GLContextState* FindGLContextState(const void* key) {
  for (GLContextState* s = detail_GLContextState::gFirst; s; s = s->Next()) {
    if (s->Key() == key) return s;
  }
  return nullptr;
}

GLContextState* GetFirstGLContextState() { return detail_GLContextState::gFirst; }

int CountGLContextStates() {
  int n = 0;
  for (GLContextState* s = detail_GLContextState::gFirst; s; s = s->Next()) ++n;
  return n;
}

}  // namespace corvia
