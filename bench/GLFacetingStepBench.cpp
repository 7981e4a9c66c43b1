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
//
// "GeodesicSphere/6" ran until Cancel at the cap of 120 s (in a plane of 24 vertices,
// for days); since the walk of the planes' paths is estimated first it is refused in
// words after 2.8 s (load 10). "GeodesicSphere/4" 1.98 s before, 1.87 s since, the
// walk at 1.3e8 units a second or more; Stellation 0.47 s, NoSymmetry 0.41 s before,
// 0.44 s and 0.39 s since (load 10).

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
#include "model/Subdivision.h"
#include "platform/Memory.h"
#include "platform/Headless.h"
#include "platform/Services.h"
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
constexpr double kCapSeconds = 120.0;

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

// Up on the icosahedron's geodesic sphere of the frequency (Poly > Create Geodesic
// Sphere...). Frequency 6 (720 faces, 362 vertices, some 118,000 planes): a plane of 24
// vertices nearly all joined has more closed paths than a walk goes through in days.
// Frequency 4 (320 faces, 9,220 planes): a plane of 16 vertices holds nine tenths of
// its walk, which ends in seconds. The time until the key is answered, with Cancel
// pressed once the work has run for the cap: "refused" is 1 when the key was refused in
// words, "capped" 1 when it was cancelled; "walk_units_per_s" the units of work the
// walk took over the whole time (a rate below the walk's own).
void BM_FacetingStepGeodesicSphere(benchmark::State& state) {
  corvia::bench::ProgramPane pane(corvia::kViewFacetingPreview, kSize, kSize);
  if (!pane.Shown()) {
    state.SkipWithError(pane.Error().c_str());
    return;
  }
  corvia::CPolyDoc& doc = pane.Doc();
  if (!doc.SetModel(corvia::GetLibraryEntry(corvia::bench::kLibraryIcosahedron), false, false) ||
      !pane.Enter(doc.GetCurrentPoly()->Subdivide(corvia::kSubdivideGeodesic, static_cast<int>(state.range(0))))) {
    state.SkipWithError("the model did not build");
    return;
  }
  auto* progress = dynamic_cast<corvia::platform::HeadlessProgress*>(corvia::platform::Services().progress);
  auto* messages = dynamic_cast<corvia::platform::HeadlessMessages*>(corvia::platform::Services().messages);
  if (!progress || !messages) {
    state.SkipWithError("the progress window or the boxes are not the headless ones");
    return;
  }
  double started = 0.0;
  bool capped = false;
  progress->Current()->onPump = [&](corvia::platform::HeadlessProgressWindow::State& window) {
    if (corvia::platform::NowSeconds() - started > kCapSeconds) window.cancel = capped = true;
  };
  corvia::Faceting* faceting = corvia::GetCurrentFaceting();
  double seconds = 0.0;
  for (auto _ : state) {
    faceting->Clear();
    messages->Clear();
    started = corvia::platform::NowSeconds();
    pane.Pane().OnPaneKey(corvia::kPaneKeyUp, 0);
    seconds += corvia::platform::NowSeconds() - started;
  }
  progress->Current()->onPump = nullptr;
  bool refused = false;
  for (const corvia::platform::MessageBoxRequest& box : messages->Boxes()) {
    refused = refused || box.text.rfind("This model is too large to facet", 0) == 0;
  }
  state.counters["refused"] = refused ? 1 : 0;
  state.counters["capped"] = capped ? 1 : 0;
  state.counters["facets"] = faceting->mNumFacets;
  state.counters["walk_units_per_s"] = seconds > 0.0 ? faceting->mWalkUnits * double(state.iterations()) / seconds : 0.0;
}

}  // namespace

BENCHMARK(BM_FacetingStepStellation)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FacetingStepNoSymmetry)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FacetingStepsDodecahedron)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FacetingStepsTruncatedIcosidodecahedron)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FacetingStepGeodesicSphere)->Arg(4)->Arg(6)->Unit(benchmark::kMillisecond)->Iterations(1);
