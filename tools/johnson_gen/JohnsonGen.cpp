// Build: g++ -std=c++20 -O2 -o /tmp/johnson_gen tools/johnson_gen/JohnsonGen.cpp && /tmp/johnson_gen > construction/JohnsonData.cpp
//
// Prints the stored point sets and face lists of the first 26 Johnson solids
// (square pyramid to gyrobifastigium) as C++ source. Each solid is put together
// from rings of vertices stacked along the z axis (pyramid apexes, cupola tops,
// prism and antiprism bands, the rotunda cut from an icosidodecahedron), all with
// unit edges; the faces are then found as the planes through three vertices that
// have every other vertex on one side (the solids are strictly convex, so every
// such plane holds exactly one face). Each solid is centred on the centroid of its
// vertices and scaled so that its farthest vertex lies at distance 1.
//
// The square pyramid is printed as it has always been stored.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
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
const double kPlaneTolerance = 1e-9;

// Radius of the circle round a regular n-gon of unit edge.
double RingRadius(int n) { return 0.5 / std::sin(kPi / n); }

struct Solid {
  std::vector<Vec> verts;
  std::vector<int> tempFace;  // a face kept only to brace the spring model
};

// n vertices of a unit-edge n-gon at height z, the first at angle `turn`.
std::vector<Vec> Ring(int n, double z, double turn) {
  std::vector<Vec> r;
  for (int k = 0; k < n; ++k) {
    double a = turn + 2 * kPi * k / n;
    r.push_back({RingRadius(n) * std::cos(a), RingRadius(n) * std::sin(a), z});
  }
  return r;
}

void Add(Solid& s, const std::vector<Vec>& ring) { s.verts.insert(s.verts.end(), ring.begin(), ring.end()); }

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

// The lower ring of a solid whose base is the ring `base` at height z: a prism band
// (elongated) or an antiprism band (gyroelongated).
std::vector<Vec> LowerRing(int n, double z, double turn, bool gyro) {
  if (gyro) return Ring(n, z - AntiprismHeight(n), turn + kPi / n);
  return Ring(n, z - 1, turn);
}

// Pyramid on an n-gon at z = 0, optionally elongated or gyroelongated, optionally
// with a second apex below (dipyramid).
Solid Pyramid(int n, int band, bool dipyramid) {
  Solid s;
  s.verts.push_back({0, 0, PyramidHeight(n)});
  Add(s, Ring(n, 0, 0));
  double bottom = 0, turn = 0;
  if (band != 0) {
    bool gyro = band == 2;
    std::vector<Vec> lower = LowerRing(n, 0, 0, gyro);
    bottom = lower[0].z;
    turn = gyro ? kPi / n : 0;
    // The gyroelongated square pyramid keeps its square as a bracing face.
    if (gyro && !dipyramid && n == 4) {
      for (int k = 0; k < n; ++k) s.tempFace.push_back(1 + k);
    }
    Add(s, lower);
  }
  (void)turn;
  if (dipyramid) s.verts.push_back({0, 0, bottom - PyramidHeight(n)});
  return s;
}

// Cupola with an n-gon top; its 2n-gon base at z = 0.
Solid Cupola(int n, int band) {
  Solid s;
  Add(s, Ring(n, CupolaHeight(n), 0));
  double turn = -kPi / (2 * n);
  Add(s, Ring(2 * n, 0, turn));
  if (band != 0) Add(s, LowerRing(2 * n, 0, turn, band == 2));
  return s;
}

// Pentagonal rotunda: the half of an icosidodecahedron (unit edge) above a decagon
// through its centre, turned so that the pentagon lies on top.
Solid Rotunda(int band) {
  const double phi = (1 + std::sqrt(5.0)) / 2;
  std::vector<Vec> ico;
  for (int s1 : {-1, 1}) {
    ico.push_back({0, 0, s1 * phi});
    ico.push_back({0, s1 * phi, 0});
    ico.push_back({s1 * phi, 0, 0});
  }
  for (int s1 : {-1, 1})
    for (int s2 : {-1, 1})
      for (int s3 : {-1, 1}) {
        double a = s1 * 0.5, b = s2 * phi / 2, c = s3 * phi * phi / 2;
        ico.push_back({a, b, c});
        ico.push_back({b, c, a});
        ico.push_back({c, a, b});
      }
  Vec axis = Unit({0, phi, 1});
  Vec u = Unit(Cross(axis, {1, 0, 0}));
  Vec v = Cross(axis, u);
  Solid s;
  std::vector<Vec> equator;
  for (Vec p : ico) {
    Vec q{Dot(p, u), Dot(p, v), Dot(p, axis)};
    if (std::fabs(q.z) < 1e-9) {
      q.z = 0;
      equator.push_back(q);
    } else if (q.z > 0) {
      s.verts.push_back(q);
    }
  }
  // The decagon in order of angle, so that the bands below can follow it.
  std::sort(equator.begin(), equator.end(),
            [](Vec a, Vec b) { return std::atan2(a.y, a.x) < std::atan2(b.y, b.x); });
  Add(s, equator);
  if (band != 0) {
    double turn = std::atan2(equator[0].y, equator[0].x);
    Add(s, LowerRing(10, 0, turn, band == 2));
  }
  return s;
}

Solid Gyrobifastigium() {
  Solid s;
  const double h = std::sqrt(3.0) / 2;
  s.verts = {{0.5, 0.5, 0}, {-0.5, 0.5, 0}, {-0.5, -0.5, 0}, {0.5, -0.5, 0},
             {0.5, 0, h},   {-0.5, 0, h},   {0, 0.5, -h},   {0, -0.5, -h}};
  return s;
}

// The faces of a strictly convex solid, each a cycle counter-clockwise seen from
// outside, in order of their lowest vertex triple.
std::vector<std::vector<int>> HullFaces(const std::vector<Vec>& p) {
  int n = static_cast<int>(p.size());
  std::vector<std::vector<int>> faces;
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
        centre = centre * (1.0 / on.size());
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
        std::vector<int> face;
        for (auto& o : order) face.push_back(o.second);
        faces.push_back(face);
      }
  return faces;
}

void Normalise(std::vector<Vec>& p) {
  Vec c;
  for (Vec v : p) c = c + v;
  c = c * (1.0 / p.size());
  double r = 0;
  for (Vec& v : p) {
    v = v - c;
    r = std::max(r, Length(v));
  }
  for (Vec& v : p) v = v * (1.0 / r);
}

std::string FaceText(const std::vector<int>& f) {
  std::string t = "(";
  for (size_t i = 0; i < f.size(); ++i) {
    if (i) t += " ";
    t += std::to_string(f[i]);
  }
  return t + ")";
}

}  // namespace

int main() {
  std::vector<Solid> solids;
  solids.push_back({});              // J1, stored as it always was
  solids.push_back(Pyramid(5, 0, false));  // J2
  solids.push_back(Cupola(3, 0));          // J3
  solids.push_back(Cupola(4, 0));          // J4
  solids.push_back(Cupola(5, 0));          // J5
  solids.push_back(Rotunda(0));            // J6
  solids.push_back(Pyramid(3, 1, false));  // J7
  solids.push_back(Pyramid(4, 1, false));  // J8
  solids.push_back(Pyramid(5, 1, false));  // J9
  solids.push_back(Pyramid(4, 2, false));  // J10
  solids.push_back(Pyramid(5, 2, false));  // J11
  solids.push_back(Pyramid(3, 0, true));   // J12
  solids.push_back(Pyramid(5, 0, true));   // J13
  solids.push_back(Pyramid(3, 1, true));   // J14
  solids.push_back(Pyramid(4, 1, true));   // J15
  solids.push_back(Pyramid(5, 1, true));   // J16
  solids.push_back(Pyramid(4, 2, true));   // J17
  solids.push_back(Cupola(3, 1));          // J18
  solids.push_back(Cupola(4, 1));          // J19
  solids.push_back(Cupola(5, 1));          // J20
  solids.push_back(Rotunda(1));            // J21
  solids.push_back(Cupola(3, 2));          // J22
  solids.push_back(Cupola(4, 2));          // J23
  solids.push_back(Cupola(5, 2));          // J24
  solids.push_back(Rotunda(2));            // J25
  solids.push_back(Gyrobifastigium());     // J26

  std::printf("// Generated by tools/johnson_gen/JohnsonGen.cpp; do not edit by hand.\n");
  std::printf("// Point sets and face lists of the Johnson solids J1 to J26: unit-circumradius\n");
  std::printf("// realisations with equal edges, each face counter-clockwise seen from outside.\n\n");
  std::printf("#include \"construction/LibraryEntry.h\"\n\nnamespace corvia {\n\nnamespace {\n\n");
  std::printf("const double kJohnson1Points[][3] = {\n"
              "    {-0.811901, -0.069666, 0.579623}, {0.486609, 0.368224, 0.792227}, {-0.154729, 0.65472, -0.403467},\n"
              "    {-0.409244, -0.695584, -0.590493}, {0.889266, -0.257693, -0.377889}};\n\n");
  std::vector<std::string> texts = {"h (4 1 0 3) (1 4 2) (0 1 2) (3 0 2) (4 3 2)"};
  std::vector<int> counts = {5};
  for (size_t j = 1; j < solids.size(); ++j) {
    Solid& s = solids[j];
    Normalise(s.verts);
    std::printf("const double kJohnson%zuPoints[][3] = {\n", j + 1);
    for (size_t i = 0; i < s.verts.size(); ++i)
      std::printf("    {%.17g, %.17g, %.17g},\n", s.verts[i].x, s.verts[i].y, s.verts[i].z);
    std::printf("};\n\n");
    std::string text = "h";
    for (auto& f : HullFaces(s.verts)) text += " " + FaceText(f);
    if (!s.tempFace.empty()) text += " t" + FaceText(s.tempFace);
    texts.push_back(text);
    counts.push_back(static_cast<int>(s.verts.size()));
  }
  std::printf("}  // namespace\n\n");
  std::printf("const LibraryPointSet kLibraryPointSets[kNumLibraryPointSets] = {\n");
  for (size_t j = 0; j < solids.size(); ++j) std::printf("    {%d, kJohnson%zuPoints},\n", counts[j], j + 1);
  std::printf("};\n\n");
  std::printf("const char* const kLibraryFaceLists[kNumLibraryPointSets] = {\n");
  for (auto& t : texts) std::printf("    \"%s\",\n", t.c_str());
  std::printf("};\n\n}  // namespace corvia\n");
  return 0;
}
