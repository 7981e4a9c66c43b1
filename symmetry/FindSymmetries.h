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

namespace corvia {

class SimplePoly;
class SymGroup;

// The model's symmetry group, or null when the model cannot be analysed (fewer
// than four vertices, all in one plane, or a model whose faces cannot be ordered).
// hasReflection tells whether the model has a mirror, a rotation-reflection or the
// central inversion.
std::unique_ptr<SymGroup> FindSymmetries(SimplePoly& poly, bool& hasReflection);

}  // namespace corvia
