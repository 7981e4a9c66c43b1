#include "platform/SafeFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace corvia::platform {

namespace detail_SafeFiles {

constexpr size_t kTemporaryLetters = 6;
// A cleaner of another save may remove a new temporary between its making and its
// lock; then another is made, a few times at most.
constexpr int kTemporaryAttempts = 8;

// Refuses what is not a regular file, by its kind: sets errno and the reason.
bool CheckKind(const struct stat& info, std::string* reason) {
  if (S_ISREG(info.st_mode)) return true;
  const bool folder = S_ISDIR(info.st_mode);
  errno = folder ? EISDIR : EINVAL;
  if (reason) *reason = folder ? "it is a folder" : "it is not a regular file (a pipe, a device or a socket)";
  return false;
}

bool Fail(std::string* reason) {
  const int code = errno;
  if (reason) *reason = std::strerror(code);
  errno = code;
  return false;
}

// A temporary of a save of the target: <name><infix> and six letters or digits.
bool IsTemporaryName(std::string_view name, std::string_view target, std::string_view infix) {
  if (name.size() != target.size() + infix.size() + kTemporaryLetters) return false;
  if (name.substr(0, target.size()) != target || name.substr(target.size(), infix.size()) != infix) return false;
  for (char c : name.substr(target.size() + infix.size())) {
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return false;
  }
  return true;
}

}  // namespace detail_SafeFiles

int OpenRegularFile(const char* path, std::string* reason) {
  using namespace detail_SafeFiles;
  if (path == nullptr || *path == '\0') {
    errno = ENOENT;
    Fail(reason);
    return -1;
  }
  // Looked at before it is opened, so that no device is even opened; and again once
  // open, since the name may have changed in between.
  struct stat info {};
  if (::stat(path, &info) != 0) {
    Fail(reason);
    return -1;
  }
  if (!CheckKind(info, reason)) return -1;
  const int fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    Fail(reason);
    return -1;
  }
  if (::fstat(fd, &info) != 0 || !CheckKind(info, reason)) {
    const int code = errno;
    ::close(fd);
    errno = code;
    return -1;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return fd;
}

FILE* OpenRegularFileStream(const char* path, std::string* reason) {
  const int fd = OpenRegularFile(path, reason);
  if (fd < 0) return nullptr;
  FILE* file = ::fdopen(fd, "rb");
  if (file == nullptr) {
    detail_SafeFiles::Fail(reason);
    const int code = errno;
    ::close(fd);
    errno = code;
  }
  return file;
}

int MakeLockedTemporary(const std::string& target, std::string_view infix, std::string& temporary) {
  for (int attempt = 0; attempt < detail_SafeFiles::kTemporaryAttempts; ++attempt) {
    std::string pattern = target + std::string(infix) + "XXXXXX";
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0) return -1;
    struct stat byName {}, byHandle {};
    if (::flock(fd, LOCK_EX) == 0 && ::stat(pattern.c_str(), &byName) == 0 && ::fstat(fd, &byHandle) == 0 &&
        byName.st_dev == byHandle.st_dev && byName.st_ino == byHandle.st_ino) {
      temporary = pattern;
      return fd;
    }
    ::close(fd);
  }
  errno = EEXIST;
  return -1;
}

void RemoveStaleTemporaries(const std::string& target, std::string_view infix) {
  const std::filesystem::path path(target);
  std::filesystem::path folder = path.parent_path();
  if (folder.empty()) folder = ".";
  const std::string name = path.filename().string();
  if (name.empty()) return;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::filesystem::path candidate = it->path();
    if (!detail_SafeFiles::IsTemporaryName(candidate.filename().string(), name, infix)) continue;
    struct stat info {};
    if (::lstat(candidate.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::getuid()) continue;
    const int fd = ::open(candidate.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) continue;
    // A save holds the lock on its temporary until the rename; a dead one holds none.
    struct stat opened {};
    if (::fstat(fd, &opened) == 0 && opened.st_dev == info.st_dev && opened.st_ino == info.st_ino &&
        ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
      ::unlink(candidate.c_str());
    }
    ::close(fd);
  }
}

}  // namespace corvia::platform
