#pragma once
// The symmetry group as the model uses it: the reflection type of a dihedral group
// read off the model's vertices, and the selection of a symmetry axis, which takes
// the place of the model's selected element. (The notations of SymGroup for a null
// group, which name the current model's, are defined here too.)

namespace corvia {

class Face;
class SymGroup;

// Horizontal or vertical reflection of a dihedral group, from whether the mirror
// image of the face's first corner in the plane y = 0 is a vertex of the face's model.
void DetectReflectionType(SymGroup& group, const Face* face);

// Selects axis number i of the group (none for i < 0 or past the last): an axis takes
// the place of the current model's selected element or edge (whose change the caller
// takes from that model) and is named in the status bar. True when the highlighted
// axis changed: the views are to pivot round it.
bool SelectAxis(SymGroup* group, int i);

}  // namespace corvia
