// Neighbours across corners and edges, corner lookups, the coplanar ring's Face3D,
// compound parts and re-ordering of corners; and the walks round a vertex and round a
// face that the builder and the set-up use.

#include <algorithm>
#include <vector>

#include "core/Messages.h"
#include "core/Tolerances.h"
#include "model/Edge.h"
#include "model/ElementFlags.h"
#include "model/PolyElement.h"
#include "model/Vertex.h"

namespace corvia {

namespace detail_ElementLookups {
int Wrap(int i, int n) {
  const int r = i % n;
  return r < 0 ? r + n : r;
}

// Whether b stands next to a (either way round) in the element's corners.
bool HasSide(const PolyElement* element, const PolyElement* a, const PolyElement* b) {
  const int n = element->mNumSides;
  for (int k = 0; k < n; ++k) {
    if (element->mNeighbours[k] != a) continue;
    if (element->mNeighbours[Wrap(k + 1, n)] == b || element->mNeighbours[Wrap(k - 1, n)] == b) return true;
  }
  return false;
}
}  // namespace detail_ElementLookups

Face3D* PolyElement::GetFace3D(const PolyElement* element) {
  if (!element) return nullptr;
  if (Face3D* own = element->GetOwnFace3D()) return own;
  const int limit = element->RingWalkLimit();
  int steps = 0;
  for (const PolyElement* member = element->mCoplanarNext; member && member != element && steps < limit;
       member = member->mCoplanarNext, ++steps) {
    if (Face3D* own = member->GetOwnFace3D()) return own;
  }
  return nullptr;
}

int PolyElement::FindEdgeIndexAfter(const Edge* edge, int start) const {
  if (!edge) return -1;
  for (int j = start + 1; j < mNumSides; ++j) {
    if (j >= 0 && mEdges[j] == edge) return j;
  }
  return -1;
}

int PolyElement::FindVertexIndex(const PolyElement* element, const PolyElement* corner, int start) {
  if (!element) return -1;
  for (int j = start + 1; j < element->mNumSides; ++j) {
    if (j >= 0 && element->mNeighbours[j] == corner) return j;
  }
  return -1;
}

PolyElement* PolyElement::GetAdjacent(const PolyElement* element, int i) {
  if (!element) return nullptr;
  // For a face the face across edge i; for a vertex the vertex at the other end of
  // edge i, which is the same walk seen in the dual.
  return GetAdjacentFaceVert(element, i);
}

PolyElement* PolyElement::GetAdjacentAcross(int& i) const {
  const int n = mNumSides;
  if (n <= 0) return nullptr;
  Edge* edge = mEdges[detail_ElementLookups::Wrap(i, n)];
  if (edge) {
    PolyElement* neighbour = edge->GetOther(this);
    if (!neighbour) return nullptr;
    int shared = neighbour->FindEdgeIndexAfter(edge, -1);
    // An edge that borders this element twice: the other occurrence.
    if (neighbour == this && shared == i) shared = neighbour->FindEdgeIndexAfter(edge, shared);
    i = shared;
    return neighbour;
  }
  PolyElement* neighbour = GetAdjacent(i);
  if (!neighbour) return nullptr;
  const PolyElement* a = mNeighbours[detail_ElementLookups::Wrap(i, n)];
  const PolyElement* b = mNeighbours[detail_ElementLookups::Wrap(i + 1, n)];
  const int m = neighbour->mNumSides;
  for (int k = neighbour->FindVertexIndex(a, -1); k >= 0; k = neighbour->FindVertexIndex(a, k)) {
    if (neighbour->mNeighbours[detail_ElementLookups::Wrap(k + 1, m)] == b) {
      i = k;
      return neighbour;
    }
    if (neighbour->mNeighbours[detail_ElementLookups::Wrap(k - 1, m)] == b) {
      i = k == 0 ? m - 1 : k - 1;
      return neighbour;
    }
  }
  return nullptr;
}

PolyElement* PolyElement::FindCornerAt(const PolyElement* element, const double* point) {
  if (!element) return nullptr;
  for (int j = 0; j < element->mNumSides; ++j) {
    PolyElement* corner = element->mNeighbours[j];
    if (corner && NearlyEqual(corner->mDualVert, point, kPointTolerance)) return corner;
  }
  return nullptr;
}

PolyElement* PolyElement::GetNextNeighbour(const PolyElement* corner, int step) const {
  const int j = FindVertexIndex(corner, -1);
  if (j < 0) {
    ShowInternalError("GetNextNeighbour: Couldn't find it");
    return nullptr;
  }
  return mNeighbours[detail_ElementLookups::Wrap(j + step, mNumSides)];
}

int PolyElement::CollectConnectedPart(std::vector<PolyElement*>& part) {
  // Breadth first: each collected element in turn adds its unmarked corners, which
  // are of the other kind, so the part gathers vertices and faces alike.
  part.clear();
  mFlags |= kElementVisitMark;
  part.push_back(this);
  for (size_t next = 0; next < part.size(); ++next) {
    PolyElement* element = part[next];
    for (int j = 0; j < element->mNumSides; ++j) {
      PolyElement* corner = element->mNeighbours[j];
      if (!corner || corner->HasFlag(kElementVisitMark)) continue;
      corner->mFlags |= kElementVisitMark;
      part.push_back(corner);
    }
  }
  return static_cast<int>(part.size());
}

int PolyElement::CollectConnectedPart(PolyElement** buffer) {
  std::vector<PolyElement*> part;
  const int count = CollectConnectedPart(part);
  if (buffer) {
    std::copy(part.begin(), part.end(), buffer);
  } else {
    for (PolyElement* element : part) element->mFlags &= ~kElementVisitMark;
  }
  return count;
}

void PolyElement::RotateCorners(int shift, bool reverse) {
  const int n = mNumSides;
  if (n <= 0) return;
  uint8_t* bytes = IsVertex() ? static_cast<Vertex*>(this)->mFaceSense.get() : nullptr;
  if (shift > 0 && shift % n != 0) {
    // New entry j is old entry j + shift: a left rotation.
    const int s = shift % n;
    std::rotate(mNeighbours.get(), mNeighbours.get() + s, mNeighbours.get() + n);
    std::rotate(mEdges.get(), mEdges.get() + s, mEdges.get() + n);
    if (bytes) std::rotate(bytes, bytes + s, bytes + n);
  }
  if (reverse) {
    // Corner 0 stays; the order of the others turns round. Edge j must still join
    // corners j and j + 1, so the edges reverse as a whole.
    std::reverse(mNeighbours.get() + 1, mNeighbours.get() + n);
    if (bytes) std::reverse(bytes + 1, bytes + n);
    std::reverse(mEdges.get(), mEdges.get() + n);
  }
}

PolyElement* GetNextFace(Vertex* vertex, PolyElement* face, int step, int sense) {
  const int j = vertex->FindVertexIndex(face, -1);
  if (j < 0) {
    ShowInternalError("GetNextFace: Couldn't find it");
    return nullptr;
  }
  const int direction = (vertex->mFaceSense[j] != sense) ? -1 : 1;
  return vertex->mNeighbours[detail_ElementLookups::Wrap(j + direction * step, vertex->mNumSides)];
}

void SetNextFace(Vertex* vertex, PolyElement* face, int step, PolyElement* newFace, int sense) {
  const int j = vertex->FindVertexIndex(face, -1);
  if (j < 0) {
    ShowInternalError("SetNextFace: Couldn't find face");
    return;
  }
  const int direction = (vertex->mFaceSense[j] != sense) ? -1 : 1;
  const int place = detail_ElementLookups::Wrap(j + direction * step, vertex->mNumSides);
  vertex->SetFace(place, newFace);
  // Two faces that run the same way round a polyhedron pass their common corner next
  // to the vertex in opposite directions; a face that passes it in the same direction
  // as its neighbour is turned the other way round the vertex.
  uint8_t sameDirection = 0;
  const int k = face->FindVertexIndex(vertex, -1);
  const int kNew = newFace ? newFace->FindVertexIndex(vertex, -1) : -1;
  if (k >= 0 && kNew >= 0) {
    const int n = face->mNumSides;
    const int m = newFace->mNumSides;
    const PolyElement* after = face->mNeighbours[detail_ElementLookups::Wrap(k + 1, n)];
    const PolyElement* before = face->mNeighbours[detail_ElementLookups::Wrap(k - 1, n)];
    const PolyElement* newAfter = newFace->mNeighbours[detail_ElementLookups::Wrap(kNew + 1, m)];
    const PolyElement* newBefore = newFace->mNeighbours[detail_ElementLookups::Wrap(kNew - 1, m)];
    const bool opposite = (after && after == newBefore) || (before && before == newAfter);
    const bool same = (after && after == newAfter) || (before && before == newBefore);
    sameDirection = (same && !opposite) ? 1 : 0;
  }
  vertex->mFaceSense[place] = sameDirection;
}

PolyElement* GetNextVertex(PolyElement* face, Vertex* vertex, int step) {
  const int k = face->FindVertexIndex(vertex, -1);
  if (k < 0) {
    ShowInternalError("GetNextVertex: Couldn't find it");
    return nullptr;
  }
  const int j = vertex->FindVertexIndex(face, -1);
  const bool reversed = j >= 0 && vertex->mFaceSense[j] != 0;
  return face->mNeighbours[detail_ElementLookups::Wrap(k + (reversed ? -step : step), face->mNumSides)];
}

PolyElement* GetAdjacentFaceVert(const PolyElement* face, int i) {
  const int n = face->mNumSides;
  if (n <= 0) return nullptr;
  i = detail_ElementLookups::Wrap(i, n);
  if (Edge* edge = face->mEdges[i]) return edge->GetOther(face);
  const PolyElement* a = face->mNeighbours[i];
  const PolyElement* b = face->mNeighbours[detail_ElementLookups::Wrap(i + 1, n)];
  if (!a || !b) return nullptr;
  // Round corner a, the element next to this one that also has the side a-b.
  const int j = a->FindVertexIndex(face, -1);
  // None is an answer, not a failure: the corner's ring may still be being built.
  if (j < 0) return nullptr;
  const int m = a->mNumSides;
  for (int offset : {1, -1}) {
    PolyElement* candidate = a->mNeighbours[detail_ElementLookups::Wrap(j + offset, m)];
    if (candidate && candidate != face && detail_ElementLookups::HasSide(candidate, a, b)) return candidate;
  }
  for (int k = 0; k < m; ++k) {
    PolyElement* candidate = a->mNeighbours[k];
    if (candidate && k != j && detail_ElementLookups::HasSide(candidate, a, b)) return candidate;
  }
  // No element across the side: an open edge.
  return nullptr;
}

}  // namespace corvia
