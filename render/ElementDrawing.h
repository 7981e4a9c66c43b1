#pragma once
// Drawing of a model's elements: corner points, edge lines, numbers and frames, the
// user's labels, a pane's extents, and the vertex-figure pane.

#include <cstdint>

namespace corvia {

class ElementList;
class OpenGLView;
class Poly;
class PolyElement;
struct ViewExtents;

// ---- One element ---------------------------------------------------------------------
// Its frame as three axis lines of length 0.3 from (centroid + (push - 1) frame
// origin) x scale, labelled with its number; nothing for a hidden element.
void DrawNumber(const PolyElement* element, double scale, double push);
// DrawLabel at (centroid + (push - 1) frame origin) x scale when a text is shown.
void DrawTextIfShown(const PolyElement* element, double scale, double push);
// The element's numbers and labels (and those of its concentric coplanar members)
// as a text facing along the first axis and the normal, at least leastHeight high. A
// fit radius above 0 then shrinks a text centred on its point until it lies within
// that distance of it.
void DrawLabel(const PolyElement* element, const double* position, const double* firstAxis, const double* normal,
               double fitRadius = 0.0, double leastHeight = 0.0);
// The text mode word the element's label is drawn with: faces have their own.
uint32_t& LabelTextModeOf(const PolyElement* element);
// A point at (corner + offset) x scale for each corner that is present, finite and
// shown, in the corner's draw colour.
void DrawCornerPoints(const PolyElement* element, const double* offset, double scale);
// Edge i (corners i and i + 1) into an open GL line list; the selected edge is drawn
// three times as wide unless noHighlight. A corner at infinity gives the chord of
// the model's sphere along the edge.
void DrawEdgeLine(const PolyElement* element, int i, const double* offset, double scale, bool noHighlight);
// Half of the edge that ends at corner i: from the previous corner to the mid-point
// (firstHalf), or from the mid-point to corner i.
void EmitHalfEdge(const PolyElement* element, int i, const double* offset, double scale, bool firstHalf);
// One GL line list of every edge, each in its edge's colour.
void DrawEdges(const PolyElement* element, const double* offset, double scale);
// Widens a pane's extents by the corners of the element's drawn polygon mapped by
// the matrix.
void AddToExtents(const PolyElement* element, OpenGLView* view, ViewExtents* extents, const double* matrix);

// ---- A list of elements ----------------------------------------------------------------
// Each element's number and frame, in list order.
void DrawNumbers(ElementList* list, double scale, double push);
// The texts of the elements drawn as faces, when any number or label is shown.
void DrawLabels(ElementList* list, Poly* poly, double scale, double push);
// The texts of the elements drawn as vertices, at their positions (moved out by the
// vertex spheres when they are drawn).
void DrawAllLabels(ElementList* list, Poly* poly, double scale, double push);

// ---- The vertex-figure pane: one element with its neighbours and the other elements
// of its list projected into its frame ----------------------------------------------------
// Widens the extents by the element's polygon (and those of its coplanar ring) and
// its neighbours' projections.
void AddVertexFigureToBounds2D(const PolyElement* element, OpenGLView* view, ViewExtents* extents);
// The same for every other element of the list whose projection is finite.
void AddOthersToBounds2D(const PolyElement* element, OpenGLView* view, ViewExtents* extents);
// Draws the pane: the lines of the list (with the pane's line option), the drawn
// polygons' vertex figures, the points and, in Measurement Mode, the measurement
// points, then the numbers.
void DrawVertexFigure2D(const PolyElement* element, OpenGLView* view, bool showLines, bool picking);

}  // namespace corvia
