#pragma once
// ViewCamera: the camera of a view: the eye and its frame (right, up and view axes),
// the field of view (with the reference aspect that keeps the horizontal angle in
// narrow windows), orthogonal or perspective projection with its half height, the near
// and far planes, the eye distance limits and pixel margins of fitting, the stored
// camera slots, rotations, fitting a sphere or extents, panning and zooming. Angles are
// in degrees. It makes its matrices (projection, viewing, and model to window pixels)
// from its pose, the drawing area, the stereo eye and a flat pane's mapping, and keeps
// the last ones until a change of its own or of the mapping drops them. It is plain
// arithmetic; the view hands its results to GL.

#include "render/Matrix4.h"

namespace corvia {

class OpenGLView;
class ViewMapping2D;
class ViewStereo;
struct CameraFrame;
struct CameraRecord;
struct ViewArea;
struct ViewExtents;

class ViewCamera {
 public:
  // The view is the pane that the camera redraws, whose scroll bars and stored camera
  // slots it uses and whose linked views follow it; null for a camera on its own.
  ViewCamera(const ViewArea& area, const ViewStereo& stereo, ViewMapping2D& mapping, OpenGLView* view);
  ViewCamera(const ViewCamera&) = delete;
  ViewCamera& operator=(const ViewCamera&) = delete;

  // Width over height of the drawing area of one eye, times the pixel aspect.
  float GetAspectRatio() const { return mAspect; }
  void UpdateAspectRatio();
  // The default pose and field of view, the near and far planes, a unit sphere fitted.
  void InitCamera();
  void SetDefaultCamera(bool withFieldOfView);
  void GetCamera(CameraRecord& record) const;
  // Without redraw the pane is not marked (a pane taking a camera while it draws).
  void SetCamera(const CameraRecord& record, bool redraw = true);
  void UseCamera(int i);
  void StoreCamera(int i);
  void SaveCameraFrame(CameraFrame& frame) const;
  void RestoreCameraFrame(const CameraFrame& frame);

  // Angles in degrees.
  void RotateCamera(const double* axis, double angle);
  void RotateAboutViewAxis(int i, double angle);
  void RotateCameraEuler(double a, double b, double c);
  void RotateInViewFrame(const double* cameraAxis, double angle, bool orbit);
  void OrthonormalizeCamera();

  double ConvertFieldOfView(double angle, double width, double height) const;
  double HorizontalToVerticalFieldOfView(double angle, double width, double height) const;
  double GetNarrowerFieldOfView() const;
  void InitFieldOfView(double angle, double referenceAspect);
  void SetVerticalFieldOfView(double angle);
  void SetHorizontalFieldOfView(double angle);
  void SetFieldOfView(double angle);
  double GetFieldOfView() const;
  float GetFieldOfViewInEffect() const { return mFieldOfView; }
  void SetOrthogonal(bool on);
  bool IsOrthogonal() const { return mOrthogonal; }
  void SetPixelMargins(int x, int y) {
    mMarginX = x;
    mMarginY = y;
  }
  // The margins fitting leaves along the width and the height (a flat pane's too).
  int GetPixelMarginX() const { return mMarginX; }
  int GetPixelMarginY() const { return mMarginY; }
  float GetNear() const { return mNear; }
  float GetFar() const { return mFar; }
  void SetNearFar(float zNear, float zFar) {
    mNear = zNear;
    mFar = zFar;
  }
  void SetEyeDistanceLimits(double minimum, double maximum) {
    mMinEyeDistance = minimum;
    mMaxEyeDistance = maximum;
  }

  // Fits a sphere (centre null: the origin) into the window.
  void ViewSphere(const double* centre, double radius);
  void InitExtents(ViewExtents& extents, double radius, int marginX, int marginY) const;
  void AddPointToExtents(ViewExtents& extents, const double* point) const;
  void ZoomToExtents(const ViewExtents& extents);

  // Moves the eye across the view as a drag by (dx, dy) pixels moves the model point
  // under the mouse (on the plane through the origin) with the mouse.
  void PanCamera(int dx, int dy);
  // Scales the orthogonal height, or the eye distance within the limits.
  void ZoomCamera(double factor);

  const double* GetEye() const { return mEye; }
  const double* GetPerEyePosition() const { return mPerEye; }
  const double* GetRightAxis() const { return mRight; }
  const double* GetUpAxis() const { return mUp; }
  const double* GetViewAxis() const { return mViewAxis; }
  void SetEye(const double* eye);
  void SetAxes(const double* right, const double* up, const double* viewAxis);
  // The eye being drawn: the eye moved along the right axis by the offset (one eye of
  // a stereo pair), from which facing is judged.
  void PlaceEyeDrawn(double offset);
  // The other camera's projection kind, eye, axes, orthogonal half height and field
  // of view in effect, as linked views share them.
  void TakePose(const ViewCamera& other);
  float GetOrthoHalfHeight() const { return mOrthoHalfHeight; }
  void SetOrthoHalfHeight(float h) { mOrthoHalfHeight = h; }
  // The camera's frame: its axes as columns and the eye as the translation; and the
  // inverse, world to camera.
  Matrix4 GetCameraTransform() const;
  Matrix4 GetWorldToCamera() const;
  // normal . (eye - point), or normal . view axis in orthogonal projection; positive
  // for a surface facing the viewer.
  double GetFacingValue(const double* point, const double* normal, bool normalise) const;
  // From the point towards the viewer (+z in flat panes).
  void GetViewDirection(double* out, const double* point) const;

  // The field of view after the window's aspect changed, when it has a reference aspect.
  void ApplyReferenceAspectOnSize();

  // ---- Matrices ----
  // The projection of the eye being drawn (a flat pane: its model rectangle shown).
  Matrix4 ProjectionMatrix() const;
  // The viewing matrix, with the stereo eye's offset when asked, and the transform
  // (when given) between the translation and the rotation.
  Matrix4 ViewingMatrix(bool withStereoOffset, const Matrix4* between);
  // Normalised device coordinates to window pixels (y down) over the current eye's
  // viewport.
  Matrix4 WindowMapping() const;
  // Makes the camera matrix (model to window pixels) and the viewing matrix it starts
  // from; they are kept until DropMatrices.
  void MakeMatrices(const Matrix4* between);
  bool HasMatrices() const { return mMatricesMade; }
  // The camera, the mapping or the area changed, or GL was given other matrices.
  void DropMatrices() { mMatricesMade = false; }
  const Matrix4& GetCameraMatrix() const { return mCameraMatrix; }
  const Matrix4& GetCameraModelView() const { return mCameraModelView; }

  // out += v s.
  static void AddScaled(double* out, const double* v, double s);

 private:
  const ViewArea& mArea;
  const ViewStereo& mStereo;
  ViewMapping2D& mMapping;
  OpenGLView* mView;
  Matrix4 mCameraMatrix;
  Matrix4 mCameraModelView;
  bool mMatricesMade = false;
  float mAspect = 1.0f;
  float mPixelAspect = 1.0f;
  double mEye[3] = {0, 0, 2};
  double mRight[3] = {1, 0, 0};
  double mUp[3] = {0, 1, 0};
  double mViewAxis[3] = {0, 0, 1};
  float mFieldOfView = 25.0f;
  float mOrthoHalfHeight = 1.0f;
  float mReferenceAspect = -1.0f;
  float mHorizontalAtReference = 0.0f;
  float mSetAngle = 25.0f;
  double mPerEye[3] = {0, 0, 2};
  float mNear = 0.1f;
  float mFar = 4000.0f;
  double mMinEyeDistance = -1.0;
  double mMaxEyeDistance = -1.0;
  int mMarginX = 0;
  int mMarginY = 0;
  bool mOrthogonal = false;
  double mHome[3] = {0, 0, 2};
};

}  // namespace corvia
