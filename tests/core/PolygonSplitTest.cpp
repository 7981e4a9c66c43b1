#include "core/PolygonSplit.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/TestSupport.h"

namespace corvia {
namespace test_PolygonSplit {

using SplitPts = std::vector<std::pair<double, double>>;

PolygonVertex* MakeSplitRing(const SplitPts& pts) {
  PolygonVertex* ring = nullptr;
  int i = 0;
  for (const auto& p : pts) NewPolygonVertex(p.first, p.second, nullptr, nullptr, ring)->index = i++;
  return ring;
}

SplitPts RingPoints(const PolygonVertex* ring) {
  SplitPts pts;
  const PolygonVertex* v = ring;
  do {
    pts.push_back({v->x, v->y});
    v = v->next;
  } while (v != ring);
  return pts;
}

// Area of the triangles that index the point array (two doubles a point).
double TriangleArea(const double* points, const int* indices, int count) {
  double area = 0.0;
  for (int t = 0; t + 2 < count; t += 3) {
    const double* a = points + 2 * indices[t];
    const double* b = points + 2 * indices[t + 1];
    const double* c = points + 2 * indices[t + 2];
    area += ((b[0] - a[0]) * (c[1] - a[1]) - (b[1] - a[1]) * (c[0] - a[0])) / 2.0;
  }
  return area;
}

struct SplitResult {
  int rings = 0;
  std::vector<int> sizes;
  std::vector<double> areas;
  double triangleArea = 0.0;
  int indexCount = 0;
  int inverted = 0;  // triangles turned against the region's winding
};

// Splits, checks the input ring came back unchanged, and triangulates the pieces.
SplitResult SplitAndTriangulate(const SplitPts& pts) {
  SplitResult r;
  PolygonVertex* ring = MakeSplitRing(pts);
  const SplitPts before = RingPoints(ring);
  double* points = nullptr;
  int count = 0;
  PolygonList* list = SplitPolygonRing(ring, &points, &count);
  EXPECT_EQ(RingPoints(ring), before) << "input ring changed";
  FreePolygonRing(ring);
  if (!list) return r;
  for (PolygonList* node = list; node; node = node->next) {
    ++r.rings;
    r.sizes.push_back(CountPolygonRing(node->ring));
    r.areas.push_back(GetPolygonRingArea2D(node->ring) / 2.0);
    const PolygonVertex* v = node->ring;
    do {
      EXPECT_GE(v->index, 0);
      EXPECT_LT(v->index, count);
      if (v->index >= 0 && v->index < count) {
        EXPECT_EQ(points[2 * v->index], v->x);
        EXPECT_EQ(points[2 * v->index + 1], v->y);
      }
      v = v->next;
    } while (v != node->ring);
  }
  int* indices = nullptr;
  r.indexCount = TriangulatePolygonListAlloc(list, &indices, nullptr);
  r.triangleArea = TriangleArea(points, indices, r.indexCount);
  for (int t = 0; t + 2 < r.indexCount; t += 3)
    if (TriangleArea(points, indices + t, 3) * r.triangleArea < -1e-12) ++r.inverted;
  delete[] indices;
  delete[] points;
  return r;
}

SplitPts Pentagram(double r = 1.0) {
  SplitPts pts;
  for (int i = 0; i < 5; ++i) {
    const double a = M_PI / 2 + 2 * M_PI * (2 * i) / 5;
    pts.push_back({r * std::cos(a), r * std::sin(a)});
  }
  return pts;
}

// Area of a regular pentagram's outline of outer radius r and of its inner pentagon.
double PentagramOutlineArea(double r) {
  const double inner = r * std::cos(2 * M_PI / 5) / std::cos(M_PI / 5);
  return 5 * r * inner * std::sin(M_PI / 5);
}

double PentagonArea(double r) { return 2.5 * r * r * std::sin(2 * M_PI / 5); }

TEST(PolygonSplitTest, SimpleRingComesBackAsOneRing) {
  const SplitResult r = SplitAndTriangulate({{0, 0}, {2, 0}, {2, 1}, {1, 0.5}, {0, 1}});
  EXPECT_EQ(r.rings, 1);
  ASSERT_EQ(r.sizes.size(), 1u);
  EXPECT_EQ(r.sizes[0], 5);
  EXPECT_NEAR(r.triangleArea, 1.5, 1e-12);
  // A clockwise ring comes back counter-clockwise: the outline is always traced anticlockwise.
  const SplitResult cw = SplitAndTriangulate({{0, 0}, {0, 1}, {1, 1}, {1, 0}});
  EXPECT_EQ(cw.rings, 1);
  EXPECT_NEAR(cw.triangleArea, 1.0, 1e-12);
}

TEST(PolygonSplitTest, PentagramFillsItsWholeOutline) {
  const double r = 1.0;
  const SplitResult s = SplitAndTriangulate(Pentagram(r));
  ASSERT_EQ(s.rings, 1);
  EXPECT_EQ(s.sizes[0], 10);  // five tips and five crossings
  EXPECT_NEAR(s.areas[0], PentagramOutlineArea(r), 1e-9);
  EXPECT_NEAR(s.triangleArea, PentagramOutlineArea(r), 1e-9);
  EXPECT_EQ(s.indexCount, 3 * 8);
}

int ColorModeOne() { return 1; }

TEST(PolygonSplitTest, PentagramInColorModeOneLeavesTheCentreOpen) {
  // The centre, wound twice, is traced as a clockwise ring: a hole in the star. Each
  // side of the centre runs between two crossings the split put on one edge, and the
  // walk turns at the second as at any other crossing.
  SetPolygonColorModeQuery(ColorModeOne);
  const double r = 2.0;
  const SplitResult s = SplitAndTriangulate(Pentagram(r));
  SetPolygonColorModeQuery(nullptr);
  ASSERT_EQ(s.rings, 2);
  EXPECT_EQ(s.sizes[1], 5);
  const double innerRadius = r * std::cos(2 * M_PI / 5) / std::cos(M_PI / 5);
  EXPECT_NEAR(-s.areas[1], PentagonArea(innerRadius), 1e-9);
  EXPECT_NEAR(s.triangleArea, PentagramOutlineArea(r) - PentagonArea(innerRadius), 1e-9);
}

TEST(PolygonSplitTest, HeptagramsFillTheirOutline) {
  for (int step = 2; step <= 3; ++step) {
    SplitPts pts;
    for (int i = 0; i < 7; ++i) {
      const double a = 2 * M_PI * (step * i) / 7;
      pts.push_back({3 * std::cos(a) + 0.5, 3 * std::sin(a) - 0.25});
    }
    const SplitResult s = SplitAndTriangulate(pts);
    ASSERT_GE(s.rings, 1);
    EXPECT_EQ(s.sizes[0], 14);
    EXPECT_NEAR(s.triangleArea, s.areas[0], 1e-9);
  }
}

TEST(PolygonSplitTest, BowTieSplitsIntoTwoTriangles) {
  const SplitResult s = SplitAndTriangulate({{0, 0}, {2, 2}, {2, 0}, {0, 2}});
  EXPECT_NEAR(s.triangleArea, 2.0, 1e-12);
  EXPECT_GE(s.rings, 1);
}

TEST(PolygonSplitTest, TouchingRingAndCollinearOverlap) {
  // Two squares touching at a corner, drawn as one ring through the touching point.
  const SplitResult s = SplitAndTriangulate({{0, 0}, {1, 0}, {1, 1}, {2, 1}, {2, 2}, {1, 2}, {1, 1}, {0, 1}});
  EXPECT_NEAR(s.triangleArea, 2.0, 1e-12);
  // A T where one corner lies on another edge.
  const SplitResult t = SplitAndTriangulate({{0, 0}, {4, 0}, {4, 2}, {2, 0}, {0, 2}});
  EXPECT_GT(t.triangleArea, 0.0);
  EXPECT_NEAR(t.triangleArea, 4.0, 1e-12);
}

TEST(PolygonSplitTest, DegenerateInputs) {
  EXPECT_EQ(SplitPolygonRing(nullptr, nullptr, nullptr), nullptr);
  PolygonVertex* two = MakeSplitRing({{0, 0}, {1, 0}});
  double* points = new double[4];
  int count = 7;
  EXPECT_EQ(SplitPolygonRing(two, &points, &count), nullptr);
  EXPECT_EQ(points, nullptr);  // the old array was freed
  EXPECT_EQ(count, 0);
  FreePolygonRing(two);
  const SplitResult line = SplitAndTriangulate({{0, 0}, {1, 0}, {2, 0}});
  EXPECT_EQ(line.triangleArea, 0.0);
  const SplitResult dup = SplitAndTriangulate({{0, 0}, {1, 0}, {1, 0}, {1, 1}, {0, 1}, {0, 1}});
  EXPECT_NEAR(dup.triangleArea, 1.0, 1e-12);
}

PolygonList* MakeList(const std::vector<SplitPts>& rings) {
  PolygonList *head = nullptr, *tail = nullptr;
  int base = 0;
  for (const auto& pts : rings) {
    PolygonVertex* ring = MakeSplitRing(pts);
    PolygonVertex* v = ring;
    do {
      v->index += base;
      v = v->next;
    } while (v != ring);
    base += static_cast<int>(pts.size());
    AppendToPolygonList(ring, head, tail);
  }
  return head;
}

double MergedArea(const std::vector<SplitPts>& rings, int* ringSize = nullptr, int* indexCount = nullptr) {
  std::vector<double> points;
  for (const auto& pts : rings)
    for (const auto& p : pts) {
      points.push_back(p.first);
      points.push_back(p.second);
    }
  PolygonList* list = MergePolygonListRings(MakeList(rings));
  EXPECT_EQ(CountPolygonListRings(list), 1);
  if (ringSize) *ringSize = CountPolygonRing(list->ring);
  int* indices = nullptr;
  const int n = TriangulatePolygonListAlloc(list, &indices, nullptr);
  if (indexCount) *indexCount = n;
  const double area = TriangleArea(points.data(), indices, n);
  delete[] indices;
  return area;
}

const SplitPts kSquare = {{0, 0}, {4, 0}, {4, 4}, {0, 4}};

TEST(PolygonSplitTest, SquareWithSquareHole) {
  int size = 0, indices = 0;
  const double area = MergedArea({kSquare, {{1, 1}, {1, 3}, {3, 3}, {3, 1}}}, &size, &indices);
  EXPECT_EQ(size, 10);
  EXPECT_EQ(indices, 24);
  EXPECT_NEAR(area, 12.0, 1e-12);
  // A hole given anticlockwise is bridged all the same.
  EXPECT_NEAR(MergedArea({kSquare, {{1, 1}, {3, 1}, {3, 3}, {1, 3}}}), 12.0, 1e-12);
  // A clockwise outline with a hole keeps its winding.
  EXPECT_NEAR(MergedArea({{{0, 0}, {0, 4}, {4, 4}, {4, 0}}, {{1, 1}, {3, 1}, {3, 3}, {1, 3}}}), -12.0, 1e-12);
}

TEST(PolygonSplitTest, SeveralHoles) {
  std::vector<SplitPts> rings = {{{0, 0}, {10, 0}, {10, 10}, {0, 10}}};
  double holes = 0.0;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      const double x = 1 + 3 * i + 0.1 * j, y = 1 + 3 * j;
      rings.push_back({{x, y}, {x, y + 2}, {x + 2, y + 2}, {x + 2, y}});  // clockwise
      holes += 4;
    }
  // A triangular hole under another hole's vertical, and a hole directly under an outer corner.
  rings.push_back({{5, 0.2}, {4.8, 0.6}, {5.2, 0.6}});
  holes += 0.08;
  EXPECT_NEAR(MergedArea(rings), 100.0 - holes, 1e-9);
}

TEST(PolygonSplitTest, HoleSharingAVertexIsSplicedThere) {
  int size = 0;
  const double area = MergedArea({kSquare, {{0, 0}, {1, 2}, {2, 1}}}, &size);
  EXPECT_EQ(size, 7);  // no bridge copies
  EXPECT_NEAR(area, 16.0 - 1.5, 1e-12);
}

TEST(PolygonSplitTest, HoleOutsideIsDropped) {
  PolygonList* list = MergePolygonListRings(MakeList({kSquare, {{1, 6}, {1, 7}, {2, 7}}}));
  EXPECT_EQ(CountPolygonListRings(list), 1);
  EXPECT_EQ(CountPolygonRing(list->ring), 4);
  FreePolygonList(list);
}

TEST(PolygonSplitTest, HoleUnderAVertex) {
  // The outline has a vertex straight above the hole's top.
  const SplitPts outline = {{0, 0}, {4, 0}, {4, 4}, {2, 5}, {0, 4}};
  EXPECT_NEAR(MergedArea({outline, {{1, 1}, {2, 3}, {3, 1}}}), 18.0 - 2.0, 1e-12);
}

TEST(PolygonSplitTest, RandomStarsWithRandomHoles) {
  std::mt19937 rng(99);
  std::uniform_real_distribution<double> u(0.0, 1.0);
  for (int trial = 0; trial < 500; ++trial) {
    const int n = 5 + static_cast<int>(u(rng) * 40);
    SplitPts outline;
    for (int i = 0; i < n; ++i) {
      const double a = 2 * M_PI * i / n;
      const double r = 5 + 5 * u(rng);
      outline.push_back({r * std::cos(a), r * std::sin(a)});
    }
    // Holes in a ring well inside the inner radius, none touching another.
    std::vector<SplitPts> rings = {outline};
    double holes = 0.0;
    const int holeCount = 1 + static_cast<int>(u(rng) * 4);
    for (int h = 0; h < holeCount; ++h) {
      const double a = 2 * M_PI * h / holeCount + 0.3 * u(rng);
      const double cx = 2.5 * std::cos(a), cy = 2.5 * std::sin(a);
      const double s = 0.3 + 0.4 * u(rng);
      SplitPts hole = {{cx - s, cy - s}, {cx - s, cy + s}, {cx + s, cy + s}, {cx + s, cy - s}};
      holes += 4 * s * s;
      rings.push_back(hole);
    }
    double outer = 0.0;
    for (int i = 0; i < n; ++i)
      outer += outline[i].first * outline[(i + 1) % n].second - outline[i].second * outline[(i + 1) % n].first;
    outer /= 2;
    ASSERT_NEAR(MergedArea(rings), outer - holes, 1e-9) << "trial " << trial;
  }
}

// Every vertex of the ring in the chain of its crossing, as the split puts them.
void ChainAtCrossings(PolygonVertex* ring, PolygonCrossing*& head, PolygonCrossing*& tail) {
  PolygonVertex* v = ring;
  do {
    double p[2] = {v->x, v->y};
    PolygonCrossing* record = FindOrAddPolygonCrossing(p, head, tail);
    v->crossing = record;
    v->nextAtCrossing = record->vertices;
    record->vertices = v;
    v = v->next;
  } while (v != ring);
}

TEST(PolygonSplitTest, NextEdgeAtCrossingTakesTheSharpestTurn) {
  // A plus-shaped crossing: coming from the west, the sharpest turn to the right goes south.
  PolygonCrossing *head = nullptr, *tail = nullptr;
  double o[2] = {0, 0};
  PolygonCrossing* centre = FindOrAddPolygonCrossing(o, head, tail);
  double near[2] = {5e-8, -5e-8};
  EXPECT_EQ(FindOrAddPolygonCrossing(near, head, tail), centre);
  EXPECT_EQ(near[0], 0.0);
  PolygonVertex* ring = MakeSplitRing({{0, 0}, {1, 0}, {0, 0}, {0, -1}, {0, 0}, {-1, 0}, {0, 0}, {0, 1}});
  ChainAtCrossings(ring, head, tail);
  const double west[2] = {-1, 0};
  double chosen[2];
  PolygonVertex* far = NextEdgeAtCrossing(centre, west, chosen);
  ASSERT_NE(far, nullptr);
  EXPECT_EQ(chosen[0], 0.0);
  EXPECT_EQ(chosen[1], -1.0);
  FreePolygonCrossings(head);
  FreePolygonRing(ring);
}

// A walk round a square with a crossing put on its first side: the ring comes back
// whole, every corner numbered, and only at the inserted vertex does the point the
// walk goes on to lower the area bound.
TEST(PolygonSplitTest, TracedWalkLowersTheAreaBoundAtInsertedVertices) {
  PolygonCrossing *head = nullptr, *tail = nullptr;
  PolygonVertex* ring = MakeSplitRing({{0, 0}, {1, 0}, {2, 0}, {2, 2}, {0, 2}});
  PolygonVertex* inserted = ring->next;
  inserted->flags |= kPolygonVertexAtCrossing;
  ChainAtCrossings(ring, head, tail);
  int counter = 0;
  double areaBound = 10.0;
  // From the corner at the origin along the first side: at the inserted vertex the
  // walk goes on to (2, 0), 4 from the origin squared, less the offset 1.
  PolygonVertex* traced = TracePolygonCrossingRing(inserted, ring->crossing, counter, areaBound, 1.0);
  ASSERT_NE(traced, nullptr);
  EXPECT_EQ(CountPolygonRing(traced), 5);
  EXPECT_EQ(counter, 5);
  EXPECT_DOUBLE_EQ(areaBound, 3.0);
  // Without an inserted vertex on the way the bound stays.
  inserted->flags &= ~kPolygonVertexAtCrossing;
  for (PolygonCrossing* c = head; c; c = c->next) c->number = -1;
  for (PolygonVertex* v = ring->next; v != ring; v = v->next) v->flags &= ~kPolygonVertexEdgeTaken;
  ring->flags &= ~kPolygonVertexEdgeTaken;
  double untouched = 10.0;
  counter = 0;
  PolygonVertex* again = TracePolygonCrossingRing(inserted, ring->crossing, counter, untouched, 1.0);
  ASSERT_NE(again, nullptr);
  EXPECT_DOUBLE_EQ(untouched, 10.0);
  FreePolygonRing(traced);
  FreePolygonRing(again);
  FreePolygonCrossings(head);
  FreePolygonRing(ring);
}

// A facet of a stellation's faceting: a twelve-cornered star with four corners on one
// line. Its split leaves six holes that touch the outline and one another at corners;
// the triangles still cover the region exactly, none turned inside out, also ten
// times the size, walked the other way round or from another corner.
TEST(PolygonSplitTest, StarWithHolesTouchingAtCornersCovers) {
  const SplitPts star = {{0.70710678118654735, -0.40824829046386291},    {-0.57206140281768403, 0.58259112426549176},
                         {-0.43701602444882087, 0.05956262286060518},    {-0.31622776601683789, -0.40824829046386291},
                         {-1.1102230246251565e-16, 0.81649658092772592}, {-0.21850801222441052, -0.78671526949742343},
                         {0.16692526771109442, -0.40824829046386285},    {0.51166727360169251, -0.069737133520651529},
                         {-0.70710678118654724, -0.40824829046386291},   {0.79056941504209466, 0.20412414523193173},
                         {0.27009075673772631, 0.34868566760325753},     {-0.19543950758485476, 0.47798542398451443}};
  for (int variant = 0; variant < 12; ++variant) {
    SCOPED_TRACE("variant " + std::to_string(variant));
    const double scale = variant % 2 ? 10.0 : 1.0;
    SplitPts pts;
    for (size_t i = 0; i < star.size(); ++i) {
      const auto& p = star[(i + variant / 4 * 5) % star.size()];
      pts.push_back({scale * p.first + 3.0, scale * p.second - 2.0});
    }
    if (variant / 2 % 2) std::reverse(pts.begin(), pts.end());
    const SplitResult r = SplitAndTriangulate(pts);
    double region = 0.0;
    for (double a : r.areas) region += a;
    EXPECT_EQ(r.rings, 7);
    EXPECT_NEAR(std::fabs(region), 0.6116676232674566 * scale * scale, 1e-9 * scale * scale);
    EXPECT_NEAR(r.triangleArea, region, 1e-9 * scale * scale);
    EXPECT_EQ(r.inverted, 0);
  }
}

}  // namespace test_PolygonSplit
}  // namespace corvia
