// How long the long operations on large models go without a progress report, the time
// in which a Cancel could not act. Each operation runs on geodesic spheres of about
// 48,000, 100,000 and 188,000 faces (frequencies 49, 71, 97; the divisions by two on
// the spheres of half the frequency, so that the models they make have that size),
// under a progress window that is up from the first report on, as it is for work that
// has run a second, and pumped as the program pumps it (the steady clock, ticks at
// most every 0.05 s). The counter "silence" is the longest stretch of this thread's
// time between two pumps of the window (the start and the end of the work count as
// pumps), in seconds, over the iterations; the label names the steps whose captions
// were shown at its two ends. The benchmark's time is the operation's own, ticks
// included.
//
// Silence/CancelTiltingCompound presses Cancel during the tilted compound of each
// sphere at reports spread over the work and reports how soon the work then ends.
//
// CORVIA_BENCH_BRIEF (set by scripts/run-benchmarks.sh --brief) runs the operations on
// a sphere of frequency 8 only; CORVIA_SILENCE_FREQUENCIES=<f>,<f>,... chooses others.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchModels.h"
#include "construction/DerivedModels.h"
#include "construction/DualMorph.h"
#include "core/Progress.h"
#include "files/ModelFile.h"
#include "model/CreatePoly.h"
#include "model/FaceTypeBlock.h"
#include "model/Globals.h"
#include "model/Poly.h"
#include "model/Subdivision.h"
#include "platform/Clock.h"
#include "platform/Headless.h"
#include "platform/Services.h"
#include "stellation/Faceting.h"
#include "symmetry/ConvexHull.h"
#include "symmetry/SimplePoly.h"

namespace {

using corvia::Poly;
using corvia::SimplePoly;

using corvia::platform::ThreadSeconds;

// The steady clock, set forward by hand: right after the benchmark opens its own level
// the clock moves on two seconds, so that the window opens at the work's first report.
class ShiftedClock final : public corvia::platform::Clock {
 public:
  double NowSeconds() const override { return mSteady.NowSeconds() + mShift; }
  void Leap(double seconds) { mShift += seconds; }

 private:
  corvia::platform::SteadyClock mSteady;
  double mShift = 0.0;
};

// The document that model files and the undo copy are read into.
class BenchDocument final : public corvia::DocumentAccess {
 public:
  Poly* GetCurrentPoly() override { return mPoly.get(); }
  std::unique_ptr<Poly> mPoly = std::make_unique<Poly>();
};

// Headless front ends with the shifted clock; records the stretches between pumps.
class SilenceSink {
 public:
  SilenceSink() {
    corvia::platform::ServiceSet services = corvia::platform::Services();
    services.progress = &mProgress;
    services.clock = &mClock;
    services.messages = &mMessages;
    mPrevious = corvia::platform::InstallServices(services);
    mPreviousDocument = corvia::InstallDocumentAccess(&mDocument);
    mProgress.Current()->onPump = [this](corvia::platform::HeadlessProgressWindow::State& window) {
      Pumped(window.caption);
      ++mPumps;
      if ((mCancelAt > 0.0 && mLast > mCancelAt) || (mCancelAtPump > 0 && mPumps == mCancelAtPump)) {
        if (!mCancelled) mCancelPressed = mLast;
        window.cancel = mCancelled = true;
      }
    };
  }
  ~SilenceSink() {
    mProgress.Current()->onPump = nullptr;
    corvia::InstallDocumentAccess(mPreviousDocument);
    corvia::platform::InstallServices(mPrevious);
  }
  SilenceSink(const SilenceSink&) = delete;
  SilenceSink& operator=(const SilenceSink&) = delete;

  // Runs the work inside a level of the benchmark's own; false when it failed.
  // With cancelAfter, Cancel is pressed at the first pump after that much work, as a
  // user stops a search that has no end in sight; the work then counts as done.
  // With cancelAtPump instead, Cancel is pressed at that pump; the work must then
  // fail.
  bool Run(const std::function<bool()>& work, double cancelAfter, int cancelAtPump = 0) {
    mCaption = "start";
    mRunning = true;
    mPumps = 0;
    mCancelAtPump = cancelAtPump;
    mLast = ThreadSeconds();
    mCancelAt = cancelAfter > 0.0 ? mLast + cancelAfter : 0.0;
    mCancelled = false;
    bool made = false;
    {
      corvia::ProgressScope level;
      mClock.Leap(2.0);
      made = work();
    }
    Pumped("end");
    mRunning = false;
    if (cancelAtPump > 0) return !made && mCancelled;
    return made || mCancelled;
  }

  int Pumps() const { return mPumps; }
  // The processor time from the press of Cancel to the end of the work.
  double AfterCancel() const { return mCancelled ? mLast - mCancelPressed : 0.0; }

  double Longest() const { return mLongest; }
  const std::string& Step() const { return mStep; }
  BenchDocument& Document() { return mDocument; }
  std::string FirstMessage() const { return mMessages.Boxes().empty() ? "" : mMessages.Boxes().front().text; }

 private:
  // A stretch is named by the captions shown at its two ends.
  void Pumped(const std::string& caption) {
    if (!mRunning) return;
    const double now = ThreadSeconds();
    const std::string& shown = caption.empty() ? mCaption : caption;
    if (now - mLast > mLongest) {
      mLongest = now - mLast;
      mStep = mCaption == shown ? shown : mCaption + " .. " + shown;
    }
    mCaption = shown;
    mLast = now;
  }

  corvia::platform::HeadlessProgress mProgress;
  corvia::platform::HeadlessMessages mMessages;
  ShiftedClock mClock;
  BenchDocument mDocument;
  corvia::platform::ServiceSet mPrevious;
  corvia::DocumentAccess* mPreviousDocument = nullptr;
  std::string mCaption;
  std::string mStep;
  double mLast = 0.0;
  double mLongest = 0.0;
  double mCancelAt = 0.0;
  int mCancelAtPump = 0;
  int mPumps = 0;
  double mCancelPressed = 0.0;
  bool mCancelled = false;
  bool mRunning = false;
};

// The spheres, each made once (its plain model, and a Poly built from it).
const SimplePoly& SphereModel(int frequency) {
  static std::map<int, std::unique_ptr<SimplePoly>> made;
  std::unique_ptr<SimplePoly>& model = made[frequency];
  if (!model) {
    std::unique_ptr<Poly> icosahedron = corvia::bench::LibraryPoly(corvia::bench::kLibraryIcosahedron);
    if (icosahedron) model = icosahedron->Subdivide(corvia::kSubdivideGeodesic, frequency);
  }
  return *model;
}

std::unique_ptr<Poly> FreshSphere(int frequency) {
  auto poly = std::make_unique<Poly>();
  std::unique_ptr<SimplePoly> copy = SphereModel(frequency).CopyWithNames();
  if (!copy) return nullptr;
  if (!CreatePoly(*copy, poly.get(), false, false)) return nullptr;
  return poly;
}

Poly& Sphere(int frequency) {
  static std::map<int, std::unique_ptr<Poly>> made;
  std::unique_ptr<Poly>& poly = made[frequency];
  if (!poly) poly = FreshSphere(frequency);
  return *poly;
}

bool Enter(SimplePoly* made) {
  std::unique_ptr<SimplePoly> owned(made);
  Poly poly;
  return owned && CreatePoly(*owned, &poly, false, false);
}

// One operation: whether it runs on the sphere of half the frequency, whether it needs
// a sphere of its own each time (it keeps what it made in the model), after how many
// seconds of work it is cancelled (0: never), and the work.
struct Operation {
  const char* name;
  bool halfFrequency;
  bool freshSphere;
  double cancelAfter;
  std::function<bool(Poly&, int frequency, SilenceSink&)> work;
};

bool Morph(Poly& poly, uint32_t viewType) {
  corvia::DualMorphRatio() = 0.5;
  uint8_t derived = 0;
  return Enter(corvia::DeriveModelForViewType(poly, viewType, 0, nullptr, &derived));
}

bool FileRoundTrip(Poly& poly, int form, SilenceSink& sink) {
  const std::string path =
      (std::filesystem::temp_directory_path() / ("corvia-silence-" + std::to_string(getpid()) + ".corv")).string();
  bool made = corvia::WriteModelFile(path.c_str(), form, poly).done();
  if (made) {
    sink.Document().mPoly = std::make_unique<Poly>();
    made = corvia::OpenModelFile(path.c_str(), corvia::kOpenModelFilePlain).done();
  }
  std::error_code ignored;
  std::filesystem::remove(path, ignored);
  return made;
}

// The faceting's planes through every three vertices of a sphere take hours: its
// preparation is cancelled after this much work.
constexpr double kSearchBudget = 2.0;
// The tilted compound of a sphere makes six times its faces: it runs on spheres of up
// to 100,820 faces (a compound of 604,920), the largest the morph is measured on.
constexpr int kLargestCompoundFrequency = 71;

const std::vector<Operation>& Operations() {
  static const std::vector<Operation> operations = {
      {"GeodesicSphere", false, false, 0.0,
       [](Poly&, int frequency, SilenceSink&) {
         std::unique_ptr<Poly> icosahedron = corvia::bench::LibraryPoly(corvia::bench::kLibraryIcosahedron);
         return icosahedron && Enter(icosahedron->Subdivide(corvia::kSubdivideGeodesic, frequency).release());
       }},
      {"Dual", false, false, 0.0,
       [](Poly& poly, int, SilenceSink&) {
         return Enter(CreateSimplePoly(&poly, corvia::kDeriveDual, nullptr, nullptr));
       }},
      {"Hull", false, false, 0.0,
       [](Poly& poly, int, SilenceSink&) {
         std::unique_ptr<SimplePoly> copy(CreateSimplePoly(&poly, corvia::kDeriveBase, nullptr, nullptr));
         if (!copy) return false;
         std::unique_ptr<SimplePoly> hull = corvia::CreateConvexHull(*copy, corvia::kHullKeepColors);
         return Enter(hull.release());
       }},
      {"Subdivision", true, false, 0.0,
       [](Poly& poly, int, SilenceSink&) { return Enter(poly.Subdivide(0, 2).release()); }},
      {"GeodesicDivision", true, false, 0.0,
       [](Poly& poly, int, SilenceSink&) { return Enter(poly.Subdivide(corvia::kSubdivideGeodesic, 2).release()); }},
      {"TiltingQuads", false, false, 0.0,
       [](Poly& poly, int, SilenceSink&) { return Morph(poly, corvia::kViewMorphTiltingQuads); }},
      {"TiltingTriangles", false, false, 0.0,
       [](Poly& poly, int, SilenceSink&) { return Morph(poly, corvia::kViewMorphTiltingTriangles); }},
      {"TiltingCompound", false, false, 0.0,
       [](Poly& poly, int, SilenceSink&) { return Morph(poly, corvia::kViewMorphTiltingCompound); }},
      {"TiltingRectification", false, false, 0.0,
       [](Poly& poly, int, SilenceSink&) { return Morph(poly, corvia::kViewMorphTiltingRectification); }},
      {"Nets", false, true, 0.0,
       [](Poly& poly, int, SilenceSink&) { return poly.mBaseBlock->GetModel3D(true, nullptr) != nullptr; }},
      {"FacetingPreparation", false, true, kSearchBudget,
       [](Poly& poly, int, SilenceSink&) {
         corvia::Faceting* faceting = corvia::GetFaceting(poly.mBaseBlock.get());
         return faceting && faceting->Prepare();
       }},
      {"BinaryModelFile", false, false, 0.0,
       [](Poly& poly, int, SilenceSink& sink) { return FileRoundTrip(poly, corvia::kModelFileBinary, sink); }},
      {"AsciiModelFile", false, false, 0.0,
       [](Poly& poly, int, SilenceSink& sink) { return FileRoundTrip(poly, corvia::kModelFileAscii, sink); }},
      {"UndoCopy", false, false, 0.0,
       [](Poly& poly, int, SilenceSink&) {
         std::string data;
         std::string error;
         return corvia::WriteModelToMemory(poly, data) && corvia::RestoreModelFromMemory(data, "Undo step", &error);
       }},
  };
  return operations;
}

void Silence(benchmark::State& state, const Operation& operation) {
  const int frequency = operation.halfFrequency ? int(state.range(0)) / 2 : int(state.range(0));
  SilenceSink sink;
  Poly* poly = operation.freshSphere ? nullptr : &Sphere(frequency);
  std::unique_ptr<Poly> fresh;
  for (auto _ : state) {
    if (operation.freshSphere) {
      state.PauseTiming();
      fresh = FreshSphere(frequency);
      poly = fresh.get();
      state.ResumeTiming();
    }
    if (!poly || !sink.Run([&] { return operation.work(*poly, frequency, sink); }, operation.cancelAfter)) {
      state.SkipWithError(("not made: " + sink.FirstMessage()).c_str());
      break;
    }
    if (operation.freshSphere) {
      state.PauseTiming();
      fresh.reset();
      state.ResumeTiming();
    }
  }
  // The faces of the sphere, or of the model that the division by two makes.
  state.counters["faces"] = (operation.halfFrequency ? 80.0 : 20.0) * frequency * frequency;
  state.counters["silence"] = sink.Longest();
  state.SetLabel(sink.Step());
}

// The tilted compound cancelled at a report: the first run counts the reports, the
// next ones press Cancel at report 1 and at eighths of the count. "after_cancel_s" is
// the longest processor time from the press to the end of the work, "refused" how
// many of the nine cancelled runs left no model: after a cancel once the entry has let
// go of the old model, the rest of the build runs to its end (the label names the
// reports where that happened).
void CancelTiltingCompound(benchmark::State& state) {
  const int frequency = static_cast<int>(state.range(0));
  SilenceSink sink;
  Poly& poly = Sphere(frequency);
  auto work = [&poly] { return Morph(poly, corvia::kViewMorphTiltingCompound); };
  int reports = 0;
  int refused = 0;
  std::string kept;
  double longest = 0.0;
  for (auto _ : state) {
    if (!sink.Run(work, 0.0)) {
      state.SkipWithError("not made");
      break;
    }
    reports = sink.Pumps();
    for (int eighth = 0; eighth <= 8; ++eighth) {
      const int at = std::max(1, reports * eighth / 8);
      if (sink.Run(work, 0.0, at)) {
        ++refused;
      } else {
        kept += " " + std::to_string(at);
      }
      longest = std::max(longest, sink.AfterCancel());
    }
  }
  state.counters["faces"] = 20.0 * frequency * frequency;
  state.counters["reports"] = reports;
  state.counters["refused"] = refused;
  state.counters["after_cancel_s"] = longest;
  if (!kept.empty()) state.SetLabel("built to its end when cancelled at report" + kept);
}

std::vector<int> Frequencies() {
  if (const char* list = std::getenv("CORVIA_SILENCE_FREQUENCIES")) {
    std::vector<int> frequencies;
    for (const char* p = list; *p;) {
      char* end = nullptr;
      const long f = std::strtol(p, &end, 10);
      if (end == p) break;
      if (f >= 2 && f <= 200) frequencies.push_back(int(f));
      p = *end == ',' ? end + 1 : end;
    }
    if (!frequencies.empty()) return frequencies;
  }
  if (std::getenv("CORVIA_BENCH_BRIEF")) return {8};
  return {49, 71, 97};
}

const bool kRegistered = [] {
  for (const Operation& operation : Operations()) {
    benchmark::internal::Benchmark* bench = benchmark::RegisterBenchmark(
        (std::string("Silence/") + operation.name).c_str(),
        [&operation](benchmark::State& state) { Silence(state, operation); });
    for (int frequency : Frequencies()) {
      if (std::string(operation.name) == "TiltingCompound" && frequency > kLargestCompoundFrequency) continue;
      bench->Arg(frequency);
    }
    bench->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
  }
  benchmark::internal::Benchmark* cancel = benchmark::RegisterBenchmark("Silence/CancelTiltingCompound", CancelTiltingCompound);
  for (int frequency : Frequencies()) {
    if (frequency <= kLargestCompoundFrequency) cancel->Arg(frequency);
  }
  cancel->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
  return true;
}();

}  // namespace
