#include "platform/Clock.h"

#include <chrono>

namespace corvia::platform {

double SteadyClock::NowSeconds() const {
  using namespace std::chrono;
  static const steady_clock::time_point start = steady_clock::now();
  return duration<double>(steady_clock::now() - start).count();
}

}  // namespace corvia::platform
