#pragma once
// Drawing of element and edge labels: marked-up texts placed in 3D. Until the panes'
// fonts with mark-up exist, a label is drawn in the pane's bitmap text at its
// position, its mark-up tags left out and its lines one below the other.

#include <string>

namespace corvia {

// The text without its mark-up tags ("<color=...>", "</font>", "<in>", "</in>", any
// "<...>"); an unterminated tag ends the text.
std::string StripLabelMarkup(const char* text);

// Draws the marked-up text at the 3D position in the current text colour. The size,
// the right and up directions and the flags are those of the label (2048: the
// selected item's label); the bitmap text faces the viewer at its pixel size.
void DrawLabelMarkup(const char* text, const double* position, double size, const double* right, const double* up,
                     unsigned flags);

// The colour of label texts (RGBA) and the offset mode of the next labels (mode 1:
// the offset given; low four bits 3: offset by half the edge or the element's radius).
void SetLabelTextColour(const float* rgba);
const float* GetLabelTextColour();
void SetLabelTextOffset(int mode, double offset);

}  // namespace corvia
