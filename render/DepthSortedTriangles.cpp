// Depth-sorted translucent triangles: the record pool, the three queues and their
// drawing.

#include "render/DepthSortedTriangles.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <memory>
#include <vector>

#include "core/FaceImageRef.h"
#include "core/RadixSorter.h"
#include "render/FaceImageMapping.h"
#include "render/FaceImageTexturing.h"
#include "render/FaceMeshCache.h"
#include "render/GL.h"
#include "render/GLContextState.h"
#include "render/GLErrors.h"
#include "render/GLSection.h"
#include "render/KeptTriangles.h"
#include "render/LightSets.h"
#include "render/ModelDrawPane.h"
#include "render/OpenGLView.h"

namespace corvia {

namespace detail_DepthSortedTriangles {

constexpr int kStartBlockSize = 1024;
constexpr int kFreedBlockSize = 120;

struct Block {
  std::unique_ptr<DepthSortedTriangle[]> records;
  int capacity = 0;
  int used = 0;
  Block* next = nullptr;  // the older block
};

struct Queue {
  DepthSortedTriangle* head = nullptr;
  DepthSortedTriangle* tail = nullptr;
  int count = 0;
};

// The queues of one GL context: what the pass under way queued, the pool of its
// records and the buffers it is drawn from.
struct State : GLContextPart {
  std::vector<std::unique_ptr<Block>> owned;
  Block* first = nullptr;  // the newest
  Block* current = nullptr;
  int minimumBlockSize = kStartBlockSize;
  Queue firstQueue, sortedQueue, lastQueue;
  // The sorted queue in queuing order, and its keys: sorted as arrays, the records are
  // read in the order they were filled, not in the order of a list that the last sort
  // shuffled.
  std::vector<DepthSortedTriangle*> sortedOrder;
  std::vector<float> keys;
  // The view whose pass queued what is queued; other views never draw it.
  const OpenGLView* owner = nullptr;
  // A kept set queued as a whole, ahead of everything queued singly.
  std::shared_ptr<KeptTriangleSet> kept;
  // The sorted queue gathered into arrays, drawn in runs rather than one by one.
  KeptTriangleSet batch;
  RadixSorter sorter;
  unsigned runsDrawn = 0;
};

// The queues of the current context; null outside any section.
State* Current() {
  return FindCurrentGLContextPart<State>(&GLContextState::depthSort);
}

// The current context's queues inside a section; outside, those of every context.
template <class F>
void ForEachQueue(F f) {
  if (GetCurrentGLContextKey()) {
    if (State* s = Current()) f(*s);
    return;
  }
  for (GLContextState* state = GetFirstGLContextState(); state; state = state->Next()) {
    if (state->depthSort) f(static_cast<State&>(*state->depthSort));
  }
}

DepthSortedTriangle* TakeRecords(State& s, int n) {
  int skipped = 0;
  for (Block* b = s.current; b; b = b->next) {
    if (b->used + n <= b->capacity) {
      DepthSortedTriangle* r = &b->records[static_cast<size_t>(b->used)];
      b->used += n;
      s.current = b;
      return r;
    }
    skipped += b->capacity;
  }
  auto block = std::make_unique<Block>();
  block->capacity = std::max(2 * (n + skipped), s.minimumBlockSize);
  block->records = std::make_unique<DepthSortedTriangle[]>(static_cast<size_t>(block->capacity));
  block->used = n;
  block->next = s.first;
  s.first = block.get();
  s.current = block.get();
  s.owned.push_back(std::move(block));
  return &s.current->records[0];
}

void EmptyQueues(State& s) {
  s.kept.reset();
  s.firstQueue = s.sortedQueue = s.lastQueue = Queue();
  s.sortedOrder.clear();
  for (Block* b = s.first; b; b = b->next) b->used = 0;
  s.current = s.first;
  s.owner = nullptr;
}

bool AnyQueued(const State& s) {
  return s.firstQueue.head || s.sortedQueue.head || s.lastQueue.head;
}

void Prepend(Queue& q, DepthSortedTriangle* t) {
  t->next = q.head;
  q.head = t;
  if (!q.tail) q.tail = t;
  ++q.count;
}

void Append(Queue& q, DepthSortedTriangle* t) {
  t->next = nullptr;
  if (q.tail) {
    q.tail->next = t;
  } else {
    q.head = t;
  }
  q.tail = t;
  ++q.count;
}

void Enqueue(State& s, DepthSortedTriangle* t, int queue) {
  if (queue == kQueueFirst) {
    Prepend(s.firstQueue, t);
  } else if (queue == kQueueLast) {
    Prepend(s.lastQueue, t);
  } else {
    Append(s.sortedQueue, t);
    s.sortedOrder.push_back(t);
  }
}

// The kept set's triangles queued singly, as they were when it was recorded.
void ExpandKept(State& s) {
  std::shared_ptr<KeptTriangleSet> kept = std::move(s.kept);
  s.kept.reset();
  if (!kept) return;
  const size_t n = kept->Size();
  for (size_t i = 0; i < n; ++i) {
    const KeptTriangle& k = kept->At(i);
    DepthSortedTriangle* t = TakeRecords(s, 1);
    for (int c = 0; c < 3; ++c) std::copy(k.corners[c], k.corners[c] + 3, t->corners[c]);
    std::copy(k.centroid, k.centroid + 3, t->centroid);
    std::copy(k.normal, k.normal + 3, t->normal);
    std::copy(k.colour, k.colour + 3, t->colour);
    t->alpha = k.alpha;
    t->image = nullptr;
    Enqueue(s, t, k.queue);
  }
}

bool HasAlphaTexture(const FaceImage* image) {
  return image && image->mTextureImage && image->HasAlpha();
}

bool IsCurvedProjection(const FaceImage* image) {
  return image && (image->mProjection == kImageProjectCylindrical || image->mProjection == kImageProjectSpherical ||
                   image->mProjection == kImageProjectCubic);
}

void Midpoint(double* out, const double* a, const double* b) {
  for (int k = 0; k < 3; ++k) out[k] = 0.5 * (a[k] + b[k]);
}

// Texture coordinates of the three corners, the seam repaired.
void CornerTexCoords(const FaceImage* image, const Transform3D& transform, const double (*corners)[3], float* coords) {
  const double* points[3] = {corners[0], corners[1], corners[2]};
  GetTriangleTexCoords(image, transform, points, coords, nullptr);
}

// Whether the coordinates of some edge's mid-point differ from the mean of its ends'
// by more than the tolerance: the projection bends across the triangle.
bool NeedsSubdivision(const FaceImage* image, const Transform3D& transform, const double (*corners)[3],
                      const float* coords) {
  const double tolerance = GetDepthSortSettings().subdivisionTolerance;
  for (int i = 0; i < 3; ++i) {
    const int j = (i + 1) % 3;
    double mid[3];
    Midpoint(mid, corners[i], corners[j]);
    float at[2] = {0.0f, 0.0f};
    GetPointTexCoords(image, transform, mid, at, coords + 2 * i);
    for (int k = 0; k < 2; ++k) {
      const double mean = 0.5 * (coords[2 * i + k] + coords[2 * j + k]);
      if (!std::isfinite(at[k]) || std::fabs(at[k] - mean) > tolerance) return true;
    }
  }
  return false;
}

// The sorted queue as a set of kept triangles drawn once: sorted the same way and drawn
// in runs of triangles that cannot cover a pixel twice, two calls a run, which gives
// the pixels of the triangles drawn one by one. Only plain translucent triangles outside
// the coplanar stencil; false when the queue is not all such, and nothing was drawn.
bool DrawSortedQueueInRuns(State& s, OpenGLView* view) {
  if (s.sortedOrder.empty() || !AreFaceMeshArraysAllowed() || GetCoplanarStencilStep() != 0 || view->IsPicking() ||
      !GetGLAbilities().vertexBuffers)
    return false;
  for (const DepthSortedTriangle* t : s.sortedOrder)
    if (t->image || !(t->alpha < 1.0f)) return false;
  s.batch.Clear();
  for (const DepthSortedTriangle* t : s.sortedOrder)
    s.batch.Add(t->corners, t->normal, t->colour, t->alpha, kQueueSorted);
  if (!s.batch.Prepare(view)) return false;
  s.runsDrawn += static_cast<unsigned>(s.batch.Draw(view));
  return true;
}

}  // namespace detail_DepthSortedTriangles

float& DepthSortAlphaFactor() {
  return GetDepthSortSettings().alphaFactor;
}

void UseFineTextureSubdivision() {
  GetDepthSortSettings().subdivisionDepth = 6;
  GetDepthSortSettings().subdivisionTolerance = 0.01;
}

void UseNormalTextureSubdivision() {
  GetDepthSortSettings().subdivisionDepth = 4;
  GetDepthSortSettings().subdivisionTolerance = 0.05;
}

int GetTextureSubdivisionDepth() {
  return GetDepthSortSettings().subdivisionDepth;
}
double GetTextureSubdivisionTolerance() {
  return GetDepthSortSettings().subdivisionTolerance;
}

void DrawTriangleArrays(const double (*corners)[3], const double* normal, const float* colour, float alpha,
                        const FaceImage* image, const Transform3D* transform, const float* texCoords, int depth) {
  using namespace detail_DepthSortedTriangles;
  OpenGLView* view = OpenGLView::GetCurrent();
  if (!view) return;
  view->Materials().SetMaterialColorAlphav(colour, alpha);
  glNormal3dv(normal);
  if (!image || !transform) {
    const GLfloat vertices[9] = {
        static_cast<GLfloat>(corners[0][0]), static_cast<GLfloat>(corners[0][1]), static_cast<GLfloat>(corners[0][2]),
        static_cast<GLfloat>(corners[1][0]), static_cast<GLfloat>(corners[1][1]), static_cast<GLfloat>(corners[1][2]),
        static_cast<GLfloat>(corners[2][0]), static_cast<GLfloat>(corners[2][1]), static_cast<GLfloat>(corners[2][2])};
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, vertices);
    glDrawArrays(GL_TRIANGLES, 0, 3);
    glDisableClientState(GL_VERTEX_ARRAY);
    return;
  }
  float coords[6];
  if (texCoords) {
    std::copy(texCoords, texCoords + 6, coords);
  } else {
    CornerTexCoords(image, *transform, corners, coords);
  }
  if (IsCurvedProjection(image) && depth < GetDepthSortSettings().subdivisionDepth &&
      NeedsSubdivision(image, *transform, corners, coords)) {
    // Cut at the edge mid-points into four and draw each one level deeper.
    double mid[3][3];
    for (int i = 0; i < 3; ++i) Midpoint(mid[i], corners[i], corners[(i + 1) % 3]);
    const double* pieces[4][3] = {{corners[0], mid[0], mid[2]},
                                  {mid[0], corners[1], mid[1]},
                                  {mid[2], mid[1], corners[2]},
                                  {mid[0], mid[1], mid[2]}};
    for (const auto& piece : pieces) {
      double p[3][3];
      for (int i = 0; i < 3; ++i) std::copy(piece[i], piece[i] + 3, p[i]);
      DrawTriangleArrays(p, normal, colour, alpha, image, transform, nullptr, depth + 1);
    }
    return;
  }
  const GLfloat vertices[9] = {
      static_cast<GLfloat>(corners[0][0]), static_cast<GLfloat>(corners[0][1]), static_cast<GLfloat>(corners[0][2]),
      static_cast<GLfloat>(corners[1][0]), static_cast<GLfloat>(corners[1][1]), static_cast<GLfloat>(corners[1][2]),
      static_cast<GLfloat>(corners[2][0]), static_cast<GLfloat>(corners[2][1]), static_cast<GLfloat>(corners[2][2])};
  BindImageTexture(image);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  glVertexPointer(3, GL_FLOAT, 0, vertices);
  glTexCoordPointer(2, GL_FLOAT, 0, coords);
  glDrawArrays(GL_TRIANGLES, 0, 3);
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glDisableClientState(GL_VERTEX_ARRAY);
  UnbindImageTexture(image);
}

void DrawTriangleBatch(const DepthSortedTriangle& t) {
  using namespace detail_DepthSortedTriangles;
  OpenGLView* view = OpenGLView::GetCurrent();
  if (!view) return;
  const int before = view->Materials().GetTransparencyMode();
  const int stencil = GetCoplanarStencilStep();
  const bool translucent = (t.alpha < 1.0f || t.image) && stencil != kStencilClear;
  const bool hasTexture = t.image != nullptr;
  if (translucent) {
    view->Materials().SetSpecular(0.0f);
    if (t.alpha < 1.0f || HasAlphaTexture(t.image)) view->Materials().SetTransparencyMode(kTransparencyBlended);
    if (stencil == kStencilMark) glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
  }
  DrawTriangleArrays(t.corners, t.normal, t.colour, t.alpha, t.image, hasTexture ? &t.textureTransform : nullptr,
                     hasTexture ? &t.texCoords[0][0] : nullptr, 0);
  if (translucent) {
    if (stencil == kStencilMark) glStencilOp(GL_KEEP, GL_KEEP, GL_REPLACE);
    view->Materials().SetSpecular(0.5f);
    // Again in black, adding nothing: the triangle's depth is written.
    static const float kBlack[3] = {0.0f, 0.0f, 0.0f};
    view->Materials().SetTransparencyMode(kTransparencyAdditive);
    DrawTriangleArrays(t.corners, t.normal, kBlack, 1.0f, nullptr, nullptr, nullptr, 0);
  }
  view->Materials().SetTransparencyMode(before);
}

bool AddDepthSortedTriangle(const double* p0, const double* p1, const double* p2, const double* normal,
                            const float* rgba, unsigned flags, double scale, const FaceImage* image,
                            const Transform3D* textureTransform, const float* texCoords) {
  using namespace detail_DepthSortedTriangles;
  OpenGLView* view = OpenGLView::GetCurrent();
  double corners[3][3];
  for (int k = 0; k < 3; ++k) {
    corners[0][k] = p0[k] * scale;
    corners[1][k] = p1[k] * scale;
    corners[2][k] = p2[k] * scale;
  }
  float alpha = rgba[3];
  const float alphaFactor = GetDepthSortSettings().alphaFactor;
  if (alphaFactor != 1.0f) alpha *= alphaFactor;
  const Transform3D* transform = image ? textureTransform : nullptr;
  const bool opaque = alpha >= 1.0f && !HasAlphaTexture(image);
  // A recording keeps plain triangles only, and draws none translucent at once.
  if ((transform || (!opaque && (flags & kTriangleNeverDefer))) && IsRecordingFaceMesh()) SpoilFaceMeshRecording();
  const bool recording = IsRecordingFaceMesh();
  if (opaque || (flags & kTriangleNeverDefer) || (view && view->IsPicking())) {
    if (!recording || !RecordFaceMeshTriangle(corners, normal, rgba, alpha))
      DrawTriangleArrays(corners, normal, rgba, alpha, transform ? image : nullptr, transform, texCoords, 0);
    return true;
  }
  const bool ordered = !view || GetModelDrawPane(view).GetDrawOrder() >= 1.0;
  const int queue = ordered && (flags & kTriangleDrawFirst)  ? kQueueFirst
                    : ordered && (flags & kTriangleDrawLast) ? kQueueLast
                                                             : kQueueSorted;
  // The recording queues its triangles as a whole when it ends.
  if (recording && RecordFaceMeshQueuedTriangle(corners, normal, rgba, alpha, queue)) return false;
  State* current = Current();
  if (!current) return false;
  State& s = *current;
  // A pass of another view left its triangles behind: they are not this view's to draw.
  if (s.owner != view && (AnyQueued(s) || s.kept)) EmptyQueues(s);
  s.owner = view;
  // Triangles kept from an earlier frame were queued before this one.
  if (s.kept) ExpandKept(s);
  DepthSortedTriangle* t = TakeRecords(s, 1);
  for (int i = 0; i < 3; ++i) std::copy(corners[i], corners[i] + 3, t->corners[i]);
  for (int k = 0; k < 3; ++k) t->centroid[k] = (corners[0][k] + corners[1][k] + corners[2][k]) * (1.0 / 3.0);
  std::copy(normal, normal + 3, t->normal);
  std::copy(rgba, rgba + 3, t->colour);
  t->alpha = alpha;
  t->image = transform ? image : nullptr;
  if (t->image) {
    t->textureTransform = *transform;
    if (texCoords) {
      std::copy(texCoords, texCoords + 6, &t->texCoords[0][0]);
    } else {
      CornerTexCoords(image, *transform, t->corners, &t->texCoords[0][0]);
    }
  }
  Enqueue(s, t, queue);
  return false;
}

void QueueKeptTriangles(const std::shared_ptr<KeptTriangleSet>& set) {
  using namespace detail_DepthSortedTriangles;
  State* current = Current();
  if (!current || !set || set->Size() == 0) return;
  State& s = *current;
  OpenGLView* view = OpenGLView::GetCurrent();
  if (s.owner != view && (AnyQueued(s) || s.kept)) EmptyQueues(s);
  s.owner = view;
  if (s.kept) ExpandKept(s);
  s.kept = set;
  // Behind triangles queued singly it joins them in its turn.
  if (AnyQueued(s)) ExpandKept(s);
}

void DrawDepthSortedTriangles() {
  using namespace detail_DepthSortedTriangles;
  State* current = Current();
  if (!current) return;
  State& s = *current;
  if (!AnyQueued(s) && !s.kept) return;
  OpenGLView* view = OpenGLView::GetCurrent();
  if (!view || view != s.owner) {
    EmptyQueues(s);
    return;
  }
  if (s.kept && !AnyQueued(s) && s.kept->AllInSortedQueue() && s.kept->IsPrepared() &&
      GetCoplanarStencilStep() == 0) {
    // All that is queued is one kept set: drawn from its buffers.
    view->Materials().SetTransparencyMode(kTransparencyBlended);
    s.runsDrawn += static_cast<unsigned>(s.kept->Draw(view));
    view->Materials().SetTransparencyMode(kTransparencyOpaque);
    EmptyQueues(s);
    CheckGLError("DrawDepthSortedTriangles");
    return;
  }
  if (s.kept) ExpandKept(s);
  view->Materials().SetTransparencyMode(kTransparencyBlended);
  for (DepthSortedTriangle* t = s.firstQueue.head; t; t = t->next) DrawTriangleBatch(*t);
  if (!DrawSortedQueueInRuns(s, view)) {
    SortDepthSortedTriangles(view->Camera().GetPerEyePosition());
    const unsigned* order = s.sorter.GetIndices();
    for (size_t k = 0; k < s.sortedOrder.size(); ++k) DrawTriangleBatch(*s.sortedOrder[order[k]]);
    s.runsDrawn += static_cast<unsigned>(s.sortedOrder.size());
  }
  for (DepthSortedTriangle* t = s.lastQueue.head; t; t = t->next) DrawTriangleBatch(*t);
  view->Materials().SetTransparencyMode(kTransparencyOpaque);
  EmptyQueues(s);
  CheckGLError("DrawDepthSortedTriangles");
}

void SortDepthSortedTriangles(const double* eye) {
  using namespace detail_DepthSortedTriangles;
  State* current = Current();
  if (!current) return;
  State& s = *current;
  const size_t count = s.sortedOrder.size();
  if (count == 0) return;
  // Farthest first: the key is minus the squared distance from the eye, held as a
  // float; the sort is stable, so equal keys keep the order they were queued in.
  s.keys.resize(count);
  for (size_t k = 0; k < count; ++k) {
    DepthSortedTriangle* t = s.sortedOrder[k];
    double d[3];
    Subtract(d, t->centroid, eye);
    t->key = static_cast<float>(-Dot(d, d));
    s.keys[k] = t->key;
  }
  s.sorter.Sort(s.keys.data(), static_cast<unsigned>(count));
}

const DepthSortedTriangle* GetSortedTriangle(int k) {
  using namespace detail_DepthSortedTriangles;
  const State* current = Current();
  if (!current) return nullptr;
  const State& s = *current;
  if (k < 0 || static_cast<size_t>(k) >= s.sortedOrder.size() || s.sorter.GetCount() != s.sortedOrder.size())
    return nullptr;
  return s.sortedOrder[s.sorter.GetIndices()[k]];
}

void DiscardDepthSortedTriangles() {
  using namespace detail_DepthSortedTriangles;
  ForEachQueue([](State& s) { EmptyQueues(s); });
}

void FreeDepthSortedTriangles() {
  using namespace detail_DepthSortedTriangles;
  ForEachQueue([](State& s) {
    s.kept.reset();
    s.firstQueue = s.sortedQueue = s.lastQueue = Queue();
    s.sortedOrder.clear();
    s.sortedOrder.shrink_to_fit();
    s.keys.clear();
    s.keys.shrink_to_fit();
    s.owner = nullptr;
    s.batch.Clear();
    s.first = s.current = nullptr;
    s.owned.clear();
    s.sorter.FreeAll();
    s.minimumBlockSize = kFreedBlockSize;
  });
}

DepthSortStatistics GetDepthSortStatistics() {
  using namespace detail_DepthSortedTriangles;
  DepthSortStatistics stats;
  bool any = false;
  ForEachQueue([&](const State& s) {
    stats.firstQueue += s.firstQueue.count;
    stats.sortedQueue += s.sortedQueue.count;
    stats.lastQueue += s.lastQueue.count;
    stats.keptQueue += s.kept ? static_cast<int>(s.kept->Size()) : 0;
    stats.runsDrawn += s.runsDrawn;
    for (const Block* b = s.first; b; b = b->next) {
      ++stats.blocks;
      stats.capacity += b->capacity;
    }
    stats.minimumBlockSize = any ? std::min(stats.minimumBlockSize, s.minimumBlockSize) : s.minimumBlockSize;
    any = true;
  });
  if (!any) stats.minimumBlockSize = kStartBlockSize;
  return stats;
}

}  // namespace corvia
