// The hyperlink label and the marked-up rich-text box on a real (virtual) display:
// a click on a link reaches the shell with its address, the label's looks follow its
// setters and its blinking, and the rich-text box shows its mark-up's styles and
// opens its links. CORVIA_WRITE_SCREENSHOTS=<folder> keeps pictures of both.

#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/image.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/timer.h>
#include <wx/uiaction.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/gui/GuiTestSupport.h"
#include "tests/support/TestSupport.h"
#include "ui/controls/HtmlRichEditCtrl.h"
#include "ui/controls/HyperLink.h"

namespace {

using namespace corvia;
using corvia::testing::KeepScreenshot;
using corvia::testing::Platform;
using corvia::testing::ScreenPixels;
using corvia::testing::YieldUntil;

constexpr int kLabelId = 4101;
constexpr int kHeadingId = 4102;

// Pixels whose colour is near the given one.
int CountNear(const wxImage& image, const wxRect& area, int red, int green, int blue, int tolerance) {
  int count = 0;
  for (int y = std::max(area.y, 0); y < std::min(area.GetBottom() + 1, image.GetHeight()); ++y) {
    for (int x = std::max(area.x, 0); x < std::min(area.GetRight() + 1, image.GetWidth()); ++x) {
      if (std::abs(image.GetRed(x, y) - red) <= tolerance && std::abs(image.GetGreen(x, y) - green) <= tolerance &&
          std::abs(image.GetBlue(x, y) - blue) <= tolerance) {
        ++count;
      }
    }
  }
  return count;
}

// A dialog-like frame with two plain labels in a sizer.
class LabelFrame : public wxFrame {
 public:
  LabelFrame() : wxFrame(nullptr, wxID_ANY, "Labels", wxPoint(40, 40), wxSize(420, 200)) {
    panel = new wxPanel(this);
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(new wxStaticText(panel, kLabelId, "Visit the pages"), 0, wxALL, 10);
    sizer->Add(new wxStaticText(panel, kHeadingId, "Warning"), 0, wxALL, 10);
    panel->SetSizer(sizer);
  }
  wxPanel* panel;
};

std::vector<std::string> gCallbackAddresses;
void RecordAddress(const char* address) { gCallbackAddresses.push_back(address); }

class LinkControls : public corvia::testing::WindowTest {
 protected:
  void SetUp() override { Platform().shell.mOpened.clear(); }
};

TEST_F(LinkControls, ALinkLabelTakesTheItemsPlaceAndOpensItsAddress) {
  LabelFrame* frame = Show(new LabelFrame);
  auto* link = new HyperLink;
  ASSERT_TRUE(link->Attach(kLabelId, frame->panel, nullptr, "https://pages.example.test/", nullptr));
  EXPECT_EQ(wxWindow::FindWindowById(kLabelId, frame->panel), link);
  EXPECT_EQ(link->GetLabel(), "Visit the pages") << "the item's text stays";
  EXPECT_FALSE(link->Attach(9999, frame->panel, nullptr, nullptr, nullptr));
  frame->panel->Layout();
  // Painted: its blue text on the screen.
  YieldUntil([link] {
    const wxImage shown = ScreenPixels(link);
    return CountNear(shown, wxRect(shown.GetSize()), 0, 0, 255, 60) > 20;
  });

  // Blue and underlined, with the hand.
  EXPECT_EQ(link->GetTextColor(), wxColour(0, 0, 255));
  EXPECT_TRUE(link->IsUnderlined());
  EXPECT_TRUE(link->GetCursor().IsOk());
  const wxImage pixels = ScreenPixels(link);
  EXPECT_GT(CountNear(pixels, wxRect(pixels.GetSize()), 0, 0, 255, 60), 20) << "blue text shows";
  KeepScreenshot(frame, "hyperlink");

  ClickAt(link, Centre(wxRect(link->GetClientSize())));
  ASSERT_EQ(Platform().shell.mOpened.size(), 1u);
  EXPECT_EQ(Platform().shell.mOpened[0], "https://pages.example.test/");
}

TEST_F(LinkControls, ALinkWithoutAddressOpensItsTextOrCallsItsOwner) {
  LabelFrame* frame = Show(new LabelFrame);
  auto* link = new HyperLink;
  ASSERT_TRUE(link->Attach(kLabelId, frame->panel, "https://own.example.test/", nullptr, nullptr));
  EXPECT_EQ(link->GetLink(), "https://own.example.test/");
  wxMouseEvent click(wxEVT_LEFT_DOWN);
  click.SetEventObject(link);
  link->GetEventHandler()->ProcessEvent(click);
  ASSERT_EQ(Platform().shell.mOpened.size(), 1u);
  EXPECT_EQ(Platform().shell.mOpened[0], "https://own.example.test/");

  gCallbackAddresses.clear();
  link->MakeLink(nullptr, "chosen", RecordAddress);
  link->GetEventHandler()->ProcessEvent(click);
  EXPECT_EQ(gCallbackAddresses, std::vector<std::string>{"chosen"});
  EXPECT_EQ(Platform().shell.mOpened.size(), 1u) << "the owner's function, not the shell";
}

TEST_F(LinkControls, APlainLabelIsColouredSizedAndIgnoresClicks) {
  LabelFrame* frame = Show(new LabelFrame);
  const wxRect old = frame->panel->FindWindow(kHeadingId)->GetRect();
  auto* heading = new HyperLink(frame->panel, kHeadingId + 10, "Warning", old.GetPosition());
  heading->SetTextColor(wxColour(192, 0, 0));
  heading->SetBold(true);
  const int height = heading->GetFontHeight();
  EXPECT_GT(height, 0);
  heading->SetFontHeight(height * 3 / 2);
  EXPECT_EQ(heading->GetFontHeight(), height * 3 / 2);
  heading->SetFontHeight(12);
  EXPECT_EQ(heading->GetFontHeight(), 12);
  heading->SetFontHeight(30);
  EXPECT_TRUE(heading->IsBold());
  EXPECT_FALSE(heading->IsUnderlined());
  // Painted in its new font and colour.
  YieldUntil([heading] {
    const wxImage shown = ScreenPixels(heading);
    return heading->GetSize().y >= 30 && CountNear(shown, wxRect(shown.GetSize()), 192, 0, 0, 50) > 40;
  });
  const wxImage pixels = ScreenPixels(heading);
  EXPECT_GT(CountNear(pixels, wxRect(pixels.GetSize()), 192, 0, 0, 50), 40) << "dark red text shows";
  EXPECT_GE(heading->GetSize().y, 30) << "the label grows with its font";

  wxMouseEvent click(wxEVT_LEFT_DOWN);
  click.SetEventObject(heading);
  heading->GetEventHandler()->ProcessEvent(click);
  EXPECT_TRUE(Platform().shell.mOpened.empty()) << "a plain label opens nothing";
}

TEST_F(LinkControls, BlinkingStepsWithTheLabelsTimer) {
  LabelFrame* frame = Show(new LabelFrame);
  auto* label = new HyperLink(frame->panel, wxID_ANY, "Look here", wxPoint(10, 120));
  wxTimer timer(label);
  label->SetBlinkMode(kHyperLinkBlinkText);
  wxTimerEvent tick(timer);
  label->GetEventHandler()->ProcessEvent(tick);
  EXPECT_EQ(label->GetBlinkPhase(), 1);
  EXPECT_EQ(label->GetLabel(), "");
  label->GetEventHandler()->ProcessEvent(tick);
  EXPECT_EQ(label->GetLabel(), "Look here");

  label->SetBlinkMode(kHyperLinkBlinkBackground);
  const wxBrush* first = &label->GetBackgroundBrush();
  label->GetEventHandler()->ProcessEvent(tick);
  EXPECT_NE(&label->GetBackgroundBrush(), first) << "the other brush in the other phase";
  EXPECT_EQ(label->GetLabel(), "Look here");
}

// ---- The rich-text box ----

class RichFrame : public wxFrame {
 public:
  RichFrame() : wxFrame(nullptr, wxID_ANY, "Rich text", wxPoint(40, 40), wxSize(560, 320)) {
    box = new HtmlRichEditCtrl(this, wxID_ANY);
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(box, 1, wxEXPAND);
    SetSizer(sizer);
  }
  HtmlRichEditCtrl* box;
};

TEST_F(LinkControls, RichTextShowsItsStylesAndOpensItsLinks) {
  RichFrame* frame = Show(new RichFrame);
  HtmlRichEditCtrl* box = frame->box;
  box->SetHtml(
      "<b><font color=#c00000>Warning:</font> No tour events selected.</b>\n"
      "<font color=red><b>NOTE:</b></font> <i>italic</i> and <font size=+6>large</font>\n"
      "<ol><li>first<li>second<ul><li>inner</ul></ol>\n"
      "See <a href=\"https://pages.example.test/history\">the version history</a> &amp; more.");
  // Laid out and drawn: the warning's dark red and the link's blue on the screen.
  YieldUntil([box] {
    const wxImage shown = ScreenPixels(box);
    const wxRect all(shown.GetSize());
    return CountNear(shown, all, 192, 0, 0, 40) > 20 && CountNear(shown, all, 0, 0, 255, 60) > 20;
  });
  const std::string text = box->GetValue().utf8_string();
  EXPECT_NE(text.find("Warning: No tour events selected.\n"), std::string::npos);
  EXPECT_NE(text.find("    1. first\n    2. second\n        - inner"), std::string::npos) << text;
  EXPECT_NE(text.find("the version history & more."), std::string::npos);

  const long warning = static_cast<long>(text.find("Warning"));
  wxTextAttr style;
  ASSERT_TRUE(box->GetStyle(warning, style));
  EXPECT_EQ(style.GetTextColour(), wxColour(192, 0, 0));
  EXPECT_EQ(style.GetFontWeight(), wxFONTWEIGHT_BOLD);
  const long italic = static_cast<long>(text.find("italic"));
  ASSERT_TRUE(box->GetStyle(italic + 1, style));
  EXPECT_EQ(style.GetFontStyle(), wxFONTSTYLE_ITALIC);
  const long large = static_cast<long>(text.find("large"));
  ASSERT_TRUE(box->GetStyle(large + 1, style));
  EXPECT_NEAR(style.GetFont().GetFractionalPointSize() * 20, box->GetDefaultHeight() + 6 * 40, 1.0);

  // The link: underlined and blue; the pointer is a hand over it only.
  const long linkAt = static_cast<long>(wxString::FromUTF8(text.c_str()).Find("the version history"));
  ASSERT_TRUE(box->GetStyle(linkAt + 2, style));
  EXPECT_TRUE(style.GetFontUnderlined());
  EXPECT_EQ(style.GetTextColour().Blue(), 255);
  ASSERT_NE(box->GetLinkAt(linkAt + 2), nullptr);
  EXPECT_EQ(box->GetLinkAt(warning), nullptr);

  const wxPoint linkStart = box->GetCharacterPoint(linkAt + 3);
  const wxPoint plainStart = box->GetCharacterPoint(warning + 2);
  ASSERT_NE(linkStart, wxDefaultPosition);
  const int lineMiddle = box->GetCharHeight() / 2;
  const wxPoint overLink(linkStart.x + 2, linkStart.y + lineMiddle);
  const wxPoint overPlain(plainStart.x + 2, plainStart.y + lineMiddle);
  ASSERT_NE(box->GetLinkAtPoint(overLink), nullptr);
  EXPECT_EQ(box->GetLinkAtPoint(overPlain), nullptr);

  wxUIActionSimulator mouse;
  mouse.MouseMove(box->ClientToScreen(overLink));
  YieldUntil([&] { return box->GetCursor().IsOk(); });
  EXPECT_TRUE(box->GetCursor().IsOk()) << "the hand over the link";
  mouse.MouseMove(box->ClientToScreen(overPlain));
  YieldUntil([&] { return !box->GetCursor().IsOk(); });
  EXPECT_FALSE(box->GetCursor().IsOk()) << "the normal pointer elsewhere";

  KeepScreenshot(frame, "richtext");
  const wxImage pixels = ScreenPixels(box);
  EXPECT_GT(CountNear(pixels, wxRect(pixels.GetSize()), 192, 0, 0, 40), 20) << "the warning's dark red";
  EXPECT_GT(CountNear(pixels, wxRect(pixels.GetSize()), 255, 0, 0, 40), 10) << "the note's red";
  EXPECT_GT(CountNear(pixels, wxRect(pixels.GetSize()), 0, 0, 255, 60), 20) << "the link's blue";

  ClickAt(box, overLink);
  ASSERT_EQ(Platform().shell.mOpened.size(), 1u);
  EXPECT_EQ(Platform().shell.mOpened[0], "https://pages.example.test/history");
  ClickAt(box, overPlain);
  EXPECT_EQ(Platform().shell.mOpened.size(), 1u);
}

TEST_F(LinkControls, RichTextReplacedDropsOldLinksAndOpensOnlyWebAddresses) {
  RichFrame* frame = Show(new RichFrame);
  HtmlRichEditCtrl* box = frame->box;
  box->SetHtml("<a href=\"https://old.example.test\">old link text here</a>");
  ASSERT_NE(box->GetLinkAt(3), nullptr);
  box->SetHtml("plain text now, no links at all");
  EXPECT_EQ(box->GetLinkAt(3), nullptr);
  box->SetHtml("");
  EXPECT_EQ(box->GetValue(), "");

  box->AppendHtml("a <a href=\"/usr/bin/xterm\">program</a>");
  ASSERT_NE(box->GetLinkAt(3), nullptr);
  wxMouseEvent click(wxEVT_LEFT_DOWN);
  const wxPoint at = box->GetCharacterPoint(3);
  click.SetPosition(wxPoint(at.x + 2, at.y + box->GetCharHeight() / 2));
  click.SetEventObject(box);
  box->GetEventHandler()->ProcessEvent(click);
  EXPECT_TRUE(Platform().shell.mOpened.empty()) << "a local program is never started from a link";
}

}  // namespace
