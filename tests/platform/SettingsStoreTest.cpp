#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/SettingsStore.h"
#include "tests/support/TestSupport.h"

namespace settings_store_test {

namespace fs = std::filesystem;
using corvia::platform::LoadResult;
using corvia::platform::SettingKind;
using corvia::platform::SettingsStore;

constexpr const char* kKey = "Software\\CorviaSoft\\Corvia\\Settings";

fs::path StoreFile(const std::string& test) {
  return corvia::testing::ScratchDir(test) / "Corvia" / "settings.conf";
}

std::string ReadFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream buffer;
  buffer << in.rdbuf();
  return buffer.str();
}

void WriteFile(const fs::path& file, const std::string& bytes) {
  fs::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << bytes;
}

std::vector<std::uint8_t> AllBytes() {
  std::vector<std::uint8_t> bytes;
  for (int i = 0; i < 256; ++i) bytes.push_back(static_cast<std::uint8_t>(255 - i));
  return bytes;
}

// CRC-32 written again here, to build files that pass the check sum and so reach the
// record parser.
std::uint32_t Crc32(const std::string& bytes) {
  static const std::vector<std::uint32_t> table = [] {
    std::vector<std::uint32_t> t(256);
    for (std::uint32_t i = 0; i < 256; ++i) {
      std::uint32_t c = i;
      for (int bit = 0; bit < 8; ++bit) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
      t[i] = c;
    }
    return t;
  }();
  std::uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char b : bytes) crc = table[(crc ^ b) & 0xFFu] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

std::string WithEndLine(const std::string& body, size_t records) {
  char crc[16];
  std::snprintf(crc, sizeof crc, "%08x", Crc32(body));
  return body + "end " + std::to_string(records) + " " + crc + "\n";
}

// A damaged file: empty store, one warning naming the file, the file kept aside, and
// no box shown by the store itself.
void ExpectDamaged(const fs::path& file, const std::string& content, const std::string& what) {
  SCOPED_TRACE(what);
  WriteFile(file, content);
  for (const auto& entry : fs::directory_iterator(file.parent_path())) {
    if (entry.path() != file) fs::remove(entry.path());
  }
  SettingsStore store(file);
  ASSERT_TRUE(store.SetNumber(kKey, "Stale", 1));  // a load replaces whatever was there
  LoadResult result = store.Load();
  EXPECT_TRUE(result.damaged);
  EXPECT_NE(result.warning.find(file.string()), std::string::npos) << result.warning;
  EXPECT_TRUE(store.SubKeys("").empty());
  EXPECT_EQ(result.keptAs, fs::path(file.string() + ".damaged"));
  EXPECT_FALSE(fs::exists(file));
  EXPECT_EQ(ReadFile(result.keptAs), content);
  EXPECT_TRUE(corvia::testing::Platform().messages.Boxes().empty());
  // Reported once: the next start finds no file and says nothing.
  LoadResult again = store.Load();
  EXPECT_FALSE(again.damaged);
  EXPECT_TRUE(again.warning.empty());
}

TEST(SettingsStore, EveryKindRoundTripsThroughTheFile) {
  fs::path file = StoreFile("SettingsRoundTrip");
  {
    SettingsStore store(file);
    EXPECT_TRUE(store.SetNumber(kKey, "Zero", 0));
    EXPECT_TRUE(store.SetNumber(kKey, "Max", 0xFFFFFFFFu));
    EXPECT_TRUE(store.SetString(kKey, "Title", "Größe \xE2\x86\x92 ok"));
    EXPECT_TRUE(store.SetString(kKey, "Empty", ""));
    EXPECT_TRUE(store.SetBinary(kKey, "Bytes", AllBytes()));
    EXPECT_TRUE(store.SetBinary(kKey, "NoBytes", {}));
    EXPECT_TRUE(store.SetNumber("", "AtRoot", 7));
    EXPECT_TRUE(store.CreateKey("Software\\CorviaSoft\\Corvia\\Empty"));
    ASSERT_TRUE(store.Save().saved);
  }
  SettingsStore store(file);
  LoadResult loaded = store.Load();
  EXPECT_FALSE(loaded.damaged);
  EXPECT_TRUE(loaded.warning.empty());
  std::uint32_t number = 5;
  EXPECT_TRUE(store.GetNumber(kKey, "Zero", number));
  EXPECT_EQ(number, 0u);
  EXPECT_TRUE(store.GetNumber(kKey, "Max", number));
  EXPECT_EQ(number, 0xFFFFFFFFu);
  EXPECT_TRUE(store.GetNumber("", "AtRoot", number));
  EXPECT_EQ(number, 7u);
  std::string text = "old";
  EXPECT_TRUE(store.GetString(kKey, "Title", text));
  EXPECT_EQ(text, "Größe \xE2\x86\x92 ok");
  EXPECT_TRUE(store.GetString(kKey, "Empty", text));
  EXPECT_EQ(text, "");
  std::vector<std::uint8_t> bytes{1};
  EXPECT_TRUE(store.GetBinary(kKey, "Bytes", bytes));
  EXPECT_EQ(bytes, AllBytes());
  EXPECT_TRUE(store.GetBinary(kKey, "NoBytes", bytes));
  EXPECT_TRUE(bytes.empty());
  EXPECT_TRUE(store.KeyExists("software\\corviasoft\\corvia\\empty"));
  // Names match whatever their case, and keep the case they were written with.
  EXPECT_TRUE(store.GetNumber("SOFTWARE\\corviasoft\\Corvia\\settings", "max", number));
  EXPECT_EQ(store.SubKeys("Software\\CorviaSoft"), std::vector<std::string>{"Corvia"});

  struct stat info {};
  ASSERT_EQ(::stat(file.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  ASSERT_EQ(::stat(file.parent_path().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
}

TEST(SettingsStore, ValueOfAnotherKindReadsAsMissing) {
  fs::path file = StoreFile("SettingsWrongKind");
  SettingsStore store(file);
  store.SetNumber(kKey, "Width", 640);
  store.SetString(kKey, "Name", "640");
  store.SetBinary(kKey, "Blob", {0x80, 0x02, 0, 0});
  ASSERT_TRUE(store.Save().saved);
  SettingsStore reloaded(file);
  reloaded.Load();
  for (SettingsStore* s : {&store, &reloaded}) {
    std::uint32_t number = 99;
    std::string text = "unchanged";
    std::vector<std::uint8_t> bytes{9};
    EXPECT_FALSE(s->GetString(kKey, "Width", text));
    EXPECT_FALSE(s->GetBinary(kKey, "Width", bytes));
    EXPECT_FALSE(s->GetNumber(kKey, "Name", number));
    EXPECT_FALSE(s->GetNumber(kKey, "Blob", number));
    EXPECT_FALSE(s->GetString(kKey, "Blob", text));
    EXPECT_FALSE(s->GetNumber(kKey, "Missing", number));
    EXPECT_FALSE(s->GetNumber("Software\\Nowhere", "Width", number));
    EXPECT_EQ(number, 99u);
    EXPECT_EQ(text, "unchanged");
    EXPECT_EQ(bytes, std::vector<std::uint8_t>{9});
    EXPECT_EQ(s->KindOf(kKey, "Blob"), SettingKind::Binary);
  }
  // A write of another kind replaces the value.
  store.SetString(kKey, "Width", "wide");
  std::uint32_t number = 1;
  EXPECT_FALSE(store.GetNumber(kKey, "Width", number));
  EXPECT_EQ(store.KindOf(kKey, "Width"), SettingKind::String);
}

TEST(SettingsStore, AwkwardNamesAndTextsRoundTrip) {
  fs::path file = StoreFile("SettingsAwkward");
  const std::vector<std::string> names = {
      "back\\slash",    "new\nline", "a=b",      "\"quoted\"", "ünïcødé ✓", " spaced ", "",
      "end 0 00000000", "tab\tcr\r", "\x7f\x01", "\\",         "\\x41",
  };
  const std::vector<std::string> texts = {
      "C:\\path\\",
      "line1\r\nline2\n",
      "x=\"y\"",
      "日本語",
      "\\x00",
      std::string("nul\0inside", 10),
      "\"",
      "",
      "key \"A\"\nnumber \"B\" 1",
      "\xff\xfe not UTF-8",
      "trailing\\",
      "\x1b[0m",
  };
  const std::string keyWithOddNames = "Software\\Odd \"Key\"=1\\new\nline\\ü";
  {
    SettingsStore store(file);
    for (size_t i = 0; i < names.size(); ++i) {
      ASSERT_TRUE(store.SetString(keyWithOddNames, names[i], texts[i]));
      ASSERT_TRUE(store.SetNumber(kKey, names[i], static_cast<std::uint32_t>(i)));
    }
    ASSERT_TRUE(store.Save().saved);
  }
  std::string saved = ReadFile(file);
  EXPECT_NE(saved.find("日本語"), std::string::npos);  // UTF-8 stays readable
  EXPECT_EQ(saved.find('\r'), std::string::npos);
  SettingsStore store(file);
  ASSERT_FALSE(store.Load().damaged);
  for (size_t i = 0; i < names.size(); ++i) {
    std::string text;
    std::uint32_t number = 1000;
    EXPECT_TRUE(store.GetString(keyWithOddNames, names[i], text)) << i;
    EXPECT_EQ(text, texts[i]) << i;
    EXPECT_TRUE(store.GetNumber(kKey, names[i], number)) << i;
    EXPECT_EQ(number, i);
  }
  EXPECT_EQ(store.ValueNames(keyWithOddNames).size(), names.size());
  EXPECT_EQ(store.SubKeys("Software\\Odd \"Key\"=1"), std::vector<std::string>{"new\nline"});
}

TEST(SettingsStore, MissingFolderOrFileGivesAnEmptyStoreSilently) {
  fs::path file = corvia::testing::ScratchDir("SettingsMissing") / "not" / "yet" / "settings.conf";
  SettingsStore store(file);
  LoadResult result = store.Load();
  EXPECT_FALSE(result.damaged);
  EXPECT_TRUE(result.warning.empty());
  EXPECT_TRUE(store.SubKeys("").empty());
  EXPECT_FALSE(fs::exists(file.parent_path()));
  store.SetNumber(kKey, "Width", 1);
  EXPECT_TRUE(store.Save().saved);
  EXPECT_TRUE(fs::exists(file));
}

TEST(SettingsStore, EveryTruncationIsDetected) {
  fs::path file = StoreFile("SettingsTruncated");
  SettingsStore store(file);
  store.SetNumber(kKey, "Width", 640);
  store.SetString(kKey, "Title", "Two\nlines");
  store.SetBinary("Software\\Other", "Blob", {1, 2, 3});
  ASSERT_TRUE(store.Save().saved);
  const std::string whole = ReadFile(file);
  for (size_t length = 0; length < whole.size(); ++length) {
    ExpectDamaged(file, whole.substr(0, length), "cut to " + std::to_string(length) + " bytes");
  }
}

TEST(SettingsStore, DamagedFilesGiveDefaultsAndOneWarning) {
  fs::path file = StoreFile("SettingsDamaged");
  {
    SettingsStore store(file);
    store.SetNumber(kKey, "Width", 640);
    store.SetString(kKey, "Title", "Polyhedra");
    ASSERT_TRUE(store.Save().saved);
  }
  const std::string good = ReadFile(file);

  std::mt19937 random(12345);
  std::string garbage;
  for (int i = 0; i < 5000; ++i) garbage += static_cast<char>(random() & 0xFF);
  ExpectDamaged(file, garbage, "garbage");
  ExpectDamaged(file, "", "empty file");
  ExpectDamaged(file, std::string(1 << 20, 'x'), "one line without end");
  std::string flipped = good;
  flipped[good.find("640")] = '7';
  ExpectDamaged(file, flipped, "a changed digit");
  ExpectDamaged(file, good + good, "two files end to end");
  std::string extra = good;
  extra.insert(extra.find("end "), "number \"Injected\" 1\n");
  ExpectDamaged(file, extra, "a record the end marker does not count");
  std::string newer = good;
  newer.replace(0, good.find('\n'), "CorviaSettings 2");
  ExpectDamaged(file, newer, "another format version");
  ExpectDamaged(file, WithEndLine("CorviaSettings 1\nkey \"K\"\n", 2), "a record count that does not match");

  // Files that pass the check sum but break the record rules.
  const std::string header = "CorviaSettings 1\n";
  ExpectDamaged(file, WithEndLine(header + "number \"A\" 1\n", 1), "a value before any key");
  ExpectDamaged(file, WithEndLine(header + "key \"K\"\nnumber \"A\" 4294967296\n", 2), "a number over 32 bits");
  ExpectDamaged(file, WithEndLine(header + "key \"K\"\nnumber \"A\" -1\n", 2), "a negative number");
  ExpectDamaged(file, WithEndLine(header + "key \"K\"\nnumber \"A\" 1\nnumber \"a\" 2\n", 3), "a value twice");
  ExpectDamaged(file, WithEndLine(header + "key \"K\"\nkey \"k\"\n", 2), "a key twice");
  ExpectDamaged(file, WithEndLine(header + "key \"K\"\nstring \"A\" \"bad \\q escape\"\n", 2), "a bad escape");
  ExpectDamaged(file, WithEndLine(header + "key \"K\"\nstring \"A\" \"open\n", 2), "an open quote");
  ExpectDamaged(file, WithEndLine(header + "key \"K\"\nbinary \"A\" \"abc\"\n", 2), "odd hex");
  ExpectDamaged(file, WithEndLine(header + "key \"K\"\nbinary \"A\" \"zz\"\n", 2), "non-hex");
  ExpectDamaged(file, WithEndLine(header + "key \"K\"\nnumber \"A\" 1 \n", 2), "a trailing space");
  ExpectDamaged(file, WithEndLine(header + "key \"a\\\\b\"\n", 1), "a backslash in a key name");
  ExpectDamaged(file, WithEndLine(header + "key \"K\"\nfloat \"A\" 1\n", 2), "an unknown record");
  std::string deep = "key";
  for (size_t i = 0; i <= corvia::platform::kMaxSettingKeyDepth; ++i) deep += " \"k\"";
  ExpectDamaged(file, WithEndLine(header + deep + "\n", 1), "keys nested too deep");
  // A value past 64 MiB is refused on reading as well as on writing.
  std::string huge(corvia::platform::kMaxSettingValueBytes + 1, 'a');
  ExpectDamaged(file, WithEndLine(header + "key \"K\"\nstring \"A\" \"" + huge + "\"\n", 2), "a value over 64 MiB");
  SettingsStore store(file);
  EXPECT_FALSE(store.SetString(kKey, "Huge", huge));
  EXPECT_FALSE(store.KindOf(kKey, "Huge").has_value());

  // A hand-made file with CRLF line ends and the right check sum still loads.
  WriteFile(file, WithEndLine(header + "key \"K\"\nnumber \"A\" 3\n", 2));
  std::string crlf;
  for (char c : ReadFile(file)) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  WriteFile(file, crlf);
  ASSERT_FALSE(store.Load().damaged);
  std::uint32_t number = 0;
  EXPECT_TRUE(store.GetNumber("k", "a", number));
  EXPECT_EQ(number, 3u);
}

TEST(SettingsStore, EarlierDamagedCopiesAreKept) {
  fs::path file = StoreFile("SettingsDamagedTwice");
  WriteFile(file, "first");
  SettingsStore store(file);
  EXPECT_EQ(store.Load().keptAs, fs::path(file.string() + ".damaged"));
  WriteFile(file, "second");
  LoadResult second = store.Load();
  EXPECT_EQ(second.keptAs, fs::path(file.string() + ".damaged.2"));
  EXPECT_EQ(ReadFile(file.string() + ".damaged"), "first");
  EXPECT_EQ(ReadFile(second.keptAs), "second");
}

TEST(SettingsStore, SaveStoppedBeforeTheRenameLeavesTheOldFile) {
  fs::path file = StoreFile("SettingsInterrupted");
  SettingsStore store(file);
  store.SetNumber(kKey, "Width", 640);
  ASSERT_TRUE(store.Save().saved);
  const std::string before = ReadFile(file);

  store.SetNumber(kKey, "Width", 1280);
  store.SetString(kKey, "Added", "new");
  fs::path temporary;
  store.beforeRename = [&](const fs::path& path) {
    temporary = path;
    return false;
  };
  corvia::platform::SaveResult stopped = store.Save();
  EXPECT_FALSE(stopped.saved);
  EXPECT_FALSE(stopped.error.empty());
  // The new file was complete beside the old one; the old one is untouched.
  ASSERT_FALSE(temporary.empty());
  EXPECT_EQ(temporary.parent_path(), file.parent_path());
  EXPECT_TRUE(fs::exists(temporary));
  struct stat info {};
  ASSERT_EQ(::stat(temporary.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  EXPECT_EQ(ReadFile(file), before);
  SettingsStore reader(file);
  ASSERT_FALSE(reader.Load().damaged);
  std::uint32_t width = 0;
  EXPECT_TRUE(reader.GetNumber(kKey, "Width", width));
  EXPECT_EQ(width, 640u);
  EXPECT_FALSE(reader.KindOf(kKey, "Added").has_value());

  store.beforeRename = nullptr;
  ASSERT_TRUE(store.Save().saved);
  reader.Load();
  EXPECT_TRUE(reader.GetNumber(kKey, "Width", width));
  EXPECT_EQ(width, 1280u);
  // The next save cleared what the stopped one left behind.
  EXPECT_FALSE(fs::exists(temporary));
}

TEST(SettingsStore, NextSaveRemovesOnlyTheStaleTemporariesOfThisFile) {
  fs::path file = StoreFile("SettingsStaleTemporaries");
  const fs::path folder = file.parent_path();
  fs::create_directories(folder);
  const std::string name = file.filename().string();
  // Left by saves that died: ours, and gone.
  const std::vector<std::string> stale = {name + ".tmp-a1B2c3", name + ".tmp-ZZZZZZ"};
  // Not ours, or not a temporary of a save: kept.
  const std::vector<std::string> others = {name + ".tmp-short", name + ".tmp-toolong1", name + ".tmp-ab_cd!",
                                           "other.conf.tmp-a1B2c3", name + ".damaged", name + ".tmp-"};
  for (const std::string& n : stale) WriteFile(folder / n, "half a file");
  for (const std::string& n : others) WriteFile(folder / n, "something else");
  // A link that looks like a temporary is never followed or removed.
  fs::create_symlink(folder / others[0], folder / (name + ".tmp-L1nked"));
  // A temporary that a live save still holds (locked) stays.
  const fs::path live = folder / (name + ".tmp-LiVe00");
  WriteFile(live, "being written");
  const int holder = ::open(live.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(holder, 0);
  ASSERT_EQ(::flock(holder, LOCK_EX), 0);

  SettingsStore store(file);
  store.SetNumber(kKey, "Width", 640);
  ASSERT_TRUE(store.Save().saved);
  for (const std::string& n : stale) EXPECT_FALSE(fs::exists(folder / n)) << n;
  for (const std::string& n : others) EXPECT_TRUE(fs::exists(folder / n)) << n;
  EXPECT_TRUE(fs::is_symlink(folder / (name + ".tmp-L1nked")));
  EXPECT_TRUE(fs::exists(live));
  ::close(holder);
  // Nothing of the save itself is left beside the file.
  std::set<std::string> expected(others.begin(), others.end());
  expected.insert({name, name + ".tmp-L1nked", name + ".tmp-LiVe00"});
  std::set<std::string> found;
  for (const auto& entry : fs::directory_iterator(folder)) found.insert(entry.path().filename().string());
  EXPECT_EQ(found, expected);
}

// Loads the store on another thread, so that a load that blocks fails the test
// instead of hanging it; a writer then unblocks the reader.
LoadResult LoadWithoutBlocking(SettingsStore& store, const fs::path& fifo) {
  auto pending = std::async(std::launch::async, [&store] { return store.Load(); });
  if (pending.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
    ADD_FAILURE() << "loading the settings blocked";
    const int writer = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (writer >= 0) ::close(writer);
  }
  return pending.get();
}

TEST(SettingsStore, SettingsFileThatIsNotARegularFileNeverBlocksTheLoad) {
  fs::path file = StoreFile("SettingsFifo");
  fs::create_directories(file.parent_path());
  ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
  SettingsStore store(file);
  LoadResult result = LoadWithoutBlocking(store, file);
  EXPECT_TRUE(result.damaged);
  EXPECT_NE(result.warning.find("not a regular file"), std::string::npos) << result.warning;
  EXPECT_TRUE(store.SubKeys("").empty());
  // Saving puts a regular file in its place.
  store.SetNumber(kKey, "Width", 640);
  ASSERT_TRUE(store.Save().saved);
  EXPECT_TRUE(fs::is_regular_file(file));

  // The same through a link to a pipe, and for a folder.
  fs::path linked = StoreFile("SettingsLinkedFifo");
  fs::create_directories(linked.parent_path());
  const fs::path pipe = linked.parent_path() / "pipe";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  fs::create_symlink(pipe, linked);
  SettingsStore viaLink(linked);
  EXPECT_TRUE(LoadWithoutBlocking(viaLink, pipe).damaged);
  fs::path folder = StoreFile("SettingsFolder");
  fs::create_directories(folder);
  SettingsStore onFolder(folder);
  EXPECT_TRUE(onFolder.Load().damaged);
}

TEST(SettingsStore, EnumerationAndDeletion) {
  fs::path file = StoreFile("SettingsEnumerate");
  SettingsStore store(file);
  const std::string corvia = "Software\\CorviaSoft\\Corvia";
  store.SetNumber(corvia + "\\Settings", "b", 1);
  store.SetNumber(corvia + "\\Settings", "A", 2);
  store.SetNumber(corvia + "\\Settings", "c", 3);
  store.SetNumber(corvia + "\\Settings", "a", 4);  // the same value as "A"
  store.SetString(corvia + "\\Layouts\\Main\\Pane1", "Size", "x");
  store.SetString(corvia + "\\Layouts\\Main\\Pane2", "Size", "y");
  store.SetString(corvia + "\\Layouts\\Other", "Size", "z");
  store.CreateKey(corvia + "\\Bare");

  EXPECT_EQ(store.ValueNames(corvia + "\\Settings"), (std::vector<std::string>{"A", "b", "c"}));
  EXPECT_EQ(store.SubKeys(corvia), (std::vector<std::string>{"Bare", "Layouts", "Settings"}));
  EXPECT_EQ(store.SubKeys(corvia + "\\Layouts\\Main"), (std::vector<std::string>{"Pane1", "Pane2"}));
  EXPECT_TRUE(store.ValueNames(corvia + "\\Nowhere").empty());
  EXPECT_TRUE(store.SubKeys(corvia + "\\Nowhere").empty());
  std::uint32_t number = 0;
  EXPECT_TRUE(store.GetNumber(corvia + "\\Settings", "A", number));
  EXPECT_EQ(number, 4u);

  EXPECT_TRUE(store.DeleteValue(corvia + "\\Settings", "B"));
  EXPECT_FALSE(store.DeleteValue(corvia + "\\Settings", "b"));
  EXPECT_FALSE(store.DeleteValue(corvia + "\\Nowhere", "b"));
  EXPECT_TRUE(store.DeleteKey(corvia + "\\layouts\\main"));
  EXPECT_FALSE(store.KeyExists(corvia + "\\Layouts\\Main\\Pane1"));
  EXPECT_TRUE(store.KeyExists(corvia + "\\Layouts\\Other"));
  EXPECT_FALSE(store.DeleteKey(corvia + "\\Layouts\\Main"));
  EXPECT_FALSE(store.DeleteKey(""));
  EXPECT_FALSE(store.DeleteKey("\\"));
  ASSERT_TRUE(store.Save().saved);

  SettingsStore reloaded(file);
  ASSERT_FALSE(reloaded.Load().damaged);
  EXPECT_EQ(reloaded.ValueNames(corvia + "\\Settings"), (std::vector<std::string>{"A", "c"}));
  EXPECT_EQ(reloaded.SubKeys(corvia), (std::vector<std::string>{"Bare", "Layouts", "Settings"}));
  EXPECT_EQ(reloaded.SubKeys(corvia + "\\Layouts"), std::vector<std::string>{"Other"});
  EXPECT_TRUE(reloaded.DeleteKey("Software"));
  EXPECT_TRUE(reloaded.SubKeys("").empty());
}

TEST(SettingsStore, PathsAndNamesBeyondTheBoundsAreRefused) {
  SettingsStore store(StoreFile("SettingsBounds"));
  std::string deep;
  for (size_t i = 0; i <= corvia::platform::kMaxSettingKeyDepth; ++i) deep += "k\\";
  EXPECT_FALSE(store.SetNumber(deep, "A", 1));
  EXPECT_FALSE(store.CreateKey(deep));
  EXPECT_FALSE(store.SetNumber(std::string(corvia::platform::kMaxSettingNameBytes + 1, 'k'), "A", 1));
  EXPECT_FALSE(store.SetNumber(kKey, std::string(corvia::platform::kMaxSettingNameBytes + 1, 'n'), 1));
  EXPECT_TRUE(store.SubKeys("").empty());
  // Doubled, leading and trailing backslashes name the same key.
  EXPECT_TRUE(store.SetNumber("\\Software\\\\CorviaSoft\\", "A", 1));
  EXPECT_TRUE(store.KeyExists("Software\\CorviaSoft"));
}

TEST(SettingsStore, ProcessWideInstanceCanBeReplaced) {
  fs::path config = corvia::testing::ScratchDir("SettingsInstance");
  const char* old = std::getenv("XDG_CONFIG_HOME");
  std::string saved = old ? old : "";
  setenv("XDG_CONFIG_HOME", config.c_str(), 1);
  EXPECT_EQ(SettingsStore::DefaultFile(), config / "Corvia" / "settings.conf");
  if (old) {
    setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
  } else {
    unsetenv("XDG_CONFIG_HOME");
  }

  SettingsStore mine(config / "mine.conf");
  SettingsStore* before = SettingsStore::InstallInstance(&mine);
  EXPECT_EQ(&SettingsStore::Instance(), &mine);
  SettingsStore::InstallInstance(before);
  EXPECT_NE(&SettingsStore::Instance(), &mine);
  EXPECT_TRUE(SettingsStore::Instance().File().is_absolute() || SettingsStore::Instance().File().empty());
}

}  // namespace settings_store_test
