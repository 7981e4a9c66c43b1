#pragma once
// The symmetry analysis every plain model goes through before it becomes a Poly:
// the model is centred and scaled to a largest vertex radius of 1 (unless it keeps
// its centre or size), its rotation axes are found from candidates on its convex
// hull, the group is named and the model turned into the group's standard
// orientation (unless it keeps its orientation), the improper symmetries are
// settled, stacks of coincident faces are split, the faces round each vertex are
// ordered and faces through the centre get a consistent sense. The vertex and face
// types of the model become the orbits of its elements under the group.
//
// SimplePoly::FindSymmetries is the member form; the caller owns the group it
// returns.

#include <memory>
#include <string>

#include "core/Tolerances.h"

namespace corvia {

class SimplePoly;
class SymGroup;

// The tolerances of the analysis, at the size it works at (largest vertex radius 1).
struct SymmetryTolerances {
  // Vertices this near one another (per coordinate) are one point; never more than
  // kSymmetryEdgeShare of the shortest edge.
  double merge = kCoincidentVertexTolerance;
  // A group is the model's when every vertex lies within this (per coordinate, times
  // the largest vertex radius) of where the group puts it, after the small turn that
  // fits best; it is never more than kSymmetryEdgeShare of the shortest edge. The
  // search compares within kSymmetrySearchFactor times as much.
  double symmetry = kSymmetryTolerance;
};

// The model's symmetry group, or null when the model cannot be analysed (fewer
// than four vertices, all in one plane, or a model whose faces cannot be ordered).
// hasReflection tells whether the model has a mirror, a rotation-reflection or the
// central inversion. When the faces themselves make the model unusable (they do not
// meet in pairs at some edge, a face passes one point twice or is not flat)
// `refusal`, when given, receives why in words for the user; it stays empty for the
// other failures.
//
// Positions are compared with absolute tolerances, so the model is first brought to
// a size near 1 by a power of two, which is exact: its size never decides what
// counts as one point. A model that keeps its size gets it back at the end.
//
// A model that is symmetric only within the symmetry tolerance (coordinates rounded
// by the program that wrote them) gets its group, and its vertices are moved onto the
// exact places the group gives them (less than the tolerance), so that everything
// after the analysis sees an exactly symmetric model; one that lies further from a
// group gets a smaller one. A model symmetric to rounding is left to the bit.
std::unique_ptr<SymGroup> FindSymmetries(SimplePoly& poly, bool& hasReflection, std::string* refusal = nullptr,
                                         const SymmetryTolerances& tolerances = {});

}  // namespace corvia
