// OpenGLView: context, GL state and the drawing cycle.

#include "render/OpenGLView.h"

#include <algorithm>

#include "core/Messages.h"
#include "core/OperationGuard.h"
#include "platform/Services.h"
#include "render/BitmapFont.h"
#include "render/GL.h"
#include "render/GLBitmapRender.h"
#include "render/GLErrors.h"
#include "render/FaceMeshCache.h"
#include "render/GLContextState.h"
#include "render/FlatNetMesh.h"
#include "render/NetTexts.h"
#include "render/PairLineLayer.h"
#include "render/GLSection.h"
#include "render/LightSets.h"
#include "render/RenderHooks.h"
#include "render/ViewGroup.h"
#include "render/ViewMotions.h"
#include "render/ViewThrows.h"
#include "render/ViewWindow.h"

namespace corvia {

namespace detail_OpenGLView {

// A view going away, or giving up its context, holds the state of no context.
void ForgetStateOwner(const OpenGLView* view) {
  for (GLContextState* state = GetFirstGLContextState(); state; state = state->Next()) {
    if (state->stateOwner == view) state->stateOwner = nullptr;
  }
}

// The optional message about shallow colour.
constexpr uint32_t kColorDepthMessageBit = 0x1;
constexpr unsigned kColorDepthMessageFlags = kMessageFlagWarningIcon;
constexpr const char* kColorDepthWarning =
    "WARNING: Your display is set to use only %d-bit color.\nThis setting also adversely affects the resolution "
    "of\nthe \"Z-buffer\", which may cause artefacts in the\ndisplay.  We suggest you increase this setting.\n\n"
    "Right-click on your screen background and select\n'Properties' from the menu, then select the 'Settings' "
    "tab.\nYou should be able to set the number of colors there.\nYou should select 24 or 32 bits (at least 16 "
    "million colors).";

// Test values of the depth measurement: the first that reads back as 0 gives the
// precision.
struct DepthProbe {
  GLuint value;
  int bits;
};
constexpr DepthProbe kDepthProbes[] = {{0x100000u, 8}, {0x1000u, 16}, {0x10u, 24}};

// Writes single depth values at the window origin and reads them back to find how
// many bits the depth buffer really resolves.
int MeasureDepthBits(int width, int height) {
  glPushAttrib(GL_ENABLE_BIT | GL_DEPTH_BUFFER_BIT | GL_COLOR_BUFFER_BIT | GL_VIEWPORT_BIT);
  glViewport(0, 0, std::max(width, 1), std::max(height, 1));
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(0, std::max(width, 1), 0, std::max(height, 1), -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glDisable(GL_LIGHTING);
  glDisable(GL_STENCIL_TEST);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_ALWAYS);
  glDepthMask(GL_TRUE);
  glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glRasterPos2i(0, 0);
  int bits = 32;
  for (const DepthProbe& probe : kDepthProbes) {
    GLuint value = probe.value;
    glDrawPixels(1, 1, GL_DEPTH_COMPONENT, GL_UNSIGNED_INT, &value);
    GLuint back = 0;
    glReadPixels(0, 0, 1, 1, GL_DEPTH_COMPONENT, GL_UNSIGNED_INT, &back);
    if (back == 0) {
      bits = probe.bits;
      break;
    }
  }
  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopAttrib();
  return bits;
}

}  // namespace detail_OpenGLView

float GetDrawLineWidth(const ViewGroup& group) { return group.options.lineWidth; }
void SetDrawLineWidth(ViewGroup& group, float width) { group.options.lineWidth = width; }
float GetDrawPointSize(const ViewGroup& group) { return group.options.pointSize; }

OpenGLView::OpenGLView() {
  // From the first pane on, message boxes close its GL sections, face images have
  // pictures and the progress code knows when a view draws, with or without the program.
  InstallRenderHooks();
}

OpenGLView::~OpenGLView() {
  detail_OpenGLView::ForgetStateOwner(this);
  ForgetViewSections(this);
  ForgetFaceMeshes(this);
  ForgetPairLineLayer(this);
  ForgetFlatNets(this);
  ForgetNetTexts(this);
}

// ---- Virtual passes a pane fills ---------------------------------------------------------

void OpenGLView::PrepareTextures() {}
bool OpenGLView::PreViewingMatrixHook(Matrix4&) { return false; }
void OpenGLView::ExtentsPass() {}
void OpenGLView::BackgroundPass() {}
void OpenGLView::ScenePass() {}
void OpenGLView::DrawWithoutGL(DeviceContext*) {}
void OpenGLView::SetViewIndex(int index) { NewView::SetViewIndex(index); }

bool OpenGLView::RenderToBitmap(GLBitmap& bitmap, int width, int height, int overSampling) {
  GLBitmapRender render;
  return render.Render(this, bitmap, width, height, overSampling);
}

// ---- Context -----------------------------------------------------------------------------

GLTarget* OpenGLView::GetDrawTarget() const {
  if (mBitmapTarget) return mBitmapTarget;
  return mHasContext ? mWindow : nullptr;
}

void OpenGLView::SetBitmapTarget(GLTarget* target, int width, int height) {
  mBitmapTarget = target;
  // Only the drawing size: the window keeps its scroll bars and its 2D scroll range.
  SetClientSizeOnly(width, height);
  Camera().UpdateAspectRatio();
  mCamera.DropMatrices();
}

bool OpenGLView::CreateGLContext() {
  if (!mWindow) return false;
  if (!mWindow->CreateContext()) {
    DoNothing("Problems opening GL window.\n");
    DoNothing("Error code %d\n", 0);
    return false;
  }
  mHasContext = true;
  mNeedsGLInit = true;
  // A window that is not on screen yet cannot take the context: then the state is
  // set up by its first draw.
  if (PreOpenGL(this)) PostOpenGL(this);
  Camera().InitCamera();
  return true;
}

void OpenGLView::DeleteGLContext() {
  if (!mHasContext) return;
  detail_OpenGLView::ForgetStateOwner(this);
  if (mWindow) mWindow->DeleteContext();
  mHasContext = false;
}

void OpenGLView::PrepareContextState(GLTarget* target) {
  using namespace detail_OpenGLView;
  DetectGLAbilities();
  // Which view's state the context holds; with no state of its own, nobody's.
  GLContextState* state = FindGLContextState(target->ContextKey());
  if (mNeedsGLInit) {
    mNeedsGLInit = false;
    if (state) state->stateOwner = this;
    GLint red = 0, green = 0, blue = 0;
    glGetIntegerv(GL_RED_BITS, &red);
    glGetIntegerv(GL_GREEN_BITS, &green);
    glGetIntegerv(GL_BLUE_BITS, &blue);
    if (red + green + blue < 24) {
      ShowOptionalMessage(kColorDepthMessageBit, kColorDepthMessageFlags, kColorDepthWarning, red + green + blue);
    }
    InitOpenGLState();
  } else if (!state || state->stateOwner != this) {
    if (state) state->stateOwner = this;
    RestoreGLState();
  }
}

void OpenGLView::EnableOpenGL(bool on, bool printThroughGL) {
  if (mWindowExists && on != mGLEnabled) {
    if (on) {
      mGLEnabled = true;
      CreateGLContext();
    } else {
      DeleteGLContext();
    }
  }
  mGLEnabled = on;
  mPrintThroughGL = on && printThroughGL;
}

void OpenGLView::SetIs3D(bool on) {
  if (on == mArea.is3D) return;
  mArea.is3D = on;
  Camera().UpdateAspectRatio();
  if (GetCurrent() != this) return;
  if (on) {
    glEnable(GL_DEPTH_TEST);
  } else {
    glDisable(GL_DEPTH_TEST);
  }
  SetLighting(this, GetLighting());
}

void OpenGLView::RestoreGLState() {
  const GLAbilities& a = GetGLAbilities();
  glClearDepth(1.0);
  if (mArea.is3D) {
    glEnable(GL_DEPTH_TEST);
  } else {
    glDisable(GL_DEPTH_TEST);
  }
  glDepthFunc(GL_LEQUAL);
  glPolygonOffset(0.0f, static_cast<GLfloat>(a.polygonOffset));
  mMaterials.ResetGLState();
  glDisable(GL_STENCIL_TEST);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  mMaterials.InitMaterials();
  CheckGLError("RestoreGLState");
}

void OpenGLView::InitOpenGLState() {
  RestoreGLState();
  mText.MakeFont();
  PrepareTextures();
  CheckGLError("InitOpenGLState");
}

// ---- Window events -----------------------------------------------------------------------

bool OpenGLView::OnCreate(ViewWindow* window) {
  if (!NewView::OnCreate(window)) return false;
  mWindowExists = true;
  if (mWindow) {
    int width = 0, height = 0;
    mWindow->GetClientSize(width, height);
    SetClientSizeOnly(width, height);
  }
  Camera().UpdateAspectRatio();
  // Without a context the pane stays blank; its creation still succeeds.
  if (mGLEnabled) CreateGLContext();
  return true;
}

void OpenGLView::OnDestroy() {
  GetViewMotions().StopAllMotions(this);
  MouseThrow::ClearActiveOf(GetViewGroup().throws);
  DeleteGLContext();
  NewView::OnDestroy();
  mWindowExists = false;
}

void OpenGLView::OnSize(int width, int height) {
  if (mPrinting) return;
  NewView::OnSize(width, height);
  ApplySizeChange();
}

void OpenGLView::ApplySizeChange() {
  Camera().UpdateAspectRatio();
  Camera().ApplyReferenceAspectOnSize();
  mCamera.DropMatrices();
  // The 2D scroll range goes to the scroll bars again.
  mScrollWidth = mScrollHeight = -1;
  if (!mArea.is3D) Mapping2D().UpdateScrollRange();
}

void OpenGLView::SetFullScreen(bool on) {
  if (on == mFullScreen) return;
  NewView::SetFullScreen(on);
  // The window may be made anew by the move; its state is set up at the next draw.
  if (mHasContext) mNeedsGLInit = true;
}

// ---- The drawing cycle -------------------------------------------------------------------

bool OpenGLView::IsDrawing() {
  return GetDrawingThreadPaint().drawing;
}

void OpenGLView::OnDraw() { OnDrawWith(nullptr); }

void OpenGLView::OnDrawWith(DeviceContext* dc) {
  // Drawing is on one thread, one pane at a time: a draw reached from inside a draw (a
  // box's event loop) is skipped, whichever frame or pane it is for.
  DrawingThreadPaint& paint = GetDrawingThreadPaint();
  if (paint.drawing) return;
  struct Guard {
    explicit Guard(bool& drawing) : mDrawing(drawing) { mDrawing = true; }
    ~Guard() { mDrawing = false; }
    bool& mDrawing;
  } guard(paint.drawing);
  // A fault met for every drawn element is told once, after the paint.
  const InternalErrorsToldOnce once;

  if (!mGLEnabled || (mPrinting && dc && !mPrintThroughGL)) {
    GetViewMotions().StepMouseThrowsIfDue(this);
    DrawWithoutGL(dc);
    ClearRedrawFlags(kRedrawClient | kRedrawKeepMessage);
    return;
  }
  const double frameStart = platform::NowSeconds();
  mFrames.StartFrame();
  GetViewMotions().StepMouseThrowsIfDue(this);
  ExtentsPass();
  if (mStereo.GetStereoKind() != StereoKind::None) mStereo.UpdateEyeSeparation();
  if (!PreOpenGL(this)) {
    // No context to draw with: nothing more can be done until there is one.
    ClearRedrawFlags(kRedrawClient | kRedrawKeepMessage);
    return;
  }
  // A paint (or a pick) is an operation of its own: memory that runs out in it ends that
  // paint, the context is released as after any paint, and the user is told once after
  // the paint, not again until a paint has gone through.
  const bool painted = RunOperation(
      "draw the pane",
      [&] {
        if (!paint.depthMeasured && !mPicking) {
          paint.depthMeasured = true;
          ClearBackground();
          int bits = GetGLAbilities().depthBits;
          if (bits > 0 && bits % 8 == 0)
            SetMeasuredDepthBits(detail_OpenGLView::MeasureDepthBits(mArea.width, mArea.height));
        }
        SetLighting(this, GetLighting());
        glLineWidth(GetViewGroup().options.lineWidth);
        glPointSize(GetViewGroup().options.pointSize);
        ClearBackground();
        DrawScenePasses();
        if (!mPicking) {
          glFinish();
          if (mBitmapTarget) {
            glClear(GL_DEPTH_BUFFER_BIT);
          } else if (mWindow) {
            mWindow->SwapBuffers();
            mFrames.NoteSwap(platform::NowSeconds() - frameStart);
          }
        }
      },
      !paint.memoryFailureTold);
  paint.memoryFailureTold = !painted;
  if (painted) CheckGLError("OpenGLView::OnDraw");
  PostOpenGL(this);
  ClearRedrawFlags(kRedrawClient | kRedrawKeepMessage);
}

void OpenGLView::DrawScenePasses() {
  const bool stereo = mArea.is3D && mStereo.GetStereoKind() != StereoKind::None;
  if (!stereo) {
    mStereo.SetCurrentEye(0);
    UpdateViewport();
    BackgroundPass();
    SetViewingMatrix(kMatrixProjection, true);
    ScenePass();
    return;
  }
  for (int eye = 1; eye <= 2; ++eye) {
    mStereo.SetCurrentEye(eye);
    if (mStereo.GetStereoKind() == StereoKind::SideBySide && mPicking) {
      // Only the eye whose half holds the pick point.
      const bool leftHalf = mPickX < mArea.width / 2;
      if (leftHalf != (eye == mStereo.GetLeftEye())) continue;
    }
    UpdateViewport();
    BackgroundPass();
    SetViewingMatrix(kMatrixProjection, true);
    ScenePass();
    if (mStereo.GetStereoKind() == StereoKind::Anaglyph && eye == 1) glClear(GL_DEPTH_BUFFER_BIT);
  }
  mStereo.SetCurrentEye(0);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
}

void OpenGLView::ClearBackground() {
  float rgb[3] = {mBackgroundColor[0], mBackgroundColor[1], mBackgroundColor[2]};
  if (mPrinting) {
    rgb[0] = rgb[1] = rgb[2] = 1.0f;
  } else if (mStereo.GetStereoKind() == StereoKind::Anaglyph) {
    const float m = std::max({rgb[0], rgb[1], rgb[2]});
    for (int i = 0; i < 3; ++i) rgb[i] = m * mStereo.GetAnaglyphWeights()[i];
  }
  glClearColor(rgb[0], rgb[1], rgb[2], 1.0f);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  GLbitfield mask = GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT;
  if (GetGLAbilities().stencil) {
    glClearStencil(0);
    mask |= GL_STENCIL_BUFFER_BIT;
  }
  glClear(mask);
}

void OpenGLView::SetTile(int x, int y, int width, int height) {
  mTile[0] = x;
  mTile[1] = y;
  mTile[2] = width;
  mTile[3] = height;
}

}  // namespace corvia
