#pragma once
// The program's settings: typed values under backslash-separated key paths
// ("Software\\CorviaSoft\\Corvia\\Settings"), kept in one text file under the
// configuration folder. Key and value names match without regard to ASCII case and
// keep the case they were first written with.
//
// The file is written whole: a temporary file beside it, synced, then renamed over
// the old one, so a save that stops half way leaves the old settings intact; the
// next save removes such a temporary (a save holds a lock on its own until the
// rename, so one still in use is left alone). A file that cannot be read back (cut
// short, changed, garbage, or not a regular file: a pipe is never waited on) is moved
// aside with a ".damaged" suffix and the store starts empty, with one warning for the
// caller to show. The store itself never shows anything and never throws.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvia::platform {

enum class SettingKind : std::uint8_t {
  Number,  // 32-bit unsigned, the registry's DWORD
  String,  // UTF-8 text
  Binary,  // a block of bytes
};

// Bounds that the store keeps and that the file reader enforces.
inline constexpr std::size_t kMaxSettingValueBytes = 64u * 1024u * 1024u;
inline constexpr std::size_t kMaxSettingNameBytes = 16383;  // a value name or one key name
inline constexpr std::size_t kMaxSettingKeyDepth = 512;
inline constexpr std::uintmax_t kMaxSettingsFileBytes = 256u * 1024u * 1024u;

// The settings file's name inside the program's configuration folder.
inline constexpr std::string_view kSettingsFileName = "settings.conf";

struct LoadResult {
  // The file existed but could not be read back; the store is empty.
  bool damaged = false;
  // One text for the user when something went wrong, else empty.
  std::string warning;
  // Where a damaged file was moved to (empty when it could not be moved).
  std::filesystem::path keptAs;
};

struct SaveResult {
  bool saved = false;
  // What went wrong, naming the file, when not saved.
  std::string error;
};

class SettingsStore {
 public:
  // A store kept in the given file (an absolute path). Nothing is read until Load.
  explicit SettingsStore(std::filesystem::path file);
  ~SettingsStore();
  SettingsStore(const SettingsStore&) = delete;
  SettingsStore& operator=(const SettingsStore&) = delete;

  // The program's settings file: CorviaConfigFolder()/settings.conf; empty when no
  // home folder is known.
  static std::filesystem::path DefaultFile();

  // The process-wide store: the installed one, else one on DefaultFile() (not loaded
  // until someone calls Load).
  static SettingsStore& Instance();
  // Makes `store` the process-wide store (tests use a store in a scratch folder);
  // null goes back to the default one. Returns the store installed before, or null.
  static SettingsStore* InstallInstance(SettingsStore* store);

  const std::filesystem::path& File() const { return mFile; }

  // Replaces the contents by the file's. A missing folder or file gives an empty
  // store and no warning; a store with no file (no home folder) an empty store and
  // a warning that nothing will be kept.
  LoadResult Load();
  // Writes the whole store to the file, atomically.
  SaveResult Save();

  // Typed reads: true and `value` set when the value exists with that kind; otherwise
  // false and `value` untouched (a value of another kind counts as missing).
  bool GetNumber(std::string_view key, std::string_view name, std::uint32_t& value) const;
  bool GetString(std::string_view key, std::string_view name, std::string& value) const;
  bool GetBinary(std::string_view key, std::string_view name, std::vector<std::uint8_t>& value) const;
  std::optional<SettingKind> KindOf(std::string_view key, std::string_view name) const;

  // Writes create the key and its parents. False for a key path or name beyond the
  // bounds above, or a value longer than kMaxSettingValueBytes.
  bool SetNumber(std::string_view key, std::string_view name, std::uint32_t value);
  bool SetString(std::string_view key, std::string_view name, std::string_view value);
  bool SetBinary(std::string_view key, std::string_view name, const std::vector<std::uint8_t>& value);

  bool KeyExists(std::string_view key) const;
  // Makes the key (and its parents) when missing; false for a bad path.
  bool CreateKey(std::string_view key);
  // False when there was no such value.
  bool DeleteValue(std::string_view key, std::string_view name);
  // Removes the key with all its sub-keys and values; false when there was no such
  // key. The root (an empty path) cannot be deleted.
  bool DeleteKey(std::string_view key);
  // Names as first written, in case-insensitive order; empty for a missing key.
  std::vector<std::string> ValueNames(std::string_view key) const;
  std::vector<std::string> SubKeys(std::string_view key) const;
  // Empties the store (the file is untouched until the next Save).
  void Clear();

  // Test hook: called by Save once the temporary file is complete and synced, just
  // before the rename. Returning false stops the save there, as if the program had
  // died: the temporary file stays and the old file is untouched. Called with the
  // store locked; it must not call the store.
  std::function<bool(const std::filesystem::path& temporary)> beforeRename;

  struct Node;

 private:
  Node* FindKey(std::string_view key) const;
  Node* MakeKey(std::string_view key);
  bool SetValue(std::string_view key, std::string_view name, SettingKind kind, std::uint32_t number, std::string bytes);
  std::string Serialize() const;

  std::filesystem::path mFile;
  mutable std::mutex mMutex;
  std::unique_ptr<Node> mRoot;
};

}  // namespace corvia::platform
