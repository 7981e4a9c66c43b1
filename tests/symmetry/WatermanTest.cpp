#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <utility>
#include <memory>
#include <numeric>
#include <set>
#include <vector>

#include "core/VectorMath.h"
#include "model/CreatePoly.h"
#include "model/Poly.h"
#include "symmetry/SymGroup.h"
#include "symmetry/SimplePoly.h"
#include "symmetry/Waterman.h"
#include "tests/support/SolidCorners.h"
#include "tests/support/TestSupport.h"
#include "tests/symmetry/SimplePolyTestModels.h"

namespace test_Waterman {

using IPoint = std::array<int64_t, 3>;
using Plane = std::array<int64_t, 4>;  // n . p <= d for every point
using corvia::testmodels::ModelOf;

// Every lattice point of the type within the sphere, the centre left out.
std::vector<IPoint> LatticePoints(int type, int root) {
  const int r2 = type == 2 ? root : 2 * root;
  std::vector<IPoint> points;
  for (int x = -5; x <= 5; ++x) {
    for (int y = -5; y <= 5; ++y) {
      for (int z = -5; z <= 5; ++z) {
        if (x == 0 && y == 0 && z == 0) continue;
        if (x * x + y * y + z * z > r2) continue;
        if (type != 2 && (((x + y + z) % 2) + 2) % 2 != type) continue;
        points.push_back({x, y, z});
      }
    }
  }
  return points;
}

IPoint Sub(const IPoint& a, const IPoint& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
IPoint CrossI(const IPoint& a, const IPoint& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
int64_t DotI(const IPoint& a, const IPoint& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

// The facet planes of the hull, found by trying the plane through every triple of
// points, in exact integer arithmetic.
std::set<Plane> Facets(const std::vector<IPoint>& pts) {
  std::set<Plane> planes;
  const size_t n = pts.size();
  for (size_t i = 0; i < n; ++i) {
    for (size_t j = i + 1; j < n; ++j) {
      for (size_t k = j + 1; k < n; ++k) {
        IPoint normal = CrossI(Sub(pts[j], pts[i]), Sub(pts[k], pts[i]));
        if (normal[0] == 0 && normal[1] == 0 && normal[2] == 0) continue;
        const int64_t d = DotI(normal, pts[i]);
        bool above = false, below = false;
        for (size_t q = 0; q < n && !(above && below); ++q) {
          const int64_t s = DotI(normal, pts[q]) - d;
          above = above || s > 0;
          below = below || s < 0;
        }
        if (above && below) continue;
        int64_t sign = above ? -1 : 1;
        int64_t g = std::gcd(std::gcd(std::llabs(normal[0]), std::llabs(normal[1])), std::llabs(normal[2]));
        planes.insert({sign * normal[0] / g, sign * normal[1] / g, sign * normal[2] / g, sign * d / g});
      }
    }
  }
  return planes;
}

// A point is a corner when the facets through it have normals spanning space.
std::set<IPoint> Corners(const std::vector<IPoint>& pts, const std::set<Plane>& planes) {
  std::set<IPoint> corners;
  for (const IPoint& p : pts) {
    std::vector<IPoint> normals;
    for (const Plane& pl : planes) {
      if (pl[0] * p[0] + pl[1] * p[1] + pl[2] * p[2] == pl[3]) normals.push_back({pl[0], pl[1], pl[2]});
    }
    bool spans = false;
    for (size_t a = 0; a < normals.size() && !spans; ++a) {
      for (size_t b = a + 1; b < normals.size() && !spans; ++b) {
        for (size_t c = b + 1; c < normals.size() && !spans; ++c) {
          spans = DotI(normals[a], CrossI(normals[b], normals[c])) != 0;
        }
      }
    }
    if (spans) corners.insert(p);
  }
  return corners;
}

int LiveFaces(const corvia::SimplePoly& poly) {
  int n = 0;
  for (int i = 0; i < poly.NumFaces(); ++i) n += poly.FaceAt(i).IsTemp() ? 0 : 1;
  return n;
}

std::set<IPoint> LiveCornerPositions(const corvia::SimplePoly& poly) {
  std::set<IPoint> out;
  for (int fi = 0; fi < poly.NumFaces(); ++fi) {
    const corvia::SimpleFace& f = poly.FaceAt(fi);
    if (f.IsTemp()) continue;
    for (int i = 0; i < f.Count(); ++i) {
      const double* p = f.VertAt(i).pos;
      out.insert({std::llround(p[0]), std::llround(p[1]), std::llround(p[2])});
    }
  }
  return out;
}

struct Expected {
  std::vector<IPoint> points;
  std::set<Plane> planes;
  std::set<IPoint> corners;
};

// The brute-force answer for each lattice type and root, worked out once.
const Expected& ExpectedHull(int type, int root) {
  static std::map<std::pair<int, int>, Expected> cache;
  auto it = cache.find({type, root});
  if (it != cache.end()) return it->second;
  Expected e;
  e.points = LatticePoints(type, root);
  e.planes = Facets(e.points);
  e.corners = Corners(e.points, e.planes);
  return cache.emplace(std::make_pair(type, root), std::move(e)).first->second;
}

TEST(WatermanTest, EveryRootAndLatticeMatchesABruteForceHull) {
  for (int type = 0; type <= 2; ++type) {
    for (int root = 1; root <= 10; ++root) {
      SCOPED_TRACE(::testing::Message() << "type " << type << " root " << root);
      std::unique_ptr<corvia::SimplePoly> hull = corvia::CreateWatermanPoly(type, root);
      ASSERT_NE(hull, nullptr);
      const Expected& e = ExpectedHull(type, root);
      EXPECT_EQ(LiveFaces(*hull), static_cast<int>(e.planes.size()));
      EXPECT_EQ(LiveCornerPositions(*hull), e.corners);
      int liveVerts = 0;
      for (int i = 0; i < hull->NumVerts(); ++i) liveVerts += hull->VertAt(i).IsTemp() ? 0 : 1;
      EXPECT_EQ(liveVerts, static_cast<int>(e.corners.size()));
      // Every face lies in one facet plane.
      for (int fi = 0; fi < hull->NumFaces(); ++fi) {
        const corvia::SimpleFace& f = hull->FaceAt(fi);
        if (f.IsTemp()) continue;
        bool inFacet = false;
        for (const Plane& pl : e.planes) {
          bool all = true;
          for (int i = 0; i < f.Count() && all; ++i) {
            const double* p = f.VertAt(i).pos;
            all = std::fabs(pl[0] * p[0] + pl[1] * p[1] + pl[2] * p[2] - static_cast<double>(pl[3])) < 1e-9;
          }
          inFacet = inFacet || all;
        }
        EXPECT_TRUE(inFacet) << "face " << fi;
      }
    }
  }
}

TEST(WatermanTest, HullsBecomeConvexModelsWithTheCubeGroup) {
  for (int type = 0; type <= 2; ++type) {
    for (int root = 1; root <= 10; ++root) {
      SCOPED_TRACE(::testing::Message() << "type " << type << " root " << root);
      std::unique_ptr<corvia::SimplePoly> hull = corvia::CreateWatermanPoly(type, root);
      ASSERT_NE(hull, nullptr);
      const Expected& e = ExpectedHull(type, root);
      corvia::Poly poly;
      ASSERT_TRUE(CreatePoly(*hull, &poly, false, true));
      EXPECT_EQ(poly.mFaces.mCount, static_cast<int>(e.planes.size()));
      EXPECT_EQ(poly.mVertices.mCount, static_cast<int>(e.corners.size()));
      EXPECT_EQ(poly.mVertices.mCount - poly.mNumEdges + poly.mFaces.mCount, 2);
      EXPECT_EQ(corvia::SymGroup::GetSchoenflies(poly.mSymGroup), "Oh");
    }
  }
}

TEST(WatermanTest, KnownSmallHulls) {
  struct Case {
    int type, root, faces, verts;
  };
  // Cuboctahedron, octahedron, cube.
  for (const Case& c : {Case{0, 1, 14, 12}, Case{2, 1, 8, 6}, Case{2, 3, 6, 8}}) {
    std::unique_ptr<corvia::SimplePoly> hull = corvia::CreateWatermanPoly(c.type, c.root);
    ASSERT_NE(hull, nullptr);
    EXPECT_EQ(LiveFaces(*hull), c.faces);
    EXPECT_EQ(static_cast<int>(LiveCornerPositions(*hull).size()), c.verts);
  }
}

TEST(WatermanTest, OutOfRangeGivesNullWithoutMessage) {
  EXPECT_EQ(corvia::CreateWatermanPoly(0, 0), nullptr);
  EXPECT_EQ(corvia::CreateWatermanPoly(1, 11), nullptr);
  EXPECT_EQ(corvia::CreateWatermanPoly(2, -3), nullptr);
  EXPECT_EQ(corvia::CreateWatermanPoly(3, 4), nullptr);
  EXPECT_EQ(corvia::CreateWatermanPoly(-1, 4), nullptr);
  EXPECT_TRUE(corvia::testing::Platform().messages.Boxes().empty());
}

TEST(WatermanTest, ProjectionKeepsACubeAndTrianglesAndMovesVerticesToTheSphere) {
  auto& messages = corvia::testing::Platform().messages;
  messages.Clear();
  // A cube of half-size 3: its corners already lie on one sphere.
  std::vector<std::array<double, 3>> v;
  for (int i = 0; i < 8; ++i) v.push_back({(i & 1) ? 3.0 : -3.0, (i & 2) ? 3.0 : -3.0, (i & 4) ? 3.0 : -3.0});
  auto cube = ModelOf(v, {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}});
  EXPECT_TRUE(cube->ProjectOntoSphere());
  for (int i = 0; i < 8; ++i) EXPECT_NEAR(corvia::Dot(cube->VertAt(i).pos, cube->VertAt(i).pos), 1.0, 1e-12);
  // The search finds the moved vertices at their new places.
  int used = 8;
  const double corner[3] = {1 / std::sqrt(3.0), 1 / std::sqrt(3.0), 1 / std::sqrt(3.0)};
  EXPECT_EQ(cube->FindOrCreateVert(corner, used)->GetIndex(), 7);

  // A stretched bipyramid of triangles at several radii always projects.
  auto bipyramid = ModelOf({{2, 0, 0}, {0, 1, 0}, {-1, 0, 0}, {0, -1, 0}, {0, 0, 5}, {0, 0, -0.5}},
                           {{0, 1, 4}, {1, 2, 4}, {2, 3, 4}, {3, 0, 4}, {1, 0, 5}, {2, 1, 5}, {3, 2, 5}, {0, 3, 5}});
  EXPECT_TRUE(bipyramid->ProjectOntoSphere());
  for (int i = 0; i < 6; ++i) {
    EXPECT_NEAR(corvia::Dot(bipyramid->VertAt(i).pos, bipyramid->VertAt(i).pos), 1.0, 1e-12);
  }
  EXPECT_TRUE(messages.Boxes().empty());
}

TEST(WatermanTest, ProjectionRefusesFacesThatWouldBend) {
  auto& messages = corvia::testing::Platform().messages;
  messages.Clear();
  // Rhombic dodecahedron: cube corners (+-1, +-1, +-1) and octahedron corners at 2.
  std::vector<std::array<double, 3>> v = corvia::testing::models::CubeCorners();
  v.push_back({2, 0, 0});
  v.push_back({-2, 0, 0});
  v.push_back({0, 2, 0});
  v.push_back({0, -2, 0});
  v.push_back({0, 0, 2});
  v.push_back({0, 0, -2});
  // One rhombus for each pair of octahedron corners on different axes: those two and
  // the two cube corners next to both.
  std::vector<std::vector<int>> faces;
  for (int axisA = 0; axisA < 3; ++axisA) {
    for (int axisB = axisA + 1; axisB < 3; ++axisB) {
      const int third = 3 - axisA - axisB;
      for (int sa = 0; sa < 2; ++sa) {
        for (int sb = 0; sb < 2; ++sb) {
          auto cubeIndex = [&](int st) { return (sa << axisA) | (sb << axisB) | (st << third); };
          faces.push_back({8 + 2 * axisA + (1 - sa), cubeIndex(0), 8 + 2 * axisB + (1 - sb), cubeIndex(1)});
        }
      }
    }
  }
  auto rhombic = ModelOf(v, faces);
  const corvia::Outcome projected = rhombic->ProjectOntoSphere();
  EXPECT_EQ(projected.kind(), corvia::Outcome::Kind::kRefused);
  EXPECT_EQ(projected.text(),
            "After projecting vertices onto a sphere,\nsome of the faces would no longer planar.\nSo the operation is "
            "not allowed for this model.");
  EXPECT_TRUE(messages.Boxes().empty());
}

TEST(WatermanTest, ProjectionLeavesAVertexAtTheCentreInPlace) {
  // A square pyramid with its apex at the centre: no direction to project along.
  auto pyramid = ModelOf({{0, 0, 0}, {1, 1, 1}, {-1, 1, 1}, {-1, -1, 1}, {1, -1, 1}},
                         {{1, 2, 3, 4}, {0, 2, 1}, {0, 3, 2}, {0, 4, 3}, {0, 1, 4}});
  EXPECT_TRUE(pyramid->ProjectOntoSphere());
  for (int c = 0; c < 3; ++c) EXPECT_EQ(pyramid->VertAt(0).pos[c], 0.0);
  for (int i = 1; i < 5; ++i) EXPECT_NEAR(corvia::Dot(pyramid->VertAt(i).pos, pyramid->VertAt(i).pos), 1.0, 1e-12);
}

}  // namespace test_Waterman
