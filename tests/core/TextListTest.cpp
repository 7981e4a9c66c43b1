// Text lists: the markup of a line both ways, the reader's line ends, blanks, bounds
// and refusals, a long read cancelled, and random lists that either fail or give
// texts whose lines read back to the same texts.

#include "core/TextList.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/Progress.h"
#include "core/Strings.h"
#include "tests/support/FuzzInput.h"
#include "tests/support/TestSupport.h"

namespace corvia {
namespace {

std::string WriteList(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
  return path.string();
}

using Entries = std::vector<std::pair<size_t, std::string>>;

Entries Read(const std::string& path, size_t count, std::string* error = nullptr) {
  std::vector<TextListEntry> entries;
  std::string why;
  const TextListRead read = ReadTextList(path.c_str(), count, entries, why);
  if (error) *error = why;
  Entries out;
  if (read != TextListRead::kRead) return {{size_t(-1), why}};
  for (const TextListEntry& e : entries) out.emplace_back(e.index, e.text);
  return out;
}

TEST(TextList, TheLineOfATextReadsBackToIt) {
  // A line break before a list item that the item did not bring with it (at the start,
  // or after another) is kept.
  for (const char* text : {"\n<li>x", "a\n\n\n<li>b", "a\n\n<li>b", "a\n<li>b", "<li>a", "\n\n\n", "a\n\n\n\nb"}) {
    EXPECT_EQ(TextListLineToText(TextToTextListLine(text).c_str()), text) << text;
  }
}

TEST(TextList, LineEndsBlanksAndTheLinesWanted) {
  const auto folder = testing::ScratchDir("text-list");
  // Line ends of every kind; blank lines give nothing; blanks round a text stay.
  const std::string mixed = WriteList(folder / "mixed.txt", "one\rtwo\r\n\r  three  \n\t\nfive\rsix");
  EXPECT_EQ(Read(mixed, 100), (Entries{{0, "one"}, {1, "two"}, {3, "  three  "}, {5, "five"}, {6, "six"}}));
  // Only the lines wanted are read.
  EXPECT_EQ(Read(mixed, 2), (Entries{{0, "one"}, {1, "two"}}));
  EXPECT_EQ(Read(mixed, 0), Entries{});
  // A text of line breaks alone is taken as the line has it.
  EXPECT_EQ(Read(WriteList(folder / "breaks.txt", "<br><br>\n <p> \nx<br>\n"), 10),
            (Entries{{0, "<br><br>"}, {1, " <p> "}, {2, "x\n"}}));
}

TEST(TextList, WhatIsNoListIsRefusedSayingWhy) {
  const auto folder = testing::ScratchDir("text-list-bad");
  const std::filesystem::path pipe = folder / "pipe.txt";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  struct Case {
    std::string path;
    std::string says;
  };
  const Case cases[] = {
      {WriteList(folder / "zero.txt", std::string("a\nb\0c\n", 6)), "Line 2 holds a zero byte"},
      {WriteList(folder / "bom.txt", "\xEF\xBB\xBFone\n"), "plain ASCII"},
      {WriteList(folder / "latin1.txt", "one\nOct\x97hedron\n"), "Line 2 holds bytes that are no UTF-8 text"},
      {WriteList(folder / "control.txt", "Te\x03rahedron\n"), "Line 1 holds bytes that are no UTF-8 text, or control"},
      {WriteList(folder / "long.txt", "a\n" + std::string(kTextListMaxLine + 1, 'y') + "\n"),
       "Line 2 is longer than 1024 characters"},
      {(folder / "none.txt").string(), "Couldn't open file '" + (folder / "none.txt").string() + "' for reading"},
      {pipe.string(), "It is not a regular file"},
      {"/dev/zero", "It is not a regular file"},
      {folder.string(), "It is a folder."},
  };
  for (const Case& c : cases) {
    std::string error;
    const Entries read = Read(c.path, 100, &error);
    ASSERT_EQ(read.size(), 1u) << c.path;
    EXPECT_EQ(read[0].first, size_t(-1)) << c.path;
    EXPECT_NE(error.find(c.says), std::string::npos) << error;
    EXPECT_NE(error.find(c.path), std::string::npos) << error;
  }
  // A zero byte past the lines wanted is never read.
  EXPECT_EQ(Read((folder / "zero.txt").string(), 1), (Entries{{0, "a"}}));
}

TEST(TextList, ALongReadShowsProgressAndCanBeCancelled) {
  const auto folder = testing::ScratchDir("text-list-long");
  const std::string path = WriteList(folder / "blank.txt", std::string(4 << 20, '\n') + "last\n");
  auto& progress = testing::Platform().progress;
  ProgressScope outer;
  // The window opens once the work has run for a second.
  testing::Platform().clock.Advance(2.0);
  int pumps = 0;
  progress.Current()->onPump = [&pumps](platform::HeadlessProgressWindow::State& state) {
    if (++pumps == 3) state.cancel = true;
  };
  std::vector<TextListEntry> entries;
  std::string error;
  EXPECT_EQ(ReadTextList(path.c_str(), size_t(1) << 30, entries, error), TextListRead::kCancelled);
  EXPECT_TRUE(entries.empty());
  EXPECT_TRUE(error.empty());
  EXPECT_EQ(pumps, 3);
  progress.Current()->onPump = nullptr;
  progress.Current()->cancel = false;
}

TEST(Fuzz, TextListsFailOrGiveTextsThatSaveAndReadBack) {
  // Random lists of tags, blanks, line ends of every kind and stray bytes (a zero
  // among them). What a read gives is put on a list of elements as their labels are
  // set (a blank text clears one); the labels saved, one a line, read back to the same.
  constexpr uint32_t kSeed = 20260601;
  constexpr int kRounds = 300;
  constexpr size_t kElements = 12;
  const char* const pieces[] = {"<br>", "<BR>", "<p>", "<li>", "<b>", "</b>", " ", "\t", "\n", "\r", "\r\n",
                                "word", "<",    ">",   "<br",  "\xC3\xA9", "\"", "#"};
  const auto folder = testing::ScratchDir("text-list-fuzz");
  const std::string path = (folder / "list.txt").string();
  const std::string saved = (folder / "saved.txt").string();
  for (int round = 0; round < kRounds; ++round) {
    std::mt19937 random = testing::RoundRandom(kSeed, round);
    const std::string where = testing::RoundName("text list", kSeed, round);
    std::string file;
    const int count = testing::Below(random, 60);
    for (int i = 0; i < count; ++i) file += pieces[testing::Below(random, int(std::size(pieces)))];
    if (testing::Below(random, 10) == 0) file.insert(size_t(testing::Below(random, int(file.size()) + 1)), 1, '\0');
    WriteList(path, file);
    std::vector<TextListEntry> entries;
    std::string error;
    const TextListRead read = ReadTextList(path.c_str(), kElements, entries, error);
    if (read != TextListRead::kRead) {
      EXPECT_EQ(read, TextListRead::kFailed) << where;
      EXPECT_FALSE(error.empty()) << where;
      EXPECT_TRUE(entries.empty()) << where;
      continue;
    }
    std::vector<std::string> labels(kElements, "old");
    for (const TextListEntry& e : entries) {
      ASSERT_LT(e.index, kElements) << where;
      labels[e.index] = IsBlank(e.text.c_str()) ? "" : e.text;
    }
    std::string lines;
    for (const std::string& label : labels) lines += TextToTextListLine(label.c_str()) + "\n";
    WriteList(saved, lines);
    std::vector<TextListEntry> again;
    ASSERT_EQ(ReadTextList(saved.c_str(), kElements, again, error), TextListRead::kRead) << where << ": " << error;
    std::vector<std::string> reread(kElements);
    for (const TextListEntry& e : again) reread[e.index] = e.text;
    EXPECT_EQ(reread, labels) << where;
  }
}

}  // namespace
}  // namespace corvia
