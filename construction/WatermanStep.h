#pragma once
// Stepping from one Waterman polyhedron to the next or previous root, as the
// model's name tells which one it is ("Waterman R3, cubic").

namespace corvia {

enum class WatermanStep {
  NotWaterman,  // the name names no Waterman polyhedron
  NoMore,       // no root lies in that direction
  Made,         // the polyhedron of the next root was asked for
};

// The root, lattice type (0; 1 for ", type 2"; 2 for ", cubic") and four-dimensional
// mark a model name gives; false when it does not begin with "Waterman R".
bool ParseWatermanName(const char* name, int* root, int* latticeType, bool* fourD);

// Builds the Waterman polyhedron `step` roots from the one the name gives, of the
// same lattice, as the current model.
WatermanStep StepWatermanModel(const char* name, int step);

}  // namespace corvia
