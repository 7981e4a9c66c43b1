#pragma once
// Text lists: plain text files that hold one element's text a line, line k for
// element k of the model's faces, edges or vertices. A line's "<br>" is a line break,
// "<p>" two, and "<li>" starts a line of its own; saving turns line breaks back into
// those tags, so that every text of the model fits on one line.

#include <cstddef>
#include <string>
#include <vector>

namespace corvia {

// The longest line a list may hold.
constexpr size_t kTextListMaxLine = 1024;

// The text of a list's line: "<br>" a line break, "<p>" two, "<li>" kept, with a line
// break before it unless it starts a line; any other tag as it stands.
std::string TextListLineToText(const char* line);
// The line of a text: carriage returns dropped, the line break that a "<li>" brings
// with it dropped, two line breaks "<p>", any other "<br>". The line of a text reads
// back to that text.
std::string TextToTextListLine(const char* text);

// One text of a list: the element it is for (the line's number from 0) and its text.
struct TextListEntry {
  size_t index = 0;
  std::string text;
};

enum class TextListRead { kRead, kFailed, kCancelled };

// Reads the texts of the first `count` lines of the list at `path` (the lines after
// them are not read). Lines end in "\n", "\r\n" or "\r"; a line keeps its blanks. A
// blank line gives no entry: its element keeps the text it has. A line whose text
// would be blank (only tags that stand for line breaks) is taken as it stands, so
// that a text made of such tags comes back. Long reads show progress and can be
// cancelled. Refused, with `error` saying why and naming the file, when the file
// cannot be opened (a folder, a pipe or a device included), begins with a Unicode
// byte-order mark, holds a zero byte, a line longer than kTextListMaxLine, or a line
// that is no UTF-8 text (a list saved in another encoding) or holds a control
// character other than tab.
TextListRead ReadTextList(const char* path, size_t count, std::vector<TextListEntry>& entries, std::string& error);

}  // namespace corvia
