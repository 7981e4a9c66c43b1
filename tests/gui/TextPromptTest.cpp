// The questions as the program asks them: for a text, the prompt's mark-up shown as the
// user reads it (its heading bold, "<<" a single "<"), the text typed into the box
// given back with OK and left alone with Cancel; with buttons, Enter and Escape taking
// the safe one.

#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/toplevel.h>
#include <wx/uiaction.h>

#include <functional>
#include <string>
#include <vector>

#include "model/FaceTypeBlock.h"
#include "model/Poly.h"
#include "platform/Services.h"
#include "platform/wx/WxMessages.h"
#include "platform/wx/WxPromptMarkup.h"
#include "stellation/Stellate.h"
#include "tests/gui/GuiTestSupport.h"
#include "tests/nets/NetChecks.h"

namespace test_TextPrompt {

using corvia::platform::PromptToLabelMarkup;

template <class T>
T* FindChild(wxWindow* parent) {
  for (wxWindow* child : parent->GetChildren()) {
    if (auto* found = dynamic_cast<T*>(child)) return found;
    if (T* deeper = FindChild<T>(child)) return deeper;
  }
  return nullptr;
}

// Runs the script on the question once it is open; the script answers it.
class Script : public wxTimer {
 public:
  explicit Script(std::function<void(wxDialog&)> script) : mScript(std::move(script)) { Start(20); }
  void Notify() override {
    for (wxWindow* window : wxTopLevelWindows) {
      auto* dialog = dynamic_cast<wxDialog*>(window);
      if (!dialog || !dialog->IsModal() || !dialog->IsShownOnScreen()) continue;
      Stop();
      mScript(*dialog);
      if (dialog->IsModal()) {
        ADD_FAILURE() << "the question was left open";
        dialog->EndModal(wxID_CANCEL);
      }
      return;
    }
  }

 private:
  std::function<void(wxDialog&)> mScript;
};

TEST(TextPrompt, TheMarkupBecomesTheLabelsStylesAndItsLiteralsStayLiteral) {
  EXPECT_EQ(PromptToLabelMarkup("<b>Enter text to appear on face 3</b>\n\nTags: <<b>, <<a href=\"x\">Click<</a>"),
            "<b>Enter text to appear on face 3</b>\n\nTags: &lt;b&gt;, &lt;a href=\"x\"&gt;Click&lt;/a&gt;");
  EXPECT_EQ(PromptToLabelMarkup("<B>Bold</B> <i>it</I> & <font color=red>red</font> &lt;x&gt;"),
            "<b>Bold</b> <i>it</i> &amp; red &lt;x&gt;");
  // A "<" that opens no tag stays a character.
  EXPECT_EQ(PromptToLabelMarkup("a < b"), "a &lt; b");
}

TEST(TextPrompt, TheHeadingShowsBoldAndTheTypedTextComesBack) {
  corvia::platform::WxMessages messages;
  const std::string prompt = "<b>Enter text to appear on face 3</b>\n\nTags: <<b>, <<i>";
  std::string text = "old";
  wxString shown;
  bool bold = false;
  {
    Script answer([&](wxDialog& dialog) {
      auto* label = FindChild<wxStaticText>(&dialog);
      ASSERT_NE(label, nullptr);
      shown = label->GetLabelText();
      // The heading, its widest line, is drawn bold: wider than the same words plain.
      auto* plain = new wxStaticText(&dialog, wxID_ANY, wxEmptyString);
      plain->SetLabelText(shown);
      bold = label->GetBestSize().x > plain->GetBestSize().x;
      plain->Destroy();
      auto* entry = FindChild<wxTextCtrl>(&dialog);
      ASSERT_NE(entry, nullptr);
      entry->SetFocus();
      entry->SelectAll();
      wxUIActionSimulator keys;
      keys.Text("Hi");
      corvia::testing::YieldUntil([&] { return entry->GetValue() == "Hi"; });
      auto* ok = dynamic_cast<wxButton*>(dialog.FindWindow(wxID_OK));
      ASSERT_NE(ok, nullptr);
      corvia::testing::ClickAt(ok, wxPoint(ok->GetSize().x / 2, ok->GetSize().y / 2));
      corvia::testing::YieldUntil([&] { return !dialog.IsModal(); });
    });
    EXPECT_TRUE(messages.AskMultiLineText("Corvia", prompt, text));
  }
  EXPECT_EQ(text, "Hi");
  EXPECT_EQ(shown, "Enter text to appear on face 3\n\nTags: <b>, <i>");
  EXPECT_TRUE(bold) << "the heading is bold";

  {
    Script cancel([](wxDialog& dialog) { dialog.EndModal(wxID_CANCEL); });
    EXPECT_FALSE(messages.AskMultiLineText("Corvia", prompt, text));
  }
  EXPECT_EQ(text, "Hi");
}

// The warning before a long stellation (the geodesic sphere of 320 faces) has
// "Proceed anyway" and, its default, "Cancel": Escape and Enter both cancel, and the
// sphere is not stellated.
TEST(TextPrompt, TheStellationWarningTakesEscapeAndEnterForCancel) {
  std::unique_ptr<corvia::Poly> sphere = corvia::testing::nets::BuildGeodesicPoly(4);
  ASSERT_NE(sphere, nullptr);
  corvia::FaceTypeBlock* block = sphere->mBaseBlock.get();
  corvia::platform::WxMessages messages;
  corvia::platform::ServiceSet services = corvia::platform::Services();
  services.messages = &messages;
  const corvia::platform::ServiceSet previous = corvia::platform::InstallServices(services);
  for (int key : {WXK_ESCAPE, WXK_RETURN}) {
    SCOPED_TRACE(key);
    block->mStellationRefused = 0;
    std::string title;
    {
      Script press([&](wxDialog& dialog) {
        title = dialog.GetTitle().utf8_string();
        wxUIActionSimulator keys;
        keys.Char(key);
        corvia::testing::YieldUntil([&] { return !dialog.IsModal(); });
      });
      EXPECT_TRUE(corvia::Stellate(sphere.get(), block, false).done());
    }
    EXPECT_EQ(title, "WARNING");
    EXPECT_FALSE(block->IsStellated());
    EXPECT_EQ(block->mStellationRefused, 1);
  }
  corvia::platform::InstallServices(previous);
}

// Escape, or the close button of the box's frame, gives the answer that changes
// nothing in every kind of box: No in a Yes/No question, Cancel where there is one,
// Abort of Abort/Retry/Ignore, and of buttons of the program's own the one it marks.
TEST(TextPrompt, EscapeAndTheCloseButtonAnswerWhatChangesNothingInEveryBox) {
  using namespace corvia::platform;
  struct Case {
    BoxButtons buttons;
    std::vector<std::string> captions;
    int defaultButton, cancelButton, dismissed;
  };
  const Case cases[] = {
      {BoxButtons::YesNo, {}, 0, -1, kBoxNo},
      {BoxButtons::YesNo, {}, 1, -1, kBoxNo},
      {BoxButtons::YesNoCancel, {}, 0, -1, kBoxCancel},
      {BoxButtons::OkCancel, {}, 0, -1, kBoxCancel},
      {BoxButtons::Ok, {}, 0, -1, kBoxOk},
      {BoxButtons::RetryCancel, {}, 0, -1, kBoxCancel},
      {BoxButtons::AbortRetryIgnore, {}, 2, -1, kBoxAbort},
      {BoxButtons::Custom, {"Outermost", "Innermost", "Leave unchanged"}, 0, 2, 2},
      {BoxButtons::Custom, {"Proceed anyway", "Cancel"}, 1, -1, 1},
  };
  WxMessages messages;
  for (const bool escape : {true, false}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(::testing::Message() << (escape ? "Escape" : "close button") << ", buttons "
                                      << static_cast<int>(c.buttons) << ", default " << c.defaultButton);
      MessageBoxRequest request{"Question", "Replace the file?", BoxIcon::Question, c.buttons, c.captions,
                                c.defaultButton, c.cancelButton};
      bool dismissed = false;
      {
        Script dismiss([&](wxDialog& dialog) {
          if (escape) {
            ASSERT_TRUE(corvia::testing::GiveKeysToWindowTitled("Question"));
            wxUIActionSimulator keys;
            keys.Char(WXK_ESCAPE);
          } else {
            dismissed = corvia::testing::CloseWindowTitled("Question");
          }
          corvia::testing::YieldUntil([&] { return !dialog.IsModal(); });
        });
        EXPECT_EQ(messages.ShowBox(request).result, c.dismissed);
      }
      EXPECT_TRUE(escape || dismissed);
    }
  }
}

}  // namespace test_TextPrompt
