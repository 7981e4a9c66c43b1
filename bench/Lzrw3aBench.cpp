// Compression and decompression speed on 64 MiB of text shaped like an ASCII model
// file: tokens, indices, coordinates and colours. Throughput is reported in bytes/s.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "core/Lzrw3a.h"

namespace {

std::vector<uint8_t> ModelText() {
  constexpr size_t kSize = size_t(64) << 20;
  std::mt19937 random(1);
  std::uniform_real_distribution<double> coordinate(-1.0, 1.0);
  std::string text = "Corvia ASCII 8.10\nModel \"Great Rhombicosidodecahedron\"\n";
  char line[160];
  for (int i = 0; text.size() < kSize; ++i) {
    std::snprintf(line, sizeof(line), "  Vertex %d %.15g %.15g %.15g\n", i, coordinate(random), coordinate(random),
                  coordinate(random));
    text += line;
    if (i % 3 == 0) {
      std::snprintf(line, sizeof(line), "  Face 5 %d %d %d %d %d Color 0x%06x Yes\n", i, i + 1, i + 7, i + 12, i + 3,
                    (i * 2654435761u) & 0xFFFFFF);
      text += line;
    }
  }
  text.resize(kSize);
  return std::vector<uint8_t>(text.begin(), text.end());
}

void BM_Lzrw3aCompress(benchmark::State& state) {
  std::vector<uint8_t> source = ModelText();
  std::vector<uint8_t> work(corvia::kLzrw3aWorkMemorySize);
  std::vector<uint8_t> block(source.size() + corvia::kLzrw3aCompressOverrun);
  uint32_t length = 0;
  for (auto _ : state) {
    length = uint32_t(block.size());
    corvia::Lzrw3aCompress(corvia::kLzrw3aActionCompress, work.data(), source.data(), uint32_t(source.size()),
                           block.data(), &length);
    benchmark::DoNotOptimize(block.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(source.size()));
  state.counters["ratio"] = double(length) / double(source.size());
}
BENCHMARK(BM_Lzrw3aCompress)->Unit(benchmark::kMillisecond);

void BM_Lzrw3aDecompress(benchmark::State& state) {
  std::vector<uint8_t> source = ModelText();
  std::vector<uint8_t> work(corvia::kLzrw3aWorkMemorySize);
  std::vector<uint8_t> block(source.size() + corvia::kLzrw3aCompressOverrun);
  uint32_t length = uint32_t(block.size());
  corvia::Lzrw3aCompress(corvia::kLzrw3aActionCompress, work.data(), source.data(), uint32_t(source.size()),
                         block.data(), &length);
  block.resize(length);
  std::vector<uint8_t> out(source.size());
  for (auto _ : state) {
    uint32_t outLength = uint32_t(out.size());
    if (!corvia::Lzrw3aCompress(corvia::kLzrw3aActionDecompress, work.data(), block.data(), uint32_t(block.size()),
                                out.data(), &outLength) ||
        outLength != source.size()) {
      state.SkipWithError("decompression failed");
      break;
    }
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(source.size()));
}
BENCHMARK(BM_Lzrw3aDecompress)->Unit(benchmark::kMillisecond);

}  // namespace
