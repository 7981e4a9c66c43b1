// The mark-up of the dialogs' rich-text boxes turned into runs and link ranges:
// formats, lists, entities, links, and malformed or hostile text.

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "core/Paths.h"
#include "core/RichTextMarkup.h"

namespace test_RichTextMarkup {

using namespace corvia;

constexpr uint32_t kBlack = 0;
constexpr int kDefaultHeight = 200;  // ten points

RichTextMarkup Parse(const char* text, long start = 0) { return ParseRichTextMarkup(text, kBlack, kDefaultHeight, start); }

std::string Joined(const RichTextMarkup& m) {
  std::string all;
  for (const auto& run : m.runs) all += run.text;
  return all;
}

// The run holding the character at a byte offset of the joined text.
const RichTextRun& RunAt(const RichTextMarkup& m, size_t offset) {
  for (const auto& run : m.runs) {
    if (offset < run.text.size()) return run;
    offset -= run.text.size();
  }
  static const RichTextRun none;
  return none;
}

TEST(RichTextMarkup, FormatsFollowTheirTags) {
  const auto m = Parse("<b><font color=#c00000>Warning:</font> No tour events selected.</b> <i>x</i>y");
  EXPECT_EQ(Joined(m), "Warning: No tour events selected. xy");
  const auto& warning = RunAt(m, 0);
  EXPECT_EQ(warning.effects, kRichTextBold);
  EXPECT_EQ(warning.colour, 0x0000c0u) << "red first in the text, lowest in the word";
  EXPECT_EQ(RunAt(m, 9).colour, kBlack) << "</font> gives the colour back";
  EXPECT_EQ(RunAt(m, 9).effects, kRichTextBold);
  EXPECT_EQ(RunAt(m, 34).effects, kRichTextItalic);
  EXPECT_EQ(RunAt(m, 35).effects, 0u);
}

TEST(RichTextMarkup, ColoursAndSizes) {
  auto m = Parse("<font color=#ff0000>r</font><font color=mauve>k</font><font color=RED>n</font>");
  EXPECT_EQ(RunAt(m, 0).colour, kRichTextRed);
  EXPECT_EQ(RunAt(m, 1).colour, kBlack) << "an unknown name keeps the colour";
  EXPECT_EQ(RunAt(m, 2).colour, kRichTextRed) << "names ignore case";

  m = Parse("a<font size=+2>b<font size=-1>c</font>d</font>e<font size=12>f</font>");
  EXPECT_EQ(Joined(m), "abcdef");
  EXPECT_EQ(RunAt(m, 0).height, kDefaultHeight);
  EXPECT_EQ(RunAt(m, 1).height, kDefaultHeight + 80) << "plus 2 is four points larger";
  EXPECT_EQ(RunAt(m, 2).height, kDefaultHeight + 40);
  EXPECT_EQ(RunAt(m, 3).height, kDefaultHeight + 80);
  EXPECT_EQ(RunAt(m, 4).height, kDefaultHeight);
  EXPECT_EQ(RunAt(m, 5).height, 240) << "a plain number is points";

  m = Parse("<font size=99999999999 color=orange>x</font><font size=-99999>y</font>");
  EXPECT_EQ(RunAt(m, 0).height, kRichTextMaxPoints * kTwipsPerPoint);
  EXPECT_EQ(RunAt(m, 0).colour, kRichTextOrange) << "attributes after a long number are read";
  EXPECT_EQ(RunAt(m, 1).height, 0);
}

TEST(RichTextMarkup, ListsNumberAndIndent) {
  EXPECT_EQ(Joined(Parse("<ol><li>one<li>two</ol>")), "    1. one\n    2. two") << "no line feed at the start";
  EXPECT_EQ(Joined(Parse("x<ul><li>a<ul><li>b</ul><li>c</ul>")), "x\n    * a\n        - b\n    * c");
  EXPECT_EQ(Joined(Parse("<ol><li>one<ul><li>in</ul><li>two</ol>")), "    1. one\n        - in\n    2. two")
      << "a nested list leaves the outer count alone";
  EXPECT_EQ(Joined(Parse("<li>top")), "- top") << "depth 0 is even; at the start no line feed";
  EXPECT_EQ(Joined(Parse("<ul><li>first line\nsecond</ul>")), "    * first line\n       second")
      << "continuation lines line up with the item's text";
}

TEST(RichTextMarkup, DeepNestingIsCountedNotStored) {
  std::string text;
  for (int i = 0; i < 30; ++i) text += "<ol>";
  text += "<li>deep";
  for (int i = 0; i < 30; ++i) text += "</ol>";
  text += "<li>out";
  const std::string joined = Joined(Parse(text.c_str()));
  EXPECT_EQ(joined, std::string(4 * kRichTextMaxListDepth, ' ') + "1. deep\n- out");

  text.clear();
  for (int i = 0; i < 40; ++i) text += "<font color=red>";
  for (int i = 0; i < 40; ++i) text += "</font>";
  text += "<font color=green>g";
  const auto m = Parse(text.c_str());
  EXPECT_EQ(RunAt(m, 0).colour, kRichTextGreen);
  EXPECT_EQ(Joined(Parse("</font></ul></ol></b>x")), "x") << "closing tags without opening ones change nothing";
}

TEST(RichTextMarkup, EntitiesAndAngleBrackets) {
  EXPECT_EQ(Joined(Parse("a<<b &gt; &nbsp;c &RARR; &amp;&copy;")), "a<b >  c -> &\xC2\xA9");
  EXPECT_EQ(Joined(Parse("&c;")), "c") << "a leading part of a name selects the entity";
  EXPECT_EQ(Joined(Parse("&;")), "&;") << "an empty name is no entity";
  EXPECT_EQ(Joined(Parse("fish & chips; peas")), "fish & chips; peas") << "a bare ampersand is text";
  EXPECT_EQ(Joined(Parse("1 < 2 but <unknown tag> skipped")), "1  skipped") << "up to the next '>'";
  EXPECT_EQ(Joined(Parse("x <no end")), "x <no end");
  EXPECT_TRUE(Parse("").runs.empty());
  EXPECT_TRUE(Parse(nullptr).runs.empty());
}

TEST(RichTextMarkup, LinksAreUnderlinedBlueRanges) {
  const auto m = Parse("See <a href=\"https://a.test/x\">the page</a> now", 10);
  EXPECT_EQ(Joined(m), "See the page now");
  ASSERT_EQ(m.links.size(), 1u);
  EXPECT_EQ(m.links[0].target, "https://a.test/x");
  EXPECT_EQ(m.links[0].start, 14) << "counted from the content already there";
  EXPECT_EQ(m.links[0].end, 22);
  EXPECT_EQ(RunAt(m, 4).effects, kRichTextUnderline);
  EXPECT_EQ(RunAt(m, 4).colour, kRichTextBlue);
  EXPECT_EQ(RunAt(m, 12).effects, 0u);

  // Characters, not bytes.
  const auto wide = Parse("\xC3\xA9t\xC3\xA9 <a href=\"mailto:x@y.test\">\xE2\x86\x92</a>");
  ASSERT_EQ(wide.links.size(), 1u);
  EXPECT_EQ(wide.links[0].start, 4);
  EXPECT_EQ(wide.links[0].end, 5);

  const auto open = Parse("<a href=\"https://a.test\">never closed");
  ASSERT_EQ(open.links.size(), 1u);
  EXPECT_EQ(open.links[0].end, -1);
}

TEST(RichTextMarkup, BrokenLinkTagsEndTheText) {
  EXPECT_EQ(Joined(Parse("kept <a name=x>lost")), "kept ");
  EXPECT_EQ(Joined(Parse("kept <a href=\"https://a.test>lost")), "kept ");
  EXPECT_EQ(Joined(Parse("kept <a href=\"https://a.test\" lost")), "kept ");
  // The target is looked for in its own tag only.
  const auto m = Parse("kept <a name=x>text <a href=\"https://later.test\">");
  EXPECT_EQ(Joined(m), "kept ");
  EXPECT_TRUE(m.links.empty());
}

TEST(RichTextMarkup, HostileTextEndsCleanly) {
  std::mt19937 random(29);
  const char pieces[][12] = {"<", ">", "&", ";", "<a ", "href=\"", "\"", "<font ", "size=+", "color=#",
                             "<ol>", "</ol>", "<li>", "</font>", "\n", "x", "\xC3", "\xFF", "amp", "<<"};
  for (int round = 0; round < 2000; ++round) {
    std::string text;
    const int count = static_cast<int>(random() % 40);
    for (int i = 0; i < count; ++i) text += pieces[random() % (sizeof pieces / sizeof pieces[0])];
    const auto m = Parse(text.c_str());
    long characters = 0;
    for (const auto& run : m.runs) characters += CountUtf8Characters(run.text);
    for (const auto& link : m.links) {
      ASSERT_GE(link.start, 0) << "round " << round;
      ASSERT_LE(link.start, characters) << "round " << round;
      ASSERT_LE(link.end, characters) << "round " << round;
    }
  }
}

TEST(RichTextMarkup, OnlyWebAndMailAddressesOpen) {
  EXPECT_TRUE(IsWebAddress("https://a.test/x"));
  EXPECT_TRUE(IsWebAddress("HTTP://a.test"));
  EXPECT_TRUE(IsWebAddress("mailto:someone@a.test"));
  EXPECT_FALSE(IsWebAddress("http://"));
  EXPECT_FALSE(IsWebAddress("/usr/bin/xterm"));
  EXPECT_FALSE(IsWebAddress("file:///etc/passwd"));
  EXPECT_FALSE(IsWebAddress(nullptr));
}

}  // namespace test_RichTextMarkup
