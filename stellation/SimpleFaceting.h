#pragma once
// Faceted models from drawn facets: each facet the user drew (or a faceting showed as
// drawn polygons) is repeated over the model's symmetry group, and the copies become
// the faces of a new plain model.

#include <cstdint>
#include <vector>

#include "core/VectorMath.h"

namespace corvia {

class Outcome;
class Poly;
class SimplePoly;
class DrawnPolygon;

// Flags of CreateSimpleFacetedPolyhedron.
constexpr uint32_t kFacetedQuiet = 0x1;  // no question, no message; the partial facet is left out
constexpr uint32_t kFacetedNoCheck = 0x4;
constexpr uint32_t kFacetedNoCheck2 = 0x200;

// One face of a faceted model: the drawn polygon it was made from and the symmetry
// operation that placed it.
struct FacetPreviewRecord {
  DrawnPolygon* polygon = nullptr;
  Transform3D transform;
};

// The faceted model of the model's drawn polygons, a new SimplePoly the caller owns;
// null when there is nothing to build or the model fails the validity check (refused,
// in *why when given). Records, when asked for, receive one entry per face.
SimplePoly* CreateSimpleFacetedPolyhedron(Poly* poly, uint32_t flags, std::vector<FacetPreviewRecord>* records,
                                          Outcome* why = nullptr);

}  // namespace corvia
