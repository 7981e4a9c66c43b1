#pragma once
// The texts written over a flat net: in the Unfolded Net pane the facelet numbers, the
// edge texts (the edge data the net settings ask for) and the corner angles; on a
// printed page the edge texts.
//
// What the pane's texts say and where they stand is worked out once and kept by the
// view (in its context's state); a paint writes, from what is kept, the texts whose
// point lies in the window. What is kept holds while the net (Model3D::GetNetsChange),
// the settings the texts are made of (the edge data word, the length scale, the angle
// unit, the numbering, the coincident-edge method, the faces allowed per net), the
// view's scale, turn and font stay as they were, and the window stays inside the part
// of the net it was worked out for: a scroll within it keeps it. The part is the window
// grown by its own size on every side, so that a large net seen close costs the texts
// near the window, never the texts of the whole net.

#include <string>
#include <vector>

namespace corvia {

class Net;
class OpenGLView;

// Writes the texts of the flat net in the view, which draws it now (DrawUnfolded).
void DrawNetTexts(const Net* net, OpenGLView* view);

// A text of the flat net as a paint writes it: what it says and its point in net units.
struct NetText {
  std::string text;
  double at[2] = {0.0, 0.0};
};
// The texts the view's last paint of a flat net wrote, in the order written (none when
// it wrote none, or drew no flat net).
std::vector<NetText> GetNetTextsWritten(const OpenGLView* view);
// The texts a paint of the net in the view writes as things are now, worked out afresh
// from the net, the settings and the view, with nothing kept.
std::vector<NetText> WorkOutNetTexts(const Net* net, OpenGLView* view);
// The texts the views worked out (and kept) since the contexts there are were made (for
// tests).
unsigned long CountNetTextsWorkedOut();
// A view going away: what it keeps goes with it.
void ForgetNetTexts(const OpenGLView* view);

// Writes on the page being printed (GetCurrentPrintPage, with its net placement) the
// edge texts of the net, in the page's font, as the pane places them: beside the middle
// of their edges, none over another or nearer to it than the gap (page units), none
// beside an edge shorter than a text is high.
void PrintEdgeTexts(const Net* net, double gap);

}  // namespace corvia
