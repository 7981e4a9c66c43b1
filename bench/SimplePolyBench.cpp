// Adding vertices by position to a growing plain model: 100,000 additions in random
// order, three quarters of them repeats within the merge tolerance.

#include <benchmark/benchmark.h>

#include <array>
#include <random>
#include <vector>

#include "symmetry/SimplePoly.h"

namespace {

void BM_FindOrCreateVert(benchmark::State& state) {
  const int adds = static_cast<int>(state.range(0));
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> coord(-1.0, 1.0);
  std::uniform_real_distribution<double> jitter(-0.4e-7, 0.4e-7);
  std::vector<std::array<double, 3>> distinct(static_cast<size_t>(adds / 4));
  for (auto& p : distinct) {
    for (double& c : p) c = coord(rng);
  }
  std::uniform_int_distribution<size_t> pick(0, distinct.size() - 1);
  std::vector<std::array<double, 3>> points(static_cast<size_t>(adds));
  for (auto& p : points) {
    const auto& base = distinct[pick(rng)];
    for (int c = 0; c < 3; ++c) p[static_cast<size_t>(c)] = base[static_cast<size_t>(c)] + jitter(rng);
  }
  for (auto _ : state) {
    corvia::SimplePoly poly;
    poly.flags |= corvia::kSimpleGrowable;
    int used = 0;
    for (const auto& p : points) benchmark::DoNotOptimize(poly.FindOrCreateVert(p.data(), used));
    state.counters["vertices"] = used;
  }
  state.SetItemsProcessed(state.iterations() * adds);
}
BENCHMARK(BM_FindOrCreateVert)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
