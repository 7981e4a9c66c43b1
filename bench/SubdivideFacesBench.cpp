// Poly > Subdivide Faces of the cube into n parts (24 n^2 faces: 21,600, 240,000 and
// 998,784 for 30, 100 and 204) beside the geodesic sphere of the cube of the same
// frequency, which has as many faces but no two of them in one plane. Each model is
// made as the command makes it (Poly::Subdivide of the library's cube, then CreatePoly
// into the current model under one progress level) in a process of its own. The
// counters: "peak_MB", the process's peak resident memory; "cpu_s", its processor
// time; "wall_s", the time from the start of the process to its end; "gap_s", the
// longest time between two pumps of the progress window once it is up (how long a
// Cancel could wait for its answer); "faces" and "types", those of the model made;
// "made" 1 when the model was made. CORVIA_BENCH_BRIEF runs the smallest size only.
//
// The *Nets benchmarks go on with what the Unfolded Net pane asks of the model made
// (FaceTypeBlock::GetModel3D with nets: its facelets, then its nets): "facelets_s" and
// "nets_s" are the times of the two stages, "gap_s" the longest silence of the window
// during them, "model_MB" the peak resident memory before them ("peak_MB" after).
//
// On an 8-core machine under a load of about 10, one size at a time:
//   parts  faces     subdivided            geodesic sphere
//      30   21,600   0.16 s   42 MB        0.18 s   37 MB
//     100  240,000   2.9 s   439 MB        3.4 s   343 MB
//     204  998,784  15.1 s   2.08 GB      15.5 s   1.40 GB
// with the progress window silent for at most 0.54 s (0.50 s for the sphere). Before the
// rings, diagrams and cells of a plane scaled with its faces, 30 parts took 44.5 s and
// 7.5 GB.
//
// With the pane's facelets and nets, under a load of 6 to 11 (whole process; facelets,
// nets; peak memory; longest silence of the window):
//   parts  subdivided (1 net)                    geodesic sphere
//      30   0.44 s; 0.19 s, -;      62 MB          0.85 s; 0.56 s, -;     78 MB
//     100   8.6 s;  2.2 s, 2.1 s;  629 MB; 0.26 s  18.6 s; 2.1 s, 11.5 s; 714 MB; 0.26 s
//     204  43.0 s;  6.3 s, 14.7 s; 2.79 GB; 1.18 s 372 s;  5.8 s, 342 s; 2.77 GB; 1.21 s

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>

#include "bench/BenchModels.h"
#include "core/Progress.h"
#include "model/CreatePoly.h"
#include "model/FaceTypeBlock.h"
#include "model/Poly.h"
#include "model/Subdivision.h"
#include "nets/Model3D.h"
#include "platform/Headless.h"
#include "platform/Services.h"
#include "symmetry/SimplePoly.h"

namespace {

constexpr double kMegabyte = 1024.0 * 1024.0;
constexpr int kLibraryCube = 1;

// What the child tells the parent through a pipe.
struct Made {
  int faces = 0;
  int types = 0;
  int made = 0;
  double gap = 0.0;
  int facelets = 0;
  int nets = 0;
  double faceletTime = 0.0;
  double netTime = 0.0;
  double modelPeak = 0.0;
};

double PeakMegabytes() {
  struct rusage usage {};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) * 1024.0 / kMegabyte;
}

// In the child: the command's road, the cube cut and entered as the current model.
Made SubdivideCube(uint32_t flags, int n, bool withNets) {
  Made result;
  std::unique_ptr<corvia::Poly> cube = corvia::bench::LibraryPoly(kLibraryCube);
  if (!cube) return result;
  auto* window = dynamic_cast<corvia::platform::HeadlessProgress*>(corvia::platform::Services().progress);
  auto last = std::chrono::steady_clock::now();
  auto faceletsEnd = last;
  bool nets = false;
  auto pump = [&](corvia::platform::HeadlessProgressWindow::State& state) {
    const auto now = std::chrono::steady_clock::now();
    if (state.pumps > 1) result.gap = std::max(result.gap, std::chrono::duration<double>(now - last).count());
    last = now;
    if (!nets && state.caption.rfind(corvia::kMakingNetsCaption, 0) == 0) {
      nets = true;
      faceletsEnd = now;
    }
  };
  {
    if (window) window->Current()->onPump = pump;
    corvia::ProgressScope progress;
    std::unique_ptr<corvia::SimplePoly> made = cube->Subdivide(flags, n);
    // As the command, which can give the old model back: a cancel would stop the set-up.
    if (!made || !CreatePoly(*made, cube.get(), false, false, true).done()) return result;
  }
  result.faces = cube->mFaces.mCount;
  result.types = cube->mBaseBlock->CountFaceTypes();
  result.made = 1;
  if (!withNets) return result;
  // The pane's road, in a progress window of its own.
  result.modelPeak = PeakMegabytes();
  result.gap = 0.0;
  if (window) window->Current()->onPump = pump;
  const auto start = std::chrono::steady_clock::now();
  corvia::Model3D* model = cube->mBaseBlock->GetModel3D(true, nullptr);
  const auto end = std::chrono::steady_clock::now();
  if (!model || !model->HasNets()) result.made = 0;
  result.facelets = model ? model->GetNumFacelets() : 0;
  result.nets = model ? model->GetNumNets() : 0;
  result.faceletTime = std::chrono::duration<double>((nets ? faceletsEnd : end) - start).count();
  result.netTime = nets ? std::chrono::duration<double>(end - faceletsEnd).count() : 0.0;
  return result;
}

void Measure(benchmark::State& state, uint32_t flags, bool withNets = false) {
  const int n = static_cast<int>(state.range(0));
  for (auto _ : state) {
    int channel[2];
    if (pipe(channel) != 0) {
      state.SkipWithError("no pipe");
      return;
    }
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
      close(channel[0]);
      const Made made = SubdivideCube(flags, n, withNets);
      const bool written = write(channel[1], &made, sizeof made) == static_cast<ssize_t>(sizeof made);
      _exit(written ? 0 : 1);
    }
    close(channel[1]);
    Made made;
    const bool read = pid > 0 && ::read(channel[0], &made, sizeof made) == static_cast<ssize_t>(sizeof made);
    close(channel[0]);
    int status = 0;
    struct rusage usage {};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || !read) {
      state.SkipWithError("the subdivision's process did not end");
      return;
    }
    const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
    state.counters["wall_s"] = wall.count();
    state.counters["peak_MB"] = static_cast<double>(usage.ru_maxrss) * 1024.0 / kMegabyte;
    state.counters["cpu_s"] = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                              static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
    state.counters["faces"] = made.faces;
    state.counters["types"] = made.types;
    state.counters["made"] = made.made;
    state.counters["gap_s"] = made.gap;
    if (withNets) {
      state.counters["model_MB"] = made.modelPeak;
      state.counters["facelets_s"] = made.faceletTime;
      state.counters["nets_s"] = made.netTime;
      state.counters["facelets"] = made.facelets;
      state.counters["nets"] = made.nets;
    }
  }
}

void SubdivideFaces(benchmark::State& state) {
  Measure(state, 0);
}
void GeodesicSphere(benchmark::State& state) {
  Measure(state, corvia::kSubdivideGeodesic);
}

void SubdivideFacesNets(benchmark::State& state) {
  Measure(state, 0, true);
}
void GeodesicSphereNets(benchmark::State& state) {
  Measure(state, corvia::kSubdivideGeodesic, true);
}

void Sizes(benchmark::internal::Benchmark* b) {
  b->Arg(30);
  if (!std::getenv("CORVIA_BENCH_BRIEF")) b->Arg(100)->Arg(204);
  b->Iterations(1)->Unit(benchmark::kSecond);
}

}  // namespace

BENCHMARK(SubdivideFaces)->Apply(Sizes);
BENCHMARK(GeodesicSphere)->Apply(Sizes);
BENCHMARK(SubdivideFacesNets)->Apply(Sizes);
BENCHMARK(GeodesicSphereNets)->Apply(Sizes);
