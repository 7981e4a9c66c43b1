#include "render/GLSection.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>

#include "core/Messages.h"
#include "render/GL.h"
#include "render/GLContextState.h"
#include "render/GLErrors.h"
#include "render/OpenGLView.h"
#include "render/ViewWindow.h"

namespace corvia {

namespace detail_GLSection {

struct Level {
  OpenGLView* view = nullptr;
  GLTarget* target = nullptr;
  int depth = 0;
};

// The GL state of the drawing thread. All GL drawing of the process runs on one thread
// through one stack of sections, whichever frame, pane or context it is for, and the
// implementation's abilities are those of the one shared context's driver: one for the
// process.
struct DrawingThreadGL {
  // The open sections, outermost first.
  std::vector<Level> levels;
  // The thread that opened the outermost section.
  std::thread::id thread;
  // Outermost sections opened so far.
  unsigned serial = 0;
  GLAbilities abilities;
  int offscreenTileCap = 0;
  // The records of message boxes up now, whose sections are closed.
  std::vector<SuspendedOpenGL*> suspended;
  // The context its owner releases (SetReleasingGLContextKey).
  const void* releasing = nullptr;
  bool messageHookInstalled = false;
  DrawingThreadPaint paint;
};
DrawingThreadGL gDrawingThread;

bool HasExtension(const char* extensions, const char* name) {
  if (!extensions) return false;
  const size_t length = std::strlen(name);
  for (const char* p = std::strstr(extensions, name); p; p = std::strstr(p + 1, name)) {
    bool startOk = p == extensions || p[-1] == ' ';
    bool endOk = p[length] == '\0' || p[length] == ' ';
    if (startOk && endOk) return true;
  }
  return false;
}

}  // namespace detail_GLSection

const GLAbilities& GetGLAbilities() {
  return detail_GLSection::gDrawingThread.abilities;
}

void SetOffscreenTileCap(int pixels) {
  detail_GLSection::gDrawingThread.offscreenTileCap = std::max(pixels, 0);
}
int GetOffscreenTileCap() {
  return detail_GLSection::gDrawingThread.offscreenTileCap;
}

DrawingThreadPaint& GetDrawingThreadPaint() {
  return detail_GLSection::gDrawingThread.paint;
}

int PolygonOffsetForDepthBits(int bits) {
  if (bits >= 24) return 200;
  return static_cast<int>(std::floor(200.0 / std::ldexp(1.0, 24 - bits))) + 1;
}

void SetMeasuredDepthBits(int bits) {
  GLAbilities& a = detail_GLSection::gDrawingThread.abilities;
  a.depthBits = std::min(a.depthBits, bits);
  a.polygonOffset = PolygonOffsetForDepthBits(a.depthBits);
  a.depthFactor = a.depthBits >= 24 ? 1.0 : 1.0 / std::ldexp(1.0, 24 - a.depthBits);
  glPolygonOffset(0.0f, static_cast<GLfloat>(a.polygonOffset));
  glDepthFunc(GL_LEQUAL);
}

void DetectGLAbilities() {
  using detail_GLSection::HasExtension;
  GLAbilities& a = detail_GLSection::gDrawingThread.abilities;
  if (a.detected) return;
  a.detected = true;
  const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
  if (version) {
    const char* point = std::strchr(version, '.');
    a.versionMajor = std::atoi(version);
    a.versionMinor = point ? std::atoi(point + 1) : 0;
  }
  const char* vendor = reinterpret_cast<const char*>(glGetString(GL_VENDOR));
  a.intel = vendor && std::strstr(vendor, "Intel");
  const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
  const bool v12 = a.versionMajor > 1 || (a.versionMajor == 1 && a.versionMinor >= 2);
  const bool v13 = a.versionMajor > 1 || (a.versionMajor == 1 && a.versionMinor >= 3);
  a.textureWrapMode = (v12 || HasExtension(extensions, "GL_EXT_texture_edge_clamp") ||
                       HasExtension(extensions, "GL_SGIS_texture_edge_clamp"))
                          ? GL_CLAMP_TO_EDGE
                          : GL_CLAMP;
  a.separateSpecular = v12 || HasExtension(extensions, "GL_EXT_separate_specular_color");
  a.textureUnits = 1;
  if (v13 || HasExtension(extensions, "GL_ARB_multitexture")) {
    GLint units = 1;
    glGetIntegerv(GL_MAX_TEXTURE_UNITS_ARB, &units);
    a.textureUnits = std::max(units, 1);
  }
  // Several units are of use only with the combiner modes.
  if (!HasExtension(extensions, "GL_EXT_texture_env_combine") &&
      !HasExtension(extensions, "GL_ARB_texture_env_combine")) {
    a.textureUnits = 1;
  }
  a.framebufferObjects = a.versionMajor >= 3 || HasExtension(extensions, "GL_ARB_framebuffer_object");
  a.vertexBuffers = a.versionMajor > 1 || (a.versionMajor == 1 && a.versionMinor >= 5);
  GLint bits = 0;
  glGetIntegerv(GL_STENCIL_BITS, &bits);
  a.stencilBits = bits;
  a.stencil = bits >= 1;
  glGetIntegerv(GL_DEPTH_BITS, &bits);
  a.depthBits = bits;
  a.polygonOffset = PolygonOffsetForDepthBits(bits);
  a.depthFactor = bits >= 24 ? 1.0 : 1.0 / std::ldexp(1.0, 24 - bits);
  GLint lights = 8;
  glGetIntegerv(GL_MAX_LIGHTS, &lights);
  a.maxLights = lights;
  CheckGLError("DetectGLAbilities");
}

// ---- Sections ----------------------------------------------------------------------------

bool PreOpenGL(OpenGLView* view, GLTarget* target) {
  auto& levels = detail_GLSection::gDrawingThread.levels;
  if (!view) return false;
  if (!levels.empty() && levels.back().view == view && (!target || target == levels.back().target)) {
    ++levels.back().depth;
    return true;
  }
  if (!levels.empty()) DoNothing("PreOpenGL: section for another view inside an open one\n");
  GLTarget* chosen = target ? target : view->GetDrawTarget();
  if (!chosen || !chosen->MakeCurrent()) {
    // The section before stays the current one.
    if (!levels.empty()) levels.back().target->MakeCurrent();
    return false;
  }
  levels.push_back({view, chosen, 1});
  if (levels.size() == 1) ++detail_GLSection::gDrawingThread.serial;
  detail_GLSection::gDrawingThread.thread = std::this_thread::get_id();
  CheckGLError("PreOpenGL");
  view->PrepareContextState(chosen);
  // What was let go of while the context was not current (the kept pictures of a pane
  // that closed) goes now that it is, rather than piling up in the driver.
  if (GLContextState* state = GetCurrentGLContextState()) state->DeleteReleased();
  return true;
}

void PostOpenGL(OpenGLView* view) {
  auto& levels = detail_GLSection::gDrawingThread.levels;
  if (levels.empty()) {
    ShowInternalError("Too many calls to PostOpenGL()\n");
    return;
  }
  detail_GLSection::Level& top = levels.back();
  if (top.view != view) {
    // Closing another view's section would leave this one drawing in the wrong place.
    ShowInternalError("PostOpenGL: the view is not the current GL view");
    return;
  }
  if (--top.depth > 0) return;
  GLTarget* target = top.target;
  if (!view->IsPicking()) CheckGLError("PostOpenGL");
  levels.pop_back();
  if (!levels.empty()) {
    levels.back().target->MakeCurrent();
  } else {
    target->ReleaseCurrent();
  }
}

int GetOpenGLNesting() {
  int n = 0;
  for (const auto& level : detail_GLSection::gDrawingThread.levels) n += level.depth;
  return n;
}

std::thread::id GetOpenGLThread() {
  return detail_GLSection::gDrawingThread.thread;
}

unsigned GetOpenGLSectionSerial() {
  return detail_GLSection::gDrawingThread.serial;
}

const void* SetReleasingGLContextKey(const void* key) {
  return std::exchange(detail_GLSection::gDrawingThread.releasing, key);
}

const void* GetCurrentGLContextKey() {
  const auto& levels = detail_GLSection::gDrawingThread.levels;
  if (detail_GLSection::gDrawingThread.releasing) return detail_GLSection::gDrawingThread.releasing;
  return levels.empty() || !levels.back().target ? nullptr : levels.back().target->ContextKey();
}

OpenGLView* OpenGLView::GetCurrent() {
  const auto& levels = detail_GLSection::gDrawingThread.levels;
  return levels.empty() ? nullptr : levels.back().view;
}

void ForgetViewSections(OpenGLView* view) {
  detail_GLSection::DrawingThreadGL& t = detail_GLSection::gDrawingThread;
  auto drop = [view](auto& levels) {
    levels.erase(std::remove_if(levels.begin(), levels.end(), [view](const auto& l) { return l.view == view; }),
                 levels.end());
  };
  drop(t.levels);
  for (SuspendedOpenGL* record : t.suspended) drop(record->levels);
}

// ---- Suspending around message boxes -----------------------------------------------------

void SuspendOpenGL(SuspendedOpenGL& record, bool redrawAll) {
  detail_GLSection::DrawingThreadGL& t = detail_GLSection::gDrawingThread;
  record.levels.clear();
  record.thread = std::this_thread::get_id();
  // What may run out of memory comes first: a record is listed only once it is whole.
  const bool closes = !t.levels.empty() && std::this_thread::get_id() == t.thread;
  if (closes) {
    for (const detail_GLSection::Level& level : t.levels) {
      record.levels.push_back({level.view, level.target, level.depth});
    }
  }
  t.suspended.push_back(&record);
  if (!t.levels.empty()) {
    if (!closes) return;
    while (!t.levels.empty()) PostOpenGL(t.levels.back().view);
    return;
  }
  if (redrawAll) UpdateAllViewsNow();
}

void ResumeOpenGL(SuspendedOpenGL& record, bool redrawAll) {
  auto& suspended = detail_GLSection::gDrawingThread.suspended;
  suspended.erase(std::remove(suspended.begin(), suspended.end(), &record), suspended.end());
  if (!record.levels.empty()) {
    for (const SuspendedOpenGL::Level& level : record.levels) {
      for (int d = 0; d < level.depth; ++d) PreOpenGL(level.view, level.target);
    }
    record.levels.back().view->Invalidate(true);
    record.levels.clear();
    return;
  }
  if (redrawAll && std::this_thread::get_id() == record.thread) RedrawAllViews(false, false);
}

void InstallOpenGLMessageHook() {
  bool& installed = detail_GLSection::gDrawingThread.messageHookInstalled;
  if (installed) return;
  installed = true;
  SetSuspendOpenGLHook([] {
    // The way back is made before the sections close, so that a lack of memory cannot
    // leave them closed with nothing to reopen them.
    auto record = std::make_shared<SuspendedOpenGL>();
    std::function<void()> resume([record] { ResumeOpenGL(*record, false); });
    SuspendOpenGL(*record, false);
    return resume;
  });
}

}  // namespace corvia
