#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "core/TextFile.h"
#include "tests/support/TestSupport.h"

namespace corvia {
namespace {

// Writes the bytes to a scratch file and opens it for reading.
FILE* OpenWith(const std::string& bytes) {
  std::filesystem::path path = testing::ScratchDir("textfile") / "input.txt";
  FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) return nullptr;
  std::fwrite(bytes.data(), 1, bytes.size(), out);
  std::fclose(out);
  return std::fopen(path.c_str(), "rb");
}

struct ReadResult {
  std::vector<std::string> lines;
  std::string error;
  int lineCount = 0;
};

ReadResult ReadAll(const std::string& bytes, const char* comment, size_t bufferSize = 256) {
  ReadResult result;
  FILE* file = OpenWith(bytes);
  EXPECT_NE(file, nullptr);
  std::vector<char> buffer(bufferSize);
  while (ReadTextLine(file, buffer.data(), buffer.size(), &result.lineCount, comment, &result.error)) {
    result.lines.emplace_back(buffer.data());
  }
  if (file) std::fclose(file);
  return result;
}

TEST(TextFileTest, SkipsBlanksAndCommentsWithAnyLineEnd) {
  const std::string unixText = "# header\n\n  cube 1  \n\t# indented comment\nvalue 2 # trailing\nkey#notcomment\n";
  std::string dosText;
  for (char c : unixText) {
    if (c == '\n') dosText += '\r';
    dosText += c;
  }
  std::string macText = unixText;
  for (char& c : macText) c = c == '\n' ? '\r' : c;
  for (const std::string& text : {unixText, dosText, macText}) {
    ReadResult r = ReadAll(text, "#");
    EXPECT_EQ(r.lines, (std::vector<std::string>{"cube 1", "value 2", "key#notcomment"}));
    EXPECT_EQ(r.error, "");
    EXPECT_EQ(r.lineCount, 6);
  }
}

TEST(TextFileTest, CommentPrefixOfSeveralCharactersAndNoPrefix) {
  ReadResult r = ReadAll("// c\nx = 1 // one\ny=2//two\nlast", "//");
  EXPECT_EQ(r.lines, (std::vector<std::string>{"x = 1", "y=2//two", "last"}));
  ReadResult none = ReadAll("a # b\n\n c \n", nullptr);
  EXPECT_EQ(none.lines, (std::vector<std::string>{"a # b", "c"}));
  ReadResult emptyPrefix = ReadAll("a # b\n", "");
  EXPECT_EQ(emptyPrefix.lines, (std::vector<std::string>{"a # b"}));
}

TEST(TextFileTest, UnicodeFilesAreRefused) {
  ReadResult utf8 = ReadAll(
      "\xEF\xBB\xBF"
      "cube\n",
      "#");
  EXPECT_TRUE(utf8.lines.empty());
  EXPECT_EQ(utf8.error, "Only plain ASCII text files are accepted here.\nPlease change the encoding of your file.");

  ReadResult utf16 = ReadAll(std::string("\xFF\xFE"
                                         "c\0u\0\n\0",
                                         8),
                             "#");
  EXPECT_TRUE(utf16.lines.empty());
  EXPECT_EQ(utf16.error, kUnicodeFileRefused);

  ReadResult gb = ReadAll(
      "\x84\x31\x95\x33"
      "x\n",
      "#");
  EXPECT_EQ(gb.error, kUnicodeFileRefused);

  // UTF-8 text without a mark is read as it stands, also after the first line.
  ReadResult plain = ReadAll(
      "caf\xC3\xA9\n\xEF\xBB\xBF"
      "x\n",
      "#");
  EXPECT_EQ(plain.lines, (std::vector<std::string>{"caf\xC3\xA9",
                                                   "\xEF\xBB\xBF"
                                                   "x"}));
  EXPECT_EQ(plain.error, "");
}

TEST(TextFileTest, OverlongLinesAreReportedNotSplit) {
  std::string longLine(5000, 'a');
  ReadResult r = ReadAll("first\n" + longLine + "\nafter\n", "#", 64);
  EXPECT_EQ(r.lines, (std::vector<std::string>{"first"}));
  EXPECT_EQ(r.error, "Line 2 is longer than 63 characters.");

  // Without an error to report in, the line is cut to the buffer and its rest dropped.
  FILE* file = OpenWith(longLine + "\nafter\n");
  ASSERT_NE(file, nullptr);
  char buffer[16];
  ASSERT_TRUE(ReadTextLine(file, buffer, sizeof buffer, nullptr, "#", nullptr));
  EXPECT_EQ(std::string(buffer), std::string(15, 'a'));
  ASSERT_TRUE(ReadTextLine(file, buffer, sizeof buffer, nullptr, "#", nullptr));
  EXPECT_STREQ(buffer, "after");
  EXPECT_FALSE(ReadTextLine(file, buffer, sizeof buffer, nullptr, "#", nullptr));
  std::fclose(file);

  // A line that exactly fills the buffer is whole.
  ReadResult exact = ReadAll(std::string(63, 'b') + "\r\n", "#", 64);
  EXPECT_EQ(exact.error, "");
  ASSERT_EQ(exact.lines.size(), 1u);
  EXPECT_EQ(exact.lines[0], std::string(63, 'b'));
}

TEST(TextFileTest, MissingFileAndBadArgumentsFailCleanly) {
  std::filesystem::path missing = testing::ScratchDir("textfile_missing") / "none.txt";
  FILE* file = std::fopen(missing.c_str(), "r");
  ASSERT_EQ(file, nullptr);
  char buffer[32];
  std::string error;
  int lines = 0;
  EXPECT_FALSE(ReadTextLine(file, buffer, sizeof buffer, &lines, "#", &error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(lines, 0);
  EXPECT_FALSE(ReadTextLine(file, buffer, sizeof buffer, nullptr, nullptr, nullptr));
  EXPECT_FALSE(ReadTextLine(nullptr, nullptr, 0, nullptr, nullptr, nullptr));

  ReadResult empty = ReadAll("", "#");
  EXPECT_TRUE(empty.lines.empty());
  EXPECT_EQ(empty.error, "");
  ReadResult blanks = ReadAll(" \n\t\r\n   ", "#");
  EXPECT_TRUE(blanks.lines.empty());
  EXPECT_EQ(blanks.lineCount, 3);
}

}  // namespace
}  // namespace corvia
