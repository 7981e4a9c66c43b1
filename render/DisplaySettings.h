#pragma once
// The program-wide display options that the drawing of models reads: which vertices
// and edges are shown and how (points and lines, or spheres and cylinders with their
// materials), their sizes and colours, the colours of texts and of the midsphere, the
// background image, and how coplanar faces are kept apart. The settings store keeps
// them between runs under the names given beside each.

#include <cstdint>
#include <string>

namespace corvia {

// What the sphere radius is measured against ("SphereRadBasedOn").
constexpr int kSphereRadiusOfEdgeLength = 0;

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
  bool showVerts = false;             // "ShowVerts"
  bool showEdges = false;             // "ShowEdges"
  bool showStelVerts = false;         // "ShowStelVerts"
  bool showStelEdges = false;         // "ShowStelEdges"
  bool spheresAndCylinders = false;   // "SpheresAndCylinders"
  int sphereRadBasedOn = kSphereRadiusOfEdgeLength;  // "SphereRadBasedOn"
  double sphereRad = 0.4;             // "SphereRad"
  double cylinderRad = 0.7;           // "CylinderRad"
  bool shareMaterial = false;         // "ShareMaterial"
  int sphereMaterial = kMaterialGold;     // "SphereMaterial"
  int cylinderMaterial = kMaterialSilver;  // "CylinderMaterial"
  float vertSize = 3.0f;              // "VertSize", pixels
  float edgeWidth = 1.0f;             // "EdgeWidth", pixels
  float sphereColor[3] = {1.0f, 1.0f, 0.8f};    // "SphereColor"
  float cylinderColor[3] = {1.0f, 1.0f, 0.8f};  // "CylinderColor"
  float titleColor[3] = {1.0f, 1.0f, 1.0f};     // "TitleColor": texts in the panes
  float midsphereColor[3] = {0.0f, 0.7f, 1.0f};  // "MidsphereColor"
  std::string bgImage;                // "BGImage": none when empty
  int bgImageFit = kImageFitWithin;   // "BGImageFit"
  int bgImageAlpha = 0;               // "BGImageAlpha"
  bool useStencil = true;             // "UseStencil": coplanar faces through the stencil
  bool autoStencil = true;            // "AutoStencil"
  bool hideFacetingDiagram = true;    // "HideFacetingDiagram"
  bool hideFacetingVertices = true;   // "HideFacetingVertices"
};

DisplaySettings& GetDisplaySettings();

}  // namespace corvia
