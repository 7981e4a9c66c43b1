#pragma once
// ViewStereo: the stereo mode of a view (none, side by side, or anaglyph with the
// colour channels of each eye and the weights that grey the colours for them), the eye
// being drawn and the separation of the eyes.

namespace corvia {

class OpenGLView;
class ViewCamera;
struct ViewArea;

// Stereo modes (Display > 3D Stereo Display).
constexpr int kStereoNone = 0;
constexpr int kStereoParallel = 1;
constexpr int kStereoCrossEyed = 2;
constexpr int kStereoRedCyan = 3;
constexpr int kStereoRedBlue = 4;
constexpr int kStereoRedGreen = 5;
constexpr int kStereoCyanRed = 6;
constexpr int kStereoBlueRed = 7;
constexpr int kStereoGreenRed = 8;
constexpr int kNumStereoModes = 9;

enum class StereoKind { None, SideBySide, Anaglyph };

class ViewStereo {
 public:
  // The view is the pane redrawn when the mode changes; null for stereo on its own.
  ViewStereo(const ViewArea& area, ViewCamera& camera, OpenGLView* view);
  ViewStereo(const ViewStereo&) = delete;
  ViewStereo& operator=(const ViewStereo&) = delete;

  // Modes outside kStereoNone..kStereoGreenRed change nothing; the view is redrawn.
  void SetStereoMode(int mode);
  // The mode whose setting the view has; -1 for none.
  int GetStereoMode() const;
  StereoKind GetStereoKind() const { return mStereoKind; }
  const float* GetAnaglyphWeights() const { return mAnaglyphWeights; }
  // The colour channels of the current eye (all open without anaglyph stereo).
  void ApplyStereoColorMask();
  double GetEyeSeparation() const { return mEyeSeparation; }
  // (eye . view axis) x separation factor / focal factor, before each draw.
  void UpdateEyeSeparation();
  // 0 for both (no stereo), 1 and 2 for the eyes.
  void SetCurrentEye(int eye) { mCurrentEye = eye; }
  int GetCurrentEye() const { return mCurrentEye; }
  // The eye (1 or 2) drawn in the left half side by side.
  int GetLeftEye() const { return mLeftEye; }
  // How far the first eye's frustum is shifted sideways at the near distance: the two
  // frusta share their window at the distance of the origin.
  double FrustumShift(double nearDistance) const { return nearDistance * mSeparationFactor / mFocalFactor; }
  // The width of the drawing area of one eye (half of it side by side in a 3D pane).
  int ViewportWidth() const;
  // The viewport of the eye drawn now, in pixels of the drawing area (x, y from the
  // bottom, width, height).
  void EyeViewport(int* vp) const;

 private:
  const ViewArea& mArea;
  ViewCamera& mCamera;
  OpenGLView* mView;
  int mStereoMode = kStereoNone;
  StereoKind mStereoKind = StereoKind::None;
  int mCurrentEye = 0;
  int mLeftEye = 1;
  bool mEyeColorMask[2][3] = {{true, true, true}, {true, true, true}};
  double mEyeSeparation = 0.0;
  double mSeparationFactor = 3.0;
  double mFocalFactor = 70.0;
  float mAnaglyphWeights[3] = {1, 1, 1};
};

}  // namespace corvia
