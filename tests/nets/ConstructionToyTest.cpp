// The construction toy: which facet models its rods, balls and panels build, why
// the others cannot be built, and the parts they take, worked out by hand from each
// solid's edges, vertices and faces.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "model/CreatePoly.h"
#include "model/FaceTypeBlock.h"
#include "model/GeomagPanels.h"
#include "model/ModelBusy.h"
#include "model/PolyElement.h"
#include "model/Transitions.h"
#include "nets/NetFlags.h"
#include "symmetry/SimplePoly.h"
#include "tests/nets/NetChecks.h"

namespace test_ConstructionToy {

namespace n = corvia::testing::nets;
using corvia::Model3D;

using n::kTetrahedron, n::kOctahedron, n::kDodecahedron, n::kTruncatedTetrahedron, n::kSquarePyramid, n::kPentagonalPyramid, n::kTriangularCupola, n::kTriangularBipyramid;

struct Parts {
  int rods, balls;
  int panels[corvia::kGeomagPanelShapes];  // triangles, squares, rhombi, pentagons
};

// The panels of each shape over all colours.
int PanelsOfShape(const Model3D& model, int shape) {
  int total = 0;
  for (int colour = 0; colour < corvia::kToyColours; ++colour) total += model.mToyParts[shape][colour];
  return total;
}

void ExpectParts(Model3D& model, const Parts& wanted, const std::string& name) {
  ASSERT_TRUE(model.CanBuildWithGeomag()) << name;
  model.CountGeomagParts();
  EXPECT_EQ(model.mToyRods, wanted.rods) << name;
  EXPECT_EQ(model.mToyBalls, wanted.balls) << name;
  int total = 0;
  for (int shape = 0; shape < corvia::kGeomagPanelShapes; ++shape) {
    EXPECT_EQ(PanelsOfShape(model, shape), wanted.panels[shape]) << name << " shape " << shape;
    total += wanted.panels[shape];
  }
  EXPECT_EQ(model.GetNumGeomagParts(), total) << name;
}

// A prism over a rhombus of unit sides with the given corner angle, of the given
// height.
std::unique_ptr<corvia::Poly> RhombicPrism(double angle, double height) {
  const double c = std::cos(angle), s = std::sin(angle);
  const double base[4][2] = {{0, 0}, {1, 0}, {1 + c, s}, {c, s}};
  corvia::SimplePoly simple(8, 0);
  for (int v = 0; v < 8; ++v) {
    const double q[3] = {base[v % 4][0], base[v % 4][1], v < 4 ? -height / 2 : height / 2};
    simple.VertAt(v).SetPos(q);
  }
  auto addFace = [&](std::initializer_list<int> corners) {
    corvia::SimpleFace& face = simple.AddFace();
    face.SetNumVerts(static_cast<int>(corners.size()));
    int k = 0;
    for (int v : corners) face.SetVertIndex(k++, v);
  };
  addFace({4, 5, 6, 7});
  addFace({0, 3, 2, 1});
  for (int i = 0; i < 4; ++i) addFace({i, (i + 1) % 4, 4 + (i + 1) % 4, 4 + i});
  auto poly = std::make_unique<corvia::Poly>();
  if (!CreatePoly(simple, poly.get(), false, false)) return nullptr;
  return poly;
}

class ConstructionToyTest : public n::NetsTest {
 protected:
  void TearDown() override {
    corvia::g_ModelBusy = false;
    corvia::StellationBusy = false;
  }
};

TEST_F(ConstructionToyTest, PlatonicSolidsAreBuiltFromTheirEdgesCornersAndFaces) {
  const struct {
    int index;
    Parts parts;
  } solids[] = {
      {kTetrahedron, {6, 4, {4, 0, 0, 0}}},       {n::kCube, {12, 8, {0, 6, 0, 0}}},
      {kOctahedron, {12, 6, {8, 0, 0, 0}}},       {kDodecahedron, {30, 20, {0, 0, 0, 12}}},
      {n::kIcosahedron, {30, 12, {20, 0, 0, 0}}},
  };
  for (const auto& solid : solids) {
    auto poly = n::BuildLibraryPoly(solid.index);
    ASSERT_TRUE(poly) << solid.index;
    Model3D model(poly.get(), false);
    ExpectParts(model, solid.parts, poly->mName);
    EXPECT_EQ(model.mBlock->mToyNote, nullptr) << poly->mName;
    EXPECT_TRUE(model.mFlags & corvia::kModelToyYes);
  }
}

TEST_F(ConstructionToyTest, JohnsonSolidsFollowTheToysRules) {
  // A square pyramid and a triangular bipyramid: every face a panel.
  {
    auto poly = n::BuildLibraryPoly(kSquarePyramid);
    ASSERT_TRUE(poly);
    Model3D model(poly.get(), false);
    ExpectParts(model, {8, 5, {4, 1, 0, 0}}, "J1");
  }
  {
    auto poly = n::BuildLibraryPoly(kTriangularBipyramid);
    ASSERT_TRUE(poly);
    Model3D model(poly.get(), false);
    ExpectParts(model, {9, 5, {6, 0, 0, 0}}, "J12");
  }
  // A triangular cupola: its hexagon is three rhombi round an extra ball, joined by
  // three extra rods.
  {
    auto poly = n::BuildLibraryPoly(kTriangularCupola);
    ASSERT_TRUE(poly);
    Model3D model(poly.get(), false);
    ExpectParts(model, {15 + 3, 9 + 1, {4, 3, 3, 0}}, "J3");
    EXPECT_EQ(model.mBlock->mToyNote, nullptr);
  }
  // A pentagonal pyramid: the pentagon meets the triangles at 37 degrees, too
  // sharp; the type of fewer facelets (the pentagon) stays open, and the model can
  // still be built.
  {
    auto poly = n::BuildLibraryPoly(kPentagonalPyramid);
    ASSERT_TRUE(poly);
    Model3D model(poly.get(), false);
    ExpectParts(model, {10, 6, {5, 0, 0, 0}}, "J2");
    EXPECT_STREQ(model.mBlock->mToyNote, "Angle between faces is too small.");
    for (corvia::Face3DType* type = model.mFaceTypes; type; type = type->mNext) {
      EXPECT_EQ(type->IsGeomagPanel(), type->mNumEdges == 3) << type->mNumEdges;
    }
  }
}

TEST_F(ConstructionToyTest, HexagonsAreRhombiWithExtraRodsAndBalls) {
  // Four triangles and four hexagons; each hexagon adds three rods and one ball.
  auto poly = n::BuildLibraryPoly(kTruncatedTetrahedron);
  ASSERT_TRUE(poly);
  Model3D model(poly.get(), false);
  ExpectParts(model, {18 + 4 * 3, 12 + 4, {4, 0, 12, 0}}, "truncated tetrahedron");
}

TEST_F(ConstructionToyTest, ModelsTheToyCannotBuildSayWhy) {
  // Two edge lengths a hundred-thousandth apart (a millionth would be within the
  // symmetry tolerance: the model would be taken for a cube and made one): nothing
  // to count.
  {
    auto poly = RhombicPrism(M_PI / 2, 1.00001);
    ASSERT_TRUE(poly);
    Model3D model(poly.get(), false);
    EXPECT_FALSE(model.CanBuildWithGeomag());
    EXPECT_STREQ(model.mBlock->mToyNote, "Edges have different lengths.");
    EXPECT_TRUE(model.mFlags & corvia::kModelToyNo);
    model.CountGeomagParts();
    EXPECT_EQ(model.mToyRods, 0);
    EXPECT_EQ(model.mToyBalls, 0);
    EXPECT_EQ(model.GetNumGeomagParts(), 0);
  }
  // Unit edges, but rods 45 degrees apart at the rhombi's sharp corners.
  {
    auto poly = RhombicPrism(M_PI / 4, 1.0);
    ASSERT_TRUE(poly);
    Model3D model(poly.get(), false);
    EXPECT_FALSE(model.CanBuildWithGeomag());
    EXPECT_STREQ(model.mBlock->mToyNote, "Angle between edges is too small.");
  }
  // At 60 degrees the rhombi are panels of their own shape; the square sides too.
  {
    auto poly = RhombicPrism(M_PI / 3, 1.0);
    ASSERT_TRUE(poly);
    Model3D model(poly.get(), false);
    ExpectParts(model, {12, 8, {0, 4, 2, 0}}, "rhombic prism");
  }
  // A model without facelets has nothing to build.
  {
    Model3D none(nullptr, false);
    EXPECT_FALSE(none.CanBuildWithGeomag());
    none.CountGeomagParts();
    EXPECT_EQ(none.mToyRods, 0);
  }
}

TEST_F(ConstructionToyTest, PanelsCountInTheColumnOfTheirColour) {
  auto poly = n::BuildLibraryPoly(n::kCube);
  ASSERT_TRUE(poly);
  float blue[3], green[3];
  ASSERT_TRUE(corvia::GetGeomagPanelColor(2, blue));
  ASSERT_TRUE(corvia::GetGeomagPanelColor(3, green));
  int i = 0;
  for (corvia::PolyElement* face = poly->mFaces.mHead; face; face = face->mNext, ++i) {
    const float* colour = i < 2 ? green : (i < 5 ? blue : nullptr);
    if (colour) {
      for (int c = 0; c < 3; ++c) face->mColor[c] = colour[c];
    } else {
      face->mColor[0] = 0.3f;  // no panel colour: counted as the first
    }
  }
  Model3D model(poly.get(), false);
  model.CountGeomagParts();
  EXPECT_EQ(model.mToyParts[corvia::kGeomagSquare][3], 2);
  EXPECT_EQ(model.mToyParts[corvia::kGeomagSquare][2], 3);
  EXPECT_EQ(model.mToyParts[corvia::kGeomagSquare][0], 1);
}

TEST_F(ConstructionToyTest, AnswersAreKeptButNeverWhileAModelIsBusy) {
  auto poly = n::BuildLibraryPoly(n::kCube);
  ASSERT_TRUE(poly);
  Model3D model(poly.get(), false);
  // Busy: buildable, nothing kept, nothing counted.
  corvia::g_ModelBusy = true;
  EXPECT_TRUE(model.CanBuildWithGeomag());
  EXPECT_EQ(model.mFlags & (corvia::kModelToyYes | corvia::kModelToyNo), 0u);
  model.CountGeomagParts();
  EXPECT_EQ(model.mToyRods, -1);
  EXPECT_EQ(model.GetNumGeomagParts(), 0);
  corvia::g_ModelBusy = false;
  corvia::StellationBusy = true;
  EXPECT_TRUE(model.CanBuildWithGeomag());
  EXPECT_EQ(model.mFlags & (corvia::kModelToyYes | corvia::kModelToyNo), 0u);
  corvia::StellationBusy = false;

  // The answer is kept: a verdict set by hand is returned as it stands.
  EXPECT_TRUE(model.CanBuildWithGeomag());
  model.mFlags = (model.mFlags & ~corvia::kModelToyYes) | corvia::kModelToyNo;
  EXPECT_FALSE(model.CanBuildWithGeomag());
  model.mToyRods = 99;
  model.CountGeomagParts();
  EXPECT_EQ(model.mToyRods, 99);
}

TEST(GeomagPanels, ShapesOfUnitEdgesAreRecognised) {
  const double up[3] = {0, 0, 1};
  // A unit square, counter-clockwise about +z.
  const double square[] = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0};
  bool rhombus = true;
  int first = -1;
  EXPECT_TRUE(corvia::CanMakeGeomagPanel(4, square, up, &rhombus, &first));
  EXPECT_FALSE(rhombus);
  EXPECT_EQ(first, 0);
  // Clockwise about the normal: no.
  const double down[3] = {0, 0, -1};
  EXPECT_FALSE(corvia::CanMakeGeomagPanel(4, square, down, nullptr));
  // Side 1.01: no.
  double big[12];
  for (int i = 0; i < 12; ++i) big[i] = square[i] * 1.01;
  EXPECT_FALSE(corvia::CanMakeGeomagPanel(4, big, up, nullptr));
  // A 60-degree rhombus starting at its obtuse corner starts one corner on.
  const double c = 0.5, s = std::sqrt(3.0) / 2;
  const double acute[] = {0, 0, 0, 1, 0, 0, 1 + c, s, 0, c, s, 0};
  EXPECT_TRUE(corvia::CanMakeGeomagPanel(4, acute, up, &rhombus, &first));
  EXPECT_TRUE(rhombus);
  EXPECT_EQ(first, 0);
  const double obtuse[] = {1, 0, 0, 1 + c, s, 0, c, s, 0, 0, 0, 0};
  EXPECT_TRUE(corvia::CanMakeGeomagPanel(4, obtuse, up, &rhombus, &first));
  EXPECT_TRUE(rhombus);
  EXPECT_EQ(first, 1);
  EXPECT_EQ(obtuse[0], 1.0);  // the caller's corners stay as they were
  // Regular polygons of unit side: 3 to 12 sides, the toy's sizes only.
  for (int sides = 3; sides <= 13; ++sides) {
    double corners[3 * 13];
    const double r = 0.5 / std::sin(M_PI / sides);
    for (int k = 0; k < sides; ++k) {
      corners[3 * k] = r * std::cos(2 * M_PI * k / sides);
      corners[3 * k + 1] = r * std::sin(2 * M_PI * k / sides);
      corners[3 * k + 2] = 0;
    }
    const bool wanted =
        sides == 3 || sides == 4 || sides == 5 || sides == 6 || sides == 8 || sides == 10 || sides == 12;
    EXPECT_EQ(corvia::CanMakeGeomagPanel(sides, corners, up, nullptr), wanted) << sides;
  }
}

TEST(GeomagPanels, ColoursAreFoundAfterRoundingToBytes) {
  for (int i = 0; i < corvia::kGeomagPanelColors; ++i) {
    float rgb[3];
    ASSERT_TRUE(corvia::GetGeomagPanelColor(i, rgb));
    EXPECT_EQ(corvia::FindGeomagPanelColor(rgb), i);
    rgb[0] += 0.001f;  // within half a byte
    EXPECT_EQ(corvia::FindGeomagPanelColor(rgb), i);
  }
  const float red[3] = {1.0f, 0.0f, 26.0f / 255.0f};
  EXPECT_EQ(corvia::FindGeomagPanelColor(red), 0);
  const float grey[3] = {0.5f, 0.5f, 0.5f};
  EXPECT_EQ(corvia::FindGeomagPanelColor(grey), -1);
  float out[3] = {7, 7, 7};
  EXPECT_FALSE(corvia::GetGeomagPanelColor(5, out));
  EXPECT_FALSE(corvia::GetGeomagPanelColor(-1, out));
  EXPECT_EQ(out[0], 7.0f);
}

}  // namespace test_ConstructionToy
