#pragma once
// A vertex of the facet model, with its place in the model's symmetry, and the walk
// over the edge types of a facelet type: the edgelets that are one under the type's
// rotational symmetry form an edge type, visited once per type, and for one edge type
// every edgelet of the model that belongs to it.

#include <cstdint>

namespace corvia {

class Model3D;
class Face3DType;
struct Edge3D;

struct Vert3D {
  // Bits 0-5: distance back to the previous record of the same group (0 for the
  // group's first); 0x40 alone; 0x80 on an axis; 0x100 / 0x200 its axis type.
  uint32_t mFlags = 0;
  double mPos[3] = {0.0, 0.0, 0.0};
  // Head of the edgelets that start here, linked through Edge3D::nextAtVert.
  Edge3D* mFirstEdge = nullptr;

  // Index in the model's array, the model reached through the first edgelet; -1 for
  // a null vertex or one that no edgelet starts at.
  static int GetIndex(const Vert3D* vertex);
  static int GetIndexIn(const Vert3D* vertex, const Model3D* model);
  // By x, then y, then z, each within 1e-7. Equal positions are a fault of the
  // builder, which merges them first: reported, and 0. A record compared with itself
  // is 0 without a report.
  static int Compare(const Vert3D* a, const Vert3D* b);
  void AddEdge(Edge3D* edge);
  // -1 on no axis, else 0, 1 or 2.
  int GetAxisKind() const;
  // The fold of its axis; 1 on none.
  int GetNumRots(const Model3D* model) const;
  // How many symmetric copies its group has.
  int GetNumCopies(const Model3D* model) const;
  const Vert3D* GetGroupHead() const;
  static bool IsSameGroup(const Vert3D* a, const Vert3D* b);
  // The vertex a group length further on; null past the end of the array.
  Vert3D* GetNextGroupVertex(Model3D* model);
};

// Walks the edge types of one facelet type. A block is one loop, or the loops that
// are rotated copies of one another (the first edgelet of the first carries
// kEdgeRotatedLoop); its edge types are the first block length / rotations edgelets.
class Edge3DType {
 public:
  // Starts at the first edge type of the facelet type.
  void Init(Face3DType* type);
  // Positions the walk at the edge type of the edgelet; returns its rotation number
  // within its block.
  int Init(const Edge3D* edge);
  // With null the edge type's representative in the type's first facelet; else the
  // next edgelet of the same edge type (the next rotation in the same facelet, then
  // the next facelet); null after the last.
  Edge3D* GetEdge(const Edge3D* previous) const;
  // To the next edge type; false when all are done.
  bool Next();

  Face3DType* GetFaceType() const { return mFaceType; }
  int GetCurrentEdge() const { return mCurrentEdge; }

 private:
  // The extent of the block starting at mLoopStart with loop mLoop, as read from the
  // type's first facelet.
  void SetBlock();

  Face3DType* mFaceType = nullptr;
  int mNumRots = 1;
  int mLoop = 0;
  int mNextLoop = 1;
  int mLoopStart = 0;
  int mLoopEnd = 0;
  int mCurrentEdge = 0;
  int mPerRotation = 0;
};

}  // namespace corvia
