#include "symmetry/BlendFaces.h"

#include <cmath>
#include <cstddef>
#include <vector>

#include "core/MergeSort.h"
#include "core/Messages.h"
#include "core/Tolerances.h"
#include "core/VectorMath.h"
#include "symmetry/SimplePoly.h"

namespace corvia::detail_BlendFaces {

// Pseudo-angles run over (-4, 4]: a full turn is 8.
constexpr double kFullTurn = 8.0;
constexpr int kNoNode = -1;

bool IsZero(const double* v) { return std::fabs(v[0]) <= kPointTolerance && std::fabs(v[1]) <= kPointTolerance && std::fabs(v[2]) <= kPointTolerance; }

// One corner of a face of a group: the vertex at which an edge of the outline
// starts, linked into the ring of its outline.
struct OutlineNode {
  int32_t vert = kNoIndex;
  int next = kNoNode;
  int prev = kNoNode;
  // Still part of an outline (false once taken out as an inner edge, or written).
  bool used = true;
  // The region of the outline lies to the left of its edges, seen in the group frame.
  bool regionLeft = true;
};

// The coplanar faces of one group and the outlines built from them.
class GroupBlender {
 public:
  GroupBlender(SimplePoly& poly, const std::vector<int>& faces) : mPoly(poly), mFaces(faces) {}

  // Merges the outlines; false when the group should stay as it is (a hole).
  bool Build();
  // Writes the loops into the group's faces (and new faces).
  void Write();

 private:
  const double* Pos(int node) const { return mPoly.VertAt(mNodes[static_cast<size_t>(node)].vert).pos; }
  OutlineNode& Node(int i) { return mNodes[static_cast<size_t>(i)]; }
  void Project(double* out2, const double* p) const;
  bool SameLoop(int a, int b);
  void ReverseLoop(int start);
  void JoinEdges();
  void OrderPiecesAtVertices();
  bool HasHole();

  SimplePoly& mPoly;
  const std::vector<int>& mFaces;
  std::vector<OutlineNode> mNodes;
  double mAxisX[3] = {1, 0, 0};
  double mAxisY[3] = {0, 1, 0};
};

void GroupBlender::Project(double* out2, const double* p) const {
  out2[0] = Dot(p, mAxisX);
  out2[1] = Dot(p, mAxisY);
}

bool GroupBlender::SameLoop(int a, int b) {
  int k = a;
  for (size_t steps = 0; steps <= mNodes.size(); ++steps) {
    if (k == b) return true;
    k = Node(k).next;
    if (k == a || k == kNoNode) return false;
  }
  return false;
}

// Reverses the loop through start: each node's edge then runs the other way, so
// the edge that started at a node now starts at the node that followed it.
void GroupBlender::ReverseLoop(int start) {
  int k = start;
  for (size_t steps = 0; steps <= mNodes.size(); ++steps) {
    OutlineNode& n = Node(k);
    const int oldNext = n.next;
    n.next = n.prev;
    n.prev = oldNext;
    n.regionLeft = !n.regionLeft;
    k = oldNext;
    if (k == start) break;
  }
}

bool GroupBlender::Build() {
  const SimpleFace& first = mPoly.FaceAt(mFaces[0]);
  // The group frame: two axes in the plane, turning positively about the normal.
  PerpendicularByAxis(mAxisX, first.normal);
  const double len = std::sqrt(Dot(mAxisX, mAxisX));
  if (!(len > 0.0)) return false;
  Divide(mAxisX, mAxisX, len);
  Cross(mAxisY, first.normal, mAxisX);

  for (int fi : mFaces) {
    const SimpleFace& f = mPoly.FaceAt(fi);
    const int base = static_cast<int>(mNodes.size());
    const int n = f.Count();
    // The sense of the face in the frame tells on which side its region lies.
    double area = 0.0;
    for (int i = 0; i < n; ++i) {
      double p[2], q[2];
      Project(p, f.VertAt(i).pos);
      Project(q, f.VertWrapped(i + 1).pos);
      area += p[0] * q[1] - q[0] * p[1];
    }
    for (int i = 0; i < n; ++i) {
      OutlineNode node;
      node.vert = f.items[static_cast<size_t>(i)];
      node.next = base + (i + 1) % n;
      node.prev = base + (i + n - 1) % n;
      node.regionLeft = area >= 0.0;
      mNodes.push_back(node);
    }
  }
  JoinEdges();
  OrderPiecesAtVertices();
  return !HasHole();
}

// Removes every edge that two outlines run along in opposite directions, joining
// or splitting the rings across it.
void GroupBlender::JoinEdges() {
  const int count = static_cast<int>(mNodes.size());
  for (int b = 1; b < count; ++b) {
    for (int a0 = 0; a0 < b && Node(b).used; ++a0) {
      if (!Node(a0).used) continue;
      int a = a0;
      const double* pa = Pos(a);
      const double* pan = Pos(Node(a).next);
      const double* pb = Pos(b);
      const double* pbn = Pos(Node(b).next);
      if (SamePos(pa, pan)) continue;  // a zero-length edge joins nothing
      const bool sameWay = SamePos(pa, pb) && SamePos(pan, pbn);
      const bool oppositeWay = SamePos(pa, pbn) && SamePos(pan, pb);
      if (!sameWay && !oppositeWay) continue;
      if (sameWay) {
        // The faces face opposite ways: one outline is turned round first. Within one
        // loop that cannot help, and the edge is left.
        if (SameLoop(a, b)) continue;
        const int followed = Node(a).next;
        ReverseLoop(a);
        a = followed;
      }
      OutlineNode& na = Node(a);
      OutlineNode& nb = Node(b);
      if (na.next == b || nb.next == a) {
        // Out and straight back: both edges go.
        const int first = na.next == b ? a : b;
        const int second = na.next == b ? b : a;
        const int before = Node(first).prev;
        const int after = Node(second).next;
        if (before != second) {
          Node(before).next = after;
          Node(after).prev = before;
        }
      } else {
        const int ap = na.prev, an = na.next, bp = nb.prev, bn = nb.next;
        Node(ap).next = bn;
        Node(bn).prev = ap;
        Node(bp).next = an;
        Node(an).prev = bp;
      }
      Node(a).used = false;
      Node(b).used = false;
    }
  }
}

// Where several pieces of outline meet at one point, each incoming piece is linked to
// the outgoing piece next to it in angle on its region's side, so that loops may
// touch there but never cross.
void GroupBlender::OrderPiecesAtVertices() {
  const int count = static_cast<int>(mNodes.size());
  std::vector<bool> visited(mNodes.size(), false);
  for (int start = 0; start < count; ++start) {
    if (!Node(start).used || visited[static_cast<size_t>(start)]) continue;
    std::vector<int> here;
    for (int k = start; k < count; ++k) {
      if (Node(k).used && !visited[static_cast<size_t>(k)] && SamePos(Pos(k), Pos(start))) {
        here.push_back(k);
        visited[static_cast<size_t>(k)] = true;
      }
    }
    if (here.size() < 2) continue;
    const double* p = Pos(start);
    struct Piece {
      int node;
      double angle;
    };
    std::vector<Piece> out, in;
    bool degenerate = false;
    for (int k : here) {
      double d[3], d2[2];
      Subtract(d, Pos(Node(k).next), p);
      degenerate = degenerate || IsZero(d);
      Project(d2, d);
      out.push_back({k, PseudoAngle(d2)});
      const int prev = Node(k).prev;
      Subtract(d, Pos(prev), p);
      degenerate = degenerate || IsZero(d);
      Project(d2, d);
      in.push_back({prev, PseudoAngle(d2)});
    }
    if (degenerate) continue;
    MergeSort(out, [](const Piece& x, const Piece& y) {
      if (x.angle < y.angle - kPointTolerance) return -1;
      if (x.angle > y.angle + kPointTolerance) return 1;
      return x.node - y.node;
    });
    std::vector<int> chosen(in.size(), kNoNode);
    std::vector<bool> taken(out.size(), false);
    bool consistent = true;
    for (size_t i = 0; i < in.size() && consistent; ++i) {
      // The region of an incoming piece lies on its left: turning from the way back
      // clockwise, the first outgoing piece bounds the same region.
      const bool left = Node(in[i].node).regionLeft;
      double best = 2 * kFullTurn;
      size_t bestIndex = out.size();
      for (size_t o = 0; o < out.size(); ++o) {
        double turn = left ? in[i].angle - out[o].angle : out[o].angle - in[i].angle;
        while (turn <= kPointTolerance) turn += kFullTurn;
        while (turn > kFullTurn + kPointTolerance) turn -= kFullTurn;
        if (turn < best) {
          best = turn;
          bestIndex = o;
        }
      }
      if (bestIndex == out.size() || taken[bestIndex]) {
        consistent = false;
      } else {
        taken[bestIndex] = true;
        chosen[i] = out[bestIndex].node;
      }
    }
    // Pieces that cannot be paired one to one keep the links they have.
    if (!consistent) continue;
    for (size_t i = 0; i < in.size(); ++i) {
      Node(in[i].node).next = chosen[i];
      Node(chosen[i]).prev = in[i].node;
    }
  }
}

// A loop that turns against the region it bounds is the rim of a gap.
bool GroupBlender::HasHole() {
  std::vector<bool> seen(mNodes.size(), false);
  for (int start = 0; start < static_cast<int>(mNodes.size()); ++start) {
    if (!Node(start).used || seen[static_cast<size_t>(start)]) continue;
    double area = 0.0;
    int k = start;
    for (size_t steps = 0; steps <= mNodes.size(); ++steps) {
      seen[static_cast<size_t>(k)] = true;
      double p[2], q[2];
      Project(p, Pos(k));
      Project(q, Pos(Node(k).next));
      area += p[0] * q[1] - q[0] * p[1];
      k = Node(k).next;
      if (k == start) break;
    }
    if (std::fabs(area) > kVanishingTolerance && (area > 0.0) != Node(start).regionLeft) return true;
  }
  return false;
}

void GroupBlender::Write() {
  size_t nextFace = 0;
  const int firstFace = mFaces[0];
  for (int start = 0; start < static_cast<int>(mNodes.size()); ++start) {
    if (!Node(start).used) continue;
    std::vector<int32_t> loop;
    int k = start;
    for (size_t steps = 0; steps <= mNodes.size(); ++steps) {
      OutlineNode& n = Node(k);
      if (!n.used) break;
      loop.push_back(n.vert);
      n.used = false;
      k = n.next;
      if (k == start) break;
    }
    // What is left of an out-and-back spike bounds nothing.
    if (loop.size() < 3) continue;
    int target;
    if (nextFace < mFaces.size()) {
      target = mFaces[nextFace++];
    } else {
      mPoly.flags |= kSimpleGrowable;
      target = mPoly.NumFaces();
      SimpleFace* added = mPoly.GetFace(target);
      if (!added) return;
      added->CopyFrom(mPoly.FaceAt(firstFace));
      added->winding = mPoly.FaceAt(firstFace).winding;
    }
    mPoly.FaceAt(target).items = std::move(loop);
  }
  for (; nextFace < mFaces.size(); ++nextFace) mPoly.FaceAt(mFaces[nextFace]).flags |= kSimpleTemp;
  mPoly.flags &= ~kSimpleHasVertFaceLists;
}

int CountLiveVerts(const SimplePoly& poly) {
  int n = 0;
  for (int i = 0; i < poly.NumVerts(); ++i) n += poly.VertAt(i).IsTemp() ? 0 : 1;
  return n;
}

// Whether two faces of a group share an edge (corners compared by position).
bool ShareEdge(const SimpleFace& f, const SimpleFace& g) {
  const int n = f.Count();
  for (int i = 0; i < n; ++i) {
    const double* u = f.VertAt(i).pos;
    const double* v = f.VertWrapped(i + 1).pos;
    for (int k = g.FindVertAtPos(u); k >= 0; k = g.FindVertAtPos(u, k)) {
      if (SamePos(g.VertWrapped(k + 1).pos, v) || SamePos(g.VertWrapped(k + g.Count() - 1).pos, v)) return true;
    }
  }
  return false;
}

bool GroupHasSharedEdge(const SimplePoly& poly, const std::vector<int>& group) {
  for (size_t i = 0; i < group.size(); ++i) {
    for (size_t j = i + 1; j < group.size(); ++j) {
      if (ShareEdge(poly.FaceAt(group[i]), poly.FaceAt(group[j]))) return true;
    }
  }
  return false;
}

// Cuts every face that passes twice through one vertex into loops that do not.
bool SplitPinchedFaces(SimplePoly& poly) {
  bool changed = false;
  for (int fi = 0; fi < poly.NumFaces(); ++fi) {
    for (bool again = true; again;) {
      again = false;
      SimpleFace& f = poly.FaceAt(fi);
      if (f.IsTemp()) break;
      int i = 0, j = -1;
      for (; i < f.Count() && j < 0; ++i) j = f.FindItem(f.items[static_cast<size_t>(i)], i);
      if (j < 0) break;
      --i;
      // The stretch from the first visit up to the second becomes a face of its own.
      std::vector<int32_t> stretch(f.items.begin() + i, f.items.begin() + j);
      f.items.erase(f.items.begin() + i + 1, f.items.begin() + j + 1);
      if (f.Count() < 3) f.flags |= kSimpleTemp;
      poly.flags |= kSimpleGrowable;
      const int added = poly.NumFaces();
      SimpleFace* g = poly.GetFace(added);
      if (!g) return changed;
      g->CopyFrom(poly.FaceAt(fi));
      g->flags &= ~kSimpleTemp;
      g->items = std::move(stretch);
      if (g->Count() < 3) g->flags |= kSimpleTemp;
      changed = true;
      again = !poly.FaceAt(fi).IsTemp();
    }
  }
  if (changed) poly.CreateVertexFaceLists(true);
  return changed;
}

// Straightening of outlines: corners in the middle of straight edges are dropped
// where they are straight in every face that uses them.
class Straightener {
 public:
  explicit Straightener(SimplePoly& poly) : mPoly(poly) {
    long corners = 0;
    for (int i = 0; i < poly.NumFaces(); ++i) corners += poly.FaceAt(i).Count();
    mBudget = 8 * corners + 1000;
  }
  bool Run();

 private:
  static bool IsStraight(const double* a, const double* b, const double* c, double* in, double* out);
  bool NeighboursAre(const SimpleFace& g, int k, const double* a, const double* c) const;
  int CountFacesWithNeighbours(const SimpleVert& b, const double* a, const double* c) const;
  void RemoveCorner(int faceIndex, int k);
  void StraightenFace(int faceIndex);
  // The other faces along a stretch that doubles back at b (from a to c) get the nearer
  // of a and c as a corner too, so that overlapping edges are split at the same
  // vertices.
  void SplitFacesAlongDoubledBackStretch(int faceIndex, int32_t bi, const double* a, const double* b, const double* c);

  SimplePoly& mPoly;
  long mBudget;
  bool mChanged = false;
};

// A corner b between a and c is straight when the edge in (b - a) is a multiple of
// the edge out (c - b); in and out are returned.
bool Straightener::IsStraight(const double* a, const double* b, const double* c, double* in, double* out) {
  Subtract(in, b, a);
  Subtract(out, c, b);
  int k = 0;
  for (int i = 1; i < 3; ++i) {
    if (std::fabs(out[i]) >= std::fabs(out[k])) k = i;
  }
  if (std::fabs(out[k]) <= kPointTolerance) return true;
  double scaled[3];
  Scale(scaled, out, in[k] / out[k]);
  return NearlyEqual(in, scaled, kPointTolerance);
}

bool Straightener::NeighboursAre(const SimpleFace& g, int k, const double* a, const double* c) const {
  const int n = g.Count();
  const double* before = g.VertWrapped(k + n - 1).pos;
  const double* after = g.VertWrapped(k + 1).pos;
  return (SamePos(before, a) && SamePos(after, c)) || (SamePos(before, c) && SamePos(after, a));
}

int Straightener::CountFacesWithNeighbours(const SimpleVert& b, const double* a, const double* c) const {
  const int32_t bi = b.GetIndex();
  int count = 0;
  for (int32_t fi : b.items) {
    const SimpleFace& g = mPoly.FaceAt(fi);
    if (g.IsTemp()) continue;
    for (int k = g.FindItem(bi); k >= 0; k = g.FindItem(bi, k)) {
      if (NeighboursAre(g, k, a, c)) {
        ++count;
        break;
      }
    }
  }
  return count;
}

// Removes corner k of a face, and the face from the vertex's list when the vertex
// is no longer a corner of it.
void Straightener::RemoveCorner(int faceIndex, int k) {
  SimpleFace& g = mPoly.FaceAt(faceIndex);
  const int32_t v = g.items[static_cast<size_t>(k)];
  g.RemoveVertsAt(k, 1);
  if (g.FindItem(v) < 0) {
    std::vector<int32_t>& list = mPoly.VertAt(v).items;
    for (size_t i = 0; i < list.size(); ++i) {
      if (list[i] == faceIndex) {
        list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
        break;
      }
    }
  }
  mChanged = true;
}

void Straightener::SplitFacesAlongDoubledBackStretch(int faceIndex, int32_t bi, const double* a, const double* b,
                                                     const double* c) {
  double da[3], dc[3];
  Subtract(da, a, b);
  Subtract(dc, c, b);
  const bool aNearer = Dot(da, da) < Dot(dc, dc);
  const double* nearPos = aNearer ? a : c;
  const double* farPos = aNearer ? c : a;
  const SimpleFace& f2 = mPoly.FaceAt(faceIndex);
  const int nearCorner = f2.FindVertAtPos(nearPos);
  const int32_t nearVert = nearCorner >= 0 ? f2.items[static_cast<size_t>(nearCorner)] : kNoIndex;
  if (nearVert >= 0) {
    const std::vector<int32_t> others = mPoly.VertAt(bi).items;
    for (int32_t gi : others) {
      SimpleFace& g = mPoly.FaceAt(gi);
      if (g.IsTemp() || g.FindItem(nearVert) >= 0) continue;
      const int k = g.FindItem(bi);
      if (k < 0) continue;
      const int gn = g.Count();
      if (SamePos(g.VertWrapped(k + 1).pos, farPos)) {
        g.InsertVertAt(k + 1, &mPoly.VertAt(nearVert));
      } else if (SamePos(g.VertWrapped(k + gn - 1).pos, farPos)) {
        g.InsertVertAt(k, &mPoly.VertAt(nearVert));
      } else {
        continue;
      }
      mPoly.VertAt(nearVert).items.push_back(gi);
      mChanged = true;
    }
  }
}

void Straightener::StraightenFace(int faceIndex) {
  {
    const SimpleFace& f = mPoly.FaceAt(faceIndex);
    if (f.IsTemp() || f.Count() < 3) return;
  }
  // Start after a corner that is not straight, so that a whole straight run is seen
  // from its beginning.
  int start = -1;
  {
    const SimpleFace& f = mPoly.FaceAt(faceIndex);
    const int n = f.Count();
    for (int i = 0; i < n && start < 0; ++i) {
      double in[3], out[3];
      if (!IsStraight(f.VertWrapped(i + n - 1).pos, f.VertAt(i).pos, f.VertWrapped(i + 1).pos, in, out)) start = i;
    }
  }
  if (start < 0) return;
  int i = start + 1;
  int seen = 0;
  while (mBudget-- > 0) {
    const SimpleFace& f = mPoly.FaceAt(faceIndex);
    const int n = f.Count();
    if (n < 3 || seen >= n) break;
    i %= n;
    double a[3], b[3], c[3], in[3], out[3];
    CopyVector(a, f.VertWrapped(i + n - 1).pos);
    CopyVector(b, f.VertAt(i).pos);
    CopyVector(c, f.VertWrapped(i + 1).pos);
    const int32_t bi = f.items[static_cast<size_t>(i)];
    if (!IsStraight(a, b, c, in, out)) {
      ++i;
      ++seen;
      continue;
    }
    const SimpleVert& bv = mPoly.VertAt(bi);
    const bool doubled = SamePos(a, c);
    const bool turnsBack = Dot(in, out) < 0.0;
    const int between = CountFacesWithNeighbours(bv, a, c);
    if (!doubled && !IsZero(in) && !IsZero(out) && bv.CountLiveFaces() != 2 && !turnsBack && (between & 1)) {
      ++i;
      ++seen;
      continue;
    }
    // Drop b from every face in which it lies between a and c.
    const std::vector<int32_t> faces = bv.items;
    int removedBefore = 0;
    bool removedHere = false;
    for (int32_t gi : faces) {
      if (mPoly.FaceAt(gi).IsTemp()) continue;
      for (int k = mPoly.FaceAt(gi).FindItem(bi); k >= 0;) {
        const SimpleFace& g = mPoly.FaceAt(gi);
        if (!NeighboursAre(g, k, a, c)) {
          k = g.FindItem(bi, k);
          continue;
        }
        const int gn = g.Count();
        const int origK = k;
        const int after = (k + 1) % gn;
        if (doubled && gn > 1) {
          // The corner after b returns to a: it goes too.
          RemoveCorner(gi, after);
          if (gi == faceIndex && after < i) ++removedBefore;
          if (after < k) --k;
        }
        RemoveCorner(gi, k);
        if (gi == faceIndex) {
          if (origK < i) ++removedBefore;
          if (origK == i) removedHere = true;
        }
        break;
      }
    }
    if (turnsBack && !doubled && (between & 1)) SplitFacesAlongDoubledBackStretch(faceIndex, bi, a, b, c);
    if (!removedHere) {
      // b could not be removed from this face (it is not between a and c here after
      // all): go on past it.
      ++i;
      ++seen;
      continue;
    }
    i -= removedBefore;
    if (i < 0) i = 0;
  }
}

bool Straightener::Run() {
  mPoly.CreateVertexFaceLists(true);
  for (int fi = 0; fi < mPoly.NumFaces() && mBudget > 0; ++fi) StraightenFace(fi);
  for (int fi = 0; fi < mPoly.NumFaces(); ++fi) {
    SimpleFace& f = mPoly.FaceAt(fi);
    if (!f.IsTemp() && f.Count() > 0 && f.Count() < 3) {
      f.flags |= kSimpleTemp;
      mChanged = true;
    }
  }
  return mChanged;
}

}  // namespace corvia::detail_BlendFaces

namespace corvia {

int CompareFacePlanes(const SimplePoly& poly, int faceA, int faceB) {
  const SimpleFace& a = poly.FaceAt(faceA);
  const SimpleFace& b = poly.FaceAt(faceB);
  double na[3], nb[3];
  CanonicalDirection(na, a.normal, kPointTolerance);
  CanonicalDirection(nb, b.normal, kPointTolerance);
  const int byNormal = CompareWithin(na, nb, kPointTolerance);
  if (byNormal != 0) return byNormal;
  const double da = Dot(na, a.VertAt(0).pos);
  const double db = Dot(na, b.VertAt(0).pos);
  if (da < db - kPointTolerance) return -1;
  if (da > db + kPointTolerance) return 1;
  return faceA < faceB ? -1 : (faceA > faceB ? 1 : 0);
}

bool BlendCoplanarFaces(SimplePoly& poly, uint32_t options, uint8_t* answer, uint32_t* resultFlags) {
  if (resultFlags) *resultFlags = 0;
  poly.CalcFaceNormals(true);

  // Faces without corners or without a plane take no part.
  std::vector<int> order;
  for (int i = 0; i < poly.NumFaces(); ++i) {
    const SimpleFace& f = poly.FaceAt(i);
    if (!f.IsTemp() && f.Count() >= 3 && f.HasNormal()) order.push_back(i);
  }
  MergeSort(order, [&poly](int a, int b) { return CompareFacePlanes(poly, a, b); });

  std::vector<std::vector<int>> groups;
  for (size_t s = 0; s < order.size();) {
    const SimpleFace& first = poly.FaceAt(order[s]);
    const double offset = Dot(first.normal, first.VertAt(0).pos);
    size_t e = s + 1;
    while (e < order.size()) {
      const SimpleFace& f = poly.FaceAt(order[e]);
      const bool parallel = NearlyEqual(first.normal, f.normal, kPointTolerance) || NearlyOpposite(first.normal, f.normal, kPointTolerance);
      if (!parallel || std::fabs(Dot(first.normal, f.VertAt(0).pos) - offset) > kPointTolerance) break;
      ++e;
    }
    if (e - s > 1) {
      std::vector<int> group(order.begin() + static_cast<std::ptrdiff_t>(s),
                             order.begin() + static_cast<std::ptrdiff_t>(e));
      if (detail_BlendFaces::GroupHasSharedEdge(poly, group)) groups.push_back(std::move(group));
    }
    s = e;
  }

  bool changed = false;
  if (!groups.empty()) {
    if (options & kBlendAskUser) {
      if (resultFlags) *resultFlags |= kBlendQuestionShown;
      if (ShowMessageBox(kBoxStyleYesNo | kBoxStyleIconQuestion, "%s",
                         "Some coplanar faces share an edge.\nShall I blend these faces?") != kBoxYes) {
        if (answer) *answer = 0;
        return false;
      }
      if (answer) *answer = 1;
    }
    for (const std::vector<int>& group : groups) {
      detail_BlendFaces::GroupBlender blender(poly, group);
      if (!blender.Build()) continue;
      blender.Write();
      changed = true;
    }
  }

  poly.CreateVertexFaceLists(true);
  if (options & kBlendMergeVerts) {
    const int before = detail_BlendFaces::CountLiveVerts(poly);
    poly.MergeCoincidentVerts();
    changed = changed || detail_BlendFaces::CountLiveVerts(poly) != before;
  }
  changed = detail_BlendFaces::SplitPinchedFaces(poly) || changed;
  detail_BlendFaces::Straightener straightener(poly);
  changed = straightener.Run() || changed;

  if (changed) {
    poly.CreateVertexFaceLists(true);
    for (int i = 0; i < poly.NumVerts(); ++i) {
      SimpleVert& v = poly.VertAt(i);
      if (v.Count() == 0) v.flags |= kSimpleTemp;
    }
  }
  return changed;
}

}  // namespace corvia
