// Labels of elements and edges drawn in the panes' fonts: where the label settings put
// the glyphs (size, placement, anchor), and the offset that lifts a label out of the
// model towards the eye.

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <functional>

#include "core/HtmlText.h"
#include "model/Edge.h"
#include "model/ElementLabels.h"
#include "render/ElementDrawing.h"
#include "render/GLFont.h"
#include "render/GLText.h"
#include "render/ModelDrawSettings.h"
#include "render/VertexEdgeDrawing.h"
#include "tests/render/ModelTestSupport.h"

namespace test_LabelDrawing {

using namespace corvia;
using corvia::testing::ModelView;
using corvia::testing::PixelAt;
using corvia::testing::TestModel;

constexpr int kSize = 300;
constexpr double kHalfHeight = 1.5;  // 100 pixels a unit, the origin at (150, 150)

struct Box {
  double left = DBL_MAX, top = DBL_MAX, right = -DBL_MAX, bottom = -DBL_MAX;
  bool Empty() const { return right < left; }
  double Width() const { return right - left; }
  double Height() const { return bottom - top; }
};

// The box of the pixels that pass the test.
Box BoxOf(const GLBitmap& image, const std::function<bool(const corvia::testing::Rgba&)>& test) {
  Box box;
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      if (!test(PixelAt(image, x, y))) continue;
      box.left = std::min<double>(box.left, x), box.right = std::max<double>(box.right, x);
      box.top = std::min<double>(box.top, y), box.bottom = std::max<double>(box.bottom, y);
    }
  }
  return box;
}

bool IsText(const corvia::testing::Rgba& c) {
  return c.r > 160 && c.g > 160 && c.b > 160;
}

class LabelDrawing : public corvia::testing::GLTest {
 protected:
  void SetUp() override {
    corvia::testing::GLTest::SetUp();
    mSavedNumbers = DiagnosticNumbers;
    DiagnosticNumbers = 0;
  }
  void TearDown() override {
    DiagnosticNumbers = mSavedNumbers;
    GetModelDrawSettings() = ModelDrawSettings();
    corvia::testing::GLTest::TearDown();
  }

  // Draws the scene in a pane looking down -z at the origin (orthogonal, or in
  // perspective from (0, 0, 5)); the layout's box of the text at the size is measured
  // in the same context.
  GLBitmap DrawScene(bool orthogonal, const std::function<void()>& scene, const char* measure = nullptr,
                     double size = 0.0) {
    ModelView view;
    view.lit = false;
    view.scene = [&](corvia::testing::TestView&) { scene(); };
    auto* window = Show(view, kSize, kSize);
    view.Setup(kHalfHeight);
    view.Camera().SetOrthogonal(orthogonal);
    GLBitmap image = window ? Draw(window) : GLBitmap();
    if (measure && PreOpenGL(&view)) {
      mBoxMin[0] = mBoxMin[1] = FLT_MAX;
      mBoxMax[0] = mBoxMax[1] = -FLT_MAX;
      double pen[3] = {0.0, 0.0, 0.0};
      DrawHtmlAt(pen, static_cast<float>(size), -1.0f, measure, kTextMeasureOnly, mBoxMin, mBoxMax, -1, 0);
      PostOpenGL(&view);
    }
    if (PreOpenGL(&view)) {
      FreeAllFonts();
      PostOpenGL(&view);
    }
    CloseWindows();
    mWindows.clear();
    return image;
  }

  // The layout box in pixels for a text whose anchor point is the origin.
  Box Expected(double anchorX, double anchorY) const {
    constexpr double kPerUnit = kSize / 2.0 / kHalfHeight;
    Box box;
    box.left = kSize / 2.0 + (mBoxMin[0] - anchorX) * kPerUnit;
    box.right = kSize / 2.0 + (mBoxMax[0] - anchorX) * kPerUnit;
    box.top = kSize / 2.0 - (mBoxMax[1] - anchorY) * kPerUnit;
    box.bottom = kSize / 2.0 - (mBoxMin[1] - anchorY) * kPerUnit;
    return box;
  }

  float mBoxMin[2] = {0, 0}, mBoxMax[2] = {0, 0};
  uint32_t mSavedNumbers = 0;
};

// The layout box is the glyphs' extent with the font's side bearings; the drawn
// pixels lie within it and fill most of it.
void ExpectGlyphsFill(const Box& drawn, const Box& expected) {
  ASSERT_FALSE(drawn.Empty());
  EXPECT_GE(drawn.left, expected.left - 2);
  EXPECT_LE(drawn.right, expected.right + 2);
  EXPECT_GE(drawn.top, expected.top - 2);
  EXPECT_LE(drawn.bottom, expected.bottom + 2);
  EXPECT_GT(drawn.Width(), 0.75 * expected.Width());
  EXPECT_GT(drawn.Height(), 0.75 * expected.Height());
}

// A face label at the size its settings give (mode 0: 1, times the factor, times the
// font size), lying flat (centred on its point), reading out of the surface from its
// point along the normal (extend), or standing on the face (seen edge-on from above).
TEST_F(LabelDrawing, AnElementLabelTakesTheSizeAndPlacementOfItsSettings) {
  TestModel cube("4.4.4");
  ASSERT_TRUE(cube.built);
  PolyElement* face = cube.poly.mFaces.mHead;
  face->SetLabel("HEH");
  ModelDrawSettings& settings = GetModelDrawSettings();
  settings.labelSizeMode = 0;
  settings.labelSizeFactor = 4.0;
  const double size = 4.0 * settings.labelFontSize;
  const double origin[3] = {0.0, 0.0, 0.0};
  const double xAxis[3] = {1.0, 0.0, 0.0}, yAxis[3] = {0.0, 1.0, 0.0}, zAxis[3] = {0.0, 0.0, 1.0};

  settings.faceLabelTextMode = kTextAnchorCentre;
  GLBitmap image = DrawScene(
      true, [&] { DrawLabel(face, origin, xAxis, zAxis); }, "HEH", size);
  const Box flat = BoxOf(image, IsText);
  ExpectGlyphsFill(flat, Expected((mBoxMin[0] + mBoxMax[0]) / 2.0, (mBoxMin[1] + mBoxMax[1]) / 2.0));
  EXPECT_NEAR((flat.left + flat.right) / 2.0, 150.0, 3.0);
  EXPECT_NEAR((flat.top + flat.bottom) / 2.0, 150.0, 3.0);

  // Twice the factor, twice the glyphs.
  settings.labelSizeFactor = 8.0;
  image = DrawScene(true, [&] { DrawLabel(face, origin, xAxis, zAxis); });
  const Box twice = BoxOf(image, IsText);
  EXPECT_NEAR(twice.Width(), 2.0 * flat.Width(), 4.0);
  EXPECT_NEAR(twice.Height(), 2.0 * flat.Height(), 4.0);
  settings.labelSizeFactor = 4.0;

  // Extending from the point along the normal (+x here), its first axis up.
  settings.faceLabelTextMode = kTextAnchorLeftMiddle;
  image = DrawScene(
      true, [&] { DrawLabel(face, origin, yAxis, xAxis); }, "HEH", size);
  const Box extend = BoxOf(image, IsText);
  ExpectGlyphsFill(extend, Expected(mBoxMin[0], (mBoxMin[1] + mBoxMax[1]) / 2.0));
  EXPECT_GT(extend.right, 150.0 + 0.75 * flat.Width());

  // Standing on a face that faces the viewer, and extending towards the viewer: edge-on.
  for (uint32_t mode : {kTextAnchorBottomCentre, kTextAnchorLeftMiddle}) {
    settings.faceLabelTextMode = mode;
    image = DrawScene(true, [&] { DrawLabel(face, origin, xAxis, zAxis); });
    const Box edgeOn = BoxOf(image, IsText);
    EXPECT_TRUE(edgeOn.Empty() || edgeOn.Height() < 3 || edgeOn.Width() < 3) << "mode " << mode;
  }
}

// A face's text lies flat on a face that faces the viewer, and however long it is or
// however large the label size, it stays within the face.
TEST_F(LabelDrawing, AFaceTextLiesOnItsFaceAndStaysWithinIt) {
  TestModel cube("4.4.4");
  ASSERT_TRUE(cube.built);
  PolyElement* face = nullptr;
  double best = -1.0;
  for (PolyElement* f = cube.poly.mFaces.mHead; f; f = f->mNext) {
    double n[3];
    f->GetNormal(n);
    if (n[2] > best) best = n[2], face = f;
  }
  ASSERT_NE(face, nullptr);
  ASSERT_GT(best, 0.999);
  Box square;
  for (int i = 0; i < face->mNumSides; ++i) {
    const double* p = face->mNeighbours[i]->mDualVert;
    square.left = std::min(square.left, 150.0 + 100.0 * p[0]), square.right = std::max(square.right, 150.0 + 100.0 * p[0]);
    square.top = std::min(square.top, 150.0 - 100.0 * p[1]), square.bottom = std::max(square.bottom, 150.0 - 100.0 * p[1]);
  }
  face->SetLabel("A rather long text for one face");
  GetModelDrawSettings().labelSizeFactor = 12.0;
  const Box text = BoxOf(DrawScene(true, [&] { DrawTextIfShown(face, 1.0, 1.0); }), IsText);
  ASSERT_FALSE(text.Empty());
  // Flat and face-on: one line of text along the face's first axis.
  EXPECT_GT(std::max(text.Width(), text.Height()), 4.0 * std::min(text.Width(), text.Height()));
  EXPECT_GE(text.left, square.left - 2);
  EXPECT_LE(text.right, square.right + 2);
  EXPECT_GE(text.top, square.top - 2);
  EXPECT_LE(text.bottom, square.bottom + 2);
}

// Facing the viewer, a label is moved towards the eye by the element's radius, so
// that it shows in front of the faces around its point; without that offset it stays
// behind a face nearer than its own.
TEST_F(LabelDrawing, TheFacingOffsetLiftsALabelOutOfTheModel) {
  TestModel cube("4.4.4");
  ASSERT_TRUE(cube.built);
  PolyElement* face = cube.poly.mFaces.mHead;
  face->SetLabel("HEH");
  ASSERT_GT(face->GetRadius(), 0.4);
  ModelDrawSettings& settings = GetModelDrawSettings();
  settings.labelSizeFactor = 4.0;
  const double behind[3] = {0.0, 0.0, -0.3};
  const double xAxis[3] = {1.0, 0.0, 0.0}, zAxis[3] = {0.0, 0.0, 1.0};
  auto scene = [&] {
    OpenGLView* view = OpenGLView::GetCurrent();
    view->Materials().SetMaterialColorRGB(1.0f, 0.0f, 0.0f);
    glBegin(GL_QUADS);
    glVertex3d(-1.0, -1.0, 0.0);
    glVertex3d(1.0, -1.0, 0.0);
    glVertex3d(1.0, 1.0, 0.0);
    glVertex3d(-1.0, 1.0, 0.0);
    glEnd();
    DrawLabel(face, behind, xAxis, zAxis);
  };
  settings.faceLabelTextMode = kTextAnchorCentre;
  const Box hidden = BoxOf(DrawScene(false, scene), IsText);
  EXPECT_TRUE(hidden.Empty());
  settings.faceLabelTextMode = kTextAnchorCentreFacing;
  const Box lifted = BoxOf(DrawScene(false, scene), IsText);
  ASSERT_FALSE(lifted.Empty());
  EXPECT_NEAR((lifted.left + lifted.right) / 2.0, 150.0, 4.0);
}

// Edge numbers stand 0.4 of the way along their edges, facing the viewer.
TEST_F(LabelDrawing, EdgeNumbersStandAlongTheirEdges) {
  TestModel cube("4.4.4");
  ASSERT_TRUE(cube.built);
  const double turn[3] = {0.3, 0.5, 0.8};
  corvia::testing::TurnTowardsViewer(cube.poly, turn);
  DiagnosticNumbers = kShowEdgeNumbers;
  ModelDrawSettings& settings = GetModelDrawSettings();
  settings.labelTextMode = kTextAnchorCentreFacing;
  settings.labelSizeFactor = 3.0;
  const GLBitmap image = DrawScene(true, [&] { DrawLabels(&cube.poly, kBaseBlock, 1.0, 1.0); });
  // Every edge's label is centred where its 0.4 point projects.
  int found = 0;
  for (int e = 0; e < cube.poly.mNumEdges; ++e) {
    const Edge& edge = cube.poly.mEdgeArray[e];
    double p[3];
    for (int k = 0; k < 3; ++k)
      p[k] = edge.mVert1->mDualVert[k] + 0.4 * (edge.mVert2->mDualVert[k] - edge.mVert1->mDualVert[k]);
    const int x = static_cast<int>(std::lround(150.0 + 100.0 * p[0]));
    const int y = static_cast<int>(std::lround(150.0 - 100.0 * p[1]));
    bool any = false;
    for (int dy = -5; dy <= 5 && !any; ++dy) {
      for (int dx = -8; dx <= 8 && !any; ++dx) any = IsText(PixelAt(image, x + dx, y + dy));
    }
    found += any ? 1 : 0;
  }
  EXPECT_EQ(found, cube.poly.mNumEdges);
}

// An edge's text stands across the surface along its edge: seen from the side its
// plane faces away from (an edge at the back of a turned cube, or one seen through a
// hidden face), it turns round and reads the right way, not mirrored. An "L" tells:
// its stem stands on the left of the text as it reads, its foot below.
TEST_F(LabelDrawing, AnEdgeTextReadsTheRightWayRoundFromEitherSide) {
  TestModel cube("4.4.4");
  ASSERT_TRUE(cube.built);
  const double turn[3] = {0.3, 0.5, 0.8};
  corvia::testing::TurnTowardsViewer(cube.poly, turn);
  GetModelDrawSettings().labelSizeFactor = 8.0;
  int fromBehind = 0;
  for (int e = 0; e < cube.poly.mNumEdges; ++e) {
    Edge& edge = cube.poly.mEdgeArray[e];
    double up[3], outward[3];
    edge.GetVector(up, false);
    NormaliseVector(up, up);
    edge.GetOutwardNormal(outward, false);
    // Texts seen nearly edge-on, or edges nearly along the line of sight, tell nothing.
    if (std::fabs(outward[2]) < 0.3 || std::hypot(up[0], up[1]) < 0.6) continue;
    fromBehind += outward[2] < 0.0 ? 1 : 0;
    edge.SetLabel("L");
    const GLBitmap image = DrawScene(true, [&] { DrawLabels(&cube.poly, kBaseBlock, 1.0, 1.0); });
    edge.SetLabel(nullptr);
    // The text's up on the screen (y down in the image) is the edge's, its right a
    // quarter turn clockwise from it.
    const double u[2] = {up[0] / std::hypot(up[0], up[1]), -up[1] / std::hypot(up[0], up[1])};
    const double r[2] = {-u[1], u[0]};
    const Box box = BoxOf(image, IsText);
    ASSERT_FALSE(box.Empty()) << "edge " << e;
    const double centre[2] = {(box.left + box.right) / 2.0, (box.top + box.bottom) / 2.0};
    double along = 0.0;
    int count = 0;
    for (int y = 0; y < image.height; ++y) {
      for (int x = 0; x < image.width; ++x) {
        if (!IsText(PixelAt(image, x, y))) continue;
        along += (x - centre[0]) * r[0] + (y - centre[1]) * r[1];
        ++count;
      }
    }
    EXPECT_LT(along / count, 0.0) << "edge " << e << " reads mirrored (its outward normal's z " << outward[2] << ")";
  }
  EXPECT_GT(fromBehind, 0);
}

}  // namespace test_LabelDrawing
