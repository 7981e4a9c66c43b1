#pragma once
// One OpenGL buffer object (vertices or indices) owned by what draws from it. A buffer
// belongs to the GL context it was made in (and those sharing with it); one let go
// while that context is not current is deleted the next time it is, or forgotten when
// the context has gone. Those who hold buffers belong to the context's state
// (render/GLContextState.h), which is released while the context is current.

#include <cstddef>

namespace corvia {

class GLBuffer {
 public:
  GLBuffer() = default;
  ~GLBuffer() { Release(); }
  GLBuffer(const GLBuffer&) = delete;
  GLBuffer& operator=(const GLBuffer&) = delete;

  // Fills the buffer (made on first use in the current context) with the bytes;
  // indices go to an element array buffer. False when there is no current context.
  bool Upload(const void* data, size_t bytes, bool indices);
  // Binds it as the array (or element array) buffer; unbinding is the caller's.
  void Bind(bool indices) const;
  bool IsMade() const { return mName != 0; }
  // Whether it was made in the context current now.
  bool BelongsToCurrentContext() const;
  void Release();

 private:
  unsigned mName = 0;
  const void* mContext = nullptr;
  size_t mBytes = 0;  // the size of the store
};

// Deletes the buffers of the current context let go of while it was not current;
// drawing code calls it inside a GL section.
void DeleteReleasedGLBuffers();

}  // namespace corvia
