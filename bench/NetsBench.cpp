// Nets at a realistic size: the facet model and the nets with glue tabs of the
// frequency-10 geodesic sphere (2,000 facelets) and of the snub dodecahedron, and the
// page fitting of 500 nets.

#include <benchmark/benchmark.h>

#include <memory>

#include "bench/BenchModels.h"
#include "construction/Library.h"
#include "core/Units.h"
#include "model/Poly.h"
#include "model/Subdivision.h"
#include "nets/Model3D.h"
#include "nets/Net.h"
#include "nets/NetPages.h"
#include "symmetry/SimplePoly.h"

namespace {

constexpr int kSnubDodecahedron = 21;

void MakeNets(benchmark::State& state, corvia::Poly* poly) {
  if (!poly) {
    state.SkipWithError("the model did not build");
    return;
  }
  for (auto _ : state) {
    corvia::Model3D model(poly, false);
    model.MakeNets();
    state.counters["facelets"] = model.GetNumFacelets();
    state.counters["nets"] = model.GetNumNets();
    benchmark::DoNotOptimize(model.mNetTypes);
  }
}

void GeodesicSphereNets(benchmark::State& state) {
  std::unique_ptr<corvia::Poly> poly = corvia::bench::GeodesicSphere(10);
  MakeNets(state, poly.get());
}
BENCHMARK(GeodesicSphereNets)->Unit(benchmark::kMillisecond);

void SnubDodecahedronNets(benchmark::State& state) {
  std::unique_ptr<corvia::Poly> poly = corvia::bench::LibraryPoly(kSnubDodecahedron);
  MakeNets(state, poly.get());
}
BENCHMARK(SnubDodecahedronNets)->Unit(benchmark::kMillisecond);

// 500 nets: the facelets of the frequency-5 geodesic sphere, one net each.
void FitFiveHundredNetsOnPages(benchmark::State& state) {
  std::unique_ptr<corvia::Poly> poly = corvia::bench::GeodesicSphere(5);
  if (!poly) {
    state.SkipWithError("the model did not build");
    return;
  }
  corvia::UnitSettings& units = corvia::GetUnitSettings();
  const int32_t savedMax = units.mMaxFacesPerNet;
  units.mMaxFacesPerNet = 1;
  corvia::Model3D model(poly.get(), false);
  model.MakeNets();
  units.mMaxFacesPerNet = savedMax;
  // An A4 page less margins, in twips.
  const int32_t page[4] = {0, 15840, 11000, 0};
  for (auto _ : state) {
    model.CountNetsToPrint(nullptr, false);
    int32_t lowest = 0;
    corvia::NetPage* pages = corvia::FitNetsOnPages(&model, page, 0, nullptr, false, &lowest);
    int count = 0;
    for (corvia::NetPage* p = pages; p; p = p->next) ++count;
    state.counters["nets"] = model.GetNumNets();
    state.counters["pages"] = count;
    corvia::NetPage::FreeList(pages);
  }
}
BENCHMARK(FitFiveHundredNetsOnPages)->Unit(benchmark::kMillisecond);

}  // namespace
