// Marked-up text laid out against fixed metrics (FakeTextBackend.h: a character is
// 0.6 wide at size 1, 0.7 in bold; lines are 1 apart): line breaks, alignment,
// mark-up spans, lists, links and their rectangles, and hostile text.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "core/HtmlText.h"
#include "tests/core/FakeTextBackend.h"

namespace test_HtmlText {

using corvia::TextPieceKind;
using corvia::testing::FakeTextBackend;

constexpr double kTol = 1e-9;

struct Laid {
  FakeTextBackend backend;
  double pen[3] = {0, 0, 0};
  float boxMin[2] = {std::numeric_limits<float>::max(), std::numeric_limits<float>::max()};
  float boxMax[2] = {-std::numeric_limits<float>::max(), -std::numeric_limits<float>::max()};
  double height = 0.0;

  std::vector<FakeTextBackend::Piece> Draw(const std::string& text, double width = -1.0, uint32_t flags = 0,
                                           int charLimit = -1, double size = 1.0) {
    corvia::TextLayout layout(backend);
    height = layout.DrawHtml(pen, size, width, text.c_str(), flags, boxMin, boxMax, charLimit, 77);
    return backend.Texts();
  }
};

// The texts of the pieces, joined by "|".
std::string Joined(const std::vector<FakeTextBackend::Piece>& pieces) {
  std::string out;
  for (const auto& p : pieces) out += (out.empty() ? "" : "|") + p.text;
  return out;
}

#define EXPECT_AT(piece, x, y)                              \
  do {                                                      \
    EXPECT_NEAR((piece).pen[0], (x), kTol) << (piece).text; \
    EXPECT_NEAR((piece).pen[1], (y), kTol) << (piece).text; \
  } while (0)

TEST(HtmlText, WordsWrapAtTheWidthAndLinesGoDownALineHeight) {
  Laid t;
  auto p = t.Draw("Hello world again", 4.0);
  ASSERT_EQ(Joined(p), "Hello|world|again");
  EXPECT_AT(p[0], 0.0, 0.0);
  EXPECT_AT(p[1], 0.0, -1.0);
  EXPECT_AT(p[2], 0.0, -2.0);
  // Two lines down, and the last line holds text.
  EXPECT_NEAR(t.height, 3.0, kTol);
  EXPECT_NEAR(t.pen[0], 3.0, kTol);
  EXPECT_NEAR(t.pen[1], -2.0, kTol);
  EXPECT_NEAR(t.boxMin[0], 0.0, 1e-6);
  EXPECT_NEAR(t.boxMin[1], -2.2, 1e-6);
  EXPECT_NEAR(t.boxMax[0], 3.0, 1e-6);
  EXPECT_NEAR(t.boxMax[1], 0.8, 1e-6);

  // A negative width never wraps; a word longer than the width stands alone.
  Laid wide;
  EXPECT_EQ(Joined(wide.Draw("Hello world again and again", -1.0)), "Hello world again and again");
  Laid narrow;
  p = narrow.Draw("a verylongword b", 2.0);
  ASSERT_EQ(Joined(p), "a|verylongword|b");
  EXPECT_AT(p[2], 0.0, -2.0);
}

TEST(HtmlText, LineFeedsBreaksAndParagraphs) {
  Laid t;
  auto p = t.Draw("a\nb<br>c<p>d<P class=x>e");
  ASSERT_EQ(Joined(p), "a|b|c|d|e");
  EXPECT_AT(p[1], 0.0, -1.0);
  EXPECT_AT(p[2], 0.0, -2.0);
  EXPECT_AT(p[3], 0.0, -4.0);
  EXPECT_AT(p[4], 0.0, -6.0);
  EXPECT_NEAR(t.height, 7.0, kTol);
  // Carriage returns vanish; blanks at the start of a line are skipped.
  Laid r;
  p = r.Draw("a\r\n   b");
  ASSERT_EQ(Joined(p), "a|b");
  EXPECT_AT(p[1], 0.0, -1.0);
  // A text ending in a break adds no line for it.
  Laid end;
  end.Draw("a<br>");
  EXPECT_NEAR(end.height, 1.0, kTol);
}

TEST(HtmlText, AlignedLinesAndBlocks) {
  Laid centre;
  auto p = centre.Draw("x<center>ab</center>", 10.0);
  ASSERT_EQ(Joined(p), "x|ab");
  // A centred block starts a line, and "ab" (1.2 wide) is centred in the 10.
  EXPECT_AT(p[1], 4.4, -1.0);
  Laid right;
  p = right.Draw("<right>ab</right>", 10.0);
  EXPECT_AT(p[0], 8.8, 0.0);
  // The whole text, line by line.
  Laid whole;
  p = whole.Draw("ab<br>abcd", 10.0, corvia::kTextCentre);
  ASSERT_EQ(Joined(p), "ab|abcd");
  EXPECT_AT(p[0], 4.4, 0.0);
  EXPECT_AT(p[1], 3.8, -1.0);
  Laid wholeRight;
  p = wholeRight.Draw("ab", 10.0, corvia::kTextRight);
  EXPECT_AT(p[0], 8.8, 0.0);
  // Wrapped lines are centred each on its own, without the blanks at the break.
  Laid wrapped;
  p = wrapped.Draw("aaa bbb ccc", 4.0, corvia::kTextCentre);
  ASSERT_EQ(Joined(p), "aaa |bbb |ccc");
  EXPECT_AT(p[0], 1.1, 0.0);
  EXPECT_AT(p[1], 1.1, -1.0);
  EXPECT_AT(p[2], 1.1, -2.0);
  // A line of several spans is measured whole.
  Laid spans;
  p = spans.Draw("<center>a<b>b</b></center>", 10.0);
  ASSERT_EQ(Joined(p), "a|b");
  EXPECT_AT(p[0], (10.0 - 1.3) / 2, 0.0);
  EXPECT_AT(p[1], (10.0 - 1.3) / 2 + 0.6, 0.0);
  // A second centred block inside the first is reported and centring goes on.
  Laid nested;
  p = nested.Draw("<center><center>ab</center>", 10.0);
  EXPECT_AT(p[0], 4.4, 0.0);
  EXPECT_EQ(nested.backend.trace, std::vector<std::string>{"Nested <center> or <right>!"});
}

TEST(HtmlText, SpansOfStyleColourSizeAndFace) {
  Laid t;
  auto p = t.Draw("a<b>b</b>c<i>d</i>");
  ASSERT_EQ(Joined(p), "a|b|c|d");
  EXPECT_EQ(p[0].style, 0u);
  EXPECT_EQ(p[1].style, corvia::kTextBold);
  EXPECT_EQ(p[2].style, 0u);
  EXPECT_EQ(p[3].style, corvia::kTextItalic);
  EXPECT_AT(p[1], 0.6, 0.0);
  EXPECT_AT(p[2], 1.3, 0.0);

  Laid colour;
  p = colour.Draw("<color=#ff8000>x</font>y<font color=green>z");
  ASSERT_EQ(Joined(p), "x|y|z");
  EXPECT_FLOAT_EQ(p[0].top[0], 1.0f);
  EXPECT_FLOAT_EQ(p[0].top[1], 128.0f / 255.0f);
  EXPECT_FLOAT_EQ(p[0].top[2], 0.0f);
  EXPECT_FLOAT_EQ(p[1].top[1], 1.0f);
  EXPECT_FLOAT_EQ(p[2].top[0], 0.0f);
  EXPECT_FLOAT_EQ(p[2].top[1], 1.0f);

  // +1 inside +1 is 2.25 times the size; two closings bring the first size back.
  Laid size;
  p = size.Draw("<size=+1><size=+1>x</font></font>y<size=\"-1\">z</font><size=3>w");
  ASSERT_EQ(Joined(p), "x|y|z|w");
  EXPECT_NEAR(p[0].scale, 0.1 * 2.25, kTol);
  EXPECT_NEAR(p[1].scale, 0.1, kTol);
  EXPECT_NEAR(p[2].scale, 0.1 / 1.5, kTol);
  EXPECT_NEAR(p[3].scale, 0.3, kTol);
  EXPECT_AT(p[1], 0.6 * 2.25, 0.0);

  // A face that loads becomes current, at the tag's resolution; one that does not is
  // ignored.
  Laid face;
  p = face.Draw("<font res=20 face=\"Times\">x</font>y<face=\"Nope\">z");
  ASSERT_EQ(Joined(p), "x|y|z");
  EXPECT_EQ(p[0].font, "Times");
  EXPECT_NEAR(p[0].scale, 0.05, kTol);
  EXPECT_EQ(p[1].font, "Arial");
  EXPECT_EQ(p[2].font, "Arial");
  EXPECT_EQ(face.backend.fontsAsked, (std::vector<std::string>{"Times", "Nope"}));

  // The start colour is the caller's.
  Laid start;
  start.backend.startColor[1] = 0.25f;
  p = start.Draw("x");
  EXPECT_FLOAT_EQ(p[0].top[1], 0.25f);
}

TEST(HtmlText, EntitiesLiteralsChoicesAndOtherTags) {
  Laid t;
  // The entities around b draw the three characters, not a bold tag.
  auto p = t.Draw("&lt;b&gt;");
  EXPECT_EQ(Joined(p), "<|b|>");
  for (const auto& piece : p) EXPECT_EQ(piece.style, 0u);
  Laid named;
  EXPECT_EQ(Joined(named.Draw("&copy;&DEG;&amp;&ccedil;&nope;x")), "\xC2\xA9|\xC2\xB0|&|c| |x");
  Laid literal;
  EXPECT_EQ(Joined(literal.Draw("a<<b")), "a|<|b");
  Laid other;
  EXPECT_EQ(Joined(other.Draw("<foo bar=1>x</foo>")), "x");
  Laid chosen;
  EXPECT_EQ(Joined(chosen.Draw("<sel>A<else>B</sel>C", -1, corvia::kTextSelected)), "A|C");
  Laid other2;
  EXPECT_EQ(Joined(other2.Draw("<sel>A<else>B</sel>C")), "B|C");
  Laid noElse;
  EXPECT_EQ(Joined(noElse.Draw("<sel>A</sel>C")), "C");
}

TEST(HtmlText, ShadowGlowAndScripts) {
  Laid shadow;
  shadow.Draw("<shadow>x</shadow>");
  auto shadows = shadow.backend.Of(TextPieceKind::Shadow);
  ASSERT_EQ(shadows.size(), 1u);
  // 0.08 and -0.04 of the resolution, in glyph units: 0.08 and -0.04 at size 1.
  EXPECT_AT(shadows[0], 0.08, -0.04);
  EXPECT_FLOAT_EQ(shadows[0].top[0], 0.0f);
  EXPECT_FLOAT_EQ(shadows[0].top[3], 0.5f);
  ASSERT_EQ(shadow.backend.pieces.size(), 2u);
  EXPECT_EQ(shadow.backend.pieces[0].kind, TextPieceKind::Shadow);
  EXPECT_NEAR(shadow.backend.pieces[1].pen[2], 0.01, kTol);

  // A glow of 0.5: three passes, each larger, the last one faded.
  Laid glow;
  glow.Draw("<glow 0.5>x</glow>y");
  auto passes = glow.backend.Of(TextPieceKind::Glow);
  ASSERT_EQ(passes.size(), 3u);
  const double t[3] = {0.0, 0.18, 0.36};
  for (int i = 0; i < 3; ++i) {
    EXPECT_NEAR(passes[i].scale, 0.1 * (1 + 0.25 * (t[i] + 0.18)), 1e-12);
    EXPECT_NEAR(passes[i].top[0], 1.0 - 0.3 * t[i], 1e-6);
  }
  EXPECT_NEAR(passes[0].top[3], 0.5, 1e-6);
  EXPECT_NEAR(passes[1].top[3], 0.82 * 0.5, 1e-6);
  EXPECT_NEAR(passes[2].top[3], 0.64 * 0.5 * (0.5 - 0.36) / 0.18, 1e-6);
  // Larger about the glyph box's centre: (0.3, 0.3).
  EXPECT_NEAR(passes[2].pen[0], 0.3 - 0.3 * 1.135, 1e-9);
  EXPECT_EQ(glow.backend.Texts().size(), 2u);
  // However much glow is asked for, it is never more than one.
  Laid bright;
  bright.Draw("<glow 1000>x");
  EXPECT_EQ(bright.backend.Of(TextPieceKind::Glow).size(), 6u);
  Laid full;
  full.Draw("<glow>x");
  EXPECT_EQ(full.backend.Of(TextPieceKind::Glow).size(), 6u);

  Laid scripts;
  auto p = scripts.Draw("x<sub>2</sub>y<sup>3</sup>z");
  ASSERT_EQ(Joined(p), "x|2|y|3|z");
  EXPECT_AT(p[1], 0.6, -0.2);
  EXPECT_NEAR(p[1].scale, 0.1 * 2 / 3, kTol);
  EXPECT_AT(p[2], 1.0, 0.0);
  EXPECT_AT(p[3], 1.6, 0.4);
  EXPECT_AT(p[4], 2.0, 0.0);
  EXPECT_NEAR(p[4].scale, 0.1, kTol);
}

TEST(HtmlText, ListsAndIndentation) {
  Laid numbered;
  auto p = numbered.Draw("<ol><li>a<li>b</ol>c");
  ASSERT_EQ(Joined(p), "    1. |a|    2. |b|c");
  EXPECT_AT(p[1], 4.2, 0.0);
  EXPECT_AT(p[2], 0.0, -1.0);
  EXPECT_AT(p[3], 4.2, -1.0);
  EXPECT_AT(p[4], 4.8, -1.0);
  // Bullets: "*" at odd depths, "-" at even ones; a line after a break inside a list
  // is indented by four blanks a level and three more.
  Laid bullets;
  p = bullets.Draw("<ul><li>a<br>b<ul><li>c</ul></ul>");
  ASSERT_EQ(Joined(p), "    * |a|b|        - |c");
  EXPECT_AT(p[2], 7 * 0.6, -1.0);
  EXPECT_AT(p[3], 0.0, -2.0);
  // Closings without openings change nothing.
  Laid stray;
  p = stray.Draw("</ul></ol><li>x");
  ASSERT_EQ(Joined(p), "- |x");

  Laid indent;
  p = indent.Draw("ab<in>cd<br>ef</in><br>gh</in>");
  ASSERT_EQ(Joined(p), "ab|cd|ef|gh");
  EXPECT_AT(p[2], 1.2, -1.0);
  EXPECT_AT(p[3], 0.0, -2.0);
  // Nine margins are kept; deeper ones still move the margin and are reported.
  Laid deep;
  std::string text;
  for (int i = 0; i < 12; ++i) text += "x<in>";
  deep.Draw(text);
  EXPECT_EQ(deep.backend.trace.size(), 3u);
}

TEST(HtmlText, LinksAndTheirRectangles) {
  Laid t;
  // The target ends the attributes: the id comes before it.
  auto p = t.Draw("go <a id=3 href=\"http://x/?a>b\" noColor>there</a> now", 20.0);
  ASSERT_EQ(Joined(p), "go |there| now");
  ASSERT_EQ(t.backend.links.size(), 1u);
  EXPECT_EQ(t.backend.links[0].target, "http://x/?a>b");
  EXPECT_EQ(t.backend.links[0].id, 3);
  EXPECT_EQ(t.backend.links[0].value, 77);
  EXPECT_EQ(t.backend.linksEnded, 1);
  EXPECT_EQ(p[1].linkTarget, "http://x/?a>b");
  EXPECT_EQ(p[1].linkId, 3);
  EXPECT_EQ(p[2].linkId, -1);
  // White turns blue inside the link.
  EXPECT_FLOAT_EQ(p[1].top[0], 0.0f);
  EXPECT_FLOAT_EQ(p[1].top[2], 1.0f);
  EXPECT_FLOAT_EQ(p[2].top[0], 1.0f);
  // The link's rectangle: from its pen over its glyph box.
  EXPECT_AT(p[1], 1.8, 0.0);
  EXPECT_NEAR(p[1].pen[0] + 5 * 0.6, 4.8, kTol);

  Laid red;
  p = red.Draw("<color=red><a>x</a>");
  EXPECT_FLOAT_EQ(p[0].top[0], 1.0f);
  EXPECT_FLOAT_EQ(p[0].top[2], 1.0f);
  Laid plain;
  p = plain.Draw("<a noColor id=\"5\">x</a>");
  EXPECT_FLOAT_EQ(p[0].top[0], 1.0f);
  EXPECT_EQ(p[0].linkId, 5);
  // Only drawing names links: measuring does not.
  Laid measured;
  measured.Draw("<a href=\"m\">x</a>", -1, corvia::kTextMeasureOnly);
  EXPECT_TRUE(measured.backend.links.empty());
  EXPECT_TRUE(measured.backend.pieces.empty());
  EXPECT_NEAR(measured.boxMax[0], 0.6, 1e-6);
  // A link in a centred line is named once, not once more for the measurement.
  Laid centred;
  centred.Draw("<center><a href=\"c\">x</a></center>", 10.0);
  EXPECT_EQ(centred.backend.links.size(), 1u);
}

TEST(HtmlText, HostileTextEndsCleanly) {
  const struct {
    const char* text;
    const char* drawn;
  } cases[] = {
      {"ab<b", "ab"},
      {"ab&amp", "ab"},
      {"ab\xE2\x82", "ab"},  // a character cut short at the end
      {"a\xFF"
       "b\xE2\x82"
       "c",
       "a?b??c"},  // bytes that begin no character
      {"<font face=\"Times", ""},
      {"a<a href=\"x>b", "a"},
      {"<sel>never closed", ""},
      {"x<glow abc>y", "x|y"},
      {"\xE2\x82\xAC \xE6\x97\xA5\xE6\x9C\xAC", "\xE2\x82\xAC \xE6\x97\xA5\xE6\x9C\xAC"},
  };
  for (const auto& c : cases) {
    Laid t;
    EXPECT_EQ(Joined(t.Draw(c.text)), c.drawn) << c.text;
  }
  // Sizes stay finite however often they grow.
  Laid big;
  std::string text;
  for (int i = 0; i < 2000; ++i) text += "</sub>";
  auto p = big.Draw(text + "<size=1e308>x<size=+1e300>y");
  ASSERT_EQ(p.size(), 2u);
  EXPECT_TRUE(std::isfinite(p[1].scale));
  EXPECT_LE(p[1].scale, 0.1 * 1000.0);
  EXPECT_TRUE(std::isfinite(big.pen[1]));
}

TEST(HtmlText, CharacterLimitEmptyTextAndNoFont) {
  Laid t;
  EXPECT_EQ(Joined(t.Draw("abcdef", -1, 0, 3)), "abc");
  Laid tags;
  EXPECT_EQ(Joined(tags.Draw("ab<b>cd</b>ef", -1, 0, 5)), "ab");
  Laid tags6;
  EXPECT_EQ(Joined(tags6.Draw("ab<b>cd</b>ef", -1, 0, 6)), "ab|c");
  Laid utf;
  EXPECT_EQ(Joined(utf.Draw("\xC3\xA9\xE2\x82\xACx", -1, 0, 2)), "\xC3\xA9\xE2\x82\xAC");

  Laid empty;
  EXPECT_EQ(empty.Draw("").size(), 0u);
  EXPECT_EQ(empty.height, 0.0);
  Laid none;
  none.backend.hasDefault = false;
  EXPECT_EQ(none.Draw("text").size(), 0u);
  EXPECT_EQ(none.height, 0.0);
}

TEST(HtmlText, PlainRunsWrapAndAlignInTheirWidth) {
  FakeTextBackend backend;
  corvia::TextLayout layout(backend);
  double pen[3] = {1, 0, 0};
  const float white[4] = {1, 1, 1, 1};
  const std::string text = "ab\ncd ef";
  layout.DrawRun(&backend.defaultFont, pen, 1.0, 1.0, 10.0, white, corvia::kTextCentre, text.data(), text.size(),
                 nullptr, nullptr);
  auto p = backend.Texts();
  ASSERT_EQ(Joined(p), "ab|cd ef");
  EXPECT_AT(p[0], 1.0 + 4.4, 0.0);
  EXPECT_AT(p[1], 1.0 + (10.0 - 3.0) / 2, -1.0);
}

TEST(HtmlText, CleanUtf8ReplacesWhatIsNoCharacter) {
  EXPECT_EQ(corvia::CleanUtf8("a\xC0\xAF"
                              "b",
                              4),
            "a??b");                                            // overlong
  EXPECT_EQ(corvia::CleanUtf8("\xED\xA0\x80", 3), "???");       // a surrogate
  EXPECT_EQ(corvia::CleanUtf8("\xF4\x90\x80\x80", 4), "????");  // past U+10FFFF
  EXPECT_EQ(corvia::CleanUtf8("\xF0\x9F\x98\x80", 4), "\xF0\x9F\x98\x80");
  EXPECT_EQ(corvia::CleanUtf8("ok\xF0\x9F", 4), "ok");
}

}  // namespace test_HtmlText
