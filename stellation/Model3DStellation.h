#pragma once
// The facet model of a stellation: the facelets of a stellated block's visible facets
// (built by Model3D's constructor from a block, defined with the stellation), the
// stellation lines drawn on them, and the cells they bound.

#include "core/Outcome.h"

namespace corvia {

class Face3D;
class Model3D;

// Finds for each facelet the diagram region it was cut from, whose joined segments
// are the stellation lines drawn on it; stellates the block first when it is not yet
// (the outcome is that set-up's, Stellate). Done once per model (kModelLineData); a
// model of no block gets the mark only. It reports as it goes: a Cancel leaves the
// facelets not yet reached without lines.
Outcome ComputeFaceletLineData(Model3D* model);

// Whether the facelet belongs to a stellation cell that the Show/Hide commands left
// out of the drawing: the cell that the facet it was cut from bounds.
bool IsInHiddenCell(const Face3D& facelet);

}  // namespace corvia
