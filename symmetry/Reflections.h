#pragma once
// The improper symmetries of a model whose rotation group is known and which lies
// in that group's standard orientation: mirror planes, a rotation-reflection or the
// central inversion. Also the splitting of stacks of faces that lie in one place
// into separate face types.

#include <cstdint>

namespace corvia {

class SimplePoly;
class SymGroup;
class VertexLocator;

// Decides the group's reflection type by testing the candidate improper operations
// of its type; where the group alone does not fix the orientation, turns the model
// (or, when it keeps its orientation, the group) so that the model's mirror lies
// on the group's. True when an improper symmetry was found.
bool FindReflections(SimplePoly& poly, SymGroup& group, SimplePoly& hull);

// Whether the improper operation of reflection type `type` (with plane normal, or
// axis, `normal`) maps the model onto itself; on success the group takes that
// reflection type. count is the number of live vertices.
bool TestReflection(SimplePoly& poly, int32_t type, const double* normal, SymGroup& group, int count,
                    const VertexLocator& locator);

// Splits each stack of coincident faces into layers, each a face type of its own;
// stacks in planes through the centre that hold an even-fold axis are halved into
// two opposite senses first.
void SeparateCoincidentFaces(SimplePoly& poly, const SymGroup& group);

// Hull vertex i takes the type of model vertex i; the hull vertices of one type
// are linked into one ring.
void CopyVertTypesToHull(const SimplePoly& poly, SimplePoly& hull);

}  // namespace corvia
