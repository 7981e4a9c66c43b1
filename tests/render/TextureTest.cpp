// Textures of the views and texture images: sizes, border colours and mipmaps worked
// out without GL; PNG, JPEG and paletted GIF files made by the test uploaded and read
// back off screen at chosen pixels; shared instances, a changed file read again, a
// missing or damaged file with the loader's message and no texture, and the textures
// of each context apart.

#include <FreeImage.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "files/ImageFile.h"
#include "render/GL.h"
#include "render/GLSection.h"
#include "render/TextureImage.h"
#include "render/Textures.h"
#include "tests/render/RenderTestSupport.h"
#include "tests/support/TestSupport.h"

namespace test_Texture {

using namespace corvia;
using corvia::testing::OtherContext;
using corvia::testing::Platform;
using corvia::testing::Rgba;
using corvia::testing::TestView;

// ---- Images made by the test ----------------------------------------------------------------

// A 24-bit image of 8 x 4 blocks, block (bx, by) coloured (30 bx + 20, 60 by + 10, 230 - 25 bx),
// each block `cell` pixels square.
RGBQUAD BlockColour(int bx, int by) {
  RGBQUAD c = {};
  c.rgbRed = static_cast<BYTE>(30 * bx + 20);
  c.rgbGreen = static_cast<BYTE>(60 * by + 10);
  c.rgbBlue = static_cast<BYTE>(230 - 25 * bx);
  return c;
}

FIBITMAP* MakeBlocks(int cell) {
  FIBITMAP* image = FreeImage_Allocate(8 * cell, 4 * cell, 24);
  for (int y = 0; y < 4 * cell; ++y) {
    for (int x = 0; x < 8 * cell; ++x) {
      RGBQUAD c = BlockColour(x / cell, y / cell);
      FreeImage_SetPixelColor(image, x, y, &c);
    }
  }
  return image;
}

// An 8-bit paletted image of the same blocks, one palette entry per block.
FIBITMAP* MakePalettedBlocks(int cell) {
  FIBITMAP* image = FreeImage_Allocate(8 * cell, 4 * cell, 8);
  RGBQUAD* palette = FreeImage_GetPalette(image);
  for (int by = 0; by < 4; ++by) {
    for (int bx = 0; bx < 8; ++bx) palette[8 * by + bx] = BlockColour(bx, by);
  }
  for (int y = 0; y < 4 * cell; ++y) {
    for (int x = 0; x < 8 * cell; ++x) {
      BYTE index = static_cast<BYTE>(8 * (y / cell) + x / cell);
      FreeImage_SetPixelIndex(image, x, y, &index);
    }
  }
  return image;
}

FIBITMAP* MakeSolid(int width, int height, int r, int g, int b) {
  FIBITMAP* image = FreeImage_Allocate(width, height, 24);
  RGBQUAD c = {};
  c.rgbRed = static_cast<BYTE>(r);
  c.rgbGreen = static_cast<BYTE>(g);
  c.rgbBlue = static_cast<BYTE>(b);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) FreeImage_SetPixelColor(image, x, y, &c);
  }
  return image;
}

// The test's scratch folder, made anew for each test.
std::filesystem::path gScratch;

std::string Save(FIBITMAP* image, FREE_IMAGE_FORMAT format, const std::string& name, int flags = 0) {
  const std::string path = (gScratch / name).string();
  EXPECT_TRUE(FreeImage_Save(format, image, path.c_str(), flags)) << name;
  FreeImage_Unload(image);
  return path;
}

// Moves the file's modification time by whole seconds.
void Touch(const std::string& path, int seconds) {
  const auto time = std::filesystem::last_write_time(path);
  std::filesystem::last_write_time(path, time + std::chrono::seconds(seconds));
}

// ---- Sizes, border colours and mipmaps, without GL -------------------------------------------

TEST(TextureSizes, RepeatingSidesWithoutMipmapsTakeHalfWhenLessThanThreeQuarters) {
  // 100 is not below 3/4 of 128, 60 not below 3/4 of 64.
  EXPECT_EQ(TextureSideFor(100, false, true, false, 1024), 128);
  EXPECT_EQ(TextureSideFor(60, false, true, false, 1024), 64);
  // 70 < 96 halves 128; 40 < 48 halves 64.
  EXPECT_EQ(TextureSideFor(70, false, true, false, 1024), 64);
  EXPECT_EQ(TextureSideFor(40, false, true, false, 1024), 32);
  // Clamped or mipmapped sides keep the power of two that holds them.
  EXPECT_EQ(TextureSideFor(70, false, false, false, 1024), 128);
  EXPECT_EQ(TextureSideFor(70, false, true, true, 1024), 128);
}

TEST(TextureSizes, BordersFitAndTheLimitHolds) {
  // A 62-pixel image with a border column at each side fits 64 exactly.
  EXPECT_EQ(TextureSideFor(62, true, false, false, 1024), 64);
  EXPECT_EQ(TextureSideFor(63, true, false, false, 1024), 128);
  EXPECT_EQ(TextureSideFor(5000, false, false, true, 1024), 1024);
  // A limit that is no power of two is taken down to one.
  EXPECT_EQ(TextureSideFor(5000, false, false, true, 1000), 512);
  EXPECT_EQ(PowerOfTwoBelow(1000), 512);
  EXPECT_EQ(PowerOfTwoBelow(1), 1);
  EXPECT_EQ(PowerOfTwoBelow(0), 0);
}

TEST(TextureBorderColour, OneColouredEdgeGivesThatColourExactly) {
  FIBITMAP* image = MakeSolid(20, 12, 51, 102, 204);
  // A different centre does not count.
  RGBQUAD red = {};
  red.rgbRed = 255;
  for (int y = 3; y < 9; ++y) {
    for (int x = 3; x < 17; ++x) FreeImage_SetPixelColor(image, x, y, &red);
  }
  float rgba[4];
  ASSERT_TRUE(FindImageBorderColour(image, rgba));
  EXPECT_FLOAT_EQ(rgba[0], 51.0f / 255.0f);
  EXPECT_FLOAT_EQ(rgba[1], 102.0f / 255.0f);
  EXPECT_FLOAT_EQ(rgba[2], 204.0f / 255.0f);
  EXPECT_FLOAT_EQ(rgba[3], 1.0f);
  FreeImage_Unload(image);
}

TEST(TextureBorderColour, TinyImagesAreCountedOncePerPixel) {
  // 1 x 1: the divisor of the edge walk would be 0.
  FIBITMAP* one = MakeSolid(1, 1, 255, 255, 255);
  float rgba[4] = {9, 9, 9, 9};
  ASSERT_TRUE(FindImageBorderColour(one, rgba));
  EXPECT_FLOAT_EQ(rgba[0], 1.0f);
  EXPECT_FLOAT_EQ(rgba[3], 1.0f);
  FreeImage_Unload(one);
  // One pixel high: no pixel is walked twice, so the mean stays within 0..1.
  FIBITMAP* line = MakeSolid(3, 1, 255, 0, 0);
  ASSERT_TRUE(FindImageBorderColour(line, rgba));
  EXPECT_FLOAT_EQ(rgba[0], 1.0f);
  EXPECT_FLOAT_EQ(rgba[1], 0.0f);
  FreeImage_Unload(line);
  // Runs too short to count leave the mean: half black, half white.
  FIBITMAP* mixed = MakeSolid(4, 4, 0, 0, 0);
  RGBQUAD white = {255, 255, 255, 0};
  for (int x = 0; x < 4; x += 2) {
    for (int y = 0; y < 4; ++y) FreeImage_SetPixelColor(mixed, x, y, &white);
  }
  ASSERT_TRUE(FindImageBorderColour(mixed, rgba));
  EXPECT_GT(rgba[0], 0.3f);
  EXPECT_LT(rgba[0], 0.7f);
  FreeImage_Unload(mixed);
  EXPECT_FALSE(FindImageBorderColour(nullptr, rgba));
}

TEST(TextureMipmaps, BlocksAverageWithRoundingAndBordersKeepTheirColour) {
  // 4 x 2, one channel.
  std::vector<uint8_t> buffer = {0, 1, 10, 20, 3, 4, 30, 41};
  int width = 4, height = 2;
  HalveTextureBuffer(buffer, width, height, 1, false, false, nullptr);
  ASSERT_EQ(width, 2);
  ASSERT_EQ(height, 1);
  EXPECT_EQ(buffer[0], 2);   // (0 + 1 + 3 + 4 + 2) / 4
  EXPECT_EQ(buffer[1], 25);  // (10 + 20 + 30 + 41 + 2) / 4
  HalveTextureBuffer(buffer, width, height, 1, false, false, nullptr);
  EXPECT_EQ(width, 1);
  EXPECT_EQ(buffer[0], 14);  // a 2 x 1 block: (2 + 25 + 1) / 2
  // With a border in s the first and last pixel of each row are the border's.
  std::vector<uint8_t> rgb(8 * 2 * 3, 100);
  int w = 8, h = 2;
  const uint8_t border[3] = {7, 8, 9};
  HalveTextureBuffer(rgb, w, h, 3, true, false, border);
  ASSERT_EQ(w, 4);
  EXPECT_EQ(rgb[0], 7);
  EXPECT_EQ(rgb[3], 100);
  EXPECT_EQ(rgb[9], 7);
  EXPECT_EQ(rgb[10], 8);
}

// ---- Upload and read back -----------------------------------------------------------------

class TextureGL : public corvia::testing::GLTest {
 protected:
  void SetUp() override {
    GLTest::SetUp();
    Platform().messages.Clear();
    gScratch = corvia::testing::ScratchDir("Texture");
  }

  // A view that draws the texture over its whole drawing area, texture (0, 0) at the
  // bottom left, magnified without smoothing.
  void ShowTexture(TestView& view, unsigned* texture) {
    view.scene = [texture](TestView& v) {
      glMatrixMode(GL_PROJECTION);
      glLoadIdentity();
      glOrtho(0, 1, 0, 1, -1, 1);
      glMatrixMode(GL_MODELVIEW);
      glLoadIdentity();
      SetLighting(&v, false);
      v.Materials().SetColor(1.0f, 1.0f, 1.0f);
      ASSERT_TRUE(EnableTexture(*texture, false));
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
      glBegin(GL_QUADS);
      glTexCoord2f(0, 0);
      glVertex2f(0, 0);
      glTexCoord2f(1, 0);
      glVertex2f(1, 0);
      glTexCoord2f(1, 1);
      glVertex2f(1, 1);
      glTexCoord2f(0, 1);
      glVertex2f(0, 1);
      glEnd();
      DisableTexture();
    };
  }

  // The 8 x 4 blocks of a 256 x 128 window showing a texture of the blocks: the centre
  // of each block in window pixels (y down).
  void ExpectBlocks(const GLBitmap& bitmap, int tolerance, const std::string& what) {
    for (int by = 0; by < 4; ++by) {
      for (int bx = 0; bx < 8; ++bx) {
        const RGBQUAD c = BlockColour(bx, by);
        const Rgba pixel = corvia::testing::PixelAt(bitmap, 32 * bx + 16, 127 - (32 * by + 16));
        EXPECT_NEAR(pixel.r, c.rgbRed, tolerance) << what << " block " << bx << "," << by;
        EXPECT_NEAR(pixel.g, c.rgbGreen, tolerance) << what << " block " << bx << "," << by;
        EXPECT_NEAR(pixel.b, c.rgbBlue, tolerance) << what << " block " << bx << "," << by;
      }
    }
  }

  // The texture's level 0, read back from GL.
  std::vector<uint8_t> ReadTexture(TestView& view, unsigned texture, int width, int height) {
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 4);
    GLSection section(&view);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
  }
};

TEST_F(TextureGL, PngJpegAndPalettedGifUploadWithTheirColours) {
  struct Case {
    std::string path;
    int tolerance;
  };
  const Case cases[] = {
      {Save(MakeBlocks(16), FIF_PNG, "blocks.png"), 0},
      {Save(MakeBlocks(16), FIF_JPEG, "blocks.jpg", JPEG_QUALITYSUPERB), 6},
      {Save(MakePalettedBlocks(16), FIF_GIF, "blocks.gif"), 0},
  };
  TestView view;
  unsigned texture = 0;
  ShowTexture(view, &texture);
  auto* window = Show(view, 256, 128);
  ASSERT_NE(window, nullptr);
  for (const Case& c : cases) {
    {
      GLSection section(&view);
      glGenTextures(1, &texture);
    }
    int imageWidth = 0, imageHeight = 0, textureWidth = 0, textureHeight = 0;
    float border[4];
    const int channels = PrepareTextureFile(texture, c.path.c_str(), kTextureMipmaps, 0, 1024, border, nullptr,
                                            &imageWidth, &imageHeight, &textureWidth, &textureHeight);
    EXPECT_EQ(channels, 3) << c.path;
    EXPECT_EQ(imageWidth, 128);
    EXPECT_EQ(imageHeight, 64);
    EXPECT_EQ(textureWidth, 128);
    EXPECT_EQ(textureHeight, 64);
    ExpectBlocks(Draw(window), c.tolerance, c.path);
    GLSection section(&view);
    glDeleteTextures(1, &texture);
  }
  EXPECT_TRUE(Platform().messages.Boxes().empty());
}

TEST_F(TextureGL, AnImageIsRescaledToARepeatingTextureAndCentredInAClampedOne) {
  // 12 x 6 blocks (96 x 48 pixels; no power of two).
  const std::string path = Save(MakeBlocks(12), FIF_PNG, "blocks12.png");
  TestView view;
  unsigned texture = 0;
  ShowTexture(view, &texture);
  auto* window = Show(view, 256, 128);
  ASSERT_NE(window, nullptr);
  {
    GLSection section(&view);
    glGenTextures(1, &texture);
  }
  int sizes[4] = {0, 0, 0, 0};
  // Repeating in both directions: stretched to 128 x 64, nearest pixel.
  ASSERT_EQ(PrepareTextureFile(texture, path.c_str(), kTextureRepeatS | kTextureRepeatT, 0, 1024, nullptr, nullptr,
                               &sizes[0], &sizes[1], &sizes[2], &sizes[3]),
            3);
  EXPECT_EQ(sizes[0], 128);
  EXPECT_EQ(sizes[1], 64);
  ExpectBlocks(Draw(window), 0, "stretched");

  // Clamped with a border: the 96 x 48 image sits in the middle of a 128 x 64 texture,
  // the rest the border colour asked for.
  const float green[4] = {0.0f, 1.0f, 0.0f, 1.0f};
  ASSERT_EQ(PrepareTextureFile(texture, path.c_str(), kTextureBorderS | kTextureBorderT, 0, 1024, nullptr, green,
                               &sizes[0], &sizes[1], &sizes[2], &sizes[3]),
            3);
  EXPECT_EQ(sizes[0], 96);
  EXPECT_EQ(sizes[1], 48);
  EXPECT_EQ(sizes[2], 128);
  EXPECT_EQ(sizes[3], 64);
  const std::vector<uint8_t> texels = ReadTexture(view, texture, 128, 64);
  auto texel = [&](int x, int y) { return &texels[4 * (static_cast<size_t>(y) * 128 + x)]; };
  EXPECT_EQ(texel(0, 0)[1], 255);
  EXPECT_EQ(texel(15, 30)[1], 255);    // left of the image
  EXPECT_EQ(texel(16, 8)[0], 20);      // its first block
  EXPECT_EQ(texel(111, 55)[0], 230);   // its last block: 30 x 7 + 20
  EXPECT_EQ(texel(112, 30)[0], 0);     // right of it
  GLSection section(&view);
  glDeleteTextures(1, &texture);
}

TEST_F(TextureGL, AnAlphaTextureHoldsTheImagesAlpha) {
  FIBITMAP* image = FreeImage_Allocate(4, 4, 32, FI_RGBA_RED_MASK, FI_RGBA_GREEN_MASK, FI_RGBA_BLUE_MASK);
  for (int y = 0; y < 4; ++y) {
    BYTE* line = FreeImage_GetScanLine(image, y);
    for (int x = 0; x < 4; ++x) {
      line[4 * x + FI_RGBA_RED] = 200;
      line[4 * x + FI_RGBA_GREEN] = 100;
      line[4 * x + FI_RGBA_BLUE] = 50;
      line[4 * x + FI_RGBA_ALPHA] = static_cast<BYTE>(60 * x + 10);
    }
  }
  TestView view;
  auto* window = Show(view, 16, 16);
  ASSERT_NE(window, nullptr);
  unsigned names[2] = {0, 0};
  {
    GLSection section(&view);
    glGenTextures(2, names);
  }
  EXPECT_EQ(PrepareTexture(names[0], image, 0, names[1], 1024, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
            4);
  FreeImage_Unload(image);
  const std::vector<uint8_t> alpha = ReadTexture(view, names[1], 4, 4);
  for (int x = 0; x < 4; ++x) {
    EXPECT_EQ(alpha[4 * x], 60 * x + 10);  // grey of the alpha
    EXPECT_EQ(alpha[4 * x + 3], 255);
  }
  const std::vector<uint8_t> colour = ReadTexture(view, names[0], 4, 4);
  EXPECT_EQ(colour[0], 200);
  EXPECT_EQ(colour[4 * 3 + 3], 190);
  GLSection section(&view);
  glDeleteTextures(2, names);
}

TEST_F(TextureGL, SphereMappingGoesOnTheSecondUnitAndOffAgain) {
  TestView view;
  ASSERT_NE(Show(view, 16, 16), nullptr);
  GLSection section(&view);
  EXPECT_FALSE(EnableSphereMapTexture(12345, false));  // names no texture
  unsigned name = 0;
  glGenTextures(1, &name);
  ASSERT_TRUE(EnableSphereMapTexture(name, true));
  const bool second = GetGLAbilities().textureUnits > 1;
  if (second) glActiveTexture(GL_TEXTURE1);
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_GEN_S));
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
  GLint mode = 0;
  glGetTexGeniv(GL_T, GL_TEXTURE_GEN_MODE, &mode);
  EXPECT_EQ(mode, GL_SPHERE_MAP);
  if (second) {
    glActiveTexture(GL_TEXTURE0);
    // The first unit is the active one again, and untouched.
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_S));
  }
  DisableSphereMapTexture();
  if (second) glActiveTexture(GL_TEXTURE1);
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_S));
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
  if (second) glActiveTexture(GL_TEXTURE0);
  glDeleteTextures(1, &name);
}

// ---- Texture images -------------------------------------------------------------------------

class TextureImages : public TextureGL {
 protected:
  // Texel (0, 0) of the image's texture in the view's context, bound as a paint binds it.
  Rgba FirstTexel(TestView& view, TextureImage* image) {
    unsigned name = 0;
    {
      GLSection section(&view);
      name = image->GetContextTexture(false);
    }
    if (!name) return Rgba{-1, -1, -1, -1};
    const std::vector<uint8_t> texels = ReadTexture(view, name, image->mTextureWidth, image->mTextureHeight);
    return Rgba{texels[0], texels[1], texels[2], texels[3]};
  }
};

TEST_F(TextureImages, InstancesAreSharedByFileWrapsAndBorderColour) {
  const std::string path = Save(MakeSolid(8, 8, 255, 0, 0), FIF_PNG, "shared.png");
  TestView view;
  ASSERT_NE(Show(view, 16, 16), nullptr);
  const int before = TextureImage::CountAll();
  TextureImage* a = TextureImage::New(path.c_str(), kWrapClamp, kWrapClamp, nullptr, false);
  TextureImage* b = TextureImage::New(path.c_str(), kWrapClamp, kWrapClamp, nullptr, false);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a, b);
  EXPECT_EQ(a->mRefCount, 2);
  TextureImage* repeat = TextureImage::New(path.c_str(), kWrapRepeat, kWrapClamp, nullptr, false);
  EXPECT_NE(repeat, a);

  const float blue[3] = {0, 0, 1};
  const float green[3] = {0, 1, 0};
  TextureImage* borderBlue = TextureImage::New(path.c_str(), kWrapClampToBorder, kWrapClampToBorder, blue, false);
  TextureImage* borderGreen = TextureImage::New(path.c_str(), kWrapClampToBorder, kWrapClampToBorder, green, false);
  EXPECT_NE(borderBlue, borderGreen);
  // Clamped without a border, the colour does not part them: the first request's stays.
  TextureImage* clampBlue = TextureImage::New(path.c_str(), kWrapRepeat, kWrapRepeat, blue, false);
  TextureImage* clampGreen = TextureImage::New(path.c_str(), kWrapRepeat, kWrapRepeat, green, false);
  EXPECT_EQ(clampBlue, clampGreen);
  EXPECT_EQ(clampBlue->mRequestedBorder[2], 1.0f);
  EXPECT_EQ(TextureImage::CountAll(), before + 5);

  for (TextureImage* image : {a, b, repeat, borderBlue, borderGreen, clampBlue, clampGreen}) image->Release();
  EXPECT_EQ(TextureImage::CountAll(), before);
}

TEST_F(TextureImages, AnImageDrawnWithoutATextureCountGetsTexturesThatGoWithIt) {
  // Facelets hold an image's use but no texture count: drawn, it still shows.
  const std::string path = Save(MakeSolid(8, 8, 0, 0, 255), FIF_PNG, "uncounted.png");
  TestView view;
  ASSERT_NE(Show(view, 16, 16), nullptr);
  TextureImage* image = TextureImage::New(path.c_str(), kWrapRepeat, kWrapRepeat, nullptr, false);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->mTextureCount, 0);
  EXPECT_EQ(FirstTexel(view, image), (Rgba{0, 0, 255, 255}));
  unsigned name = 0;
  {
    GLSection section(&view);
    name = image->GetContextTexture(false);
  }
  ASSERT_NE(name, 0u);
  // The image's end deletes them.
  image->Release();
  GLSection section(&view);
  EXPECT_FALSE(glIsTexture(name));
}

TEST_F(TextureImages, AChangedFileIsReadAgainWhenChecked) {
  const std::string path = Save(MakeSolid(8, 8, 255, 0, 0), FIF_PNG, "changing.png");
  TestView view;
  ASSERT_NE(Show(view, 16, 16), nullptr);
  TextureImage* image = TextureImage::New(path.c_str(), kWrapRepeat, kWrapRepeat, nullptr, true);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(FirstTexel(view, image), (Rgba{255, 0, 0, 255}));
  unsigned name = 0;
  {
    GLSection section(&view);
    name = image->GetContextTexture(false);
  }

  // PrepareAll reads the changed file only with the time checked.
  Save(MakeSolid(8, 8, 0, 0, 255), FIF_PNG, "changing.png");
  Touch(path, 10);
  EXPECT_TRUE(TextureImage::PrepareAll(false, false));
  EXPECT_EQ(ReadTexture(view, name, 8, 8)[2], 0);
  EXPECT_TRUE(TextureImage::PrepareAll(true, false));
  EXPECT_EQ(ReadTexture(view, name, 8, 8)[2], 255);

  // The first bind of a paint looks at the file too.
  Save(MakeSolid(8, 8, 0, 255, 0), FIF_PNG, "changing.png");
  Touch(path, 20);
  EXPECT_EQ(FirstTexel(view, image), (Rgba{0, 255, 0, 255}));
  image->DeleteTexture();
  image->Release();
}

TEST_F(TextureImages, AMissingFileGivesNoImageAndADamagedOneTheLoadersMessageOnce) {
  TestView view;
  ASSERT_NE(Show(view, 16, 16), nullptr);
  const std::string missing = (gScratch / "nowhere.png").string();
  std::filesystem::remove(missing);
  EXPECT_EQ(TextureImage::New(missing.c_str(), kWrapClamp, kWrapClamp, nullptr, true), nullptr);
  EXPECT_TRUE(Platform().messages.Boxes().empty());

  const std::string damaged = (gScratch / "damaged.png").string();
  {
    std::ofstream out(damaged, std::ios::binary);
    out << "\x89PNG\r\n\x1a\n this is no picture";
  }
  const int before = TextureImage::CountAll();
  EXPECT_EQ(TextureImage::New(damaged.c_str(), kWrapClamp, kWrapClamp, nullptr, true), nullptr);
  ASSERT_EQ(Platform().messages.CountTitled("Error"), 1);
  EXPECT_NE(Platform().messages.Boxes()[0].text.find("Failed to load image '" + damaged + "'"), std::string::npos);
  EXPECT_EQ(TextureImage::CountAll(), before);

  // Held without a texture made at once: binding finds none, and the file that failed
  // is not read again (nor reported again) until it changes.
  TextureImage* image = TextureImage::New(damaged.c_str(), kWrapClamp, kWrapClamp, nullptr, false);
  ASSERT_NE(image, nullptr);
  EXPECT_FALSE(image->CreateTexture());
  EXPECT_EQ(Platform().messages.CountTitled("Error"), 2);
  for (int paint = 0; paint < 3; ++paint) {
    GLSection section(&view);
    EXPECT_EQ(image->GetContextTexture(false), 0u);
  }
  EXPECT_EQ(Platform().messages.CountTitled("Error"), 2);
  // Mended, the file is read at the next paint.
  Save(MakeSolid(8, 8, 255, 0, 0), FIF_PNG, "damaged.png");
  Touch(damaged, 10);
  EXPECT_EQ(FirstTexel(view, image), (Rgba{255, 0, 0, 255}));
  image->DeleteTexture();
  image->Release();
  EXPECT_EQ(TextureImage::CountAll(), before);
}

TEST_F(TextureImages, WithoutAViewOnlyATextureAskedForAtOnceIsRefused) {
  const std::string path = Save(MakeSolid(4, 4, 1, 2, 3), FIF_PNG, "noview.png");
  corvia::testing::ExpectInternalErrors(1);
  EXPECT_EQ(TextureImage::New(path.c_str(), kWrapClamp, kWrapClamp, nullptr, true), nullptr);
  EXPECT_EQ(Platform().messages.CountTitled("Internal Error"), 1);
  EXPECT_EQ(Platform().messages.Boxes()[0].text, "TextureImage::New() called without OpenGL view");
  // An image held for later (a model file opened before the panes have their context)
  // gets its texture where it is first drawn.
  TextureImage* image = TextureImage::New(path.c_str(), kWrapClamp, kWrapClamp, nullptr, false);
  ASSERT_NE(image, nullptr);
  EXPECT_TRUE(image->CreateTexture());
  TestView view;
  ASSERT_NE(Show(view, 16, 16), nullptr);
  EXPECT_EQ(FirstTexel(view, image), (Rgba{1, 2, 3, 255}));
  image->DeleteTexture();
  image->Release();
}

TEST_F(TextureImages, BlockyPixelsMakeEveryTextureAgainMagnifiedWithoutSmoothing) {
  const std::string path = Save(MakeSolid(8, 8, 9, 9, 9), FIF_PNG, "blocky.png");
  TestView view;
  ASSERT_NE(Show(view, 16, 16), nullptr);
  TextureImage* image = TextureImage::New(path.c_str(), kWrapRepeat, kWrapRepeat, nullptr, true);
  ASSERT_NE(image, nullptr);
  auto magnification = [&] {
    GLSection section(&view);
    glBindTexture(GL_TEXTURE_2D, image->GetContextTexture(false));
    GLint filter = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &filter);
    return filter;
  };
  EXPECT_EQ(magnification(), GL_LINEAR);
  SetBlockyPixels(true);
  EXPECT_EQ(magnification(), GL_NEAREST);
  SetBlockyPixels(false);
  EXPECT_EQ(magnification(), GL_LINEAR);
  image->DeleteTexture();
  image->Release();
}

TEST_F(TextureImages, EachContextGetsTexturesOfItsOwn) {
  const std::string path = Save(MakeSolid(8, 8, 0, 255, 0), FIF_PNG, "contexts.png");
  TestView view;
  auto* window = Show(view, 16, 16);
  ASSERT_NE(window, nullptr);
  TextureImage* image = TextureImage::New(path.c_str(), kWrapClamp, kWrapClamp, nullptr, true);
  ASSERT_NE(image, nullptr);
  unsigned first = 0, second = 0, again = 0;
  {
    GLSection section(&view);
    first = image->GetContextTexture(false);
  }
  OtherContext other(window);
  {
    GLSection section(&view, &other);
    second = image->GetContextTexture(false);
  }
  {
    GLSection section(&view);
    again = image->GetContextTexture(false);
  }
  EXPECT_NE(first, 0u);
  EXPECT_NE(second, 0u);
  EXPECT_NE(first, second);
  EXPECT_EQ(first, again);
  image->DeleteTexture();
  image->Release();
}

}  // namespace test_Texture
