#pragma once
// Options of the preview of a plain model (the faceting preview): how its faces and
// its problem edges are drawn, and what the pane picks in it.

namespace corvia {

struct PreviewDrawOptions {
  bool plainColours = false;      // faces in one colour, not their own
  float highlightOpacity = 0.5f;  // of the selected face drawn over everything
  bool allEdgesWhite = false;     // problem edges white, and the model not marked
};

PreviewDrawOptions& GetPreviewDrawOptions();

// What the preview pane picks (SimplePoly::Draw): its vertices or its faces.
constexpr unsigned kPreviewPickVertices = 0x100;
constexpr unsigned kPreviewPickFaces = 0x200;

// The colours of problem edges by the faces that meet there.
constexpr float kOpenEdgeColour[3] = {0.5f, 1.0f, 0.5f};
constexpr float kOddEdgeColour[3] = {1.0f, 0.7f, 0.2f};
constexpr float kCoplanarEdgeColour[3] = {0.5f, 0.0f, 1.0f};
constexpr float kManyFaceEdgeColour[3] = {1.0f, 0.2f, 0.2f};

}  // namespace corvia
