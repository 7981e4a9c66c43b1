#pragma once
// The program-wide display options of the panes beside those of the model drawing
// (render/ModelDrawSettings.h): the colours of spheres and cylinders, of the panes'
// texts and of the midsphere, the background image, and the automatic choice of the
// coplanar method. The settings store keeps them between runs under the names given
// beside each.

#include <cstdint>
#include <string>

namespace corvia {

// Material kinds of spheres and cylinders ("SphereMaterial", "CylinderMaterial").
constexpr int kMaterialPlain = 0;      // the sphere or cylinder colour
constexpr int kMaterialEdgeColor = 1;  // the edge colour (each element's own)
constexpr int kMaterialGold = 2;
constexpr int kMaterialSilver = 3;
constexpr int kMaterialCopper = 4;
constexpr int kMaterialTextured = 5;
constexpr int kMaterialGlass = 6;

// Fits of the background image ("BGImageFit").
constexpr int kImageFitWithin = 0;
constexpr int kImageFitAround = 1;
constexpr int kImageFitWidth = 2;
constexpr int kImageFitHeight = 3;
constexpr int kImageFitStretch = 4;
constexpr int kImageFitActualSize = 5;

struct DisplaySettings {
  bool shareMaterial = false;         // "ShareMaterial": spheres and cylinders alike
  float sphereColor[3] = {1.0f, 1.0f, 0.8f};    // "SphereColor"
  float cylinderColor[3] = {1.0f, 1.0f, 0.8f};  // "CylinderColor"
  float titleColor[3] = {1.0f, 1.0f, 1.0f};     // "TitleColor": texts in the panes
  float midsphereColor[3] = {0.0f, 0.7f, 1.0f};  // "MidsphereColor"
  std::string bgImage;                // "BGImage": none when empty
  int bgImageFit = kImageFitWithin;   // "BGImageFit"
  int bgImageAlpha = 0;               // "BGImageAlpha"
  bool autoStencil = true;            // "AutoStencil": the stencil except when too slow
  bool hideFacetingDiagram = true;    // "HideFacetingDiagram"
  bool hideFacetingVertices = true;   // "HideFacetingVertices"
  // "Display > Show Midsphere/Reciprocation Sphere".
  bool showMidsphere = false;
  // A new background colour that is dark on every channel makes the pane texts white,
  // one that is light black.
  bool autoTitleColor = true;
  // How translucent surfaces are drawn: 1 screen-door (fast), 2 blending.
  int transparencyType = 1;
  // "Options > Diagnostic Mode > Show Frame Time": each pane shows how long its last
  // frame took (not kept between runs).
  bool showFrameTime = false;
};

DisplaySettings& GetDisplaySettings();

}  // namespace corvia
