#pragma once
// A texture font of the font library whose glyphs are packed into mipmapped alpha
// textures, so that labels stay smooth when drawn small or at a slant. Glyph cells
// are padded by 8 pixels (the mipmaps do not bleed between them), bold can be
// made by thickening the glyphs, the number of glyphs per font is limited, and
// glyphs are drawn with an alpha test so that their clear texels write no depth.
//
// The glyph quads take the corner colours the text drawer sets (SetGlyphCorners):
// the upper corners one colour, the lower ones another, sheared by the italic
// shear for a synthetic italic.
//
// Textures belong to the GL context that was current when the font made them; the
// font deletes them only while that context is current again (otherwise they go
// with the context).

#include <FTGL/ftgl.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace corvia {

// The corner colours (RGBA) and the shear of the glyph quads drawn next in the current
// GL context (none outside any section).
void SetGlyphCorners(const float* top, const float* bottom);
void SetGlyphShear(float shear);
float GetGlyphShear();

struct GlyphQuadStyle {
  float top[4] = {1, 1, 1, 1};
  float bottom[4] = {1, 1, 1, 1};
  float shear = 0.0f;
};

// Sizes of the glyph textures (see MipmapTextureFont::ComputeTextureSize).
struct GlyphTextureSize {
  int width = 0;
  int height = 0;
  int glyphsPerRow = 0;
};

class MipmapTextureFont : public FTFont {
 public:
  explicit MipmapTextureFont(const char* fontFilePath);
  MipmapTextureFont(const unsigned char* bytes, size_t size);
  ~MipmapTextureFont() override;

  // Limits the glyphs made to n (the glyph count and the remaining count are cut to it).
  void SetGlyphLimit(unsigned n);
  // Thickens every glyph made from now on by s pixels (0 for none).
  void SetBoldStrength(float s) { mBoldStrength = s; }
  // While on, glyphs collect in memory; switching it off uploads the newest texture
  // with its mipmaps.
  void SetDeferMipmaps(bool on);

  // A new size forgets every texture; glyphs are made again when drawn.
  bool FaceSize(const unsigned int size, const unsigned int res = 72) override;
  unsigned int FaceSize() const override { return FTFont::FaceSize(); }

  // Draws inside the font's render state (blending, alpha test, texturing).
  FTPoint Render(const char* string, const int len = -1, FTPoint position = FTPoint(), FTPoint spacing = FTPoint(),
                 int renderMode = FTGL::RENDER_ALL) override;
  FTPoint Render(const wchar_t* string, const int len = -1, FTPoint position = FTPoint(), FTPoint spacing = FTPoint(),
                 int renderMode = FTGL::RENDER_ALL) override;

  // The size of the next texture: wide enough for the remaining glyphs in one row
  // (a power of two, at most the largest size), high enough for all the glyphs in
  // rows of that width.
  static GlyphTextureSize ComputeTextureSize(unsigned remaining, unsigned glyphCount, int glyphWidth, int glyphHeight,
                                             int padding, int maxSize);

  // ---- What tests look at ----
  size_t GetNumTextures() const { return mTextures.size(); }
  unsigned GetTexture(size_t i) const { return i < mTextures.size() ? mTextures[i] : 0; }
  int GetTextureWidth() const { return mTextureWidth; }
  int GetTextureHeight() const { return mTextureHeight; }
  unsigned GetGlyphCount() const { return mGlyphCount; }
  unsigned GetRemainingGlyphs() const { return mRemaining; }
  int GetGlyphWidth() const { return mGlyphWidth; }
  int GetGlyphHeight() const { return mGlyphHeight; }
  bool HasPendingTexture() const { return mDirty; }

  static constexpr int kPadding = 8;
  static constexpr unsigned kDefaultGlyphLimit = 256;

 protected:
  FTGlyph* MakeGlyph(FT_GlyphSlot slot) override;

 private:
  friend class MipmapGlyph;
  void ReadFace(const char* path, const unsigned char* bytes, size_t size);
  void NewTexture();
  // Uploads the newest texture's pending texels (with its mipmaps when it has them).
  void Flush();
  void FreeTextures();
  // Copies a glyph bitmap into the newest texture at (x, y), cut to the texture.
  void StoreBitmap(const unsigned char* bits, int pitch, int width, int rows, int x, int y);
  template <typename T>
  FTPoint RenderText(const T* string, int len, FTPoint position, FTPoint spacing, int renderMode);

  bool mDefer = false;
  // The newest texture's texels, kept while they may still change.
  std::vector<unsigned char> mBuffer;
  bool mDirty = false;
  bool mNewestMipmapped = false;
  int mMaxTextureSize = 0;
  int mTextureWidth = 0;
  int mTextureHeight = 0;
  std::vector<unsigned> mTextures;
  int mGlyphHeight = 1;
  int mGlyphWidth = 1;
  unsigned mFaceGlyphs = 0;
  unsigned mGlyphCount = 0;
  unsigned mRemaining = 0;
  unsigned mGlyphLimit = kDefaultGlyphLimit;
  float mBoldStrength = 0.0f;
  int mXOffset = 0;
  int mYOffset = 0;
  // The tallest glyph of the current row.
  int mRowHeight = 0;
  // The face's box in font units and its units per em.
  double mFaceBox[4] = {0, 0, 0, 0};
  double mUnitsPerEm = 1.0;
  const void* mContext = nullptr;
  // What the glyphs of the render under way are drawn with, and the texture the last of
  // them bound (0: none yet).
  GlyphQuadStyle mStyle;
  unsigned mBoundTexture = 0;
};

}  // namespace corvia
