// The 92 Johnson solids of the library, built the way the program builds them
// (LibraryEntry::CreatePoly: stored points, CreatePoly with symmetry detection, the
// set-up, the base or dual copied out), against the published tables: N. W. Johnson,
// "Convex polyhedra with regular faces", Canadian Journal of Mathematics 18 (1966),
// whose list V. A. Zalgaller proved complete (1967), with the faces by kind, edges,
// vertices and point groups as the standard tables of the 92 solids give them.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "construction/Library.h"
#include "core/VectorMath.h"
#include "symmetry/SimplePoly.h"
#include "symmetry/SymGroup.h"
#include "tests/construction/LibraryParamsFixture.h"
#include "tests/support/TestSupport.h"

namespace test_JohnsonSolids {

struct Published {
  int triangles, squares, pentagons, hexagons, octagons, decagons;
  int edges, verts;
  const char* group;
};

// J1 to J92: faces by kind (3, 4, 5, 6, 8, 10 sides), edges, vertices, point group.
const Published kJohnson[92] = {
    {4, 1, 0, 0, 0, 0, 8, 5, "C4v"},       {5, 0, 1, 0, 0, 0, 10, 6, "C5v"},      {4, 3, 0, 1, 0, 0, 15, 9, "C3v"},
    {4, 5, 0, 0, 1, 0, 20, 12, "C4v"},     {5, 5, 1, 0, 0, 1, 25, 15, "C5v"},     {10, 0, 6, 0, 0, 1, 35, 20, "C5v"},
    {4, 3, 0, 0, 0, 0, 12, 7, "C3v"},      {4, 5, 0, 0, 0, 0, 16, 9, "C4v"},      {5, 5, 1, 0, 0, 0, 20, 11, "C5v"},
    {12, 1, 0, 0, 0, 0, 20, 9, "C4v"},     {15, 0, 1, 0, 0, 0, 25, 11, "C5v"},    {6, 0, 0, 0, 0, 0, 9, 5, "D3h"},
    {10, 0, 0, 0, 0, 0, 15, 7, "D5h"},     {6, 3, 0, 0, 0, 0, 15, 8, "D3h"},      {8, 4, 0, 0, 0, 0, 20, 10, "D4h"},
    {10, 5, 0, 0, 0, 0, 25, 12, "D5h"},    {16, 0, 0, 0, 0, 0, 24, 10, "D4d"},    {4, 9, 0, 1, 0, 0, 27, 15, "C3v"},
    {4, 13, 0, 0, 1, 0, 36, 20, "C4v"},    {5, 15, 1, 0, 0, 1, 45, 25, "C5v"},    {10, 10, 6, 0, 0, 1, 55, 30, "C5v"},
    {16, 3, 0, 1, 0, 0, 33, 15, "C3v"},    {20, 5, 0, 0, 1, 0, 44, 20, "C4v"},    {25, 5, 1, 0, 0, 1, 55, 25, "C5v"},
    {30, 0, 6, 0, 0, 1, 65, 30, "C5v"},    {4, 4, 0, 0, 0, 0, 14, 8, "D2d"},      {8, 6, 0, 0, 0, 0, 24, 12, "D3h"},
    {8, 10, 0, 0, 0, 0, 32, 16, "D4h"},    {8, 10, 0, 0, 0, 0, 32, 16, "D4d"},    {10, 10, 2, 0, 0, 0, 40, 20, "D5h"},
    {10, 10, 2, 0, 0, 0, 40, 20, "D5d"},   {15, 5, 7, 0, 0, 0, 50, 25, "C5v"},    {15, 5, 7, 0, 0, 0, 50, 25, "C5v"},
    {20, 0, 12, 0, 0, 0, 60, 30, "D5h"},   {8, 12, 0, 0, 0, 0, 36, 18, "D3h"},    {8, 12, 0, 0, 0, 0, 36, 18, "D3d"},
    {8, 18, 0, 0, 0, 0, 48, 24, "D4d"},    {10, 20, 2, 0, 0, 0, 60, 30, "D5h"},   {10, 20, 2, 0, 0, 0, 60, 30, "D5d"},
    {15, 15, 7, 0, 0, 0, 70, 35, "C5v"},   {15, 15, 7, 0, 0, 0, 70, 35, "C5v"},   {20, 10, 12, 0, 0, 0, 80, 40, "D5h"},
    {20, 10, 12, 0, 0, 0, 80, 40, "D5d"},  {20, 6, 0, 0, 0, 0, 42, 18, "D3"},     {24, 10, 0, 0, 0, 0, 56, 24, "D4"},
    {30, 10, 2, 0, 0, 0, 70, 30, "D5"},    {35, 5, 7, 0, 0, 0, 80, 35, "C5"},     {40, 0, 12, 0, 0, 0, 90, 40, "D5"},
    {6, 2, 0, 0, 0, 0, 13, 7, "C2v"},      {10, 1, 0, 0, 0, 0, 17, 8, "C2v"},     {14, 0, 0, 0, 0, 0, 21, 9, "D3h"},
    {4, 4, 2, 0, 0, 0, 19, 11, "C2v"},     {8, 3, 2, 0, 0, 0, 23, 12, "C2v"},     {4, 5, 0, 2, 0, 0, 22, 13, "C2v"},
    {8, 4, 0, 2, 0, 0, 26, 14, "D2h"},     {8, 4, 0, 2, 0, 0, 26, 14, "C2v"},     {12, 3, 0, 2, 0, 0, 30, 15, "D3h"},
    {5, 0, 11, 0, 0, 0, 35, 21, "C5v"},    {10, 0, 10, 0, 0, 0, 40, 22, "D5d"},   {10, 0, 10, 0, 0, 0, 40, 22, "C2v"},
    {15, 0, 9, 0, 0, 0, 45, 23, "C3v"},    {10, 0, 2, 0, 0, 0, 20, 10, "C2v"},    {5, 0, 3, 0, 0, 0, 15, 9, "C3v"},
    {7, 0, 3, 0, 0, 0, 18, 10, "C3v"},     {8, 3, 0, 3, 0, 0, 27, 15, "C3v"},     {12, 5, 0, 0, 5, 0, 48, 28, "C4v"},
    {16, 10, 0, 0, 4, 0, 60, 32, "D4h"},   {25, 5, 1, 0, 0, 11, 105, 65, "C5v"},  {30, 10, 2, 0, 0, 10, 120, 70, "D5d"},
    {30, 10, 2, 0, 0, 10, 120, 70, "C2v"}, {35, 15, 3, 0, 0, 9, 135, 75, "C3v"},  {20, 30, 12, 0, 0, 0, 120, 60, "C5v"},
    {20, 30, 12, 0, 0, 0, 120, 60, "D5d"}, {20, 30, 12, 0, 0, 0, 120, 60, "C2v"}, {20, 30, 12, 0, 0, 0, 120, 60, "C3v"},
    {15, 25, 11, 0, 0, 1, 105, 55, "C5v"}, {15, 25, 11, 0, 0, 1, 105, 55, "C5v"}, {15, 25, 11, 0, 0, 1, 105, 55, "Cs"},
    {15, 25, 11, 0, 0, 1, 105, 55, "Cs"},  {10, 20, 10, 0, 0, 2, 90, 50, "D5d"},  {10, 20, 10, 0, 0, 2, 90, 50, "C2v"},
    {10, 20, 10, 0, 0, 2, 90, 50, "Cs"},   {5, 15, 9, 0, 0, 3, 75, 45, "C3v"},    {12, 0, 0, 0, 0, 0, 18, 8, "D2d"},
    {24, 2, 0, 0, 0, 0, 40, 16, "D4d"},    {12, 2, 0, 0, 0, 0, 22, 10, "C2v"},    {16, 1, 0, 0, 0, 0, 26, 11, "Cs"},
    {16, 2, 0, 0, 0, 0, 28, 12, "C2v"},    {18, 3, 0, 0, 0, 0, 33, 14, "C2v"},    {20, 4, 0, 0, 0, 0, 38, 16, "D2d"},
    {8, 2, 4, 0, 0, 0, 26, 14, "D2h"},     {13, 3, 3, 1, 0, 0, 36, 18, "C3v"},
};

constexpr int kFirstJohnsonRecord = 105;
// Equal edges and regular faces: relative to the edge length.
constexpr double kExact = 1e-12;

std::string Boxes() {
  std::string text;
  for (const auto& box : corvia::testing::Platform().messages.Boxes()) text += "[" + box.title + ": " + box.text + "] ";
  return text;
}

double Distance(const double* a, const double* b) {
  double d[3];
  corvia::Subtract(d, a, b);
  return std::sqrt(corvia::Dot(d, d));
}

// The live faces of a model as lists of corner indices.
std::vector<std::vector<int>> LiveFaces(const corvia::SimplePoly& poly) {
  std::vector<std::vector<int>> faces;
  for (int f = 0; f < poly.NumFaces(); ++f) {
    const corvia::SimpleFace& face = poly.FaceAt(f);
    if (!face.IsTemp()) faces.emplace_back(face.items.begin(), face.items.end());
  }
  return faces;
}

// Checks a built Johnson solid against its published figures and the geometry every
// Johnson solid has: one edge length, regular plane faces, strict convexity.
void CheckJohnsonSolid(const corvia::SimplePoly& poly, const Published& expected, const std::string& name) {
  SCOPED_TRACE(name);
  const std::vector<std::vector<int>> faces = LiveFaces(poly);
  std::map<int, int> kinds;
  for (const auto& face : faces) ++kinds[static_cast<int>(face.size())];
  const std::map<int, int> published = [&] {
    std::map<int, int> m;
    const int counts[6] = {expected.triangles, expected.squares, expected.pentagons,
                           expected.hexagons,  expected.octagons, expected.decagons};
    const int sides[6] = {3, 4, 5, 6, 8, 10};
    for (int k = 0; k < 6; ++k)
      if (counts[k] > 0) m[sides[k]] = counts[k];
    return m;
  }();
  EXPECT_EQ(kinds, published);
  EXPECT_EQ(poly.NumEdges(), expected.edges);
  EXPECT_EQ(poly.NumVerts(), expected.verts);
  EXPECT_EQ(std::string(corvia::SymGroup::GetSchoenflies(poly.symmetry.get())), expected.group);

  double edge = -1;
  for (const auto& face : faces)
    for (size_t k = 0; k < face.size(); ++k) {
      const double length = Distance(poly.VertAt(face[k]).pos, poly.VertAt(face[(k + 1) % face.size()]).pos);
      if (edge < 0) edge = length;
      EXPECT_NEAR(length / edge, 1.0, kExact);
    }
  ASSERT_GT(edge, 0);
  for (const auto& face : faces) {
    const int n = static_cast<int>(face.size());
    double centre[3] = {0, 0, 0};
    for (int v : face) corvia::Add(centre, centre, poly.VertAt(v).pos);
    corvia::Divide(centre, centre, n);
    // Regular: every corner at the circumradius of the regular n-gon of that edge.
    const double radius = edge / (2 * std::sin(M_PI / n));
    for (int v : face) EXPECT_NEAR(Distance(poly.VertAt(v).pos, centre) / edge, radius / edge, kExact);
    // Plane, and every other vertex strictly on the inner side.
    double u[3], w[3], normal[3];
    corvia::Subtract(u, poly.VertAt(face[1]).pos, poly.VertAt(face[0]).pos);
    corvia::Subtract(w, poly.VertAt(face[2]).pos, poly.VertAt(face[0]).pos);
    corvia::Cross(normal, u, w);
    corvia::Divide(normal, normal, std::sqrt(corvia::Dot(normal, normal)));
    if (corvia::Dot(normal, centre) < 0) corvia::Negate(normal);
    std::set<int> corners(face.begin(), face.end());
    for (int v = 0; v < poly.NumVerts(); ++v) {
      double d[3];
      corvia::Subtract(d, poly.VertAt(v).pos, centre);
      const double height = corvia::Dot(d, normal) / edge;
      if (corners.count(v)) EXPECT_NEAR(height, 0.0, kExact);
      else EXPECT_LT(height, -1e-6) << "vertex " << v << " is not inside the plane of a face";
    }
  }
}

// Edges between two triangles: tells an ortho solid from its gyro twin where both
// have the same group.
int TriangleTriangleEdges(const corvia::SimplePoly& poly) {
  std::map<std::pair<int, int>, int> triangles;
  for (const auto& face : LiveFaces(poly)) {
    if (face.size() != 3) continue;
    for (size_t k = 0; k < 3; ++k) {
      int a = face[k], b = face[(k + 1) % 3];
      ++triangles[{std::min(a, b), std::max(a, b)}];
    }
  }
  int count = 0;
  for (const auto& [edge, uses] : triangles)
    if (uses == 2) ++count;
  return count;
}

class JohnsonSolidsTest : public corvia::testing::LibraryParamsFixture {};

}  // namespace test_JohnsonSolids

namespace corvia {

using test_JohnsonSolids::JohnsonSolidsTest;
namespace js = test_JohnsonSolids;

TEST_F(JohnsonSolidsTest, EveryJohnsonSolidBuildsAsPublished) {
  ASSERT_EQ(GetFirstSpringRecordIndex(), js::kFirstJohnsonRecord);
  for (int j = 0; j < kNumJohnsonSolids; ++j) {
    LibraryEntry& entry = gLibraryTable[js::kFirstJohnsonRecord + j];
    const std::string name = "J" + std::to_string(j + 1) + " " + entry.mName;
    ASSERT_EQ(std::string(entry.mConfig), "J" + std::to_string(j + 1));
    const js::Published& expected = js::kJohnson[j];
    const int faces = expected.triangles + expected.squares + expected.pentagons + expected.hexagons +
                      expected.octagons + expected.decagons;
    EXPECT_EQ(entry.mNumFaces, faces) << name;
    EXPECT_EQ(entry.mNumEdges, expected.edges) << name;
    EXPECT_EQ(entry.mNumVerts, expected.verts) << name;

    std::unique_ptr<SimplePoly> model = entry.CreatePoly(false);
    ASSERT_NE(model, nullptr) << name << " " << js::Boxes();
    js::CheckJohnsonSolid(*model, expected, name);
    EXPECT_TRUE(testing::Platform().messages.Boxes().empty()) << name << " " << js::Boxes();
    testing::Platform().messages.Clear();
  }
}

TEST_F(JohnsonSolidsTest, DualsKeepTheGroupAndSwapTheCounts) {
  for (int j = 0; j < kNumJohnsonSolids; ++j) {
    LibraryEntry& entry = gLibraryTable[js::kFirstJohnsonRecord + j];
    const std::string name = "J" + std::to_string(j + 1) + " " + entry.mName;
    std::unique_ptr<SimplePoly> dual = entry.CreatePoly(true);
    ASSERT_NE(dual, nullptr) << name << " " << js::Boxes();
    EXPECT_EQ(dual->NumFaces(), js::kJohnson[j].verts) << name;
    EXPECT_EQ(dual->NumEdges(), js::kJohnson[j].edges) << name;
    EXPECT_EQ(std::string(SymGroup::GetSchoenflies(dual->symmetry.get())), js::kJohnson[j].group) << name;
    testing::Platform().messages.Clear();
  }
}

// The square pyramid was once stored to six decimals, and lost its four-fold axis.
TEST_F(JohnsonSolidsTest, SquarePyramidAndItsDualHaveTheFourFoldAxis) {
  LibraryEntry& entry = gLibraryTable[js::kFirstJohnsonRecord];
  ASSERT_STREQ(entry.mName, "Square Pyramid");
  for (bool dual : {false, true}) {
    std::unique_ptr<SimplePoly> model = entry.CreatePoly(dual);
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(std::string(SymGroup::GetSchoenflies(model->symmetry.get())), "C4v") << (dual ? "dual" : "base");
  }
}

// Stored points are the final positions: the spring model places them and leaves
// them exactly as stored.
TEST_F(JohnsonSolidsTest, StoredPointsComeOutOfTheSpringModelUnchanged) {
  for (int j = 0; j < kNumJohnsonSolids; ++j) {
    LibraryEntry& entry = gLibraryTable[js::kFirstJohnsonRecord + j];
    std::unique_ptr<SimplePoly> simple = entry.CreateSpringPoly(nullptr);
    ASSERT_NE(simple, nullptr) << entry.mName;
    const LibraryPointSet& set = kLibraryPointSets[j];
    ASSERT_EQ(simple->NumVerts(), set.count) << entry.mName;
    for (int v = 0; v < set.count; ++v)
      for (int c = 0; c < 3; ++c) ASSERT_EQ(simple->VertAt(v).pos[c], set.points[v][c]) << entry.mName << " " << v;
  }
}

// Ortho and gyro twins with one group: in the orthocupolarotunda the cupola's
// triangles meet the rotunda's across the decagon, in the gyro form they meet
// pentagons.
TEST_F(JohnsonSolidsTest, OrthoAndGyroCupolarotundaeDiffer) {
  std::unique_ptr<SimplePoly> ortho = gLibraryTable[js::kFirstJohnsonRecord + 31].CreatePoly(false);
  std::unique_ptr<SimplePoly> gyro = gLibraryTable[js::kFirstJohnsonRecord + 32].CreatePoly(false);
  ASSERT_NE(ortho, nullptr);
  ASSERT_NE(gyro, nullptr);
  EXPECT_EQ(js::TriangleTriangleEdges(*ortho), 5);
  EXPECT_EQ(js::TriangleTriangleEdges(*gyro), 0);
}

}  // namespace corvia
