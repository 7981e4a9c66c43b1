#pragma once
// Long work that a pane asks for while it draws is never done there: a drawing must not
// wait on it, and no progress window may open while a view draws. A large stellation
// set-up, a large facet model or the nets of one are noted here instead, the program is
// asked to come back when it is idle (ViewNotifier::PrepareWhenIdle), and
// RunDeferredModelWork does them then, under one progress level with its Cancel, while
// the pane draws what there is. Work small enough to go unnoticed is done at once, as it
// always was.

#include <functional>

#include "core/Outcome.h"

namespace corvia {

class FaceTypeBlock;

// Set-ups of at least this estimate (FaceTypeBlock::EstimateComplexity, about 1.3 us
// a unit here: some 0.2 s, where the user is asked before one is made) are left for
// later when a drawing asks for them.
constexpr long long kDeferredStellationComplexity = 150000;
// Facet models of at least this many facelets are made later; their nets from this
// many facelets on (about 25 us a facelet with the tabs).
constexpr int kDeferredFacetModelFacelets = 20000;
constexpr int kDeferredNetsFacelets = 4000;

// While a view draws: whether the block's stellation set-up is left for later (then it
// is noted).
bool DeferStellation(FaceTypeBlock* block);
// While a view draws: whether making the block's facet model (and with nets, its nets)
// is left for later. Nets the user cancelled are not asked for again by a drawing. A
// stellation's facet model is weighed by the pieces of its visible facets, its nets by
// the facelets once it is made (FaceTypeBlock::GetModel3D asks again then).
bool DeferFacetModel(FaceTypeBlock* block, bool withNets);

bool HasDeferredModelWork();
// Whether work for the block is noted or being done.
bool IsModelWorkPending(const FaceTypeBlock* block);
// Does what was noted, in order; false when it was cancelled (what was not done yet is
// dropped). Work the program itself cancelled (RequestProgressCancel) is asked for
// again by the next drawing; work the user cancelled is not. A set-up or a facet model
// that is refused is given to `tell` at once, before the next piece of work.
bool RunDeferredModelWork(const std::function<void(const Outcome&)>& tell);
// Drops what was noted, as a Cancel of the work does: after the user's Cancel of the
// work before it (WasProgressCancelRequested false) it is not asked for again by a
// drawing, after the program's stop it is.
void DropDeferredModelWork();
// The block is going away.
void ForgetDeferredModelWork(const FaceTypeBlock* block);

}  // namespace corvia
