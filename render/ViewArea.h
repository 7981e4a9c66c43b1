#pragma once
// ViewArea: a view's drawing area as the view's parts read it: its size in pixels
// (the window's client size, or a bitmap's while the view renders off screen) and
// whether it shows a 3D scene or a flat pane's model plane. The view sets it; its
// camera, flat mapping, stereo, materials, texts and navigation hold it.

#include <algorithm>

namespace corvia {

struct ViewArea {
  int width = 0;
  int height = 0;
  // Set by OpenGLView::SetIs3D.
  bool is3D = true;

  // The height for drawing: the height, at least 1.
  int DrawingHeight() const { return std::max(height, 1); }
};

}  // namespace corvia
