#include "platform/gl/OffscreenGL.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>

#include <cstring>

namespace corvia::platform {

struct OffscreenContext::Egl {
  EGLDisplay display = EGL_NO_DISPLAY;
  EGLSurface surface = EGL_NO_SURFACE;
  EGLContext context = EGL_NO_CONTEXT;
};

namespace {

EGLDisplay SurfacelessDisplay() {
  // Mesa's surfaceless platform first: it needs no X server and no GPU device.
  auto getPlatformDisplay =
      reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
  const char* extensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
  if (getPlatformDisplay && extensions && std::strstr(extensions, "EGL_MESA_platform_surfaceless")) {
    EGLDisplay display = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display != EGL_NO_DISPLAY) return display;
  }
  return eglGetDisplay(EGL_DEFAULT_DISPLAY);
}

}  // namespace

std::unique_ptr<OffscreenContext> OffscreenContext::Create(int width, int height, std::string* error) {
  auto fail = [&](const char* what) -> std::unique_ptr<OffscreenContext> {
    if (error) *error = std::string(what) + " (EGL error 0x" + std::to_string(eglGetError()) + ")";
    return nullptr;
  };
  if (width <= 0 || height <= 0) return fail("Off-screen size must be positive");

  std::unique_ptr<OffscreenContext> result(new OffscreenContext);
  result->mEgl = std::make_unique<Egl>();
  Egl& egl = *result->mEgl;
  egl.display = SurfacelessDisplay();
  if (egl.display == EGL_NO_DISPLAY) return fail("No EGL display");
  EGLint major = 0, minor = 0;
  if (!eglInitialize(egl.display, &major, &minor)) {
    egl.display = EGL_NO_DISPLAY;
    return fail("eglInitialize failed");
  }
  if (!eglBindAPI(EGL_OPENGL_API)) return fail("No desktop OpenGL through EGL");

  const EGLint configAttribs[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                                  EGL_RED_SIZE,     8,               EGL_GREEN_SIZE,      8,
                                  EGL_BLUE_SIZE,    8,               EGL_ALPHA_SIZE,      8,
                                  EGL_DEPTH_SIZE,   24,              EGL_STENCIL_SIZE,    8,
                                  EGL_NONE};
  EGLConfig config = nullptr;
  EGLint count = 0;
  if (!eglChooseConfig(egl.display, configAttribs, &config, 1, &count) || count < 1) {
    return fail("No EGL configuration with RGBA 8, depth 24 and stencil 8");
  }
  const EGLint surfaceAttribs[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
  egl.surface = eglCreatePbufferSurface(egl.display, config, surfaceAttribs);
  if (egl.surface == EGL_NO_SURFACE) return fail("eglCreatePbufferSurface failed");
  egl.context = eglCreateContext(egl.display, config, EGL_NO_CONTEXT, nullptr);
  if (egl.context == EGL_NO_CONTEXT) return fail("eglCreateContext failed");

  result->mWidth = width;
  result->mHeight = height;
  if (!result->MakeCurrent()) return fail("eglMakeCurrent failed");
  GLint bits = 0;
  glGetIntegerv(GL_STENCIL_BITS, &bits);
  result->mStencilBits = bits;
  glGetIntegerv(GL_DEPTH_BITS, &bits);
  result->mDepthBits = bits;
  glViewport(0, 0, width, height);
  return result;
}

OffscreenContext::~OffscreenContext() {
  if (!mEgl || mEgl->display == EGL_NO_DISPLAY) return;
  eglMakeCurrent(mEgl->display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
  if (mEgl->context != EGL_NO_CONTEXT) eglDestroyContext(mEgl->display, mEgl->context);
  if (mEgl->surface != EGL_NO_SURFACE) eglDestroySurface(mEgl->display, mEgl->surface);
  // The display stays initialised: EGL shares it within the process.
}

bool OffscreenContext::MakeCurrent() {
  return eglMakeCurrent(mEgl->display, mEgl->surface, mEgl->surface, mEgl->context) == EGL_TRUE;
}

void OffscreenContext::ReleaseCurrent() {
  eglMakeCurrent(mEgl->display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
}

std::vector<std::uint8_t> OffscreenContext::ReadPixels() const {
  std::vector<std::uint8_t> pixels(static_cast<size_t>(mWidth) * mHeight * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, mWidth, mHeight, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
  return pixels;
}

}  // namespace corvia::platform
