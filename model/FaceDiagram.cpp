// The planar arrangement of a face diagram: cutting segments, loops, nesting, windings.

#include "model/FaceDiagram.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <unordered_map>

#include "core/MergeSort.h"
#include "core/Messages.h"
#include "core/Progress.h"
#include "core/Tolerances.h"
#include "model/FaceDiagramCells.h"

namespace corvia {

namespace detail_FaceDiagram {

constexpr double kPi = 3.14159265358979323846;
constexpr int32_t kFirstSourceCapacity = 10;

// The squares vertices are filed under are this many tolerances wide: a vertex within
// the tolerance of a point lies in the point's square or one beside it.
constexpr double kVertexSquareOfTolerance = 4.0;
// Square numbers stay within this; beyond it they are clamped, which only files far
// points together.
constexpr double kSquareLimit = 1073741824.0;
// A segment whose box covers more squares of the pair search than this is tested
// against every later segment instead of being filed.
constexpr int64_t kMostSquaresOfSegment = 16;

int64_t SquareOf(double x, double width) {
  return static_cast<int64_t>(std::clamp(std::floor(x / width), -kSquareLimit, kSquareLimit));
}

uint64_t SquareKey(int64_t x, int64_t y) {
  return static_cast<uint64_t>(x + static_cast<int64_t>(kSquareLimit)) << 32 |
         static_cast<uint64_t>(y + static_cast<int64_t>(kSquareLimit));
}

struct SplitPoint {
  double t;
  DiagramVertex* vertex;
};

double Cross2(double ax, double ay, double bx, double by) { return ax * by - ay * bx; }

DiagramVertex* EndOf(const HalfEdge* h) { return h->twin->start; }

// The winding change of a half-edge: the stored half's list, negated for the reversed.
bool IsReversedHalf(const HalfEdge* h) { return (h->flags & kHalfEdgeReversed) != 0; }
const WindingNode* StoredWinding(const HalfEdge* h) { return IsReversedHalf(h) ? h->twin->winding : h->winding; }

// Parameter of p along a -> b (0 at a, 1 at b) and its distance from the line.
void Locate(const DiagramVertex* a, const DiagramVertex* b, const DiagramVertex* p, double& t, double& along,
            double& length, double& offLine) {
  const double dx = b->x - a->x, dy = b->y - a->y;
  length = std::sqrt(dx * dx + dy * dy);
  along = ((p->x - a->x) * dx + (p->y - a->y) * dy) / length;
  t = along / length;
  offLine = Cross2(dx, dy, p->x - a->x, p->y - a->y) / length;
}

// Adds p to the split list of segment a-b when it lies on the segment's interior.
void SplitAtIfInside(std::vector<SplitPoint>& splits, const DiagramVertex* a, const DiagramVertex* b,
                     DiagramVertex* p) {
  if (p == a || p == b) return;
  double t, along, length, off;
  Locate(a, b, p, t, along, length, off);
  if (std::fabs(off) > kPointTolerance) return;
  if (along <= kPointTolerance || along >= length - kPointTolerance) return;
  splits.push_back({t, p});
}

bool BoxesApart(const DiagramVertex* a, const DiagramVertex* b, const DiagramVertex* c, const DiagramVertex* d) {
  const double tol = kPointTolerance;
  return std::fmax(a->x, b->x) < std::fmin(c->x, d->x) - tol || std::fmax(c->x, d->x) < std::fmin(a->x, b->x) - tol ||
         std::fmax(a->y, b->y) < std::fmin(c->y, d->y) - tol || std::fmax(c->y, d->y) < std::fmin(a->y, b->y) - tol;
}

// Turn from the direction of h to that of the half-edge after it, in (-pi, pi]; the
// turn back at a dangling end goes round the end clockwise.
double TurnAfter(const HalfEdge* h) {
  const HalfEdge* n = h->next;
  if (n == h->twin) return -kPi;
  const DiagramVertex* a = h->start;
  const DiagramVertex* b = EndOf(h);
  const DiagramVertex* c = EndOf(n);
  const double ux = b->x - a->x, uy = b->y - a->y;
  const double vx = c->x - b->x, vy = c->y - b->y;
  const double angle = std::atan2(Cross2(ux, uy, vx, vy), ux * vx + uy * vy);
  return angle >= kPi ? -kPi : angle;
}

}  // namespace detail_FaceDiagram

// ---- Winding lists ------------------------------------------------------------------------

void AddWinding(WindingNode*& list, int32_t source, int32_t count, BlockPool<WindingNode>& pool) {
  WindingNode** link = &list;
  while (*link && (*link)->source < source) link = &(*link)->next;
  if (*link && (*link)->source == source) {
    (*link)->count += count;
    return;
  }
  WindingNode* node = pool.Alloc(1);
  node->source = source;
  node->count = count;
  node->next = *link;
  *link = node;
}

void AddWindingList(WindingNode*& list, const WindingNode* other, bool negate, BlockPool<WindingNode>& pool) {
  for (; other; other = other->next) AddWinding(list, other->source, negate ? -other->count : other->count, pool);
}

WindingNode* CopyWindingList(const WindingNode* list, BlockPool<WindingNode>& pool) {
  WindingNode* head = nullptr;
  WindingNode** tail = &head;
  for (; list; list = list->next) {
    // Sources whose windings cancelled are left out: the loops' windings are copied
    // from loop to loop across a diagram, and a plane of many faces would carry every
    // face crossed on the way, the lists (and the pool under them) growing with the
    // plane's width.
    if (list->count == 0) continue;
    WindingNode* node = pool.Alloc(1);
    node->source = list->source;
    node->count = list->count;
    *tail = node;
    tail = &node->next;
  }
  return head;
}

void DropZeroWindings(WindingNode*& list) {
  WindingNode** link = &list;
  while (*link) {
    if ((*link)->count == 0)
      *link = (*link)->next;
    else
      link = &(*link)->next;
  }
}

bool WindingListsEqual(const WindingNode* a, const WindingNode* b) {
  for (; a && b; a = a->next, b = b->next)
    if (a->source != b->source || a->count != b->count) return false;
  return !a && !b;
}

int CompareWindingLists(const WindingNode* a, const WindingNode* b) {
  for (; a && b; a = a->next, b = b->next) {
    if (a->count != b->count) return a->count < b->count ? -1 : 1;
    if (a->source != b->source) return a->source < b->source ? -1 : 1;
  }
  if (!a && !b) return 0;
  return a ? 1 : -1;
}

int32_t GetWindingOf(const WindingNode* list, int32_t source) {
  for (; list; list = list->next)
    if (list->source == source) return list->count;
  return 0;
}

// ---- Diagram --------------------------------------------------------------------------------

FaceDiagram::FaceDiagram(FaceDiagramWorkPools* workPools, FaceDiagramResultPools* resultPools)
    : mWorkPools(workPools ? workPools : &GetFaceDiagramWorkPools()),
      mResultPools(resultPools ? resultPools : &GetFaceDiagramResultPools()) {}

void FaceDiagram::SetPools(FaceDiagramWorkPools* workPools, FaceDiagramResultPools* resultPools) {
  if (workPools) mWorkPools = workPools;
  if (resultPools) mResultPools = resultPools;
}

void FaceDiagram::ClearLoops() {
  mFirstLoop = mLastLoop = nullptr;
  mFirstComponent = nullptr;
  mFirstHalfEdge = mLastHalfEdge = nullptr;
  mFirstEdge = nullptr;
  mNumLoops = mNumComponents = 0;
  mLoopsFailed = false;
}

void FaceDiagram::Reset() {
  ClearLoops();
  mSourceKind = kDiagramSourceNone;
  mCallbacks = nullptr;
  mNumCells = 0;
  mCells = nullptr;
  mTriangles = nullptr;
  mFirstVertex = mLastVertex = nullptr;
  mNumVertices = 0;
  mSources = nullptr;
  mNumSources = mSourceCapacity = 0;
  mSegments.clear();
  ForgetVerticesAndSources();
  mWorkPools->Rewind();
  // Results kept in the program's shared result pools live until the next build.
  if (mResultPools == &GetFaceDiagramResultPools()) mResultPools->Rewind();
}

void FaceDiagram::ReleaseWorkRecords() {
  mWorkPools->Rewind();
  ClearLoops();
  mFirstVertex = mLastVertex = nullptr;
  mNumVertices = 0;
  mSources = nullptr;
  mNumSources = mSourceCapacity = 0;
  mSegments.clear();
  ForgetVerticesAndSources();
}

void FaceDiagram::ForgetVerticesAndSources() {
  mVertexSquares.clear();
  mVertexChain.clear();
  mSourcePositions.clear();
}

void FaceDiagram::Init(int32_t kind, const DiagramSourceCallbacks* callbacks) {
  Reset();
  mSourceKind = kind;
  mCallbacks = callbacks;
}

DiagramVertex* FaceDiagram::FindOrCreateVert2D(const double* point, bool& created) {
  using namespace detail_FaceDiagram;
  // The first vertex made within the tolerance; a point that is not finite is near none.
  const bool finite = std::isfinite(point[0]) && std::isfinite(point[1]);
  const double width = kVertexSquareOfTolerance * kPointTolerance;
  const int64_t sx = finite ? SquareOf(point[0], width) : 0;
  const int64_t sy = finite ? SquareOf(point[1], width) : 0;
  DiagramVertex* first = nullptr;
  for (int64_t x = sx - 1; x <= sx + 1 && finite; ++x) {
    for (int64_t y = sy - 1; y <= sy + 1; ++y) {
      const auto square = mVertexSquares.find(SquareKey(x, y));
      for (int32_t at = square == mVertexSquares.end() ? -1 : square->second; at >= 0;
           at = mVertexChain[static_cast<size_t>(at)].second) {
        DiagramVertex* v = mVertexChain[static_cast<size_t>(at)].first;
        if (std::fabs(v->x - point[0]) <= kPointTolerance && std::fabs(v->y - point[1]) <= kPointTolerance &&
            (!first || v->index < first->index)) {
          first = v;
        }
      }
    }
  }
  if (first) {
    created = false;
    return first;
  }
  DiagramVertex* v = mWorkPools->mVertices->Alloc(1);
  v->x = point[0];
  v->y = point[1];
  v->index = mNumVertices++;
  v->prev = mLastVertex;
  if (mLastVertex)
    mLastVertex->next = v;
  else
    mFirstVertex = v;
  mLastVertex = v;
  if (finite) {
    int32_t& head = mVertexSquares.try_emplace(SquareKey(sx, sy), -1).first->second;
    mVertexChain.emplace_back(v, head);
    head = static_cast<int32_t>(mVertexChain.size() - 1);
  }
  created = true;
  return v;
}

int32_t FaceDiagram::EnterSource(DiagramSource source) {
  const auto [known, added] = mSourcePositions.try_emplace(source, mNumSources);
  if (!added) return known->second;
  if (mNumSources == mSourceCapacity) {
    // The table moves to a new block twice the size; the old block stays in the pool.
    const int32_t capacity = mSourceCapacity ? 2 * mSourceCapacity : detail_FaceDiagram::kFirstSourceCapacity;
    DiagramSourceEntry* table = mWorkPools->mSourceTables->Alloc(capacity);
    for (int32_t i = 0; i < mNumSources; ++i) table[i] = mSources[i];
    mSources = table;
    mSourceCapacity = capacity;
  }
  DiagramSourceEntry& entry = mSources[mNumSources];
  entry.source = source;
  entry.area = 0.0;
  entry.position = mNumSources;
  return mNumSources++;
}

void FaceDiagram::AddEdge(DiagramSource source, const double* from, const double* to) {
  if (std::fabs(from[0] - to[0]) <= kPointTolerance && std::fabs(from[1] - to[1]) <= kPointTolerance) return;
  const int32_t position = EnterSource(source);
  bool created;
  DiagramVertex* a = FindOrCreateVert2D(from, created);
  DiagramVertex* b = FindOrCreateVert2D(to, created);
  // Ends that snapped onto one vertex leave nothing to draw.
  if (a == b) return;
  mSegments.push_back({a, b, position});
}

void FaceDiagram::LinkHalfEdge(HalfEdge* h) {
  h->listPrev = mLastHalfEdge;
  if (mLastHalfEdge)
    mLastHalfEdge->listNext = h;
  else
    mFirstHalfEdge = h;
  mLastHalfEdge = h;
}

template <typename Visit>
void FaceDiagram::ForEachNearSegmentPair(Visit visit) const {
  using namespace detail_FaceDiagram;
  const size_t n = mSegments.size();
  // Boxes widened by twice the tolerance: boxes that BoxesApart keeps together overlap
  // as rounded, and so do the ranges of squares they cover.
  struct Box {
    double low[2];
    double high[2];
  };
  std::vector<Box> boxes(n);
  double extent = 0.0;
  size_t measured = 0;
  for (size_t i = 0; i < n; ++i) {
    const DiagramVertex* a = mSegments[i].from;
    const DiagramVertex* b = mSegments[i].to;
    boxes[i] = {{std::fmin(a->x, b->x) - 2.0 * kPointTolerance, std::fmin(a->y, b->y) - 2.0 * kPointTolerance},
                {std::fmax(a->x, b->x) + 2.0 * kPointTolerance, std::fmax(a->y, b->y) + 2.0 * kPointTolerance}};
    const double size = std::fmax(boxes[i].high[0] - boxes[i].low[0], boxes[i].high[1] - boxes[i].low[1]);
    if (std::isfinite(size)) {
      extent += size;
      ++measured;
    }
  }
  // Squares as wide as a segment is on average: a segment of a plane cut into many
  // faces covers a few; the long lines of a stellation diagram cover many and are
  // tested against every later segment, as all pairs were.
  const double width = measured > 0 ? extent / static_cast<double>(measured) : 0.0;
  const bool squared = width > 0.0 && std::isfinite(width);
  auto range = [&](const Box& box, int64_t* from, int64_t* to) {
    for (int k = 0; k < 2; ++k) {
      if (!std::isfinite(box.low[k]) || !std::isfinite(box.high[k])) return false;
      from[k] = SquareOf(box.low[k], width);
      to[k] = SquareOf(box.high[k], width);
    }
    return (to[0] - from[0] + 1) * (to[1] - from[1] + 1) <= kMostSquaresOfSegment;
  };
  std::vector<uint8_t> filed(n, 0);
  std::unordered_map<uint64_t, std::vector<uint32_t>> squares;
  std::vector<uint32_t> unfiled;
  for (size_t i = 0; i < n; ++i) {
    int64_t from[2] = {0, 0}, to[2] = {0, 0};
    if (squared && range(boxes[i], from, to)) {
      filed[i] = 1;
      for (int64_t x = from[0]; x <= to[0]; ++x) {
        for (int64_t y = from[1]; y <= to[1]; ++y) squares[SquareKey(x, y)].push_back(static_cast<uint32_t>(i));
      }
    } else {
      unfiled.push_back(static_cast<uint32_t>(i));
    }
  }
  std::vector<uint32_t> later;
  for (size_t i = 0; i < n; ++i) {
    if (!filed[i]) {
      for (size_t j = i + 1; j < n; ++j) {
        if (!visit(i, j)) return;
      }
      continue;
    }
    later.clear();
    int64_t from[2] = {0, 0}, to[2] = {0, 0};
    range(boxes[i], from, to);
    for (int64_t x = from[0]; x <= to[0]; ++x) {
      for (int64_t y = from[1]; y <= to[1]; ++y) {
        const std::vector<uint32_t>& here = squares[SquareKey(x, y)];
        later.insert(later.end(), std::upper_bound(here.begin(), here.end(), static_cast<uint32_t>(i)), here.end());
      }
    }
    later.insert(later.end(), std::upper_bound(unfiled.begin(), unfiled.end(), static_cast<uint32_t>(i)),
                 unfiled.end());
    std::sort(later.begin(), later.end());
    later.erase(std::unique(later.begin(), later.end()), later.end());
    for (uint32_t j : later) {
      if (!visit(i, static_cast<size_t>(j))) return;
    }
  }
}

void FaceDiagram::CreateLoops() {
  using namespace detail_FaceDiagram;
  ClearLoops();
  const size_t numSegments = mSegments.size();
  if (numSegments == 0) return;

  // 1. Cut every segment at the vertices where others cross, touch or overlap it.
  std::vector<std::vector<SplitPoint>> splits(numSegments);
  for (size_t i = 0; i < numSegments; ++i) {
    splits[i].push_back({0.0, mSegments[i].from});
    splits[i].push_back({1.0, mSegments[i].to});
  }
  // Every loop of a large diagram answers the progress window; after a cancel the
  // diagram is left without loops, as one whose arrangement failed.
  ProgressTicker tick;
  bool goOn = true;
  auto stop = [this]() {
    ClearLoops();
    mLoopsFailed = true;
  };
  ForEachNearSegmentPair([&](size_t i, size_t j) {
    if (!tick()) return goOn = false;
    DiagramVertex* a = mSegments[i].from;
    DiagramVertex* b = mSegments[i].to;
    DiagramVertex* c = mSegments[j].from;
    DiagramVertex* d = mSegments[j].to;
    if (BoxesApart(a, b, c, d)) return true;
    // Ends lying on the other segment (touches and collinear overlaps).
    SplitAtIfInside(splits[i], a, b, c);
    SplitAtIfInside(splits[i], a, b, d);
    SplitAtIfInside(splits[j], c, d, a);
    SplitAtIfInside(splits[j], c, d, b);
    // A proper crossing: each segment's ends lie strictly on both sides of the other.
    double t, along, length, offC, offD, offA, offB;
    Locate(a, b, c, t, along, length, offC);
    Locate(a, b, d, t, along, length, offD);
    Locate(c, d, a, t, along, length, offA);
    Locate(c, d, b, t, along, length, offB);
    const bool crossAB =
        (offC > kPointTolerance && offD < -kPointTolerance) || (offC < -kPointTolerance && offD > kPointTolerance);
    const bool crossCD =
        (offA > kPointTolerance && offB < -kPointTolerance) || (offA < -kPointTolerance && offB > kPointTolerance);
    if (!crossAB || !crossCD) return true;
    const double u = offA / (offA - offB);
    const double point[2] = {a->x + u * (b->x - a->x), a->y + u * (b->y - a->y)};
    bool created;
    DiagramVertex* x = FindOrCreateVert2D(point, created);
    if (x != a && x != b) {
      Locate(a, b, x, t, along, length, offA);
      splits[i].push_back({t, x});
    }
    if (x != c && x != d) {
      Locate(c, d, x, t, along, length, offA);
      splits[j].push_back({t, x});
    }
    return true;
  });
  if (!goOn) return stop();

  // 2. The pieces between successive cut points; pieces on the same two vertices are
  // one edge whose winding change sums those of all segments laid on it.
  struct EdgeBuild {
    DiagramVertex* low;
    DiagramVertex* high;
    int32_t firstSource;
    int32_t laid;
    WindingNode* winding;
  };
  std::vector<EdgeBuild> edges;
  std::unordered_map<uint64_t, size_t> edgeOf;
  BlockPool<WindingNode>& windings = *mWorkPools->mWindings;
  for (size_t i = 0; i < numSegments; ++i) {
    if (!tick()) return stop();
    std::vector<SplitPoint>& list = splits[i];
    MergeSort(list, [](const SplitPoint& p, const SplitPoint& q) {
      if (p.t != q.t) return p.t < q.t ? -1 : 1;
      return p.vertex->index < q.vertex->index ? -1 : (p.vertex->index > q.vertex->index ? 1 : 0);
    });
    DiagramVertex* previous = list[0].vertex;
    for (size_t k = 1; k < list.size(); ++k) {
      DiagramVertex* v = list[k].vertex;
      if (v == previous) continue;
      const bool forward = previous->index < v->index;
      DiagramVertex* low = forward ? previous : v;
      DiagramVertex* high = forward ? v : previous;
      const uint64_t key = (static_cast<uint64_t>(low->index) << 32) | static_cast<uint32_t>(high->index);
      auto found = edgeOf.find(key);
      size_t e;
      if (found == edgeOf.end()) {
        e = edges.size();
        edgeOf.emplace(key, e);
        edges.push_back({low, high, mSegments[i].source, 0, nullptr});
      } else {
        e = found->second;
      }
      // Crossing a segment from its left to its right lowers the winding by one.
      AddWinding(edges[e].winding, mSegments[i].source, forward ? -1 : 1, windings);
      edges[e].laid++;
      previous = v;
    }
  }

  // 3. Half-edge pairs, ordered round every vertex by direction.
  std::vector<std::vector<HalfEdge*>> around(static_cast<size_t>(mNumVertices));
  DiagramEdge* lastEdge = nullptr;
  for (EdgeBuild& build : edges) {
    if (!tick()) return stop();
    DiagramEdge* edge = mWorkPools->mEdges->Alloc(1);
    HalfEdge* h = mWorkPools->mHalfEdges->Alloc(2);
    HalfEdge* t = h + 1;
    edge->start = build.low;
    edge->end = build.high;
    edge->source = build.firstSource;
    edge->first = h;
    edge->flags = build.laid > 1 ? kDiagramEdgeOverlapping : 0;
    edge->prev = lastEdge;
    lastEdge = edge;
    h->twin = t;
    t->twin = h;
    h->edge = t->edge = edge;
    h->start = build.low;
    t->start = build.high;
    t->flags = kHalfEdgeReversed;
    h->winding = build.winding;
    h->next = h->prev = t;
    t->next = t->prev = h;
    h->angle = std::atan2(build.high->y - build.low->y, build.high->x - build.low->x);
    t->angle = std::atan2(build.low->y - build.high->y, build.low->x - build.high->x);
    LinkHalfEdge(h);
    LinkHalfEdge(t);
    around[static_cast<size_t>(build.low->index)].push_back(h);
    around[static_cast<size_t>(build.high->index)].push_back(t);
    build.low->firstOut = h;
    build.high->firstOut = t;
  }
  mFirstEdge = lastEdge;
  const int32_t numHalfEdges = static_cast<int32_t>(2 * edges.size());
  for (std::vector<HalfEdge*>& out : around) {
    if (!tick()) return stop();
    const size_t k = out.size();
    if (k == 0) continue;
    MergeSort(out, [](const HalfEdge* p, const HalfEdge* q) {
      if (p->angle != q->angle) return p->angle < q->angle ? -1 : 1;
      return p < q ? -1 : (p > q ? 1 : 0);
    });
    // Arriving along the twin of out[p], the loop on the left goes on along the next
    // outgoing half-edge clockwise.
    for (size_t p = 0; p < k; ++p) {
      HalfEdge* arriving = out[p]->twin;
      HalfEdge* leaving = out[(p + k - 1) % k];
      arriving->next = leaving;
      leaving->prev = arriving;
    }
  }

  // 4. Loops, each walk bounded by the number of half-edges.
  for (HalfEdge* start = mFirstHalfEdge; start; start = start->listNext) {
    if (!tick()) return stop();
    if (start->loop) continue;
    DiagramLoop* loop = mWorkPools->mLoops->Alloc(1);
    loop->first = start;
    double turn = 0.0;
    int32_t steps = 0;
    HalfEdge* h = start;
    do {
      if (h->loop || steps >= numHalfEdges) {
        // The diagram is left without loops and says so (mLoopsFailed), which its
        // users read.
        mLoopsFailed = true;
        ClearLoops();
        mLoopsFailed = true;
        return;
      }
      h->loop = loop;
      turn += TurnAfter(h);
      ++steps;
      h = h->next;
    } while (h != start);
    loop->numEdges = steps;
    const long turns = std::lround(turn / (2.0 * kPi));
    if (turns < 0)
      loop->flags |= kLoopClockwise;
    else if (turns == 0)
      loop->flags |= kLoopDegenerate;
    loop->prev = mLastLoop;
    if (mLastLoop)
      mLastLoop->next = loop;
    else
      mFirstLoop = loop;
    mLastLoop = loop;
    mNumLoops++;
  }

  // 5. Windings: breadth first from each component's outer loop across its edges.
  std::vector<DiagramLoop*> queue;
  DiagramComponent* lastComponent = nullptr;
  std::vector<DiagramComponent*> components;
  for (DiagramLoop* outer = mFirstLoop; outer; outer = outer->next) {
    if (!tick()) return stop();
    if (!(outer->flags & kLoopClockwise) || (outer->flags & kLoopVisited)) continue;
    DiagramComponent* component = mWorkPools->mComponents->Alloc(1);
    component->outer = outer;
    if (lastComponent)
      lastComponent->next = component;
    else
      mFirstComponent = component;
    lastComponent = component;
    components.push_back(component);
    mNumComponents++;
    outer->flags |= kLoopVisited;
    outer->component = component;
    outer->winding = nullptr;
    DiagramLoop* lastChild = nullptr;
    queue.clear();
    queue.push_back(outer);
    for (size_t q = 0; q < queue.size(); ++q) {
      if (!tick()) return stop();
      DiagramLoop* loop = queue[q];
      HalfEdge* h = loop->first;
      for (int32_t s = 0; s < loop->numEdges; ++s, h = h->next) {
        if (loop == outer) {
          const DiagramVertex* v = h->start;
          component->minX = std::fmin(component->minX, v->x);
          component->minY = std::fmin(component->minY, v->y);
          component->maxX = std::fmax(component->maxX, v->x);
          component->maxY = std::fmax(component->maxY, v->y);
        }
        DiagramLoop* other = h->twin->loop;
        if (other->flags & kLoopVisited) continue;
        other->flags |= kLoopVisited;
        other->component = component;
        other->winding = CopyWindingList(loop->winding, windings);
        AddWindingList(other->winding, StoredWinding(h), IsReversedHalf(h), windings);
        if (!(other->flags & (kLoopClockwise | kLoopDegenerate))) {
          if (lastChild)
            lastChild->sibling = other;
          else
            outer->firstChild = other;
          lastChild = other;
        }
        queue.push_back(other);
      }
    }
    component->boxArea = (component->maxX - component->minX) * (component->maxY - component->minY);
  }

  // 6. Nesting of components inside the regions of larger ones.
  if (components.size() > 1) {
    std::vector<DiagramComponent*> bySize = components;
    MergeSort(bySize, [](const DiagramComponent* p, const DiagramComponent* q) {
      if (p->boxArea != q->boxArea) return p->boxArea > q->boxArea ? -1 : 1;
      return 0;
    });
    for (size_t i = 1; i < bySize.size(); ++i) {
      if (!tick()) return stop();
      DiagramComponent* inner = bySize[i];
      const DiagramVertex* p = inner->outer->first->start;
      for (size_t j = 0; j < i; ++j) {
        DiagramComponent* outer = bySize[j];
        if (outer->flags & kComponentNested) continue;
        if (!(outer->minX < inner->minX && outer->minY < inner->minY && outer->maxX > inner->maxX &&
              outer->maxY > inner->maxY))
          continue;
        if (!IsPointInDiagramLoop(outer->outer, p->x, p->y)) continue;
        InsertChild(outer, inner);
        inner->flags |= kComponentNested;
        break;
      }
    }
  }

  for (DiagramLoop* loop = mFirstLoop; loop; loop = loop->next) DropZeroWindings(loop->winding);
}

void FaceDiagram::InsertChild(DiagramComponent* container, DiagramComponent* component) {
  const DiagramVertex* p = component->outer->first->start;
  DiagramComponent* current = container;
  // Each step descends one level; there are no more levels than components.
  for (int32_t depth = 0; depth <= mNumComponents; ++depth) {
    DiagramLoop* region = current->outer->firstChild;
    while (region && !IsPointInDiagramLoop(region, p->x, p->y)) region = region->sibling;
    if (!region) return;  // no region holds it: left out of the tree
    DiagramComponent* deeper = region->firstNested;
    while (deeper && !IsPointInDiagramLoop(deeper->outer, p->x, p->y)) deeper = deeper->nestedNext;
    if (deeper) {
      current = deeper;
      continue;
    }
    component->nestedNext = region->firstNested;
    region->firstNested = component;
    component->region = region;
    component->outer->flags |= kLoopPlaced;
    AddWindingToNested(component, region->winding, 0);
    return;
  }
}

void FaceDiagram::AddWindingToNested(DiagramComponent* component, const WindingNode* winding, int depth) {
  if (!winding || depth > mNumComponents) return;
  BlockPool<WindingNode>& pool = *mWorkPools->mWindings;
  AddWindingList(component->outer->winding, winding, false, pool);
  for (DiagramLoop* loop = component->outer->firstChild; loop; loop = loop->sibling) {
    AddWindingList(loop->winding, winding, false, pool);
    for (DiagramComponent* nested = loop->firstNested; nested; nested = nested->nestedNext)
      AddWindingToNested(nested, winding, depth + 1);
  }
}

bool IsPointInDiagramLoop(const DiagramLoop* loop, double x, double y) {
  const double height = y + kPointTolerance;
  int sum = 0;
  const HalfEdge* h = loop->first;
  for (int32_t s = 0; s < loop->numEdges; ++s, h = h->next) {
    const DiagramVertex* a = h->start;
    const DiagramVertex* b = h->twin->start;
    const bool up = a->y <= height && b->y > height;
    const bool down = b->y <= height && a->y > height;
    if (!up && !down) continue;
    const double crossX = a->x + (height - a->y) * (b->x - a->x) / (b->y - a->y);
    if (crossX > x) sum += up ? 1 : -1;
  }
  return sum != 0;
}

void FaceDiagram::Finish(uint32_t flags, PolyElement* ownerFace) {
  CreateLoops();
  CreateLoopTypes(this, ownerFace, (flags & kDiagramFinishSecondColour) != 0);
  CalcAllColors(mCells, mNumCells,
                GetDiagramDrawFlags((flags & kDiagramFinishFilled) != 0, (flags & kDiagramFinishEvenOdd) != 0),
                mSourceKind, mCallbacks);
}

// ---- Builder ----------------------------------------------------------------------------------

void BeginFaceDiagram(FaceDiagramResult* result, FaceDiagram* diagram, int32_t kind, FaceDiagramWorkPools* workPools,
                      FaceDiagramResultPools* resultPools, FaceDiagramBuilder* builder) {
  *builder = FaceDiagramBuilder();
  builder->mDiagram = diagram;
  diagram->SetPools(workPools, resultPools);
  diagram->Init(kind, nullptr);
  if (result) {
    result->Reset();
    result->mSourceKind = kind;
  }
}

void DiagramClosePath(DiagramSource source, bool reversed, FaceDiagramBuilder* builder) {
  if (builder->mFirst[0] != kDiagramNoPoint && builder->mDiagram) {
    if (builder->mReversed)
      builder->mDiagram->AddEdge(builder->mSource, builder->mFirst, builder->mCurrent);
    else
      builder->mDiagram->AddEdge(builder->mSource, builder->mCurrent, builder->mFirst);
    builder->mFirst[0] = kDiagramNoPoint;
  }
  builder->mSource = source;
  builder->mReversed = reversed;
}

void DiagramLineTo(const double* point, FaceDiagramBuilder* builder) {
  if (builder->mFirst[0] == kDiagramNoPoint) {
    builder->mFirst[0] = point[0];
    builder->mFirst[1] = point[1];
  } else if (builder->mDiagram) {
    if (builder->mReversed)
      builder->mDiagram->AddEdge(builder->mSource, point, builder->mCurrent);
    else
      builder->mDiagram->AddEdge(builder->mSource, builder->mCurrent, point);
  }
  builder->mCurrent[0] = point[0];
  builder->mCurrent[1] = point[1];
}

void EndFaceDiagram(FaceDiagramResult* result, FaceDiagramBuilder* builder, DiagramCell** cells, uint32_t flags,
                    PolyElement* ownerFace) {
  FaceDiagram* diagram = builder->mDiagram;
  DiagramClosePath(builder->mSource, builder->mReversed, builder);
  diagram->Finish(flags, ownerFace);
  if (result) {
    result->mSourceKind = diagram->mSourceKind;
    result->mNumPoints = diagram->mNumVertices;
    result->mPoints = diagram->mResultPools->mPoints->Alloc(diagram->mNumVertices);
    int32_t i = 0;
    for (DiagramVertex* v = diagram->mFirstVertex; v && i < diagram->mNumVertices; v = v->next, ++i) {
      result->mPoints[i].x = v->x;
      result->mPoints[i].y = v->y;
    }
    result->mNumCells = diagram->mNumCells;
    result->mTriangles = diagram->mTriangles;
  }
  if (cells) *cells = diagram->mCells;
  diagram->ReleaseWorkRecords();
}

}  // namespace corvia
