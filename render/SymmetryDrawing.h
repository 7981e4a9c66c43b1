#pragma once
// Drawing of a symmetry group in the model view: its rotation axes with their fold
// symbols, its mirror planes and their normals, and the marks of rotation-reflection
// and central inversion.

namespace corvia {

class SymGroup;

// GL colour of axis type `kind`: 0 yellow, 1 cyan, any other magenta.
void SetSymmetryAxisColor(int kind);
// Each axis as a line with a star of `fold` points at its ends; with a clipping
// normal the outer ends are pulled onto the plane o . c = 1.
void DrawSymmetryAxes(const SymGroup* group, const double* clipNormal, double scale);
// The normals of the mirror planes as lines through the centre.
void DrawMirrorPlaneNormals(const SymGroup* group, double scale);
// The mirror planes as circles round the centre, and the mark of a rotation-reflection
// (a zig-zag ring about the main axis) or of central inversion (double arrows).
void DrawReflections(const SymGroup* group, double scale);

}  // namespace corvia
