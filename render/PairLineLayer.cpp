#include "render/PairLineLayer.h"

#include <algorithm>
#include <array>
#include <map>

#include "render/Framebuffer.h"
#include "render/GL.h"
#include "render/GLContextState.h"
#include "render/OpenGLView.h"

namespace corvia {

namespace detail_PairLineLayer {

// What a kept picture shows: the points it was made from and everything that places
// and paints its pixels.
struct Key {
  PairLineSource source;
  std::array<GLint, 4> viewport{};
  std::array<GLdouble, 32> matrices{};
  std::array<GLfloat, 4> colour{};
  GLfloat width = 0.0f;
  GLint stipple = 0;

  bool operator==(const Key& o) const {
    return source.owner == o.source.owner && source.pointCount == o.source.pointCount &&
           source.spread == o.source.spread && viewport == o.viewport && matrices == o.matrices &&
           colour == o.colour && width == o.width && stipple == o.stipple;
  }
};

struct Kept {
  Key key;
  GLuint texture = 0;
};

// The pictures the views of one context keep. A picture let go of joins the context's
// released textures, deleted while the context is current.
struct Pictures : GLContextPart {
  ~Pictures() override {
    for (const auto& [view, kept] : views) Release(kept);
  }
  void Release(const Kept& kept) const {
    if (kept.texture && released) released->push_back(kept.texture);
  }
  std::map<const OpenGLView*, Kept> views;
  std::vector<unsigned>* released = nullptr;
};

unsigned long gRasterized = 0;

Key CurrentKey(const PairLineSource& source) {
  Key key;
  key.source = source;
  glGetIntegerv(GL_VIEWPORT, key.viewport.data());
  glGetDoublev(GL_PROJECTION_MATRIX, key.matrices.data());
  glGetDoublev(GL_MODELVIEW_MATRIX, key.matrices.data() + 16);
  glGetFloatv(GL_CURRENT_COLOR, key.colour.data());
  glGetFloatv(GL_LINE_WIDTH, &key.width);
  key.stipple = glIsEnabled(GL_LINE_STIPPLE) ? 1 : 0;
  return key;
}

void DrawSegments(const std::vector<float>& segments) {
  if (segments.empty()) return;
  glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
  glEnableClientState(GL_VERTEX_ARRAY);
  glVertexPointer(2, GL_FLOAT, 0, segments.data());
  glDrawArrays(GL_LINES, 0, GLsizei(segments.size() / 2));
  glPopClientAttrib();
  gRasterized += segments.size() / 4;
}

// Rasterizes the segments into a picture of the viewport's size, transparent where no
// line falls; 0 when GL cannot make one.
GLuint MakePicture(const Key& key, const std::vector<float>& segments) {
  const int width = key.viewport[2], height = key.viewport[3];
  if (width <= 0 || height <= 0) return 0;
  GLint target = 0;
  glGetIntegerv(GL_FRAMEBUFFER_BINDING, &target);
  Framebuffer buffer;
  GLuint texture = 0;
  if (buffer.Make(width, height)) {
    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    glPushAttrib(GL_VIEWPORT_BIT | GL_SCISSOR_BIT | GL_COLOR_BUFFER_BIT | GL_ENABLE_BIT | GL_TEXTURE_BIT);
    buffer.Bind();
    glViewport(0, 0, width, height);
    glDisable(GL_SCISSOR_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_BLEND);
    DrawSegments(segments);
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glCopyTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 0, 0, width, height, 0);
    glClearColor(clear[0], clear[1], clear[2], clear[3]);
    glPopAttrib();
  }
  buffer.Free();
  glBindFramebuffer(GL_FRAMEBUFFER, GLuint(target));
  return texture;
}

// The picture over the whole viewport, its empty pixels left out.
void DrawPicture(GLuint texture) {
  glPushAttrib(GL_ENABLE_BIT | GL_TEXTURE_BIT | GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glDisable(GL_LIGHTING);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_BLEND);
  glEnable(GL_ALPHA_TEST);
  glAlphaFunc(GL_GREATER, 0.5f);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glBegin(GL_QUADS);
  glTexCoord2f(0.0f, 0.0f);
  glVertex2f(-1.0f, -1.0f);
  glTexCoord2f(1.0f, 0.0f);
  glVertex2f(1.0f, -1.0f);
  glTexCoord2f(1.0f, 1.0f);
  glVertex2f(1.0f, 1.0f);
  glTexCoord2f(0.0f, 1.0f);
  glVertex2f(-1.0f, 1.0f);
  glEnd();
  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopAttrib();
}

}  // namespace detail_PairLineLayer

void DrawPairLineLayer(OpenGLView* view, const PairLineSource& source,
                       const std::function<void(std::vector<float>&)>& makeSegments) {
  using namespace detail_PairLineLayer;
  GLContextState* state = GetCurrentGLContextState();
  std::vector<float> segments;
  if (!state) {
    makeSegments(segments);
    DrawSegments(segments);
    return;
  }
  Pictures& pictures = GetGLContextPart<Pictures>(state->pairLines);
  pictures.released = &state->releasedTextures;
  const Key key = CurrentKey(source);
  Kept& kept = pictures.views[view];
  if (kept.texture && glIsTexture(kept.texture) && kept.key == key) {
    DrawPicture(kept.texture);
    return;
  }
  if (kept.texture && glIsTexture(kept.texture)) glDeleteTextures(1, &kept.texture);
  kept.texture = 0;
  view->NoteFrameDrawnAfresh();
  makeSegments(segments);
  kept.texture = MakePicture(key, segments);
  if (kept.texture) {
    kept.key = key;
    DrawPicture(kept.texture);
  } else {
    DrawSegments(segments);
  }
}

unsigned long CountPairLinesRasterized() { return detail_PairLineLayer::gRasterized; }

void ForgetPairLineLayer(const OpenGLView* view) {
  using namespace detail_PairLineLayer;
  for (GLContextState* state = GetFirstGLContextState(); state; state = state->Next()) {
    if (!state->pairLines) continue;
    auto& pictures = static_cast<Pictures&>(*state->pairLines);
    const auto it = pictures.views.find(view);
    if (it == pictures.views.end()) continue;
    pictures.Release(it->second);
    pictures.views.erase(it);
  }
}

}  // namespace corvia
