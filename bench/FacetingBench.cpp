// Full enumeration of the facetings of a model under each criterion: preparation of
// the edges, planes and facets, then the search to its end. Args: the criterion
// (0 isohedral, 1 tidy facetings and duals, 2 tidy facetings, 3 coplanar faces may
// share vertices). The counter "facetings" is the number found.

#include <benchmark/benchmark.h>

#include <cstdlib>

#include "model/FaceTypeBlock.h"
#include "model/Poly.h"
#include "model/PolyTemplate.h"
#include "stellation/Faceting.h"

namespace {

void EnumerateAll(benchmark::State& state, const char* configuration) {
  corvia::PolyTemplate polyTemplate;
  corvia::Poly poly;
  if (!polyTemplate.Parse(configuration, nullptr) || !poly.Build(&polyTemplate, 0)) {
    state.SkipWithError("model not built");
    return;
  }
  corvia::GetFacetingSettings() = corvia::FacetingSettings();
  corvia::GetFacetingSettings().criteria = static_cast<int>(state.range(0));
  corvia::Faceting& faceting = *corvia::GetFaceting(poly.mBaseBlock.get());
  char count[32] = "0";
  for (auto _ : state) {
    faceting.Clear();
    if (!faceting.EnumerateFacetings()) {
      state.SkipWithError("enumeration failed");
      break;
    }
    faceting.mNumFound.ToString(count, sizeof count);
  }
  state.counters["facetings"] = std::atof(count);
}

void BM_FacetingIcosahedron(benchmark::State& state) {
  EnumerateAll(state, "3.3.3.3.3");
}
void BM_FacetingCuboctahedron(benchmark::State& state) {
  EnumerateAll(state, "3.4.3.4");
}
// A larger model for scale: the icosidodecahedron.
void BM_FacetingIcosidodecahedron(benchmark::State& state) {
  EnumerateAll(state, "3.5.3.5");
}

}  // namespace

BENCHMARK(BM_FacetingIcosahedron)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FacetingCuboctahedron)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FacetingIcosidodecahedron)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
