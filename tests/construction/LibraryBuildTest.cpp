// The library's road to a model: every record built by LibraryEntry::CreatePoly, its
// counts, symmetry and dual checked against the record, the stored and relaxed
// coordinate models checked for regular faces, and the records without data refused
// with a clear message.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <iterator>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "construction/Library.h"
#include "construction/LibraryHooks.h"
#include "core/VectorMath.h"
#include "model/LibraryEntry.h"
#include "symmetry/SimplePoly.h"
#include "symmetry/SymGroup.h"
#include "tests/construction/LibraryParamsFixture.h"
#include "tests/support/TestSupport.h"

namespace test_LibraryBuildTest {

// The hemipolyhedra: faces through the centre put the dual's vertices at infinity.
// Records 74 and 75 have squares through the centre as well.
const std::set<int> kHemiRecords = {22, 23, 24, 33, 34, 47, 49, 53, 55, 74, 75};
constexpr const char* kInfiniteDual = "This operation may not be performed on a model with infinite vertices";
constexpr double kEdgeTolerance = 1e-6;

// The symmetry groups of the records, as the published catalogues give them: for the
// uniform polyhedra (records 0 to 75) the tables of Coxeter, Longuet-Higgins and
// Miller, "Uniform polyhedra" (1954), and Skilling, "The complete set of uniform
// polyhedra" (1975), which also gives the great disnub dirhombidodecahedron
// (record 75) and the degenerate uniform polyhedra (98 to 104), all of the full
// icosahedral group. Of the snubs only | 5/2 3 3, | 3/2 3/2 5/2 and the two dirhombic
// ones (74, 75) have mirror symmetry; the others have the rotations only. The great
// snub dodecicosidodecahedron (73) is among the chiral ones although its vertex
// figure reads the same mirrored, with {5/2} and {5/3} exchanged, and its vertices
// are centrally symmetric: its triangles are one of two mirror-image sets of 80 on
// those vertices. SnubSymmetryTest builds every snub from its Wythoff symbol and
// reads the group of each from its faces.
const char* const kUniformGroups[] = {
    "Td", "Oh", "Oh", "Ih", "Ih", "Ih", "Ih", "Ih", "Ih",              // 0-8 regular
    "Td", "Oh", "Oh", "Oh", "Oh", "Oh", "O",                           // 9-15
    "Ih", "Ih", "Ih", "Ih", "Ih", "I",                                 // 16-21
    "Td",                                                              // 22
    "Oh", "Oh", "Oh", "Oh", "Oh", "Oh", "Oh", "Oh", "Oh", "Oh",        // 23-32
    "Ih", "Ih", "Ih", "Ih", "Ih", "Ih", "Ih", "Ih", "Ih", "Ih", "Ih",  // 33-43
    "Ih", "Ih", "Ih", "Ih", "Ih", "Ih", "Ih", "Ih", "Ih", "Ih", "Ih",  // 44-54
    "Ih", "Ih", "Ih", "Ih", "Ih", "Ih", "Ih", "Ih", "Ih", "Ih",        // 55-64
    "Ih", "I",  "I",  "I",  "I",  "I",  "I",  "Ih", "I",  "Ih", "Ih",  // 65-75 snubs
};

// Prisms have D_nh; an antiprism of {n/d} has D_nd, or D_nh when d is even (the
// pentagrammic and heptagrammic antiprisms, whose top and bottom are mirror images
// across the waist). The square prism is the cube and the triangular antiprism the
// octahedron.
std::string PrismGroup(int n, int d, bool prism) {
  if (prism && n == 4 && d == 1) return "Oh";
  if (!prism && n == 3 && d == 1) return "Oh";
  return "D" + std::to_string(n) + (prism || d % 2 == 0 ? "h" : "d");
}

// The group of a record's model; empty for the records this file does not check
// (Johnson solids, near misses and toroids). The families follow from how they are
// built round their axis: a pyramid, cupola or cuploid on {n/d} has C_nv (the
// triangular pyramid is the tetrahedron, the digonal cupola the triangular prism);
// a cupolaic blend, whose top is two {n/d} turned by half a step, has C_2nv.
std::string ExpectedGroup(const corvia::LibraryEntry& entry) {
  const int i = entry.GetIndex();
  if (i >= 0 && i < static_cast<int>(std::size(kUniformGroups))) return kUniformGroups[i];
  int n = 0, d = 1;
  entry.GetParams(n, d);
  if (entry.mCategory == corvia::kCategoryPrisms) {
    const std::string config = entry.GetVertexConfiguration();
    return PrismGroup(n, d, !config.empty() && config.back() == '4');
  }
  if (entry.mCategory == corvia::kCategoryDegenerates) return "Ih";
  const uint32_t families = entry.mFlags & corvia::kLibraryFamilyMask;
  if (families == corvia::kLibraryPyramidFamily) return n == 3 && d == 1 ? "Td" : "C" + std::to_string(n) + "v";
  if (families == corvia::kLibraryCupolaFamily) return n == 2 ? "D3h" : "C" + std::to_string(n) + "v";
  if (families == corvia::kLibraryCuploidFamily) return "C" + std::to_string(n) + "v";
  if (families == corvia::kLibraryCupolaicBlendFamily) return "C" + std::to_string(2 * n) + "v";
  return {};
}

std::string GroupOf(const corvia::SimplePoly& poly) {
  return corvia::SymGroup::GetSchoenflies(poly.symmetry.get());
}

int CountTitled(const char* title) {
  return corvia::testing::Platform().messages.CountTitled(title);
}

std::string Boxes() {
  std::string text;
  for (const auto& box : corvia::testing::Platform().messages.Boxes()) text += "[" + box.title + ": " + box.text + "] ";
  return text;
}

// Lengths of every side of every live face.
std::vector<double> SideLengths(const corvia::SimplePoly& poly) {
  std::vector<double> lengths;
  for (int f = 0; f < poly.NumFaces(); ++f) {
    const corvia::SimpleFace& face = poly.FaceAt(f);
    if (face.IsTemp()) continue;
    for (int k = 0; k < face.Count(); ++k) {
      double d[3];
      corvia::Subtract(d, face.VertWrapped(k + 1).pos, face.VertWrapped(k).pos);
      lengths.push_back(std::sqrt(corvia::Dot(d, d)));
    }
  }
  return lengths;
}

// Every face a regular polygon: its corners equally far from their centroid, and one
// edge length for the whole model.
void ExpectRegularFaces(const corvia::SimplePoly& poly, const char* name) {
  std::vector<double> lengths = SideLengths(poly);
  ASSERT_FALSE(lengths.empty()) << name;
  for (double length : lengths) EXPECT_NEAR(length, lengths.front(), kEdgeTolerance) << name;
  for (int f = 0; f < poly.NumFaces(); ++f) {
    const corvia::SimpleFace& face = poly.FaceAt(f);
    if (face.IsTemp() || face.Count() < 3) continue;
    double centre[3] = {0, 0, 0};
    for (int k = 0; k < face.Count(); ++k) corvia::Add(centre, centre, face.VertWrapped(k).pos);
    corvia::Divide(centre, centre, face.Count());
    double first = -1.0;
    for (int k = 0; k < face.Count(); ++k) {
      double d[3];
      corvia::Subtract(d, face.VertWrapped(k).pos, centre);
      const double r = std::sqrt(corvia::Dot(d, d));
      if (first < 0.0) first = r;
      EXPECT_NEAR(r, first, kEdgeTolerance) << name << " face " << f;
    }
  }
}

// Builds a record and its dual and checks both against the record's counts and group.
// False when the record did not build.
bool CheckRecord(corvia::LibraryEntry& entry, int faces, int edges, int verts) {
  const int i = entry.GetIndex();
  corvia::testing::Platform().messages.Clear();
  std::unique_ptr<corvia::SimplePoly> base = entry.CreatePoly(false);
  if (!base) return false;
  EXPECT_EQ(base->NumFaces(), faces) << i << " " << entry.mName;
  EXPECT_EQ(base->NumEdges(), edges) << i << " " << entry.mName;
  EXPECT_EQ(base->NumVerts(), verts) << i << " " << entry.mName;
  EXPECT_EQ(base->NumFaces() - base->NumEdges() + base->NumVerts(), faces - edges + verts) << i;
  const std::string group = ExpectedGroup(entry);
  if (!group.empty()) {
    EXPECT_EQ(GroupOf(*base), group) << i << " " << entry.mName;
  }
  EXPECT_EQ(CountTitled("Error"), 0) << i << " " << Boxes();

  corvia::testing::Platform().messages.Clear();
  corvia::Outcome why;
  std::unique_ptr<corvia::SimplePoly> dual = entry.CreatePoly(true, &why);
  if (kHemiRecords.count(i)) {
    EXPECT_EQ(dual, nullptr) << i;
    EXPECT_EQ(why.kind(), corvia::Outcome::Kind::kRefused) << i;
    EXPECT_EQ(why.text(), kInfiniteDual) << i;
    EXPECT_EQ(CountTitled("Error"), 0) << i << " " << Boxes();
    return true;
  }
  EXPECT_NE(dual, nullptr) << i << " " << entry.mName << " " << Boxes();
  if (dual) {
    EXPECT_EQ(dual->NumFaces(), verts) << i;
    EXPECT_EQ(dual->NumEdges(), edges) << i;
    EXPECT_EQ(dual->NumVerts(), faces) << i;
    EXPECT_EQ(GroupOf(*dual), GroupOf(*base)) << i;
  }
  return true;
}

class LibraryBuildTest : public corvia::testing::LibraryParamsFixture {};

}  // namespace test_LibraryBuildTest

namespace corvia {

using test_LibraryBuildTest::LibraryBuildTest;
namespace t = test_LibraryBuildTest;

TEST_F(LibraryBuildTest, DefaultModelIsTheIcosahedron) {
  LibraryEntry* entry = GetLibraryEntry(4);
  ASSERT_STREQ(entry->mConfig, "3.3.3.3.3");
  std::unique_ptr<SimplePoly> model = entry->CreatePoly(false);
  ASSERT_NE(model, nullptr);
  EXPECT_EQ(model->NumFaces(), 20);
  EXPECT_EQ(model->NumEdges(), 30);
  EXPECT_EQ(model->NumVerts(), 12);
  EXPECT_EQ(SymGroup::GetSchoenflies(model->symmetry.get()), "Ih");
  EXPECT_EQ(model->name, "Icosahedron");
  EXPECT_EQ(model->dualName, "Dodecahedron");
  for (int v = 0; v < model->NumVerts(); ++v) {
    const double* p = model->VertAt(v).pos;
    EXPECT_NEAR(Dot(p, p), Dot(model->VertAt(0).pos, model->VertAt(0).pos), 1e-9);
  }
  t::ExpectRegularFaces(*model, "Icosahedron");
}

// Every uniform record, the degenerate ones whose vertices fall together in threes
// included, builds with its counts, its group and its dual; a record that does not
// build fails here with the message it gave.
TEST_F(LibraryBuildTest, UniformRecordsBuildWithTheirCountsSymmetryAndDual) {
  for (int i = 0; i <= 104; ++i) {
    LibraryEntry& entry = gLibraryTable[i];
    if (entry.IsParametric()) continue;
    EXPECT_TRUE(t::CheckRecord(entry, entry.mNumFaces, entry.mNumEdges, entry.mNumVerts))
        << i << " " << entry.mName << " was refused: " << t::Boxes();
  }
}

TEST_F(LibraryBuildTest, ParametricPrismsAndAntiprismsBuildForSeveralBases) {
  // Up to the largest base the family takes.
  const int bases[][2] = {{3, 1}, {4, 1}, {5, 2}, {7, 3}, {8, 3}, {9, 4}, {12, 5}, {16, 1}, {90, 1}, {97, 45}, {99, 1}};
  for (const auto& base : bases) {
    const int n = base[0], d = base[1];
    LibraryEntry& prism = gLibraryTable[96];
    if (prism.CheckParams(n, d, nullptr)) {
      EXPECT_TRUE(t::CheckRecord(prism, n + 2, 3 * n, 2 * n)) << n << "/" << d;
      EXPECT_EQ(prism.GetVertexConfiguration(), std::to_string(n) + (d > 1 ? "/" + std::to_string(d) : "") + ".4.4");
    }
    LibraryEntry& antiprism = gLibraryTable[97];
    ASSERT_TRUE(antiprism.CheckParams(n, d, nullptr)) << n << "/" << d;
    EXPECT_TRUE(t::CheckRecord(antiprism, 2 * n + 2, 4 * n, 2 * n)) << n << "/" << d;
  }
}

TEST_F(LibraryBuildTest, ParametricNamesCarryTheBase) {
  LibraryEntry& prism = gLibraryTable[96];
  ASSERT_TRUE(prism.CheckParams(7, 2, nullptr));
  std::unique_ptr<SimplePoly> model = prism.CreatePoly(false);
  ASSERT_NE(model, nullptr);
  EXPECT_EQ(model->name, "7/2-gonal Prism");
  EXPECT_EQ(model->dualName, "7/2-gonal Dipyramid");
}

TEST_F(LibraryBuildTest, StoredJohnsonSolidsHaveRegularFaces) {
  for (int i = 105; i <= 130; ++i) {
    LibraryEntry& entry = gLibraryTable[i];
    std::unique_ptr<SimplePoly> model = entry.CreatePoly(false);
    ASSERT_NE(model, nullptr) << entry.mName << " " << t::Boxes();
    EXPECT_EQ(model->NumFaces(), entry.mNumFaces) << entry.mName;
    EXPECT_EQ(model->NumEdges(), entry.mNumEdges) << entry.mName;
    EXPECT_EQ(model->NumVerts(), entry.mNumVerts) << entry.mName;
    // The stored face list travels with the model.
    EXPECT_EQ(model->description, *entry.GetFaceListText()) << entry.mName;
    t::ExpectRegularFaces(*model, entry.mName);
    EXPECT_EQ(t::CountTitled("Error"), 0) << entry.mName << " " << t::Boxes();
    testing::Platform().messages.Clear();
  }
}

TEST_F(LibraryBuildTest, RelaxedFamilyMembersSettleToEqualEdges) {
  for (int i = 241; i <= 262; ++i) {
    LibraryEntry& entry = gLibraryTable[i];
    if (entry.IsParametric()) continue;
    std::unique_ptr<SimplePoly> model = entry.CreatePoly(false);
    ASSERT_NE(model, nullptr) << i << " " << entry.mName << " " << t::Boxes();
    EXPECT_EQ(model->NumFaces(), entry.mNumFaces) << entry.mName;
    EXPECT_EQ(model->NumEdges(), entry.mNumEdges) << entry.mName;
    EXPECT_EQ(model->NumVerts(), entry.mNumVerts) << entry.mName;
    EXPECT_EQ(t::GroupOf(*model), t::ExpectedGroup(entry)) << entry.mName;
    t::ExpectRegularFaces(*model, entry.mName);
    testing::Platform().messages.Clear();
  }
}

TEST_F(LibraryBuildTest, ParametricFamiliesSettleForSeveralBases) {
  // Pyramid, cupola, cuploid and cupolaic blend of each base, with their counts.
  struct Case {
    int record, n, d, faces, edges, verts;
  };
  const Case cases[] = {{244, 3, 1, 4, 6, 4},    {244, 4, 1, 5, 8, 5},    {244, 7, 2, 8, 14, 8},
                        {249, 3, 1, 8, 15, 9},   {249, 5, 3, 12, 25, 15}, {254, 5, 2, 11, 20, 10},
                        {254, 7, 4, 15, 28, 14}, {263, 3, 1, 14, 24, 12}, {263, 5, 3, 22, 40, 20},
                        {249, 2, 1, 5, 9, 6},    {249, 8, 3, 18, 40, 24}, {263, 2, 1, 8, 14, 8},
                        {254, 9, 2, 19, 36, 18}, {244, 9, 2, 10, 18, 10}};
  for (const Case& c : cases) {
    LibraryEntry& entry = gLibraryTable[c.record];
    ASSERT_TRUE(entry.CheckParams(c.n, c.d, nullptr)) << c.record << " " << c.n << "/" << c.d;
    std::unique_ptr<SimplePoly> model = entry.CreatePoly(false);
    ASSERT_NE(model, nullptr) << c.record << " " << c.n << "/" << c.d << " " << t::Boxes();
    EXPECT_EQ(model->NumFaces(), c.faces) << c.record << " " << c.n << "/" << c.d;
    EXPECT_EQ(model->NumEdges(), c.edges) << c.record << " " << c.n << "/" << c.d;
    EXPECT_EQ(model->NumVerts(), c.verts) << c.record << " " << c.n << "/" << c.d;
    EXPECT_EQ(t::GroupOf(*model), t::ExpectedGroup(entry)) << c.record << " " << c.n << "/" << c.d;
    t::ExpectRegularFaces(*model, entry.mName);
    testing::Platform().messages.Clear();
  }
}

TEST_F(LibraryBuildTest, RecordsWithoutDataAreRefusedWithAMessage) {
  for (int i = 131; i <= 240; ++i) {
    testing::Platform().messages.Clear();
    LibraryEntry& entry = gLibraryTable[i];
    if (!entry.GetFaceListText()->empty()) continue;
    Outcome base;
    Outcome dual;
    EXPECT_EQ(entry.CreatePoly(false, &base), nullptr) << i;
    EXPECT_EQ(entry.CreatePoly(true, &dual), nullptr) << i;
    EXPECT_TRUE(testing::Platform().messages.Boxes().empty()) << i << " " << t::Boxes();
    EXPECT_EQ(base.kind(), Outcome::Kind::kRefused) << i;
    EXPECT_EQ(dual.text(), base.text()) << i;
    EXPECT_NE(base.text().find("not available yet"), std::string::npos) << base.text();
    EXPECT_NE(base.text().find(entry.mName), std::string::npos) << base.text();
  }
}

TEST_F(LibraryBuildTest, SpringModelPlacesStoredPointsWithoutRelaxing) {
  const double points[4][3] = {{1, 1, 1}, {1, -1, -1}, {-1, 1, -1}, {-1, -1, 1}};
  std::unique_ptr<SimplePoly> model = BuildSpringModel("(0 1 2) (0 3 1) (0 2 3) (1 3 2)", points, 4);
  ASSERT_NE(model, nullptr);
  ASSERT_EQ(model->NumVerts(), 4);
  ASSERT_EQ(model->NumFaces(), 4);
  for (int v = 0; v < 4; ++v)
    for (int k = 0; k < 3; ++k) EXPECT_EQ(model->VertAt(v).pos[k], points[v][k]);
  EXPECT_EQ(model->FaceAt(1).items, (std::vector<int32_t>{0, 3, 1}));
}

TEST_F(LibraryBuildTest, SpringModelRelaxesWhenThePointsDoNotFit) {
  const double points[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  std::unique_ptr<SimplePoly> model = BuildSpringModel("h (0 1 2) (0 3 1) (0 2 3) (1 3 2)", points, 3);
  ASSERT_NE(model, nullptr);
  t::ExpectRegularFaces(*model, "relaxed tetrahedron");
  EXPECT_EQ(BuildSpringModel(nullptr, nullptr, 0), nullptr);
  // A broken text is the reader's internal error; nothing is built.
  testing::ExpectInternalErrors(1);
  EXPECT_EQ(BuildSpringModel("(0 1", nullptr, 0), nullptr);
  EXPECT_EQ(t::CountTitled("Internal Error"), 1);
}

}  // namespace corvia

