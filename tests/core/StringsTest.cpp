#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/Strings.h"

namespace corvia {
namespace {

int Sign(int x) {
  return (x > 0) - (x < 0);
}

TEST(StringsTest, OwnedStrings) {
  char* empty = NewString(16);
  EXPECT_STREQ(empty, "");
  DeleteString(empty);
  DeleteString(NewString(0));
  DeleteString(nullptr);

  char* copy = CopyString("polyhedron");
  EXPECT_STREQ(copy, "polyhedron");
  EXPECT_EQ(GetStringMemorySize(copy), 11u);
  DeleteString(copy);
  EXPECT_EQ(CopyString(nullptr), nullptr);
  EXPECT_EQ(GetStringMemorySize(nullptr), 0u);

  char* part = CopyStringN("polyhedron", 4);
  EXPECT_STREQ(part, "poly");
  DeleteString(part);
  char* whole = CopyStringN("ab", 10);
  EXPECT_STREQ(whole, "ab");
  DeleteString(whole);
}

TEST(StringsTest, BlanksAreAsciiOnly) {
  EXPECT_TRUE(IsBlank(nullptr));
  EXPECT_TRUE(IsBlank(" \t\r\n"));
  EXPECT_FALSE(IsBlank(" x "));
  // 0xA0 (no-break space in Latin-1) and UTF-8 bytes are never blanks.
  EXPECT_FALSE(IsSpaceChar(0xA0));
  EXPECT_FALSE(IsSpaceChar(static_cast<char>(0x85)));
  EXPECT_FALSE(IsBlank("\xC2\xA0"));

  const char* s = "  12ab cd";
  EXPECT_STREQ(SkipBlanks(s), "12ab cd");
  EXPECT_STREQ(SkipDigits(SkipBlanks(s)), "ab cd");
  EXPECT_STREQ(SkipNonBlanks(SkipBlanks(s)), " cd");

  char trailing[] = "name \t\r\n";
  TrimTrailingBlanks(trailing);
  EXPECT_STREQ(trailing, "name");
  char utf8[] = "caf\xC3\xA9";
  TrimTrailingBlanks(utf8);
  EXPECT_STREQ(utf8, "caf\xC3\xA9");
  MakeUpper(utf8);
  EXPECT_STREQ(utf8, "CAF\xC3\xA9") << "bytes of multi-byte characters untouched";

  EXPECT_TRUE(CharEqualNoCase('a', 'A'));
  EXPECT_TRUE(IsPathSeparator('\\'));
  EXPECT_TRUE(IsPathSeparator('/'));
  EXPECT_FALSE(IsPathSeparator(':'));
}

TEST(StringsTest, ComparisonIsNullSafe) {
  EXPECT_LT(StrCompare(nullptr, ""), 0);
  EXPECT_GT(StrCompare("", nullptr), 0);
  EXPECT_EQ(StrCompare(nullptr, nullptr), 0);
  EXPECT_EQ(StrCompareNoCase("Cube", "cUBE"), 0);
  EXPECT_LT(StrCompareNoCase("cube", "Dodecahedron"), 0);
  EXPECT_EQ(StrCompareN("cube1", "cube2", 4), 0);
  EXPECT_EQ(StrCompareNNoCase("CUBE1", "cube2", 4), 0);
  EXPECT_LT(StrCompareNNoCase(nullptr, "a", 1), 0);

  EXPECT_EQ(StartsWith("#comment", "#"), 0);
  EXPECT_NE(StartsWith("x#comment", "#"), 0);
  EXPECT_EQ(StartsWith("anything", nullptr), 0);
  EXPECT_EQ(StartsWithNoCase("Version 3", "VERSION"), 0);
  EXPECT_NE(StartsWith(nullptr, "a"), 0);
}

TEST(StringsTest, NaturalOrderOfFileNames) {
  std::vector<const char*> names = {"file2", "file10", "File10b", "file10c"};
  for (size_t i = 0; i + 1 < names.size(); ++i) {
    EXPECT_LT(CompareNatural(names[i], names[i + 1]), 0) << names[i] << " before " << names[i + 1];
    EXPECT_GT(CompareNatural(names[i + 1], names[i]), 0);
  }
  EXPECT_LT(CompareNatural("a.txt", "ab.txt"), 0);
  EXPECT_LT(CompareNatural("x01", "x1"), 0);
  EXPECT_GT(CompareNatural("x1", "x01"), 0);
  EXPECT_EQ(CompareNatural("same.txt", "same.txt"), 0);
  EXPECT_LT(CompareNatural("a.txt", "a.zip"), 0);
  EXPECT_LT(CompareNatural("a", "a.txt"), 0);
  EXPECT_LT(CompareNatural("9", "a"), 0) << "digits first";
  EXPECT_LT(CompareNatural(nullptr, "a"), 0);
  // Case decides only when nothing else does, and it decides before the extension.
  EXPECT_NE(CompareNatural("Cube.txt", "cube.txt"), 0);
  EXPECT_EQ(Sign(CompareNatural("Cube.txt", "cube.txt")), -Sign(CompareNatural("cube.txt", "Cube.txt")));
}

TEST(StringsTest, NaturalOrderOfLongDigitRuns) {
  // Runs far beyond an int compare by value, not by an overflowed conversion.
  EXPECT_LT(CompareNatural("v99999999999999999999", "v100000000000000000000"), 0);
  EXPECT_GT(CompareNatural("v100000000000000000000", "v99999999999999999999"), 0);
  EXPECT_LT(CompareNatural("v4294967296", "v4294967297"), 0);
  EXPECT_LT(CompareNatural("v00000000000000000000007", "v8"), 0);
  EXPECT_LT(CompareNatural("1.2.10", "1.10.2"), 0);
}

TEST(StringsTest, CopyWithLimit) {
  char buffer[6] = "zzzzz";
  StrCopyN(buffer, "polyhedron", sizeof buffer);
  EXPECT_STREQ(buffer, "polyh");
  StrCopyN(buffer, nullptr, sizeof buffer);
  EXPECT_STREQ(buffer, "");
  char untouched[2] = "q";
  StrCopyN(untouched, "abc", 0);
  EXPECT_STREQ(untouched, "q") << "size 0 writes nothing";
}

TEST(StringsTest, TrailingZerosAndNumbers) {
  char a[] = "2.500";
  StripTrailingZeros(a, 0);
  EXPECT_STREQ(a, "2.5");
  char b[] = "3.000";
  StripTrailingZeros(b, 0);
  EXPECT_STREQ(b, "3");
  char c[] = "3.000";
  StripTrailingZeros(c, 2);
  EXPECT_STREQ(c, "3.00");
  char d[] = "300";
  StripTrailingZeros(d, 0);
  EXPECT_STREQ(d, "300");
  char e[] = "1.500e+10";
  StripTrailingZeros(e, 0);
  EXPECT_STREQ(e, "1.5e+10");

  char buffer[64];
  FormatNumber(buffer, 1e12, 3);
  EXPECT_STREQ(buffer, "1e+12");
  FormatNumber(buffer, 2.5, 3);
  EXPECT_STREQ(buffer, "2.5");
  FormatNumber(buffer, -0.125, 2);
  EXPECT_STREQ(buffer, "-0.12");
  FormatNumber(buffer, 42.0, 4);
  EXPECT_STREQ(buffer, "42");
  // The exponent's zeros are not decimals: 1.5e10 stays 1.5e+10, not 1.5e+1.
  FormatNumber(buffer, 1.5e10, 3);
  EXPECT_STREQ(buffer, "1.5e+10");
  FormatNumber(buffer, -2.5e20, 3);
  EXPECT_STREQ(buffer, "-2.5e+20");
  FormatNumber(buffer, 1e10, 3);
  EXPECT_STREQ(buffer, "1e+10");
  FormatNumber(buffer, 9999999999.0, 0);
  EXPECT_STREQ(buffer, "9999999999");
  char small[4];
  FormatNumber(small, 123456.0, 2);
  EXPECT_STREQ(small, "123") << "the buffer size bounds the text";
}

TEST(StringsTest, Utf8CutLength) {
  const char* text = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";  // a, e acute, euro, emoji
  size_t length = std::strlen(text);
  EXPECT_EQ(Utf8CutLength(text, length, 100), length);
  EXPECT_EQ(Utf8CutLength(text, length, 1), 1u);
  EXPECT_EQ(Utf8CutLength(text, length, 2), 1u);
  EXPECT_EQ(Utf8CutLength(text, length, 3), 3u);
  EXPECT_EQ(Utf8CutLength(text, length, 5), 3u);
  EXPECT_EQ(Utf8CutLength(text, length, 6), 6u);
  EXPECT_EQ(Utf8CutLength(text, length, 9), 6u);
  // Stray continuation bytes are not UTF-8: cut at the limit.
  const char* stray = "\x80\x80\x80\x80\x80\x80";
  EXPECT_EQ(Utf8CutLength(stray, 6, 5), 5u);
}

TEST(StringsTest, BytesThatAreNoUtf8AreEscaped) {
  // Well-formed text, four-byte characters included, stays as it is.
  const std::string good = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80 b";
  EXPECT_EQ(EscapeNonUtf8(good), good);
  EXPECT_EQ(EscapeNonUtf8(""), "");
  // A Latin-1 name, an overlong form, a surrogate, a code point past U+10FFFF, a
  // character cut short and stray continuation bytes: each odd byte as \xNN.
  EXPECT_EQ(EscapeNonUtf8("caf\xE9.corv"), "caf\\xE9.corv");
  EXPECT_EQ(EscapeNonUtf8("\xC0\x80"), "\\xC0\\x80");
  EXPECT_EQ(EscapeNonUtf8("\xED\xA0\x80"), "\\xED\\xA0\\x80");
  EXPECT_EQ(EscapeNonUtf8("\xF4\x90\x80\x80"), "\\xF4\\x90\\x80\\x80");
  EXPECT_EQ(EscapeNonUtf8("x\xE2\x82"), "x\\xE2\\x82");
  EXPECT_EQ(EscapeNonUtf8("\x80\xBF\xC3\xA9"), "\\x80\\xBF\xC3\xA9");
}

}  // namespace
}  // namespace corvia
