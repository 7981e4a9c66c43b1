#include "platform/SettingsStore.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <map>
#include <set>
#include <system_error>

#include "platform/SafeFiles.h"
#include "platform/UserFolders.h"

// The file, one record a line, every line ending in '\n':
//
//   CorviaSettings 1
//   key "Software" "CorviaSoft" "Corvia" "Settings"
//   number "Width" 640
//   string "Title" "a \"quoted\" text\x0a"
//   binary "Layout" "00ff7f"
//   end 4 1c291ca3
//
// A key line names the full path of a key, one quoted name per level (a key line
// with no names is the root); the value lines after it belong to that key. Quoted
// texts escape '\', '"' and every control byte (\\, \", \xHH); other bytes stand as
// they are, so UTF-8 text stays readable. Binary blocks are lower-case hex. The end
// line gives the number of records and the CRC-32 of every line before it; a file
// without it, or whose check sum differs, has been cut short or changed.

namespace corvia::platform {

struct SettingsStore::Node {
  struct Value {
    std::string name;
    SettingKind kind = SettingKind::Number;
    std::uint32_t number = 0;
    std::string bytes;  // the text or the binary block
  };
  std::string name;
  std::map<std::string, Value> values;                    // by folded name
  std::map<std::string, std::unique_ptr<Node>> children;  // by folded name
};

namespace detail_SettingsStore {

using Node = SettingsStore::Node;

constexpr std::string_view kHeader = "CorviaSettings 1";
constexpr std::string_view kHeaderWord = "CorviaSettings";
constexpr std::string_view kKeyTag = "key";
constexpr std::string_view kNumberTag = "number";
constexpr std::string_view kStringTag = "string";
constexpr std::string_view kBinaryTag = "binary";
constexpr std::string_view kEndTag = "end";
constexpr std::string_view kDamagedSuffix = ".damaged";
constexpr int kMaxDamagedCopies = 9;
constexpr std::string_view kHexDigits = "0123456789abcdef";
constexpr std::string_view kTemporaryInfix = ".tmp-";

std::string Fold(std::string_view name) {
  std::string folded(name);
  for (char& c : folded) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return folded;
}

// The levels of a key path; empty parts (leading, trailing or doubled backslashes)
// are skipped. Nothing for a path beyond the bounds.
std::optional<std::vector<std::string_view>> SplitKey(std::string_view key) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  while (start <= key.size()) {
    size_t end = key.find('\\', start);
    if (end == std::string_view::npos) end = key.size();
    std::string_view part = key.substr(start, end - start);
    if (!part.empty()) {
      if (part.size() > kMaxSettingNameBytes || parts.size() >= kMaxSettingKeyDepth) return std::nullopt;
      parts.push_back(part);
    }
    start = end + 1;
  }
  return parts;
}

Node* Descend(Node* node, const std::vector<std::string_view>& parts) {
  for (std::string_view part : parts) {
    auto it = node->children.find(Fold(part));
    if (it == node->children.end()) return nullptr;
    node = it->second.get();
  }
  return node;
}

template <typename Parts>
Node* DescendOrMake(Node* node, const Parts& parts) {
  for (const auto& part : parts) {
    std::unique_ptr<Node>& child = node->children[Fold(part)];
    if (!child) {
      child = std::make_unique<Node>();
      child->name = std::string(part);
    }
    node = child.get();
  }
  return node;
}

// CRC-32 (the zlib polynomial), to tell a file that was changed or cut short.
constexpr std::array<std::uint32_t, 256> MakeCrcTable() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t i = 0; i < 256; ++i) {
    std::uint32_t c = i;
    for (int bit = 0; bit < 8; ++bit) c = (c & 1u) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[i] = c;
  }
  return table;
}
constexpr std::array<std::uint32_t, 256> kCrcTable = MakeCrcTable();

// Running CRC without the final inversion; start with 0xFFFFFFFF.
std::uint32_t CrcUpdate(std::uint32_t crc, std::string_view bytes) {
  for (unsigned char b : bytes) crc = kCrcTable[(crc ^ b) & 0xFFu] ^ (crc >> 8);
  return crc;
}

void AppendHex8(std::string& out, std::uint32_t value) {
  for (int shift = 28; shift >= 0; shift -= 4) out += kHexDigits[(value >> shift) & 0xFu];
}

void AppendQuoted(std::string& out, std::string_view text) {
  out += '"';
  for (unsigned char c : text) {
    if (c == '\\' || c == '"') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20 || c == 0x7F) {
      out += "\\x";
      out += kHexDigits[c >> 4];
      out += kHexDigits[c & 0xFu];
    } else {
      out += static_cast<char>(c);
    }
  }
  out += '"';
}

void AppendHexQuoted(std::string& out, std::string_view bytes) {
  out += '"';
  for (unsigned char c : bytes) {
    out += kHexDigits[c >> 4];
    out += kHexDigits[c & 0xFu];
  }
  out += '"';
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void WriteNode(std::string& out, size_t& records, const Node& node, std::vector<const std::string*>& path) {
  // The root gets a key line only when it holds values itself.
  if (!path.empty() || !node.values.empty()) {
    out += kKeyTag;
    for (const std::string* part : path) {
      out += ' ';
      AppendQuoted(out, *part);
    }
    out += '\n';
    ++records;
  }
  for (const auto& [folded, value] : node.values) {
    switch (value.kind) {
      case SettingKind::Number:
        out += kNumberTag;
        out += ' ';
        AppendQuoted(out, value.name);
        out += ' ';
        out += std::to_string(value.number);
        break;
      case SettingKind::String:
        out += kStringTag;
        out += ' ';
        AppendQuoted(out, value.name);
        out += ' ';
        AppendQuoted(out, value.bytes);
        break;
      case SettingKind::Binary:
        out += kBinaryTag;
        out += ' ';
        AppendQuoted(out, value.name);
        out += ' ';
        AppendHexQuoted(out, value.bytes);
        break;
    }
    out += '\n';
    ++records;
  }
  for (const auto& [folded, child] : node.children) {
    path.push_back(&child->name);
    WriteNode(out, records, *child, path);
    path.pop_back();
  }
}

// Reads the fields of one record line: single spaces between fields, quoted texts
// with the escapes above, bare words up to the next space.
class LineFields {
 public:
  explicit LineFields(std::string_view line) : mLine(line) {}

  bool AtEnd() const { return mPos == mLine.size(); }

  bool Word(std::string_view& word) {
    size_t end = mLine.find(' ', mPos);
    if (end == std::string_view::npos) end = mLine.size();
    word = mLine.substr(mPos, end - mPos);
    mPos = end;
    return !word.empty();
  }

  bool Space() {
    if (mPos >= mLine.size() || mLine[mPos] != ' ') return false;
    ++mPos;
    return true;
  }

  // A quoted text of at most `limit` bytes once unescaped; `tooLong` tells that
  // bound apart from a malformed field.
  bool Quoted(std::string& text, size_t limit, bool& tooLong) {
    text.clear();
    tooLong = false;
    if (mPos >= mLine.size() || mLine[mPos] != '"') return false;
    ++mPos;
    while (mPos < mLine.size()) {
      // Plain bytes in one go: values may be megabytes long.
      size_t plain = mPos;
      while (plain < mLine.size() && IsPlain(static_cast<unsigned char>(mLine[plain]))) ++plain;
      if (plain > mPos) {
        if (plain - mPos > limit - text.size()) {
          tooLong = true;
          return false;
        }
        text.append(mLine.substr(mPos, plain - mPos));
        mPos = plain;
        continue;
      }
      char c = mLine[mPos++];
      if (c == '"') return true;
      if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;  // control bytes are always escaped
      if (c == '\\') {
        if (mPos >= mLine.size()) return false;
        char e = mLine[mPos++];
        if (e == '\\' || e == '"') {
          c = e;
        } else if (e == 'x' && mPos + 2 <= mLine.size() && HexValue(mLine[mPos]) >= 0 &&
                   HexValue(mLine[mPos + 1]) >= 0) {
          c = static_cast<char>(HexValue(mLine[mPos]) * 16 + HexValue(mLine[mPos + 1]));
          mPos += 2;
        } else {
          return false;
        }
      }
      if (text.size() >= limit) {
        tooLong = true;
        return false;
      }
      text += c;
    }
    return false;  // no closing quote
  }

 private:
  static bool IsPlain(unsigned char c) { return c >= 0x20 && c != 0x7F && c != '"' && c != '\\'; }

  std::string_view mLine;
  size_t mPos = 0;
};

bool ParseNumber(std::string_view word, std::uint32_t& value) {
  if (word.empty() || word.size() > 10) return false;
  for (char c : word) {
    if (c < '0' || c > '9') return false;
  }
  std::uint64_t wide = 0;
  auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), wide);
  if (ec != std::errc() || end != word.data() + word.size() || wide > 0xFFFFFFFFull) return false;
  value = static_cast<std::uint32_t>(wide);
  return true;
}

std::string LineError(size_t lineNumber, const std::string& what) {
  return "line " + std::to_string(lineNumber) + ": " + what;
}

// Parses a whole file into `root`; on failure returns false with what is wrong.
bool ParseSettings(std::string_view text, Node& root, std::string& reason) {
  if (text.empty()) {
    reason = "the file is empty";
    return false;
  }
  if (text.back() != '\n') {
    reason = "it is cut short (its last line has no end)";
    return false;
  }
  std::vector<std::string_view> lines;
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find('\n', start);
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    start = end + 1;
  }
  if (lines.front() != kHeader) {
    if (lines.front().substr(0, kHeaderWord.size() + 1) == std::string(kHeaderWord) + " ") {
      reason = "it is written in a format this version does not know";
    } else {
      reason = "it is not a settings file";
    }
    return false;
  }
  // The end line: "end <records> <crc>".
  LineFields endFields(lines.back());
  std::string_view tag, countWord, crcWord;
  std::uint32_t count = 0;
  if (lines.size() < 2 || !endFields.Word(tag) || tag != kEndTag || !endFields.Space() || !endFields.Word(countWord) ||
      !endFields.Space() || !endFields.Word(crcWord) || !endFields.AtEnd() || !ParseNumber(countWord, count) ||
      crcWord.size() != 8) {
    reason = "it is cut short (its end marker is missing)";
    return false;
  }
  std::uint32_t storedCrc = 0;
  for (char c : crcWord) {
    int digit = HexValue(c);
    if (digit < 0) {
      reason = "its end marker is malformed";
      return false;
    }
    storedCrc = storedCrc << 4 | static_cast<std::uint32_t>(digit);
  }
  std::uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = 0; i + 1 < lines.size(); ++i) {
    crc = CrcUpdate(crc, lines[i]);
    crc = CrcUpdate(crc, "\n");
  }
  if ((crc ^ 0xFFFFFFFFu) != storedCrc) {
    reason = "its check sum does not match (it was changed or damaged)";
    return false;
  }
  if (count != lines.size() - 2) {
    reason = "its number of records does not match its end marker";
    return false;
  }

  std::set<std::string> keysSeen;
  Node* current = nullptr;
  for (size_t i = 1; i + 1 < lines.size(); ++i) {
    const size_t lineNumber = i + 1;
    LineFields fields(lines[i]);
    std::string_view word;
    bool tooLong = false;
    if (!fields.Word(word)) {
      reason = LineError(lineNumber, "an empty or malformed record");
      return false;
    }
    if (word == kKeyTag) {
      std::vector<std::string> parts;
      std::string folded;
      while (!fields.AtEnd()) {
        std::string part;
        if (!fields.Space() || !fields.Quoted(part, kMaxSettingNameBytes, tooLong)) {
          reason = LineError(lineNumber, tooLong ? "a key name is too long" : "a malformed key name");
          return false;
        }
        if (part.empty() || part.find('\\') != std::string::npos) {
          reason = LineError(lineNumber, "an invalid key name");
          return false;
        }
        if (parts.size() >= kMaxSettingKeyDepth) {
          reason = LineError(lineNumber, "keys nested too deep");
          return false;
        }
        folded += '\\';
        folded += Fold(part);
        parts.push_back(std::move(part));
      }
      if (!keysSeen.insert(folded).second) {
        reason = LineError(lineNumber, "a key listed twice");
        return false;
      }
      current = DescendOrMake(&root, parts);
      continue;
    }
    SettingKind kind;
    if (word == kNumberTag) {
      kind = SettingKind::Number;
    } else if (word == kStringTag) {
      kind = SettingKind::String;
    } else if (word == kBinaryTag) {
      kind = SettingKind::Binary;
    } else {
      reason = LineError(lineNumber, "an unknown record");
      return false;
    }
    if (!current) {
      reason = LineError(lineNumber, "a value outside any key");
      return false;
    }
    Node::Value value;
    value.kind = kind;
    if (!fields.Space() || !fields.Quoted(value.name, kMaxSettingNameBytes, tooLong) || !fields.Space()) {
      reason = LineError(lineNumber, tooLong ? "a value name is too long" : "a malformed value name");
      return false;
    }
    bool good = false;
    if (kind == SettingKind::Number) {
      std::string_view digits;
      good = fields.Word(digits) && ParseNumber(digits, value.number);
    } else if (kind == SettingKind::String) {
      good = fields.Quoted(value.bytes, kMaxSettingValueBytes, tooLong);
    } else {
      std::string hex;
      good = fields.Quoted(hex, 2 * kMaxSettingValueBytes, tooLong) && hex.size() % 2 == 0;
      for (size_t k = 0; good && k < hex.size(); k += 2) {
        int high = HexValue(hex[k]);
        int low = HexValue(hex[k + 1]);
        good = high >= 0 && low >= 0;
        value.bytes += static_cast<char>(high * 16 + low);
      }
    }
    if (!good || !fields.AtEnd()) {
      reason = LineError(lineNumber, tooLong ? "a value longer than 64 MiB" : "a malformed value");
      return false;
    }
    if (!current->values.emplace(Fold(value.name), std::move(value)).second) {
      reason = LineError(lineNumber, "a value listed twice in one key");
      return false;
    }
  }
  return true;
}

std::string ErrorText(int error) {
  return std::strerror(error);
}

// Reads the whole file, refusing one beyond the size bound. Gives false with errno
// style detail in `reason`; `missing` tells a file that is simply not there.
bool ReadWholeFile(const std::filesystem::path& file, std::string& content, bool& missing, std::string& reason) {
  missing = false;
  // A pipe (which would wait for a writer), a device or a folder is refused unopened.
  std::string why;
  int fd = OpenRegularFile(file.c_str(), &why);
  if (fd < 0) {
    missing = errno == ENOENT || errno == ENOTDIR;
    reason = errno == EISDIR || errno == EINVAL ? why : "it cannot be opened: " + why;
    return false;
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    reason = "it cannot be read: " + ErrorText(errno);
    ::close(fd);
    return false;
  }
  if (static_cast<std::uintmax_t>(info.st_size) > kMaxSettingsFileBytes) {
    ::close(fd);
    reason = "it is larger than 256 MiB";
    return false;
  }
  content.assign(static_cast<size_t>(info.st_size), '\0');
  size_t filled = 0;
  for (;;) {
    // The file may grow while it is read: read one byte past the bound at most.
    if (filled == content.size()) {
      if (content.size() > kMaxSettingsFileBytes) break;
      content.resize(content.size() + 4096);
    }
    ssize_t got = ::read(fd, content.data() + filled, content.size() - filled);
    if (got < 0) {
      if (errno == EINTR) continue;
      reason = "it cannot be read: " + ErrorText(errno);
      ::close(fd);
      return false;
    }
    if (got == 0) break;
    filled += static_cast<size_t>(got);
  }
  ::close(fd);
  content.resize(filled);
  if (content.size() > kMaxSettingsFileBytes) {
    reason = "it is larger than 256 MiB";
    return false;
  }
  return true;
}

// Moves a damaged file aside, so that the next save does not destroy what might still
// be recovered by hand. Earlier damaged copies are kept too, up to a few.
std::filesystem::path KeepAside(const std::filesystem::path& file, std::string& error) {
  std::error_code ec;
  std::filesystem::path target = file.string() + std::string(kDamagedSuffix);
  for (int copy = 2; copy <= kMaxDamagedCopies && std::filesystem::exists(std::filesystem::symlink_status(target, ec));
       ++copy) {
    target = file.string() + std::string(kDamagedSuffix) + "." + std::to_string(copy);
  }
  if (::rename(file.c_str(), target.c_str()) != 0) {
    error = ErrorText(errno);
    return {};
  }
  return target;
}

// Makes every missing folder along `folder`, private to the user as the XDG rules ask.
bool MakeFolders(const std::filesystem::path& folder, std::string& error) {
  std::filesystem::path partial;
  for (const auto& part : folder) {
    partial /= part;
    if (partial == partial.root_path()) continue;
    if (::mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST) {
      error = ErrorText(errno);
      return false;
    }
  }
  struct stat info {};
  if (::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
    error = "not a folder";
    return false;
  }
  return true;
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t put = ::write(fd, bytes.data(), bytes.size());
    if (put < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(put));
  }
  return true;
}

std::atomic<SettingsStore*> gInstalledStore{nullptr};

}  // namespace detail_SettingsStore

SettingsStore::SettingsStore(std::filesystem::path file) : mFile(std::move(file)), mRoot(std::make_unique<Node>()) {}

SettingsStore::~SettingsStore() = default;

std::filesystem::path SettingsStore::DefaultFile() {
  std::filesystem::path folder = CorviaConfigFolder();
  if (folder.empty()) return {};
  return folder / std::string(kSettingsFileName);
}

SettingsStore& SettingsStore::Instance() {
  if (SettingsStore* installed = detail_SettingsStore::gInstalledStore.load(std::memory_order_acquire)) {
    return *installed;
  }
  static SettingsStore defaultStore(DefaultFile());
  return defaultStore;
}

SettingsStore* SettingsStore::InstallInstance(SettingsStore* store) {
  return detail_SettingsStore::gInstalledStore.exchange(store, std::memory_order_acq_rel);
}

LoadResult SettingsStore::Load() {
  namespace d = detail_SettingsStore;
  std::lock_guard lock(mMutex);
  mRoot = std::make_unique<Node>();
  LoadResult result;
  if (mFile.empty()) {
    result.warning = "No home folder is known, so the settings can be neither read nor kept.";
    return result;
  }
  std::string content;
  bool missing = false;
  std::string reason;
  if (d::ReadWholeFile(mFile, content, missing, reason)) {
    auto parsed = std::make_unique<Node>();
    if (d::ParseSettings(content, *parsed, reason)) {
      mRoot = std::move(parsed);
      return result;
    }
  } else if (missing) {
    return result;
  }
  result.damaged = true;
  std::string moveError;
  result.keptAs = d::KeepAside(mFile, moveError);
  result.warning = "The settings file \"" + mFile.string() + "\" is damaged: " + reason +
                   ". The settings were reset to their defaults";
  if (!result.keptAs.empty()) {
    result.warning += "; the damaged file was kept as \"" + result.keptAs.string() + "\".";
  } else {
    result.warning += "; the damaged file could not be moved aside (" + moveError + ").";
  }
  return result;
}

std::string SettingsStore::Serialize() const {
  namespace d = detail_SettingsStore;
  std::string out(d::kHeader);
  out += '\n';
  size_t records = 0;
  std::vector<const std::string*> path;
  d::WriteNode(out, records, *mRoot, path);
  std::uint32_t crc = d::CrcUpdate(0xFFFFFFFFu, out) ^ 0xFFFFFFFFu;
  out += d::kEndTag;
  out += ' ';
  out += std::to_string(records);
  out += ' ';
  d::AppendHex8(out, crc);
  out += '\n';
  return out;
}

SaveResult SettingsStore::Save() {
  namespace d = detail_SettingsStore;
  std::lock_guard lock(mMutex);
  SaveResult result;
  if (mFile.empty()) {
    result.error = "No home folder is known, so the settings cannot be saved.";
    return result;
  }
  auto fail = [&](const std::filesystem::path& where, const std::string& what) {
    result.error = "The settings could not be saved to \"" + where.string() + "\": " + what + ".";
    return result;
  };
  std::string text = Serialize();
  if (text.size() > kMaxSettingsFileBytes) return fail(mFile, "they would take more than 256 MiB");

  // A settings file that is a link (to a dotfiles folder, say) stays one: write
  // beside its target.
  std::filesystem::path target = mFile;
  std::error_code ec;
  if (std::filesystem::is_symlink(mFile, ec)) {
    std::filesystem::path resolved = std::filesystem::weakly_canonical(mFile, ec);
    if (!ec && !resolved.empty()) target = resolved;
  }
  std::string folderError;
  if (!d::MakeFolders(target.parent_path(), folderError)) return fail(target.parent_path(), folderError);

  RemoveStaleTemporaries(target.string(), d::kTemporaryInfix);
  std::string temporary;
  int fd = MakeLockedTemporary(target.string(), d::kTemporaryInfix, temporary);
  if (fd < 0) return fail(target, "no temporary file can be made beside it: " + d::ErrorText(errno));
  ::fchmod(fd, 0600);
  bool written = d::WriteAll(fd, text);
  int writeErrno = errno;
  if (written && ::fsync(fd) != 0) {
    written = false;
    writeErrno = errno;
  }
  if (!written) {
    ::unlink(temporary.c_str());
    ::close(fd);
    return fail(target, d::ErrorText(writeErrno));
  }
  if (beforeRename && !beforeRename(temporary)) {
    ::close(fd);
    return fail(target, "the save was stopped before the new file replaced the old one");
  }
  // The temporary stays locked, and so in use, until it has become the file.
  if (::rename(temporary.c_str(), target.c_str()) != 0) {
    int renameErrno = errno;
    ::unlink(temporary.c_str());
    ::close(fd);
    return fail(target, d::ErrorText(renameErrno));
  }
  ::close(fd);
  // Make the rename itself durable.
  int folderFd = ::open(target.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folderFd >= 0) {
    ::fsync(folderFd);
    ::close(folderFd);
  }
  result.saved = true;
  return result;
}

SettingsStore::Node* SettingsStore::FindKey(std::string_view key) const {
  auto parts = detail_SettingsStore::SplitKey(key);
  if (!parts) return nullptr;
  return detail_SettingsStore::Descend(mRoot.get(), *parts);
}

SettingsStore::Node* SettingsStore::MakeKey(std::string_view key) {
  auto parts = detail_SettingsStore::SplitKey(key);
  if (!parts) return nullptr;
  return detail_SettingsStore::DescendOrMake(mRoot.get(), *parts);
}

bool SettingsStore::GetNumber(std::string_view key, std::string_view name, std::uint32_t& value) const {
  std::lock_guard lock(mMutex);
  Node* node = FindKey(key);
  if (!node) return false;
  auto it = node->values.find(detail_SettingsStore::Fold(name));
  if (it == node->values.end() || it->second.kind != SettingKind::Number) return false;
  value = it->second.number;
  return true;
}

bool SettingsStore::GetString(std::string_view key, std::string_view name, std::string& value) const {
  std::lock_guard lock(mMutex);
  Node* node = FindKey(key);
  if (!node) return false;
  auto it = node->values.find(detail_SettingsStore::Fold(name));
  if (it == node->values.end() || it->second.kind != SettingKind::String) return false;
  value = it->second.bytes;
  return true;
}

bool SettingsStore::GetBinary(std::string_view key, std::string_view name, std::vector<std::uint8_t>& value) const {
  std::lock_guard lock(mMutex);
  Node* node = FindKey(key);
  if (!node) return false;
  auto it = node->values.find(detail_SettingsStore::Fold(name));
  if (it == node->values.end() || it->second.kind != SettingKind::Binary) return false;
  value.assign(it->second.bytes.begin(), it->second.bytes.end());
  return true;
}

std::optional<SettingKind> SettingsStore::KindOf(std::string_view key, std::string_view name) const {
  std::lock_guard lock(mMutex);
  Node* node = FindKey(key);
  if (!node) return std::nullopt;
  auto it = node->values.find(detail_SettingsStore::Fold(name));
  if (it == node->values.end()) return std::nullopt;
  return it->second.kind;
}

bool SettingsStore::SetValue(std::string_view key, std::string_view name, SettingKind kind, std::uint32_t number,
                             std::string bytes) {
  if (name.size() > kMaxSettingNameBytes || bytes.size() > kMaxSettingValueBytes) return false;
  std::lock_guard lock(mMutex);
  Node* node = MakeKey(key);
  if (!node) return false;
  Node::Value& value = node->values[detail_SettingsStore::Fold(name)];
  if (value.name.empty()) value.name = std::string(name);  // keeps the case it was first written with
  value.kind = kind;
  value.number = number;
  value.bytes = std::move(bytes);
  return true;
}

bool SettingsStore::SetNumber(std::string_view key, std::string_view name, std::uint32_t value) {
  return SetValue(key, name, SettingKind::Number, value, {});
}

bool SettingsStore::SetString(std::string_view key, std::string_view name, std::string_view value) {
  if (value.size() > kMaxSettingValueBytes) return false;
  return SetValue(key, name, SettingKind::String, 0, std::string(value));
}

bool SettingsStore::SetBinary(std::string_view key, std::string_view name, const std::vector<std::uint8_t>& value) {
  if (value.size() > kMaxSettingValueBytes) return false;
  return SetValue(key, name, SettingKind::Binary, 0, std::string(value.begin(), value.end()));
}

bool SettingsStore::KeyExists(std::string_view key) const {
  std::lock_guard lock(mMutex);
  return FindKey(key) != nullptr;
}

bool SettingsStore::CreateKey(std::string_view key) {
  std::lock_guard lock(mMutex);
  return MakeKey(key) != nullptr;
}

bool SettingsStore::DeleteValue(std::string_view key, std::string_view name) {
  std::lock_guard lock(mMutex);
  Node* node = FindKey(key);
  return node && node->values.erase(detail_SettingsStore::Fold(name)) > 0;
}

bool SettingsStore::DeleteKey(std::string_view key) {
  std::lock_guard lock(mMutex);
  auto parts = detail_SettingsStore::SplitKey(key);
  if (!parts || parts->empty()) return false;
  std::string_view last = parts->back();
  parts->pop_back();
  Node* parent = detail_SettingsStore::Descend(mRoot.get(), *parts);
  return parent && parent->children.erase(detail_SettingsStore::Fold(last)) > 0;
}

std::vector<std::string> SettingsStore::ValueNames(std::string_view key) const {
  std::lock_guard lock(mMutex);
  std::vector<std::string> names;
  if (Node* node = FindKey(key)) {
    for (const auto& [folded, value] : node->values) names.push_back(value.name);
  }
  return names;
}

std::vector<std::string> SettingsStore::SubKeys(std::string_view key) const {
  std::lock_guard lock(mMutex);
  std::vector<std::string> names;
  if (Node* node = FindKey(key)) {
    for (const auto& [folded, child] : node->children) names.push_back(child->name);
  }
  return names;
}

void SettingsStore::Clear() {
  std::lock_guard lock(mMutex);
  mRoot = std::make_unique<Node>();
}

}  // namespace corvia::platform
