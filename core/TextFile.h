#pragma once
// Line reader for the plain text files the user gives us (lists, settings, tables):
// skips blank lines and comments, cuts trailing comments and blanks, accepts "\n",
// "\r\n" and "\r" line ends, and refuses files in a Unicode encoding.

#include <cstddef>
#include <cstdio>
#include <string>

namespace corvia {

// Shown when a file begins with a byte-order mark.
constexpr const char* kUnicodeFileRefused =
    "Only plain ASCII text files are accepted here.\nPlease change the encoding of your file.";

// Whether the text begins with a Unicode byte-order mark (UTF-8, UTF-16, UTF-7,
// UTF-1, SCSU, BOCU-1 or GB 18030).
bool BeginsWithByteOrderMark(const char* text, size_t length);

// Reads the next line that is neither empty nor a comment into the buffer,
// without leading and trailing blanks and without a trailing comment (a comment
// prefix counts only at the start or after a blank). Returns false at the end of
// the file or on an error, which is then set in outError when that is given:
// a byte-order mark on the first line, a line that does not fit the buffer, no file.
// Without outError a line that does not fit is cut to the buffer and the rest of it
// skipped. The line counter (when given) counts every line read.
bool ReadTextLine(FILE* file, char* buffer, size_t size, int* lineCounter, const char* commentPrefix,
                  std::string* outError);

}  // namespace corvia
