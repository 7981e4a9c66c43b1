#pragma once
// Naming the rotation group from the axes the symmetry search found, checking that
// they are exactly the axes of that group, and turning the model so that its axes
// lie on the group's standard axes. Every model thereby appears in an orientation
// that depends only on its symmetry.

#include <cstdint>
#include <memory>
#include <vector>

#include "core/Tolerances.h"

namespace corvia {

class SimplePoly;
class SymGroup;

// One rotation axis found by the search: its fold and a direction (either sense).
struct SymCandidateAxis {
  int32_t fold = 0;
  double dir[3] = {0, 0, 0};
};

// The axes found, in descending order of fold; among equal folds the axis found
// last comes first.
using SymAxisList = std::vector<SymCandidateAxis>;

// Inserts the axis before the first one whose fold is not greater than its own.
void AddCandidateAxis(SymAxisList& axes, int32_t fold, const double* dir);
// Whether an axis of the list lies along dir, in either sense (within the tolerance
// per component).
bool AxisListHasDirection(const SymAxisList& axes, const double* dir, double tolerance = kPointTolerance);

// The group of the axes, in the model's orientation; the model and hull are turned
// into the group's standard orientation unless the model keeps its orientation, in
// which case the group is turned onto the model. Null after the internal error of
// several highest axes of a fold other than 3, 4 or 5. Directions and positions
// found by a search of that tolerance are compared within it. Given `inconsistent`,
// axes that are not those of one group (what a search of an inexact model may find)
// are no internal error: it is set, and the result is null with nothing turned.
std::unique_ptr<SymGroup> AlignSymmetries(SimplePoly& poly, SimplePoly& hull, const SymAxisList& axes,
                                          double tolerance = kPointTolerance, bool* inconsistent = nullptr);

// Orients a model without rotation axes: the mirror normal (hasPlane) or else the
// inward normal of the largest hull face goes up the y axis, and the vertex sum of
// the most-sided face off that line decides the turn about it.
void AlignModelWithNoSymmetry(SimplePoly& poly, SimplePoly& hull, SymGroup& group, bool hasPlane, const double* normal,
                              double tolerance = kPointTolerance);

// Model turned by m, or, when the model keeps its orientation, the group turned the
// opposite way onto the model; but a model that keeps its orientation and lies in the
// group's own orientation but for a turn within the tolerance (per matrix entry) is
// turned that little way onto the group.
void TurnModelOrGroup(SimplePoly& poly, SimplePoly* hull, SymGroup& group, const double* m, double tolerance);
// TurnModelOrGroup would turn the model the little way onto the group rather than
// the group onto the model.
bool TurnsModelALittle(const SimplePoly& poly, const SymGroup& group, const double* m, double tolerance);

}  // namespace corvia
