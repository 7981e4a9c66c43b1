// Labels in the pane's bitmap text.

#include "render/LabelDrawing.h"

#include "render/GL.h"
#include "render/OpenGLView.h"

namespace corvia {

namespace detail_LabelDrawing {
float gColour[4] = {1.0f, 1.0f, 1.0f, 1.0f};
int gOffsetMode = 0;
double gOffset = 0.001;
}  // namespace detail_LabelDrawing

std::string StripLabelMarkup(const char* text) {
  std::string plain;
  if (!text) return plain;
  for (const char* p = text; *p; ++p) {
    if (*p != '<') {
      plain.push_back(*p);
      continue;
    }
    while (*p && *p != '>') ++p;
    if (!*p) break;
  }
  return plain;
}

void SetLabelTextColour(const float* rgba) {
  for (int k = 0; k < 4; ++k) detail_LabelDrawing::gColour[k] = rgba[k];
}

const float* GetLabelTextColour() {
  return detail_LabelDrawing::gColour;
}

void SetLabelTextOffset(int mode, double offset) {
  detail_LabelDrawing::gOffsetMode = mode;
  detail_LabelDrawing::gOffset = offset;
}

void DrawLabelMarkup(const char* text, const double* position, double, const double*, const double*, unsigned) {
  OpenGLView* view = OpenGLView::GetCurrent();
  if (!view || !text || !*text) return;
  const std::string plain = StripLabelMarkup(text);
  if (plain.empty()) return;
  const float* c = detail_LabelDrawing::gColour;
  view->SetColor4(c[0], c[1], c[2], c[3]);
  view->DrawText3D(plain.c_str(), position);
}

}  // namespace corvia
