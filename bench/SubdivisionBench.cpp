// Derived models at a realistic size: the geodesic sphere of frequency 30 (18,000
// triangles) made from an icosahedron and turned into a model, and the zonohedra of
// 100, 200 and 400 random directions (9,900 to 159,600 faces) and of the zones of
// geodesic spheres, which share planes.

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include "core/Geometry.h"
#include "core/Tolerances.h"
#include "model/CreatePoly.h"
#include "model/Poly.h"
#include "model/Subdivision.h"
#include "symmetry/SimplePoly.h"
#include "tests/model/PolyModels.h"

namespace {

constexpr double kPhi = 1.6180339887498949;

// The icosahedron with edge 2: its faces are the triples of vertices 2 apart.
void BuildIcosahedron(corvia::Poly& poly) {
  std::vector<corvia::testing::Point> p;
  for (int s1 : {-1, 1}) {
    for (int s2 : {-1, 1}) {
      p.push_back({0.0, s1 * 1.0, s2 * kPhi});
      p.push_back({s1 * 1.0, s2 * kPhi, 0.0});
      p.push_back({s2 * kPhi, 0.0, s1 * 1.0});
    }
  }
  auto apart = [&](int a, int b) {
    double d[3] = {p[a][0] - p[b][0], p[a][1] - p[b][1], p[a][2] - p[b][2]};
    return std::fabs(std::sqrt(corvia::Dot(d, d)) - 2.0) < 1e-9;
  };
  std::vector<corvia::testing::FaceRing> faces;
  for (int a = 0; a < 12; ++a) {
    for (int b = a + 1; b < 12; ++b) {
      for (int c = b + 1; c < 12; ++c) {
        if (!apart(a, b) || !apart(b, c) || !apart(a, c)) continue;
        double n[3];
        corvia::TriangleNormal(n, p[a].data(), p[b].data(), p[c].data());
        faces.push_back(corvia::Dot(n, p[a].data()) > 0 ? corvia::testing::FaceRing{a, b, c}
                                                        : corvia::testing::FaceRing{a, c, b});
      }
    }
  }
  corvia::testing::BuildPoly(poly, p, faces);
  corvia::testing::OneTypePerSide(poly);
}

void GeodesicSphere30(benchmark::State& state) {
  corvia::Poly ico;
  BuildIcosahedron(ico);
  for (auto _ : state) {
    std::unique_ptr<corvia::SimplePoly> sphere = ico.Subdivide(corvia::kSubdivideGeodesic, 30);
    corvia::Poly result;
    const bool made = sphere && CreatePoly(*sphere, &result, false, false);
    benchmark::DoNotOptimize(made);
    state.counters["faces"] = result.mFaces.mCount;
  }
}
BENCHMARK(GeodesicSphere30)->Unit(benchmark::kMillisecond);

void SphereLatticeOnly30(benchmark::State& state) {
  corvia::Poly ico;
  BuildIcosahedron(ico);
  for (auto _ : state) {
    std::unique_ptr<corvia::SimplePoly> sphere = ico.Subdivide(corvia::kSubdivideGeodesic, 30);
    benchmark::DoNotOptimize(sphere.get());
  }
}
BENCHMARK(SphereLatticeOnly30)->Unit(benchmark::kMillisecond);

// Directions at random: no three zones in a plane, n (n - 1) faces.
void ZonohedronOfRandomDirections(benchmark::State& state, int count) {
  std::mt19937 random(4711u);
  std::normal_distribution<double> normal;
  corvia::TolerantPointList list(corvia::kPointTolerance);
  while (list.Count() < count) {
    double p[3] = {normal(random), normal(random), normal(random)};
    const double length = std::sqrt(corvia::Dot(p, p));
    if (length < 1e-3) continue;
    for (double& c : p) c /= length;
    list.FindOrAdd(p);
  }
  for (auto _ : state) {
    std::unique_ptr<corvia::SimplePoly> zonohedron = corvia::CreateZonohedron(nullptr, list);
    benchmark::DoNotOptimize(zonohedron.get());
    state.counters["faces"] = zonohedron ? zonohedron->NumFaces() : 0;
  }
}
void ZonohedronOf100Directions(benchmark::State& state) { ZonohedronOfRandomDirections(state, 100); }
BENCHMARK(ZonohedronOf100Directions)->Unit(benchmark::kMillisecond);
void ZonohedronOfDirections(benchmark::State& state) {
  ZonohedronOfRandomDirections(state, static_cast<int>(state.range(0)));
}
BENCHMARK(ZonohedronOfDirections)->Arg(200)->Arg(400)->Unit(benchmark::kMillisecond);

// The zones of a geodesic sphere of the frequency: the great circles through the
// icosahedron's edges hold many zones each, and the planes are fewer than the pairs.
void ZonohedronOfGeodesicSphere(benchmark::State& state) {
  corvia::Poly ico;
  BuildIcosahedron(ico);
  std::unique_ptr<corvia::SimplePoly> sphere = ico.Subdivide(corvia::kSubdivideGeodesic, static_cast<int>(state.range(0)));
  corvia::Poly model;
  if (!sphere || !CreatePoly(*sphere, &model, false, false)) {
    state.SkipWithError("no sphere");
    return;
  }
  corvia::TolerantPointList zones(corvia::kPointTolerance);
  model.CollectZoneVectors(zones, corvia::ZonohedrifyOptions());
  for (auto _ : state) {
    std::unique_ptr<corvia::SimplePoly> zonohedron = corvia::CreateZonohedron(&model, zones);
    benchmark::DoNotOptimize(zonohedron.get());
    state.counters["zones"] = zones.Count();
    state.counters["faces"] = zonohedron ? zonohedron->NumFaces() : 0;
  }
}
BENCHMARK(ZonohedronOfGeodesicSphere)->Arg(4)->Arg(8)->Unit(benchmark::kMillisecond);

}  // namespace
