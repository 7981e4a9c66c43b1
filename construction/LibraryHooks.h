#pragma once
// Services the library calls that other parts of the construction, the document
// and the dialogs complete. Until they are built each shows an internal error
// naming itself and answers "none".

#include <cstdint>
#include <memory>

namespace corvia {

class LibraryEntry;
class SimplePoly;

// Builds a built-in entry through a temporary Poly (and PolyTemplate): the entry
// into the Poly, then its base (factory flag 0x8) or dual (0x10) model.
std::unique_ptr<SimplePoly> BuildLibraryEntryModel(LibraryEntry& entry, bool dual);

// The model (or its dual) of a user record's model file; null after a message when
// the file cannot be read. Defined with the model file, in files/.
std::unique_ptr<SimplePoly> OpenUserLibraryModel(const char* path, bool dual);

// Reads a face-list text into a spring model. With points (as many as the model
// has vertices) the vertices are placed there; without, the model is relaxed until
// its faces are regular. Null when it cannot be built, or when the relaxed model
// does not settle (its final force is reported).
std::unique_ptr<SimplePoly> BuildSpringModel(const char* faceList, const double (*points)[3], int numPoints);

// Shows the Wenninger stellation `number` of the base configuration in the
// stellation view: asks to switch the view when none shows stellations, makes the
// base model current, stellates it and includes exactly the cells whose running
// index lies in one of the ranges (pairs of first and last, inclusive).
void ShowWenningerStellation(int number, const char* baseConfig, const int32_t* ranges, int numRanges);

// Runs the "Polyhedra" model browser; the entry chosen with OK, else null. isDual
// (when given) tells whether the entry's dual was chosen.
LibraryEntry* RunPolyhedraDialog(bool* isDual = nullptr);

}  // namespace corvia
