#include "core/PolygonRing.h"

#include <cmath>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/PolygonSplit.h"
#include "tests/support/TestSupport.h"

namespace corvia {
namespace test_PolygonRing {

using Pts = std::vector<std::pair<double, double>>;

PolygonVertex* MakeRing(const Pts& pts) {
  PolygonVertex* ring = nullptr;
  int i = 0;
  for (const auto& p : pts) NewPolygonVertex(p.first, p.second, nullptr, nullptr, ring)->index = i++;
  return ring;
}

double SignedArea(const Pts& pts) {
  double a = 0.0;
  for (size_t i = 0; i < pts.size(); ++i) {
    const auto& p = pts[i];
    const auto& q = pts[(i + 1) % pts.size()];
    a += p.first * q.second - p.second * q.first;
  }
  return a / 2.0;
}

bool PointInPolygon(double x, double y, const Pts& pts) {
  bool inside = false;
  for (size_t i = 0, j = pts.size() - 1; i < pts.size(); j = i++) {
    const auto& a = pts[i];
    const auto& b = pts[j];
    if ((a.second > y) != (b.second > y) &&
        x < (b.first - a.first) * (y - a.second) / (b.second - a.second) + a.first)
      inside = !inside;
  }
  return inside;
}

std::string Describe(const Pts& pts) {
  std::ostringstream s;
  s.precision(17);
  s << "{";
  for (const auto& p : pts) s << "{" << p.first << ", " << p.second << "}, ";
  s << "}";
  return s.str();
}

// Triangulates the ring and checks that the triangles cover it exactly once: the
// triangles keep the ring's winding, their areas add up to the ring's, and each lies
// inside it.
struct Cover {
  int indexCount = 0;
  double area = 0.0;
  bool allInside = true;
  bool allSameWinding = true;
};

Cover Triangulate(const Pts& pts, TriangulationContext* context = nullptr) {
  Cover cover;
  int* indices = nullptr;
  cover.indexCount = TriangulatePolygonRing(MakeRing(pts), &indices, context);
  const double sign = SignedArea(pts) >= 0.0 ? 1.0 : -1.0;
  for (int t = 0; t + 2 < cover.indexCount; t += 3) {
    const auto& a = pts[indices[t]];
    const auto& b = pts[indices[t + 1]];
    const auto& c = pts[indices[t + 2]];
    const double area2 = (b.first - a.first) * (c.second - a.second) - (b.second - a.second) * (c.first - a.first);
    if (area2 * sign < 0.0) cover.allSameWinding = false;
    cover.area += area2 / 2.0;
    if (std::fabs(area2) > 1e-9 &&
        !PointInPolygon((a.first + b.first + c.first) / 3, (a.second + b.second + c.second) / 3, pts))
      cover.allInside = false;
  }
  if (!context) delete[] indices;
  return cover;
}

void ExpectCovers(const Pts& pts, int expectedIndices = -1) {
  const int liveBefore = CountLivePolygonVertices();
  const Cover c = Triangulate(pts);
  const double area = SignedArea(pts);
  EXPECT_NEAR(c.area, area, 1e-9 * std::max(1.0, std::fabs(area))) << Describe(pts);
  EXPECT_TRUE(c.allInside) << Describe(pts);
  EXPECT_TRUE(c.allSameWinding) << Describe(pts);
  if (expectedIndices >= 0) {
    EXPECT_EQ(c.indexCount, expectedIndices) << Describe(pts);
  }
  EXPECT_EQ(CountLivePolygonVertices(), liveBefore) << "ring not consumed";
}

Pts RegularPolygon(int n, double r = 1.0, double phase = 0.0) {
  Pts pts;
  for (int i = 0; i < n; ++i) {
    const double a = phase + 2 * M_PI * i / n;
    pts.push_back({r * std::cos(a), r * std::sin(a)});
  }
  return pts;
}

TEST(PolygonRingTest, VerticesSnapAndRingsLink) {
  PolygonVertex* ring = nullptr;
  PolygonVertex* a = NewPolygonVertex(5e-8, 2e-7, nullptr, nullptr, ring);
  EXPECT_EQ(a->x, 0.0);
  EXPECT_EQ(a->y, 2e-7);
  EXPECT_EQ(a->next, a);
  EXPECT_EQ(a->index, -1);
  EXPECT_EQ(a->edgeLength, -1.0);
  NewPolygonVertex(1, 0, nullptr, nullptr, ring);
  PolygonVertex* c = NewPolygonVertex(1, 1, nullptr, nullptr, ring, true);
  EXPECT_EQ(c->flags, kPolygonVertexOwnerFlag);
  EXPECT_EQ(ring, a);
  EXPECT_EQ(a->prev, c);
  EXPECT_EQ(CountPolygonRing(ring), 3);
  FreePolygonRing(ring);
  EXPECT_TRUE(a->flags & kPolygonVertexFree);
}

TEST(PolygonRingTest, PoolAddressesStayStableWhileItGrows) {
  // Thousands of live vertices: every earlier node keeps its address and contents.
  PolygonVertex* ring = nullptr;
  std::vector<PolygonVertex*> nodes;
  for (int i = 0; i < 5000; ++i) nodes.push_back(NewPolygonVertex(i, -i, nullptr, nullptr, ring));
  for (int i = 0; i < 5000; ++i) {
    EXPECT_EQ(nodes[i]->x, i);
    EXPECT_EQ(nodes[i]->next, nodes[(i + 1) % 5000]);
  }
  FreePolygonRing(ring);
}

TEST(PolygonRingTest, ReverseTwiceRestoresOrderAndFlags) {
  PolygonVertex* ring = MakeRing({{0, 0}, {1, 0}, {1, 1}, {0, 1}});
  ring->next->flags |= kPolygonVertexEdgeTaken | kPolygonVertexMarked;
  std::vector<uint32_t> flags;
  PolygonVertex* v = ring;
  do {
    flags.push_back(v->flags);
    v = v->next;
  } while (v != ring);
  ReversePolygonRing(ring);
  // The taken bit stays with its edge (1 -> 2), now leaving vertex 2; the mark stays put.
  // Ring order is now 0, 3, 2, 1.
  EXPECT_TRUE(ring->prev->flags & kPolygonVertexMarked);
  EXPECT_FALSE(ring->prev->flags & kPolygonVertexEdgeTaken);
  EXPECT_TRUE(ring->next->next->flags & kPolygonVertexEdgeTaken);
  EXPECT_EQ(ring->next->index, 3);
  ReversePolygonRing(ring);
  v = ring;
  int i = 0;
  do {
    EXPECT_EQ(v->index, i);
    EXPECT_EQ(v->flags, flags[i]);
    ++i;
    v = v->next;
  } while (v != ring);
  FreePolygonRing(ring);
}

TEST(PolygonRingTest, DuplicatesConvexityAndSavedLinks) {
  PolygonVertex* ring = MakeRing({{0, 0}, {0, 5e-8}, {1, 0}, {1, 0}, {1, 1}, {0, 0}});
  ring = RemoveDuplicatePolygonVertices(ring);
  ASSERT_NE(ring, nullptr);
  EXPECT_EQ(CountPolygonRing(ring), 3);
  EXPECT_TRUE(IsPolygonRingConvex(ring));
  EXPECT_TRUE(IsPolygonRingConvex(nullptr));

  SavePolygonRingLinks(ring);
  PolygonVertex* loose = nullptr;
  PolygonVertex* extra = NewPolygonVertex(0.5, 0, nullptr, nullptr, loose);
  extra->prev = ring;
  extra->next = ring->next;
  ring->next->prev = extra;
  ring->next = extra;
  EXPECT_EQ(CountPolygonRing(ring), 4);
  RemoveInsertedPolygonVertices(ring);
  EXPECT_EQ(CountPolygonRing(ring), 3);
  FreePolygonRing(ring);

  EXPECT_EQ(RemoveDuplicatePolygonVertices(MakeRing({{1, 1}, {1, 1}, {1, 1}})), nullptr);
  PolygonVertex* concave = MakeRing({{0, 0}, {2, 0}, {1, 0.5}, {1, 2}});
  EXPECT_FALSE(IsPolygonRingConvex(concave));
  FreePolygonRing(concave);
}

TEST(PolygonRingTest, PlaneNormalFollowsTheRingsFacing) {
  // The first turning corner is reflex; the normal still faces the way the ring winds.
  const double pts[5][3] = {{0, 0, 0}, {2, 0, 0}, {1, 0.2, 0}, {2, 2, 0}, {0, 2, 0}};
  PolygonVertex* ring = nullptr;
  for (const auto& p : pts) NewPolygonVertex(p[0], p[1], nullptr, p, ring);
  double n[3];
  ASSERT_TRUE(GetPolygonRingPlaneNormal(n, ring));
  EXPECT_NEAR(n[2], 1.0, 1e-12);
  double c[3];
  GetPolygonRingCentroid(c, ring);
  EXPECT_NEAR(c[0], 1.0, 1e-12);
  FreePolygonRing(ring);

  PolygonVertex* line = nullptr;
  const double l[3][3] = {{0, 0, 0}, {1, 1, 1}, {3, 3, 3}};
  for (const auto& p : l) NewPolygonVertex(0, 0, nullptr, p, line);
  EXPECT_FALSE(GetPolygonRingPlaneNormal(n, line));
  EXPECT_EQ(n[0], 0.0);
  FreePolygonRing(line);
}

TEST(PolygonRingTest, SmallRingsAndConvexRings) {
  int* idx = nullptr;
  EXPECT_EQ(TriangulatePolygonRing(MakeRing({{0, 0}, {1, 1}}), &idx, nullptr), 0);
  EXPECT_EQ(idx, nullptr);
  ExpectCovers({{0, 0}, {1, 0}, {1, 1}, {0, 1}}, 6);
  for (int n = 3; n <= 40; ++n) ExpectCovers(RegularPolygon(n), 3 * (n - 2));
}

TEST(PolygonRingTest, ConcaveShapes) {
  ExpectCovers({{0, 0}, {4, 0}, {4, 4}, {2, 1}, {0, 4}}, 9);  // arrow
  // Comb: ten teeth.
  Pts comb = {{0, 0}, {20, 0}, {20, 1}};
  for (int i = 9; i >= 0; --i) {
    comb.push_back({2.0 * i + 2, 10});
    comb.push_back({2.0 * i + 1, 1});
  }
  comb.pop_back();
  comb.push_back({0, 10});
  ExpectCovers(comb, 3 * (static_cast<int>(comb.size()) - 2));
  // Spiral.
  Pts outer, inner;
  for (int i = 0; i <= 60; ++i) {
    const double a = i * 0.2;
    outer.push_back({(1 + a) * std::cos(a), (1 + a) * std::sin(a)});
    inner.push_back({(0.6 + a) * std::cos(a), (0.6 + a) * std::sin(a)});
  }
  Pts spiral = outer;
  for (int i = 60; i >= 0; --i) spiral.push_back(inner[i]);
  if (SignedArea(spiral) < 0) std::reverse(spiral.begin(), spiral.end());
  ExpectCovers(spiral, 3 * (static_cast<int>(spiral.size()) - 2));
  // Star.
  Pts star;
  for (int i = 0; i < 16; ++i) {
    const double r = i % 2 ? 0.3 : 1.0;
    star.push_back({r * std::cos(M_PI * i / 8), r * std::sin(M_PI * i / 8)});
  }
  ExpectCovers(star, 3 * 14);
}

TEST(PolygonRingTest, ClockwiseRingKeepsItsWinding) {
  Pts cw = {{0, 0}, {0, 1}, {1, 1}, {1, 0}};
  ExpectCovers(cw, 6);
  Pts cwArrow = {{0, 4}, {2, 1}, {4, 4}, {4, 0}, {0, 0}};
  ExpectCovers(cwArrow, 9);
}

TEST(PolygonRingTest, NearlyDegenerateRings) {
  // Collinear runs along the sides.
  ExpectCovers({{0, 0}, {1, 0}, {2, 0}, {3, 0}, {3, 1}, {3, 2}, {2, 2}, {1, 2}, {0, 2}, {0, 1}});
  // Repeated points.
  ExpectCovers({{0, 0}, {1, 0}, {1, 0}, {1, 1}, {1, 1}, {0, 1}, {0, 0}});
  // A spike that turns straight back loses its tip without a triangle.
  ExpectCovers({{0, 0}, {2, 0}, {2, 1}, {3, 1}, {2, 1}, {2, 2}, {0, 2}});
  // Slivers at the tolerance.
  ExpectCovers({{0, 0}, {1, 0}, {2, 1e-7}, {3, 0}, {3, 1}, {0, 1}});
  ExpectCovers({{0, 5}, {1, 5 + 1e-8}, {2, 5}, {2, 5 + 1e-7}, {0, 5 + 1e-7}});
  // Coordinates within 1e-7 of 0 are stored as 0: this ring is a flat line.
  EXPECT_EQ(Triangulate({{0, 0}, {1, 1e-8}, {2, 0}, {2, 1e-7}, {0, 1e-7}}).indexCount, 0);
  ExpectCovers({{0, 0}, {1, 0}, {1, 1}, {0.5, 1 - 1e-9}, {0, 1}});
  // Entirely collinear: nothing to fill.
  ExpectCovers({{0, 0}, {1, 0}, {2, 0}, {1, 0}});
  // A vertex of the ring on the diagonal of an ear.
  ExpectCovers({{0, 0}, {2, 0}, {2, 2}, {1, 1}, {0, 2}, {-1, 1}});
}

TEST(PolygonRingTest, WeaklySimpleRingWithABridgeCovers) {
  // A square with a square hole, bridged: positions stand twice.
  Pts bridged = {{0, 0}, {4, 0}, {4, 4}, {2, 4}, {2, 3}, {3, 3}, {3, 1}, {1, 1}, {1, 3}, {2, 3}, {2, 4}, {0, 4}};
  const Cover c = Triangulate(bridged);
  EXPECT_NEAR(c.area, 12.0, 1e-12);
  EXPECT_EQ(c.indexCount, 3 * 10);
  EXPECT_TRUE(c.allSameWinding);
}

TEST(PolygonRingTest, InsufficientSpaceIsReported) {
  testing::ExpectInternalErrors(1);
  int indices[3];
  TriangulationContext context;
  const int liveBefore = CountLivePolygonVertices();
  EXPECT_EQ(TriangulatePolygon(MakeRing({{0, 0}, {1, 0}, {1, 1}, {0, 1}}), 3, indices, &context), 3);
  EXPECT_TRUE(context.failed);
  EXPECT_EQ(CountLivePolygonVertices(), liveBefore);  // freed on failure too
  EXPECT_FALSE(testing::Platform().messages.Boxes().empty());
}

TEST(PolygonRingTest, IndexPoolAndScratch) {
  IntBlockPool pool;
  pool.minimumSize = 16;
  int* a = AllocIndexBlock(&pool, 10);
  int* b = AllocIndexBlock(&pool, 6);
  EXPECT_EQ(b, a + 10);
  int* c = AllocIndexBlock(&pool, 8);
  EXPECT_NE(c, nullptr);
  EXPECT_EQ(pool.current->capacity, 56);  // 2 x (8 + 20 passed over)
  a[0] = 1;
  c[7] = 2;
  FreeIntBlockPool(&pool);
  TriangulationContext context;
  EXPECT_NE(GetTriangleScratch(&context, 100), nullptr);
  EXPECT_EQ(context.scratchCapacity, 170);
}

TEST(PolygonRingTest, ListsCountCopyAndFree) {
  PolygonList *head = nullptr, *tail = nullptr;
  AppendToPolygonList(MakeRing(RegularPolygon(5)), head, tail);
  AppendToPolygonList(MakeRing(RegularPolygon(3, 0.2)), head, tail);
  EXPECT_EQ(CountPolygonListRings(head), 2);
  EXPECT_EQ(CountPolygonListVertices(head), 8);
  EXPECT_FALSE(IsPolygonListConvex(head));
  PolygonList* copy = CopyPolygonList(head);
  EXPECT_EQ(CountPolygonListVertices(copy), 8);
  ReversePolygonList(copy);
  EXPECT_LT(GetPolygonRingArea2D(copy->ring), 0.0);
  const int nodes = CountLivePolygonListNodes();
  FreePolygonList(copy);
  EXPECT_EQ(CountLivePolygonListNodes(), nodes - 2);
  FreePolygonList(head);
}

// Releasing the pools while a ring and a list live keeps both whole (the rings of
// drawn facets outlive the operations that release the pools); once nothing lives the
// pools empty.
TEST(PolygonRingTest, ReleasingThePoolsKeepsLiveRings) {
  const int verticesBefore = CountLivePolygonVertices();
  const int nodesBefore = CountLivePolygonListNodes();
  PolygonList *head = nullptr, *tail = nullptr;
  PolygonVertex* ring = MakeRing(RegularPolygon(7, 2.0));
  AppendToPolygonList(MakeRing(RegularPolygon(4)), head, tail);
  const double area = GetPolygonRingArea2D(ring);
  ReleasePolygonVertexPool();
  ReleasePolygonListPool();
  EXPECT_EQ(CountPolygonRing(ring), 7);
  EXPECT_DOUBLE_EQ(GetPolygonRingArea2D(ring), area);
  EXPECT_EQ(CountPolygonListVertices(head), 4);
  // New nodes come from the kept pool, apart from the live ones.
  PolygonVertex* other = MakeRing(RegularPolygon(5));
  EXPECT_EQ(CountPolygonRing(ring), 7);
  EXPECT_EQ(CountPolygonRing(other), 5);
  FreePolygonRing(other);
  FreePolygonRing(ring);
  FreePolygonList(head);
  EXPECT_EQ(CountLivePolygonListNodes(), nodesBefore);
  EXPECT_EQ(CountLivePolygonVertices(), verticesBefore);
  EXPECT_TRUE(corvia::testing::Platform().messages.Boxes().empty());
}

// Star-shaped polygons with random radii round a centre, 3 to 60 corners.
TEST(PolygonRingTest, RandomStarShapedPolygonsCoverExactly) {
  std::mt19937 rng(12345);
  std::uniform_int_distribution<int> count(3, 60);
  std::uniform_real_distribution<double> radius(0.05, 1.0);
  std::uniform_real_distribution<double> jitter(0.0, 0.9);
  TriangulationContext context;
  int failures = 0;
  for (int trial = 0; trial < 4000 && failures < 5; ++trial) {
    const int n = count(rng);
    Pts pts;
    for (int i = 0; i < n; ++i) {
      const double a = 2 * M_PI * (i + jitter(rng)) / n;
      const double r = radius(rng);
      pts.push_back({r * std::cos(a) + 3.0, r * std::sin(a) - 2.0});
    }
    if (trial % 2) std::reverse(pts.begin(), pts.end());
    const Cover c = Triangulate(pts, trial % 3 ? &context : nullptr);
    const double area = SignedArea(pts);
    const bool ok = std::fabs(c.area - area) <= 1e-9 && c.allInside && c.allSameWinding && c.indexCount == 3 * (n - 2);
    if (!ok) {
      ++failures;
      ADD_FAILURE() << "trial " << trial << " area " << c.area << " vs " << area << " indices " << c.indexCount
                    << "\n" << Describe(pts);
    }
  }
}

// Random orthogonal staircase-like polygons: many collinear corners and equal coordinates.
TEST(PolygonRingTest, RandomGridPolygonsCoverExactly) {
  std::mt19937 rng(777);
  std::uniform_int_distribution<int> steps(2, 15);
  std::uniform_int_distribution<int> height(1, 6);
  for (int trial = 0; trial < 1000; ++trial) {
    const int n = steps(rng);
    Pts pts = {{0, 0}, {static_cast<double>(n), 0}};
    for (int i = n; i > 0; --i) {
      const double h = height(rng);
      pts.push_back({static_cast<double>(i), h});
      pts.push_back({i - 0.5, h});  // a straight corner
      pts.push_back({i - 1.0, h});
    }
    const Cover c = Triangulate(pts);
    const double area = SignedArea(pts);
    ASSERT_NEAR(c.area, area, 1e-9) << Describe(pts);
    ASSERT_TRUE(c.allInside) << Describe(pts);
  }
}

}  // namespace test_PolygonRing
}  // namespace corvia
