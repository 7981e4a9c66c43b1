#pragma once
// The lines through every pair of projected points that the faceting diagram draws
// under everything else: a quadratic number of lines, hundreds of thousands on a large
// model, that take seconds to rasterize. They are drawn once into a picture the pane
// keeps, and later frames with the same points, view and pane size draw the picture.

#include <functional>
#include <vector>

namespace corvia {

class OpenGLView;
class PolyElement;

// Segments as x0, y0, x1, y1 in the current modelview frame, drawn in the current
// colour and line width. `owner` and `pointCount` name what the segments were made
// from; the segments themselves are asked for only when the kept picture cannot serve.
struct PairLineSource {
  const PolyElement* owner = nullptr;
  size_t pointCount = 0;
  double spread = 0.0;
};
void DrawPairLineLayer(OpenGLView* view, const PairLineSource& source,
                       const std::function<void(std::vector<float>&)>& makeSegments);

// Lines rasterized by the layer since the program started (for tests).
unsigned long CountPairLinesRasterized();

// A view going away: its kept picture is let go of, and deleted with the context's
// released textures.
void ForgetPairLineLayer(const OpenGLView* view);

}  // namespace corvia
