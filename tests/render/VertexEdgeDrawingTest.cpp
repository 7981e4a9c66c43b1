// Vertices, edges, symmetry axes and the translucent queue, drawn off screen and
// checked where the test projects them.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "model/ColorSchemes.h"
#include "model/Edge.h"
#include "render/ElementDrawing.h"
#include "render/GLSelection.h"
#include "render/LightSets.h"
#include "render/ModelDrawSettings.h"
#include "render/SelectionItems.h"
#include "render/SymmetryDrawing.h"
#include "render/VertexEdgeDrawing.h"
#include "symmetry/SymGroup.h"
#include "symmetry/SymOperations.h"
#include "tests/render/ModelTestSupport.h"

namespace test_VertexEdgeDrawing {

using namespace corvia;
using corvia::testing::ModelView;
using corvia::testing::PixelAt;
using corvia::testing::Rgba;
using corvia::testing::TestModel;

constexpr int kSize = 200;
constexpr double kHalfHeight = 1.25;

void ToPixel(const double* p, int* xy) { corvia::testing::ProjectToPixel(p, kSize, kHalfHeight, xy); }

bool ColourNear(const GLBitmap& image, const int* xy, int r, int g, int b, int reach = 1) {
  return corvia::testing::ColourNearPixel(image, xy, r, g, b, reach);
}

class VertexEdgeDrawing : public corvia::testing::GLTest {
 protected:
  void TearDown() override {
    CloseWindows();
    GetModelDrawSettings() = ModelDrawSettings();
    corvia::testing::GLTest::TearDown();
  }

  // A view of the scene with lighting off, so that colours come out as set.
  GLBitmap DrawScene(const std::function<void(ModelView&)>& scene) {
    ModelView view;
    view.lit = false;
    view.scene = [&scene](corvia::testing::TestView& v) { scene(static_cast<ModelView&>(v)); };
    auto* window = Show(view, kSize, kSize);
    view.Setup(kHalfHeight);
    GLBitmap image = window ? Draw(window) : GLBitmap();
    CloseWindows();
    mWindows.clear();
    return image;
  }
};

TEST_F(VertexEdgeDrawing, VerticesAndEdgesAppearWhereTheyProject) {
  TestModel cube("4.4.4");
  ASSERT_TRUE(cube.built);
  const double turn[3] = {0.3, 0.5, 0.8};
  corvia::testing::TurnTowardsViewer(cube.poly, turn);
  GetModelDrawSettings().vertSize = 5.0f;
  const GLBitmap image = DrawScene([&cube](ModelView&) {
    DrawPolyEdges(&cube.poly, kBaseBlock, 1.0);
    DrawPolyVertices(&cube.poly, kBaseBlock, 1.0);
  });
  const float* vertexColour = DefaultVertexColor;
  const int vr = RoundToInt(vertexColour[0] * 255), vg = RoundToInt(vertexColour[1] * 255),
            vb = RoundToInt(vertexColour[2] * 255);
  for (PolyElement* v = cube.poly.mVertices.mHead; v; v = v->mNext) {
    int xy[2];
    ToPixel(v->mDualVert, xy);
    EXPECT_TRUE(ColourNear(image, xy, vr, vg, vb)) << "vertex " << v->GetIndex();
  }
  for (int e = 0; e < cube.poly.mNumEdges; ++e) {
    const Edge& edge = cube.poly.mEdgeArray[e];
    double middle[3];
    for (int k = 0; k < 3; ++k) middle[k] = 0.5 * (edge.mVert1->mDualVert[k] + edge.mVert2->mDualVert[k]);
    int xy[2];
    ToPixel(middle, xy);
    const float* c = edge.GetColour();
    EXPECT_TRUE(ColourNear(image, xy, RoundToInt(c[0] * 255), RoundToInt(c[1] * 255), RoundToInt(c[2] * 255)))
        << "edge " << e;
  }
}

// With "ShowEdges" the faces draw their edges on themselves: the lines mark the
// stencil first, so the face filled after them in the same plane leaves them visible.
TEST_F(VertexEdgeDrawing, EdgesOnTheFacesStayVisibleThroughTheStencil) {
  TestModel cube("4.4.4");
  ASSERT_TRUE(cube.built);
  const double turn[3] = {0.3, 0.5, 0.8};
  corvia::testing::TurnTowardsViewer(cube.poly, turn);
  GetModelDrawSettings().showEdges = true;
  GetModelDrawSettings().edgeWidth = 3.0f;
  const GLBitmap image =
      DrawScene([&cube](ModelView&) { DrawFaces(&cube.poly, &cube.poly.mFaces, kDrawModePlain, 1.0, 1.0, nullptr); });
  EXPECT_EQ(GetCoplanarStencilDepth(), 0);
  int visible = 0, front = 0;
  for (int e = 0; e < cube.poly.mNumEdges; ++e) {
    const Edge& edge = cube.poly.mEdgeArray[e];
    double middle[3];
    for (int k = 0; k < 3; ++k) middle[k] = 0.5 * (edge.mVert1->mDualVert[k] + edge.mVert2->mDualVert[k]);
    // Edges on the far side are behind the faces.
    if (middle[2] < 0.1) continue;
    ++front;
    int xy[2];
    ToPixel(middle, xy);
    const float* c = edge.GetColour();
    visible += ColourNear(image, xy, RoundToInt(c[0] * 255), RoundToInt(c[1] * 255), RoundToInt(c[2] * 255)) ? 1 : 0;
  }
  EXPECT_GT(front, 3);
  EXPECT_EQ(visible, front);
}

// The selected edge is three times as wide as the others, and the width comes back
// for the edges after it.
TEST_F(VertexEdgeDrawing, TheSelectedEdgeIsDrawnThreeTimesAsWide) {
  TestModel cube("4.4.4");
  ASSERT_TRUE(cube.built);
  PolyElement* front = nullptr;
  for (PolyElement* f = cube.poly.mFaces.mHead; f; f = f->mNext)
    if (f->mZAxis[2] > 0.99) front = f;
  ASSERT_NE(front, nullptr);
  cube.poly.mCurrentEdge = front->mEdges[0];
  GetModelDrawSettings().edgeWidth = 1.0f;
  const GLBitmap image = DrawScene([front](ModelView&) { DrawEdges(front, nullptr, 1.0); });
  // Across each side at its middle: how many pixels the line covers.
  auto widthAcross = [&](int side) {
    double a[3], b[3];
    EXPECT_TRUE(front->GetSideEnds(side, a, b));
    double middle[3];
    for (int k = 0; k < 3; ++k) middle[k] = 0.5 * (a[k] + b[k]);
    int xy[2];
    ToPixel(middle, xy);
    const bool horizontal = std::fabs(a[1] - b[1]) < 1e-9;
    int width = 0;
    for (int d = -6; d <= 6; ++d) {
      const int x = horizontal ? xy[0] : xy[0] + d, y = horizontal ? xy[1] + d : xy[1];
      width += corvia::testing::IsBackground(PixelAt(image, x, y)) ? 0 : 1;
    }
    return width;
  };
  EXPECT_EQ(widthAcross(0), 3);
  for (int side = 1; side < 4; ++side) EXPECT_EQ(widthAcross(side), 1) << side;
  cube.poly.mCurrentEdge = nullptr;
}

TEST_F(VertexEdgeDrawing, UnderAMorphAVertexIsDrawnOncePerFace) {
  TestModel cube("4.4.4");
  ASSERT_TRUE(cube.built);
  const double turn[3] = {0.3, 0.5, 0.8};
  corvia::testing::TurnTowardsViewer(cube.poly, turn);
  GetModelDrawSettings().vertSize = 3.0f;
  auto countPoints = [&](double morph) {
    const GLBitmap image = DrawScene([&](ModelView&) { DrawPolyVertices(&cube.poly, kBaseBlock, morph); });
    int lit = 0;
    for (int y = 0; y < kSize; ++y)
      for (int x = 0; x < kSize; ++x) lit += corvia::testing::IsBackground(PixelAt(image, x, y)) ? 0 : 1;
    return lit;
  };
  const int whole = countPoints(1.0);
  const int split = countPoints(1.5);
  // Eight points of 3 x 3 pixels, then three apart for each.
  EXPECT_EQ(whole, 8 * 9);
  EXPECT_EQ(split, 3 * 8 * 9);
}

TEST_F(VertexEdgeDrawing, PickingNamesVerticesAndEdges) {
  TestModel cube("4.4.4");
  ASSERT_TRUE(cube.built);
  const double turn[3] = {0.3, 0.5, 0.8};
  corvia::testing::TurnTowardsViewer(cube.poly, turn);
  InitGLSelection(kNumSelectionItemKinds);
  ModelView view;
  view.scene = [&cube](corvia::testing::TestView&) {
    DrawPolyVertices(&cube.poly, kBaseBlock, 1.0);
    DrawPolyEdges(&cube.poly, kBaseBlock, 1.0);
  };
  auto* window = Show(view, kSize, kSize);
  ASSERT_NE(window, nullptr);
  view.Setup(kHalfHeight);
  window->Paint();
  // The nearest vertex and an edge through the middle of the picture.
  PolyElement* nearest = cube.poly.mVertices.mHead;
  for (PolyElement* v = nearest; v; v = v->mNext)
    if (v->mDualVert[2] > nearest->mDualVert[2]) nearest = v;
  int xy[2];
  ToPixel(nearest->mDualVert, xy);
  std::vector<GLHit> hits;
  view.DoSelection(hits, xy[0], xy[1], true);
  EXPECT_TRUE(ContainsHit(hits, kSelectBaseVertex, nearest->GetIndex()));
  const Edge* edge = nearest->mEdges ? nearest->mEdges[0] : nullptr;
  ASSERT_NE(edge, nullptr);
  double middle[3];
  for (int k = 0; k < 3; ++k) middle[k] = 0.5 * (edge->mVert1->mDualVert[k] + edge->mVert2->mDualVert[k]);
  ToPixel(middle, xy);
  hits.clear();
  view.DoSelection(hits, xy[0], xy[1], true);
  EXPECT_TRUE(ContainsHit(hits, kSelectBaseEdge, Edge::GetIndex(edge, &cube.poly)));
}

TEST_F(VertexEdgeDrawing, CylindersAndSpheresTakeTheSizesOfTheirSettings) {
  TestModel cube("4.4.4");
  ASSERT_TRUE(cube.built);
  ModelDrawSettings& s = GetModelDrawSettings();
  // Based on the element count: 1 / sqrt(n), 30 elements when none are counted.
  s.sphereRadBasedOn = 0;
  s.sphereRad = 1.0;
  EXPECT_DOUBLE_EQ(GetSphereRadius(&cube.poly, false, 0.5, 16, -1, -1), 0.25);
  EXPECT_DOUBLE_EQ(GetSphereRadius(&cube.poly, false, 0.5, -1, -1, -1), 1.0 / std::sqrt(14.0));
  EXPECT_DOUBLE_EQ(GetSphereRadius(nullptr, false, 0.5, 0, -1, -1), 1.0 / std::sqrt(30.0));
  // On the edge length, and on the values given.
  s.sphereRadBasedOn = 1;
  s.sphereRad = 0.4;
  EXPECT_DOUBLE_EQ(GetSphereRadius(&cube.poly, false, 0.5, -1, -1, -1), 0.2);
  s.sphereRadBasedOn = 2;
  EXPECT_DOUBLE_EQ(GetSphereRadius(&cube.poly, false, 0.5, -1, 2.0, -1), 0.8);
  EXPECT_DOUBLE_EQ(GetSphereRadius(&cube.poly, false, 0.5, -1, -1, -1), 0.4);
  // The joint: where a cylinder of radius c enters the sphere of 0.95 r.
  s.sphereRadBasedOn = 1;
  s.sphereRad = 1.0;
  s.cylinderRad = 0.5;
  double joint = -1;
  const double c = GetSphereJointRadius(&cube.poly, false, 1.0, -1, -1, -1, &joint);
  EXPECT_DOUBLE_EQ(c, 0.5);
  EXPECT_NEAR(joint, std::sqrt(0.95 * 0.95 - 0.25), 1e-12);
  s.cylinderRad = 0.95;
  GetSphereJointRadius(&cube.poly, false, 1.0, -1, -1, -1, &joint);
  EXPECT_EQ(joint, 0.0);
  s.cylinderRad = 1.2;
  GetSphereJointRadius(&cube.poly, false, 1.0, -1, -1, -1, &joint);
  EXPECT_EQ(joint, 0.0);

  // Drawn: spheres cover the vertices, cylinders the edges.
  s = ModelDrawSettings();
  s.spheresAndCylinders = true;
  const double turn[3] = {0.3, 0.5, 0.8};
  corvia::testing::TurnTowardsViewer(cube.poly, turn);
  const GLBitmap image = DrawScene([&cube](ModelView&) {
    DrawPolyVertices(&cube.poly, kBaseBlock, 1.0);
    DrawPolyEdges(&cube.poly, kBaseBlock, 1.0);
  });
  for (PolyElement* v = cube.poly.mVertices.mHead; v; v = v->mNext) {
    int xy[2];
    ToPixel(v->mDualVert, xy);
    EXPECT_FALSE(corvia::testing::IsBackground(PixelAt(image, xy[0], xy[1])));
  }
}

// The icosahedral group's axes in the axis colours, each at its direction.
TEST_F(VertexEdgeDrawing, SymmetryAxesPointAlongTheirDirectionsInTheirColours) {
  std::unique_ptr<SymGroup> group = CreateSymGroup(kSymGroupIcosahedral, 1);
  ASSERT_TRUE(group);
  const GLBitmap image = DrawScene([&group](ModelView&) { DrawSymmetryAxes(group.get(), nullptr, 1.0); });
  const int colours[3][3] = {{255, 255, 0}, {0, 255, 255}, {255, 0, 255}};
  int checked = 0;
  for (int t = 0; t < group->numAxisTypes; ++t) {
    const SymAxisType& type = group->axisTypes[t];
    const int* colour = colours[std::min(t, 2)];
    for (int i = 0; i < type.numAxes; ++i) {
      const double* d = type.axes[i].direction;
      // Outer ends towards the viewer, where no other axis is drawn over them.
      if (d[2] < 0.3) continue;
      double end[3], along[3];
      for (int k = 0; k < 3; ++k) {
        end[k] = 1.2 * d[k];
        along[k] = 0.9 * end[k];
      }
      int xy[2];
      ToPixel(along, xy);
      EXPECT_TRUE(ColourNear(image, xy, colour[0], colour[1], colour[2])) << "type " << t << " axis " << i;
      ++checked;
    }
  }
  EXPECT_GT(checked, 10);
}

// ---- The translucent queue -----------------------------------------------------------

class DepthSort : public VertexEdgeDrawing {};

void Triangle(double z, const float* rgba, unsigned flags, bool* drawnAtOnce = nullptr) {
  const double a[3] = {-0.5, -0.5, z}, b[3] = {0.5, -0.5, z}, c[3] = {0.0, 0.5, z};
  const double n[3] = {0, 0, 1};
  const bool drawn = AddDepthSortedTriangle(a, b, c, n, rgba, flags, 1.0, nullptr, nullptr, nullptr);
  if (drawnAtOnce) *drawnAtOnce = drawn;
}

TEST_F(DepthSort, OpaqueTrianglesAreDrawnAtOnceTranslucentOnesQueued) {
  bool opaque = false, translucent = true, never = false;
  const GLBitmap image = DrawScene([&](ModelView&) {
    const float red[4] = {1, 0, 0, 1}, blue[4] = {0, 0, 1, 0.5f};
    Triangle(0.0, red, 0, &opaque);
    Triangle(0.2, blue, 0, &translucent);
    EXPECT_EQ(GetDepthSortStatistics().sortedQueue, 1);
    Triangle(0.4, blue, kTriangleNeverDefer, &never);
    EXPECT_EQ(GetDepthSortStatistics().sortedQueue, 1);
  });
  EXPECT_TRUE(opaque);
  EXPECT_FALSE(translucent);
  EXPECT_TRUE(never);
  EXPECT_EQ(GetDepthSortStatistics().sortedQueue, 0);
}

TEST_F(DepthSort, TheFarthestTriangleIsDrawnFirstWhateverTheQueueOrder) {
  const float red[4] = {1, 0, 0, 0.5f}, blue[4] = {0, 0, 1, 0.5f};
  // Near red queued before far blue; then the other way round: the same picture.
  const GLBitmap nearFirst = DrawScene([&](ModelView&) {
    Triangle(0.5, red, 0);
    Triangle(-0.5, blue, 0);
  });
  const GLBitmap farFirst = DrawScene([&](ModelView&) {
    Triangle(-0.5, blue, 0);
    Triangle(0.5, red, 0);
  });
  const Rgba a = PixelAt(nearFirst, kSize / 2, kSize / 2), b = PixelAt(farFirst, kSize / 2, kSize / 2);
  EXPECT_NEAR(a.r, 128, 2);
  EXPECT_NEAR(a.b, 64, 2);
  EXPECT_EQ(a.r, b.r);
  EXPECT_EQ(a.g, b.g);
  EXPECT_EQ(a.b, b.b);
  // A triangle flagged to be drawn last is drawn last, near or far.
  const GLBitmap last = DrawScene([&](ModelView&) {
    Triangle(-0.5, blue, kTriangleDrawLast);
    Triangle(0.5, red, 0);
  });
  const Rgba c = PixelAt(last, kSize / 2, kSize / 2);
  EXPECT_NEAR(c.r, 128, 2);
  EXPECT_NEAR(c.b, 0, 2);  // the far blue triangle fails the depth test after the near red one
}

class DepthSortOrder : public VertexEdgeDrawing {};

TEST_F(DepthSortOrder, FarthestFirstAndEqualDepthsInTheOrderQueued) {
  const float colour[4] = {1, 1, 1, 0.5f};
  // Queued in a pass and sorted from an eye of the test's; the pass then draws nothing.
  DrawScene([&](ModelView&) {
    const double depths[5] = {0.0, -1.0, 1.0, -1.0, 0.5};
    for (double z : depths) Triangle(z, colour, 0);
    const double eye[3] = {0, 0, 5};
    SortDepthSortedTriangles(eye);
    std::vector<double> order;
    std::vector<const DepthSortedTriangle*> records;
    for (int k = 0; k < 5; ++k) {
      const DepthSortedTriangle* t = GetSortedTriangle(k);
      ASSERT_NE(t, nullptr);
      order.push_back(t->centroid[2]);
      records.push_back(t);
    }
    EXPECT_EQ(order, (std::vector<double>{-1.0, -1.0, 0.0, 0.5, 1.0}));
    // The two at -1 in the order they were queued.
    EXPECT_LT(records[0], records[1]);
    EXPECT_EQ(GetSortedTriangle(5), nullptr);
    DiscardDepthSortedTriangles();
    EXPECT_EQ(GetDepthSortStatistics().sortedQueue, 0);
  });
}

TEST_F(DepthSort, ABlockTooSmallMakesOneOfTwiceTheRequest) {
  const float blue[4] = {0, 0, 1, 0.5f};
  DrawScene([&](ModelView&) {
    const DepthSortStatistics before = GetDepthSortStatistics();
    const int first = std::max(before.capacity, 1024);
    for (int i = 0; i < first + 10; ++i) Triangle(0.001 * (i % 100), blue, 0);
    const DepthSortStatistics after = GetDepthSortStatistics();
    EXPECT_EQ(after.sortedQueue, first + 10);
    EXPECT_GE(after.capacity, first + 2 * (1 + first));
  });
  EXPECT_EQ(GetDepthSortStatistics().sortedQueue, 0);
  // Freed, the pool starts again from the smaller minimum.
  FreeDepthSortedTriangles();
  EXPECT_EQ(GetDepthSortStatistics().blocks, 0);
  EXPECT_EQ(GetDepthSortStatistics().minimumBlockSize, 120);
}

TEST_F(DepthSort, TrianglesQueuedInAnotherViewAreNotDrawnWithThisOne) {
  const float blue[4] = {0, 0, 1, 0.5f};
  // A pass that queues and never draws its queue.
  DrawScene([&](ModelView&) { Triangle(0.0, blue, 0); });
  EXPECT_EQ(GetDepthSortStatistics().sortedQueue, 0);
  ModelView other;
  other.lit = false;
  auto* window = Show(other, kSize, kSize);
  ASSERT_NE(window, nullptr);
  other.Setup(kHalfHeight);
  ASSERT_TRUE(PreOpenGL(&other));
  Triangle(0.0, blue, 0);
  PostOpenGL(&other);
  ModelView third;
  third.lit = false;
  auto* thirdWindow = Show(third, kSize, kSize);
  ASSERT_NE(thirdWindow, nullptr);
  third.Setup(kHalfHeight);
  // The third view's pass finds the other view's triangle and drops it.
  const GLBitmap image = Draw(thirdWindow);
  EXPECT_TRUE(corvia::testing::IsBackground(PixelAt(image, kSize / 2, kSize / 2)));
  EXPECT_EQ(GetDepthSortStatistics().sortedQueue, 0);
}

}  // namespace test_VertexEdgeDrawing
