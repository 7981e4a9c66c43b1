#pragma once
// Translucent triangles that a drawing keeps from one frame to the next (the model
// drawing keeps those of its faces while nothing they are made of changes). The set is
// handed to the depth-sorted queue as a whole. When it is all that is queued it is
// drawn from vertex buffers: its back-to-front order is worked out again only when the
// eye has moved by more than a small angle since (or stands still somewhere else), and
// the order is drawn in runs of triangles that cover no pixel twice, each run in two
// calls (the colours blended, then the depths with the highlights). Otherwise its
// triangles join the queue one by one, as if they had been queued singly.

#include <cstdint>
#include <memory>
#include <vector>

#include "core/RadixSorter.h"
#include "render/GLBuffer.h"
#include "render/TriangleBatches.h"

namespace corvia {

class OpenGLView;

// A corner as the buffers hold it: colours through the filters, as GL is given them.
struct KeptVertex {
  float position[3];
  float normal[3];
  float colour[4];
};

// Points GL's vertex, normal and colour arrays into a buffer of KeptVertex and turns on
// the vertex and normal arrays, and the colour array when asked.
void BeginKeptVertexArrays(const GLBuffer& buffer, bool colours);
// Turns the arrays off and points them at no buffer again, as the drawing that sets
// them from memory expects.
void EndKeptVertexArrays();

// The queues of the depth-sorted triangles.
constexpr int kQueueSorted = 0;
constexpr int kQueueFirst = 1;
constexpr int kQueueLast = 2;

// One kept triangle as AddDepthSortedTriangle queued it.
struct KeptTriangle {
  double corners[3][3];  // multiplied by the scale
  double centroid[3];
  double normal[3];
  float colour[3];  // as given: the colour filters apply when it is drawn
  float alpha;      // after the alpha factor
  int queue;        // kQueue...
};

// The angle (degrees) the eye may move, seen from the model's centre, before the kept
// order is sorted again.
constexpr double kKeptOrderAngle = 2.0;
// The margin (pixels) by which triangles of one run keep apart where they do not share
// corners.
constexpr double kRunMargin = 0.125;
// The most runs an order is drawn in. A set shown small (a transition growing a model
// from a point, a pane zoomed far out) puts many triangles on each pixel, and its exact
// runs number thousands, two calls each; past this, neighbouring runs are drawn as one.
constexpr size_t kMostKeptRuns = 256;
// Corners nearer than this, relative to the set's reach from the origin, are drawn as
// one point.
constexpr double kCornerMergeTolerance = 1e-6;

class KeptTriangleSet {
 public:
  void Add(const double (*corners)[3], const double* normal, const float* rgb, float alpha, int queue);
  // Empties the set; its stores and buffers stay for the next triangles.
  void Clear();
  size_t Size() const { return mTriangles.size(); }
  const KeptTriangle& At(size_t i) const { return mTriangles[i]; }
  bool AllInSortedQueue() const { return mAllSorted; }
  // Puts the triangles in vertex buffers of the current context with their colours
  // through the view's filters; false when that cannot be done (then the set is only
  // ever queued one by one).
  bool Prepare(OpenGLView* view);
  bool IsPrepared() const;
  // Draws the triangles farthest first from the view's eye, as DrawDepthSortedTriangles
  // draws its sorted queue (which has set blending); returns the runs drawn.
  size_t Draw(OpenGLView* view);
  // For tests: how often the order was sorted and the runs of the last order.
  unsigned GetSortCount() const { return mSortCount; }
  size_t GetRunCount(int eye) const;

 private:
  // The order for one eye (0 without stereo, 1 and 2 the eyes).
  struct Order {
    bool valid = false;
    double sortedAt[3] = {0, 0, 0};
    double lastEye[3] = {0, 0, 0};
    std::vector<float> keys;
    std::vector<uint32_t> sorted;      // triangle indices, farthest first
    std::vector<KeptVertex> vertices;  // their corners in that order
    std::vector<uint32_t> starts;      // where each run begins in the order
    struct WindowPoint {
      double xy[2];
      bool usable;
    };
    std::vector<WindowPoint> pointsInWindow;
    std::vector<WindowTriangle> window;
    RadixSorter sorter;
    TriangleBatcher batcher;
    GLBuffer vertexBuffer;
  };
  bool NeedsSorting(const Order& order, const double* eye) const;
  void Sort(OpenGLView* view, Order& order, const double* eye);

  std::vector<KeptTriangle> mTriangles;
  std::vector<uint32_t> mCornerIds;  // three a triangle: one point, one id
  std::vector<float> mCornerPoints;  // the points by id
  bool mAllSorted = true;
  bool mLit = true;
  std::vector<KeptVertex> mVertexData;  // in the order queued
  const void* mPreparedIn = nullptr;    // the GL context
  Order mOrders[3];
  unsigned mSortCount = 0;
};

}  // namespace corvia
