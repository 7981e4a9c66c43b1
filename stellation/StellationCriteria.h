#pragma once
// The state of the stellation criteria of one face-type block: the support lists of
// Fully Supported, the depth-first search of Miller's Rules and the counters of the
// exhaustive search. The block owns it; every criterion rebuilds it from the current
// cell set when the criteria-applied flag is clear.

#include <cstdint>
#include <vector>

#include "core/BigUInt.h"
#include "model/ModelPart.h"

namespace corvia {

struct StellationCell;

// One level of the Miller search: the cells it included (the pushed cell first, then the
// cells of the pockets it closed), the candidates it may grow by, and how far the scan
// of them has come.
struct MillerEntry {
  std::vector<StellationCell*> cells;
  std::vector<StellationCell*> candidates;
  size_t scan = 0;
};

struct MillerState : ModelPart {
  // Fully Supported: the support lists, lowest first; the last one is the current layer.
  std::vector<std::vector<StellationCell*>> lists;
  // Miller's Rules: the root cell and the search stack (the base entry first).
  StellationCell* root = nullptr;
  std::vector<MillerEntry> stack;
  // The compound of a chiral stellation with its mirror image is being shown, with the
  // mirror cells it added.
  bool mirrorHalf = false;
  std::vector<StellationCell*> images;
  // The exhaustive search: stellations found and candidates left.
  BigUInt found;
  BigUInt countDown;
};

}  // namespace corvia
