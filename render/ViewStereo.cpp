// ViewStereo: the stereo modes of a view and the eye being drawn.

#include "render/ViewStereo.h"

#include <algorithm>

#include "core/VectorMath.h"
#include "render/GL.h"
#include "render/OpenGLView.h"
#include "render/ViewArea.h"
#include "render/ViewCamera.h"

namespace corvia {

namespace detail_ViewStereo {

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

#define CORVIA_MASK(m) \
  { m[0], m[1], m[2] }
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

// The viewport of an eye in window pixels (x, y from the bottom, width, height).
void EyeViewport(int* vp, int width, int height, bool sideBySide, int eye, int leftEye) {
  vp[0] = 0;
  vp[1] = 0;
  vp[2] = std::max(width, 1);
  vp[3] = std::max(height, 1);
  if (!sideBySide || eye == 0) return;
  const int half = std::max(width / 2, 1);
  vp[0] = eye == leftEye ? 0 : half;
  vp[2] = half;
}

}  // namespace detail_ViewStereo

ViewStereo::ViewStereo(const ViewArea& area, ViewCamera& camera, OpenGLView* view)
    : mArea(area), mCamera(camera), mView(view) {}

void ViewStereo::SetStereoMode(int mode) {
  // Modes outside the table (GetStereoMode answers -1 for none) change nothing.
  if (mode < 0 || mode >= kNumStereoModes) return;
  const detail_ViewStereo::StereoSetting& s = detail_ViewStereo::kStereoSettings[mode];
  mStereoMode = mode;
  mStereoKind = s.kind;
  mLeftEye = s.leftEye;
  std::copy(s.eye1, s.eye1 + 3, mEyeColorMask[0]);
  std::copy(s.eye2, s.eye2 + 3, mEyeColorMask[1]);
  std::copy(s.weights, s.weights + 3, mAnaglyphWeights);
  if (mView && OpenGLView::GetCurrent() == mView) {
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    if (mArea.is3D && mStereoKind == StereoKind::Anaglyph) mView->Materials().SetMaterialColorRGB(1, 1, 1);
  }
  mCamera.UpdateAspectRatio();
  if (mView) mView->Invalidate(true);
}

int ViewStereo::GetStereoMode() const {
  for (int mode = 0; mode < kNumStereoModes; ++mode) {
    const detail_ViewStereo::StereoSetting& s = detail_ViewStereo::kStereoSettings[mode];
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

int ViewStereo::ViewportWidth() const {
  if (mArea.is3D && mStereoKind == StereoKind::SideBySide) return mArea.width / 2;
  return mArea.width;
}

void ViewStereo::EyeViewport(int* vp) const {
  detail_ViewStereo::EyeViewport(vp, mArea.width, mArea.height, mArea.is3D && mStereoKind == StereoKind::SideBySide,
                                 mCurrentEye, mLeftEye);
}

void ViewStereo::ApplyStereoColorMask() {
  if (mStereoKind == StereoKind::Anaglyph && mCurrentEye != 0) {
    const bool* m = mEyeColorMask[mCurrentEye - 1];
    glColorMask(m[0], m[1], m[2], GL_TRUE);
  } else {
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  }
}

void ViewStereo::UpdateEyeSeparation() {
  mEyeSeparation = Dot(mCamera.GetEye(), mCamera.GetViewAxis()) * mSeparationFactor / mFocalFactor;
}

}  // namespace corvia
