#pragma once
// Drawing of one facelet (folded in a net in space, flat in a net, or on its source
// model, by the drawing mode) and of its glue tabs, and what the facet-model and net
// drawing share with it: corner positions and normals by drawing mode, and the angle
// at a corner of a net.

#include <vector>

namespace corvia {

// The grey that glue tabs are filled with, on screen and on paper.
constexpr float kTabFillGrey = 0.7f;

class Face3D;
class Model3D;
class NetTab;
class OpenGLView;
struct Edge3D;

// The corner where the edgelet starts: flat, its unfolded point (z = 0); folded, its
// folded point times the scale; on the model, (its position + offset) times the scale.
void GetFaceletCorner(const Edge3D* edge, int mode, const double* offset, double scale, double* out);
// The facelet's normal by drawing mode: (0, 0, 1) flat, the stored one folded.
void GetFaceletNormal(const Face3D* facelet, int mode, double* out);
// The inside angle of a counter-clockwise outline at a corner, from the edge into it
// and the edge out of it (2D vectors): pi less the counter-clockwise turn, in
// [0, 2 pi); pi when either edge is shorter than 1e-7.
double GetCornerAngle(const double* into, const double* outOf);

// ---- One facelet ---------------------------------------------------------------------
// Its triangles (to the translucent queue) with its image and its source face's
// label, corners placed by GetFaceletCorner; colourSource (null: the facelet) gives
// the alpha and the face whose image is mapped. Hidden faces and the facelets of
// hidden stellation cells show only flat.
void Draw(Face3D* facelet, int mode, const double* offset, double scale, const Face3D* colourSource);
// Its edges and corners: lines and points, or rods and spheres where the style and
// the drawing mode allow them.
void DrawEdgesAndVertices(Face3D* facelet, Model3D* model, int mode, double scale);
// The glue tabs on its edges (none on the model); folded, a tab glued over its
// neighbour is drawn by that facelet. A null view is the current one.
void DrawTabs(Face3D* facelet, int mode, OpenGLView* view, double scale);
// What a folded facelet shows besides its triangles: its number, edge texts and
// corner angles, edges and corners, sphere sections, stellation lines, and the tabs
// of neighbours glued under it; parts picks the lines (sphere sections and stellation
// lines), the rest, or both.
enum NetExtraParts : unsigned { kNetExtraLines = 1u, kNetExtraRest = 2u, kNetExtrasAll = 3u };
void DrawNetExtras(Face3D* facelet, Model3D* model, unsigned parts = kNetExtrasAll);
// The circles where the reference spheres cut it, on screen or (printing) on the
// page, which is the net's placement on the page being printed.
void DrawSphereSections(Face3D* facelet, bool folded, void* page, bool printing);
// The stellation lines it was cut from, on screen or on the page being printed.
void DrawStellationLines(Face3D* facelet, bool folded, bool printing);

// Lines kept for a drawing of many facelets at once: two points a segment, `dims`
// floats a point (x and y flat, x, y and z folded).
struct KeptLines {
  std::vector<float> points;
  int dims = 2;
  void Add(const double* a, const double* b);
};
// The segments DrawSphereSections and DrawStellationLines draw on screen, where they
// are shown, added to kept instead.
void GatherSphereSections(Face3D* facelet, bool folded, KeptLines& kept);
void GatherStellationLines(Face3D* facelet, bool folded, KeptLines& kept);

// ---- Glue tabs ---------------------------------------------------------------------------
// The tab on the edgelet: its outline over its triangles, folded through the coplanar
// stencil when the model drawing uses it.
void DrawTab(const Edge3D* edge, int mode, double scale, bool highlighted);
// The tab of a neighbour that is shown glued under the folded facelet at its edgelet
// (which has no tab of its own): the tab across the edgelet, or one standing in the gap
// of a ring of coincident edges; null when none is.
const NetTab* FindTabGluedAt(const Edge3D* edge);
// A tab glued under a folded facelet, in the model's own units: pushed farther back
// than the faces are, so that the facelet hides it once the net is closed.
void DrawGluedTab(const NetTab& tab);
// The tab's triangles in the tab grey (white when highlighted).
void DrawFilled(const NetTab* tab, int mode, double scale, bool highlighted);
// The tab's outline in black.
void DrawOutline(const NetTab* tab, int mode, double scale);

}  // namespace corvia
