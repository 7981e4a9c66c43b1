#pragma once
// How the faces of a plain model meet at its edges: the check run before a
// user-built model becomes a Poly (SimplePoly::CheckModelValidity, defined with
// this file), the per-edge count that the faceting preview's problem-edge drawing
// shares with it, and two matrix utilities of the alignment passes.
//
// The preview drawing of a plain model and of its problem edges is the renderer's
// (render/PreviewDrawing.h).

#include <cstdint>

namespace corvia {

class SimplePoly;

// Options of SimplePoly::CheckModelValidity.
// Skip the coplanar test and the more-than-two-faces warning.
constexpr uint32_t kValiditySkipCoplanar = 0x1;
// Offer the convex hull instead of a plain error.
constexpr uint32_t kValidityOfferHull = 0x2;
// Skip the coplanar warning only.
constexpr uint32_t kValiditySkipCoplanarWarning = 0x4;


struct EdgeFaceCount {
  // Faces at the edge, the face itself included (a face passing the edge twice
  // counts twice).
  int faces = 0;
  // Of those, faces in the face's plane (same or opposite normal), itself included;
  // 0 when the coplanar test is off.
  int coplanar = 0;
};

// The faces at the edge from corner `corner` of face `faceIndex` to the next corner.
// Needs the vertex-face lists; Temp faces are not counted.
EdgeFaceCount CountFacesAtEdge(const SimplePoly& poly, int faceIndex, int corner, bool testCoplanar);

// out = the transpose of the 3x3 matrix m (out may be m).
void Transpose3x3(double* out, const double* m);
// The unit quaternion (w, x, y, z) of the 3x3 rotation matrix m.
void RotationToQuaternion(double* q, const double* m);

}  // namespace corvia
