#include "render/FontFiles.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <vector>

#include "core/Paths.h"
#include "core/Strings.h"

namespace corvia {

namespace detail_FontFiles {

// Families named after the usual faces of other systems, and the installed
// families with their metrics that stand for them, in order of preference.
struct Alias {
  const char* name;
  const char* families[3];
};
constexpr Alias kAliases[] = {
    {"Arial", {"Liberation Sans", "Arimo", "DejaVu Sans"}},
    {"Arial Narrow", {"Liberation Sans Narrow", nullptr, nullptr}},
    {"Times New Roman", {"Liberation Serif", "Tinos", "DejaVu Serif"}},
    {"Courier New", {"Liberation Mono", "Cousine", "DejaVu Sans Mono"}},
};

struct FaceFile {
  std::string file;
  int weight = FC_WEIGHT_REGULAR;
  int slant = FC_SLANT_ROMAN;
};

bool EndsWithNoCase(const char* s, size_t length, const char* tail) {
  const size_t n = std::strlen(tail);
  return length >= n && StrCompareNNoCase(s + length - n, tail, n) == 0;
}

bool IsFileName(const char* name) {
  const size_t length = std::strlen(name);
  return EndsWithNoCase(name, length, ".ttf") || EndsWithNoCase(name, length, ".fon");
}

// The installed files of one family, in a fixed order.
std::vector<FaceFile> ListFamily(const char* family) {
  std::vector<FaceFile> faces;
  FcPattern* pattern = FcPatternCreate();
  FcObjectSet* objects = FcObjectSetBuild(FC_FILE, FC_WEIGHT, FC_SLANT, nullptr);
  if (pattern && objects) {
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
    if (FcFontSet* set = FcFontList(nullptr, pattern, objects)) {
      for (int i = 0; i < set->nfont; ++i) {
        FcChar8* file = nullptr;
        if (FcPatternGetString(set->fonts[i], FC_FILE, 0, &file) != FcResultMatch || !file) continue;
        FaceFile face;
        face.file = reinterpret_cast<const char*>(file);
        FcPatternGetInteger(set->fonts[i], FC_WEIGHT, 0, &face.weight);
        FcPatternGetInteger(set->fonts[i], FC_SLANT, 0, &face.slant);
        faces.push_back(face);
      }
      FcFontSetDestroy(set);
    }
  }
  if (objects) FcObjectSetDestroy(objects);
  if (pattern) FcPatternDestroy(pattern);
  std::sort(faces.begin(), faces.end(), [](const FaceFile& a, const FaceFile& b) { return a.file < b.file; });
  return faces;
}

// The upright face whose weight is nearest the one asked for; null when the family
// has no upright face within the range.
const FaceFile* Nearest(const std::vector<FaceFile>& faces, int weight, int lowest) {
  const FaceFile* best = nullptr;
  for (const FaceFile& face : faces) {
    if (face.slant != FC_SLANT_ROMAN || face.weight < lowest) continue;
    if (!best || std::abs(face.weight - weight) < std::abs(best->weight - weight)) best = &face;
  }
  return best;
}

// What the program knows of the installed fonts: the files fontconfig lists, read once
// (fonts installed while the program runs are not looked for), and the face lists
// already reported missing. One for the process, as fontconfig's configuration and the
// font files are.
struct FontLibrary {
  std::vector<std::string> installedFiles;
  bool listed = false;
  std::set<std::string> reportedMissing;  // lower case
};

FontLibrary& Library() {
  static FontLibrary library;
  return library;
}

std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

// Every installed font file, for lookups by file name.
const std::vector<std::string>& InstalledFiles() {
  FontLibrary& library = Library();
  std::vector<std::string>& files = library.installedFiles;
  if (library.listed) return files;
  library.listed = true;
  FcPattern* pattern = FcPatternCreate();
  FcObjectSet* objects = FcObjectSetBuild(FC_FILE, nullptr);
  if (pattern && objects) {
    if (FcFontSet* set = FcFontList(nullptr, pattern, objects)) {
      for (int i = 0; i < set->nfont; ++i) {
        FcChar8* file = nullptr;
        if (FcPatternGetString(set->fonts[i], FC_FILE, 0, &file) == FcResultMatch && file) {
          files.emplace_back(reinterpret_cast<const char*>(file));
        }
      }
      FcFontSetDestroy(set);
    }
  }
  if (objects) FcObjectSetDestroy(objects);
  if (pattern) FcPatternDestroy(pattern);
  std::sort(files.begin(), files.end());
  return files;
}

bool FindFamily(const char* family, std::string& regularOut, std::string& boldOut) {
  const std::vector<FaceFile> faces = ListFamily(family);
  if (faces.empty()) return false;
  const FaceFile* regular = Nearest(faces, FC_WEIGHT_REGULAR, 0);
  if (!regular) regular = &faces.front();
  const FaceFile* bold = Nearest(faces, FC_WEIGHT_BOLD, FC_WEIGHT_DEMIBOLD);
  regularOut = regular->file;
  boldOut = bold ? bold->file : regular->file;
  return true;
}

}  // namespace detail_FontFiles

bool FindFontFile(const char* name, const char* folder, std::string& regularOut, std::string& boldOut) {
  using namespace detail_FontFiles;
  if (IsBlank(name)) return false;
  if (IsFileName(name)) {
    regularOut = name;
    const char* dot = std::strrchr(name, '.');
    const std::string base(name, static_cast<size_t>(dot - name));
    std::string found;
    boldOut = base + "bd" + dot;
    if (!FindFontPath(found, boldOut.c_str(), folder)) boldOut = base + "b" + dot;
    return true;
  }
  // The family itself when it is installed, else the families that stand for it.
  if (FindFamily(name, regularOut, boldOut)) return true;
  for (const Alias& alias : kAliases) {
    if (StrCompareNoCase(alias.name, name) != 0) continue;
    for (const char* family : alias.families) {
      if (family && FindFamily(family, regularOut, boldOut)) return true;
    }
  }
  return false;
}

bool FindFontPath(std::string& out, const char* file, const char* folder) {
  if (IsBlank(file)) return false;
  if (file[0] == '/' && FileExists(file)) {
    out = file;
    return true;
  }
  if (folder && *folder) {
    std::string local;
    if (FindProgramFile(local, (std::string(folder) + "/" + file).c_str(), false)) {
      out = local;
      return true;
    }
  }
  const char* name = std::strrchr(file, '/');
  name = name ? name + 1 : file;
  for (const std::string& installed : detail_FontFiles::InstalledFiles()) {
    const size_t slash = installed.rfind('/');
    const char* base = installed.c_str() + (slash == std::string::npos ? 0 : slash + 1);
    if (StrCompareNoCase(base, name) == 0) {
      out = installed;
      return true;
    }
  }
  return false;
}

bool ResolveFontPath(std::string& out, const char* name, const char* folder) {
  std::string regular, bold;
  return FindFontFile(name, folder, regular, bold) && FindFontPath(out, regular.c_str(), folder);
}

bool IsFirstReportOfMissingFont(const std::string& faceList) {
  return detail_FontFiles::Library().reportedMissing.insert(detail_FontFiles::Lower(faceList)).second;
}

void ForgetMissingFontReports() {
  detail_FontFiles::Library().reportedMissing.clear();
}

}  // namespace corvia
