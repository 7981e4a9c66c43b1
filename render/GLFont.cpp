#include "render/GLFont.h"

#include <FTGL/ftgl.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/HtmlText.h"
#include "core/Messages.h"
#include "core/Strings.h"
#include "render/FontFiles.h"
#include "render/GL.h"
#include "render/GLContextState.h"
#include "render/GLSection.h"
#include "render/MipmapTextureFont.h"

namespace corvia {

namespace detail_GLFont {

// The 94 signs of the keyboard, then the copyright and the degree sign.
constexpr char kGlyphSet[] =
    "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ`~!@#$%^&*()-=_+[]{}\\|;':\",./<>?"
    "\xC2\xA9\xC2\xB0";
constexpr int kGlyphSetLength = sizeof kGlyphSet - 1;
static_assert(kGlyphSetLength == 98);

// The library's faces are made at 72 dots per inch: the size is in pixels.
constexpr unsigned kFaceDpi = 72;
constexpr const char* kFontFolder = "Fonts";

// Further entry flag: the face list changed while another context was current.
constexpr uint32_t kFontEntryReloadDue = 0x4;

// The fonts of one GL context: their glyphs are textures of that context.
struct Cache : GLContextPart {
  std::vector<std::unique_ptr<GLFontCacheEntry>> entries;
};

// The cache of the current context; null outside any section.
Cache* CurrentCache() {
  return FindCurrentGLContextPart<Cache>(&GLContextState::fonts);
}

// The face list of a requested name: up to its first double quote, trimmed.
std::string FaceListOf(const char* name, int length) {
  if (!name) return std::string();
  size_t n = length < 0 ? std::strlen(name) : static_cast<size_t>(length);
  if (const void* quote = std::memchr(name, '"', n)) n = static_cast<size_t>(static_cast<const char*>(quote) - name);
  size_t start = 0;
  while (start < n && IsSpaceChar(static_cast<unsigned char>(name[start]))) ++start;
  while (n > start && IsSpaceChar(static_cast<unsigned char>(name[n - 1]))) --n;
  return std::string(name + start, n - start);
}

}  // namespace detail_GLFont

const char* GetGlyphSet() {
  return detail_GLFont::kGlyphSet;
}
int GetGlyphSetLength() {
  return detail_GLFont::kGlyphSetLength;
}

// ---- GLFont -------------------------------------------------------------------------------------

GLFont::GLFont() = default;
GLFont::~GLFont() = default;

FTFont* GLFont::CreateFont(int kind, int size, float depth, const char* path, const char* glyphSet,
                           float boldStrength) {
  if (!path || !*path) return nullptr;
  std::unique_ptr<FTFont> font;
  MipmapTextureFont* texture = nullptr;
  switch (kind) {
    case kFontPixmap:
      font = std::make_unique<FTPixmapFont>(path);
      break;
    case kFontMipmapTexture:
      texture = new MipmapTextureFont(path);
      font.reset(texture);
      texture->SetGlyphLimit(static_cast<unsigned>(std::max(mMaxGlyphs, 0)));
      texture->SetBoldStrength(boldStrength);
      texture->SetDeferMipmaps(true);
      break;
    case kFontExtruded:
      font = std::make_unique<FTExtrudeFont>(path);
      break;
    case kFontPolygon:
      font = std::make_unique<FTPolygonFont>(path);
      break;
    default:
      return nullptr;
  }
  if (font->Error()) return nullptr;
  font->FaceSize(static_cast<unsigned>(std::max(size, 1)), detail_GLFont::kFaceDpi);
  font->Depth(depth);
  DoNothing("CreateFont(): Pre Advance\n");
  // Every glyph of the set is made now, so that drawing only binds and emits quads.
  font->Advance(glyphSet ? glyphSet : detail_GLFont::kGlyphSet);
  if (texture) texture->SetDeferMipmaps(false);
  DoNothing("CreateFont(): Post Advance\n");
  return font.release();
}

bool GLFont::Load(int kind, float scale, float depth, int resolution, const char* folder, const char* regularName,
                  const char* boldName, const char* italicName, const char* boldItalicName, const char* glyphSet) {
  // The glyph limit set for this load stays.
  for (auto& face : mFaces) face.reset();
  mKind = kFontNone;
  resolution = std::clamp(resolution, kTextMinResolution, kTextMaxResolution);
  mResolution = resolution;
  mScale = scale / static_cast<float>(resolution);
  if (!glyphSet) glyphSet = detail_GLFont::kGlyphSet;
  std::string regularFile, boldFile, path;
  if (!FindFontFile(regularName, folder, regularFile, boldFile) || !FindFontPath(path, regularFile.c_str(), folder)) {
    return false;
  }
  mFaces[kFaceRegular].reset(CreateFont(kind, resolution, depth, path.c_str(), glyphSet, 0.0f));
  if (!mFaces[kFaceRegular]) return false;
  mKind = kind;

  // The bold face: the family's bold file, or the regular face thickened.
  auto open = [&](const char* name, float strength) -> FTFont* {
    std::string file;
    return ResolveFontPath(file, name, folder) ? CreateFont(kind, resolution, depth, file.c_str(), glyphSet, strength)
                                               : nullptr;
  };
  if (boldName && StrCompareNoCase(boldName, regularName) == 0) {
    std::string boldPath;
    if (boldFile == regularFile) {
      mFaces[kFaceBold].reset(CreateFont(kind, resolution, depth, path.c_str(), glyphSet, kSyntheticBoldStrength));
    } else if (FindFontPath(boldPath, boldFile.c_str(), folder)) {
      mFaces[kFaceBold].reset(CreateFont(kind, resolution, depth, boldPath.c_str(), glyphSet, 0.0f));
    }
  } else if (boldName && *boldName) {
    mFaces[kFaceBold].reset(open(boldName, 0.0f));
  }
  if (italicName && *italicName) mFaces[kFaceItalic].reset(open(italicName, 0.0f));
  if (boldItalicName && *boldItalicName) {
    const bool sameAsItalic = italicName && StrCompareNoCase(boldItalicName, italicName) == 0;
    mFaces[kFaceBoldItalic].reset(open(boldItalicName, sameAsItalic ? kSyntheticBoldStrength : 0.0f));
  }
  return true;
}

FTFont* GLFont::GetFace(uint32_t style) {
  FTFont* face = mFaces[kFaceRegular].get();
  float shear = 0.0f;
  const bool bold = (style & kTextBold) != 0;
  const bool italic = (style & kTextItalic) != 0;
  if (bold && italic) {
    if (mFaces[kFaceBoldItalic]) {
      face = mFaces[kFaceBoldItalic].get();
    } else {
      if (mFaces[kFaceBold]) face = mFaces[kFaceBold].get();
      shear = kSyntheticItalicShear;
    }
  } else if (bold) {
    if (mFaces[kFaceBold]) face = mFaces[kFaceBold].get();
  } else if (italic) {
    if (mFaces[kFaceItalic]) {
      face = mFaces[kFaceItalic].get();
    } else {
      shear = kSyntheticItalicShear;
    }
  }
  SetGlyphShear(shear);
  return face;
}

float GLFont::Ascender(uint32_t style) {
  FTFont* face = GetFace(style);
  SetGlyphShear(0.0f);
  return face ? face->Ascender() * mScale : 0.0f;
}

float GLFont::Descender(uint32_t style) {
  FTFont* face = GetFace(style);
  SetGlyphShear(0.0f);
  return face ? face->Descender() * mScale : 0.0f;
}

void GLFont::Free() {
  for (auto& face : mFaces) face.reset();
  mKind = kFontNone;
  mMaxGlyphs = kDefaultGlyphLimit;
  mResolution = kDefaultFontResolution;
  mScale = 1.0f / kDefaultFontResolution;
}

void GLFont::SetTextureEnable() const {
  if (mKind == kFontMipmapTexture) {
    glEnable(GL_TEXTURE_2D);
  } else {
    glDisable(GL_TEXTURE_2D);
  }
}

// ---- The cache ----------------------------------------------------------------------------------

void GLFontCacheEntry::Unload() {
  font.Free();
  flags &= ~(kFontEntryLoaded | kFontEntryFailed | detail_GLFont::kFontEntryReloadDue);
}

bool LoadFontFaces(GLFontCacheEntry* entry, bool reload) {
  using namespace detail_GLFont;
  if (!entry) return false;
  if (entry->flags & kFontEntryReloadDue) {
    entry->Unload();
  } else if (entry->flags & kFontEntryLoaded) {
    if (!reload) return true;
    entry->Unload();
  } else if ((entry->flags & kFontEntryFailed) && !reload) {
    return false;
  }
  entry->flags &= ~kFontEntryFailed;
  entry->resolution = GetDefaultFontPreferences().resolution;
  entry->glyphSetLength = kGlyphSetLength;
  entry->font.SetMaxGlyphs(kGlyphSetLength);
  const std::string& list = entry->faceList;
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find(',', start);
    if (end == std::string::npos) end = list.size();
    size_t first = start;
    while (first < end && IsSpaceChar(static_cast<unsigned char>(list[first]))) ++first;
    size_t last = end;
    while (last > first && IsSpaceChar(static_cast<unsigned char>(list[last - 1]))) --last;
    const std::string face = list.substr(first, last - first);
    if (!face.empty() && entry->font.Load(kFontMipmapTexture, entry->scale, 0.0f, entry->resolution, kFontFolder,
                                          face.c_str(), face.c_str(), nullptr, nullptr, kGlyphSet)) {
      entry->flags |= kFontEntryLoaded;
      entry->currentFace = first;
      entry->currentFaceLength = last - first;
      return true;
    }
    start = end + 1;
  }
  entry->flags |= kFontEntryFailed;
  // Once per list: a missing font must not bring up a box at every repaint.
  if (IsFirstReportOfMissingFont(list)) {
    ShowError("Can't load font \"%s\".  Make sure you have it installed.", list.c_str());
  }
  return false;
}

GLFontCacheEntry* FindOrLoadFont(const char* name, int length) {
  using namespace detail_GLFont;
  const std::string list = FaceListOf(name, length);
  Cache* cache = CurrentCache();
  if (!cache) return nullptr;
  // One entry per list and resolution, so that texts at two resolutions do not
  // rebuild each other's glyphs.
  for (auto& entry : cache->entries) {
    if (entry->resolution == GetDefaultFontPreferences().resolution && StrCompareNoCase(entry->faceList.c_str(), list.c_str()) == 0) {
      if (entry->flags & kFontEntryReloadDue) LoadFontFaces(entry.get(), true);
      return entry.get();
    }
  }
  cache->entries.push_back(std::make_unique<GLFontCacheEntry>());
  GLFontCacheEntry* entry = cache->entries.back().get();
  entry->faceList = list;
  entry->resolution = GetDefaultFontPreferences().resolution;
  LoadFontFaces(entry, false);
  return entry;
}

GLFont* GetFont(const char* name, int length) {
  GLFontCacheEntry* entry = FindOrLoadFont(name, length);
  return entry && (entry->flags & kFontEntryLoaded) ? &entry->font : nullptr;
}

GLFontCacheEntry* GetDefaultFontEntry() {
  using namespace detail_GLFont;
  Cache* cache = CurrentCache();
  if (!cache) return nullptr;
  GLFontCacheEntry* entry = nullptr;
  if (cache->entries.empty()) {
    const int saved = GetDefaultFontPreferences().resolution;
    GetDefaultFontPreferences().resolution = kDefaultFontResolution;
    entry = FindOrLoadFont(GetDefaultFontPreferences().name.c_str(), -1);
    GetDefaultFontPreferences().resolution = saved;
  } else {
    entry = cache->entries.front().get();
    if (!(entry->flags & (kFontEntryLoaded | kFontEntryFailed)) || (entry->flags & kFontEntryReloadDue)) {
      LoadFontFaces(entry, false);
    }
  }
  return entry && (entry->flags & kFontEntryLoaded) ? entry : nullptr;
}

void SetDefaultFontName(const char* name) {
  using namespace detail_GLFont;
  if (!name || StrCompareNoCase(name, GetDefaultFontPreferences().name.c_str()) == 0) return;
  GetDefaultFontPreferences().name = name;
  const GLContextState* current = GetCurrentGLContextState();
  for (GLContextState* state = GetFirstGLContextState(); state; state = state->Next()) {
    if (!state->fonts) continue;
    auto& entries = static_cast<Cache&>(*state->fonts).entries;
    if (entries.empty()) continue;
    GLFontCacheEntry& first = *entries.front();
    first.faceList = name;
    // Its textures can go only while their context is current; elsewhere the font
    // is reopened at its next use.
    if (state == current) {
      if (first.flags & kFontEntryLoaded) first.Unload();
      first.flags &= ~kFontEntryFailed;
    } else {
      first.flags |= kFontEntryReloadDue;
    }
  }
}

const char* GetDefaultFontName() {
  return GetDefaultFontPreferences().name.c_str();
}

int GetDefaultFontResolution() {
  return GetDefaultFontPreferences().resolution;
}

void SetDefaultFontResolution(int resolution) {
  GetDefaultFontPreferences().resolution = std::clamp(resolution, kTextMinResolution, kTextMaxResolution);
}

void FreeAllFonts() {
  for (GLContextState* state = GetFirstGLContextState(); state; state = state->Next()) state->fonts.reset();
  ForgetMissingFontReports();
}

void ApplyDefaultFontTextureState() {
  const detail_GLFont::Cache* cache = detail_GLFont::CurrentCache();
  if (cache && !cache->entries.empty()) cache->entries.front()->font.SetTextureEnable();
}

int CountCachedFonts() {
  const detail_GLFont::Cache* cache = detail_GLFont::CurrentCache();
  return cache ? static_cast<int>(cache->entries.size()) : 0;
}

}  // namespace corvia
