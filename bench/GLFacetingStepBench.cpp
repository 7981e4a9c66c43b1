// The Up key of the program's own Faceting Preview pane (off screen) on a model whose
// faceting is not prepared yet, as after opening a file or an undo: the key prepares
// the faceting (edges, planes and their possible facets) and shows the first faceting.
// "Stellation" is the icosahedron's second stellation made a model of its own (62
// vertices, 190 planes, 73,295 possible facets); "NoSymmetry" is the truncated
// icosahedron with one corner moved by 1e-5, which leaves it no symmetry (60 vertices,
// some 30,000 planes, whose possible facets would need about 10 GB), with 1 GB of
// memory for the work: the key is refused in words once the planes are made. Each
// iteration starts from the faceting cleared. Counters: "facets" the possible facets
// prepared (0 when refused), "peak_MB" the process's peak resident memory.
//
// On an 8-core machine shared with other builds (load 12 to 17), the process's peak
// some 100 MB more than the facets for the program's pane and document:
//   Stellation   336 s (222 s of processor) when a caption was made for every facet
//                paired with its mirror image (each a walk along its plane's list);
//                0.59 s since, peak 160 MB
//   NoSymmetry    42 s when each new plane was compared with every plane made before;
//                0.46 s since, peak 124 MB. Before the estimate its possible facets
//                took all the memory there was (bad_alloc under a 6 GB address space).
//
// "Steps" press Up again and again once the faceting is prepared, each press finding,
// showing and saying the next faceting, /1 with the library's name of the model it makes
// looked up, /0 without (load 13 to 18): the dodecahedron 3.1 ms a step named (0.005 ms
// unnamed; the library's models of as many faces and edges are built to compare), the
// truncated icosidodecahedron 13 ms named, 5.7 ms unnamed.

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstring>
#include <memory>

#include "app/PolyDoc.h"
#include "app/ViewType.h"
#include "bench/BenchModels.h"
#include "bench/support/ProgramPane.h"
#include "construction/ModelFactory.h"
#include "construction/ModelLookup.h"
#include "model/FaceTypeBlock.h"
#include "model/LibraryEntry.h"
#include "model/Poly.h"
#include "platform/Memory.h"
#include "render/NewView.h"
#include "stellation/Faceting.h"
#include "stellation/Stellate.h"
#include "symmetry/SimplePoly.h"

namespace {

constexpr int kSize = 320;
constexpr int kLibraryTruncatedIcosahedron = 17;
constexpr double kCornerMove = 1e-5;
constexpr uint64_t kWorkMemory = uint64_t(1) << 30;
constexpr double kKilobytesPerMegabyte = 1024.0;

// The icosahedron's second stellation, made from the document's icosahedron.
std::unique_ptr<corvia::SimplePoly> Stellation(corvia::Poly& icosahedron) {
  corvia::FaceTypeBlock* block = icosahedron.mBaseBlock.get();
  if (!corvia::Stellate(&icosahedron, block, false).done() || !block->IsStellated()) return nullptr;
  for (int step = 0; step < 2; ++step) block->NextStellation();
  uint8_t derived = 0;
  return std::unique_ptr<corvia::SimplePoly>(
      corvia::CreateModel(&icosahedron, 0, nullptr, &derived, corvia::kViewStellationOfBase));
}

// The document's model with its first corner moved along z.
std::unique_ptr<corvia::SimplePoly> CornerMoved(corvia::Poly& poly) {
  std::unique_ptr<corvia::SimplePoly> moved(corvia::CreateSimplePoly(&poly, corvia::kDeriveBase, nullptr, nullptr));
  if (moved) moved->VertAt(0).pos[2] += kCornerMove;
  return moved;
}

void PressUp(benchmark::State& state, bool stellation) {
  corvia::bench::ProgramPane pane(corvia::kViewFacetingPreview, kSize, kSize);
  if (!pane.Shown()) {
    state.SkipWithError(pane.Error().c_str());
    return;
  }
  corvia::CPolyDoc& doc = pane.Doc();
  const int record = stellation ? corvia::bench::kLibraryIcosahedron : kLibraryTruncatedIcosahedron;
  if (!doc.SetModel(corvia::GetLibraryEntry(record), false, false) ||
      !pane.Enter(stellation ? Stellation(*doc.GetCurrentPoly()) : CornerMoved(*doc.GetCurrentPoly()))) {
    state.SkipWithError("the model did not build");
    return;
  }
  const uint64_t memory = corvia::platform::SetWorkMemoryLimit(kWorkMemory);
  corvia::Faceting* faceting = corvia::GetCurrentFaceting();
  for (auto _ : state) {
    faceting->Clear();
    pane.Pane().OnPaneKey(corvia::kPaneKeyUp, 0);
  }
  corvia::platform::SetWorkMemoryLimit(memory);
  struct rusage usage {};
  getrusage(RUSAGE_SELF, &usage);
  state.counters["facets"] = faceting->mNumFacets;
  state.counters["peak_MB"] = static_cast<double>(usage.ru_maxrss) / kKilobytesPerMegabyte;
}

// The library record of that name; -1 when none.
int LibraryRecordNamed(const char* name) {
  for (int i = 0; i < corvia::GetNumLibraryEntries(); ++i) {
    const corvia::LibraryEntry* entry = corvia::GetLibraryEntry(i);
    if (entry && entry->mName && std::strcmp(entry->mName, name) == 0) return i;
  }
  return -1;
}

// Up pressed again and again in the pane once the faceting is prepared: each press finds
// the next faceting, shows it and says which it is, with the library's name of the model
// it makes (state.range(1) 1) or with no name looked up (0).
void StepOn(benchmark::State& state, const char* model) {
  corvia::bench::ProgramPane pane(corvia::kViewFacetingPreview, kSize, kSize);
  if (!pane.Shown()) {
    state.SkipWithError(pane.Error().c_str());
    return;
  }
  const int record = LibraryRecordNamed(model);
  if (record < 0 || !pane.Doc().SetModel(corvia::GetLibraryEntry(record), false, false)) {
    state.SkipWithError("the model did not build");
    return;
  }
  const corvia::FacetingNameFinder finder =
      state.range(0) ? nullptr : corvia::SetFacetingNameFinder(nullptr);
  corvia::Faceting* faceting = corvia::GetCurrentFaceting();
  // The first press prepares the faceting.
  pane.Pane().OnPaneKey(corvia::kPaneKeyUp, 0);
  for (auto _ : state) pane.Pane().OnPaneKey(corvia::kPaneKeyUp, 0);
  if (!state.range(0)) corvia::SetFacetingNameFinder(finder);
  state.counters["facets"] = faceting->mNumFacets;
}

void BM_FacetingStepsDodecahedron(benchmark::State& state) {
  StepOn(state, "Dodecahedron");
}
void BM_FacetingStepsTruncatedIcosidodecahedron(benchmark::State& state) {
  StepOn(state, "Truncated Icosidodecahedron");
}

void BM_FacetingStepStellation(benchmark::State& state) {
  PressUp(state, true);
}
void BM_FacetingStepNoSymmetry(benchmark::State& state) {
  PressUp(state, false);
}

}  // namespace

BENCHMARK(BM_FacetingStepStellation)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FacetingStepNoSymmetry)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FacetingStepsDodecahedron)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FacetingStepsTruncatedIcosidodecahedron)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
