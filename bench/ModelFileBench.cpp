// Saving and opening a large model in both forms of the model file: the frequency-30
// geodesic sphere (9,002 vertices, 18,000 faces, 27,000 edges). Opening includes the
// whole model-entry road (symmetry, face types, edges), as File > Open does.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "bench/BenchModels.h"
#include "construction/Library.h"
#include "files/ModelFile.h"
#include "model/Globals.h"
#include "model/Poly.h"
#include "model/Subdivision.h"
#include "symmetry/SimplePoly.h"

namespace {

constexpr int kFrequency = 30;

// The document: one current model.
class Document : public corvia::DocumentAccess {
 public:
  Document() : mPrevious(corvia::InstallDocumentAccess(this)) {}
  ~Document() override { corvia::InstallDocumentAccess(mPrevious); }
  corvia::Poly* GetCurrentPoly() override { return &mPoly; }
  corvia::Poly mPoly;

 private:
  corvia::DocumentAccess* mPrevious;
};

corvia::Poly* Sphere() {
  static std::unique_ptr<corvia::Poly> sphere = corvia::bench::GeodesicSphere(kFrequency);
  return sphere.get();
}

std::string FilePath(int form) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("corvia-bench-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  return (folder / (form == corvia::kModelFileAscii ? "sphere-ascii.corv" : "sphere-binary.corv")).string();
}

void Save(benchmark::State& state, int form) {
  corvia::Poly* poly = Sphere();
  if (!poly) {
    state.SkipWithError("the model did not build");
    return;
  }
  const std::string path = FilePath(form);
  for (auto _ : state) {
    if (!corvia::WriteModelFile(path.c_str(), form, *poly)) state.SkipWithError("the file was not written");
  }
  state.counters["bytes"] = double(std::filesystem::file_size(path));
  state.counters["faces"] = poly->mFaces.mCount;
}

void Open(benchmark::State& state, int form) {
  corvia::Poly* poly = Sphere();
  if (!poly) {
    state.SkipWithError("the model did not build");
    return;
  }
  const std::string path = FilePath(form);
  if (!corvia::WriteModelFile(path.c_str(), form, *poly)) {
    state.SkipWithError("the file was not written");
    return;
  }
  Document document;
  for (auto _ : state) {
    if (!corvia::OpenModelFile(path.c_str(), corvia::kOpenModelFilePlain)) state.SkipWithError("the file did not open");
    benchmark::DoNotOptimize(document.mPoly.mFaces.mCount);
  }
  state.counters["faces"] = document.mPoly.mFaces.mCount;
}

// Reading alone: the file into its plain model, without building the model.
void Read(benchmark::State& state, int form) {
  corvia::Poly* poly = Sphere();
  const std::string path = FilePath(form);
  if (!poly || !corvia::WriteModelFile(path.c_str(), form, *poly)) {
    state.SkipWithError("the file was not written");
    return;
  }
  for (auto _ : state) {
    corvia::ModelFileContents contents;
    std::string error;
    if (!corvia::ReadModelFile(path.c_str(), contents, &error)) state.SkipWithError(error.c_str());
    benchmark::DoNotOptimize(contents.model);
  }
}

void SaveAscii(benchmark::State& state) {
  Save(state, corvia::kModelFileAscii);
}
void SaveBinary(benchmark::State& state) {
  Save(state, corvia::kModelFileBinary);
}
void OpenAscii(benchmark::State& state) {
  Open(state, corvia::kModelFileAscii);
}
void OpenBinary(benchmark::State& state) {
  Open(state, corvia::kModelFileBinary);
}
void ReadAscii(benchmark::State& state) {
  Read(state, corvia::kModelFileAscii);
}
void ReadBinary(benchmark::State& state) {
  Read(state, corvia::kModelFileBinary);
}

BENCHMARK(SaveAscii)->Unit(benchmark::kMillisecond);
BENCHMARK(SaveBinary)->Unit(benchmark::kMillisecond);
BENCHMARK(OpenAscii)->Unit(benchmark::kMillisecond);
BENCHMARK(OpenBinary)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadAscii)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadBinary)->Unit(benchmark::kMillisecond);

}  // namespace
