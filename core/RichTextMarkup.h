#pragma once
// The mark-up of the dialogs' rich-text boxes (warnings, notes, the answer of the
// update check): bold and italic, font colour and size, bulleted and numbered lists
// with nesting, a few character entities and links. The parser turns a text into
// formatted runs and link ranges; the box appends the runs at the end of its
// content. It is a smaller language than that of the panes' texts (core/HtmlText.h):
// sizes are points, lists are marked with "* ", "- " and numbers, and "<<" writes a
// "<".
//
// Tags and entity names are recognised ignoring case, by prefix. Malformed mark-up
// never fails: a link tag without its target, or without the ">" after it, ends the
// text there; a closing tag without its opening one changes nothing; nesting beyond
// the stacks' depths is counted but not stored. Text is UTF-8; bytes that begin no
// character show as "?".

#include <cstdint>
#include <string>
#include <vector>

namespace corvia {

// Effects of a run.
constexpr unsigned kRichTextBold = 0x1;
constexpr unsigned kRichTextItalic = 0x2;
constexpr unsigned kRichTextUnderline = 0x4;

// Colours are packed 0x00BBGGRR (red in the lowest byte).
constexpr uint32_t kRichTextRed = 0x0000ff;
constexpr uint32_t kRichTextGreen = 0x00ff00;
constexpr uint32_t kRichTextBlue = 0xff0000;
constexpr uint32_t kRichTextYellow = 0x00ffff;
constexpr uint32_t kRichTextOrange = 0x007fff;
constexpr uint32_t kRichTextWhite = 0xffffff;

// Heights are in twips (a twentieth of a point).
constexpr int kTwipsPerPoint = 20;
// "size=+N" and "size=-N" step by two points.
constexpr int kRichTextSizeStep = 40;
// The largest size mark-up may ask for, in points.
constexpr int kRichTextMaxPoints = 400;

// Depths of the parser's stacks: saved fonts, and list levels with a counter each.
constexpr int kRichTextMaxFonts = 10;
constexpr int kRichTextMaxListDepth = 9;

// A piece of text in one format. A negative height keeps the box's own size.
struct RichTextRun {
  std::string text;
  unsigned effects = 0;
  uint32_t colour = 0;
  int height = -1;
};

// The characters [start, end) of the box's content show a link; end is -1 while the
// link tag is still open (such a link never matches).
struct RichTextLink {
  long start = 0;
  long end = -1;
  std::string target;
};

struct RichTextMarkup {
  std::vector<RichTextRun> runs;
  std::vector<RichTextLink> links;  // in the order their tags open
};

// Parses the mark-up into runs starting in the given colour and height; the content
// they are appended to holds `startPosition` characters already (link ranges count
// from the start of the content).
RichTextMarkup ParseRichTextMarkup(const char* markup, uint32_t colour, int height, long startPosition);

// The words of the mark-up without their formatting, for a box that shows plain text.
std::string RichTextPlainText(const char* markup);

// The number of characters (not bytes) of UTF-8 text.
long CountUtf8Characters(const std::string& text);

}  // namespace corvia
