#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/ioStream.h"
#include "tests/support/TestSupport.h"

namespace corvia::test_ioStream {

enum Token { kModel, kVertex, kFace, kName, kEnd, kTokenCount };
const char* const kTokenNames[] = {"Model", "Vertex", "Face", "Name", "End"};

const char* TokenName(int i) {
  return i >= 0 && i < kTokenCount ? kTokenNames[i] : nullptr;
}

const ioEnumPair kShapes[] = {{0, "Cube"}, {3, "Tetrahedron"}, {7, "Dodecahedron"}, {0, nullptr}};

struct Report {
  int level;
  std::string text;
  std::string message;
};

// Collects what a stream reports.
class ioStreamTest : public ::testing::Test {
 protected:
  ioErrorHandler Handler() {
    return [this](int level, const char* text, const char* message) {
      mReports.push_back({level, text, message});
      return level;
    };
  }
  std::string Path(const char* name) { return (mDir / name).string(); }
  ioStream* OpenRead(const std::string& path, int major = 8, int minor = 10) {
    return ioOpenRead(path.c_str(), "Corvia", major, minor, TokenName, Handler(), nullptr, 0).release();
  }
  ioStream* OpenMemory(const std::vector<uint8_t>& data, int major = 8, int minor = 10) {
    return ioOpenRead(nullptr, nullptr, major, minor, TokenName, Handler(), data.data(), int32_t(data.size())).release();
  }
  bool Reported(const std::string& part) const {
    for (const Report& r : mReports) {
      if (r.text.find(part) != std::string::npos) return true;
    }
    return false;
  }

  std::filesystem::path mDir = testing::ScratchDir("ioStream");
  std::vector<Report> mReports;
};

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

const std::string kLongText(150, 'x');
const std::string kAwkwardText = "say \"hi\" \\ back\\slash \\n and a\nline end\n";

// Writes one of everything, in the order ReadSample reads it.
void WriteSample(ioStream* s) {
  ioWriteToken(s, kModel, 0);
  ioWriteString(s, " ", "Great Dodecahedron", "\n", 2);
  ioWriteToken(s, kVertex, 2);
  ioPrintf(s, " %d %hg %.17g %u %hd %c\n", -12345, 0.25f, 1.0 / 3.0, 4000000000u, 321, 'Q');
  ioWriteToken(s, kFace, 2);
  ioWriteEnum(s, 7, kShapes, " ", "");
  ioWriteBool(s, true, " ", "");
  ioWriteBool(s, false, " ", "\n");
  ioWriteToken(s, kName, 2);
  ioWriteString(s, " ", kLongText.c_str(), "\n", 2);
  ioWriteToken(s, kName, 2);
  ioWriteString(s, " ", kAwkwardText.c_str(), "", 2);
  ioPrintf(s, " %d\n", 99);  // a value on the string's last line
  ioWriteToken(s, kName, 2);
  ioWriteString(s, " ", nullptr, "\n", 2);
  ioWriteToken(s, kEnd, 0);
  ioPrintf(s, "\n");
}

void ReadSample(ioStream* s) {
  EXPECT_EQ(ioReadToken(s), kModel);
  EXPECT_EQ(ioReadString(s, true), "Great Dodecahedron");
  EXPECT_EQ(ioReadToken(s), kVertex);
  EXPECT_EQ(ioReadInt(s), -12345);
  EXPECT_EQ(ioReadFloat(s), 0.25f);
  EXPECT_EQ(ioReadDouble(s), 1.0 / 3.0);
  EXPECT_EQ(ioReadUInt(s), 4000000000u);
  EXPECT_EQ(ioReadShort(s), 321);
  if (s->mMode == kIoModeAscii) {
    EXPECT_EQ(ioReadString(s, false), "Q");
  } else {
    char c = 0;
    EXPECT_TRUE(ioReadBytes(s, &c, 1, false));
    EXPECT_EQ(c, 'Q');
  }
  EXPECT_EQ(ioReadToken(s), kFace);
  EXPECT_EQ(ioReadEnum(s, kShapes), 7);
  EXPECT_TRUE(ioReadBool(s));
  EXPECT_FALSE(ioReadBool(s));
  EXPECT_EQ(ioReadToken(s), kName);
  EXPECT_EQ(ioReadString(s, true), kLongText);
  EXPECT_EQ(ioReadToken(s), kName);
  EXPECT_EQ(ioReadString(s, true), kAwkwardText);
  EXPECT_EQ(ioReadInt(s), 99);
  EXPECT_EQ(ioReadToken(s), kName);
  EXPECT_EQ(ioReadString(s, true), "");
  EXPECT_EQ(ioReadToken(s), kEnd);
  EXPECT_EQ(ioReadToken(s), kIoTokenEnd);
}

// The same reads without expectations, for damaged data.
void ReadSampleQuietly(ioStream* s) {
  char c;
  ioReadToken(s);
  ioReadString(s, true);
  ioReadToken(s);
  ioReadInt(s);
  ioReadFloat(s);
  ioReadDouble(s);
  ioReadUInt(s);
  ioReadShort(s);
  ioReadBytes(s, &c, 1, false);
  ioReadToken(s);
  ioReadEnum(s, kShapes);
  ioReadBool(s);
  ioReadBool(s);
  ioReadToken(s);
  ioReadString(s, true);
  ioReadToken(s);
  ioReadString(s, true);
  ioReadInt(s);
  ioReadToken(s);
  ioReadString(s, true);
  ioReadToken(s);
}

TEST_F(ioStreamTest, AsciiRoundTripOfEveryItem) {
  std::string path = Path("sample.txt");
  ioStream* w = ioOpenWrite(path.c_str(), "Corvia", 8, 10, kIoModeAscii, TokenName, Handler(), nullptr).release();
  ASSERT_NE(w, nullptr);
  WriteSample(w);
  EXPECT_TRUE(ioClose(w));
  std::string text = ReadFile(path);
  EXPECT_EQ(text.rfind("Corvia ASCII 8.10\nModel \"Great Dodecahedron\"\n  Vertex -12345 0.25 ", 0), 0u) << text;
  EXPECT_EQ(text.find('\r'), std::string::npos);
  // 150 bytes: pieces of 60, 60 and 30 on "Continue" lines at the indent.
  std::string x60(60, 'x');
  EXPECT_NE(
      text.find("  Name \"" + x60 + "\"\n  Continue \"" + x60 + "\"\n  Continue \"" + std::string(30, 'x') + "\"\n"),
      std::string::npos)
      << text;
  EXPECT_NE(text.find("and a\"\n  ContNewL \"line end\"\n  ContNewL \"\" 99\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Face Dodecahedron Yes No\n"), std::string::npos) << text;

  ioStream* r = OpenRead(path);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->mMode, kIoModeAscii);
  EXPECT_EQ(ioCompareVersion(r, 8, 10), 0);
  ReadSample(r);
  ioClose(r);
  EXPECT_TRUE(mReports.empty()) << mReports[0].text;

  // Windows line ends read the same.
  std::string crlf;
  for (char c : text) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  std::string crlfPath = Path("crlf.txt");
  WriteFile(crlfPath, crlf);
  r = OpenRead(crlfPath);
  ASSERT_NE(r, nullptr);
  ReadSample(r);
  ioClose(r);
  EXPECT_TRUE(mReports.empty()) << mReports[0].text;
}

TEST_F(ioStreamTest, BinaryAndMemoryRoundTrips) {
  std::string path = Path("sample.bin");
  ioStream* w = ioOpenWrite(path.c_str(), "Corvia", 8, 10, kIoModeBinary, TokenName, Handler(), nullptr).release();
  ASSERT_NE(w, nullptr);
  WriteSample(w);
  EXPECT_TRUE(ioClose(w));
  std::string bytes = ReadFile(path);
  EXPECT_EQ(bytes.substr(0, 18), std::string("Corvia BINARY \x08\x00\x0A\x00", 18));
  // Model token, then the name and its zero byte.
  EXPECT_EQ(bytes.substr(18, 2), std::string("\x00\x00", 2));
  EXPECT_EQ(bytes.substr(20, 19), std::string("Great Dodecahedron\0", 19));
  // Vertex: 16-bit token, 4-byte int, 4-byte float, 8-byte double, 4 bytes, 2 bytes, 1 byte.
  EXPECT_EQ(bytes.substr(39, 6), std::string("\x01\x00\xC7\xCF\xFF\xFF", 6));

  ioStream* r = OpenRead(path);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->mMode, kIoModeBinary);
  ReadSample(r);
  ioClose(r);
  EXPECT_TRUE(mReports.empty()) << mReports[0].text;

  ioBuffer buffer;
  w = ioOpenWrite(nullptr, nullptr, 8, 10, kIoModeMemory, TokenName, Handler(), &buffer).release();
  ASSERT_NE(w, nullptr);
  WriteSample(w);
  ioClose(w);
  ASSERT_GE(buffer.length, 4);
  EXPECT_EQ(std::memcmp(buffer.data, "\x08\x00\x0A\x00", 4), 0);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer.data) + 4, size_t(buffer.length) - 4), bytes.substr(18));
  std::vector<uint8_t> data(buffer.data, buffer.data + buffer.length);
  buffer.Free();
  EXPECT_EQ(buffer.data, nullptr);
  EXPECT_EQ(buffer.length, 0);
  r = OpenMemory(data);
  ASSERT_NE(r, nullptr);
  ReadSample(r);
  ioClose(r);
  EXPECT_TRUE(mReports.empty()) << mReports[0].text;

  // A memory stream closed without a slot frees its data (the leak checker watches).
  ioClose(ioOpenWrite(nullptr, nullptr, 1, 0, kIoModeMemory, TokenName, Handler(), nullptr).release());
}

TEST_F(ioStreamTest, MemoryGrowsAcrossManyWrites) {
  ioBuffer buffer;
  ioStream* w = ioOpenWrite(nullptr, nullptr, 2, 3, kIoModeMemory, TokenName, Handler(), &buffer).release();
  for (int i = 0; i < 100000; ++i) ioPrintf(w, "%d %g\n", i, i * 0.5);
  ioClose(w);
  EXPECT_EQ(buffer.length, 4 + 100000 * 12);
  ioStream* r = ioOpenRead(nullptr, nullptr, 2, 3, TokenName, Handler(), buffer.data, buffer.length).release();
  ASSERT_NE(r, nullptr);
  for (int i = 0; i < 100000; i += 1) {
    ASSERT_EQ(ioReadInt(r), i);
    ASSERT_EQ(ioReadDouble(r), i * 0.5);
  }
  // Past the end: a neutral value and a report.
  EXPECT_EQ(ioReadInt(r), 0);
  EXPECT_TRUE(Reported("Unexpected end of data"));
  EXPECT_EQ(ioReadToken(r), kIoTokenEnd);
  ioClose(r);
}

TEST_F(ioStreamTest, CommentsBlankLinesAndWords) {
  std::string path = Path("comments.txt");
  WriteFile(path,
            "Corvia ASCII 8.09\n"
            "# a comment line\n"
            "\n"
            "   \t\n"
            "Yes # note\n"
            "12#3\n"
            "yes\n"
            "True\n"
            "\"quoted # not a comment\"   # but this is\n"
            "\"back\\\\slash \\x \\\"q\\\"\"\n"
            "0x1F 017 -5\n");
  ioStream* r = OpenRead(path);
  ASSERT_NE(r, nullptr);
  // "09" is a decimal minor, not a bad octal number.
  EXPECT_EQ(ioCompareVersion(r, 8, 9), 0);
  EXPECT_TRUE(ioReadBool(r));
  EXPECT_EQ(ioReadString(r, false), "12#3");
  EXPECT_TRUE(ioReadBool(r));
  EXPECT_TRUE(mReports.empty());
  EXPECT_FALSE(ioReadBool(r));
  ASSERT_EQ(mReports.size(), 1u);
  EXPECT_EQ(mReports[0].text, "'" + path + "', line 8:\nUnknown bool value 'True' (should be Yes or No)");
  EXPECT_EQ(mReports[0].message, "Unknown bool value 'True' (should be Yes or No)");
  EXPECT_EQ(mReports[0].level, kIoLevelError);
  EXPECT_EQ(ioReadString(r, true), "quoted # not a comment");
  EXPECT_EQ(ioReadString(r, true), "back\\slash \\x \"q\"");
  EXPECT_EQ(ioReadInt(r), 31);
  // A leading zero would be octal in C: refused, not read as 15 or as 17.
  EXPECT_EQ(ioReadInt(r), 0);
  ASSERT_EQ(mReports.size(), 2u);
  EXPECT_EQ(mReports[1].message, "A number with a leading zero: '017'");
  EXPECT_EQ(ioReadInt(r), -5);
  EXPECT_EQ(ioReadToken(r), kIoTokenEnd);
  ioClose(r);
}

TEST_F(ioStreamTest, TokensEnumsAndBoolsInDetail) {
  std::string path = Path("tokens.txt");
  WriteFile(path, "Corvia ASCII 8.10\nModel Bogus Continue ContNewL Tetrahedron 5 Sphere\n");
  ioStream* r = OpenRead(path);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(ioReadToken(r), kModel);
  ioUngetToken(r, kModel);
  EXPECT_EQ(ioReadToken(r), kModel);
  EXPECT_EQ(ioReadToken(r), kTokenCount);
  EXPECT_TRUE(Reported("Unknown token 'Bogus'"));
  EXPECT_EQ(ioReadToken(r), kIoTokenContinue);
  EXPECT_EQ(ioReadToken(r), kIoTokenContNewL);
  EXPECT_EQ(ioReadEnum(r, kShapes), 3);
  // A number is read as a value, and must be one of the table's.
  EXPECT_EQ(ioReadEnum(r, kShapes), -1);
  EXPECT_TRUE(Reported("Unknown enum value '5'"));
  EXPECT_EQ(ioReadEnum(r, kShapes), -1);
  EXPECT_TRUE(Reported("Unknown enum value 'Sphere'"));
  // The end of the data is an error for an enum, not a 0.
  mReports.clear();
  EXPECT_EQ(ioReadEnum(r, kShapes), -1);
  EXPECT_TRUE(Reported("Unexpected end of data"));
  ioClose(r);

  EXPECT_STREQ(ioTokenName(nullptr, kIoTokenContinue), "Continue");
  EXPECT_STREQ(ioTokenName(nullptr, kIoTokenContNewL), "ContNewL");

  // Writing a value the table does not know.
  ioBuffer buffer;
  ioStream* w = ioOpenWrite(nullptr, nullptr, 1, 0, kIoModeMemory, TokenName, Handler(), &buffer).release();
  EXPECT_FALSE(ioWriteEnum(w, 42, kShapes, nullptr, nullptr));
  EXPECT_TRUE(Reported("Unknown enum value 42 (0x2a)"));
  uint8_t two = 2;
  ioWriteBytes(w, &two, 1, false);
  // BINARY enums: an index, a negative index, an index past the end, raw values.
  int32_t indices[] = {2, -3, 3, 77};
  for (int32_t i : indices) ioWriteBytes(w, &i, 4, true);
  int16_t tokens[] = {kFace, -2, 300};
  for (int16_t t : tokens) ioWriteBytes(w, &t, 2, true);
  ioClose(w);
  r = ioOpenRead(nullptr, nullptr, 1, 0, TokenName, Handler(), buffer.data, buffer.length).release();
  ASSERT_NE(r, nullptr);
  EXPECT_TRUE(ioReadBool(r));  // the byte 2
  EXPECT_EQ(ioReadEnum(r, kShapes), 7);
  EXPECT_EQ(ioReadEnum(r, kShapes), -1);
  EXPECT_EQ(ioReadEnum(r, kShapes), -1);
  r->mEnumsAsValues = true;
  mReports.clear();
  EXPECT_EQ(ioReadEnum(r, kShapes), -1);  // 77 is no value of the table
  EXPECT_TRUE(Reported("Unknown enum value 77"));
  EXPECT_EQ(ioReadToken(r), kFace);
  EXPECT_EQ(ioReadToken(r), kTokenCount);
  EXPECT_EQ(ioReadToken(r), kTokenCount);
  EXPECT_EQ(ioReadToken(r), kIoTokenEnd);
  ioClose(r);
}

TEST_F(ioStreamTest, VersionsAreChecked) {
  std::string path = Path("version.bin");
  ioClose(ioOpenWrite(path.c_str(), "Corvia", 9, 0, kIoModeBinary, TokenName, Handler(), nullptr).release());
  EXPECT_EQ(OpenRead(path, 8, 10), nullptr);
  ASSERT_EQ(mReports.size(), 1u);
  EXPECT_EQ(mReports[0].level, kIoLevelError);
  EXPECT_NE(mReports[0].message.find("Error loading " + path + "\n\nData was created with a newer version"),
            std::string::npos);

  mReports.clear();
  path = Path("minor.txt");
  ioClose(ioOpenWrite(path.c_str(), "Corvia", 8, 11, kIoModeAscii, TokenName, Handler(), nullptr).release());
  ioStream* r = OpenRead(path, 8, 10);
  ASSERT_NE(r, nullptr);
  ASSERT_EQ(mReports.size(), 1u);
  EXPECT_EQ(mReports[0].level, kIoLevelWarning);
  EXPECT_EQ(mReports[0].message.rfind("This file was created with a newer version of the program.", 0), 0u);
  EXPECT_GT(ioCompareVersion(r, 8, 10), 0);
  EXPECT_LT(ioCompareVersion(r, 9, 0), 0);
  ioClose(r);

  // An older version loads silently; memory streams name "data".
  mReports.clear();
  std::vector<uint8_t> old = {7, 0, 99, 0};
  r = OpenMemory(old);
  ASSERT_NE(r, nullptr);
  EXPECT_TRUE(mReports.empty());
  ioClose(r);
  std::vector<uint8_t> newer = {9, 0, 0, 0};
  EXPECT_EQ(OpenMemory(newer), nullptr);
  EXPECT_TRUE(Reported("Error loading data\n\n"));
}

TEST_F(ioStreamTest, HostileHeadersAreRefused) {
  struct Case {
    const char* bytes;
    size_t size;
    const char* error;
  };
  const Case cases[] = {
      {"", 0, "This is not the right kind of file"},
      {"Corv", 4, "This is not the right kind of file"},
      {"Polyhedra ASCII 8.10\n", 21, "This is not the right kind of file"},
      {"Corvia\tASCII 8.10\n", 18, "This is not the right kind of file"},
      {"Corvia XSCII 8.10\n", 18, "Expected ASCII or BINARY"},
      {"Corvia ASCI", 11, "Expected ASCII or BINARY"},
      {"Corvia BINARX \x08\x00", 16, "Expected ASCII or BINARY"},
      {"Corvia ASCII ", 13, "EOF"},
      {"Corvia ASCII \n\n# nothing\n", 25, "EOF"},
      {"Corvia ASCII abc\n", 17, "Can't read the format version"},
      {"Corvia ASCII 8,10\n", 18, "Can't read the format version"},
      {"Corvia ASCII -3.01\n", 19, "Can't read the format version"},
      {"Corvia BINARY \x08", 15, "Can't read the format version"},
      {"Corvia BINARY \x08\x00\xFF\xFF", 18, "Can't read the format version"},
  };
  for (const Case& c : cases) {
    mReports.clear();
    std::string path = Path("hostile");
    WriteFile(path, std::string(c.bytes, c.size));
    EXPECT_EQ(OpenRead(path), nullptr) << c.bytes;
    EXPECT_TRUE(Reported(c.error)) << c.bytes << " -> " << (mReports.empty() ? "" : mReports[0].text);
    // Every message names the file.
    for (const Report& report : mReports) EXPECT_EQ(report.text.rfind("'" + path + "'", 0), 0u);
  }
  mReports.clear();
  EXPECT_EQ(OpenRead(Path("missing")), nullptr);
  EXPECT_TRUE(Reported("Can't open file"));
  EXPECT_EQ(ioOpenWrite(Path("no/such/folder").c_str(), "Corvia", 1, 0, kIoModeAscii, TokenName, Handler(), nullptr).release(),
            nullptr);
  // Short memory blocks.
  EXPECT_EQ(OpenMemory({8, 0, 10}), nullptr);
  EXPECT_EQ(ioOpenRead(nullptr, nullptr, 8, 10, TokenName, Handler(), "", -5).release(), nullptr);
}

TEST_F(ioStreamTest, TruncatedAndDamagedBodiesFailCleanly) {
  ioBuffer buffer;
  ioStream* w = ioOpenWrite(nullptr, nullptr, 8, 10, kIoModeMemory, TokenName, Handler(), &buffer).release();
  WriteSample(w);
  ioClose(w);
  std::vector<uint8_t> good(buffer.data, buffer.data + buffer.length);
  // Every truncation: the reads give neutral values and reports, never a crash.
  for (size_t n = 4; n < good.size(); ++n) {
    std::vector<uint8_t> cut(good.begin(), good.begin() + long(n));
    mReports.clear();
    ioStream* r = OpenMemory(cut);
    ASSERT_NE(r, nullptr);
    ReadSampleQuietly(r);
    ioClose(r);
    // Cut anywhere but between two tokens (just before the last one): reported.
    if (n != good.size() - 2) {
      EXPECT_FALSE(mReports.empty()) << n;
    }
  }
  // A string without its zero byte ends with the data.
  std::vector<uint8_t> open = {8, 0, 10, 0, 'a', 'b', 'c'};
  ioStream* r = OpenMemory(open);
  mReports.clear();
  EXPECT_EQ(ioReadString(r, false), "abc");
  EXPECT_TRUE(Reported("Unexpected end of data"));
  double point[3] = {1, 2, 3};
  EXPECT_FALSE(ioReadPoint(r, point));
  EXPECT_EQ(point[0], 0.0);
  ioClose(r);

  // ASCII text in place of numbers, and a file cut inside a string.
  std::string path = Path("damaged.txt");
  WriteFile(path, "Corvia ASCII 8.10\nVertex one 2.5x \"open string\nName");
  mReports.clear();
  r = OpenRead(path);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(ioReadToken(r), kVertex);
  EXPECT_EQ(ioReadInt(r), 0);
  EXPECT_TRUE(Reported("Expected a number, found 'one'"));
  mReports.clear();
  EXPECT_EQ(ioReadDouble(r), 0.0);  // "2.5x" is no number
  EXPECT_TRUE(Reported("Expected a number, found '2.5x'"));
  EXPECT_EQ(ioReadString(r, true), "open string");
  EXPECT_EQ(ioReadToken(r), kName);
  EXPECT_EQ(ioReadDouble(r), 0.0);
  EXPECT_TRUE(Reported("Unexpected end of data"));
  EXPECT_EQ(ioReadString(r, true), "");
  ioClose(r);
}

// Binary data may end between two tokens, not inside one: half a token is reported,
// not read as the end.
TEST_F(ioStreamTest, DataEndingInsideATokenIsReported) {
  const std::vector<uint8_t> half = {8, 0, 10, 0, uint8_t(kFace), 0, uint8_t(kName)};
  ioStream* r = OpenMemory(half);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(ioReadToken(r), kFace);
  EXPECT_TRUE(mReports.empty());
  EXPECT_EQ(ioReadToken(r), kIoTokenEnd);
  EXPECT_TRUE(Reported("Unexpected end of data"));
  ioClose(r);
}

TEST_F(ioStreamTest, NumbersOutOfRangeOrWithTrailingTextAreErrors) {
  // Each line: the words, then how they read; a value that cannot be read is an error
  // through the handler and reads as 0.
  std::string path = Path("numbers.txt");
  WriteFile(path,
            "Corvia ASCII 8.10\n"
            "2147483647 -2147483648 2147483648 -2147483649 99999999999999999999 -99999999999999999999\n"
            "4294967295 0 4294967296 -1\n"
            "65535 -32768 65536 -32769\n"
            "1.5 1.5xyz 0x1p3 1e999 nan- 2.5e-3\n"
            "3e38 1e39\n"
            "0 3 7 4\n");
  ioStream* r = OpenRead(path);
  ASSERT_NE(r, nullptr);
  auto expectError = [this](const std::string& word) {
    EXPECT_EQ(mReports.size(), 1u) << word;
    EXPECT_TRUE(Reported("'" + word + "'")) << word;
    mReports.clear();
  };
  EXPECT_EQ(ioReadInt(r), 2147483647);
  EXPECT_EQ(ioReadInt(r), -2147483647 - 1);
  EXPECT_TRUE(mReports.empty());
  for (const char* word : {"2147483648", "-2147483649", "99999999999999999999", "-99999999999999999999"}) {
    EXPECT_EQ(ioReadInt(r), 0) << word;
    expectError(word);
  }
  EXPECT_EQ(ioReadUInt(r), 4294967295u);
  EXPECT_EQ(ioReadUInt(r), 0u);
  EXPECT_TRUE(mReports.empty());
  for (const char* word : {"4294967296", "-1"}) {
    EXPECT_EQ(ioReadUInt(r), 0u) << word;
    expectError(word);
  }
  EXPECT_EQ(ioReadShort(r), 65535);
  EXPECT_EQ(ioReadShort(r), -32768);
  EXPECT_TRUE(mReports.empty());
  for (const char* word : {"65536", "-32769"}) {
    EXPECT_EQ(ioReadShort(r), 0) << word;
    expectError(word);
  }
  EXPECT_EQ(ioReadDouble(r), 1.5);
  EXPECT_TRUE(mReports.empty());
  for (const char* word : {"1.5xyz", "0x1p3", "1e999", "nan-"}) {
    EXPECT_EQ(ioReadDouble(r), 0.0) << word;
    expectError(word);
  }
  EXPECT_EQ(ioReadDouble(r), 2.5e-3);
  EXPECT_EQ(ioReadFloat(r), 3e38f);
  EXPECT_TRUE(mReports.empty());
  EXPECT_EQ(ioReadFloat(r), 0.0f);
  expectError("1e39");
  // Enum values given as numbers must be values of the table.
  EXPECT_EQ(ioReadEnum(r, kShapes), 0);
  EXPECT_EQ(ioReadEnum(r, kShapes), 3);
  EXPECT_EQ(ioReadEnum(r, kShapes), 7);
  EXPECT_TRUE(mReports.empty());
  EXPECT_EQ(ioReadEnum(r, kShapes), -1);
  expectError("4");
  ioClose(r);
}

TEST_F(ioStreamTest, LongLinesAndNegativeIndent) {
  // A line far longer than the first buffer is read whole.
  std::string word(100000, 'w');
  std::string path = Path("long.txt");
  ioStream* w = ioOpenWrite(path.c_str(), "Corvia", 8, 10, kIoModeAscii, TokenName, Handler(), nullptr).release();
  ioWriteString(w, "", word.c_str(), " ", -1);
  ioWriteString(w, "", "two\nlines", "\n", -1);
  ioClose(w);
  std::string text = ReadFile(path);
  // A negative indent never splits long text; line ends still go on "ContNewL" lines.
  EXPECT_NE(text.find("\"" + word + "\" \"two\"\nContNewL \"lines\"\n"), std::string::npos);
  ioStream* r = OpenRead(path);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(ioReadString(r, true), word);
  EXPECT_EQ(ioReadString(r, true), "two\nlines");
  ioClose(r);
  EXPECT_TRUE(mReports.empty());
}

TEST_F(ioStreamTest, PrintfFieldsAndMisuse) {
  ioBuffer buffer;
  ioStream* w = ioOpenWrite(nullptr, nullptr, 1, 0, kIoModeMemory, TokenName, Handler(), &buffer).release();
  long big = 0x123456789L;
  ioPrintf(w, "%ld %*d %hd %lld", big, 5, -1, 0x12345, 7LL);
  ioClose(w);
  ASSERT_EQ(buffer.length, 4 + 4 + 4 + 2 + 4);
  EXPECT_EQ(std::memcmp(buffer.data + 4, "\x89\x67\x45\x23\xFF\xFF\xFF\xFF\x45\x23\x07\x00\x00\x00", 14), 0);
  buffer.Free();

  testing::ExpectInternalErrors(1);
  w = ioOpenWrite(nullptr, nullptr, 1, 0, kIoModeMemory, TokenName, Handler(), &buffer).release();
  ioPrintf(w, "%s", "abc");
  EXPECT_EQ(testing::Platform().messages.CountTitled("Internal Error"), 1);
  EXPECT_FALSE(ioPrintf(w, "100%%"));
  EXPECT_TRUE(Reported("Unknown printf format %%"));
  ioClose(w);
  EXPECT_EQ(buffer.length, 4 + 4);
  EXPECT_EQ(std::memcmp(buffer.data + 4, "abc", 4), 0);
}

TEST_F(ioStreamTest, CallbacksCanBeSwitched) {
  ioBuffer buffer;
  ioStream* w = ioOpenWrite(nullptr, nullptr, 1, 0, kIoModeMemory, TokenName, Handler(), &buffer).release();
  ioCallbacks saved = ioSetCallbacks(
      w, [](int i) -> const char* { return i == 0 ? "EndSection" : nullptr; }, nullptr);
  EXPECT_STREQ(ioTokenName(w, 0), "EndSection");
  EXPECT_EQ(ioTokenName(w, 1), nullptr);
  EXPECT_TRUE(static_cast<bool>(w->mErrorHandler));  // kept
  ioRestoreCallbacks(w, saved);
  EXPECT_STREQ(ioTokenName(w, 1), "Vertex");
  ioClose(w);
  // Without a handler reports go to the standard error output.
  ::testing::internal::CaptureStderr();
  ioError(nullptr, kIoLevelError, "plain %d", 5);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "plain 5\n");
}

// A part of an ASCII file read as lines up to its end word, then read again on its own
// as a stream: its errors name the file and the line where the text stood.
TEST_F(ioStreamTest, LinesUpToAnEndWordReadAgainAsAStream) {
  const std::string path = Path("lines.txt");
  {
    std::ofstream out(path, std::ios::binary);
    out << "Corvia ASCII 8.10\n"
           "Model Name \"Scene\"\n"
           "  Vertex 3  # a note\n"
           "\n"
           "  Face \"End inside\"\n"
           "End of it\n"
           "Model\n";
  }
  ioStream* r = OpenRead(path);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(ioReadToken(r), kModel);
  EXPECT_EQ(ioReadToken(r), kName);
  EXPECT_EQ(ioReadString(r, false), "Scene");
  std::string text;
  int firstLine = -1;
  ASSERT_TRUE(ioReadLinesUntil(r, "End", &text, &firstLine, 1000));
  EXPECT_EQ(text, "  Vertex 3\n\n  Face \"End inside\"\n");
  EXPECT_EQ(firstLine, 2);
  // The end word's line is taken whole; reading goes on after it.
  EXPECT_EQ(ioReadToken(r), kModel);
  ioClose(r);

  ioStream* part = ioOpenReadText(path.c_str(), text.data(), text.size(), 8, 10, firstLine, TokenName, Handler()).release();
  ASSERT_NE(part, nullptr);
  EXPECT_EQ(ioCompareVersion(part, 8, 10), 0);
  EXPECT_EQ(ioReadToken(part), kVertex);
  EXPECT_EQ(ioReadInt(part), 3);
  EXPECT_EQ(ioReadToken(part), kFace);
  EXPECT_EQ(ioReadInt(part), 0);
  EXPECT_TRUE(Reported("'" + path + "', line 5:"));
  EXPECT_EQ(ioReadToken(part), kIoTokenEnd);
  ioClose(part);

  // An empty part reads as the end at once.
  ioStream* empty = ioOpenReadText("x", nullptr, 0, 8, 10, 0, TokenName, Handler()).release();
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(ioReadToken(empty), kIoTokenEnd);
  ioClose(empty);
}

TEST_F(ioStreamTest, LinesUpToAnEndWordAreBounded) {
  const std::string path = Path("unended.txt");
  {
    std::ofstream out(path, std::ios::binary);
    out << "Corvia ASCII 8.10\nModel\n  a long line of text\n  another\n";
  }
  ioStream* r = OpenRead(path);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(ioReadToken(r), kModel);
  std::string text;
  EXPECT_FALSE(ioReadLinesUntil(r, "End", &text, nullptr, 10));
  EXPECT_TRUE(Reported("longer than 10 bytes"));
  ioClose(r);
  r = OpenRead(path);
  EXPECT_EQ(ioReadToken(r), kModel);
  EXPECT_FALSE(ioReadLinesUntil(r, "End", &text, nullptr, 1000));
  EXPECT_TRUE(Reported("Expected 'End' before the end of the data"));
  ioClose(r);
}

TEST_F(ioStreamTest, LinesAfterAJoinedStringKeepTheirIndentation) {
  // Joining looks at the next line for a continuation; a section after the string
  // still begins with that line as the file has it.
  const std::string path = Path("indent.txt");
  WriteFile(path, "Corvia ASCII 8.10\nName \"Scene\"\n    Vertex 3\n  Face\nEnd\n");
  ioStream* r = OpenRead(path);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(ioReadToken(r), kName);
  EXPECT_EQ(ioReadString(r, true), "Scene");
  std::string text;
  int firstLine = -1;
  ASSERT_TRUE(ioReadLinesUntil(r, "End", &text, &firstLine, 1000));
  EXPECT_EQ(text, "    Vertex 3\n  Face\n");
  EXPECT_EQ(firstLine, 2);
  ioClose(r);
}

TEST_F(ioStreamTest, AZeroByteInTextIsAnError) {
  // Whether inside quotes, in a comment or in a section's lines: no string could carry
  // it back, so the text is refused rather than cut at it.
  const std::string cases[] = {std::string("Name \"Cu\0be\"\n", 12), std::string("Vertex 3 # \0\n", 13),
                               std::string("Model\n  a\0b\nEnd\n", 17)};
  for (const std::string& body : cases) {
    const std::string path = Path("zero.txt");
    WriteFile(path, "Corvia ASCII 8.10\n" + body);
    mReports.clear();
    ioStream* r = OpenRead(path);
    ASSERT_NE(r, nullptr);
    const int token = ioReadToken(r);
    if (token == kModel) {
      std::string text;
      ioReadLinesUntil(r, "End", &text, nullptr, 1000);
    } else {
      ioReadString(r, true);
    }
    EXPECT_TRUE(Reported("zero byte")) << body;
    ioClose(r);
  }
}

TEST_F(ioStreamTest, LongStringsStopAtTheirLimit) {
  // A string continued over many lines is refused once it passes the limit, with the
  // rest of its lines left unread.
  std::string file = "Corvia ASCII 8.10\nName \"start\"\n";
  for (int i = 0; i < 20000; ++i) file += "  Continue \"0123456789\"\n";
  const std::string path = Path("continued.txt");
  WriteFile(path, file);
  ioStream* r = OpenRead(path);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(ioReadToken(r), kName);
  const std::string text = ioReadString(r, true, 1000);
  EXPECT_LE(text.size(), 1000u);
  EXPECT_TRUE(Reported("String longer than 1000 bytes"));
  EXPECT_GT(ioBytesLeft(r), int64_t(file.size()) * 9 / 10);
  ioClose(r);

  ioBuffer buffer;
  ioStream* w = ioOpenWrite(nullptr, nullptr, 8, 10, kIoModeMemory, TokenName, Handler(), &buffer).release();
  ioWriteString(w, nullptr, std::string(5000, 'x').c_str(), nullptr, 0);
  ioClose(w);
  std::vector<uint8_t> data(buffer.data, buffer.data + buffer.length);
  mReports.clear();
  r = OpenMemory(data);
  EXPECT_EQ(ioReadString(r, true, 100).size(), 100u);
  EXPECT_TRUE(Reported("String longer than 100 bytes"));
  ioClose(r);
}

TEST_F(ioStreamTest, CountsAreCheckedAgainstTheDataLeft) {
  const std::string path = Path("counts.txt");
  WriteFile(path, "Corvia ASCII 8.10\n3 1 2 3 4194304 1 2\n-1\n");
  ioStream* r = OpenRead(path);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(ioReadCount(r, "Points", 1, 1000), 3);
  for (int i = 0; i < 3; ++i) ioReadInt(r);
  EXPECT_TRUE(mReports.empty());
  EXPECT_EQ(ioReadCount(r, "Points", 3, 1 << 22), -1);
  EXPECT_TRUE(Reported("Points: 4194304 records do not fit in what is left of the data"));
  ioReadInt(r);
  ioReadInt(r);
  mReports.clear();
  EXPECT_EQ(ioReadCount(r, "Faces", 1, 10), -1);
  EXPECT_TRUE(Reported("Faces: -1 is not a possible count"));
  ioClose(r);

  // In memory the data left is exact: a count of 2 records of 2 numbers needs 16 bytes.
  std::vector<uint8_t> data = {8, 0, 10, 0, 2, 0, 0, 0};
  data.resize(data.size() + 15, 0);
  mReports.clear();
  r = OpenMemory(data);
  EXPECT_EQ(ioReadCount(r, "Pairs", 2, 100), -1);
  EXPECT_TRUE(Reported("do not fit"));
  ioClose(r);
  data.push_back(0);
  mReports.clear();
  r = OpenMemory(data);
  EXPECT_EQ(ioReadCount(r, "Pairs", 2, 100), 2);
  EXPECT_TRUE(mReports.empty());
  ioClose(r);
}

}  // namespace corvia::test_ioStream
