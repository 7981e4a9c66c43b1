#include "app/ModelChange.h"

#include "app/PolyDoc.h"
#include "core/Progress.h"
#include "core/TimeFormat.h"
#include "model/CreatePoly.h"
#include "model/TransitionOccasion.h"
#include "platform/Services.h"
#include "platform/UndoHooks.h"
#include "render/OutcomeBoxes.h"

namespace corvia {

Outcome CreatePolyWithUndo(ModelChangeDocument& document, SimplePoly& simple, int undoType, bool keepColors,
                           bool keepDualColors, bool tell) {
  const int occasion = GetTransitionOccasionForUndo(undoType);
  platform::UndoHooks* undo = platform::Services().undo;
  if (undoType >= 0 && undo) undo->AddUndo(undoType, 0);
  // With a transition the model is built into a new record, and the one current
  // before fades out.
  ModelRecord* previous = nullptr;
  Poly* before = document.GetCurrentPoly();
  if (occasion >= 0) document.PrepareTransition(occasion, &previous);
  const bool transition = document.GetCurrentPoly() != before;
  // A cancel may stop the build at any stage when the old model can come back: from
  // the record the transition keeps, or from the undo step just recorded.
  const bool wayBack = transition || (undoType >= 0 && undo && undo->CanRestoreSteps());
  bool cleared = false;
  const Outcome outcome =
      CreatePoly(simple, document.GetCurrentPoly(), keepColors, keepDualColors, wayBack, &cleared);
  if (tell) TellOutcome(outcome);
  if (!outcome.done()) {
    // The previous model comes back, and the step would undo nothing. Rebuilding it
    // from the step runs to its end: the cancel that stopped the new model (still
    // pressed in the window while an outer level keeps it open) must not stop it.
    if (occasion >= 0) document.SwitchToModel(previous);
    const ProgressShield shield;
    if (!transition && cleared && undo && undo->RestoreLastUndo()) {
      // The old model was rebuilt from the step, which is gone with it.
    } else if (undoType >= 0 && undo) {
      undo->DiscardLastUndo();
    }
  } else {
    if (occasion >= 0) document.DoTransition(occasion, GetTimeSeconds(), previous, true, false);
    // The nets and facet models that the panes of a large model leave for later are
    // part of the change: a cancel of them brings the old model back.
    if (undoType >= 0 && undo) undo->ContinueLastUndoWhenIdle();
  }
  document.UpdateAfterChange(0);
  return outcome;
}

bool CreatePolyWithUndo(SimplePoly& simple, int undoType, bool keepColors, bool keepDualColors) {
  CPolyDoc* document = GetDocument();
  if (!document) return false;
  return CreatePolyWithUndo(*document, simple, undoType, keepColors, keepDualColors, true).done();
}

}  // namespace corvia
