// ViewText: the view's bitmap font and the texts drawn with it.

#include "render/ViewText.h"

#include <algorithm>
#include <string>
#include <vector>

#include "render/BitmapFont.h"
#include "render/GL.h"
#include "render/GLErrors.h"
#include "render/GLText.h"
#include "render/Matrix4.h"
#include "render/OpenGLView.h"
#include "render/Primitives.h"

namespace corvia {

ViewText::ViewText(OpenGLView& view, const ViewArea& area, const ViewStereo& stereo, ViewMaterials& materials)
    : mView(view), mArea(area), mStereo(stereo), mMaterials(materials) {}
ViewText::~ViewText() = default;

void ViewText::MakeFont() {
  mFont = BitmapFont::Create(kViewFontPixels * std::max(mFontScale, 1));
  mFontMadeScale = mFontScale;
}

BitmapFont* ViewText::Font() {
  if (!mFont || mFontMadeScale != mFontScale) MakeFont();
  return mFont.get();
}

int ViewText::GetLineHeight() {
  BitmapFont* font = Font();
  return font ? font->GetLineHeight() : kViewFontPixels * std::max(mFontScale, 1);
}

void ViewText::MeasureText(const char* text, int& width, int& height) {
  width = height = 0;
  std::vector<std::string> lines = SplitTextLines(text);
  BitmapFont* font = Font();
  if (font) {
    for (const std::string& line : lines) width = std::max(width, font->Advance(line));
  }
  height = static_cast<int>(lines.size()) * GetLineHeight();
}

void ViewText::DrawText3D(const char* text, const double* point) {
  if (!IsTextEnabled(mView.GetViewGroup()) || !text || !*text) return;
  BitmapFont* font = Font();
  if (!font) return;
  glRasterPos3dv(point);
  const int lineHeight = GetLineHeight();
  for (const std::string& line : SplitTextLines(text)) {
    font->Render(line);
    glBitmap(0, 0, 0, 0, 0, static_cast<GLfloat>(-lineHeight), nullptr);
  }
}

void ViewText::DrawText2D(const char* text, double x, double y, bool centred) {
  if (!IsTextEnabled(mView.GetViewGroup()) || !text || !*text) return;
  BitmapFont* font = Font();
  if (!font) return;
  const std::vector<std::string> lines = SplitTextLines(text);
  const int lineHeight = GetLineHeight();
  // Centred, the block of lines is centred on the point, each baseline a quarter line
  // above the bottom of its line.
  const int firstBaseline = centred ? static_cast<int>(lines.size()) * lineHeight / 2 - lineHeight + lineHeight / 4 : 0;
  glRasterPos2d(x, y);
  int at[2] = {0, 0};  // the raster position, in pixels from (x, y)
  for (size_t k = 0; k < lines.size(); ++k) {
    const int advance = font->Advance(lines[k]);
    const int start[2] = {centred ? -advance / 2 : 0, firstBaseline - static_cast<int>(k) * lineHeight};
    glBitmap(0, 0, 0, 0, static_cast<GLfloat>(start[0] - at[0]), static_cast<GLfloat>(start[1] - at[1]), nullptr);
    font->Render(lines[k]);
    at[0] = start[0];
    at[1] = start[1];
  }
}

PixelRect ViewText::DrawTextBox(int x, int y, const char* text, const float* rgb, unsigned flags, float alpha) {
  if (!IsTextEnabled(mView.GetViewGroup())) return PixelRect{};
  const std::vector<std::string> lines = SplitTextLines(text);
  if (lines.empty()) return PixelRect{};
  BitmapFont* font = Font();
  int width = 0, height = 0;
  MeasureText(text, width, height);
  const int lineHeight = GetLineHeight();
  if (flags & 1) x -= width / 2;
  if (flags & 2) y += (height + 6) / 2 - lineHeight;

  glDisable(GL_LIGHTING);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  const Matrix4 ortho =
      OrthoMatrix4(0, std::max(mStereo.ViewportWidth(), 1), 0, std::max(mArea.height, 1), -1, 1);
  glLoadMatrixd((mView.PickOrTileRegion() * ortho).m);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glDepthFunc(GL_ALWAYS);

  const int x0 = x - 2, x1 = x + width + 2;
  const int y0 = y + lineHeight - height - 6, y1 = y + lineHeight;
  const int previous = mMaterials.SetTransparencyMode(kTransparencyBlended);
  mMaterials.SetColor4(1.0f - rgb[0], 1.0f - rgb[1], 1.0f - rgb[2], alpha);
  glRecti(x0, y0, x1, y1);
  mMaterials.SetTransparencyMode(previous);
  mMaterials.SetColor(rgb[0], rgb[1], rgb[2]);
  if (font) {
    int baseline = y + lineHeight / 4;
    for (const std::string& line : lines) {
      glRasterPos2i(x, baseline);
      font->Render(line);
      baseline -= lineHeight;
    }
  }

  glDepthFunc(GL_LEQUAL);
  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  SetLighting(&mView, mMaterials.GetLighting());
  CheckGLError("ViewText::DrawTextBox");
  // In window coordinates, y down.
  return PixelRect{x0, mArea.height - y1, x1, mArea.height - y0};
}

PixelRect ViewText::DrawCornerText(int placement, const char* text, const float* rgb, int dx, int dy, float alpha) {
  const int width = mStereo.ViewportWidth();
  int x = 1;
  if (placement == 1 || placement == 3) x = width >= 120 ? 30 : (width >= 92 ? width - 90 : 1);
  // A line wider than the pane breaks at its spaces, so that the text stands whole in
  // the pane: its box reaches two pixels past the text, up to the pane's right edge.
  std::string shown;
  if (BitmapFont* font = Font()) {
    for (const std::string& line :
         WrapTextLines(text, width - (x + dx) - 2, [font](const std::string& s) { return font->Advance(s); })) {
      shown += line;
      shown += '\n';
    }
  } else if (text) {
    shown = text;
  }
  const int lines = CountTextLines(shown.c_str());
  if (lines == 0) return PixelRect{};
  const int lineHeight = GetLineHeight();
  const int height = mArea.height;
  int y = 0;
  switch (placement) {
    case 0:
      y = height + 1 - lineHeight;
      break;
    case 1:
      y = height + 1 - 3 * lineHeight;
      break;
    case 2:
      y = (lines - 1) * lineHeight + 2;
      break;
    default:
      y = std::min(((lines - 2) * lineHeight + height) / 2, height + 1 - lineHeight);
      break;
  }
  return DrawTextBox(x + dx, y + dy, shown.c_str(), rgb, 0, alpha);
}

void ViewText::DrawAxes(const char* label, const double* origin, const double* xAxis, const double* yAxis,
                        const double* zAxis, double length, const float* labelColor) {
  glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
  glDisable(GL_LIGHTING);
  if (label) {
    static const float kWhite[3] = {1, 1, 1};
    DrawGLScreenText(label, origin, labelColor ? labelColor : kWhite);
  }
  const double* axes[3] = {xAxis, yAxis, zAxis};
  static const float kAxisColors[3][3] = {{1, 0.5f, 0.5f}, {0.5f, 1, 0.5f}, {0.5f, 0.5f, 1}};
  for (int i = 0; i < 3; ++i) {
    mMaterials.SetColorv(kAxisColors[i]);
    glBegin(GL_LINES);
    glVertex3dv(origin);
    glVertex3d(origin[0] + axes[i][0] * length, origin[1] + axes[i][1] * length, origin[2] + axes[i][2] * length);
    glEnd();
  }
  glPopAttrib();
}

}  // namespace corvia
