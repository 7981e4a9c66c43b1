#pragma once
// A model made from another (an augmentation, a faceting) may be a model of the
// library: it then takes the library model's names and catalogue entry.

namespace corvia {

class LibraryEntry;
class SimplePoly;

// The library entry whose model the plain model is, up to size, rotations and
// reflections, or whose dual it is (*isDual true); null when it is none.
LibraryEntry* FindLibraryModel(const SimplePoly& model, bool* isDual);

// The document's ReplaceCurrentModel (model/Globals.h) of a model made from the current one; when
// it is a model of the library it takes that model's names and, when it is the
// entry's own model rather than its dual, its catalogue entry.
bool CreateDerivedPolyWithUndo(SimplePoly& simple, int undoType, bool keepColors, bool keepDualColors);

}  // namespace corvia
