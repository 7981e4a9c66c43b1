#pragma once
// ViewFrames: what a view measures of the frames it swaps into its window: how long the
// last one took, whether it drew some of its model afresh rather than from what the
// drawing keeps between frames (render/FaceMeshCache.h), and how many were swapped.

namespace corvia {

class OpenGLView;

class ViewFrames {
 public:
  // Frames swapped into the window since the view was made, and how many of them
  // were drawn afresh.
  struct Counts {
    unsigned swapped = 0;
    unsigned afresh = 0;
  };

  // How long the last frame drawn into the window took, from the start of the paint
  // to the swap (seconds; 0 before the first).
  double GetLastFrameSeconds() const { return mLastFrameSeconds; }
  // Whether the last frame drew some of its model afresh; the model drawing notes it.
  bool WasLastFrameDrawnAfresh() const { return mLastFrameAfresh; }
  void NoteFrameDrawnAfresh() { mFrameAfresh = true; }
  Counts GetFrameCounts() const { return mCounts; }

  // The view's paint: a frame begins, and it was swapped into the window after the
  // seconds given.
  void StartFrame() { mFrameAfresh = false; }
  void NoteSwap(double seconds) {
    mLastFrameSeconds = seconds;
    mLastFrameAfresh = mFrameAfresh;
    ++mCounts.swapped;
    if (mFrameAfresh) ++mCounts.afresh;
  }

 private:
  double mLastFrameSeconds = 0.0;
  bool mFrameAfresh = false;
  bool mLastFrameAfresh = false;
  Counts mCounts;
};

}  // namespace corvia
