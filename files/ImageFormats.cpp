#include "files/ImageFormats.h"

#include <FreeImage.h>

#include <string>

#include "core/Folders.h"

namespace corvia {

namespace detail_ImageFormats {
constexpr int kAskLoad = 5;
constexpr int kAskSave = 9;
}  // namespace detail_ImageFormats

bool FreeImageFormatSupported(const char* extension, int flag) {
  if (!extension || !*extension) return false;
  std::string name = "x";
  if (extension[0] != '.') name += '.';
  name += extension;
  FREE_IMAGE_FORMAT format = FreeImage_GetFIFFromFilename(name.c_str());
  if (format == FIF_UNKNOWN) return false;
  // Only the common kinds are read (files/ImageFile.h), whatever else the library knows.
  if (flag == detail_ImageFormats::kAskLoad)
    return format == FIF_PNG || format == FIF_JPEG || format == FIF_BMP || format == FIF_GIF;
  if (flag == detail_ImageFormats::kAskSave) return FreeImage_FIFSupportsWriting(format) != 0;
  return false;
}

void InstallImageFormatTest() { SetImageFormatTest(&FreeImageFormatSupported); }

}  // namespace corvia
