// The model drawing at work, off screen at 1280 x 1024 (Mesa's software renderer
// here): the frequency-30 and frequency-60 geodesic spheres (18,000 and 72,000 faces),
// opaque and translucent, turning a little each frame as a throw turns them. Each frame
// of the program's drawing is followed, in the same context and at the same camera, by a
// frame of the reference: the same triangles with the same normals and colours drawn
// from one vertex buffer in one call with the same lighting (translucent: blended, in
// one back-to-front order). That is what the renderer can do for this picture; the
// counter "ratio" is the program's time a frame over the reference's. Also the depth
// sort of 100,000 queued triangles on its own, and a new order of the spheres' kept
// translucent triangles with its runs. And the program's stellation panes painting
// large models whose facets the idle work has still to make, and its model pane
// showing a large model's new colours.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstddef>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "bench/BenchModels.h"
#include "bench/support/ProgramPane.h"
#include "bench/support/ReferenceTriangles.h"
#include "construction/Library.h"
#include "construction/Prisms.h"
#include "core/RadixSorter.h"
#include "core/VectorMath.h"
#include "model/ColorSchemes.h"
#include "model/FaceTypeBlock.h"
#include "model/LibraryEntry.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "render/DepthSortedTriangles.h"
#include "render/FaceMeshCache.h"
#include "render/GL.h"
#include "render/GLBuffer.h"
#include "render/GLSection.h"
#include "render/KeptTriangles.h"
#include "render/ModelDrawing.h"
#include "render/OffscreenViewWindow.h"
#include "render/OpenGLView.h"
#include "render/TriangleBatches.h"

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 1024;

using Vertex = corvia::KeptVertex;

class ModelView : public corvia::OpenGLView {
 public:
  explicit ModelView(corvia::Poly* poly) : mPoly(poly) {}
  void ScenePass() override {
    if (mReference) {
      DrawReference();
      return;
    }
    corvia::DrawFaces(mPoly, &mPoly->mFaces, corvia::kDrawModePlain, 1.0, 1.0, nullptr);
    corvia::DrawDepthSortedTriangles();
  }
  // The faces' triangles as the reference draws them: translucent ones farthest first
  // from where the eye is now.
  void MakeReference(bool translucent) {
    std::vector<Vertex> vertices = corvia::bench::ReferenceTriangles(*mPoly, Camera().GetPerEyePosition(), translucent);
    mTranslucent = translucent;
    mCount = static_cast<int>(vertices.size());
    mVertices.swap(vertices);
  }
  void SetReference(bool on) { mReference = on; }

 private:
  void DrawReference() {
    // Made in the first frame, where the context is current.
    if (!mBuffer.BelongsToCurrentContext()) mBuffer.Upload(mVertices.data(), mVertices.size() * sizeof(Vertex), false);
    corvia::BeginKeptVertexArrays(mBuffer, true);
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    glEnable(GL_COLOR_MATERIAL);
    if (mTranslucent) {
      glEnable(GL_BLEND);
      glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    }
    glDrawArrays(GL_TRIANGLES, 0, mCount);
    glDisable(GL_BLEND);
    glDisable(GL_COLOR_MATERIAL);
    corvia::EndKeptVertexArrays();
  }

  corvia::Poly* mPoly;
  bool mReference = false;
  bool mTranslucent = false;
  std::vector<Vertex> mVertices;
  corvia::GLBuffer mBuffer;
  int mCount = 0;
};

double Seconds(const std::chrono::steady_clock::duration& d) {
  return std::chrono::duration<double>(d).count();
}

void DrawFrames(benchmark::State& state, int frequency, bool translucent) {
  std::unique_ptr<corvia::Poly> poly = corvia::bench::GeodesicSphere(frequency);
  if (!poly) {
    state.SkipWithError("the geodesic sphere did not build");
    return;
  }
  if (translucent) {
    for (corvia::PolyElement* f = poly->mFaces.mHead; f; f = f->mNext) f->SetOpacity(0.6f);
    poly->mPolyFlags |= corvia::kPolyFlagCellColoursFront;
  }
  std::string error;
  auto window = corvia::OffscreenViewWindow::Create(kWidth, kHeight, &error);
  if (!window) {
    state.SkipWithError(error.c_str());
    return;
  }
  ModelView view(poly.get());
  window->Show(&view);
  view.Camera().ViewSphere(nullptr, 1.0);
  // What the drawing keeps between frames is made in the first frames of a state.
  for (int frame = 0; frame < 3; ++frame) window->Paint();
  view.MakeReference(translucent);
  // The reference's buffer is made in a frame of its own, before the timing.
  view.SetReference(true);
  window->Paint();
  double program = 0.0, reference = 0.0;
  const corvia::FaceMeshStatistics before = corvia::GetFaceMeshStatistics();
  for (auto _ : state) {
    // Turning a little each frame, as a throw would: the depth order changes.
    const double up[3] = {0, 1, 0};
    view.Camera().RotateCamera(up, 1);
    view.SetReference(false);
    auto start = std::chrono::steady_clock::now();
    window->Paint();
    const double frame = Seconds(std::chrono::steady_clock::now() - start);
    view.SetReference(true);
    start = std::chrono::steady_clock::now();
    window->Paint();
    reference += Seconds(std::chrono::steady_clock::now() - start);
    program += frame;
    state.SetIterationTime(frame);
  }
  const double frames = static_cast<double>(state.iterations());
  state.counters["fps"] = frames / program;
  state.counters["faces"] = poly->mFaces.mCount;
  state.counters["reference_ms"] = 1000.0 * reference / frames;
  state.counters["ratio"] = program / reference;
  // How the frames drew the faces: from what was kept, or recorded again.
  const corvia::FaceMeshStatistics after = corvia::GetFaceMeshStatistics();
  state.counters["kept"] = (after.kept - before.kept) / frames;
  window->Close();
}

void BM_GeodesicSphere30Opaque(benchmark::State& state) {
  DrawFrames(state, 30, false);
}
void BM_GeodesicSphere30Translucent(benchmark::State& state) {
  DrawFrames(state, 30, true);
}
void BM_GeodesicSphere60Opaque(benchmark::State& state) {
  DrawFrames(state, 60, false);
}
void BM_GeodesicSphere60Translucent(benchmark::State& state) {
  DrawFrames(state, 60, true);
}

// What a new order of the kept translucent triangles costs: the spheres' triangles
// sorted from an eye that turns a little more than the kept order allows each time, put
// in a window of 1000 x 900 and split into runs ("split_ms" the split alone, "runs" how
// many it found).
void TranslucentRuns(benchmark::State& state, int frequency) {
  std::unique_ptr<corvia::Poly> poly = corvia::bench::GeodesicSphere(frequency);
  if (!poly) {
    state.SkipWithError("the geodesic sphere did not build");
    return;
  }
  std::unordered_map<const corvia::PolyElement*, uint32_t> ids;
  std::vector<const corvia::PolyElement*> points;
  std::vector<uint32_t> corners;
  for (corvia::PolyElement* f = poly->mFaces.mHead; f; f = f->mNext)
    for (int i = 1; i + 1 < f->mNumSides; ++i)
      for (const corvia::PolyElement* c : {f->mNeighbours[0], f->mNeighbours[i], f->mNeighbours[i + 1]}) {
        auto [it, added] = ids.emplace(c, static_cast<uint32_t>(points.size()));
        if (added) points.push_back(c);
        corners.push_back(it->second);
      }
  const size_t n = corners.size() / 3;
  double radius = 0.0;
  for (const corvia::PolyElement* p : points)
    radius = std::max(radius, std::sqrt(corvia::Dot(p->mDualVert, p->mDualVert)));
  std::vector<float> keys(n);
  std::vector<double> xy(2 * points.size());
  std::vector<corvia::WindowTriangle> window(n);
  std::vector<uint32_t> order(n), starts;
  corvia::RadixSorter sorter;
  corvia::TriangleBatcher batcher;
  double angle = 0.0, splitSeconds = 0.0;
  size_t runs = 0;
  for (auto _ : state) {
    angle += (corvia::kKeptOrderAngle + 0.1) * M_PI / 180.0;
    const double distance = 5.0 * radius;
    const double eye[3] = {distance * std::sin(angle), 0.3 * radius, distance * std::cos(angle)};
    // Looking at the centre: right, up and back.
    const double back[3] = {eye[0] / distance, 0.0, eye[2] / distance};
    const double right[3] = {back[2], 0.0, -back[0]};
    const double up[3] = {0.0, 1.0, 0.0};
    const double focal = 450.0 * 4.5;
    for (size_t i = 0; i < points.size(); ++i) {
      double d[3];
      corvia::Subtract(d, points[i]->mDualVert, eye);
      const double z = -corvia::Dot(d, back);
      xy[2 * i] = 500.0 + focal * corvia::Dot(d, right) / z;
      xy[2 * i + 1] = 450.0 + focal * corvia::Dot(d, up) / z;
    }
    const auto start = std::chrono::steady_clock::now();
    for (size_t t = 0; t < n; ++t) {
      double c[3] = {0, 0, 0}, d[3];
      for (int i = 0; i < 3; ++i)
        for (int k = 0; k < 3; ++k) c[k] += points[corners[3 * t + i]]->mDualVert[k] / 3.0;
      corvia::Subtract(d, c, eye);
      keys[t] = static_cast<float>(-corvia::Dot(d, d));
    }
    sorter.Sort(keys.data(), static_cast<unsigned>(n));
    order.assign(sorter.GetIndices(), sorter.GetIndices() + n);
    for (size_t k = 0; k < n; ++k) {
      const size_t t = order[k];
      corvia::WindowTriangle& w = window[k];
      w.usable = true;
      for (int i = 0; i < 3; ++i) {
        w.ids[i] = corners[3 * t + i];
        w.xy[i][0] = xy[2 * w.ids[i]];
        w.xy[i][1] = xy[2 * w.ids[i] + 1];
      }
      corvia::SetUpWindowTriangle(w);
    }
    const auto split = std::chrono::steady_clock::now();
    batcher.Split(window, n, corvia::kRunMargin, starts);
    splitSeconds += Seconds(std::chrono::steady_clock::now() - split);
    state.SetIterationTime(Seconds(std::chrono::steady_clock::now() - start));
    runs += starts.size();
  }
  state.counters["runs"] = static_cast<double>(runs) / static_cast<double>(state.iterations());
  state.counters["triangles"] = static_cast<double>(n);
  state.counters["split_ms"] = 1000.0 * splitSeconds / static_cast<double>(state.iterations());
}
void BM_TranslucentRuns18000(benchmark::State& state) {
  TranslucentRuns(state, 30);
}
void BM_TranslucentRuns72000(benchmark::State& state) {
  TranslucentRuns(state, 60);
}

// 100,000 translucent triangles scattered in a ball, queued once (in a section of an
// off-screen view: the queue is its context's) and sorted from an eye that moves a
// little each time.
void BM_DepthSort100000(benchmark::State& state) {
  constexpr int kTriangles = 100000;
  std::string error;
  auto window = corvia::OffscreenViewWindow::Create(16, 16, &error);
  if (!window) {
    state.SkipWithError(error.c_str());
    return;
  }
  corvia::OpenGLView view;
  window->Show(&view);
  {
    corvia::GLSection section(&view);
    const float colour[4] = {0.8f, 0.6f, 0.2f, 0.5f};
    const double normal[3] = {0, 0, 1};
    for (int i = 0; i < kTriangles; ++i) {
      const double u = std::fmod(i * 0.618033988749895, 1.0), v = std::fmod(i * 0.754877666246693, 1.0);
      const double w = std::fmod(i * 0.569840290998053, 1.0);
      const double p[3] = {2 * u - 1, 2 * v - 1, 2 * w - 1};
      const double q[3] = {p[0] + 0.01, p[1], p[2]};
      const double r[3] = {p[0], p[1] + 0.01, p[2]};
      corvia::AddDepthSortedTriangle(p, q, r, normal, colour, 0, 1.0, nullptr, nullptr, nullptr);
    }
    double eye[3] = {0, 0, 5};
    int step = 0;
    for (auto _ : state) {
      eye[0] = std::sin(0.01 * ++step);
      corvia::SortDepthSortedTriangles(eye);
    }
    state.counters["triangles"] = corvia::GetDepthSortStatistics().sortedQueue;
    corvia::DiscardDepthSortedTriangles();
  }
  window->Close();
}

// The program's stellation panes painting models whose facets are not there yet (the
// idle work makes them; until then every paint asks for them): the dual side of a torus
// of 20,000 faces, whose side has no plain facet model and a long set-up, in the Dual
// Stellation pane; the frequency-60 geodesic sphere (72,000 faces) in the Base
// Stellation pane. The counter "walked" is the elements and face types that the
// paint's questions about the whole side walked (CountWholeWalkSteps).
enum class PaneScene { TorusDualStellation, SphereStellation };

void PaintPane(benchmark::State& state, PaneScene scene) {
  const corvia::ViewType type =
      scene == PaneScene::TorusDualStellation ? corvia::kViewStellationOfDual : corvia::kViewStellationOfBase;
  corvia::bench::ProgramPane pane(type, kWidth, kHeight);
  if (!pane.Shown()) {
    state.SkipWithError(pane.Error().c_str());
    return;
  }
  corvia::CPolyDoc& doc = pane.Doc();
  std::unique_ptr<corvia::SimplePoly> model;
  if (scene == PaneScene::TorusDualStellation) {
    corvia::Outcome outcome;
    model = corvia::CreateTorus(0.4, 200, 100, outcome);
  } else if (doc.SetModel(corvia::GetLibraryEntry(corvia::bench::kLibraryIcosahedron), false, false)) {
    model = doc.GetCurrentPoly()->Subdivide(corvia::kSubdivideGeodesic, 60);
  }
  if (!pane.Enter(std::move(model))) {
    state.SkipWithError("the model did not build");
    return;
  }
  corvia::Poly* poly = doc.GetCurrentPoly();
  pane.Paint();
  const uint64_t start = corvia::CountWholeWalkSteps();
  for (auto _ : state) {
    const double up[3] = {0, 1, 0};
    pane.Pane().Camera().RotateCamera(up, 1);
    pane.Paint();
  }
  state.counters["faces"] = scene == PaneScene::TorusDualStellation ? poly->mVertices.mCount : poly->mFaces.mCount;
  state.counters["walked"] =
      static_cast<double>(corvia::CountWholeWalkSteps() - start) / static_cast<double>(state.iterations());
}

void BM_TorusDualStellationPaneWaiting(benchmark::State& state) {
  PaintPane(state, PaneScene::TorusDualStellation);
}
void BM_Sphere60StellationPaneWaiting(benchmark::State& state) {
  PaintPane(state, PaneScene::SphereStellation);
}

// The program's model pane showing a large model with its colours, which the idle work
// made just before (as after Poly > Subdivide Faces... of the cube): the subdivided cube
// of 204 parts (998,784 faces) and the frequency-150 geodesic sphere (450,000 faces).
// The time is that of the paint that shows the faces: the first paint, or, when that
// one leaves the faces' recording to the idle work ("asked_ms"), the paint after the
// idle work ("idle_ms", in turns between which the program answers). "kept_ms" is the
// paint after that.
//   When the paint recorded the faces (load 6 to 8): the cube 1771 ms and 1679 ms, the
//   sphere 470 ms and 355 ms (kept 234 to 242 ms and 78 to 100 ms); with room made for
//   the recording before it began, the cube 907 ms, the sphere 270 ms. Recorded when idle
//   (load 6 to 8): the cube 243 ms (asked 85 ms, the idle work 755 ms, of which the longest
//   turn, the last with the upload, 0.49 s), the sphere 89 ms (asked 45 ms, idle 230 ms).
enum class LargeModel { Cube204, Sphere150 };

void FirstPaint(benchmark::State& state, LargeModel which) {
  corvia::bench::ProgramPane pane(corvia::kViewBasePolyhedron, kWidth, kHeight);
  if (!pane.Shown()) {
    state.SkipWithError(pane.Error().c_str());
    return;
  }
  corvia::CPolyDoc& doc = pane.Doc();
  const bool cube = which == LargeModel::Cube204;
  std::unique_ptr<corvia::SimplePoly> model;
  if (doc.SetModel(corvia::GetLibraryEntry(cube ? 1 : corvia::bench::kLibraryIcosahedron), false, false))
    model = doc.GetCurrentPoly()->Subdivide(cube ? 0 : corvia::kSubdivideGeodesic, cube ? 204 : 150);
  if (!pane.Enter(std::move(model))) {
    state.SkipWithError("the model did not build");
    return;
  }
  corvia::Poly* poly = doc.GetCurrentPoly();
  double asked = 0.0, idle = 0.0, kept = 0.0;
  for (auto _ : state) {
    // The colours made as the idle work makes them, then the paints that show them.
    poly->mPolyFlags |= corvia::kPolyFlagCellColoursStale;
    poly->UpdateCellColours();
    auto start = std::chrono::steady_clock::now();
    pane.Paint();
    double shown = Seconds(std::chrono::steady_clock::now() - start);
    if (corvia::HasDeferredFaceMeshes()) {
      asked += shown;
      start = std::chrono::steady_clock::now();
      corvia::MakeDeferredFaceMeshes();
      idle += Seconds(std::chrono::steady_clock::now() - start);
      start = std::chrono::steady_clock::now();
      pane.Paint();
      shown = Seconds(std::chrono::steady_clock::now() - start);
    }
    state.SetIterationTime(shown);
    start = std::chrono::steady_clock::now();
    pane.Paint();
    kept += Seconds(std::chrono::steady_clock::now() - start);
  }
  const double frames = static_cast<double>(state.iterations());
  state.counters["faces"] = poly->mFaces.mCount;
  state.counters["asked_ms"] = 1000.0 * asked / frames;
  state.counters["idle_ms"] = 1000.0 * idle / frames;
  state.counters["kept_ms"] = 1000.0 * kept / frames;
}

void BM_Cube204FirstPaint(benchmark::State& state) {
  FirstPaint(state, LargeModel::Cube204);
}
void BM_Sphere150FirstPaint(benchmark::State& state) {
  FirstPaint(state, LargeModel::Sphere150);
}

BENCHMARK(BM_GeodesicSphere30Opaque)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_GeodesicSphere30Translucent)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_GeodesicSphere60Opaque)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_GeodesicSphere60Translucent)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_TranslucentRuns18000)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_TranslucentRuns72000)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_DepthSort100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TorusDualStellationPaneWaiting)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_Sphere60StellationPaneWaiting)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_Cube204FirstPaint)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(BM_Sphere150FirstPaint)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

}  // namespace
