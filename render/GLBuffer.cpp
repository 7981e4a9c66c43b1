// Buffer objects and their deletion in the context they belong to.

#include "render/GLBuffer.h"

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
  }
  const GLenum target = indices ? GL_ELEMENT_ARRAY_BUFFER : GL_ARRAY_BUFFER;
  glBindBuffer(target, mName);
  glBufferData(target, static_cast<GLsizeiptr>(bytes), data, GL_STATIC_DRAW);
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

}  // namespace corvia
