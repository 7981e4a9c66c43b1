// Mouse navigation of every OpenGLView: the mouse modes and their buttons and keys,
// cursors and status-bar hints, the press, move and release handling, and the five
// view throws that keep a fast drag going.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

#include "core/VectorMath.h"
#include "platform/Services.h"
#include "render/OpenGLView.h"
#include "render/ViewGroup.h"
#include "render/ViewThrows.h"
#include "render/ViewWindow.h"

namespace corvia {

namespace detail_MouseNavigation {

constexpr double kRadians = std::numbers::pi / 180.0;
// Degrees of field of view per pixel of drag.
constexpr double kFieldOfViewRate = 0.1;

const char* const kFieldOfViewStatus = "Vertical FOV: %.1f degrees";
const char* const kNoFieldOfViewMessage =
    "Can't change field-of-view (FOV)\nin orthogonal projection window.\nUse \"View->Orthogonal View\" to change\n"
    "back to a perspective view.";

void ShowStatus(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  platform::Services().views->SetStatusText(text);
}

OpenGLView* AsGLView(NewView* view) { return dynamic_cast<OpenGLView*>(view); }

}  // namespace detail_MouseNavigation

bool GetTwistWithSpace() { return CurrentViewGroup().options.twistWithSpace; }
void SetTwistWithSpace(bool on) { CurrentViewGroup().options.twistWithSpace = on; }

// ---- The throws ---------------------------------------------------------------------------

void ViewThrow::Redraw() {
  if (mView) mView->Invalidate(true);
}

bool ViewThrow::Acts() const {
  return mView && (!GetLinkedViews() || NewView::GetActiveView() == static_cast<NewView*>(mView));
}

int TumbleThrow::Apply(float amountX, float) {
  if (!Acts()) return 0;
  if (!mView->Is3D()) {
    Deactivate();
    return 0;
  }
  mView->RotateInViewFrame(mAxis, amountX * mView->GetDragRate(), true);
  mView->OrthonormalizeCamera();
  mView->SyncLinkedViews();
  return 1;
}

int LookThrow::Apply(float amountX, float) {
  if (!Acts()) return 0;
  if (!mView->Is3D()) {
    Deactivate();
    return 0;
  }
  mView->RotateInViewFrame(mAxis, amountX * kLookRate, false);
  mView->OrthonormalizeCamera();
  mView->SyncLinkedViews();
  return 1;
}

PivotThrow::PivotThrow(OpenGLView* view) : ViewThrow(kThrowKindPivot, view, kThrowConvertsDrag | kThrowProjectsAxis) {
  mAxis[1] = 1.0;
}

int PivotThrow::Apply(float amountX, float) {
  if (!Acts()) return 0;
  mView->RotateCamera(mAxis, amountX * mView->GetDragRate());
  mView->OrthonormalizeCamera();
  mView->SyncLinkedViews();
  return 1;
}

int TwistThrow::Apply(float amountX, float amountY) {
  if (!Acts()) return 0;
  if (mView->Is3D()) {
    mView->RotateAboutViewAxis(2, (amountX + amountY) * kTwistRate);
  } else {
    mView->SetRotation2D(static_cast<float>(mView->GetRotation2D() - amountX * kTwistRate));
  }
  mView->SyncLinkedViews();
  return 1;
}

int ZoomThrow::Apply(float amountX, float amountY) {
  if (!Acts()) return 0;
  mView->ZoomCamera(std::pow(kDragZoomBase, amountY - amountX));
  mView->SyncLinkedViews();
  return 1;
}

MouseThrow* OpenGLView::GetTumbleThrow() const { return &mThrows->tumble; }
MouseThrow* OpenGLView::GetTwistThrow() const { return &mThrows->twist; }
MouseThrow* OpenGLView::GetZoomThrow() const { return &mThrows->zoom; }
MouseThrow* OpenGLView::GetPivotThrow() const { return &mThrows->pivot; }
MouseThrow* OpenGLView::GetLookThrow() const { return &mThrows->look; }

void OpenGLView::StopViewThrows() {
  for (MouseThrow* t : {GetTumbleThrow(), GetTwistThrow(), GetZoomThrow(), GetPivotThrow(), GetLookThrow()}) {
    t->Deactivate();
  }
}

void OpenGLView::StopLinkedThrows(bool zoomOnly, bool pivotToo) {
  if (!GetLinkedViews() || !mIs3D) return;
  for (NewView* v = GetFirstView(); v; v = v->GetNext()) {
    OpenGLView* other = detail_MouseNavigation::AsGLView(v);
    if (!other || other == this || !other->Is3D()) continue;
    if (zoomOnly) {
      other->GetZoomThrow()->Deactivate();
      continue;
    }
    other->GetTumbleThrow()->Deactivate();
    other->GetTwistThrow()->Deactivate();
    other->GetLookThrow()->Deactivate();
    if (pivotToo) other->GetPivotThrow()->Deactivate();
  }
}

void OpenGLView::SetTwistAllowed(bool allowed, bool keepMotion) {
  mTwistAllowed = allowed;
  if (keepMotion) return;
  GetTwistThrow()->Deactivate();
  GetPivotThrow()->Deactivate();
  mRotation2D = 0.0f;
}

// ---- Modes, cursors and hints ---------------------------------------------------------------

int OpenGLView::GetMouseMode() const {
  const int keys = GetModifierKeys();
  if (!mGLEnabled || (keys & (kModifierShift | kModifierCtrl))) return kMouseModeNone;
  const int buttons = GetMouseButtonsHeld();
  bool left = (buttons & kMouseButtonLeft) != 0;
  bool right = (buttons & kMouseButtonRight) != 0;
  // The middle button, alone or with others, counts as both.
  if (buttons & kMouseButtonMiddle) left = right = true;
  const bool space = (keys & kModifierSpace) != 0;
  if (!left && !right) return mIs3D && space ? kMouseModeSpace : kMouseModeNone;
  if (left && right) {
    if (!mTwistAllowed) return kMouseModeNoTwist;
    if (!mIs3D) return kMouseModeTwist2D;
    return space == GetViewGroup().options.twistWithSpace ? kMouseModeTwist : kMouseModePivot;
  }
  if (mIs3D) {
    if (right) return space ? kMouseModeFieldOfView : kMouseModeZoom;
    return space ? kMouseModePan : kMouseModeTumble;
  }
  return right ? kMouseModeZoom2D : kMouseModePan2D;
}

int OpenGLView::GetCursor() {
  switch (GetMouseMode()) {
    case kMouseModeNoTwist:
      return kCursorNoTwist;
    case kMouseModeZoom:
    case kMouseModeZoom2D:
      return kCursorZoom;
    case kMouseModeTumble:
      return kCursorTumble;
    case kMouseModeTwist:
    case kMouseModeTwist2D:
      return kCursorTwist;
    case kMouseModeSpace:
    case kMouseModePan:
    case kMouseModePan2D:
      return kCursorPan;
    case kMouseModeFieldOfView:
      return kCursorFieldOfView;
    case kMouseModePivot:
      return kCursorPivot;
    default:
      return kArrowCursor;
  }
}

void OpenGLView::GetMouseButtonHelp(std::string& left, std::string& right, std::string& both) {
  const int keys = GetModifierKeys();
  if (keys & (kModifierShift | kModifierCtrl)) {
    left = right = both = "-";
    return;
  }
  const bool space = (keys & kModifierSpace) != 0;
  if (!mIs3D) {
    left = "Pan";
    right = "Zoom";
    both = mTwistAllowed ? "Twist" : "-";
    return;
  }
  left = space ? "Pan" : "Tumble";
  right = space ? "FOV" : "Zoom";
  if (!mTwistAllowed) {
    both = "-";
  } else {
    both = space == GetViewGroup().options.twistWithSpace ? "Twist" : "Pivot around axis";
  }
}

// ---- Press, move, release -----------------------------------------------------------------------

void OpenGLView::OnButtonDown(int button, int x, int y, unsigned keyFlags) {
  NewView::OnButtonDown(button, x, y, keyFlags);
  BeginMouseAction(keyFlags, x, y);
}

void OpenGLView::OnButtonUp(int button, int x, int y, unsigned keyFlags) {
  EndMouseAction();
  NewView::OnButtonUp(button, x, y, keyFlags);
}

void OpenGLView::BeginMouseAction(unsigned, int x, int y) {
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
      detail_MouseNavigation::ShowStatus(detail_MouseNavigation::kFieldOfViewStatus, GetFieldOfView());
      break;
    default:
      break;
  }
}

void OpenGLView::EndMouseAction() {
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

void OpenGLView::OnMouseMove(int x, int y, unsigned keyFlags) {
  using namespace detail_MouseNavigation;
  int lastX = 0, lastY = 0;
  GetCurrentPoint(lastX, lastY);
  if (x == lastX && y == lastY) {
    NewView::OnMouseMove(x, y, keyFlags);
    return;
  }
  UpdateMouseMode(keyFlags, false);
  const int dx = x - lastX;
  const int dy = y - lastY;
  const int d = dx - dy;
  const int mode = GetMouseButtonsHeld() ? GetMouseMode() : kMouseModeNone;
  bool changed = true;
  switch (mode) {
    case kMouseModeZoom:
      GetZoomThrow()->AddDragSample(x, y);
      GetZoomThrow()->Apply(static_cast<float>(dx), static_cast<float>(dy));
      break;
    case kMouseModeTwist:
    case kMouseModeTwist2D:
      GetTwistThrow()->AddDragSample(x, y);
      GetTwistThrow()->Apply(static_cast<float>(dx), static_cast<float>(dy));
      break;
    case kMouseModeTumble:
      GetTumbleThrow()->AddDragSample(x, y);
      GetTumbleThrow()->ApplyMotion(static_cast<float>(dx), static_cast<float>(dy));
      break;
    case kMouseModePivot:
      GetPivotThrow()->AddDragSample(x, y);
      GetPivotThrow()->ApplyMotion(static_cast<float>(dx), static_cast<float>(dy));
      break;
    case kMouseModePan:
      PanCamera(dx, dy);
      break;
    case kMouseModeFieldOfView: {
      if (mOrthogonal) {
        SetMessage(this, "%s", kNoFieldOfViewMessage);
        changed = false;
        break;
      }
      const double oldNarrower = GetNarrowerFieldOfView();
      const double angle = std::clamp(GetFieldOfView() + d * kFieldOfViewRate, kMinDragFieldOfView, kMaxDragFieldOfView);
      SetFieldOfView(angle);
      const double newNarrower = GetNarrowerFieldOfView();
      const double distance = Dot(mEye, mViewAxis) * std::sin(oldNarrower * kRadians / 2.0) /
                              std::sin(newNarrower * kRadians / 2.0);
      for (int i = 0; i < 3; ++i) mEye[i] = mViewAxis[i] * distance;
      SetEye(mEye);
      ShowStatus(kFieldOfViewStatus, GetFieldOfView());
      SyncLinkedViews();
      break;
    }
    case kMouseModeZoom2D: {
      int pressX = 0, pressY = 0;
      GetPressPoint(pressX, pressY);
      Zoom2DAt(std::pow(kDragZoomBase, d), pressX, pressY);
      break;
    }
    case kMouseModePan2D:
      ScrollTo(mScroll[0] - dx, mScroll[1] - dy);
      break;
    default:
      changed = false;
      break;
  }
  if (changed) Invalidate(true);
  NewView::OnMouseMove(x, y, keyFlags);
}

}  // namespace corvia
