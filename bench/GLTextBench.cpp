// Text in the panes, off screen (Mesa's software renderer here): opening a font
// (every glyph of the set made and its texture mipmapped once), a frame of 500
// marked-up labels facing the viewer in an 800 x 600 pane, and the layout alone of
// a long marked-up paragraph with wrapped and centred lines.
#include <benchmark/benchmark.h>

#include <functional>
#include <memory>
#include <string>

#include "core/HtmlText.h"
#include "render/GL.h"
#include "render/GLFont.h"
#include "render/GLSection.h"
#include "render/GLText.h"
#include "render/OffscreenViewWindow.h"
#include "render/OpenGLView.h"

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr int kLabels = 500;

class TextView : public corvia::OpenGLView {
 public:
  std::function<void()> scene;
  void ScenePass() override {
    if (scene) scene();
  }
};

struct Pane {
  std::unique_ptr<corvia::OffscreenViewWindow> window;
  TextView view;
  bool Open(benchmark::State& state) {
    std::string error;
    window = corvia::OffscreenViewWindow::Create(kWidth, kHeight, &error);
    if (!window) {
      state.SkipWithError(error.c_str());
      return false;
    }
    window->Show(&view);
    view.Camera().SetOrthogonal(true);
    return true;
  }
  ~Pane() {
    if (window && corvia::PreOpenGL(&view)) {
      corvia::FreeAllFonts();
      corvia::PostOpenGL(&view);
    }
    if (window) window->Close();
  }
};

void BM_OpenFont(benchmark::State& state) {
  Pane pane;
  if (!pane.Open(state) || !corvia::PreOpenGL(&pane.view)) return;
  for (auto _ : state) {
    corvia::GLFont font;
    if (!font.Load(corvia::kFontMipmapTexture, 1.0f, 0.0f, corvia::kDefaultFontResolution, "Fonts", "Arial", "Arial",
                   nullptr, nullptr, nullptr)) {
      state.SkipWithError("Arial did not load");
      break;
    }
    glFinish();
  }
  corvia::PostOpenGL(&pane.view);
}

void BM_FrameOfLabels(benchmark::State& state) {
  Pane pane;
  if (!pane.Open(state)) return;
  pane.view.scene = [] {
    for (int i = 0; i < kLabels; ++i) {
      const double at[3] = {-0.9 + 1.8 * (i % 25) / 25.0, -0.9 + 1.8 * (i / 25) / 20.0, 0.0};
      corvia::DrawGLText(corvia::kTextAnchorCentre, at, 0.05, -1.0, i % 2 ? "<b>F12</b>" : "<color=yellow>E7</font>", 0,
                         nullptr, nullptr, nullptr, nullptr, nullptr);
    }
  };
  pane.window->Paint();  // the font is opened by the first frame
  for (auto _ : state) {
    pane.window->Paint();
    glFinish();
  }
  state.counters["labels/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * kLabels, benchmark::Counter::kIsRate);
}

void BM_LayOutParagraph(benchmark::State& state) {
  Pane pane;
  if (!pane.Open(state) || !corvia::PreOpenGL(&pane.view)) return;
  std::string text;
  for (int i = 0; i < 40; ++i) {
    text += "<center>Face <b>" + std::to_string(i) + "</b> of the <i>stellation</i>, <color=#ff8000>area</font> " +
            "1.25 &deg; <a href=\"x\">more</a><br>";
  }
  float pen[3] = {0, 0, 0};
  for (auto _ : state) {
    float boxMin[2] = {1e30f, 1e30f}, boxMax[2] = {-1e30f, -1e30f};
    pen[0] = pen[1] = 0.0f;
    benchmark::DoNotOptimize(
        corvia::GLFont::DrawHtml(pen, 0.1f, 1.5f, text.c_str(), corvia::kTextMeasureOnly, boxMin, boxMax, -1, 0));
  }
  state.counters["bytes/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * text.size(), benchmark::Counter::kIsRate);
  corvia::PostOpenGL(&pane.view);
}

BENCHMARK(BM_OpenFont)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FrameOfLabels)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LayOutParagraph)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace
