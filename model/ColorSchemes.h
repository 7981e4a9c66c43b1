#pragma once
// Colours of a model's faces, vertices and edges. Faces follow the face colour
// scheme word, edges the edge colour scheme, and vertices are coloured as the faces
// of the dual (their wheel indices run backwards through the colour wheel). Also the
// default vertex and edge colours, the stellation-diagram colour scheme, the
// selected-face display mode, and the removal of labels over a scope.

#include <cstdint>

#include "core/Outcome.h"

namespace corvia {

class Poly;
class ElementList;
class FaceTypeBlock;
class PolyElement;
class PolyItem;
class SymGroup;
struct SymAxisType;

// ---- Face colour scheme word --------------------------------------------------------
constexpr uint32_t kColorAuto = 0x1;
constexpr uint32_t kColorSingle = 0x2;
constexpr uint32_t kColorBySides = 0x4;
constexpr uint32_t kColorByFaceType = 0x8;
constexpr uint32_t kColorAlongCrossSection = 0x10;
constexpr uint32_t kColorPerFaceUnlessParallel = 0x20;
// The six basic schemes exclude each other: their menu commands replace these bits.
constexpr uint32_t kColorBasicMask = 63;
constexpr uint32_t kColorSameChiralPairs = 0x80;
constexpr uint32_t kColorSameCoplanar = 0x100;
constexpr uint32_t kColorSameCoplanarChiralPairs = 0x200;
constexpr uint32_t kColorSameFrontAndBack = 0x400;
// "Color as a Compound": an action of the menu, never stored in the word.
constexpr uint32_t kColorAsCompound = 0x800;
// Schemes that need a completed model before they can take effect.
constexpr uint32_t kColorNeedsCompleteModel = 0xfff7ad;
// A mask of all ones toggles the command's bit.
constexpr uint32_t kColorToggleMask = 0xFFFFFFFFu;
constexpr uint32_t kDefaultFaceColorScheme = 0x601;

// The face colour scheme word (saved with the settings).
extern uint32_t FaceColorScheme;

// ---- Edge colour scheme ---------------------------------------------------------------
constexpr int kEdgeColorAllSame = 1;
constexpr int kEdgeColorByTypeWithReflections = 2;
constexpr int kEdgeColorByType = 4;
constexpr int kEdgeColorSameIfParallel = 8;
constexpr int kEdgeColorByGreatCircles = 16;
constexpr int kEdgeColorFromFaces = 32;
constexpr int kEdgeColorFromFacesComplement = 64;
extern int EdgeColorScheme;

// ---- Stellation diagrams and selection display ------------------------------------------
// 0 per front/back/internal, 1 per front/back, 2 per facet, 3 per chiral pair,
// 4 per 2D layer, 5 per 3D layer; read by the diagram drawing.
extern int StellationColorScheme;
// 0 "Highlight", 1 "Show Stellation Diagram".
constexpr int kSelectionHighlight = 0;
constexpr int kSelectionShowDiagram = 1;
extern int SelectionHighlightMode;

// ---- Settings flags and default colours --------------------------------------------
// "Color Vertices Same as Dual Face".
extern bool ColorVertsSameAsDualFace;
// The construction-toy display style.
extern bool GeomagStyle;
// The colour vertices take while they are not coloured as dual faces; (1.0, 1.0, 0.8)
// at start. The default edge colour is the one new edges take (model/Edge.h).
extern float DefaultVertexColor[3];

// The construction-toy panel colours: each face type of the block whose faces do not
// all have one takes the colour of its faces' shape (model/GeomagPanels.h), on both
// sides of every face that has none yet. True when any face changed colour. The
// panels are how the style shows the model, not colours of the model: each face keeps
// its own colours beside the panel colour (the Poly's mGeomagKeep).
bool AssignGeomagPanelColors(FaceTypeBlock* block);
// The same for both sides of the model (none: nothing); the colours of a side that
// changed are refreshed.
bool AssignGeomagPanelColorsToModel(Poly* poly);
// The element's own colour, front or back: the one it had before the style gave it a
// panel colour, while it still shows that panel colour (a colour the user chose since is
// its own); otherwise its colour as it is. What a copy of the model takes (a file, an
// undo step, a model made from it), so that the style changes no colour of the model.
const float* GetOwnColor(const PolyElement& element, bool back);
// Every element that still shows the panel colour the style gave it takes its own
// colours back, and the model keeps no panel colours; true when any element changed.
bool GiveBackGeomagPanelColors(Poly* poly);

// Passed for the old colour: take the colour of the current vertex or selected edge.
constexpr uint32_t kColorRefNone = 0xFF000000u;

// Undo step of every colour change, and of a face image change.
constexpr int kUndoColorChange = 27;
constexpr int kUndoFaceImage = 44;

// mPolyFlags bits: cell colours of the faces' fronts, their backs, and the model's own
// fill are to be recomputed.
constexpr uint32_t kPolyFlagCellColoursFront = 0x2000;
constexpr uint32_t kPolyFlagCellColoursBack = 0x4000;
constexpr uint32_t kPolyFlagCellColoursOwn = 0x8000;
constexpr uint32_t kPolyFlagCellColoursStale = 0xe000;
// PolyElement::mFlags: a face of the element's coplanar ring carries an opaque image.
constexpr uint32_t kElementOpaqueImageInRing = 0x2000;

// ---- Operations ---------------------------------------------------------------------------
// The Color menu: updates the face scheme word by bit and mask and recolours, or
// (bit kColorAsCompound) colours the model by compound part; refused where the parts
// cannot be coloured.
Outcome ColorByCompound(Poly* poly, uint32_t bit, uint32_t mask);
// ColorScheme on the list with the current face scheme word.
void ReapplyColorScheme(Poly* poly, ElementList* list);
// The face colour pass: the model's face list is coloured as faces, its vertex list as
// the faces of the dual.
void ColorScheme(Poly* poly, ElementList* list, uint32_t scheme);
// The edge colour pass by the edge colour scheme.
void ApplyColorScheme(Poly* poly, bool withUndo);
// The stellation-diagram colour scheme; redraws all views.
void SetColorScheme(int id);
// The selected-face display mode.
void SetSelectionHighlight(int mode);
// Removes the labels of the items of the scope (0 the item, 1 items of its type,
// 2 items of its colour, 3 all faces, 4 all edges, 5 all vertices, 6 all three);
// true when a removed label was not blank.
bool SetLabelEverywhere(PolyItem* item, int scope);

// Convert float RGB to 0x00BBGGRR and apply: the model's vertices or edges of the old
// colour take the new one (and the colour new edges take follows when it was the old
// colour). A null old colour stands for "none".
void SetDefaultVertexColor(Poly* poly, const float* newColor, const float* oldColor);
void SetDefaultEdgeColor(Poly* poly, const float* newColor, const float* oldColor);
void ApplyDefaultVertexColor(Poly* poly, uint32_t newRef, uint32_t oldRef);
void ApplyDefaultEdgeColor(Poly* poly, uint32_t newRef, uint32_t oldRef);

// Colours go in and out of these commands packed as 0x00BBGGRR (PackRainbowColor and
// UnpackRainbowColor of the colour wheel).

// Colour index of a face or vertex from the symmetry axis through it (its own, or that
// of the first member of its coplanar ring that has one); -1 when the scheme does not
// apply. `secondIndex` receives the colour of the axis's other end.
int GetPredefinedColorIndex(const SymGroup* group, uint32_t schemeBits, const SymAxisType* axisType,
                            const PolyElement* element, int* secondIndex);
// Whether the special colour arrangement of the bit colours some face the model shows:
// its group is of the arrangement's kind and a face type lies on axes of its fold.
bool ColorArrangementApplies(Poly* poly, uint32_t bit);

// ---- What the document does after colour changes ----------------------------------------
// Marks the colour caches stale, redraws and shows the colour-change notes.
void NotifyColorChange(Poly* poly);
// Marks the colour assignments of one side (0 base, 1 dual) stale; optionally redraws.
void ResetColorCaches(Poly* poly, int side, bool redraw);
void WarnRainbowColorMode();
void WarnEdgeColorAsCylinders();
// Bumped by ResetColorCaches for its side: drawers whose cached colours carry an older
// serial rebuild them.
uint32_t GetColorCacheSerial(int side);

// The document side of the colour commands: the active pane's view type and the two
// notes whose look is the document's. The document installs one; the default knows no
// pane (view type 0) and only counts the notes.
class ColorDocumentHooks {
 public:
  virtual ~ColorDocumentHooks();
  virtual unsigned ActiveViewType() { return 0; }
  virtual void WarnRainbowColorMode() { ++mRainbowWarnings; }
  virtual void WarnEdgeColorAsCylinders() { ++mCylinderWarnings; }
  int mRainbowWarnings = 0;
  int mCylinderWarnings = 0;
};
// Installs the hooks (null: the default); returns the previous ones.
ColorDocumentHooks* InstallColorDocumentHooks(ColorDocumentHooks* hooks);
ColorDocumentHooks& GetColorDocumentHooks();

}  // namespace corvia
