#pragma once
// ViewMaterials: what a view's drawing sets as it draws: the lighting switch, colours
// and materials (with the rainbow and anaglyph filters of the view), emission and
// specular, transparency, culling, depth writes and line stipple. It remembers what it gave GL last, so that
// setting the same again changes nothing, and forgets it when the view's GL state is
// put back into the context.

#include <cstdint>

namespace corvia {

class OpenGLView;
class ViewStereo;
struct ViewGroup;
struct ViewArea;

constexpr int kTransparencyOpaque = 0;
constexpr int kTransparencyScreenDoor = 1;
constexpr int kTransparencyBlended = 2;
constexpr int kTransparencyAdditive = 3;

constexpr int kCullNone = 0;
constexpr int kCullBack = 1;
constexpr int kCullFront = 2;

class ViewMaterials {
 public:
  // The group is the view's frame's, whose light sets the view is lit by.
  ViewMaterials(OpenGLView& view, const ViewArea& area, const ViewStereo& stereo, ViewGroup& group);
  ViewMaterials(const ViewMaterials&) = delete;
  ViewMaterials& operator=(const ViewMaterials&) = delete;

  // Culling, depth writes, blending and stipple off, as a freshly set-up context has them.
  void ResetGLState();
  // The default material and light model, and the built-in light sets.
  void InitMaterials();
  // The view's lighting switch (SetLighting of render/OpenGLView.h); inside the view's
  // GL section GL lighting follows it in 3D panes. Returns the previous switch.
  bool SwitchLighting(bool on);
  bool GetLighting() const { return mLighting; }
  void SetColor(float r, float g, float b);
  void SetColorv(const float* rgb) { SetColor(rgb[0], rgb[1], rgb[2]); }
  void SetColor4(float r, float g, float b, float a);
  void SetColor4v(const float* rgba) { SetColor4(rgba[0], rgba[1], rgba[2], rgba[3]); }
  // The colour SetColor4 would give GL, for drawing that sets colours per vertex.
  void FilterColor4(float* rgba) const;
  void SetMaterialColor(const float* rgb);
  void SetMaterialColorRGB(float r, float g, float b);
  void SetMaterialColorRef(uint32_t colorref);
  void SetMaterialColorAlpha(const float* rgba);
  void SetMaterialColorAlphav(const float* rgb, float a);
  // The colour SetMaterialColorAlphav gives GL (the rainbow and anaglyph filters
  // applied): true when it goes to the material (lit), false when to the colour.
  bool FilterMaterialColor(const float* rgb, float alpha, float* rgbaOut) const;
  void SetMaterialColorRGBA(float r, float g, float b, float a);
  void SetMaterialColorEmissive(float r, float g, float b, float factor);
  void ClearEmission();
  void SetSpecular(float grey);
  int SetTransparencyMode(int mode);
  int GetTransparencyMode() const { return mTransparencyMode; }
  void SetLineStipple(uint16_t pattern);
  void SetLineStippleFactor(int factor) { mLineStippleFactor = factor; }
  int SetCullMode(int mode);
  int GetCullMode() const { return mCullMode; }
  bool SetDepthWrites(bool on);
  bool SuspendRainbowLights(bool keepLit);
  void ResumeRainbowLights(bool keepLit);

 private:
  OpenGLView& mView;
  const ViewArea& mArea;
  const ViewStereo& mStereo;
  ViewGroup& mGroup;
  bool mLighting = true;
  // State last given to GL (-1: not known).
  int mCullMode = -1;
  int mDepthWrites = 1;
  int mTransparencyMode = kTransparencyOpaque;
  int mLineStipple = 0;
  int mLineStippleFactor = 1;
};

}  // namespace corvia
