#pragma once
// GL errors: every GL entry point of the render layer ends with CheckGLError
// under its own name. Errors go to the discarding diagnostic log; a test installs
// a listener so that any GL error fails it.

#include <functional>
#include <string>

namespace corvia {

// Reads every pending GL error; each is logged as "GL Error: %s: %s\n" with the
// formatted location (512 bytes, "..." when cut) and passed to the listener.
// Returns whether there was one.
bool CheckGLError(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Called with the location and GLU's text of each error; null removes it.
using GLErrorListener = std::function<void(const std::string& location, const std::string& error)>;
GLErrorListener SetGLErrorListener(GLErrorListener listener);

}  // namespace corvia
