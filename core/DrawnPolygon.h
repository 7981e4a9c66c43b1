#pragma once
// Planar polygons in 3D given by a ring of corners: facets the user draws by clicking
// vertices, the polygons of a faceting and construction-toy meshes. Polygons form a
// chain linked through `next`. What needs the model (auto-completion, the symmetry
// queries) is defined in model/DrawnPolygonModel.cpp.

#include <cstdint>

#include "core/PolygonRing.h"
#include "core/PolygonSplit.h"
#include "core/VectorMath.h"

namespace corvia {

class SymGroup;

// One triangulated piece handed to DrawnPolygon::JoinMeshes.
struct DrawnPolygonMesh {
  const double* points = nullptr;  // 2D points, two doubles each
  int indexCount = 0;
  const int* indices = nullptr;
};

class DrawnPolygon {
 public:
  // An empty polygon appended to the chain.
  DrawnPolygon(DrawnPolygon*& head, DrawnPolygon*& tail);
  ~DrawnPolygon();
  DrawnPolygon(const DrawnPolygon&) = delete;
  DrawnPolygon& operator=(const DrawnPolygon&) = delete;

  // Frees triangles, ring and pieces.
  void Clear();
  // Frees the point and index arrays; the triangles are then not computed.
  void FreeTriangles();
  // Unlinks and frees the ring's last vertex; a ring left with one vertex or none is
  // cleared entirely.
  void RemoveLastVertex();
  // True while the triangles are not computed; else whether the point lies in the
  // polygon's plane within 1e-7.
  bool IsCoplanar(const double* point) const;
  // Plane frame, split into simple pieces and triangles; returns the index count (0
  // when the ring is degenerate or cannot be split).
  int Triangulate();
  // Replaces the triangles by the union of the pieces' triangles.
  void JoinMeshes(int count, const DrawnPolygonMesh* pieces);

  // Symmetry of the polygon under the model's group, about the normal of the last
  // triangulation. The fold of the group's axis along the normal (1 when none);
  // the order of the polygon's own rotational symmetry about that axis; whether an
  // improper operation of the group maps the polygon onto itself. Defined with the
  // model, in model/DrawnPolygonModel.cpp.
  int GetAxisOrder(const SymGroup* group) const;
  int GetRotationCount(const SymGroup* group) const;
  bool MatchSymmetry(const SymGroup* group) const;

  static int CountChain(const DrawnPolygon* head);
  static int GetIndexInChain(const DrawnPolygon* head, const DrawnPolygon* polygon);

  double* vertices = nullptr;  // 2D points the triangle indices refer to
  int32_t indexCount = -1;     // -1 while the triangles are not computed
  int* indices = nullptr;
  PolygonVertex* ring = nullptr;  // each vertex's point is the 3D corner
  PolygonList* pieces = nullptr;  // simple rings of the last split
  double centroid[3] = {0.0, 0.0, 0.0};
  double axisU[3] = {0.0, 0.0, 0.0};
  double axisV[3] = {0.0, 0.0, 0.0};
  double normal[3] = {0.0, 0.0, 0.0};
  DrawnPolygon* next = nullptr;
};

void DeleteDrawnPolygonChain(DrawnPolygon*& head);
// Mean of the ring's 3D points.
void GetPolygonCentroid(double* out, const DrawnPolygon* polygon);

}  // namespace corvia
