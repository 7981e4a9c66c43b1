// Building every face diagram of a model: one diagram per face, as the set-up does.

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "model/FaceDiagram.h"
#include "model/FaceDiagramCells.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

// A mix of the faces a model has: triangles, squares, pentagons and pentagrams, with
// some faces sharing their plane with a second one.
struct FaceOutline {
  std::vector<double> points;  // x, y pairs in the face's frame
  bool second;
};

std::vector<FaceOutline> MakeFaces(int count) {
  std::vector<FaceOutline> faces;
  for (int f = 0; f < count; ++f) {
    const int kind = f % 4;
    const int n = kind == 0 ? 3 : (kind == 1 ? 4 : 5);
    const int step = kind == 3 ? 2 : 1;
    FaceOutline outline{{}, f % 7 == 0};
    for (int i = 0; i < n; ++i) {
      const double a = 2.0 * kPi * i * step / n + 0.01 * f;
      outline.points.push_back(std::cos(a));
      outline.points.push_back(std::sin(a));
    }
    faces.push_back(outline);
  }
  return faces;
}

void BuildAllFaceDiagrams(benchmark::State& state) {
  const std::vector<FaceOutline> faces = MakeFaces(static_cast<int>(state.range(0)));
  corvia::FaceDiagramWorkPools work;
  corvia::FaceDiagramResultPools results;
  corvia::FaceDiagram diagram(&work, &results);
  int64_t cells = 0;
  for (auto _ : state) {
    results.Rewind();
    for (size_t f = 0; f < faces.size(); ++f) {
      corvia::FaceDiagramResult result;
      corvia::FaceDiagramBuilder builder;
      corvia::DiagramCell* cellArray = nullptr;
      corvia::BeginFaceDiagram(&result, &diagram, corvia::kDiagramSourceLoops, &work, &results, &builder);
      static corvia::DiagramColouredLoop colour;
      corvia::DiagramClosePath(reinterpret_cast<corvia::DiagramSource>(&colour), false, &builder);
      const std::vector<double>& p = faces[f].points;
      for (size_t i = 0; i + 1 < p.size(); i += 2) corvia::DiagramLineTo(&p[i], &builder);
      if (faces[f].second) {
        // A coplanar neighbour overlapping the face.
        corvia::DiagramClosePath(reinterpret_cast<corvia::DiagramSource>(&colour) + 1, false, &builder);
        for (size_t i = 0; i + 1 < p.size(); i += 2) {
          const double q[2] = {p[i] + 0.5, p[i + 1] + 0.25};
          corvia::DiagramLineTo(q, &builder);
        }
      }
      corvia::EndFaceDiagram(&result, &builder, &cellArray, corvia::kDiagramFinishFilled, nullptr);
      cells += result.mNumCells;
    }
  }
  benchmark::DoNotOptimize(cells);
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(faces.size()));
}

BENCHMARK(BuildAllFaceDiagrams)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
