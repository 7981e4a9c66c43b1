// The model drawing at work, off screen at 1280 x 1024 (Mesa's software renderer
// here): the frequency-30 and frequency-60 geodesic spheres (18,000 and 72,000 faces),
// opaque and translucent, turning a little each frame as a throw turns them. Each frame
// of the program's drawing is followed, in the same context and at the same camera, by a
// frame of the reference: the same triangles with the same normals and colours drawn
// from one vertex buffer in one call with the same lighting (translucent: blended, in
// one back-to-front order). That is what the renderer can do for this picture; the
// counter "ratio" is the program's time a frame over the reference's. Also the depth
// sort of 100,000 queued triangles on its own.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchModels.h"
#include "bench/support/ReferenceTriangles.h"
#include "construction/Library.h"
#include "core/VectorMath.h"
#include "model/ColorSchemes.h"
#include "model/LibraryEntry.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "render/DepthSortedTriangles.h"
#include "render/FaceMeshCache.h"
#include "render/GL.h"
#include "render/GLBuffer.h"
#include "render/KeptTriangles.h"
#include "render/ModelDrawing.h"
#include "render/OffscreenViewWindow.h"
#include "render/OpenGLView.h"

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
    std::vector<Vertex> vertices = corvia::bench::ReferenceTriangles(*mPoly, GetPerEyePosition(), translucent);
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
  view.ViewSphere(nullptr, 1.0);
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
    view.RotateCamera(up, 1);
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

// 100,000 translucent triangles scattered in a ball, queued once and sorted from an eye
// that moves a little each time.
void BM_DepthSort100000(benchmark::State& state) {
  constexpr int kTriangles = 100000;
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

BENCHMARK(BM_GeodesicSphere30Opaque)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_GeodesicSphere30Translucent)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_GeodesicSphere60Opaque)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_GeodesicSphere60Translucent)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_DepthSort100000)->Unit(benchmark::kMillisecond);

}  // namespace
