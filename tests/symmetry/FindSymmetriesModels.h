#pragma once
// Plain models for the symmetry-search tests and benchmark: a model from points and
// face cycles, the convex hull of a small point set worked out by brute force (so
// the tests do not lean on the hull code under test), and a few point sets.

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <memory>
#include <vector>

#include "core/VectorMath.h"
#include "symmetry/SimplePoly.h"
#include "tests/support/SolidCorners.h"

namespace corvia::symtest {

using Point = std::array<double, 3>;
using FaceList = std::vector<std::vector<int>>;

inline std::unique_ptr<SimplePoly> MakeModel(const std::vector<Point>& points, const FaceList& faces) {
  auto poly = std::make_unique<SimplePoly>(static_cast<int>(points.size()), static_cast<int>(faces.size()));
  for (size_t i = 0; i < points.size(); ++i) poly->VertAt(static_cast<int>(i)).SetPos(points[i].data());
  for (size_t f = 0; f < faces.size(); ++f) {
    SimpleFace& face = poly->FaceAt(static_cast<int>(f));
    face.SetNumVerts(static_cast<int>(faces[f].size()));
    for (size_t k = 0; k < faces[f].size(); ++k) face.SetVertIndex(static_cast<int>(k), faces[f][k]);
  }
  return poly;
}

// Faces of the convex hull of points in general position on their hull (every
// point a corner); each face a cycle counter-clockwise seen from outside.
inline FaceList BruteHullFaces(const std::vector<Point>& pts) {
  constexpr double kEps = 1e-9;
  const int n = static_cast<int>(pts.size());
  std::vector<std::array<double, 4>> planes;
  FaceList faces;
  for (int i = 0; i < n; ++i) {
    for (int j = i + 1; j < n; ++j) {
      for (int k = j + 1; k < n; ++k) {
        double e1[3], e2[3], nrm[3];
        Subtract(e1, pts[j].data(), pts[i].data());
        Subtract(e2, pts[k].data(), pts[i].data());
        Cross(nrm, e1, e2);
        const double len = std::sqrt(Dot(nrm, nrm));
        if (len < 1e-9) continue;
        Divide(nrm, nrm, len);
        double d = Dot(nrm, pts[i].data());
        bool pos = false, neg = false;
        for (const Point& p : pts) {
          const double s = Dot(nrm, p.data()) - d;
          if (s > kEps) pos = true;
          if (s < -kEps) neg = true;
        }
        if (pos && neg) continue;
        if (pos) {
          Negate(nrm);
          d = -d;
        }
        bool known = false;
        for (const auto& pl : planes) {
          if (std::fabs(pl[0] - nrm[0]) < 1e-7 && std::fabs(pl[1] - nrm[1]) < 1e-7 && std::fabs(pl[2] - nrm[2]) < 1e-7)
            known = true;
        }
        if (known) continue;
        planes.push_back({nrm[0], nrm[1], nrm[2], d});
        std::vector<int> on;
        double c[3] = {0, 0, 0};
        for (int m = 0; m < n; ++m) {
          if (std::fabs(Dot(nrm, pts[m].data()) - d) <= kEps) {
            on.push_back(m);
            AddTo(c, pts[m].data());
          }
        }
        Divide(c, c, static_cast<double>(on.size()));
        double u[3], v[3];
        Subtract(u, pts[on[0]].data(), c);
        Divide(u, u, std::sqrt(Dot(u, u)));
        Cross(v, nrm, u);
        std::sort(on.begin(), on.end(), [&](int a, int b) {
          double da[3], db[3];
          Subtract(da, pts[a].data(), c);
          Subtract(db, pts[b].data(), c);
          return std::atan2(Dot(da, v), Dot(da, u)) < std::atan2(Dot(db, v), Dot(db, u));
        });
        faces.push_back(on);
      }
    }
  }
  return faces;
}

inline std::unique_ptr<SimplePoly> MakeHullModel(const std::vector<Point>& points) {
  return MakeModel(points, BruteHullFaces(points));
}

// All sign changes of the nonzero components of p.
inline void AddSigns(std::vector<Point>& out, const Point& p) {
  for (int s = 0; s < 8; ++s) {
    Point q = p;
    bool skip = false;
    for (int j = 0; j < 3; ++j) {
      if (s & (1 << j)) {
        if (q[static_cast<size_t>(j)] == 0) skip = true;
        q[static_cast<size_t>(j)] = -q[static_cast<size_t>(j)];
      }
    }
    if (!skip) out.push_back(q);
  }
}

// p and its two cyclic permutations, with all sign changes.
inline void AddCyclicSigns(std::vector<Point>& out, const Point& p) {
  AddSigns(out, p);
  AddSigns(out, {p[1], p[2], p[0]});
  AddSigns(out, {p[2], p[0], p[1]});
}

inline double Golden() { return (1 + std::sqrt(5.0)) / 2; }

// A ring of n points at height y, radius r, starting at angle a0 (radians).
inline void AddRing(std::vector<Point>& out, int n, double y, double r, double a0) {
  for (int i = 0; i < n; ++i) {
    const double a = a0 + 2 * M_PI * i / n;
    out.push_back({r * std::cos(a), y, r * std::sin(a)});
  }
}

// The corners (+-1, +-1, +-1) of a cube.
inline std::vector<Point> Cube() {
  std::vector<Point> p;
  AddSigns(p, {1, 1, 1});
  return p;
}

// The regular tetrahedron on alternate corners of that cube.
inline std::vector<Point> Tetrahedron() {
  return testing::models::TetrahedronCorners();
}

// The corners (+-1, 0, 0) and their cyclic shifts.
inline std::vector<Point> Octahedron() {
  std::vector<Point> p;
  AddCyclicSigns(p, {1, 0, 0});
  return p;
}

// The corners (0, +-1, +-phi) and their cyclic shifts.
inline std::vector<Point> Icosahedron() {
  std::vector<Point> p;
  AddCyclicSigns(p, {0, 1, Golden()});
  return p;
}

// The snub cube on the tribonacci constant; `otherHand` gives its mirror image.
inline std::vector<Point> SnubCubeOfHand(bool otherHand) {
  const double t = 1.83928675521416113;  // the tribonacci constant
  const double base[3] = {1, 1 / t, t};
  const int perms[6][3] = {{0, 1, 2}, {1, 2, 0}, {2, 0, 1}, {1, 0, 2}, {0, 2, 1}, {2, 1, 0}};
  std::vector<Point> p;
  for (int k = 0; k < 6; ++k) {
    const bool even = k < 3;
    for (int s = 0; s < 8; ++s) {
      const int plus = 3 - __builtin_popcount(static_cast<unsigned>(s));
      if ((plus % 2 == (otherHand ? 1 : 0)) != even) continue;
      Point q;
      for (int j = 0; j < 3; ++j) q[static_cast<size_t>(j)] = base[perms[k][j]] * ((s >> j) & 1 ? -1 : 1);
      p.push_back(q);
    }
  }
  return p;
}

inline std::vector<Point> SnubCube() { return SnubCubeOfHand(false); }

inline std::vector<Point> SquareAntiprism() {
  std::vector<Point> p;
  AddRing(p, 4, 0.6, 1, 0);
  AddRing(p, 4, -0.6, 1, M_PI / 4);
  return p;
}

// The icosahedron subdivided n times along each edge and pushed onto the unit
// sphere: 20 n^2 triangles with full icosahedral symmetry.
inline std::unique_ptr<SimplePoly> MakeGeodesicModel(int n) {
  std::vector<Point> ico;
  const double phi = Golden();
  AddCyclicSigns(ico, {0, 1, phi});
  const FaceList icoFaces = BruteHullFaces(ico);
  std::vector<Point> points;
  FaceList faces;
  // Points are shared along edges by a position lookup on a coarse key.
  std::map<std::array<long long, 3>, int> keys;
  auto index = [&](const double* p) {
    double q[3];
    Divide(q, p, std::sqrt(Dot(p, p)));
    std::array<long long, 3> key;
    for (int j = 0; j < 3; ++j) key[static_cast<size_t>(j)] = std::llround(q[j] * 1e7);
    auto it = keys.find(key);
    if (it != keys.end()) return it->second;
    keys.emplace(key, static_cast<int>(points.size()));
    points.push_back({q[0], q[1], q[2]});
    return static_cast<int>(points.size()) - 1;
  };
  for (const auto& f : icoFaces) {
    const double* a = ico[static_cast<size_t>(f[0])].data();
    const double* b = ico[static_cast<size_t>(f[1])].data();
    const double* c = ico[static_cast<size_t>(f[2])].data();
    auto at = [&](int i, int j) {
      double p[3];
      for (int k = 0; k < 3; ++k) p[k] = a[k] + (b[k] - a[k]) * i / n + (c[k] - a[k]) * j / n;
      return index(p);
    };
    for (int i = 0; i < n; ++i) {
      for (int j = 0; i + j < n; ++j) {
        faces.push_back({at(i, j), at(i + 1, j), at(i, j + 1)});
        if (i + j + 1 < n) faces.push_back({at(i + 1, j), at(i + 1, j + 1), at(i, j + 1)});
      }
    }
  }
  return MakeModel(points, faces);
}

}  // namespace corvia::symtest
