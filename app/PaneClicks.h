#pragma once
// PaneClicks: what a click in a pane does. A press and release of the left button
// that did not move picks what lies under the pointer and acts by the mouse selection
// mode (select, identify, cut net edges, measure on the model, draw facets by hand,
// hide faces, pick the face of an image). It holds the view it picks in (its frame's
// mouse selection mode, its camera for the points a click means) and the view type
// the pane shows; it needs no pane and no window. The pane's button handlers call it.

namespace corvia {

class OpenGLView;
class PaneViewType;
struct PaneHit;

class PaneClicks {
 public:
  PaneClicks(OpenGLView& view, const PaneViewType& type) : mView(view), mViewType(type) {}
  PaneClicks(const PaneClicks&) = delete;
  PaneClicks& operator=(const PaneClicks&) = delete;

  // What lies under the window point, as a click reads it (kind -1: nothing).
  PaneHit PickAt(int x, int y);
  // Carries out a click at the window point (keys: kMouseKey... bits).
  void OnClick(int x, int y, unsigned keyFlags);

 private:
  OpenGLView& mView;
  const PaneViewType& mViewType;
};

}  // namespace corvia
