#include "symmetry/ConvexHull.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "construction/RainbowColor.h"
#include "core/MergeSort.h"
#include "core/RadixSorter.h"
#include "core/Messages.h"
#include "core/Tolerances.h"
#include "core/VectorMath.h"
#include "platform/Services.h"
#include "symmetry/RotationAxes.h"
#include "symmetry/SimplePoly.h"

namespace corvia::detail_ConvexHull {

constexpr int32_t kHullNone = -1;
// Vertices with any of these take no part in the hull.
constexpr uint32_t kHullUnusableFlags = kSimpleDone | kSimpleMark2 | kSimpleTemp | kSimpleInfinite;
// Positions are snapped to a grid of this many steps across the widest extent of
// the points, fine enough that no snap moves a point by a noticeable part of the
// tolerance, and coarse enough that orientation sums fit 128 bits exactly.
constexpr double kGridSteps = 1099511627776.0;  // 2^40
// Cells of the search for coincident vertices: this many tolerances wide at least,
// and 2^20 grid steps or more (so at most 2^21 of them along an axis).
constexpr double kCoincidenceCells = 64.0;
constexpr int kMinCellShift = 20;
// Adding and taking away 2^52 rounds a double in [0, 2^51) to an integer.
constexpr double kRoundingShift = 4503599627370496.0;
// Grid steps that cover what snapping can move a point, a plane or a line.
constexpr double kSnapMargin = 8.0;
// A corner further than this many tolerances from the line through its neighbours
// is no straight corner (a little over sqrt 3: the test allows the tolerance in
// each coordinate).
constexpr double kStraightCornerFactor = 1.7320526;

constexpr size_t kHullRefusalSize = 64;

__extension__ using Int128 = __int128;

enum class HullOutcome {
  Built,
  Flat,        // fewer than 4 points, or all within the tolerance of one plane or line
  NotFinite,   // a usable vertex has no finite position
  // The exact hull holds, but its triangles do not join into faces of at least three
  // corners: the points lie so nearly on one line (or in one plane) that within the
  // tolerance they enclose no solid.
  Unreliable,
};

struct HullPlane {
  double n[3];  // unit outward normal
  double d;     // n . p + d is the signed distance of p, negative inside
};

// The 21 low bits of x spread out to every third bit, for the Morton code of a cell.
uint64_t MortonBits(uint64_t x) {
  x &= 0x1fffff;
  x = (x | x << 32) & 0x1f00000000ffffull;
  x = (x | x << 16) & 0x1f0000ff0000ffull;
  x = (x | x << 8) & 0x100f00f00f00f00full;
  x = (x | x << 4) & 0x10c30c30c30c30c3ull;
  x = (x | x << 2) & 0x1249249249249249ull;
  return x;
}

// A key whose order is that of the non-negative double x, largest first.
uint64_t DescendingKey(double x) {
  uint64_t bits;
  std::memcpy(&bits, &x, sizeof bits);
  return ~bits;
}

// Squared distance from p to the closed triangle a, b, c.
double SquaredDistanceToTriangle(const double* p, const double* a, const double* b, const double* c) {
  double ab[3], ac[3], ap[3], closest[3];
  Subtract(ab, b, a);
  Subtract(ac, c, a);
  Subtract(ap, p, a);
  auto at = [&](double s, double t) {
    for (int k = 0; k < 3; ++k) closest[k] = a[k] + s * ab[k] + t * ac[k];
    double d[3];
    Subtract(d, p, closest);
    return Dot(d, d);
  };
  const double d1 = Dot(ab, ap), d2 = Dot(ac, ap);
  if (d1 <= 0 && d2 <= 0) return at(0, 0);
  double bp[3];
  Subtract(bp, p, b);
  const double d3 = Dot(ab, bp), d4 = Dot(ac, bp);
  if (d3 >= 0 && d4 <= d3) return at(1, 0);
  const double vc = d1 * d4 - d3 * d2;
  if (vc <= 0 && d1 >= 0 && d3 <= 0) return at(d1 / (d1 - d3), 0);
  double cp[3];
  Subtract(cp, p, c);
  const double d5 = Dot(ab, cp), d6 = Dot(ac, cp);
  if (d6 >= 0 && d5 <= d6) return at(0, 1);
  const double vb = d5 * d2 - d1 * d6;
  if (vb <= 0 && d2 >= 0 && d6 <= 0) return at(0, d2 / (d2 - d6));
  const double va = d3 * d6 - d5 * d4;
  if (va <= 0 && (d4 - d3) >= 0 && (d5 - d6) >= 0) {
    const double w = (d4 - d3) / ((d4 - d3) + (d5 - d6));
    return at(1 - w, w);
  }
  const double denom = 1 / (va + vb + vc);
  return at(vb * denom, vc * denom);
}


// One triangle of the hull while it grows. Its corners run counter-clockwise seen
// from outside; half-edge 3 t + k runs from corner k to corner k + 1 and twin[k] is
// the half-edge of the neighbour running the other way. A free slot (its triangle
// removed, the slot waiting to be used again) has corner[0] < 0.
struct HullTri {
  int32_t corner[3];
  int32_t twin[3];
  int32_t conflicts;  // first point of its conflict list
  int32_t furthest;   // the point of the list furthest outside
  uint32_t stamp;     // marks the triangles a step has visited
  uint32_t use;       // counts the uses of the slot
};

// What the orientation test of one triangle a, b, c needs, worked out once: the
// products of the cross product (b - a) x (c - a) of the snapped corners, as
// differences n and as sums of magnitudes m, in doubles; and how far outside the
// furthest point of the conflict list lies, in the same units.
struct HullFilter {
  double n[3];
  double m[3];
  double furthest;
};

// States of a point (bits).
constexpr uint8_t kPointCorner = 0x1;   // a corner of the hull so far
constexpr uint8_t kPointSkipped = 0x2;  // within the tolerance of the hull when its turn came

// The hull is built as triangles with half-edge twins over the points snapped to an
// integer grid, where "does the point see this triangle" is decided exactly: the
// structure can never fold or lose a point, however nearly flat the points lie.
// Every point still to be added waits in the conflict list of one triangle it
// sees; a point in no list lies inside or on the hull. The next point added is the
// one furthest outside its triangle, among the points of the triangle made last
// (as a stack): points deep inside go with the first few steps, and the work
// follows one region at a time. The points are numbered along a space-filling
// curve through their cells, so that points near each other in space lie near each
// other in memory. A point within the tolerance of the hull is not added (it stays
// within the tolerance of every hull that grows from this one). Only at the end are
// triangles that lie within the tolerance of one plane joined into the polygon
// faces of the result, which come in the order of their own corners' vertex
// numbers: the result does not depend on the order the points were added in.
class HullBuilder {
 public:
  explicit HullBuilder(SimplePoly& poly) : mPoly(poly) {}

  HullOutcome Build();
  // The vertex whose position is not finite (NotFinite).
  int BadVertex() const { return mBadVertex; }
  // Polygons (counter-clockwise seen from outside) and their planes. False when the
  // triangles do not join into polygons of three corners or more.
  bool ExtractFaces();
  void WriteFaces(int firstFace);

 private:
  int32_t NumPoints() const { return static_cast<int32_t>(mVertOf.size()); }
  const double* Pos(int32_t point) const { return mPoly.VertAt(mVertOf[static_cast<size_t>(point)]).pos; }
  // The snapped point: each coordinate an integer below 2^41, held exactly.
  const double* Grid(int32_t point) const { return &mGrid[static_cast<size_t>(point) * 3]; }
  bool Has(int32_t point, uint8_t bit) const { return (mState[static_cast<size_t>(point)] & bit) != 0; }
  void Set(int32_t point, uint8_t bit) { mState[static_cast<size_t>(point)] |= bit; }
  HullTri& Tri(int32_t t) { return mTris[static_cast<size_t>(t)]; }
  const HullTri& Tri(int32_t t) const { return mTris[static_cast<size_t>(t)]; }
  HullFilter& Filter(int32_t t) { return mFilters[static_cast<size_t>(t)]; }
  const HullFilter& Filter(int32_t t) const { return mFilters[static_cast<size_t>(t)]; }
  static int32_t TriOf(int32_t h) { return h / 3; }
  static int32_t NextEdge(int32_t h) { return (h % 3 == 2) ? h - 2 : h + 1; }
  int32_t Start(int32_t h) const { return Tri(TriOf(h)).corner[h % 3]; }
  int32_t End(int32_t h) const { return Start(NextEdge(h)); }
  int32_t Twin(int32_t h) const { return Tri(TriOf(h)).twin[h % 3]; }
  void Link(int32_t h1, int32_t h2) {
    Tri(TriOf(h1)).twin[h1 % 3] = h2;
    Tri(TriOf(h2)).twin[h2 % 3] = h1;
  }
  // The exact (b - a) x (c - a) of the snapped points.
  void GridNormal(int32_t a, int32_t b, int32_t c, Int128* out) const;
  void SetFilter(HullFilter& f, int32_t a, int32_t b, int32_t c) const;
  // Sign of (q - a) . ((b - a) x (c - a)) of the snapped points, the triangle's
  // products taken from its filter: positive when q lies on the side the triangle
  // faces, exactly. `det` receives the product in doubles, `bound` its rounding bound.
  int Side(const HullFilter& f, int32_t a, int32_t b, int32_t c, int32_t q, double& det, double& bound) const;
  int Orient(int32_t a, int32_t b, int32_t c, int32_t q) const;
  bool Sees(int32_t q, int32_t t, double& det, double& bound) const {
    const HullTri& tri = Tri(t);
    return Side(Filter(t), tri.corner[0], tri.corner[1], tri.corner[2], q, det, bound) > 0;
  }
  int32_t NewTri(int32_t a, int32_t b, int32_t c);
  void AddConflict(int32_t point, int32_t t, double det) {
    HullTri& tri = Tri(t);
    mConflictNext[static_cast<size_t>(point)] = tri.conflicts;
    tri.conflicts = point;
    HullFilter& f = Filter(t);
    if (tri.furthest == kHullNone || det > f.furthest) {
      tri.furthest = point;
      f.furthest = det;
    }
  }
  // Takes point p, waiting on triangle start, into the hull (or passes it over when
  // it lies within the tolerance of the hull). False on a broken structure.
  bool AddPoint(int32_t p, int32_t start);
  // Whether p lies within the tolerance of one of the visible triangles (whose
  // products with p are in mVisibleDet and mVisibleBound).
  bool NearVisible(int32_t p) const;
  // The points used, in space-filling-curve order: the first of each set of
  // coincident vertices, finite.
  HullOutcome GatherPoints();
  // The outward unit normal of triangle t and the plane through it.
  HullPlane TrianglePlane(int32_t t) const;
  void GroupCoplanarTriangles();
  // The plane of a face: its first triangle's, worked out when first asked for.
  const HullPlane& PlaneOf(int32_t group);

  SimplePoly& mPoly;
  int mBadVertex = kHullNone;
  std::vector<int32_t> mVertOf;  // point -> vertex index
  std::vector<double> mGrid;     // three per point
  double mSteps = 1.0;           // grid steps per unit of length
  std::vector<uint8_t> mState;   // per point

  std::vector<HullTri> mTris;
  std::vector<HullFilter> mFilters;    // per triangle slot, while the hull grows
  std::vector<int32_t> mFreeSlots;     // of removed triangles
  std::vector<int32_t> mConflictNext;  // per point
  uint32_t mStamp = 0;
  // Work lists of AddPoint, kept from one point to the next.
  std::vector<int32_t> mVisible, mHorizon, mCone;
  std::vector<double> mVisibleDet, mVisibleBound;
  // Triangles waiting to give their furthest point, with the use of their slot.
  std::vector<std::pair<int32_t, uint32_t>> mPending;

  std::vector<int32_t> mTriGroup;  // per triangle, once grouped
  // Per group: its plane once worked out, and the triangle it comes from.
  std::vector<HullPlane> mPlanes;
  std::vector<uint8_t> mPlaneKnown;
  std::vector<int32_t> mPlaneSeed;
  // The faces: corners (vertex numbers) of face j at mFaceCorners[mFaceStart[j] ..
  // mFaceStart[j + 1]), its plane mPlanes[mFaceGroup[j]].
  std::vector<int32_t> mFaceCorners;
  std::vector<uint32_t> mFaceStart;
  std::vector<int32_t> mFaceGroup;
};

constexpr double kFilterEps = std::numeric_limits<double>::epsilon() / 2;
// Rounding bound of the orientation sum, relative to the sum of the magnitudes of
// its products.
constexpr double kOrientBound = (7.0 + 56.0 * kFilterEps) * kFilterEps;
// A component of a triangle's normal in doubles has the sign of the exact one when
// it exceeds this many times the sum of the magnitudes of its products.
constexpr double kNormalTrust = 4 * kFilterEps;

void HullBuilder::GridNormal(int32_t a, int32_t b, int32_t c, Int128* out) const {
  Int128 u[3], v[3];
  for (int k = 0; k < 3; ++k) {
    const auto pa = static_cast<int64_t>(Grid(a)[k]);
    u[k] = static_cast<Int128>(static_cast<int64_t>(Grid(b)[k])) - pa;
    v[k] = static_cast<Int128>(static_cast<int64_t>(Grid(c)[k])) - pa;
  }
  out[0] = u[1] * v[2] - u[2] * v[1];
  out[1] = u[2] * v[0] - u[0] * v[2];
  out[2] = u[0] * v[1] - u[1] * v[0];
}

void HullBuilder::SetFilter(HullFilter& f, int32_t a, int32_t b, int32_t c) const {
  // Grid differences are exact in doubles.
  double u[3], v[3];
  Subtract(u, Grid(b), Grid(a));
  Subtract(v, Grid(c), Grid(a));
  const double m0 = u[1] * v[2], m1 = u[2] * v[1];
  const double m2 = u[2] * v[0], m3 = u[0] * v[2];
  const double m4 = u[0] * v[1], m5 = u[1] * v[0];
  f.n[0] = m0 - m1;
  f.n[1] = m2 - m3;
  f.n[2] = m4 - m5;
  f.m[0] = std::fabs(m0) + std::fabs(m1);
  f.m[1] = std::fabs(m2) + std::fabs(m3);
  f.m[2] = std::fabs(m4) + std::fabs(m5);
  f.furthest = 0.0;
}

int HullBuilder::Side(const HullFilter& f, int32_t a, int32_t b, int32_t c, int32_t q, double& det,
                      double& bound) const {
  // The sum of products is decided in doubles when it lies clear of its rounding
  // bound, and in 128-bit integers otherwise.
  double w[3];
  Subtract(w, Grid(q), Grid(a));
  det = w[0] * f.n[0] + w[1] * f.n[1] + w[2] * f.n[2];
  bound = kOrientBound * (std::fabs(w[0]) * f.m[0] + std::fabs(w[1]) * f.m[1] + std::fabs(w[2]) * f.m[2]);
  if (det > bound) return 1;
  if (-det > bound) return -1;
  Int128 n[3];
  GridNormal(a, b, c, n);
  Int128 sum = 0;
  for (int k = 0; k < 3; ++k) {
    sum += n[k] * (static_cast<Int128>(static_cast<int64_t>(Grid(q)[k])) - static_cast<int64_t>(Grid(a)[k]));
  }
  return sum > 0 ? 1 : (sum < 0 ? -1 : 0);
}

int HullBuilder::Orient(int32_t a, int32_t b, int32_t c, int32_t q) const {
  HullFilter f;
  SetFilter(f, a, b, c);
  double det, bound;
  return Side(f, a, b, c, q, det, bound);
}

HullPlane HullBuilder::TrianglePlane(int32_t t) const {
  // From the positions themselves, not their snapped images: the planes of a model
  // whose coordinates are exact stay exact (its symmetry axes are taken from them).
  const HullTri& tri = Tri(t);
  HullPlane plane;
  TriangleNormal(plane.n, Pos(tri.corner[0]), Pos(tri.corner[1]), Pos(tri.corner[2]));
  const double length = std::sqrt(Dot(plane.n, plane.n));
  if (length > 0) Scale(plane.n, plane.n, 1.0 / length);
  plane.d = -Dot(plane.n, Pos(tri.corner[0]));
  return plane;
}

int32_t HullBuilder::NewTri(int32_t a, int32_t b, int32_t c) {
  int32_t t;
  if (!mFreeSlots.empty()) {
    t = mFreeSlots.back();
    mFreeSlots.pop_back();
  } else {
    t = static_cast<int32_t>(mTris.size());
    mTris.emplace_back();
    mTris.back().use = 0;
    mFilters.emplace_back();
  }
  HullTri& tri = Tri(t);
  tri.corner[0] = a;
  tri.corner[1] = b;
  tri.corner[2] = c;
  tri.twin[0] = tri.twin[1] = tri.twin[2] = kHullNone;
  tri.conflicts = kHullNone;
  tri.furthest = kHullNone;
  tri.stamp = 0;
  ++tri.use;
  SetFilter(Filter(t), a, b, c);
  return t;
}

HullOutcome HullBuilder::GatherPoints() {
  // The usable vertices and the box round them, read in the order they are stored.
  double low[3] = {0, 0, 0}, high[3] = {0, 0, 0};
  size_t numUsable = 0;
  for (int i = 0; i < mPoly.NumVerts(); ++i) {
    SimpleVert& v = mPoly.VertAt(i);
    if (v.flags & kHullUnusableFlags) {
      v.flags |= kSimpleTemp;
      continue;
    }
    if (!std::isfinite(v.pos[0]) || !std::isfinite(v.pos[1]) || !std::isfinite(v.pos[2])) {
      mBadVertex = i;
      return HullOutcome::NotFinite;
    }
    for (int k = 0; k < 3; ++k) {
      low[k] = numUsable == 0 ? v.pos[k] : std::min(low[k], v.pos[k]);
      high[k] = numUsable == 0 ? v.pos[k] : std::max(high[k], v.pos[k]);
    }
    ++numUsable;
  }
  if (numUsable < 4) return HullOutcome::Flat;
  const double span = std::max({high[0] - low[0], high[1] - low[1], high[2] - low[2]});
  mSteps = span > 0 ? kGridSteps / span : 1.0;
  // Rounded to the nearest step (ties to even) by adding and taking away 2^52.
  auto snap = [&](double x, int k) { return ((x - low[k]) * mSteps + kRoundingShift) - kRoundingShift; };

  // The points in the order of a space-filling (Morton) curve through cells of the
  // grid far wider than the tolerance, at most 2^20 along an axis: a point and the
  // points that coincide with it lie in the cells its tolerance box meets, and each
  // cell's points lie together along the curve. A cell is 2^shift grid steps wide.
  int shift = kMinCellShift;
  while (std::ldexp(1.0, shift) < kCoincidenceCells * kPointTolerance * mSteps) ++shift;
  auto cellOf = [shift](double x) { return x < 0 ? uint64_t{0} : static_cast<uint64_t>(x) >> shift; };
  auto codeOf = [&](const double* g) {
    return MortonBits(cellOf(g[0])) << 2 | MortonBits(cellOf(g[1])) << 1 | MortonBits(cellOf(g[2]));
  };
  {
    std::vector<KeyedEntry> curve;
    curve.reserve(numUsable);
    for (int i = 0; i < mPoly.NumVerts(); ++i) {
      const SimpleVert& v = mPoly.VertAt(i);
      if (v.IsTemp()) continue;
      const double g[3] = {snap(v.pos[0], 0), snap(v.pos[1], 1), snap(v.pos[2], 2)};
      curve.push_back(KeyedEntry{codeOf(g), i});
    }
    // Equal codes stay in vertex order.
    SortByKey(curve);
    mVertOf.resize(curve.size());
    for (size_t j = 0; j < curve.size(); ++j) mVertOf[j] = curve[j].value;
  }
  // The positions are read in the order of the curve, which jumps about the vertex
  // array: each is asked for a few points ahead.
  constexpr int32_t kReadAhead = 8;
  mGrid.resize(mVertOf.size() * 3);
  for (int32_t q = 0; q < NumPoints(); ++q) {
    if (q + kReadAhead < NumPoints()) __builtin_prefetch(Pos(q + kReadAhead));
    for (int k = 0; k < 3; ++k) mGrid[static_cast<size_t>(q) * 3 + static_cast<size_t>(k)] = snap(Pos(q)[k], k);
  }

  // Pairs of coincident points: within the tolerance (plus what snapping moves) in
  // the grid, then in their positions. The later vertex second.
  const double reach = kPointTolerance * mSteps + 1.0;
  auto sameCell = [&](int32_t r, const uint64_t* c) {
    return cellOf(Grid(r)[0]) == c[0] && cellOf(Grid(r)[1]) == c[1] && cellOf(Grid(r)[2]) == c[2];
  };
  std::vector<std::pair<int32_t, int32_t>> pairs;
  auto consider = [&](int32_t r, int32_t q) {
    const int32_t u = mVertOf[static_cast<size_t>(r)], v = mVertOf[static_cast<size_t>(q)];
    if (u >= v) return;
    const double* g = Grid(q);
    const double* h = Grid(r);
    if (std::fabs(h[0] - g[0]) > reach || std::fabs(h[1] - g[1]) > reach || std::fabs(h[2] - g[2]) > reach) return;
    if (SamePos(mPoly.VertAt(u).pos, mPoly.VertAt(v).pos)) pairs.emplace_back(u, v);
  };
  for (int32_t q = 0; q < NumPoints(); ++q) {
    const double* g = Grid(q);
    const uint64_t own[3] = {cellOf(g[0]), cellOf(g[1]), cellOf(g[2])};
    // The point's own cell: its neighbours along the curve.
    for (int32_t r = q - 1; r >= 0 && sameCell(r, own); --r) consider(r, q);
    for (int32_t r = q + 1; r < NumPoints() && sameCell(r, own); ++r) consider(r, q);
    uint64_t lo[3], hi[3];
    for (int k = 0; k < 3; ++k) {
      lo[k] = cellOf(g[k] - reach);
      hi[k] = cellOf(g[k] + reach);
    }
    if (lo[0] == hi[0] && lo[1] == hi[1] && lo[2] == hi[2]) continue;
    // A tolerance box across cells: each other cell's run, found by halving.
    uint64_t c[3];
    for (c[0] = lo[0]; c[0] <= hi[0]; ++c[0]) {
      for (c[1] = lo[1]; c[1] <= hi[1]; ++c[1]) {
        for (c[2] = lo[2]; c[2] <= hi[2]; ++c[2]) {
          if (c[0] == own[0] && c[1] == own[1] && c[2] == own[2]) continue;
          const uint64_t code = MortonBits(c[0]) << 2 | MortonBits(c[1]) << 1 | MortonBits(c[2]);
          int32_t first = 0, last = NumPoints();
          while (first < last) {
            const int32_t mid = first + (last - first) / 2;
            if (codeOf(Grid(mid)) < code) {
              first = mid + 1;
            } else {
              last = mid;
            }
          }
          for (int32_t r = first; r < NumPoints() && sameCell(r, c); ++r) consider(r, q);
        }
      }
    }
  }
  if (!pairs.empty()) {
    // Of vertices that coincide only the first takes part, in vertex order: a vertex
    // goes when an earlier vertex that stays lies within the tolerance; the others
    // are on the hull through it and end as non-corners.
    std::sort(pairs.begin(), pairs.end(), [](const auto& x, const auto& y) {
      return x.second != y.second ? x.second < y.second : x.first < y.first;
    });
    for (const auto& [first, second] : pairs) {
      if (!mPoly.VertAt(first).IsTemp()) mPoly.VertAt(second).flags |= kSimpleTemp;
    }
    int32_t kept = 0;
    for (int32_t q = 0; q < NumPoints(); ++q) {
      if (mPoly.VertAt(mVertOf[static_cast<size_t>(q)]).IsTemp()) continue;
      mVertOf[static_cast<size_t>(kept)] = mVertOf[static_cast<size_t>(q)];
      for (int k = 0; k < 3; ++k) mGrid[static_cast<size_t>(kept) * 3 + static_cast<size_t>(k)] = Grid(q)[k];
      ++kept;
    }
    mVertOf.resize(static_cast<size_t>(kept));
    mGrid.resize(static_cast<size_t>(kept) * 3);
  }
  return mVertOf.size() < 4 ? HullOutcome::Flat : HullOutcome::Built;
}

HullOutcome HullBuilder::Build() {
  const HullOutcome gathered = GatherPoints();
  if (gathered != HullOutcome::Built) return gathered;
  const int32_t numPoints = NumPoints();
  mState.assign(static_cast<size_t>(numPoints), 0);
  mConflictNext.assign(static_cast<size_t>(numPoints), kHullNone);

  // The first tetrahedron as large as the points allow: the two extreme points
  // furthest apart, the point furthest from the line through them, the point
  // furthest from their plane, all sought in the grid (which keeps the order of
  // the coordinates). Points that all lie within the tolerance of a line or a plane
  // enclose no solid.
  int32_t a = 0, b = 0;
  {
    int32_t extremes[6] = {0, 0, 0, 0, 0, 0};
    for (int32_t q = 1; q < numPoints; ++q) {
      for (int k = 0; k < 3; ++k) {
        if (Grid(q)[k] < Grid(extremes[2 * k])[k]) extremes[2 * k] = q;
        if (Grid(q)[k] > Grid(extremes[2 * k + 1])[k]) extremes[2 * k + 1] = q;
      }
    }
    double widest = -1.0;
    for (int i = 0; i < 6; ++i) {
      for (int j = i + 1; j < 6; ++j) {
        double d[3];
        Subtract(d, Grid(extremes[j]), Grid(extremes[i]));
        if (Dot(d, d) > widest) {
          widest = Dot(d, d);
          a = extremes[i];
          b = extremes[j];
        }
      }
    }
  }
  double ab[3];
  Subtract(ab, Grid(b), Grid(a));
  int32_t c = kHullNone;
  double furthest = -1.0;
  for (int32_t q = 0; q < numPoints; ++q) {
    double aq[3], off[3];
    Subtract(aq, Grid(q), Grid(a));
    Cross(off, ab, aq);
    if (Dot(off, off) > furthest) {
      furthest = Dot(off, off);
      c = q;
    }
  }
  {
    double lineAb[3], aq[3], off[3];
    Subtract(lineAb, Pos(b), Pos(a));
    Subtract(aq, Pos(c), Pos(a));
    Cross(off, lineAb, aq);
    if (!(std::sqrt(Dot(off, off) / Dot(lineAb, lineAb)) > kPointTolerance)) return HullOutcome::Flat;
  }
  double normal[3];
  TriangleNormal(normal, Grid(a), Grid(b), Grid(c));
  int32_t d4 = kHullNone;
  furthest = -1.0;
  for (int32_t q = 0; q < numPoints; ++q) {
    double aq[3];
    Subtract(aq, Grid(q), Grid(a));
    if (std::fabs(Dot(aq, normal)) > furthest) {
      furthest = std::fabs(Dot(aq, normal));
      d4 = q;
    }
  }
  {
    double plane[3], aq[3];
    TriangleNormal(plane, Pos(a), Pos(b), Pos(c));
    Scale(plane, plane, 1.0 / std::sqrt(Dot(plane, plane)));
    Subtract(aq, Pos(d4), Pos(a));
    if (!(std::fabs(Dot(aq, plane)) > kPointTolerance)) return HullOutcome::Flat;
  }
  const int side = Orient(a, b, c, d4);
  if (side == 0) return HullOutcome::Flat;

  // The base faces away from the fourth corner.
  const int32_t x[3] = {a, side > 0 ? c : b, side > 0 ? b : c};
  const int32_t base = NewTri(x[0], x[1], x[2]);
  int32_t sides[3];
  for (int i = 0; i < 3; ++i) {
    const int32_t from = x[i], to = x[(i + 1) % 3];
    sides[i] = NewTri(to, from, d4);
    Link(base * 3 + i, sides[i] * 3);
  }
  for (int i = 0; i < 3; ++i) Link(sides[i] * 3 + 1, sides[(i + 2) % 3] * 3 + 2);
  for (int32_t corner : {a, b, c, d4}) Set(corner, kPointCorner);

  // Every other point (those passed over for the tetrahedron included) waits on a
  // triangle it sees.
  for (int32_t q = numPoints - 1; q >= 0; --q) {
    if (Has(q, kPointCorner)) continue;
    for (int32_t t : {base, sides[0], sides[1], sides[2]}) {
      double det, bound;
      if (Sees(q, t, det, bound)) {
        AddConflict(q, t, det);
        break;
      }
    }
  }
  for (int32_t t : {base, sides[0], sides[1], sides[2]}) {
    if (Tri(t).conflicts != kHullNone) mPending.emplace_back(t, Tri(t).use);
  }
  while (!mPending.empty()) {
    const auto [t, use] = mPending.back();
    mPending.pop_back();
    const HullTri& tri = Tri(t);
    if (tri.use != use || tri.corner[0] < 0 || tri.furthest == kHullNone) continue;
    if (!AddPoint(tri.furthest, t)) {
      // Decided exactly, what a point sees is always a disc.
      ShowInternalError("ComputeConvexHull: broken hull");
      return HullOutcome::Unreliable;
    }
  }
  // What only the growing needed goes before the faces are made.
  std::vector<int32_t>().swap(mConflictNext);
  std::vector<int32_t>().swap(mFreeSlots);
  std::vector<std::pair<int32_t, uint32_t>>().swap(mPending);
  return HullOutcome::Built;
}

bool HullBuilder::NearVisible(int32_t p) const {
  // A triangle whose plane lies further than the tolerance from p (its products in
  // the grid, less their rounding bound, against the length of the normal, with a
  // margin for the snapping) is further still: only the others are measured.
  const double margin = kSnapMargin / mSteps;
  for (size_t i = 0; i < mVisible.size(); ++i) {
    const HullTri& tri = Tri(mVisible[i]);
    const HullFilter& f = Filter(mVisible[i]);
    // Above the length of the exact normal, whatever the rounding of f.n.
    const double length =
        std::sqrt(Dot(f.n, f.n)) * (1 + 4 * kFilterEps) + 4 * kFilterEps * (f.m[0] + f.m[1] + f.m[2]);
    const double lowest = mVisibleDet[i] - mVisibleBound[i];
    if (lowest > 0 && lowest / length / mSteps > kPointTolerance + margin) continue;
    if (SquaredDistanceToTriangle(Pos(p), Pos(tri.corner[0]), Pos(tri.corner[1]), Pos(tri.corner[2])) <=
        kSquaredPointTolerance) {
      return true;
    }
  }
  return false;
}

bool HullBuilder::AddPoint(int32_t p, int32_t start) {
  ++mStamp;

  // The region of triangles that p sees, flooded across edges.
  std::vector<int32_t>& visible = mVisible;
  visible.assign(1, start);
  double det, bound;
  Sees(p, start, det, bound);
  mVisibleDet.assign(1, det);
  mVisibleBound.assign(1, bound);
  Tri(start).stamp = mStamp;
  for (size_t i = 0; i < visible.size(); ++i) {
    const int32_t t = visible[i];
    for (int k = 0; k < 3; ++k) {
      const int32_t nb = TriOf(Twin(t * 3 + k));
      if (Tri(nb).stamp == mStamp) continue;
      if (Sees(p, nb, det, bound)) {
        Tri(nb).stamp = mStamp;
        visible.push_back(nb);
        mVisibleDet.push_back(det);
        mVisibleBound.push_back(bound);
      }
    }
  }
  auto isVisible = [this](int32_t t) { return Tri(t).stamp == mStamp; };
  if (NearVisible(p)) {
    // p stays out; its triangle gives its next furthest point instead.
    Set(p, kPointSkipped);
    for (int32_t t : visible) Tri(t).stamp = 0;
    HullTri& tri = Tri(start);
    int32_t* link = &tri.conflicts;
    while (*link != p) link = &mConflictNext[static_cast<size_t>(*link)];
    *link = mConflictNext[static_cast<size_t>(p)];
    tri.furthest = kHullNone;
    for (int32_t q = tri.conflicts; q != kHullNone; q = mConflictNext[static_cast<size_t>(q)]) {
      double d, bd;
      Sees(q, start, d, bd);
      if (tri.furthest == kHullNone || d > Filter(start).furthest) {
        tri.furthest = q;
        Filter(start).furthest = d;
      }
    }
    if (tri.furthest != kHullNone) mPending.emplace_back(start, tri.use);
    return true;
  }
  int32_t firstBoundary = kHullNone;
  int32_t numBoundary = 0;
  for (int32_t t : visible) {
    for (int k = 0; k < 3; ++k) {
      if (!isVisible(TriOf(Twin(t * 3 + k)))) {
        if (firstBoundary == kHullNone) firstBoundary = t * 3 + k;
        ++numBoundary;
      }
    }
  }

  // The horizon: the boundary of the visible region walked once round, as edges of
  // visible triangles. From an edge ending at v the next one starts at v: turn
  // round v through visible triangles until the one across is kept.
  std::vector<int32_t>& horizon = mHorizon;
  horizon.clear();
  const int32_t guard = static_cast<int32_t>(mTris.size()) * 3;
  int32_t h = firstBoundary;
  do {
    horizon.push_back(h);
    int32_t e = NextEdge(h);
    int32_t turns = 0;
    while (isVisible(TriOf(Twin(e))) && turns++ < guard) e = NextEdge(Twin(e));
    h = e;
  } while (h != firstBoundary && static_cast<int32_t>(horizon.size()) <= numBoundary);
  if (h != firstBoundary || static_cast<int32_t>(horizon.size()) != numBoundary) return false;

  // The cone from p over the horizon. The removed triangles keep their slots until
  // their points have moved on.
  const size_t m = horizon.size();
  std::vector<int32_t>& cone = mCone;
  cone.resize(m);
  for (size_t i = 0; i < m; ++i) {
    cone[i] = NewTri(Start(horizon[i]), End(horizon[i]), p);
    Link(cone[i] * 3, Twin(horizon[i]));
  }
  for (size_t i = 0; i < m; ++i) Link(cone[i] * 3 + 1, cone[(i + 1) % m] * 3 + 2);

  // Points waiting on the removed triangles move to a cone triangle they see; one
  // that sees none lies inside the new hull. A point inside the tetrahedron of p over
  // its own removed triangle (strictly inside the planes through p and the
  // triangle's sides) lies inside the new hull without trying the whole cone. The
  // points of one list lie near each other: each tries the cone first where the
  // point before it found its triangle, beginning at the removed triangle's own
  // side of the horizon.
  for (size_t i = 0; i < m; ++i) Tri(TriOf(horizon[i])).stamp = mStamp + 1 + static_cast<uint32_t>(i);
  for (int32_t t : visible) {
    int32_t q = Tri(t).conflicts;
    if (q == kHullNone) continue;
    const HullTri& tri = Tri(t);
    const int32_t corner[3] = {tri.corner[0], tri.corner[1], tri.corner[2]};
    HullFilter sides[3];
    for (int k = 0; k < 3; ++k) SetFilter(sides[k], corner[k], corner[(k + 1) % 3], p);
    size_t from = tri.stamp > mStamp ? static_cast<size_t>(tri.stamp - mStamp - 1) : 0;
    while (q != kHullNone) {
      const int32_t next = mConflictNext[static_cast<size_t>(q)];
      if (q != p && !Has(q, kPointSkipped)) {
        bool inside = true;
        for (int k = 0; k < 3 && inside; ++k) {
          inside = Side(sides[k], corner[k], corner[(k + 1) % 3], p, q, det, bound) < 0;
        }
        for (size_t i = 0; i < m && !inside; ++i) {
          const size_t c = (from + i) % m;
          if (Sees(q, cone[c], det, bound)) {
            AddConflict(q, cone[c], det);
            from = c;
            break;
          }
        }
      }
      q = next;
    }
  }
  mStamp += static_cast<uint32_t>(m) + 1;
  for (int32_t t : visible) {
    HullTri& tri = Tri(t);
    tri.corner[0] = kHullNone;
    tri.conflicts = kHullNone;
    tri.stamp = 0;
    mFreeSlots.push_back(t);
  }
  for (int32_t c : cone) {
    if (Tri(c).conflicts != kHullNone) mPending.emplace_back(c, Tri(c).use);
  }
  Set(p, kPointCorner);
  return true;
}

void HullBuilder::GroupCoplanarTriangles() {
  // Largest triangles first: each starts a face, whose plane is its own (a plane
  // that touches the hull, so no point lies beyond it; the largest triangle gives
  // it most exactly), and takes in the neighbouring triangles that lie within the
  // tolerance of that plane. Triangles of one size are taken in the order of their
  // corners' vertex numbers, so that the faces do not depend on the order the
  // triangles were made in.
  const int32_t numTris = static_cast<int32_t>(mTris.size());
  // The normal of each triangle from its snapped corners, in doubles; where it is
  // too small to trust its rounding, from the exact one. Its sense no rounding turns.
  std::vector<double> sense(static_cast<size_t>(numTris) * 3, 0.0);
  std::vector<KeyedEntry> order;
  for (int32_t t = 0; t < numTris; ++t) {
    const HullTri& tri = Tri(t);
    if (tri.corner[0] < 0) continue;
    double* nd = &sense[static_cast<size_t>(t) * 3];
    HullFilter f;
    SetFilter(f, tri.corner[0], tri.corner[1], tri.corner[2]);
    bool trusted = true;
    for (int k = 0; k < 3; ++k) trusted = trusted && std::fabs(f.n[k]) > kNormalTrust * f.m[k];
    if (trusted) {
      CopyVector(nd, f.n);
    } else {
      Int128 n[3];
      GridNormal(tri.corner[0], tri.corner[1], tri.corner[2], n);
      for (int k = 0; k < 3; ++k) nd[k] = static_cast<double>(n[k]);
    }
    order.push_back(KeyedEntry{DescendingKey(Dot(nd, nd)), t});
  }
  SortByKey(order);
  // Triangles of one size in the order of their corners' vertex numbers.
  struct Tie {
    std::array<int32_t, 3> corners;  // ascending
    KeyedEntry entry;
  };
  std::vector<Tie> ties;
  for (size_t i = 0; i < order.size();) {
    size_t j = i + 1;
    while (j < order.size() && order[j].key == order[i].key) ++j;
    if (j - i > 1) {
      ties.clear();
      for (size_t e = i; e < j; ++e) {
        Tie tie{{}, order[e]};
        for (int k = 0; k < 3; ++k) {
          tie.corners[static_cast<size_t>(k)] = mVertOf[static_cast<size_t>(Tri(order[e].value).corner[k])];
        }
        std::sort(tie.corners.begin(), tie.corners.end());
        ties.push_back(tie);
      }
      std::sort(ties.begin(), ties.end(), [](const Tie& x, const Tie& y) {
        return x.corners != y.corners ? x.corners < y.corners : x.entry.value < y.entry.value;
      });
      for (size_t e = i; e < j; ++e) order[e] = ties[e - i].entry;
    }
    i = j;
  }

  mTriGroup.assign(static_cast<size_t>(numTris), kHullNone);
  std::vector<int32_t> queue;
  const double snapMove = kSnapMargin / mSteps;
  for (const KeyedEntry& s : order) {
    const int32_t seed = s.value;
    if (mTriGroup[static_cast<size_t>(seed)] != kHullNone) continue;
    const int32_t g = static_cast<int32_t>(mPlanes.size());
    mPlanes.push_back(HullPlane{});
    mPlaneKnown.push_back(0);
    mPlaneSeed.push_back(seed);
    mTriGroup[static_cast<size_t>(seed)] = g;
    // The seed's plane in the grid, to rule out the neighbours that lie clearly off
    // it without reading their positions: what snapping moves the plane grows with
    // the distance from the seed over its least height.
    const HullTri& st = Tri(seed);
    const double* gn = &sense[static_cast<size_t>(seed) * 3];
    const double gnLength = std::sqrt(Dot(gn, gn));
    double longest = 0.0;
    for (int k = 0; k < 3; ++k) {
      double e[3];
      Subtract(e, Grid(st.corner[(k + 1) % 3]), Grid(st.corner[k]));
      longest = std::max(longest, std::sqrt(Dot(e, e)));
    }
    const double height = longest > 0 ? gnLength / longest : 0.0;  // in grid steps
    queue.assign(1, seed);
    for (size_t i = 0; i < queue.size(); ++i) {
      for (int k = 0; k < 3; ++k) {
        const int32_t across = Twin(queue[i] * 3 + k);
        const int32_t nb = TriOf(across);
        if (mTriGroup[static_cast<size_t>(nb)] != kHullNone) continue;
        // The corner across the shared edge decides: the two others are corners of
        // a triangle already in the face.
        const int32_t far = Tri(nb).corner[(across % 3 + 2) % 3];
        if (height > 0) {
          double w[3];
          Subtract(w, Grid(far), Grid(st.corner[0]));
          const double distance = std::fabs(Dot(w, gn)) / gnLength / mSteps;
          const double reach = std::sqrt(Dot(w, w)) / mSteps;
          if (distance > kPointTolerance + snapMove * (2.0 + 2.0 * reach * mSteps / height)) continue;
        }
        const HullPlane& plane = PlaneOf(g);
        bool inPlane = Dot(&sense[static_cast<size_t>(nb) * 3], plane.n) > 0;
        for (int c = 0; c < 3 && inPlane; ++c) {
          inPlane = std::fabs(Dot(plane.n, Pos(Tri(nb).corner[c])) + plane.d) <= kPointTolerance;
        }
        if (!inPlane) continue;
        mTriGroup[static_cast<size_t>(nb)] = g;
        queue.push_back(nb);
      }
    }
  }
}

const HullPlane& HullBuilder::PlaneOf(int32_t group) {
  const size_t g = static_cast<size_t>(group);
  if (!mPlaneKnown[g]) {
    mPlanes[g] = TrianglePlane(mPlaneSeed[g]);
    mPlaneKnown[g] = 1;
  }
  return mPlanes[g];
}

bool HullBuilder::ExtractFaces() {
  GroupCoplanarTriangles();
  const int32_t numTris = static_cast<int32_t>(mTris.size());
  auto groupOf = [this](int32_t t) { return mTriGroup[static_cast<size_t>(t)]; };
  std::vector<uint8_t> walked(static_cast<size_t>(numTris) * 3, 0);
  const int32_t guard = numTris * 3;
  std::vector<int32_t> corners;
  std::vector<uint32_t> start{0};
  std::vector<int32_t> faceGroup;
  for (int32_t t = 0; t < numTris; ++t) {
    if (Tri(t).corner[0] < 0) continue;
    const int32_t g = groupOf(t);
    for (int k = 0; k < 3; ++k) {
      const int32_t h0 = t * 3 + k;
      if (walked[static_cast<size_t>(h0)] || groupOf(TriOf(Twin(h0))) == g) continue;
      const size_t first = corners.size();
      int32_t h = h0;
      int32_t steps = 0;
      do {
        walked[static_cast<size_t>(h)] = 1;
        corners.push_back(Start(h));
        int32_t e = NextEdge(h);
        while (groupOf(TriOf(Twin(e))) == g && steps++ < guard) e = NextEdge(Twin(e));
        h = e;
      } while (h != h0 && steps++ < guard);
      if (h != h0 || corners.size() - first < 3) return false;
      start.push_back(static_cast<uint32_t>(corners.size()));
      faceGroup.push_back(g);
    }
  }
  // Every face's plane, then the triangles are done with.
  for (size_t g = 0; g < mPlanes.size(); ++g) PlaneOf(static_cast<int32_t>(g));
  std::vector<HullTri>().swap(mTris);
  std::vector<HullFilter>().swap(mFilters);
  std::vector<int32_t>().swap(mTriGroup);
  std::vector<uint8_t>().swap(walked);
  const size_t numFaces = faceGroup.size();

  // A corner on a straight line between its neighbours is not a corner of the
  // solid. It is dropped only when it is such in every face it belongs to, so that
  // the faces still agree on their shared edges. A corner whose distance from the
  // line through its neighbours, measured in the grid, clearly exceeds what the
  // test allows is not straight there without the test.
  std::vector<int32_t> uses(static_cast<size_t>(NumPoints()), 0), straight(static_cast<size_t>(NumPoints()), 0);
  const double clear = (kStraightCornerFactor * kPointTolerance + kSnapMargin / mSteps) * mSteps;
  for (size_t j = 0; j < numFaces; ++j) {
    const int32_t* f = &corners[start[j]];
    const size_t n = start[j + 1] - start[j];
    for (size_t i = 0; i < n; ++i) {
      const int32_t prev = f[(i + n - 1) % n], cur = f[i], next = f[(i + 1) % n];
      ++uses[static_cast<size_t>(cur)];
      double u[3], v[3], cross[3];
      Subtract(u, Grid(cur), Grid(prev));
      Subtract(v, Grid(next), Grid(prev));
      Cross(cross, u, v);
      const double longest = std::max({std::fabs(v[0]), std::fabs(v[1]), std::fabs(v[2])});
      if (longest > clear && Dot(cross, cross) > clear * clear * Dot(v, v)) continue;
      double toCur[3], toNext[3];
      Subtract(toCur, Pos(cur), Pos(prev));
      Subtract(toNext, Pos(next), Pos(prev));
      if (AreParallel(toCur, toNext, kPointTolerance)) ++straight[static_cast<size_t>(cur)];
    }
  }
  // The corners kept, as vertex numbers, each face starting at its lowest.
  std::vector<int32_t> kept;
  std::vector<uint32_t> keptStart{0};
  kept.reserve(corners.size());
  for (size_t j = 0; j < numFaces; ++j) {
    const size_t first = kept.size();
    for (uint32_t i = start[j]; i < start[j + 1]; ++i) {
      const int32_t point = corners[i];
      if (straight[static_cast<size_t>(point)] < uses[static_cast<size_t>(point)]) {
        kept.push_back(mVertOf[static_cast<size_t>(point)]);
      }
    }
    if (kept.size() - first < 3) return false;
    const auto begin = kept.begin() + static_cast<std::ptrdiff_t>(first);
    std::rotate(begin, std::min_element(begin, kept.end()), kept.end());
    keptStart.push_back(static_cast<uint32_t>(kept.size()));
  }
  std::vector<int32_t>().swap(corners);
  std::vector<uint32_t>().swap(start);
  std::vector<int32_t>().swap(uses);
  std::vector<int32_t>().swap(straight);

  // The faces in the order of their first two corners: two faces never share both
  // (an edge has one face on each side).
  std::vector<KeyedEntry> faceOrder(numFaces);
  for (size_t j = 0; j < numFaces; ++j) {
    const auto first = static_cast<uint64_t>(kept[keptStart[j]]);
    const auto second = static_cast<uint64_t>(kept[keptStart[j] + 1]);
    faceOrder[j] = KeyedEntry{first << 32 | second, static_cast<int32_t>(j)};
  }
  SortByKey(faceOrder);
  mFaceCorners.clear();
  mFaceStart.assign(1, 0);
  mFaceGroup.clear();
  mFaceCorners.reserve(kept.size());
  mFaceStart.reserve(numFaces + 1);
  mFaceGroup.reserve(numFaces);
  for (const KeyedEntry& entry : faceOrder) {
    const auto j = static_cast<size_t>(entry.value);
    mFaceCorners.insert(mFaceCorners.end(), kept.begin() + keptStart[j], kept.begin() + keptStart[j + 1]);
    mFaceStart.push_back(static_cast<uint32_t>(mFaceCorners.size()));
    mFaceGroup.push_back(faceGroup[j]);
  }
  return true;
}

void HullBuilder::WriteFaces(int firstFace) {
  // The faces change, so the vertex-face lists and the edges go (the lists with the
  // last pass over the vertices below).
  mPoly.flags &= ~(kSimpleHasVertFaceLists | kSimpleSortedFaceLists);
  mPoly.SetNumEdges(0);

  // One growth for all the faces instead of one per face past the end.
  const size_t numFaces = mFaceGroup.size();
  const int needed = firstFace + static_cast<int>(numFaces);
  if (needed > mPoly.NumFaces()) mPoly.Resize(mPoly.NumVerts(), needed);
  int index = firstFace;
  for (size_t j = 0; j < numFaces; ++j, ++index) {
    SimpleFace* face = mPoly.GetFace(index);
    if (!face) return;
    const int n = static_cast<int>(mFaceStart[j + 1] - mFaceStart[j]);
    face->SetNumVerts(n, 1);
    for (int i = 0; i < n; ++i) face->SetVertIndex(i, mFaceCorners[mFaceStart[j] + static_cast<uint32_t>(i)]);
    CopyVector(face->normal, mPlanes[static_cast<size_t>(mFaceGroup[j])].n);
    // A reused record is a new face: it must not stay removed or keep old rings.
    face->flags &= ~(kSimpleTemp | kSimpleDone);
    face->typeId = kNoIndex;
    face->nextOfType = index;
    face->coinc = index;
  }
  for (int i = index; i < mPoly.NumFaces(); ++i) {
    SimpleFace& f = mPoly.FaceAt(i);
    f.flags |= kSimpleTemp;
    f.nextOfType = i;
    f.coinc = i;
  }
  if (mPoly.currentFace >= index) mPoly.currentFace = kNoIndex;
  if (index < mPoly.NumFaces()) mPoly.Truncate(mPoly.NumVerts(), index);

  for (int i = 0; i < firstFace; ++i) mPoly.FaceAt(i).flags &= ~kSimpleDone;

  // One pass over the vertices: the points used that are no corner of a face go.
  constexpr uint8_t kUsed = 1, kCorner = 2;
  std::vector<uint8_t> role(static_cast<size_t>(mPoly.NumVerts()), 0);
  for (int32_t vertex : mVertOf) role[static_cast<size_t>(vertex)] = kUsed;
  for (int32_t vertex : mFaceCorners) role[static_cast<size_t>(vertex)] |= kCorner;
  for (int i = 0; i < mPoly.NumVerts(); ++i) {
    SimpleVert& v = mPoly.VertAt(i);
    v.items.clear();
    v.flags &= ~kSimpleDone;
    if (role[static_cast<size_t>(i)] == kUsed) v.flags |= kSimpleTemp;
  }
}

// Three-way order of positions for LinkCoincidentVerts: x, then y, then z, each
// within the tolerance; ties by index.
int CompareHullVerts(const SimplePoly& poly, int32_t a, int32_t b) {
  const int c = CompareWithin(poly.VertAt(a).pos, poly.VertAt(b).pos, kPointTolerance);
  if (c != 0) return c;
  return a < b ? -1 : (a > b ? 1 : 0);
}

}  // namespace corvia::detail_ConvexHull


namespace corvia {

bool ComputeConvexHull(SimplePoly& poly, int firstFace, std::string* refusal) {
  using detail_ConvexHull::HullOutcome;
  HullOutcome outcome = HullOutcome::Flat;
  int badVertex = -1;
  if (poly.NumVerts() >= 4) {
    platform::WaitCursorScope waitCursor;
    poly.flags |= kSimpleGrowable;
    detail_ConvexHull::HullBuilder builder(poly);
    outcome = builder.Build();
    badVertex = builder.BadVertex();
    if (outcome == HullOutcome::Built && !builder.ExtractFaces()) outcome = HullOutcome::Unreliable;
    if (outcome == HullOutcome::Built) builder.WriteFaces(firstFace);
  }
  if (outcome == HullOutcome::Built) return true;
  if (refusal) {
    char text[detail_ConvexHull::kHullRefusalSize];
    if (outcome == HullOutcome::NotFinite) {
      std::snprintf(text, sizeof text, "vertex %d has no finite position", badVertex);
    } else {
      std::snprintf(text, sizeof text, "%s", "the vertices do not enclose a solid");
    }
    *refusal = text;
  }
  return false;
}

bool RemoveDegenerateFaceVerts(SimplePoly& poly) {
  bool changed = false;
  for (int fi = 0; fi < poly.NumFaces(); ++fi) {
    SimpleFace& face = poly.FaceAt(fi);
    if (face.IsTemp()) continue;
    auto posAt = [&](int k) { return poly.VertAt(face.items[static_cast<size_t>(k)]).pos; };
    int i = 0;
    // The walk goes on down to two corners: a face A, B, A, C first loses the
    // spike A, B and then the pair left is a spike itself.
    while (i < face.Count() && face.Count() >= 2) {
      const int count = face.Count();
      const int next = (i + 1) % count;
      const int afterNext = (next + 1) % count;
      if (SamePos(posAt(i), posAt(next))) {
        face.RemoveVertsAt(i, 1);
        changed = true;
      } else if (SamePos(posAt(afterNext), posAt(i))) {
        // Out to `next` and straight back: both go, the third stays.
        if (next == 0) {
          face.RemoveVertsAt(i, 1);
          face.RemoveVertsAt(0, 1);
        } else {
          face.RemoveVertsAt(i, 2);
        }
        changed = true;
        if (i > 0) --i;
      } else {
        ++i;
      }
    }
    if (face.Count() < 3) face.flags |= kSimpleTemp;
  }
  if (changed) poly.flags &= ~kSimpleHasVertFaceLists;
  poly.CreateVertexFaceLists(false);
  for (int i = 0; i < poly.NumVerts(); ++i) {
    SimpleVert& v = poly.VertAt(i);
    if (v.Count() == 0) v.flags |= kSimpleTemp;
  }
  return changed;
}

void PrepareVertexFaceLists(SimplePoly& poly) {
  RemoveDegenerateFaceVerts(poly);
  poly.CreateVertexFaceLists(false);
}

void LinkCoincidentVerts(SimplePoly& poly) {
  std::vector<int32_t> order;
  for (int i = 0; i < poly.NumVerts(); ++i) {
    if (!poly.VertAt(i).IsTemp()) order.push_back(i);
  }
  const SimplePoly& model = poly;
  MergeSort(order, [&model](int32_t a, int32_t b) { return detail_ConvexHull::CompareHullVerts(model, a, b); });
  size_t runStart = 0;
  while (runStart < order.size()) {
    const double* first = poly.VertAt(order[runStart]).pos;
    size_t runEnd = runStart + 1;
    while (runEnd < order.size() && SamePos(first, poly.VertAt(order[runEnd]).pos)) ++runEnd;
    if (runEnd - runStart > 1) {
      for (size_t k = runStart; k < runEnd; ++k) {
        poly.VertAt(order[k]).coinc = order[k + 1 < runEnd ? k + 1 : runStart];
      }
    }
    runStart = runEnd;
  }
}

void BlendColor(float* out, const float* a, const float* b, float t) {
  for (int i = 0; i < 3; ++i) {
    if (t < 0) {
      out[i] = a[i];
    } else if (t > 1) {
      out[i] = b[i];
    } else {
      out[i] = a[i] + (b[i] - a[i]) * t;
    }
  }
}

std::unique_ptr<SimplePoly> CreateConvexHull(SimplePoly& source, unsigned options, std::string* refusal) {
  const int numVerts = source.NumVerts();
  if (numVerts < 4) {
    if (refusal) *refusal = "the vertices do not enclose a solid";
    return nullptr;
  }
  auto hull = std::make_unique<SimplePoly>(numVerts, 2 * numVerts - 4);
  hull->scale = source.scale;
  hull->flags |= kSimpleKeepLengthUnits | (source.flags & kSimpleInherited);
  for (int i = 0; i < numVerts; ++i) hull->VertAt(i).CopyFrom(source.VertAt(i), true);
  if (!ComputeConvexHull(*hull, 0, refusal)) return nullptr;
  PrepareVertexFaceLists(*hull);

  const bool keepColors = (options & kHullKeepColors) != 0;
  const bool markFaces = (options & kHullMarkSourceFaces) != 0;
  if (keepColors || markFaces) {
    source.CreateVertexFaceLists(false);
    ColorList used(2 * hull->NumFaces());
    int matches = 0;
    bool convex = true;
    for (int hi = 0; hi < hull->NumFaces() && convex; ++hi) {
      SimpleFace& hullFace = hull->FaceAt(hi);
      if (hullFace.IsTemp() || hullFace.Count() == 0) continue;
      // Hull vertex k is the copy of source vertex k.
      for (int32_t corner : hullFace.items) source.VertAt(corner).SetRingFlags(kSimpleDone);
      SimpleFace* match = nullptr;
      const int32_t startVert = hullFace.items[0];
      int32_t k = startVert;
      for (int steps = 0; steps <= numVerts && !match; ++steps) {
        const SimpleVert& v = source.VertAt(k);
        for (int32_t fi : v.items) {
          SimpleFace& candidate = source.FaceAt(fi);
          if (candidate.IsTemp() || candidate.Count() != hullFace.Count()) continue;
          bool all = true;
          for (int32_t cv : candidate.items) {
            if (!(source.VertAt(cv).flags & kSimpleDone)) {
              all = false;
              break;
            }
          }
          if (all) {
            match = &candidate;
            break;
          }
        }
        k = v.coinc;
        if (k < 0 || k >= numVerts || k == startVert) break;
      }
      if (match) {
        if (keepColors) {
          hullFace.color = match->color;
          hullFace.color2 = match->color2;
          float rgb[3];
          UnpackRainbowColor(match->color, rgb);
          used.FindOrAdd(rgb);
          UnpackRainbowColor(match->color2, rgb);
          used.FindOrAdd(rgb);
          hullFace.flags |= kSimpleDone;
        }
        if (markFaces) match->flags |= kSimpleMarked;
        ++matches;
      } else if (markFaces && !keepColors) {
        convex = false;  // the source is not convex: nothing more to learn
      }
      for (int32_t corner : hullFace.items) source.VertAt(corner).ClearRingFlags(kSimpleDone);
    }
    if (matches > 0 && convex) {
      if (keepColors) {
        const float grey[3] = {kHullNewFaceGrey, kHullNewFaceGrey, kHullNewFaceGrey};
        float wheel[3], blended[3];
        UnpackRainbowColor(NextUnusedRainbowColorRef(&used, true), wheel);
        BlendColor(blended, grey, wheel, kHullNewFaceBlend);
        const uint32_t packed = PackRainbowColor(blended);
        for (int hi = 0; hi < hull->NumFaces(); ++hi) {
          SimpleFace& f = hull->FaceAt(hi);
          if (!(f.flags & kSimpleDone)) f.color = f.color2 = packed;
        }
        hull->ClearFaceFlags(kSimpleDone);
        hull->flags |= kSimpleKeepColors;
      }
      if (markFaces) {
        source.flags |= kSimpleConvex;
        for (int fi = 0; fi < source.NumFaces(); ++fi) {
          if (!(source.FaceAt(fi).flags & (kSimpleMarked | kSimpleTemp))) {
            source.flags &= ~kSimpleConvex;
            break;
          }
        }
        if (source.flags & kSimpleConvex) {
          for (int i = 0; i < numVerts; ++i) source.VertAt(i).flags |= kSimpleMarked;
        }
      }
    }
  }
  hull->flags |= kSimpleConvex | kSimpleDensityOne | kSimplePlainSurface;
  hull->SetName("Convex hull");
  return hull;
}

}  // namespace corvia
