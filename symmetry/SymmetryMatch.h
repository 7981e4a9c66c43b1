#pragma once
// How near the symmetry tests take one element for the image of another.

#include "core/Tolerances.h"

namespace corvia {

// Positions are compared per coordinate within `position`; face normals within
// `normal`, which only filters: two faces are one another's image when their corners
// are. The defaults compare an exact model; the search for the group of a model
// read from outside widens both (FindSymmetries).
struct SymmetryMatch {
  double position = kPointTolerance;
  double normal = kPointTolerance;

  // A sum of `terms` positions carries up to that many times their error.
  double Sum(int terms) const { return position * (terms > 1 ? terms : 1); }
};

}  // namespace corvia
