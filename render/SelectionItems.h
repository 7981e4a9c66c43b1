#pragma once
// The kinds of item a pane can pick, one list for every drawing routine. A
// selection name packs a kind and an index (see GLSelection.h); the pane class
// reserves room for kNumSelectionItemKinds kinds. Numbers not named here are free.

namespace corvia {

enum SelectionItemKind : int {
  kSelectFace = 0,               // a face of the shown model
  kSelectVertexAsFace = 1,       // a vertex drawn as a face (the dual side)
  kSelectStellationFacet = 2,    // a facet of a stellation diagram
  kSelectStellationCell = 3,     // a cell of the cell diagram
  kSelectFacelet = 7,            // a facelet of a stellated or faceted model
  kSelectSimplePolyFace = 14,    // a face of a SimplePoly being previewed
  kSelectGlueTab = 16,           // a glue tab of a net
  kSelectBaseEdge = 19,          // an edge of the model
  kSelectDualEdge = 20,          // an edge of the dual
  kSelectEdge = 23,              // an edge (an edgelet of a facet model)
  kSelectSymmetryAxis = 24,      // a symmetry axis
  kSelectBaseVertex = 28,        // a vertex of the model
  kSelectDualVertex = 29,        // a vertex of the dual
  kSelectVertex = 32,            // a vertex
  kSelectDiagramPoint = 33,      // a point of a stellation diagram
  kSelectSimplePolyVertex = 34,  // a vertex of a SimplePoly being previewed
  kSelectStellationLine = 35,    // a line of a stellation diagram
  kNumSelectionItemKinds = 37
};

}  // namespace corvia
