#pragma once
// What the elements ask of the Poly that owns them. The Poly itself is declared
// elsewhere; these free functions are its side of the contract with its vertices,
// faces and edges. The elements never pass a null model: an element built outside
// any model (by a tool or a test) simply does without these services.

namespace corvia {

class Poly;
class PolyElement;
class ElementList;
class Edge;
class FaceTypeBlock;
class PolyTemplate;
class SymGroup;

// The model's vertex list and face list (never null for a model).
ElementList* PolyVertexList(Poly* poly);
ElementList* PolyFaceList(Poly* poly);

// The base (faces) or dual (vertices) face-type block.
FaceTypeBlock* PolyTypeBlock(Poly* poly, bool dualBlock);

// The current element of the base or the dual face-type block.
PolyElement* PolyBlockCurrent(Poly* poly, bool dualBlock);
void PolySetBlockCurrent(Poly* poly, bool dualBlock, PolyElement* element);
// The element the user selected, or null.
PolyElement* PolySelectedElement(const Poly* poly);

// Called while an element is destroyed: the model drops every reference it keeps to
// it (the selected element and item, the current element of either block).
void PolyForgetElement(Poly* poly, PolyElement* element);

// Adds delta to the number of edges that carry a label.
void PolyAddLabelledEdges(Poly* poly, int delta);

// The edge array and its length.
Edge* PolyEdgeArray(Poly* poly);
int PolyNumEdges(Poly* poly);

// The model's radius (its cached radius, recomputed when stale).
double PolyGetRadius(Poly* poly);

// The template the model was built from, or null.
PolyTemplate* PolyTemplateOf(Poly* poly);

// The symmetry group in use and the full group kept while a sub-symmetry is applied.
SymGroup* PolySymGroup(Poly* poly);
SymGroup* PolyFullSymGroup(Poly* poly);

}  // namespace corvia
