#pragma once
// ViewMapping2D: how a flat pane maps its model plane onto its window: the extents of
// the content, the zoom, the scroll position and content size in pixels, the turn of
// the plane, and the model rectangle the window shows. Window points are pixels of the
// drawing area, y down; model y runs down from the top edge of the extents.

#include "core/Tolerances.h"

namespace corvia {

class NewView;
class ViewCamera;
struct ViewArea;

// Extents narrower than this keep the previous mapping.
constexpr double kTinyExtent = kPointTolerance;

class ViewMapping2D {
 public:
  // The whole mapping but the rectangle shown: camera records keep it, and off-screen
  // rendering scales it to the bitmap for the duration.
  struct Placement {
    float extents[4] = {0, 0, 0, 0};  // left, top, right, bottom
    float scroll[2] = {0, 0};
    float contentSize[2] = {0, 0};
    float zoom = 1.0f;
    float rotation = 0.0f;
  };

  // The view is the pane whose scroll bars follow the mapping and that it redraws;
  // null for a mapping on its own. The camera's matrices follow the mapping.
  ViewMapping2D(const ViewArea& area, ViewCamera& camera, NewView* view);
  ViewMapping2D(const ViewMapping2D&) = delete;
  ViewMapping2D& operator=(const ViewMapping2D&) = delete;

  void SetExtents2D(float left, float top, float right, float bottom);
  void FitExtents2D();
  void ScrollTo(double x, double y);
  void SetScrollSizes2D(double width, double height, bool force);
  void UpdateScrollRange();
  // Zooms by the factor keeping the model point under the window point in place.
  void Zoom2DAt(double factor, int x, int y);
  double GetZoomedHeight() const;
  double PixelsToUnitsX(double pixels) const;
  double PixelsToUnitsY(double pixels) const;
  double UnitsToPixelsX(double units) const;
  double UnitsToPixelsY(double units) const;
  double WindowToModelX(double pixel) const;
  double WindowToModelY(double pixel) const;
  double ModelToWindowX(double unit) const;
  double ModelToWindowY(double unit) const;
  // With the 2D rotation.
  void WindowToModel2D(double* model, double x, double y) const;
  void ModelToWindow2D(double* window, const double* model) const;
  // The model rectangle shown (left, bottom, right, top), covering the window turned
  // by the 2D rotation.
  const double* GetVisibleArea2D() const { return mVisibleArea; }
  const float* GetExtents2D() const { return mExtents2D; }
  float GetZoom() const { return mZoom; }
  // Pixels per unit over the view's height; the scroll range is not updated.
  void SetZoom(float zoom) { mZoom = zoom; }
  float GetRotation2D() const { return mRotation2D; }
  void SetRotation2D(float degrees) { mRotation2D = degrees; }
  const float* GetScrollPosition2D() const { return mScroll; }
  const float* GetContentSize2D() const { return mContentSize; }
  Placement GetPlacement() const;
  // Takes the mapping as it is given; the window's scroll bars are left alone.
  void SetPlacement(const Placement& placement);
  // The model rectangle shown, after the window or the mapping changed.
  void ComputeVisibleArea2D();

  // A 2D point turned counter-clockwise by the angle (degrees).
  static void Turn(double* out, double x, double y, double degrees);

 private:
  double ContentOffsetX() const;
  double ContentOffsetY() const;

  const ViewArea& mArea;
  ViewCamera& mCamera;
  NewView* mView;
  float mExtents2D[4] = {0, 0, 0, 0};  // left, top, right, bottom
  float mScroll[2] = {0, 0};
  float mContentSize[2] = {0, 0};
  float mZoom = 1.0f;
  float mRotation2D = 0.0f;
  double mVisibleArea[4] = {0, 0, 1, 1};
};

}  // namespace corvia
