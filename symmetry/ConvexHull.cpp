#include "symmetry/ConvexHull.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

#include "construction/RainbowColor.h"
#include "core/MergeSort.h"
#include "core/Messages.h"
#include "core/Tolerances.h"
#include "core/VectorMath.h"
#include "platform/Services.h"
#include "symmetry/SimplePoly.h"

namespace corvia::detail_ConvexHull {

constexpr int32_t kHullNone = -1;
// Vertices with any of these take no part in the hull.
constexpr uint32_t kHullUnusableFlags = kSimpleDone | kSimpleMark2 | kSimpleTemp | kSimpleInfinite;

struct HullPlane {
  double n[3];  // unit outward normal
  double d;     // n . p + d is the signed distance of p, negative inside
};

// The hull is kept as triangles with half-edge twins. Each triangle belongs to a
// plane group: the triangles of one group make one polygon face of the result and
// share the group's plane, fixed when the group was made, so that a point decides
// "outside", "on" or "behind" once per face, as it would for the whole polygon.
// Every point still to be added waits in the conflict list of one triangle whose
// plane it lies outside; a point in no list lies inside or on the hull. This keeps
// the work per point near the size of the region it rebuilds (about n log n over
// all points in random order) instead of testing every face.
class HullBuilder {
 public:
  explicit HullBuilder(SimplePoly& poly) : mPoly(poly) {}

  // False when the usable points do not span 3D.
  bool Build();
  // Polygons (point numbers, counter-clockwise seen from outside) and their planes.
  // False on a broken structure (an internal error has been shown).
  bool ExtractFaces();
  void WriteFaces(int firstFace);

 private:
  const double* Pos(int32_t point) const { return &mPos[static_cast<size_t>(point) * 3]; }
  static int32_t TriOf(int32_t h) { return h / 3; }
  static int32_t NextEdge(int32_t h) { return (h % 3 == 2) ? h - 2 : h + 1; }
  int32_t Start(int32_t h) const { return mTriVerts[static_cast<size_t>(h)]; }
  int32_t End(int32_t h) const { return mTriVerts[static_cast<size_t>(NextEdge(h))]; }
  int32_t Twin(int32_t h) const { return mTwin[static_cast<size_t>(h)]; }
  void Link(int32_t h1, int32_t h2) {
    mTwin[static_cast<size_t>(h1)] = h2;
    mTwin[static_cast<size_t>(h2)] = h1;
  }
  int32_t GroupOfTri(int32_t t) const { return mTriGroup[static_cast<size_t>(t)]; }
  double Dist(int32_t point, int32_t group) const {
    const HullPlane& pl = mPlanes[static_cast<size_t>(group)];
    return Dot(pl.n, Pos(point)) + pl.d;
  }
  // Distance of the point being added, worked once per group and step.
  double StepDist(int32_t point, int32_t group);
  int32_t NewGroup(int32_t a, int32_t b, int32_t c);
  int32_t NewTri(int32_t a, int32_t b, int32_t c, int32_t group);
  void AddConflict(int32_t point, int32_t tri);
  void AssignInitialConflicts(const std::vector<int32_t>& tris);
  bool AddPoint(int32_t p);
  bool PlaneHoldsTriangles(int32_t group, const std::vector<int32_t>& tris, int32_t ofGroup) const;
  static int32_t RootGroup(std::vector<int32_t>& parent, int32_t g);
  bool TriInPlane(int32_t t, int32_t group) const;
  void MergeCoplanarGroups();

  SimplePoly& mPoly;
  std::vector<int32_t> mVertOf;  // point -> vertex index
  std::vector<double> mPos;      // three per point
  std::vector<uint8_t> mIsCorner;

  std::vector<int32_t> mTriVerts;  // three per triangle
  std::vector<int32_t> mTwin;      // three per triangle: half-edge ids
  std::vector<int32_t> mTriGroup;
  std::vector<uint8_t> mTriAlive;
  std::vector<uint32_t> mTriStamp;
  std::vector<int32_t> mConflictHead;  // per triangle
  std::vector<int32_t> mConflictNext;  // per point
  std::vector<int32_t> mConflictTri;   // per point

  std::vector<HullPlane> mPlanes;  // per group
  std::vector<uint32_t> mGroupStamp;
  std::vector<double> mGroupDist;
  uint32_t mStamp = 0;

  std::vector<std::vector<int32_t>> mFaces;  // point numbers
  std::vector<int32_t> mFaceGroup;
};

double HullBuilder::StepDist(int32_t point, int32_t group) {
  const size_t g = static_cast<size_t>(group);
  if (mGroupStamp[g] != mStamp) {
    mGroupStamp[g] = mStamp;
    mGroupDist[g] = Dist(point, group);
  }
  return mGroupDist[g];
}

int32_t HullBuilder::NewGroup(int32_t a, int32_t b, int32_t c) {
  HullPlane pl;
  TriangleNormal(pl.n, Pos(a), Pos(b), Pos(c));
  const double len = std::sqrt(Dot(pl.n, pl.n));
  if (len > 0) Scale(pl.n, pl.n, 1.0 / len);
  pl.d = -Dot(Pos(a), pl.n);
  mPlanes.push_back(pl);
  mGroupStamp.push_back(0);
  mGroupDist.push_back(0.0);
  return static_cast<int32_t>(mPlanes.size()) - 1;
}

int32_t HullBuilder::NewTri(int32_t a, int32_t b, int32_t c, int32_t group) {
  const int32_t t = static_cast<int32_t>(mTriGroup.size());
  mTriVerts.insert(mTriVerts.end(), {a, b, c});
  mTwin.insert(mTwin.end(), {kHullNone, kHullNone, kHullNone});
  mTriGroup.push_back(group);
  mTriAlive.push_back(1);
  mTriStamp.push_back(0);
  mConflictHead.push_back(kHullNone);
  return t;
}

void HullBuilder::AddConflict(int32_t point, int32_t tri) {
  mConflictTri[static_cast<size_t>(point)] = tri;
  mConflictNext[static_cast<size_t>(point)] = mConflictHead[static_cast<size_t>(tri)];
  mConflictHead[static_cast<size_t>(tri)] = point;
}

void HullBuilder::AssignInitialConflicts(const std::vector<int32_t>& tris) {
  const int32_t numPoints = static_cast<int32_t>(mVertOf.size());
  // Walk backwards so that each list holds its points in increasing order.
  for (int32_t q = numPoints - 1; q >= 0; --q) {
    if (mIsCorner[static_cast<size_t>(q)]) continue;
    for (int32_t t : tris) {
      if (Dist(q, GroupOfTri(t)) > kPointTolerance) {
        AddConflict(q, t);
        break;
      }
    }
  }
}

bool HullBuilder::Build() {
  for (int i = 0; i < mPoly.NumVerts(); ++i) {
    SimpleVert& v = mPoly.VertAt(i);
    if (v.flags & kHullUnusableFlags) {
      v.flags |= kSimpleTemp;
      continue;
    }
    mVertOf.push_back(i);
    mPos.insert(mPos.end(), v.pos, v.pos + 3);
  }
  const int32_t numPoints = static_cast<int32_t>(mVertOf.size());
  mIsCorner.assign(static_cast<size_t>(numPoints), 0);
  mConflictNext.assign(static_cast<size_t>(numPoints), kHullNone);
  mConflictTri.assign(static_cast<size_t>(numPoints), kHullNone);
  if (numPoints < 4) return false;

  // The first tetrahedron: a, then the next point apart from it, the next not on
  // the line through both, the next off their plane.
  const int32_t a = 0;
  int32_t b = a + 1;
  while (b < numPoints && SamePos(Pos(a), Pos(b))) ++b;
  if (b >= numPoints) return false;
  int32_t c = b + 1;
  for (; c < numPoints; ++c) {
    double ca[3], cb[3];
    Subtract(ca, Pos(c), Pos(a));
    Subtract(cb, Pos(c), Pos(b));
    if (!AreParallel(ca, cb, kPointTolerance)) break;
  }
  if (c >= numPoints) return false;
  const int32_t g0 = NewGroup(a, b, c);
  int32_t d4 = c + 1;
  for (; d4 < numPoints; ++d4) {
    if (std::fabs(Dist(d4, g0)) > kPointTolerance) break;
  }
  if (d4 >= numPoints) return false;

  int32_t x[3] = {a, b, c};
  if (Dist(d4, g0) > 0) {
    HullPlane& pl = mPlanes[static_cast<size_t>(g0)];
    Negate(pl.n);
    pl.d = -pl.d;
    x[1] = c;
    x[2] = b;
  }
  const int32_t base = NewTri(x[0], x[1], x[2], g0);
  int32_t side[3];
  for (int i = 0; i < 3; ++i) {
    const int32_t from = x[i], to = x[(i + 1) % 3];
    side[i] = NewTri(to, from, d4, NewGroup(to, from, d4));
    Link(base * 3 + i, side[i] * 3);
  }
  for (int i = 0; i < 3; ++i) Link(side[i] * 3 + 1, side[(i + 2) % 3] * 3 + 2);
  for (int32_t corner : {a, b, c, d4}) mIsCorner[static_cast<size_t>(corner)] = 1;

  AssignInitialConflicts({base, side[0], side[1], side[2]});

  // Every other point in index order, those passed over while choosing the
  // tetrahedron included.
  for (int32_t p = 0; p < numPoints; ++p) {
    if (mIsCorner[static_cast<size_t>(p)]) continue;
    if (mConflictTri[static_cast<size_t>(p)] == kHullNone) continue;  // inside or on the hull
    AddPoint(p);
  }
  return true;
}

bool HullBuilder::PlaneHoldsTriangles(int32_t group, const std::vector<int32_t>& tris, int32_t ofGroup) const {
  const HullPlane& target = mPlanes[static_cast<size_t>(group)];
  const HullPlane& own = mPlanes[static_cast<size_t>(ofGroup)];
  if (Dot(target.n, own.n) <= 0) return false;
  for (int32_t t : tris) {
    if (GroupOfTri(t) != ofGroup) continue;
    for (int k = 0; k < 3; ++k) {
      if (std::fabs(Dist(mTriVerts[static_cast<size_t>(t) * 3 + k], group)) > kPointTolerance) return false;
    }
  }
  return true;
}

bool HullBuilder::AddPoint(int32_t p) {
  ++mStamp;
  const int32_t start = mConflictTri[static_cast<size_t>(p)];

  // The region of faces that p sees, flooded across edges.
  std::vector<int32_t> visible{start};
  mTriStamp[static_cast<size_t>(start)] = mStamp;
  int32_t firstBoundary = kHullNone;
  int32_t numBoundary = 0;
  for (size_t i = 0; i < visible.size(); ++i) {
    const int32_t t = visible[i];
    for (int k = 0; k < 3; ++k) {
      const int32_t h = t * 3 + k;
      const int32_t nb = TriOf(Twin(h));
      if (mTriStamp[static_cast<size_t>(nb)] == mStamp) continue;
      if (StepDist(p, GroupOfTri(nb)) > kPointTolerance) {
        mTriStamp[static_cast<size_t>(nb)] = mStamp;
        visible.push_back(nb);
      }
    }
  }
  auto isVisible = [this](int32_t t) { return mTriStamp[static_cast<size_t>(t)] == mStamp; };
  for (int32_t t : visible) {
    for (int k = 0; k < 3; ++k) {
      if (!isVisible(TriOf(Twin(t * 3 + k)))) {
        if (firstBoundary == kHullNone) firstBoundary = t * 3 + k;
        ++numBoundary;
      }
    }
  }

  // The horizon: the boundary of the visible region walked once round, as edges of
  // visible faces. From an edge ending at v the next one starts at v: turn round v
  // through visible faces until the face across is kept.
  std::vector<int32_t> horizon;
  const int32_t guard = static_cast<int32_t>(mTriGroup.size()) * 3;
  int32_t h = firstBoundary;
  do {
    horizon.push_back(h);
    int32_t e = NextEdge(h);
    int32_t turns = 0;
    while (isVisible(TriOf(Twin(e))) && turns++ < guard) e = NextEdge(Twin(e));
    h = e;
  } while (h != firstBoundary && static_cast<int32_t>(horizon.size()) <= numBoundary);
  if (h != firstBoundary || static_cast<int32_t>(horizon.size()) != numBoundary) {
    // A visible region that is not a disc can only come from points on the edge of
    // the tolerance; the point is left out rather than the hull broken.
    return false;
  }

  // The cone from p over the horizon. A face that p lies on is extended to p
  // instead of getting a triangle of its own, and a new triangle in the plane of
  // the one made just before joins its face.
  const int32_t firstNewGroup = static_cast<int32_t>(mPlanes.size());
  const size_t m = horizon.size();
  std::vector<int32_t> cone(m);
  for (size_t i = 0; i < m; ++i) {
    const int32_t u = Start(horizon[i]);
    const int32_t v = End(horizon[i]);
    const int32_t kept = Twin(horizon[i]);
    const int32_t keptGroup = GroupOfTri(TriOf(kept));
    int32_t group = kHullNone;
    if (StepDist(p, keptGroup) > -kPointTolerance) {
      group = keptGroup;
    } else if (i > 0) {
      const int32_t prevGroup = GroupOfTri(cone[i - 1]);
      double n[3];
      TriangleNormal(n, Pos(u), Pos(v), Pos(p));
      if (std::fabs(Dist(v, prevGroup)) <= kPointTolerance && Dot(n, mPlanes[static_cast<size_t>(prevGroup)].n) > 0) {
        group = prevGroup;
      }
    }
    if (group == kHullNone) group = NewGroup(u, v, p);
    cone[i] = NewTri(u, v, p, group);
    Link(cone[i] * 3, kept);
  }
  for (size_t i = 0; i < m; ++i) Link(cone[i] * 3 + 1, cone[(i + 1) % m] * 3 + 2);

  // The first and the last triangle of the cone meet at an edge through p too.
  const int32_t gFirst = GroupOfTri(cone[0]);
  const int32_t gLast = GroupOfTri(cone[m - 1]);
  if (gFirst != gLast) {
    int32_t from = kHullNone, to = kHullNone;
    if (gFirst >= firstNewGroup && PlaneHoldsTriangles(gLast, cone, gFirst)) {
      from = gFirst;
      to = gLast;
    } else if (gLast >= firstNewGroup && PlaneHoldsTriangles(gFirst, cone, gLast)) {
      from = gLast;
      to = gFirst;
    }
    if (from != kHullNone) {
      for (int32_t t : cone) {
        if (GroupOfTri(t) == from) mTriGroup[static_cast<size_t>(t)] = to;
      }
    }
  }

  // Points waiting on the removed faces move to a cone face they lie outside; a
  // point outside the new hull always lies outside one of them.
  for (int32_t t : visible) {
    int32_t q = mConflictHead[static_cast<size_t>(t)];
    while (q != kHullNone) {
      const int32_t next = mConflictNext[static_cast<size_t>(q)];
      mConflictTri[static_cast<size_t>(q)] = kHullNone;
      if (q != p) {
        int32_t lastGroup = kHullNone;
        for (int32_t c : cone) {
          const int32_t g = GroupOfTri(c);
          if (g == lastGroup) continue;
          lastGroup = g;
          if (Dist(q, g) > kPointTolerance) {
            AddConflict(q, c);
            break;
          }
        }
      }
      q = next;
    }
    mConflictHead[static_cast<size_t>(t)] = kHullNone;
    mTriAlive[static_cast<size_t>(t)] = 0;
  }
  // Later points must not take the dead faces for visible ones.
  for (int32_t t : visible) mTriStamp[static_cast<size_t>(t)] = 0;
  mIsCorner[static_cast<size_t>(p)] = 1;
  return true;
}

int32_t HullBuilder::RootGroup(std::vector<int32_t>& parent, int32_t g) {
  while (parent[static_cast<size_t>(g)] != g) {
    parent[static_cast<size_t>(g)] = parent[static_cast<size_t>(parent[static_cast<size_t>(g)])];
    g = parent[static_cast<size_t>(g)];
  }
  return g;
}

bool HullBuilder::TriInPlane(int32_t t, int32_t group) const {
  for (int k = 0; k < 3; ++k) {
    if (std::fabs(Dist(mTriVerts[static_cast<size_t>(t) * 3 + k], group)) > kPointTolerance) return false;
  }
  return true;
}

void HullBuilder::MergeCoplanarGroups() {
  // Faces of one plane made at different times, apart, can meet later: the hull
  // has one face there, so they become one group (the older plane is kept).
  const int32_t numTris = static_cast<int32_t>(mTriGroup.size());
  std::vector<int32_t> parent(mPlanes.size());
  for (size_t g = 0; g < parent.size(); ++g) parent[g] = static_cast<int32_t>(g);
  for (int32_t t = 0; t < numTris; ++t) {
    if (!mTriAlive[static_cast<size_t>(t)]) continue;
    for (int k = 0; k < 3; ++k) {
      const int32_t other = TriOf(Twin(t * 3 + k));
      const int32_t g1 = RootGroup(parent, GroupOfTri(t));
      const int32_t g2 = RootGroup(parent, GroupOfTri(other));
      if (g1 == g2) continue;
      if (Dot(mPlanes[static_cast<size_t>(g1)].n, mPlanes[static_cast<size_t>(g2)].n) <= 0) continue;
      if (!TriInPlane(other, g1) || !TriInPlane(t, g2)) continue;
      parent[static_cast<size_t>(g1 < g2 ? g2 : g1)] = g1 < g2 ? g1 : g2;
    }
  }
  for (int32_t t = 0; t < numTris; ++t) {
    mTriGroup[static_cast<size_t>(t)] = RootGroup(parent, mTriGroup[static_cast<size_t>(t)]);
  }
}

bool HullBuilder::ExtractFaces() {
  MergeCoplanarGroups();
  const int32_t numTris = static_cast<int32_t>(mTriGroup.size());
  std::vector<uint8_t> walked(static_cast<size_t>(numTris) * 3, 0);
  const int32_t guard = numTris * 3;
  for (int32_t t = 0; t < numTris; ++t) {
    if (!mTriAlive[static_cast<size_t>(t)]) continue;
    const int32_t g = GroupOfTri(t);
    for (int k = 0; k < 3; ++k) {
      const int32_t h0 = t * 3 + k;
      if (walked[static_cast<size_t>(h0)] || GroupOfTri(TriOf(Twin(h0))) == g) continue;
      std::vector<int32_t> loop;
      int32_t h = h0;
      int32_t steps = 0;
      do {
        walked[static_cast<size_t>(h)] = 1;
        loop.push_back(Start(h));
        int32_t e = NextEdge(h);
        while (GroupOfTri(TriOf(Twin(e))) == g && steps++ < guard) e = NextEdge(Twin(e));
        h = e;
      } while (h != h0 && steps++ < guard);
      if (h != h0 || loop.size() < 3) {
        ShowInternalError("ComputeConvexHull: broken hull");
        return false;
      }
      mFaces.push_back(std::move(loop));
      mFaceGroup.push_back(g);
    }
  }

  // A corner on a straight line between its neighbours is not a corner of the
  // solid. It is dropped only when it is such in every face it belongs to, so that
  // the faces still agree on their shared edges.
  const size_t numPoints = mVertOf.size();
  std::vector<int32_t> uses(numPoints, 0), straight(numPoints, 0);
  for (const std::vector<int32_t>& f : mFaces) {
    const size_t n = f.size();
    for (size_t i = 0; i < n; ++i) {
      const int32_t prev = f[(i + n - 1) % n], cur = f[i], next = f[(i + 1) % n];
      double toCur[3], toNext[3];
      Subtract(toCur, Pos(cur), Pos(prev));
      Subtract(toNext, Pos(next), Pos(prev));
      ++uses[static_cast<size_t>(cur)];
      if (AreParallel(toCur, toNext, kPointTolerance)) ++straight[static_cast<size_t>(cur)];
    }
  }
  for (std::vector<int32_t>& f : mFaces) {
    std::vector<int32_t> kept;
    for (int32_t point : f) {
      if (straight[static_cast<size_t>(point)] < uses[static_cast<size_t>(point)]) kept.push_back(point);
    }
    if (kept.size() < 3) {
      ShowInternalError("ComputeConvexHull: broken hull");
      return false;
    }
    f = std::move(kept);
  }
  std::fill(mIsCorner.begin(), mIsCorner.end(), 0);
  for (const std::vector<int32_t>& f : mFaces) {
    for (int32_t point : f) mIsCorner[static_cast<size_t>(point)] = 1;
  }
  return true;
}

void HullBuilder::WriteFaces(int firstFace) {
  // The faces change, so the vertex-face lists and the edges go.
  for (int i = 0; i < mPoly.NumVerts(); ++i) mPoly.VertAt(i).items.clear();
  mPoly.flags &= ~(kSimpleHasVertFaceLists | kSimpleSortedFaceLists);
  mPoly.SetNumEdges(0);

  // One growth for all the faces instead of one per face past the end.
  const int needed = firstFace + static_cast<int>(mFaces.size());
  if (needed > mPoly.NumFaces()) mPoly.Resize(mPoly.NumVerts(), needed);
  int index = firstFace;
  for (size_t j = 0; j < mFaces.size(); ++j, ++index) {
    SimpleFace* face = mPoly.GetFace(index);
    if (!face) return;
    const std::vector<int32_t>& corners = mFaces[j];
    face->SetNumVerts(static_cast<int>(corners.size()), 1);
    for (size_t i = 0; i < corners.size(); ++i) {
      face->SetVertIndex(static_cast<int>(i), mVertOf[static_cast<size_t>(corners[i])]);
    }
    CopyVector(face->normal, mPlanes[static_cast<size_t>(mFaceGroup[j])].n);
    // A reused record is a new face: it must not stay removed or keep old rings.
    face->flags &= ~kSimpleTemp;
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

  for (size_t point = 0; point < mVertOf.size(); ++point) {
    if (!mIsCorner[point]) mPoly.VertAt(mVertOf[point]).flags |= kSimpleTemp;
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

bool ComputeConvexHull(SimplePoly& poly, int firstFace) {
  if (poly.NumVerts() < 4) return false;
  platform::WaitCursorScope waitCursor;
  poly.flags |= kSimpleGrowable;
  bool ok = false;
  {
    detail_ConvexHull::HullBuilder builder(poly);
    if (builder.Build() && builder.ExtractFaces()) {
      builder.WriteFaces(firstFace);
      ok = true;
    }
  }
  if (ok) poly.ClearAllFlags(kSimpleDone);
  return ok;
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

std::unique_ptr<SimplePoly> CreateConvexHull(SimplePoly& source, unsigned options) {
  const int numVerts = source.NumVerts();
  if (numVerts < 4) return nullptr;
  auto hull = std::make_unique<SimplePoly>(numVerts, 2 * numVerts - 4);
  hull->scale = source.scale;
  hull->flags |= kSimpleKeepLengthUnits | (source.flags & kSimpleInherited);
  for (int i = 0; i < numVerts; ++i) hull->VertAt(i).CopyFrom(source.VertAt(i), true);
  if (!ComputeConvexHull(*hull, 0)) return nullptr;
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
