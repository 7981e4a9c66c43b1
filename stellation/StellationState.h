#pragma once
// State of the stellation shared with the rest of the model code: its busy flag,
// which lives beside the model's (model/ModelBusy.h) because the model's checks read it;
// the stellation's record of each face-type block; and the measures of a block's
// stellated model that the panes and the construction kit ask for.

#include "model/ModelBusy.h"
#include "model/ModelPart.h"

namespace corvia {

class FaceType;
class FaceTypeBlock;
class Outcome;
class Poly;

// The stellation's record of a face-type block (FaceTypeBlock::mStellation). The block
// tells it when it forgets its stellation, frees its cell search arrays and goes; the
// stellation then frees what it made on the block: the cells and cell types, the
// facets' links to them, the cells' search marks, the work deferred on the block.
struct BlockStellation : ModelPart {
  void StellationReset(FaceTypeBlock& block) override;
  void CellArraysCleared(FaceTypeBlock& block) override;
  void BlockGoing(FaceTypeBlock& block) override;
};
// The block's record, made the first time the stellation makes something on the block
// (cells, a diagram, deferred work); null for no block.
BlockStellation* StellationOf(FaceTypeBlock* block);

// The largest distance of the block's facet model from the centre, and each type's
// largest corner distance (FaceType::mScale); measured once until the block changes.
// The facet model is built when needed (a refusal of its build in *why when given, as
// FaceTypeBlock::GetModel3D); without one the cached value (-1 at first).
double UpdateScale(FaceTypeBlock* block, Outcome* why);
// Largest corner distance of the representative face's facelets in the block's
// facelet model as it stands (stored in mScale); 1.0 when it has none.
double CalcStellatedRadius(FaceType* type);
// Whether the construction kit can build the side's facet model; true while a model or
// a stellation is being built (the question is then asked again). The facet model is
// built when needed, a refusal of its build in *why when given.
bool CanBuildStellationWithKit(Poly* poly, bool dual, Outcome* why);

}  // namespace corvia
