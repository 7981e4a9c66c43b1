#include <gtest/gtest.h>

#include "core/Folders.h"
#include "files/ImageFormats.h"

namespace test_ImageFormats {

TEST(ImageFormats, KnowsCommonFormatsAndRefusesOthers) {
  corvia::InstallImageFormatTest();
  EXPECT_TRUE(corvia::ImageFormatSupported(".png", 5));
  EXPECT_TRUE(corvia::ImageFormatSupported(".jpg", 9));
  EXPECT_TRUE(corvia::ImageFormatSupported(".BMP", 5));
  EXPECT_TRUE(corvia::ImageFormatSupported(".gif", 5));
  EXPECT_TRUE(corvia::ImageFormatSupported(".jpeg", 5));
  // Kinds the image library knows but the program does not read.
  for (const char* other : {".xpm", ".tga", ".tif", ".pcx", ".psd"}) EXPECT_FALSE(corvia::ImageFormatSupported(other, 5));
  EXPECT_FALSE(corvia::ImageFormatSupported(".corv", 5));
  EXPECT_FALSE(corvia::ImageFormatSupported("", 5));
  EXPECT_FALSE(corvia::ImageFormatSupported(".png", 0));
}

}  // namespace test_ImageFormats
