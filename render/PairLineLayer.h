#pragma once
// The lines through every pair of projected points that the faceting diagram draws
// under everything else: a quadratic number of lines, hundreds of thousands on a large
// model, that take seconds to rasterize. They are drawn once into a picture the pane
// keeps, and later frames with the same points, view and pane size draw the picture.
// A picture of many lines is not made in the paint that asks for it: the program is
// asked to come back when idle (ViewNotifier::PrepareWhenIdle) and makes it then
// under the progress window, the pane showing the diagram without the lines meanwhile.

#include <cstddef>
#include <vector>

namespace corvia {

class OpenGLView;
class PolyElement;

// The points, x and y each, in the current modelview frame; a line goes through every
// pair of them, clipped to the square of half side `spread` round the origin, drawn in
// the current colour and line width. `owner` names what the points were projected from.
struct PairLineSource {
  const PolyElement* owner = nullptr;
  std::vector<double> points;
  double spread = 0.0;
};
void DrawPairLineLayer(OpenGLView* view, const PairLineSource& source);

// Pictures of this many pairs or more (some 0.2 s of Mesa's software rasterizer in a
// pane of 640 x 640) are made when the program is idle, their lines with them: the
// paint that asks only keeps the points.
constexpr size_t kDeferredPairLines = 50000;
// The pictures asked for that MakeDeferredPairLinePictures makes.
bool HasDeferredPairLinePictures();
// Makes them, a turn of lines at a time under one progress level with its Cancel, the
// views repainting between turns; a view is asked to repaint once its picture is
// made. False when cancelled: the user's Cancel leaves each view that waited without
// its lines until it shows something else (another point, view or size); a stop the
// program asked for (RequestProgressCancel) lets the next paint ask again.
bool MakeDeferredPairLinePictures();
// The pictures asked for are not made (the work before them was cancelled); the next
// paint asks again.
void DropDeferredPairLinePictures();
// From how many lines on a picture is made later (tests).
void SetDeferredPairLinesFrom(size_t lines);

// Lines made and rasterized by the layer in the contexts there are, since each was made
// (for tests).
unsigned long CountPairLinesMade();
unsigned long CountPairLinesRasterized();

// A view going away: its kept picture is let go of, and deleted with the context's
// released textures.
void ForgetPairLineLayer(const OpenGLView* view);

}  // namespace corvia
