#pragma once
// Tells the user what a step of the geometry did: its warnings first, each in a warning
// box, then a refusal or a failure in an error box with the step's own words, a warned
// refusal in a warning box; done and cancelled show nothing more. A box told
// while a pane draws waits for the drawing to end (SetNoticesWaitForDrawing); drawing
// code says so itself (TellAfterDrawing).

#include "core/Outcome.h"

namespace corvia {

class FaceTypeBlock;
class Model3D;

// Shows the warning boxes of the outcome, then the box of a refused, warned or failed
// one; true when the step was done.
bool TellOutcome(const Outcome& outcome);

// The same for drawing code: the boxes wait until the paint is over
// (NoticesAfterDrawing), so that nothing modal opens inside it.
void TellAfterDrawing(const Outcome& outcome);

// The block's facet model (FaceTypeBlock::GetModel3D; null for no block), a refusal
// of the build this call ran told at once.
Model3D* GetModel3DOrTell(FaceTypeBlock* block, bool withNets);
// The same for drawing code: the refusal is told after the paint.
Model3D* GetModel3DTellingAfterDrawing(FaceTypeBlock* block, bool withNets);
// UpdateScale of the block (-1 for no block), a refusal of the facet model's build
// told at once.
double UpdateScaleOrTell(FaceTypeBlock* block);

}  // namespace corvia
