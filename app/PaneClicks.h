#pragma once
// PaneClicks: what a click in a pane does. A press and release of the left button
// that did not move picks what lies under the pointer and acts by the mouse selection
// mode (select, identify, cut net edges, measure on the model, draw facets by hand,
// hide faces, pick the face of an image). It holds its pane for the picking, the view
// type and the pane's status line; the pane's button handlers call it.

namespace corvia {

class CPolyView;
struct PaneHit;

class PaneClicks {
 public:
  explicit PaneClicks(CPolyView& view) : mView(view) {}
  PaneClicks(const PaneClicks&) = delete;
  PaneClicks& operator=(const PaneClicks&) = delete;

  // What lies under the window point, as a click reads it (kind -1: nothing).
  PaneHit PickAt(int x, int y);
  // Carries out a click at the window point (keys: kMouseKey... bits).
  void OnClick(int x, int y, unsigned keyFlags);

 private:
  CPolyView& mView;
};

}  // namespace corvia
