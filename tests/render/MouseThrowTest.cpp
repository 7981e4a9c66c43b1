// Drags and throws on the test program's hand-driven clock: which releases throw,
// how running throws step and stop, keeping values in range, saving and restoring,
// and the stored record read back.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "core/ioStream.h"
#include "render/MouseThrow.h"
#include "render/PaneFrame.h"
#include "render/ViewGroup.h"
#include "tests/support/TestSupport.h"

namespace test_MouseThrow {

using namespace corvia;

// A throw that records what it is asked to apply; kind 900 carries one number of
// its own in stored data.
class RecordingThrow : public MouseThrow {
 public:
  explicit RecordingThrow(int kind, uint32_t flags = 0) : MouseThrow(kind) { Setup(kind, nullptr, flags); }
  void Redraw() override { ++redraws; }
  int Apply(float x, float y) override {
    applied.push_back({x, y});
    return 1;
  }
  void WriteData(ioStream* stream) override {
    if (mKind == kDataKind) ioPrintf(stream, "%g\n", value);
  }
  void ReadData(ioStream* stream, bool apply) override {
    if (mKind != kDataKind) return;
    const double read = ioReadDouble(stream);
    if (apply) value = read;
  }
  static constexpr int kDataKind = 900;
  int redraws = 0;
  double value = 0.0;
  std::vector<std::pair<float, float>> applied;
};

class MouseThrowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetMouseInterfaceType(0);
    SetMouseInertiaAllowed(true);
    SetReflectingRangeMode(false);
    StopAllMouseThrows();
    MouseThrow::ClearActive();
  }
  void TearDown() override { StopAllMouseThrows(); }

  static void Advance(double seconds) { corvia::testing::Platform().clock.Advance(seconds); }

  // Five moves of dx each, `step` seconds apart, then a release `pause` later.
  static bool Drag(MouseThrow& t, int dx, double step, double pause) {
    int x = 0;
    t.AddDragSample(x, 0);
    for (int i = 0; i < 5; ++i) {
      Advance(step);
      x += dx;
      t.AddDragSample(x, 0);
    }
    Advance(pause);
    return t.EndDrag();
  }
};

TEST_F(MouseThrowTest, OnlyAFastRecentMoveThrows) {
  RecordingThrow t(7);
  // A press and release without moves has too few samples.
  t.AddDragSample(10, 10);
  Advance(0.01);
  EXPECT_FALSE(t.EndDrag());
  EXPECT_FALSE(t.IsActive());

  // 10 pixels every 10 ms, released at once: 1000 pixels a second.
  ASSERT_TRUE(Drag(t, 10, 0.01, 0.0));
  EXPECT_TRUE(t.IsActive());
  EXPECT_EQ(GetActiveMouseThrows(), &t);
  EXPECT_NEAR(t.mSpeedX, 1000.0f, 1e-3);
  EXPECT_EQ(t.mSpeedY, 0.0f);
  t.Deactivate();

  // Released more than 0.1 s after the last move.
  EXPECT_FALSE(Drag(t, 10, 0.01, 0.15));
  // Five samples within 10 ms.
  EXPECT_FALSE(Drag(t, 10, 0.001, 0.0));
  // Slow: 1 pixel in half a second is 2 pixels a second, below 3.
  EXPECT_FALSE(Drag(t, 0, 0.1, 0.0));
  EXPECT_EQ(GetActiveMouseThrows(), nullptr);
}

TEST_F(MouseThrowTest, TheOtherReleaseTestComparesWithTheLastMove) {
  SetMouseInterfaceType(1);
  RecordingThrow t(7);
  // Moves 50 ms apart: a release 0.08 s after the last is within twice that.
  EXPECT_TRUE(Drag(t, 10, 0.05, 0.08));
  t.Deactivate();
  EXPECT_FALSE(Drag(t, 10, 0.05, 0.11));
}

TEST_F(MouseThrowTest, RunningThrowsStepByTheTimeSinceTheLastStep) {
  RecordingThrow a(7), b(8);
  a.StartThrow(2.0f, -1.0f);
  b.StartThrow(0.5f, 0.0f);
  EXPECT_EQ(GetActiveMouseThrows(), &b);  // newest first
  EXPECT_TRUE(RedrawMouseThrowViews());
  EXPECT_EQ(a.redraws + b.redraws, 2);
  SetThrowStepPending(true);
  Advance(0.5);
  EXPECT_TRUE(StepMouseThrows(nullptr));
  EXPECT_FALSE(IsThrowStepPending(*GetPaneFrame().GetViewGroup()));
  ASSERT_EQ(a.applied.size(), 1u);
  EXPECT_FLOAT_EQ(a.applied[0].first, 1.0f);
  EXPECT_FLOAT_EQ(a.applied[0].second, -0.5f);
  Advance(0.25);
  StepMouseThrows(nullptr);
  EXPECT_FLOAT_EQ(b.applied.back().first, 0.125f);

  // A new drag on a spinning throw stops it at once.
  a.AddDragSample(0, 0);
  EXPECT_FALSE(a.IsActive());
  // Turning inertia off stops every throw and later releases start none.
  SetMouseInertiaAllowed(false);
  EXPECT_EQ(GetActiveMouseThrows(), nullptr);
  EXPECT_FALSE(Drag(a, 10, 0.01, 0.0));
  SetMouseInertiaAllowed(true);
  EXPECT_FALSE(StepMouseThrows(nullptr));
}

TEST_F(MouseThrowTest, KeepInRangeClampsOrReflects) {
  RecordingThrow t(7);
  t.mSpeedX = 1.0f;
  double v = 1.5;
  EXPECT_TRUE(t.KeepInRange(v, 0.0, 1.0));
  EXPECT_EQ(v, 1.0);
  EXPECT_EQ(t.mSpeedX, -1.0f);
  v = 0.5;
  EXPECT_FALSE(t.KeepInRange(v, 0.0, 1.0));

  SetReflectingRangeMode(true);
  v = 1.25;  // a quarter past the top comes back a quarter
  EXPECT_TRUE(t.KeepInRange(v, 0.0, 1.0));
  EXPECT_DOUBLE_EQ(v, 0.75);
  EXPECT_EQ(t.mSpeedX, 1.0f);
  v = 2.25;  // past the top and back past the bottom: going up again
  EXPECT_FALSE(t.KeepInRange(v, 0.0, 1.0));
  EXPECT_DOUBLE_EQ(v, 0.25);
  v = -0.25;
  EXPECT_TRUE(t.KeepInRange(v, 0.0, 1.0));
  EXPECT_DOUBLE_EQ(v, 0.25);
  // An empty range holds the value at its one point, turning nothing.
  v = 3.0;
  EXPECT_FALSE(t.KeepInRange(v, 0.5, 0.5));
  EXPECT_EQ(v, 0.5);
  EXPECT_EQ(t.mSpeedX, -1.0f);
}

TEST_F(MouseThrowTest, SavedThrowsComeBackInTheirOrder) {
  RecordingThrow a(7), b(8);
  a.StartThrow(1.0f, 2.0f);
  a.mAxis[2] = 1.0;
  Advance(1.0);
  b.StartThrow(3.0f, 4.0f);
  {
    MouseThrowState saved;
    StopAllMouseThrows();
    EXPECT_EQ(GetActiveMouseThrows(), nullptr);
  }
  ASSERT_EQ(GetActiveMouseThrows(), &b);
  EXPECT_EQ(b.mNextActive, &a);
  EXPECT_EQ(a.mSpeedY, 2.0f);
  EXPECT_EQ(a.mAxis[2], 1.0);
  EXPECT_DOUBLE_EQ(b.mTime - a.mTime, 1.0);
}

// Writes the running throws into a stream of the mode, stops them, and reads the
// record back.
void WriteAndReadBack(const std::filesystem::path& file, int mode, int major, int minor) {
  ioStream* out = ioOpenWrite(file.c_str(), "Corvia", major, minor, mode, nullptr, nullptr, nullptr).release();
  ASSERT_NE(out, nullptr);
  WriteMouseThrowData(out, 2);
  ASSERT_TRUE(ioClose(out));
  StopAllMouseThrows();
  ioStream* in = ioOpenRead(file.c_str(), "Corvia", 8, 6, nullptr, nullptr, nullptr, 0).release();
  ASSERT_NE(in, nullptr);
  ReadMouseThrowData(in, kThrowKindBound, true);
  ioClose(in);
}

TEST_F(MouseThrowTest, StoredRecordReadsBack) {
  RecordingThrow a(7), b(RecordingThrow::kDataKind);
  const std::filesystem::path folder = corvia::testing::ScratchDir("throws");
  for (int mode : {kIoModeAscii, kIoModeBinary}) {
    StopAllMouseThrows();
    a.StartThrow(1.5f, -2.5f);
    a.mAxis[0] = 0.6;
    a.mAxis[1] = -0.8;
    b.StartThrow(4.0f, 0.0f);
    b.value = 12.5;
    WriteAndReadBack(folder / "scene", mode, 8, 6);
    b.value = 0.0;
    // Written oldest first, each read one pushed to the front: the order is kept.
    ASSERT_EQ(GetActiveMouseThrows(), &b) << "mode " << mode;
    EXPECT_EQ(b.mNextActive, &a);
    EXPECT_EQ(a.mNextActive, nullptr);
    EXPECT_FLOAT_EQ(a.mSpeedX, 1.5f);
    EXPECT_FLOAT_EQ(a.mSpeedY, -2.5f);
    EXPECT_DOUBLE_EQ(a.mAxis[0], 0.6);
    EXPECT_DOUBLE_EQ(a.mAxis[1], -0.8);
    EXPECT_FLOAT_EQ(b.mSpeedX, 4.0f);
  }
}

TEST_F(MouseThrowTest, RecordOfAMissingThrowIsSteppedOver) {
  SetMouseThrowDataSkipper(RecordingThrow::kDataKind, [](ioStream* stream) { ioReadDouble(stream); });
  const std::filesystem::path file = corvia::testing::ScratchDir("missing-throw") / "scene";
  {
    RecordingThrow kept(7);
    RecordingThrow gone(RecordingThrow::kDataKind);
    gone.StartThrow(5.0f, 0.0f);
    kept.StartThrow(2.0f, 0.0f);
    gone.value = 99.0;
    ioStream* out = ioOpenWrite(file.c_str(), "Corvia", 8, 6, kIoModeAscii, nullptr, nullptr, nullptr).release();
    WriteMouseThrowData(out, 0);
    ioClose(out);
  }
  // The throw written first (the oldest) is gone; its own number must not be read as the
  // next throw's identifier.
  RecordingThrow kept(7);
  ioStream* in = ioOpenRead(file.c_str(), "Corvia", 8, 6, nullptr, nullptr, nullptr, 0).release();
  ReadMouseThrowData(in, kThrowKindBound, true);
  ioClose(in);
  EXPECT_TRUE(kept.IsActive());
  EXPECT_FLOAT_EQ(kept.mSpeedX, 2.0f);
}

TEST_F(MouseThrowTest, OldStreamsHoldThousandthsAndNoAxis) {
  RecordingThrow t(7, kThrowConvertsDrag);
  const std::filesystem::path file = corvia::testing::ScratchDir("old-throw") / "scene";
  ioStream* out = ioOpenWrite(file.c_str(), "Corvia", 8, 1, kIoModeAscii, nullptr, nullptr, nullptr).release();
  ioPrintf(out, "%d\t%g\t%g\n%d\n", 42, 0.003, -0.004, -1);
  ioClose(out);
  ioStream* in = ioOpenRead(file.c_str(), "Corvia", 8, 6, nullptr, nullptr, nullptr, 0).release();
  ReadMouseThrowData(in, kThrowKindBound, true);
  ioClose(in);
  ASSERT_TRUE(t.IsActive());
  EXPECT_NEAR(t.mSpeedX, 3.0f, 1e-4);
  EXPECT_NEAR(t.mSpeedY, -4.0f, 1e-4);
  // The axis is worked out from the speeds: across the motion, unit length.
  EXPECT_NEAR(t.mAxis[0], 0.8, 1e-6);
  EXPECT_NEAR(t.mAxis[1], -0.6, 1e-6);
}

// Data cut short, or a list without its closing -1, end the reading with a message
// (no endless loop on zeros read past the end); a whole record reads true.
TEST_F(MouseThrowTest, CutDataEndsTheReadingWithAMessage) {
  RecordingThrow t(7);
  const std::filesystem::path file = corvia::testing::ScratchDir("cut-throws") / "scene";
  const std::string whole = "42\t1.5\t-2.5\n0.6\t-0.8\t0\n\n-1\n";
  const std::string cuts[] = {"42\t1.5\t-2.5\n0.6\t-0.8\t0\n\n", "42\t1.5\t-2.5\n0.6", "42\t1.5", ""};
  auto read = [&file](const std::string& body, std::vector<std::string>& errors) {
    ioStream* out = ioOpenWrite(file.c_str(), "Corvia", 8, 6, kIoModeAscii, nullptr, nullptr, nullptr).release();
    ioPrintf(out, "%s", body.c_str());
    ioClose(out);
    ioStream* in = ioOpenRead(file.c_str(), "Corvia", 8, 6, nullptr,
                              [&errors](int level, const char*, const char* message) {
                                if (level >= kIoLevelError) errors.push_back(message);
                                return 0;
                              },
                              nullptr, 0).release();
    const bool result = ReadMouseThrowData(in, kThrowKindBound, false);
    ioClose(in);
    return result;
  };
  std::vector<std::string> errors;
  EXPECT_TRUE(read(whole, errors));
  EXPECT_TRUE(errors.empty());
  for (const std::string& cut : cuts) {
    errors.clear();
    EXPECT_FALSE(read(cut, errors)) << cut;
    ASSERT_FALSE(errors.empty()) << cut;
    EXPECT_EQ(errors.back(), "The mouse-throw data are cut short (no closing -1)") << cut;
  }
  EXPECT_FALSE(t.IsActive());
}

}  // namespace test_MouseThrow
