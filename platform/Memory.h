#pragma once
// How much memory long work may count on: the machine's physical memory, less a share
// for the program itself and the rest of the system.

#include <cstdint>

namespace corvia::platform {

// The bytes of memory that one piece of work may take, at most: three quarters of the
// physical memory, or what SetWorkMemoryLimit set.
uint64_t WorkMemoryLimit();
// Sets the limit (0 puts back the machine's own); returns the one set before. Tests
// set a small one to meet the refusals of work that would not fit.
uint64_t SetWorkMemoryLimit(uint64_t bytes);

}  // namespace corvia::platform
