#pragma once
// The nets of the Unfolded Net and Folding Net panes drawn from vertex buffers the pane
// keeps from one paint to the next: the facelets, glue tabs, edges, sphere sections and
// stellation lines of the flat net (the lines' data worked out as they are gathered),
// and the facelets, tabs and stellation lines of the folded nets, gathered once and
// drawn in a few calls.
// Drawn facelet by facelet, a net of a million facelets held the window for seconds on
// every paint. What is kept is good while the nets (their layout, edgelets' flags, tabs
// and facelets' own images: Model3D::GetNetsChange), the colours, images, labels and
// flags of the model's faces, the mouse mode, the colour filters, which lines are shown
// and the reference spheres stay as they were; folded, also the nets shown, the faces' opacities, the hidden stellation cells, which
// tabs are glued (the fold past a half, or whole) and which tabs are shown. The folded
// places of the corners are made again after each fold (Model3D::GetFoldCount) in one
// pass over the kept facelets, tabs and lines: in the paint for a small net, by the idle work
// for a large one (the pane drawing the old places till all the new ones are made). A net of many facelets is not gathered in the
// paint that asks for it: the program is asked to come back when it is idle
// (ViewNotifier::PrepareWhenIdle) and gathers it then, a turn of facelets at a time
// under the progress window, while the pane shows the part gathered so far; so is the
// small net of a model of as many facelets whose stellation lines are shown before
// their data (a stellation of the model) is worked out.

#include <cstddef>
#include <functional>
#include <vector>

namespace corvia {

class Face3D;
class Model3D;
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
// The sphere sections and stellation lines, where they are shown, as DrawUnfolded draws
// them one facelet at a time: in the line width and (the sections) the colour set.
void DrawKeptLines(OpenGLView* view, const KeptFlatNet& kept);

// What the view keeps of the nets folded, placed as they are folded now (a part or
// none while the idle work gathers them); null when the caller draws them one facelet
// at a time: as for the flat net, and while a facelet shows more than its triangles,
// tabs and stellation lines (numbers, edge texts, edges or corners, sphere sections),
// in a face list's
// recording, within a pass of selected facelets, and for nets of fewer than
// kDeferredFlatNetFacelets facelets shown with their tabs. The nets are those shown, in
// the order they are drawn one by one.
const KeptFlatNet* FindKeptFoldedNets(OpenGLView* view, Model3D* model, const std::vector<Net*>& nets);
// Draws them: the facelets, the tabs glued under them (beyond them, through the
// coplanar stencil), the tabs standing on their edgelets (outlines over triangles), the
// selected edgelet's tab lighter, the stellation lines over the facelets (pushed back
// by their slope); then each facelet that asks more (an image, a label, translucency)
// by oneByOne, with its tabs and lines. The pictures are those of the nets drawn one
// facelet at a time, but where a tab's outline and another tab's triangles or a later
// facelet, a glued tab and a facelet other than its own, or a line and a facelet other
// than its own (along a fold), meet at one depth: the kept drawing draws each kind of
// piece in a pass of its own. A large model's lines, whose data (a stellation of the
// model) the idle work makes, are placed with the pieces once it is made.
void DrawKeptFoldedNets(OpenGLView* view, const KeptFlatNet& kept, const std::function<void(Face3D*)>& oneByOne);

// Whether a view's net waits for the idle work.
bool HasDeferredFlatNets();
// Gathers them, a turn of facelets at a time under one progress level with its Cancel,
// the views repainting now and then to show how far they are; a flat net gathered then
// has its facelets' boxes filed for the clicks in its pane, in turns as well. False when
// cancelled: the user's Cancel leaves each view that waited with the part gathered so
// far until its net or model changes (and a net's boxes to the first click's search); a
// stop the program asked for (RequestProgressCancel) lets the next paint ask again.
bool MakeDeferredFlatNets();
// Whether a Folding Net pane's folded nets, too large to place in a paint, wait to be
// placed as the nets were last folded (or at the model's new scale).
bool HasDeferredFoldedPlaces();
// Places them, a piece at a time under one progress level with its Cancel: each pane
// draws from its old places until all its pieces are placed anew, then from the new
// ones. False when cancelled: after the user's Cancel the panes show the nets as last
// placed until they are folded again; a stop the program asked for lets the next idle
// time place them.
bool PlaceDeferredFoldedNets();
// The placing is not finished (memory ran out): the new places made so far go, and,
// when declined, the panes show the old ones until the nets are folded again.
void DropFoldedPlacing(bool declined);
// The nets waiting are not gathered (the work before them was cancelled, or memory ran
// out); the next paint asks again.
void DropDeferredFlatNets();
// A view going away: what it keeps goes with it.
void ForgetFlatNets(const OpenGLView* view);

// The facelets gathered into kept buffers in the contexts there are, since each was
// made, flat and folded (for tests).
unsigned long CountFlatNetFaceletsGathered();
unsigned long CountFoldedNetFaceletsGathered();
// The folded facelets placed anew into kept buffers since each context was made (for
// tests).
unsigned long CountFoldedNetFaceletsPlaced();
// The folded facelets drawn one at a time in the current context (told by the drawing),
// and in all contexts since each was made (for tests).
void NoteFoldedFaceletsDrawnOneByOne(size_t count);
unsigned long CountFoldedNetFaceletsDrawnOneByOne();
// The facelets whose sphere sections or stellation lines were drawn on screen one at a
// time (told by the facelet drawing), in all contexts since each was made (for tests).
void NoteFaceletLinesDrawnOneByOne();
unsigned long CountFaceletLinesDrawnOneByOne();

}  // namespace corvia
