// The selection drawn over the model: the selected edge, the selected vertex with its
// sides or its angles, and the selected face over everything, checked off screen where
// the test projects them.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "model/Edge.h"
#include "render/ModelDrawSettings.h"
#include "render/ViewTypeDrawing.h"
#include "tests/render/ModelTestSupport.h"

namespace test_SelectionDrawing {

using namespace corvia;
using corvia::testing::IsBackground;
using corvia::testing::ModelView;
using corvia::testing::PixelAt;
using corvia::testing::Rgba;
using corvia::testing::TestModel;

constexpr int kSize = 200;
constexpr double kHalfHeight = 1.25;

void ToPixel(const double* p, int* xy) { corvia::testing::ProjectToPixel(p, kSize, kHalfHeight, xy); }

void Between(const double* a, const double* b, double t, double* out) {
  for (int k = 0; k < 3; ++k) out[k] = a[k] + t * (b[k] - a[k]);
}

bool ColourNear(const GLBitmap& image, const double* p, int r, int g, int b) {
  int xy[2];
  ToPixel(p, xy);
  return corvia::testing::ColourNearPixel(image, xy, r, g, b, 1, 3);
}

bool WhiteNear(const GLBitmap& image, const double* p) { return ColourNear(image, p, 255, 255, 255); }

bool DarkAround(const GLBitmap& image, const double* p, int reach = 1) {
  int xy[2];
  ToPixel(p, xy);
  for (int dy = -reach; dy <= reach; ++dy)
    for (int dx = -reach; dx <= reach; ++dx)
      if (!IsBackground(PixelAt(image, xy[0] + dx, xy[1] + dy))) return false;
  return true;
}

class SelectionDrawing : public corvia::testing::GLTest {
 protected:
  void SetUp() override {
    corvia::testing::GLTest::SetUp();
    ASSERT_TRUE(mCube.built);
    const double turn[3] = {0.3, 0.5, 0.8};
    corvia::testing::TurnTowardsViewer(mCube.poly, turn);
  }
  void TearDown() override {
    mCube.poly.SelectEdge(nullptr, false);
    CloseWindows();
    GetModelDrawSettings() = ModelDrawSettings();
    corvia::testing::GLTest::TearDown();
  }

  GLBitmap DrawScene(const std::function<void()>& scene) {
    ModelView view;
    view.lit = false;
    view.scene = [&scene](corvia::testing::TestView&) { scene(); };
    auto* window = Show(view, kSize, kSize);
    view.Setup(kHalfHeight);
    GLBitmap image = window ? Draw(window) : GLBitmap();
    CloseWindows();
    mWindows.clear();
    return image;
  }

  // The vertex nearest the viewer.
  PolyElement* FrontVertex() {
    PolyElement* best = mCube.poly.mVertices.mHead;
    for (PolyElement* v = best; v; v = v->mNext)
      if (v->mDualVert[2] > best->mDualVert[2]) best = v;
    return best;
  }

  TestModel mCube{"4.4.4"};
};

// The edge: both ends and the line between them in white; nothing without a selection.
TEST_F(SelectionDrawing, TheSelectedEdgeShowsItsEndsAndLine) {
  Poly& poly = mCube.poly;
  Edge* edge = nullptr;
  for (int e = 0; e < poly.mNumEdges && !edge; ++e) {
    Edge& candidate = poly.mEdgeArray[e];
    if (candidate.mVert1->mDualVert[2] > 0.2 && candidate.mVert2->mDualVert[2] > 0.2) edge = &candidate;
  }
  ASSERT_NE(edge, nullptr);
  const GLBitmap none = DrawScene([&poly] { DrawSelectedEdge(&poly, 1.0); });
  EXPECT_TRUE(DarkAround(none, edge->mVert1->mDualVert));

  poly.SelectEdge(edge, false);
  ASSERT_TRUE(poly.IsEdgeSelected());
  GetModelDrawSettings().vertSize = 4.0f;
  const GLBitmap image = DrawScene([&poly] { DrawSelectedEdge(&poly, 1.0); });
  double middle[3];
  Between(edge->mVert1->mDualVert, edge->mVert2->mDualVert, 0.5, middle);
  EXPECT_TRUE(WhiteNear(image, edge->mVert1->mDualVert));
  EXPECT_TRUE(WhiteNear(image, edge->mVert2->mDualVert));
  EXPECT_TRUE(WhiteNear(image, middle));
  // The end points are larger than the line is wide: (4 + 4) pixels.
  int xy[2];
  ToPixel(edge->mVert1->mDualVert, xy);
  int lit = 0;
  for (int dy = -6; dy <= 6; ++dy)
    for (int dx = -6; dx <= 6; ++dx) lit += IsBackground(PixelAt(image, xy[0] + dx, xy[1] + dy)) ? 0 : 1;
  EXPECT_GE(lit, 40);
}

// The vertex: its point and the halves of the sides that meet at it, not the far halves.
TEST_F(SelectionDrawing, TheSelectedVertexShowsTheNearHalvesOfItsSides) {
  Poly& poly = mCube.poly;
  PolyElement* vertex = FrontVertex();
  poly.SelectFace(vertex, true);
  ASSERT_TRUE(poly.IsSelectionVertex());
  GetModelDrawSettings().edgeWidth = 1.0f;
  const GLBitmap image = DrawScene([&poly] { DrawSelectionMeasurements(&poly, 1.0); });
  EXPECT_TRUE(WhiteNear(image, vertex->mDualVert));
  for (int i = 0; i < vertex->mNumSides; ++i) {
    // The neighbour across each side of the vertex is the other end of an edge.
    const PolyElement* other = vertex->GetAdjacent(i);
    ASSERT_NE(other, nullptr);
    double near[3], far[3];
    Between(vertex->mDualVert, other->mDualVert, 0.3, near);
    Between(vertex->mDualVert, other->mDualVert, 0.8, far);
    EXPECT_TRUE(WhiteNear(image, near)) << "side " << i;
    EXPECT_TRUE(DarkAround(image, far)) << "side " << i;
  }
}

// With "Show Vertex Angles" the feet of the neighbours in the vertex's plane are joined
// in light yellow, and the angles are written beside the vertex.
TEST_F(SelectionDrawing, VertexAnglesJoinTheFeetOfTheNeighbours) {
  Poly& poly = mCube.poly;
  PolyElement* vertex = FrontVertex();
  poly.SelectFace(vertex, true);
  GetModelDrawSettings().showVertexAngles = true;
  const GLBitmap image = DrawScene([&poly] { DrawSelectionMeasurements(&poly, 1.0); });
  double axis[3];
  vertex->GetNormal(axis);
  NormaliseVector(axis, axis);
  double feet[8][3];
  const int n = vertex->mNumSides;
  ASSERT_LE(n, 8);
  for (int i = 0; i < n; ++i) {
    const PolyElement* q = vertex->GetAdjacent(i);
    double pq[3];
    Subtract(pq, vertex->mDualVert, q->mDualVert);
    const double along = Dot(pq, axis);
    for (int k = 0; k < 3; ++k) feet[i][k] = q->mDualVert[k] + along * axis[k];
  }
  int yellow = 0;
  for (int i = 0; i < n; ++i) {
    double middle[3];
    Between(feet[i], feet[(i + 1) % n], 0.5, middle);
    yellow += ColourNear(image, middle, 255, 255, 128) ? 1 : 0;
  }
  EXPECT_GE(yellow, n - 1);  // a text may stand over one of them
  // The white line from each foot to its neighbour.
  for (int i = 0; i < n; ++i) {
    double middle[3];
    Between(feet[i], vertex->GetAdjacent(i)->mDualVert, 0.5, middle);
    EXPECT_TRUE(WhiteNear(image, middle)) << "side " << i;
  }
}

// The selected face is drawn over everything, even behind the model: under the
// screen-door highlight a share of the pixels of a back face show white.
TEST_F(SelectionDrawing, TheSelectedFaceShowsThroughTheModel) {
  Poly& poly = mCube.poly;
  PolyElement* back = poly.mFaces.mHead;
  for (PolyElement* f = back; f; f = f->mNext)
    if (f->mCentre[2] < back->mCentre[2]) back = f;
  poly.SelectFace(back, false);
  ASSERT_FALSE(poly.IsSelectionVertex());
  auto whiteAtBackCentre = [&](bool selected) {
    const GLBitmap image = DrawScene([&] {
      DrawFaces(&poly, &poly.mFaces, kDrawModePlain, 1.0, 1.0, nullptr);
      if (selected) DrawSelectedFace(&poly, kDrawModePlain, 1.0, 1.0);
    });
    int xy[2];
    ToPixel(back->mCentre, xy);
    int white = 0;
    for (int dy = -4; dy <= 4; ++dy)
      for (int dx = -4; dx <= 4; ++dx) {
        const Rgba c = PixelAt(image, xy[0] + dx, xy[1] + dy);
        white += (c.r > 250 && c.g > 250 && c.b > 250) ? 1 : 0;
      }
    return white;
  };
  EXPECT_EQ(whiteAtBackCentre(false), 0);
  EXPECT_GE(whiteAtBackCentre(true), 12);
}

}  // namespace test_SelectionDrawing
