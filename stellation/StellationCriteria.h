#pragma once
// The state of the stellation criteria of one face-type block: the support lists of
// Fully Supported, the depth-first search of Miller's Rules and the counters of the
// exhaustive search. The block owns it; every criterion rebuilds it from the current
// cell set when the criteria-applied flag is clear.

#include <cstdint>
#include <string>
#include <vector>

#include "core/BigUInt.h"
#include "model/ModelPart.h"

namespace corvia {

struct StellationCell;

// One level of the Miller search: the cells it included (the pushed cell first, then the
// cells of the pockets it closed), how many of the search's frontier are its candidates
// (the frontier as it stood once the level was pushed) and how far the scan of them has
// come, where its own decisions begin in the search's record of them, and whether the set
// holds a cell below the root once the level is pushed.
struct MillerEntry {
  std::vector<StellationCell*> cells;
  size_t candidates = 0;
  size_t scan = 0;
  size_t decided = 0;
  bool belowRoot = false;
};

struct MillerState : ModelPart {
  // Fully Supported: the support lists, lowest first; the last one is the current layer.
  std::vector<std::vector<StellationCell*>> lists;
  // Miller's Rules: the root cell and the search stack (the base entry first); the root
  // of the core, the first cell a search can start from (null until it is looked for).
  StellationCell* root = nullptr;
  std::vector<MillerEntry> stack;
  StellationCell* coreRoot = nullptr;
  // The cells the stack may grow by, each once, in the order its levels met them as
  // neighbours (a level's candidates are a beginning of it, the cells it met appended),
  // and which cells are in it, by cell index.
  std::vector<StellationCell*> frontier;
  std::vector<char> inFrontier;
  // Every cell given a search level, in the order of the decisions, so that a level
  // taken off forgets its own decisions alone.
  std::vector<StellationCell*> decided;
  // With no cell included, the outer cell reaches every cell (1), or not (0); -1 until
  // looked at. Where it does, a push looks for pockets only beside what it includes,
  // marking the regions it searches by stamp, per cell index.
  int openFromOutside = -1;
  std::vector<uint32_t> seen;
  uint32_t seenStamp = 0;
  // The cells the search has looked at, a measure of its work.
  long long looked = 0;
  // The compound of a chiral stellation with its mirror image is being shown, with the
  // mirror cells it added.
  bool mirrorHalf = false;
  std::vector<StellationCell*> images;
  // The exhaustive search: stellations found and candidates left.
  BigUInt found;
  BigUInt countDown;
  // The walk of the criteria once round, for telling which stellation is shown: the
  // included cells of each stellation in the order of the steps (the core first), and
  // what the walk was taken under. Empty when it was given up as too long.
  std::vector<std::vector<char>> walk;
  int32_t walkCriteria = -1;
  uint32_t walkOptions = 0;
  const StellationCell* walkFirstCell = nullptr;
  bool walkTaken = false;
  // The search stops at its next unit of work once `stopped` is set: by a cancel of the
  // progress window, or once `spent` passes a `budget` that is not 0 (the walk above).
  long long budget = 0;
  long long spent = 0;
  bool overBudget = false;
  bool stopped = false;
};

class FaceTypeBlock;

// Where the stellation shown stands in the walk of the present criteria: its place
// (1 for the core) and the number of stellations of the walk. Place 0 when the cells
// shown are none of them (changed by hand), total 0 when the walk is too long to take.
struct StellationPlace {
  int index = 0;
  int total = 0;
};
// With takeWalk, takes the walk the first time (the cells and the walk's own state are
// put back as they were); without, answers only from a walk already taken under the
// present criteria (nothing otherwise). The cells shown are looked up in the walk.
StellationPlace FindStellationPlace(FaceTypeBlock* block, bool takeWalk);
// The most cell marks a walk may keep, all its steps together (tests set it lower):
// a walk of a model of many cells past it is not taken, and its places are not named.
void SetLongestNamedWalkCells(size_t marks);

// The steps the user takes through the stellations of a block: one on, one back, to
// the core, to the final stellation, or none (the criteria changed), each followed by
// finding the place of the stellation shown (the walk, taken the first time). The
// search runs under a progress level with its Cancel; a cancel anywhere puts the cells
// and the state of the criteria back as they were. The cells change quietly while the
// search runs: the undo step open gets each cell that ends up changed, once.
enum class StellationStep { kNext, kPrevious, kCore, kFinal, kPlace };
struct StellationStepResult {
  // The step went round the end of the walk.
  bool wrapped = false;
  bool cancelled = false;
  // Why the criteria take no step here (the words the pane shows); empty otherwise.
  std::string refusal;
  StellationPlace place;
};
StellationStepResult StepStellations(FaceTypeBlock* block, StellationStep step);

}  // namespace corvia
