// ViewCamera: the camera of a 3D view: its pose, field of view, projection kind and
// limits, the stored camera slots, rotations, fitting, panning and zooming. All of it
// is arithmetic on its fields and its matrices; the view hands them to GL.

#include "render/ViewCamera.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "core/VectorMath.h"
#include "render/OpenGLView.h"
#include "render/ViewArea.h"
#include "render/ViewGroup.h"
#include "render/ViewMotions.h"
#include "render/ViewStereo.h"
#include "render/ViewWindow.h"

namespace corvia {

namespace detail_ViewCamera {

constexpr double kDegrees = 180.0 / std::numbers::pi;
constexpr double kRadians = std::numbers::pi / 180.0;

// size / (size - 2 margin): the share of the window that the margins leave. The
// margins are ignored where they would leave nothing.
double MarginFactor(double size, double margin) {
  if (margin <= 0.0 || size <= 2.0 * margin + 1.0) return 1.0;
  return size / (size - 2.0 * margin);
}

void RotateVector(const double* matrix, double* v) {
  MatrixTimesVector(matrix, v, v);
}

void Widen(ViewExtents& extents, double x, double y) {
  extents.minX = std::min(extents.minX, x);
  extents.maxX = std::max(extents.maxX, x);
  extents.minY = std::min(extents.minY, y);
  extents.maxY = std::max(extents.maxY, y);
}

}  // namespace detail_ViewCamera

ViewCamera::ViewCamera(const ViewArea& area, const ViewStereo& stereo, ViewMapping2D& mapping, OpenGLView* view)
    : mArea(area), mStereo(stereo), mMapping(mapping), mView(view) {}

void ViewCamera::AddScaled(double* out, const double* v, double s) {
  out[0] += v[0] * s;
  out[1] += v[1] * s;
  out[2] += v[2] * s;
}

void ViewCamera::UpdateAspectRatio() {
  const int w = mStereo.ViewportWidth();
  const int h = mArea.height;
  mAspect = h > 0 ? static_cast<float>(w) / static_cast<float>(h) * mPixelAspect : mPixelAspect;
  if (!(mAspect > 0.0f)) mAspect = mPixelAspect;
  DropMatrices();
}

// ---- Set-up and records -----------------------------------------------------------------

void ViewCamera::InitCamera() {
  UpdateAspectRatio();
  SetDefaultCamera(true);
  mMinEyeDistance = mMaxEyeDistance = -1.0;
  mNear = 0.1f;
  mFar = 4000.0f;
  ViewSphere(nullptr, 1.0);
}

void ViewCamera::SetDefaultCamera(bool withFieldOfView) {
  mMapping.SetZoom(1.0f);
  mMapping.SetRotation2D(0.0f);
  const double eye[3] = {0, 0, 2}, right[3] = {1, 0, 0}, up[3] = {0, 1, 0}, view[3] = {0, 0, 1};
  CopyVector(mEye, eye);
  CopyVector(mPerEye, eye);
  SetAxes(right, up, view);
  CopyVector(mHome, eye);
  mFieldOfView = 25.0f;
  if (withFieldOfView) SetFieldOfView(25.0);
  DropMatrices();
}

void ViewCamera::SetEye(const double* eye) {
  CopyVector(mEye, eye);
  CopyVector(mPerEye, eye);
  DropMatrices();
}

void ViewCamera::SetAxes(const double* right, const double* up, const double* viewAxis) {
  CopyVector(mRight, right);
  CopyVector(mUp, up);
  CopyVector(mViewAxis, viewAxis);
  DropMatrices();
}

void ViewCamera::PlaceEyeDrawn(double offset) {
  CopyVector(mPerEye, mEye);
  if (offset != 0.0) AddScaled(mPerEye, mRight, offset);
}

void ViewCamera::TakePose(const ViewCamera& other) {
  mOrthogonal = other.mOrthogonal;
  SetEye(other.mEye);
  SetAxes(other.mRight, other.mUp, other.mViewAxis);
  mOrthoHalfHeight = other.mOrthoHalfHeight;
  mFieldOfView = other.mFieldOfView;
}

void ViewCamera::GetCamera(CameraRecord& record) const {
  record.valid = 1;
  record.orthogonal = mOrthogonal;
  CopyVector(record.eye, mEye);
  CopyVector(record.right, mRight);
  CopyVector(record.up, mUp);
  CopyVector(record.viewAxis, mViewAxis);
  record.fieldOfView = mFieldOfView;
  record.orthoHalfHeight = mOrthoHalfHeight;
  const ViewMapping2D::Placement placement = mMapping.GetPlacement();
  record.zoom = placement.zoom;
  record.rotation2D = placement.rotation;
  std::copy(placement.extents, placement.extents + 4, record.extents2D);
  std::copy(placement.scroll, placement.scroll + 2, record.scroll);
  std::copy(placement.contentSize, placement.contentSize + 2, record.contentSize);
}

void ViewCamera::SetCamera(const CameraRecord& record, bool redraw) {
  if (!record.valid) return;
  mOrthogonal = record.orthogonal != 0;
  SetEye(record.eye);
  SetAxes(record.right, record.up, record.viewAxis);
  mFieldOfView = record.fieldOfView;
  mOrthoHalfHeight = record.orthoHalfHeight;
  ViewMapping2D::Placement placement;
  placement.zoom = record.zoom;
  placement.rotation = record.rotation2D;
  std::copy(record.extents2D, record.extents2D + 4, placement.extents);
  std::copy(record.scroll, record.scroll + 2, placement.scroll);
  std::copy(record.contentSize, record.contentSize + 2, placement.contentSize);
  mMapping.SetPlacement(placement);
  // Put on only for a drawing (a paint drawing another record's model), the camera
  // leaves the window's scroll bars alone: setting them asks for another paint.
  const bool held = mView && mView->HoldScrollBars(!redraw);
  mMapping.SetScrollSizes2D(record.contentSize[0], record.contentSize[1], true);
  if (!mView) return;
  mView->HoldScrollBars(held);
  if (redraw) mView->Invalidate(true);
}

void ViewCamera::UseCamera(int i) {
  // The slots are the frame's: a camera on its own has none.
  if (!mView) return;
  const std::vector<CameraRecord>& stored = mView->GetViewGroup().cameras.stored;
  if (i >= 0 && i < kNumStoredCameras && stored[static_cast<size_t>(i)].valid)
    SetCamera(stored[static_cast<size_t>(i)]);
}

void ViewCamera::StoreCamera(int i) {
  if (mView && i >= 0 && i < kNumStoredCameras) GetCamera(mView->GetViewGroup().cameras.stored[static_cast<size_t>(i)]);
}

void ViewCamera::SaveCameraFrame(CameraFrame& frame) const {
  frame.valid = 1;
  CopyVector(frame.eye, mEye);
  CopyVector(frame.right, mRight);
  CopyVector(frame.up, mUp);
  CopyVector(frame.viewAxis, mViewAxis);
}

void ViewCamera::RestoreCameraFrame(const CameraFrame& frame) {
  if (!frame.valid) return;
  SetEye(frame.eye);
  SetAxes(frame.right, frame.up, frame.viewAxis);
}

// ---- Rotations --------------------------------------------------------------------------

void ViewCamera::RotateCamera(const double* axis, double angle) {
  double m[9];
  AxisAngleRotationMatrix(m, axis, angle * detail_ViewCamera::kRadians);
  for (double* v : {mEye, mRight, mUp, mViewAxis}) detail_ViewCamera::RotateVector(m, v);
  CopyVector(mPerEye, mEye);
  DropMatrices();
}

void ViewCamera::RotateAboutViewAxis(int i, double angle) {
  double axis[3];
  CopyVector(axis, i == 0 ? mRight : (i == 1 ? mUp : mViewAxis));
  RotateCamera(axis, angle);
}

void ViewCamera::RotateCameraEuler(double a, double b, double c) {
  // About the world x axis by a, then y by b, then z by c.
  double rx[9], ry[9], rz[9], ryx[9], m[9];
  AxisRotationMatrix(rx, 0, a * detail_ViewCamera::kRadians);
  AxisRotationMatrix(ry, 1, b * detail_ViewCamera::kRadians);
  AxisRotationMatrix(rz, 2, c * detail_ViewCamera::kRadians);
  MatrixTimesMatrix(ryx, ry, rx);
  MatrixTimesMatrix(m, rz, ryx);
  for (double* v : {mEye, mRight, mUp, mViewAxis}) detail_ViewCamera::RotateVector(m, v);
  CopyVector(mPerEye, mEye);
  DropMatrices();
}

void ViewCamera::RotateInViewFrame(const double* cameraAxis, double angle, bool orbit) {
  double axis[3] = {0, 0, 0};
  AddScaled(axis, mRight, cameraAxis[0]);
  AddScaled(axis, mUp, cameraAxis[1]);
  AddScaled(axis, mViewAxis, cameraAxis[2]);
  if (orbit) {
    RotateCamera(axis, angle);
    return;
  }
  double m[9];
  AxisAngleRotationMatrix(m, axis, angle * detail_ViewCamera::kRadians);
  for (double* v : {mRight, mUp, mViewAxis}) detail_ViewCamera::RotateVector(m, v);
  DropMatrices();
}

void ViewCamera::OrthonormalizeCamera() {
  double v[3], r[3];
  if (!NormaliseVector(v, mViewAxis)) return;
  CopyVector(mViewAxis, v);
  Cross(r, mUp, mViewAxis);
  if (!NormaliseVector(mRight, r)) return;
  Cross(mUp, mViewAxis, mRight);
  DropMatrices();
}

namespace detail_ViewCamera {

// The angle (degrees) that spans `ratio` times the extent the given angle spans at
// the same distance: 2 atan(ratio tan(angle / 2)).
double ScaleAngle(double angle, double ratio) {
  return 2.0 * std::atan(ratio * std::tan(angle * kRadians / 2.0)) * kDegrees;
}

}  // namespace detail_ViewCamera

double ViewCamera::ConvertFieldOfView(double angle, double width, double height) const {
  if (angle < 0.0) angle = mFieldOfView;
  if (width < 0.0) width = mStereo.ViewportWidth();
  if (height < 0.0) height = mArea.height;
  if (height <= 0.0 || width <= 0.0) return angle;
  return detail_ViewCamera::ScaleAngle(angle, width / height);
}

double ViewCamera::HorizontalToVerticalFieldOfView(double angle, double width, double height) const {
  if (angle < 0.0) angle = mFieldOfView;
  if (width < 0.0) width = mStereo.ViewportWidth();
  if (height < 0.0) height = mArea.height;
  if (height <= 0.0 || width <= 0.0) return angle;
  return detail_ViewCamera::ScaleAngle(angle, height / width);
}

double ViewCamera::GetNarrowerFieldOfView() const {
  if (mStereo.ViewportWidth() < mArea.height) return ConvertFieldOfView(mFieldOfView, -1, -1);
  return mFieldOfView;
}

void ViewCamera::InitFieldOfView(double angle, double referenceAspect) {
  mReferenceAspect = static_cast<float>(referenceAspect);
  mSetAngle = static_cast<float>(angle);
  mHorizontalAtReference = static_cast<float>(detail_ViewCamera::ScaleAngle(angle, referenceAspect));
  if (mReferenceAspect > 0.0f) ApplyReferenceAspectOnSize();
}

void ViewCamera::ApplyReferenceAspectOnSize() {
  if (mReferenceAspect <= 0.0f) return;
  // A window narrower than the reference keeps the horizontal angle, a wider one the
  // vertical angle that was set.
  if (mAspect < mReferenceAspect) {
    mFieldOfView = static_cast<float>(detail_ViewCamera::ScaleAngle(mHorizontalAtReference, 1.0 / mAspect));
  } else {
    mFieldOfView = mSetAngle;
  }
  DropMatrices();
}

void ViewCamera::SetVerticalFieldOfView(double angle) {
  using detail_ViewCamera::ScaleAngle;
  mFieldOfView = static_cast<float>(angle);
  DropMatrices();
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

void ViewCamera::SetHorizontalFieldOfView(double angle) {
  using detail_ViewCamera::ScaleAngle;
  mFieldOfView = static_cast<float>(ScaleAngle(angle, 1.0 / mAspect));
  DropMatrices();
  if (mReferenceAspect <= 0.0f) return;
  mHorizontalAtReference = static_cast<float>(angle);
  mSetAngle = static_cast<float>(ScaleAngle(angle, 1.0 / mReferenceAspect));
}

void ViewCamera::SetFieldOfView(double angle) {
  if (mReferenceAspect > 0.0f && mAspect < mReferenceAspect) {
    SetHorizontalFieldOfView(detail_ViewCamera::ScaleAngle(angle, mReferenceAspect));
  } else {
    SetVerticalFieldOfView(angle);
  }
}

double ViewCamera::GetFieldOfView() const {
  if (mReferenceAspect > 0.0f && mAspect < mReferenceAspect) {
    return detail_ViewCamera::ScaleAngle(mHorizontalAtReference, 1.0 / mReferenceAspect);
  }
  return mFieldOfView;
}

void ViewCamera::SetOrthogonal(bool on) {
  using namespace detail_ViewCamera;
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
  DropMatrices();
  if (mView) mView->Invalidate(true);
}

// ---- Fitting ---------------------------------------------------------------------------------

void ViewCamera::ViewSphere(const double* centre, double radius) {
  using namespace detail_ViewCamera;
  if (mView) GetViewMotions().StopZoomThrow(mView);
  const double w = mStereo.ViewportWidth();
  const double h = mArea.height;
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
  DropMatrices();
}

void ViewCamera::InitExtents(ViewExtents& extents, double radius, int marginX, int marginY) const {
  using namespace detail_ViewCamera;
  extents = ViewExtents{};
  extents.marginX = marginX;
  extents.marginY = marginY;
  if (!mArea.is3D) return;
  if (mOrthogonal) {
    extents.xDistance = extents.yDistance = radius;
    return;
  }
  const double w = mStereo.ViewportWidth();
  const double h = mArea.height;
  const double half = mFieldOfView * kRadians / 2.0;
  const double horizontalHalf = ConvertFieldOfView(mFieldOfView, -1, -1) * kRadians / 2.0;
  extents.yScale = 1.0 / std::tan(half) * MarginFactor(h, marginY);
  extents.xScale = (1.0 / std::tan(half)) / mAspect * MarginFactor(w, marginX);
  extents.yDistance = radius / std::sin(half) * MarginFactor(h, marginY);
  extents.xDistance = radius / std::sin(horizontalHalf) * MarginFactor(w, marginX);
}

void ViewCamera::AddPointToExtents(ViewExtents& extents, const double* point) const {
  using namespace detail_ViewCamera;
  if (!mArea.is3D) {
    double turned[2];
    ViewMapping2D::Turn(turned, point[0], point[1], mMapping.GetRotation2D());
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
  const double distance = std::max(std::fabs(x) * extents.xScale + z + extents.xDistance,
                                   std::fabs(y) * extents.yScale + z + extents.yDistance);
  extents.eyeDistance = std::max(extents.eyeDistance, distance);
}

void ViewCamera::ZoomToExtents(const ViewExtents& extents) {
  using namespace detail_ViewCamera;
  const double w = mStereo.ViewportWidth();
  const double h = mArea.height;
  if (!mArea.is3D) {
    if (extents.minX > extents.maxX || extents.minY > extents.maxY) return;
    double availableW = w - 2.0 * extents.marginX;
    double availableH = h - 2.0 * extents.marginY;
    const ViewWindow* window = mView ? mView->GetWindow() : nullptr;
    if (window && !window->HasScrollBar(true)) availableW -= window->ScrollBarSize(true);
    if (window && !window->HasScrollBar(false)) availableH -= window->ScrollBarSize(false);
    const double spanX = extents.maxX - extents.minX;
    const double spanY = extents.maxY - extents.minY;
    // As in FitExtents2D: no room along a side the extents span keeps the zoom.
    const bool room = (spanX < kTinyExtent || availableW > 0) && (spanY < kTinyExtent || availableH > 0);
    double ppu = -1.0;
    if (spanX >= kTinyExtent && room) ppu = availableW / spanX;
    if (spanY >= kTinyExtent && room) ppu = ppu < 0 ? availableH / spanY : std::min(ppu, availableH / spanY);
    ViewMapping2D& mapping = mMapping;
    if (ppu > 0) mapping.SetZoom(static_cast<float>(ppu / mArea.DrawingHeight()));
    mapping.UpdateScrollRange();
    const double cx = (extents.minX + extents.maxX) / 2.0;
    const double cy = (extents.minY + extents.maxY) / 2.0;
    mapping.ScrollTo(mapping.GetScrollPosition2D()[0] + mapping.ModelToWindowX(cx) - w / 2.0,
                     mapping.GetScrollPosition2D()[1] + mapping.ModelToWindowY(cy) - h / 2.0);
    if (mView) mView->Invalidate(true);
    return;
  }
  if (mOrthogonal) {
    if (extents.minX > extents.maxX || extents.minY > extents.maxY) return;
    const double ax =
        std::max(std::fabs(extents.minX - extents.xDistance), std::fabs(extents.maxX + extents.xDistance));
    const double ay =
        std::max(std::fabs(extents.minY - extents.yDistance), std::fabs(extents.maxY + extents.yDistance));
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
  DropMatrices();
}

void ViewCamera::PanCamera(int dx, int dy) {
  using namespace detail_ViewCamera;
  const double height = mOrthogonal ? mOrthoHalfHeight : std::tan(mFieldOfView * kRadians / 2.0) * Dot(mEye, mViewAxis);
  const double s = height * 2.0 / mArea.DrawingHeight();
  AddScaled(mEye, mRight, -dx * s);
  AddScaled(mEye, mUp, dy * s);
  CopyVector(mPerEye, mEye);
  DropMatrices();
  if (!mView) return;
  mView->Invalidate(true);
  mView->SyncLinkedViews();
}

void ViewCamera::ZoomCamera(double factor) {
  if (mOrthogonal) {
    mOrthoHalfHeight = static_cast<float>(mOrthoHalfHeight * factor);
  } else {
    const double distance = Dot(mEye, mViewAxis);
    double wanted = distance * factor;
    if (mMinEyeDistance >= 0.0) wanted = std::max(wanted, mMinEyeDistance);
    if (mMaxEyeDistance >= 0.0) wanted = std::min(wanted, mMaxEyeDistance);
    AddScaled(mEye, mViewAxis, wanted - distance);
    CopyVector(mPerEye, mEye);
  }
  DropMatrices();
}

// ---- Frames and facing -----------------------------------------------------------------------

Matrix4 ViewCamera::GetCameraTransform() const {
  Matrix4 m;
  for (int row = 0; row < 3; ++row) {
    m(row, 0) = mRight[row];
    m(row, 1) = mUp[row];
    m(row, 2) = mViewAxis[row];
    m(row, 3) = mEye[row];
  }
  return m;
}

Matrix4 ViewCamera::GetWorldToCamera() const {
  Matrix4 m;
  const double* axes[3] = {mRight, mUp, mViewAxis};
  for (int row = 0; row < 3; ++row) {
    for (int column = 0; column < 3; ++column) m(row, column) = axes[row][column];
    m(row, 3) = -Dot(axes[row], mEye);
  }
  return m;
}

double ViewCamera::GetFacingValue(const double* point, const double* normal, bool normalise) const {
  if (mOrthogonal) return Dot(normal, mViewAxis);
  double toEye[3];
  Subtract(toEye, mPerEye, point);
  if (normalise) NormaliseVector(toEye, toEye);
  return Dot(normal, toEye);
}

// ---- Matrices --------------------------------------------------------------------------------

namespace detail_ViewCamera {

// Window pixels (y down) from normalised device coordinates over the viewport vp
// (GL coordinates, y up) of a window `height` pixels high.
Matrix4 WindowMapping(const int* vp, int height) {
  return TranslationMatrix4(vp[0] + vp[2] / 2.0, height - vp[1] - vp[3] / 2.0, 0.0) *
         ScalingMatrix4(vp[2] / 2.0, -vp[3] / 2.0, 1.0);
}

}  // namespace detail_ViewCamera

Matrix4 ViewCamera::ProjectionMatrix() const {
  Matrix4 p;
  if (!mArea.is3D) {
    const double w = std::max(mArea.width, 1);
    const double h = std::max(mArea.height, 1);
    p = OrthoMatrix4(mMapping.WindowToModelX(0), mMapping.WindowToModelX(w), mMapping.WindowToModelY(h),
                     mMapping.WindowToModelY(0), 1.0, 20.0);
  } else if (mOrthogonal) {
    const double h = mOrthoHalfHeight;
    const double aspect = mAspect;
    p = OrthoMatrix4(-aspect * h, aspect * h, -h, h, mNear, mFar);
  } else if (mStereo.GetStereoKind() != StereoKind::None && mStereo.GetCurrentEye() != 0) {
    const double zNear = mNear;
    const double aspect = mAspect;
    const double t = std::tan(mFieldOfView * std::numbers::pi / 360.0) * zNear;
    // The two frusta share their window at the distance of the origin: the eye
    // separation over that distance is the factor of the separation.
    double s = mStereo.FrustumShift(zNear);
    if (mStereo.GetCurrentEye() == 2) s = -s;
    p = FrustumMatrix4(-aspect * t + s, aspect * t + s, -t, t, zNear, mFar);
  } else {
    p = PerspectiveMatrix4(mFieldOfView, mAspect, mNear, mFar);
  }
  return p;
}

Matrix4 ViewCamera::ViewingMatrix(bool withStereoOffset, const Matrix4* between) {
  Matrix4 m;
  if (!mArea.is3D) {
    double rz[9];
    AxisRotationMatrix(rz, 2, mMapping.GetRotation2D() * detail_ViewCamera::kRadians);
    m = TranslationMatrix4(0, 0, -10);
    if (between) m = m * *between;
    return m * RotationMatrix4(rz);
  }
  double e = 0.0;
  if (withStereoOffset && mStereo.GetStereoKind() != StereoKind::None && mStereo.GetCurrentEye() != 0) {
    e = mStereo.GetCurrentEye() == 1 ? -mStereo.GetEyeSeparation() : mStereo.GetEyeSeparation();
    m = TranslationMatrix4(-e, 0, 0);
  }
  PlaceEyeDrawn(e);
  Matrix4 worldToCamera = GetWorldToCamera();
  Matrix4 rotation = worldToCamera;
  rotation(0, 3) = rotation(1, 3) = rotation(2, 3) = 0.0;
  m = m * TranslationMatrix4(worldToCamera(0, 3), worldToCamera(1, 3), worldToCamera(2, 3));
  if (between) m = m * *between;
  return m * rotation;
}

Matrix4 ViewCamera::WindowMapping() const {
  int eye[4];
  mStereo.EyeViewport(eye);
  return detail_ViewCamera::WindowMapping(eye, mArea.DrawingHeight());
}

void ViewCamera::MakeMatrices(const Matrix4* between) {
  mCameraModelView = ViewingMatrix(true, between);
  mCameraMatrix = WindowMapping() * ProjectionMatrix() * mCameraModelView;
  mMatricesMade = true;
}

void ViewCamera::GetViewDirection(double* out, const double* point) const {
  if (!mArea.is3D) {
    out[0] = out[1] = 0.0;
    out[2] = 1.0;
  } else if (mOrthogonal) {
    // Towards the viewer, as in perspective.
    CopyVector(out, mViewAxis);
  } else {
    Subtract(out, mPerEye, point);
  }
}

}  // namespace corvia
