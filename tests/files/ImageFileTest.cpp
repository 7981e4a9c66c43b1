// Image files: PNG, JPEG and paletted GIF files written by the test load with the
// colours put in, resample by nearest pixel and fill texture buffers centred in
// their borders; missing and damaged files give the loader's message.

#include <FreeImage.h>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/ImageHeader.h"
#include "files/ImageFile.h"
#include "tests/support/FuzzInput.h"
#include "tests/support/TestSupport.h"

namespace test_ImageFile {

using corvia::testing::Platform;

struct Colour {
  int r, g, b, a;
};

// A 24-bit image whose pixel (x, y) is (40x + 10, 60y + 5, 200 - 30x).
FIBITMAP* MakeGradient(int width, int height) {
  FIBITMAP* image = FreeImage_Allocate(width, height, 24);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      RGBQUAD c = {};
      c.rgbRed = static_cast<BYTE>(40 * x + 10);
      c.rgbGreen = static_cast<BYTE>(60 * y + 5);
      c.rgbBlue = static_cast<BYTE>(200 - 30 * x);
      FreeImage_SetPixelColor(image, x, y, &c);
    }
  }
  return image;
}

Colour GradientAt(int x, int y) {
  return {40 * x + 10, 60 * y + 5, 200 - 30 * x, 255};
}

Colour PixelOf(FIBITMAP* image, int x, int y) {
  uint8_t rgba[4] = {1, 2, 3, 4};
  EXPECT_TRUE(corvia::GetImagePixelColor(image, x, y, rgba)) << x << "," << y;
  return {rgba[0], rgba[1], rgba[2], rgba[3]};
}

void ExpectColour(const Colour& actual, const Colour& wanted, int tolerance, const std::string& where) {
  EXPECT_NEAR(actual.r, wanted.r, tolerance) << where;
  EXPECT_NEAR(actual.g, wanted.g, tolerance) << where;
  EXPECT_NEAR(actual.b, wanted.b, tolerance) << where;
  EXPECT_NEAR(actual.a, wanted.a, tolerance) << where;
}

std::string Save(FIBITMAP* image, FREE_IMAGE_FORMAT format, const std::string& name, int flags = 0) {
  const std::string path = (corvia::testing::ScratchDir("ImageFile") / name).string();
  EXPECT_TRUE(FreeImage_Save(format, image, path.c_str(), flags)) << name;
  return path;
}

class ImageFileTest : public ::testing::Test {
 protected:
  void SetUp() override { Platform().messages.Clear(); }
};

TEST_F(ImageFileTest, PngLoadsResamplesAndFillsATextureBuffer) {
  FIBITMAP* made = MakeGradient(4, 3);
  const std::string path = Save(made, FIF_PNG, "gradient.png");
  FreeImage_Unload(made);

  FIBITMAP* image = corvia::LoadImageFile(path.c_str(), 0);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(Platform().messages.Boxes().size(), 0u);
  for (auto [x, y] : {std::pair{0, 0}, {3, 0}, {1, 2}, {3, 2}}) {
    ExpectColour(PixelOf(image, x, y), GradientAt(x, y), 0, "png pixel");
  }
  uint8_t untouched[4] = {9, 9, 9, 9};
  EXPECT_FALSE(corvia::GetImagePixelColor(image, 4, 0, untouched));
  EXPECT_FALSE(corvia::GetImagePixelColor(image, 0, -1, untouched));
  EXPECT_EQ(untouched[0], 9);

  // Twice the size: every source pixel becomes a 2 x 2 block.
  FIBITMAP* doubled = corvia::ResampleImage(image, 8, 6);
  ASSERT_NE(doubled, nullptr);
  EXPECT_EQ(FreeImage_GetBPP(doubled), 24u);
  for (int y = 0; y < 6; ++y) {
    for (int x = 0; x < 8; ++x) ExpectColour(PixelOf(doubled, x, y), GradientAt(x / 2, y / 2), 0, "doubled");
  }
  // Half the width: the pixel under each new pixel's centre (source columns 1 and 3).
  FIBITMAP* halved = corvia::ResampleImage(image, 2, 1);
  ASSERT_NE(halved, nullptr);
  ExpectColour(PixelOf(halved, 0, 0), GradientAt(1, 1), 0, "halved 0");
  ExpectColour(PixelOf(halved, 1, 0), GradientAt(3, 1), 0, "halved 1");
  EXPECT_EQ(corvia::ResampleImage(image, 0, 4), nullptr);
  EXPECT_EQ(corvia::ResampleImage(nullptr, 4, 4), nullptr);

  // An 8 x 8 texture with one border pixel each way: the 4 x 3 image sits centred in
  // the 6 x 6 area inside the border, at columns 2 to 5 and rows 2 to 4.
  std::vector<uint8_t> buffer;
  const float border[4] = {1.0f, 0.5f, 0.0f, 1.0f};
  ASSERT_EQ(corvia::GetOpenGLBuffer(image, buffer, 8, 8, 1, 1, border), corvia::kImageRGB);
  ASSERT_EQ(buffer.size(), 8u * 8u * 3u);
  auto texel = [&](int x, int y) {
    const uint8_t* p = &buffer[static_cast<size_t>((y * 8 + x) * 3)];
    return Colour{p[0], p[1], p[2], 255};
  };
  ExpectColour(texel(0, 0), {255, 128, 0, 255}, 0, "corner border");
  ExpectColour(texel(1, 1), {255, 128, 0, 255}, 0, "margin");
  ExpectColour(texel(2, 2), GradientAt(0, 0), 0, "image origin");
  ExpectColour(texel(5, 4), GradientAt(3, 2), 0, "image top right");
  ExpectColour(texel(6, 4), {255, 128, 0, 255}, 0, "right of the image");
  ExpectColour(texel(2, 5), {255, 128, 0, 255}, 0, "above the image");

  // A texture smaller than the image keeps its border and shows the image's middle.
  ASSERT_EQ(corvia::GetOpenGLBuffer(image, buffer, 4, 3, 1, 0, border), corvia::kImageRGB);
  ExpectColour(Colour{buffer[0], buffer[1], buffer[2], 255}, {255, 128, 0, 255}, 0, "cut: border");
  ExpectColour(Colour{buffer[3], buffer[4], buffer[5], 255}, GradientAt(1, 0), 0, "cut: first image column");

  EXPECT_EQ(corvia::GetOpenGLBuffer(image, buffer, 0, 8, 0, 0, border), 0);
  EXPECT_TRUE(buffer.empty());
  EXPECT_EQ(corvia::GetOpenGLBuffer(image, buffer, 8, 100000, 0, 0, border), 0);
  EXPECT_EQ(corvia::GetOpenGLBuffer(nullptr, buffer, 8, 8, 0, 0, border), 0);

  FreeImage_Unload(halved);
  FreeImage_Unload(doubled);
  corvia::UnloadImage(image);
  corvia::UnloadImage(nullptr);
}

TEST_F(ImageFileTest, JpegKeepsItsColoursWithinTheCompressionLoss) {
  // Four 8 x 8 blocks of plain colour, so that each block's middle survives the
  // compression nearly unchanged.
  const Colour blocks[2][2] = {{{200, 30, 40, 255}, {20, 180, 60, 255}}, {{30, 60, 210, 255}, {240, 230, 20, 255}}};
  FIBITMAP* made = FreeImage_Allocate(16, 16, 24);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      const Colour& c = blocks[y / 8][x / 8];
      RGBQUAD q = {static_cast<BYTE>(c.b), static_cast<BYTE>(c.g), static_cast<BYTE>(c.r), 0};
      FreeImage_SetPixelColor(made, x, y, &q);
    }
  }
  const std::string path = Save(made, FIF_JPEG, "blocks.jpg", JPEG_QUALITYSUPERB | JPEG_SUBSAMPLING_444);
  FreeImage_Unload(made);

  FIBITMAP* image = corvia::LoadImageFile(path.c_str(), 0);
  ASSERT_NE(image, nullptr);
  for (int by = 0; by < 2; ++by) {
    for (int bx = 0; bx < 2; ++bx) {
      ExpectColour(PixelOf(image, bx * 8 + 4, by * 8 + 4), blocks[by][bx], 12, "jpeg block");
    }
  }
  FIBITMAP* small = corvia::ResampleImage(image, 2, 2);
  ASSERT_NE(small, nullptr);
  ExpectColour(PixelOf(small, 1, 0), blocks[0][1], 12, "resampled block");
  std::vector<uint8_t> buffer;
  ASSERT_EQ(corvia::GetOpenGLBuffer(small, buffer, 2, 2, 0, 0, nullptr), corvia::kImageRGB);
  ExpectColour(Colour{buffer[9], buffer[10], buffer[11], 255}, blocks[1][1], 12, "buffer block");
  FreeImage_Unload(small);
  FreeImage_Unload(image);
}

TEST_F(ImageFileTest, PalettedGifGoesThroughItsPaletteAndTransparency) {
  FIBITMAP* made = FreeImage_Allocate(6, 4, 8);
  RGBQUAD* palette = FreeImage_GetPalette(made);
  const Colour colours[4] = {{255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 0}, {250, 250, 250, 255}};
  for (int i = 0; i < 256; ++i) palette[i] = RGBQUAD{0, 0, 0, 0};
  for (int i = 0; i < 4; ++i) {
    palette[i] =
        RGBQUAD{static_cast<BYTE>(colours[i].b), static_cast<BYTE>(colours[i].g), static_cast<BYTE>(colours[i].r), 0};
  }
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 6; ++x) {
      BYTE index = static_cast<BYTE>((x + y) % 4);
      FreeImage_SetPixelIndex(made, x, y, &index);
    }
  }
  FreeImage_SetTransparentIndex(made, 2);
  const std::string path = Save(made, FIF_GIF, "palette.gif");
  FreeImage_Unload(made);

  FIBITMAP* image = corvia::LoadImageFile(path.c_str(), 0);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(FreeImage_GetBPP(image), 8u);
  ASSERT_TRUE(FreeImage_IsTransparent(image));
  for (auto [x, y] : {std::pair{0, 0}, {1, 0}, {1, 1}, {5, 3}, {4, 2}}) {
    ExpectColour(PixelOf(image, x, y), colours[(x + y) % 4], 0, "gif pixel");
  }
  // Resampling keeps the depth, the palette and the transparent entry.
  FIBITMAP* wide = corvia::ResampleImage(image, 12, 4);
  ASSERT_NE(wide, nullptr);
  EXPECT_EQ(FreeImage_GetBPP(wide), 8u);
  ExpectColour(PixelOf(wide, 2, 1), colours[2], 0, "resampled transparent pixel");
  ExpectColour(PixelOf(wide, 11, 3), colours[(5 + 3) % 4], 0, "resampled corner");

  std::vector<uint8_t> buffer;
  ASSERT_EQ(corvia::GetOpenGLBuffer(image, buffer, 8, 4, 1, 0, nullptr), corvia::kImageRGBA);
  // Image column x lies at buffer column x + 1.
  auto texel = [&](int x, int y) {
    const uint8_t* p = &buffer[static_cast<size_t>((y * 8 + x) * 4)];
    return Colour{p[0], p[1], p[2], p[3]};
  };
  ExpectColour(texel(1, 0), colours[0], 0, "buffer red");
  ExpectColour(texel(3, 0), colours[2], 0, "buffer transparent");
  ExpectColour(texel(0, 0), {0, 0, 0, 0}, 0, "transparent border");
  FreeImage_Unload(wide);
  FreeImage_Unload(image);
}

TEST_F(ImageFileTest, GreyAndOneBitImagesKeepTheirKind) {
  FIBITMAP* grey = FreeImage_Allocate(3, 1, 8);
  RGBQUAD* palette = FreeImage_GetPalette(grey);
  for (int i = 0; i < 256; ++i)
    palette[i] = RGBQUAD{static_cast<BYTE>(i), static_cast<BYTE>(i), static_cast<BYTE>(i), 0};
  for (int x = 0; x < 3; ++x) {
    BYTE v = static_cast<BYTE>(100 * x);
    FreeImage_SetPixelIndex(grey, x, 0, &v);
  }
  std::vector<uint8_t> buffer;
  ASSERT_EQ(corvia::GetOpenGLBuffer(grey, buffer, 4, 1, 0, 0, nullptr), corvia::kImageGrey);
  EXPECT_EQ(buffer, (std::vector<uint8_t>{0, 100, 200, 0}));
  FreeImage_Unload(grey);

  // One bit per pixel: resampling steps over the bits.
  FIBITMAP* bits = FreeImage_Allocate(9, 2, 1);
  RGBQUAD* two = FreeImage_GetPalette(bits);
  two[0] = RGBQUAD{0, 0, 0, 0};
  two[1] = RGBQUAD{255, 255, 255, 0};
  for (int x = 0; x < 9; ++x) {
    BYTE v = static_cast<BYTE>(x % 3 == 0);
    FreeImage_SetPixelIndex(bits, x, 0, &v);
    FreeImage_SetPixelIndex(bits, x, 1, &v);
  }
  FIBITMAP* tripled = corvia::ResampleImage(bits, 27, 2);
  ASSERT_NE(tripled, nullptr);
  EXPECT_EQ(FreeImage_GetBPP(tripled), 1u);
  for (int x = 0; x < 27; ++x) {
    const int wanted = (x / 3) % 3 == 0 ? 255 : 0;
    EXPECT_EQ(PixelOf(tripled, x, 1).r, wanted) << x;
  }
  FreeImage_Unload(tripled);
  FreeImage_Unload(bits);
}

TEST_F(ImageFileTest, MissingAndDamagedFilesGiveTheLoadersMessage) {
  const std::string missing = (corvia::testing::ScratchDir("ImageFileMissing") / "none.png").string();
  corvia::Outcome outcome;
  EXPECT_EQ(corvia::LoadImageFile(missing.c_str(), 0, &outcome), nullptr);
  EXPECT_EQ(outcome.kind(), corvia::Outcome::Kind::kFailed);
  EXPECT_EQ(outcome.text(), "Failed to load image '" + missing + "', format -1, flags 0x0");

  // A PNG signature followed by rubbish, and a file of no format at all.
  const std::string damaged = (corvia::testing::ScratchDir("ImageFileDamaged") / "bad.png").string();
  {
    std::ofstream out(damaged, std::ios::binary);
    out << "\x89PNG\r\n\x1a\n" << std::string(64, '\x7f');
  }
  EXPECT_EQ(corvia::LoadImageFile(damaged.c_str(), 0x2, &outcome), nullptr);
  EXPECT_EQ(outcome.text(), "Failed to load image '" + damaged + "', format " + std::to_string(FIF_PNG) + ", flags 0x2");

  const std::string rubbish = (corvia::testing::ScratchDir("ImageFileRubbish") / "notes.xyz").string();
  {
    std::ofstream out(rubbish);
    out << "not an image";
  }
  EXPECT_EQ(corvia::LoadImageFile(rubbish.c_str(), 0, &outcome), nullptr);
  EXPECT_FALSE(outcome);
  // The reader shows nothing itself: the caller tells.
  EXPECT_TRUE(Platform().messages.Boxes().empty());

  // The program's own images fail quietly.
  Platform().messages.Clear();
  EXPECT_EQ(corvia::LoadImageResource("no-such-image.png"), nullptr);
  EXPECT_EQ(corvia::LoadImageResource(damaged.c_str()), nullptr);
  EXPECT_EQ(corvia::LoadImageResource(nullptr), nullptr);
  EXPECT_TRUE(Platform().messages.Boxes().empty());
}

TEST_F(ImageFileTest, ResourcesLoadByPath) {
  FIBITMAP* made = MakeGradient(2, 2);
  const std::string path = Save(made, FIF_BMP, "resource.bmp");
  FreeImage_Unload(made);
  FIBITMAP* image = corvia::LoadImageResource(path.c_str());
  ASSERT_NE(image, nullptr);
  ExpectColour(PixelOf(image, 1, 1), GradientAt(1, 1), 0, "bmp");
  FreeImage_Unload(image);
}

TEST(CentreMargins, SplitsTheDifferenceWithTheOddPixelRightAndTop) {
  int m[4];
  corvia::CentreMargins(m, 3, 2, 8, 5);
  EXPECT_EQ(m[0], 2);
  EXPECT_EQ(m[1], 1);
  EXPECT_EQ(m[2], 3);
  EXPECT_EQ(m[3], 2);
  corvia::CentreMargins(m, 64, 64, 64, 64);
  EXPECT_EQ(m[0] + m[1] + m[2] + m[3], 0);
  // A larger inner rectangle sticks out on both sides.
  corvia::CentreMargins(m, 11, 4, 8, 4);
  EXPECT_EQ(m[0], -2);
  EXPECT_EQ(m[2], -1);
}

// ---- Files that are no common picture, or claim more than they hold ---------------------

// A folder of the test's own (a scratch folder is made empty each time it is asked
// for).
const std::filesystem::path& HostileFolder() {
  static const std::filesystem::path folder = corvia::testing::ScratchDir("ImageFileHostile");
  return folder;
}

std::string WriteBytes(const std::string& name, const std::string& bytes) {
  const std::string path = (HostileFolder() / name).string();
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  return path;
}

// The bytes of a picture the image library writes.
std::string Encoded(FIBITMAP* image, FREE_IMAGE_FORMAT format, const char* name) {
  const std::string path = Save(image, format, name);
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void PutLittle(std::string& bytes, uint32_t value, int size) {
  for (int i = 0; i < size; ++i) bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// A BMP file header and information header for the size, depth and compression, with
// `data` bytes of pixels after them.
std::string Bmp(int32_t width, int32_t height, int bits, int compression, size_t data) {
  std::string b = "BM";
  PutLittle(b, uint32_t(54 + data), 4);
  PutLittle(b, 0, 4);
  PutLittle(b, 54, 4);
  PutLittle(b, 40, 4);
  PutLittle(b, uint32_t(width), 4);
  PutLittle(b, uint32_t(height), 4);
  PutLittle(b, 1, 2);
  PutLittle(b, uint32_t(bits), 2);
  PutLittle(b, uint32_t(compression), 4);
  b.append(4 * 5, '\0');  // data size, resolutions, colours used and important
  return b + std::string(data, '\x01');
}

// What the last load below came to.
corvia::Outcome gLoaded;

// The reason of the last load's failure, after the loader's own line; no box is shown.
std::string Reason() {
  if (!Platform().messages.Boxes().empty()) return "a box was shown";
  if (gLoaded.kind() != corvia::Outcome::Kind::kFailed) return "not failed";
  const std::string& text = gLoaded.text();
  const size_t line = text.find('\n');
  return line == std::string::npos ? "" : text.substr(line + 1);
}

TEST_F(ImageFileTest, OnlyTheCommonKindsAreReadKnownByTheirContent) {
  FIBITMAP* made = MakeGradient(5, 3);
  // A PNG by any name loads.
  const std::string png = Save(made, FIF_PNG, "really-a-png.jpg");
  FIBITMAP* image = corvia::LoadImageFile(png.c_str(), 0);
  ASSERT_NE(image, nullptr);
  ExpectColour(PixelOf(image, 4, 2), GradientAt(4, 2), 0, "png named .jpg");
  FreeImage_Unload(image);
  // Kinds the image library reads too, and text that an XPM reader would take: refused
  // before any decoder sees them.
  std::vector<std::string> others = {
      WriteBytes("picture.tga", Encoded(made, FIF_TARGA, "picture.tga")),
      WriteBytes("picture.tif", Encoded(made, FIF_TIFF, "picture.tif")),
      WriteBytes("damaged.xpm", "/* XPM */\nstatic char *x[] = {\n\"9999 9999 1 1\",\n\"a c #ffffff\",\n\"aaaa")};
  for (const std::string& path : others) {
    Platform().messages.Clear();
    EXPECT_EQ(corvia::LoadImageFile(path.c_str(), 0, &gLoaded), nullptr) << path;
    EXPECT_EQ(Reason(), "This is no PNG, JPEG, BMP or GIF picture.") << path;
    EXPECT_EQ(gLoaded.text().find("format -1"), path.size() + 25) << path;
    EXPECT_EQ(corvia::LoadImageResource(path.c_str()), nullptr) << path;
  }
  FreeImage_Unload(made);
}

TEST_F(ImageFileTest, ClaimedSizesBeyondTheBoundsOrTheDataAreRefusedBeforeDecoding) {
  std::string pngHeader = "\x89PNG\r\n\x1a\n";
  pngHeader += std::string("\0\0\0\x0dIHDR\0\0\x0f\xa0\0\0\x0f\xa0\x08\x06\0\0\0", 21);  // 4000 x 4000 RGBA
  std::string jpeg = std::string("\xFF\xD8\xFF\xC0\0\x11\x08\x75\x30\x75\x30\x03", 12) + std::string(20, '\0');
  std::string gif = std::string("GIF89a\xff\xff\xff\xff\0\0\0", 13) + ";";
  struct Case {
    std::string name, bytes, says;
  };
  const Case cases[] = {
      // 191 bytes of run lengths that claim 32 x 587,202,592 pixels.
      {"runs.bmp", Bmp(32, 587202592, 8, 1, 137), "32 x 587202592 pixels: more than can be loaded"},
      {"top-down.bmp", Bmp(32, -587202592, 8, 1, 137), "32 x 587202592 pixels: more than can be loaded"},
      {"plain.bmp", Bmp(1000, 1000, 24, 0, 100), "claims 1000 x 1000 pixels, more than its 154 bytes can hold"},
      {"big.png", pngHeader + std::string(30, '\0'), "claims 4000 x 4000 pixels, more than its 59 bytes can hold"},
      {"wide.jpg", jpeg, "30000 x 30000 pixels: more than can be loaded"},
      {"screen.gif", gif, "65535 x 65535 pixels: more than can be loaded"},
  };
  for (const Case& c : cases) {
    Platform().messages.Clear();
    EXPECT_EQ(corvia::LoadImageFile(WriteBytes(c.name, c.bytes).c_str(), 0, &gLoaded), nullptr) << c.name;
    EXPECT_NE(Reason().find(c.says), std::string::npos) << c.name << ": " << Reason();
  }
  // A plain BMP whose data holds its rows loads.
  std::string rows = Bmp(2, 2, 24, 0, 16);
  FIBITMAP* image = corvia::LoadImageFile(WriteBytes("whole.bmp", rows).c_str(), 0);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(FreeImage_GetWidth(image), 2u);
  FreeImage_Unload(image);
}

TEST_F(ImageFileTest, APipeADeviceOrAFolderIsNoPicture) {
  const std::filesystem::path folder = corvia::testing::ScratchDir("ImageFileKinds");
  const std::filesystem::path pipe = folder / "pipe.png";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  const std::pair<std::string, std::string> cases[] = {{pipe.string(), "It is not a regular file"},
                                                       {"/dev/zero", "It is not a regular file"},
                                                       {folder.string(), "It is a folder."}};
  for (const auto& [path, says] : cases) {
    Platform().messages.Clear();
    EXPECT_EQ(corvia::LoadImageFile(path.c_str(), 0, &gLoaded), nullptr) << path;
    EXPECT_EQ(Reason().rfind(says, 0), 0u) << path << ": " << Reason();
    EXPECT_EQ(corvia::LoadImageResource(path.c_str()), nullptr);
  }
}

TEST(Fuzz, FaceImagesFailWithOneErrorOrLoadAndSaveAgain) {
  // Small pictures of the four kinds, cut short or with bytes changed. A load either
  // gives one error box and no picture, or a picture within the bounds that fills a
  // texture buffer, saves as PNG and loads again to the same pixels.
  constexpr uint32_t kSeed = 20260715;
  constexpr int kRounds = 200;
  FIBITMAP* made = MakeGradient(6, 5);
  FIBITMAP* paletted = FreeImage_ConvertTo8Bits(made);
  const std::vector<std::string> seeds = {Encoded(made, FIF_PNG, "seed.png"), Encoded(made, FIF_JPEG, "seed.jpg"),
                                          Encoded(made, FIF_BMP, "seed.bmp"), Encoded(paletted, FIF_GIF, "seed.gif")};
  for (const std::string& seed : seeds) ASSERT_GT(seed.size(), 20u);
  FreeImage_Unload(paletted);
  FreeImage_Unload(made);
  const std::filesystem::path folder = corvia::testing::ScratchDir("ImageFuzz");
  const std::string path = (folder / "round.img").string();
  const std::string again = (folder / "again.png").string();
  int loaded = 0;
  for (int round = 0; round < kRounds; ++round) {
    std::mt19937 random = corvia::testing::RoundRandom(kSeed, round);
    const std::string where = corvia::testing::RoundName("image", kSeed, round);
    const std::string& seed = seeds[size_t(corvia::testing::Below(random, int(seeds.size())))];
    const std::string bytes = corvia::testing::Below(random, 4) == 0
                                  ? seed.substr(0, size_t(corvia::testing::Below(random, int(seed.size()))))
                                  : corvia::testing::ChangeBytes(seed, random);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    Platform().messages.Clear();
    FIBITMAP* image = corvia::LoadImageFile(path.c_str(), 0, &gLoaded);
    EXPECT_TRUE(Platform().messages.Boxes().empty()) << where;
    if (!image) {
      EXPECT_EQ(gLoaded.kind(), corvia::Outcome::Kind::kFailed) << where;
      EXPECT_EQ(gLoaded.text().rfind("Failed to load image '", 0), 0u) << where;
      continue;
    }
    ++loaded;
    EXPECT_TRUE(Platform().messages.Boxes().empty()) << where;
    const int width = int(FreeImage_GetWidth(image));
    const int height = int(FreeImage_GetHeight(image));
    ASSERT_TRUE(width >= 1 && height >= 1 && int64_t(width) * height <= corvia::kMaxImagePixels) << where;
    std::vector<uint8_t> texture;
    EXPECT_GT(corvia::GetOpenGLBuffer(image, texture, 64, 64, 1, 1, nullptr), 0) << where;
    std::vector<uint8_t> rgba(size_t(width) * height * 4);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) corvia::GetImagePixelColor(image, x, height - 1 - y, &rgba[(size_t(y) * width + x) * 4]);
    }
    FreeImage_Unload(image);
    ASSERT_TRUE(corvia::WriteImageFile(again.c_str(), rgba.data(), width, height, 0, 0)) << where;
    FIBITMAP* reread = corvia::LoadImageFile(again.c_str(), 0);
    ASSERT_NE(reread, nullptr) << where;
    bool same = int(FreeImage_GetWidth(reread)) == width && int(FreeImage_GetHeight(reread)) == height;
    for (int y = 0; same && y < height; ++y) {
      for (int x = 0; same && x < width; ++x) {
        uint8_t pixel[4];
        corvia::GetImagePixelColor(reread, x, height - 1 - y, pixel);
        same = std::memcmp(pixel, &rgba[(size_t(y) * width + x) * 4], 3) == 0;
      }
    }
    EXPECT_TRUE(same) << where;
    FreeImage_Unload(reread);
  }
  EXPECT_GT(loaded, kRounds / 10);
}

}  // namespace test_ImageFile

namespace test_ImageFileWrite {

using corvia::testing::Platform;

// RGBA pixels of a gradient, the top row first: (x, y) is (50x, 40y, 255 - 50x).
std::vector<uint8_t> Gradient(int width, int height) {
  std::vector<uint8_t> rgba(static_cast<size_t>(width) * height * 4);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      uint8_t* p = &rgba[(static_cast<size_t>(y) * width + x) * 4];
      p[0] = static_cast<uint8_t>(50 * x);
      p[1] = static_cast<uint8_t>(40 * y);
      p[2] = static_cast<uint8_t>(255 - 50 * x);
      p[3] = 77;
    }
  }
  return rgba;
}

// The pixel (x, y) counted from the top, as the file holds it.
std::vector<int> ReadBack(const std::string& path, int x, int y) {
  FIBITMAP* image = FreeImage_Load(FreeImage_GetFileType(path.c_str(), 0), path.c_str(), 0);
  EXPECT_NE(image, nullptr) << path;
  if (!image) return {};
  RGBQUAD c = {};
  FreeImage_GetPixelColor(image, x, FreeImage_GetHeight(image) - 1 - y, &c);
  FreeImage_Unload(image);
  return {c.rgbRed, c.rgbGreen, c.rgbBlue};
}

TEST(ImageFileWrite, KindsByExtension) {
  EXPECT_EQ(corvia::GetImageFileKind("a/b.PNG"), corvia::ImageFileKind::kPng);
  EXPECT_EQ(corvia::GetImageFileKind("b.jpeg"), corvia::ImageFileKind::kJpeg);
  EXPECT_EQ(corvia::GetImageFileKind("b.Jpg"), corvia::ImageFileKind::kJpeg);
  EXPECT_EQ(corvia::GetImageFileKind("b.bmp"), corvia::ImageFileKind::kNone);
  // A dot in a folder's name is not an extension.
  EXPECT_EQ(corvia::GetImageFileKind("x.png/picture"), corvia::ImageFileKind::kNone);
  EXPECT_EQ(corvia::GetImageFileKind(nullptr), corvia::ImageFileKind::kNone);
}

TEST(ImageFileWrite, PngKeepsEveryPixelTopRowFirstAndJpegItsColoursNearly) {
  Platform().messages.Clear();
  const auto folder = corvia::testing::ScratchDir("ImageFileWrite");
  const std::vector<uint8_t> rgba = Gradient(5, 4);
  const std::string png = (folder / "gradient.png").string();
  ASSERT_TRUE(corvia::WriteImageFile(png.c_str(), rgba.data(), 5, 4, 90, 300));
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 5; ++x) EXPECT_EQ(ReadBack(png, x, y), (std::vector<int>{50 * x, 40 * y, 255 - 50 * x}));
  }
  FIBITMAP* image = FreeImage_Load(FIF_PNG, png.c_str(), 0);
  ASSERT_NE(image, nullptr);
  EXPECT_NEAR(FreeImage_GetDotsPerMeterX(image) * 0.0254, 300.0, 1.0);
  FreeImage_Unload(image);

  // A flat colour survives JPEG compression within a few levels.
  std::vector<uint8_t> flat(16 * 16 * 4);
  for (size_t i = 0; i < flat.size(); i += 4) flat[i] = 200, flat[i + 1] = 60, flat[i + 2] = 30;
  const std::string jpeg = (folder / "flat.jpg").string();
  ASSERT_TRUE(corvia::WriteImageFile(jpeg.c_str(), flat.data(), 16, 16, 95, 0));
  EXPECT_EQ(FreeImage_GetFileType(jpeg.c_str(), 0), FIF_JPEG);
  const std::vector<int> c = ReadBack(jpeg, 8, 8);
  ASSERT_EQ(c.size(), 3u);
  EXPECT_NEAR(c[0], 200, 4);
  EXPECT_NEAR(c[1], 60, 4);
  EXPECT_NEAR(c[2], 30, 4);
  EXPECT_TRUE(Platform().messages.Boxes().empty());
  // Nothing is left beside the files.
  int files = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++files;
  EXPECT_EQ(files, 2);
}

TEST(ImageFileWrite, AFailureSaysWhyAndLeavesTheOldFile) {
  const auto folder = corvia::testing::ScratchDir("ImageFileWriteFails");
  const std::vector<uint8_t> rgba = Gradient(2, 2);
  Platform().messages.Clear();
  const std::string bmp = (folder / "picture.bmp").string();
  const corvia::Outcome refused = corvia::WriteImageFile(bmp.c_str(), rgba.data(), 2, 2, 90, 0);
  EXPECT_EQ(refused.kind(), corvia::Outcome::Kind::kRefused);
  EXPECT_EQ(refused.text(),
            "Couldn't write image file '" + bmp + "'.\nOnly PNG (.png) and JPEG (.jpg) images can be written.");
  EXPECT_FALSE(std::filesystem::exists(bmp));

  const std::string png = (folder / "old.png").string();
  {
    std::ofstream out(png);
    out << "old contents";
  }
  Platform().messages.Clear();
  EXPECT_EQ(corvia::WriteImageFile(png.c_str(), nullptr, 0, 0, 90, 0).text(),
            "Couldn't write image file '" + png + "'.\nThe image is empty.");
  // A folder that cannot be written to: the old file stays as it was.
  std::filesystem::permissions(folder, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  Platform().messages.Clear();
  const corvia::Outcome written = corvia::WriteImageFile(png.c_str(), rgba.data(), 2, 2, 90, 0);
  std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
  EXPECT_TRUE(Platform().messages.Boxes().empty());
  if (geteuid() != 0) {
    EXPECT_EQ(written.kind(), corvia::Outcome::Kind::kFailed);
    EXPECT_EQ(written.text().rfind("Couldn't write image file '" + png + "'.\n", 0), 0u) << written.text();
    std::ifstream in(png);
    std::string contents;
    std::getline(in, contents);
    EXPECT_EQ(contents, "old contents");
  }
}

}  // namespace test_ImageFileWrite
