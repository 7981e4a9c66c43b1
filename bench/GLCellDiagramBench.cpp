// The Cell Diagram pane's paint: the program's own pane (1000 x 800, off screen, Mesa's
// software renderer here) showing the cells of the stellated base side of the
// document's current model, a box for each cell in a row for each cell type, the
// stippled links between neighbouring cells behind them, the cells' numbers once a box
// is large enough. Arguments: the library record (21 the snub dodecahedron, 1,940
// cells; 75 the great disnub dirhombidodecahedron, 8,653 cells) and the zoom on the
// fitted diagram on its middle (1 fitted; 64 some thirty boxes in the pane; 2048 a
// part of one box, as a pane zoomed in far shows). "first_s" is the first paint after
// the side is stellated (at the zoom), the iterations paint again, nothing changed.
//
// Later paints (first paint in brackets), drawn a primitive at a time, every link and
// every cell's number drawn and written wherever they lay (load 8), against drawn from
// the diagram the pane keeps, with what lies off the viewport passed over (load 8):
//   record  zoom   a primitive at a time    kept
//     21      1    43.6 ms (48 ms)          42.5 ms (67 ms)
//     21     64    14.2 ms (16 ms)           2.8 ms (2.9 ms)
//     75      1    77.2 ms (62 ms)          61.2 ms (63 ms)
//     75     64    38.4 ms (36 ms)          11.3 ms (12 ms)
//     75   2048    39.0 ms (45 ms)           1.6 ms (4.0 ms)
// Fitted, the time is mostly the stippled links' rasterizing, the same both ways. In
// the program, a pane of 261 x 300 zoomed on a diagram of 14,149 cells (a box some
// 15,000 pixels wide) painted in 1.03 s the first time and 0.33 to 0.41 s after
// (load 9), from the kept diagram in 14 to 22 ms and 3 to 8 ms.
#include <benchmark/benchmark.h>

#include <chrono>

#include "app/PolyDoc.h"
#include "bench/support/ProgramPane.h"
#include "construction/Library.h"
#include "model/FaceTypeBlock.h"
#include "model/Poly.h"
#include "stellation/Stellate.h"

namespace {

void BM_CellDiagramPaint(benchmark::State& state) {
  constexpr int kPaneWidth = 1000, kPaneHeight = 800;
  corvia::bench::ProgramPane pane(corvia::kViewCellDiagram, kPaneWidth, kPaneHeight);
  if (!pane.Shown()) {
    state.SkipWithError(pane.Error().c_str());
    return;
  }
  corvia::CPolyDoc& doc = pane.Doc();
  if (!doc.SetModel(corvia::GetLibraryEntry(static_cast<int>(state.range(0))), false, false)) {
    state.SkipWithError("the model did not build");
    return;
  }
  corvia::Poly* poly = doc.GetCurrentPoly();
  corvia::FaceTypeBlock* block = poly->mBaseBlock.get();
  if (!corvia::Stellate(poly, block, false) || !block->IsStellated()) {
    state.SkipWithError("the stellation was refused");
    return;
  }
  const double zoom = static_cast<double>(state.range(1));
  if (zoom != 1.0) {
    // Fitted by a paint first, then zoomed in on the middle: "first_s" is the first
    // paint at the zoom.
    pane.Paint();
    pane.Pane().Mapping2D().Zoom2DAt(zoom, kPaneWidth / 2, kPaneHeight / 2);
  }
  const auto start = std::chrono::steady_clock::now();
  pane.Paint();
  state.counters["first_s"] = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  for (auto _ : state) pane.Paint();
  state.counters["cells"] = block->GetNumCells();
}

BENCHMARK(BM_CellDiagramPaint)
    ->ArgNames({"library", "zoom"})
    ->Args({21, 1})
    ->Args({21, 64})
    ->Args({75, 1})
    ->Args({75, 64})
    ->Args({75, 2048})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
