// The facet model and its nets drawn at work: frames per second of a pane at
// 1280 x 1024 off screen (Mesa's software renderer here) showing the frequency-10
// geodesic sphere (2,000 facelets) as a facet model sorted back to front each frame,
// its flat net, and its nets folded half way.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "bench/BenchModels.h"
#include "construction/Library.h"
#include "model/LibraryEntry.h"
#include "model/Poly.h"
#include "model/Subdivision.h"
#include "nets/Model3D.h"
#include "nets/Net.h"
#include "nets/NetSettings.h"
#include "render/DepthSortedTriangles.h"
#include "render/FacetModelDrawing.h"
#include "render/NetDrawing.h"
#include "render/OffscreenViewWindow.h"
#include "render/OpenGLView.h"
#include "symmetry/SimplePoly.h"

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 1024;
constexpr int kFrequency = 10;

enum class Scene { Facelets, FlatNet, FoldingNets };

class NetView : public corvia::OpenGLView {
 public:
  NetView(corvia::Model3D* model, Scene scene) : mModel(model), mScene(scene) {}
  void ScenePass() override {
    switch (mScene) {
      case Scene::Facelets:
        DrawFacelets(mModel, 1.0);
        break;
      case Scene::FlatNet:
        if (corvia::Net* net = mModel->GetNet(0)) DrawUnfolded(net);
        break;
      case Scene::FoldingNets:
        DrawNets(mModel);
        break;
    }
    corvia::DrawDepthSortedTriangles();
  }

 private:
  corvia::Model3D* mModel;
  Scene mScene;
};

void DrawFrames(benchmark::State& state, Scene scene) {
  std::unique_ptr<corvia::Poly> poly = corvia::bench::GeodesicSphere(kFrequency);
  if (!poly) {
    state.SkipWithError("the geodesic sphere did not build");
    return;
  }
  corvia::Model3D model(poly.get(), false);
  if (scene != Scene::Facelets) model.MakeNets();
  const double fold = corvia::GetNetSettings().foldFraction;
  corvia::GetNetSettings().foldFraction = 0.5;
  std::string error;
  auto window = corvia::OffscreenViewWindow::Create(kWidth, kHeight, &error);
  if (!window) {
    state.SkipWithError(error.c_str());
    return;
  }
  NetView view(&model, scene);
  window->Show(&view);
  if (scene == Scene::FlatNet) {
    view.SetIs3D(false);
    view.SetExtents2D(-4, 4, 4, -4);
    view.FitExtents2D();
  } else {
    view.ViewSphere(nullptr, scene == Scene::FoldingNets ? 3.0 : 1.0);
  }
  window->Paint();
  for (auto _ : state) {
    // Turning a little each frame, as a throw would: the depth order changes.
    const double up[3] = {0, 1, 0};
    if (scene != Scene::FlatNet) view.RotateCamera(up, 1);
    window->Paint();
  }
  state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["facelets"] = model.GetNumFacelets();
  window->Close();
  corvia::GetNetSettings().foldFraction = fold;
}

void BM_FaceletsBackToFront(benchmark::State& state) {
  DrawFrames(state, Scene::Facelets);
}
void BM_FlatNet(benchmark::State& state) {
  DrawFrames(state, Scene::FlatNet);
}
void BM_FoldingNetsHalfWay(benchmark::State& state) {
  DrawFrames(state, Scene::FoldingNets);
}

BENCHMARK(BM_FaceletsBackToFront)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FlatNet)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FoldingNetsHalfWay)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
