#pragma once
// Moving a model that is symmetric only to within a tolerance (coordinates rounded
// by the program that wrote them, noise of a numerical construction) onto the exact
// positions its symmetry group gives its vertices, and checking on the way that the
// group is one of the model at all.

#include "symmetry/SymmetryMatch.h"

namespace corvia {

class SimplePoly;
class SymGroup;

enum class SymmetriseOutcome {
  // Every vertex lies where the group puts it (within kSymmetrisedTolerance): the
  // model is left untouched, to the bit.
  kExact,
  // The vertices were moved onto the group's positions.
  kMoved,
  // Some operation of the group carries a vertex to no vertex (within
  // searchTolerance), or a vertex lies further than `tolerance` from where the
  // group puts it (after the small turn that fits the model best is taken out):
  // the group is not one of this model. Nothing was changed.
  kRefused,
};

// Each live finite vertex becomes the mean of the images, carried back, of the
// vertices that the group's operations (with the improper ones when `improper`)
// take it to; each operation is counted once, so the result is exactly invariant.
// The group is taken in the model's frame as it stands (turned onto the model when
// the model keeps its orientation). Coordinates of the new places within
// zeroTolerance of 0, which the model built from them takes as 0, are made 0 in every
// place of their orbit, or moved out of that reach where they cannot be 0, so that
// the built model is still exactly invariant; a model already where the group puts
// it keeps such coordinates unless zerosOfExactModel.
// Face normals are left for the caller.
SymmetriseOutcome SymmetriseVertices(SimplePoly& poly, const SymGroup& group, bool improper, double searchTolerance,
                                     double tolerance, double zeroTolerance = 0.0, bool zerosOfExactModel = false);

}  // namespace corvia
