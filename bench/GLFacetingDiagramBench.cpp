// The faceting diagram's first paint on a large model: the frequency-13 geodesic sphere
// (3,380 faces, 1,692 vertices), whose diagram of a vertex has a line through every pair
// of the other 1,691 points, some 1.43 million lines, painted off screen by the
// program's own Faceting Diagram pane of 640 x 640 (Mesa's software renderer here),
// the sphere the document's current model, with the fit, texts and facet preview of
// the pane's paint. "FirstPaint" paints a diagram the pane has no picture of yet (the
// picture is let go of before each frame): the pane draws the diagram without the
// pair lines and leaves making them, and their picture, to the idle work;
// "IdleWork" is that paint followed by the program's idle work that makes the lines
// and the picture in turns (what the user waits for under the progress window);
// "KeptPaint" paints it again. "lines" counts the pair lines rasterized a frame.
// CORVIA_BENCH_BRIEF takes the frequency-6 sphere, whose 64,000 pair lines are still
// left to the idle work.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "app/PolyDoc.h"
#include "bench/BenchModels.h"
#include "bench/support/ProgramPane.h"
#include "model/FaceTypeBlock.h"
#include "model/Poly.h"
#include "model/Subdivision.h"
#include "render/PairLineLayer.h"

namespace {

constexpr int kSize = 640;
constexpr int kFrequency = 13;
constexpr int kBriefFrequency = 6;

enum class Frame { First, WithIdleWork, Kept };

void PaintDiagram(benchmark::State& state, Frame frame) {
  corvia::bench::ProgramPane pane(corvia::kViewFacetingDiagram, kSize, kSize);
  if (!pane.Shown()) {
    state.SkipWithError(pane.Error().c_str());
    return;
  }
  corvia::CPolyDoc& doc = pane.Doc();
  const int frequency = std::getenv("CORVIA_BENCH_BRIEF") ? kBriefFrequency : kFrequency;
  if (!doc.SetModel(corvia::GetLibraryEntry(corvia::bench::kLibraryIcosahedron), false, false) ||
      !pane.Enter(doc.GetCurrentPoly()->Subdivide(corvia::kSubdivideGeodesic, frequency))) {
    state.SkipWithError("the geodesic sphere did not build");
    return;
  }
  corvia::Poly* poly = doc.GetCurrentPoly();
  poly->mDualBlock->SetCurrentFace(poly->mVertices.mHead);
  pane.Paint();
  corvia::MakeDeferredPairLinePictures();
  const unsigned long start = corvia::CountPairLinesRasterized();
  for (auto _ : state) {
    if (frame != Frame::Kept) corvia::ForgetPairLineLayer(&pane.Pane());
    pane.Paint();
    if (frame == Frame::WithIdleWork) corvia::MakeDeferredPairLinePictures();
  }
  state.counters["lines"] = benchmark::Counter(
      static_cast<double>(corvia::CountPairLinesRasterized() - start) / static_cast<double>(state.iterations()));
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
