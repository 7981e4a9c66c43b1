// The memory and time of the stellation set-up of geodesic spheres against their size,
// 500 to 2,000 faces (frequencies 5, 6, 7, 8 and 10 on the icosahedron), each set-up in a
// process of its own, as the program runs it ("Proceed anyway" at the warning). The
// counters: "peak_MB", the process's peak resident memory; "cpu_s", its processor
// time; "estimate_MB", what the set-up estimated it would need before it began
// (EstimateStellationBytes), and "limit_MB", what it may take here; "stellated" 1 when
// the set-up ended stellated, "refused" 1 when it ended with a refusal in words (the
// faces and types are those of the model). A set-up whose estimate exceeds the limit is
// refused before it makes anything. CORVIA_BENCH_BRIEF runs the smallest size only.
//
// On an 8-core machine with 23 GB (limit 18.1 GB), one size at a time:
//   faces  types  estimate  peak      cpu    outcome
//     500      9    0.75 GB  0.67 GB    8 s  stellated
//     720     12    2.07 GB  3.08 GB   34 s  stellated
//     980     17    5.44 GB  5.04 GB  101 s  stellated
//   1,280     22   12.01 GB 12.63 GB  235 s  stellated
//   2,000     34   45.35 GB  0.01 GB    0 s  refused before it began
// From 720 faces, crossings lie nearer together than the points' coordinates part:
// the diagrams are made a second time by the equations of their lines, which the time
// includes (at 1,280 faces, also the linking that found them disagreeing).

#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>

#include "bench/BenchModels.h"
#include "model/FaceTypeBlock.h"
#include "model/Poly.h"
#include "platform/Headless.h"
#include "platform/Memory.h"
#include "platform/Services.h"
#include "stellation/Stellate.h"

namespace {

constexpr double kMegabyte = 1024.0 * 1024.0;
// The child's exit status: stellated, refused in words, or neither.
constexpr int kStellated = 0;
constexpr int kRefused = 1;
constexpr int kNeither = 2;

// In the child: the set-up, answering the complexity warning with "Proceed anyway".
int StellateSphere(int frequency) {
  std::unique_ptr<corvia::Poly> sphere = corvia::bench::GeodesicSphere(frequency);
  if (!sphere) return kNeither;
  if (auto* messages = dynamic_cast<corvia::platform::HeadlessMessages*>(corvia::platform::Services().messages)) {
    messages->QueueAnswer(0);
  }
  corvia::FaceTypeBlock* block = sphere->mBaseBlock.get();
  const corvia::Outcome outcome = corvia::Stellate(sphere.get(), block, false);
  if (block->IsStellated()) return kStellated;
  return outcome.told() ? kRefused : kNeither;
}

void BM_StellationMemory(benchmark::State& state) {
  const int frequency = static_cast<int>(state.range(0));
  {
    std::unique_ptr<corvia::Poly> sphere = corvia::bench::GeodesicSphere(frequency);
    if (!sphere) {
      state.SkipWithError("model not built");
      return;
    }
    state.counters["faces"] = sphere->mFaces.mCount;
    state.counters["types"] = sphere->mBaseBlock->CountDistinctFaceTypes();
    state.counters["estimate_MB"] = corvia::EstimateStellationBytes(sphere->mBaseBlock.get()) / kMegabyte;
    state.counters["limit_MB"] = static_cast<double>(corvia::platform::WorkMemoryLimit()) / kMegabyte;
  }
  for (auto _ : state) {
    const pid_t pid = fork();
    if (pid == 0) _exit(StellateSphere(frequency));
    int status = 0;
    struct rusage usage {};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status)) {
      state.SkipWithError("the set-up's process did not end");
      return;
    }
    state.counters["peak_MB"] = static_cast<double>(usage.ru_maxrss) * 1024.0 / kMegabyte;
    state.counters["cpu_s"] = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                              static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
    state.counters["stellated"] = WEXITSTATUS(status) == kStellated ? 1 : 0;
    state.counters["refused"] = WEXITSTATUS(status) == kRefused ? 1 : 0;
  }
}

void Sizes(benchmark::internal::Benchmark* b) {
  b->Arg(5);
  if (std::getenv("CORVIA_BENCH_BRIEF")) return;
  b->Arg(6)->Arg(7)->Arg(8)->Arg(10);
}
BENCHMARK(BM_StellationMemory)->Apply(Sizes)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
