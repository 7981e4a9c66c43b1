#include "render/BitmapFont.h"

#include <fontconfig/fontconfig.h>

#include <cmath>

#include "render/GL.h"
// FTGL after GL.
#include <FTGL/ftgl.h>

namespace corvia {

std::string FindFontFile(const std::string& family) {
  if (!FcInit()) return {};
  std::string path;
  FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(family.c_str()));
  if (!pattern) return {};
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  if (FcPattern* match = FcFontMatch(nullptr, pattern, &result)) {
    FcChar8* file = nullptr;
    if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file) {
      path = reinterpret_cast<const char*>(file);
    }
    FcPatternDestroy(match);
  }
  FcPatternDestroy(pattern);
  return path;
}

std::unique_ptr<BitmapFont> BitmapFont::Create(int pixelHeight) {
  static const std::string file = FindFontFile(kViewFontFamily);
  if (file.empty() || pixelHeight <= 0) return nullptr;
  std::unique_ptr<BitmapFont> font(new BitmapFont);
  font->mFont = std::make_unique<FTBitmapFont>(file.c_str());
  if (font->mFont->Error() || !font->mFont->FaceSize(static_cast<unsigned>(pixelHeight))) return nullptr;
  font->mPixelHeight = pixelHeight;
  font->mLineHeight = static_cast<int>(std::lround(font->mFont->LineHeight()));
  if (font->mLineHeight <= 0) font->mLineHeight = pixelHeight;
  return font;
}

BitmapFont::~BitmapFont() = default;

int BitmapFont::Advance(const std::string& line) const {
  return static_cast<int>(std::lround(mFont->Advance(line.c_str())));
}

void BitmapFont::Render(const std::string& line) const { mFont->Render(line.c_str()); }

}  // namespace corvia
