// The planar arrangement of a face diagram: cutting segments, loops, nesting, windings.

#include "model/FaceDiagram.h"

#include <cmath>
#include <cstring>
#include <unordered_map>

#include "core/MergeSort.h"
#include "core/Messages.h"
#include "core/Tolerances.h"
#include "model/FaceDiagramCells.h"

namespace corvia {

namespace detail_FaceDiagram {

constexpr double kPi = 3.14159265358979323846;
constexpr int32_t kFirstSourceCapacity = 10;

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
}

void FaceDiagram::Init(int32_t kind, const DiagramSourceCallbacks* callbacks) {
  Reset();
  mSourceKind = kind;
  mCallbacks = callbacks;
}

DiagramVertex* FaceDiagram::FindOrCreateVert2D(const double* point, bool& created) {
  for (DiagramVertex* v = mFirstVertex; v; v = v->next) {
    if (std::fabs(v->x - point[0]) <= kPointTolerance && std::fabs(v->y - point[1]) <= kPointTolerance) {
      created = false;
      return v;
    }
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
  created = true;
  return v;
}

int32_t FaceDiagram::EnterSource(DiagramSource source) {
  for (int32_t i = 0; i < mNumSources; ++i)
    if (mSources[i].source == source) return i;
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
  for (size_t i = 0; i < numSegments; ++i) {
    DiagramVertex* a = mSegments[i].from;
    DiagramVertex* b = mSegments[i].to;
    for (size_t j = i + 1; j < numSegments; ++j) {
      DiagramVertex* c = mSegments[j].from;
      DiagramVertex* d = mSegments[j].to;
      if (BoxesApart(a, b, c, d)) continue;
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
      const bool crossAB = (offC > kPointTolerance && offD < -kPointTolerance) ||
                           (offC < -kPointTolerance && offD > kPointTolerance);
      const bool crossCD = (offA > kPointTolerance && offB < -kPointTolerance) ||
                           (offA < -kPointTolerance && offB > kPointTolerance);
      if (!crossAB || !crossCD) continue;
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
    }
  }

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
