#pragma once
// A text backend with metrics simple enough to lay text out by hand: glyphs made at
// a resolution of 10 (a font unit is a tenth of the size), every character 6 units
// wide (7 in bold), ascender 8, descender -2, line height 10. It records the
// pieces it is given, the links started and the trace lines.

#include <cmath>
#include <string>
#include <vector>

#include "core/HtmlText.h"

namespace corvia::testing {

class FakeTextBackend : public TextBackend {
 public:
  struct Font {
    std::string name;
    int resolution = 10;
  };
  struct Piece {
    TextPieceKind kind;
    std::string font;
    uint32_t style;
    std::string text;
    double pen[3];
    double scale;
    float top[4];
    float bottom[4];
    std::string linkTarget;
    int linkId;
  };
  struct Link {
    std::string target;
    int id;
    intptr_t value;
  };

  Font defaultFont{"Arial", 10};
  Font otherFont{"Times", 10};
  bool hasDefault = true;
  float startColor[4] = {1, 1, 1, 1};

  std::vector<Piece> pieces;
  std::vector<Link> links;
  int linksEnded = 0;
  std::vector<std::string> trace;
  std::vector<std::string> fontsAsked;

  // The pieces of one kind, in order.
  std::vector<Piece> Of(TextPieceKind kind) const {
    std::vector<Piece> out;
    for (const Piece& p : pieces) {
      if (p.kind == kind) out.push_back(p);
    }
    return out;
  }
  std::vector<Piece> Texts() const { return Of(TextPieceKind::Text); }

  static double CharWidth(uint32_t style) { return (style & kTextBold) ? 7.0 : 6.0; }
  // UTF-8 characters of a text.
  static int Characters(const char* text, size_t length) {
    int n = 0;
    for (size_t i = 0; i < length; ++i) n += (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80;
    return n;
  }

  TextFont GetDefaultFont() override { return hasDefault ? &defaultFont : nullptr; }
  TextFont GetFont(const char* faceList, size_t length, int resolution) override {
    fontsAsked.emplace_back(faceList, length);
    if (std::string(faceList, length) != otherFont.name) return nullptr;
    otherFont.resolution = resolution;
    return &otherFont;
  }
  int GetDefaultResolution() override { return 10; }
  double GetFontScale(TextFont font) override { return 1.0 / static_cast<const Font*>(font)->resolution; }
  int GetResolution(TextFont font) override { return static_cast<const Font*>(font)->resolution; }
  double GetAscender(TextFont, uint32_t) override { return 8.0; }
  double GetDescender(TextFont, uint32_t) override { return -2.0; }
  double GetLineHeight(TextFont, uint32_t) override { return 10.0; }
  double GetAdvance(TextFont, uint32_t style, const char* text, size_t length) override {
    return CharWidth(style) * Characters(text, length);
  }
  void GetBounds(TextFont font, uint32_t style, const char* text, size_t length, double* box) override {
    box[0] = 0.0;
    box[1] = GetDescender(font, style);
    box[2] = GetAdvance(font, style, text, length);
    box[3] = GetAscender(font, style);
  }
  void GetStartColor(float* rgba) override {
    for (int i = 0; i < 4; ++i) rgba[i] = startColor[i];
  }
  void DrawPiece(const TextPiece& piece) override {
    Piece p{piece.kind,
            static_cast<const Font*>(piece.font)->name,
            piece.style,
            std::string(piece.text, piece.length),
            {piece.pen[0], piece.pen[1], piece.pen[2]},
            piece.scale,
            {piece.top[0], piece.top[1], piece.top[2], piece.top[3]},
            {piece.bottom[0], piece.bottom[1], piece.bottom[2], piece.bottom[3]},
            piece.linkTarget ? *piece.linkTarget : std::string(),
            piece.linkId};
    pieces.push_back(p);
  }
  void BeginLink(const std::string& target, int id, intptr_t value) override { links.push_back({target, id, value}); }
  void EndLink() override { ++linksEnded; }
  void Trace(const char* line) override { trace.emplace_back(line); }
};

}  // namespace corvia::testing
