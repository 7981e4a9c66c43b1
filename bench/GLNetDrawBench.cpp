// The facet model and its nets drawn at work: frames per second of a pane at
// 1280 x 1024 off screen (Mesa's software renderer here) showing the frequency-10
// geodesic sphere (2,000 facelets) as a facet model sorted back to front each frame,
// its flat net, and its nets folded half way. And a click's pick in the program's own
// Unfolded Net pane (1000 x 800) of the frequency-60 and frequency-150 spheres (72,000
// and 450,000 facelets), the document's current model, nets made as the program's idle
// time makes them: the click costs what lies under the pointer, not the facelets times
// their types ("boxes_tested": the facelets' boxes it compares with the pick region's;
// "first_ms": the first click). Under a load of 5 to 11 on 8 cores the frequency-150
// click read every facelet's box in 0.70 s; from the net's grid of boxes, made in the
// click, 25 ms (2,300 boxes; the first 215 ms); the grid filed by the idle work after
// the net's buffers, 6 ms (690 boxes; the first 29 ms). In the Folding Net pane
// ("folding") the frequency-150 click tested every folded facelet against the pick
// region in 2.20 s (load 31); reading only the runs of facelets whose folded bounds meet
// it, 346 ms (load 18). And a paint of those two panes of the frequency-30 sphere (18,000
// facelets) with the edges' connection ids and the corner angles shown: a paint costs
// what can be read, not a text for every edge and corner however small they are drawn;
// and of the Unfolded Net pane zoomed in on it and on the frequency-150 sphere: a paint
// writes the texts in the window from those worked out once and kept.
// And a click in the program's own Base Polyhedron pane (1000 x 800) on the
// frequency-60 and frequency-150 spheres (72,000 and 450,000 faces): the pick alone, and
// the whole click that selects the face under the pointer with the paint that shows it
// ("recorded": the model pane's face lists recorded afresh per click; the new selection
// is drawn over what the pane kept). While a selection recorded the whole list again
// the frequency-150 click with its paint took 506 and 588 ms (load 7, 16), the
// frequency-60 one 69 and 71 ms; since, 171 and 178 ms (load 8 to 10), the pick 85 to
// 90 ms of it, and 32 and 37 ms.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "app/DeferredPaneWork.h"
#include "bench/BenchModels.h"
#include "bench/support/ProgramPane.h"
#include "construction/Library.h"
#include "model/LibraryEntry.h"
#include "model/Poly.h"
#include "model/Subdivision.h"
#include "nets/Model3D.h"
#include "nets/Net.h"
#include "nets/NetSettings.h"
#include "render/DepthSortedTriangles.h"
#include "render/FaceMeshCache.h"
#include "render/FacetModelDrawing.h"
#include "render/FlatNetMesh.h"
#include "render/GLText.h"
#include "render/NetDrawSettings.h"
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
    view.Mapping2D().SetExtents2D(-4, 4, 4, -4);
    view.Mapping2D().FitExtents2D();
  } else {
    view.Camera().ViewSphere(nullptr, scene == Scene::FoldingNets ? 3.0 : 1.0);
  }
  window->Paint();
  for (auto _ : state) {
    // Turning a little each frame, as a throw would: the depth order changes.
    const double up[3] = {0, 1, 0};
    if (scene != Scene::FlatNet) view.Camera().RotateCamera(up, 1);
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

// The library record subdivided (Poly::Subdivide with the flags and parts) as the
// current model of the program's pane, painted once; false (the benchmark skipped) when
// it is not.
bool ShowSubdivided(corvia::bench::ProgramPane& pane, int library, uint32_t flags, int parts,
                    benchmark::State& state) {
  if (!pane.Shown()) {
    state.SkipWithError(pane.Error().c_str());
    return false;
  }
  corvia::CPolyDoc& doc = pane.Doc();
  std::unique_ptr<corvia::SimplePoly> made;
  if (doc.SetModel(corvia::GetLibraryEntry(library), false, false)) {
    made = doc.GetCurrentPoly()->Subdivide(flags, parts);
  }
  if (!pane.Enter(std::move(made))) {
    state.SkipWithError("the subdivided model did not build");
    return false;
  }
  pane.Paint();
  return true;
}

// The sphere of the frequency as the current model of the program's pane, painted once.
bool ShowSphere(corvia::bench::ProgramPane& pane, int frequency, benchmark::State& state) {
  return ShowSubdivided(pane, corvia::bench::kLibraryIcosahedron, corvia::kSubdivideGeodesic, frequency, state);
}

// A click's pick at points round the middle of the model pane (whole: true, the click
// selecting what it picks and the paint after it).
void ModelPaneClick(benchmark::State& state, bool whole) {
  constexpr int kPaneWidth = 1000, kPaneHeight = 800;
  corvia::bench::ProgramPane pane(corvia::kViewBasePolyhedron, kPaneWidth, kPaneHeight);
  if (!ShowSphere(pane, static_cast<int>(state.range(0)), state)) return;
  int step = 0, found = 0;
  const unsigned recorded = corvia::GetFaceMeshStatistics().recorded;
  for (auto _ : state) {
    const int x = kPaneWidth / 2 + (step % 5 - 2) * 7;
    const int y = kPaneHeight / 2 + (step / 5 % 5 - 2) * 7;
    ++step;
    if (whole) {
      pane.Pane().Clicks().OnClick(x, y, 0);
      pane.Paint();
      found += pane.Doc().GetCurrentPoly()->mSelectedItem ? 1 : 0;
    } else {
      found += pane.Pane().Clicks().PickAt(x, y).Found() ? 1 : 0;
    }
  }
  state.counters["faces"] = pane.Doc().GetCurrentPoly()->mFaces.mCount;
  state.counters["found"] = static_cast<double>(found) / static_cast<double>(state.iterations());
  if (whole) {
    state.counters["recorded"] = static_cast<double>(corvia::GetFaceMeshStatistics().recorded - recorded) /
                                 static_cast<double>(state.iterations());
  }
}

void BM_ModelPanePick(benchmark::State& state) {
  ModelPaneClick(state, false);
}
void BM_ModelPaneClickAndPaint(benchmark::State& state) {
  ModelPaneClick(state, true);
}

// The library record subdivided as the current model of the program's pane, and its
// nets made as the program's idle time makes them after the paint asks for them (the
// longest of the paints between the idle work's runs in *longestPaint, seconds); null
// (the benchmark skipped) when they are not.
corvia::Model3D* ShowSubdividedNets(corvia::bench::ProgramPane& pane, int library, uint32_t flags, int parts,
                                     benchmark::State& state, double* longestPaint = nullptr) {
  if (!ShowSubdivided(pane, library, flags, parts, state)) return nullptr;
  while (corvia::RunDeferredPaneWork()) {
    const auto start = std::chrono::steady_clock::now();
    pane.Paint();
    const double paint = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (longestPaint) *longestPaint = std::max(*longestPaint, paint);
  }
  corvia::Model3D* model = pane.Pane().GetModel3D();
  if (!model || !model->HasNets()) {
    state.SkipWithError("the nets were not made");
    return nullptr;
  }
  return model;
}

// The geodesic sphere of the frequency made the current model of the program's pane,
// its nets made as the idle time makes them.
corvia::Model3D* ShowSphereNets(corvia::bench::ProgramPane& pane, int frequency, benchmark::State& state) {
  return ShowSubdividedNets(pane, corvia::bench::kLibraryIcosahedron, corvia::kSubdivideGeodesic, frequency, state);
}

void BM_NetPaneClick(benchmark::State& state) {
  constexpr int kPaneWidth = 1000, kPaneHeight = 800;
  const corvia::ViewType type = state.range(1) ? corvia::kViewFoldingNet : corvia::kViewUnfoldedNet;
  corvia::bench::ProgramPane pane(type, kPaneWidth, kPaneHeight);
  corvia::Model3D* model = ShowSphereNets(pane, static_cast<int>(state.range(0)), state);
  if (!model) return;
  pane.Paint();
  int step = 0, found = 0;
  double first = 0.0;
  for (auto _ : state) {
    const int x = kPaneWidth / 2 + (step % 5 - 2) * 7;
    const int y = kPaneHeight / 2 + (step / 5 % 5 - 2) * 7;
    const auto start = std::chrono::steady_clock::now();
    found += pane.Pane().Clicks().PickAt(x, y).Found() ? 1 : 0;
    if (step++ == 0) first = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  }
  // The first click after the nets are made files the facelets' boxes.
  state.counters["first_ms"] = first;
  state.counters["facelets"] = model->GetNumFacelets();
  state.counters["types"] = model->GetNumFaceTypes();
  // The facelets' boxes a click compares with the pick region's.
  if (const corvia::Net* net = model->mCurrentNet) {
    state.counters["boxes_tested"] =
        static_cast<double>(net->CountFaceletBoxesTested()) / static_cast<double>(state.iterations());
  }
  state.counters["found"] = static_cast<double>(found) / static_cast<double>(state.iterations());
}

// A click's pick in the program's own Unfolded Net or Folding Net pane ("folding" 1) of
// a library record, the document's current model, with the stellation lines shown over
// its nets (their data made by the idle work first), at points round the middle
// ("lines_walked" the facelets whose lines a click walked). Record 21 the snub
// dodecahedron, 75 the great disnub dirhombidodecahedron. The picks drew the lines
// of the facelets they drew, unnamed, so that no click could hit them; since, they pass
// them by. Lines walked a click and time, before (load 10) and after (load 11):
//   record  pane       before                 after
//     21    flat       4.7, 3.8 ms            0, 5.3 ms
//     75    flat       4.7, 0.08 ms           0, 0.10 ms
//     75    folding    155, 14.9 ms           0, 15.2 ms
// The picks already drew only what lies round the pointer: the time is the same within
// the machine's noise. A paint of the Folding Net pane of record 75 ("paint_ms", the
// facelets' lines walked one at a time "paint_walked"), its nets drawn one facelet at a
// time with their lines through the coplanar stencil: 2.52 s, 98,160 (load 6); from
// the kept buffers, the lines placed with the facelets: 128 ms, 0 (load 6).
void BM_NetPaneClickWithStellationLines(benchmark::State& state) {
  constexpr int kPaneWidth = 1000, kPaneHeight = 800;
  const corvia::ViewType type = state.range(1) ? corvia::kViewFoldingNet : corvia::kViewUnfoldedNet;
  corvia::bench::ProgramPane pane(type, kPaneWidth, kPaneHeight);
  if (!pane.Shown()) {
    state.SkipWithError(pane.Error().c_str());
    return;
  }
  if (!pane.Doc().SetModel(corvia::GetLibraryEntry(static_cast<int>(state.range(0))), false, false)) {
    state.SkipWithError("the model did not build");
    return;
  }
  corvia::NetDrawSettings& settings = corvia::GetNetDrawSettings();
  const bool shown = settings.showStellationLines;
  settings.showStellationLines = true;
  pane.Paint();
  while (corvia::RunDeferredPaneWork()) pane.Paint();
  pane.Paint();
  corvia::Model3D* model = pane.Pane().GetModel3D();
  if (!model || !model->HasNets()) {
    settings.showStellationLines = shown;
    state.SkipWithError("the nets were not made");
    return;
  }
  // A paint as any other, the lines shown ("paint_ms"), and the facelets whose lines it
  // walked one at a time.
  const unsigned long painted = corvia::CountFaceletLinesDrawnOneByOne();
  const auto start = std::chrono::steady_clock::now();
  pane.Paint();
  state.counters["paint_ms"] =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  state.counters["paint_walked"] = static_cast<double>(corvia::CountFaceletLinesDrawnOneByOne() - painted);
  const unsigned long walked = corvia::CountFaceletLinesDrawnOneByOne();
  int step = 0, found = 0;
  for (auto _ : state) {
    const int x = kPaneWidth / 2 + (step % 5 - 2) * 7;
    const int y = kPaneHeight / 2 + (step / 5 % 5 - 2) * 7;
    ++step;
    found += pane.Pane().Clicks().PickAt(x, y).Found() ? 1 : 0;
  }
  state.counters["facelets"] = model->GetNumFacelets();
  state.counters["lines_walked"] = static_cast<double>(corvia::CountFaceletLinesDrawnOneByOne() - walked) /
                                   static_cast<double>(state.iterations());
  state.counters["found"] = static_cast<double>(found) / static_cast<double>(state.iterations());
  settings.showStellationLines = shown;
}

// The sphere of the frequency as the current model of the program's pane of the view
// type, its nets made, the edges' connection ids and corner angles shown, and the pane
// painted; the Unfolded Net pane zoomed in by the factor about its middle, as the
// wheel zooms it. "first_ms" is the paint after the zoom, the iterations paint again.
// Under a load of 7 to 10 on 8 cores, the Unfolded Net pane, its texts worked out in
// every paint against worked out once and kept (CPU time of a later paint; real time
// of the paint after the zoom):
//   frequency  zoom   later paint          paint after the zoom
//          30     1     50 ms ->  15 ms      58 ms ->  22 ms
//          30    20    112 ms ->  18 ms     124 ms ->  41 ms
//         150    20   1669 ms -> 177 ms    1715 ms -> 362 ms
void BM_NetPanePaintWithEdgeData(benchmark::State& state) {
  constexpr int kPaneWidth = 1000, kPaneHeight = 800;
  const corvia::ViewType type = state.range(0) ? corvia::kViewFoldingNet : corvia::kViewUnfoldedNet;
  corvia::bench::ProgramPane pane(type, kPaneWidth, kPaneHeight);
  const uint32_t edgeData = corvia::GetNetSettings().edgeData;
  corvia::GetNetSettings().edgeData = corvia::kEdgeDataConnectionIds | corvia::kEdgeDataFaceAngles;
  if (corvia::Model3D* model = ShowSphereNets(pane, static_cast<int>(state.range(1)), state)) {
    if (state.range(2) > 1)
      pane.Pane().Mapping2D().Zoom2DAt(static_cast<double>(state.range(2)), kPaneWidth / 2, kPaneHeight / 2);
    const auto start = std::chrono::steady_clock::now();
    pane.Paint();
    state.counters["first_ms"] =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    const uint64_t texts = corvia::CountGLScreenTexts(pane.Pane());
    for (auto _ : state) pane.Paint();
    state.counters["facelets"] = model->GetNumFacelets();
    // The folded panes' texts drawn in a paint.
    state.counters["texts"] =
        static_cast<double>(corvia::CountGLScreenTexts(pane.Pane()) - texts) / static_cast<double>(state.iterations());
  }
  corvia::GetNetSettings().edgeData = edgeData;
}

// Poly > Subdivide Faces of the library's cube into n parts (24 n^2 faces, one net), or
// the icosahedron's geodesic sphere of frequency n (20 n^2 faces), as the current model
// of the program's Unfolded Net pane (or Folding Net pane), its nets made as the program's
// idle time makes them: "first_s" is the longest of the paints between the idle work's
// runs (the first to show the nets among them), the time the window holds still after
// a progress window closes; the iterations paint again. Under a load of 10 to 21 on 8
// cores:
//   parts  facelets   first paint, later paints
//     100   240,000   1.92 s, 1.77 s  drawn facelet by facelet
//                     0.17 s, 0.13 s  from the buffers the idle work gathered
//     204   998,784   8.18 s, 8.09 s  facelet by facelet
//                     0.37 s, 0.44 s  from the buffers
//   sphere of frequency 100, 200,000 facelets (load 14 to 20):
//                     2.65 s, 2.60 s  facelet by facelet
//                     0.41 s, 0.27 s  from the buffers
// The Folding Net pane ("folding" 1, tabs shown) the same (load 5 to 11); "fold_step_s"
// a new fold fraction and the paint after it, "fold_s" the nets' fold in it:
//     100, cube       3.99 s, 3.57 s, step 3.78 s  facelet by facelet
//                     0.42 s, 0.05 s, step 0.53 s (fold 0.38 s)  from the buffers
//     204, cube      13.7 s, 12.0 s, step 15.0 s  facelet by facelet
//                     1.91 s, 0.19 s, step 2.51 s (fold 1.97 s)  from the buffers
//     100, sphere     5.98 s, 4.72 s, step 5.28 s  facelet by facelet
//                     0.64 s, 0.21 s, step 1.11 s (fold 0.65 s)  from the buffers
// A large net's buffers placed anew by the idle work after the fold ("place_s"), not
// in the paint after it ("fold_paint_s", a paint as any other): 204, cube, place 1.14 s,
// the paint 0.77 s (load 14; that paint once placed them too, some 0.84 s of it).
void BM_NetPaneFirstPaint(benchmark::State& state) {
  constexpr int kPaneWidth = 1000, kPaneHeight = 800, kLibraryCube = 1;
  const corvia::ViewType type = state.range(2) ? corvia::kViewFoldingNet : corvia::kViewUnfoldedNet;
  corvia::bench::ProgramPane pane(type, kPaneWidth, kPaneHeight);
  double first = 0.0;
  const bool sphere = state.range(1) != 0;
  corvia::Model3D* model =
      ShowSubdividedNets(pane, sphere ? corvia::bench::kLibraryIcosahedron : kLibraryCube,
                         sphere ? corvia::kSubdivideGeodesic : 0, static_cast<int>(state.range(0)), state, &first);
  if (!model) return;
  for (auto _ : state) pane.Paint();
  state.counters["facelets"] = model->GetNumFacelets();
  state.counters["first_s"] = first;
  if (type == corvia::kViewFoldingNet) {
    // A step of the fold, as a drag of the fold fraction makes: the nets folded anew
    // and painted.
    double& fold = corvia::GetNetSettings().foldFraction;
    const double saved = fold;
    fold = saved == 0.3 ? 0.35 : 0.3;
    const auto start = std::chrono::steady_clock::now();
    model->UpdateFolding();
    const auto folded = std::chrono::steady_clock::now();
    corvia::PlaceDeferredFoldedNets();
    const auto placed = std::chrono::steady_clock::now();
    pane.Paint();
    // The nets folded ("fold_s"), what the pane keeps placed anew by the idle work
    // ("place_s"; a small net's in the paint), then the paint ("fold_paint_s").
    const auto painted = std::chrono::steady_clock::now();
    state.counters["fold_s"] = std::chrono::duration<double>(folded - start).count();
    state.counters["place_s"] = std::chrono::duration<double>(placed - folded).count();
    state.counters["fold_paint_s"] = std::chrono::duration<double>(painted - placed).count();
    state.counters["fold_step_s"] = std::chrono::duration<double>(painted - start).count();
    fold = saved;
  }
}

// Poly > Subdivide Faces of the library's cube into n parts as the current model of the
// program's Unfolded Net pane, its nets made as the program's idle time makes them, then
// the stellation lines on the nets shown: "first_s" the longest of the paints until the
// pane shows them, "work_s" the idle work's runs between those paints (the lines worked
// out and gathered); the iterations paint again. Drawn facelet by facelet in every paint,
// the lines' data worked out in the first (the model stellated), against gathered with
// the net, the model stellated by the idle work under its progress (load 5 to 12 on 8
// cores):
//   parts  facelets   first paint, later paints, idle work
//      30    21,600    0.49 s, 14 ms, 0.01 s  facelet by facelet
//                      0.05 s, 35 ms, 0.64 s  gathered
//     100   240,000   379 s, 128 ms, 0.2 s    facelet by facelet
//                      0.12 s, 78 ms, 279 s   gathered
//                      0.07 s, 64 ms, 84 s    the stellation reading the faces along
//                                             their list, not each by its place
//                      0.15 s, 89 ms, 0.46 s  each plane's faces read once for their
//                                             frames and masters (load 10 to 15; 222 s
//                                             before at load 9 to 12)
void BM_NetPanePaintWithStellationLines(benchmark::State& state) {
  constexpr int kPaneWidth = 1000, kPaneHeight = 800, kLibraryCube = 1;
  corvia::bench::ProgramPane pane(corvia::kViewUnfoldedNet, kPaneWidth, kPaneHeight);
  corvia::Model3D* model = ShowSubdividedNets(pane, kLibraryCube, 0, static_cast<int>(state.range(0)), state);
  if (!model) return;
  corvia::NetDrawSettings& settings = corvia::GetNetDrawSettings();
  const bool shown = settings.showStellationLines;
  settings.showStellationLines = true;
  double first = 0.0, work = 0.0;
  for (bool more = true; more;) {
    auto start = std::chrono::steady_clock::now();
    pane.Paint();
    auto end = std::chrono::steady_clock::now();
    first = std::max(first, std::chrono::duration<double>(end - start).count());
    more = corvia::RunDeferredPaneWork();
    work += std::chrono::duration<double>(std::chrono::steady_clock::now() - end).count();
  }
  for (auto _ : state) pane.Paint();
  state.counters["facelets"] = model->GetNumFacelets();
  state.counters["first_s"] = first;
  state.counters["work_s"] = work;
  settings.showStellationLines = shown;
}

BENCHMARK(BM_FaceletsBackToFront)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FlatNet)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FoldingNetsHalfWay)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_NetPaneClick)
    ->ArgNames({"frequency", "folding"})
    ->Args({60, 0})
    ->Args({150, 0})
    ->Args({150, 1})
    ->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);
BENCHMARK(BM_NetPaneClickWithStellationLines)
    ->ArgNames({"library", "folding"})
    ->Args({21, 0})
    ->Args({75, 0})
    ->Args({75, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(10);
BENCHMARK(BM_ModelPanePick)->Arg(60)->Arg(150)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);
BENCHMARK(BM_ModelPaneClickAndPaint)->Arg(60)->Arg(150)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(6);
BENCHMARK(BM_NetPanePaintWithEdgeData)
    ->ArgNames({"folding", "frequency", "zoom"})
    ->Args({0, 30, 1})
    ->Args({1, 30, 1})
    ->Args({0, 30, 20})
    ->Args({0, 150, 20})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);
BENCHMARK(BM_NetPaneFirstPaint)
    ->ArgNames({"parts", "sphere", "folding"})
    ->Args({100, 0, 0})
    ->Args({204, 0, 0})
    ->Args({100, 1, 0})
    ->Args({40, 1, 1})
    ->Args({100, 0, 1})
    ->Args({204, 0, 1})
    ->Args({100, 1, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(2);
BENCHMARK(BM_NetPanePaintWithStellationLines)
    ->ArgNames({"parts"})
    ->Arg(10)
    ->Arg(30)
    ->Arg(100)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

}  // namespace
