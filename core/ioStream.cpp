#include "core/ioStream.h"

#include <strings.h>
#include <sys/stat.h>

#include <algorithm>
#include <bit>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "core/Messages.h"

namespace corvia {

namespace detail_ioStream {

constexpr size_t kErrorMessageSize = 512;
constexpr int32_t kMemoryInitialCapacity = 512;
constexpr const char* kContinueName = "Continue";
constexpr const char* kContNewLName = "ContNewL";
constexpr const char* kEndOfData = "Unexpected end of data";

// Blanks are the C blanks among codes 0-127; codes from 128 (UTF-8) never are.
inline bool IsBlank(char c) {
  auto u = static_cast<unsigned char>(c);
  return u < 128 && std::isspace(u) != 0;
}

// The byte-order hooks: values are stored little-endian whatever the host.
inline uint16_t ByteOrder16(uint16_t v) {
  if constexpr (std::endian::native == std::endian::little) return v;
  return uint16_t((v >> 8) | (v << 8));
}
inline uint32_t ByteOrder32(uint32_t v) {
  if constexpr (std::endian::native == std::endian::little) return v;
  return (v >> 24) | ((v >> 8) & 0xFF00u) | ((v << 8) & 0xFF0000u) | (v << 24);
}
inline uint64_t ByteOrder64(uint64_t v) {
  if constexpr (std::endian::native == std::endian::little) return v;
  return (uint64_t(ByteOrder32(uint32_t(v))) << 32) | ByteOrder32(uint32_t(v >> 32));
}

bool IsBinary(const ioStream* s) {
  return s->mMode == kIoModeBinary || s->mMode == kIoModeMemory;
}

int ErrorV(ioStream* s, int level, const char* format, va_list args) __attribute__((format(printf, 3, 0)));
int ErrorV(ioStream* s, int level, const char* format, va_list args) {
  std::string message = FormatLimitedV(kErrorMessageSize, format, args);
  std::string text;
  if (s != nullptr && !s->mFileName.empty()) {
    text = "'" + s->mFileName + "'";
    if (s->mLineNumber > 0) text += ", line " + std::to_string(s->mLineNumber);
    text += ":\n";
  }
  text += message;
  if (s != nullptr && s->mErrorHandler) return s->mErrorHandler(level, text.c_str(), message.c_str());
  std::fprintf(stderr, "%s\n", text.c_str());
  return 0;
}

// ---------------------------------------------------------------------------
// Raw output.

bool MemoryWrite(ioStream* s, const void* data, size_t n) {
  if (n == 0) return true;
  if (n > size_t(INT32_MAX - s->mMemPos)) {
    ioError(s, kIoLevelError, "Memory stream larger than %d bytes", INT32_MAX);
    return false;
  }
  int64_t needed = int64_t(s->mMemPos) + int64_t(n);
  if (needed > s->mMemSize) {
    int64_t capacity = std::max<int64_t>(needed * 2, s->mMemData == nullptr ? kMemoryInitialCapacity : 0);
    capacity = std::min<int64_t>(capacity, INT32_MAX);
    auto* grown = static_cast<uint8_t*>(std::realloc(s->mMemData, size_t(capacity)));
    if (grown == nullptr) {
      ioError(s, kIoLevelError, "Out of memory");
      return false;
    }
    s->mMemData = grown;
    s->mMemSize = int32_t(capacity);
  }
  std::memcpy(s->mMemData + s->mMemPos, data, n);
  s->mMemPos += int32_t(n);
  return true;
}

bool WriteRaw(ioStream* s, const void* data, size_t n) {
  if (s == nullptr) return false;
  if (s->mMode == kIoModeMemory) return MemoryWrite(s, data, n);
  if (s->mFile == nullptr) return false;
  return n == 0 || std::fwrite(data, 1, n, s->mFile) == n;
}

bool WriteText(ioStream* s, std::string_view text) {
  return WriteRaw(s, text.data(), text.size());
}

bool Write8(ioStream* s, uint8_t v) {
  return WriteRaw(s, &v, 1);
}
bool Write16(ioStream* s, uint16_t v) {
  v = ByteOrder16(v);
  return WriteRaw(s, &v, 2);
}
bool Write32(ioStream* s, uint32_t v) {
  v = ByteOrder32(v);
  return WriteRaw(s, &v, 4);
}
bool WriteDouble(ioStream* s, double d) {
  uint64_t bits = ByteOrder64(std::bit_cast<uint64_t>(d));
  return WriteRaw(s, &bits, 8);
}
bool WriteFloat(ioStream* s, float f) {
  return Write32(s, std::bit_cast<uint32_t>(f));
}

// A printf format that takes no arguments: "%%" stands for '%', the rest as it is.
bool WriteFormatNoArguments(ioStream* s, const char* format) {
  if (format == nullptr) return true;
  std::string text;
  for (const char* p = format; *p != '\0'; ++p) {
    text.push_back(*p);
    if (p[0] == '%' && p[1] == '%') ++p;
  }
  return WriteText(s, text);
}

// ---------------------------------------------------------------------------
// Raw input, silent: the caller decides whether running out is an error.

bool ReadRaw(ioStream* s, void* buffer, size_t n) {
  if (n == 0) return true;
  if (s->mMode == kIoModeMemory) {
    if (s->mMemPos < 0 || n > size_t(s->mMemSize - s->mMemPos)) return false;
    std::memcpy(buffer, s->mMemRead + s->mMemPos, n);
    s->mMemPos += int32_t(n);
    return true;
  }
  if (s->mFile == nullptr) return false;
  return std::fread(buffer, 1, n, s->mFile) == n;
}

bool ReadField(ioStream* s, void* buffer, size_t n) {
  if (ReadRaw(s, buffer, n)) return true;
  ioError(s, kIoLevelError, "%s", kEndOfData);
  return false;
}

bool Read16(ioStream* s, uint16_t* v) {
  if (!ReadField(s, v, 2)) return false;
  *v = ByteOrder16(*v);
  return true;
}
bool Read32(ioStream* s, uint32_t* v) {
  if (!ReadField(s, v, 4)) return false;
  *v = ByteOrder32(*v);
  return true;
}

// ---------------------------------------------------------------------------
// ASCII lines and words.

// Cuts the end of the line: the run of blanks that ends it, or that stands directly
// before a '#', goes with everything after it. Quoted parts are stepped over whole;
// a quote left open to the end stops the walk with nothing cut.
void CutLineEnd(std::string& line, size_t from) {
  size_t n = line.size();
  size_t i = from;
  size_t blankRun = std::string::npos;
  while (i < n) {
    char c = line[i];
    if (c == '"') {
      size_t j = i + 1;
      while (j < n && line[j] != '"') j += (line[j] == '\\' && j + 1 < n) ? 2 : 1;
      if (j >= n) return;
      i = j + 1;
      blankRun = std::string::npos;
    } else if (IsBlank(c)) {
      if (blankRun == std::string::npos) blankRun = i;
      ++i;
    } else if (c == '#' && blankRun != std::string::npos) {
      break;
    } else {
      blankRun = std::string::npos;
      ++i;
    }
  }
  if (blankRun != std::string::npos) line.resize(blankRun);
}

// Reads the next line that holds something, skipping empty and comment lines.
bool ReadLine(ioStream* s, bool reportEof) {
  s->mLine.clear();
  s->mLinePos = 0;
  s->mLineStart = 0;
  if (s->mFile == nullptr || s->mStopped) return false;
  for (;;) {
    if (s->mProgress && ++s->mLinesSinceProgress >= kIoProgressLines) {
      s->mLinesSinceProgress = 0;
      if (!s->mProgress()) {
        s->mStopped = true;
        return false;
      }
    }
    ++s->mLineNumber;
    std::string& line = s->mLine;
    line.clear();
    bool any = false;
    bool tooLong = false;
    bool zero = false;
    int c;
    while ((c = std::getc(s->mFile)) != EOF) {
      any = true;
      if (c == '\n') break;
      if (c == 0) zero = true;
      if (line.size() < kIoMaxLineLength)
        line.push_back(char(c));
      else
        tooLong = true;
    }
    if (!any) {
      int code = errno;
      if (std::ferror(s->mFile))
        ioError(s, kIoLevelError, "%s", std::strerror(code));
      else if (reportEof)
        ioError(s, kIoLevelError, "EOF");
      line.clear();
      return false;
    }
    if (tooLong) ioError(s, kIoLevelError, "Line longer than %zu bytes", kIoMaxLineLength);
    if (zero) ioError(s, kIoLevelError, "A zero byte in the text: this is no text file");
    if (!line.empty() && line.back() == '\r') line.pop_back();
    size_t pos = 0;
    while (pos < line.size() && IsBlank(line[pos])) ++pos;
    if (pos == line.size() || line[pos] == '#') continue;
    CutLineEnd(line, pos);
    s->mLinePos = pos;
    s->mLineStart = pos;
    return true;
  }
}

// Skips blanks, reading further lines when the current one is used up. False at the
// end of the data.
bool SkipBlanks(ioStream* s) {
  for (;;) {
    while (s->mLinePos < s->mLine.size() && IsBlank(s->mLine[s->mLinePos])) ++s->mLinePos;
    if (s->mLinePos < s->mLine.size()) return true;
    if (!ReadLine(s, false)) return false;
  }
}

// The next word: a quoted string (backslash escapes a quote or a backslash; any other
// backslash stays; a quote left open runs to the end of the line and sets mOpenQuote)
// or a run of non-blanks. At most `limit` bytes are kept. False at the end of the data.
bool ReadWord(ioStream* s, std::string& word, size_t limit, bool* cut = nullptr) {
  word.clear();
  if (!SkipBlanks(s)) return false;
  const std::string& line = s->mLine;
  size_t& pos = s->mLinePos;
  auto keep = [&](char c) {
    if (word.size() < limit)
      word.push_back(c);
    else if (cut != nullptr)
      *cut = true;
  };
  if (line[pos] == '"') {
    ++pos;
    while (pos < line.size() && line[pos] != '"') {
      char c = line[pos];
      if (c == '\\' && pos + 1 < line.size() && (line[pos + 1] == '"' || line[pos + 1] == '\\')) {
        c = line[pos + 1];
        ++pos;
      }
      keep(c);
      ++pos;
    }
    if (pos < line.size()) {
      ++pos;
    } else {
      s->mOpenQuote = true;
    }
  } else {
    while (pos < line.size() && !IsBlank(line[pos])) keep(line[pos++]);
  }
  return true;
}

// The word at the read position equals the name (followed by a blank or the end).
bool NextWordIs(const ioStream* s, const char* name) {
  size_t n = std::strlen(name);
  const std::string& line = s->mLine;
  if (line.compare(s->mLinePos, n, name) != 0) return false;
  size_t after = s->mLinePos + n;
  return after >= line.size() || IsBlank(line[after]);
}

// Reads an ASCII integer: decimal or "0x" hexadecimal; a leading zero before more
// digits, which C reads as octal, is refused, unless decimal alone is asked for (then
// "08" is 8). The position moves just past the digits. A value outside
// [low, high] (the field's range) is an error, not a value clamped to fit.
bool ReadAsciiInteger(ioStream* s, long long* value, bool decimalOnly, long long low, long long high) {
  *value = 0;
  if (!SkipBlanks(s)) {
    ioError(s, kIoLevelError, "%s", kEndOfData);
    return false;
  }
  const char* start = s->mLine.c_str() + s->mLinePos;
  char* end = nullptr;
  errno = 0;
  long long v = std::strtoll(start, &end, decimalOnly ? 10 : 0);
  if (end == start) {
    std::string word;
    ReadWord(s, word, kIoMaxWordLength);
    ioError(s, kIoLevelError, "Expected a number, found '%s'", word.c_str());
    return false;
  }
  s->mLinePos += size_t(end - start);
  const char* digits = start + ((*start == '-' || *start == '+') ? 1 : 0);
  if (!decimalOnly && digits[0] == '0' && digits[1] >= '0' && digits[1] <= '9') {
    const std::string text(start, size_t(end - start));
    ioError(s, kIoLevelError, "A number with a leading zero: '%.*s'", kIoMaxWordLength, text.c_str());
    return false;
  }
  if (errno == ERANGE || v < low || v > high) {
    const std::string text(start, size_t(end - start));
    ioError(s, kIoLevelError, "Number out of range: '%.*s'", kIoMaxWordLength, text.c_str());
    return false;
  }
  *value = v;
  return true;
}

// Reads an ASCII floating value from the next word, which must be the number whole;
// the position moves to the next blank. Decimal notation whatever the locale.
template <typename T>
bool ReadAsciiFloating(ioStream* s, T* value) {
  *value = 0;
  std::string word;
  if (!ReadWord(s, word, kIoMaxWordLength)) {
    ioError(s, kIoLevelError, "%s", kEndOfData);
    return false;
  }
  const char* first = word.c_str();
  const char* last = first + word.size();
  if (first < last && *first == '+') ++first;
  T v = 0;
  auto [ptr, ec] = std::from_chars(first, last, v, std::chars_format::general);
  if (ec != std::errc() || ptr != last) {
    ioError(s, kIoLevelError, "Expected a number, found '%s'", word.c_str());
    return false;
  }
  *value = v;
  return true;
}

int CountTokens(const ioStream* s) {
  if (!s->mTokenName) return 0;
  int count = 0;
  while (count < kIoMaxTokens && s->mTokenName(count) != nullptr) ++count;
  return count;
}

// Index of the value in the table; -1 when the table does not know it.
int FindEnumValue(const ioEnumPair* table, int32_t value) {
  for (int i = 0; table != nullptr && table[i].name != nullptr; ++i) {
    if (table[i].value == value) return i;
  }
  return -1;
}

int CountEnums(const ioEnumPair* table) {
  int count = 0;
  if (table != nullptr) {
    while (table[count].name != nullptr) ++count;
  }
  return count;
}

// ---------------------------------------------------------------------------
// Formatted output.

// The format with 'h' dropped before floating conversions, where printf gives it no
// meaning (it asks for a 4-byte float field in the binary forms).
std::string AsciiFormat(const char* format) {
  std::string out;
  for (const char* p = format; *p != '\0';) {
    if (*p != '%') {
      out.push_back(*p++);
      continue;
    }
    out.push_back(*p++);
    if (*p == '%') {
      out.push_back(*p++);
      continue;
    }
    while (*p != '\0' && (std::strchr("+- #.*0123456789", *p) != nullptr)) out.push_back(*p++);
    if (p[0] == 'h' && p[1] != '\0' && std::strchr("eEfFgGaA", p[1]) != nullptr) ++p;
  }
  return out;
}

bool PrintAscii(ioStream* s, const char* format, va_list args) {
  std::string cleaned = AsciiFormat(format);
  va_list copy;
  va_copy(copy, args);
  int n = std::vsnprintf(nullptr, 0, cleaned.c_str(), copy);
  va_end(copy);
  if (n < 0) return false;
  std::string text(size_t(n) + 1, '\0');
  std::vsnprintf(text.data(), text.size(), cleaned.c_str(), args);
  text.resize(size_t(n));
  return WriteText(s, text);
}

bool PrintBinary(ioStream* s, const char* format, va_list args) {
  bool ok = true;
  for (const char* p = format; *p != '\0';) {
    if (*p != '%') {
      ++p;
      continue;
    }
    ++p;
    while (*p != '\0' && std::strchr("+- #.*0123456789", *p) != nullptr) {
      if (*p == '*') (void)va_arg(args, int);
      ++p;
    }
    char length = 0;  // 'h', 'l', 'q' (long long) or 'L'
    if (*p == 'h') {
      length = 'h';
      ++p;
      if (*p == 'h') ++p;
    } else if (*p == 'l') {
      length = 'l';
      ++p;
      if (*p == 'l') {
        length = 'q';
        ++p;
      }
    } else if (*p == 'L') {
      length = 'L';
      ++p;
    }
    char conversion = *p;
    if (conversion != '\0') ++p;
    switch (conversion) {
      case 'e':
      case 'E':
      case 'f':
      case 'g':
      case 'G': {
        double v = (length == 'L') ? double(va_arg(args, long double)) : va_arg(args, double);
        ok = (length == 'h' ? WriteFloat(s, float(v)) : WriteDouble(s, v)) && ok;
        break;
      }
      case 'd':
      case 'i':
      case 'o':
      case 'u':
      case 'x':
      case 'X': {
        uint64_t v;
        if (length == 'l')
          v = uint64_t(va_arg(args, long));
        else if (length == 'q' || length == 'L')
          v = uint64_t(va_arg(args, long long));
        else
          v = uint64_t(va_arg(args, int));
        ok = (length == 'h' ? Write16(s, uint16_t(v)) : Write32(s, uint32_t(v))) && ok;
        break;
      }
      case 'c':
        ok = Write8(s, uint8_t(va_arg(args, int))) && ok;
        break;
      case 's': {
        ShowInternalError("For %%s, use ioWriteString()");
        const char* text = va_arg(args, const char*);
        if (text == nullptr) text = "";
        ok = WriteRaw(s, text, std::strlen(text) + 1) && ok;
        break;
      }
      default:
        ioError(s, kIoLevelError, "Unknown printf format %%%c", conversion);
        // Past an unknown conversion the arguments can no longer be matched.
        if (conversion != '%') return false;
        ok = false;
        break;
    }
  }
  return ok;
}

}  // namespace detail_ioStream

// ---------------------------------------------------------------------------

void ioBuffer::Free() {
  std::free(data);
  Reset();
}

int ioError(ioStream* stream, int level, const char* format, ...) {
  va_list args;
  va_start(args, format);
  int result = detail_ioStream::ErrorV(stream, level, format, args);
  va_end(args);
  return result;
}

ioStreamOwner ioOpenWrite(const char* path, const char* typeWord, int major, int minor, int mode,
                          ioTokenNameFunc tokenName, ioErrorHandler errorHandler, ioBuffer* result) {
  if (mode != kIoModeAscii && mode != kIoModeBinary && mode != kIoModeMemory) {
    ShowInternalError("ioOpenWrite: unknown mode %d", mode);
    return nullptr;
  }
  ioStreamOwner owner(new ioStream);
  ioStream* s = owner.get();
  s->mWriting = true;
  s->mTokenName = std::move(tokenName);
  s->mErrorHandler = std::move(errorHandler);
  s->mVersionMajor = int16_t(major);
  s->mVersionMinor = int16_t(minor);
  if (mode == kIoModeMemory) {
    s->mMode = kIoModeMemory;
    s->mResult = result;
  } else {
    s->mFileName = path != nullptr ? path : "";
    s->mFile = path != nullptr ? std::fopen(path, mode == kIoModeAscii ? "w" : "wb") : nullptr;
    if (s->mFile == nullptr) {
      ioError(s, kIoLevelError, "Can't open file");
      return nullptr;
    }
    s->mMode = mode;
    detail_ioStream::WriteText(s, typeWord != nullptr ? typeWord : "");
    detail_ioStream::WriteText(s, mode == kIoModeAscii ? " ASCII " : " BINARY ");
  }
  ioPrintf(s, "%hd.%02hd\n", major, minor);
  return owner;
}

ioStreamOwner ioOpenRead(const char* path, const char* typeWord, int highestMajor, int highestMinor,
                         ioTokenNameFunc tokenName, ioErrorHandler errorHandler, const void* data, int32_t size) {
  using namespace detail_ioStream;
  ioStreamOwner owner(new ioStream);
  ioStream* s = owner.get();
  s->mTokenName = std::move(tokenName);
  s->mErrorHandler = std::move(errorHandler);
  if (data != nullptr) {
    s->mMode = kIoModeMemory;
    s->mMemRead = static_cast<const uint8_t*>(data);
    s->mMemSize = std::max<int32_t>(size, 0);
  } else {
    s->mFileName = path != nullptr ? path : "";
    s->mFile = path != nullptr ? std::fopen(path, "rb") : nullptr;
    if (s->mFile == nullptr) {
      ioError(s, kIoLevelError, "Can't open file");
      return nullptr;
    }
    struct stat info {};
    if (fstat(fileno(s->mFile), &info) == 0 && S_ISREG(info.st_mode)) s->mFileSize = int64_t(info.st_size);
    std::string expected = std::string(typeWord != nullptr ? typeWord : "") + " ";
    std::string header(expected.size(), '\0');
    if (!ReadRaw(s, header.data(), header.size()) || header != expected) {
      ioError(s, kIoLevelError, "This is not the right kind of file");
      return nullptr;
    }
    char modeWord[7] = {};
    bool known = false;
    if (ReadRaw(s, modeWord, 1)) {
      if (modeWord[0] == 'A' && ReadRaw(s, modeWord + 1, 5) && std::memcmp(modeWord, "ASCII ", 6) == 0) {
        s->mMode = kIoModeAscii;
        known = true;
      } else if (modeWord[0] == 'B' && ReadRaw(s, modeWord + 1, 6) && std::memcmp(modeWord, "BINARY ", 7) == 0) {
        s->mMode = kIoModeBinary;
        known = true;
      }
    }
    if (!known) {
      ioError(s, kIoLevelError, "Expected ASCII or BINARY");
      return nullptr;
    }
    if (s->mMode == kIoModeAscii && !ReadLine(s, true)) return nullptr;
  }

  // The version: major, ".", minor. The minor is written with two digits, so in
  // ASCII it is read as a decimal number ("08" is 8).
  long long major = 0;
  long long minor = 0;
  bool read;
  if (s->mMode == kIoModeAscii) {
    read = ReadAsciiInteger(s, &major, false, LLONG_MIN, LLONG_MAX) && ioSkipAscii(s, ".") &&
           ReadAsciiInteger(s, &minor, true, LLONG_MIN, LLONG_MAX);
  } else {
    uint16_t words[2] = {};
    read = Read16(s, &words[0]) && Read16(s, &words[1]);
    major = words[0];
    minor = words[1];
  }
  if (!read || major < 0 || minor < 0 || major > INT16_MAX || minor > INT16_MAX) {
    ioError(s, kIoLevelError, "Can't read the format version");
    return nullptr;
  }
  if (major > highestMajor) {
    ioError(s, kIoLevelError,
            "Error loading %s\n\nData was created with a newer version of the program.\n"
            "It appears the data format has changed significantly.\n"
            "You would need to upgrade to the new version to load this data.",
            s->mMode == kIoModeMemory ? "data" : s->mFileName.c_str());
    return nullptr;
  }
  if (major == highestMajor && minor > highestMinor) {
    ioError(s, kIoLevelWarning,
            "This file was created with a newer version of the program.\n"
            "It appears the file format has changed slightly.\n"
            "I will try to load it, but there may be errors.\n"
            "You would need the new version to load it reliably.");
  }
  s->mVersionMajor = int16_t(major);
  s->mVersionMinor = int16_t(minor);
  return owner;
}

ioStreamOwner ioOpenReadText(const char* name, const char* text, size_t size, int major, int minor, int firstLine,
                             ioTokenNameFunc tokenName, ioErrorHandler errorHandler) {
  // An empty buffer cannot be opened on every C library: an empty line reads the same.
  static const char kEmptyText[] = "\n";
  ioStreamOwner owner(new ioStream);
  ioStream* s = owner.get();
  s->mTokenName = std::move(tokenName);
  s->mErrorHandler = std::move(errorHandler);
  s->mFileName = name != nullptr ? name : "";
  s->mMode = kIoModeAscii;
  s->mVersionMajor = int16_t(major);
  s->mVersionMinor = int16_t(minor);
  s->mLineNumber = std::max(firstLine, 0);
  const bool empty = text == nullptr || size == 0;
  s->mFileSize = empty ? 0 : int64_t(size);
  s->mFile = fmemopen(const_cast<char*>(empty ? kEmptyText : text), empty ? 1 : size, "r");
  if (s->mFile == nullptr) {
    ioError(s, kIoLevelError, "Can't open file");
    return nullptr;
  }
  return owner;
}

bool ioClose(ioStream* stream) {
  if (stream == nullptr) return true;
  bool ok = true;
  if (stream->mFile != nullptr) {
    if (std::ferror(stream->mFile)) ok = false;
    if (std::fclose(stream->mFile) != 0) ok = false;
    stream->mFile = nullptr;
  }
  if (stream->mMode == kIoModeMemory && stream->mWriting) {
    if (stream->mResult != nullptr) {
      stream->mResult->Free();
      stream->mResult->data = stream->mMemData;
      stream->mResult->length = stream->mMemPos;
    } else {
      std::free(stream->mMemData);
    }
    stream->mMemData = nullptr;
  }
  delete stream;
  return ok;
}

bool ioIsOk(const ioStream* stream) {
  if (stream == nullptr || stream->mMode == kIoModeMemory) return true;
  return stream->mFile == nullptr || !std::ferror(stream->mFile);
}

int ioCompareVersion(const ioStream* stream, int major, int minor) {
  if (stream->mVersionMajor != major) return stream->mVersionMajor - major;
  return stream->mVersionMinor - minor;
}

ioCallbacks ioSetCallbacks(ioStream* stream, ioTokenNameFunc tokenName, ioErrorHandler errorHandler) {
  ioCallbacks saved{stream->mTokenName, stream->mErrorHandler};
  if (tokenName) stream->mTokenName = std::move(tokenName);
  if (errorHandler) stream->mErrorHandler = std::move(errorHandler);
  return saved;
}

void ioSetProgress(ioStream* stream, ioProgressFunc progress) {
  if (stream != nullptr) stream->mProgress = std::move(progress);
}

void ioRestoreCallbacks(ioStream* stream, const ioCallbacks& saved) {
  stream->mTokenName = saved.tokenName;
  stream->mErrorHandler = saved.errorHandler;
}

ioSectionScope::ioSectionScope(ioStream* stream, ioTokenNameFunc tokenName) : mStream(stream) {
  if (!stream) return;
  mSaved = ioSetCallbacks(stream, std::move(tokenName), [this](int level, const char* text, const char* message) {
    if (level >= kIoLevelError) mFailed = true;
    return mSaved.errorHandler ? mSaved.errorHandler(level, text, message) : 0;
  });
}

ioSectionScope::~ioSectionScope() {
  if (mStream) ioRestoreCallbacks(mStream, mSaved);
}

bool ioSectionScope::Fail(const char* message) {
  if (mStream) {
    ioError(mStream, kIoLevelError, "%s", message);
  } else {
    mFailed = true;
  }
  return false;
}

const char* ioTokenName(const ioStream* stream, int index) {
  if (index == kIoTokenContinue) return detail_ioStream::kContinueName;
  if (index == kIoTokenContNewL) return detail_ioStream::kContNewLName;
  if (index < 0 || stream == nullptr || !stream->mTokenName) return nullptr;
  return stream->mTokenName(index);
}

// ---------------------------------------------------------------------------
// Writing.

bool ioIndent(ioStream* stream, int n) {
  if (stream == nullptr || stream->mMode != kIoModeAscii || n <= 0) return true;
  return detail_ioStream::WriteText(stream, std::string(size_t(n), ' '));
}

bool ioWriteToken(ioStream* stream, int token, int indent) {
  using namespace detail_ioStream;
  if (stream == nullptr) return false;
  if (IsBinary(stream)) return Write16(stream, uint16_t(int16_t(token)));
  const char* name = ioTokenName(stream, token);
  if (name == nullptr) {
    ioError(stream, kIoLevelError, "Unknown token %d", token);
    return false;
  }
  bool ok = ioIndent(stream, indent);
  return WriteText(stream, name) && ok;
}

bool ioPrintf(ioStream* stream, const char* format, ...) {
  if (stream == nullptr || format == nullptr) return false;
  va_list args;
  va_start(args, format);
  bool ok = detail_ioStream::IsBinary(stream) ? detail_ioStream::PrintBinary(stream, format, args)
                                              : detail_ioStream::PrintAscii(stream, format, args);
  va_end(args);
  return ok;
}

bool ioWriteEnum(ioStream* stream, int value, const ioEnumPair* table, const char* prefix, const char* suffix) {
  using namespace detail_ioStream;
  if (stream == nullptr) return false;
  const int index = FindEnumValue(table, value);
  if (index < 0) {
    ioError(stream, kIoLevelError, "Unknown enum value %d (0x%x)", value, unsigned(value));
    return false;
  }
  if (IsBinary(stream)) return Write32(stream, uint32_t(index));
  bool ok = WriteFormatNoArguments(stream, prefix);
  ok = WriteText(stream, table[index].name) && ok;
  return WriteFormatNoArguments(stream, suffix) && ok;
}

bool ioWriteBool(ioStream* stream, bool value, const char* prefix, const char* suffix) {
  using namespace detail_ioStream;
  if (stream == nullptr) return false;
  if (IsBinary(stream)) return Write8(stream, value ? 1 : 0);
  bool ok = WriteFormatNoArguments(stream, prefix);
  ok = WriteText(stream, value ? "Yes" : "No") && ok;
  return WriteFormatNoArguments(stream, suffix) && ok;
}

bool ioWriteString(ioStream* stream, const char* prefix, const char* text, const char* suffix, int indent) {
  using namespace detail_ioStream;
  if (stream == nullptr) return false;
  if (text == nullptr) text = "";
  if (IsBinary(stream)) return WriteRaw(stream, text, std::strlen(text) + 1);

  // Pieces end before a quote or a backslash (written escaped), at a line end
  // (continued on a "ContNewL" line) and, with a indent that is not negative, after
  // 60 bytes (continued on a "Continue" line). Line ends always go through
  // "ContNewL": a line end inside the quotes could not be read back, since the
  // reader works line by line.
  std::string out = prefix != nullptr ? prefix : "";
  out.push_back('"');
  const std::string lineIndent(size_t(std::max(indent, 0)), ' ');
  int piece = 0;
  for (const char* p = text; *p != '\0';) {
    char c = *p;
    if (c == '"' || c == '\\') {
      out.push_back('\\');
      out.push_back(c);
      ++p;
      piece = 0;
    } else if (c == '\n') {
      out += "\"\n" + lineIndent + kContNewLName + " \"";
      ++p;
      piece = 0;
    } else if (indent >= 0 && piece == kIoStringPieceLength) {
      out += "\"\n" + lineIndent + kContinueName + " \"";
      piece = 0;
    } else {
      out.push_back(c);
      ++p;
      ++piece;
    }
  }
  out.push_back('"');
  if (suffix != nullptr) out += suffix;
  return WriteText(stream, out);
}

bool ioWriteBytes(ioStream* stream, const void* data, int size, bool swap) {
  using namespace detail_ioStream;
  if (stream == nullptr || size < 0 || (data == nullptr && size > 0)) return false;
  if (swap && size == 2) {
    uint16_t v;
    std::memcpy(&v, data, 2);
    return Write16(stream, v);
  }
  if (swap && size == 4) {
    uint32_t v;
    std::memcpy(&v, data, 4);
    return Write32(stream, v);
  }
  return WriteRaw(stream, data, size_t(size));
}

// ---------------------------------------------------------------------------
// Reading.

void ioUngetToken(ioStream* stream, int token) {
  if (stream != nullptr) stream->mPushedToken = token;
}

int ioReadToken(ioStream* stream) {
  using namespace detail_ioStream;
  if (stream == nullptr) return kIoTokenEnd;
  if (stream->mPushedToken != kIoTokenEnd) {
    int token = stream->mPushedToken;
    stream->mPushedToken = kIoTokenEnd;
    return token;
  }
  if (IsBinary(stream)) {
    // The data may end between tokens, not inside one.
    uint8_t low, high;
    if (!ReadRaw(stream, &low, 1)) return kIoTokenEnd;
    if (!ReadField(stream, &high, 1)) return kIoTokenEnd;
    int token = int16_t(uint16_t(low | (high << 8)));
    int count = CountTokens(stream);
    if (token < 0 || token >= count) {
      ioError(stream, kIoLevelError, "Unknown token %d", token);
      return count;
    }
    return token;
  }
  std::string word;
  if (!ReadWord(stream, word, kIoMaxWordLength)) return kIoTokenEnd;
  if (word == kContinueName) return kIoTokenContinue;
  if (word == kContNewLName) return kIoTokenContNewL;
  int count = 0;
  if (stream->mTokenName) {
    for (; count < kIoMaxTokens; ++count) {
      const char* name = stream->mTokenName(count);
      if (name == nullptr) break;
      if (word == name) return count;
    }
  }
  ioError(stream, kIoLevelError, "Unknown token '%s'", word.c_str());
  return count;
}

int ioReadShort(ioStream* stream) {
  using namespace detail_ioStream;
  if (stream == nullptr) return 0;
  if (stream->mMode == kIoModeAscii) {
    long long v;
    if (!ReadAsciiInteger(stream, &v, false, INT16_MIN, UINT16_MAX)) return 0;
    return int(v);
  }
  uint16_t v;
  return Read16(stream, &v) ? int(v) : 0;
}

int32_t ioReadInt(ioStream* stream) {
  using namespace detail_ioStream;
  if (stream == nullptr) return 0;
  if (stream->mMode == kIoModeAscii) {
    long long v;
    if (!ReadAsciiInteger(stream, &v, false, INT32_MIN, INT32_MAX)) return 0;
    return int32_t(v);
  }
  uint32_t v;
  return Read32(stream, &v) ? int32_t(v) : 0;
}

uint32_t ioReadUInt(ioStream* stream) {
  using namespace detail_ioStream;
  if (stream == nullptr) return 0;
  if (stream->mMode == kIoModeAscii) {
    long long v;
    if (!ReadAsciiInteger(stream, &v, false, 0, UINT32_MAX)) return 0;
    return uint32_t(v);
  }
  uint32_t v;
  return Read32(stream, &v) ? v : 0;
}

float ioReadFloat(ioStream* stream) {
  using namespace detail_ioStream;
  if (stream == nullptr) return 0;
  float v = 0;
  if (stream->mMode == kIoModeAscii) {
    ReadAsciiFloating(stream, &v);
    return v;
  }
  uint32_t bits;
  return Read32(stream, &bits) ? std::bit_cast<float>(bits) : 0.0f;
}

double ioReadDouble(ioStream* stream) {
  using namespace detail_ioStream;
  if (stream == nullptr) return 0;
  double v = 0;
  if (stream->mMode == kIoModeAscii) {
    ReadAsciiFloating(stream, &v);
    return v;
  }
  uint64_t bits;
  if (!ReadField(stream, &bits, 8)) return 0.0;
  return std::bit_cast<double>(ByteOrder64(bits));
}

bool ioReadPoint(ioStream* stream, double point[3]) {
  using namespace detail_ioStream;
  if (stream == nullptr) return false;
  bool ok = true;
  for (int i = 0; i < 3; ++i) {
    if (stream->mMode == kIoModeAscii) {
      ok = ReadAsciiFloating(stream, &point[i]) && ok;
    } else {
      uint64_t bits = 0;
      bool read = ReadField(stream, &bits, 8);
      point[i] = read ? std::bit_cast<double>(ByteOrder64(bits)) : 0.0;
      ok = read && ok;
    }
  }
  return ok;
}

int ioReadEnum(ioStream* stream, const ioEnumPair* table) {
  using namespace detail_ioStream;
  if (stream == nullptr) return -1;
  int count = CountEnums(table);
  if (IsBinary(stream)) {
    uint32_t raw;
    if (!Read32(stream, &raw)) return -1;
    auto v = int32_t(raw);
    if (stream->mEnumsAsValues) {
      if (FindEnumValue(table, v) >= 0) return v;
      ioError(stream, kIoLevelError, "Unknown enum value %d", v);
      return -1;
    }
    if (v < 0 || v >= count) {
      ioError(stream, kIoLevelError, "Unknown enum index %d", v);
      return -1;
    }
    return table[v].value;
  }
  std::string word;
  if (!ReadWord(stream, word, kIoMaxWordLength)) {
    ioError(stream, kIoLevelError, "%s", kEndOfData);
    return -1;
  }
  for (int i = 0; i < count; ++i) {
    if (word == table[i].name) return table[i].value;
  }
  // A word of digits is the value itself (old data), which the table must know.
  bool digitsOnly = word.size() <= 9;  // at most 9 digits: always an int
  for (char c : word) digitsOnly = digitsOnly && c >= '0' && c <= '9';
  if (digitsOnly) {
    const int v = word.empty() ? 0 : std::atoi(word.c_str());
    if (FindEnumValue(table, v) >= 0) return v;
  }
  ioError(stream, kIoLevelError, "Unknown enum value '%s'", word.c_str());
  return -1;
}

bool ioReadBool(ioStream* stream) {
  using namespace detail_ioStream;
  if (stream == nullptr) return false;
  if (IsBinary(stream)) {
    uint8_t b;
    return ReadField(stream, &b, 1) && b != 0;
  }
  std::string word;
  if (!ReadWord(stream, word, kIoMaxWordLength)) {
    ioError(stream, kIoLevelError, "%s", kEndOfData);
    return false;
  }
  if (strcasecmp(word.c_str(), "Yes") == 0) return true;
  if (strcasecmp(word.c_str(), "No") == 0) return false;
  ioError(stream, kIoLevelError, "Unknown bool value '%s' (should be Yes or No)", word.c_str());
  return false;
}

std::string ioReadString(ioStream* stream, bool joinContinuations, size_t limit) {
  using namespace detail_ioStream;
  std::string text;
  if (stream == nullptr) return text;
  limit = std::min(limit, kIoMaxStringLength);
  bool cut = false;
  stream->mOpenQuote = false;
  if (IsBinary(stream)) {
    // Byte by byte up to the zero, so nothing after the string is consumed; nothing
    // past the limit is read.
    for (;;) {
      uint8_t b;
      if (!ReadRaw(stream, &b, 1)) {
        ioError(stream, kIoLevelError, "%s", kEndOfData);
        break;
      }
      if (b == 0) break;
      if (text.size() >= limit) {
        cut = true;
        break;
      }
      text.push_back(char(b));
    }
  } else {
    // Told once, on the line of the quote left open.
    auto tellOpenQuote = [stream, told = false]() mutable {
      if (!stream->mOpenQuote || told) return;
      told = true;
      ioError(stream, kIoLevelWarning, "A quoted text has no closing quote: it was read to the end of its line");
    };
    if (!ReadWord(stream, text, limit, &cut)) {
      ioError(stream, kIoLevelError, "%s", kEndOfData);
      return text;
    }
    tellOpenQuote();
    // Continuation lines: look at the next word without taking it, so a value that
    // follows the string is left for the caller. The joining stops at the limit.
    while (joinContinuations && !cut && SkipBlanks(stream)) {
      bool newLine = NextWordIs(stream, kContNewLName);
      if (!newLine && !NextWordIs(stream, kContinueName)) break;
      stream->mLinePos += std::strlen(newLine ? kContNewLName : kContinueName);
      if (newLine) {
        if (text.size() >= limit) {
          cut = true;
          break;
        }
        text.push_back('\n');
      }
      std::string piece;
      if (!ReadWord(stream, piece, limit - text.size(), &cut)) {
        ioError(stream, kIoLevelError, "%s", kEndOfData);
        break;
      }
      tellOpenQuote();
      text += piece;
    }
  }
  if (cut) ioError(stream, kIoLevelError, "String longer than %zu bytes", limit);
  return text;
}

int64_t ioBytesLeft(const ioStream* stream) {
  if (stream == nullptr) return 0;
  if (stream->mMode == kIoModeMemory) return std::max<int64_t>(int64_t(stream->mMemSize) - stream->mMemPos, 0);
  const long at = stream->mFile != nullptr ? std::ftell(stream->mFile) : -1;
  int64_t left = at < 0 ? stream->mFileSize : stream->mFileSize - at;
  if (stream->mMode == kIoModeAscii)
    left += int64_t(stream->mLine.size() - std::min(stream->mLinePos, stream->mLine.size()));
  return std::max<int64_t>(left, 0);
}

int32_t ioReadCount(ioStream* stream, const char* what, int numbers, int32_t limit) {
  constexpr int64_t kAsciiNumberBytes = 2;  // a digit and a blank
  constexpr int64_t kBinaryNumberBytes = 4;  // the fields of %d, %g and %hg
  if (stream == nullptr) return -1;
  if (what == nullptr) what = "Count";
  // An error met before (the stream's handler knows it) also ends here: the count
  // reads as 0 then, which is taken for none.
  const int32_t n = ioReadInt(stream);
  if (n < 0 || n > limit) {
    ioError(stream, kIoLevelError, "%s: %d is not a possible count", what, int(n));
    return -1;
  }
  const bool ascii = stream->mMode == kIoModeAscii;
  // The last number of a text needs no blank after it.
  const int64_t room = ioBytesLeft(stream) + (ascii ? 1 : 0);
  if (int64_t(n) * std::max(numbers, 0) * (ascii ? kAsciiNumberBytes : kBinaryNumberBytes) > room) {
    ioError(stream, kIoLevelError, "%s: %d records do not fit in what is left of the data", what, int(n));
    return -1;
  }
  return n;
}

bool ioSkipAscii(ioStream* stream, const char* literal) {
  if (stream == nullptr || stream->mMode != kIoModeAscii || literal == nullptr) return true;
  size_t n = std::strlen(literal);
  if (stream->mLine.compare(stream->mLinePos, n, literal) == 0) {
    stream->mLinePos += n;
    return true;
  }
  ioError(stream, kIoLevelError, "ioSkipAscii didn't find '%s'", literal);
  return false;
}

bool ioReadLinesUntil(ioStream* stream, const char* endWord, std::string* text, int* firstLine, size_t limit) {
  using namespace detail_ioStream;
  if (stream == nullptr || stream->mMode != kIoModeAscii || endWord == nullptr || text == nullptr) return false;
  text->clear();
  stream->mPushedToken = kIoTokenEnd;
  auto atEnd = [&]() {
    if (!NextWordIs(stream, endWord)) return false;
    stream->mLinePos = stream->mLine.size();
    return true;
  };
  auto keep = [&](std::string_view line) {
    if (text->size() + line.size() + 1 > limit) {
      ioError(stream, kIoLevelError, "Section longer than %zu bytes", limit);
      return false;
    }
    text->append(line);
    text->push_back('\n');
    return true;
  };
  // A line read ahead (to look for the continuation of a string before it) has had
  // nothing taken: it is kept whole, with its indentation.
  const bool untouched = stream->mLinePos == stream->mLineStart;
  while (stream->mLinePos < stream->mLine.size() && IsBlank(stream->mLine[stream->mLinePos])) ++stream->mLinePos;
  int lastLine = stream->mLineNumber;
  if (firstLine != nullptr) *firstLine = lastLine;
  if (stream->mLinePos < stream->mLine.size()) {
    if (atEnd()) return true;
    if (firstLine != nullptr) *firstLine = lastLine - 1;
    if (!keep(std::string_view(stream->mLine).substr(untouched ? 0 : stream->mLinePos))) return false;
    stream->mLinePos = stream->mLine.size();
  }
  for (;;) {
    if (!ReadLine(stream, false)) {
      ioError(stream, kIoLevelError, "Expected '%s' before the end of the data", endWord);
      return false;
    }
    if (atEnd()) return true;
    // Lines skipped by the reader (empty or comments) stay as empty lines, so that
    // line numbers within the text match the file's.
    while (++lastLine < stream->mLineNumber) {
      if (!keep("")) return false;
    }
    if (!keep(stream->mLine)) return false;
  }
}

bool ioReadBytes(ioStream* stream, void* buffer, int size, bool swap) {
  using namespace detail_ioStream;
  if (stream == nullptr || size < 0 || (buffer == nullptr && size > 0)) return false;
  if (!ReadField(stream, buffer, size_t(size))) return false;
  if (swap && size == 2) {
    uint16_t v;
    std::memcpy(&v, buffer, 2);
    v = ByteOrder16(v);
    std::memcpy(buffer, &v, 2);
  } else if (swap && size == 4) {
    uint32_t v;
    std::memcpy(&v, buffer, 4);
    v = ByteOrder32(v);
    std::memcpy(buffer, &v, 4);
  }
  return true;
}

}  // namespace corvia
