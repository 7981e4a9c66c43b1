#pragma once
// The construction-toy display style as the model drawing needs it: a face drawn as
// the toy's panels, and a rod between two points.

namespace corvia {

class FaceImage;
struct Transform3D;

// The face of `sides` corners (three doubles each, in order round the face) with its
// unit normal, as the toy builds it: one panel in the colour (translucent: faintly for
// the "Clear" panel colour), set in from the rods round it, with a rim. A hexagon is
// three rhombi round a ball at its centre; an octagon, decagon or dodecagon a cupola of
// triangles and squares round a square, pentagon or hexagon, sunk into the model, with
// the rods (in rodColour; null for the colour of new edges) and balls that hold it.
// Nothing for a face the toy has no panel for. An image (with its texture map,
// GetTexCoordTransform of the face) is drawn on the panel. Outside a GL section, while
// a page is printed (render/PrintPage.h), the panels' outlines are drawn on it instead,
// the corners given in its device units.
void DrawGeomagModel(int sides, const double* corners, const double* normal, const float* colour,
                     const FaceImage* image = nullptr, const Transform3D* textureTransform = nullptr,
                     const float* rodColour = nullptr);
// A rod from `from` to `to` of the radius, shortened by trim at each end: a tube of 12
// sides with rounded ends, in the colour.
void DrawGeomagRod(const double* from, const double* to, const float* colour, double radius, double trim);

// While one lives (the first of nested ones), the rods drawn in the current view are
// gathered and drawn together when it ends, in the GL state of its end: hold one round
// a loop that draws many rods in one state. A pick draws each rod alone, under its name.
class GeomagRodBatch {
 public:
  GeomagRodBatch();
  ~GeomagRodBatch();
  GeomagRodBatch(const GeomagRodBatch&) = delete;
  GeomagRodBatch& operator=(const GeomagRodBatch&) = delete;

 private:
  bool mOpened = false;
};

// Rods drawn and the draw calls that drew them, in the contexts there are since each
// was made.
struct GeomagDrawStatistics {
  long long rods = 0;
  long long draws = 0;
};
GeomagDrawStatistics GetGeomagDrawStatistics();

}  // namespace corvia
