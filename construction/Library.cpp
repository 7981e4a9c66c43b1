#include "construction/Library.h"

#include <cstring>

#include "core/Strings.h"

namespace corvia {

const char* const kLibraryCategories[kNumLibraryCategories + 1] = {
    "Search Results",
    "All Built-in Polyhedra",
    "-Uniform",
    "--Regular",
    "---Platonic",
    "---Kepler-Poinsot",
    "--Semi-Regular",
    "---Archimedean",
    "---Tetrahedral Symmetry",
    "---Octahedral Symmetry",
    "---Icosahedral Symmetry",
    "---Nonconvex Snubs",
    "---Prisms/Antiprisms",
    "--Degenerates",
    "-Johnson Solids",
    "-Near Misses",
    "-Stewart Toroids",
    "-Pyramids and Cupolae",
    nullptr,
};

LibraryRoot gLibraryRoots[kNumLibraryRoots] = {
    {"Corvia Library", "CorviaLib", 0},
    {"Geomag Library", "GeomagLib", 0},
};

LibraryEntry gUserLibraryEntry = {nullptr, -1, -1, -1, -1, kLibraryUserRecord, 0, 0, 0, 0,
                                  nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};

LibraryEntry* GetLibraryEntry(int index) {
  if (index < 0 || index >= kNumLibraryEntries) return nullptr;
  return &gLibraryTable[index];
}

int GetFirstSpringRecordIndex() {
  static int first = -1;
  if (first < 0) {
    for (int i = 0; i < kNumLibraryEntries; ++i) {
      if (gLibraryTable[i].IsSpringBuilt()) {
        first = i;
        break;
      }
    }
  }
  return first;
}

std::unique_ptr<LibraryEntry> NewUserLibraryEntry(const char* path) {
  auto entry = std::make_unique<LibraryEntry>(gUserLibraryEntry);
  entry->mName = CopyString(path != nullptr ? path : "");
  return entry;
}

void ReplaceSemicolonsWithSlashes(char* text) {
  for (; text != nullptr && *text != 0; ++text) {
    if (*text == ';') *text = '/';
  }
}

void ReplaceSlashesWithSemicolons(char* text) {
  for (; text != nullptr && *text != 0; ++text) {
    if (*text == '/') *text = ';';
  }
}

void CStringReplaceSlashesWithSemicolons(std::string& text) {
  for (char& c : text) {
    if (c == '/') c = ';';
  }
}

namespace detail_Library {

bool EndsWithNoCase(const char* name, size_t length, const char* ending) {
  size_t n = std::strlen(ending);
  return length >= n && StrCompareNoCase(name + length - n, ending) == 0;
}

}  // namespace detail_Library

void StripLibraryExtension(char* name) {
  if (name == nullptr) return;
  size_t length = std::strlen(name);
  if (detail_Library::EndsWithNoCase(name, length, kLibraryExtension)) name[length - std::strlen(kLibraryExtension)] = 0;
}

void StripLibraryExtension(std::string& name) {
  if (detail_Library::EndsWithNoCase(name.c_str(), name.size(), kLibraryExtension))
    name.resize(name.size() - std::strlen(kLibraryExtension));
}

void AddLibraryExtension(std::string& name) {
  if (!detail_Library::EndsWithNoCase(name.c_str(), name.size(), ".off")) name += kLibraryExtension;
}

const char* GetLibraryFileName(const char* path) {
  if (path == nullptr) return "";
  const char* name = path;
  for (const char* p = path; *p != 0; ++p) {
    if (*p == '/' || *p == '\\') name = p + 1;
  }
  return name;
}

}  // namespace corvia
