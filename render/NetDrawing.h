#pragma once
// Drawing of nets: one net flat in the Unfolded Net pane, with its edges, texts and
// corner angles; folded in the Folding Net pane, alone or every net of its type; and
// the bounds a view fits round it.

#include <array>
#include <string>
#include <vector>

namespace corvia {

class Model3D;
class Net;
class NetType;
class OpenGLView;
struct ViewExtents;

// The net flat: its facelets and tabs, sphere sections, stellation lines, edges and
// texts.
void DrawUnfolded(Net* net);

// An edge text of the flat net where the view draws it: its point in net units and
// the window rectangle it takes (pixels: left, top, right, bottom).
struct PlacedEdgeText {
  std::string text;
  double at[2] = {0.0, 0.0};
  std::array<double, 4> box = {0.0, 0.0, 0.0, 0.0};
};
// The edge texts of the net (the edge data the net settings ask for) that the view has
// room for, in the view as it is drawn now, worked out afresh as a paint places them
// (render/NetTexts.h): no two overlap.
std::vector<PlacedEdgeText> PlaceEdgeTexts(const Net* net, OpenGLView* view);
// The net folded as it is now, in the model's scale (null model: the net's own).
void DrawFolded(Net* net, Model3D* model);
// Every net of the type folded.
void DrawFolded(NetType* netType, Model3D* model);
// The nets the display mode shows folded, from what the pane keeps of them where it can
// (render/FlatNetMesh.h), else one facelet at a time.
void DrawFoldedNets(Model3D* model);
// Widens the extents by the net's corners (and tabs where they are shown), folded or
// flat.
void ExtendViewBounds(Net* net, OpenGLView* view, ViewExtents* extents, Model3D* model, bool folded);
// The sphere sections and the stellation lines of every facelet of the net
// (DrawSphereSections, DrawStellationLines of render/FaceletDrawing.h).
void DrawSphereSections(Net* net, bool folded, void* page, bool printing);
void DrawFaceletLines(Net* net, bool folded, bool printing);

}  // namespace corvia
