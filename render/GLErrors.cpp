#include "render/GLErrors.h"

#include <cstdarg>
#include <string>
#include <utility>

#include "core/Messages.h"
#include "render/GL.h"

namespace corvia {

namespace detail_GLErrors {

// The one listener of the process: GL errors are read on the drawing thread in whichever
// context is current, and a test hears them all. Made on first use, so that a listener
// installed from any static initialiser finds it.
GLErrorListener& Listener() {
  static GLErrorListener listener;
  return listener;
}

// A context that never stops reporting (a lost one) must not hang the caller.
constexpr int kMaxErrorsRead = 32;

}  // namespace detail_GLErrors

bool CheckGLError(const char* format, ...) {
  GLenum error = glGetError();
  if (error == GL_NO_ERROR) return false;
  va_list args;
  va_start(args, format);
  std::string location = FormatLimitedV(kMessageBufferSize, format, args);
  va_end(args);
  for (int n = 0; error != GL_NO_ERROR && n < detail_GLErrors::kMaxErrorsRead; ++n, error = glGetError()) {
    const GLubyte* text = gluErrorString(error);
    std::string what = text ? reinterpret_cast<const char*>(text) : "unknown error " + std::to_string(error);
    DoNothing("GL Error: %s: %s\n", location.c_str(), what.c_str());
    if (const GLErrorListener& listener = detail_GLErrors::Listener()) listener(location, what);
  }
  return true;
}

GLErrorListener SetGLErrorListener(GLErrorListener listener) {
  return std::exchange(detail_GLErrors::Listener(), std::move(listener));
}

}  // namespace corvia
