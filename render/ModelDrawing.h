#pragma once
// The model's own drawing of its faces, with the points and lines drawn on them. A
// model is drawn in one of nine face draw modes; faces with a face type are drawn as
// the cells of their face diagram (so star and self-crossing faces show what their
// winding covers), faces in one plane go through the stencil so that the lines on
// them are not covered, and translucent faces go to the depth-sorted queue. The same
// routines serve picking: every face is named before it is drawn.
//
// Everything runs inside a GL section of the pane being drawn (OpenGLView::GetCurrent).

#include <cstdint>

#include "core/VectorMath.h"

namespace corvia {

struct CellDrawOptions;
class ElementList;
class Model3D;
class OpenGLView;
class Poly;
class PolyElement;

// Models of this many faces or more (some 10 ms to colour) have the colours that went
// stale made when the program is idle, not in the paint that finds them stale
// (Poly::UpdateCellColours; a pick and an image of the pane make them at once).
constexpr int kDeferredCellColourFaces = 20000;

// Face draw modes.
constexpr int kDrawModePlain = 0;                   // base, dual, compound, morph by sizing
constexpr int kDrawModeTruncation = 1;              // "Morph Duals by Truncation"
constexpr int kDrawModeAugmentation = 2;            // "Morph Duals by Augmentation"
constexpr int kDrawModeExpansion = 3;               // "Morph Duals by Expansion"
constexpr int kDrawModeTiltingQuads = 4;            // "Morph Duals by Tilting Quads"
constexpr int kDrawModeTiltingTriangles = 5;        // "Morph Duals by Tilting Triangles"
constexpr int kDrawModeTiltingToRectification = 6;  // "Morph Duals by Tilting to Rectification"
constexpr int kDrawModeTiltingToCompound = 7;       // "Morph Duals by Tilting to Compound"
constexpr int kDrawModeStellation = 8;              // stellation of the base or the dual
constexpr int kNumDrawModes = 9;

// Modes 0 (outside the construction-toy style), 1, 3 and 8 pass over skipped faces.
bool DrawModeRespectsSkip(int drawMode);
// Modes 2 and 4 to 7: the morph pieces, drawn as translucent triangles.
bool IsMorphPieceMode(int drawMode);

// What DrawFaces works out once for all the faces of one call.
struct FaceDrawOptions {
  OpenGLView* view = nullptr;
  PolyElement* singleFace = nullptr;
  Model3D* stellationModel = nullptr;  // when stellation vertices or edges are shown
  bool showVertices = false;
  bool showStelVertices = false;
  bool showEdges = false;
  bool showStelEdges = false;
  bool facetPicking = false;   // mouse selection mode 2: facets are picked
  bool showCellLines = false;  // facet edges drawn on the faces
  bool anyDetails = false;     // anything at all is drawn on the faces
  bool useStencil = false;     // coplanar faces through the stencil buffer
  bool respectSkip = false;
  int highlight = 0;  // Poly::GetSelectionHighlight for the mode
};

// The colour a face is drawn in instead of its own (red below 0: none) and its alpha.
struct FaceColourOverride {
  float rgb[3] = {-1.0f, 0.0f, 0.0f};
  float alpha = 1.0f;
  bool IsSet() const { return rgb[0] >= 0.0f; }
};

// Draws the faces of a list (the model's faces, or its vertex list, whose elements are
// the dual's faces) in one draw mode, at the scale and morph factor (exactly 1.0: no
// morph); with a single face, only it, over everything in the screen-door highlight.
void DrawFaces(Poly* poly, ElementList* faces, int drawMode, double scale, double morph, PolyElement* singleFace);
// One face with its coplanar ring, the stencil steps and the details on it.
void DrawFaceRing(Poly* poly, PolyElement* face, int drawMode, double scale, double morph,
                  const FaceDrawOptions& options);
// Whether the face is drawn, its colour override, and its passes.
void DrawFaceInPasses(Poly* poly, PolyElement* face, int drawMode, double scale, double morph,
                      const FaceDrawOptions& options);
// One pass of one face; true when it wants another. The caller starts both counters
// at 0 and keeps them for the face.
bool DrawFacePass(PolyElement* face, int drawMode, double scale, double morph, const FaceColourOverride& colour,
                  int& pass, int& piece);
// The depth key of the construction-toy order: minus the squared distance from the eye
// to the face's reference point (moved by the morph offset); the lowest float for a
// face whose coplanar ring holds nothing translucent, so that it comes first.
float GetFaceSortKey(const PolyElement* face, const double* eye, double morph);

// The face's face-diagram cells (or, without them, its polygon) placed by the frame
// instead of the face's own: a diagram point (x, y) goes to the frame's origin + x
// axis1 + y axis2, then the offset is added and the scale applied.
void DrawFaceThroughFrame(PolyElement* face, const Transform3D& frame, double scale, const double* offset,
                          CellDrawOptions& cells, const float* colour, float alpha);

// The morph offset of an element, (m - 1) times its face centre; zero for m = 1.0.
void GetMorphOffset(const PolyElement* element, double morph, double* out);

}  // namespace corvia
