#pragma once
// Marked-up text: the interpreter of the small mark-up language of labels and pane
// texts (colour, size, face, bold, italic, shadow, glow, sub- and superscripts,
// lists, indentation, alignment, links and a two-way choice) and its layout into
// pieces of plain text on lines, with word wrap and aligned lines.
//
// The layout knows nothing of OpenGL or of font files: it asks a backend for fonts
// and their metrics and hands it the pieces to draw. The renderer's backend draws
// them with textured glyphs; tests use one that measures with fixed widths.
//
// Text is UTF-8. The interpreter reads hostile text: an unterminated tag, entity or
// quoted value, or a character cut short at the end, ends the text where it
// starts; a byte that begins no character is drawn as "?"; nesting beyond the
// stacks' depths is counted but not stored.

#include <cstddef>
#include <cstdint>
#include <string>

namespace corvia {

// Style flags of marked-up text and of plain runs.
constexpr uint32_t kTextBold = 0x1;
constexpr uint32_t kTextItalic = 0x2;
constexpr uint32_t kTextInLink = 0x8;
constexpr uint32_t kTextLinkNoColor = 0x10;  // a link drawn in the run's own colour
constexpr uint32_t kTextMeasureOnly = 0x20;  // nothing drawn, the bounding box collected
constexpr uint32_t kTextNoWidthLimit = 0x40;
constexpr uint32_t kTextCentre = 0x80;
constexpr uint32_t kTextRight = 0x100;
constexpr uint32_t kTextShadow = 0x200;
constexpr uint32_t kTextMeasuringLine = 0x400;  // the measuring pass of an aligned line
constexpr uint32_t kTextSelected = 0x800;       // "<sel>" takes its first branch
constexpr uint32_t kTextStyleMask = kTextBold | kTextItalic;

// Depths of the interpreter's stacks.
constexpr int kTextMaxListDepth = 20;
constexpr int kTextMaxIndents = 10;
constexpr int kTextMaxFontStack = 20;

// Limits on what mark-up may ask for.
constexpr int kTextMinResolution = 8;
constexpr int kTextMaxResolution = 256;

// A font as the backend knows it.
using TextFont = const void*;

// What a piece of text is drawn as.
enum class TextPieceKind {
  Text,    // the text itself
  Shadow,  // its shadow, drawn first, behind it
  Glow,    // a glow pass around it, drawn after it without depth writes
};

// One piece of plain text on one line, ready to draw: the glyphs of text (valid
// UTF-8 without line ends) in the font's face for the style, from the pen (the
// start of the baseline), scaled by `scale` (world units per font unit), the upper
// corners of every glyph coloured `top` and the lower ones `bottom`.
struct TextPiece {
  TextPieceKind kind = TextPieceKind::Text;
  TextFont font = nullptr;
  uint32_t style = 0;
  const char* text = nullptr;
  size_t length = 0;
  double pen[3] = {0.0, 0.0, 0.0};
  double scale = 1.0;
  float top[4] = {1, 1, 1, 1};
  float bottom[4] = {1, 1, 1, 1};
  // The link the piece belongs to: its target and id (-1 none); an empty target and
  // id -1 outside links.
  const std::string* linkTarget = nullptr;
  int linkId = -1;
};

// What the layout needs of the world: fonts, metrics in font units (for a size of
// 1 multiply by GetFontScale), drawing, links and picking.
class TextBackend {
 public:
  virtual ~TextBackend() = default;

  // The font every text starts in; null when none can be had (nothing is drawn).
  virtual TextFont GetDefaultFont() = 0;
  // The font of a face list opened at a resolution; null when it does not load.
  virtual TextFont GetFont(const char* faceList, size_t length, int resolution) = 0;
  virtual int GetDefaultResolution() = 0;
  // World units per font unit at size 1.
  virtual double GetFontScale(TextFont font) = 0;
  // The resolution the font's glyphs were made at.
  virtual int GetResolution(TextFont font) = 0;
  virtual double GetAscender(TextFont font, uint32_t style) = 0;
  virtual double GetDescender(TextFont font, uint32_t style) = 0;
  virtual double GetLineHeight(TextFont font, uint32_t style) = 0;
  // The advance of the text from the start of its first glyph to the pen after it.
  virtual double GetAdvance(TextFont font, uint32_t style, const char* text, size_t length) = 0;
  // The box of the glyphs' ink: left, bottom, right, top.
  virtual void GetBounds(TextFont font, uint32_t style, const char* text, size_t length, double* box) = 0;
  // The corner colours of a run drawn in the font (its gradient or fade): top and
  // bottom from the run colour.
  virtual void GetCornerColors(TextFont font, const float* rgba, float* top, float* bottom);
  // The shadow's alpha as a part of the run's.
  virtual float GetShadowAlpha(TextFont font);
  // The colour every text starts in (white unless set).
  virtual void GetStartColor(float* rgba);

  // A text starts, or its current font changes.
  virtual void BeginText() {}
  virtual void UseFont(TextFont /*font*/) {}
  virtual void DrawPiece(const TextPiece& piece) = 0;
  // A link starts (the caller's value is handed on) or ends; only while drawing.
  virtual void BeginLink(const std::string& /*target*/, int /*id*/, intptr_t /*value*/) {}
  virtual void EndLink() {}
  // Lines of the diagnostic trace.
  virtual void Trace(const char* /*line*/) {}
};

// Lays out and draws marked-up text through a backend.
class TextLayout {
 public:
  explicit TextLayout(TextBackend& backend) : mBackend(backend) {}

  // Draws the text from the pen (x, y, z; read and advanced) at `size`, wrapping at
  // `width` (negative: no limit) beyond the pen's x. flags as above; boxMin and
  // boxMax (x and y each, may be null) are widened by every piece laid out, unless
  // measuring a line; charLimit (-1 for all) stops drawing after that many
  // characters of the text; linkValue goes with every link. Returns the height of
  // the text: how far the pen went down, plus a line when the last line holds text.
  double DrawHtml(double* pen, double size, double width, const char* text, uint32_t flags, float* boxMin,
                  float* boxMax, int charLimit, intptr_t linkValue);

  // Draws a run of plain text in one font with word wrap at left + width (line feeds
  // break lines; each line goes back to `left`), centred in the width with
  // kTextCentre, right-aligned with kTextRight, with its shadow with kTextShadow.
  void DrawRun(TextFont font, double* pen, double size, double left, double width, const float* rgba, uint32_t flags,
               const char* text, size_t length, float* boxMin, float* boxMax);

 private:
  TextBackend& mBackend;
};

// The UTF-8 text with every byte that begins no character replaced by "?"; a
// character cut short by the end of the text is dropped.
std::string CleanUtf8(const char* text, size_t length);

}  // namespace corvia
