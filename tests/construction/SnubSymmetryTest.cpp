// The snub uniform polyhedra built a second way, from their Wythoff symbols alone,
// and compared with the library's models. For | p q r the turns a, b, c about the
// corners of the Schwarz triangle (by 2 pi / p, 2 pi / q, 2 pi / r) multiply to the
// identity; the snub's vertex V lies one edge from each of aV, bV and cV, its images
// under the rotation group are the vertices, and its faces are the rings of V under
// a, b and c with the snub triangles V, aV, abV. The full groups Ih and Oh hold the
// inversion through the centre, so such a snub has mirror symmetry exactly when the
// inversion carries every face onto a face.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <numbers>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "construction/Library.h"
#include "core/VectorMath.h"
#include "model/LibraryEntry.h"
#include "symmetry/FindSymmetries.h"
#include "symmetry/SimplePoly.h"
#include "symmetry/SymGroup.h"
#include "tests/construction/LibraryParamsFixture.h"
#include "tests/support/TestSupport.h"
#include "tests/symmetry/SymTestHelpers.h"

namespace test_SnubSymmetryTest {

using corvia::symtest::Matrix;
using corvia::symtest::Point;
using Face = std::vector<int>;

constexpr double kPi = std::numbers::pi;
constexpr double kClose = 1e-6;

double Distance(const Point& a, const Point& b) {
  double d[3];
  corvia::Subtract(d, a.data(), b.data());
  return std::sqrt(corvia::Dot(d, d));
}

Point Apply(const Matrix& m, const Point& p) {
  Point out;
  corvia::MatrixTimesVector(m.data(), out.data(), p.data());
  return out;
}

// The rotation group made by two turns: every product of them.
std::vector<Matrix> RotationGroup(const Matrix& g1, const Matrix& g2) {
  std::vector<Matrix> group = {corvia::symtest::Identity()};
  for (size_t i = 0; i < group.size() && group.size() <= 60; ++i) {
    for (const Matrix* g : {&g1, &g2}) {
      const Matrix m = corvia::symtest::Multiply(*g, group[i]);
      if (!corvia::symtest::Contains(group, m)) group.push_back(m);
    }
  }
  return group;
}

Matrix Turn(Point axis, double angle) {
  Matrix m;
  double unit[3];
  corvia::NormaliseVector(unit, axis.data());
  corvia::AxisAngleRotationMatrix(m.data(), unit, angle);
  return m;
}

std::vector<Matrix> IcosahedralRotations() {
  const double phi = (1.0 + std::sqrt(5.0)) / 2.0;
  return RotationGroup(Turn({0, 1, phi}, 2 * kPi / 5), Turn({1, 1, 1}, 2 * kPi / 3));
}

std::vector<Matrix> OctahedralRotations() {
  return RotationGroup(Turn({0, 0, 1}, kPi / 2), Turn({1, 1, 1}, 2 * kPi / 3));
}

// The angle of a rotation, 0 to pi.
double TurnAngle(const Matrix& m) {
  return std::acos(std::clamp((m[0] + m[4] + m[8] - 1.0) / 2.0, -1.0, 1.0));
}

struct Fraction {
  int n = 0, d = 1;
};

// "| 5/3 5/2 3" gives 5/3, 5/2 and 3.
std::vector<Fraction> SnubFractions(const char* wythoff) {
  std::vector<Fraction> out;
  std::istringstream in(wythoff + 1);
  std::string word;
  while (in >> word) {
    Fraction f;
    if (std::sscanf(word.c_str(), "%d/%d", &f.n, &f.d) < 1) return {};
    out.push_back(f);
  }
  return out;
}

// A turn of the group by 2 pi d / n about some axis; the elements that turn by that
// much one way are those that turn by 2 pi (n - d) / n the other way.
bool TurnsBy(const Matrix& m, Fraction f) {
  const double angle = 2 * kPi * f.d / f.n;
  return std::fabs(TurnAngle(m) - std::min(angle, 2 * kPi - angle)) < kClose;
}

struct Model {
  std::vector<Point> verts;
  std::vector<Face> faces;
  double edge = 0.0;
};

int IndexOf(const std::vector<Point>& verts, const Point& p) {
  for (size_t i = 0; i < verts.size(); ++i) {
    if (Distance(verts[i], p) < kClose) return static_cast<int>(i);
  }
  return -1;
}

Face Sorted(Face face) {
  std::sort(face.begin(), face.end());
  return face;
}

// Turns a, b, c of the group by 2 pi / p, 2 pi / q, 2 pi / r with abc = 1; false
// when the group has none.
bool SchwarzTurns(const std::vector<Matrix>& group, const std::vector<Fraction>& pqr, Matrix turns[3]) {
  for (const Matrix& a : group) {
    if (!TurnsBy(a, pqr[0])) continue;
    for (const Matrix& b : group) {
      if (!TurnsBy(b, pqr[1])) continue;
      const Matrix c = corvia::symtest::Transposed(corvia::symtest::Multiply(a, b));
      if (!TurnsBy(c, pqr[2])) continue;
      turns[0] = a, turns[1] = b, turns[2] = c;
      return true;
    }
  }
  return false;
}

Point OnSphere(double theta, double psi) {
  return {std::sin(theta) * std::cos(psi), std::sin(theta) * std::sin(psi), std::cos(theta)};
}

// Newton steps on the sphere towards a point as far from its first turn as from the
// other two; false when they do not settle.
bool SolveSnubVertex(const Matrix turns[3], double x[2]) {
  auto residual = [&](double theta, double psi, double out[2]) {
    const Point v = OnSphere(theta, psi);
    const double ea = Distance(v, Apply(turns[0], v));
    out[0] = ea - Distance(v, Apply(turns[1], v));
    out[1] = ea - Distance(v, Apply(turns[2], v));
  };
  const double h = 1e-7;
  for (int step = 0; step < 60; ++step) {
    double f[2], fx[2], fy[2];
    residual(x[0], x[1], f);
    if (std::fabs(f[0]) + std::fabs(f[1]) < 1e-13) return true;
    residual(x[0] + h, x[1], fx);
    residual(x[0], x[1] + h, fy);
    const double j00 = (fx[0] - f[0]) / h, j01 = (fy[0] - f[0]) / h;
    const double j10 = (fx[1] - f[1]) / h, j11 = (fy[1] - f[1]) / h;
    const double det = j00 * j11 - j01 * j10;
    if (std::fabs(det) < 1e-14) return false;
    x[0] -= (j11 * f[0] - j01 * f[1]) / det;
    x[1] -= (j00 * f[1] - j10 * f[0]) / det;
  }
  return false;
}

// Every snub | p q r of the group, from a grid of starts: its vertices are the images
// of a solved vertex V, its faces those of the rings round V and of V, aV, abV.
// Points on an axis (fewer images than the group has turns) are left out, and so is a
// solution whose vertices and edge an earlier one has.
std::vector<Model> SnubsOf(const std::vector<Matrix>& group, const std::vector<Fraction>& pqr) {
  Matrix turns[3];
  EXPECT_TRUE(SchwarzTurns(group, pqr, turns));
  std::vector<Model> snubs;
  constexpr int kSteps = 32;
  for (int i = 0; i < kSteps; ++i) {
    for (int j = 0; j < 2 * kSteps; ++j) {
      double x[2] = {kPi * (i + 0.37) / kSteps, kPi * (j + 0.21) / kSteps};
      if (!SolveSnubVertex(turns, x)) continue;
      const Point v = OnSphere(x[0], x[1]);
      Model snub;
      snub.edge = Distance(v, Apply(turns[0], v));
      if (snub.edge < kClose) continue;
      for (const Matrix& g : group) {
        const Point w = Apply(g, v);
        if (IndexOf(snub.verts, w) < 0) snub.verts.push_back(w);
      }
      if (snub.verts.size() < group.size()) continue;
      bool known = false;
      for (const Model& s : snubs)
        known = known || (IndexOf(s.verts, v) >= 0 && std::fabs(s.edge - snub.edge) < kClose);
      if (known) continue;

      std::vector<std::vector<Point>> rings;
      for (int k = 0; k < 3; ++k) {
        if (pqr[k].n < 3) continue;  // a digon is an edge
        std::vector<Point> ring = {v};
        while (static_cast<int>(ring.size()) < pqr[k].n) ring.push_back(Apply(turns[k], ring.back()));
        rings.push_back(ring);
      }
      rings.push_back({v, Apply(turns[0], v), Apply(corvia::symtest::Multiply(turns[0], turns[1]), v)});
      std::set<Face> seen;
      for (const auto& ring : rings) {
        for (const Matrix& g : group) {
          Face face;
          for (const Point& p : ring) face.push_back(IndexOf(snub.verts, Apply(g, p)));
          if (seen.insert(Sorted(face)).second) snub.faces.push_back(face);
        }
      }
      snubs.push_back(std::move(snub));
    }
  }
  return snubs;
}

// A library model as points and faces, centred and brought to radius 1.
Model FromLibrary(const corvia::SimplePoly& poly) {
  Model model;
  std::map<int, int> index;
  for (int v = 0; v < poly.NumVerts(); ++v) {
    if (poly.VertAt(v).IsTemp()) continue;
    index[v] = static_cast<int>(model.verts.size());
    model.verts.push_back({poly.VertAt(v).pos[0], poly.VertAt(v).pos[1], poly.VertAt(v).pos[2]});
  }
  Point centre = {0, 0, 0};
  for (const Point& p : model.verts) corvia::AddTo(centre.data(), p.data());
  corvia::Divide(centre.data(), centre.data(), static_cast<double>(model.verts.size()));
  double radius = 0.0;
  for (Point& p : model.verts) {
    corvia::Subtract(p.data(), p.data(), centre.data());
    radius = std::max(radius, corvia::VectorLength(p.data()));
  }
  for (Point& p : model.verts) corvia::Divide(p.data(), p.data(), radius);
  for (int f = 0; f < poly.NumFaces(); ++f) {
    const corvia::SimpleFace& face = poly.FaceAt(f);
    if (face.IsTemp()) continue;
    Face corners;
    for (int k = 0; k < face.Count(); ++k) corners.push_back(index.at(face.items[k]));
    model.faces.push_back(corners);
  }
  model.edge = Distance(model.verts[model.faces[0][0]], model.verts[model.faces[0][1]]);
  return model;
}

// The distances from the first vertex to all: the same from every vertex of a uniform
// polyhedron, and the same for two congruent vertex sets.
std::vector<double> DistanceProfile(const Model& model) {
  std::vector<double> d;
  for (const Point& p : model.verts) d.push_back(Distance(model.verts[0], p));
  std::sort(d.begin(), d.end());
  return d;
}

// Each face's side count and the distance of its plane from the centre (the centroid
// of a regular face's corners is the foot of that distance).
std::vector<std::pair<int, double>> FacePlanes(const Model& model) {
  std::vector<std::pair<int, double>> planes;
  for (const Face& face : model.faces) {
    Point centroid = {0, 0, 0};
    for (int v : face) corvia::AddTo(centroid.data(), model.verts[v].data());
    corvia::Divide(centroid.data(), centroid.data(), static_cast<double>(face.size()));
    planes.emplace_back(static_cast<int>(face.size()), corvia::VectorLength(centroid.data()));
  }
  std::sort(planes.begin(), planes.end());
  return planes;
}

// The vertex at minus each vertex; empty when the vertex set is not centrally symmetric.
std::vector<int> Inversion(const Model& model) {
  std::vector<int> image;
  for (const Point& p : model.verts) {
    const int i = IndexOf(model.verts, {-p[0], -p[1], -p[2]});
    if (i < 0) return {};
    image.push_back(i);
  }
  return image;
}

// How many faces the inversion carries onto faces (every one for a reflexible model).
int FacesKeptByInversion(const Model& model, std::vector<int>* kept = nullptr) {
  const std::vector<int> image = Inversion(model);
  if (image.empty()) return 0;
  std::set<std::vector<int>> faces;
  for (const Face& face : model.faces) faces.insert(Sorted(face));
  int count = 0;
  for (const Face& face : model.faces) {
    Face mirrored;
    for (int v : face) mirrored.push_back(image[v]);
    const bool found = faces.count(Sorted(mirrored)) > 0;
    count += found;
    if (kept) kept->push_back(found);
  }
  return count;
}

std::string GroupOf(const corvia::SimplePoly& poly) {
  return corvia::SymGroup::GetSchoenflies(poly.symmetry.get());
}

// The independent snub with the library model's edge and face count, or null.
const Model* Matching(const std::vector<Model>& snubs, const Model& library) {
  for (const Model& s : snubs) {
    if (std::fabs(s.edge - library.edge) < kClose && s.faces.size() == library.faces.size()) return &s;
  }
  return nullptr;
}

class SnubSymmetryTest : public corvia::testing::LibraryParamsFixture {};

}  // namespace test_SnubSymmetryTest

namespace corvia {

using symtest::Matrix;
using test_SnubSymmetryTest::SnubSymmetryTest;
namespace ss = test_SnubSymmetryTest;

// Every snub record of three numbers (the antiprisms | 2 2 n aside) is the snub of its
// Wythoff symbol: the same vertex set and face planes. A snub record has mirror
// symmetry exactly when the inversion keeps its faces, and for those of three numbers
// exactly when the snub built here has it, which holds for | 5/2 3 3 and
// | 3/2 3/2 5/2 alone; the two dirhombic snubs of four numbers have it too.
TEST_F(SnubSymmetryTest, SnubRecordsAreTheirWythoffSnubsAndMirroredOnlyWhenTheirFacesAre) {
  const std::vector<Matrix> icosahedral = ss::IcosahedralRotations(), octahedral = ss::OctahedralRotations();
  ASSERT_EQ(icosahedral.size(), 60u);
  ASSERT_EQ(octahedral.size(), 24u);
  std::set<int> reflexible, built;
  for (int i = 0; i <= 75; ++i) {
    LibraryEntry& entry = gLibraryTable[i];
    const std::string wythoff = entry.GetWythoffSymbol() ? entry.GetWythoffSymbol() : "";
    if (wythoff.empty() || wythoff[0] != '|' || wythoff.find(" 2 2 ") != std::string::npos) continue;
    const bool five = wythoff.find('5') != std::string::npos;

    std::unique_ptr<SimplePoly> poly = entry.CreatePoly(false);
    ASSERT_NE(poly, nullptr) << i << " " << entry.mName;
    const ss::Model library = ss::FromLibrary(*poly);
    const int faces = static_cast<int>(library.faces.size());
    const bool mirrored = ss::FacesKeptByInversion(library) == faces;
    if (mirrored) reflexible.insert(i);
    const std::string expected = std::string(five ? "I" : "O") + (mirrored ? "h" : "");
    EXPECT_EQ(ss::GroupOf(*poly), expected) << i << " " << entry.mName;

    const std::vector<ss::Fraction> pqr = ss::SnubFractions(wythoff.c_str());
    if (pqr.size() != 3) continue;
    const std::vector<ss::Model> snubs = ss::SnubsOf(five ? icosahedral : octahedral, pqr);
    const ss::Model* snub = ss::Matching(snubs, library);
    ASSERT_NE(snub, nullptr) << i << " " << entry.mName << " edge " << library.edge;
    built.insert(i);

    const std::vector<double> ours = ss::DistanceProfile(*snub), theirs = ss::DistanceProfile(library);
    ASSERT_EQ(ours.size(), theirs.size()) << i;
    for (size_t k = 0; k < ours.size(); ++k) EXPECT_NEAR(ours[k], theirs[k], ss::kClose) << i << " vertex " << k;
    const auto ourPlanes = ss::FacePlanes(*snub), theirPlanes = ss::FacePlanes(library);
    for (size_t k = 0; k < ourPlanes.size(); ++k) {
      EXPECT_EQ(ourPlanes[k].first, theirPlanes[k].first) << i << " face " << k;
      EXPECT_NEAR(ourPlanes[k].second, theirPlanes[k].second, ss::kClose) << i << " face " << k;
    }
    EXPECT_EQ(ss::FacesKeptByInversion(*snub) == faces, mirrored) << i << " " << entry.mName;

    // The symmetry search, which knows nothing of templates, finds the same group in
    // the snub built here.
    std::unique_ptr<SimplePoly> plain = symtest::MakeModel(snub->verts, snub->faces);
    bool hasReflection = false;
    std::unique_ptr<SymGroup> found = FindSymmetries(*plain, hasReflection);
    ASSERT_NE(found, nullptr) << i;
    EXPECT_EQ(SymGroup::GetSchoenflies(found.get()), expected) << i << " " << entry.mName;
    EXPECT_EQ(hasReflection, mirrored) << i;
  }
  EXPECT_EQ(built, (std::set<int>{15, 21, 65, 66, 67, 68, 69, 70, 71, 72, 73}));
  EXPECT_EQ(reflexible, (std::set<int>{65, 72, 74, 75}));
}

// The great snub dodecicosidodecahedron, | 5/3 5/2 3. Its vertex set is centrally
// symmetric, and its vertex figure reads the same mirrored with {5/2} and {5/3}
// exchanged, yet it is chiral: the equilateral triangles on its vertices fall under
// the rotations into orbits of 20, 20, 60 and 60, two mirror-image sets of 80, and
// with the inversion into orbits of 40 and 120, so that no 80 of them are mirror
// symmetric. Only its pentagrams share planes, in pairs that the inversion keeps;
// each triangle has a plane of its own, so no stack of coincident faces could stand
// for the missing mirror images. Model and dual have the rotations I only.
TEST_F(SnubSymmetryTest, GreatSnubDodecicosidodecahedronIsChiral) {
  LibraryEntry& entry = gLibraryTable[73];
  ASSERT_STREQ(entry.mName, "Great Snub Dodecicosidodecahedron");
  const std::vector<Matrix> rotations = ss::IcosahedralRotations();
  const std::vector<ss::Model> snubs = ss::SnubsOf(rotations, ss::SnubFractions(entry.GetWythoffSymbol()));
  ASSERT_FALSE(snubs.empty());
  const ss::Model& snub = snubs.front();
  EXPECT_NEAR(snub.edge, std::sqrt(2.0), 1e-9);
  ASSERT_EQ(snub.verts.size(), 60u);
  ASSERT_EQ(snub.faces.size(), 104u);
  const std::vector<int> inversion = ss::Inversion(snub);
  ASSERT_EQ(inversion.size(), 60u);

  // Every equilateral triangle of the edge length on the vertices.
  auto edge = [&](int p, int q) {
    return std::fabs(ss::Distance(snub.verts[p], snub.verts[q]) - snub.edge) < ss::kClose;
  };
  std::set<ss::Face> triangles;
  for (int p = 0; p < 60; ++p) {
    for (int q = p + 1; q < 60; ++q) {
      for (int r = q + 1; r < 60; ++r) {
        if (edge(p, q) && edge(q, r) && edge(p, r)) triangles.insert({p, q, r});
      }
    }
  }
  EXPECT_EQ(triangles.size(), 160u);
  auto orbitSizes = [&](bool withInversion) {
    std::vector<int> sizes;
    std::set<ss::Face> done;
    for (const ss::Face& triangle : triangles) {
      if (done.count(triangle)) continue;
      std::set<ss::Face> orbit;
      for (const Matrix& g : rotations) {
        ss::Face image;
        for (int v : triangle) image.push_back(ss::IndexOf(snub.verts, ss::Apply(g, snub.verts[v])));
        orbit.insert(ss::Sorted(image));
        if (withInversion) {
          for (int& v : image) v = inversion[v];
          orbit.insert(ss::Sorted(image));
        }
      }
      done.insert(orbit.begin(), orbit.end());
      sizes.push_back(static_cast<int>(orbit.size()));
    }
    std::sort(sizes.begin(), sizes.end());
    return sizes;
  };
  EXPECT_EQ(orbitSizes(false), (std::vector<int>{20, 20, 60, 60}));
  EXPECT_EQ(orbitSizes(true), (std::vector<int>{40, 120}));

  // The model's own triangles are one hand; its pentagrams pair off in 12 planes.
  std::vector<int> kept;
  ss::FacesKeptByInversion(snub, &kept);
  std::set<std::vector<long>> pentagramPlanes, trianglePlanes;
  for (size_t f = 0; f < snub.faces.size(); ++f) {
    const ss::Face& face = snub.faces[f];
    EXPECT_TRUE(triangles.count(ss::Sorted(face)) || face.size() == 5) << f;
    EXPECT_EQ(kept[f] != 0, face.size() == 5) << f;
    // A plane is known by the foot of the perpendicular from the centre.
    double normal[3];
    corvia::TriangleNormal(normal, snub.verts[face[0]].data(), snub.verts[face[1]].data(), snub.verts[face[2]].data());
    corvia::NormaliseVector(normal, normal);
    const double height = corvia::Dot(normal, snub.verts[face[0]].data());
    std::vector<long> plane;
    for (double x : normal) plane.push_back(std::lround(x * height * 1e6));
    (face.size() == 5 ? pentagramPlanes : trianglePlanes).insert(plane);
  }
  EXPECT_EQ(pentagramPlanes.size(), 12u);
  EXPECT_EQ(trianglePlanes.size(), 80u);

  // The library's model is this snub or its mirror image, and so has only the rotations.
  std::unique_ptr<SimplePoly> poly = entry.CreatePoly(false);
  ASSERT_NE(poly, nullptr);
  const ss::Model library = ss::FromLibrary(*poly);
  EXPECT_NEAR(library.edge, std::sqrt(2.0), ss::kClose);
  EXPECT_EQ(ss::FacesKeptByInversion(library), 24);
  EXPECT_EQ(ss::GroupOf(*poly), "I");
  std::unique_ptr<SimplePoly> dual = entry.CreatePoly(true);
  ASSERT_NE(dual, nullptr);
  EXPECT_EQ(ss::GroupOf(*dual), "I");
}

}  // namespace corvia
