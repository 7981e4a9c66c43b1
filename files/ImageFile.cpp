#include "files/ImageFile.h"

#include <FreeImage.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "core/FileUtils.h"
#include "core/ImageHeader.h"
#include "core/Messages.h"
#include "core/Paths.h"

namespace corvia {

namespace detail_ImageFile {

// The largest texture side the buffer is built for, and the most pixels in one.
constexpr int kMaxTextureSide = 16384;
constexpr int64_t kMaxTexturePixels = int64_t{1} << 26;

// The folder of the program's own images, beside the program.
constexpr const char* kResourceFolder = "Resources/";

// The library's own complaints go to the diagnostic log, not to stderr.
// A trace: the call that failed reports its own failure.
void DiscardLibraryMessage(FREE_IMAGE_FORMAT format, const char* message) {
  DoNothing("FreeImage (format %d): %s\n", static_cast<int>(format), message ? message : "");
}

void QuietLibraryMessages() {
  static std::once_flag once;
  std::call_once(once, [] { FreeImage_SetOutputMessage(&DiscardLibraryMessage); });
}

uint8_t ToByte(float c) {
  if (!(c > 0.0f)) return 0;
  if (c >= 1.0f) return 255;
  return static_cast<uint8_t>(std::floor(c * 255.0f + 0.5f));
}

bool IsIndexed(FIBITMAP* image) {
  return FreeImage_GetImageType(image) == FIT_BITMAP && FreeImage_GetBPP(image) <= 8;
}

bool HasTransparencyTable(FIBITMAP* image) {
  return IsIndexed(image) && FreeImage_IsTransparent(image) && FreeImage_GetTransparencyCount(image) > 0;
}

// The channels a texture of the image gets; 0 for an image type that has no colour
// reading.
int ChannelsOf(FIBITMAP* image) {
  switch (FreeImage_GetImageType(image)) {
    case FIT_BITMAP: {
      const unsigned bpp = FreeImage_GetBPP(image);
      if (bpp <= 8) {
        const FREE_IMAGE_COLOR_TYPE colour = FreeImage_GetColorType(image);
        const bool grey = colour == FIC_MINISBLACK || colour == FIC_MINISWHITE;
        const bool alpha = HasTransparencyTable(image);
        return grey ? (alpha ? kImageGreyAlpha : kImageGrey) : (alpha ? kImageRGBA : kImageRGB);
      }
      if (bpp == 16 || bpp == 24) return kImageRGB;
      if (bpp == 32) return FreeImage_GetColorType(image) == FIC_RGBALPHA ? kImageRGBA : kImageRGB;
      return 0;
    }
    case FIT_UINT16:
    case FIT_FLOAT:
      return kImageGrey;
    case FIT_RGB16:
    case FIT_RGBF:
      return kImageRGB;
    case FIT_RGBA16:
    case FIT_RGBAF:
      return kImageRGBA;
    default:
      return 0;
  }
}

int64_t FloorDiv2(int64_t n) {
  return n >= 0 ? n / 2 : -((-n + 1) / 2);
}

// One pixel into the buffer in its channel layout.
void StorePixel(uint8_t* out, int channels, const uint8_t* rgba) {
  switch (channels) {
    case kImageGrey:
      out[0] = rgba[0];
      break;
    case kImageGreyAlpha:
      out[0] = rgba[0];
      out[1] = rgba[3];
      break;
    case kImageRGB:
      out[0] = rgba[0];
      out[1] = rgba[1];
      out[2] = rgba[2];
      break;
    default:
      std::memcpy(out, rgba, 4);
      break;
  }
}

// The image library's formats of the kinds read.
FREE_IMAGE_FORMAT FormatOfKind(ImageKind kind) {
  switch (kind) {
    case ImageKind::kPng:
      return FIF_PNG;
    case ImageKind::kJpeg:
      return FIF_JPEG;
    case ImageKind::kBmp:
      return FIF_BMP;
    case ImageKind::kGif:
      return FIF_GIF;
    default:
      return FIF_UNKNOWN;
  }
}

// Loads a picture of the common kinds, known by its content and with a size checked
// before it is decoded; other files never reach a decoder of the image library.
// `format` gets the library's format once the kind is known; `reason` what is wrong
// beyond a decoder's failure (empty for a missing or damaged file).
FIBITMAP* LoadCommonImage(const char* path, int flags, int& format, std::string& reason) {
  QuietLibraryMessages();
  format = FIF_UNKNOWN;
  reason.clear();
  std::vector<uint8_t> bytes;
  if (!path || !*path || !ReadImageFileBytes(path, bytes, reason)) return nullptr;
  ImageHeader header;
  std::string why;
  const bool usable = ReadImageHeader(bytes.data(), bytes.size(), header, why);
  format = FormatOfKind(header.kind);
  // A damaged header is a picture that cannot be read; a picture of another kind or
  // of a size beyond the bounds says so.
  if (!usable) {
    if (header.kind == ImageKind::kNone || header.width > 0) reason = why;
    return nullptr;
  }
  FIMEMORY* memory = FreeImage_OpenMemory(bytes.data(), static_cast<DWORD>(bytes.size()));
  if (!memory) return nullptr;
  FIBITMAP* image = FreeImage_LoadFromMemory(static_cast<FREE_IMAGE_FORMAT>(format), memory, flags);
  FreeImage_CloseMemory(memory);
  return image;
}

}  // namespace detail_ImageFile

FIBITMAP* LoadImageFile(const char* path, int flags, Outcome* outcome) {
  int format = FIF_UNKNOWN;
  std::string reason;
  FIBITMAP* image = detail_ImageFile::LoadCommonImage(path, flags, format, reason);
  if (outcome) {
    *outcome = image ? Outcome::Done()
                     : Outcome::FailedF("Failed to load image '%s', format %d, flags 0x%x%s%s", path ? path : "",
                                        format, flags, reason.empty() ? "" : "\n", reason.c_str());
  }
  return image;
}

FIBITMAP* LoadImageResource(const char* name) {
  if (!name || !*name) return nullptr;
  std::string path = name;
  if (!FileExists(name)) {
    if (!FindProgramFile(path, (std::string(detail_ImageFile::kResourceFolder) + name).c_str(), false)) return nullptr;
  }
  int format = FIF_UNKNOWN;
  std::string reason;
  return detail_ImageFile::LoadCommonImage(path.c_str(), 0, format, reason);
}

void UnloadImage(FIBITMAP* image) {
  if (image) FreeImage_Unload(image);
}

FIBITMAP* ResampleImage(FIBITMAP* image, int width, int height) {
  if (!image || width < 1 || height < 1) return nullptr;
  const int64_t sourceWidth = FreeImage_GetWidth(image);
  const int64_t sourceHeight = FreeImage_GetHeight(image);
  if (sourceWidth < 1 || sourceHeight < 1) return nullptr;
  const FREE_IMAGE_TYPE type = FreeImage_GetImageType(image);
  const unsigned bpp = FreeImage_GetBPP(image);
  FIBITMAP* out = FreeImage_AllocateT(type, width, height, static_cast<int>(bpp), FreeImage_GetRedMask(image),
                                      FreeImage_GetGreenMask(image), FreeImage_GetBlueMask(image));
  if (!out) return nullptr;
  const unsigned colours = FreeImage_GetColorsUsed(image);
  RGBQUAD* fromPalette = FreeImage_GetPalette(image);
  RGBQUAD* toPalette = FreeImage_GetPalette(out);
  if (colours > 0 && fromPalette && toPalette && FreeImage_GetColorsUsed(out) == colours) {
    std::memcpy(toPalette, fromPalette, colours * sizeof(RGBQUAD));
  }
  if (FreeImage_GetTransparencyCount(image) > 0) {
    FreeImage_SetTransparencyTable(out, FreeImage_GetTransparencyTable(image),
                                   static_cast<int>(FreeImage_GetTransparencyCount(image)));
  }
  FreeImage_SetTransparent(out, FreeImage_IsTransparent(image));
  FreeImage_SetDotsPerMeterX(out, FreeImage_GetDotsPerMeterX(image));
  FreeImage_SetDotsPerMeterY(out, FreeImage_GetDotsPerMeterY(image));

  // Each target pixel takes the source pixel under its centre.
  const bool indexed = type == FIT_BITMAP && bpp < 8;
  const size_t bytes = bpp / 8;
  for (int y = 0; y < height; ++y) {
    const int64_t sy = ((2 * int64_t{y} + 1) * sourceHeight) / (2 * int64_t{height});
    const BYTE* from = FreeImage_GetScanLine(image, static_cast<int>(sy));
    BYTE* to = FreeImage_GetScanLine(out, y);
    for (int x = 0; x < width; ++x) {
      const int64_t sx = ((2 * int64_t{x} + 1) * sourceWidth) / (2 * int64_t{width});
      if (indexed) {
        BYTE index = 0;
        FreeImage_GetPixelIndex(image, static_cast<unsigned>(sx), static_cast<unsigned>(sy), &index);
        FreeImage_SetPixelIndex(out, static_cast<unsigned>(x), static_cast<unsigned>(y), &index);
      } else {
        std::memcpy(to + static_cast<size_t>(x) * bytes, from + static_cast<size_t>(sx) * bytes, bytes);
      }
    }
  }
  return out;
}

bool GetImagePixelColor(FIBITMAP* image, int x, int y, uint8_t* rgba) {
  using detail_ImageFile::ToByte;
  if (!image || !rgba || x < 0 || y < 0) return false;
  if (static_cast<unsigned>(x) >= FreeImage_GetWidth(image) || static_cast<unsigned>(y) >= FreeImage_GetHeight(image)) {
    return false;
  }
  const BYTE* line = FreeImage_GetScanLine(image, y);
  switch (FreeImage_GetImageType(image)) {
    case FIT_BITMAP: {
      const unsigned bpp = FreeImage_GetBPP(image);
      if (bpp <= 8) {
        BYTE index = 0;
        if (!FreeImage_GetPixelIndex(image, static_cast<unsigned>(x), static_cast<unsigned>(y), &index)) return false;
        const RGBQUAD* palette = FreeImage_GetPalette(image);
        if (palette && index < FreeImage_GetColorsUsed(image)) {
          rgba[0] = palette[index].rgbRed;
          rgba[1] = palette[index].rgbGreen;
          rgba[2] = palette[index].rgbBlue;
        } else {
          rgba[0] = rgba[1] = rgba[2] = index;
        }
        rgba[3] = 255;
        if (detail_ImageFile::HasTransparencyTable(image) && index < FreeImage_GetTransparencyCount(image)) {
          rgba[3] = FreeImage_GetTransparencyTable(image)[index];
        }
        return true;
      }
      if (bpp == 24 || bpp == 32) {
        const BYTE* p = line + static_cast<size_t>(x) * (bpp / 8);
        rgba[0] = p[FI_RGBA_RED];
        rgba[1] = p[FI_RGBA_GREEN];
        rgba[2] = p[FI_RGBA_BLUE];
        rgba[3] = bpp == 32 ? p[FI_RGBA_ALPHA] : 255;
        return true;
      }
      RGBQUAD colour;
      if (!FreeImage_GetPixelColor(image, static_cast<unsigned>(x), static_cast<unsigned>(y), &colour)) return false;
      rgba[0] = colour.rgbRed;
      rgba[1] = colour.rgbGreen;
      rgba[2] = colour.rgbBlue;
      rgba[3] = 255;
      return true;
    }
    case FIT_UINT16: {
      const uint8_t v = static_cast<uint8_t>(reinterpret_cast<const WORD*>(line)[x] >> 8);
      rgba[0] = rgba[1] = rgba[2] = v;
      rgba[3] = 255;
      return true;
    }
    case FIT_FLOAT: {
      const uint8_t v = ToByte(reinterpret_cast<const float*>(line)[x]);
      rgba[0] = rgba[1] = rgba[2] = v;
      rgba[3] = 255;
      return true;
    }
    case FIT_RGB16: {
      const FIRGB16& p = reinterpret_cast<const FIRGB16*>(line)[x];
      rgba[0] = static_cast<uint8_t>(p.red >> 8);
      rgba[1] = static_cast<uint8_t>(p.green >> 8);
      rgba[2] = static_cast<uint8_t>(p.blue >> 8);
      rgba[3] = 255;
      return true;
    }
    case FIT_RGBA16: {
      const FIRGBA16& p = reinterpret_cast<const FIRGBA16*>(line)[x];
      rgba[0] = static_cast<uint8_t>(p.red >> 8);
      rgba[1] = static_cast<uint8_t>(p.green >> 8);
      rgba[2] = static_cast<uint8_t>(p.blue >> 8);
      rgba[3] = static_cast<uint8_t>(p.alpha >> 8);
      return true;
    }
    case FIT_RGBF: {
      const FIRGBF& p = reinterpret_cast<const FIRGBF*>(line)[x];
      rgba[0] = ToByte(p.red);
      rgba[1] = ToByte(p.green);
      rgba[2] = ToByte(p.blue);
      rgba[3] = 255;
      return true;
    }
    case FIT_RGBAF: {
      const FIRGBAF& p = reinterpret_cast<const FIRGBAF*>(line)[x];
      rgba[0] = ToByte(p.red);
      rgba[1] = ToByte(p.green);
      rgba[2] = ToByte(p.blue);
      rgba[3] = ToByte(p.alpha);
      return true;
    }
    default:
      return false;
  }
}

int GetOpenGLBuffer(FIBITMAP* image, std::vector<uint8_t>& buffer, int textureWidth, int textureHeight, int borderS,
                    int borderT, const float* borderColor) {
  using namespace detail_ImageFile;
  buffer.clear();
  if (!image || textureWidth < 1 || textureHeight < 1 || textureWidth > kMaxTextureSide ||
      textureHeight > kMaxTextureSide || int64_t{textureWidth} * textureHeight > kMaxTexturePixels) {
    return 0;
  }
  const int channels = ChannelsOf(image);
  if (channels == 0) return 0;
  const size_t stride = static_cast<size_t>(textureWidth) * static_cast<size_t>(channels);
  buffer.resize(stride * static_cast<size_t>(textureHeight));

  uint8_t border[4] = {0, 0, 0, 0};
  if (borderColor) {
    for (int i = 0; i < 4; ++i) border[i] = ToByte(borderColor[i]);
    if (channels <= kImageGreyAlpha) {
      border[0] = ToByte((borderColor[0] + borderColor[1] + borderColor[2]) / 3.0f);
    }
  }
  uint8_t borderPixel[4];
  StorePixel(borderPixel, channels, border);
  for (size_t i = 0; i < buffer.size(); i += static_cast<size_t>(channels)) {
    std::memcpy(&buffer[i], borderPixel, static_cast<size_t>(channels));
  }

  // The image is centred in the area inside the border pixels and cut to it.
  borderS = std::clamp(borderS, 0, textureWidth);
  borderT = std::clamp(borderT, 0, textureHeight);
  const int areaWidth = textureWidth - 2 * borderS;
  const int areaHeight = textureHeight - 2 * borderT;
  if (areaWidth < 1 || areaHeight < 1) return channels;
  const int imageWidth = static_cast<int>(std::min<unsigned>(FreeImage_GetWidth(image), 1u << 30));
  const int imageHeight = static_cast<int>(std::min<unsigned>(FreeImage_GetHeight(image), 1u << 30));
  int margins[4];
  CentreMargins(margins, imageWidth, imageHeight, areaWidth, areaHeight);
  const int x0 = std::max(0, margins[0]);
  const int y0 = std::max(0, margins[1]);
  const int x1 = std::min(areaWidth, margins[0] + imageWidth);
  const int y1 = std::min(areaHeight, margins[1] + imageHeight);
  const bool greyPalette = channels <= kImageGreyAlpha;
  for (int y = y0; y < y1; ++y) {
    uint8_t* row = &buffer[static_cast<size_t>(y + borderT) * stride];
    for (int x = x0; x < x1; ++x) {
      uint8_t rgba[4] = {0, 0, 0, 255};
      if (!GetImagePixelColor(image, x - margins[0], y - margins[1], rgba)) continue;
      // A grey image's value is its palette's red; the others give the same.
      if (greyPalette) rgba[1] = rgba[2] = rgba[0];
      StorePixel(row + static_cast<size_t>(x + borderS) * static_cast<size_t>(channels), channels, rgba);
    }
  }
  return channels;
}

void CentreMargins(int* margins, int innerWidth, int innerHeight, int outerWidth, int outerHeight) {
  const int64_t dx = int64_t{outerWidth} - innerWidth;
  const int64_t dy = int64_t{outerHeight} - innerHeight;
  const int64_t left = detail_ImageFile::FloorDiv2(dx);
  const int64_t bottom = detail_ImageFile::FloorDiv2(dy);
  margins[0] = static_cast<int>(left);
  margins[1] = static_cast<int>(bottom);
  margins[2] = static_cast<int>(dx - left);
  margins[3] = static_cast<int>(dy - bottom);
}

ImageFileKind GetImageFileKind(const char* path) {
  if (!path) return ImageFileKind::kNone;
  const char* dot = std::strrchr(path, '.');
  const char* slash = std::strrchr(path, '/');
  if (!dot || (slash && dot < slash)) return ImageFileKind::kNone;
  std::string extension(dot + 1);
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (extension == "png") return ImageFileKind::kPng;
  if (extension == "jpg" || extension == "jpeg" || extension == "jpe") return ImageFileKind::kJpeg;
  return ImageFileKind::kNone;
}

Outcome WriteImageFile(const char* path, const uint8_t* rgba, int width, int height, int jpegQuality, int dpi) {
  detail_ImageFile::QuietLibraryMessages();
  const ImageFileKind kind = GetImageFileKind(path);
  if (kind == ImageFileKind::kNone) {
    return Outcome::RefusedF("Couldn't write image file '%s'.\nOnly PNG (.png) and JPEG (.jpg) images can be written.",
                             path ? path : "");
  }
  if (!rgba || width < 1 || height < 1) {
    return Outcome::FailedF("Couldn't write image file '%s'.\nThe image is empty.", path);
  }
  FIBITMAP* image = FreeImage_Allocate(width, height, 24);
  if (!image) {
    return Outcome::FailedF("Couldn't write image file '%s'.\nNot enough memory for an image of %d x %d pixels.",
                            path, width, height);
  }
  // The library's rows run from the bottom, its pixels in its own channel order.
  for (int y = 0; y < height; ++y) {
    BYTE* row = FreeImage_GetScanLine(image, height - 1 - y);
    const uint8_t* in = rgba + static_cast<size_t>(y) * width * 4;
    for (int x = 0; x < width; ++x, in += 4, row += 3) {
      row[FI_RGBA_RED] = in[0];
      row[FI_RGBA_GREEN] = in[1];
      row[FI_RGBA_BLUE] = in[2];
    }
  }
  if (dpi > 0) {
    const unsigned perMetre = static_cast<unsigned>(std::lround(dpi / 0.0254));
    FreeImage_SetDotsPerMeterX(image, perMetre);
    FreeImage_SetDotsPerMeterY(image, perMetre);
  }
  const FREE_IMAGE_FORMAT format = kind == ImageFileKind::kPng ? FIF_PNG : FIF_JPEG;
  const int flags = kind == ImageFileKind::kPng ? PNG_DEFAULT : std::clamp(jpegQuality, 1, 100);
  std::string error;
  const bool written = WriteFileReplacing(
      path, [&](const char* temporary) { return FreeImage_Save(format, image, temporary, flags) != 0; }, &error);
  FreeImage_Unload(image);
  if (!written) {
    return Outcome::FailedF("Couldn't write image file '%s'.\n%s", path,
                            error.empty() ? "The file could not be written." : error.c_str());
  }
  return Outcome::Done();
}

}  // namespace corvia
