// OpenGLView: camera, projection, fitting, 2D pane geometry, points and rays. All of
// it is arithmetic on the view's fields; only ApplyProjection, SetViewingMatrix and
// UpdateViewport hand their results to GL.

#include <algorithm>
#include <cmath>
#include <numbers>

#include "core/Tolerances.h"
#include "core/VectorMath.h"
#include "render/GL.h"
#include "render/GLErrors.h"
#include "render/LightSets.h"
#include "render/OpenGLView.h"
#include "render/ViewGroup.h"
#include "render/ViewMotions.h"
#include "render/ViewWindow.h"

namespace corvia {

namespace detail_Camera {

constexpr double kRadians = std::numbers::pi / 180.0;
// Zoom per wheel notch.
constexpr double kWheelZoom = 1.06;
constexpr double kWheelNotch = 120.0;

// The intersection of two pixel rectangles (x, y, width, height); false when empty.
bool Intersect(const int* a, const int* b, int* out) {
  int x0 = std::max(a[0], b[0]);
  int y0 = std::max(a[1], b[1]);
  int x1 = std::min(a[0] + a[2], b[0] + b[2]);
  int y1 = std::min(a[1] + a[3], b[1] + b[3]);
  if (x1 <= x0 || y1 <= y0) return false;
  out[0] = x0;
  out[1] = y0;
  out[2] = x1 - x0;
  out[3] = y1 - y0;
  return true;
}

OpenGLView* AsGLView(NewView* view) { return dynamic_cast<OpenGLView*>(view); }

}  // namespace detail_Camera

CameraState::CameraState() : stored(kNumStoredCameras) {}
CameraState::~CameraState() = default;

bool IsCameraStored(const ViewGroup& group, int i) {
  return i >= 0 && i < kNumStoredCameras && group.cameras.stored[static_cast<size_t>(i)].valid;
}

void ClearStoredCameras(ViewGroup& group) {
  for (CameraRecord& record : group.cameras.stored) record = CameraRecord{};
}

bool GetLinkedViews(const ViewGroup& group) { return group.cameras.linkedViews; }
bool GetLinkedViews() { return GetLinkedViews(CurrentViewGroup()); }
void SetLinkedViews(bool on) { CurrentViewGroup().cameras.linkedViews = on; }

// ---- Set-up and records -----------------------------------------------------------------

// ---- Field of view -------------------------------------------------------------------------

int OpenGLView::ViewportWidth() const { return mStereo.ViewportWidth(); }

void OpenGLView::DoMouseWheel(int delta) {
  using namespace detail_Camera;
  const double notches = delta / kWheelNotch;
  if (mArea.is3D) {
    GetViewMotions().StopZoomThrow(this);
    if (GetViewGroup().cameras.linkedViews) {
      for (NewView* v = GetViewGroup().views.first; v; v = v->GetNext()) {
        OpenGLView* other = AsGLView(v);
        if (other && other != this && other->Is3D()) GetViewMotions().StopZoomThrow(other);
      }
    }
    Camera().ZoomCamera(std::pow(kWheelZoom, -notches));
    Invalidate(true);
    SyncLinkedViews();
    return;
  }
  int x = 0, y = 0;
  GetViewGroup().mouse.GetCurrentPoint(x, y);
  Mapping2D().Zoom2DAt(std::pow(kWheelZoom, notches), x, y);
}

bool OpenGLView::SyncLinkedViews() {
  if (!GetViewGroup().cameras.linkedViews || !mArea.is3D) return false;
  bool changed = false;
  for (NewView* v = GetViewGroup().views.first; v; v = v->GetNext()) {
    OpenGLView* other = detail_Camera::AsGLView(v);
    if (!other || other == this || !other->mArea.is3D) continue;
    other->Camera().TakePose(mCamera);
    other->Invalidate(true);
    changed = true;
  }
  return changed;
}

// ---- 2D panes ----------------------------------------------------------------------------

void OpenGLView::OnScrollBar(bool vertical, int position) {
  const int range = vertical ? mScrollHeight : mScrollWidth;
  if (mArea.is3D || range <= 0) {
    NewView::OnScrollBar(vertical, position);
    return;
  }
  const float* scroll = mMapping2D.GetScrollPosition2D();
  const double pixels = static_cast<double>(position) * mMapping2D.GetContentSize2D()[vertical ? 1 : 0] / range;
  const float before[2] = {scroll[0], scroll[1]};
  mMapping2D.ScrollTo(vertical ? scroll[0] : pixels, vertical ? pixels : scroll[1]);
  if (before[0] != scroll[0] || before[1] != scroll[1]) {
    Invalidate(true);
    UpdateNow();
  }
}

// ---- Matrices --------------------------------------------------------------------------------


Matrix4 OpenGLView::ProjectionMatrix(bool forCameraMatrix) const {
  Matrix4 p = mCamera.ProjectionMatrix();
  if (forCameraMatrix) return p;
  return PickOrTileRegion() * p;
}

Matrix4 OpenGLView::PickOrTileRegion() const {
  using namespace detail_Camera;
  int eye[4];
  mStereo.EyeViewport(eye);
  if (mPicking) {
    const double size = mPickWide ? 6.0 : 1.0;
    return RegionMatrix4(mPickX + 0.5, mPickY + 0.5, size, size, eye);
  }
  int part[4];
  if (mTile[2] > 0 && Intersect(eye, mTile, part)) {
    return RegionMatrix4(part[0] + part[2] / 2.0, part[1] + part[3] / 2.0, part[2], part[3], eye);
  }
  return Matrix4{};
}

Matrix4 OpenGLView::ViewingMatrix(bool withStereoOffset, bool* hookUsed) {
  Matrix4 hook;
  const bool hasHook = PreViewingMatrixHook(hook);
  if (hookUsed) *hookUsed = hasHook;
  return mCamera.ViewingMatrix(withStereoOffset, hasHook ? &hook : nullptr);
}

Matrix4 OpenGLView::GetProjectionMatrix() const { return ProjectionMatrix(false); }

Matrix4 OpenGLView::GetModelViewMatrix() { return ViewingMatrix(true); }

void OpenGLView::UpdateCameraMatrix() {
  // Inside this view's drawing the matrix is kept until the viewing matrix is set
  // again; elsewhere the camera may have moved at any time.
  if (mCamera.HasMatrices() && GetCurrent() == this) return;
  Matrix4 hook;
  const bool hasHook = PreViewingMatrixHook(hook);
  mCamera.MakeMatrices(hasHook ? &hook : nullptr);
}

const Matrix4& OpenGLView::GetCameraMatrix() {
  UpdateCameraMatrix();
  return mCamera.GetCameraMatrix();
}

void OpenGLView::ApplyViewTransform(double* out, const double* point) {
  TransformPoint3(GetCameraMatrix(), out, point);
}

void OpenGLView::TransformByCamera(float* out, const float* point) {
  const double p[3] = {point[0], point[1], point[2]};
  double r[3];
  ApplyViewTransform(r, p);
  for (int i = 0; i < 3; ++i) out[i] = static_cast<float>(r[i]);
}

bool OpenGLView::IsFrontFacing(const double* point, const double* normal, bool useMatrix) {
  if (!mArea.is3D) return true;
  if (!useMatrix) return Camera().GetFacingValue(point, normal, false) >= 0.0;
  // Through the viewing matrix in use: the camera sits at the origin of its space.
  UpdateCameraMatrix();
  double p[3], n[3];
  TransformPoint3(mCamera.GetCameraModelView(), p, point);
  TransformDirection3(mCamera.GetCameraModelView(), n, normal);
  if (mCamera.IsOrthogonal()) return n[2] >= 0.0;
  return -Dot(n, p) >= 0.0;
}

bool OpenGLView::IsFrontFacingF(const float* point, const float* normal, bool useMatrix) {
  const double p[3] = {point[0], point[1], point[2]};
  const double n[3] = {normal[0], normal[1], normal[2]};
  return IsFrontFacing(p, n, useMatrix);
}

void OpenGLView::GetPickRay(double* origin, double* direction, double x, double y) const {
  using namespace detail_Camera;
  if (!mArea.is3D) {
    double model[2];
    Mapping2D().WindowToModel2D(model, x, y);
    origin[0] = model[0];
    origin[1] = model[1];
    origin[2] = 1.0;
    direction[0] = direction[1] = 0.0;
    direction[2] = -1.0;
    return;
  }
  const double w = ViewportWidth();
  const double h = std::max(mArea.height, 1);
  if (mStereo.GetStereoKind() == StereoKind::SideBySide && x >= w) x -= w;
  const double dx = x - w / 2.0;
  const double dy = h / 2.0 - y;
  double across[3] = {0, 0, 0};
  ViewCamera::AddScaled(across, mCamera.GetRightAxis(), dx);
  ViewCamera::AddScaled(across, mCamera.GetUpAxis(), dy);
  if (mCamera.IsOrthogonal()) {
    CopyVector(origin, mCamera.GetEye());
    ViewCamera::AddScaled(origin, across, 2.0 * mCamera.GetOrthoHalfHeight() / h);
    NegateInto(direction, mCamera.GetViewAxis());
    return;
  }
  CopyVector(origin, mCamera.GetEye());
  Scale(direction, across, 2.0 * std::tan(mCamera.GetFieldOfViewInEffect() * kRadians / 2.0) / h);
  Subtract(direction, direction, mCamera.GetViewAxis());
  NormaliseVector(direction, direction);
}

// ---- The GL side -------------------------------------------------------------------------

void OpenGLView::ApplyProjection(unsigned matrixMode) {
  glMatrixMode(matrixMode);
  if (matrixMode == kMatrixModelView) {
    // The window mapping in front, so that the result maps to window pixels.
    Matrix4 m = mCamera.WindowMapping() * ProjectionMatrix(true);
    glLoadMatrixd(m.m);
  } else {
    if (!mArea.is3D) mMapping2D.ComputeVisibleArea2D();
    glLoadMatrixd(ProjectionMatrix(false).m);
  }
  glMatrixMode(GL_MODELVIEW);
  CheckGLError("ApplyProjection");
}

void OpenGLView::SetViewingMatrix(unsigned matrixMode, bool withLights) {
  ApplyProjection(matrixMode);
  if (matrixMode != kMatrixModelView) glLoadIdentity();
  Matrix4 hook;
  const bool hasHook = PreViewingMatrixHook(hook);
  if (!mArea.is3D) {
    glTranslated(0, 0, -10);
    if (hasHook) glMultMatrixd(hook.m);
    glRotated(mMapping2D.GetRotation2D(), 0, 0, 1);
  } else {
    double e = 0.0;
    if (mStereo.GetStereoKind() != StereoKind::None && mStereo.GetCurrentEye() != 0) {
      e = mStereo.GetCurrentEye() == 1 ? -mStereo.GetEyeSeparation() : mStereo.GetEyeSeparation();
      glTranslated(-e, 0, 0);
    }
    mCamera.PlaceEyeDrawn(e);
    if (withLights) {
      EnableLights(GetViewGroup());
      PlaceLights(GetViewGroup(), true);
    }
    Matrix4 worldToCamera = Camera().GetWorldToCamera();
    glTranslated(worldToCamera(0, 3), worldToCamera(1, 3), worldToCamera(2, 3));
    if (hasHook) glMultMatrixd(hook.m);
    worldToCamera(0, 3) = worldToCamera(1, 3) = worldToCamera(2, 3) = 0.0;
    glMultMatrixd(worldToCamera.m);
    if (withLights) PlaceLights(GetViewGroup(), false);
  }
  mCamera.DropMatrices();
  CheckGLError("SetViewingMatrix");
}

void OpenGLView::UpdateViewport() {
  int eye[4];
  mStereo.EyeViewport(eye);
  if (mTile[2] > 0) {
    int part[4];
    if (detail_Camera::Intersect(eye, mTile, part)) {
      glViewport(part[0] - mTile[0], part[1] - mTile[1], part[2], part[3]);
    } else {
      glViewport(0, 0, 0, 0);
    }
  } else {
    glViewport(eye[0], eye[1], eye[2], eye[3]);
  }
  Stereo().ApplyStereoColorMask();
  CheckGLError("UpdateViewport");
}

}  // namespace corvia
