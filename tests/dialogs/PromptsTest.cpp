// The number prompts: numbers and equations accepted, malformed input refused with
// the evaluator's message and asked for again from what was typed, Cancel keeping
// the value.

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

#include "ui/Prompts.h"
#include "tests/support/TestSupport.h"

namespace test_Prompts {

using corvia::testing::Platform;

TEST(AskReal, ShowsTheValueAndTakesNumbersAndEquations) {
  auto& messages = Platform().messages;
  double value = 0.1;
  messages.QueueText("2.5");
  EXPECT_TRUE(corvia::AskReal("Enter duration of selected tour events.", value, 0));
  EXPECT_EQ(value, 2.5);
  ASSERT_EQ(messages.TextStarts().size(), 1u);
  EXPECT_EQ(messages.TextStarts()[0], "0.1");
  EXPECT_EQ(messages.TextPrompts()[0], "Enter duration of selected tour events.");

  messages.QueueText("2*sqrt(3)");
  EXPECT_TRUE(corvia::AskReal("Again", value, 0));
  EXPECT_DOUBLE_EQ(value, 2 * std::sqrt(3.0));
  EXPECT_EQ(messages.TextStarts()[1], "2.5");
  messages.QueueText("1", false);
  EXPECT_FALSE(corvia::AskReal("Shown with 15 digits", value, 0));
  EXPECT_EQ(messages.TextStarts()[2], "3.46410161513775");

  // The unset duration shows as the largest double.
  double unset = DBL_MAX;
  messages.QueueText("1", false);
  EXPECT_FALSE(corvia::AskReal("Unset", unset, 0));
  EXPECT_EQ(messages.TextStarts()[3], "1.79769313486232e+308");
  EXPECT_EQ(unset, DBL_MAX);
  EXPECT_TRUE(messages.Boxes().empty());
}

TEST(AskReal, RefusesMalformedInputWithTheEvaluatorsMessage) {
  auto& messages = Platform().messages;
  double value = 4.0;
  messages.QueueText("2*(3");
  messages.QueueText("1/0");
  messages.QueueText("");
  messages.QueueText("pi");
  EXPECT_TRUE(corvia::AskReal("Number", value, 0));
  EXPECT_DOUBLE_EQ(value, M_PI);
  ASSERT_EQ(messages.Boxes().size(), 3u);
  for (const auto& box : messages.Boxes()) EXPECT_EQ(box.title, "Error");
  EXPECT_NE(messages.Boxes()[0].text.find("Error in equation"), std::string::npos) << messages.Boxes()[0].text;
  EXPECT_NE(messages.Boxes()[1].text.find("Division by zero"), std::string::npos) << messages.Boxes()[1].text;
  // Each refusal asks again starting from the text as typed.
  ASSERT_EQ(messages.TextStarts().size(), 4u);
  EXPECT_EQ(messages.TextStarts()[1], "2*(3");
  EXPECT_EQ(messages.TextStarts()[2], "1/0");

  // A refusal followed by Cancel leaves the value alone.
  messages.QueueText("pi pi (");
  EXPECT_FALSE(corvia::AskReal("Number", value, 0));
  EXPECT_DOUBLE_EQ(value, M_PI);
}

TEST(AskNumber, TakesWholeNumbersOnly) {
  auto& messages = Platform().messages;
  int faces = 7;
  messages.QueueText("2.5");
  messages.QueueText("1e12");
  messages.QueueText("3*4");
  EXPECT_TRUE(corvia::AskNumber("Maximum number of faces allowed per net:", faces));
  EXPECT_EQ(faces, 12);
  EXPECT_EQ(messages.TextStarts()[0], "7");
  EXPECT_EQ(messages.CountTitled("Error"), 2);
  EXPECT_FALSE(corvia::AskNumber("Again", faces));
  EXPECT_EQ(faces, 12);
  messages.QueueText("-3");
  EXPECT_TRUE(corvia::AskNumber("Negative", faces));
  EXPECT_EQ(faces, -3);
}

TEST(AskMultiLineText, AnswerReplacesTheTextAndCancelKeepsIt) {
  auto& messages = Platform().messages;
  std::string comments = "first";
  messages.QueueText("one\ntwo");
  EXPECT_TRUE(corvia::AskMultiLineText("Comments about this model", comments));
  EXPECT_EQ(comments, "one\ntwo");
  messages.QueueText("lost", false);
  EXPECT_FALSE(corvia::AskMultiLineText("Comments about this model", comments));
  EXPECT_EQ(comments, "one\ntwo");
}

}  // namespace test_Prompts
