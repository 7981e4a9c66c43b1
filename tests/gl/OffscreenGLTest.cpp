// Off-screen OpenGL: a lit triangle drawn into an EGL pbuffer, read back, its
// stencil bits, and picking by name in selection mode. Needs no display.

#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <memory>

#include "platform/gl/OffscreenGL.h"

namespace {

using corvia::platform::OffscreenContext;

constexpr int kSize = 64;

struct Pixel {
  int r, g, b, a;
};

Pixel At(const std::vector<std::uint8_t>& pixels, int x, int y) {
  const std::uint8_t* p = &pixels[(static_cast<size_t>(y) * kSize + x) * 4];
  return {p[0], p[1], p[2], p[3]};
}

class OffscreenGL : public ::testing::Test {
protected:
  void SetUp() override {
    std::string error;
    mContext = OffscreenContext::Create(kSize, kSize, &error);
    ASSERT_TRUE(mContext) << error;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-1, 1, -1, 1, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
  }

  // A triangle covering the lower left half of the view, facing the viewer.
  static void Triangle() {
    glBegin(GL_TRIANGLES);
    glNormal3d(0, 0, 1);
    glVertex3d(-1, -1, 0);
    glVertex3d(1, -1, 0);
    glVertex3d(-1, 1, 0);
    glEnd();
  }

  std::unique_ptr<OffscreenContext> mContext;
};

TEST_F(OffscreenGL, LitTriangleReadsBack) {
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glEnable(GL_LIGHTING);
  glEnable(GL_LIGHT0);
  const GLfloat direction[] = {0, 0, 1, 0};  // light from the viewer
  const GLfloat white[] = {1, 1, 1, 1};
  const GLfloat black[] = {0, 0, 0, 1};
  glLightfv(GL_LIGHT0, GL_POSITION, direction);
  glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
  glLightModelfv(GL_LIGHT_MODEL_AMBIENT, black);
  const GLfloat red[] = {1, 0, 0, 1};
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, red);
  Triangle();
  glFinish();
  auto pixels = mContext->ReadPixels();
  Pixel inside = At(pixels, 10, 10);
  Pixel outside = At(pixels, 58, 58);
  EXPECT_GE(inside.r, 254);  // full diffuse: the normal faces the light
  EXPECT_LE(inside.g, 1);
  EXPECT_LE(inside.b, 1);
  EXPECT_EQ(outside.r, 0);

  // Turned edge-on to the light, the same triangle goes dark.
  glClear(GL_COLOR_BUFFER_BIT);
  const GLfloat side[] = {1, 0, 0, 0};
  glLightfv(GL_LIGHT0, GL_POSITION, side);
  Triangle();
  glFinish();
  EXPECT_LE(At(mContext->ReadPixels(), 10, 10).r, 1);
}

TEST_F(OffscreenGL, HasDepthAndStencilBits) {
  EXPECT_GE(mContext->StencilBits(), 8);
  EXPECT_GE(mContext->DepthBits(), 24);
  // Mark the triangle in the stencil, then paint only where it is not marked.
  glClearColor(0, 0, 0, 1);
  glClearStencil(0);
  glClear(GL_COLOR_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  glEnable(GL_STENCIL_TEST);
  glStencilFunc(GL_ALWAYS, 1, 0xFF);
  glStencilOp(GL_KEEP, GL_KEEP, GL_REPLACE);
  glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
  Triangle();
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glStencilFunc(GL_NOTEQUAL, 1, 0xFF);
  glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
  glColor3f(0, 1, 0);
  glRectf(-1, -1, 1, 1);
  glDisable(GL_STENCIL_TEST);
  glFinish();
  auto pixels = mContext->ReadPixels();
  EXPECT_EQ(At(pixels, 10, 10).g, 0);
  EXPECT_EQ(At(pixels, 58, 58).g, 255);

  GLubyte stencil = 0;
  glReadPixels(10, 10, 1, 1, GL_STENCIL_INDEX, GL_UNSIGNED_BYTE, &stencil);
  EXPECT_EQ(stencil, 1);
}

TEST_F(OffscreenGL, PicksTriangleByName) {
  GLuint buffer[64] = {};
  glSelectBuffer(64, buffer);
  glRenderMode(GL_SELECT);
  glInitNames();
  glPushName(0);

  GLint viewport[4] = {0, 0, kSize, kSize};
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPickMatrix(10, 10, 3, 3, viewport);  // a small box round a point inside the triangle
  glOrtho(-1, 1, -1, 1, -1, 1);
  glMatrixMode(GL_MODELVIEW);

  glLoadName(7);
  Triangle();
  glLoadName(9);  // a square in the upper right corner, away from the pick box
  glRectf(0.5f, 0.5f, 1, 1);

  GLint hits = glRenderMode(GL_RENDER);
  ASSERT_EQ(hits, 1);
  EXPECT_EQ(buffer[0], 1u);  // one name on the stack
  EXPECT_EQ(buffer[3], 7u);
}

TEST(OffscreenGLCreate, RefusesEmptySize) {
  std::string error;
  EXPECT_FALSE(OffscreenContext::Create(0, 10, &error));
  EXPECT_FALSE(error.empty());
}

}  // namespace
