// Geometry of one face of the plain model: centroid, radius, area, triangulation,
// solid angle and matching under a rotation.

#include <algorithm>
#include <cmath>
#include <numbers>

#include "core/PolygonRing.h"
#include "core/PolygonSplit.h"
#include "core/Tolerances.h"
#include "symmetry/SimplePoly.h"

namespace corvia {

namespace detail_SimplePolyFaces {


bool IsZero(const double* v) { return std::fabs(v[0]) <= kPointTolerance && std::fabs(v[1]) <= kPointTolerance && std::fabs(v[2]) <= kPointTolerance; }

void Normalise(double* v) {
  const double len = std::sqrt(Dot(v, v));
  if (len > 0.0) Divide(v, v, len);
}

}  // namespace detail_SimplePolyFaces

bool PlaneNormalOfCycle(const SimpleFace& f, double* out) {
  out[0] = out[1] = out[2] = 0.0;
  const int n = f.Count();
  for (int i = 0; i < n; ++i) {
    const double* a = f.VertAt(i).pos;
    const double* b = f.VertWrapped(i + 1).pos;
    out[0] += (a[1] - b[1]) * (a[2] + b[2]);
    out[1] += (a[2] - b[2]) * (a[0] + b[0]);
    out[2] += (a[0] - b[0]) * (a[1] + b[1]);
  }
  const double len = std::sqrt(Dot(out, out));
  if (!(len > 1e-300)) return false;
  Divide(out, out, len);
  return true;
}

void SimpleFace::SumVertPositions(double* out) const {
  out[0] = out[1] = out[2] = 0.0;
  for (int i = 0; i < Count(); ++i) AddTo(out, VertAt(i).pos);
}

void SimpleFace::GetCentroid(double* out) const {
  SumVertPositions(out);
  if (Count() > 0) Divide(out, out, Count());
}

double SimpleFace::GetCircumradius() const {
  double c[3];
  GetCentroid(c);
  double best = 0.0;
  for (int i = 0; i < Count(); ++i) {
    double d[3];
    Subtract(d, VertAt(i).pos, c);
    best = std::max(best, Dot(d, d));
  }
  return std::sqrt(best);
}

void SimpleFace::AreaVector(double* out) const {
  out[0] = out[1] = out[2] = 0.0;
  const int n = Count();
  if (n < 3) return;
  const double* p0 = VertAt(0).pos;
  for (int i = 2; i < n; ++i) {
    double a[3], b[3], c[3];
    Subtract(a, VertAt(i - 1).pos, p0);
    Subtract(b, VertAt(i).pos, p0);
    Cross(c, a, b);
    AddTo(out, c);
  }
}

bool SimpleFace::LiesInPlane(const double* n) const {
  if (Count() < 1) return true;
  const double* p0 = VertAt(0).pos;
  double size = 0.0, off = 0.0;
  for (int i = 0; i < Count(); ++i) {
    const double* p = VertAt(i).pos;
    double d[3];
    Subtract(d, p, p0);
    off = std::max(off, std::fabs(Dot(d, n)));
    for (int k = 0; k < 3; ++k) size = std::max(size, std::fabs(p[k]));
  }
  return off <= kSymmetrisedTolerance * size;
}

void SimpleFace::GetPlanePoint(double* out) const {
  if (Count() < 1) {
    out[0] = out[1] = out[2] = 0.0;
  } else if (!HasNormal() || LiesInPlane(normal)) {
    CopyVector(out, VertAt(0).pos);
  } else {
    GetCentroid(out);
  }
}

bool SimpleFace::IsFlat(double tolerance) const {
  double normal[3];
  AreaVector(normal);
  const double length = std::sqrt(Dot(normal, normal));
  if (length <= tolerance) return true;
  Divide(normal, normal, length);
  double centroid[3];
  GetCentroid(centroid);
  const double offset = Dot(normal, centroid);
  for (int i = 0; i < Count(); ++i) {
    if (std::fabs(Dot(normal, VertAt(i).pos) - offset) > tolerance) return false;
  }
  return true;
}

void SimpleVert::SumCentroidsOfRing(double* out) const {
  out[0] = out[1] = out[2] = 0.0;
  for (int i = 0; i < Count(); ++i) {
    double c[3];
    FaceAt(i).GetCentroid(c);
    AddTo(out, c);
  }
}

int SimpleFace::Triangulate(std::vector<int32_t>& indices, std::vector<double>& points) const {
  indices.clear();
  points.clear();
  const int n = Count();
  if (n < 3) return 0;
  // The plane is taken from the cycle itself, so that a face whose stored normal is
  // not yet computed (or points the other way) still triangulates with its winding.
  double axisZ[3];
  if (!PlaneNormalOfCycle(*this, axisZ)) return 0;
  double axisX[3], axisY[3];
  PerpendicularByAxis(axisX, axisZ);
  detail_SimplePolyFaces::Normalise(axisX);
  Cross(axisY, axisZ, axisX);
  double origin[3];
  GetCentroid(origin);

  PolygonVertex* ring = nullptr;
  for (int i = 0; i < n; ++i) {
    double d[3];
    Subtract(d, VertAt(i).pos, origin);
    NewPolygonVertex(Dot(d, axisX), Dot(d, axisY), nullptr, VertAt(i).pos, ring);
  }
  // A star face is cut at the crossings of its edges; the outline of the region it
  // covers is triangulated.
  double* crossing = nullptr;
  int pointCount = 0;
  PolygonList* pieces = SplitPolygonRing(ring, &crossing, &pointCount);
  FreePolygonRing(ring);
  if (!pieces || !pieces->ring) {
    FreePolygonList(pieces);
    delete[] crossing;
    return 0;
  }
  PolygonVertex* outline = pieces->ring;
  pieces->ring = nullptr;
  FreePolygonList(pieces);
  // The outline runs round like the face (positive area in the face's own frame).
  if (GetPolygonRingArea2D(outline) < 0.0) outline = ReversePolygonRing(outline);
  int* tri = nullptr;
  const int count = TriangulatePolygonRing(outline, &tri, nullptr);
  for (int i = 0; i < count; ++i) indices.push_back(tri[i]);
  delete[] tri;
  points.reserve(3 * static_cast<size_t>(pointCount));
  for (int k = 0; k < pointCount; ++k) {
    for (int c = 0; c < 3; ++c) {
      points.push_back(origin[c] + crossing[2 * k] * axisX[c] + crossing[2 * k + 1] * axisY[c]);
    }
  }
  delete[] crossing;
  return count / 3;
}

double SimpleFace::CalcSolidAngle() const {
  using detail_SimplePolyFaces::IsZero;
  const int n = Count();
  double sum = 0.0;
  for (int i = 0; i < n; ++i) {
    const double* vp = VertWrapped(i - 1).pos;
    const double* vi = VertAt(i).pos;
    const double* vn = VertWrapped(i + 1).pos;
    double e1[3], e2[3], toOrigin[3], c1[3], c2[3];
    Subtract(e1, vi, vp);
    NegateInto(toOrigin, vi);
    Cross(c1, e1, toOrigin);
    Subtract(e2, vn, vi);
    NegateInto(toOrigin, vn);
    Cross(c2, e2, toOrigin);
    if (IsZero(c1) || IsZero(c2)) return 0.0;
    {
      const int k = LargestAxis(c2);
      const double s = c1[k] / c2[k];
      bool multiple = true;
      for (int c = 0; c < 3; ++c) {
        if (std::fabs(c1[c] - s * c2[c]) > kPointTolerance) multiple = false;
      }
      if (multiple) return 0.0;
    }
    detail_SimplePolyFaces::Normalise(c1);
    detail_SimplePolyFaces::Normalise(c2);
    double d = AngleBetween(c1, c2);
    double x[3];
    Cross(x, c1, c2);
    if (Dot(x, vi) < 0.0) d = -d;
    detail_SimplePolyFaces::Normalise(e1);
    detail_SimplePolyFaces::Normalise(e2);
    double t;
    double s[3];
    if (Dot(e1, e2) >= 0.0) {
      Subtract(s, e2, e1);
      t = 2.0 * std::asin(std::min(1.0, std::sqrt(Dot(s, s)) / 2.0));
    } else {
      Add(s, e1, e2);
      t = std::numbers::pi - 2.0 * std::asin(std::min(1.0, std::sqrt(Dot(s, s)) / 2.0));
    }
    Cross(x, e1, e2);
    if (Dot(x, normal) < 0.0) t = -t;
    sum += t - d;
  }
  return sum;
}

bool SimpleFace::MatchFace(const SimpleFace& other, const double* targetNormal, const double* point,
                           const double* rotation, bool* backward, const SymmetryMatch& match) const {
  const int n = Count();
  if (other.Count() != n) return false;
  if (!NearlyEqual(other.normal, targetNormal, match.normal) &&
      !NearlyOpposite(other.normal, targetNormal, match.normal)) {
    return false;
  }
  if (n == 0) {
    if (backward) *backward = false;
    return true;
  }
  // Every corner of the other face is tried as the image of this face's first.
  for (int start = 0; start < n; ++start) {
    if (!NearlyEqual(other.VertAt(start).pos, point, match.position)) continue;
    for (int step : {1, -1}) {
      bool ok = true;
      for (int k = 1; k < n && ok; ++k) {
        const SimpleVert& mine = VertAt(k);
        const SimpleVert& theirs = other.VertWrapped(start + step * k);
        double p[3];
        MatrixTimesVector(rotation, p, mine.pos);
        ok = NearlyEqual(p, theirs.pos, match.position) && mine.Count() == theirs.Count();
        if (ok && mine.coinc != mine.GetIndex()) {
          double a[3], ra[3], b[3];
          mine.SumCentroidsOfRing(a);
          MatrixTimesVector(rotation, ra, a);
          theirs.SumCentroidsOfRing(b);
          ok = NearlyEqual(ra, b, std::max(kAxisTolerance, match.Sum(mine.Count())));
        }
      }
      if (ok) {
        if (backward) *backward = step < 0;
        return true;
      }
    }
  }
  return false;
}

bool SimplePoly::FaceSetMatches(const SimpleVert& a, const SimpleVert& b, const double* point, const double* rotation,
                                const SymmetryMatch& match) const {
  if (!NearlyEqual(b.pos, point, match.position) || a.Count() != b.Count()) return false;
  for (int i = 0; i < a.Count(); ++i) {
    const SimpleFace& f = a.FaceAt(i);
    double target[3], first[3];
    MatrixTimesVector(rotation, target, f.normal);
    if (f.Count() > 0) {
      MatrixTimesVector(rotation, first, f.VertAt(0).pos);
    } else {
      first[0] = first[1] = first[2] = 0.0;
    }
    bool found = false;
    for (int j = 0; j < b.Count() && !found; ++j) {
      found = f.MatchFace(b.FaceAt(j), target, first, rotation, nullptr, match);
    }
    if (!found) return false;
  }
  return true;
}

}  // namespace corvia
