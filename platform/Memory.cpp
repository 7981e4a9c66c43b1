#include "platform/Memory.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

namespace corvia::platform {

namespace {

uint64_t gLimit = 0;

constexpr uint64_t kKilobyte = 1024;

// The value of a "Name:   1234 kB" line of a /proc file, in bytes; 0 when missing.
uint64_t ReadKilobyteField(const char* path, const char* name) {
  std::ifstream in(path);
  std::string line;
  const size_t length = std::strlen(name);
  while (std::getline(in, line)) {
    if (line.compare(0, length, name) != 0 || line.size() <= length || line[length] != ':') continue;
    unsigned long long kilobytes = 0;
    if (std::sscanf(line.c_str() + length + 1, "%llu", &kilobytes) != 1) return 0;
    return kilobytes * kKilobyte;
  }
  return 0;
}

uint64_t Left(uint64_t limit, uint64_t used) {
  if (limit == UINT64_MAX) return UINT64_MAX;
  return limit > used ? limit - used : 0;
}

// A control group file holding one number, or "max" for none; UINT64_MAX when unread.
uint64_t ReadGroupValue(const std::string& path) {
  std::ifstream in(path);
  std::string word;
  if (!(in >> word) || word == "max") return UINT64_MAX;
  char* end = nullptr;
  const unsigned long long value = std::strtoull(word.c_str(), &end, 10);
  return end && *end == '\0' ? value : UINT64_MAX;
}

// Keeps the least left by a control group and each group enclosing it, read from their
// limit and use files under `root`. The older hierarchy writes "no limit" as a number
// near the top of the range.
void ReadGroupChain(MemorySources& sources, const std::string& root, std::string group, const char* limitFile,
                    const char* usedFile) {
  while (!group.empty() && group != "/") {
    const std::string folder = root + group;
    const uint64_t limit = ReadGroupValue(folder + "/" + limitFile);
    if (limit != UINT64_MAX && limit < (uint64_t{1} << 62)) {
      uint64_t used = ReadGroupValue(folder + "/" + usedFile);
      if (used == UINT64_MAX) used = 0;
      if (Left(limit, used) < Left(sources.groupLimit, sources.groupUsed)) {
        sources.groupLimit = limit;
        sources.groupUsed = used;
      }
    }
    const size_t slash = group.rfind('/');
    group.resize(slash == std::string::npos ? 0 : slash);
  }
}

// The limit and use of the process's control groups: the unified hierarchy's ("0::/path")
// and the memory controller's of the older one ("4:memory:/path").
void ReadGroup(MemorySources& sources) {
  std::ifstream in("/proc/self/cgroup");
  std::string line;
  while (std::getline(in, line)) {
    const size_t first = line.find(':');
    const size_t second = first == std::string::npos ? first : line.find(':', first + 1);
    if (second == std::string::npos) continue;
    const std::string controllers = line.substr(first + 1, second - first - 1);
    const std::string path = line.substr(second + 1);
    if (controllers.empty()) {
      ReadGroupChain(sources, "/sys/fs/cgroup", path, "memory.max", "memory.current");
    } else if (("," + controllers + ",").find(",memory,") != std::string::npos) {
      ReadGroupChain(sources, "/sys/fs/cgroup/memory", path, "memory.limit_in_bytes", "memory.usage_in_bytes");
    }
  }
}

uint64_t SoftLimit(int resource) {
  rlimit limit{};
  if (getrlimit(resource, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return UINT64_MAX;
  return static_cast<uint64_t>(limit.rlim_cur);
}

}  // namespace

MemorySources ReadMemorySources() {
  MemorySources sources;
  const long pages = sysconf(_SC_PHYS_PAGES);
  const long pageSize = sysconf(_SC_PAGESIZE);
  if (pages > 0 && pageSize > 0) sources.physical = static_cast<uint64_t>(pages) * static_cast<uint64_t>(pageSize);
  if (const uint64_t available = ReadKilobyteField("/proc/meminfo", "MemAvailable")) sources.available = available;
  sources.addressLimit = SoftLimit(RLIMIT_AS);
  sources.addressUsed = ReadKilobyteField("/proc/self/status", "VmSize");
  sources.dataLimit = SoftLimit(RLIMIT_DATA);
  sources.dataUsed = ReadKilobyteField("/proc/self/status", "VmData");
  ReadGroup(sources);
  return sources;
}

uint64_t MemoryWithinReach(const MemorySources& sources) {
  return std::min({sources.physical, sources.available, Left(sources.addressLimit, sources.addressUsed),
                   Left(sources.dataLimit, sources.dataUsed), Left(sources.groupLimit, sources.groupUsed)});
}

uint64_t WorkMemoryLimit() {
  return gLimit ? gLimit : MemoryWithinReach(ReadMemorySources());
}

uint64_t SetWorkMemoryLimit(uint64_t bytes) {
  const uint64_t before = gLimit;
  gLimit = bytes;
  return before;
}

long long CountFittingInWorkMemory(double bytesEach, long long most) {
  if (!(bytesEach > 0.0)) return most;
  const double fitting = static_cast<double>(WorkMemoryLimit()) / bytesEach;
  return fitting < static_cast<double>(most) ? static_cast<long long>(fitting) : most;
}

}  // namespace corvia::platform
