#pragma once
// Fonts of the OpenGL panes: GLFont, one font with its regular, bold, italic and
// bold-italic faces made by the font library, and the cache of fonts by name that
// every text of a pane draws from. The first font of the cache is the default
// font ("Arial" at start). Fonts are made of textures, which belong to a GL
// context: each context has a cache of its own.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class FTFont;

namespace corvia {

// Kinds of font the library makes; the cache makes only mipmapped texture fonts.
constexpr int kFontNone = -1;
constexpr int kFontPixmap = 0;
constexpr int kFontMipmapTexture = 1;
constexpr int kFontExtruded = 2;
constexpr int kFontPolygon = 3;

// The faces of a font, by style.
constexpr int kFaceRegular = 0;
constexpr int kFaceBold = 1;
constexpr int kFaceItalic = 2;
constexpr int kFaceBoldItalic = 3;
constexpr int kNumFaces = 4;

// Resolution (pixels per text height) of glyphs; a bold face made from a regular
// one is thickened by this many pixels; a missing italic face is sheared by this.
constexpr int kDefaultFontResolution = 48;
constexpr float kSyntheticBoldStrength = 2.0f;
constexpr float kSyntheticItalicShear = 0.26f;
// A font's glyph limit after a reset (the cache gives the glyph set's length).
constexpr int kDefaultGlyphLimit = 100;

// Cache entry flags.
constexpr uint32_t kFontEntryLoaded = 0x1;
constexpr uint32_t kFontEntryFailed = 0x2;

// The glyphs every face makes when it is opened: the digits, letters and signs,
// the copyright sign and the degree sign.
const char* GetGlyphSet();
int GetGlyphSetLength();

class GLFont {
 public:
  GLFont();
  ~GLFont();
  GLFont(const GLFont&) = delete;
  GLFont& operator=(const GLFont&) = delete;

  // Opens the faces: the regular one from its name, the bold one from its name (the
  // regular name gives the family's bold file, or a thickened regular face when
  // there is none), italic and bold-italic when named. glyphSet null means the
  // standard one. True when the regular face opened.
  bool Load(int kind, float scale, float depth, int resolution, const char* folder, const char* regularName,
            const char* boldName, const char* italicName, const char* boldItalicName, const char* glyphSet);
  // One face of the library from a font file, with every glyph of the set made;
  // null when the file does not open.
  FTFont* CreateFont(int kind, int size, float depth, const char* path, const char* glyphSet, float boldStrength);

  // The face for the style (kTextBold, kTextItalic); a missing one falls back to
  // the regular or bold face with the italic shear set for the glyphs drawn next.
  FTFont* GetFace(uint32_t style);
  // The face's ascender and descender at size 1; the shear goes back to 0.
  float Ascender(uint32_t style);
  float Descender(uint32_t style);
  bool IsLoaded() const { return mKind >= 0 && mFaces[kFaceRegular] != nullptr; }
  // Deletes the faces and resets the font.
  void Free();
  void SetMaxGlyphs(int n) { mMaxGlyphs = n; }
  // Texturing on for texture fonts, off for the others.
  void SetTextureEnable() const;

  // Marked-up text from the pen (read and advanced) in the current pane; see
  // TextLayout::DrawHtml (core/HtmlText.h) for the arguments. Returns its height.
  static float DrawHtml(float* pen, float size, float width, const char* text, uint32_t flags, float* boxMin,
                        float* boxMax, int charLimit, intptr_t linkValue);
  // A run of plain text in this font (see TextLayout::DrawRun).
  void DrawRun(float* pen, float size, float left, float width, const float* rgba, uint32_t flags, const char* text,
               int length, float* boxMin, float* boxMax);

  int mKind = kFontNone;
  int mMaxGlyphs = kDefaultGlyphLimit;
  int mResolution = kDefaultFontResolution;
  std::unique_ptr<FTFont> mFaces[kNumFaces];
  // The lower glyph corners' colour; red -1 when unset.
  float mGradient[3] = {-1.0f, -1.0f, -1.0f};
  // With an amount of 0 or more the lower corners take (level - c) * amount + c.
  float mFadeAmount = -1.0f;
  float mFadeLevel = 0.5f;
  float mShadowAlpha = 0.5f;
  // The caller's scale over the resolution: a size of 1 is one unit high.
  float mScale = 1.0f / kDefaultFontResolution;
};

// DrawHtml with a pen of doubles.
float DrawHtmlAt(double* pen, float size, float width, const char* text, uint32_t flags, float* boxMin, float* boxMax,
                 int charLimit, intptr_t linkValue);

// One font of the cache.
class GLFontCacheEntry {
 public:
  void Unload();
  // The face of the list that loaded (empty when none has).
  std::string GetCurrentFace() const { return faceList.substr(currentFace, currentFaceLength); }

  GLFont font;
  uint32_t flags = 0;
  // One or more face names separated by commas.
  std::string faceList;
  size_t currentFace = 0;
  size_t currentFaceLength = 0;
  float scale = 1.0f;
  int resolution = kDefaultFontResolution;
  int glyphSetLength = 0;
};

// The font of a face list (a length of -1 takes the whole text), opened at the
// default resolution in the current context's cache; null when none of its faces
// loads, and outside any section.
GLFont* GetFont(const char* name, int length);
// The cache entry of a face list at the default resolution, made and loaded when
// new. The list is the name up to its first double quote, without blanks at its
// ends.
GLFontCacheEntry* FindOrLoadFont(const char* name, int length);
// Loads the first face of the list that opens; reports a list none of whose faces
// opens (once per list). A loaded entry answers at once unless reload is asked.
bool LoadFontFaces(GLFontCacheEntry* entry, bool reload);
// The default font: the first entry of the cache, made from the default name when
// the cache is empty, loaded when it has not been tried. Null when it cannot load.
GLFontCacheEntry* GetDefaultFontEntry();

void SetDefaultFontName(const char* name);
const char* GetDefaultFontName();
// The resolution faces are opened at (mark-up changes it for the faces it opens).
int GetDefaultFontResolution();
void SetDefaultFontResolution(int resolution);

// Forgets every font of every context (those of the current one are deleted with
// their textures) and which fonts were reported missing. The fonts of a context are part of its state
// (render/GLContextState.h) and go with it.
void FreeAllFonts();
void ApplyDefaultFontTextureState();
// The number of fonts in the current context's cache.
int CountCachedFonts();

// The font texts use when they name none, and the resolution fonts are made at
// (render/GLFont.h).
struct DefaultFontPreferences {
  std::string name = "Arial";
  int resolution = kDefaultFontResolution;
};

// The program's (render/DrawingPreferences.h).
DefaultFontPreferences& GetDefaultFontPreferences();

}  // namespace corvia
