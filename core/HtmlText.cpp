#include "core/HtmlText.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "core/Messages.h"
#include "core/Strings.h"

namespace corvia {

namespace detail_HtmlText {

constexpr size_t kNone = std::numeric_limits<size_t>::max();

// Shadows stand this far right and down of their text, as parts of the glyph
// resolution; the text stands in front of its shadow by this many glyph units.
constexpr double kShadowOffsetX = 0.08;
constexpr double kShadowOffsetY = -0.04;
constexpr double kShadowDepth = 0.1;

// Glow passes: one every this much of the glow amount, each drawn larger, in front,
// blended towards this colour.
constexpr double kGlowStep = 0.18;
constexpr double kGlowGrowth = 0.25;
constexpr double kGlowDepth = 0.1;
constexpr float kGlowColor[3] = {0.7f, 1.0f, 1.0f};

// Sub- and superscripts are this much smaller; mark-up keeps sizes within this
// factor of the size asked for.
constexpr double kScriptShrink = 2.0 / 3.0;
constexpr double kScriptGrow = 1.5;
constexpr double kMaxSizeFactor = 1000.0;
constexpr double kMaxSizeSteps = 20.0;

// A list line that starts after a break is indented by this many blanks per level
// plus these.
constexpr int kListIndentPerLevel = 4;
constexpr int kListIndentExtra = 3;

// The longest number read from mark-up.
constexpr size_t kMaxNumberLength = 32;

// A link's colour: blue, or the run's with its blue raised.
constexpr float kLinkBlueLimit = 0.75f;

// The bytes of the character a lead byte begins: 0 for a byte that begins none.
int SequenceLength(unsigned char c) {
  if (c < 0x80) return 1;
  if (c >= 0xC2 && c <= 0xDF) return 2;
  if (c >= 0xE0 && c <= 0xEF) return 3;
  if (c >= 0xF0 && c <= 0xF4) return 4;
  return 0;
}

// Whether the bytes at s (n of them available) are one whole character of the
// length its lead byte gives (no overlong forms, surrogates or values past U+10FFFF).
bool IsWholeCharacter(const unsigned char* s, size_t n, int length) {
  if (static_cast<size_t>(length) > n) return false;
  for (int i = 1; i < length; ++i) {
    if ((s[i] & 0xC0) != 0x80) return false;
  }
  if (length == 3) {
    if (s[0] == 0xE0 && s[1] < 0xA0) return false;
    if (s[0] == 0xED && s[1] >= 0xA0) return false;
  }
  if (length == 4) {
    if (s[0] == 0xF0 && s[1] < 0x90) return false;
    if (s[0] == 0xF4 && s[1] >= 0x90) return false;
  }
  return true;
}

// Whether the text from s to the end is a character cut short: a lead byte whose
// continuation bytes, all there is of them, are right.
bool IsCutShort(const unsigned char* s, size_t n) {
  const int length = SequenceLength(s[0]);
  if (length <= 1 || static_cast<size_t>(length) <= n) return false;
  for (size_t i = 1; i < n; ++i) {
    if ((s[i] & 0xC0) != 0x80) return false;
  }
  return true;
}

bool IsBlankOrTab(char c) {
  return c == ' ' || c == '\t';
}

// Case-insensitive prefix test of at most `available` bytes.
bool HasPrefix(const char* s, size_t available, const char* prefix) {
  const size_t n = std::strlen(prefix);
  return n <= available && StrCompareNNoCase(s, prefix, n) == 0;
}

// The value of a digit of a colour: 0-9, then letters from 10 for 'a' or 'A'.
int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'z') return c - 'a' + 10;
  if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
  return -1;
}

// A number at s (at most `available` bytes); false when there is none.
bool ReadNumber(const char* s, size_t available, double& value) {
  char buffer[kMaxNumberLength + 1];
  const size_t n = std::min(available, kMaxNumberLength);
  std::memcpy(buffer, s, n);
  buffer[n] = '\0';
  char* end = nullptr;
  value = std::strtod(buffer, &end);
  return end != buffer && std::isfinite(value);
}

void Widen(float* boxMin, float* boxMax, const double* box) {
  if (boxMin) {
    boxMin[0] = std::min(boxMin[0], static_cast<float>(box[0]));
    boxMin[1] = std::min(boxMin[1], static_cast<float>(box[1]));
  }
  if (boxMax) {
    boxMax[0] = std::max(boxMax[0], static_cast<float>(box[2]));
    boxMax[1] = std::max(boxMax[1], static_cast<float>(box[3]));
  }
}

// How a line of an aligned block is placed.
enum class Align { None, Centre, Right };

// The layout state of one call.
struct State {
  double left = 0.0;
  double size = 1.0;
  float rgba[4] = {1, 1, 1, 1};
  uint32_t flags = 0;
  double glow = 0.0;
  TextFont font = nullptr;
  int resolution = 48;
  int listDepth = 0;
  int counters[kTextMaxListDepth];
  int indentCount = 0;
  double indents[kTextMaxIndents];
  struct Frame {
    TextFont font = nullptr;
    double size = 1.0;
    float rgba[4] = {1, 1, 1, 1};
  };
  int fontCount = 0;
  Frame fonts[kTextMaxFontStack];
};

// Everything a call keeps that a measuring pass must be able to put back.
struct Cursor {
  State state;
  double pen[3] = {0.0, 0.0, 0.0};
  size_t pos = 0;
  bool atLineStart = true;
  bool lineHoldsWord = false;
  bool lineHasText = false;
  bool pendingListIndent = false;
  std::string linkTarget;
  int linkId = -1;
  Align align = Align::None;
};

// One call of DrawHtml or DrawRun.
class Layout {
 public:
  Layout(TextBackend& backend, const char* text, size_t length) : b(backend), mText(text), mEnd(length) {}

  double Html(double* pen, double size, double width, uint32_t flags, float* boxMin, float* boxMax, int charLimit,
              intptr_t linkValue);
  void Run(TextFont font, double* pen, double size, double left, double width, const float* rgba, uint32_t flags,
           float* boxMin, float* boxMax);

 private:
  // ---- The interpreter ----
  void Step();
  void Tag();
  // The tags that set the bold, italic, shadow and glow styles and the sub- and
  // superscripts; false for any other tag.
  bool StyleTag(size_t at);
  void Entity();
  void PlainText();
  void AlignLine();
  bool EndsMeasuredLine();
  void FontTag(size_t attributes);
  void LinkTag(size_t attributes);
  void PopFont();
  // Continues after the next '>' from `from`; the text ends when there is none.
  void SkipTag(size_t from);
  // Continues after the first of the closing tags found from `from`.
  void SkipPast(size_t from, const char* first, const char* second);
  bool Has(size_t at, const char* prefix) const { return at < mEnd && HasPrefix(mText + at, mEnd - at, prefix); }
  void Stop() {
    mStopped = true;
    k.pos = mEnd;
  }

  // ---- Lines and runs ----
  void NewLine(int count);
  double LineHeight() { return b.GetLineHeight(s.font, s.flags & kTextStyleMask) * GlyphScale(); }
  double GlyphScale() { return b.GetFontScale(s.font) * s.size; }
  bool Drawing() const { return !(s.flags & (kTextMeasureOnly | kTextMeasuringLine)); }
  // Lays out plain text from the text at [from, to) (source positions, for the
  // break of a measured line) given as clean UTF-8.
  void LayOut(const std::string& clean, size_t from, size_t to, bool skipLeadingBlanks);
  // A piece of one line: drawn with its shadow and glow, and its box collected.
  void Piece(const char* text, size_t length, double advance);
  void DrawPiece(TextPieceKind kind, const char* text, size_t length, const double* pen, double scale, const float* top,
                 const float* bottom);
  void RunColor(float* rgba) const;

  TextBackend& b;
  const char* mText;
  size_t mEnd;
  bool mStopped = false;

  Cursor k;
  State& s = k.state;
  double mBaseSize = 1.0;
  double mWidth = -1.0;
  float* mBoxMin = nullptr;
  float* mBoxMax = nullptr;
  size_t mByteLimit = kNone;
  intptr_t mLinkValue = 0;

  // The measuring pass of an aligned line.
  bool mMeasuring = false;
  bool mLineEnded = false;
  size_t mBreakPos = kNone;
  // The real pass of an aligned line draws up to here.
  size_t mLimitPos = kNone;
};

double Layout::Html(double* pen, double size, double width, uint32_t flags, float* boxMin, float* boxMax, int charLimit,
                    intptr_t linkValue) {
  if (mEnd == 0) return 0.0;
  s.font = b.GetDefaultFont();
  if (!s.font) return 0.0;
  b.BeginText();
  b.UseFont(s.font);
  std::copy(pen, pen + 3, k.pen);
  s.left = pen[0];
  s.size = size;
  mBaseSize = size;
  mWidth = width;
  s.flags = flags & ~(kTextCentre | kTextRight | kTextMeasuringLine);
  s.resolution = b.GetDefaultResolution();
  b.GetStartColor(s.rgba);
  std::fill(s.counters, s.counters + kTextMaxListDepth, -1);
  mBoxMin = boxMin;
  mBoxMax = boxMax;
  mLinkValue = linkValue;
  if (flags & kTextCentre) {
    k.align = Align::Centre;
  } else if (flags & kTextRight) {
    k.align = Align::Right;
  }
  if (charLimit >= 0) {
    // The limit counts characters; find the byte where it falls.
    size_t bytes = 0;
    for (int count = 0; bytes < mEnd && count < charLimit; ++count) {
      const int n = SequenceLength(static_cast<unsigned char>(mText[bytes]));
      bytes += n > 0 ? static_cast<size_t>(n) : 1u;
    }
    mByteLimit = std::min(bytes, mEnd);
  }
  const double startY = k.pen[1];
  while (k.pos < mEnd && !mStopped) {
    const size_t before = k.pos;
    if (k.align != Align::None && k.atLineStart) AlignLine();
    // Every round takes at least one item.
    if (k.pos == before && !mStopped) Step();
  }
  double height = startY - k.pen[1];
  if (k.lineHasText) height += b.GetLineHeight(s.font, 0) * GlyphScale();
  std::copy(k.pen, k.pen + 3, pen);
  return height;
}

void Layout::Run(TextFont font, double* pen, double size, double left, double width, const float* rgba, uint32_t flags,
                 float* boxMin, float* boxMax) {
  if (!font || mEnd == 0) return;
  b.UseFont(font);
  std::copy(pen, pen + 3, k.pen);
  s.font = font;
  s.left = left;
  s.size = size;
  std::copy(rgba, rgba + 4, s.rgba);
  s.flags = flags;
  mWidth = width;
  mBoxMin = boxMin;
  mBoxMax = boxMax;
  k.atLineStart = false;
  size_t start = 0;
  while (start <= mEnd && !mStopped) {
    const char* feed = static_cast<const char*>(std::memchr(mText + start, '\n', mEnd - start));
    const size_t stop = feed ? static_cast<size_t>(feed - mText) : mEnd;
    size_t end = stop;
    if (end > start && mText[end - 1] == '\r') --end;
    const std::string clean = CleanUtf8(mText + start, end - start);
    LayOut(clean, start, end, false);
    if (!feed) break;
    NewLine(1);
    start = stop + 1;
  }
  std::copy(k.pen, k.pen + 3, pen);
}

// ---- The interpreter ----------------------------------------------------------------------

void Layout::Step() {
  if (mMeasuring && EndsMeasuredLine()) {
    mLineEnded = true;
    return;
  }
  const char c = mText[k.pos];
  if (c == '\r') {
    ++k.pos;
  } else if (c == '\n') {
    ++k.pos;
    NewLine(1);
  } else if (c == '<') {
    Tag();
  } else if (c == '&') {
    Entity();
  } else {
    PlainText();
  }
}

// Whether the item at the position breaks the line a measuring pass measures.
bool Layout::EndsMeasuredLine() {
  if (mText[k.pos] == '\n') return true;
  if (mText[k.pos] != '<') return false;
  if (Has(k.pos, "</center>") || Has(k.pos, "</right>") || Has(k.pos, "<br>")) return true;
  if (Has(k.pos, "<p")) return true;
  if (!k.atLineStart && (Has(k.pos, "<li>") || Has(k.pos, "<center>") || Has(k.pos, "<right>"))) return true;
  return false;
}

void Layout::AlignLine() {
  const size_t start = k.pos;
  const Cursor saved = k;
  const size_t savedLimit = mLimitPos;
  // Measure the line: no drawing, no box, no wrap of its own.
  mMeasuring = true;
  mLineEnded = false;
  mBreakPos = kNone;
  s.flags |= kTextMeasuringLine | kTextNoWidthLimit;
  while (k.pos < mEnd && !mStopped && !mLineEnded && mBreakPos == kNone) Step();
  mMeasuring = false;
  const double measured = k.pen[0];
  const size_t breakAt = mBreakPos != kNone ? mBreakPos : k.pos;
  const bool wrapped = mBreakPos != kNone;
  mBreakPos = kNone;
  const bool stopped = mStopped;
  k = saved;
  mStopped = false;

  double offset = (mWidth < 0.0 ? 0.0 : mWidth) + s.left - measured;
  if (k.align == Align::Centre) offset *= 0.5;
  k.pen[0] += offset;
  // Draw the line up to where the measurement ended, without wrapping by itself.
  const uint32_t flagsBefore = s.flags;
  s.flags |= kTextNoWidthLimit;
  mLimitPos = breakAt;
  while (k.pos < breakAt && !mStopped) Step();
  mLimitPos = savedLimit;
  s.flags = (s.flags & ~kTextNoWidthLimit) | (flagsBefore & kTextNoWidthLimit);
  if (stopped) Stop();
  // A line that ends at once (a break, or the block closing) leaves its item to the
  // caller, which takes it as it is.
  if (wrapped && k.pos > start) NewLine(1);
}

void Layout::Tag() {
  const size_t at = k.pos;
  if (Has(at, "<<")) {
    ++k.pos;
    const std::string lt = "<";
    if (mByteLimit != kNone && at >= mByteLimit && !mMeasuring) return Stop();
    LayOut(lt, at, at + 2, false);
    k.pos = at + 2;
    return;
  }
  if (Has(at, "<ul>")) {
    ++s.listDepth;
  } else if (Has(at, "<ol>")) {
    ++s.listDepth;
    if (s.listDepth < kTextMaxListDepth) s.counters[s.listDepth] = 1;
  } else if (Has(at, "</ul>") || Has(at, "</ol>")) {
    if (s.listDepth > 0) {
      if (s.listDepth < kTextMaxListDepth) s.counters[s.listDepth] = -1;
      --s.listDepth;
    }
  } else if (Has(at, "<li>")) {
    if (!k.atLineStart) NewLine(1);
    k.pendingListIndent = false;
    std::string bullet(static_cast<size_t>(kListIndentPerLevel * std::min(s.listDepth, kTextMaxListDepth)), ' ');
    const int depth = s.listDepth;
    if (depth < kTextMaxListDepth && s.counters[depth] >= 1) {
      bullet += std::to_string(s.counters[depth]++) + ". ";
    } else {
      bullet += depth % 2 ? "* " : "- ";
    }
    SkipTag(at);
    if (!mStopped) LayOut(bullet, k.pos, k.pos, false);
    return;
  } else if (Has(at, "<center>") || Has(at, "<right>")) {
    if (k.align != Align::None) {
      if (!mMeasuring) {
        // Trace only: the text is laid out as if the inner tag were not there.
        DoNothing("Nested <center> or <right>!\n");
        b.Trace("Nested <center> or <right>!");
      }
    } else {
      k.align = Has(at, "<center>") ? Align::Centre : Align::Right;
    }
    if (!k.atLineStart) NewLine(1);
  } else if (Has(at, "</center>") || Has(at, "</right>")) {
    k.align = Align::None;
  } else if (Has(at, "<in>")) {
    if (s.indentCount < kTextMaxIndents - 1) {
      s.indents[s.indentCount++] = s.left;
    } else if (!mMeasuring) {
      // Trace only: deeper indents stay at the deepest one.
      DoNothing("GLFont::DrawHtml(): \nmax indentation depth reached\n");
      b.Trace("GLFont::DrawHtml(): \nmax indentation depth reached");
    }
    s.left = k.pen[0];
  } else if (Has(at, "</in>")) {
    if (s.indentCount > 0) s.left = s.indents[--s.indentCount];
  } else if (StyleTag(at)) {
    // The style is set; the tag is skipped below.
  } else if (Has(at, "<font ")) {
    return FontTag(at + std::strlen("<font "));
  } else if (Has(at, "<face=") || Has(at, "<res=") || Has(at, "<size=") || Has(at, "<color=")) {
    return FontTag(at + 1);
  } else if (Has(at, "</font>")) {
    PopFont();
  } else if (Has(at, "<a>") || Has(at, "<a ")) {
    return LinkTag(at + 2);
  } else if (Has(at, "</a>")) {
    if (s.flags & kTextInLink) {
      if (Drawing() && !mMeasuring) b.EndLink();
      k.linkTarget.clear();
      k.linkId = -1;
      s.flags &= ~(kTextInLink | kTextLinkNoColor);
    }
  } else if (Has(at, "<sel>")) {
    if (!(s.flags & kTextSelected)) return SkipPast(at + std::strlen("<sel>"), "<else>", "</sel>");
  } else if (Has(at, "<else>")) {
    if (s.flags & kTextSelected) return SkipPast(at + std::strlen("<else>"), "</sel>", nullptr);
  } else if (Has(at, "<br>")) {
    SkipTag(at);
    if (!mStopped) NewLine(1);
    return;
  } else if (Has(at, "<p")) {
    SkipTag(at);
    if (!mStopped) NewLine(2);
    return;
  }
  SkipTag(at);
}

bool Layout::StyleTag(size_t at) {
  if (Has(at, "<b>")) {
    s.flags |= kTextBold;
  } else if (Has(at, "</b>")) {
    s.flags &= ~kTextBold;
  } else if (Has(at, "<i>")) {
    s.flags |= kTextItalic;
  } else if (Has(at, "</i>")) {
    s.flags &= ~kTextItalic;
  } else if (Has(at, "<shadow>")) {
    s.flags |= kTextShadow;
  } else if (Has(at, "</shadow>")) {
    s.flags &= ~kTextShadow;
  } else if (Has(at, "<glow>")) {
    s.glow = 1.0;
  } else if (Has(at, "<glow ")) {
    double amount = 0.0;
    const size_t number = at + std::strlen("<glow ");
    if (!ReadNumber(mText + number, mEnd - number, amount)) amount = 0.0;
    // More than one is no brighter; past it the passes only cost time.
    s.glow = std::clamp(amount, 0.0, 1.0);
  } else if (Has(at, "</glow>")) {
    s.glow = 0.0;
  } else if (Has(at, "<sub>")) {
    k.pen[1] += b.GetDescender(s.font, 0) * GlyphScale();
    s.size *= kScriptShrink;
  } else if (Has(at, "</sub>")) {
    s.size = std::min(s.size * kScriptGrow, mBaseSize * kMaxSizeFactor);
    k.pen[1] -= b.GetDescender(s.font, 0) * GlyphScale();
  } else if (Has(at, "<sup>")) {
    k.pen[1] += 0.5 * b.GetAscender(s.font, 0) * GlyphScale();
    s.size *= kScriptShrink;
  } else if (Has(at, "</sup>")) {
    s.size = std::min(s.size * kScriptGrow, mBaseSize * kMaxSizeFactor);
    k.pen[1] -= 0.5 * b.GetAscender(s.font, 0) * GlyphScale();
  } else {
    return false;
  }
  return true;
}

void Layout::SkipTag(size_t from) {
  const void* close = std::memchr(mText + from, '>', mEnd - from);
  if (!close) return Stop();
  k.pos = static_cast<size_t>(static_cast<const char*>(close) - mText) + 1;
}

void Layout::SkipPast(size_t from, const char* first, const char* second) {
  for (size_t p = from; p < mEnd; ++p) {
    if (mText[p] != '<') continue;
    if (Has(p, first)) {
      k.pos = p + std::strlen(first);
      return;
    }
    if (second && Has(p, second)) {
      k.pos = p + std::strlen(second);
      return;
    }
  }
  Stop();
}

void Layout::FontTag(size_t p) {
  if (s.fontCount < kTextMaxFontStack) {
    State::Frame& frame = s.fonts[s.fontCount];
    frame.font = s.font;
    frame.size = s.size;
    std::copy(s.rgba, s.rgba + 4, frame.rgba);
  }
  ++s.fontCount;
  while (p < mEnd && mText[p] != '>') {
    if (IsBlankOrTab(mText[p])) {
      ++p;
      continue;
    }
    const size_t rest = mEnd - p;
    const char* a = mText + p;
    const size_t attribute = p;
    if (HasPrefix(a, rest, "color=")) {
      p += std::strlen("color=");
      if (mEnd - p >= 7 && mText[p] == '#') {
        float rgb[3];
        for (int i = 0; i < 3; ++i) {
          const int value = DigitValue(mText[p + 1 + 2 * i]) * 16 + DigitValue(mText[p + 2 + 2 * i]);
          rgb[i] = std::clamp(static_cast<float>(value) / 255.0f, 0.0f, 1.0f);
        }
        std::copy(rgb, rgb + 3, s.rgba);
      } else {
        static const struct {
          const char* name;
          float rgb[3];
        } kNames[] = {{"red", {1, 0, 0}},       {"green", {0, 1, 0}}, {"blue", {0, 0, 1}}, {"yellow", {1, 1, 0}},
                      {"orange", {1, 0.5f, 0}}, {"white", {1, 1, 1}}, {"black", {0, 0, 0}}};
        size_t word = p;
        while (word < mEnd && !IsBlankOrTab(mText[word]) && mText[word] != '>') ++word;
        for (const auto& named : kNames) {
          if (word - p == std::strlen(named.name) && StrCompareNNoCase(mText + p, named.name, word - p) == 0) {
            std::copy(named.rgb, named.rgb + 3, s.rgba);
          }
        }
      }
    } else if (HasPrefix(a, rest, "size=")) {
      p += std::strlen("size=");
      if (p < mEnd && mText[p] == '"') ++p;
      double n = 0.0;
      if (p < mEnd && ReadNumber(mText + p, mEnd - p, n)) {
        if (mText[p] == '+' || mText[p] == '-') {
          s.size *= std::pow(1.5, std::clamp(n, -kMaxSizeSteps, kMaxSizeSteps));
        } else {
          s.size = mBaseSize * std::clamp(n, 0.0, kMaxSizeFactor);
        }
        s.size = std::min(s.size, mBaseSize * kMaxSizeFactor);
      }
    } else if (HasPrefix(a, rest, "res=")) {
      double n = 0.0;
      p += std::strlen("res=");
      if (p < mEnd && ReadNumber(mText + p, mEnd - p, n)) {
        s.resolution = static_cast<int>(std::clamp(n, double{kTextMinResolution}, double{kTextMaxResolution}));
      }
    } else if (HasPrefix(a, rest, "face=\"")) {
      p += std::strlen("face=\"");
      const void* quote = std::memchr(mText + p, '"', mEnd - p);
      if (!quote) return Stop();
      const size_t close = static_cast<size_t>(static_cast<const char*>(quote) - mText);
      if (TextFont font = b.GetFont(mText + p, close - p, s.resolution)) {
        s.font = font;
        b.UseFont(font);
      }
      p = close + 1;
      continue;
    }
    // On to the next attribute; a quoted value may hold blanks.
    p = attribute;
    bool quoted = false;
    while (p < mEnd && (quoted || (!IsBlankOrTab(mText[p]) && mText[p] != '>'))) {
      if (mText[p] == '"') quoted = !quoted;
      ++p;
    }
  }
  if (p >= mEnd) return Stop();
  k.pos = p + 1;
}

void Layout::PopFont() {
  if (s.fontCount <= 0) return;
  --s.fontCount;
  if (s.fontCount < kTextMaxFontStack) {
    const State::Frame& frame = s.fonts[s.fontCount];
    if (frame.font != s.font) b.UseFont(frame.font);
    s.font = frame.font;
    s.size = frame.size;
    std::copy(frame.rgba, frame.rgba + 4, s.rgba);
  }
  s.resolution = b.GetDefaultResolution();
}

void Layout::LinkTag(size_t p) {
  k.linkTarget.clear();
  k.linkId = -1;
  bool targetRead = false;
  while (p < mEnd && mText[p] != '>' && !targetRead) {
    if (IsBlankOrTab(mText[p])) {
      ++p;
      continue;
    }
    const size_t rest = mEnd - p;
    if (HasPrefix(mText + p, rest, "href=\"")) {
      p += std::strlen("href=\"");
      const void* quote = std::memchr(mText + p, '"', mEnd - p);
      if (!quote) return Stop();
      const size_t close = static_cast<size_t>(static_cast<const char*>(quote) - mText);
      k.linkTarget.assign(mText + p, close - p);
      // The target ends the attributes.
      p = close + 1;
      targetRead = true;
      continue;
    }
    if (HasPrefix(mText + p, rest, "id=")) {
      p += std::strlen("id=");
      if (p < mEnd && mText[p] == '"') ++p;
      double n = 0.0;
      if (p < mEnd && ReadNumber(mText + p, mEnd - p, n)) {
        k.linkId = static_cast<int>(std::clamp(n, -1.0, double{std::numeric_limits<int>::max()}));
      }
    } else if (HasPrefix(mText + p, rest, "noColor")) {
      s.flags |= kTextLinkNoColor;
    }
    while (p < mEnd && !IsBlankOrTab(mText[p]) && mText[p] != '>') ++p;
  }
  SkipTag(p);
  if (mStopped) return;
  s.flags |= kTextInLink;
  if (Drawing() && !mMeasuring) b.BeginLink(k.linkTarget, k.linkId, mLinkValue);
}

void Layout::Entity() {
  const size_t at = k.pos;
  const void* semicolon = std::memchr(mText + at, ';', mEnd - at);
  if (!semicolon) return Stop();
  if (mByteLimit != kNone && at >= mByteLimit && !mMeasuring) return Stop();
  const size_t end = static_cast<size_t>(static_cast<const char*>(semicolon) - mText);
  const char* name = mText + at + 1;
  const size_t length = end - at - 1;
  static const struct {
    const char* name;
    const char* text;
  } kEntities[] = {{"gt", ">"}, {"lt", "<"}, {"amp", "&"}, {"copy", "\xC2\xA9"}, {"deg", "\xC2\xB0"}, {"ccedil", "c"}};
  std::string text = " ";
  for (const auto& entity : kEntities) {
    if (length == std::strlen(entity.name) && StrCompareNNoCase(name, entity.name, length) == 0) text = entity.text;
  }
  LayOut(text, at, end + 1, false);
  if (!mMeasuring || mBreakPos == kNone) k.pos = end + 1;
}

void Layout::PlainText() {
  const size_t at = k.pos;
  size_t end = at;
  while (end < mEnd && mText[end] != '\n' && mText[end] != '\r' && mText[end] != '<' && mText[end] != '&') ++end;
  if (mLimitPos != kNone) end = std::min(end, mLimitPos);
  size_t cut = end;
  bool last = false;
  if (mByteLimit != kNone && !mMeasuring && !(s.flags & kTextMeasuringLine)) {
    if (at >= mByteLimit) return Stop();
    if (end > mByteLimit) {
      cut = mByteLimit;
      last = true;
    }
  }
  // A character cut short by the end of the text ends the text before it.
  size_t clean = cut;
  if (cut == mEnd) {
    for (size_t back = 1; back <= 3 && back <= cut - at; ++back) {
      const unsigned char* lead = reinterpret_cast<const unsigned char*>(mText + cut - back);
      if (IsCutShort(lead, back)) {
        clean = cut - back;
        break;
      }
    }
  }
  const std::string text = CleanUtf8(mText + at, clean - at);
  k.pos = end;
  LayOut(text, at, clean, k.atLineStart);
  if (last || clean < cut) Stop();
}

// ---- Lines and runs -----------------------------------------------------------------------

void Layout::NewLine(int count) {
  for (int i = 0; i < count; ++i) {
    k.pen[0] = s.left;
    k.pen[1] -= LineHeight();
  }
  k.atLineStart = true;
  k.lineHoldsWord = false;
  k.lineHasText = false;
  k.pendingListIndent = s.listDepth > 0;
}

void Layout::LayOut(const std::string& clean, size_t from, size_t to, bool skipLeadingBlanks) {
  const char* text = clean.data();
  size_t n = clean.size();
  size_t i = 0;
  if (skipLeadingBlanks) {
    while (i < n && IsBlankOrTab(text[i])) ++i;
    if (i == n) return;
  }
  if (i < n && k.pendingListIndent && s.listDepth > 0) {
    const int blanks = kListIndentPerLevel * std::min(s.listDepth, kTextMaxListDepth) + kListIndentExtra;
    const std::string indent(static_cast<size_t>(blanks), ' ');
    k.pen[0] += b.GetAdvance(s.font, s.flags & kTextStyleMask, indent.data(), indent.size()) * GlyphScale();
  }
  k.pendingListIndent = false;
  if (i == n) return;
  k.atLineStart = false;

  const uint32_t style = s.flags & kTextStyleMask;
  const double scale = GlyphScale();
  const bool wrap = !(s.flags & kTextNoWidthLimit) && mWidth >= 0.0;
  const bool measureBreak = mMeasuring && mWidth >= 0.0;
  const double limit = s.left + mWidth;
  // The piece being built starts at `start`; words are runs of non-blanks.
  size_t start = i;
  while (i < n) {
    size_t wordStart = i;
    while (wordStart < n && IsBlankOrTab(text[wordStart])) ++wordStart;
    if (wordStart == n) break;
    size_t wordEnd = wordStart;
    while (wordEnd < n && !IsBlankOrTab(text[wordEnd])) ++wordEnd;
    const double advance = b.GetAdvance(s.font, style, text + start, wordEnd - start) * scale;
    const bool beyond = k.pen[0] + advance > limit;
    // A measured line breaks only after a word, so that every line takes one.
    if (measureBreak ? beyond && k.lineHoldsWord : wrap && beyond && (k.lineHoldsWord || k.pen[0] > limit)) {
      // What the line holds, without the blanks before the word.
      size_t pieceEnd = wordStart;
      while (pieceEnd > start && IsBlankOrTab(text[pieceEnd - 1])) --pieceEnd;
      if (measureBreak) {
        // The measured line ends before this word; the real pass breaks there.
        if (pieceEnd > start) {
          Piece(text + start, pieceEnd - start, b.GetAdvance(s.font, style, text + start, pieceEnd - start) * scale);
        }
        const size_t inText = from + wordStart;
        mBreakPos = clean.size() == to - from ? std::min(inText, to) : from;
        return;
      }
      if (pieceEnd > start) {
        Piece(text + start, pieceEnd - start, b.GetAdvance(s.font, style, text + start, pieceEnd - start) * scale);
      }
      NewLine(1);
      k.atLineStart = false;
      start = wordStart;
      i = wordStart;
      continue;
    }
    k.lineHoldsWord = true;
    i = wordEnd;
  }
  if (start < n) Piece(text + start, n - start, b.GetAdvance(s.font, style, text + start, n - start) * scale);
}

void Layout::RunColor(float* rgba) const {
  std::copy(s.rgba, s.rgba + 4, rgba);
  if ((s.flags & kTextInLink) && !(s.flags & kTextLinkNoColor)) {
    if (rgba[2] > kLinkBlueLimit) {
      rgba[0] = rgba[1] = 0.0f;
    }
    rgba[2] = 1.0f;
  }
}

void Layout::Piece(const char* text, size_t length, double advance) {
  const uint32_t style = s.flags & kTextStyleMask;
  const double scale = GlyphScale();
  double pen[3] = {k.pen[0], k.pen[1], k.pen[2]};
  if (!mMeasuring && mWidth >= 0.0) {
    // A run aligned by itself within the width.
    if (s.flags & kTextCentre) pen[0] = s.left + (mWidth - advance) / 2.0;
    if (s.flags & kTextRight) pen[0] = s.left + mWidth - advance;
  }
  k.lineHasText = true;
  if (!(s.flags & kTextMeasuringLine)) {
    double box[4];
    b.GetBounds(s.font, style, text, length, box);
    const double placed[4] = {pen[0] + box[0] * scale, pen[1] + box[1] * scale, pen[0] + box[2] * scale,
                              pen[1] + box[3] * scale};
    Widen(mBoxMin, mBoxMax, placed);
    if (Drawing()) {
      float rgba[4], top[4], bottom[4];
      RunColor(rgba);
      b.GetCornerColors(s.font, rgba, top, bottom);
      if (s.flags & kTextShadow) {
        const float alpha = rgba[3] * b.GetShadowAlpha(s.font);
        const float black[4] = {0.0f, 0.0f, 0.0f, alpha};
        const double resolution = b.GetResolution(s.font);
        const double shadow[3] = {pen[0] + kShadowOffsetX * resolution * scale,
                                  pen[1] + kShadowOffsetY * resolution * scale, pen[2]};
        DrawPiece(TextPieceKind::Shadow, text, length, shadow, scale, black, black);
        pen[2] += kShadowDepth * scale;
      }
      DrawPiece(TextPieceKind::Text, text, length, pen, scale, top, bottom);
      const double glow = std::clamp(s.glow, 0.0, 1.0);
      if (glow > 0.0) {
        const double centre[2] = {(placed[0] + placed[2]) / 2.0, (placed[1] + placed[3]) / 2.0};
        for (int k = 0;; ++k) {
          const double t = k * kGlowStep;
          if (t >= glow) break;
          const double grow = 1.0 + kGlowGrowth * (t + kGlowStep);
          const double at[3] = {centre[0] + (pen[0] - centre[0]) * grow, centre[1] + (pen[1] - centre[1]) * grow,
                                pen[2] + kGlowDepth * scale};
          const float blend = static_cast<float>(std::min(t, 1.0));
          float colour[4];
          for (int c = 0; c < 3; ++c) colour[c] = rgba[c] + (kGlowColor[c] - rgba[c]) * blend;
          double alpha = (1.0 - t) * glow * rgba[3];
          if (t + kGlowStep >= glow) alpha *= (glow - t) / kGlowStep;
          colour[3] = static_cast<float>(alpha);
          DrawPiece(TextPieceKind::Glow, text, length, at, scale * grow, colour, colour);
        }
      }
    }
  }
  k.pen[0] = pen[0] + advance;
}

void Layout::DrawPiece(TextPieceKind kind, const char* text, size_t length, const double* pen, double scale,
                       const float* top, const float* bottom) {
  TextPiece piece;
  piece.kind = kind;
  piece.font = s.font;
  piece.style = s.flags & kTextStyleMask;
  piece.text = text;
  piece.length = length;
  std::copy(pen, pen + 3, piece.pen);
  piece.scale = scale;
  std::copy(top, top + 4, piece.top);
  std::copy(bottom, bottom + 4, piece.bottom);
  piece.linkTarget = &k.linkTarget;
  piece.linkId = (s.flags & kTextInLink) ? k.linkId : -1;
  b.DrawPiece(piece);
}

}  // namespace detail_HtmlText

void TextBackend::GetCornerColors(TextFont, const float* rgba, float* top, float* bottom) {
  std::copy(rgba, rgba + 4, top);
  std::copy(rgba, rgba + 4, bottom);
}

float TextBackend::GetShadowAlpha(TextFont) {
  return 0.5f;
}

void TextBackend::GetStartColor(float* rgba) {
  std::fill(rgba, rgba + 4, 1.0f);
}

double TextLayout::DrawHtml(double* pen, double size, double width, const char* text, uint32_t flags, float* boxMin,
                            float* boxMax, int charLimit, intptr_t linkValue) {
  if (!pen || !text) return 0.0;
  detail_HtmlText::Layout layout(mBackend, text, std::strlen(text));
  return layout.Html(pen, size, width, flags, boxMin, boxMax, charLimit, linkValue);
}

void TextLayout::DrawRun(TextFont font, double* pen, double size, double left, double width, const float* rgba,
                         uint32_t flags, const char* text, size_t length, float* boxMin, float* boxMax) {
  if (!pen || !text || !rgba) return;
  detail_HtmlText::Layout layout(mBackend, text, length);
  layout.Run(font, pen, size, left, width, rgba, flags, boxMin, boxMax);
}

std::string CleanUtf8(const char* text, size_t length) {
  using namespace detail_HtmlText;
  std::string out;
  out.reserve(length);
  const unsigned char* s = reinterpret_cast<const unsigned char*>(text);
  size_t i = 0;
  while (i < length) {
    const int n = SequenceLength(s[i]);
    if (n > 0 && IsWholeCharacter(s + i, length - i, n)) {
      out.append(text + i, static_cast<size_t>(n));
      i += static_cast<size_t>(n);
    } else if (IsCutShort(s + i, length - i)) {
      break;
    } else {
      out += '?';
      ++i;
    }
  }
  return out;
}

}  // namespace corvia
