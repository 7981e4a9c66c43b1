#pragma once
// A model made from another (an augmentation, a faceting) may be a model of the
// library: the program then gives it the library model's names and catalogue entry
// (CreateDerivedPolyWithUndo, app/ModelChange.h).

namespace corvia {

class LibraryEntry;
class SimplePoly;

// The library entry whose model the plain model is, up to size, rotations and
// reflections, or whose dual it is (*isDual true); null when it is none, and when the
// work was cancelled while a candidate was built.
LibraryEntry* FindLibraryModel(const SimplePoly& model, bool* isDual);

// A model of the library, or its dual, takes the library model's names (swapped for the
// dual); the entry when it is the entry's own model, whose catalogue entry it may take,
// else null.
LibraryEntry* NameAsLibraryModel(SimplePoly& simple);

}  // namespace corvia
