// What the net views, the colour dialogs and the status bar ask of a model with nets:
// the edges shown, the net colours, colouring by part, the copies to print and the
// texts of a picked facelet or edge.

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "core/RainbowColor.h"
#include "core/Units.h"
#include "tests/nets/NetChecks.h"

namespace test_NetQueries {

class NetQueriesTest : public corvia::testing::nets::NetsTest {};

}  // namespace test_NetQueries

namespace corvia {

using test_NetQueries::NetQueriesTest;
namespace n = testing::nets;

TEST_F(NetQueriesTest, TheDisplayModeDecidesWhichEdgesAreShown) {
  std::unique_ptr<Poly> cube = n::BuildLibraryPoly(n::kCube);
  std::unique_ptr<Model3D> model = n::MakeNets(cube.get(), 3);
  ASSERT_GE(model->GetNumNets(), 2);
  Edge3D* inCurrent = &model->mCurrentNet->first->mEdges[0];
  Edge3D* elsewhere = nullptr;
  for (Face3D* f : n::AllFacelets(*model)) {
    if (f->mNet != model->mCurrentNet) elsewhere = &f->mEdges[0];
  }
  ASSERT_NE(elsewhere, nullptr);
  NetSettings& settings = GetNetSettings();
  EXPECT_FALSE(model->IsEdgeShown(nullptr, 0));
  EXPECT_TRUE(model->IsEdgeShown(inCurrent, 1));
  EXPECT_FALSE(model->IsEdgeShown(elsewhere, 1));
  settings.displayMode = kShowCurrentNet;
  EXPECT_TRUE(model->IsEdgeShown(inCurrent, 0));
  EXPECT_FALSE(model->IsEdgeShown(elsewhere, 0));
  settings.displayMode = kShowCurrentNetType;
  EXPECT_EQ(model->IsEdgeShown(elsewhere, 0), elsewhere->face->mNet->type == model->mCurrentNet->type);
  settings.displayMode = kShowAllNets;
  EXPECT_TRUE(model->IsEdgeShown(elsewhere, 0));
  EXPECT_TRUE(model->IsEdgeShown(elsewhere, 5));
}

TEST_F(NetQueriesTest, NetColoursAndTheCopiesToPrint) {
  std::unique_ptr<Poly> cube = n::BuildLibraryPoly(n::kCube);
  Model3D empty(cube.get(), false);
  EXPECT_TRUE(empty.GetNetColors().empty());
  EXPECT_EQ(empty.CountNetsToPrint(nullptr, false), 0);
  EXPECT_EQ(empty.FindNetByColor(0), nullptr);

  std::unique_ptr<Model3D> model = n::MakeNets(cube.get(), 1);
  // Two faces in a colour of their own, the rest as they are.
  const float red[3] = {0.25f, 0.5f, 0.75f};
  Face3D* first = model->GetFacelet(0);
  Face3D* second = model->GetFacelet(1);
  CopyFloat3(first->mSourceFace->mColor, red);
  CopyFloat3(second->mSourceFace->mColor, red);
  const std::vector<uint32_t> colours = model->GetNetColors();
  EXPECT_EQ(colours.size(), 2u);
  EXPECT_NE(std::find(colours.begin(), colours.end(), PackRainbowColor(red)), colours.end());
  EXPECT_EQ(model->FindNetByColor(PackRainbowColor(red))->first->mSourceFace->mColor[0], 0.25f);

  UnitSettings& units = GetUnitSettings();
  units.mPrintGivenNumNets = false;
  units.mNumExtraNets = 1;
  EXPECT_EQ(model->CountNetsToPrint(nullptr, false), 7);
  EXPECT_EQ(model->CountNetsToPrint(red, false), 3);
  EXPECT_EQ(model->mNetTypes->printCursor, -1);
  units.mPrintGivenNumNets = true;
  units.mNumNetsToPrint = 4;
  EXPECT_EQ(model->CountNetsToPrint(nullptr, false), 4);
  // Nets with images only: there are none.
  EXPECT_EQ(model->CountNetsToPrint(nullptr, true), 0);
}

TEST_F(NetQueriesTest, UncolouredConvexFacesAreOnePart) {
  std::unique_ptr<Poly> ico = n::BuildLibraryPoly(n::kIcosahedron);
  Model3D model(ico.get(), false);
  for (PolyElement* face = ico->mFaces.mHead; face; face = face->mNext) face->mColor[0] = -1.0f;
  EXPECT_EQ(model.ColorFaceletsByPart(), 1);
  float expected[3];
  NextRainbowColor(nullptr);
  NextRainbowColor(expected);
  for (PolyElement* face = ico->mFaces.mHead; face; face = face->mNext) {
    EXPECT_EQ(face->mColor[0], expected[0]);
    EXPECT_EQ(face->mColor[2], expected[2]);
  }
  // Coloured already, nothing starts a part.
  EXPECT_EQ(model.ColorFaceletsByPart(), 0);
}

TEST_F(NetQueriesTest, APickedFaceletOrEdgeIsDescribedAndMadeCurrent) {
  std::unique_ptr<Poly> cube = n::BuildLibraryPoly(n::kCube);
  std::unique_ptr<Model3D> model = n::MakeNets(cube.get(), 1);
  platform::HeadlessViews& views = testing::Platform().views;
  Face3D* facelet = model->GetFacelet(3);
  DescribeSelectedFacelet(model.get(), facelet);
  EXPECT_EQ(views.mStatus, "Selected facelet 3, base-face " + std::to_string(facelet->mSourceFace->GetNumber()));
  EXPECT_EQ(model->mSelectedFacelet, facelet);
  EXPECT_EQ(model->mCurrentNet, facelet->mNet);
  EXPECT_TRUE(facelet->IsSelected(cube.get()));
  EXPECT_FALSE(model->GetFacelet(2)->IsSelected(cube.get()));
  const int redraws = views.mRedraws;
  DescribeSelectedFacelet(model.get(), nullptr);
  EXPECT_EQ(model->mSelectedFacelet, nullptr);
  EXPECT_GT(views.mRedraws, redraws);

  Edge3D* edge = &model->GetFacelet(1)->mEdges[2];
  DescribeSelectedEdge(model.get(), edge);
  EXPECT_EQ(views.mStatus, "Selected edge " + GetEdgeName(edge) + ", neighbour " + GetEdgeName(edge->mNeigh) +
                               ", dihedral angle 90.0");
  EXPECT_NE(GetEdgeName(edge), GetEdgeName(edge->mNeigh));
  EXPECT_EQ(GetEdgeName(edge), "2-2");
  EXPECT_EQ(GetEdgeName(nullptr), "NULL");
  EXPECT_EQ(model->mSelectedEdge, edge);
  EXPECT_EQ(model->mCurrentNet, edge->face->mNet);
  EXPECT_TRUE(views.mInvalidatedKinds & 0x10000);
}

TEST_F(NetQueriesTest, EdgeDataTextsFollowTheEdgeDataWord) {
  std::unique_ptr<Poly> cube = n::BuildLibraryPoly(n::kCube);
  std::unique_ptr<Model3D> model = n::MakeNets(cube.get(), 1);
  Edge3D* edge = model->GetEdge(5);
  char text[64] = "stale";
  NetSettings& settings = GetNetSettings();
  settings.edgeData = 0;
  EXPECT_FALSE(edge->GetEdgeDataText(text, sizeof text));
  EXPECT_STREQ(text, "");
  settings.edgeData = kEdgeDataConnectionIds;
  ASSERT_TRUE(edge->GetEdgeDataText(text, sizeof text));
  EXPECT_EQ(std::string(text), std::to_string(edge->connectionId));
  settings.edgeData = kEdgeDataNames;
  ASSERT_TRUE(edge->GetEdgeDataText(text, sizeof text));
  EXPECT_EQ(std::string(text), GetEdgeName(edge));
  settings.edgeData = kEdgeDataDihedrals;
  GetUnitSettings().mAngleUnit = kAngleDegrees;
  ASSERT_TRUE(edge->GetEdgeDataText(text, sizeof text));
  EXPECT_EQ(std::string(text).substr(0, 2), "90");
  EXPECT_NE(std::string(text).find("\xC2\xB0"), std::string::npos);  // the degree sign
  // A small buffer is cut, never overrun.
  char small[3];
  settings.edgeData = kEdgeDataNames;
  EXPECT_TRUE(edge->GetEdgeDataText(small, sizeof small));
  EXPECT_EQ(std::string(small).size(), 2u);
}

}  // namespace corvia
