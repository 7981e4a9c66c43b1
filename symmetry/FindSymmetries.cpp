#include "symmetry/FindSymmetries.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

#include "core/Messages.h"
#include "core/Progress.h"
#include "core/Tolerances.h"
#include "core/VectorMath.h"
#include "platform/Services.h"
#include "symmetry/ConvexHull.h"
#include "symmetry/GroupAlignment.h"
#include "symmetry/Reflections.h"
#include "symmetry/RotationAxes.h"
#include "symmetry/SimplePoly.h"
#include "symmetry/SymGroup.h"
#include "symmetry/Symmetrise.h"

namespace corvia {

namespace detail_FindSymmetries {

constexpr unsigned kHullOptions = kHullMarkSourceFaces;
constexpr int kMinOrbitWidth = 3;
constexpr size_t kRefusalSize = 200;
constexpr int kOctahedralRotations = 24;
constexpr int kIcosahedralRotations = 60;
// A turn's angle is that of a turn by 1/k when 2 pi over it lies this near k; angles
// below kTurnAngleTolerance are the identity.
constexpr double kTurnFoldTolerance = 1e-6;
constexpr double kTurnAngleTolerance = 1e-6;
// A model moved onto its group is analysed again at most this often: each analysis
// that moves it finds it at least as symmetric as the one before.
constexpr int kMostAnalysesAfterMoving = 8;

// The line from the origin through s is perpendicular to the plane of normal n
// (s a multiple of n, within the tolerance). Passed when n has no usable component.
bool CentredOnNormal(const double* n, const double* s, double tolerance) {
  const int i = LargestAxis(n);
  if (std::fabs(n[i]) <= kPointTolerance) return true;
  const double t = s[i] / n[i];
  for (int j = 0; j < 3; ++j) {
    if (std::fabs(s[j] - t * n[j]) > tolerance) return false;
  }
  return true;
}

void SumCorners(const SimplePoly& poly, const SimpleFace& f, double* out) {
  out[0] = out[1] = out[2] = 0;
  for (int32_t v : f.items) {
    if (v >= 0 && v < poly.NumVerts()) AddTo(out, poly.VertAt(v).pos);
  }
}

bool UnitLength(double* v) {
  const double len = std::sqrt(Dot(v, v));
  if (!(len > 0) || !std::isfinite(len)) return false;
  Divide(v, v, len);
  return true;
}

// The largest distance of a face's corners from their centroid c.
double FaceRadius(const SimplePoly& poly, const SimpleFace& f, const double* c) {
  double r = 0;
  for (int32_t v : f.items) {
    double d[3];
    Subtract(d, poly.VertAt(v).pos, c);
    r = std::max(r, Dot(d, d));
  }
  return std::sqrt(r);
}

// A candidate axis dir (unit) through a point p of the axis that lies `along` from
// the centre, taken from a direction known only to the accuracy of points `spread`
// apart (a face normal, from corners that far from each other): when p lies further
// out than that, its own direction is the more accurate, and is taken instead. An
// exact model keeps the first direction to the bit.
void PreferDirectionOfPoint(double* dir, const double* p, double along, double spread) {
  if (!(along >= spread)) return;
  double u[3];
  CopyVector(u, p);
  if (!UnitLength(u)) return;
  if (Dot(u, dir) < 0) Negate(u);
  if (!NearlyEqual(u, dir, kSymmetrisedTolerance)) CopyVector(dir, u);
}

// The candidate search over the hull: the axes found, the orbit buffer the tests
// fill, and the group of the turns found so far.
struct AxisSearch {
  SimplePoly& poly;
  const VertexLocator& locator;
  const VertexPieces pieces{poly};
  const RingCentroidSums rings{poly};
  SymmetryMatch match;
  SymAxisList axes;
  std::vector<int32_t> buffer;
  RotationClosure found;

  // The live vertices lowest and highest in each coordinate.
  std::vector<int32_t> extremes;

  AxisSearch(SimplePoly& p, const VertexLocator& l, const SymmetryMatch& m)
      : poly(p), locator(l), match(m), found(m.position) {
    int32_t low[3] = {-1, -1, -1}, high[3] = {-1, -1, -1};
    ProgressTicker tick;
    for (int i = 0; i < poly.NumVerts(); ++i) {
      (void)tick();
      const SimpleVert& v = poly.VertAt(i);
      if (v.IsTemp() || v.IsInfinite()) continue;
      for (int j = 0; j < 3; ++j) {
        if (low[j] < 0 || v.pos[j] < poly.VertAt(low[j]).pos[j]) low[j] = i;
        if (high[j] < 0 || v.pos[j] > poly.VertAt(high[j]).pos[j]) high[j] = i;
      }
    }
    for (int j = 0; j < 3; ++j) {
      for (int32_t i : {low[j], high[j]}) {
        if (i >= 0 && std::find(extremes.begin(), extremes.end(), i) == extremes.end()) extremes.push_back(i);
      }
    }
  }

  // False when the turn m certainly fails its test: a turn that passes carries every
  // vertex to within the tolerance of the next vertex of its orbit, which lies within
  // the tolerance of the next turn of the orbit's first vertex, so within
  // (1 + sqrt 3) times the tolerance in every coordinate. Candidates close to an axis
  // but off it pass the test of their own vertices and fail only further out; the
  // extreme vertices tell them at once.
  bool MayMapOntoItself(const double* m) const {
    constexpr double kOrbitReach = 4.0;
    for (int32_t i : extremes) {
      double image[3];
      MatrixTimesVector(m, image, poly.VertAt(i).pos);
      if (!locator.AnyWithin(image, kOrbitReach * match.position)) return false;
    }
    return true;
  }

  // The turns by 1/k about dir for k = n, n-1, ... 2 dividing n: the first that maps
  // the model onto itself is recorded. A turn that is a product of the turns found
  // already is one of them without a test (and its test would join no new types).
  void TryAxis(const SimpleFace* face, const SimpleVert* vert, int edge, const double* dir, int n) {
    // A model of many thousands of faces has many candidates to test; after a cancel
    // the search only runs out (the caller drops what it found).
    if (!ProgressTick()) return;
    const bool complete = Complete();
    for (int k = n; k >= 2; --k) {
      if (n % k != 0) continue;
      // Once the turns found make the whole group, a turn is taken only when it is
      // one of them: most candidates are told apart by the diagonal alone.
      if (complete && !found.MayContainTurn(dir, k)) continue;
      double m[9];
      const bool turned = AxisTurnMatrix(dir, k, m);
      if (turned && found.Contains(m)) {
        AddCandidateAxis(axes, k, dir);
        return;
      }
      if (complete || !turned || !MayMapOntoItself(m)) continue;
      if (TestAxisAndCombineSameTypes(poly, face, vert, edge, dir, n, k, buffer, &locator, match, &pieces, &rings)) {
        AddCandidateAxis(axes, k, dir);
        found.AddGenerator(m);
        return;
      }
    }
  }

  bool Known(const double* dir) const { return AxisListHasDirection(axes, dir, match.normal); }

  // Once the turns found make the octahedral or the icosahedral group, each axis of
  // the group is the axis of one of its turns: an axis the hull offered no candidate
  // on (a large compound whose hull has no edge or face centred on a 2-fold axis) is
  // taken from them. Higher folds first, so that a 4-fold axis is not taken for the
  // 2-fold axis of its half turn.
  void AddAxesOfTurns() {
    if (!Complete()) return;
    for (int fold : {5, 4, 3, 2}) {
      for (const std::array<double, 9>& m : found.Elements()) {
        double dir[3];
        if (TurnFold(m.data(), dir) == fold && !Known(dir)) AddCandidateAxis(axes, fold, dir);
      }
    }
  }

  // The k of a turn by 1/k (0 for another turn or the identity) and its unit axis.
  static int TurnFold(const double* m, double* dir) {
    const double cosine = std::clamp((m[0] + m[4] + m[8] - 1) / 2, -1.0, 1.0);
    const double angle = std::acos(cosine);
    if (angle < kTurnAngleTolerance) return 0;
    const double k = 2 * M_PI / angle;
    const int fold = static_cast<int>(std::lround(k));
    if (std::fabs(k - fold) > kTurnFoldTolerance) return 0;
    if (fold == 2) {
      // m + I = 2 a a^T: the column of the largest diagonal entry.
      int i = 0;
      for (int j = 1; j < 3; ++j) {
        if (m[4 * j] > m[4 * i]) i = j;
      }
      const double ai = std::sqrt((m[4 * i] + 1) / 2);
      for (int j = 0; j < 3; ++j) dir[j] = (m[3 * j + i] + (i == j ? 1.0 : 0.0)) / (2 * ai);
    } else {
      // m - m^T = 2 sin(angle) [a]x.
      dir[0] = m[7] - m[5];
      dir[1] = m[2] - m[6];
      dir[2] = m[3] - m[1];
    }
    return UnitLength(dir) ? fold : 0;
  }

  // No finite group of rotations holds the octahedral or the icosahedral one: once
  // the turns found make one of those, a turn that is not among them is no symmetry
  // and needs no test.
  bool Complete() const {
    const int count = found.Count();
    const int fold = count == kOctahedralRotations ? 4 : (count == kIcosahedralRotations ? 5 : 0);
    if (fold == 0) return false;
    int axesOfFold = 0;
    for (const SymCandidateAxis& a : axes) axesOfFold += a.fold == fold ? 1 : 0;
    return axesOfFold > 1;
  }
};

void FindFaceAxes(const SimplePoly& hull, AxisSearch& search) {
  // A trace of the stage, on no failure path.
  DoNothing("Find face axes");
  ProgressTicker tick;
  for (int i = 0; i < hull.NumFaces(); ++i) {
    if (!tick()) return;
    const SimpleFace& f = hull.FaceAt(i);
    if (f.IsTemp() || f.Count() < 2 || !f.HasNormal()) continue;
    double s[3];
    SumCorners(hull, f, s);
    const double reach = std::sqrt(Dot(s, s));
    if (!CentredOnNormal(f.normal, s, search.match.Sum(f.Count()) + reach * search.match.normal)) continue;
    double dir[3], centre[3];
    CopyVector(dir, f.normal);
    Divide(centre, s, f.Count());
    PreferDirectionOfPoint(dir, s, reach / f.Count(), FaceRadius(hull, f, centre));
    if (search.Known(dir)) continue;
    search.TryAxis(&f, nullptr, -1, dir, f.Count());
  }
}

void FindVertexAxes(const SimplePoly& hull, AxisSearch& search) {
  // A trace of the stage, on no failure path.
  DoNothing("Find vertex axes");
  ProgressTicker tick;
  for (int i = 0; i < hull.NumVerts(); ++i) {
    if (!tick()) return;
    const SimpleVert& v = hull.VertAt(i);
    if (v.IsTemp() || v.Count() < 2) continue;
    const int li = LargestAxis(v.pos);
    if (std::fabs(v.pos[li]) <= kPointTolerance) continue;
    double s[3] = {0, 0, 0};
    for (int32_t f : v.items) AddTo(s, hull.FaceAt(f).normal);
    if (!CentredOnNormal(v.pos, s, std::sqrt(Dot(s, s)) * search.match.normal)) continue;
    double dir[3];
    CopyVector(dir, v.pos);
    if (!UnitLength(dir) || search.Known(dir)) continue;
    search.TryAxis(nullptr, &v, -1, dir, v.Count());
  }
}

void FindEdgeAxes(const SimplePoly& hull, AxisSearch& search) {
  // A trace of the stage, on no failure path.
  DoNothing("Find edge axes");
  ProgressTicker tick;
  for (int i = 0; i < hull.NumFaces(); ++i) {
    if (!tick()) return;
    const SimpleFace& f = hull.FaceAt(i);
    if (f.IsTemp() || f.Count() < 2) continue;
    for (int j = 0; j < f.Count(); ++j) {
      const SimpleFace* g = f.GetAdjacentFace(j);
      // A hull with an open edge has no axis across it.
      if (!g || g->GetIndex() < i) continue;
      const int32_t a = f.items[static_cast<size_t>(j)];
      const int32_t b = f.items[static_cast<size_t>((j + 1) % f.Count())];
      double mid[3], dir[3], half[3];
      Add(mid, hull.VertAt(a).pos, hull.VertAt(b).pos);
      Scale(mid, mid, 0.5);
      Subtract(half, hull.VertAt(b).pos, mid);
      Add(dir, f.normal, g->normal);
      Scale(dir, dir, 0.5);
      const double reach = std::sqrt(Dot(mid, mid));
      if (!CentredOnNormal(dir, mid, search.match.position + reach * search.match.normal)) continue;
      if (!UnitLength(dir)) continue;
      PreferDirectionOfPoint(dir, mid, reach, std::sqrt(Dot(half, half)));
      if (search.Known(dir)) continue;
      search.TryAxis(&f, &hull.VertAt(a), j, dir, 2);
    }
  }
}

// Faces through the centre that belong to a type of several faces: each face of
// such a type turns its normal away from its neighbour of one chosen type, so the
// whole type has one consistent sense. False when a face lacks a neighbour.
bool FixHemiFaces(SimplePoly& poly) {
  // A trace of the stage, on no failure path.
  DoNothing("Fix hemi faces");
  int settled = 0, unsettled = 0;
  do {
    settled = 0;
    unsettled = 0;
    for (int i = 0; i < poly.NumFaces(); ++i) {
      SimpleFace& f = poly.FaceAt(i);
      if (!(f.flags & kSimpleCentralPlane) || f.nextOfType == i || f.nextOfType < 0) continue;
      if ((f.flags & (kSimpleHemiFixed | kSimpleTemp)) || f.Count() < 1) continue;
      const SimpleFace* first = f.GetAdjacentFace(0);
      if (!first) return false;
      int32_t ref = first->typeId;
      bool found = false;
      for (int j = 0; j < f.Count(); ++j) {
        const SimpleFace* a = f.GetAdjacentFace(j);
        if (!a) return false;
        if (std::fabs(Dot(f.normal, a->normal)) > kPointTolerance &&
            (!(a->flags & kSimpleCentralPlane) || (a->flags & kSimpleHemiFixed))) {
          ref = a->typeId;
          found = true;
          break;
        }
      }
      if (!found) {
        ++unsettled;
        continue;
      }
      ++settled;
      int32_t h = i;
      for (int steps = 0; steps <= poly.NumFaces(); ++steps) {
        SimpleFace& hf = poly.FaceAt(h);
        hf.flags |= kSimpleHemiFixed;
        for (int j = 0; j < hf.Count(); ++j) {
          const SimpleFace* nb = hf.GetAdjacentFace(j);
          if (!nb || nb->typeId != ref) continue;
          if (Dot(hf.normal, nb->normal) > 0) Negate(hf.normal);
          break;
        }
        h = hf.nextOfType;
        if (h < 0 || h >= poly.NumFaces() || h == i) break;
      }
    }
  } while (settled > 0 && unsettled > 0);
  return true;
}

// Null, with the reason for the user in `refusal` when one is wanted.
std::unique_ptr<SymGroup> Refuse(std::string* refusal, const char* format, ...) __attribute__((format(printf, 2, 3)));
std::unique_ptr<SymGroup> Refuse(std::string* refusal, const char* format, ...) {
  if (refusal) {
    char text[kRefusalSize];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    *refusal = text;
  }
  return nullptr;
}

// Raises largest to the size of each finite coordinate of v.
void TakeLargestCoordinate(const SimpleVert& v, double& largest) {
  for (double c : v.pos) {
    if (std::isfinite(c)) largest = std::max(largest, std::fabs(c));
  }
}

// The largest finite coordinate (in size) of the live vertices not at infinity.
double LargestCoordinate(const SimplePoly& poly) {
  double largest = 0.0;
  for (int i = 0; i < poly.NumVerts(); ++i) {
    const SimpleVert& v = poly.VertAt(i);
    if (!v.IsTemp() && !v.IsInfinite()) TakeLargestCoordinate(v, largest);
  }
  return largest;
}

// The box round the finite live vertices; false when there is none. `largest`
// receives LargestCoordinate from the same pass.
bool FiniteBounds(const SimplePoly& poly, double* low, double* high, double& largest) {
  bool any = false;
  largest = 0.0;
  for (int i = 0; i < poly.NumVerts(); ++i) {
    const SimpleVert& v = poly.VertAt(i);
    if (v.IsTemp() || v.IsInfinite()) continue;
    TakeLargestCoordinate(v, largest);
    if (!std::isfinite(v.pos[0]) || !std::isfinite(v.pos[1]) || !std::isfinite(v.pos[2])) continue;
    for (int k = 0; k < 3; ++k) {
      low[k] = any ? std::min(low[k], v.pos[k]) : v.pos[k];
      high[k] = any ? std::max(high[k], v.pos[k]) : v.pos[k];
    }
    any = true;
  }
  return any;
}

// The power of two that brings largest, the largest coordinate of the finite
// vertices, into [0.5, 1); 1 for a model without a finite non-zero coordinate.
double SizeNormalisingFactor(double largest) {
  if (!(largest > 0.0)) return 1.0;
  int exponent = 0;
  std::frexp(largest, &exponent);
  return std::ldexp(1.0, -exponent);
}

// The shortest edge of the live faces longer than `floor` (edges between corners
// that are one point do not count); 0 when there is none.
double ShortestEdge(const SimplePoly& poly, double floor) {
  double shortest = 0;
  for (int i = 0; i < poly.NumFaces(); ++i) {
    const SimpleFace& f = poly.FaceAt(i);
    if (f.IsTemp()) continue;
    for (int k = 0; k < f.Count(); ++k) {
      double d[3];
      Subtract(d, f.VertWrapped(k + 1).pos, f.VertWrapped(k).pos);
      const double length = std::sqrt(Dot(d, d));
      if (length > floor && (shortest == 0 || length < shortest)) shortest = length;
    }
  }
  return shortest;
}

// How near the group must fit the model, at the size it has now: the symmetry
// tolerance relative to its radius, and never above a small share of its shortest
// edge.
double ModelSymmetryTolerance(const SimplePoly& poly, double symmetry, double merge) {
  double tolerance = symmetry * poly.GetMaxVertexRadius();
  const double shortest = ShortestEdge(poly, merge);
  if (shortest > 0) tolerance = std::min(tolerance, kSymmetryEdgeShare * shortest);
  return tolerance;
}

SymmetryMatch SearchMatch(double tolerance) {
  SymmetryMatch match;
  match.position = tolerance;
  match.normal = std::max(tolerance, kSymmetryNormalTolerance);
  return match;
}

// Fresh normals after the vertices moved; a face keeps the sense it was given.
void RefreshNormals(SimplePoly& poly) {
  std::vector<double> before(3 * static_cast<size_t>(poly.NumFaces()));
  for (int i = 0; i < poly.NumFaces(); ++i) CopyVector(&before[3 * static_cast<size_t>(i)], poly.FaceAt(i).normal);
  poly.CalcFaceNormals(true);
  for (int i = 0; i < poly.NumFaces(); ++i) {
    SimpleFace& f = poly.FaceAt(i);
    if (f.Count() > 0 && f.HasNormal() && Dot(f.normal, &before[3 * static_cast<size_t>(i)]) < 0) Negate(f.normal);
  }
}

// The hull's vertices are the model's: they follow it when it was moved onto its
// group, and its faces get their normals anew.
void FollowModel(SimplePoly& hull, const SimplePoly& poly) {
  const int n = std::min(hull.NumVerts(), poly.NumVerts());
  for (int i = 0; i < n; ++i) CopyVector(hull.VertAt(i).pos, poly.VertAt(i).pos);
  hull.RebuildVertexSearch();
  RefreshNormals(hull);
}

// The model was moved onto its group: normals anew, the hull after it, and (unless
// it keeps its size) its largest vertex radius 1 again.
void AfterSymmetrising(SimplePoly& poly, SimplePoly& hull) {
  if (!(poly.flags & kSimpleKeepSize)) {
    const double radius = poly.GetMaxVertexRadius();
    if (radius > 0) poly.Scale(1 / radius);
  }
  RefreshNormals(poly);
  FollowModel(hull, poly);
}

// Where the model's vertices and face normals stand, to put it back after a search
// that turned it a little onto axes or a mirror that did not fit it after all.
struct Placement {
  std::vector<std::array<double, 3>> points;
  std::vector<std::array<double, 3>> normals;
};

Placement PlacementOf(const SimplePoly& poly) {
  Placement placement;
  ProgressTicker tick;
  for (int i = 0; i < poly.NumVerts(); ++i) {
    (void)tick();
    const double* p = poly.VertAt(i).pos;
    placement.points.push_back({p[0], p[1], p[2]});
  }
  for (int i = 0; i < poly.NumFaces(); ++i) {
    (void)tick();
    const double* n = poly.FaceAt(i).normal;
    placement.normals.push_back({n[0], n[1], n[2]});
  }
  return placement;
}

void RestorePlacement(SimplePoly& poly, SimplePoly& hull, const Placement& placement) {
  for (int i = 0; i < poly.NumVerts(); ++i) {
    CopyVector(poly.VertAt(i).pos, placement.points[static_cast<size_t>(i)].data());
  }
  for (int i = 0; i < poly.NumFaces(); ++i) {
    CopyVector(poly.FaceAt(i).normal, placement.normals[static_cast<size_t>(i)].data());
  }
  poly.RebuildVertexSearch();
  FollowModel(hull, poly);
}

void RestoreFaceCoincRings(SimplePoly& poly, const std::vector<int32_t>& rings) {
  for (int i = 0; i < poly.NumFaces(); ++i) poly.FaceAt(i).coinc = rings[static_cast<size_t>(i)];
}

// The built model takes a coordinate within zeroTolerance of 0 as 0: the analysis
// sees the points as they will be built, and so as they come back from a file the model
// is saved to. Points a little off 0 would give the hull and the order in which the
// axes turn up, and so which of the group's equivalent axes it is aligned on (the
// corner each face starts at, the order of the edges), from values that the built
// model no longer has.
void TakeNearZerosAsZero(SimplePoly& poly, double zeroTolerance) {
  bool changed = false;
  for (int i = 0; i < poly.NumVerts(); ++i) {
    SimpleVert& v = poly.VertAt(i);
    if (v.IsTemp()) continue;
    for (double x : v.pos) changed = changed || (std::fabs(x) <= zeroTolerance && (x != 0 || std::signbit(x)));
    SnapNearZero(v.pos, zeroTolerance);
  }
  if (changed) poly.RebuildVertexSearch();
}

// Steps 5 to 9 at one search tolerance: every element its own type, the candidate
// axes through face centres, vertices and edge midpoints of the hull, the group they
// make with the model turned into its standard orientation. Null when the axes
// found are not those of one group.
std::unique_ptr<SymGroup> SearchRotations(SimplePoly& poly, SimplePoly& hull, int width, double tolerance) {
  poly.ResetIndices();
  const SymmetryMatch match = SearchMatch(tolerance);
  SymAxisList axes;
  {
    (void)ProgressTick();
    const VertexLocator locator(poly, match.position);
    (void)ProgressTick();
    AxisSearch search(poly, locator, match);
    (void)ProgressTick();
    search.buffer.resize(static_cast<size_t>(poly.NumVerts()) * static_cast<size_t>(width));
    poly.DeferTypeJoins();
    FindFaceAxes(hull, search);
    FindVertexAxes(hull, search);
    FindEdgeAxes(hull, search);
    search.AddAxesOfTurns();
    poly.SettleTypeJoins();
    axes = std::move(search.axes);
  }
  // A trace of the stage, on no failure path.
  DoNothing("AlignSymmetries");
  bool inconsistent = false;
  return AlignSymmetries(poly, hull, axes, match.position, &inconsistent);
}

// A step of the analysis, named for the trace. A large model takes a while at each:
// the progress window answers between them, and after a cancel the analysis stops
// (the caller drops the model).
bool Stage(const char* name) {
  // A trace of the stage; a cancel is the progress tick's to tell.
  DoNothing("%s", name);
  return ProgressTick();
}

std::unique_ptr<SymGroup> Analyse(SimplePoly& poly, bool& hasReflection, double sizeFactor, double zeroTolerance,
                                  bool zerosOfExactModel, const SymmetryTolerances& tolerances, std::string* refusal,
                                  bool& moved) {
  moved = false;
  // Each analysis finds the points and faces that coincide by itself: the rings an
  // earlier analysis of the model left (before it was moved onto its group) may join
  // faces that this one finds apart, and so of types of their own.
  poly.ResetCoincRings();
  // 1. Topology. Vertices are one point within the merge tolerance, but never within
  // more than a share of the shortest edge (the base of a needle far smaller than the
  // needle stays a triangle).
  const double shortest = ShortestEdge(poly, kPointTolerance);
  const double merge = shortest > 0 ? std::min(tolerances.merge, kSymmetryEdgeShare * shortest) : tolerances.merge;
  const bool sortedFaceLists = (poly.flags & kSimpleSortedFaceLists) != 0;
  if (!sortedFaceLists) {
    // A trace of the stage, on no failure path.
    DoNothing("CreateVertexFaceLists");
    poly.CreateVertexFaceLists(false);
    if (!Stage("MergeCoincidentVerts")) return nullptr;
    poly.MergeCoincidentVerts(merge);
    if (!Stage("FindOddEdge")) return nullptr;
  } else {
    if (!Stage("LinkCoincidentVerts")) return nullptr;
    LinkCoincidentVerts(poly, merge);
  }
  // Joined vertices, or vertices of one point even where the file gives the faces
  // round each in order, may leave a face passing one point twice; and faces that do
  // not meet in pairs cannot be ordered round their vertices.
  int32_t a = 0, b = 0;
  int sides = 0;
  if (const int twice = poly.FindFaceWithRepeatedCorner(&a); twice >= 0) {
    return Refuse(refusal, "Face %d passes twice through the point of vertex %d.", twice, a);
  }
  if (!sortedFaceLists && poly.FindOddEdge(a, b, sides)) {
    if (sides == 1) {
      return Refuse(refusal, "Only one face meets at the edge between vertices %d and %d: the model is not closed.", a,
                    b);
    }
    return Refuse(refusal, "%d faces meet at the edge between vertices %d and %d: faces must meet in pairs.", sides, a,
                  b);
  }

  // 2. Centre, unit radius, fresh normals. The radius in the model's own units is
  // the one measured here undone by the size factor.
  if (!Stage("SetNormals")) return nullptr;
  if (!(poly.flags & kSimpleKeepCentre)) poly.Centre();
  const double radius = poly.GetMaxVertexRadius();
  if (radius > kPointTolerance && !(poly.flags & kSimpleKeepSize)) {
    poly.Scale(1 / radius);
    const double ownRadius = radius / sizeFactor;
    if ((poly.flags & kSimpleKeepLengthUnits) && (ownRadius < kUnitLow || ownRadius > kUnitHigh)) {
      poly.scale *= ownRadius;
    }
  }
  // Points read from a file, or just moved onto their group, are analysed as they will
  // be built (the program's own models keep the analysis of their computed points).
  if (zerosOfExactModel || (poly.flags & kSimpleFileCorners)) TakeNearZerosAsZero(poly, zeroTolerance);
  poly.CalcFaceNormals(true);
  if (!(poly.flags & kSimpleSortedFaceLists)) {
    ProgressTicker tick;
    for (int i = 0; i < poly.NumFaces(); ++i) {
      if (!tick()) return nullptr;
      const SimpleFace& f = poly.FaceAt(i);
      if (!f.IsTemp() && !f.IsFlat(kFlatFaceTolerance)) {
        return Refuse(refusal, "Face %d is not flat: its corners do not lie in one plane.", i);
      }
    }
  }

  // The group is searched for with a wide tolerance and must then fit the model
  // within the narrow one; a group that does not is searched for again with the
  // narrow one, and after that the model has no symmetry.
  const double tolerance = ModelSymmetryTolerance(poly, tolerances.symmetry, merge);
  const double searchTolerances[] = {kSymmetrySearchFactor * tolerance, tolerance};

  // 3, 4. The hull gives the candidate axes; triangles of a face whose corners are
  // known only to the search tolerance are one face.
  if (!Stage("CreateConvexHull")) return nullptr;
  std::unique_ptr<SimplePoly> hull = CreateConvexHull(poly, kHullOptions, nullptr, searchTolerances[0]);
  if (!hull) return nullptr;
  if (!Stage("SimpleSortVertFaces")) return nullptr;
  if (!hull->SimpleSortVertFaces()) {
    ShowInternalError("Couldn't sort faces around vertices for convex hull");
    return nullptr;
  }

  // 5. The orbit buffer.
  if (!Stage("OrbitBuffer")) return nullptr;
  int width = kMinOrbitWidth;
  for (int i = 0; i < hull->NumFaces(); ++i) {
    if (!hull->FaceAt(i).IsTemp()) width = std::max(width, hull->FaceAt(i).Count());
  }
  for (int i = 0; i < hull->NumVerts(); ++i) {
    if (!hull->VertAt(i).IsTemp()) width = std::max(width, hull->VertAt(i).Count());
  }

  // 6-9. The rotations, and the model moved onto them. The axis tests join faces
  // that lie in one place, and a group is found turned onto the model or the model
  // turned the little way onto the group: a search that is not kept leaves both as
  // they were, so that a model without the group opens where its file put it.
  std::vector<int32_t> faceRings(static_cast<size_t>(poly.NumFaces()));
  for (int i = 0; i < poly.NumFaces(); ++i) faceRings[static_cast<size_t>(i)] = poly.FaceAt(i).coinc;
  const Placement beforeRotations = PlacementOf(poly);
  // A model that keeps its orientation is turned only the little way onto its group:
  // that moves it as much as moving it onto the group does.
  const bool keepsOrientation = (poly.flags & kSimpleKeepOrientation) != 0;
  std::unique_ptr<SymGroup> group;
  for (double search : searchTolerances) {
    if (!Stage("SearchRotations")) return nullptr;
    group = SearchRotations(poly, *hull, width, search);
    if (!group || group->type == kSymGroupNone) break;
    if (!Stage("SymmetriseVertices")) return nullptr;
    const SymmetriseOutcome outcome =
        SymmetriseVertices(poly, *group, false, search, tolerance, zeroTolerance, zerosOfExactModel);
    if (!Stage("AfterSymmetrising")) return nullptr;
    if (outcome == SymmetriseOutcome::kMoved) {
      AfterSymmetrising(poly, *hull);
      moved = true;
    }
    if (outcome != SymmetriseOutcome::kRefused) break;
    group.reset();
    RestoreFaceCoincRings(poly, faceRings);
    RestorePlacement(poly, *hull, beforeRotations);
  }
  if (!group || group->type == kSymGroupNone) {
    if (!group) RestoreFaceCoincRings(poly, faceRings);
    poly.ResetIndices();
    group = CreateSymGroup(kSymGroupNone, 1);
  }

  // 10, 11. Coincident faces, then the improper symmetries, found and fitted as the
  // rotations were.
  if (!Stage("SeparateCoincidentFaces")) return nullptr;
  SeparateCoincidentFaces(poly, *group);
  if (!Stage("FindReflections")) return nullptr;
  bool refused = false;
  const Placement beforeMirror = PlacementOf(poly);
  // A search turns the group onto the mirror it finds when the model keeps its
  // orientation: one that does not fit leaves the group as it was, as it leaves the
  // model, so that the next is aligned from where the rotations put them.
  const std::unique_ptr<SymGroup> beforeMirrorGroup = CopySymGroup(group.get());
  for (double search : searchTolerances) {
    hasReflection = FindReflections(poly, *group, *hull, search);
    if (!hasReflection) break;
    if (!Stage("SymmetriseVertices")) return nullptr;
    const SymmetriseOutcome outcome =
        SymmetriseVertices(poly, *group, true, search, tolerance, zeroTolerance, zerosOfExactModel);
    if (!Stage("AfterSymmetrising")) return nullptr;
    if (outcome == SymmetriseOutcome::kMoved) {
      AfterSymmetrising(poly, *hull);
      moved = true;
    }
    if (outcome != SymmetriseOutcome::kRefused) break;
    group = CopySymGroup(beforeMirrorGroup.get());
    group->SetReflectionType(kReflectionChiral);
    hasReflection = false;
    refused = true;
    RestorePlacement(poly, *hull, beforeMirror);
  }
  // A model left without any symmetry rests on its largest face, not on the mirror
  // that did not fit.
  if (refused && !hasReflection && group->type == kSymGroupNone) {
    AlignModelWithNoSymmetry(poly, *hull, *group, false, nullptr, searchTolerances[0]);
  }

  // 12. The search's own data goes: the hull of a large model has a list in each of
  // hundreds of thousands of records and a cell of its point search for each point,
  // freed one by one with the window answering.
  if (!Stage("ReleaseHull")) return nullptr;
  hull->RebuildVertexSearch();
  ProgressTicker tick;
  for (int i = 0; i < hull->NumVerts(); ++i) {
    (void)tick();
    std::vector<int32_t>().swap(hull->VertAt(i).items);
  }
  for (int i = 0; i < hull->NumFaces(); ++i) {
    (void)tick();
    std::vector<int32_t>().swap(hull->FaceAt(i).items);
  }
  hull.reset();

  // 13. Faces in order round every vertex.
  if (!Stage("SortVertFaces")) return nullptr;
  if (!poly.SortVertFaces(group.get())) return nullptr;
  // The surface those cycles make must have the mirror that the points have.
  if (!Stage("ReflectionKeepsVertexCycles")) return nullptr;
  if (hasReflection && !ReflectionKeepsVertexCycles(poly, *group, searchTolerances[0])) {
    group->SetReflectionType(kReflectionChiral);
    hasReflection = false;
  }

  // 14. A consistent sense for faces through the centre.
  if (!Stage("FixHemiFaces") || !FixHemiFaces(poly)) return nullptr;
  if (keepsOrientation && !moved) moved = PlacementOf(poly).points != beforeRotations.points;
  return group;
}

}  // namespace detail_FindSymmetries

std::unique_ptr<SymGroup> FindSymmetries(SimplePoly& poly, bool& hasReflection, std::string* refusal,
                                         const SymmetryTolerances& tolerances) {
  namespace d = detail_FindSymmetries;
  hasReflection = false;
  if (refusal) refusal->clear();
  platform::WaitCursorScope wait;
  // What counts as one point is measured against the largest coordinate: a model far
  // from the centre for its size is first moved to it (it is centred anyway), and one
  // that must stay there is refused when its points would be one.
  double low[3], high[3], largest = 0.0;
  if (d::FiniteBounds(poly, low, high, largest)) {
    double middle[3], across = 0, away = 0;
    for (int k = 0; k < 3; ++k) {
      middle[k] = (low[k] + high[k]) / 2;
      across = std::max(across, high[k] - low[k]);
      away = std::max(away, std::max(std::fabs(low[k]), std::fabs(high[k])));
    }
    if (!(poly.flags & kSimpleKeepCentre)) {
      if (away > across) {
        poly.Translate(middle);
        largest = d::LargestCoordinate(poly);
      }
    } else if (across > 0 && !(across > kSmallestModelShare * away)) {
      return d::Refuse(refusal,
                       "The model is %.3g across but lies %.3g from the centre: so far out its vertices cannot be "
                       "told apart. Move it to the centre.",
                       across, away);
    }
  }
  // A power of two scales exactly (and is never taken for 1 by Scale).
  const double sizeFactor = d::SizeNormalisingFactor(largest);
  poly.Scale(sizeFactor);
  // The model's vertices take coordinates within kPointTolerance of 0 (in its own
  // units) as 0.
  const double zeroTolerance = kPointTolerance * ((poly.flags & kSimpleKeepSize) ? sizeFactor : 1.0);
  bool moved = false;
  std::unique_ptr<SymGroup> group =
      d::Analyse(poly, hasReflection, sizeFactor, zeroTolerance, false, tolerances, refusal, moved);
  // A model moved onto its group was analysed from points that were not yet where the
  // group puts them: its hull, the order in which the axes turned up and so the
  // operations that carry one face onto another came from those points, and once there
  // it may show more symmetry than it did. The model as it now stands is analysed
  // again, as it is when it comes back from a file it was saved to, until an analysis
  // leaves it where it is, so that opening and saving it again gives the same model.
  for (int pass = 0; group && moved && pass < d::kMostAnalysesAfterMoving; ++pass) {
    for (int i = 0; i < poly.NumFaces(); ++i) poly.FaceAt(i).flags &= ~kSimpleHemiFixed;
    group = d::Analyse(poly, hasReflection, 1.0, zeroTolerance, true, tolerances, refusal, moved);
  }
  if (poly.flags & kSimpleKeepSize) poly.Scale(1.0 / sizeFactor);
  return group;
}

SymGroup* SimplePoly::FindSymmetries(bool& hasReflection) {
  return corvia::FindSymmetries(*this, hasReflection).release();
}

}  // namespace corvia
