// How the work on large geodesic spheres grows with the model, in processor time (the
// thread's own, "cpu_s": the least over the iterations), so that a busy machine moves
// it little:
//   TiltedCompound/<f>    the tilted compound of the sphere of frequency f (20 f^2
//                         faces: 24,500, 48,020 and 100,820 faces) made the current
//                         model as the program makes the model a pane shows, derived
//                         and built under one progress level;
//   PlainSubdivision/<f>  the plain division by two of the sphere of frequency f,
//                         entered (the models made have 80 f^2 faces: 46,080,
//                         98,000 and 192,080).
// The counters "faces" and "types" are those of the model measured; the growth between two sizes is
// log(t2 / t1) / log(n2 / n1). Run with --benchmark_enable_random_interleaving=true
// and repetitions to interleave the sizes. CORVIA_BENCH_BRIEF runs the smallest size
// only.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <initializer_list>
#include <map>
#include <memory>

#include "bench/BenchModels.h"
#include "construction/DerivedModels.h"
#include "construction/DerivedNames.h"
#include "construction/DualMorph.h"
#include "construction/ModelFactory.h"
#include "model/CreatePoly.h"
#include "model/FaceTypeBlock.h"
#include "model/Globals.h"
#include "model/Poly.h"
#include "core/Progress.h"
#include "platform/Clock.h"
#include "symmetry/SimplePoly.h"

namespace {

using corvia::Poly;
using corvia::SimplePoly;

Poly* Sphere(int frequency) {
  static std::map<int, std::unique_ptr<Poly>> made;
  std::unique_ptr<Poly>& poly = made[frequency];
  if (!poly) poly = corvia::bench::GeodesicSphere(frequency);
  return poly.get();
}

// What a model entered came to: its faces and its face types.
struct Entered {
  int faces = 0;
  int types = 0;
};

bool Enter(SimplePoly* made, Entered* entered) {
  std::unique_ptr<SimplePoly> owned(made);
  if (!owned) return false;
  entered->faces = owned->NumFaces();
  Poly poly;
  if (!CreatePoly(*owned, &poly, false, false)) return false;
  entered->types = 0;
  for (const corvia::FaceType* type = poly.mBaseBlock->mFirstFaceType; type; type = type->mNext) ++entered->types;
  return true;
}

template <typename Work>
void Measure(benchmark::State& state, Work work) {
  Poly* sphere = Sphere(static_cast<int>(state.range(0)));
  double fastest = 0.0;
  Entered entered;
  for (auto _ : state) {
    const double start = corvia::platform::ThreadSeconds();
    const bool made = sphere && work(*sphere, &entered);
    const double seconds = corvia::platform::ThreadSeconds() - start;
    if (!made) {
      state.SkipWithError("model not made");
      break;
    }
    fastest = fastest > 0.0 ? std::min(fastest, seconds) : seconds;
  }
  state.counters["faces"] = entered.faces;
  state.counters["types"] = entered.types;
  state.counters["cpu_s"] = fastest;
}

// The document of one model whose pane shows its tilted compound.
class CompoundPaneDocument final : public corvia::DocumentAccess {
 public:
  explicit CompoundPaneDocument(Poly* poly) : mPoly(poly), mPrevious(corvia::InstallDocumentAccess(this)) {}
  ~CompoundPaneDocument() override { corvia::InstallDocumentAccess(mPrevious); }
  Poly* GetCurrentPoly() override { return mPoly; }

 private:
  Poly* mPoly;
  corvia::DocumentAccess* mPrevious;
};

// The geometry's part of entering the pane's model (the program adds its undo step and
// transition): derived and built under one progress level, named as the library model
// it may be.
bool EnterModelOfPane(Poly& poly) {
  corvia::ProgressScope progress;
  std::unique_ptr<SimplePoly> model(
      corvia::CreateModel(&poly, 0, nullptr, nullptr, corvia::kViewMorphTiltingCompound));
  if (!model) return false;
  corvia::NameAsLibraryModel(*model);
  return CreatePoly(*model, &poly, false, false).done();
}

// The program's road: the pane's model derived and made the current model, replacing
// a copy of the sphere.
void TiltedCompound(benchmark::State& state) {
  const int frequency = static_cast<int>(state.range(0));
  std::unique_ptr<SimplePoly> source;
  if (Poly* sphere = Sphere(frequency)) source.reset(corvia::CreateSimplePoly(sphere, corvia::kDeriveBase, nullptr, nullptr));
  double fastest = 0.0;
  Entered entered;
  for (auto _ : state) {
    auto poly = std::make_unique<Poly>();
    if (!source || !CreatePoly(*source, poly.get(), false, false)) {
      state.SkipWithError("no sphere");
      break;
    }
    CompoundPaneDocument document(poly.get());
    corvia::DualMorphRatio() = 0.5;
    const double start = corvia::platform::ThreadSeconds();
    const bool made = EnterModelOfPane(*poly);
    const double seconds = corvia::platform::ThreadSeconds() - start;
    if (!made) {
      state.SkipWithError("model not made");
      break;
    }
    fastest = fastest > 0.0 ? std::min(fastest, seconds) : seconds;
    entered.faces = poly->mFaces.mCount;
    entered.types = 0;
    for (const corvia::FaceType* type = poly->mBaseBlock->mFirstFaceType; type; type = type->mNext) ++entered.types;
  }
  state.counters["faces"] = entered.faces;
  state.counters["types"] = entered.types;
  state.counters["cpu_s"] = fastest;
}

void PlainSubdivision(benchmark::State& state) {
  Measure(state, [](Poly& sphere, Entered* entered) { return Enter(sphere.Subdivide(0, 2).release(), entered); });
}

void Sizes(benchmark::internal::Benchmark* bench, std::initializer_list<int> frequencies) {
  for (int f : frequencies) {
    bench->Arg(f);
    if (std::getenv("CORVIA_BENCH_BRIEF")) break;
  }
  bench->Unit(benchmark::kMillisecond)->Iterations(1);
}

}  // namespace

BENCHMARK(TiltedCompound)->Apply([](benchmark::internal::Benchmark* b) { Sizes(b, {35, 49, 71}); });
BENCHMARK(PlainSubdivision)->Apply([](benchmark::internal::Benchmark* b) { Sizes(b, {24, 35, 49}); });
