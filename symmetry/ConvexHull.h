#pragma once
// The convex hull of a SimplePoly's vertices, built in place as polygon faces:
// coplanar facets come out as one polygon and points lying on a hull edge between
// two corners are left out, so the hull of a cube's corners is a six-face cube.
// Also the builder that copies a model into its hull, the clean-up pass run after
// every hull, and the ringing of coincident vertices.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/ColorList.h"
#include "core/Tolerances.h"

namespace corvia {

class SimplePoly;

// Options of CreateConvexHull.
// Keep the colours of source faces that survive as hull faces; the other hull faces
// share one new colour.
constexpr unsigned kHullKeepColors = 0x1;
// Mark (kSimpleMarked) the source faces that lie on the hull; a convex source gets
// kSimpleConvex and all its vertices marked.
constexpr unsigned kHullMarkSourceFaces = 0x2;

// Grey from which the colour of new hull faces is blended, and how far.
constexpr float kHullNewFaceGrey = 0.2509804f;
constexpr float kHullNewFaceBlend = 0.3f;

// Builds the hull of the model's usable vertices (those without Done, 0x2, Temp or
// Infinite) and writes its faces from firstFace on; the face count then ends after
// the last face written. Faces run counter-clockwise seen from outside and carry
// their outward unit normals. Vertices that are not corners end with Temp. The
// vertex-face lists and the edge array are dropped (the faces changed). Every
// usable vertex lies inside the hull or within kPointTolerance of its faces, and
// every corner within kPointTolerance of the plane of each face it belongs to
// (within faceTolerance where one is given: a wider one joins the triangles of a
// face whose corners are known only to that accuracy). False, with no face
// written, when fewer than 4 vertices are given, the usable ones do not span 3D
// (all within the tolerance of one point, line or plane) or one has no finite
// position; `refusal`, when given, then receives why, in words that complete
// "Unable to create the convex hull: ". A cancel of the progress level the hull runs
// in stops it: false, with `refusal` empty and no face from firstFace on (the model's
// vertex-face lists may be gone).
bool ComputeConvexHull(SimplePoly& poly, int firstFace, std::string* refusal = nullptr,
                       double faceTolerance = kPointTolerance);

// The hull of every vertex of the model (a removed one too) that is not marked (Done
// or 0x2) or infinite, in place of all its faces, as ComputeConvexHull(poly, 0) writes
// it once every vertex's Temp is cleared; the model is changed only once the hull is
// built. False, with the model as it was and `refusal` as for ComputeConvexHull, where
// none is.
bool ReplaceFacesByConvexHull(SimplePoly& poly, std::string* refusal = nullptr);

// The hull of plain points, as lists sized to what it holds: the points that are
// corners, in their order, and the faces as runs of point numbers (face j is
// faceCorners[faceStart[j]] up to faceCorners[faceStart[j + 1]]), counter-clockwise
// seen from outside, with their outward unit normals (three per face).
struct PointHull {
  std::vector<int32_t> corners;
  std::vector<size_t> faceStart;
  std::vector<int32_t> faceCorners;
  std::vector<double> normals;
  size_t NumFaces() const { return faceStart.empty() ? 0 : faceStart.size() - 1; }
};

// The hull of plain points (x, y, z of each in turn), as ComputeConvexHull builds it
// from a model's vertices, with no copy of the points beyond what the building
// needs. False, with `refusal` as for ComputeConvexHull (empty when cancelled) and
// `hull` empty, where no hull is built.
bool ComputeConvexHull(const double* xyz, size_t numPoints, PointHull& hull, std::string* refusal = nullptr,
                       double faceTolerance = kPointTolerance);

// Removes repeated corners and out-and-back spikes from every live face; faces left
// with fewer than 3 corners and vertices left in no face get Temp. Rebuilds the
// vertex-face lists. True when anything was removed.
bool RemoveDegenerateFaceVerts(SimplePoly& poly);

// RemoveDegenerateFaceVerts, then the vertex-face lists.
void PrepareVertexFaceLists(SimplePoly& poly);

// A new model holding the hull of the source's vertices, named "Convex hull";
// null, with the reason in `refusal` when given, where ComputeConvexHull fails. The
// source gets vertex-face lists (and marks with kHullMarkSourceFaces). The caller
// owns the result. faceTolerance as for ComputeConvexHull.
std::unique_ptr<SimplePoly> CreateConvexHull(SimplePoly& source, unsigned options, std::string* refusal = nullptr,
                                             double faceTolerance = kPointTolerance);

// Links the live vertices that share a position (within the tolerance) into their
// coinc rings; vertices alone at their position are not touched.
void LinkCoincidentVerts(SimplePoly& poly, double tolerance = kPointTolerance);

// t < 0 gives a, t > 1 gives b, otherwise a + (b - a) t per component.
void BlendColor(float* out, const float* a, const float* b, float t);

}  // namespace corvia
