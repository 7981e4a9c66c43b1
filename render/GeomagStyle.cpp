#include "render/GeomagStyle.h"

#include <string>
#include <vector>

#include "core/Globals.h"
#include "core/Messages.h"
#include "core/RainbowColor.h"
#include "core/TableDialog.h"
#include "model/ColorSchemes.h"
#include "model/GeomagPanels.h"
#include "model/Globals.h"
#include "model/Poly.h"
#include "platform/Services.h"
#include "render/ModelDrawSettings.h"
#include "render/NewView.h"

namespace corvia {

namespace detail_GeomagStyle {

struct RodColour {
  const char* name;
  uint32_t packed;  // 0x00BBGGRR
};

constexpr uint32_t Pack(uint32_t r, uint32_t g, uint32_t b) { return r | (g << 8) | (b << 16); }

constexpr RodColour kRodColours[kGeomagRodColors] = {
    {"Yellow", Pack(0xD9, 0xBF, 0x00)},          {"Red", Pack(0xCC, 0x00, 0x00)},
    {"Green", Pack(0x00, 0x80, 0x00)},           {"Blue", Pack(0x1A, 0x1A, 0xB3)},
    {"Metallic Blue", Pack(0x66, 0x66, 0xCC)},   {"Metallic Silver", Pack(0xCC, 0xCC, 0xCC)},
    {"Glow in the Dark", Pack(0xA0, 0xA0, 0xA0)}, {"Pastel Lemon", Pack(0xFF, 0xD9, 0x66)},
    {"Pastel Musk", Pack(0xFF, 0xA1, 0xAE)},     {"Pastel Mauve", Pack(0xBF, 0x99, 0xB3)},
    {"Pastel Sky", Pack(0xDB, 0xD6, 0xF2)},
};

constexpr const char* kPanelColourNames[kGeomagPanelColors] = {"Red", "Yellow", "Blue", "Green", "Clear"};
constexpr const char* kPanelNames[kGeomagPanelShapes][2] = {
    {"Triangles", "Triangle"}, {"Squares", "Square"}, {"Rhombi", "Rhombus"}, {"Pentagons", "Pentagon"}};

// The chooser installed in place of the table dialog (a scripted test's). One for the
// process, as the dialogs' front end it stands in for is.
ColorTableChooser gChooser = nullptr;

// The table dialog of the dialogs' front end, when no other chooser is installed.
int RunTableDialog(const char* title, const std::vector<std::string>& headers, const std::vector<std::string>& cells,
                   const std::vector<uint32_t>& colours, int initialRow) {
  const int columns = static_cast<int>(headers.size());
  if (columns <= 0) return -1;
  CTableDialog dialog(title, columns, static_cast<int>(cells.size()) / columns, headers, cells, colours, initialRow);
  return dialog.DoModal();
}

GeomagStyleRecord Current() {
  const ModelDrawSettings& s = GetModelDrawSettings();
  GeomagStyleRecord r;
  r.on = GeomagStyle;
  r.showVerts = s.showVerts;
  r.showEdges = s.showEdges;
  r.spheresAndCylinders = s.spheresAndCylinders;
  r.sphereRadBasedOn = s.sphereRadBasedOn;
  r.sphereRad = s.sphereRad;
  r.cylinderRad = s.cylinderRad;
  return r;
}

void Apply(const GeomagStyleRecord& r) {
  ModelDrawSettings& s = GetModelDrawSettings();
  s.showVerts = r.showVerts;
  s.showEdges = r.showEdges;
  s.spheresAndCylinders = r.spheresAndCylinders;
  s.sphereRadBasedOn = r.sphereRadBasedOn;
  s.sphereRad = r.sphereRad;
  s.cylinderRad = r.cylinderRad;
  GeomagStyle = r.on;
}

// What changes with the style: the information tree's parts that show it.
constexpr unsigned kInfoAll = 15;

}  // namespace detail_GeomagStyle

uint32_t GetGeomagRodColor(int i) {
  return i >= 0 && i < kGeomagRodColors ? detail_GeomagStyle::kRodColours[i].packed : 0;
}

int FindGeomagRodColor(uint32_t packed) {
  for (int i = 0; i < kGeomagRodColors; ++i) {
    if (detail_GeomagStyle::kRodColours[i].packed == packed) return i;
  }
  return -1;
}

int GetGeomagRodStyle() {
  return GetGeomagStylePreferences().rodStyle;
}

void SetGeomagRodStyle(int style) {
  if (style >= 0 && style < kGeomagRodColors) GetGeomagStylePreferences().rodStyle = style;
}

void GetGeomagRodDrawColor(const float* edgeColour, float* rgb) {
  const int own = edgeColour ? FindGeomagRodColor(PackRainbowColor(edgeColour)) : -1;
  UnpackRainbowColor(GetGeomagRodColor(own >= 0 ? own : GetGeomagRodStyle()), rgb);
}

const char* GetGeomagRodColorName(int i) {
  return i >= 0 && i < kGeomagRodColors ? detail_GeomagStyle::kRodColours[i].name : "";
}

const char* GetGeomagPanelColorName(int i) {
  return i >= 0 && i < kGeomagPanelColors ? detail_GeomagStyle::kPanelColourNames[i] : "";
}

const char* GetGeomagPanelName(int shape, bool singular) {
  if (shape < 0 || shape >= kGeomagPanelShapes) return "Unknown";
  return detail_GeomagStyle::kPanelNames[shape][singular ? 1 : 0];
}

GeomagStyleRecord GetGeomagStyleValues() {
  GeomagStyleRecord r;
  r.on = true;
  r.showVerts = true;
  r.showEdges = true;
  r.spheresAndCylinders = true;
  r.sphereRadBasedOn = 1;
  r.sphereRad = 0.17;
  r.cylinderRad = 0.55;
  return r;
}

void SetGeomagStyle(bool on) {
  using namespace detail_GeomagStyle;
  if (on == GeomagStyle) return;
  GeomagStylePreferences& kept = GetGeomagStylePreferences();
  if (on) {
    kept.user = Current();
    kept.style = GetGeomagStyleValues();
    Apply(kept.style);
    AssignGeomagPanelColorsToModel(GetCurrentPoly());
  } else {
    GeomagStyleRecord user = kept.user;
    user.on = false;
    Apply(user);
    // The panels' colours belong to the style: the model shows its own colours again,
    // those it had and those the user gave it since.
    GiveBackGeomagPanelColors(GetCurrentPoly());
    ClearAllViewMessages();
  }
  platform::Services().views->InvalidateInfo(kInfoAll);
  RedrawAllViews(true, false);
}

bool SuspendGeomagStyle() {
  using namespace detail_GeomagStyle;
  if (!GeomagStyle) return false;
  GeomagStylePreferences& kept = GetGeomagStylePreferences();
  kept.style = Current();
  GeomagStyleRecord user = kept.user;
  user.on = false;
  Apply(user);
  return true;
}

void ResumeGeomagStyle(bool wasSuspended) {
  using namespace detail_GeomagStyle;
  if (!wasSuspended) return;
  GeomagStylePreferences& kept = GetGeomagStylePreferences();
  kept.user = Current();
  kept.style.on = true;
  Apply(kept.style);
}

ColorTableChooser SetColorTableChooser(ColorTableChooser chooser) {
  ColorTableChooser previous = detail_GeomagStyle::gChooser;
  detail_GeomagStyle::gChooser = chooser;
  return previous;
}

bool ChooseGeomagColor(float* rgb) {
  using namespace detail_GeomagStyle;
  if (!rgb) return false;
  std::vector<std::string> cells;
  std::vector<uint32_t> colours;
  for (int i = 0; i < kGeomagPanelColors; ++i) {
    float c[3];
    GetGeomagPanelColor(i, c);
    colours.push_back(PackRainbowColor(c));
    cells.emplace_back("");
    cells.emplace_back(kPanelColourNames[i]);
  }
  const ColorTableChooser chooser = gChooser ? gChooser : &RunTableDialog;
  const int row = chooser("Choose a Geomag color", {"Color", "Name"}, cells, colours, FindGeomagPanelColor(rgb));
  if (row < 0 || row >= kGeomagPanelColors) return false;
  return GetGeomagPanelColor(row, rgb);
}

bool PickColor(float* rgb, bool allowToyColours) {
  UpdateAllViewsNow();
  if (GeomagStyle && allowToyColours) return ChooseGeomagColor(rgb);
  return ChooseColorDialog(rgb);
}

bool PickColorRGB(uint32_t* packed, bool allowToyColours) {
  if (!packed) return false;
  float rgb[3];
  UnpackRainbowColor(*packed, rgb);
  if (!PickColor(rgb, allowToyColours)) return false;
  *packed = PackRainbowColor(rgb);
  return true;
}

}  // namespace corvia
