#include "core/FileUtils.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

#include "core/Messages.h"
#include "core/Paths.h"
#include "platform/SafeFiles.h"

namespace corvia {

namespace detail_FileUtils {

constexpr size_t kCopyBlockBytes = 1024;
constexpr const char* kUniquePart = "-XXXXXX";
// What the temporaries of copies and saves add to the name they replace.
constexpr const char* kSiblingInfix = ".copy-";
constexpr mode_t kPermissionBits = 0777;
constexpr mode_t kNewFileBits = 0666;

bool SameFile(const char* a, const char* b) {
  std::error_code ec;
  bool same = std::filesystem::equivalent(std::filesystem::path(NativePath(a)), std::filesystem::path(NativePath(b)), ec);
  return !ec && same;
}

// A new file beside `path` (same folder, so that rename replaces atomically), locked
// while the returned descriptor is open; the temporaries that earlier copies or saves
// of the same file left when they died are removed first.
int MakeSibling(const std::string& path, std::string& sibling) {
  platform::RemoveStaleTemporaries(path, kSiblingInfix);
  return platform::MakeLockedTemporary(path, kSiblingInfix, sibling);
}

Outcome CannotOpenTo(const char* destination) {
  return Outcome::FailedF("FileCopy() failed: Couldn't open file to copy to:\n%s", destination);
}

}  // namespace detail_FileUtils

Outcome FileCopy(const char* destination, const char* source, bool overwrite) {
  if (destination == nullptr || source == nullptr) return Outcome::Failed("FileCopy() failed: no file named");
  std::string from = NativePath(source);
  std::string to = NativePath(destination);
  FILE* in = platform::OpenRegularFileStream(from.c_str(), nullptr);
  if (in == nullptr) {
    return Outcome::FailedF("FileCopy() failed: Couldn't open file to copy from:\n%s", source);
  }
  if (detail_FileUtils::SameFile(from.c_str(), to.c_str())) {
    // Already holds the data; opening it for writing would destroy it.
    std::fclose(in);
    return Outcome::Done();
  }
  if (!overwrite && PathExists(to.c_str(), false, false)) {
    std::fclose(in);
    return Outcome::RefusedF("FileCopy() failed: File to copy to already exists:\n%s", destination);
  }

  std::string temporary;
  // fd keeps the temporary locked until it has been renamed; the copy is written
  // through a second descriptor of it.
  int fd = detail_FileUtils::MakeSibling(to, temporary);
  const int outFd = fd >= 0 ? dup(fd) : -1;
  FILE* out = outFd >= 0 ? fdopen(outFd, "wb") : nullptr;
  if (out == nullptr) {
    if (outFd >= 0) close(outFd);
    if (fd >= 0) {
      std::remove(temporary.c_str());
      close(fd);
    }
    std::fclose(in);
    return detail_FileUtils::CannotOpenTo(destination);
  }
  struct stat sourceStat {};
  if (fstat(fileno(in), &sourceStat) == 0) fchmod(fd, sourceStat.st_mode & detail_FileUtils::kPermissionBits);

  char block[detail_FileUtils::kCopyBlockBytes];
  bool ok = true;
  for (;;) {
    size_t got = std::fread(block, 1, sizeof block, in);
    if (got == 0) break;
    if (std::fwrite(block, 1, got, out) != got) {
      ok = false;
      break;
    }
  }
  // A read error must not pass for the end of the file.
  if (std::ferror(in)) ok = false;
  std::fclose(in);
  if (std::fflush(out) != 0 || std::ferror(out)) ok = false;
  if (std::fclose(out) != 0) ok = false;
  if (ok && std::rename(temporary.c_str(), to.c_str()) != 0) ok = false;
  if (!ok) std::remove(temporary.c_str());
  close(fd);
  if (!ok) return detail_FileUtils::CannotOpenTo(destination);
  return Outcome::Done();
}

bool WriteFileReplacing(const char* destination, const std::function<bool(const char* temporary)>& write,
                        std::string* error) {
  auto fail = [error](const std::string& what) {
    if (error) *error = what;
    return false;
  };
  if (destination == nullptr || *destination == '\0') return fail("no file name");
  std::string target = NativePath(destination);
  std::error_code ec;
  if (std::filesystem::is_symlink(target, ec)) {
    std::filesystem::path resolved = std::filesystem::weakly_canonical(target, ec);
    if (!ec && !resolved.empty()) target = resolved.string();
  }
  std::string temporary;
  int fd = detail_FileUtils::MakeSibling(target, temporary);
  if (fd < 0) return fail(std::string("no new file can be made beside it: ") + std::strerror(errno));
  struct stat old {};
  if (stat(target.c_str(), &old) == 0) {
    fchmod(fd, old.st_mode & detail_FileUtils::kPermissionBits);
  } else {
    // What a plain new file would get: the user's umask decides.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, detail_FileUtils::kNewFileBits & ~mask);
  }
  // fd keeps the temporary locked, so that no other save takes it for one left by a
  // dead save, until it has become the file or been removed.
  auto discard = [&](const std::string& what) {
    std::remove(temporary.c_str());
    close(fd);
    return fail(what);
  };
  if (!write(temporary.c_str())) return discard("the new file could not be written");
  // The data must be on the disk before the name points at it.
  if (fsync(fd) != 0) return discard(std::string("the new file could not be synced: ") + std::strerror(errno));
  if (std::rename(temporary.c_str(), target.c_str()) != 0) return discard(std::strerror(errno));
  close(fd);
  std::string folder = std::filesystem::path(target).parent_path().string();
  int folderFd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folderFd >= 0) {
    fsync(folderFd);
    close(folderFd);
  }
  return true;
}

bool RemoveFile(const char* path) {
  if (path == nullptr) return false;
  return std::remove(NativePath(path).c_str()) == 0;
}

void GetTempDirectory(std::string& path) {
  const char* tmp = std::getenv("TMPDIR");
  if (tmp != nullptr && tmp[0] == '/' && DirectoryExists(tmp)) {
    path = tmp;
  } else {
    std::error_code ec;
    std::filesystem::path system = std::filesystem::temp_directory_path(ec);
    path = ec ? std::string("/tmp") : system.string();
  }
  while (path.size() > 1 && path.back() == '/') path.pop_back();
}

void GetTempFilePath(std::string& path, const char* name) {
  std::string folder;
  GetTempDirectory(folder);
  path = folder + "/" + (name ? name : "");
  NormalizePathSeparators(path.data());
  path.resize(std::strlen(path.c_str()));
}

bool CreateTempFile(std::string& path, const char* name) {
  std::string base = GetFileNamePart(name ? name : "");
  if (base.empty()) base = "corvia";
  size_t dot = static_cast<size_t>(GetExtensionPart(base.c_str()) - base.c_str());
  std::string suffix = base.substr(dot);
  std::string pattern;
  GetTempFilePath(pattern, (base.substr(0, dot) + detail_FileUtils::kUniquePart + suffix).c_str());
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  // mkstemps opens with O_EXCL and mode 0600.
  int fd = mkstemps(buffer.data(), static_cast<int>(suffix.size()));
  if (fd < 0) return false;
  close(fd);
  path = buffer.data();
  return true;
}

size_t UrlEncode(char* out, const char* text, bool twice) {
  static const char kHex[] = "0123456789abcdef";
  size_t length = 0;
  auto put = [&](char c) {
    if (out) out[length] = c;
    ++length;
  };
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text ? text : ""); *p; ++p) {
    unsigned char c = *p;
    bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
                 c == '.';
    if (c == ' ') {
      put('+');
    } else if (plain) {
      put(static_cast<char>(c));
    } else {
      put('%');
      if (twice) {
        put('2');
        put('5');
      }
      put(kHex[c >> 4]);
      put(kHex[c & 0xF]);
    }
  }
  put('\0');
  return length;
}

std::string UrlEncode(const char* text, bool twice) {
  std::string out(UrlEncode(nullptr, text, twice), '\0');
  UrlEncode(out.data(), text, twice);
  out.pop_back();
  return out;
}

}  // namespace corvia
