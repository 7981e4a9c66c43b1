#pragma once
// The vertex-figure pane: one element in its own frame, with its neighbours and every
// other element of its list projected into that frame. These are its display options;
// the extents and the drawing are members of the elements.

namespace corvia {

// "Show Coplanar Vertex Figures": the members of the element's coplanar ring too.
extern bool ShowCoplanarVertexFigures;
// "Show Dual Face on Vertex Figure": the element's own polygon.
extern bool ShowDualFaceOnVertexFigure;

}  // namespace corvia
