// Fonts and marked-up text in the panes: font files found through fontconfig, the
// font cache, the mipmapped texture font, and text drawn off screen where the
// layout put it, with its shadow and glow, its links named while picking, and
// labels at points in space.

#include <FTGL/ftgl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <filesystem>
#include <functional>
#include <string>

#include "core/HtmlText.h"
#include "render/FontFiles.h"
#include "render/GLFont.h"
#include "render/GLSelection.h"
#include "render/GLText.h"
#include "render/MipmapTextureFont.h"
#include "render/PaneFrame.h"
#include "render/SelectionItems.h"
#include "tests/render/RenderTestSupport.h"
#include "tests/support/TestSupport.h"

namespace {

using namespace corvia;
using corvia::testing::OtherContext;
using corvia::testing::PixelAt;
using corvia::testing::Platform;
using corvia::testing::Rgba;
using corvia::testing::TestView;

std::string BaseName(const std::string& path) {
  return std::filesystem::path(path).filename().string();
}

// A rectangle of pixels, x to the right and y down, ends included.
struct PixelBox {
  int left = 0, top = 0, right = -1, bottom = -1;
  bool Contains(int x, int y, int margin) const {
    return x >= left - margin && x <= right + margin && y >= top - margin && y <= bottom + margin;
  }
};

// The text's box in world units as the layout measures it.
struct WorldBox {
  float min[2] = {FLT_MAX, FLT_MAX};
  float max[2] = {-FLT_MAX, -FLT_MAX};
};

class Text : public corvia::testing::GLTest {
 protected:
  // An orthogonal pane of 200 x 200 pixels showing -1 to 1 each way: 100 pixels a
  // unit, the origin at pixel (100, 100).
  void SetUpView(TestView& view, float grey = 0.0f) {
    view.SetBackgroundColor(grey, grey, grey);
    ASSERT_NE((mWindow = Show(view, 200, 200)), nullptr);
    view.Camera().SetOrthogonal(true);
    view.Camera().SetOrthoHalfHeight(1.0f);
  }

  void TearDown() override {
    // Fonts go with their textures while their context is current.
    if (!mWindows.empty() && mWindows.front()->GetView()) {
      auto* view = static_cast<OpenGLView*>(mWindows.front()->GetView());
      if (PreOpenGL(view)) {
        FreeAllFonts();
        PostOpenGL(view);
      }
    }
    FreeAllFonts();
    GLTest::TearDown();
  }

  static PixelBox ToPixels(const WorldBox& box) {
    return PixelBox{
        static_cast<int>(std::floor(100 + 100 * box.min[0])), static_cast<int>(std::floor(100 - 100 * box.max[1])),
        static_cast<int>(std::ceil(100 + 100 * box.max[0])), static_cast<int>(std::ceil(100 - 100 * box.min[1]))};
  }

  // Pixels brighter than the limit inside and outside the box (with a margin).
  static std::pair<int, int> CountLit(const GLBitmap& image, const PixelBox& box, int margin, int limit) {
    int inside = 0, outside = 0;
    for (int y = 0; y < image.height; ++y) {
      for (int x = 0; x < image.width; ++x) {
        if (corvia::testing::Brightness(PixelAt(image, x, y)) <= limit) continue;
        (box.Contains(x, y, margin) ? inside : outside)++;
      }
    }
    return {inside, outside};
  }

  OffscreenViewWindow* mWindow = nullptr;
};

// ---- Font files ---------------------------------------------------------------------------------

TEST(FontFiles, FamiliesAreFoundThroughFontconfigAndArialIsLiberationSans) {
  std::string regular, bold;
  ASSERT_TRUE(FindFontFile("Arial", "Fonts", regular, bold));
  EXPECT_EQ(BaseName(regular), "LiberationSans-Regular.ttf");
  EXPECT_EQ(BaseName(bold), "LiberationSans-Bold.ttf");
  ASSERT_TRUE(FindFontFile("arial", "Fonts", regular, bold));
  EXPECT_EQ(BaseName(regular), "LiberationSans-Regular.ttf");
  ASSERT_TRUE(FindFontFile("Liberation Serif", "Fonts", regular, bold));
  EXPECT_EQ(BaseName(regular), "LiberationSerif-Regular.ttf");
  // A family that is not installed is not found, whatever fontconfig would offer
  // instead; nor is a blank name.
  EXPECT_FALSE(FindFontFile("No Such Family Anywhere", "Fonts", regular, bold));
  EXPECT_FALSE(FindFontFile("", "Fonts", regular, bold));
  EXPECT_FALSE(FindFontFile("   ", "Fonts", regular, bold));
  std::string path;
  ASSERT_TRUE(ResolveFontPath(path, "Arial", "Fonts"));
  EXPECT_TRUE(std::filesystem::exists(path));
  ASSERT_TRUE(FindFontPath(path, "LiberationMono-Regular.ttf", "Fonts"));
  EXPECT_EQ(BaseName(path), "LiberationMono-Regular.ttf");
  EXPECT_FALSE(FindFontPath(path, "NoSuchFontFile.ttf", "Fonts"));
}

TEST(FontFiles, AFileNameIsItsOwnRegularFileAndNamesItsBold) {
  std::string installed;
  ASSERT_TRUE(ResolveFontPath(installed, "Arial", "Fonts"));
  const auto dir = corvia::testing::ScratchDir("FontFiles");
  std::filesystem::copy_file(installed, dir / "face.ttf");
  const std::string face = (dir / "face.ttf").string();
  std::string regular, bold;
  // No "bd" file: the bold file is named with "b".
  ASSERT_TRUE(FindFontFile(face.c_str(), "Fonts", regular, bold));
  EXPECT_EQ(regular, face);
  EXPECT_EQ(bold, (dir / "faceb.ttf").string());
  std::filesystem::copy_file(installed, dir / "facebd.ttf");
  ASSERT_TRUE(FindFontFile(face.c_str(), "Fonts", regular, bold));
  EXPECT_EQ(bold, (dir / "facebd.ttf").string());
}

TEST(MipmapTextureFontSize, TexturesHoldTheGlyphsInPowersOfTwo) {
  // Glyphs 30 x 40 padded by 8: 98 glyphs want 2956 pixels, cut to 1024; 33 glyphs
  // a row; (98 / 33 + 1) x 40 + 16 = 136 rows of pixels, so 256.
  GlyphTextureSize size = MipmapTextureFont::ComputeTextureSize(98, 98, 30, 40, 8, 1024);
  EXPECT_EQ(size.width, 1024);
  EXPECT_EQ(size.glyphsPerRow, 33);
  EXPECT_EQ(size.height, 256);
  size = MipmapTextureFont::ComputeTextureSize(3, 3, 30, 40, 8, 1024);
  EXPECT_EQ(size.width, 128);
  EXPECT_EQ(size.glyphsPerRow, 3);
  EXPECT_EQ(size.height, 128);  // (3 / 3 + 1) x 40 + 16
  // A glyph wider than the largest texture still gets a row: 11 rows of 40.
  size = MipmapTextureFont::ComputeTextureSize(10, 10, 2000, 40, 8, 1024);
  EXPECT_EQ(size.glyphsPerRow, 1);
  EXPECT_EQ(size.height, 512);
}

// ---- The cache --------------------------------------------------------------------------------------

TEST_F(Text, TheCacheOpensTheFirstInstalledFaceAndReportsAMissingOneOnce) {
  TestView view;
  SetUpView(view);
  ASSERT_TRUE(PreOpenGL(&view));
  Platform().messages.Clear();
  GLFontCacheEntry* entry = FindOrLoadFont("Not Installed Here, Arial\" and the rest", -1);
  ASSERT_NE(entry, nullptr);
  EXPECT_TRUE(entry->flags & kFontEntryLoaded);
  EXPECT_EQ(entry->faceList, "Not Installed Here, Arial");
  EXPECT_EQ(entry->GetCurrentFace(), "Arial");
  EXPECT_TRUE(Platform().messages.Boxes().empty());
  EXPECT_EQ(FindOrLoadFont("  not installed here, ARIAL ", -1), entry);

  EXPECT_EQ(GetFont("Missing Family", -1), nullptr);
  EXPECT_EQ(GetFont("Missing Family", -1), nullptr);
  ASSERT_EQ(Platform().messages.Boxes().size(), 1u);
  EXPECT_EQ(Platform().messages.Boxes()[0].title, "Error");
  EXPECT_EQ(Platform().messages.Boxes()[0].text,
            "Can't load font \"Missing Family\".  Make sure you have it installed.");

  // Another resolution is another font; the first stays as it was.
  SetDefaultFontResolution(24);
  GLFont* small = GetFont("Arial", -1);
  SetDefaultFontResolution(kDefaultFontResolution);
  ASSERT_NE(small, nullptr);
  EXPECT_EQ(small->mResolution, 24);
  EXPECT_EQ(GetFont("Arial", -1)->mResolution, kDefaultFontResolution);
  EXPECT_EQ(CountCachedFonts(), 4);
  GLFont unloaded;
  unloaded.SetMaxGlyphs(7);
  unloaded.Free();
  EXPECT_EQ(unloaded.mMaxGlyphs, 100);
  EXPECT_FALSE(unloaded.IsLoaded());

  // A file name opens that file.
  std::string installed;
  ASSERT_TRUE(ResolveFontPath(installed, "Arial", "Fonts"));
  const auto dir = corvia::testing::ScratchDir("FontCache");
  std::filesystem::copy_file(installed, dir / "label.ttf");
  GLFont* file = GetFont((dir / "label.ttf").string().c_str(), -1);
  ASSERT_NE(file, nullptr);
  EXPECT_TRUE(file->IsLoaded());
  EXPECT_TRUE(Platform().messages.Boxes().size() == 1u);

  // The default font: "Arial" until another name is set.
  GLFontCacheEntry* first = GetDefaultFontEntry();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first, entry);  // the cache was not empty: its first entry
  SetDefaultFontName("Liberation Serif");
  EXPECT_EQ(first->faceList, "Liberation Serif");
  EXPECT_FALSE(first->flags & kFontEntryLoaded);
  ASSERT_EQ(GetDefaultFontEntry(), first);
  EXPECT_TRUE(first->flags & kFontEntryLoaded);
  SetDefaultFontName("Arial");
  PostOpenGL(&view);
}

TEST_F(Text, FacesFallBackAsTheStyleAsks) {
  TestView view;
  SetUpView(view);
  ASSERT_TRUE(PreOpenGL(&view));
  GLFont* font = GetFont("Arial", -1);
  ASSERT_NE(font, nullptr);
  FTFont* regular = font->GetFace(0);
  EXPECT_EQ(GetGlyphShear(), 0.0f);
  // Liberation Sans has a bold face; no italic is opened, so italic is sheared.
  EXPECT_NE(font->GetFace(kTextBold), regular);
  EXPECT_EQ(font->GetFace(kTextItalic), regular);
  EXPECT_FLOAT_EQ(GetGlyphShear(), 0.26f);
  EXPECT_EQ(font->GetFace(kTextBold | kTextItalic), font->GetFace(kTextBold));
  font->GetFace(kTextBold | kTextItalic);
  EXPECT_FLOAT_EQ(GetGlyphShear(), 0.26f);
  EXPECT_GT(font->Ascender(0), 0.5f);
  EXPECT_LT(font->Descender(0), 0.0f);
  EXPECT_EQ(GetGlyphShear(), 0.0f);

  // The glyph set is made when the face opens: one mipmapped texture, nothing left
  // pending, and the remaining count down by the 96 characters of the set.
  auto* texture = dynamic_cast<MipmapTextureFont*>(regular);
  ASSERT_NE(texture, nullptr);
  EXPECT_EQ(texture->GetNumTextures(), 1u);
  EXPECT_EQ(texture->GetGlyphCount(), 98u);
  EXPECT_EQ(texture->GetRemainingGlyphs(), 2u);
  EXPECT_FALSE(texture->HasPendingTexture());
  glBindTexture(GL_TEXTURE_2D, texture->GetTexture(0));
  GLint filter = 0, levelOne = 0;
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH, &levelOne);
  EXPECT_EQ(filter, GL_LINEAR_MIPMAP_LINEAR);
  EXPECT_EQ(levelOne, texture->GetTextureWidth() / 2);

  // A new size forgets the textures; glyphs come back when drawn, without mipmaps.
  texture->FaceSize(24, 72);
  EXPECT_EQ(texture->GetNumTextures(), 0u);
  EXPECT_EQ(texture->GetRemainingGlyphs(), 98u);
  texture->Render("A");
  ASSERT_EQ(texture->GetNumTextures(), 1u);
  glBindTexture(GL_TEXTURE_2D, texture->GetTexture(0));
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
  EXPECT_EQ(filter, GL_LINEAR);
  EXPECT_EQ(texture->GetRemainingGlyphs(), 97u);
  PostOpenGL(&view);
}

// ---- Drawing -------------------------------------------------------------------------------------

TEST_F(Text, GlyphsStandInTheBoxTheLayoutGaveThem) {
  TestView view;
  SetUpView(view);
  WorldBox first, second;
  view.scene = [&](TestView&) {
    const float white[4] = {1, 1, 1, 1};
    SetGLTextColor(white);
    float pen[3] = {-0.8f, 0.2f, 0.0f};
    float measure[3] = {-0.8f, 0.2f, 0.0f};
    GLFont::DrawHtml(measure, 0.5f, -1.0f, "Hi<br>Lo", kTextMeasureOnly, first.min, first.max, -1, 0);
    GLFont::DrawHtml(pen, 0.5f, -1.0f, "Hi<br>Lo", 0, nullptr, nullptr, -1, 0);
    // The pen ends a line lower, after "Lo".
    EXPECT_LT(pen[1], 0.2f - 0.4f);
    float pen2[3] = {0.3f, -0.5f, 0.0f};
    GLFont::DrawHtml(pen2, 0.3f, -1.0f, "\xE6\x97\xA5", kTextMeasureOnly, second.min, second.max, -1, 0);
    pen2[0] = 0.3f;
    GLFont::DrawHtml(pen2, 0.3f, -1.0f, "\xE6\x97\xA5", 0, nullptr, nullptr, -1, 0);
  };
  const GLBitmap image = Draw(mWindow);
  const PixelBox box = ToPixels(first);
  // About 0.5 units high and above half a unit wide; every lit pixel inside it.
  EXPECT_NEAR(box.bottom - box.top, 90, 25);
  auto [inside, outside] = CountLit(image, box, 2, 384);
  EXPECT_GT(inside, 300);
  // A character the font lacks is drawn as the font's box for missing glyphs.
  auto [missing, elsewhere] = CountLit(image, ToPixels(second), 2, 384);
  EXPECT_GT(missing, 10);
  EXPECT_EQ(outside, missing);
  EXPECT_EQ(elsewhere, inside);
}

TEST_F(Text, ShadowsFallBelowRightAndGlowSurroundsTheText) {
  // A shadow on white: grey to the lower right, where neither text nor background is.
  {
    TestView view;
    SetUpView(view, 1.0f);
    WorldBox box;
    view.scene = [&](TestView&) {
      const float red[4] = {1, 0, 0, 1};
      SetGLTextColor(red);
      float pen[3] = {-0.6f, -0.2f, 0.0f};
      GLFont::DrawHtml(pen, 0.8f, -1.0f, "<shadow>I</shadow>", kTextMeasureOnly, box.min, box.max, -1, 0);
      pen[0] = -0.6f;
      GLFont::DrawHtml(pen, 0.8f, -1.0f, "<shadow>I</shadow>", 0, nullptr, nullptr, -1, 0);
    };
    const GLBitmap image = Draw(mWindow);
    const PixelBox pixels = ToPixels(box);
    // 0.08 and 0.04 of the size: 6.4 pixels right and 3.2 down.
    int grey = 0, greyLeft = 0;
    for (int y = pixels.top; y <= pixels.bottom + 4; ++y) {
      for (int x = pixels.left - 6; x <= pixels.right + 7; ++x) {
        const Rgba c = PixelAt(image, x, y);
        const bool isGrey = c.r < 200 && c.r > 60 && std::abs(c.r - c.g) < 10 && std::abs(c.g - c.b) < 10;
        if (!isGrey) continue;
        (x > pixels.right - 2 ? grey : greyLeft)++;
      }
    }
    EXPECT_GT(grey, 20);
    EXPECT_EQ(greyLeft, 0);
    CloseWindows();
    FreeAllFonts();
  }
  // A glow on black: light round the text, out to the largest pass.
  {
    TestView view;
    SetUpView(view);
    WorldBox box;
    view.scene = [&](TestView&) {
      const float blue[4] = {0, 0, 0.6f, 1};
      SetGLTextColor(blue);
      float pen[3] = {-0.3f, -0.2f, 0.0f};
      GLFont::DrawHtml(pen, 0.6f, -1.0f, "<glow>I", kTextMeasureOnly, box.min, box.max, -1, 0);
      pen[0] = -0.3f;
      GLFont::DrawHtml(pen, 0.6f, -1.0f, "<glow>I", 0, nullptr, nullptr, -1, 0);
    };
    const GLBitmap image = Draw(mWindow);
    const PixelBox pixels = ToPixels(box);
    const double cx = (pixels.left + pixels.right) / 2.0, cy = (pixels.top + pixels.bottom) / 2.0;
    const double growth = 1.0 + 0.25 * (0.9 + 0.18);  // the largest pass
    int halo = 0, beyond = 0;
    for (int y = 0; y < image.height; ++y) {
      for (int x = 0; x < image.width; ++x) {
        const Rgba c = PixelAt(image, x, y);
        if (pixels.Contains(x, y, 1) || c.g < 20) continue;
        const bool inGlow = std::fabs(x - cx) <= (pixels.right - pixels.left) / 2.0 * growth + 2 &&
                            std::fabs(y - cy) <= (pixels.bottom - pixels.top) / 2.0 * growth + 2;
        (inGlow ? halo : beyond)++;
        // Glow is cyan: green and blue above red.
        EXPECT_GT(c.g, c.r);
      }
    }
    EXPECT_GT(halo, 30);
    EXPECT_EQ(beyond, 0);
  }
}

TEST_F(Text, LinksAreNamedWhilePicking) {
  InitGLSelection(kNumSelectionItemKinds);
  constexpr int kLinkItem = 30;
  TestView view;
  SetUpView(view);
  WorldBox box;
  view.scene = [&](TestView&) {
    float pen[3] = {-0.9f, 0.0f, 0.0f};
    GLFont::DrawHtml(pen, 0.4f, -1.0f, "no <a href=\"first\">link</a> yes", kTextMeasureOnly, nullptr, nullptr, -1, 5);
    pen[0] = -0.9f;
    GLFont::DrawHtml(pen, 0.4f, -1.0f, "go <a id=9 href=\"target\">there</a>", 0, box.min, box.max, -1, 5);
  };
  Draw(mWindow);
  // Without a pick mask links are not named.
  ResetHtmlLinks(0, kLinkItem);
  std::vector<GLHit> hits;
  view.DoSelection(hits, 150, 90, false);
  EXPECT_EQ(CountHtmlLinks(), 0);
  // Picking with the mask: the link's glyphs carry its name.
  ResetHtmlLinks(1, kLinkItem);
  hits.clear();
  const PixelBox pixels = ToPixels(box);
  // Somewhere over the word "there", in the right part of the box.
  int found = -1;
  for (int x = pixels.right - 5; x > (pixels.left + pixels.right) / 2 && found < 0; x -= 2) {
    for (int y = pixels.top + 5; y < pixels.bottom - 5 && found < 0; y += 2) {
      hits.clear();
      ResetHtmlLinks(1, kLinkItem);
      view.DoSelection(hits, x, y, true);
      found = FindHit(hits, kLinkItem, 0);
    }
  }
  ASSERT_GE(found, 0);
  ASSERT_EQ(CountHtmlLinks(), 1);
  EXPECT_EQ(GetHtmlLink(0)->target, "target");
  EXPECT_EQ(GetHtmlLink(0)->id, 9);
  EXPECT_EQ(GetHtmlLink(0)->value, 5);
  EXPECT_EQ(GetHtmlLink(1), nullptr);
  ResetHtmlLinks(0, 0);
}

TEST_F(Text, LabelsStandAtTheirPointFacingTheViewer) {
  TestView view;
  SetUpView(view);
  const double at[3] = {0.2, 0.3, 0.0};
  view.scene = [&](TestView&) {
    const float white[4] = {1, 1, 1, 1};
    SetGLTextColor(white);
    DrawGLText(kTextAnchorCentre, at, 0.3, -1.0, "XX", 0, nullptr, nullptr, nullptr, nullptr, nullptr);
  };
  const GLBitmap image = Draw(mWindow);
  int left = 999, right = -1, top = 999, bottom = -1;
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      if (corvia::testing::Brightness(PixelAt(image, x, y)) <= 384) continue;
      left = std::min(left, x), right = std::max(right, x), top = std::min(top, y), bottom = std::max(bottom, y);
    }
  }
  ASSERT_GE(right, left);
  // Centred on the point: pixel (120, 70).
  EXPECT_NEAR((left + right) / 2.0, 120.0, 3.0);
  EXPECT_NEAR((top + bottom) / 2.0, 70.0, 4.0);
  EXPECT_NEAR(bottom - top, 22.0, 6.0);  // capitals of a 0.3-high font: about 0.22

  // Upside down with its axes reversed, a label kept upright reads the same way.
  const double right180[3] = {-1, 0, 0}, up180[3] = {0, -1, 0};
  view.scene = [&](TestView&) {
    DrawGLText(kTextAnchorCentre | kTextKeepUpright, at, 0.3, -1.0, "XX", 0, right180, up180, nullptr, nullptr,
               nullptr);
  };
  const GLBitmap upright = Draw(mWindow);
  int same = 0, differ = 0;
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const bool a = corvia::testing::Brightness(PixelAt(image, x, y)) > 384;
      const bool b = corvia::testing::Brightness(PixelAt(upright, x, y)) > 384;
      (a == b ? same : differ)++;
    }
  }
  EXPECT_LT(differ, 40);
}

// A frame of the test's own: its panes share their label style with no other frame's.
struct FrameOfItsOwn : public PaneFrame {
  void SetMouseButtonHints(const std::string&, const std::string&, const std::string&) override {}
  void SetActiveView(NewView*) override {}
};

TEST_F(Text, APaneDrawsLabelsInItsOwnFramesColourWhileAnotherFrameIsInstalled) {
  FrameOfItsOwn own, other;
  PaneFrame* before = InstallPaneFrame(&own);
  {
    TestView view;
    SetUpView(view);
    const double at[3] = {0.0, 0.0, 0.0};
    view.scene = [&](TestView&) {
      DrawGLText(kTextAnchorCentre, at, 0.5, -1.0, "XX", 0, nullptr, nullptr, nullptr, nullptr, nullptr);
    };
    const float red[4] = {1, 0, 0, 1};
    SetGLTextColor(red);
    InstallPaneFrame(&other);
    const GLBitmap image = Draw(mWindow);
    int reds = 0, others = 0;
    for (int y = 0; y < image.height; ++y) {
      for (int x = 0; x < image.width; ++x) {
        const Rgba p = PixelAt(image, x, y);
        if (p.r > 128 && p.g < 64) ++reds;
        if (p.g > 64) ++others;
      }
    }
    EXPECT_GT(reds, 50);
    EXPECT_EQ(others, 0);
    InstallPaneFrame(&own);
  }
  InstallPaneFrame(before);
}

TEST_F(Text, EachContextHasFontsOfItsOwn) {
  TestView view;
  SetUpView(view);
  ASSERT_TRUE(PreOpenGL(&view));
  GLFont* here = GetFont("Arial", -1);
  ASSERT_NE(here, nullptr);
  EXPECT_EQ(CountCachedFonts(), 1);
  // The slant chosen for the next glyphs is that context's: a section opened in
  // another context meanwhile neither sees it nor changes it.
  here->GetFace(kTextItalic);
  {
    OtherContext inner(mWindow);
    ASSERT_TRUE(PreOpenGL(&view, &inner));
    EXPECT_EQ(GetGlyphShear(), 0.0f);
    SetGlyphShear(0.1f);
    PostOpenGL(&view);
  }
  EXPECT_FLOAT_EQ(GetGlyphShear(), 0.26f);
  SetGlyphShear(0.0f);
  PostOpenGL(&view);
  OtherContext other(mWindow);
  ASSERT_TRUE(PreOpenGL(&view, &other));
  EXPECT_EQ(CountCachedFonts(), 0);
  GLFont* there = GetFont("Arial", -1);
  ASSERT_NE(there, nullptr);
  EXPECT_NE(there, here);
  auto* hereFace = dynamic_cast<MipmapTextureFont*>(here->GetFace(0));
  auto* thereFace = dynamic_cast<MipmapTextureFont*>(there->GetFace(0));
  ASSERT_TRUE(hereFace && thereFace);
  EXPECT_NE(hereFace->GetTexture(0), thereFace->GetTexture(0));
  FreeAllFonts();
  PostOpenGL(&view);
}

TEST_F(Text, GlyphsBeyondTheSetAreMadeWhenDrawnAndShowWhenSmall) {
  TestView view;
  SetUpView(view);
  WorldBox box;
  // Accented letters are not in the glyph set: they are made while the text is
  // drawn, into the mipmapped texture of the set, whose mipmaps must take them in.
  const char* text = "\xC3\xA9\xC3\xA8\xC3\xAA";
  view.scene = [&](TestView&) {
    const float white[4] = {1, 1, 1, 1};
    SetGLTextColor(white);
    float pen[3] = {-0.5f, 0.0f, 0.0f};
    GLFont::DrawHtml(pen, 0.1f, -1.0f, text, kTextMeasureOnly, box.min, box.max, -1, 0);
    pen[0] = -0.5f;
    GLFont::DrawHtml(pen, 0.1f, -1.0f, text, 0, nullptr, nullptr, -1, 0);
  };
  const GLBitmap image = Draw(mWindow);
  auto [inside, outside] = CountLit(image, ToPixels(box), 2, 150);
  EXPECT_GT(inside, 8);
  EXPECT_EQ(outside, 0);

  // Past the glyph set the remaining count stays at 0 (it never wraps round).
  ASSERT_TRUE(PreOpenGL(&view));
  auto* face = dynamic_cast<MipmapTextureFont*>(GetFont("Arial", -1)->GetFace(0));
  ASSERT_NE(face, nullptr);
  std::string many;
  for (unsigned c = 0xC0; c < 0x180; ++c) {
    many += static_cast<char>(0xC0 | (c >> 6));
    many += static_cast<char>(0x80 | (c & 0x3F));
  }
  face->Render(many.c_str());
  EXPECT_EQ(face->GetRemainingGlyphs(), 0u);
  EXPECT_FALSE(face->HasPendingTexture());
  PostOpenGL(&view);
}

}  // namespace
