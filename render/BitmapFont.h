#pragma once
// The plain bitmap font of a view: glyphs drawn with glBitmap at the raster
// position, for labels and texts laid over the scene. The glyph images live in
// memory, not in GL objects, so one font serves every context.

#include <memory>
#include <string>

class FTFont;

namespace corvia {

// Pixel height of the view font at font scale 1.
constexpr int kViewFontPixels = 13;
// The face of the view font ("Arial" is Liberation Sans here).
constexpr const char* kViewFontFamily = "Liberation Sans";

// The file of the installed face that best matches the family (fontconfig);
// empty when there is none.
std::string FindFontFile(const std::string& family);

class BitmapFont {
public:
  // Null when no font file can be opened.
  static std::unique_ptr<BitmapFont> Create(int pixelHeight);
  ~BitmapFont();
  BitmapFont(const BitmapFont&) = delete;
  BitmapFont& operator=(const BitmapFont&) = delete;

  int GetPixelHeight() const { return mPixelHeight; }
  int GetLineHeight() const { return mLineHeight; }
  // Width in pixels of one line of UTF-8 text.
  int Advance(const std::string& line) const;
  // Draws one line at the current raster position, which stays where it was.
  void Render(const std::string& line) const;

private:
  BitmapFont() = default;
  std::unique_ptr<FTFont> mFont;
  int mPixelHeight = 0;
  int mLineHeight = 0;
};

}  // namespace corvia
