#pragma once
// Starting the stellation of a model's face-type block: the set-up of diagrams,
// linking, facets and cells, run when it is needed and allowed.

namespace corvia {

class FaceTypeBlock;
class Poly;

// Runs the stellation set-up of the block when it is needed and allowed; success is
// read from the block (stellated, not refused). The flag is not read.
void Stellate(Poly* poly, FaceTypeBlock* block, bool flag);
// Stellate on the model's dual block (dual) or base block; arg != 0 is the flag.
void StellateBlock(Poly* poly, bool dual, int arg);

}  // namespace corvia
