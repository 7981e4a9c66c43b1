#pragma once
// Models derived from the shown side of a Poly and handed back as a SimplePoly for
// the caller to convert: the subdivided model and the geodesic sphere
// (Poly::Subdivide), the zonohedron of a set of zone vectors (CreateZonohedron, with
// the vectors from Poly::CollectZoneVectors); the flat model of the unfolded nets is
// the factory's (CreateNetModel, construction/DerivedModels.h). The caller owns every
// model returned; none means refused or cancelled, and the current model is never
// touched here.

#include <cstdint>
#include <memory>
#include <string>

#include "symmetry/ExportPrep.h"

namespace corvia {

class Outcome;
class Poly;
class SimplePoly;
class TolerantPointList;

// Poly::Subdivide takes the flag kSubdivideGeodesic and refuses to make more than
// kMaxSubdividedFaces faces, as the plain model's subdivision does.

// The most faces a zonohedron may have: past them it is refused before anything is
// made, as a subdivision is.
constexpr long long kMaxZonohedronFaces = kMaxSubdividedFaces;

// The memory a face of a subdivided model, a geodesic sphere or a zonohedron takes at
// the peak of its making, as the current model with its undo step: about 1,400 bytes
// on geodesic spheres of 50,000 and 200,000 faces, and the panes' drawing buffers more.
constexpr double kBytesPerMadeFace = 2000.0;
// The most faces such a model may have here: the limit (kMaxSubdividedFaces or
// kMaxZonohedronFaces), or fewer when the memory this process can get holds fewer.
long long MaxMadeFacesHere(long long limit);

// SimplePoly flags the derived models get.
constexpr uint32_t kSubdividedFlags = 0x3840;
constexpr uint32_t kGeodesicFlags = 0x3000;
constexpr uint32_t kZonohedronFlags = 0x3800;
constexpr uint32_t kNetModelFlags = 0x150;

// The choices of the Zonohedrify command that the builders read.
constexpr int32_t kZonesOnly = 0;
constexpr int32_t kZonesOnExistingFaces = 1;
struct ZonohedrifyOptions {
  int32_t mMode = kZonesOnly;
  // Zones from the directions of the shown vertices.
  bool mFromVertices = true;
  // 0 or less: no limit.
  int32_t mMaxZones = 0;
  // An equation; multiplies the shortest edge of the shown side.
  std::string mEdgeScale = "1";
};

// One zone of a zonohedron under construction.
constexpr uint32_t kZoneInPlane = 0x1;   // taken into a plane of the current first vector
constexpr uint32_t kZoneReversed = 0x2;  // reversed for the current plane
struct ZoneVector {
  double mVector[3] = {0.0, 0.0, 0.0};
  double mUnit[3] = {0.0, 0.0, 0.0};
  int32_t mIndex = 0;
  uint32_t mFlags = 0;
  double mAngle = 0.0;
};

// The zonohedron whose zones are the list's vectors (at their full lengths; vectors
// along one line add up to one zone); none when cancelled or refused (fewer than three
// zones, all in one plane, or more than kMaxZonohedronFaces faces).
// Null when refused, cancelled or failed, as *outcome (when given) says.
std::unique_ptr<SimplePoly> CreateZonohedron(Poly* poly, const TolerantPointList& list, Outcome* outcome = nullptr);

// Three-way order of zone vectors by angle; equal angles compare equal.
int CompareZoneAngles(const ZoneVector& a, const ZoneVector& b);
// p becomes 2c - p.
void ReflectThroughCentre(double* p, const double* c);

}  // namespace corvia
