#pragma once
// OpenGLView: a pane that draws itself with OpenGL. It owns its part of the GL
// state, its camera and projection, its lights, colours, materials and
// transparency, picking, the drawing primitives, and off-screen rendering for
// printing and image export.
//
// Every piece of GL code runs inside a section opened by PreOpenGL and closed by
// PostOpenGL (GLSection.h); inside one, OpenGLView::GetCurrent() is the view being
// drawn, and drawing code sets colours, materials, transparency, culling and depth
// writes only through it. The camera arithmetic (matrices, fitting, rays) is plain
// C++ that works without a window or a context; GL receives its results.
//
// The drawing cycle of OnDraw, in order: the extents pass, the viewport, the
// background pass, the viewing matrix, the scene pass (once per eye in stereo),
// then the buffers are swapped. A derived pane fills the passes.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "render/Matrix4.h"
#include "render/NewView.h"
#include "render/ViewCamera.h"
#include "render/ViewFrames.h"
#include "render/ViewMapping2D.h"
#include "render/ViewMaterials.h"
#include "render/ViewNavigation.h"
#include "render/ViewStereo.h"
#include "render/ViewText.h"

struct FIBITMAP;

namespace corvia {

class DeviceContext;  // 2D drawing onto a printer page; defined by the print code
class GLTarget;
struct GLBitmap;

// ---- Camera records -----------------------------------------------------------------

// A view's camera, kept in the stored camera slots and by callers that save and
// restore a view around printing and image export.
struct CameraRecord {
  uint8_t valid = 0;
  uint8_t orthogonal = 0;
  double eye[3] = {0, 0, 0};
  double right[3] = {1, 0, 0};
  double up[3] = {0, 1, 0};
  double viewAxis[3] = {0, 0, 1};
  float fieldOfView = 25.0f;
  float orthoHalfHeight = 1.0f;
  float zoom = 1.0f;
  float rotation2D = 0.0f;
  float extents2D[4] = {0, 0, 0, 0};
  float scroll[2] = {0, 0};
  float contentSize[2] = {0, 0};
};

// The eye and its frame only; brackets 3D export.
struct CameraFrame {
  uint8_t valid = 0;
  double eye[3] = {0, 0, 0};
  double right[3] = {1, 0, 0};
  double up[3] = {0, 1, 0};
  double viewAxis[3] = {0, 0, 1};
};

// What fitting a set of points into the window gathers (OpenGLView::InitExtents,
// AddPointToExtents, ZoomToExtents).
struct ViewExtents {
  double xScale = 1.0;
  double yScale = 1.0;
  double xDistance = 0.0;
  double yDistance = 0.0;
  int32_t marginX = 0;
  int32_t marginY = 0;
  double minX = 9.99999e99;
  double minY = 9.99999e99;
  double maxX = -9.99999e99;
  double maxY = -9.99999e99;
  double eyeDistance = -9.99999e99;
};

constexpr int kNumStoredCameras = 5;

// ---- Modes ------------------------------------------------------------------------------

// The matrix modes SetViewingMatrix takes (GL_MODELVIEW and GL_PROJECTION).
constexpr unsigned kMatrixModelView = 0x1700;
constexpr unsigned kMatrixProjection = 0x1701;

// Mouse modes (OpenGLView::GetMouseMode).
constexpr int kMouseModeNone = 0;
constexpr int kMouseModeNoTwist = 1;    // left + right while twisting is forbidden
constexpr int kMouseModeZoom = 2;
constexpr int kMouseModeTumble = 3;
constexpr int kMouseModeTwist = 4;
constexpr int kMouseModeSpace = 5;      // Space with no button
constexpr int kMouseModePan = 6;
constexpr int kMouseModeFieldOfView = 7;
constexpr int kMouseModeZoom2D = 8;
constexpr int kMouseModePan2D = 9;
constexpr int kMouseModeTwist2D = 10;
constexpr int kMouseModePivot = 11;

// Cursors of the mouse modes.
constexpr int kCursorTumble = 154;
constexpr int kCursorPan = 155;
constexpr int kCursorTwist = 156;
constexpr int kCursorZoom = 157;
constexpr int kCursorNoTwist = 171;
constexpr int kCursorFieldOfView = 176;
constexpr int kCursorPivot = 305;

// Limits of the field of view changed by dragging (degrees).
constexpr double kMinDragFieldOfView = 5.0;
constexpr double kMaxDragFieldOfView = 160.0;

// One picked item: its selection name less 1 and its least depth (GLSelection.h).
struct GLHit {
  uint32_t name = 0;
  uint32_t depth = 0;
};

class OpenGLView : public NewView {
public:
  OpenGLView();
  ~OpenGLView() override;

  // The view of the innermost open GL section; null outside any.
  static OpenGLView* GetCurrent();
  // Whether some view is inside OnDraw (a refresh asked for then is the draw's own).
  static bool IsDrawing();

  // ---- Virtual operations -----------------------------------------------------------

  // Makes the pane's textures (the shared context has just been set up).
  virtual void PrepareTextures();
  // Whether a surface at the point with the normal faces the viewer; with the matrix,
  // through the viewing matrix in use (which a transition may have moved).
  virtual bool IsFrontFacingF(const float* point, const float* normal, bool useMatrix);
  virtual bool IsFrontFacing(const double* point, const double* normal, bool useMatrix);
  // Loads the projection (kMatrixProjection) and the viewing matrix, and places the
  // lights when asked.
  virtual void SetViewingMatrix(unsigned matrixMode, bool withLights);
  // A transform applied between the camera's translation and its rotation (the
  // motion of a fading transition); false for none.
  virtual bool PreViewingMatrixHook(Matrix4& transform);
  // Fits 2D extents before drawing.
  virtual void ExtentsPass();
  virtual void ClearBackground();
  // Drawn before the viewing matrix is set (a background image in window space).
  virtual void BackgroundPass();
  // The pane's contents, with the viewing matrix set; once per eye in stereo.
  virtual void ScenePass();
  // Printing without GL.
  virtual void DrawWithoutGL(DeviceContext* dc);
  // Renders the view into a bitmap of width x overSampling by height x overSampling.
  virtual bool RenderToBitmap(GLBitmap& bitmap, int width, int height, int overSampling);
  // Copies the camera to the other 3D views while views are linked; true when any changed.
  virtual bool SyncLinkedViews();

  // ---- NewView overrides --------------------------------------------------------------

  void OnDraw() override;
  bool OnCreate(ViewWindow* window) override;
  void OnDestroy() override;
  void OnSize(int width, int height) override;
  void SetFullScreen(bool on) override;
  void SetViewIndex(int index) override;
  // A 2D pane scrolls with its scroll bars.
  void OnScrollBar(bool vertical, int position) override;
  // Zooms by the wheel: 3D panes move the eye (or scale the orthogonal height), 2D
  // panes zoom about the model point under the mouse.
  void DoMouseWheel(int delta) override;
  // The mouse modes: tumble, zoom, twist, pivot, pan and field of view in 3D panes;
  // pan, zoom and twist in 2D panes.
  void OnButtonDown(int button, int x, int y, unsigned keyFlags) override;
  void OnButtonUp(int button, int x, int y, unsigned keyFlags) override;
  void OnMouseMove(int x, int y, unsigned keyFlags) override;
  int GetCursor() override;
  void GetMouseButtonHelp(std::string& left, std::string& right, std::string& both) override;

  // ---- Mouse navigation ----------------------------------------------------------------

  // The mouse modes and the view's throws.
  ViewNavigation& Navigation() { return mNavigation; }
  const ViewNavigation& Navigation() const { return mNavigation; }

  // ---- Context and drawing cycle --------------------------------------------------------

  // Paints; with a device context and printing without GL, that pass draws instead.
  void OnDrawWith(DeviceContext* dc);
  bool CreateGLContext();
  void DeleteGLContext();
  bool HasGLContext() const { return mHasContext; }
  void EnableOpenGL(bool on, bool printThroughGL);
  bool IsGLEnabled() const { return mGLEnabled; }
  bool IsPrintThroughGL() const { return mPrintThroughGL; }
  void SetIs3D(bool on);
  bool Is3D() const { return mArea.is3D; }
  // Clear depth, enables, font, materials, textures: a freshly made context.
  void InitOpenGLState();
  // Puts the view's GL state back into the shared context after another view used it.
  void RestoreGLState();
  // Applies the viewport of the current eye (and the anaglyph colour mask).
  void UpdateViewport();
  // The target the next section draws on: a bitmap while rendering off screen,
  // otherwise the window.
  GLTarget* GetDrawTarget() const;
  // Off-screen rendering: the target the view draws into and the size it takes for the
  // duration; a null target with the window's size again ends it.
  void SetBitmapTarget(GLTarget* target, int width, int height);
  bool IsBitmapTarget() const { return mBitmapTarget != nullptr; }
  bool IsPicking() const { return mPicking; }
  // What the view measures of the frames it swaps into its window.
  ViewFrames& Frames() { return mFrames; }
  const ViewFrames& Frames() const { return mFrames; }
  // Called by PreOpenGL when a section of this view makes a context current: the
  // first time the view's state is set up, later it is put back when another view
  // used the context in between.
  void PrepareContextState(GLTarget* target);
  // The region of a large image drawn in this pass (off-screen tiles): x, y (from the
  // bottom), width and height in pixels of the whole image; width 0 for all of it.
  void SetTile(int x, int y, int width, int height);

  // ---- Camera -------------------------------------------------------------------------------

  // The camera: pose, field of view, projection kind, fitting, panning and zooming.
  ViewCamera& Camera() { return mCamera; }
  const ViewCamera& Camera() const { return mCamera; }

  // The mapping of a flat pane's model plane onto its window.
  ViewMapping2D& Mapping2D() { return mMapping2D; }
  const ViewMapping2D& Mapping2D() const { return mMapping2D; }

  // Points, rays and matrices.
  // The projection and viewing matrices the next draw uses, for the current eye.
  Matrix4 GetProjectionMatrix() const;
  Matrix4 GetModelViewMatrix();
  // Model to window pixels (y down from the top of the drawing area): the camera's,
  // made anew unless this view is drawing and the camera kept it.
  void UpdateCameraMatrix();
  const Matrix4& GetCameraMatrix();
  void TransformByCamera(float* out, const float* point);
  void ApplyViewTransform(double* out, const double* point);
  void GetPickRay(double* origin, double* direction, double x, double y) const;
  void ApplyProjection(unsigned matrixMode);

  // The stereo mode and the eye being drawn.
  ViewStereo& Stereo() { return mStereo; }
  const ViewStereo& Stereo() const { return mStereo; }

  // ---- Lighting ---------------------------------------------------------------------------

  // The view's lighting switch (SetLighting below); kept with its materials.
  bool GetLighting() const { return mMaterials.GetLighting(); }
  // Colours, materials, transparency, culling, depth writes and stipple.
  ViewMaterials& Materials() { return mMaterials; }
  const ViewMaterials& Materials() const { return mMaterials; }

  // ---- Picking -------------------------------------------------------------------------------

  void ClearGLSelectionItem();
  // Appends the items under the window point to hits; true when the selection buffer
  // overflowed (the hits that fitted are kept).
  bool DoSelection(std::vector<GLHit>& hits, int x, int y, bool wide);
  // The names this view's picks have loaded, one for each item they drew.
  uint64_t GetPickNamesLoaded() const { return mPickNamesLoaded; }

  // ---- Texts and labels -------------------------------------------------------------------

  ViewText& Text() { return mText; }
  const ViewText& Text() const { return mText; }

  // The width of the drawing area of one eye (half the window side by side in stereo).
  int ViewportWidth() const;
  // Maps the pick region or the tile's part of the current eye's viewport onto the
  // whole of it (the identity when neither applies).
  Matrix4 PickOrTileRegion() const;

protected:
  // Aspect ratio, and the viewport marked stale, after the client size changed.
  void ApplySizeChange();

  // Context and cycle.
  bool mGLEnabled = true;
  bool mPrintThroughGL = true;
  bool mHasContext = false;
  bool mNeedsGLInit = false;
  bool mWindowExists = false;
  GLTarget* mBitmapTarget = nullptr;
  bool mPicking = false;
  ViewFrames mFrames;
  bool mPickWide = false;
  int mPickX = 0;
  int mPickY = 0;  // from the bottom
  uint64_t mPickNamesLoaded = 0;
  int mTile[4] = {0, 0, 0, 0};

  // The parts hold the drawing area (NewView::Area) and the parts they use.
  // Camera, with its matrices.
  ViewCamera mCamera{mArea, mStereo, mMapping2D, this};
  ViewMapping2D mMapping2D{mArea, mCamera, this};

  // Stereo.
  ViewStereo mStereo{mArea, mCamera, this};

  // Colours, materials and the switches last given to GL.
  ViewMaterials mMaterials{*this, mArea, mStereo, GetViewGroup()};

  // Mouse modes and throws.
  ViewNavigation mNavigation{*this, mArea, mCamera, mMapping2D};

  // Texts and labels, with the bitmap font.
  ViewText mText{*this, mArea, mStereo, mMaterials};

private:
  void DrawScenePasses();
  Matrix4 ProjectionMatrix(bool forCameraMatrix) const;
  Matrix4 ViewingMatrix(bool withStereoOffset, bool* hookUsed = nullptr);
};

// The view's lighting switch; inside a GL section GL lighting follows it in 3D
// panes. Returns the previous switch.
bool SetLighting(OpenGLView* view, bool on);

// Every 3D view of a frame (without a group: of the installed frame).
void SetStereoModeAllViews(ViewGroup& group, int mode);
void SetStereoModeAllViews(int mode);

// The choices below are a frame's (ViewGroup::options, ::cameras): a view's code
// passes its own group; without one they are the installed frame's (the menu
// commands and the settings).

// Whether the twist buttons twist only with Space held (and pivot without it).
bool GetTwistWithSpace();
void SetTwistWithSpace(bool on);

// Whether camera changes of the active view go to every 3D view.
bool GetLinkedViews(const ViewGroup& group);
bool GetLinkedViews();
void SetLinkedViews(bool on);

// The line width and point size every draw starts with.
float GetDrawLineWidth(const ViewGroup& group);
void SetDrawLineWidth(ViewGroup& group, float width);
float GetDrawPointSize(const ViewGroup& group);

// The stored camera slots (View > Camera).
bool IsCameraStored(const ViewGroup& group, int i);
void ClearStoredCameras(ViewGroup& group);

}  // namespace corvia
