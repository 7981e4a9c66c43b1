// Ear clipping of many small polygons (facets, net pieces) and of a few large ones,
// and the split of star polygons.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "core/PolygonRing.h"
#include "core/PolygonSplit.h"

namespace {

std::vector<double> StarShaped(int n, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> radius(0.2, 1.0);
  std::vector<double> pts;
  for (int i = 0; i < n; ++i) {
    const double a = 2 * M_PI * i / n, r = radius(rng);
    pts.push_back(r * std::cos(a));
    pts.push_back(r * std::sin(a));
  }
  return pts;
}

corvia::PolygonVertex* Ring(const std::vector<double>& pts) {
  corvia::PolygonVertex* ring = nullptr;
  for (size_t i = 0; i < pts.size() / 2; ++i)
    corvia::NewPolygonVertex(pts[2 * i], pts[2 * i + 1], nullptr, nullptr, ring)->index = static_cast<int>(i);
  return ring;
}

void BM_TriangulateStarShaped(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const std::vector<double> pts = StarShaped(n, 7);
  corvia::TriangulationContext context;
  std::vector<int> indices(3 * n);
  for (auto _ : state) {
    benchmark::DoNotOptimize(corvia::TriangulatePolygon(Ring(pts), 3 * n, indices.data(), &context));
  }
  state.SetItemsProcessed(state.iterations() * n);
  state.SetComplexityN(n);
}
BENCHMARK(BM_TriangulateStarShaped)->Arg(5)->Arg(10)->Arg(100)->Arg(1000)->Arg(10000)->Complexity();

void BM_SplitStarPolygon(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  std::vector<double> pts;
  for (int i = 0; i < n; ++i) {
    const double a = 2 * M_PI * (2 * i) / n;
    pts.push_back(std::cos(a));
    pts.push_back(std::sin(a));
  }
  corvia::PolygonVertex* ring = Ring(pts);
  double* points = nullptr;
  for (auto _ : state) {
    corvia::PolygonList* list = corvia::SplitPolygonRing(ring, &points, nullptr);
    int* indices = nullptr;
    benchmark::DoNotOptimize(corvia::TriangulatePolygonListAlloc(list, &indices, nullptr));
    delete[] indices;
  }
  delete[] points;
  corvia::FreePolygonRing(ring);
}
BENCHMARK(BM_SplitStarPolygon)->Arg(5)->Arg(7)->Arg(11);

}  // namespace
