// Stellation of the icosahedron, the rhombic triacontahedron (the dual side of the
// icosidodecahedron) and the snub dodecahedron: the diagrams alone, the diagrams with
// their linking and facets, the whole set-up with the cells; the walk through all 59
// stellations of the icosahedron under Miller's rules; and on the snub dodecahedron's
// 1,940 cells, the first 2,000 steps of Miller's rules and the step that names the
// stellation shown (its walk given up past its budget). The counters give the sizes.
//
// BM_LineDataOfSubdividedCube: Poly > Subdivide Faces of the library's cube into n parts
// (24 n^2 faces) as the command makes it, then the stellation lines' data of its facet
// model as the idle work of a net pane showing the lines works it out (the block
// stellated, each facelet given its diagram region), under the progress window: "gap_s"
// the longest time between two pumps of the window (the first comes after a quarter
// second) or from the last to the end, "reports" the pumps. Under a load of 7 to 15 on
// 8 cores, one run each:
//   parts  facelets   walks round a plane per face/type    each plane read once
//      30    21,600    0.23 s                                0.02 s
//      60    86,400    7.95 s, silent 7.5 s                  0.08 s
//     100   240,000   79.4 s, silent 74.4 s                  0.29 s, silent 0.01 s
//     204   998,784                                          1.2-1.5 s, silent 0.15 s

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>

#include "core/Progress.h"
#include "model/FaceType.h"
#include "model/FaceTypeBlock.h"
#include "model/Poly.h"
#include "model/PolyTemplate.h"
#include "nets/Model3D.h"
#include "platform/Headless.h"
#include "platform/Services.h"
#include "stellation/Model3DStellation.h"
#include "stellation/Stellate.h"
#include "stellation/StellationCell.h"
#include "stellation/StellationCriteria.h"
#include "stellation/StellationDiagram.h"
#include "bench/BenchModels.h"

namespace {

struct Case {
  const char* config;
  bool dual;
};
// Argument 0 the icosahedron, 1 the rhombic triacontahedron, 2 the snub dodecahedron.
constexpr Case kCases[] = {{"3.3.3.3.3", false}, {"3.5.3.5", true}, {"3.3.3.3.5", false}};

struct Model {
  corvia::PolyTemplate polyTemplate;
  corvia::Poly poly;
  bool built = false;
  corvia::FaceTypeBlock* block = nullptr;

  explicit Model(const Case& c) {
    built = polyTemplate.Parse(c.config, nullptr) && poly.Build(&polyTemplate, 0);
    block = c.dual ? poly.mDualBlock.get() : poly.mBaseBlock.get();
  }
};

// The block's stellation is thrown away and it may stellate again.
void Unstellate(corvia::FaceTypeBlock* block) {
  block->Clear(false);
  block->mStellationRefused = 0;
}

void BM_Diagrams(benchmark::State& state) {
  Model model(kCases[state.range(0)]);
  if (!model.built) {
    state.SkipWithError("model not built");
    return;
  }
  int segments = 0;
  for (auto _ : state) {
    state.PauseTiming();
    Unstellate(model.block);
    state.ResumeTiming();
    // The diagram steps report their progress and stop without an open level.
    corvia::ProgressScope progress;
    segments = 0;
    const int n = model.block->CountDistinctFaceTypes();
    int i = 0;
    for (corvia::FaceType* type = model.block->mFirstFaceType; type; type = type->mNext) {
      if (type->mCoplanarMaster) continue;
      if (!corvia::CreateStellationDiagram(type, i++, n)) state.SkipWithError("diagram failed");
      segments += type->GetNumSegments();
    }
  }
  state.counters["segments"] = segments;
}

void BM_DiagramsAndFacets(benchmark::State& state) {
  Model model(kCases[state.range(0)]);
  if (!model.built) {
    state.SkipWithError("model not built");
    return;
  }
  int facets = 0;
  for (auto _ : state) {
    state.PauseTiming();
    Unstellate(model.block);
    state.ResumeTiming();
    corvia::ProgressScope progress;
    const int n = model.block->CountDistinctFaceTypes();
    int i = 0;
    int lines = 0;
    for (corvia::FaceType* type = model.block->mFirstFaceType; type; type = type->mNext) {
      if (!type->mCoplanarMaster) corvia::CreateStellationDiagram(type, i++, n);
    }
    int counter = 0;
    for (corvia::FaceType* type = model.block->mFirstFaceType; type; type = type->mNext) {
      if (!type->mCoplanarMaster) lines += corvia::CountLines(type);
    }
    facets = 0;
    for (corvia::FaceType* type = model.block->mFirstFaceType; type; type = type->mNext) {
      if (type->mCoplanarMaster) continue;
      if (!corvia::LinkLines(type, &counter, lines) || !corvia::SetNeighPointers(type) || !corvia::CreateFacets(type)) {
        state.SkipWithError("facets failed");
      }
      for (corvia::StellationFacet* f = type->mAllFacets; f; f = f->mNext) ++facets;
    }
  }
  state.counters["facets"] = facets;
}

void BM_CellsSetUp(benchmark::State& state) {
  Model model(kCases[state.range(0)]);
  if (!model.built) {
    state.SkipWithError("model not built");
    return;
  }
  for (auto _ : state) {
    state.PauseTiming();
    Unstellate(model.block);
    state.ResumeTiming();
    if (!Stellate(&model.poly, model.block, false)) state.SkipWithError("stellation refused");
    if (!model.block->IsStellated()) state.SkipWithError("stellation failed");
  }
  state.counters["cells"] = model.block->GetNumCells();
  state.counters["copies"] = model.block->CountAllCells();
}

void BM_WalkMillerIcosahedron(benchmark::State& state) {
  Model model(kCases[0]);
  if (!Stellate(&model.poly, model.block, false)) state.SkipWithError("stellation refused");
  if (!model.block->IsStellated()) {
    state.SkipWithError("stellation failed");
    return;
  }
  const int32_t criterion = corvia::StellationCriteria;
  corvia::StellationCriteria = corvia::kCriteriaMiller;
  int count = 0;
  for (auto _ : state) {
    model.block->mCriteriaFlag = 0;
    model.block->GoToCore();
    count = 1;
    while (model.block->NextStellation()) ++count;
  }
  corvia::StellationCriteria = criterion;
  state.counters["stellations"] = count;
}

// The snub dodecahedron stellated, under Miller's rules while it lives; the benchmark
// is skipped when it does not stellate.
struct MillerSnubDodecahedron {
  Model model{kCases[2]};
  int32_t criterion = corvia::StellationCriteria;
  corvia::FaceTypeBlock* block = nullptr;

  explicit MillerSnubDodecahedron(benchmark::State& state) {
    corvia::StellationCriteria = corvia::kCriteriaMiller;
    if (model.built && Stellate(&model.poly, model.block, false) && model.block->IsStellated()) {
      block = model.block;
    } else {
      state.SkipWithError("stellation failed");
    }
  }
  ~MillerSnubDodecahedron() { corvia::StellationCriteria = criterion; }
};

void BM_StepMillerSnubDodecahedron(benchmark::State& state) {
  MillerSnubDodecahedron snub(state);
  if (!snub.block) return;
  int count = 0;
  for (auto _ : state) {
    snub.block->mCriteriaFlag = 0;
    snub.block->GoToCore();
    for (count = 0; count < 2000 && snub.block->NextStellation();) ++count;
  }
  state.counters["steps"] = count;
  state.counters["cells"] = snub.block->GetNumCells();
}

void BM_NameMillerStepSnubDodecahedron(benchmark::State& state) {
  MillerSnubDodecahedron snub(state);
  if (!snub.block) return;
  for (auto _ : state) {
    state.PauseTiming();
    snub.block->mCriteriaFlag = 0;
    snub.block->GoToCore();
    if (snub.block->mMillerState) snub.block->mMillerState->walkTaken = false;
    state.ResumeTiming();
    (void)corvia::StepStellations(snub.block, corvia::StellationStep::kNext);
  }
}

void BM_LineDataOfSubdividedCube(benchmark::State& state) {
  constexpr int kLibraryCube = 1;
  constexpr double kQuietStart = 0.25;
  auto* window = dynamic_cast<corvia::platform::HeadlessProgress*>(corvia::platform::Services().progress);
  double gap = 0.0;
  int reports = 0, facelets = 0;
  for (auto _ : state) {
    state.PauseTiming();
    std::unique_ptr<corvia::Poly> cube = corvia::bench::LibraryPoly(kLibraryCube);
    std::unique_ptr<corvia::SimplePoly> made = cube ? cube->Subdivide(0, static_cast<int>(state.range(0))) : nullptr;
    corvia::Model3D* model = nullptr;
    if (made && CreatePoly(*made, cube.get(), false, false, true).done()) {
      model = cube->mBaseBlock->GetModel3D(false, nullptr);
    }
    if (!model) {
      state.SkipWithError("the subdivided cube's facet model was not made");
      return;
    }
    facelets = model->GetNumFacelets();
    // Before its window appears the progress pumps the program's events all the same,
    // from a quarter second of work on: the longest time from then to the first pump,
    // between two pumps, or from the last to the end.
    auto last = std::chrono::steady_clock::now();
    gap = 0.0;
    reports = 0;
    auto since = [&last](std::chrono::steady_clock::time_point now) {
      return std::chrono::duration<double>(now - last).count();
    };
    auto pumped = [&] {
      const auto now = std::chrono::steady_clock::now();
      gap = std::max(gap, since(now) - (reports++ == 0 ? kQuietStart : 0.0));
      last = now;
    };
    if (window) {
      window->Current()->onPump = [&](corvia::platform::HeadlessProgressWindow::State&) { pumped(); };
      window->onPumpBeforeWindow = pumped;
    }
    state.ResumeTiming();
    {
      corvia::ProgressScope progress;
      last = std::chrono::steady_clock::now();
      if (!corvia::ComputeFaceletLineData(model).done() || !cube->mBaseBlock->IsStellated()) {
        state.SkipWithError("the stellation for the lines failed");
      }
      gap = std::max(gap, since(std::chrono::steady_clock::now()) - (reports == 0 ? kQuietStart : 0.0));
    }
    state.PauseTiming();
    if (window) {
      window->Current()->onPump = nullptr;
      window->onPumpBeforeWindow = nullptr;
    }
    cube.reset();
    state.ResumeTiming();
  }
  state.counters["facelets"] = facelets;
  state.counters["gap_s"] = gap;
  state.counters["reports"] = reports;
}

}  // namespace

BENCHMARK(BM_Diagrams)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DiagramsAndFacets)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CellsSetUp)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WalkMillerIcosahedron)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StepMillerSnubDodecahedron)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NameMillerStepSnubDodecahedron)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LineDataOfSubdividedCube)
    ->ArgNames({"parts"})
    ->Arg(10)
    ->Arg(30)
    ->Arg(60)
    ->Arg(100)
    ->Arg(204)
    ->Unit(benchmark::kSecond)
    ->UseRealTime()
    ->Iterations(1);
