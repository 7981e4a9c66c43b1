#pragma once
// Elements that share a plane, and the corner order and in-plane axes of the elements
// of one face type. Both serve a vertex list as well as a face list (a vertex is a
// face of the dual).
//
// A coplanar ring links the elements of one plane through mCoplanarNext in sorted
// order and closes on itself; an element alone in its plane has no link (null). An
// element whose predecessor in its ring has the same type carries the Coplanar flag.

#include <cstdint>
#include <unordered_map>
#include <vector>

namespace corvia {

class ElementList;
class FaceType;
class PolyElement;

// Frame origins, canonical normals (the first component outside the tolerance made
// positive), face-type index and element index: -1, 0 or 1 (index differences for
// the last two keys). Compares within the element tolerance, so it is not a strict
// order: sort with MergeSort only.
int CompareCoplanar(const PolyElement* a, const PolyElement* b);

// A right-handed frame of an element: first axis towards corner `start`, the given
// normal, second axis normal x first. False when the corner lies on the frame origin.
bool FrameTowards(const PolyElement* e, int start, const double* normal, double* x, double* y);

// Links the elements of the list that lie in one plane (same frame origin, normals
// equal or opposite) into coplanar rings and sets their Coplanar flags. Every ring
// link and Coplanar flag of the list is rebuilt. False when the user cancelled: the
// rings are then unfinished, and the set-up goes no further.
[[nodiscard]] bool FindCoplanarFaces(ElementList* list);

// The coplanar ring of every element of a list, numbered once, so that whether two
// elements share a plane is answered at once: PolyElement::IsCoplanarWith walks the
// ring, and a plane of a finely cut face holds hundreds of thousands of faces. Valid
// while the rings stay as they were.
class CoplanarRingIndex {
 public:
  explicit CoplanarRingIndex(const ElementList* list);
  // The rings of the given elements only: elements of other rings are in none.
  explicit CoplanarRingIndex(const std::vector<const PolyElement*>& members);
  // As a->IsCoplanarWith(b).
  bool Together(const PolyElement* a, const PolyElement* b) const;

 private:
  // Files the ring of e, unless it is filed or e is in none, walking at most limit steps.
  void File(const PolyElement* e, int limit);
  std::unordered_map<const PolyElement*, int32_t> mRing;
  int32_t mRings = 0;
};

// Turns the corner order and axes of every element of the list so that each starts at
// the corner that corresponds to its type's representative element (for an element
// through the centre: the frame a rotation carrying the representative onto it gives,
// its normal negated when it runs the other way round), then settles which member of
// each same-type coplanar pair of the types from firstType on carries the Coplanar
// flag.
void ReorientFaceAxes(ElementList* list, FaceType* firstType);

}  // namespace corvia
