#include "symmetry/ConvexHull.h"

#include <malloc.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "core/MergeSort.h"
#include "core/Messages.h"
#include "core/PointGrid.h"
#include "core/Progress.h"
#include "core/RadixSorter.h"
#include "core/RainbowColor.h"
#include "core/Tolerances.h"
#include "core/VectorMath.h"
#include "platform/Services.h"
#include "symmetry/RotationAxes.h"
#include "symmetry/SimplePoly.h"

namespace corvia::detail_ConvexHull {

constexpr int32_t kHullNone = -1;
// Vertices with any of these take no part in the hull.
constexpr uint32_t kHullUnusableFlags = kSimpleDone | kSimpleMark2 | kSimpleTemp | kSimpleInfinite;
// Of these, what a vertex of a model that the hull is copied from keeps (CopyFrom
// carries no kSimpleMark2).
constexpr uint32_t kHullSourceUnusableFlags = kHullUnusableFlags & kSimpleCopiedFlags;
// Positions are snapped to a grid of this many steps across the widest extent of
// the points, fine enough that no snap moves a point by a noticeable part of the
// tolerance, and coarse enough that orientation sums fit 128 bits exactly.
constexpr double kGridSteps = 1099511627776.0;  // 2^40
// How many steps of that grid a point may lie from the hull and still be left out,
// where the first tetrahedron's heights are at least kRoundSolid of the extent.
constexpr double kSkipSteps = 16.0;
constexpr double kRoundSolid = 0.01;

constexpr size_t kHullRefusalSize = 64;
// A hull of this many faces written into a model hands the memory its builder used
// back to the system first.
constexpr size_t kHullTrimFaces = 65536;
// Up to this many points the hull adds them in the order of their vertices.
constexpr size_t kHullPointsInVertexOrder = 16384;
// Past that, the hull of at most this many of the points added first tells which
// of the others lie so deep inside that they never need a record (see
// SnapAndOrder), when it holds at least kHullFewestFirst of them.
constexpr size_t kHullMostFirst = 4096;
constexpr size_t kHullFewestFirst = 256;
// How much deeper than the tolerance, relative to the extent, a point must lie for
// that; and how thin a triangle of that hull may be before its plane is not
// trusted for it (twice its area over its longest side squared).
constexpr double kHullDeepMargin = 1e-6;
constexpr double kHullThinnest = 1e-4;

__extension__ using Int128 = __int128;

enum class HullOutcome {
  Built,
  Flat,       // fewer than 4 points, or all within the tolerance of one plane or line
  NotFinite,  // a usable vertex has no finite position
  // The exact hull holds, but its triangles do not join into faces of at least three
  // corners: the points lie so nearly on one line (or in one plane) that within the
  // tolerance they enclose no solid.
  Unreliable,
  Cancelled,  // the user cancelled the work the hull is part of
};

// x rounded to the nearest whole number, halves up: as std::llround for x from 0
// up to 2^52, without a call.
inline int64_t RoundHalfUp(double x) {
  int64_t whole = static_cast<int64_t>(x);
  if (x - static_cast<double>(whole) >= 0.5) ++whole;
  return whole;
}

struct HullPlane {
  double n[3];  // unit outward normal
  double d;     // n . p + d is the signed distance of p, negative inside
};

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

// What the hull is built from: the vertices of a model, read where they lie, or plain
// coordinates (x, y, z of each point in turn) of which every point takes part.
struct HullInput {
  // The model's vertices without kHullUnusableFlags; those left out get Temp.
  explicit HullInput(SimplePoly& model) : HullInput(static_cast<const SimplePoly&>(model), kHullUnusableFlags) {
    marked = &model;
  }
  // The model's vertices without any of `unusableFlags`; the model is only read.
  HullInput(const SimplePoly& model, uint32_t unusableFlags)
      : poly(&model),
        unusable(unusableFlags),
        count(model.NumVerts()),
        first(count > 0 ? reinterpret_cast<const char*>(model.VertAt(0).pos) : nullptr),
        stride(sizeof(SimpleVert)) {}
  HullInput(const double* xyz, int32_t numPoints)
      : count(numPoints), first(reinterpret_cast<const char*>(xyz)), stride(3 * sizeof(double)) {}
  const SimplePoly* poly = nullptr;  // the model, when the points are its vertices
  SimplePoly* marked = nullptr;      // the model, when what is left out is marked on it
  uint32_t unusable = 0;
  int32_t count = 0;
  // The position of point i lies i strides past the first, in either case.
  const char* first = nullptr;
  size_t stride = 0;
  const double* operator()(int32_t i) const {
    return reinterpret_cast<const double*>(first + static_cast<size_t>(i) * stride);
  }
};

// The hull is built as triangles with half-edge twins over the points snapped to an
// integer grid, where "does the point see this triangle" is decided exactly: the
// structure can never fold or lose a point, however nearly flat the points lie.
// Every point still to be added waits in the conflict list of one triangle it
// sees; a point in no list lies inside or on the hull. This keeps the work per
// point near the size of the region it rebuilds instead of testing every face. A
// point within a few grid steps of the hull is not added (it stays within the
// tolerance of every hull that grows from this one). Only at the end are triangles
// that lie within the tolerance of one plane joined into the polygon faces of the
// result.
class HullBuilder {
 public:
  // Triangles are joined into one face, and corners on a straight line dropped,
  // within faceTolerance.
  HullBuilder(const HullInput& input, double faceTolerance) : mInput(input), mFaceTolerance(faceTolerance) {}

  HullOutcome Build();
  // The vertex whose position is not finite (NotFinite).
  int BadVertex() const { return mBadVertex; }
  // Polygons (point numbers, counter-clockwise seen from outside) and their planes.
  // False when the triangles do not join into polygons of three corners or more.
  bool ExtractFaces();
  // Into plain lists, handing over the builder's own; the points are numbered as
  // the input gives them (a model's vertex numbers).
  void WriteFaces(PointHull& hull);

 private:
  const double* Pos(int32_t point) const {
    return mKeptPos.empty() ? mInput(VertOf(point)) : &mKeptPos[static_cast<size_t>(point) * 3];
  }
  int32_t VertOf(int32_t point) const { return mPoints[static_cast<size_t>(point)].vert; }
  // The vertex of the point at `rank` in the order of the vertices used.
  int32_t VertOfRank(int32_t rank) const {
    return mVertOfRank.empty() ? rank : mVertOfRank[static_cast<size_t>(rank)];
  }
  const double* PosOfRank(int32_t rank) const { return mInput(VertOfRank(rank)); }
  // The snapped position, worked out from the position each time it is asked for
  // rather than kept: whole numbers below 2^41, held exactly in doubles.
  [[gnu::always_inline]] void Snap(const double* p, double* grid) const {
    for (int k = 0; k < 3; ++k) grid[k] = static_cast<double>(RoundHalfUp((p[k] - mLow[k]) * mSteps));
  }
  [[gnu::always_inline]] void Grid(int32_t point, double* grid) const { Snap(Pos(point), grid); }
  static int32_t TriOf(int32_t h) { return h / 3; }
  static int32_t NextEdge(int32_t h) { return (h % 3 == 2) ? h - 2 : h + 1; }
  int32_t Start(int32_t h) const { return mTriVerts[static_cast<size_t>(h)]; }
  int32_t End(int32_t h) const { return mTriVerts[static_cast<size_t>(NextEdge(h))]; }
  int32_t Twin(int32_t h) const { return mTwin[static_cast<size_t>(h)]; }
  int32_t Corner(int32_t t, int k) const { return mTriVerts[static_cast<size_t>(t) * 3 + static_cast<size_t>(k)]; }
  void Link(int32_t h1, int32_t h2) {
    mTwin[static_cast<size_t>(h1)] = h2;
    mTwin[static_cast<size_t>(h2)] = h1;
  }
  // OrientGrid of the points a, b, c and the snapped position gq.
  int Orient(int32_t a, int32_t b, int32_t c, const double* gq) const;
  // Orient(corners of t, q) > 0 for the point q at the snapped position gq, from the
  // cross products kept with t.
  bool Sees(const double* gq, int32_t t) const;
  // A triangle in the first free slot; its number, given in the order triangles
  // are made, is what orders the faces in the end.
  int32_t NewTri(int32_t a, int32_t b, int32_t c);
  void FreeTri(int32_t t);
  // Renumbers the living triangles 0, 1, ... in the order they were made and lets
  // go of what only the building needed.
  void PackTriangles();
  // Keeps only the points that are corners of triangles, renumbered in their order,
  // with their positions: the faces are found from positions that lie near each
  // other in memory, in the order of the curve, not scattered through the input.
  void KeepCorners();
  void AddConflict(int32_t point, int32_t tri);
  bool AddPoint(int32_t p);
  // The points used: the first of each set of coincident vertices, finite; their
  // vertices go to mVertOfRank (left empty when they are all of them).
  HullOutcome GatherPoints();
  // Sets the grid the points snap to and numbers them along a space-filling curve,
  // so that points near each other, which wait on the same triangles and meet in
  // the same triangles, lie near each other in memory. The first tetrahedron's
  // corners (given by rank, then turned into points) and, up to
  // kHullPointsInVertexOrder points, the order the points are added in (through
  // mPointOfRank) keep going by their order as vertices.
  void SnapAndOrder(int32_t* corners);
  // A ball, centre and squared radius, that holds only points lying inside the
  // hull of the positions xyz (x, y, z of each in turn) by more than the tolerance
  // and a margin; a negative squared radius where there is none.
  double DeepInside(const std::vector<double>& xyz, double* centre) const;
  // The corners of the first tetrahedron, as ranks, and the smaller of its heights
  // (the third corner over the line of the first two, the fourth over their plane);
  // false when the points lie within the tolerance of a line or a plane.
  bool ChooseTetrahedron(int32_t* corners, double* height) const;
  // The outward unit normal of triangle t and the plane through it.
  HullPlane TrianglePlane(int32_t t) const;
  // Joins the triangles into faces (mTriGroup, mPlanes). With `keepCorners` no face
  // takes in every triangle round a point that lies further outside the hull of the
  // points round it than CornerTolerance.
  void GroupCoplanarTriangles(bool keepCorners);
  // The faces as runs of corners round each group (mCorners, mFaceStart,
  // mFaceGroup); false when a face has fewer than three. `holed` is set when a group
  // has more than one run round it.
  bool WalkFaces(bool* holed);
  // The edge before h in its triangle.
  static int32_t PrevEdge(int32_t h) { return (h % 3 == 0) ? h + 2 : h - 1; }
  // Whether adding triangle t to group g would leave one of its corners with every
  // triangle round it in g while that corner lies further outside the hull of its
  // neighbours than CornerTolerance.
  bool BuriesCorner(int32_t t, int32_t g) const;
  // How far the start of half-edge h lies outside the hull of the points joined to
  // it (the end of every edge from it); 0 where they are too many to look at.
  // `reach` receives the distance to the furthest of them.
  double HeightOverNeighbours(int32_t h, double* reach) const;
  // How far a point must lie off a face or an edge to stay a corner, where what
  // bends there spans `reach` (see mCornerTolerance).
  double CornerTolerance(double reach) const {
    return std::max(mCornerTolerance, mFaceTolerance * std::min(1.0, reach / (mExtent / 2)));
  }

  // A point left out: Temp on a marked model, or in mLeftOut.
  void LeaveOut(int32_t i);
  bool IsLeftOut(int32_t i) const;

  HullInput mInput;
  std::vector<uint8_t> mLeftOut;  // per point, when any is left out and no model is marked
  double mFaceTolerance;
  int mBadVertex = kHullNone;
  int32_t mNumRanks = 0;               // the points used
  std::vector<int32_t> mVertOfRank;    // their vertices, in order; empty when they are all
  std::vector<int32_t> mPointOfRank;   // the points in the order of their vertices
  // What is kept of a point while the hull is built: its snapped position to
  // float precision, its vertex, the triangle it waits on (kHullNone, kHullSkipped
  // or kHullCorner when none) and the next point waiting on the same triangle. The
  // near position settles most of its tests; its snapped position is worked out
  // from its position for the rest.
  struct HullPoint {
    float near[3] = {0, 0, 0};  // the snapped position to the nearest float
    int32_t vert = kHullNone;
    int32_t tri = kHullNone;
    int32_t next = kHullNone;
  };
  std::vector<HullPoint> mPoints;
  // Once the hull is built (KeepCorners): the positions of the triangles' corners,
  // three per point, the only points kept.
  std::vector<double> mKeptPos;
  // The grid: a position p snaps to round((p - mLow) mSteps).
  double mLow[3] = {0, 0, 0};
  double mSteps = 1.0;
  // A point that near the hull when its turn came: it stays in its
  // triangle's list, but no other triangle takes it.
  static constexpr int32_t kHullSkipped = -2;
  // A corner of the first tetrahedron.
  static constexpr int32_t kHullCorner = -3;
  // A point nearer the hull than this when its turn comes is not added (see Build).
  double mSquaredSkipTolerance = kSquaredPointTolerance;
  // Whether a point lies on a face or an edge is judged, for a round solid taken at
  // the model's own tolerance, at the scale of the model: the faces round a point
  // bend by its height h over them across the distance r to its furthest neighbour,
  // and carried across the model's radius that bend must lift a face by no more
  // than the tolerance, h <= tolerance r / radius (CornerTolerance), and never by
  // more than the few grid steps of mSquaredSkipTolerance within which a point was
  // not added either. A point a tolerance's worth off a face of a solid is on it;
  // every point of a dense sphere, whose faces bend at each point far more than
  // that, is a corner. Faces still join triangles within the face tolerance, but no
  // face swallows such a point, and it is no point on a straight line. Otherwise
  // the face tolerance decides.
  double mCornerTolerance = kPointTolerance;
  bool mKeepCorners = false;
  double mExtent = 0;  // the widest extent of the points
  // Past kHullPointsInVertexOrder points, they are added in the order of their
  // records: random rounds of growing size, each in the order of the curve. That
  // order does not depend on how the vertices are numbered, and being random it
  // keeps the points that wait on one triangle few (the order of a file, ring by
  // ring round a sphere, lets them pile up); the curve within a round keeps each
  // point's work near the last one's. Fewer points go in the order of their
  // vertices, as they always have: the faces come out in the order the triangles
  // were made, and the symmetry search takes its first axes and mirror from that
  // order, so the orientation and numbering of every model of that size stay as
  // they were.
  bool mAddInRecordOrder = false;
  std::vector<uint8_t> mIsCorner;  // once the faces are found

  // Triangles live in slots that are used again once a triangle is removed.
  std::vector<int32_t> mTriVerts;  // three per slot
  std::vector<int32_t> mTwin;      // three per slot: half-edge ids
  std::vector<uint8_t> mTriAlive;
  std::vector<uint32_t> mTriStamp;
  std::vector<int32_t> mConflictHead;  // per slot
  std::vector<uint32_t> mTriSerial;  // per slot: when its triangle was made
  uint32_t mNumMade = 0;             // triangles made so far
  std::vector<int32_t> mFreeSlots;
  // Per slot: the differences of the cross products of the edges from corner 0 and
  // the sums of their magnitudes, the parts of Orient that do not depend on q.
  struct SideTerms {
    double n[3];
    double magnitude[3];
    double a[3];  // the snapped position of corner 0
  };
  std::vector<SideTerms> mSideTerms;
  uint32_t mStamp = 0;
  // Working lists of AddPoint, kept to save their allocations.
  std::vector<int32_t> mVisible;
  std::vector<int32_t> mHorizon;
  std::vector<int32_t> mCone;
  // The side terms of the cone's triangles taken from the new point, their common
  // corner: the points waiting on removed triangles are tested against them in turn.
  std::vector<SideTerms> mConeTerms;

  std::vector<int32_t> mTriGroup;  // per triangle, once grouped
  std::vector<HullPlane> mPlanes;  // per group
  // Faces as runs of point numbers in one array: face j holds
  // mCorners[mFaceStart[j]] up to mCorners[mFaceStart[j + 1]].
  std::vector<int32_t> mCorners;
  std::vector<size_t> mFaceStart{0};
  std::vector<int32_t> mFaceGroup;
};

// The exact (b - a) x (c - a) of snapped positions.
void GridNormal(const double* pa, const double* pb, const double* pc, Int128* out) {
  Int128 u[3], v[3];
  for (int k = 0; k < 3; ++k) {
    u[k] = static_cast<Int128>(static_cast<int64_t>(pb[k]) - static_cast<int64_t>(pa[k]));
    v[k] = static_cast<Int128>(static_cast<int64_t>(pc[k]) - static_cast<int64_t>(pa[k]));
  }
  out[0] = u[1] * v[2] - u[2] * v[1];
  out[1] = u[2] * v[0] - u[0] * v[2];
  out[2] = u[0] * v[1] - u[1] * v[0];
}

// The cross products of the edges b - a and c - a, as Orient needs them.
void SideTermsOf(const double* pa, const double* pb, const double* pc, double* n, double* magnitude) {
  double u[3], v[3];
  for (int k = 0; k < 3; ++k) {
    u[k] = pb[k] - pa[k];
    v[k] = pc[k] - pa[k];
  }
  const double m0 = u[1] * v[2], m1 = u[2] * v[1];
  const double m2 = u[2] * v[0], m3 = u[0] * v[2];
  const double m4 = u[0] * v[1], m5 = u[1] * v[0];
  n[0] = m0 - m1;
  n[1] = m2 - m3;
  n[2] = m4 - m5;
  magnitude[0] = std::fabs(m0) + std::fabs(m1);
  magnitude[1] = std::fabs(m2) + std::fabs(m3);
  magnitude[2] = std::fabs(m4) + std::fabs(m5);
}

// The sign of (q - a) . n in doubles when it lies clear of its rounding bound
// (7 + 56 eps) eps times the sum of the products' magnitudes; 0 when it does not
// and only the exact sum can tell.
constexpr double kHalfEps = std::numeric_limits<double>::epsilon() / 2;
constexpr double kSideBound = (7.0 + 56.0 * kHalfEps) * kHalfEps;

// A snapped coordinate (below 2^41) rounded to a float is off by at most half its
// last place, 2^16. A side test from such a near position takes on besides that
// much times the sum of the normal's components, each of which may be off by twice
// the rounding of its magnitude; and all of it a little more for the rounding of
// the sum itself.
constexpr double kNearSlack = 65536.0;
constexpr double kNearSlackOfMagnitude = 2.0 * std::numeric_limits<double>::epsilon();
constexpr double kNearSlackRounding = 1.0 + 1.0 / 1099511627776.0;

// How far a side test from a near position may be off, given the bound of its own
// rounding.
inline double NearSlack(double bound, const double* n, const double* magnitude) {
  return (bound + kNearSlack * (std::fabs(n[0]) + std::fabs(n[1]) + std::fabs(n[2]) +
                                kNearSlackOfMagnitude * (magnitude[0] + magnitude[1] + magnitude[2]))) *
         kNearSlackRounding;
}

int FilteredSign(const double* pa, const double* pq, const double* n, const double* magnitude) {
  const double w[3] = {pq[0] - pa[0], pq[1] - pa[1], pq[2] - pa[2]};
  const double det = w[0] * n[0] + w[1] * n[1] + w[2] * n[2];
  const double bound = std::fabs(w[0]) * magnitude[0] + std::fabs(w[1]) * magnitude[1] + std::fabs(w[2]) * magnitude[2];
  if (det > kSideBound * bound) return 1;
  if (-det > kSideBound * bound) return -1;
  return 0;
}

// Sign of (q - a) . ((b - a) x (c - a)) for snapped positions: positive when q
// lies on the side the triangle a, b, c faces (counter-clockwise seen from there),
// exactly.
int OrientGrid(const double* pa, const double* pb, const double* pc, const double* pq) {
  // Grid differences are exact in doubles; the sum of products is decided in
  // doubles where the rounding cannot turn it, and in 128-bit integers otherwise.
  double n[3], magnitude[3];
  SideTermsOf(pa, pb, pc, n, magnitude);
  const int sign = FilteredSign(pa, pq, n, magnitude);
  if (sign != 0) return sign;
  Int128 exact[3];
  GridNormal(pa, pb, pc, exact);
  Int128 sum = 0;
  for (int k = 0; k < 3; ++k) {
    sum += exact[k] * static_cast<Int128>(static_cast<int64_t>(pq[k]) - static_cast<int64_t>(pa[k]));
  }
  return sum > 0 ? 1 : (sum < 0 ? -1 : 0);
}

int HullBuilder::Orient(int32_t a, int32_t b, int32_t c, const double* gq) const {
  double ga[3], gb[3], gc[3];
  Grid(a, ga);
  Grid(b, gb);
  Grid(c, gc);
  return OrientGrid(ga, gb, gc, gq);
}

bool HullBuilder::Sees(const double* gq, int32_t t) const {
  const SideTerms& terms = mSideTerms[static_cast<size_t>(t)];
  const int sign = FilteredSign(terms.a, gq, terms.n, terms.magnitude);
  if (sign != 0) return sign > 0;
  return Orient(Corner(t, 0), Corner(t, 1), Corner(t, 2), gq) > 0;
}

HullPlane HullBuilder::TrianglePlane(int32_t t) const {
  // From the positions themselves, not their snapped images: the planes of a model
  // whose coordinates are exact stay exact (its symmetry axes are taken from them).
  HullPlane plane;
  TriangleNormal(plane.n, Pos(Corner(t, 0)), Pos(Corner(t, 1)), Pos(Corner(t, 2)));
  const double length = std::sqrt(Dot(plane.n, plane.n));
  if (length > 0) Scale(plane.n, plane.n, 1.0 / length);
  plane.d = -Dot(plane.n, Pos(Corner(t, 0)));
  return plane;
}

int32_t HullBuilder::NewTri(int32_t a, int32_t b, int32_t c) {
  int32_t t;
  if (mFreeSlots.empty()) {
    t = static_cast<int32_t>(mTriAlive.size());
    mTriVerts.insert(mTriVerts.end(), {a, b, c});
    mTwin.insert(mTwin.end(), {kHullNone, kHullNone, kHullNone});
    mTriAlive.push_back(1);
    mTriStamp.push_back(0);
    mConflictHead.push_back(kHullNone);
    mTriSerial.push_back(0);
    mSideTerms.emplace_back();
  } else {
    t = mFreeSlots.back();
    mFreeSlots.pop_back();
    const size_t first = static_cast<size_t>(t) * 3;
    mTriVerts[first] = a;
    mTriVerts[first + 1] = b;
    mTriVerts[first + 2] = c;
    std::fill_n(mTwin.begin() + static_cast<std::ptrdiff_t>(first), 3, kHullNone);
    mTriAlive[static_cast<size_t>(t)] = 1;
    mTriStamp[static_cast<size_t>(t)] = 0;
    mConflictHead[static_cast<size_t>(t)] = kHullNone;
  }
  mTriSerial[static_cast<size_t>(t)] = mNumMade++;
  SideTerms& terms = mSideTerms[static_cast<size_t>(t)];
  double gb[3], gc[3];
  Grid(a, terms.a);
  Grid(b, gb);
  Grid(c, gc);
  SideTermsOf(terms.a, gb, gc, terms.n, terms.magnitude);
  return t;
}

void HullBuilder::FreeTri(int32_t t) {
  mTriAlive[static_cast<size_t>(t)] = 0;
  mFreeSlots.push_back(t);
}

void HullBuilder::PackTriangles() {
  // The living triangles in the order they were made, sorted by the serial kept in
  // their slots (rather than a list of every triangle ever made).
  const size_t numSlots = mTriAlive.size();
  std::vector<int32_t> newIndex(numSlots, kHullNone);
  std::vector<int32_t> order;
  {
    std::vector<KeyedEntry> bySerial;
    bySerial.reserve(numSlots - mFreeSlots.size());
    for (size_t t = 0; t < numSlots; ++t) {
      if (mTriAlive[t]) bySerial.push_back(KeyedEntry{mTriSerial[t], static_cast<int32_t>(t)});
    }
    SortByKey(bySerial);
    order.reserve(bySerial.size());
    for (const KeyedEntry& entry : bySerial) {
      newIndex[static_cast<size_t>(entry.value)] = static_cast<int32_t>(order.size());
      order.push_back(entry.value);
    }
  }
  std::vector<int32_t> verts(order.size() * 3), twin(order.size() * 3);
  for (size_t i = 0; i < order.size(); ++i) {
    const size_t from = static_cast<size_t>(order[i]) * 3;
    for (size_t k = 0; k < 3; ++k) {
      verts[i * 3 + k] = mTriVerts[from + k];
      const int32_t h = mTwin[from + k];
      twin[i * 3 + k] = newIndex[static_cast<size_t>(TriOf(h))] * 3 + h % 3;
    }
  }
  mTriVerts = std::move(verts);
  mTwin = std::move(twin);
  mTriAlive.assign(order.size(), 1);
  for (auto* list : {&mTriStamp, &mTriSerial}) std::vector<uint32_t>().swap(*list);
  for (auto* list : {&mConflictHead, &mPointOfRank, &mFreeSlots}) {
    std::vector<int32_t>().swap(*list);
  }
  std::vector<SideTerms>().swap(mSideTerms);
  std::vector<SideTerms>().swap(mConeTerms);
}

void HullBuilder::KeepCorners() {
  // Which points are kept, and as what, in the place of the triangle they waited on.
  for (HullPoint& point : mPoints) point.tri = kHullNone;
  for (int32_t point : mTriVerts) mPoints[static_cast<size_t>(point)].tri = 0;
  size_t numKept = 0;
  for (HullPoint& point : mPoints) {
    if (point.tri != kHullNone) point.tri = static_cast<int32_t>(numKept++);
  }
  for (int32_t& point : mTriVerts) point = mPoints[static_cast<size_t>(point)].tri;
  std::vector<HullPoint> kept(numKept);
  mKeptPos.resize(numKept * 3);
  for (const HullPoint& point : mPoints) {
    if (point.tri == kHullNone) continue;
    const size_t k = static_cast<size_t>(point.tri);
    kept[k].vert = point.vert;
    CopyVector(&mKeptPos[k * 3], mInput(point.vert));
  }
  mPoints = std::move(kept);
}

void HullBuilder::AddConflict(int32_t point, int32_t tri) {
  mPoints[static_cast<size_t>(point)].tri = tri;
  mPoints[static_cast<size_t>(point)].next = mConflictHead[static_cast<size_t>(tri)];
  mConflictHead[static_cast<size_t>(tri)] = point;
}

void HullBuilder::LeaveOut(int32_t i) {
  if (mInput.marked) {
    mInput.marked->VertAt(i).flags |= kSimpleTemp;
    return;
  }
  if (mLeftOut.empty()) mLeftOut.assign(static_cast<size_t>(mInput.count), 0);
  mLeftOut[static_cast<size_t>(i)] = 1;
}

bool HullBuilder::IsLeftOut(int32_t i) const {
  if (mInput.marked) return mInput.marked->VertAt(i).IsTemp();
  return !mLeftOut.empty() && mLeftOut[static_cast<size_t>(i)];
}

HullOutcome HullBuilder::GatherPoints() {
  std::vector<int32_t> vertOf;
  double extent = 0;
  vertOf.reserve(static_cast<size_t>(mInput.count));
  for (int32_t i = 0; i < mInput.count; ++i) {
    if (mInput.poly && (mInput.poly->VertAt(i).flags & mInput.unusable)) {
      if (mInput.marked) mInput.marked->VertAt(i).flags |= kSimpleTemp;
      continue;
    }
    const double* pos = mInput(i);
    if (!std::isfinite(pos[0]) || !std::isfinite(pos[1]) || !std::isfinite(pos[2])) {
      mBadVertex = i;
      return HullOutcome::NotFinite;
    }
    vertOf.push_back(i);
    for (int k = 0; k < 3; ++k) extent = std::max(extent, std::fabs(pos[k]));
  }
  // Of vertices that coincide only the first takes part; the others are on the hull
  // through it and end as non-corners. A vertex is dropped when a vertex before it
  // that was kept lies within the tolerance. Most vertices have no other near them
  // at all and are kept at once; only the rest are searched for, in their order.
  const double cellSize = VertexLocator::CellSizeFor(extent);
  const HullInput& position = mInput;
  std::vector<int32_t> crowded;
  {
    if (!ProgressTick()) return HullOutcome::Cancelled;
    const std::vector<uint8_t> lone = FindLonePoints(vertOf, cellSize, kPointTolerance, position);
    if (!ProgressTick()) return HullOutcome::Cancelled;
    for (size_t k = 0; k < vertOf.size(); ++k) {
      if (!lone[k]) crowded.push_back(vertOf[k]);
    }
  }
  if (!crowded.empty()) {
    // A vertex at the very place of one before it is never kept (that one, or the
    // kept vertex that took its place, lies within the tolerance): it goes at once,
    // so that many copies of one place cost a sort, not a search through them all.
    const std::vector<uint8_t> repeated = FindRepeatedPoints(crowded, position);
    size_t distinct = 0;
    for (size_t k = 0; k < crowded.size(); ++k) {
      if (repeated[k]) {
        LeaveOut(crowded[k]);
      } else {
        crowded[distinct++] = crowded[k];
      }
    }
    crowded.resize(distinct);
    PointGrid<HullInput> grid(cellSize, position);
    grid.Reserve(crowded.size());
    for (int32_t i : crowded) grid.Add(i);
    grid.Finish();
    for (int32_t i : crowded) {
      int32_t first = i;
      grid.ForEachWithin(mInput(i), kPointTolerance, [&](int32_t j) {
        if (j < first && !IsLeftOut(j)) first = j;
      });
      if (first != i) LeaveOut(i);
    }
    std::erase_if(vertOf, [this](int32_t i) { return IsLeftOut(i); });
    std::vector<uint8_t>().swap(mLeftOut);
  }
  mNumRanks = static_cast<int32_t>(vertOf.size());
  if (mNumRanks < 4) return HullOutcome::Flat;
  // Vertices taken in order, as many as there are, are all of them.
  if (mNumRanks < mInput.count) mVertOfRank = std::move(vertOf);
  return HullOutcome::Built;
}

// The bits of x stirred so that each bit of the result hangs on all of them.
uint64_t MixBits(uint64_t x) {
  x += 0x9e3779b97f4a7c15ull;
  x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ull;
  x = (x ^ (x >> 27)) * 0x94d049bb133111ebull;
  return x ^ (x >> 31);
}

// The curve's cells take the top 11 bits of each grid coordinate (below 2^41).
constexpr int kCurveShift = 30;

// The bits of x (below 2^21) spread out to every third bit.
uint64_t SpreadBits(uint64_t x) {
  x &= 0x1fffff;
  x = (x | x << 32) & 0x1f00000000ffffull;
  x = (x | x << 16) & 0x1f0000ff0000ffull;
  x = (x | x << 8) & 0x100f00f00f00f00full;
  x = (x | x << 4) & 0x10c30c30c30c30c3ull;
  x = (x | x << 2) & 0x1249249249249249ull;
  return x;
}

void HullBuilder::SnapAndOrder(int32_t* corners) {
  const int32_t numPoints = mNumRanks;
  double high[3];
  CopyVector(mLow, PosOfRank(0));
  CopyVector(high, PosOfRank(0));
  for (int32_t rank = 1; rank < numPoints; ++rank) {
    const double* p = PosOfRank(rank);
    for (int k = 0; k < 3; ++k) {
      mLow[k] = std::min(mLow[k], p[k]);
      high[k] = std::max(high[k], p[k]);
    }
  }
  const double extent = std::max({high[0] - mLow[0], high[1] - mLow[1], high[2] - mLow[2]});
  mSteps = extent > 0 ? kGridSteps / extent : 1.0;
  mExtent = extent;

  // Morton order of the top 11 bits of each grid coordinate (below 2^41): cells
  // fine enough for a million points. Any order serves, so the coordinates need not
  // be rounded here.
  //
  // Points added in this order go in rounds first (see mAddInRecordOrder): a point
  // takes round r with chance 2^-(r + 1), drawn from a hash of its snapped place,
  // and the rarest rounds go first, so that each round is about as large as all
  // those before it. Within a round the cell of the curve comes first, then more
  // bits of the hash, so that points of one cell do not follow their vertices.
  mAddInRecordOrder = static_cast<size_t>(numPoints) > kHullPointsInVertexOrder;
  static constexpr uint64_t kRounds = 24;
  auto hashOf = [this](const double* p) {
    uint64_t hash = 0;
    for (int k = 0; k < 3; ++k) {
      hash = MixBits(hash ^ static_cast<uint64_t>(RoundHalfUp(std::max(0.0, (p[k] - mLow[k]) * mSteps))));
    }
    return hash;
  };
  auto roundOf = [](uint64_t hash) {
    return std::min<uint64_t>(static_cast<uint64_t>(std::countr_zero(hash)), kRounds);
  };
  auto keyOf = [&](int32_t rank) {
    const double* p = PosOfRank(rank);
    uint64_t key = 0;
    for (int k = 0; k < 3; ++k) {
      const double along = std::max(0.0, (p[k] - mLow[k]) * mSteps);
      key |= SpreadBits(static_cast<uint64_t>(along) >> kCurveShift) << k;
    }
    if (mAddInRecordOrder) {
      const uint64_t hash = hashOf(p);
      key = (kRounds - roundOf(hash)) << 59 | key << 26 | hash >> 38;
    }
    return key;
  };

  // Points that lie deep inside the hull of the points added first are never
  // added: by their turn the hull holds them. They get no record. The rarest
  // rounds, as many whole ones as kHullMostFirst points allow, are added before
  // any other point, and their hull is found here. Each of them that the hull
  // leaves out lies within the tolerance of the hull of those added before it, so
  // a point of a later round deeper than the tolerance (and the grid's steps)
  // inside their hull lies inside the hull that grows from them by its turn (the
  // points of those rounds themselves may be added before it holds them). The
  // ball of the points that deep is enough for most of the points of a solid.
  double deepCentre[3] = {0, 0, 0};
  double deepSquared = -1;
  std::vector<bool> addedFirst;  // per rank: of the rounds added first
  if (mAddInRecordOrder) {
    size_t perRound[kRounds + 1] = {};
    for (int32_t rank = 0; rank < numPoints; ++rank) ++perRound[roundOf(hashOf(PosOfRank(rank)))];
    size_t numFirst = 0;
    uint64_t firstRound = kRounds + 1;
    while (firstRound > 0 && numFirst + perRound[firstRound - 1] <= kHullMostFirst) {
      numFirst += perRound[--firstRound];
    }
    if (numFirst >= kHullFewestFirst) {
      addedFirst.assign(static_cast<size_t>(numPoints), false);
      std::vector<double> first;
      first.reserve(numFirst * 3);
      for (int32_t rank = 0; rank < numPoints; ++rank) {
        const double* p = PosOfRank(rank);
        if (roundOf(hashOf(p)) < firstRound) continue;
        addedFirst[static_cast<size_t>(rank)] = true;
        first.insert(first.end(), p, p + 3);
      }
      deepSquared = DeepInside(first, deepCentre);
    }
  }
  auto hasRecord = [&](int32_t rank) {
    if (deepSquared < 0 || addedFirst[static_cast<size_t>(rank)] || rank == corners[0] || rank == corners[1] ||
        rank == corners[2] || rank == corners[3]) {
      return true;
    }
    double d[3];
    Subtract(d, PosOfRank(rank), deepCentre);
    return Dot(d, d) >= deepSquared;
  };
  int32_t numRecords = numPoints;
  if (deepSquared >= 0) {
    numRecords = 0;
    for (int32_t rank = 0; rank < numPoints; ++rank) numRecords += hasRecord(rank) ? 1 : 0;
  }

  // The points are numbered in the order of their keys, ties in the order of their
  // ranks, with nothing held beside their records: each record is made in the order
  // of the ranks, with its key in the place of its triangle and its link, then
  // sorted in place.
  auto keyIn = [](const HullPoint& record) {
    return uint64_t{static_cast<uint32_t>(record.tri)} << 32 | static_cast<uint32_t>(record.next);
  };
  mPoints.resize(static_cast<size_t>(numRecords));
  size_t made = 0;
  for (int32_t rank = 0; rank < numPoints; ++rank) {
    if (numRecords < numPoints && !hasRecord(rank)) continue;
    HullPoint& record = mPoints[made++];
    const uint64_t key = keyOf(rank);
    record.vert = rank;
    record.tri = static_cast<int32_t>(static_cast<uint32_t>(key >> 32));
    record.next = static_cast<int32_t>(static_cast<uint32_t>(key));
    double grid[3];
    Snap(PosOfRank(rank), grid);
    for (int k = 0; k < 3; ++k) record.near[k] = static_cast<float>(grid[k]);
  }
  std::vector<bool>().swap(addedFirst);
  SortInPlaceByTopBits(mPoints, keyIn, [&keyIn](const HullPoint& x, const HullPoint& y) {
    const uint64_t kx = keyIn(x), ky = keyIn(y);
    return kx < ky || (kx == ky && x.vert < y.vert);
  });

  // Ranks into points, then into vertices.
  int32_t cornerPoints[4] = {kHullNone, kHullNone, kHullNone, kHullNone};
  if (!mAddInRecordOrder) mPointOfRank.resize(static_cast<size_t>(numPoints));
  for (int32_t q = 0; q < numRecords; ++q) {
    const int32_t rank = mPoints[static_cast<size_t>(q)].vert;
    for (int k = 0; k < 4; ++k) {
      if (corners[k] == rank) cornerPoints[k] = q;
    }
    if (!mAddInRecordOrder) mPointOfRank[static_cast<size_t>(rank)] = q;
    HullPoint& record = mPoints[static_cast<size_t>(q)];
    record.vert = VertOfRank(rank);
    record.tri = kHullNone;
    record.next = kHullNone;
  }
  std::copy_n(cornerPoints, 4, corners);
  std::vector<int32_t>().swap(mVertOfRank);
}

double HullBuilder::DeepInside(const std::vector<double>& xyz, double* centre) const {
  const int32_t count = static_cast<int32_t>(xyz.size() / 3);
  HullBuilder first(HullInput(xyz.data(), count), mFaceTolerance);
  if (first.Build() != HullOutcome::Built) return -1;
  for (int k = 0; k < 3; ++k) centre[k] = 0;
  for (int32_t i = 0; i < count; ++i) {
    for (int k = 0; k < 3; ++k) centre[k] += xyz[static_cast<size_t>(i) * 3 + static_cast<size_t>(k)];
  }
  for (int k = 0; k < 3; ++k) centre[k] /= count;
  // The least distance from the centre to the plane of a triangle, each seen from
  // its positions; a thin triangle's plane is not trusted.
  double radius = std::numeric_limits<double>::infinity();
  for (size_t t = 0; t + 2 < first.mTriVerts.size(); t += 3) {
    const double* a = first.Pos(first.mTriVerts[t]);
    double u[3], v[3], n[3], toA[3];
    Subtract(u, first.Pos(first.mTriVerts[t + 1]), a);
    Subtract(v, first.Pos(first.mTriVerts[t + 2]), a);
    Cross(n, u, v);
    const double size = std::sqrt(Dot(n, n));
    double w[3];
    Subtract(w, v, u);
    if (!(size > kHullThinnest * std::max({Dot(u, u), Dot(v, v), Dot(w, w)}))) return -1;
    Subtract(toA, a, centre);
    radius = std::min(radius, Dot(n, toA) / size);
  }
  radius -= kPointTolerance + kHullDeepMargin * mExtent;
  return radius > 0 ? radius * radius : -1;
}

bool HullBuilder::ChooseTetrahedron(int32_t* corners, double* height) const {
  // In the order of the vertices, read straight through; the first of equals wins.
  auto pos = [this](int32_t rank) { return PosOfRank(rank); };
  const int32_t numPoints = mNumRanks;
  int32_t a = 0, b = 0;
  {
    int32_t extremes[6] = {0, 0, 0, 0, 0, 0};
    for (int32_t q = 1; q < numPoints; ++q) {
      for (int k = 0; k < 3; ++k) {
        if (pos(q)[k] < pos(extremes[2 * k])[k]) extremes[2 * k] = q;
        if (pos(q)[k] > pos(extremes[2 * k + 1])[k]) extremes[2 * k + 1] = q;
      }
    }
    double widest = -1.0;
    for (int i = 0; i < 6; ++i) {
      for (int j = i + 1; j < 6; ++j) {
        double d[3];
        Subtract(d, pos(extremes[j]), pos(extremes[i]));
        if (Dot(d, d) > widest) {
          widest = Dot(d, d);
          a = extremes[i];
          b = extremes[j];
        }
      }
    }
  }
  double ab[3];
  Subtract(ab, pos(b), pos(a));
  int32_t c = kHullNone;
  double furthest = kPointTolerance;
  for (int32_t q = 0; q < numPoints; ++q) {
    double aq[3], off[3];
    Subtract(aq, pos(q), pos(a));
    Cross(off, ab, aq);
    const double distance = std::sqrt(Dot(off, off) / Dot(ab, ab));
    if (distance > furthest) {
      furthest = distance;
      c = q;
    }
  }
  if (c == kHullNone) return false;
  *height = furthest;
  double normal[3];
  TriangleNormal(normal, pos(a), pos(b), pos(c));
  Scale(normal, normal, 1.0 / std::sqrt(Dot(normal, normal)));
  int32_t d4 = kHullNone;
  furthest = kPointTolerance;
  for (int32_t q = 0; q < numPoints; ++q) {
    double aq[3];
    Subtract(aq, pos(q), pos(a));
    if (std::fabs(Dot(aq, normal)) > furthest) {
      furthest = std::fabs(Dot(aq, normal));
      d4 = q;
    }
  }
  if (d4 == kHullNone) return false;
  *height = std::min(*height, furthest);
  corners[0] = a;
  corners[1] = b;
  corners[2] = c;
  corners[3] = d4;
  return true;
}

HullOutcome HullBuilder::Build() {
  // The first tetrahedron as large as the points allow: the two extreme points
  // furthest apart, the point furthest from the line through them, the point
  // furthest from their plane. Points that all lie within the tolerance of a line
  // or a plane enclose no solid.
  int32_t a, b, c, d4;
  {
    const HullOutcome gathered = GatherPoints();
    if (gathered != HullOutcome::Built) return gathered;
    if (!ProgressTick()) return HullOutcome::Cancelled;
    int32_t corners[4];
    double height = 0;
    if (!ChooseTetrahedron(corners, &height)) return HullOutcome::Flat;
    SnapAndOrder(corners);
    if (!ProgressTick()) return HullOutcome::Cancelled;
    // Points that span a solid well in every direction are left out only within a
    // few steps of the grid, relative to their extent: a dense sphere keeps every
    // point as a corner. Points that lie near a plane or a line keep the whole
    // tolerance, whose slivers the faces could not be found from.
    if (height > kRoundSolid * mExtent) {
      const double skip = std::min(kPointTolerance, kSkipSteps * mExtent / kGridSteps);
      mSquaredSkipTolerance = skip * skip;
    }
    if (!ProgressTick()) return HullOutcome::Cancelled;
    a = corners[0];
    b = corners[1];
    c = corners[2];
    d4 = corners[3];
  }
  const int32_t numPoints = static_cast<int32_t>(mPoints.size());
  double grid[3];
  Grid(d4, grid);
  const int side = Orient(a, b, c, grid);
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
  for (int32_t corner : {a, b, c, d4}) mPoints[static_cast<size_t>(corner)].tri = kHullCorner;

  ProgressTicker tick;
  // From each point's near position where that decides (see AddPoint).
  for (int32_t q = numPoints - 1; q >= 0; --q) {
    if (!tick()) return HullOutcome::Cancelled;
    const HullPoint& record = mPoints[static_cast<size_t>(q)];
    if (record.tri == kHullCorner) continue;
    const double near[3] = {record.near[0], record.near[1], record.near[2]};
    bool exact = false;
    for (int32_t t : {base, sides[0], sides[1], sides[2]}) {
      const SideTerms& terms = mSideTerms[static_cast<size_t>(t)];
      int sign = 0;
      if (!exact) {
        const double w[3] = {near[0] - terms.a[0], near[1] - terms.a[1], near[2] - terms.a[2]};
        const double det = w[0] * terms.n[0] + w[1] * terms.n[1] + w[2] * terms.n[2];
        const double bound = kSideBound * (std::fabs(w[0]) * terms.magnitude[0] +
                                           std::fabs(w[1]) * terms.magnitude[1] + std::fabs(w[2]) * terms.magnitude[2]);
        const double slack = NearSlack(bound, terms.n, terms.magnitude);
        sign = det > slack ? 1 : (det < -slack ? -1 : 0);
      }
      if (sign == 0) {
        if (!exact) Grid(q, grid);
        exact = true;
        sign = Sees(grid, t) ? 1 : -1;
      }
      if (sign > 0) {
        AddConflict(q, t);
        break;
      }
    }
  }

  // Every other point (see mAddInRecordOrder). The points of a large model take a
  // while: the progress window keeps answering, and a cancel stops the hull.
  for (int32_t i = 0; i < numPoints; ++i) {
    if (!tick()) return HullOutcome::Cancelled;
    const int32_t p = mAddInRecordOrder ? i : mPointOfRank[static_cast<size_t>(i)];
    // A corner already, or inside or on the hull.
    if (mPoints[static_cast<size_t>(p)].tri < 0) continue;
    if (!AddPoint(p)) {
      // Decided exactly, what a point sees is always a disc.
      ShowInternalError("ComputeConvexHull: broken hull");
      return HullOutcome::Unreliable;
    }
  }
  PackTriangles();
  KeepCorners();
  return HullOutcome::Built;
}

bool HullBuilder::AddPoint(int32_t p) {
  ++mStamp;
  const int32_t start = mPoints[static_cast<size_t>(p)].tri;
  double apex[3];
  Grid(p, apex);

  // The region of triangles that p sees, flooded across edges.
  std::vector<int32_t>& visible = mVisible;
  visible.assign(1, start);
  mTriStamp[static_cast<size_t>(start)] = mStamp;
  for (size_t i = 0; i < visible.size(); ++i) {
    const int32_t t = visible[i];
    for (int k = 0; k < 3; ++k) {
      const int32_t nb = TriOf(Twin(t * 3 + k));
      if (mTriStamp[static_cast<size_t>(nb)] == mStamp) continue;
      if (Sees(apex, nb)) {
        mTriStamp[static_cast<size_t>(nb)] = mStamp;
        visible.push_back(nb);
      }
    }
  }
  auto isVisible = [this](int32_t t) { return mTriStamp[static_cast<size_t>(t)] == mStamp; };
  double nearest = std::numeric_limits<double>::infinity();
  for (int32_t t : visible) {
    nearest =
        std::min(nearest, SquaredDistanceToTriangle(Pos(p), Pos(Corner(t, 0)), Pos(Corner(t, 1)), Pos(Corner(t, 2))));
  }
  if (nearest <= mSquaredSkipTolerance) {
    mPoints[static_cast<size_t>(p)].tri = kHullSkipped;
    for (int32_t t : visible) mTriStamp[static_cast<size_t>(t)] = 0;
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
  const int32_t guard = static_cast<int32_t>(mTriAlive.size()) * 3;
  int32_t h = firstBoundary;
  do {
    horizon.push_back(h);
    int32_t e = NextEdge(h);
    int32_t turns = 0;
    while (isVisible(TriOf(Twin(e))) && turns++ < guard) e = NextEdge(Twin(e));
    h = e;
  } while (h != firstBoundary && static_cast<int32_t>(horizon.size()) <= numBoundary);
  if (h != firstBoundary || static_cast<int32_t>(horizon.size()) != numBoundary) return false;

  // The cone from p over the horizon.
  const size_t m = horizon.size();
  std::vector<int32_t>& cone = mCone;
  cone.resize(m);
  for (size_t i = 0; i < m; ++i) {
    cone[i] = NewTri(Start(horizon[i]), End(horizon[i]), p);
    Link(cone[i] * 3, Twin(horizon[i]));
  }
  for (size_t i = 0; i < m; ++i) Link(cone[i] * 3 + 1, cone[(i + 1) % m] * 3 + 2);
  // Turning the corners of a triangle round does not change its side, so each cone
  // triangle's test may start from p, which the tests then share.
  mConeTerms.resize(m);
  for (size_t i = 0; i < m; ++i) {
    SideTerms& terms = mConeTerms[i];
    CopyVector(terms.a, apex);
    double start[3], end[3];
    Grid(Start(horizon[i]), start);
    Grid(End(horizon[i]), end);
    SideTermsOf(apex, start, end, terms.n, terms.magnitude);
  }

  // Points waiting on the removed triangles move to the first cone triangle they
  // see; one that sees none lies inside the new hull.
  //
  // The cone triangles that a point q sees are always one run round the cone (or
  // none, or all). Seen from p, the cone's triangles are the sides, in order, of a
  // convex polygon: the section of the new hull's corner at p, which is pointed
  // since p lies strictly outside the old hull. q sees a triangle when it lies
  // strictly beyond that side's line. Beyond the polygon, the sides q lies beyond
  // are the near chain between the two tangents from q (sides along a tangent
  // line are not beyond it); q inside or on the polygon lies beyond none; and a q
  // behind p (beyond the polygon's plane at infinity) lies beyond exactly the sides
  // that -q lies on or inside of, the complement of such a chain. Coplanar
  // neighbours give sides along one line, which q lies beyond together or not at
  // all.
  //
  // So the first triangle a point sees is the first of the cone when it sees that
  // one, and otherwise the start of its run. Points waiting on one triangle lie
  // near each other, and most runs start where the previous point's did: from
  // there the run is followed back to its start.
  int32_t hint = kHullNone;
  // A waiting point is tested from its near position while that decides; the
  // first test it does not decide turns it to its snapped position for good.
  struct Waiting {
    int32_t point;
    bool exact;
    double grid[3];  // the near position, then the snapped one
    double w[3];     // grid - apex
    double size[3];  // |w|
  };
  auto setFrom = [&apex](Waiting& q) {
    for (int k = 0; k < 3; ++k) {
      q.w[k] = q.grid[k] - apex[k];
      q.size[k] = std::fabs(q.w[k]);
    }
  };
  auto seesCone = [&](Waiting& q, size_t i) {
    // The filter of FilteredSign, with q - p worked out once for the whole cone.
    const SideTerms& terms = mConeTerms[i];
    auto det = [&terms, &q] { return q.w[0] * terms.n[0] + q.w[1] * terms.n[1] + q.w[2] * terms.n[2]; };
    auto bound = [&terms, &q] {
      return kSideBound *
             (q.size[0] * terms.magnitude[0] + q.size[1] * terms.magnitude[1] + q.size[2] * terms.magnitude[2]);
    };
    if (!q.exact) {
      const double near = det();
      const double slack = NearSlack(bound(), terms.n, terms.magnitude);
      if (near > slack) return true;
      if (near < -slack) return false;
      Grid(q.point, q.grid);
      setFrom(q);
      q.exact = true;
    }
    const double exact = det(), limit = bound();
    return exact > limit || (exact >= -limit && Orient(p, Start(horizon[i]), End(horizon[i]), q.grid) > 0);
  };
  auto firstSeen = [&](Waiting& q) -> int32_t {
    if (seesCone(q, 0)) return 0;
    // A run that does not hold the first triangle starts at 1 or later and does not
    // wrap round: any triangle of it leads back to its start. It is looked for
    // outwards from where the last point's run began.
    const int32_t numCone = static_cast<int32_t>(m);
    const int32_t from = hint > 0 ? hint : 1;
    int32_t seen = kHullNone;
    for (int32_t d = 0; seen == kHullNone && (from + d < numCone || from - d >= 1); ++d) {
      if (from + d < numCone && seesCone(q, static_cast<size_t>(from + d))) {
        seen = from + d;
      } else if (d > 0 && from - d >= 1 && seesCone(q, static_cast<size_t>(from - d))) {
        seen = from - d;
      }
    }
    if (seen == kHullNone) return kHullNone;
    while (seen > 1 && seesCone(q, static_cast<size_t>(seen - 1))) --seen;
    return seen;
  };
  // The points are scattered: a batch of them is taken off the list and their
  // records asked for at once, so that their fetches overlap.
  constexpr size_t kBatch = 32;
  int32_t batch[kBatch];
  for (int32_t t : visible) {
    int32_t q = mConflictHead[static_cast<size_t>(t)];
    while (q != kHullNone) {
      size_t count = 0;
      for (; q != kHullNone && count < kBatch; q = mPoints[static_cast<size_t>(q)].next) batch[count++] = q;
      for (size_t k = 0; k < count; ++k) {
        const int32_t point = batch[k];
        int32_t& tri = mPoints[static_cast<size_t>(point)].tri;
        const bool stillWaiting = point != p && tri != kHullSkipped;
        tri = kHullNone;
        if (!stillWaiting) continue;
        Waiting waiting{point, false, {}, {}, {}};
        const float* near = mPoints[static_cast<size_t>(point)].near;
        for (int k = 0; k < 3; ++k) waiting.grid[k] = near[k];
        setFrom(waiting);
        const int32_t i = firstSeen(waiting);
        if (i != kHullNone) {
          AddConflict(point, cone[static_cast<size_t>(i)]);
          hint = i;
        }
      }
    }
    mConflictHead[static_cast<size_t>(t)] = kHullNone;
    FreeTri(t);
  }
  return true;
}

double HullBuilder::HeightOverNeighbours(int32_t h, double* reach) const {
  // The neighbours in turn round the point: each edge from it follows the twin of
  // the edge before it. A point with more lies amid a face of many triangles, not
  // where a few triangles of a curved surface happen to lie nearly in one plane.
  constexpr size_t kMostNeighbours = 12;
  int32_t around[kMostNeighbours];
  size_t count = 0;
  const double* p = Pos(Start(h));
  *reach = 0;
  int32_t e = h;
  do {
    if (count == kMostNeighbours) return 0;
    around[count++] = End(e);
    double d[3];
    Subtract(d, Pos(End(e)), p);
    *reach = std::max(*reach, std::sqrt(Dot(d, d)));
    e = Twin(PrevEdge(e));
  } while (e != h);
  // The most the point lies beyond a plane through three neighbours that has all
  // of them on one side (a face of their hull, facing out): no less than its
  // distance from that hull. A neighbour beyond the plane by a rounding's worth does
  // not count against it.
  const double slack = 1e-3 * mCornerTolerance;
  double height = 0;
  for (size_t i = 0; i < count; ++i) {
    const double* a = Pos(around[i]);
    for (size_t j = i + 1; j < count; ++j) {
      for (size_t k = j + 1; k < count; ++k) {
        double u[3], v[3], n[3];
        Subtract(u, Pos(around[j]), a);
        Subtract(v, Pos(around[k]), a);
        Cross(n, u, v);
        const double length = std::sqrt(Dot(n, n));
        if (!(length > 0)) continue;
        Scale(n, n, 1.0 / length);
        double above = 0, below = 0;
        for (size_t m = 0; m < count; ++m) {
          double w[3];
          Subtract(w, Pos(around[m]), a);
          const double side = Dot(w, n);
          above = std::max(above, side);
          below = std::max(below, -side);
        }
        double toP[3];
        Subtract(toP, p, a);
        const double side = Dot(toP, n);
        if (above <= slack) height = std::max(height, side);
        if (below <= slack) height = std::max(height, -side);
      }
    }
  }
  return height;
}

bool HullBuilder::BuriesCorner(int32_t t, int32_t g) const {
  for (int k = 0; k < 3; ++k) {
    const int32_t h = t * 3 + k;
    bool all = true;
    for (int32_t e = Twin(PrevEdge(h)); e != h && all; e = Twin(PrevEdge(e))) {
      all = mTriGroup[static_cast<size_t>(TriOf(e))] == g;
    }
    if (!all) continue;
    double reach = 0;
    if (HeightOverNeighbours(h, &reach) > CornerTolerance(reach)) return true;
  }
  return false;
}

void HullBuilder::GroupCoplanarTriangles(bool keepCorners) {
  // Largest triangles first: each starts a face, whose plane is its own (a plane
  // that touches the hull, so no point lies beyond it; the largest triangle gives
  // it most exactly), and takes in the neighbouring triangles that lie within the
  // tolerance of that plane.
  const int32_t numTris = static_cast<int32_t>(mTriAlive.size());
  // The sense of each triangle from its snapped corners, which no rounding turns.
  // The squared areas (of the snapped triangles, doubled) are never negative, so
  // their bits, complemented, sort largest first; the sort keeps triangles of
  // equal area in their order.
  std::vector<KeyedEntry> order;
  std::vector<double> sense(static_cast<size_t>(numTris) * 3, 0.0);
  ProgressTicker tick;
  for (int32_t t = 0; t < numTris; ++t) {
    (void)tick();
    if (!mTriAlive[static_cast<size_t>(t)]) continue;
    Int128 n[3];
    double g0[3], g1[3], g2[3];
    Grid(Corner(t, 0), g0);
    Grid(Corner(t, 1), g1);
    Grid(Corner(t, 2), g2);
    GridNormal(g0, g1, g2, n);
    double* nd = &sense[static_cast<size_t>(t) * 3];
    for (int k = 0; k < 3; ++k) nd[k] = static_cast<double>(n[k]);
    order.push_back(KeyedEntry{~std::bit_cast<uint64_t>(Dot(nd, nd)), t});
  }
  (void)ProgressTick();
  SortByKey(order);
  (void)ProgressTick();
  mTriGroup.assign(static_cast<size_t>(numTris), kHullNone);
  mPlanes.clear();
  std::vector<int32_t> queue;
  for (const KeyedEntry& entry : order) {
    (void)tick();
    const int32_t seed = entry.value;
    if (mTriGroup[static_cast<size_t>(seed)] != kHullNone) continue;
    const int32_t g = static_cast<int32_t>(mPlanes.size());
    mPlanes.push_back(TrianglePlane(seed));
    const HullPlane& plane = mPlanes.back();
    mTriGroup[static_cast<size_t>(seed)] = g;
    queue.assign(1, seed);
    for (size_t i = 0; i < queue.size(); ++i) {
      for (int k = 0; k < 3; ++k) {
        const int32_t nb = TriOf(Twin(queue[i] * 3 + k));
        if (mTriGroup[static_cast<size_t>(nb)] != kHullNone) continue;
        bool inPlane = Dot(&sense[static_cast<size_t>(nb) * 3], plane.n) > 0;
        for (int c = 0; c < 3 && inPlane; ++c) {
          inPlane = std::fabs(Dot(plane.n, Pos(Corner(nb, c))) + plane.d) <= mFaceTolerance;
        }
        if (!inPlane || (keepCorners && BuriesCorner(nb, g))) continue;
        mTriGroup[static_cast<size_t>(nb)] = g;
        queue.push_back(nb);
      }
    }
  }
}

bool HullBuilder::WalkFaces(bool* holed) {
  mCorners.clear();
  mFaceStart.assign(1, 0);
  mFaceGroup.clear();
  *holed = false;
  const int32_t numTris = static_cast<int32_t>(mTriAlive.size());
  auto groupOf = [this](int32_t t) { return mTriGroup[static_cast<size_t>(t)]; };
  std::vector<uint8_t> walked(static_cast<size_t>(numTris) * 3, 0);
  std::vector<uint8_t> groupWalked(mPlanes.size(), 0);
  const int32_t guard = numTris * 3;
  ProgressTicker tick;
  for (int32_t t = 0; t < numTris; ++t) {
    (void)tick();
    if (!mTriAlive[static_cast<size_t>(t)]) continue;
    const int32_t g = groupOf(t);
    for (int k = 0; k < 3; ++k) {
      const int32_t h0 = t * 3 + k;
      if (walked[static_cast<size_t>(h0)] || groupOf(TriOf(Twin(h0))) == g) continue;
      const size_t first = mCorners.size();
      int32_t h = h0;
      int32_t steps = 0;
      do {
        walked[static_cast<size_t>(h)] = 1;
        mCorners.push_back(Start(h));
        int32_t e = NextEdge(h);
        while (groupOf(TriOf(Twin(e))) == g && steps++ < guard) e = NextEdge(Twin(e));
        h = e;
      } while (h != h0 && steps++ < guard);
      if (h != h0 || mCorners.size() - first < 3) return false;
      mFaceStart.push_back(mCorners.size());
      mFaceGroup.push_back(g);
      if (groupWalked[static_cast<size_t>(g)]) *holed = true;
      groupWalked[static_cast<size_t>(g)] = 1;
    }
  }
  return true;
}

bool HullBuilder::ExtractFaces() {
  // A round solid taken at the model's own tolerance keeps every point whose faces
  // bend more sharply than the tolerance allows across the model (mCornerTolerance):
  // faces do not swallow it, and it is no point on a straight line.
  const double skip = std::sqrt(mSquaredSkipTolerance);
  mKeepCorners = mFaceTolerance <= kPointTolerance && skip < mFaceTolerance && mExtent > 0;
  mCornerTolerance = mKeepCorners ? skip : mFaceTolerance;
  GroupCoplanarTriangles(mKeepCorners);
  (void)ProgressTick();
  bool holed = false;
  if (!WalkFaces(&holed)) return false;
  if (holed && mKeepCorners) {
    // A face kept from swallowing a point went round it: the faces are joined as
    // they would be without that.
    mKeepCorners = false;
    GroupCoplanarTriangles(false);
    if (!WalkFaces(&holed)) return false;
  }

  // A corner on a straight line between its neighbours is not a corner of the
  // solid. It is dropped only when it is such in every face it belongs to, so that
  // the faces still agree on their shared edges.
  const size_t numPoints = mPoints.size();
  // Points that are a true corner of at least one face.
  std::vector<uint8_t> bent(numPoints, 0);
  const size_t numFaces = mFaceGroup.size();
  for (size_t j = 0; j < numFaces; ++j) {
    const int32_t* f = &mCorners[mFaceStart[j]];
    const size_t n = mFaceStart[j + 1] - mFaceStart[j];
    for (size_t i = 0; i < n; ++i) {
      const int32_t prev = f[(i + n - 1) % n], cur = f[i], next = f[(i + 1) % n];
      double toCur[3], toNext[3];
      Subtract(toCur, Pos(cur), Pos(prev));
      Subtract(toNext, Pos(next), Pos(prev));
      double tolerance = mFaceTolerance;
      if (mKeepCorners) {
        double onward[3];
        Subtract(onward, Pos(next), Pos(cur));
        tolerance = CornerTolerance(std::sqrt(std::max(Dot(toCur, toCur), Dot(onward, onward))));
      }
      if (!AreParallel(toCur, toNext, tolerance)) bent[static_cast<size_t>(cur)] = 1;
    }
  }
  // The kept corners move down in place, face by face.
  size_t kept = 0;
  for (size_t j = 0; j < numFaces; ++j) {
    const size_t first = kept;
    for (size_t i = mFaceStart[j]; i < mFaceStart[j + 1]; ++i) {
      const int32_t point = mCorners[i];
      if (bent[static_cast<size_t>(point)]) mCorners[kept++] = point;
    }
    if (kept - first < 3) return false;
    mFaceStart[j] = first;
  }
  mFaceStart[numFaces] = kept;
  mCorners.resize(kept);
  mIsCorner.assign(numPoints, 0);
  for (int32_t point : mCorners) mIsCorner[static_cast<size_t>(point)] = 1;
  // Writing the faces needs none of the triangles.
  for (auto* list : {&mTriVerts, &mTwin, &mTriGroup}) std::vector<int32_t>().swap(*list);
  std::vector<uint8_t>().swap(mTriAlive);
  return true;
}

// The faces of a hull into a model, from firstFace on; point j of the hull is vertex
// j. Every vertex that is no corner gets Temp. The hull's lists are let go of as the
// faces take their place: its normals once every face has its own, before the faces'
// corner lists are made (the most the model and the hull hold at once).
void WriteHullFaces(SimplePoly& poly, int firstFace, PointHull& hull) {
  // The faces change, so the vertex-face lists and the edges go.
  for (int i = 0; i < poly.NumVerts(); ++i) poly.VertAt(i).items.clear();
  poly.flags &= ~(kSimpleHasVertFaceLists | kSimpleSortedFaceLists);
  poly.SetNumEdges(0);

  // One growth for all the faces instead of one per face past the end.
  const size_t numFaces = hull.NumFaces();
  const int needed = firstFace + static_cast<int>(numFaces);
  if (needed > poly.NumFaces()) poly.Resize(poly.NumVerts(), needed);
  int index = firstFace;
  ProgressTicker tick;
  for (size_t j = 0; j < numFaces; ++j, ++index) {
    (void)tick();
    SimpleFace* face = poly.GetFace(index);
    if (!face) return;
    CopyVector(face->normal, &hull.normals[j * 3]);
    // A reused record is a new face: it must not stay removed or keep old rings.
    face->flags &= ~kSimpleTemp;
    face->typeId = kNoIndex;
    face->nextOfType = index;
    face->coinc = index;
  }
  std::vector<double>().swap(hull.normals);
  for (size_t j = 0; j < numFaces; ++j) {
    (void)tick();
    SimpleFace& face = poly.FaceAt(firstFace + static_cast<int>(j));
    const size_t first = hull.faceStart[j];
    const size_t count = hull.faceStart[j + 1] - first;
    face.SetNumVerts(static_cast<int>(count), 1);
    for (size_t i = 0; i < count; ++i) face.SetVertIndex(static_cast<int>(i), hull.faceCorners[first + i]);
  }
  std::vector<size_t>().swap(hull.faceStart);
  std::vector<int32_t>().swap(hull.faceCorners);
  for (int i = index; i < poly.NumFaces(); ++i) {
    SimpleFace& f = poly.FaceAt(i);
    f.flags |= kSimpleTemp;
    f.nextOfType = i;
    f.coinc = i;
  }
  if (poly.currentFace >= index) poly.currentFace = kNoIndex;
  if (index < poly.NumFaces()) poly.Truncate(poly.NumVerts(), index);

  std::vector<uint8_t> cornerVert(static_cast<size_t>(poly.NumVerts()), 0);
  for (int32_t point : hull.corners) cornerVert[static_cast<size_t>(point)] = 1;
  for (int i = 0; i < poly.NumVerts(); ++i) {
    SimpleVert& v = poly.VertAt(i);
    if (!v.IsTemp() && !cornerVert[static_cast<size_t>(i)]) v.flags |= kSimpleTemp;
  }
}

void HullBuilder::WriteFaces(PointHull& hull) {
  for (size_t point = 0; point < mPoints.size(); ++point) {
    if (mIsCorner[point]) hull.corners.push_back(VertOf(static_cast<int32_t>(point)));
  }
  std::sort(hull.corners.begin(), hull.corners.end());
  hull.normals.resize(mFaceGroup.size() * 3);
  for (size_t j = 0; j < mFaceGroup.size(); ++j) {
    CopyVector(&hull.normals[j * 3], mPlanes[static_cast<size_t>(mFaceGroup[j])].n);
  }
  for (int32_t& corner : mCorners) corner = VertOf(corner);
  hull.faceCorners = std::move(mCorners);
  hull.faceStart = std::move(mFaceStart);
}

// Three-way order of positions for LinkCoincidentVerts: x, then y, then z, each
// within the tolerance; ties by index.
int CompareHullVerts(const SimplePoly& poly, int32_t a, int32_t b, double tolerance) {
  const int c = CompareWithin(poly.VertAt(a).pos, poly.VertAt(b).pos, tolerance);
  if (c != 0) return c;
  return a < b ? -1 : (a > b ? 1 : 0);
}

// Builds the hull and finds its faces; Built when they are ready to be written.
HullOutcome BuildAndFindFaces(HullBuilder& builder, int* badVertex) {
  HullOutcome outcome = builder.Build();
  *badVertex = builder.BadVertex();
  if (outcome == HullOutcome::Built && !ProgressTick()) outcome = HullOutcome::Cancelled;
  if (outcome == HullOutcome::Built && !builder.ExtractFaces()) outcome = HullOutcome::Unreliable;
  if (outcome == HullOutcome::Built && !ProgressTick()) outcome = HullOutcome::Cancelled;
  return outcome;
}

// Why a hull was not built, into `refusal` when given; empty when it was cancelled.
void Refuse(HullOutcome outcome, int badVertex, std::string* refusal) {
  if (!refusal) return;
  if (outcome == HullOutcome::Cancelled) {
    refusal->clear();
    return;
  }
  char text[kHullRefusalSize];
  if (outcome == HullOutcome::NotFinite) {
    std::snprintf(text, sizeof text, "vertex %d has no finite position", badVertex);
  } else {
    std::snprintf(text, sizeof text, "%s", "the vertices do not enclose a solid");
  }
  *refusal = text;
}

// The hull of plain points, any number of them (fewer than 4 are Flat once they
// are found finite), into `hull`; `badPoint` receives the point with no finite
// position (NotFinite).
HullOutcome HullOfPoints(const double* xyz, size_t numPoints, PointHull& hull, int* badPoint, double faceTolerance) {
  hull = PointHull();
  if (numPoints == 0 || numPoints > static_cast<size_t>(std::numeric_limits<int32_t>::max())) return HullOutcome::Flat;
  platform::WaitCursorScope waitCursor;
  HullBuilder builder(HullInput(xyz, static_cast<int32_t>(numPoints)), faceTolerance);
  HullOutcome outcome = BuildAndFindFaces(builder, badPoint);
  if (outcome == HullOutcome::Built) builder.WriteFaces(hull);
  if (outcome == HullOutcome::Built && !ProgressTick()) outcome = HullOutcome::Cancelled;
  return outcome;
}

// The source faces whose corners all carry Done (the corners of one hull face, marked
// through their coincidence rings), each once, into `covering`; reached through the
// faces of every marked vertex. The faces stay unmarked.
void FacesWithinHullFace(SimplePoly& source, const SimpleFace& hullFace, std::vector<int32_t>& covering,
                         ProgressTicker& tick) {
  covering.clear();
  const int numVerts = source.NumVerts();
  for (int32_t corner : hullFace.items) {
    int32_t k = corner;
    for (int steps = 0; steps <= numVerts; ++steps) {
      (void)tick();
      const SimpleVert& v = source.VertAt(k);
      for (int32_t fi : v.items) {
        SimpleFace& candidate = source.FaceAt(fi);
        if (candidate.IsTemp() || (candidate.flags & kSimpleDone) || candidate.Count() < 3) continue;
        bool all = true;
        for (int32_t cv : candidate.items) {
          if (!(source.VertAt(cv).flags & kSimpleDone)) {
            all = false;
            break;
          }
        }
        if (!all) continue;
        candidate.flags |= kSimpleDone;
        covering.push_back(fi);
      }
      k = v.coinc;
      if (k < 0 || k >= numVerts || k == corner) break;
    }
  }
  for (int32_t fi : covering) source.FaceAt(fi).flags &= ~kSimpleDone;
}

// Whether the faces in `covering` tile the hull face: seen along its normal, their
// areas add up to its own. The hull's face tolerance joins source faces that bend
// by less than it into one hull face (the many small faces of a finely divided
// sphere bend by far less), and the hull face then lies on the source all the same.
// Seen along one direction the areas of a tiling add up whatever the bends, so the
// sum is compared to rounding only.
bool TilesHullFace(const SimplePoly& source, const SimpleFace& hullFace, const std::vector<int32_t>& covering,
                   ProgressTicker& tick) {
  if (covering.empty() || !hullFace.HasNormal()) return false;
  double area[3];
  hullFace.AreaVector(area);
  const double whole = std::fabs(Dot(area, hullFace.normal));
  double sum = 0;
  for (int32_t fi : covering) {
    (void)tick();
    source.FaceAt(fi).AreaVector(area);
    sum += std::fabs(Dot(area, hullFace.normal));
  }
  return whole > 0 && std::fabs(sum - whole) <= kHullTilingTolerance * whole;
}

}  // namespace corvia::detail_ConvexHull

namespace corvia {

bool ComputeConvexHull(SimplePoly& poly, int firstFace, std::string* refusal, double faceTolerance) {
  using detail_ConvexHull::HullOutcome;
  HullOutcome outcome = HullOutcome::Flat;
  int badVertex = -1;
  if (poly.NumVerts() >= 4) {
    platform::WaitCursorScope waitCursor;
    poly.flags |= kSimpleGrowable;
    // The builder goes before the faces are made: the model holds them, and a hull of
    // a million corners has two million.
    PointHull hull;
    {
      detail_ConvexHull::HullBuilder builder(detail_ConvexHull::HullInput(poly), faceTolerance);
      outcome = detail_ConvexHull::BuildAndFindFaces(builder, &badVertex);
      if (outcome == HullOutcome::Built) builder.WriteFaces(hull);
    }
    // What the builder of a large hull let go of lies in the heap among what the model
    // held before; it goes back to the system before the faces take their own.
    if (hull.NumFaces() >= detail_ConvexHull::kHullTrimFaces) malloc_trim(0);
    if (outcome == HullOutcome::Built) detail_ConvexHull::WriteHullFaces(poly, firstFace, hull);
    // Cancelled while the faces were written: none of them is kept.
    if (outcome == HullOutcome::Built && !ProgressTick()) {
      poly.Truncate(poly.NumVerts(), firstFace);
      outcome = HullOutcome::Cancelled;
    }
  }
  if (outcome == HullOutcome::Built) {
    poly.ClearAllFlags(kSimpleDone);
    return true;
  }
  detail_ConvexHull::Refuse(outcome, badVertex, refusal);
  return false;
}

bool ReplaceFacesByConvexHull(SimplePoly& poly, std::string* refusal) {
  using detail_ConvexHull::HullOutcome;
  HullOutcome outcome = HullOutcome::Flat;
  int badVertex = -1;
  PointHull hull;
  if (poly.NumVerts() >= 4) {
    platform::WaitCursorScope waitCursor;
    {
      // Read in place, the model unchanged: no copy of it is needed to try the hull.
      constexpr uint32_t kUnusable = detail_ConvexHull::kHullUnusableFlags & ~kSimpleTemp;
      detail_ConvexHull::HullBuilder builder(detail_ConvexHull::HullInput(std::as_const(poly), kUnusable),
                                             kPointTolerance);
      outcome = detail_ConvexHull::BuildAndFindFaces(builder, &badVertex);
      if (outcome == HullOutcome::Built) builder.WriteFaces(hull);
    }
    if (hull.NumFaces() >= detail_ConvexHull::kHullTrimFaces) malloc_trim(0);
  }
  if (outcome != HullOutcome::Built) {
    detail_ConvexHull::Refuse(outcome, badVertex, refusal);
    return false;
  }
  // The old faces go, and nothing that names them; the hull's faces are new records.
  for (int i = 0; i < poly.NumVerts(); ++i) poly.VertAt(i).items.clear();
  poly.SetNumEdges(0);
  poly.currentFace = kNoIndex;
  poly.Truncate(poly.NumVerts(), 0);
  poly.ClearVertFlags(kSimpleTemp);
  poly.flags |= kSimpleGrowable;
  detail_ConvexHull::WriteHullFaces(poly, 0, hull);
  poly.ClearAllFlags(kSimpleDone);
  return true;
}

bool ComputeConvexHull(const double* xyz, size_t numPoints, PointHull& hull, std::string* refusal,
                       double faceTolerance) {
  using detail_ConvexHull::HullOutcome;
  int badPoint = -1;
  const HullOutcome outcome =
      numPoints >= 4 ? detail_ConvexHull::HullOfPoints(xyz, numPoints, hull, &badPoint, faceTolerance) : HullOutcome::Flat;
  if (outcome == HullOutcome::Built) return true;
  hull = PointHull();
  detail_ConvexHull::Refuse(outcome, badPoint, refusal);
  return false;
}

bool RemoveDegenerateFaceVerts(SimplePoly& poly) {
  bool changed = false;
  ProgressTicker tick;
  for (int fi = 0; fi < poly.NumFaces(); ++fi) {
    (void)tick();
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

void LinkCoincidentVerts(SimplePoly& poly, double tolerance) {
  std::vector<int32_t> order;
  for (int i = 0; i < poly.NumVerts(); ++i) {
    if (!poly.VertAt(i).IsTemp()) order.push_back(i);
  }
  const SimplePoly& model = poly;
  MergeSort(order, [&model, tolerance](int32_t a, int32_t b) {
    return detail_ConvexHull::CompareHullVerts(model, a, b, tolerance);
  });
  size_t runStart = 0;
  while (runStart < order.size()) {
    const double* first = poly.VertAt(order[runStart]).pos;
    size_t runEnd = runStart + 1;
    while (runEnd < order.size() && NearlyEqual(first, poly.VertAt(order[runEnd]).pos, tolerance)) ++runEnd;
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

std::unique_ptr<SimplePoly> CreateConvexHull(SimplePoly& source, unsigned options, std::string* refusal,
                                             double faceTolerance) {
  const int numVerts = source.NumVerts();
  if (numVerts < 4) {
    if (refusal) *refusal = "the vertices do not enclose a solid";
    return nullptr;
  }
  // The hull is found from the positions of the vertices that take part, read where
  // they lie (the source is not written to); the model of it is made only once it is
  // known, its vertex k the copy of source vertex k.
  using detail_ConvexHull::HullOutcome;
  PointHull points;
  HullOutcome outcome = HullOutcome::Flat;
  int badVertex = -1;
  {
    platform::WaitCursorScope waitCursor;
    detail_ConvexHull::HullBuilder builder(
        detail_ConvexHull::HullInput(std::as_const(source), detail_ConvexHull::kHullSourceUnusableFlags), faceTolerance);
    outcome = detail_ConvexHull::BuildAndFindFaces(builder, &badVertex);
    if (outcome == HullOutcome::Built) builder.WriteFaces(points);
    if (outcome == HullOutcome::Built && !ProgressTick()) outcome = HullOutcome::Cancelled;
  }
  if (outcome != HullOutcome::Built) {
    detail_ConvexHull::Refuse(outcome, badVertex, refusal);
    return nullptr;
  }
  auto hull = std::make_unique<SimplePoly>(numVerts, 0);
  hull->scale = source.scale;
  hull->flags |= kSimpleKeepLengthUnits | kSimpleGrowable | (source.flags & kSimpleCarriedFlags);
  ProgressTicker tick;
  for (int i = 0; i < numVerts; ++i) {
    (void)tick();
    hull->VertAt(i).CopyFrom(source.VertAt(i), true);
  }
  detail_ConvexHull::WriteHullFaces(*hull, 0, points);
  points = PointHull();
  hull->ClearAllFlags(kSimpleDone);
  if (!ProgressTick()) {
    if (refusal) refusal->clear();
    return nullptr;
  }
  PrepareVertexFaceLists(*hull);
  (void)ProgressTick();

  const bool keepColors = (options & kHullKeepColors) != 0;
  const bool markFaces = (options & kHullMarkSourceFaces) != 0;
  if (keepColors || markFaces) {
    source.CreateVertexFaceLists(false);
    ColorList used(2 * hull->NumFaces());
    int matches = 0;
    bool convex = true;
    std::vector<int32_t> covering;
    // A hull face over a plane of many source faces and points takes a good part of a
    // second to match: the window answers along its corners and faces, and a cancel is
    // left for the caller's next report.
    for (int hi = 0; hi < hull->NumFaces() && convex; ++hi) {
      SimpleFace& hullFace = hull->FaceAt(hi);
      if (hullFace.IsTemp() || hullFace.Count() == 0) continue;
      // Hull vertex k is the copy of source vertex k.
      for (int32_t corner : hullFace.items) {
        (void)tick();
        source.VertAt(corner).SetRingFlags(kSimpleDone);
      }
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
        detail_ConvexHull::FacesWithinHullFace(source, hullFace, covering, tick);
        if (detail_ConvexHull::TilesHullFace(source, hullFace, covering, tick)) {
          for (int32_t fi : covering) source.FaceAt(fi).flags |= kSimpleMarked;
          ++matches;
        } else {
          convex = false;  // the source is not convex: nothing more to learn
        }
      }
      for (int32_t corner : hullFace.items) {
        (void)tick();
        source.VertAt(corner).ClearRingFlags(kSimpleDone);
      }
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
          (void)tick();
          if (!(source.FaceAt(fi).flags & (kSimpleMarked | kSimpleTemp))) {
            source.flags &= ~kSimpleConvex;
            break;
          }
        }
        if (source.flags & kSimpleConvex) {
          for (int i = 0; i < numVerts; ++i) {
            (void)tick();
            source.VertAt(i).flags |= kSimpleMarked;
          }
        }
      }
    }
  }
  hull->flags |= kSimpleConvex | kSimpleDensityOne | kSimplePlainSurface;
  hull->SetName("Convex hull");
  return hull;
}

}  // namespace corvia
