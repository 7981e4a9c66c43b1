#include "core/Paths.h"

#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <vector>

#include "core/Strings.h"

namespace corvia {

namespace detail_Paths {

bool IsDriveLetterPrefix(const char* path) {
  return path && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':';
}

// Separators are equal to each other, letters equal ignoring case.
bool PathCharsEqualNoCase(char a, char b) {
  if (IsPathSeparator(a) && IsPathSeparator(b)) return true;
  return CharEqualNoCase(a, b);
}

// Length of the folder prefix when `path` begins with it (ignoring case, any
// separator); -1 otherwise.
long MatchFolderPrefix(const char* path, const char* folder, size_t folderLength) {
  for (size_t i = 0; i < folderLength; ++i) {
    if (path[i] == '\0' || !PathCharsEqualNoCase(path[i], folder[i])) return -1;
  }
  return static_cast<long>(folderLength);
}

// Natural order of names, by a merge sort that stays in bounds whatever the
// comparison answers.
void SortNatural(std::vector<char*>& names) {
  std::vector<char*> work(names.size());
  for (size_t width = 1; width < names.size(); width *= 2) {
    for (size_t left = 0; left < names.size(); left += 2 * width) {
      size_t middle = std::min(left + width, names.size());
      size_t right = std::min(left + 2 * width, names.size());
      size_t i = left, j = middle, k = left;
      while (i < middle && j < right) work[k++] = CompareNatural(names[j], names[i]) < 0 ? names[j++] : names[i++];
      while (i < middle) work[k++] = names[i++];
      while (j < right) work[k++] = names[j++];
    }
    names.swap(work);
  }
}

// The names in one folder that match one wildcard pattern (case ignored, as the
// stored patterns were written for a file system that ignores it).
void ListOnePattern(const std::string& pattern, int what, std::vector<char*>& names) {
  size_t slash = pattern.find_last_of('/');
  std::string folder = slash == std::string::npos ? std::string(".") : pattern.substr(0, slash + 1);
  std::string namePattern = slash == std::string::npos ? pattern : pattern.substr(slash + 1);
  if (namePattern.empty()) return;
  if (namePattern == "*.*") namePattern = "*";  // matches names without a dot too
  DIR* dir = opendir(folder.c_str());
  if (!dir) return;
  while (dirent* entry = readdir(dir)) {
    const char* name = entry->d_name;
    if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
    if (fnmatch(namePattern.c_str(), name, FNM_CASEFOLD | FNM_PERIOD) != 0) continue;
    if (what == kListFolders || what == kListFiles) {
      std::string full = folder;
      if (!full.empty() && full.back() != '/') full += '/';
      full += name;
      struct stat info;
      if (stat(full.c_str(), &info) != 0) continue;
      bool isFolder = S_ISDIR(info.st_mode);
      if ((what == kListFolders) != isFolder) continue;
    }
    names.push_back(CopyString(name));
  }
  closedir(dir);
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The program's own folder, with a trailing '/'.
std::string ProgramFolder() {
  std::vector<char> buffer(4096);
  for (;;) {
    ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n < 0) return std::string();
    if (static_cast<size_t>(n) < buffer.size()) {
      std::string exe(buffer.data(), static_cast<size_t>(n));
      size_t slash = exe.find_last_of('/');
      return slash == std::string::npos ? std::string() : exe.substr(0, slash + 1);
    }
    buffer.resize(buffer.size() * 2);
  }
}

// Drops the last folder of a folder path ending in '/'; the root stays.
void FolderUp(std::string& folder) {
  if (folder.size() <= 1) return;
  size_t slash = folder.find_last_of('/', folder.size() - 2);
  if (slash != std::string::npos) folder.erase(slash + 1);
}

}  // namespace detail_Paths

std::string NativePath(const char* path) {
  std::string native = path ? path : "";
  for (char& c : native) {
    if (c == '\\') c = '/';
  }
  return native;
}

const char* GetFileNamePart(const char* path) {
  const char* name = path;
  for (const char* p = path; *p; ++p) {
    if (IsPathSeparator(*p) || *p == ':') name = p + 1;
  }
  return name;
}

char* GetFileNamePart(char* path) {
  return const_cast<char*>(GetFileNamePart(static_cast<const char*>(path)));
}

const char* GetExtensionPart(const char* path) {
  const char* name = GetFileNamePart(path);
  const char* dot = std::strrchr(name, '.');
  return dot ? dot : name + std::strlen(name);
}

char* GetExtensionPart(char* path) {
  return const_cast<char*>(GetExtensionPart(static_cast<const char*>(path)));
}

char* ReplaceExtension(const char* path, const char* ext) {
  if (!path) path = "";
  if (!ext) ext = "";
  size_t base = static_cast<size_t>(GetExtensionPart(path) - path);
  size_t extLength = std::strlen(ext);
  char* result = NewString(base + 1 + extLength + 1);
  std::memcpy(result, path, base);
  result[base] = '.';
  std::memcpy(result + base + 1, ext, extLength + 1);
  return result;
}

bool SetExtension(char* path, size_t size, const char* ext) {
  if (!path || !ext) return false;
  size_t base = static_cast<size_t>(GetExtensionPart(path) - path);
  size_t extLength = std::strlen(ext);
  if (base + 1 + extLength + 1 > size) return false;
  path[base] = '.';
  std::memcpy(path + base + 1, ext, extLength + 1);
  return true;
}

char* CopyPathWithoutTrailingSeparator(const char* path, bool keepDriveRoot) {
  if (!path) return nullptr;
  size_t n = std::strlen(path);
  size_t end = n;
  while (end > 0 && IsPathSeparator(path[end - 1])) --end;
  if (keepDriveRoot && end < n) {
    // "C:\" and "/" are roots: without their separator they would name something else.
    if (end == 0 || (end == 2 && detail_Paths::IsDriveLetterPrefix(path))) ++end;
  }
  return CopyStringN(path, end);
}

bool PathExists(const char* path, bool needFolder, bool needWrite) {
  if (!path || !*path) return false;
  std::string native = NativePath(path);
  while (native.size() > 1 && native.back() == '/') native.pop_back();
  if (native.size() == 2 && detail_Paths::IsDriveLetterPrefix(native.c_str())) native += '/';
  struct stat info;
  if (stat(native.c_str(), &info) != 0) return false;
  if (needFolder && !S_ISDIR(info.st_mode)) return false;
  if (needWrite && access(native.c_str(), W_OK) != 0) return false;
  return true;
}

bool FileExists(const char* path) {
  return PathExists(path, false, false);
}

bool DirectoryExists(const char* path) {
  return PathExists(path, true, false);
}

bool IsPathInFolder(const char* path, const char* folder) {
  if (!path || !folder) return false;
  size_t length = std::strlen(folder);
  if (detail_Paths::MatchFolderPrefix(path, folder, length) < 0) return false;
  // A folder given with its trailing separator has already matched it.
  if (length > 0 && IsPathSeparator(folder[length - 1])) return true;
  return path[length] == '\0' || IsPathSeparator(path[length]);
}

bool MakeDirectory(const char* path) {
  if (!path || !*path) return false;
  return mkdir(NativePath(path).c_str(), 0777) == 0;
}

bool MakeDirectories(const char* path) {
  if (!path) return false;
  std::string native = NativePath(path);
  size_t i = 0;
  if (detail_Paths::IsDriveLetterPrefix(native.c_str())) i = 2;
  while (i < native.size() && native[i] == '/') ++i;
  while (i < native.size()) {
    size_t slash = native.find('/', i);
    size_t end = slash == std::string::npos ? native.size() : slash;
    std::string folder = native.substr(0, end);
    if (!DirectoryExists(folder.c_str()) && !MakeDirectory(folder.c_str())) return false;
    i = end;
    while (i < native.size() && native[i] == '/') ++i;
  }
  return true;
}

bool FindProgramFile(std::string& out, const char* name, bool needFolder) {
  std::string folder = detail_Paths::ProgramFolder();
  std::string rest = NativePath(name);
  while (rest.size() >= 3 && rest.compare(0, 3, "../") == 0) {
    detail_Paths::FolderUp(folder);
    rest.erase(0, 3);
  }
  out = folder + rest;
  if (PathExists(out.c_str(), needFolder, false)) return true;
  detail_Paths::FolderUp(folder);
  out = folder + rest;
  return PathExists(out.c_str(), needFolder, false);
}

std::string GetProgramFolder() { return detail_Paths::ProgramFolder(); }

bool IsWebAddress(const char* text) {
  if (!text) return false;
  for (const char* scheme : {"http://", "https://", "mailto:"}) {
    if (StartsWithNoCase(text, scheme) == 0 && text[std::strlen(scheme)] != '\0') return true;
  }
  return false;
}

int64_t GetFileModifiedTime(const char* path) {
  if (!path) return -1;
  struct stat info;
  if (stat(NativePath(path).c_str(), &info) != 0) return -1;
  return static_cast<int64_t>(info.st_mtime);
}

bool ChangeDirectory(const char* path) {
  return path && chdir(NativePath(path).c_str()) == 0;
}

std::string GetWorkingDirectory() {
  std::vector<char> buffer(4096);
  while (!getcwd(buffer.data(), buffer.size())) {
    if (errno != ERANGE) return std::string();
    buffer.resize(buffer.size() * 2);
  }
  return std::string(buffer.data());
}

bool ChangeToFileDirectory(const char* path) {
  if (!path) return false;
  const char* name = GetFileNamePart(path);
  std::string folder(path, static_cast<size_t>(name - path));
  if (folder.empty()) return true;  // already in the file's folder
  return ChangeDirectory(folder.c_str());
}

void GetFullPath(std::string& out, const char* path) {
  out.clear();
  if (IsBlank(path)) return;
  std::string native = NativePath(path);
  bool network = native.size() >= 2 && native[0] == '/' && native[1] == '/' && (native.size() == 2 || native[2] != '/');
  if (native[0] != '/') {
    std::string cwd = GetWorkingDirectory();
    native = cwd + "/" + native;
  }
  // Resolve "." and ".." by name, as the path may not exist yet.
  std::vector<std::string> parts;
  size_t i = 0;
  while (i <= native.size()) {
    size_t slash = native.find('/', i);
    size_t end = slash == std::string::npos ? native.size() : slash;
    std::string part = native.substr(i, end - i);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    i = end + 1;
  }
  std::string joined;
  for (const std::string& part : parts) {
    if (!joined.empty()) joined += '/';
    joined += part;
  }
  out = (network ? "//" : "/") + joined;
  if (!parts.empty() && native.back() == '/') out += '/';
}

const char* GetRelativePath(const char* path, const char* base) {
  if (!path || !base) return path;
  size_t folderLength = static_cast<size_t>(GetFileNamePart(base) - base);
  if (folderLength == 0) return path;
  long matched = detail_Paths::MatchFolderPrefix(path, base, folderLength);
  return matched < 0 ? path : path + matched;
}

bool NormalizePathSeparators(char* path) {
  if (!path) return false;
  bool changed = false;
  char* out = path;
  const char* in = path;
  // A leading pair names a network share and stays a pair.
  if (IsPathSeparator(in[0]) && IsPathSeparator(in[1])) {
    changed = in[0] != '/' || in[1] != '/';
    *out++ = '/';
    *out++ = '/';
    in += 2;
    while (IsPathSeparator(*in)) {
      ++in;
      changed = true;
    }
  }
  while (*in) {
    if (IsPathSeparator(*in)) {
      if (*in != '/') changed = true;
      *out++ = '/';
      ++in;
      while (IsPathSeparator(*in)) {
        ++in;
        changed = true;
      }
    } else {
      *out++ = *in++;
    }
  }
  *out = '\0';
  return changed;
}

char** ListDirectory(const char* patterns, int what, int* outCount) {
  std::vector<char*> names;
  names.reserve(10);
  std::string all = NativePath(patterns);
  size_t i = 0;
  while (i <= all.size()) {
    size_t semicolon = all.find(';', i);
    size_t end = semicolon == std::string::npos ? all.size() : semicolon;
    // Blanks around a pattern of the list are not part of the names.
    size_t first = i;
    size_t last = end;
    while (first < last && IsSpaceChar(static_cast<unsigned char>(all[first]))) ++first;
    while (last > first && IsSpaceChar(static_cast<unsigned char>(all[last - 1]))) --last;
    if (last > first) detail_Paths::ListOnePattern(all.substr(first, last - first), what, names);
    i = end + 1;
  }
  detail_Paths::SortNatural(names);
  char** array = new char*[names.empty() ? 1 : names.size()];
  for (size_t k = 0; k < names.size(); ++k) array[k] = names[k];
  if (names.empty()) array[0] = nullptr;
  if (outCount) *outCount = static_cast<int>(names.size());
  return array;
}

void DeleteStringArray(int count, char** array) {
  if (!array) return;
  for (int i = 0; i < count; ++i) DeleteString(array[i]);
  delete[] array;
}

void EncodeFileNameSafe(std::string& out, const char* text) {
  static const char kKept[] = "_., +-=!@#$^&()";
  static const char kHex[] = "0123456789abcdef";
  out.clear();
  if (!text) return;
  for (const char* p = text; *p; ++p) {
    unsigned char c = static_cast<unsigned char>(*p);
    if ((c < 128 && std::isalnum(c)) || (c != 0 && std::strchr(kKept, c))) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 0xF];
    }
  }
}

void DecodeFileNameSafe(std::string& out, const char* text) {
  out.clear();
  if (!text) return;
  for (const char* p = text; *p; ++p) {
    if (*p == '%') {
      int high = detail_Paths::HexValue(p[1]);
      int low = high >= 0 ? detail_Paths::HexValue(p[2]) : -1;
      // "%00" would end the text early: it is kept as it stands.
      if (high >= 0 && low >= 0 && high * 16 + low != 0) {
        out += static_cast<char>(high * 16 + low);
        p += 2;
        continue;
      }
    }
    out += *p;
  }
}

}  // namespace corvia
