// The convex hull as a program of its own, for measuring the whole process next to
// another hull program on the same file.
//
//   convex_hull_driver FILE
//     reads the points of FILE, a text file as Qhull's programs read it (the
//     dimension, 3; the number of points; then the coordinates), computes their hull
//     as the program does and prints the number of corners and of faces.
//
//   convex_hull_driver --measure OUTPUT PROGRAM ARGUMENT...
//     runs PROGRAM with its standard output into OUTPUT and prints its peak resident
//     memory in kilobytes and its processor time in seconds, user and system, as
//     "max_rss_kb cpu_s exit_status". The program is started from this small
//     process rather than from a large one: the kernel counts into a child's peak
//     the memory of the process it was started from.
//
// It links only the hull's own libraries.

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <system_error>
#include <vector>

#include "symmetry/ConvexHull.h"

namespace {

constexpr size_t kLineSize = 4096;

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

// The coordinates of the file, or false where it is not of three dimensions or
// holds fewer coordinates than its count says.
bool ReadPoints(const char* path, std::vector<double>& xyz) {
  FILE* file = std::fopen(path, "r");
  if (!file) return false;
  char line[kLineSize];
  long header[2] = {0, 0};
  int headerRead = 0;
  size_t wanted = 0;
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
          xyz.reserve(wanted);
        }
      } else {
        double value = 0;
        if (!ReadNumber(at, end, value)) break;
        if (xyz.size() < wanted) xyz.push_back(value);
      }
    }
  }
  std::fclose(file);
  return headerRead == 2 && header[0] == 3 && xyz.size() == wanted;
}

int Measure(char** argv) {
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

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 4 && std::strcmp(argv[1], "--measure") == 0) return Measure(argv + 2);
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FILE | --measure OUTPUT PROGRAM ARGUMENT...\n", argv[0]);
    return 2;
  }
  std::vector<double> xyz;
  if (!ReadPoints(argv[1], xyz)) {
    std::fprintf(stderr, "%s: not a file of 3D points\n", argv[1]);
    return 1;
  }
  corvia::PointHull hull;
  std::string refusal;
  if (!corvia::ComputeConvexHull(xyz.data(), xyz.size() / 3, hull, &refusal)) {
    std::fprintf(stderr, "no hull: %s\n", refusal.c_str());
    return 1;
  }
  std::printf("%zu %zu\n", hull.corners.size(), hull.NumFaces());
  return 0;
}
