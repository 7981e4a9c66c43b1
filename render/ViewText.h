#pragma once
// ViewText: the bitmap texts and labels of one view. It keeps the view's bitmap font,
// made at the view's font scale (printing and image export raise the scale for the
// duration), and draws text at model points, at window points, in filled boxes and in
// the pane's corners. It draws into the view's open GL section with the view's
// colours and transparency.

#include <cstdint>
#include <memory>

#include "render/NewView.h"

namespace corvia {

class BitmapFont;
class OpenGLView;
class ViewMaterials;
class ViewStereo;

class ViewText {
 public:
  ViewText(OpenGLView& view, const ViewArea& area, const ViewStereo& stereo, ViewMaterials& materials);
  ~ViewText();
  ViewText(const ViewText&) = delete;
  ViewText& operator=(const ViewText&) = delete;

  // Makes the font afresh (a freshly made context).
  void MakeFont();

  void DrawText3D(const char* text, const double* point);
  void DrawText2D(const char* text, double x, double y, bool centred);
  void DrawText2Dv(const char* text, const double* point, bool centred) {
    DrawText2D(text, point[0], point[1], centred);
  }
  // Width of the widest line and lines x line height, in pixels.
  void MeasureText(const char* text, int& width, int& height);
  int GetLineHeight();
  // Text in a filled box at window pixel (x, y) (GL window coordinates, y up); flag 1
  // centres it on x, flag 2 on y. Returns the box.
  PixelRect DrawTextBox(int x, int y, const char* text, const float* rgb, unsigned flags, float alpha);
  // Placement 0 top, 1 three lines below the top, 2 bottom, 3 centred vertically.
  PixelRect DrawCornerText(int placement, const char* text, const float* rgb, int dx, int dy, float alpha);
  // Three axes from the origin in red, green and blue, with the label at the origin.
  void DrawAxes(const char* label, const double* origin, const double* xAxis, const double* yAxis, const double* zAxis,
                double length, const float* labelColor);

  void SetFontScale(int scale) { mFontScale = scale; }
  int GetFontScale() const { return mFontScale; }

  // The texts drawn at a fixed screen size (DrawGLScreenText) in this view.
  void CountScreenText() { ++mScreenTexts; }
  uint64_t GetScreenTextCount() const { return mScreenTexts; }

 private:
  BitmapFont* Font();

  OpenGLView& mView;
  const ViewArea& mArea;
  const ViewStereo& mStereo;
  ViewMaterials& mMaterials;
  std::unique_ptr<BitmapFont> mFont;
  int mFontScale = 1;
  int mFontMadeScale = 0;
  uint64_t mScreenTexts = 0;
};

}  // namespace corvia
