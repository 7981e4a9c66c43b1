#pragma once
// One edge record of a model: two end vertices, two side faces, flags and edge type.
// In the dual role the two faces are the ends and the two vertices the sides. Edges
// live in one array owned by the model; an edge's number is its place there.

#include <cstddef>
#include <cstdint>

#include "model/PolyItem.h"

namespace corvia {

class Vertex;
class Face;

// The place of an item in an array of count items from first; -1 for a null item or one
// outside the array. Addresses are compared as integers, so an item of another array
// gives no place.
template <typename T>
int IndexInArray(const T* item, const T* first, int count) {
  if (!item || !first) return -1;
  const auto address = reinterpret_cast<std::uintptr_t>(item);
  const auto start = reinterpret_cast<std::uintptr_t>(first);
  if (address < start) return -1;
  const std::uintptr_t offset = (address - start) / sizeof(T);
  return offset < static_cast<std::uintptr_t>(count) ? static_cast<int>(offset) : -1;
}

class Edge : public PolyItem {
 public:
  // Takes the current default edge colour.
  Edge();
  ~Edge() override;

  bool IsEdge() const override { return true; }
  Edge* AsEdge() override { return this; }
  PolyElement* AsElement() override { return nullptr; }

  // Position in the model's edge array; -1 for a null edge.
  static int GetIndex(const Edge* edge, Poly* model);
  static int GetNumber(const Edge* edge, Poly* model) { return GetIndex(edge, model) + 1; }

  bool Touches(const PolyElement* element) const;
  PolyElement* GetOtherVertex(const PolyElement* v) const;
  PolyElement* GetOtherFace(const PolyElement* f) const;
  PolyElement* GetOther(const PolyElement* element) const;

  // End points and sides for the role (dual: the faces are the ends).
  void GetVerts(bool dual, PolyElement** out) const;
  void GetFaces(bool dual, PolyElement** out) const;
  PolyElement* GetVert(bool dual, int i) const;
  PolyElement* GetFace(bool dual, int i) const;

  // From end point a to end point b (directions for ends at infinity).
  void GetVector(double* out, bool dual) const;
  // Distance between the ends; -1.0 when either lies at infinity.
  double GetLength(bool dual) const;
  // Unit sum of the two sides' normals.
  void GetOutwardNormal(double* out, bool dual) const;
  // The right direction of the edge's label: a unit vector across the edge, so that a
  // text reading along it with its up direction along the edge faces out of the model.
  void GetLabelFrame(double* out, bool dual) const;
  // The point of the edge line nearest to the model centre.
  void GetNearestPointToCentre(double* out, bool useSide) const;

  Vertex* mVert1 = nullptr;
  Vertex* mVert2 = nullptr;
  Face* mFace1 = nullptr;  // the face whose side produced the edge
  Face* mFace2 = nullptr;
  uint32_t mEdgeFlags = 0;
  int32_t mEdgeType = -1;
};

// An array of count fresh edges for a model (Poly::SetEdges takes it; FreeEdgeArray
// ends it); null for none. A large model's edges are made in runs of kEdgesPerReport
// with a report after each, so that the window answers (a million and a half took
// half a second); a cancel is not taken here but left for the caller's next report.
constexpr size_t kEdgesPerReport = 16384;
Edge* NewEdgeArray(size_t count);
void FreeEdgeArray(Edge* edges);

}  // namespace corvia
