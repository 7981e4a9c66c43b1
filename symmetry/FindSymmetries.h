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

namespace corvia {

class SimplePoly;
class SymGroup;

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
std::unique_ptr<SymGroup> FindSymmetries(SimplePoly& poly, bool& hasReflection, std::string* refusal = nullptr);

}  // namespace corvia
