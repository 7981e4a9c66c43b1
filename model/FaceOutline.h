#pragma once
// Outlines of faces handed to the face diagrams: the outline of a face's coplanar ring,
// the outline of a face truncated by the planes of the dual (the morph from a model to
// its dual by truncation), the walk along a straight run of the model's edges, and
// FaceOutline, which turns the outline loops of one face into a triangle mesh through
// a face diagram.

#include <cstdint>

#include "model/FaceDiagram.h"

namespace corvia {

class PolyElement;
struct PolygonVertex;
struct DiagramCell;
struct TriangulationContext;

// Face-diagram flags: outlines keep their edge records; bit 1 asks for even-odd filling.
constexpr uint32_t kOutlineDiagramFlags = kDiagramFinishKeepEdges;
constexpr uint32_t kOutlineDiagramEvenOdd = kDiagramFinishEvenOdd;

// Draws the 2D outlines of every member of the element's coplanar ring (starting with
// the element, each with its reversed flag) into the diagram, in the element's frame.
// False (nothing drawn) for an element whose dual face lies at infinity. Unless
// ringCellCopies is false (an outline built into pools of the caller's own), the
// ring's faces get copies of the cells for their colours.
bool BuildFaceOutlineDiagram(PolyElement* element, FaceDiagram* diagram, FaceDiagramResult* result,
                             DiagramCell** cells, FaceDiagramWorkPools* workPools,
                             FaceDiagramResultPools* resultPools, bool evenOdd, bool ringCellCopies = true);

// The element's polygon at scale s cut by the planes of its corners' dual elements at
// scale t, in the element's 2D frame; null when nothing is left.
PolygonVertex* CreateMorphPolygon(const PolyElement* element, double s, double t);

// The same cut outline for every member of the coplanar ring, drawn into the diagram
// in the element's frame; the ring's faces get copies of the cells as their second
// cell colours. False (nothing drawn) for an element at infinity, or when t times its
// dual point does not lie beyond its plane at scale s.
bool BuildMorphOutlineDiagram(PolyElement* element, double s, double t, FaceDiagram* diagram,
                              FaceDiagramResult* result, DiagramCell** cells, FaceDiagramWorkPools* workPools,
                              FaceDiagramResultPools* resultPools, bool evenOdd);

// A pair of morph scales, of the base model's points and of the dual's.
struct MorphScales {
  double base = 1.0;
  double dual = 1.0;
};

// Written by Poly::SetTruncationMorphScale and Poly::SetAugmentationMorphScale (both
// 1.0 until first set), read by the morph builders, the morph diagrams and the morph
// drawing.
MorphScales& TruncationMorphScales();
MorphScales& AugmentationMorphScales();

// The morph diagram of the element's face type (its second result), in the model's
// morph diagram pools: cleared, then drawn from the outlines of the element's ring
// truncated at scales s and t. Only for a type that is no coplanar copy and an element
// not at infinity; false when nothing was drawn.
bool BuildTypeMorphDiagram(PolyElement* element, double s, double t);

// Faces face0 (plane A) and face1 (plane B) meet along an edge ending at vertex; next is
// the face after face0 round the vertex on the side where the line goes on; previous is
// the other end of the edge. Follows the line of planes A and B past vertices while
// the faces round them stay in those planes. out: the far end reached (the vertex's
// dual point when none). True when the line went past at least one vertex.
bool FollowEdgeLine(double* out, PolyElement* previous, PolyElement* face0, PolyElement* face1, PolyElement* vertex,
                    PolyElement* next);

// State kept while a face outline is being built.
struct FaceOutlineBuilder {
  int axes[3] = {2, 0, 1};  // dominant axis of the normal, then the next two cyclically
  double normal[3] = {0.0, 0.0, 0.0};
  double d = 0.0;
  double first[2] = {9.99999e99, 9.99999e99};  // 9.99999e99 while the loop has no point
  double previous[2] = {0.0, 0.0};
  int loop = 0;
  FaceDiagram* diagram = nullptr;
};

// The triangle mesh of one face given by outline loops of 3D points.
class FaceOutline {
 public:
  FaceOutline() = default;
  ~FaceOutline() { Clear(); }
  FaceOutline(const FaceOutline&) = delete;
  FaceOutline& operator=(const FaceOutline&) = delete;

  // Frees the arrays unless they come from the pool.
  void Clear();
  static void Begin(FaceOutline* outline, const double* plane, FaceDiagram* diagram, FaceOutlineBuilder* builder);
  static void AddPoint(const double* point, FaceOutlineBuilder* builder);
  static void CloseLoop(int loopNumber, FaceOutlineBuilder* builder);
  static void Finish(FaceOutline* outline, FaceOutlineBuilder* builder);

  TriangulationContext* pool = nullptr;  // arrays come from here when set
  double* points = nullptr;              // 3D points, three doubles each
  int32_t indexCount = 0;
  int* indices = nullptr;
};

}  // namespace corvia
