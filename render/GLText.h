#pragma once
// Text in the OpenGL panes: the settings every text starts from, the links that
// marked-up text names while a pane is picked, and labels drawn at a point in
// space facing the viewer. The text itself is laid out by core/HtmlText.h and
// drawn with the fonts of render/GLFont.h.

#include <cstdint>
#include <string>

namespace corvia {

class OpenGLView;

// The settings and links are those of a frame's panes: while a pane is drawn or picked,
// its own frame's; otherwise the installed frame's.

// The colour every marked-up text starts in (RGBA; white at start).
void SetGLTextColor(const float* rgba);
void GetGLTextColor(float* rgba);
// How far labels are moved towards the eye in perspective panes: the offset times
// the vector to the eye (mode 0), or times its direction (mode 1). Labels that change
// it put back the default offset in mode 0.
constexpr double kDefaultTextOffset = 0.001;
void SetGLTextOffset(double offset, int mode);
double GetGLTextOffset();
int GetGLTextOffsetMode();

// One link of marked-up text named while picking: its target, its id (-1 none) and
// the value the caller gave the text.
struct HtmlLink {
  std::string target;
  int id = -1;
  intptr_t value = 0;
};
// Forgets the links and sets what the next picks name: while a pane is picked and
// the mask is not 0, each link drawn gets the selection name (itemType, its number
// from 0) and a record.
void ResetHtmlLinks(uint32_t pickMask, int itemType);
// The link with that number, null past the last.
const HtmlLink* GetHtmlLink(int index);
int CountHtmlLinks();

// DrawGLText modes: the anchor in the low four bits, and the turns that keep the
// label readable.
constexpr int kTextAnchorLeftMiddle = 0;
constexpr int kTextAnchorCentre = 1;
constexpr int kTextAnchorBottomCentre = 2;
constexpr int kTextAnchorCentreFacing = 3;  // the centre; the given axes ignored
constexpr int kTextAnchorMask = 0xF;
constexpr int kTextConstantSize = 0x100;  // the same size on screen at any distance
constexpr int kTextKeepUpright = 0x200;
constexpr int kTextFaceEye = 0x400;

// Draws marked-up text at a point in the current pane: measured, anchored, turned
// into the frame of its right and up axes (given, or facing the eye with the
// view's roll), and drawn. Null eye, target and view-up are the pane camera's.
void DrawGLText(int mode, const double* position, double size, double width, const char* text, uint32_t flags,
                const double* right, const double* up, const double* eye, const double* target, const double* viewUp);

// The height in pixels of the panes' plain texts at points (numbers, diagram labels),
// before the pane's font scale (raised for printing and images).
constexpr double kScreenTextPixels = 16.0;
// A plain text at a point, centred on it, facing the viewer and kScreenTextPixels
// high on screen wherever the point lies, in the colour (RGB); lines break at line
// feeds. Nothing is drawn while the pane picks.
void DrawGLScreenText(const char* text, const double* position, const float* rgb);
// The height that DrawGLScreenText gives a text at the point, in the units of the
// point (0 when the current pane cannot draw one there).
double GetGLScreenTextHeight(const double* position);
// The texts DrawGLScreenText has drawn in the view (for the tests that weigh a
// paint's work).
uint64_t CountGLScreenTexts(OpenGLView& view);

}  // namespace corvia
