#pragma once
// What the drawing tests share: a pane whose passes a test fills, an off-screen
// window to show it in, and a fixture that fails the test on any GL error.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <ostream>
#include <memory>
#include <string>

#include "render/GL.h"
#include "render/GLBitmapRender.h"
#include "render/GLContextState.h"
#include "render/GLErrors.h"
#include "render/GLSection.h"
#include "render/OffscreenViewWindow.h"
#include "render/OpenGLView.h"

namespace corvia::testing {

// A pane whose drawing passes are the test's.
class TestView : public OpenGLView {
public:
  ~TestView() override {
    // The window lets the view go while it is still whole.
    if (auto* window = dynamic_cast<OffscreenViewWindow*>(GetWindow())) window->Close();
  }

  std::function<void(TestView&)> scene;
  std::function<void(TestView&)> background;
  std::function<void(TestView&)> extents;
  int scenePasses = 0;

  void ScenePass() override {
    ++scenePasses;
    if (scene) scene(*this);
  }
  void BackgroundPass() override {
    if (background) background(*this);
  }
  void ExtentsPass() override {
    if (extents) extents(*this);
  }
  // Gives a view without a window a drawing size, as a window would.
  void SetSizeForTest(int width, int height) { OnSize(width, height); }
};

// A target that draws with another's context but stands for a context of its own, as a
// pane on screen and an image off screen do, with the drawing state such a context has:
// released while it is current when the target goes.
class OtherContext final : public GLTarget {
public:
  explicit OtherContext(GLTarget* inner) : mInner(inner) {}
  ~OtherContext() override {
    const bool current = mInner->MakeCurrent();
    mState.Release(current);
    if (current) mInner->ReleaseCurrent();
  }
  bool MakeCurrent() override { return mInner->MakeCurrent(); }
  void ReleaseCurrent() override { mInner->ReleaseCurrent(); }
  void SwapBuffers() override {}
  const void* ContextKey() const override { return this; }
  GLContextState& State() { return mState; }

private:
  GLTarget* mInner;
  GLContextState mState{this};
};

struct Rgba {
  int r = 0, g = 0, b = 0, a = 0;
  bool operator==(const Rgba&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const Rgba& c) {
  return out << "(" << c.r << ", " << c.g << ", " << c.b << ", " << c.a << ")";
}

inline Rgba PixelAt(const GLBitmap& bitmap, int x, int y) {
  const uint8_t* p = bitmap.Pixel(x, y);
  return {p[0], p[1], p[2], p[3]};
}

inline int Brightness(const Rgba& c) { return c.r + c.g + c.b; }

// Any GL error fails the test: those that drawing code reports while it runs, and
// any still pending when the test ends.
class GLTest : public ::testing::Test {
protected:
  void SetUp() override {
    SetGLErrorListener([](const std::string& location, const std::string& error) {
      ADD_FAILURE() << "GL error at " << location << ": " << error;
    });
  }

  void TearDown() override {
    for (auto& window : mWindows) {
      if (window && window->MakeCurrent()) {
        for (GLenum e = glGetError(); e != GL_NO_ERROR; e = glGetError()) ADD_FAILURE() << "GL error left: " << e;
      }
    }
    mWindows.clear();
    SetGLErrorListener(nullptr);
    EXPECT_EQ(GetOpenGLNesting(), 0);
  }

  // A window of the size showing the view; the test keeps the view alive longer.
  OffscreenViewWindow* Show(OpenGLView& view, int width, int height) {
    std::string error;
    auto window = OffscreenViewWindow::Create(width, height, &error);
    if (!window) {
      ADD_FAILURE() << "No off-screen GL: " << error;
      return nullptr;
    }
    EXPECT_TRUE(window->Show(&view));
    mWindows.push_back(std::move(window));
    return mWindows.back().get();
  }

  // Paints and reads back what the window shows.
  GLBitmap Draw(OffscreenViewWindow* window) {
    window->Paint();
    return window->ReadPixels();
  }

  // Closes the windows before the views they show go.
  void CloseWindows() {
    for (auto& window : mWindows) window->Close();
  }

  std::vector<std::unique_ptr<OffscreenViewWindow>> mWindows;
};

}  // namespace corvia::testing
