#include "app/ModelChange.h"

#include "app/PolyDoc.h"
#include "construction/DerivedNames.h"
#include "construction/ModelFactory.h"
#include "construction/WatermanStep.h"
#include "app/PolyView.h"
#include "core/Progress.h"
#include "core/TimeFormat.h"
#include "core/Units.h"
#include "model/CreatePoly.h"
#include "model/Poly.h"
#include "model/TransitionOccasion.h"
#include "platform/Services.h"
#include "platform/UndoHooks.h"
#include "symmetry/SimplePoly.h"
#include "symmetry/Waterman.h"
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
  Outcome outcome;
  try {
    outcome = CreatePoly(simple, document.GetCurrentPoly(), keepColors, keepDualColors, wayBack, &cleared);
  } catch (...) {
    // Memory ran out in the build: the record the transition keeps is current again, and
    // the operation's edge puts back the model from the step (core/OperationGuard.h).
    if (occasion >= 0) document.SwitchToModel(previous);
    throw;
  }
  // Made while busy, the model had no verdict of the construction toy's yet.
  if (outcome.done()) CheckConstructionToyAllViews();
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
  }
  document.UpdateAfterChange(0);
  return outcome;
}

bool CreatePolyWithUndo(SimplePoly& simple, int undoType, bool keepColors, bool keepDualColors) {
  CPolyDoc* document = GetDocument();
  if (!document) return false;
  return CreatePolyWithUndo(*document, simple, undoType, keepColors, keepDualColors, true).done();
}

ModelEntry EnterModelWithUndo(ModelChangeDocument& document, int undoType, bool tell) {
  return [&document, undoType, tell](SimplePoly& simple, Outcome& outcome) -> Poly* {
    outcome = CreatePolyWithUndo(document, simple, undoType, true, true, tell);
    return outcome.done() ? document.GetCurrentPoly() : nullptr;
  };
}

Outcome CreateDerivedPolyWithUndo(ModelChangeDocument& document, SimplePoly& simple, int undoType, bool keepColors,
                                  bool keepDualColors, bool ownNames) {
  // The library is searched for the model's name before the change begins: a cancel
  // pressed meanwhile leaves the current model as it is.
  const int cancels = GetProgressCancelCount();
  LibraryEntry* entry = nullptr;
  bool dual = false;
  if (ownNames) {
    entry = FindLibraryModel(simple, &dual);
    if (dual) entry = nullptr;
  } else {
    entry = NameAsLibraryModel(simple, &dual);
  }
  if (GetProgressCancelCount() != cancels) return Outcome::Cancelled();
  const Outcome outcome = CreatePolyWithUndo(document, simple, undoType, keepColors, keepDualColors, true);
  Poly* made = document.GetCurrentPoly();
  if (outcome.done() && entry && made) {
    // The dual of a record (the rhombic dodecahedron made from the cuboctahedron's
    // dual pane) is typed and listed as that record's dual.
    if (dual) {
      made->SetLibraryEntryOfDual(entry);
    } else {
      made->mLibraryEntry = entry;
    }
    // The title, captions, category and type follow the catalogue entry.
    document.UpdateAfterChange(kChangeTitleOnly);
    platform::Services().views->InvalidateInfo(kInfoReasonNames);
  }
  return outcome;
}

bool CreateDerivedPolyWithUndo(SimplePoly& simple, int undoType, bool keepColors, bool keepDualColors, bool ownNames) {
  CPolyDoc* document = GetDocument();
  if (!document) return false;
  return CreateDerivedPolyWithUndo(*document, simple, undoType, keepColors, keepDualColors, ownNames).done();
}

bool EnterModelOfPane(ModelChangeDocument& document, Poly* poly, uint32_t viewType, Outcome* why) {
  // The model of a large pane (a tilted sphere of half a million faces) takes seconds
  // to derive before it is built: one progress level for both, so that the window
  // appears after a second and a cancel stops the derivation as it stops the build.
  ProgressScope progress;
  std::unique_ptr<SimplePoly> model(CreateModel(poly, 0, nullptr, nullptr, viewType, why));
  if (!model) return false;
  const int undoType = viewType == kViewFacetingPreview ? kUndoFacetedModel : kUndoModelChange;
  return CreateDerivedPolyWithUndo(document, *model, undoType, false, false).done();
}

bool EnterModelOfPane(Poly* poly, uint32_t viewType, Outcome* why) {
  CPolyDoc* document = GetDocument();
  return document && EnterModelOfPane(*document, poly, viewType, why);
}

void MakeWatermanModel(int latticeType, int root, bool fourD) {
  if (root < kWatermanMinRoot || root > kWatermanMaxRoot) return;
  ProgressScope progress;
  platform::Services().views->SetWaitCursor(true);
  std::unique_ptr<SimplePoly> simple = CreateWatermanModel(latticeType, root, fourD);
  if (simple) {
    // A new model: the user's size on paper, not the scale of the model shown.
    simple->scale = GetUnitSettings().mUserLengthScale;
    CreatePolyWithUndo(*simple, kUndoWatermanModel, false, false);
  }
  platform::Services().views->SetWaitCursor(false);
}

}  // namespace corvia
