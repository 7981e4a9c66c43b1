#pragma once
// The model as each view type of the panes shows it: the base and dual blocks, their
// compound, the stellations, the dual morphs at the panes' ratio, and the overlays of
// the model panes (symmetry axes, reference spheres). Each drawer puts the model's face
// lists through DrawFaces in a face draw mode and answers what the pane's later steps
// need (the draw mode, or a size). Drawn inside the pane's GL section.
//
// `morph` is the pane's explosion factor (exactly 1.0: none); `t` the dual-morph ratio
// (0 the model, 1 its dual). Positions are multiplied by the model's display scale.

namespace corvia {

class Poly;

// The block's faces in mode 0 with their labels, at scale times the display scale.
void DrawBaseBlock(Poly* poly, double scale, double morph);
void DrawDualBlock(Poly* poly, double scale, double morph);

// The dual morphs; each answers its face draw mode, sizing its base scale (or the
// dual's while the dual is shown).
double DrawMorphBySizing(Poly* poly, double t, double morph);
int DrawMorphByTruncation(Poly* poly, double t, double morph);
int DrawMorphByAugmentation(Poly* poly, double t, double morph);
int DrawMorphByExpansion(Poly* poly, double t, double morph);
int DrawMorphByTiltingQuads(Poly* poly, double t, double morph);
int DrawMorphByTiltingTriangles(Poly* poly, double t, double morph);
int DrawMorphByTiltingToCompound(Poly* poly, double t, double morph);
int DrawMorphByTiltingToRectification(Poly* poly, double t, double morph);
int DrawMorphViaSnub(Poly* poly, double t, double morph);

// The current stellation of a side: the faces in mode 8 and their labels.
void DrawStellationOfBase(Poly* poly, double morph);
void DrawStellationOfDual(Poly* poly, double morph);
// The faceted model of the drawn facets (made again when out of date), its faces
// pickable, the selected one highlighted and its problem edges coloured.
void DrawFacetingPreview(Poly* poly, double morph);
// The base faces in mode 0 while the shown block is unstellated, else in mode 8; the
// mode.
int DrawCompoundView(Poly* poly, double morph);

// The model's symmetry axes at the scale.
void DrawModelSymmetryAxes(Poly* poly, double scale);
// A wire sphere about the centre in the colour, unlit.
void DrawReferenceSphere(double radius, const float* colour);

// The selection over the model, in white and unlit (SelectionDrawing.cpp). The edge:
// its end points, larger than the vertices, and its line from each of its two sides.
void DrawSelectedEdge(Poly* poly, double morph);
// The selected element seen as a vertex: its point, and either the halves of the sides
// that meet at it or, with "Show Vertex Angles", the lines to its neighbours' feet in
// its plane with the angles between them.
void DrawSelectionMeasurements(Poly* poly, double morph);
// The selected element seen as a face: under the diagram highlight the stellation
// diagram in its plane, else the face alone over everything; then its text. `scale`
// is the pane's sizing scale (1.0 but for the sizing morph).
void DrawSelectedFace(Poly* poly, int drawMode, double scale, double morph);

}  // namespace corvia
