#pragma once
// The improper symmetries of a model whose rotation group is known and which lies
// in that group's standard orientation: mirror planes, a rotation-reflection or the
// central inversion. Also the splitting of stacks of faces that lie in one place
// into separate face types.

#include <cstdint>

#include "core/Tolerances.h"

namespace corvia {

class SimplePoly;
class SymGroup;
class VertexLocator;

// Decides the group's reflection type by testing the candidate improper operations
// of its type; where the group alone does not fix the orientation, turns the model
// (or, when it keeps its orientation, the group) so that the model's mirror lies
// on the group's. True when an improper symmetry was found. Positions are compared
// within the tolerance.
bool FindReflections(SimplePoly& poly, SymGroup& group, SimplePoly& hull, double tolerance = kPointTolerance);

// Whether the improper operation of reflection type `type` (with plane normal, or
// axis, `normal`) maps the model onto itself, positions compared within the
// locator's tolerance; on success the group takes that reflection type. count is
// the number of live vertices.
bool TestReflection(SimplePoly& poly, int32_t type, const double* normal, SymGroup& group, int count,
                    const VertexLocator& locator);

// Once the faces round every vertex are in order: the group's improper operation
// carries the cycle of faces round each vertex onto the cycle round a vertex at its
// image (faces known by their centroids, within the tolerance). A model whose faces
// meet more than two at an edge may have its faces ordered round its vertices so that
// its surface lacks a mirror its points have.
bool ReflectionKeepsVertexCycles(const SimplePoly& poly, const SymGroup& group, double tolerance);

// Splits each stack of coincident faces into layers, each a face type of its own;
// stacks in planes through the centre that hold an even-fold axis are halved into
// two opposite senses first.
void SeparateCoincidentFaces(SimplePoly& poly, const SymGroup& group);

// Hull vertex i takes the type of model vertex i; the hull vertices of one type
// are linked into one ring.
void CopyVertTypesToHull(const SimplePoly& poly, SimplePoly& hull);

}  // namespace corvia
