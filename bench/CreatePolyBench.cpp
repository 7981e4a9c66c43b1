// The whole model-entry road on geodesic spheres (icosahedral, every face a triangle)
// of about 1,000, 10,000, 40,000, 72,000 and 200,000 faces (frequencies 7 to 100):
// symmetry search, creation of the elements, face types of both blocks, frames,
// compound parts, colours and edges. The counter "faces" and the fitted complexity
// show how the time grows with the model; the targets are 1 s at frequency 60 and
// 3 s at frequency 100.

#include <benchmark/benchmark.h>

#include <memory>

#include "model/CreatePoly.h"
#include "model/Poly.h"
#include "symmetry/SimplePoly.h"
#include "symmetry/SymGroup.h"
#include "tests/symmetry/FindSymmetriesModels.h"

namespace {

void BM_CreatePolyGeodesic(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  int faces = 0;
  corvia::Poly poly;
  for (auto _ : state) {
    state.PauseTiming();
    std::unique_ptr<corvia::SimplePoly> model = corvia::symtest::MakeGeodesicModel(n);
    faces = model->NumFaces();
    state.ResumeTiming();
    if (!CreatePoly(*model, &poly, false, true) || !poly.mSymGroup ||
        poly.mSymGroup->type != corvia::kSymGroupIcosahedral || poly.mFaces.mCount != faces) {
      state.SkipWithError("model not built");
      break;
    }
    benchmark::DoNotOptimize(poly.mEdgeArray);
  }
  state.counters["faces"] = faces;
  state.SetComplexityN(faces);
}

}  // namespace

BENCHMARK(BM_CreatePolyGeodesic)
    ->Arg(7)
    ->Arg(22)
    ->Arg(45)
    ->Arg(60)
    ->Arg(100)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oNLogN);
