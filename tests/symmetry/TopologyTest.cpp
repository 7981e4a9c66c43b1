#include <gtest/gtest.h>

#include <array>
#include <random>
#include <set>

#include "symmetry/SimplePoly.h"
#include "symmetry/SymGroup.h"
#include "tests/support/TestSupport.h"
#include "tests/symmetry/SimplePolyTestModels.h"

namespace corvia {
namespace {

using testmodels::MakeCubes;

// Whether the faces round vertex v form one cycle in list order: consecutive faces
// (cyclically) share an edge at v.
bool FacesCycleRoundVertex(const SimplePoly& poly, int vi) {
  const SimpleVert& v = poly.VertAt(vi);
  const int n = v.Count();
  for (int j = 0; j < n; ++j) {
    const SimpleFace& a = v.FaceAt(j);
    const SimpleFace& b = v.FaceAt((j + 1) % n);
    const int ca = a.FindItem(vi);
    const int32_t before = a.items[static_cast<size_t>(WrapIndex(ca, -1, a.Count()))];
    const int32_t after = a.items[static_cast<size_t>(WrapIndex(ca, 1, a.Count()))];
    if (b.FindItem(before) < 0 && b.FindItem(after) < 0) return false;
  }
  return true;
}

int CountEdges(const std::vector<std::unique_ptr<SimpEdgeType>>& types) {
  int n = 0;
  for (const auto& t : types) n += static_cast<int>(t->edges.size());
  return n;
}

TEST(SimplePolyTopology, CubeFacesInCyclicOrder) {
  auto cube = MakeCubes({{0, 0, 0}}, 1);
  ASSERT_EQ(cube->NumVerts(), 8);
  cube->CreateVertexFaceLists(false);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(cube->VertAt(i).Count(), 3);
  ASSERT_TRUE(cube->SimpleSortVertFaces());
  for (int i = 0; i < 8; ++i) EXPECT_TRUE(FacesCycleRoundVertex(*cube, i));
  // The quick order and the full order agree on a closed manifold.
  auto again = MakeCubes({{0, 0, 0}}, 1);
  again->CalcFaceNormals(true);
  again->ResetIndices();
  auto types = again->CreateEdgeTypes(nullptr);
  EXPECT_EQ(CountEdges(types), 12);
  for (const auto& t : types) EXPECT_EQ(t->numFaces, 2);
  ASSERT_TRUE(again->SortVertFaces(nullptr));
  EXPECT_EQ(again->NumVerts(), 8);
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(again->VertAt(i).Count(), 3);
    EXPECT_TRUE(FacesCycleRoundVertex(*again, i));
  }
  // Consistent orientation: every vertex's faces go round the same way as in the
  // quick sort, i.e. face j+1 is across the edge after the vertex in face j or all
  // across the edge before it.
}

TEST(SimplePolyTopology, EdgeTypesUnderOctahedralGroupAreOne) {
  auto cube = MakeCubes({{-1, -1, -1}}, 2);
  cube->CalcFaceNormals(true);
  cube->ResetIndices();
  // Face types: all six faces one class; vertex types one class.
  for (int i = 1; i < 6; ++i) cube->FaceAt(0).JoinTypeRing(cube->FaceAt(i));
  for (int i = 1; i < 8; ++i) cube->VertAt(0).JoinTypeRing(cube->VertAt(i));
  auto group = CreateSymGroup(kSymGroupOctahedral, 0);
  auto types = cube->CreateEdgeTypes(group.get());
  ASSERT_EQ(types.size(), 1u);
  EXPECT_EQ(types[0]->edges.size(), 12u);
  EXPECT_TRUE(types[0]->halfTurnAcross);
  ASSERT_TRUE(cube->SortVertFaces(group.get()));
  for (int i = 0; i < cube->NumVerts(); ++i) EXPECT_TRUE(FacesCycleRoundVertex(*cube, i));
}

TEST(SimplePolyTopology, TwoCubesSharingACornerSplitIt) {
  auto poly = MakeCubes({{0, 0, 0}, {1, 1, 1}}, 1);
  ASSERT_EQ(poly->NumVerts(), 15);
  poly->CalcFaceNormals(true);
  poly->ResetIndices();
  poly->CreateVertexFaceLists(false);
  const double shared[3] = {1, 1, 1};
  int used = poly->NumVerts();
  const int s = poly->FindOrCreateVert(shared, used)->GetIndex();
  EXPECT_EQ(poly->VertAt(s).Count(), 6);
  ASSERT_TRUE(poly->SortVertFaces(nullptr));
  ASSERT_EQ(poly->NumVerts(), 16);
  EXPECT_TRUE(poly->VertAt(s).flags & kSimpleSplit);
  const SimpleVert& extra = poly->VertAt(15);
  EXPECT_TRUE(SamePos(extra.pos, shared));
  EXPECT_EQ(poly->VertAt(s).Count(), 3);
  EXPECT_EQ(extra.Count(), 3);
  // Each fan belongs to one cube (faces 0-5 or 6-11), in cyclic order.
  for (int v : {s, 15}) {
    std::set<int> cubes;
    for (int32_t f : poly->VertAt(v).items) cubes.insert(f / 6);
    EXPECT_EQ(cubes.size(), 1u);
    EXPECT_TRUE(FacesCycleRoundVertex(*poly, v));
  }
  // The faces now name the split vertex.
  for (int32_t f : extra.items) EXPECT_GE(poly->FaceAt(f).FindItem(15), 0);
}

TEST(SimplePolyTopology, TwoCubesSharingAnEdge) {
  // Cube 0 at the origin, cube 1 diagonally beside it in x and y: they share the
  // edge x = y = 1, where four faces meet.
  auto poly = MakeCubes({{0, 0, 0}, {1, 1, 0}}, 1);
  ASSERT_EQ(poly->NumVerts(), 14);
  poly->CalcFaceNormals(true);
  poly->ResetIndices();
  auto types = poly->CreateEdgeTypes(nullptr);
  EXPECT_EQ(CountEdges(types), 23);
  int fourFaced = 0;
  for (const auto& t : types) {
    if (t->numFaces == 4) {
      ++fourFaced;
      EXPECT_EQ(t->edges.size(), 1u);
    }
  }
  EXPECT_EQ(fourFaced, 1);
  ASSERT_TRUE(poly->SortVertFaces(nullptr));
  // Both ends of the shared edge split into one vertex per cube.
  ASSERT_EQ(poly->NumVerts(), 16);
  for (int v = 0; v < poly->NumVerts(); ++v) {
    EXPECT_EQ(poly->VertAt(v).Count(), 3) << v;
    EXPECT_TRUE(FacesCycleRoundVertex(*poly, v)) << v;
    std::set<int> cubes;
    for (int32_t f : poly->VertAt(v).items) cubes.insert(f / 6);
    EXPECT_EQ(cubes.size(), 1u) << v;
  }
}

TEST(SimplePolyTopology, OddEdgeReportedOncePerPass) {
  testing::ExpectInternalErrors(1);
  // Three triangles on one edge, plus a second such edge.
  SimplePoly poly(5, 4);
  const double p[5][3] = {{0, 0, 0}, {0, 0, 1}, {1, 0, 0}, {0, 1, 0}, {-1, -1, 0}};
  for (int i = 0; i < 5; ++i) poly.VertAt(i).SetPos(p[i]);
  const int tri[4][3] = {{0, 1, 2}, {0, 1, 3}, {0, 1, 4}, {2, 3, 4}};
  for (int f = 0; f < 4; ++f) {
    poly.FaceAt(f).SetNumVerts(3);
    for (int k = 0; k < 3; ++k) poly.FaceAt(f).SetVertIndex(k, tri[f][k]);
  }
  poly.CalcFaceNormals(true);
  const size_t before = testing::Platform().messages.Boxes().size();
  auto types = poly.CreateEdgeTypes(nullptr);
  EXPECT_EQ(testing::Platform().messages.Boxes().size(), before + 1);
}

// The edge reported is the first side in face order whose edge has an odd number of
// sides, not the lowest pair of vertices; removed faces do not count, and a corner
// outside the vertex array does not confuse the search.
TEST(SimplePolyTopology, OddEdgeIsTheFirstInFaceOrder) {
  auto model = [](bool outOfRange) {
    auto poly = std::make_unique<SimplePoly>(8, outOfRange ? 7 : 6);
    // A closed tetrahedron on 4..7, a removed face that would make one of its edges
    // odd, then a lone triangle whose first side is (2, 0).
    const std::vector<std::vector<int32_t>> faces = {{4, 5, 6}, {4, 7, 5}, {5, 7, 6}, {4, 6, 7},
                                                     {4, 5, 0}, {2, 0, 1}, {0, 99, 1}};
    for (int f = 0; f < poly->NumFaces(); ++f) {
      poly->FaceAt(f).SetNumVerts(3);
      for (int k = 0; k < 3; ++k) poly->FaceAt(f).items[static_cast<size_t>(k)] = faces[size_t(f)][size_t(k)];
    }
    poly->FaceAt(4).flags |= kSimpleTemp;
    return poly;
  };
  for (bool outOfRange : {false, true}) {
    int32_t a = -1, b = -1;
    int sides = 0;
    ASSERT_TRUE(model(outOfRange)->FindOddEdge(a, b, sides));
    EXPECT_EQ(a, 2);
    EXPECT_EQ(b, 0);
    EXPECT_EQ(sides, 1);
  }
  auto closed = model(false);
  closed->FaceAt(5).flags |= kSimpleTemp;
  int32_t a = -1, b = -1;
  int sides = 0;
  EXPECT_FALSE(closed->FindOddEdge(a, b, sides));
}

TEST(SimplePolyTopology, MergeCoincidentVerts) {
  SimplePoly poly(4, 2);
  const double p[4][3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0.5e-7, 0, 0}};
  for (int i = 0; i < 4; ++i) poly.VertAt(i).SetPos(p[i]);
  poly.FaceAt(0).SetNumVerts(3);
  poly.FaceAt(1).SetNumVerts(3);
  const int f0[3] = {0, 1, 2}, f1[3] = {3, 2, 1};
  for (int k = 0; k < 3; ++k) {
    poly.FaceAt(0).SetVertIndex(k, f0[k]);
    poly.FaceAt(1).SetVertIndex(k, f1[k]);
  }
  poly.CreateVertexFaceLists(false);
  poly.MergeCoincidentVerts();
  EXPECT_TRUE(poly.VertAt(3).IsTemp());
  EXPECT_EQ(poly.VertAt(0).items, (std::vector<int32_t>{0, 1}));
  EXPECT_EQ(poly.FaceAt(1).items[0], 0);
}

TEST(SimplePolyTopology, MergeFindsEveryPairByACellSideAndNoOther) {
  // Points by the sides of the search cells (1e-5 wide for a model of this size),
  // every third with a partner within the tolerance, some of them across the side;
  // the rest have none.
  std::mt19937 random(11);
  std::uniform_int_distribution<int> step(-90000, 90000);
  std::uniform_real_distribution<double> offset(-2.0, 2.0);
  std::vector<std::array<double, 3>> points;
  std::vector<size_t> partners;
  for (int i = 0; i < 600; ++i) {
    std::array<double, 3> p = {step(random) * 1e-5 + offset(random) * kPointTolerance, step(random) * 1e-5,
                               step(random) * 1e-5 + 0.5e-5};
    points.push_back(p);
    if (i % 3 == 0) {
      p[0] += (i % 2 ? 0.6 : -0.6) * kPointTolerance;
      partners.push_back(points.size());
      points.push_back(p);
    }
  }
  SimplePoly poly(static_cast<int>(points.size()), 0);
  for (size_t i = 0; i < points.size(); ++i) poly.VertAt(static_cast<int>(i)).SetPos(points[i].data());
  poly.MergeCoincidentVerts();
  int merged = 0;
  for (int i = 0; i < poly.NumVerts(); ++i) merged += poly.VertAt(i).IsTemp() ? 1 : 0;
  EXPECT_EQ(merged, static_cast<int>(partners.size()));
  for (size_t k : partners) EXPECT_TRUE(poly.VertAt(static_cast<int>(k)).IsTemp()) << k;
}

TEST(SimplePolyTopology, MergeInsideOneFaceLeavesNoRepeatedCorner) {
  SimplePoly poly(4, 1);
  const double p[4][3] = {{0, 0, 0}, {0.5e-7, 0, 0}, {1, 0, 0}, {0, 1, 0}};
  for (int i = 0; i < 4; ++i) poly.VertAt(i).SetPos(p[i]);
  poly.FaceAt(0).SetNumVerts(4);
  for (int k = 0; k < 4; ++k) poly.FaceAt(0).SetVertIndex(k, k);
  poly.CreateVertexFaceLists(false);
  poly.MergeCoincidentVerts();
  EXPECT_EQ(poly.FaceAt(0).items, (std::vector<int32_t>{0, 2, 3}));
  EXPECT_EQ(poly.VertAt(0).items, (std::vector<int32_t>{0}));
}

TEST(SimplePolyTopology, FaceListingAVertexTwice) {
  SimplePoly poly(3, 1);
  poly.FaceAt(0).SetNumVerts(4);
  const int c[4] = {0, 1, 0, 2};
  for (int k = 0; k < 4; ++k) poly.FaceAt(0).SetVertIndex(k, c[k]);
  poly.CreateVertexFaceLists(false);
  EXPECT_EQ(poly.VertAt(0).items, (std::vector<int32_t>{0, 0}));
}

TEST(SimplePolyTopology, AdjacentFaceOfCube) {
  auto cube = MakeCubes({{0, 0, 0}}, 1);
  cube->CreateVertexFaceLists(false);
  ASSERT_TRUE(cube->SimpleSortVertFaces());
  for (int f = 0; f < 6; ++f) {
    for (int e = 0; e < 4; ++e) {
      SimpleFace* g = cube->FaceAt(f).GetAdjacentFace(e);
      ASSERT_NE(g, nullptr);
      EXPECT_NE(g, &cube->FaceAt(f));
      const int32_t a = cube->FaceAt(f).items[static_cast<size_t>(e)];
      const int32_t b = cube->FaceAt(f).items[static_cast<size_t>((e + 1) % 4)];
      EXPECT_GE(g->FindItem(a), 0);
      EXPECT_GE(g->FindItem(b), 0);
    }
  }
}

TEST(SimplePolyTopology, EdgeFaceEntriesKeepTheirFacesInPlaceOrOnTheHeap) {
  auto entriesOf = [](const EdgeFaceEntries& e) {
    std::vector<int32_t> faces;
    for (const EdgeFaceEntry& x : e) faces.push_back(x.face * 10 + x.corner);
    return faces;
  };
  const EdgeFaceEntry four[] = {{0, 1, 2}, {0, 3, 4}, {kEdgeEntryAtEndA, 5, 6}, {0, 7, 8}};
  EdgeFaceEntries many;
  many.assign(four, four + 4);
  EdgeFaceEntries two;
  two.assign(four + 1, four + 3);
  const std::vector<int32_t> manyFaces{12, 34, 56, 78}, twoFaces{34, 56};
  EXPECT_EQ(entriesOf(many), manyFaces);
  EXPECT_EQ(two[1].flags, kEdgeEntryAtEndA);
  // Copies are deep; a moved-from set is empty; either kind replaces the other.
  EdgeFaceEntries copy(many);
  copy[0].face = 9;
  EXPECT_EQ(entriesOf(many), manyFaces);
  EdgeFaceEntries moved(std::move(copy));
  EXPECT_TRUE(copy.empty());
  EXPECT_EQ(entriesOf(moved), (std::vector<int32_t>{92, 34, 56, 78}));
  moved = two;
  EXPECT_EQ(entriesOf(moved), twoFaces);
  two = std::move(many);
  EXPECT_EQ(entriesOf(two), manyFaces);
  many = two;
  two = EdgeFaceEntries();
  EXPECT_TRUE(two.empty());
  EXPECT_EQ(entriesOf(many), manyFaces);
  std::vector<EdgeOccurrence> occurrences(3);
  for (EdgeOccurrence& o : occurrences) o.entries = many;
  occurrences.resize(40);
  EXPECT_EQ(entriesOf(occurrences[2].entries), manyFaces);
}

}  // namespace
}  // namespace corvia
