#include "core/Progress.h"

#include <cmath>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "core/Messages.h"
#include "tests/support/TestSupport.h"

namespace corvia {
namespace {

using WindowState = platform::HeadlessProgressWindow::State;

class ProgressTest : public ::testing::Test {
protected:
  void SetUp() override {
    clock().Set(5000.0);
    progress().Current()->onPump = nullptr;
    progress().Current()->onPausedWait = nullptr;
    mWindowsBefore = progress().WindowsCreated();
  }
  void TearDown() override {
    EXPECT_FALSE(IsProgressActive()) << "a test left a progress level open";
    while (IsProgressActive()) EndProgress();
    progress().Current()->onPump = nullptr;
    progress().Current()->onPausedWait = nullptr;
    SetDrawingContextQuery(nullptr);
  }

  static platform::ManualClock& clock() { return testing::Platform().clock; }
  static platform::HeadlessProgress& progress() { return testing::Platform().progress; }
  static WindowState& window() { return *progress().Current(); }
  int windowsCreated() const { return progress().WindowsCreated() - mWindowsBefore; }

  int mWindowsBefore = 0;
};

TEST_F(ProgressTest, WorkUnderASecondNeverShowsTheWindow) {
  BeginProgress();
  for (int i = 1; i <= 9; ++i) {
    clock().Advance(0.1);
    EXPECT_TRUE(UpdateProgress(i / 10.0, "step %d", i));
  }
  clock().Advance(0.099);
  EXPECT_TRUE(UpdateProgress(1.0));
  EndProgress();
  EXPECT_EQ(windowsCreated(), 0);
}

bool DrawingNow() { return true; }

// Before its window shows, work answers the program's events from its first quarter
// second on, at most once a tick, never inside a paint; a close heard there stops it at
// once, and a level that those events closed is left alone.
TEST_F(ProgressTest, WorkAnswersFromAQuarterSecondBeforeItsWindowShows) {
  const int before = progress().PumpsBeforeWindow();
  auto pumps = [&] { return progress().PumpsBeforeWindow() - before; };
  BeginProgress();
  clock().Advance(0.2);
  EXPECT_TRUE(UpdateProgress(0.1));
  EXPECT_EQ(pumps(), 0) << "short work is left alone";
  clock().Advance(0.05);
  EXPECT_TRUE(UpdateProgress(kProgressNoReport));
  EXPECT_EQ(pumps(), 1);
  clock().Advance(0.01);
  EXPECT_TRUE(ProgressTick());
  EXPECT_EQ(pumps(), 1) << "within a tick of the last";
  clock().Advance(kProgressTickSeconds);
  EXPECT_TRUE(ProgressTick());
  EXPECT_EQ(pumps(), 2) << "a tick's report answers as well";
  SetDrawingContextQuery(&DrawingNow);
  clock().Advance(0.1);
  EXPECT_TRUE(UpdateProgress(0.3));
  EXPECT_EQ(pumps(), 2) << "a paint is not re-entered";
  SetDrawingContextQuery(nullptr);
  progress().onPumpBeforeWindow = [] { RequestProgressCancel(); };
  {
    ProgressScope inner;
    clock().Advance(0.1);
    EXPECT_FALSE(ProgressTick()) << "the main window closed meanwhile";
    EXPECT_EQ(pumps(), 3);
    EXPECT_TRUE(WasProgressCancelRequested());
    EXPECT_FALSE(UpdateProgress(0.5)) << "the outer work stops too";
  }
  EXPECT_FALSE(IsProgressActive());
  progress().onPumpBeforeWindow = [] { EndProgress(); };
  BeginProgress();
  clock().Advance(0.3);
  EXPECT_FALSE(UpdateProgress(0.5)) << "the events closed the level";
  progress().onPumpBeforeWindow = nullptr;
  EXPECT_FALSE(IsProgressActive());
  EXPECT_EQ(windowsCreated(), 0);
}

TEST_F(ProgressTest, WindowAppearsAfterASecondAndGoesWithTheOutermostLevel) {
  BeginProgress();
  BeginProgress();
  clock().Advance(1.0);
  EXPECT_TRUE(UpdateProgress(0.25, "Building"));
  ASSERT_EQ(windowsCreated(), 1);
  EXPECT_TRUE(window().open);
  EXPECT_EQ(window().pumps, 1);
  EXPECT_EQ(window().caption, "Building");
  EXPECT_EQ(window().timeTaken, "Time Taken: 1.00 seconds");
  EXPECT_EQ(window().timeRemaining, "Time Remaining: 3.00 seconds");
  EXPECT_EQ(window().bar, 8191);
  EndProgress();
  EXPECT_TRUE(window().open);
  EndProgress();
  EXPECT_FALSE(window().open);
}

TEST_F(ProgressTest, DaysCountTowardsTheFirstSecond) {
  // A day and half a second is not "under a second".
  BeginProgress();
  clock().Advance(86400.5);
  EXPECT_TRUE(UpdateProgress(0.5));
  EXPECT_EQ(windowsCreated(), 1);
  EXPECT_EQ(window().timeTaken, "Time Taken: 1 day");
  EndProgress();
}

TEST_F(ProgressTest, ResumedWorkStartsWithItsElapsedTime) {
  BeginProgress(TimeSpan(0, 90 * 1000));
  EXPECT_EQ(windowsCreated(), 1);  // the opening report already shows the window
  clock().Advance(30.0);
  EXPECT_TRUE(UpdateProgress(0.5));
  EXPECT_EQ(window().timeTaken, "Time Taken: 2 minutes, 0.00 seconds");
  EXPECT_EQ(ProgressElapsedTime(), TimeSpan(0, 120 * 1000));
  EXPECT_STREQ(ElapsedTimeText(), "2 minutes, 0.00 seconds");
  EndProgress();
}

TEST_F(ProgressTest, PushedRangeMapsTheInnerFraction) {
  BeginProgress();
  clock().Advance(10.0);
  const ProgressRange outer = PushProgressRange(0.25, 0.75);
  EXPECT_EQ(outer.low, 0.0);
  EXPECT_EQ(outer.high, 1.0);
  EXPECT_TRUE(UpdateProgress(0.5));
  EXPECT_EQ(window().bar, 32767 / 2);
  EXPECT_EQ(window().timeTaken, "Time Taken: 10.00 seconds");
  EXPECT_EQ(window().timeRemaining, "Time Remaining: 10.00 seconds");

  // Ranges nest: (0.5, 1) of (0.25, 0.75) is (0.5, 0.75).
  const ProgressRange middle = PushProgressRange(0.5, 1.0);
  EXPECT_TRUE(UpdateProgress(0.0));
  EXPECT_EQ(window().bar, 32767 / 2);
  PopProgressRange(middle);
  PopProgressRange(outer);
  EXPECT_TRUE(UpdateProgress(1.0));
  EXPECT_EQ(window().bar, 32767);
  EndProgress();
}

TEST_F(ProgressTest, RemainingLineOffUntilTheOutermostEnd) {
  BeginProgress();
  clock().Advance(2.0);
  BeginProgress();
  SetShowTimeRemaining(false);
  EXPECT_TRUE(UpdateProgress(0.5));
  EXPECT_EQ(window().timeRemaining, "");
  EndProgress();
  EXPECT_TRUE(UpdateProgress(0.5));
  EXPECT_EQ(window().timeRemaining, "") << "an inner level does not switch it back on";
  EndProgress();

  BeginProgress();
  clock().Advance(2.0);
  EXPECT_TRUE(UpdateProgress(0.5));
  EXPECT_EQ(window().timeRemaining, "Time Remaining: 2.00 seconds");
  EndProgress();
}

TEST_F(ProgressTest, NoEstimateBeforeAnyWorkIsDone) {
  BeginProgress();
  clock().Advance(2.0);
  EXPECT_TRUE(UpdateProgress(0.5));
  EXPECT_TRUE(UpdateProgress(0.0));
  EXPECT_EQ(window().timeRemaining, "Time Remaining: 2.00 seconds") << "the line keeps its text";
  EXPECT_EQ(window().bar, 1) << "a fraction of 0 shows the first step";
  EXPECT_TRUE(UpdateProgress(-0.5));
  EXPECT_EQ(window().bar, 1);
  EXPECT_TRUE(UpdateProgress(2.0));
  EXPECT_EQ(window().bar, 32767);
  EndProgress();
}

TEST_F(ProgressTest, TinyFractionGivesAClampedEstimate) {
  BeginProgress();
  clock().Advance(2.0);
  EXPECT_TRUE(UpdateProgress(1e-25));
  EXPECT_NE(window().timeRemaining.find("millennia"), std::string::npos) << window().timeRemaining;
  EXPECT_EQ(window().timeRemaining.find('-'), std::string::npos) << window().timeRemaining;
  EndProgress();
}

// Without a fraction the window answers and its time taken moves on (long work that
// cannot count its steps), but the caption and the bar stay.
TEST_F(ProgressTest, NoReportFractionPumpsAndMovesOnlyTheTimeTaken) {
  BeginProgress();
  clock().Advance(2.0);
  EXPECT_TRUE(UpdateProgress(kProgressNoReport, "hidden"));
  clock().Advance(3.0);
  EXPECT_TRUE(ProgressTick());
  EXPECT_EQ(window().timeTaken, "Time Taken: 5.00 seconds");
  EXPECT_TRUE(UpdateProgress(std::numeric_limits<double>::quiet_NaN(), "hidden"));
  EXPECT_EQ(window().pumps, 3);
  EXPECT_EQ(window().caption, "");
  EXPECT_EQ(window().timeRemaining, "");
  EXPECT_EQ(window().bar, 0);
  EndProgress();
}

// Work that reports its share now and then and only ticks in between: the time
// remaining counts down to the end the last share foretold, and once the work runs past
// that end it goes by the pace of the whole so far; a share of an inner range counts as
// its part of the whole.
TEST_F(ProgressTest, TheTimeRemainingMovesOnBetweenFractions) {
  BeginProgress();
  clock().Advance(2.0);
  EXPECT_TRUE(UpdateProgress(0.5));
  EXPECT_EQ(window().timeRemaining, "Time Remaining: 2.00 seconds");
  clock().Advance(0.5);
  EXPECT_TRUE(ProgressTick());
  EXPECT_EQ(window().timeRemaining, "Time Remaining: 1.50 seconds");
  clock().Advance(1.0);
  EXPECT_TRUE(UpdateProgress(kProgressNoReport));
  EXPECT_EQ(window().timeRemaining, "Time Remaining: 0.50 seconds");
  clock().Advance(1.0);
  EXPECT_TRUE(ProgressTick());
  EXPECT_EQ(window().timeTaken, "Time Taken: 4.50 seconds");
  EXPECT_EQ(window().timeRemaining, "Time Remaining: 4.50 seconds");
  const ProgressRange outer = PushProgressRange(0.5, 1.0);
  EXPECT_TRUE(UpdateProgress(0.5));
  EXPECT_EQ(window().timeRemaining, "Time Remaining: 1.50 seconds");
  PopProgressRange(outer);
  clock().Advance(0.5);
  EXPECT_TRUE(ProgressTick());
  EXPECT_EQ(window().timeRemaining, "Time Remaining: 1.00 seconds");
  EndProgress();
}

TEST_F(ProgressTest, CancelClosesOneLevelAndTheScopeDoesNotCloseAnother) {
  ProgressScope outer;
  {
    ProgressScope inner;
    clock().Advance(2.0);
    EXPECT_TRUE(UpdateProgress(0.1));
    window().onPump = [](WindowState& state) { state.cancel = true; };
    EXPECT_FALSE(UpdateProgress(0.2));
    EXPECT_TRUE(IsProgressActive());
    EXPECT_TRUE(window().open);
  }
  // Only the inner level is gone; the outer one learns of the cancel next.
  EXPECT_TRUE(IsProgressActive());
  EXPECT_FALSE(UpdateProgress(0.5));
  EXPECT_FALSE(IsProgressActive());
  EXPECT_FALSE(window().open);
  EXPECT_FALSE(UpdateProgress(0.6)) << "no level is open";
  // Leaving the outer scope shows no "Too many calls" error (the test main fails
  // on any unexpected internal error).
}

// Ticks from deep inside work pump the window at most once every 0.05 s of the
// clock; a cancel met by one is kept, so every later tick of that work says stop,
// until the work has come back out of its scope (and the next operation goes on).
TEST_F(ProgressTest, TicksPumpNowAndThenAndKeepACancel) {
  EXPECT_TRUE(ProgressTick()) << "no level: nothing to stop";
  {
    ProgressScope scope;
    clock().Advance(2.0);
    EXPECT_TRUE(ProgressTick());
    const int pumps = window().pumps;
    clock().Advance(0.01);
    EXPECT_TRUE(ProgressTick());
    EXPECT_TRUE(ProgressTick());
    EXPECT_EQ(window().pumps, pumps);
    clock().Advance(kProgressTickSeconds);
    EXPECT_TRUE(ProgressTick());
    EXPECT_EQ(window().pumps, pumps + 1);
    window().onPump = [](WindowState& state) { state.cancel = true; };
    clock().Advance(kProgressTickSeconds);
    EXPECT_FALSE(ProgressTick());
    EXPECT_FALSE(IsProgressActive());
    window().onPump = nullptr;
    clock().Advance(1.0);
    EXPECT_FALSE(ProgressTick());
    EXPECT_FALSE(ProgressTick());
  }
  EXPECT_TRUE(ProgressTick());
  ProgressScope next;
  EXPECT_TRUE(ProgressTick());
}

// A ticker of a loop over many small items reads the clock only at every n-th pass,
// and from the tick that met a cancel on answers stop at every pass.
TEST_F(ProgressTest, ATickerTicksAtEveryNthPassAndKeepsACancel) {
  ProgressScope scope;
  clock().Advance(2.0);
  ProgressTicker tick(4);
  EXPECT_TRUE(tick()) << "the first pass ticks and opens the window";
  ASSERT_EQ(windowsCreated(), 1);
  int pumps = window().pumps;
  for (int pass = 1; pass < 12; ++pass) {
    clock().Advance(kProgressTickSeconds);
    EXPECT_TRUE(tick());
    const int expected = pass % 4 == 0 ? pumps + 1 : pumps;
    EXPECT_EQ(window().pumps, expected) << "pass " << pass;
    pumps = window().pumps;
  }
  window().onPump = [](WindowState& state) { state.cancel = true; };
  int passes = 0;
  while (tick() && passes < 100) ++passes;
  window().onPump = nullptr;
  EXPECT_EQ(passes, 0) << "the 13th pass is a tick and met the cancel";
  EXPECT_FALSE(tick());
  EXPECT_FALSE(IsProgressActive());
  ProgressTicker everyPass(0);
  EXPECT_FALSE(everyPass()) << "a new ticker of the cancelled work stops too";
}

// A tick reports as UpdateProgress does, within the range pushed round the deep work,
// when one is due; a caption reported before the window appeared shows when a tick
// without one opens it.
TEST_F(ProgressTest, TicksReportTheirShareOfTheRangeAndTheEarlyCaptionShows) {
  ProgressScope scope;
  EXPECT_TRUE(UpdateProgress(0.1, "Making %s", "nets"));
  EXPECT_TRUE(UpdateProgress(0.1, "%s", "not shown")) << "under the delay";
  EXPECT_TRUE(UpdateProgress(kProgressNoReport, "hidden")) << "no report: no caption";
  clock().Advance(1.5);
  const ProgressRange whole = PushProgressRange(0.5, 1.0);
  EXPECT_TRUE(IsProgressTickDue());
  EXPECT_TRUE(ProgressTick(0.5));
  ASSERT_EQ(windowsCreated(), 1);
  EXPECT_EQ(window().caption, "not shown");
  EXPECT_EQ(window().bar, static_cast<int>(0.75 * 32767));
  clock().Advance(0.01);
  EXPECT_FALSE(IsProgressTickDue());
  EXPECT_TRUE(ProgressTick(0.9, "later"));
  EXPECT_EQ(window().bar, static_cast<int>(0.75 * 32767)) << "too soon after the last";
  clock().Advance(kProgressTickSeconds);
  EXPECT_TRUE(ProgressTick(1.0, "later"));
  EXPECT_EQ(window().bar, 32767);
  EXPECT_EQ(window().caption, "later");
  PopProgressRange(whole);
}

// The program's cancel is kept by the ticks like the user's. A level opened by hand
// and cancelled ends with the caller that opened it: no scope encloses the work, so
// later ticks (a model built after the cancelled work) go on.
TEST_F(ProgressTest, TicksKeepTheProgramsCancelButNotOneNoScopeEncloses) {
  {
    ProgressScope scope;
    clock().Advance(2.0);
    EXPECT_TRUE(ProgressTick());
    RequestProgressCancel();
    clock().Advance(kProgressTickSeconds);
    EXPECT_FALSE(ProgressTick());
    EXPECT_FALSE(IsProgressActive());
    EXPECT_TRUE(WasProgressCancelRequested());
    const int pumps = window().pumps;
    clock().Advance(1.0);
    EXPECT_FALSE(IsProgressTickDue());
    EXPECT_FALSE(ProgressTick());
    EXPECT_EQ(window().pumps, pumps) << "a kept cancel pumps no more";
  }
  EXPECT_TRUE(ProgressTick());

  BeginProgress();
  clock().Advance(2.0);
  EXPECT_TRUE(UpdateProgress(0.4));
  window().cancel = true;
  EXPECT_FALSE(UpdateProgress(0.5));
  EXPECT_FALSE(IsProgressActive());
  EXPECT_TRUE(ProgressTick()) << "nothing the cancel stopped is still running";

  // Inside a scope, the same cancel is kept until the scope ends.
  {
    ProgressScope scope;
    BeginProgress();
    clock().Advance(2.0);
    EXPECT_TRUE(UpdateProgress(0.4));
    window().cancel = true;
    EXPECT_FALSE(UpdateProgress(0.5));
    EXPECT_FALSE(ProgressTick());
    EXPECT_FALSE(UpdateProgress(0.5)) << "the scope's level learns of it too";
  }
  EXPECT_TRUE(ProgressTick());
}

// Work that runs to its end after a cancel (records grown or freed, a model put back
// under its own progress) takes no cancel, and the cancel holds again after it: the
// cancelled work, still in its scope, stops at its next tick, though its level, the
// outermost, was closed by the cancel.
TEST_F(ProgressTest, TheCancelTakenBeforeAShieldHoldsAfterIt) {
  {
    ProgressScope work;
    clock().Advance(2.0);
    EXPECT_TRUE(ProgressTick());
    window().onPump = [](WindowState& state) { state.cancel = true; };
    clock().Advance(kProgressTickSeconds);
    EXPECT_FALSE(ProgressTick());
    window().onPump = nullptr;
    {
      const ProgressShield toTheEnd;
      EXPECT_TRUE(ProgressTick()) << "shielded work goes on";
    }
    clock().Advance(1.0);
    EXPECT_FALSE(ProgressTick()) << "a shield of no level of its own";
    {
      const ProgressShield toTheEnd;
      ProgressScope putBack;
      window().onPump = [](WindowState& state) { state.cancel = true; };
      clock().Advance(2.0);
      EXPECT_TRUE(UpdateProgress(0.5)) << "a Cancel pressed in shielded work is not taken";
      EXPECT_TRUE(ProgressTick());
      window().onPump = nullptr;
    }
    clock().Advance(1.0);
    EXPECT_FALSE(ProgressTick()) << "a shield round work of its own";
  }
  EXPECT_TRUE(ProgressTick()) << "the cancelled work is over";
}

TEST_F(ProgressTest, PausedTimeIsNeitherElapsedNorRemaining) {
  BeginProgress();
  clock().Advance(2.0);
  EXPECT_TRUE(UpdateProgress(0.25));
  std::string captionWhilePaused;
  int waits = 0;
  window().onPump = [](WindowState& state) {
    if (state.pumps == 2) state.pause = true;
  };
  window().onPausedWait = [&](WindowState& state) {
    captionWhilePaused = state.pauseCaption;
    clock().Advance(50.0);
    if (++waits == 3) state.pause = false;
  };
  clock().Advance(2.0);
  EXPECT_TRUE(UpdateProgress(0.5));
  EXPECT_EQ(waits, 3);
  EXPECT_EQ(captionWhilePaused, "Resume");
  EXPECT_EQ(window().pauseCaption, "Pause");
  EXPECT_EQ(window().timeTaken, "Time Taken: 4.00 seconds");
  EXPECT_EQ(window().timeRemaining, "Time Remaining: 4.00 seconds");
  EXPECT_EQ(ProgressElapsedTime(), TimeSpan(0, 4000));
  EndProgress();
}

TEST_F(ProgressTest, CancelWhilePaused) {
  BeginProgress();
  clock().Advance(2.0);
  window().onPump = [](WindowState& state) { state.pause = true; };
  window().onPausedWait = [](WindowState& state) { state.cancel = true; };
  EXPECT_FALSE(UpdateProgress(0.5));
  EXPECT_FALSE(IsProgressActive());
}

TEST_F(ProgressTest, CaptionIsFormattedAndCut) {
  BeginProgress();
  clock().Advance(2.0);
  EXPECT_TRUE(UpdateProgress(0.5, "Face %d of %d", 3, 10));
  EXPECT_EQ(window().caption, "Face 3 of 10");
  EXPECT_TRUE(UpdateProgress(0.6));
  EXPECT_EQ(window().caption, "Face 3 of 10") << "no caption keeps the last one";
  const std::string longText(600, 'x');
  EXPECT_TRUE(UpdateProgress(0.7, "%s", longText.c_str()));
  EXPECT_LE(window().caption.size(), 511u);
  EXPECT_EQ(window().caption.substr(window().caption.size() - 3), "...");
  EndProgress();
}

TEST_F(ProgressTest, NoWindowWhileDrawing) {
  EXPECT_FALSE(IsDrawingContextHeld()) << "no query: nothing draws";
  SetDrawingContextQuery(&DrawingNow);
  EXPECT_TRUE(IsDrawingContextHeld());
  BeginProgress();
  clock().Advance(2.0);
  EXPECT_TRUE(UpdateProgress(0.5));
  EXPECT_EQ(windowsCreated(), 0);
  SetDrawingContextQuery(nullptr);
  EXPECT_TRUE(UpdateProgress(0.5));
  EXPECT_EQ(windowsCreated(), 1);
  EndProgress();
}

TEST_F(ProgressTest, TheProgramCancelsLikeTheButtonAndSaysItWasItself) {
  RequestProgressCancel();  // with no work running: nothing to stop
  BeginProgress();
  ProgressScope inner;
  clock().Advance(1.5);
  EXPECT_TRUE(UpdateProgress(0.3));
  RequestProgressCancel();
  EXPECT_FALSE(UpdateProgress(0.4)) << "the next report stops";
  EXPECT_TRUE(IsProgressActive());
  EXPECT_FALSE(UpdateProgress(kProgressNoReport)) << "so does the outer work's";
  EXPECT_FALSE(IsProgressActive());
  EXPECT_TRUE(WasProgressCancelRequested());
  // The button is the user's.
  BeginProgress();
  EXPECT_FALSE(WasProgressCancelRequested()) << "new work forgets it";
  clock().Advance(1.5);
  EXPECT_TRUE(UpdateProgress(0.3));
  window().cancel = true;
  EXPECT_FALSE(UpdateProgress(0.4));
  EXPECT_FALSE(WasProgressCancelRequested());
  EXPECT_FALSE(IsProgressActive());
}

// An internal error ends the work it is met in, at once: told once however many
// follow, every level stopped at its report, a shield's work left to run; the next
// work tells its own.
TEST_F(ProgressTest, AnInternalErrorEndsTheWorkItIsMetIn) {
  testing::ExpectInternalErrors(2);
  auto& messages = testing::Platform().messages;
  messages.Clear();
  const int stops = GetProgressCancelCount();
  for (int work = 1; work <= 2; ++work) {
    ProgressScope outer;
    ProgressScope inner;
    ShowInternalError("first");
    ShowInternalError("second");
    EXPECT_EQ(GetProgressCancelCount(), stops + work);
    {
      const ProgressShield shield;
      EXPECT_TRUE(UpdateProgress(0.2)) << "work that must end runs on";
    }
    EXPECT_FALSE(ProgressTick());
    EXPECT_FALSE(UpdateProgress(0.5)) << "the outer work stops too";
    EXPECT_FALSE(IsProgressActive());
    EXPECT_TRUE(WasProgressEndedByInternalError());
    EXPECT_EQ(messages.CountTitled("Internal Error"), work);
  }
  messages.Clear();
}

TEST_F(ProgressTest, UnbalancedEndIsReportedAndClamped) {
  testing::ExpectInternalErrors(1);
  EXPECT_FALSE(UpdateProgress(0.5)) << "no level is open";
  EndProgress();
  auto& messages = testing::Platform().messages;
  ASSERT_EQ(messages.CountTitled("Internal Error"), 1);
  EXPECT_NE(messages.Boxes().back().text.find("Too many calls to EndProgress()"), std::string::npos);
  EXPECT_FALSE(IsProgressActive());

  BeginProgress();
  EXPECT_TRUE(IsProgressActive());
  EndProgress();
  EXPECT_FALSE(IsProgressActive());
  EXPECT_EQ(messages.CountTitled("Internal Error"), 1);
}

TEST_F(ProgressTest, ExplicitEndInsideAScopeIsNotRepeated) {
  {
    ProgressScope scope;
    EndProgress();
  }
  EXPECT_FALSE(IsProgressActive());
}

// The events a report lets through may close the outermost level (a command that ends
// the work): the report then touches no window that is gone.
TEST_F(ProgressTest, AWindowClosedByTheEventsItLetsThroughIsLeftAlone) {
  BeginProgress();
  clock().Advance(2.0);
  EXPECT_TRUE(UpdateProgress(0.1));
  ASSERT_TRUE(window().open);
  window().onPump = [](WindowState&) { EndProgress(); };
  EXPECT_FALSE(UpdateProgress(0.2));
  window().onPump = nullptr;
  EXPECT_FALSE(IsProgressActive());
}

}  // namespace
}  // namespace corvia
