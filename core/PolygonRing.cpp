#include "core/PolygonRing.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "core/Messages.h"
#include "core/PolygonSplit.h"
#include "core/Tolerances.h"
#include "core/VectorMath.h"

namespace corvia {

namespace detail_PolygonRing {

constexpr int kChunkSize = 256;

// Chunked pool: nodes never move, so pointers to them survive any growth.
template <typename Node>
struct NodePool {
  std::vector<std::unique_ptr<Node[]>> chunks;
  Node* freeList = nullptr;
  int live = 0;

  Node* Take() {
    if (!freeList) {
      chunks.emplace_back(new Node[kChunkSize]);
      Node* chunk = chunks.back().get();
      for (int i = kChunkSize - 1; i >= 0; --i) {
        chunk[i].next = freeList;
        freeList = &chunk[i];
      }
    }
    Node* node = freeList;
    freeList = node->next;
    ++live;
    return node;
  }

  void Give(Node* node) {
    node->next = freeList;
    freeList = node;
    --live;
  }

  // The chunks go back to the system only when no node is in use: the rings of drawn
  // facets and previews outlive the operations that release the pools.
  void Release() {
    if (live > 0) return;
    chunks.clear();
    freeList = nullptr;
    live = 0;
  }
};

NodePool<PolygonVertex>& VertexPool() {
  static NodePool<PolygonVertex> pool;
  return pool;
}

NodePool<PolygonList>& ListPool() {
  static NodePool<PolygonList> pool;
  return pool;
}

inline double SnapCoordinate(double v) { return (v >= -kPointTolerance && v <= kPointTolerance) ? 0.0 : v; }

inline bool SamePosition(const PolygonVertex* a, const PolygonVertex* b) { return a->x == b->x && a->y == b->y; }

inline void LinkAtEnd(PolygonVertex* v, PolygonVertex*& ring) {
  if (!ring) {
    v->next = v->prev = v;
    ring = v;
    return;
  }
  PolygonVertex* last = ring->prev;
  v->prev = last;
  v->next = ring;
  last->next = v;
  ring->prev = v;
}

// ---- Ear clipping -----------------------------------------------------------------------

inline void ComputeEdge(PolygonVertex* v) {
  v->edgeX = v->next->x - v->x;
  v->edgeY = v->next->y - v->y;
  v->edgeLength = std::sqrt(v->edgeX * v->edgeX + v->edgeY * v->edgeY);
}

// Squared circumradius of the ear at v: small for fat triangles, which go first.
double EarMeasure(const PolygonVertex* v) {
  const double ax = v->prev->edgeX, ay = v->prev->edgeY;
  const double bx = v->edgeX, by = v->edgeY;
  const double cross = ax * by - ay * bx;
  const double dot = ax * bx + ay * by;
  if (cross == 0.0 && dot < kPointTolerance) return kEarMeasureSpike;
  if (cross <= 0.0) return kEarMeasureReflex;
  const double sx = ax + bx, sy = ay + by;
  const double denom = 4.0 * cross * cross;
  if (denom == 0.0) return 0.0;
  const double q = (ax * ax + ay * ay) * (bx * bx + by * by) * (sx * sx + sy * sy) / denom;
  // Keep every convex ear below the reflex mark, whatever the scale.
  if (!(q < 1e99)) return 1e99;
  return q;
}

inline double Cross2(double ax, double ay, double bx, double by) { return ax * by - ay * bx; }

// A straight corner (or nearly so): removing it changes the ring's area by nothing
// or by a negligible sliver.
bool IsStraightCorner(const PolygonVertex* v) {
  const double ax = v->prev->edgeX, ay = v->prev->edgeY;
  const double bx = v->edgeX, by = v->edgeY;
  const double cross = Cross2(ax, ay, bx, by);
  const double scale = std::sqrt((ax * ax + ay * ay) * (bx * bx + by * by));
  return std::fabs(cross) <= kVanishingTolerance * scale || scale == 0.0;
}

// Another passage of the ring through v's own position blocks the ear when the ring
// leaves that position into the ear's corner.
bool CoincidentBlocks(const PolygonVertex* v, const PolygonVertex* w, int ringSize) {
  const PolygonVertex* p = v->prev;
  const PolygonVertex* n = v->next;
  const double e1x = n->x - v->x, e1y = n->y - v->y;
  const double e2x = p->x - v->x, e2y = p->y - v->y;
  const PolygonVertex* ends[2] = {w->next, w->prev};
  for (int side = 0; side < 2; ++side) {
    const PolygonVertex* a = ends[side];
    for (int guard = 0; guard < ringSize && SamePosition(a, v); ++guard) a = side == 0 ? a->next : a->prev;
    if (SamePosition(a, v)) continue;
    const double dx = a->x - v->x, dy = a->y - v->y;
    if (Cross2(e1x, e1y, dx, dy) > 0.0 && Cross2(dx, dy, e2x, e2y) > 0.0) return true;
  }
  return false;
}

// Whether w lies in the ear at v. The strict form (for the last resort) lets points on
// the ear's boundary pass.
bool InEar(const PolygonVertex* v, const PolygonVertex* w, bool strict, int ringSize) {
  const PolygonVertex* p = v->prev;
  const PolygonVertex* n = v->next;
  if (SamePosition(w, p) || SamePosition(w, n)) return false;
  if (SamePosition(w, v)) return CoincidentBlocks(v, w, ringSize);
  const double s1 = Cross2(v->x - p->x, v->y - p->y, w->x - p->x, w->y - p->y);
  const double s2 = Cross2(n->x - v->x, n->y - v->y, w->x - v->x, w->y - v->y);
  const double cx = p->x - n->x, cy = p->y - n->y;
  const double len = std::sqrt(cx * cx + cy * cy);
  if (len == 0.0) return false;
  const double s3 = Cross2(cx, cy, w->x - n->x, w->y - n->y) / len;
  if (strict) return s1 > 0.0 && s2 > 0.0 && s3 > kPointTolerance;
  return s1 >= 0.0 && s2 >= 0.0 && s3 >= -kPointTolerance;
}

bool EarBlocked(PolygonVertex* v, bool strict, int ringSize) {
  if (!strict && v->blocker && !(v->blocker->flags & kPolygonVertexFree)) return true;
  const PolygonVertex* stop = v->prev;
  for (PolygonVertex* w = v->next->next; w != stop; w = w->next) {
    if (InEar(v, w, strict, ringSize)) {
      if (!strict) v->blocker = w;
      return true;
    }
  }
  return false;
}

struct EarQueue {
  PolygonVertex* head = nullptr;

  void Remove(PolygonVertex* v) {
    if (v->queuePrev)
      v->queuePrev->queueNext = v->queueNext;
    else
      head = v->queueNext;
    if (v->queueNext) v->queueNext->queuePrev = v->queuePrev;
    v->queueNext = v->queuePrev = nullptr;
  }

  // Before the first queued vertex whose measure is at least v's.
  void Insert(PolygonVertex* v) {
    PolygonVertex* before = nullptr;
    PolygonVertex* at = head;
    while (at && at->earQuality < v->earQuality) {
      before = at;
      at = at->queueNext;
    }
    v->queuePrev = before;
    v->queueNext = at;
    if (before)
      before->queueNext = v;
    else
      head = v;
    if (at) at->queuePrev = v;
  }
};

// The next corner to cut: a degenerate one, else the best ear with nothing inside,
// else a straight corner, else (last resort) an ear with nothing strictly inside.
PolygonVertex* ChooseCorner(EarQueue& queue, int ringSize) {
  PolygonVertex* v = queue.head;
  for (; v; v = v->queueNext) {
    if (v->earQuality <= 0.0) return v;
    if (v->earQuality == kEarMeasureReflex) break;
    if (!EarBlocked(v, false, ringSize)) return v;
  }
  for (PolygonVertex* r = v; r; r = r->queueNext)
    if (IsStraightCorner(r)) return r;
  for (PolygonVertex* e = queue.head; e && e->earQuality != kEarMeasureReflex; e = e->queueNext)
    if (!EarBlocked(e, true, ringSize)) return e;
  return nullptr;
}

void SwapRingDirection(PolygonVertex* ring) {
  PolygonVertex* v = ring;
  do {
    PolygonVertex* next = v->next;
    v->next = v->prev;
    v->prev = next;
    v = next;
  } while (v != ring);
}

// Counter-clockwise turn at the point at from the direction of `from` to that of `to`
// (pseudo-angle units over [0, 8)); mirrored for a clockwise ring.
double TurnAt(const PolygonVertex* at, const PolygonVertex* from, const PolygonVertex* to, bool clockwise) {
  const double f[2] = {from->x - at->x, from->y - at->y};
  const double t[2] = {to->x - at->x, to->y - at->y};
  const double turn = clockwise ? PseudoAngle(f) - PseudoAngle(t) : PseudoAngle(t) - PseudoAngle(f);
  return turn < 0.0 ? turn + 8.0 : turn;
}

// The passages of the ring through one point, as vertices at that point whose
// neighbours stand elsewhere. Each passage keeps the region on its inner side: the
// corner swept from its way out round to its way in (counter-clockwise for a
// counter-clockwise ring). When another passage's edge lies strictly inside that
// corner, the passages cross there (a hole joined at one of several points where it
// touches the outline does this); each way in is then given the way out nearest it
// on the outer side, which makes every corner free of other edges and may cut the
// ring into several rings that meet at the point. Returns whether links changed.
bool UncrossPassages(PolygonVertex** at, int k, bool clockwise) {
  const PolygonVertex* centre = at[0];
  bool crossed = false;
  for (int i = 0; i < k && !crossed; ++i) {
    const double corner = TurnAt(centre, at[i]->next, at[i]->prev, clockwise);
    for (int j = 0; j < k && !crossed; ++j) {
      if (j == i) continue;
      for (const PolygonVertex* e : {at[j]->prev, at[j]->next}) {
        const double t = TurnAt(centre, at[i]->next, e, clockwise);
        if (t > 0.0 && t < corner) crossed = true;
      }
    }
  }
  if (!crossed) return false;
  std::vector<PolygonVertex*> outs(k, nullptr);
  std::vector<bool> taken(k, false);
  for (int i = 0; i < k; ++i) {
    int best = -1;
    double bestTurn = 9.0;
    for (int j = 0; j < k; ++j) {
      const double t = TurnAt(centre, at[j]->next, at[i]->prev, clockwise);
      if (t < bestTurn) {
        bestTurn = t;
        best = j;
      }
    }
    if (taken[best]) return false;  // no consistent pairing: leave the ring as it is
    taken[best] = true;
    outs[i] = at[best]->next;
  }
  for (int i = 0; i < k; ++i) {
    at[i]->next = outs[i];
    outs[i]->prev = at[i];
  }
  return true;
}

// Uncrosses the ring at every point it passes more than once (see UncrossPassages; a
// vertex with a neighbour on its own position makes no passage). byPosition is scratch
// and, when links changed, lists every vertex of the ring. Returns whether any links
// changed.
bool UncrossRepeatedPoints(PolygonVertex* ring, int n, bool clockwise, std::vector<EarSortEntry>& byPosition) {
  byPosition.clear();
  if (n <= 16) {
    // Small rings, the common case, are checked for a repeated point pair by pair.
    bool repeated = false;
    const PolygonVertex* a = ring;
    for (int i = 0; i < n && !repeated; ++i, a = a->next)
      for (const PolygonVertex* b = a->next; b != ring && !repeated; b = b->next) repeated = SamePosition(a, b);
    if (!repeated) return false;
  }
  PolygonVertex* v = ring;
  for (int i = 0; i < n; ++i, v = v->next) {
    // The measure field marks the vertices that make passages.
    const bool passage = !SamePosition(v, v->prev) && !SamePosition(v, v->next);
    byPosition.push_back({passage ? 1.0 : 0.0, i, v});
  }
  // Exact keys, ring position last: a strict order.
  std::sort(byPosition.begin(), byPosition.end(), [](const EarSortEntry& a, const EarSortEntry& b) {
    if (a.vertex->x != b.vertex->x) return a.vertex->x < b.vertex->x;
    if (a.vertex->y != b.vertex->y) return a.vertex->y < b.vertex->y;
    return a.position < b.position;
  });
  bool changed = false;
  std::vector<PolygonVertex*> passages;
  for (size_t i = 0; i < byPosition.size();) {
    size_t j = i + 1;
    while (j < byPosition.size() && SamePosition(byPosition[i].vertex, byPosition[j].vertex)) ++j;
    if (j - i > 1) {
      passages.clear();
      for (size_t k = i; k < j; ++k)
        if (byPosition[k].measure != 0.0) passages.push_back(byPosition[k].vertex);
      if (passages.size() > 1) changed |= UncrossPassages(passages.data(), int(passages.size()), clockwise);
    }
    i = j;
  }
  return changed;
}

// The rings that the listed vertices (all of one ring before it was uncrossed) now
// form, each named once.
std::vector<PolygonVertex*> CollectRings(const std::vector<EarSortEntry>& vertices) {
  for (const EarSortEntry& e : vertices) e.vertex->earQuality = 0.0;
  std::vector<PolygonVertex*> rings;
  for (const EarSortEntry& e : vertices) {
    PolygonVertex* start = e.vertex;
    if (start->earQuality != 0.0) continue;
    rings.push_back(start);
    PolygonVertex* w = start;
    do {
      w->earQuality = 1.0;
      w = w->next;
    } while (w != start);
  }
  return rings;
}

}  // namespace detail_PolygonRing

// ---- Pools ----------------------------------------------------------------------------

void FreeIntBlockPool(IntBlockPool* pool) {
  IntBlock* b = pool->blocks;
  while (b) {
    IntBlock* next = b->next;
    delete[] b->data;
    delete b;
    b = next;
  }
  pool->blocks = pool->current = nullptr;
}

int* AllocIndexBlock(IntBlockPool* pool, int n) {
  if (n <= 0) n = 1;
  long long passed = 0;
  for (IntBlock* b = pool->current; b; b = b->next) {
    if (b->used + n <= b->capacity) {
      int* out = b->data + b->used;
      b->used += n;
      return out;
    }
    passed += b->capacity;
  }
  long long capacity = 2 * (static_cast<long long>(n) + passed);
  capacity = std::max<long long>(capacity, pool->minimumSize);
  capacity = std::min<long long>(capacity, std::numeric_limits<int>::max());
  if (capacity < n) capacity = n;
  auto* block = new IntBlock;
  block->data = new int[capacity];
  block->capacity = static_cast<int>(capacity);
  block->used = n;
  block->next = pool->blocks;
  pool->blocks = block;
  pool->current = block;
  return block->data;
}

TriangulationContext::~TriangulationContext() {
  FreeIntBlockPool(&pool);
  delete[] scratch;
}

int* GetTriangleScratch(TriangulationContext* context, int n) {
  if (n > context->scratchCapacity) {
    delete[] context->scratch;
    context->scratchCapacity = 3 * n / 2 + 20;
    context->scratch = new int[context->scratchCapacity];
  }
  return context->scratch;
}

PolygonVertex* NewPolygonVertex(double x, double y, void* owner, const double* point, PolygonVertex*& ring,
                                bool ownerFlagged) {
  PolygonVertex* v = detail_PolygonRing::VertexPool().Take();
  *v = PolygonVertex{};
  v->x = detail_PolygonRing::SnapCoordinate(x);
  v->y = detail_PolygonRing::SnapCoordinate(y);
  if (point) CopyVector(v->point, point);
  v->flags = ownerFlagged ? kPolygonVertexOwnerFlag : 0;
  v->owner = owner;
  detail_PolygonRing::LinkAtEnd(v, ring);
  return v;
}

PolygonVertex* CopyPolygonVertex(const PolygonVertex* vertex, PolygonVertex*& ring) {
  PolygonVertex* v = NewPolygonVertex(vertex->x, vertex->y, vertex->owner, vertex->point, ring);
  v->index = vertex->index;
  v->crossing = vertex->crossing;
  return v;
}

PolygonVertex* CopyPolygonRing(const PolygonVertex* ring) {
  PolygonVertex* copy = nullptr;
  if (!ring) return nullptr;
  const PolygonVertex* v = ring;
  do {
    CopyPolygonVertex(v, copy);
    v = v->next;
  } while (v != ring);
  return copy;
}

void FreePolygonVertex(PolygonVertex* vertex) {
  if (!vertex) return;
  if (vertex->flags & kPolygonVertexFree) {
    ShowInternalError("FreePolygonVertex: vertex freed twice");
    return;
  }
  vertex->flags |= kPolygonVertexFree;
  vertex->prev = nullptr;
  detail_PolygonRing::VertexPool().Give(vertex);
}

void FreePolygonRing(PolygonVertex* ring) {
  if (!ring) return;
  PolygonVertex* v = ring->next;
  while (v != ring) {
    PolygonVertex* next = v->next;
    FreePolygonVertex(v);
    v = next;
  }
  FreePolygonVertex(ring);
}

void ReleasePolygonVertexPool() { detail_PolygonRing::VertexPool().Release(); }

int CountLivePolygonVertices() { return detail_PolygonRing::VertexPool().live; }

void MarkPolygonVertex(PolygonVertex* vertex) { vertex->flags |= kPolygonVertexMarked; }

void OrPolygonRingFlags(PolygonVertex* ring, uint32_t flags) {
  if (!ring) return;
  PolygonVertex* v = ring;
  do {
    v->flags |= flags;
    v = v->next;
  } while (v != ring);
}

void SavePolygonRingLinks(PolygonVertex* ring) {
  if (!ring) return;
  PolygonVertex* v = ring;
  do {
    v->savedNext = v->next;
    v->savedPrev = v->prev;
    v = v->next;
  } while (v != ring);
}

void RemoveInsertedPolygonVertices(PolygonVertex* ring) {
  if (!ring) return;
  PolygonVertex* v = ring;
  do {
    PolygonVertex* saved = v->savedNext;
    if (!saved) break;  // never saved: nothing known to remove
    if (v->next != saved) {
      PolygonVertex* w = v->next;
      while (w != saved && w != v) {
        PolygonVertex* next = w->next;
        FreePolygonVertex(w);
        w = next;
      }
      v->next = saved;
      saved->prev = v;
    }
    v = saved;
  } while (v != ring);
}

void GetPolygonRingCentroid(double* out, const PolygonVertex* ring) {
  out[0] = out[1] = out[2] = 0.0;
  if (!ring) return;
  int n = 0;
  const PolygonVertex* v = ring;
  do {
    AddTo(out, v->point);
    ++n;
    v = v->next;
  } while (v != ring);
  Scale(out, out, 1.0 / n);
}

void GetPolygonRingAreaVector(double* out, const PolygonVertex* ring) {
  out[0] = out[1] = out[2] = 0.0;
  if (!ring || ring->next == ring || ring->next->next == ring) return;
  const double* o = ring->point;
  for (const PolygonVertex* v = ring->next; v->next != ring; v = v->next) {
    double a[3], b[3], c[3];
    Subtract(a, v->point, o);
    Subtract(b, v->next->point, o);
    Cross(c, a, b);
    AddTo(out, c);
  }
}

bool GetPolygonRingPlaneNormal(double* out, const PolygonVertex* ring) {
  out[0] = out[1] = out[2] = 0.0;
  if (!ring || ring->next == ring || ring->next->next == ring) return false;
  double first[3], found[3] = {0.0, 0.0, 0.0};
  bool any = false;
  Subtract(first, ring->next->point, ring->point);
  for (const PolygonVertex* v = ring->next; v != ring; v = v->next) {
    double e[3], c[3];
    Subtract(e, v->next->point, v->point);
    Cross(c, first, e);
    if (!(std::fabs(c[0]) <= kPointTolerance && std::fabs(c[1]) <= kPointTolerance && std::fabs(c[2]) <= kPointTolerance)) {
      CopyVector(found, c);
      any = true;
      break;
    }
  }
  if (!any) return false;
  // The first corner that turns may be reflex; the area vector gives the ring's true
  // facing whenever the ring encloses any area.
  double area[3];
  GetPolygonRingAreaVector(area, ring);
  const double* chosen = (std::fabs(area[0]) > kPointTolerance || std::fabs(area[1]) > kPointTolerance || std::fabs(area[2]) > kPointTolerance)
                             ? area
                             : found;
  const double len = std::sqrt(Dot(chosen, chosen));
  Scale(out, chosen, 1.0 / len);
  return true;
}

double GetPolygonRingArea2D(const PolygonVertex* ring) {
  if (!ring) return 0.0;
  double sum = 0.0;
  const PolygonVertex* v = ring;
  do {
    // Relative to the head, to keep the sum accurate far from the origin.
    const double ax = v->x - ring->x, ay = v->y - ring->y;
    const double bx = v->next->x - ring->x, by = v->next->y - ring->y;
    sum += ax * by - ay * bx;
    v = v->next;
  } while (v != ring);
  return sum;
}

int CountPolygonRing(const PolygonVertex* ring) {
  if (!ring) return 0;
  int n = 0;
  const PolygonVertex* v = ring;
  do {
    ++n;
    v = v->next;
  } while (v != ring);
  return n;
}

bool IsPolygonRingConvex(const PolygonVertex* ring) {
  if (!ring) return true;
  const PolygonVertex* v = ring;
  do {
    const double ax = v->x - v->prev->x, ay = v->y - v->prev->y;
    const double bx = v->next->x - v->x, by = v->next->y - v->y;
    if (ax * by - ay * bx < 0.0) return false;
    v = v->next;
  } while (v != ring);
  return true;
}

PolygonVertex* ReversePolygonRing(PolygonVertex* ring) {
  if (!ring) return nullptr;
  // Only the taken-edge bit describes the edge to the successor; it moves with its
  // edge, which after reversal leaves the old successor. The other bits describe the
  // vertex itself and stay.
  const int n = CountPolygonRing(ring);
  PolygonVertex* v = ring;
  uint32_t carried = ring->prev->flags & kPolygonVertexEdgeTaken;
  for (int i = 0; i < n; ++i) {
    const uint32_t mine = v->flags & kPolygonVertexEdgeTaken;
    // v's new outgoing edge is the old edge from its predecessor.
    v->flags = (v->flags & ~kPolygonVertexEdgeTaken) | carried;
    carried = mine;
    v = v->next;
  }
  detail_PolygonRing::SwapRingDirection(ring);
  return ring;
}

PolygonVertex* RemoveDuplicatePolygonVertices(PolygonVertex* ring) {
  if (!ring) return nullptr;
  int n = CountPolygonRing(ring);
  PolygonVertex* v = ring;
  // Stop after a whole round without a removal; every removal shortens the ring.
  int sinceRemoval = 0;
  while (n > 1 && sinceRemoval < n) {
    PolygonVertex* next = v->next;
    if (std::fabs(v->x - next->x) <= kPointTolerance &&
        std::fabs(v->y - next->y) <= kPointTolerance) {
      v->prev->next = next;
      next->prev = v->prev;
      if (ring == v) ring = next;
      FreePolygonVertex(v);
      --n;
      sinceRemoval = 0;
    } else {
      ++sinceRemoval;
    }
    v = next;
  }
  if (n == 1) {
    // A lone vertex equals its own successor: the ring collapses to nothing.
    FreePolygonVertex(ring);
    return nullptr;
  }
  return ring;
}

// ---- Lists ----------------------------------------------------------------------------

PolygonList* NewPolygonListNode(PolygonVertex* ring) {
  PolygonList* node = detail_PolygonRing::ListPool().Take();
  node->ring = ring;
  node->next = nullptr;
  return node;
}

void FreePolygonListNode(PolygonList* node) {
  if (!node) return;
  node->ring = nullptr;
  detail_PolygonRing::ListPool().Give(node);
}

void ReleasePolygonListPool() { detail_PolygonRing::ListPool().Release(); }

int CountLivePolygonListNodes() { return detail_PolygonRing::ListPool().live; }

void AppendToPolygonList(PolygonVertex* ring, PolygonList*& head, PolygonList*& tail) {
  PolygonList* node = NewPolygonListNode(ring);
  if (tail)
    tail->next = node;
  else
    head = node;
  tail = node;
}

void FreePolygonList(PolygonList* list) {
  while (list) {
    PolygonList* next = list->next;
    FreePolygonRing(list->ring);
    FreePolygonListNode(list);
    list = next;
  }
}

PolygonList* CopyPolygonList(const PolygonList* list) {
  PolygonList *head = nullptr, *tail = nullptr;
  for (; list; list = list->next) AppendToPolygonList(CopyPolygonRing(list->ring), head, tail);
  return head;
}

int CountPolygonListRings(const PolygonList* list) {
  int n = 0;
  for (; list; list = list->next) ++n;
  return n;
}

int CountPolygonListVertices(const PolygonList* list) {
  int n = 0;
  for (; list; list = list->next) n += CountPolygonRing(list->ring);
  return n;
}

bool IsPolygonListConvex(const PolygonList* list) {
  return list && !list->next && IsPolygonRingConvex(list->ring);
}

void ReversePolygonList(PolygonList* list) {
  for (; list; list = list->next) ReversePolygonRing(list->ring);
}

// ---- Triangulation ----------------------------------------------------------------------

namespace detail_PolygonRing {

// Every corner of the ring of n corners gets its edge and its ear measure, and the
// queue holds them all from the best ear on.
void QueueEars(PolygonVertex* ring, int n, std::vector<EarSortEntry>& sorted, EarQueue& queue) {
  PolygonVertex* v = ring;
  do {
    ComputeEdge(v);
    v->blocker = nullptr;
    v = v->next;
  } while (v != ring);

  sorted.clear();
  v = ring;
  for (int i = 0; i < n; ++i, v = v->next) {
    v->earQuality = EarMeasure(v);
    sorted.push_back({v->earQuality, i, v});
  }
  // Exact keys with the ring position as tie-break: a strict order, same on every machine.
  std::sort(sorted.begin(), sorted.end(), [](const EarSortEntry& a, const EarSortEntry& b) {
    return a.measure < b.measure || (a.measure == b.measure && a.position < b.position);
  });
  for (int i = 0; i < n; ++i) {
    PolygonVertex* e = sorted[i].vertex;
    e->queuePrev = i > 0 ? sorted[i - 1].vertex : nullptr;
    e->queueNext = i + 1 < n ? sorted[i + 1].vertex : nullptr;
  }
  queue.head = sorted[0].vertex;
}

// Cuts the chosen corner (already out of the queue) from the ring and frees it; its
// neighbours are measured and queued again. The corner before it.
PolygonVertex* CutCorner(EarQueue& queue, PolygonVertex* chosen) {
  PolygonVertex* p = chosen->prev;
  PolygonVertex* q = chosen->next;
  p->next = q;
  q->prev = p;
  ComputeEdge(p);
  p->earQuality = EarMeasure(p);
  q->earQuality = EarMeasure(q);
  // Both neighbours have new ears: what blocked the old ones proves nothing now.
  p->blocker = nullptr;
  q->blocker = nullptr;
  queue.Remove(p);
  queue.Insert(p);
  queue.Remove(q);
  queue.Insert(q);
  FreePolygonVertex(chosen);
  return p;
}

}  // namespace detail_PolygonRing

int TriangulatePolygon(PolygonVertex* ring, int maxIndices, int* indices, TriangulationContext* context) {
  using namespace detail_PolygonRing;
  if (context) context->failed = false;
  int n = CountPolygonRing(ring);
  if (n < 3) {
    FreePolygonRing(ring);
    return 0;
  }
  // A clockwise ring is clipped as its counter-clockwise mirror; the triangles are
  // written back in the ring's own winding.
  const bool reversed = GetPolygonRingArea2D(ring) < 0.0;
  std::vector<EarSortEntry> local;
  std::vector<EarSortEntry>& sorted = context ? context->sortBuffer : local;
  if (UncrossRepeatedPoints(ring, n, reversed, sorted)) {
    const std::vector<PolygonVertex*> parts = CollectRings(sorted);
    if (parts.size() > 1) {
      // The ring fell apart into rings that meet at points: each is clipped on its
      // own, in its own winding.
      int count = 0;
      bool failed = false;
      for (PolygonVertex* part : parts) {
        count += TriangulatePolygon(part, maxIndices - count, indices + count, context);
        failed |= context && context->failed;
      }
      if (context) context->failed = failed;
      return count;
    }
    ring = parts.front();
  }
  if (reversed) SwapRingDirection(ring);

  auto fail = [&](int count, const char* why) {
    ShowInternalError("Triangulation failed: %s", why);
    if (context) context->failed = true;
    FreePolygonRing(ring);
    return count;
  };
  auto emit = [&](int& count, const PolygonVertex* p, const PolygonVertex* v, const PolygonVertex* q) {
    indices[count++] = reversed ? q->index : p->index;
    indices[count++] = v->index;
    indices[count++] = reversed ? p->index : q->index;
  };

  EarQueue queue;
  QueueEars(ring, n, sorted, queue);

  int count = 0;
  while (n > 3) {
    PolygonVertex* chosen = ChooseCorner(queue, n);
    if (!chosen) {
      ring = queue.head ? queue.head : ring;
      char why[64];
      std::snprintf(why, sizeof why, "no ear found among %d vertices", n);
      return fail(count, why);
    }
    queue.Remove(chosen);
    if (chosen->earQuality > 0.0 && chosen->earQuality != kEarMeasureReflex) {
      if (count + 3 > maxIndices) {
        ring = chosen;
        return fail(count, "insufficient space");
      }
      emit(count, chosen->prev, chosen, chosen->next);
    }
    ring = CutCorner(queue, chosen);
    --n;
  }
  const double cross = Cross2(ring->edgeX, ring->edgeY, ring->next->edgeX, ring->next->edgeY);
  if (cross > 0.0 && EarMeasure(ring->next) > 0.0) {
    if (count + 3 > maxIndices) {
      ShowInternalError("Triangulation failed: insufficient space\nmax %d, needed %d", maxIndices, count + 3);
      if (context) context->failed = true;
      FreePolygonRing(ring);
      return count;
    }
    emit(count, ring, ring->next, ring->next->next);
  } else if (cross < -kInvertedTriangleTolerance) {
    // A clockwise triangle left over means an earlier cut went outside the ring.
    return fail(count, "last triangle turned inside out");
  }
  FreePolygonRing(ring);
  return count;
}

int TriangulatePolygonRing(PolygonVertex* ring, int** indices, TriangulationContext* context) {
  *indices = nullptr;
  const int n = CountPolygonRing(ring);
  if (n < 3) {
    FreePolygonRing(ring);
    return 0;
  }
  const int size = 3 * (n - 2);
  *indices = context ? AllocIndexBlock(&context->pool, size) : new int[size];
  return TriangulatePolygon(ring, size, *indices, context);
}

int TriangulatePolygonList(PolygonList* list, int maxIndices, int* indices, TriangulationContext* context) {
  if (!list) return 0;
  list = MergePolygonListRings(list);
  if (!list) return 0;
  PolygonVertex* ring = list->ring;
  list->ring = nullptr;
  FreePolygonList(list);
  return TriangulatePolygon(ring, maxIndices, indices, context);
}

int TriangulatePolygonListAlloc(PolygonList* list, int** indices, TriangulationContext* context) {
  *indices = nullptr;
  if (!list) return 0;
  list = MergePolygonListRings(list);
  if (!list) return 0;
  PolygonVertex* ring = list->ring;
  list->ring = nullptr;
  FreePolygonList(list);
  return TriangulatePolygonRing(ring, indices, context);
}

}  // namespace corvia
