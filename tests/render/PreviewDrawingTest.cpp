// The preview of plain models with its problem edges, drawn polygons, the plane of
// picked points and cross-sections, drawn off screen.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

#include "core/DrawnPolygon.h"
#include "core/Units.h"
#include "model/CrossSection.h"
#include "model/FaceType.h"
#include "model/PointPicker.h"
#include "render/CrossSectionDrawing.h"
#include "render/DrawnPolygonDrawing.h"
#include "render/FaceDiagramDrawing.h"
#include "render/PreviewDrawing.h"
#include "symmetry/SimplePoly.h"
#include "tests/render/ModelTestSupport.h"

namespace test_PreviewDrawing {

using namespace corvia;
using corvia::testing::IsBackground;
using corvia::testing::ModelView;
using corvia::testing::PixelAt;
using corvia::testing::Rgba;
using corvia::testing::TestModel;

constexpr int kSize = 100;

class PreviewDrawing : public corvia::testing::GLTest {
 protected:
  GLBitmap DrawScene(const std::function<void()>& scene) {
    ModelView view;
    view.lit = false;
    view.scene = [&scene](corvia::testing::TestView&) { scene(); };
    auto* window = Show(view, kSize, kSize);
    view.Setup(1.0);
    GLBitmap image = window ? Draw(window) : GLBitmap();
    CloseWindows();
    mWindows.clear();
    return image;
  }
};

// A square of side 1 in the plane z = 0, facing the viewer.
void MakeSquare(SimplePoly& square) {
  const double corners[4][3] = {{-0.5, -0.5, 0}, {0.5, -0.5, 0}, {0.5, 0.5, 0}, {-0.5, 0.5, 0}};
  for (int i = 0; i < 4; ++i) square.VertAt(i).SetPos(corners[i]);
  square.FaceAt(0).SetNumVerts(4);
  for (int i = 0; i < 4; ++i) square.FaceAt(0).SetVertIndex(i, i);
  square.FaceAt(0).color = 0x0000FF;  // red
}

void ExpectColour(const Rgba& c, int r, int g, int b) {
  EXPECT_NEAR(c.r, r, 2);
  EXPECT_NEAR(c.g, g, 2);
  EXPECT_NEAR(c.b, b, 2);
}

TEST_F(PreviewDrawing, AnOpenSquaresEdgesAreLightGreenAndTheModelIsNotOk) {
  SimplePoly square(4, 1);
  MakeSquare(square);
  DrawnPolygon* polygons = nullptr;
  DrawnPolygon* last = nullptr;
  auto* polygon = new DrawnPolygon(polygons, last);
  for (int i = 0; i < 4; ++i) NewPolygonVertex(0, 0, nullptr, square.VertAt(i).pos, polygon->ring);
  ASSERT_GT(polygon->Triangulate(), 0);
  const GLBitmap image = DrawScene([&]() { corvia::Draw(&square, polygons, nullptr, 1.0, 1.0); });
  // The face in its colour; its open edges light green over it.
  ExpectColour(PixelAt(image, kSize / 2, kSize / 2), 255, 0, 0);
  ExpectColour(PixelAt(image, kSize / 2, kSize / 4), 128, 255, 128);
  EXPECT_TRUE(square.flags & kSimpleHasOpenEdges);
  EXPECT_FALSE(square.flags & kSimpleIsOk);
  // With every edge white the model is not marked.
  GetPreviewDrawOptions().allEdgesWhite = true;
  SimplePoly other(4, 1);
  MakeSquare(other);
  const GLBitmap white = DrawScene([&]() { DrawProblemEdges(&other, 1.0, 1.0); });
  GetPreviewDrawOptions().allEdgesWhite = false;
  ExpectColour(PixelAt(white, kSize / 2, kSize / 4), 255, 255, 255);
  EXPECT_FALSE(other.flags & kSimpleHasOpenEdges);
  DeleteDrawnPolygonChain(polygons);
}

TEST_F(PreviewDrawing, ThreePickedPointsDrawTheirTriangle) {
  PointPicker& picker = GetPointPicker(0);
  picker.Reset();
  const double points[3][3] = {{-0.8, -0.8, 0}, {0.8, -0.8, 0}, {0.0, 0.8, 0}};
  for (const auto& p : points) picker.StorePoint(p, 3, kPickAppend);
  ASSERT_EQ(picker.mCount, 3);
  const GLBitmap image = DrawScene([&]() {
    glColor3f(0, 0, 1);
    DrawPlane(&picker);
  });
  ExpectColour(PixelAt(image, kSize / 2, kSize / 2), 0, 0, 255);
  EXPECT_TRUE(IsBackground(PixelAt(image, 5, 5)));
  picker.Reset();
}

TEST_F(PreviewDrawing, ACubeSlicedAcrossItsMiddleShowsAFilledSquare) {
  double* frame = SlicingFrame();
  for (int i = 0; i < 16; ++i) frame[i] = (i % 5 == 0) ? 1.0 : 0.0;
  SliceDepth() = 0.5;
  TestModel cube("4.4.4");
  ASSERT_TRUE(cube.built);
  ASSERT_TRUE(cube.poly.BuildCrossSection());
  const float* colour = cube.poly.mFaces.mHead->GetColour();
  const GLBitmap image = DrawScene([&]() {
    const double a[3] = {1, 0, 0}, b[3] = {0, 1, 0}, c[3] = {0, 0, 0};
    DrawCrossSection(cube.poly.mCrossSection.get(), a, b, c);
  });
  ExpectColour(PixelAt(image, kSize / 2, kSize / 2), RoundToInt(colour[0] * 255), RoundToInt(colour[1] * 255),
               RoundToInt(colour[2] * 255));
  // The square reaches 0.577 from the centre; beyond it nothing.
  EXPECT_FALSE(IsBackground(PixelAt(image, kSize / 2 + 25, kSize / 2)));
  EXPECT_TRUE(IsBackground(PixelAt(image, kSize / 2 + 35, kSize / 2)));
}

// A printed page that keeps what it is given.
class RecordingPage : public CellPrintTarget {
 public:
  void SelectSolidBrush(int r, int g, int b) override { brushes.push_back({r, g, b}); }
  void RestoreBrush() override { ++restored; }
  void PrintClippedPolygon(const double*, int count) override { polygons += count == 3 ? 1 : 0; }
  std::vector<std::array<int, 3>> brushes;
  int restored = 0;
  int polygons = 0;
};

TEST(CellPrinting, GreyscaleGivesEveryCellOneGrey) {
  TestModel star("5/2.5/2.5/2.5/2.5/2");
  ASSERT_TRUE(star.built);
  star.poly.UpdateCellColours(false);
  PolyElement* face = star.poly.mFaces.mHead;
  const FaceDiagramResult* result = &face->mType->mResults[0];
  const double identity[6] = {1, 0, 0, 1, 0, 0};
  RecordingPage colour;
  DrawFaceDiagramCellsGdi(result, face->GetCellColours(0)->mCells, identity, kDiagramSourceFaces, nullptr, colour);
  ASSERT_EQ(colour.brushes.size(), 2u);
  EXPECT_EQ(colour.restored, 2);
  EXPECT_EQ(colour.polygons, 8);  // five points and the pentagon's three
  EXPECT_EQ(colour.brushes[0][0], RoundToInt(face->mColor[0] * 255));

  UnitSettings& units = GetUnitSettings();
  const int32_t shading = units.mPrintShading;
  units.mPrintShading = kPrintShadingGreyscale;
  RecordingPage grey;
  DrawFaceDiagramCellsGdi(result, face->GetCellColours(0)->mCells, identity, kDiagramSourceFaces, nullptr, grey);
  units.mPrintShading = shading;
  ASSERT_EQ(grey.brushes.size(), 2u);
  const int level = RoundToInt(units.mPrintShadeMax * 255.0f);
  for (const auto& brush : grey.brushes) EXPECT_EQ(brush, (std::array<int, 3>{level, level, level}));
}

}  // namespace test_PreviewDrawing
