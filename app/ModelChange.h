#pragma once
// A model made by the geometry becomes the document's current model: one undo step,
// the transition its undo type calls for, and the document's refresh. The geometry
// only builds (CreatePoly); the program decides the undo step, the transition and
// what the user is told.

#include <cstdint>

#include "core/Outcome.h"
#include "files/ModelFile.h"

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

// The road by which a model read from a file or from an undo step's memory becomes the
// document's current model (OpenModelFile, RestoreModelFromMemory): CreatePolyWithUndo
// of the undo type, with `tell` a refusal shown in a box.
ModelEntry EnterModelWithUndo(ModelChangeDocument& document, int undoType, bool tell);

// CreatePolyWithUndo (telling a refusal) of a model made from the current one; when it
// is a model of the library it takes that model's names (unless ownNames: a model that
// goes by the names it had, such as a part of a compound) and its catalogue entry, or
// the entry it is the dual of (Poly::SetLibraryEntryOfDual), with the document's title
// refresh.
Outcome CreateDerivedPolyWithUndo(ModelChangeDocument& document, SimplePoly& simple, int undoType, bool keepColors,
                                  bool keepDualColors, bool ownNames = false);
// The same on the program's document; true when made.
bool CreateDerivedPolyWithUndo(SimplePoly& simple, int undoType, bool keepColors, bool keepDualColors,
                               bool ownNames = false);

// The model a pane of the view type shows (its stellation, faceting, morph, compound or
// dual) made the current model, with an undo step: derived and built under one progress
// level, so that a cancel at any report stops either and leaves the old model. False
// when nothing was made; a model that could not be derived leaves its reason in why.
bool EnterModelOfPane(ModelChangeDocument& document, Poly* poly, uint32_t viewType, Outcome* why = nullptr);
// The same on the program's document.
bool EnterModelOfPane(Poly* poly, uint32_t viewType, Outcome* why = nullptr);

// The Waterman polyhedron of the root (1 to 10) made the current model, one undo step.
void MakeWatermanModel(int latticeType, int root, bool fourD);

}  // namespace corvia
