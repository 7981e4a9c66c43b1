// A large model in the Geomag style, drawn off screen at 1000 x 800 (Mesa's software
// renderer here) as the Base + Dual pane draws it: the zonohedron of the truncated
// icosidodecahedron (3,540 faces, 7,080 edges) and its dual, each as its faces (the
// panels the toy has), its balls and its rods, turning a little each frame; and the
// zonohedron of 150 zones of that zonohedron (21,942 faces). The counters: "rods" drawn
// a frame and "draws" the calls that drew them.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "bench/BenchModels.h"
#include "core/Geometry.h"
#include "core/Tolerances.h"
#include "model/CreatePoly.h"
#include "model/Globals.h"
#include "model/Poly.h"
#include "model/Subdivision.h"
#include "render/DepthSortedTriangles.h"
#include "render/GeomagDrawing.h"
#include "render/GeomagStyle.h"
#include "render/ModelDrawing.h"
#include "render/OffscreenViewWindow.h"
#include "render/OpenGLView.h"
#include "render/ViewTypeDrawing.h"
#include "render/VertexEdgeDrawing.h"

namespace {

constexpr int kWidth = 1000;
constexpr int kHeight = 800;
constexpr int kLibraryTruncatedIcosidodecahedron = 20;

class CurrentModel : public corvia::DocumentAccess {
 public:
  corvia::Poly* poly = nullptr;
  corvia::Poly* GetCurrentPoly() override { return poly; }
};

class CompoundView : public corvia::OpenGLView {
 public:
  explicit CompoundView(corvia::Poly* poly) : mPoly(poly) {}
  void ScenePass() override {
    for (int block : {0, 1}) {
      corvia::DrawVertexSpheres(mPoly, block, 1.0);
      corvia::DrawPolyEdges(mPoly, block, 1.0);
    }
    corvia::DrawBaseBlock(mPoly, 1.0, 1.0);
    corvia::DrawDualBlock(mPoly, 1.0, 1.0);
    corvia::DrawDepthSortedTriangles();
  }

 private:
  corvia::Poly* mPoly;
};

// The zonohedron of the model's vertex directions, at most `maxZones` of them (0: all).
std::unique_ptr<corvia::Poly> Zonohedron(corvia::Poly* base, int maxZones) {
  if (!base) return nullptr;
  corvia::ZonohedrifyOptions options;
  options.mMaxZones = maxZones;
  corvia::TolerantPointList zones(corvia::kPointTolerance);
  if (base->CollectZoneVectors(zones, options, nullptr) < 0) return nullptr;
  std::unique_ptr<corvia::SimplePoly> simple = corvia::CreateZonohedron(base, zones, nullptr);
  auto poly = std::make_unique<corvia::Poly>();
  if (!simple || !corvia::CreatePoly(*simple, poly.get(), false, false)) return nullptr;
  return poly;
}

void DrawFrames(benchmark::State& state, bool large) {
  std::unique_ptr<corvia::Poly> poly =
      Zonohedron(corvia::bench::LibraryPoly(kLibraryTruncatedIcosidodecahedron).get(), 0);
  if (large && poly) poly = Zonohedron(poly.get(), 150);
  if (!poly) {
    state.SkipWithError("the zonohedron did not build");
    return;
  }
  CurrentModel current;
  current.poly = poly.get();
  corvia::DocumentAccess* before = corvia::InstallDocumentAccess(&current);
  corvia::SetGeomagStyle(true);
  std::string error;
  auto window = corvia::OffscreenViewWindow::Create(kWidth, kHeight, &error);
  if (!window) {
    state.SkipWithError(error.c_str());
    return;
  }
  CompoundView view(poly.get());
  window->Show(&view);
  view.ViewSphere(nullptr, poly->GetRadius());
  window->Paint();
  const corvia::GeomagDrawStatistics start = corvia::GetGeomagDrawStatistics();
  for (auto _ : state) {
    const double up[3] = {0, 1, 0};
    view.RotateCamera(up, 1);
    window->Paint();
  }
  const corvia::GeomagDrawStatistics end = corvia::GetGeomagDrawStatistics();
  const double frames = static_cast<double>(state.iterations());
  state.counters["faces"] = poly->mFaces.mCount;
  state.counters["rods"] = static_cast<double>(end.rods - start.rods) / frames;
  state.counters["draws"] = static_cast<double>(end.draws - start.draws) / frames;
  window->Close();
  corvia::SetGeomagStyle(false);
  corvia::InstallDocumentAccess(before);
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
