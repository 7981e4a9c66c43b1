#pragma once
// The flat net of the Unfolded Net pane drawn from vertex buffers the pane keeps from
// one paint to the next: the facelets, glue tabs and edges of its net, gathered once
// and drawn in a few calls. Drawn facelet by facelet, a net of a million facelets held
// the window for seconds on every paint. What is kept is good while the net (its layout,
// edgelets' flags, tabs and facelets' own images: Model3D::GetNetsChange), the colours,
// images, labels and flags of the model's faces, the mouse mode and the colour filters
// stay as they were. A net of many facelets is not gathered in the paint that asks for
// it: the program is asked to come back when it is idle (ViewNotifier::PrepareWhenIdle)
// and gathers it then, a turn of facelets at a time under the progress window, while
// the pane shows the part gathered so far.

namespace corvia {

class Net;
class OpenGLView;
struct KeptFlatNet;

// Nets of this many facelets or more (some 30 ms to gather) are gathered when the
// program is idle; smaller ones in the paint that first shows them.
constexpr int kDeferredFlatNetFacelets = 20000;

// What the view keeps of the net, made now when it is small, asked of the idle work
// when it is large (then the part gathered so far, perhaps none); null when the caller
// draws the net one facelet at a time: in a pick, outside a section of a context with
// its state, in the construction toy's style, without vertex buffers, with the arrays
// turned off (AllowFaceMeshArrays), with translucent facelets, and in an image of the
// pane (RenderToBitmap) that finds no complete one kept.
const KeptFlatNet* FindKeptFlatNet(OpenGLView* view, Net* net);
// The facelets, then the glue tabs, as DrawUnfolded draws them one by one; the facelets
// with an image or a label are drawn one by one after the others.
void DrawKeptFacelets(OpenGLView* view, const KeptFlatNet& kept);
// The edges, in the line width the net's edges are drawn in.
void DrawKeptEdges(OpenGLView* view, const KeptFlatNet& kept, float baseWidth);

// Whether a view's net waits for the idle work.
bool HasDeferredFlatNets();
// Gathers them, a turn of facelets at a time under one progress level with its Cancel,
// the views repainting now and then to show how far they are. False when cancelled:
// the user's Cancel leaves each view that waited with the part gathered so far until its
// net or model changes; a stop the program asked for (RequestProgressCancel) lets the
// next paint ask again.
bool MakeDeferredFlatNets();
// The nets waiting are not gathered (the work before them was cancelled, or memory ran
// out); the next paint asks again.
void DropDeferredFlatNets();
// A view going away: what it keeps goes with it.
void ForgetFlatNets(const OpenGLView* view);

// The facelets gathered into kept buffers in the contexts there are, since each was
// made (for tests).
unsigned long CountFlatNetFaceletsGathered();

}  // namespace corvia
