#pragma once
// How much memory long work may count on: what this process can really get, which is
// the least of the machine's physical memory, the memory free for use now, what the
// process's own limits leave it (address space and data) and what its control group
// leaves it. A desktop with other programs open, a container or a login with limits
// gives far less than the machine has.

#include <cstdint>

namespace corvia::platform {

// The bytes of memory that one piece of work may take, at most: what this process can
// get now (MemoryWithinReach), or what SetWorkMemoryLimit set. Read afresh each time.
uint64_t WorkMemoryLimit();
// Sets the limit (0 puts back the process's own); returns the one set before. Tests
// set a small one to meet the refusals of work that would not fit.
uint64_t SetWorkMemoryLimit(uint64_t bytes);

// What the process can get, by source; a source that says nothing (no limit, no such
// file) is UINT64_MAX.
struct MemorySources {
  uint64_t physical = UINT64_MAX;
  // MemAvailable of /proc/meminfo.
  uint64_t available = UINT64_MAX;
  // RLIMIT_AS and the address space in use (VmSize).
  uint64_t addressLimit = UINT64_MAX;
  uint64_t addressUsed = 0;
  // RLIMIT_DATA and the data in use (VmData).
  uint64_t dataLimit = UINT64_MAX;
  uint64_t dataUsed = 0;
  // The control group's limit and use (memory.max and memory.current, or the older
  // memory.limit_in_bytes and memory.usage_in_bytes).
  uint64_t groupLimit = UINT64_MAX;
  uint64_t groupUsed = 0;
};
MemorySources ReadMemorySources();
// The least that the sources leave.
uint64_t MemoryWithinReach(const MemorySources& sources);

// How many items of `bytesEach` fit in the work's memory, at most `most`.
long long CountFittingInWorkMemory(double bytesEach, long long most);

}  // namespace corvia::platform
