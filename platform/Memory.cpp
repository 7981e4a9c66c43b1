#include "platform/Memory.h"

#include <unistd.h>

namespace corvia::platform {

namespace {

uint64_t gLimit = 0;

uint64_t MachineShare() {
  const long pages = sysconf(_SC_PHYS_PAGES);
  const long pageSize = sysconf(_SC_PAGESIZE);
  if (pages <= 0 || pageSize <= 0) return UINT64_MAX;
  return static_cast<uint64_t>(pages) / 4 * 3 * static_cast<uint64_t>(pageSize);
}

}  // namespace

uint64_t WorkMemoryLimit() {
  return gLimit ? gLimit : MachineShare();
}

uint64_t SetWorkMemoryLimit(uint64_t bytes) {
  const uint64_t before = gLimit;
  gLimit = bytes;
  return before;
}

}  // namespace corvia::platform
