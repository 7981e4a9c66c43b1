// The whole model-entry road on geodesic spheres (icosahedral, every face a triangle)
// of about 1,000, 10,000, 18,000, 40,000, 72,000 and 200,000 faces (frequencies 7 to
// 100):
// symmetry search, creation of the elements, face types of both blocks, frames,
// compound parts, colours and edges. Each sphere enters twice: with its corners in
// the order the generator lists them (ring by ring), and renumbered at random (a fixed
// seed), as a file from another program may list them. The counter "faces" and the
// fitted complexity show how the time grows with the model, "cpu_s" the processor
// time of the entry alone; the targets are 1 s at frequency 60 and 3 s at frequency
// 100 in either order. Run with --benchmark_enable_random_interleaving=true and
// repetitions to interleave the two orders.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <numeric>
#include <random>
#include <vector>

#include "model/CreatePoly.h"
#include "model/Poly.h"
#include "platform/Clock.h"
#include "symmetry/SimplePoly.h"
#include "symmetry/SymGroup.h"
#include "tests/symmetry/FindSymmetriesModels.h"

namespace {

// The same model with its vertices renumbered by a fixed random permutation.
std::unique_ptr<corvia::SimplePoly> Renumbered(const corvia::SimplePoly& model) {
  const int nv = model.NumVerts();
  std::vector<int> newIndex(static_cast<size_t>(nv));
  std::iota(newIndex.begin(), newIndex.end(), 0);
  std::mt19937_64 random(20261208u);
  for (size_t i = newIndex.size(); i > 1; --i) {
    std::swap(newIndex[i - 1], newIndex[static_cast<size_t>(random() % i)]);
  }
  auto copy = std::make_unique<corvia::SimplePoly>(nv, model.NumFaces());
  for (int i = 0; i < nv; ++i) copy->VertAt(newIndex[static_cast<size_t>(i)]).SetPos(model.VertAt(i).pos);
  for (int f = 0; f < model.NumFaces(); ++f) {
    const corvia::SimpleFace& from = model.FaceAt(f);
    corvia::SimpleFace& to = copy->FaceAt(f);
    to.SetNumVerts(from.Count());
    for (int k = 0; k < from.Count(); ++k) {
      to.SetVertIndex(k, newIndex[static_cast<size_t>(from.items[static_cast<size_t>(k)])]);
    }
  }
  return copy;
}

void EnterGeodesic(benchmark::State& state, bool shuffled) {
  const int n = static_cast<int>(state.range(0));
  int faces = 0;
  double fastest = 0.0;
  corvia::Poly poly;
  for (auto _ : state) {
    state.PauseTiming();
    std::unique_ptr<corvia::SimplePoly> model = corvia::symtest::MakeGeodesicModel(n);
    if (shuffled) model = Renumbered(*model);
    faces = model->NumFaces();
    state.ResumeTiming();
    const double start = corvia::platform::ThreadSeconds();
    const bool made = CreatePoly(*model, &poly, false, true).done();
    const double seconds = corvia::platform::ThreadSeconds() - start;
    if (!made || !poly.mSymGroup || poly.mSymGroup->type != corvia::kSymGroupIcosahedral ||
        poly.mFaces.mCount != faces) {
      state.SkipWithError("model not built");
      break;
    }
    fastest = fastest > 0.0 ? std::min(fastest, seconds) : seconds;
    benchmark::DoNotOptimize(poly.mEdgeArray);
  }
  state.counters["faces"] = faces;
  state.counters["cpu_s"] = fastest;
  state.SetComplexityN(faces);
}

void BM_CreatePolyGeodesic(benchmark::State& state) { EnterGeodesic(state, false); }
void BM_CreatePolyGeodesicShuffled(benchmark::State& state) { EnterGeodesic(state, true); }

// Frequencies 7, 22, 30, 45, 60 and 100.
void Sizes(benchmark::internal::Benchmark* bench) {
  for (int frequency : {7, 22, 30, 45, 60, 100}) bench->Arg(frequency);
  bench->Unit(benchmark::kMillisecond)->Complexity(benchmark::oNLogN);
}

BENCHMARK(BM_CreatePolyGeodesic)->Apply(Sizes);
BENCHMARK(BM_CreatePolyGeodesicShuffled)->Apply(Sizes);

}  // namespace
