#pragma once
// Whether one element (face or vertex) is carried onto another by a transformation,
// at which corner offset and in which direction the corners then correspond; the
// congruence of two faces; and the half-turn axis of the group that maps a face
// through the centre onto itself.
//
// The functions are members of PolyElement (declared there, defined in
// FaceMatching.cpp), so that they serve faces and, in the dual role, vertices:
//   MatchTransformed       dual point and corner frame origins, carried by a matrix
//   MatchTransformedAxes   frame origin, normal (either sense) and corner dual points
//   MapsOntoUnder          MatchTransformedAxes of the element's own frame under a matrix
//   FindSymmetryOperation  the same for an improper operation of a group; returns the
//                          corner offset and reports the step (+1 or -1)
//   IsCongruentTo          same shape (and size, unless scaling is allowed)
//   FindHalfTurnAxis       an even axis of the group in the plane of a Hemi element
//                          whose half turn maps the element onto itself

#include "model/PolyElement.h"

namespace corvia {

// The same tests as free functions of the element tested (null: no match), for
// callers that hold the element as a plain pointer.
inline bool MatchTransformed(const PolyElement* self, const PolyElement* other, const double* dualPoint,
                             const double* corner0, const double* matrix, bool ordered, int* outOffset,
                             bool* outReflected) {
  return self && self->MatchTransformed(other, dualPoint, corner0, matrix, ordered, outOffset, outReflected);
}
inline bool MatchTransformedAxes(const PolyElement* self, const PolyElement* other, const double* origin,
                                 const double* normal, const double* corner0, const double* matrix, bool ordered,
                                 int* outOffset, bool* outReflected) {
  return self && self->MatchTransformedAxes(other, origin, normal, corner0, matrix, ordered, outOffset, outReflected);
}
inline bool MapsOntoUnder(const PolyElement* self, const PolyElement* other, const double* matrix) {
  return self && self->MapsOntoUnder(other, matrix);
}
// A negative operation number means the group's own improper operation (for plane
// reflections the reflection in its first mirror plane).
inline int FindSymmetryOperation(const PolyElement* self, const PolyElement* other, const double* origin,
                                 const double* normal, const double* corner0, const SymGroup* group, int operation,
                                 int* outStep) {
  return self ? self->FindSymmetryOperation(other, origin, normal, corner0, group, operation, outStep) : -1;
}
inline bool IsCongruentTo(const PolyElement* self, const PolyElement* other, bool allowScale) {
  return self && self->IsCongruentTo(other, allowScale);
}
inline SymAxis* FindHalfTurnAxis(const PolyElement* self) { return self ? self->FindHalfTurnAxis() : nullptr; }

}  // namespace corvia
