// Frames per second of a pane at 1280 x 1024 drawing a lit mesh of 20,000
// triangles off screen (Mesa's software renderer here): the whole drawing cycle of
// a paint, from clearing to glFinish.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include "render/GL.h"
#include "render/OffscreenViewWindow.h"
#include "render/OpenGLView.h"

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 1024;
// A torus of 100 x 100 quads: 20,000 triangles.
constexpr int kRings = 100;
constexpr int kSides = 100;

struct Vertex {
  float position[3];
  float normal[3];
};

std::vector<Vertex> TorusTriangles() {
  auto at = [](int i, int j) {
    const double u = 2 * M_PI * i / kRings, v = 2 * M_PI * j / kSides;
    const double R = 0.7, r = 0.3;
    Vertex vertex;
    const double n[3] = {std::cos(u) * std::cos(v), std::sin(u) * std::cos(v), std::sin(v)};
    for (int k = 0; k < 3; ++k) vertex.normal[k] = static_cast<float>(n[k]);
    vertex.position[0] = static_cast<float>((R + r * std::cos(v)) * std::cos(u));
    vertex.position[1] = static_cast<float>((R + r * std::cos(v)) * std::sin(u));
    vertex.position[2] = static_cast<float>(r * std::sin(v));
    return vertex;
  };
  std::vector<Vertex> triangles;
  for (int i = 0; i < kRings; ++i) {
    for (int j = 0; j < kSides; ++j) {
      const Vertex a = at(i, j), b = at(i + 1, j), c = at(i + 1, j + 1), d = at(i, j + 1);
      for (const Vertex& v : {a, b, c, a, c, d}) triangles.push_back(v);
    }
  }
  return triangles;
}

class MeshView : public corvia::OpenGLView {
public:
  explicit MeshView(bool immediate) : mImmediate(immediate), mMesh(TorusTriangles()) {}
  void ScenePass() override {
    Materials().SetMaterialColorRGB(0.9f, 0.6f, 0.3f);
    if (mImmediate) {
      glBegin(GL_TRIANGLES);
      for (const Vertex& v : mMesh) {
        glNormal3fv(v.normal);
        glVertex3fv(v.position);
      }
      glEnd();
      return;
    }
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glVertexPointer(3, GL_FLOAT, sizeof(Vertex), mMesh.data()->position);
    glNormalPointer(GL_FLOAT, sizeof(Vertex), mMesh.data()->normal);
    glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(mMesh.size()));
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
  }
  size_t Triangles() const { return mMesh.size() / 3; }

private:
  bool mImmediate;
  std::vector<Vertex> mMesh;
};

void DrawFrames(benchmark::State& state, bool immediate) {
  std::string error;
  auto window = corvia::OffscreenViewWindow::Create(kWidth, kHeight, &error);
  if (!window) {
    state.SkipWithError(error.c_str());
    return;
  }
  MeshView view(immediate);
  window->Show(&view);
  const double axis[3] = {1, 0.4, 0};
  view.Camera().RotateCamera(axis, 50);
  view.Camera().OrthonormalizeCamera();
  for (auto _ : state) {
    // Turning a little each frame, as a throw would.
    const double up[3] = {0, 1, 0};
    view.Camera().RotateCamera(up, 1);
    window->Paint();
  }
  state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["triangles"] = static_cast<double>(view.Triangles());
  window->Close();
}

void BM_LitMeshVertexArrays(benchmark::State& state) { DrawFrames(state, false); }
void BM_LitMeshImmediateMode(benchmark::State& state) { DrawFrames(state, true); }

BENCHMARK(BM_LitMeshVertexArrays)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LitMeshImmediateMode)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
