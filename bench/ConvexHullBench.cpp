// Convex hulls of random point clouds: points on the unit sphere (every point is a
// corner) and in the unit ball (most points fall inside). The complexity report
// fits the times against n log n.

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include "symmetry/ConvexHull.h"
#include "symmetry/SimplePoly.h"

namespace {

enum class Cloud { Sphere, Ball };

std::vector<double> RandomCloud(Cloud cloud, int n) {
  std::mt19937 random(4711u + static_cast<unsigned>(n));
  std::normal_distribution<double> normal;
  std::uniform_real_distribution<double> coord(-1.0, 1.0);
  std::vector<double> points;
  points.reserve(static_cast<size_t>(n) * 3);
  while (points.size() < static_cast<size_t>(n) * 3) {
    double p[3];
    if (cloud == Cloud::Sphere) {
      for (double& c : p) c = normal(random);
      const double len = std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
      if (len == 0) continue;
      for (double& c : p) c /= len;
    } else {
      for (double& c : p) c = coord(random);
      if (p[0] * p[0] + p[1] * p[1] + p[2] * p[2] > 1) continue;
    }
    points.insert(points.end(), p, p + 3);
  }
  return points;
}

void RunHull(benchmark::State& state, Cloud cloud) {
  const int n = static_cast<int>(state.range(0));
  const std::vector<double> points = RandomCloud(cloud, n);
  int faces = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto poly = std::make_unique<corvia::SimplePoly>(n, 0);
    for (int i = 0; i < n; ++i) poly->VertAt(i).SetPos(&points[static_cast<size_t>(i) * 3]);
    state.ResumeTiming();
    const bool ok = corvia::ComputeConvexHull(*poly, 0);
    benchmark::DoNotOptimize(ok);
    faces = poly->NumFaces();
    state.PauseTiming();
    poly.reset();
    state.ResumeTiming();
  }
  state.counters["faces"] = faces;
  state.SetComplexityN(n);
}

void HullOnSphere(benchmark::State& state) { RunHull(state, Cloud::Sphere); }
void HullInBall(benchmark::State& state) { RunHull(state, Cloud::Ball); }

BENCHMARK(HullOnSphere)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oNLogN);
BENCHMARK(HullInBall)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oNLogN);

}  // namespace
