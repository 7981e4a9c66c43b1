#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <utility>
#include <vector>

#include "core/Messages.h"
#include "tests/support/TestSupport.h"

namespace corvia {
namespace {

using platform::BoxButtons;
using platform::BoxIcon;

platform::HeadlessMessages& Boxes() {
  return testing::Platform().messages;
}

const platform::MessageBoxRequest& LastBox() {
  return Boxes().Boxes().back();
}

// True when no multi-byte character is cut: every lead byte has all its
// continuation bytes.
bool IsWholeUtf8(const std::string& text) {
  size_t i = 0;
  while (i < text.size()) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    size_t n = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
    if (n == 0 || i + n > text.size()) return false;
    for (size_t k = 1; k < n; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    }
    i += n;
  }
  return true;
}

class MessagesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetSessionMessageMask(0xFFFFFFFFu);
    SetSavedMessageMask(0xFFFFFFFFu);
  }
  void TearDown() override {
    SetSessionMessageMask(0xFFFFFFFFu);
    SetSavedMessageMask(0xFFFFFFFFu);
    SetSuspendOpenGLHook(nullptr);
    SetNoticesWaitForDrawing(false);
  }
};

TEST_F(MessagesTest, LongTextsAreCutToTheBufferWithDots) {
  std::string text(600, 'x');
  ShowError("%s", text.c_str());
  ASSERT_EQ(Boxes().Boxes().size(), 1u);
  EXPECT_EQ(LastBox().text, std::string(508, 'x') + "...");

  std::string exact(511, 'y');
  ShowWarning("%s", exact.c_str());
  EXPECT_EQ(LastBox().text, exact) << "a text that just fits is not cut";

  std::string longer(1000, 'z');
  ShowInformation("%s", longer.c_str());
  EXPECT_EQ(LastBox().text, std::string(796, 'z') + "...");
}

TEST_F(MessagesTest, CutNeverSplitsAUtf8Character) {
  std::string twoByte;
  for (int i = 0; i < 300; ++i) twoByte += "\xC3\xA9";  // e acute
  ShowError("%s", twoByte.c_str());
  EXPECT_EQ(LastBox().text.size(), 508u + 3u);
  EXPECT_TRUE(IsWholeUtf8(LastBox().text));

  std::string threeByte = "a";
  for (int i = 0; i < 300; ++i) threeByte += "\xE2\x82\xAC";  // euro sign
  ShowError("%s", threeByte.c_str());
  // 1 + 3k <= 508 gives 169 signs: 508 bytes exactly.
  EXPECT_EQ(LastBox().text.size(), 508u + 3u);
  EXPECT_TRUE(IsWholeUtf8(LastBox().text));

  std::string shifted = "ab";
  for (int i = 0; i < 300; ++i) shifted += "\xE2\x82\xAC";
  ShowError("%s", shifted.c_str());
  // 2 + 3k <= 508: 168 signs, 506 bytes; the 169th would be split.
  EXPECT_EQ(LastBox().text, shifted.substr(0, 506) + "...");
  EXPECT_TRUE(IsWholeUtf8(LastBox().text));

  EXPECT_EQ(FormatLimited(4, "%s", "abcdef"), "...");
  EXPECT_EQ(FormatLimited(1, "%s", "abcdef"), "");
}

TEST_F(MessagesTest, EachCallHasItsTitleButtonsAndIcon) {
  ShowError("e %d", 1);
  EXPECT_EQ(LastBox().title, "Error");
  EXPECT_EQ(LastBox().icon, BoxIcon::Error);
  EXPECT_EQ(LastBox().buttons, BoxButtons::Ok);
  EXPECT_EQ(LastBox().text, "e 1");

  ShowWarning("w");
  EXPECT_EQ(LastBox().title, "Warning");
  EXPECT_EQ(LastBox().icon, BoxIcon::Warning);

  ShowInformation("i");
  EXPECT_EQ(LastBox().title, "Information");
  EXPECT_EQ(LastBox().icon, BoxIcon::Information);

  testing::ExpectInternalErrors(1);
  EXPECT_EQ(ShowInternalError("GetNextFace: Couldn't find it"), kBoxOk);
  EXPECT_EQ(LastBox().title, "Internal Error");
  EXPECT_EQ(LastBox().icon, BoxIcon::Error);
}

TEST_F(MessagesTest, QuestionsAnswerByTheButtonChosen) {
  EXPECT_TRUE(AskYesNo("Go on?"));
  EXPECT_EQ(LastBox().title, "Question");
  EXPECT_EQ(LastBox().buttons, BoxButtons::YesNo);
  EXPECT_EQ(LastBox().icon, BoxIcon::Question);
  Boxes().QueueAnswer(kBoxNo);
  EXPECT_FALSE(AskYesNo("Go on?"));

  Boxes().QueueAnswer(kBoxCancel);
  EXPECT_FALSE(AskOkCancel("Create it anyway?"));
  EXPECT_EQ(LastBox().buttons, BoxButtons::OkCancel);
  Boxes().QueueAnswer(kBoxOk);
  EXPECT_TRUE(AskOkCancel("Create it anyway?"));
}

// Escape gives the answer that changes nothing, whatever the buttons; so does an answer
// that is none of the box's buttons (a front end's own for a box the window manager
// closed). The default buttons stay as they are.
TEST_F(MessagesTest, EscapeAndAnAnswerOfNoButtonChangeNothing) {
  Boxes().QueueEscape();
  EXPECT_FALSE(AskYesNo("%s already exists.\nDo you want to replace it?", "rd.corv"));
  Boxes().QueueEscape();
  EXPECT_FALSE(AskOkCancel("Create it anyway?"));
  const std::pair<BoxStyle, int> dismissed[] = {
      {kBoxStyleYesNo | kBoxStyleIconWarning, kBoxNo}, {kBoxStyleYesNoCancel, kBoxCancel},
      {kBoxStyleRetryCancel, kBoxCancel},             {kBoxStyleAbortRetryIgnore, kBoxAbort},
      {kBoxStyleOk | kBoxStyleIconError, kBoxOk},
  };
  for (const auto& [style, answer] : dismissed) {
    Boxes().QueueEscape();
    EXPECT_EQ(ShowMessageBox(style, "x"), answer) << style;
  }
  Boxes().QueueEscape();
  EXPECT_EQ(AskQuestion(0, "Remove Text", {"+Selected face only", "All faces", "-Cancel"}, "x"), 2);

  Boxes().QueueAnswer(kBoxCancel);
  EXPECT_FALSE(AskYesNo("Include the partly made facet?"));
  Boxes().QueueAnswer(kBoxCancel);
  EXPECT_EQ(ShowMessageBox(kBoxStyleYesNo, "x"), kBoxNo);
  Boxes().QueueAnswer(kBoxOk);
  EXPECT_EQ(ShowMessageBox(kBoxStyleYesNoCancel, "x"), kBoxCancel);
  Boxes().QueueAnswer(kBoxYes);
  EXPECT_EQ(ShowMessageBox(kBoxStyleOkCancel, "x"), kBoxCancel);

  // Unanswered, a box takes its default button as before.
  EXPECT_TRUE(AskYesNo("Go on?"));
  EXPECT_EQ(ShowMessageBox(kBoxStyleYesNoCancel | kBoxStyleDefaultButton2, "x"), kBoxNo);
}

TEST_F(MessagesTest, MessageBoxTitleFollowsTheIcon) {
  Boxes().QueueAnswer(kBoxCancel);
  EXPECT_EQ(ShowMessageBox(kBoxStyleYesNoCancel | kBoxStyleIconQuestion, "Remove %d faces?", 3), kBoxCancel);
  EXPECT_EQ(LastBox().title, "Question");
  EXPECT_EQ(LastBox().buttons, BoxButtons::YesNoCancel);
  EXPECT_EQ(LastBox().text, "Remove 3 faces?");

  ShowMessageBox(kBoxStyleYesNo | kBoxStyleIconWarning, "q");
  EXPECT_EQ(LastBox().title, "Warning");
  EXPECT_EQ(LastBox().icon, BoxIcon::Warning);

  ShowMessageBox(kBoxStyleYesNo, "q");
  EXPECT_EQ(LastBox().title, "Question");
  EXPECT_EQ(LastBox().icon, BoxIcon::None);

  ShowMessageBox(kBoxStyleOk | kBoxStyleIconError, "q");
  EXPECT_EQ(LastBox().title, "Error");

  ShowMessageBox(kBoxStyleOk | kBoxStyleIconInformation, "q");
  EXPECT_EQ(LastBox().title, "Question");

  // The default button travels with the style; the headless box answers with it.
  EXPECT_EQ(ShowMessageBox(kBoxStyleYesNoCancel | kBoxStyleDefaultButton2, "q"), kBoxNo);
  EXPECT_EQ(LastBox().defaultButton, 1);
  // A default button beyond the set falls back to the first.
  EXPECT_EQ(ShowMessageBox(kBoxStyleOk | kBoxStyleDefaultButton3, "q"), kBoxOk);
  EXPECT_EQ(LastBox().defaultButton, 0);
}

TEST_F(MessagesTest, WindowsErrorAppendsTheSystemText) {
  errno = ENOENT;
  ShowWindowsError("Opening %s", "model.txt");
  EXPECT_EQ(LastBox().title, "Error");
  EXPECT_EQ(LastBox().text, "Opening model.txt: " + Boxes().SystemErrorText(ENOENT));
  EXPECT_NE(LastBox().text.find("No such file"), std::string::npos);
}

TEST_F(MessagesTest, OptionalMessageWithNextSessionFlagShowsOncePerRun) {
  const uint32_t bit = 0x4;
  const unsigned flags = kMessageFlagNextSession | kMessageFlagWarningIcon;  // style 10
  ShowOptionalMessage(bit, flags, "Only %d colors", 256);
  ASSERT_EQ(Boxes().Boxes().size(), 1u);
  EXPECT_TRUE(LastBox().hasCheckBox);
  EXPECT_TRUE(LastBox().checkBoxInitial);
  EXPECT_EQ(LastBox().checkBoxText, "Show this message again next session");
  EXPECT_EQ(LastBox().icon, BoxIcon::Warning);
  EXPECT_EQ(LastBox().text, "Only 256 colors");

  // Ticked: not again in this run, but in the next one.
  ShowOptionalMessage(bit, flags, "again");
  EXPECT_EQ(Boxes().Boxes().size(), 1u);
  EXPECT_EQ(GetSavedMessageMask() & bit, bit);
  SetSessionMessageMask(0xFFFFFFFFu);  // a new run
  ShowOptionalMessage(bit, flags, "next run");
  EXPECT_EQ(Boxes().Boxes().size(), 2u);

  // Unticked: it stays away in later runs too.
  SetSessionMessageMask(0xFFFFFFFFu);
  Boxes().QueueAnswer(kBoxOk, false);
  ShowOptionalMessage(bit, flags, "untick me");
  EXPECT_EQ(Boxes().Boxes().size(), 3u);
  EXPECT_EQ(GetSavedMessageMask() & bit, 0u);
  SetSessionMessageMask(0xFFFFFFFFu);
  ShowOptionalMessage(bit, flags, "never");
  EXPECT_EQ(Boxes().Boxes().size(), 3u);
  // Other messages keep their bits.
  EXPECT_EQ(GetSavedMessageMask(), ~bit);
}

TEST_F(MessagesTest, OptionalMessageWithoutFlagGoesOnlyWhenUnticked) {
  const uint32_t bit = 0x1;
  ShowOptionalMessage(bit, kMessageFlagInformationIcon | kMessageFlagErrorIcon, "hint");
  EXPECT_EQ(LastBox().checkBoxText, "Show this message again when appropriate");
  EXPECT_EQ(LastBox().icon, BoxIcon::Error) << "the first icon bit set counts";
  ShowOptionalMessage(bit, kMessageFlagInformationIcon, "hint");
  EXPECT_EQ(Boxes().Boxes().size(), 2u) << "ticked: shown again when appropriate";

  Boxes().QueueAnswer(kBoxOk, false);
  ShowOptionalMessage(bit, kMessageFlagInformationIcon, "hint");
  ShowOptionalMessage(bit, kMessageFlagInformationIcon, "hint");
  EXPECT_EQ(Boxes().Boxes().size(), 3u);
  EXPECT_EQ(GetSessionMessageMask() & bit, 0u);
  EXPECT_EQ(GetSavedMessageMask(), 0xFFFFFFFFu) << "only this run";
}

TEST_F(MessagesTest, AskQuestionReadsDefaultAndCancelMarks) {
  Boxes().QueueAnswer(1);
  EXPECT_EQ(AskQuestion(0, "Error", {"+Create convex hull instead", "-Cancel"}, "Invalid model: %s", "no faces"), 1);
  const auto& box = LastBox();
  EXPECT_EQ(box.title, "Error");
  EXPECT_EQ(box.buttons, BoxButtons::Custom);
  EXPECT_EQ(box.captions, (std::vector<std::string>{"Create convex hull instead", "Cancel"}));
  EXPECT_EQ(box.defaultButton, 0);
  EXPECT_EQ(box.cancelButton, 1);
  EXPECT_EQ(box.icon, BoxIcon::Question);
  EXPECT_EQ(box.text, "Invalid model: no faces");

  // Without an answer the headless box takes the default: "+Cancel", the second.
  EXPECT_EQ(AskQuestion(kMessageFlagWarningIcon, "WARNING", {"Proceed anyway", "+Cancel"}, "too complex"), 1);
  EXPECT_EQ(LastBox().icon, BoxIcon::Warning);
  EXPECT_EQ(LastBox().cancelButton, 1);

  // An answer outside the buttons counts as Escape.
  Boxes().QueueAnswer(7);
  EXPECT_EQ(AskQuestion(0, "T", {"A", "-B", "C"}, "x"), 1);
}

TEST_F(MessagesTest, DrawingIsSuspendedAroundEveryBox) {
  int suspended = 0;
  int resumed = 0;
  size_t boxesAtResume = 0;
  SetSuspendOpenGLHook([&]() -> std::function<void()> {
    ++suspended;
    EXPECT_EQ(Boxes().Boxes().size(), static_cast<size_t>(suspended - 1)) << "suspended before the box";
    return [&]() {
      ++resumed;
      boxesAtResume = Boxes().Boxes().size();
    };
  });
  ShowError("a");
  AskYesNo("b");
  ShowOptionalMessage(0x2, 0, "c");
  AskQuestion(0, "d", {"OK"}, "d");
  EXPECT_EQ(suspended, 4);
  EXPECT_EQ(resumed, 4);
  EXPECT_EQ(boxesAtResume, 4u);
}

TEST(PositiveFmodTest, RemainderLiesInZeroToM) {
  EXPECT_DOUBLE_EQ(PositiveFmod(-30, 360), 330);
  EXPECT_DOUBLE_EQ(PositiveFmod(-360, 360), 0);
  EXPECT_DOUBLE_EQ(PositiveFmod(725, 360), 5);
  EXPECT_DOUBLE_EQ(PositiveFmod(360, 360), 0);
  EXPECT_DOUBLE_EQ(PositiveFmod(10, 360), 10);
  EXPECT_DOUBLE_EQ(PositiveFmod(-725, 360), 355);
  double tiny = PositiveFmod(-1e-20, 360);
  EXPECT_GE(tiny, 0.0);
  EXPECT_LT(tiny, 360.0);

  EXPECT_FLOAT_EQ(PositiveFmodF(-30.0f, 360.0f), 330.0f);
  EXPECT_FLOAT_EQ(PositiveFmodF(725.0f, 360.0f), 5.0f);
  // 360 - 1e-6 rounds to 360 in single precision; the remainder must stay below m.
  float nearM = PositiveFmodF(-1e-6f, 360.0f);
  EXPECT_GE(nearM, 0.0f);
  EXPECT_LT(nearM, 360.0f);
}

TEST(TraceTest, DoNothingAcceptsAnyFormat) {
  DoNothing("CreateEdges: num edges found %d != expected %d", 3, 4);
  DoNothing("SortFaceTypes");
  EXPECT_TRUE(Boxes().Boxes().empty());
}

TEST_F(MessagesTest, AFileNameOfAnotherEncodingShowsWithItsOddBytesEscaped) {
  // A window would show a text that is no UTF-8 as nothing at all.
  ShowError("Couldn't open the model file\n'%s'", "/home/user/caf\xE9.corv");
  EXPECT_EQ(LastBox().text, "Couldn't open the model file\n'/home/user/caf\\xE9.corv'");
  AskQuestion(0, "Title \xFF", {"Keep caf\xE9", "-Cancel"}, "%s", "ok");
  EXPECT_EQ(LastBox().title, "Title \\xFF");
  EXPECT_EQ(LastBox().captions[0], "Keep caf\\xE9");
}

// Drawing code hands its notices over to be told after the paint: they wait, answered
// OK, until the program shows them once; questions are never held, and without a
// program that holds notices they show at once.
TEST_F(MessagesTest, NoticesOfDrawingCodeWaitUntilTheProgramShowsThem) {
  SetNoticesWaitForDrawing(true);
  {
    const NoticesAfterDrawing afterDrawing;
    ShowError("Stellation refused");
    ShowError("Stellation refused");
    ShowWarning("Less symmetry");
    EXPECT_TRUE(Boxes().Boxes().empty());
    Boxes().QueueAnswer(kBoxYes);
    EXPECT_TRUE(AskYesNo("Go on?"));
    EXPECT_EQ(Boxes().Boxes().size(), 1u);
  }
  EXPECT_TRUE(ShowHeldMessages());
  ASSERT_EQ(Boxes().Boxes().size(), 3u);
  EXPECT_EQ(Boxes().Boxes()[1].text, "Stellation refused");
  EXPECT_EQ(Boxes().Boxes()[2].text, "Less symmetry");
  EXPECT_FALSE(ShowHeldMessages());
  ShowError("After the paint");
  EXPECT_EQ(Boxes().Boxes().size(), 4u);

  SetNoticesWaitForDrawing(false);
  {
    const NoticesAfterDrawing afterDrawing;
    ShowError("No program");
  }
  EXPECT_EQ(Boxes().Boxes().size(), 5u);
}

}  // namespace
}  // namespace corvia
