#include "render/MipmapTextureFont.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_BITMAP_H
#include FT_SYNTHESIS_H

#include <algorithm>
#include <cmath>
#include <cstring>

#include "render/GL.h"
#include "render/GLContextState.h"
#include "render/GLErrors.h"
#include "render/GLSection.h"

namespace corvia {

namespace detail_MipmapTextureFont {

// The largest texture side when the implementation does not say.
constexpr int kFallbackMaxTexture = 1024;
// Glyphs are drawn where their texels are more than this opaque.
constexpr float kAlphaCutoff = 0.01f;
// Further textures after the glyph set is used up hold this many glyphs in a row.
constexpr unsigned kGlyphsAfterTheSet = 16;

// The colours and shear the next glyphs are drawn with in a context, set by the text
// backend just before it renders a piece.
struct GlyphStylePart : GLContextPart {
  GlyphQuadStyle style;
};

// The style of the current context; null outside any section.
GlyphQuadStyle* CurrentStyle() {
  GlyphStylePart* part = FindCurrentGLContextPart<GlyphStylePart>(&GLContextState::glyphs);
  return part ? &part->style : nullptr;
}

int NextPowerOfTwo(int64_t n) {
  int64_t p = 1;
  while (p < n && p < (int64_t{1} << 30)) p <<= 1;
  return static_cast<int>(p);
}

}  // namespace detail_MipmapTextureFont

void SetGlyphCorners(const float* top, const float* bottom) {
  if (GlyphQuadStyle* style = detail_MipmapTextureFont::CurrentStyle()) {
    std::copy(top, top + 4, style->top);
    std::copy(bottom, bottom + 4, style->bottom);
  }
}

void SetGlyphShear(float shear) {
  if (GlyphQuadStyle* style = detail_MipmapTextureFont::CurrentStyle()) style->shear = shear;
}
float GetGlyphShear() {
  const GlyphQuadStyle* style = detail_MipmapTextureFont::CurrentStyle();
  return style ? style->shear : 0.0f;
}

// One glyph: its box in one of the font's textures.
class MipmapGlyph : public FTGlyph {
 public:
  MipmapGlyph(FT_GlyphSlot slot, MipmapTextureFont& font) : FTGlyph(slot), mFont(font) {
    mAdvance = FTPoint(Advance(), 0.0);
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0 || slot->format != FT_GLYPH_FORMAT_BITMAP) return;
    if (font.mBoldStrength > 0.0f && FT_GlyphSlot_Own_Bitmap(slot) == 0) {
      const FT_Pos strength = static_cast<FT_Pos>(std::lround(font.mBoldStrength * 64.0f));
      if (FT_Bitmap_Embolden(slot->library, &slot->bitmap, strength, strength) == 0) {
        slot->bitmap_top += static_cast<FT_Int>(strength / 64);
      }
    }
    const FT_Bitmap& bitmap = slot->bitmap;
    mWidth = static_cast<int>(bitmap.width);
    mHeight = static_cast<int>(bitmap.rows);
    mCorner[0] = slot->bitmap_left;
    mCorner[1] = slot->bitmap_top;
    mTexture = font.mTextures.back();
    if (mWidth > 0 && mHeight > 0 && bitmap.buffer) {
      font.StoreBitmap(bitmap.buffer, bitmap.pitch, mWidth, mHeight, font.mXOffset, font.mYOffset);
    }
    const double w = font.mTextureWidth;
    const double h = font.mTextureHeight;
    mUV[0] = font.mXOffset / w;
    mUV[1] = font.mYOffset / h;
    mUV[2] = (font.mXOffset + mWidth) / w;
    mUV[3] = (font.mYOffset + mHeight) / h;
  }

  const FTPoint& Render(const FTPoint& pen, int /*renderMode*/) override {
    if (mWidth <= 0 || mHeight <= 0) return mAdvance;
    if (mFont.mBoundTexture != mTexture) {
      glBindTexture(GL_TEXTURE_2D, mTexture);
      mFont.mBoundTexture = mTexture;
    }
    const GlyphQuadStyle& style = mFont.mStyle;
    const double x = std::floor(pen.X() + mCorner[0]);
    const double top = std::floor(pen.Y() + mCorner[1]);
    const double bottom = top - mHeight;
    // A corner leans over by its height times the shear.
    const double lean = style.shear;
    glBegin(GL_QUADS);
    glColor4fv(style.top);
    glTexCoord2d(mUV[0], mUV[1]);
    glVertex2d(x + top * lean, top);
    glColor4fv(style.bottom);
    glTexCoord2d(mUV[0], mUV[3]);
    glVertex2d(x + bottom * lean, bottom);
    glTexCoord2d(mUV[2], mUV[3]);
    glVertex2d(x + mWidth + bottom * lean, bottom);
    glColor4fv(style.top);
    glTexCoord2d(mUV[2], mUV[1]);
    glVertex2d(x + mWidth + top * lean, top);
    glEnd();
    return mAdvance;
  }

  int Width() const { return mWidth; }
  int Height() const { return mHeight; }

 private:
  // The font that made the glyph and owns it.
  MipmapTextureFont& mFont;
  FTPoint mAdvance;
  GLuint mTexture = 0;
  int mWidth = 0;
  int mHeight = 0;
  double mCorner[2] = {0.0, 0.0};
  double mUV[4] = {0.0, 0.0, 0.0, 0.0};
};

MipmapTextureFont::MipmapTextureFont(const char* fontFilePath) : FTFont(fontFilePath) {
  GlyphLoadFlags(FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP);
  ReadFace(fontFilePath, nullptr, 0);
}

MipmapTextureFont::MipmapTextureFont(const unsigned char* bytes, size_t size) : FTFont(bytes, size) {
  GlyphLoadFlags(FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP);
  ReadFace(nullptr, bytes, size);
}

MipmapTextureFont::~MipmapTextureFont() {
  FreeTextures();
}

void MipmapTextureFont::ReadFace(const char* path, const unsigned char* bytes, size_t size) {
  // The glyph count and the face's box, which sizes the glyph cells.
  FT_Library library = nullptr;
  if (FT_Init_FreeType(&library) != 0) return;
  FT_Face face = nullptr;
  const FT_Error error = path ? FT_New_Face(library, path, 0, &face)
                              : FT_New_Memory_Face(library, bytes, static_cast<FT_Long>(size), 0, &face);
  if (error == 0 && face) {
    mFaceGlyphs = face->num_glyphs > 0 ? static_cast<unsigned>(face->num_glyphs) : 0;
    mFaceBox[0] = face->bbox.xMin;
    mFaceBox[1] = face->bbox.yMin;
    mFaceBox[2] = face->bbox.xMax;
    mFaceBox[3] = face->bbox.yMax;
    mUnitsPerEm = face->units_per_EM > 0 ? face->units_per_EM : 1.0;
    FT_Done_Face(face);
  }
  FT_Done_FreeType(library);
  mGlyphCount = std::min(mFaceGlyphs, mGlyphLimit);
  mRemaining = mGlyphCount;
}

void MipmapTextureFont::SetGlyphLimit(unsigned n) {
  mGlyphLimit = n;
  mGlyphCount = std::min(mGlyphCount, n);
  mRemaining = std::min(mRemaining, n);
}

void MipmapTextureFont::SetDeferMipmaps(bool on) {
  mDefer = on;
  if (!on) Flush();
}

bool MipmapTextureFont::FaceSize(const unsigned int size, const unsigned int res) {
  if (!mTextures.empty()) {
    FreeTextures();
    mGlyphCount = std::min(mFaceGlyphs, mGlyphLimit);
    mRemaining = mGlyphCount;
  }
  const bool ok = FTFont::FaceSize(size, res);
  // The cells hold the face's largest glyph at the pixel size the library uses.
  const double ppem = std::max(1.0, std::round(size * static_cast<double>(res) / 72.0));
  mGlyphWidth = std::max(1, static_cast<int>(std::lround((mFaceBox[2] - mFaceBox[0]) * ppem / mUnitsPerEm)));
  mGlyphHeight = std::max(1, static_cast<int>(std::lround((mFaceBox[3] - mFaceBox[1]) * ppem / mUnitsPerEm)));
  return ok;
}

GlyphTextureSize MipmapTextureFont::ComputeTextureSize(unsigned remaining, unsigned glyphCount, int glyphWidth,
                                                       int glyphHeight, int padding, int maxSize) {
  using detail_MipmapTextureFont::NextPowerOfTwo;
  GlyphTextureSize size;
  glyphWidth = std::max(glyphWidth, 1);
  glyphHeight = std::max(glyphHeight, 1);
  size.width = std::min(NextPowerOfTwo(int64_t{remaining} * glyphWidth + 2 * padding), maxSize);
  // A glyph wider than the texture still gets a row of its own (and is cut to it).
  size.glyphsPerRow = std::max(1, (size.width - 2 * padding) / glyphWidth);
  const int64_t rows = glyphCount / static_cast<unsigned>(size.glyphsPerRow) + 1;
  size.height = std::min(NextPowerOfTwo(rows * glyphHeight + 2 * padding), maxSize);
  return size;
}

void MipmapTextureFont::NewTexture() {
  using namespace detail_MipmapTextureFont;
  if (mMaxTextureSize == 0) {
    GLint largest = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    mMaxTextureSize = largest > 0 ? largest : kFallbackMaxTexture;
  }
  Flush();
  if (mTextures.empty()) mContext = GetCurrentGLContextKey();
  const unsigned remaining = mRemaining > 0 ? mRemaining : kGlyphsAfterTheSet;
  const GlyphTextureSize size = ComputeTextureSize(remaining, std::max(mGlyphCount, remaining), mGlyphWidth,
                                                   mGlyphHeight, kPadding, mMaxTextureSize);
  mTextureWidth = size.width;
  mTextureHeight = size.height;
  mBuffer.assign(static_cast<size_t>(mTextureWidth) * static_cast<size_t>(mTextureHeight), 0);
  GLuint name = 0;
  glGenTextures(1, &name);
  mTextures.push_back(name);
  mBoundTexture = name;
  glBindTexture(GL_TEXTURE_2D, name);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  mNewestMipmapped = mDefer;
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, mDefer ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR);
  if (mDefer) {
    // Uploaded whole, with its mipmaps, once its glyphs are made.
    mDirty = true;
  } else {
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA, mTextureWidth, mTextureHeight, 0, GL_ALPHA, GL_UNSIGNED_BYTE,
                 mBuffer.data());
    glPopClientAttrib();
    mDirty = false;
  }
  mXOffset = kPadding;
  mYOffset = kPadding;
  mRowHeight = 0;
  CheckGLError("MipmapTextureFont::NewTexture");
}

void MipmapTextureFont::Flush() {
  if (!mDirty || mTextures.empty()) return;
  mDirty = false;
  glBindTexture(GL_TEXTURE_2D, mTextures.back());
  mBoundTexture = mTextures.back();
  glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  if (mNewestMipmapped) {
    gluBuild2DMipmaps(GL_TEXTURE_2D, GL_ALPHA, mTextureWidth, mTextureHeight, GL_ALPHA, GL_UNSIGNED_BYTE,
                      mBuffer.data());
  } else {
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, mTextureWidth, mTextureHeight, GL_ALPHA, GL_UNSIGNED_BYTE, mBuffer.data());
  }
  glPopClientAttrib();
  CheckGLError("MipmapTextureFont::Flush");
}

void MipmapTextureFont::FreeTextures() {
  mBuffer.clear();
  mBuffer.shrink_to_fit();
  mDirty = false;
  // Names of another context are not ours to delete here; they go with it.
  if (!mTextures.empty() && mContext == GetCurrentGLContextKey() && mContext) {
    glDeleteTextures(static_cast<GLsizei>(mTextures.size()), mTextures.data());
  }
  mTextures.clear();
  mBoundTexture = 0;
  mTextureWidth = mTextureHeight = 0;
}

void MipmapTextureFont::StoreBitmap(const unsigned char* bits, int pitch, int width, int rows, int x, int y) {
  // Cut to the texture, so that no bitmap writes past its row or the buffer.
  const int w = std::min(width, mTextureWidth - x);
  const int h = std::min(rows, mTextureHeight - y);
  if (w <= 0 || h <= 0 || mBuffer.empty()) return;
  for (int row = 0; row < h; ++row) {
    const unsigned char* from = pitch >= 0 ? bits + static_cast<ptrdiff_t>(row) * pitch
                                           : bits + static_cast<ptrdiff_t>(rows - 1 - row) * -pitch;
    std::memcpy(&mBuffer[static_cast<size_t>(y + row) * static_cast<size_t>(mTextureWidth) + static_cast<size_t>(x)],
                from, static_cast<size_t>(w));
  }
  if (mDefer || mNewestMipmapped) {
    // Mipmapped textures are uploaded whole, levels and all, before the next draw.
    mDirty = true;
    return;
  }
  glBindTexture(GL_TEXTURE_2D, mTextures.back());
  mBoundTexture = mTextures.back();
  glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, mTextureWidth);
  glTexSubImage2D(GL_TEXTURE_2D, 0, x, y, w, h, GL_ALPHA, GL_UNSIGNED_BYTE,
                  &mBuffer[static_cast<size_t>(y) * static_cast<size_t>(mTextureWidth) + static_cast<size_t>(x)]);
  glPopClientAttrib();
}

FTGlyph* MipmapTextureFont::MakeGlyph(FT_GlyphSlot slot) {
  if (mTextures.empty()) NewTexture();
  // The cell of this glyph: its nominal size, or more for a glyph that outgrows it.
  const int bold = static_cast<int>(std::ceil(std::max(mBoldStrength, 0.0f)));
  const int width = std::max(mGlyphWidth, static_cast<int>(slot->metrics.width >> 6) + bold + 1);
  const int height = std::max(mGlyphHeight, static_cast<int>(slot->metrics.height >> 6) + bold + 1);
  if (mXOffset > mTextureWidth - width) {
    mXOffset = kPadding;
    mYOffset += std::max(mGlyphHeight, mRowHeight + kPadding);
    mRowHeight = 0;
  }
  if (mYOffset > mTextureHeight - height) NewTexture();
  auto* glyph = new MipmapGlyph(slot, *this);
  mRowHeight = std::max(mRowHeight, glyph->Height());
  const double box = std::max<double>(glyph->BBox().Upper().X() - glyph->BBox().Lower().X(), glyph->Width());
  mXOffset += static_cast<int>(std::lround(box + kPadding));
  if (mRemaining > 0) --mRemaining;
  return glyph;
}

template <typename T>
FTPoint MipmapTextureFont::RenderText(const T* string, int len, FTPoint position, FTPoint spacing, int renderMode) {
  // Glyphs first, so that their texture is up to date before any is drawn.
  FTFont::Advance(string, len, spacing);
  Flush();
  glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glEnable(GL_ALPHA_TEST);
  glAlphaFunc(GL_GREATER, detail_MipmapTextureFont::kAlphaCutoff);
  glEnable(GL_TEXTURE_2D);
  // The texture bound before is not known; the style is the one the drawer set last.
  mBoundTexture = 0;
  const GlyphQuadStyle* style = detail_MipmapTextureFont::CurrentStyle();
  mStyle = style ? *style : GlyphQuadStyle{};
  const FTPoint advance = FTFont::Render(string, len, position, spacing, renderMode);
  glPopAttrib();
  return advance;
}

FTPoint MipmapTextureFont::Render(const char* string, const int len, FTPoint position, FTPoint spacing,
                                  int renderMode) {
  return RenderText(string, len, position, spacing, renderMode);
}

FTPoint MipmapTextureFont::Render(const wchar_t* string, const int len, FTPoint position, FTPoint spacing,
                                  int renderMode) {
  return RenderText(string, len, position, spacing, renderMode);
}

}  // namespace corvia
