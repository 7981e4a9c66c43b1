#pragma once
// Services the library calls that other parts of the construction complete, and
// the one it reaches above itself: the model file's reader, which the geometry's
// hooks install (files/GeometryHooks.h).

#include <cstdint>
#include <memory>

namespace corvia {

class LibraryEntry;
class Outcome;
class Poly;
class SimplePoly;

// Builds a built-in entry through a temporary Poly (and PolyTemplate): the entry
// into the Poly, then its base (factory flag 0x8) or dual (0x10) model. Null when it
// cannot be built, with the reason in *why when given.
std::unique_ptr<SimplePoly> BuildLibraryEntryModel(LibraryEntry& entry, bool dual, Outcome* why = nullptr);

// Reads the model (or its dual) of a model file; null when the file cannot be read or
// its model built, with the reason in *why when given (cancelled when the reader had
// nothing to say).
using ModelFileReader = std::unique_ptr<SimplePoly> (*)(const char* path, bool dual, Outcome* why);
// Installs the reader (null: none); returns the previous one.
ModelFileReader SetModelFileReader(ModelFileReader reader);
// The model (or its dual) of a model file through the installed reader: a user
// record's model, an augmentation with a model from a file. Without a reader an
// internal error names it, and the answer is none.
std::unique_ptr<SimplePoly> ReadModelFromFile(const char* path, bool dual, Outcome* why = nullptr);

// Reads a face-list text into a spring model. With points (as many as the model
// has vertices) the vertices are placed there; without, the model is relaxed until
// its faces are regular. Null when it cannot be built, or when the relaxed model
// does not settle (failed, with its final force, in *why when given).
std::unique_ptr<SimplePoly> BuildSpringModel(const char* faceList, const double (*points)[3], int numPoints,
                                             Outcome* why = nullptr);

// Stellates the model's base side and includes exactly the cells whose running index
// lies in one of the ranges (pairs of first and last, inclusive): the Wenninger
// stellation of those ranges when the model is its base model. False when the model
// has no base side or it did not stellate (the stellation's refusal in *why when
// given, for the caller to tell).
bool IncludeWenningerCells(Poly& poly, const int32_t* ranges, int numRanges, Outcome* why = nullptr);

// Runs the "Polyhedra" model browser; the entry chosen with OK, else null. isDual
// (when given) tells whether the entry's dual was chosen.
LibraryEntry* RunPolyhedraDialog(bool* isDual = nullptr);

}  // namespace corvia
