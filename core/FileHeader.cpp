#include "core/FileHeader.h"

#include <cstring>

#include "core/TimeFormat.h"

namespace corvia {

namespace detail_FileHeader {

void WriteLine(FILE* file, const char* prefix, const char* text, size_t length, const char* suffix) {
  std::fprintf(file, "%s%.*s%s\n", prefix, static_cast<int>(length), text, suffix);
}

}  // namespace detail_FileHeader

void WriteFileHeaderComment(FILE* file, const char* prefix, const char* suffix, const char* headerText) {
  using detail_FileHeader::WriteLine;
  if (!file) return;
  if (!prefix) prefix = "";
  if (!suffix) suffix = "";
  const char* program = "Written by Corvia";
  WriteLine(file, prefix, program, std::strlen(program), suffix);
  char when[kTimeAndDateBufferSize];
  FormatTimeAndDate(when);
  WriteLine(file, prefix, when, std::strlen(when), suffix);
  if (!headerText) return;
  // One comment line per line of the text; "\r" before a line end is dropped.
  for (const char* line = headerText; *line;) {
    const char* end = std::strchr(line, '\n');
    size_t length = end ? static_cast<size_t>(end - line) : std::strlen(line);
    if (length > 0 && line[length - 1] == '\r') --length;
    WriteLine(file, prefix, line, length, suffix);
    if (!end) break;
    line = end + 1;
  }
}

}  // namespace corvia
