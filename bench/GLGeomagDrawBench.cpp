// A large model in the Geomag style, painted off screen at 1000 x 800 (Mesa's software
// renderer here) by the program's own Base + Dual pane, the model the document's
// current one: the zonohedron of the truncated icosidodecahedron (3,540 faces, 7,080
// edges) and its dual, each as its faces (the panels the toy has), its balls and its
// rods, turning a little each frame; and the zonohedron of 150 zones of that zonohedron
// (21,942 faces). The counters: "rods" drawn a frame and "draws" the calls that drew
// them.
#include <benchmark/benchmark.h>

#include <memory>

#include "app/PolyDoc.h"
#include "app/PolyView.h"
#include "bench/support/ProgramPane.h"
#include "construction/Library.h"
#include "core/Geometry.h"
#include "core/Tolerances.h"
#include "model/LibraryEntry.h"
#include "model/Poly.h"
#include "model/Subdivision.h"
#include "render/GeomagDrawing.h"

namespace {

constexpr int kWidth = 1000;
constexpr int kHeight = 800;
constexpr int kLibraryTruncatedIcosidodecahedron = 20;

// The zonohedron of the model's vertex directions, at most `maxZones` of them (0: all).
std::unique_ptr<corvia::SimplePoly> Zonohedron(corvia::Poly* base, int maxZones) {
  if (!base) return nullptr;
  corvia::ZonohedrifyOptions options;
  options.mMaxZones = maxZones;
  corvia::TolerantPointList zones(corvia::kPointTolerance);
  if (base->CollectZoneVectors(zones, options, nullptr) < 0) return nullptr;
  return corvia::CreateZonohedron(base, zones, nullptr);
}

void DrawFrames(benchmark::State& state, bool large) {
  corvia::bench::ProgramPane pane(corvia::kViewCompoundOfDuals, kWidth, kHeight);
  if (!pane.Shown()) {
    state.SkipWithError(pane.Error().c_str());
    return;
  }
  corvia::SwitchGeomagStyle(true);
  corvia::CPolyDoc& doc = pane.Doc();
  bool made = doc.SetModel(corvia::GetLibraryEntry(kLibraryTruncatedIcosidodecahedron), false, false) &&
              pane.Enter(Zonohedron(doc.GetCurrentPoly(), 0));
  if (made && large) made = pane.Enter(Zonohedron(doc.GetCurrentPoly(), 150));
  if (!made) {
    corvia::SwitchGeomagStyle(false);
    state.SkipWithError("the zonohedron did not build");
    return;
  }
  pane.Paint();
  const corvia::GeomagDrawStatistics start = corvia::GetGeomagDrawStatistics();
  for (auto _ : state) {
    const double up[3] = {0, 1, 0};
    pane.Pane().Camera().RotateCamera(up, 1);
    pane.Paint();
  }
  const corvia::GeomagDrawStatistics end = corvia::GetGeomagDrawStatistics();
  const double frames = static_cast<double>(state.iterations());
  state.counters["faces"] = doc.GetCurrentPoly()->mFaces.mCount;
  state.counters["rods"] = static_cast<double>(end.rods - start.rods) / frames;
  state.counters["draws"] = static_cast<double>(end.draws - start.draws) / frames;
  corvia::SwitchGeomagStyle(false);
}

void BM_GeomagBaseAndDual(benchmark::State& state) {
  DrawFrames(state, false);
}
void BM_GeomagBaseAndDualLarge(benchmark::State& state) {
  DrawFrames(state, true);
}

BENCHMARK(BM_GeomagBaseAndDual)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_GeomagBaseAndDualLarge)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
