#pragma once
// Drawing of the facet model (Model3D) in a pane: its vertices, edges and cut edges,
// its facelets back to front, facelet numbers on screen and on paper, the rings of
// coplanar facelets, the folding nets, the selected facelets and the selected edge.
// Each draws into the current view and does nothing without one.

#include "core/VectorMath.h"

namespace corvia {

class Face3D;
class Model3D;
class OpenGLView;
class PolyElement;
struct ViewExtents;

// ---- Vertices, edges and facelets ----------------------------------------------------
// The vertices as points or spheres, at their places in the model exploded by the
// factor (1: not exploded).
void DrawVertices(Model3D* model, double explode);
// The edges as lines (reflex ones stippled) or rods.
void DrawEdges(Model3D* model, double explode);
// The edges marked by the user (cut, joined, flap) in their mark's colour and width.
void DrawMarkedEdges(Model3D* model, double explode);
// The facelets back to front, each pushed out from the centre by the factor.
void DrawFacelets(Model3D* model, double explode);
// The facelet numbers at the facelets' centroids mapped by the transform (only those
// of the model's current face with currentFaceOnly).
void DrawFaceletNumbers(Model3D* model, const Transform3D& transform, bool currentFaceOnly);
// The numbers of the facelets cut from the face on the page being printed.
void PrintFaceletNumbers(Model3D* model, const PolyElement* source, const double* pageTransform,
                         const Transform3D& modelTransform);

// ---- Rings of coplanar facelets ------------------------------------------------------
void DrawRingVertices(Model3D* model, const Face3D* facelet, const double* offset);
// The ring's edges that are reflex (reflexOnly) or not; with highlightedOnly only the
// marked ones, in their mark's style.
void DrawRingEdges(Model3D* model, const Face3D* facelet, const double* offset, bool highlightedOnly, bool reflexOnly);

// ---- Nets and selection -----------------------------------------------------------------
// The nets that the display mode shows, folded to the fold fraction; a large model's as
// they were last folded while the idle work folds them (Model3D::FoldOrAskIdleWork),
// none before their first fold.
void DrawNets(Model3D* model);
// The selected facelets over the model, in the selection's transparency.
void DrawSelectedFacelets(Model3D* model);
// The selected edge and its neighbour in the net, flat, folded or on the model (the
// facelet drawing modes).
void DrawSelectedEdge(Model3D* model, int mode);
// Folds the nets as DrawNets does and widens the view's bounds by the nets shown.
void ExtendViewBounds(Model3D* model, OpenGLView* view, ViewExtents* bounds);

}  // namespace corvia
