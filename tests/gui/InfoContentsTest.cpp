// What the information tree says of a model, read without a window: the cube, the
// snub cube and the icosahedron's stellation, their counts, areas, volumes, angles and
// radii in the length unit chosen, the per-type lists that wait for their branch, the
// texts' plurals and cuts, comment wrapping and the item keys.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/Strings.h"
#include "core/Units.h"
#include "model/CreatePoly.h"
#include "model/Poly.h"
#include "model/Subdivision.h"
#include "nets/Model3D.h"
#include "symmetry/SimplePoly.h"
#include "tests/files/ModelFileTestSupport.h"
#include "tests/stellation/StellationModels.h"
#include "tests/support/TestSupport.h"
#include "ui/InfoContents.h"

namespace {

using namespace corvia;

// The lines as the tree would hold them.
class Lines : public InfoSink {
 public:
  struct Line {
    int key;
    Item parent;
    std::string text;
    bool expanded = false;
  };
  Item AddItem(int key, Item parent, const std::string& text) override {
    lines.push_back({key, parent, text});
    return static_cast<Item>(lines.size());
  }
  void ExpandItem(Item item) override { lines.at(static_cast<size_t>(item - 1)).expanded = true; }

  std::vector<std::string> Texts(int key) const {
    std::vector<std::string> texts;
    for (const Line& line : lines) {
      if (line.key == key) texts.push_back(line.text);
    }
    return texts;
  }
  std::string Text(int key) const {
    const auto texts = Texts(key);
    return texts.empty() ? "<none>" : texts.front();
  }
  const Line* Find(int key) const {
    for (const Line& line : lines)
      if (line.key == key) return &line;
    return nullptr;
  }
  std::vector<Line> lines;
};

class InfoContentsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetInfoExpansion();
    mScale = GetUnitSettings().mLengthScale;
    mAngleUnit = GetUnitSettings().mAngleUnit;
    GetUnitSettings().mLengthScale = 2.0;
    GetUnitSettings().mAngleUnit = kAngleDegrees;
  }
  void TearDown() override {
    GetUnitSettings().mLengthScale = mScale;
    GetUnitSettings().mAngleUnit = mAngleUnit;
    ResetInfoExpansion();
  }
  static double Number(const std::string& text, const char* after) {
    const size_t at = text.find(after);
    return at == std::string::npos ? -1.0 : std::atof(text.c_str() + at + std::strlen(after));
  }
  double mScale = 1.0;
  int mAngleUnit = 0;
};

// Stewart's G3 stands among the toroids of the library but has no hole: it is not
// typed a toroid; a drilled solid of the same category is, with its genus.
TEST_F(InfoContentsTest, StewartsG3IsNoToroidAndADrilledSolidIs) {
  struct Case {
    int record;
    const char* type;
    const char* genus;
  };
  for (const Case& c : {Case{212, "Type: Stewart polyhedron without a hole (genus 0)", "Genus: 0"},
                        Case{224, "Type: Stewart toroid", "Genus: 3"}}) {
    test_ModelFile::LibraryModel model;
    ASSERT_TRUE(model.Build(c.record)) << c.record;
    Lines tree;
    InsertInfoContents(tree, &model.poly);
    EXPECT_EQ(tree.Text(kInfoType), c.type) << c.record;
    EXPECT_EQ(tree.Text(kInfoGenus), c.genus) << c.record;
  }
}

TEST_F(InfoContentsTest, TheCubeInTheUnitChosen) {
  corvia::testing::ConfigModel cube("4.4.4");
  ASSERT_TRUE(cube.built);
  SetInfoExpanded(kInfoNumBaseFaces, true);
  SetInfoExpanded(kInfoNumBaseEdges, true);
  SetInfoExpanded(kInfoNumBaseVerts, true);
  Lines tree;
  InsertInfoContents(tree, &cube.poly);

  EXPECT_EQ(tree.Text(kInfoLink), "<No link>");
  EXPECT_EQ(tree.Text(kInfoNumBaseFaces), "6 faces of 1 type");
  EXPECT_EQ(tree.Text(kInfoNumBaseEdges), "12 edges of 1 type");
  EXPECT_EQ(tree.Text(kInfoNumBaseVerts), "8 vertices of 1 type");
  EXPECT_EQ(tree.Text(kInfoNumDualFaces), "8 faces of 1 type");
  EXPECT_EQ(tree.Text(kInfoNumDualVerts), "6 vertices of 1 type");
  EXPECT_EQ(tree.Texts(kInfoNumComponents),
            (std::vector<std::string>{"convex, orientable", "1 part (not a compound)"}));
  EXPECT_EQ(tree.Text(kInfoGenus), "Genus: 0");
  EXPECT_EQ(tree.Text(kInfoDensity), "Density: 1");
  EXPECT_EQ(tree.Text(kInfoType), "Type: Uniform, Regular, Platonic");
  EXPECT_EQ(tree.Text(kInfoSymbol), "Vertex Description: 4.4.4");

  // Radius 1 in the model, 2 units of length: the edge 2/sqrt(3) of the model.
  const double s = 2.0, edge = 2.0 / std::sqrt(3.0);
  EXPECT_EQ(tree.Text(kInfoBaseRadius), "Radius: 2");
  EXPECT_NEAR(Number(tree.Text(kInfoBaseMidRadius), "Midradius: "), s * std::sqrt(2.0 / 3.0), 1e-5);
  EXPECT_NEAR(Number(tree.Text(kInfoSurfaceArea), "Surface area: "), 6 * edge * edge * s * s, 1e-4);
  EXPECT_NEAR(Number(tree.Text(kInfoVolume), "Volume: "), std::pow(edge * s, 3), 1e-4);
  // The per-type lines: one face type of six squares, the solid angle of a face seen
  // from the centre (4 pi / 6 steradians as a cone: 2 pi / 3 of the sphere's 4 pi).
  ASSERT_EQ(tree.Texts(kInfoBaseFaces).size(), 1u);
  const std::string faces = tree.Texts(kInfoBaseFaces)[0];
  EXPECT_EQ(faces.rfind("1: 6 x 4-gon, area ", 0), 0u) << faces;
  EXPECT_NEAR(Number(faces, "area "), edge * edge * s * s, 1e-4);
  EXPECT_NE(faces.find("solid angle"), std::string::npos);
  ASSERT_EQ(tree.Texts(kInfoBaseEdges).size(), 1u);
  EXPECT_NEAR(Number(tree.Texts(kInfoBaseEdges)[0], "length "), edge * s, 1e-5);
  ASSERT_EQ(tree.Texts(kInfoBaseVerts).size(), 1u);
  EXPECT_EQ(tree.Texts(kInfoBaseVerts)[0], "1: 8 x 3-valence, radius 2");
  // The dual's lists wait for their branch to open: one placeholder each.
  EXPECT_EQ(tree.Texts(kInfoDualFaces), (std::vector<std::string>{kInfoPlaceholder}));
  EXPECT_EQ(tree.Text(kInfoDualRadius).rfind("Radius: ", 0), 0u);
  // The dual octahedron shares the cube's midsphere: its corners lie 2/sqrt(3) out.
  EXPECT_NEAR(Number(tree.Text(kInfoDualRadius), "Radius: "), s * 2.0 / std::sqrt(3.0), 1e-5);
  EXPECT_TRUE(tree.Find(kInfoBase)->expanded);
  EXPECT_TRUE(tree.Find(kInfoDual)->expanded);
  EXPECT_FALSE(tree.Find(kInfoStellation)->expanded);
  EXPECT_EQ(tree.Text(kInfoConnected), kInfoPlaceholder);
}

TEST_F(InfoContentsTest, TheSnubCubeCountsItsTypesAndMeasures) {
  corvia::testing::ConfigModel snub("3.3.3.3.4");
  ASSERT_TRUE(snub.built);
  SetInfoExpanded(kInfoNumBaseFaces, true);
  Lines tree;
  InsertInfoContents(tree, &snub.poly);
  const int faceTypes = snub.poly.mBaseBlock->CountFaceTypes();
  EXPECT_EQ(tree.Text(kInfoNumBaseFaces), "38 faces of " + std::to_string(faceTypes) + " types");
  EXPECT_EQ(tree.Text(kInfoNumBaseVerts), "24 vertices of 1 type");
  EXPECT_EQ(static_cast<int>(tree.Texts(kInfoBaseFaces).size()), faceTypes);
  EXPECT_EQ(tree.Texts(kInfoNumComponents)[0], "convex, orientable");
  // The snub cube of unit edge: radius 1.3437133737446, area 6 + 8 sqrt(3), volume
  // 7.8894774998; here its radius is 1 in the model, 2 units of length.
  const double edge = 2.0 / 1.3437133737446;
  EXPECT_NEAR(Number(tree.Text(kInfoSurfaceArea), "Surface area: "), (6 + 8 * std::sqrt(3.0)) * edge * edge, 1e-3);
  EXPECT_NEAR(Number(tree.Text(kInfoVolume), "Volume: "), 7.8894774998 * edge * edge * edge, 1e-3);
  EXPECT_EQ(tree.Text(kInfoType), "Type: Uniform, Semi-regular, Archimedean");
}

// A geodesic sphere is convex however finely it is divided. The cube's, fanned from the
// centres of its squares, bends by far less between the triangles round those centres
// than between the icosahedron's: at frequency 40 they lie within the tolerance at
// which the symmetry search joins a face's triangles.
TEST_F(InfoContentsTest, AGeodesicSphereIsConvexAtEveryFrequency) {
  for (const char* configuration : {"4.4.4", "3.3.3.3.3"}) {
    corvia::testing::ConfigModel base(configuration);
    ASSERT_TRUE(base.built);
    for (int frequency : {4, 40, 60}) {
      std::unique_ptr<SimplePoly> sphere = base.poly.Subdivide(kSubdivideGeodesic, frequency);
      ASSERT_TRUE(sphere);
      Poly made;
      ASSERT_TRUE(CreatePoly(*sphere, &made, false, false));
      Lines tree;
      InsertInfoContents(tree, &made);
      EXPECT_EQ(tree.Texts(kInfoNumComponents),
                (std::vector<std::string>{"convex, orientable", "1 part (not a compound)"}))
          << configuration << " at frequency " << frequency;
    }
  }
}

// A vertex and its mirror image are two types of the rotations, mirror partners: the
// truncated cuboctahedron is uniform all the same. The rhombicuboctahedron's
// configuration built with one cupola turned is its pseudo version.
TEST_F(InfoContentsTest, TheTypeLineSaysWhetherEveryVertexIsAlike) {
  corvia::testing::ConfigModel truncated("4.6.8");
  ASSERT_TRUE(truncated.built);
  Lines tree;
  InsertInfoContents(tree, &truncated.poly);
  EXPECT_EQ(tree.Text(kInfoNumBaseVerts), "48 vertices of 2 types");
  EXPECT_EQ(tree.Text(kInfoType), "Type: Uniform, Semi-regular, Archimedean");
  EXPECT_EQ(tree.Text(kInfoSymbol), "Vertex Description: 4.6.8");

  corvia::testing::ConfigModel pseudo("4.4.3.4");
  ASSERT_TRUE(pseudo.built);
  pseudo.poly.BuildStep();
  ASSERT_TRUE(pseudo.poly.RunBuild());
  Lines steppedTree;
  InsertInfoContents(steppedTree, &pseudo.poly);
  EXPECT_EQ(steppedTree.Text(kInfoType), "Type: Pseudo-uniform, Semi-regular, Archimedean");
  EXPECT_EQ(steppedTree.Text(kInfoNumBaseVerts), "24 vertices of 3 types");
}

TEST_F(InfoContentsTest, TheIcosahedronsStellationCountsItsCellsWhenOpened) {
  corvia::testing::ConfigModel icosahedron("3.3.3.3.3");
  ASSERT_TRUE(icosahedron.built);
  {
    Lines closed;
    InsertInfoContents(closed, &icosahedron.poly);
    EXPECT_EQ(closed.Texts(kInfoConnected), (std::vector<std::string>{kInfoPlaceholder}));
    EXPECT_FALSE(icosahedron.poly.mBaseBlock->IsStellated());
  }
  SetInfoExpanded(kInfoStellation, true);
  Lines tree;
  InsertInfoContents(tree, &icosahedron.poly);
  EXPECT_TRUE(icosahedron.poly.mBaseBlock->IsStellated());
  EXPECT_EQ(tree.Text(kInfoConnected), "Connected, Accessible");
  EXPECT_EQ(tree.Text(kInfoNumCells), "473 cells of 11 types");
  EXPECT_EQ(tree.Text(kInfoNumReflexibleCells), "353 reflexible cells of 10 types");
  EXPECT_EQ(tree.Text(kInfoNumChiralCells), "120 chiral cells of 1 type");
  EXPECT_EQ(tree.Text(kInfoNumLayers), "8 cell layers");
  EXPECT_EQ(tree.Text(kInfoMaxPerLayer), "Maximum cell types per layer: 3");
  EXPECT_EQ(tree.Text(kInfoNumFacePlanes), "1 facial plane type");
  EXPECT_TRUE(tree.Find(kInfoStellation)->expanded);
  EXPECT_EQ(tree.Text(kInfoType), "Type: Uniform, Regular, Platonic");
  EXPECT_NE(tree.Text(kInfoWenninger).find("W4"), std::string::npos);
}

TEST_F(InfoContentsTest, NetsAddUpTheirEdges) {
  corvia::testing::ConfigModel cube("4.4.4");
  ASSERT_TRUE(cube.built);
  SetInfoExpanded(kInfoNets, true);
  Lines tree;
  InsertInfoContents(tree, &cube.poly);
  Model3D* model = cube.poly.mBaseBlock->GetExistingModel3D();
  ASSERT_NE(model, nullptr);
  ASSERT_TRUE(model->HasNets());
  EXPECT_EQ(tree.Text(kInfoNumFacelets), "6 facelets of 1 type");
  int joined = 0;
  const int edgelets = model->CountEdges(&joined);
  const int unjoined = edgelets - joined;
  EXPECT_EQ(tree.Text(kInfoNumToScore), "Total edges to score/fold: " + std::to_string(edgelets + unjoined));
  EXPECT_EQ(tree.Text(kInfoNumToCut), "Total edges to cut: " + std::to_string(2 * unjoined));
  EXPECT_EQ(tree.Text(kInfoNumToGlue), "Total edges to glue: " + std::to_string(unjoined));
  EXPECT_EQ(tree.Texts(kInfoFaceletsPerNet).size(), static_cast<size_t>(model->GetNumNetTypes()));
}

TEST_F(InfoContentsTest, NamesLinksCommentsAndCuts) {
  corvia::testing::ConfigModel cube("4.4.4");
  ASSERT_TRUE(cube.built);
  cube.poly.SetWebLink("http://example.org/100%25");
  cube.poly.SetDescription(CopyString("A 60-character comment made of short words goes on and on and on"));
  SetInfoExpanded(kInfoComments, true);
  Lines tree;
  InsertInfoContents(tree, &cube.poly);
  EXPECT_EQ(tree.Text(kInfoLink), "http://example.org/100%25");
  const auto comment = tree.Texts(kInfoCommentLine);
  ASSERT_EQ(comment.size(), 2u);
  EXPECT_EQ(comment[0], "A 60-character comment made of short");
  EXPECT_EQ(comment[1], "words goes on and on and on");
  EXPECT_TRUE(tree.Find(kInfoComments)->expanded);

  cube.poly.SetDescription(CopyString(std::string(50, 'w').c_str()));
  Lines word;
  InsertInfoContents(word, &cube.poly);
  EXPECT_EQ(word.Texts(kInfoCommentLine), (std::vector<std::string>{std::string(50, 'w')}));

  const std::string cut = FormatInfoText("%s", std::string(200, 'x').c_str());
  EXPECT_EQ(cut.size(), 127u);
  EXPECT_EQ(cut.substr(124), "...");
  EXPECT_EQ(FormatInfoVolume(1.0, false, true), "undefined for non-orientable surfaces");
  EXPECT_EQ(FormatInfoVolume(1.0, false, false), "undefined");
  EXPECT_EQ(AppendPolygonName(5, 2), "5/2-gon");
  EXPECT_EQ(AppendPolygonName(5, 1), "5-gon");
}

TEST_F(InfoContentsTest, KeysAndTheirDefaults) {
  EXPECT_STREQ(GetInfoItemKey(0), "Base");
  EXPECT_STREQ(GetInfoItemKey(91), "MemoryVirtual");
  EXPECT_STREQ(GetInfoItemKey(92), "Unknown");
  EXPECT_EQ(FindInfoItemKey("NumNets"), kInfoNumNets);
  EXPECT_EQ(FindInfoItemKey("numnets"), 0);
  EXPECT_EQ(FindInfoItemKey("no such key"), 0);
  int flagged = 0;
  for (int key = 0; key < kNumInfoKeys; ++key) flagged += IsInfoExpanded(key) ? 1 : 0;
  EXPECT_EQ(flagged, 8);
  EXPECT_TRUE(IsInfoExpanded(kInfoBase));
  EXPECT_TRUE(IsInfoExpanded(kInfoNetsGeomagPanelType));
  EXPECT_FALSE(IsInfoExpanded(kInfoNets));
}

}  // namespace
