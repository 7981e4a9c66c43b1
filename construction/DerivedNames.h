#pragma once
// A model made from another (an augmentation, a faceting) may be a model of the
// library: the program then gives it the library model's names and catalogue entry
// (CreateDerivedPolyWithUndo, app/ModelChange.h).

#include <optional>
#include <string>
#include <vector>

#include "model/CompoundPart.h"

namespace corvia {

class LibraryEntry;
class Poly;
class SimplePoly;

// The library entry whose model the plain model is, up to size, rotations and
// reflections, or whose dual it is (*isDual true); null when it is none, and when the
// work was cancelled while a candidate was built.
LibraryEntry* FindLibraryModel(const SimplePoly& model, bool* isDual);

// A model of the library, or its dual, takes the library model's names (swapped for the
// dual); the entry whose model (or, with *isDual, whose dual) it is, else null. Without
// isDual only an entry's own model gives its entry.
LibraryEntry* NameAsLibraryModel(SimplePoly& simple, bool* isDual = nullptr);

// The name of the model that the model's drawn facets make (the faceting shown), when
// it is a model of the library or the dual of one; empty otherwise, and when a cancel
// stopped the search. Installed as the faceting's name finder (files/GeometryHooks.h).
std::string NameOfDrawnFaceting(Poly* model);

// The library entry whose dual a model read back is: one that goes by the first name of
// the entry's dual and has its shape. Null for any other (also for a renamed dual), at
// the cost of a lookup of names unless the name is a dual's.
LibraryEntry* FindLibraryEntryOfNamedDual(const SimplePoly& model);

// The plain model's names and counts, as one part of a compound made from it.
CompoundPartName NameAsCompoundPart(const SimplePoly& model);

// The names of the compound's part that the plain model is, known by its counts; a model
// of the dual side (dual) has the faces of the part's vertices, and its names swapped.
// None when no part has those counts, when parts of those counts go by different
// names, or when the part had no name.
std::optional<CompoundPartName> FindCompoundPartName(const std::vector<CompoundPartName>& parts,
                                                     const SimplePoly& model, bool dual);

}  // namespace corvia
