#pragma once
// What the hull's driver programs share (bench/ConvexHullDriver.cpp and
// bench/ConvexHullCommandDriver.cpp): reading a Qhull text file of points, running a
// program as a process of its own and reporting its peak resident memory and
// processor time, and the same figures for a piece of work within this process.

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

namespace corvia::bench {

constexpr size_t kHullDriverLineSize = 4096;

// The number at `at` (after blanks; a leading '+' allowed), correctly rounded, the
// very value strtod gives, but by std::from_chars, several times quicker; `at`
// then moves past it. False, with `at` unchanged, where none starts there.
template <typename T>
bool ReadNumber(const char*& at, const char* end, T& value) {
  const char* p = at;
  while (p < end && (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\v' || *p == '\f')) ++p;
  if (p < end && *p == '+' && p + 1 < end && *(p + 1) != '-') ++p;
  const std::from_chars_result read = std::from_chars(p, end, value);
  if (read.ec != std::errc() || read.ptr == p) return false;
  at = read.ptr;
  return true;
}

// The points of a text file as Qhull's programs read it (the dimension, 3; the
// number of points; then the coordinates), handed over as they are read: start(n)
// once the count n is known, then point(i, xyz) for each of them in turn. False where
// the file is not of three dimensions or holds fewer coordinates than its count says.
template <typename Start, typename Point>
bool ReadQhullPoints(const char* path, Start start, Point point) {
  FILE* file = std::fopen(path, "r");
  if (!file) return false;
  char line[kHullDriverLineSize];
  long header[2] = {0, 0};
  int headerRead = 0;
  size_t wanted = 0;
  size_t read = 0;
  double xyz[3];
  while (std::fgets(line, sizeof line, file)) {
    const char* at = line;
    const char* end = line + std::strlen(line);
    for (;;) {
      if (headerRead < 2) {
        long value = 0;
        if (!ReadNumber(at, end, value)) break;
        header[headerRead++] = value;
        if (headerRead == 2) {
          if (header[0] != 3 || header[1] < 0) break;
          wanted = static_cast<size_t>(header[1]) * 3;
          start(static_cast<size_t>(header[1]));
        }
      } else {
        double value = 0;
        if (!ReadNumber(at, end, value)) break;
        if (read >= wanted) continue;
        xyz[read % 3] = value;
        if (++read % 3 == 0) point(read / 3 - 1, static_cast<const double*>(xyz));
      }
    }
  }
  std::fclose(file);
  return headerRead == 2 && header[0] == 3 && read == wanted;
}

// The coordinates of such a file, x, y, z of each point in turn.
inline bool ReadQhullPoints(const char* path, std::vector<double>& xyz) {
  return ReadQhullPoints(
      path, [&xyz](size_t count) { xyz.reserve(count * 3); },
      [&xyz](size_t, const double* p) { xyz.insert(xyz.end(), p, p + 3); });
}

// Runs argv[1] with the arguments after it, its standard output into the file
// argv[0], and prints its peak resident memory in kilobytes and its processor time
// in seconds, user and system, as "max_rss_kb cpu_s exit_status". Run from a small
// process: the kernel counts into a child's peak the memory of the process it was
// started from.
inline int MeasureProcess(char** argv) {
  const pid_t pid = fork();
  if (pid < 0) return 1;
  if (pid == 0) {
    const int out = open(argv[0], O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (out < 0 || dup2(out, STDOUT_FILENO) < 0) _exit(127);
    close(out);
    execv(argv[1], argv + 1);
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid) return 1;
  const double seconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
  std::printf("%ld %.6f %d\n", usage.ru_maxrss, seconds, WIFEXITED(status) ? WEXITSTATUS(status) : -1);
  return 0;
}

// The processor time and the growth of the peak resident memory of this process
// over a piece of work: from its start, the peak is counted afresh (the kernel's
// high-water mark is reset), and its growth is what the work held at most beyond
// what the process held as it began.
class WorkUsage {
 public:
  WorkUsage() {
    std::ofstream("/proc/self/clear_refs") << "5";
    mStartKb = StatusKb("VmRSS:");
    mStartSeconds = ProcessSeconds();
  }
  double Seconds() const { return ProcessSeconds() - mStartSeconds; }
  double PeakGrowthMiB() const { return static_cast<double>(StatusKb("VmHWM:") - mStartKb) / 1024.0; }

 private:
  static long StatusKb(const char* key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const size_t length = std::strlen(key);
    while (std::getline(status, line)) {
      if (line.compare(0, length, key) == 0) return std::strtol(line.c_str() + length, nullptr, 10);
    }
    return 0;
  }
  static double ProcessSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
  }
  long mStartKb = 0;
  double mStartSeconds = 0;
};

}  // namespace corvia::bench
