// Stellation of the icosahedron, the rhombic triacontahedron (the dual side of the
// icosidodecahedron) and the snub dodecahedron: the diagrams alone, the diagrams with
// their linking and facets, the whole set-up with the cells; the walk through all 59
// stellations of the icosahedron under Miller's rules; and on the snub dodecahedron's
// 1,940 cells, the first 2,000 steps of Miller's rules and the step that names the
// stellation shown (its walk given up past its budget). The counters give the sizes.

#include <benchmark/benchmark.h>

#include <memory>

#include "core/Progress.h"
#include "model/FaceType.h"
#include "model/FaceTypeBlock.h"
#include "model/Poly.h"
#include "model/PolyTemplate.h"
#include "stellation/Stellate.h"
#include "stellation/StellationCell.h"
#include "stellation/StellationCriteria.h"
#include "stellation/StellationDiagram.h"

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

}  // namespace

BENCHMARK(BM_Diagrams)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DiagramsAndFacets)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CellsSetUp)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WalkMillerIcosahedron)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StepMillerSnubDodecahedron)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NameMillerStepSnubDodecahedron)->Unit(benchmark::kMillisecond);
