// Build: g++ -std=c++20 -O2 -Wall -Wextra -o /tmp/johnson_gen tools/johnson_gen/JohnsonGen.cpp && /tmp/johnson_gen > construction/JohnsonData.cpp
// (run from the top folder of the sources; the program reads tools/johnson_gen/data/).
//
// Prints the stored point sets and face lists of the 92 Johnson solids, of the
// toroids that are made of their pieces, of Stewart's G3 and of the near misses that
// the published descriptions fix, as C++ source.
//
// Most solids are put together from pieces with unit edges: pyramids, cupolae and
// rotundae stacked on prism and antiprism bands along the z axis, pyramids and
// cupolae added to faces of prisms and of the Platonic and Archimedean solids,
// vertices and cupolae cut from the icosahedron and the rhombicosidodecahedron, and
// cupolae of the rhombicosidodecahedron turned by a fifth of a turn. Of the solids
// that are not made of such pieces, the snub disphenoid, the snub square antiprism,
// the coronae and the disphenocingulum are solved from their face lists by a damped
// Newton method (Levenberg-Marquardt) on "every edge 1, every face a regular
// polygon", started from a layout that follows the face list, until the solution
// is strictly convex (by Cauchy's theorem there is then no other); the
// bilunabirotunda and the triangular hebesphenorotunda have closed forms.
//
// The faces are then found as the planes through three vertices that have every
// other vertex on one side (the solids are strictly convex, so every such plane
// holds exactly one face). The toroids are outer solids with tunnels of such pieces
// removed: faces shared by two pieces vanish, the other faces of the removed pieces
// become the walls of the holes. Stewart's G3 is read from data/ with its exact
// forms. The near misses are the hulls of regular polygons placed on the axes of
// their symmetry, or (the truncated truncated icosahedron) read from data/.
//
// Before anything is printed every model is checked: every edge within 1e-12 of 1,
// every face plane and regular within 1e-12, every edge between two faces; a
// Johnson solid also strictly convex (every vertex not on a face at least 1e-6
// inside its plane) with Euler's formula, a toroid with no two faces along an edge
// in one plane and no piece outside its outer solid, G3 with Euler's formula and no
// two faces along an edge in one plane, both with every edge run once each way and
// the faces turned outwards. A near miss is checked as a strictly convex solid whose
// faces, each plane within 1e-12, are those of its hull and of the published kinds and
// numbers; its edge spread and its largest corner-angle deviation are reported. A
// failed check ends the program with a message and prints nothing; the counts of
// every model go to the standard error.
//
// Each solid is then centred on the centroid of its vertices and scaled so that its
// farthest vertex lies at distance 1; coordinates are printed with 17 significant
// digits, so they read back to the same doubles. The square pyramid keeps the face
// list it has always had, with its points numbered to fit it.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

struct Vec {
  double x = 0, y = 0, z = 0;
};
Vec operator+(Vec a, Vec b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec operator-(Vec a, Vec b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec operator*(Vec a, double s) { return {a.x * s, a.y * s, a.z * s}; }
double Dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec Cross(Vec a, Vec b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
double Length(Vec a) { return std::sqrt(Dot(a, a)); }
Vec Unit(Vec a) { return a * (1.0 / Length(a)); }

const double kPi = 3.14159265358979323846;
const double kPhi = (1 + std::sqrt(5.0)) / 2;
const double kPlaneTolerance = 1e-9;
// How exact a finished solid must be, and how far inside a face plane every other
// vertex must lie.
const double kExact = 1e-12;
const double kConvexMargin = 1e-6;

using Face = std::vector<int>;

[[noreturn]] void Fail(const std::string& what, const std::string& why) {
  std::fprintf(stderr, "johnson_gen: %s: %s\n", what.c_str(), why.c_str());
  std::exit(1);
}

// Radius of the circle round a regular n-gon of unit edge.
double RingRadius(int n) { return 0.5 / std::sin(kPi / n); }
// Distance between corners k steps apart in a regular n-gon of unit edge.
double Chord(int n, int k) { return 2 * RingRadius(n) * std::sin(kPi * k / n); }

Vec RotateZ(Vec p, double angle) {
  double c = std::cos(angle), s = std::sin(angle);
  return {c * p.x - s * p.y, s * p.x + c * p.y, p.z};
}

// Rotation of p by `angle` round the unit axis through the origin.
Vec RotateAbout(Vec p, Vec axis, double angle) {
  double c = std::cos(angle), s = std::sin(angle);
  return p * c + Cross(axis, p) * s + axis * (Dot(axis, p) * (1 - c));
}

struct Solid {
  std::vector<Vec> verts;
  std::vector<int> tempFace;  // a face kept only to brace the spring model
  std::string faceList;       // set only where the list is fixed in advance
};

void Add(Solid& s, const std::vector<Vec>& points) { s.verts.insert(s.verts.end(), points.begin(), points.end()); }

// n vertices of a unit-edge n-gon at height z, the first at angle `turn`.
std::vector<Vec> Ring(int n, double z, double turn) {
  std::vector<Vec> r;
  for (int k = 0; k < n; ++k) {
    double a = turn + 2 * kPi * k / n;
    r.push_back({RingRadius(n) * std::cos(a), RingRadius(n) * std::sin(a), z});
  }
  return r;
}

// Height of a pyramid apex over an n-gon of unit edge.
double PyramidHeight(int n) { return std::sqrt(1 - RingRadius(n) * RingRadius(n)); }

// Height of an antiprism band on an n-gon of unit edge.
double AntiprismHeight(int n) {
  double chord = 2 * RingRadius(n) * std::sin(kPi / (2 * n));
  return std::sqrt(1 - chord * chord);
}

// Height of a cupola on n-gon top and 2n-gon base.
double CupolaHeight(int n) {
  double d = RingRadius(2 * n) * std::cos(kPi / (2 * n)) - RingRadius(n) * std::cos(kPi / n);
  return std::sqrt(1 - d * d);
}

// ---- Caps stacked on a horizontal ring --------------------------------------------
//
// A cap sits on a ring of m vertices at height z whose first vertex lies at angle
// `turn`, above it (dir +1) or below (dir -1). Edge k of the ring joins vertices k
// and k+1. A cupola or rotunda has triangles on every other edge of its base: on the
// edges k with k % 2 == parity. Two caps whose triangles stand on the same edges of
// a ring (directly, or across a prism band) are "ortho", otherwise "gyro".

enum class Cap { kNone, kPyramid, kCupola, kRotunda };

// The vertices of the icosidodecahedron with unit edge.
std::vector<Vec> Icosidodecahedron() {
  std::vector<Vec> p;
  for (int s1 : {-1, 1}) {
    p.push_back({0, 0, s1 * kPhi});
    p.push_back({0, s1 * kPhi, 0});
    p.push_back({s1 * kPhi, 0, 0});
  }
  for (int s1 : {-1, 1})
    for (int s2 : {-1, 1})
      for (int s3 : {-1, 1}) {
        double a = s1 * 0.5, b = s2 * kPhi / 2, c = s3 * kPhi * kPhi / 2;
        p.push_back({a, b, c});
        p.push_back({b, c, a});
        p.push_back({c, a, b});
      }
  return p;
}

// The pentagonal rotunda with unit edge: the half of an icosidodecahedron above a
// decagon through its centre, as cylindrical coordinates (radius, angle, height) of
// its 10 vertices above the decagon, with the decagon's vertices at angles pi k / 5
// and triangles on the decagon's even edges.
std::vector<std::array<double, 3>> RotundaTop() {
  std::vector<Vec> ico = Icosidodecahedron();
  Vec axis = Unit({0, kPhi, 1});
  Vec u = Unit(Cross(axis, {1, 0, 0}));
  Vec v = Cross(axis, u);
  std::vector<Vec> top, equator;
  for (Vec p : ico) {
    Vec q{Dot(p, u), Dot(p, v), Dot(p, axis)};
    if (std::fabs(q.z) < 1e-9) equator.push_back(q);
    else if (q.z > 0) top.push_back(q);
  }
  // Turn the decagon onto the angles pi k / 5; then find the parity of the edges
  // that carry triangles (an apex at distance 1 from both ends).
  double first = 1e9;
  for (Vec p : equator) first = std::min(first, std::fabs(std::atan2(p.y, p.x)));
  double offset = 0;
  for (Vec p : equator)
    if (std::fabs(std::fabs(std::atan2(p.y, p.x)) - first) < 1e-9) offset = -std::atan2(p.y, p.x);
  auto decagon = Ring(10, 0, 0);
  for (Vec& p : top) p = RotateZ(p, offset);
  int parity = -1;
  for (int k = 0; k < 2 && parity < 0; ++k) {
    for (Vec p : top)
      if (std::fabs(Length(p - decagon[k]) - 1) < 1e-9 && std::fabs(Length(p - decagon[k + 1]) - 1) < 1e-9)
        parity = k;
  }
  if (parity < 0) Fail("rotunda", "no triangle on the decagon");
  std::vector<std::array<double, 3>> cyl;
  for (Vec p : top) {
    double angle = std::atan2(p.y, p.x) - parity * kPi / 5;
    cyl.push_back({std::hypot(p.x, p.y), angle, p.z});
  }
  return cyl;
}

// The vertices of a cap (without its base ring).
std::vector<Vec> MakeCap(Cap cap, int m, double z, double turn, int parity, int dir) {
  std::vector<Vec> out;
  switch (cap) {
    case Cap::kNone:
      break;
    case Cap::kPyramid:
      out.push_back({0, 0, z + dir * PyramidHeight(m)});
      break;
    case Cap::kCupola: {
      // The top n-gon: its vertices over the middles of the triangle edges.
      int n = m / 2;
      for (int j = 0; j < n; ++j) {
        double a = turn + 2 * kPi * (parity + 2 * j + 0.5) / m;
        out.push_back({RingRadius(n) * std::cos(a), RingRadius(n) * std::sin(a), z + dir * CupolaHeight(n)});
      }
      break;
    }
    case Cap::kRotunda: {
      if (m != 10) Fail("rotunda", "needs a decagon");
      for (const auto& c : RotundaTop()) {
        double a = turn + c[1] + parity * kPi / 5;
        out.push_back({c[0] * std::cos(a), c[0] * std::sin(a), z + dir * c[2]});
      }
      break;
    }
  }
  return out;
}

// A solid stacked along z: a cap on top of a ring of m vertices at z = 0, then a
// band (0 none, 1 prism, 2 antiprism) down to a second ring, then a cap below.
// `bottomParity` counts on the lowest ring.
Solid Stack(int m, Cap top, int topParity, int band, Cap bottom, int bottomParity) {
  Solid s;
  Add(s, MakeCap(top, m, 0, 0, topParity, 1));
  Add(s, Ring(m, 0, 0));
  double z = 0, turn = 0;
  if (band == 1) {
    z = -1;
    Add(s, Ring(m, z, turn));
  } else if (band == 2) {
    z = -AntiprismHeight(m);
    turn = kPi / m;
    Add(s, Ring(m, z, turn));
  }
  Add(s, MakeCap(bottom, m, z, turn, bottomParity, -1));
  return s;
}

Solid Gyrobifastigium() {
  Solid s;
  const double h = std::sqrt(3.0) / 2;
  s.verts = {{0.5, 0.5, 0}, {-0.5, 0.5, 0}, {-0.5, -0.5, 0}, {0.5, -0.5, 0},
             {0.5, 0, h},   {-0.5, 0, h},   {0, 0.5, -h},   {0, -0.5, -h}};
  return s;
}

// The square pyramid numbered to fit its stored face list
// "(4 1 0 3) (1 4 2) (0 1 2) (3 0 2) (4 3 2)": the apex is vertex 2 and the square
// runs 4 1 0 3, counter-clockwise seen from below.
Solid SquarePyramid() {
  Solid s;
  auto base = Ring(4, 0, kPi / 4);
  s.verts.resize(5);
  s.verts[2] = {0, 0, PyramidHeight(4)};
  const int order[4] = {4, 3, 0, 1};  // counter-clockwise seen from above
  for (int k = 0; k < 4; ++k) s.verts[static_cast<size_t>(order[k])] = base[static_cast<size_t>(k)];
  s.faceList = "h (4 1 0 3) (1 4 2) (0 1 2) (3 0 2) (4 3 2)";
  return s;
}

// ---- Faces of a convex solid ------------------------------------------------------

// The faces of a strictly convex solid, each a cycle counter-clockwise seen from
// outside, in order of their lowest vertex triple.
std::vector<Face> HullFaces(const std::vector<Vec>& p) {
  int n = static_cast<int>(p.size());
  std::vector<Face> faces;
  std::vector<std::vector<int>> seen;
  for (int a = 0; a < n; ++a)
    for (int b = a + 1; b < n; ++b)
      for (int c = b + 1; c < n; ++c) {
        Vec normal = Cross(p[b] - p[a], p[c] - p[a]);
        if (Length(normal) < 1e-9) continue;
        normal = Unit(normal);
        int above = 0, below = 0;
        std::vector<int> on;
        for (int k = 0; k < n; ++k) {
          double d = Dot(p[k] - p[a], normal);
          if (d > kPlaneTolerance) ++above;
          else if (d < -kPlaneTolerance) ++below;
          else on.push_back(k);
        }
        if (above && below) continue;
        if (std::find(seen.begin(), seen.end(), on) != seen.end()) continue;
        seen.push_back(on);
        if (above) normal = normal * -1;
        // Order the face's vertices by angle round its centre.
        Vec centre;
        for (int k : on) centre = centre + p[k];
        centre = centre * (1.0 / static_cast<double>(on.size()));
        Vec e1 = Unit(p[on[0]] - centre);
        Vec e2 = Cross(normal, e1);
        std::vector<std::pair<double, int>> order;
        for (int k : on) {
          Vec d = p[k] - centre;
          double ang = std::atan2(Dot(d, e2), Dot(d, e1));
          if (ang < -1e-9) ang += 2 * kPi;
          order.push_back({ang, k});
        }
        std::sort(order.begin(), order.end());
        Face face;
        for (auto& o : order) face.push_back(o.second);
        faces.push_back(face);
      }
  return faces;
}

// Reads the faces of a face-list text; a face marked "t" is left out.
std::vector<Face> ReadFaces(const std::string& text) {
  std::vector<Face> faces;
  bool temp = false;
  for (size_t i = 0; i < text.size();) {
    if (text[i] == 't') {
      temp = true;
      ++i;
    } else if (text[i] == '(') {
      Face face;
      ++i;
      while (i < text.size() && text[i] != ')') {
        if (text[i] == ' ') {
          ++i;
          continue;
        }
        size_t used = 0;
        face.push_back(std::stoi(text.substr(i), &used));
        i += used;
      }
      ++i;
      if (!temp) faces.push_back(face);
      temp = false;
    } else {
      ++i;
    }
  }
  return faces;
}

// The solid's faces: its fixed list, or the faces of its hull.
std::vector<Face> FacesOf(const Solid& s) { return s.faceList.empty() ? HullFaces(s.verts) : ReadFaces(s.faceList); }

std::vector<std::pair<int, int>> EdgesOf(const std::vector<Face>& faces) {
  std::map<std::pair<int, int>, int> uses;
  for (const Face& f : faces)
    for (size_t i = 0; i < f.size(); ++i) {
      int a = f[i], b = f[(i + 1) % f.size()];
      ++uses[{std::min(a, b), std::max(a, b)}];
    }
  std::vector<std::pair<int, int>> edges;
  for (auto& [edge, count] : uses) {
    if (count != 2) Fail("edges", "an edge not shared by two faces");
    edges.push_back(edge);
  }
  return edges;
}

// ---- Solids cut from, added to and turned on uniform polyhedra --------------------

// The vertices of the icosahedron with unit edge.
std::vector<Vec> Icosahedron() {
  std::vector<Vec> p;
  for (int s1 : {-1, 1})
    for (int s2 : {-1, 1}) {
      p.push_back({0, s1 * 0.5, s2 * kPhi / 2});
      p.push_back({s1 * 0.5, s2 * kPhi / 2, 0});
      p.push_back({s2 * kPhi / 2, 0, s1 * 0.5});
    }
  return p;
}

// The vertices of the dodecahedron with unit edge, the dual of Icosahedron() in the
// same orientation.
std::vector<Vec> Dodecahedron() {
  std::vector<Vec> p;
  const double a = kPhi / 2, b = 0.5, c = kPhi * kPhi / 2;
  for (int s1 : {-1, 1})
    for (int s2 : {-1, 1}) {
      for (int s3 : {-1, 1}) p.push_back({s1 * a, s2 * a, s3 * a});
      p.push_back({0, s1 * c, s2 * b});
      p.push_back({s1 * c, s2 * b, 0});
      p.push_back({s2 * b, 0, s1 * c});
    }
  return p;
}

// Even permutations of (x, y, z) with every choice of signs of the non-zero ones.
std::vector<Vec> EvenPermutations(double x, double y, double z) {
  std::vector<Vec> p;
  for (int s1 : {-1, 1})
    for (int s2 : {-1, 1})
      for (int s3 : {-1, 1}) {
        if ((x == 0 && s1 < 0) || (y == 0 && s2 < 0) || (z == 0 && s3 < 0)) continue;
        Vec v{s1 * x, s2 * y, s3 * z};
        p.push_back(v);
        p.push_back({v.y, v.z, v.x});
        p.push_back({v.z, v.x, v.y});
      }
  return p;
}

std::vector<Vec> TruncatedTetrahedron() {
  std::vector<Vec> p;
  const double s = 1 / std::sqrt(8.0);
  for (Vec v : std::vector<Vec>{{3, 1, 1}, {1, 3, 1}, {1, 1, 3}})
    for (int s1 : {-1, 1})
      for (int s2 : {-1, 1}) {
        // Even numbers of minus signs.
        int s3 = s1 * s2;
        p.push_back(Vec{s1 * v.x, s2 * v.y, s3 * v.z} * s);
      }
  return p;
}

std::vector<Vec> TruncatedCube() {
  std::vector<Vec> p;
  const double a = 0.5, b = (1 + std::sqrt(2.0)) / 2;
  for (int s1 : {-1, 1})
    for (int s2 : {-1, 1})
      for (int s3 : {-1, 1}) {
        p.push_back({s1 * a, s2 * b, s3 * b});
        p.push_back({s1 * b, s2 * a, s3 * b});
        p.push_back({s1 * b, s2 * b, s3 * a});
      }
  return p;
}

std::vector<Vec> TruncatedDodecahedron() {
  std::vector<Vec> p;
  const double f = kPhi, g = 1 / kPhi;
  for (Vec v : EvenPermutations(0, g, 2 + f)) p.push_back(v);
  for (Vec v : EvenPermutations(g, f, 2 * f)) p.push_back(v);
  for (Vec v : EvenPermutations(f, 2, f + 1)) p.push_back(v);
  for (Vec& v : p) v = v * (1 / (2 * g));  // the edge of this set is 2 / phi
  return p;
}

std::vector<Vec> Rhombicosidodecahedron() {
  std::vector<Vec> p;
  const double f = kPhi;
  for (Vec v : EvenPermutations(1, 1, f * f * f)) p.push_back(v);
  for (Vec v : EvenPermutations(f * f, f, 2 * f)) p.push_back(v);
  for (Vec v : EvenPermutations(2 + f, 0, f * f)) p.push_back(v);
  for (Vec& v : p) v = v * 0.5;  // the edge of this set is 2
  return p;
}

// The directions of the vertices of the icosahedron, which are the five-fold axes
// of the icosahedral solids. Two of them at this angle belong to vertices (or faces)
// that are neither neighbours nor opposite ("meta").
std::vector<Vec> FiveFoldAxes() {
  std::vector<Vec> axes;
  for (Vec v : Icosahedron()) axes.push_back(Unit(v));
  return axes;
}
const double kMetaCosine = -1 / std::sqrt(5.0);

// Picks axes from a list: the first, then (para) the one opposite, or (meta) ones
// at the meta angle to all chosen so far.
std::vector<Vec> PickAxes(const std::vector<Vec>& axes, const std::string& pattern) {
  std::vector<Vec> chosen = {axes[0]};
  for (size_t i = 1; i < pattern.size(); ++i) {
    for (Vec a : axes) {
      bool fits = true;
      for (Vec c : chosen) {
        double cosine = Dot(a, c);
        if (pattern[i] == 'p' ? cosine > -1 + 1e-9 : std::fabs(cosine - kMetaCosine) > 1e-9) fits = false;
      }
      if (fits) {
        chosen.push_back(a);
        break;
      }
    }
  }
  if (chosen.size() != pattern.size()) Fail("axes", "no arrangement " + pattern);
  return chosen;
}

// The indices of the vertices furthest along a direction.
std::vector<int> TopVertices(const std::vector<Vec>& p, Vec axis) {
  double best = -1e9;
  for (Vec v : p) best = std::max(best, Dot(v, axis));
  std::vector<int> top;
  for (int i = 0; i < static_cast<int>(p.size()); ++i)
    if (Dot(p[static_cast<size_t>(i)], axis) > best - 1e-9) top.push_back(i);
  return top;
}

Solid FromPoints(const std::vector<Vec>& p, const std::vector<bool>& removed = {}) {
  Solid s;
  for (size_t i = 0; i < p.size(); ++i)
    if (removed.empty() || !removed[i]) s.verts.push_back(p[i]);
  return s;
}

// The centre of a face and its unit normal pointing away from the centroid of the
// point set.
std::pair<Vec, Vec> FaceFrame(const std::vector<Vec>& p, const Face& face) {
  Vec centre, middle;
  for (int k : face) centre = centre + p[static_cast<size_t>(k)];
  centre = centre * (1.0 / static_cast<double>(face.size()));
  for (Vec v : p) middle = middle + v;
  middle = middle * (1.0 / static_cast<double>(p.size()));
  Vec normal = Unit(Cross(p[static_cast<size_t>(face[1])] - p[static_cast<size_t>(face[0])],
                          p[static_cast<size_t>(face[2])] - p[static_cast<size_t>(face[0])]));
  if (Dot(normal, centre - middle) < 0) normal = normal * -1;
  return {centre, normal};
}

// A pyramid with unit edges on a face of a point set.
void AddPyramid(std::vector<Vec>& p, const Face& face) {
  auto [centre, normal] = FaceFrame(p, face);
  p.push_back(centre + normal * PyramidHeight(static_cast<int>(face.size())));
}

// A cupola with unit edges on a 2n-gon face of a point set; `parity` chooses which
// alternate edges of the face carry its triangles.
void AddCupola(std::vector<Vec>& p, const Face& face, int parity) {
  const int m = static_cast<int>(face.size()), n = m / 2;
  auto [centre, normal] = FaceFrame(p, face);
  std::vector<Vec> top;
  for (int j = 0; j < n; ++j) {
    // Over the middle of a triangle edge, at the top ring's radius.
    Vec a = p[static_cast<size_t>(face[static_cast<size_t>((parity + 2 * j) % m)])];
    Vec b = p[static_cast<size_t>(face[static_cast<size_t>((parity + 2 * j + 1) % m)])];
    Vec out = Unit((a + b) * 0.5 - centre);
    top.push_back(centre + out * RingRadius(n) + normal * CupolaHeight(n));
  }
  p.insert(p.end(), top.begin(), top.end());
}

// Whether every face of the hull of a point set is a regular polygon with unit
// edges (two faces in one plane show as one face that is not regular).
bool HasRegularFaces(const std::vector<Vec>& p) {
  for (const Face& f : HullFaces(p)) {
    Vec centre;
    for (int k : f) centre = centre + p[static_cast<size_t>(k)];
    centre = centre * (1.0 / static_cast<double>(f.size()));
    const double radius = RingRadius(static_cast<int>(f.size()));
    for (size_t i = 0; i < f.size(); ++i) {
      Vec a = p[static_cast<size_t>(f[i])], b = p[static_cast<size_t>(f[(i + 1) % f.size()])];
      if (std::fabs(Length(a - b) - 1) > 1e-9 || std::fabs(Length(a - centre) - radius) > 1e-9) return false;
    }
  }
  return true;
}

// Of the two ways to put a cupola on a face the one that leaves every face regular
// (the other lays cupola faces in the planes of their neighbours).
void AddConvexCupola(std::vector<Vec>& p, const Face& face) {
  for (int parity = 0; parity < 2; ++parity) {
    std::vector<Vec> trial = p;
    AddCupola(trial, face, parity);
    if (HasRegularFaces(trial)) {
      p = trial;
      return;
    }
  }
  Fail("cupola", "no convex placement");
}

// The face of a point set furthest along a direction.
Face FaceAlong(const std::vector<Vec>& p, Vec axis) {
  std::vector<int> top = TopVertices(p, axis);
  for (const Face& f : HullFaces(p)) {
    std::vector<int> sorted = f;
    std::sort(sorted.begin(), sorted.end());
    if (sorted == top) return f;
  }
  Fail("face", "none along the axis");
}

// The outward normals of the faces with `sides` corners, in the order of the hull.
std::vector<Vec> FaceAxes(const std::vector<Vec>& p, int sides) {
  std::vector<Vec> axes;
  for (const Face& f : HullFaces(p))
    if (static_cast<int>(f.size()) == sides) axes.push_back(FaceFrame(p, f).second);
  return axes;
}

// A prism with unit edges on an n-gon; pyramids on the squares in `augmented`.
Solid AugmentedPrism(int n, const std::vector<int>& augmented) {
  std::vector<Vec> p = Ring(n, 0.5, 0);
  std::vector<Vec> lower = Ring(n, -0.5, 0);
  p.insert(p.end(), lower.begin(), lower.end());
  for (int k : augmented) AddPyramid(p, {k, (k + 1) % n, n + (k + 1) % n, n + k});
  return FromPoints(p);
}

// The dodecahedron with pentagonal pyramids on the faces picked by `pattern`.
Solid AugmentedDodecahedron(const std::string& pattern) {
  std::vector<Vec> p = Dodecahedron();
  for (Vec axis : PickAxes(FaceAxes(p, 5), pattern)) AddPyramid(p, FaceAlong(p, axis));
  return FromPoints(p);
}

// The icosahedron without the vertices picked by `pattern`.
std::vector<Vec> DiminishedIcosahedron(const std::string& pattern) {
  std::vector<Vec> p = Icosahedron();
  std::vector<bool> removed(p.size(), false);
  for (Vec axis : PickAxes(FiveFoldAxes(), pattern)) removed[static_cast<size_t>(TopVertices(p, axis)[0])] = true;
  return FromPoints(p, removed).verts;
}

// A truncated solid with cupolae on the faces furthest along the given axes.
Solid AugmentedTruncated(std::vector<Vec> p, const std::vector<Vec>& axes) {
  for (Vec axis : axes) AddConvexCupola(p, FaceAlong(p, axis));
  return FromPoints(p);
}

// The rhombicosidodecahedron with the pentagonal cupolae picked by `pattern` turned
// by a fifth of a turn ('g') or cut away ('d'); `kinds` has one letter per axis.
Solid ChangedRhombicosidodecahedron(const std::string& pattern, const std::string& kinds) {
  std::vector<Vec> p = Rhombicosidodecahedron();
  std::vector<bool> removed(p.size(), false);
  std::vector<Vec> axes = PickAxes(FaceAxes(p, 5), pattern);
  for (size_t i = 0; i < axes.size(); ++i) {
    for (int k : TopVertices(p, axes[i])) {
      if (kinds[i] == 'd') removed[static_cast<size_t>(k)] = true;
      else p[static_cast<size_t>(k)] = RotateAbout(p[static_cast<size_t>(k)], axes[i], kPi / 5);
    }
  }
  return FromPoints(p, removed);
}

// ---- Solids solved from their faces -----------------------------------------------

// Solves "every edge 1 and every face a regular polygon" for the vertices of a face
// list: the squared distances of the corners of each face are those of the regular
// polygon with unit edge. Levenberg-Marquardt steps from a start, then plain
// Gauss-Newton steps to full precision. Returns the largest error left.
double SolveRegular(std::vector<Vec>& p, const std::vector<Face>& faces) {
  struct Condition {
    int a, b;
    double squared;
  };
  std::vector<Condition> conditions;
  std::map<std::pair<int, int>, bool> seen;
  for (const Face& f : faces) {
    const int n = static_cast<int>(f.size());
    for (int i = 0; i < n; ++i)
      for (int j = i + 1; j < n; ++j) {
        int a = f[static_cast<size_t>(i)], b = f[static_cast<size_t>(j)];
        if (seen[{std::min(a, b), std::max(a, b)}]) continue;
        seen[{std::min(a, b), std::max(a, b)}] = true;
        double d = Chord(n, std::min(j - i, n - (j - i)));
        conditions.push_back({a, b, d * d});
      }
  }
  const size_t unknowns = 3 * p.size();
  auto residuals = [&](const std::vector<Vec>& q) {
    std::vector<double> r;
    for (const Condition& c : conditions) {
      Vec d = q[static_cast<size_t>(c.a)] - q[static_cast<size_t>(c.b)];
      r.push_back(Dot(d, d) - c.squared);
    }
    return r;
  };
  auto largest = [](const std::vector<double>& r) {
    double m = 0;
    for (double x : r) m = std::max(m, std::fabs(x));
    return m;
  };
  double lambda = 1e-3;
  std::vector<double> r = residuals(p);
  for (int iteration = 0; iteration < 400 && largest(r) > 1e-15; ++iteration) {
    // Normal equations J^T J + lambda diag, J^T r.
    std::vector<double> jtj(unknowns * unknowns, 0.0), jtr(unknowns, 0.0);
    for (size_t k = 0; k < conditions.size(); ++k) {
      const Condition& c = conditions[k];
      Vec d = p[static_cast<size_t>(c.a)] - p[static_cast<size_t>(c.b)];
      double g[6] = {2 * d.x, 2 * d.y, 2 * d.z, -2 * d.x, -2 * d.y, -2 * d.z};
      size_t index[6] = {3 * static_cast<size_t>(c.a), 3 * static_cast<size_t>(c.a) + 1,
                         3 * static_cast<size_t>(c.a) + 2, 3 * static_cast<size_t>(c.b),
                         3 * static_cast<size_t>(c.b) + 1, 3 * static_cast<size_t>(c.b) + 2};
      for (int i = 0; i < 6; ++i) {
        jtr[index[i]] += g[i] * r[k];
        for (int j = 0; j < 6; ++j) jtj[index[i] * unknowns + index[j]] += g[i] * g[j];
      }
    }
    for (;;) {
      std::vector<double> a = jtj, x = jtr;
      for (size_t i = 0; i < unknowns; ++i) a[i * unknowns + i] += lambda * (1 + a[i * unknowns + i]);
      // Gaussian elimination with partial pivoting.
      for (size_t col = 0; col < unknowns; ++col) {
        size_t pivot = col;
        for (size_t row = col + 1; row < unknowns; ++row)
          if (std::fabs(a[row * unknowns + col]) > std::fabs(a[pivot * unknowns + col])) pivot = row;
        for (size_t k = 0; k < unknowns; ++k) std::swap(a[col * unknowns + k], a[pivot * unknowns + k]);
        std::swap(x[col], x[pivot]);
        for (size_t row = col + 1; row < unknowns; ++row) {
          double factor = a[row * unknowns + col] / a[col * unknowns + col];
          for (size_t k = col; k < unknowns; ++k) a[row * unknowns + k] -= factor * a[col * unknowns + k];
          x[row] -= factor * x[col];
        }
      }
      for (size_t i = unknowns; i-- > 0;) {
        for (size_t k = i + 1; k < unknowns; ++k) x[i] -= a[i * unknowns + k] * x[k];
        x[i] /= a[i * unknowns + i];
      }
      std::vector<Vec> trial = p;
      for (size_t v = 0; v < p.size(); ++v) trial[v] = p[v] - Vec{x[3 * v], x[3 * v + 1], x[3 * v + 2]};
      std::vector<double> rt = residuals(trial);
      double before = 0, after = 0;
      for (double e : r) before += e * e;
      for (double e : rt) after += e * e;
      if (after < before || after == 0) {
        p = trial;
        r = rt;
        lambda = std::max(lambda * 0.1, 1e-15);
        break;
      }
      lambda *= 10;
      if (lambda > 1e12) return largest(r);
    }
  }
  return largest(r);
}

// Whether every vertex not on a face lies at least the margin inside its plane,
// and every face's corners lie in its plane.
bool IsStrictlyConvex(const std::vector<Vec>& p, const std::vector<Face>& faces) {
  Vec middle;
  for (Vec v : p) middle = middle + v;
  middle = middle * (1.0 / static_cast<double>(p.size()));
  for (const Face& f : faces) {
    auto [centre, normal] = FaceFrame(p, f);
    std::vector<bool> on(p.size(), false);
    for (int k : f) on[static_cast<size_t>(k)] = true;
    for (size_t k = 0; k < p.size(); ++k) {
      double d = Dot(p[k] - centre, normal);
      if (on[k] ? std::fabs(d) > 1e-9 : d > -kConvexMargin) return false;
    }
  }
  return true;
}

// A start for the solver that follows the face list: the vertices placed by
// classical multidimensional scaling of their distances along edges and face
// diagonals, which puts them round a convex-looking body in the right order.
std::vector<Vec> GraphStart(const std::vector<Face>& faces, int numVerts) {
  const size_t n = static_cast<size_t>(numVerts);
  std::vector<double> d(n * n, 1e9);
  for (size_t i = 0; i < n; ++i) d[i * n + i] = 0;
  for (const Face& f : faces) {
    const int m = static_cast<int>(f.size());
    for (int i = 0; i < m; ++i)
      for (int j = 0; j < m; ++j) {
        size_t a = static_cast<size_t>(f[static_cast<size_t>(i)]), b = static_cast<size_t>(f[static_cast<size_t>(j)]);
        d[a * n + b] = std::min(d[a * n + b], Chord(m, std::min(std::abs(j - i), m - std::abs(j - i))));
      }
  }
  for (size_t k = 0; k < n; ++k)
    for (size_t i = 0; i < n; ++i)
      for (size_t j = 0; j < n; ++j) d[i * n + j] = std::min(d[i * n + j], d[i * n + k] + d[k * n + j]);
  // B = -1/2 J D^2 J, then its three leading eigenvectors by power iteration.
  std::vector<double> b(n * n), rowMean(n, 0.0);
  double mean = 0;
  for (size_t i = 0; i < n; ++i)
    for (size_t j = 0; j < n; ++j) {
      rowMean[i] += d[i * n + j] * d[i * n + j] / static_cast<double>(n);
      mean += d[i * n + j] * d[i * n + j] / static_cast<double>(n * n);
    }
  for (size_t i = 0; i < n; ++i)
    for (size_t j = 0; j < n; ++j) b[i * n + j] = -0.5 * (d[i * n + j] * d[i * n + j] - rowMean[i] - rowMean[j] + mean);
  std::vector<std::vector<double>> vectors;
  std::vector<Vec> p(n);
  for (int axis = 0; axis < 3; ++axis) {
    std::vector<double> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = std::sin(1.0 + static_cast<double>(i * 7 + static_cast<size_t>(axis) * 3));
    double value = 0;
    for (int iteration = 0; iteration < 2000; ++iteration) {
      std::vector<double> w(n, 0.0);
      for (size_t i = 0; i < n; ++i)
        for (size_t j = 0; j < n; ++j) w[i] += b[i * n + j] * v[j];
      for (const auto& u : vectors) {
        double dot = 0;
        for (size_t i = 0; i < n; ++i) dot += w[i] * u[i];
        for (size_t i = 0; i < n; ++i) w[i] -= dot * u[i];
      }
      double norm = 0;
      for (double x : w) norm += x * x;
      norm = std::sqrt(norm);
      value = norm;
      for (size_t i = 0; i < n; ++i) v[i] = w[i] / norm;
    }
    vectors.push_back(v);
    for (size_t i = 0; i < n; ++i) {
      double c = v[i] * std::sqrt(value);
      if (axis == 0) p[i].x = c;
      if (axis == 1) p[i].y = c;
      if (axis == 2) p[i].z = c;
    }
  }
  return p;
}

// The convex realisation of a face list with regular faces: solved from a start
// that follows the face list (shaken a little more at each attempt) until it
// converges to a strictly convex solid; Cauchy's theorem makes that the only one,
// up to a mirror image.
Solid SolveFaces(const std::string& name, const std::vector<Face>& faces, int numVerts) {
  const std::vector<Vec> start = GraphStart(faces, numVerts);
  unsigned seed = 12345;
  auto random = [&seed]() {
    seed = seed * 1103515245u + 12345u;
    return static_cast<double>((seed >> 8) & 0xFFFF) / 65535.0 * 2 - 1;
  };
  for (int attempt = 0; attempt < 2000; ++attempt) {
    std::vector<Vec> p;
    const double shake = 0.02 * (attempt % 40);
    for (int v = 0; v < numVerts; ++v) p.push_back(start[static_cast<size_t>(v)] + Vec{random(), random(), random()} * shake);
    if (SolveRegular(p, faces) < 1e-14 && IsStrictlyConvex(p, faces)) return FromPoints(p);
  }
  Fail(name, "no convex solution");
}

Face F(std::initializer_list<int> v) { return Face(v); }

// The spheno: two squares on a ridge B C with a triangle at each end of the ridge
// (vertices A B C D E F X Y = first .. first + 7); its rim is A X F E Y D.
void AddSpheno(std::vector<Face>& f, int o) {
  const int A = o, B = o + 1, C = o + 2, D = o + 3, E = o + 4, Fv = o + 5, X = o + 6, Y = o + 7;
  f.push_back(F({A, B, C, D}));
  f.push_back(F({B, C, E, Fv}));
  f.push_back(F({A, B, X}));
  f.push_back(F({Fv, B, X}));
  f.push_back(F({C, D, Y}));
  f.push_back(F({C, E, Y}));
}

// The twelve triangles of a megacorona filling a hexagonal rim a x f e y d with four
// vertices u (by x), v (by y), r (by a and d) and s (by f and e).
void AddMegacorona(std::vector<Face>& f, int a, int x, int fv, int e, int y, int d, int u) {
  const int v = u + 1, r = u + 2, s = u + 3;
  for (Face t : {F({a, x, u}), F({x, fv, u}), F({fv, e, s}), F({e, y, v}), F({y, d, v}), F({d, a, r}), F({a, u, r}),
                 F({d, r, v}), F({fv, s, u}), F({e, s, v}), F({u, r, s}), F({v, r, s})})
    f.push_back(t);
}

Solid SnubDisphenoid() {
  // Spine edges T1 T2 (0 1) and B1 B2 (2 3); belt M1 .. M4 (4 .. 7).
  std::vector<Face> f = {F({0, 1, 4}), F({0, 1, 5}), F({2, 3, 6}), F({2, 3, 7}), F({0, 4, 6}), F({0, 5, 6}),
                         F({1, 4, 7}), F({1, 5, 7}), F({2, 4, 6}), F({2, 4, 7}), F({3, 5, 6}), F({3, 5, 7})};
  return SolveFaces("snub disphenoid", f, 8);
}

Solid SnubSquareAntiprism() {
  // Top square T (0-3), upper belt U (4-7), lower belt L (8-11), bottom square B (12-15).
  std::vector<Face> f = {F({0, 1, 2, 3}), F({12, 13, 14, 15})};
  for (int k = 0; k < 4; ++k) {
    int t = k, t1 = (k + 1) % 4, u = 4 + k, um = 4 + (k + 3) % 4, l = 8 + k, l1 = 8 + (k + 1) % 4;
    int b = 12 + k, bm = 12 + (k + 3) % 4;
    for (Face tri : {F({t, t1, u}), F({t, u, l}), F({t, l, um}), F({bm, b, l}), F({l, u, b}), F({b, u, l1})})
      f.push_back(tri);
  }
  return SolveFaces("snub square antiprism", f, 16);
}

Solid Sphenocorona() {
  std::vector<Face> f;
  AddSpheno(f, 0);
  // Corona: P (8) by A and D, Q (9) by F and E.
  for (Face t : {F({0, 3, 8}), F({5, 4, 9}), F({0, 6, 8}), F({3, 7, 8}), F({6, 5, 9}), F({7, 4, 9}), F({6, 8, 9}),
                 F({7, 8, 9})})
    f.push_back(t);
  return SolveFaces("sphenocorona", f, 10);
}

Solid Sphenomegacorona() {
  std::vector<Face> f;
  AddSpheno(f, 0);
  AddMegacorona(f, 0, 6, 5, 4, 7, 3, 8);
  return SolveFaces("sphenomegacorona", f, 12);
}

Solid Hebesphenomegacorona() {
  // Three squares in a row: A B C D, B C E F, E F G H; X by A B F G, Y by D C E H.
  const int A = 0, B = 1, C = 2, D = 3, E = 4, Fv = 5, G = 6, H = 7, X = 8, Y = 9;
  std::vector<Face> f = {F({A, B, C, D}), F({B, C, E, Fv}), F({E, Fv, G, H}), F({A, B, X}), F({Fv, B, X}),
                         F({Fv, G, X}),   F({C, D, Y}),     F({C, E, Y}),     F({E, H, Y})};
  AddMegacorona(f, A, X, G, H, Y, D, 10);
  return SolveFaces("hebesphenomegacorona", f, 14);
}

Solid Disphenocingulum() {
  // Two sphenos turned a quarter turn against each other, joined by a band of
  // twelve triangles between their rims.
  std::vector<Face> f;
  AddSpheno(f, 0);
  AddSpheno(f, 8);
  const int upper[6] = {0, 6, 5, 4, 7, 3};
  const int lower[6] = {8, 11, 15, 12, 13, 14};
  for (int i = 0; i < 6; ++i) {
    f.push_back(F({upper[i], upper[(i + 1) % 6], lower[i]}));
    f.push_back(F({upper[(i + 1) % 6], lower[i], lower[(i + 1) % 6]}));
  }
  return SolveFaces("disphenocingulum", f, 16);
}

Solid AugmentedSphenocorona() {
  Solid s = Sphenocorona();
  // A pyramid on the square A B C D.
  AddPyramid(s.verts, {0, 1, 2, 3});
  return s;
}

// Two lunes (a square between two triangles) at the ends of the x axis, joined by
// two pairs of pentagons that meet along edges parallel to the x axis.
Solid Bilunabirotunda() {
  Solid s;
  for (int sx : {-1, 1})
    for (int sz : {-1, 1}) s.verts.push_back({sx * 0.5, 0, sz * kPhi * kPhi / 2});
  for (int sx : {-1, 1})
    for (int sy : {-1, 1})
      for (int sz : {-1, 1}) s.verts.push_back({sx * kPhi / 2, sy * 0.5, sz * 0.5});
  for (int sy : {-1, 1}) s.verts.push_back({0, sy * kPhi / 2, 0});
  return s;
}

// The cap of an icosidodecahedron round a triangle (the triangle, the three
// pentagons on its sides and the three triangles at its corners) over a band of
// three squares and nine triangles down to a hexagon.
Solid TriangularHebesphenorotunda() {
  std::vector<Vec> p = Icosidodecahedron();
  // The triangle round the three-fold axis (1, 1, 1) and its three pentagons.
  const Vec axis = Unit({1, 1, 1});
  std::vector<int> top = TopVertices(p, axis);
  std::vector<bool> keep(p.size(), false);
  for (int t : top) keep[static_cast<size_t>(t)] = true;
  for (size_t i = 0; i < p.size(); ++i)
    for (int t : top)
      for (int u : top)
        if (t < u) {
          // The pentagon on edge t u holds the vertices within the diagonal of both.
          Vec a = p[static_cast<size_t>(t)], b = p[static_cast<size_t>(u)];
          if (Length(p[i] - a) < kPhi + 1e-9 && Length(p[i] - b) < kPhi + 1e-9 && Dot(p[i], axis) > 0) keep[i] = true;
        }
  std::vector<Vec> cap;
  for (size_t i = 0; i < p.size(); ++i)
    if (keep[i]) cap.push_back(p[i]);
  if (cap.size() != 12) Fail("triangular hebesphenorotunda", "cap has " + std::to_string(cap.size()) + " vertices");
  // Turn the axis onto z.
  Vec u = Unit(Cross(axis, {1, 0, 0}));
  Vec v = Cross(axis, u);
  for (Vec& q : cap) q = {Dot(q, u), Dot(q, v), Dot(q, axis)};
  // The rim edges that carry the squares: the outer edges of the corner triangles.
  // Their six ends lie at one height, below the triangle and above the three far
  // corners of the pentagons.
  std::map<long long, std::vector<Vec>> byHeight;
  for (Vec q : cap) byHeight[std::llround(q.z * 1e6)].push_back(q);
  std::vector<Vec> rimLow;
  for (auto& [height, group] : byHeight)
    if (group.size() == 6) rimLow = group;
  if (rimLow.size() != 6) Fail("triangular hebesphenorotunda", "rim");
  // Each square hangs straight down from its rim edge, leaning out to the hexagon.
  Solid s;
  s.verts = cap;
  for (Vec a : rimLow) {
    for (Vec b : rimLow) {
      if (std::fabs(Length(a - b) - 1) > 1e-9 || std::atan2(a.y, a.x) > std::atan2(b.y, b.x)) continue;
      Vec mid = (a + b) * 0.5;
      Vec out = Unit({mid.x, mid.y, 0});
      double rho = std::hypot(mid.x, mid.y);
      double apothem = std::sqrt(3.0) / 2;
      double drop = std::sqrt(1 - (apothem - rho) * (apothem - rho));
      Vec shift = out * (apothem - rho) + Vec{0, 0, -drop};
      s.verts.push_back(a + shift);
      s.verts.push_back(b + shift);
    }
  }
  return s;
}

// ---- Toroids: solids with pieces cut out of them --------------------------------
//
// A toroid is an outer solid from which pieces with regular faces are removed:
// tunnels (prisms, cupolae, rotundae, antiprisms) that run from a face of the outer
// solid to a face of the next piece, and sometimes a central solid they all meet.
// Where two pieces share a face, or a piece ends in a face of the outer solid, that
// face disappears; every other face of a removed piece becomes a wall of the hole,
// turned to face into it.

// The vertices of a cap put on a ring of points (in order round the ring) on the
// side the normal points to; `parity` as in MakeCap for the ring in this order.
std::vector<Vec> CapOn(const std::vector<Vec>& ring, Vec normal, Cap cap, int parity) {
  const int m = static_cast<int>(ring.size());
  Vec centre;
  for (Vec v : ring) centre = centre + v;
  centre = centre * (1.0 / m);
  Vec e1 = Unit(ring[0] - centre);
  Vec d1 = Unit(ring[1] - centre);
  Vec e2 = (d1 - e1 * std::cos(2 * kPi / m)) * (1 / std::sin(2 * kPi / m));
  std::vector<Vec> out;
  for (Vec q : MakeCap(cap, m, 0, 0, parity, 1)) out.push_back(centre + e1 * q.x + e2 * q.y + normal * q.z);
  return out;
}

std::vector<Vec> Points(const std::vector<Vec>& p, const Face& f) {
  std::vector<Vec> out;
  for (int k : f) out.push_back(p[static_cast<size_t>(k)]);
  return out;
}

// A ring turned by `angle` round its axis and moved along `normal`.
std::vector<Vec> TurnRing(const std::vector<Vec>& ring, Vec normal, double angle, double shift) {
  Vec centre;
  for (Vec v : ring) centre = centre + v;
  centre = centre * (1.0 / static_cast<double>(ring.size()));
  std::vector<Vec> out;
  for (Vec v : ring) out.push_back(centre + RotateAbout(v - centre, normal, angle) + normal * shift);
  return out;
}

std::vector<Vec> Join(std::vector<Vec> a, const std::vector<Vec>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// The four middle vertices of a cuboctahedron with unit edges whose square `square`
// lies across an axis parallel to z: the square turned by an eighth of a turn,
// widened to the circumradius 1 and moved by `shift` along z.
std::vector<Vec> CuboctahedronWaist(const std::vector<Vec>& square, double shift) {
  Vec centre;
  for (Vec v : square) centre = centre + v;
  centre = centre * 0.25;
  std::vector<Vec> out;
  for (Vec v : square) {
    Vec d = RotateZ(v - centre, kPi / 4);
    out.push_back(centre + d * (1 / Length(d)) + Vec{0, 0, shift});
  }
  return out;
}

// The text of a face list, with a face kept only to brace the spring model last.
std::string FaceListText(const std::vector<Face>& faces, const std::vector<int>& tempFace) {
  std::string text = "h";
  for (const Face& f : faces) {
    text += " (";
    for (size_t i = 0; i < f.size(); ++i) text += (i ? " " : "") + std::to_string(f[i]);
    text += ")";
  }
  if (!tempFace.empty()) {
    text += " t(";
    for (size_t i = 0; i < tempFace.size(); ++i) text += (i ? " " : "") + std::to_string(tempFace[i]);
    text += ")";
  }
  return text;
}

// Whether every edge lies between exactly two faces that are not in one plane (two
// faces along an edge in one plane would be one face).
bool EveryEdgeFolds(const std::vector<Vec>& p, const std::vector<Face>& faces) {
  std::map<std::pair<int, int>, std::vector<Vec>> normals;
  for (const Face& f : faces) {
    Vec n = Unit(Cross(p[static_cast<size_t>(f[1])] - p[static_cast<size_t>(f[0])],
                       p[static_cast<size_t>(f[2])] - p[static_cast<size_t>(f[1])]));
    for (size_t i = 0; i < f.size(); ++i) {
      int a = f[i], b = f[(i + 1) % f.size()];
      normals[{std::min(a, b), std::max(a, b)}].push_back(n);
    }
  }
  for (auto& [edge, ns] : normals)
    if (ns.size() != 2 || Dot(ns[0], ns[1]) > 1 - 1e-9) return false;
  return true;
}

// The faces of an outer solid with pieces removed, or an empty solid when the
// pieces do not fit (a piece whose faces are not all regular, a removed face that
// matches no other, a piece reaching outside the outer solid, or two faces along an
// edge in one plane).
Solid Carve(const std::vector<Vec>& outer, const std::vector<std::vector<Vec>>& pieces) {
  Solid s;
  auto index = [&s](Vec v) {
    for (size_t k = 0; k < s.verts.size(); ++k)
      if (Length(s.verts[k] - v) < 1e-9) return static_cast<int>(k);
    s.verts.push_back(v);
    return static_cast<int>(s.verts.size()) - 1;
  };
  std::vector<std::pair<Face, bool>> all;  // face, whether it belongs to the outer solid
  std::vector<std::vector<Vec>> solids = {outer};
  solids.insert(solids.end(), pieces.begin(), pieces.end());
  for (size_t k = 0; k < solids.size(); ++k) {
    if (!HasRegularFaces(solids[k])) return {};
    for (Face f : HullFaces(solids[k])) {
      Face global;
      for (int v : f) global.push_back(index(solids[k][static_cast<size_t>(v)]));
      if (k > 0) std::reverse(global.begin(), global.end());
      all.push_back({global, k == 0});
    }
  }
  const std::vector<Face> outerFaces = HullFaces(outer);
  for (size_t k = 1; k < solids.size(); ++k)
    for (Vec v : solids[k])
      for (const Face& f : outerFaces) {
        auto [centre, normal] = FaceFrame(outer, f);
        if (Dot(v - centre, normal) > 1e-9) return {};
      }
  std::map<std::vector<int>, int> uses;
  for (auto& [f, isOuter] : all) {
    std::vector<int> key = f;
    std::sort(key.begin(), key.end());
    ++uses[key];
  }
  std::vector<Face> faces;
  for (auto& [f, isOuter] : all) {
    std::vector<int> key = f;
    std::sort(key.begin(), key.end());
    if (uses[key] != 1) {
      if (uses[key] != 2) return {};
      continue;
    }
    // A wall of the hole that lies in the plane of an outer face would open it.
    if (!isOuter)
      for (const Face& g : outerFaces) {
        auto [centre, normal] = FaceFrame(outer, g);
        bool inPlane = true;
        for (int v : f) inPlane = inPlane && std::fabs(Dot(s.verts[static_cast<size_t>(v)] - centre, normal)) < 1e-9;
        if (inPlane) return {};
      }
    faces.push_back(f);
  }
  // Renumber the vertices that the faces use, in order of first use.
  std::map<int, int> renumber;
  std::vector<Vec> used;
  for (Face& f : faces)
    for (int& v : f) {
      auto it = renumber.find(v);
      if (it == renumber.end()) {
        it = renumber.insert({v, static_cast<int>(used.size())}).first;
        used.push_back(s.verts[static_cast<size_t>(v)]);
      }
      v = it->second;
    }
  Solid result;
  result.verts = used;
  result.faceList = FaceListText(faces, {});
  if (!EveryEdgeFolds(used, faces)) return {};
  return result;
}

// Tries the cap parities of a construction until the pieces fit.
Solid CarveFirstFit(const std::string& name, const std::function<Solid(int)>& build) {
  for (int parity = 0; parity < 2; ++parity) {
    Solid s = build(parity);
    if (!s.verts.empty()) return s;
  }
  Fail(name, "the pieces do not fit");
}

// The number of corners of the face of a hull on the other side of edge a b of f.
int NeighbourSides(const std::vector<Face>& faces, const Face& f, int a, int b) {
  for (const Face& g : faces) {
    if (g == f) continue;
    if (std::find(g.begin(), g.end(), a) != g.end() && std::find(g.begin(), g.end(), b) != g.end())
      return static_cast<int>(g.size());
  }
  Fail("neighbour", "an edge with one face");
}

// Every face of `sides` corners of the outer solid (or those picked by `keep`)
// opens a tunnel of caps into a central solid, which is removed too: the tunnels
// are built from the outer face inwards, and the central solid is the hull of their
// inner ends. The first cap of each tunnel stands with its triangles on the edges
// whose outer neighbours have the fewest corners, or (second try) the most.
Solid TunnelsToCentre(const std::string& name, const std::vector<Vec>& outer, size_t sides,
                      const std::function<bool(Vec)>& keep,
                      const std::function<std::vector<std::vector<Vec>>(const std::vector<Vec>&, Vec, int,
                                                                        std::vector<Vec>&)>& tunnel) {
  const std::vector<Face> hull = HullFaces(outer);
  return CarveFirstFit(name, [&](int rule) {
    std::vector<std::vector<Vec>> pieces;
    std::vector<Vec> inner;
    for (const Face& f : hull) {
      if (f.size() != sides) continue;
      Vec normal = FaceFrame(outer, f).second;
      if (!keep(normal)) continue;
      const int n0 = NeighbourSides(hull, f, f[0], f[1]), n1 = NeighbourSides(hull, f, f[1], f[2]);
      const int parity = (n0 < n1) == (rule == 0) ? 0 : 1;
      std::vector<Vec> end;
      for (auto& piece : tunnel(Points(outer, f), normal * -1, parity, end)) pieces.push_back(piece);
      inner.insert(inner.end(), end.begin(), end.end());
    }
    std::vector<Vec> centre;
    for (Vec v : inner) {
      bool seen = false;
      for (Vec c : centre) seen = seen || Length(c - v) < 1e-9;
      if (!seen) centre.push_back(v);
    }
    pieces.push_back(centre);
    return Carve(outer, pieces);
  });
}

std::vector<Vec> TruncatedOctahedron() {
  std::vector<Vec> p;
  const double a = 1 / std::sqrt(2.0), b = std::sqrt(2.0);  // edge 1
  for (int s1 : {-1, 1})
    for (int s2 : {-1, 1}) {
      p.push_back({0, s1 * a, s2 * b});
      p.push_back({0, s1 * b, s2 * a});
      p.push_back({s1 * a, 0, s2 * b});
      p.push_back({s1 * b, 0, s2 * a});
      p.push_back({s1 * a, s2 * b, 0});
      p.push_back({s1 * b, s2 * a, 0});
    }
  return p;
}

std::vector<Vec> TruncatedCuboctahedron() {
  std::vector<Vec> p;
  const double a = 0.5, b = (1 + std::sqrt(2.0)) / 2, c = (1 + 2 * std::sqrt(2.0)) / 2;  // edge 1
  const double xyz[3] = {a, b, c};
  const int perms[6][3] = {{0, 1, 2}, {0, 2, 1}, {1, 0, 2}, {1, 2, 0}, {2, 0, 1}, {2, 1, 0}};
  for (auto& perm : perms)
    for (int s1 : {-1, 1})
      for (int s2 : {-1, 1})
        for (int s3 : {-1, 1}) p.push_back({s1 * xyz[perm[0]], s2 * xyz[perm[1]], s3 * xyz[perm[2]]});
  return p;
}

std::vector<Vec> TruncatedIcosidodecahedron() {
  std::vector<Vec> p;
  const double f = kPhi, g = 1 / kPhi;
  for (Vec v : EvenPermutations(g, g, 3 + f)) p.push_back(v);
  for (Vec v : EvenPermutations(2 * g, f, 1 + 2 * f)) p.push_back(v);
  for (Vec v : EvenPermutations(g, f * f, -1 + 3 * f)) p.push_back(v);
  for (Vec v : EvenPermutations(2 * f - 1, 2, 2 + f)) p.push_back(v);
  for (Vec v : EvenPermutations(f, 3, 2 * f)) p.push_back(v);
  for (Vec& v : p) v = v * (1 / (2 * g));  // the edge of this set is 2 / phi
  return p;
}

// The toroids of the library that the published descriptions fix: by record.
std::map<int, Solid> Toroids() {
  std::map<int, Solid> out;
  auto all = [](Vec) { return true; };
  // Q3 P6 / P3 Q3: an elongated triangular cupola drilled by a triangular prism
  // under its top and a triangular cupola down to its hexagon.
  {
    Solid outer = Stack(6, Cap::kCupola, 0, 1, Cap::kNone, 0);
    std::vector<Vec> top(outer.verts.begin(), outer.verts.begin() + 3);
    std::vector<Vec> bottom(outer.verts.begin() + 9, outer.verts.end());
    std::vector<Vec> middle = TurnRing(top, {0, 0, 1}, 0, -1);
    out[217] = Carve(outer.verts, {Join(top, middle), Join(middle, bottom)});
  }
  // Q3 Q3 / S3 S3: a triangular orthobicupola drilled by two octahedra.
  {
    Solid outer = Stack(6, Cap::kCupola, 0, 0, Cap::kCupola, 0);
    std::vector<Vec> top(outer.verts.begin(), outer.verts.begin() + 3);
    std::vector<Vec> bottom(outer.verts.begin() + 9, outer.verts.end());
    std::vector<Vec> middle = TurnRing(top, {0, 0, 1}, kPi / 3, -CupolaHeight(3));
    out[218] = Carve(outer.verts, {Join(top, middle), Join(middle, bottom)});
  }
  // R5 / S5 Q5: a pentagonal rotunda drilled by a pentagonal antiprism under its top
  // and a pentagonal cupola down to its decagon.
  out[222] = CarveFirstFit("R5 / S5 Q5", [](int parity) {
    Solid outer = Stack(10, Cap::kRotunda, 0, 0, Cap::kNone, 0);
    std::vector<Vec> decagon(outer.verts.begin() + 10, outer.verts.end());
    std::vector<Vec> top = CapOn(decagon, {0, 0, 1}, Cap::kCupola, parity);
    std::vector<Vec> rotundaTop = Points(outer.verts, FaceAlong(outer.verts, {0, 0, 1}));
    return Carve(outer.verts, {Join(decagon, top), Join(top, rotundaTop)});
  });
  // Q4 Q4 / B4: a square orthobicupola drilled by a cuboctahedron through its top and
  // bottom squares. Only the ortho form fits: the cuboctahedron's opposite squares
  // are aligned, the gyro bicupola's are turned by an eighth of a turn.
  {
    Solid outer = Stack(8, Cap::kCupola, 0, 0, Cap::kCupola, 0);
    std::vector<Vec> top(outer.verts.begin(), outer.verts.begin() + 4);
    std::vector<Vec> bottom(outer.verts.end() - 4, outer.verts.end());
    out[220] = Carve(outer.verts, {Join(Join(top, CuboctahedronWaist(top, -CupolaHeight(4))), bottom)});
  }
  // Q4 (T4) Q4 / B4 (P4) B4: the biaugmented truncated cube drilled along its axis by
  // a rod of a cuboctahedron, a cube and a cuboctahedron, from one cupola's top square
  // to the other's. The rod is as long as the solid: 2 sqrt2 + 1.
  {
    Solid outer = AugmentedTruncated(TruncatedCube(), {{0, 0, 1}, {0, 0, -1}});
    std::vector<Vec> top = Points(outer.verts, FaceAlong(outer.verts, {0, 0, 1}));
    std::vector<Vec> bottom = Points(outer.verts, FaceAlong(outer.verts, {0, 0, -1}));
    const double half = std::sqrt(2.0);  // height of the cuboctahedron between its squares
    std::vector<Vec> cubeTop = TurnRing(top, {0, 0, 1}, 0, -half);
    std::vector<Vec> cubeBottom = TurnRing(bottom, {0, 0, 1}, 0, half);
    out[223] =
        Carve(outer.verts, {Join(Join(top, CuboctahedronWaist(top, -half / 2)), cubeTop), Join(cubeTop, cubeBottom),
                            Join(Join(cubeBottom, CuboctahedronWaist(bottom, half / 2)), bottom)});
  }
  // K3 / 4Q3 (S3): a truncated octahedron drilled from four of its hexagons by
  // triangular cupolae that meet at a central octahedron.
  out[224] = TunnelsToCentre(
      "K3 / 4Q3 (S3)", TruncatedOctahedron(), 6, [](Vec n) { return n.x * n.y * n.z > 0; },
      [](const std::vector<Vec>& ring, Vec inward, int parity, std::vector<Vec>& end) {
        end = CapOn(ring, inward, Cap::kCupola, parity);
        return std::vector<std::vector<Vec>>{Join(ring, end)};
      });
  // K3 / Q3 T3: a truncated octahedron drilled from one hexagon to the opposite one
  // by a triangular cupola and a truncated tetrahedron on its top.
  out[221] = CarveFirstFit("K3 / Q3 T3", [](int rule) {
    std::vector<Vec> outer = TruncatedOctahedron();
    const std::vector<Face> hull = HullFaces(outer);
    Face hexagon = FaceAlong(outer, Unit({1, 1, 1}));
    const int n0 = NeighbourSides(hull, hexagon, hexagon[0], hexagon[1]);
    const int n1 = NeighbourSides(hull, hexagon, hexagon[1], hexagon[2]);
    const int parity = (n0 < n1) == (rule == 0) ? 0 : 1;
    std::vector<Vec> ring = Points(outer, hexagon);
    Vec outward = FaceFrame(outer, hexagon).second;
    std::vector<Vec> top = CapOn(ring, outward * -1, Cap::kCupola, parity);
    // The truncated tetrahedron turned so that a triangle lies on the cupola's top,
    // the rest of it further in.
    std::vector<Vec> t3 = TruncatedTetrahedron();
    Face triangle = FaceAlong(t3, Unit({1, 1, 1}));
    auto [tc, tn] = FaceFrame(t3, triangle);
    Vec te1 = Unit(t3[static_cast<size_t>(triangle[0])] - tc), te2 = Cross(tn, te1);
    Vec c;
    for (Vec v : top) c = c + v;
    c = c * (1.0 / 3);
    Vec e1 = Unit(top[0] - c), e2 = Cross(outward, e1);
    std::vector<Vec> piece;
    for (Vec v : t3) {
      Vec d = v - tc;
      piece.push_back(c + e1 * Dot(d, te1) + e2 * Dot(d, te2) + outward * Dot(d, tn));
    }
    return Carve(outer, {Join(ring, top), piece});
  });
  // K4 / 12P4 (E4), K4 / 8Q3 (E4), K4 / 6Q4 (E4): a truncated cuboctahedron drilled
  // from its squares by cubes, from its hexagons by triangular cupolae or from its
  // octagons by square cupolae, to a central rhombicuboctahedron.
  out[226] = TunnelsToCentre("K4 / 12P4 (E4)", TruncatedCuboctahedron(), 4, all,
                             [](const std::vector<Vec>& ring, Vec inward, int, std::vector<Vec>& end) {
                               end = TurnRing(ring, inward, 0, 1);
                               return std::vector<std::vector<Vec>>{Join(ring, end)};
                             });
  for (auto [record, sides] : {std::pair<int, size_t>{227, 6}, {228, 8}})
    out[record] = TunnelsToCentre("K4 cupolae", TruncatedCuboctahedron(), sides, all,
                                  [](const std::vector<Vec>& ring, Vec inward, int parity, std::vector<Vec>& end) {
                                    end = CapOn(ring, inward, Cap::kCupola, parity);
                                    return std::vector<std::vector<Vec>>{Join(ring, end)};
                                  });
  // T5 / 12Q5 S5 (D5) and K5 / 12Q5 S5 (E5): a truncated dodecahedron or truncated
  // icosidodecahedron drilled from its decagons by pentagonal cupolae and antiprisms
  // to a central dodecahedron or rhombicosidodecahedron.
  auto cupolaAntiprism = [](const std::vector<Vec>& ring, Vec inward, int parity, std::vector<Vec>& end) {
    std::vector<Vec> top = CapOn(ring, inward, Cap::kCupola, parity);
    end = TurnRing(top, inward, kPi / 5, AntiprismHeight(5));
    return std::vector<std::vector<Vec>>{Join(ring, top), Join(top, end)};
  };
  out[236] = TunnelsToCentre("T5 / 12Q5 S5 (D5)", TruncatedDodecahedron(), 10, all, cupolaAntiprism);
  out[240] = TunnelsToCentre("K5 / 12Q5 S5 (E5)", TruncatedIcosidodecahedron(), 10, all, cupolaAntiprism);
  // K5 / 12R5 (E5): the same drilled by pentagonal rotundae.
  out[239] = TunnelsToCentre("K5 / 12R5 (E5)", TruncatedIcosidodecahedron(), 10, all,
                             [](const std::vector<Vec>& ring, Vec inward, int parity, std::vector<Vec>& end) {
                               std::vector<Vec> cap = CapOn(ring, inward, Cap::kRotunda, parity);
                               end = Points(cap, FaceAlong(cap, inward));
                               return std::vector<std::vector<Vec>>{Join(ring, cap)};
                             });
  for (auto& [record, solid] : out)
    if (solid.verts.empty()) Fail("toroid " + std::to_string(record), "the pieces do not fit");
  return out;
}

// ---- Near misses: convex solids whose faces are almost regular -------------------
//
// No near miss has every face regular: each is a compromise. Four of them are put
// together from regular polygons with unit edges, placed across the axes of their
// symmetry so that neighbouring polygons share an edge or a vertex; the convex hull
// closes the gaps with faces that are almost regular. These keep the polygons that
// name the solid exactly regular and put the whole error into the gap faces. The
// published descriptions that they follow give the face kinds and counts: Wikipedia,
// "Near-miss Johnson solid"; C. S. Kaplan, "Near Misses" (University of Waterloo),
// whose symbols are those of Kaplan and Hart, "Symmetrohedra" (Bridges 2001). The
// truncated truncated icosahedron has no such construction: its coordinates, a
// least-squares compromise with plane faces computed for a collection of checked
// library data, are read from data/ with the note of how they were made.

// Points closer than 1e-9 are one.
std::vector<Vec> Merged(const std::vector<Vec>& points) {
  std::vector<Vec> out;
  for (Vec v : points) {
    bool seen = false;
    for (Vec w : out) seen = seen || Length(v - w) < 1e-9;
    if (!seen) out.push_back(v);
  }
  return out;
}

// Whether two point sets are the same set.
bool SamePoints(const std::vector<Vec>& a, const std::vector<Vec>& b) {
  if (a.size() != b.size()) return false;
  for (Vec v : a) {
    bool found = false;
    for (Vec w : b) found = found || Length(v - w) < 1e-9;
    if (!found) return false;
  }
  return true;
}

std::vector<Vec> Directions(const std::vector<Vec>& p) {
  std::vector<Vec> out;
  for (Vec v : p) out.push_back(Unit(v));
  return out;
}

// The two-fold axes of the icosahedral solids (Icosahedron() and Dodecahedron()):
// through the middles of the icosahedron's edges.
std::vector<Vec> TwoFoldAxes() {
  const std::vector<Vec> p = Icosahedron();
  std::vector<Vec> axes;
  for (size_t a = 0; a < p.size(); ++a)
    for (size_t b = a + 1; b < p.size(); ++b)
      if (std::fabs(Length(p[a] - p[b]) - 1) < 1e-9) axes.push_back(Unit(p[a] + p[b]));
  return axes;
}

// The `count` axes of a list nearest to an axis.
std::vector<Vec> Nearest(const std::vector<Vec>& axes, Vec axis, size_t count) {
  std::vector<std::pair<double, size_t>> order;
  for (size_t k = 0; k < axes.size(); ++k) order.push_back({-Dot(axes[k], axis), k});
  std::sort(order.begin(), order.end());
  std::vector<Vec> out;
  for (size_t k = 0; k < count; ++k) out.push_back(axes[order[k].second]);
  return out;
}

// A regular polygon of n unit edges across the unit `axis` at `height` from the
// centre, with a vertex (turn 0) or the middle of an edge (turn 0.5) towards `towards`.
std::vector<Vec> PolygonOnAxis(int n, Vec axis, double height, Vec towards, double turn) {
  Vec u = Unit(towards - axis * Dot(towards, axis));
  Vec v = Cross(axis, u);
  std::vector<Vec> out;
  for (int k = 0; k < n; ++k) {
    const double a = 2 * kPi * (k + turn) / n;
    out.push_back(axis * height + (u * std::cos(a) + v * std::sin(a)) * RingRadius(n));
  }
  return out;
}

// The same polygon at the height where that vertex or edge middle lies on the axis
// through `towards`, so that the polygon across that axis's mirror image shares it.
std::vector<Vec> PolygonReaching(int n, Vec axis, Vec towards, double turn) {
  const double reach = turn == 0 ? RingRadius(n) : RingRadius(n) * std::cos(kPi / n);
  const double cosine = Dot(axis, towards);
  return PolygonOnAxis(n, axis, reach * cosine / std::sqrt(1 - cosine * cosine), towards, turn);
}

// The faces of a hull by their numbers of sides.
std::map<size_t, int> FaceKinds(const std::vector<Face>& faces) {
  std::map<size_t, int> kinds;
  for (const Face& f : faces) ++kinds[f.size()];
  return kinds;
}

// Tetrated dodecahedron: on each three-fold axis of a tetrahedron the three faces of
// a dodecahedron round one vertex, turned so that its mirrors are the tetrahedron's
// and pushed out along the axis until its outer corners meet those of the
// neighbouring clusters in their common mirror planes. Of the two turns that put the
// mirrors in place, and of the corners that may be the first to meet, exactly one
// gives a convex solid of 28 vertices with the twelve pentagons as faces and edges
// that are all nearly equal.
Solid TetratedDodecahedron() {
  const std::vector<Vec> dodecahedron = Dodecahedron();
  const Vec axis = Unit({1, 1, 1});
  const int apex = TopVertices(dodecahedron, axis)[0];
  std::vector<Vec> cluster;
  for (const Face& f : HullFaces(dodecahedron))
    if (std::find(f.begin(), f.end(), apex) != f.end()) cluster = Join(cluster, Points(dodecahedron, f));
  cluster = Merged(cluster);
  const Vec top = dodecahedron[static_cast<size_t>(apex)];
  Vec neighbour;
  std::vector<Vec> outer;
  for (Vec v : cluster) {
    if (std::fabs(Length(v - top) - 1) < 1e-9) neighbour = v;
    else if (Length(v - top) > 1 + 1e-9) outer.push_back(v);
  }
  // The half-turns about the coordinate axes carry the cluster to the other three.
  auto tetrahedral = [](const std::vector<Vec>& a) {
    std::vector<Vec> all = a;
    for (Vec v : a) {
      all.push_back({v.x, -v.y, -v.z});
      all.push_back({-v.x, v.y, -v.z});
      all.push_back({-v.x, -v.y, v.z});
    }
    return Merged(all);
  };
  std::vector<std::vector<Vec>> found;
  for (Vec mirror : {Unit({1, 1, -2}), Unit({-1, -1, 2})}) {
    // A neighbour of the apex into the mirror plane x = y, on one side or the other.
    Vec w = neighbour - axis * Dot(neighbour, axis);
    const double angle = std::atan2(Dot(Cross(w, mirror), axis), Dot(w, mirror));
    for (Vec corner : outer) {
      // The corner into the mirror plane y = -z, which the cluster on (1, -1, -1) shares.
      Vec q = RotateAbout(corner, axis, angle);
      const double shift = -(q.y + q.z) / (axis.y + axis.z);
      std::vector<Vec> placed;
      for (Vec v : cluster) placed.push_back(RotateAbout(v, axis, angle) + axis * shift);
      std::vector<Vec> p = tetrahedral(placed);
      if (p.size() != 28) continue;
      std::vector<Face> faces = HullFaces(p);
      if (FaceKinds(faces) != std::map<size_t, int>{{3, 16}, {5, 12}} || !IsStrictlyConvex(p, faces)) continue;
      // A near miss: no edge as much as a tenth longer than the pentagons' (the other
      // turn gives a convex solid too, with edges of 1.8).
      bool near = true;
      for (auto [a, b] : EdgesOf(faces))
        near = near && Length(p[static_cast<size_t>(a)] - p[static_cast<size_t>(b)]) < 1.1;
      if (!near) continue;
      bool seen = false;
      for (const auto& f : found) seen = seen || SamePoints(f, p);
      if (!seen) found.push_back(p);
    }
  }
  if (found.size() != 1) Fail("tetrated dodecahedron", std::to_string(found.size()) + " solutions");
  return FromPoints(found[0]);
}

// Enneagonal-faced polyhedron, O(*, 3, *, [2]): an enneagon across each three-fold
// axis of the octahedral group with an edge lying across each of its three nearest
// two-fold axes, shared with the enneagon across the neighbouring three-fold axis.
Solid EnneagonalFaced() {
  std::vector<Vec> p;
  for (int sx : {-1, 1})
    for (int sy : {-1, 1})
      for (int sz : {-1, 1})
        p = Join(p, PolygonReaching(9, Unit({1.0 * sx, 1.0 * sy, 1.0 * sz}), Unit({1.0 * sx, 1.0 * sy, 0}), 0.5));
  return FromPoints(Merged(p));
}

// Half-truncated truncated icosahedron, I(1, 2, *, [2]): a hexagon across each
// three-fold axis of the icosahedral group with a vertex on each of its three
// nearest two-fold axes, shared with the hexagon on the other side of that axis.
Solid HalfTruncatedTruncatedIcosahedron() {
  const std::vector<Vec> twoFold = TwoFoldAxes();
  std::vector<Vec> p;
  for (Vec axis : Directions(Dodecahedron())) p = Join(p, PolygonReaching(6, axis, Nearest(twoFold, axis, 1)[0], 0));
  return FromPoints(Merged(p));
}

// Decagonal-faced near miss, I(2, *, 3, e): a decagon across each five-fold axis of
// the icosahedral group and a hexagon across each two-fold axis, each with the middle
// of an edge towards its nearest axes of the other kind, at the two heights where
// those edges are one: the middle of the decagon's edge (at height h5 on a5) and of
// the hexagon's (at h2 on a2) are the same point of the plane of the two axes.
Solid DecagonalFaced() {
  const std::vector<Vec> twoFold = TwoFoldAxes();
  const std::vector<Vec> fiveFold = FiveFoldAxes();
  const double c = Dot(fiveFold[0], Nearest(twoFold, fiveFold[0], 1)[0]), s = std::sqrt(1 - c * c);
  const double r10 = RingRadius(10) * std::cos(kPi / 10), r6 = RingRadius(6) * std::cos(kPi / 6);
  const double h5 = (r6 + r10 * c) / s, h2 = (r10 + r6 * c) / s;
  std::vector<Vec> p;
  for (Vec axis : fiveFold) p = Join(p, PolygonOnAxis(10, axis, h5, Nearest(twoFold, axis, 1)[0], 0.5));
  for (Vec axis : twoFold) p = Join(p, PolygonOnAxis(6, axis, h2, Nearest(fiveFold, axis, 1)[0], 0.5));
  return FromPoints(Merged(p));
}

// ---- Solids read from data/ --------------------------------------------------------

// A solid of a file in data/: "V x y z" lines give the vertices in order, "F a b c
// ..." lines the faces (vertex numbers from 0, counter-clockwise seen from outside);
// the "#" lines say where the numbers come from.
Solid ReadData(const std::string& file) {
  std::string folder = __FILE__;
  folder = folder.substr(0, folder.find_last_of('/') + 1) + "data/";
  std::ifstream in(folder + file);
  if (!in) Fail(file, "cannot be read from " + folder);
  Solid s;
  s.faceList = "h";
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string kind;
    fields >> kind;
    if (kind == "V") {
      Vec v;
      if (!(fields >> v.x >> v.y >> v.z)) Fail(file, "a bad vertex: " + line);
      s.verts.push_back(v);
    } else if (kind == "F") {
      Face f;
      for (int k; fields >> k;) f.push_back(k);
      if (f.size() < 3) Fail(file, "a bad face: " + line);
      for (int k : f)
        if (k < 0) Fail(file, "a bad face: " + line);
      s.faceList += " (";
      for (size_t i = 0; i < f.size(); ++i) s.faceList += (i ? " " : "") + std::to_string(f[i]);
      s.faceList += ")";
    }
  }
  for (const Face& f : ReadFaces(s.faceList))
    for (int k : f)
      if (k >= static_cast<int>(s.verts.size())) Fail(file, "a face names a vertex that is not there");
  return s;
}

// Truncated truncated icosahedron, I(2, 4, *, e): decagons and dodecagons whose
// corners the truncation would leave as thin rectangles, closed up by trading a
// little of every polygon's regularity; all faces plane.
Solid TruncatedTruncatedIcosahedron() { return ReadData("203_truncated_truncated_icosahedron.txt"); }

// Stewart's G3, a non-convex polyhedron of regular faces with the topology of a
// sphere (B. M. Stewart, "Adventures Among the Toroids"): the numbers of D. McCooey's
// Visual Polyhedra, each replaced by its exact form C0 to C6 (over 808, with sqrt 5).
Solid StewartG3() {
  Solid s = ReadData("212_stewart_G3.txt");
  const double r5 = std::sqrt(5.0);
  const double exact[] = {(183 - 31 * r5) / 808, (221 + 31 * r5) / 808, (-19 + 171 * r5) / 808, (19 + 233 * r5) / 808,
                          (625 + 31 * r5) / 808, (385 + 171 * r5) / 808, (423 + 233 * r5) / 808};
  for (Vec& v : s.verts)
    for (double* x : {&v.x, &v.y, &v.z}) {
      bool found = false;
      for (double e : exact)
        if (std::fabs(std::fabs(*x) - e) < 1e-12) {
          *x = *x < 0 ? -e : e;
          found = true;
        }
      if (!found) Fail("Stewart G3", "a coordinate without its exact form");
    }
  return s;
}

// What a finished solid must be besides its faces: convex (a Johnson solid), a closed
// surface with holes (a toroid), or a non-convex surface without holes.
enum class Shape { kConvex, kToroid, kNonConvexSphere };

// Whether each edge is run once each way, so that the faces are turned alike, and
// the volume they enclose is positive, so that they are turned outwards.
bool IsOutwardOriented(const std::vector<Vec>& p, const std::vector<Face>& faces) {
  std::map<std::pair<int, int>, int> runs;
  double volume = 0;
  for (const Face& f : faces)
    for (size_t i = 0; i < f.size(); ++i) {
      const int a = f[i], b = f[(i + 1) % f.size()];
      if (++runs[{a, b}] > 1) return false;
      if (i > 0 && i + 1 < f.size())
        volume += Dot(p[static_cast<size_t>(f[0])], Cross(p[static_cast<size_t>(a)], p[static_cast<size_t>(b)]));
    }
  for (auto& [edge, count] : runs)
    if (runs.count({edge.second, edge.first}) == 0) return false;
  return volume > 0;
}

void ReportCounts(const std::string& name, const Solid& s, const std::vector<Face>& faces, size_t edges) {
  const int euler = static_cast<int>(s.verts.size()) - static_cast<int>(edges) + static_cast<int>(faces.size());
  std::fprintf(stderr, "%s: %zu verts, %zu edges, %zu faces, genus %d:", name.c_str(), s.verts.size(), edges,
               faces.size(), (2 - euler) / 2);
  for (auto [sides, count] : FaceKinds(faces)) std::fprintf(stderr, " %d x %zu", count, sides);
  std::fprintf(stderr, "\n");
}

// Checks a finished solid (unit edges, plane regular faces counter-clockwise seen
// from outside, every edge between two faces; a convex one also strictly convex and
// of Euler characteristic 2, a toroid of genus 1 or more and a non-convex sphere of
// Euler characteristic 2, both with no two faces along an edge in one plane),
// reports its counts and returns its face-list text.
std::string CheckedFaceList(const std::string& name, const Solid& s, Shape shape) {
  std::vector<Face> faces = FacesOf(s);
  std::vector<std::pair<int, int>> edges = EdgesOf(faces);
  for (auto [a, b] : edges)
    if (std::fabs(Length(s.verts[static_cast<size_t>(a)] - s.verts[static_cast<size_t>(b)]) - 1) > kExact)
      Fail(name, "an edge is not of unit length");
  for (const Face& f : faces) {
    Vec centre;
    for (int k : f) centre = centre + s.verts[static_cast<size_t>(k)];
    centre = centre * (1.0 / static_cast<double>(f.size()));
    Vec normal = Unit(Cross(s.verts[static_cast<size_t>(f[1])] - s.verts[static_cast<size_t>(f[0])],
                            s.verts[static_cast<size_t>(f[2])] - s.verts[static_cast<size_t>(f[1])]));
    const double radius = RingRadius(static_cast<int>(f.size()));
    for (size_t i = 0; i < f.size(); ++i) {
      Vec d = s.verts[static_cast<size_t>(f[i])] - centre;
      if (std::fabs(Dot(d, normal)) > kExact) Fail(name, "a face is not plane");
      if (std::fabs(Length(d) - radius) > kExact) Fail(name, "a face is not regular");
      // Every turn of the cycle the same way: a convex polygon, not a star.
      Vec turn = Cross(s.verts[static_cast<size_t>(f[(i + 1) % f.size()])] - s.verts[static_cast<size_t>(f[i])],
                       s.verts[static_cast<size_t>(f[(i + 2) % f.size()])] -
                           s.verts[static_cast<size_t>(f[(i + 1) % f.size()])]);
      if (Dot(turn, normal) <= 0) Fail(name, "a face turns back");
    }
  }
  const int euler = static_cast<int>(s.verts.size()) - static_cast<int>(edges.size()) + static_cast<int>(faces.size());
  if (shape == Shape::kConvex) {
    // Counter-clockwise seen from outside, and nothing outside any face.
    for (const Face& f : faces) {
      auto [centre, outward] = FaceFrame(s.verts, f);
      Vec turn = Cross(s.verts[static_cast<size_t>(f[1])] - s.verts[static_cast<size_t>(f[0])],
                       s.verts[static_cast<size_t>(f[2])] - s.verts[static_cast<size_t>(f[1])]);
      if (Dot(turn, outward) <= 0) Fail(name, "a face is not counter-clockwise");
    }
    if (!IsStrictlyConvex(s.verts, faces)) Fail(name, "not strictly convex");
    if (euler != 2) Fail(name, "Euler's formula fails");
  } else {
    if (shape == Shape::kToroid && (euler > 0 || euler % 2 != 0)) Fail(name, "not a closed surface with holes");
    if (shape == Shape::kNonConvexSphere && euler != 2) Fail(name, "Euler's formula fails");
    if (!IsOutwardOriented(s.verts, faces)) Fail(name, "the faces are not turned outwards alike");
    if (!EveryEdgeFolds(s.verts, faces)) Fail(name, "two faces along an edge in one plane");
  }
  ReportCounts(name, s, faces, edges.size());
  return s.faceList.empty() ? FaceListText(faces, s.tempFace) : s.faceList;
}

// Checks a near miss: strictly convex, its faces those of its hull (a face list read
// from data must name each of them, counter-clockwise seen from outside, and plane
// to 1e-12), with the expected faces by sides and edges. Reports its counts, the
// spread of its edges (the longest over the shortest, less 1) and the largest
// difference between a corner's angle and that of the regular polygon with as many
// sides, and returns its face-list text.
std::string CheckedNearMiss(const std::string& name, const Solid& s, const std::map<size_t, int>& kinds,
                            size_t numEdges) {
  const std::vector<Face> hull = HullFaces(s.verts);
  std::vector<Face> faces = hull;
  if (!s.faceList.empty()) {
    faces = ReadFaces(s.faceList);
    std::vector<std::vector<int>> sortedHull;
    for (Face f : hull) {
      std::sort(f.begin(), f.end());
      sortedHull.push_back(f);
    }
    for (const Face& f : faces) {
      Face sorted = f;
      std::sort(sorted.begin(), sorted.end());
      if (std::find(sortedHull.begin(), sortedHull.end(), sorted) == sortedHull.end())
        Fail(name, "a face that is not a face of the hull");
      auto [centre, outward] = FaceFrame(s.verts, f);
      Vec turn = Cross(s.verts[static_cast<size_t>(f[1])] - s.verts[static_cast<size_t>(f[0])],
                       s.verts[static_cast<size_t>(f[2])] - s.verts[static_cast<size_t>(f[1])]);
      if (Dot(turn, outward) <= 0) Fail(name, "a face is not counter-clockwise");
    }
    if (faces.size() != hull.size()) Fail(name, "faces of the hull are missing");
  }
  std::vector<std::pair<int, int>> edges = EdgesOf(faces);
  if (!IsStrictlyConvex(s.verts, faces)) Fail(name, "not strictly convex");
  if (FaceKinds(faces) != kinds || edges.size() != numEdges) {
    ReportCounts(name, s, faces, edges.size());
    Fail(name, "not the published faces");
  }
  if (!IsOutwardOriented(s.verts, faces)) Fail(name, "the faces are not turned outwards alike");
  double shortest = 1e9, longest = 0, deviation = 0, bend = 0;
  for (auto [a, b] : edges) {
    const double length = Length(s.verts[static_cast<size_t>(a)] - s.verts[static_cast<size_t>(b)]);
    shortest = std::min(shortest, length);
    longest = std::max(longest, length);
  }
  for (const Face& f : faces) {
    auto [centre, normal] = FaceFrame(s.verts, f);
    const size_t n = f.size();
    for (size_t i = 0; i < n; ++i) {
      Vec v = s.verts[static_cast<size_t>(f[i])];
      bend = std::max(bend, std::fabs(Dot(v - centre, normal)));
      Vec before = Unit(s.verts[static_cast<size_t>(f[(i + n - 1) % n])] - v);
      Vec after = Unit(s.verts[static_cast<size_t>(f[(i + 1) % n])] - v);
      const double angle = std::acos(std::clamp(Dot(before, after), -1.0, 1.0));
      deviation = std::max(deviation, std::fabs(angle - kPi * (1 - 2.0 / static_cast<double>(n))));
    }
  }
  if (bend > kExact) Fail(name, "a face is not plane");
  ReportCounts(name, s, faces, edges.size());
  std::fprintf(stderr, "  edges %.9f to %.9f, spread %.5f%%, largest corner-angle deviation %.5f degrees\n", shortest,
               longest, (longest / shortest - 1) * 100, deviation * 180 / kPi);
  return FaceListText(faces, {});
}

}  // namespace

int main() {
  std::vector<Solid> solids;
  // Pyramids, cupolae and rotundae, elongated and gyroelongated (J1 to J25).
  solids.push_back(SquarePyramid());
  solids.push_back(Stack(5, Cap::kPyramid, 0, 0, Cap::kNone, 0));
  solids.push_back(Stack(6, Cap::kCupola, 0, 0, Cap::kNone, 0));
  solids.push_back(Stack(8, Cap::kCupola, 0, 0, Cap::kNone, 0));
  solids.push_back(Stack(10, Cap::kCupola, 0, 0, Cap::kNone, 0));
  solids.push_back(Stack(10, Cap::kRotunda, 0, 0, Cap::kNone, 0));
  for (int n : {3, 4, 5}) solids.push_back(Stack(n, Cap::kPyramid, 0, 1, Cap::kNone, 0));
  for (int n : {4, 5}) solids.push_back(Stack(n, Cap::kPyramid, 0, 2, Cap::kNone, 0));
  // The gyroelongated square pyramid keeps its square as a bracing face.
  solids[9].tempFace = {1, 2, 3, 4};
  for (int n : {3, 5}) solids.push_back(Stack(n, Cap::kPyramid, 0, 0, Cap::kPyramid, 0));
  for (int n : {3, 4, 5}) solids.push_back(Stack(n, Cap::kPyramid, 0, 1, Cap::kPyramid, 0));
  solids.push_back(Stack(4, Cap::kPyramid, 0, 2, Cap::kPyramid, 0));
  for (int m : {6, 8, 10}) solids.push_back(Stack(m, Cap::kCupola, 0, 1, Cap::kNone, 0));
  solids.push_back(Stack(10, Cap::kRotunda, 0, 1, Cap::kNone, 0));
  for (int m : {6, 8, 10}) solids.push_back(Stack(m, Cap::kCupola, 0, 2, Cap::kNone, 0));
  solids.push_back(Stack(10, Cap::kRotunda, 0, 2, Cap::kNone, 0));
  solids.push_back(Gyrobifastigium());
  // Bicupolae, cupolarotundae and birotundae (J27 to J48): ortho puts triangles
  // over triangles, gyro triangles over squares or pentagons.
  solids.push_back(Stack(6, Cap::kCupola, 0, 0, Cap::kCupola, 0));
  solids.push_back(Stack(8, Cap::kCupola, 0, 0, Cap::kCupola, 0));
  solids.push_back(Stack(8, Cap::kCupola, 0, 0, Cap::kCupola, 1));
  solids.push_back(Stack(10, Cap::kCupola, 0, 0, Cap::kCupola, 0));
  solids.push_back(Stack(10, Cap::kCupola, 0, 0, Cap::kCupola, 1));
  solids.push_back(Stack(10, Cap::kCupola, 0, 0, Cap::kRotunda, 0));
  solids.push_back(Stack(10, Cap::kCupola, 0, 0, Cap::kRotunda, 1));
  solids.push_back(Stack(10, Cap::kRotunda, 0, 0, Cap::kRotunda, 0));
  solids.push_back(Stack(6, Cap::kCupola, 0, 1, Cap::kCupola, 0));
  solids.push_back(Stack(6, Cap::kCupola, 0, 1, Cap::kCupola, 1));
  solids.push_back(Stack(8, Cap::kCupola, 0, 1, Cap::kCupola, 1));
  solids.push_back(Stack(10, Cap::kCupola, 0, 1, Cap::kCupola, 0));
  solids.push_back(Stack(10, Cap::kCupola, 0, 1, Cap::kCupola, 1));
  solids.push_back(Stack(10, Cap::kCupola, 0, 1, Cap::kRotunda, 0));
  solids.push_back(Stack(10, Cap::kCupola, 0, 1, Cap::kRotunda, 1));
  solids.push_back(Stack(10, Cap::kRotunda, 0, 1, Cap::kRotunda, 0));
  solids.push_back(Stack(10, Cap::kRotunda, 0, 1, Cap::kRotunda, 1));
  for (int m : {6, 8, 10}) solids.push_back(Stack(m, Cap::kCupola, 0, 2, Cap::kCupola, 0));
  solids.push_back(Stack(10, Cap::kCupola, 0, 2, Cap::kRotunda, 0));
  solids.push_back(Stack(10, Cap::kRotunda, 0, 2, Cap::kRotunda, 0));
  // Augmented prisms (J49 to J57).
  solids.push_back(AugmentedPrism(3, {0}));
  solids.push_back(AugmentedPrism(3, {0, 1}));
  solids.push_back(AugmentedPrism(3, {0, 1, 2}));
  solids.push_back(AugmentedPrism(5, {0}));
  solids.push_back(AugmentedPrism(5, {0, 2}));
  solids.push_back(AugmentedPrism(6, {0}));
  solids.push_back(AugmentedPrism(6, {0, 3}));
  solids.push_back(AugmentedPrism(6, {0, 2}));
  solids.push_back(AugmentedPrism(6, {0, 2, 4}));
  // The dodecahedron and the icosahedron (J58 to J64).
  for (const char* pattern : {"x", "xp", "xm", "xmm"}) solids.push_back(AugmentedDodecahedron(pattern));
  solids.push_back(FromPoints(DiminishedIcosahedron("xm")));
  solids.push_back(FromPoints(DiminishedIcosahedron("xmm")));
  {
    // A tetrahedron on the triangle that the three pentagons surround.
    std::vector<Vec> p = DiminishedIcosahedron("xmm");
    std::vector<Vec> axes = PickAxes(FiveFoldAxes(), "xmm");
    Vec along = Unit(axes[0] + axes[1] + axes[2]);
    Face triangle = FaceAlong(p, along);
    if (triangle.size() != 3) triangle = FaceAlong(p, along * -1);
    AddPyramid(p, triangle);
    solids.push_back(FromPoints(p));
  }
  // Augmented truncated solids (J65 to J71).
  solids.push_back(AugmentedTruncated(TruncatedTetrahedron(), {Unit({-1, -1, -1})}));
  solids.push_back(AugmentedTruncated(TruncatedCube(), {{0, 0, 1}}));
  solids.push_back(AugmentedTruncated(TruncatedCube(), {{0, 0, 1}, {0, 0, -1}}));
  for (const char* pattern : {"x", "xp", "xm", "xmm"})
    solids.push_back(AugmentedTruncated(TruncatedDodecahedron(), PickAxes(FaceAxes(TruncatedDodecahedron(), 10), pattern)));
  // Gyrate and diminished rhombicosidodecahedra (J72 to J83).
  solids.push_back(ChangedRhombicosidodecahedron("x", "g"));
  solids.push_back(ChangedRhombicosidodecahedron("xp", "gg"));
  solids.push_back(ChangedRhombicosidodecahedron("xm", "gg"));
  solids.push_back(ChangedRhombicosidodecahedron("xmm", "ggg"));
  solids.push_back(ChangedRhombicosidodecahedron("x", "d"));
  solids.push_back(ChangedRhombicosidodecahedron("xp", "dg"));
  solids.push_back(ChangedRhombicosidodecahedron("xm", "dg"));
  solids.push_back(ChangedRhombicosidodecahedron("xmm", "dgg"));
  solids.push_back(ChangedRhombicosidodecahedron("xp", "dd"));
  solids.push_back(ChangedRhombicosidodecahedron("xm", "dd"));
  solids.push_back(ChangedRhombicosidodecahedron("xmm", "ddg"));
  solids.push_back(ChangedRhombicosidodecahedron("xmm", "ddd"));
  // The elementary solids (J84 to J92).
  solids.push_back(SnubDisphenoid());
  solids.push_back(SnubSquareAntiprism());
  solids.push_back(Sphenocorona());
  solids.push_back(AugmentedSphenocorona());
  solids.push_back(Sphenomegacorona());
  solids.push_back(Hebesphenomegacorona());
  solids.push_back(Disphenocingulum());
  solids.push_back(Bilunabirotunda());
  solids.push_back(TriangularHebesphenorotunda());
  if (solids.size() != 92) Fail("solids", "expected 92, made " + std::to_string(solids.size()));

  std::vector<std::string> texts;
  for (size_t j = 0; j < solids.size(); ++j)
    texts.push_back(CheckedFaceList("J" + std::to_string(j + 1), solids[j], Shape::kConvex));
  // The other records with stored geometry, by record: the toroids, Stewart's G3 and
  // the near misses with their faces by sides and their edges.
  std::map<int, Solid> records = Toroids();
  std::map<int, std::string> recordTexts;
  for (auto& [record, solid] : records)
    recordTexts[record] = CheckedFaceList("record " + std::to_string(record), solid, Shape::kToroid);
  records[212] = StewartG3();
  recordTexts[212] = CheckedFaceList("record 212", records[212], Shape::kNonConvexSphere);
  struct NearMiss {
    int record;
    Solid solid;
    std::map<size_t, int> kinds;
    size_t edges;
  };
  const NearMiss nearMisses[] = {
      {197, TetratedDodecahedron(), {{3, 16}, {5, 12}}, 54},
      {199, EnneagonalFaced(), {{3, 24}, {4, 6}, {9, 8}}, 84},
      {202, HalfTruncatedTruncatedIcosahedron(), {{3, 60}, {5, 12}, {6, 20}}, 180},
      {203, TruncatedTruncatedIcosahedron(), {{3, 60}, {10, 12}, {12, 20}}, 270},
      {205, DecagonalFaced(), {{3, 20}, {4, 60}, {6, 30}, {10, 12}}, 300},
  };
  for (const NearMiss& n : nearMisses) {
    records[n.record] = n.solid;
    recordTexts[n.record] = CheckedNearMiss("record " + std::to_string(n.record), n.solid, n.kinds, n.edges);
  }

  std::printf("// Generated by tools/johnson_gen/JohnsonGen.cpp; do not edit by hand.\n");
  std::printf("// Point sets and face lists of the spring-built records of the library that have\n");
  std::printf("// stored geometry: the Johnson solids J1 to J92, the toroids made of pieces cut\n");
  std::printf("// from Archimedean and Johnson solids and Stewart's G3, all with equal edges and\n");
  std::printf("// regular faces, and the near misses, whose faces are only nearly regular. Each face\n");
  std::printf("// counter-clockwise seen from outside; centred on the centroid of the vertices with\n");
  std::printf("// the farthest vertex at distance 1.\n\n");
  std::printf("#include \"construction/Library.h\"\n\nnamespace corvia {\n\nnamespace {\n\n");
  auto printPoints = [](const std::string& name, std::vector<Vec> p) {
    Vec c;
    for (Vec v : p) c = c + v;
    c = c * (1.0 / static_cast<double>(p.size()));
    double r = 0;
    for (Vec& v : p) {
      v = v - c;
      r = std::max(r, Length(v));
    }
    std::printf("const double %s[][3] = {\n", name.c_str());
    for (Vec v : p) std::printf("    {%.17g, %.17g, %.17g},\n", v.x / r, v.y / r, v.z / r);
    std::printf("};\n\n");
  };
  for (size_t j = 0; j < solids.size(); ++j) printPoints("kJohnson" + std::to_string(j + 1) + "Points", solids[j].verts);
  for (auto& [record, solid] : records) printPoints("kRecord" + std::to_string(record) + "Points", solid.verts);
  std::printf("}  // namespace\n\n");
  // One slot per spring-built record from J1 (record 105) on.
  const int firstRecord = 105, slots = 140;
  std::printf("const LibraryPointSet kLibraryPointSets[kNumLibraryPointSets] = {\n");
  for (int j = 0; j < slots; ++j) {
    const int record = firstRecord + j;
    if (j < static_cast<int>(solids.size()))
      std::printf("    {%zu, kJohnson%dPoints},\n", solids[static_cast<size_t>(j)].verts.size(), j + 1);
    else if (records.count(record))
      std::printf("    {%zu, kRecord%dPoints},\n", records[record].verts.size(), record);
    else
      std::printf("    {0, nullptr},\n");
  }
  std::printf("};\n\n");
  std::printf("const char* const kLibraryFaceLists[kNumLibraryFaceLists] = {\n");
  for (int j = 0; j < slots; ++j) {
    const int record = firstRecord + j;
    const std::string text = j < static_cast<int>(texts.size()) ? texts[static_cast<size_t>(j)]
                             : recordTexts.count(record)     ? recordTexts[record]
                                                             : "";
    std::printf("    \"%s\",\n", text.c_str());
  }
  std::printf("};\n\n}  // namespace corvia\n");
  return 0;
}
