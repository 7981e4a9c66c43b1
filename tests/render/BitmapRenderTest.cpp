// Off-screen rendering of a view: the same pixels as its window, in one piece or
// in tiles; over-sampling; sizes that cannot be had; the print image size.

#include <gtest/gtest.h>

#include <cstdlib>

#include "render/Primitives.h"
#include "tests/render/RenderTestSupport.h"
#include "tests/support/TestSupport.h"

namespace {

using namespace corvia;
using corvia::testing::PixelAt;
using corvia::testing::TestView;

// A lit sphere, a translucent square and a text box: something of each kind.
void Scene(TestView& v) {
  v.Materials().SetMaterialColorRGB(0.9f, 0.5f, 0.2f);
  const double centre[3] = {0, 0, 0};
  DrawSphere(centre, 0.7);
  SetLighting(&v, false);
  v.Materials().SetTransparencyMode(kTransparencyBlended);
  v.Materials().SetMaterialColorRGBA(0.2f, 0.4f, 1.0f, 0.5f);
  glBegin(GL_QUADS);
  glVertex3d(-0.9, -0.9, 0.8), glVertex3d(0.1, -0.9, 0.8), glVertex3d(0.1, 0.1, 0.8), glVertex3d(-0.9, 0.1, 0.8);
  glEnd();
  v.Materials().SetTransparencyMode(kTransparencyOpaque);
  SetLighting(&v, true);
  const float white[3] = {1, 1, 1};
  v.Text().DrawCornerText(0, "Hi", white, 0, 0, 0.6f);
}

int LargestDifference(const GLBitmap& a, const GLBitmap& b) {
  if (a.width != b.width || a.height != b.height) return 1000;
  int worst = 0;
  for (size_t i = 0; i < a.pixels.size(); ++i) {
    if (i % 4 == 3) continue;  // alpha
    worst = std::max(worst, std::abs(a.pixels[i] - b.pixels[i]));
  }
  return worst;
}

class BitmapRender : public corvia::testing::GLTest {
protected:
  void TearDown() override {
    GLBitmapRender::SetMaxTileSize(0);
    corvia::testing::GLTest::TearDown();
  }
};

TEST_F(BitmapRender, ABitmapOfTheWindowsSizeHasTheWindowsPixels) {
  TestView view;
  view.scene = Scene;
  auto* window = Show(view, 180, 130);
  ASSERT_NE(window, nullptr);
  const GLBitmap shown = Draw(window);
  GLBitmap bitmap;
  ASSERT_TRUE(view.RenderToBitmap(bitmap, 180, 130, 1));
  EXPECT_LE(LargestDifference(shown, bitmap), 1);
  // The view is as it was: same size, same pixels.
  EXPECT_EQ(view.GetClientWidth(), 180);
  EXPECT_EQ(view.GetClientHeight(), 130);
  EXPECT_LE(LargestDifference(shown, Draw(window)), 1);
}

TEST_F(BitmapRender, TilesMakeTheSameImage) {
  TestView view;
  view.scene = Scene;
  ASSERT_NE(Show(view, 60, 60), nullptr);
  GLBitmap whole, tiled;
  ASSERT_TRUE(view.RenderToBitmap(whole, 200, 150, 1));
  GLBitmapRender::SetMaxTileSize(64);
  ASSERT_TRUE(view.RenderToBitmap(tiled, 200, 150, 1));
  EXPECT_LE(LargestDifference(whole, tiled), 1);
  EXPECT_EQ(view.scenePasses, 1 + 12);  // one pass per tile
}

TEST_F(BitmapRender, OverSamplingEnlargesTheImageAndTheText) {
  TestView view;
  int lineHeight[2] = {0, 0};
  view.scene = [&](TestView& v) { lineHeight[v.IsBitmapTarget()] = v.Text().GetLineHeight(); };
  auto* window = Show(view, 50, 40);
  ASSERT_NE(window, nullptr);
  window->Paint();
  GLBitmap bitmap;
  ASSERT_TRUE(view.RenderToBitmap(bitmap, 50, 40, 3));
  EXPECT_EQ(bitmap.width, 150);
  EXPECT_EQ(bitmap.height, 120);
  EXPECT_GE(lineHeight[1], 3 * lineHeight[0] - 3);
  EXPECT_EQ(view.Text().GetFontScale(), 1);
}

TEST_F(BitmapRender, AFlatPaneKeepsItsCentreAtAnotherSize) {
  TestView view;
  view.SetIs3D(false);
  view.SetBackgroundColor(0, 0, 0);
  view.scene = [](TestView& v) {
    v.Materials().SetColor(1, 1, 1);
    const double centre[2] = {0.5, 0.25};
    DrawCircle2D(centre, 0.1, 32, true);
  };
  auto* window = Show(view, 120, 80);
  ASSERT_NE(window, nullptr);
  view.Mapping2D().SetExtents2D(-2, 2, 2, -2);
  view.Mapping2D().FitExtents2D();
  view.Mapping2D().Zoom2DAt(3.0, 90, 30);
  double at[2];
  const double centre[2] = {0.5, 0.25};
  view.Mapping2D().ModelToWindow2D(at, centre);
  const ViewMapping2D::Placement before = view.Mapping2D().GetPlacement();
  GLBitmap bitmap;
  ASSERT_TRUE(view.RenderToBitmap(bitmap, 240, 160, 1));
  EXPECT_EQ(PixelAt(bitmap, static_cast<int>(at[0] * 2), static_cast<int>(at[1] * 2)).r, 255);
  // The scroll position and content size scaled to the bitmap are the window's again.
  const ViewMapping2D::Placement after = view.Mapping2D().GetPlacement();
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(after.scroll[i], before.scroll[i]);
    EXPECT_EQ(after.contentSize[i], before.contentSize[i]);
  }
  EXPECT_EQ(after.zoom, before.zoom);
  EXPECT_EQ(PixelAt(Draw(window), static_cast<int>(at[0]), static_cast<int>(at[1])).r, 255);
}

TEST_F(BitmapRender, ASizeThatCannotBeHadIsAnErrorNotACrash) {
  TestView view;
  ASSERT_NE(Show(view, 20, 20), nullptr);
  GLBitmap bitmap;
  // 60000 x 60000 pixels would overflow 32-bit byte counts.
  EXPECT_FALSE(view.RenderToBitmap(bitmap, 30000, 30000, 2));
  EXPECT_EQ(corvia::testing::Platform().messages.CountTitled("Error"), 1);
  EXPECT_EQ(corvia::testing::Platform().messages.Boxes().back().text,
            "Failed to create bitmap.\nTry a smaller size or less over-sampling");
  EXPECT_TRUE(bitmap.pixels.empty());
  EXPECT_FALSE(view.RenderToBitmap(bitmap, 0, 10, 1));
}

TEST(PrintBitmapSize, HalvesLargePagesAndFitsPreviewsToThePage) {
  int w = 0, h = 0;
  GetPrintBitmapSize(false, 4000, 3000, 0, 0, w, h);
  EXPECT_EQ(w, 4000);
  EXPECT_EQ(h, 3000);
  GetPrintBitmapSize(false, 6000, 4000, 0, 0, w, h);
  EXPECT_EQ(w, 3000);
  EXPECT_EQ(h, 2000);
  GetPrintBitmapSize(true, 2100, 2970, 800, 600, w, h);  // a tall page: the height decides
  EXPECT_EQ(h, 600);
  EXPECT_EQ(w, 424);
  GetPrintBitmapSize(true, 2970, 2100, 800, 600, w, h);  // a wide one: the width
  EXPECT_EQ(w, 800);
  EXPECT_EQ(h, 566);
}

}  // namespace
