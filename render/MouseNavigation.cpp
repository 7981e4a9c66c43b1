// Mouse navigation of every OpenGLView: the mouse modes and their buttons and keys,
// cursors and status-bar hints, the press, move and release handling, and the five
// view throws that keep a fast drag going.

#include <algorithm>
#include <cmath>
#include <numbers>

#include "core/VectorMath.h"
#include "render/OpenGLView.h"
#include "render/ViewGroup.h"
#include "render/ViewThrows.h"
#include "render/ViewWindow.h"

namespace corvia {

namespace detail_MouseNavigation {

constexpr double kRadians = std::numbers::pi / 180.0;
// Degrees of field of view per pixel of drag.
constexpr double kFieldOfViewRate = 0.1;

const char* const kNoFieldOfViewMessage =
    "Can't change field-of-view (FOV)\nin orthogonal projection window.\nUse \"View->Orthogonal View\" to change\n"
    "back to a perspective view.";

}  // namespace detail_MouseNavigation

bool GetTwistWithSpace() { return CurrentViewGroup().options.twistWithSpace; }
void SetTwistWithSpace(bool on) { CurrentViewGroup().options.twistWithSpace = on; }

// ---- The throws ---------------------------------------------------------------------------

void ViewThrow::Redraw() {
  if (mView) mView->Invalidate(true);
}

bool ViewThrow::Acts() const {
  return mView && (!GetLinkedViews(mView->GetViewGroup()) ||
                   mView->GetViewGroup().views.active == static_cast<NewView*>(mView));
}

int TumbleThrow::Apply(float amountX, float) {
  if (!Acts()) return 0;
  if (!mView->Is3D()) {
    Deactivate();
    return 0;
  }
  mView->Camera().RotateInViewFrame(mAxis, amountX * mView->Navigation().GetDragRate(), true);
  mView->Camera().OrthonormalizeCamera();
  mView->SyncLinkedViews();
  return 1;
}

int LookThrow::Apply(float amountX, float) {
  if (!Acts()) return 0;
  if (!mView->Is3D()) {
    Deactivate();
    return 0;
  }
  mView->Camera().RotateInViewFrame(mAxis, amountX * kLookRate, false);
  mView->Camera().OrthonormalizeCamera();
  mView->SyncLinkedViews();
  return 1;
}

PivotThrow::PivotThrow(OpenGLView* view) : ViewThrow(kThrowKindPivot, view, kThrowConvertsDrag | kThrowProjectsAxis) {
  mAxis[1] = 1.0;
}

int PivotThrow::Apply(float amountX, float) {
  if (!Acts()) return 0;
  mView->Camera().RotateCamera(mAxis, amountX * mView->Navigation().GetDragRate());
  mView->Camera().OrthonormalizeCamera();
  mView->SyncLinkedViews();
  return 1;
}

int TwistThrow::Apply(float amountX, float amountY) {
  if (!Acts()) return 0;
  if (mView->Is3D()) {
    mView->Camera().RotateAboutViewAxis(2, (amountX + amountY) * kTwistRate);
  } else {
    mView->Mapping2D().SetRotation2D(static_cast<float>(mView->Mapping2D().GetRotation2D() - amountX * kTwistRate));
  }
  mView->SyncLinkedViews();
  return 1;
}

int ZoomThrow::Apply(float amountX, float amountY) {
  if (!Acts()) return 0;
  mView->Camera().ZoomCamera(std::pow(kDragZoomBase, amountY - amountX));
  mView->SyncLinkedViews();
  return 1;
}

// ---- Modes, cursors and hints ---------------------------------------------------------------

int OpenGLView::GetCursor() {
  switch (mNavigation.GetMouseMode()) {
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
  const int keys = GetViewGroup().mouse.modifiers;
  if (keys & (kModifierShift | kModifierCtrl)) {
    left = right = both = "-";
    return;
  }
  const bool space = (keys & kModifierSpace) != 0;
  if (!mArea.is3D) {
    left = "Pan";
    right = "Zoom";
    both = mNavigation.IsTwistAllowed() ? "Twist" : "-";
    return;
  }
  left = space ? "Pan" : "Tumble";
  right = space ? "FOV" : "Zoom";
  if (!mNavigation.IsTwistAllowed()) {
    both = "-";
  } else {
    both = space == GetViewGroup().options.twistWithSpace ? "Twist" : "Pivot around axis";
  }
}

// ---- Press, move, release -----------------------------------------------------------------------

void OpenGLView::OnButtonDown(int button, int x, int y, unsigned keyFlags) {
  NewView::OnButtonDown(button, x, y, keyFlags);
  mNavigation.BeginMouseAction(keyFlags, x, y);
}

void OpenGLView::OnButtonUp(int button, int x, int y, unsigned keyFlags) {
  mNavigation.EndMouseAction();
  NewView::OnButtonUp(button, x, y, keyFlags);
}

void OpenGLView::OnMouseMove(int x, int y, unsigned keyFlags) {
  using namespace detail_MouseNavigation;
  int lastX = 0, lastY = 0;
  GetViewGroup().mouse.GetCurrentPoint(lastX, lastY);
  if (x == lastX && y == lastY) {
    NewView::OnMouseMove(x, y, keyFlags);
    return;
  }
  UpdateMouseMode(keyFlags, false);
  const int dx = x - lastX;
  const int dy = y - lastY;
  const int d = dx - dy;
  const int mode = GetViewGroup().mouse.buttons ? mNavigation.GetMouseMode() : kMouseModeNone;
  bool changed = true;
  switch (mode) {
    case kMouseModeZoom:
      mNavigation.GetZoomThrow()->AddDragSample(x, y);
      mNavigation.GetZoomThrow()->Apply(static_cast<float>(dx), static_cast<float>(dy));
      break;
    case kMouseModeTwist:
    case kMouseModeTwist2D:
      mNavigation.GetTwistThrow()->AddDragSample(x, y);
      mNavigation.GetTwistThrow()->Apply(static_cast<float>(dx), static_cast<float>(dy));
      break;
    case kMouseModeTumble:
      mNavigation.GetTumbleThrow()->AddDragSample(x, y);
      mNavigation.GetTumbleThrow()->ApplyMotion(static_cast<float>(dx), static_cast<float>(dy));
      break;
    case kMouseModePivot:
      mNavigation.GetPivotThrow()->AddDragSample(x, y);
      mNavigation.GetPivotThrow()->ApplyMotion(static_cast<float>(dx), static_cast<float>(dy));
      break;
    case kMouseModePan:
      Camera().PanCamera(dx, dy);
      break;
    case kMouseModeFieldOfView: {
      if (mCamera.IsOrthogonal()) {
        SetMessage(this, "%s", kNoFieldOfViewMessage);
        changed = false;
        break;
      }
      const double oldNarrower = Camera().GetNarrowerFieldOfView();
      const double angle =
          std::clamp(Camera().GetFieldOfView() + d * kFieldOfViewRate, kMinDragFieldOfView, kMaxDragFieldOfView);
      Camera().SetFieldOfView(angle);
      const double newNarrower = Camera().GetNarrowerFieldOfView();
      const double* viewAxis = mCamera.GetViewAxis();
      const double distance = Dot(mCamera.GetEye(), viewAxis) * std::sin(oldNarrower * kRadians / 2.0) /
                              std::sin(newNarrower * kRadians / 2.0);
      double eye[3];
      for (int i = 0; i < 3; ++i) eye[i] = viewAxis[i] * distance;
      Camera().SetEye(eye);
      ViewNavigation::ShowFieldOfView(Camera().GetFieldOfView());
      SyncLinkedViews();
      break;
    }
    case kMouseModeZoom2D: {
      int pressX = 0, pressY = 0;
      GetViewGroup().mouse.GetPressPoint(pressX, pressY);
      Mapping2D().Zoom2DAt(std::pow(kDragZoomBase, d), pressX, pressY);
      break;
    }
    case kMouseModePan2D:
      Mapping2D().ScrollTo(mMapping2D.GetScrollPosition2D()[0] - dx, mMapping2D.GetScrollPosition2D()[1] - dy);
      break;
    default:
      changed = false;
      break;
  }
  if (changed) Invalidate(true);
  NewView::OnMouseMove(x, y, keyFlags);
}

}  // namespace corvia
