// Buffer objects and their deletion in the context they belong to.

#include "render/GLBuffer.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "render/GL.h"
#include "render/GLErrors.h"
#include "render/GLSection.h"

namespace corvia {

namespace detail_GLBuffer {

// Buffers let go of outside their context: (context, name).
std::vector<std::pair<const void*, unsigned>>& Released() {
  static std::vector<std::pair<const void*, unsigned>> released;
  return released;
}

}  // namespace detail_GLBuffer

bool GLBuffer::Upload(const void* data, size_t bytes, bool indices) {
  const void* context = GetCurrentGLContextKey();
  if (!context) return false;
  if (mName && mContext != context) Release();
  if (!mName) {
    GLuint name = 0;
    glGenBuffers(1, &name);
    mName = name;
    mContext = context;
    mBytes = 0;
  }
  const GLenum target = indices ? GL_ELEMENT_ARRAY_BUFFER : GL_ARRAY_BUFFER;
  glBindBuffer(target, mName);
  if (bytes == mBytes && bytes > 0) {
    // The same size again (a new order of the same triangles): the store is kept.
    glBufferSubData(target, 0, static_cast<GLsizeiptr>(bytes), data);
  } else {
    glBufferData(target, static_cast<GLsizeiptr>(bytes), data, GL_STATIC_DRAW);
    mBytes = bytes;
  }
  glBindBuffer(target, 0);
  CheckGLError("GLBuffer::Upload");
  return true;
}

void GLBuffer::Bind(bool indices) const {
  glBindBuffer(indices ? GL_ELEMENT_ARRAY_BUFFER : GL_ARRAY_BUFFER, mName);
}

bool GLBuffer::BelongsToCurrentContext() const {
  return mName && mContext == GetCurrentGLContextKey();
}

void GLBuffer::Release() {
  if (!mName) return;
  if (mContext == GetCurrentGLContextKey()) {
    const GLuint name = mName;
    glDeleteBuffers(1, &name);
  } else {
    detail_GLBuffer::Released().emplace_back(mContext, mName);
  }
  mName = 0;
  mContext = nullptr;
  mBytes = 0;
}

void DeleteReleasedGLBuffers() {
  auto& released = detail_GLBuffer::Released();
  const void* context = GetCurrentGLContextKey();
  if (released.empty() || !context) return;
  for (size_t i = 0; i < released.size();) {
    if (released[i].first == context) {
      const GLuint name = released[i].second;
      glDeleteBuffers(1, &name);
      released[i] = released.back();
      released.pop_back();
    } else {
      ++i;
    }
  }
}

void ForgetReleasedGLBuffers(const void* context) {
  auto& released = detail_GLBuffer::Released();
  released.erase(
      std::remove_if(released.begin(), released.end(), [context](const auto& r) { return r.first == context; }),
      released.end());
}

}  // namespace corvia
