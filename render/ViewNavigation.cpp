// ViewNavigation: the mouse modes of a view and its five throws.

#include "render/ViewNavigation.h"

#include <cstdio>

#include "platform/Services.h"
#include "render/OpenGLView.h"
#include "render/ViewGroup.h"
#include "render/ViewThrows.h"

namespace corvia {

namespace detail_ViewNavigation {

OpenGLView* AsGLView(NewView* view) {
  return dynamic_cast<OpenGLView*>(view);
}

}  // namespace detail_ViewNavigation

ViewNavigation::ViewNavigation(OpenGLView& view, const ViewArea& area, const ViewCamera& camera,
                               ViewMapping2D& mapping)
    : mView(view), mArea(area), mCamera(camera), mMapping(mapping), mThrows(std::make_unique<ViewThrows>(&view)) {}
ViewNavigation::~ViewNavigation() = default;

void ViewNavigation::ShowFieldOfView(double degrees) {
  char text[64];
  std::snprintf(text, sizeof text, "Vertical FOV: %.1f degrees", degrees);
  platform::Services().views->SetStatusText(text);
}

MouseThrow* ViewNavigation::GetTumbleThrow() const {
  return &mThrows->tumble;
}
MouseThrow* ViewNavigation::GetTwistThrow() const {
  return &mThrows->twist;
}
MouseThrow* ViewNavigation::GetZoomThrow() const {
  return &mThrows->zoom;
}
MouseThrow* ViewNavigation::GetPivotThrow() const {
  return &mThrows->pivot;
}
MouseThrow* ViewNavigation::GetLookThrow() const {
  return &mThrows->look;
}

void ViewNavigation::StopViewThrows() {
  for (MouseThrow* t : {GetTumbleThrow(), GetTwistThrow(), GetZoomThrow(), GetPivotThrow(), GetLookThrow()}) {
    t->Deactivate();
  }
}

void ViewNavigation::StopLinkedThrows(bool zoomOnly, bool pivotToo) {
  const ViewGroup& group = mView.GetViewGroup();
  if (!GetLinkedViews(group) || !mArea.is3D) return;
  for (NewView* v = group.views.first; v; v = v->GetNext()) {
    OpenGLView* other = detail_ViewNavigation::AsGLView(v);
    if (!other || other == &mView || !other->Is3D()) continue;
    if (zoomOnly) {
      other->Navigation().GetZoomThrow()->Deactivate();
      continue;
    }
    other->Navigation().GetTumbleThrow()->Deactivate();
    other->Navigation().GetTwistThrow()->Deactivate();
    other->Navigation().GetLookThrow()->Deactivate();
    if (pivotToo) other->Navigation().GetPivotThrow()->Deactivate();
  }
}

void ViewNavigation::SetTwistAllowed(bool allowed, bool keepMotion) {
  mTwistAllowed = allowed;
  if (keepMotion) return;
  GetTwistThrow()->Deactivate();
  GetPivotThrow()->Deactivate();
  mMapping.SetRotation2D(0.0f);
}

int ViewNavigation::GetMouseMode() const {
  const int keys = mView.GetViewGroup().mouse.modifiers;
  if (!mView.IsGLEnabled() || (keys & (kModifierShift | kModifierCtrl))) return kMouseModeNone;
  const int buttons = mView.GetViewGroup().mouse.buttons;
  bool left = (buttons & kMouseButtonLeft) != 0;
  bool right = (buttons & kMouseButtonRight) != 0;
  // The middle button, alone or with others, counts as both.
  if (buttons & kMouseButtonMiddle) left = right = true;
  const bool space = (keys & kModifierSpace) != 0;
  if (!left && !right) return mArea.is3D && space ? kMouseModeSpace : kMouseModeNone;
  if (left && right) {
    if (!mTwistAllowed) return kMouseModeNoTwist;
    if (!mArea.is3D) return kMouseModeTwist2D;
    return space == mView.GetViewGroup().options.twistWithSpace ? kMouseModeTwist : kMouseModePivot;
  }
  if (mArea.is3D) {
    if (right) return space ? kMouseModeFieldOfView : kMouseModeZoom;
    return space ? kMouseModePan : kMouseModeTumble;
  }
  return right ? kMouseModeZoom2D : kMouseModePan2D;
}

void ViewNavigation::BeginMouseAction(unsigned, int x, int y) {
  switch (GetMouseMode()) {
    case kMouseModeZoom:
      GetZoomThrow()->Deactivate();
      StopLinkedThrows(true, false);
      break;
    case kMouseModeTumble:
      GetTumbleThrow()->AddDragSample(x, y);
      GetTwistThrow()->Deactivate();
      GetLookThrow()->Deactivate();
      StopLinkedThrows(false, false);
      break;
    case kMouseModeTwist:
    case kMouseModeTwist2D:
      GetTwistThrow()->AddDragSample(x, y);
      GetTumbleThrow()->Deactivate();
      GetLookThrow()->Deactivate();
      StopLinkedThrows(false, true);
      break;
    case kMouseModePivot:
      GetPivotThrow()->AddDragSample(x, y);
      GetTwistThrow()->Deactivate();
      GetTumbleThrow()->Deactivate();
      GetLookThrow()->Deactivate();
      StopLinkedThrows(false, false);
      break;
    case kMouseModeFieldOfView:
      ShowFieldOfView(mCamera.GetFieldOfView());
      break;
    default:
      break;
  }
}

void ViewNavigation::EndMouseAction() {
  switch (GetMouseMode()) {
    case kMouseModeTumble:
      GetTumbleThrow()->EndDrag();
      break;
    case kMouseModeTwist:
    case kMouseModeTwist2D:
      GetTwistThrow()->EndDrag();
      break;
    case kMouseModePivot:
      GetPivotThrow()->EndDrag();
      break;
    case kMouseModeFieldOfView:
      platform::Services().views->SetStatusText("");
      break;
    default:
      break;
  }
}

}  // namespace corvia
