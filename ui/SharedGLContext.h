#pragma once
// The one GL context of the panes on screen. Every pane's canvas is made with the
// same attributes (RGBA, double buffered, depth 24, stencil 8, each asked for
// explicitly) so that one context serves them all, and with it every display list
// and texture. It is made for the first canvas and kept when panes come and go
// (a new layout keeps the textures), until the program frees it at the end.

#include <wx/glcanvas.h>

namespace corvia {

// The canvas attributes of every pane.
const wxGLAttributes& PaneCanvasAttributes();

// The shared context, made for the first canvas that asks; null when none can be made.
wxGLContext* AcquireSharedGLContext(wxGLCanvas* canvas);
// The context if it has been made, else null.
wxGLContext* GetSharedGLContext();
// At the end of the program, when no pane is left.
void FreeSharedGLContext();

// Whether the display offers canvases with the panes' attributes, and whether it
// offers quad-buffered stereo with them.
bool IsPaneDisplaySupported();
bool IsQuadBufferStereoSupported();

}  // namespace corvia
