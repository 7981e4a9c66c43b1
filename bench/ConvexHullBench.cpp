// Convex hulls of random point clouds: points on the unit sphere (every point is a
// corner) and in the unit ball (most points fall inside), from 1,000 to 1,000,000
// points. The complexity report fits the times against n log n.
//
// Besides the times, each case reports:
//   corners     the points that are corners of the hull (on the sphere, all of them);
//   hull_s      the least processor time of one hull, in seconds;
//   peak_MB     the most heap the hull held at once beyond what was held before it,
//               the faces it writes included (counted by this program's own
//               operator new).
// When Qhull's qconvex is on the PATH (Debian package qhull-bin; not a dependency of
// the project), each case also runs it once on the same points and reports:
//   qconvex_s   its processor time to compute the hull after reading the points,
//               from its own summary;
//   qconvex_MB  its peak resident memory (its copy of the points included);
//   time_ratio, memory_ratio   ours over its: 1 or less is no slower, no bigger.
// Without qconvex those four are left out.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <malloc.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <new>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "symmetry/ConvexHull.h"
#include "symmetry/SimplePoly.h"

extern char** environ;

namespace {

// Heap held by the program now and at most since the last reset.
size_t gHeapNow = 0;
size_t gHeapPeak = 0;

void* Allocate(size_t size) {
  void* p = std::malloc(size > 0 ? size : 1);
  if (!p) throw std::bad_alloc();
  gHeapNow += malloc_usable_size(p);
  gHeapPeak = std::max(gHeapPeak, gHeapNow);
  return p;
}

void Release(void* p) {
  if (!p) return;
  gHeapNow -= malloc_usable_size(p);
  std::free(p);
}

}  // namespace

void* operator new(size_t size) { return Allocate(size); }
void* operator new[](size_t size) { return Allocate(size); }
void operator delete(void* p) noexcept { Release(p); }
void operator delete[](void* p) noexcept { Release(p); }
void operator delete(void* p, size_t) noexcept { Release(p); }
void operator delete[](void* p, size_t) noexcept { Release(p); }

namespace {

constexpr double kMegabyte = 1e6;
// How often qconvex's memory is read while it runs.
constexpr long kPollNanoseconds = 2000000;

enum class Cloud { Sphere, Ball };

std::vector<double> RandomCloud(Cloud cloud, int n) {
  std::mt19937 random(4711u + static_cast<unsigned>(n));
  std::normal_distribution<double> normal;
  std::uniform_real_distribution<double> coord(-1.0, 1.0);
  std::vector<double> points;
  points.reserve(static_cast<size_t>(n) * 3);
  while (points.size() < static_cast<size_t>(n) * 3) {
    double p[3];
    if (cloud == Cloud::Sphere) {
      for (double& c : p) c = normal(random);
      const double len = std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
      if (len == 0) continue;
      for (double& c : p) c /= len;
    } else {
      for (double& c : p) c = coord(random);
      if (p[0] * p[0] + p[1] * p[1] + p[2] * p[2] > 1) continue;
    }
    points.insert(points.end(), p, p + 3);
  }
  return points;
}

// The qconvex program on the PATH, or an empty path.
std::filesystem::path FindQconvex() {
  const char* path = std::getenv("PATH");
  if (!path) return {};
  std::stringstream dirs(path);
  std::string dir;
  while (std::getline(dirs, dir, ':')) {
    const std::filesystem::path candidate = std::filesystem::path(dir.empty() ? "." : dir) / "qconvex";
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return {};
}

struct QconvexRun {
  bool ok = false;
  double seconds = 0.0;    // to compute the hull, after reading the points
  double megabytes = 0.0;  // peak resident memory
};

// Runs qconvex with its summary ("s") on the points, read from a file ("TI"), its
// output to another file.
QconvexRun RunQconvex(const std::filesystem::path& program, const std::vector<double>& points) {
  QconvexRun run;
  const std::filesystem::path dir = std::filesystem::temp_directory_path();
  const std::string stem = "corvia-hull-bench-" + std::to_string(getpid());
  const std::filesystem::path input = dir / (stem + ".txt");
  const std::filesystem::path output = dir / (stem + ".out");
  {
    FILE* f = std::fopen(input.c_str(), "w");
    if (!f) return run;
    std::fprintf(f, "3\n%zu\n", points.size() / 3);
    for (size_t i = 0; i + 2 < points.size(); i += 3) {
      std::fprintf(f, "%.17g %.17g %.17g\n", points[i], points[i + 1], points[i + 2]);
    }
    std::fclose(f);
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
  std::string programName = program.string(), summary = "s", readFrom = "TI", inputName = input.string();
  char* argv[] = {programName.data(), summary.data(), readFrom.data(), inputName.data(), nullptr};
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned == 0) {
    // Its peak resident memory is read from /proc while it runs: the resource usage
    // of a spawned child also counts the memory of this program from before the
    // child started the other program.
    const std::string status = "/proc/" + std::to_string(pid) + "/status";
    double highWaterKilobytes = 0.0;
    int exitStatus = 0;
    for (;;) {
      std::ifstream proc(status);
      std::string line;
      while (std::getline(proc, line)) {
        if (line.rfind("VmHWM:", 0) == 0) highWaterKilobytes = std::max(highWaterKilobytes, std::strtod(line.c_str() + 6, nullptr));
      }
      const pid_t done = waitpid(pid, &exitStatus, WNOHANG);
      if (done == pid || done < 0) break;
      const timespec pause = {0, kPollNanoseconds};
      nanosleep(&pause, nullptr);
    }
    if (WIFEXITED(exitStatus) && WEXITSTATUS(exitStatus) == 0) {
      run.megabytes = highWaterKilobytes * 1024.0 / kMegabyte;
      std::ifstream text(output);
      std::string line;
      const std::string label = "CPU seconds to compute hull (after input):";
      while (std::getline(text, line)) {
        const size_t at = line.find(label);
        if (at == std::string::npos) continue;
        run.seconds = std::strtod(line.c_str() + at + label.size(), nullptr);
        run.ok = run.seconds > 0.0;
      }
    }
  }
  std::error_code ignored;
  std::filesystem::remove(input, ignored);
  std::filesystem::remove(output, ignored);
  return run;
}

void RunHull(benchmark::State& state, Cloud cloud) {
  const int n = static_cast<int>(state.range(0));
  const std::vector<double> points = RandomCloud(cloud, n);
  int faces = 0;
  int corners = 0;
  double fastest = 0.0;
  size_t peak = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto poly = std::make_unique<corvia::SimplePoly>(n, 0);
    for (int i = 0; i < n; ++i) poly->VertAt(i).SetPos(&points[static_cast<size_t>(i) * 3]);
    const size_t before = gHeapNow;
    gHeapPeak = gHeapNow;
    state.ResumeTiming();
    const double start = corvia::platform::ThreadSeconds();
    const bool ok = corvia::ComputeConvexHull(*poly, 0);
    const double seconds = corvia::platform::ThreadSeconds() - start;
    benchmark::DoNotOptimize(ok);
    state.PauseTiming();
    if (!ok) {
      state.SkipWithError("no hull");
      break;
    }
    fastest = fastest > 0.0 ? std::min(fastest, seconds) : seconds;
    peak = std::max(peak, gHeapPeak - before);
    faces = poly->NumFaces();
    corners = 0;
    for (int i = 0; i < n; ++i) corners += poly->VertAt(i).IsTemp() ? 0 : 1;
    poly.reset();
    state.ResumeTiming();
  }
  state.counters["faces"] = faces;
  state.counters["corners"] = corners;
  state.counters["hull_s"] = fastest;
  state.counters["peak_MB"] = static_cast<double>(peak) / kMegabyte;
  state.SetComplexityN(n);
  static const std::filesystem::path qconvex = FindQconvex();
  if (qconvex.empty() || fastest <= 0.0) return;
  const QconvexRun theirs = RunQconvex(qconvex, points);
  if (!theirs.ok) return;
  state.counters["qconvex_s"] = theirs.seconds;
  state.counters["qconvex_MB"] = theirs.megabytes;
  state.counters["time_ratio"] = fastest / theirs.seconds;
  state.counters["memory_ratio"] = static_cast<double>(peak) / kMegabyte / theirs.megabytes;
}

void HullOnSphere(benchmark::State& state) { RunHull(state, Cloud::Sphere); }
void HullInBall(benchmark::State& state) { RunHull(state, Cloud::Ball); }

BENCHMARK(HullOnSphere)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oNLogN);
BENCHMARK(HullInBall)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oNLogN);

// Points given many times over: one point (no hull: it is refused as flat) and a
// tetrahedron's corners, each repeated until there are n points.
void RunRepeated(benchmark::State& state, int distinct) {
  const int n = static_cast<int>(state.range(0));
  const double corners[4][3] = {{1, 1, 1}, {1, -1, -1}, {-1, 1, -1}, {-1, -1, 1}};
  int faces = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto poly = std::make_unique<corvia::SimplePoly>(n, 0);
    for (int i = 0; i < n; ++i) poly->VertAt(i).SetPos(corners[i % distinct]);
    state.ResumeTiming();
    const bool ok = corvia::ComputeConvexHull(*poly, 0);
    benchmark::DoNotOptimize(ok);
    state.PauseTiming();
    faces = ok ? poly->NumFaces() : 0;
    poly.reset();
    state.ResumeTiming();
  }
  state.counters["faces"] = faces;
  state.SetComplexityN(n);
}

void HullOfOnePointRepeated(benchmark::State& state) { RunRepeated(state, 1); }
void HullOfTetrahedronRepeated(benchmark::State& state) { RunRepeated(state, 4); }

BENCHMARK(HullOfOnePointRepeated)->Arg(30000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(HullOfTetrahedronRepeated)->Arg(30000)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace
