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

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <memory>

#include "app/PolyDoc.h"
#include "app/ViewType.h"
#include "bench/BenchModels.h"
#include "bench/support/ProgramPane.h"
#include "construction/ModelFactory.h"
#include "model/FaceTypeBlock.h"
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

void BM_FacetingStepStellation(benchmark::State& state) {
  PressUp(state, true);
}
void BM_FacetingStepNoSymmetry(benchmark::State& state) {
  PressUp(state, false);
}

}  // namespace

BENCHMARK(BM_FacetingStepStellation)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FacetingStepNoSymmetry)->Unit(benchmark::kMillisecond);
