// The construction-toy display style: switching it on and off, suspending it, the rod
// and panel colour tables, the panel colours given to face types, the colour chooser
// while the style is on, and the Platonic solids and some Johnson solids drawn as rods,
// balls and panels off screen, with whether the toy can build them.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/RainbowColor.h"
#include "core/TableDialog.h"
#include "model/ColorSchemes.h"
#include "model/Edge.h"
#include "model/FaceType.h"
#include "model/FaceTypeBlock.h"
#include "model/GeomagPanels.h"
#include "model/Globals.h"
#include "model/ModelBusy.h"
#include "nets/Model3D.h"
#include "render/GeomagDrawing.h"
#include "render/GeomagStyle.h"
#include "render/ModelDrawSettings.h"
#include "render/PrintPage.h"
#include "render/VertexEdgeDrawing.h"
#include "tests/nets/NetChecks.h"
#include "tests/render/ModelTestSupport.h"
#include "tests/support/TestSupport.h"

namespace test_Geomag {

using namespace corvia;
using corvia::testing::PixelAt;
using corvia::testing::Platform;
using corvia::testing::Rgba;
using corvia::testing::TestModel;

using corvia::testing::nets::kCube;
using corvia::testing::nets::kIcosahedron;

std::unique_ptr<Poly> LibraryPoly(int index, bool dual = false) {
  return corvia::testing::nets::BuildLibraryPoly(index, dual);
}

using corvia::testing::nets::kTetrahedron, corvia::testing::nets::kOctahedron, corvia::testing::nets::kDodecahedron, corvia::testing::nets::kTruncatedTetrahedron, corvia::testing::nets::kSquarePyramid, corvia::testing::nets::kPentagonalPyramid, corvia::testing::nets::kTriangularCupola, corvia::testing::nets::kTriangularBipyramid;

class GeomagTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Platform().messages.Clear();
    mPrevious = &GetDocumentAccess();
    InstallDocumentAccess(&mDocument);
  }
  void TearDown() override {
    SetGeomagStyle(false);
    GetModelDrawSettings() = ModelDrawSettings();
    InstallDocumentAccess(mPrevious);
    SetColorTableChooser(nullptr);
  }
  DocumentAccess mDocument;
  DocumentAccess* mPrevious = nullptr;
};

// ---- Tables --------------------------------------------------------------------------------------

TEST(GeomagTables, RodAndPanelColoursAndNames) {
  EXPECT_EQ(GetGeomagRodColor(0), 0x00BFD9u);  // Yellow: D9 BF 00 as 0x00BBGGRR
  EXPECT_EQ(GetGeomagRodColor(3), 0xB31A1Au);  // Blue: 1A 1A B3
  EXPECT_EQ(GetGeomagRodColor(10), 0xF2D6DBu);
  EXPECT_EQ(GetGeomagRodColor(11), 0u);
  EXPECT_EQ(GetGeomagRodColor(-1), 0u);
  EXPECT_EQ(FindGeomagRodColor(0xCCCCCC), 5);
  EXPECT_EQ(FindGeomagRodColor(0xCCCCCD), -1);
  EXPECT_STREQ(GetGeomagRodColorName(6), "Glow in the Dark");
  EXPECT_STREQ(GetGeomagPanelColorName(4), "Clear");
  EXPECT_STREQ(GetGeomagPanelName(2, true), "Rhombus");
  EXPECT_STREQ(GetGeomagPanelName(2, false), "Rhombi");
  EXPECT_STREQ(GetGeomagPanelName(0, false), "Triangles");
  EXPECT_STREQ(GetGeomagPanelName(4, true), "Unknown");
}

// ---- Panel colours of face types ---------------------------------------------------------------

int PanelColourOf(const PolyElement* face) { return FindGeomagPanelColor(face->mColor); }

TEST_F(GeomagTest, FaceTypesTakeThePanelColourOfTheirShape) {
  // The icosidodecahedron: green triangles and red pentagons, on both sides of each face.
  TestModel icosidodecahedron("3.5.3.5");
  ASSERT_TRUE(icosidodecahedron.built);
  Poly& poly = icosidodecahedron.poly;
  EXPECT_TRUE(AssignGeomagPanelColors(poly.mBaseBlock.get()));
  for (PolyElement* f = poly.mFaces.mHead; f; f = f->mNext) {
    EXPECT_EQ(PanelColourOf(f), f->mNumSides == 3 ? kGeomagPanelGreen : kGeomagPanelRed);
    EXPECT_EQ(FindGeomagPanelColor(f->mBackColor), PanelColourOf(f));
  }
  // Done: nothing changes the second time.
  EXPECT_FALSE(AssignGeomagPanelColors(poly.mBaseBlock.get()));

  // Squares blue, hexagons yellow, octagons clear (the truncated cuboctahedron).
  TestModel truncated("4.6.8");
  ASSERT_TRUE(truncated.built);
  AssignGeomagPanelColors(truncated.poly.mBaseBlock.get());
  for (PolyElement* f = truncated.poly.mFaces.mHead; f; f = f->mNext) {
    const int wanted = f->mNumSides == 4 ? kGeomagPanelBlue : f->mNumSides == 6 ? kGeomagPanelYellow : kGeomagPanelClear;
    EXPECT_EQ(PanelColourOf(f), wanted) << f->mNumSides;
  }
  // Rhombi without a square corner are yellow: the cuboctahedron's dual faces, the
  // rhombic dodecahedron's.
  TestModel cuboctahedron("3.4.3.4");
  ASSERT_TRUE(cuboctahedron.built);
  AssignGeomagPanelColors(cuboctahedron.poly.mDualBlock.get());
  for (PolyElement* v = cuboctahedron.poly.mVertices.mHead; v; v = v->mNext) {
    ASSERT_EQ(v->mNumSides, 4);
    EXPECT_EQ(PanelColourOf(v), kGeomagPanelYellow);
  }
}

TEST_F(GeomagTest, TypesThatHavePanelColoursKeepThem) {
  TestModel model("3.5.3.5");
  ASSERT_TRUE(model.built);
  float blue[3];
  GetGeomagPanelColor(kGeomagPanelBlue, blue);
  // Every triangle blue already; one pentagon too, the others not.
  PolyElement* bluePentagon = nullptr;
  for (PolyElement* f = model.poly.mFaces.mHead; f; f = f->mNext) {
    if (f->mNumSides == 3 || !bluePentagon) CopyFloat3(f->mColor, blue);
    if (f->mNumSides == 5 && !bluePentagon) bluePentagon = f;
  }
  AssignGeomagPanelColors(model.poly.mBaseBlock.get());
  for (PolyElement* f = model.poly.mFaces.mHead; f; f = f->mNext) {
    const int wanted = f->mNumSides == 3 || f == bluePentagon ? kGeomagPanelBlue : kGeomagPanelRed;
    EXPECT_EQ(PanelColourOf(f), wanted);
  }
}

// ---- Switching the style ---------------------------------------------------------------------

TEST_F(GeomagTest, TurningTheStyleOnAndOffRestoresTheUsersSettingsExactly) {
  ModelDrawSettings& s = GetModelDrawSettings();
  s.showVerts = false;
  s.showEdges = true;
  s.spheresAndCylinders = false;
  s.sphereRadBasedOn = 2;
  s.sphereRad = 0.123456789;
  s.cylinderRad = 0.987654321;
  const ModelDrawSettings before = s;
  Platform().views.mInfoBits = 0;
  SetGeomagStyle(true);
  EXPECT_TRUE(GeomagStyle);
  EXPECT_TRUE(s.showVerts && s.showEdges && s.spheresAndCylinders);
  EXPECT_EQ(s.sphereRadBasedOn, 1);
  EXPECT_DOUBLE_EQ(s.sphereRad, 0.17);
  EXPECT_DOUBLE_EQ(s.cylinderRad, 0.55);
  EXPECT_NEAR(s.sphereRad * s.cylinderRad, 0.0935, 1e-12);
  EXPECT_EQ(Platform().views.mInfoBits, 15u);
  // Again: nothing.
  Platform().views.mInfoBits = 0;
  SetGeomagStyle(true);
  EXPECT_EQ(Platform().views.mInfoBits, 0u);

  SetGeomagStyle(false);
  EXPECT_FALSE(GeomagStyle);
  EXPECT_EQ(s.showVerts, before.showVerts);
  EXPECT_EQ(s.showEdges, before.showEdges);
  EXPECT_EQ(s.spheresAndCylinders, before.spheresAndCylinders);
  EXPECT_EQ(s.sphereRadBasedOn, before.sphereRadBasedOn);
  EXPECT_EQ(s.sphereRad, before.sphereRad);
  EXPECT_EQ(s.cylinderRad, before.cylinderRad);
}

TEST_F(GeomagTest, SuspendingPutsTheUsersSettingsBackForAWhile) {
  ModelDrawSettings& s = GetModelDrawSettings();
  s.sphereRad = 0.3;
  EXPECT_FALSE(SuspendGeomagStyle());  // off: nothing to suspend
  SetGeomagStyle(true);
  s.sphereRad = 0.2;  // changed while on
  const bool suspended = SuspendGeomagStyle();
  EXPECT_TRUE(suspended);
  EXPECT_FALSE(GeomagStyle);
  EXPECT_DOUBLE_EQ(s.sphereRad, 0.3);
  ResumeGeomagStyle(suspended);
  EXPECT_TRUE(GeomagStyle);
  EXPECT_DOUBLE_EQ(s.sphereRad, 0.2);
  SetGeomagStyle(false);
  EXPECT_DOUBLE_EQ(s.sphereRad, 0.3);
}

TEST_F(GeomagTest, AModelMadeWhileTheStyleIsOnIsColoured) {
  SetGeomagStyle(true);
  auto poly = LibraryPoly(kIcosahedron);
  ASSERT_TRUE(poly);
  for (PolyElement* f = poly->mFaces.mHead; f; f = f->mNext) EXPECT_EQ(PanelColourOf(f), kGeomagPanelGreen);
  // The dual's faces (the vertices) are coloured too: pentagons of the dodecahedron.
  for (PolyElement* v = poly->mVertices.mHead; v; v = v->mNext) EXPECT_EQ(PanelColourOf(v), kGeomagPanelRed);
}

// ---- The colour chooser ------------------------------------------------------------------------

struct TableRequest {
  std::string title;
  std::vector<std::string> headers, cells;
  std::vector<uint32_t> colours;
  int initialRow = -2;
};
TableRequest gRequest;
int gAnswer = -1;

int ScriptedTable(const char* title, const std::vector<std::string>& headers, const std::vector<std::string>& cells,
                  const std::vector<uint32_t>& colours, int initialRow) {
  gRequest = {title, headers, cells, colours, initialRow};
  return gAnswer;
}

TEST_F(GeomagTest, PickColorOffersThePanelColoursOnlyWhileTheStyleIsOn) {
  SetColorTableChooser(&ScriptedTable);
  float rgb[3] = {0.2f, 0.4f, 0.6f};
  // Off: the standard dialog.
  corvia::testing::QueueColorChoice(10, 20, 30);
  ASSERT_TRUE(PickColor(rgb, true));
  EXPECT_FLOAT_EQ(rgb[0], 10.0f / 255.0f);
  EXPECT_TRUE(gRequest.title.empty());

  SetGeomagStyle(true);
  // The callers that do not allow panel colours still get the standard dialog.
  corvia::testing::QueueColorChoice(40, 50, 60);
  ASSERT_TRUE(PickColor(rgb, false));
  EXPECT_TRUE(gRequest.title.empty());

  float yellow[3];
  GetGeomagPanelColor(kGeomagPanelYellow, yellow);
  CopyFloat3(rgb, yellow);
  gAnswer = kGeomagPanelBlue;
  ASSERT_TRUE(PickColor(rgb, true));
  EXPECT_EQ(gRequest.title, "Choose a Geomag color");
  EXPECT_EQ(gRequest.headers, (std::vector<std::string>{"Color", "Name"}));
  ASSERT_EQ(gRequest.colours.size(), 5u);
  EXPECT_EQ(gRequest.cells[2 * 4 + 1], "Clear");
  EXPECT_EQ(gRequest.initialRow, kGeomagPanelYellow);
  EXPECT_EQ(FindGeomagPanelColor(rgb), kGeomagPanelBlue);

  // A colour that is none of them chooses no row at first; cancelling keeps the colour.
  uint32_t packed = 0x123456;
  gAnswer = -1;
  EXPECT_FALSE(PickColorRGB(&packed, true));
  EXPECT_EQ(gRequest.initialRow, -1);
  EXPECT_EQ(packed, 0x123456u);
}

TEST_F(GeomagTest, WithoutAnInstalledChooserTheTableDialogAsks) {
  SetGeomagStyle(true);
  float rgb[3] = {1, 0, 0};
  int rows = 0;
  Platform().dialogs.Queue<CTableDialog>([&rows](CTableDialog& table) {
    rows = table.mNumRows;
    table.mRow = kGeomagPanelBlue;
    return true;
  });
  EXPECT_TRUE(ChooseGeomagColor(rgb));
  EXPECT_EQ(rows, 5);
  EXPECT_EQ(FindGeomagPanelColor(rgb), kGeomagPanelBlue);
  // Cancelled, the colour stays.
  Platform().dialogs.QueueCancel();
  EXPECT_FALSE(ChooseGeomagColor(rgb));
  EXPECT_EQ(FindGeomagPanelColor(rgb), kGeomagPanelBlue);
  EXPECT_TRUE(Platform().messages.Boxes().empty());
}

// ---- Off screen --------------------------------------------------------------------------------

constexpr int kSize = 240;
constexpr double kHalfHeight = 1.3;
// The rods' colour: the toy's "Red" rod.
constexpr uint32_t kRodRed = 0x0000CC;

// A pane that draws a model as the pane class does in the style: faces, balls, rods,
// then the translucent panels.
class ToyView : public corvia::testing::TestView {
 public:
  Poly* poly = nullptr;
  void ScenePass() override {
    SetLighting(this, false);
    DrawFaces(poly, &poly->mFaces, kDrawModePlain, 1.0, 1.0, nullptr);
    DrawVertexSpheres(poly, 0, 1.0);
    DrawPolyEdges(poly, 0, 1.0);
    DrawDepthSortedTriangles();
  }
};

void ToPixel(const double* p, int* xy) {
  const double perUnit = (kSize / 2.0) / kHalfHeight;
  xy[0] = static_cast<int>(std::floor(kSize / 2.0 + p[0] * perUnit));
  xy[1] = static_cast<int>(std::floor(kSize / 2.0 - p[1] * perUnit));
}

class GeomagDrawing : public corvia::testing::GLTest {
 protected:
  void SetUp() override {
    GLTest::SetUp();
    Platform().messages.Clear();
    SetGeomagStyle(true);
  }
  void TearDown() override {
    SetGeomagStyle(false);
    GetModelDrawSettings() = ModelDrawSettings();
    CloseWindows();
    GLTest::TearDown();
  }

  // The view's scene in an orthogonal pane looking down -z on black.
  GLBitmap DrawFacingViewer(corvia::testing::TestView& view) {
    auto* window = Show(view, kSize, kSize);
    if (!window) return GLBitmap();
    view.Camera().SetOrthogonal(true);
    view.Camera().SetOrthoHalfHeight(static_cast<float>(kHalfHeight));
    const double eye[3] = {0, 0, 5};
    view.Camera().SetEye(eye);
    view.SetBackgroundColor(0, 0, 0);
    const GLBitmap bitmap = Draw(window);
    CloseWindows();
    mWindows.clear();
    return bitmap;
  }

  // Draws the model, its first face turned nearly towards the viewer, and checks the
  // balls, rods and panels that face the viewer where the test projects them.
  void DrawAndCheck(Poly& poly, const std::string& name) {
    double towards[3];
    poly.mFaces.mHead->GetNormal(towards);
    const double oblique[3] = {0.03, 0.05, 0.08};
    AddTo(towards, oblique);
    corvia::testing::TurnTowardsViewer(poly, towards);
    float red[3];
    UnpackRainbowColor(kRodRed, red);
    for (int i = 0; i < poly.mNumEdges; ++i) CopyFloat3(poly.GetEdge(i)->mColor, red);
    poly.mPolyFlags |= kPolyFlagCellColoursStale;
    ToyView view;
    view.poly = &poly;
    const GLBitmap bitmap = DrawFacingViewer(view);
    ASSERT_GT(bitmap.width, 0);

    int balls = 0, rods = 0, panels = 0;
    // The corners and sides of the faces towards the viewer.
    auto front = [](const PolyElement* face) {
      double normal[3];
      face->GetNormal(normal);
      return normal[2] >= 0.75;
    };
    auto onFrontFace = [&](const PolyElement* a, const PolyElement* b) {
      for (PolyElement* f = poly.mFaces.mHead; f; f = f->mNext) {
        if (front(f) && f->HasCorner(a) && (!b || f->HasCorner(b))) return true;
      }
      return false;
    };
    // Balls at the vertices, in their own colour.
    for (PolyElement* v = poly.mVertices.mHead; v; v = v->mNext) {
      if (!onFrontFace(v, nullptr)) continue;
      int xy[2];
      ToPixel(v->mDualVert, xy);
      const Rgba got = PixelAt(bitmap, xy[0], xy[1]);
      const float* c = v->GetDrawColour();
      EXPECT_NEAR(got.r, c[0] * 255, 3) << name << " ball";
      EXPECT_NEAR(got.g, c[1] * 255, 3) << name << " ball";
      EXPECT_NEAR(got.b, c[2] * 255, 3) << name << " ball";
      ++balls;
    }
    // Rods along the edges between them, half way.
    for (int i = 0; i < poly.mNumEdges; ++i) {
      const Edge* edge = poly.GetEdge(i);
      const double* a = edge->mVert1->mDualVert;
      const double* b = edge->mVert2->mDualVert;
      if (!onFrontFace(edge->mVert1, edge->mVert2)) continue;
      const double mid[3] = {0.5 * (a[0] + b[0]), 0.5 * (a[1] + b[1]), 0.5 * (a[2] + b[2])};
      int xy[2];
      ToPixel(mid, xy);
      const Rgba got = PixelAt(bitmap, xy[0], xy[1]);
      EXPECT_NEAR(got.r, 0xCC, 3) << name << " rod";
      EXPECT_LE(got.g + got.b, 6) << name << " rod";
      ++rods;
    }
    // Panels in the faces towards the viewer: their colour at 0.8 over what lies
    // behind.
    for (PolyElement* f = poly.mFaces.mHead; f; f = f->mNext) {
      if (!front(f)) continue;
      const int index = FindGeomagPanelColor(f->mColor);
      ASSERT_GE(index, 0) << name;
      if (!f->mType || !f->mType->CanBuildPanel()) continue;
      // A hexagon is three rhombi meeting at a ball in its middle: look beside it.
      double at[3];
      CopyVector(at, f->mCentre);
      if (f->mNumSides == 6) {
        for (int k = 0; k < 3; ++k) at[k] = 0.5 * f->mCentre[k] + 0.25 * (f->mNeighbours[0]->mDualVert[k] +
                                                                          f->mNeighbours[1]->mDualVert[k]);
      }
      int xy[2];
      ToPixel(at, xy);
      const Rgba got = PixelAt(bitmap, xy[0], xy[1]);
      const float* c = f->mColor;
      const int channels[3] = {got.r, got.g, got.b};
      for (int k = 0; k < 3; ++k) {
        EXPECT_GE(channels[k], 0.8 * c[k] * 255 - 3) << name << " panel channel " << k;
        EXPECT_LE(channels[k], 0.8 * c[k] * 255 + 0.2 * 255 + 3) << name << " panel channel " << k;
      }
      ++panels;
    }
    EXPECT_GT(balls, 0) << name;
    EXPECT_GT(rods, 0) << name;
    EXPECT_GT(panels, 0) << name;
  }
};

// A rod across the pane, lit from the eye with back faces culled as the panes draw
// rods: it shows its outside in the chosen rod colour, unless its edge has a rod
// colour of its own.
class RodView : public corvia::testing::TestView {
 public:
  const float* edgeColour = nullptr;
  void ScenePass() override {
    SetLighting(this, true);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    const double from[3] = {-1.0, 0.0, 0.0}, to[3] = {1.0, 0.0, 0.0};
    DrawGeomagRod(from, to, edgeColour, 0.2, 0.0);
    glDisable(GL_CULL_FACE);
  }
};

TEST_F(GeomagDrawing, RodsTakeTheChosenRodColourAndShowTheirOutside) {
  auto middle = [this](const float* edgeColour) {
    RodView view;
    view.edgeColour = edgeColour;
    const GLBitmap bitmap = DrawFacingViewer(view);
    EXPECT_GT(bitmap.width, 0);
    return bitmap.width > 0 ? PixelAt(bitmap, kSize / 2, kSize / 2) : Rgba{};
  };
  static const float kDefaultEdge[3] = {1.0f, 1.0f, 0.8f};
  SetGeomagRodStyle(2);  // "Green", 0x008000
  Rgba got = middle(kDefaultEdge);
  EXPECT_GT(got.g, 0x60) << "the rod's near side, lit, in the chosen green";
  EXPECT_LE(got.r + got.b, 40);
  SetGeomagRodStyle(1);  // "Red", 0xCC0000
  got = middle(kDefaultEdge);
  EXPECT_GT(got.r, 0x90);
  EXPECT_LE(got.g + got.b, 40);
  // An edge given the blue rod keeps it whatever the chosen colour.
  float blue[3];
  UnpackRainbowColor(GetGeomagRodColor(3), blue);
  got = middle(blue);
  EXPECT_GT(got.b, 0x70);
  EXPECT_LT(got.r, 0x40);
  SetGeomagRodStyle(0);
}

// The rods of a model are drawn together: the icosahedron's 30 rods in one call, and
// in the picture that each rod drawn alone gives.
TEST_F(GeomagDrawing, TheRodsOfAModelAreDrawnInOneCall) {
  auto poly = LibraryPoly(kIcosahedron);
  ASSERT_TRUE(poly);
  class RodsView : public corvia::testing::TestView {
   public:
    Poly* poly = nullptr;
    bool alone = false;
    void ScenePass() override {
      SetLighting(this, true);
      if (!alone) {
        DrawPolyEdges(poly, 0, 1.0);
        return;
      }
      for (int e = 0; e < poly->mNumEdges; ++e) {
        double joint = 0.0;
        const double radius =
            GetSphereJointRadius(poly, false, poly->mBaseBlock->GetMeanEdgeLength(), -1, -1.0, -1.0, &joint);
        const Edge& edge = poly->mEdgeArray[e];
        DrawGeomagRod(edge.GetVert(false, 0)->mDualVert, edge.GetVert(false, 1)->mDualVert,
                      PolyItem::GetColour(&edge), radius, joint);
      }
    }
  };
  RodsView view;
  view.poly = poly.get();
  const GeomagDrawStatistics before = GetGeomagDrawStatistics();
  const GLBitmap together = DrawFacingViewer(view);
  const GeomagDrawStatistics after = GetGeomagDrawStatistics();
  EXPECT_EQ(after.rods - before.rods, 30);
  EXPECT_EQ(after.draws - before.draws, 1);
  view.alone = true;
  const GLBitmap alone = DrawFacingViewer(view);
  ASSERT_EQ(together.pixels.size(), alone.pixels.size());
  int differ = 0, lit = 0;
  for (size_t i = 0; i < alone.pixels.size(); ++i) {
    differ += std::abs(int(together.pixels[i]) - int(alone.pixels[i])) > 2;
    lit += i % 4 != 3 && alone.pixels[i] > 0;
  }
  EXPECT_GT(lit, 1000);
  EXPECT_EQ(differ, 0);
}

TEST_F(GeomagDrawing, PlatonicSolidsAreRodsBallsAndPanels) {
  for (int index : {kTetrahedron, kCube, kOctahedron, kDodecahedron, kIcosahedron}) {
    auto poly = LibraryPoly(index);
    ASSERT_TRUE(poly) << index;
    // Built in the style: panel colours by shape.
    for (PolyElement* f = poly->mFaces.mHead; f; f = f->mNext) {
      const int wanted = f->mNumSides == 3 ? kGeomagPanelGreen : f->mNumSides == 4 ? kGeomagPanelBlue : kGeomagPanelRed;
      EXPECT_EQ(PanelColourOf(f), wanted) << poly->mName;
    }
    Model3D* model = poly->mBaseBlock->GetModel3D(false, nullptr);
    ASSERT_NE(model, nullptr);
    EXPECT_TRUE(model->CanBuildWithGeomag()) << poly->mName;
    DrawAndCheck(*poly, poly->mName);
  }
}

TEST_F(GeomagDrawing, JohnsonSolidsAreDrawnAndJudgedByTheToysRules) {
  for (int index : {kSquarePyramid, kPentagonalPyramid, kTriangularCupola, kTriangularBipyramid}) {
    auto poly = LibraryPoly(index);
    ASSERT_TRUE(poly) << index;
    Model3D* model = poly->mBaseBlock->GetModel3D(false, nullptr);
    ASSERT_NE(model, nullptr);
    EXPECT_TRUE(model->CanBuildWithGeomag()) << poly->mName;
    if (index == kPentagonalPyramid) {
      EXPECT_STREQ(poly->mBaseBlock->mToyNote, "Angle between faces is too small.");
    }
    DrawAndCheck(*poly, poly->mName);
  }
}

TEST_F(GeomagDrawing, ModelsWithRodsOfTwoLengthsCannotBeBuilt) {
  // The triakis tetrahedron, the truncated tetrahedron's dual.
  auto poly = LibraryPoly(kTruncatedTetrahedron, true);
  ASSERT_TRUE(poly);
  Model3D* model = poly->mBaseBlock->GetModel3D(false, nullptr);
  ASSERT_NE(model, nullptr);
  EXPECT_FALSE(model->CanBuildWithGeomag());
  // Its faces are no panels: nothing but balls and rods is drawn, without a GL error.
  ToyView view;
  view.poly = poly.get();
  view.Camera().SetOrthogonal(true);
  view.Camera().SetOrthoHalfHeight(static_cast<float>(kHalfHeight));
  auto* window = Show(view, 64, 64);
  ASSERT_NE(window, nullptr);
  Draw(window);
}

TEST_F(GeomagDrawing, LargeFacesAreBuiltFromSmallerPanels) {
  // Hexagons, octagons, decagons and dodecagons of unit sides, one after another, in
  // one pane: their parts draw without a GL error, and a face the toy has no panel for
  // draws nothing.
  corvia::testing::TestView view;
  view.scene = [](corvia::testing::TestView& v) {
    SetLighting(&v, false);
    const double normal[3] = {0, 0, 1};
    const float clear[3] = {0.7529412f, 0.7529412f, 0.7529412f};
    for (int sides : {6, 8, 10, 12, 7}) {
      std::vector<double> corners;
      const double radius = 0.5 / std::sin(3.14159265358979323846 / sides);
      for (int k = 0; k < sides; ++k) {
        const double a = 2 * 3.14159265358979323846 * k / sides;
        corners.insert(corners.end(), {0.2 * radius * std::cos(a), 0.2 * radius * std::sin(a), 0.0});
      }
      DrawGeomagModel(sides, corners.data(), normal, clear);
    }
    DrawDepthSortedTriangles();
  };
  auto* window = Show(view, 64, 64);
  ASSERT_NE(window, nullptr);
  Draw(window);
  EXPECT_TRUE(Platform().messages.Boxes().empty());
}

}  // namespace test_Geomag

namespace test_Geomag {

// A page that keeps the lines drawn on it.
class LinePage : public PrintPage, public DeviceContext {
 public:
  std::vector<std::array<int, 4>> lines;
  int x = 0, y = 0;
  DeviceContext& GetDC() override { return *this; }
  void PrintPolygon(const double*, int) override {}
  void PrintTextAt(const double*, const char*) override {}
  const double* GetDiagramTransform() const override { return kIdentity; }
  void MoveTo(int px, int py) override { x = px, y = py; }
  void LineTo(int px, int py) override {
    lines.push_back({x, y, px, py});
    x = px, y = py;
  }
  void Polygon(const int*, int) override {}
  void Arc(int, int, int, int, int, int, int) override {}
  void TextOut(int, int, const char*) override {}
  // A 9 point text in twips, characters half as wide as high.
  void GetTextExtent(const char* text, int& width, int& height) override {
    height = 180;
    width = text ? 90 * static_cast<int>(std::strlen(text)) : 0;
  }
  void SetPen(uint32_t, int) override {}
  void SetBrush(uint32_t) override {}
  static constexpr double kIdentity[6] = {1, 0, 0, 1, 0, 0};
};

TEST_F(GeomagTest, PrintedWithoutGLAPanelIsItsOutlineSetInFromTheRods) {
  GetModelDrawSettings().sphereRadBasedOn = 1;
  GetModelDrawSettings().sphereRad = 0.17;
  GetModelDrawSettings().cylinderRad = 0.55;
  LinePage page;
  PrintPageScope scope(&page);
  // A square of 1000 device units.
  const double corners[12] = {0, 0, 0, 1000, 0, 0, 1000, 1000, 0, 0, 1000, 0};
  const double normal[3] = {0, 0, 1};
  const float blue[3] = {0.0f, 0.2f, 1.0f};
  DrawGeomagModel(4, corners, normal, blue);
  // Four corners of four arc steps each, closed.
  ASSERT_EQ(page.lines.size(), 20u);
  const int inset = static_cast<int>(std::lround(1000 * 0.0935));
  for (const auto& line : page.lines) {
    for (int k = 0; k < 4; ++k) {
      EXPECT_GE(line[k], inset - 1);
      EXPECT_LE(line[k], 1000 - inset + 1);
    }
  }
  EXPECT_EQ(page.lines.back()[2], page.lines.front()[0]);
  EXPECT_EQ(page.lines.back()[3], page.lines.front()[1]);
  // A heptagon is no panel: nothing.
  page.lines.clear();
  std::vector<double> heptagon;
  for (int k = 0; k < 7; ++k) {
    const double a = 2 * 3.14159265358979323846 * k / 7;
    heptagon.insert(heptagon.end(), {1152.4 * std::cos(a), 1152.4 * std::sin(a), 0.0});
  }
  DrawGeomagModel(7, heptagon.data(), normal, blue);
  EXPECT_TRUE(page.lines.empty());
}

}  // namespace test_Geomag
