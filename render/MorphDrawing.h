#pragma once
// The faces of the dual-morph panes: each element of the model and of its dual drawn
// as the builders of the morph models make it, at the morph ratio of the panes, so
// that a pane and a model built at the same ratio agree. Modes 1 and 3 move and
// shrink the face-diagram cells; modes 2 and 4 to 7 make pieces that go to the
// depth-sorted triangle queue.

namespace corvia {

class PolyElement;
struct CellDrawOptions;

// One element in a morph mode (1 to 7). cells: what the cells of modes 1 and 3 take
// over from the face's pass (colour, picking, frame filled in here); colour and alpha:
// the element's colour in the pieces of modes 2 and 4 to 7 (plainColour: keep it, as
// the selected face and rainbow colours do). offset: the element's morph offset.
void DrawMorphElement(PolyElement* element, int drawMode, double scale, double morph, const double* offset,
                      CellDrawOptions& cells, const float* colour, float alpha, bool plainColour);

}  // namespace corvia
