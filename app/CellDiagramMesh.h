#pragma once
// What the Cell Diagram pane draws, worked out from the shown side's cells once and
// kept by the pane: the links between neighbouring cells, a box for each cell filled
// in its type's colour, the frames (included cells' apart), the current cell's inner
// frame and the cells' numbers, and the boxes a click picks. A paint draws it with a
// few array draws, a pick the few boxes round the pointer; it is worked out again when
// the cells, their inclusion, the current cell or the pane's scale have changed (the
// state's hash). Drawn a primitive at a time, a diagram of thousands of cells took
// Mesa's software renderer most of a second a paint, and a pick drew every cell twice.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace corvia {

struct CellDiagramMesh {
  uint64_t state = 0;
  bool made = false;
  // x, y per end (GL_LINES), drawn stippled behind the boxes.
  std::vector<float> links;
  // x, y per corner and r, g, b per corner, four corners a box (GL_QUADS), in the
  // order of glRect's corners; hidden cells have none.
  std::vector<float> fills;
  std::vector<float> fillColours;
  // x, y per end (GL_LINES), the four sides of each box: [0] of the cells left out,
  // [1] of the included ones.
  std::vector<float> frames[2];
  float includedWidth = 1.0f;
  // The current cell's inner frame (x, y per corner), empty when there is none; drawn
  // in the width the paint found when that cell is the first.
  std::vector<float> current;
  bool currentIsFirst = false;
  // The cells' numbers by the ink they are written in (0 black, 1 white).
  struct Label {
    char text[16];
    double at[2];
  };
  std::vector<Label> labels[2];
  // Each cell's box as a pick draws it (a hidden cell's too) under its cell's index, in
  // the order they are named: a row of boxes for each cell type from the bottom, the
  // boxes of a row left to right, row r the boxes [rows[r], rows[r + 1]).
  struct PickBox {
    double x0, y0, x1, y1;
    int cell;
  };
  std::vector<PickBox> boxes;
  std::vector<size_t> rows;
};

}  // namespace corvia
