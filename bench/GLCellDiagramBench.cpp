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
// And a click's pick in that pane (the two selection passes a click makes, at points
// round the middle; "first_ms" the first click after the paint, "names" the boxes the
// first click draws under their cells' names, both passes), every cell's box drawn a
// cell at a time (load 16) against the boxes the kept diagram finds round the pointer
// by their rows and places (load 13):
//   record  zoom   every box                        round the pointer
//     21      1    7.2 ms (first 46 ms), 3,882      0.08 ms (first 51 ms), 3
//     75      1    31 ms (first 53 ms), 17,308      0.28 ms (first 0.6 ms), 15
//     75     16    40 ms (first 41 ms), 17,308      0.31 ms (first 0.6 ms), 2
// (The first click of a process sets up GL's selection mode, tens of ms either way.)
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>

#include "app/PolyDoc.h"
#include "bench/support/ProgramPane.h"
#include "construction/Library.h"
#include "model/FaceTypeBlock.h"
#include "model/Poly.h"
#include "stellation/Stellate.h"

namespace {

constexpr int kPaneWidth = 1000, kPaneHeight = 800;

// The library record as the document's model, its base side stellated: null (the
// benchmark skipped) when the pane or the stellation is not to be had.
corvia::FaceTypeBlock* ShowStellated(corvia::bench::ProgramPane& pane, int record, benchmark::State& state) {
  if (!pane.Shown()) {
    state.SkipWithError(pane.Error().c_str());
    return nullptr;
  }
  corvia::CPolyDoc& doc = pane.Doc();
  if (!doc.SetModel(corvia::GetLibraryEntry(record), false, false)) {
    state.SkipWithError("the model did not build");
    return nullptr;
  }
  corvia::Poly* poly = doc.GetCurrentPoly();
  corvia::FaceTypeBlock* block = poly->mBaseBlock.get();
  if (!corvia::Stellate(poly, block, false) || !block->IsStellated()) {
    state.SkipWithError("the stellation was refused");
    return nullptr;
  }
  return block;
}

void BM_CellDiagramPaint(benchmark::State& state) {
  corvia::bench::ProgramPane pane(corvia::kViewCellDiagram, kPaneWidth, kPaneHeight);
  corvia::FaceTypeBlock* block = ShowStellated(pane, static_cast<int>(state.range(0)), state);
  if (!block) return;
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

void BM_CellDiagramPick(benchmark::State& state) {
  corvia::bench::ProgramPane pane(corvia::kViewCellDiagram, kPaneWidth, kPaneHeight);
  corvia::FaceTypeBlock* block = ShowStellated(pane, static_cast<int>(state.range(0)), state);
  if (!block) return;
  pane.Paint();
  const double zoom = static_cast<double>(state.range(1));
  if (zoom != 1.0) {
    pane.Pane().Mapping2D().Zoom2DAt(zoom, kPaneWidth / 2, kPaneHeight / 2);
    pane.Paint();
  }
  int step = 0, found = 0;
  auto click = [&]() {
    const int x = kPaneWidth / 2 + (step % 5 - 2) * 9;
    const int y = kPaneHeight / 2 + (step / 5 % 5 - 2) * 9;
    ++step;
    found += pane.Pane().Clicks().PickAt(x, y).Found() ? 1 : 0;
  };
  const uint64_t names = pane.Pane().GetPickNamesLoaded();
  const auto start = std::chrono::steady_clock::now();
  click();
  state.counters["first_ms"] = 1000.0 * std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  state.counters["names"] = static_cast<double>(pane.Pane().GetPickNamesLoaded() - names);
  for (auto _ : state) click();
  state.counters["cells"] = block->GetNumCells();
  state.counters["found"] = static_cast<double>(found) / static_cast<double>(step);
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

BENCHMARK(BM_CellDiagramPick)
    ->ArgNames({"library", "zoom"})
    ->Args({21, 1})
    ->Args({75, 1})
    ->Args({75, 16})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(10);

}  // namespace
