#pragma once
// GL sections: every piece of GL code runs between PreOpenGL and PostOpenGL. The
// outermost call for a view makes the shared context current on the view's target
// and puts the view's GL state back when another view used the context last;
// nested calls for the same view only count. A nested call for another view makes
// that view's target current and the previous one current again when it closes.
//
// Message boxes close every open section around their modal loop and reopen them
// afterwards (SuspendOpenGL / ResumeOpenGL through the core's suspend hook), so a
// box shown while drawing leaves the sections as they were.

#include <thread>
#include <vector>

namespace corvia {

class GLTarget;
class OpenGLView;
class PrintPage;

// What the GL implementation offers, detected once when the first context is made
// current.
struct GLAbilities {
  bool detected = false;
  int versionMajor = 0;
  int versionMinor = 0;
  bool intel = false;
  unsigned textureWrapMode = 0;  // GL_CLAMP_TO_EDGE or GL_CLAMP
  bool separateSpecular = false;
  int textureUnits = 1;
  bool framebufferObjects = false;
  bool vertexBuffers = false;  // OpenGL 1.5: what the model drawing keeps between frames
  bool stencil = false;
  int stencilBits = 0;
  int depthBits = 0;
  // glPolygonOffset(0, polygonOffset) with GL_LEQUAL; depthFactor = 1 / 2^(24 - bits).
  int polygonOffset = 200;
  double depthFactor = 1.0;
  int maxLights = 8;
};

const GLAbilities& GetGLAbilities();
// Reads the abilities of the current context; only the first call does anything.
void DetectGLAbilities();
// The polygon offset for a depth buffer of the given bits.
int PolygonOffsetForDepthBits(int bits);
// Keeps the lesser precision after measuring the depth buffer of the first draw.
void SetMeasuredDepthBits(int bits);
// A cap on the tiles of off-screen rendering (0: none), lowering the renderbuffer
// limit for every view as that limit holds for all: tests set it to make small tiles.
void SetOffscreenTileCap(int pixels);
int GetOffscreenTileCap();

// The draw under way on the drawing thread. Drawing is on one thread, one pane at a
// time, so this holds whichever frame or pane is drawn.
struct DrawingThreadPaint {
  // A draw is under way: a draw reached from inside it (a box's event loop) is skipped.
  bool drawing = false;
  // The depth buffer's real precision was measured, by the first draw of the process:
  // all panes share one context and its visual, so once is enough.
  bool depthMeasured = false;
  // A paint ran out of memory and it was told; no paint has gone through since.
  bool memoryFailureTold = false;
  // The page being printed (render/PrintPage.h); null while none is.
  PrintPage* page = nullptr;
};
DrawingThreadPaint& GetDrawingThreadPaint();

// Opens a section for the view on the target (null: the view's own, a bitmap while
// it renders off screen, else its window). False, with nothing opened, when the
// context cannot be made current.
bool PreOpenGL(OpenGLView* view, GLTarget* target = nullptr);
// Closes the innermost section, which must be the view's.
void PostOpenGL(OpenGLView* view);
// Drops the sections of a view that is going away, open or suspended.
void ForgetViewSections(OpenGLView* view);
// Sections open now (all views).
int GetOpenGLNesting();
// The thread that opened the outermost section.
std::thread::id GetOpenGLThread();
// Counts the outermost sections opened so far (a paint opens one): what is checked
// once per paint compares it.
unsigned GetOpenGLSectionSerial();
// The GL context the innermost open section draws with (GLTarget::ContextKey);
// null outside any section. Textures and the fonts made of them belong to it.
const void* GetCurrentGLContextKey();
// While the owner of a context releases its state (GLContextState::Release), having
// made it current with no view to open a section for, that context is the current one
// (null: the sections decide again). Returns the key set before.
const void* SetReleasingGLContextKey(const void* key);

// Opens a section for its lifetime.
class GLSection {
public:
  explicit GLSection(OpenGLView* view, GLTarget* target = nullptr) : mView(view), mOpen(PreOpenGL(view, target)) {}
  ~GLSection() {
    if (mOpen) PostOpenGL(mView);
  }
  GLSection(const GLSection&) = delete;
  GLSection& operator=(const GLSection&) = delete;
  bool IsOpen() const { return mOpen; }

private:
  OpenGLView* mView;
  bool mOpen;
};

struct SuspendedOpenGL {
  struct Level {
    OpenGLView* view = nullptr;
    GLTarget* target = nullptr;
    int depth = 0;
  };
  std::vector<Level> levels;  // outermost first
  std::thread::id thread;
};

// Closes every open section (only on the thread that opened them), keeping them in
// the record; with nothing open and redrawAll, paints the marked views first.
void SuspendOpenGL(SuspendedOpenGL& record, bool redrawAll);
// Reopens what the record holds and marks the view for repaint, keeping its
// message; with nothing held and redrawAll, marks every view.
void ResumeOpenGL(SuspendedOpenGL& record, bool redrawAll);

// Installs the core's suspend hook, so that message boxes close the sections, as part
// of InstallRenderHooks (render/RenderHooks.h); doing it again changes nothing.
void InstallOpenGLMessageHook();

}  // namespace corvia
