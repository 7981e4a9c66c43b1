#include "core/TextFile.h"

#include <cstring>

#include "core/Messages.h"
#include "core/Strings.h"

namespace corvia {

namespace detail_TextFile {

struct ByteOrderMark {
  const char* bytes;
  size_t length;
};

// UTF-8, UTF-16 BE and LE, UTF-7, UTF-1, SCSU, BOCU-1, GB 18030 (UTF-32 LE begins
// like UTF-16 LE).
constexpr ByteOrderMark kByteOrderMarks[] = {
    {"\xEF\xBB\xBF", 3},     {"\xFE\xFF", 2},     {"\xFF\xFE", 2},     {"\xF7\x64\x4C", 3},
    {"\xDD\x73\x66\x73", 4}, {"\x0E\xFE\xFF", 3}, {"\xFB\xEE\x28", 3}, {"\x84\x31\x95\x33", 4},
};

enum class LineRead { Line, End, TooLong };

// Reads one line into the buffer without its end ("\n", "\r\n" or "\r"). Keeps at most size - 1 bytes; the rest of a
// longer line is consumed. `length` gets the number of bytes kept.
LineRead ReadRawLine(FILE* file, char* buffer, size_t size, size_t* length) {
  size_t n = 0;
  bool overflow = false;
  int c = std::getc(file);
  if (c == EOF) {
    buffer[0] = '\0';
    *length = 0;
    return LineRead::End;
  }
  while (c != EOF && c != '\n') {
    if (c == '\r') {
      // A line end of its own, or the first half of "\r\n".
      int next = std::getc(file);
      if (next != '\n' && next != EOF) std::ungetc(next, file);
      break;
    }
    if (n + 1 < size) {
      buffer[n++] = static_cast<char>(c);
    } else {
      overflow = true;
    }
    c = std::getc(file);
  }
  buffer[n] = '\0';
  *length = n;
  return overflow ? LineRead::TooLong : LineRead::Line;
}

// Cuts a trailing comment and the blanks before it, and trailing blanks. A comment
// prefix counts only after a blank: "a#b" keeps its '#'.
void CutComment(char* line, const char* commentPrefix) {
  size_t prefixLength = commentPrefix ? std::strlen(commentPrefix) : 0;
  char* blankRun = nullptr;
  char* p = line;
  for (; *p; ++p) {
    if (IsSpaceChar(static_cast<unsigned char>(*p))) {
      if (!blankRun) blankRun = p;
      continue;
    }
    if (blankRun && prefixLength > 0 && std::strncmp(p, commentPrefix, prefixLength) == 0) break;
    blankRun = nullptr;
  }
  if (blankRun) *blankRun = '\0';
}

}  // namespace detail_TextFile

bool BeginsWithByteOrderMark(const char* text, size_t length) {
  for (const detail_TextFile::ByteOrderMark& mark : detail_TextFile::kByteOrderMarks) {
    if (length >= mark.length && std::memcmp(text, mark.bytes, mark.length) == 0) return true;
  }
  return false;
}

bool ReadTextLine(FILE* file, char* buffer, size_t size, int* lineCounter, const char* commentPrefix,
                  std::string* outError) {
  if (outError) outError->clear();
  if (!buffer || size == 0) return false;
  buffer[0] = '\0';
  if (!file) {
    if (outError) *outError = "The file could not be opened.";
    return false;
  }
  size_t prefixLength = commentPrefix ? std::strlen(commentPrefix) : 0;
  for (;;) {
    bool firstLine = std::ftell(file) == 0;
    size_t length = 0;
    detail_TextFile::LineRead read = detail_TextFile::ReadRawLine(file, buffer, size, &length);
    if (read == detail_TextFile::LineRead::End) return false;
    if (lineCounter) ++*lineCounter;
    if (firstLine && outError && BeginsWithByteOrderMark(buffer, length)) {
      *outError = kUnicodeFileRefused;
      buffer[0] = '\0';
      return false;
    }
    if (read == detail_TextFile::LineRead::TooLong && outError) {
      // A line cut short would be read as if complete; the caller is told instead.
      *outError = lineCounter ? FormatLimited(kMessageBufferSize, "Line %d is longer than %zu characters.",
                                              *lineCounter, size - 1)
                              : FormatLimited(kMessageBufferSize, "A line is longer than %zu characters.", size - 1);
      buffer[0] = '\0';
      return false;
    }
    char* start = SkipBlanks(buffer);
    if (*start == '\0') continue;
    if (prefixLength > 0 && std::strncmp(start, commentPrefix, prefixLength) == 0) continue;
    if (start != buffer) std::memmove(buffer, start, std::strlen(start) + 1);
    detail_TextFile::CutComment(buffer, commentPrefix);
    return true;
  }
}

}  // namespace corvia
