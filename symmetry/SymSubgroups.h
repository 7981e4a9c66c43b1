#pragma once
// Iteration over the subgroups of a symmetry group: first the rotational subgroups
// in a fixed order, then for each its variants with reflections. The functions
// that step and build them are members of SymGroup (SymGroup.h).

#include <cstdint>

namespace corvia {

// One subgroup, and the position of an iteration over them.
struct SymSubgroupSpec {
  // Group type of the subgroup; -1 before the first step.
  int32_t type = -1;
  // Fold of its main axis; -1 when none.
  int32_t fold = -1;
  // Which of two non-equivalent sets of parent axes the subgroup uses (0 or 1).
  uint8_t variant = 0;
  // 1 when the subgroup's main axis is the parent's main axis (dihedral parents),
  // or the first of two choices.
  uint8_t primary = 1;
  // Reflection type; -1 before the first reflective step.
  int32_t reflectionType = -1;
  // The second of two different subgroups sharing a reflection type (" (B)").
  int32_t alternate = 0;

  void Reset() { *this = SymSubgroupSpec(); }
};

}  // namespace corvia
