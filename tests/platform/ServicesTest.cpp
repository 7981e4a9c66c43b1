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
  corvia::testing::ExpectInternalErrors();
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
