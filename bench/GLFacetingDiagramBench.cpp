// The faceting diagram's first paint on a large model: the frequency-13 geodesic sphere
// (3,380 faces, 1,692 vertices), whose diagram of a vertex has a line through every pair
// of the other 1,691 points, some 1.43 million lines, drawn off screen in a pane of
// 640 x 640 (Mesa's software renderer here). "FirstPaint" paints a diagram the pane
// has no picture of yet (the picture is let go of before each frame): the pane draws
// the diagram without the pair lines and leaves making them, and their picture, to the
// idle work; "IdleWork" is that paint followed by the idle work that makes the lines
// and the picture in turns
// (what the user waits for under the progress window); "KeptPaint" paints it again.
// "lines" counts the pair lines rasterized a frame.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "bench/BenchModels.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "render/ElementDrawing.h"
#include "render/OffscreenViewWindow.h"
#include "render/OpenGLView.h"
#include "render/PairLineLayer.h"

namespace {

constexpr int kSize = 640;
constexpr int kFrequency = 13;

class DiagramView : public corvia::OpenGLView {
 public:
  explicit DiagramView(const corvia::PolyElement* element) : mElement(element) {}
  void ScenePass() override { corvia::DrawVertexFigure2D(mElement, this, true, false); }

 private:
  const corvia::PolyElement* mElement;
};

enum class Frame { First, WithIdleWork, Kept };

void PaintDiagram(benchmark::State& state, Frame frame) {
  std::unique_ptr<corvia::Poly> poly = corvia::bench::GeodesicSphere(kFrequency);
  if (!poly || !poly->mVertices.mHead) {
    state.SkipWithError("the geodesic sphere did not build");
    return;
  }
  std::string error;
  auto window = corvia::OffscreenViewWindow::Create(kSize, kSize, &error);
  if (!window) {
    state.SkipWithError(error.c_str());
    return;
  }
  const corvia::PolyElement* vertex = poly->mVertices.mHead;
  DiagramView view(vertex);
  window->Show(&view);
  view.SetIs3D(false);
  const auto h = static_cast<float>(vertex->GetOthersExtent2D() * 1.05);
  view.SetExtents2D(-h, h, h, -h);
  view.FitExtents2D();
  window->Paint();
  corvia::MakeDeferredPairLinePictures();
  const unsigned long start = corvia::CountPairLinesRasterized();
  for (auto _ : state) {
    if (frame != Frame::Kept) corvia::ForgetPairLineLayer(&view);
    window->Paint();
    if (frame == Frame::WithIdleWork) corvia::MakeDeferredPairLinePictures();
  }
  state.counters["lines"] = benchmark::Counter(
      static_cast<double>(corvia::CountPairLinesRasterized() - start) / static_cast<double>(state.iterations()));
  window->Close();
}

void BM_FacetingDiagramFirstPaint(benchmark::State& state) {
  PaintDiagram(state, Frame::First);
}
void BM_FacetingDiagramIdleWork(benchmark::State& state) {
  PaintDiagram(state, Frame::WithIdleWork);
}
void BM_FacetingDiagramKeptPaint(benchmark::State& state) {
  PaintDiagram(state, Frame::Kept);
}

BENCHMARK(BM_FacetingDiagramFirstPaint)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FacetingDiagramIdleWork)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_FacetingDiagramKeptPaint)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
