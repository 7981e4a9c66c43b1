// Selection names, reading hit records, and picking a cube and an octahedron off
// screen, checked pixel by pixel against a ray cast and a projection of our own.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <malloc.h>
#include <vector>

#include "core/VectorMath.h"
#include "render/GLSelection.h"
#include "render/SelectionItems.h"
#include "tests/render/RenderTestSupport.h"
#include "tests/support/TestSupport.h"

namespace {

using namespace corvia;
using corvia::testing::TestView;
using Point = std::array<double, 3>;

TEST(SelectionNames, PackKindAndIndex) {
  InitGLSelection(3);
  EXPECT_EQ(GetGLSelectionBits(), 2);
  EXPECT_EQ(GetGLSelectionMask(), 3u);
  EXPECT_EQ(MakeSelectionName(2, 5), 23u);
  const GLHit hit{22, 0};
  EXPECT_EQ(GetHitItemType(hit), 2);
  EXPECT_EQ(GetHitIndex(hit), 5);

  InitGLSelection(1);
  EXPECT_EQ(GetGLSelectionBits(), 0);
  EXPECT_EQ(MakeSelectionName(0, 9), 10u);

  InitGLSelection(kNumSelectionItemKinds);
  EXPECT_EQ(GetGLSelectionBits(), 6);
  corvia::testing::ExpectInternalErrors(4);
  EXPECT_EQ(MakeSelectionName(64, 1), 0u);
  EXPECT_EQ(MakeSelectionName(-1, 1), 0u);
  EXPECT_EQ(MakeSelectionName(kSelectFace, -1), 0u);
  EXPECT_EQ(MakeSelectionName(kSelectFace, 1 << 26), 0u);
  EXPECT_EQ(MakeSelectionName(kSelectFace, (1 << 26) - 2), ((1u << 26) - 2) << 6 | 1u);
  const auto& boxes = corvia::testing::Platform().messages.Boxes();
  ASSERT_EQ(boxes.size(), 4u);
  EXPECT_EQ(boxes[0].text, "SetGLSelectionItem(): itemType too big");
}

TEST(SelectionNames, HitRecordsWithoutANameOrPastTheBufferAreDropped) {
  InitGLSelection(kNumSelectionItemKinds);
  // Records: {count, min, max, names...}.
  const uint32_t buffer[] = {1, 50, 60, 0,                                         // unnamed
                             2, 40, 45, 0, MakeSelectionName(kSelectEdge, 3),      // nested, edge 3
                             1, 10, 12, MakeSelectionName(kSelectVertex, 4),       // vertex 4
                             3, 5, 6,  1};                                         // cut off
  std::vector<GLHit> hits{{7, 99}};
  AppendSelectionHits(hits, buffer, static_cast<int>(std::size(buffer)), 4);
  ASSERT_EQ(hits.size(), 3u);
  EXPECT_EQ(hits[0].name, 7u);  // what was there stays
  EXPECT_EQ(FindHit(hits, kSelectEdge, 3), 1);
  EXPECT_TRUE(ContainsHit(hits, kSelectVertex, 4));
  EXPECT_FALSE(ContainsHit(hits, kSelectVertex, 3));
  SortHitsByDepth(hits);
  EXPECT_EQ(GetHitItemType(hits[0]), kSelectVertex);
  EXPECT_EQ(hits.back().depth, 99u);
}

// ---- The scene -------------------------------------------------------------------------

struct Solid {
  std::vector<Point> vertices;
  std::vector<std::vector<int>> faces;  // counter-clockwise seen from outside
  std::vector<std::array<int, 2>> edges;
  int firstFace = 0, firstEdge = 0, firstVertex = 0;
};

void CollectEdges(Solid& solid) {
  for (const auto& face : solid.faces) {
    for (size_t i = 0; i < face.size(); ++i) {
      int a = face[i], b = face[(i + 1) % face.size()];
      if (a < b) solid.edges.push_back({a, b});
    }
  }
}

Solid Cube(Point centre, double half) {
  Solid s;
  for (int i = 0; i < 8; ++i) {
    s.vertices.push_back({centre[0] + ((i & 1) ? half : -half), centre[1] + ((i & 2) ? half : -half),
                          centre[2] + ((i & 4) ? half : -half)});
  }
  s.faces = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
  CollectEdges(s);
  return s;
}

Solid Octahedron(Point centre, double r) {
  Solid s;
  const Point axes[6] = {{r, 0, 0}, {-r, 0, 0}, {0, r, 0}, {0, -r, 0}, {0, 0, r}, {0, 0, -r}};
  for (const Point& a : axes) s.vertices.push_back({centre[0] + a[0], centre[1] + a[1], centre[2] + a[2]});
  for (int x : {0, 1}) {
    for (int y : {2, 3}) {
      for (int z : {4, 5}) {
        const bool flip = ((x == 1) != (y == 3)) != (z == 5);
        s.faces.push_back(flip ? std::vector<int>{x, z, y} : std::vector<int>{x, y, z});
      }
    }
  }
  CollectEdges(s);
  return s;
}

void DrawSolid(const Solid& s) {
  for (size_t f = 0; f < s.faces.size(); ++f) {
    SetGLSelectionItem(kSelectFace, s.firstFace + static_cast<int>(f));
    glBegin(GL_POLYGON);
    for (int v : s.faces[f]) glVertex3dv(s.vertices[v].data());
    glEnd();
  }
  for (size_t e = 0; e < s.edges.size(); ++e) {
    SetGLSelectionItem(kSelectEdge, s.firstEdge + static_cast<int>(e));
    glBegin(GL_LINES);
    glVertex3dv(s.vertices[s.edges[e][0]].data());
    glVertex3dv(s.vertices[s.edges[e][1]].data());
    glEnd();
  }
  for (size_t v = 0; v < s.vertices.size(); ++v) {
    SetGLSelectionItem(kSelectVertex, s.firstVertex + static_cast<int>(v));
    glBegin(GL_POINTS);
    glVertex3dv(s.vertices[v].data());
    glEnd();
  }
  OpenGLView::GetCurrent()->ClearGLSelectionItem();
}

// ---- Our own ray cast and projection -------------------------------------------------------

struct Camera {
  Point eye, right, up, view;
  double tanHalf;
  int width, height;

  explicit Camera(const OpenGLView& v, int w, int h)
      : eye{v.Camera().GetEye()[0], v.Camera().GetEye()[1], v.Camera().GetEye()[2]},
        right{v.Camera().GetRightAxis()[0], v.Camera().GetRightAxis()[1], v.Camera().GetRightAxis()[2]},
        up{v.Camera().GetUpAxis()[0], v.Camera().GetUpAxis()[1], v.Camera().GetUpAxis()[2]},
        view{v.Camera().GetViewAxis()[0], v.Camera().GetViewAxis()[1], v.Camera().GetViewAxis()[2]},
        tanHalf(std::tan(v.Camera().GetFieldOfView() * M_PI / 360.0)),
        width(w),
        height(h) {}

  // Window pixel (y down) of a point.
  std::array<double, 2> Project(const Point& p) const {
    Point c{p[0] - eye[0], p[1] - eye[1], p[2] - eye[2]};
    const double z = -Dot(c.data(), view.data());
    const double scale = height / 2.0 / (z * tanHalf);
    return {width / 2.0 + Dot(c.data(), right.data()) * scale, height / 2.0 - Dot(c.data(), up.data()) * scale};
  }

  Point Ray(double x, double y) const {
    const double dx = (x - width / 2.0) / (height / 2.0) * tanHalf;
    const double dy = (height / 2.0 - y) / (height / 2.0) * tanHalf;
    Point d;
    for (int k = 0; k < 3; ++k) d[k] = dx * right[k] + dy * up[k] - view[k];
    NormaliseVector(d.data(), d.data());
    return d;
  }
};

// The distance along the ray to a convex face, or -1.
double HitFace(const Solid& s, const std::vector<int>& face, const Point& eye, const Point& d) {
  const Point &a = s.vertices[face[0]], &b = s.vertices[face[1]], &c = s.vertices[face[2]];
  double n[3];
  TriangleNormal(n, a.data(), b.data(), c.data());
  const double denominator = Dot(n, d.data());
  if (std::fabs(denominator) < 1e-12) return -1;
  double toA[3];
  Subtract(toA, a.data(), eye.data());
  const double t = Dot(n, toA) / denominator;
  if (t <= 0) return -1;
  Point p;
  for (int k = 0; k < 3; ++k) p[k] = eye[k] + t * d[k];
  for (size_t i = 0; i < face.size(); ++i) {
    const Point& u = s.vertices[face[i]];
    const Point& w = s.vertices[face[(i + 1) % face.size()]];
    double side[3];
    TriangleNormal(side, u.data(), w.data(), p.data());
    if (Dot(side, n) < 0) return -1;
  }
  return t;
}

double SegmentDistance(const std::array<double, 2>& p, const std::array<double, 2>& a, const std::array<double, 2>& b) {
  const double dx = b[0] - a[0], dy = b[1] - a[1];
  double t = ((p[0] - a[0]) * dx + (p[1] - a[1]) * dy) / (dx * dx + dy * dy);
  t = std::max(0.0, std::min(1.0, t));
  return std::hypot(p[0] - a[0] - t * dx, p[1] - a[1] - t * dy);
}

class Picking : public corvia::testing::GLTest {};

TEST_F(Picking, CubeAndOctahedronGiveTheItemUnderEachPixel) {
  InitGLSelection(kNumSelectionItemKinds);
  Solid cube = Cube({-0.7, 0, 0}, 0.4);
  Solid octahedron = Octahedron({0.7, 0.05, 0}, 0.55);
  octahedron.firstFace = 6;
  octahedron.firstEdge = 12;
  octahedron.firstVertex = 8;
  const Solid* solids[2] = {&cube, &octahedron};

  TestView view;
  view.scene = [&](TestView&) {
    DrawSolid(cube);
    DrawSolid(octahedron);
  };
  constexpr int kWidth = 240, kHeight = 140;
  ASSERT_NE(Show(view, kWidth, kHeight), nullptr);
  const double axis[3] = {1, -1.3, 0.4};
  view.Camera().RotateCamera(axis, 35);
  view.Camera().OrthonormalizeCamera();
  view.Camera().ViewSphere(nullptr, 1.2);
  const Camera camera(view, kWidth, kHeight);

  int faces = 0, edges = 0, vertices = 0, empty = 0;
  for (int y = 1; y < kHeight; y += 3) {
    for (int x = 1; x < kWidth; x += 3) {
      const std::array<double, 2> centre{x + 0.5, y + 0.5};
      std::vector<GLHit> hits;
      EXPECT_FALSE(view.DoSelection(hits, x, y, false));
      SortHitsByDepth(hits);

      // Edges: hit where the projected edge crosses the pixel, not where it is
      // clearly elsewhere; near the pixel's border either answer is right.
      double nearestEdge = 1e9;
      for (const Solid* s : solids) {
        for (size_t e = 0; e < s->edges.size(); ++e) {
          const double d = SegmentDistance(centre, camera.Project(s->vertices[s->edges[e][0]]),
                                           camera.Project(s->vertices[s->edges[e][1]]));
          nearestEdge = std::min(nearestEdge, d);
          const bool hit = ContainsHit(hits, kSelectEdge, s->firstEdge + static_cast<int>(e));
          if (d < 0.45) {
            EXPECT_TRUE(hit) << "edge " << s->firstEdge + e << " at " << x << "," << y;
            ++edges;
          } else if (d > 0.75) {
            EXPECT_FALSE(hit) << "edge " << s->firstEdge + e << " at " << x << "," << y;
          }
        }
      }
      // The nearest face, away from the edges.
      const Point ray = camera.Ray(centre[0], centre[1]);
      int expected = -1;
      double best = 1e300;
      for (const Solid* s : solids) {
        for (size_t f = 0; f < s->faces.size(); ++f) {
          const double t = HitFace(*s, s->faces[f], camera.eye, ray);
          if (t > 0 && t < best) best = t, expected = s->firstFace + static_cast<int>(f);
        }
      }
      if (nearestEdge > 1.0) {
        int got = -1;
        for (const GLHit& hit : hits) {
          if (GetHitItemType(hit) == kSelectFace) {
            got = GetHitIndex(hit);
            break;
          }
        }
        EXPECT_EQ(got, expected) << "at " << x << "," << y;
        expected >= 0 ? ++faces : ++empty;
      }
    }
  }
  // Vertices, picked with the wide region around each vertex's pixel and beside it.
  for (const Solid* s : solids) {
    for (size_t v = 0; v < s->vertices.size(); ++v) {
      const auto p = camera.Project(s->vertices[v]);
      const int index = s->firstVertex + static_cast<int>(v);
      std::vector<GLHit> hits;
      view.DoSelection(hits, static_cast<int>(p[0]), static_cast<int>(p[1]), true);
      EXPECT_TRUE(ContainsHit(hits, kSelectVertex, index)) << "vertex " << index;
      hits.clear();
      view.DoSelection(hits, static_cast<int>(p[0]) + 5, static_cast<int>(p[1]), true);
      EXPECT_FALSE(ContainsHit(hits, kSelectVertex, index)) << "vertex " << index;
      ++vertices;
    }
  }
  // The grid met every kind of answer.
  EXPECT_GT(faces, 100);
  EXPECT_GT(empty, 100);
  EXPECT_GT(edges, 10);
  EXPECT_EQ(vertices, 14);
}

TEST_F(Picking, MoreHitsThanTheBufferHoldsReportOverflowAndKeepThoseThatFit) {
  InitGLSelection(kNumSelectionItemKinds);
  TestView view;
  view.scene = [](TestView&) {
    for (int i = 0; i < 100; ++i) {
      SetGLSelectionItem(kSelectVertex, i);
      glBegin(GL_POINTS);
      glVertex3d(0, 0, 0);
      glEnd();
    }
  };
  ASSERT_NE(Show(view, 40, 40), nullptr);
  std::vector<GLHit> hits;
  EXPECT_TRUE(view.DoSelection(hits, 20, 20, true));
  EXPECT_EQ(hits.size(), static_cast<size_t>(kSelectionBufferWords / 4));
  EXPECT_TRUE(ContainsHit(hits, kSelectVertex, 0));
}

// Picks between paints of a scene drawn vertex by vertex: each paint sends the driver
// more than its vertex store holds, so the store is renewed every frame. A store that a
// pick drew from used to stay pinned in the driver for good, half a megabyte a pick;
// after a warm-up the memory in use stays where it was, and the picks still hit.
TEST_F(Picking, PicksBetweenPaintsKeepTheDriversMemoryFlat) {
  InitGLSelection(kNumSelectionItemKinds);
  const Solid cube = Cube({0, 0, 0}, 0.5);
  TestView view;
  view.scene = [&](TestView&) {
    DrawSolid(cube);
    OpenGLView::GetCurrent()->ClearGLSelectionItem();
    for (int i = 0; i < 5000; ++i) {
      glBegin(GL_QUADS);
      for (int k = 0; k < 4; ++k) glVertex3d(0.001 * (k & 1), 0.001 * (k >> 1), -0.2 + 1e-5 * i);
      glEnd();
    }
  };
  OffscreenViewWindow* window = Show(view, 60, 60);
  ASSERT_NE(window, nullptr);
  view.Camera().ViewSphere(nullptr, 1.2);
  int missed = 0;
  auto round = [&] {
    std::vector<GLHit> hits;
    view.DoSelection(hits, 30, 30, false);
    if (std::none_of(hits.begin(), hits.end(), [](const GLHit& h) { return GetHitItemType(h) == kSelectFace; })) {
      ++missed;
    }
    for (int p = 0; p < 2; ++p) window->Paint();
  };
  for (int i = 0; i < 4; ++i) round();
  const size_t warm = mallinfo2().uordblks;
  for (int i = 0; i < 12; ++i) round();
  const size_t after = mallinfo2().uordblks;
  EXPECT_LT(after, warm + (size_t{1} << 20)) << "in use after the warm-up " << warm << " bytes, at the end " << after;
  EXPECT_EQ(missed, 0);
}

}  // namespace
