#include <gtest/gtest.h>

#include <cstring>

#include "core/Messages.h"
#include "tests/support/TestSupport.h"

namespace test_AskText {

TEST(AskText, AnswerReplacesTheBufferAndCancelKeepsIt) {
  auto& messages = corvia::testing::Platform().messages;
  char buffer[80] = "12";
  messages.QueueText("3.4.3.4");
  EXPECT_TRUE(corvia::AskText("Enter a value for <N>", buffer, sizeof buffer, 0));
  EXPECT_STREQ(buffer, "3.4.3.4");
  ASSERT_EQ(messages.TextPrompts().size(), 1u);
  EXPECT_EQ(messages.TextPrompts()[0], "Enter a value for <N>");

  messages.QueueText("ignored", false);
  EXPECT_FALSE(corvia::AskText("Again", buffer, sizeof buffer, 0));
  EXPECT_STREQ(buffer, "3.4.3.4");
}

TEST(AskText, LongAnswersAreCutOnACharacterBoundary) {
  auto& messages = corvia::testing::Platform().messages;
  char buffer[6] = "";
  messages.QueueText("abc\xC3\xA9\xC3\xA9");  // "abcéé": the first é would end at byte 5
  EXPECT_TRUE(corvia::AskText("Name", buffer, sizeof buffer, 0));
  EXPECT_STREQ(buffer, "abc\xC3\xA9");
  messages.QueueText("abcd\xC3\xA9");  // the é would straddle the end: dropped whole
  EXPECT_TRUE(corvia::AskText("Name", buffer, sizeof buffer, 0));
  EXPECT_STREQ(buffer, "abcd");
  EXPECT_FALSE(corvia::AskText("Name", nullptr, 10, 0));
  EXPECT_FALSE(corvia::AskText("Name", buffer, 0, 0));
}

}  // namespace test_AskText
