#pragma once
// The construction-toy display style ("Display > Geomag > Geomag Style"): switching it
// on puts its own vertex, edge and sphere settings in place of the user's (which wait
// until it goes off again), colours the faces with the toy's panel colours and lets
// the panes say whether the model can be built. Also the toy's rod colours (the
// "Geomag Edge Style" items), the names of its panel shapes and the colour chooser
// that offers only panel colours while the style is on. The flag itself is GeomagStyle
// (model/ColorSchemes.h); the panels and their colours are model/GeomagPanels.h.

#include <cstdint>
#include <string>
#include <vector>

namespace corvia {

// The rod colours, one per "Geomag Edge Style" item, packed as 0x00BBGGRR.
constexpr int kGeomagRodColors = 11;
// Rod colour i; 0 outside 0 to 10.
uint32_t GetGeomagRodColor(int i);
// The index of the rod colour exactly equal to the packed colour; -1 for none.
int FindGeomagRodColor(uint32_t packed);
// The menu name of rod colour i ("Yellow" ... "Pastel Sky"); "" outside 0 to 10.
const char* GetGeomagRodColorName(int i);
// The rod colour chosen with "Geomag Edge Style" (0 to 10), and its choice.
int GetGeomagRodStyle();
void SetGeomagRodStyle(int style);
// The colour a rod is drawn in: the edge's own colour when it is a rod colour (an edge
// coloured from the rod colours keeps it), else the chosen rod colour.
void GetGeomagRodDrawColor(const float* edgeColour, float* rgb);
// The name of panel colour i ("Red", "Yellow", "Blue", "Green", "Clear"); "" outside.
const char* GetGeomagPanelColorName(int i);
// "Triangle", "Square", "Rhombus", "Pentagon" (plural with singular false); "Unknown"
// for any other shape.
const char* GetGeomagPanelName(int shape, bool singular);

// The display settings the style replaces.
struct GeomagStyleRecord {
  bool on = false;
  bool showVerts = false;
  bool showEdges = false;
  bool spheresAndCylinders = false;
  int sphereRadBasedOn = 0;
  double sphereRad = 0.4;
  double cylinderRad = 0.7;
};
// The style's own values: vertices and edges shown as spheres and cylinders, balls 0.17
// of the edge length, rods 0.55 of the balls (0.0935 of the edge).
GeomagStyleRecord GetGeomagStyleValues();

// Nothing when unchanged. On: the user's settings are kept aside, the style's put in
// place, the current model coloured with panel colours, the information marked and
// every pane redrawn with its caption; the caller has the panes check the model's
// buildability then. Off: the user's settings come back and every pane's message is
// cleared.
void SetGeomagStyle(bool on);
// While the style is on: its settings (as they are now) are kept aside and the user's
// put back, the style counted off. True when it did. Around saving the settings, the
// exports that must not show the toy, and panes that show the user's settings.
bool SuspendGeomagStyle();
// Puts the style back after SuspendGeomagStyle answered true.
void ResumeGeomagStyle(bool wasSuspended);

// The choice of a row of a table with a colour swatch per row (the "Table" dialog):
// the chosen row, or a negative value when cancelled. Without one installed the table
// dialog of the dialogs' front end asks.
using ColorTableChooser = int (*)(const char* title, const std::vector<std::string>& headers,
                                  const std::vector<std::string>& cells, const std::vector<uint32_t>& colours,
                                  int initialRow);
ColorTableChooser SetColorTableChooser(ColorTableChooser chooser);

// "Choose a Geomag color": one row per panel colour, the current one chosen at first.
// A chosen row sets the colour (RGB floats); false when cancelled.
bool ChooseGeomagColor(float* rgb);
// The colour chooser of the program's colour commands: once the panes waiting for a
// paint are painted, the toy's panel colours while the style is on (and the caller
// allows them), else the standard colour dialog. False when cancelled.
bool PickColor(float* rgb, bool allowToyColours);
// The same on a packed colour.
bool PickColorRGB(uint32_t* packed, bool allowToyColours);

// The construction-toy style's two sets of replaced settings and the rod colour chosen
// (render/GeomagStyle.h).
struct GeomagStylePreferences {
  // The user's settings while the style is on, and the style's while it is suspended.
  GeomagStyleRecord user;
  GeomagStyleRecord style;
  int rodStyle = 0;
};

// The program's (render/DrawingPreferences.h).
GeomagStylePreferences& GetGeomagStylePreferences();

}  // namespace corvia
