#pragma once
// Drawing of the cells of face diagrams: star and self-crossing faces show exactly
// the regions their winding covers. Cells are drawn with OpenGL directly, through the
// depth-sorted triangle queue (so translucent cells are seen through each other), or
// onto a printed page.

#include <cstdint>
#include <functional>

#include "core/VectorMath.h"
#include "model/FaceDiagramCells.h"

namespace corvia {

// How DrawFaceDiagramCellsSorted places and colours the cells.
struct CellDrawOptions {
  // A diagram point (x, y) goes to origin + x axis1 + y axis2 (the transform's
  // translation and first two columns), then the offset is added; the queue
  // multiplies by the scale.
  const Transform3D* frame = nullptr;
  const double* offset = nullptr;
  double scale = 1.0;
  const double* normal = nullptr;  // of every triangle
  bool picking = false;
  bool selectedOnly = false;           // only the selected cells
  const float* fixedColour = nullptr;  // RGB for every cell instead of its own
  float fixedAlpha = -1.0f;            // negative: each cell's opacity
  bool front = true;                   // the front colour of the sources, else the back one
  // Marked once for the face drawn: its model has nothing selected, so no cell is.
  bool noneSelected = false;
  unsigned triangleFlags = 0;          // AddDepthSortedTriangle flags
  int32_t kind = kDiagramSourceFaces;
  const DiagramSourceCallbacks* callbacks = nullptr;
  // While picking: names what is drawn for the cell's source. Faces (kind 0) name the
  // element as a face, or as a vertex drawn as a face of the dual, by default.
  std::function<void(DiagramSource)> selectSource;
};

// The drawing colour of a cell in the current view (suspends the view's rainbow
// lighting for a selected cell: true then). With mayBeSelected false the caller knows
// that nothing is selected, and the cell's sources are not looked at.
bool GetCellColor(const DiagramCell* cell, float* rgb, bool flat, bool front, int32_t kind,
                  const DiagramSourceCallbacks* callbacks, bool mayBeSelected = true);

// Each cell's triangles through the frame as GL_TRIANGLES at once, in its colour
// (GetCellColor) and opacity.
void DrawFaceDiagramCells(const FaceDiagramResult* result, const DiagramCell* cells, const Transform3D& frame,
                          int32_t kind, const DiagramSourceCallbacks* callbacks);

// Each visible cell's triangles to the depth-sorted queue: cells of opacity 0 are
// skipped, so are unselected cells when only selected ones are wanted, and while
// picking cells all of whose sources are hidden.
void DrawFaceDiagramCellsSorted(const DiagramCell* cells, const FaceDiagramResult* result,
                                const CellDrawOptions& options);

// A printed page as the cells need it: a solid brush and polygons clipped to the
// page, in page units.
class CellPrintTarget {
 public:
  virtual ~CellPrintTarget() = default;
  virtual void SelectSolidBrush(int red, int green, int blue) = 0;
  // Puts the brush before the last SelectSolidBrush back (and lets that one go).
  virtual void RestoreBrush() = 0;
  virtual void PrintClippedPolygon(const double* xy, int count) = 0;
};

// Each cell of opacity not 0 as filled polygons on the page: the points map by the
// 2D transform (x' = m[0] x + m[2] y + m[4], y' = m[1] x + m[3] y + m[5]); the brush is
// the cell's colour in bytes, or with greyscale print shading the one grey of
// "PrintShadeMax" for every cell.
void DrawFaceDiagramCellsGdi(const FaceDiagramResult* result, const DiagramCell* cells, const double* transform,
                             int32_t kind, const DiagramSourceCallbacks* callbacks, CellPrintTarget& target);

}  // namespace corvia
