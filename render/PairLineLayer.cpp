#include "render/PairLineLayer.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>

#include "core/Progress.h"
#include "core/Tolerances.h"
#include "platform/Services.h"
#include "render/Framebuffer.h"
#include "render/GL.h"
#include "render/GLContextState.h"
#include "render/GLSection.h"
#include "render/OpenGLView.h"
#include "render/Primitives.h"

namespace corvia {

namespace detail_PairLineLayer {

// What a kept picture shows: the points it was made from and everything that places
// and paints its pixels.
struct Key {
  const PolyElement* owner = nullptr;
  size_t pointCount = 0;
  double spread = 0.0;
  std::array<GLint, 4> viewport{};
  std::array<GLdouble, 32> matrices{};
  std::array<GLfloat, 4> colour{};
  GLfloat width = 0.0f;
  GLint stipple = 0;

  bool operator==(const Key& o) const {
    return owner == o.owner && pointCount == o.pointCount && spread == o.spread && viewport == o.viewport &&
           matrices == o.matrices && colour == o.colour && width == o.width && stipple == o.stipple;
  }
};

// The next pair of points whose line is to be made: a < b.
struct PairCursor {
  size_t a = 0, b = 1;
};

size_t CountPairs(size_t points) { return points < 2 ? 0 : points * (points - 1) / 2; }

// The pairs from `cursor` on, among `points` points.
size_t PairsFrom(const PairCursor& cursor, size_t points) {
  if (cursor.a + 1 >= points) return 0;
  const size_t rest = points - cursor.a - 1;
  return (points - cursor.b) + CountPairs(rest);
}

// A view's picture: made, being made when the program is idle (the points whose lines
// are not yet in it wait, with the next pair), or given up by the user, who then sees
// the diagram without it.
struct Kept {
  Key key;
  GLuint texture = 0;
  OpenGLView* view = nullptr;
  std::vector<double> points;  // while waiting
  PairCursor next;
  bool declined = false;

  bool IsWaiting() const { return !points.empty(); }
  size_t PairsLeft() const { return PairsFrom(next, points.size() / 2); }
  void StopWaiting() {
    points = std::vector<double>();
    next = PairCursor();
  }
};

// The pictures the views of one context keep, and the lines made and rasterized there
// (for the tests). A picture let go of joins the context's released textures, deleted
// while the context is current.
struct Pictures : GLContextPart {
  ~Pictures() override {
    for (const auto& [view, kept] : views) Release(kept);
  }
  void Release(const Kept& kept) const {
    if (kept.texture && released) released->push_back(kept.texture);
  }
  std::map<const OpenGLView*, Kept> views;
  std::vector<unsigned>* released = nullptr;
  unsigned long made = 0;
  unsigned long rasterized = 0;
};

// Those of the current context; null outside any section.
Pictures* CurrentPictures() {
  GLContextState* state = GetCurrentGLContextState();
  if (!state) return nullptr;
  Pictures& pictures = GetGLContextPart<Pictures>(state->pairLines);
  pictures.released = &state->releasedTextures;
  return &pictures;
}

// The lines of up to `most` pairs from `cursor` on, as x0, y0, x1, y1 each, clipped to
// the square of half side `spread`; the cursor moves past the pairs. A pair at one point
// has no line.
void MakeSegments(const std::vector<double>& points, double spread, PairCursor& cursor, size_t most,
                  std::vector<float>& segments) {
  const size_t n = points.size() / 2;
  const double lo[2] = {-spread, -spread}, hi[2] = {spread, spread};
  unsigned long made = 0;
  for (size_t done = 0; done < most && cursor.a + 1 < n; ++done) {
    const double* p = &points[2 * cursor.a];
    const double* q = &points[2 * cursor.b];
    if (++cursor.b == n) {
      ++cursor.a;
      cursor.b = cursor.a + 1;
    }
    const double d[2] = {q[0] - p[0], q[1] - p[1]};
    const double length = std::hypot(d[0], d[1]);
    if (length <= kPointTolerance) continue;
    const double reach = 4.0 * (spread + std::hypot(p[0], p[1])) / length;
    double p0[2] = {p[0] - d[0] * reach, p[1] - d[1] * reach};
    double p1[2] = {p[0] + d[0] * reach, p[1] + d[1] * reach};
    if (!ClipLine2D(p0, p1, lo, hi)) continue;
    segments.insert(segments.end(), {float(p0[0]), float(p0[1]), float(p1[0]), float(p1[1])});
    ++made;
  }
  if (Pictures* pictures = CurrentPictures()) pictures->made += made;
}

// From how many pairs on a picture is made when the program is idle: one threshold
// for every view, as the cost it weighs is the rasterizer's; tests lower it to reach
// the idle work with a few points.
size_t gDeferredFrom = kDeferredPairLines;
// The lines drawn into a waiting picture in one turn, between two reports of progress:
// never more than a paint draws at once.
size_t LinesATurn() { return std::max<size_t>(1, std::min<size_t>(20000, gDeferredFrom)); }

Key CurrentKey(const PairLineSource& source) {
  Key key;
  key.owner = source.owner;
  key.pointCount = source.points.size() / 2;
  key.spread = source.spread;
  glGetIntegerv(GL_VIEWPORT, key.viewport.data());
  glGetDoublev(GL_PROJECTION_MATRIX, key.matrices.data());
  glGetDoublev(GL_MODELVIEW_MATRIX, key.matrices.data() + 16);
  glGetFloatv(GL_CURRENT_COLOR, key.colour.data());
  glGetFloatv(GL_LINE_WIDTH, &key.width);
  key.stipple = glIsEnabled(GL_LINE_STIPPLE) ? 1 : 0;
  return key;
}

// `count` numbers from `segments`, four a line.
void DrawSegments(const float* segments, size_t count) {
  if (count == 0) return;
  glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
  glEnableClientState(GL_VERTEX_ARRAY);
  glVertexPointer(2, GL_FLOAT, 0, segments);
  glDrawArrays(GL_LINES, 0, GLsizei(count / 2));
  glPopClientAttrib();
  if (Pictures* pictures = CurrentPictures()) pictures->rasterized += count / 4;
}
void DrawSegments(const std::vector<float>& segments) { DrawSegments(segments.data(), segments.size()); }

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

// Rasterizes the segments into a picture of the viewport's size, transparent where no
// line falls, over what `texture` shows when it is given (it then becomes the new
// picture); 0 when GL cannot make one.
GLuint MakePicture(const Key& key, const float* segments, size_t count, GLuint texture = 0) {
  const int width = key.viewport[2], height = key.viewport[3];
  if (width <= 0 || height <= 0) return 0;
  GLint target = 0;
  glGetIntegerv(GL_FRAMEBUFFER_BINDING, &target);
  Framebuffer buffer;
  GLuint made = 0;
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
    if (texture) DrawPicture(texture);
    DrawSegments(segments, count);
    if (texture) {
      made = texture;
    } else {
      glGenTextures(1, &made);
    }
    glBindTexture(GL_TEXTURE_2D, made);
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
  return made;
}

// Makes the next turn of a waiting picture's lines and draws them into it, in the frame
// and colour the paint that asked had; false when GL could not.
bool DrawTurn(Kept& kept) {
  const Key& key = kept.key;
  std::vector<float> segments;
  MakeSegments(kept.points, key.spread, kept.next, LinesATurn(), segments);
  glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_LINE_BIT | GL_TRANSFORM_BIT);
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_ALPHA_TEST);
  glDisable(GL_LINE_SMOOTH);
  glDisable(GL_LINE_STIPPLE);
  glColor4fv(key.colour.data());
  glLineWidth(key.width);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadMatrixd(key.matrices.data());
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadMatrixd(key.matrices.data() + 16);
  const GLuint made = MakePicture(key, segments.data(), segments.size(), kept.texture);
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
  glPopAttrib();
  // The turn's pixels are made now, so that the progress shown follows the work.
  glFinish();
  if (!made) return false;
  kept.texture = made;
  return true;
}

// The first view whose picture waits, with its context's pictures; null when none.
Kept* NextWaiting(Pictures** owner) {
  for (GLContextState* state = GetFirstGLContextState(); state; state = state->Next()) {
    if (!state->pairLines) continue;
    auto& pictures = static_cast<Pictures&>(*state->pairLines);
    for (auto& [view, kept] : pictures.views) {
      if (!kept.IsWaiting()) continue;
      *owner = &pictures;
      return &kept;
    }
  }
  return nullptr;
}

Kept* FindKept(const OpenGLView* view) {
  for (GLContextState* state = GetFirstGLContextState(); state; state = state->Next()) {
    if (!state->pairLines) continue;
    auto& views = static_cast<Pictures&>(*state->pairLines).views;
    const auto found = views.find(view);
    if (found != views.end()) return &found->second;
  }
  return nullptr;
}

size_t CountWaitingLines() {
  size_t lines = 0;
  for (GLContextState* state = GetFirstGLContextState(); state; state = state->Next()) {
    if (!state->pairLines) continue;
    for (const auto& [view, kept] : static_cast<Pictures&>(*state->pairLines).views) {
      lines += kept.PairsLeft();
    }
  }
  return lines;
}

// Every waiting picture is let go of; the user's Cancel leaves its view without one
// until the view shows something else, a stop the program asked for lets the next
// paint ask again.
void GiveUpWaiting(bool byUser) {
  for (GLContextState* state = GetFirstGLContextState(); state; state = state->Next()) {
    if (!state->pairLines) continue;
    auto& pictures = static_cast<Pictures&>(*state->pairLines);
    for (auto it = pictures.views.begin(); it != pictures.views.end();) {
      Kept& kept = it->second;
      if (!kept.IsWaiting()) {
        ++it;
        continue;
      }
      pictures.Release(kept);
      kept.texture = 0;
      kept.StopWaiting();
      if (kept.view) kept.view->Invalidate(false);
      if (byUser) {
        kept.declined = true;
        ++it;
      } else {
        it = pictures.views.erase(it);
      }
    }
  }
}

// A count summed over the contexts there are.
unsigned long Count(unsigned long Pictures::*count) {
  unsigned long sum = 0;
  ForEachGLContextPart<Pictures>(&GLContextState::pairLines, [&](const Pictures& pictures) { sum += pictures.*count; });
  return sum;
}

}  // namespace detail_PairLineLayer

void DrawPairLineLayer(OpenGLView* view, const PairLineSource& source) {
  using namespace detail_PairLineLayer;
  GLContextState* state = GetCurrentGLContextState();
  std::vector<float> segments;
  const auto makeAll = [&] {
    PairCursor all;
    MakeSegments(source.points, source.spread, all, CountPairs(source.points.size() / 2), segments);
  };
  // A picture printed or exported is drawn whole, and the pane's own stays as it is.
  if (!state || view->IsBitmapTarget()) {
    makeAll();
    DrawSegments(segments);
    return;
  }
  Pictures& pictures = GetGLContextPart<Pictures>(state->pairLines);
  pictures.released = &state->releasedTextures;
  const Key key = CurrentKey(source);
  Kept& kept = pictures.views[view];
  kept.view = view;
  if (kept.key == key) {
    // Until the idle work has made the picture, or after the user gave it up, the
    // diagram is shown without its pair lines.
    if (kept.IsWaiting() || kept.declined) return;
    if (kept.texture && glIsTexture(kept.texture)) {
      DrawPicture(kept.texture);
      return;
    }
  }
  if (kept.texture && glIsTexture(kept.texture)) glDeleteTextures(1, &kept.texture);
  kept.texture = 0;
  kept.StopWaiting();
  kept.declined = false;
  view->Frames().NoteFrameDrawnAfresh();
  const size_t pairs = CountPairs(source.points.size() / 2);
  if (pairs >= std::max<size_t>(1, gDeferredFrom) && !key.stipple && GetGLAbilities().framebufferObjects) {
    kept.key = key;
    kept.points = source.points;
    platform::Services().views->PrepareWhenIdle();
    return;
  }
  makeAll();
  kept.texture = MakePicture(key, segments.data(), segments.size());
  if (kept.texture) {
    kept.key = key;
    DrawPicture(kept.texture);
  } else {
    DrawSegments(segments);
  }
}

bool HasDeferredPairLinePictures() {
  detail_PairLineLayer::Pictures* pictures = nullptr;
  return detail_PairLineLayer::NextWaiting(&pictures) != nullptr;
}

bool MakeDeferredPairLinePictures() {
  using namespace detail_PairLineLayer;
  if (CountWaitingLines() == 0) return true;
  ProgressScope progress;
  size_t done = 0;
  Pictures* pictures = nullptr;
  while (Kept* kept = NextWaiting(&pictures)) {
    const size_t before = kept->PairsLeft();
    bool drawn = false;
    {
      GLSection section(kept->view);
      drawn = section.IsOpen() && DrawTurn(*kept);
    }
    if (!drawn) {
      // GL could not draw it (no context, no framebuffer to be had): the view shows the
      // diagram without its lines until it shows something else, rather than asking
      // for what cannot be made at every idle time.
      pictures->Release(*kept);
      kept->texture = 0;
      kept->StopWaiting();
      kept->declined = true;
      kept->view->Invalidate(false);
      continue;
    }
    done += before - kept->PairsLeft();
    // Views that showed something else meanwhile asked for other pictures.
    const size_t total = done + CountWaitingLines();
    const OpenGLView* view = kept->view;
    if (!UpdateProgress(double(done) / double(total), "Drawing the faceting diagram: %zu of %zu lines", done,
                        total)) {
      GiveUpWaiting(!WasProgressCancelRequested());
      return false;
    }
    // The view may have gone, or asked for another picture, while the window answered.
    Kept* made = FindKept(view);
    if (made && made->IsWaiting() && made->PairsLeft() == 0) {
      made->StopWaiting();
      made->view->Invalidate(false);
    }
  }
  return true;
}

void DropDeferredPairLinePictures() { detail_PairLineLayer::GiveUpWaiting(false); }

void SetDeferredPairLinesFrom(size_t lines) { detail_PairLineLayer::gDeferredFrom = lines; }

unsigned long CountPairLinesMade() {
  return detail_PairLineLayer::Count(&detail_PairLineLayer::Pictures::made);
}

unsigned long CountPairLinesRasterized() {
  return detail_PairLineLayer::Count(&detail_PairLineLayer::Pictures::rasterized);
}

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
