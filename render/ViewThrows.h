#pragma once
// The five throws every OpenGLView owns: tumbling the camera round the target,
// twisting it about the view axis, zooming, pivoting about a fixed axis and looking
// round in place. Each moves the camera of its pane and redraws the pane.

#include "render/MouseThrow.h"

namespace corvia {

// Kinds and flags of the view throws (their identifiers are kind x 6 + pane position).
constexpr int kThrowKindTumble = 0;
constexpr int kThrowKindTwist = 1;
constexpr int kThrowKindZoom = 2;
constexpr int kThrowKindPivot = 3;
constexpr int kThrowKindLook = 4;

// Degrees of twist per unit of drag, and of looking round.
constexpr double kTwistRate = 0.3;
constexpr double kLookRate = -0.1;
// The zoom factor per pixel of drag.
constexpr double kDragZoomBase = 1.006;

class ViewThrow : public MouseThrow {
 public:
  ViewThrow(int kind, OpenGLView* view, uint32_t flags) : MouseThrow(kind, view, flags) {}
  // Marks the pane for redraw, keeping its message.
  void Redraw() override;

 protected:
  // In linked mode only the active pane's throws move a camera.
  bool Acts() const;
};

class TumbleThrow final : public ViewThrow {
 public:
  explicit TumbleThrow(OpenGLView* view) : ViewThrow(kThrowKindTumble, view, kThrowConvertsDrag) {}
  int Apply(float amountX, float amountY) override;
};

class TwistThrow final : public ViewThrow {
 public:
  explicit TwistThrow(OpenGLView* view) : ViewThrow(kThrowKindTwist, view, 0) {}
  int Apply(float amountX, float amountY) override;
};

class ZoomThrow final : public ViewThrow {
 public:
  explicit ZoomThrow(OpenGLView* view) : ViewThrow(kThrowKindZoom, view, 0) {}
  int Apply(float amountX, float amountY) override;
};

// Turns the camera about a world axis (mAxis, (0, 1, 0) at first), by the drag
// measured across the axis as the pane shows it.
class PivotThrow final : public ViewThrow {
 public:
  explicit PivotThrow(OpenGLView* view);
  int Apply(float amountX, float amountY) override;
};

class LookThrow final : public ViewThrow {
 public:
  explicit LookThrow(OpenGLView* view) : ViewThrow(kThrowKindLook, view, kThrowConvertsDrag) {}
  int Apply(float amountX, float amountY) override;
};

struct ViewThrows {
  explicit ViewThrows(OpenGLView* view) : tumble(view), twist(view), zoom(view), pivot(view), look(view) {}
  TumbleThrow tumble;
  TwistThrow twist;
  ZoomThrow zoom;
  PivotThrow pivot;
  LookThrow look;
};

}  // namespace corvia
