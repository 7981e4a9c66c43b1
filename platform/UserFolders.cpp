#include "platform/UserFolders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

namespace corvia::platform {

namespace detail_UserFolders {

// A variable's value when it is set to an absolute path.
std::optional<std::filesystem::path> AbsoluteFromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  if (!value || !*value) return std::nullopt;
  std::filesystem::path path(value);
  if (!path.is_absolute()) return std::nullopt;  // the XDG rules say to ignore relative ones
  return path.lexically_normal();
}

// Drops a trailing separator so that joined paths read "a/b", not "a//b".
std::filesystem::path Tidy(std::filesystem::path path) {
  path = path.lexically_normal();
  std::string text = path.string();
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  return text;
}

// The value of one "NAME=value" line of user-dirs.dirs: a shell-quoted string whose
// escapes are \\, \", \$ and \`. Gives nothing for a malformed value.
std::optional<std::string> UnquoteUserDirsValue(std::string_view value) {
  while (!value.empty() && (value.back() == ' ' || value.back() == '\t' || value.back() == '\r')) {
    value.remove_suffix(1);
  }
  if (value.empty() || value.front() != '"') return std::string(value);
  std::string out;
  for (size_t i = 1; i < value.size(); ++i) {
    char c = value[i];
    if (c == '\\' && i + 1 < value.size()) {
      out.push_back(value[++i]);
    } else if (c == '"') {
      if (i + 1 != value.size()) return std::nullopt;  // text after the closing quote
      return out;
    } else {
      out.push_back(c);
    }
  }
  return std::nullopt;  // no closing quote
}

// The documents entry of user-dirs.dirs, expanded against the home folder.
std::optional<std::filesystem::path> DocumentsFromUserDirs(const std::filesystem::path& home) {
  std::filesystem::path file = ConfigFolder();
  if (file.empty()) return std::nullopt;
  file /= "user-dirs.dirs";
  std::error_code ec;
  std::uintmax_t size = std::filesystem::file_size(file, ec);
  if (ec || size > kMaxUserDirsFileBytes) return std::nullopt;
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  static constexpr std::string_view kKey = "XDG_DOCUMENTS_DIR=";
  std::optional<std::filesystem::path> found;
  std::string line;
  // Later lines win, as they do when the shell reads the file.
  while (std::getline(in, line)) {
    std::string_view rest(line);
    while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t')) rest.remove_prefix(1);
    if (rest.empty() || rest.front() == '#') continue;
    if (rest.substr(0, kKey.size()) != kKey) continue;
    std::optional<std::string> value = UnquoteUserDirsValue(rest.substr(kKey.size()));
    if (!value) continue;
    static constexpr std::string_view kHome = "$HOME";
    if (value->compare(0, kHome.size(), kHome) == 0 &&
        (value->size() == kHome.size() || (*value)[kHome.size()] == '/')) {
      if (home.empty()) continue;
      std::string tail = value->substr(kHome.size());
      while (!tail.empty() && tail.front() == '/') tail.erase(0, 1);
      found = Tidy(tail.empty() ? home : home / tail);
    } else if (!value->empty() && value->front() == '/') {
      found = Tidy(*value);
    }
    // Anything else (relative, other variables) is not a form the file may hold.
  }
  return found;
}

// Splits a relative folder path on '/' and '\'; nothing for absolute paths or "..".
std::optional<std::vector<std::string>> SplitRelative(std::string_view relative) {
  std::vector<std::string> parts;
  if (!relative.empty() && (relative.front() == '/' || relative.front() == '\\')) return std::nullopt;
  std::string part;
  auto flush = [&]() -> bool {
    if (part == "..") return false;
    if (!part.empty() && part != ".") parts.push_back(part);
    part.clear();
    return true;
  };
  for (char c : relative) {
    if (c == '\0') return std::nullopt;
    if (c == '/' || c == '\\') {
      if (!flush()) return std::nullopt;
    } else {
      part.push_back(c);
    }
  }
  if (!flush()) return std::nullopt;
  return parts;
}

}  // namespace detail_UserFolders

std::filesystem::path HomeFolder() {
  if (auto home = detail_UserFolders::AbsoluteFromEnvironment("HOME")) return detail_UserFolders::Tidy(*home);
  long bufferSize = sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(bufferSize > 0 ? static_cast<size_t>(bufferSize) : 16384);
  passwd entry{};
  passwd* result = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &result) == 0 && result && result->pw_dir &&
      result->pw_dir[0] == '/') {
    return detail_UserFolders::Tidy(result->pw_dir);
  }
  return {};
}

std::filesystem::path ConfigFolder() {
  if (auto config = detail_UserFolders::AbsoluteFromEnvironment("XDG_CONFIG_HOME")) {
    return detail_UserFolders::Tidy(*config);
  }
  std::filesystem::path home = HomeFolder();
  if (home.empty()) return {};
  return home / ".config";
}

std::filesystem::path CorviaConfigFolder() {
  std::filesystem::path config = ConfigFolder();
  if (config.empty()) return {};
  return config / std::string(kCorviaFolderName);
}

std::filesystem::path DocumentsFolder() {
  if (auto documents = detail_UserFolders::AbsoluteFromEnvironment("XDG_DOCUMENTS_DIR")) {
    return detail_UserFolders::Tidy(*documents);
  }
  std::filesystem::path home = HomeFolder();
  if (auto documents = detail_UserFolders::DocumentsFromUserDirs(home)) return *documents;
  if (home.empty()) return {};
  return home / "Documents";
}

bool DocumentsSubFolder(std::string_view relative, bool create, std::filesystem::path& out) {
  auto parts = detail_UserFolders::SplitRelative(relative);
  if (!parts) return false;
  std::filesystem::path folder = DocumentsFolder();
  if (folder.empty()) return false;
  for (const std::string& part : *parts) folder /= part;
  out = folder;
  std::error_code ec;
  if (std::filesystem::is_directory(folder, ec)) return true;
  if (!create) return false;
  std::filesystem::create_directories(folder, ec);
  return std::filesystem::is_directory(folder, ec);
}

bool CorviaFolder(std::string_view subFolder, bool create, std::filesystem::path& out) {
  auto parts = detail_UserFolders::SplitRelative(subFolder);
  if (!parts) return false;
  std::string relative(kCorviaFolderName);
  for (const std::string& part : *parts) relative += "/" + part;
  return DocumentsSubFolder(relative, create, out);
}

}  // namespace corvia::platform
