// Two GL panes in one frame sharing one context and one display list, drawn and
// read back under a real (virtual) X display.

#include <GL/gl.h>
#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/glcanvas.h>
#include <wx/sizer.h>
#include <wx/utils.h>

#include <clocale>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

#include "tests/gui/GuiTestSupport.h"

namespace {

using corvia::testing::YieldUntil;

TEST(GLPanes, TwoCanvasesShareContextAndDisplayList) {
  const int attribs[] = {WX_GL_RGBA, WX_GL_DOUBLEBUFFER, WX_GL_DEPTH_SIZE, 24, WX_GL_STENCIL_SIZE, 8, 0};
  auto* frame = new wxFrame(nullptr, wxID_ANY, "GL panes", wxDefaultPosition, wxSize(400, 200));
  auto* left = new wxGLCanvas(frame, wxID_ANY, attribs, wxDefaultPosition, wxSize(200, 200));
  auto* right = new wxGLCanvas(frame, wxID_ANY, attribs, wxDefaultPosition, wxSize(200, 200));
  auto* row = new wxBoxSizer(wxHORIZONTAL);
  row->Add(left, 1, wxEXPAND);
  row->Add(right, 1, wxEXPAND);
  frame->SetSizer(row);
  frame->Show();
  YieldUntil([&] { return left->IsShownOnScreen() && right->IsShownOnScreen(); });
  ASSERT_TRUE(left->IsShownOnScreen());

  wxGLContext context(left);
  ASSERT_TRUE(context.IsOK());
  ASSERT_TRUE(left->SetCurrent(context));
  GLint stencil = 0;
  glGetIntegerv(GL_STENCIL_BITS, &stencil);
  EXPECT_GE(stencil, 8);

  // One list, made while the first pane is current, drawn in both.
  GLuint list = glGenLists(1);
  ASSERT_NE(list, 0u);
  glNewList(list, GL_COMPILE);
  glBegin(GL_QUADS);
  glVertex2f(-0.5f, -0.5f);
  glVertex2f(0.5f, -0.5f);
  glVertex2f(0.5f, 0.5f);
  glVertex2f(-0.5f, 0.5f);
  glEnd();
  glEndList();

  auto drawAndRead = [&](wxGLCanvas* canvas, float r, float g, float b) {
    EXPECT_TRUE(canvas->SetCurrent(context));
    wxSize size = canvas->GetClientSize();
    glViewport(0, 0, size.x, size.y);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glColor3f(r, g, b);
    glCallList(list);
    glFinish();
    unsigned char centre[4] = {}, corner[4] = {};
    glReadBuffer(GL_BACK);
    glReadPixels(size.x / 2, size.y / 2, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, centre);
    glReadPixels(2, 2, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, corner);
    canvas->SwapBuffers();
    return std::make_pair(std::vector<int>(centre, centre + 3), std::vector<int>(corner, corner + 3));
  };

  auto [leftCentre, leftCorner] = drawAndRead(left, 1, 0, 0);
  auto [rightCentre, rightCorner] = drawAndRead(right, 0, 0, 1);
  EXPECT_EQ(leftCentre, (std::vector<int>{255, 0, 0}));
  EXPECT_EQ(leftCorner, (std::vector<int>{0, 0, 0}));
  EXPECT_EQ(rightCentre, (std::vector<int>{0, 0, 255}));
  EXPECT_EQ(rightCorner, (std::vector<int>{0, 0, 0}));

  glDeleteLists(list, 1);
  frame->Destroy();
  YieldUntil([] { return wxTopLevelWindows.empty(); });
}

TEST(GuiStartUp, NumericLocaleStaysC) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", 2.5);
  EXPECT_STREQ(text, "2.5");
  EXPECT_STREQ(std::localeconv()->decimal_point, ".");
}

}  // namespace
