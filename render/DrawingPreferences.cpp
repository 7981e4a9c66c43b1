#include "render/DrawingPreferences.h"

namespace corvia {

DrawingPreferences& GetDrawingPreferences() {
  static DrawingPreferences preferences;
  return preferences;
}

// Each concern's accessor reads its part of the one object.
DisplaySettings& GetDisplaySettings() {
  return GetDrawingPreferences().display;
}
ModelDrawSettings& GetModelDrawSettings() {
  return GetDrawingPreferences().model;
}
NetDrawSettings& GetNetDrawSettings() {
  return GetDrawingPreferences().nets;
}
PreviewDrawOptions& GetPreviewDrawOptions() {
  return GetDrawingPreferences().preview;
}
TextureImageSettings& GetTextureImageSettings() {
  return GetDrawingPreferences().textureImages;
}
FaceImageSettings& GetFaceImageSettings() {
  return GetDrawingPreferences().faceImages;
}
DepthSortSettings& GetDepthSortSettings() {
  return GetDrawingPreferences().depthSort;
}
GeomagStylePreferences& GetGeomagStylePreferences() {
  return GetDrawingPreferences().geomag;
}
DefaultFontPreferences& GetDefaultFontPreferences() {
  return GetDrawingPreferences().defaultFont;
}

}  // namespace corvia
