// The model's faces drawn off screen: silhouettes against the projected outline
// worked out here, star faces filled by their winding, translucent faces blended back
// to front, the passes of every face draw mode, the augmentation preview, and reference
// images.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "construction/Augmentation.h"
#include "construction/DerivedModels.h"
#include "construction/DualMorph.h"
#include "model/ColorSchemes.h"
#include "model/ElementFlags.h"
#include "model/FaceDiagramCells.h"
#include "model/FaceTypeBlock.h"
#include "render/AugmentationDraw.h"
#include "render/GLSelection.h"
#include "render/LightSets.h"
#include "render/ModelDrawSettings.h"
#include "render/SelectionItems.h"
#include "symmetry/SimplePoly.h"
#include "tests/render/ModelTestSupport.h"
#include "tests/support/PlaneHull.h"

namespace test_ModelDrawing {

using namespace corvia;
using corvia::testing::IsBackground;
using corvia::testing::ModelView;
using corvia::testing::PixelAt;
using corvia::testing::Rgba;
using corvia::testing::TestModel;

constexpr int kSize = 200;
constexpr double kHalfHeight = 1.25;

const char* const kCube = "4.4.4";
const char* const kIcosahedron = "3.3.3.3.3";
const char* const kSmallStellatedDodecahedron = "5/2.5/2.5/2.5/2.5/2";
const char* const kGreatDodecahedron = "(5.5.5.5.5)/2";
const char* const kOctahemioctahedron = "3.6.3/2.6";

// A general direction, so that no face is seen edge-on.
const double kOblique[3] = {0.3, 0.5, 0.8};

class ModelDrawing : public corvia::testing::GLTest {
 protected:
  void TearDown() override {
    CloseWindows();
    CellDisplayFlags() = kCellDefaultFlags;
    GetModelDrawSettings() = ModelDrawSettings();
    corvia::testing::GLTest::TearDown();
  }

  GLBitmap DrawModel(Poly& poly, int mode = kDrawModePlain, bool lit = true, int size = kSize) {
    ModelView view;
    view.poly = &poly;
    view.drawMode = mode;
    view.lit = lit;
    auto* window = Show(view, size, size);
    view.Setup(kHalfHeight);
    GLBitmap image = window ? Draw(window) : GLBitmap();
    CloseWindows();
    mWindows.clear();
    return image;
  }
};

// Window pixel of a model point in the test's orthogonal view: 100 / 1.25 pixels a unit.
void ToPixel(const double* p, double* xy, int size = kSize) {
  const double perUnit = (size / 2.0) / kHalfHeight;
  xy[0] = size / 2.0 + p[0] * perUnit;
  xy[1] = size / 2.0 - p[1] * perUnit;
}

// Whether the 2D point lies in the polygon by its winding (a star polygon covers its
// centre twice).
bool InsideByWinding(const std::vector<double>& polygon, double x, double y) {
  int winding = 0;
  const size_t n = polygon.size() / 2;
  for (size_t i = 0; i < n; ++i) {
    const double* a = &polygon[2 * i];
    const double* b = &polygon[2 * ((i + 1) % n)];
    const double cross = (b[0] - a[0]) * (y - a[1]) - (x - a[0]) * (b[1] - a[1]);
    if (a[1] <= y && b[1] > y && cross > 0) ++winding;
    if (a[1] > y && b[1] <= y && cross < 0) --winding;
  }
  return winding != 0;
}

// Which pixel centres the faces of the model cover, projected along z: worked out
// from the corners alone, without any of the drawing code.
std::vector<bool> ProjectedCover(Poly& poly) {
  std::vector<std::vector<double>> polygons;
  for (PolyElement* f = poly.mFaces.mHead; f; f = f->mNext) {
    std::vector<double> polygon;
    for (int i = 0; i < f->mNumSides; ++i) {
      double xy[2];
      ToPixel(f->mNeighbours[i]->mDualVert, xy);
      polygon.push_back(xy[0]);
      polygon.push_back(xy[1]);
    }
    polygons.push_back(polygon);
  }
  std::vector<bool> cover(kSize * kSize, false);
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      for (const auto& polygon : polygons) {
        if (InsideByWinding(polygon, x + 0.5, y + 0.5)) {
          cover[y * kSize + x] = true;
          break;
        }
      }
    }
  }
  return cover;
}

// Covered pixels with an uncovered neighbour: the pixels along the outline.
int BoundaryPixels(const std::vector<bool>& cover) {
  int boundary = 0;
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      if (!cover[y * kSize + x]) continue;
      bool edge = x == 0 || y == 0 || x == kSize - 1 || y == kSize - 1;
      for (auto [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
        const int nx = x + dx, ny = y + dy;
        if (nx >= 0 && ny >= 0 && nx < kSize && ny < kSize && !cover[ny * kSize + nx]) edge = true;
      }
      boundary += edge ? 1 : 0;
    }
  }
  return boundary;
}

// The area of the convex hull of the projected vertices, in pixels.
double HullArea(Poly& poly) {
  std::vector<std::pair<double, double>> points;
  for (PolyElement* v = poly.mVertices.mHead; v; v = v->mNext) {
    double xy[2];
    ToPixel(v->mDualVert, xy);
    points.emplace_back(xy[0], xy[1]);
  }
  return corvia::testing::PolygonArea(corvia::testing::PlaneHull(std::move(points)));
}

int CountModelPixels(const GLBitmap& image) {
  int count = 0;
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x) count += IsBackground(PixelAt(image, x, y)) ? 0 : 1;
  return count;
}

TEST_F(ModelDrawing, SilhouettesCoverTheProjectedOutline) {
  for (const char* configuration :
       {kCube, kIcosahedron, kSmallStellatedDodecahedron, kGreatDodecahedron, kOctahemioctahedron}) {
    SCOPED_TRACE(configuration);
    TestModel model(configuration);
    ASSERT_TRUE(model.built);
    corvia::testing::TurnTowardsViewer(model.poly, kOblique);
    const GLBitmap image = DrawModel(model.poly);
    const std::vector<bool> cover = ProjectedCover(model.poly);
    const int expected = static_cast<int>(std::count(cover.begin(), cover.end(), true));
    const int boundary = BoundaryPixels(cover);
    const int drawn = CountModelPixels(image);
    EXPECT_NEAR(drawn, expected, boundary);
    // Inside the outline, away from it, every pixel is drawn.
    int holes = 0;
    for (int y = 1; y + 1 < kSize; ++y) {
      for (int x = 1; x + 1 < kSize; ++x) {
        bool deep = true;
        for (int dy = -1; dy <= 1; ++dy)
          for (int dx = -1; dx <= 1; ++dx) deep = deep && cover[(y + dy) * kSize + x + dx];
        if (deep && IsBackground(PixelAt(image, x, y))) ++holes;
      }
    }
    EXPECT_EQ(holes, 0);
    if (configuration == kCube || configuration == kIcosahedron) {
      EXPECT_NEAR(drawn, HullArea(model.poly), boundary);
    }
  }
}

// The small stellated dodecahedron seen along a 5-fold axis, every face hidden but
// the front pentagram (from outside, the spike on it hides its centre).
struct PentagramView {
  TestModel model{kSmallStellatedDodecahedron};
  PolyElement* front = nullptr;
  PentagramView() {
    front = model.poly.mFaces.mHead;
    double normal[3];
    front->GetNormal(normal);
    corvia::testing::TurnTowardsViewer(model.poly, normal);
    const float green[3] = {0.0f, 1.0f, 0.0f};
    CopyFloat3(front->mColor, green);
    CopyFloat3(front->mBackColor, green);
    for (PolyElement* f = front->mNext; f; f = f->mNext) f->mFlags |= kElementHidden;
    model.poly.mPolyFlags |= kPolyFlagCellColoursFront;
  }
};

bool Greenish(const Rgba& c) {
  return c.g > 60 && c.g > 2 * c.r && c.g > 2 * c.b;
}

TEST_F(ModelDrawing, APentagramFaceFillsItsCentreByItsWinding) {
  PentagramView star;
  ASSERT_TRUE(star.model.built);
  // One of the points of the pentagram: covered once.
  double tip[3];
  for (int k = 0; k < 3; ++k) tip[k] = 0.75 * star.front->mNeighbours[0]->mDualVert[k] + 0.25 * star.front->mCentre[k];
  double tipPixel[2];
  ToPixel(tip, tipPixel);

  const GLBitmap filled = DrawModel(star.model.poly);
  EXPECT_TRUE(Greenish(PixelAt(filled, kSize / 2, kSize / 2)));
  EXPECT_TRUE(Greenish(PixelAt(filled, static_cast<int>(tipPixel[0]), static_cast<int>(tipPixel[1]))));

  // By the even-odd rule the centre, covered twice, is empty.
  CellDisplayFlags() = kCellDefaultFlags | kCellEvenOdd;
  star.model.poly.mPolyFlags |= kPolyFlagCellColoursFront;
  const GLBitmap evenOdd = DrawModel(star.model.poly);
  EXPECT_TRUE(IsBackground(PixelAt(evenOdd, kSize / 2, kSize / 2)));
  EXPECT_TRUE(Greenish(PixelAt(evenOdd, static_cast<int>(tipPixel[0]), static_cast<int>(tipPixel[1]))));
}

// A translucent cube looked at face-on: the far face shows through the near one.
TEST_F(ModelDrawing, TheFarFacesOfATranslucentCubeShowThroughBlended) {
  TestModel cube(kCube);
  ASSERT_TRUE(cube.built);
  const double axis[3] = {0, 0, 1};
  PolyElement* nearFace = nullptr;
  PolyElement* farFace = nullptr;
  for (PolyElement* f = cube.poly.mFaces.mHead; f; f = f->mNext) {
    double n[3];
    f->GetNormal(n);
    if (Dot(n, axis) > 0.99) nearFace = f;
    if (Dot(n, axis) < -0.99) farFace = f;
    f->SetOpacity(0.5f);
  }
  ASSERT_TRUE(nearFace && farFace);
  const float red[3] = {1, 0, 0}, blue[3] = {0, 0, 1};
  CopyFloat3(nearFace->mColor, red);
  CopyFloat3(farFace->mColor, blue);
  // The far face is seen from inside: in its back colour.
  CopyFloat3(farFace->mBackColor, blue);
  cube.poly.mPolyFlags |= kPolyFlagCellColoursFront;
  const GLBitmap image = DrawModel(cube.poly, kDrawModePlain, false);
  // Far face over black, then the near face over that: 0.5 red + 0.5 (0.5 blue).
  const Rgba centre = PixelAt(image, kSize / 2, kSize / 2);
  EXPECT_NEAR(centre.r, 128, 2);
  EXPECT_NEAR(centre.g, 0, 2);
  EXPECT_NEAR(centre.b, 64, 2);
  // Nothing is left queued for the next pass.
  const DepthSortStatistics stats = GetDepthSortStatistics();
  EXPECT_EQ(stats.sortedQueue + stats.firstQueue + stats.lastQueue, 0);
}

TEST_F(ModelDrawing, ReferenceImages) {
  struct Case {
    const char* configuration;
    const char* name;
    bool translucent;
  };
  for (const Case& c :
       {Case{kCube, "model-cube", false}, Case{kIcosahedron, "model-icosahedron", false},
        Case{kSmallStellatedDodecahedron, "model-small-stellated-dodecahedron", false},
        Case{kGreatDodecahedron, "model-great-dodecahedron", false},
        Case{kOctahemioctahedron, "model-octahemioctahedron", false}, Case{kCube, "model-translucent-cube", true}}) {
    SCOPED_TRACE(c.name);
    TestModel model(c.configuration);
    ASSERT_TRUE(model.built);
    corvia::testing::TurnTowardsViewer(model.poly, kOblique);
    if (c.translucent) {
      for (PolyElement* f = model.poly.mFaces.mHead; f; f = f->mNext) f->SetOpacity(0.5f);
      model.poly.mPolyFlags |= kPolyFlagCellColoursFront;
    }
    corvia::testing::ExpectMatchesFixture(DrawModel(model.poly, kDrawModePlain, true, 160), c.name);
  }
}

// Each face draw mode once for a star model, with the passes each face takes.
TEST_F(ModelDrawing, EveryDrawModeDrawsAStarModel) {
  TestModel model(kSmallStellatedDodecahedron);
  ASSERT_TRUE(model.built);
  for (int mode = 0; mode < kNumDrawModes; ++mode) {
    SCOPED_TRACE(mode);
    ModelView view;
    view.poly = &model.poly;
    view.drawMode = mode;
    auto* window = Show(view, 64, 64);
    ASSERT_NE(window, nullptr);
    view.Setup(kHalfHeight);
    window->Paint();
    // Every face takes one pass; a pick draws each face once.
    ASSERT_TRUE(PreOpenGL(&view));
    view.UpdateViewport();
    view.SetViewingMatrix(kMatrixProjection, true);
    for (PolyElement* f = model.poly.mFaces.mHead; f; f = f->mNext) {
      int pass = 0, piece = 0, calls = 1;
      while (DrawFacePass(f, mode, 1.0, 1.0, FaceColourOverride(), pass, piece)) ++calls;
      EXPECT_EQ(calls, 1);
      EXPECT_EQ(pass, 1);
    }
    DrawDepthSortedTriangles();
    PostOpenGL(&view);
    CloseWindows();
    mWindows.clear();
  }
}

// Which pixel centres the window polygons (x, y of each corner) cover by their winding.
std::vector<bool> CoverOfPolygons(const std::vector<std::vector<double>>& polygons) {
  std::vector<bool> cover(kSize * kSize, false);
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x)
      for (const auto& polygon : polygons)
        if (InsideByWinding(polygon, x + 0.5, y + 0.5)) {
          cover[y * kSize + x] = true;
          break;
        }
  return cover;
}

// Which pixel centres the faces of a plain model cover, projected along z.
std::vector<bool> ProjectedCover(const SimplePoly& model) {
  std::vector<std::vector<double>> polygons;
  for (int f = 0; f < model.NumFaces(); ++f) {
    const SimpleFace& face = model.FaceAt(f);
    if (face.IsTemp()) continue;
    std::vector<double> polygon;
    for (int32_t v : face.items) {
      double xy[2];
      ToPixel(model.VertAt(v).pos, xy);
      polygon.push_back(xy[0]);
      polygon.push_back(xy[1]);
    }
    polygons.push_back(polygon);
  }
  return CoverOfPolygons(polygons);
}

// A morph pane shows the model the morph builder makes at the same ratio: the drawing
// of both the faces and the vertices covers what the built model's faces cover.
TEST_F(ModelDrawing, MorphPanesShowTheMorphModels) {
  struct Morph {
    int mode;
    uint32_t viewType;
  };
  for (const double t : {0.3, 0.7}) {
    for (const Morph m :
         {Morph{kDrawModeTruncation, kViewMorphByTruncation}, Morph{kDrawModeAugmentation, kViewMorphByAugmentation},
          Morph{kDrawModeTiltingQuads, kViewMorphTiltingQuads},
          Morph{kDrawModeTiltingTriangles, kViewMorphTiltingTriangles},
          Morph{kDrawModeTiltingToRectification, kViewMorphTiltingRectification},
          Morph{kDrawModeTiltingToCompound, kViewMorphTiltingCompound}}) {
      SCOPED_TRACE(::testing::Message() << "mode " << m.mode << " at " << t);
      TestModel cube(kCube);
      ASSERT_TRUE(cube.built);
      corvia::testing::TurnTowardsViewer(cube.poly, kOblique);
      DualMorphRatio() = t;
      std::unique_ptr<SimplePoly> built(DeriveModelForViewType(cube.poly, m.viewType, 0, nullptr, nullptr));
      ASSERT_TRUE(built);
      SetTruncationMorphScale(&cube.poly, t);
      SetAugmentationMorphScale(&cube.poly, t);
      ModelView view;
      view.scene = [&](corvia::testing::TestView&) {
        DrawFaces(&cube.poly, &cube.poly.mFaces, m.mode, 1.0, 1.0, nullptr);
        DrawFaces(&cube.poly, &cube.poly.mVertices, m.mode, 1.0, 1.0, nullptr);
      };
      auto* window = Show(view, kSize, kSize);
      ASSERT_NE(window, nullptr);
      view.Setup(kHalfHeight);
      const GLBitmap image = Draw(window);
      CloseWindows();
      mWindows.clear();
      const std::vector<bool> cover = ProjectedCover(*built);
      const int expected = static_cast<int>(std::count(cover.begin(), cover.end(), true));
      EXPECT_GT(expected, 1000);
      EXPECT_NEAR(CountModelPixels(image), expected, BoundaryPixels(cover));
    }
  }
  DualMorphRatio() = 0.5;
}

// Where two neighbours' pyramids lie in one plane the augmentation morph draws their
// quadrilateral, listed from the corners in the other turn than its triangles: it is lit
// on its outer side as the triangles are just before, not shown by its dark back.
TEST_F(ModelDrawing, TheAugmentationMorphLightsItsFlatQuadrilaterals) {
  auto meanRed = [&](double t) {
    TestModel cube(kCube);
    EXPECT_TRUE(cube.built);
    corvia::testing::TurnTowardsViewer(cube.poly, kOblique);
    DualMorphRatio() = t;
    SetAugmentationMorphScale(&cube.poly, t);
    ModelView view;
    view.scene = [&](corvia::testing::TestView&) {
      DrawFaces(&cube.poly, &cube.poly.mFaces, kDrawModeAugmentation, 1.0, 1.0, nullptr);
      DrawFaces(&cube.poly, &cube.poly.mVertices, kDrawModeAugmentation, 1.0, 1.0, nullptr);
    };
    auto* window = Show(view, kSize, kSize);
    EXPECT_NE(window, nullptr);
    if (!window) return 0.0;
    view.Setup(kHalfHeight);
    const GLBitmap image = Draw(window);
    CloseWindows();
    mWindows.clear();
    double sum = 0.0;
    int count = 0;
    for (int y = 0; y < image.height; ++y) {
      for (int x = 0; x < image.width; ++x) {
        const auto c = PixelAt(image, x, y);
        if (IsBackground(c)) continue;
        sum += c.r;
        ++count;
      }
    }
    return count ? sum / count : 0.0;
  };
  // At one half the cube's pyramids make the rhombic dodecahedron: quadrilaterals only.
  const double flat = meanRed(0.5);
  const double pyramids = meanRed(0.47);
  EXPECT_GT(pyramids, 120.0);
  EXPECT_NEAR(flat, pyramids, 0.15 * pyramids);
  DualMorphRatio() = 0.5;
}

// The augmentation preview draws the added pyramid where its placement puts it: the
// solid pass covers what the placed triangles cover, the wire-frame pass draws only
// their outlines, and nothing is drawn without a preview pane.
TEST_F(ModelDrawing, TheAugmentationPreviewDrawsThePiecesInPlace) {
  TestModel cube(kCube);
  ASSERT_TRUE(cube.built);
  // The face looking most along +x: its pyramid stands beside the cube seen from +z.
  PolyElement* side = cube.poly.mFaces.mHead;
  for (PolyElement* f = side; f; f = f->mNext) {
    if (f->mZAxis[0] > side->mZAxis[0]) side = f;
  }
  cube.poly.GetShownBlock()->SetCurrentFace(side);
  Augmentation* augmentation = GetAugmentation(&cube.poly);
  ASSERT_TRUE(
      PrepareAugmentation(&cube.poly, kAugmentPyramid | kPyramidEqualEdges | kAugmentAlwaysPreview, augmentation));
  cube.poly.mDisplayScale = 0.75;
  std::vector<AugmentPreviewFace> faces;
  augmentation->GetPreviewFaces(faces);
  ASSERT_EQ(faces.size(), 4u);  // the base lies on the cube's face

  std::vector<std::vector<double>> triangles;
  for (const AugmentPreviewFace& face : faces) {
    EXPECT_EQ(face.triangles.size(), 9u);
    for (size_t k = 0; k + 8 < face.triangles.size(); k += 9) {
      std::vector<double> polygon;
      for (int c = 0; c < 3; ++c) {
        double p[3], xy[2];
        for (int i = 0; i < 3; ++i) p[i] = cube.poly.mDisplayScale * face.triangles[k + 3 * c + i];
        ToPixel(p, xy);
        polygon.push_back(xy[0]);
        polygon.push_back(xy[1]);
      }
      triangles.push_back(polygon);
    }
  }
  const std::vector<bool> cover = CoverOfPolygons(triangles);
  const int expected = static_cast<int>(std::count(cover.begin(), cover.end(), true));
  ASSERT_GT(expected, 1000);

  auto drawPreview = [&](bool wireFrame) {
    ModelView view;
    augmentation->mView = &view;
    view.scene = [&](corvia::testing::TestView&) { corvia::Draw(augmentation, wireFrame); };
    auto* window = Show(view, kSize, kSize);
    view.Setup(kHalfHeight);
    GLBitmap image = window ? Draw(window) : GLBitmap();
    CloseWindows();
    mWindows.clear();
    augmentation->mView = nullptr;
    return image;
  };
  const GLBitmap solid = drawPreview(false);
  int outside = 0;
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x)
      outside += !cover[y * kSize + x] && !IsBackground(PixelAt(solid, x, y)) ? 1 : 0;
  EXPECT_NEAR(CountModelPixels(solid), expected, BoundaryPixels(cover));
  EXPECT_LT(outside, BoundaryPixels(cover));

  const GLBitmap wire = drawPreview(true);
  const int lines = CountModelPixels(wire);
  EXPECT_GT(lines, 100);
  EXPECT_LT(lines, expected / 2);

  // Without its pane the preview draws nothing.
  ModelView view;
  view.scene = [&](corvia::testing::TestView&) { corvia::Draw(augmentation, false); };
  auto* window = Show(view, kSize, kSize);
  view.Setup(kHalfHeight);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(CountModelPixels(Draw(window)), 0);
  augmentation->Reset();
}

TEST_F(ModelDrawing, FacesWithAnOpaqueImageInTheirRingTakeADepthPass) {
  TestModel model(kCube);
  ASSERT_TRUE(model.built);
  ModelView view;
  auto* window = Show(view, 64, 64);
  ASSERT_NE(window, nullptr);
  view.Setup(kHalfHeight);
  window->Paint();
  PolyElement* face = model.poly.mFaces.mHead;
  face->mFlags |= kElementOpaqueImageInRing;
  ASSERT_TRUE(PreOpenGL(&view));
  view.UpdateViewport();
  view.SetViewingMatrix(kMatrixProjection, true);
  int pass = 0, piece = 0, calls = 1;
  while (DrawFacePass(face, kDrawModePlain, 1.0, 1.0, FaceColourOverride(), pass, piece)) ++calls;
  EXPECT_EQ(calls, 2);
  // Depth writes and the transparency are back as they were.
  GLboolean depthWrites = GL_FALSE;
  glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
  EXPECT_EQ(depthWrites, GL_TRUE);
  EXPECT_EQ(view.Materials().GetTransparencyMode(), kTransparencyOpaque);
  PostOpenGL(&view);
}

TEST_F(ModelDrawing, PickingNamesTheFaceUnderThePoint) {
  TestModel model(kCube);
  ASSERT_TRUE(model.built);
  InitGLSelection(kNumSelectionItemKinds);
  ModelView view;
  view.poly = &model.poly;
  auto* window = Show(view, kSize, kSize);
  ASSERT_NE(window, nullptr);
  view.Setup(kHalfHeight);
  window->Paint();
  const double axis[3] = {0, 0, 1};
  int nearIndex = -1;
  for (PolyElement* f = model.poly.mFaces.mHead; f; f = f->mNext) {
    double n[3];
    f->GetNormal(n);
    if (Dot(n, axis) > 0.99) nearIndex = f->GetIndex();
  }
  std::vector<GLHit> hits;
  view.DoSelection(hits, kSize / 2, kSize / 2, false);
  SortHitsByDepth(hits);
  ASSERT_FALSE(hits.empty());
  EXPECT_EQ(GetHitItemType(hits[0]), kSelectFace);
  EXPECT_EQ(GetHitIndex(hits[0]), nearIndex);
}

}  // namespace test_ModelDrawing
