#pragma once
// Drawing of stellation diagrams: lines, points and facets in a face's plane or flat
// in the diagram pane, the facet edges on the model's faces, the facets picked on a
// face, symmetry marks and labels of the diagram pane, facets on a printed page, and
// the outlines of a facelet's segments in a net.
// frame: the face frame of a diagram (two in-plane axes and an origin, 4x4 columns).

#include <functional>

namespace corvia {

class ElementList;
class FaceType;
class FaceTypeBlock;
class OpenGLView;
class Poly;
class PolyElement;
struct StellationFacet;
struct StellationSegment;

// ---- Diagrams --------------------------------------------------------------------------
// The colour of a facet's draw state (StellationFacet::GetDrawState, 0 to 3) in the
// diagrams.
const float* GetFacetStateColour(int state);
void DrawDiagramLines(const FaceType* type, const double* frame, bool pickOnly);
// The edges of the type's facets that `inside` takes: with `outlineOnly` those
// between such a facet and one it does not take (or none), else every edge of such a
// facet, each once. Unlike the diagram's lines they end where the facets do.
void DrawFacetEdges(const FaceType* type, const double* frame, bool (*inside)(const StellationFacet*),
                    bool outlineOnly);
void DrawDiagramFacets(const FaceType* type, const double* frame, bool faded);
void DrawDiagramInPlane(const FaceType* type, const double* frame, bool faded);

// ---- Facets ----------------------------------------------------------------------------
// Each segment of the facet as a polygon in the frame.
void Draw(const StellationFacet* facet, const double* frame);
// The facet on the page being printed, through the page transform (six numbers).
void Print(const StellationFacet* facet, const double* transform);

// ---- On the model's faces --------------------------------------------------------------
// The edges of the visible facets on the face (stellating the block first when it is
// not), at (face + offset) x scale.
void DrawFacetEdgesOnFace(FaceType* type, PolyElement* face, const double* offset, double scale);
// Stellates the type's block, unless it is or the set-up waits for later; whether it is
// stellated. The set-up lets go of the block's facet model: a drawing that draws from
// that model sets up first.
bool SetUpFacetEdges(FaceType* type);
void DrawDiagramOnFace(FaceType* type, PolyElement* face, const double* offset);
// The visible facets on the face that look towards the viewer (or both ways), for
// picking.
void DrawFacetsForSelection(FaceType* type, PolyElement* face, const double* offset);

// Every copy of the block's selected cell: its facets on each face of the list whose
// type is in the block, filled white in the selected-face transparency where they are
// in sight and outlined dashed through the model, each face moved out by the
// explosion factor as the stellation is.
void DrawSelectedCell(Poly* poly, ElementList* faces, FaceTypeBlock* block, double morph);

// ---- Marks and labels of the diagram pane ------------------------------------------------
void DrawSymmetryAxes2D(FaceType* type, OpenGLView* view);
void DrawMirrorLines2D(FaceType* type, OpenGLView* view);
void DrawLineLabels(const FaceType* type, const double* frame);
void DrawDiagramLabels(const FaceType* type, const double* frame, int kind);
// The line labels and point labels on the face.
void DrawLabelsOnFace(FaceType* type, PolyElement* face);
// The point labels on the page being printed.
void PrintDiagramLabels(FaceType* type, void* deviceContext);

// ---- Outlines in nets ------------------------------------------------------------------
// The outline of a facet's segment in a net and of the unmarked segments joined to it
// across edges that are not edges of the stellation.
void DrawInNet(StellationSegment* first, void* deviceContext, const double* frame, bool twoD);
// The lines DrawInNet draws, each from a to b through the frame, marking the segments
// as it does.
void ForEachLineInNet(StellationSegment* first, const double* frame,
                      const std::function<void(const double*, const double*)>& visit);

}  // namespace corvia
