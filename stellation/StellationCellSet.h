#pragma once
// Which cells of a face-type block's stellation are included and which hidden, as an
// undo step and a saved scene keep them, and putting them back on the block of a model
// made again (the cells of a model are numbered the same each time it is stellated).

#include <cstdint>
#include <vector>

#include "core/Outcome.h"

namespace corvia {

class FaceTypeBlock;
class Poly;

struct StellationCellSet {
  bool stellated = false;
  // The stellation shown was placed among those of the criteria (its caption says
  // "5 of 5"): the restored one is placed again.
  bool placed = false;
  // Cell numbers (StellationCell::mIndex), in the order of the block's cells.
  std::vector<int> included;
  // The cells left out of the drawing.
  std::vector<int> hidden;
};

// While one lives, Maintain Reflexibility adds no mirror partners to the cells that
// change: a step put back names every cell it changed.
class ExactStellationCells {
 public:
  ExactStellationCells();
  ~ExactStellationCells();
  ExactStellationCells(const ExactStellationCells&) = delete;
  ExactStellationCells& operator=(const ExactStellationCells&) = delete;

 private:
  uint32_t mSaved;
};

// The cells of the block; an empty set (not stellated) for a block not stellated.
StellationCellSet CaptureStellationCells(FaceTypeBlock* block);

// Whether the block shows more than it does before any step: a stellation other than
// the model itself, a hidden cell, or a place among the stellations of the criteria.
bool IsSteppedStellation(FaceTypeBlock* block);

// Sets the block up (Stellate, under the progress window) and puts the cells back
// exactly: Maintain Reflexibility adds no mirror partners meanwhile. A stellation that
// was placed is placed again (the walk of the criteria is taken). Nothing to do for a
// set that is not stellated. Not done when the set-up was declined, cancelled or
// refused (with its words, when it has some), and failed, with nothing changed, when a
// number names no cell of the block.
Outcome RestoreStellationCells(Poly& poly, FaceTypeBlock* block, const StellationCellSet& set);

}  // namespace corvia
