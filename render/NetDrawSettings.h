#pragma once
// The display values of the stellation-diagram, facet-model and net drawing that no
// other drawing owns: how diagram facets are coloured and faded, what is shown over
// the nets (numbers, tabs in the folding view, sphere sections, stellation lines)
// and how selected facelets look. The program loads them with its settings and its
// menus change them; the drawing only reads them. Also what the drawing asks of the
// pane it draws in (NetDrawPane).

#include <cstdint>
#include <vector>

namespace corvia {

class Face3D;
class OpenGLView;
struct StellationLine;

// Diagnostic numbering bits of the facelets (in DiagnosticNumbers, model/ElementLabels.h):
// the number advances with every facelet, and once more after every facelet type.
constexpr uint32_t kNumberEachFacelet = 1u << 15;
constexpr uint32_t kNumberEachFaceletType = 1u << 16;

// Diagram flags of a pane: its pick pass, and the points of a diagram shown.
constexpr uint32_t kDiagramPicking = 0x4;
constexpr uint32_t kDiagramShowPoints = 0x80;

// When stellation lines are printed on the nets.
constexpr int kPrintLinesNever = 0;
constexpr int kPrintLinesAlways = 1;
constexpr int kPrintLinesAsOnScreen = 2;

struct NetDrawSettings {
  // ---- Stellation diagrams ----
  // The lines under the mouse drawn again, thicker, along the original model's edges.
  bool highlightLines = false;
  // Facets on the original model's faces coloured by the side the original surface
  // faces.
  bool showOriginalFacets = false;
  // How far the faded diagram blends facets off the surface towards grey, and the
  // alpha of the original-facet colours.
  float fadeFactor = 0.5f;
  // The transparency mode of facets that are not on the surface.
  int hiddenFacetTransparency = 2;
  // Highlighted diagrams start from a white material.
  bool highlightColour = false;
  // ---- Facelets ----
  // The alpha of selected facelets and the transparency they are drawn in.
  float selectedAlpha = 0.5f;
  int selectedTransparency = 2;
  // The neighbour's tab drawn over the folded facelet it is glued to.
  bool showTabsOnFoldingNets = true;
  // The polygon offset between a tab and the facelet under it, in units of the pane's
  // polygon offset.
  double tabOffset = 1.0;
  // A second factor on the edge width of the flat nets.
  float netLineWidthFactor = 1.0f;
  // ---- Reference spheres ----
  bool showSphereSections = false;
  // Radii in the current distance unit (the Spheres dialog's list).
  std::vector<double> referenceSpheres;
  // ---- Stellation lines on the facelets ----
  bool showStellationLines = false;
  int printStellationLines = kPrintLinesNever;
  float stellationLineColour[3] = {0.5f, 0.5f, 0.5f};
};

NetDrawSettings& GetNetDrawSettings();

// The number a facelet shows under the diagnostic numbering bits: counting from 0
// over the types and their facelets, advanced with every facelet (kNumberEachFacelet)
// and once more after every type (kNumberEachFaceletType); -1 when the facelet is in
// no type of its model.
int GetFaceletDisplayNumber(const Face3D* facelet);
// Whether either numbering bit is on.
bool AreFaceletNumbersShown();

// What the net and diagram drawing asks of the pane it draws in. The document's pane
// class derives from it beside OpenGLView; any other view gets the plain answers, which
// keep nothing (every question is const).
class NetDrawPane {
 public:
  virtual ~NetDrawPane();
  // What the pane names while it picks.
  virtual bool PicksVertices() const { return true; }
  virtual bool PicksEdges() const { return true; }
  virtual bool PicksFaces() const { return true; }
  // The pane's own diagram flags (kDiagramShowPoints); the pick pass is added by
  // GetDiagramFlags.
  virtual uint32_t GetDiagramFlags() const { return 0; }
  // The diagram line under the mouse, which the line highlight draws thicker.
  virtual const StellationLine* GetHighlightedLine() const { return nullptr; }
  // Whether the folded point of a tab drawn over its glued facelet is still inside
  // the pane's view.
  virtual bool IsFoldedTabPointShown(const double* /*point*/) const { return true; }
};

const NetDrawPane& GetNetDrawPane(const OpenGLView* view);
// The pane's diagram flags with kDiagramPicking while it picks.
uint32_t GetDiagramFlags(OpenGLView* view);

}  // namespace corvia
