#pragma once
// Cells of a face diagram: the regions covered by exactly the same sources the same
// number of times, with their triangles, covered areas, colours and opacity. Through
// them non-convex and self-intersecting faces, face-type diagrams and cross-sections
// are filled, with translucent faces seen through each other.

#include <cstdint>

#include "model/FaceDiagram.h"

namespace corvia {

class PolyElement;

// One (source, winding) pair of a cell.
struct CellSourcePair {
  DiagramSource source = 0;
  int32_t winding = 0;
};

struct DiagramCell {
  CellSourcePair* pairs = nullptr;
  int32_t numPairs = 0;
  float colour[3] = {0.0f, 0.0f, 0.0f};
  float secondColour[3] = {0.0f, 0.0f, 0.0f};  // the sources' other side
  float opacity = 1.0f;
  DiagramSource textureSource = 0;  // first source drawn with a texture, 0 for none
};

// Triangles of one cell: corner indices (three per triangle) into the diagram's points.
struct CellTriangles {
  int32_t numIndices = 0;
  int32_t* indices = nullptr;
};

// A coloured loop record: the source of a cross-section's fill.
struct DiagramColouredLoop {
  float colour[3] = {0.0f, 0.0f, 0.0f};
};

// Answers for sources that are items of other subsystems.
struct DiagramSourceCallbacks {
  void (*colour)(DiagramSource item, float* rgb, float* alpha, void* context) = nullptr;
  bool (*isSelected)(DiagramSource item, void* context) = nullptr;
  bool (*isHidden)(DiagramSource item, void* context) = nullptr;
  uintptr_t (*groupKey)(DiagramSource item, void* context) = nullptr;
  void* context = nullptr;
};

// Display flags of cells.
constexpr uint32_t kCellBlendByWeight = 0x1;
constexpr uint32_t kCellFirstSourceOnly = 0x2;
constexpr uint32_t kCellMixDiffering = 0x4;
constexpr uint32_t kCellZeroIsEmpty = 0x8;
constexpr uint32_t kCellEvenOdd = 0x10;
constexpr uint32_t kCellEvenOddFromCaller = 0x20;
constexpr uint32_t kCellWeightByWinding = 0x40;
constexpr uint32_t kCellLighten = 0x80;
constexpr uint32_t kCellDarken = 0x100;
constexpr uint32_t kCellDefaultFlags = kCellBlendByWeight | kCellWeightByWinding;  // 65
constexpr float kCellLayerFactor = 0.2f;
constexpr float kCellMixedColour[3] = {0.9f, 0.9f, 0.9f};

// The program-wide display flags of cells and the highlight option.
uint32_t& CellDisplayFlags();
bool& CellHighlightOption();

// The cell array of one face or element.
class CellColorArray {
 public:
  DiagramCell* mCells = nullptr;
  int32_t mNumCells = 0;

  void Calc(uint32_t flags, const FaceDiagramResult* result, int32_t kind = kDiagramSourceFaces,
            const DiagramSourceCallbacks* callbacks = nullptr);
};
bool AllCellsHidden(const DiagramCell* cells, const FaceDiagramResult* result);

// Forms the cells of a diagram whose loops are built.
void CreateLoopTypes(FaceDiagram* diagram, PolyElement* ownerFace, bool secondColour);
void CalcAllColors(DiagramCell* cells, int32_t count, uint32_t flags, int32_t kind,
                   const DiagramSourceCallbacks* callbacks);
void CalcCellColor(DiagramCell* cell, uint32_t flags, int32_t kind, const DiagramSourceCallbacks* callbacks);
uint32_t GetDiagramDrawFlags(bool filled, bool evenOdd);
// Colour, second colour, alpha and texture of a source; false when it is hidden.
bool GetColorOfSource(DiagramSource source, int32_t kind, const DiagramSourceCallbacks* callbacks, float* colour,
                      float* secondColour, float* alpha, bool* textured);
bool IsCellSelected(const DiagramCell* cell, int32_t kind, const DiagramSourceCallbacks* callbacks);
double GetSelectedFraction(const DiagramCell* cell, int32_t kind, const DiagramSourceCallbacks* callbacks);
DiagramSource GetCellSource(const DiagramCell* cell, int32_t kind, const DiagramSourceCallbacks* callbacks);

// Area of one cell from its triangles and the result's points.
double GetCellArea(const FaceDiagramResult* result, int32_t cell);

}  // namespace corvia
