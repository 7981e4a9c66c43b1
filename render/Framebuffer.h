#pragma once
// A framebuffer object in the current GL context: colour RGBA 8 and depth 24 with
// stencil 8, as the panes' windows have. Making, binding and freeing need the
// context current.

namespace corvia {

class Framebuffer {
public:
  // False when GL cannot complete it (whatever was made is still freed by Free).
  bool Make(int width, int height);
  void Free();
  bool IsMade() const { return mFramebuffer != 0; }
  void Bind() const;
  // Back to the window's own buffers.
  static void BindWindow();

private:
  unsigned mFramebuffer = 0;
  unsigned mRenderbuffers[2] = {0, 0};
};

}  // namespace corvia
