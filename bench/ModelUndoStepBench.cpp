// The model kept by an undo step and read back on Undo, on the geodesic sphere of
// 200,000 faces (100,002 vertices, 300,000 edges), the model of Poly > Create Convex
// Hull's own benchmark:
//   WriteToMemory   WriteModelToMemory, as every command's undo step keeps the model
//                   (the plain copy of the model, its compressed BINARY layout);
//   ReadFromMemory  ReadModelFromMemory on those data, the read of Undo before the
//                   model is entered.
// Each reports the data's size in bytes ("bytes", 9.8 MB; 19.2 MB before compression)
// and MB per second of those data written or read.
//
// Figures (Release build, 8 cores shared, load 5): WriteToMemory 374 to 384 ms before
// the writer laid out the element records itself and copied the compressed block
// once, 237 to 240 ms after; ReadFromMemory 80 to 85 ms, unchanged. Of the write, the
// plain copy of the model (CreateSimplePoly) and the compression take about 100 ms
// each, the records and their bytes the rest.

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "bench/BenchModels.h"
#include "files/ModelFile.h"
#include "model/Globals.h"
#include "model/Poly.h"

namespace {

constexpr int kFrequency = 100;  // 200,000 faces

corvia::Poly* Sphere() {
  static std::unique_ptr<corvia::Poly> sphere = corvia::bench::GeodesicSphere(kFrequency);
  return sphere.get();
}

void WriteToMemory(benchmark::State& state) {
  corvia::Poly* poly = Sphere();
  if (!poly) {
    state.SkipWithError("the model did not build");
    return;
  }
  const corvia::bench::ShownModel document(poly);
  std::string data;
  for (auto _ : state) {
    if (!corvia::WriteModelToMemory(*poly, data)) state.SkipWithError("the model was not written");
    benchmark::DoNotOptimize(data.data());
  }
  state.counters["bytes"] = double(data.size());
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(data.size()));
}

void ReadFromMemory(benchmark::State& state) {
  corvia::Poly* poly = Sphere();
  std::string data;
  const corvia::bench::ShownModel document(poly);
  if (!poly || !corvia::WriteModelToMemory(*poly, data)) {
    state.SkipWithError("the model was not written");
    return;
  }
  for (auto _ : state) {
    corvia::ModelFileContents contents;
    std::string error;
    if (!corvia::ReadModelFromMemory(data, "undo", contents, &error)) state.SkipWithError(error.c_str());
    benchmark::DoNotOptimize(contents.model);
  }
  state.counters["bytes"] = double(data.size());
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(data.size()));
}

BENCHMARK(WriteToMemory)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(ReadFromMemory)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
