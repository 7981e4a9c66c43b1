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

// While one lives, the allocations through operator new of the thread that made it are
// numbered from 1, and the one numbered `failing` (none for 0) fails with std::bad_alloc,
// once: the work after it may allocate again, as after a failure that freed room, but
// not while the failure is in flight (what runs then, destructors among them, must not
// allocate: each such allocation fails too, and is counted).
class AllocationFailure {
 public:
  explicit AllocationFailure(unsigned long failing);
  ~AllocationFailure();
  AllocationFailure(const AllocationFailure&) = delete;
  AllocationFailure& operator=(const AllocationFailure&) = delete;
  // The allocations numbered so far, and whether the failing one has come.
  unsigned long Count() const;
  bool Met() const;
  // The allocations tried while an exception was in flight.
  int WhileUnwinding() const;
};

// While counting is on, the allocations through operator new of every thread are
// counted, from zero after ResetAllocationCount.
void CountAllocations(bool on);
void ResetAllocationCount();
unsigned CountedAllocations();

}  // namespace corvia::testing
