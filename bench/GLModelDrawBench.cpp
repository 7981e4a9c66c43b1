// The model drawing at work: frames per second of a pane at 1280 x 1024 off screen
// (Mesa's software renderer here) showing the frequency-30 geodesic sphere (18,000
// faces) opaque, and translucent with every triangle depth-sorted each frame; and the
// depth sort of 100,000 queued triangles on its own.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <string>

#include "bench/BenchModels.h"
#include "construction/Library.h"
#include "model/ColorSchemes.h"
#include "model/LibraryEntry.h"
#include "model/Poly.h"
#include "model/Subdivision.h"
#include "render/DepthSortedTriangles.h"
#include "render/ModelDrawing.h"
#include "render/OffscreenViewWindow.h"
#include "render/OpenGLView.h"
#include "symmetry/SimplePoly.h"

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 1024;
constexpr int kFrequency = 30;

class ModelView : public corvia::OpenGLView {
 public:
  explicit ModelView(corvia::Poly* poly) : mPoly(poly) {}
  void ScenePass() override {
    corvia::DrawFaces(mPoly, &mPoly->mFaces, corvia::kDrawModePlain, 1.0, 1.0, nullptr);
    corvia::DrawDepthSortedTriangles();
  }

 private:
  corvia::Poly* mPoly;
};

void DrawFrames(benchmark::State& state, bool translucent) {
  std::unique_ptr<corvia::Poly> poly = corvia::bench::GeodesicSphere(kFrequency);
  if (!poly) {
    state.SkipWithError("the geodesic sphere did not build");
    return;
  }
  if (translucent) {
    for (corvia::PolyElement* f = poly->mFaces.mHead; f; f = f->mNext) f->SetOpacity(0.6f);
    poly->mPolyFlags |= corvia::kPolyFlagCellColoursFront;
  }
  std::string error;
  auto window = corvia::OffscreenViewWindow::Create(kWidth, kHeight, &error);
  if (!window) {
    state.SkipWithError(error.c_str());
    return;
  }
  ModelView view(poly.get());
  window->Show(&view);
  view.ViewSphere(nullptr, 1.0);
  window->Paint();
  for (auto _ : state) {
    // Turning a little each frame, as a throw would: the depth order changes.
    const double up[3] = {0, 1, 0};
    view.RotateCamera(up, 1);
    window->Paint();
  }
  state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["faces"] = poly->mFaces.mCount;
  window->Close();
}

void BM_GeodesicSphereOpaque(benchmark::State& state) {
  DrawFrames(state, false);
}
void BM_GeodesicSphereTranslucent(benchmark::State& state) {
  DrawFrames(state, true);
}

// 100,000 translucent triangles scattered in a ball, queued once and sorted from an eye
// that moves a little each time.
void BM_DepthSort100000(benchmark::State& state) {
  constexpr int kTriangles = 100000;
  const float colour[4] = {0.8f, 0.6f, 0.2f, 0.5f};
  const double normal[3] = {0, 0, 1};
  for (int i = 0; i < kTriangles; ++i) {
    const double u = std::fmod(i * 0.618033988749895, 1.0), v = std::fmod(i * 0.754877666246693, 1.0);
    const double w = std::fmod(i * 0.569840290998053, 1.0);
    const double p[3] = {2 * u - 1, 2 * v - 1, 2 * w - 1};
    const double q[3] = {p[0] + 0.01, p[1], p[2]};
    const double r[3] = {p[0], p[1] + 0.01, p[2]};
    corvia::AddDepthSortedTriangle(p, q, r, normal, colour, 0, 1.0, nullptr, nullptr, nullptr);
  }
  double eye[3] = {0, 0, 5};
  int step = 0;
  for (auto _ : state) {
    eye[0] = std::sin(0.01 * ++step);
    corvia::SortDepthSortedTriangles(eye);
  }
  state.counters["triangles"] = corvia::GetDepthSortStatistics().sortedQueue;
  corvia::DiscardDepthSortedTriangles();
}

BENCHMARK(BM_GeodesicSphereOpaque)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_GeodesicSphereTranslucent)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DepthSort100000)->Unit(benchmark::kMillisecond);

}  // namespace
