#pragma once
// Which stellation a face-type block shows: its place in the walk of the stellation
// criteria and, for the octahedron, the icosahedron and the dodecahedron, its Wenninger
// number.

#include <string>

namespace corvia {

class FaceTypeBlock;
class Poly;

// The Wenninger number of the stellation that the block shows, when it is a side of a
// library model that is the octahedron, the icosahedron or the dodecahedron (the base of
// those, the dual of the cube, the dodecahedron and the icosahedron) and its cells are
// those of a numbered model (the lookup table's, or a model of the library); 0
// otherwise.
int FindWenningerStellation(const Poly* poly, const FaceTypeBlock* block);

// "8 of 59 (W26)", "8 of 59" or "W26"; empty when nothing is known. With takeWalk the
// walk of the criteria is taken if it has not been (see FindStellationPlace).
std::string DescribeShownStellation(Poly* poly, FaceTypeBlock* block, bool takeWalk);

}  // namespace corvia
