// A pane of the running program turned by pointer drags, as a user turns a large model:
// the program starts (in a child process, on a virtual display: an Xvfb of its own when
// none is given) with a home of its own, takes the one-pane layout, opens a model file
// of the geodesic sphere of 18,000 or 72,000 faces (every face at opacity 0.6 for the
// translucent cases) and lets its idle work finish; then the pointer presses on the
// pane and moves every 10 ms, back and forth, and is released. The moves come from a
// timer and reach the pane as the display's pointer events, while the program waits
// for events in an event loop of its own, as its main loop does. Between drags a window
// of the pane's size, dragged the same way, draws the same triangles from one vertex
// buffer in one call with one light (opaque: with the back faces culled, which the
// picture of the closed sphere cannot show; translucent: blended, in one back-to-front
// order), turning a degree a pointer move: that is the reference.
// Processor time of the whole process (the renderer's threads included) a frame
// swapped: "ratio" is the program's over the reference's, the median of the drags;
// "kept" the share of the frames after each drag's first that drew the model from what
// the pane keeps; "afresh" the frames drawn afresh a drag; "afresh_ms" the processor
// time of the frame after every face has been given a new colour (drawn afresh, from
// its recording), "afresh_ratio" that over a kept frame's. With CORVIA_BENCH_BRIEF a
// small sphere and short drags.
#include <benchmark/benchmark.h>
#include <unistd.h>
#include <wx/app.h>
#include <wx/dcclient.h>
#include <wx/evtloop.h>
#include <wx/frame.h>
#include <wx/glcanvas.h>
#include <wx/timer.h>
#include <wx/uiaction.h>
#include <wx/utils.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/PolyApp.h"
#include "app/PolyDoc.h"
#include "app/PolyView.h"
#include "app/WindowServices.h"
#include "bench/BenchModels.h"
#include "bench/support/ProgramChild.h"
#include "bench/support/ReferenceTriangles.h"
#include "bench/support/VirtualDisplay.h"
#include "files/ModelFile.h"
#include "model/ColorSchemes.h"
#include "model/Globals.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "platform/Clock.h"
#include "render/GL.h"
#include "render/MouseThrow.h"
#include "render/NewView.h"
#include "ui/CommandIds.h"
#include "ui/CommandTable.h"
#include "ui/PaneWindow.h"

namespace {

using corvia::platform::ProcessSeconds;

constexpr const char* kChildFlag = "--drag-child";
// The child gives up after this long.
constexpr int kChildTimeoutSeconds = 900;
constexpr int kMoveMilliseconds = 10;

bool Brief() {
  return std::getenv("CORVIA_BENCH_BRIEF") != nullptr;
}

// What one child reports.
struct Figures {
  double ratio = 0.0;        // median over the drags
  double programMs = 0.0;    // processor time a frame, median
  double referenceMs = 0.0;  // the same for the reference
  double frames = 0.0;       // frames a drag
  double kept = 0.0;         // kept frames after the first over frames after the first
  double afresh = 0.0;       // frames drawn afresh a drag
  double afreshMs = 0.0;     // processor time of a frame drawn afresh after a change of colour
  int faces = 0;
};

double Median(std::vector<double> v) {
  if (v.empty()) return 0.0;
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n % 2 ? v[n / 2] : 0.5 * (v[n / 2 - 1] + v[n / 2]);
}

// ---- The child: the program, its drags and the reference -----------------------------------

void YieldFor(double seconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  do {
    wxTheApp->Yield(true);
    wxMilliSleep(1);
  } while (std::chrono::steady_clock::now() < end);
}

// Runs an event loop of its own for the time given: the process sleeps until an event,
// a timer or idle work wakes it, as in the program's main loop.
void WaitOnEvents(double seconds) {
  wxGUIEventLoop loop;
  wxTimer end;
  end.Bind(wxEVT_TIMER, [&loop](wxTimerEvent&) { loop.ScheduleExit(); });
  end.StartOnce(std::max(1, static_cast<int>(std::lround(1000.0 * seconds))));
  loop.Run();
}

bool YieldUntil(const std::function<bool()>& done, double seconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    wxTheApp->Yield(true);
    wxMilliSleep(5);
  }
  return true;
}

// The same triangles from one vertex buffer, in a window of its own.
class ReferenceCanvas final : public wxGLCanvas {
 public:
  ReferenceCanvas(wxWindow* parent, const std::vector<corvia::KeptVertex>& vertices, double radius, bool blended)
      : wxGLCanvas(parent, wxID_ANY, kAttributes),
        mContext(this),
        mVertices(vertices),
        mRadius(radius),
        mBlended(blended) {
    Bind(wxEVT_PAINT, &ReferenceCanvas::OnPaint, this);
    Bind(wxEVT_MOTION, [this](wxMouseEvent& event) {
      if (!event.LeftIsDown()) return;
      angle += 1.0;
      Refresh(false);
    });
  }
  ~ReferenceCanvas() override {
    if (mBuffer && SetCurrent(mContext)) glDeleteBuffers(1, &mBuffer);
  }
  int frames = 0;
  double angle = 0.0;

 private:
  static constexpr int kAttributes[] = {WX_GL_RGBA, WX_GL_DOUBLEBUFFER, WX_GL_DEPTH_SIZE, 24, 0};

  void OnPaint(wxPaintEvent&) {
    wxPaintDC dc(this);
    if (!SetCurrent(mContext)) return;
    const wxSize size = GetClientSize();
    if (!mBuffer) {
      glGenBuffers(1, &mBuffer);
      glBindBuffer(GL_ARRAY_BUFFER, mBuffer);
      glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(mVertices.size() * sizeof(corvia::KeptVertex)),
                   mVertices.data(), GL_STATIC_DRAW);
      glBindBuffer(GL_ARRAY_BUFFER, 0);
    }
    glViewport(0, 0, size.x, size.y);
    glClearColor(0.5f, 0.5f, 0.5f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    const double aspect = size.y > 0 ? static_cast<double>(size.x) / size.y : 1.0;
    glFrustum(-0.2 * aspect, 0.2 * aspect, -0.2, 0.2, 1.0, 10.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslated(0.0, 0.0, -5.0);
    glRotated(angle, 0.0, 1.0, 0.0);
    glScaled(0.9 / mRadius, 0.9 / mRadius, 0.9 / mRadius);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    glEnable(GL_COLOR_MATERIAL);
    if (mBlended) {
      glEnable(GL_BLEND);
      glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    } else {
      glEnable(GL_CULL_FACE);
      glCullFace(GL_BACK);
    }
    glBindBuffer(GL_ARRAY_BUFFER, mBuffer);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glVertexPointer(3, GL_FLOAT, sizeof(corvia::KeptVertex),
                    reinterpret_cast<const void*>(offsetof(corvia::KeptVertex, position)));
    glNormalPointer(GL_FLOAT, sizeof(corvia::KeptVertex),
                    reinterpret_cast<const void*>(offsetof(corvia::KeptVertex, normal)));
    glColorPointer(4, GL_FLOAT, sizeof(corvia::KeptVertex),
                   reinterpret_cast<const void*>(offsetof(corvia::KeptVertex, colour)));
    glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(mVertices.size()));
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glDisable(GL_BLEND);
    glDisable(GL_CULL_FACE);
    glFinish();
    SwapBuffers();
    ++frames;
  }

  wxGLContext mContext;
  const std::vector<corvia::KeptVertex>& mVertices;
  double mRadius;
  bool mBlended;
  GLuint mBuffer = 0;
};

struct DragResult {
  double secondsAFrame = 0.0;
  unsigned frames = 0;
  unsigned afresh = 0;
  unsigned keptAfterFirst = 0;
};

// Presses on the window, moves the pointer every 10 ms back and forth, four pixels a
// move, and releases; the moves come from a timer while an event loop waits for events.
// `afterMove` is told after each move. Returns the processor time from the press to a
// tenth of a second after the release.
double DragSeconds(wxWindow* window, int moves, const std::function<void()>& afterMove) {
  wxUIActionSimulator mouse;
  const wxPoint centre = window->GetScreenPosition() + window->GetClientSize() / 2;
  const int reach = std::max(20, window->GetClientSize().x / 4);
  mouse.MouseMove(centre);
  YieldUntil([&] { return wxGetMousePosition() == centre; }, 5.0);
  WaitOnEvents(0.2);
  const double start = ProcessSeconds();
  mouse.MouseDown();
  wxGUIEventLoop loop;
  wxTimer timer;
  int i = 0;
  timer.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
    if (i >= moves) return;
    ++i;
    // Out to one side and the other.
    const int phase = (4 * i) % (4 * reach);
    const int dx = phase < reach ? phase : phase < 3 * reach ? 2 * reach - phase : phase - 4 * reach;
    mouse.MouseMove(centre + wxPoint(dx, dx / 4));
    afterMove();
    if (i == moves) {
      timer.Stop();
      loop.ScheduleExit();
    }
  });
  timer.Start(kMoveMilliseconds);
  loop.Run();
  mouse.MouseUp();
  WaitOnEvents(0.1);
  return ProcessSeconds() - start;
}

// Processor time a frame of the reference, dragged as the pane is.
double ReferenceSecondsAFrame(wxWindow* pane, const corvia::Poly& poly, bool translucent, int moves) {
  double radius = 0.0;
  for (const corvia::PolyElement* v = poly.mVertices.mHead; v; v = v->mNext)
    radius = std::max(radius, std::sqrt(corvia::Dot(v->mDualVert, v->mDualVert)));
  const double eye[3] = {0.0, 0.0, 5.0 * std::max(radius, 1e-9) / 0.9};
  const std::vector<corvia::KeptVertex> vertices = corvia::bench::ReferenceTriangles(poly, eye, translucent);
  auto* frame = new wxFrame(nullptr, wxID_ANY, "Reference", pane->GetScreenPosition(), wxDefaultSize);
  auto* canvas = new ReferenceCanvas(frame, vertices, std::max(radius, 1e-9), translucent);
  frame->SetClientSize(pane->GetClientSize());
  frame->Show();
  YieldUntil([&] { return canvas->IsShownOnScreen() && canvas->frames > 0; }, 10.0);
  WaitOnEvents(0.1);
  const int before = canvas->frames;
  const double seconds = DragSeconds(canvas, moves, [] {});
  const int drawn = canvas->frames - before;
  frame->Destroy();
  YieldFor(0.1);
  return drawn > 0 ? seconds / drawn : 0.0;
}

// Drags the pane.
DragResult Drag(corvia::CPolyView* pane, wxWindow* canvas, int moves) {
  DragResult result;
  const corvia::ViewFrames::Counts before = pane->Frames().GetFrameCounts();
  unsigned firstFrame = 0;
  const double seconds = DragSeconds(canvas, moves, [&] {
    if (firstFrame == 0 && pane->Frames().GetFrameCounts().swapped > before.swapped)
      firstFrame = pane->Frames().GetFrameCounts().afresh - before.afresh;
  });
  const corvia::ViewFrames::Counts after = pane->Frames().GetFrameCounts();
  YieldUntil([] { return corvia::NewView::GetMouseButtonsHeld() == 0; }, 5.0);
  result.frames = after.swapped - before.swapped;
  result.afresh = after.afresh - before.afresh;
  result.keptAfterFirst = result.frames - result.afresh - (firstFrame > 0 ? 0u : 1u);
  if (result.frames > 0) result.secondsAFrame = seconds / result.frames;
  return result;
}

int RunChild(wxFrame* main, int frequency, bool translucent, int drags, int moves, int reportFd) {
  if (!main) return 1;
  YieldUntil([&] { return main->IsShownOnScreen() && corvia::CountPanes() >= 1; }, 30.0);
  corvia::SetMouseInertiaAllowed(false);
  // The one-pane layout.
  wxCommandEvent layout(wxEVT_MENU, corvia::ToWxId(corvia::kCmdLayout1));
  layout.SetEventObject(main);
  main->ProcessWindowEvent(layout);
  YieldUntil([] { return corvia::CountPanes() == 1; }, 10.0);
  // The model file, opened as File > Open opens the file chosen.
  std::unique_ptr<corvia::Poly> sphere = corvia::bench::GeodesicSphere(frequency);
  if (!sphere) return 2;
  if (translucent)
    for (corvia::PolyElement* f = sphere->mFaces.mHead; f; f = f->mNext) f->SetOpacity(0.6f);
  const std::filesystem::path file =
      std::filesystem::temp_directory_path() / ("corvia-drag-" + std::to_string(getpid()) + ".corv");
  if (!corvia::WriteModelFile(file.c_str(), corvia::kModelFileBinary, *sphere)) return 3;
  sphere.reset();
  corvia::CPolyDoc* document = corvia::CPolyApp::Get().GetDoc();
  if (!document || !document->OnOpenDocument(file.c_str())) return 4;
  std::filesystem::remove(file);
  // What the program does when idle after opening, done before the drags.
  YieldUntil([] { return !corvia::CPolyApp::Get().DoIdleWork(-1.0); }, 600.0);
  YieldFor(0.5);
  corvia::CPolyView* pane = corvia::GetPane(0);
  corvia::Poly* poly = corvia::GetCurrentPoly();
  if (!pane || !poly) return 5;
  auto* paneWindow = static_cast<corvia::PaneWindow*>(pane->GetWindow());
  wxWindow* canvas = paneWindow->GetCanvas();
  std::vector<double> ratios, program, reference, frames, kept, afresh;
  for (int d = 0; d < drags; ++d) {
    const DragResult drag = Drag(pane, canvas, moves);
    const double ref = ReferenceSecondsAFrame(canvas, *poly, translucent, moves);
    if (drag.frames == 0 || ref <= 0.0) return 6;
    ratios.push_back(drag.secondsAFrame / ref);
    program.push_back(1000.0 * drag.secondsAFrame);
    reference.push_back(1000.0 * ref);
    frames.push_back(drag.frames);
    kept.push_back(drag.frames > 1 ? static_cast<double>(drag.keptAfterFirst) / (drag.frames - 1) : 1.0);
    afresh.push_back(drag.afresh);
  }
  // Frames drawn afresh: every face a new colour, then one paint.
  std::vector<double> fresh;
  for (int i = 0; i < 3; ++i) {
    const float colour[3] = {0.2f + 0.3f * static_cast<float>(i), 0.8f, 0.3f};
    for (corvia::PolyElement* f = poly->mFaces.mHead; f; f = f->mNext) f->SetColour(colour);
    poly->mPolyFlags |= corvia::kPolyFlagCellColoursStale;
    const corvia::ViewFrames::Counts before = pane->Frames().GetFrameCounts();
    const double start = ProcessSeconds();
    pane->Invalidate(true);
    pane->UpdateNow();
    const double seconds = ProcessSeconds() - start;
    if (pane->Frames().GetFrameCounts().afresh != before.afresh + 1) return 7;
    fresh.push_back(1000.0 * seconds);
  }
  dprintf(reportFd, "%.6f %.6f %.6f %.3f %.6f %.3f %.6f %d\n", Median(ratios), Median(program), Median(reference),
          Median(frames), *std::min_element(kept.begin(), kept.end()), Median(afresh), Median(fresh),
          poly->mFaces.mCount);
  return 0;
}

int RunChildProcess(char** argv) {
  alarm(kChildTimeoutSeconds);
  const int frequency = std::atoi(argv[2]);
  const bool translucent = std::atoi(argv[3]) != 0;
  const int drags = std::atoi(argv[4]);
  const int moves = std::atoi(argv[5]);
  const int fd = std::atoi(argv[6]);
  return corvia::bench::RunProgramChild(argv[0], [=](wxFrame* main) {
    return RunChild(main, frequency, translucent, drags, moves, fd);
  });
}

// ---- The benchmark --------------------------------------------------------------------------

bool RunOne(const std::string& self, int frequency, bool translucent, int drags, int moves, Figures& figures) {
  int fds[2];
  if (pipe(fds) != 0) return false;
  const pid_t child = fork();
  if (child == 0) {
    close(fds[0]);
    const std::string args[] = {std::to_string(frequency), translucent ? "1" : "0", std::to_string(drags),
                                std::to_string(moves), std::to_string(fds[1])};
    execl(self.c_str(), self.c_str(), kChildFlag, args[0].c_str(), args[1].c_str(), args[2].c_str(), args[3].c_str(),
          args[4].c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  char line[256] = {};
  size_t got = 0;
  for (ssize_t n; got + 1 < sizeof line && (n = read(fds[0], line + got, sizeof line - 1 - got)) > 0;)
    got += static_cast<size_t>(n);
  close(fds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  if (got == 0) return false;
  return std::sscanf(line, "%lf %lf %lf %lf %lf %lf %lf %d", &figures.ratio, &figures.programMs, &figures.referenceMs,
                     &figures.frames, &figures.kept, &figures.afresh, &figures.afreshMs, &figures.faces) == 8;
}

void DragPane(benchmark::State& state, int frequency, bool translucent) {
  if (!corvia::bench::EnsureDisplay()) {
    state.SkipWithError("no display and no Xvfb");
    return;
  }
  const std::filesystem::path home = corvia::bench::UseScratchHome("corvia-drag-home");
  const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  const bool brief = Brief();
  std::vector<double> ratios, kept, program, reference, afresh, frames, afreshMs;
  int faces = 0;
  for (auto _ : state) {
    Figures figures;
    if (!RunOne(self, brief ? 5 : frequency, translucent, brief ? 1 : 3, brief ? 20 : 300, figures)) {
      state.SkipWithError("the program did not report");
      break;
    }
    state.SetIterationTime(figures.programMs / 1000.0);
    ratios.push_back(figures.ratio);
    kept.push_back(figures.kept);
    program.push_back(figures.programMs);
    reference.push_back(figures.referenceMs);
    afresh.push_back(figures.afresh);
    frames.push_back(figures.frames);
    afreshMs.push_back(figures.afreshMs);
    faces = figures.faces;
  }
  std::filesystem::remove_all(home);
  if (ratios.empty()) return;
  state.counters["ratio"] = Median(ratios);
  state.counters["program_ms"] = Median(program);
  state.counters["reference_ms"] = Median(reference);
  state.counters["frames"] = Median(frames);
  state.counters["kept"] = *std::min_element(kept.begin(), kept.end());
  state.counters["afresh"] = Median(afresh);
  state.counters["afresh_ms"] = Median(afreshMs);
  state.counters["afresh_ratio"] = Median(afreshMs) / Median(program);
  state.counters["faces"] = faces;
}

// The spheres of 18,000 and 72,000 faces (frequencies 30 and 60), opaque and translucent.
[[maybe_unused]] const bool kRegistered = [] {
  for (int frequency : {30, 60}) {
    for (bool translucent : {false, true}) {
      const std::string name = "DragPane/" + std::to_string(20 * frequency * frequency) + "_faces_" +
                               (translucent ? "translucent" : "opaque");
      benchmark::RegisterBenchmark(
          name.c_str(), [frequency, translucent](benchmark::State& state) { DragPane(state, frequency, translucent); })
          ->UseManualTime()
          ->Unit(benchmark::kMillisecond)
          ->Iterations(1);
    }
  }
  return true;
}();

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 7 && std::strcmp(argv[1], kChildFlag) == 0) return RunChildProcess(argv);
  return corvia::bench::RunBenchmarksOnDisplay(argc, argv);
}
