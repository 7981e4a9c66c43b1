// Builds every record of the library one after another through the library's road
// (a template and the backtracking build, a prism, stored points or a relaxed face
// list; then the set-up and the copy of the base). The counter "built" is the number
// of records that gave a model (the others are refused with a message); the five
// slowest records of the last run are written to stderr with their times. A second
// benchmark builds models from vertex configurations alone.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "construction/Library.h"
#include "core/MergeSort.h"
#include "model/Poly.h"
#include "model/PolyTemplate.h"
#include "symmetry/SimplePoly.h"

namespace {

constexpr int kSlowestShown = 5;

void BM_LibraryBuildAll(benchmark::State& state) {
  std::vector<std::pair<double, int>> times;
  int built = 0;
  for (auto _ : state) {
    times.clear();
    built = 0;
    for (int i = 0; i < corvia::kNumLibraryEntries; ++i) {
      const auto start = std::chrono::steady_clock::now();
      std::unique_ptr<corvia::SimplePoly> model = corvia::GetLibraryEntry(i)->CreatePoly(false);
      const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
      times.emplace_back(ms, i);
      if (model) ++built;
      benchmark::DoNotOptimize(model.get());
    }
  }
  state.counters["built"] = built;
  std::vector<std::pair<double, int>> slowest = times;
  double total = 0.0;
  for (const auto& t : times) total += t.first;
  corvia::MergeSort(slowest, [](const std::pair<double, int>& a, const std::pair<double, int>& b) {
    return a.first > b.first ? -1 : (a.first < b.first ? 1 : 0);
  });
  std::fprintf(stderr, "Records 0-%d: %.1f ms in all, %d built; slowest:", corvia::kNumLibraryEntries - 1, total,
               built);
  for (int k = 0; k < kSlowestShown && k < static_cast<int>(slowest.size()); ++k) {
    const corvia::LibraryEntry* entry = corvia::GetLibraryEntry(slowest[static_cast<size_t>(k)].second);
    std::fprintf(stderr, " %d %s (%.1f ms);", slowest[static_cast<size_t>(k)].second, entry->mName,
                 slowest[static_cast<size_t>(k)].first);
    state.counters["slow" + std::to_string(k + 1) + "_record"] = slowest[static_cast<size_t>(k)].second;
    state.counters["slow" + std::to_string(k + 1) + "_ms"] = slowest[static_cast<size_t>(k)].first;
  }
  std::fprintf(stderr, "\n");
}

}  // namespace

BENCHMARK(BM_LibraryBuildAll)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(1);

namespace {

// Building a model from its vertex configuration alone, as the configuration field
// does: the snub dodecahedron and two retrograde forms whose search runs through the
// same number of vertices. The backtracking search must not take far longer for the
// retrograde ones.
constexpr const char* kConfigurations[] = {"3.3.3.3.5", "5/2.3.3.3.3.3", "(5/3.3.3.3.3.3)/2"};

void BM_VertexConfigurationBuild(benchmark::State& state) {
  const char* text = kConfigurations[state.range(0)];
  state.SetLabel(text);
  int faces = 0;
  for (auto _ : state) {
    corvia::PolyTemplate polyTemplate;
    corvia::Poly poly;
    if (!polyTemplate.Parse(text, nullptr) || !poly.Build(&polyTemplate, 0)) {
      state.SkipWithError("not built");
      break;
    }
    faces = poly.mFaces.mCount;
  }
  state.counters["faces"] = faces;
}

}  // namespace

BENCHMARK(BM_VertexConfigurationBuild)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
