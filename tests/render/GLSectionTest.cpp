// GL sections: nesting, mismatched and surplus closes, message boxes inside a
// section, the abilities detected, and a paint with no context.

#include <gtest/gtest.h>

#include "core/Messages.h"
#include "core/Progress.h"
#include "render/GLSection.h"
#include "tests/render/RenderTestSupport.h"
#include "tests/support/TestSupport.h"

namespace {

using namespace corvia;
using corvia::testing::TestView;

// Counts how often the section code makes the window current or lets it go.
class CountingTarget final : public GLTarget {
public:
  explicit CountingTarget(GLTarget* inner) : mInner(inner) {}
  bool MakeCurrent() override {
    ++made;
    return mInner->MakeCurrent();
  }
  void ReleaseCurrent() override {
    ++released;
    mInner->ReleaseCurrent();
  }
  void SwapBuffers() override {}
  const void* ContextKey() const override { return mInner->ContextKey(); }
  int made = 0;
  int released = 0;

private:
  GLTarget* mInner;
};

class GLSections : public corvia::testing::GLTest {};

TEST_F(GLSections, NestedSectionsMakeCurrentAndReleaseOnce) {
  TestView view;
  auto* window = Show(view, 32, 32);
  ASSERT_NE(window, nullptr);
  CountingTarget target(window);
  ASSERT_TRUE(PreOpenGL(&view, &target));
  ASSERT_TRUE(PreOpenGL(&view));
  EXPECT_EQ(GetOpenGLNesting(), 2);
  EXPECT_EQ(OpenGLView::GetCurrent(), &view);
  PostOpenGL(&view);
  EXPECT_EQ(OpenGLView::GetCurrent(), &view);
  PostOpenGL(&view);
  EXPECT_EQ(target.made, 1);
  EXPECT_EQ(target.released, 1);
  EXPECT_EQ(OpenGLView::GetCurrent(), nullptr);

  corvia::testing::ExpectInternalErrors(1);
  PostOpenGL(&view);
  ASSERT_EQ(corvia::testing::Platform().messages.CountTitled("Internal Error"), 1);
  EXPECT_EQ(corvia::testing::Platform().messages.Boxes().back().text, "Too many calls to PostOpenGL()\n");
}

TEST_F(GLSections, AViewDrawsFromItsExtentsToItsLastSectionAndTheProgressCodeKnows) {
  TestView view;
  auto* window = Show(view, 32, 32);
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(IsDrawingContextHeld());
  bool inExtents = false, inScene = false;
  view.extents = [&](TestView&) { inExtents = IsDrawingContextHeld(); };
  view.scene = [&](TestView&) { inScene = IsDrawingContextHeld(); };
  window->Paint();
  EXPECT_TRUE(inExtents);
  EXPECT_TRUE(inScene);
  EXPECT_FALSE(IsDrawingContextHeld());
  ASSERT_TRUE(PreOpenGL(&view));
  EXPECT_TRUE(IsDrawingContextHeld());
  PostOpenGL(&view);
  EXPECT_FALSE(IsDrawingContextHeld());
}

TEST_F(GLSections, AnotherViewsSectionNestsAndGivesTheContextBack) {
  TestView a, b;
  auto* wa = Show(a, 32, 32);
  auto* wb = Show(b, 16, 16);
  ASSERT_TRUE(wa && wb);
  ASSERT_TRUE(PreOpenGL(&a));
  ASSERT_TRUE(PreOpenGL(&b));
  EXPECT_EQ(OpenGLView::GetCurrent(), &b);
  GLint viewport[4];
  // Closing the wrong view's section is refused and leaves both open.
  corvia::testing::ExpectInternalErrors(1);
  PostOpenGL(&a);
  EXPECT_EQ(GetOpenGLNesting(), 2);
  PostOpenGL(&b);
  EXPECT_EQ(OpenGLView::GetCurrent(), &a);
  // a's framebuffer is bound again: clearing shows in a's pixels, not b's.
  glViewport(0, 0, 32, 32);
  glGetIntegerv(GL_VIEWPORT, viewport);
  glClearColor(0, 1, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  PostOpenGL(&a);
  EXPECT_EQ(corvia::testing::PixelAt(wa->ReadPixels(), 5, 5).g, 255);
}

TEST_F(GLSections, AMessageBoxInsideASectionLeavesItAsItWas) {
  TestView view;
  ASSERT_NE(Show(view, 32, 32), nullptr);
  int nestingDuringBox = -1;
  OpenGLView* currentDuringBox = &view;
  auto& messages = corvia::testing::Platform().messages;
  auto previous = messages.onBox;
  messages.onBox = [&](const platform::MessageBoxRequest& box) {
    nestingDuringBox = GetOpenGLNesting();
    currentDuringBox = OpenGLView::GetCurrent();
    if (previous) previous(box);
  };
  ASSERT_TRUE(PreOpenGL(&view));
  ASSERT_TRUE(PreOpenGL(&view));
  ShowError("Something went wrong");
  messages.onBox = previous;
  EXPECT_EQ(nestingDuringBox, 0);
  EXPECT_EQ(currentDuringBox, nullptr);
  EXPECT_EQ(GetOpenGLNesting(), 2);
  EXPECT_EQ(OpenGLView::GetCurrent(), &view);
  EXPECT_TRUE(view.GetRedrawFlags() & kRedrawClient);
  PostOpenGL(&view);
  PostOpenGL(&view);
}

TEST_F(GLSections, AbilitiesAndPolygonOffsets) {
  TestView view;
  auto* window = Show(view, 32, 32);
  ASSERT_NE(window, nullptr);
  window->Paint();
  const GLAbilities& a = GetGLAbilities();
  EXPECT_TRUE(a.detected);
  EXPECT_TRUE(a.stencil);
  EXPECT_GE(a.stencilBits, 8);
  EXPECT_EQ(a.depthBits, 24);
  EXPECT_EQ(a.polygonOffset, 200);
  EXPECT_TRUE(a.framebufferObjects);
  EXPECT_EQ(a.textureWrapMode, static_cast<unsigned>(GL_CLAMP_TO_EDGE));
  EXPECT_EQ(PolygonOffsetForDepthBits(16), 1);
  EXPECT_EQ(PolygonOffsetForDepthBits(23), 101);
  EXPECT_EQ(PolygonOffsetForDepthBits(32), 200);
}

TEST_F(GLSections, APaneWithoutContextPaintsNothingAndComplainsOfNothing) {
  TestView view;
  view.SetSizeForTest(20, 20);
  view.Invalidate(false);
  view.OnDraw();
  EXPECT_EQ(view.scenePasses, 0);
  EXPECT_EQ(view.GetRedrawFlags() & kRedrawClient, 0u);
  EXPECT_FALSE(PreOpenGL(&view));
  EXPECT_EQ(GetOpenGLNesting(), 0);
}

TEST_F(GLSections, ErrorsReachTheListenerWithTheirPlace) {
  TestView view;
  ASSERT_NE(Show(view, 8, 8), nullptr);
  std::string where;
  auto failing = SetGLErrorListener([&](const std::string& location, const std::string&) { where = location; });
  ASSERT_TRUE(PreOpenGL(&view));
  glEnable(0xFFFF);  // not a capability
  EXPECT_TRUE(CheckGLError("Test %d", 7));
  EXPECT_FALSE(CheckGLError("Clean"));
  PostOpenGL(&view);
  SetGLErrorListener(failing);
  EXPECT_EQ(where, "Test 7");
}

TEST_F(GLSections, SuspendingKeepsEverySectionForResume) {
  TestView a, b;
  ASSERT_TRUE(Show(a, 8, 8) && Show(b, 8, 8));
  ASSERT_TRUE(PreOpenGL(&a));
  ASSERT_TRUE(PreOpenGL(&a));
  ASSERT_TRUE(PreOpenGL(&b));
  SuspendedOpenGL record;
  SuspendOpenGL(record, true);
  EXPECT_EQ(GetOpenGLNesting(), 0);
  ASSERT_EQ(record.levels.size(), 2u);
  EXPECT_EQ(record.levels[0].depth, 2);
  ResumeOpenGL(record, true);
  EXPECT_EQ(GetOpenGLNesting(), 3);
  EXPECT_EQ(OpenGLView::GetCurrent(), &b);
  PostOpenGL(&b);
  PostOpenGL(&a);
  PostOpenGL(&a);
}

}  // namespace
