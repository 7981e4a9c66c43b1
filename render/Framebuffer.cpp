#include "render/Framebuffer.h"

#include "render/GL.h"

namespace corvia {

bool Framebuffer::Make(int width, int height) {
  glGenFramebuffers(1, &mFramebuffer);
  glGenRenderbuffers(2, mRenderbuffers);
  glBindRenderbuffer(GL_RENDERBUFFER, mRenderbuffers[0]);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
  glBindRenderbuffer(GL_RENDERBUFFER, mRenderbuffers[1]);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, width, height);
  glBindRenderbuffer(GL_RENDERBUFFER, 0);
  glBindFramebuffer(GL_FRAMEBUFFER, mFramebuffer);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, mRenderbuffers[0]);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, mRenderbuffers[1]);
  const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  return complete;
}

void Framebuffer::Free() {
  if (!mFramebuffer) return;
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  glDeleteFramebuffers(1, &mFramebuffer);
  glDeleteRenderbuffers(2, mRenderbuffers);
  mFramebuffer = 0;
  mRenderbuffers[0] = mRenderbuffers[1] = 0;
}

void Framebuffer::Bind() const { glBindFramebuffer(GL_FRAMEBUFFER, mFramebuffer); }

void Framebuffer::BindWindow() { glBindFramebuffer(GL_FRAMEBUFFER, 0); }

}  // namespace corvia
