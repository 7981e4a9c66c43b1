#pragma once
// Every allocation of the test program through operator new passes a hook: it can be
// counted, and it can be made to fail as it does when the memory a process may have runs
// out. Linked only into the test programs that use it.

#include <cstddef>

namespace corvia::testing {

// While one lives, allocations on the thread that made it fail with std::bad_alloc once
// the memory they took since it began, less what that thread freed meanwhile, would
// pass `bytes`: as under an address-space limit, work that fails frees what it held and
// makes room again.
class AllocationLimit {
 public:
  explicit AllocationLimit(size_t bytes);
  ~AllocationLimit();
  AllocationLimit(const AllocationLimit&) = delete;
  AllocationLimit& operator=(const AllocationLimit&) = delete;
  // How many allocations failed so far.
  int Failures() const;
};

// While counting is on, the allocations through operator new of every thread are
// counted, from zero after ResetAllocationCount.
void CountAllocations(bool on);
void ResetAllocationCount();
unsigned CountedAllocations();

}  // namespace corvia::testing
