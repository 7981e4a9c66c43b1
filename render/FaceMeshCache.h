#pragma once
// The model's faces kept on the GL side between frames. A face list drawn in the plain
// mode or a dual morph's, with nothing drawn on its faces, is drawn as before while its
// triangles are recorded (positions, normals and the colours GL was given, the
// translucent ones as they were queued); later frames draw the recording from vertex
// buffers in a few calls as long as nothing it was made of has changed: the model (its
// build, its cells' colours, every face's flags, colours, opacity and image), the
// pane's switches, the display options that decide the drawing, the colour filters
// (rainbow colours, anaglyph stereo), the scale and morph factor, the morph ratio and
// scales, and the facing of the faces whose colour depends on it. Every frame that cannot be drawn from what is kept records afresh:
// the recording is the faces' triangles gathered into arrays and drawn in a few calls,
// so that a changing frame (a morph, a transition, a new colour) costs about what a
// kept one does. A list that is the closed, opaque surface of a model, whole and
// turned outwards, is drawn with its back faces culled while the eye is outside it and
// the near plane cuts nothing of it: the picture cannot show them.
//
// The faces whose drawing follows the selection (the selected face with its coplanar
// ring) are left out of the recording and drawn on their own every frame, each in its
// place among the kept ones: selecting another face costs the drawing of that face and
// of the one selected before, not a recording of the whole list. A list that draws
// translucent triangles, or whose selected ring is large, keeps the selected face in its
// recording instead (its highlight is translucent, and joins the kept set of triangles)
// and is recorded again when the selection changes.

#include <cstddef>
#include <functional>
#include <vector>

namespace corvia {

class ElementList;
class OpenGLView;
class Poly;
class PolyElement;
struct FaceDrawOptions;

// Draws one face of the list as the caller's drawing does: the faces whose drawing
// follows the selection are drawn through it, each in its place among the kept ones.
using FaceDrawer = std::function<void(PolyElement*)>;

// DrawFaces asks first, with its options worked out: true when the faces were drawn
// from what is kept; false when the caller draws them, and then, when a recording
// started, it runs until EndFaceMeshDrawing, which draws it. A frame that draws a list
// otherwise than from what was kept is noted as drawn afresh in its view.
bool BeginFaceMeshDrawing(Poly* poly, ElementList* faces, int drawMode, double scale, double morph,
                          const FaceDrawOptions& options, const FaceDrawer& drawApart);
// While a recording runs the caller names each face of the list before it draws it, in
// list order: false for a face left out of the recording, which it passes over
// (EndFaceMeshDrawing draws it through drawApart, in its place).
bool NoteFaceMeshFace(PolyElement* face);
void EndFaceMeshDrawing();

// What the drawing reports while a recording runs; each does nothing otherwise. The
// triangles a recording takes wait in it and are drawn, all together, when it ends (or
// when something it cannot hold is drawn): the Record... calls that return true have
// taken the triangles, and the caller draws nothing; after false the caller draws them
// as before.
bool IsRecordingFaceMesh();
// The material colour set (before the filters).
void NoteFaceMeshMaterial(const float* rgb, float alpha);
// A triangle drawn at once, in the colour given.
bool RecordFaceMeshTriangle(const double (*corners)[3], const double* normal, const float* rgb, float alpha);
// A triangle queued for the depth-sorted drawing (queue: kQueue... of KeptTriangles.h).
bool RecordFaceMeshQueuedTriangle(const double (*corners)[3], const double* normal, const float* rgb, float alpha,
                                  int queue);
// A fan of triangles from the first point (count points, three doubles each), in the
// material set last.
bool RecordFaceMeshFan(const double* points, int count, const double* normal);
void RecordFaceMeshPolygonOffset(bool on);
// A face whose colour depends on the side it shows: the drawing holds while the face
// is seen from the same side.
void RecordFaceMeshFacing(const double* centre, const double* normal, bool front);
// Something is about to be drawn that a recording cannot hold: what it holds so far
// is drawn at once, and the rest of the faces one by one.
void SpoilFaceMeshRecording();

// Off: every face list and the depth-sorted queue are drawn triangle by triangle, as
// the drawing did before it gathered them into arrays (for tests that compare the two).
void AllowFaceMeshArrays(bool on);
bool AreFaceMeshArraysAllowed();

// Lists of this many faces or more of the program's current model (in the plain mode,
// on screen, not in stereo) are not recorded in the paint that finds them not kept: the
// paint draws none of their faces and asks the program to come back when it is idle
// (ViewNotifier::PrepareWhenIdle), which records them a turn of faces at a time under
// the progress window; the pane is painted from what is kept once they are recorded.
// While a transition runs, only lists of kDeferredTransitionFaces or more wait (for the
// transition's end): smaller ones are recorded in each frame, as it changes them.
constexpr int kDeferredFaceMeshFaces = 50000;
constexpr int kDeferredTransitionFaces = 200000;
// Whether a list waits for the idle work to record it.
bool HasDeferredFaceMeshes();
// Records them. False when cancelled: after the user's Cancel each list that waited is
// recorded in its paints until its state changes; after a stop the program asked for
// (RequestProgressCancel) the next paint asks again.
bool MakeDeferredFaceMeshes();

// A view going away: its kept faces go too.
void ForgetFaceMeshes(const OpenGLView* view);

// How the face lists were drawn in the contexts there are, since each was made: from
// what was kept, drawn while recording, drawn without; and how many of the first two were drawn with their back
// faces culled (a closed, opaque surface seen from outside).
struct FaceMeshStatistics {
  unsigned kept = 0;
  unsigned recorded = 0;
  unsigned plain = 0;
  unsigned culled = 0;
  // Paints that drew none of a list waiting for the idle work to record it.
  unsigned waited = 0;
  // The most bytes of a list's vertices copied to GL in one call.
  size_t largestUpload = 0;
};
FaceMeshStatistics GetFaceMeshStatistics();

}  // namespace corvia
