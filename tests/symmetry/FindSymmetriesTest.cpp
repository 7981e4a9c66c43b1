#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "core/Progress.h"
#include "core/VectorMath.h"
#include "platform/Headless.h"
#include "symmetry/FindSymmetries.h"
#include "symmetry/Reflections.h"
#include "symmetry/RotationAxes.h"
#include "symmetry/SimplePoly.h"
#include "symmetry/SymGroup.h"
#include "symmetry/SymGroupNames.h"
#include "symmetry/SymOperations.h"
#include "tests/symmetry/FindSymmetriesModels.h"
#include "tests/support/TestSupport.h"

namespace corvia::symtest {
namespace {

constexpr double kTol = 1e-6;

std::vector<Point> Dodecahedron() {
  std::vector<Point> p = Cube();
  AddCyclicSigns(p, {0, 1 / Golden(), Golden()});
  return p;
}
std::vector<Point> Pyritohedron() {
  std::vector<Point> p = Cube();
  AddCyclicSigns(p, {0, 1.5, 0.75});
  return p;
}
std::vector<Point> TwistedPrism() {
  std::vector<Point> p;
  AddRing(p, 3, 0.8, 1, 0);
  AddRing(p, 3, -0.8, 1, 0.35);
  return p;
}
std::vector<Point> HexagonalPrism() {
  std::vector<Point> p;
  AddRing(p, 6, 0.7, 1, 0);
  AddRing(p, 6, -0.7, 1, 0);
  return p;
}
std::vector<Point> PentagonalPyramid() {
  std::vector<Point> p;
  AddRing(p, 5, 0, 1, 0);
  p.push_back({0, 0.9, 0});
  return p;
}
std::vector<Point> Box() {
  std::vector<Point> p;
  AddSigns(p, {1, 2, 3});
  return p;
}
std::vector<Point> MirrorOnly() {
  std::vector<Point> p = {{1.0, 0.2, 0.5}, {-0.7, 0.9, 0.4}, {0.1, -1.1, 0.6}, {-0.4, -0.3, 1.2}};
  const size_t n = p.size();
  for (size_t i = 0; i < n; ++i) p.push_back({p[i][0], p[i][1], -p[i][2]});
  p.push_back({0.5, 0.8, 0});
  p.push_back({-1.2, -0.5, 0});
  return p;
}
std::vector<Point> InversionOnly() {
  std::vector<Point> p = {{1, 0.2, 0.3}, {0.1, 1.3, -0.2}, {0.4, -0.5, 1.1}, {-0.8, 0.6, 0.7}};
  const size_t n = p.size();
  for (size_t i = 0; i < n; ++i) p.push_back({-p[i][0], -p[i][1], -p[i][2]});
  return p;
}
std::vector<Point> Irregular() {
  return {{1, 0.1, 0.2}, {-0.9, 0.3, 0.1}, {0.2, 1.2, -0.3}, {0.1, -0.8, 0.4}, {0.3, 0.2, 1.1}, {-0.2, -0.1, -1.3}};
}

struct Case {
  const char* label;
  std::vector<Point> (*points)();
  const char* schoenflies;
  const char* orbifold;
  const char* coxeter;
  const char* name;
};

const Case kCases[] = {
    {"tetrahedron", Tetrahedron, "Td", "*332", "[3,3]", "Tetrahedral"},
    {"cube", Cube, "Oh", "*432", "[4,3]", "Octahedral"},
    {"octahedron", Octahedron, "Oh", "*432", "[4,3]", "Octahedral"},
    {"dodecahedron", Dodecahedron, "Ih", "*532", "[5,3]", "Icosahedral"},
    {"icosahedron", Icosahedron, "Ih", "*532", "[5,3]", "Icosahedral"},
    {"pyritohedron", Pyritohedron, "Th", "3*2", "[4,3+]", "Tetrahedral"},
    {"snub cube", SnubCube, "O", "432", "[4,3]+", "Octahedral"},
    {"twisted prism", TwistedPrism, "D3", nullptr, "[2,3]+", "3-fold Dihedral"},
    {"square antiprism", SquareAntiprism, "D4d", "2*4", "[2+,8]", "4-fold Dihedral"},
    {"hexagonal prism", HexagonalPrism, "D6h", nullptr, "[2,6]", "6-fold Dihedral"},
    {"pentagonal pyramid", PentagonalPyramid, "C5v", nullptr, "[1,5]", "5-fold Pyramidal"},
    {"box", Box, "D2h", nullptr, "[2,2]", "2-fold Dihedral"},
    {"mirror only", MirrorOnly, "Cs", "1*", "[ ]", "No Symmetry"},
    {"inversion only", InversionOnly, "Ci", "1x", "[2+,2+]", "No Symmetry"},
    {"irregular", Irregular, "C1", "11", "[ ]+", "No Symmetry"},
};

int32_t FoldOf(const SymGroup& g) {
  return (g.type == kSymGroupDihedral || g.type == kSymGroupPyramidal) ? g.axisTypes[0].fold : 1;
}

std::vector<Point> LivePositions(const SimplePoly& poly) {
  std::vector<Point> out;
  for (int i = 0; i < poly.NumVerts(); ++i) {
    const SimpleVert& v = poly.VertAt(i);
    if (!v.IsTemp()) out.push_back({v.pos[0], v.pos[1], v.pos[2]});
  }
  return out;
}

bool HasPoint(const std::vector<Point>& set, const double* p) {
  for (const Point& q : set) {
    if (NearlyEqual(q.data(), p, kTol)) return true;
  }
  return false;
}

// Every operation of the group, built afresh in its standard orientation, maps the
// model's vertices onto vertices: the model lies in the standard orientation.
void ExpectStandardOrientation(const SimplePoly& poly, const SymGroup& found, const char* label) {
  std::unique_ptr<SymGroup> standard = CreateSymGroup(found.type, FoldOf(found));
  standard->SetReflectionType(found.reflectionType);
  const std::vector<Point> pts = LivePositions(poly);
  SymOperationIterator it;
  double m[9];
  int ops = 0;
  while (GetNextSymmetryOperation(standard.get(), it, false, m, true)) {
    ++ops;
    for (const Point& p : pts) {
      double q[3];
      MatrixTimesVector(m, q, p.data());
      ASSERT_TRUE(HasPoint(pts, q)) << label << ": operation " << ops << " moves a vertex off the model";
    }
  }
}

std::map<int32_t, int> VertTypeSizes(const SimplePoly& poly) {
  std::map<int32_t, int> sizes;
  for (int i = 0; i < poly.NumVerts(); ++i) {
    if (!poly.VertAt(i).IsTemp()) ++sizes[poly.VertAt(i).typeId];
  }
  return sizes;
}

std::map<int32_t, int> FaceTypeSizes(const SimplePoly& poly) {
  std::map<int32_t, int> sizes;
  for (int i = 0; i < poly.NumFaces(); ++i) {
    if (!poly.FaceAt(i).IsTemp()) ++sizes[poly.FaceAt(i).typeId];
  }
  return sizes;
}

std::vector<int> SortedSizes(const std::map<int32_t, int>& sizes) {
  std::vector<int> out;
  for (const auto& [type, n] : sizes) out.push_back(n);
  std::sort(out.begin(), out.end());
  return out;
}

// A fixed rotation (from a unit quaternion), a scale and a shift.
std::vector<Point> Transformed(const std::vector<Point>& pts, double scale, const Point& shift) {
  double q[4] = {0.8, 0.3, -0.4, 0.33};
  const double len = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
  for (double& c : q) c /= len;
  const double w = q[0], x = q[1], y = q[2], z = q[3];
  const double m[9] = {1 - 2 * (y * y + z * z), 2 * (x * y + w * z),     2 * (x * z - w * y),
                       2 * (x * y - w * z),     1 - 2 * (x * x + z * z), 2 * (y * z + w * x),
                       2 * (x * z + w * y),     2 * (y * z - w * x),     1 - 2 * (x * x + y * y)};
  std::vector<Point> out;
  for (const Point& p : pts) {
    double r[3];
    MatrixTimesVector(m, r, p.data());
    out.push_back({r[0] * scale + shift[0], r[1] * scale + shift[1], r[2] * scale + shift[2]});
  }
  return out;
}

double MaxRadius(const SimplePoly& poly) {
  double r = 0;
  for (const Point& p : LivePositions(poly)) r = std::max(r, std::sqrt(Dot(p.data(), p.data())));
  return r;
}

void Mean(const SimplePoly& poly, double* out) {
  out[0] = out[1] = out[2] = 0;
  const std::vector<Point> pts = LivePositions(poly);
  for (const Point& p : pts) AddTo(out, p.data());
  Divide(out, out, static_cast<double>(pts.size()));
}

TEST(FindSymmetriesTest, NamesTheGroupOfEachModelInEveryNotation) {
  for (const Case& c : kCases) {
    auto poly = MakeHullModel(c.points());
    bool hasReflection = true;
    std::unique_ptr<SymGroup> group = FindSymmetries(*poly, hasReflection);
    ASSERT_NE(group, nullptr) << c.label;
    EXPECT_EQ(SymGroup::GetSchoenflies(group.get()), c.schoenflies) << c.label;
    if (c.orbifold) {
      EXPECT_EQ(SymGroup::GetOrbifold(group.get()), c.orbifold) << c.label;
    }
    EXPECT_EQ(SymGroup::GetCoxeter(group.get()), c.coxeter) << c.label;
    EXPECT_EQ(SymGroup::GetName(group.get()), c.name) << c.label;
    EXPECT_EQ(hasReflection, group->reflectionType != kReflectionChiral) << c.label;
    ExpectStandardOrientation(*poly, *group, c.label);
  }
}

TEST(FindSymmetriesTest, TurnedAndShiftedModelIsNormalisedToTheSameResult) {
  for (const Case& c : kCases) {
    auto plain = MakeHullModel(c.points());
    bool refl = false;
    std::unique_ptr<SymGroup> g0 = FindSymmetries(*plain, refl);
    auto moved = MakeHullModel(Transformed(c.points(), 3.7, {0.4, -2.0, 1.5}));
    std::unique_ptr<SymGroup> g1 = FindSymmetries(*moved, refl);
    ASSERT_NE(g1, nullptr) << c.label;
    EXPECT_EQ(SymGroup::GetSchoenflies(g1.get()), SymGroup::GetSchoenflies(g0.get())) << c.label;
    EXPECT_NEAR(MaxRadius(*moved), 1.0, 1e-9) << c.label;
    double mean[3];
    Mean(*moved, mean);
    EXPECT_NEAR(std::sqrt(Dot(mean, mean)), 0.0, 1e-9) << c.label;
    ExpectStandardOrientation(*moved, *g1, c.label);
    if (g1->type <= kSymGroupTetrahedral && std::string(c.label) != "tetrahedron") {
      // Polyhedral groups fix the orientation up to the group: one vertex set.
      const std::vector<Point> a = LivePositions(*plain);
      for (const Point& p : LivePositions(*moved)) EXPECT_TRUE(HasPoint(a, p.data())) << c.label;
    }
  }
}

TEST(FindSymmetriesTest, KeepFlagsLeaveTheModelAsAsked) {
  const std::vector<Point> pts = Transformed(Cube(), 3.0, {0, 0, 0});
  {
    auto poly = MakeHullModel(pts);
    poly->flags |= kSimpleKeepOrientation;
    bool refl = false;
    std::unique_ptr<SymGroup> g = FindSymmetries(*poly, refl);
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(SymGroup::GetSchoenflies(g.get()), "Oh");
    const std::vector<Point> after = LivePositions(*poly);
    for (size_t i = 0; i < pts.size(); ++i) {
      double expected[3];
      Divide(expected, pts[i].data(), 3.0 * std::sqrt(3.0));
      EXPECT_TRUE(NearlyEqual(after[i].data(), expected, 1e-9));
    }
    // The group was turned onto the model: its 4-fold axes are face normals.
    const double* axis = g->axisTypes[0].axes[0].direction;
    bool alongFace = false;
    for (int f = 0; f < poly->NumFaces(); ++f) {
      if (AreParallel(poly->FaceAt(f).normal, axis, 1e-6)) alongFace = true;
    }
    EXPECT_TRUE(alongFace);
  }
  {
    auto poly = MakeHullModel(Transformed(Cube(), 3.0, {0, 0, 0}));
    poly->flags |= kSimpleKeepSize;
    bool refl = false;
    std::unique_ptr<SymGroup> g = FindSymmetries(*poly, refl);
    ASSERT_NE(g, nullptr);
    EXPECT_NEAR(MaxRadius(*poly), 3.0 * std::sqrt(3.0), 1e-9);
    EXPECT_EQ(SymGroup::GetSchoenflies(g.get()), "Oh");
  }
  {
    auto poly = MakeHullModel(Transformed(Cube(), 1.0, {5, 0, 0}));
    poly->flags |= kSimpleKeepCentre | kSimpleKeepOrientation;
    bool refl = false;
    std::unique_ptr<SymGroup> g = FindSymmetries(*poly, refl);
    ASSERT_NE(g, nullptr);
    double mean[3];
    Mean(*poly, mean);
    EXPECT_GT(mean[0], 0.5);
  }
  {
    std::vector<Point> big;
    AddSigns(big, {2 / std::sqrt(3.0), 2 / std::sqrt(3.0), 2 / std::sqrt(3.0)});
    auto poly = MakeHullModel(big);
    poly->flags |= kSimpleKeepLengthUnits;
    poly->scale = 1.5;
    bool refl = false;
    std::unique_ptr<SymGroup> g = FindSymmetries(*poly, refl);
    ASSERT_NE(g, nullptr);
    EXPECT_NEAR(MaxRadius(*poly), 1.0, 1e-9);
    EXPECT_NEAR(poly->scale, 3.0, 1e-9);
  }
}

// Types are the orbits under the group's rotations: the pyritohedron's cube
// corners and the box's corners fall into two tetrahedral sets of four.
TEST(FindSymmetriesTest, ElementTypesAreTheOrbitsOfTheRotations) {
  struct Orbits {
    std::vector<Point> (*points)();
    std::vector<int> verts;
    std::vector<int> faces;
  };
  const Orbits cases[] = {
      {Cube, {8}, {6}},
      {Icosahedron, {12}, {20}},
      {Dodecahedron, {20}, {12}},
      {SnubCube, {24}, {6, 8, 24}},
      {Pyritohedron, {4, 4, 12}, {12}},
      {HexagonalPrism, {12}, {2, 6}},
      {SquareAntiprism, {8}, {2, 8}},
      {PentagonalPyramid, {1, 5}, {1, 5}},
      {TwistedPrism, {6}, {2, 6}},
      {Box, {4, 4}, {2, 2, 2}},
  };
  for (const Orbits& c : cases) {
    auto poly = MakeHullModel(c.points());
    bool refl = false;
    std::unique_ptr<SymGroup> g = FindSymmetries(*poly, refl);
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(SortedSizes(VertTypeSizes(*poly)), c.verts) << SymGroup::GetSchoenflies(g.get());
    EXPECT_EQ(SortedSizes(FaceTypeSizes(*poly)), c.faces) << SymGroup::GetSchoenflies(g.get());
    // Each type is one ring through all its members.
    for (int i = 0; i < poly->NumVerts(); ++i) {
      const SimpleVert& v = poly->VertAt(i);
      EXPECT_EQ(poly->VertAt(v.nextOfType).typeId, v.typeId);
    }
  }
}

TEST(FindSymmetriesTest, SameInputGivesTheSameOrientationAndTypes) {
  for (auto points : {SnubCube, PentagonalPyramid, MirrorOnly, Irregular}) {
    auto a = MakeHullModel(Transformed(points(), 2.0, {0.1, 0.2, 0.3}));
    auto b = MakeHullModel(Transformed(points(), 2.0, {0.1, 0.2, 0.3}));
    bool refl = false;
    std::unique_ptr<SymGroup> ga = FindSymmetries(*a, refl);
    std::unique_ptr<SymGroup> gb = FindSymmetries(*b, refl);
    ASSERT_NE(ga, nullptr);
    ASSERT_NE(gb, nullptr);
    for (int i = 0; i < a->NumVerts(); ++i) {
      EXPECT_TRUE(PointsEqual(a->VertAt(i).pos, b->VertAt(i).pos));
      EXPECT_EQ(a->VertAt(i).typeId, b->VertAt(i).typeId);
    }
    for (int i = 0; i < a->NumFaces(); ++i) EXPECT_EQ(a->FaceAt(i).typeId, b->FaceAt(i).typeId);
  }
}

TEST(FindSymmetriesTest, ModelWithoutSymmetryRestsOnItsLargestFace) {
  auto poly = MakeHullModel(Transformed(Irregular(), 1.0, {0, 0, 0}));
  bool refl = true;
  std::unique_ptr<SymGroup> g = FindSymmetries(*poly, refl);
  ASSERT_NE(g, nullptr);
  EXPECT_FALSE(refl);
  double best = -1, down = 0;
  for (int f = 0; f < poly->NumFaces(); ++f) {
    double area[3];
    poly->FaceAt(f).AreaVector(area);
    if (Dot(area, area) > best) {
      best = Dot(area, area);
      down = poly->FaceAt(f).normal[1];
    }
  }
  EXPECT_NEAR(down, -1.0, 1e-9);
}

TEST(FindSymmetriesTest, TinyAndHugeModelsKeepTheirSizeOrUnitsWhenAsked) {
  // Corners 1e-9 apart are far more than one point to a model of that size. (The
  // faces are the unit cube's: the brute-force hull has a tolerance of its own.)
  const double root3 = std::sqrt(3.0);
  const FaceList faces = BruteHullFaces(Cube());
  {
    auto poly = MakeModel(Transformed(Cube(), 1e-9, {0, 0, 0}), faces);
    poly->flags |= kSimpleKeepSize;
    bool refl = false;
    std::unique_ptr<SymGroup> g = FindSymmetries(*poly, refl);
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(SymGroup::GetSchoenflies(g.get()), "Oh");
    EXPECT_NEAR(MaxRadius(*poly) / (1e-9 * root3), 1.0, 1e-12);
  }
  {
    auto poly = MakeModel(Transformed(Cube(), 1e9, {0, 0, 0}), faces);
    poly->flags |= kSimpleKeepLengthUnits;
    poly->scale = 2.0;
    bool refl = false;
    std::unique_ptr<SymGroup> g = FindSymmetries(*poly, refl);
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(SymGroup::GetSchoenflies(g.get()), "Oh");
    EXPECT_NEAR(MaxRadius(*poly), 1.0, 1e-12);
    EXPECT_NEAR(poly->scale / (2e9 * root3), 1.0, 1e-12);
  }
}

TEST(FindSymmetriesTest, FacesThatDoNotMeetInPairsAreRefusedWithTheirReason) {
  FaceList faces = BruteHullFaces(Cube());
  faces.pop_back();
  auto open = MakeModel(Cube(), faces);
  bool refl = true;
  std::string refusal;
  EXPECT_EQ(FindSymmetries(*open, refl, &refusal), nullptr);
  EXPECT_NE(refusal.find("the model is not closed"), std::string::npos) << refusal;
  EXPECT_TRUE(corvia::testing::Platform().messages.Boxes().empty());
  // Failures that are not the faces' fault give no reason.
  auto flat = MakeModel({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}, {{0, 1, 2, 3}, {3, 2, 1, 0}});
  EXPECT_EQ(FindSymmetries(*flat, refl, &refusal), nullptr);
  EXPECT_EQ(refusal, "");
}

TEST(FindSymmetriesTest, FlatOrTinyModelCannotBeAnalysed) {
  auto flat = MakeModel({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}, {{0, 1, 2, 3}, {3, 2, 1, 0}});
  bool refl = true;
  EXPECT_EQ(FindSymmetries(*flat, refl), nullptr);
  EXPECT_FALSE(refl);
}

TEST(FindSymmetriesTest, DoubledCubeFacesSplitIntoTwoTypesByColour) {
  const std::vector<Point> pts = Cube();
  FaceList faces = BruteHullFaces(pts);
  const size_t n = faces.size();
  for (size_t i = 0; i < n; ++i) faces.push_back(faces[i]);
  auto poly = MakeModel(pts, faces);
  for (size_t i = 0; i < faces.size(); ++i) poly->FaceAt(static_cast<int>(i)).color = i < n ? 0x0000FF : 0x00FF00;
  bool refl = false;
  std::unique_ptr<SymGroup> g = FindSymmetries(*poly, refl);
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(SymGroup::GetSchoenflies(g.get()), "Oh");
  EXPECT_EQ(SortedSizes(FaceTypeSizes(*poly)), (std::vector<int>{6, 6}));
  for (int i = 0; i < poly->NumFaces(); ++i) {
    const SimpleFace& f = poly->FaceAt(i);
    EXPECT_EQ(poly->FaceAt(f.nextOfType).color, f.color);
  }
}

TEST(FindSymmetriesTest, MemberFormHandsOverTheGroup) {
  auto poly = MakeHullModel(Octahedron());
  bool refl = false;
  std::unique_ptr<SymGroup> g(poly->FindSymmetries(refl));
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(g->type, kSymGroupOctahedral);
  EXPECT_TRUE(refl);
}

// Positions on both sides of a grid-cell boundary, within the tolerance of each
// other, are found from either side, with the very position of the vertex found;
// a vertex at infinity is left out when asked.
TEST(FindSymmetriesTest, VertexLookupSearchesTheWholeToleranceWindow) {
  const double edge = 1e-5 * 7;
  auto poly = MakeModel({{edge - 4e-8, 0.5, 0.5}, {edge + 4e-8 + 1e-9, 0.5, 0.5}, {0.9, 0.1, -0.3}}, {});
  poly->VertAt(2).flags |= kSimpleInfinite;
  const VertexLocator locator(*poly);
  EXPECT_EQ(locator.FindFirst(poly->VertAt(2).pos, 0), 2);
  EXPECT_EQ(locator.FindFirst(poly->VertAt(2).pos, kSimpleInfinite), -1);
  const double below[3] = {edge - 5e-8, 0.5, 0.5};
  const double above[3] = {edge + 5e-8, 0.5, 0.5};
  EXPECT_EQ(locator.FindFirst(below, 0), 0);
  EXPECT_EQ(locator.FindFirst(above, 0), 0);
  poly->VertAt(0).flags |= kSimpleDone;
  double at[3] = {0, 0, 0};
  EXPECT_EQ(locator.FindFirst(below, kSimpleDone, at), 1);
  for (int j = 0; j < 3; ++j) EXPECT_EQ(at[j], poly->VertAt(1).pos[j]);
  const double away[3] = {edge + 3e-7, 0.5, 0.5};
  EXPECT_EQ(locator.FindFirst(away, 0), -1);
}

// The sums a search reads from its table are those the faces round each vertex give,
// to the bit: added in the order of the vertex's list (here not that of the faces),
// a face without corners and a broken entry left out.
TEST(FindSymmetriesTest, RingCentroidSumsAreEachVertexsOwnSums) {
  auto poly = MakeModel(
      {{0.1, 0.7, 1.0 / 3}, {0.93, -0.21, 0.47}, {-0.58, 0.33, 0.29}, {0.17, -0.91, -0.61}, {-0.4, -0.45, 0.77}},
      {{0, 1, 2}, {0, 2, 3, 4}, {1, 4, 3}, {2, 1, 0, 4}, {}});
  poly->CreateVertexFaceLists(true);
  for (int i = 0; i < poly->NumVerts(); ++i) {
    std::vector<int32_t>& items = poly->VertAt(i).items;
    std::reverse(items.begin(), items.end());
  }
  poly->VertAt(0).items.push_back(-1);
  poly->VertAt(0).items.push_back(4);
  const RingCentroidSums rings(*poly);
  for (int i = 0; i < poly->NumVerts(); ++i) {
    double own[3];
    SumCentroidsOfRing(poly->VertAt(i), own);
    for (int j = 0; j < 3; ++j) EXPECT_EQ(rings.Of(i)[j], own[j]) << "vertex " << i << ", coordinate " << j;
  }
}

// A torus of around x tube quads, mirrored in the plane z = 0 and turned into itself
// by a quarter turn about z when around is a multiple of 4.
std::unique_ptr<SimplePoly> Torus(int around, int tube) {
  std::vector<Point> points;
  FaceList faces;
  for (int i = 0; i < around; ++i) {
    const double a = 2 * M_PI * i / around;
    for (int j = 0; j < tube; ++j) {
      const double b = 2 * M_PI * j / tube;
      const double r = 1 + 0.3 * std::cos(b);
      points.push_back({r * std::cos(a), r * std::sin(a), 0.3 * std::sin(b)});
      const int next = (i + 1) % around;
      faces.push_back({i * tube + j, next * tube + j, next * tube + (j + 1) % tube, i * tube + (j + 1) % tube});
    }
  }
  return MakeModel(points, faces);
}

// Counts the progress window's pumps, each a second of the test's clock after the
// last, and clicks Cancel at pump `cancelAt` (none when 0), while it lives.
struct PumpCounter {
  int pumps = 0;
  int cancelAt = 0;
  PumpCounter() {
    testing::Platform().progress.Current()->onPump = [this](platform::HeadlessProgressWindow::State& state) {
      testing::Platform().clock.Advance(1.0);
      if (++pumps == cancelAt) state.cancel = true;
    };
  }
  ~PumpCounter() { testing::Platform().progress.Current()->onPump = nullptr; }
  PumpCounter(const PumpCounter&) = delete;
  PumpCounter& operator=(const PumpCounter&) = delete;
};

// The mirror test and the spread of a turn's orbits over a large model report along
// the vertices (each held the window up to half a second on a large model), and a
// Cancel clicked meanwhile ends each at once with no symmetry found.
TEST(FindSymmetriesTest, MirrorAndTurnTestsOfALargeModelReportAndStopAtACancel) {
  auto poly = Torus(400, 50);
  const int nv = poly->NumVerts();
  poly->CreateVertexFaceLists(true);
  poly->CalcFaceNormals(true);
  const VertexLocator locator(*poly);
  auto group = CreateSymGroup(kSymGroupNone, 1);
  const double up[3] = {0, 0, 1};
  double turn[9];
  ASSERT_TRUE(AxisTurnMatrix(up, 4, turn));
  PumpCounter counter;
  int& pumps = counter.pumps;
  int& cancelAt = counter.cancelAt;
  const auto mirror = [&] {
    ProgressScope scope;
    testing::Platform().clock.Advance(2.0);
    return TestReflection(*poly, kReflectionHorizontal, up, *group, 1, locator);
  };
  // From the orbit of vertex 0 the spread reaches every vertex, in orbits of four.
  const auto spread = [&] {
    poly->ClearVertFlags(kSimpleDone);
    poly->ClearFaceFlags(kSimpleDone);
    std::vector<int32_t> buffer(static_cast<size_t>(nv));
    double p[3];
    CopyVector(p, poly->VertAt(0).pos);
    for (int j = 0; j < 4; ++j) {
      buffer[static_cast<size_t>(j)] = locator.FindFirst(p, 0);
      MatrixTimesVector(turn, p, p);
    }
    int count = 4;
    ProgressScope scope;
    testing::Platform().clock.Advance(2.0);
    return TestForSymmetryR(*poly, 4, turn, buffer, 0, count) && count == nv;
  };
  for (const auto& [name, test, atLeast] : {std::tuple{"mirror", std::function<bool()>(mirror), nv / 512},
                                            std::tuple{"turn", std::function<bool()>(spread), nv / 4 / 512}}) {
    pumps = 0;
    cancelAt = 0;
    EXPECT_TRUE(test()) << name;
    EXPECT_GE(pumps, atLeast) << name << ": reports along the vertices";
    pumps = 0;
    cancelAt = 3;
    EXPECT_FALSE(test()) << name << ": cancelled";
    EXPECT_EQ(pumps, 3) << name << ": no report after the Cancel";
  }
}

// The set-ups of the rotation search and the merge of coincident vertices pass over
// every vertex and face of a large model (each held the window a third of a second or
// more on a million faces): they report along their passes, build what they build
// alike, and a Cancel meanwhile is kept for the caller, who hears it at its next report.
TEST(FindSymmetriesTest, RotationSetUpsAndVertexMergeReportAlongALargeModel) {
  auto poly = Torus(400, 50);
  const int nv = poly->NumVerts();
  poly->CreateVertexFaceLists(true);
  PumpCounter counter;
  int& pumps = counter.pumps;
  int& cancelAt = counter.cancelAt;
  const double far[3] = {5, 5, 5};
  const auto locate = [&] {
    const VertexLocator locator(*poly);
    return locator.FindFirst(poly->VertAt(nv - 1).pos, 0) == nv - 1 && !locator.AnyWithin(far, 1);
  };
  const auto pieces = [&] {
    const VertexPieces found(*poly);
    return found.Count() == 1 && found.end(0) - found.begin(0) == nv;
  };
  const auto rings = [&] {
    const RingCentroidSums sums(*poly);
    double own[3];
    SumCentroidsOfRing(poly->VertAt(123), own);
    return NearlyEqual(sums.Of(123), own, 1e-12);
  };
  const auto merge = [&] {
    poly->MergeCoincidentVerts();
    return poly->NumVerts() == nv && poly->VertAt(nv - 1).Count() == 4 && !poly->VertAt(0).IsTemp();
  };
  // Each at least twice the reports of one pass over the vertices.
  for (const auto& [name, pass] : {std::pair{"locator", std::function<bool()>(locate)},
                                   std::pair{"pieces", std::function<bool()>(pieces)},
                                   std::pair{"rings", std::function<bool()>(rings)},
                                   std::pair{"merge", std::function<bool()>(merge)}}) {
    for (const int cancel : {0, 3}) {
      pumps = 0;
      cancelAt = cancel;
      ProgressScope scope;
      testing::Platform().clock.Advance(2.0);
      EXPECT_TRUE(pass()) << name << ": built whole";
      if (cancel == 0) {
        EXPECT_GE(pumps, 2 * (nv / 256)) << name << ": reports along the passes";
        EXPECT_TRUE(ProgressTick()) << name;
      } else {
        EXPECT_EQ(pumps, 3) << name << ": no report after the Cancel";
        EXPECT_FALSE(ProgressTick()) << name << ": the Cancel is heard by the caller";
      }
    }
  }
}

// The group the found turns generate: two 5-fold axes of the icosahedron give all
// 60 rotations, a 4-fold and a 3-fold axis of the cube the 24 of the octahedral
// group, one 7-fold axis its 7 turns; a turn of another axis is not in the group.
TEST(FindSymmetriesTest, FoundTurnsCloseIntoTheirGroup) {
  const double phi = Golden();
  const double five1[3] = {0, 1, phi}, five2[3] = {0, -1, phi}, three[3] = {1, 1, 1}, four[3] = {0, 0, 1};
  double m[9];
  RotationClosure icosahedral;
  ASSERT_TRUE(AxisTurnMatrix(five1, 5, m));
  icosahedral.AddGenerator(m);
  EXPECT_EQ(icosahedral.Count(), 5);
  ASSERT_TRUE(AxisTurnMatrix(five2, 5, m));
  icosahedral.AddGenerator(m);
  EXPECT_EQ(icosahedral.Count(), 60);
  // A 3-fold axis of the icosahedron: the centre of the face (0, 1, phi), (0, -1, phi), (phi, 0, 1).
  const double face[3] = {phi, 0, 1 + 2 * phi};
  ASSERT_TRUE(AxisTurnMatrix(face, 3, m));
  EXPECT_TRUE(icosahedral.Contains(m));
  ASSERT_TRUE(AxisTurnMatrix(four, 4, m));
  EXPECT_FALSE(icosahedral.Contains(m));

  RotationClosure octahedral;
  octahedral.AddGenerator(m);
  ASSERT_TRUE(AxisTurnMatrix(three, 3, m));
  octahedral.AddGenerator(m);
  EXPECT_EQ(octahedral.Count(), 24);
  ASSERT_TRUE(AxisTurnMatrix(four, 2, m));
  EXPECT_TRUE(octahedral.Contains(m));

  RotationClosure cyclic;
  ASSERT_TRUE(AxisTurnMatrix(three, 7, m));
  cyclic.AddGenerator(m);
  EXPECT_EQ(cyclic.Count(), 7);
  const double zero[3] = {0, 0, 0};
  EXPECT_FALSE(AxisTurnMatrix(zero, 2, m));
}

// The quick check says no to no turn the group holds: about the axes of the
// icosahedral group, about axes a little off them (within the tolerance and beyond)
// and about axes anywhere, for every fold; and it tells most of the last apart.
TEST(FindSymmetriesTest, TurnsOfTheGroupPassTheQuickCheck) {
  const double phi = Golden();
  const double tolerance = 1e-4;
  RotationClosure closure(tolerance);
  double m[9];
  for (const std::array<double, 3>& a : std::vector<std::array<double, 3>>{{0, 1, phi}, {0, -1, phi}}) {
    ASSERT_TRUE(AxisTurnMatrix(a.data(), 5, m));
    closure.AddGenerator(m);
  }
  ASSERT_EQ(closure.Count(), 60);
  std::vector<std::array<double, 3>> axes = {{0, 1, phi}, {1, 1, 1}, {0, 0, 1}, {1, 0, 0}};
  for (size_t i = 0, n = axes.size(); i < n; ++i) {
    for (const double off : {3e-5, 3e-4}) axes.push_back({axes[i][0] + off, axes[i][1] - off, axes[i][2]});
  }
  uint32_t seed = 12345;
  auto next = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return static_cast<double>(seed >> 8) / (1u << 24) * 2 - 1;
  };
  const size_t fixed = axes.size();
  for (int i = 0; i < 200; ++i) axes.push_back({next(), next(), next()});
  int held = 0, told = 0;
  for (size_t i = 0; i < axes.size(); ++i) {
    for (int k = 2; k <= 6; ++k) {
      ASSERT_TRUE(AxisTurnMatrix(axes[i].data(), k, m));
      const bool contains = closure.Contains(m);
      held += contains ? 1 : 0;
      if (contains) {
        EXPECT_TRUE(closure.MayContainTurn(axes[i].data(), k)) << "axis " << i << ", fold " << k;
      }
      if (i >= fixed && !closure.MayContainTurn(axes[i].data(), k)) ++told;
    }
  }
  // The turn of each of the four axes, and of each a little off it.
  EXPECT_GE(held, 8);
  EXPECT_GT(told, 900);
}

// Turns about two axes at an angle that is no angle of a finite group generate ever
// more products: the set gives up and answers no to everything, so every candidate
// is tested as before.
TEST(FindSymmetriesTest, FoundTurnsThatDoNotCloseAreForgotten) {
  const double a[3] = {0, 0, 1}, b[3] = {0.3, 0, 1};
  double m[9];
  RotationClosure closure;
  ASSERT_TRUE(AxisTurnMatrix(a, 5, m));
  closure.AddGenerator(m);
  ASSERT_TRUE(AxisTurnMatrix(b, 5, m));
  closure.AddGenerator(m);
  EXPECT_EQ(closure.Count(), 0);
  EXPECT_FALSE(closure.Contains(m));
  const double identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  EXPECT_FALSE(closure.Contains(identity));
}

}  // namespace
}  // namespace corvia::symtest
