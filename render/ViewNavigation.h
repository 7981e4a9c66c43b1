#pragma once
// ViewNavigation: the mouse modes of a view (which buttons and keys tumble, zoom,
// twist, pivot, pan or change the field of view) and the five throws that keep a fast
// drag going after the buttons are released. The view's press and release handling
// starts and ends the throws through it.

#include <memory>

namespace corvia {

class MouseThrow;
class OpenGLView;
class ViewCamera;
class ViewMapping2D;
struct ViewArea;
struct ViewThrows;

// Degrees of rotation per pixel of drag.
constexpr float kDefaultDragRate = 0.3f;

class ViewNavigation {
 public:
  ViewNavigation(OpenGLView& view, const ViewArea& area, const ViewCamera& camera, ViewMapping2D& mapping);
  ~ViewNavigation();
  ViewNavigation(const ViewNavigation&) = delete;
  ViewNavigation& operator=(const ViewNavigation&) = delete;

  // The mode of the buttons and keys held now (kMouseMode...).
  int GetMouseMode() const;
  // A press (after NewView's handling) and a release (before it).
  void BeginMouseAction(unsigned keyFlags, int x, int y);
  void EndMouseAction();
  // Unless keepMotion, also stops the twist and pivot throws and sets the 2D rotation
  // to 0.
  void SetTwistAllowed(bool allowed, bool keepMotion);
  bool IsTwistAllowed() const { return mTwistAllowed; }
  // With linked views, stops the other 3D views' zoom throw only, or their tumble,
  // twist and look throws (and pivot throw when asked).
  void StopLinkedThrows(bool zoomOnly, bool pivotToo);
  // Stops every throw of the view.
  void StopViewThrows();
  MouseThrow* GetTumbleThrow() const;
  MouseThrow* GetTwistThrow() const;
  MouseThrow* GetZoomThrow() const;
  MouseThrow* GetPivotThrow() const;
  MouseThrow* GetLookThrow() const;
  float GetDragRate() const { return mDragRate; }

  // The status-bar line of a field of view being dragged.
  static void ShowFieldOfView(double degrees);

 private:
  OpenGLView& mView;
  const ViewArea& mArea;
  const ViewCamera& mCamera;
  ViewMapping2D& mMapping;
  std::unique_ptr<ViewThrows> mThrows;
  bool mTwistAllowed = true;
  float mDragRate = kDefaultDragRate;
};

}  // namespace corvia
