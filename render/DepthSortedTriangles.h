#pragma once
// Translucent triangles drawn after everything opaque, from back to front. Every
// drawer that can make translucent triangles hands each one to
// AddDepthSortedTriangle: a triangle that needs no sorting is drawn at once, the
// others are queued; at the end of the pane's drawing pass DrawDepthSortedTriangles
// draws the queues and empties them. Records come from pooled blocks that every pass
// reuses, so queuing allocates nothing per triangle. The queues and their pool belong
// to the GL context the pass draws in (render/GLContextState.h); outside any section
// nothing is queued.

#include <cstdint>
#include <memory>

#include "core/VectorMath.h"

namespace corvia {

class FaceImage;
class KeptTriangleSet;
class OpenGLView;

// AddDepthSortedTriangle flags.
constexpr unsigned kTriangleNeverDefer = 0x1;  // drawn at once, translucent or not
constexpr unsigned kTriangleDrawFirst = 0x2;   // queued before the sorted triangles
constexpr unsigned kTriangleDrawLast = 0x4;    // queued after them

// One queued triangle.
struct DepthSortedTriangle {
  double corners[3][3];  // already multiplied by the scale
  double centroid[3];
  double normal[3];
  float texCoords[3][2];  // per corner, with an image
  float colour[3];
  float alpha;
  float key;  // minus the squared distance of the centroid from the eye
  const FaceImage* image;
  Transform3D textureTransform;
  DepthSortedTriangle* next;
};

// Draws the triangle p0 p1 p2 (times scale) with its normal and colour (RGBA), or
// queues it: true when it was drawn at once. It is drawn at once when it is opaque
// and has no image whose texture has an alpha channel, with kTriangleNeverDefer, and
// while the pane picks. With an image and a transform but no texture coordinates the
// corners' coordinates come from the image; texCoords holds two floats a corner.
// Outside any section a triangle that would be queued is dropped.
bool AddDepthSortedTriangle(const double* p0, const double* p1, const double* p2, const double* normal,
                            const float* rgba, unsigned flags, double scale, const FaceImage* image,
                            const Transform3D* textureTransform, const float* texCoords);

// Queues a kept set of triangles as a whole (KeptTriangles.h): drawn from its buffers
// when nothing else is queued, else its triangles join the queues one by one, in its
// turn.
void QueueKeptTriangles(const std::shared_ptr<KeptTriangleSet>& set);

// Draws the queues (the first queue newest first, the sorted queue farthest first,
// the last queue newest first) blended, then empties them. Makes no GL call when
// nothing is queued. Triangles queued in another pane's pass are dropped, not drawn
// with this pane's camera.
void DrawDepthSortedTriangles();
// Orders the sorted queue farthest from the eye first (DrawDepthSortedTriangles does
// it before drawing); the order is GetSortedTriangle's.
void SortDepthSortedTriangles(const double* eye);
// The k-th triangle of the sorted queue in the order of the last sort.
const DepthSortedTriangle* GetSortedTriangle(int k);
// Empties the queues without drawing (a pass that was abandoned): the current
// context's, or outside any section every context's.
void DiscardDepthSortedTriangles();
// Frees every block (as above, of the current or of every context); the next triangle
// makes a block of the smaller minimum size.
void FreeDepthSortedTriangles();

// One triangle with its translucency passes: the colour (blended when translucent),
// then black and additive so that it writes its depth.
void DrawTriangleBatch(const DepthSortedTriangle& triangle);
// One triangle through client arrays; textured triangles whose coordinates bend
// across the triangle are cut into finer ones, down to the depth limit.
void DrawTriangleArrays(const double (*corners)[3], const double* normal, const float* colour, float alpha,
                        const FaceImage* image, const Transform3D* transform, const float* texCoords, int depth);

// Finer texture subdivision while printing and exporting images (depth 6, tolerance
// 0.01); the normal one on screen (4, 0.05).
void UseFineTextureSubdivision();
void UseNormalTextureSubdivision();
int GetTextureSubdivisionDepth();
double GetTextureSubdivisionTolerance();

// The factor every queued alpha is multiplied by (1.0: none).
float& DepthSortAlphaFactor();

// What is queued now, and the pool: for tests and benchmarks. Outside any section, of
// every context together (the least minimum size).
struct DepthSortStatistics {
  int firstQueue = 0;
  int sortedQueue = 0;
  int lastQueue = 0;
  int keptQueue = 0;  // the triangles of a kept set queued as a whole
  int blocks = 0;
  int capacity = 0;  // records in all blocks
  int minimumBlockSize = 0;
  // The runs the sorted triangles were drawn in since the context was made, two calls
  // each (a triangle drawn on its own is a run).
  unsigned runsDrawn = 0;
};
DepthSortStatistics GetDepthSortStatistics();

// How translucent and curved surfaces are cut and shaded before their triangles are
// sorted by depth (render/DepthSortedTriangles.h).
struct DepthSortSettings {
  // Curved projections of face images: the deepest subdivision of a triangle, and how
  // far the texture coordinates of an edge's mid-point may stray from the mean of its
  // ends' before the triangle is split.
  int subdivisionDepth = 4;
  double subdivisionTolerance = 0.05;
  // Multiplies the alpha of every sorted triangle.
  float alphaFactor = 1.0f;
};

// The program's choices (render/DrawingPreferences.h).
DepthSortSettings& GetDepthSortSettings();

}  // namespace corvia
