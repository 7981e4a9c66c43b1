#pragma once
// Printing a 3D pane: the view renders off screen at the size the page needs and
// the image is laid onto the page rectangle of the printer's (or the preview's)
// device context.

#include <wx/dc.h>
#include <wx/gdicmn.h>

namespace corvia {

class OpenGLView;

// previewClient is the main window's client size, which a preview image takes
// (cut to the page's proportions). False, with nothing drawn, when the view cannot
// be rendered.
bool DoPrint(OpenGLView* view, wxDC& dc, const wxRect& page, bool preview, const wxSize& previewClient);

}  // namespace corvia
