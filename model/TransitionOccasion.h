#pragma once
// Which transition a model change recorded as an undo step plays: the document's
// transition settings are kept per occasion (loading a built-in model, a derived
// model, a model from memory, ...).

namespace corvia {

// The occasion of a change that plays no transition.
constexpr int kNoTransitionOccasion = -1;

// The transition occasion of a model change of the given undo type, or
// kNoTransitionOccasion.
int GetTransitionOccasionForUndo(int undoType);

}  // namespace corvia
