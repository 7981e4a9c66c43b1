#include "core/PolygonSplit.h"

#include <cmath>
#include <utility>
#include <vector>

#include "core/Geometry.h"
#include "core/Messages.h"
#include "core/Tolerances.h"
#include "core/VectorMath.h"

namespace corvia {

namespace detail_PolygonSplit {

constexpr double kTwoPi = 6.283185307179586;
constexpr double kPi = 3.141592653589793;
constexpr double kNoAngle = 999999.9;

PolygonColorModeQuery gColorModeQuery = nullptr;

inline int ColorMode() { return gColorModeQuery ? gColorModeQuery() : 0; }

// Counter-clockwise angle in [0, 2 pi) from direction u to direction w, from chord
// lengths of the unit vectors (accurate near 0 and near pi alike).
double TurnAngle(double ux, double uy, double wx, double wy) {
  const double lu = std::sqrt(ux * ux + uy * uy);
  const double lw = std::sqrt(wx * wx + wy * wy);
  if (lu == 0.0 || lw == 0.0) return 0.0;
  ux /= lu;
  uy /= lu;
  wx /= lw;
  wy /= lw;
  const double dot = ux * wx + uy * wy;
  const double cross = ux * wy - uy * wx;
  double angle;
  if (dot >= 0.0) {
    const double chord = std::fmin(1.0, std::sqrt((wx - ux) * (wx - ux) + (wy - uy) * (wy - uy)) / 2.0);
    angle = 2.0 * std::asin(chord);
    if (cross < 0.0) angle = kTwoPi - angle;
  } else {
    const double chord = std::fmin(1.0, std::sqrt((wx + ux) * (wx + ux) + (wy + uy) * (wy + uy)) / 2.0);
    angle = kPi - 2.0 * std::asin(chord);
    if (cross < 0.0) angle = kPi + 2.0 * std::asin(chord);
  }
  return angle;
}

// Marks the ring edge from `from` to its successor as taken, together with every edge
// that joins the same two crossings (or returns to its own crossing).
void MarkEdgeTaken(PolygonVertex* from) {
  from->flags |= kPolygonVertexEdgeTaken;
  PolygonCrossing* s = from->crossing;
  PolygonCrossing* t = from->next->crossing;
  if (!s || !t) return;
  for (PolygonVertex* v = s->vertices; v; v = v->nextAtCrossing) {
    PolygonCrossing* end = v->next->crossing;
    if (end == t || end == s) v->flags |= kPolygonVertexEdgeTaken;
  }
  for (PolygonVertex* v = t->vertices; v; v = v->nextAtCrossing)
    if (v->next->crossing == s) v->flags |= kPolygonVertexEdgeTaken;
}

void AddToChain(PolygonVertex* v, PolygonCrossing* record) {
  v->crossing = record;
  v->nextAtCrossing = record->vertices;
  record->vertices = v;
}

// Undoes every mark the split left on the input ring and puts back its coordinates,
// which were kept in the edge work fields meanwhile.
void RestoreInputRing(PolygonVertex* ring, bool linksSaved) {
  if (linksSaved) RemoveInsertedPolygonVertices(ring);
  PolygonVertex* v = ring;
  do {
    v->crossing = nullptr;
    v->nextAtCrossing = nullptr;
    v->flags &= ~(kPolygonVertexEdgeTaken | kPolygonVertexAtCrossing);
    v->x = v->edgeX;
    v->y = v->edgeY;
    v->edgeX = 0.0;
    v->edgeY = 0.0;
    v = v->next;
  } while (v != ring);
}

void AppendRingOrFree(PolygonVertex* traced, PolygonList*& head, PolygonList*& tail) {
  if (!traced) return;
  // A traced ring of one or two corners encloses nothing.
  if (CountPolygonRing(traced) < 3) {
    FreePolygonRing(traced);
    return;
  }
  AppendToPolygonList(traced, head, tail);
}

inline bool Within(double v, double tol) { return v >= -tol && v <= tol; }

}  // namespace detail_PolygonSplit

void SetPolygonColorModeQuery(PolygonColorModeQuery query) { detail_PolygonSplit::gColorModeQuery = query; }

PolygonCrossing* FindOrAddPolygonCrossing(double* point, PolygonCrossing*& head, PolygonCrossing*& tail) {
  for (PolygonCrossing* c = head; c; c = c->next) {
    if (std::fabs(c->x - point[0]) <= kPointTolerance && std::fabs(c->y - point[1]) <= kPointTolerance) {
      point[0] = c->x;
      point[1] = c->y;
      return c;
    }
  }
  auto* c = new PolygonCrossing;
  c->x = point[0];
  c->y = point[1];
  if (tail)
    tail->next = c;
  else
    head = c;
  tail = c;
  return c;
}

void FreePolygonCrossings(PolygonCrossing* list) {
  while (list) {
    PolygonCrossing* next = list->next;
    delete list;
    list = next;
  }
}

void InsertCrossingVertex(PolygonVertex* start, PolygonCrossing* record) {
  PolygonVertex* end = start->savedNext;
  if (!end || start->crossing == record || end->crossing == record) return;
  const double dx = end->x - start->x, dy = end->y - start->y;
  const bool alongX = std::fabs(dx) > std::fabs(dy);
  const double sign = (alongX ? dx : dy) >= 0.0 ? 1.0 : -1.0;
  const double target = alongX ? record->x : record->y;
  // Vertices already inserted on this edge stand in order along it.
  PolygonVertex* at = start;
  while (at->next != end && ((alongX ? at->next->x : at->next->y) - target) * sign < 0.0) at = at->next;
  if (at->crossing == record || at->next->crossing == record) return;
  PolygonVertex* loose = nullptr;
  PolygonVertex* v = NewPolygonVertex(record->x, record->y, nullptr, nullptr, loose);
  v->x = record->x;  // exactly the crossing, as the other vertices there
  v->y = record->y;
  v->edgeX = record->x;  // its coordinates to restore, as for the input vertices
  v->edgeY = record->y;
  const double span = alongX ? dx : dy;
  const double t = span != 0.0 ? (target - (alongX ? start->x : start->y)) / span : 0.0;
  for (int i = 0; i < 3; ++i) v->point[i] = start->point[i] + t * (end->point[i] - start->point[i]);
  v->owner = start->owner;
  v->flags |= kPolygonVertexAtCrossing;
  PolygonVertex* after = at->next;
  v->prev = at;
  v->next = after;
  at->next = v;
  after->prev = v;
  detail_PolygonSplit::AddToChain(v, record);
}

PolygonVertex* NextEdgeAtCrossing(PolygonCrossing* crossing, const double* previous, double* chosen) {
  using namespace detail_PolygonSplit;
  const double ux = previous[0] - crossing->x, uy = previous[1] - crossing->y;
  double best = kNoAngle;
  PolygonVertex* bestFar = nullptr;
  PolygonVertex* bestEdge = nullptr;  // the vertex whose edge to its successor it is
  for (PolygonVertex* t = crossing->vertices; t; t = t->nextAtCrossing) {
    PolygonVertex* ends[2] = {t->next, t->prev};
    for (int side = 0; side < 2; ++side) {
      PolygonVertex* far = ends[side];
      const double wx = far->x - crossing->x, wy = far->y - crossing->y;
      double angle;
      if (std::sqrt(wx * wx + wy * wy) < kShortEdgeTolerance) {
        angle = kTwoPi;
      } else {
        angle = TurnAngle(ux, uy, wx, wy);
        if (angle < kPointTolerance) angle = kTwoPi;  // straight back: the last choice
      }
      if (angle < best) {
        best = angle;
        bestFar = far;
        bestEdge = side == 0 ? t : far;
      }
    }
  }
  if (!bestFar) return nullptr;
  MarkEdgeTaken(bestEdge);
  if (chosen) {
    chosen[0] = bestFar->x;
    chosen[1] = bestFar->y;
  }
  return bestFar;
}

PolygonVertex* TracePolygonCrossingRing(PolygonVertex* start, PolygonCrossing* record, int& counter,
                                        double& areaBound, double offset) {
  if (!start || !record || !start->crossing) return nullptr;
  // Every edge is walked at most once each way, so a walk longer than that is lost.
  const int limit = 2 * CountPolygonRing(start) + 4;
  PolygonVertex* traced = nullptr;
  double previous[2] = {record->x, record->y};
  PolygonCrossing* previousCrossing = record;
  PolygonVertex* cur = start;
  // Cycle guard: a (crossing, previous crossing) pair taken after 10, 20, 40 ... steps;
  // meeting it again means the walk goes round without closing.
  PolygonCrossing* heldAt = nullptr;
  PolygonCrossing* heldFrom = nullptr;
  int nextHold = 10;
  for (int steps = 1; steps <= limit; ++steps) {
    PolygonCrossing* here = cur->crossing;
    if (!here) break;
    if (here->number < 0) here->number = counter++;
    PolygonVertex* copy = NewPolygonVertex(here->x, here->y, cur->owner, cur->point, traced);
    copy->x = here->x;  // exactly the point the index refers to
    copy->y = here->y;
    copy->index = here->number;
    // Every turn is the sharpest one at its crossing, also at the second of two
    // crossings the split put on one edge: going on along the edge there would cut
    // across the region being traced (the centre of a pentagram would be lost).
    double chosen[2];
    PolygonVertex* far = NextEdgeAtCrossing(here, previous, chosen);
    if (!far) break;
    if (cur->flags & kPolygonVertexAtCrossing) {
      const double d = chosen[0] * chosen[0] + chosen[1] * chosen[1] - offset;
      if (d < areaBound) areaBound = d;
    }
    if (here == record && far->crossing == start->crossing) return traced;  // closed through the start edge
    if (here == heldAt && previousCrossing == heldFrom) break;
    if (steps == nextHold) {
      heldAt = here;
      heldFrom = previousCrossing;
      nextHold *= 2;
    }
    previous[0] = here->x;
    previous[1] = here->y;
    previousCrossing = here;
    cur = far;
  }
  FreePolygonRing(traced);
  return nullptr;
}

namespace detail_PolygonSplit {

// Every corner joins the record of its position; coincident corners share one. The
// corners in ring order; the number of distinct positions.
int FileCornersAtCrossings(PolygonVertex* ring, std::vector<PolygonVertex*>& corners, PolygonCrossing*& crossings,
                           PolygonCrossing*& crossingsTail) {
  int distinct = 0;
  PolygonVertex* v = ring;
  do {
    double p[2] = {v->x, v->y};
    PolygonCrossing* before = crossingsTail;
    PolygonCrossing* record = FindOrAddPolygonCrossing(p, crossings, crossingsTail);
    if (crossingsTail != before) ++distinct;
    v->x = p[0];
    v->y = p[1];
    v->nextAtCrossing = nullptr;
    AddToChain(v, record);
    corners.push_back(v);
    v = v->next;
  } while (v != ring);
  return distinct;
}

// Every meeting of two edges that are not neighbours becomes a crossing vertex on both.
// The corners' ring links are saved first.
void InsertEdgeCrossings(const std::vector<PolygonVertex*>& corners, PolygonCrossing*& crossings,
                         PolygonCrossing*& crossingsTail) {
  const int n = static_cast<int>(corners.size());
  for (int i = 0; i < n; ++i) {
    PolygonVertex* a = corners[i];
    PolygonVertex* b = a->savedNext;
    for (int j = i + 2; j < n; ++j) {
      if (i == 0 && j == n - 1) continue;  // neighbours round the end
      PolygonVertex* c = corners[j];
      PolygonVertex* d = c->savedNext;
      const double pa[2] = {a->x, a->y}, pb[2] = {b->x, b->y}, pc[2] = {c->x, c->y}, pd[2] = {d->x, d->y};
      double out1[2], out2[2];
      const int code = IntersectSegments2D(pa, pb, pc, pd, kPointTolerance, out1, out2);
      if ((code >= kSegmentsAMeetsC && code <= kSegmentsBInsideCD) || code == kSegmentsCross) {
        PolygonCrossing* record = FindOrAddPolygonCrossing(out1, crossings, crossingsTail);
        InsertCrossingVertex(a, record);
        InsertCrossingVertex(c, record);
      } else if (code == kSegmentsPartialOverlap) {
        // The ends of the shared stretch lie inside the other edge: both edges pass
        // through both ends.
        double* ends[2] = {out1, out2};
        for (double* e : ends) {
          PolygonCrossing* record = FindOrAddPolygonCrossing(e, crossings, crossingsTail);
          InsertCrossingVertex(a, record);
          InsertCrossingVertex(c, record);
        }
      }
    }
  }
}

// How the other branches at s's crossing change the winding on the ring's left, passing
// s from its incoming edge to its outgoing one.
int WindingChangeAt(const PolygonVertex* s) {
  const double ux = s->x - s->prev->x, uy = s->y - s->prev->y;
  const double wx = s->next->x - s->x, wy = s->next->y - s->y;
  const bool uShort = std::sqrt(ux * ux + uy * uy) <= kPointTolerance;
  const double theta = (uShort || std::sqrt(wx * wx + wy * wy) <= kPointTolerance) ? 0.0 : TurnAngle(ux, uy, wx, wy);
  auto onLeft = [theta](double phi) { return theta <= kPi ? (theta < phi && phi < kPi) : (phi > theta || phi < kPi); };
  int change = 0;
  for (const PolygonVertex* t = s->crossing->vertices; t; t = t->nextAtCrossing) {
    if (t == s) continue;
    const double ox = t->next->x - t->x, oy = t->next->y - t->y;
    if (!(Within(ox, kPointTolerance) && Within(oy, kPointTolerance))) {
      const double phi = uShort ? 0.0 : TurnAngle(ux, uy, ox, oy);
      if (!(Within(phi - theta, kAngleTolerance) || Within(phi - kPi, kAngleTolerance))) change += onLeft(phi) ? -1 : 1;
    }
    const double bx = t->prev->x - t->x, by = t->prev->y - t->y;
    if (!(Within(bx, kPointTolerance) && Within(by, kPointTolerance))) {
      const double phi = uShort ? 0.0 : TurnAngle(ux, uy, bx, by);
      if (!(Within(phi - theta, kPointTolerance) || Within(phi - kPi, kPointTolerance))) change += onLeft(phi) ? 1 : -1;
    }
  }
  return change;
}

// Which way the region on an edge with winding count c is traced: 1 forwards, -1
// backwards, 0 not at all (it is not filled).
int TraceDirection(int c, int colorMode) {
  if (c == 0) return -1;
  if (c == 2) return 1;
  if (colorMode == 1 && c % 2 == 0) return std::abs(c) % 4 == 2 ? 1 : -1;
  return 0;
}

// The points the numbered crossings stand for, two coordinates each, in *points (or
// dropped when points is null); false when a number lies past the count.
bool HandBackNumberedCrossings(const PolygonCrossing* crossings, int counter, double** points) {
  if (counter <= 0) return true;
  double* array = new double[2 * counter];
  for (int i = 0; i < 2 * counter; ++i) array[i] = 0.0;
  for (const PolygonCrossing* r = crossings; r; r = r->next) {
    if (r->number < 0) continue;
    if (r->number >= counter) {
      // Indices past the array would send triangles to unknown points.
      ShowInternalError("SplitPolygonRing: Outside array bounds");
      delete[] array;
      return false;
    }
    array[2 * r->number] = r->x;
    array[2 * r->number + 1] = r->y;
  }
  if (points)
    *points = array;
  else
    delete[] array;
  return true;
}

// The traced rings lose their links to the crossing records.
void DropCrossingLinks(PolygonList* head) {
  for (PolygonList* node = head; node; node = node->next) {
    PolygonVertex* r = node->ring;
    PolygonVertex* w = r;
    do {
      w->crossing = nullptr;
      w = w->next;
    } while (w != r);
  }
}

}  // namespace detail_PolygonSplit

namespace detail_PolygonSplit {

// Walks the ring once round from the outline's first edge, counting how the other
// branches at each crossing change the winding on the ring's left, and traces the
// regions the count says are filled.
void TraceFilledRegions(PolygonVertex* first, PolygonCrossing* startRecord, int total, int& counter,
                        double& areaBound, PolygonList*& head, PolygonList*& tail) {
  PolygonVertex* walkStart = first;
  int c = 0;
  if (first->next->crossing == startRecord) {
    walkStart = first;
    c = 0;
  } else if (first->prev->crossing == startRecord) {
    walkStart = first->prev;
    c = 2;
  } else {
    ShowInternalError("SplitPolygonRing: edge funny");
  }
  const int colorMode = ColorMode();
  PolygonVertex* v = walkStart;
  for (int step = 0; step < total; ++step) {
    PolygonVertex* s = v->next;
    if (!(v->flags & kPolygonVertexEdgeTaken) && v->crossing != s->crossing) {
      const int direction = TraceDirection(c, colorMode);
      if (direction < 0)
        AppendRingOrFree(TracePolygonCrossingRing(v, s->crossing, counter, areaBound, 0.0), head, tail);
      else if (direction > 0)
        AppendRingOrFree(TracePolygonCrossingRing(s, v->crossing, counter, areaBound, 0.0), head, tail);
    }
    c += WindingChangeAt(s);
    v = s;
    if (v == walkStart) break;
  }
}

}  // namespace detail_PolygonSplit

PolygonList* SplitPolygonRing(PolygonVertex* ring, double** points, int* pointCount) {
  using namespace detail_PolygonSplit;
  if (points) {
    delete[] *points;
    *points = nullptr;
  }
  if (pointCount) *pointCount = 0;
  const int n = CountPolygonRing(ring);
  if (n < 3) return nullptr;

  // However the split ends (a lack of memory included), the records go and the input
  // ring is as it was; the rings traced go unless they are handed back.
  PolygonVertex* v = ring;
  do {
    v->edgeX = v->x;  // kept to restore the input ring afterwards
    v->edgeY = v->y;
    v->flags &= ~(kPolygonVertexEdgeTaken | kPolygonVertexAtCrossing);
    v->crossing = nullptr;
    v->nextAtCrossing = nullptr;
    v = v->next;
  } while (v != ring);
  struct Work {
    PolygonVertex* ring;
    bool linksSaved = false;
    PolygonCrossing* crossings = nullptr;
    PolygonList* traced = nullptr;
    ~Work() {
      FreePolygonList(traced);
      RestoreInputRing(ring, linksSaved);
      FreePolygonCrossings(crossings);
    }
  } work{ring};

  // 1. Every corner joins the record of its position; coincident corners share one.
  PolygonCrossing*& crossings = work.crossings;
  PolygonCrossing* crossingsTail = nullptr;
  std::vector<PolygonVertex*> corners;
  corners.reserve(n);
  const int distinct = FileCornersAtCrossings(ring, corners, crossings, crossingsTail);

  // 2. Every meeting of two edges that are not neighbours becomes a crossing vertex on both.
  if (distinct > 1) {
    SavePolygonRingLinks(ring);
    work.linksSaved = true;
    InsertEdgeCrossings(corners, crossings, crossingsTail);
  }

  // 3. The outline first, from the corner farthest from the origin, which lies on the
  // convex hull: coming from outside, the sharpest turn there follows the outline.
  PolygonVertex* far = nullptr;
  double farthest = -1.0;
  for (PolygonVertex* c : corners) {
    const double d = c->x * c->x + c->y * c->y;
    if (d > farthest) {
      farthest = d;
      far = c;
    }
  }
  PolygonCrossing* startRecord = far->crossing;
  const double len = std::sqrt(farthest);
  const double outside[2] = {len > 0.0 ? far->x + far->x / len : far->x + 1.0,
                             len > 0.0 ? far->y + far->y / len : far->y};
  int counter = 0;
  double areaBound = farthest;
  PolygonVertex* first = NextEdgeAtCrossing(startRecord, outside, nullptr);
  PolygonVertex* traced = first ? TracePolygonCrossingRing(first, startRecord, counter, areaBound, 0.0) : nullptr;
  if (!traced) return nullptr;
  PolygonList*& head = work.traced;
  PolygonList* tail = nullptr;
  AppendToPolygonList(traced, head, tail);

  // 4. Walk the ring once round from the outline's first edge, counting how the other
  // branches at each crossing change the winding on the ring's left, and trace the
  // regions the count says are filled.
  TraceFilledRegions(first, startRecord, CountPolygonRing(ring), counter, areaBound, head, tail);

  // 5. The numbered crossings are the points the traced rings' indices refer to.
  if (!HandBackNumberedCrossings(crossings, counter, points)) return nullptr;
  if (pointCount) *pointCount = counter;

  // 6. The traced rings are handed back without the records.
  DropCrossingLinks(head);
  return std::exchange(head, nullptr);
}

namespace detail_PolygonSplit {

PolygonVertex* TopVertex(PolygonVertex* ring) {
  PolygonVertex* top = ring;
  double best = -99999999.9;
  PolygonVertex* v = ring;
  do {
    if (v->y > best) {
      best = v->y;
      top = v;
    }
    v = v->next;
  } while (v != ring);
  return top;
}

// Joins the hole into the outer ring where they share a position: the hole, from that
// vertex round, goes in just before the outer vertex.
bool SpliceAtSharedVertex(PolygonVertex* outer, PolygonVertex* hole) {
  PolygonVertex* o = outer;
  do {
    PolygonVertex* h = hole;
    do {
      if (o->x == h->x && o->y == h->y) {
        PolygonVertex* oPrev = o->prev;
        PolygonVertex* hLast = h->prev;
        oPrev->next = h;
        h->prev = oPrev;
        hLast->next = o;
        o->prev = hLast;
        return true;
      }
      h = h->next;
    } while (h != hole);
    o = o->next;
  } while (o != outer);
  return false;
}

inline bool SameSideOf(double a, double b, double mark) { return (a < mark) == (b < mark); }

inline double Slope(const PolygonVertex* w, const PolygonVertex* p) {
  const double dx = std::fabs(w->x - p->x);
  const double dy = std::fabs(w->y - p->y);
  if (dx == 0.0) return 1e300;
  return dy / dx;
}

// The outer vertex the hole's top P is bridged to: the first thing of the outer ring
// straight above P, improved to the vertex nearest the upward ray inside the triangle
// of P, the hit point and the higher end of the hit edge. Null when nothing is above.
PolygonVertex* FindBridgeEnd(PolygonVertex* outer, PolygonVertex* p) {
  double h = 99999999.9;
  double alpha = 2.0;
  PolygonVertex* chosenVertex = nullptr;
  PolygonVertex* chosenEdge = nullptr;
  PolygonVertex* v = outer;
  do {
    PolygonVertex* n = v->next;
    if (std::fabs(v->x - p->x) <= kPointTolerance && v->y > p->y) {
      if (v->y <= h) {
        const double d[2] = {n->x - v->x, n->y - v->y};
        const double a = PseudoAngle(d);
        if (v->y < h || (a < 2.0 && alpha >= 2.0) || (SameSideOf(a, alpha, 2.0) && a > alpha)) {
          h = v->y;
          alpha = a;
          chosenVertex = v;
          chosenEdge = nullptr;
        }
      }
    } else if (std::fabs(n->x - p->x) > kPointTolerance && v->x > p->x && p->x > n->x && (v->y > p->y || n->y > p->y)) {
      const double y = v->y + (p->x - v->x) * (n->y - v->y) / (n->x - v->x);
      if (p->y < y && y < h) {
        h = y;
        chosenEdge = v;
        chosenVertex = nullptr;
      }
    }
    v = n;
  } while (v != outer);
  // A vertex straight above with nothing lower in between sees P directly.
  if (chosenVertex) return chosenVertex;
  if (!chosenEdge) return nullptr;

  PolygonVertex* ev = chosenEdge;
  PolygonVertex* en = chosenEdge->next;
  PolygonVertex* m = ev->y >= en->y ? ev : en;
  const bool mIsStart = m == ev;
  if (std::fabs(m->x - p->x) <= kPointTolerance) {
    ShowInternalError("xOffset is almost zero!");
    return m;
  }
  const double back[2] = {p->x - m->x, p->y - m->y};
  const double beta = PseudoAngle(back);
  alpha = beta;
  double sigma = Slope(m, p);
  const double ex = en->x - ev->x, ey = en->y - ev->y;
  PolygonVertex* start = m;
  PolygonVertex* w = start;
  do {
    const bool sideOk = mIsStart ? w->x >= p->x : w->x < p->x;
    const double left = ex * (w->y - ev->y) - ey * (w->x - ev->x);
    if (w->y > p->y && sideOk && left > 0.0) {
      const double s = Slope(w, p);
      if (s > sigma - kPointTolerance) {
        const double d[2] = {w->next->x - w->x, w->next->y - w->y};
        const double a = PseudoAngle(d);
        bool replace = false;
        if (s > sigma + kPointTolerance) {
          replace = true;
        } else if (w->y < m->y) {
          replace = true;
        } else if (w->y == m->y) {
          replace = (a < beta && alpha >= beta) || (SameSideOf(a, alpha, beta) && a > alpha);
        }
        if (replace) {
          m = w;
          alpha = a;
          sigma = s;
        }
      }
    }
    w = w->next;
  } while (w != start);
  return m;
}

}  // namespace detail_PolygonSplit

PolygonList* MergePolygonListRings(PolygonList* list) {
  using namespace detail_PolygonSplit;
  if (!list || !list->next) return list;
  // Bridging needs a counter-clockwise outline and clockwise holes; rings given the
  // other way are turned, and the merged ring gets the outline's own sense back.
  const bool outerClockwise = GetPolygonRingArea2D(list->ring) < 0.0;
  if (outerClockwise) ReversePolygonRing(list->ring);
  for (PolygonList* node = list->next; node; node = node->next) {
    if (!node->ring) continue;
    if (GetPolygonRingArea2D(node->ring) > 0.0) ReversePolygonRing(node->ring);
    node->ring = TopVertex(node->ring);
  }
  if (!list->ring) {
    // No outline: the holes have nothing to join.
    FreePolygonList(list->next);
    list->next = nullptr;
    return list;
  }
  while (list->next) {
    // The hole whose top is highest, the first such in list order.
    PolygonList* bestBefore = list;
    for (PolygonList* before = list; before->next; before = before->next) {
      PolygonList* node = before->next;
      PolygonList* best = bestBefore->next;
      if (!node->ring) {
        bestBefore = before;
        break;
      }
      if (best->ring && node->ring->y > best->ring->y) bestBefore = before;
    }
    PolygonList* holeNode = bestBefore->next;
    bestBefore->next = holeNode->next;
    holeNode->next = nullptr;
    PolygonVertex* hole = holeNode->ring;
    if (!hole) {
      FreePolygonListNode(holeNode);
      continue;
    }
    if (!SpliceAtSharedVertex(list->ring, hole)) {
      PolygonVertex* p = hole;
      PolygonVertex* m = FindBridgeEnd(list->ring, p);
      if (!m) {
        // Nothing of the outline above the hole: it lies outside and is dropped.
        FreePolygonRing(hole);
        FreePolygonListNode(holeNode);
        continue;
      }
      PolygonVertex* loose = nullptr;
      PolygonVertex* mCopy = CopyPolygonVertex(m, loose);
      loose = nullptr;
      PolygonVertex* pCopy = CopyPolygonVertex(p, loose);
      PolygonVertex* mPrev = m->prev;
      PolygonVertex* pPrev = p->prev;
      mPrev->next = mCopy;
      mCopy->prev = mPrev;
      mCopy->next = p;
      p->prev = mCopy;
      pPrev->next = pCopy;
      pCopy->prev = pPrev;
      pCopy->next = m;
      m->prev = pCopy;
    }
    holeNode->ring = nullptr;
    FreePolygonListNode(holeNode);
  }
  if (outerClockwise) ReversePolygonRing(list->ring);
  return list;
}

}  // namespace corvia
