#pragma once
// The one clock of the program: monotonic seconds since start-up. Tests install a
// fake clock to step time by hand.

#include <cstdint>

namespace corvia::platform {

class Clock {
public:
  virtual ~Clock() = default;
  // Monotonic time in seconds; only differences mean anything.
  virtual double NowSeconds() const = 0;
};

// std::chrono::steady_clock.
class SteadyClock final : public Clock {
public:
  double NowSeconds() const override;
};

// A clock that moves only when told to.
class ManualClock final : public Clock {
public:
  double NowSeconds() const override { return mNow; }
  void Set(double seconds) { mNow = seconds; }
  void Advance(double seconds) { mNow += seconds; }

private:
  double mNow = 0.0;
};

// Seconds of processor time the calling thread has used: a measure of its own work
// that other programs on the machine do not stretch.
double ThreadSeconds();
// Seconds of processor time the whole process has used, every thread's (a renderer's
// own threads included).
double ProcessSeconds();

}  // namespace corvia::platform
