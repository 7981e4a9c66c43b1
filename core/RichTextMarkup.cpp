#include "core/RichTextMarkup.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "core/HtmlText.h"
#include "core/Strings.h"

namespace corvia {

namespace detail_RichTextMarkup {

constexpr const char* kListIndent = "    ";
constexpr const char* kContinuationIndent = "   ";
constexpr const char* kOddBullet = "* ";
constexpr const char* kEvenBullet = "- ";
// A list level's counter: bulleted, or the next number of a numbered list.
constexpr int kBulleted = -1;
// The longest number read from a size attribute.
constexpr int kMaxSizeDigits = 6;

// Entities in the order they are tried; a leading part of a name selects it.
struct Entity {
  const char* name;
  const char* text;
};
constexpr Entity kEntities[] = {{"rarr", "->"}, {"gt", ">"},  {"lt", "<"},
                                {"ccedil", "c"}, {"amp", "&"}, {"copy", "\xC2\xA9"}};

struct NamedColour {
  const char* name;
  uint32_t colour;
};
constexpr NamedColour kNamedColours[] = {{"red", kRichTextRed},       {"green", kRichTextGreen},
                                         {"blue", kRichTextBlue},     {"yellow", kRichTextYellow},
                                         {"orange", kRichTextOrange}, {"white", kRichTextWhite}};

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsAttributeEnd(char c) { return c == '\0' || c == '>' || IsSpaceChar(static_cast<unsigned char>(c)); }

int HexValue(char c) {
  if (IsDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool Has(const char* at, const char* prefix) { return StartsWithNoCase(at, prefix) == 0; }

class Parser {
 public:
  Parser(const char* text, uint32_t colour, int height, long start) : mText(text), mColour(colour), mHeight(height) {
    mPosition = start;
    std::fill(std::begin(mCounters), std::end(mCounters), kBulleted);
  }

  RichTextMarkup Run() {
    while (*mAt && !mStopped) Step();
    return std::move(mOut);
  }

 private:
  void Step() {
    if (*mAt == '<') {
      Tag();
    } else if (*mAt == '&') {
      Entity();
    } else if (*mAt == '\n') {
      Append("\n", mEffects);
      mAtLineStart = true;
      ++mAt;
    } else {
      Text();
    }
  }

  // Continues after the next '>' from `from`; the text ends when there is none.
  void SkipTag(const char* from) {
    const char* close = std::strchr(from, '>');
    if (!close) {
      mStopped = true;
      return;
    }
    mAt = close + 1;
  }

  void Tag() {
    const char* at = mAt;
    if (Has(at, "<ul>") || Has(at, "<ol>")) {
      if (mListDepth < kRichTextMaxListDepth) {
        ++mListDepth;
        mCounters[mListDepth] = Has(at, "<ol>") ? 1 : kBulleted;
      } else {
        ++mListOverflow;
      }
    } else if (Has(at, "</ul>") || Has(at, "</ol>")) {
      if (mListOverflow > 0) {
        --mListOverflow;
      } else if (mListDepth > 0) {
        mCounters[mListDepth] = kBulleted;
        --mListDepth;
      }
    } else if (Has(at, "<li>")) {
      ListItem();
    } else if (Has(at, "<b>")) {
      mEffects |= kRichTextBold;
    } else if (Has(at, "</b>")) {
      mEffects &= ~kRichTextBold;
    } else if (Has(at, "<i>")) {
      mEffects |= kRichTextItalic;
    } else if (Has(at, "</i>")) {
      mEffects &= ~kRichTextItalic;
    } else if (Has(at, "</font>")) {
      if (mFontDepth > 0) {
        --mFontDepth;
        // Levels beyond the stack were never saved and restore nothing.
        if (mFontDepth < kRichTextMaxFonts) {
          mHeight = mFonts[mFontDepth].height;
          mColour = mFonts[mFontDepth].colour;
        }
      }
    } else if (Has(at, "<a ")) {
      return LinkTag(at + std::strlen("<a "));
    } else if (mInLink && Has(at, "</a>")) {
      mOut.links.back().end = mPosition;
      mInLink = false;
    } else if (Has(at, "<font ")) {
      return FontTag(at + std::strlen("<font "));
    } else if (Has(at, "<<")) {
      TextRun("<", 1);
      mAt = at + 2;
      return;
    } else if (!std::strchr(at, '>')) {
      // Not a tag: the '<' is text.
      return Text();
    }
    SkipTag(at);
  }

  void ListItem() {
    std::string item;
    if (!mAtLineStart) item += '\n';
    for (int i = 0; i < mListDepth; ++i) item += kListIndent;
    const int counter = mCounters[mListDepth];
    if (counter == kBulleted) {
      item += mListDepth % 2 == 1 ? kOddBullet : kEvenBullet;
    } else {
      char number[16];
      std::snprintf(number, sizeof number, "%d. ", counter);
      item += number;
      ++mCounters[mListDepth];
    }
    Append(item, mEffects);
    mAtLineStart = false;
  }

  void LinkTag(const char* attributes) {
    // The target is looked for inside this tag only.
    const char* close = std::strchr(attributes, '>');
    const char* href = attributes;
    while (href && close && href < close && !Has(href, "href=\"")) ++href;
    if (!close || href >= close) {
      mStopped = true;
      return;
    }
    const char* target = href + std::strlen("href=\"");
    const char* quote = std::strchr(target, '"');
    if (!quote || !std::strchr(quote, '>')) {
      mStopped = true;
      return;
    }
    RichTextLink link;
    link.start = mPosition;
    link.target.assign(target, static_cast<size_t>(quote - target));
    mOut.links.push_back(std::move(link));
    mInLink = true;
    SkipTag(quote);
  }

  void FontTag(const char* p) {
    if (mFontDepth < kRichTextMaxFonts) mFonts[mFontDepth] = {mHeight, mColour};
    ++mFontDepth;
    while (*p && *p != '>') {
      if (IsSpaceChar(static_cast<unsigned char>(*p))) {
        ++p;
        continue;
      }
      if (Has(p, "color=")) {
        Colour(p + std::strlen("color="));
      } else if (Has(p, "size=")) {
        Size(p + std::strlen("size="));
      }
      while (!IsAttributeEnd(*p)) ++p;
    }
    if (!*p) {
      mStopped = true;
      return;
    }
    mAt = p + 1;
  }

  void Colour(const char* value) {
    if (value[0] == '#') {
      int digits[6];
      bool hex = true;
      for (int i = 0; i < 6 && hex; ++i) {
        digits[i] = HexValue(value[1 + i]);
        hex = digits[i] >= 0;
      }
      if (hex) {
        const uint32_t red = static_cast<uint32_t>(digits[0] * 16 + digits[1]);
        const uint32_t green = static_cast<uint32_t>(digits[2] * 16 + digits[3]);
        const uint32_t blue = static_cast<uint32_t>(digits[4] * 16 + digits[5]);
        mColour = red | (green << 8) | (blue << 16);
        return;
      }
    }
    size_t length = 0;
    while (!IsAttributeEnd(value[length])) ++length;
    for (const NamedColour& named : kNamedColours) {
      if (length == std::strlen(named.name) && StrCompareNNoCase(value, named.name, length) == 0) {
        mColour = named.colour;
      }
    }
  }

  void Size(const char* value) {
    int sign = 0;
    if (*value == '+') {
      sign = 1;
      ++value;
    } else if (*value == '-') {
      sign = -1;
      ++value;
    }
    if (!IsDigit(*value)) return;
    int n = 0;
    for (int i = 0; i < kMaxSizeDigits && IsDigit(value[i]); ++i) n = n * 10 + (value[i] - '0');
    n = std::min(n, kRichTextMaxPoints);
    const int maxHeight = kRichTextMaxPoints * kTwipsPerPoint;
    if (sign == 0) {
      mHeight = n * kTwipsPerPoint;
    } else {
      // Steps from the box's own size start from its height.
      const int from = std::max(mHeight, 0);
      mHeight = std::clamp(from + sign * n * kRichTextSizeStep, 0, maxHeight);
    }
  }

  void Entity() {
    const char* name = mAt + 1;
    size_t length = 0;
    while (IsLetter(name[length])) ++length;
    if (length == 0 || name[length] != ';') {
      // Not an entity: the '&' is text.
      TextRun("&", 1);
      ++mAt;
      return;
    }
    const char* text = " ";
    for (const auto& entity : kEntities) {
      if (length <= std::strlen(entity.name) && StrCompareNNoCase(name, entity.name, length) == 0) {
        text = entity.text;
        break;
      }
    }
    TextRun(text, std::strlen(text));
    mAt = name + length + 1;
  }

  void Text() {
    // The first character is always taken, so a '<' that begins no tag prints.
    const char* end = mAt + 1;
    while (*end && *end != '<' && *end != '&' && *end != '\n') ++end;
    TextRun(mAt, static_cast<size_t>(end - mAt));
    mAt = end;
  }

  // Text in the current format: continuation lines of a list item are indented to
  // its text; link text is underlined and blue.
  void TextRun(const char* text, size_t length) {
    if (mAtLineStart && mListDepth > 0) {
      std::string indent;
      for (int i = 0; i < mListDepth; ++i) indent += kListIndent;
      indent += kContinuationIndent;
      Append(indent, mEffects);
    }
    std::string clean = CleanUtf8(text, length);
    clean.erase(std::remove(clean.begin(), clean.end(), '\r'), clean.end());
    if (!clean.empty()) {
      if (mInLink) {
        AppendRun(std::move(clean), mEffects | kRichTextUnderline, mColour | kRichTextBlue);
      } else {
        Append(std::move(clean), mEffects);
      }
    }
    mAtLineStart = false;
  }

  void Append(std::string text, unsigned effects) { AppendRun(std::move(text), effects, mColour); }

  void AppendRun(std::string text, unsigned effects, uint32_t colour) {
    mPosition += CountUtf8Characters(text);
    RichTextRun run;
    run.text = std::move(text);
    run.effects = effects;
    run.colour = colour;
    run.height = mHeight;
    mOut.runs.push_back(std::move(run));
  }

  const char* mText;
  const char* mAt = mText;
  bool mStopped = false;
  RichTextMarkup mOut;
  long mPosition = 0;

  unsigned mEffects = 0;
  uint32_t mColour;
  int mHeight;
  struct SavedFont {
    int height;
    uint32_t colour;
  };
  SavedFont mFonts[kRichTextMaxFonts] = {};
  int mFontDepth = 0;

  int mListDepth = 0;
  int mListOverflow = 0;
  int mCounters[kRichTextMaxListDepth + 1];
  bool mAtLineStart = true;
  bool mInLink = false;
};

}  // namespace detail_RichTextMarkup

RichTextMarkup ParseRichTextMarkup(const char* markup, uint32_t colour, int height, long startPosition) {
  if (!markup) return {};
  return detail_RichTextMarkup::Parser(markup, colour, height, startPosition).Run();
}

long CountUtf8Characters(const std::string& text) {
  long count = 0;
  for (unsigned char c : text) {
    if ((c & 0xC0) != 0x80) ++count;
  }
  return count;
}

std::string RichTextPlainText(const char* markup) {
  std::string text;
  for (const RichTextRun& run : ParseRichTextMarkup(markup, 0, -1, 0).runs) text += run.text;
  return text;
}

}  // namespace corvia
