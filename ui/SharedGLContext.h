#pragma once
// The one GL context of the panes on screen. Every pane's canvas is made with the
// same attributes (RGBA, double buffered, depth 24, stencil 8, each asked for
// explicitly) so that one context serves them all, and with it every buffer and
// texture. It is made for the first canvas, with the drawing's state in it
// (render/GLContextState.h), and kept while panes come and go (a new layout makes its
// panes before the old ones go, and keeps the textures). When the last canvas leaves
// (the main window closing), the state is released with the context current on that
// canvas, and the context goes; the next canvas makes them anew.

#include <wx/glcanvas.h>

namespace corvia {

// The canvas attributes of every pane.
const wxGLAttributes& PaneCanvasAttributes();

// The shared context, made for the first canvas that asks; null when none can be made.
wxGLContext* AcquireSharedGLContext(wxGLCanvas* canvas);
// A canvas going away (its window still there): the last one releases the context.
void LeaveSharedGLContext(wxGLCanvas* canvas);
// The context if it has been made, else null.
wxGLContext* GetSharedGLContext();
// At the end of the program: what is left goes, with no canvas to make it current.
void FreeSharedGLContext();

// Whether the display offers canvases with the panes' attributes, and whether it
// offers quad-buffered stereo with them.
bool IsPaneDisplaySupported();
bool IsQuadBufferStereoSupported();

}  // namespace corvia
