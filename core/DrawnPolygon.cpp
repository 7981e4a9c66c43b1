#include "core/DrawnPolygon.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <utility>
#include <vector>

#include "core/Messages.h"
#include "core/Tolerances.h"
#include "model/ElementList.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "platform/Services.h"
#include "stellation/FaceDiagram.h"
#include "stellation/FaceDiagramCells.h"
#include "symmetry/SymGroup.h"
#include "symmetry/SymOperations.h"

namespace corvia {

const char* const kAutoCompleteNeedMorePoints = "Can't auto-complete polygon until\nyou have defined more points";
const char* const kAutoCompleteAlreadyComplete = "Polygon appears to be complete already.";
const char* const kAutoCompleteWontClose = "Polygon won't close.";
const char* const kAutoCompleteNoPattern = "Can't see a pattern for auto-completion yet.\nTry defining more points.";

namespace detail_DrawnPolygon {

constexpr int kMaxAutoPoints = 100;

inline bool Within(double v, double tol) { return v >= -tol && v <= tol; }

inline bool SamePoint(const double* a, const double* b) {
  return Within(a[0] - b[0], kPointTolerance) && Within(a[1] - b[1], kPointTolerance) && Within(a[2] - b[2], kPointTolerance);
}

// Signed angle from unit direction a to unit direction b about the normal, from chord
// lengths (accurate for small and for nearly opposite turns).
double SignedTurn(const double* a, const double* b, const double* normal) {
  double diff[3], sum[3], c[3];
  Subtract(diff, a, b);
  Add(sum, a, b);
  double angle;
  if (Dot(a, b) >= 0.0)
    angle = 2.0 * std::asin(std::fmin(1.0, std::sqrt(Dot(diff, diff)) / 2.0));
  else
    angle = 3.141592653589793 - 2.0 * std::asin(std::fmin(1.0, std::sqrt(Dot(sum, sum)) / 2.0));
  Cross(c, a, b);
  return Dot(c, normal) < 0.0 ? -angle : angle;
}

// Rotation of v about the unit axis n by angle.
void RotateAbout(double* out, const double* v, const double* n, double angle) {
  const double c = std::cos(angle), s = std::sin(angle);
  double nv[3];
  Cross(nv, n, v);
  const double along = Dot(n, v) * (1.0 - c);
  for (int i = 0; i < 3; ++i) out[i] = v[i] * c + nv[i] * s + n[i] * along;
}

// Whether every vertex mapped by m lands on the vertex `offset` places further on.
bool RingMapsOntoItself(const PolygonVertex* ring, const double* m, int offset) {
  const PolygonVertex* v = ring;
  const PolygonVertex* w = ring;
  for (int i = 0; i < offset; ++i) w = w->next;
  do {
    double mapped[3];
    MatrixTimesVector(m, mapped, v->point);
    if (!SamePoint(mapped, w->point)) return false;
    v = v->next;
    w = w->next;
  } while (v != ring);
  return true;
}

// Whether m maps the first vertex onto w and the following vertices, in order, onto
// the vertices before w.
bool RingMirrorsOnto(const PolygonVertex* ring, const double* m, const PolygonVertex* w) {
  const PolygonVertex* v = ring;
  do {
    double mapped[3];
    MatrixTimesVector(m, mapped, v->point);
    if (!SamePoint(mapped, w->point)) return false;
    v = v->next;
    w = w->prev;
  } while (v != ring);
  return true;
}

// n[k] of the plane; k the dominant axis.
double DominantComponent(const FaceOutlineBuilder* builder) { return builder->normal[builder->axes[0]]; }

// Ints from the pool holding `count` doubles.
double* AllocDoubles(IntBlockPool* pool, int count) {
  int* block = AllocIndexBlock(pool, 2 * count + 2);
  auto address = reinterpret_cast<uintptr_t>(block);
  address = (address + alignof(double) - 1) & ~static_cast<uintptr_t>(alignof(double) - 1);
  return reinterpret_cast<double*>(address);
}

}  // namespace detail_DrawnPolygon

DrawnPolygon::DrawnPolygon(DrawnPolygon*& head, DrawnPolygon*& tail) {
  if (tail)
    tail->next = this;
  else
    head = this;
  tail = this;
}

DrawnPolygon::~DrawnPolygon() {
  Clear();
  FreeTriangles();
}

void DrawnPolygon::FreeTriangles() {
  delete[] vertices;
  vertices = nullptr;
  delete[] indices;
  indices = nullptr;
  indexCount = -1;
}

void DrawnPolygon::Clear() {
  FreeTriangles();
  FreePolygonRing(ring);
  ring = nullptr;
  FreePolygonList(pieces);
  pieces = nullptr;
}

void DrawnPolygon::RemoveLastVertex() {
  if (!ring) return;
  PolygonVertex* last = ring->prev;
  if (last == ring || last->prev == ring) {
    Clear();  // one vertex or none would be left
    return;
  }
  last->prev->next = ring;
  ring->prev = last->prev;
  FreePolygonVertex(last);
}

bool DrawnPolygon::IsCoplanar(const double* point) const {
  if (indexCount < 1) return true;
  double d[3];
  Subtract(d, point, centroid);
  return detail_DrawnPolygon::Within(Dot(normal, d), kPointTolerance);
}

int DrawnPolygon::Triangulate() {
  FreeTriangles();
  if (!GetPolygonRingPlaneNormal(normal, ring)) return 0;
  GetPolygonRingCentroid(centroid, ring);
  // The normal faces away from the origin (outwards for a facet round the centre).
  if (Dot(normal, centroid) < 0.0) Negate(normal);
  double e[3] = {0.0, 0.0, 0.0};
  e[SmallestAxis(normal)] = 1.0;
  Cross(axisU, normal, e);
  Scale(axisU, axisU, 1.0 / std::sqrt(Dot(axisU, axisU)));
  Cross(axisV, normal, axisU);
  PolygonVertex* v = ring;
  do {
    double d[3];
    Subtract(d, v->point, centroid);
    v->x = Dot(axisU, d);
    v->y = Dot(axisV, d);
    v = v->next;
  } while (v != ring);
  FreePolygonList(pieces);
  pieces = SplitPolygonRing(ring, &vertices, nullptr);
  if (!pieces) {
    FreeTriangles();
    return 0;
  }
  indexCount = TriangulatePolygonListAlloc(CopyPolygonList(pieces), &indices, nullptr);
  return indexCount;
}

void DrawnPolygon::JoinMeshes(int count, const DrawnPolygonMesh* meshes) {
  FreeTriangles();
  int totalPoints = 0, totalIndices = 0;
  std::vector<int> pointCounts(count > 0 ? count : 0, 0);
  for (int i = 0; i < count; ++i) {
    int largest = -1;
    for (int j = 0; j < meshes[i].indexCount; ++j)
      if (meshes[i].indices[j] > largest) largest = meshes[i].indices[j];
    pointCounts[i] = largest + 1;
    totalPoints += largest + 1;
    totalIndices += meshes[i].indexCount;
  }
  vertices = new double[2 * (totalPoints > 0 ? totalPoints : 1)];
  indices = new int[totalIndices > 0 ? totalIndices : 1];
  int pointBase = 0, at = 0;
  for (int i = 0; i < count; ++i) {
    for (int j = 0; j < 2 * pointCounts[i]; ++j) vertices[2 * pointBase + j] = meshes[i].points[j];
    for (int j = 0; j < meshes[i].indexCount; ++j) indices[at++] = meshes[i].indices[j] + pointBase;
    pointBase += pointCounts[i];
  }
  indexCount = totalIndices;
}

int DrawnPolygon::GetAxisOrder(const SymGroup* group) const {
  if (!group) return 1;
  const SymAxisType* axisType = group->FindAxisTypeAlong(normal);
  return axisType ? std::abs(axisType->fold) : 1;
}

int DrawnPolygon::GetRotationCount(const SymGroup* group) const {
  const int f = GetAxisOrder(group);
  if (f < 2 || !ring) return f;
  const int n = CountPolygonRing(ring);
  for (int d = 1; d < f; ++d) {
    if (f % d != 0) continue;
    const int k = f / d;
    if (n % k != 0) continue;
    double m[9];
    SymmetryRotationMatrix(m, normal, 1, k);
    // The clicking order decides which way round the ring runs about the axis.
    if (detail_DrawnPolygon::RingMapsOntoItself(ring, m, n / k) ||
        detail_DrawnPolygon::RingMapsOntoItself(ring, m, n - n / k))
      return k;
  }
  return 1;
}

bool DrawnPolygon::MatchSymmetry(const SymGroup* group) const {
  using namespace detail_DrawnPolygon;
  if (!group || group->reflectionType == kReflectionChiral || !ring) return false;
  double centre[3];
  GetPolygonRingCentroid(centre, ring);
  SymRotationIterator it;
  double improper[9], m[9];
  while (GetNextImproperOperation(group, it, improper, m)) {
    double mapped[3];
    MatrixTimesVector(m, mapped, centre);
    if (!SamePoint(mapped, centre)) continue;
    const PolygonVertex* w = ring;
    do {
      if (RingMirrorsOnto(ring, m, w)) return true;
      w = w->next;
    } while (w != ring);
  }
  return false;
}

int DrawnPolygon::CountChain(const DrawnPolygon* head) {
  int n = 0;
  for (; head; head = head->next) ++n;
  return n;
}

int DrawnPolygon::GetIndexInChain(const DrawnPolygon* head, const DrawnPolygon* polygon) {
  int i = 0;
  for (; head; head = head->next, ++i)
    if (head == polygon) return i;
  return -1;
}

void DeleteDrawnPolygonChain(DrawnPolygon*& head) {
  while (head) {
    DrawnPolygon* next = head->next;
    delete head;
    head = next;
  }
}

void GetPolygonCentroid(double* out, const DrawnPolygon* polygon) { GetPolygonRingCentroid(out, polygon->ring); }

namespace detail_DrawnPolygon {

// The closed polygon's new corners, from `first` to the end of the ring, take the
// exact positions of the model's elements they fall on: vertices before faces.
void SnapAddedPointsToModel(PolygonVertex* first, const PolygonVertex* ring, Poly* model) {
  if (!model) return;
  PolygonVertex* v = first;
  do {
    PolyElement* element = model->mVertices.FindAt(v->point);
    if (!element) element = model->mFaces.FindAt(v->point);
    if (element) CopyVector(v->point, element->mDualVert);
    v = v->next;
  } while (v != ring);
}

}  // namespace detail_DrawnPolygon

const char* AutoCompletePolygon(DrawnPolygon* polygon, Poly* model) {
  using namespace detail_DrawnPolygon;
  double normal[3];
  if (!polygon || !GetPolygonRingPlaneNormal(normal, polygon->ring)) return kAutoCompleteNeedMorePoints;

  std::vector<const double*> pts;
  PolygonVertex* v = polygon->ring;
  do {
    pts.push_back(v->point);
    v = v->next;
  } while (v != polygon->ring);
  const int n = static_cast<int>(pts.size());

  // One entry per edge drawn: its length and the turn at its end.
  const int entries = n - 1;
  std::vector<double> length(entries), turn(entries);
  std::vector<double> dir(3 * entries);
  for (int i = 0; i < entries; ++i) {
    double* d = &dir[3 * i];
    Subtract(d, pts[i + 1], pts[i]);
    length[i] = std::sqrt(Dot(d, d));
    if (length[i] > 0.0) Scale(d, d, 1.0 / length[i]);
  }
  for (int i = 0; i + 1 < entries; ++i) turn[i] = SignedTurn(&dir[3 * i], &dir[3 * (i + 1)], normal);
  turn[entries - 1] = turn[0];

  int period = entries;
  for (int p = 1; p <= n - 2; ++p) {
    bool match = true;
    double sum = 0.0;
    for (int i = p; i <= n - 2 && match; ++i) {
      match = Within(length[i] - length[i % p], kPointTolerance) && (i == n - 2 || Within(turn[i] - turn[i % p], kAngleTolerance));
      sum += turn[i];
    }
    if (match && !Within(sum, kAngleTolerance)) {
      period = p;
      break;
    }
  }

  const double* first = pts[0];
  double last[3], before[3];
  CopyVector(last, pts[n - 1]);
  CopyVector(before, pts[n - 2]);
  int k = (n - 2) % period;
  int added = 0;
  const char* message = nullptr;
  for (;;) {
    double d[3], turned[3], next[3];
    Subtract(d, last, before);
    if (length[k] > 0.0) Scale(d, d, 1.0 / length[k]);
    RotateAbout(turned, d, normal, turn[k]);
    k = k + 1 < period ? k + 1 : 0;
    Scale(turned, turned, length[k]);
    Add(next, last, turned);
    SnapNearZero(next, kPointTolerance);
    if (SamePoint(next, first) && k == period - 1) {
      if (added == 0) message = kAutoCompleteAlreadyComplete;
      break;
    }
    PolygonVertex* ringHead = polygon->ring;
    NewPolygonVertex(0.0, 0.0, nullptr, next, ringHead);
    ++added;
    CopyVector(before, last);
    CopyVector(last, next);
    if (added >= kMaxAutoPoints) {
      message = kAutoCompleteWontClose;
      break;
    }
  }
  if (message) {
    for (int i = 0; i < added; ++i) polygon->RemoveLastVertex();
  } else if (added > 0) {
    PolygonVertex* firstAdded = polygon->ring->prev;
    for (int i = 1; i < added; ++i) firstAdded = firstAdded->prev;
    SnapAddedPointsToModel(firstAdded, polygon->ring, model);
  }
  polygon->Triangulate();
  platform::Services().views->RedrawAllViews(false);
  return message;
}

// ---- FaceOutline ----------------------------------------------------------------------

void FaceOutline::Clear() {
  if (!pool) {
    delete[] points;
    delete[] indices;
  }
  points = nullptr;
  indices = nullptr;
  indexCount = 0;
}

void FaceOutline::Begin(FaceOutline* outline, const double* plane, FaceDiagram* diagram,
                        FaceOutlineBuilder* builder) {
  // Dominant axis of the normal, ties to the later axis.
  int k = 0;
  for (int i = 1; i < 3; ++i)
    if (std::fabs(plane[i]) >= std::fabs(plane[k])) k = i;
  builder->axes[0] = k;
  builder->axes[1] = (k + 1) % 3;
  builder->axes[2] = (k + 2) % 3;
  CopyVector(builder->normal, plane);
  builder->d = 0.0;
  builder->first[0] = builder->first[1] = 9.99999e99;
  builder->loop = 0;
  builder->diagram = diagram;
  outline->Clear();
}

void FaceOutline::AddPoint(const double* point, FaceOutlineBuilder* builder) {
  const double p[2] = {point[builder->axes[1]], point[builder->axes[2]]};
  if (builder->first[0] >= 9.99999e99) {
    builder->first[0] = p[0];
    builder->first[1] = p[1];
    builder->d = Dot(builder->normal, point);
  } else if (builder->diagram) {
    builder->diagram->AddEdge(static_cast<DiagramSource>(builder->loop), builder->previous, p);
  }
  builder->previous[0] = p[0];
  builder->previous[1] = p[1];
}

void FaceOutline::CloseLoop(int loopNumber, FaceOutlineBuilder* builder) {
  if (builder->first[0] < 9.99999e99) {
    if (builder->diagram)
      builder->diagram->AddEdge(static_cast<DiagramSource>(builder->loop), builder->previous, builder->first);
    builder->first[0] = builder->first[1] = 9.99999e99;
  }
  builder->loop = loopNumber;
}

void FaceOutline::Finish(FaceOutline* outline, FaceOutlineBuilder* builder) {
  using namespace detail_DrawnPolygon;
  CloseLoop(builder->loop, builder);
  FaceDiagram* diagram = builder->diagram;
  outline->Clear();
  if (!diagram) return;
  // The regions and their triangles; the outline needs no colours.
  diagram->CreateLoops();
  CreateLoopTypes(diagram, nullptr, false);

  // A region is filled when the loops wind round it a non-zero number of times.
  std::vector<bool> filled(diagram->mNumCells > 0 ? diagram->mNumCells : 0, false);
  int count = 0;
  for (int c = 0; c < diagram->mNumCells && diagram->mTriangles; ++c) {
    int winding = 0;
    const DiagramCell& cell = diagram->mCells[c];
    for (int i = 0; i < cell.numPairs; ++i) winding += cell.pairs[i].winding;
    filled[c] = winding != 0;
    if (filled[c]) count += diagram->mTriangles[c].numIndices;
  }

  const int numPoints = diagram->mNumVertices;
  if (outline->pool) {
    outline->points = AllocDoubles(&outline->pool->pool, 3 * (numPoints > 0 ? numPoints : 1));
    outline->indices = AllocIndexBlock(&outline->pool->pool, count > 0 ? count : 1);
  } else {
    outline->points = new double[3 * (numPoints > 0 ? numPoints : 1)];
    outline->indices = new int[count > 0 ? count : 1];
  }
  const int k = builder->axes[0], k1 = builder->axes[1], k2 = builder->axes[2];
  const double* n = builder->normal;
  for (const DiagramVertex* v = diagram->mFirstVertex; v; v = v->next) {
    if (v->index < 0 || v->index >= numPoints) continue;
    double* p = outline->points + 3 * v->index;
    p[k1] = v->x;
    p[k2] = v->y;
    p[k] = (builder->d - n[k1] * v->x - n[k2] * v->y) / n[k];
  }
  int at = 0;
  for (int c = 0; c < diagram->mNumCells; ++c) {
    if (!filled[c]) continue;
    const CellTriangles& triangles = diagram->mTriangles[c];
    for (int i = 0; i < triangles.numIndices; ++i) outline->indices[at++] = triangles.indices[i];
  }
  outline->indexCount = count;
  diagram->Reset();
  builder->diagram = nullptr;
  // Triangles face along the normal.
  if (DominantComponent(builder) < 0.0)
    for (int i = 0; i + 2 < count; i += 3) std::swap(outline->indices[i], outline->indices[i + 1]);
}

}  // namespace corvia
