// Convex hulls of random point clouds: points on the unit sphere (every point is a
// corner) and in the unit ball (most points fall inside), from 1,000 to 1,000,000
// points, computed from their plain coordinates as the program does. The complexity
// report fits the times against n log n.
//
// Besides the times, each case reports:
//   corners     the points that are corners of the hull (on the sphere, all of them);
//   hull_s      the least processor time of one hull, in seconds;
//   peak_MB     the most heap the hull held at once beyond what was held before it,
//               its result included (counted by this program's own operator new).
//
// HullProcess runs the hull as a program of its own (convex_hull_driver, next to
// this one) on a Qhull text file of the same points, and, when Qhull's qconvex is
// on the PATH (Debian package qhull-bin; not a dependency of the project), qconvex
// on the same file, the two in turn, three times. Each run's peak resident memory
// and processor time are those the kernel gives for the process (wait4), reading
// the file included. It reports, the least of the three runs each:
//   ours_MiB, ours_s          the driver's peak resident memory and processor time;
//   qconvex_MiB, qconvex_s    qconvex's;
//   memory_ratio, time_ratio  ours over qconvex's: 1 or less is no bigger, no slower.
// Without qconvex the last four are left out.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <malloc.h>
#include <spawn.h>
#include <sys/wait.h>
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

// The peak resident memory and processor time of one run of a program.
struct ProcessRun {
  bool ok = false;
  double mebibytes = 0.0;
  double seconds = 0.0;
};

// Runs the program with its arguments through the driver's --measure, which starts
// it from a process of its own size (a child's peak counts the memory of the process
// it was started from), its standard output into `output`.
ProcessRun RunMeasured(const std::filesystem::path& driver, std::vector<std::string> arguments,
                       const std::filesystem::path& output) {
  ProcessRun run;
  const std::filesystem::path report = output.string() + ".usage";
  arguments.insert(arguments.begin(), {driver.string(), "--measure", output.string()});
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, report.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, driver.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  if (spawned == 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0) {
    std::ifstream usage(report);
    long kilobytes = 0;
    int exitStatus = -1;
    if (usage >> kilobytes >> run.seconds >> exitStatus && exitStatus == 0) {
      run.mebibytes = static_cast<double>(kilobytes) / 1024.0;
      run.ok = true;
    }
  }
  std::error_code ignored;
  std::filesystem::remove(report, ignored);
  return run;
}

// The points as a Qhull text file: the dimension, the count, then a point a line.
bool WriteQhullText(const std::filesystem::path& path, const std::vector<double>& points) {
  FILE* f = std::fopen(path.c_str(), "w");
  if (!f) return false;
  std::fprintf(f, "3\n%zu\n", points.size() / 3);
  for (size_t i = 0; i + 2 < points.size(); i += 3) {
    std::fprintf(f, "%.17g %.17g %.17g\n", points[i], points[i + 1], points[i + 2]);
  }
  return std::fclose(f) == 0;
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
    corvia::PointHull hull;
    const size_t before = gHeapNow;
    gHeapPeak = gHeapNow;
    state.ResumeTiming();
    const double start = corvia::platform::ThreadSeconds();
    const bool ok = corvia::ComputeConvexHull(points.data(), static_cast<size_t>(n), hull);
    const double seconds = corvia::platform::ThreadSeconds() - start;
    benchmark::DoNotOptimize(ok);
    state.PauseTiming();
    if (!ok) {
      state.SkipWithError("no hull");
      break;
    }
    fastest = fastest > 0.0 ? std::min(fastest, seconds) : seconds;
    peak = std::max(peak, gHeapPeak - before);
    faces = static_cast<int>(hull.NumFaces());
    corners = static_cast<int>(hull.corners.size());
    hull = corvia::PointHull();
    state.ResumeTiming();
  }
  state.counters["faces"] = faces;
  state.counters["corners"] = corners;
  state.counters["hull_s"] = fastest;
  state.counters["peak_MB"] = static_cast<double>(peak) / kMegabyte;
  state.SetComplexityN(n);
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

// The driver program, in the folder of this one.
std::filesystem::path FindDriver() {
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return {};
  const std::filesystem::path driver = self.parent_path() / "convex_hull_driver";
  return access(driver.c_str(), X_OK) == 0 ? driver : std::filesystem::path();
}

// Arguments: 0 for the ball, 1 for the sphere; the number of points.
void HullProcess(benchmark::State& state) {
  const Cloud cloud = state.range(0) == 0 ? Cloud::Ball : Cloud::Sphere;
  const int n = static_cast<int>(state.range(1));
  static const std::filesystem::path driver = FindDriver();
  static const std::filesystem::path qconvex = FindQconvex();
  if (driver.empty()) {
    state.SkipWithError("convex_hull_driver is not beside this program");
    return;
  }
  const std::filesystem::path dir = std::filesystem::temp_directory_path();
  const std::string stem = "corvia-hull-bench-" + std::to_string(getpid());
  const std::filesystem::path input = dir / (stem + ".txt");
  const std::filesystem::path output = dir / (stem + ".out");
  if (!WriteQhullText(input, RandomCloud(cloud, n))) {
    state.SkipWithError("cannot write the points");
    return;
  }
  ProcessRun ours{false, 0.0, 0.0}, theirs{false, 0.0, 0.0};
  auto keepLeast = [](ProcessRun& least, const ProcessRun& run) {
    if (!run.ok) return;
    least.mebibytes = least.ok ? std::min(least.mebibytes, run.mebibytes) : run.mebibytes;
    least.seconds = least.ok ? std::min(least.seconds, run.seconds) : run.seconds;
    least.ok = true;
  };
  long corners = 0;
  for (auto _ : state) {
    const ProcessRun run = RunMeasured(driver, {driver.string(), input.string()}, output);
    if (!run.ok) {
      state.SkipWithError("the driver failed");
      break;
    }
    keepLeast(ours, run);
    std::ifstream(output) >> corners;
    state.SetIterationTime(run.seconds);
    if (!qconvex.empty()) keepLeast(theirs, RunMeasured(driver, {qconvex.string(), "TI", input.string()}, output));
  }
  std::error_code ignored;
  std::filesystem::remove(input, ignored);
  std::filesystem::remove(output, ignored);
  if (!ours.ok) return;
  state.counters["corners"] = static_cast<double>(corners);
  state.counters["ours_MiB"] = ours.mebibytes;
  state.counters["ours_s"] = ours.seconds;
  if (!theirs.ok) return;
  state.counters["qconvex_MiB"] = theirs.mebibytes;
  state.counters["qconvex_s"] = theirs.seconds;
  state.counters["memory_ratio"] = ours.mebibytes / theirs.mebibytes;
  state.counters["time_ratio"] = ours.seconds / theirs.seconds;
}

BENCHMARK(HullProcess)
    ->ArgNames({"sphere", "n"})
    ->Args({0, 100000})
    ->Args({1, 100000})
    ->Args({0, 1000000})
    ->Args({1, 1000000})
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

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
