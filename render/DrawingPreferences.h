#pragma once
// The program's drawing preferences: how every pane of every frame draws models, nets,
// previews, images and texts. The settings store loads and saves them (ui/, app/), the
// menus change them, and the drawing code reads them through the accessors of each
// concern (GetDisplaySettings, GetModelDrawSettings, GetNetDrawSettings, ...), which
// are thin readers of the one object here.

#include <string>

#include "render/DisplaySettings.h"
#include "render/FaceImage.h"
#include "render/GLFont.h"
#include "render/GeomagStyle.h"
#include "render/ModelDrawSettings.h"
#include "render/NetDrawSettings.h"
#include "render/PreviewDrawing.h"
#include "render/TextureImage.h"

namespace corvia {

// How translucent and curved surfaces are cut and shaded before their triangles are
// sorted by depth (render/DepthSortedTriangles.h).
struct DepthSortSettings {
  // Curved projections of face images: the deepest subdivision of a triangle, and how
  // far the texture coordinates of an edge's mid-point may stray from the mean of its
  // ends' before the triangle is split.
  int subdivisionDepth = 4;
  double subdivisionTolerance = 0.05;
  // Multiplies the alpha of every sorted triangle.
  float alphaFactor = 1.0f;
};

// The construction-toy style's two sets of replaced settings and the rod colour chosen
// (render/GeomagStyle.h).
struct GeomagStylePreferences {
  // The user's settings while the style is on, and the style's while it is suspended.
  GeomagStyleRecord user;
  GeomagStyleRecord style;
  int rodStyle = 0;
};

// The font texts use when they name none, and the resolution fonts are made at
// (render/GLFont.h).
struct DefaultFontPreferences {
  std::string name = "Arial";
  int resolution = kDefaultFontResolution;
};

struct DrawingPreferences {
  DisplaySettings display;
  ModelDrawSettings model;
  NetDrawSettings nets;
  PreviewDrawOptions preview;
  TextureImageSettings textureImages;
  FaceImageSettings faceImages;
  DepthSortSettings depthSort;
  GeomagStylePreferences geomag;
  DefaultFontPreferences defaultFont;
};

// The preferences are one for the process, as the settings store they are read from and
// saved to is one: every frame's panes, the off-screen images and the printed pages
// draw with the same choices.
DrawingPreferences& GetDrawingPreferences();

}  // namespace corvia
