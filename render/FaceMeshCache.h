#pragma once
// The model's faces kept on the GL side between frames. A face list drawn in the plain
// mode or a dual morph's, with nothing drawn on its faces, is drawn as before while its
// triangles are recorded (positions, normals and the colours GL was given, the
// translucent ones as they were queued); later frames draw the recording from vertex
// buffers in a few calls as long as nothing it was made of has changed: the model (its
// build, its cells' colours, every face's flags, colours, opacity and image), the
// selection and its highlight, the pane's switches, the display options that decide
// the drawing, the colour filters (rainbow colours, anaglyph stereo), the scale and
// morph factor, the morph ratio and scales, and the facing of the faces whose colour
// depends on it. A recording starts only when the same state has been drawn twice
// running, so that changing frames (a morph, a transition) are drawn as before without
// recording each one.

namespace corvia {

class ElementList;
class OpenGLView;
class Poly;
class PolyElement;
struct FaceDrawOptions;

// DrawFaces asks first, with its options worked out: true when the faces were drawn
// from what is kept; false when the caller draws them, and then, when a recording
// started, it runs until EndFaceMeshDrawing.
bool BeginFaceMeshDrawing(Poly* poly, ElementList* faces, int drawMode, double scale, double morph,
                          const FaceDrawOptions& options);
void EndFaceMeshDrawing();

// What the drawing reports while a recording runs; each does nothing otherwise.
bool IsRecordingFaceMesh();
// The material colour set (before the filters).
void NoteFaceMeshMaterial(const float* rgb, float alpha);
// A triangle drawn at once, in the colour given.
void RecordFaceMeshTriangle(const double (*corners)[3], const double* normal, const float* rgb, float alpha);
// A triangle queued for the depth-sorted drawing (queue: kQueue... of KeptTriangles.h).
void RecordFaceMeshQueuedTriangle(const double (*corners)[3], const double* normal, const float* rgb, float alpha,
                                  int queue);
// A fan of triangles from the first point (count points, three doubles each), in the
// material set last.
void RecordFaceMeshFan(const double* points, int count, const double* normal);
void RecordFaceMeshPolygonOffset(bool on);
// A face whose colour depends on the side it shows: the drawing holds while the face
// is seen from the same side.
void RecordFaceMeshFacing(const double* centre, const double* normal, bool front);
// Something was drawn that a recording cannot hold.
void SpoilFaceMeshRecording();

// A view going away: its kept faces go too.
void ForgetFaceMeshes(const OpenGLView* view);

// How the face lists were drawn since the start: from what was kept, drawn while
// recording, drawn without.
struct FaceMeshStatistics {
  unsigned kept = 0;
  unsigned recorded = 0;
  unsigned plain = 0;
};
FaceMeshStatistics GetFaceMeshStatistics();

}  // namespace corvia
