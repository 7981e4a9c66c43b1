#pragma once
// The program's drawing preferences: how every pane of every frame draws models, nets,
// previews, images and texts. The settings store loads and saves them (ui/, app/), the
// menus change them, and the drawing code reads them through the accessors of each
// concern (GetDisplaySettings, GetModelDrawSettings, GetNetDrawSettings, ...), declared
// with the concern and defined with the one object here (DrawingPreferences.cpp), so
// that no concern depends on the others.

#include "render/DepthSortedTriangles.h"
#include "render/DisplaySettings.h"
#include "render/FaceImage.h"
#include "render/GLFont.h"
#include "render/GeomagStyle.h"
#include "render/ModelDrawSettings.h"
#include "render/NetDrawSettings.h"
#include "render/PreviewDrawing.h"
#include "render/TextureImage.h"

namespace corvia {

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
