#include "platform/Clock.h"

#include <chrono>
#include <ctime>

namespace corvia::platform {

double SteadyClock::NowSeconds() const {
  using namespace std::chrono;
  static const steady_clock::time_point start = steady_clock::now();
  return duration<double>(steady_clock::now() - start).count();
}

double ThreadSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

}  // namespace corvia::platform
