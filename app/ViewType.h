#pragma once
// The view types of the panes. A ViewType code holds the view index 0 to 24 in its
// low byte and category flags above it, which the program tests instead of listing
// codes. Stored data (model files, layouts) keeps the index.

#include <cstdint>

namespace corvia {

using ViewType = uint32_t;

// Category flags.
constexpr ViewType kViewFlagBase = 0x100;        // always the base model
constexpr ViewType kViewFlagDual = 0x200;        // always the dual model
constexpr ViewType kViewFlagPart = 0x400;        // a part of the side the document shows
constexpr ViewType kViewFlag3D = 0x800;          // perspective camera, tumbling
constexpr ViewType kViewFlagElements = 0x1000;   // the model's own elements
constexpr ViewType kViewFlagStellation = 0x2000;  // the current stellation
constexpr ViewType kViewFlagMorph = 0x4000;      // a dual morph
constexpr ViewType kViewFlagDiagram = 0x8000;    // a flat diagram
constexpr ViewType kViewFlagNet = 0x10000;       // a net
constexpr ViewType kViewIndexMask = 0xFF;

// The codes.
constexpr ViewType kViewBasePolyhedron = 0x1900;
constexpr ViewType kViewDualPolyhedron = 0x1A01;
constexpr ViewType kViewCompoundOfDuals = 0x1802;
constexpr ViewType kViewStellationOfBase = 0x2903;
constexpr ViewType kViewStellationOfDual = 0x2A04;
constexpr ViewType kViewFacetingPreview = 0x0C05;
constexpr ViewType kViewCompound = 0x2C06;
constexpr ViewType kViewFace = 0x9407;
constexpr ViewType kViewFaceOfStellation = 0xA408;
constexpr ViewType kViewStellationDiagram = 0xA409;
constexpr ViewType kViewCellDiagram = 0xA40A;
constexpr ViewType kViewVertexFigure = 0x940B;
constexpr ViewType kViewFacetingDiagram = 0x840C;
constexpr ViewType kViewCrossSection = 0x940D;
constexpr ViewType kViewUnfoldedNet = 0x1340E;
constexpr ViewType kViewFoldingNet = 0x12C0F;
constexpr ViewType kViewMorphBySizing = 0x5810;
constexpr ViewType kViewMorphByTruncation = 0x4811;
constexpr ViewType kViewMorphByAugmentation = 0x4812;
constexpr ViewType kViewMorphByExpansion = 0x5813;
constexpr ViewType kViewMorphByTiltingQuads = 0x5814;
constexpr ViewType kViewMorphByTiltingTriangles = 0x4815;
constexpr ViewType kViewMorphByTiltingToCompound = 0x4816;
constexpr ViewType kViewMorphByTiltingToRectification = 0x4817;
constexpr ViewType kViewMorphViaSnub = 0x4818;

constexpr int kNumViewTypes = 25;
// A pane before its first view type.
constexpr ViewType kNoViewType = 0xFFFFFFFFu;

// The codes in index order.
extern const ViewType kViewTypes[kNumViewTypes];

inline int ViewIndexOf(ViewType code) { return static_cast<int>(code & kViewIndexMask); }
inline bool HasViewFlags(ViewType code, ViewType flags) { return (code & flags) == flags; }
// Whether the code is one of the 25.
bool IsKnownViewType(ViewType code);

// The code of the index in the low byte; a low byte above 24 comes back unchanged.
ViewType ViewTypeFromIndex(uint32_t value);

// The fixed name of the type ("Base Polyhedron", ...); for an unknown code an
// internal error and "Unknown view type".
const char* GetViewTypeName(ViewType code);
// The View menu command that switches the active pane to the type; 0 for none.
int GetViewTypeCommand(ViewType code);
// The text of that menu item (the part of its path after the last '>').
const char* GetViewTypeMenuText(ViewType code);
// The type a View menu command selects; kNoViewType for another command.
ViewType GetViewTypeOfCommand(int command);

}  // namespace corvia
