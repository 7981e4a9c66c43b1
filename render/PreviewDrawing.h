#pragma once
// The preview of a plain model (the faceting preview): its faces pickable, its
// problem edges colour-coded; the options of how they are drawn and what the pane
// picks in it.

namespace corvia {

class DrawnPolygon;
class SimplePoly;

struct PreviewDrawOptions {
  bool plainColours = false;      // faces in one colour, not their own
  float highlightOpacity = 0.5f;  // of the selected face drawn over everything
  bool allEdgesWhite = false;     // problem edges white, and the model not marked
};

PreviewDrawOptions& GetPreviewDrawOptions();

// What the preview pane picks (Draw of a SimplePoly): its vertices or its faces.
constexpr unsigned kPreviewPickVertices = 0x100;
constexpr unsigned kPreviewPickFaces = 0x200;

// The colours of problem edges by the faces that meet there.
constexpr float kOpenEdgeColour[3] = {0.5f, 1.0f, 0.5f};
constexpr float kOddEdgeColour[3] = {1.0f, 0.7f, 0.2f};
constexpr float kCoplanarEdgeColour[3] = {0.5f, 0.0f, 1.0f};
constexpr float kManyFaceEdgeColour[3] = {1.0f, 0.2f, 0.2f};

// The model in the view (an OpenGLView; null: the current one): its faces, or for each
// face the drawn polygon of the chain in the same place, exploded by the factor and
// scaled; then its problem edges.
void Draw(SimplePoly* poly, const DrawnPolygon* polygons, const void* view, double explode, double scale);
// The problem edges (open, odd, between coplanar faces, of many faces) in their
// colours.
void DrawProblemEdges(SimplePoly* poly, double explode, double scale);

}  // namespace corvia
