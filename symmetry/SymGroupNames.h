#pragma once
// The texts the user sees for symmetry groups: names for lists and captions, the
// reflection names, and the Schoenflies, orbifold and Coxeter notations.
//
// Names that never change are constant strings; names that print a fold are
// returned as strings of their own.

#include <cstddef>
#include <cstdint>
#include <string>

#include "symmetry/SymGroup.h"

namespace corvia {

struct SymSubgroupSpec;

// "Icosahedral" ... "N-fold Dihedral" ... "No Symmetry"; "???" for other codes.
const char* GetSymmetryTypeName(int32_t type);
// The same with the fold printed: "5-fold Dihedral".
std::string GetSymmetryName(int32_t type, int32_t fold);
// "Horizontal Reflection" ... "Chiral (No Reflection)"; "???" for other codes.
const char* GetReflectionName(int32_t refl);

std::string GetSchoenfliesNotation(int32_t type, int32_t refl, int32_t fold);
std::string GetOrbifoldNotation(int32_t type, int32_t refl, int32_t fold);
std::string GetCoxeterNotation(int32_t type, int32_t refl, int32_t fold);

// Notations of a subgroup; a null spec gives the texts of a group without symmetry.
std::string GetSubgroupSchoenflies(const SymSubgroupSpec* spec);
std::string GetSubgroupOrbifold(const SymSubgroupSpec* spec);
std::string GetSubgroupCoxeter(const SymSubgroupSpec* spec);
std::string GetSubgroupNotations(const SymSubgroupSpec* spec, const char* separator);

// Writes the caption of axis type i into buffer (size bytes): "<prefix> 3-fold
// Axis" when the group has that type (true); otherwise "<prefix> 3rd Axis" (false).
// The noun is "axis" when a word of the prefix after a space starts in lower case.
bool GetAxisName(const SymGroup* group, char* buffer, size_t size, const char* prefix, int i);

}  // namespace corvia
