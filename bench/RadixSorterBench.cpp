// Depth sorting of translucent triangles: the keys are minus the squared distance
// from the eye to each triangle's centroid, so the farthest triangle is drawn first.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstddef>
#include <random>
#include <vector>

#include "core/RadixSorter.h"

namespace {

constexpr unsigned kNumTriangles = 100000;

struct Scene {
  std::vector<float> centroids;  // x, y, z per triangle, inside the unit ball
};

const Scene& TheScene() {
  static const Scene scene = [] {
    Scene s;
    std::mt19937 random(12345);
    std::uniform_real_distribution<float> coord(-1.0f, 1.0f);
    s.centroids.reserve(3 * kNumTriangles);
    for (unsigned j = 0; j < kNumTriangles; ++j) {
      float x, y, z;
      do {
        x = coord(random);
        y = coord(random);
        z = coord(random);
      } while (x * x + y * y + z * z > 1.0f);
      s.centroids.insert(s.centroids.end(), {x, y, z});
    }
    return s;
  }();
  return scene;
}

// The keys seen from an eye on a circle of radius 4 round the y axis at angle a.
void DepthKeys(std::vector<float>& keys, double a) {
  const std::vector<float>& c = TheScene().centroids;
  const double ex = 4.0 * std::cos(a), ez = 4.0 * std::sin(a), ey = 0.5;
  keys.resize(kNumTriangles);
  for (unsigned j = 0; j < kNumTriangles; ++j) {
    const double dx = c[3 * j] - ex, dy = c[3 * j + 1] - ey, dz = c[3 * j + 2] - ez;
    keys[j] = static_cast<float>(-(dx * dx + dy * dy + dz * dz));
  }
}

// The first frame: a new sorter, triangles in their stored order.
void BM_DepthSortFirstFrame(benchmark::State& state) {
  std::vector<float> keys;
  DepthKeys(keys, 0.3);
  for (auto _ : state) {
    corvia::RadixSorter sorter;
    sorter.Sort(keys.data(), kNumTriangles);
    benchmark::DoNotOptimize(sorter.GetIndices());
  }
  state.SetItemsProcessed(state.iterations() * kNumTriangles);
}
BENCHMARK(BM_DepthSortFirstFrame)->Unit(benchmark::kMicrosecond);

// Later frames of a slowly turning view: the last order is almost right.
void BM_DepthSortNextFrames(benchmark::State& state) {
  const double step = static_cast<double>(state.range(0)) * 1e-5;  // radians per frame
  std::vector<float> keys;
  corvia::RadixSorter sorter;
  DepthKeys(keys, 0.3);
  sorter.Sort(keys.data(), kNumTriangles);
  double angle = 0.3;
  for (auto _ : state) {
    state.PauseTiming();
    angle += step;
    DepthKeys(keys, angle);
    state.ResumeTiming();
    sorter.Sort(keys.data(), kNumTriangles);
    benchmark::DoNotOptimize(sorter.GetIndices());
  }
  state.SetItemsProcessed(state.iterations() * kNumTriangles);
  state.counters["already_sorted"] = static_cast<double>(sorter.GetNumAlreadySorted());
}
// A still view (every frame already in order), then turns of 1e-5 and 1e-3 radians.
BENCHMARK(BM_DepthSortNextFrames)->Arg(0)->Arg(1)->Arg(100)->Unit(benchmark::kMicrosecond);

// The same through an intrusive list, as the drawing code keeps its triangles.
struct Triangle {
  Triangle* next = nullptr;
  Triangle* prev = nullptr;
  float key = 0.0f;
};

void BM_DepthSortListNextFrames(benchmark::State& state) {
  std::vector<float> keys;
  std::vector<Triangle> triangles(kNumTriangles);
  for (unsigned j = 0; j < kNumTriangles; ++j) triangles[j].next = j + 1 < kNumTriangles ? &triangles[j + 1] : nullptr;
  void* head = &triangles[0];
  void* tail = nullptr;
  corvia::RadixSorter sorter;
  double angle = 0.3;
  for (auto _ : state) {
    state.PauseTiming();
    angle += 1e-5;
    DepthKeys(keys, angle);
    for (unsigned j = 0; j < kNumTriangles; ++j) triangles[j].key = keys[j];
    state.ResumeTiming();
    head = sorter.SortByCallback(head, kNumTriangles, 0, offsetof(Triangle, key), nullptr, offsetof(Triangle, next),
                                 offsetof(Triangle, prev), &tail);
    benchmark::DoNotOptimize(head);
  }
  state.SetItemsProcessed(state.iterations() * kNumTriangles);
}
BENCHMARK(BM_DepthSortListNextFrames)->Unit(benchmark::kMicrosecond);

}  // namespace
