#include "model/DrawnPolygonModel.h"

#include <cmath>
#include <cstdlib>
#include <vector>

#include "core/PolygonRing.h"
#include "core/Tolerances.h"
#include "core/VectorMath.h"
#include "model/ElementList.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "platform/Services.h"
#include "symmetry/SymGroup.h"
#include "symmetry/SymOperations.h"

namespace corvia {

const char* const kAutoCompleteNeedMorePoints = "Can't auto-complete polygon until\nyou have defined more points";
const char* const kAutoCompleteAlreadyComplete = "Polygon appears to be complete already.";
const char* const kAutoCompleteWontClose = "Polygon won't close.";
const char* const kAutoCompleteNoPattern = "Can't see a pattern for auto-completion yet.\nTry defining more points.";

namespace detail_DrawnPolygonModel {

constexpr int kMaxAutoPoints = 100;

inline bool Within(double v, double tol) {
  return v >= -tol && v <= tol;
}

inline bool SamePoint(const double* a, const double* b) {
  return Within(a[0] - b[0], kPointTolerance) && Within(a[1] - b[1], kPointTolerance) &&
         Within(a[2] - b[2], kPointTolerance);
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

}  // namespace detail_DrawnPolygonModel

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
    if (detail_DrawnPolygonModel::RingMapsOntoItself(ring, m, n / k) ||
        detail_DrawnPolygonModel::RingMapsOntoItself(ring, m, n - n / k))
      return k;
  }
  return 1;
}

bool DrawnPolygon::MatchSymmetry(const SymGroup* group) const {
  using namespace detail_DrawnPolygonModel;
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

namespace detail_DrawnPolygonModel {

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

}  // namespace detail_DrawnPolygonModel

const char* AutoCompletePolygon(DrawnPolygon* polygon, Poly* model) {
  using namespace detail_DrawnPolygonModel;
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
      match = Within(length[i] - length[i % p], kPointTolerance) &&
              (i == n - 2 || Within(turn[i] - turn[i % p], kAngleTolerance));
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

}  // namespace corvia
