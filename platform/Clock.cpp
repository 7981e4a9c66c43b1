#include "platform/Clock.h"

#include <chrono>
#include <ctime>

namespace corvia::platform {

double SteadyClock::NowSeconds() const {
  using namespace std::chrono;
  static const steady_clock::time_point start = steady_clock::now();
  return duration<double>(steady_clock::now() - start).count();
}

namespace {
double ClockSeconds(clockid_t clock) {
  timespec now{};
  clock_gettime(clock, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}
}  // namespace

double ThreadSeconds() {
  return ClockSeconds(CLOCK_THREAD_CPUTIME_ID);
}

double ProcessSeconds() {
  return ClockSeconds(CLOCK_PROCESS_CPUTIME_ID);
}

}  // namespace corvia::platform
