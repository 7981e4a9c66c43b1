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

// The coplanar stencil: the step each nesting level is in; level k marks bit k.
std::vector<int> gStencilSteps;

GLuint StencilBit(int level) {
  const int bits = std::max(GetGLAbilities().stencilBits, 1);
  return 1u << std::min(level, bits - 1);
}

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
    if (mIs3D && mStereoKind == StereoKind::Anaglyph) mMaterials.SetMaterialColorRGB(1, 1, 1);
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
    if (view) view->Materials().SetDepthWrites(false);
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
    view->Materials().SetDepthWrites(true);
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
        view->Materials().SetDepthWrites(true);
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
