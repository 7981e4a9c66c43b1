#pragma once
// What a change of a model's selection asks of the program beyond the model: the
// information tree marks the selected type, the Sphere and Cylinder Options show a
// selected vertex, the views pivot round the selected item and the cross-section panes
// are drawn again. The selection gathers it on its model (Poly::TakeSelectionChange);
// whoever changed the selection takes it and acts on it.

namespace corvia {

struct SelectionChange {
  // The information tree's mark: kind kInfoMarkFace, kInfoMarkEdge or kInfoMarkVertex
  // (model/Poly.h) and type number from 1; kInfoMarkFace with -1 clears the mark.
  bool mark = false;
  int markKind = 0;
  int markNumber = 0;
  bool markDual = false;
  // A vertex was selected: an open Sphere and Cylinder Options dialog takes it.
  bool sphereCylinderOptions = false;
  // The views pivot round the selected axis or item.
  bool pivot = false;
  // The cross-section panes, and the model panes showing a section, are stale: bit 1
  // those of the base side, bit 2 those of the dual side.
  unsigned crossSectionSides = 0;

  bool Empty() const { return !mark && !sphereCylinderOptions && !pivot && crossSectionSides == 0; }
  // A later change after this one: its mark replaces this one's, the rest add up.
  SelectionChange& operator+=(const SelectionChange& later) {
    if (later.mark) {
      mark = true;
      markKind = later.markKind;
      markNumber = later.markNumber;
      markDual = later.markDual;
    }
    sphereCylinderOptions = sphereCylinderOptions || later.sphereCylinderOptions;
    pivot = pivot || later.pivot;
    crossSectionSides |= later.crossSectionSides;
    return *this;
  }
};

}  // namespace corvia
