#pragma once
// The mouse throws (render/MouseThrow.h) as the panes' drawing cycle sees them:
// panes step them before drawing and stop them when the camera is set otherwise.
// The throws themselves answer unless a test installs something else.

namespace corvia {

class NewView;
class OpenGLView;

class ViewMotions {
public:
  virtual ~ViewMotions() = default;
  // Advances every running throw of the view's frame to the current time when idle
  // time has flagged that a step is due (view: the pane being drawn, never null); true
  // while any runs.
  virtual bool StepMouseThrowsIfDue(NewView* view) = 0;
  // Stops the view's zoom throw (before the camera is fitted anew).
  virtual void StopZoomThrow(OpenGLView* view) = 0;
  // Stops every motion of the view (it is being destroyed).
  virtual void StopAllMotions(OpenGLView* view) = 0;
};

ViewMotions& GetViewMotions();
// Installs the throws (null: none); returns the ones before.
ViewMotions* InstallViewMotions(ViewMotions* motions);

}  // namespace corvia
