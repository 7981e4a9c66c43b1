// OpenGLView: lighting, colours, materials, transparency, culling, stencil and the
// stereo colour filters. Drawing code sets all of these through the current view,
// which remembers what it gave GL last and skips what would change nothing.

#include <algorithm>
#include <vector>

#include "core/Messages.h"
#include "render/FaceMeshCache.h"
#include "render/GL.h"
#include "render/GLErrors.h"
#include "render/GLSection.h"
#include "render/LightSets.h"
#include "render/OpenGLView.h"

namespace corvia {

namespace detail_Lighting {

struct StereoSetting {
  StereoKind kind;
  int leftEye;
  bool eye1[3];
  bool eye2[3];
  float weights[3];
};

constexpr bool kRed[3] = {true, false, false};
constexpr bool kGreen[3] = {false, true, false};
constexpr bool kBlue[3] = {false, false, true};
constexpr bool kCyan[3] = {false, true, true};
constexpr bool kAll[3] = {true, true, true};

#define CORVIA_MASK(m) {m[0], m[1], m[2]}
const StereoSetting kStereoSettings[kNumStereoModes] = {
    {StereoKind::None, 1, CORVIA_MASK(kAll), CORVIA_MASK(kAll), {1, 1, 1}},
    {StereoKind::SideBySide, 1, CORVIA_MASK(kAll), CORVIA_MASK(kAll), {1, 1, 1}},
    {StereoKind::SideBySide, 2, CORVIA_MASK(kAll), CORVIA_MASK(kAll), {1, 1, 1}},
    {StereoKind::Anaglyph, 1, CORVIA_MASK(kRed), CORVIA_MASK(kCyan), {0.8f, 0.6f, 1.0f}},
    {StereoKind::Anaglyph, 1, CORVIA_MASK(kRed), CORVIA_MASK(kBlue), {0.8f, 0.0f, 1.0f}},
    {StereoKind::Anaglyph, 1, CORVIA_MASK(kRed), CORVIA_MASK(kGreen), {0.8f, 0.8f, 0.0f}},
    {StereoKind::Anaglyph, 1, CORVIA_MASK(kCyan), CORVIA_MASK(kRed), {0.8f, 0.6f, 1.0f}},
    {StereoKind::Anaglyph, 1, CORVIA_MASK(kBlue), CORVIA_MASK(kRed), {0.8f, 0.0f, 1.0f}},
    {StereoKind::Anaglyph, 1, CORVIA_MASK(kGreen), CORVIA_MASK(kRed), {0.8f, 0.8f, 0.0f}},
};
#undef CORVIA_MASK

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

// The coplanar stencil: the step each nesting level is in; level k marks bit k.
std::vector<int> gStencilSteps;

GLuint StencilBit(int level) {
  const int bits = std::max(GetGLAbilities().stencilBits, 1);
  return 1u << std::min(level, bits - 1);
}

float Largest(const float* c) { return std::max({c[0], c[1], c[2]}); }

}  // namespace detail_Lighting

// ---- Lighting and default materials -----------------------------------------------------

bool SetLighting(OpenGLView* view, bool on) {
  if (!view) return false;
  const bool previous = view->mLighting;
  view->mLighting = on;
  if (OpenGLView::GetCurrent() == view) {
    if (view->mIs3D && on) {
      glEnable(GL_LIGHTING);
    } else {
      glDisable(GL_LIGHTING);
    }
  }
  return previous;
}

void OpenGLView::InitMaterials() {
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
  CreateBuiltInLightSets();
  // Each set numbers its own lights: a set is never enabled together with another.
  for (LightSet* set : {FindLightSet("Default"), FindLightSet("Rainbow"), GetCurrentLightSet()}) {
    if (set) set->AssignGLLights(a.maxLights);
  }
  SetLighting(this, mLighting);
  CheckGLError("InitMaterials");
}

// ---- Colours and materials -----------------------------------------------------------------

void OpenGLView::SetColor(float r, float g, float b) {
  if (mStereoKind == StereoKind::Anaglyph) {
    const float v = mPrinting ? 0.0f : 1.0f;
    glColor3f(v, v, v);
    return;
  }
  glColor3f(r, g, b);
}

void OpenGLView::SetColor4(float r, float g, float b, float a) {
  float c[4] = {r, g, b, a};
  FilterColor4(c);
  glColor4fv(c);
}

void OpenGLView::FilterColor4(float* rgba) const {
  if (mStereoKind == StereoKind::Anaglyph) {
    const float v = mPrinting ? 0.0f : 1.0f;
    rgba[0] = rgba[1] = rgba[2] = v;
  }
}

bool OpenGLView::FilterMaterialColor(const float* rgb, float alpha, float* out) const {
  float* c = out;
  c[0] = rgb[0];
  c[1] = rgb[1];
  c[2] = rgb[2];
  c[3] = alpha;
  if ((GetRainbowFlags() & kRainbowColors) && mIs3D) c[0] = c[1] = c[2] = detail_Lighting::Largest(c);
  if (mStereoKind == StereoKind::Anaglyph) {
    if (!mIs3D) return false;
    const float m = detail_Lighting::Largest(c);
    for (int i = 0; i < 3; ++i) c[i] = m * mAnaglyphWeights[i];
  }
  return mIs3D && mLighting;
}

void OpenGLView::SetMaterialColorAlphav(const float* rgb, float alpha) {
  NoteFaceMeshMaterial(rgb, alpha);
  float c[4];
  if (FilterMaterialColor(rgb, alpha, c)) {
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, c);
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, c);
  } else {
    glColor4fv(c);
  }
}

void OpenGLView::SetMaterialColor(const float* rgb) { SetMaterialColorAlphav(rgb, 1.0f); }

void OpenGLView::SetMaterialColorRGB(float r, float g, float b) {
  const float c[3] = {r, g, b};
  SetMaterialColorAlphav(c, 1.0f);
}

void OpenGLView::SetMaterialColorRef(uint32_t colorref) {
  const float c[3] = {static_cast<float>(colorref & 0xFF) / 255.0f, static_cast<float>((colorref >> 8) & 0xFF) / 255.0f,
                      static_cast<float>((colorref >> 16) & 0xFF) / 255.0f};
  SetMaterialColorAlphav(c, 1.0f);
}

void OpenGLView::SetMaterialColorAlpha(const float* rgba) { SetMaterialColorAlphav(rgba, rgba[3]); }

void OpenGLView::SetMaterialColorRGBA(float r, float g, float b, float a) {
  const float c[3] = {r, g, b};
  SetMaterialColorAlphav(c, a);
}

void OpenGLView::SetMaterialColorEmissive(float r, float g, float b, float factor) {
  SetMaterialColorRGB(r, g, b);
  if (!(mIs3D && mLighting)) return;
  const GLfloat emission[4] = {r * factor, g * factor, b * factor, 1.0f};
  glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, emission);
}

void OpenGLView::ClearEmission() {
  if (!(mIs3D && mLighting)) return;
  const GLfloat black[4] = {0, 0, 0, 1};
  glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, black);
}

void OpenGLView::SetSpecular(float grey) {
  const GLfloat value[4] = {grey, grey, grey, 1.0f};
  glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, value);
}

// ---- Transparency, stipple, culling, depth writes -------------------------------------------

int OpenGLView::SetTransparencyMode(int mode) {
  const int previous = mTransparencyMode;
  if (mPicking || mode == previous) return previous;
  if (previous == kTransparencyScreenDoor) {
    glDisable(GL_POLYGON_STIPPLE);
  } else {
    glDisable(GL_BLEND);
  }
  switch (mode) {
    case kTransparencyScreenDoor:
      glPolygonStipple(detail_Lighting::kScreenDoor.bytes);
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

void OpenGLView::SetLineStipple(uint16_t pattern) {
  if (mPicking || pattern == mLineStipple) return;
  if (pattern == 0) {
    glDisable(GL_LINE_STIPPLE);
  } else {
    glEnable(GL_LINE_STIPPLE);
    glLineStipple(mLineStippleFactor, pattern);
  }
  mLineStipple = pattern;
}

int OpenGLView::SetCullMode(int mode) {
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

bool OpenGLView::SetDepthWrites(bool on) {
  const bool previous = mDepthWrites != 0;
  if (on == previous) return previous;
  glDepthMask(on ? GL_TRUE : GL_FALSE);
  mDepthWrites = on ? 1 : 0;
  return previous;
}

// ---- Rainbow lights around true colours ----------------------------------------------------

bool OpenGLView::SuspendRainbowLights(bool keepLit) {
  // The lights change in the middle of a drawing: that drawing cannot be kept.
  if (!keepLit) {
    SpoilFaceMeshRecording();
    glDisable(GL_LIGHTING);
    return true;
  }
  if (!AreRainbowLightsSelected()) return false;
  SpoilFaceMeshRecording();
  SelectRainbowLights(false);
  SetViewingMatrix(kMatrixProjection, true);
  return true;
}

void OpenGLView::ResumeRainbowLights(bool keepLit) {
  if (!keepLit) {
    SetLighting(this, mLighting);
    return;
  }
  SelectRainbowLights(true);
  SetViewingMatrix(kMatrixProjection, true);
}

// ---- Stereo ----------------------------------------------------------------------------------

void OpenGLView::SetStereoMode(int mode) {
  // Modes outside the table (GetStereoMode answers -1 for none) change nothing.
  if (mode < 0 || mode >= kNumStereoModes) return;
  const detail_Lighting::StereoSetting& s = detail_Lighting::kStereoSettings[mode];
  mStereoMode = mode;
  mStereoKind = s.kind;
  mLeftEye = s.leftEye;
  std::copy(s.eye1, s.eye1 + 3, mEyeColorMask[0]);
  std::copy(s.eye2, s.eye2 + 3, mEyeColorMask[1]);
  std::copy(s.weights, s.weights + 3, mAnaglyphWeights);
  if (GetCurrent() == this) {
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    if (mIs3D && mStereoKind == StereoKind::Anaglyph) SetMaterialColorRGB(1, 1, 1);
  }
  UpdateAspectRatio();
  mViewportStale = true;
  Invalidate(true);
}

int OpenGLView::GetStereoMode() const {
  for (int mode = 0; mode < kNumStereoModes; ++mode) {
    const detail_Lighting::StereoSetting& s = detail_Lighting::kStereoSettings[mode];
    if (s.kind != mStereoKind) continue;
    if (s.kind == StereoKind::None) return mode;
    if (s.kind == StereoKind::SideBySide && s.leftEye == mLeftEye) return mode;
    if (s.kind == StereoKind::Anaglyph && std::equal(s.eye1, s.eye1 + 3, mEyeColorMask[0]) &&
        std::equal(s.eye2, s.eye2 + 3, mEyeColorMask[1]) && std::equal(s.weights, s.weights + 3, mAnaglyphWeights)) {
      return mode;
    }
  }
  return -1;
}

void SetStereoModeAllViews(int mode) {
  for (NewView* v = NewView::GetFirstView(); v; v = v->GetNext()) {
    auto* view = dynamic_cast<OpenGLView*>(v);
    if (view && view->Is3D()) view->SetStereoMode(mode);
  }
}

void OpenGLView::ApplyStereoColorMask() {
  if (mStereoKind == StereoKind::Anaglyph && mCurrentEye != 0) {
    const bool* m = mEyeColorMask[mCurrentEye - 1];
    glColorMask(m[0], m[1], m[2], GL_TRUE);
  } else {
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  }
}

// ---- Coplanar stencil ------------------------------------------------------------------------

int GetCoplanarStencilDepth() { return static_cast<int>(detail_Lighting::gStencilSteps.size()); }

int GetCoplanarStencilStep() {
  return detail_Lighting::gStencilSteps.empty() ? 0 : detail_Lighting::gStencilSteps.back();
}

namespace detail_Lighting {

// The stencil, colour and depth state of a level in its step.
void ApplyStencilStep(int level, int step) {
  const GLuint bit = StencilBit(level);
  OpenGLView* view = OpenGLView::GetCurrent();
  glStencilMask(bit);
  if (step == 3) {
    glStencilFunc(GL_EQUAL, bit, bit);
    glStencilOp(GL_ZERO, GL_ZERO, GL_ZERO);
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    if (view) view->SetDepthWrites(false);
    return;
  }
  glStencilFunc(GL_NOTEQUAL, bit, bit);
  if (step == 1) {
    glStencilOp(GL_KEEP, GL_KEEP, GL_REPLACE);
  } else {
    glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
  }
  if (view) {
    view->ApplyStereoColorMask();
    view->SetDepthWrites(true);
  }
}

}  // namespace detail_Lighting

void PrepareCoplanarStencil(int step) {
  using namespace detail_Lighting;
  switch (step) {
    case 1: {
      if (gStencilSteps.empty()) glEnable(GL_STENCIL_TEST);
      if (static_cast<int>(gStencilSteps.size()) >= std::max(GetGLAbilities().stencilBits, 1)) {
        ShowInternalError("PrepareCoplanarStencil: nested more deeply than the stencil has bits");
      }
      gStencilSteps.push_back(1);
      ApplyStencilStep(static_cast<int>(gStencilSteps.size()) - 1, 1);
      break;
    }
    case 2:
    case 3:
      if (gStencilSteps.empty()) break;
      gStencilSteps.back() = step;
      ApplyStencilStep(static_cast<int>(gStencilSteps.size()) - 1, step);
      break;
    case 4: {
      if (gStencilSteps.empty()) {
        ShowInternalError("StencilUsedDepth < 0");
        break;
      }
      gStencilSteps.pop_back();
      if (!gStencilSteps.empty()) {
        // The enclosing level carries on where it was.
        ApplyStencilStep(static_cast<int>(gStencilSteps.size()) - 1, gStencilSteps.back());
        break;
      }
      glDisable(GL_STENCIL_TEST);
      glStencilMask(~0u);
      glStencilFunc(GL_ALWAYS, 0, 1);
      glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
      if (OpenGLView* view = OpenGLView::GetCurrent()) {
        view->ApplyStereoColorMask();
        view->SetDepthWrites(true);
      } else {
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glDepthMask(GL_TRUE);
      }
      break;
    }
    default:
      if (!gStencilSteps.empty()) gStencilSteps.back() = step;
      break;
  }
  CheckGLError("PrepareCoplanarStencil");
}

}  // namespace corvia
