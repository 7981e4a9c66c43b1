// The document's selection, colour, display, stereo, stellation, option and nets
// commands, run as the menu runs them, on a document whose panes are off screen.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/DocCommands.h"
#include "core/Globals.h"
#include "core/VectorMath.h"
#include "core/Messages.h"
#include "core/Units.h"
#include "model/ColorSchemes.h"
#include "model/Edge.h"
#include "model/ElementFlags.h"
#include "model/FaceTypeBlock.h"
#include "model/PolyElement.h"
#include "nets/Edge3D.h"
#include "nets/Face3D.h"
#include "nets/Model3D.h"
#include "nets/NetFlags.h"
#include "nets/NetSettings.h"
#include "render/DisplaySettings.h"
#include "render/GLErrors.h"
#include "render/LightSets.h"
#include "render/NewView.h"
#include "stellation/Stellate.h"
#include "tests/app/AppTestSupport.h"

namespace test_DocCommands {

using namespace corvia;
using corvia::testing::DocumentTest;
using corvia::testing::Platform;
using corvia::testing::QueueColorChoice;

class DocCommandsTest : public DocumentTest {
 protected:
  void SetUp() override {
    DocumentTest::SetUp();
    SetTransitionsEnabled(false);
    ASSERT_TRUE(Doc().SetModel(Find("Icosahedron"), false, false));
    mPrevious = SetGLErrorListener([this](const std::string& where, const std::string& error) {
      mGLErrors.push_back(where + ": " + error);
    });
    DrainScripts();
  }
  void TearDown() override {
    DrainScripts();
    SetGLErrorListener(mPrevious);
    DocumentTest::TearDown();
  }

  // Colours queued for the chooser and unused are dropped, with the boxes and texts.
  static void DrainScripts() {
    float rgb[3] = {0.0f, 0.0f, 0.0f};
    while (ChooseColorDialog(rgb)) {
    }
    Platform().messages.Clear();
  }

  Poly* P() { return Doc().GetCurrentPoly(); }
  size_t UndoCount() const { return Platform().undo.mCalls.size(); }

  // The pixels of the pane that differ from its corner (the background), or those
  // whose channel (0 red, 1 green, 2 blue) stands well above the other two.
  int Covered(CPolyView* pane, int channel = -1) {
    WindowOf(pane)->Paint();
    const GLBitmap image = WindowOf(pane)->ReadPixels();
    const unsigned char* corner = image.Pixel(0, 0);
    int count = 0;
    for (int y = 0; y < image.height; ++y) {
      for (int x = 0; x < image.width; ++x) {
        const unsigned char* p = image.Pixel(x, y);
        const bool differs = p[0] != corner[0] || p[1] != corner[1] || p[2] != corner[2];
        const int a = p[channel < 0 ? 0 : channel];
        const int b = p[(channel + 1) % 3];
        const int c = p[(channel + 2) % 3];
        const bool dominant = a > 2 * (b + 10) && a > 2 * (c + 10);
        count += (channel < 0 ? differs : dominant) ? 1 : 0;
      }
    }
    return count;
  }

  // Runs every command of every group once, answering each prompt.
  void RunAll(std::vector<int>* disabled) {
    for (const auto* group : {&GetColorDisplayCommands(), &GetOptionCommands(), &GetStellationCommands()}) {
      for (const DocCommand& command : *group) {
        DrainScripts();
        QueueColorChoice(200, 40, 40);
        Platform().messages.QueueText("5");
        // A face is selected, or for the faces around a vertex, a vertex.
        P()->SelectFace(command.id == 33076 ? P()->GetVertex(0) : P()->GetFace(0), command.id == 33076);
        if (!RunDocCommand(command.id)) disabled->push_back(command.id);
        for (auto& window : mWindows) window->Paint();
      }
    }
  }

  corvia::testing::CommandOptionsScope mSaved;
  GLErrorListener mPrevious;
  std::vector<std::string> mGLErrors;
};

// The window test runs every command on the icosahedron; here they run on its
// complete stellation, with panes of the kinds they change drawn after each.
TEST_F(DocCommandsTest, EveryCommandRunsOnAStellation) {
  AddPane(kViewBasePolyhedron);
  AddPane(kViewDualPolyhedron);
  AddPane(kViewStellationOfBase);
  AddPane(kViewStellationDiagram);
  AddPane(kViewFoldingNet);
  FaceTypeBlock* block = P()->GetShownBlock();
  ASSERT_TRUE(Stellate(P(), block, true).done());
  ASSERT_TRUE(block->IsStellated());
  block->IncludeAllCells(false);
  ASSERT_GT(block->GetNumIncludedCells(), 1);
  std::vector<int> disabled;
  RunAll(&disabled);
  // Without a step-by-step build, a description to mirror or a selected net edge these
  // stay disabled; the icosahedron is no compound, and its faces lie on 3-fold axes only,
  // where the dodecahedral, triacontahedral and octahedral arrangements colour nothing.
  EXPECT_EQ(disabled, (std::vector<int>{33153, 32992, 32993, 32990, 32995, 32998, 32999, 32991, 32996, 32997, 32777,
                                        32780, 33513}));
  EXPECT_TRUE(mGLErrors.empty()) << mGLErrors.front();
}

TEST_F(DocCommandsTest, ColourSchemeWordAndArrangements) {
  RunDocCommand(32786);  // Color by Face Type
  EXPECT_EQ(FaceColorScheme & kColorBasicMask, kColorByFaceType);
  EXPECT_EQ(UpdateDocCommand(32786).check, 1);
  EXPECT_EQ(UpdateDocCommand(32910).check, 0);
  // Tab swaps single and auto colour.
  RunDocCommand(33131);
  EXPECT_EQ(FaceColorScheme & kColorBasicMask, kColorSingle);
  RunDocCommand(33131);
  EXPECT_EQ(FaceColorScheme & kColorBasicMask, kColorAuto);
  // A dodecahedral arrangement replaces the other; chosen again, the group goes off.
  ASSERT_TRUE(Doc().SetModel(Find("Icosidodecahedron"), false, false));
  RunDocCommand(32992);
  EXPECT_EQ(FaceColorScheme & 0x3000u, 0x1000u);
  RunDocCommand(32993);
  EXPECT_EQ(FaceColorScheme & 0x3000u, 0x2000u);
  EXPECT_EQ(UpdateDocCommand(32993).check, 1);
  EXPECT_EQ(UpdateDocCommand(32992).check, 0);
  RunDocCommand(32993);
  EXPECT_EQ(FaceColorScheme & 0x3000u, 0u);
  // The cubic arrangement is a group of one.
  ASSERT_TRUE(Doc().SetModel(Find("Cube"), false, false));
  RunDocCommand(32998);
  EXPECT_EQ(FaceColorScheme & 0x80000u, 0x80000u);
  RunDocCommand(32998);
  EXPECT_EQ(FaceColorScheme & 0x80000u, 0u);
}

// The colour commands see the document: the active pane's kind, and a note when rainbow
// colour mode hides what was chosen.
TEST_F(DocCommandsTest, ColourCommandsKnowThePaneAndTellWhatHidesTheirEffect) {
  CPolyView* stellation = AddPane(kViewStellationOfBase);
  stellation->Activate(false);
  EXPECT_EQ(GetColorDocumentHooks().ActiveViewType(), static_cast<unsigned>(kViewStellationOfBase));
  Platform().views.mPaneMessage.clear();
  SetRainbowColors(true);
  RunDocCommand(32786);  // Color by Face Type
  EXPECT_NE(Platform().views.mPaneMessage.find("Rainbow Color Mode"), std::string::npos);
  SetRainbowColors(false);
  Platform().views.mPaneMessage.clear();
  RunDocCommand(32787);
  EXPECT_EQ(Platform().views.mPaneMessage, "");
}

TEST_F(DocCommandsTest, ReplacingAColour) {
  // The icosahedron's faces are red. By itself: no change and no undo step.
  PolyElement* face = P()->GetCurrentFace();
  ASSERT_EQ(face->mColor[0], 1.0f);
  const size_t undo = UndoCount();
  QueueColorChoice(255, 0, 0);
  RunDocCommand(33116);
  EXPECT_EQ(UndoCount(), undo);

  // A new colour that no face has: every face of the old colour takes it.
  QueueColorChoice(0, 255, 0);
  RunDocCommand(33116);
  ASSERT_EQ(UndoCount(), undo + 1);
  EXPECT_EQ(Platform().undo.mCalls.back().type, kUndoColorChange);
  EXPECT_EQ(face->mColor[0], 0.0f);
  EXPECT_EQ(face->mColor[1], 1.0f);

  // A colour another face has already: the merge question; No chooses again (here:
  // Cancel), so nothing changes.
  const float blue[3] = {0.0f, 0.0f, 1.0f};
  CopyFloat3(P()->GetFace(5)->mColor, blue);
  QueueColorChoice(0, 0, 255);
  Platform().messages.QueueAnswer(kBoxNo);
  RunDocCommand(33116);
  EXPECT_EQ(UndoCount(), undo + 1);
  EXPECT_EQ(face->mColor[1], 1.0f);
  ASSERT_FALSE(Platform().messages.Boxes().empty());
  EXPECT_NE(Platform().messages.Boxes().back().text.find("merge the two sets"), std::string::npos);
}

TEST_F(DocCommandsTest, SingleBackColourOfAFaceThroughTheCentreIsRefused) {
  PolyElement* face = P()->GetCurrentFace();
  face->mFlags |= kElementHemi;
  QueueColorChoice(255, 0, 0);
  const size_t undo = UndoCount();
  RunDocCommand(32985);
  EXPECT_EQ(UndoCount(), undo);
  ASSERT_EQ(Platform().messages.Boxes().size(), 1u);
  EXPECT_NE(Platform().messages.Boxes()[0].text.find("pass through the centre"), std::string::npos);
  face->mFlags &= ~kElementHemi;
  RunDocCommand(32985);
  EXPECT_EQ(face->mBackColor[0], 1.0f);
}

TEST_F(DocCommandsTest, TakingTheColourOfNeighboursEnds) {
  const float white[3] = {1.0f, 1.0f, 1.0f};
  for (PolyElement* e = P()->mFaces.mHead; e; e = e->mNext) CopyFloat3(e->mColor, white);
  PolyElement* face = P()->GetCurrentFace();
  face->mColor[1] = 0.0f;
  RunDocCommand(33301);
  EXPECT_EQ(face->mColor[1], 1.0f);
  EXPECT_TRUE(Platform().messages.Boxes().empty());
  // Neighbours of two colours: asked once; "Leave unchanged" keeps the face.
  face->mColor[1] = 0.0f;
  PolyElement* neighbour = face->GetAdjacent(0);
  neighbour->mColor[2] = 0.0f;
  Platform().messages.QueueAnswer(2);
  RunDocCommand(33301);
  EXPECT_EQ(Platform().messages.Boxes().size(), 1u);
  EXPECT_EQ(face->mColor[1], 0.0f);
  for (PolyElement* e = P()->mFaces.mHead; e; e = e->mNext) EXPECT_FALSE(e->HasFlag(kElementVisitMark));
}

TEST_F(DocCommandsTest, ShowingAndHidingFaces) {
  PolyElement* face = P()->GetCurrentFace();
  const int count = P()->mFaces.mCount;
  auto hidden = [this] {
    int n = 0;
    for (PolyElement* e = P()->mFaces.mHead; e; e = e->mNext) n += e->HasFlag(kElementHidden);
    return n;
  };
  Platform().undo.mCalls.clear();
  RunDocCommand(32926);  // the current face
  EXPECT_TRUE(face->HasFlag(kElementHidden));
  EXPECT_EQ(hidden(), 1);
  // Each hiding is an undo step of its own, taken before the faces change.
  ASSERT_EQ(Platform().undo.mCalls.size(), 1u);
  EXPECT_EQ(Platform().undo.mCalls[0].type, 27);
  // In its plane one face is hidden: all of them are shown.
  RunDocCommand(33365);
  EXPECT_EQ(hidden(), 0);
  RunDocCommand(32926);
  RunDocCommand(32929);  // toggle: the current face is shown, so all are hidden next
  EXPECT_EQ(hidden(), count - 1);
  RunDocCommand(32928);
  EXPECT_EQ(hidden(), count);
  RunDocCommand(32928);
  EXPECT_EQ(Platform().undo.mCalls.size(), 6u);
  // Around a vertex: its five faces.
  P()->SelectFace(P()->GetVertex(0), true);
  RunDocCommand(33076);
  EXPECT_EQ(hidden(), 5);
  RunDocCommand(33076);
  EXPECT_EQ(hidden(), 0);
  // With an edge selected the edges are hidden, not the faces.
  P()->SelectEdge(P()->GetEdge(0), false);
  RunDocCommand(32927);
  int hiddenEdges = 0;
  for (int i = 0; i < P()->mNumEdges; ++i) hiddenEdges += (P()->mEdgeArray[i].mEdgeFlags & kEdgeHidden) != 0;
  EXPECT_EQ(hiddenEdges, 30);
  EXPECT_EQ(hidden(), 0);
}

TEST_F(DocCommandsTest, SelectionCommands) {
  RunDocCommand(32931);
  EXPECT_EQ(Platform().views.mPaneMessage, "There is only one type of face");
  P()->SelectFace(P()->GetFace(3), false);
  EXPECT_TRUE(UpdateDocCommand(32869).enabled);
  RunDocCommand(32869);
  EXPECT_FALSE(UpdateDocCommand(32869).enabled);
  // Two face types: the steps wrap round.
  ASSERT_TRUE(Doc().SetModel(Find("Icosidodecahedron"), false, false));
  const FaceType* first = P()->GetCurrentFace()->mType;
  RunDocCommand(32932);
  EXPECT_NE(P()->GetCurrentFace()->mType, first);
  RunDocCommand(32931);
  EXPECT_EQ(P()->GetCurrentFace()->mType, first);
}

// Built one vertex at a time, the model grows by Add Vertex and shrinks by Remove
// Vertex until it is complete.
TEST_F(DocCommandsTest, AddingAndRemovingVertices) {
  AddPane(kViewBasePolyhedron);
  RunDocCommand(32776);
  ASSERT_TRUE(Doc().IsOneVertexAtATime());
  ASSERT_TRUE(Doc().SetModel(Find("Icosahedron"), false, false));
  ASSERT_TRUE(UpdateDocCommand(32777).enabled);
  RunDocCommand(32777);
  RunDocCommand(32777);
  const int faces = P()->mFaces.mCount;
  RunDocCommand(32777);
  EXPECT_GT(P()->mFaces.mCount, faces);
  RunDocCommand(32779);
  EXPECT_EQ(P()->mFaces.mCount, faces);
  for (int i = 0; i < 100 && UpdateDocCommand(32777).enabled; ++i) {
    RunDocCommand(32777);
    WindowOf(mPanes[0].get())->Paint();
  }
  EXPECT_EQ(P()->mFaces.mCount, 20);
  // From the complete model back one step, and forward to it again.
  EXPECT_FALSE(UpdateDocCommand(32777).enabled);
  RunDocCommand(32779);
  EXPECT_TRUE(UpdateDocCommand(32777).enabled);
  while (UpdateDocCommand(32777).enabled) RunDocCommand(32777);
  EXPECT_EQ(P()->mFaces.mCount, 20);
  EXPECT_TRUE(mGLErrors.empty()) << mGLErrors.front();
  Doc().SetOneVertexAtATime(false);
}

TEST_F(DocCommandsTest, NetsOptions) {
  // A maximum of 0 faces per net is stored as 1.
  Platform().messages.QueueText("0");
  RunDocCommand(32903);
  EXPECT_EQ(GetUnitSettings().mMaxFacesPerNet, 1);
  ASSERT_FALSE(Platform().messages.TextPrompts().empty());
  EXPECT_EQ(Platform().messages.TextPrompts().back(), "Maximum number of faces allowed per net:");
  // Text that is no number is reported and asked again; Cancel keeps the value.
  Platform().messages.QueueText("many");
  RunDocCommand(32903);
  EXPECT_EQ(GetUnitSettings().mMaxFacesPerNet, 1);
  EXPECT_EQ(Platform().messages.Boxes().size(), 1u);
  // Edge data: chosen twice, none; the face angles stay.
  RunDocCommand(33135);
  RunDocCommand(33000);
  EXPECT_EQ(GetNetSettings().edgeData, kEdgeDataLengths | kEdgeDataFaceAngles);
  RunDocCommand(33001);
  EXPECT_EQ(GetNetSettings().edgeData, kEdgeDataDihedrals | kEdgeDataFaceAngles);
  RunDocCommand(33001);
  EXPECT_EQ(GetNetSettings().edgeData, kEdgeDataFaceAngles);
  EXPECT_EQ(UpdateDocCommand(33505).check, 1);
  EXPECT_EQ(UpdateDocCommand(33135).check, 1);
  // Tab size: in the distance unit; zero is refused.
  Platform().messages.QueueText("1");
  RunDocCommand(33510);
  EXPECT_DOUBLE_EQ(GetNetSettings().tabSizeTwips, GetUnitSettings().UnitsToTwips(1.0));
  Platform().messages.QueueText("0");
  RunDocCommand(33510);
  EXPECT_DOUBLE_EQ(GetNetSettings().tabSizeTwips, GetUnitSettings().UnitsToTwips(1.0));
  // Without a selected net edge the tab kind is the global one.
  RunDocCommand(33508);
  EXPECT_EQ(GetNetSettings().tabType, kTabKindSingle);
}

// The tab kind of a selected net edge goes to the edge and its partner; a single tab
// sits on one of the two, and choosing single again moves it across.
TEST_F(DocCommandsTest, TabKindsOfASelectedNetEdge) {
  ASSERT_TRUE(Doc().SetModel(Find("Cube"), false, false));
  GetNetSettings().tabType = kTabKindDouble;
  Model3D* model = P()->GetShownBlock()->GetModel3D(true, nullptr);
  ASSERT_NE(model, nullptr);
  Edge3D* edge = nullptr;
  for (Face3DType* type = model->mFaceTypes; type && !edge; type = type->mNext) {
    for (int f = 0; f < type->mNumFacelets && !edge; ++f) {
      Face3D& facelet = type->mFacelets[f];
      for (int i = 0; i < facelet.GetNumEdges() && !edge; ++i) {
        Edge3D* e = &facelet.mEdges[i];
        if (!(e->flags & kEdgeJoined) && Edge3D::GetNeighInNet(e, false)) edge = e;
      }
    }
  }
  ASSERT_NE(edge, nullptr);
  DescribeSelectedEdge(model, edge);
  Edge3D* partner = Edge3D::GetNeighInNet(edge, false);
  EXPECT_TRUE(UpdateDocCommand(33513).enabled);
  EXPECT_EQ(UpdateDocCommand(33512).check, 1);  // no tab bits: the default
  RunDocCommand(33508);
  EXPECT_TRUE(edge->Has(kEdgeTabSingle));
  EXPECT_TRUE(partner->Has(kEdgeTabSingle));
  EXPECT_EQ(UpdateDocCommand(33508).check, 1);
  const bool onEdge = edge->Has(kEdgeHasTab);
  EXPECT_NE(onEdge, partner->Has(kEdgeHasTab));
  RunDocCommand(33508);
  EXPECT_NE(edge->Has(kEdgeHasTab), onEdge);
  EXPECT_NE(partner->Has(kEdgeHasTab), edge->Has(kEdgeHasTab));
  RunDocCommand(33507);
  EXPECT_TRUE(edge->Has(kEdgeTabNone) && partner->Has(kEdgeTabNone) && !edge->Has(kEdgeTabSingle));
  // Select Neighbouring Edge goes to the partner.
  RunDocCommand(33513);
  EXPECT_EQ(model->mSelectedEdge, partner);
}

TEST_F(DocCommandsTest, StereoKeepsOrRestoresTheRainbowLights) {
  AddPane(kViewBasePolyhedron);
  CreateBuiltInLightSets();
  RunDocCommand(32983);  // rainbow colours on
  ASSERT_NE(GetRainbowFlags() & kRainbowColors, 0u);
  EXPECT_TRUE(AreRainbowLightsSelected());
  RunDocCommand(33475);  // red/cyan glasses: the normal lights
  EXPECT_FALSE(AreRainbowLightsSelected());
  EXPECT_EQ(UpdateDocCommand(33475).check, 1);
  RunDocCommand(32804);
  EXPECT_TRUE(AreRainbowLightsSelected());
  EXPECT_EQ(UpdateDocCommand(32804).check, 1);
  RunDocCommand(32983);
  EXPECT_FALSE(AreRainbowLightsSelected());
}

TEST_F(DocCommandsTest, OneColourCommandAndOneDisplayCommandChangeThePixels) {
  CPolyView* pane = AddPane(kViewBasePolyhedron, 240, 200);
  const int model = Covered(pane);
  ASSERT_GT(model, 3000);
  EXPECT_LT(Covered(pane, 1), model / 10);
  // Every face green.
  QueueColorChoice(0, 255, 0);
  RunDocCommand(33114);
  EXPECT_GT(Covered(pane, 1), model / 2);
  // Every face hidden: little more than edges and vertices stay.
  RunDocCommand(32928);
  EXPECT_LT(Covered(pane, 1), model / 10);
  EXPECT_LT(Covered(pane), model / 2);
  RunDocCommand(32928);
  EXPECT_GT(Covered(pane, 1), model / 2);
}

// A special colour arrangement is offered only where it colours a face the model shows:
// by its group and the folds of the axes through its faces.
TEST_F(DocCommandsTest, SpecialColorArrangementsAreOfferedWhereTheyApply) {
  struct Case {
    const char* model;
    std::vector<int> enabled;
  };
  const int all[] = {32992, 32993, 32988, 32989, 32994, 32990, 32995, 32998, 32999, 32991, 32996, 32997};
  const Case cases[] = {
      {"Icosahedron", {32988, 32989, 32994}},
      {"Icosidodecahedron", {32992, 32993, 32988, 32989, 32994}},
      {"Truncated Icosidodecahedron", {32992, 32993, 32988, 32989, 32994, 32990, 32995}},
      {"Cuboctahedron", {32998, 32999}},
      {"Truncated Cuboctahedron", {32998, 32999, 32991, 32996, 32997}},
      {"Tetrahedron", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.model);
    ASSERT_TRUE(Doc().SetModel(Find(c.model), false, false));
    for (int id : all) {
      const bool expected = std::find(c.enabled.begin(), c.enabled.end(), id) != c.enabled.end();
      EXPECT_EQ(UpdateDocCommand(id).enabled, expected) << id;
    }
  }
}

}  // namespace test_DocCommands

