#include "symmetry/RotationAxes.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <utility>
#include <vector>

#include "core/Messages.h"
#include "core/Progress.h"
#include "core/Tolerances.h"
#include "core/VectorMath.h"
#include "symmetry/SimplePoly.h"

namespace corvia {

namespace detail_RotationAxes {

// Grid cells are far wider than the tolerance box, so a box meets at most two
// cells along each coordinate.
constexpr double kMinCellSize = 1e-5;
constexpr double kCellSizeOfExtent = 1e-12;
// A locator's cells are at least this many times as wide as its tolerance: a search
// box then mostly meets one or two cells, each a read at a scattered place in
// memory, instead of the eight that cells of twice the tolerance always give.
constexpr double kLocatorCellOfTolerance = 8.0;
// Where the points lie far apart for the tolerance, the cells are wider still, up to
// this many times the tolerance (a box then mostly meets one cell), as long as they
// stay within kLocatorCellOfSpacing of the distance between points spread evenly
// over the model's bounding sphere, so that a cell still holds about one point.
constexpr double kLocatorWideCellOfTolerance = 32.0;
constexpr double kLocatorCellOfSpacing = 0.125;

const double kIdentity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};

// What a turn's diagonal worked out from its axis may differ by from the diagonal of
// the matrix made from the axis's frame (rounding, some ulps).
constexpr double kTurnDiagonalSlack = 1e-9;

// The flags of a vertex that a locator reads once.
constexpr uint32_t kLocatorKeptFlags = kSimpleTemp | kSimpleInfinite;

bool IsFinite3(const double* p) { return std::isfinite(p[0]) && std::isfinite(p[1]) && std::isfinite(p[2]); }

// Next member of a vertex's coincidence ring (a broken link ends the ring).
int32_t NextCoincVert(const SimplePoly& poly, int32_t i) {
  const int32_t k = poly.VertAt(i).coinc;
  return (k < 0 || k >= poly.NumVerts()) ? i : k;
}

// The vertex at corner `corner` of the face, or -1 when the index is not a vertex.
int32_t CornerVert(const SimplePoly& poly, const SimpleFace& f, int corner) {
  const int32_t v = f.items[static_cast<size_t>(corner)];
  return (v < 0 || v >= poly.NumVerts()) ? -1 : v;
}

void SumPositions(const SimplePoly& poly, const SimpleFace& f, double* out) {
  out[0] = out[1] = out[2] = 0;
  for (int32_t v : f.items) {
    if (v >= 0 && v < poly.NumVerts()) AddTo(out, poly.VertAt(v).pos);
  }
}

// p lies on the line through the origin along d: the component of d largest in
// magnitude (ties to the later) fixes the multiple t, and every component of p
// must lie within the tolerance of t d.
bool OnAxisLine(const double* d, const double* p, double tolerance) {
  const int i = LargestAxis(d);
  if (std::fabs(d[i]) <= kPointTolerance) return true;
  const double t = p[i] / d[i];
  for (int j = 0; j < 3; ++j) {
    if (std::fabs(p[j] - t * d[j]) > tolerance) return false;
  }
  return true;
}

void EnsureRoom(std::vector<int32_t>& buffer, int count, int k) {
  const size_t need = static_cast<size_t>(count) + static_cast<size_t>(k);
  if (buffer.size() < need) buffer.resize(std::max(need, buffer.size() * 2));
}

bool HasAny(uint32_t flags, uint32_t bits) { return (flags & bits) != 0; }

// A test whose orbit buffer holds at least this share (one in so many) of the
// vertices clears its marks in vertex order.
constexpr int kClearInOrderShare = 8;

}  // namespace detail_RotationAxes

// ---- VertexLocator ------------------------------------------------------------------

double VertexLocator::CellSizeFor(double extent) {
  return std::max(detail_RotationAxes::kMinCellSize, extent * detail_RotationAxes::kCellSizeOfExtent);
}

VertexLocator::Positions VertexLocator::ReadPositions(const SimplePoly& poly, double tolerance) {
  namespace d = detail_RotationAxes;
  Positions read;
  read.points.resize(3 * static_cast<size_t>(poly.NumVerts()));
  read.live.reserve(static_cast<size_t>(poly.NumVerts()));
  double extent = 0;
  int finite = 0;
  // A large model's positions and grid take a good part of a second: the window
  // answers along them, and a cancel is left for the caller's next report.
  ProgressTicker tick;
  for (int i = 0; i < poly.NumVerts(); ++i) {
    (void)tick();
    const SimpleVert& v = poly.VertAt(i);
    CopyVector(&read.points[3 * static_cast<size_t>(i)], v.pos);
    if (v.IsTemp()) continue;
    if (v.IsInfinite()) read.infinite.push_back(i);
    read.live.push_back(i);
    if (!d::IsFinite3(v.pos)) continue;
    ++finite;
    for (double c : v.pos) extent = std::max(extent, std::fabs(c));
  }
  // Points spread evenly over the sphere of radius extent lie about this far apart.
  const double spacing = finite > 0 ? extent * std::sqrt(4 * M_PI / finite) : 0;
  const double wide = std::min(d::kLocatorWideCellOfTolerance * tolerance, d::kLocatorCellOfSpacing * spacing);
  read.cellSize = std::max({CellSizeFor(extent), d::kLocatorCellOfTolerance * tolerance, wide});
  return read;
}

VertexLocator::VertexLocator(const SimplePoly& poly, double tolerance)
    : mPoly(poly),
      mTolerance(tolerance),
      mPositions(ReadPositions(poly, tolerance)),
      mGrid(mPositions.cellSize, PackedPositions{mPositions.points.data()}) {
  ProgressTicker tick;
  mGrid.Reserve(mPositions.live.size());
  for (int32_t i : mPositions.live) {
    (void)tick();
    mGrid.Add(i);
  }
  mInfinite.assign(static_cast<size_t>(poly.NumVerts()), 0);
  for (int32_t i : mPositions.infinite) mInfinite[static_cast<size_t>(i)] = 1;
  (void)ProgressTick();
  mGrid.Finish();
  (void)ProgressTick();
  mPositions = Positions();
}

int32_t VertexLocator::FindFirst(const double* p, uint32_t excludeFlags, double* at) const {
  int32_t best = -1;
  const double* bestAt = nullptr;
  const bool readFlags = (excludeFlags & ~detail_RotationAxes::kLocatorKeptFlags) != 0;
  const bool noInfinite = (excludeFlags & kSimpleInfinite) != 0;
  mGrid.ForEachWithin(p, mTolerance, [&](int32_t i, const double* q) {
    if (readFlags) {
      const SimpleVert& v = mPoly.VertAt(i);
      if ((v.flags & excludeFlags) || v.IsTemp()) return;
    } else if (noInfinite && mInfinite[static_cast<size_t>(i)]) {
      return;
    }
    if (best < 0 || i < best) {
      best = i;
      bestAt = q;
    }
  });
  if (at && bestAt) CopyVector(at, bestAt);
  return best;
}

bool VertexLocator::AnyWithin(const double* p, double tol) const {
  bool any = false;
  mGrid.ForEachWithin(p, tol, [&](int32_t i) { any = any || !mPoly.VertAt(i).IsTemp(); });
  return any;
}

// ---- VertexPieces -----------------------------------------------------------------

VertexPieces::VertexPieces(const SimplePoly& poly) {
  const size_t nv = static_cast<size_t>(poly.NumVerts());
  std::vector<int32_t> root(nv);
  for (size_t i = 0; i < nv; ++i) root[i] = static_cast<int32_t>(i);
  auto find = [&root](int32_t v) {
    while (root[static_cast<size_t>(v)] != v) {
      root[static_cast<size_t>(v)] = root[static_cast<size_t>(root[static_cast<size_t>(v)])];
      v = root[static_cast<size_t>(v)];
    }
    return v;
  };
  ProgressTicker tick;
  for (int f = 0; f < poly.NumFaces(); ++f) {
    (void)tick();
    const SimpleFace& face = poly.FaceAt(f);
    int32_t first = -1;
    for (int32_t v : face.items) {
      if (v < 0 || static_cast<size_t>(v) >= nv) continue;
      if (first < 0) {
        first = find(v);
        continue;
      }
      const int32_t r = find(v);
      if (r == first) continue;
      // The lower root stays.
      if (r < first) {
        root[static_cast<size_t>(first)] = r;
        first = r;
      } else {
        root[static_cast<size_t>(r)] = first;
      }
    }
  }
  // Pieces in the order of their lowest vertex, each in index order.
  std::vector<int32_t> pieceOf(nv, -1);
  std::vector<int32_t> size;
  for (size_t i = 0; i < nv; ++i) {
    (void)tick();
    const int32_t r = find(static_cast<int32_t>(i));
    if (pieceOf[static_cast<size_t>(r)] < 0) {
      pieceOf[static_cast<size_t>(r)] = static_cast<int32_t>(size.size());
      size.push_back(0);
    }
    ++size[static_cast<size_t>(pieceOf[static_cast<size_t>(r)])];
  }
  mStart.resize(size.size() + 1, 0);
  for (size_t p = 0; p < size.size(); ++p) mStart[p + 1] = mStart[p] + size[p];
  std::vector<int32_t> next(mStart.begin(), mStart.end() - 1);
  mVerts.resize(nv);
  for (size_t i = 0; i < nv; ++i) {
    (void)tick();
    const int32_t piece = pieceOf[static_cast<size_t>(find(static_cast<int32_t>(i)))];
    mVerts[static_cast<size_t>(next[static_cast<size_t>(piece)]++)] = static_cast<int32_t>(i);
  }
}

// ---- Helpers ------------------------------------------------------------------------

int CompareHeightRadius(const double* heightRadius, int32_t a, int32_t b, double tolerance) {
  const double* ha = heightRadius + 2 * static_cast<size_t>(a);
  const double* hb = heightRadius + 2 * static_cast<size_t>(b);
  for (int j = 0; j < 2; ++j) {
    if (ha[j] < hb[j] - tolerance) return -1;
    if (ha[j] > hb[j] + tolerance) return 1;
  }
  return a < b ? -1 : (a > b ? 1 : 0);
}

void SumCentroidsOfRing(const SimpleVert& v, double* out) {
  namespace d = detail_RotationAxes;
  out[0] = out[1] = out[2] = 0;
  const SimplePoly& poly = *v.owner;
  for (int32_t f : v.items) {
    if (f < 0 || f >= poly.NumFaces()) continue;
    const SimpleFace& face = poly.FaceAt(f);
    if (face.Count() < 1) continue;
    double sum[3];
    d::SumPositions(poly, face, sum);
    Divide(sum, sum, face.Count());
    AddTo(out, sum);
  }
}

RingCentroidSums::RingCentroidSums(const SimplePoly& poly) {
  namespace d = detail_RotationAxes;
  // Each face's centroid once, then the sums in the order of each vertex's list, as
  // SumCentroidsOfRing adds them.
  // The window answers along a large model's faces and vertices; a cancel is left for
  // the caller's next report.
  ProgressTicker tick;
  std::vector<double> centroids(3 * static_cast<size_t>(poly.NumFaces()), 0.0);
  for (int f = 0; f < poly.NumFaces(); ++f) {
    (void)tick();
    const SimpleFace& face = poly.FaceAt(f);
    if (face.Count() < 1) continue;
    double* c = &centroids[3 * static_cast<size_t>(f)];
    d::SumPositions(poly, face, c);
    Divide(c, c, face.Count());
  }
  mSums.assign(3 * static_cast<size_t>(poly.NumVerts()), 0.0);
  for (int v = 0; v < poly.NumVerts(); ++v) {
    (void)tick();
    double* out = &mSums[3 * static_cast<size_t>(v)];
    for (int32_t f : poly.VertAt(v).items) {
      if (f < 0 || f >= poly.NumFaces() || poly.FaceAt(f).Count() < 1) continue;
      AddTo(out, &centroids[3 * static_cast<size_t>(f)]);
    }
  }
}

namespace detail_RotationAxes {

void RingSum(const SimpleVert& v, const RingCentroidSums* rings, double* out) {
  if (rings) {
    CopyVector(out, rings->Of(v.GetIndex()));
  } else {
    SumCentroidsOfRing(v, out);
  }
}

}  // namespace detail_RotationAxes

// ---- The orbit checks ------------------------------------------------------------------

bool CheckOrbit(SimplePoly& poly, int k, const double* m, const int32_t* block, double tolerance) {
  const SimpleVert& first = poly.VertAt(block[0]);
  double p[3];
  CopyVector(p, first.pos);
  for (int j = 1; j < k; ++j) {
    MatrixTimesVector(m, p, p);
    const SimpleVert& v = poly.VertAt(block[j]);
    if (v.Count() != first.Count()) return false;
    if (!NearlyEqual(v.pos, p, tolerance)) return false;
  }
  for (int j = 0; j < k; ++j) poly.VertAt(block[j]).flags |= kSimpleDone;
  return true;
}

bool TestForSymmetry(SimplePoly& poly, int k, const double* m, std::vector<int32_t>& buffer, int start, int& count,
                     const SymmetryMatch& match, const RingCentroidSums* rings) {
  namespace d = detail_RotationAxes;
  const int32_t v0 = buffer[static_cast<size_t>(start)];
  if (k < 2 || d::NextCoincVert(poly, v0) == v0)
    return TestForSymmetryR(poly, k, m, buffer, start, count, match, rings);
  // Several vertices share the first one's place: each entry is chosen among the
  // vertices at its place by the faces round it, so two different vertices at one
  // place keep their own orbits.
  double p[3], a[9];
  CopyVector(p, poly.VertAt(v0).pos);
  std::copy(d::kIdentity, d::kIdentity + 9, a);
  for (int j = 1; j < k; ++j) {
    MatrixTimesVector(m, p, p);
    int32_t& entry = buffer[static_cast<size_t>(start + j)];
    if (!NearlyEqual(poly.VertAt(entry).pos, p, match.position)) return false;
    double next[9];
    MatrixTimesMatrix(next, a, m);
    std::copy(next, next + 9, a);
    int32_t found = -1;
    int32_t member = entry;
    for (int steps = 0; steps <= poly.NumVerts(); ++steps) {
      const SimpleVert& cand = poly.VertAt(member);
      if (!d::HasAny(cand.flags, kSimpleDone | kSimpleTemp) &&
          poly.FaceSetMatches(poly.VertAt(v0), cand, p, a, match)) {
        found = member;
        break;
      }
      member = d::NextCoincVert(poly, member);
      if (member == entry) break;
    }
    if (found < 0) return false;
    entry = found;
  }
  return TestForSymmetryR(poly, k, m, buffer, start, count, match, rings);
}

namespace detail_RotationAxes {

// Every face of vertex v (the first entry of a block) must have its image at the
// block's entry j, for each j; found images and the face are marked Done.
bool CheckFacesOfBlock(SimplePoly& poly, int k, const double* m, const std::vector<int32_t>& buffer, int b,
                       const SymmetryMatch& match) {
  const int32_t v = buffer[static_cast<size_t>(b)];
  const int nf = poly.VertAt(v).Count();
  for (int fi = 0; fi < nf; ++fi) {
    const int32_t fIdx = poly.VertAt(v).items[static_cast<size_t>(fi)];
    SimpleFace& f = poly.FaceAt(fIdx);
    if (HasAny(f.flags, kSimpleDone)) continue;
    double n[3], p[3], a[9];
    CopyVector(n, f.normal);
    const int32_t first = f.Count() > 0 ? CornerVert(poly, f, 0) : -1;
    if (first >= 0) {
      CopyVector(p, poly.VertAt(first).pos);
    } else {
      p[0] = p[1] = p[2] = 0;
    }
    std::copy(kIdentity, kIdentity + 9, a);
    for (int j = 1; j < k; ++j) {
      MatrixTimesVector(m, n, n);
      MatrixTimesVector(m, p, p);
      double next[9];
      MatrixTimesMatrix(next, a, m);
      std::copy(next, next + 9, a);
      const int32_t vj = buffer[static_cast<size_t>(b + j)];
      bool matched = false;
      int32_t member = vj;
      for (int steps = 0; steps <= poly.NumVerts() && !matched; ++steps) {
        const SimpleVert& mv = poly.VertAt(member);
        for (int32_t g : mv.items) {
          SimpleFace& gf = poly.FaceAt(g);
          if (f.MatchFace(gf, n, p, a, nullptr, match)) {
            gf.flags |= kSimpleDone;
            matched = true;
            break;
          }
        }
        member = NextCoincVert(poly, member);
        if (member == vj) break;
      }
      if (!matched) return false;
    }
    f.flags |= kSimpleDone;
  }
  return true;
}

// The image of neighbour w of the block's first vertex (reached through face f)
// at the block's entry vj, after rotating the reference values by m^j: n the face
// normal, c its vertex sum, p w's position, s w's centroid sum. -1 when none.
int32_t FindNeighbourImage(SimplePoly& poly, const SimpleFace& f, int32_t w, int32_t vj, const double* n,
                           const double* c, const double* p, const double* s, const SymmetryMatch& match,
                           const RingCentroidSums* rings, bool& broken) {
  const SimpleVert& wv = poly.VertAt(w);
  const SimpleVert& jv = poly.VertAt(vj);
  for (int32_t g : jv.items) {
    const SimpleFace& gf = poly.FaceAt(g);
    if (gf.Count() != f.Count()) continue;
    if (!NearlyEqual(gf.normal, n, match.normal) && !NearlyOpposite(gf.normal, n, match.normal)) continue;
    double sum[3];
    SumPositions(poly, gf, sum);
    if (!NearlyEqual(sum, c, match.Sum(gf.Count()))) continue;
    const int cnt = gf.Count();
    for (int occ = gf.FindItem(vj, -1); occ >= 0; occ = gf.FindItem(vj, occ)) {
      for (int step : {-1, 1}) {
        const int32_t cand = CornerVert(poly, gf, WrapIndex(occ, step, cnt));
        if (cand < 0) {
          ShowInternalError("%s", step < 0 ? "TestForSymmetryR: adj NULL (dec)" : "TestForSymmetryR: adj NULL (inc)");
          broken = true;
          return -1;
        }
        const SimpleVert& cv = poly.VertAt(cand);
        if (cv.Count() != wv.Count() || !NearlyEqual(cv.pos, p, match.position)) continue;
        double cs[3];
        RingSum(cv, rings, cs);
        if (NearlyEqual(cs, s, std::max(kAxisTolerance, match.Sum(cv.Count())))) return cand;
      }
    }
  }
  return -1;
}

}  // namespace detail_RotationAxes

bool TestForSymmetryR(SimplePoly& poly, int k, const double* m, std::vector<int32_t>& buffer, int start, int& count,
                      const SymmetryMatch& match, const RingCentroidSums* rings) {
  namespace d = detail_RotationAxes;
  if (!CheckOrbit(poly, k, m, &buffer[static_cast<size_t>(start)], match.position)) return false;
  // The spread from one orbit may reach every vertex of a large model, which takes a
  // good part of a second: the window answers every so many orbits, and after a
  // cancel the test fails at once (the search that asked for it is dropped).
  int orbits = 0;
  for (int b = start; b < count; b += k) {
    if (++orbits % static_cast<int>(ProgressTicker::kPasses) == 0 && !ProgressTick()) return false;
    if (!d::CheckFacesOfBlock(poly, k, m, buffer, b, match)) return false;
    const int32_t v = buffer[static_cast<size_t>(b)];
    const int nf = poly.VertAt(v).Count();
    for (int fi = 0; fi < nf; ++fi) {
      const int32_t fIdx = poly.VertAt(v).items[static_cast<size_t>(fi)];
      const SimpleFace& f = poly.FaceAt(fIdx);
      const int cnt = f.Count();
      for (int occ = f.FindItem(v, -1); occ >= 0; occ = f.FindItem(v, occ)) {
        for (int step : {-1, 1}) {
          const int32_t w = d::CornerVert(poly, f, WrapIndex(occ, step, cnt));
          if (w < 0) {
            ShowInternalError("TestForSymmetryR: firstAdj NULL (vertex %d, face %d of %d)", v, fi, nf);
            return false;
          }
          if (d::HasAny(poly.VertAt(w).flags, kSimpleDone)) continue;
          double n[3], c[3], p[3], s[3];
          CopyVector(n, f.normal);
          d::SumPositions(poly, f, c);
          CopyVector(p, poly.VertAt(w).pos);
          d::RingSum(poly.VertAt(w), rings, s);
          d::EnsureRoom(buffer, count, k);
          buffer[static_cast<size_t>(count)] = w;
          bool complete = true;
          for (int j = 1; j < k; ++j) {
            MatrixTimesVector(m, n, n);
            MatrixTimesVector(m, c, c);
            MatrixTimesVector(m, p, p);
            MatrixTimesVector(m, s, s);
            bool broken = false;
            const int32_t img =
                d::FindNeighbourImage(poly, f, w, buffer[static_cast<size_t>(b + j)], n, c, p, s, match, rings, broken);
            if (broken) return false;
            if (img < 0 || d::HasAny(poly.VertAt(img).flags, kSimpleDone)) {
              complete = false;
              break;
            }
            buffer[static_cast<size_t>(count + j)] = img;
          }
          if (complete && CheckOrbit(poly, k, m, &buffer[static_cast<size_t>(count)], match.position)) count += k;
        }
      }
    }
  }
  return true;
}

bool MatchPlaneFaceOrbits(SimplePoly& poly, const double* /*axis*/, int k, const double* m,
                          const SymmetryMatch& match) {
  namespace d = detail_RotationAxes;
  if (!(poly.flags & kSimpleHasPlaneFaces) || poly.NumFaces() == 0) return true;
  std::vector<int32_t> planes;
  for (int i = 0; i < poly.NumFaces(); ++i) {
    const SimpleFace& f = poly.FaceAt(i);
    if (f.Count() < 1 && !f.IsTemp()) planes.push_back(i);
  }
  if (planes.empty()) return true;
  std::vector<int32_t> blocks;
  for (size_t a = 0; a < planes.size(); ++a) {
    SimpleFace& f = poly.FaceAt(planes[a]);
    if (d::HasAny(f.flags, kSimpleDone)) continue;
    blocks.push_back(planes[a]);
    f.flags |= kSimpleDone;
    const uint32_t central = f.flags & kSimpleCentralPlane;
    double n[3];
    CopyVector(n, f.normal);
    for (int j = 1; j < k; ++j) {
      MatrixTimesVector(m, n, n);
      int32_t found = -1;
      for (size_t b = a; b < planes.size(); ++b) {
        const SimpleFace& g = poly.FaceAt(planes[b]);
        if (d::HasAny(g.flags, kSimpleDone) || (g.flags & kSimpleCentralPlane) != central) continue;
        if (NearlyEqual(g.normal, n, match.position)) {
          found = planes[b];
          break;
        }
      }
      if (found < 0) return false;
      poly.FaceAt(found).flags |= kSimpleDone;
      blocks.push_back(found);
    }
  }
  for (size_t b = 0; b + static_cast<size_t>(k) <= blocks.size(); b += static_cast<size_t>(k)) {
    for (int j = 1; j < k; ++j) poly.FaceAt(blocks[b]).JoinTypeRing(poly.FaceAt(blocks[b + static_cast<size_t>(j)]));
  }
  return true;
}

bool AxisTurnMatrix(const double* axis, int k, double* m) {
  double u[3], w[3], v[3];
  const double len = std::sqrt(Dot(axis, axis));
  if (!(len > 0)) return false;
  Divide(u, axis, len);
  PerpendicularByAxis(w, u);
  Divide(w, w, std::sqrt(Dot(w, w)));
  Cross(v, u, w);
  double basis[9], basisT[9], turn[9], tmp[9];
  MatrixFromColumns(basis, w, v, u);
  MatrixFromRows(basisT, w, v, u);
  AxisRotationMatrixExact(turn, 2, 1, k);
  MatrixTimesMatrix(tmp, turn, basisT);
  MatrixTimesMatrix(m, basis, tmp);
  return true;
}

RotationClosure::RotationClosure(double tolerance) : mTolerance(tolerance) {
  namespace d = detail_RotationAxes;
  Matrix identity;
  std::copy(d::kIdentity, d::kIdentity + 9, identity.begin());
  mElements.push_back(identity);
}

bool RotationClosure::Contains(const double* m) const {
  if (mGaveUp) return false;
  for (const Matrix& e : mElements) {
    bool same = true;
    for (int j = 0; j < 9 && same; ++j) same = std::fabs(e[static_cast<size_t>(j)] - m[j]) <= mTolerance;
    if (same) return true;
  }
  return false;
}

bool RotationClosure::MayContainTurn(const double* dir, int k) const {
  namespace d = detail_RotationAxes;
  if (mGaveUp) return false;
  const double length = std::sqrt(Dot(dir, dir));
  if (!(length > 0) || k < 1) return true;
  // Entry i of the diagonal of the turn by angle a about the unit axis u is
  // cos a + (1 - cos a) u_i^2; the matrix made from its frame differs from that by
  // rounding alone, far less than the slack.
  const double c = std::cos(2 * M_PI / k);
  double diagonal[3];
  for (int i = 0; i < 3; ++i) {
    const double u = dir[i] / length;
    diagonal[i] = c + (1 - c) * u * u;
  }
  const double reach = mTolerance + d::kTurnDiagonalSlack;
  for (const Matrix& e : mElements) {
    if (std::fabs(e[0] - diagonal[0]) <= reach && std::fabs(e[4] - diagonal[1]) <= reach &&
        std::fabs(e[8] - diagonal[2]) <= reach) {
      return true;
    }
  }
  return false;
}

void RotationClosure::AddGenerator(const double* m) {
  if (mGaveUp || Contains(m)) return;
  Matrix g;
  std::copy(m, m + 9, g.begin());
  mGenerators.push_back(g);
  // Every product of generators, breadth first from the identity.
  mElements.resize(1);
  for (size_t i = 0; i < mElements.size(); ++i) {
    for (const Matrix& gen : mGenerators) {
      Matrix product;
      MatrixTimesMatrix(product.data(), mElements[i].data(), gen.data());
      if (Contains(product.data())) continue;
      if (static_cast<int>(mElements.size()) >= kMaxRotations) {
        mGaveUp = true;
        mElements.clear();
        return;
      }
      mElements.push_back(product);
    }
  }
}

namespace detail_RotationAxes {

// The orbits of the candidate's own vertices under the k-fold turn m (the face's
// corners in k blocks of n / k, or the vertex and its edge's far end, or the vertex);
// false when the turn does not carry them round.
bool TestCandidateOrbits(SimplePoly& poly, const SimpleFace* face, const SimpleVert* vert, int edge, const double* m,
                         int n, int k, std::vector<int32_t>& buffer, int& count, const SymmetryMatch& match,
                         const RingCentroidSums* rings) {
  const int q = n / k;
  const int nv = poly.NumVerts();
  for (int i = 0; i < q; ++i) {
    EnsureRoom(buffer, count, k);
    int32_t* block = &buffer[static_cast<size_t>(count)];
    if (edge >= 0) {
      if (i > 0 || !face || !vert || face->Count() < 1) break;
      block[0] = vert->GetIndex();
      block[1] = face->items[static_cast<size_t>((edge + 1) % face->Count())];
      for (int j = 2; j < k; ++j) block[j] = block[1];
    } else if (!face) {
      if (i > 0 || !vert) break;
      for (int j = 0; j < k; ++j) block[j] = vert->GetIndex();
    } else {
      if (face->Count() < n) return false;
      for (int j = 0; j < k; ++j) block[j] = face->items[static_cast<size_t>(i + j * q)];
    }
    for (int j = 0; j < k; ++j) {
      if (block[j] < 0 || block[j] >= nv || poly.VertAt(block[j]).IsTemp()) return false;
    }
    if (HasAny(poly.VertAt(block[0]).flags, kSimpleDone)) continue;
    const int start = count;
    count += k;
    if (!TestForSymmetry(poly, k, m, buffer, start, count, match, rings)) return false;
  }
  return true;
}

}  // namespace detail_RotationAxes

bool TestAxisRotations(SimplePoly& poly, const SimpleFace* face, const SimpleVert* vert, int edge, const double* axis,
                       double* m, int n, int k, std::vector<int32_t>& buffer, int& count, const VertexLocator& locator,
                       const SymmetryMatch& match, const VertexPieces* pieces, const RingCentroidSums* rings) {
  namespace d = detail_RotationAxes;
  if (k < 1 || n < 1) return false;
  const int q = n / k;
  if (!AxisTurnMatrix(axis, k, m)) return false;
  if (q * k != n) return false;

  // The candidate's own vertices come first: the rotation must carry them round.
  if (!d::TestCandidateOrbits(poly, face, vert, edge, m, n, k, buffer, count, match, rings)) return false;
  const int nv = poly.NumVerts();

  // Sweep: every vertex not reached yet starts an orbit of its own, in order of
  // height along the axis and distance from the centre. The spread from a vertex
  // reaches (nearly) all of its piece, so the next start is the lowest vertex left
  // among the lowest of each piece: a heap of the pieces by their lowest vertex not
  // reached, each piece read again only when its vertex is taken or reached.
  std::unique_ptr<VertexPieces> ownPieces;
  if (!pieces) {
    ownPieces = std::make_unique<VertexPieces>(poly);
    pieces = ownPieces.get();
  }
  // The height and squared radius of every vertex left, held for this sweep only.
  std::vector<double> heightRadius(2 * static_cast<size_t>(nv));
  for (int i = 0; i < nv; ++i) {
    const SimpleVert& p = poly.VertAt(i);
    if (d::HasAny(p.flags, kSimpleDone | kSimpleTemp)) continue;
    heightRadius[2 * static_cast<size_t>(i)] = Dot(p.pos, axis);
    heightRadius[2 * static_cast<size_t>(i) + 1] = Dot(p.pos, p.pos);
  }
  // A large model takes a while: the progress window answers every so many vertices,
  // and after a cancel the test fails at once (the search that asked for it is
  // dropped).
  ProgressTicker tick;
  bool cancelled = false;
  auto lowestLeft = [&](int piece) {
    int32_t lowest = -1;
    for (const int32_t* v = pieces->begin(piece); v != pieces->end(piece); ++v) {
      if (!tick()) cancelled = true;
      const SimpleVert& p = poly.VertAt(*v);
      if (d::HasAny(p.flags, kSimpleDone | kSimpleTemp)) continue;
      if (lowest < 0 || CompareHeightRadius(heightRadius.data(), *v, lowest, match.position) < 0) lowest = *v;
    }
    return lowest;
  };
  using Start = std::pair<int32_t, int>;  // the lowest vertex left, its piece
  auto later = [&heightRadius, &match](const Start& a, const Start& b) {
    return CompareHeightRadius(heightRadius.data(), a.first, b.first, match.position) > 0;
  };
  std::vector<Start> heap;
  for (int piece = 0; piece < pieces->Count(); ++piece) {
    const int32_t lowest = lowestLeft(piece);
    if (lowest >= 0) heap.emplace_back(lowest, piece);
  }
  std::make_heap(heap.begin(), heap.end(), later);
  auto requeue = [&heap, &later, &lowestLeft](int piece) {
    const int32_t lowest = lowestLeft(piece);
    if (lowest < 0) return;
    heap.emplace_back(lowest, piece);
    std::push_heap(heap.begin(), heap.end(), later);
  };
  while (!heap.empty()) {
    if (cancelled) return false;
    std::pop_heap(heap.begin(), heap.end(), later);
    const int32_t pi = heap.back().first;
    const int piece = heap.back().second;
    heap.pop_back();
    const SimpleVert& p = poly.VertAt(pi);
    if (d::HasAny(p.flags, kSimpleDone | kSimpleTemp)) {
      requeue(piece);
      continue;
    }
    d::EnsureRoom(buffer, count, k);
    int32_t* block = &buffer[static_cast<size_t>(count)];
    block[0] = pi;
    if (d::OnAxisLine(axis, p.pos, match.position)) {
      for (int j = 1; j < k; ++j) block[j] = pi;
    } else {
      // The images are looked up by position over the whole tolerance window.
      double img[3];
      CopyVector(img, p.pos);
      for (int j = 1; j < k; ++j) {
        MatrixTimesVector(m, img, img);
        const int32_t b = locator.FindFirst(img, kSimpleDone | kSimpleTemp);
        if (b < 0 || b == pi) return false;
        block[j] = b;
      }
    }
    const int start = count;
    count += k;
    if (!TestForSymmetry(poly, k, m, buffer, start, count, match, rings)) return false;
    requeue(piece);
  }
  if (cancelled) return false;
  return MatchPlaneFaceOrbits(poly, axis, k, m, match);
}

bool TestAxisAndCombineSameTypes(SimplePoly& poly, const SimpleFace* face, const SimpleVert* vert, int edge,
                                 const double* axis, int n, int k, std::vector<int32_t>& buffer,
                                 const VertexLocator* locator, const SymmetryMatch& match, const VertexPieces* pieces,
                                 const RingCentroidSums* rings) {
  namespace d = detail_RotationAxes;
  std::unique_ptr<VertexLocator> own;
  if (!locator) {
    own = std::make_unique<VertexLocator>(poly, match.position);
    locator = own.get();
  }
  int count = 0;
  double m[9];
  const bool ok =
      TestAxisRotations(poly, face, vert, edge, axis, m, n, k, buffer, count, *locator, match, pieces, rings);
  if (ok) {
    ProgressTicker tick;
    for (int b = 0; b + k <= count; b += k) {
      (void)tick();
      const int32_t v0 = buffer[static_cast<size_t>(b)];
      const int nf = poly.VertAt(v0).Count();
      for (int fi = 0; fi < nf; ++fi) {
        SimpleFace& f0 = poly.FaceAt(poly.VertAt(v0).items[static_cast<size_t>(fi)]);
        if (d::HasAny(f0.flags, kSimpleMark2)) continue;
        f0.flags |= kSimpleMark2;
        double nn[3], p[3], a[9];
        CopyVector(nn, f0.normal);
        const int32_t firstCorner = f0.Count() > 0 ? d::CornerVert(poly, f0, 0) : -1;
        if (firstCorner >= 0) {
          CopyVector(p, poly.VertAt(firstCorner).pos);
        } else {
          p[0] = p[1] = p[2] = 0;
        }
        std::copy(d::kIdentity, d::kIdentity + 9, a);
        for (int j = 0; j < k; ++j) {
          const int32_t vj = buffer[static_cast<size_t>(b + j)];
          int32_t prev = j == 0 ? f0.GetIndex() : -1;
          // Faces that meet the same image lie in one place, whether they share the
          // vertex there or each has a copy of its own at that point.
          int32_t v = vj;
          for (int copies = 0; copies < poly.NumVerts(); ++copies) {
            const int ng = poly.VertAt(v).Count();
            for (int gi = 0; gi < ng; ++gi) {
              SimpleFace& g = poly.FaceAt(poly.VertAt(v).items[static_cast<size_t>(gi)]);
              if (d::HasAny(g.flags, kSimpleMark2)) continue;
              if (!f0.MatchFace(g, nn, p, a, nullptr, match)) continue;
              if (prev >= 0) poly.FaceAt(prev).JoinCoinc(g);
              g.flags |= kSimpleMark2;
              f0.JoinTypeRing(g);
              prev = g.GetIndex();
            }
            v = d::NextCoincVert(poly, v);
            if (v == vj) break;
          }
          MatrixTimesVector(m, nn, nn);
          MatrixTimesVector(m, p, p);
          double next[9];
          MatrixTimesMatrix(next, a, m);
          std::copy(next, next + 9, a);
        }
      }
      for (int j = 1; j < k; ++j) poly.VertAt(v0).JoinTypeRing(poly.VertAt(buffer[static_cast<size_t>(b + j)]));
    }
  }
  // Every mark of the test sits on a vertex of the orbit buffer, on a vertex
  // coincident with one, or on their faces (plane faces aside), so a test that
  // stops early clears only what it touched instead of the whole model.
  const uint32_t marks = kSimpleDone | kSimpleMark2;
  if (poly.flags & kSimpleHasPlaneFaces) {
    poly.ClearAllFlags(marks);
    return ok;
  }
  const int nv = poly.NumVerts();
  auto clearFrom = [&](int32_t start) {
    if (start < 0 || start >= nv) return;
    int32_t v = start;
    for (int steps = 0; steps <= nv; ++steps) {
      SimpleVert& vert = poly.VertAt(v);
      vert.flags &= ~marks;
      for (int32_t f : vert.items) poly.FaceAt(f).flags &= ~marks;
      v = d::NextCoincVert(poly, v);
      if (v == start) break;
    }
  };
  const int used = std::min(count, static_cast<int>(buffer.size()));
  if (used < nv / d::kClearInOrderShare) {
    for (int b = 0; b < used; ++b) clearFrom(buffer[static_cast<size_t>(b)]);
    return ok;
  }
  // A test that reached much of the model clears in the order of the vertices, not
  // the order it reached them: the records are then read one after another.
  std::vector<uint8_t> reached(static_cast<size_t>(nv), 0);
  for (int b = 0; b < used; ++b) {
    const int32_t v = buffer[static_cast<size_t>(b)];
    if (v >= 0 && v < nv) reached[static_cast<size_t>(v)] = 1;
  }
  for (int32_t v = 0; v < nv; ++v) {
    if (reached[static_cast<size_t>(v)]) clearFrom(v);
  }
  return ok;
}

}  // namespace corvia
