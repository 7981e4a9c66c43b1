#pragma once
// PaneDrawing: what a pane draws of the document and how it frames it. It dispatches a
// paint by the view type: the model panes through the model drawing, the flat panes
// (an element, a diagram, the cross-section) and the net panes through their own
// drawing, then the selection, the measurements and the corner texts; it sets a flat
// pane's 2D extents and makes the pane's fits, by the radius the view type's content
// reaches. It keeps what only the drawing needs: the explosion factor and the one a
// fading transition draws with, the pending fit and the camera the last fit made, the
// cell diagram as it was last drawn. It holds the OpenGL view it draws in, the view
// type it draws and the page the pane prints to; it needs no pane and no window.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/ViewType.h"

namespace corvia {

class FaceTypeBlock;
class Model3D;
class OpenGLView;
class PanePage;
class PaneViewType;
class Poly;
class PolyElement;
struct CellDiagramMesh;
struct Matrix4;
struct StellationFacet;
struct Transform3D;

// Pending fits.
constexpr int kFitNone = 0;
constexpr int kFitNormal = 1;
constexpr int kFitLoose = 2;
constexpr int kFitTight = 3;

// The display switches of a pane that its drawing reads.
struct PaneGuides {
  bool symmetryAxes = false;
  bool reflectionPlanes = false;
  bool reflectionNormals = false;
};

// The block a pane of the type shows of the model (other: the other side's); null
// when it shows no side.
FaceTypeBlock* GetPaneShownBlock(const PaneViewType& type, Poly* poly, bool other);
// The facelet model a pane of the type draws: of its side when it shows one, else of
// the side the document shows.
Model3D* GetPaneModel3D(const PaneViewType& type, Poly* poly);

class PaneDrawing {
 public:
  PaneDrawing(OpenGLView& view, const PaneViewType& type, const PanePage& page);
  ~PaneDrawing();
  PaneDrawing(const PaneDrawing&) = delete;
  PaneDrawing& operator=(const PaneDrawing&) = delete;

  // ---- Explosion and texts --------------------------------------------------------------------
  double GetExplosion() const { return mExplosion; }
  void SetExplosion(double factor) { mExplosion = factor; }
  // The explosion factor the drawing of the model being drawn uses (a fading
  // transition of the exploding kinds changes it).
  double GetDrawExplosion() const { return mDrawExplosion; }
  // The corner texts are left out (an exported image without them).
  void SetHideTexts(bool hide) { mHideTexts = hide; }

  // ---- Paints ------------------------------------------------------------------------------------
  // The motion of a fading transition; false while none runs.
  bool GetTransitionMotion(Matrix4& transform);
  // One OnGLDraw per model on screen, then the corner texts.
  void ScenePass(const PaneGuides& guides);
  void OnGLDraw(const PaneGuides& guides);

  // ---- Fits ----------------------------------------------------------------------------------------
  // Asks for a fit at the next paint (none while fits are suspended).
  void SetFitMode(int mode);
  int GetFitMode() const { return mFitMode; }
  // The pending fit, made before a paint.
  void ExtentsPass();
  // Whether the camera is still the one the last fit made.
  bool ShowsLastFit() const;
  void FitGeometryToView(int mode);
  double GetGeometryRadius(bool withSpheres) const;
  double GetShownSphereRadius() const;

  // ---- Diagram and net panes (PaneDrawingDiagrams.cpp) --------------------------------------------
  // Sets the 2D extents of a flat pane before a fit; false when it has nothing to fit.
  bool PrepareDiagramPane();
  // The drawing of the flat and net types; false for another type.
  bool DrawDiagramPane(Poly* poly);
  // The text in the pane's upper-left corner (empty for none).
  std::string GetPaneStatusText() const;
  // The cell diagrams this pane worked out to keep; with oneByOne it draws the diagram
  // a cell at a time, paints and picks alike (tests).
  unsigned long CountCellDiagramsMade() const { return mCellDiagramsMade; }
  void SetCellDiagramOneByOne(bool oneByOne) { mCellDiagramOneByOne = oneByOne; }
  // The measured points, the measured planes and the measured value, while a point is
  // measured; in a flat pane in the frame of its element (toPlane: world to that frame).
  void DrawMeasurements(const Transform3D* toPlane);

  // ---- The cross-section in model panes ----------------------------------------------------------
  bool ShowsSectionInModel() const;
  void DrawSectionInModel();

 private:
  // The camera as the last fit left it: while it is unchanged, a resize fits again.
  struct FittedCamera {
    bool valid = false;
    bool is3D = false;
    double distance = 0.0;
    float orthoHalfHeight = 0.0f;
    float zoom = 0.0f;
    float scroll[2] = {0.0f, 0.0f};
    float rotation = 0.0f;
  };
  FittedCamera TakeFittedCamera() const;

  FaceTypeBlock* GetShownBlock(bool other) const;
  Model3D* GetModel3D(Poly* poly);
  bool HasContent() const;
  void DrawCornerTexts();
  void DrawContentMissing();
  // OnGLDraw's steps.
  void DrawVerticesAndEdges(Poly* poly);
  bool DrawViewType(Poly* poly, int& drawMode, double& sizingScale);
  // The selected item over the drawn model.
  void DrawSelection(Poly* poly, int drawMode, double sizingScale);
  void DrawFacePane(Poly* poly, bool ofStellation);
  void DrawFaceTypePart(Poly* poly, PolyElement* face);
  void DrawVertexFigurePane(Poly* poly);
  void DrawCellDiagramPane(Poly* poly);
  void DrawCellDiagramOneByOne(FaceTypeBlock* block, bool picking);
  void DrawCellDiagramMesh(const CellDiagramMesh& mesh);

  OpenGLView& mView;
  const PaneViewType& mViewType;
  const PanePage& mPage;
  double mExplosion = 1.0;
  double mDrawExplosion = 1.0;
  bool mHideTexts = false;
  int mFitMode = kFitNone;
  FittedCamera mFitted;
  // The cell diagram as the last paint drew it.
  std::unique_ptr<CellDiagramMesh> mCellDiagram;
  unsigned long mCellDiagramsMade = 0;
  bool mCellDiagramOneByOne = false;
};

// The polygon offset that keeps lines on faces in front of them, by the eye's
// distance from the centre (10 units in orthogonal projection).
double PolygonOffsetUnits(double distance, bool orthogonal);
// A light facet or cell colour darkened for the flat panes: red and green both above
// 0.8 scale all three parts by 0.8 / max(red, green).
void LightenDiagramColour(float* rgb);
// The colour of a facet in the face panes, on screen and on paper: its draw state's in
// the face of the stellation, else the face's (its back's for a facet facing down),
// lightened for the flat panes.
void GetFacePaneFacetColour(const StellationFacet* facet, const PolyElement* face, bool ofStellation, float* rgb);
// The element's polygon: each corner's dual point in the element's own frame (x, y
// pairs).
std::vector<double> GetElementPolygon2D(const PolyElement* element);
// The 2D extents (left, top, right, bottom) of the cell diagram.
void GetCellDiagramExtents(int numCellTypes, int maxCellsPerType, float* extents);

// The line an empty pane shows in place of content that this version does not draw;
// null for a view type that is drawn.
const char* GetMissingContentText(ViewType code);

}  // namespace corvia
