#include <gtest/gtest.h>

#include "platform/Headless.h"
#include "tests/support/TestSupport.h"

using namespace corvia::platform;

TEST(Services, HeadlessAnswersFromScriptThenDefaults) {
  auto& messages = corvia::testing::Platform().messages;
  messages.QueueAnswer(kBoxNo);
  MessageBoxRequest question{"Question", "Go on?", BoxIcon::Question, BoxButtons::YesNoCancel};
  EXPECT_EQ(Services().messages->ShowBox(question).result, kBoxNo);
  EXPECT_EQ(Services().messages->ShowBox(question).result, kBoxYes);
  question.defaultButton = 2;
  EXPECT_EQ(Services().messages->ShowBox(question).result, kBoxCancel);
  EXPECT_EQ(messages.Boxes().size(), 3u);

  // Escape answers what changes nothing, whatever the default: Cancel where there is
  // one, No to a Yes/No question, the button marked for it among captions of the box's
  // own (else the default one), OK alone.
  auto escape = [&messages](MessageBoxRequest box) {
    messages.QueueEscape();
    return Services().messages->ShowBox(box).result;
  };
  question.defaultButton = 0;
  EXPECT_EQ(escape(question), kBoxCancel);
  question.buttons = BoxButtons::YesNo;
  EXPECT_EQ(escape(question), kBoxNo);
  question.buttons = BoxButtons::OkCancel;
  EXPECT_EQ(escape(question), kBoxCancel);
  question.buttons = BoxButtons::Ok;
  EXPECT_EQ(escape(question), kBoxOk);
  MessageBoxRequest custom{"Question", "Which?", BoxIcon::Question, BoxButtons::Custom, {"A", "B", "C"}};
  custom.cancelButton = 2;
  EXPECT_EQ(escape(custom), 2);
  custom.cancelButton = -1;
  custom.defaultButton = 1;
  EXPECT_EQ(escape(custom), 1);
  // The box after it takes its default again.
  custom.defaultButton = 0;
  EXPECT_EQ(Services().messages->ShowBox(custom).result, 0);
}

TEST(Services, NestedInstallRestoresPrevious) {
  ServiceSet before = Services();
  {
    HeadlessPlatform inner;
    EXPECT_EQ(Services().messages, &inner.messages);
    inner.clock.Set(12.5);
    EXPECT_DOUBLE_EQ(NowSeconds(), 12.5);
  }
  EXPECT_EQ(Services().messages, before.messages);
  EXPECT_EQ(Services().clock, before.clock);
}

TEST(Services, ExpectedInternalErrorIsNotAFailure) {
  corvia::testing::ExpectInternalErrors(1);
  Services().messages->ShowBox({"Internal Error", "expected here"});
  EXPECT_EQ(corvia::testing::Platform().messages.CountTitled("Internal Error"), 1);
}

TEST(Services, PausedHeadlessWindowGivesUpInsteadOfHanging) {
  auto state = std::make_shared<HeadlessProgressWindow::State>();
  state->onPausedWait = [](HeadlessProgressWindow::State&) {};  // never releases
  HeadlessProgressWindow window(state);
  state->pause = true;
  window.WaitWhilePaused();
  EXPECT_TRUE(window.CancelRequested());
}

namespace test_HeadlessDialogs {

struct Greeting : DialogValues {
  const char* DialogName() const override { return "Greeting"; }
  int count = 1;
};
struct Other : DialogValues {
  const char* DialogName() const override { return "Other"; }
};

TEST(HeadlessDialogs, ScriptsAnswerInOrderAndUnscriptedDialogsAreCancelled) {
  auto& dialogs = corvia::testing::Platform().dialogs;
  dialogs.Queue<Greeting>([](Greeting& g) {
    g.count = 5;
    return true;
  });
  dialogs.QueueCancel();
  Greeting greeting;
  EXPECT_TRUE(Services().dialogs->RunDialog(greeting));
  EXPECT_EQ(greeting.count, 5);
  EXPECT_FALSE(Services().dialogs->RunDialog(greeting));
  EXPECT_FALSE(Services().dialogs->RunDialog(greeting));  // nothing queued
  EXPECT_EQ(dialogs.mShown, (std::vector<std::string>{"Greeting", "Greeting", "Greeting"}));

  // A script written for another dialog cancels the one that met it.
  dialogs.Queue<Greeting>([](Greeting&) { return true; });
  Other other;
  EXPECT_FALSE(Services().dialogs->RunDialog(other));
  EXPECT_EQ(dialogs.mMismatches, std::vector<std::string>{"Other"});
}

TEST(HeadlessDialogs, ModelessDialogsStayOpenUntilClosed) {
  auto& dialogs = corvia::testing::Platform().dialogs;
  Greeting greeting;
  Services().dialogs->Refresh("Greeting");
  EXPECT_TRUE(dialogs.mRefreshed.empty());
  dialogs.QueueOk();
  Services().dialogs->ShowModeless(greeting);
  EXPECT_TRUE(Services().dialogs->IsOpen("Greeting"));
  EXPECT_FALSE(Services().dialogs->IsOpen("Other"));
  Services().dialogs->Refresh("Greeting");
  EXPECT_EQ(dialogs.mRefreshed, std::vector<std::string>{"Greeting"});
  dialogs.Close("Greeting");
  EXPECT_FALSE(Services().dialogs->IsOpen("Greeting"));
}

}  // namespace test_HeadlessDialogs
