#include "tests/support/AllocationHook.h"

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <exception>
#include <new>

namespace corvia::testing {

namespace {

std::atomic<bool> gCounting{false};
std::atomic<unsigned> gCount{0};
// The limited thread's allocations since the limit began, less its frees.
thread_local bool tLimited = false;
thread_local long long tTaken = 0;
thread_local long long tBudget = 0;
thread_local int tFailures = 0;
// The failing thread's allocations since its AllocationFailure began, and which fails.
thread_local bool tNumbering = false;
thread_local unsigned long tNumbered = 0;
thread_local unsigned long tFailing = 0;
thread_local bool tFailed = false;
thread_local int tWhileUnwinding = 0;

}  // namespace

AllocationLimit::AllocationLimit(size_t bytes) {
  tTaken = 0;
  tBudget = static_cast<long long>(bytes);
  tFailures = 0;
  tLimited = true;
}

AllocationLimit::~AllocationLimit() {
  tLimited = false;
}

int AllocationLimit::Failures() const {
  return tFailures;
}

AllocationFailure::AllocationFailure(unsigned long failing) {
  tNumbered = 0;
  tFailing = failing;
  tFailed = false;
  tWhileUnwinding = 0;
  tNumbering = true;
}

AllocationFailure::~AllocationFailure() {
  tNumbering = false;
}

unsigned long AllocationFailure::Count() const {
  return tNumbered;
}

bool AllocationFailure::Met() const {
  return tFailed;
}

int AllocationFailure::WhileUnwinding() const {
  return tWhileUnwinding;
}

void CountAllocations(bool on) {
  gCounting = on;
}

void ResetAllocationCount() {
  gCount = 0;
}

unsigned CountedAllocations() {
  return gCount;
}

}  // namespace corvia::testing

// Not inlined: the compiler would see free() called on what operator new returned.
[[gnu::noinline]] void* operator new(std::size_t size) {
  using namespace corvia::testing;
  if (gCounting) ++gCount;
  if (tNumbering) {
    if (++tNumbered == tFailing) {
      tFailed = true;
      throw std::bad_alloc();
    }
    if (tFailed && std::uncaught_exceptions() > 0) {
      ++tWhileUnwinding;
      throw std::bad_alloc();
    }
  }
  if (tLimited && tTaken + static_cast<long long>(size) > tBudget) {
    ++tFailures;
    throw std::bad_alloc();
  }
  void* p = std::malloc(size ? size : 1);
  if (!p) throw std::bad_alloc();
  if (tLimited) tTaken += static_cast<long long>(malloc_usable_size(p));
  return p;
}

[[gnu::noinline]] void operator delete(void* p) noexcept {
  using namespace corvia::testing;
  if (tLimited && p) tTaken -= static_cast<long long>(malloc_usable_size(p));
  std::free(p);
}

[[gnu::noinline]] void operator delete(void* p, std::size_t) noexcept {
  operator delete(p);
}

// The array and no-throw forms pass the same hook, so that every allocation is one of
// malloc's whatever form made it (as a sanitizer that checks the pairs expects).
void* operator new[](std::size_t size) {
  return operator new(size);
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return operator new(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return operator new(size, std::nothrow);
}

void operator delete[](void* p) noexcept {
  operator delete(p);
}

void operator delete[](void* p, std::size_t) noexcept {
  operator delete(p);
}
