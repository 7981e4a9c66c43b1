#pragma once
// A model made by the geometry becomes the document's current model: one undo step,
// the transition its undo type calls for, and the document's refresh. The geometry
// only builds (CreatePoly); the program decides the undo step, the transition and
// what the user is told.

#include "core/Outcome.h"

namespace corvia {

class ModelRecord;
class Poly;
class SimplePoly;

// What replacing the current model asks of the document.
class ModelChangeDocument {
 public:
  virtual ~ModelChangeDocument() = default;
  // The model being shown, which a change without transition rebuilds in place.
  virtual Poly* GetCurrentPoly() = 0;
  // Prepares the transition of the occasion for the coming model change and gives
  // back the model record that is current before it.
  virtual void PrepareTransition(int occasion, ModelRecord** outRecord) = 0;
  // Makes the record current again and deletes the one that was current (nothing
  // when it is current already).
  virtual void SwitchToModel(ModelRecord* record) = 0;
  // Starts the transition of the occasion from the outgoing record at the start time;
  // false when none runs.
  virtual bool DoTransition(int occasion, double startTime, ModelRecord* outgoing, bool restoreMouseThrow,
                            bool restartMouseThrows) = 0;
  // The document's refresh after a model change (flags as CPolyDoc::UpdateAfterChange).
  virtual void UpdateAfterChange(int flags) = 0;
};

// CreatePoly into the document's model as one undo step of the given type (none when
// negative), with the transition that the type calls for; a build that did not
// happen takes the step back. With `tell` a refusal is shown in a box as soon as the
// build ends, before the old model comes back.
Outcome CreatePolyWithUndo(ModelChangeDocument& document, SimplePoly& simple, int undoType, bool keepColors,
                           bool keepDualColors, bool tell);
// The same on the program's document, telling a refusal in a box; true when made.
bool CreatePolyWithUndo(SimplePoly& simple, int undoType, bool keepColors, bool keepDualColors);

}  // namespace corvia
