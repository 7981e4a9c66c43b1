// Images as OpenGL textures: size, border colour, rescaling, upload with mipmaps, the
// alpha texture, and switching plain and sphere-mapped texturing on and off.

#include "render/Textures.h"

#include <FreeImage.h>

#include <algorithm>
#include <cstring>

#include "files/ImageFile.h"
#include "render/GL.h"
#include "render/GLErrors.h"
#include "render/GLSection.h"
#include "render/OpenGLView.h"

namespace corvia {

namespace detail_Textures {

// A run of equal edge pixels this long counts towards its colour's share.
constexpr int kMinimumRun = 5;

// Colours found in runs along the edges, the most recently met first.
struct EdgeColour {
  uint8_t rgba[4];
  int64_t count;
};

void CountRun(std::vector<EdgeColour>& colours, const uint8_t* rgba, int64_t length) {
  if (length < kMinimumRun) return;
  for (size_t i = 0; i < colours.size(); ++i) {
    if (std::memcmp(colours[i].rgba, rgba, 4) == 0) {
      EdgeColour found = colours[i];
      found.count += length;
      colours.erase(colours.begin() + static_cast<std::ptrdiff_t>(i));
      colours.insert(colours.begin(), found);
      return;
    }
  }
  EdgeColour added;
  std::memcpy(added.rgba, rgba, 4);
  added.count = length;
  colours.insert(colours.begin(), added);
}

// The pixels of the image's outline once each, going round it: the bottom row left to
// right, the right column upwards, the top row right to left, the left column
// downwards. A one-pixel-wide or -high image is walked along once.
std::vector<std::pair<int, int>> OutlinePixels(int width, int height) {
  std::vector<std::pair<int, int>> pixels;
  if (width < 1 || height < 1) return pixels;
  if (width == 1 || height == 1) {
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) pixels.emplace_back(x, y);
    }
    return pixels;
  }
  for (int x = 0; x < width; ++x) pixels.emplace_back(x, 0);
  for (int y = 1; y < height; ++y) pixels.emplace_back(width - 1, y);
  for (int x = width - 2; x >= 0; --x) pixels.emplace_back(x, height - 1);
  for (int y = height - 2; y >= 1; --y) pixels.emplace_back(0, y);
  return pixels;
}

GLenum FormatOf(int channels, bool alphaOnly) {
  switch (channels) {
    case 4: return GL_RGBA;
    case 3: return GL_RGB;
    case 2: return GL_LUMINANCE_ALPHA;
    default: return alphaOnly ? GL_ALPHA : GL_LUMINANCE;
  }
}

// The pixel transfer that makes colours white: set while uploading with kTextureAlphaOnly.
void SetWhiteTransfer(bool on) {
  const GLfloat scale = on ? 0.0f : 1.0f;
  const GLfloat bias = on ? 1.0f : 0.0f;
  glPixelTransferf(GL_RED_SCALE, scale);
  glPixelTransferf(GL_GREEN_SCALE, scale);
  glPixelTransferf(GL_BLUE_SCALE, scale);
  glPixelTransferf(GL_RED_BIAS, bias);
  glPixelTransferf(GL_GREEN_BIAS, bias);
  glPixelTransferf(GL_BLUE_BIAS, bias);
}

void Upload(bool inPlace, int level, GLenum format, int width, int height, const uint8_t* pixels) {
  if (inPlace) {
    glTexSubImage2D(GL_TEXTURE_2D, level, 0, 0, width, height, format, GL_UNSIGNED_BYTE, pixels);
  } else {
    glTexImage2D(GL_TEXTURE_2D, level, static_cast<GLint>(format), width, height, 0, format, GL_UNSIGNED_BYTE,
                 pixels);
  }
}

void SetParameters(unsigned flags, bool mipmaps) {
  const GLint clamp = static_cast<GLint>(GetGLAbilities().textureWrapMode ? GetGLAbilities().textureWrapMode
                                                                          : GL_CLAMP_TO_EDGE);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, (flags & kTextureRepeatS) ? GL_REPEAT : clamp);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, (flags & kTextureRepeatT) ? GL_REPEAT : clamp);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, mipmaps ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, (flags & kTextureBlockyPixels) ? GL_NEAREST : GL_LINEAR);
}

// The image's alpha as a texture of its own: a grey texture of the alpha (four
// channels), or white with the alpha (two channels).
void UploadAlphaTexture(unsigned alphaTextureId, unsigned flags, bool inPlace, int channels, int width, int height,
                        const std::vector<uint8_t>& level0) {
  const size_t pixels = static_cast<size_t>(width) * static_cast<size_t>(height);
  std::vector<uint8_t> alpha;
  GLenum format = GL_LUMINANCE;
  if (channels == 4) {
    alpha.resize(pixels);
    for (size_t i = 0; i < pixels; ++i) alpha[i] = level0[4 * i + 3];
  } else {
    format = GL_LUMINANCE_ALPHA;
    alpha.resize(2 * pixels);
    for (size_t i = 0; i < pixels; ++i) {
      alpha[2 * i] = 255;
      alpha[2 * i + 1] = level0[2 * i + 1];
    }
  }
  glBindTexture(GL_TEXTURE_2D, alphaTextureId);
  if (!inPlace) SetParameters(flags & ~kTextureBlockyPixels, false);
  Upload(inPlace, 0, format, width, height, alpha.data());
}

}  // namespace detail_Textures

int PowerOfTwoBelow(int size) {
  if (size < 1) return 0;
  int p = 1;
  while (p <= size / 2) p *= 2;
  return p;
}

int TextureSideFor(int imageSide, bool border, bool repeat, bool mipmaps, int maxSize) {
  const int64_t wanted = int64_t{std::max(imageSide, 1)} + (border ? 2 : 0);
  const int limit = std::max(PowerOfTwoBelow(maxSize), 1);
  int64_t side = 1;
  while (side < wanted && side < limit) side *= 2;
  if (!mipmaps && repeat && side > 1 && 4 * wanted < 3 * side) side /= 2;
  return static_cast<int>(side);
}

bool FindImageBorderColour(FIBITMAP* image, float* rgba) {
  using namespace detail_Textures;
  if (!image || !rgba) return false;
  const int width = static_cast<int>(std::min<unsigned>(FreeImage_GetWidth(image), 1u << 24));
  const int height = static_cast<int>(std::min<unsigned>(FreeImage_GetHeight(image), 1u << 24));
  const std::vector<std::pair<int, int>> outline = OutlinePixels(width, height);
  if (outline.empty()) return false;
  int64_t sum[4] = {0, 0, 0, 0};
  int64_t counted = 0;
  std::vector<EdgeColour> colours;
  uint8_t runColour[4] = {0, 0, 0, 0};
  int64_t run = 0;
  for (const auto& [x, y] : outline) {
    uint8_t pixel[4];
    if (!GetImagePixelColor(image, x, y, pixel)) continue;
    for (int c = 0; c < 4; ++c) sum[c] += pixel[c];
    ++counted;
    if (run > 0 && std::memcmp(pixel, runColour, 4) == 0) {
      ++run;
    } else {
      CountRun(colours, runColour, run);
      std::memcpy(runColour, pixel, 4);
      run = 1;
    }
  }
  CountRun(colours, runColour, run);
  if (counted == 0) return false;
  const EdgeColour* most = nullptr;
  for (const EdgeColour& colour : colours) {
    if (!most || colour.count > most->count) most = &colour;
  }
  for (int c = 0; c < 4; ++c) {
    rgba[c] = static_cast<float>(static_cast<double>(sum[c]) / (255.0 * static_cast<double>(counted)));
  }
  if (most && 4 * most->count > counted) {
    for (int c = 0; c < 4; ++c) rgba[c] = static_cast<float>(most->rgba[c] * (1.0 / 255.0));
  }
  for (int c = 0; c < 4; ++c) {
    if (rgba[c] < 1.0f / 510.0f) rgba[c] = 0.0f;
  }
  return true;
}

void HalveTextureBuffer(std::vector<uint8_t>& buffer, int& width, int& height, int channels, bool borderS,
                        bool borderT, const uint8_t* borderPixel) {
  if (width <= 1 && height <= 1) return;
  const int stepX = width > 1 ? 2 : 1;
  const int stepY = height > 1 ? 2 : 1;
  const int newWidth = width > 1 ? width / 2 : 1;
  const int newHeight = height > 1 ? height / 2 : 1;
  const int n = stepX * stepY;
  const size_t stride = static_cast<size_t>(width) * static_cast<size_t>(channels);
  // Each target pixel lies at or before its block, so the buffer is reused in place.
  for (int y = 0; y < newHeight; ++y) {
    for (int x = 0; x < newWidth; ++x) {
      uint8_t* out = &buffer[(static_cast<size_t>(y) * static_cast<size_t>(newWidth) + static_cast<size_t>(x)) *
                             static_cast<size_t>(channels)];
      const bool border = (borderS && (x == 0 || x == newWidth - 1)) || (borderT && (y == 0 || y == newHeight - 1));
      if (border && borderPixel) {
        std::memcpy(out, borderPixel, static_cast<size_t>(channels));
        continue;
      }
      for (int c = 0; c < channels; ++c) {
        int sum = 0;
        for (int dy = 0; dy < stepY; ++dy) {
          for (int dx = 0; dx < stepX; ++dx) {
            sum += buffer[static_cast<size_t>(stepY * y + dy) * stride +
                          static_cast<size_t>(stepX * x + dx) * static_cast<size_t>(channels) + static_cast<size_t>(c)];
          }
        }
        out[c] = static_cast<uint8_t>((sum + n / 2) / n);
      }
    }
  }
  width = newWidth;
  height = newHeight;
  buffer.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * static_cast<size_t>(channels));
}

OpenGLView* GetTextureView() {
  if (OpenGLView* current = OpenGLView::GetCurrent()) return current;
  if (auto* active = dynamic_cast<OpenGLView*>(NewView::GetActiveView()); active && active->HasGLContext()) {
    return active;
  }
  for (NewView* v = NewView::GetLastView(); v; v = v->GetPrevious()) {
    if (auto* view = dynamic_cast<OpenGLView*>(v); view && view->HasGLContext()) return view;
  }
  return nullptr;
}

int PrepareTexture(unsigned textureId, FIBITMAP* image, unsigned flags, unsigned alphaTextureId, int maxSize,
                   float* outBorderColour, const float* borderColour, int* imageWidth, int* imageHeight,
                   int* textureWidth, int* textureHeight) {
  using namespace detail_Textures;
  if (!image || textureId == 0 || maxSize < 1) return 0;
  OpenGLView* view = GetTextureView();
  if (!view) return 0;
  GLSection section(view);
  if (!section.IsOpen()) return 0;
  GLint glMax = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &glMax);
  if (glMax > 0) maxSize = std::min(maxSize, static_cast<int>(glMax));
  maxSize = PowerOfTwoBelow(maxSize);

  const bool mipmaps = (flags & kTextureMipmaps) != 0;
  const bool borderS = (flags & kTextureBorderS) != 0;
  const bool borderT = (flags & kTextureBorderT) != 0;
  const int sourceWidth = static_cast<int>(std::min<unsigned>(FreeImage_GetWidth(image), 1u << 24));
  const int sourceHeight = static_cast<int>(std::min<unsigned>(FreeImage_GetHeight(image), 1u << 24));
  if (sourceWidth < 1 || sourceHeight < 1) return 0;

  // 2. The border colour: the one asked for, else the image's own.
  bool inPlace = (flags & kTextureUpdateInPlace) != 0;
  float border[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  if (borderColour) {
    std::memcpy(border, borderColour, sizeof border);
  } else if (outBorderColour && !inPlace) {
    FindImageBorderColour(image, border);
  } else if (outBorderColour) {
    std::memcpy(border, outBorderColour, sizeof border);
  }
  if (outBorderColour && (!inPlace || borderColour)) std::memcpy(outBorderColour, border, sizeof border);

  // 3. Sizes.
  const int width = TextureSideFor(sourceWidth, borderS, (flags & kTextureRepeatS) != 0, mipmaps, maxSize);
  const int height = TextureSideFor(sourceHeight, borderT, (flags & kTextureRepeatT) != 0, mipmaps, maxSize);

  // 4. The image is shrunk or stretched to the texture where it repeats or is too big.
  const int roomS = std::max(width - (borderS ? 2 : 0), 1);
  const int roomT = std::max(height - (borderT ? 2 : 0), 1);
  int usedWidth = sourceWidth;
  int usedHeight = sourceHeight;
  if (((flags & kTextureRepeatS) || roomS < sourceWidth) && roomS != sourceWidth) usedWidth = roomS;
  if (((flags & kTextureRepeatT) || roomT < sourceHeight) && roomT != sourceHeight) usedHeight = roomT;
  FIBITMAP* rescaled = nullptr;
  if (usedWidth != sourceWidth || usedHeight != sourceHeight) {
    rescaled = mipmaps ? FreeImage_Rescale(image, usedWidth, usedHeight, FILTER_BILINEAR)
                       : ResampleImage(image, usedWidth, usedHeight);
    if (!rescaled) return 0;
  }
  FIBITMAP* source = rescaled ? rescaled : image;

  // 5. Replacing the pixels needs every size to be what the texture has.
  if (inPlace) {
    inPlace = imageWidth && imageHeight && textureWidth && textureHeight && *imageWidth == usedWidth &&
              *imageHeight == usedHeight && *textureWidth == width && *textureHeight == height;
  }

  // 7. The pixels.
  std::vector<uint8_t> buffer;
  const int channels = GetOpenGLBuffer(source, buffer, width, height, borderS ? 1 : 0, borderT ? 1 : 0, border);
  UnloadImage(rescaled);
  if (channels == 0) return 0;
  const bool alphaOnly = (flags & kTextureAlphaOnly) != 0;
  const GLenum format = FormatOf(channels, alphaOnly);
  std::vector<uint8_t> level0;
  if (alphaTextureId && (channels == 2 || channels == 4)) level0 = buffer;

  // 6. Binding and parameters.
  glBindTexture(GL_TEXTURE_2D, textureId);
  if (!inPlace) SetParameters(flags, mipmaps);
  GLint alignment = 4;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  if (alphaOnly) SetWhiteTransfer(true);

  // 8. Level 0, then 9. the mipmaps by the box filter.
  Upload(inPlace, 0, format, width, height, buffer.data());
  if (mipmaps) {
    // The border colour in the buffer's layout: the corner pixel lies in the border.
    uint8_t borderPixel[4] = {0, 0, 0, 0};
    if (borderS || borderT) std::memcpy(borderPixel, buffer.data(), static_cast<size_t>(channels));
    int levelWidth = width;
    int levelHeight = height;
    for (int level = 1; levelWidth > 1 || levelHeight > 1; ++level) {
      HalveTextureBuffer(buffer, levelWidth, levelHeight, channels, borderS, borderT, borderPixel);
      Upload(inPlace, level, format, levelWidth, levelHeight, buffer.data());
    }
  }

  // 10.
  if (alphaOnly) SetWhiteTransfer(false);

  // 11. The alpha texture.
  if (!level0.empty()) UploadAlphaTexture(alphaTextureId, flags, inPlace, channels, width, height, level0);
  glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);

  if (imageWidth) *imageWidth = usedWidth;
  if (imageHeight) *imageHeight = usedHeight;
  if (textureWidth) *textureWidth = width;
  if (textureHeight) *textureHeight = height;
  CheckGLError("PrepareTexture");
  return channels;
}

int PrepareTextureFile(unsigned textureId, const char* name, unsigned flags, unsigned alphaTextureId, int maxSize,
                       float* outBorderColour, const float* borderColour, int* imageWidth, int* imageHeight,
                       int* textureWidth, int* textureHeight) {
  FIBITMAP* image = LoadImageResource(name);
  if (!image) return -1;
  const int channels = PrepareTexture(textureId, image, flags, alphaTextureId, maxSize, outBorderColour, borderColour,
                                      imageWidth, imageHeight, textureWidth, textureHeight);
  UnloadImage(image);
  return channels;
}

bool EnableTexture(unsigned id, bool force) {
  if (id == 0 || !(force || glIsTexture(id))) return false;
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, id);
  return true;
}

void DisableTexture() {
  glDisable(GL_TEXTURE_2D);
}

bool EnableSphereMapTexture(unsigned id, bool force) {
  if (id == 0 || !(force || glIsTexture(id))) return false;
  const bool second = GetGLAbilities().textureUnits > 1;
  if (second) glActiveTexture(GL_TEXTURE1);
  glBindTexture(GL_TEXTURE_2D, id);
  glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
  glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
  glEnable(GL_TEXTURE_GEN_S);
  glEnable(GL_TEXTURE_GEN_T);
  glEnable(GL_TEXTURE_2D);
  if (second) glActiveTexture(GL_TEXTURE0);
  return true;
}

void DisableSphereMapTexture() {
  const bool second = GetGLAbilities().textureUnits > 1;
  if (second) glActiveTexture(GL_TEXTURE1);
  glDisable(GL_TEXTURE_GEN_S);
  glDisable(GL_TEXTURE_GEN_T);
  glDisable(GL_TEXTURE_2D);
  if (second) glActiveTexture(GL_TEXTURE0);
}

}  // namespace corvia
