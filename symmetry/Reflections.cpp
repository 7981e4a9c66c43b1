#include "symmetry/Reflections.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <unordered_map>
#include <vector>

#include "core/Messages.h"
#include "core/Progress.h"
#include "core/Tolerances.h"
#include "core/VectorMath.h"
#include "symmetry/GroupAlignment.h"
#include "symmetry/RotationAxes.h"
#include "symmetry/SimplePoly.h"
#include "symmetry/SymGroup.h"

namespace corvia {

namespace detail_Reflections {

constexpr double kPi = 3.14159265358979323846;
const double kIdentity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};

bool Normalise(double* v) {
  const double len = std::sqrt(Dot(v, v));
  if (!(len > kPointTolerance) || !std::isfinite(len)) return false;
  Divide(v, v, len);
  return true;
}

// Rotation about the unit axis u: B R B^T with B = (w, v, u) a frame round u and R
// the rotation about z, either by i/n of a turn (exact) or by an angle.
void AxisFrame(double* basis, double* basisT, const double* u) {
  double w[3], v[3];
  PerpendicularByAxis(w, u);
  Normalise(w);
  Cross(v, u, w);
  MatrixFromColumns(basis, w, v, u);
  MatrixFromRows(basisT, w, v, u);
}

void TurnAboutAxis(double* m, const double* u, int i, int n) {
  double basis[9], basisT[9], r[9], tmp[9];
  AxisFrame(basis, basisT, u);
  AxisRotationMatrixExact(r, 2, i, n);
  MatrixTimesMatrix(tmp, r, basisT);
  MatrixTimesMatrix(m, basis, tmp);
}

void AngleAboutAxis(double* m, const double* u, double angle) {
  double basis[9], basisT[9], r[9], tmp[9];
  AxisFrame(basis, basisT, u);
  AxisRotationMatrix(r, 2, angle);
  MatrixTimesMatrix(tmp, r, basisT);
  MatrixTimesMatrix(m, basis, tmp);
}

int32_t NextCoinc(const SimplePoly& poly, int32_t i) {
  const int32_t k = poly.VertAt(i).coinc;
  return (k < 0 || k >= poly.NumVerts()) ? i : k;
}

template <typename Visit>
void ForCoincRing(const SimplePoly& poly, int32_t start, Visit visit) {
  int32_t k = start;
  for (int steps = 0; steps <= poly.NumVerts(); ++steps) {
    visit(k);
    k = NextCoinc(poly, k);
    if (k == start) break;
  }
}

template <typename Rec, typename Visit>
void ForTypeRing(int count, Rec at, int32_t start, Visit visit) {
  int32_t k = start;
  for (int steps = 0; steps <= count; ++steps) {
    visit(k);
    const int32_t next = at(k).nextOfType;
    if (next < 0 || next >= count || next == start) break;
    k = next;
  }
}

void Centroid(const SimplePoly& poly, const SimpleFace& f, double* out) {
  out[0] = out[1] = out[2] = 0;
  int n = 0;
  for (int32_t v : f.items) {
    if (v < 0 || v >= poly.NumVerts()) continue;
    AddTo(out, poly.VertAt(v).pos);
    ++n;
  }
  if (n > 0) Divide(out, out, n);
}

// Some occurrence of vertex y in g has a corner at position p next to it.
bool HasNeighbourAt(const SimplePoly& poly, const SimpleFace& g, int32_t y, const double* p, double tolerance) {
  const int n = g.Count();
  for (int occ = g.FindItem(y, -1); occ >= 0; occ = g.FindItem(y, occ)) {
    for (int step : {1, -1}) {
      const int32_t c = g.items[static_cast<size_t>(WrapIndex(occ, step, n))];
      if (c >= 0 && c < poly.NumVerts() && NearlyEqual(poly.VertAt(c).pos, p, tolerance)) return true;
    }
  }
  return false;
}

// Every face of vertex x has its image under q among the faces of vertex y: the same
// number of corners, the centroid at the image of x's face's centroid, and the images
// of x's neighbours in the face next to y.
bool FacesHaveImagesAt(const SimplePoly& poly, int32_t x, int32_t y, const double* q, double tolerance) {
  for (int32_t fi : poly.VertAt(x).items) {
    const SimpleFace& f = poly.FaceAt(fi);
    const int occ = f.FindItem(x, -1);
    if (occ < 0) continue;
    double c[3], qa[3], qb[3];
    Centroid(poly, f, c);
    MatrixTimesVector(q, c, c);
    const int32_t after = f.items[static_cast<size_t>(WrapIndex(occ, 1, f.Count()))];
    const int32_t before = f.items[static_cast<size_t>(WrapIndex(occ, -1, f.Count()))];
    MatrixTimesVector(q, qa, poly.VertAt(after).pos);
    MatrixTimesVector(q, qb, poly.VertAt(before).pos);
    bool partner = false;
    for (int32_t gi : poly.VertAt(y).items) {
      const SimpleFace& g = poly.FaceAt(gi);
      if (g.Count() != f.Count()) continue;
      double gc[3];
      Centroid(poly, g, gc);
      if (!NearlyEqual(gc, c, tolerance)) continue;
      if (HasNeighbourAt(poly, g, y, qa, tolerance) && HasNeighbourAt(poly, g, y, qb, tolerance)) {
        partner = true;
        break;
      }
    }
    if (!partner) return false;
  }
  return true;
}

// The order of the faces round vertex v was a choice of the topology passes: v shares
// its point with another vertex, or some edge from v has other than two faces.
bool OrderWasChosen(const SimplePoly& poly, int32_t v) {
  if (NextCoinc(poly, v) != v) return true;
  std::vector<int32_t> neighbours;
  for (int32_t fi : poly.VertAt(v).items) {
    const SimpleFace& f = poly.FaceAt(fi);
    const int occ = f.FindItem(v, -1);
    if (occ < 0) continue;
    neighbours.push_back(f.items[static_cast<size_t>(WrapIndex(occ, 1, f.Count()))]);
    neighbours.push_back(f.items[static_cast<size_t>(WrapIndex(occ, -1, f.Count()))]);
  }
  std::sort(neighbours.begin(), neighbours.end());
  for (size_t i = 0; i < neighbours.size();) {
    size_t j = i;
    while (j < neighbours.size() && neighbours[j] == neighbours[i]) ++j;
    if (j - i != 2) return true;
    i = j;
  }
  return false;
}

// The vertex at the other end of the edge between faces j and j+1 round v (the
// face-vertex exchange of the adjacent-face search); -1 when there is none.
int32_t AdjacentVert(const SimplePoly& hull, int32_t v, int j) {
  const SimpleVert& vert = hull.VertAt(v);
  const int n = vert.Count();
  if (n < 1) return -1;
  const SimpleFace& f = hull.FaceAt(vert.items[static_cast<size_t>(j % n)]);
  const SimpleFace& g = hull.FaceAt(vert.items[static_cast<size_t>((j + 1) % n)]);
  const int m = f.Count();
  for (int occ = f.FindItem(v, -1); occ >= 0; occ = f.FindItem(v, occ)) {
    for (int step : {1, -1}) {
      const int32_t x = f.items[static_cast<size_t>(WrapIndex(occ, step, m))];
      if (x >= 0 && x != v && g.HasEdge(v, x)) return x;
    }
  }
  return -1;
}

// The normal of the mirror near n that the model's points give: the sum of the
// differences between each vertex and the vertex at its image, each taken on n's
// side. Points exactly symmetric in a plane give its normal to rounding, where a
// hull face gives it to the accuracy of the face.
void FitMirrorNormal(const SimplePoly& poly, const VertexLocator& locator, double* n) {
  double sum[3] = {0, 0, 0};
  for (int i = 0; i < poly.NumVerts(); ++i) {
    const SimpleVert& v = poly.VertAt(i);
    if (v.flags & (kSimpleTemp | kSimpleInfinite)) continue;
    double image[3], along[3], at[3] = {0, 0, 0};
    Scale(along, n, 2 * Dot(v.pos, n));
    Subtract(image, v.pos, along);
    if (locator.FindFirst(image, kSimpleTemp | kSimpleInfinite, at) < 0) continue;
    double difference[3];
    Subtract(difference, v.pos, at);
    if (Dot(difference, n) < 0) Negate(difference);
    AddTo(sum, difference);
  }
  if (Normalise(sum)) CopyVector(n, sum);
}

// Turns the model by the rotation (the group the opposite way when the model keeps
// its orientation).
void Turn(SimplePoly& poly, SimplePoly& hull, SymGroup& group, const double* m, const VertexLocator& locator) {
  TurnModelOrGroup(poly, &hull, group, m, locator.Tolerance());
}

enum class PlaneSearch { kFound, kNone, kBroken };

// Candidate mirror planes through hull vertex v: through v and a neighbour, through
// v and the midpoint of two neighbours, and bisecting an edge from v.
PlaneSearch SearchPlanesAtVertex(SimplePoly& poly, SimplePoly& hull, SymGroup& group, int count,
                                 const VertexLocator& locator, int32_t v, double* normal) {
  const SimpleVert& vert = hull.VertAt(v);
  const int n = vert.Count();
  auto tryPlane = [&](double* cand) {
    if (!Normalise(cand)) return false;
    if (!TestReflection(poly, kReflectionHorizontal, cand, group, count, locator)) return false;
    CopyVector(normal, cand);
    return true;
  };
  const int h = (n + 1) / 2;
  int32_t w = AdjacentVert(hull, v, 0);
  if (w < 0) {
    ShowInternalError("FindReflections: hull vertex %d has no neighbour %d", v, 0);
    return PlaneSearch::kBroken;
  }
  for (int j = 0; j < h; ++j) {
    if (w > v) {
      double cand[3];
      Cross(cand, vert.pos, hull.VertAt(w).pos);
      if (tryPlane(cand)) return PlaneSearch::kFound;
    }
    if (j == h - 1 && (n % 2) == 1) continue;
    const int32_t w2 = AdjacentVert(hull, v, j + 1);
    if (w2 < 0) {
      ShowInternalError("FindReflections: hull vertex %d has no neighbour %d", v, j + 1);
      return PlaneSearch::kBroken;
    }
    double mid[3], cand[3];
    Add(mid, hull.VertAt(w).pos, hull.VertAt(w2).pos);
    Scale(mid, mid, 0.5);
    Cross(cand, vert.pos, mid);
    if (tryPlane(cand)) return PlaneSearch::kFound;
    w = w2;
  }
  for (int j = 0; j < n; ++j) {
    const int32_t x = AdjacentVert(hull, v, j);
    if (x < v) continue;
    double dir[3], centre[3];
    Subtract(dir, hull.VertAt(x).pos, vert.pos);
    Add(centre, hull.VertAt(x).pos, vert.pos);
    Scale(centre, centre, 0.5);
    if (std::fabs(Dot(dir, centre)) <= locator.Tolerance() && tryPlane(dir)) return PlaneSearch::kFound;
  }
  return PlaneSearch::kNone;
}

bool FindInGroupWithoutRotation(SimplePoly& poly, SymGroup& group, SimplePoly& hull, int count,
                                const VertexLocator& locator) {
  bool found = false;
  double normal[3] = {0, 1, 0};
  if (TestReflection(poly, kReflectionCentral, nullptr, group, count, locator)) {
    found = true;
  } else {
    CopyVertTypesToHull(poly, hull);
    for (int v = 0; v < hull.NumVerts() && !found; ++v) {
      const SimpleVert& hv = hull.VertAt(v);
      if (hv.flags & (kSimpleDone | kSimpleTemp)) continue;
      const PlaneSearch result = SearchPlanesAtVertex(poly, hull, group, count, locator, v, normal);
      if (result == PlaneSearch::kBroken) {
        hull.ClearVertFlags(kSimpleDone);
        return false;
      }
      if (result == PlaneSearch::kFound) {
        found = true;
        break;
      }
      // No mirror through this vertex: none through any vertex of its type.
      ForTypeRing(hull.NumVerts(), [&hull](int32_t k) -> SimpleVert& { return hull.VertAt(k); }, v,
                  [&hull](int32_t k) { hull.VertAt(k).flags |= kSimpleDone; });
    }
  }
  hull.ClearVertFlags(kSimpleDone);
  AlignModelWithNoSymmetry(poly, hull, group, found, normal, locator.Tolerance());
  return found;
}

bool FindInPyramidal(SimplePoly& poly, SymGroup& group, SimplePoly& hull, int count, const VertexLocator& locator) {
  const double* a = group.axisTypes[0].axes[0].direction;
  if (TestReflection(poly, kReflectionHorizontal, a, group, count, locator)) return true;
  if (TestReflection(poly, kReflectionRotation, a, group, count, locator)) return true;
  bool found = false;
  double n[3] = {0, 0, 0};
  auto tryDirection = [&](const double* v) {
    double cand[3];
    Cross(cand, a, v);
    if (std::fabs(cand[0]) <= kPointTolerance && std::fabs(cand[1]) <= kPointTolerance && std::fabs(cand[2]) <= kPointTolerance) return false;
    if (!Normalise(cand)) return false;
    if (!TestReflection(poly, kReflectionVertical, cand, group, count, locator)) return false;
    CopyVector(n, cand);
    return true;
  };
  // Traces of the search's stages, on no failure path.
  DoNothing("Test using faces");
  for (int i = 0; i < hull.NumFaces() && !found; ++i) {
    const SimpleFace& f = hull.FaceAt(i);
    if (f.IsTemp() || !f.HasNormal()) continue;
    found = tryDirection(f.normal);
  }
  if (!found) {
    DoNothing("Test using verts");
    for (int i = 0; i < hull.NumVerts() && !found; ++i) {
      const SimpleVert& v = hull.VertAt(i);
      if (v.IsTemp()) continue;
      found = tryDirection(v.pos);
    }
  }
  if (!found) return false;
  DoNothing("Align to symmetry");
  if (group.mirrorPlanes.count < 1) return true;
  const double* m = group.mirrorPlanes[0].direction;
  // The turn about the axis that takes the mirror n onto the group's plane m.
  double turn[9];
  auto turnOnto = [&]() {
    double sum[3], diff[3], cr[3];
    Add(sum, n, m);
    Subtract(diff, n, m);
    double t = Dot(n, m) < 0 ? kPi - 2 * std::asin(std::min(1.0, std::sqrt(Dot(sum, sum)) / 2))
                             : 2 * std::asin(std::min(1.0, std::sqrt(Dot(diff, diff)) / 2));
    Cross(cr, n, m);
    if (Dot(cr, a) < 0) t = -t;
    double axis[3];
    CopyVector(axis, a);
    AngleAboutAxis(turn, axis, t);
  };
  // A mirror taken from a face is known only to the accuracy of the face: the model
  // would be turned by its error, or moved onto it and, opened again, onto the mirror
  // of its moved face. Where the points give another mirror than the face beyond
  // rounding, or the model would be turned the little way, the mirror is taken from
  // the points, in the plane of the axis.
  double fitted[3];
  CopyVector(fitted, n);
  FitMirrorNormal(poly, locator, fitted);
  double along[3];
  Scale(along, a, Dot(fitted, a));
  Subtract(fitted, fitted, along);
  Normalise(fitted);
  turnOnto();
  if (!NearlyEqual(fitted, n, kSymmetrisedTolerance) || TurnsModelALittle(poly, group, turn, locator.Tolerance())) {
    CopyVector(n, fitted);
    turnOnto();
  }
  Turn(poly, hull, group, turn, locator);
  return true;
}

bool FindInDihedral(SimplePoly& poly, SymGroup& group, SimplePoly& hull, int count, const VertexLocator& locator) {
  const int fold = std::abs(group.axisTypes[0].fold);
  double a0[3], a1[3], a2[3];
  CopyVector(a0, group.axisTypes[0].axes[0].direction);
  CopyVector(a1, group.axisTypes[1].axes[0].direction);
  CopyVector(a2, group.axisTypes[2].axes[0].direction);
  if (TestReflection(poly, kReflectionHorizontal, a0, group, count, locator)) return true;
  double n[3];
  if (fold % 2 == 1) {
    CopyVector(n, a1);
  } else {
    Add(n, a1, a2);
    Normalise(n);
  }
  if (TestReflection(poly, kReflectionVertical, n, group, count, locator)) return true;
  if (fold != 2) return false;
  // A fold-2 group whose improper axis is not the main one: the model's axes are
  // cycled so that it becomes the main one.
  double u[3];
  Add(u, a0, a1);
  AddTo(u, a2);
  Normalise(u);
  Add(n, a0, a2);
  Scale(n, n, SqrtHalf);
  if (TestReflection(poly, kReflectionVertical, n, group, count, locator)) {
    double turn[9];
    TurnAboutAxis(turn, u, 2, 3);  // minus one third of a turn
    Turn(poly, hull, group, turn, locator);
    return true;
  }
  Add(n, a0, a1);
  Scale(n, n, SqrtHalf);
  if (TestReflection(poly, kReflectionVertical, n, group, count, locator)) {
    double turn[9];
    TurnAboutAxis(turn, u, 1, 3);
    Turn(poly, hull, group, turn, locator);
    return true;
  }
  return false;
}

}  // namespace detail_Reflections

bool TestReflection(SimplePoly& poly, int32_t type, const double* normal, SymGroup& group, int count,
                    const VertexLocator& locator) {
  namespace d = detail_Reflections;
  const double tolerance = locator.Tolerance();
  double q[9];
  std::copy(d::kIdentity, d::kIdentity + 9, q);
  group.GetReflectionMatrix(q, type, normal);
  if (count < 1) {
    poly.ClearVertFlags(kSimpleDone);
    group.SetReflectionType(type);
    return true;
  }
  auto fail = [&poly]() {
    poly.ClearVertFlags(kSimpleDone);
    return false;
  };
  // A large model's test takes a good part of a second: the window answers every so
  // many vertices, and after a cancel the test fails at once (the analysis that asked
  // for it stops at its next step).
  for (int32_t vi = 0; vi < poly.NumVerts(); ++vi) {
    if ((vi + 1) % static_cast<int>(ProgressTicker::kPasses) == 0 && !ProgressTick()) return fail();
    const SimpleVert& v = poly.VertAt(vi);
    if (v.flags & (kSimpleDone | kSimpleTemp)) continue;
    double image[3];
    MatrixTimesVector(q, image, v.pos);
    const int32_t ui = locator.FindFirst(image, kSimpleTemp);
    if (ui < 0) return fail();
    int sumV = 0, sumU = 0;
    d::ForCoincRing(poly, vi, [&](int32_t k) { sumV += poly.VertAt(k).Count(); });
    d::ForCoincRing(poly, ui, [&](int32_t k) { sumU += poly.VertAt(k).Count(); });
    if (sumV != sumU) return fail();
    // Each vertex at V's place has a vertex at U's place whose faces are the images
    // of its own: where a point holds several vertices (fans of faces that only meet
    // there), the fans must be images of one another, not only all their faces.
    bool allMatched = true;
    d::ForCoincRing(poly, vi, [&](int32_t x) {
      if (!allMatched) return;
      bool found = false;
      d::ForCoincRing(poly, ui, [&](int32_t y) {
        if (!found && poly.VertAt(y).Count() == poly.VertAt(x).Count())
          found = d::FacesHaveImagesAt(poly, x, y, q, tolerance);
      });
      allMatched = found;
    });
    if (!allMatched) return fail();
    // The other vertices of V's type need no test of their own.
    d::ForTypeRing(poly.NumVerts(), [&poly](int32_t k) -> SimpleVert& { return poly.VertAt(k); }, vi,
                   [&poly](int32_t k) { poly.VertAt(k).SetRingFlags(kSimpleDone); });
  }
  poly.ClearVertFlags(kSimpleDone);
  group.SetReflectionType(type);
  return true;
}

bool ReflectionKeepsVertexCycles(const SimplePoly& poly, const SymGroup& group, double tolerance) {
  namespace d = detail_Reflections;
  if (group.reflectionType == kReflectionChiral) return true;
  double q[9];
  std::copy(d::kIdentity, d::kIdentity + 9, q);
  group.GetReflectionMatrix(q);
  // A large model takes a while: the progress window keeps answering.
  (void)ProgressTick();
  const VertexLocator locator(poly, tolerance);
  (void)ProgressTick();
  ProgressTicker tick;
  std::vector<std::array<double, 3>> centroids(static_cast<size_t>(poly.NumFaces()));
  for (int i = 0; i < poly.NumFaces(); ++i) {
    (void)tick();
    d::Centroid(poly, poly.FaceAt(i), centroids[static_cast<size_t>(i)].data());
  }
  auto centroidAt = [&](int32_t face, const double* c) {
    return NearlyEqual(centroids[static_cast<size_t>(face)].data(), c, tolerance);
  };
  std::vector<double> images;
  for (int32_t vi = 0; vi < poly.NumVerts(); ++vi) {
    (void)tick();
    const SimpleVert& v = poly.VertAt(vi);
    if ((v.flags & (kSimpleTemp | kSimpleInfinite)) || v.Count() < 1) continue;
    // Where the faces round a vertex make one sheet, the faces the mirror carries
    // onto faces (what the reflection test found) come in the mirrored order anyway.
    if (!d::OrderWasChosen(poly, vi)) continue;
    double image[3];
    MatrixTimesVector(q, image, v.pos);
    const int32_t ui = locator.FindFirst(image, kSimpleTemp | kSimpleInfinite);
    if (ui < 0) return false;
    const int n = v.Count();
    images.resize(3 * static_cast<size_t>(n));
    for (int j = 0; j < n; ++j) {
      MatrixTimesVector(q, &images[3 * static_cast<size_t>(j)],
                        centroids[static_cast<size_t>(v.items[static_cast<size_t>(j)])].data());
    }
    bool found = false;
    d::ForCoincRing(poly, ui, [&](int32_t y) {
      const SimpleVert& u = poly.VertAt(y);
      if (found || u.Count() != n) return;
      for (int o = 0; o < n && !found; ++o) {
        if (!centroidAt(u.items[static_cast<size_t>(o)], &images[0])) continue;
        for (int step : {-1, 1}) {
          bool all = true;
          for (int j = 1; j < n && all; ++j) {
            all = centroidAt(u.items[static_cast<size_t>(((o + step * j) % n + n) % n)],
                             &images[3 * static_cast<size_t>(j)]);
          }
          if (all) {
            found = true;
            break;
          }
        }
      }
    });
    if (!found) return false;
  }
  return true;
}

void CopyVertTypesToHull(const SimplePoly& poly, SimplePoly& hull) {
  std::unordered_map<int32_t, int32_t> last;
  std::unordered_map<int32_t, int32_t> first;
  const int n = std::min(poly.NumVerts(), hull.NumVerts());
  for (int i = 0; i < hull.NumVerts(); ++i) hull.VertAt(i).nextOfType = i;
  for (int i = 0; i < n; ++i) {
    SimpleVert& h = hull.VertAt(i);
    if (h.IsTemp()) continue;
    h.typeId = poly.VertAt(i).typeId;
    auto it = last.find(h.typeId);
    if (it == last.end()) {
      first[h.typeId] = i;
    } else {
      hull.VertAt(it->second).nextOfType = i;
    }
    last[h.typeId] = i;
  }
  for (const auto& [type, tail] : last) hull.VertAt(tail).nextOfType = first[type];
}

bool FindReflections(SimplePoly& poly, SymGroup& group, SimplePoly& hull, double tolerance) {
  namespace d = detail_Reflections;
  int count = 0;
  for (int i = 0; i < poly.NumVerts(); ++i) {
    if (!poly.VertAt(i).IsTemp()) ++count;
  }
  const VertexLocator locator(poly, tolerance);
  switch (group.type) {
    case kSymGroupIcosahedral:
      return TestReflection(poly, kReflectionHorizontal, group.axisTypes[2].axes[1].direction, group, count,
                            locator);
    case kSymGroupOctahedral:
      return TestReflection(poly, kReflectionHorizontal, group.axisTypes[0].axes[1].direction, group, count,
                            locator);
    case kSymGroupTetrahedral:
      if (TestReflection(poly, kReflectionHorizontal, group.axisTypes[2].axes[1].direction, group, count, locator)) {
        return true;
      }
      return TestReflection(poly, kReflectionDiagonal, group.axisTypes[0].axes[1].reference, group, count, locator);
    case kSymGroupDihedral:
      return d::FindInDihedral(poly, group, hull, count, locator);
    case kSymGroupPyramidal:
      return d::FindInPyramidal(poly, group, hull, count, locator);
    default:
      return d::FindInGroupWithoutRotation(poly, group, hull, count, locator);
  }
}

namespace detail_Reflections {

// The next face of k's coincident ring; k itself where the ring link is out of range.
int32_t NextCoinc(SimplePoly& poly, int32_t k) {
  const int32_t c = poly.FaceAt(k).coinc;
  return (c < 0 || c >= poly.NumFaces()) ? k : c;
}

// The faces of the coincident ring from i, i first.
std::vector<int32_t> CoincidentStack(SimplePoly& poly, int32_t i) {
  std::vector<int32_t> stack;
  for (int32_t k = i;;) {
    stack.push_back(k);
    k = NextCoinc(poly, k);
    if (k == i) break;
  }
  return stack;
}

// Stacks through the centre, in a plane that holds an even-fold axis along the
// direction of the face: the two halves face opposite ways.
void TurnCentralStacksApart(SimplePoly& poly, const SymGroup& group, int start) {
  const int nf = poly.NumFaces();
  for (int i = start; i < nf; ++i) {
    SimpleFace& f = poly.FaceAt(i);
    if (f.flags & (kSimpleDone | kSimpleTemp)) continue;
    if (!(f.flags & kSimpleCentralPlane) || f.Count() < 1 || f.CoincCount() < 2) continue;
    double c[3];
    Centroid(poly, f, c);
    if (!group.FindEvenAxisInPlane(f.normal, c)) continue;
    int32_t g = i;
    for (int s = f.CoincCount() / 2; s > 0; --s) g = NextCoinc(poly, g);
    std::swap(f.coinc, poly.FaceAt(g).coinc);
    double fn[3];
    CopyVector(fn, f.normal);
    for (int32_t k = NextCoinc(poly, i); k != i; k = NextCoinc(poly, k)) {
      SimpleFace& x = poly.FaceAt(k);
      x.flags |= kSimpleDone;
      if (Dot(x.normal, fn) <= 0) Negate(x.normal);
    }
    int32_t k = g;
    do {
      SimpleFace& x = poly.FaceAt(k);
      x.flags |= kSimpleDone;
      if (Dot(x.normal, fn) > 0) Negate(x.normal);
      k = NextCoinc(poly, k);
    } while (k != g);
  }
  poly.ClearFaceFlags(kSimpleDone);
}

// Takes face out of the type ring that starts at ring, leaving it a ring of its own;
// false when the ring does not hold it.
bool UnlinkFromTypeRing(SimplePoly& poly, int32_t ring, int32_t face) {
  const int nf = poly.NumFaces();
  int32_t k = ring;
  for (int steps = 0; steps <= nf; ++steps) {
    const int32_t next = poly.FaceAt(k).nextOfType;
    if (next < 0 || next >= nf) break;
    if (next == face) {
      poly.FaceAt(k).nextOfType = poly.FaceAt(face).nextOfType;
      poly.FaceAt(face).nextOfType = face;
      return true;
    }
    k = next;
    if (k == ring) break;
  }
  return false;
}

// The face of another stack that matches x: the first not yet taken of x's colour,
// else the first not yet taken; -1 when every face is taken.
int32_t StackPartner(SimplePoly& poly, int32_t x, const std::vector<int32_t>& stack) {
  for (int32_t y : stack) {
    if (!(poly.FaceAt(y).flags & kSimpleDone) && poly.FaceAt(y).color == poly.FaceAt(x).color) return y;
  }
  for (int32_t y : stack) {
    if (!(poly.FaceAt(y).flags & kSimpleDone)) return y;
  }
  return -1;
}

// Each face of the stack at i becomes a type of its own, and the stacks at the other
// places of the type are matched to it face by face.
void SeparateStackLayers(SimplePoly& poly, int32_t i, bool& countReported) {
  const int nf = poly.NumFaces();
  auto faceAt = [&poly](int32_t k) -> SimpleFace& { return poly.FaceAt(k); };
  const int c = poly.FaceAt(i).CoincCount();
  const std::vector<int32_t> stack = CoincidentStack(poly, i);
  for (int32_t x : stack) {
    SimpleFace& xf = poly.FaceAt(x);
    xf.flags |= kSimpleDone;
    xf.typeId = x;
    if (x == i) continue;
    if (!UnlinkFromTypeRing(poly, i, x)) ShowInternalError("SeparateCoincidentFaces: bad loop:\nf %d, cf %d\n", i, x);
  }
  // The other places of the type, taken before the ring changes under the walk.
  std::vector<int32_t> others;
  ForTypeRing(nf, faceAt, i, [&](int32_t k) {
    if (k != i) others.push_back(k);
  });
  for (int32_t t : others) {
    SimpleFace& tf = poly.FaceAt(t);
    if (tf.flags & (kSimpleDone | kSimpleTemp)) continue;
    if (tf.CoincCount() != c) {
      if (!countReported) ShowInternalError("SeparateCoincidentFaces: Coinc count wrong");
      countReported = true;
      // A trace of the internal error above; the faces are separated all the same.
      DoNothing("Face %d coinc with %d faces, but face %d coinc with %d faces\n", i, c, t, tf.CoincCount());
    }
    const std::vector<int32_t> tStack = CoincidentStack(poly, t);
    for (int32_t x : stack) {
      const int32_t partner = StackPartner(poly, x, tStack);
      // A shorter stack at this place has no more faces to give.
      if (partner < 0) break;
      SimpleFace& pf = poly.FaceAt(partner);
      pf.flags |= kSimpleDone;
      if (x == i) {
        pf.typeId = i;
        continue;
      }
      // Move the partner out of f's type ring into x's.
      UnlinkFromTypeRing(poly, i, partner);
      pf.typeId = x;
      std::swap(poly.FaceAt(x).nextOfType, pf.nextOfType);
    }
  }
  // Whatever is left in f's ring is of f's type.
  ForTypeRing(nf, faceAt, i, [&](int32_t k) { poly.FaceAt(k).typeId = i; });
}

}  // namespace detail_Reflections

void SeparateCoincidentFaces(SimplePoly& poly, const SymGroup& group) {
  namespace d = detail_Reflections;
  if (group.type == kSymGroupNone) return;
  int start = -1;
  for (int i = 0; i < poly.NumFaces() && start < 0; ++i) {
    if (!poly.FaceAt(i).IsTemp() && poly.FaceAt(i).CoincCount() > 1) start = i;
  }
  if (start < 0) return;
  d::TurnCentralStacksApart(poly, group, start);
  bool countReported = false;
  for (int i = start; i < poly.NumFaces(); ++i) {
    const SimpleFace& f = poly.FaceAt(i);
    if ((f.flags & (kSimpleDone | kSimpleTemp)) || f.CoincCount() < 2) continue;
    d::SeparateStackLayers(poly, i, countReported);
  }
  poly.ClearFaceFlags(kSimpleDone);
}

}  // namespace corvia
