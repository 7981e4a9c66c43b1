// What long work may count on is what this process can really get: a limit on its
// address space (a login's limits, prlimit) bounds it, whatever the machine has.

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstdint>

#include "platform/Memory.h"
#include "tests/support/TestSupport.h"

namespace {

constexpr uint64_t kMegabyte = uint64_t{1} << 20;

TEST(WorkMemory, TheAddressSpaceLimitOfTheProcessBoundsTheWork) {
#if defined(__SANITIZE_ADDRESS__)
  // The sanitizer's shadow memory takes terabytes of address space, and its allocator
  // ends the process where the C++ library would throw.
  GTEST_SKIP() << "not under the address sanitizer";
#endif
  const corvia::testing::WorkMemoryScope processOwn(0);
  const corvia::platform::MemorySources sources = corvia::platform::ReadMemorySources();
  ASSERT_GT(sources.addressUsed, 0u);
  rlimit before{};
  ASSERT_EQ(getrlimit(RLIMIT_AS, &before), 0);
  rlimit lower = before;
  lower.rlim_cur = sources.addressUsed + 512 * kMegabyte;
  if (before.rlim_cur != RLIM_INFINITY && before.rlim_cur < lower.rlim_cur) GTEST_SKIP() << "a lower limit is set";
  ASSERT_EQ(setrlimit(RLIMIT_AS, &lower), 0);
  const uint64_t limit = corvia::platform::WorkMemoryLimit();
  const long long fitting = corvia::platform::CountFittingInWorkMemory(1024.0 * 1024.0, 1000000);
  ASSERT_EQ(setrlimit(RLIMIT_AS, &before), 0);
  // What is left of the 512 MB once the test's own allocations since are counted.
  EXPECT_LE(limit, 512 * kMegabyte);
  EXPECT_GT(limit, 256 * kMegabyte);
  EXPECT_LE(fitting, 512);
  EXPECT_GT(corvia::platform::WorkMemoryLimit(), limit);
}

}  // namespace
