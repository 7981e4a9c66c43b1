#pragma once
// What the vertex-figure pane draws, in the frame of the element it shows (the current
// vertex seen as a face of the dual): the vertex figure, whose corners are the
// element's neighbours across its edges and whose sides stand for the faces between
// them, and the dual face, the element's own polygon. Worked out without GL, so the
// pane, its printed page and the tests share it.

#include <string>
#include <vector>

namespace corvia {

class PolyElement;

struct VertexFigureSide {
  double a[2];
  double b[2];
  // The face between the two neighbours, which the side stands for.
  const PolyElement* face;
  // An end where the figure does not go on (a neighbour missing, or lying at infinity
  // in the direction the side runs out to) ends in an arrow.
  bool arrowAtA;
  bool arrowAtB;
};

struct VertexFigureCorner {
  double xy[2];
  // Where its text stands: part of the way towards the middle of its neighbours.
  double at[2];
  // The corner's number, and "V(name)" after it for a neighbour that has a name.
  std::string text;
};

struct VertexFigure2D {
  std::vector<VertexFigureSide> sides;
  std::vector<VertexFigureCorner> corners;
  // The dual face: the segments of its edges (an edge out to a corner at infinity is
  // drawn along the line it lies on, cut off by the model's sphere).
  std::vector<std::vector<double>> dualFace;
  // Each finite side's middle and the corner of the dual face for the same face: the
  // pairs that reciprocate into each other.
  std::vector<std::vector<double>> reciprocal;
};

// The figure of the element; `reach` is how far a side runs out towards a neighbour at
// infinity. Empty for no element.
VertexFigure2D BuildVertexFigure2D(const PolyElement* element, double reach);

}  // namespace corvia
