#pragma once
// The Waterman polyhedra as models of their own, and stepping from one to the next or
// previous root, as the model's name tells which one it is ("Waterman R3, cubic").

#include <memory>

namespace corvia {

class SimplePoly;

// The Waterman polyhedron of the root (1 to 10) with its names, its settings remembered
// for the command; null, nothing remembered, for a root out of range. Made at the length
// scale 1, which the program keeps (the user's scale stays when nothing is made).
std::unique_ptr<SimplePoly> CreateWatermanModel(int latticeType, int root, bool fourD);

enum class WatermanStep {
  NotWaterman,  // the name names no Waterman polyhedron
  NoMore,       // no root lies in that direction
  Made,         // the polyhedron of the next root is the one to make
};

// The root, lattice type (0; 1 for ", type 2"; 2 for ", cubic") and four-dimensional
// mark a model name gives; false when it does not begin with "Waterman R".
bool ParseWatermanName(const char* name, int* root, int* latticeType, bool* fourD);

// The Waterman polyhedron `step` roots from the one the name gives, of the same
// lattice: with Made, its root, lattice type and mark (as ParseWatermanName gives them)
// for the caller to make.
WatermanStep StepWatermanModel(const char* name, int step, int* root, int* latticeType, bool* fourD);

}  // namespace corvia
