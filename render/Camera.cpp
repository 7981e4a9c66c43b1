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

constexpr double kDegrees = 180.0 / std::numbers::pi;
constexpr double kRadians = std::numbers::pi / 180.0;
// Zoom per wheel notch.
constexpr double kWheelZoom = 1.06;
constexpr double kWheelNotch = 120.0;

// size / (size - 2 margin): the share of the window that the margins leave. The
// margins are ignored where they would leave nothing.
double MarginFactor(double size, double margin) {
  if (margin <= 0.0 || size <= 2.0 * margin + 1.0) return 1.0;
  return size / (size - 2.0 * margin);
}

void RotateVector(const double* matrix, double* v) { MatrixTimesVector(matrix, v, v); }

void AddScaled(double* out, const double* v, double s) {
  out[0] += v[0] * s;
  out[1] += v[1] * s;
  out[2] += v[2] * s;
}

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

// Window pixels (y down) from normalised device coordinates over the viewport vp
// (GL coordinates, y up) of a window `height` pixels high.
Matrix4 WindowMapping(const int* vp, int height) {
  return TranslationMatrix4(vp[0] + vp[2] / 2.0, height - vp[1] - vp[3] / 2.0, 0.0) *
         ScalingMatrix4(vp[2] / 2.0, -vp[3] / 2.0, 1.0);
}

OpenGLView* AsGLView(NewView* view) { return dynamic_cast<OpenGLView*>(view); }

void Widen(ViewExtents& extents, double x, double y) {
  extents.minX = std::min(extents.minX, x);
  extents.maxX = std::max(extents.maxX, x);
  extents.minY = std::min(extents.minY, y);
  extents.maxY = std::max(extents.maxY, y);
}

}  // namespace detail_Camera

CameraState::CameraState() : stored(kNumStoredCameras) {}
CameraState::~CameraState() = default;

bool IsCameraStored(int i) {
  return i >= 0 && i < kNumStoredCameras && CurrentViewGroup().cameras.stored[static_cast<size_t>(i)].valid;
}

void ClearStoredCameras() {
  for (CameraRecord& record : CurrentViewGroup().cameras.stored) record = CameraRecord{};
}

bool GetLinkedViews() { return CurrentViewGroup().cameras.linkedViews; }
void SetLinkedViews(bool on) { CurrentViewGroup().cameras.linkedViews = on; }

// ---- Set-up and records -----------------------------------------------------------------

void OpenGLView::InitCamera() {
  UpdateAspectRatio();
  SetDefaultCamera(true);
  mMinEyeDistance = mMaxEyeDistance = -1.0;
  mNear = 0.1f;
  mFar = 4000.0f;
  ViewSphere(nullptr, 1.0);
}

void OpenGLView::SetDefaultCamera(bool withFieldOfView) {
  mMapping2D.mZoom = 1.0f;
  mMapping2D.mRotation2D = 0.0f;
  const double eye[3] = {0, 0, 2}, right[3] = {1, 0, 0}, up[3] = {0, 1, 0}, view[3] = {0, 0, 1};
  CopyVector(mEye, eye);
  CopyVector(mPerEye, eye);
  SetAxes(right, up, view);
  CopyVector(mHome, eye);
  mFieldOfView = 25.0f;
  if (withFieldOfView) SetFieldOfView(25.0);
  mCameraMatrixValid = false;
}

void OpenGLView::SetEye(const double* eye) {
  CopyVector(mEye, eye);
  CopyVector(mPerEye, eye);
  mCameraMatrixValid = false;
}

void OpenGLView::SetAxes(const double* right, const double* up, const double* viewAxis) {
  CopyVector(mRight, right);
  CopyVector(mUp, up);
  CopyVector(mViewAxis, viewAxis);
  mCameraMatrixValid = false;
}

void OpenGLView::GetCamera(CameraRecord& record) const {
  record.valid = 1;
  record.orthogonal = mOrthogonal;
  CopyVector(record.eye, mEye);
  CopyVector(record.right, mRight);
  CopyVector(record.up, mUp);
  CopyVector(record.viewAxis, mViewAxis);
  record.fieldOfView = mFieldOfView;
  record.orthoHalfHeight = mOrthoHalfHeight;
  record.zoom = mMapping2D.mZoom;
  record.rotation2D = mMapping2D.mRotation2D;
  std::copy(mMapping2D.mExtents2D, mMapping2D.mExtents2D + 4, record.extents2D);
  std::copy(mMapping2D.mScroll, mMapping2D.mScroll + 2, record.scroll);
  std::copy(mMapping2D.mContentSize, mMapping2D.mContentSize + 2, record.contentSize);
}

void OpenGLView::SetCamera(const CameraRecord& record, bool redraw) {
  if (!record.valid) return;
  mOrthogonal = record.orthogonal != 0;
  SetEye(record.eye);
  SetAxes(record.right, record.up, record.viewAxis);
  mFieldOfView = record.fieldOfView;
  mOrthoHalfHeight = record.orthoHalfHeight;
  mMapping2D.mZoom = record.zoom;
  mMapping2D.mRotation2D = record.rotation2D;
  std::copy(record.extents2D, record.extents2D + 4, mMapping2D.mExtents2D);
  std::copy(record.scroll, record.scroll + 2, mMapping2D.mScroll);
  std::copy(record.contentSize, record.contentSize + 2, mMapping2D.mContentSize);
  // Put on only for a drawing (a paint drawing another record's model), the camera
  // leaves the window's scroll bars alone: setting them asks for another paint.
  const bool held = HoldScrollBars(!redraw);
  Mapping2D().SetScrollSizes2D(record.contentSize[0], record.contentSize[1], true);
  HoldScrollBars(held);
  if (redraw) Invalidate(true);
}

void OpenGLView::UseCamera(int i) {
  const std::vector<CameraRecord>& stored = GetViewGroup().cameras.stored;
  if (i >= 0 && i < kNumStoredCameras && stored[static_cast<size_t>(i)].valid)
    SetCamera(stored[static_cast<size_t>(i)]);
}

void OpenGLView::StoreCamera(int i) {
  if (i >= 0 && i < kNumStoredCameras) GetCamera(GetViewGroup().cameras.stored[static_cast<size_t>(i)]);
}

void OpenGLView::SaveCameraFrame(CameraFrame& frame) const {
  frame.valid = 1;
  CopyVector(frame.eye, mEye);
  CopyVector(frame.right, mRight);
  CopyVector(frame.up, mUp);
  CopyVector(frame.viewAxis, mViewAxis);
}

void OpenGLView::RestoreCameraFrame(const CameraFrame& frame) {
  if (!frame.valid) return;
  SetEye(frame.eye);
  SetAxes(frame.right, frame.up, frame.viewAxis);
}

// ---- Rotations --------------------------------------------------------------------------

void OpenGLView::RotateCamera(const double* axis, double angle) {
  double m[9];
  AxisAngleRotationMatrix(m, axis, angle * detail_Camera::kRadians);
  for (double* v : {mEye, mRight, mUp, mViewAxis}) detail_Camera::RotateVector(m, v);
  CopyVector(mPerEye, mEye);
  mCameraMatrixValid = false;
}

void OpenGLView::RotateAboutViewAxis(int i, double angle) {
  double axis[3];
  CopyVector(axis, i == 0 ? mRight : (i == 1 ? mUp : mViewAxis));
  RotateCamera(axis, angle);
}

void OpenGLView::RotateCameraEuler(double a, double b, double c) {
  // About the world x axis by a, then y by b, then z by c.
  double rx[9], ry[9], rz[9], ryx[9], m[9];
  AxisRotationMatrix(rx, 0, a * detail_Camera::kRadians);
  AxisRotationMatrix(ry, 1, b * detail_Camera::kRadians);
  AxisRotationMatrix(rz, 2, c * detail_Camera::kRadians);
  MatrixTimesMatrix(ryx, ry, rx);
  MatrixTimesMatrix(m, rz, ryx);
  for (double* v : {mEye, mRight, mUp, mViewAxis}) detail_Camera::RotateVector(m, v);
  CopyVector(mPerEye, mEye);
  mCameraMatrixValid = false;
}

void OpenGLView::RotateInViewFrame(const double* cameraAxis, double angle, bool orbit) {
  double axis[3] = {0, 0, 0};
  detail_Camera::AddScaled(axis, mRight, cameraAxis[0]);
  detail_Camera::AddScaled(axis, mUp, cameraAxis[1]);
  detail_Camera::AddScaled(axis, mViewAxis, cameraAxis[2]);
  if (orbit) {
    RotateCamera(axis, angle);
    return;
  }
  double m[9];
  AxisAngleRotationMatrix(m, axis, angle * detail_Camera::kRadians);
  for (double* v : {mRight, mUp, mViewAxis}) detail_Camera::RotateVector(m, v);
  mCameraMatrixValid = false;
}

void OpenGLView::OrthonormalizeCamera() {
  double v[3], r[3];
  if (!NormaliseVector(v, mViewAxis)) return;
  CopyVector(mViewAxis, v);
  Cross(r, mUp, mViewAxis);
  if (!NormaliseVector(mRight, r)) return;
  Cross(mUp, mViewAxis, mRight);
  mCameraMatrixValid = false;
}

// ---- Field of view -------------------------------------------------------------------------

int OpenGLView::ViewportWidth() const {
  if (mIs3D && mStereoKind == StereoKind::SideBySide) return mClientWidth / 2;
  return mClientWidth;
}

void OpenGLView::UpdateAspectRatio() {
  const int w = ViewportWidth();
  mAspect = mClientHeight > 0 ? static_cast<float>(w) / static_cast<float>(mClientHeight) * mPixelAspect
                              : mPixelAspect;
  if (!(mAspect > 0.0f)) mAspect = mPixelAspect;
  mCameraMatrixValid = false;
}

namespace detail_Camera {

// The angle (degrees) that spans `ratio` times the extent the given angle spans at
// the same distance: 2 atan(ratio tan(angle / 2)).
double ScaleAngle(double angle, double ratio) { return 2.0 * std::atan(ratio * std::tan(angle * kRadians / 2.0)) * kDegrees; }

}  // namespace detail_Camera

double OpenGLView::ConvertFieldOfView(double angle, double width, double height) const {
  if (angle < 0.0) angle = mFieldOfView;
  if (width < 0.0) width = ViewportWidth();
  if (height < 0.0) height = mClientHeight;
  if (height <= 0.0 || width <= 0.0) return angle;
  return detail_Camera::ScaleAngle(angle, width / height);
}

double OpenGLView::HorizontalToVerticalFieldOfView(double angle, double width, double height) const {
  if (angle < 0.0) angle = mFieldOfView;
  if (width < 0.0) width = ViewportWidth();
  if (height < 0.0) height = mClientHeight;
  if (height <= 0.0 || width <= 0.0) return angle;
  return detail_Camera::ScaleAngle(angle, height / width);
}

double OpenGLView::GetNarrowerFieldOfView() const {
  if (ViewportWidth() < mClientHeight) return ConvertFieldOfView(mFieldOfView, -1, -1);
  return mFieldOfView;
}

void OpenGLView::InitFieldOfView(double angle, double referenceAspect) {
  mReferenceAspect = static_cast<float>(referenceAspect);
  mSetAngle = static_cast<float>(angle);
  mHorizontalAtReference = static_cast<float>(detail_Camera::ScaleAngle(angle, referenceAspect));
  if (mReferenceAspect > 0.0f) ApplyReferenceAspectOnSize();
}

void OpenGLView::ApplyReferenceAspectOnSize() {
  // A window narrower than the reference keeps the horizontal angle, a wider one the
  // vertical angle that was set.
  if (mAspect < mReferenceAspect) {
    mFieldOfView = static_cast<float>(detail_Camera::ScaleAngle(mHorizontalAtReference, 1.0 / mAspect));
  } else {
    mFieldOfView = mSetAngle;
  }
  mCameraMatrixValid = false;
}

void OpenGLView::SetVerticalFieldOfView(double angle) {
  using detail_Camera::ScaleAngle;
  mFieldOfView = static_cast<float>(angle);
  mCameraMatrixValid = false;
  if (mReferenceAspect <= 0.0f) return;
  if (mAspect >= mReferenceAspect) {
    mSetAngle = static_cast<float>(angle);
    mHorizontalAtReference = static_cast<float>(ScaleAngle(angle, mReferenceAspect));
  } else {
    const double horizontal = ScaleAngle(angle, mAspect);
    mHorizontalAtReference = static_cast<float>(horizontal);
    mSetAngle = static_cast<float>(ScaleAngle(horizontal, 1.0 / mReferenceAspect));
  }
}

void OpenGLView::SetHorizontalFieldOfView(double angle) {
  using detail_Camera::ScaleAngle;
  mFieldOfView = static_cast<float>(ScaleAngle(angle, 1.0 / mAspect));
  mCameraMatrixValid = false;
  if (mReferenceAspect <= 0.0f) return;
  mHorizontalAtReference = static_cast<float>(angle);
  mSetAngle = static_cast<float>(ScaleAngle(angle, 1.0 / mReferenceAspect));
}

void OpenGLView::SetFieldOfView(double angle) {
  if (mReferenceAspect > 0.0f && mAspect < mReferenceAspect) {
    SetHorizontalFieldOfView(detail_Camera::ScaleAngle(angle, mReferenceAspect));
  } else {
    SetVerticalFieldOfView(angle);
  }
}

double OpenGLView::GetFieldOfView() const {
  if (mReferenceAspect > 0.0f && mAspect < mReferenceAspect) {
    return detail_Camera::ScaleAngle(mHorizontalAtReference, 1.0 / mReferenceAspect);
  }
  return mFieldOfView;
}

void OpenGLView::SetOrthogonal(bool on) {
  using namespace detail_Camera;
  if (on == mOrthogonal) return;
  const double s = std::sin(mFieldOfView * kRadians / 2.0);
  const double distance = Dot(mEye, mViewAxis);
  if (on) {
    mOrthoHalfHeight = static_cast<float>(s * distance);
  } else {
    // Back to the distance at which the perspective view shows the same height.
    AddScaled(mEye, mViewAxis, mOrthoHalfHeight / s - distance);
    CopyVector(mPerEye, mEye);
  }
  mOrthogonal = on;
  mCameraMatrixValid = false;
  Invalidate(true);
}

// ---- Fitting ---------------------------------------------------------------------------------

void OpenGLView::ViewSphere(const double* centre, double radius) {
  using namespace detail_Camera;
  GetViewMotions().StopZoomThrow(this);
  const double w = ViewportWidth();
  const double h = mClientHeight;
  if (mOrthogonal) {
    if (w < h) {
      mOrthoHalfHeight = static_cast<float>(MarginFactor(w, mMarginX) * radius / mAspect);
    } else {
      mOrthoHalfHeight = static_cast<float>(MarginFactor(h, mMarginY) * radius);
    }
    double distance = Dot(mEye, mViewAxis);
    // The eye keeps its distance unless the sphere would reach the near plane, which
    // would cut away the front of what was to be fitted.
    double needed = radius + mNear + (centre ? std::fabs(Dot(centre, mViewAxis)) : 0.0);
    if (distance < needed) distance = needed;
    Scale(mEye, mViewAxis, distance);
  } else {
    const bool narrow = w < h;
    const double factor = narrow ? MarginFactor(w, mMarginX) : MarginFactor(h, mMarginY);
    const double distance = radius * factor / std::sin(GetNarrowerFieldOfView() * kRadians / 2.0);
    Scale(mEye, mViewAxis, distance);
    if (centre) AddTo(mEye, centre);
  }
  CopyVector(mPerEye, mEye);
  mCameraMatrixValid = false;
}

void OpenGLView::InitExtents(ViewExtents& extents, double radius, int marginX, int marginY) const {
  using namespace detail_Camera;
  extents = ViewExtents{};
  extents.marginX = marginX;
  extents.marginY = marginY;
  if (!mIs3D) return;
  if (mOrthogonal) {
    extents.xDistance = extents.yDistance = radius;
    return;
  }
  const double w = ViewportWidth();
  const double h = mClientHeight;
  const double half = mFieldOfView * kRadians / 2.0;
  const double horizontalHalf = ConvertFieldOfView(mFieldOfView, -1, -1) * kRadians / 2.0;
  extents.yScale = 1.0 / std::tan(half) * MarginFactor(h, marginY);
  extents.xScale = (1.0 / std::tan(half)) / mAspect * MarginFactor(w, marginX);
  extents.yDistance = radius / std::sin(half) * MarginFactor(h, marginY);
  extents.xDistance = radius / std::sin(horizontalHalf) * MarginFactor(w, marginX);
}

void OpenGLView::AddPointToExtents(ViewExtents& extents, const double* point) const {
  using namespace detail_Camera;
  if (!mIs3D) {
    double turned[2];
    ViewMapping2D::Turn(turned, point[0], point[1], mMapping2D.mRotation2D);
    Widen(extents, turned[0], turned[1]);
    return;
  }
  const double x = Dot(point, mRight);
  const double y = Dot(point, mUp);
  if (mOrthogonal) {
    Widen(extents, x, y);
    return;
  }
  const double z = Dot(point, mViewAxis);
  const double distance =
      std::max(std::fabs(x) * extents.xScale + z + extents.xDistance, std::fabs(y) * extents.yScale + z + extents.yDistance);
  extents.eyeDistance = std::max(extents.eyeDistance, distance);
}

void OpenGLView::ZoomToExtents(const ViewExtents& extents) {
  using namespace detail_Camera;
  const double w = ViewportWidth();
  const double h = mClientHeight;
  if (!mIs3D) {
    if (extents.minX > extents.maxX || extents.minY > extents.maxY) return;
    double availableW = w - 2.0 * extents.marginX;
    double availableH = h - 2.0 * extents.marginY;
    if (mWindow && !mWindow->HasScrollBar(true)) availableW -= mWindow->ScrollBarSize(true);
    if (mWindow && !mWindow->HasScrollBar(false)) availableH -= mWindow->ScrollBarSize(false);
    const double spanX = extents.maxX - extents.minX;
    const double spanY = extents.maxY - extents.minY;
    // As in FitExtents2D: no room along a side the extents span keeps the zoom.
    const bool room = (spanX < kTinyExtent || availableW > 0) && (spanY < kTinyExtent || availableH > 0);
    double ppu = -1.0;
    if (spanX >= kTinyExtent && room) ppu = availableW / spanX;
    if (spanY >= kTinyExtent && room) ppu = ppu < 0 ? availableH / spanY : std::min(ppu, availableH / spanY);
    if (ppu > 0) mMapping2D.mZoom = static_cast<float>(ppu / GetViewHeight());
    Mapping2D().UpdateScrollRange();
    const double cx = (extents.minX + extents.maxX) / 2.0;
    const double cy = (extents.minY + extents.maxY) / 2.0;
    Mapping2D().ScrollTo(mMapping2D.mScroll[0] + Mapping2D().ModelToWindowX(cx) - w / 2.0,
                         mMapping2D.mScroll[1] + Mapping2D().ModelToWindowY(cy) - h / 2.0);
    Invalidate(true);
    return;
  }
  if (mOrthogonal) {
    if (extents.minX > extents.maxX || extents.minY > extents.maxY) return;
    const double ax = std::max(std::fabs(extents.minX - extents.xDistance), std::fabs(extents.maxX + extents.xDistance));
    const double ay = std::max(std::fabs(extents.minY - extents.yDistance), std::fabs(extents.maxY + extents.yDistance));
    double half = 0.0;
    if (ax / mAspect > ay) {
      half = ax / mAspect * MarginFactor(w, extents.marginX);
    } else {
      half = ay * MarginFactor(h, extents.marginY);
    }
    if (half > 0.0) mOrthoHalfHeight = static_cast<float>(half);
  } else if (extents.eyeDistance > -9.0e99) {
    Scale(mEye, mViewAxis, extents.eyeDistance);
    CopyVector(mPerEye, mEye);
  }
  mCameraMatrixValid = false;
}

void OpenGLView::PanCamera(int dx, int dy) {
  using namespace detail_Camera;
  const double height = mOrthogonal ? mOrthoHalfHeight : std::tan(mFieldOfView * kRadians / 2.0) * Dot(mEye, mViewAxis);
  const double s = height * 2.0 / GetViewHeight();
  AddScaled(mEye, mRight, -dx * s);
  AddScaled(mEye, mUp, dy * s);
  CopyVector(mPerEye, mEye);
  mCameraMatrixValid = false;
  Invalidate(true);
  SyncLinkedViews();
}

void OpenGLView::ZoomCamera(double factor) {
  if (mOrthogonal) {
    mOrthoHalfHeight = static_cast<float>(mOrthoHalfHeight * factor);
  } else {
    const double distance = Dot(mEye, mViewAxis);
    double wanted = distance * factor;
    if (mMinEyeDistance >= 0.0) wanted = std::max(wanted, mMinEyeDistance);
    if (mMaxEyeDistance >= 0.0) wanted = std::min(wanted, mMaxEyeDistance);
    detail_Camera::AddScaled(mEye, mViewAxis, wanted - distance);
    CopyVector(mPerEye, mEye);
  }
  mCameraMatrixValid = false;
}

void OpenGLView::DoMouseWheel(int delta) {
  using namespace detail_Camera;
  const double notches = delta / kWheelNotch;
  if (mIs3D) {
    GetViewMotions().StopZoomThrow(this);
    if (GetViewGroup().cameras.linkedViews) {
      for (NewView* v = GetFirstView(); v; v = v->GetNext()) {
        OpenGLView* other = AsGLView(v);
        if (other && other != this && other->Is3D()) GetViewMotions().StopZoomThrow(other);
      }
    }
    ZoomCamera(std::pow(kWheelZoom, -notches));
    Invalidate(true);
    SyncLinkedViews();
    return;
  }
  int x = 0, y = 0;
  GetCurrentPoint(x, y);
  Mapping2D().Zoom2DAt(std::pow(kWheelZoom, notches), x, y);
}

bool OpenGLView::SyncLinkedViews() {
  if (!GetViewGroup().cameras.linkedViews || !mIs3D) return false;
  bool changed = false;
  for (NewView* v = GetFirstView(); v; v = v->GetNext()) {
    OpenGLView* other = detail_Camera::AsGLView(v);
    if (!other || other == this || !other->mIs3D) continue;
    other->mOrthogonal = mOrthogonal;
    other->SetEye(mEye);
    other->SetAxes(mRight, mUp, mViewAxis);
    other->mOrthoHalfHeight = mOrthoHalfHeight;
    other->mFieldOfView = mFieldOfView;
    other->Invalidate(true);
    changed = true;
  }
  return changed;
}

// ---- 2D panes ----------------------------------------------------------------------------

void OpenGLView::OnScrollBar(bool vertical, int position) {
  const int range = vertical ? mScrollHeight : mScrollWidth;
  if (mIs3D || range <= 0) {
    NewView::OnScrollBar(vertical, position);
    return;
  }
  const double pixels = static_cast<double>(position) * mMapping2D.mContentSize[vertical ? 1 : 0] / range;
  const float before[2] = {mMapping2D.mScroll[0], mMapping2D.mScroll[1]};
  Mapping2D().ScrollTo(vertical ? mMapping2D.mScroll[0] : pixels, vertical ? pixels : mMapping2D.mScroll[1]);
  if (before[0] != mMapping2D.mScroll[0] || before[1] != mMapping2D.mScroll[1]) {
    Invalidate(true);
    UpdateNow();
  }
}

// ---- Matrices --------------------------------------------------------------------------------

Matrix4 OpenGLView::GetCameraTransform() const {
  Matrix4 m;
  for (int row = 0; row < 3; ++row) {
    m(row, 0) = mRight[row];
    m(row, 1) = mUp[row];
    m(row, 2) = mViewAxis[row];
    m(row, 3) = mEye[row];
  }
  return m;
}

Matrix4 OpenGLView::GetWorldToCamera() const {
  Matrix4 m;
  const double* axes[3] = {mRight, mUp, mViewAxis};
  for (int row = 0; row < 3; ++row) {
    for (int column = 0; column < 3; ++column) m(row, column) = axes[row][column];
    m(row, 3) = -Dot(axes[row], mEye);
  }
  return m;
}

void OpenGLView::UpdateEyeSeparation() {
  mEyeSeparation = Dot(mEye, mViewAxis) * mSeparationFactor / mFocalFactor;
}

namespace detail_Camera {

// The viewport of an eye in window pixels (x, y from the bottom, width, height).
void EyeViewport(int* vp, int width, int height, bool sideBySide, int eye, int leftEye) {
  vp[0] = 0;
  vp[1] = 0;
  vp[2] = std::max(width, 1);
  vp[3] = std::max(height, 1);
  if (!sideBySide || eye == 0) return;
  const int half = std::max(width / 2, 1);
  vp[0] = eye == leftEye ? 0 : half;
  vp[2] = half;
}

}  // namespace detail_Camera

Matrix4 OpenGLView::ProjectionMatrix(bool forCameraMatrix) const {
  using namespace detail_Camera;
  Matrix4 p;
  if (!mIs3D) {
    const double w = std::max(mClientWidth, 1);
    const double h = std::max(mClientHeight, 1);
    p = OrthoMatrix4(Mapping2D().WindowToModelX(0), Mapping2D().WindowToModelX(w), Mapping2D().WindowToModelY(h),
                     Mapping2D().WindowToModelY(0), 1.0, 20.0);
  } else if (mOrthogonal) {
    const double h = mOrthoHalfHeight;
    p = OrthoMatrix4(-mAspect * h, mAspect * h, -h, h, mNear, mFar);
  } else if (mStereoKind != StereoKind::None && mCurrentEye != 0) {
    const double t = std::tan(mFieldOfView * std::numbers::pi / 360.0) * mNear;
    // The two frusta share their window at the distance of the origin: the eye
    // separation over that distance is the factor of the separation.
    double s = mNear * mSeparationFactor / mFocalFactor;
    if (mCurrentEye == 2) s = -s;
    p = FrustumMatrix4(-mAspect * t + s, mAspect * t + s, -t, t, mNear, mFar);
  } else {
    p = PerspectiveMatrix4(mFieldOfView, mAspect, mNear, mFar);
  }
  if (forCameraMatrix) return p;
  return PickOrTileRegion() * p;
}

Matrix4 OpenGLView::PickOrTileRegion() const {
  using namespace detail_Camera;
  int eye[4];
  EyeViewport(eye, mClientWidth, mClientHeight, mIs3D && mStereoKind == StereoKind::SideBySide, mCurrentEye,
              mLeftEye);
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
  Matrix4 m;
  Matrix4 hook;
  const bool hasHook = PreViewingMatrixHook(hook);
  if (hookUsed) *hookUsed = hasHook;
  if (!mIs3D) {
    double rz[9];
    AxisRotationMatrix(rz, 2, mMapping2D.mRotation2D * detail_Camera::kRadians);
    m = TranslationMatrix4(0, 0, -10);
    if (hasHook) m = m * hook;
    return m * RotationMatrix4(rz);
  }
  CopyVector(mPerEye, mEye);
  if (withStereoOffset && mStereoKind != StereoKind::None && mCurrentEye != 0) {
    const double e = mCurrentEye == 1 ? -mEyeSeparation : mEyeSeparation;
    detail_Camera::AddScaled(mPerEye, mRight, e);
    m = TranslationMatrix4(-e, 0, 0);
  }
  Matrix4 worldToCamera = GetWorldToCamera();
  Matrix4 rotation = worldToCamera;
  rotation(0, 3) = rotation(1, 3) = rotation(2, 3) = 0.0;
  m = m * TranslationMatrix4(worldToCamera(0, 3), worldToCamera(1, 3), worldToCamera(2, 3));
  if (hasHook) m = m * hook;
  return m * rotation;
}

Matrix4 OpenGLView::GetProjectionMatrix() const { return ProjectionMatrix(false); }

Matrix4 OpenGLView::GetModelViewMatrix() { return ViewingMatrix(true); }

void OpenGLView::UpdateCameraMatrix() {
  // Inside this view's drawing the matrix is kept until the viewing matrix is set
  // again; elsewhere the camera may have moved at any time.
  if (mCameraMatrixValid && GetCurrent() == this) return;
  int eye[4];
  detail_Camera::EyeViewport(eye, mClientWidth, mClientHeight, mIs3D && mStereoKind == StereoKind::SideBySide,
                             mCurrentEye, mLeftEye);
  mCameraModelView = ViewingMatrix(true);
  mCameraMatrix = detail_Camera::WindowMapping(eye, std::max(mClientHeight, 1)) * ProjectionMatrix(true) * mCameraModelView;
  mCameraMatrixValid = true;
}

const Matrix4& OpenGLView::GetCameraMatrix() {
  UpdateCameraMatrix();
  return mCameraMatrix;
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

double OpenGLView::GetFacingValue(const double* point, const double* normal, bool normalise) const {
  if (mOrthogonal) return Dot(normal, mViewAxis);
  double toEye[3];
  Subtract(toEye, mPerEye, point);
  if (normalise) NormaliseVector(toEye, toEye);
  return Dot(normal, toEye);
}

bool OpenGLView::IsFrontFacing(const double* point, const double* normal, bool useMatrix) {
  if (!mIs3D) return true;
  if (!useMatrix) return GetFacingValue(point, normal, false) >= 0.0;
  // Through the viewing matrix in use: the camera sits at the origin of its space.
  UpdateCameraMatrix();
  double p[3], n[3];
  TransformPoint3(mCameraModelView, p, point);
  TransformDirection3(mCameraModelView, n, normal);
  if (mOrthogonal) return n[2] >= 0.0;
  return -Dot(n, p) >= 0.0;
}

bool OpenGLView::IsFrontFacingF(const float* point, const float* normal, bool useMatrix) {
  const double p[3] = {point[0], point[1], point[2]};
  const double n[3] = {normal[0], normal[1], normal[2]};
  return IsFrontFacing(p, n, useMatrix);
}

void OpenGLView::GetViewDirection(double* out, const double* point) const {
  if (!mIs3D) {
    out[0] = out[1] = 0.0;
    out[2] = 1.0;
  } else if (mOrthogonal) {
    // Towards the viewer, as in perspective.
    CopyVector(out, mViewAxis);
  } else {
    Subtract(out, mPerEye, point);
  }
}

void OpenGLView::GetPickRay(double* origin, double* direction, double x, double y) const {
  using namespace detail_Camera;
  if (!mIs3D) {
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
  const double h = std::max(mClientHeight, 1);
  if (mStereoKind == StereoKind::SideBySide && x >= w) x -= w;
  const double dx = x - w / 2.0;
  const double dy = h / 2.0 - y;
  double across[3] = {0, 0, 0};
  AddScaled(across, mRight, dx);
  AddScaled(across, mUp, dy);
  if (mOrthogonal) {
    CopyVector(origin, mEye);
    AddScaled(origin, across, 2.0 * mOrthoHalfHeight / h);
    NegateInto(direction, mViewAxis);
    return;
  }
  CopyVector(origin, mEye);
  Scale(direction, across, 2.0 * std::tan(mFieldOfView * kRadians / 2.0) / h);
  Subtract(direction, direction, mViewAxis);
  NormaliseVector(direction, direction);
}

// ---- The GL side -------------------------------------------------------------------------

void OpenGLView::ApplyProjection(unsigned matrixMode) {
  glMatrixMode(matrixMode);
  if (matrixMode == kMatrixModelView) {
    // The window mapping in front, so that the result maps to window pixels.
    int eye[4];
    detail_Camera::EyeViewport(eye, mClientWidth, mClientHeight, mIs3D && mStereoKind == StereoKind::SideBySide,
                               mCurrentEye, mLeftEye);
    Matrix4 m = detail_Camera::WindowMapping(eye, std::max(mClientHeight, 1)) * ProjectionMatrix(true);
    glLoadMatrixd(m.m);
  } else {
    if (!mIs3D) Mapping2D().ComputeVisibleArea2D();
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
  if (!mIs3D) {
    glTranslated(0, 0, -10);
    if (hasHook) glMultMatrixd(hook.m);
    glRotated(mMapping2D.mRotation2D, 0, 0, 1);
  } else {
    CopyVector(mPerEye, mEye);
    if (mStereoKind != StereoKind::None && mCurrentEye != 0) {
      const double e = mCurrentEye == 1 ? -mEyeSeparation : mEyeSeparation;
      detail_Camera::AddScaled(mPerEye, mRight, e);
      glTranslated(-e, 0, 0);
    }
    if (withLights) {
      EnableLights();
      PlaceLights(true);
    }
    Matrix4 worldToCamera = GetWorldToCamera();
    glTranslated(worldToCamera(0, 3), worldToCamera(1, 3), worldToCamera(2, 3));
    if (hasHook) glMultMatrixd(hook.m);
    worldToCamera(0, 3) = worldToCamera(1, 3) = worldToCamera(2, 3) = 0.0;
    glMultMatrixd(worldToCamera.m);
    if (withLights) PlaceLights(false);
  }
  mCameraMatrixValid = false;
  CheckGLError("SetViewingMatrix");
}

void OpenGLView::UpdateViewport() {
  int eye[4];
  detail_Camera::EyeViewport(eye, mClientWidth, mClientHeight, mIs3D && mStereoKind == StereoKind::SideBySide,
                             mCurrentEye, mLeftEye);
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
  ApplyStereoColorMask();
  mViewportStale = false;
  CheckGLError("UpdateViewport");
}

}  // namespace corvia
