#pragma once
// The flat panels of the Geomag construction toy: which faces can be one (the
// shapes it makes, with rods of unit length as edges), their five colours, and the
// panels, extra rods and extra balls that build one face of each size. The model's
// kit check, the facet model's part counts and the toy's display style share them.

#include <cstdint>

namespace corvia {

// Panel shapes, in the order of the part tables.
constexpr int kGeomagTriangle = 0;
constexpr int kGeomagSquare = 1;
constexpr int kGeomagRhombus = 2;  // corners of 60 and 120 degrees
constexpr int kGeomagPentagon = 3;
constexpr int kGeomagPanelShapes = 4;

// Panel colours: "Red", "Yellow", "Blue", "Green", "Clear".
constexpr int kGeomagPanelRed = 0;
constexpr int kGeomagPanelYellow = 1;
constexpr int kGeomagPanelBlue = 2;
constexpr int kGeomagPanelGreen = 3;
constexpr int kGeomagPanelClear = 4;
constexpr int kGeomagPanelColors = 5;

// Faces of more sides than this are never panels.
constexpr int kGeomagMaxPanelSides = 12;

// Whether the polygon of `sides` corners (x, y, z each; unit edges) with the unit
// normal can be built from the toy's panels: 3, 4, 5, 6, 8, 10 or 12 sides, every
// edge of length 1, every corner turning by 2 pi / sides about the normal (a
// quadrilateral with 60 and 120 degree corners is a rhombus). isRhombus (may be
// null) tells a rhombus from a square. The corners are not changed: firstCorner
// (may be null) is the corner a panel's outline starts from, 1 for a rhombus whose
// corner 0 is obtuse, else 0.
bool CanMakeGeomagPanel(int sides, const double* corners, const double* normal, bool* isRhombus,
                        int* firstCorner = nullptr);

// The index of the panel colour that the colour is after rounding to bytes; -1 for
// none of them.
int FindGeomagPanelColor(const float* rgb);
// Panel colour i as floats; false outside 0 to 4.
bool GetGeomagPanelColor(int i, float* rgb);

// What one face of a given size is built from: panels by shape, and the extra rods
// and balls that hold a large face's panels together.
struct GeomagFaceParts {
  int panels[kGeomagPanelShapes] = {0, 0, 0, 0};
  int extraRods = 0;
  int extraBalls = 0;
};
// The parts of a face of `sides` sides (a four-sided face is a rhombus or a square);
// false, with no parts, for a size the toy does not build.
bool GetGeomagFaceParts(int sides, bool rhombus, GeomagFaceParts& parts);

}  // namespace corvia
