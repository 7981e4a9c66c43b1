// Symmetry search on geodesic spheres (icosahedral, every face a triangle) of
// about 1,000, 10,000, 40,000, 72,000 and 200,000 faces (frequencies 7 to 100).
// The vertex images are found through a position grid, so each axis test grows
// linearly with the model, and only the turns that enlarge the group found so far
// are tested against the whole model. The targets are half a second at frequency 60
// and 1.5 s at frequency 100.

#include <benchmark/benchmark.h>

#include <memory>

#include "symmetry/FindSymmetries.h"
#include "symmetry/SymGroup.h"
#include "tests/symmetry/FindSymmetriesModels.h"

namespace {

void BM_FindSymmetriesGeodesic(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  int faces = 0;
  for (auto _ : state) {
    state.PauseTiming();
    std::unique_ptr<corvia::SimplePoly> poly = corvia::symtest::MakeGeodesicModel(n);
    faces = poly->NumFaces();
    state.ResumeTiming();
    bool hasReflection = false;
    std::unique_ptr<corvia::SymGroup> group = corvia::FindSymmetries(*poly, hasReflection);
    if (!group || group->type != corvia::kSymGroupIcosahedral || !hasReflection) {
      state.SkipWithError("wrong group");
      break;
    }
    benchmark::DoNotOptimize(group.get());
  }
  state.counters["faces"] = faces;
  state.SetComplexityN(faces);
}

}  // namespace

BENCHMARK(BM_FindSymmetriesGeodesic)
    ->Arg(7)
    ->Arg(22)
    ->Arg(45)
    ->Arg(60)
    ->Arg(100)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oNLogN);
