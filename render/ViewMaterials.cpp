// ViewMaterials: the colours, materials and switches a view's drawing sets. Drawing
// code sets all of these through the current view's part, which remembers what it
// gave GL last and skips what would change nothing.

#include "render/ViewMaterials.h"

#include <algorithm>

#include "render/FaceMeshCache.h"
#include "render/GL.h"
#include "render/GLErrors.h"
#include "render/GLSection.h"
#include "render/LightSets.h"
#include "render/OpenGLView.h"
#include "render/ViewArea.h"

namespace corvia {

namespace detail_ViewMaterials {

// Even rows of four 0xAA bytes, odd rows empty: one pixel in four.
struct ScreenDoor {
  GLubyte bytes[128];
  ScreenDoor() {
    for (int row = 0; row < 32; ++row) {
      for (int k = 0; k < 4; ++k) bytes[row * 4 + k] = (row % 2 == 0) ? 0xAA : 0x00;
    }
  }
};
const ScreenDoor kScreenDoor;

float Largest(const float* c) {
  return std::max({c[0], c[1], c[2]});
}

}  // namespace detail_ViewMaterials

ViewMaterials::ViewMaterials(OpenGLView& view, const ViewArea& area, const ViewStereo& stereo, ViewGroup& group)
    : mView(view), mArea(area), mStereo(stereo), mGroup(group) {}

void ViewMaterials::ResetGLState() {
  glDisable(GL_CULL_FACE);
  mCullMode = kCullNone;
  glDepthMask(GL_TRUE);
  mDepthWrites = 1;
  glDisable(GL_BLEND);
  glDisable(GL_POLYGON_STIPPLE);
  mTransparencyMode = kTransparencyOpaque;
  glDisable(GL_LINE_STIPPLE);
  mLineStipple = 0;
}

void ViewMaterials::InitMaterials() {
  const GLAbilities& a = GetGLAbilities();
  glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 1);
  if (a.separateSpecular) glLightModeli(GL_LIGHT_MODEL_COLOR_CONTROL, GL_SEPARATE_SPECULAR_COLOR);
  const GLfloat black[4] = {0, 0, 0, 1};
  glLightModelfv(GL_LIGHT_MODEL_AMBIENT, black);
  const GLfloat diffuse[4] = {1, 1, 1, 1};
  const GLfloat ambient[4] = {0.2f, 0.2f, 0.2f, 1};
  const GLfloat specular[4] = {0.5f, 0.5f, 0.5f, 1};
  glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
  glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
  glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, black);
  glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 90.0f);
  // The pane's own frame's sets, whichever frame is installed.
  CreateBuiltInLightSets(mGroup);
  // Each set numbers its own lights: a set is never enabled together with another.
  for (LightSet* set : {FindLightSet(mGroup, "Default"), FindLightSet(mGroup, "Rainbow"), GetCurrentLightSet(mGroup)}) {
    if (set) set->AssignGLLights(a.maxLights);
  }
  SwitchLighting(mLighting);
  CheckGLError("InitMaterials");
}

bool ViewMaterials::SwitchLighting(bool on) {
  const bool previous = mLighting;
  mLighting = on;
  if (OpenGLView::GetCurrent() == &mView) {
    if (mArea.is3D && on) {
      glEnable(GL_LIGHTING);
    } else {
      glDisable(GL_LIGHTING);
    }
  }
  return previous;
}

// ---- Colours and materials -----------------------------------------------------------------

void ViewMaterials::SetColor(float r, float g, float b) {
  if (mStereo.GetStereoKind() == StereoKind::Anaglyph) {
    const float v = mView.IsPrinting() ? 0.0f : 1.0f;
    glColor3f(v, v, v);
    return;
  }
  glColor3f(r, g, b);
}

void ViewMaterials::SetColor4(float r, float g, float b, float a) {
  float c[4] = {r, g, b, a};
  FilterColor4(c);
  glColor4fv(c);
}

void ViewMaterials::FilterColor4(float* rgba) const {
  if (mStereo.GetStereoKind() == StereoKind::Anaglyph) {
    const float v = mView.IsPrinting() ? 0.0f : 1.0f;
    rgba[0] = rgba[1] = rgba[2] = v;
  }
}

bool ViewMaterials::FilterMaterialColor(const float* rgb, float alpha, float* out) const {
  float* c = out;
  c[0] = rgb[0];
  c[1] = rgb[1];
  c[2] = rgb[2];
  c[3] = alpha;
  if ((GetRainbowFlags(mGroup) & kRainbowColors) && mArea.is3D) c[0] = c[1] = c[2] = detail_ViewMaterials::Largest(c);
  if (mStereo.GetStereoKind() == StereoKind::Anaglyph) {
    if (!mArea.is3D) return false;
    const float m = detail_ViewMaterials::Largest(c);
    for (int i = 0; i < 3; ++i) c[i] = m * mStereo.GetAnaglyphWeights()[i];
  }
  return mArea.is3D && mLighting;
}

void ViewMaterials::SetMaterialColorAlphav(const float* rgb, float alpha) {
  NoteFaceMeshMaterial(rgb, alpha);
  float c[4];
  if (FilterMaterialColor(rgb, alpha, c)) {
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, c);
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, c);
  } else {
    glColor4fv(c);
  }
}

void ViewMaterials::SetMaterialColor(const float* rgb) {
  SetMaterialColorAlphav(rgb, 1.0f);
}

void ViewMaterials::SetMaterialColorRGB(float r, float g, float b) {
  const float c[3] = {r, g, b};
  SetMaterialColorAlphav(c, 1.0f);
}

void ViewMaterials::SetMaterialColorRef(uint32_t colorref) {
  const float c[3] = {static_cast<float>(colorref & 0xFF) / 255.0f, static_cast<float>((colorref >> 8) & 0xFF) / 255.0f,
                      static_cast<float>((colorref >> 16) & 0xFF) / 255.0f};
  SetMaterialColorAlphav(c, 1.0f);
}

void ViewMaterials::SetMaterialColorAlpha(const float* rgba) {
  SetMaterialColorAlphav(rgba, rgba[3]);
}

void ViewMaterials::SetMaterialColorRGBA(float r, float g, float b, float a) {
  const float c[3] = {r, g, b};
  SetMaterialColorAlphav(c, a);
}

void ViewMaterials::SetMaterialColorEmissive(float r, float g, float b, float factor) {
  SetMaterialColorRGB(r, g, b);
  if (!(mArea.is3D && mLighting)) return;
  const GLfloat emission[4] = {r * factor, g * factor, b * factor, 1.0f};
  glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, emission);
}

void ViewMaterials::ClearEmission() {
  if (!(mArea.is3D && mLighting)) return;
  const GLfloat black[4] = {0, 0, 0, 1};
  glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, black);
}

void ViewMaterials::SetSpecular(float grey) {
  const GLfloat value[4] = {grey, grey, grey, 1.0f};
  glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, value);
}

// ---- Transparency, stipple, culling, depth writes -------------------------------------------

int ViewMaterials::SetTransparencyMode(int mode) {
  const int previous = mTransparencyMode;
  if (mView.IsPicking() || mode == previous) return previous;
  if (previous == kTransparencyScreenDoor) {
    glDisable(GL_POLYGON_STIPPLE);
  } else {
    glDisable(GL_BLEND);
  }
  switch (mode) {
    case kTransparencyScreenDoor:
      glPolygonStipple(detail_ViewMaterials::kScreenDoor.bytes);
      glEnable(GL_POLYGON_STIPPLE);
      break;
    case kTransparencyBlended:
      glEnable(GL_BLEND);
      glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
      break;
    case kTransparencyAdditive:
      glEnable(GL_BLEND);
      glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_COLOR);
      break;
    default:
      break;
  }
  mTransparencyMode = mode;
  return previous;
}

void ViewMaterials::SetLineStipple(uint16_t pattern) {
  if (mView.IsPicking() || pattern == mLineStipple) return;
  if (pattern == 0) {
    glDisable(GL_LINE_STIPPLE);
  } else {
    glEnable(GL_LINE_STIPPLE);
    glLineStipple(mLineStippleFactor, pattern);
  }
  mLineStipple = pattern;
}

int ViewMaterials::SetCullMode(int mode) {
  const int previous = mCullMode;
  if (mode == previous) return previous;
  if (mode == kCullNone) {
    glDisable(GL_CULL_FACE);
  } else {
    glCullFace(mode == kCullFront ? GL_FRONT : GL_BACK);
    if (previous == kCullNone || previous < 0) glEnable(GL_CULL_FACE);
  }
  mCullMode = mode;
  return previous;
}

bool ViewMaterials::SetDepthWrites(bool on) {
  const bool previous = mDepthWrites != 0;
  if (on == previous) return previous;
  glDepthMask(on ? GL_TRUE : GL_FALSE);
  mDepthWrites = on ? 1 : 0;
  return previous;
}

// ---- Rainbow lights around true colours ----------------------------------------------------

bool ViewMaterials::SuspendRainbowLights(bool keepLit) {
  // The lights change in the middle of a drawing: that drawing cannot be kept.
  if (!keepLit) {
    SpoilFaceMeshRecording();
    glDisable(GL_LIGHTING);
    return true;
  }
  if (!AreRainbowLightsSelected(mGroup)) return false;
  SpoilFaceMeshRecording();
  SelectRainbowLights(mGroup, false);
  mView.SetViewingMatrix(kMatrixProjection, true);
  return true;
}

void ViewMaterials::ResumeRainbowLights(bool keepLit) {
  if (!keepLit) {
    SwitchLighting(mLighting);
    return;
  }
  SelectRainbowLights(mGroup, true);
  mView.SetViewingMatrix(kMatrixProjection, true);
}

}  // namespace corvia
