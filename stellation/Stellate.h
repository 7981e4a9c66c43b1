#pragma once
// Starting the stellation of a model's face-type block: the set-up of diagrams,
// linking, facets and cells, run when it is needed and allowed.

#include <string>

#include "core/Outcome.h"

namespace corvia {

class FaceTypeBlock;
class Poly;

// Runs the stellation set-up of the block when it is needed and allowed; success is
// read from the block (stellated, not refused). The flag is not read. The outcome is
// refused, with the user's words, when this call ran a set-up that failed (the block
// then refuses to stellate again until its face types are rebuilt, so a refusal comes
// back once); the caller tells it at once. Declined, cancelled or not run: done.
// A set-up that would need more memory than the machine gives it
// (platform::WorkMemoryLimit) is refused so, before anything is made or asked.
Outcome Stellate(Poly* poly, FaceTypeBlock* block, bool flag);
// Stellate for a step the user takes through the stellations (a key, a menu command):
// a set-up the user declined at the complexity warning or cancelled before is asked
// about again, and so is one that ran out of memory on the way (no verdict on the
// model: there may be room now); one refused by the estimate of its memory or by a fault
// is refused again in words, where Stellate would be silent the second time.
Outcome StellateForStep(Poly* poly, FaceTypeBlock* block);
// The bytes the set-up of the block would take at its peak: its diagrams hold a
// crossing for each two of the lines the other planes cut into each distinct face
// type's plane.
double EstimateStellationBytes(const FaceTypeBlock* block);
// Why the block's facets (what a stellation pane draws) are missing, in the words of
// the refusal that left them out; empty while they exist or nothing refused them.
std::string DescribeMissingFacets(const FaceTypeBlock* block);
// Stellate on the model's dual block (dual) or base block; arg != 0 is the flag.
Outcome StellateBlock(Poly* poly, bool dual, int arg);

}  // namespace corvia
